// Raster themes from the window, judged by GDAL: grids added as themes hold GDAL's cells,
// saved themes and run outputs read back in gdalinfo with their extent, cells and no-data,
// the statistics sheet and the point-attributes window show what the files hold, and the
// tree's keys and double-clicks act on their items.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/notebook.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "platform/atomic_file.h"
#include "platform/numbers.h"
#include "dialog_helpers.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/run_outputs.h"
#include "themes/legend.h"
#include "themes/stats_report.h"
#include "themes/theme.h"
#include "themes/ui/overlay_dialogs.h"
#include "themes/ui/raster_theme_commands.h"
#include "themes/ui/theme_commands.h"
#include "themes/ui/theme_stats_sheet.h"
#include "themes/vector_theme.h"
#include "views/ui/map_view.h"
#include "views/ui/point_dialog.h"
#include "views/ui/project_tree.h"
#include "widgets/table_grid_window.h"

namespace {

namespace t = themes::ui;
namespace fs = std::filesystem;

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << command << "\n" << out;
  }
  return out;
}

// GDAL's cells of band 1 with its no-data (and NaN) as -9999, north row first.
std::vector<float> GdalCells(const std::string& path, int* rows, int* columns, double geo[6]) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> ds(GDALDataset::FromHandle(GDALOpen(path.c_str(), GA_ReadOnly)));
  if (!ds) return {};
  *rows = ds->GetRasterYSize();
  *columns = ds->GetRasterXSize();
  ds->GetGeoTransform(geo);
  GDALRasterBand* band = ds->GetRasterBand(1);
  std::vector<float> cells(static_cast<std::size_t>(*rows) * *columns);
  EXPECT_EQ(band->RasterIO(GF_Read, 0, 0, *columns, *rows, cells.data(), *columns, *rows, GDT_Float32, 0, 0), CE_None);
  int has = 0;
  const double nd = band->GetNoDataValue(&has);
  for (float& v : cells)
    if ((has && v == static_cast<float>(nd)) || std::isnan(v)) v = -9999;
  return cells;
}

std::vector<float> ThemeCells(const CTheme& theme) {
  std::vector<float> out(static_cast<std::size_t>(theme.rows) * theme.columns);
  for (int r = 0; r < theme.rows; ++r) theme.ReadRow(r, out.data() + static_cast<std::size_t>(r) * theme.columns);
  return out;
}

// A number after "key": in gdalinfo's text.
double After(const std::string& text, const std::string& key) {
  const std::size_t at = text.find(key);
  return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + key.size(), nullptr);
}

class RasterThemes : public program_test::SampleProgramTest {
 protected:
  RasterThemes() : SampleProgramTest("test-raster-themes") {}
  void SetUp() override {
    SampleProgramTest::SetUp();
    dir_ = (fs::path(PV_BINARY_DIR) / "test-raster-themes" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name() / "files").string();
    fs::create_directories(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Python(const std::string& script) {
    std::ofstream(Path("make.py")) << script;
    Shell(std::string(PV_PYTHON) + " " + Path("make.py") + " 2>&1");
  }
  // Grids over the landscape's south-west corner, as GDAL writes them.
  void MakeGrids() {
    const CPyrvane2WorkArea& a = *doc_->DefaultArea();
    std::ostringstream s;
    s.precision(17);
    s << "from osgeo import gdal\nimport numpy as np\nw, n = " << a.west << ", " << a.south + 150 << "\n"
      << "def make(name, fmt, dtype, nd, a):\n"
         "    d = gdal.GetDriverByName('MEM').Create('', a.shape[1], a.shape[0], 1, dtype)\n"
         "    d.SetGeoTransform((w, 30, 0, n, 0, -30))\n"
         "    d.GetRasterBand(1).SetNoDataValue(nd)\n"
         "    d.GetRasterBand(1).WriteArray(a)\n"
         "    gdal.GetDriverByName(fmt).CreateCopy('" << dir_ << "/' + name, d)\n"
         "i = np.arange(20).reshape(4, 5) * 7 - 30\n"
         "i[1, 2] = -32768\n"
         "make('int16.tif', 'GTiff', gdal.GDT_Int16, -32768, i)\n"
         "f = (np.arange(30).reshape(5, 6) * 0.375 - 2.5).astype(np.float32)\n"
         "f[0, 0] = -9999\n"
         "make('float.asc', 'AAIGrid', gdal.GDT_Float32, -9999, f)\n"
         "make('upper.ASC', 'AAIGrid', gdal.GDT_Float32, -9999, f)\n"
         "g = f.copy()\n"
         "g[2, 3] = np.nan\n"
         "make('float32.TIF', 'GTiff', gdal.GDT_Float32, float('nan'), g)\n";
    Python(s.str());
  }
  wxTreeItemId FindItem(const std::function<bool(const views::ui::CTreeItem&)>& match) {
    wxTreeItemId found;
    std::function<void(wxTreeItemId)> visit = [&](wxTreeItemId item) {
      if (const views::ui::CTreeItem* d = tree_->Data(item); !found.IsOk() && d && match(*d)) found = item;
      wxTreeItemIdValue cookie;
      for (wxTreeItemId c = tree_->GetFirstChild(item, cookie); c.IsOk(); c = tree_->GetNextChild(item, cookie))
        visit(c);
    };
    visit(tree_->GetRootItem());
    return found;
  }
  // Chooses a command from the item's context menu.
  void TreeCommand(wxTreeItemId item, int command) {
    ASSERT_TRUE(item.IsOk());
    tree_->ExpandEverything();
    tree_->EnsureVisible(item);
    wxRect r;
    ASSERT_TRUE(tree_->GetBoundingRect(item, r, true));
    tree_->SetMenuChooser([command](wxMenu&, wxPoint) { return command; });
    tree_->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    widgets::FlushEvents(2);
  }
  CTheme* AddGrid(const std::string& file) {
    const std::size_t before = doc_->gridThemes.size();
    dialogs_->AnswerOpenFile(Path(file));
    program_test::Command(frame_, t::kCmdNewGridTheme);
    widgets::FlushEvents(2);
    return doc_->gridThemes.size() == before + 1 ? doc_->gridThemes.back().get() : nullptr;
  }
  // gdalinfo -stats of a saved file, checked against the theme's cells inside the window.
  void ExpectGdalReads(const std::string& path, const CTheme& theme, const CellWindow& w) {
    SCOPED_TRACE(path);
    const std::string info = Shell("gdalinfo -stats " + path + " 2>&1");
    const int columns = w.lastColumn - w.firstColumn + 1, rows = w.lastRow - w.firstRow + 1;
    EXPECT_NE(info.find("Size is " + std::to_string(columns) + ", " + std::to_string(rows)), std::string::npos) << info;
    EXPECT_NEAR(After(info, "Upper Left  ("), theme.west + w.firstColumn * theme.cellWidth, 1e-6) << info;
    EXPECT_NEAR(After(info, "Pixel Size = ("), theme.cellWidth, 1e-9);
    EXPECT_EQ(After(info, "NoData Value="), -9999) << info;
    double lo = 1e300, hi = -1e300, sum = 0;
    long n = 0;
    std::vector<float> row(static_cast<std::size_t>(theme.columns));
    for (int r = w.firstRow; r <= w.lastRow; ++r) {
      theme.ReadRow(r, row.data());
      for (int c = w.firstColumn; c <= w.lastColumn; ++c) {
        const float v = row[static_cast<std::size_t>(c)];
        if (v == -9999) continue;
        lo = std::min<double>(lo, v);
        hi = std::max<double>(hi, v);
        sum += v;
        ++n;
      }
    }
    ASSERT_GT(n, 0);
    EXPECT_NEAR(After(info, "STATISTICS_MINIMUM="), lo, 1e-4) << info;
    EXPECT_NEAR(After(info, "STATISTICS_MAXIMUM="), hi, 1e-4);
    EXPECT_NEAR(After(info, "STATISTICS_MEAN="), sum / n, 1e-3 * std::max(1.0, std::fabs(sum / n)));
  }

  std::string dir_;
};

TEST_F(RasterThemes, NewGridThemeShowsGdalsCellsForEachFormatAndRefusesWhatItCannotRead) {
  MakeGrids();
  EXPECT_TRUE(program_test::StateOf(frame_, t::kCmdNewGridTheme).enabled);
  // ASC in capitals goes through the ASCII reader, TIF in capitals through GDAL.
  for (const char* file : {"int16.tif", "float.asc", "upper.ASC", "float32.TIF"}) {
    SCOPED_TRACE(file);
    CTheme* theme = AddGrid(file);
    ASSERT_TRUE(theme);
    int rows = 0, columns = 0;
    double geo[6];
    const std::vector<float> gdal = GdalCells(Path(file), &rows, &columns, geo);
    ASSERT_EQ(theme->rows, rows);
    ASSERT_EQ(theme->columns, columns);
    EXPECT_NEAR(theme->west, geo[0], 1e-6);
    EXPECT_NEAR(theme->north, geo[3], 1e-6);
    EXPECT_NEAR(theme->cellWidth, geo[1], 1e-9);
    EXPECT_EQ(ThemeCells(*theme), gdal);
    EXPECT_EQ(theme->layerType, 10);
    EXPECT_EQ(theme->name, fs::path(file).stem().string());
    EXPECT_TRUE(FindItem([theme](const views::ui::CTreeItem& d) {
                  return d.type == views::ui::kTreeGridTheme && d.theme == theme;
                }).IsOk());
    // Every area has its window and legend for it.
    EXPECT_EQ(doc_->DefaultArea()->legends.size(), doc_->gridThemes.size());
  }
  EXPECT_TRUE(doc_->IsModified());
  const auto requests = dialogs_->Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].options.filter,
            "Ascii Grid Files (*.asc)|*.asc|GeoTiff Files (*.tif)|*.tif;*.tiff|All Files (*.*)|*.*||");

  // A file that is not a raster, and one that is not there: said, nothing added.
  std::ofstream(Path("text.tif")) << "not a raster";
  messages_->Clear();
  EXPECT_FALSE(AddGrid("text.tif"));
  EXPECT_FALSE(AddGrid("absent.asc"));
  ASSERT_EQ(messages_->Texts().size(), 2u);
  EXPECT_NE(messages_->Texts()[0].find(Path("text.tif")), std::string::npos) << messages_->Texts()[0];
  EXPECT_NE(messages_->Texts()[1].find(Path("absent.asc")), std::string::npos);
}

TEST_F(RasterThemes, SaveAsWritesThemesAndRunOutputsThatGdalReadsAndPicturesOtherwise) {
  MakeGrids();
  CTheme* grid = AddGrid("float.asc");
  ASSERT_TRUE(grid);
  CRun* run = runs::NewRun(*doc_);
  ASSERT_TRUE(run);
  const CTheme* fuel = doc_->GetThemeByLayerType(3);
  std::vector<float> cells = ThemeCells(*fuel);
  for (std::size_t i = 0; i < cells.size(); i += 7) cells[i] = -9999;
  auto output = std::make_unique<CTheme>();
  ASSERT_EQ(output->CreateFromFloats("Output", fuel->south, fuel->west, fuel->cellWidth, fuel->cellHeight, fuel->rows,
                                     fuel->columns, -9999, cells.data(), 0, 10),
            1);
  CTheme* out = runs::AddThemeWithLegend(*run, std::move(output));
  doc_->UpdateAllViews();
  widgets::FlushEvents(2);

  // The landscape's fuel model from the map's menu, the added grid and the run output from
  // their tree items: each as GeoTIFF (the whole grid) and ASCII grid (the area's cells).
  const CPyrvane2WorkArea& area = *doc_->currentArea;
  struct Case {
    CTheme* theme;
    int command;
    int treeType;
  } cases[] = {{doc_->GetThemeByLayerType(3), t::kCmdGridThemeSaveAs, views::ui::kTreeAreaTheme},
               {grid, t::kCmdGridThemeSaveAs, views::ui::kTreeGridTheme},
               {out, t::kCmdLayerSaveAs, views::ui::kTreeRunTheme}};
  int k = 0;
  for (const Case& c : cases) {
    for (const char* ext : {".tif", ".asc"}) {
      const std::string path = Path("saved" + std::to_string(k++) + ext);
      dialogs_->AnswerSaveFile(path);
      TreeCommand(FindItem([&](const views::ui::CTreeItem& d) { return d.type == c.treeType && d.theme == c.theme; }),
                  c.command);
      ASSERT_EQ(doc_->GetVisibleTheme(), c.theme);
      ASSERT_TRUE(fs::exists(path)) << path;
      // The whole grid, or the area's window in it (the area may reach past a small grid).
      CellWindow w{0, 0, c.theme->columns - 1, c.theme->rows - 1};
      if (std::string(ext) == ".asc") {
        const CellWindow in = area.GetThemeRect(c.theme).Window();
        w = {std::max(in.firstColumn, 0), std::max(in.firstRow, 0), std::min(in.lastColumn, w.lastColumn),
             std::min(in.lastRow, w.lastRow)};
      }
      ExpectGdalReads(path, *c.theme, w);
    }
  }
  const auto requests = dialogs_->Requests();
  ASSERT_FALSE(requests.empty());
  const std::string filter = requests.back().options.filter;
  EXPECT_EQ(filter.rfind("Ascii Grid and GeoTIFF Files (*.asc;*.tif)|*.tif;*.asc|Ascii Grid Files (*.asc)|*.asc|"
                         "GeoTIFF Files (*.tif)|*.tif|",
                         0),
            0u);
  EXPECT_NE(filter.find("(*.png)|*.png|"), std::string::npos) << filter;
  EXPECT_EQ(filter.find("*.ico"), std::string::npos);
  EXPECT_EQ(filter.substr(filter.size() - 2), "||");
  EXPECT_EQ(requests.back().options.defaultExt, "tif");
  EXPECT_TRUE(requests.back().options.overwritePrompt);

  // Other extensions save the map's picture (".tiff" too: only ".tif" is the GeoTIFF).
  map_->RedrawMap();
  widgets::FlushEvents(2);
  for (const char* name : {"map.png", "map.tiff"}) {
    dialogs_->AnswerSaveFile(Path(name));
    program_test::Command(frame_, t::kCmdGridThemeSaveAs);
    wxImage picture;
    ASSERT_TRUE(picture.LoadFile(Path(name))) << name;
    EXPECT_EQ(picture.GetWidth(), map_->MapImage().Width());
    EXPECT_EQ(picture.GetHeight(), map_->MapImage().Height());
  }
  messages_->Clear();
  dialogs_->AnswerSaveFile(Path("map.nosuchformat"));
  program_test::Command(frame_, t::kCmdGridThemeSaveAs);
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Save image failed."});
}

TEST_F(RasterThemes, DeleteAndDeleteAllAskFirstAndTakeTheThemesOutOfTreeAndMap) {
  MakeGrids();
  CTheme* a = AddGrid("int16.tif");
  CTheme* b = AddGrid("float.asc");
  CTheme* c = AddGrid("float32.TIF");
  ASSERT_TRUE(a && b && c);
  doc_->SetVisibleTheme(b);
  doc_->SetModifiedFlag(false);
  const std::size_t count = doc_->gridThemes.size();
  auto itemOf = [&](const CTheme* theme) {
    return FindItem([theme](const views::ui::CTreeItem& d) { return d.theme == theme; });
  };
  // No keeps it; Yes deletes it, and the map falls back to the fuel model.
  messages_->Script({platform::Answer::No, platform::Answer::Yes});
  TreeCommand(itemOf(b), t::kCmdDeleteGridTheme);
  EXPECT_EQ(doc_->gridThemes.size(), count);
  TreeCommand(itemOf(b), t::kCmdDeleteGridTheme);
  EXPECT_EQ(messages_->Texts(), (std::vector<std::string>{"Delete Theme 'float'?", "Delete Theme 'float'?"}));
  EXPECT_FALSE(itemOf(b).IsOk());
  EXPECT_EQ(doc_->GetVisibleTheme(), doc_->GetThemeByLayerType(3));
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_EQ(doc_->DefaultArea()->legends.size(), doc_->gridThemes.size());

  // The Delete key on a grid theme asks the same; Delete All takes the rest.
  messages_->Clear();
  messages_->Script({platform::Answer::Yes, platform::Answer::Yes});
  tree_->SelectItem(itemOf(a));
  EXPECT_TRUE(tree_->DeleteKey(itemOf(a)));
  EXPECT_FALSE(itemOf(a).IsOk());
  TreeCommand(tree_->GridFolder(), t::kCmdDeleteAllGridThemes);
  EXPECT_EQ(messages_->Texts(), (std::vector<std::string>{"Delete Theme 'int16'?", "Delete all grid themes?"}));
  EXPECT_TRUE(t::AuxiliaryGridThemes(*doc_).empty());
  EXPECT_FALSE(tree_->ItemHasChildren(tree_->GridFolder()));
  // An empty folder offers no Delete All, and asks nothing.
  messages_->Clear();
  EXPECT_FALSE(t::DeleteAllGridThemesAsked(*doc_));
  EXPECT_TRUE(messages_->Texts().empty());
}

TEST_F(RasterThemes, StatisticsSheetShowsTheAreasNumbersAndSavesEachPage) {
  CTheme* fuel = doc_->GetThemeByLayerType(3);
  CThemeLegendData* legend = doc_->GetVisibleThemeLegend();
  ASSERT_TRUE(fuel && legend && doc_->GetVisibleTheme() == fuel);
  CThemeStats expected;
  const CellWindow window = doc_->currentArea->GetThemeRect(fuel).Window();
  expected.Compute(*fuel, window);
  bool seen = false;
  wxTheApp->CallAfter([&] {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* sheet = dynamic_cast<t::CpropSheetThemeStats*>(w); sheet && sheet->IsModal()) {
        seen = true;
        EXPECT_EQ(sheet->GetTitle().utf8_string(), fuel->name + " Statistics");
        EXPECT_EQ(sheet->GeneralText(), ThemeGeneralText(*fuel, *legend, expected, doc_->landscape.projection));
        t::ThemeClassesCUG& grid = sheet->ClassGrid();
        EXPECT_EQ(grid.GetRowCount(), legend->GetCount());
        long total = 0;
        for (long r = 0; r < grid.GetRowCount(); ++r) total += std::stol(grid.GetCellText(2, r));
        EXPECT_EQ(total, static_cast<long>(expected.validCount + expected.noDataCount));
        // The area unit changes only the area column.
        const std::string before = sheet->ClassesCsv();
        const int other = sheet->AreaUnits()->GetSelection() == kAcres ? kHectares : kAcres;
        sheet->AreaUnits()->SetSelection(other);
        wxCommandEvent choice(wxEVT_CHOICE, sheet->AreaUnits()->GetId());
        choice.SetEventObject(sheet->AreaUnits());
        sheet->AreaUnits()->GetEventHandler()->ProcessEvent(choice);
        const std::string after = sheet->ClassesCsv();
        EXPECT_NE(after, before);
        EXPECT_NE(after.find(std::string(", ") + AreaUnitName(other) + "\n"), std::string::npos);
        // Each page saves what it shows.
        dialogs_->AnswerSaveFile(Path("general"));
        sheet->OnSaveAs();
        sheet->Pages()->SetSelection(1);
        widgets::FlushEvents(3);
        // The Classes page shows its table: every column has room and the rows are drawn,
        // each class in its colour.
        for (int c = 0; c < grid.GetColCount(); ++c) EXPECT_GT(grid.GetColWidth(c), 20) << c;
        wxWindow* table = sheet->ClassGridWindow();
        ASSERT_TRUE(table && table->IsShownOnScreen());
        EXPECT_GT(table->GetSize().x, 300);
        const wxImage shot = widgets::CaptureWindow(table);
        ASSERT_TRUE(shot.IsOk());
        std::set<unsigned> shown;
        for (int y = 0; y < shot.GetHeight(); ++y)
          for (int x = 0; x < shot.GetWidth(); ++x) shown.insert(program_test::Rgb(shot, x, y));
        int coloured = 0;
        for (int i = 1; i < legend->GetCount(); ++i) {
          const COLORREF c = legend->GetEntry(i).GetColor();
          coloured += shown.count(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)) > 0;
        }
        EXPECT_GE(coloured, std::min(5, legend->GetCount() - 1));
        dialogs_->AnswerSaveFile(Path("classes"));
        sheet->OnSaveAs();
        std::string text, csv;
        EXPECT_TRUE(platform::ReadWholeFile(Path("general.txt"), text));
        EXPECT_EQ(text, sheet->GeneralText());
        EXPECT_TRUE(platform::ReadWholeFile(Path("classes.csv"), csv));
        EXPECT_EQ(csv, after);
        sheet->EndModal(wxID_OK);
        return;
      }
  });
  program_test::Command(frame_, t::kCmdThemeStatistics);
  EXPECT_TRUE(seen);
  EXPECT_EQ(Shell(std::string(PV_PYTHON) + " -c \"import csv,sys; print(len(list(csv.reader(open(sys.argv[1])))))\" " +
                Path("classes.csv")),
            std::to_string(legend->GetCount() + 1) + "\n");
}

TEST_F(RasterThemes, PointAttributesListEveryLayerAsGdalLocationInfoGivesIt) {
  MakeGrids();
  CTheme* grid = AddGrid("int16.tif");
  ASSERT_TRUE(grid);
  // A map point on the grid's cell of row 2, column 3.
  const double x = grid->west + 3.5 * grid->cellWidth, y = grid->north - 2.5 * grid->cellHeight;
  views::ui::CPointDialog::OnPointAttributes(frame_, *doc_, x, y);
  widgets::FlushEvents(2);
  views::ui::CPointDialog* w = views::ui::CPointDialog::Of(*doc_);
  ASSERT_TRUE(w && w->IsShown());
  EXPECT_EQ(w->GetTitle().utf8_string(), doc_->title + " Point Attributes");
  ASSERT_EQ(w->TableCount(), 1);
  EXPECT_EQ(w->Tabs()->GetPageText(0), "Landscape");
  const gridmodel::CGridCtrl& g = w->Table(0)->Grid();
  ASSERT_EQ(g.GetRowCount(), static_cast<int>(doc_->gridThemes.size()) + 1);
  EXPECT_EQ(g.GetItemText(0, 0), "Theme");
  // The tables are made again on each rebuild: looked up afresh.
  auto valueOf = [&](const std::string& name) {
    const gridmodel::CGridCtrl& g = w->Table(0)->Grid();
    for (int r = 1; r < g.GetRowCount(); ++r)
      if (g.GetItemText(r, 0) == name) return g.GetItemText(r, 1);
    return std::string("missing");
  };
  auto locate = [&](const std::string& file, int band) {
    std::ostringstream s;
    s.precision(17);
    s << "gdallocationinfo -valonly -b " << band << " -geoloc " << file << " " << x << " " << y;
    return std::stod(Shell(s.str()));
  };
  EXPECT_EQ(std::stod(valueOf("int16")), locate(Path("int16.tif"), 1));
  EXPECT_EQ(std::stod(valueOf(doc_->GetThemeByLayerType(3)->name)), locate(program_test::SampleLcp(), 4));
  EXPECT_EQ(w->XText(), platform::FormatC("%.0f", x));
  EXPECT_EQ(w->YText(), platform::FormatC("%.0f", y));

  // The grid's no-data cell (row 1, column 2) and a point off the grid read "N/A"; a run gets
  // its own tab on the next rebuild.
  CRun* run = runs::NewRun(*doc_);
  ASSERT_TRUE(run);
  run->name = "Second";
  doc_->RefreshLegendAndPointWindows();
  ASSERT_EQ(w->TableCount(), 2);
  EXPECT_EQ(w->Tabs()->GetPageText(1), "Second");
  views::ui::CPointDialog::OnPointAttributes(frame_, *doc_, grid->west + 2.5 * grid->cellWidth,
                                             grid->north - 1.5 * grid->cellHeight);
  EXPECT_EQ(valueOf("int16"), "N/A");
  views::ui::CPointDialog::OnPointAttributes(frame_, *doc_, grid->west - 100, grid->north + 100);
  EXPECT_EQ(valueOf("int16"), "N/A");

  // Deleting the area the window lists leaves it on another area, never on the freed one.
  CPyrvane2WorkArea* second = doc_->CreateWorkArea(doc_->DefaultArea()->north, doc_->DefaultArea()->east,
                                                   doc_->DefaultArea()->south + 300, doc_->DefaultArea()->west + 300,
                                                   "Second area");
  ASSERT_TRUE(second);
  views::ui::CPointDialog::OnPointAttributes(frame_, *doc_, x, y);
  ASSERT_EQ(w->Area(), second);
  doc_->DeleteWorkArea(second);
  widgets::FlushEvents(3);
  EXPECT_EQ(w->Area(), doc_->DefaultArea());
  EXPECT_EQ(w->TableCount(), 2);
}

TEST_F(RasterThemes, TreeKeysAndDoubleClicksActOnTheirItems) {
  // Delete on the default area is refused with the notice.
  const wxTreeItemId area = tree_->FindAreaItem(doc_->DefaultArea());
  EXPECT_FALSE(tree_->DeleteKey(area));
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Can not delete the default Analysis Area."});

  // A double-click on an overlay shows or hides it; on the Grid Themes folder it asks for a grid.
  auto lines = std::make_unique<CVectorTheme>();
  const CPyrvane2WorkArea& a = *doc_->DefaultArea();
  lines->CreateFromLineList("lines", a.east, a.west, a.south, a.north, {{a.west, a.south, a.east, a.north}});
  CVectorTheme* vector = lines.get();
  doc_->AddVectorTheme(std::move(lines));
  doc_->UpdateAllViews();
  const wxTreeItemId item = FindItem([vector](const views::ui::CTreeItem& d) { return d.vector == vector; });
  ASSERT_TRUE(item.IsOk());
  EXPECT_TRUE(tree_->ActivateItem(item));
  EXPECT_FALSE(vector->visible);
  EXPECT_EQ(tree_->GetItemState(item), views::ui::kStateHidden);
  EXPECT_TRUE(tree_->ActivateItem(item));
  EXPECT_TRUE(vector->visible);
  const std::size_t requests = dialogs_->Requests().size();
  EXPECT_TRUE(tree_->ActivateItem(tree_->GridFolder()));
  EXPECT_EQ(dialogs_->Requests().size(), requests + 1);

  // The Delete key on a vector theme asks and deletes it.
  messages_->Clear();
  messages_->Script({platform::Answer::Yes});
  EXPECT_TRUE(tree_->DeleteKey(item));
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Delete Theme 'lines'?"});
  EXPECT_TRUE(doc_->vectorThemes.empty());

  // Renaming an area or the project marks it modified.
  CPyrvane2WorkArea* second =
      doc_->CreateWorkArea(a.north, a.east, a.south + 300, a.west + 300, "New Analysis Area");
  ASSERT_TRUE(second);
  doc_->UpdateAllViews();
  doc_->SetModifiedFlag(false);
  const wxTreeItemId secondItem = tree_->FindAreaItem(second);
  ASSERT_TRUE(tree_->CanRename(secondItem));
  EXPECT_TRUE(tree_->RenameArea(secondItem, "  Ridge  "));
  EXPECT_EQ(second->name, "Ridge");
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_FALSE(tree_->CanRename(area));
  doc_->SetModifiedFlag(false);
  ASSERT_TRUE(tree_->CanRename(tree_->RootItem()));
  EXPECT_TRUE(tree_->RenameArea(tree_->RootItem(), "Ridge study"));
  EXPECT_EQ(doc_->title, "Ridge study");
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_FALSE(tree_->RenameArea(tree_->RootItem(), ""));
}

TEST_F(RasterThemes, CreateRasterThemeBurnsAPolygonFieldAsGdalRasterizeDoesAndRefusesOtherShapes) {
  // Two lakes on cell edges (one with an island hole, one overlapping it later in the file)
  // and a line theme; GDAL burns the same field over the landscape's grid as the judge.
  const CHeaderData& h = doc_->landscape.header;
  std::ostringstream s;
  s.precision(17);
  s << "from osgeo import gdal, ogr\nw, n, c = " << h.west << ", " << h.north << ", " << h.cellWidth << "\n"
    << "e, so = " << h.east << ", " << h.south << "\n"
       "def ring(c0, r0, c1, r1, clockwise):\n"
       "    pts = [(w + c0 * c, n - r0 * c), (w + c1 * c, n - r0 * c), (w + c1 * c, n - r1 * c), (w + c0 * c, n - r1 * c)]\n"
       "    if not clockwise: pts.reverse()\n"
       "    r = ogr.Geometry(ogr.wkbLinearRing)\n"
       "    for p in pts + pts[:1]: r.AddPoint_2D(*p)\n"
       "    return r\n"
       "ds = ogr.GetDriverByName('ESRI Shapefile').CreateDataSource('" << dir_ << "/lakes.shp')\n"
       "ly = ds.CreateLayer('lakes', None, ogr.wkbPolygon)\n"
       "ly.CreateField(ogr.FieldDefn('NAME', ogr.OFTString))\n"
       "ly.CreateField(ogr.FieldDefn('CODE', ogr.OFTInteger))\n"
       "ly.CreateField(ogr.FieldDefn('DEPTH', ogr.OFTReal))\n"
       "for (c0, r0, c1, r1, hole, code) in [(2, 3, 9, 8, (4, 5, 6, 6), 7), (7, 6, 12, 10, None, 9)]:\n"
       "    g = ogr.Geometry(ogr.wkbPolygon)\n"
       "    g.AddGeometry(ring(c0, r0, c1, r1, True))\n"
       "    if hole: g.AddGeometry(ring(*hole, False))\n"
       "    f = ogr.Feature(ly.GetLayerDefn())\n"
       "    f.SetField('NAME', 'lake')\n"
       "    f.SetField('CODE', code)\n"
       "    f.SetField('DEPTH', code + 0.5)\n"
       "    f.SetGeometry(g)\n"
       "    ly.CreateFeature(f)\n"
       "ds = None\n"
       "cols, rows = int((e - w) / c), int((n - so) / c)\n"
       "gdal.Rasterize('" << dir_ << "/judge.tif', '" << dir_ << "/lakes.shp', format='GTiff', attribute='CODE',\n"
       "               outputBounds=(w, n - rows * c, w + cols * c, n), width=cols, height=rows,\n"
       "               initValues=-9999, noData=-9999, outputType=gdal.GDT_Float32)\n";
  Python(s.str());
  dialogs_->AnswerOpenFile(Path("lakes.shp"));
  program_test::Command(frame_, t::kCmdNewVectorTheme);
  ASSERT_EQ(doc_->vectorThemes.size(), 1u);
  CVectorTheme* lakes = doc_->vectorThemes[0].get();

  // A line theme is refused before any dialog.
  const CPyrvane2WorkArea& a = *doc_->DefaultArea();
  auto line = std::make_unique<CVectorTheme>();
  line->CreateFromLineList("roads", a.east, a.west, a.south, a.north, {{a.west, a.south, a.east, a.north}});
  CVectorTheme* roads = line.get();
  doc_->AddVectorTheme(std::move(line));
  doc_->NotifyChanged();
  messages_->Clear();
  TreeCommand(FindItem([&](const views::ui::CTreeItem& d) { return d.vector == roads; }), t::kCmdCreateRasterTheme);
  ASSERT_EQ(messages_->Texts().size(), 1u);
  EXPECT_EQ(messages_->Texts()[0],
            "Can not create raster theme.\nVector theme must be a polygon theme and can not be Pyrvane/Embrith burn "
            "perimeters");
  EXPECT_TRUE(dialogs_->Requests().size() == 1u);  // only the shapefile's open dialog

  const std::size_t grids = doc_->gridThemes.size();
  dialogs_->AnswerSaveFile(Path("lakes_raster"));
  messages_->Clear();
  dialog_test::WithModal<t::CCreateRasterThemeDlg>(
      [&] {
        TreeCommand(FindItem([&](const views::ui::CTreeItem& d) { return d.vector == lakes; }),
                    t::kCmdCreateRasterTheme);
      },
      [&](t::CCreateRasterThemeDlg& d) {
        // Numeric fields only, in table order; choosing one proposes its name.
        ASSERT_EQ(d.fieldCombo->GetCount(), 2u);
        EXPECT_EQ(d.fieldCombo->GetString(0), "CODE");
        EXPECT_EQ(d.fieldCombo->GetString(1), "DEPTH");
        d.fieldCombo->SetSelection(0);
        wxCommandEvent chosen(wxEVT_COMBOBOX, d.fieldCombo->GetId());
        chosen.SetEventObject(d.fieldCombo);
        d.fieldCombo->GetEventHandler()->ProcessEvent(chosen);
        EXPECT_EQ(d.nameEdit->GetValue(), "lakes_CODE");
        d.nameEdit->SetValue("  ");
        dialog_test::Click(&d, wxID_OK);
        ASSERT_TRUE(d.IsModal());
        ASSERT_EQ(messages_->Texts().size(), 1u);
        d.nameEdit->SetValue("lakes_CODE");
        dialog_test::Click(&d, wxID_OK);
      });
  ASSERT_EQ(dialogs_->Requests().back().options.filter, "ASCII Grid files (*.asc)|*.asc||");
  ASSERT_TRUE(fs::exists(Path("lakes_raster.asc")));
  ASSERT_EQ(doc_->gridThemes.size(), grids + 1);
  const CTheme& made = *doc_->gridThemes.back();
  int rows = 0, columns = 0;
  double geo[6];
  const std::vector<float> judge = GdalCells(Path("judge.tif"), &rows, &columns, geo);
  ASSERT_EQ(made.rows, rows);
  ASSERT_EQ(made.columns, columns);
  EXPECT_NEAR(made.west, geo[0], 1e-6);
  EXPECT_NEAR(made.north, geo[3], 1e-6);
  const std::vector<float> cells = ThemeCells(made);
  int burnt = 0;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    ASSERT_EQ(cells[i], judge[i]) << "cell " << i;
    burnt += cells[i] != -9999;
  }
  // 7x5 less the 2x1 island, and 5x4 over it.
  EXPECT_EQ(burnt, 35 - 2 + 20 - 4);
  EXPECT_EQ(tree_->GetItemText(FindItem([&](const views::ui::CTreeItem& d) { return d.theme == &made; })),
            "lakes_raster");
}

}  // namespace

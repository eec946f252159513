// Every dialog of the program that holds an editable grid or number field, driven with the
// keyboard and mouse under the window manager: Escape in a cell, a button clicked while a cell
// is being edited, Escape and the window manager's close with unsaved edits, and a refused
// value followed by OK. The table names every dialog class of the source tree, so a new
// dialog fails here until it has its row.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <string>

#include "dialog_helpers.h"
#include "window_manager.h"
#include "program_fixture.h"
#include "runs_gui_support.h"
#include "project/document.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/ui/embrith_sheet.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/wv_legend_creator_dialog.h"
#include "weather/ui/atm_dialog.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "weather/ui/wxs_graph_dialog.h"
#include "weather/wx_graph.h"
#include "widgets/cellgrid/ug_window.h"
#include "widgets/table_grid_window.h"

namespace fs = std::filesystem;

namespace {

const char* const kDataChanged = "Data has changed. Would you like to save your changes?";
const char* const kAtmNotSaved = "Changes have not been saved. Save before closing?";

class DialogEdits;

// One dialog: how the program opens it, two cells (or fields) the user types into, a value it
// keeps and one it refuses, and where OK leaves what was typed.
struct Row {
  const char* cls;
  // Opens the dialog as the program does; `script` runs while it is shown modally.
  std::function<void(DialogEdits&, const std::function<void(wxDialog&)>&)> open;
  std::function<wxPoint(wxDialog&, int k)> at;  // screen point of cell k (0 or 1)
  std::function<std::string(wxDialog&, int k)> text;
  std::string typed, refused;  // refused empty: no refused value is driven in this row
  // The saved result after OK, and what it must hold for the typed value.
  std::function<std::string(DialogEdits&)> saved;
  std::string inSaved;
  const char* okQuestion;     // asked by OK when there are changes (answered Yes), or null
  const char* closeQuestion;  // asked by Escape and the close box when there are changes
  // Brings the cells into view (a page of a sheet) before the user works them.
  std::function<void(wxDialog&)> show = [](wxDialog&) {};
};

// A dialog class of the source tree without such a row, and why.
struct Exempt {
  const char* cls;
  const char* why;
};

void Pump(int rounds = 4) { widgets::FlushEvents(rounds); }

class DialogEdits : public program_test::SampleProgramTest, public ::testing::WithParamInterface<const Row*> {
 protected:
  DialogEdits() : SampleProgramTest("test-dialog-edits") {}
  void SetUp() override {
    SampleProgramTest::SetUp();
    folder = fs::path(PV_BINARY_DIR) / "test-dialog-edits" / "files";
    fs::remove_all(folder);
    fs::create_directories(folder);
  }

 public:
  // Runs the script while the next modal dialog is shown; false when none came.
  template <class Show>
  bool WhileShown(const std::function<void(wxDialog&)>& script, Show show) {
    bool seen = false;
    dialog_test::WhenModal<wxDialog>([&](wxDialog& d) {
      // The window manager places the dialog after it shows: the user clicks once it stays.
      wxPoint last(-1, -1);
      for (int i = 0; i < 40 && d.GetScreenPosition() != last; ++i) {
        last = d.GetScreenPosition();
        Pump(3);
      }
      script(d);
    }, &seen);
    show();
    return seen;
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The user's hands.
  void ClickAt(const wxPoint& p) {
    sim.MouseMove(p);
    Pump(2);
    sim.MouseClick();
    Pump();
  }
  void ClickButton(wxDialog& d, int id) {
    wxWindow* b = d.FindWindow(id);
    ASSERT_TRUE(b) << id;
    ClickAt(b->GetScreenRect().GetPosition() + b->GetSize() / 2);
  }
  void Key(int code) {
    sim.Char(code);
    Pump();
  }
  // A cell made current with a click, then typed into: the first character opens its editor.
  void TypeInto(wxDialog& d, int k, const std::string& text) {
    ClickAt(row().at(d, k));
    sim.Text(text.c_str());
    Pump();
  }
  std::string Told() {
    const auto texts = messages_->Texts();
    return texts.empty() ? "" : texts.back();
  }
  // Every message so far, for failure reports.
  std::string AllTold() {
    std::string s;
    for (const std::string& t : messages_->Texts()) s += "[" + t + "] ";
    return s;
  }
  const Row& row() const { return *GetParam(); }

  using SampleProgramTest::doc_;
  using SampleProgramTest::frame_;
  fs::path folder;
  std::string path;  // the file a dialog saves to
  CRun* run = nullptr;
  wxUIActionSimulator sim;
};

// ---- the rows ----------------------------------------------------------------------------

std::string Records() {
  std::string s = "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 24\n";
  for (int h = 0; h < 24; ++h) s += "2011 8 7 " + std::to_string(h * 100) + " 70 30 0.00 5 90 0\n";
  return s;
}

wxPoint CellGridPoint(widgets::CUGWindow* w, gridmodel::CUGCtrl& g, int col, long row) {
  gridmodel::UGRect r;
  g.GetCellRect(col, row, &r);
  return w->CellArea()->ClientToScreen(wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

wxPoint TableGridPoint(widgets::TableGridWindow* w, int row, int col) {
  gridmodel::Rect r;
  w->Grid().GetCellRect(row, col, r);
  return w->ClientToScreen(wxPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

// A legend's values as " v1 v2 ... ".
template <class Legend>
std::string LegendValues(const Legend* legend) {
  std::string s = " ";
  for (int i = 0; legend && i < legend->GetCount(); ++i)
    s += std::to_string(static_cast<int>(legend->GetEntry(i).GetValue())) + " ";
  return s;
}

const Row kWxs{
    "CWXSEditDialog",
    [](DialogEdits& t, const std::function<void(wxDialog&)>& script) {
      t.path = t.Write("stream.wxs", Records());
      weather::ui::CWXSEditDialog d(nullptr);
      d.path() = t.path;
      EXPECT_TRUE(t.WhileShown(script, [&] { d.ShowModal(); }));
    },
    [](wxDialog& d, int k) {
      auto& e = static_cast<weather::ui::CWXSEditDialog&>(d);
      return CellGridPoint(e.GridWindow(), e.model.grid, k == 0 ? e.model.grid.colTemp : e.model.grid.colRH, k + 1);
    },
    [](wxDialog& d, int k) {
      auto& e = static_cast<weather::ui::CWXSEditDialog&>(d);
      return e.model.grid.GetCellText(k == 0 ? e.model.grid.colTemp : e.model.grid.colRH, k + 1);
    },
    "88", "hot",
    [](DialogEdits& t) { return DialogEdits::Read(t.path); },
    "  88 ",
    nullptr,
    kDataChanged};

const Row kAtm{
    "CAtmDialog",
    [](DialogEdits& t, const std::function<void(wxDialog&)>& script) {
      const std::string grid = "ncols 4\nnrows 3\nxllcorner 1000\nyllcorner 1880\ncellsize 40\nNODATA_value -9999\n"
                               "5 5 5 5\n5 5 5 5\n5 5 5 5\n";
      t.Write("s1.asc", grid);
      t.Write("d1.asc", grid);
      t.path = t.Write("winds.atm", "WINDS\nENGLISH\n7 15 1000 \"s1.asc\" \"d1.asc\"\n"
                                    "7 15 1100 \"s1.asc\" \"d1.asc\"\n");
      weather::AtmRunContext area;  // a run over the grids' extent
      area.west = 1000, area.east = 1160, area.south = 1880, area.north = 2000;
      area.distanceResolution = 30;
      weather::ui::CAtmDialog d(nullptr);
      d.run = &area;
      d.path = t.path;
      EXPECT_TRUE(t.WhileShown(script, [&] { d.ShowModal(); }));
    },
    [](wxDialog& d, int k) {
      auto& a = static_cast<weather::ui::CAtmDialog&>(d);
      auto* w = dynamic_cast<widgets::CUGWindow*>(a.FindWindow(weather::ui::CAtmDialog::kGrid));
      return w ? CellGridPoint(w, a.grid, 1, k) : wxPoint();
    },
    [](wxDialog& d, int k) { return static_cast<weather::ui::CAtmDialog&>(d).grid.GetCellText(1, k); },
    "19", "",
    [](DialogEdits& t) { return DialogEdits::Read(t.path); },
    "7 19 1000",
    kAtmNotSaved,
    kAtmNotSaved};

const Row kWvLegend{
    "CWVLegendCreatorDialog",
    [](DialogEdits& t, const std::function<void(wxDialog&)>& script) {
      CRun* run = runs::NewRun(*t.doc_);
      const CTheme* aspect = t.doc_->GetThemeByLayerType(2);
      ASSERT_TRUE(run && aspect);
      run->windVectors = new CWindVectorTheme();
      ASSERT_TRUE(run->windVectors->CreateWindVectors(aspect, aspect));
      run->windVectors->name = "Wind Vectors";
      run->host->AdoptWindVectorTheme(run->windVectors);
      t.run = run;
      EXPECT_TRUE(t.WhileShown(script, [&] { views::ui::EditWindVectorLegend(t.frame_, *t.doc_, *run->windVectors); }));
    },
    [](wxDialog& d, int k) {
      auto* table = static_cast<views::ui::CWVLegendCreatorDialog&>(d).Table();
      const int last = table->Grid().GetRowCount() - 1;
      return TableGridPoint(table, k == 0 ? last : 1, 0);
    },
    [](wxDialog& d, int k) {
      auto* table = static_cast<views::ui::CWVLegendCreatorDialog&>(d).Table();
      const int last = table->Grid().GetRowCount() - 1;
      return table->Grid().GetItemText(k == 0 ? last : 1, 0);
    },
    "5000", "9999",
    [](DialogEdits& t) {
      return LegendValues(t.doc_->FindWindVectorLegend(t.run->windVectors));
    },
    " 5000 ",
    nullptr,
    kDataChanged};

const Row kEmbrithSheet{
    "CEmbrithRunSheet",
    [](DialogEdits& t, const std::function<void(wxDialog&)>& script) {
      t.run = runs::NewEmbrithRun(*t.doc_);
      ASSERT_TRUE(t.run);
      t.run->inputs.weatherStreamFile = t.Write("periods.wxs", Records());
      t.run->embrith.burnPeriods = {{8, 7, 10, 18}};
      EXPECT_TRUE(t.WhileShown(script, [&] { runs::ui::EditEmbrithRunProperties(t.frame_, *t.run); }));
    },
    [](wxDialog& d, int k) {
      auto* page = static_cast<runs::ui::CEmbrithRunSheet&>(d).streamPage;
      auto* w = dynamic_cast<widgets::CUGWindow*>(page->FindWindow(1378));
      // The month left of the start hour: the open editor grows over the cells to its right.
      return w ? CellGridPoint(w, page->grid, k == 0 ? 2 : 0, 0) : wxPoint();
    },
    [](wxDialog& d, int k) {
      return static_cast<runs::ui::CEmbrithRunSheet&>(d).streamPage->grid.GetCellText(k == 0 ? 2 : 0, 0);
    },
    "7", "",
    [](DialogEdits& t) {
      std::string s;
      for (const BurnPeriod& b : t.run->embrith.burnPeriods)
        s += std::to_string(b.startHour) + "-" + std::to_string(b.endHour) + " ";
      return s;
    },
    "7-18",
    nullptr,
    kDataChanged,
    [](wxDialog& d) {
      static_cast<runs::ui::CEmbrithRunSheet&>(d).SelectPage(1);
      Pump();
    }};

const Row* const kRows[] = {&kWxs, &kAtm, &kWvLegend, &kEmbrithSheet};

const Exempt kWithoutEdits[] = {
    {"CAboutDlg", "text and a button"},
    {"CProgressDialog", "a progress bar and Cancel"},
    {"UPDialogWindow", "a progress bar and Cancel"},
    {"CLaunchSheet", "the run sheets' base, never shown itself"},
    {"OverlayPropertiesDialog", "the overlay property dialogs' base, never shown itself"},
    {"VectorPropertiesDialog", "the vector property dialogs' base, never shown itself"},
    {"CFileSelectDialog", "a list of file names"},
    {"CDrawPriorityDialog", "a list of overlays put in order"},
    {"CGetLegendNameDialog", "a name, no number"},
    {"CPointDialog", "read-only tables"},
    {"CLegendDialog", "the legend picture"},
    {"CWxsGraphDlg", "a graph paged by day"},
};

// Dialogs with number fields whose rows are still to be written.
const char* const kNotYetDriven[] = {
    "C3DPropertySheet", "CColorRampsDialog", "CContourDialog", "CContourPropertiesDialog",
    "CConvertLCPtoGeoTiffDlg", "CCreateRasterThemeDlg", "CDialogWtrWndToWxs", "CEditorDialog",
    "CEmbrithGustforgeDialog", "CEmbrithPerimetersPropertiesDlg", "CFuelMoisturesDialog", "CGenerateLCPDialog",
    "CGustforgeDialog", "CLandscapeEditDialog", "CLegendCreatorDialog", "CLcpRuleDialog", "CMeasureDialog",
    "CPointVectorPropertiesDialog", "CPolyThemePropertiesDialog", "CPredefinedLegendsDialog", "CPreferencesSheet",
    "CProjectPropertyDialog", "CRampColorsDialog", "CRampDialog", "CRampRelLengthDialog",
    "CRecordDateDlg", "CRunSheet", "CVectorThemePropertiesDialog", "CWindGridDialog",
    "CWxsBulkEditDlg", "CWxsGraphPropertiesDlg", "CpropSheetThemeStats",
};

// The dialog classes of the source tree: classes deriving, directly or through each other,
// from the toolkit's dialog classes.
std::set<std::string> DialogClassesInSource() {
  const std::regex decl(R"(class\s+(\w+)\s*(?:final\s*)?:\s*([^{;]*)\{)");
  const std::regex base(R"((?:public|protected|private)\s+(?:\w+::)*(\w+))");
  std::vector<std::pair<std::string, std::vector<std::string>>> classes;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(PV_SOURCE_DIR) / "src")) {
    const std::string ext = e.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    const std::string text = DialogEdits::Read(e.path().string());
    for (std::sregex_iterator m(text.begin(), text.end(), decl), end; m != end; ++m) {
      std::vector<std::string> bases;
      const std::string list = (*m)[2];
      for (std::sregex_iterator b(list.begin(), list.end(), base); b != end; ++b) bases.push_back((*b)[1]);
      classes.emplace_back((*m)[1], bases);
    }
  }
  std::set<std::string> dialogs = {"wxDialog", "wxPropertySheetDialog"};
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [name, bases] : classes)
      for (const std::string& b : bases)
        if (dialogs.count(b) && dialogs.insert(name).second) grew = true;
  }
  dialogs.erase("wxDialog");
  dialogs.erase("wxPropertySheetDialog");
  return dialogs;
}

std::string RowName(const ::testing::TestParamInfo<const Row*>& info) { return info.param->cls; }

}  // namespace

// Escape in a cell cancels that edit only; the next Escape is the dialog's own.
TEST_P(DialogEdits, EscapeInACellRestoresItAndTheNextEscapeClosesTheDialog) {
  row().open(*this, [&](wxDialog& d) {
    row().show(d);
    const std::string before = row().text(d, 0);
    TypeInto(d, 0, row().typed);
    Key(WXK_ESCAPE);
    EXPECT_EQ(row().text(d, 0), before);
    EXPECT_TRUE(d.IsModal());
    Key(WXK_ESCAPE);
    EXPECT_TRUE(runs_gui::PumpUntil([&] { return !d.IsModal(); }, 40)) << "the second Escape left it open";
  });
  EXPECT_TRUE(messages_->Texts().empty()) << AllTold();
}

// A button clicked while a cell is being edited stores the edit first, then runs.
TEST_P(DialogEdits, OkClickedWhileEditingSavesTheTypedValue) {
  messages_->SetDefaultAnswer(platform::Answer::Yes);
  row().open(*this, [&](wxDialog& d) {
    row().show(d);
    TypeInto(d, 0, row().typed);
    ClickButton(d, wxID_OK);
    EXPECT_TRUE(runs_gui::PumpUntil([&] { return !d.IsModal(); }, 40)) << Told();
  });
  if (row().okQuestion) {
    EXPECT_EQ(Told(), row().okQuestion) << AllTold();
  }
  EXPECT_NE(row().saved(*this).find(row().inSaved), std::string::npos) << row().saved(*this) << AllTold();
}

// Escape and the window manager's close ask before unsaved edits go; Cancel keeps them.
TEST_P(DialogEdits, EscapeAndTheCloseBoxAskBeforeDroppingEdits) {
  messages_->SetDefaultAnswer(platform::Answer::Cancel);
  row().open(*this, [&](wxDialog& d) {
    row().show(d);
    TypeInto(d, 0, row().typed);
    Key(WXK_RETURN);
    ASSERT_EQ(row().text(d, 0), row().typed);
    ASSERT_TRUE(d.IsModal()) << "Enter closed the dialog";
    // Enter may have opened the next cell's editor: its Escape ends that edit only.
    Key(WXK_ESCAPE);
    if (messages_->Texts().empty()) Key(WXK_ESCAPE);
    EXPECT_EQ(Told(), row().closeQuestion) << AllTold();
    EXPECT_TRUE(d.IsModal());
    messages_->Clear();
    ASSERT_TRUE(window_manager::Close(d)) << "no window manager lists " << d.GetTitle();
    EXPECT_TRUE(runs_gui::PumpUntil([&] { return !messages_->Texts().empty(); }, 40));
    EXPECT_EQ(Told(), row().closeQuestion);
    EXPECT_TRUE(d.IsModal());
    EXPECT_EQ(row().text(d, 0), row().typed);
    // With the typed text still in the editor, the close stores it before asking.
    messages_->Clear();
    TypeInto(d, 1, row().typed);
    ASSERT_TRUE(window_manager::Close(d));
    EXPECT_TRUE(runs_gui::PumpUntil([&] { return !messages_->Texts().empty(); }, 40));
    EXPECT_EQ(row().text(d, 1), row().typed);
    EXPECT_TRUE(d.IsModal());
  });
}

// A refused value keeps the dialog open with its message; the other edits stay.
TEST_P(DialogEdits, ARefusedValueKeepsTheDialogAndTheOtherEdits) {
  if (row().refused.empty()) GTEST_SKIP() << "no refused value is driven for " << row().cls;
  messages_->SetDefaultAnswer(platform::Answer::No);
  row().open(*this, [&](wxDialog& d) {
    row().show(d);
    TypeInto(d, 0, row().typed);
    Key(WXK_RETURN);
    TypeInto(d, 1, row().refused);
    ClickButton(d, wxID_OK);
    Pump(6);
    EXPECT_FALSE(messages_->Texts().empty());
    EXPECT_TRUE(d.IsModal());
    EXPECT_EQ(row().text(d, 0), row().typed);
  });
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, DialogEdits, ::testing::ValuesIn(kRows), RowName);

TEST(DialogTable, NamesEveryDialogClassOfTheProgram) {
  const std::set<std::string> found = DialogClassesInSource();
  ASSERT_GT(found.size(), 30u);
  std::set<std::string> listed;
  for (const Row* r : kRows) listed.insert(r->cls);
  for (const Exempt& e : kWithoutEdits) listed.insert(e.cls);
  for (const char* c : kNotYetDriven) listed.insert(c);
  for (const std::string& c : found) EXPECT_TRUE(listed.count(c)) << c << " has no row in the dialog table";
  for (const std::string& c : listed) EXPECT_TRUE(found.count(c)) << c << " is no longer a dialog of the program";
}

// Graph Options: OK with a width out of range names the field and keeps the dialog with every
// other change; nothing is applied until the width is mended.
TEST(GraphOptions, ARefusedWidthKeepsTheDialogAndItsOtherChanges) {
  platform::ScopedRecordingMessages messages;
  const weather::WxGraphSettings before = weather::AppGraphSettings();
  auto* graph = new wxFrame(nullptr, wxID_ANY, "graph", wxPoint(40, 40), wxSize(300, 200));
  graph->Show();
  Pump();
  auto* d = new weather::ui::CWxsGraphPropertiesDlg(graph);
  int told = 0;
  bool open = false, kept = false;
  dialog_test::WithModal<weather::ui::CWxsGraphPropertiesDlg>([&] { d->ShowModal(); }, [&](auto& g) {
    g.width[1]->SetValue("3");
    g.width[0]->SetValue("40");
    wxUIActionSimulator sim;
    wxWindow* ok = g.FindWindow(wxID_OK);
    sim.MouseMove(ok->GetScreenRect().GetPosition() + ok->GetSize() / 2);
    Pump(2);
    sim.MouseClick();
    Pump(6);
    told = static_cast<int>(messages.Texts().size());
    open = g.IsModal();
    kept = g.width[1]->GetValue() == "3";
  });
  ASSERT_EQ(told, 1);
  EXPECT_EQ(messages.Texts()[0], "Temperature width: \"40\" is not a width from 1 to 20 pixels");
  EXPECT_TRUE(open);
  EXPECT_TRUE(kept);
  EXPECT_EQ(weather::AppGraphSettings().curveWidth[1], before.curveWidth[1]);
  d->Destroy();
  graph->Destroy();
  Pump();
}

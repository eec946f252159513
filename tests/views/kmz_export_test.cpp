// KMZ export, judged by tools that share nothing with it: python's zipfile, xmllint,
// gdalwarp/gdalinfo and ogrinfo (tests/views/kmz_oracle.py), on the sample landscape.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/dialogs.h"
#include "platform/image.h"
#include "project/project_test_support.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "themes/legend.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "views/kmz_export.h"

namespace {

using project_test::RunCommand;

std::string Oracle(const std::string& kmz, const std::string& work, const std::vector<std::string>& overlays) {
  std::filesystem::create_directories(work);
  std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/tests/views/kmz_oracle.py '" + kmz + "' '" + work + "'";
  for (const std::string& o : overlays) cmd += " '" + o + "'";
  return RunCommand(cmd + " 2>&1");
}

std::string DocKml(const std::string& kmz) { return RunCommand("unzip -p '" + kmz + "' doc.kml"); }

// The text between the first `open` after `from` and the next `close`.
std::string Between(const std::string& text, const std::string& from, const std::string& open, const std::string& close) {
  std::size_t at = text.find(from);
  if (at == std::string::npos) return "<missing " + from + ">";
  at = text.find(open, at);
  if (at == std::string::npos) return "<missing " + open + ">";
  at += open.size();
  return text.substr(at, text.find(close, at) - at);
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class KmzTest : public project_test::ProjectTest {
 protected:
  CPVN4Doc& Sample() {
    doc_ = std::make_unique<CPVN4Doc>();
    EXPECT_EQ(doc_->OpenLandscape(project_test::SamplePath("sample.lcp")), 1);
    return *doc_;
  }
  // A GeoTIFF of the theme in its legend's display units, the gdalwarp judge's input.
  std::string Tif(const CTheme& theme, const CThemeLegendData& legend, const std::string& name) {
    const std::string path = Path(name + ".tif");
    EXPECT_TRUE(theme.SaveGeoTiff(doc_->landscape.projection, path, &legend));
    return path;
  }
  // An output of the run shaped like the fuel layer: every fifth cell 0, every seventh -1.
  CTheme* AddOutput(CRun& run, int layerType, const std::string& name) {
    const CTheme* fuel = doc_->GetThemeByLayerType(3);
    std::vector<float> cells(static_cast<std::size_t>(fuel->rows) * fuel->columns);
    for (std::size_t i = 0; i < cells.size(); ++i)
      cells[i] = i % 11 == 0 ? -9999.0f : i % 5 == 0 ? 0.0f : i % 7 == 0 ? -1.0f : static_cast<float>(i % 40);
    auto theme = std::make_unique<CTheme>();
    theme->CreateFromFloats(name, fuel->south, fuel->west, fuel->cellWidth, fuel->cellHeight, fuel->rows,
                            fuel->columns, -9999.0f, cells.data(), 0, layerType);
    CTheme* t = theme.get();
    auto legend = run.area->CreateLegendData(t, nullptr);
    run.AddOutputTheme(std::move(theme), std::move(legend));
    return t;
  }
  const CThemeLegendData& OutputLegend(const CRun& run, const CTheme* t) {
    for (const auto& l : run.outputLegends)
      if (l->GetTheme() == t) return *l;
    throw std::runtime_error("no legend");
  }
};

TEST(KmzText, EscapingAndEntryNames) {
  struct {
    const char* in;
    const char* escaped;
    const char* stem;
  } cases[] = {
      {"Flame Length", "Flame Length", "FlameLength"},
      {"a&b/../c", "a&amp;b/../c", "a_b_.._c"},
      {"<\"x\">'", "&lt;&quot;x&quot;&gt;'", "__x___"},
      {"..", "..", "_.."},
      {"", "", "_"},
      {"caf\xC3\xA9 \xFF\x01z", "caf\xC3\xA9 ?z", "caf____z"},
      {"]]>", "]]&gt;", "___"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(views::XmlEscape(c.in), c.escaped) << c.in;
    EXPECT_EQ(views::SafeEntryStem(c.in), c.stem) << c.in;
  }
}

TEST(KmzText, ArrowIntervalsAndTransparentValues) {
  const std::pair<double, double> intervals[] = {{10, 60}, {45, 60}, {60, 90}, {300, 330}, {450, 450},
                                                 {700, 700}, {5000, 3000}};
  for (auto [u, t] : intervals) EXPECT_EQ(views::ArrowInterval(u), t) << u;
  EXPECT_EQ(views::TransparentValuesOf(12), (std::vector<float>{0, -1}));  // Rate of Spread
  EXPECT_EQ(views::TransparentValuesOf(37), (std::vector<float>{0}));      // MTT Arrival Time
  EXPECT_TRUE(views::TransparentValuesOf(39).empty());                     // MTT Burn Probability
}

TEST(KmzLegend, RowsAreNoDataAndTheClassesPresent) {
  const std::vector<float> none(4, -9999.0f), some{1, 1, 5, -9999};
  CTheme empty, used;
  empty.CreateFromFloats("empty", 0, 0, 30, 30, 2, 2, -9999.0f, none.data(), 0, 12);
  used.CreateFromFloats("used", 0, 0, 30, 30, 2, 2, -9999.0f, some.data(), 0, 12);
  CThemeLegendData legend;
  legend.SetTheme(&used);
  for (float v : {-9999.0f, 1.0f, 3.0f, 5.0f, 7.0f}) legend.AddEntry(CLegendEntry(v, 0x00FF00));
  const platform::Image one = views::MakeKmzLegendImage(empty, legend, CellWindow{0, 0, 1, 1});
  ASSERT_FALSE(one.IsEmpty());
  // (rows + 2) row heights and 6 pixels: here "No Data" alone.
  ASSERT_EQ((one.Height() - 6) % 3, 0);
  const int m = (one.Height() - 6) / 3;
  EXPECT_EQ(views::MakeKmzLegendImage(used, legend, CellWindow{0, 0, 1, 1}).Height(), 5 * m + 6);
  EXPECT_TRUE(views::MakeKmzLegendImage(used, CThemeLegendData(), CellWindow{0, 0, 1, 1}).IsEmpty());
}

// An overlay's pixels take the legend's colours through a palette, the largest legend's too;
// the clear values stay transparent.
TEST_F(KmzTest, OverlayPixelsTakeTheLegendColoursThroughAPalette) {
  CPVN4Doc& doc = Sample();
  const CTheme* fuel = doc.GetThemeByLayerType(3);
  // West half 5, east half 50, a band of no data across the middle rows.
  std::vector<float> cells(static_cast<std::size_t>(fuel->rows) * fuel->columns);
  for (int r = 0; r < fuel->rows; ++r)
    for (int c = 0; c < fuel->columns; ++c)
      cells[static_cast<std::size_t>(r) * fuel->columns + c] =
          std::abs(r - fuel->rows / 2) < 3 ? -9999.0f : c < fuel->columns / 2 ? 5.0f : 50.0f;
  CTheme theme;
  theme.CreateFromFloats("halves", fuel->south, fuel->west, fuel->cellWidth, fuel->cellHeight, fuel->rows, fuel->columns,
                         -9999.0f, cells.data(), 0, 12);
  auto shade = [](int k) { return static_cast<COLORREF>((k & 0xFF) | (((k >> 8) * 50 + 1) << 8) | (7 << 16)); };
  for (int classes : {10, kMaxLegendEntries - 1}) {
    CThemeLegendData legend;
    legend.SetTheme(&theme);
    legend.AddEntry(CLegendEntry(-9999.0f, 0xFFFFFF));
    // Class k up to 10 k (ten classes) or k (the most a legend holds), each its own colour.
    const float step = classes == 10 ? 10.0f : 1.0f;
    for (int k = 1; k <= classes; ++k) legend.AddEntry(CLegendEntry(step * k, shade(k)));
    legend.SetMaxValue(step * classes);
    views::KmzOverlay overlay;
    std::string error;
    ASSERT_TRUE(views::MakeKmzOverlayImage(overlay, theme, &legend, doc.landscape.projection, {}, error)) << error;
    const std::string file = Path("halves" + std::to_string(classes) + ".png");
    std::ofstream(file, std::ios::binary) << overlay.png;
    EXPECT_EQ(static_cast<int>(static_cast<unsigned char>(overlay.png.at(25))), 3) << classes;
    platform::Image back;
    ASSERT_TRUE(back.LoadPng(file)) << classes;
    ASSERT_EQ(back.Width(), overlay.width);
    ASSERT_EQ(back.Height(), overlay.height);
    const int y = overlay.height / 4;
    const COLORREF west = shade(classes == 10 ? 1 : 5), east = shade(classes == 10 ? 5 : 50);
    EXPECT_EQ(back.GetPixel(overlay.width / 4, y), platform::RgbaFromColorRef(west)) << classes;
    EXPECT_EQ(back.GetPixel(overlay.width * 3 / 4, y), platform::RgbaFromColorRef(east)) << classes;
    EXPECT_EQ(back.GetPixel(overlay.width / 2, overlay.height / 2).a, 0) << classes;
  }
}

TEST_F(KmzTest, LandscapeKmzMatchesTheWarpingToolAndOnlyFuelModelIsShown) {
  CPVN4Doc& doc = Sample();
  CPyrvane2WorkArea& area = *doc.DefaultArea();
  std::vector<std::string> overlays;
  for (int type : {0, 3, 7}) {
    const CTheme* t = doc.GetThemeByLayerType(type);
    overlays.push_back("Images/" + views::SafeEntryStem(t->name) + ".png=" + Tif(*t, *area.GetLegendDataByLayerType(type), "l" + std::to_string(type)));
  }
  const std::string kmz = Path("area.kmz");
  std::string error;
  ASSERT_TRUE(views::WriteLandscapeKmz(doc, area, kmz, error)) << error;
  const std::string out = Oracle(kmz, Path("x1"), overlays);
  EXPECT_EQ(out.find("FAIL"), std::string::npos) << out;
  const std::string kml = DocKml(kmz);
  // One folder per layer 0-8 (the sample has 8 bands); only the fuel model's is visible.
  EXPECT_EQ(Count(kml, "<GroundOverlay>"), 8);
  EXPECT_EQ(Count(kml, "<visibility>1</visibility>"), 1 + 3);  // the placemark, and the fuel folder's three
  const std::size_t fuel = kml.find("<name>Fuel Model</name>");
  ASSERT_NE(fuel, std::string::npos);
  EXPECT_EQ(kml.substr(fuel).find("<visibility>1</visibility>"), kml.substr(fuel).find("<visibility>"));
  EXPECT_NE(kml.find("<name>sample.lcp - Entire Landscape (Default)</name>"), std::string::npos);
}

TEST_F(KmzTest, RunKmzEscapesNamesAndKeepsEntriesSafeAndUnique) {
  CPVN4Doc& doc = Sample();
  CPyrvane2WorkArea& area = *doc.DefaultArea();
  CRun* run = area.AddRun(std::make_unique<CRun>());
  run->name = "A&B <run>";
  const CTheme* ros = AddOutput(*run, 12, "a&b/../c");
  const CTheme* twin = AddOutput(*run, 12, "a&b/../c");  // the same name again
  const CTheme* arrival = AddOutput(*run, 37, "MTT Arrival Time");
  const std::string kmz = Path("run.kmz");
  // An earlier file is replaced only by a whole archive.
  std::ofstream(kmz) << "old";
  std::string error;
  ASSERT_TRUE(views::WriteRunKmz(doc, *run, kmz, error)) << error;
  const std::string out = Oracle(kmz, Path("x2"), {
      "Images/a_b_.._c.png=" + Tif(*ros, OutputLegend(*run, ros), "ros") + ":0,-1",
      "Images/a_b_.._c_2.png=" + Tif(*twin, OutputLegend(*run, twin), "twin") + ":0,-1",
      "Images/MTTArrivalTime.png=" + Tif(*arrival, OutputLegend(*run, arrival), "arrival") + ":0",
  });
  EXPECT_EQ(out.find("FAIL"), std::string::npos) << out;
  EXPECT_NE(out.find("Images/a_b_.._cLegend.png"), std::string::npos) << out;
  const std::string kml = DocKml(kmz);
  EXPECT_NE(kml.find("<name>A&amp;B &lt;run&gt;</name>"), std::string::npos);
  EXPECT_NE(kml.find("<name>a&amp;b/../c</name>"), std::string::npos);
  // Ids are unique: the second theme of the same name gets its own.
  std::set<std::string> ids;
  for (std::size_t at = kml.find(" id=\""); at != std::string::npos; at = kml.find(" id=\"", at + 1)) {
    const std::string id = kml.substr(at + 5, kml.find('"', at + 5) - at - 5);
    EXPECT_TRUE(ids.insert(id).second) << "duplicate id " << id;
  }
  // A travel-time run shows its arrival time.
  const std::size_t shown = kml.find("<name>MTT Arrival Time</name>\n\t\t\t\t<visibility>1</visibility>");
  EXPECT_NE(shown, std::string::npos);
  EXPECT_EQ(Count(kml, "\t\t\t\t\t<visibility>1</visibility>"), 2);  // its overlay and legend only
}

TEST_F(KmzTest, WithoutAProjectionNothingIsWrittenAndTheCommandSaysSo) {
  CPVN4Doc& doc = Sample();
  doc.landscape.projection.clear();
  const std::string kmz = Path("none.kmz");
  std::string error;
  EXPECT_FALSE(views::WriteLandscapeKmz(doc, *doc.DefaultArea(), kmz, error));
  EXPECT_EQ(error, "Error, cannot resolve projection, no kmz will be written.");
  EXPECT_FALSE(std::filesystem::exists(kmz));
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  EXPECT_FALSE(views::ChooseKmzPath(doc));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error, cannot resolve projection, no kmz will be written."});
  EXPECT_TRUE(dialogs.Requests().empty());
}

TEST_F(KmzTest, TheCommandsAskForTheFileAndBeforeOverwriting) {
  CPVN4Doc& doc = Sample();
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  dialogs.AnswerSaveFile(Path("chosen"));
  EXPECT_EQ(views::ChooseKmzPath(doc), Path("chosen.kmz"));
  ASSERT_EQ(dialogs.Requests().size(), 1u);
  EXPECT_TRUE(dialogs.Requests()[0].options.overwritePrompt);
  EXPECT_EQ(dialogs.Requests()[0].options.filter, "Google Earth KMZ Files (*.kmz)|*.kmz||");
  EXPECT_FALSE(views::ChooseKmzPath(doc));  // cancelled
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(KmzTest, RunOverlaysBecomeFoldersOfLinesAndArrows) {
  CPVN4Doc& doc = Sample();
  CPyrvane2WorkArea& area = *doc.DefaultArea();
  CRun* run = area.AddRun(std::make_unique<CRun>());
  AddOutput(*run, 12, "Rate of Spread");
  const double cell = doc.landscape.header.cellWidth;
  const double x0 = area.west + 10 * cell, y0 = area.south + 10 * cell;
  // A path of two vertices 2.5 cells apart: two points are put between them.
  std::vector<std::vector<double>> lines{{x0, y0, x0 + 2.5 * cell, y0}};
  auto paths = std::make_unique<CVectorTheme>();
  paths->CreateFromLineList("paths", area.east, area.west, area.south, area.north, lines);
  run->majorPaths = area.AdoptVectorTheme(std::move(paths));
  // A point theme as ignitions: a placemark with no lines.
  auto points = std::make_unique<CVectorTheme>();
  const double px = x0, py = y0;
  points->shapes.push_back(VectorShape::Simple(shape_type::kPoint, 1, &px, &py, nullptr));
  points->shapeType = shape_type::kPoint;
  run->mttIgnitions = area.AdoptVectorTheme(std::move(points));
  // Winds from the west everywhere, calm in the first cell.
  auto* wind = new CWindVectorTheme;
  wind->name = "Wind Vectors";
  wind->rows = wind->columns = 60;
  wind->west = area.west, wind->south = area.south;
  wind->east = area.west + 60 * cell, wind->north = area.south + 60 * cell;
  wind->cells.resize(3600);
  for (int r = 0; r < 60; ++r)
    for (int c = 0; c < 60; ++c) {
      CWindVectorCell& a = wind->cells[static_cast<std::size_t>(r) * 60 + c];
      a.x = static_cast<float>(wind->west + (c + 0.5) * cell);
      a.y = static_cast<float>(wind->south + (r + 0.5) * cell);
      a.direction = 270;
      a.magnitude = r < 10 && c < 10 ? 0.0f : 12.0f;
    }
  wind->gridded = wind->visible = true;
  run->windVectors = wind;
  area.AdoptWindVectorTheme(wind);
  ASSERT_NE(doc.FindWindVectorLegend(wind), nullptr);
  const std::string kmz = Path("overlays.kmz");
  std::string error;
  ASSERT_TRUE(views::WriteRunKmz(doc, *run, kmz, error)) << error;
  const std::string out = Oracle(kmz, Path("x3"), {});
  EXPECT_EQ(out.find("FAIL"), std::string::npos) << out;
  for (const char* entry : {"Images/MajorPathStyleSymbol.png", "Images/MTTIgnitionsStyleSymbol.png",
                            "Images/WindVectorStyleLegend.png", "Images/WindVectorStyleSymbol.png"})
    EXPECT_NE(out.find(entry), std::string::npos) << entry;
  const std::string kml = DocKml(kmz);
  // The path: its two vertices and the two points between them.
  const std::string path = Between(kml, "<name>Major Paths</name>", "<coordinates>", "</coordinates>");
  EXPECT_EQ(Count(path, ","), 4) << path;
  EXPECT_EQ(Between(kml, "<name>MTT Ignitions</name>", "<MultiGeometry>", "</MultiGeometry>").find_first_not_of(" \t\r\n"),
            std::string::npos);
  // Arrows: a sample of the 60 x 60 grid; the calm corner gives squares, the rest point east.
  const std::string arrow = Between(kml, "Speed: 12, Direction: 270", "<coordinates>\n", "</coordinates>");
  double lon[5], lat[5];
  int alt = 0;
  std::istringstream in(arrow);
  for (int k = 0; k < 5; ++k) {
    std::string line;
    std::getline(in, line);
    ASSERT_EQ(std::sscanf(line.c_str(), " %lf,%lf,%d", &lon[k], &lat[k], &alt), 3) << arrow;
  }
  EXPECT_GT(lon[1], lon[4]);  // the tip east of the tail
  EXPECT_NEAR(lat[1], lat[4], 1e-4);
  EXPECT_EQ(lon[1], lon[3]);
  EXPECT_GT(Count(kml, "Speed: 0, Direction: 270"), 0);
  EXPECT_GT(Count(kml, "<styleUrl>#WindVectorStyle"), 0);
  // ogrinfo reads the folders with their placemarks.
  EXPECT_NE(out.find("Layer name: Major Paths"), std::string::npos) << out;
  EXPECT_NE(out.find("Layer name: Data Points"), std::string::npos) << out;
}

}  // namespace

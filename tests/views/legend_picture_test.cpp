// The legend's pictures: rows of labels and swatches in the legend's colours, read back from
// a PNG by GDAL.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/application.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "themes/theme.h"
#include "views/legend_picture.h"

namespace views {
namespace {

std::string Sample() { return std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"; }

// Each "x y r g b" line names a pixel of the PNG; GDAL answers with the pixels that differ.
std::string Mismatches(const std::string& png, const std::string& checks) {
  const std::string script = std::string(PV_PYTHON) + " - " + png + " <<'EOF'\n" +
                             "import sys\n"
                             "from osgeo import gdal\n"
                             "ds = gdal.Open(sys.argv[1]); b = [ds.GetRasterBand(i + 1).ReadAsArray() for i in range(3)]\n"
                             "for line in '''" + checks + "'''.split('\\n'):\n"
                             "    if not line.strip(): continue\n"
                             "    x, y, r, g, bl = map(int, line.split())\n"
                             "    got = (int(b[0][y, x]), int(b[1][y, x]), int(b[2][y, x]))\n"
                             "    if got != (r, g, bl): print(x, y, got, (r, g, bl))\n"
                             "EOF";
  std::string out;
  if (FILE* p = ::popen(script.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    if (::pclose(p) != 0) out += "python failed";
  }
  return out;
}

TEST(LegendPicture, LabelsCarryTheLegendsDecimalsAndABlank) {
  EXPECT_EQ(LegendValueLabel(12.5, 3), "12.500 ");
  EXPECT_EQ(LegendValueLabel(7, 0), "7 ");
  CThemeLegendData legend;
  legend.AddEntry(CLegendEntry(kNoData, 0));
  legend.AddEntry(CLegendEntry(2.25f, 0xFF));
  legend.SetDecimals(1);
  EXPECT_EQ(LegendClassLabel(legend, 0), "No Data");
  EXPECT_EQ(LegendClassLabel(legend, 1), "2.2 ");
  CPVN4Doc empty;
  EXPECT_TRUE(CollectLegend(empty).empty);
}

TEST(LegendPicture, ValuesPrintWithoutTheNoiseOfTheirStorage) {
  struct Case {
    float value;
    int decimals;
    const char* shown;
  } cases[] = {
      {0.17f, 9, "0.17"},          {1.0f, 9, "1"},        {0.270000011f, 9, "0.27"},  {0.0f, 9, "0"},
      {11.995916367f, 9, "11.99592"}, {11.995916367f, 0, "12"}, {90.843910217f, 1, "90.8"}, {12.5f, 3, "12.500"},
      {-0.0001f, 0, "0"},          {-3.25f, 9, "-3.25"},  {1234567.0f, 2, "1234567"}, {20.0f, 4, "20.0000"},
  };
  for (const Case& c : cases) EXPECT_EQ(LegendValueLabel(c.value, c.decimals), std::string(c.shown) + " ") << c.shown;
  EXPECT_EQ(ContourIntervalText(23.991833f, "Minutes"), "23.99183 Minutes");
}

// The legends the shipped preferences give each output type, as the legend window prints them.
TEST(LegendPicture, ShippedPreferencesPrintOutputsAsAnAnalystReadsThem) {
  platform::ScopedRecordingMessages messages;
  CPVN4App& app = GetApp();
  const StoredPreferences saved = app;
  ASSERT_TRUE(app.ReadPreferencesFile(std::string(PV_SOURCE_DIR) + "/data/defaults.cfg"));
  ASSERT_FALSE(app.colorRamps.empty());
  EXPECT_EQ(app.colorRamps.front()->GetCount(), 0);  // "Random" is offered from the first start

  CPVN4Doc doc;
  ASSERT_EQ(doc.OpenLandscape(Sample()), 1);
  CTheme* theme = doc.GetThemeByLayerType(3);  // its cells are replaced below
  ASSERT_NE(theme, nullptr);
  const int keptType = theme->layerType, keptUnits = theme->units;
  struct Case {
    int layerType, storedUnits;
    std::vector<float> cells;
    std::vector<std::string> shown;
    const char* units;
  } cases[] = {
      {11, 0, {0.6f, 4.683682919f}, {"0.6", "4.7"}, "Meters"},                 // flame length
      {12, 0, {0.5f, 12.345f}, {"0.5", "12.3"}, "m/min"},                       // rate of spread
      {13, 0, {3.2f, 1234.56f}, {"3", "1235"}, "kW/m"},                         // fireline intensity
      {15, 0, {0, 1, 2, 3}, {"0", "1", "2", "3"}, "Class"},                     // crown fire activity
      {17, 0, {0.03f, 0.045f}, {"3.0", "4.5"}, "Percent"},                      // 1-h moisture
      {27, 0, {0.12f, 0.2f}, {"12.0", "20.0"}, "Percent"},                      // 1000-h moisture
      {37, 0, {11.995916367f, 240.4f}, {"12", "240"}, "Minutes"},               // arrival time
      {39, 0, {0.002f, 0.0125f}, {"0.002", "0.013"}, "Fraction"},               // burn probability
      {40, 0, {0, 1}, {"0", "1"}, "Class"},                                     // treatment
      {5, 3, {6, 36}, {"0.6", "3.6"}, "Meters"},                                // stand height in tenths
      {7, 3, {17, 27}, {"0.17", "0.27"}, "kg/m^3"},                             // bulk density in hundredths
  };
  const std::size_t count = static_cast<std::size_t>(theme->rows) * static_cast<std::size_t>(theme->columns);
  for (const Case& c : cases) {
    theme->layerType = c.layerType;
    theme->units = static_cast<std::int16_t>(c.storedUnits);
    std::vector<float> cells(count);
    for (std::size_t i = 0; i < count; ++i) cells[i] = c.cells[i % c.cells.size()];
    const auto legend = doc.currentArea->CreateLegendData(theme, cells.data());
    EXPECT_TRUE(legend->IsUniqueValues()) << c.layerType;
    EXPECT_EQ(legend->GetUnitsName(), c.units) << c.layerType;
    std::vector<std::string> shown;
    for (int i = 1; i < legend->GetCount(); ++i) {
      const std::string label = LegendClassLabel(*legend, i);
      shown.push_back(label.substr(0, label.size() - 1));
    }
    EXPECT_EQ(shown, c.shown) << c.layerType;
  }
  theme->layerType = keptType;
  theme->units = static_cast<std::int16_t>(keptUnits);
  app.FreePreferenceLists();
  static_cast<StoredPreferences&>(app) = saved;
  EXPECT_TRUE(messages.Texts().empty());
}

TEST(LegendPicture, SampleFuelLegendSavedAsPngHasOneSwatchPerModelInItsColour) {
  platform::ScopedRecordingMessages messages;
  CPVN4Doc doc;
  ASSERT_EQ(doc.OpenLandscape(Sample()), 1);
  const CThemeLegendData* legend = doc.GetVisibleThemeLegend();
  ASSERT_NE(legend, nullptr);
  LegendContent content = CollectLegend(doc);
  ASSERT_FALSE(content.empty);
  ASSERT_EQ(static_cast<int>(content.classes.size()), legend->GetCount());
  EXPECT_GT(legend->GetCount(), 2);

  LegendRowsLayout layout;
  platform::Image picture = DrawLegendPicture(content, &layout);
  EXPECT_EQ(picture.Width(), std::max(layout.labelWidth + 46, picture.Width() - 2) + 2);  // one column
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "legend-picture";
  std::filesystem::create_directories(dir);
  const std::string png = (dir / "fuel.png").string();
  ASSERT_TRUE(picture.SavePng(png));
  std::string checks;
  const int cx = (layout.swatchLeft + layout.swatchRight) / 2;
  for (int i = 0; i < legend->GetCount(); ++i) {
    const int cy = layout.firstRowTop + i * layout.rowHeight + (layout.rowHeight - 2) / 2;
    const platform::Rgba c = platform::RgbaFromColorRef(legend->GetEntry(i).GetColor());
    checks += std::to_string(cx) + " " + std::to_string(cy) + " " + std::to_string(c.r) + " " + std::to_string(c.g) +
              " " + std::to_string(c.b) + "\n";
  }
  EXPECT_EQ(Mismatches(png, checks), "");

  // A visible vector theme adds a column with its sample in its colour; a hidden one does not.
  auto lines = std::make_unique<CVectorTheme>();
  lines->name = "Roads";
  lines->shapeType = 3;
  lines->lineColor = 0x0000FF;  // red
  lines->lineWidth = 3;
  doc.AddVectorTheme(std::move(lines));
  auto hidden = std::make_unique<CVectorTheme>();
  hidden->visible = false;
  doc.AddVectorTheme(std::move(hidden));
  content = CollectLegend(doc);
  ASSERT_EQ(content.vectors.size(), 1u);
  platform::Image two = DrawLegendPicture(content);
  EXPECT_EQ(two.Width(), 2 * (picture.Width() - 2) + 4);
  int red = 0;
  for (int y = 0; y < two.Height(); ++y)
    for (int x = picture.Width(); x < two.Width(); ++x) red += two.GetPixel(x, y) == platform::Rgba{255, 0, 0, 255};
  EXPECT_GT(red, 20);
  std::filesystem::remove_all(dir);
}

// A vector theme's title wider than its column widens the column: the classes and their
// swatches are drawn exactly as without it.
TEST(LegendPicture, ALongVectorTitleLeavesTheClassesUntouched) {
  platform::ScopedRecordingMessages messages;
  CPVN4Doc doc;
  ASSERT_EQ(doc.OpenLandscape(Sample()), 1);
  LegendRowsLayout plainLayout;
  const platform::Image plain = DrawLegendRows(CollectLegend(doc), &plainLayout);
  auto units = std::make_unique<CVectorTheme>();
  units->name = "Proposed Fuel Treatment Units, Phase Two (North Ridge)";
  units->shapeType = 5;
  doc.AddVectorTheme(std::move(units));
  LegendRowsLayout layout;
  const platform::Image rows = DrawLegendRows(CollectLegend(doc), &layout, LegendBox{0, 0, 120, 30});
  ASSERT_EQ(layout.titles.size(), 1u);
  const LegendBox& title = layout.titles[0];
  EXPECT_GT(title.x, layout.swatchRight);
  EXPECT_GT(title.width, 150);
  EXPECT_EQ(title.height, 30);
  EXPECT_GE(rows.Width(), title.x + title.width);
  int differ = 0;
  for (int y = 0; y < plain.Height(); ++y)
    for (int x = 0; x < std::min(layout.secondColumnLeft, plain.Width()); ++x) differ += rows.GetPixel(x, y) != plain.GetPixel(x, y);
  EXPECT_EQ(differ, 0);
}

int Count(const platform::Image& image, int x0, int x1, platform::Rgba c) {
  int n = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, image.Width()); ++x) n += image.GetPixel(x, y) == c;
  return n;
}

TEST(LegendPicture, ContoursJoinTheSampleColumnAndArrowThemesGetColumnsOfTheirOwn) {
  EXPECT_EQ(ContourIntervalText(50, "Meters"), "50 Meters");
  EXPECT_EQ(ContourIntervalText(2.5, "Feet"), "2.5 Feet");

  platform::ScopedRecordingMessages messages;
  CPVN4Doc doc;
  ASSERT_EQ(doc.OpenLandscape(Sample()), 1);
  const int plainWidth = DrawLegendPicture(CollectLegend(doc)).Width();
  auto contour = MakeOwnedTheme(new CContourTheme);
  contour->name = "Elevation";
  contour->interval = 50;
  contour->color = 0x00FF00;  // green
  contour->lineWidth = 3;
  doc.AddContourTheme(std::move(contour));
  // Three arrow themes, one hidden, each with a legend of blue, then magenta classes.
  const platform::Rgba blue{0, 0, 255, 255}, magenta{255, 0, 255, 255};
  for (int i = 0; i < 3; ++i) {
    auto t = MakeOwnedTheme(new CWindVectorTheme);
    t->name = "Arrows " + std::to_string(i);
    t->visible = i != 1;
    CWindVectorTheme* p = t.get();
    doc.AddWindVectorTheme(std::move(t));
    doc.AddWindVectorDrawItem(p);
    CWVLegendData* legend = doc.FindWindVectorLegend(p);
    ASSERT_TRUE(legend);
    legend->RemoveAllEntries();
    legend->lineWidth = 2;
    for (int k = 0; k < 2 + i; ++k) legend->AddEntry(CWVLegendEntry(float(k * 10), k ? 0xFF00FF : 0xFF0000, 1));
  }
  const LegendContent content = CollectLegend(doc);
  ASSERT_EQ(content.contours.size(), 1u);
  EXPECT_EQ(content.contours[0].interval, "50 Meters");
  ASSERT_EQ(content.arrows.size(), 2u);
  EXPECT_EQ(content.arrows[1].name, "Arrows 2");
  EXPECT_EQ(content.arrows[1].classes.size(), 4u);

  LegendRowsLayout layout;
  const platform::Image rows = DrawLegendRows(content, &layout);
  ASSERT_EQ(layout.arrowColumnLefts.size(), 2u);
  EXPECT_EQ(layout.arrowColumnLefts[1] - layout.arrowColumnLefts[0], 165);
  const int a0 = layout.arrowColumnLefts[0], a1 = layout.arrowColumnLefts[1];
  EXPECT_GT(Count(rows, layout.secondColumnLeft, a0, {0, 255, 0, 255}), 20);  // the contour's line
  EXPECT_GT(Count(rows, a0, a1, blue), 10);
  EXPECT_GT(Count(rows, a0, a1, magenta), 10);
  EXPECT_GT(Count(rows, a1, rows.Width(), magenta), 2 * Count(rows, a0, a1, magenta) - 10);
  EXPECT_GE(rows.Height(), 2 + (layout.rowHeight + 3) + 4 * (layout.rowHeight + 1));

  // The saved picture has the contour in its second column and no arrows.
  const platform::Image picture = DrawLegendPicture(content);
  EXPECT_EQ(picture.Width(), 2 * (plainWidth - 2) + 4);
  EXPECT_GT(Count(picture, plainWidth, picture.Width(), {0, 255, 0, 255}), 20);
  EXPECT_EQ(Count(picture, 0, picture.Width(), magenta), 0);
}

}  // namespace
}  // namespace views

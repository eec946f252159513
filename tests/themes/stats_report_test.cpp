// The statistics sheet's numbers and files: the General text against numpy over the same
// window, the class counts and areas, and the Classes file read back by Python's csv module.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <sstream>

#include "platform/messages.h"
#include "themes/legend.h"
#include "themes/stats_report.h"
#include "themes/theme.h"
#include "themes/theme_stats.h"
#include "themes_test_support.h"

namespace {

using themes_test::MakeTheme;
using themes_test::Python;
using themes_test::ReadBytes;

class StatsReport : public themes_test::TempFolderTest {};

CThemeLegendData Classes(const std::vector<float>& values, int decimals = 0) {
  CThemeLegendData legend;
  legend.AddEntry(CLegendEntry(kNoData, 0));
  for (float v : values) legend.AddEntry(CLegendEntry(v, 0x00FF00));
  legend.SetDecimals(decimals);
  return legend;
}

// "Label:\t\tvalue" lines of the General text as numbers, by label.
std::map<std::string, double> Summary(const std::string& text) {
  std::map<std::string, double> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon + 1 >= line.size()) continue;
    std::string key = line.substr(0, colon);
    while (!key.empty() && key.front() == ' ') key.erase(0, 1);
    const char* value = line.c_str() + colon + 1;
    char* end = nullptr;
    const double v = std::strtod(value, &end);
    if (end != value) out[key] = v;
  }
  return out;
}

TEST_F(StatsReport, CellsCountInTheFirstClassNotBelowThemAndAreasFollowTheUnit) {
  // Classes 10, 20, 30: 5 and 10 go to 10, 15 to 20, 30 and 45 to 30, no data to its own.
  const auto theme = MakeTheme(2, 3, {5, 10, 15, 30, 45, kNoData});
  const CThemeLegendData legend = Classes({10, 20, 30});
  const ThemeClassCounts c = CountThemeClasses(*theme, legend, CellWindow{0, 0, 2, 1});
  EXPECT_EQ(c.counts, (std::vector<long>{1, 2, 1, 2}));
  EXPECT_EQ(c.exact, (std::vector<long>{1, 1, 0, 1}));

  // 100 cells of 30 m in one class: 9.00 hectares, 22.24 acres; feet use their own factors.
  ThemeClassCounts hundred;
  hundred.values = {kNoData, 1};
  hundred.counts = {0, 100};
  hundred.exact = {0, 100};
  const struct {
    int gridUnits, areaUnit;
    const char* area;
  } cases[] = {{0, kHectares, "9.00"}, {0, kAcres, "22.24"}, {1, kHectares, "0.84"}, {1, kAcres, "2.07"}};
  for (const auto& k : cases) {
    const auto rows = ThemeClassRows(*theme, legend, hundred, k.gridUnits, k.areaUnit);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].value, "No Data");
    EXPECT_EQ(rows[1].area, k.area) << k.gridUnits << " " << k.areaUnit;
    EXPECT_EQ(rows[1].count, "100");
  }
}

TEST_F(StatsReport, GeneralTextEqualsNumpyOverTheSameWindow) {
  const int rows = 37, columns = 23;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, 60);
  std::vector<float> cells(static_cast<std::size_t>(rows) * columns);
  for (float& v : cells) {
    const int k = pick(random);
    v = k < 6 ? kNoData : static_cast<float>(k) * 0.25f - 3.0f;
  }
  const auto theme = MakeTheme(rows, columns, cells);
  const CellWindow window{3, 5, 19, 30};
  CThemeStats stats;
  stats.Compute(*theme, window);
  const CThemeLegendData legend = Classes({1}, 4);
  const std::string text = ThemeGeneralText(*theme, legend, stats, "");
  EXPECT_EQ(text.rfind("Theme: grid\r\nUnits: ", 0), 0u);
  // The window's corner is called what the projection calls its coordinates.
  struct Named {
    const char* projection;
    const char* west;
    const char* north;
  } named[] = {{"EPSG:32611", "\r\nWest UTM: ", "\r\nNorth UTM: "},
               {"EPSG:4326", "\r\nWest Longitude: ", "\r\nNorth Latitude: "},
               {"+proj=lcc +lat_1=33 +lat_2=45 +lat_0=39 +lon_0=-96 +datum=NAD83", "\r\nWest: ", "\r\nNorth: "},
               {"", "\r\nWest: ", "\r\nNorth: "}};
  for (const Named& n : named) {
    const std::string t = ThemeGeneralText(*theme, legend, stats, n.projection);
    EXPECT_NE(t.find(n.west), std::string::npos) << n.projection;
    EXPECT_NE(t.find(n.north), std::string::npos) << n.projection;
  }
  EXPECT_NE(text.find("\r\nPercentiles:\r\n  1%\t\t"), std::string::npos);

  std::ostringstream values;
  for (float v : cells) values << v << ' ';
  themes_test::WriteBytes(Path("cells.txt"), values.str());
  const std::string oracle = Python(
      "import numpy as np\n"
      "a = np.loadtxt('" + Path("cells.txt") + "', dtype=np.float32).reshape(37, 23)\n"
      "w = a[5:31, 3:20].ravel()\n"
      "v = np.sort(w[w != -9999]).astype(np.float64)\n"
      "n = len(v)\n"
      "u, c = np.unique(v, return_counts=True)\n"
      "print(n, (w == -9999).sum(), v.mean(), v.std(ddof=1), v.min(), v.max(), u[np.argmax(c)])\n"
      "h = 0.0\n"
      "p = []\n"
      "for k in range(100):\n"
      "    h += n * 0.01\n"
      "    if h >= n: h = n - 1\n"
      "    p.append(v[int(h)])\n"
      "print(' '.join(repr(x) for x in p))\n",
      dir_);
  const std::vector<double> expect = themes_test::ParseNumbers(oracle);
  ASSERT_EQ(expect.size(), 107u) << oracle;
  const auto shown = Summary(text);
  auto near = [](double a, double b) { return std::fabs(a - b) <= 6e-5 + 1e-6 * std::fabs(b); };
  EXPECT_EQ(shown.at("Number of valid cells"), expect[0]);
  EXPECT_EQ(shown.at("No Data Count"), expect[1]);
  EXPECT_EQ(shown.at("Number of cells N-S"), 26);
  EXPECT_EQ(shown.at("Number of cells E-W"), 17);
  const char* const keys[] = {"Mean", "StdDev", "Min", "Max", "Mode"};
  for (int i = 0; i < 5; ++i) EXPECT_PRED2(near, shown.at(keys[i]), expect[2 + i]) << keys[i];
  for (int k = 1; k <= 100; ++k) {
    char key[8];
    std::snprintf(key, sizeof key, "%3d%%", k);
    // Percentile lines are "  7%\t\tvalue": the label has no colon, so they are read here.
    const std::size_t at = text.find(std::string("\r\n") + key + "\t\t");
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_PRED2(near, std::strtod(text.c_str() + at + 2 + std::strlen(key) + 2, nullptr), expect[6 + k]) << key;
  }
  EXPECT_PRED2(near, shown.at("Median"), expect[6 + 50]);
}

TEST_F(StatsReport, ClassesFileParsesInPythonsCsvAndIsWrittenWhole) {
  const auto theme = MakeTheme(1, 4, {1, 2, 2, kNoData});
  const CThemeLegendData legend = Classes({1, 2}, 1);
  const auto rows = ThemeClassRows(*theme, legend, CountThemeClasses(*theme, legend, {0, 0, 3, 0}), 0, kAcres);
  // A theme name with a comma and a quote still reads back as one field.
  const std::string csv = ThemeClassesCsv("fuel, \"new\"", "Percent", kAcres, rows);
  ASSERT_TRUE(SaveStatisticsText(Path("classes.csv"), csv, true));
  EXPECT_EQ(ReadBytes(Path("classes.csv")), csv);
  const std::string parsed = Python(
      "import csv\n"
      "for r in csv.reader(open('" + Path("classes.csv") + "', newline=''), skipinitialspace=True):\n"
      "    print('|'.join(r))\n",
      dir_);
  EXPECT_EQ(parsed,
            "fuel, \"new\"-Percent|Frequency|Exact Matches|Acres\n"
            "No Data|1|1|0.22\n"
            "1.0|1|1|0.22\n"
            "2.0|2|2|0.44\n");

  // A file that cannot be made says which; the one already there is kept.
  platform::ScopedRecordingMessages messages;
  EXPECT_FALSE(SaveStatisticsText(Path("missing/classes.csv"), csv, true));
  EXPECT_FALSE(SaveStatisticsText(Path("missing/general.txt"), "x", false));
  ASSERT_EQ(messages.Texts().size(), 2u);
  EXPECT_EQ(messages.Texts()[0], "Error opening " + Path("missing/classes.csv") + " as output");
  EXPECT_EQ(messages.Texts()[1].rfind("Error writing " + Path("missing/general.txt") + ": ", 0), 0u);
}

}  // namespace

// Burn-probability runs: random ignitions and fire lists on a homogeneous GDAL-written
// landscape and on the sample landscape; the counts agree with the fire sizes, the outputs do
// not depend on the thread count, the tables parse as CSV, and the runs that cannot go on say
// why and complete with 0.
#include "runs/run_burnprob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include "launch_fixture.h"
#include "platform/folders.h"
#include "runs/run.h"
#include "themes/theme.h"
#include "weather/temp_dir.h"

namespace {

constexpr double kCellAcres = 30.0 * 30.0 * 0.0002471053816137119;

// A flat landscape of one fuel model, written by GDAL's own LCP writer: rows x cols cells of
// 30 m from (1000, 2000).
std::string HomogeneousLcp(const TempDir& dir, int fuel, int rows = 60, int cols = 60) {
  const std::string lcp = dir.File("flat" + std::to_string(fuel) + ".lcp");
  const std::string script =
      "from osgeo import gdal\nimport numpy as np\n"
      "m = gdal.GetDriverByName('MEM').Create('', " + std::to_string(cols) + ", " + std::to_string(rows) +
      ", 5, gdal.GDT_Int16)\n"
      "m.SetGeoTransform([1000.0, 30.0, 0, " + std::to_string(2000 + 30 * rows) + ".0, 0, -30.0])\n"
      "for b, v in enumerate([500, 0, 0, " + std::to_string(fuel) + ", 0]):\n"
      "    m.GetRasterBand(b + 1).WriteArray(np.full((" + std::to_string(rows) + ", " + std::to_string(cols) +
      "), v, dtype=np.int16))\n"
      "gdal.GetDriverByName('LCP').CreateCopy('" + lcp + "', m, options=['LATITUDE=45', 'LINEAR_UNIT=METER'])\n";
  const std::string py = dir.Write("make_lcp.py", script);
  EXPECT_EQ(std::system((std::string(PV_PYTHON) + " " + py).c_str()), 0);
  return lcp;
}

struct BurnFixture : LaunchFixtureBase {
  runs::BurnProbabilityLaunch launch;
  explicit BurnFixture(int fuel = 1, int rows = 60, int cols = 60) {
    run.inputs.windSpeed = 10;
    run.inputs.windDirection = 225;
    run.mtt.ignitionSource = 2;
    run.mtt.numberOfRandomFires = 300;
    run.mtt.resolution = 30;
    run.mtt.simulationTime = 20;
    run.mtt.burnProbabilities = run.mtt.perimeters = run.mtt.flpEnglish = run.mtt.flpMetric = run.mtt.fireSizeList = 1;
    Attach(launch);
    launch.landscapeFile = HomogeneousLcp(dir, fuel, rows, cols);
    launch.geometry = {1000.0 + 30 * cols, 1000, 2000.0 + 30 * rows, 2000, 30, 30};
    launch.seed = 12345;
    launch.threads = 2;
  }
  const runs::BurnProbabilityResult& Launch() {
    EXPECT_TRUE(runs::LaunchBurnProbabilityThreads(launch));
    return launch.result;
  }
};

double SumOf(const std::vector<float>& v) { return std::accumulate(v.begin(), v.end(), 0.0); }

}  // namespace

TEST(BurnProbability, CountsAgreeWithTheFireSizesAndMatchTheShapeOfOneFire) {
  // One fire from the centre gives the burned shape S of every fire far enough from the edges.
  BurnFixture one;
  one.run.mtt.ignitionSource = 3;
  one.run.mtt.fireListFile = one.dir.Write("one.txt", "1 1915 2915\n");
  const runs::BurnProbabilityResult& centre = one.Launch();
  ASSERT_TRUE(centre.succeeded) << (one.messages.Texts().empty() ? "" : one.messages.Texts()[0]);
  ASSERT_EQ(centre.completed, 1);
  const double shape = centre.records.at(0).fireSize / kCellAcres;
  ASSERT_GT(shape, 20);
  ASSERT_LT(shape, 60 * 60 / 8);

  BurnFixture f;
  const runs::BurnProbabilityResult& r = f.Launch();
  ASSERT_TRUE(r.succeeded);
  EXPECT_EQ(f.Completions(1), 1);
  EXPECT_EQ(r.fires, 300);
  EXPECT_EQ(r.completed, 300);  // every cell can burn
  ASSERT_EQ(r.burnProbability.size(), 3600u);
  for (float p : r.burnProbability) {
    ASSERT_GE(p, 0.f);
    ASSERT_LE(p, 1.f);
  }
  // Sum of BP x completed fires x cell area = sum of the fire sizes.
  double sizes = 0;
  for (const FireSizeRecord& rec : r.records) {
    EXPECT_GE(rec.fireNumber, 0);
    EXPECT_GE(rec.ignitionX, 1000);
    EXPECT_LE(rec.ignitionX, 2800);
    sizes += rec.fireSize;
  }
  EXPECT_NEAR(SumOf(r.burnProbability) * r.completed * kCellAcres, sizes, 1e-4 * sizes);
  // Cells whose reflected fire shape fits inside the area burn with probability |S| / N: the
  // mean over the middle lies within four binomial standard errors of it.
  double middle = 0;
  int cells = 0;
  for (int row = 25; row < 35; ++row)
    for (int col = 25; col < 35; ++col, ++cells) middle += r.burnProbability[static_cast<std::size_t>(row) * 60 + col];
  const double p = shape / 3600, se = std::sqrt(p * (1 - p) / r.completed);
  EXPECT_NEAR(middle / cells, p, 4 * se);
  ASSERT_EQ(r.perimeters.size(), 300u);
  EXPECT_TRUE(std::all_of(r.perimeters.begin(), r.perimeters.end(), [](const auto& o) { return o != nullptr; }));
}

TEST(BurnProbability, AFireListGivesTheSameBytesOnOneAndEightThreads) {
  std::string list = "FIRE_NUM, X, Y\n";
  for (int k = 0; k < 40; ++k)
    list += std::to_string(k) + ", " + std::to_string(612100 + (k * 977) % 4600) + ", " +
            std::to_string(4507300 + (k * 613) % 4600) + (k % 2 ? ",\n" : "\n");
  list += "99 700000 4509000\n";  // outside the area
  runs::BurnProbabilityResult results[2];
  for (int threads : {1, 8}) {
    BurnFixture f;
    f.launch.landscapeFile = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
    f.launch.geometry = {616800, 612000, 4512000, 4507200, 30, 30};
    f.run.mtt.ignitionSource = 3;
    f.run.mtt.fireListFile = f.dir.Write("fires.txt", list);
    f.run.mtt.resolution = 60;
    f.run.mtt.simulationTime = 120;
    f.run.mtt.spotProbability = 0.2;
    f.run.inputs.windSpeed = 25;
    f.launch.threads = threads;
    f.Launch();
    ASSERT_TRUE(f.launch.result.succeeded);
    EXPECT_EQ(f.launch.result.threads, threads);
    results[threads == 8] = std::move(f.launch.result);
  }
  const auto& a = results[0];
  const auto& b = results[1];
  EXPECT_EQ(a.fires, 40);
  EXPECT_GT(a.completed, 30);
  EXPECT_EQ(a.completed, b.completed);
  ASSERT_EQ(a.burnProbability.size(), b.burnProbability.size());
  EXPECT_EQ(0, std::memcmp(a.burnProbability.data(), b.burnProbability.data(), a.burnProbability.size() * 4));
  EXPECT_EQ(a.flpEnglish, b.flpEnglish);
  EXPECT_EQ(a.flpMetric, b.flpMetric);
  EXPECT_EQ(a.fireSizeList, b.fireSizeList);
  EXPECT_EQ(a.records, b.records);

  // The tables as Python's csv module reads them: the columns, probabilities in [0, 1] and
  // flame-length shares summing to at most 1; the fire sizes in acres and hectares.
  TempDir dir;
  dir.Write("english.csv", a.flpEnglish);
  dir.Write("metric.csv", a.flpMetric);
  dir.Write("sizes.csv", a.fireSizeList);
  const std::string script = R"(import csv, sys
d = sys.argv[1]
for name, classes in (('english.csv', 6), ('metric.csv', 20)):
    rows = list(csv.reader(open(d + '/' + name, newline=''), skipinitialspace=True))
    head = ['XPos', 'YPos', 'PBurn'] + ['FIL%d' % k for k in range(1, classes + 1)]
    assert rows[0] == head, rows[0]
    body = [[float(v) for v in r] for r in rows[1:]]
    assert len(body) == 80 * 80, len(body)
    assert all(len(r) == 3 + classes for r in body)
    assert all(0 <= r[2] <= 1 for r in body)
    assert all(sum(r[3:]) <= 1 + 1e-5 and min(r[3:]) >= 0 for r in body)
    assert all(sum(r[3:]) == 0 for r in body if r[2] == 0)
    assert any(r[2] > 0 for r in body)
    assert body[0][:2] == [612030.0, 4511970.0], body[0][:2]
rows = list(csv.reader(open(d + '/sizes.csv', newline=''), skipinitialspace=True))
assert rows[0] == ['FIRE_NUM', 'XStart', 'YStart', 'FireSize Acres', 'FireSize Ha'], rows[0]
assert [int(r[0]) for r in rows[1:]] == list(range(40))
assert all(abs(float(r[3]) * 0.404686 - float(r[4])) < 1e-5 for r in rows[1:])
)";
  const std::string py = dir.Write("check.py", script);
  EXPECT_EQ(std::system((std::string(PV_PYTHON) + " " + py + " " + dir.File("")).c_str()), 0);
}

TEST(BurnProbability, TableRowsFitTheBarsRange) {
  // The bar's range holds 65535 steps: longer tables step it every few rows, ending full.
  for (int rows : {1, 30, 65535, 65536, 131070, 131071, 1000000}) {
    SCOPED_TRACE(rows);
    const runs::RowsOnBar bar(rows);
    EXPECT_LE(bar.range, 65535);
    EXPECT_GE(bar.range, std::min(rows, 32768));
    EXPECT_EQ(bar.Position(0), 0);
    EXPECT_EQ(bar.Position(rows), bar.range);
    if (rows <= 65535) EXPECT_EQ(bar.Position(rows - 1), rows - 1);
  }
}

TEST(BurnProbability, FireListLinesAndFlameLengthClasses) {
  const char* text =
      "FIRE_NUM XStart YStart\n"
      "1 10 20\n"
      "2, 11.5, 21,\n"
      "3,12,22\n"
      "4 , 13, 23\n"           // a blank before the first comma fits neither form
      "5 300 20\n"             // east of the area
      "6 10 100\r\n"           // on the north edge
      "+7 1e1 2.0e1 trailing\n"
      "\n"
      "8 nan 20\n";
  const auto points = runs::ParseFireList(text, 100, 0, 100, 0);
  std::vector<std::pair<double, double>> got;
  for (const auto& p : points) got.emplace_back(p.x, p.y);
  EXPECT_EQ(got, (std::vector<std::pair<double, double>>{{10, 20}, {11.5, 21}, {12, 22}, {10, 100}, {10, 20}}));

  struct Case {
    float metres;
    int metric, english;
  } cases[] = {{0.f, 0, 0},         {0.49f, 0, 1},  {4.0f, 8, 5},     {2.4384f, 4, 4},  // 8.0 ft
               {1.6f / 3.2808f, 0, 1}, {9.5f / 3.2808f, 5, 4}, {11.6f / 3.2808f, 7, 5}, {9.5f, 19, 5},
               {1e30f, 19, 5},      {-1.f, 0, 0}};
  for (const Case& k : cases) {
    EXPECT_EQ(runs::FlameLengthMetricClass(k.metres), k.metric) << k.metres;
    EXPECT_EQ(runs::FlameLengthEnglishClass(k.metres), k.english) << k.metres;
  }
}

TEST(BurnProbability, RunsThatCannotGoOnSayWhyAndCompleteWithZero) {
  struct StopAfter : RecordingProgress {
    mutable std::atomic<int> asked{0};
    bool StopRequested() const override { return ++asked > 40; }
  };
  struct Case {
    const char* name;
    int fuel;
    void (*setup)(BurnFixture&);
    const char* message;  // "" for none
  } cases[] = {
      {"water only", 98, [](BurnFixture&) {}, "No cell of the analysis area can start a fire"},
      {"fire list missing", 1, [](BurnFixture& f) {
         f.run.mtt.ignitionSource = 3;
         f.run.mtt.fireListFile = f.dir.File("none.txt");
       }, "Error opening "},
      {"landscape missing", 1, [](BurnFixture& f) { f.launch.landscapeFile = f.dir.File("none.lcp"); },
       "Error loading landscape file for MTT."},
      {"stopped", 1, [](BurnFixture&) {}, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    BurnFixture f(k.fuel, 20, 20);
    f.launch.geometry = {1600, 1000, 2600, 2000, 30, 30};
    StopAfter stopping;
    if (!*k.message) f.launch.progress = &stopping;
    k.setup(f);
    EXPECT_TRUE(runs::LaunchBurnProbabilityThreads(f.launch));
    const RecordingProgress& p = *k.message ? f.progress : stopping;
    const auto events = p.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "complete:0"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "complete:1"), 0);
    EXPECT_FALSE(p.done);
    EXPECT_EQ(f.run.randomIgnitionProgress.load(), 1.0);  // the monitor is let go
    ExpectShownOnly(f.messages.Texts(), k.message);
    if (!*k.message) {
      EXPECT_EQ(p.Texts().back(), "Cancelled");
    }
    EXPECT_EQ(runs::CreateBurnProbabilityThemes(f.run, f.launch.result, {}), 0);
    EXPECT_TRUE(f.run.outputThemes.empty());
    EXPECT_TRUE(f.run.runLogs.empty());
  }
}

TEST(BurnProbability, NoCompletedFireMakesNoProbabilitiesAndSaysSo) {
  // Every fire of the list lies outside the area.
  BurnFixture f(1, 20, 20);
  f.launch.geometry = {1600, 1000, 2600, 2000, 30, 30};
  f.run.mtt.ignitionSource = 3;
  f.run.mtt.fireListFile = f.dir.Write("far.txt", "1 5000 5000\n2, 0, 0\n");
  f.run.outputs.maxSpreadDirection = true;
  ASSERT_TRUE(f.Launch().succeeded);
  EXPECT_EQ(f.Completions(1), 1);
  runs::RunLogFacts facts{f.launch.landscapeFile, 30, "2026-12-11 04:00:00"};
  runs::CreateBurnProbabilityThemes(f.run, f.launch.result, facts);
  ASSERT_EQ(f.messages.Texts().size(), 1u);
  EXPECT_EQ(f.messages.Texts()[0], "No fire of the 0 the run started completed, so no burn probabilities were made.");
  EXPECT_EQ(f.run.FindOutputTheme(39), nullptr);
  EXPECT_NE(f.run.FindOutputTheme(21), nullptr);  // the fire behaviour is kept
  ASSERT_FALSE(f.run.runLogs.empty());
  const std::string& log = f.run.runLogs.back().text;
  EXPECT_EQ(log.rfind("#Run Log for MTT Random Ignitions run: New Run\r\n", 0), 0u);
  EXPECT_NE(log.find("#Landscape Resolution: 30.0\r\n#NumFires: 0\r\n#Number Fires Completed 0\r\n#FUEL_MOISTURE_FILE: "),
            std::string::npos);
  EXPECT_NE(log.find("#FireListFile: " + f.run.mtt.fireListFile + "\r\nMTT_RESOLUTION: 30.000000\r\n"), std::string::npos);
  EXPECT_NE(log.find("#SOWFIR_BURN_PROBABILITIES\r\n#SOWFIR_PERIMETERS\r\n#SOWFIR_FLP_ENGLISH\r\n#SOWFIR_FLP_METRIC\r\n"
                     "#SOWFIR_FIRE_SIZE_LIST\r\n"),
            std::string::npos);
}

TEST(BurnProbability, ARandomRunMakesItsThemesTablesAndTheProcessorSettingHolds) {
  BurnFixture f(1, 30, 30);
  f.launch.geometry = {1900, 1000, 2900, 2000, 30, 30};
  f.run.mtt.numberOfRandomFires = 20;
  f.launch.threads = 0;
  f.run.outputs.numberOfProcessors = 3;
  ASSERT_TRUE(f.Launch().succeeded);
  EXPECT_EQ(f.launch.result.threads, 3);
  EXPECT_EQ(f.run.randomIgnitionProgress.load(), 1.0);
  EXPECT_NE(std::find(f.progress.Texts().begin(), f.progress.Texts().end(), "Running Random Ignitions..."),
            f.progress.Texts().end());
  // While the tables are written the bar counts their rows, and the monitor no longer moves it.
  const auto events = f.progress.Events();
  const auto tables = std::find(events.begin(), events.end(), "text:Creating FLP English");
  std::vector<std::string> expected;
  for (const char* table : {"English", "Metric"}) {
    expected.push_back(std::string("text:Creating FLP ") + table);
    expected.push_back("range:30");
    for (int row = 0; row <= 30; ++row) expected.push_back("pos:" + std::to_string(row));
  }
  expected.push_back("text:Creating Fire Size List");
  expected.push_back("complete:1");
  EXPECT_EQ(std::vector<std::string>(tables, events.end()), expected);
  runs::RunLogFacts facts{f.launch.landscapeFile, 30, "2026-12-11 04:00:00"};
  runs::CreateBurnProbabilityThemes(f.run, f.launch.result, facts);
  const CTheme* bp = f.run.FindOutputTheme(39);
  ASSERT_NE(bp, nullptr);
  EXPECT_EQ(bp->name, "Burn Probability");
  EXPECT_EQ(bp->rows, 30);
  ASSERT_NE(f.run.randomPerimeters, nullptr);
  EXPECT_EQ(f.run.randomPerimeters->name, "MTT Perimeters");
  EXPECT_FALSE(f.run.randomPerimeters->visible);  // not drawn over the burn probabilities
  EXPECT_EQ(f.run.randomPerimeters->fireSizeRecords.size(), 20u);
  std::vector<std::string> names;
  for (const auto& l : f.run.runLogs) names.push_back(l.name);
  EXPECT_EQ(names, (std::vector<std::string>{"FLP English", "FLP Metric", "FireSizeList", "Run Log"}));
  EXPECT_NE(f.run.runLogs.back().text.find("#NumFires: 20\r\n#Number Fires Completed 20\r\n"), std::string::npos);

  // Workers are capped by the memory their search state needs.
  BurnFixture g(1, 30, 30);
  g.launch.geometry = f.launch.geometry;
  g.run.mtt.numberOfRandomFires = 5;
  g.launch.threads = 8;
  g.launch.memory = 900 * CMinTravelTime::QuickFireBytesPerNode() * 2;
  ASSERT_TRUE(g.Launch().succeeded);
  EXPECT_EQ(g.launch.result.threads, 2);
}

// The fire-growth launch as the sheet drives it: its status texts, burn-period checks, the
// monitor's text, failures that must still end the progress dialog, the inputs file per wind
// source, and the fire growth report of a perimeter theme.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engines/embrith_engine.h"
#include "fake_host.h"
#include "hourly_stream.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "run_exec_fakes.h"
#include "runs/run.h"
#include "runs/run_embrith.h"
#include "themes/vector_theme.h"
#include "weather/temp_dir.h"

using platform::OleDateTime;

namespace {

// A fire-growth run as "New Embrith Run" makes it, with every input the sheet asks for.
struct EmbrithFixture {
  TempDir dir;
  FakeHost host;
  CRun run;
  EmbrithFixture() {
    platform::SetWorkingFolder(dir.File(""));
    host.east = 1000;
    host.west = 0;
    host.north = 5000;
    host.south = 4000;
    host.wholeLandscape = false;
    run.host = &host;
    runs::InitEmbrithRun(run, 30.0, 60);
    run.outputs.numberOfProcessors = 2;
    run.inputs.fuelMoistureFile = dir.Write("a.fms", "0 3 4 5 60 80\n");
    run.inputs.weatherStreamFile = dir.Write("s.wxs", HourlyStream());
    run.inputs.conditioningStart = OleDateTime(2011, 8, 7, 6, 0, 0);
    run.inputs.conditioningEnd = OleDateTime(2011, 8, 7, 17, 0, 0);
    run.outputs.crownFireMethod = 0;
    run.embrith.ignitionFile = "ign.shp";
    run.embrith.burnPeriods = {{8, 7, 10, 18}};
    run.embrith.arrivalTime = 1;
  }
  runs::EmbrithInputsState State() { return runs::EmbrithInputsStateOf(run, false); }
};

}  // namespace

TEST(EmbrithSheetStatus, FirstMissingInputByCase) {
  struct Case {
    const char* what;
    std::function<void(EmbrithFixture&, runs::EmbrithInputsState&)> change;
    const char* text;
  };
  const Case cases[] = {
      {"complete", [](EmbrithFixture&, runs::EmbrithInputsState&) {}, "Inputs OK"},
      {"no FMS", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.fmsFile.clear(); }, "Need Fuel Moisture File"},
      {"custom fuels without FMD",
       [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.areaNeedsCustomFuels = true; }, "Need FMD File"},
      {"no stream", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.wxsFile.clear(); }, "Need a Weather Stream file"},
      {"stream missing",
       [](EmbrithFixture& f, runs::EmbrithInputsState& s) { s.wxsFile = f.dir.File("none.wxs"); },
       "Weather Stream file invalid or empty"},
      {"stream out of order",
       [](EmbrithFixture& f, runs::EmbrithInputsState& s) {
         s.wxsFile = f.dir.Write("bad.wxs", "RAWS_UNITS: English\nRAWS: 2\n2011 8 7 1200 60 30 0 5 10 0\n"
                                            "2011 8 7 1000 60 30 0 5 10 0\n");
       },
       "Weather Stream file invalid"},
      {"no conditioning start",
       [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.conditioningStart = OleDateTime::Invalid(); },
       "Set FM Conditioning Period"},
      {"no crown method", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.crownFireMethod = -1; },
       "Set Crown Fire Method"},
      {"no ignitions", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.hasIgnitions = false; },
       "Need Ignition File"},
      {"no burn period", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.burnPeriods = 0; }, "Set Burn Periods"},
      {"ATM winds without file", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.windType = 5; }, "Need ATM File"},
      {"generated winds", [](EmbrithFixture&, runs::EmbrithInputsState& s) { s.windType = 4; }, "Inputs OK"},
  };
  for (const Case& c : cases) {
    EmbrithFixture f;
    runs::EmbrithInputsState state = f.State();
    c.change(f, state);
    EXPECT_EQ(runs::MissingEmbrithInputText(f.run, state), c.text) << c.what;
  }
}

TEST(EmbrithSheetStatus, OutputsCountAndReadiness) {
  CRunEmbrithSettings e;
  EXPECT_EQ(runs::CountEmbrithOutputs(e), 0);
  EXPECT_FALSE(runs::EmbrithOutputsReady(e, true));
  e.spotFireList = e.windVectors = e.spreadVectors = 1;  // these make nothing of their own
  EXPECT_EQ(runs::CountEmbrithOutputs(e), 3);
  EXPECT_FALSE(runs::EmbrithOutputsReady(e, true));
  e = {};
  e.perimeters = 1;  // perimeters need the ignitions theme
  EXPECT_FALSE(runs::EmbrithOutputsReady(e, false));
  EXPECT_TRUE(runs::EmbrithOutputsReady(e, true));
  e = {};
  e.crownFireActivity = 1;
  EXPECT_TRUE(runs::EmbrithOutputsReady(e, false));
}

TEST(EmbrithBurnPeriods, RefusedByCase) {
  struct Case {
    std::vector<BurnPeriod> periods;
    const char* problem;  // empty: accepted
  };
  const Case cases[] = {
      {{{7, 15, 10, 18}, {7, 16, 10, 18}}, ""},
      {{{2, 29, 0, 24}, {3, 1, 0, 24}}, ""},  // a leap day, and periods that touch
      {{{-1, 15, 10, 18}}, "Burn period 1: month -1 and day 15 make no date."},
      {{{2, 30, 10, 18}}, "Burn period 1: month 2 and day 30 make no date."},
      {{{7, 15, 18, 18}}, "Burn period 1: the start hour must be before the end hour."},
      {{{7, 15, 19, 18}}, "Burn period 1: the start hour must be before the end hour."},
      {{{7, 15, 24, 24}}, "Burn period 1: the start hour must be between 0 and 23."},
      {{{7, 15, 0, 25}}, "Burn period 1: the end hour must be between 1 and 24."},
      {{{7, 16, 10, 18}, {7, 15, 10, 18}}, "Burn period 2: burn periods must be in order and must not overlap."},
      {{{7, 15, 10, 18}, {7, 15, 17, 20}}, "Burn period 2: burn periods must be in order and must not overlap."},
  };
  for (const Case& c : cases) {
    const auto problem = runs::BurnPeriodProblem(c.periods);
    EXPECT_EQ(problem.value_or(""), c.problem);
  }
}

TEST(EmbrithLaunch, MonitorTextAndNewRunSettings) {
  EXPECT_EQ(runs::EmbrithMonitorText(2, 5, 340, 7, 15, 1430, 7),
            "Current Fires: 2 | Cumulative Spot Fires: 5 | Current Vertices: 340\nEmbrith Simulation Time: 7/15 1407\n");
  CRun run;
  runs::InitEmbrithRun(run, 30.0, 60);
  EXPECT_TRUE(run.isEmbrith);
  EXPECT_EQ(run.name, "New Embrith Run");
  EXPECT_EQ(run.embrith.timeStep, 60.0);
  EXPECT_EQ(run.embrith.perimeterResolution, 60.0);  // raised to 60
  EXPECT_EQ(run.embrith.distanceResolution, 30.0);
  EXPECT_EQ(run.embrith.spotGridResolution, 15.0);
  // The gridded-wind bins start inside their ranges.
  EXPECT_EQ(run.inputs.diurnalAirTemperature, 0.0);
  EXPECT_EQ(run.inputs.diurnalCloudCover, 0.0);
}

TEST(EmbrithLaunch, FailuresEndTheDialogWithACompletion) {
  struct Case {
    const char* what;
    std::function<void(EmbrithFixture&, runs::EmbrithLaunch&)> set;
    std::string message;
  };
  const Case cases[] = {
      {"inputs file cannot be written",
       [](EmbrithFixture& f, runs::EmbrithLaunch&) { platform::SetWorkingFolder(f.dir.Write("plain", "a file")); },
       "Error building Embrith inputs file."},
      {"no landscape", [](EmbrithFixture& f, runs::EmbrithLaunch& l) { l.landscapeFile = f.dir.File("none.lcp"); },
       "Error loading landscape file for Embrith."},
  };
  for (const Case& c : cases) {
    EmbrithFixture f;
    CEmbrith engine;
    RecordingProgress progress;
    runs::EmbrithLaunch launch;
    launch.run = &f.run;
    launch.engine = &engine;
    launch.progress = &progress;
    launch.timing = {std::chrono::milliseconds(1), std::chrono::milliseconds(0)};
    launch.landscapeFile = f.dir.File("none.lcp");
    c.set(f, launch);
    platform::ScopedRecordingMessages messages;
    EXPECT_TRUE(runs::LaunchEmbrithThreads(launch)) << c.what;
    EXPECT_FALSE(launch.succeeded) << c.what;
    const auto events = progress.Events();
    ASSERT_FALSE(events.empty()) << c.what;
    EXPECT_EQ(events.back(), "complete:0") << c.what;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message}) << c.what;
    const auto texts = progress.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Unable to run Embrith"), texts.end()) << c.what;
  }
}

TEST(EmbrithInputsFile, MatchesGoldenForEachWindSource) {
  struct Case {
    int windType;
    const char* golden;
  };
  for (const Case& c : {Case{0, "embrith_constant.txt"}, Case{4, "embrith_generated.txt"}, Case{5, "embrith_atm.txt"}}) {
    EmbrithFixture f;
    f.run.inputs.windType = c.windType;
    f.run.embrith.atmFile = "winds.atm";
    f.run.embrith.burnPeriods = {{8, 7, 10, 18}, {8, 8, 9, 17}};
    std::string path;
    ASSERT_TRUE(f.run.WriteEmbrithInputsFile(path));
    const std::string text = TempDir::Read(path);
    const std::string golden = TempDir::Read(std::string(PV_TEST_DATA_DIR) + "/runs/" + c.golden);
    EXPECT_EQ(text, golden) << c.golden;
    if (const char* out = std::getenv("PV_WRITE_GOLDEN")) std::ofstream(std::string(out) + "/" + c.golden, std::ios::binary) << text;
  }
}

namespace {

// A perimeter theme as the fire-growth run reads one: one shape per perimeter.
struct Perimeter {
  double elapsed;
  int month, day, hour, type;
  double acres;
};

std::unique_ptr<CVectorTheme> PerimeterTheme(const std::vector<Perimeter>& list) {
  auto t = std::make_unique<CVectorTheme>();
  t->hasPerimeterAttributes = true;
  for (const Perimeter& p : list) {
    t->shapes.push_back(std::make_unique<VectorShape>());
    t->elapsedMinutes.push_back(p.elapsed);
    t->month.push_back(p.month);
    t->day.push_back(p.day);
    t->hour.push_back(p.hour);
    t->fireType.push_back(p.type);
    t->area.push_back(p.acres);
  }
  return t;
}

std::vector<std::string> StepLines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t at = report.find("Timestep Acres (Ha)\r\n");
  if (at == std::string::npos) return lines;
  at += 21;
  while (at < report.size()) {
    const std::size_t end = report.find("\r\n", at);
    lines.push_back(report.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

}  // namespace

TEST(FireGrowthReport, OneLinePerTimeStep) {
  CRun run;
  run.name = "Ridge";
  run.embrith.timeStep = 60;
  auto perimeters = PerimeterTheme({{0, 7, 15, 1000, 1, 2.0},
                                    {60, 7, 15, 1100, 1, 5.0},
                                    {120, 7, 15, 1200, 1, 9.0},
                                    {120, 7, 15, 1200, 2, 0.0},
                                    {120, 7, 15, 1200, 1, 1.0}});
  // The enclave's 100 m square (2.47 acres) is taken back from the burned total.
  const double ex[] = {0, 0, 100, 100, 0}, ey[] = {0, 100, 100, 0, 0};
  perimeters->shapes[3] = VectorShape::Simple(5, 5, ex, ey, nullptr);
  run.embrithPerimeters = perimeters.get();
  std::string report = runs::FireGrowthReport(run);
  EXPECT_EQ(report.rfind("Run: Ridge\r\nEmbrith Fire Growth\r\n\tNote: Ignition acreage included\r\n"
                         "Ignition Acres (Ha): 0.00 (0.00)\r\n\r\n",
                         0),
            0u);
  std::vector<std::string> lines = StepLines(report);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], " 00 00:00 \t\t07/15 10:00 \t        1 \t        0 \t     2.00 (     0.81)\t     2.00 (     0.81)");
  EXPECT_EQ(lines[1], " 00 01:00 \t\t07/15 11:00 \t        1 \t        0 \t     5.00 (     2.02)\t     3.00 (     1.21)");
  EXPECT_EQ(lines[2], " 00 02:00 \t\t07/15 12:00 \t        3 \t        1 \t     7.53 (     3.05)\t     2.53 (     1.02)");

  // A finer step names the steps without perimeters.
  run.embrith.timeStep = 30;
  lines = StepLines(runs::FireGrowthReport(run));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], " 00 00:30 \tNo Growth");
  EXPECT_EQ(lines[3], " 00 01:30 \tNo Growth");

  // Without a perimeter at time 0 the first line is the ignition's; without perimeters it is
  // the only one.
  auto later = PerimeterTheme({{1500, 7, 16, 1100, 1, 5.0}});
  run.embrithPerimeters = later.get();
  run.embrith.timeStep = 1500;
  lines = StepLines(runs::FireGrowthReport(run));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], " 00 00:00 \tIgnition");
  EXPECT_EQ(lines[1].substr(0, 10), " 01 01:00 ");
  auto none = PerimeterTheme({});
  run.embrithPerimeters = none.get();
  EXPECT_EQ(StepLines(runs::FireGrowthReport(run)), std::vector<std::string>{" 00 00:00 \tIgnition"});
  // A step of 0 cannot advance: the table stays empty.
  run.embrithPerimeters = perimeters.get();
  run.embrith.timeStep = 0;
  EXPECT_TRUE(StepLines(runs::FireGrowthReport(run)).empty());
  run.embrithPerimeters = nullptr;
}

// Minimum-travel-time launches on the sample landscape: the monitor's texts, the endings of
// failed and cancelled runs, and the themes, tables and log the outputs become.
#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>

#include "engines/pyrvane.h"
#include "launch_fixture.h"
#include "platform/folders.h"
#include "runs/run.h"
#include "runs/run_mtt.h"
#include "support/shape_files.h"
#include "themes/color_ramp.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace {

struct MttFixture : SampleTravelTimeFixture<runs::MttLaunch> {
  MttFixture() {
    run.inputs.windDirection = 225;
    run.outputs.maxSpreadDirection = run.outputs.ellipticalB = true;
    run.mtt.ignitionFile =
        testsupport::WriteShapes(dir.File(""), "ign", {"POINT (614400 4509600)"});
    run.mtt.resolution = 60;
    run.mtt.simulationTime = 2000;
    run.mtt.rateOfSpread = run.mtt.arrivalTime = run.mtt.nodeInfluence = run.mtt.firelineIntensity =
        run.mtt.ignitionGrid = run.mtt.majorPaths = run.mtt.flowPaths = run.mtt.emberList =
            run.mtt.emberLocations = 1;
  }
};

}  // namespace

TEST(MttRun, ARunFromAnIgnitionFileBecomesThemesTablesAndALog) {
  MttFixture f;
  f.run.mtt.arrivalContour = 1;
  ASSERT_TRUE(runs::LaunchMTTThreads(f.launch));
  ASSERT_TRUE(f.Completed(1)) << (f.messages.Texts().empty() ? "" : f.messages.Texts()[0]);
  EXPECT_TRUE(f.progress.done);
  const auto texts = f.progress.Texts();
  EXPECT_EQ(texts.front(), "Initializing..");
  // The monitor follows the run until it completes, never after, and the bar ends full.
  const auto events = f.progress.Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events.back(), "complete:1");
  EXPECT_EQ(events[events.size() - 2], "pos:100");
  ASSERT_TRUE(f.launch.result.succeeded);
  for (const auto& p : f.launch.result.flowPaths) EXPECT_GE(p.size(), 2u);
  EXPECT_FALSE(f.launch.result.flowPaths.empty());

  runs::RunLogFacts facts{f.launch.landscapeFile, 30, "2026-12-10 12:00:00"};
  runs::CreateMTTOutputThemes(f.run, f.launch.result, facts);
  std::vector<std::pair<std::string, int>> made;
  for (const auto& t : f.run.outputThemes) made.emplace_back(t->name, t->layerType);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Max Spread Direction", 21}, {"Elliptical Dimension b", 23}, {"MTT ROS", 35},
      {"MTT Arrival Time", 37},     {"MTT Node Influence", 36},     {"MTT Fireline Intensity", 38},
      {"MTT Ignition Grid", 42}};
  EXPECT_EQ(made, expected);
  EXPECT_EQ(f.run.outputLegends.size(), expected.size());
  const CTheme* arrival = f.run.FindOutputTheme(37);
  ASSERT_NE(arrival, nullptr);
  EXPECT_EQ(arrival->rows, 80);  // 60 m nodes over 4800 m
  EXPECT_DOUBLE_EQ(arrival->cellWidth, 60);
  EXPECT_EQ(f.run.maxSpreadDirectionTheme, f.run.FindOutputTheme(21));

  // The arrival contour: levels about a tenth of the arrival times' range apart, at a figure
  // of two significant digits.
  ASSERT_NE(f.run.arrivalContour, nullptr);
  const CContourTheme& contour = *f.run.arrivalContour;
  EXPECT_EQ(contour.name, "MTT Arrival Contour");
  EXPECT_EQ(contour.sourceTheme, nullptr);
  double lo = 0, hi = 0;
  arrival->GetMinMax(lo, hi);
  EXPECT_NEAR(contour.interval, (hi - lo) / 10, 5e-3 * (hi - lo));
  const double digits = contour.interval / std::pow(10.0, std::floor(std::log10(contour.interval)) - 1);
  EXPECT_NEAR(digits, std::round(digits), 1e-4) << contour.interval;
  EXPECT_FALSE(contour.lines.empty());
  for (const ContourLine& l : contour.lines) {
    EXPECT_NEAR(std::remainder(l.level, contour.interval), 0, 1e-2 * contour.interval);
    EXPECT_GE(l.minX, arrival->west - 1);
    EXPECT_LE(l.maxX, arrival->east + 1);
  }

  // Travel paths and ember landings become vector themes the document draws.
  ASSERT_NE(f.run.flowPaths, nullptr);
  EXPECT_EQ(f.run.flowPaths->name, "MTT Flow Paths");
  EXPECT_EQ(static_cast<std::size_t>(f.run.flowPaths->ShapeCount()), f.launch.result.flowPaths.size());
  ASSERT_NE(f.run.majorPaths, nullptr);
  EXPECT_EQ(f.run.majorPaths->lineWidth, 2);
  EXPECT_EQ(f.run.majorPaths->lineColor, MakeColorRef(240, 240, 90));
  ASSERT_NE(f.run.spotLocations, nullptr);
  EXPECT_EQ(f.run.spotLocations->name, "Ember Landing Locations");
  EXPECT_EQ(std::count(f.host.calls.begin(), f.host.calls.end(), "AdoptVectors"), 3);

  ASSERT_EQ(f.run.runLogs.size(), 2u);
  EXPECT_EQ(f.run.runLogs[0].name, "Ember List");
  EXPECT_EQ(f.run.runLogs[0].text.rfind("Launch_X, Launch_Y", 0), 0u);
  const std::string& log = f.run.runLogs[1].text;
  EXPECT_EQ(log.rfind("#Run Log for MTT run: New Run\r\n#Run Completed: 2026-12-10 12:00:00\r\n", 0), 0u);
  EXPECT_NE(log.find("MTT_SIM_TIME: 2000.000000\n"), std::string::npos);
  EXPECT_NE(log.find("#SELECTED MTT OUTPUTS\r\n#MTT_ROS\r\n#MTT_INFLUENCE\r\n#MTT_ARRIVAL\r\n#MTT_INTENSITY\r\n"
                     "#MTT_IGNITIONS\r\n#MTT_FLOWPATHS\r\n#MTT_MAJORPATHS\r\n#MTT_CONTOUR\r\n#MTT_EMBER_LOCATIONS\r\n"
                     "#MTT_EMBER_LIST\r\n"
                     "#END SELECTED MTT OUTPUTS\r\n#SPOTTING_SEED: "),
            std::string::npos);
}

TEST(MttRun, FailedAndCancelledRunsCompleteWithZero) {
  const FailedLaunchCase<MttFixture> cases[] = {
      {"inputs file", [](MttFixture& f) { platform::SetWorkingFolder(f.run.inputs.fuelMoistureFile + "/no"); },
       "Error building MTT inputs file.", "Unable to run MTT"},
      {"landscape", [](MttFixture& f) { f.launch.landscapeFile = f.dir.File("none.lcp"); },
       "Error loading landscape file for MTT.", "Unable to run MTT"},
      {"ignition", [](MttFixture& f) { f.run.mtt.ignitionFile = f.dir.File("none.shp"); },
       "The ignition file cannot be read.", "Unable to run MTT"},
      {"cancel", [](MttFixture& f) { f.engine.CancelMTT(); }, "", "Cancelled"},
  };
  ExpectFailedLaunches(cases, runs::LaunchMTTThreads, runs::CreateMTTOutputThemes);
}

TEST(MttRun, SelectedOutputsThatCannotBeMadeAreSaid) {
  MttFixture f;
  // Only the ignition burns: its travel paths are single points and every burned cell has the
  // same arrival time.
  f.run.mtt.simulationTime = 0.001;
  f.run.mtt.travelPathInterval = 60;
  f.run.mtt.arrivalContour = 1;
  ASSERT_TRUE(runs::LaunchMTTThreads(f.launch));
  ASSERT_TRUE(f.Completed(1)) << (f.messages.Texts().empty() ? "" : f.messages.Texts()[0]);
  EXPECT_TRUE(f.launch.result.flowPaths.empty());
  EXPECT_EQ(f.launch.result.flowPathsLeftOut, 1);
  EXPECT_EQ(f.launch.result.majorPathsLeftOut, 1);
  f.messages.Clear();
  runs::CreateMTTOutputThemes(f.run, f.launch.result, {});
  EXPECT_EQ(f.run.majorPaths, nullptr);
  EXPECT_EQ(f.run.flowPaths, nullptr);
  EXPECT_EQ(f.run.arrivalContour, nullptr);
  EXPECT_EQ(f.messages.Texts(),
            (std::vector<std::string>{
                "MTT Major Paths: no travel path has two points or more (1 of one point left out), so no theme was made.",
                "MTT Flow Paths: no travel path has two points or more (1 of one point left out), so no theme was made.",
                "Error creating the output theme MTT Arrival Contour: every burned cell has the same arrival time"}));
  EXPECT_NE(f.run.FindOutputTheme(37), nullptr);  // the arrival grid itself is made

  // The ember list cannot be written to a working folder that takes no file: said, naming it.
  f.messages.Clear();
  const std::string folder = f.run.inputs.fuelMoistureFile + "/work";
  platform::SetWorkingFolder(folder);
  std::string text;
  EXPECT_FALSE(runs::CopyEmberList(f.engine, text));
  EXPECT_EQ(f.messages.Texts(),
            std::vector<std::string>{"Error writing the ember list to the working folder " + folder + "."});
}

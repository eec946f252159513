// Treatment-optimisation launches: the endings of failed and cancelled runs, the treatment
// outputs anchored at the analysis area's corner, the themes they become and the run log.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "launch_fixture.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "runs/run_tom.h"
#include "support/shape_files.h"
#include "themes/color_ramp.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace {

// Grids of 2 x 3 cells of 60 m and three paths, one of a single point, reported from a corner
// a cell away from the analysis area's.
struct GridsOnly {
  std::vector<double> ros{1, 2, 3, 4, 5, 6}, arrival{0, 10, 20, 30, 40, -9999}, influence{0, 1, 0, 1, 0, 1},
      treatment{0, 1, 1, 0, 0, 0};
  std::vector<float> fli{7, 7, 7, 7, 7, 7}, opportunities{1, 1, 1, 0, 0, 1};
  std::vector<std::vector<std::pair<float, float>>> major{{{612030, 4507230}, {612090, 4507290}},
                                                          {{612100, 4507250}}};
  long GetNumRows() const { return 2; }
  long GetNumCols() const { return 3; }
  double GetResolution() const { return 60; }
  double GetWest() const { return 612060; }
  double GetSouth() const { return 4507260; }
  double* GetROSGrid() { return ros.data(); }
  double* GetArrivalTimeGrid() { return arrival.data(); }
  double* GetInfluenceGrid() { return influence.data(); }
  double* GetTreatmentGrid() { return treatment.data(); }
  float* GetFliMapGrid() { return fli.data(); }
  float* GetTreatOpportunitiesGrid() { return opportunities.data(); }
  long GetNumMajorVecs() const { return static_cast<long>(major.size()); }
  long GetNumFlowVecs() const { return 0; }
  long GetNumMajorVecPoints(long p) const { return static_cast<long>(major[p].size()); }
  long GetNumFlowVecPoints(long) const { return 0; }
  float GetMajorVecPointX(long p, long i) const { return major[p][i].first; }
  float GetMajorVecPointY(long p, long i) const { return major[p][i].second; }
  float GetFlowVecPointX(long, long) const { return 0; }
  float GetFlowVecPointY(long, long) const { return 0; }
};

void SelectAll(CRunTOMSettings& t) {
  t.treatmentOpportunities = t.treatments = t.rateOfSpread = t.nodeInfluence = t.arrivalTime =
      t.firelineIntensity = t.flowPaths = t.majorPaths = t.arrivalContour = 1;
}

struct TomFixture : SampleTravelTimeFixture<runs::TomLaunch> {
  TomFixture() {
    run.tom.idealLandscapeFile = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
    run.tom.ignitionFile = testsupport::WriteShapes(dir.File(""), "ign", {"POINT (614400 4509600)"});
    run.tom.treatments = run.tom.treatmentOpportunities = 1;
  }
};

}  // namespace

TEST(TomRun, FailedAndCancelledRunsCompleteWithZeroAndSayWhy) {
  const FailedLaunchCase<TomFixture> cases[] = {
      {"inputs file", [](TomFixture& f) { platform::SetWorkingFolder(f.run.inputs.fuelMoistureFile + "/no"); },
       "Error building TOM inputs file.", "Unable to run TOM"},
      {"landscape", [](TomFixture& f) { f.launch.landscapeFile = f.dir.File("none.lcp"); },
       "Error loading landscape file for TOM.", "Unable to run TOM"},
      {"cancel", [](TomFixture& f) { f.progress.stop = true; }, "", "Cancelled"},
  };
  ExpectFailedLaunches(cases, runs::LaunchTOMThreads, runs::CreateTOMOutputThemes);
}

TEST(TomRun, AnEngineThatRefusesTheRunIsSaidInItsOwnWords) {
  // Whatever the engine answers other than success reaches the user as its own text.
  TomFixture f;
  f.run.tom.ignitionFile = f.dir.File("none.shp");
  ASSERT_TRUE(runs::LaunchTOMThreads(f.launch));
  const auto shown = f.messages.Texts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_FALSE(shown[0].empty());
  EXPECT_EQ(f.progress.Texts().back(), "Unable to run TOM");
  EXPECT_EQ(f.progress.Events().back(), "complete:0");
  EXPECT_FALSE(f.launch.result.succeeded);
}

TEST(TomRun, OutputsAreAnchoredAtTheAreaCornerAndBecomeThemesPathsAndALog) {
  FakeHost host;
  CRun run;
  run.host = &host;
  run.name = "Treat";
  SelectAll(run.tom);
  run.tom.flowPaths = 0;
  GridsOnly engine;
  const runs::RunGeometry area{612180, 612000, 4507320, 4507200, 30, 30};
  runs::TomRunResult result;
  runs::CollectTOMOutputs(run, engine, area, result);
  result.succeeded = true;
  result.seconds = 2.5;
  result.inputsFileText = "Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_FILE: a.fms\n";

  platform::ScopedRecordingMessages messages;
  runs::RunLogFacts facts{"/data/sample.lcp", 30, "2026-12-11 07:00:00"};
  EXPECT_EQ(runs::CreateTOMOutputThemes(run, result, facts), 6);
  std::vector<std::pair<std::string, int>> made;
  for (const auto& t : run.outputThemes) {
    made.emplace_back(t->name, t->layerType);
    // The engine's own corner is a cell off: the area's corner holds.
    EXPECT_DOUBLE_EQ(t->west, 612000) << t->name;
    EXPECT_DOUBLE_EQ(t->south, 4507200) << t->name;
    EXPECT_DOUBLE_EQ(t->cellWidth, 60) << t->name;
    EXPECT_EQ(t->rows, 2) << t->name;
  }
  const std::vector<std::pair<std::string, int>> expected = {
      {"TOM ROS", 35},           {"TOM Arrival Time", 37},        {"TOM Node Influence", 36},
      {"TOM Fireline Intensity", 38}, {"TOM Treat Opportunities", 41}, {"TOM Treatments", 40}};
  EXPECT_EQ(made, expected);
  // The treatment converter fills none of the run's treatment-theme slots.
  EXPECT_TRUE(std::all_of(run.tomOutputThemes, run.tomOutputThemes + 4, [](CTheme* t) { return !t; }));
  const CTheme* treatments = run.FindOutputTheme(40);
  ASSERT_NE(treatments, nullptr);
  EXPECT_FLOAT_EQ(treatments->GetValueAt(612000 + 90, 4507200 + 90), 1);  // north row, middle column
  EXPECT_FLOAT_EQ(treatments->GetValueAt(612000 + 90, 4507200 + 30), 0);

  ASSERT_NE(run.arrivalContour, nullptr);
  EXPECT_EQ(run.arrivalContour->name, "TOM Arrival Contour");
  // Every path is taken, a single point as an arc of its own.
  ASSERT_NE(run.majorPaths, nullptr);
  EXPECT_EQ(run.majorPaths->name, "TOM Major Paths");
  EXPECT_EQ(run.majorPaths->ShapeCount(), 2);
  EXPECT_EQ(run.majorPaths->lineColor, MakeColorRef(240, 240, 90));
  EXPECT_EQ(run.flowPaths, nullptr);
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();

  ASSERT_EQ(run.runLogs.size(), 1u);
  EXPECT_EQ(run.runLogs[0].name, "Run Log");
  EXPECT_EQ(run.runLogs[0].text,
            "#Run Log for TOM run: Treat\r\n#Run Completed: 2026-12-11 07:00:00\r\n#Run Time (Seconds): 2.50\r\n"
            "#Landscape File: /data/sample.lcp\r\n#Landscape Resolution: 30.0\r\n"
            "Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_FILE: a.fms\n"
            "#SELECTED TOM OUTPUTS\r\n#TOM_OPPORTUNITIES\r\n#TOM_TREATMENT\r\n#TOM_ROS\r\n#TOM_INFLUENCE\r\n"
            "#TOM_ARRIVAL\r\n#TOM_INTENSITY\r\n#TOM_MAJORPATHS\r\n#TOM_CONTOUR\r\n#END SELECTED TOM OUTPUTS\r\n");
}

TEST(TomRun, SelectedPathsWithNoneFoundAreSaidAndAStoppedRunKeepsNoLog) {
  FakeHost host;
  CRun run;
  run.host = &host;
  run.tom.flowPaths = run.tom.treatmentOpportunities = 1;
  GridsOnly engine;
  runs::TomRunResult result;
  runs::CollectTOMOutputs(run, engine, {612180, 612000, 4507320, 4507200, 30, 30}, result);
  result.succeeded = true;
  result.stoppedWhileCollecting = true;
  platform::ScopedRecordingMessages messages;
  EXPECT_EQ(runs::CreateTOMOutputThemes(run, result, {}), 1);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                  "TOM Flow Paths: the optimisation found no travel path, so no theme was made."});
  EXPECT_TRUE(run.runLogs.empty());
}

#include <gtest/gtest.h>

#include <algorithm>

#include "engines/pyrvane.h"
#include "launch_fixture.h"
#include "platform/folders.h"
#include "runs/run.h"
#include "runs/run_exec.h"
#include "runs/run_outputs.h"
#include "themes/theme.h"
#include "weather/temp_dir.h"

using runs::PyrvaneLaunch;

namespace {

// A run with flame length wanted, on an engine that follows a script.
struct LaunchFixture : LaunchFixtureBase {
  ScriptedEngine engine;
  PyrvaneLaunch launch;
  LaunchFixture() {
    run.outputs.flameLength = true;
    Attach(launch);
    launch.engine = &engine;
    launch.geometry.cellWidth = launch.geometry.cellHeight = 30;
  }
};

bool Has(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

TEST(RunExec, PhasesAreAnnouncedOnceEachAndTheRunCompletes) {
  LaunchFixture f;
  f.engine.states = {0, 1, 1, 2, 2, 3, 4, 4};
  f.run.inputs.windType = 2;  // gridded winds bring the two wind grids
  ASSERT_TRUE(runs::LaunchPyrvaneThreads(f.launch));
  const auto texts = f.progress.Texts();
  const std::vector<std::string> expected = {"Initializing..", "Loading inputs...",
                                             "Running Gustforge...", "Fuel Conditioning...",
                                             "Fire Behavior..."};
  EXPECT_EQ(texts, expected);
  const auto events = f.progress.Events();
  EXPECT_TRUE(Has(events, "pos:25"));
  EXPECT_TRUE(Has(events, "pos:99"));  // truncated, never rounded up
  EXPECT_TRUE(Has(events, "complete:1"));
  // The bar ends full; the completion, posted by the run thread, may come before or after it.
  const auto lastPosition = std::find_if(events.rbegin(), events.rend(),
                                         [](const std::string& e) { return e.rfind("pos:", 0) == 0; });
  ASSERT_NE(lastPosition, events.rend());
  EXPECT_EQ(*lastPosition, "pos:100");
  EXPECT_TRUE(f.progress.done);
  EXPECT_FALSE(f.engine.cancelled);
  EXPECT_EQ(f.run.threadBlock, nullptr);

  const runs::PyrvaneRunResult& r = f.launch.result;
  ASSERT_TRUE(r.succeeded);
  EXPECT_EQ(r.inputsFileText, TempDir::Read(f.engine.loadedPath));
  ASSERT_EQ(r.grids.size(), 3u);
  EXPECT_EQ(r.grids[0].index, 0);
  EXPECT_EQ(r.grids[0].cells.size(), 6u);
  EXPECT_EQ(r.grids[0].cellWidth, 30);
  const runs::OutputGrid& speed = r.grids[2];
  EXPECT_EQ(speed.index, runs::kOutputWindSpeed);
  EXPECT_EQ(speed.rows * speed.columns, 2);
  EXPECT_EQ(speed.cellWidth, 90);
  EXPECT_EQ(speed.west, 480);
  EXPECT_GE(r.seconds, 0.0);
}

// Every failure ends with a status text and a completion of 0, and the work function returns
// without anyone pressing Cancel, so the dialog never waits forever.
TEST(RunExec, EveryFailurePostsUnableToRunAndCompletionZero) {
  struct Case {
    const char* name;
    bool badInputsFolder;
    int loadCode, launchCode;
    std::string message;
  } cases[] = {
      {"inputs file", true, 1, 1, "Error building Pyrvane inputs file."},
      {"engine load", false, 5, 1, "engine error 5"},
      {"engine launch", false, 1, 7, "engine error 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LaunchFixture f;
    if (c.badInputsFolder) platform::SetWorkingFolder(f.run.inputs.fuelMoistureFile + "/no");
    f.engine.states = {0, 1};
    f.engine.loadCode = c.loadCode;
    f.engine.launchCode = c.launchCode;
    ASSERT_TRUE(runs::LaunchPyrvaneThreads(f.launch));
    EXPECT_EQ(f.messages.Texts(), std::vector<std::string>{c.message});
    EXPECT_TRUE(Has(f.progress.Texts(), "Unable to run Pyrvane"));
    EXPECT_TRUE(Has(f.progress.Events(), "complete:0"));
    EXPECT_FALSE(Has(f.progress.Events(), "complete:1"));
    EXPECT_FALSE(f.progress.done);
    EXPECT_FALSE(f.launch.result.succeeded);
  }
}

TEST(RunExec, StopCancelsTheEngineSilentlyAndLeavesNoOutputs) {
  LaunchFixture f;
  f.engine.states = std::vector<int>(1000000, 4);  // never finishes by itself
  std::thread stopper([&] {
    // Stop once the run is under way.
    while (!Has(f.progress.Texts(), "Fire Behavior...")) std::this_thread::yield();
    f.progress.stop = true;
  });
  ASSERT_TRUE(runs::LaunchPyrvaneThreads(f.launch));
  stopper.join();
  EXPECT_TRUE(f.engine.cancelled);
  EXPECT_TRUE(f.messages.Texts().empty());  // the cancel is not an error to report
  EXPECT_TRUE(Has(f.progress.Events(), "complete:0"));
  EXPECT_FALSE(f.launch.result.succeeded);
  runs::RunLogFacts facts;
  EXPECT_EQ(runs::CreatePyrvaneOutputThemes(f.run, f.launch.result, facts), 0);
  EXPECT_TRUE(f.run.outputThemes.empty());
  EXPECT_TRUE(f.run.runLogs.empty());
}

TEST(RunExec, SendsNothingWithoutAWindowOrAfterAStopButStillCompletes) {
  LaunchFixture f;
  f.progress.window = false;
  f.engine.states = {0, 1, 4};
  ASSERT_TRUE(runs::LaunchPyrvaneThreads(f.launch));
  // The fake records even without a window: only the completion post may arrive then.
  EXPECT_EQ(f.progress.Events(), std::vector<std::string>{"complete:1"});
}

// Public rasters code flat ground with an aspect of -1: those cells burn, and the run log says
// how many cells with a slope but no aspect were burned as flat ground.
TEST(RunExec, RunLogCountsSlopesWithoutAnAspectBurnedAsFlat) {
  LaunchFixture f;
  const std::string tif = f.dir.File("flat.tif");
  const std::string script =
      "import sys\nimport numpy as np\nfrom osgeo import gdal\n"
      "d=gdal.GetDriverByName('GTiff').Create(sys.argv[1],6,5,8,gdal.GDT_Int16)\n"
      "d.SetGeoTransform([500000.0,30.0,0,4000000.0,0,-30.0])\n"
      "slope=np.zeros((5,6),np.int16); slope[:,3:]=25\n"
      "aspect=np.full((5,6),-1,np.int16); aspect[:,5]=200\n"
      "vals=[np.full((5,6),900,np.int16),slope,aspect,np.full((5,6),102,np.int16)]+[np.zeros((5,6),np.int16)]*4\n"
      "for k,a in enumerate(vals):\n"
      "    d.GetRasterBand(k+1).WriteArray(a); d.GetRasterBand(k+1).SetNoDataValue(-9999)\n"
      "d=None\n";
  ASSERT_EQ(std::system((std::string(PV_PYTHON) + " " + f.dir.Write("make.py", script) + " " + tif).c_str()), 0);
  CPyrvane engine;
  ASSERT_EQ(engine.SetLandscapeFile(tif.c_str()), 1);
  auto wrapped = runs::WrapPyrvane(engine);
  f.launch.engine = wrapped.get();
  f.launch.geometry = {engine.GetEast(), engine.GetWest(), engine.GetNorth(), engine.GetSouth(),
                       engine.GetCellSize(), engine.GetCellSize()};
  ASSERT_TRUE(runs::LaunchPyrvaneThreads(f.launch)) << ::testing::PrintToString(f.messages.Texts());
  ASSERT_TRUE(f.launch.result.succeeded);
  const float* flame = engine.GetOutputLayer(0);
  for (int i = 0; i < 30; ++i) EXPECT_GT(flame[i], 0.0f) << i;
  runs::RunLogFacts facts{tif, 30.0, "2026-01-02 03:04:05"};
  runs::CreatePyrvaneOutputThemes(f.run, f.launch.result, facts);
  ASSERT_EQ(f.run.runLogs.size(), 1u);
  EXPECT_NE(f.run.runLogs[0].text.find("\r\n#10 burnable cells with a slope but no aspect burned as flat ground\r\n"),
            std::string::npos)
      << f.run.runLogs[0].text;
}

// The real engine on the sample landscape: the themes and log made on the UI thread embed
// exactly the inputs file the engine read.
TEST(RunExec, SampleLandscapeRunGivesFlameLengthThemeAndLog) {
  LaunchFixture f;
  const std::string lcp = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
  CPyrvane engine;
  ASSERT_EQ(engine.SetLandscapeFile(lcp.c_str()), 1);
  auto wrapped = runs::WrapPyrvane(engine);
  f.launch.engine = wrapped.get();
  f.launch.geometry = {engine.GetEast(), engine.GetWest(), engine.GetNorth(), engine.GetSouth(),
                       engine.GetCellSize(), engine.GetCellSize()};
  f.run.outputs.spreadVectors = f.run.outputs.maxSpreadDirection = true;
  f.launch.timing.poll = std::chrono::milliseconds(5);
  ASSERT_TRUE(runs::LaunchPyrvaneThreads(f.launch)) << ::testing::PrintToString(f.messages.Texts());
  ASSERT_TRUE(f.launch.result.succeeded) << ::testing::PrintToString(f.messages.Texts());
  EXPECT_EQ(f.launch.result.inputsFileText, TempDir::Read(f.run.lastInputsFile));

  runs::RunLogFacts facts{lcp, 30.0, "2026-01-02 03:04:05"};
  EXPECT_EQ(runs::CreatePyrvaneOutputThemes(f.run, f.launch.result, facts), 2);
  ASSERT_EQ(f.run.outputThemes.size(), 2u);
  const CTheme& flame = *f.run.outputThemes[0];
  EXPECT_EQ(flame.name, "Flame Length");
  EXPECT_EQ(flame.layerType, 11);
  EXPECT_EQ(flame.rows, engine.GetNumRows());
  EXPECT_EQ(flame.GetCellValue(3, 4), engine.GetOutputLayer(0)[4 * engine.GetNumCols() + 3]);
  EXPECT_EQ(f.run.maxSpreadDirectionTheme, f.run.outputThemes[1].get());
  EXPECT_EQ(f.run.outputLegends.size(), 2u);
  ASSERT_EQ(f.run.runLogs.size(), 1u);
  const RunLogFile& log = f.run.runLogs[0];
  EXPECT_EQ(log.name, "Run Log");
  EXPECT_EQ(log.text.rfind("#Run Log for Pyrvane run: New Run\r\n", 0), 0u);
  const std::string& inputs = f.launch.result.inputsFileText;
  ASSERT_GE(log.text.size(), inputs.size());
  EXPECT_EQ(log.text.substr(log.text.size() - inputs.size()), inputs);

  // Written through the raster-theme writer, the grid is one GDAL reads with statistics over
  // exactly the run's area.
  const std::string tif = f.dir.File("flame.tif");
  ASSERT_TRUE(f.run.outputThemes[0]->SaveGeoTiff("", tif, f.run.outputLegends[0].get()));
  const std::string script =
      "import json,sys\n"
      "from osgeo import gdal\n"
      "i=gdal.Info(sys.argv[1],options=['-stats','-json'])\n"
      "i=json.loads(i) if isinstance(i,str) else i\n"
      "c=i['cornerCoordinates']; b=i['bands'][0]\n"
      "print(c['upperLeft'][0],c['upperLeft'][1],c['lowerRight'][0],c['lowerRight'][1],b['minimum'],b['maximum'],b['noDataValue'])\n";
  const std::string py = f.dir.Write("info.py", script);
  FILE* out = popen((std::string(PV_PYTHON) + " " + py + " " + tif).c_str(), "r");
  ASSERT_TRUE(out);
  double west = 0, north = 0, east = 0, south = 0, mn = 0, mx = 0, nodata = 0;
  const int got = fscanf(out, "%lf %lf %lf %lf %lf %lf %lf", &west, &north, &east, &south, &mn, &mx, &nodata);
  pclose(out);
  ASSERT_EQ(got, 7);
  EXPECT_NEAR(west, engine.GetWest(), 1e-6);
  EXPECT_NEAR(north, engine.GetNorth(), 1e-6);
  EXPECT_NEAR(east, engine.GetEast(), 1e-6);
  EXPECT_NEAR(south, engine.GetSouth(), 1e-6);
  EXPECT_EQ(nodata, -9999);
  EXPECT_GE(mn, 0);
  EXPECT_GT(mx, mn);
}

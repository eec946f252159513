#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fake_host.h"
#include "weather/temp_dir.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "themes/legend.h"
#include "themes/theme.h"

using platform::OleDateTime;

namespace {

CTheme* AddTheme(CRun& run, int layerType) {
  auto theme = std::make_unique<CTheme>();
  theme->layerType = layerType;
  CTheme* raw = theme.get();
  run.AddOutputTheme(std::move(theme), std::make_unique<CThemeLegendData>());
  return raw;
}

std::vector<int> LayerTypes(const CRun& run) {
  std::vector<int> types;
  for (const auto& t : run.outputThemes) types.push_back(t->layerType);
  return types;
}

template <class T>
T* FakeTheme(int& storage) {
  return reinterpret_cast<T*>(&storage);  // an identity for the host's records only
}

}  // namespace

TEST(RunModel, NewRunDefaults) {
  const OleDateTime before = OleDateTime::Now();
  CRun run;
  EXPECT_EQ(run.name, "New Run");
  EXPECT_EQ(run.inputs.griddedWindsResolution, 90);
  EXPECT_EQ(run.outputs.crownFireMethod, -1);
  EXPECT_TRUE(run.outputs.useMemoryOutputs);
  EXPECT_TRUE(run.inputs.noConditioning);
  EXPECT_GE(run.outputs.numberOfProcessors, 1);
  EXPECT_EQ(run.mtt.lateralSearchDepth, 6);
  EXPECT_EQ(run.mtt.verticalSearchDepth, 4);
  EXPECT_DOUBLE_EQ(run.tom.treatmentFraction, 0.1);
  EXPECT_DOUBLE_EQ(run.embrith.spotGridResolution, 15.0);
  EXPECT_TRUE(run.embrith.burnPeriods.empty());
  EXPECT_EQ(run.inputs.conditioningStart, run.inputs.conditioningEnd);
  EXPECT_FALSE(run.inputs.conditioningStart < before);
}

TEST(RunModel, StandardFuelModelTable) {
  CRun run;
  const std::pair<int, bool> custom[] = {{14, true},  {100, true}, {256, true}, {13, false},
                                         {91, false}, {204, false}, {90, true}, {94, true},
                                         {-1, false}, {0, true}};
  for (const auto& [number, expected] : custom)
    EXPECT_EQ(run.IsCustomFuelModel(number), expected) << number;
  int filled = 0;
  for (const FuelModelRecord& r : run.fuelModels) filled += r.number != -1;
  EXPECT_EQ(filled, 58);
  EXPECT_STREQ(run.fuelModels[183].name, "Moderate load confier litter");
  EXPECT_STREQ(run.fuelModels[123].code, "GS3");
  // Fuel model 7 as the original 13-model set publishes it.
  EXPECT_EQ(run.fuelModels[7].sav[0], 1750);
  EXPECT_EQ(run.fuelModels[7].sav[2], 1550);
  EXPECT_DOUBLE_EQ(run.fuelModels[7].extinction, 0.4);
}

TEST(RunModel, ReadinessTests) {
  CRunOutputs o;
  o.maxSpreadDirection = o.ellipticalA = o.ellipticalB = o.ellipticalC = true;
  EXPECT_FALSE(o.HasOutputs());
  o.maxSpotVectors = true;
  EXPECT_TRUE(o.HasOutputs());

  CRunMTTSettings m;
  m.emberList = 1;
  EXPECT_FALSE(m.IsReady());  // no ignition file
  m.ignitionFile = "ign.shp";
  EXPECT_TRUE(m.IsReady());
  m.ignitionSource = 2;
  EXPECT_FALSE(m.IsReady());  // no random-ignition output
  m.fireSizeList = 1;
  EXPECT_TRUE(m.IsReady());
  m.ignitionSource = 3;
  EXPECT_FALSE(m.IsReady());  // no fire list
  m.fireListFile = "fires.txt";
  EXPECT_TRUE(m.IsReady());
  m.ignitionSource = 1;
  EXPECT_FALSE(m.IsReady());

  CRunTOMSettings t;
  t.treatmentOpportunities = 1;
  EXPECT_FALSE(t.IsReady());
  t.idealLandscapeFile = "ideal.lcp";
  EXPECT_TRUE(t.IsReady());
  t.treatments = 1;
  EXPECT_FALSE(t.IsReady());
  t.ignitionFile = "ign.shp";
  EXPECT_TRUE(t.IsReady());

  CRun run;
  run.embrith.ignitionFile = "ign.shp";
  run.embrith.burnPeriods = {{7, 15, 8, 20}};
  run.embrith.firelineIntensity = 1;
  EXPECT_FALSE(run.IsEmbrithReady());
  run.embrith.perimeters = 1;
  EXPECT_TRUE(run.IsEmbrithReady());
  run.embrith.burnPeriods.clear();
  EXPECT_FALSE(run.IsEmbrithReady());
}

TEST(RunModel, UpdateOutputStateKeepsTravelTimeOnCurrentGrids) {
  // Treatment run using fireline intensity: both grids and a current fire-behaviour result.
  CRun tom;
  tom.tom.idealLandscapeFile = "ideal.lcp";
  tom.tom.treatmentOpportunities = 1;
  tom.tom.firelineIntensity = 1;
  tom.fireBehaviorUpToDate = tom.tomUpToDate1 = true;
  AddTheme(tom, 13);
  tom.UpdateOutputState();
  EXPECT_FALSE(tom.fireBehaviorUpToDate);
  EXPECT_FALSE(tom.tomUpToDate1);
  EXPECT_TRUE(tom.outputs.rateOfSpread && tom.outputs.firelineIntensity);

  CRun current;
  current.tom = tom.tom;
  current.fireBehaviorUpToDate = true;
  AddTheme(current, 13);
  AddTheme(current, 12);
  current.UpdateOutputState();
  EXPECT_TRUE(current.fireBehaviorUpToDate);
  EXPECT_FALSE(current.outputs.rateOfSpread);

  CRun mtt;
  mtt.mtt.ignitionFile = "ign.shp";
  mtt.mtt.firelineIntensity = 1;
  mtt.fireBehaviorUpToDate = mtt.mttUpToDate = true;
  mtt.UpdateOutputState();
  EXPECT_FALSE(mtt.fireBehaviorUpToDate);
  EXPECT_FALSE(mtt.mttUpToDate);
  EXPECT_TRUE(mtt.outputs.firelineIntensity);

  // Spread vectors need the spread-direction and ellipse grids.
  CRun vectors;
  vectors.outputs.spreadVectors = true;
  vectors.fireBehaviorUpToDate = true;
  vectors.maxSpreadDirectionTheme = AddTheme(vectors, 21);
  vectors.UpdateOutputState();
  EXPECT_FALSE(vectors.fireBehaviorUpToDate);
}

TEST(RunModel, RemoveStaleOutputs) {
  FakeHost host;
  int arrowsA = 0, arrowsB = 0, paths = 0;
  {
    CRun run;
    run.host = &host;
    CTheme* flame = AddTheme(run, 11);
    AddTheme(run, 34);
    CTheme* arrival = AddTheme(run, 35);
    AddTheme(run, 40);
    run.maxSpreadDirectionTheme = AddTheme(run, 21);
    run.windVectors = FakeTheme<CWindVectorTheme>(arrowsA);
    run.spreadVectors = FakeTheme<CWindVectorTheme>(arrowsB);
    run.flowPaths = FakeTheme<CVectorTheme>(paths);
    run.tomOutputThemes[0] = new CTheme();
    run.runLogs.push_back({"Run Log", "text"});
    run.fireBehaviorUpToDate = true;
    host.visible = arrival;
    host.calls.clear();

    run.RemoveStaleOutputs();
    EXPECT_EQ(LayerTypes(run), (std::vector<int>{11, 34, 21}));
    EXPECT_EQ(run.outputLegends.size(), 3u);
    for (const auto& l : run.outputLegends) EXPECT_NE(l->GetTheme(), arrival);
    EXPECT_NE(run.maxSpreadDirectionTheme, nullptr);
    EXPECT_EQ(run.windVectors, nullptr);
    EXPECT_NE(run.spreadVectors, nullptr);  // still current, only its tree item goes
    EXPECT_EQ(run.flowPaths, nullptr);
    EXPECT_EQ(run.tomOutputThemes[0], nullptr);
    EXPECT_TRUE(run.runLogs.empty());
    EXPECT_EQ(host.calls, (std::vector<std::string>{
                              "DeleteRunOutputItems", "ShowFuelModelTheme+refresh",
                              "RemoveThemeRect", "RemoveThemeRect", "DeleteOutputItem",
                              "DisposeArrows", "DeleteOutputItem", "DisposeVectors",
                              "DeleteOutputItem", "RemoveThemeRect"}));

    // With the fire-behaviour results stale everything goes.
    run.fireBehaviorUpToDate = false;
    run.RemoveStaleOutputs();
    EXPECT_TRUE(run.outputThemes.empty());
    EXPECT_TRUE(run.outputLegends.empty());
    EXPECT_EQ(run.maxSpreadDirectionTheme, nullptr);
    EXPECT_EQ(run.spreadVectors, nullptr);
    EXPECT_EQ(run.FindOutputTheme(11), nullptr);
    (void)flame;
    host.calls.clear();
    run.mttIgnitions = FakeTheme<CVectorTheme>(paths);
  }
  // The destructor hands the run's own inputs back to the document as well.
  EXPECT_EQ(host.calls, std::vector<std::string>{"DisposeVectors"});
}

TEST(RunModel, WindGridThemesAndLookups) {
  FakeHost host;
  CRun run;
  run.host = &host;
  run.windDirectionGridTheme = AddTheme(run, 32);
  run.windSpeedGridTheme = AddTheme(run, 33);
  AddTheme(run, 11);
  EXPECT_EQ(run.FindOutputLegend(33)->GetTheme(), run.windSpeedGridTheme);
  EXPECT_EQ(run.FindOutputLegend(5), nullptr);
  host.calls.clear();
  run.RemoveWindGridThemes();
  EXPECT_EQ(LayerTypes(run), std::vector<int>{11});
  EXPECT_EQ(run.windDirectionGridTheme, nullptr);
  EXPECT_EQ(run.windSpeedGridTheme, nullptr);
  EXPECT_EQ(host.calls.front(), "DeleteThemeItems");
}

TEST(RunModel, Utilities) {
  EXPECT_EQ(GetDaysBeforeMonth(0), 0);
  EXPECT_EQ(GetDaysBeforeMonth(13), 0);
  EXPECT_EQ(GetDaysBeforeMonth(3), 59);
  EXPECT_EQ(GetDaysBeforeMonth(12), 334);
  EXPECT_EQ(GetWindSpeedUnitsName(7), "mph @ 20'");
  EXPECT_EQ(GetWindSpeedUnitsName(3), "ft/min @ 20'");
  std::string s = " \t value with blanks \r\n";
  TrimString(s);
  EXPECT_EQ(s, "value with blanks");
  s = " \n";
  TrimString(s);
  EXPECT_EQ(s, "");

  platform::ScopedRecordingMessages messages;
  const OleDateTime early(2011, 8, 1, 0, 0, 0), late(2011, 8, 2, 0, 0, 0);
  EXPECT_TRUE(CRun::CheckStartBeforeEnd(early, late));
  EXPECT_TRUE(CRun::CheckStartBeforeEnd(late, OleDateTime::Invalid()));
  EXPECT_FALSE(CRun::CheckStartBeforeEnd(late, early));
  EXPECT_FALSE(CRun::CheckFileReadable("/nonexistent/x.fms"));
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"Error: Start day/time later than end day/time.",
                                      "Error opening /nonexistent/x.fms"}));
}

TEST(RunModel, IdealLandscapeThemesFromALandscapeFile) {
  TempDir dir;
  const std::string lcp = dir.File("ideal.lcp");
  // The landscape comes from GDAL's own writer: band b holds (b + 1) x 10, cell (row 0, col 1)
  // holds b x 100 + 7.
  const std::string script =
      "from osgeo import gdal\nimport numpy as np\n"
      "m = gdal.GetDriverByName('MEM').Create('', 4, 3, 8, gdal.GDT_Int16)\n"
      "m.SetGeoTransform([1000.0, 30.0, 0, 2090.0, 0, -30.0])\n"
      "for b in range(8):\n"
      "    a = np.full((3, 4), (b + 1) * 10, dtype=np.int16)\n"
      "    a[0, 1] = b * 100 + 7\n"
      "    m.GetRasterBand(b + 1).WriteArray(a)\n"
      "gdal.GetDriverByName('LCP').CreateCopy('" + lcp + "', m, options=['LATITUDE=45', 'LINEAR_UNIT=METER'])\n";
  const std::string py = dir.Write("make_lcp.py", script);
  ASSERT_EQ(std::system((std::string(PV_PYTHON) + " " + py).c_str()), 0);

  FakeHost host;
  CRun run;
  run.host = &host;
  run.tom.idealLandscapeFile = lcp;
  run.CreateIdealLandscapeThemes();
  const char* names[5] = {"Fuel Model", "Canopy Cover", "Stand Height", "Canopy Base Height",
                          "Canopy Bulk Density"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(names[i]);
    const CTheme* t = run.idealLandscapeThemes[i];
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->name, names[i]);
    EXPECT_EQ(t->layerType, 3 + i);
    EXPECT_EQ(t->rows, 3);
    EXPECT_EQ(t->columns, 4);
    EXPECT_DOUBLE_EQ(t->west, 1000.0);
    EXPECT_DOUBLE_EQ(t->south, 2000.0);
    EXPECT_FLOAT_EQ(t->GetCellValue(1, 0), (3 + i) * 100 + 7.0f);
    EXPECT_FLOAT_EQ(t->GetCellValue(2, 2), (4 + i) * 10.0f);
    EXPECT_EQ(run.idealLandscapeLegends[static_cast<std::size_t>(i)]->GetTheme(), t);
  }
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "AddThemeRect"), 5);
  EXPECT_EQ(run.FindOutputLegend(5), run.idealLandscapeLegends[2].get());

  host.visible = run.idealLandscapeThemes[0];
  host.calls.clear();
  run.RemoveIdealLandscapeThemes();
  EXPECT_TRUE(run.idealLandscapeLegends.empty());
  EXPECT_EQ(run.idealLandscapeThemes[0], nullptr);
  EXPECT_EQ(host.calls.front(), "ShowFuelModelTheme");

  // A file that does not open gives empty themes, as the engine reports no cells.
  run.tom.idealLandscapeFile = dir.File("missing.lcp");
  run.CreateIdealLandscapeThemes();
  ASSERT_NE(run.idealLandscapeThemes[4], nullptr);
  EXPECT_EQ(run.idealLandscapeThemes[4]->rows, 0);
}

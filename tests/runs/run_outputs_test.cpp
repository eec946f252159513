#include <gtest/gtest.h>

#include "fake_host.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "runs/run_outputs.h"
#include "themes/theme.h"

using runs::IsBasicOutputMade;

TEST(RunOutputs, WhichOutputsABasicRunMakes) {
  CRunOutputs none;
  for (int i = 0; i < runs::kBasicOutputCount; ++i) {
    EXPECT_FALSE(IsBasicOutputMade(i, none, 0)) << i;
    // Gridded winds bring the wind grids whatever is selected, and only them.
    const bool wind = i == 22 || i == 23;
    EXPECT_EQ(IsBasicOutputMade(i, none, 2), wind) << i;
    EXPECT_EQ(IsBasicOutputMade(i, none, 4), wind) << i;
    EXPECT_FALSE(IsBasicOutputMade(i, none, 1)) << i;
  }
  CRunOutputs vectorsOnly;
  vectorsOnly.maxSpotVectors = true;
  EXPECT_TRUE(IsBasicOutputMade(14, vectorsOnly, 0));  // MAXSPOT feeds the spot vectors
  CRunOutputs all;
  for (bool* f : {&all.flameLength, &all.rateOfSpread, &all.firelineIntensity, &all.heatPerUnitArea,
                  &all.crownFireActivity, &all.solarRadiation, &all.fuelMoisture1,
                  &all.fuelMoisture10, &all.midflameWindSpeed, &all.horizontalMovementRate,
                  &all.maxSpreadDirection, &all.ellipticalA, &all.ellipticalB, &all.ellipticalC,
                  &all.maxSpotting, &all.fuelMoisture100, &all.fuelMoisture1000,
                  &all.crownFractionBurned, &all.maxSpottingDirection, &all.maxSpottingDistance})
    *f = true;
  for (int i = 0; i < 22; ++i) EXPECT_EQ(IsBasicOutputMade(i, all, 0), i != 18 && i != 19) << i;
  EXPECT_STREQ(runs::OutputLayerName(3), "Heat/Unit Area");
  EXPECT_STREQ(runs::OutputLayerName(14), "MAXSPOT (Combined)");
  EXPECT_STREQ(runs::OutputLayerName(32), "Embrith Reaction Intensity");
}

TEST(RunOutputs, TagsOfEachRunKind) {
  using runs::RunKind;
  using runs::RunOutputTags;
  EXPECT_TRUE(RunOutputTags(RunKind::Basic).empty());
  std::size_t total = 0;
  for (RunKind k : {RunKind::MTT, RunKind::RandomIgnitions, RunKind::TOM, RunKind::Embrith})
    total += RunOutputTags(k).size();
  EXPECT_EQ(total, 38u);
  EXPECT_EQ(RunOutputTags(RunKind::MTT).back(), "#MTT_EMBER_LIST");
  EXPECT_EQ(RunOutputTags(RunKind::RandomIgnitions).front(), "#SOWFIR_BURN_PROBABILITIES");
  EXPECT_EQ(RunOutputTags(RunKind::TOM)[1], "#TOM_TREATMENT");
  EXPECT_EQ(RunOutputTags(RunKind::Embrith).back(), "#EMBRITH_SPREAD_VECTORS");
}

TEST(RunOutputs, RunLogLayoutFollowsTheWeatherSource) {
  CRun run;
  run.name = "Ridge";
  run.inputs.fuelMoistureFile = "/d/a.fms";
  run.inputs.weatherStreamFile = "/d/s.wxs";
  run.inputs.weatherFile = "/d/w.wtr";
  run.inputs.windFile = "/d/w.wnd";
  runs::RunLogFacts facts{"/d/land.lcp", 30, "2026-12-10 13:00:00"};
  const std::string head =
      "#Run Log for Pyrvane run: Ridge\r\n#Run Completed: 2026-12-10 13:00:00\r\n"
      "#Run Time (Seconds): 12.35\r\n#Landscape File: /d/land.lcp\r\n"
      "#Landscape Resolution: 30.0\r\n#FUEL_MOISTURE_FILE: /d/a.fms\r\n";
  struct Case {
    bool noConditioning, stream;
    std::string weather;
  } cases[] = {
      {true, true, ""},
      {false, true, "#RAWS_FILE: /d/s.wxs\r\n"},
      {false, false, "#WEATHER_FILE: /d/w.wtr\r\n#WIND_FILE: /d/w.wnd\r\n"},
  };
  for (const Case& c : cases) {
    run.inputs.noConditioning = c.noConditioning;
    run.inputs.useWeatherStream = c.stream;
    EXPECT_EQ(runs::BuildPyrvaneRunLog(run, facts, 12.345, "KEY: 1\nX\r\n"),
              head + c.weather + "KEY: 1\nX\r\n");
  }
}

TEST(RunOutputs, ThemesLegendsSlotsAndLogFromCollectedGrids) {
  platform::ScopedRecordingMessages messages;
  FakeHost host;
  CRun run;
  run.host = &host;
  runs::PyrvaneRunResult result;
  result.succeeded = true;
  result.missing = {0};
  const float cells[6] = {1, 2, 3, 4, 5, -9999};
  for (int index : {12, 23}) {
    runs::OutputGrid g;
    g.index = index;
    g.south = 100;
    g.west = 200;
    g.cellWidth = g.cellHeight = 30;
    g.rows = 2;
    g.columns = 3;
    g.cells.assign(cells, cells + 6);
    result.grids.push_back(g);
  }
  runs::RunLogFacts facts;
  EXPECT_EQ(runs::CreatePyrvaneOutputThemes(run, result, facts), 2);
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Error retrieving Pyrvane output layer Flame Length"});
  ASSERT_EQ(run.outputThemes.size(), 2u);
  EXPECT_EQ(run.ellipticalBTheme, run.outputThemes[0].get());
  EXPECT_EQ(run.windSpeedGridTheme, run.outputThemes[1].get());
  EXPECT_EQ(run.outputThemes[1]->layerType, 34);
  EXPECT_EQ(run.outputThemes[0]->GetCellValue(1, 0), 2.0f);
  EXPECT_EQ(run.outputLegends.size(), 2u);
  EXPECT_EQ(run.outputLegends[1]->GetTheme(), run.outputThemes[1].get());
  // The area knows the theme's window before it classes the cells inside it.
  EXPECT_EQ(host.calls, (std::vector<std::string>{"AddThemeRect", "CreateLegendData",
                                                  "AddThemeRect", "CreateLegendData"}));
  EXPECT_EQ(run.runLogs.size(), 1u);

  // A stop while the grids were collected keeps the themes but throws the log away.
  CRun stopped;
  result.stoppedWhileCollecting = true;
  for (auto& g : result.grids) g.cells.assign(cells, cells + 6);
  EXPECT_EQ(runs::CreatePyrvaneOutputThemes(stopped, result, facts), 2);
  EXPECT_TRUE(stopped.runLogs.empty());
}

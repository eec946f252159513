#include <gtest/gtest.h>

#include "fake_host.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "runs/run_outputs.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

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

// The arrows of a fire-behaviour run: each from its own output grids when they were made, drawn
// with a legend of its own, and replaced by the next run's.
TEST(RunOutputs, ArrowThemesFromTheRunsGridsWhenChosenAndReplacedByTheNextRun) {
  const float pi = 3.14159265f;
  auto grid = [](std::vector<float> cells, int layerType) {
    auto t = std::make_unique<CTheme>();
    t->CreateFromFloats("g", 0, 0, 30, 30, 1, static_cast<int>(cells.size()), -9999.0f, cells.data(), 0,
                        layerType);
    return t;
  };
  struct Case {
    bool spread, spot, windGrids;
    std::vector<std::string> made;
  };
  const Case cases[] = {
      {true, true, false, {"Spread Vectors", "Max Spot Vectors"}},
      {false, true, true, {"Wind Vectors", "Max Spot Vectors"}},
      {false, false, false, {}},
  };
  for (const Case& c : cases) {
    FakeHost host;
    CRun run;
    run.host = &host;
    run.outputs.spreadVectors = c.spread;
    run.outputs.maxSpotVectors = c.spot;
    auto direction = grid({0, pi / 2}, 21), b = grid({3, 4}, 23), cc = grid({1, 1}, 24);
    auto spot = grid({120.05f, -9999}, 25), windDir = grid({90, 180}, 33), windSpeed = grid({5, 6}, 34);
    run.maxSpreadDirectionTheme = direction.get();
    run.ellipticalBTheme = b.get();
    run.ellipticalCTheme = cc.get();
    run.maxSpottingTheme = spot.get();
    if (c.windGrids) {
      run.windDirectionGridTheme = windDir.get();
      run.windSpeedGridTheme = windSpeed.get();
    }
    for (int launch = 0; launch < 2; ++launch) {
      host.calls.clear();
      EXPECT_EQ(runs::AddArrowThemes(run), static_cast<int>(c.made.size()));
      std::vector<std::string> made;
      for (CWindVectorTheme* t : {run.windVectors, run.spreadVectors, run.maxSpotVectors})
        if (t) made.push_back(t->name);
      EXPECT_EQ(made, c.made);
      EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "AdoptArrows"),
                static_cast<long>(c.made.size()));
      // The second launch replaces the first launch's arrows.
      EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "DisposeArrows"),
                launch == 0 ? 0L : static_cast<long>(c.made.size()));
      EXPECT_EQ(host.arrows.size(), c.made.size());
    }
    if (run.spreadVectors) {
      EXPECT_EQ(run.spreadVectors->kind, 1);
      EXPECT_EQ(run.spreadVectors->Cell(0, 0)->direction, 180);
      EXPECT_EQ(run.spreadVectors->Cell(0, 1)->direction, 270);
      EXPECT_EQ(run.spreadVectors->Cell(0, 1)->magnitude, 5.0f);
    }
    if (run.maxSpotVectors) {
      EXPECT_EQ(run.maxSpotVectors->kind, 2);
      EXPECT_EQ(run.maxSpotVectors->count, 1);
      EXPECT_EQ(run.maxSpotVectors->Cell(0, 0)->magnitude, 120.0f);
    }
    if (run.windVectors) {
      EXPECT_EQ(run.windVectors->Cell(0, 1)->direction, 180);
    }
  }
  // A run outside a project frees its own arrows.
  CRun alone;
  alone.outputs.maxSpotVectors = true;
  auto spot = grid({10.0f}, 25);
  alone.maxSpottingTheme = spot.get();
  EXPECT_EQ(runs::AddArrowThemes(alone), 1);
  EXPECT_EQ(runs::AddArrowThemes(alone), 1);
}

// The winds a fire-growth fire met: gridded winds by the step of each cell's arrival time, and
// only where the cell lies in the wind raster; a damaged series gives no arrow, never a read
// past its grids.
TEST(RunOutputs, RunWindArrowsTakeTheStepOfEachArrivalAndStayInsideTheWindGrids) {
  CRun run;
  run.inputs.windType = 4;
  // Arrival minutes on 3 x 3 cells of 30 m from (0, 0); row 0 north. 0: unburned.
  const float arrival[9] = {10, 70, 0,
                            20, 80, 200,
                            30, 90, 5};
  auto theme = std::make_unique<CTheme>();
  theme->CreateFromFloats("arrival", 0, 0, 30, 30, 3, 3, -9999.0f, arrival, 0, 37);
  run.AddOutputTheme(std::move(theme), nullptr);
  // Winds over the north-western 2 x 2 cells only: 30 m cells from (0, 30), steps ending at 60
  // and 120 minutes.
  runs::WindGridSet& g = run.windGrids;
  g.Allocate(2, 2, 2);
  g.cellSize = 30;
  g.xll = 0;
  g.yll = 30;
  g.endTimes = {60, 120};
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 4; ++k) {
      g.speed[static_cast<std::size_t>(s)][static_cast<std::size_t>(k)] = 10.0f * (s + 1) + k;
      g.direction[static_cast<std::size_t>(s)][static_cast<std::size_t>(k)] = static_cast<std::int16_t>(100 * (s + 1) + k);
    }
  CWindVectorTheme arrows;
  ASSERT_TRUE(runs::CreateFromRunWinds(arrows, run));
  EXPECT_TRUE(arrows.gridded);
  EXPECT_FALSE(arrows.spread);
  // Arrow row 2 is the northern row (wind row 0), row 1 wind row 1; row 0 and column 2 lie
  // outside the winds.
  struct Want {
    int row, column, direction;
    float speed;
  };
  const Want want[] = {
      {2, 0, 100, 10}, {2, 1, 201, 21},  // 10 minutes: step 0; 70: step 1
      {1, 0, 102, 12}, {1, 1, 203, 23},  // 20: step 0; 80: step 1
  };
  for (const Want& w : want) {
    const CWindVectorCell& c = *arrows.Cell(w.row, w.column);
    EXPECT_EQ(c.direction, w.direction) << w.row << "," << w.column;
    EXPECT_EQ(c.magnitude, w.speed) << w.row << "," << w.column;
  }
  // Unburned (top right), burned outside the winds (the rest): no arrow.
  EXPECT_EQ(arrows.count, 4);

  // A series whose grids are shorter than it says: nothing is read past them.
  g.speed[0].resize(2);
  g.direction.resize(1);
  CWindVectorTheme damaged;
  ASSERT_TRUE(runs::CreateFromRunWinds(damaged, run));
  EXPECT_EQ(damaged.count, 2);  // step 0 only, where its grids have the cell
  g.count = 0;
  CWindVectorTheme none;
  EXPECT_FALSE(runs::CreateFromRunWinds(none, run));
}

// The winds of an atmosphere file: at each burned cell the grids in force at its arrival.
TEST(RunOutputs, RunWindArrowsOfAnAtmosphereFileTakeTheGridsInForceAtEachArrival) {
  const auto dir = std::filesystem::temp_directory_path() / "pv_runs_atm_arrows";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  auto grid = [&](const std::string& name, int value) {
    std::ofstream f(dir / name);
    f << "ncols 3\nnrows 3\nxllcorner 0\nyllcorner 0\ncellsize 30\nNODATA_value -9999\n";
    for (int i = 0; i < 9; ++i) f << value << (i % 3 == 2 ? "\n" : " ");
  };
  grid("s1.asc", 5);
  grid("d1.asc", 90);
  grid("s2.asc", 7);
  grid("d2.asc", 180);
  std::ofstream(dir / "winds.atm") << "WINDS\nENGLISH\n7 15 1100 s2.asc d2.asc\n7 15 1000 s1.asc d1.asc\n";

  CRun run;
  run.inputs.windType = 5;
  run.embrith.atmFile = (dir / "winds.atm").string();
  run.embrith.burnPeriods = {{7, 15, 10, 14}};
  const float arrival[9] = {10, 70, 0, 20, 80, 200, 30, 59, 5};
  auto theme = std::make_unique<CTheme>();
  theme->CreateFromFloats("arrival", 0, 0, 30, 30, 3, 3, -9999.0f, arrival, 0, 37);
  run.AddOutputTheme(std::move(theme), nullptr);
  CWindVectorTheme arrows;
  ASSERT_TRUE(runs::CreateFromRunWinds(arrows, run));
  EXPECT_EQ(arrows.count, 8);
  EXPECT_EQ(arrows.Cell(2, 0)->direction, 90);   // 10 minutes: the first entry
  EXPECT_EQ(arrows.Cell(2, 1)->direction, 180);  // 70: the second, from minute 60
  EXPECT_EQ(arrows.Cell(2, 1)->magnitude, 7);
  EXPECT_EQ(arrows.Cell(0, 1)->direction, 90);   // 59
  run.embrith.atmFile = (dir / "missing.atm").string();
  CWindVectorTheme none;
  EXPECT_FALSE(runs::CreateFromRunWinds(none, run));
  std::filesystem::remove_all(dir);
}

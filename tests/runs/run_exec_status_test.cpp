#include <gtest/gtest.h>

#include <functional>

#include "fake_host.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "runs/run_exec_status.h"
#include "themes/theme.h"
#include "weather/temp_dir.h"

using platform::OleDateTime;
using runs::InputsState;

namespace {

std::string Stream(int records) {
  std::string s = "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: " + std::to_string(records) + "\n";
  for (int h = 0; h < records; ++h) s += "2011 8 7 " + std::to_string(h * 100) + " 70 30 0.00 5 90 0\n";
  return s;
}

}  // namespace

// The first missing input, as the status line moves from one to the next.
TEST(RunSheetStatus, FirstMissingInput) {
  TempDir dir;
  platform::ScopedRecordingMessages messages;
  CRun run;
  const std::string fms = dir.Write("a.fms", "0 6 7 8 60 90\n");
  const std::string good = dir.Write("good.wxs", Stream(3));
  const std::string empty = dir.Write("empty.wxs", "RAWS_UNITS: English\nRAWS: 0\n");
  const std::string bad = dir.Write("bad.wxs", "RAWS_UNITS: English\nRAWS: 1\n2011 13 7 0 70 30 0.00 5 90 0\n");
  InputsState ok;
  ok.fmsFile = fms;
  ok.crownFireMethod = 0;
  struct Case {
    std::function<void(InputsState&)> change;
    const char* expected;
  } cases[] = {
      {[](InputsState&) {}, "Inputs OK"},
      {[](InputsState& s) { s.fmsFile.clear(); }, "Need Fuel Moisture File"},
      {[&](InputsState& s) { s.fmsFile = dir.Write("x.fms", "1 2 3\n"); }, "Need Fuel Moisture File"},
      {[](InputsState& s) { s.areaNeedsCustomFuels = true; }, "Need FMD File"},
      // A ticked box without a file, or a file the run would not use, is not in order.
      {[](InputsState& s) { s.useCustomFuels = true; }, "Need FMD File"},
      {[](InputsState& s) { s.areaNeedsCustomFuels = true; s.fmdFile = "c.fmd"; }, "Tick Use Custom Fuels"},
      {[](InputsState& s) { s.areaNeedsCustomFuels = s.useCustomFuels = true; s.fmdFile = "c.fmd"; }, "Inputs OK"},
      {[](InputsState& s) { s.fmdFile = "c.fmd"; }, "Inputs OK"},
      {[](InputsState& s) { s.crownFireMethod = -1; }, "Set Crown Fire Method"},
      {[](InputsState& s) { s.windType = 2; }, "Need Wind Direction file"},
      {[](InputsState& s) { s.windType = 2; s.directionFile = "d.asc"; }, "Need Wind Speed file"},
      {[](InputsState& s) { s.fixedFuelMoistures = false; s.useWeatherStream = true; }, "Need a Weather Stream file"},
      {[&](InputsState& s) { s.fixedFuelMoistures = false; s.useWeatherStream = true; s.wxsFile = empty; },
       "Weather Stream file invalid or empty"},
      {[&](InputsState& s) { s.fixedFuelMoistures = false; s.useWeatherStream = true; s.wxsFile = bad; },
       "Weather Stream file invalid"},
      {[&](InputsState& s) {
         s.fixedFuelMoistures = false; s.useWeatherStream = true; s.wxsFile = good;
         s.conditioningStart = OleDateTime(2011, 8, 7, 2, 0, 0);
         s.conditioningEnd = OleDateTime(2011, 8, 7, 1, 0, 0);
       }, "Set FM Conditioning Period"},
  };
  for (const Case& c : cases) {
    InputsState s = ok;
    c.change(s);
    EXPECT_EQ(runs::MissingInputText(run, s), c.expected);
    // Launch waits for what the status line asks (a bad period also says so when tested).
    if (std::string(c.expected) != "Set FM Conditioning Period")
      EXPECT_EQ(runs::InputsReady(run, s), std::string(c.expected) == "Inputs OK") << c.expected;
  }
  // Fixed moistures with treatments wanted but no ideal landscape.
  run.tom.treatments = 1;
  EXPECT_EQ(runs::MissingInputText(run, ok), "Need Ideal Landscape");
  EXPECT_TRUE(messages.Texts().empty());
}

TEST(RunSheetStatus, ReadinessNeedsBothWindGridsAndAnOrderedPeriod) {
  TempDir dir;
  platform::ScopedRecordingMessages messages;
  CRun run;
  InputsState s;
  s.fmsFile = dir.Write("a.fms", "0 6 7 8 60 90\n");
  s.crownFireMethod = 1;
  EXPECT_TRUE(runs::InputsReady(run, s));
  s.windType = 2;
  s.directionFile = "d.asc";
  EXPECT_FALSE(runs::InputsReady(run, s));
  s.speedFile = "s.asc";
  EXPECT_TRUE(runs::InputsReady(run, s));
  s.fixedFuelMoistures = false;
  s.useWeatherStream = true;
  s.wxsFile = dir.Write("good.wxs", Stream(3));
  s.conditioningStart = OleDateTime(2011, 8, 7, 0, 0, 0);
  s.conditioningEnd = OleDateTime(2011, 8, 7, 2, 0, 0);
  EXPECT_TRUE(runs::InputsReady(run, s));
  std::swap(s.conditioningStart, s.conditioningEnd);
  EXPECT_FALSE(runs::InputsReady(run, s));
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Error: Start day/time later than end day/time."});
}

TEST(RunSheetStatus, OutputCountAndReadiness) {
  CRun run;
  CRunOutputs sel;
  EXPECT_EQ(runs::SelectedOutputsText(runs::CountSelectedOutputs(sel, true, true, run.mtt, run.tom)),
            "No outputs selected");
  sel.flameLength = sel.spreadVectors = true;
  sel.solarRadiation = sel.fuelMoisture1000 = true;
  // Moisture outputs count on the page only while fuels are conditioned.
  EXPECT_EQ(runs::CountSelectedOutputs(sel, true, true, run.mtt, run.tom), 2);
  EXPECT_EQ(runs::CountSelectedOutputs(sel, true, false, run.mtt, run.tom), 4);
  EXPECT_EQ(runs::SelectedOutputsText(runs::CountSelectedOutputs(sel, false, true, run.mtt, run.tom)),
            "4 outputs selected");
  // Travel-time ticks of the chosen ignition source and treatment ticks count, ready or not.
  run.mtt.arrivalTime = run.mtt.flowPaths = run.mtt.burnProbabilities = 1;
  run.tom.treatments = run.tom.majorPaths = 1;
  EXPECT_EQ(runs::CountSelectedOutputs(sel, false, true, run.mtt, run.tom), 8);
  run.mtt.ignitionSource = 2;
  EXPECT_EQ(runs::CountSelectedOutputs(sel, false, true, run.mtt, run.tom), 7);
  CRunOutputs moistureOnly;
  moistureOnly.fuelMoisture10 = true;
  EXPECT_FALSE(runs::OutputsReady(moistureOnly, false, 0));
  EXPECT_TRUE(runs::OutputsReady(moistureOnly, true, 0));
  EXPECT_FALSE(runs::OutputsReady(sel, true, -1));  // crown fire method never chosen

  EXPECT_EQ(runs::ExistingOutputsText(run, true), "No existing outputs");
  run.outputThemes.push_back(std::make_unique<CTheme>());
  EXPECT_EQ(runs::ExistingOutputsText(run, true), "Existing outputs out of date");
  EXPECT_EQ(runs::ExistingOutputsText(run, false), "Existing outputs up to date");
}

TEST(RunSheetStatus, DefaultRunResolution) {
  struct Case {
    double cell;
    long long rows, cols;
    int expected;
  } cases[] = {
      {30, 400, 400, 60},      // 200 x 200 cells
      {30, 1000, 1000, 120},   // 3 x 30 would leave 333 x 333 cells
      {30, 1, 100000, 30},     // exactly 100000 cells keeps the cell size
      {30, 1, 100001, 60},
      {25.5, 100, 100, 25},
      {0, 1000, 1000, 0},      // no landscape: no endless search
  };
  for (const Case& c : cases)
    EXPECT_EQ(runs::DefaultRunResolution(c.cell, c.rows, c.cols), c.expected)
        << c.cell << " " << c.rows << "x" << c.cols;
}

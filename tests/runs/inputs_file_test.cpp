#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engines/inputs_file.h"
#include "fake_host.h"
#include "hourly_stream.h"
#include "platform/folders.h"
#include "platform/paths.h"
#include "runs/run.h"
#include "weather/temp_dir.h"

using platform::OleDateTime;

namespace {

// A run whose inputs live in `dir`, with fixed values wherever the defaults depend on the
// machine or the clock.
struct RunFixture {
  TempDir dir;
  FakeHost host;
  CRun run;
  RunFixture() {
    platform::SetWorkingFolder(dir.File("work"));
    run.outputs.numberOfProcessors = 4;
    run.inputs.diurnalDateTime = OleDateTime(2020, 7, 4, 15, 30, 20);
  }
  std::string Write(bool (CRun::*writer)(std::string&)) {
    std::string path;
    EXPECT_TRUE((run.*writer)(path));
    EXPECT_EQ(path, run.lastInputsFile);
    return TempDir::Read(path);
  }
  std::string Golden(const char* name) {
    return TempDir::Read(std::string(PV_TEST_DATA_DIR) + "/runs/" + name);
  }
};

std::string DailyWeather() {
  std::string s = "english\n";
  for (int d = 1; d <= 20; ++d)
    s += "6 " + std::to_string(d) + " 0 600 1500 50 80 90 20 1500\n";
  return s;
}

std::string DailyWinds() {
  std::string s;
  for (int d = 1; d <= 20; ++d)
    for (int t : {0, 1200}) s += "6 " + std::to_string(d) + " " + std::to_string(t) + " 5 180 0\n";
  return s;
}

// The lines of a data block: its key line and the `count` lines that follow.
std::string Block(const std::string& text, const std::string& key) {
  const std::size_t at = text.find(key + ": ");
  if (at == std::string::npos) return "<missing " + key + ">";
  std::size_t end = text.find('\n', at);
  const int count = std::stoi(text.substr(at + key.size() + 2));
  for (int i = 0; i < count; ++i) end = text.find('\n', end + 1);
  return text.substr(at, end - at + 1);
}

}  // namespace

TEST(RunInputsFile, BasicFileWithWeatherStreamMatchesGolden) {
  RunFixture f;
  CRun& run = f.run;
  run.inputs.fuelMoistureFile = f.dir.Write("a.fms", "1 5 6 7 80 100\n2 4 5 6 70 90\n"
                                                     "300 9 9 9 9 9\n0 3 4 5 60 80\n");
  ConditionFromHourlyStream(run.inputs, f.dir, OleDateTime(2011, 8, 7, 8, 30, 0), OleDateTime(2011, 8, 7, 12, 0, 0));
  run.inputs.windType = 1;
  run.inputs.windSpeed = 12;
  run.inputs.windDirection = 225;
  run.inputs.windSpeedUnits = 2;
  run.inputs.customFuelsFile = "custom.fmd";  // custom fuels off: not written
  run.outputs.flameLength = run.outputs.maxSpotVectors = true;
  const std::string text = f.Write(&CRun::WritePyrvaneInputsFile);
  EXPECT_EQ(text, f.Golden("basic_stream.txt"));
  EXPECT_EQ(Block(text, "RAWS"),
            "RAWS: 5\n2011 8 7 0800 68 30 0.00 5 80 0 \n2011 8 7 0900 69 30 0.00 5 90 0 \n"
            "2011 8 7 1000 70 30 0.00 5 100 0 \n2011 8 7 1100 71 30 0.00 5 110 0 \n"
            "2011 8 7 1200 72 30 0.00 5 120 0 \n");
}

TEST(RunInputsFile, EmbrithFileWithDailyWeatherMatchesGolden) {
  RunFixture f;
  CRun& run = f.run;
  f.host.wholeLandscape = false;
  f.host.east = 1000.5;
  f.host.west = 10.25;
  f.host.north = 5000;
  f.host.south = 4000;
  run.host = &f.host;
  run.isEmbrith = true;
  run.inputs.fuelMoistureFile = f.dir.Write("a.fms", "1 5 6 7 80 100\n2 0 5 6 70 90\n");
  run.inputs.useCustomFuelModels = true;
  run.inputs.customFuelsFile = "custom.fmd";
  run.inputs.weatherFile = f.dir.Write("d.wtr", DailyWeather());
  run.inputs.windFile = f.dir.Write("d.wnd", DailyWinds());
  run.inputs.conditioningStart = OleDateTime(2011, 6, 10, 14, 30, 0);
  run.inputs.conditioningEnd = OleDateTime(2011, 6, 12, 9, 0, 0);
  run.inputs.windType = 4;
  run.embrith.ignitionFile = "ign.shp";
  run.embrith.rosAdjustFile = "a.adj";
  run.embrith.burnPeriods = {{7, 15, 8, 20}, {7, 16, 10, 24}};
  const std::string text = f.Write(&CRun::WriteEmbrithInputsFile);
  EXPECT_EQ(text, f.Golden("embrith_daily.txt"));
  EXPECT_NE(text.find("EMBRITH_BURN_PERIODS: 2\n7 15 800 1959\n7 16 1000 2359\n"),
            std::string::npos);
  EXPECT_EQ(Block(text, "WEATHER_DATA"),
            "WEATHER_DATA: 5\n6 9 0 600 1500 50 80 90 20 1500\n6 10 0 600 1500 50 80 90 20 1500\n"
            "6 11 0 600 1500 50 80 90 20 1500\n6 12 0 600 1500 50 80 90 20 1500\n"
            "6 13 0 600 1500 50 80 90 20 1500\n");
  // Bins never set keep the defaults of the diurnal fields (75, 20): they are held to their
  // ranges; bins within them pass as they are.
  EXPECT_NE(text.find("GRIDDED_WINDS_DIRECTION_BIN: 10\nGRIDDED_WINDS_SPEED_BIN: 5\n"), std::string::npos);
  run.inputs.diurnalAirTemperature = 3;
  run.inputs.diurnalCloudCover = 7;
  EXPECT_NE(f.Write(&CRun::WriteEmbrithInputsFile).find("GRIDDED_WINDS_DIRECTION_BIN: 7\nGRIDDED_WINDS_SPEED_BIN: 3\n"),
            std::string::npos);
}

TEST(RunInputsFile, SettingLinesByCase) {
  RunFixture f;
  CRun& run = f.run;
  run.inputs.noConditioning = false;
  run.inputs.useWeatherStream = true;
  run.inputs.weatherStreamFile = f.dir.File("missing.wxs");
  run.inputs.conditioningStart = OleDateTime(2011, 8, 7, 14, 30, 0);
  run.inputs.windType = 5;
  run.outputs.crownFireMethod = 0;
  std::string text = f.Write(&CRun::WritePyrvaneInputsFile);
  EXPECT_NE(text.find("CONDITIONING_PERIOD_START: 08 07 1430\n"), std::string::npos);
  EXPECT_NE(text.find("RAWS_ELEVATION: 0\nRAWS_UNITS: English\nRAWS: 0\n"), std::string::npos);
  EXPECT_EQ(text.find("WIND_SPEED"), std::string::npos);
  EXPECT_NE(text.find("CROWN_FIRE_METHOD: Hallett\n"), std::string::npos);

  run.inputs.windType = 3;
  run.inputs.windSpeedUnits = 7;
  run.inputs.noConditioning = true;
  run.outputs.useMemoryOutputs = false;
  run.mtt.ignitionFile = "ign.shp";
  text = f.Write(&CRun::WriteMTTInputsFile);
  EXPECT_EQ(text.find("CONDITIONING"), std::string::npos);
  EXPECT_NE(text.find("WIND_DIRECTION: -2\nDEFAULT_UPHILL_DOWNHILL_DIRECTION: 0\n"
                      "WIND_SPEED_UNITS: 7 (mph @ 20')\n"),
            std::string::npos);
  EXPECT_NE(text.find("USE_MEMORY_OUTPUTS: 0\nTEMP_STORAGE_PATH: " + platform::WorkingFolder()),
            std::string::npos);
  EXPECT_NE(text.find("#END SELECTED PYRVANE OUTPUTS\n\nMTT_RESOLUTION: 30.000000\n"
                      "MTT_SIM_TIME: 0.000000\nMTT_TRAVEL_PATH_INTERVAL: 500.000000\n"
                      "MTT_SPOT_PROBABILITY: 0.000000\nMTT_SPOT_DELAY: 0\n"
                      "MTT_IGNITION_FILE: ign.shp\nPathweaverNumLat: 6\nPathweaverNumVert: 4\n"),
            std::string::npos);

  run.tom.treatmentOpportunities = 1;
  text = f.Write(&CRun::WriteTOMInputsFile);
  EXPECT_NE(text.find("MTT_SIM_TIME: 0\n"), std::string::npos);
  EXPECT_NE(text.find("TREAT_OPPORTUNITES_ONLY: 1\n"), std::string::npos);
}

TEST(RunInputsFile, DailyBlockCountsMatchTheLinesCopied) {
  struct Case {
    const char* name;
    OleDateTime start, end;
    std::string wtr, wnd;
    int weatherCount, windCount;
  };
  const Case cases[] = {
      {"middle of the file", OleDateTime(2011, 6, 10, 14, 0, 0), OleDateTime(2011, 6, 12, 9, 0, 0),
       DailyWeather(), DailyWinds(), 5, 10},
      {"starts on the first day", OleDateTime(2011, 6, 1, 14, 0, 0),
       OleDateTime(2011, 6, 2, 9, 0, 0), DailyWeather(), DailyWinds(), 3, 6},
      {"ends on the last day", OleDateTime(2011, 6, 19, 14, 0, 0),
       OleDateTime(2011, 6, 20, 9, 0, 0), DailyWeather(), DailyWinds(), 3, 6},
      {"a missing day", OleDateTime(2011, 6, 10, 14, 0, 0), OleDateTime(2011, 6, 12, 9, 0, 0),
       "6 9 0 600 1500 50 80 90 20 0\n6 10 0 600 1500 50 80 90 20 0\n"
       "6 12 0 600 1500 50 80 90 20 0\n6 13 0 600 1500 50 80 90 20 0\n",
       "6 10 0 5 180 0\n6 12 0 5 180 0\n", 4, 2},
      {"across the year end", OleDateTime(2011, 12, 31, 14, 0, 0),
       OleDateTime(2012, 1, 1, 9, 0, 0),
       "12 30 0 600 1500 50 80 90 20 0\n12 31 0 600 1500 50 80 90 20 0\n"
       "1 1 0 600 1500 50 80 90 20 0\n1 2 0 600 1500 50 80 90 20 0\n",
       "12 30 0 5 180 0\n12 31 0 5 180 0\n1 1 0 5 180 0\n1 2 0 5 180 0\n1 3 0 5 180 0\n", 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunFixture f;
    f.run.inputs.noConditioning = false;
    f.run.inputs.weatherFile = f.dir.Write("d.wtr", c.wtr);
    f.run.inputs.windFile = f.dir.Write("d.wnd", c.wnd);
    f.run.inputs.conditioningStart = c.start;
    f.run.inputs.conditioningEnd = c.end;
    const std::string text = f.Write(&CRun::WritePyrvaneInputsFile);
    const std::string weather = Block(text, "WEATHER_DATA");
    const std::string wind = Block(text, "WIND_DATA");
    EXPECT_EQ(std::count(weather.begin(), weather.end(), '\n') - 1, c.weatherCount) << weather;
    EXPECT_EQ(std::count(wind.begin(), wind.end(), '\n') - 1, c.windCount) << wind;
    // The line after a block is never a data line: the count covers every copied line.
    const std::size_t after = text.find(weather) + weather.size();
    EXPECT_EQ(text.substr(after, 21), "\nWEATHER_DATA_UNITS: ");
  }
}

TEST(RunInputsFile, EachLaunchGetsItsOwnFileAndFailuresWriteNothing) {
  RunFixture f;
  std::string first, second;
  f.run.inputs.useWeatherStream = true;  // an unreadable stream gives an empty block
  ASSERT_TRUE(f.run.WritePyrvaneInputsFile(first));
  ASSERT_TRUE(f.run.WriteEmbrithInputsFile(second));
  EXPECT_NE(first, second);
  EXPECT_NE(TempDir::Read(first), TempDir::Read(second));
  EXPECT_EQ(platform::FileName(first), "Pyrvane6_inputs_1.txt");

  f.run.inputs.noConditioning = false;
  f.run.inputs.useWeatherStream = false;
  f.run.inputs.weatherFile = f.dir.File("missing.wtr");
  f.run.inputs.windFile = f.dir.Write("d.wnd", DailyWinds());
  std::string failed;
  EXPECT_FALSE(f.run.WritePyrvaneInputsFile(failed));
  EXPECT_FALSE(f.run.WriteEmbrithInputsFile(failed));
  EXPECT_EQ(f.run.lastInputsFile, second);
  EXPECT_FALSE(platform::FileExists(platform::Join(platform::WorkingFolder(),
                                                   "Pyrvane6_inputs_3.txt")));
}

TEST(RunInputsFile, ARunTakesItsInputsFilesWithItWhenDeleted) {
  RunFixture f;
  auto run = std::make_unique<CRun>();
  std::string a, b;
  ASSERT_TRUE(run->WritePyrvaneInputsFile(a));
  ASSERT_TRUE(run->WritePyrvaneInputsFile(b));  // a second launch of the same run
  ASSERT_TRUE(platform::FileExists(a) && platform::FileExists(b));
  run.reset();
  EXPECT_FALSE(platform::FileExists(a));
  EXPECT_FALSE(platform::FileExists(b));
}

TEST(RunInputsFile, TheFireBehaviourEngineReadsWhatTheRunWrites) {
  RunFixture f;
  CRun& run = f.run;
  run.inputs.fuelMoistureFile = f.dir.Write("a.fms", "1 5 6 7 80 100\n2 4 5 6 70 90\n");
  run.inputs.noConditioning = false;
  run.inputs.weatherFile = f.dir.Write("d.wtr", DailyWeather());
  run.inputs.windFile = f.dir.Write("d.wnd", DailyWinds());
  run.inputs.conditioningStart = OleDateTime(2011, 6, 10, 14, 30, 0);
  run.inputs.conditioningEnd = OleDateTime(2011, 6, 12, 9, 0, 0);
  run.inputs.windType = 1;
  run.inputs.windSpeed = 12;
  run.inputs.windDirection = 225;
  run.outputs.flameLength = run.outputs.spreadVectors = true;
  const std::string text = f.Write(&CRun::WritePyrvaneInputsFile);

  engines::PyrvaneInputs in;
  std::string detail;
  ASSERT_EQ(engines::ParsePyrvaneInputs(text, in, detail), engines::kEngineOk) << detail;
  EXPECT_EQ(in.moistures.size(), 3u);
  EXPECT_TRUE(in.conditioning);
  EXPECT_EQ(in.conditioningStart.hhmm, 1430);
  EXPECT_EQ(in.weather.size(), 5u);
  EXPECT_EQ(in.winds.size(), 10u);
  EXPECT_DOUBLE_EQ(in.windDirection, -1);
  EXPECT_DOUBLE_EQ(in.defaultUpDownDirection, 225);
  EXPECT_TRUE(in.outputs[engines::kOutFlameLength]);
  EXPECT_TRUE(in.spreadVectors);

  const std::string golden = f.Golden("basic_stream.txt");
  ASSERT_EQ(engines::ParsePyrvaneInputs(golden, in, detail), engines::kEngineOk) << detail;
  EXPECT_EQ(in.raws.size(), 5u);
  EXPECT_EQ(in.raws.front().hhmm, 800);
  EXPECT_TRUE(in.maxSpotVectors);
}

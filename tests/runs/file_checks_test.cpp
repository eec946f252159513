#include <gtest/gtest.h>

#include <optional>

#include "fake_host.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "weather/temp_dir.h"

using platform::OleDateTime;

namespace {

struct Case {
  const char* name;
  char kind;  // M FMS, D FMD, A ADJ, T WTR, N WND
  std::string text;
  bool ok;
  std::string message;  // "{checking}" stands for the check's "Checking" line
  std::optional<std::pair<OleDateTime, OleDateTime>> dates = std::nullopt;
};

OleDateTime At(int y, int m, int d, int h = 13, int mi = 0) { return OleDateTime(y, m, d, h, mi, 0); }

const char* const kDay = "6 1 0 600 1500 50 70 80 20 0\n";
const char* const kNamed14 = "14 MY 1 1 1 0 0 d 2000 1800 1500 1 25 8000 8000 desc\n";

}  // namespace

TEST(RunFileChecks, EveryFormatInOneTable) {
  const Case cases[] = {
      // ---- FMS ----
      {"fms model above 256", 'M', "1 5 6 7 80 100\n300 5 6 7 80 100\n", false,
       "\nModel Number greater than 256, Line -> 2"},
      {"fms zero moisture", 'M', "1 5 0 7 80 100\n", false,
       "\nFuel moisture must be greater than zero, Line -> 1"},
      {"fms empty", 'M', "", false, "{checking}"},
      {"fms records split over lines", 'M', "0 5 6\n7 80 100 2 5 6 7 80\n100\n", true,
       "{checking}"},
      {"fms word ends the read", 'M', "1 5 6 7 80 100\n1 5 6 wet 80 100\n1 5 6 7 80 100\n", false,
       "\nInvalid value \"wet\", Line -> 2"},
      {"fms record cut short", 'M', "1 5 6 7 80\n", false, "\nIncomplete record, Line -> 1"},
      // ---- FMD ----
      {"fmd first line of 7 fields", 'D', "14 X 1 1 1 0 0\n", false,
       "\nError in first line, less than 8 fields!\n"},
      {"fmd numeric metric passes", 'D', "METRIC\n14 1 0 0 0 0 66 66 66 30 25 18600 18600\n",
       true, "{checking}"},
      {"fmd metric loads converted before dead-fuel test", 'D',
       "metric\n14 0 0 0 1 1 66 66 66 30 25 18600 18600\n", false,
       "\nError: A Fuel Model Has No Dead Fuel"},
      {"fmd metric SAV in 1/cm", 'D', "metric\n14 1 0 0 0 0 140 66 66 30 25 18600 18600\n",
       false, "\nError: SAV Ratios Out of Range"},
      {"fmd metric heat content", 'D', "metric\n14 1 0 0 0 0 66 66 66 30 25 9000 18600\n", false,
       "\nError: Dead Heat Content Too Low"},
      {"fmd numeric herb SAV untested", 'D', "14 1 0 0 0 0 2000 5000 1500 1 25 8000 8000\n",
       true, "{checking}"},
      {"fmd numeric model 13", 'D', "13 1 0 0 0 0 2000 1800 1500 1 25 8000 8000\n", false,
       "\nError: Fuel Model Number >256 or <14"},
      {"fmd numeric word", 'D',
       "14 1 0 0 0 0 2000 1800 1500 1 25 8000 8000\n15 1 0 0 0 0 2000 1800 x 1 25 8000 8000\n",
       false, "\nError: Invalid value, Line -> 2"},
      {"fmd named passes", 'D', std::string("english\n") + kNamed14, true, "{checking}"},
      {"fmd named error after units line", 'D',
       "english\n14 MY 1 1 1 0 0 d 2000 1800 1500 0 25 8000 8000 desc\n", false,
       "\nModel Data Error Line => 2 Depth = 0.0"},
      {"fmd named 95 skipped", 'D',
       std::string(kNamed14) + "95 NB 0 0 0 0 0 d 0 0 0 0 0 0 0 water\n", true, "{checking}"},
      {"fmd named short line", 'D',
       std::string(kNamed14) + "15 MY 1 1 1 0 0 d 2000 1800 1500 1 25 8000\n"
                               "300 MY 1 1 1 0 0 d 2000 1800 1500 1 25 8000 8000\n",
       false, "\nModel Data Error Line => 3 Too Few Fields"},
      {"fmd named metric SAV", 'D',
       "metric\n14 MY 1 1 1 0 0 d 140 60 50 30 25 18600 18600 desc\n", false,
       "\nModel Data Error Line => 2 SAV Ratios Out of Range"},
      // ---- ADJ ----
      {"adj passes", 'A', "12 1.5\n\n13 0\n", true, "{checking}"},
      {"adj negative", 'A', "12 -0.5\n", false, "Line 1: Negative ROS_ADJUST value: -0.500000"},
      {"adj repeated model", 'A', "12 1.5\n12 2\n", false,
       "Line 2: Duplicate fuel model number: 12"},
      {"adj three values", 'A', "12 1.5 3\n", false,
       "Line 1: Wrong number of entries, must be 2 per line"},
      {"adj word", 'A', "12 1.5\nfast 1\n", false,
       "Line 2: Wrong number of entries, must be 2 per line"},
      {"adj model above 256", 'A', "300 1\n", false, "Line 1: Invalid fuel model number: 300"},
      // What the engine would refuse after launching is refused by the check.
      {"adj decimal comma", 'A', "13 1,5\n", false, "Line 1: expected a fuel model number and a factor"},
      {"adj negative model", 'A', "-3 4\n", false, "Line 1: expected a fuel model number and a factor"},
      // ---- WTR ----
      {"wtr 11 fields after a counted blank line", 'T',
       std::string(kDay) + "\n6 2 0 600 1500 50 70 80 20 0 1\n", false,
       "Line 3: Invalid number of fields, must be 10 or 12."},
      {"wtr minimum humidity 1", 'T', "6 1 0 600 1500 50 70 80 1 0\n", false,
       "\nHumid Data Out of Range, Line ->  1"},
      {"wtr time of maximum below 0", 'T', "6 1 0 600 -1 50 70 80 20 0\n", false,
       "\nHour Data Out of Range, Line ->  1"},
      {"wtr time of minimum above 2400", 'T', "6 1 0 2500 1500 50 70 80 20 0\n", false,
       "\nHour Data Out of Range, Line ->  1"},
      {"wtr 31 April", 'T', "4 31 0 600 1500 50 70 80 20 0\n", false,
       "\nDay Data Out of Range, Line ->  1"},
      {"wtr minute 75", 'T', "6 1 0 675 1500 50 70 80 20 0\n", false,
       "\nHour Data Out of Range, Line ->  1"},
      {"wtr word", 'T', std::string(kDay) + "rain\n", false, "\nNon-numeric Data, Line ->  2"},
      // Weather the engine refuses after launching is refused by the check.
      {"wtr -120 F", 'T', "6 1 0 600 1500 -120 70 80 20 0\n", false,
       "\nTemperature Data Out of Range, Line ->  1"},
      {"wtr metric 88 C", 'T', "METRIC\n6 1 0 600 1500 20 88 80 20 0\n", false,
       "\nTemperature Data Out of Range, Line ->  2"},
      {"wtr negative rain", 'T', "6 1 -5 600 1500 50 70 80 20 0\n", false,
       "\nPrecipitation Data Out of Range, Line ->  1"},
      {"wtr metric word and 12 fields", 'T', "METRIC\n6 1 25 600 1500 5 20 80 20 0 1300 1500\n",
       true, "{checking}", std::pair{At(2011, 6, 1), At(2011, 6, 1)}},
      {"wtr 29 February in the first year", 'T',
       "2 28 0 600 1500 5 20 80 20 0\n2 29 0 600 1500 5 20 80 20 0\n3 1 0 600 1500 5 20 80 20 0\n",
       true, "{checking}", std::pair{At(2012, 2, 28), At(2012, 3, 1)}},
      {"wtr 29 February after a year end", 'T',
       "12 31 0 600 1500 5 20 80 20 0\n1 1 0 600 1500 5 20 80 20 0\n2 29 0 600 1500 5 20 80 20 0\n",
       true, "{checking}", std::pair{At(2011, 12, 31), At(2012, 2, 29)}},
      {"wtr year end", 'T',
       "12 30 0 600 1500 5 20 80 20 0\n12 31 0 600 1500 5 20 80 20 0\n"
       "1 1 0 600 1500 5 20 80 20 0\n1 2 0 600 1500 5 20 80 20 0\n",
       true, "{checking}", std::pair{At(2011, 12, 30), At(2012, 1, 2)}},
      // ---- WND ----
      {"wnd metric speed 250", 'N', "metric\n8 10 1430 250 90 10\n", true, "{checking}",
       std::pair{At(2011, 8, 10, 14, 30), At(2011, 8, 10, 14, 30)}},
      {"wnd English speed 250", 'N', "8 10 1430 250 90 10\n", false,
       "\nWind Speed greater than 100 MPH, Line -> 1"},
      {"wnd negative speed", 'N', "8 10 1430 -1 90 10\n", false,
       "\nWind Speed less than 0, Line -> 1"},
      {"wnd direction 400", 'N', "english\n8 10 1430 5 400 10\n", false,
       "\nWind Direction Out of Range, Line -> 2"},
      {"wnd time 2400", 'N', "8 10 2400 5 40 10\n", false, "\nHour Out of Range, Line -> 1"},
      {"wnd minute 60", 'N', "8 10 1260 5 40 10\n", false, "\nHour Out of Range, Line -> 1"},
      {"wnd 31 June", 'N', "6 31 1200 5 40 10\n", false, "\nDay Out of Range, Line -> 1"},
      {"wnd word", 'N', "english\n8 10 1430 5 90 10\ncalm\n", false,
       "\nNon-numeric Data, Line -> 3"},
      {"wnd 29 February and a year end", 'N',
       "12 31 2300 5 90 0\n1 1 100 5 90 0\n2 29 1430 5 90 0\n", true, "{checking}",
       std::pair{At(2011, 12, 31, 23), At(2012, 2, 29, 14, 30)}},
  };
  TempDir dir;
  CRun run;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const char* ext = c.kind == 'M' ? "fms" : c.kind == 'D' ? "fmd" : c.kind == 'A' ? "adj"
                    : c.kind == 'T' ? "wtr" : "wnd";
    const std::string path = dir.Write(std::string("f.") + ext, c.text);
    OleDateTime first = OleDateTime::Invalid(), last = OleDateTime::Invalid();
    bool ok = false;
    std::string checking;
    switch (c.kind) {
      case 'M': ok = run.CheckFmsFile(path); checking = "Checking FMS file: "; break;
      case 'D': ok = run.CheckFmdFile(path); checking = "Checking FMD file: "; break;
      case 'A': ok = run.CheckAdjFile(path); checking = "Checking ADJ file: "; break;
      case 'T': ok = run.CheckWtrFile(path, first, last); checking = "Checking WTR file: "; break;
      default: ok = run.CheckWndFile(path, first, last); checking = "Checking WND file: "; break;
    }
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(ValidationMessage(), c.message == "{checking}" ? checking + path : c.message);
    if (c.dates) {
      EXPECT_EQ(first, c.dates->first) << first.Format();
      EXPECT_EQ(last, c.dates->second) << last.Format();
    }
  }
}

TEST(RunFileChecks, PathsThatGiveNoFile) {
  TempDir dir;
  CRun run;
  ASSERT_TRUE(run.CheckAdjFile(dir.Write("a.adj", "1 1\n")));
  const std::string before = ValidationMessage();
  OleDateTime first(2000, 1, 1, 0, 0, 0), last = first;
  EXPECT_FALSE(run.CheckFmsFile(""));
  EXPECT_FALSE(run.CheckWtrFile("", first, last));
  EXPECT_EQ(ValidationMessage(), before);  // an empty path leaves the message alone
  const std::string missing = dir.File("none.wnd");
  EXPECT_FALSE(run.CheckWndFile(missing, first, last));
  EXPECT_EQ(ValidationMessage(), "Can't open " + missing + "\n");
  EXPECT_EQ(first, OleDateTime(2000, 1, 1, 0, 0, 0));
}

TEST(RunLaunchChecks, FuelMoisturesAndCustomFuelsAgainstTheArea) {
  TempDir dir;
  FakeHost host;
  host.fuelModels = {1, 2, 95, 101, 150, 151};
  CRun run;
  run.host = &host;
  platform::ScopedRecordingMessages messages;

  // Every record passes (or there is none): 0; no file: -1 without a message.
  EXPECT_EQ(run.CheckFuelMoistures(), -1);
  run.inputs.fuelMoistureFile = dir.Write("a.fms", "1 5 6 7 80 100\n2 5 6 7 80 100\n");
  EXPECT_EQ(run.CheckFuelMoistures(), 0);
  EXPECT_TRUE(messages.Texts().empty());
  run.inputs.fuelMoistureFile = dir.Write("b.fms", "1 5 6 7 80 100\n2 5 6 -7 80 100\n");
  EXPECT_EQ(run.CheckFuelMoistures(), -1);
  run.inputs.fuelMoistureFile = dir.Write("c.fms", "1 5 6 7 80 100\n257 5 6 7 80 100\n");
  EXPECT_EQ(run.CheckFuelMoistures(), -1);
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{
                "Correct Before Proceeding\nError: Fuel Moisture <=0",
                "Correct Fuel Moisture File Before Proceeding\nError: Model Number>256"}));
  messages.Clear();

  // Landscape models 1, 2, 101, 150 and 151 (95 is non-burnable) against the FMS records.
  const std::string lacking =
      "Error! The following fuel models from the landscape do not have \nfuel moistures "
      "defined in the selected Fuel Moisture file.\nPlease edit this file or select an "
      "appropriate file.\nFuel Models lacking moistures: ";
  run.inputs.fuelMoistureFile = dir.Write("d.fms", "1 5 6 7 80 100\n\n2 5 6 7 80 100\n");
  EXPECT_FALSE(run.CheckLandscapeFuelMoistures());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{lacking + "101,150,151"});
  run.inputs.fuelMoistureFile = dir.Write("e.fms", "1 5 6 7 80 100\n0 5 6 7 80 100\n");
  EXPECT_TRUE(run.CheckLandscapeFuelMoistures());
  messages.Clear();

  // Custom models 150 and 151 need an FMD file that defines both.
  EXPECT_FALSE(run.CheckCustomFuelModels());
  run.inputs.customFuelsFile = dir.File("none.fmd");
  EXPECT_FALSE(run.CheckCustomFuelModels());
  run.inputs.customFuelsFile = dir.Write("a.fmd", "metric\n150 1 0 0 0 0 66 66 66 30 25 1 1\n");
  EXPECT_FALSE(run.CheckCustomFuelModels());
  run.inputs.customFuelsFile = dir.Write("b.fmd", "150 x\n151 y\n");
  EXPECT_TRUE(run.CheckCustomFuelModels());
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{
                "Error! Custom fuels found in landscape, need custom fuels definition file.\n"
                "Custom fuels found: 150, 151",
                "Error opening " + dir.File("none.fmd"),
                "Error, custom fuels found in landscape missing from custom fuels file.\n"
                "Missing fuels: 151"}));
  host.fuelModels = {1, 91, 204};
  EXPECT_TRUE(run.CheckCustomFuelModels());
}

TEST(RunWindReader, SamplesInSimulationMinutes) {
  TempDir dir;
  CRun run;
  run.embrith.burnPeriods = {{8, 10, 13, 18}};
  EXPECT_DOUBLE_EQ(run.MinutesFromSimulationStart(8, 10, 14, 30), 90.0);
  EXPECT_GT(run.MinutesFromSimulationStart(1, 5, 8, 0), run.MinutesFromSimulationStart(12, 31, 23, 0));

  // A wind file running into the next year, read out of order.
  run.inputs.windFile = dir.Write("w.wnd", "METRIC\n8 10 1430 10 90 0\n12 31 2300 12 180 0\n"
                                           "8 10 1330 8 45 0\n1 5 800 20 270 0\n");
  std::vector<WindSample> samples;
  int units = 0;
  run.ReadRawsFile(samples, units);
  EXPECT_EQ(units, 1);
  ASSERT_EQ(samples.size(), 4u);
  EXPECT_DOUBLE_EQ(samples[0].time, 30.0);
  EXPECT_DOUBLE_EQ(samples[1].time, 90.0);
  EXPECT_DOUBLE_EQ(samples[3].speed, 20.0);
  EXPECT_DOUBLE_EQ(samples[3].direction, 270.0);

  // A weather stream: records of a later year move on by a year.
  run.inputs.useWeatherStream = true;
  run.inputs.weatherStreamFile =
      dir.Write("s.wxs", "RAWS_UNITS: English\nRAWS: 2\n2011 12 31 2300 1 2 0 5 6 7\n"
                         "2012 8 10 1400 1 2 0 9 10 11\n");
  run.ReadRawsFile(samples, units);
  EXPECT_EQ(units, 0);
  ASSERT_EQ(samples.size(), 2u);
  EXPECT_DOUBLE_EQ(samples[0].time, run.MinutesFromSimulationStart(12, 31, 23, 0));
  EXPECT_DOUBLE_EQ(samples[1].time, 60.0 + 525600.0);
  EXPECT_DOUBLE_EQ(samples[1].speed, 9.0);
}

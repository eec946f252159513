// Run import: the header kinds and key reading, and round trips through the program's own
// writers: a run's inputs file and run log, imported again into the sample project, give a run
// that writes the same inputs file and keeps the same output choices.
#include <gtest/gtest.h>

#include <filesystem>

#include "hourly_stream.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_burnprob.h"
#include "runs/run_import.h"
#include "runs/run_mtt.h"
#include "runs/run_outputs.h"
#include "runs/run_tom.h"
#include "support/shape_files.h"
#include "themes/vector_theme.h"
#include "weather/temp_dir.h"

using platform::OleDateTime;

namespace {

// The sample landscape: 160 x 160 cells of 30 m from (612000, 4507200).
struct ImportFixture {
  TempDir dir;
  CPVN4Doc doc;
  platform::ScopedRecordingMessages messages;
  CRun original;
  ImportFixture() {
    platform::SetWorkingFolder(dir.File("work"));
    EXPECT_EQ(doc.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"), 1);
    original.outputs.numberOfProcessors = 3;
    original.outputs.crownFireMethod = 1;
    original.inputs.fuelMoistureFile = dir.Write("a.fms", "0 3 4 5 40 60\n1 5 6 7 80 100\n");
    original.inputs.windSpeed = 15;
    original.inputs.windDirection = 225;
  }
  // The original's inputs file, written by the given writer.
  std::string InputsText(bool (CRun::*writer)(std::string&), CRun* run = nullptr) {
    std::string path;
    EXPECT_TRUE(((run ? *run : original).*writer)(path));
    return TempDir::Read(path);
  }
  CRun* Import(const std::string& name, const std::string& text) {
    return runs::ImportRun(doc, dir.Write(name, text));
  }
  static runs::RunLogFacts Facts() { return {"/data/sample.lcp", 30, "2026-12-10 12:00:00"}; }
};

std::string Date(const OleDateTime& d) {
  return platform::FormatC("%04d-%02d-%02d %02d:%02d:%02d", d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(),
                           d.GetMinute(), d.GetSecond());
}

// The output choices a run keeps outside its inputs file.
std::string Outputs(const CRun& r) {
  const CRunOutputs& o = r.outputs;
  const CRunMTTSettings& m = r.mtt;
  const CRunTOMSettings& t = r.tom;
  const CRunEmbrithSettings& e = r.embrith;
  std::string s;
  for (bool b : {o.flameLength, o.rateOfSpread, o.firelineIntensity, o.heatPerUnitArea, o.crownFireActivity,
                 o.solarRadiation, o.fuelMoisture1, o.fuelMoisture10, o.fuelMoisture100, o.fuelMoisture1000,
                 o.midflameWindSpeed, o.horizontalMovementRate, o.maxSpreadDirection, o.ellipticalA, o.ellipticalB,
                 o.ellipticalC, o.spreadVectors, o.crownFractionBurned, o.maxSpotting, o.maxSpottingDirection,
                 o.maxSpottingDistance, o.maxSpotVectors})
    s += b ? '1' : '0';
  s += " mtt ";
  for (int v : {m.rateOfSpread, m.nodeInfluence, m.arrivalTime, m.firelineIntensity, m.ignitionGrid, m.flowPaths,
                m.majorPaths, m.arrivalContour, m.emberLocations, m.emberList, m.burnProbabilities, m.perimeters,
                m.flpEnglish, m.flpMetric, m.fireSizeList})
    s += std::to_string(v);
  s += " tom ";
  for (int v : {t.treatmentOpportunities, t.treatments, t.rateOfSpread, t.nodeInfluence, t.arrivalTime,
                t.firelineIntensity, t.flowPaths, t.majorPaths, t.arrivalContour})
    s += std::to_string(v);
  s += " growth ";
  for (int v : {e.arrivalTime, e.rateOfSpread, e.flameLength, e.firelineIntensity, e.heatPerUnitArea,
                e.reactionIntensity, e.ignitionGrid, e.spreadDirection, e.crownFireActivity, e.perimeters,
                e.spotFireLocations, e.spotFireList, e.spreadVectors, e.windVectors})
    s += std::to_string(v);
  return s;
}

// Everything from the first line on that names no file the import writes itself.
std::string WithoutFirstLine(const std::string& text) { return text.substr(text.find('\n') + 1); }

}  // namespace

TEST(RunImportKeys, HeadersKeysAndValues) {
  const struct {
    const char* line;
    int kind;
  } headers[] = {
      {"Pyrvane-Inputs-File-Version-1", 0},
      {"ShortTerm-Inputs-File-Version-1 trailing", 1},
      {"EMBRITH INPUTS FILE VERSION 1.0", 2},
      {"Embrith-Inputs-File-Version-1", 3},
      {"#Run Log for Pyrvane run: New Run", 4},
      {"#Run Log for MTT run: Ridge", 5},
      {"#Run Log for MTT Random Ignitions run: x", 6},
      {"#Run Log for TOM run: y", 7},
      {"#Run Log for EMBRITH run: z", 8},
      {"pyrvane-inputs-file-version-1", -1},  // compared case-sensitively
      {"#Run Log for", -1},
      {"", -1},
  };
  for (const auto& h : headers) EXPECT_EQ(runs::ImportKindOf(h.line), h.kind) << h.line;

  // The first line that begins with the key wins wherever it stands; lines are read whole.
  const std::string longPath = "/" + std::string(700, 'p') + "/my fuels.fmd";
  const runs::ImportFile file("#Run Log for Pyrvane run: a\r\nWIND_SPEED: 4\r\nwind_speed: 9\nX WIND_SPEED: 7\n"
                              "CUSTOM_FUELS_FILE:   " + longPath + " \t\r\nWIND_SPEED: 8\nNOCOLON");
  std::string line;
  EXPECT_TRUE(runs::FindImportKeyLine(file, "WIND_SPEED:", line));
  EXPECT_EQ(line, "WIND_SPEED: 4");
  EXPECT_FALSE(runs::FindImportKeyLine(file, "MISSING:", line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(runs::FindImportKeyLine(file, "CUSTOM_FUELS_FILE:", line));
  EXPECT_EQ(runs::GetImportKeyValue(line), longPath);
  EXPECT_EQ(runs::GetImportKeyValue("K: a: b "), "a: b");
  EXPECT_EQ(runs::GetImportKeyValue("K:"), "");
  EXPECT_EQ(runs::GetImportKeyValue("NOCOLON"), std::nullopt);
}

TEST(RunImport, FireBehaviorRunFromItsInputsFileAndItsRunLog) {
  ImportFixture f;
  CRun& o = f.original;
  ConditionFromHourlyStream(o.inputs, f.dir, OleDateTime(2011, 8, 7, 8, 30, 0), OleDateTime(2011, 8, 7, 12, 0, 0));
  o.inputs.windType = 1;
  o.inputs.windSpeedUnits = 2;
  o.inputs.foliarMoistureContent = 90;
  o.inputs.useCustomFuelModels = true;
  o.inputs.customFuelsFile = "/fuels/custom models.fmd";
  o.outputs.crownFireMethod = 0;
  o.outputs.spreadDirectionFixed = true;
  o.outputs.spreadDirectionFromNorth = 135;
  o.outputs.flameLength = o.outputs.fuelMoisture10 = o.outputs.maxSpotting = o.outputs.spreadVectors = true;
  const std::string inputs = f.InputsText(&CRun::WritePyrvaneInputsFile);
  const std::string log = runs::BuildPyrvaneRunLog(o, ImportFixture::Facts(), 2.5, inputs);

  for (const auto& [name, text] : {std::pair{"inputs.txt", inputs}, std::pair{"log.txt", log}}) {
    SCOPED_TRACE(name);
    CRun* run = f.Import(name, text);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->name, "New Run");
    EXPECT_FALSE(run->isEmbrith);
    EXPECT_EQ(run->inputs.fuelMoistureFile, f.dir.File(name) + ".fms");
    EXPECT_EQ(run->inputs.weatherStreamFile, f.dir.File(name) + ".wxs");
    EXPECT_EQ(Date(run->inputs.conditioningStart), "2011-08-07 08:30:00");
    EXPECT_EQ(Date(run->inputs.conditioningEnd), "2011-08-07 12:00:00");
    EXPECT_TRUE(run->inputs.useCustomFuelModels);
    EXPECT_TRUE(run->outputs.spreadDirectionFixed);
    EXPECT_EQ(Outputs(*run), Outputs(o));
    // The imported run writes the same inputs file, moisture and weather blocks included.
    EXPECT_EQ(WithoutFirstLine(f.InputsText(&CRun::WritePyrvaneInputsFile, run)), WithoutFirstLine(inputs));
  }
  EXPECT_EQ(f.doc.currentArea->runs.size(), 2u);
  EXPECT_TRUE(f.doc.IsModified());
  EXPECT_TRUE(f.messages.Texts().empty());
}

TEST(RunImport, GriddedWindsAndTheirDiurnalSettings) {
  ImportFixture f;
  CRun& o = f.original;
  o.inputs.windType = 4;
  o.inputs.griddedWindsResolution = 120;
  o.inputs.diurnalGriddedWinds = true;
  o.inputs.diurnalAirTemperature = 81.5;
  o.inputs.diurnalCloudCover = 10;
  o.inputs.diurnalLongitude = -113.25;
  o.inputs.diurnalTimeZone = -6;
  o.inputs.diurnalDateTime = OleDateTime(2000, 7, 4, 15, 30, 0);
  o.outputs.midflameWindSpeed = true;
  const std::string inputs = f.InputsText(&CRun::WritePyrvaneInputsFile);
  CRun* run = f.Import("gridded.txt", inputs);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->inputs.windType, 4);
  EXPECT_TRUE(run->inputs.noConditioning);
  EXPECT_EQ(run->inputs.diurnalTimeZone, -6);
  EXPECT_EQ(Date(run->inputs.diurnalDateTime), "2000-07-04 15:30:00");
  EXPECT_EQ(WithoutFirstLine(f.InputsText(&CRun::WritePyrvaneInputsFile, run)), WithoutFirstLine(inputs));
}

TEST(RunImport, MinimumTravelTimeRunLogAndShortTermInputs) {
  ImportFixture f;
  CRun& o = f.original;
  CRunMTTSettings& m = o.mtt;
  m.ignitionFile = testsupport::WriteShapes(f.dir.File(""), "ign", {"POINT (614400 4509600)"});
  m.barrierFile = testsupport::WriteShapes(f.dir.File(""), "far", {"LINESTRING (700000 4000000,700100 4000100)"});
  m.fillBarriers = 0;
  m.resolution = 60;
  m.simulationTime = 2000;
  m.travelPathInterval = 250;
  m.spotProbability = 0.25;
  m.spotDelay = 12;
  m.lateralSearchDepth = 5;
  m.verticalSearchDepth = 3;
  m.rateOfSpread = m.arrivalTime = m.majorPaths = m.emberList = 1;
  o.outputs.rateOfSpread = true;
  runs::MttRunResult result;
  result.inputsFileText = f.InputsText(&CRun::WriteMTTInputsFile);
  result.seed = 7;
  CRun* run = f.Import("mtt.txt", runs::BuildMTTRunLog(o, ImportFixture::Facts(), result));
  ASSERT_TRUE(run);
  EXPECT_EQ(Outputs(*run), Outputs(o));
  EXPECT_EQ(run->mtt.ignitionSource, 0);
  EXPECT_EQ(WithoutFirstLine(f.InputsText(&CRun::WriteMTTInputsFile, run)), WithoutFirstLine(result.inputsFileText));
  // The ignitions lie in the area and become the run's theme; the barriers lie outside it, so
  // they keep their name but make no theme, without a message.
  ASSERT_TRUE(run->mttIgnitions);
  EXPECT_EQ(run->mttIgnitions->name, "Minimum Travel Time Ignitions");
  EXPECT_EQ(run->mttBarriers, nullptr);
  EXPECT_EQ(run->mtt.barrierFile, m.barrierFile);
  EXPECT_TRUE(f.messages.Texts().empty());

  // The short-term header reads the same keys; outputs without their tags are off.
  std::string shortTerm = result.inputsFileText;
  shortTerm.replace(0, shortTerm.find('\n'), "ShortTerm-Inputs-File-Version-1");
  CRun* plain = f.Import("short.input", shortTerm);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->mtt.simulationTime, 2000);
  EXPECT_EQ(plain->mtt.spotDelay, 12);
  EXPECT_EQ(plain->mtt.rateOfSpread + plain->mtt.arrivalTime + plain->mtt.majorPaths + plain->mtt.emberList, 0);
}

TEST(RunImport, RandomIgnitionsRunLog) {
  ImportFixture f;
  CRun& o = f.original;
  o.mtt.ignitionSource = 3;
  o.mtt.fireListFile = "/lists/fire list.csv";
  o.mtt.resolution = 90;
  o.mtt.simulationTime = 60;
  o.mtt.burnProbabilities = o.mtt.flpMetric = o.mtt.fireSizeList = 1;
  runs::BurnProbabilityResult result;
  result.fires = 250;
  result.completed = 249;
  result.inputsFileText = f.InputsText(&CRun::WritePyrvaneInputsFile);
  CRun* run = f.Import("random.txt", runs::BuildRandomIgnitionsRunLog(o, ImportFixture::Facts(), result));
  ASSERT_TRUE(run);
  EXPECT_EQ(run->mtt.ignitionSource, 3);
  EXPECT_EQ(run->mtt.fireListFile, "/lists/fire list.csv");
  EXPECT_EQ(run->mtt.numberOfRandomFires, 250);
  EXPECT_EQ(run->mtt.resolution, 90);
  EXPECT_EQ(run->mtt.simulationTime, 60);
  EXPECT_EQ(Outputs(*run), Outputs(o));
}

TEST(RunImport, TreatmentRunLogKeepsItsTreatmentSettings) {
  ImportFixture f;
  CRun& o = f.original;
  o.tom.resolution = 60;
  o.tom.ignitionFile = testsupport::WriteShapes(f.dir.File(""), "tom ign", {"POINT (614400 4509600)"});
  o.tom.iterations = 4;
  o.tom.maxTreatmentDimension = 450;
  o.tom.treatmentFraction = 0.25;
  o.tom.treatmentOpportunities = o.tom.arrivalTime = o.tom.majorPaths = 1;
  // A log carrying the whole treatment inputs file, treatment keys included.
  runs::TomRunResult result;
  result.inputsFileText = f.InputsText(&CRun::WriteTOMInputsFile);
  CRun* run = f.Import("tom.txt", runs::BuildTOMRunLog(o, ImportFixture::Facts(), result));
  ASSERT_TRUE(run);
  EXPECT_EQ(run->tom.ignitionFile, o.tom.ignitionFile);  // a blank in the path is kept
  EXPECT_EQ(run->tom.iterations, 4);
  EXPECT_EQ(run->tom.resolution, 60);
  EXPECT_EQ(run->mtt.simulationTime, 0);
  EXPECT_EQ(WithoutFirstLine(f.InputsText(&CRun::WriteTOMInputsFile, run)), WithoutFirstLine(result.inputsFileText));
  EXPECT_EQ(Outputs(*run), Outputs(o));
  ASSERT_TRUE(run->tomIgnitions);
  EXPECT_EQ(run->tomIgnitions->name, "TOM Ignitions");
}

TEST(RunImport, FireGrowthInputsFileWithStreamAndBurnPeriods) {
  ImportFixture f;
  CRun& o = f.original;
  o.isEmbrith = true;
  ConditionFromHourlyStream(o.inputs, f.dir, OleDateTime(2011, 8, 7, 7, 0, 0), OleDateTime(2011, 8, 7, 15, 0, 0));
  o.inputs.windType = 4;
  o.inputs.griddedWindsResolution = 60;
  o.inputs.diurnalCloudCover = 3;
  o.inputs.diurnalAirTemperature = 2;
  o.outputs.crownFireMethod = 0;
  CRunEmbrithSettings& e = o.embrith;
  e.timeStep = 15;
  e.spotProbability = 0.125;
  e.spotIgnitionDelay = 5;
  e.accelerationOn = 0;
  e.rosAdjustFile = "/adj/a b.adj";
  e.ignitionFile = testsupport::WriteShapes(f.dir.File(""), "fire", {"POINT (614400 4509600)"});
  e.burnPeriods = {{8, 7, 8, 12}, {8, 8, 10, 24}};
  e.arrivalTime = e.perimeters = e.spotFireList = 1;
  const std::string inputs = f.InputsText(&CRun::WriteEmbrithInputsFile);
  // The run log of a fire-growth run carries the inputs file and its tags.
  std::string log = "#Run Log for EMBRITH run: New Run\r\n" + inputs;
  for (const char* tag : {"#EMBRITH_ARRIVAL", "#EMBRITH_PERIMETERS", "#EMBRITH_SPOT_LIST"})
    log += std::string(tag) + "\r\n";
  for (const auto& [name, text] : {std::pair{"growth.txt", inputs}, std::pair{"growthlog.txt", log}}) {
    SCOPED_TRACE(name);
    CRun* run = f.Import(name, text);
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->isEmbrith);
    ASSERT_EQ(run->embrith.burnPeriods.size(), 2u);
    EXPECT_EQ(run->embrith.burnPeriods[1].endHour, 24);
    ASSERT_TRUE(run->embrithIgnitions);
    EXPECT_EQ(WithoutFirstLine(f.InputsText(&CRun::WriteEmbrithInputsFile, run)), WithoutFirstLine(inputs));
  }
  EXPECT_EQ(Outputs(*f.doc.currentArea->runs.back()), Outputs(o));
}

TEST(RunImport, DailyWeatherBecomesAStreamAndItsPeriodFollowsTheDayLines) {
  ImportFixture f;
  const std::string head = "Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 3 4 5 40 60\n";
  std::string daily = "WEATHER_DATA: 5\n";
  for (int d = 9; d <= 13; ++d) daily += "6 " + std::to_string(d) + " 0 600 1500 50 80 90 20 1500\n";
  daily += "WEATHER_DATA_UNITS: English\nWIND_DATA: 10\n";
  for (int d = 9; d <= 13; ++d)
    for (int t : {0, 1200}) daily += "6 " + std::to_string(d) + " " + std::to_string(t) + " 5 180 0\n";
  const std::string text = head + "CONDITIONING_PERIOD_END: 06 12 2359\n" + daily;

  // The period as the keys give it, in 2018.
  {
    CRun run;
    runs::ReadImportKeys(run, runs::ImportFile(text), 0, f.dir.File("keys.txt"));
    EXPECT_FALSE(run.inputs.noConditioning);
    EXPECT_EQ(Date(run.inputs.conditioningStart), "2018-06-10 13:00:00");
    EXPECT_EQ(Date(run.inputs.conditioningEnd), "2018-06-12 23:59:00");
    EXPECT_EQ(TempDir::Read(run.inputs.weatherFile).substr(0, 31), "6 9 0 600 1500 50 80 90 20 1500");
  }
  // The command turns the two blocks into a weather stream and keeps no daily file names.
  CRun* run = f.Import("daily.txt", text);
  ASSERT_TRUE(run);
  EXPECT_TRUE(run->inputs.useWeatherStream);
  EXPECT_EQ(run->inputs.weatherStreamFile, f.dir.File("daily.txt") + ".wxs");
  EXPECT_TRUE(run->inputs.weatherFile.empty() && run->inputs.windFile.empty());
  EXPECT_EQ(run->inputs.conditioningStart.GetDay(), 10);
  EXPECT_NE(TempDir::Read(run->inputs.weatherStreamFile).find("RAWS: "), std::string::npos);
  EXPECT_TRUE(f.messages.Texts().empty());

  // Without a conditioning end the embedded weather is not used.
  CRun* fixed = f.Import("fixed.txt", head + daily);
  ASSERT_TRUE(fixed);
  EXPECT_TRUE(fixed->inputs.noConditioning);
  EXPECT_FALSE(fixed->inputs.useWeatherStream);
}

TEST(RunImport, FireGrowthDailyPeriodAndBurnPeriodRows) {
  TempDir dir;
  const std::string text =
      "EMBRITH INPUTS FILE VERSION 1.0\nEMBRITH_BURN_PERIODS: 3\n7 15 800 1959\nnot a row\n7 16 1000 1759\n"
      "WEATHER_DATA: 4\n7 14 0 600 1500 50 80 90 20 1500\n7 15 0 600 1500 50 80 90 20 1500\n"
      "7 16 0 600 1500 50 80 90 20 1500\n7 17 0 600 1500 50 80 90 20 1500\n"
      "CONDITIONING_PERIOD_START: 07 14 0900\n";
  CRun run;
  runs::ReadImportKeys(run, runs::ImportFile(text), 2, dir.File("g.input"));
  // The row of words makes no period.
  ASSERT_EQ(run.embrith.burnPeriods.size(), 2u);
  const BurnPeriod& p = run.embrith.burnPeriods[0];
  EXPECT_EQ(std::vector<int>({p.month, p.day, p.startHour, p.endHour}), std::vector<int>({7, 15, 8, 20}));
  EXPECT_EQ(run.embrith.burnPeriods[1].endHour, 18);
  // The start is the period key's; the end is the last burning minute of the last period.
  EXPECT_EQ(Date(run.inputs.conditioningStart), "2018-07-14 09:00:00");
  EXPECT_EQ(Date(run.inputs.conditioningEnd), "2018-07-16 17:59:00");
}

TEST(RunImport, RefusalsAndFailuresAreSaid) {
  ImportFixture f;
  EXPECT_EQ(runs::ImportRun(f.doc, f.dir.File("missing.txt")), nullptr);
  EXPECT_EQ(f.Import("other.txt", "RAWS_ELEVATION: 10\nWIND_SPEED: 3\n"), nullptr);
  EXPECT_EQ(f.Import("empty.txt", ""), nullptr);
  EXPECT_EQ(f.messages.Texts(),
            (std::vector<std::string>{"Error opening " + f.dir.File("missing.txt") + " as input",
                                      "Error: Unrecognized header line in import file:\n" + f.dir.File("other.txt"),
                                      "Error: Unrecognized header line in import file:\n" + f.dir.File("empty.txt")}));
  EXPECT_TRUE(f.doc.currentArea->runs.empty());

  // A shapefile that cannot be read is said and its name dropped; the run is still made.
  // Counts far beyond the file and numbers that do not scan leave the defaults.
  f.messages.Clear();
  const CRun defaults;
  CRun* run = f.Import("bad.txt", "#Run Log for MTT run: x\nMTT_IGNITION_FILE: " + f.dir.File("nothing.shp") +
                                      "\nFUEL_MOISTURES_DATA: 2147483647\n0 1 2 3 4 5\nMTT_RESOLUTION: nan\n"
                                      "MTT_SIM_TIME: 1e99\nMTT_SPOT_DELAY: 99999999999\nRAWS: -4\n");
  ASSERT_TRUE(run);
  EXPECT_TRUE(run->mtt.ignitionFile.empty());
  EXPECT_EQ(run->mttIgnitions, nullptr);
  ASSERT_FALSE(f.messages.Texts().empty());
  EXPECT_EQ(f.messages.Texts().back(),
            "Error creating Minimum Travel Time ignition from " + f.dir.File("nothing.shp") + "\n");
  EXPECT_EQ(run->mtt.resolution, defaults.mtt.resolution);
  EXPECT_EQ(run->mtt.simulationTime, defaults.mtt.simulationTime);
  EXPECT_EQ(run->mtt.spotDelay, defaults.mtt.spotDelay);
  EXPECT_EQ(TempDir::Read(run->inputs.fuelMoistureFile), "0 1 2 3 4 5\n");
}

#include "engines/inputs_file.h"

#include <gtest/gtest.h>

using namespace engines;

// A basic file as the run writes it, with every key it can carry.
TEST(InputsFile, ReadsEveryKeyOfTheBasicFile) {
  const char* text =
      "Pyrvane-Inputs-File-Version-1\n"
      "FUEL_MOISTURES_DATA: 3\n0 6 7 8 60 90\n1 3 4 5 30 60\n2 4 5 6 70 100\n\n"
      "\nCUSTOM_FUELS_FILE: /data/custom.fmd\n"
      "CONDITIONING_PERIOD_START: 08 07 1430\n"
      "CONDITIONING_PERIOD_END: 08 09 1600\n"
      "RAWS_ELEVATION: 1500\nRAWS_UNITS: Metric\nRAWS: 2\n"
      "2026 8 7 1400 25 30 0.00 10 225 20 \n2026 8 7 1500 26 28 0.25 12 230 10 \n"
      "\nWEATHER_DATA: 1\n8 7 0 600 1500 50 80 90 20 1500\n"
      "\nWEATHER_DATA_UNITS: English\n"
      "\nWIND_DATA: 1\n8 7 1300 10 225 20\n"
      "\nWIND_DATA_UNITS: Metric\n"
      "GRIDDED_WIND_SPEED_FILE: /w/speed.asc\nGRIDDED_WINDS_DIRECTION_FILE: /w/dir.asc\n"
      "WIND_SPEED: 12\nWIND_DIRECTION: -1\nDEFAULT_UPHILL_DOWNHILL_DIRECTION: 270\n"
      "WIND_SPEED_UNITS: 2 (m/sec @ 10m)\n"
      "GRIDDED_WINDS_GENERATE: Yes\nGRIDDED_WINDS_RESOLUTION: 90\nGRIDDED_WINDS_DIURNAL: Yes\n"
      "GRIDDED_WINDS_DIURNAL_AIRTEMP: 75.000000\nGRIDDED_WINDS_DIURNAL_CLOUDCOVER: 20.000000\n"
      "GRIDDED_WINDS_DIURNAL_LONGITUDE: -114.000000\nGRIDDED_WINDS_DIURNAL_DATE:  08 07 2000\n"
      "GRIDDED_WINDS_DIURNAL_TIME:  0 30 14 -7\n"
      "FOLIAR_MOISTURE_CONTENT: 95.000000\nCROWN_FIRE_METHOD: Hallett\n"
      "SPREAD_DIRECTION_FROM_NORTH: 45\nNUMBER_PROCESSORS: 3\nUSE_MEMORY_OUTPUTS: 0\n"
      "TEMP_STORAGE_PATH: /tmp/pv\n"
      "ANALYSIS_AREA_EAST: 2000.000000\nANALYSIS_AREA_WEST: 1000.000000\n"
      "ANALYSIS_AREA_NORTH: 3000.000000\nANALYSIS_AREA_SOUTH: 2500.000000\n"
      "#SELECTED PYRVANE OUTPUTS\nFLAMELENGTH:\nMAXSPOT_DX:\nWINDDIRGRID:\nWINDSPEEDGRID:\n#SPREAD_VECTORS\n"
      "#END SELECTED PYRVANE OUTPUTS\n"
      "\nMTT_RESOLUTION: 30.000000\nPathweaverNumLat: 6\n";
  PyrvaneInputs in;
  std::string detail;
  ASSERT_EQ(ParsePyrvaneInputs(text, in, detail), kEngineOk) << detail;
  ASSERT_EQ(in.moistures.size(), 3u);
  EXPECT_EQ(in.moistures[2].model, 2);
  EXPECT_EQ(in.moistures[2].percent[4], 100);
  EXPECT_EQ(in.customFuelsFile, "/data/custom.fmd");
  EXPECT_TRUE(in.conditioning);
  EXPECT_EQ(in.conditioningStart.month, 8);
  EXPECT_EQ(in.conditioningStart.hhmm, 1430);
  EXPECT_EQ(in.conditioningEnd.day, 9);
  EXPECT_EQ(in.rawsElevation, 1500);
  EXPECT_TRUE(in.rawsMetric);
  ASSERT_EQ(in.raws.size(), 2u);
  EXPECT_DOUBLE_EQ(in.raws[1].precipitation, 0.25);
  EXPECT_EQ(in.raws[1].cloudCover, 10);
  ASSERT_EQ(in.weather.size(), 1u);
  EXPECT_EQ(in.weather[0].elevation, 1500);
  EXPECT_FALSE(in.weatherMetric);
  ASSERT_EQ(in.winds.size(), 1u);
  EXPECT_TRUE(in.windsMetric);
  EXPECT_EQ(in.griddedSpeedFile, "/w/speed.asc");
  EXPECT_EQ(in.griddedDirectionFile, "/w/dir.asc");
  EXPECT_EQ(in.windSpeed, 12);
  EXPECT_EQ(in.windDirection, -1);
  EXPECT_EQ(in.defaultUpDownDirection, 270);
  EXPECT_EQ(in.windSpeedUnits, 2);
  EXPECT_TRUE(in.generateWinds);
  EXPECT_EQ(in.griddedResolution, 90);
  EXPECT_TRUE(in.diurnal);
  EXPECT_DOUBLE_EQ(in.diurnalAirTemp, 75.0);
  EXPECT_DOUBLE_EQ(in.diurnalCloudCover, 20.0);
  EXPECT_DOUBLE_EQ(in.diurnalLongitude, -114.0);
  EXPECT_EQ(in.diurnalMonth, 8);
  EXPECT_EQ(in.diurnalDay, 7);
  EXPECT_EQ(in.diurnalSecond, 0);
  EXPECT_EQ(in.diurnalMinute, 30);
  EXPECT_EQ(in.diurnalHour, 14);
  EXPECT_EQ(in.diurnalTimeZone, -7);
  EXPECT_DOUBLE_EQ(in.foliarMoisture, 95.0);
  EXPECT_EQ(in.crownMethod, 0);
  EXPECT_TRUE(in.fixedSpreadDirection);
  EXPECT_EQ(in.spreadDirection, 45);
  EXPECT_EQ(in.processors, 3);
  EXPECT_FALSE(in.memoryOutputs);
  EXPECT_EQ(in.tempStoragePath, "/tmp/pv");
  EXPECT_TRUE(in.hasArea);
  EXPECT_DOUBLE_EQ(in.areaSouth, 2500.0);
  EXPECT_TRUE(in.outputs[kOutFlameLength]);
  EXPECT_FALSE(in.outputs[kOutSpreadRate]);
  EXPECT_TRUE(in.outputs[kOutMaxSpotDx]);
  EXPECT_FALSE(in.outputs[kOutMaxSpot]);
  EXPECT_TRUE(in.outputs[kOutWindDir] && in.outputs[kOutWindSpeed]);
  // Spread vectors bring the direction and the ellipse with them.
  EXPECT_TRUE(in.spreadVectors && in.outputs[kOutMaxSpreadDir] && in.outputs[kOutEllipseB]);
}

TEST(InputsFile, DefaultLineOfMinusOnesMeansNoDefault) {
  PyrvaneInputs in;
  std::string detail;
  ASSERT_EQ(ParsePyrvaneInputs("Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 2\n0 -1 -1 -1 -1 -1\n"
                               "1 3 4 5 30 60\n",
                               in, detail),
            kEngineOk);
  ASSERT_EQ(in.moistures.size(), 1u);
  EXPECT_EQ(in.moistures[0].model, 1);
}

TEST(InputsFile, MethodDefaultsAndFirstKeyWins) {
  PyrvaneInputs in;
  std::string detail;
  ASSERT_EQ(ParsePyrvaneInputs("Pyrvane-Inputs-File-Version-1\r\nCROWN_FIRE_METHOD: MarlowBrenner\r\n"
                               "WIND_SPEED: 5\r\nWIND_SPEED: 9\r\n#MAX_SPOT_VECTORS\r\n",
                               in, detail),
            kEngineOk);
  EXPECT_EQ(in.crownMethod, 1);
  EXPECT_EQ(in.windSpeed, 5);
  EXPECT_TRUE(in.outputs[kOutMaxSpot]);
  EXPECT_FALSE(in.conditioning);
  EXPECT_TRUE(in.memoryOutputs);
}

TEST(InputsFile, RejectsBadFilesWithTheLine) {
  struct Case {
    const char* text;
    int code;
    const char* detail;
  } cases[] = {
      {"", kErrNotInputsFile, "first line"},
      {"Embrith-Inputs-File-Version-1\n", kErrNotInputsFile, "first line"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 5\n0 6 7 8 60 90\n", kErrBadInputs, "Line 2"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 99999999999\n", kErrBadInputs, "Line 2"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: -1\n", kErrBadInputs, "Line 2"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 6 x 8 60 90\n", kErrBadInputs, "Line 3"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 6 7\n", kErrBadInputs, "Line 3"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 2\n0 6 7 8 60 90\n5 6 0 8 60 90\n", kErrBadInputs,
       "Line 4: fuel moistures must be above 0"},
      {"Pyrvane-Inputs-File-Version-1\nRAWS: 1\n2026 8 7 1400 25 30 nan 10 225 20\n", kErrBadInputs, "Line 3"},
      {"Pyrvane-Inputs-File-Version-1\nRAWS_UNITS: Metric\nRAWS: 2\n2026 8 7 1400 25 30 0 10 225 20\n"
       "2026 8 7 1500 95 30 0 10 225 20\n", kErrBadInputs, "Line 5: temperature out of range"},
      {"Pyrvane-Inputs-File-Version-1\nRAWS: 1\n2026 8 7 1400 95 130 0 10 225 20\n", kErrBadInputs,
       "Line 3: relative humidity"},
      {"Pyrvane-Inputs-File-Version-1\nRAWS: 1\n2026 8 7 1400 95 30 -1 10 225 20\n", kErrBadInputs,
       "Line 3: hourly precipitation"},
      {"Pyrvane-Inputs-File-Version-1\nWEATHER_DATA: 1\n8 7 0 600 1500 50 800 90 20 1500\n", kErrBadInputs,
       "Line 3: temperature out of range"},
      {"Pyrvane-Inputs-File-Version-1\nWIND_DATA: 1\n8 7 1300 10 225 300\n", kErrBadInputs, "Line 3: cloud cover"},
      {"Pyrvane-Inputs-File-Version-1\n\nWIND_SPEED: fast\n", kErrBadInputs, "Line 3"},
      {"Pyrvane-Inputs-File-Version-1\nWIND_SPEED: -4\n", kErrBadInputs, "Line 2"},
      {"Pyrvane-Inputs-File-Version-1\nFOLIAR_MOISTURE_CONTENT: 0\n", kErrBadInputs, "Line 2"},
      {"Pyrvane-Inputs-File-Version-1\nANALYSIS_AREA_EAST: 10\nANALYSIS_AREA_WEST: 20\n", kErrBadInputs, "extent"},
  };
  for (const auto& c : cases) {
    PyrvaneInputs in;
    std::string detail;
    EXPECT_EQ(ParsePyrvaneInputs(c.text, in, detail), c.code) << c.text;
    EXPECT_NE(detail.find(c.detail), std::string::npos) << c.text << " -> " << detail;
  }
}

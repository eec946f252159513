#include "engines/pyrvane.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine_fixture.h"
#include "engines/fire_behavior.h"
#include "engines/landscape_source.h"
#include "engines/output_writer.h"
#include "engines/spotting.h"
#include "platform/services.h"

using namespace engines;
namespace fs = std::filesystem;

namespace {

using enginetest::TempDir;

std::unique_ptr<CPyrvane> Launched(const std::string& inputs, int rows = 24, int cols = 30, int* rc = nullptr) {
  auto e = std::make_unique<CPyrvane>();
  e->SetLandscape(enginetest::MakeLandscape(rows, cols));
  e->ResetPyrvaneProgress();
  EXPECT_EQ(e->CommandTextLoad(inputs), kEngineOk);
  int r = e->LaunchPyrvane(0);
  if (rc) {
    *rc = r;
  } else {
    EXPECT_EQ(r, kEngineOk) << e->CommandFileError(r);
  }
  return e;
}

std::string Capture(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while (p && (n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  if (p) ::pclose(p);
  return out;
}

}  // namespace

TEST(Pyrvane, OutputsHoldTheirIdentitiesCellByCell) {
  auto e = Launched(enginetest::InputsText());
  const int n = e->GetNumRows() * e->GetNumCols();
  ASSERT_EQ(n, 24 * 30);
  const float* fl = e->GetOutputLayer(kOutFlameLength);
  const float* ros = e->GetOutputLayer(kOutSpreadRate);
  const float* fli = e->GetOutputLayer(kOutIntensity);
  const float* hpa = e->GetOutputLayer(kOutHeatArea);
  const float* cls = e->GetOutputLayer(kOutCrownState);
  const float* b = e->GetOutputLayer(kOutEllipseB);
  const float* c = e->GetOutputLayer(kOutEllipseC);
  const float* a = e->GetOutputLayer(kOutEllipseA);
  const float* spot = e->GetOutputLayer(kOutMaxSpot);
  const float* spotDx = e->GetOutputLayer(kOutMaxSpotDx);
  ASSERT_TRUE(fl && ros && fli && hpa && cls && b && c && a && spot && spotDx);
  EXPECT_EQ(e->GetOutputLayer(kOutSolar), nullptr);  // not selected
  EXPECT_EQ(e->GetOutputLayer(kOutWindDir), nullptr);
  int burnable = 0, nonBurnable = 0, crowning = 0, spotting = 0;
  for (int r = 0; r < e->GetNumRows(); ++r)
    for (int col = 0; col < e->GetNumCols(); ++col) {
      int i = r * e->GetNumCols() + col;
      int fm = static_cast<int>(e->GetLayerValueByCell(3, col, r));
      if (fm == 91 || fm == 98) {
        ++nonBurnable;
        for (const float* g : {fl, ros, fli, hpa, a, b, c}) EXPECT_EQ(g[i], -9999.0f);
        EXPECT_EQ(cls[i], 0.0f);
        EXPECT_EQ(spot[i], 0.0f);
        continue;
      }
      ++burnable;
      EXPECT_NEAR(fli[i], hpa[i] * ros[i] / 60.0, 1e-4 * fli[i] + 1e-6);
      EXPECT_NEAR(b[i] + c[i], ros[i], 1e-5 * ros[i] + 1e-7);
      EXPECT_LE(a[i], b[i] * (1 + 1e-6));
      bool crown = cls[i] == 2.0f || cls[i] == 3.0f;  // passive, active
      crowning += crown;
      double expect = crown ? CrownFlameLength(fli[i]) : SurfaceFlameLength(fli[i]);
      EXPECT_NEAR(fl[i], expect, 1e-4 * expect + 1e-6);
      if (spotDx[i] > 0) {
        ++spotting;
        EXPECT_EQ(std::floor(spot[i]), std::floor(spotDx[i]));
      }
    }
  EXPECT_GT(nonBurnable, 0);
  EXPECT_GT(crowning, 0);
  // Without a value list in the header the engine lists the fuel layer itself.
  EXPECT_EQ(e->GetLayerHeaderValCount(3), 16);
  EXPECT_EQ(e->GetLayerHeaderVal(3, 1), 1);
  EXPECT_EQ(e->GetLayerHeaderVal(3, 16), 204);
  EXPECT_GT(spotting, burnable / 2);
}

TEST(Pyrvane, ResultsAreBitIdenticalAtAnyThreadCount) {
  // Conditioned, so that both parallel loops are compared.
  auto withThreads = [](int k) {
    std::string t = enginetest::InputsText(enginetest::RawsConditioning() + "SOLARRADIATION:\nFUELMOISTURE1000:\n");
    t.replace(t.find("NUMBER_PROCESSORS: 2"), 20, "NUMBER_PROCESSORS: " + std::to_string(k));
    return t;
  };
  auto a = Launched(withThreads(1), 60, 70), b = Launched(withThreads(8), 60, 70);
  const size_t n = 60 * 70;
  for (int k = 0; k < kOutputCount; ++k) {
    const float* x = a->GetOutputLayer(k);
    const float* y = b->GetOutputLayer(k);
    ASSERT_EQ(x == nullptr, y == nullptr) << k;
    if (x) {
      EXPECT_EQ(std::memcmp(x, y, n * sizeof(float)), 0) << "output " << k;
    }
  }
}

TEST(Pyrvane, CancelEndsTheLaunchWithTheCancelCode) {
  CPyrvane e;
  e.SetLandscape(enginetest::MakeLandscape(1500, 1500));
  e.ResetPyrvaneProgress();
  std::string t = enginetest::InputsText();
  t.replace(t.find("NUMBER_PROCESSORS: 2"), 20, "NUMBER_PROCESSORS: 1");
  ASSERT_EQ(e.CommandTextLoad(t), kEngineOk);
  int rc = 0;
  std::thread run([&] { rc = e.LaunchPyrvane(0); });
  while (e.GetFireBehaviorProgress() <= 0.0) std::this_thread::yield();
  EXPECT_EQ(e.GetRunState(), 4);
  EXPECT_LT(e.QueryPyrvaneProgress(), 1.0);
  e.CancelPyrvane();
  run.join();
  EXPECT_EQ(rc, kErrCancelled);
  EXPECT_GE(e.QueryPyrvaneProgress(), 1.0);
  EXPECT_EQ(e.GetOutputLayer(kOutFlameLength), nullptr);
  EXPECT_STREQ(e.CommandFileError(rc), "The run was cancelled.");
}

TEST(Pyrvane, FailuresGiveCodesWithTexts) {
  struct Case {
    std::string text;
    int code;
    const char* words;
  } cases[] = {
      {enginetest::InputsText("GRIDDED_WINDS_GENERATE: Yes\nGRIDDED_WINDS_RESOLUTION: 0\n"), kErrGenerateWinds,
       "must be above 0"},
      {enginetest::InputsText("GRIDDED_WINDS_GENERATE: Yes\nGRIDDED_WINDS_RESOLUTION: 500\n"), kErrGenerateWinds,
       "at most the analysis area's width (240) and height (180)"},
      {"Pyrvane-Inputs-File-Version-1\nWIND_SPEED: 5\n", kErrNoMoistures, "FUEL_MOISTURES_DATA"},
      {"Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n1 6 7 8 60 90\n", kErrModelMoisture, "Fuel model 2"},
      {enginetest::InputsText("CUSTOM_FUELS_FILE: /nonexistent/custom.fmd\n"), kErrCustomFuels, "/nonexistent"},
      {enginetest::InputsText("GRIDDED_WIND_SPEED_FILE: /nonexistent/s.asc\nGRIDDED_WINDS_DIRECTION_FILE: "
                              "/nonexistent/d.asc\n"),
       kErrGriddedWindFile, "gridded wind"},
      {enginetest::InputsText("ANALYSIS_AREA_EAST: 90\nANALYSIS_AREA_WEST: 10\nANALYSIS_AREA_NORTH: 90\n"
                              "ANALYSIS_AREA_SOUTH: 10\n"),
       kErrArea, "does not overlap"},
      {enginetest::InputsText("CONDITIONING_PERIOD_START: 08 07 1400\nCONDITIONING_PERIOD_END: 08 08 1400\n"),
       kErrWeather, "conditioning"},
  };
  for (const auto& c : cases) {
    CPyrvane e;
    e.SetLandscape(enginetest::MakeLandscape(6, 8));
    ASSERT_EQ(e.CommandTextLoad(c.text), kEngineOk) << c.text;
    int rc = e.LaunchPyrvane(0);
    EXPECT_EQ(rc, c.code) << c.text;
    std::string msg = e.CommandFileError(rc);
    EXPECT_NE(msg.find(c.words), std::string::npos) << msg;
    EXPECT_EQ(e.GetOutputLayer(kOutFlameLength), nullptr);
  }
  CPyrvane none;
  EXPECT_EQ(none.CommandTextLoad(enginetest::InputsText()), kEngineOk);
  EXPECT_EQ(none.LaunchPyrvane(0), kErrNoLandscape);
  EXPECT_EQ(none.CommandFileLoad("/nonexistent/inputs.txt"), kErrOpenInputs);
  TempDir dir;
  EXPECT_EQ(none.CommandFileLoad(dir.File("inputs.txt", enginetest::InputsText()).c_str()), kEngineOk);
  EXPECT_EQ(none.CommandFileLoad(dir.File("bad.txt", "FUEL_MOISTURES_DATA: 1\n").c_str()), kErrNotInputsFile);
  EXPECT_EQ(none.SetLandscapeFile("/nonexistent/x.lcp"), 0);
}

TEST(Pyrvane, AnalysisAreaLimitsTheGridAndFilesMatchIt) {
  TempDir dir;
  std::string extra = "USE_MEMORY_OUTPUTS: 0\nTEMP_STORAGE_PATH: " + dir.path.string() +
                      "\nANALYSIS_AREA_EAST: 1455.0\nANALYSIS_AREA_WEST: 1125.0\n"
                      "ANALYSIS_AREA_NORTH: 2700.0\nANALYSIS_AREA_SOUTH: 2310.0\n";
  auto e = Launched(enginetest::InputsText(extra));
  // The area snaps outwards to whole cells: columns 4-15, rows 0-13 of the 24 x 30 landscape.
  EXPECT_EQ(e->GetNumCols(), 12);
  EXPECT_EQ(e->GetNumRows(), 14);
  EXPECT_DOUBLE_EQ(e->GetWest(), 1120.0);
  EXPECT_DOUBLE_EQ(e->GetNorth(), 2720.0);
  EXPECT_DOUBLE_EQ(e->GetSouth(), 2300.0);
  std::string tif = (dir.path / "pyrvane_flame_length.tif").string();
  ASSERT_TRUE(fs::exists(tif));
  std::string info = Capture("gdalinfo -stats " + tif + " 2>&1");
  EXPECT_NE(info.find("Size is 12, 14"), std::string::npos) << info;
  EXPECT_NE(info.find("Upper Left  (    1120.000,    2720.000)"), std::string::npos) << info;
  EXPECT_NE(info.find("NoData Value=-9999"), std::string::npos) << info;
  EXPECT_NE(info.find("STATISTICS_MAXIMUM"), std::string::npos) << info;
  // Cell values in the file are the engine's.
  std::string py = std::string(PV_PYTHON) +
                   " -c \"from osgeo import gdal; a=gdal.Open('" + tif +
                   "').ReadAsArray(); print(repr(float(a[3,5])), repr(float(a.max())))\"";
  std::string vals = Capture(py);
  const float* fl = e->GetOutputLayer(kOutFlameLength);
  float mx = -1e30f;
  for (int i = 0; i < 12 * 14; ++i) mx = std::max(mx, fl[i]);
  double v0 = 0, v1 = 0;
  ASSERT_EQ(std::sscanf(vals.c_str(), "%lf %lf", &v0, &v1), 2) << vals;
  EXPECT_FLOAT_EQ(static_cast<float>(v0), fl[3 * 12 + 5]);
  EXPECT_FLOAT_EQ(static_cast<float>(v1), mx);
}

TEST(Pyrvane, WindTypesSetTheSpreadDirection) {
  // On sloping cells an uphill wind drives the fire straight upslope; downhill straight down.
  auto up = Launched(enginetest::InputsText("DEFAULT_UPHILL_DOWNHILL_DIRECTION: 90\n", 10, -1));
  auto down = Launched(enginetest::InputsText("DEFAULT_UPHILL_DOWNHILL_DIRECTION: 90\n", 10, -2));
  const float* du = up->GetOutputLayer(kOutMaxSpreadDir);
  const float* dd = down->GetOutputLayer(kOutMaxSpreadDir);
  int checked = 0;
  for (int r = 0; r < up->GetNumRows(); ++r)
    for (int c = 0; c < up->GetNumCols(); ++c) {
      int i = r * up->GetNumCols() + c;
      if (du[i] == -9999.0f) continue;
      double slope = up->GetLayerValueByCell(1, c, r), aspect = up->GetLayerValueByCell(2, c, r);
      double upslope = std::fmod(aspect + 180.0, 360.0);
      if (slope == 0) upslope = 270.0;  // the default direction is where the wind comes from
      EXPECT_NEAR(std::remainder(du[i] * 180.0 / M_PI - upslope, 360.0), 0.0, 1e-3);
      if (slope > 0) {
        // Downhill: wind and slope oppose; the head follows whichever is stronger, on that line.
        double d = std::fabs(std::remainder(dd[i] * 180.0 / M_PI - upslope, 360.0));
        EXPECT_TRUE(d < 1e-3 || std::fabs(d - 180.0) < 1e-3) << d;
      } else {
        EXPECT_NEAR(std::remainder(dd[i] * 180.0 / M_PI - 270.0, 360.0), 0.0, 1e-3);  // flat: the default wind
      }
      ++checked;
    }
  EXPECT_GT(checked, 100);
}

TEST(Pyrvane, GriddedWindFilesAreResampledToTheCells) {
  TempDir dir;
  // A 2 x 2 wind grid of 360 m cells over the landscape: speeds 0, 10, 20, 30 mph, all from the west.
  float speeds[4] = {0, 10, 20, 30}, dirs[4] = {270, 270, 270, 270};
  std::string sp = dir.File("speed.tif"), dr = dir.File("dir.tif");
  ASSERT_TRUE(WriteGridGeoTiff(sp, speeds, 2, 2, 1000.0, 2720.0, 450.0, "speed", nullptr));
  ASSERT_TRUE(WriteGridGeoTiff(dr, dirs, 2, 2, 1000.0, 2720.0, 450.0, "dir", nullptr));
  auto e = Launched(enginetest::InputsText("GRIDDED_WIND_SPEED_FILE: " + sp + "\nGRIDDED_WINDS_DIRECTION_FILE: " + dr + "\n"));
  const float* ws = e->GetOutputLayer(kOutWindSpeed);
  const float* wd = e->GetOutputLayer(kOutWindDir);
  ASSERT_TRUE(ws && wd);
  EXPECT_EQ(e->GetNumWindRows(), 24);
  EXPECT_EQ(e->GetNumWindCols(), 30);
  EXPECT_EQ(e->GetWindsResolution(), 30);
  double w, s;
  e->GetWindCorners(&w, &s);
  EXPECT_DOUBLE_EQ(w, 1000.0);
  EXPECT_DOUBLE_EQ(s, 2000.0);
  EXPECT_FLOAT_EQ(ws[0], 0.0f);              // north-west quarter
  EXPECT_FLOAT_EQ(ws[29], 10.0f);            // north-east
  EXPECT_FLOAT_EQ(ws[23 * 30], 20.0f);       // south-west
  EXPECT_FLOAT_EQ(ws[23 * 30 + 29], 30.0f);  // south-east
  EXPECT_FLOAT_EQ(wd[100], 270.0f);
  // Midflame wind follows the cell's own wind: one adjustment factor per fuel bed.
  const float* mid = e->GetOutputLayer(kOutMidflame);
  double factor = -1;
  int seen = 0;
  for (int i = 0; i < 24 * 30; ++i) {
    if (e->GetLayerValueByCell(3, i % 30, i / 30) != 102.0f || (i % 30) % 3 == 0 || ws[i] == 0) continue;
    if (factor < 0) factor = mid[i] / ws[i];
    EXPECT_NEAR(mid[i] / ws[i], factor, 1e-6);
    ++seen;
  }
  EXPECT_GT(seen, 4);
}

TEST(Pyrvane, FixedSpreadDirectionUsesTheEllipse) {
  auto free = Launched(enginetest::InputsText());
  auto fixed = Launched(enginetest::InputsText("SPREAD_DIRECTION_FROM_NORTH: 90\n"));
  const float* r0 = free->GetOutputLayer(kOutSpreadRate);
  const float* r1 = fixed->GetOutputLayer(kOutSpreadRate);
  const float* b = free->GetOutputLayer(kOutEllipseB);
  const float* c = free->GetOutputLayer(kOutEllipseC);
  int lower = 0;
  for (int i = 0; i < 24 * 30; ++i) {
    if (r0[i] == -9999.0f) continue;
    EXPECT_LE(r1[i], r0[i] * (1 + 1e-6));
    EXPECT_GE(r1[i], (b[i] - c[i]) * (1 - 1e-5));  // never below the backing rate
    lower += r1[i] < r0[i] * 0.999;
  }
  EXPECT_GT(lower, 50);
}

TEST(Pyrvane, ReadsLandscapeFilesThroughGdalOracle) {
  TempDir dir;
  std::string lcp = dir.File("land.lcp");
  // An LCP written by GDAL's own landscape driver (an independent writer).
  std::string py = std::string(PV_PYTHON) + " - <<'EOF'\n"
                   "from osgeo import gdal\nimport numpy as np\n"
                   "src = gdal.GetDriverByName('MEM').Create('', 5, 4, 8, gdal.GDT_Int16)\n"
                   "src.SetGeoTransform([500000.0, 30.0, 0, 4000000.0, 0, -30.0])\n"
                   "vals = [1200, 20, 180, 102, 50, 200, 20, 15]\n"
                   "for k in range(8):\n"
                   "    a = np.full((4, 5), vals[k], dtype=np.int16)\n"
                   "    a[1, 2] = vals[k] + (1 if k != 3 else 20)\n"
                   "    src.GetRasterBand(k + 1).WriteArray(a)\n"
                   "gdal.GetDriverByName('LCP').CreateCopy('" + lcp + "', src, options=['LATITUDE=45', 'LINEAR_UNIT=METER'])\n"
                   "EOF\n";
  ASSERT_EQ(std::system(py.c_str()), 0);
  CPyrvane e;
  ASSERT_EQ(e.SetLandscapeFile(lcp.c_str()), 1);
  EXPECT_EQ(e.GetNumRows(), 4);
  EXPECT_EQ(e.GetNumCols(), 5);
  EXPECT_DOUBLE_EQ(e.GetWest(), 500000.0);
  EXPECT_DOUBLE_EQ(e.GetNorth(), 4000000.0);
  EXPECT_DOUBLE_EQ(e.GetCellSize(), 30.0);
  EXPECT_EQ(e.GetLayerValueByCell(3, 2, 1), 122.0f);
  EXPECT_EQ(e.GetLayerValueByCell(3, 0, 0), 102.0f);
  EXPECT_EQ(e.GetLayerValueByCell(7, 2, 1), 16.0f);
  EXPECT_EQ(e.GetLayerValue(0, 500000.0 + 75.0, 4000000.0 - 45.0), 1201.0f);
  EXPECT_EQ(e.GetLayerValueByCell(3, 5, 0), -9999.0f);
  ASSERT_EQ(e.GetLayerHeaderValCount(3), 2);
  EXPECT_EQ(e.GetLayerHeaderVal(3, 1), 102);
  EXPECT_EQ(e.GetLayerHeaderVal(3, 2), 122);
  EXPECT_EQ(e.GetLayerHeaderVal(3, 3), 0);
  ASSERT_EQ(e.CommandTextLoad(enginetest::InputsText()), kEngineOk);
  ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk);
  EXPECT_GT(e.GetOutputLayer(kOutSpreadRate)[0], 0.0f);
  // Resampling to 60 m halves the grid (a travel-time run's order: resample, area, launch).
  e.ResetBurn();
  EXPECT_EQ(e.GetOutputLayer(kOutSpreadRate), nullptr);
  e.ResampleLandscape(60.0);
  e.SetAnalysisArea(500150.0, 500000.0, 4000000.0, 3999880.0);
  EXPECT_EQ(e.GetNumCols(), 3);
  EXPECT_EQ(e.GetNumRows(), 2);
  EXPECT_DOUBLE_EQ(e.GetCellSize(), 60.0);
  EXPECT_EQ(e.GetLayerValueByCell(3, 1, 0), 102.0f);  // its centre lies in source cell (3, 1)
  ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk);
  ASSERT_NE(e.GetOutputLayer(kOutSpreadRate), nullptr);
  EXPECT_GT(e.GetOutputLayer(kOutSpreadRate)[4], 0.0f);
  EXPECT_EQ(e.GetOutputLayer(kOutSpreadRate)[5], -9999.0f);  // centre beyond the landscape's east edge
}

// A landscape GeoTIFF written by GDAL as public rasters code flat ground (aspect -1), with slopes lacking an aspect and one cell lacking a slope: flat cells burn as flat ground
// with and without conditioning, a slope without an aspect burns as flat and is counted, and the
// one cell left without fire behaviour is named in the notes.
TEST(Pyrvane, FlatGroundCodedWithoutAnAspectBurnsAsFlat) {
  TempDir dir;
  const std::string tif = dir.File("flat.tif");
  // Columns 0-3: slope 0, aspect -1 / -1 / 90 / -9999; columns 4-5: slope 20, aspect -1 and
  // -9999; columns 6-7: slope 20 facing south. Row 3 is non-burnable; cell (2, 7) has no slope.
  const std::string py = std::string(PV_PYTHON) + " - <<'EOF'\n"
      "from osgeo import gdal\nimport numpy as np\n"
      "src = gdal.GetDriverByName('GTiff').Create('" + tif + "', 8, 4, 8, gdal.GDT_Int16)\n"
      "src.SetGeoTransform([500000.0, 30.0, 0, 4000000.0, 0, -30.0])\n"
      "slope = np.array([[0, 0, 0, 0, 20, 20, 20, 20]] * 4, dtype=np.int16)\n"
      "slope[2, 7] = -9999\n"
      "aspect = np.array([[-1, -1, 90, -9999, -1, -9999, 180, 180]] * 4, dtype=np.int16)\n"
      "fuel = np.array([[188] * 8, [189] * 8, [188] * 8, [91] * 8], dtype=np.int16)\n"
      "bands = [np.full((4, 8), 1500, np.int16), slope, aspect, fuel, np.full((4, 8), 40, np.int16),\n"
      "         np.full((4, 8), 150, np.int16), np.full((4, 8), 20, np.int16), np.full((4, 8), 10, np.int16)]\n"
      "for k, a in enumerate(bands):\n"
      "    src.GetRasterBand(k + 1).WriteArray(a)\n"
      "    src.GetRasterBand(k + 1).SetNoDataValue(-9999)\n"
      "src = None\n"
      "EOF\n";
  ASSERT_EQ(std::system(py.c_str()), 0);
  for (const bool conditioned : {false, true}) {
    SCOPED_TRACE(conditioned ? "conditioned" : "held moistures");
    CPyrvane e;
    ASSERT_EQ(e.SetLandscapeFile(tif.c_str()), 1);
    ASSERT_EQ(e.CommandTextLoad(enginetest::InputsText(conditioned ? enginetest::RawsConditioning() : "")), kEngineOk);
    ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk);
    const float* ros = e.GetOutputLayer(kOutSpreadRate);
    const float* fl = e.GetOutputLayer(kOutFlameLength);
    ASSERT_NE(ros, nullptr);
    for (int r = 0; r < 3; ++r) {
      const float flat = ros[r * 8 + 2];  // aspect 90 on flat ground
      ASSERT_GT(flat, 0.0f);
      for (int c = 0; c < 8; ++c) {
        const int i = r * 8 + c;
        if (r == 2 && c == 7) {
          EXPECT_EQ(ros[i], -9999.0f);
          continue;
        }
        EXPECT_GT(ros[i], 0.0f) << r << "," << c;
        EXPECT_GT(fl[i], 0.0f) << r << "," << c;
        if (c < 6) EXPECT_FLOAT_EQ(ros[i], flat) << r << "," << c;
      }
      EXPECT_GT(ros[r * 8 + 6], flat);  // the real slope still counts
    }
    EXPECT_EQ(e.GetCellNotes(),
              "#6 burnable cells with a slope but no aspect burned as flat ground\r\n"
              "#1 burnable cells have no fire behaviour: their slope is missing\r\n");
  }
}

TEST(Pyrvane, CustomFuelsInBothLayoutsAndUnitsMatchTheStandardModel) {
  TempDir dir;
  // Model 4 (chaparral) redefined as custom model 150, numeric English, named metric.
  std::string english = dir.File("e.fmd", "150 5.01 4.01 2 0 5.01 2000 1800 1500 6 20 8000 8000\n");
  std::string metric = dir.File(
      "m.fmd", "METRIC\n150 CH1 11.2309 8.98924 4.48340 0 11.2309 static 65.6168 59.0551 49.2126 182.88 20 "
               "18608 18608 chaparral\n");
  std::string fms = "Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 6 7 8 60 90\n";
  auto base = Launched(enginetest::InputsText());
  const float* want = base->GetOutputLayer(kOutSpreadRate);
  for (const auto& file : {english, metric}) {
    CPyrvane e;
    CHeaderData h = MakeStandardHeader(1, 2, 0, 0, 30, false);
    std::vector<std::vector<std::int16_t>> layers(10, std::vector<std::int16_t>(2, 0));
    layers[3] = {4, 150};
    layers[1] = {10, 10};
    e.SetLandscape(std::make_unique<MemoryLandscape>(h, layers));
    ASSERT_EQ(e.CommandTextLoad(fms + "CUSTOM_FUELS_FILE: " + file + "\nWIND_SPEED: 10\n#\nSPREADRATE:\n"), kEngineOk);
    ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk) << e.CommandFileError(9);
    const float* r = e.GetOutputLayer(kOutSpreadRate);
    EXPECT_NEAR(r[1], r[0], 2e-3 * r[0]) << file;
  }
  (void)want;
  // A fuel model neither standard nor custom is refused by number.
  CPyrvane e;
  CHeaderData h = MakeStandardHeader(1, 1, 0, 0, 30, false);
  std::vector<std::vector<std::int16_t>> layers(10, std::vector<std::int16_t>(1, 0));
  layers[3] = {151};
  e.SetLandscape(std::make_unique<MemoryLandscape>(h, layers));
  ASSERT_EQ(e.CommandTextLoad(fms + "CUSTOM_FUELS_FILE: " + english + "\n"), kEngineOk);
  int rc = e.LaunchPyrvane(0);
  EXPECT_EQ(rc, kErrUnknownFuel);
  EXPECT_NE(std::string(e.CommandFileError(rc)).find("Fuel model 151"), std::string::npos);
}

TEST(Pyrvane, SpreadAdjustmentScalesTheRate) {
  TempDir dir;
  std::string adj = dir.File("a.adj", "102 0.5\n");
  auto base = Launched(enginetest::InputsText());
  auto half = Launched(enginetest::InputsText("ROS_ADJUST_FILE: " + adj + "\n"));
  const float* r0 = base->GetOutputLayer(kOutSpreadRate);
  const float* r1 = half->GetOutputLayer(kOutSpreadRate);
  int seen = 0;
  for (int r = 0; r < 24; ++r)
    for (int c = 0; c < 30; ++c) {
      int i = r * 30 + c;
      int fm = static_cast<int>(base->GetLayerValueByCell(3, c, r));
      if (fm == 102 && c % 3 != 0) {  // no canopy: the surface rate alone
        EXPECT_NEAR(r1[i], 0.5 * r0[i], 1e-5 * r0[i]);
        ++seen;
      } else if (fm != 102) {
        EXPECT_EQ(r1[i], r0[i]);
      }
    }
  EXPECT_GT(seen, 0);
}

// The project's sample landscape, read from its LCP and from its GeoTIFF: the same outputs, and
// the identities hold cell by cell.
TEST(Pyrvane, SampleLandscapeFromEitherFileKind) {
  const std::string base = std::string(PV_SOURCE_DIR) + "/data/sample/sample";
  CPyrvane lcp, tif;
  ASSERT_EQ(lcp.SetLandscapeFile((base + ".lcp").c_str()), 1);
  ASSERT_EQ(tif.SetLandscapeFile((base + ".tif").c_str()), 1);
  ASSERT_EQ(lcp.GetNumRows(), tif.GetNumRows());
  ASSERT_EQ(lcp.GetNumCols(), tif.GetNumCols());
  EXPECT_DOUBLE_EQ(lcp.GetWest(), tif.GetWest());
  EXPECT_DOUBLE_EQ(lcp.GetNorth(), tif.GetNorth());
  TempDir dir;
  for (CPyrvane* e : {&lcp, &tif}) {
    ASSERT_EQ(e->CommandTextLoad(enginetest::InputsText(
                  e == &lcp ? "USE_MEMORY_OUTPUTS: 0\nTEMP_STORAGE_PATH: " + dir.path.string() + "\n" : "")),
              kEngineOk);
    int rc = e->LaunchPyrvane(0);
    ASSERT_EQ(rc, kEngineOk) << e->CommandFileError(rc);
  }
  const int n = lcp.GetNumRows() * lcp.GetNumCols();
  int burnable = 0, nonBurnable = 0;
  for (int k : {kOutFlameLength, kOutSpreadRate, kOutIntensity, kOutCrownState, kOutMaxSpot}) {
    ASSERT_NE(lcp.GetOutputLayer(k), nullptr);
    EXPECT_EQ(std::memcmp(lcp.GetOutputLayer(k), tif.GetOutputLayer(k), n * sizeof(float)), 0) << k;
  }
  const float* fl = lcp.GetOutputLayer(kOutFlameLength);
  const float* ros = lcp.GetOutputLayer(kOutSpreadRate);
  const float* fli = lcp.GetOutputLayer(kOutIntensity);
  const float* hpa = lcp.GetOutputLayer(kOutHeatArea);
  const float* cls = lcp.GetOutputLayer(kOutCrownState);
  const float* b = lcp.GetOutputLayer(kOutEllipseB);
  const float* c = lcp.GetOutputLayer(kOutEllipseC);
  for (int i = 0; i < n; ++i) {
    int fm = static_cast<int>(lcp.GetLayerValueByCell(3, i % lcp.GetNumCols(), i / lcp.GetNumCols()));
    if (fm <= 0 || (fm >= 90 && fm <= 99)) {
      ++nonBurnable;
      EXPECT_EQ(fl[i], -9999.0f);
      EXPECT_EQ(ros[i], -9999.0f);
      continue;
    }
    ++burnable;
    EXPECT_NEAR(fli[i], hpa[i] * ros[i] / 60.0, 1e-4 * fli[i] + 1e-6);
    EXPECT_NEAR(b[i] + c[i], ros[i], 1e-5 * ros[i] + 1e-7);
    bool crown = cls[i] == 2.0f || cls[i] == 3.0f;
    double expect = crown ? CrownFlameLength(fli[i]) : SurfaceFlameLength(fli[i]);
    EXPECT_NEAR(fl[i], expect, 1e-4 * expect + 1e-6);
  }
  EXPECT_GT(burnable, n / 2);
  EXPECT_GT(nonBurnable, 0);
  // Files written from the LCP carry the coordinate system of its ".prj".
  std::string info = Capture("gdalinfo -stats " + (dir.path / "pyrvane_spread_rate.tif").string() + " 2>&1");
  EXPECT_NE(info.find("UTM zone 11N"), std::string::npos) << info;
  EXPECT_NE(info.find("STATISTICS_MEAN"), std::string::npos) << info;
}

// Conditioning through the engine: each cell gets its own lapsed air and sun, so on an August
// afternoon a south slope is sunnier and drier than a north slope, and a high flat cell is
// cooler and moister than a low one.
TEST(Pyrvane, ConditionedMoistureFollowsSunAndElevation) {
  CHeaderData h = MakeStandardHeader(1, 5, 0, 0, 30, false);
  h.latitude = 45;
  std::vector<std::vector<std::int16_t>> layers(10, std::vector<std::int16_t>(5, 0));
  layers[0] = {1000, 1000, 1000, 2500, -9999};  // elevation, m; none in the last cell
  layers[1] = {30, 30, 0, 0, 0};                // slope, degrees
  layers[2] = {180, 0, 0, 0, 0};                // aspect: south, north, flat, flat
  layers[3] = {102, 102, 102, 102, 102};
  CPyrvane e;
  e.SetLandscape(std::make_unique<MemoryLandscape>(h, layers));
  std::string raws = "CONDITIONING_PERIOD_START: 08 07 0600\nCONDITIONING_PERIOD_END: 08 07 1400\n"
                     "RAWS_ELEVATION: 3281\nRAWS_UNITS: English\nRAWS: 9\n";
  for (int hr = 6; hr <= 14; ++hr)
    raws += "2026 8 7 " + std::to_string(hr * 100) + " " + std::to_string(60 + 3 * (hr - 6)) + " " +
            std::to_string(50 - 3 * (hr - 6)) + " 0.00 5 225 0 \n";
  ASSERT_EQ(e.CommandTextLoad(enginetest::InputsText(raws + "SOLARRADIATION:\nFUELMOISTURE1000:\n")), kEngineOk);
  ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk) << e.CommandFileError(e.LaunchPyrvane(0));
  EXPECT_EQ(e.GetRunState(), 0);
  EXPECT_DOUBLE_EQ(e.GetConditioningProgress(), 1.0);
  const float* solar = e.GetOutputLayer(kOutSolar);
  const float* m1 = e.GetOutputLayer(kOutMoisture1);
  const float* m10 = e.GetOutputLayer(kOutMoisture10);
  const float* m1000 = e.GetOutputLayer(kOutMoisture1000);
  ASSERT_TRUE(solar && m1 && m10 && m1000);
  EXPECT_GT(solar[0], solar[1]);
  EXPECT_LT(m1[0], m1[1] - 0.005) << m1[0] << " " << m1[1];
  EXPECT_GT(m1[3], m1[2]);
  // Eight sunny hours move the 1000-h fuel only a little from the fuel-moisture file's 8 %.
  EXPECT_NEAR(m1000[2], 0.08, 0.01);
  EXPECT_LT(std::fabs(m10[2] - 0.07), std::fabs(m1[2] - 0.06) + 0.02);
  // Without an elevation there is nothing to condition at: no moistures and no fire there.
  EXPECT_EQ(m1[4], -9999.0f);
  ASSERT_TRUE(e.GetOutputLayer(kOutSpreadRate));
  EXPECT_EQ(e.GetOutputLayer(kOutSpreadRate)[4], -9999.0f);
  EXPECT_GT(e.GetOutputLayer(kOutSpreadRate)[2], 0.0f);
}

// Aspect stored in any of the landscape's forms drives an uphill wind up the same slope.
TEST(Pyrvane, AspectUnitCodesGiveTheSameUpslope) {
  struct Case {
    int code, value;
    double spreadAzimuth;
  } cases[] = {{2, 90, 270}, {2, 200, 20}, {1, 90, 180}, {1, 0, 270}, {0, 1, 270}, {0, 7, 180}};
  for (const auto& c : cases) {
    CHeaderData h = MakeStandardHeader(1, 1, 0, 0, 30, false);
    h.unitCodes[2] = static_cast<std::int16_t>(c.code);
    std::vector<std::vector<std::int16_t>> layers(10, std::vector<std::int16_t>(1, 0));
    layers[1] = {20};
    layers[2] = {static_cast<std::int16_t>(c.value)};
    layers[3] = {102};
    CPyrvane e;
    e.SetLandscape(std::make_unique<MemoryLandscape>(h, layers));
    ASSERT_EQ(e.CommandTextLoad(enginetest::InputsText({}, 10, -1)), kEngineOk);
    ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk);
    double deg = e.GetOutputLayer(kOutMaxSpreadDir)[0] * 180.0 / M_PI;
    EXPECT_NEAR(std::remainder(deg - c.spreadAzimuth, 360.0), 0.0, 1e-3) << c.code << " " << c.value;
  }
}

// The surface fire's firebrands come from the surface fire alone: a crowning cell spots as far
// as the same cell with no crown fuel whenever the surface distance beats the torching trees.
TEST(Pyrvane, SurfaceSpottingIgnoresTheBurningCanopy) {
  CHeaderData h = MakeStandardHeader(1, 2, 0, 0, 30, true);
  std::vector<std::vector<std::int16_t>> layers(10, std::vector<std::int16_t>(2, 0));
  layers[3] = {4, 4};
  layers[4] = {10, 10};   // cover %: too open to shelter the surface wind
  layers[5] = {100, 100};  // stand height, m x 10
  layers[6] = {10, 10};    // canopy base height, m x 10
  layers[7] = {30, 0};     // bulk density, kg/m3 x 100: only the first cell has crown fuel
  CPyrvane e;
  e.SetLandscape(std::make_unique<MemoryLandscape>(h, layers));
  ASSERT_EQ(e.CommandTextLoad(enginetest::InputsText("CROWNSTATE:\n", 20, 270)), kEngineOk);
  ASSERT_EQ(e.LaunchPyrvane(0), kEngineOk);
  const float* cls = e.GetOutputLayer(kOutCrownState);
  const float* dx = e.GetOutputLayer(kOutMaxSpotDx);
  ASSERT_TRUE(cls && dx);
  EXPECT_TRUE(cls[0] == kCrownPassive || cls[0] == kCrownActive) << cls[0];
  EXPECT_EQ(cls[1], kCrownSurface);
  TorchingTrees trees;
  trees.heightFt = 10.0 * kFtPerM;
  ASSERT_GT(dx[1], TorchingSpotDistanceM(trees, 20.0));
  EXPECT_EQ(dx[0], dx[1]);
}

// A run that asks for no ellipse takes a shorter path: its other outputs are the same bits.
TEST(Pyrvane, LeavingOutTheShapeChangesNoOtherOutput) {
  std::string lean = enginetest::InputsText();
  for (const char* key : {"ELLIPSEDIM_A:\n", "ELLIPSEDIM_B:\n", "ELLIPSEDIM_C:\n"}) lean.erase(lean.find(key), std::strlen(key));
  auto full = Launched(enginetest::InputsText()), fast = Launched(lean);
  EXPECT_EQ(fast->GetOutputLayer(kOutEllipseA), nullptr);
  for (int k : {kOutFlameLength, kOutSpreadRate, kOutIntensity, kOutCrownState, kOutMaxSpreadDir, kOutMidflame,
                kOutHorizRate, kOutCrownFraction, kOutMaxSpotDx}) {
    ASSERT_TRUE(full->GetOutputLayer(k) && fast->GetOutputLayer(k)) << k;
    EXPECT_EQ(std::memcmp(full->GetOutputLayer(k), fast->GetOutputLayer(k), 24 * 30 * sizeof(float)), 0) << k;
  }
}

// Under a constant wind, cells without a canopy share the fire of their model, slope and aspect,
// worked out by whichever thread meets it first. A grid large enough for every combination to
// recur must give the same bits as a run that works out every cell alone (one that asks for the
// fire's shape), on one thread and on eight.
TEST(Pyrvane, SharedFiresOfOpenCellsMatchCellByCellWork) {
  const int rows = 500, cols = 500;
  auto withThreads = [](std::string t, int k) {
    t.replace(t.find("NUMBER_PROCESSORS: 2"), 20, "NUMBER_PROCESSORS: " + std::to_string(k));
    return t;
  };
  std::string lean = enginetest::InputsText();
  for (const char* key : {"ELLIPSEDIM_A:\n", "ELLIPSEDIM_B:\n", "ELLIPSEDIM_C:\n"}) lean.erase(lean.find(key), std::strlen(key));
  auto full = Launched(withThreads(enginetest::InputsText(), 8), rows, cols);
  for (int threads : {1, 8}) {
    auto shared = Launched(withThreads(lean, threads), rows, cols);
    for (int k : {kOutFlameLength, kOutSpreadRate, kOutIntensity, kOutHeatArea, kOutCrownState, kOutMaxSpreadDir,
                  kOutMidflame, kOutHorizRate, kOutCrownFraction, kOutMaxSpotDx}) {
      ASSERT_TRUE(full->GetOutputLayer(k) && shared->GetOutputLayer(k)) << k;
      EXPECT_EQ(std::memcmp(full->GetOutputLayer(k), shared->GetOutputLayer(k), size_t{rows} * cols * sizeof(float)), 0)
          << "output " << k << " on " << threads << " threads";
    }
  }
}

// A sparse GeoTIFF of a few kilobytes can claim billions of cells: the engine refuses it before
// reading, instead of allocating until the machine gives up.
TEST(Pyrvane, LandscapeClaimingMoreCellsThanMemoryIsRefused) {
  GDALAllRegister();
  TempDir dir;
  const std::string path = dir.File("huge.tif", "");
  const char* options[] = {"SPARSE_OK=YES", "TILED=YES", "COMPRESS=DEFLATE", nullptr};
  const int side = 30000;
  const double need = 8.0 * side * side * 2;  // bytes of the eight bands
  GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
      path.c_str(), side, side, 8, GDT_Int16, const_cast<char**>(options));
  ASSERT_NE(ds, nullptr);
  double gt[6] = {500000, 30, 0, 5000000, 0, -30};
  ds->SetGeoTransform(gt);
  GDALClose(ds);
  ASSERT_LT(std::filesystem::file_size(path), 1u << 20);
  std::string why;
  if (platform::FitsInMemory(static_cast<std::uint64_t>(need))) GTEST_SKIP() << "this machine holds it";
  EXPECT_EQ(engines::OpenLandscape(path, &why), nullptr);
  EXPECT_NE(why.find("memory"), std::string::npos) << why;
  CPyrvane e;
  EXPECT_EQ(e.SetLandscapeFile(path.c_str()), 0);
}

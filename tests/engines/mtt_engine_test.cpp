// The travel-time engine as a run drives it: inputs file with its travel-time keys, the inner
// fire-behaviour engine, ignition and barrier shapefiles, output grids, paths, embers, quick
// fires with their perimeters, and the errors a user can meet.
#include "engines/mtt_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

#include "engine_fixture.h"
#include "support/shape_files.h"
#include "engines/landscape_source.h"
#include "engines/pyrvane.h"

using enginetest::TempDir;
using testsupport::WriteShapes;

namespace {

constexpr int kRows = 40, kCols = 50;  // 30 m cells from (1000, 2000): north 3200, east 2500

std::string Appendix(const std::string& ignition, const std::string& extra = {}) {
  // The first line of a key counts: the extra lines come first.
  return "\n" + extra + "MTT_RESOLUTION: 30.000000\nMTT_SIM_TIME: 0.000000\nMTT_TRAVEL_PATH_INTERVAL: 150.000000\n"
         "MTT_SPOT_PROBABILITY: 0.000000\nMTT_SPOT_DELAY: 0\nMTT_IGNITION_FILE: " + ignition + "\n"
         "PathweaverNumLat: 6\nPathweaverNumVert: 4\n";
}

// An engine loaded with the fixture landscape and an inputs file.
std::unique_ptr<CMinTravelTime> Loaded(const TempDir& dir, const std::string& appendix, int* rc = nullptr) {
  auto e = std::make_unique<CMinTravelTime>();
  e->GetPyrvane()->SetLandscape(enginetest::MakeLandscape(kRows, kCols));
  const std::string inputs = dir.File("inputs.txt", enginetest::InputsText() + appendix);
  const int loaded = e->LoadMTTInputs(inputs.c_str());
  if (rc) *rc = loaded;
  else EXPECT_EQ(loaded, 1) << e->CommandFileError(loaded);
  return e;
}

template <class T>
void Dump(const std::string& path, const T* data, std::size_t n) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n * sizeof(T)));
}

}  // namespace

TEST(MttEngine, ArrivalTimesAgreeWithScipyDijkstraOnTheExportedEllipses) {
  TempDir dir;
  const std::string ign =
      WriteShapes(dir.path.string(), "ign", {"LINESTRING (1715 2615,1716 2614)", "LINESTRING (2100 3000,2200 2950,2260 2980)"});
  for (auto [lat, vert] : {std::pair{6, 4}, std::pair{2, 0}}) {
    auto e = Loaded(dir, "\nMTT_RESOLUTION: 30\nMTT_IGNITION_FILE: " + ign + "\nPathweaverNumLat: " +
                             std::to_string(lat) + "\nPathweaverNumVert: " + std::to_string(vert) + "\n");
    const int rc = e->LaunchMTT();
    ASSERT_EQ(rc, 1) << e->CommandFileError(rc);
    ASSERT_EQ(e->GetNumRows(), kRows);
    ASSERT_EQ(e->GetNumCols(), kCols);
    EXPECT_DOUBLE_EQ(e->GetSouth(), 2000);
    const std::size_t n = kRows * kCols;
    const std::string out = dir.path.string();
    Dump(out + "/b.f32", e->GetPyrvaneOutputLayer(12), n);
    Dump(out + "/c.f32", e->GetPyrvaneOutputLayer(13), n);
    Dump(out + "/dir.f32", e->GetPyrvaneOutputLayer(10), n);
    Dump(out + "/ign.f32", e->GetIgnitionGrid(), n);
    Dump(out + "/arrival.f64", e->GetArrivalTimeGrid(), n);
    // The fixture's terrain (slopes 0-45 degrees, every aspect), from the landscape as held.
    std::vector<float> elev, slope, aspect, cover, tanS(n, 0.f), up(n, 0.f);
    double latitude = 0;
    ASSERT_TRUE(e->GetPyrvane()->GetTerrain(elev, slope, aspect, cover, latitude));
    for (std::size_t i = 0; i < n; ++i)
      if (slope[i] > 0 && aspect[i] >= 0) {
        tanS[i] = static_cast<float>(std::tan(slope[i] * M_PI / 180));
        up[i] = static_cast<float>((aspect[i] + 180) * M_PI / 180);
      }
    Dump(out + "/slope_tan.f32", tanS.data(), n);
    Dump(out + "/upslope.f32", up.data(), n);
    const std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/tests/engines/mtt_oracle.py " + out +
                            " " + std::to_string(kRows) + " " + std::to_string(kCols) + " 30 " +
                            std::to_string(lat) + " " + std::to_string(vert);
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
}

// A plane of 30 degrees rising to the north, one fuel, no wind: the fire runs up the slope at R
// on the slope plane, so a map distance d north takes d / (R cos 30) (along a stencil direction
// the lattice is exact), and a distance across the slope d / R_across.
TEST(MttEngine, ArrivalOnASlopeIsTheMapDistanceOverTheHorizontalRate) {
  TempDir dir;
  const int n = 41;
  CHeaderData h = engines::MakeStandardHeader(n, n, 0.0, 0.0, 30.0, false);
  std::vector<std::vector<std::int16_t>> layers(10);
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  layers[0].assign(cells, 1000);
  layers[1].assign(cells, 30);   // degrees
  layers[2].assign(cells, 180);  // facing south: upslope is north
  layers[3].assign(cells, 102);
  layers[4].assign(cells, 0);
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (615 615)"});  // row 20, column 20
  auto e = std::make_unique<CMinTravelTime>();
  e->GetPyrvane()->SetLandscape(std::make_unique<engines::MemoryLandscape>(std::move(h), std::move(layers)));
  const std::string inputs = dir.File("inputs.txt", enginetest::InputsText({}, 0, 0) + Appendix(ign));
  ASSERT_EQ(e->LoadMTTInputs(inputs.c_str()), 1);
  ASSERT_EQ(e->LaunchMTT(), 1) << e->CommandFileError(e->LaunchMTT());
  const float *b = e->GetPyrvaneOutputLayer(12), *c = e->GetPyrvaneOutputLayer(13);
  const std::size_t origin = 20 * n + 20;
  const double head = b[origin] + c[origin], back = b[origin] - c[origin];
  ASSERT_GT(c[origin], 0.0f);  // the slope alone drives an elliptical fire
  // Across the slope: the slope-plane ellipse's rate at 90 degrees from the head.
  const double across = (head * back) / b[origin];
  const double cos30 = std::cos(30 * M_PI / 180);
  const double* t = e->GetArrivalTimeGrid();
  for (int k = 1; k <= 15; ++k) {
    const double d = 30.0 * k;
    EXPECT_NEAR(t[origin - static_cast<std::size_t>(k) * n], d / (head * cos30), 1e-6 * d / head) << k << " north";
    EXPECT_NEAR(t[origin + static_cast<std::size_t>(k) * n], d / (back * cos30), 1e-6 * d / back) << k << " south";
    EXPECT_NEAR(t[origin + static_cast<std::size_t>(k)], d / across, 1e-6 * d / across) << k << " east";
  }
}

TEST(MttEngine, OutputsHangTogether) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (1715 2615)"});
  auto e = Loaded(dir, Appendix(ign));
  ASSERT_EQ(e->LaunchMTT(), 1);
  EXPECT_EQ(e->GetMTTProgress(), 1.0);
  const std::size_t n = kRows * kCols;
  const double *t = e->GetArrivalTimeGrid(), *ros = e->GetROSGrid(), *inf = e->GetInfluenceGrid();
  const float *fli = e->GetFliMapGrid(), *ign0 = e->GetIgnitionGrid();
  const float* fbFli = e->GetPyrvaneOutputLayer(2);
  const float *b = e->GetPyrvaneOutputLayer(12), *c = e->GetPyrvaneOutputLayer(13);
  // The point (1715, 2615) lies in column 23, row 19.
  const std::size_t origin = 19 * kCols + 23;
  EXPECT_EQ(ign0[origin], 1.f);
  EXPECT_EQ(t[origin], 0.0);
  std::size_t burned = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (t[i] < 0) {
      EXPECT_EQ(ros[i], -9999);
      EXPECT_EQ(inf[i], -9999);
      continue;
    }
    ++burned;
    EXPECT_GT(ros[i], 0);
    EXPECT_LE(ros[i], (b[i] + c[i]) * (1 + 1e-6));  // never faster than the head
    EXPECT_GE(inf[i], 1);
    EXPECT_NEAR(fli[i], fbFli[i] * ros[i] / (b[i] + c[i]), 1e-3 * (1 + fbFli[i]));
  }
  EXPECT_EQ(inf[origin], static_cast<double>(burned));

  // Flow paths run from the fire's origin or an earlier path outwards, one step per edge.
  ASSERT_GT(e->GetNumFlowVecs(), 3);
  ASSERT_GT(e->GetNumMajorVecs(), 0);
  EXPECT_FLOAT_EQ(e->GetFlowVecPointX(0, 0), 1705.f);  // the ignition cell's centre
  EXPECT_FLOAT_EQ(e->GetFlowVecPointY(0, 0), 2615.f);
  for (long p = 0; p < e->GetNumFlowVecs(); ++p) {
    double last = -1;
    for (long i = 0; i < e->GetNumFlowVecPoints(p); ++i) {
      const int col = static_cast<int>((e->GetFlowVecPointX(p, i) - 1000) / 30);
      const int row = static_cast<int>((3200 - e->GetFlowVecPointY(p, i)) / 30);
      const double at = t[static_cast<std::size_t>(row) * kCols + col];
      EXPECT_GT(at, last);
      last = at;
    }
  }
  EXPECT_EQ(e->GetNumFlowVecPoints(e->GetNumFlowVecs()), 0);  // past the end
}

TEST(MttEngine, TimeLimitBarriersAndEmbersThroughTheInputsFile) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (1715 2615)"});
  auto all = Loaded(dir, Appendix(ign));
  ASSERT_EQ(all->LaunchMTT(), 1);
  auto capped = Loaded(dir, Appendix(ign, "MTT_SIM_TIME: 60\n"));
  ASSERT_EQ(capped->LaunchMTT(), 1);
  for (std::size_t i = 0; i < kRows * kCols; ++i) {
    const double t = all->GetArrivalTimeGrid()[i];
    EXPECT_EQ(capped->GetArrivalTimeGrid()[i], t >= 0 && t <= 60 ? t : -9999) << i;
  }

  // A filled barrier square around the ignition keeps the fire inside it.
  const std::string box = WriteShapes(dir.path.string(), "box", {"POLYGON ((1600 2500,1600 2700,1800 2700,1800 2500,1600 2500),"
                                                   "(1650 2550,1650 2650,1750 2650,1750 2550,1650 2550))"});
  auto boxed = Loaded(dir, Appendix(ign, "MTT_BARRIER_FILE: " + box + "\nMTT_FILL_BARRIERS: 0\n"));
  ASSERT_EQ(boxed->LaunchMTT(), 1);
  for (std::size_t i = 0; i < kRows * kCols; ++i) {
    const double x = 1000 + (i % kCols + 0.5) * 30, y = 3200 - (i / kCols + 0.5) * 30;
    if (boxed->GetArrivalTimeGrid()[i] >= 0) EXPECT_TRUE(x > 1600 && x < 1800 && y > 2500 && y < 2700) << x << "," << y;
  }
  // Filled, a barrier square covers the ignition itself.
  const std::string square = WriteShapes(dir.path.string(), "square", {"POLYGON ((1600 2500,1600 2700,1800 2700,1800 2500,1600 2500))"});
  auto filled = Loaded(dir, Appendix(ign, "MTT_BARRIER_FILE: " + square + "\nMTT_FILL_BARRIERS: 1\n"));
  EXPECT_EQ(filled->LaunchMTT(), kMttNoIgnition);

  // Embers: probability 0 is the plain run whatever the seed; a seed repeats a run.
  auto zero = Loaded(dir, Appendix(ign, "MTT_SPOT_PROBABILITY: 0\n"));
  zero->SetSpottingSeed(99);
  ASSERT_EQ(zero->LaunchMTT(), 1);
  EXPECT_EQ(0, std::memcmp(zero->GetArrivalTimeGrid(), all->GetArrivalTimeGrid(), kRows * kCols * sizeof(double)));
  EXPECT_EQ(zero->GetFireSpots()->GetNumSpots(), 0);
  std::vector<double> first;
  for (int pass = 0; pass < 2; ++pass) {
    auto spot = Loaded(dir, Appendix(ign, "MTT_SPOT_PROBABILITY: 0.5\nMTT_SPOT_DELAY: 3\n"));
    spot->SetSpottingSeed(1234);
    ASSERT_EQ(spot->LaunchMTT(), 1);
    EXPECT_EQ(spot->GetSpottingSeed(), 1234);
    ASSERT_GT(spot->GetFireSpots()->GetNumSpots(), 0);
    std::vector<double> t(spot->GetArrivalTimeGrid(), spot->GetArrivalTimeGrid() + kRows * kCols);
    if (pass == 0) {
      first = t;
    } else {
      EXPECT_EQ(t, first);
    }
    const std::string csv = dir.File("embers.csv");
    ASSERT_TRUE(spot->WriteEmberCSV(csv.c_str()));
    std::ifstream in(csv);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header, "Launch_X, Launch_Y, Land_X, Land_Y, Launch_Time, Land_Time\r");
  }
}

TEST(MttEngine, RefusesWhatItCannotRunWithAReason) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (1715 2615)"});
  const std::string outside = WriteShapes(dir.path.string(), "outside", {"POINT (9000 9000)"});
  struct Case {
    std::string appendix;
    int load, launch;
    const char* says;
  } cases[] = {
      {Appendix(ign, "MTT_SPOT_PROBABILITY: 2\n"), kMttBadInputs, 0, "MTT_SPOT_PROBABILITY is out of range"},
      {"\nMTT_IGNITION_FILE: " + ign + "\n", kMttBadInputs, 0, "MTT_RESOLUTION is missing"},
      {Appendix(ign, "PathweaverNumLat: six\n"), kMttBadInputs, 0, "PathweaverNumLat is not a number"},
      {Appendix(dir.File("none.shp")), 1, kMttIgnitionFile, "none.shp"},
      {Appendix(outside), 1, kMttNoIgnition, "No ignition lies on a burnable cell"},
      {Appendix(ign, "MTT_BARRIER_FILE: " + dir.File("nobar.shp") + "\n"), 1, kMttBarrierFile, "nobar.shp"},
  };
  for (const Case& k : cases) {
    int rc = 0;
    auto e = Loaded(dir, k.appendix, &rc);
    EXPECT_EQ(rc, k.load) << k.says;
    const int code = k.load == 1 ? e->LaunchMTT() : rc;
    if (k.load == 1) {
      EXPECT_EQ(code, k.launch) << k.says;
    }
    EXPECT_NE(std::string(e->CommandFileError(code)).find(k.says), std::string::npos)
        << e->CommandFileError(code);
  }
  // A cancel before the launch ends it at once, with progress at its end for the monitor.
  auto e = Loaded(dir, Appendix(ign));
  e->CancelMTT();
  EXPECT_EQ(e->LaunchMTT(), kMttCancelled);
  EXPECT_EQ(e->GetMTTProgress(), 1.0);
  EXPECT_EQ(e->GetArrivalTimeGrid(), nullptr);
}

TEST(MttEngine, QuickFiresShareALentEngineAndOutlineWhatBurned) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (1715 2615)"});
  auto full = Loaded(dir, Appendix(ign, "MTT_SIM_TIME: 30\n"));
  ASSERT_EQ(full->LaunchMTT(), 1);
  {
    CMinTravelTime quick;
    quick.ResetMTT();
    quick.SetPyrvane(full->GetPyrvane());
    quick.SetMaxSimTime(30);
    quick.SetResolution(30);
    quick.SetNumLat(6);
    quick.SetNumVert(4);
    ASSERT_EQ(quick.SetIgnitionPoint(1715, 2615), 1);
    quick.SetSpotProbability(0);
    ASSERT_EQ(quick.LaunchMTTQuick(), 1);
    EXPECT_EQ(0, std::memcmp(quick.GetArrivalTimeGrid(), full->GetArrivalTimeGrid(), kRows * kCols * sizeof(double)));
    CPerimeter* perimeter = quick.GetFirePerimeter(0);
    ASSERT_NE(perimeter, nullptr);
    // The rings enclose exactly the burned cells (outer rings count positive).
    double area = 0;
    for (int l = 0; l < perimeter->GetNumLines(); ++l) {
      CPerimeterLine* line = perimeter->GetLine(l);
      float x0, y0, x1, y1;
      ASSERT_TRUE(line->GetPoint(0, &x0, &y0));
      ASSERT_TRUE(line->GetPoint(line->GetNumPoints() - 1, &x1, &y1));
      EXPECT_EQ(x0, x1);
      EXPECT_EQ(y0, y1);
      for (int i = 0; i + 1 < line->GetNumPoints(); ++i) {
        line->GetPoint(i, &x0, &y0);
        line->GetPoint(i + 1, &x1, &y1);
        area += 0.5 * (static_cast<double>(x0) * y1 - static_cast<double>(x1) * y0);
      }
    }
    int burned = 0;
    for (std::size_t i = 0; i < kRows * kCols; ++i) burned += quick.GetArrivalTimeGrid()[i] >= 0;
    EXPECT_NEAR(area, burned * 900.0, 1.0);
  }
  // The lent engine outlived the quick engine and still holds its grids.
  EXPECT_NE(full->GetPyrvane()->GetOutputLayer(12), nullptr);
}

TEST(MttEngine, AQuickFireAfterAnotherOnASharedLatticeEqualsAFreshOne) {
  TempDir dir;
  const std::string ign = WriteShapes(dir.path.string(), "ign", {"POINT (1715 2615)"});
  auto full = Loaded(dir, Appendix(ign, "MTT_SIM_TIME: 40\n"));
  ASSERT_EQ(full->LaunchMTT(), 1);
  auto quick = [&](CMinTravelTime& e, double x, double y) {
    e.ResetMTT();
    e.SetPyrvane(full->GetPyrvane());
    e.SetMaxSimTime(40);
    e.SetNumLat(6);
    e.SetNumVert(4);
    e.SetIgnitionPoint(x, y);
    return e.LaunchMTTQuick();
  };
  // One fire, then another elsewhere on the same engine: nothing of the first may remain.
  CMinTravelTime reused, fresh;
  ASSERT_EQ(quick(reused, 1715, 2615), 1);
  ASSERT_GT(reused.GetQuickBurned().size(), 20u);
  fresh.SetQuickFireModel(reused.GetQuickFireModel());  // the same lattice, lent
  ASSERT_EQ(quick(reused, 2400, 2100), 1);
  ASSERT_EQ(quick(fresh, 2400, 2100), 1);
  EXPECT_EQ(reused.GetQuickBurned(), fresh.GetQuickBurned());
  EXPECT_EQ(0, std::memcmp(reused.GetArrivalTimeGrid(), fresh.GetArrivalTimeGrid(), kRows * kCols * sizeof(double)));
  EXPECT_EQ(0, std::memcmp(reused.GetROSGrid(), fresh.GetROSGrid(), kRows * kCols * sizeof(double)));
  for (int v : fresh.GetQuickBurned()) EXPECT_EQ(fresh.GetQuickArrival(v), fresh.GetArrivalTimeGrid()[v]);
}

// The mass-consistent terrain wind model: flat ground, mass conservation and an independent
// scipy assembly of the same system, symmetry, the ridge speed-up, threads and cancel.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <functional>

#include "engines/slope_flow.h"
#include "engines/wind_model.h"

using namespace engines;
namespace fs = std::filesystem;

namespace {

WindTerrain Terrain(int rows, int cols, double cell, double veg,
                    const std::function<double(double x, double y)>& height) {
  WindTerrain t;
  t.rows = rows;
  t.cols = cols;
  t.cell = cell;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      // Centred coordinates, y to the north.
      const double x = (c + 0.5 - cols / 2.0) * cell, y = (rows / 2.0 - r - 0.5) * cell;
      t.elevation.push_back(1000.0 + height(x, y));
      t.vegetation.push_back(veg);
    }
  return t;
}

std::function<double(double, double)> Hill(double h, double sigma, double x0 = 0, double y0 = 0) {
  return [=](double x, double y) {
    return h * std::exp(-((x - x0) * (x - x0) + (y - y0) * (y - y0)) / (2 * sigma * sigma));
  };
}

WindSettings Wind(double mph, double from, int layers = 10, int threads = 2) {
  WindSettings s;
  s.speedMph = mph;
  s.directionFrom = from;
  s.layers = layers;
  s.threads = threads;
  return s;
}

double AngleDiff(double a, double b) {
  double d = std::fmod(a - b + 540.0, 360.0) - 180.0;
  return std::fabs(d);
}

fs::path Scratch(const std::string& name) {
  fs::path p = fs::temp_directory_path() / ("pv_wind_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

std::string Python(const std::string& mode, const fs::path& folder) {
  std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/tests/engines/wind_oracle.py " + mode + " " +
                    folder.string() + " > " + (folder / "out.txt").string();
  if (std::system(cmd.c_str()) != 0) return "failed: " + cmd;
  std::ifstream f(folder / "out.txt");
  std::string s;
  std::getline(f, s);
  return s;
}

template <typename T>
void Write(const fs::path& p, const std::vector<T>& v) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T));
}

std::vector<double> Read(const fs::path& p, size_t n) {
  std::vector<double> v(n);
  std::ifstream(p, std::ios::binary).read(reinterpret_cast<char*>(v.data()), n * sizeof(double));
  return v;
}

}  // namespace

TEST(WindModel, FlatGroundReturnsTheInputWindEverywhere) {
  struct Case {
    double mph, from, veg, cell;
    int layers;
  } cases[] = {{10, 0, 0.5, 100, 10}, {15, 225, 20, 90, 20}, {3.5, 93.7, 0.0, 30, 6}, {40, 359.9, 35, 200, 12}};
  std::atomic<bool> cancel{false};
  for (const Case& c : cases) {
    TerrainWindModel m;
    ASSERT_EQ(m.Solve(Terrain(9, 13, c.cell, c.veg, [](double, double) { return 0.0; }), Wind(c.mph, c.from, c.layers),
                      cancel, nullptr),
              kWindOk);
    for (size_t i = 0; i < m.SpeedMph().size(); ++i) {
      ASSERT_NEAR(m.SpeedMph()[i], c.mph, 1e-3) << "cell " << i << " of " << c.mph << " mph from " << c.from;
      ASSERT_LE(AngleDiff(m.DirectionFrom()[i], c.from), 0.05) << "cell " << i;
    }
  }
}

TEST(WindModel, AdjustedFieldConservesMassByAnIndependentDivergence) {
  std::atomic<bool> cancel{false};
  TerrainWindModel m;
  ASSERT_EQ(m.Solve(Terrain(24, 28, 90, 10, Hill(300, 400, 200, -100)), Wind(20, 250, 12), cancel, nullptr), kWindOk);
  auto dir = Scratch("div");
  std::string why;
  ASSERT_TRUE(m.ExportField(dir.string(), &why)) << why;
  const std::string ratio = Python("divergence", dir);
  ASSERT_FALSE(ratio.empty());
  ASSERT_NE(ratio.rfind("failed", 0), 0u) << ratio;
  EXPECT_LE(std::stod(ratio), 1e-5);
  fs::remove_all(dir);
}

TEST(WindModel, AgreesWithScipyAssemblyAndSolveOnAGaussianHill) {
  const int rows = 20, cols = 24, layers = 10;
  WindTerrain t = Terrain(rows, cols, 100, 0, Hill(250, 350));
  for (size_t i = 0; i < t.vegetation.size(); ++i) t.vegetation[i] = i % 3 == 0 ? 15.0 : 0.6;
  std::atomic<bool> cancel{false};
  TerrainWindModel m;
  ASSERT_EQ(m.Solve(t, Wind(18, 290, layers), cancel, nullptr), kWindOk);
  auto dir = Scratch("scipy");
  {
    std::ofstream meta(dir / "meta.txt");
    meta << "rows " << rows << "\ncols " << cols << "\nlayers " << layers << "\ncell 100\nspeed 18\ndirection 290\n";
  }
  Write(dir / "elevation.f64", t.elevation);
  Write(dir / "vegetation.f64", t.vegetation);
  ASSERT_NE(Python("solve", dir).rfind("failed", 0), 0u);
  const auto speed = Read(dir / "speed.py.f64", t.elevation.size());
  const auto from = Read(dir / "direction.py.f64", t.elevation.size());
  double spread = 0;
  for (size_t i = 0; i < speed.size(); ++i) {
    EXPECT_NEAR(m.SpeedMph()[i], speed[i], 0.01 * speed[i]) << "cell " << i;
    EXPECT_LE(AngleDiff(m.DirectionFrom()[i], from[i]), 1.0) << "cell " << i;
    spread = std::max(spread, std::fabs(speed[i] - 18.0));
  }
  EXPECT_GT(spread, 1.0) << "the hill must change the wind for the comparison to mean anything";
  fs::remove_all(dir);
}

TEST(WindModel, RotatingHillAndWindRotatesTheOutput) {
  const int n = 21;
  std::atomic<bool> cancel{false};
  TerrainWindModel a, b;
  // An off-centre hill so that the rotation is not a symmetry of the terrain alone.
  ASSERT_EQ(a.Solve(Terrain(n, n, 80, 2, Hill(200, 250, 300, 100)), Wind(12, 270), cancel, nullptr), kWindOk);
  // Rotated 90 degrees clockwise: (x, y) -> (y, -x), the wind from 270 now from 0.
  ASSERT_EQ(b.Solve(Terrain(n, n, 80, 2, Hill(200, 250, 100, -300)), Wind(12, 0), cancel, nullptr), kWindOk);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      // Cell (r, c) of a goes to (c, n - 1 - r) of b.
      const size_t ia = static_cast<size_t>(r) * n + c, ib = static_cast<size_t>(c) * n + (n - 1 - r);
      ASSERT_NEAR(a.SpeedMph()[ia], b.SpeedMph()[ib], 1e-3) << r << "," << c;
      ASSERT_LE(AngleDiff(a.DirectionFrom()[ia] + 90.0, b.DirectionFrom()[ib]), 0.05) << r << "," << c;
    }
}

TEST(WindModel, WindSpeedsUpOverARidgeCrest) {
  std::atomic<bool> cancel{false};
  // A north-south ridge across a west wind.
  TerrainWindModel ridge;
  ASSERT_EQ(ridge.Solve(Terrain(16, 31, 60, 1, [](double x, double) { return 250 * std::exp(-x * x / (2 * 200.0 * 200.0)); }),
                        Wind(10, 270), cancel, nullptr),
            kWindOk);
  const auto& s = ridge.SpeedMph();
  const size_t crest = 8 * 31 + 15, upwind = 8 * 31 + 1;
  EXPECT_GT(s[crest], 1.15 * s[upwind]) << s[crest] << " vs " << s[upwind];
  EXPECT_GT(s[crest], 10.5);
}

TEST(WindModel, BitIdenticalAtOneAndEightThreads) {
  std::atomic<bool> cancel{false};
  WindTerrain t = Terrain(30, 37, 90, 5, Hill(400, 500, -300, 200));
  TerrainWindModel one, eight;
  ASSERT_EQ(one.Solve(t, Wind(14, 200, 12, 1), cancel, nullptr), kWindOk);
  ASSERT_EQ(eight.Solve(t, Wind(14, 200, 12, 8), cancel, nullptr), kWindOk);
  EXPECT_EQ(one.Iterations(), eight.Iterations());
  ASSERT_EQ(one.SpeedMph().size(), eight.SpeedMph().size());
  EXPECT_EQ(0, std::memcmp(one.SpeedMph().data(), eight.SpeedMph().data(), one.SpeedMph().size() * sizeof(float)));
  EXPECT_EQ(0, std::memcmp(one.DirectionFrom().data(), eight.DirectionFrom().data(),
                           one.DirectionFrom().size() * sizeof(float)));
}

TEST(WindModel, CancelAndBadTerrainAreRefused) {
  std::atomic<bool> cancel{true};
  TerrainWindModel m;
  EXPECT_EQ(m.Solve(Terrain(10, 10, 90, 1, Hill(100, 200)), Wind(10, 0), cancel, nullptr), kWindCancelled);
  cancel = false;
  WindTerrain bad = Terrain(4, 4, 90, 1, Hill(10, 100));
  bad.vegetation.pop_back();
  EXPECT_EQ(m.Solve(bad, Wind(10, 0), cancel, nullptr), kWindBadTerrain);
  EXPECT_EQ(m.Solve(Terrain(4, 4, 0, 1, Hill(10, 100)), Wind(10, 0), cancel, nullptr), kWindBadTerrain);
}

TEST(WindModel, CalmSlopeFlowsUpByDayAndDownByNightAndCloudWeakensThem) {
  // A plane rising to the east: upslope flow comes from the west.
  WindTerrain t = Terrain(15, 21, 90, 1, [](double x, double) { return 0.25 * x; });
  DiurnalSettings d;
  d.month = 6;
  d.day = 21;
  d.latitude = 40;
  d.longitude = -105;
  d.timeZone = -7;
  d.airTempF = 80;
  struct Case {
    int hour;
    double cloud, from;
  } cases[] = {{12, 0, 270}, {12, 90, 270}, {2, 0, 90}, {2, 90, 90}};
  double mean[4] = {};
  std::atomic<bool> cancel{false};
  for (int k = 0; k < 4; ++k) {
    d.hour = cases[k].hour;
    d.cloudPercent = cases[k].cloud;
    WindSettings s = Wind(0, 0);
    SlopeFlows(t, d, s.slopeEast, s.slopeNorth);
    TerrainWindModel m;
    ASSERT_EQ(m.Solve(t, s, cancel, nullptr), kWindOk);
    int counted = 0;
    for (int r = 3; r < 12; ++r)
      for (int c = 4; c < 17; ++c) {
        const size_t i = static_cast<size_t>(r) * 21 + c;
        EXPECT_LE(AngleDiff(m.DirectionFrom()[i], cases[k].from), 45.0) << "hour " << cases[k].hour << " cell " << i;
        mean[k] += m.SpeedMph()[i];
        ++counted;
      }
    mean[k] /= counted;
    EXPECT_GT(mean[k], 0.3) << "hour " << cases[k].hour;
  }
  EXPECT_LT(mean[1], 0.9 * mean[0]);
  EXPECT_LT(mean[3], 0.9 * mean[2]);
}

TEST(WindModel, SunStandsWhereTheAlmanacPutsIt) {
  // Solar noon at the equinox on the equator at Greenwich: overhead; at 40 N in midsummer the
  // noon sun stands 73.4 degrees high in the south and sets near 19:30 local solar time.
  DiurnalSettings d;
  d.month = 3;
  d.day = 20;
  d.hour = 12;
  d.minute = 7;  // the equation of time
  EXPECT_NEAR(SolarPosition(d).elevation, 90.0, 1.0);
  d.month = 6;
  d.day = 21;
  d.latitude = 40;
  d.longitude = -105;
  d.timeZone = -7;
  d.minute = 2;
  const SunPosition noon = SolarPosition(d);
  EXPECT_NEAR(noon.elevation, 73.4, 0.5);
  EXPECT_NEAR(noon.azimuth, 180.0, 3.0);
  d.hour = 6;
  const SunPosition morning = SolarPosition(d);
  EXPECT_GT(morning.elevation, 0.0);
  EXPECT_LT(morning.azimuth, 90.0);
  d.hour = 22;
  EXPECT_LT(SolarPosition(d).elevation, 0.0);
}

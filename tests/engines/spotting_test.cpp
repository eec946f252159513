#include "engines/spotting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engines/fire_behavior.h"

using namespace engines;

TEST(Spotting, PackedCellDecodesToDistanceAndDirection) {
  struct Case {
    double distance, azimuth;
  } cases[] = {{1234.7, 90.0}, {12.2, 359.0}, {5000.0, 0.5}, {87.0, 180.0}, {3.0, -90.0}};
  for (const auto& c : cases) {
    float v = PackMaxSpot(c.distance, c.azimuth);
    float whole;
    float frac = std::modf(v, &whole);
    EXPECT_EQ(whole, std::floor(c.distance));
    double deg = frac * 10.0f * 57.29577951308232;
    double want = std::fmod(c.azimuth + 360.0, 360.0);
    EXPECT_NEAR(deg, want, 0.5) << c.distance << " " << c.azimuth;
  }
  EXPECT_EQ(PackMaxSpot(0.0, 45.0), 0.0f);
  EXPECT_EQ(PackMaxSpot(0.4, 45.0), 0.0f);
}

TEST(Spotting, DistanceGrowsWithWindAndFlameAndTorchingReachesFarther) {
  double last = 0;
  for (double wind : {5.0, 10.0, 20.0, 30.0}) {
    double d = MaxSpotDistanceM(1200, false, 0, 1.0, wind);
    EXPECT_GT(d, last);
    last = d;
  }
  EXPECT_GT(MaxSpotDistanceM(5000, false, 0, 1.0, 20), MaxSpotDistanceM(260, false, 0, 1.0, 20));
  EXPECT_GT(MaxSpotDistanceM(260, true, 20.0, 1.0, 20), MaxSpotDistanceM(260, false, 20.0, 1.0, 20));
  EXPECT_EQ(MaxSpotDistanceM(1200, false, 0, 1.0, 0), 0.0);
  // Embers that do not clear the cover do not travel.
  EXPECT_EQ(EmberDriftM(10.0, 20.0, 30.0), 0.0);
  // A torching stand in a 20 mph wind spots a few hundred metres to a few kilometres.
  double torch = MaxSpotDistanceM(260, true, 20.0, 1.0, 20);
  EXPECT_GT(torch, 200.0);
  EXPECT_LT(torch, 5000.0);
}

// Torching trees worked by hand from the species' flame regressions, the lofting fit
// z = a t^b z_F by the ratio of tree height to flame height (one case in each of its four bands)
// and the drift over cover of the trees' height.
TEST(Spotting, TorchingTreesByHand) {
  struct Case {
    TreeSpecies species;
    double dbh;
    int count;
    double height, wind, flame, duration, firebrand, distance;
  } cases[] = {
      {TreeSpecies::DouglasFir, 20, 1, 100, 20, 60.626735, 4.6526185, 428.2581, 297.47998},
      {TreeSpecies::PonderosaPine, 12, 4, 40, 15, 69.228164, 5.0546158, 474.817, 269.69972},
      {TreeSpecies::LoblollyPine, 8, 2, 10, 10, 28.606932, 3.7918122, 138.82703, 66.566357},
      {TreeSpecies::GrandFir, 16, 10, 20, 25, 172.82467, 3.1234778, 812.27595, 672.26344},
  };
  for (const auto& c : cases) {
    TorchingTrees t;
    t.species = c.species;
    t.dbhIn = c.dbh;
    t.count = c.count;
    t.heightFt = c.height;
    EXPECT_NEAR(TorchingFlameHeightFt(t), c.flame, 1e-5) << c.dbh;
    EXPECT_NEAR(TorchingFlameDuration(t), c.duration, 1e-6) << c.dbh;
    EXPECT_NEAR(TorchingFirebrandHeightFt(t), c.firebrand, 1e-4) << c.dbh;
    EXPECT_NEAR(TorchingSpotDistanceM(t, c.wind), c.distance, 1e-4) << c.dbh;
    // More trees torching together loft farther while the trees stay in the same band of the
    // lofting fit; no wind carries nothing.
    TorchingTrees more = t;
    more.count += 1;
    auto band = [](const TorchingTrees& x) {
      const double r = x.heightFt / TorchingFlameHeightFt(x);
      return r >= 1 ? 0 : r >= 0.5 ? 1 : r >= 0.2 ? 2 : 3;
    };
    if (band(more) == band(t)) {
      EXPECT_GT(TorchingSpotDistanceM(more, c.wind), c.distance) << c.dbh;
    }
    EXPECT_EQ(TorchingSpotDistanceM(t, 0), 0.0);
  }
  TorchingTrees none;
  none.dbhIn = 0;
  none.heightFt = 50;
  EXPECT_EQ(TorchingSpotDistanceM(none, 20), 0.0);
}

// Surface fires by hand: the plume lofts lower in stronger wind, low cover is raised to the
// height that still shelters the descent, and the drift while rising is added; firebrands that
// stay under the canopy go nowhere.
TEST(Spotting, WindDrivenSurfaceFireByHand) {
  struct Case {
    double intensityKWm, wind, coverFt, firebrand, distance;
  } cases[] = {{1000, 10, 1, 146.65359, 180.47743},
               {5000, 20, 3, 231.07745, 496.25001},
               {300, 15, 60, 65.452653, 131.59686},
               {300, 15, 80, 65.452653, 0.0}};
  for (const auto& c : cases) {
    EXPECT_NEAR(SurfaceFirebrandHeightFt(c.intensityKWm / 3.4613, c.wind), c.firebrand, 1e-4) << c.intensityKWm;
    EXPECT_NEAR(SurfaceSpotDistanceM(c.intensityKWm, c.coverFt, c.wind), c.distance, 1e-4) << c.intensityKWm;
  }
  EXPECT_LT(SurfaceFirebrandHeightFt(300, 20), SurfaceFirebrandHeightFt(300, 10));
  EXPECT_EQ(SurfaceSpotDistanceM(0, 1, 20), 0.0);
  EXPECT_EQ(SurfaceSpotDistanceM(1000, 1, 0), 0.0);
  // Without a canopy the cell's value is the surface fire's.
  EXPECT_NEAR(MaxSpotDistanceM(1000, false, 0, 1, 10), 180.47743, 1e-4);
}

// Over a ridge-to-valley wave (ridges 1200 m apart, 300 m above the valleys, the wind blowing
// east along the row), worked by hand: a 5000 kW/m surface fire in a 20 mph wind over 3 ft cover
// spots 496.25 m on flat ground; from the ridge top the valley below carries it to 532.69 m, and
// from halfway up the windward slope the rising ground stops it at 485.66 m. Flat ground changes
// nothing.
TEST(Spotting, RidgesAndValleysDownwindByHand) {
  const int cols = 120;
  std::vector<float> wave(cols), level(cols, 812.0f);
  for (int c = 0; c < cols; ++c) wave[c] = static_cast<float>(450.0 + 150.0 * std::cos(M_PI * (c - 20) / 20.0));
  const double flat = MaxSpotDistanceM(5000, false, 0, 3, 20);
  ASSERT_NEAR(flat, 496.25001, 1e-4);
  struct Case {
    int col;
    double phase, distance;
  } cases[] = {{20, 0.0, 532.69027}, {10, -M_PI / 2, 485.65608}};
  for (const auto& c : cases) {
    const SpotSite site{wave.data(), 1, cols, 30.0, 0, c.col, 90.0};
    const RidgeValley rv = RidgeValleyDownwind(site, 2 * flat);
    EXPECT_NEAR(rv.elevationDiffFt, 300 / 0.3048, 1e-3) << c.col;
    EXPECT_NEAR(rv.distanceMi, 600 / 1609.344, 1e-9) << c.col;
    EXPECT_NEAR(rv.phase, c.phase, 1e-6) << c.col;
    EXPECT_NEAR(MaxSpotDistanceM(5000, false, 0, 3, 20, &site), c.distance, 1e-4) << c.col;
  }
  // Downwind to the west the same ridge-top cell looks over the other valley: the same distance.
  const SpotSite west{wave.data(), 1, cols, 30.0, 0, 20, 270.0};
  EXPECT_NEAR(MaxSpotDistanceM(5000, false, 0, 3, 20, &west), 532.69027, 1e-4);
  // Level ground, and a site with no elevation, give the flat values exactly; so does torching.
  for (int col : {0, 20, 119}) {
    const SpotSite onLevel{level.data(), 1, cols, 30.0, 0, col, 90.0};
    EXPECT_EQ(MaxSpotDistanceM(5000, false, 0, 3, 20, &onLevel), flat);
    EXPECT_EQ(MaxSpotDistanceM(260, true, 20.0, 1.0, 20, &onLevel), MaxSpotDistanceM(260, true, 20.0, 1.0, 20));
  }
  std::vector<float> hole(cols, -9999.0f);
  const SpotSite noData{hole.data(), 1, cols, 30.0, 0, 20, 90.0};
  EXPECT_EQ(MaxSpotDistanceM(5000, false, 0, 3, 20, &noData), flat);
}

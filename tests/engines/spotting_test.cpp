#include "engines/spotting.h"

#include <gtest/gtest.h>

#include <cmath>

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
    double d = MaxSpotDistanceM(2.0, false, 0, 0, 1.0, wind);
    EXPECT_GT(d, last);
    last = d;
  }
  EXPECT_GT(MaxSpotDistanceM(4.0, false, 0, 0, 1.0, 20), MaxSpotDistanceM(1.0, false, 0, 0, 1.0, 20));
  EXPECT_GT(MaxSpotDistanceM(1.0, true, 15.0, 20.0, 1.0, 20), MaxSpotDistanceM(1.0, false, 0, 20.0, 1.0, 20));
  EXPECT_EQ(MaxSpotDistanceM(2.0, false, 0, 0, 1.0, 0), 0.0);
  // Embers that do not clear the cover do not travel.
  EXPECT_EQ(EmberDriftM(10.0, 20.0, 30.0), 0.0);
  // A torching stand in a 20 mph wind spots a few hundred metres to a few kilometres.
  double torch = MaxSpotDistanceM(1.0, true, 15.0, 20.0, 1.0, 20);
  EXPECT_GT(torch, 200.0);
  EXPECT_LT(torch, 5000.0);
}

// Torching trees worked by hand from the species' flame regressions, the lofting by the ratio of
// tree height to flame height (one case in each of its four bands) and the drift over cover of
// the trees' height.
TEST(Spotting, TorchingTreesByHand) {
  struct Case {
    TreeSpecies species;
    double dbh;
    int count;
    double height, wind, flame, duration, firebrand, distance;
  } cases[] = {
      {TreeSpecies::DouglasFir, 20, 1, 100, 20, 60.626735, 4.6526185, 345.46851, 241.24781},
      {TreeSpecies::PonderosaPine, 12, 4, 40, 15, 69.228164, 5.0546158, 388.31859, 227.64629},
      {TreeSpecies::LoblollyPine, 8, 2, 10, 10, 28.606932, 3.7918122, 137.17206, 65.914864},
      {TreeSpecies::GrandFir, 16, 10, 20, 25, 172.82467, 3.1234778, 726.63645, 618.36576},
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
    // More trees torching together loft farther; no wind carries nothing.
    TorchingTrees more = t;
    more.count *= 2;
    EXPECT_GT(TorchingSpotDistanceM(more, c.wind), c.distance) << c.dbh;
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
  // The cell's value is the surface fire's behind the flame length it was given.
  EXPECT_NEAR(MaxSpotDistanceM(SurfaceFlameLength(1000), false, 0, 0, 1, 10), 180.47743, 1e-3);
}

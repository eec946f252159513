#include "engines/spotting.h"

#include <gtest/gtest.h>

#include <cmath>

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

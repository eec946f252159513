#include "engines/conditioning.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engines/inputs_file.h"

using namespace engines;

TEST(Conditioning, ConstantWeatherConvergesToEquilibrium) {
  // The isotherm by hand: c1 (-ln(1 - H))^c2 with c1, c2 linear in temperature.
  struct Case {
    double t, rh, want;
  } isotherm[] = {{25, 40, 0.126225 * std::pow(0.5108256, 0.55515)},  // 0.0869
                  {10, 80, 0.14751 * std::pow(1.6094379, 0.50148)},   // 0.1873
                  {35, 10, 0.112035 * std::pow(0.1053605, 0.59093)}}; // 0.0296
  for (const auto& c : isotherm) EXPECT_NEAR(EquilibriumMoisture(c.t, c.rh), c.want, 1e-6) << c.t << " " << c.rh;
  const double emc = EquilibriumMoisture(25.0, 40.0);
  for (int size : {0, 1, 2}) {
    for (double start : {0.02, 0.30}) {
      FuelStick s(size, start);
      double m = start;
      for (int h = 0; h < 20 * (size == 0 ? 1 : size == 1 ? 10 : 100); ++h) m = s.Step(1.0, 25.0, 40.0, 0, 0);
      EXPECT_NEAR(m, emc, 1e-3) << "size " << size << " from " << start;
    }
  }
}

TEST(Conditioning, HumidityStepGivesMonotoneResponseFasterForFineFuel) {
  FuelStick one(0, EquilibriumMoisture(25, 20)), ten(1, EquilibriumMoisture(25, 20));
  double prev1 = one.Moisture(), prev10 = ten.Moisture();
  const double target = EquilibriumMoisture(25, 80);
  double at6 = 0;
  for (int h = 1; h <= 24; ++h) {
    double m1 = one.Step(1.0, 25, 80, 0, 0), m10 = ten.Step(1.0, 25, 80, 0, 0);
    EXPECT_GE(m1, prev1);
    EXPECT_GE(m10, prev10);
    EXPECT_LE(m1, target + 1e-9);
    // The fine stick has always closed more of the gap.
    EXPECT_GT(m1 - EquilibriumMoisture(25, 20), m10 - EquilibriumMoisture(25, 20)) << h;
    prev1 = m1;
    prev10 = m10;
    if (h == 6) at6 = m10;
  }
  EXPECT_GT(prev1, target - 0.005);  // a day is many 1-h time lags
  EXPECT_LT(at6, target - 0.03);     // six hours are not one 10-h time lag
  EXPECT_GT(prev10, at6);
}

TEST(Conditioning, SunAndRainMoveMoistureTheRightWay) {
  FuelStick shade(0, 0.10), sun(0, 0.10), rain(0, 0.10);
  for (int h = 0; h < 6; ++h) {
    shade.Step(1, 25, 40, 0, 0);
    sun.Step(1, 25, 40, 900, 0);
    rain.Step(1, 25, 40, 0, 2.0);
  }
  EXPECT_LT(sun.Moisture(), shade.Moisture());
  EXPECT_GT(sun.SurfaceTemperature(), 25 + 2);  // the sun heats the stick above the air
  EXPECT_GT(rain.Moisture(), 0.30);
  // South slopes get more noon sun than north slopes in the northern hemisphere; night gets none.
  EXPECT_GT(SolarRadiation(200, 12, 45, 30, 180, 0, 0), SolarRadiation(200, 12, 45, 30, 0, 0, 0));
  EXPECT_EQ(SolarRadiation(200, 0, 45, 0, 0, 0, 0), 0.0);
  EXPECT_LT(SolarRadiation(200, 12, 45, 0, 0, 100, 0), SolarRadiation(200, 12, 45, 0, 0, 0, 0));
  EXPECT_LT(SolarRadiation(200, 12, 45, 0, 0, 0, 80), SolarRadiation(200, 12, 45, 0, 0, 0, 0));
}

// The four classes answer a humidity step in the order of their nominal time lags, each within a
// factor of about three of it, and wetting is quicker than drying (water moves faster in wetter
// wood).
TEST(Conditioning, ResponseTimesFollowTheSizeClasses) {
  const double dry = EquilibriumMoisture(25, 20), wet = EquilibriumMoisture(25, 80);
  auto lag = [&](int size, double from, double rh, double to) {
    FuelStick s(size, from);
    for (int h = 1; h <= 5000; ++h)
      if (std::fabs(s.Step(1.0, 25, rh, 0, 0) - from) >= 0.632 * std::fabs(to - from)) return h;
    return 5000;
  };
  const int nominal[4] = {1, 10, 100, 1000};
  int previous = 0;
  for (int size = 0; size < 4; ++size) {
    int wetting = lag(size, dry, 80, wet), drying = lag(size, wet, 20, dry);
    EXPECT_GT(wetting, previous) << size;
    EXPECT_LE(wetting, drying) << size;
    EXPECT_GE(drying, nominal[size] / 3) << size;
    EXPECT_LE(drying, nominal[size] * 3) << size;
    previous = wetting;
  }
}

// Rain wets beyond what the wettest air can do, up to the rain-wetted ceiling, thin sticks first;
// a clear night under open sky cools the surface below the air and wets it, where cloud does not.
TEST(Conditioning, RainAndClearNightsWetTheSticks) {
  double afterRain[4];
  for (int size = 0; size < 4; ++size) {
    FuelStick rain(size, 0.08), humid(size, 0.08);
    for (int h = 0; h < 24; ++h) {
      rain.Step(1, 15, 95, 0, 2.0);
      humid.Step(1, 15, 95, 0, 0);
    }
    afterRain[size] = rain.Moisture();
    EXPECT_GT(afterRain[size], humid.Moisture()) << size;
    EXPECT_LE(afterRain[size], 0.35 + 1e-9) << size;
  }
  EXPECT_GT(afterRain[0], 0.34);
  EXPECT_GE(afterRain[0], afterRain[1]);
  EXPECT_GT(afterRain[1], afterRain[2]);
  EXPECT_GT(afterRain[2], afterRain[3]);
  // A drizzle that the stick can soak up wholly gains in proportion to what falls on it.
  FuelStick drizzle(2, 0.10), moreDrizzle(2, 0.10);
  drizzle.Step(1, 15, 95, 0, 0.01);
  moreDrizzle.Step(1, 15, 95, 0, 0.02);
  EXPECT_NEAR(moreDrizzle.Moisture() - 0.10, 2 * (drizzle.Moisture() - 0.10), 0.1 * (drizzle.Moisture() - 0.10));

  StickAir clear;
  clear.temperatureC = 10;
  clear.humidityPct = 85;
  clear.skyView = 0.5;
  clear.cloudPct = 0;
  StickAir overcast = clear;
  overcast.cloudPct = 100;
  FuelStick underClear(0, 0.10), underCloud(0, 0.10);
  for (int h = 0; h < 6; ++h) {
    underClear.Step(1, clear);
    underCloud.Step(1, overcast);
  }
  EXPECT_LT(underClear.SurfaceTemperature(), 10 - 0.3);
  EXPECT_NEAR(underCloud.SurfaceTemperature(), 10, 0.05);
  EXPECT_NEAR(underCloud.Moisture(), EquilibriumMoisture(10, 85), 0.003);
  EXPECT_GT(underClear.Moisture(), underCloud.Moisture() + 0.01);
}

TEST(Conditioning, WeatherOfThePeriodFromStreamOrDailyFiles) {
  PyrvaneInputs in;
  in.conditioning = true;
  in.conditioningStart = {8, 7, 1430};
  in.conditioningEnd = {8, 8, 1200};
  in.hasRaws = true;
  in.rawsElevation = 1000;  // ft
  for (int h = 12; h < 24 + 14; ++h)
    in.raws.push_back({2026, 8, 7 + h / 24, (h % 24) * 100, 68.0, 30.0, h == 20 ? 0.1 : 0.0, 5, 180, 40});
  double elev = 0;
  auto w = ConditioningWeather(in, &elev);
  ASSERT_EQ(w.size(), 23u);  // the hours 14:00 on the 7th to 12:00 on the 8th
  EXPECT_NEAR(elev, 304.8, 1e-9);
  EXPECT_NEAR(w[0].temperatureC, 20.0, 1e-9);
  EXPECT_EQ(w[0].dayOfYear, 219);
  EXPECT_NEAR(w[6].precipMm, 2.54, 1e-9);
  // A period the stream does not reach has no weather.
  in.conditioningEnd = {8, 12, 1200};
  EXPECT_TRUE(ConditioningWeather(in, &elev).empty());

  PyrvaneInputs daily;
  daily.conditioning = true;
  daily.conditioningStart = {6, 10, 0};
  daily.conditioningEnd = {6, 11, 2300};
  for (int d = 9; d <= 12; ++d)
    daily.weather.push_back({6, d, 0, 600, 1500, 50, 86, 90, 20, 2000, 0, 0});
  daily.winds.push_back({6, 9, 1300, 10, 225, 30});
  auto dw = ConditioningWeather(daily, &elev);
  ASSERT_EQ(dw.size(), 48u);
  EXPECT_NEAR(dw[6].temperatureC, 10.0, 1e-9);   // the minimum at 06:00
  EXPECT_NEAR(dw[15].temperatureC, 30.0, 1e-9);  // the maximum at 15:00
  EXPECT_NEAR(dw[15].humidityPct, 20.0, 1e-9);
  EXPECT_EQ(dw[20].cloudPct, 30.0);
}

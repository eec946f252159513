#include "engines/conditioning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "engines/inputs_file.h"

using namespace engines;

// The fire-danger equilibrium moisture relations (percent; T in F, H in %), as published for
// the 1978 fire-danger rating system from Simard's 1968 fits to wood-handbook data.
double PublishedEmcPct(double tempC, double h) {
  const double t = tempC * 1.8 + 32.0;
  if (h < 10) return 0.03229 + 0.281073 * h - 0.000578 * h * t;
  if (h < 50) return 2.22749 + 0.160107 * h - 0.014784 * t;
  return 21.0606 + 0.005565 * h * h - 0.00035 * h * t - 0.483199 * h;
}

// A shaded stick left ten days in constant air settles within a point of the published
// equilibrium relations over the whole range of fire weather, from either side.
TEST(Conditioning, ConvergedEquilibriumFollowsThePublishedRelations) {
  for (double t : {0.0, 10.0, 20.0, 30.0, 40.0})
    for (double rh : {10.0, 20.0, 30.0, 50.0, 70.0, 90.0}) {
      const double want = PublishedEmcPct(t, rh) / 100.0;
      for (double start : {0.02, 0.30}) {
        FuelStick s(0, start);
        for (int h = 0; h < 240; ++h) s.Step(1.0, t, rh, 0, 0);
        EXPECT_NEAR(s.Moisture(), want, 0.01) << t << " C " << rh << " % from " << start;
      }
      EXPECT_NEAR(EquilibriumMoisture(t, rh), want, 0.01) << t << " C " << rh << " %";
    }
  // The larger classes settle at the same value.
  for (int size : {1, 2}) {
    FuelStick s(size, 0.25);
    for (int h = 0; h < 20 * (size == 1 ? 10 : 100); ++h) s.Step(1.0, 25.0, 40.0, 0, 0);
    EXPECT_NEAR(s.Moisture(), EquilibriumMoisture(25.0, 40.0), 1e-3) << size;
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

// The four classes answer a humidity step (63 % of the change) within half to one and a half
// times their nominal time lags, and wetting is quicker than drying (water moves faster in
// wetter wood).
TEST(Conditioning, ResponseTimesFollowTheSizeClasses) {
  const double dry = EquilibriumMoisture(25, 20), wet = EquilibriumMoisture(25, 80);
  const double nominal[4] = {1, 10, 100, 1000};
  auto lag = [&](int size, double from, double rh, double to) {
    FuelStick s(size, from);
    const double step = nominal[size] / 20;
    for (int k = 1; k <= 200; ++k)
      if (std::fabs(s.Step(step, 25, rh, 0, 0) - from) >= 0.632 * std::fabs(to - from)) return k * step;
    return 1e9;
  };
  for (int size = 0; size < 4; ++size) {
    const double wetting = lag(size, dry, 80, wet), drying = lag(size, wet, 20, dry);
    EXPECT_LE(wetting, drying) << size;
    for (double h : {wetting, drying}) {
      EXPECT_GE(h, 0.5 * nominal[size]) << size;
      EXPECT_LE(h, 1.5 * nominal[size]) << size;
    }
  }
}

// An hour of rain in one call and the same rain given minute by minute agree, never pass the
// wet-wood cap, and more rain never leaves a stick drier.
TEST(Conditioning, RainDoesNotDependOnTheStepAndStaysUnderTheCap) {
  for (int size = 0; size < 4; ++size)
    for (double start : {0.02, 0.25}) {
      double previous = 0;
      for (double rain : {0.1, 1.0, 5.0, 10.0, 20.0, 100.0}) {
        FuelStick hour(size, start), minutes(size, start);
        hour.Step(1.0, 15, 90, 0, rain);
        for (int k = 0; k < 60; ++k) minutes.Step(1.0 / 60, 15, 90, 0, rain / 60);
        EXPECT_NEAR(hour.Moisture(), minutes.Moisture(), 0.001) << size << " " << start << " " << rain << " mm";
        EXPECT_LE(hour.Moisture(), 0.35) << size << " " << rain;
        EXPECT_LE(minutes.Moisture(), 0.35) << size << " " << rain;
        EXPECT_GE(hour.Moisture(), previous - 0.001) << size << " " << rain;
        previous = hour.Moisture();
      }
    }
}

// Full sun warms fine fuels lying on the ground about as fire-danger practice has it (25 F), and
// under the same air a sunlit stick dries below a shaded one.
TEST(Conditioning, SunWarmsFineFuelsAsFireDangerPracticeHasIt) {
  StickAir air;
  air.temperatureC = 25;
  air.humidityPct = 30;
  air.skyView = 0.5;
  air.cloudPct = 0;
  StickAir sunny = air;
  sunny.solarWm2 = 1000;
  FuelStick lit(0, 0.08), shaded(0, 0.08);
  for (int h = 0; h < 4; ++h) {
    lit.Step(1.0, sunny);
    shaded.Step(1.0, air);
  }
  EXPECT_NEAR(lit.SurfaceTemperature() - 25, 13.9, 2.0);
  EXPECT_LT(lit.Moisture(), shaded.Moisture() - 0.015);
}

// No weather drives a moisture negative or not a number; a value that is not a number is refused.
TEST(Conditioning, AbsurdAirNeverGivesNegativeOrNaNAndNaNIsRefused) {
  const double nan = std::nan("");
  StickAir cases[] = {{-60, 0, 0, 0, 0.5, 0}, {60, 100, 1400, 0, 0.5, 0}, {20, -50, 0, -10, 2, -5},
                      {20, 500, -300, 1e6, -1, 1e9}, {1e4, 50, 1e5, 0, 0.5, 50}};
  for (const auto& air : cases)
    for (int size = 0; size < 4; ++size) {
      FuelStick s(size, 0.1);
      for (int h = 0; h < 6; ++h) s.Step(1.0, air);
      EXPECT_TRUE(std::isfinite(s.Moisture()) && s.Moisture() >= 0 && s.Moisture() <= 0.35)
          << size << " " << air.temperatureC << " " << air.humidityPct << " " << s.Moisture();
    }
  StickAir bad;
  for (double StickAir::*field : {&StickAir::temperatureC, &StickAir::humidityPct, &StickAir::solarWm2,
                                   &StickAir::rainMm, &StickAir::cloudPct}) {
    StickAir a = bad;
    a.*field = nan;
    FuelStick s(0, 0.1);
    EXPECT_THROW(s.Step(1.0, a), std::invalid_argument);
    EXPECT_NEAR(s.Moisture(), 0.1, 1e-12);
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

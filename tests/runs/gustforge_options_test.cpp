// The model side of the gridded-wind options: wind-cell counts, weather at the conditioning
// end from streams and daily files, time zones and the longitude of a projected point.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "runs/gustforge_options.h"
#include "runs/run.h"

using platform::OleDateTime;
namespace fs = std::filesystem;

namespace {

struct Files {
  fs::path dir = fs::temp_directory_path() / ("pv_gustforge_" + std::to_string(::getpid()));
  Files() { fs::create_directories(dir); }
  ~Files() { fs::remove_all(dir); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir / name) << text;
    return (dir / name).string();
  }
};

}  // namespace

TEST(GustforgeOptions, GridCountsRaiseFractionsAndNeverDivideByZero) {
  const auto g = runs::GustforgeGridCounts(6000, 10000, 0, 0, 90);  // 6 km north-south, 10 km east-west
  EXPECT_EQ(g.rows, 67);
  EXPECT_EQ(g.columns, 112);
  EXPECT_EQ(g.cells, 67 * 112);
  const auto exact = runs::GustforgeGridCounts(3000, 2000, 0, 0, 100);
  EXPECT_EQ(exact.rows, 30);
  EXPECT_EQ(exact.columns, 20);
  EXPECT_EQ(runs::GustforgeGridCounts(3000, 2000, 0, 0, 0).cells, 0);
}

TEST(GustforgeOptions, DailyWeatherAtAMoment) {
  Files f;
  // Minimum 40 at 06:00, maximum 80 at 15:00, with both neighbouring days present.
  const std::string wtr = f.Write("a.wtr", "english\n6 9 0 600 1500 40 80 90 20 1500\n6 10 0 600 1500 40 80 90 20 1500\n"
                                           "6 11 0 600 1500 40 80 90 20 1500\n");
  struct Case {
    int hour, minute, expected;
  } cases[] = {{15, 0, 80}, {6, 0, 40}, {10, 30, 56}};  // 10:30 counts as 10:00 on the rising half-sine
  for (const Case& c : cases) {
    EXPECT_EQ(runs::WtrAirTemperatureAt(wtr, OleDateTime(2011, 6, 10, c.hour, c.minute, 0)), c.expected) << c.hour;
  }
  // Falling after the maximum: between 80 and the next morning's 40.
  const int night = runs::WtrAirTemperatureAt(wtr, OleDateTime(2011, 6, 10, 22, 0, 0));
  EXPECT_GT(night, 40);
  EXPECT_LT(night, 80);
  // Only the day itself: its extremes at their hours, else their mean; no day at all: 60.
  EXPECT_EQ(runs::WtrAirTemperatureAt(wtr, OleDateTime(2011, 6, 11, 15, 0, 0)), 80);
  EXPECT_EQ(runs::WtrAirTemperatureAt(wtr, OleDateTime(2011, 6, 11, 12, 0, 0)), 60);
  EXPECT_EQ(runs::WtrAirTemperatureAt(wtr, OleDateTime(2011, 7, 1, 12, 0, 0)), 60);
  EXPECT_EQ(runs::WtrAirTemperatureAt((f.dir / "none.wtr").string(), OleDateTime(2011, 6, 10, 12, 0, 0)), 0);

  const std::string wnd = f.Write("a.wnd", "english\n6 10 0600 5 200 10\n6 10 1200 8 220 40\n6 10 1800 3 180 70\n");
  EXPECT_EQ(runs::WndCloudCoverAt(wnd, OleDateTime(2011, 6, 10, 12, 0, 0)), 40);
  EXPECT_EQ(runs::WndCloudCoverAt(wnd, OleDateTime(2011, 6, 10, 17, 59, 0)), 40);
  EXPECT_EQ(runs::WndCloudCoverAt(wnd, OleDateTime(2011, 6, 10, 5, 0, 0)), 0);
  EXPECT_EQ(runs::WndCloudCoverAt((f.dir / "none.wnd").string(), OleDateTime(2011, 6, 10, 12, 0, 0)), 1);
}

TEST(GustforgeOptions, ConditioningEndTakesTheStreamsLastRecordInFahrenheit) {
  Files f;
  CRunInputs in;
  platform::OleDateTime when;
  int air = 75, cloud = 20;
  EXPECT_FALSE(runs::GustforgeConditioningEnd(in, when, air, cloud));  // no weather named
  in.noConditioning = false;
  in.useWeatherStream = true;
  in.weatherStreamFile = f.Write("m.wxs", "RAWS_UNITS: Metric\nRAWS_ELEVATION: 1000\nRAWS: 3\n"
                                          "2011 6 10 1200 18 40 0.00 10 200 10\n"
                                          "2011 6 10 1300 20 35 0.00 10 200 30\n"
                                          "2011 6 10 1400 22 30 0.00 10 200 50\n");
  in.conditioningEnd = OleDateTime(2011, 6, 10, 13, 30, 0);
  ASSERT_TRUE(runs::GustforgeConditioningEnd(in, when, air, cloud));
  EXPECT_EQ(when, in.conditioningEnd);
  EXPECT_EQ(air, 68);
  EXPECT_EQ(cloud, 30);
}

TEST(GustforgeOptions, TimeZonesAndLongitudeOfAProjectedPoint) {
  EXPECT_EQ(runs::TimeZoneOfText(runs::kTimeZoneNames[11]), -1);
  EXPECT_EQ(runs::TimeZoneOfText("12 Auckland"), 12);
  EXPECT_EQ(runs::TimeZoneOfText("Mountain"), 0);
  double lon = 0;
  // UTM zone 12 north: its central meridian is 111 W.
  ASSERT_TRUE(runs::LongitudeOf("EPSG:32612", 500000, 4500000, lon));
  EXPECT_NEAR(lon, -111.0, 1e-6);
  EXPECT_FALSE(runs::LongitudeOf("not a projection", 0, 0, lon));
  EXPECT_FALSE(runs::LongitudeOf("", 0, 0, lon));
}

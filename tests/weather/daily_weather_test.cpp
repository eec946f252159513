#include "weather/daily_weather.h"

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "weather/wx_stream.h"

using platform::OleDateTime;

namespace {

struct Converted {
  int count = 0;
  std::string text;
  CWxStream stream;
  const WxRecord* At(int year, int month, int day, int hour) const {
    const OleDateTime when(year, month, day, hour, 0, 0);
    for (const WxRecord& r : stream.records)
      if (r.date == when) return &r;
    return nullptr;
  }
};

Converted Convert(const std::string& wtr, const std::string& wnd,
                  ConditioningDates dates = {}) {
  TempDir dir;
  Converted c;
  c.count = ConvertWtrWndToWxs(dir.Write("a.wtr", wtr), dir.Write("a.wnd", wnd),
                               dir.File("a.wxs"), dates);
  c.text = TempDir::Read(dir.File("a.wxs"));
  c.stream.ReadText(c.text);
  return c;
}

const char* kCalmAllDays = "1 1 0 5 180 10\n";  // a wind record before every hour

}  // namespace

TEST(DailyWeatherConversion, HalfSineBetweenDailyExtremes) {
  // Minimum 06:00 (40 F, 90 %), maximum 15:00 (80 F, 30 %).
  const Converted c = Convert("8 1 0 600 1500 40 80 90 30 1200\n8 2 0 600 1500 40 80 90 30 1200\n",
                              kCalmAllDays);
  ASSERT_EQ(c.count, 24);  // 13:00 of the first day up to 12:00 of the last
  EXPECT_EQ(c.text.substr(0, c.text.find("2011")),
            "RAWS_ELEVATION: 1200\nRAWS_UNITS: english\nRAWS: 24\n");
  EXPECT_EQ(c.stream.records.front().date, OleDateTime(2011, 8, 1, 13, 0, 0));
  EXPECT_EQ(c.stream.records.back().date, OleDateTime(2011, 8, 2, 12, 0, 0));
  struct {
    int day, hour, t, rh;
  } cases[] = {{1, 15, 80, 30}, {2, 6, 40, 90}, {2, 10, 57, 65}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.hour);
    const WxRecord* r = c.At(2011, 8, k.day, k.hour);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->temperature, k.t);
    EXPECT_EQ(r->humidity, k.rh);
  }
  // 03:00 lies on the fall from the day before's maximum to the morning minimum.
  const WxRecord* night = c.At(2011, 8, 2, 3);
  ASSERT_NE(night, nullptr);
  EXPECT_GT(night->temperature, 40);
  EXPECT_LT(night->temperature, 80);
  EXPECT_NE(c.text.find("\n2011 8 2 0 "), std::string::npos);  // midnight written as 0
}

TEST(DailyWeatherConversion, PrecipitationSpreadOverItsPeriod) {
  struct Case {
    const char* name;
    std::string wtr;
    std::vector<std::pair<std::pair<int, int>, double>> expect;  // (day, hour) -> amount
  };
  const Case cases[] = {
      {"13:00 to 15:00",
       "6 1 0 600 1500 50 70 80 20 0\n6 2 25 600 1500 50 70 80 20 0 1300 1500\n"
       "6 3 0 600 1500 50 70 80 20 0\n",
       {{{2, 13}, 0.0}, {{2, 14}, 0.125}, {{2, 15}, 0.125}, {{2, 16}, 0.0}}},
      {"past midnight into a dry day",
       "6 1 0 600 1500 50 70 80 20 0\n6 2 30 600 1500 50 70 80 20 0 2230 2400\n"
       "6 3 0 600 1500 50 70 80 20 0\n",
       {{{2, 23}, 0.1}, {{3, 0}, 0.2}, {{2, 22}, 0.0}}},
      {"period without length covers its day",
       "6 1 0 600 1500 50 70 80 20 0\n6 2 24 600 1500 50 70 80 20 0\n"
       "6 3 0 600 1500 50 70 80 20 0\n",
       {{{2, 1}, 0.01}, {{2, 13}, 0.01}, {{3, 0}, 0.01}, {{3, 1}, 0.0}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const Converted c = Convert(k.wtr, kCalmAllDays);
    ASSERT_GT(c.count, 0);
    for (const auto& [when, amount] : k.expect) {
      const WxRecord* r = c.At(2011, 6, when.first, when.second);
      ASSERT_NE(r, nullptr) << when.first << " " << when.second;
      EXPECT_NEAR(r->precipitation, amount, 0.0005) << when.first << " " << when.second;
    }
  }
}

TEST(DailyWeatherConversion, YearsUnitsAndRejectedFiles) {
  // 29 February survives, whatever today's year.
  const Converted leap = Convert(
      "2 28 0 600 1500 30 50 90 30 0\n2 29 0 600 1500 30 50 90 30 0\n3 1 0 600 1500 30 50 90 30 0\n",
      "2 28 0 5 180 10\n");
  EXPECT_EQ(leap.count, 48);
  EXPECT_NE(leap.At(2012, 2, 29, 12), nullptr);

  // A December-to-January file runs on into the next year; metric WTR lets WND speeds reach 300.
  const Converted newYear = Convert(
      "METRIC\n12 30 0 600 1500 -12 -2 90 30 0\n12 31 0 600 1500 -12 -2 90 30 0\n\n"
      "1 1 0 600 1500 -12 -2 90 30 0\n1 2 0 600 1500 -12 -2 90 30 0\n",
      "12 30 0 250 90 0\n");
  ASSERT_EQ(newYear.count, 72);
  EXPECT_NE(newYear.text.find("RAWS_UNITS: metric\n"), std::string::npos);
  EXPECT_NE(newYear.At(2012, 1, 1, 0), nullptr);
  for (const WxRecord& r : newYear.stream.records) {
    EXPECT_GE(r.temperature, -12);
    EXPECT_LE(r.temperature, -2);
  }

  // Wind from 14:30 only: earlier hours of that day are left out.
  const Converted late = Convert("8 1 0 600 1500 40 80 90 30 0\n8 2 0 600 1500 40 80 90 30 0\n",
                                 "8 1 1430 7 90 0\n");
  ASSERT_EQ(late.count, 22);
  EXPECT_EQ(late.stream.records.front().date, OleDateTime(2011, 8, 1, 15, 0, 0));

  // A rejected input leaves the existing stream alone.
  TempDir dir;
  const std::string wxs = dir.Write("keep.wxs", "RAWS: 0\n");
  const std::string good = "8 1 0 600 1500 40 80 90 30 0\n8 2 0 600 1500 40 80 90 30 0\n";
  struct {
    const char* name;
    std::string wtr, wnd;
  } bad[] = {
      {"11 fields", "8 1 0 600 1500 40 80 90 30 0 5\n", kCalmAllDays},
      {"word in WTR", good + "rain\n", kCalmAllDays},
      {"word in WND", good, "8 1 0 x 5 180 10\n"},
      {"English speed above 100", good, "english 8 1 0 101 180 10\n"},
      {"single day", "8 1 0 600 1500 40 80 90 30 0\n", kCalmAllDays},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.name);
    EXPECT_EQ(ConvertWtrWndToWxs(dir.Write("b.wtr", b.wtr), dir.Write("b.wnd", b.wnd), wxs), 0);
    EXPECT_EQ(TempDir::Read(wxs), "RAWS: 0\n");
  }
  EXPECT_EQ(ConvertWtrWndToWxs(dir.File("none.wtr"), dir.Write("b.wnd", kCalmAllDays), wxs), 0);
}

TEST(DailyWeatherConversion, ConditioningDatesTakeTheStreamYear) {
  OleDateTime start(2001, 8, 15, 9, 0, 0), end(2001, 8, 20, 9, 0, 0);
  const Converted c = Convert("8 14 0 600 1500 40 80 90 30 0\n8 15 0 600 1500 40 80 90 30 0\n"
                              "8 16 0 600 1500 40 80 90 30 0\n",
                              kCalmAllDays, {&start, &end});
  ASSERT_GT(c.count, 0);
  EXPECT_EQ(start, OleDateTime(2011, 8, 15, 9, 0, 0));
  EXPECT_EQ(end, OleDateTime(2001, 8, 20, 9, 0, 0));
}

TEST(DailyWeatherRules, WindIsTheLastRecordInFileOrderAtOrBeforeTheHour) {
  std::vector<WndEntry> winds;
  bool metric = false;
  // The 10:00 record comes after the 11:00 one in the file: at 12:00 it still wins.
  ASSERT_TRUE(ReadWndEntries("8 1 1100 5 90 10\n8 1 1000 7 180 20\n8 1 1300 9 270 30\n", 2011,
                             false, winds, metric));
  int speed = -1, direction = -1, cloud = -1;
  EXPECT_FALSE(HourlyWindCloud(winds, OleDateTime(2011, 8, 1, 9, 0, 0), &speed, &direction, &cloud));
  EXPECT_EQ(speed, -1);
  ASSERT_TRUE(HourlyWindCloud(winds, OleDateTime(2011, 8, 1, 12, 0, 0), &speed, &direction, &cloud));
  EXPECT_EQ(speed, 7);
  const Converted c =
      Convert("8 1 0 600 1500 40 80 90 30 0\n8 2 0 600 1500 40 80 90 30 0\n",
              "8 1 1100 5 90 10\n8 1 1000 7 180 20\n8 1 1300 9 270 30\n");
  ASSERT_NE(c.At(2011, 8, 1, 13), nullptr);
  EXPECT_EQ(c.At(2011, 8, 1, 13)->windSpeed, 9);
  ASSERT_NE(c.At(2011, 8, 2, 12), nullptr);
  EXPECT_EQ(c.At(2011, 8, 2, 12)->windDirection, 270);

  std::vector<WtrDay> days;
  ASSERT_TRUE(ReadWtrDays("8 1 0 600 1500 40 80 90 30 0\n", 2011, days, metric));
  int t = 0, rh = 0;
  double rain = -1;
  EXPECT_FALSE(HourlyTempRH(days, OleDateTime(2011, 8, 2, 12, 0, 0), &t, &rh));
  EXPECT_EQ(t, 1);
  EXPECT_FALSE(HourlyPrecip(days, OleDateTime(2011, 8, 2, 12, 0, 0), &rain));
  EXPECT_EQ(rain, 0.0);
  EXPECT_TRUE(HourlyTempRH(days, OleDateTime(2011, 8, 1, 12, 0, 0), &t, &rh));
}

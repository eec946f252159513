#include "weather/wx_records.h"

#include <gtest/gtest.h>

using platform::OleDateTime;
using namespace weather;

namespace {

CWxStream Hourly(int count, OleDateTime start = OleDateTime(2020, 7, 1, 0, 0, 0)) {
  CWxStream s;
  for (int i = 0; i < count; ++i) {
    WxRecord r;
    r.date = start + i * kHour;
    r.temperature = 50 + i;
    r.humidity = 30 + i % 50;
    r.precipitation = 0.01 * i;
    r.windSpeed = i % 20;
    r.windDirection = (i * 15) % 360;
    r.cloudCover = i % 100;
    s.records.push_back(r);
  }
  return s;
}

std::string Text(const OleDateTime& t) { return t.Format("%m/%d/%Y %H:%M"); }

}  // namespace

TEST(WxRecordOps, AppendsCopiesAndDaysFollowTheLastRecord) {
  CWxStream s;
  std::string m;
  EXPECT_FALSE(AppendBlankAfterLast(s, false, m));  // an empty stream asks for a start first
  EXPECT_FALSE(AppendBlankRecords(s, OleDateTime::Invalid(), 3, m));
  EXPECT_EQ(m, "The start date and time is not a valid date.");
  ASSERT_TRUE(AppendBlankRecords(s, OleDateTime(2020, 7, 1, 23, 0, 0), 3, m));
  ASSERT_EQ(s.records.size(), 3u);
  EXPECT_EQ(Text(s.records[1].date), "07/02/2020 00:00");
  EXPECT_EQ(Text(s.records[2].date), "07/02/2020 01:00");
  EXPECT_EQ(s.records[2].temperature, 0);

  s.records[2].temperature = 61;
  s.records[2].precipitation = 0.3;
  ASSERT_TRUE(AppendCopyLast(s, m));
  EXPECT_EQ(Text(s.records[3].date), "07/02/2020 02:00");
  EXPECT_EQ(s.records[3].temperature, 61);
  EXPECT_EQ(s.records[3].precipitation, 0.3);
  ASSERT_TRUE(AppendBlankAfterLast(s, true, m));
  EXPECT_EQ(s.records.size(), 28u);
  EXPECT_EQ(Text(s.records.back().date), "07/03/2020 02:00");
  EXPECT_EQ(s.records.back().temperature, 0);

  // A last record without a date cannot be followed.
  s.records.back().date = OleDateTime::Invalid();
  for (auto op : {+[](CWxStream& x, std::string& mm) { return AppendCopyLast(x, mm); },
                  +[](CWxStream& x, std::string& mm) { return AppendBlankAfterLast(x, false, mm); },
                  +[](CWxStream& x, std::string& mm) { return AppendCopyLastDay(x, mm); }}) {
    EXPECT_FALSE(op(s, m));
    EXPECT_EQ(m, "Record 28 has no valid date and time");
    EXPECT_EQ(s.records.size(), 28u);
  }
}

TEST(WxRecordOps, CopyLastDayTakesTheRecordsOfTheLast24Hours) {
  CWxStream s = Hourly(48);
  std::string m;
  ASSERT_TRUE(AppendCopyLastDay(s, m));
  ASSERT_EQ(s.records.size(), 72u);
  for (int i = 48; i < 72; ++i) {
    EXPECT_NEAR(s.records[i].date - s.records[i - 24].date, 1.0, 1e-9);
    EXPECT_EQ(s.records[i].temperature, s.records[i - 24].temperature);
  }
  // Records every 6 hours: the one exactly a day before the last is left out.
  CWxStream q;
  for (int i = 0; i < 6; ++i) q.records.push_back(WxRecord{OleDateTime(2020, 7, 1, 0, 0, 0) + i * 0.25});
  ASSERT_TRUE(AppendCopyLastDay(q, m));
  EXPECT_EQ(q.records.size(), 10u);
  EXPECT_EQ(Text(q.records[6].date), "07/02/2020 12:00");
}

TEST(WxRecordOps, InsertKeepsAnHourFromTheRecordBefore) {
  CWxStream s = Hourly(4);
  s.records[3].date = s.records[2].date + 3 * kHour;  // a 3-hour gap before record 4
  std::string m;
  struct Case {
    int row;
    bool ok;
    const char* message;
    const char* inserted;  // date of the new record, at index `row`
  };
  const Case cases[] = {
      {0, true, "", "06/30/2020 23:00"},  // before the first: no check
      {2, false, "Record 2 is already within an hour of 07/01/2020 01:00", ""},
      {4, true, "", "07/01/2020 04:00"},  // into the gap
  };
  // Formats use two-digit years in messages; the table writes four for readability.
  for (const Case& c : cases) {
    const std::size_t before = s.records.size();
    EXPECT_EQ(InsertRecordBefore(s, c.row, m), c.ok) << c.row;
    if (c.ok) {
      EXPECT_EQ(s.records.size(), before + 1);
      EXPECT_EQ(Text(s.records[c.row].date), c.inserted);
    } else {
      EXPECT_EQ(m, "Record 2 is already within an hour of 07/01/20 01:00");
      EXPECT_EQ(s.records.size(), before);
    }
  }
  s.records[1].date = OleDateTime::Invalid();
  EXPECT_FALSE(InsertRecordBefore(s, 1, m));
  EXPECT_EQ(m, "Record 2 has no valid date and time");
}

TEST(WxRecordOps, DeleteKeepsTheConditioningPeriodWithinTheRecords) {
  CWxStream s = Hourly(6);
  OleDateTime start = s.records[0].date, end = s.records[5].date;
  DeleteRecords(s, {0, 5, 5, 9}, start, end);
  ASSERT_EQ(s.records.size(), 4u);
  EXPECT_EQ(s.records[0].temperature, 51);
  EXPECT_EQ(start, s.records[0].date);
  EXPECT_EQ(end, s.records[3].date);
  OleDateTime inside = s.records[1].date;
  DeleteRecords(s, {3}, inside, end);
  EXPECT_EQ(inside, s.records[1].date);  // already within: unchanged
  DeleteRecords(s, {0, 1, 2}, start, end);
  EXPECT_TRUE(s.records.empty());
  EXPECT_FALSE(start.IsValid());
  EXPECT_FALSE(end.IsValid());
}

TEST(WxBurnPeriods, TickedHoursOfOneDayMerge) {
  auto at = [](int d, int h) { return OleDateTime(2020, 7, d, h, 0, 0); };
  using P = WxBurnPeriod;
  EXPECT_EQ(MergeBurnHours({at(1, 10), at(1, 11), at(1, 13)}), (std::vector<P>{{7, 1, 10, 12}, {7, 1, 13, 14}}));
  EXPECT_EQ(MergeBurnHours({at(1, 22), at(1, 23), at(2, 0)}), (std::vector<P>{{7, 1, 22, 24}, {7, 2, 0, 1}}));
  EXPECT_EQ(MergeBurnHours({OleDateTime::Invalid()}), (std::vector<P>{{-1, -1, -1, 0}}));
  EXPECT_TRUE(MergeBurnHours({}).empty());
}

TEST(WxBulkEdit, AssignmentsConditionsAndStatements) {
  struct Case {
    int target;
    bool expression;
    double x;
    int op;
    WxRecord before;
    double after;
  };
  WxRecord r;
  r.temperature = 20, r.humidity = 55, r.precipitation = 0.5, r.windSpeed = 7;
  const Case cases[] = {
      {0, false, 12.9, -1, r, 12},  {0, false, -3.7, -1, r, -3},   {2, false, 0.257, -1, r, 0.257},
      {1, true, 1.1, 3, r, 60},     {3, true, 0, 2, r, 7},          {3, true, 2, 2, r, 3},
      {2, true, 0.25, 0, r, 0.75},  {1, true, 60, 1, r, -5},        {1, true, 5, 9, r, 55},
  };
  for (const Case& c : cases) {
    WxRecord x = c.before;
    ApplyAssignment(x, c.target, c.expression, c.x, c.op);
    EXPECT_DOUBLE_EQ(WxsFieldValue(x, c.target), c.after) << c.target << " " << c.op << " " << c.x;
    EXPECT_EQ(x.date, c.before.date);
  }

  const WxsCondition hot{0, 4, "80"}, calm{3, 1, "10"};
  EXPECT_EQ(hot.GetText(), "Temperature > 80\r\n");
  WxsAssignment a;
  EXPECT_EQ(BuildBulkStatement(a, {hot}), "");
  a.target = 1, a.constantText = "5";
  EXPECT_EQ(BuildBulkStatement(a, {hot, calm}), "Set RH = 5 IF Temperature > 80\r\n\tAND Wind Speed <= 10\r\n");
  a.expression = true, a.expressionText = "1.1";
  EXPECT_EQ(BuildBulkStatement(a, {}), "Set RH ");
  a.op = 3;
  EXPECT_EQ(BuildBulkStatement(a, {hot}), "Set RH = RH * 1.1\r\n IF Temperature > 80\r\n");

  struct Check {
    WxsAssignment a;
    const char* message;
  };
  const Check checks[] = {
      {{-1, false, "5", -1, ""}, "A Target Variable must be selected"},
      {{0, false, " ", -1, ""}, "A Constant Value must be entered"},
      {{0, false, "abc", -1, ""}, "The Constant Value \"abc\" is not a number"},
      {{0, true, "", 1, " "}, "An Expression Value must be entered"},
      {{0, true, "", -1, "2"}, "An Expression Operator must be selected"},
      {{0, true, "", 0, "2x"}, "The Expression Value \"2x\" is not a number"},
      {{0, true, "", 0, " 2.5 "}, ""},
  };
  for (const Check& c : checks) {
    std::string m;
    EXPECT_EQ(CheckBulkInputs(c.a, m), *c.message == 0);
    EXPECT_EQ(m, c.message);
  }

  CWxStream s = Hourly(30);  // temperatures 50..79, wind speeds 0..19 then 0..9
  const std::vector<WxsCondition> both{{0, 3, "60"}, {3, 0, "15"}};
  EXPECT_EQ(BulkMatches(s, nullptr, {}).size(), 30u);
  EXPECT_EQ(BulkMatches(s, nullptr, both), (std::vector<int>{10, 11, 12, 13, 14, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));
  const std::vector<int> rows{0, 12, 16, 25};
  EXPECT_EQ(BulkMatches(s, &rows, both), (std::vector<int>{12, 25}));
  EXPECT_TRUE(WxsCondition({1, 2, "55"}).Test(r));
  EXPECT_FALSE(WxsCondition({1, 0, "55"}).Test(r));
}

TEST(WxGraphDays, DaysPagingAndRecordColours) {
  const CWxStream one = Hourly(24);
  EXPECT_EQ(GraphDays(one).size(), 1u);
  CWxStream yearApart;
  yearApart.records = {WxRecord{OleDateTime(2020, 3, 1, 0, 0, 0)}, WxRecord{OleDateTime(2021, 3, 2, 0, 0, 0)}};
  EXPECT_EQ(GraphDays(yearApart).size(), 1u);  // day 61 of a leap year and of the next

  const CWxStream five = Hourly(5 * 24 - 6, OleDateTime(2020, 7, 1, 6, 0, 0));
  const auto days = GraphDays(five);
  ASSERT_EQ(days.size(), 5u);
  EXPECT_EQ(days[0].firstIndex, 0);
  EXPECT_EQ(days[0].lastIndex, 17);
  EXPECT_EQ(days[4].lastIndex, 113);

  GraphPaging p;
  p.Start(5);
  auto shown = [&] { return std::to_string(p.firstDay) + "-" + std::to_string(p.lastDay); };
  EXPECT_EQ(shown(), "0-1");
  p.Forward();
  EXPECT_EQ(shown(), "2-3");
  p.Forward();
  EXPECT_EQ(shown(), "3-4");
  EXPECT_TRUE(p.SetVisible(3));
  EXPECT_EQ(shown(), "2-4");
  for (int bad : {0, 6, -1}) EXPECT_FALSE(p.SetVisible(bad));
  EXPECT_EQ(shown(), "2-4");
  p.Back();
  EXPECT_EQ(shown(), "0-2");

  const CWxStream s = Hourly(6);
  const OleDateTime start = s.records[1].date, end = s.records[5].date;
  const auto colours = RecordColors(s, {{7, 1, 3, 4}}, start, end, 1, 2, 3);
  EXPECT_EQ(colours, (std::vector<uint32_t>{1, 2, 2, 3, 2, 1}));
}

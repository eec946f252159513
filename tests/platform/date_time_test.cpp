#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/date_time.h"
#include "support/locales.h"

using platform::OleDateTime;

TEST(OleDateTime, EpochAndKnownDays) {
  struct Case { double days; int y, mo, d, h, mi, s; };
  const Case cases[] = {
      {0.0, 1899, 12, 30, 0, 0, 0},
      {1.0, 1899, 12, 31, 0, 0, 0},
      {2.5, 1900, 1, 1, 12, 0, 0},
      {-1.25, 1899, 12, 29, 6, 0, 0},   // negative days, forward fraction
      {40252.5416666667, 2010, 3, 15, 13, 0, 0},
      {36526.0, 2000, 1, 1, 0, 0, 0},
      {0.99999999, 1899, 12, 31, 0, 0, 0},  // rounds to the next second
  };
  for (const auto& c : cases) {
    OleDateTime t(c.days);
    ASSERT_TRUE(t.IsValid()) << c.days;
    EXPECT_EQ(t.GetYear(), c.y) << c.days;
    EXPECT_EQ(t.GetMonth(), c.mo) << c.days;
    EXPECT_EQ(t.GetDay(), c.d) << c.days;
    EXPECT_EQ(t.GetHour(), c.h) << c.days;
    EXPECT_EQ(t.GetMinute(), c.mi) << c.days;
    EXPECT_EQ(t.GetSecond(), c.s) << c.days;
    // Built from the same parts it lands on the same instant.
    EXPECT_TRUE(OleDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s) == t) << c.days;
  }
}

TEST(OleDateTime, PartsMustRoundTrip) {
  struct Case { int y, mo, d, h, mi, s; bool valid; };
  const Case cases[] = {
      {2010, 4, 31, 0, 0, 0, false}, {2010, 4, 30, 23, 59, 59, true}, {2010, 1, 1, 24, 0, 0, false},
      {2010, 1, 1, 0, 60, 0, false}, {2010, 1, 1, 0, 0, 60, false},   {2012, 2, 29, 0, 0, 0, true},
      {2011, 2, 29, 0, 0, 0, false}, {1900, 2, 29, 0, 0, 0, false},   {2000, 2, 29, 0, 0, 0, true},
      {2010, 13, 1, 0, 0, 0, false}, {2010, 0, 1, 0, 0, 0, false},    {2010, 1, 0, 0, 0, 0, false},
      {10000, 1, 1, 0, 0, 0, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OleDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s).IsValid(), c.valid)
        << c.y << "-" << c.mo << "-" << c.d << " " << c.h << ":" << c.mi << ":" << c.s;
}

TEST(OleDateTime, EqualityWithinHalfSecondAndStatus) {
  OleDateTime a(2010, 3, 15, 13, 0, 0);
  EXPECT_TRUE(a == a + 0.49 / 86400);
  EXPECT_FALSE(a == a + 0.51 / 86400);
  EXPECT_TRUE(a < a + 0.49 / 86400);  // ordering stays strict
  EXPECT_TRUE(OleDateTime::Null() == OleDateTime::Null());
  EXPECT_FALSE(OleDateTime::Null() == OleDateTime::Invalid());
  EXPECT_FALSE(a == OleDateTime::Invalid());
}

TEST(OleDateTime, ArithmeticAcrossBoundaries) {
  OleDateTime eve(2009, 12, 31, 23, 0, 0);
  OleDateTime next = eve.AddHours(2);
  EXPECT_EQ(next.GetYear(), 2010);
  EXPECT_EQ(next.GetHour(), 1);
  EXPECT_NEAR(next - eve, 2.0 / 24, 1e-9);
  EXPECT_EQ(OleDateTime(2012, 12, 31, 0, 0, 0).GetDayOfYear(), 366);
  EXPECT_EQ(OleDateTime(2011, 3, 1, 0, 0, 0).GetDayOfYear(), 60);
  EXPECT_EQ(OleDateTime(2010, 3, 15, 0, 0, 0).GetDayOfWeek(), 2);  // a Monday
  // Stepping hour by hour over day 0 from the negative side stays on the time line.
  OleDateTime t(1899, 12, 29, 22, 0, 0);
  for (int i = 0; i < 4; ++i) t = t.AddHours(1);
  EXPECT_TRUE(t == OleDateTime(1899, 12, 30, 2, 0, 0));
  EXPECT_TRUE(OleDateTime(1899, 12, 29, 6, 0, 0) < OleDateTime(1899, 12, 29, 18, 0, 0));
  EXPECT_FALSE(OleDateTime::Invalid().AddDays(1).IsValid());
}

TEST(OleDateTime, FormatsAndParsesEnglish) {
  OleDateTime t(2010, 3, 15, 13, 5, 0);
  EXPECT_EQ(t.Format("%m/%d/%y %H:%M"), "03/15/10 13:05");
  EXPECT_EQ(t.Format("%B %d %Y %I:%M %p %j %a"), "March 15 2010 01:05 PM 074 Mon");
  EXPECT_EQ(t.Format(), "3/15/2010 1:05:00 PM");
  EXPECT_EQ(OleDateTime(2010, 3, 15, 0, 0, 0).Format(), "3/15/2010");
  EXPECT_EQ(OleDateTime(0.25).Format(), "6:00:00 AM");
  EXPECT_EQ(OleDateTime::Null().Format(), "");
  EXPECT_EQ(OleDateTime::Invalid().Format(), "Invalid DateTime");

  struct Case { const char* text; bool ok; int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0; };
  const Case cases[] = {
      {"03/15/10 13:05", true, 2010, 3, 15, 13, 5, 0},
      {"3/15/2010 1:05:00 PM", true, 2010, 3, 15, 13, 5, 0},
      {"3/15/2010", true, 2010, 3, 15, 0, 0, 0},
      {"12/31/99 12:00 AM", true, 1999, 12, 31, 0, 0, 0},
      {"2010-03-15 06:30:15", true, 2010, 3, 15, 6, 30, 15},
      {"Monday, March 15, 2010 1:05 PM", true, 2010, 3, 15, 13, 5, 0},
      {"15 Mar 2010", true, 2010, 3, 15, 0, 0, 0},
      {"6:00:00 AM", true, 1899, 12, 30, 6, 0, 0},
      {"4/31/2010", false}, {"3/15/2010 25:00", false}, {"13:00 PM", false},
      {"", false}, {"hello", false}, {"3/15", false}, {"3.15.2010", false},
      {"99999999999/1/1", false},
  };
  for (const auto& c : cases) {
    OleDateTime p;
    EXPECT_EQ(p.ParseDateTime(c.text), c.ok) << c.text;
    EXPECT_EQ(p.IsValid(), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_TRUE(p == OleDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s)) << c.text << " -> " << p.Format();
  }
}

// The process locale must not change the text: build a German locale when the system can.
TEST(OleDateTime, EnglishUnderGermanLocale) {
  std::string old = std::setlocale(LC_ALL, nullptr);
  if (!test_support::UseGermanLocale(LC_ALL)) GTEST_SKIP() << "no German locale can be built here";
  OleDateTime t;
  bool ok = t.ParseDateTime("March 15, 2010 1:05:30 PM");
  std::string text = t.Format();
  std::string fmt = t.Format("%b %m/%d/%y %H:%M");
  std::setlocale(LC_ALL, old.c_str());
  EXPECT_TRUE(ok);
  EXPECT_EQ(text, "3/15/2010 1:05:30 PM");
  EXPECT_EQ(fmt, "Mar 03/15/10 13:05");
}

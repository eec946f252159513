#include "weather/wx_stream.h"

#include <gtest/gtest.h>

#include "temp_dir.h"

using platform::OleDateTime;

namespace {

std::string Hourly(int fromHour, int toHour, int day = 7) {
  std::string s;
  for (int h = fromHour; h <= toHour; ++h)
    s += "2024 8 " + std::to_string(day) + " " + std::to_string(h * 100) + " 70 40 0.00 5 180 10\n";
  return s;
}

CWxStream FromText(const std::string& text, int units = 0) {
  CWxStream s;
  s.units = units;
  s.ReadText(text);
  return s;
}

std::string Check(const CWxStream& s, int* index = nullptr) {
  std::string msg;
  int i = s.CheckRecords(msg);
  if (index) *index = i;
  return i < 0 ? "" : msg;
}

}  // namespace

TEST(WxStreamFile, EachWriterLayoutRoundTripsByteForByte) {
  TempDir dir;
  const std::string source =
      "RAWS_ELEVATION: 1200\nRAWS_UNITS: Metric\nRAWS: 3\n"
      "2024 2 29 0 -5 90 0.25 12 270 100\n2024 2 29 130 -4 88 1.5 3 0 0\n"
      "2024 2 29 230 -3 85 12.75 0 360 50\n";

  // Editor layout: read, save, read, save.
  CWxStream a = FromText(source);
  ASSERT_EQ(a.records.size(), 3u);
  ASSERT_TRUE(WriteWxsEditorLayout(a, dir.File("e1.wxs")));
  CWxStream b;
  ASSERT_EQ(b.Read(dir.File("e1.wxs")), 3);
  ASSERT_TRUE(WriteWxsEditorLayout(b, dir.File("e2.wxs")));
  const std::string e1 = TempDir::Read(dir.File("e1.wxs"));
  EXPECT_EQ(e1, TempDir::Read(dir.File("e2.wxs")));
  EXPECT_EQ(e1.substr(0, e1.find("2024")),
            "RAWS_UNITS: Metric\nRAWS_ELEVATION: 1200\nRAWS: 3\n"
            "Year  Mth  Day   Time    Temp     RH  HrlyPcp  WindSpd WindDir CloudCov\n");
  EXPECT_NE(e1.find("2024 \t2 \t29 \t0130 \t  -4 \t  88   1.50 \t   3 \t   0 \t   0\n"),
            std::string::npos);

  // Conversion layout.
  const std::string c1 = WxsConversionText(a);
  EXPECT_EQ(c1.substr(0, c1.find("2024")), "RAWS_ELEVATION: 1200\nRAWS_UNITS: metric\nRAWS: 3\n");
  EXPECT_NE(c1.find("2024 2 29 0 -5 90 0.250 12 270 100\n2024 2 29 130 "), std::string::npos);
  EXPECT_EQ(WxsConversionText(FromText(c1)), c1);

  // Import layout keeps the source lines and fills in a missing units line.
  const std::string i1 = WxsImportText("RAWS_ELEVATION: 7\n2024 1 1 100 1 2 0.5 3 4 5 junk\n");
  EXPECT_EQ(i1, "RAWS_ELEVATION: 7\nRAWS_UNITS: English\nRAWS: 1\n2024 1 1 100 1 2 0.5 3 4 5 junk\n");
  EXPECT_EQ(WxsImportText(i1), i1);
  EXPECT_EQ(WxsImportText(source), source);
}

TEST(WxStreamFile, ReaderHeaderLinesAndRecordLines) {
  // Units: only a "metric" word switches to Metric; English never switches back.
  EXPECT_EQ(FromText("RAWS_UNITS: METRIC\n").units, 1);
  EXPECT_EQ(FromText("raws_units: metric\n").units, 1);
  EXPECT_EQ(FromText("RAWS_UNITS: English\n", 1).units, 1);
  EXPECT_EQ(FromText("").units, 0);

  // The elevation line needs a blank after its colon; the search goes on past one that has none.
  CWxStream e = FromText("RAWS_ELEVATION:12\nRAWS_ELEVATION: 34\n");
  EXPECT_TRUE(e.elevationRead);
  EXPECT_EQ(e.elevation, 34);
  EXPECT_FALSE(FromText("RAWS: 0\n").elevationRead);

  CWxStream s = FromText(
      "2024 8 7 830 1 2 0.1 3 4 5\n"
      "2024 8 7 0930 1 2 0.1 3 4 5 99\n"   // eleventh number ignored
      "2024 8 7 1030 1.5 2 0.1 3 4 5\n"    // decimal temperature: not a record
      "2024 8 7 2400 1 2 0.1 3 4 5\n"      // a record with an invalid date
      "2024 4 31 1000 1 2 0.1 3 4 5\n");
  ASSERT_EQ(s.records.size(), 4u);
  EXPECT_EQ(s.records[0].date.GetHour(), 8);
  EXPECT_EQ(s.records[0].date.GetMinute(), 30);
  EXPECT_TRUE(s.records[1].date == OleDateTime(2024, 8, 7, 9, 30, 0));
  EXPECT_FALSE(s.records[2].date.IsValid());
  EXPECT_FALSE(s.records[3].date.IsValid());

  // Reading into the same stream appends.
  TempDir dir;
  const std::string path = dir.Write("s.wxs", Hourly(0, 2));
  CWxStream twice;
  EXPECT_EQ(twice.Read(path), 3);
  EXPECT_EQ(twice.Read(path), 6);
  int index = 0;
  EXPECT_NE(Check(twice, &index).find("records 3 and 4 are non-sequential"), std::string::npos);
  EXPECT_EQ(index, 3);
  EXPECT_EQ(twice.Read(dir.File("missing.wxs")), -1);
  EXPECT_EQ(twice.records.size(), 6u);
}

TEST(WxStreamChecks, MessagesAndIndexes) {
  struct Case {
    const char* name;
    std::string text;
    int units;
    int index;
    std::string message;
  };
  const std::string good = "2024 8 7 1000 70 40 0.00 5 180 10\n";
  const Case cases[] = {
      {"empty", "RAWS: 0\n", 0, 0, "No Records in WXS"},
      {"gap of 3:59 passes", good + "2024 8 7 1359 70 40 0 5 180 10\n", 0, -1, ""},
      {"gap of 4 hours", good + "2024 8 7 1400 70 40 0 5 180 10\n", 0, 1,
       "Error, records 1 and 2 exceed 3 hours span\n 2024 8 7 : 1000 - 2024 8 7 : 1400 "},
      {"same time", good + good, 0, 1,
       "Error, records 1 and 2 are non-sequential\n 2024 8 7 : 1000 - 2024 8 7 : 1000"},
      {"hhmm 2400", good + "2024 8 7 2400 70 40 0 5 180 10\n", 0, 1,
       "Error, record 2, date or time is invalid"},
      {"31 April", "2024 4 31 1000 70 40 0 5 180 10\n", 0, 0,
       "Error, record 1, date or time is invalid"},
      {"humidity -1 in record 5", Hourly(0, 3) + "2024 8 7 400 70 -1 0 5 180 10\n", 0, 4,
       "Error, record 5, RH -1 is invalid"},
      {"temperature checked before wind",
       "2024 8 7 0 70 40 0 5 180 10\n2024 8 7 100 70 40 0 100 180 10\n"
       "2024 8 7 200 151 40 0 5 180 10\n",
       0, 2, "Error, record 3, temperature 151 is invalid"},
      {"temperature -101", "2024 8 7 0 -101 40 0 5 180 10\n", 0, 0,
       "Error, record 1, temperature -101 is invalid"},
      {"precipitation 6 English", "2024 8 7 0 70 40 6.0 5 180 10\n", 0, -1, ""},
      {"precipitation 6.001 English", "2024 8 7 0 70 40 6.001 5 180 10\n", 0, 0,
       "Error, record 1, Precipiation 6.001 is invalid"},
      {"precipitation 152.4 Metric", "2024 8 7 0 20 40 152.4 5 180 10\n", 1, -1, ""},
      // In its own unit: 88 is a hot day in Fahrenheit and no day at all in Celsius.
      {"88 English", "2024 8 7 0 88 40 0 5 180 10\n", 0, -1, ""},
      {"88 Metric", "2024 8 7 0 88 40 0 5 180 10\n", 1, 0, "Error, record 1, temperature 88 is invalid"},
      {"direction 361", "2024 8 7 0 70 40 0 5 361 10\n", 0, 0,
       "Error, record 1, Wind Direction 361 is invalid"},
      {"cloud -1", "2024 8 7 0 70 40 0 5 360 -1\n", 0, 0,
       "Error, record 1, Cloud Cover -1 is invalid"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int index = 0;
    EXPECT_EQ(Check(FromText(c.text, c.units), &index), c.message);
    EXPECT_EQ(index, c.index);
  }
}

TEST(WxStreamChecks, ValidateGivesFirstAndLastDates) {
  OleDateTime first, last;
  std::string msg = "old";
  CWxStream s = FromText(Hourly(5, 9));
  ASSERT_TRUE(s.Validate(first, last, msg));
  EXPECT_EQ(msg, "");
  EXPECT_TRUE(first == OleDateTime(2024, 8, 7, 5, 0, 0));
  EXPECT_TRUE(last == OleDateTime(2024, 8, 7, 9, 0, 0));
  EXPECT_FALSE(CWxStream().Validate(first, last, msg));
  EXPECT_EQ(msg, "No Records in WXS");
  EXPECT_FALSE(first.IsValid());
}

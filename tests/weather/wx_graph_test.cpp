#include "weather/wx_graph.h"

#include <gtest/gtest.h>

#include "app/application.h"
#include "app/preferences_file.h"
#include "weather/wx_editor.h"
#include "weather/wx_records.h"

using platform::OleDateTime;
using namespace weather;

namespace {

// Seven days of hourly records: temperatures climbing 40..80 in a saw, humidity held at 50.
CWxStream Week() {
  CWxStream s;
  for (int i = 0; i < 7 * 24; ++i) {
    WxRecord r;
    r.date = OleDateTime(2021, 8, 1, 0, 0, 0) + i * kHour;
    r.temperature = 40 + i % 41;
    r.humidity = 50;
    r.windSpeed = i % 12;
    r.windDirection = (i * 45) % 360;
    r.cloudCover = i % 51;
    r.precipitation = i % 24 == 5 ? 0.5 : 0;
    s.records.push_back(r);
  }
  return s;
}

bool Black(platform::Rgba p) { return p.r < 60 && p.g < 60 && p.b < 60; }

}  // namespace

TEST(WxGraph, AxesFollowTheShownRecords) {
  const CWxStream s = Week();
  const WxPaneAxes t = PaneAxes(WxPane::TempRH, s, 0, 167);
  EXPECT_EQ(t.leftLo, 36);
  EXPECT_EQ(t.leftHi, 84);
  EXPECT_EQ(t.rightLo, 50);  // one humidity: no pad, a single label
  EXPECT_EQ(t.rightHi, 50);
  const WxPaneAxes w = PaneAxes(WxPane::WindCloud, s, 0, 167);
  EXPECT_EQ(w.leftHi, 12);  // 11 + max(11 / 10, 1)
  EXPECT_EQ(w.rightHi, 55);
  EXPECT_EQ(PaneAxes(WxPane::Precip, s, 0, 167).leftHi, 0.5);
  EXPECT_EQ(PaneAxes(WxPane::WindCloud, s, 0, 0).leftHi, 1);  // no wind: 0 to 1

  struct Case {
    double a, b;
    std::vector<std::string> labels;
  };
  const std::string deg = "\xC2\xB0";
  const Case cases[] = {
      {36, 84, {"36", "41", "46", "51", "56", "61", "66", "71", "76", "81"}},
      {24, 96, {"24", "34", "44", "54", "64", "74", "84", "94"}},
      {0, 1, {"0.000", "0.250", "0.500", "0.750", "1.000"}},
      {50, 50, {"50.00"}},
      {0, 0.03, {"0.000", "0.010", "0.020", "0.030"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> want;
    for (const auto& l : c.labels) want.push_back(l + deg);
    EXPECT_EQ(AxisLabels(c.a, c.b, 280, deg), want) << c.a << ".." << c.b;
  }
}

// Done when: a 7-day stream drawn headless has one point per hour per series at the rows the
// axis gives it.
TEST(WxGraph, AWeekHasOneMarkerPerHourPerSeriesAtItsRow) {
  const CWxStream s = Week();
  platform::Image img(1600, 300);
  DrawWxsPane(img, WxPane::TempRH, s, 0, 167, {}, DefaultGraphSettings());
  const WxPaneLayout l = LayoutPane(1600, 300, 0, 167);
  ASSERT_GE(l.column, 7) << "markers must not touch";
  const int h = l.PlotHeight();
  // By hand on the axis 36..84: 40 lies 4/48 of the plot up, 60 half-way, 80 44/48.
  EXPECT_EQ(l.Y(40, 36, 84), l.plotBottom - static_cast<int>(4.0 / 48 * h));
  EXPECT_EQ(l.Y(60, 36, 84), l.plotBottom - h / 2);
  EXPECT_EQ(l.Y(80, 36, 84), l.plotBottom - static_cast<int>(44.0 / 48 * h));
  EXPECT_EQ(l.Y(50, 50, 50), l.plotBottom);

  const platform::Rgba red{255, 10, 10, 255}, green{10, 220, 10, 255};
  for (int i = 0; i < 168; ++i) {
    const int x = l.X(i), y = l.Y(s.records[i].temperature, 36, 84);
    EXPECT_TRUE(Black(img.GetPixel(x, y))) << "temperature marker " << i;
    EXPECT_EQ(img.GetPixel(x, y - 3), red) << "temperature ring " << i;
    EXPECT_EQ(img.GetPixel(x, l.plotBottom - 3), green) << "humidity ring " << i;
  }
  // Black marker fills between the rows of the temperature curve: exactly one run of columns
  // per record.
  int runs = 0;
  bool in = false;
  for (int x = l.X(0) - 5; x <= l.X(167) + 5; ++x) {
    bool black = false;
    for (int y = l.Y(80, 36, 84) - 1; y <= l.Y(40, 36, 84) + 1 && !black; ++y) black = Black(img.GetPixel(x, y));
    if (black && !in) ++runs;
    in = black;
  }
  EXPECT_EQ(runs, 168);
}

TEST(WxGraph, WindAndPrecipitationPanesDrawTheirMarks) {
  const CWxStream s = Week();
  WxGraphSettings g = DefaultGraphSettings();
  g.precipHatch = 4;
  const std::vector<uint32_t> colours(s.records.size(), 0xA0FFD2u);
  // The precipitation pane is a fifth of the graph: its labels are still 10 pixels tall.
  EXPECT_GE(LayoutPane(1200, 100, 24, 71).labelSize, 10);
  for (WxPane pane : {WxPane::WindCloud, WxPane::Precip}) {
    platform::Image img(1200, 200);
    DrawWxsPane(img, pane, s, 24, 71, colours, g);
    const WxPaneLayout l = LayoutPane(1200, 200, 24, 71);
    if (pane == WxPane::Precip) {
      // The bar of 05:00 on the second day reaches the top of the axis (0.5 of 0.5).
      const int x = l.X(29);
      EXPECT_EQ(img.GetPixel(x - 1 - l.column / 2, l.plotBottom - l.PlotHeight() / 2), (platform::Rgba{10, 10, 120, 255}));
    } else {
      // Wind markers are filled white: the centre of calm record 36's marker.
      const int x = l.X(36), y = l.Y(s.records[36].windSpeed, 0, 12);
      EXPECT_EQ(img.GetPixel(x, y), (platform::Rgba{255, 255, 255, 255}));
    }
  }
}

TEST(WxGraphSettings, GraphAndRecordColoursAreKeptInThePreferencesFile) {
  StoredPreferences& app = GetApp();
  const StoredPreferences before = app;
  WxGraphSettings g = DefaultGraphSettings();
  g.curveColor[2] = WxGraphSettings::Rgb(1, 2, 3);
  g.curveWidth[1] = 7;
  g.precipHatch = 4;
  g.lineStyle[3] = 2;
  g.verticalLines = 2;
  g.verticalColor = WxGraphSettings::Rgb(9, 8, 7);
  g.verticalWidth = 3;
  SetAppGraphSettings(g);
  SetAppRecordColors({0x010203, 0x040506, 0x070809});

  // Written and read back as the program does at shutdown and start.
  const std::string text = FormatPreferences(app, PreferenceLists{});
  app = StoredPreferences{};
  EXPECT_EQ(AppGraphSettings().curveColor[2], DefaultGraphSettings().curveColor[2]);
  PreferenceLists lists;
  std::string error;
  ASSERT_TRUE(ParsePreferences(text, app, lists, error)) << error;
  const WxGraphSettings back = AppGraphSettings();
  EXPECT_EQ(back.curveColor[2], g.curveColor[2]);
  EXPECT_EQ(back.curveWidth[1], 7);
  EXPECT_EQ(back.precipHatch, 4);
  EXPECT_EQ(back.lineStyle[3], 2);
  EXPECT_EQ(back.verticalLines, 2);
  EXPECT_EQ(back.verticalColor, g.verticalColor);
  EXPECT_EQ(back.verticalWidth, 3);
  const WxRecordColors colors = AppRecordColors();
  EXPECT_EQ(colors.notUsed, 0x010203u);
  EXPECT_EQ(colors.conditioning, 0x040506u);
  EXPECT_EQ(colors.burning, 0x070809u);

  // Stored values the graph cannot draw read as its defaults.
  app.wxSeriesWidths[0] = 0;
  app.wxVLineWidth = 500;
  app.wxHLineStyles[1] = 99;
  app.wxPrecipHatch = 6;
  app.wxVLineFrequency = -3;
  const WxGraphSettings d = DefaultGraphSettings(), shown = AppGraphSettings();
  EXPECT_EQ(shown.curveWidth[0], d.curveWidth[0]);
  EXPECT_EQ(shown.verticalWidth, d.verticalWidth);
  EXPECT_EQ(shown.lineStyle[1], d.lineStyle[1]);
  EXPECT_EQ(shown.precipHatch, d.precipHatch);
  EXPECT_EQ(shown.verticalLines, d.verticalLines);
  app = before;
}

#include "app/command_rules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include "support/locales.h"

using namespace app;

namespace {

CommandState AllHandled() {
  CommandState s;
  for (int id : {cmd::kNew, cmd::kOpen, cmd::kSave, cmd::kPrint, cmd::kExit, cmd::kAbout,
                 cmd::kHelp, cmd::kExtractAndOpenArchive, cmd::kSaveAndArchive, cmd::kStepBack, cmd::kStepForward,
                 cmd::kZoomInMode, cmd::kMeasureMode, cmd::kCritiquePdf,
                 cmd::kShaderReliefShading, cmd::kShaderApply})
    s.handled.insert(id);
  return s;
}

}  // namespace

TEST(CommandRules, EnableRulesFollowTheActiveProject) {
  struct Case {
    const char* what;
    int id;
    bool project, landscape, aspect, back;
    bool enabled;
  };
  const Case cases[] = {
      {"new without project", cmd::kNew, false, false, false, false, true},
      {"archive without project", cmd::kExtractAndOpenArchive, false, false, false, false, true},
      {"save and archive needs a landscape", cmd::kSaveAndArchive, true, false, false, false, false},
      {"save and archive with landscape", cmd::kSaveAndArchive, true, true, false, false, true},
      {"print never", cmd::kPrint, true, true, true, true, false},
      {"save needs a project", cmd::kSave, false, false, false, false, false},
      {"save with project", cmd::kSave, true, false, false, false, true},
      {"zoom needs a landscape", cmd::kZoomInMode, true, false, false, false, false},
      {"zoom with landscape", cmd::kZoomInMode, true, true, false, false, true},
      {"measure without project", cmd::kMeasureMode, false, true, false, false, false},
      {"critique with landscape", cmd::kCritiquePdf, true, true, false, false, true},
      {"back with history", cmd::kStepBack, true, true, false, true, true},
      {"back without history", cmd::kStepBack, true, true, false, false, false},
      {"forward without history", cmd::kStepForward, true, true, false, true, false},
      {"shading without aspect", cmd::kShaderReliefShading, true, true, false, false, false},
      {"shading with aspect", cmd::kShaderApply, true, true, true, false, true},
      {"shading with no project", cmd::kShaderApply, false, false, true, false, false},
  };
  for (const Case& c : cases) {
    CommandState s = AllHandled();
    s.hasProject = c.project;
    s.hasLandscape = c.landscape;
    s.hasAspectLayer = c.aspect;
    s.canStepBack = c.back;
    EXPECT_EQ(IsCommandEnabled(c.id, s), c.enabled) << c.what;
  }
}

TEST(CommandRules, CommandsWithoutHandlerStayDisabled) {
  CommandState s;
  s.hasProject = s.hasLandscape = s.canStepBack = true;
  for (int id : {cmd::kOpen, cmd::kColorRamps, cmd::kZoomInMode, cmd::kStepBack})
    EXPECT_FALSE(IsCommandEnabled(id, s)) << id;
  s.handled = {cmd::kColorRamps};
  EXPECT_TRUE(IsCommandEnabled(cmd::kColorRamps, s));
}

TEST(CommandRules, PointerModeChecksOneTool) {
  CommandState s;
  s.hasProject = true;
  s.pointerMode = kModeMeasurePolygons;
  EXPECT_TRUE(IsCommandChecked(cmd::kMeasureMode, s));
  EXPECT_FALSE(IsCommandChecked(cmd::kIdentifyMode, s));
  s.pointerMode = kModePan;
  EXPECT_TRUE(IsCommandChecked(cmd::kPanMode, s));
  EXPECT_FALSE(IsCommandChecked(cmd::kMeasureMode, s));
  s.hasProject = false;
  EXPECT_FALSE(IsCommandChecked(cmd::kPanMode, s));
  s.shaderBarShown = false;
  EXPECT_FALSE(IsCommandChecked(cmd::kViewShaderBar, s));
}

TEST(StatusPanes, Texts) {
  EXPECT_EQ(MapModePaneText(0), "Map Mode: Zoom In");
  EXPECT_EQ(MapModePaneText(2), "Map Mode: Pan");
  EXPECT_EQ(MapModePaneText(8), "Map Mode: Measure Polygons");
  // Identify and anything unknown read the same.
  EXPECT_EQ(MapModePaneText(3), "Map Mode: Identify");
  EXPECT_EQ(MapModePaneText(9), "Map Mode: Identify");
  EXPECT_EQ(MapModePaneText(-1), "Map Mode: Identify");

  EXPECT_EQ(ValuePaneText(1234.567, -9999, true, 2, "Meters"), "1234.57 (Meters)");
  EXPECT_EQ(ValuePaneText(7, -9999, true, 0, "Fuel Model"), "7 (Fuel Model)");
  EXPECT_EQ(ValuePaneText(-9999, -9999, true, 2, "Meters"), "NA");
  EXPECT_EQ(ValuePaneText(std::nan(""), -9999, true, 2, "Meters"), "NA");
  EXPECT_EQ(ValuePaneText(12, -9999, false, 2, "Meters"), "NA");
  // A damaged decimal count is clamped rather than handed to the formatter.
  EXPECT_EQ(ValuePaneText(1.5, -9999, true, -3, "Feet"), "2 (Feet)");
  // Nine decimals of a float cell would show noise: its seven significant digits at most.
  EXPECT_EQ(ValuePaneText(3.25f, -9999, true, 9, "Feet"), "3.250000 (Feet)");
  EXPECT_EQ(ValuePaneText(2345.5f, -9999, true, 9, "Feet"), "2345.500 (Feet)");
  EXPECT_EQ(ValuePaneText(0.0625f, -9999, true, 9, "kg/m3"), "0.062500 (kg/m3)");

  EXPECT_EQ(CoordinatesPaneText(512345.6, 4123456.4), "512346, 4123456");
  EXPECT_EQ(ScalePaneText(24000), "Scale: 1 : 24000");
  EXPECT_EQ(ScalePaneText(0), "Undefined");
  EXPECT_EQ(ScalePaneText(-5), "Undefined");
}

TEST(StatusPanes, PanesNeedAProjectAndAVisibleTheme) {
  StatusInfo info;
  info.pointerMode = kModePan;
  info.areaName = "Entire Landscape (Default)";
  info.hasVisibleTheme = true;
  info.themeName = "Elevation";
  info.value = 1234.567;
  info.hasLegend = true;
  info.decimalPlaces = 2;
  info.unitsName = "Meters";
  info.easting = 10.4;
  info.northing = 20.6;
  info.scaleDenominator = 50000;
  EXPECT_EQ(StatusPaneTexts(info), StatusTexts{}) << "no project: all empty";

  info.hasProject = true;
  info.hasMapView = true;
  EXPECT_EQ(StatusPaneTexts(info),
            (StatusTexts{"Map Mode: Pan", "Entire Landscape (Default)", "Elevation",
                         "1234.57 (Meters)", "10, 21", "Scale: 1 : 50000"}));

  info.hasVisibleTheme = false;
  info.hasMapView = false;
  EXPECT_EQ(StatusPaneTexts(info), (StatusTexts{"", "Entire Landscape (Default)"}));
}

TEST(StatusPanes, NumbersIgnoreTheUserLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  if (!test_support::UseGermanLocale(LC_NUMERIC)) GTEST_SKIP() << "no comma-decimal locale can be built here";
  EXPECT_EQ(ValuePaneText(1.25, -9999, true, 2, "Feet"), "1.25 (Feet)");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Captions, ChildFrameCaption) {
  struct Case {
    const char* title;
    bool landscape;
    const char* lcp;
    int window;
    const char* expected;
  };
  const Case cases[] = {
      {"Fire.pvn", true, "C:\\Data\\Tract.lcp", 2, "Fire - Tract.lcp:2"},
      {"Fire.pvn", false, "C:\\Data\\Tract.lcp", 0, "Fire.pvn"},
      {"Fire.pvn", true, "", 0, "Fire.pvn"},
      {"Fire", true, "/data/sample/Tract.lcp", 0, "Fire - Tract.lcp"},
      {".pvn", true, "Tract.lcp", 0, ".pvn - Tract.lcp"},
      {"a.b.pvn", true, "x/y.lcp", 1, "a.b - y.lcp:1"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChildFrameCaption(c.title, c.landscape, c.lcp, c.window), c.expected) << c.title;
  EXPECT_EQ(GetFileNameFromPath("C:\\a\\b.lcp"), "b.lcp");
  EXPECT_EQ(GetFileNameFromPath("plain.lcp"), "plain.lcp");
}

TEST(Placement, StoredPlacementIsOrderedCheckedAndAdjusted) {
  const Rect work{0, 0, 1600, 1000};
  const FramePlacement current{ShowState::Normal, {10, 10, 810, 610}};

  // Swapped edges are put in order before use.
  FramePlacement p = RestoredPlacement({ShowState::Normal, {900, 700, 100, 50}}, current, work,
                                        false, false);
  EXPECT_EQ(p.normal.left, 100);
  EXPECT_EQ(p.normal.right, 900);
  EXPECT_EQ(p.normal.top, 50);
  EXPECT_EQ(p.normal.bottom, 700);

  // Entirely off the work area, or never stored (-1), gives the frame's own placement.
  for (Rect off : {Rect{2000, 0, 2500, 400}, Rect{-1, -1, -1, -1}}) {
    p = RestoredPlacement({ShowState::Maximized, off}, current, work, false, false);
    EXPECT_EQ(p.normal.left, 10);
    EXPECT_EQ(p.show, ShowState::Normal);
  }

  struct Case {
    ShowState stored;
    bool frameMax, frameMin;
    ShowState expected;
  };
  const Case cases[] = {
      {ShowState::Maximized, false, false, ShowState::Maximized},
      {ShowState::Minimized, false, false, ShowState::Normal},
      {ShowState::Minimized, false, true, ShowState::Minimized},
      {ShowState::Normal, true, false, ShowState::Maximized},
      {ShowState::Minimized, true, false, ShowState::Maximized},
  };
  for (const Case& c : cases) {
    p = RestoredPlacement({c.stored, {100, 100, 500, 500}}, current, work, c.frameMax, c.frameMin);
    EXPECT_EQ(p.show, c.expected);
  }
}

TEST(Placement, StoredShowCommandsRoundTrip) {
  struct Case {
    int showCmd;
    ShowState show;
    int written;
  };
  const Case cases[] = {{1, ShowState::Normal, 1},    {3, ShowState::Maximized, 3},
                        {2, ShowState::Minimized, 2}, {6, ShowState::Minimized, 2},
                        {9, ShowState::Normal, 1},    {0, ShowState::Normal, 1}};
  for (const Case& c : cases) {
    FramePlacement p = FromStoredPlacement({c.showCmd, 10, 20, 810, 620});
    EXPECT_EQ(p.show, c.show) << c.showCmd;
    EXPECT_EQ(p.normal.right, 810);
    WindowPlacement back = ToStoredPlacement(p);
    EXPECT_EQ(back, (WindowPlacement{c.written, 10, 20, 810, 620}));
  }
  // A damaged file's huge coordinates are taken as never stored.
  EXPECT_EQ(FromStoredPlacement({1, 1L << 40, 0, 5, 5}).normal.left, -1);
}

TEST(CommandRules, MenuIdsStayInTheToolkitsRangeAndMapBack) {
  for (int command : {cmd::kZoomInStep, cmd::kMeasureMode, cmd::kRecentFile, cmd::kRecentFile + 9,
                      cmd::kViewStatusBar, 33058, 57664, cmd::kShaderApply, 1}) {
    int id = MenuIdFor(command);
    EXPECT_LT(id, 0x7fff) << command;
    EXPECT_TRUE(id < 4999 || id > 5999) << command;  // never one of the toolkit's own
    EXPECT_EQ(CommandForMenuId(id), command) << command;
  }
  EXPECT_EQ(MenuIdFor(1040), 1040);
  EXPECT_EQ(CommandForMenuId(5100), 5100);  // a toolkit id is left alone
}

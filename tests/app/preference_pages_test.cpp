// The preference pages without windows: what each page shows of a record, what it stores
// back, and the values it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/application.h"
#include "app/preference_pages.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/folders.h"
#include "platform/test_folder.h"

namespace fs = std::filesystem;

namespace {

using app::ListChoice;

PreferenceLists ListsWithRamps() {
  PreferenceLists lists;
  lists.colorRamps.push_back(std::make_unique<CColorRamp>());  // random
  lists.colorRamps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{0xFF, 0xFF00}));
  lists.colorRamps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{0xFF, 0xFF00}));
  lists.colorRamps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{0x123456}));
  auto legend = [&](const char* name, int type) {
    auto l = std::make_unique<CPredefinedThemeLegend>();
    l->name = name;
    l->layerType = type;
    lists.predefinedLegends.push_back(std::move(l));
  };
  legend("Zeta fuels", 3);
  legend("Alpha fuels", 3);
  legend("Elevation bands", 0);
  auto wv = std::make_unique<CPredefinedWVThemeLegend>();
  wv->name = "Spread fast";
  wv->kind = 1;
  lists.predefinedWVLegends.push_back(std::move(wv));
  return lists;
}

CThemePreference Pref(int type) {
  CThemePreference p;
  p.SetStandardDefaults(type, 12, 3);
  p.contourStyle = 4;
  p.contourWidth = 6;
  p.contourColor = 0x445566;
  return p;
}

TEST(PreferencePages, ThemePageShowsTheRecordAndStoresItBack) {
  const PreferenceLists lists = ListsWithRamps();
  CThemePreference pref = Pref(3);
  pref.ramp = CColorRamp({0xFF, 0xFF00});
  pref.usePredefinedLegend = 1;
  pref.predefinedLegendName = "Zeta fuels";
  pref.units = 0;

  app::ThemePageFields f = app::LoadThemePage(pref, lists);
  EXPECT_EQ(f.legends.items, (std::vector<std::string>{"Alpha fuels", "Zeta fuels"}));  // sorted, own type only
  EXPECT_EQ(f.legends.selected, 1);
  EXPECT_TRUE(f.legendRadioEnabled);
  EXPECT_EQ(f.usePredefinedLegend, 1);
  EXPECT_EQ(f.ramps.selected, 1);  // the first of two equal ramps
  EXPECT_FALSE(f.ramps.ownListed);
  EXPECT_EQ(f.units.items, std::vector<std::string>{"Class"});
  EXPECT_EQ(f.decimals.selected, 3);
  EXPECT_EQ(f.classes, "12");
  EXPECT_EQ(f.contourStyle.items.at(4), "DashDotDot");
  EXPECT_EQ(f.contourStyle.selected, 4);
  EXPECT_EQ(f.contourWidth.selected, 5);

  // Every field changed on the page reaches the record.
  f.usePredefinedLegend = 0;
  f.legends.selected = 0;
  f.ramps.selected = 3;
  f.noDataColor = 0x010101;
  f.decimals.selected = 9;
  f.classes = " 100 ";
  f.contourColor = 0x020202;
  f.contourStyle.selected = 0;   // "Solid"
  f.contourWidth.selected = 0;   // "1"
  ASSERT_FALSE(app::ApplyThemePage(f, pref));
  EXPECT_EQ(pref.usePredefinedLegend, 0);
  EXPECT_EQ(pref.predefinedLegendName, "Alpha fuels");  // kept whatever the flag says
  EXPECT_EQ(pref.ramp.Colors(), std::vector<COLORREF>{0x123456});
  EXPECT_EQ(pref.noDataColor, 0x010101u);
  EXPECT_EQ(pref.decimals, 9);
  EXPECT_EQ(pref.numClasses, 100);
  EXPECT_EQ(pref.contourColor, 0x020202u);
  EXPECT_EQ(pref.contourStyle, 0);
  EXPECT_EQ(pref.contourWidth, 1);
  EXPECT_EQ(pref.layerType, 3);
}

TEST(PreferencePages, ThemePageWithoutLegendsOrAMatchingRamp) {
  const PreferenceLists lists = ListsWithRamps();
  CThemePreference pref = Pref(12);
  pref.usePredefinedLegend = 1;
  pref.predefinedLegendName = "Nothing of this type";
  pref.ramp = CColorRamp({0x999999, 0x888888});

  app::ThemePageFields f = app::LoadThemePage(pref, lists);
  EXPECT_TRUE(f.legends.items.empty());
  EXPECT_FALSE(f.legendRadioEnabled);
  EXPECT_EQ(f.usePredefinedLegend, 0);
  ASSERT_TRUE(f.ramps.ownListed);
  EXPECT_EQ(f.ramps.selected, 4);  // the record's own ramp, added last
  EXPECT_EQ(f.ramps.ramps.back(), &pref.ramp);
  EXPECT_EQ(f.units.items, (std::vector<std::string>{"m/min", "ft/min", "Chains/Hr"}));
  ASSERT_FALSE(app::ApplyThemePage(f, pref));
  EXPECT_EQ(pref.usePredefinedLegend, 0);
  EXPECT_EQ(pref.predefinedLegendName, "");
  EXPECT_EQ(pref.ramp.Colors(), (std::vector<COLORREF>{0x999999, 0x888888}));

  // A name of no legend of this type selects the first in sorted order.
  CThemePreference fuel = Pref(3);
  fuel.predefinedLegendName = "Gone";
  f = app::LoadThemePage(fuel, lists);
  EXPECT_EQ(f.legends.selected, 0);
  ASSERT_FALSE(app::ApplyThemePage(f, fuel));
  EXPECT_EQ(fuel.predefinedLegendName, "Alpha fuels");
}

TEST(PreferencePages, OutOfRangeValuesAreRefusedByFieldAndNothingIsStored) {
  const PreferenceLists lists = ListsWithRamps();
  struct Case {
    const char* classes;
    int units, decimals, width;
    const char* field;
  };
  const Case cases[] = {
      {"1", 0, 0, 0, "Number of Classes"},   {"101", 0, 0, 0, "Number of Classes"},
      {"", 0, 0, 0, "Number of Classes"},    {"12x", 0, 0, 0, "Number of Classes"},
      {"-5", 0, 0, 0, "Number of Classes"},  {"99999999999999999999", 0, 0, 0, "Number of Classes"},
      {"10", -1, 0, 0, "Units"},             {"10", 0, -1, 0, "Decimals"},
      {"10", 0, 0, -1, "Contour Width"},
  };
  for (const Case& c : cases) {
    CThemePreference pref = Pref(0);
    const CThemePreference before = pref;
    app::ThemePageFields f = app::LoadThemePage(pref, lists);
    f.classes = c.classes;
    f.units.selected = c.units;
    f.decimals.selected = c.decimals;
    f.contourWidth.selected = c.width;
    f.noDataColor = 0x777777;  // a valid change that must not be stored either
    auto problem = app::ApplyThemePage(f, pref);
    ASSERT_TRUE(problem) << c.classes;
    EXPECT_EQ(problem->field, c.field);
    EXPECT_EQ(pref.noDataColor, before.noDataColor) << c.field;
    EXPECT_EQ(pref.numClasses, before.numClasses);
  }
  // A damaged file's value outside its list shows no selection, and is refused until chosen.
  CThemePreference damaged = Pref(0);
  damaged.decimals = 42;
  app::ThemePageFields f = app::LoadThemePage(damaged, lists);
  EXPECT_EQ(f.decimals.selected, -1);
  auto problem = app::ApplyThemePage(f, damaged);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->Text(), "Decimals: choose one of the list's values.");
  EXPECT_EQ(app::ParseRangedInt("Number of Classes", "1", 2, 100, damaged.numClasses)->Text(),
            "Number of Classes: 1 is out of range; enter a whole number from 2 to 100.");
}

TEST(PreferencePages, VectorPageStoresShapesStylesAndWidths) {
  CVectorPreferences pref;
  pref.pointShape = 1;
  pref.pointWidth = 3;
  pref.polygonStyle = 10;
  app::VectorPageFields f = app::LoadVectorPage(pref);
  EXPECT_EQ(f.pointShape.items, (std::vector<std::string>{"Circle", "Triangle", "Square"}));
  EXPECT_EQ(f.pointShape.selected, 1);
  EXPECT_EQ(f.pointWidth.selected, 2);
  EXPECT_EQ(f.polygonStyle.items.at(10), "DashDotDotDotGap");
  EXPECT_EQ(f.polygonStyle.selected, 10);

  f.pointShape.selected = 2;        // "Square"
  f.polygonWidth.selected = 9;      // "10"
  f.lineStyle.selected = 3;
  f.lineColor = 0xABCDEF;
  ASSERT_FALSE(app::ApplyVectorPage(f, pref));
  EXPECT_EQ(pref.pointShape, 2);
  EXPECT_EQ(pref.polygonWidth, 10);
  EXPECT_EQ(pref.lineStyle, 3);
  EXPECT_EQ(pref.lineColor, 0xABCDEFu);
  EXPECT_EQ(pref.pointWidth, 3);

  pref.lineWidth = 0;  // damaged
  f = app::LoadVectorPage(pref);
  auto problem = app::ApplyVectorPage(f, pref);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->field, "Line Width");
}

TEST(PreferencePages, WindVectorPagesOfEachKind) {
  const PreferenceLists lists = ListsWithRamps();
  const std::vector<std::string> units[] = {
      {"mph", "km/h", "m/sec", "ft/min"}, {"m/min", "ft/min", "Chains/Hr"}, {"Meters", "Feet"}};
  for (int kind = 0; kind < 3; ++kind) {
    CWindVectorPreferences pref;
    pref.kind = kind;
    pref.units = 1;
    pref.usePredefinedLegend = 1;
    pref.predefinedLegendName = "Spread fast";
    app::WindVectorPageFields f = app::LoadWindVectorPage(pref, lists);
    EXPECT_EQ(f.units.items, units[kind]);
    EXPECT_EQ(f.units.selected, 1);
    EXPECT_EQ(f.legendRadioEnabled, kind == 1);
    EXPECT_EQ(f.usePredefinedLegend, kind == 1 ? 1 : 0);
  }

  CWindVectorPreferences pref;
  pref.kind = 2;
  pref.autoDensity = 0;
  pref.fontSize = 12;
  app::WindVectorPageFields f = app::LoadWindVectorPage(pref, lists);
  EXPECT_FALSE(f.autoDensity);
  EXPECT_EQ(f.fontSize.selected, 8);
  f.autoDensity = true;
  f.fontSize.selected = 0;  // "4"
  f.skip = "200";
  f.targetSize = "10";
  f.outputSpeed = true;
  f.lineWidth.selected = 4;
  f.decimals.selected = 2;
  f.classes = "2";
  ASSERT_FALSE(app::ApplyWindVectorPage(f, pref));
  EXPECT_EQ(pref.autoDensity, 1);
  EXPECT_EQ(pref.fontSize, 4);
  EXPECT_EQ(pref.skip, 200);
  EXPECT_EQ(pref.targetSize, 10);
  EXPECT_EQ(pref.outputSpeed, 1);
  EXPECT_EQ(pref.lineWidth, 5);
  EXPECT_EQ(pref.decimals, 2);
  EXPECT_EQ(pref.numClasses, 2);

  // Typed sizes outside their ranges never reach the record.
  const std::pair<const char*, const char*> bad[] = {{"201", "32"}, {"-1", "32"}, {"1", "9"}, {"1", "100000"},
                                                     {"1", "big"}};
  for (const auto& [skip, target] : bad) {
    CWindVectorPreferences r;
    app::WindVectorPageFields g = app::LoadWindVectorPage(r, lists);
    g.skip = skip;
    g.targetSize = target;
    g.outputSpeed = true;
    auto problem = app::ApplyWindVectorPage(g, r);
    ASSERT_TRUE(problem) << skip << " " << target;
    EXPECT_EQ(problem->field, std::string(skip) == "1" ? "Target Size (Pixels)" : "Rows/Cols to Skip");
    EXPECT_EQ(r.targetSize, 32);
    EXPECT_EQ(r.outputSpeed, 0);
  }
}

class ApplicationPage : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = platform::WorkingFolder();
    fs::create_directories(folder_ / "work");
    fs::create_directories(folder_ / "other");
    app_.SetWorkingFolder((folder_ / "work").string());
    app_.imageLoader = [](const std::string& path, platform::Image& image) {
      if (path.find("good") == std::string::npos) return false;
      image = platform::Image(2, 2);
      return true;
    };
  }
  void TearDown() override { platform::SetWorkingFolder(old_); }
  TestFolder folder_;
  CPVN4App app_;
  std::string old_;
  platform::ScopedRecordingMessages messages_;
  platform::ScopedScriptedDialogs dialogs_;
};

TEST_F(ApplicationPage, StorageFolderAsksWithTheFreeSpaceAndTestsAWrite) {
  app::ApplicationPageFields f = app::LoadApplicationPage(app_);
  const std::string other = (folder_ / "other").string();
  // A file of the test's name that is already there is never opened, let alone truncated.
  std::ofstream(folder_ / "other" / "PyrvaneWriteTest.txt") << "keep me";

  messages_.Script({platform::Answer::No, platform::Answer::Yes});
  dialogs_.AnswerFolder(other);
  dialogs_.AnswerFolder(other);
  dialogs_.AnswerFolder(std::nullopt);
  EXPECT_FALSE(app::BrowseStorageFolder(f));  // No
  EXPECT_EQ(f.storageFolder, (folder_ / "work").string());
  EXPECT_TRUE(app::BrowseStorageFolder(f));
  EXPECT_EQ(f.storageFolder, other);
  EXPECT_FALSE(app::BrowseStorageFolder(f));  // cancelled
  ASSERT_EQ(messages_.Texts().size(), 2u);
  EXPECT_NE(messages_.Texts()[0].find(" MB available. Set as storage directory?"), std::string::npos);
  EXPECT_EQ(messages_.Texts()[0].rfind("The selected folder reports ", 0), 0u);
  EXPECT_EQ(dialogs_.Requests()[0].options.title, "Select a Directory to Save Outputs");
  EXPECT_EQ(dialogs_.Requests()[0].options.initialPath, (folder_ / "work").string());
  // Only the kept file is left.
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(folder_ / "other")) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
  std::string kept;
  std::getline(std::ifstream(folder_ / "other" / "PyrvaneWriteTest.txt"), kept);
  EXPECT_EQ(kept, "keep me");

  // Nothing changes in the application before the page applies.
  EXPECT_EQ(app_.workingFolder, (folder_ / "work").string());
  app::ApplyApplicationPage(f, app_);
  EXPECT_EQ(app_.workingFolder, other);
  EXPECT_EQ(platform::WorkingFolder(), other);
}

TEST_F(ApplicationPage, AFolderThatCannotBeWrittenIsSaidAndKeepsTheOld) {
  // A "folder" under a plain file cannot hold a file, whoever runs the test.
  std::ofstream(folder_ / "plain") << "x";
  const std::string bad = (folder_ / "plain" / "sub").string();
  app::ApplicationPageFields f = app::LoadApplicationPage(app_);
  dialogs_.AnswerFolder(bad);
  EXPECT_FALSE(app::BrowseStorageFolder(f));
  ASSERT_EQ(messages_.Texts().size(), 2u);
  EXPECT_EQ(messages_.Texts()[0].rfind("The selected folder does not report its free space (", 0), 0u);
  EXPECT_EQ(messages_.Texts()[1],
            "Error: Could not create a file for writing on the selected location.\n" + bad + ": Not a directory");
  EXPECT_EQ(f.storageFolder, (folder_ / "work").string());
}

TEST_F(ApplicationPage, BackgroundColourImageAndTheVersionText) {
  app_.directXMajor = 4;
  app_.directXMinor = 6;
  EXPECT_EQ(app::LoadApplicationPage(app_).versionText, "OpenGL 4.6 installed");
  app_.directXMajor = 0;
  app::ApplicationPageFields f = app::LoadApplicationPage(app_);
  EXPECT_EQ(f.versionText, "OpenGL not installed");

  // An image that does not load is said and changes nothing; the same file again does nothing.
  EXPECT_FALSE(app::ChooseBackgroundImage(f, "/pictures/bad.png", app_));
  EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Error: Could not load the background image /pictures/bad.png."});
  EXPECT_TRUE(app::ChooseBackgroundImage(f, "/pictures/good.png", app_));
  EXPECT_FALSE(app::ChooseBackgroundImage(f, "/pictures/GOOD.PNG", app_));
  EXPECT_TRUE(app_.backgroundImage.IsEmpty());  // nothing reaches the application before it applies

  f.useBackgroundImage = true;
  f.backgroundColor = 0x203040;
  f.keepCellsInMemory = 0;
  app::ApplyApplicationPage(f, app_);
  EXPECT_EQ(app_.backgroundColor, 0x203040u);
  EXPECT_EQ(app_.useBackgroundImage, 1);
  EXPECT_EQ(app_.backgroundImagePath, "/pictures/good.png");
  EXPECT_FALSE(app_.backgroundImage.IsEmpty());
  EXPECT_EQ(app_.keepGridCellsInMemory, 0);

  // Unticking releases the picture.
  f.useBackgroundImage = false;
  f.backgroundImagePath.clear();
  app::ApplyApplicationPage(f, app_);
  EXPECT_TRUE(app_.backgroundImage.IsEmpty());
  EXPECT_EQ(app_.useBackgroundImage, 0);
}

}  // namespace

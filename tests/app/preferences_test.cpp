#include <cpl_conv.h>
#include <gdal.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "themes/theme.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/services.h"
#include "platform/test_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::string s;
  platform::ReadWholeFile(p.string(), s);
  return s;
}

// Theme-preference pairs as an older file holds them: pair j carries layer number j,
// classes 50 + j and a one-colour ramp of colour j.
std::string Pairs(int count) {
  std::ostringstream o;
  for (int j = 0; j < count; ++j) {
    o << j << " 255 1 2 3 16777215 " << 50 + j << " 1 " << (j == 5 ? "1 Fuel legend A" : "0 ") << "\r\n";
    o << "1 " << j << "\r\n";
  }
  return o.str();
}

const char* const kWindow = "1 3 10 20 800 600\r\n";
const char* const kRamp = "3 255 65280\r\n";  // three colours, the last missing
const char* const kVector = "1 2 3 4 1 5 6 7 8\r\n";
// A legend of old layer number 29 (torching index) and one of canopy cover with units 2.
const char* const kOldLegends =
    "2\r\nTorch classes\r\n1 1 0.000000 10.000000 2 1 29\r\n-9999.000000 16777215\r\n5.000000 255\r\n"
    "Cover\r\n0 2 0.000000 100.000000 1 0 4\r\n50.000000 65280\r\n";
const char* const kSingles = "/no/such/folder/anywhere\r\n0\r\n12345\r\n1\r\n\r\n";

class Preferences : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = folder_.Path();
    for (const char* d : {"prog", "data", "config", "work"}) fs::create_directories(dir_ / d);
    folders_.programFolder = (dir_ / "prog").string();
    folders_.dataFolder = (dir_ / "data").string();
    folders_.configFolder = (dir_ / "config").string();
    folders_.workingFolder = (dir_ / "work").string();
    folders_.lockPath = (dir_ / "run" / "pyrvane6.lock").string();
    oldWorking_ = platform::WorkingFolder();
  }
  void TearDown() override { platform::SetWorkingFolder(oldWorking_); }
  // An application with its folders set as start-up sets them, without reading anything.
  std::unique_ptr<CPVN4App> Fresh() {
    auto app = std::make_unique<CPVN4App>();
    app->SetFolders(folders_);
    for (int i = 0; i < kLayerTypeCount; ++i) app->themePrefs[static_cast<size_t>(i)].layerType = i;
    for (int k = 0; k < 3; ++k) app->windVectorPrefs[static_cast<size_t>(k)].kind = k;
    return app;
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string p = (dir_ / name).string();
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }

  TestFolder folder_;
  fs::path dir_;
  AppFolders folders_;
  std::string oldWorking_;
  platform::ScopedRecordingMessages messages_;
};

void FillRichState(CPVN4App& a, const std::string& workingFolder) {
  a.colorRamps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{0xFF, 0xFF00, 0xFF0000}));
  a.colorRamps.push_back(std::make_unique<CColorRamp>());
  a.placement = {3, -5, 10, 1200, 900};
  a.vectorPrefs.lineColor = 0x123456;
  a.vectorPrefs.pointShape = 2;
  a.vectorPrefs.polygonWidth = 7;
  for (int i = 0; i < kLayerTypeCount; ++i) {
    auto& t = a.themePrefs[static_cast<size_t>(i)];
    t.numClasses = 2 + i;
    t.decimals = i % 10;
    t.contourColor = 0x960000u + static_cast<COLORREF>(i);
    t.ramp.SetColors(1, std::vector<COLORREF>{static_cast<COLORREF>(i * 1000)}.data());
  }
  a.themePrefs[3].usePredefinedLegend = 1;
  a.themePrefs[3].predefinedLegendName = "Fuel models with blanks";
  auto legend = std::make_unique<CPredefinedThemeLegend>();
  legend->name = "Fuel models with blanks";
  legend->layerType = 3;
  legend->SetUnits(0);
  legend->SetMinValue(1.0 / 3.0);
  legend->SetMaxValue(99.5);
  legend->SetDecimals(2);
  legend->SetUniqueValues(true);
  legend->AddEntry(CLegendEntry(101.25f, 0x00AA00));
  a.predefinedLegends.push_back(std::move(legend));
  a.windVectorPrefs[1].usePredefinedLegend = 1;
  a.windVectorPrefs[1].predefinedLegendName = "Spread fast";
  a.windVectorPrefs[1].units = 2;
  a.windVectorPrefs[2].targetSize = 48;
  auto wv = std::make_unique<CPredefinedWVThemeLegend>();
  wv->name = "Spread fast";
  wv->kind = 1;
  wv->legend.SetMaxValue(40);
  wv->legend.units = 2;
  wv->legend.AddEntry(CWVLegendEntry(20.5f, 0x0000FF, 3));
  a.predefinedWVLegends.push_back(std::move(wv));
  a.SetWorkingFolder(workingFolder);
  a.keepGridCellsInMemory = 0;
  a.backgroundColor = 0x808080;
  a.useBackgroundImage = 1;
  a.backgroundImagePath = "";
  a.wxSeriesColors[4] = 0x010203;
  a.wxPrecipHatch = 3;
  a.wxVLineWidth = 4;
}

}  // namespace

TEST_F(Preferences, WriteReadWriteIsByteIdentical) {
  auto a = Fresh();
  FillRichState(*a, (dir_ / "work").string());
  a->themePrefs[7].usePredefinedLegend = 1;  // a flag without a name does not survive
  std::string first = (dir_ / "first.cfg").string(), second = (dir_ / "second.cfg").string();
  ASSERT_TRUE(a->WritePreferencesFile(first));
  a->themePrefs[7].usePredefinedLegend = 0;
  ASSERT_TRUE(a->WritePreferencesFile(first));

  auto b = Fresh();
  ASSERT_TRUE(b->ReadPreferencesFile(first));
  ASSERT_TRUE(b->WritePreferencesFile(second));
  EXPECT_EQ(Slurp(first), Slurp(second));

  EXPECT_EQ(b->colorRamps.size(), 2u);
  EXPECT_EQ(b->colorRamps[0]->Colors(), (std::vector<COLORREF>{0xFF, 0xFF00, 0xFF0000}));
  EXPECT_TRUE(b->colorRamps[1]->IsRandom());
  EXPECT_EQ(b->placement, (WindowPlacement{3, -5, 10, 1200, 900}));
  EXPECT_EQ(b->themePrefs[3].predefinedLegendName, "Fuel models with blanks");
  EXPECT_EQ(b->themePrefs[3].usePredefinedLegend, 1);
  EXPECT_EQ(b->themePrefs[43].numClasses, 45);
  ASSERT_EQ(b->predefinedLegends.size(), 1u);
  EXPECT_EQ(b->predefinedLegends[0]->GetMinValue(), 0.333333);
  EXPECT_EQ(b->predefinedLegends[0]->GetCount(), 3);
  EXPECT_EQ(b->predefinedWVLegends[0]->legend.GetEntry(1).GetRelativeLength(), 3);
  EXPECT_EQ(b->windVectorPrefs[1].predefinedLegendName, "Spread fast");
  EXPECT_EQ(b->windVectorPrefs[1].units, 2);
  EXPECT_EQ(b->backgroundImagePath, "");
  EXPECT_EQ(b->wxPrecipHatch, 3);
  EXPECT_EQ(b->keepGridCellsInMemory, 0);

  // The writer's own layout: header, then the window line; names after the last number.
  std::string text = Slurp(first);
  EXPECT_EQ(text.rfind("Pyrvane 6.1 Config file Version 7\n2 3 -5 10 1200 900\n3 255 65280 16711680\n0\n", 0), 0u);
  EXPECT_NE(text.find("\n7 9830407 7 0 1 16777215 9 0 0 \n"), std::string::npos);
}

TEST_F(Preferences, VersionThreeMapsOldLayerNumbers) {
  std::string file = std::string("Pyrvane 5.0 Config file Version 3\r\n") + kWindow + kRamp + kVector + Pairs(40) +
                     kOldLegends +
                     // three wind-vector lines of 10 numbers, a ramp each, then no legends
                     "0 1 2 1 9 3 1 40 6 1 Wind legend\r\n0\r\n1 2 2 0 8 1 0 32 5 0 \r\n0\r\n"
                     "2 0 1 0 8 1 0 32 5 0\r\n0\r\n0\r\n" +
                     kSingles;
  auto a = Fresh();
  a->themePrefs[43].numClasses = 77;
  a->windVectorPrefs[0].units = 3;
  a->wxVLineWidth = 9;
  ASSERT_TRUE(a->ReadPreferencesFile(Write("v3.cfg", file)));

  EXPECT_EQ(a->colorRamps.size(), 1u);
  EXPECT_EQ(a->colorRamps[0]->Colors(), (std::vector<COLORREF>{255, 65280, 0}));
  EXPECT_EQ(a->placement, (WindowPlacement{3, 10, 20, 800, 600}));
  EXPECT_EQ(a->vectorPrefs.lineColor, 1u);
  EXPECT_EQ(a->vectorPrefs.polygonWidth, 8);
  for (int t = 0; t <= 27; ++t) EXPECT_EQ(a->themePrefs[static_cast<size_t>(t)].numClasses, 50 + t) << t;
  for (int t = 31; t <= 42; ++t) {
    EXPECT_EQ(a->themePrefs[static_cast<size_t>(t)].numClasses, 50 + t - 3) << t;
    EXPECT_EQ(a->themePrefs[static_cast<size_t>(t)].layerType, t);
  }
  for (int t = 28; t <= 30; ++t) {
    const auto& p = a->themePrefs[static_cast<size_t>(t)];
    EXPECT_EQ(p.numClasses, 10);
    EXPECT_EQ(p.decimals, 2);
    EXPECT_EQ(p.contourColor, 0x960000u);
    EXPECT_EQ(p.noDataColor, 0xFFFFFFu);
  }
  EXPECT_EQ(a->themePrefs[43].numClasses, 77);
  EXPECT_EQ(a->themePrefs[5].predefinedLegendName, "Fuel legend A");
  EXPECT_EQ(a->themePrefs[6].usePredefinedLegend, 0);

  ASSERT_EQ(a->predefinedLegends.size(), 2u);
  EXPECT_EQ(a->predefinedLegends[0]->layerType, 32);
  EXPECT_EQ(a->predefinedLegends[0]->GetCount(), 2);
  EXPECT_EQ(a->predefinedLegends[1]->layerType, 4);
  EXPECT_EQ(a->predefinedLegends[1]->GetUnits(), 0);  // canopy cover always percent

  EXPECT_EQ(a->windVectorPrefs[0].predefinedLegendName, "Wind legend");
  EXPECT_EQ(a->windVectorPrefs[0].targetSize, 40);
  EXPECT_EQ(a->windVectorPrefs[0].units, 3);  // ten numbers: the units stay
  EXPECT_EQ(a->windVectorPrefs[1].usePredefinedLegend, 0);
  EXPECT_EQ(a->workingFolder, (dir_ / "work").string());  // missing folder not taken
  EXPECT_EQ(a->keepGridCellsInMemory, 0);
  EXPECT_EQ(a->backgroundColor, 12345u);
  EXPECT_EQ(a->useBackgroundImage, 1);
  EXPECT_EQ(a->wxVLineWidth, 9);  // no weather lines before version 6
}

TEST_F(Preferences, VersionsZeroTwoAndFive) {
  // Version 0: no header, the first line is the window line; 32 pairs.
  auto a = Fresh();
  a->windVectorPrefs[2].targetSize = 99;
  ASSERT_TRUE(a->ReadPreferencesFile(Write("v0.cfg", std::string("0 1 2 3 4 5\n") + kVector + Pairs(32) + "0\n")));
  EXPECT_EQ(a->placement, (WindowPlacement{1, 2, 3, 4, 5}));
  EXPECT_EQ(a->themePrefs[27].numClasses, 77);
  EXPECT_EQ(a->themePrefs[31].numClasses, 78);
  EXPECT_EQ(a->themePrefs[34].numClasses, 81);
  EXPECT_EQ(a->themePrefs[35].numClasses, 10);  // untouched
  EXPECT_EQ(a->themePrefs[29].decimals, 2);
  EXPECT_EQ(a->windVectorPrefs[2].targetSize, 99);

  // Version 2: nothing of the wind vectors or weather, even with lines after the singles.
  auto b = Fresh();
  b->windVectorPrefs[0].numClasses = 33;
  b->wxRecordColors[0] = 42;
  std::string v2 = std::string("Pyrvane 5.0 Config file Version 2\n") + "0\n" + kVector + Pairs(40) + "0\n" +
                   (dir_ / "work").string() + "\n1\n7\n0\n" + "\n1 2 3\n";
  ASSERT_TRUE(b->ReadPreferencesFile(Write("v2.cfg", v2)));
  EXPECT_EQ(b->themePrefs[42].numClasses, 89);
  EXPECT_EQ(b->windVectorPrefs[0].numClasses, 33);
  EXPECT_TRUE(b->predefinedWVLegends.empty());
  EXPECT_EQ(b->wxRecordColors[0], 42u);
  EXPECT_EQ(b->backgroundColor, 7u);
  EXPECT_EQ(b->placement, (WindowPlacement{1, -1, -1, -1, -1}));  // short window line

  // Version 5: 44 pairs, wind lines of ten numbers keep their units; legends read.
  auto c = Fresh();
  c->windVectorPrefs[1].units = 2;
  std::string v5 = std::string("Pyrvane 6.0 Config file Version 5\n") + kWindow + kRamp + kVector + Pairs(44) +
                   "0\n" + "0 0 1 0 8 1 0 32 5 0 \n0\n1 0 1 0 8 1 0 32 5 0 \n2 5 6\n2 0 1 0 8 1 0 32 5 0 \n0\n" +
                   "1\nSpot\n0.000000 500.000000 1 10 2 3 1 40 1 2 2 1\n100.000000 255 1\n50.000000 65280 -4\n";
  ASSERT_TRUE(c->ReadPreferencesFile(Write("v5.cfg", v5)));
  EXPECT_EQ(c->themePrefs[43].numClasses, 93);
  EXPECT_EQ(c->themePrefs[28].numClasses, 78);
  EXPECT_EQ(c->windVectorPrefs[1].units, 2);
  EXPECT_EQ(c->windVectorPrefs[1].ramp.Colors(), (std::vector<COLORREF>{5, 6}));
  ASSERT_EQ(c->predefinedWVLegends.size(), 1u);
  const auto& wv = *c->predefinedWVLegends[0];
  EXPECT_EQ(wv.kind, 2);
  EXPECT_EQ(wv.legend.units, 1);
  EXPECT_EQ(wv.legend.targetSize, 40);
  ASSERT_EQ(wv.legend.GetCount(), 2);
  EXPECT_EQ(wv.legend.GetEntry(0).GetValue(), 50.0f);  // ordered insertion
  EXPECT_EQ(wv.legend.GetEntry(0).GetRelativeLength(), 0);
}

TEST_F(Preferences, DamagedFileChangesNothingAndFallsBack) {
  const std::string damaged[] = {
      std::string("Pyrvane 6.1 Config file Version 7\n1 1 0 0 1 1\n2000000000 1 2\n"),
      std::string("Pyrvane 6.1 Config file Version 7\n0 1 0 0 1 1\n") + kVector + Pairs(44) +
          "1\nBig\n0 0 0 1 500000000 0 3\n",
      std::string("Pyrvane 6.1 Config file Version 7\n0 1 0 0 1 1\n") + kVector + Pairs(44) +
          "1\nOdd type\n0 0 0 1 1 0 99\n1 1\n",
      std::string("Pyrvane 6.1 Config file Version 7\n0 1 0 0 1 1\n") + kVector + Pairs(44) + "0\n" +
          "0 0 1 0 8 1 0 32 5 0 0 \n0\n1 0 1 0 8 1 0 32 5 0 0 \n0\n2 0 1 0 8 1 0 32 5 0 0 \n0\n" +
          "1\nKind\n0 1 0 8 1 0 1 32 0 7 0 0\n",
  };
  for (const auto& text : damaged) {
    auto a = Fresh();
    a->themePrefs[0].numClasses = 12;
    a->colorRamps.push_back(std::make_unique<CColorRamp>());
    std::string damage;
    EXPECT_FALSE(a->ReadPreferencesFile(Write("bad.cfg", text), &damage));
    EXPECT_FALSE(damage.empty());
    EXPECT_EQ(a->themePrefs[0].numClasses, 12);
    EXPECT_EQ(a->colorRamps.size(), 1u);
    EXPECT_TRUE(a->predefinedLegends.empty());
  }

  // At start-up a damaged user file gives the shipped defaults, a message, and a kept copy.
  std::ofstream(dir_ / "config" / "Pyrvane6.cfg", std::ios::binary) << damaged[0];
  std::string defaults = std::string("Pyrvane 6.1 Config file Version 7\n0 1 0 0 1 1\n") + kVector + Pairs(44);
  std::ofstream(dir_ / "data" / "defaults.cfg", std::ios::binary) << defaults;
  auto b = Fresh();
  b->LoadPreferences(false);
  EXPECT_EQ(b->themePrefs[0].numClasses, 50);
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_NE(messages_.Texts()[0].find("is damaged"), std::string::npos);
  EXPECT_EQ(Slurp(dir_ / "config" / "Pyrvane6.cfg.bad"), damaged[0]);
}

TEST_F(Preferences, ChainEndsInBuiltInDefaults) {
  auto a = Fresh();
  a->SetWorkingFolder((dir_ / "prog").string());
  a->LoadPreferences(false);
  EXPECT_EQ(a->workingFolder, (dir_ / "work").string());
  struct Case { int type, decimals; };
  for (Case c : {Case{0, 0}, {6, 0}, {42, 0}, {10, 2}, {16, 2}, {18, 2}, {28, 2}, {30, 2}, {7, 9}, {11, 9}, {43, 9}}) {
    EXPECT_EQ(a->themePrefs[static_cast<size_t>(c.type)].decimals, c.decimals) << c.type;
    EXPECT_EQ(a->themePrefs[static_cast<size_t>(c.type)].numClasses, 20);
    EXPECT_EQ(a->themePrefs[static_cast<size_t>(c.type)].contourColor, 0x960000u);
  }
  EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(Preferences, Commands) {
  platform::ScopedScriptedDialogs dialogs;
  auto a = Fresh();
  FillRichState(*a, (dir_ / "work").string());
  a->SavePreferences();

  // Save As: the chosen name gets ".cfg"; a folder that cannot be written says so.
  dialogs.AnswerSaveFile((dir_ / "mine").string());
  dialogs.AnswerSaveFile((dir_ / "no" / "such" / "x.cfg").string());
  EXPECT_FALSE(a->OnSavePreferencesAs());
  EXPECT_FALSE(a->OnSavePreferencesAs());
  EXPECT_TRUE(fs::exists(dir_ / "mine.cfg"));
  EXPECT_EQ(messages_.Texts(),
            (std::vector<std::string>{"Config file successfully saved to disk", "Error saving config file!"}));
  EXPECT_EQ(dialogs.Requests()[0].options.title, "Pyrvane2 Config File");
  EXPECT_EQ(dialogs.Requests()[0].options.filter, "Pyrvane Archives (*.cfg)|*.cfg||");
  messages_.Clear();

  // Load Saved with an unreadable file: the user's own file comes back, with the message.
  a->themePrefs[0].numClasses = 99;
  dialogs.AnswerOpenFile((dir_ / "missing.cfg").string());
  EXPECT_FALSE(a->OnLoadSavedPreferences());
  EXPECT_EQ(a->themePrefs[0].numClasses, 2);
  EXPECT_EQ(a->colorRamps.size(), 2u);  // freed, then read once
  EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Error loading config file!"});
  dialogs.AnswerOpenFile((dir_ / "mine.cfg").string());
  EXPECT_TRUE(a->OnLoadSavedPreferences());
  EXPECT_FALSE(a->OnLoadSavedPreferences());  // cancelled
  messages_.Clear();

  // Load Default asks first; No keeps everything.
  messages_.Script({platform::Answer::No, platform::Answer::Yes});
  EXPECT_FALSE(a->OnLoadDefaultPreferences());
  EXPECT_EQ(a->colorRamps.size(), 2u);
  EXPECT_TRUE(a->OnLoadDefaultPreferences());
  EXPECT_TRUE(a->colorRamps.empty());
  EXPECT_EQ(a->themePrefs[0].numClasses, 20);  // no defaults.cfg: built-in
  EXPECT_EQ(messages_.Texts()[0],
            "Loading default preferences will overwrite any current preferences you have defined. Continue?");
}

TEST_F(Preferences, StartupShutdownAndTheFirstCopy) {
  std::ofstream(dir_ / "data" / "OnlineHelpURL.txt", std::ios::binary) << "https://mirror.example/help/\r\n";
  for (const char* n : {"1.pvb", "7.pvb", "keep.tif"}) std::ofstream(dir_ / "work" / n) << "x";

  const char* gdalDataBefore = CPLGetConfigOption("GDAL_DATA", nullptr);
  std::string gdalData = gdalDataBefore ? gdalDataBefore : "(unset)";
  auto first = std::make_unique<CPVN4App>();
  ASSERT_TRUE(first->Startup(folders_));
  EXPECT_STREQ(CPLGetConfigOption("GDAL_PAM_ENABLED", ""), "YES");
  const char* gdalDataAfter = CPLGetConfigOption("GDAL_DATA", nullptr);
  EXPECT_EQ(gdalDataAfter ? gdalDataAfter : "(unset)", gdalData);  // the installation's own
  EXPECT_GT(GDALGetDriverCount(), 0);
  EXPECT_TRUE(first->firstInstance);
  EXPECT_FALSE(fs::exists(dir_ / "work" / "1.pvb"));
  EXPECT_FALSE(fs::exists(dir_ / "work" / "7.pvb"));
  EXPECT_TRUE(fs::exists(dir_ / "work" / "keep.tif"));
  EXPECT_EQ(first->helpBase, "https://mirror.example/help/");
  EXPECT_EQ(first->backgroundColor, kWorkspaceColor);
  EXPECT_EQ(first->themePrefs[12].layerType, 12);
  EXPECT_EQ(first->windVectorPrefs[2].kind, 2);
  {
    platform::ScopedRecordingShell shell;
    first->ShowHelpTopic(4);
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{"url:https://mirror.example/help/EMBRITH/EMBRITH_Wx_Inputs.htm"});
  }

  // A second copy while the first runs leaves the scratch files alone.
  std::ofstream(dir_ / "work" / "2.pvb") << "x";
  auto second = std::make_unique<CPVN4App>();
  ASSERT_TRUE(second->Startup(folders_));
  EXPECT_FALSE(second->firstInstance);
  EXPECT_TRUE(fs::exists(dir_ / "work" / "2.pvb"));
  second->Shutdown(false);
  // The second copy's exit does not free the first copy's marker.
  EXPECT_FALSE(platform::SingleInstanceLock(folders_.lockPath).IsFirst());

  first->Shutdown(false);
  std::string written = Slurp(dir_ / "config" / "Pyrvane6.cfg");
  EXPECT_EQ(written.rfind("Pyrvane 6.1 Config file Version 7\n", 0), 0u);
  auto reread = Fresh();
  ASSERT_TRUE(reread->ReadPreferencesFile((dir_ / "config" / "Pyrvane6.cfg").string()));
  EXPECT_EQ(reread->themePrefs[11].numClasses, 20);
  EXPECT_TRUE(platform::SingleInstanceLock(folders_.lockPath).IsFirst());
}

TEST_F(Preferences, ShippedDefaultsAreACompleteVersionSevenFile) {
  fs::path shipped = fs::path(PV_SOURCE_DIR) / "data" / "defaults.cfg";
  auto a = Fresh();
  std::string damage;
  ASSERT_TRUE(a->ReadPreferencesFile(shipped.string(), &damage)) << damage;
  EXPECT_FALSE(a->colorRamps.empty());
  EXPECT_EQ(a->themePrefs[0].ramp.GetCount(), 6);
  // The shipped file names no working folder, so the user's default stays.
  EXPECT_EQ(a->workingFolder, (dir_ / "work").string());
  a->workingFolder.clear();
  ASSERT_TRUE(a->WritePreferencesFile((dir_ / "again.cfg").string()));
  EXPECT_EQ(Slurp(dir_ / "again.cfg"), Slurp(shipped));
}

TEST_F(Preferences, PredefinedLegendChosenByTypeAndExactName) {
  auto a = Fresh();
  auto add = [&](const char* name, int type) {
    auto l = std::make_unique<CPredefinedThemeLegend>();
    l->name = name;
    l->layerType = type;
    a->predefinedLegends.push_back(std::move(l));
    return a->predefinedLegends.back().get();
  };
  add("Fuels", 11);  // same name, another layer type: never used for type 3
  const CPredefinedThemeLegend* fuels = add("Fuels", 3);
  add("fuels", 3);
  auto& pref = a->themePrefs[3];
  pref.predefinedLegendName = "Fuels";
  EXPECT_EQ(a->PredefinedLegendFor(3), nullptr);  // flag off
  pref.usePredefinedLegend = 1;
  EXPECT_EQ(a->PredefinedLegendFor(3), fuels);
  pref.predefinedLegendName = "Fuels ";
  EXPECT_EQ(a->PredefinedLegendFor(3), nullptr);  // no exact match: the preference's own fields
  EXPECT_EQ(a->PredefinedLegendFor(44), nullptr);

  auto wv = std::make_unique<CPredefinedWVThemeLegend>();
  wv->name = "Gusts";
  wv->kind = 1;
  a->predefinedWVLegends.push_back(std::move(wv));
  a->windVectorPrefs[0].usePredefinedLegend = a->windVectorPrefs[1].usePredefinedLegend = 1;
  a->windVectorPrefs[0].predefinedLegendName = a->windVectorPrefs[1].predefinedLegendName = "Gusts";
  EXPECT_EQ(a->PredefinedWVLegendFor(0), nullptr);
  EXPECT_EQ(a->PredefinedWVLegendFor(1), a->predefinedWVLegends[0].get());
}

TEST(PreferenceRecords, ConstructedLegends) {
  CPredefinedThemeLegend fresh;
  ASSERT_EQ(fresh.GetCount(), 2);
  EXPECT_EQ(fresh.GetEntry(0).GetValue(), -9999.0f);
  EXPECT_EQ(fresh.GetEntry(0).GetColor(), 0xFFFFFFu);
  EXPECT_EQ(fresh.layerType, 10);

  CTheme theme;
  theme.layerType = 12;
  CThemeLegendData legend;
  legend.SetTheme(&theme);
  legend.SetUnits(2);
  legend.SetDecimals(3);
  legend.SetMinValue(1.5);
  legend.SetMaxValue(9.5);
  legend.AddEntry(CLegendEntry(-9999.0f, 0xFFFFFF));
  legend.AddEntry(CLegendEntry(4.0f, 0xFF));
  CPredefinedThemeLegend copy(legend);
  EXPECT_EQ(copy.layerType, 12);
  EXPECT_EQ(copy.GetTheme(), nullptr);
  EXPECT_EQ(copy.GetUnits(), 2);
  EXPECT_EQ(copy.GetDecimals(), 3);
  EXPECT_EQ(copy.GetMaxValue(), 9.5);
  EXPECT_EQ(copy.GetCount(), 2);
  EXPECT_TRUE(copy.name.empty());

  CPredefinedWVThemeLegend wv;
  ASSERT_EQ(wv.legend.GetCount(), 1);
  EXPECT_EQ(wv.legend.GetEntry(0).GetRelativeLength(), 1);
  EXPECT_EQ(wv.legend.autoDensity, 0);
  EXPECT_EQ(wv.legend.targetSize, 32);

  // Ordered insertion: "No Data" first, equal values in arrival order.
  CWVLegendData g;
  for (auto [v, len] : {std::pair{20.0f, 1}, {10.0f, 2}, {10.0f, 3}, {-9999.0f, 4}}) g.AddEntry(CWVLegendEntry(v, 0, len));
  ASSERT_EQ(g.GetCount(), 4);
  EXPECT_EQ(g.GetEntry(0).GetValue(), -9999.0f);
  EXPECT_EQ(g.GetEntry(1).GetRelativeLength(), 2);
  EXPECT_EQ(g.GetEntry(2).GetRelativeLength(), 3);
  EXPECT_EQ(g.GetEntry(3).GetValue(), 20.0f);
  EXPECT_EQ(CWVLegendEntry(1.0f, 0, -3).GetRelativeLength(), 0);
}

TEST_F(Preferences, AFailedSaveAtShutdownIsSaid) {
  auto app = std::make_unique<CPVN4App>();
  ASSERT_TRUE(app->Startup(folders_));
  // A folder where the file should be: nothing can replace it.
  fs::create_directories(dir_ / "config" / "Pyrvane6.cfg" / "inside");
  messages_.Clear();
  app->Shutdown(false);
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_EQ(messages_.Texts()[0], "Error saving config file!\n" + (dir_ / "config" / "Pyrvane6.cfg").string());
}

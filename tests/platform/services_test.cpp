#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/dialogs.h"
#include "platform/image.h"
#include "platform/services.h"
#include "platform/test_folder.h"

namespace fs = std::filesystem;
using namespace platform;

TEST(Dialogs, FilterParsingAndCaseInsensitiveMatching) {
  auto entries = ParseFilter("Pyrvane Archives (*.cfg)|*.cfg||");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].description, "Pyrvane Archives (*.cfg)");
  EXPECT_EQ(entries[0].patterns, std::vector<std::string>{"*.cfg"});
  EXPECT_EQ(FilterToWildcard("Grids|*.asc; *.TIF|All|*.*||"), "Grids|*.asc;*.ASC;*.TIF;*.tif|All|*.*");
  auto grids = ParseFilter("Grids|*.asc;*.tif||")[0].patterns;
  EXPECT_TRUE(MatchesPatterns("C:\\data\\DEM.ASC", grids));
  EXPECT_TRUE(MatchesPatterns("/x/dem.Tif", grids));
  EXPECT_FALSE(MatchesPatterns("/x.asc/dem.tiff", grids));
  EXPECT_TRUE(ParseFilter("").empty());
  EXPECT_TRUE(ParseFilter("||").empty());
  EXPECT_EQ(WithDefaultExtension("/a.b/prefs", "cfg"), "/a.b/prefs.cfg");
  EXPECT_EQ(WithDefaultExtension("/a/prefs.txt", "cfg"), "/a/prefs.txt");
  // A name typed with its extension before the one the save dialog filled in keeps one.
  const std::pair<const char*, const char*> saved[] = {
      {"/p/analysis1.pvn.pvn", "/p/analysis1.pvn"}, {"/p/analysis1.PVN.pvn", "/p/analysis1.PVN"},
      {"/p/analysis1", "/p/analysis1.pvn"},          {"/p/analysis1.pvn", "/p/analysis1.pvn"},
      {"/p/.pvn.pvn", "/p/.pvn"},                    {"/p/a.lcp.pvn", "/p/a.lcp.pvn"}};
  for (const auto& [typed, kept] : saved) EXPECT_EQ(WithDefaultExtension(typed, "pvn"), kept) << typed;
}

TEST(Dialogs, ScriptedAnswersInOrderThenCancel) {
  ScopedScriptedDialogs dialogs;
  dialogs.AnswerSaveFile("/tmp/mine");
  dialogs.AnswerColour(0x00FF00u);
  FileDialogOptions o;
  o.title = "Pyrvane2 Config File";
  o.defaultExt = "cfg";
  EXPECT_EQ(CurrentDialogs().ChooseSaveFile(o), std::optional<std::string>("/tmp/mine.cfg"));
  EXPECT_EQ(CurrentDialogs().ChooseSaveFile(o), std::nullopt);
  EXPECT_EQ(CurrentDialogs().ChooseColour(0), std::optional<std::uint32_t>(0x00FF00u));
  EXPECT_EQ(CurrentDialogs().ChooseFolder("Pick", "/tmp"), std::nullopt);
  auto req = dialogs.Requests();
  ASSERT_EQ(req.size(), 4u);
  EXPECT_EQ(req[0].options.title, "Pyrvane2 Config File");
  EXPECT_EQ(req[3].kind, ScriptedDialogs::Request::Folder);
  EXPECT_EQ(req[3].options.initialPath, "/tmp");
}

TEST(Services, ShellRecorderAndProcessorCount) {
  ScopedRecordingShell shell;
  EXPECT_TRUE(ShellOpenUrl("https://example.org/help"));
  shell.SetResult(false);
  EXPECT_FALSE(ShellOpenFile("/tmp/report.pdf"));
  EXPECT_EQ(shell.Opened(), (std::vector<std::string>{"url:https://example.org/help", "file:/tmp/report.pdf"}));
  EXPECT_GE(ProcessorCount(), 1);
}

TEST(Services, OnlyTheFirstHolderOfTheLockIsFirst) {
  TestFolder folder;
  std::string path = (folder / "run" / "pyrvane6.lock").string();
  auto first = std::make_unique<SingleInstanceLock>(path);
  EXPECT_TRUE(first->IsFirst());
  {
    SingleInstanceLock second(path);
    EXPECT_FALSE(second.IsFirst());
  }
  // The second copy ending does not free the first copy's marker.
  SingleInstanceLock third(path);
  EXPECT_FALSE(third.IsFirst());
  first.reset();
  SingleInstanceLock fourth(path);
  EXPECT_TRUE(fourth.IsFirst());
  // A folder that cannot be created means "not first", never a crash.
  EXPECT_FALSE(SingleInstanceLock("/proc/no/such/lock").IsFirst());
}

TEST(Image, DrawSaveAndReadBackWithIndependentReader) {
  Image img(20, 10);
  img.Fill(Rgba{255, 255, 255, 255});
  {
    Canvas c(img);
    c.SetAntialias(false);
    c.SetColour(RgbaFromColorRef(0x0000FFu));  // red as 0x00BBGGRR
    c.FillRect(0, 0, 10, 10);
    c.SetColour(Rgba{0, 0, 255, 128});
    c.FillRect(10, 0, 10, 5);
  }
  EXPECT_EQ(img.GetPixel(2, 2), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(img.GetPixel(15, 8), (Rgba{255, 255, 255, 255}));
  Rgba blend = img.GetPixel(15, 2);
  EXPECT_NEAR(blend.r, 127, 2);
  EXPECT_EQ(blend.b, 255);
  EXPECT_EQ(img.GetPixel(-1, 0).a, 0);

  TestFolder folder;
  const fs::path& dir = folder.Path();
  std::string png = (dir / "out.png").string();
  ASSERT_TRUE(img.SavePng(png));
  std::string cmd = std::string(PV_PYTHON) +
                    " -c \"from osgeo import gdal; d=gdal.Open('" + png +
                    "'); print(d.RasterXSize, d.RasterYSize,"
                    " [int(d.GetRasterBand(b).ReadAsArray()[2,2]) for b in (1,2,3)])\"";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[256] = {};
  std::fgets(buf, sizeof buf, p);
  pclose(p);
  EXPECT_STREQ(buf, "20 10 [255, 0, 0]\n");

  Image back;
  ASSERT_TRUE(back.LoadPng(png));
  EXPECT_EQ(back.ToRgbaBytes(), img.ToRgbaBytes());
  EXPECT_FALSE(back.LoadPng((dir / "missing.png").string()));
  EXPECT_EQ(back.Width(), 20);  // a failed load keeps the image
  EXPECT_FALSE(img.SavePng((dir / "no" / "such" / "x.png").string()));
  EXPECT_FALSE(Image(0, 5).SavePng(png));
}

// Small images live in cairo's own buffer, large ones (4 MB and more) in huge-page memory:
// both start transparent, draw, copy and move alike.
TEST(Image, SmallAndLargeImagesBehaveAlike) {
  for (const auto& [w, h] : {std::pair{30, 20}, std::pair{1200, 1000}}) {
    SCOPED_TRACE(w);
    Image img(w, h);
    ASSERT_FALSE(img.IsEmpty());
    EXPECT_EQ(img.GetPixel(w - 1, h - 1), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(img.GetPixel(w / 2, h / 2), (Rgba{0, 0, 0, 0}));
    img.Fill(Rgba{10, 20, 30, 255});
    {
      Canvas c(img);
      c.SetAntialias(false);
      c.SetColour(Rgba{200, 0, 0, 255});
      c.FillRect(w - 5, h - 5, 5, 5);
    }
    img.SetPixel(0, h - 1, Rgba{1, 2, 3, 255});
    Image copy(img);
    EXPECT_EQ(copy.ToRgbaBytes(), img.ToRgbaBytes());
    Image moved(std::move(copy));
    EXPECT_EQ(moved.GetPixel(w - 1, h - 1), (Rgba{200, 0, 0, 255}));
    EXPECT_EQ(moved.GetPixel(0, h - 1), (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(moved.GetPixel(w / 2, 0), (Rgba{10, 20, 30, 255}));
  }
}

// The Landscape commands and the LCP to GeoTIFF dialog, with scripted file choices and GDAL's
// own reader as the judge of what was written.
#include <gtest/gtest.h>
#include <gdal_priv.h>
#include <wx/button.h>

#include <filesystem>
#include <fstream>

#include "landscape/ui/convert_dialog.h"
#include "landscape/ui/landscape_commands.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/theme.h"
#include "widgets/screenshot.h"

namespace landscape::ui {
namespace {

namespace fs = std::filesystem;

std::string Sample(const char* name) { return std::string(PV_SOURCE_DIR) + "/data/sample/" + name; }

class LandscapeCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(PV_BINARY_DIR) / "views_landscape_test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    GDALAllRegister();
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  // Band count GDAL sees, 0 when it cannot open the file.
  static int Bands(const std::string& path) {
    GDALDataset* ds = static_cast<GDALDataset*>(GDALOpen(path.c_str(), GA_ReadOnly));
    if (!ds) return 0;
    const int n = ds->GetRasterCount();
    GDALClose(ds);
    return n;
  }
  fs::path dir_;
};

TEST_F(LandscapeCommandsTest, OpenLandscapeCancelledFailedAndOpened) {
  CPVN4Doc doc;
  platform::ScopedScriptedDialogs dialogs;
  platform::ScopedRecordingMessages messages;
  dialogs.AnswerOpenFile(std::nullopt);
  EXPECT_EQ(BrowseAndOpenLandscape(doc), -1);
  std::ofstream(Path("broken.lcp")) << "not a landscape";
  dialogs.AnswerOpenFile(Path("broken.lcp"));
  EXPECT_EQ(BrowseAndOpenLandscape(doc), -1);
  EXPECT_FALSE(doc.IsLandscapeLoaded());
  EXPECT_EQ(doc.currentArea, nullptr);
  EXPECT_EQ(doc.GetVisibleTheme(), nullptr);
  EXPECT_FALSE(messages.Texts().empty());  // the loader said why

  dialogs.AnswerOpenFile(Sample("sample.lcp"));
  EXPECT_EQ(BrowseAndOpenLandscape(doc), 0);
  ASSERT_NE(doc.currentArea, nullptr);
  EXPECT_EQ(doc.currentArea->name, "Entire Landscape (Default)");
  EXPECT_EQ(doc.GetVisibleTheme()->layerType, 3);
  const auto requests = dialogs.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].options.filter, kOpenLandscapeFilter);
  // Once loaded, Open asks nothing.
  OnOpenLandscape(doc);
  EXPECT_EQ(dialogs.Requests().size(), 3u);
}

TEST_F(LandscapeCommandsTest, SaveAndCreateLandscapeByExtension) {
  CPVN4Doc doc;
  ASSERT_EQ(doc.OpenLandscape(Sample("sample.lcp")), 1);
  platform::ScopedScriptedDialogs dialogs;
  platform::ScopedRecordingMessages messages;

  // The landscape's own file in another case is refused, for both commands.
  std::string own = doc.landscape.path;
  own.replace(own.size() - 4, 4, ".LCP");
  dialogs.AnswerSaveFile(own);
  OnSaveLandscape(doc);
  dialogs.AnswerSaveFile(own);
  OnCreateLandscape(doc);
  const std::string refusal = "Error! " + doc.landscape.path + " is already in use";
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{refusal, refusal}));
  messages.Clear();

  // Unknown extension: nothing written, and the reason said.
  dialogs.AnswerSaveFile(Path("out.asc"));
  OnSaveLandscape(doc);
  EXPECT_FALSE(fs::exists(Path("out.asc")));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Cannot write " + Path("out.asc") +
                                                       ": a landscape is written as a .lcp or a .tif file."});
  messages.Clear();

  dialogs.AnswerSaveFile(Path("copy.LCP"));
  OnSaveLandscape(doc);
  EXPECT_EQ(Bands(Path("copy.LCP")), doc.landscape.bandCount);
  dialogs.AnswerSaveFile(Path("layers.tif"));
  OnSaveLandscape(doc);
  EXPECT_EQ(Bands(Path("layers.tif")), 8);
  dialogs.AnswerSaveFile(Path("area.tif"));
  OnCreateLandscape(doc);
  EXPECT_EQ(Bands(Path("area.tif")), 8);
  const auto requests = dialogs.Requests();
  EXPECT_EQ(requests.back().options.title, "Select Destination file");
  EXPECT_EQ(requests.back().options.defaultExt, "lcp");
  EXPECT_TRUE(requests.back().options.overwritePrompt);
}

TEST_F(LandscapeCommandsTest, ConvertDialogChecksInOrderAndConverts) {
  platform::ScopedScriptedDialogs dialogs;
  platform::ScopedRecordingMessages messages;
  auto* dlg = new CConvertLCPtoGeoTiffDlg(nullptr);
  dlg->Show();
  EXPECT_FALSE(dlg->ProjectionButton()->IsEnabled());

  // OK checks: source, then projection, then destination.
  EXPECT_FALSE(dlg->OnOK());
  std::ofstream(Path("junk.lcp")) << "junk";
  dialogs.AnswerOpenFile(Path("junk.lcp"));
  dlg->OnSourceLcp();
  EXPECT_TRUE(dlg->SourcePath().empty());

  // A source without projection asks for a projection file.
  fs::copy_file(Sample("sample.lcp"), Path("bare.lcp"));
  dialogs.AnswerOpenFile(Path("bare.lcp"));
  dlg->OnSourceLcp();
  EXPECT_TRUE(dlg->ProjectionButton()->IsEnabled());
  EXPECT_FALSE(dlg->OnOK());
  std::ofstream(Path("bad.prj")) << "NOT A PROJECTION";
  dialogs.AnswerOpenFile(Path("bad.prj"));
  dlg->OnSourceProjection();
  EXPECT_TRUE(dlg->ProjectionPath().empty());
  dialogs.AnswerOpenFile(Sample("sample.prj"));
  dlg->OnSourceProjection();
  EXPECT_EQ(dlg->ProjectionPath(), Sample("sample.prj"));
  EXPECT_FALSE(dlg->OnOK());
  dialogs.AnswerSaveFile(Path("converted"));
  dlg->OnDestination();
  EXPECT_EQ(dlg->DestinationPath(), Path("converted.tif"));
  EXPECT_TRUE(dlg->OnOK());
  EXPECT_FALSE(dlg->IsShown());

  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{
                "Error. No source LCP file selected. Select an LCP file.",
                "Invalid LCP file\n",
                "No projection information found.\nPlease select the appropriate ESRI projection file (*.prj)",
                "Error. No projection information. Please select an appropriate source projection file.",
                "Unrecognized projection.",
                "Error. No destination GeoTIFF file selected. Select a destination file.",
                "Successfully created GeoTIFF landscape:\n" + Path("converted.tif"),
            }));
  dlg->Destroy();

  // The independent reader accepts the output, with its projection.
  std::string info;
  {
    FILE* p = popen(("gdalinfo " + Path("converted.tif") + " 2>&1").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[4096];
    while (size_t n = fread(buf, 1, sizeof buf, p)) info.append(buf, n);
    EXPECT_EQ(pclose(p), 0) << info;
  }
  EXPECT_NE(info.find("Band 8"), std::string::npos);
  EXPECT_NE(info.find("UTM zone 11N"), std::string::npos);

  // A source that has its projection needs no file; its button stays disabled.
  auto* again = new CConvertLCPtoGeoTiffDlg(nullptr);
  dialogs.AnswerOpenFile(Sample("sample.lcp"));
  again->OnSourceLcp();
  EXPECT_TRUE(again->HasProjection());
  EXPECT_FALSE(again->ProjectionButton()->IsEnabled());
  again->Destroy();
  widgets::FlushEvents();
}

}  // namespace
}  // namespace landscape::ui

#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/weakref.h>

#include "app/ui/splash_screen.h"
#include "widgets/screenshot.h"

using app::ui::CSplashScreenEx;
using app::ui::OpaqueRuns;
using app::ui::PixelRun;

namespace {

const std::string kSplashPath = std::string(PV_SOURCE_DIR) + "/data/images/splash61.jpg";

// Pumps until the window is gone (bounded).
bool PumpUntilGone(const wxWeakRef<CSplashScreenEx>& splash) {
  for (int i = 0; i < 200 && splash; ++i) widgets::FlushEvents(1);
  return !splash;
}

}  // namespace

TEST(SplashShape, RunsOfOpaquePixels) {
  const unsigned char M[3] = {255, 0, 255}, K[3] = {10, 20, 30}, J[3] = {250, 6, 251};
  struct Case {
    const char* what;
    int width;
    std::vector<const unsigned char*> pixels;
    int tolerance;
    std::vector<PixelRun> runs;
  };
  const std::vector<Case> cases = {
      {"all transparent", 3, {M, M, M, M, M, M}, 0, {}},
      {"only the last pixel", 3, {M, M, K}, 0, {{0, 2, 3}}},
      {"run to the line end, next line afresh", 2, {M, K, K, M}, 0, {{0, 1, 2}, {1, 0, 1}}},
      {"two runs on one line", 5, {K, M, K, K, M}, 0, {{0, 0, 1}, {0, 2, 4}}},
      {"near key is opaque without tolerance", 2, {J, M}, 0, {{0, 0, 1}}},
      {"near key is cut with tolerance", 2, {J, M}, 8, {}},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> rgb;
    for (const unsigned char* p : c.pixels) rgb.insert(rgb.end(), p, p + 3);
    int height = static_cast<int>(c.pixels.size()) / c.width;
    EXPECT_EQ(OpaqueRuns(rgb.data(), c.width, height, 255, 0, 255, c.tolerance), c.runs) << c.what;
  }
  EXPECT_TRUE(OpaqueRuns(nullptr, 4, 4, 255, 0, 255, 0).empty());
}

TEST(SplashScreen, ShippedPictureIsCutToItsShapeAndCentred) {
  wxInitAllImageHandlers();
  auto* splash = new CSplashScreenEx;
  ASSERT_TRUE(splash->Create(nullptr, nullptr, 0, 15));
  ASSERT_TRUE(splash->SetBitmapFromFile(kSplashPath, 255, 0, 255));
  ASSERT_TRUE(splash->HasPicture());
  const auto& runs = splash->ShapeRuns();
  ASSERT_FALSE(runs.empty());
  // The rounded corners are cut away; the middle row spans the whole picture.
  EXPECT_EQ(runs.front().y, 0);
  EXPECT_GT(runs.front().x0, 0);
  bool fullRow = false;
  for (const PixelRun& r : runs) fullRow |= r.x0 == 0 && r.x1 == 480 && r.y == 150;
  EXPECT_TRUE(fullRow);
  wxRect area = wxGetClientDisplayRect();
  EXPECT_EQ(splash->SplashPosition(), wxPoint(area.x + (area.width - 480) / 2,
                                             area.y + (area.height - 300) / 2));
  splash->ShowSplash();
  widgets::FlushEvents(3);
  EXPECT_TRUE(splash->IsShown());
  // Timeout 0: still there after pumping.
  wxWeakRef<CSplashScreenEx> ref(splash);
  widgets::FlushEvents(5);
  ASSERT_TRUE(ref);
  splash->HideSplash();
  splash->HideSplash();  // a second request while going is harmless
  EXPECT_TRUE(PumpUntilGone(ref));
}

TEST(SplashScreen, KeyColourComponentMinusOneKeepsItRectangular) {
  wxInitAllImageHandlers();
  auto* splash = new CSplashScreenEx;
  ASSERT_TRUE(splash->Create(nullptr, nullptr, 0, 8));
  splash->SetBitmapFromFile(kSplashPath, -1, 0, 255);
  EXPECT_TRUE(splash->HasPicture());
  EXPECT_TRUE(splash->ShapeRuns().empty());
  wxWeakRef<CSplashScreenEx> ref(splash);
  splash->HideSplash();
  EXPECT_TRUE(PumpUntilGone(ref));
}

TEST(SplashScreen, MissingPictureStillAnswersTrueAndShowsNothing) {
  auto* splash = new CSplashScreenEx;
  ASSERT_TRUE(splash->Create(nullptr, nullptr, 1, 15));
  EXPECT_TRUE(splash->SetBitmapFromFile("/nonexistent/splash61.jpg", 255, 0, 255));
  EXPECT_FALSE(splash->HasPicture());
  wxWeakRef<CSplashScreenEx> ref(splash);
  splash->ShowSplash();
  EXPECT_TRUE(PumpUntilGone(ref));  // its 1 ms time-out ends it
}

TEST(SplashScreen, KeyOrButtonEndsItOnlyWithTheInputStyle) {
  wxInitAllImageHandlers();
  for (unsigned style : {8u, 8u | CSplashScreenEx::kHideOnInput}) {
    auto* splash = new CSplashScreenEx;
    ASSERT_TRUE(splash->Create(nullptr, "Loading", 0, style));
    splash->SetBitmapFromFile(kSplashPath, 255, 0, 255);
    splash->ShowSplash();
    wxWeakRef<CSplashScreenEx> ref(splash);
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    click.SetEventObject(splash);
    splash->ProcessWindowEvent(click);
    widgets::FlushEvents(3);
    if (style & CSplashScreenEx::kHideOnInput) {
      EXPECT_TRUE(PumpUntilGone(ref));
    } else {
      ASSERT_TRUE(ref);
      splash->HideSplash();
      EXPECT_TRUE(PumpUntilGone(ref));
    }
  }
}

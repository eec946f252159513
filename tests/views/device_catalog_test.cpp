#include <gtest/gtest.h>

#include "views/device_catalog.h"

namespace views {
namespace {

PlatformReport Screen() {
  PlatformReport r;
  r.adapter = ":0.0";
  r.renderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
  r.screenWidth = 1600;
  r.screenHeight = 1000;
  r.screenDepth = 24;
  r.current = {1600, 1000, 60, 24};
  r.configs = {
      {8, 8, 8, 8, 24, 8, 0, true, true},  {8, 8, 8, 0, 24, 8, 0, true, true},
      {8, 8, 8, 0, 16, 0, 0, true, true},  {8, 8, 8, 0, 24, 8, 4, true, true},
      {8, 8, 8, 0, 0, 0, 0, true, true},   // no depth: fails the depth request
      {5, 6, 5, 0, 16, 0, 0, true, true},  {4, 4, 4, 4, 16, 0, 0, true, true},  // too few colour bits
      {8, 8, 8, 0, 24, 8, 0, false, true}, // pixmaps only
      {8, 8, 8, 0, 24, 8, 0, true, false}, // single-buffered
  };
  r.modes = {{1024, 768, 60, 24}, {320, 240, 60, 24}, {640, 480, 75, 24}, {640, 480, 60, 24},
             {1600, 1000, 60, 24}, {800, 600, 60, 8}};
  return r;
}

TEST(DeviceCatalog, ModesAreLargeEnoughAndSorted) {
  CatalogRequirements needs;
  needs.depthBuffer = true;
  const DeviceCatalog c = BuildCatalog(Screen(), needs);
  ASSERT_EQ(c.modes.size(), 4u);
  EXPECT_EQ(c.modes[0], (DisplayMode{640, 480, 60, 24}));  // equal sizes by refresh
  EXPECT_EQ(c.modes[1], (DisplayMode{640, 480, 75, 24}));
  EXPECT_EQ(c.modes[2], (DisplayMode{1024, 768, 60, 24}));
  EXPECT_EQ(c.modes[3], (DisplayMode{1600, 1000, 60, 24}));
  EXPECT_FALSE(c.hardware);

  // A display that reports its current mode as 0 x 0 and nothing else still has the screen.
  PlatformReport bare = Screen();
  bare.modes.clear();
  bare.current = {};
  const DeviceCatalog b = BuildCatalog(bare, needs);
  ASSERT_EQ(b.modes.size(), 1u);
  EXPECT_EQ(b.modes[0], (DisplayMode{1600, 1000, 0, 24}));
  EXPECT_EQ(b.desktop.width, 1600);
}

TEST(DeviceCatalog, CombinationsGroupConfigsAndTheWindowedChoiceTakesTheFirstOfEach) {
  CatalogRequirements needs;
  needs.depthBuffer = true;
  PlatformReport r = Screen();
  r.renderer = "Mesa Intel(R) UHD Graphics 620";
  r.swapControl = true;
  const DeviceCatalog c = BuildCatalog(r, needs);
  EXPECT_TRUE(c.hardware);
  // Windowed: 8 bits with and without alpha, 5 bits; full screen: the 8-bit ones, the only
  // depth a display mode has.
  ASSERT_EQ(c.combinations.size(), 5u);
  for (std::size_t i = 0; i < c.combinations.size(); ++i) EXPECT_EQ(c.combinations[i].windowed, i < 3) << i;
  EXPECT_EQ(c.combinations[3].colourBits, 8);
  EXPECT_EQ(c.combinations[4].colourBits, 8);
  const DeviceCombination& rgb = c.combinations[1];
  EXPECT_EQ(rgb.colourBits, 8);
  EXPECT_EQ(rgb.alphaBits, 0);
  EXPECT_EQ(rgb.depthStencil, (std::vector<DepthStencil>{{16, 0}, {24, 8}}));
  EXPECT_EQ(rgb.samples, (std::vector<int>{0, 4}));
  EXPECT_EQ(rgb.intervals.size(), 3u);

  const auto w = FindWindowedSettings(c, needs);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->combination.alphaBits, 0);  // the desktop's own format
  EXPECT_EQ(w->depthStencil, (DepthStencil{16, 0}));
  EXPECT_EQ(w->samples, 0);
  EXPECT_EQ(w->interval, PresentInterval::Immediate);
  // A window can be had: the choice is windowed, with full screen known beside it.
  const auto choice = ChooseDevice(c, needs);
  ASSERT_TRUE(choice);
  EXPECT_TRUE(choice->windowed);
  ASSERT_TRUE(choice->fullscreen);
  EXPECT_EQ(choice->fullscreen->mode, (DisplayMode{1600, 1000, 60, 24}));  // the desktop's own mode
  EXPECT_EQ(choice->fullscreen->combination.alphaBits, 0);
  EXPECT_EQ(choice->fullscreen->interval, PresentInterval::Default);
  EXPECT_FALSE(ChooseDevice(c, needs, true)->windowed);  // full screen asked for
}

// A desktop of a depth no configuration has: no window, so the whole screen in a mode that has
// one; the desktop's width is preferred, then the first mode.
TEST(DeviceCatalog, WithoutAWindowTheChoiceIsFullScreenInTheBestMode) {
  CatalogRequirements needs;
  needs.depthBuffer = true;
  struct Case {
    DisplayMode desktop;
    std::vector<DisplayMode> modes;
    DisplayMode chosen;
  } cases[] = {
      {{1600, 1000, 60, 8}, {{640, 480, 60, 24}, {1600, 900, 60, 24}, {1600, 1000, 75, 24}, {1280, 1024, 60, 24}},
       {1600, 1000, 75, 24}},  // the last of the desktop's width
      {{1600, 1000, 60, 8}, {{1024, 768, 60, 24}, {800, 600, 60, 24}}, {800, 600, 60, 24}},  // none of its width
  };
  for (const Case& k : cases) {
    PlatformReport r = Screen();
    r.current = k.desktop;
    r.screenDepth = 8;
    r.modes = k.modes;
    const DeviceCatalog c = BuildCatalog(r, needs);
    EXPECT_FALSE(FindWindowedSettings(c, needs));
    const auto choice = ChooseDevice(c, needs);
    ASSERT_TRUE(choice);
    EXPECT_FALSE(choice->windowed);
    ASSERT_TRUE(choice->fullscreen);
    EXPECT_EQ(choice->fullscreen->mode, k.chosen);
    // None has the desktop's depth: the first full-screen combination, with its first depth format.
    EXPECT_EQ(choice->fullscreen->combination.colourBits, 8);
    EXPECT_EQ(choice->fullscreen->combination.alphaBits, 8);
    EXPECT_EQ(choice->fullscreen->depthStencil, (DepthStencil{24, 8}));
  }
  // No mode of any configuration's depth either: nothing to choose.
  PlatformReport none = Screen();
  none.current = {1600, 1000, 60, 8};
  none.screenDepth = 8;
  none.modes = {{1024, 768, 60, 8}};
  EXPECT_FALSE(ChooseDevice(BuildCatalog(none, needs), needs));
}

TEST(DeviceCatalog, WithoutSwapControlOnlyImmediateAndWithoutAMatchNoChoice) {
  CatalogRequirements needs;
  needs.depthBuffer = true;
  const DeviceCatalog c = BuildCatalog(Screen(), needs);
  for (const DeviceCombination& d : c.combinations)
    EXPECT_EQ(d.intervals, (std::vector<PresentInterval>{PresentInterval::Immediate}));
  // An 8-bit desktop matches no combination.
  PlatformReport eight = Screen();
  eight.current = {1600, 1000, 60, 8};
  EXPECT_FALSE(FindWindowedSettings(BuildCatalog(eight, needs), needs));
  // Nothing with a depth buffer: nothing to choose.
  PlatformReport flat = Screen();
  flat.configs = {{8, 8, 8, 0, 0, 0, 0, true, true}};
  const DeviceCatalog f = BuildCatalog(flat, needs);
  EXPECT_TRUE(f.combinations.empty());
  EXPECT_FALSE(FindWindowedSettings(f, needs));
  EXPECT_FALSE(BuildCatalog(flat, CatalogRequirements{}).combinations.empty());
}

}  // namespace
}  // namespace views

#pragma once
// The catalogue of what the display can render the 3D view with: its display modes and the
// frame-buffer configurations (colour, alpha, depth and stencil bits, samples) grouped into
// combinations, filtered by the view's needs, and the windowed configuration chosen from it.
// The window fills a PlatformReport from what GL and the X server report.
#include <optional>
#include <string>
#include <vector>

namespace views {

struct FrameBufferConfig {
  int red = 0, green = 0, blue = 0, alpha = 0;
  int depth = 0, stencil = 0, samples = 0;
  bool window = true;        // can draw into a window
  bool doubleBuffer = true;
};

struct DisplayMode {
  int width = 0, height = 0, refresh = 0, bitsPerPixel = 0;
  bool operator==(const DisplayMode&) const = default;
};

struct PlatformReport {
  std::string adapter;   // the X screen
  std::string renderer;  // GL_RENDERER
  std::vector<FrameBufferConfig> configs;
  std::vector<DisplayMode> modes;
  DisplayMode current;          // may be reported as 0 x 0
  int screenWidth = 0, screenHeight = 0, screenDepth = 0;
  bool swapControl = false;     // a swap-control extension is offered
};

struct CatalogRequirements {
  int minWidth = 640, minHeight = 480;
  int minColourBits = 5, minAlphaBits = 0, minDepthBits = 15, minStencilBits = 0;
  bool depthBuffer = false;
};

enum class PresentInterval { Immediate, Default, One };

struct DepthStencil {
  int depth = 0, stencil = 0;
  bool operator==(const DepthStencil&) const = default;
};

struct DeviceCombination {
  int colourBits = 0, alphaBits = 0;  // per channel
  // Windowed: drawn in a window on the desktop. Full screen: drawn over the whole screen in a
  // display mode of the same colour depth.
  bool windowed = true;
  std::vector<DepthStencil> depthStencil;  // ascending
  std::vector<int> samples;                // ascending, 0 for none
  std::vector<PresentInterval> intervals;
};

struct DeviceCatalog {
  std::string adapter;
  bool hardware = false;  // a hardware renderer rather than the software one
  DisplayMode desktop;
  std::vector<DisplayMode> modes;  // sorted by width, height, depth, refresh
  std::vector<DeviceCombination> combinations;  // the windowed ones first
};

struct WindowedChoice {
  DeviceCombination combination;
  DisplayMode desktop;
  DepthStencil depthStencil;
  int samples = 0;
  PresentInterval interval = PresentInterval::Immediate;
};

struct FullscreenChoice {
  DeviceCombination combination;
  DisplayMode mode;  // the display mode the screen is drawn in
  DepthStencil depthStencil;
  int samples = 0;
  PresentInterval interval = PresentInterval::Default;
};

// What the device is made with: a window, or the whole screen when no window can be had.
struct DeviceChoice {
  bool windowed = true;
  std::optional<WindowedChoice> window;
  std::optional<FullscreenChoice> fullscreen;
};

bool IsSoftwareRenderer(const std::string& renderer);
DeviceCatalog BuildCatalog(const PlatformReport& report, const CatalogRequirements& needs);
// A windowed combination whose colour depth matches the desktop's; none when there is none.
std::optional<WindowedChoice> FindWindowedSettings(const DeviceCatalog& catalog, const CatalogRequirements& needs);
// A full-screen combination, the desktop's colour depth preferred, and its display mode: the
// desktop's own when offered, else one of the desktop's width, else the first.
std::optional<FullscreenChoice> FindFullscreenSettings(const DeviceCatalog& catalog, const CatalogRequirements& needs);
// Windowed unless full screen is asked for and offered, or only full screen is offered;
// neither offered: nothing.
std::optional<DeviceChoice> ChooseDevice(const DeviceCatalog& catalog, const CatalogRequirements& needs,
                                         bool startFullscreen = false);

}  // namespace views

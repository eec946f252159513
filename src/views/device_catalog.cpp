#include "views/device_catalog.h"

#include <algorithm>
#include <tuple>

namespace views {

bool IsSoftwareRenderer(const std::string& renderer) {
  for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "lavapipe"})
    if (renderer.find(soft) != std::string::npos) return true;
  return false;
}

namespace {

// Bits per channel of a display depth.
int ChannelBits(int bitsPerPixel) {
  if (bitsPerPixel >= 24) return 8;
  if (bitsPerPixel >= 15) return 5;
  return bitsPerPixel / 3;
}

}  // namespace

DeviceCatalog BuildCatalog(const PlatformReport& report, const CatalogRequirements& needs) {
  DeviceCatalog c;
  c.adapter = report.adapter;
  c.hardware = !IsSoftwareRenderer(report.renderer);
  // A current mode reported without a size is the screen as it stands.
  c.desktop = report.current;
  if (c.desktop.width <= 0 || c.desktop.height <= 0) {
    c.desktop.width = report.screenWidth;
    c.desktop.height = report.screenHeight;
  }
  if (c.desktop.bitsPerPixel <= 0) c.desktop.bitsPerPixel = report.screenDepth;

  std::vector<DisplayMode> modes = report.modes;
  modes.push_back(c.desktop);
  for (const DisplayMode& m : modes) {
    if (m.width < needs.minWidth || m.height < needs.minHeight) continue;
    if (ChannelBits(m.bitsPerPixel) < needs.minColourBits) continue;
    if (std::find(c.modes.begin(), c.modes.end(), m) == c.modes.end()) c.modes.push_back(m);
  }
  std::sort(c.modes.begin(), c.modes.end(), [](const DisplayMode& a, const DisplayMode& b) {
    return std::tie(a.width, a.height, a.bitsPerPixel, a.refresh) <
           std::tie(b.width, b.height, b.bitsPerPixel, b.refresh);
  });

  std::vector<PresentInterval> intervals{PresentInterval::Immediate};
  if (report.swapControl) intervals = {PresentInterval::Immediate, PresentInterval::Default, PresentInterval::One};

  for (const FrameBufferConfig& f : report.configs) {
    if (!f.window || !f.doubleBuffer) continue;
    const int colour = std::min({f.red, f.green, f.blue});
    if (colour < needs.minColourBits || f.alpha < needs.minAlphaBits) continue;
    const bool depthOk = f.depth >= needs.minDepthBits && f.stencil >= needs.minStencilBits;
    if (needs.depthBuffer && !depthOk) continue;
    auto it = std::find_if(c.combinations.begin(), c.combinations.end(), [&](const DeviceCombination& d) {
      return d.colourBits == colour && d.alphaBits == f.alpha;
    });
    if (it == c.combinations.end()) {
      c.combinations.push_back({colour, f.alpha, true, {}, {}, intervals});
      it = c.combinations.end() - 1;
    }
    const DepthStencil ds{f.depth, f.stencil};
    if (needs.depthBuffer && std::find(it->depthStencil.begin(), it->depthStencil.end(), ds) == it->depthStencil.end())
      it->depthStencil.push_back(ds);
    if (std::find(it->samples.begin(), it->samples.end(), f.samples) == it->samples.end())
      it->samples.push_back(f.samples);
  }
  for (DeviceCombination& d : c.combinations) {
    std::sort(d.depthStencil.begin(), d.depthStencil.end(), [](const DepthStencil& a, const DepthStencil& b) {
      return std::tie(a.depth, a.stencil) < std::tie(b.depth, b.stencil);
    });
    std::sort(d.samples.begin(), d.samples.end());
  }
  // Deeper colour first, then alpha: the order a search prefers.
  std::stable_sort(c.combinations.begin(), c.combinations.end(), [](const DeviceCombination& a, const DeviceCombination& b) {
    return std::tie(b.colourBits, b.alphaBits) < std::tie(a.colourBits, a.alphaBits);
  });
  // The same configurations over the whole screen, wherever a display mode has their depth.
  const std::size_t windowed = c.combinations.size();
  for (std::size_t i = 0; i < windowed; ++i) {
    const DeviceCombination d = c.combinations[i];
    const bool shown = std::any_of(c.modes.begin(), c.modes.end(),
                                   [&](const DisplayMode& m) { return ChannelBits(m.bitsPerPixel) == d.colourBits; });
    if (!shown) continue;
    c.combinations.push_back(d);
    c.combinations.back().windowed = false;
  }
  return c;
}

std::optional<WindowedChoice> FindWindowedSettings(const DeviceCatalog& catalog, const CatalogRequirements& needs) {
  const int desktop = ChannelBits(catalog.desktop.bitsPerPixel);
  const DeviceCombination* best = nullptr;
  for (const DeviceCombination& d : catalog.combinations) {
    if (!d.windowed || d.colourBits != desktop) continue;
    if (needs.depthBuffer && d.depthStencil.empty()) continue;
    if (!best) best = &d;
    // A back buffer in the desktop's own format (no alpha) is the best there is.
    if (d.alphaBits == 0) {
      best = &d;
      break;
    }
  }
  if (!best) return std::nullopt;
  WindowedChoice w;
  w.combination = *best;
  w.desktop = catalog.desktop;
  if (needs.depthBuffer) w.depthStencil = best->depthStencil.front();
  w.samples = best->samples.empty() ? 0 : best->samples.front();
  w.interval = best->intervals.empty() ? PresentInterval::Immediate : best->intervals.front();
  return w;
}

std::optional<FullscreenChoice> FindFullscreenSettings(const DeviceCatalog& catalog, const CatalogRequirements& needs) {
  const int desktop = ChannelBits(catalog.desktop.bitsPerPixel);
  const DeviceCombination* best = nullptr;
  for (const DeviceCombination& d : catalog.combinations) {
    if (d.windowed) continue;
    if (needs.depthBuffer && d.depthStencil.empty()) continue;
    if (!best || (best->colourBits != desktop && d.colourBits == desktop)) best = &d;
    // The desktop's depth with no alpha is the best there is.
    if (d.colourBits == desktop && d.alphaBits == 0) {
      best = &d;
      break;
    }
  }
  if (!best) return std::nullopt;
  const DisplayMode* mode = nullptr;
  for (const DisplayMode& m : catalog.modes) {
    if (ChannelBits(m.bitsPerPixel) != best->colourBits) continue;
    if (m.width == catalog.desktop.width && m.height == catalog.desktop.height && m.refresh == catalog.desktop.refresh) {
      mode = &m;
      break;
    }
    if (m.width == catalog.desktop.width || !mode) mode = &m;
  }
  if (!mode) return std::nullopt;
  FullscreenChoice f;
  f.combination = *best;
  f.mode = *mode;
  if (needs.depthBuffer) f.depthStencil = best->depthStencil.front();
  f.samples = best->samples.empty() ? 0 : best->samples.front();
  f.interval = PresentInterval::Default;
  return f;
}

std::optional<DeviceChoice> ChooseDevice(const DeviceCatalog& catalog, const CatalogRequirements& needs,
                                         bool startFullscreen) {
  DeviceChoice c;
  c.fullscreen = FindFullscreenSettings(catalog, needs);
  c.window = FindWindowedSettings(catalog, needs);
  if (!c.window && !c.fullscreen) return std::nullopt;
  c.windowed = !(c.fullscreen && (startFullscreen || !c.window));
  return c;
}

}  // namespace views

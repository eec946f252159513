#include "views/navigation.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "project/document.h"

namespace views {

namespace {
// The framework keeps the scroll position inside 0 .. extent - client.
int LimitScroll(int pos, int total, int client) {
  return std::max(0, std::min(pos, std::max(0, total - client)));
}

// The zoom's own clamping: raised to 0 when not above 0, lowered to the extent above it.
int ClampToExtent(double pos, int total) {
  if (!(pos > 0)) return 0;
  if (pos > total) return total;
  return static_cast<int>(pos);
}
}  // namespace

double ClampScale(const Extent& area, double scale) {
  const double largest = std::max(std::fabs(area.Width()), std::fabs(area.Height()));
  if (!(largest > 0) || !std::isfinite(scale)) return scale;
  const double most = kMaxTotalPixels / largest;
  const double least = 1.0 / largest;
  return std::clamp(scale, least, most);
}

int ExtentPixels(double mapSize, double scale) {
  const double pixels = std::ceil(std::fabs(mapSize) * scale);
  if (!(pixels >= 1)) return 1;
  if (pixels > kMaxTotalPixels) return kMaxTotalPixels;
  return static_cast<int>(pixels);
}

MapPoint ClientToMap(const Extent& area, const ViewGeometry& g, int x, int y) {
  return {area.west + (x + g.scrollX) / g.scale, area.north - (y + g.scrollY) / g.scale};
}

Extent VisibleExtent(const Extent& area, const ViewGeometry& g, int clientWidth,
                     int clientHeight) {
  Extent e;
  e.west = area.west + g.scrollX / g.scale;
  e.north = area.north - g.scrollY / g.scale;
  e.east = e.west + (clientWidth + 1) / g.scale;
  e.south = e.north - (clientHeight + 1) / g.scale;
  return e;
}

void MapToClient(const Extent& area, const ViewGeometry& g, double x, double y, int& px,
                 int& py) {
  px = static_cast<int>((x - area.west) * g.scale - g.scrollX);
  py = static_cast<int>((area.north - y) * g.scale - g.scrollY);
}

ViewGeometry FitFullExtent(const Extent& area, int w, int h) {
  ViewGeometry g;
  const double hs = (h + 1) / area.Height();
  const double ws = (w + 1) / area.Width();
  g.scale = ClampScale(area, std::min(hs, ws));
  g.totalWidth = w;
  g.totalHeight = h;
  // Truncated here, unlike the zooms' extents, which are rounded up.
  if (ws < hs)
    g.totalHeight = static_cast<int>(std::min(area.Height() * g.scale, 1.0 * kMaxTotalPixels));
  else if (ws > hs)
    g.totalWidth = static_cast<int>(std::min(area.Width() * g.scale, 1.0 * kMaxTotalPixels));
  g.totalWidth = std::clamp(g.totalWidth, 1, kMaxTotalPixels);
  g.totalHeight = std::clamp(g.totalHeight, 1, kMaxTotalPixels);
  return g;
}

ViewGeometry ZoomAbout(const Extent& area, const ViewGeometry& g, double factor, bool zoomIn,
                       int anchorX, int anchorY, int w, int h) {
  ViewGeometry n;
  n.scale = ClampScale(area, zoomIn ? g.scale * factor : g.scale / factor);
  n.totalWidth = ExtentPixels(area.Width(), n.scale);
  n.totalHeight = ExtentPixels(area.Height(), n.scale);
  // Proportions of the old extent, so that the anchor keeps its map point.
  auto axis = [&](int oldPos, int anchor, int oldTotal, int total, int client) {
    if (zoomIn && total <= client) return 0;
    const double pos =
        static_cast<double>(oldPos + anchor) / std::max(oldTotal, 1) * total - anchor;
    return LimitScroll(ClampToExtent(std::trunc(pos), total), total, client);
  };
  n.scrollX = axis(g.scrollX, anchorX, g.totalWidth, n.totalWidth, w);
  n.scrollY = axis(g.scrollY, anchorY, g.totalHeight, n.totalHeight, h);
  return n;
}

PixelBox PixelBox::Normalized() const {
  return {std::min(left, right), std::min(top, bottom), std::max(left, right),
          std::max(top, bottom)};
}

std::optional<ViewGeometry> ZoomToBox(const Extent& area, const ViewGeometry& g, PixelBox box,
                                      int w, int h) {
  box = box.Normalized();
  if (box.Width() < 2 || box.Height() < 2) return std::nullopt;
  const double wanted = std::min(static_cast<double>(w) / box.Width(),
                                 static_cast<double>(h) / box.Height());
  ViewGeometry n;
  n.scale = ClampScale(area, g.scale * wanted);
  const double f = n.scale / g.scale;  // what the cap left of the wanted factor
  n.totalWidth = ExtentPixels(area.Width(), n.scale);
  n.totalHeight = ExtentPixels(area.Height(), n.scale);
  n.scrollX = LimitScroll(static_cast<int>((box.left + g.scrollX) * f), n.totalWidth, w);
  n.scrollY = LimitScroll(static_cast<int>((box.top + g.scrollY) * f), n.totalHeight, h);
  return n;
}

Extent BoxToMap(const Extent& area, const ViewGeometry& g, PixelBox box) {
  box = box.Normalized();
  Extent e;
  e.west = area.west + (box.left + g.scrollX) / g.scale;
  e.north = area.north - (box.top + g.scrollY) / g.scale;
  e.east = area.west + (box.right + g.scrollX) / g.scale;
  e.south = area.north - (box.bottom + g.scrollY) / g.scale;
  return e;
}

double MapScaleDenominator(int clientWidth, double dpi, double scale) {
  if (!(dpi > 0) || !(scale > 0)) return -1.0;
  const double metres = clientWidth / dpi * 0.0254;
  const double ground = clientWidth / scale;
  if (ground * ground > 0 && metres > 0) return ground / metres;
  return -1.0;
}

ViewGeometry RestoreGeometry(const Extent& area, double scale, double x, double y) {
  ViewGeometry g;
  g.scale = ClampScale(area, scale);
  g.totalWidth = ExtentPixels(area.Width(), g.scale);
  g.totalHeight = ExtentPixels(area.Height(), g.scale);
  g.scrollX = std::clamp(static_cast<int>(std::clamp(x, 0.0, 1.0 * kMaxTotalPixels)), 0,
                         g.totalWidth);
  g.scrollY = std::clamp(static_cast<int>(std::clamp(y, 0.0, 1.0 * kMaxTotalPixels)), 0,
                         g.totalHeight);
  return g;
}

int WheelAccumulator::Add(int delta, int perNotch) {
  if (perNotch <= 0) perNotch = 120;
  remainder_ += delta;
  const int notches = remainder_ / perNotch;  // truncates toward zero on both sides
  remainder_ -= notches * perNotch;
  return notches;
}

const CViewHistoryItem* ViewHistory::At(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return &*std::next(items_.begin(), index);
}

void ViewHistory::Push(const CViewHistoryItem& item) {
  if (!items_.empty() && At(position_)) items_.resize(position_ + 1);
  items_.push_back(item);
  position_ = static_cast<int>(items_.size()) - 1;
}

bool CanStepBack(const std::list<CViewHistoryItem>& items, int position) {
  return position > 0 && position < static_cast<int>(items.size());
}

bool CanStepForward(const std::list<CViewHistoryItem>& items, int position) {
  return position >= 0 && position + 1 < static_cast<int>(items.size());
}

const CViewHistoryItem* ViewHistory::StepBack() {
  if (!CanStepBack()) return nullptr;
  return At(--position_);
}

const CViewHistoryItem* ViewHistory::StepForward() {
  if (!CanStepForward()) return nullptr;
  return At(++position_);
}

const CViewHistoryItem* ViewHistory::Current() const { return At(position_); }

}  // namespace views

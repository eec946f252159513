#pragma once
// The map view's geometry without a window: the client-to-map transform, the zooms (full
// extent, about a point, to a rectangle) with the zoom cap, the map scale, the wheel
// accumulator and the Back/Forward history of views.
#include <list>
#include <optional>

struct CViewHistoryItem;

namespace views {

// The current analysis area's edges in map units.
struct Extent {
  double north = 0, east = 0, south = 0, west = 0;
  double Width() const { return east - west; }
  double Height() const { return north - south; }
};

// What the view shows: pixels per map unit, the scroll position (the pixel of the scroll
// extent at the client's top-left corner) and the scroll extent.
struct ViewGeometry {
  double scale = 1.0;
  int scrollX = 0, scrollY = 0;
  int totalWidth = 1, totalHeight = 1;
};

struct MapPoint {
  double x = 0, y = 0;
};

// The largest scroll extent on either axis. Beyond it pixel positions (scroll + client,
// rectangle corners times a zoom factor) would leave the range of int; the toolkit's
// scroll bars also misbehave long before 2^31.
constexpr int kMaxTotalPixels = 1 << 24;

// The scale is kept within what gives the area a scroll extent of 1 .. kMaxTotalPixels.
double ClampScale(const Extent& area, double scale);
// Whole pixels covering the area at this scale (rounded up), within the cap.
int ExtentPixels(double mapSize, double scale);

MapPoint ClientToMap(const Extent& area, const ViewGeometry& g, int x, int y);
// The map rectangle the client shows: an image of (w + 1) x (h + 1) pixels covers it.
Extent VisibleExtent(const Extent& area, const ViewGeometry& g, int clientWidth,
                     int clientHeight);
// Pixel of a map point relative to the client's top-left corner (truncated).
void MapToClient(const Extent& area, const ViewGeometry& g, double x, double y, int& px,
                 int& py);

// Fits the whole area into the client; scroll position (0, 0).
ViewGeometry FitFullExtent(const Extent& area, int clientWidth, int clientHeight);
// Zooms by factor (above 1 zooms in) keeping the map point under (anchorX, anchorY) in
// place. Zooming in scrolls an axis to 0 when the new extent fits the client on it.
ViewGeometry ZoomAbout(const Extent& area, const ViewGeometry& g, double factor, bool zoomIn,
                       int anchorX, int anchorY, int clientWidth, int clientHeight);

struct PixelBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  PixelBox Normalized() const;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};
// Zoom To: the box's top-left corner becomes the client's. None when the box is under
// 2 pixels wide or high.
std::optional<ViewGeometry> ZoomToBox(const Extent& area, const ViewGeometry& g, PixelBox box,
                                      int clientWidth, int clientHeight);
// The map rectangle under a client box (for a new analysis area).
Extent BoxToMap(const Extent& area, const ViewGeometry& g, PixelBox box);

// Scale denominator N of 1 : N; -1 when it cannot be computed (no width, no resolution).
double MapScaleDenominator(int clientWidth, double dotsPerInch, double scale);

// The view's position after restoring a recorded one in the given area.
ViewGeometry RestoreGeometry(const Extent& area, double scale, double x, double y);

// Wheel notches from the toolkit's deltas: touchpads send small deltas that only add up to
// a notch over several events, so the remainder is kept between events.
class WheelAccumulator {
 public:
  // Whole notches (positive: away from the user) reached with this delta.
  int Add(int delta, int deltaPerNotch);
  void Reset() { remainder_ = 0; }

 private:
  int remainder_ = 0;
};

// Back and Forward are possible: a current record with one before (after) it.
bool CanStepBack(const std::list<CViewHistoryItem>& items, int position);
bool CanStepForward(const std::list<CViewHistoryItem>& items, int position);

// Back/Forward history: a list and the index of its current record (-1 for none).
class ViewHistory {
 public:
  ViewHistory(std::list<CViewHistoryItem>& items, int& position)
      : items_(items), position_(position) {}
  // Drops the records after the current one, appends, and makes the new one current.
  void Push(const CViewHistoryItem& item);
  bool CanStepBack() const { return views::CanStepBack(items_, position_); }
  bool CanStepForward() const { return views::CanStepForward(items_, position_); }
  // The record to restore, or null at the end of the history.
  const CViewHistoryItem* StepBack();
  const CViewHistoryItem* StepForward();
  const CViewHistoryItem* Current() const;

 private:
  const CViewHistoryItem* At(int index) const;
  std::list<CViewHistoryItem>& items_;
  int& position_;
};

}  // namespace views

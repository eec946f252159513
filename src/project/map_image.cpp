// The map image: every pixel whose centre lies in the current analysis area is coloured by
// the visible theme through its legend, optionally shaded by the aspect layer, and the
// overlays are drawn over it, the head of the draw-priority list last.
#include <algorithm>
#include <array>
#include <thread>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "app/application.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/theme.h"

namespace {

// Cell column of a map x, as CTheme::GetCellAt finds it; -1 outside the theme.
int ColumnOf(const CTheme& t, double x) {
  if (!(t.west <= x && x <= t.east) || !(t.cellWidth > 0)) return -1;
  const double fc = (x - t.west) / t.cellWidth;
  if (!(fc >= 0 && fc <= t.columns)) return -1;
  int c = static_cast<int>(fc);
  if (c == t.columns) c = t.columns - 1;
  return c >= 0 && c < t.columns ? c : -1;
}

// Cell row of a map y, as CTheme::GetCellAt finds it; -1 outside the theme.
int RowOf(const CTheme& t, double y) {
  if (!(t.south <= y && y <= t.north) || !(t.cellHeight > 0)) return -1;
  const double fr = t.rows - (y - t.south) / t.cellHeight;
  if (!(fr > -1 && fr <= t.rows)) return -1;
  int r = static_cast<int>(fr);
  if (r == t.rows) r = t.rows - 1;
  return r >= 0 && r < t.rows ? r : -1;
}

// The legend's colour of a stored value, found by binary search. The running maximum of the
// class values makes "the first class at or above v" a search even when a user has put the
// classes out of order.
class ColourLookup {
 public:
  ColourLookup(const CTheme& theme, const CThemeLegendData* legend) : theme_(theme), legend_(legend) {
    if (!legend) return;
    const int n = legend->GetCount();
    float running = -std::numeric_limits<float>::infinity();
    for (int i = 1; i < n; ++i) {
      running = std::max(running, legend->GetEntry(i).GetValue());
      bounds_.push_back(running);
      colours_.push_back(legend->GetEntry(i).GetColor());
    }
  }

  COLORREF operator()(float stored) {
    if (stored == lastValue_ && haveLast_) return lastColour_;
    lastValue_ = stored;
    haveLast_ = true;
    lastColour_ = Find(stored);
    return lastColour_;
  }

 private:
  COLORREF Find(float stored) const {
    if (!legend_) return 0;
    const double v = theme_.ConvertToDisplayUnits(stored, *legend_);
    if (legend_->GetCount() <= 0) return 0;
    // NaN is no value at all: it draws as "No Data", as the legend itself answers.
    if (v == static_cast<double>(kNoData) || v != v) return legend_->GetEntry(0).GetColor();
    if (bounds_.empty()) return 0;
    auto it = std::lower_bound(bounds_.begin(), bounds_.end(), v,
                               [](float b, double value) { return static_cast<double>(b) < value; });
    if (it == bounds_.end()) return colours_.back();
    return colours_[static_cast<std::size_t>(it - bounds_.begin())];
  }

  const CTheme& theme_;
  const CThemeLegendData* legend_;
  std::vector<float> bounds_;
  std::vector<COLORREF> colours_;
  float lastValue_ = 0;
  bool haveLast_ = false;
  COLORREF lastColour_ = 0;
};

// Channel + amount limited to 0..255, for amounts of -255..255.
struct Saturation {
  std::array<std::uint8_t, 256 + 2 * 255> table{};
  Saturation() {
    for (int i = 0; i < static_cast<int>(table.size()); ++i)
      table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(i - 255, 0, 255));
  }
};
const Saturation kSaturation;

inline COLORREF Shaded(COLORREF color, int amount) {
  if (amount == 0) return color;
  const std::uint8_t* sat = kSaturation.table.data() + 255 + std::clamp(amount, -255, 255);
  return sat[color & 0xFFu] | (static_cast<COLORREF>(sat[(color >> 8) & 0xFFu]) << 8) |
         (static_cast<COLORREF>(sat[(color >> 16) & 0xFFu]) << 16);
}

std::uint32_t Argb(COLORREF c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

}  // namespace

int CPVN4Doc::ShadeAmount(int aspect) const {
  if (aspect == -9999) return 0;
  float d = static_cast<float>(std::abs(static_cast<long long>(aspect) - shadingAzimuth));
  // Far-off values would take forever one turn at a time.
  if (d >= 360.0f) d = std::fmod(d, 360.0f);
  if (d == 90.0f) return 0;
  const float delta = d <= 180.0f ? d : 360.0f - d;
  const float h = 90.0f - delta;
  const float k = h * shadingStrength;
  return k == k ? static_cast<int>(std::clamp(k, -255.0f, 255.0f)) : 0;
}

COLORREF CPVN4Doc::ApplyShade(COLORREF color, int amount) { return Shaded(color, amount); }

COLORREF CPVN4Doc::ShadeColor(COLORREF color, int aspect) const {
  return ApplyShade(color, ShadeAmount(aspect));
}

void CPVN4Doc::SetImagePixel(platform::Image& image, int x, int y, COLORREF color) {
  image.SetPixel(x, y, platform::RgbaFromColorRef(color));
}

void CPVN4Doc::DrawMapImage(platform::Image& image, double west, double north, double east,
                            double south, const PixelRect& rect) {
  if (!currentArea || !visibleTheme) return;
  const CThemeLegendData* legend = GetVisibleThemeLegend();
  const long long wide = static_cast<long long>(rect.right) - rect.left + 1;
  const long long high = static_cast<long long>(rect.bottom) - rect.top + 1;
  // An image of the right size is painted over whole below, so it can be kept.
  const bool reuse = !image.IsEmpty() && image.Width() == wide && image.Height() == high;
  if (!reuse) {
    image = platform::Image();
    if (wide > 0 && high > 0 && wide <= 1 << 15 && high <= 1 << 15)
      image = platform::Image(static_cast<int>(wide), static_cast<int>(high));
  }
  if (image.IsEmpty()) {
    platform::Tell("Unable to create image.");
    return;
  }
  const int W = image.Width(), H = image.Height();

  const CTheme& theme = *visibleTheme;
  const CTheme* aspect = reliefShading ? GetThemeByLayerType(landscape::kAspect) : nullptr;
  const double dx = (east - west) / W, dy = (north - south) / H;
  const CPyrvane2WorkArea& area = *currentArea;

  // Columns inside the area, and their cells in the theme and the aspect layer.
  std::vector<int> columns, themeColumn, aspectColumn;
  for (int j = 0; j < W; ++j) {
    const double x = west + (j + 0.5) * dx;
    if (!(area.west <= x && x <= area.east)) continue;
    columns.push_back(j);
    themeColumn.push_back(ColumnOf(theme, x));
    if (aspect) aspectColumn.push_back(ColumnOf(*aspect, x));
  }

  cairo_surface_t* surface = image.Surface();
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);

  const std::uint32_t background = Argb(windowColor);
  // The shading of every whole-degree aspect of one turn, worked out once.
  std::array<int, 360> shade{};
  for (int a = 0; a < 360; ++a) shade[static_cast<std::size_t>(a)] = ShadeAmount(a);

  // Rows are independent: bands of rows go to a few threads on large images.
  auto renderRows = [&](int firstRow, int endRow) {
    ColourLookup lookup(theme, legend);
    std::vector<float> themeRow(static_cast<std::size_t>(std::max(theme.columns, 0)));
    std::vector<float> aspectRow(aspect ? static_cast<std::size_t>(std::max(aspect->columns, 0)) : 0);
    int loadedRow = -2, loadedAspectRow = -2;
    double y = north - dy * 0.5;
    for (int i = 0; i < firstRow; ++i) y -= dy;  // the same sums as a single pass
    for (int i = firstRow; i < endRow; ++i, y -= dy) {
      auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(i) * stride);
      // The window's colour outside the area; a row inside it wholly is painted over once only.
      if (columns.size() != static_cast<std::size_t>(W) || !(area.south <= y && y <= area.north))
        std::fill(out, out + W, background);
      if (!(area.south <= y && y <= area.north) || columns.empty()) continue;
      const int r = RowOf(theme, y);
      if (r >= 0 && r != loadedRow) {
        theme.ReadRow(r, themeRow.data());
        loadedRow = r;
      }
      int ar = -1;
      if (aspect) {
        ar = RowOf(*aspect, y);
        if (ar >= 0 && ar != loadedAspectRow) {
          aspect->ReadRow(ar, aspectRow.data());
          loadedAspectRow = ar;
        }
      }
      for (std::size_t k = 0; k < columns.size(); ++k) {
        const int c = themeColumn[k];
        const float v = (r >= 0 && c >= 0) ? themeRow[static_cast<std::size_t>(c)] : kNoData;
        COLORREF colour = lookup(v);
        if (aspect) {
          const int ac = aspectColumn[k];
          const float a = (ar >= 0 && ac >= 0) ? aspectRow[static_cast<std::size_t>(ac)] : kNoData;
          const int degrees = a == a ? static_cast<int>(std::clamp(a, -1e9f, 1e9f)) : -9999;
          const int amount = degrees >= 0 && degrees < 360 ? shade[static_cast<std::size_t>(degrees)]
                                                           : ShadeAmount(degrees);
          colour = Shaded(colour, amount);
        }
        out[columns[k]] = Argb(colour);
      }
    }
  };
  const long long pixels = static_cast<long long>(W) * H;
  const int threads = pixels < (1 << 18) ? 1 : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  if (threads == 1) {
    renderRows(0, H);
  } else {
    std::vector<std::thread> workers;
    const int band = (H + threads - 1) / threads;
    for (int t = 1; t < threads; ++t)
      workers.emplace_back(renderRows, std::min(H, t * band), std::min(H, (t + 1) * band));
    renderRows(0, std::min(H, band));
    for (auto& w : workers) w.join();
  }
  cairo_surface_mark_dirty(surface);

  if (!drawPriority.empty()) {
    platform::Canvas canvas(image);
    // From the tail to the head, so the head item ends on top.
    for (auto it = drawPriority.rbegin(); it != drawPriority.rend(); ++it) {
      if (it->vectorTheme) {
        it->vectorTheme->Draw(canvas, west, north, east, south, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
      } else if (it->contourTheme) {
        it->contourTheme->Draw(canvas, west, north, east, south, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
      } else if (it->windVectorTheme) {
        if (const CWVLegendData* legend = FindWindVectorLegend(it->windVectorTheme))
          it->windVectorTheme->Draw(canvas, *legend, west, north, east, south, rect.right - rect.left + 1,
                                    rect.bottom - rect.top + 1, GetApp().vectorExaggeration);
      } else if (overlayPainter)
        overlayPainter->Draw(*it, canvas, *this, west, north, east, south, rect);
    }
  }
}

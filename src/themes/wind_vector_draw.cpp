// Drawing arrow themes on the map image.
#include <algorithm>
#include <cmath>

#include "platform/image.h"
#include "platform/numbers.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

namespace {

int Trunc(double v) { return std::isnan(v) ? 0 : static_cast<int>(std::clamp(v, -1e9, 1e9)); }

constexpr double kRadians = 0.017453292519943295;

}  // namespace

void CWindVectorTheme::GridThinning(const CWVLegendData& legend, double xs, int& skip,
                                    double& unitLength) const {
  const int minRel = legend.GetMinRelativeLength(), maxRel = legend.GetMaxRelativeLength();
  const int span = maxRel == minRel ? 1 : maxRel - minRel;
  const double b = cellSize * xs / span;
  // Spacing wider than the grid draws one arrow, so no search goes past it.
  const int widest = std::max({rows, columns, 1});
  if (legend.autoDensity) {
    if (spot) {
      skip = 0;
    } else {
      skip = 0;
      while (skip < widest && !(std::trunc(maxRel * (skip + 1.0) * b) >= legend.targetSize)) ++skip;
    }
  } else {
    skip = std::clamp(legend.skip, 0, widest);
  }
  unitLength = (skip + 1) * b;
}

std::vector<ArrowStroke> CWindVectorTheme::ArrowsToDraw(const CWVLegendData& legend, double left,
                                                        double top, double right, double bottom,
                                                        int width, int height, double g) const {
  std::vector<ArrowStroke> out;
  if (!visible || right == left || top == bottom || width <= 0 || height <= 0) return out;
  const double xs = (1.0 / (right - left)) * width;
  const double ys = (1.0 / (top - bottom)) * height;
  const int minRel = legend.GetMinRelativeLength(), maxRel = legend.GetMaxRelativeLength();
  const int span = maxRel == minRel ? 1 : maxRel - minRel;
  const int rectRight = width - 1, rectBottom = height - 1;
  const int pen = Trunc(std::max(legend.lineWidth * g, 1.0));
  const double minHead = legend.lineWidth * g + 3;

  auto add = [&](const CWindVectorCell& c, double sx, double sy, double tx, double ty) {
    // A point read from a damaged file can sit nowhere on the map.
    if (!std::isfinite(sx) || !std::isfinite(sy) || !std::isfinite(tx) || !std::isfinite(ty)) return;
    const bool tailIn = 0 <= sx && sx <= rectRight && 0 <= sy && sy <= rectBottom;
    const bool tipIn = 0 <= tx && tx <= rectRight && 0 <= ty && ty <= rectBottom;
    if (!tailIn && !tipIn) return;
    ArrowStroke a;
    a.tailSX = sx, a.tailSY = sy;
    a.tailX = Trunc(sx), a.tailY = Trunc(sy), a.tipX = Trunc(tx), a.tipY = Trunc(ty);
    const double phi = std::atan2(sy - ty, sx - tx);
    const double h = std::max(0.25 * std::hypot(tx - sx, ty - sy), minHead);
    const double ux = std::cos(phi), uy = std::sin(phi), nx = -uy, ny = ux;
    a.barb1X = Trunc(tx + Trunc(h * ux + 0.5 * h * nx));
    a.barb1Y = Trunc(ty + Trunc(h * uy + 0.5 * h * ny));
    a.barb2X = Trunc(tx + Trunc(h * ux - 0.5 * h * nx));
    a.barb2Y = Trunc(ty + Trunc(h * uy - 0.5 * h * ny));
    a.colour = legend.GetColor(c.magnitude);
    a.penWidth = pen;
    a.magnitude = c.magnitude;
    out.push_back(a);
  };
  // Tip of a wind or spread arrow: its relative length in unit lengths along the angle.
  auto tipOf = [&](const CWindVectorCell& c, double radians, double e, double sx, double sy,
                   double& tx, double& ty) {
    const int rel = legend.GetRelativeLength(c.magnitude);
    const double length = rel > 0 ? e * rel : e * 0.01;
    tx = sx + std::cos(radians) * length;
    ty = sy + std::sin(radians) * length;
  };

  if (!gridded) {
    const double e = xs * cellSize / span;
    for (const CWindVectorCell& c : points) {
      if (!c.IsValid()) continue;
      const double sx = (c.x - left) * xs, sy = (top - c.y) * ys;
      double a = c.direction + 90.0 > 0 ? c.direction + 90.0 : c.direction + 450.0;
      if (a > 360) a -= 360;
      double tx, ty;
      tipOf(c, a * kRadians, e, sx, sy, tx, ty);
      add(c, sx, sy, tx, ty);
    }
    return out;
  }
  int skip = 0;
  double e = 0;
  GridThinning(legend, xs, skip, e);
  const int step = skip + 1;
  for (int i = 0; i < rows; i += step) {
    for (int j = 0; j < columns; j += step) {
      const CWindVectorCell& c = *Cell(i, j);
      if (!c.IsValid() || !(c.magnitude > 0 || c.direction > 0)) continue;
      if (spot && !(c.magnitude > 0)) continue;
      const double sx = (c.x - left) * xs, sy = (top - c.y) * ys;
      double a = c.direction + (spot ? 270.0 : 90.0);
      if (a > 360) a -= 360;
      const double r = a * kRadians;
      double tx, ty;
      if (spot) {
        // Embers land at their true distance on the ground.
        tx = (c.x + std::cos(r) * c.magnitude - left) * xs;
        ty = (top - (c.y - std::sin(r) * c.magnitude)) * ys;
      } else {
        tipOf(c, r, e, sx, sy, tx, ty);
      }
      add(c, sx, sy, tx, ty);
    }
  }
  return out;
}

void CWindVectorTheme::Draw(platform::Canvas& canvas, const CWVLegendData& legend, double west,
                            double north, double east, double south, int width, int height,
                            double g) const {
  const std::vector<ArrowStroke> arrows = ArrowsToDraw(legend, west, north, east, south, width, height, g);
  if (arrows.empty()) return;
  canvas.SetAntialias(false);
  canvas.SetDash({});
  canvas.SetLineCap(platform::Canvas::LineCap::Square);
  const std::string format = platform::FormatC("%%.%df ", std::clamp(legend.decimals, 0, 9));
  const double fontSize = std::clamp(legend.fontSize, 1, 72);
  for (const ArrowStroke& a : arrows) {
    // Odd widths are centred on the pixel.
    const double o = a.penWidth % 2 ? 0.5 : 0.0;
    canvas.SetColour(platform::RgbaFromColorRef(a.colour));
    canvas.SetLineWidth(a.penWidth);
    canvas.NewPath();
    canvas.MoveTo(a.tailX + o, a.tailY + o);
    canvas.LineTo(a.tipX + o, a.tipY + o);
    canvas.LineTo(a.barb1X + o, a.barb1Y + o);
    canvas.MoveTo(a.tipX + o, a.tipY + o);
    canvas.LineTo(a.barb2X + o, a.barb2Y + o);
    canvas.StrokePath();
  }
  if (!legend.showValues) return;
  // Labels at the tails, over every arrow.
  canvas.SetColour(platform::RgbaFromColorRef(0));
  for (const ArrowStroke& a : arrows) {
    const std::string text = platform::FormatC(format.c_str(), ConvertUnits(a.magnitude, 0, legend.units));
    double w = 0, h = 0;
    canvas.MeasureText(text, fontSize, false, w, h);
    canvas.DrawText(a.tailX, a.tailY + h, text, fontSize);
  }
}

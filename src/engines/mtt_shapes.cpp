#include "engines/mtt_shapes.h"

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace engines::mtt {

namespace {

using Ring = std::vector<std::pair<double, double>>;

Ring RingOf(const OGRSimpleCurve& curve) {
  Ring r;
  for (int i = 0; i < curve.getNumPoints(); ++i) r.emplace_back(curve.getX(i), curve.getY(i));
  return r;
}

void Collect(const OGRGeometry* g, std::vector<Shape>& out) {
  if (!g || g->IsEmpty()) return;
  switch (wkbFlatten(g->getGeometryType())) {
    case wkbPoint: {
      auto* p = g->toPoint();
      out.push_back({Shape::Points, {{{p->getX(), p->getY()}}}});
      break;
    }
    case wkbLineString:
    case wkbLinearRing:
      out.push_back({Shape::Line, {RingOf(*g->toSimpleCurve())}});
      break;
    case wkbPolygon: {
      Shape s{Shape::Polygon, {}};
      for (const OGRLinearRing* ring : *g->toPolygon()) s.rings.push_back(RingOf(*ring));
      out.push_back(std::move(s));
      break;
    }
    case wkbMultiPoint:
    case wkbMultiLineString:
    case wkbMultiPolygon:
    case wkbGeometryCollection:
      for (const OGRGeometry* part : *g->toGeometryCollection()) Collect(part, out);
      break;
    default: {
      // Curves and other kinds: their linear approximation.
      std::unique_ptr<OGRGeometry> linear(g->getLinearGeometry());
      if (linear && wkbFlatten(linear->getGeometryType()) != wkbFlatten(g->getGeometryType()))
        Collect(linear.get(), out);
      break;
    }
  }
}

// Clips the segment to the box [0, w] x [0, h]; false when nothing is left.
bool Clip(double& x0, double& y0, double& x1, double& y1, double w, double h) {
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x0, w - x0, y0, h - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
  x1 = x0 + t1 * dx;
  y1 = y0 + t1 * dy;
  x0 = ax;
  y0 = ay;
  return true;
}

// Every cell the segment (in cell units, y down) touches.
template <class Mark>
void Cover(double x0, double y0, double x1, double y1, const NodeGrid& g, Mark mark) {
  if (!Clip(x0, y0, x1, y1, g.cols, g.rows)) return;
  auto cellOf = [](double v, int n) { return std::clamp(static_cast<int>(std::floor(v)), 0, n - 1); };
  int cx = cellOf(x0, g.cols), cy = cellOf(y0, g.rows);
  const int ex = cellOf(x1, g.cols), ey = cellOf(y1, g.rows);
  const double dx = x1 - x0, dy = y1 - y0;
  const int sx = dx > 0 ? 1 : dx < 0 ? -1 : 0, sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
  const double inf = HUGE_VAL;
  double tMaxX = sx > 0 ? (cx + 1 - x0) / dx : sx < 0 ? (x0 - cx) / -dx : inf;
  double tMaxY = sy > 0 ? (cy + 1 - y0) / dy : sy < 0 ? (y0 - cy) / -dy : inf;
  const double tDx = sx ? 1 / std::abs(dx) : inf, tDy = sy ? 1 / std::abs(dy) : inf;
  mark(cx, cy);
  for (int guard = std::abs(ex - cx) + std::abs(ey - cy) + 2; (cx != ex || cy != ey) && guard > 0; --guard) {
    if (tMaxX < tMaxY) {
      cx += sx;
      tMaxX += tDx;
    } else if (tMaxY < tMaxX) {
      cy += sy;
      tMaxY += tDy;
    } else {
      // Through a corner: both side cells count, so a barrier line stays closed.
      mark(cx + sx, cy);
      mark(cx, cy + sy);
      cx += sx;
      cy += sy;
      tMaxX += tDx;
      tMaxY += tDy;
    }
    mark(cx, cy);
  }
}

}  // namespace

bool ReadShapes(const std::string& path, std::vector<Shape>& shapes, std::string& error) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> ds(static_cast<GDALDataset*>(
      GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
  if (!ds) {
    error = "Cannot read the shape file " + path + ".";
    return false;
  }
  shapes.clear();
  for (OGRLayer* layer : ds->GetLayers()) {
    layer->ResetReading();
    while (std::unique_ptr<OGRFeature> f{layer->GetNextFeature()}) Collect(f->GetGeometryRef(), shapes);
  }
  return true;
}

void MarkShapes(const std::vector<Shape>& shapes, const NodeGrid& g, bool fill, std::vector<char>& mask) {
  if (g.rows <= 0 || g.cols <= 0 || !(g.cell > 0)) return;
  mask.resize(static_cast<std::size_t>(g.rows) * g.cols, 0);
  auto mark = [&](int c, int r) {
    if (c >= 0 && c < g.cols && r >= 0 && r < g.rows) mask[static_cast<std::size_t>(r) * g.cols + c] = 1;
  };
  auto gx = [&](double x) { return (x - g.west) / g.cell; };
  auto gy = [&](double y) { return (g.north - y) / g.cell; };
  for (const Shape& s : shapes) {
    if (s.kind == Shape::Points) {
      for (const auto& ring : s.rings)
        for (auto [x, y] : ring) {
          const double cx = gx(x), cy = gy(y);
          if (cx >= 0 && cy >= 0 && cx < g.cols && cy < g.rows)
            mark(static_cast<int>(cx), static_cast<int>(cy));
        }
      continue;
    }
    for (const auto& ring : s.rings) {
      if (ring.size() == 1) Cover(gx(ring[0].first), gy(ring[0].second), gx(ring[0].first), gy(ring[0].second), g, mark);
      for (std::size_t i = 0; i + 1 < ring.size(); ++i)
        Cover(gx(ring[i].first), gy(ring[i].second), gx(ring[i + 1].first), gy(ring[i + 1].second), g, mark);
    }
    if (s.kind != Shape::Polygon || !fill) continue;
    // Even-odd fill by cell centres, row by row.
    std::vector<double> xs;
    for (int r = 0; r < g.rows; ++r) {
      const double y = r + 0.5;
      xs.clear();
      for (const auto& ring : s.rings)
        for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
          const double y0 = gy(ring[i].second), y1 = gy(ring[i + 1].second);
          if ((y0 <= y) == (y1 <= y)) continue;
          const double x0 = gx(ring[i].first), x1 = gx(ring[i + 1].first);
          xs.push_back(x0 + (y - y0) / (y1 - y0) * (x1 - x0));
        }
      std::sort(xs.begin(), xs.end());
      for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
        const int c0 = std::max(0, static_cast<int>(std::ceil(xs[k] - 0.5)));
        const int c1 = std::min(g.cols - 1, static_cast<int>(std::floor(xs[k + 1] - 0.5)));
        for (int c = c0; c <= c1; ++c) mark(c, r);
      }
    }
  }
}

}  // namespace engines::mtt

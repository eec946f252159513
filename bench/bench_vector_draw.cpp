// Drawing 100,000 styled polylines and polygons into a 1920 x 1080 map image through the
// vector themes (dashes stepped in whole pixels, butt caps, mitre joins), beside plain solid
// cairo strokes of the same pixel coordinates, one stroke per shape, at the same width.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/image.h"
#include "themes/vector_theme.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kShapes = 100000, kVertices = 8;
constexpr double kUnitsPerPixel = 10;  // map units: 19,200 x 10,800

struct Themes {
  CVectorTheme lines, polygons;
};

// Half arcs in "DashDot" at width 2, half polygons in "DashGap" at width 1, each a wandering
// path of eight vertices some 40 pixels across.
Themes& Data() {
  static std::unique_ptr<Themes> t = [] {
    auto d = std::make_unique<Themes>();
    std::uint32_t seed = 12345;
    auto next = [&seed](double span) {
      seed = seed * 1664525u + 1013904223u;
      return (seed >> 8) / double(1 << 24) * span;
    };
    for (int i = 0; i < kShapes; ++i) {
      const bool polygon = i % 2;
      std::vector<double> x, y;
      double px = next(kWidth * kUnitsPerPixel), py = next(kHeight * kUnitsPerPixel);
      for (int k = 0; k < kVertices; ++k) {
        x.push_back(px);
        y.push_back(py);
        px += next(100) - 50, py += next(100) - 50;
      }
      CVectorTheme& t = polygon ? d->polygons : d->lines;
      t.shapes.push_back(VectorShape::Simple(polygon ? 5 : 3, kVertices, x.data(), y.data(), nullptr));
    }
    d->lines.shapeType = 3;
    d->lines.lineStyle = 3;
    d->lines.lineWidth = 2;
    d->polygons.shapeType = 5;
    d->polygons.polygonStyle = 6;
    d->polygons.polygonWidth = 1;
    return d;
  }();
  return *t;
}

void DrawThemes(platform::Image& image) {
  platform::Canvas canvas(image);
  const double e = kWidth * kUnitsPerPixel, n = kHeight * kUnitsPerPixel;
  Data().lines.Draw(canvas, 0, n, e, 0, 0, 0, kWidth - 1, kHeight - 1);
  Data().polygons.Draw(canvas, 0, n, e, 0, 0, 0, kWidth - 1, kHeight - 1);
}

void BM_StyledVectorThemes(benchmark::State& state) {
  platform::Image image(kWidth, kHeight);
  for (auto _ : state) {
    image.Fill({255, 255, 255, 255});
    DrawThemes(image);
    benchmark::DoNotOptimize(image.Surface());
  }
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_StyledVectorThemes)->Unit(benchmark::kMillisecond);

// Baseline: the same whole-pixel coordinates as solid cairo strokes.
void BM_PlainCairoStrokes(benchmark::State& state) {
  platform::Image image(kWidth, kHeight);
  for (auto _ : state) {
    image.Fill({255, 255, 255, 255});
    cairo_t* cr = cairo_create(image.Surface());
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (const CVectorTheme* t : {&Data().lines, &Data().polygons}) {
      const bool polygon = t == &Data().polygons;
      cairo_set_line_width(cr, polygon ? 1 : 2);
      const double offset = polygon ? 0.5 : 0;
      for (const auto& s : t->shapes) {
        for (std::size_t k = 0; k < s->x.size(); ++k)
          cairo_line_to(cr, static_cast<int>(s->x[k] / kUnitsPerPixel) + offset,
                        static_cast<int>((kHeight * kUnitsPerPixel - s->y[k]) / kUnitsPerPixel) + offset);
        if (polygon) cairo_close_path(cr);
        cairo_stroke(cr);
      }
    }
    cairo_destroy(cr);
    benchmark::DoNotOptimize(image.Surface());
  }
  state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_PlainCairoStrokes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Arrow themes as a run makes and the map draws them: spread arrows built from the run's
// spread-direction and ellipse grids (1000 x 1000 cells; 4000 x 4000 with
// PYRVANE_BENCH_FULL=1), beside a plain loop over the same three float arrays; then the theme
// drawn over a 1920 x 1080 map image with the shipped density (every second row and column),
// beside plain cairo strokes of the same pixel segments.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/image.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 1000; }

struct Grids {
  int n = 0;
  std::vector<float> direction, b, c;
  CTheme directionTheme, bTheme, cTheme;
};

Grids& Data() {
  static std::unique_ptr<Grids> g = [] {
    auto d = std::make_unique<Grids>();
    const int n = d->n = Side();
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    d->direction.resize(cells);
    d->b.resize(cells);
    d->c.resize(cells);
    std::uint32_t seed = 777;
    auto next = [&seed](float span) {
      seed = seed * 1664525u + 1013904223u;
      return static_cast<float>((seed >> 8) / double(1 << 24)) * span;
    };
    for (std::size_t k = 0; k < cells; ++k) {
      d->direction[k] = next(6.2831853f);
      d->b[k] = next(20);
      d->c[k] = next(5);
    }
    d->directionTheme.CreateFromFloats("dir", 0, 0, 30, 30, n, n, -9999.0f, d->direction.data(), 0, 21);
    d->bTheme.CreateFromFloats("b", 0, 0, 30, 30, n, n, -9999.0f, d->b.data(), 0, 23);
    d->cTheme.CreateFromFloats("c", 0, 0, 30, 30, n, n, -9999.0f, d->c.data(), 0, 24);
    for (CTheme* t : {&d->directionTheme, &d->bTheme, &d->cTheme}) t->LoadMemoryGrid();
    return d;
  }();
  return *g;
}

void BM_BuildSpreadArrows(benchmark::State& state) {
  Grids& g = Data();
  for (auto _ : state) {
    CWindVectorTheme t;
    t.kind = 1;
    benchmark::DoNotOptimize(t.CreateSpreadVectors(&g.directionTheme, &g.bTheme, &g.cTheme));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(g.n) * g.n);
}
BENCHMARK(BM_BuildSpreadArrows)->Unit(benchmark::kMillisecond);

// Baseline: the same records straight from the arrays (arrow row i over grid row n-1-i).
void BM_PlainArrowLoop(benchmark::State& state) {
  Grids& g = Data();
  const int n = g.n;
  for (auto _ : state) {
    std::vector<CWindVectorCell> cells(static_cast<std::size_t>(n) * n);
    for (int i = 0; i < n; ++i) {
      const std::size_t src = static_cast<std::size_t>(n - 1 - i) * n;
      CWindVectorCell* row = cells.data() + static_cast<std::size_t>(i) * n;
      for (int j = 0; j < n; ++j) {
        float d = static_cast<float>(g.direction[src + j] * 180.0f * 0.3183098861837907);
        d = d > 180.0f ? d - 180.0f : d + 180.0f;
        row[j] = {static_cast<float>((j + 0.5) * 30), static_cast<float>((i + 0.5) * 30),
                  static_cast<std::int32_t>(d), g.b[src + j] + g.c[src + j]};
      }
    }
    benchmark::DoNotOptimize(cells.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(n) * n);
}
BENCHMARK(BM_PlainArrowLoop)->Unit(benchmark::kMillisecond);

struct Drawn {
  CWindVectorTheme theme;
  CWVLegendData legend;
  double east = 0, north = 0;
};

// The whole grid in view at the map's aspect, with the shipped legend settings: five classes
// of lengths 1 to 5, manual density skipping one row and column.
Drawn& Drawing() {
  static std::unique_ptr<Drawn> d = [] {
    auto x = std::make_unique<Drawn>();
    Grids& g = Data();
    x->theme.kind = 1;
    x->theme.CreateSpreadVectors(&g.directionTheme, &g.bTheme, &g.cTheme);
    for (int k = 0; k < 5; ++k)
      x->legend.AddEntry(CWVLegendEntry(5.0f * k, MakeColorRef(50 * k, 0, 255 - 50 * k), k + 1));
    x->legend.kind = 1;
    x->legend.autoDensity = 0;
    x->legend.skip = 1;
    x->north = g.n * 30.0;
    x->east = x->north * kWidth / kHeight;
    return x;
  }();
  return *d;
}

void BM_DrawArrows(benchmark::State& state) {
  Drawn& d = Drawing();
  platform::Image image(kWidth, kHeight);
  for (auto _ : state) {
    image.Fill({255, 255, 255, 255});
    platform::Canvas canvas(image);
    d.theme.Draw(canvas, d.legend, 0, d.north, d.east, 0, kWidth, kHeight, 1.0);
    benchmark::DoNotOptimize(image.Surface());
  }
}
BENCHMARK(BM_DrawArrows)->Unit(benchmark::kMillisecond);

// Baseline: the same pixel segments, already computed, as plain cairo strokes.
void BM_PlainCairoArrows(benchmark::State& state) {
  Drawn& d = Drawing();
  const std::vector<ArrowStroke> arrows =
      d.theme.ArrowsToDraw(d.legend, 0, d.north, d.east, 0, kWidth, kHeight, 1.0);
  platform::Image image(kWidth, kHeight);
  for (auto _ : state) {
    image.Fill({255, 255, 255, 255});
    cairo_t* cr = cairo_create(image.Surface());
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    for (const ArrowStroke& a : arrows) {
      cairo_set_source_rgb(cr, (a.colour & 0xFF) / 255.0, ((a.colour >> 8) & 0xFF) / 255.0,
                           ((a.colour >> 16) & 0xFF) / 255.0);
      cairo_move_to(cr, a.tailX + 0.5, a.tailY + 0.5);
      cairo_line_to(cr, a.tipX + 0.5, a.tipY + 0.5);
      cairo_line_to(cr, a.barb1X + 0.5, a.barb1Y + 0.5);
      cairo_move_to(cr, a.tipX + 0.5, a.tipY + 0.5);
      cairo_line_to(cr, a.barb2X + 0.5, a.barb2Y + 0.5);
      cairo_stroke(cr);
    }
    cairo_destroy(cr);
    benchmark::DoNotOptimize(image.Surface());
  }
  state.counters["arrows"] = static_cast<double>(arrows.size());
}
BENCHMARK(BM_PlainCairoArrows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

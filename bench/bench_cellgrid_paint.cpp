// The cell grid's screen work on a weather-record editor's data: 100,000 rows of 8 numbers.
// A full-view paint (about 40 x 10 cells, every cell hinted, through the painter the grid
// uses) against the same cells drawn straight with cairo (background, grid lines, the
// shown text); and the recolouring of every cell, painting frozen, against the same colours
// written into a vector of cells.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <vector>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/ug_parts.h"

using namespace gridmodel;

namespace {

constexpr long kRows = 100000;
constexpr int kCols = 8;
constexpr int kViewW = 8 * 100, kViewH = 40 * 20;

CUGCtrl& Grid() {
  static CUGCtrl* g = [] {
    auto* grid = new CUGCtrl;
    grid->SetDefaultFont(grid->AddFont("DejaVu Sans", 8, 400));
    grid->SetDefaultColWidth(100);
    grid->SetColCount(kCols);
    grid->SetRowCount(kRows);
    for (long r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) grid->SetCellNumber(c, r, r * 0.5 + c);
    grid->SetClientSize(40 + kViewW + 16, 20 + kViewH + 16);
    grid->GotoCell(0, 50000);
    return grid;
  }();
  return *g;
}

void BM_PaintFullView(benchmark::State& state) {
  CUGCtrl& g = Grid();
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kViewW, kViewH);
  cairo_t* cr = cairo_create(s);
  CairoPainter p(cr);
  for (auto _ : state) {
    g.CellAreaHints().AddRange(0, 0, kCols, kRows);
    PaintCellArea(g, p, kViewW, kViewH, true);
  }
  state.counters["cells"] = static_cast<double>(g.Sheet().gridWidth / 100 * (g.Sheet().gridHeight / 20 + 1));
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

// The baseline: each visible cell's background, right and bottom lines and formatted number.
void BM_PaintFullViewBaseline(benchmark::State& state) {
  CUGCtrl& g = Grid();
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kViewW, kViewH);
  cairo_t* cr = cairo_create(s);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 8 * 96.0 / 72.0);
  const long top = g.GetTopRow();
  for (auto _ : state) {
    for (int y = 0, r = top; y < kViewH; y += 20, ++r) {
      for (int c = 0, x = 0; c < kCols; ++c, x += 100) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x, y, 99, 19);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 220 / 255.0, 220 / 255.0, 220 / 255.0);
        cairo_rectangle(cr, x + 99, y, 1, 20);
        cairo_rectangle(cr, x, y + 19, 100, 1);
        cairo_fill(cr);
        CUGCell cell;
        g.GetCell(c, r, &cell);
        cairo_save(cr);
        cairo_rectangle(cr, x, y, 99, 19);
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, x + 4, y + 14);
        cairo_show_text(cr, cell.GetText());
        cairo_restore(cr);
      }
    }
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

void BM_RecolourAllRows(benchmark::State& state) {
  CUGCtrl& g = Grid();
  int k = 0;
  for (auto _ : state) {
    const Colour c = (++k & 1) ? Colour::Rgb(255, 230, 230) : Colour::Rgb(230, 255, 230);
    g.EnablePainting(false);
    for (long r = 0; r < kRows; ++r)
      for (int col = 0; col < kCols; ++col) g.SetCellBackColor(col, r, c);
    g.EnablePainting(true);
  }
}

void BM_RecolourAllRowsBaseline(benchmark::State& state) {
  std::vector<CUGCell> cells(static_cast<std::size_t>(kRows) * kCols);
  for (std::size_t i = 0; i < cells.size(); ++i) cells[i].SetNumber(static_cast<double>(i));
  int k = 0;
  for (auto _ : state) {
    const Colour c = (++k & 1) ? Colour::Rgb(255, 230, 230) : Colour::Rgb(230, 255, 230);
    for (CUGCell& cell : cells) cell.SetBackColor(c);
    benchmark::DoNotOptimize(cells.data());
  }
}

}  // namespace

BENCHMARK(BM_PaintFullView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFullViewBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecolourAllRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecolourAllRowsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

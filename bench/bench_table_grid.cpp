// The table grid on 100,000 rows: sorting (random, sorted and equal keys) against std::sort
// of the same keys, loading a text file against reading and splitting its lines, and
// painting a full view against drawing the same cells straight onto cairo.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/table_grid.h"

using namespace gridmodel;

namespace {

constexpr int kRows = 100000;
enum Keys { kRandom, kSorted, kEqual };

std::vector<std::string> MakeKeys(int kind, int n) {
  std::vector<std::string> keys(static_cast<std::size_t>(n));
  std::mt19937 rng(7);
  for (int i = 0; i < n; ++i) {
    char buf[16];
    int v = kind == kRandom ? static_cast<int>(rng() % 1000000) : kind == kSorted ? i : 5;
    std::snprintf(buf, sizeof buf, "%07d", v);
    keys[static_cast<std::size_t>(i)] = buf;
  }
  return keys;
}

// A grid of one heading row, the keys in column 1 and the original order in column 2.
std::unique_ptr<CGridCtrl> MakeGrid(const std::vector<std::string>& keys) {
  auto g = std::make_unique<CGridCtrl>(static_cast<int>(keys.size()) + 1, 3, 1, 1);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%07zu", i);
    g->SetItemText(static_cast<int>(i) + 1, 1, keys[i]);
    g->SetItemText(static_cast<int>(i) + 1, 2, buf);
  }
  return g;
}

void BM_GridSortByText(benchmark::State& state) {
  auto keys = MakeKeys(static_cast<int>(state.range(0)), kRows);
  auto grid = MakeGrid(keys);
  for (auto _ : state) {
    benchmark::DoNotOptimize(grid->SortByText(1, true));
    state.PauseTiming();
    grid->SortByText(2, true);  // back to the starting order
    state.ResumeTiming();
  }
}
BENCHMARK(BM_GridSortByText)->Arg(kRandom)->Arg(kSorted)->Arg(kEqual)->Unit(benchmark::kMillisecond);

// Baseline: std::sort of the same keys.
void BM_StdSortKeys(benchmark::State& state) {
  auto keys = MakeKeys(static_cast<int>(state.range(0)), kRows);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::string> copy = keys;
    state.ResumeTiming();
    std::sort(copy.begin(), copy.end());
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_StdSortKeys)->Arg(kRandom)->Arg(kSorted)->Arg(kEqual)->Unit(benchmark::kMillisecond);

const std::string& TextFile(int rows) {
  static std::map<int, std::string> files;
  auto it = files.find(rows);
  if (it != files.end()) return it->second;
  std::string path = (std::filesystem::temp_directory_path() /
                      ("pvbench_table_" + std::to_string(::getpid()) + "_" + std::to_string(rows) + ".csv"))
                         .string();
  std::ofstream out(path);
  out << "Value,Colour,Frequency\n";
  for (int i = 0; i < rows; ++i) out << "Class " << i << "," << (i * 2654435761u % 16777216) << "," << i % 977 << "\n";
  return files[rows] = path;
}

void BM_GridLoad(benchmark::State& state) {
  const std::string& path = TextFile(static_cast<int>(state.range(0)));
  CGridCtrl grid;
  for (auto _ : state) benchmark::DoNotOptimize(grid.Load(path, ','));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_GridLoad)->Arg(25000)->Arg(50000)->Arg(kRows)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// Baseline: the lines read and split at the commas into strings.
void BM_ReadAndSplitLines(benchmark::State& state) {
  const std::string& path = TextFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
      std::vector<std::string> fields;
      std::stringstream ss(line);
      std::string f;
      while (std::getline(ss, f, ',')) fields.push_back(f);
      rows.push_back(std::move(fields));
    }
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadAndSplitLines)->Arg(25000)->Arg(50000)->Arg(kRows)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

struct ViewHost : GridHost {
  Size ViewSize() override { return Size{1000, 800}; }
  void Invalidate(const Rect*) override {}
  Painter& Measurer() override { return HeadlessMeasurer(); }
};

void BM_GridPaintFullView(benchmark::State& state) {
  auto grid = MakeGrid(MakeKeys(kRandom, kRows));
  ViewHost host;
  grid->SetHost(&host);
  grid->SetScrollPos32(1, grid->GetScrollMax(1) / 2);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 800);
  cairo_t* cr = cairo_create(surface);
  CairoPainter painter(cr);
  for (auto _ : state) {
    grid->OnDraw(painter);
    cairo_surface_flush(surface);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_GridPaintFullView)->Unit(benchmark::kMillisecond);

// Baseline: the same visible cells' fills, texts and lines drawn straight with cairo.
void BM_CairoCellsFullView(benchmark::State& state) {
  auto grid = MakeGrid(MakeKeys(kRandom, kRows));
  ViewHost host;
  grid->SetHost(&host);
  grid->SetScrollPos32(1, grid->GetScrollMax(1) / 2);
  Rect vis;
  CGridRange range = grid->GetVisibleNonFixedCellRange(&vis);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1000, 800);
  cairo_t* cr = cairo_create(surface);
  cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  for (auto _ : state) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    int y = 0;
    for (int r = range.minRow; r <= range.maxRow; ++r) {
      int x = 0;
      const int h = grid->GetRowHeight(r);
      for (int c = 0; c < grid->GetColumnCount(); ++c) {
        const int w = grid->GetColumnWidth(c);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, x + 3, y + h - 4);
        cairo_show_text(cr, grid->GetItemText(r, c).c_str());
        cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
        cairo_rectangle(cr, x + w - 1, y, 1, h);
        cairo_rectangle(cr, x, y + h - 1, w, 1);
        cairo_fill(cr);
        x += w;
      }
      y += h;
    }
    cairo_surface_flush(surface);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoCellsFullView)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

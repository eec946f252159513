// The cell grid's memory store as a weather-record editor uses it: 100,000 hourly records of
// 8 numbers (about eleven years). Fill, sequential and random reads through the grid, insert
// and delete at the top, and sorts by 1, 2 and 3 columns, each against the baseline of a
// vector of rows of cells (reads copy the stored cell into the caller's, as the store does;
// sorts are std::stable_sort of row indices with the same keys, then the rows reordered).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "gridmodel/ug_ctrl.h"

using namespace gridmodel;

namespace {

constexpr long kRows = 100000;
constexpr int kCols = 8;

// Column values of record r: index, month, day, hour, temperature, humidity, wind, direction.
double Value(long r, int c) {
  static std::vector<double> noise = [] {
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> v(static_cast<std::size_t>(kRows) * 4);
    for (double& x : v) x = u(rng);
    return v;
  }();
  const long day = r / 24;
  switch (c) {
    case 0: return static_cast<double>(r);
    case 1: return static_cast<double>((day / 30) % 12 + 1);
    case 2: return static_cast<double>(day % 30 + 1);
    case 3: return static_cast<double>((r % 24) * 100);
    default: return std::round(noise[static_cast<std::size_t>(r) * 4 + (c - 4)] * 1000.0) / 10.0;
  }
}

using Rows = std::vector<std::vector<CUGCell>>;

void FillGrid(CUGCtrl& g) {
  g.SetColCount(kCols);
  g.SetRowCount(kRows);
  for (long r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) g.SetCellNumber(c, r, Value(r, c));
}

void FillRows(Rows& rows) {
  rows.assign(static_cast<std::size_t>(kRows), std::vector<CUGCell>(kCols));
  for (long r = 0; r < kRows; ++r)
    for (int c = 0; c < kCols; ++c) rows[r][c].SetNumber(Value(r, c));
}

CUGCtrl& Grid() {
  static CUGCtrl* g = [] {
    auto* grid = new CUGCtrl;
    FillGrid(*grid);
    return grid;
  }();
  return *g;
}

Rows& Baseline() {
  static Rows rows = [] {
    Rows r;
    FillRows(r);
    return r;
  }();
  return rows;
}

const std::vector<std::pair<int, long>>& RandomCells() {
  static std::vector<std::pair<int, long>> cells = [] {
    std::mt19937 rng(7);
    std::vector<std::pair<int, long>> v(100000);
    for (auto& p : v) p = {static_cast<int>(rng() % kCols), static_cast<long>(rng() % kRows)};
    return v;
  }();
  return cells;
}

void BM_Fill_Grid(benchmark::State& state) {
  for (auto _ : state) {
    CUGCtrl g;
    FillGrid(g);
    benchmark::DoNotOptimize(g.GetRowCount());
  }
}
void BM_Fill_VectorBaseline(benchmark::State& state) {
  for (auto _ : state) {
    Rows rows;
    FillRows(rows);
    benchmark::DoNotOptimize(rows.data());
  }
}

void BM_ReadSequential_Grid(benchmark::State& state) {
  CUGCtrl& g = Grid();
  CUGCell cell;
  for (auto _ : state) {
    double sum = 0;
    for (long r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        g.GetCell(c, r, &cell);
        sum += cell.GetNumber();
      }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
void BM_ReadSequential_VectorBaseline(benchmark::State& state) {
  Rows& rows = Baseline();
  CUGCell cell;
  for (auto _ : state) {
    double sum = 0;
    for (long r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        cell.SetPropertyFlags(0);
        cell.MergeFrom(&rows[r][c]);
        sum += cell.GetNumber();
      }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_ReadRandom_Grid(benchmark::State& state) {
  CUGCtrl& g = Grid();
  const auto& cells = RandomCells();
  CUGCell cell;
  for (auto _ : state) {
    double sum = 0;
    for (auto [c, r] : cells) {
      g.GetCell(c, r, &cell);
      sum += cell.GetNumber();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(cells.size()));
}
void BM_ReadRandom_VectorBaseline(benchmark::State& state) {
  Rows& rows = Baseline();
  const auto& cells = RandomCells();
  CUGCell cell;
  for (auto _ : state) {
    double sum = 0;
    for (auto [c, r] : cells) {
      cell.SetPropertyFlags(0);
      cell.MergeFrom(&rows[r][c]);
      sum += cell.GetNumber();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(cells.size()));
}

// A record inserted at the top and removed again.
void BM_InsertDeleteTop_Grid(benchmark::State& state) {
  CUGCtrl& g = Grid();
  for (auto _ : state) {
    g.InsertRow(0);
    g.SetCellNumber(0, 0, -1.0);
    g.DeleteRow(0);
  }
}
void BM_InsertDeleteTop_VectorBaseline(benchmark::State& state) {
  Rows& rows = Baseline();
  for (auto _ : state) {
    rows.insert(rows.begin(), std::vector<CUGCell>(1));
    rows[0][0].SetNumber(-1.0);
    rows.erase(rows.begin());
  }
}

const std::vector<std::vector<int>>& SortKeys() {
  static const std::vector<std::vector<int>> keys = {{4}, {1, 5}, {1, 2, 6}};
  return keys;
}

// Each iteration sorts by the keys and back by the record index, on both sides alike.
void BM_Sort_Grid(benchmark::State& state) {
  CUGCtrl& g = Grid();
  std::vector<int> keys = SortKeys()[state.range(0) - 1];
  for (auto _ : state) {
    std::vector<int> k = keys;
    g.SortBy(k.data(), static_cast<int>(k.size()));
    int back = 0;
    g.SortBy(&back, 1);
  }
  CUGCell first;
  g.GetCell(0, 0, &first);
  if (first.GetNumber() != 0.0) state.SkipWithError("the sort did not restore the record order");
}

void SortRows(Rows& rows, const std::vector<int>& keys) {
  std::vector<std::size_t> order(rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    for (int k : keys) {
      const double x = rows[a][k].GetNumber(), y = rows[b][k].GetNumber();
      if (x < y) return true;
      if (y < x) return false;
    }
    return false;
  });
  Rows sorted;
  sorted.reserve(rows.size());
  for (std::size_t i : order) sorted.push_back(std::move(rows[i]));
  rows = std::move(sorted);
}

void BM_Sort_StableSortBaseline(benchmark::State& state) {
  Rows& rows = Baseline();
  const std::vector<int>& keys = SortKeys()[state.range(0) - 1];
  for (auto _ : state) {
    SortRows(rows, keys);
    SortRows(rows, {0});
  }
}

}  // namespace

BENCHMARK(BM_Fill_Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fill_VectorBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSequential_Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSequential_VectorBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRandom_Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRandom_VectorBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertDeleteTop_Grid)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertDeleteTop_VectorBaseline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sort_Grid)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort_StableSortBaseline)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Raster theme speed: cell look-ups in each cell store against the memory store, and
// statistics against gdalinfo -stats over the same grid as a GeoTIFF.
// Default grid 1000 x 1000; PYRVANE_BENCH_FULL=1 runs 4000 x 4000.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include <gdal_priv.h>

#include "platform/folders.h"
#include "themes/theme.h"
#include "themes/theme_stats.h"

namespace {

struct Fixture {
  int n = 0;
  std::string dir;
  std::vector<float> cells;
  std::unique_ptr<CTheme> memory, scratch, inPlace;
  std::string tif;

  Fixture() {
    const char* full = std::getenv("PYRVANE_BENCH_FULL");
    n = (full && *full == '1') ? 4000 : 1000;
    char pattern[] = "/tmp/pv_bench_themes_XXXXXX";
    dir = ::mkdtemp(pattern);
    platform::SetWorkingFolder(dir);
    std::mt19937 rng(5);
    std::normal_distribution<float> normal(800, 150);
    cells.resize(static_cast<std::size_t>(n) * n);
    for (float& v : cells) v = std::round(normal(rng));  // elevation-like, many repeats
    for (std::size_t i = 0; i < cells.size(); i += 97) cells[i] = kNoData;

    scratch = std::make_unique<CTheme>();
    scratch->CreateFromFloats("scratch", 0, 0, 30, 30, n, n, kNoData, cells.data(), 0, 10);
    memory = std::make_unique<CTheme>();
    memory->CreateFromFloats("memory", 0, 0, 30, 30, n, n, kNoData, cells.data(), 0, 10);
    memory->LoadMemoryGrid();

    // A 5-band landscape holding the cells in band 3.
    const std::string lcp = dir + "/land.lcp";
    {
      std::ofstream out(lcp, std::ios::binary);
      std::string header(7316, '\0');
      out.write(header.data(), static_cast<std::streamsize>(header.size()));
      std::vector<std::int16_t> row(static_cast<std::size_t>(n) * 5);
      for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
          const float v = cells[static_cast<std::size_t>(r) * n + c];
          row[static_cast<std::size_t>(c) * 5 + 3] = static_cast<std::int16_t>(v == kNoData ? -1 : v);
        }
        out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size() * 2));
      }
    }
    inPlace = std::make_unique<CTheme>();
    LandscapeGrid g{n, n, 30.0 * n, 0, 30.0 * n, 0, 30, 30};
    inPlace->OpenLandscapeBand(3, g, lcp, 0, 7316 / 2, 5, 3, false);

    GDALAllRegister();
    tif = dir + "/grid.tif";
    std::unique_ptr<GDALDataset> ds(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        tif.c_str(), n, n, 1, GDT_Float32, nullptr));
    double gt[6] = {0, 30, 0, 30.0 * n, 0, -30};
    ds->SetGeoTransform(gt);
    ds->GetRasterBand(1)->SetNoDataValue(kNoData);
    (void)ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, cells.data(), n, n, GDT_Float32, 0, 0);
  }
  ~Fixture() {
    memory.reset();
    scratch.reset();
    inPlace.reset();
    std::filesystem::remove_all(dir);
  }
};

Fixture& Data() {
  static Fixture f;
  return f;
}

void LookUpEveryCell(benchmark::State& state, const CTheme& t) {
  const int n = Data().n;
  for (auto _ : state) {
    double sum = 0;
    for (int r = 0; r < n; ++r) {
      const double y = t.north - (r + 0.5) * t.cellHeight;
      for (int c = 0; c < n; ++c) sum += t.GetValueAt(t.west + (c + 0.5) * t.cellWidth, y);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n) * n);
}

void BM_GetValueAt_MemoryStore_Baseline(benchmark::State& s) { LookUpEveryCell(s, *Data().memory); }
void BM_GetValueAt_ScratchStore(benchmark::State& s) { LookUpEveryCell(s, *Data().scratch); }
void BM_GetValueAt_LandscapeInPlace(benchmark::State& s) { LookUpEveryCell(s, *Data().inPlace); }

void BM_Statistics_GdalinfoStats_Baseline(benchmark::State& state) {
  const std::string command = "gdalinfo -stats " + Data().tif + " > /dev/null";
  for (auto _ : state) {
    std::filesystem::remove(Data().tif + ".aux.xml");
    if (std::system(command.c_str()) != 0) state.SkipWithError("gdalinfo failed");
  }
}

void StatisticsOf(benchmark::State& state, const CTheme& t) {
  for (auto _ : state) {
    CThemeStats s;
    s.Compute(t, CellWindow{0, 0, t.columns - 1, t.rows - 1});
    benchmark::DoNotOptimize(s.median);
  }
}

void BM_Statistics_MemoryStore(benchmark::State& s) { StatisticsOf(s, *Data().memory); }
void BM_Statistics_ScratchStore(benchmark::State& s) { StatisticsOf(s, *Data().scratch); }

BENCHMARK(BM_GetValueAt_MemoryStore_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetValueAt_ScratchStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetValueAt_LandscapeInPlace)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics_GdalinfoStats_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Statistics_MemoryStore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Statistics_ScratchStore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

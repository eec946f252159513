// One solve of the terrain wind model on 500 x 500 wind cells x 20 layers (the path of a
// fire-behaviour launch with generated gridded winds), against scipy.sparse.linalg.cg on the
// same matrix, exported by the engine, with the same preconditioner and tolerance, in the same
// run. PYRVANE_BENCH_FULL=1 changes nothing here: the size is the target's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engines/wind_model.h"

namespace {

constexpr int kSide = 500, kLayers = 20;

engines::WindTerrain Terrain() {
  engines::WindTerrain t;
  t.rows = t.cols = kSide;
  t.cell = 90;
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) {
      const double x = c * 90.0, y = r * 90.0;
      // Ridges and valleys a few kilometres across, some 600 m of relief.
      t.elevation.push_back(1500 + 300 * std::sin(x / 3000.0) * std::cos(y / 4200.0) + 150 * std::sin((x + y) / 1700.0));
      t.vegetation.push_back((r * 7 + c * 3) % 5 == 0 ? 20.0 : 0.6);
    }
  return t;
}

engines::WindSettings Settings(int threads) {
  engines::WindSettings s;
  s.speedMph = 15;
  s.directionFrom = 240;
  s.layers = kLayers;
  s.threads = threads;
  return s;
}

void BM_WindSolve(benchmark::State& state) {
  const engines::WindTerrain t = Terrain();
  std::atomic<bool> cancel{false};
  int iterations = 0;
  for (auto _ : state) {
    engines::TerrainWindModel m;
    if (m.Solve(t, Settings(static_cast<int>(state.range(0))), cancel, nullptr) != engines::kWindOk)
      state.SkipWithError("solve");
    iterations = m.Iterations();
    benchmark::DoNotOptimize(m.SpeedMph().data());
  }
  state.counters["cg_iterations"] = iterations;
  state.counters["unknowns"] = static_cast<double>(kSide) * kSide * kLayers;
}
BENCHMARK(BM_WindSolve)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Baseline: the cg call alone is timed inside python (loading the matrix excluded).
void BM_ScipyCgBaseline(benchmark::State& state) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("pv_bench_winds_" + std::to_string(::getpid()));
  engines::TerrainWindModel m;
  std::atomic<bool> cancel{false};
  std::string why;
  if (m.Solve(Terrain(), Settings(8), cancel, nullptr) != engines::kWindOk || !m.ExportSystem(dir.string(), &why)) {
    state.SkipWithError("export");
    return;
  }
  int iterations = 0;
  for (auto _ : state) {
    const std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/bench/wind_baseline.py " + dir.string() +
                            " " + std::to_string(kLayers) + " 1e-7";
    double seconds = -1;
    if (FILE* p = popen(cmd.c_str(), "r")) {
      if (std::fscanf(p, "%lf %d", &seconds, &iterations) != 2) seconds = -1;
      pclose(p);
    }
    if (seconds < 0) {
      state.SkipWithError("python baseline failed");
      break;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["cg_iterations"] = iterations;
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_ScipyCgBaseline)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

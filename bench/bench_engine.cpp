// The basic fire-behaviour pass (surface and crown, no conditioning) on a generated landscape,
// against a vectorised numpy implementation of the same equations run in the same benchmark
// run; and the cost of fuel conditioning per cell-hour.
// Default 500 x 500 cells; PYRVANE_BENCH_FULL=1 runs 4000 x 4000.
#include <benchmark/benchmark.h>
#include <omp.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engines/conditioning.h"
#include "engines/pyrvane.h"
#include "engines/standard_fuels.h"

namespace {

const int kFuels[] = {1, 2, 4, 8, 10, 91, 102, 122, 145, 165, 183, 98, 204, 3, 124, 9};

int Side() {
  const char* full = std::getenv("PYRVANE_BENCH_FULL");
  return (full && std::string(full) == "1") ? 4000 : 500;
}

std::unique_ptr<engines::LandscapeSource> MakeLandscape(int rows, int cols) {
  CHeaderData h = engines::MakeStandardHeader(rows, cols, 0.0, 0.0, 30.0, true);
  std::vector<std::vector<std::int16_t>> layers(10);
  for (int k = 0; k < 8; ++k) layers[k].resize(static_cast<size_t>(rows) * cols);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      size_t i = static_cast<size_t>(r) * cols + c;
      bool canopy = c % 3 == 0;
      layers[0][i] = static_cast<std::int16_t>(500 + (r + c) % 2000);
      layers[1][i] = static_cast<std::int16_t>((r * 7 + c * 3) % 46);
      layers[2][i] = static_cast<std::int16_t>((r * 37 + c * 11) % 360);
      layers[3][i] = static_cast<std::int16_t>(kFuels[(r * 5 + c) % 16]);
      layers[4][i] = static_cast<std::int16_t>(canopy ? 40 + (r % 5) * 10 : 0);
      layers[5][i] = static_cast<std::int16_t>(canopy ? 150 + (r % 7) * 20 : 0);
      layers[6][i] = static_cast<std::int16_t>(canopy ? 5 + (c % 4) * 10 : 0);
      layers[7][i] = static_cast<std::int16_t>(canopy ? 5 + (r % 6) * 6 : 0);
    }
  return std::make_unique<engines::MemoryLandscape>(std::move(h), std::move(layers));
}

std::string Inputs(int threads) {
  return "Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 6 7 8 60 90\n"
         "WIND_SPEED: 15\nWIND_DIRECTION: 225\nWIND_SPEED_UNITS: 0 (mph @ 20')\n"
         "FOLIAR_MOISTURE_CONTENT: 100.000000\nCROWN_FIRE_METHOD: MarlowBrenner\nNUMBER_PROCESSORS: " +
         std::to_string(threads) +
         "\nFLAMELENGTH:\nSPREADRATE:\nINTENSITY:\nHEATAREA:\nCROWNSTATE:\n";
}

void BM_EngineSurfaceAndCrown(benchmark::State& state) {
  const int side = Side(), threads = static_cast<int>(state.range(0));
  CPyrvane e;
  e.SetLandscape(MakeLandscape(side, side));
  if (e.CommandTextLoad(Inputs(threads)) != engines::kEngineOk) state.SkipWithError("inputs");
  for (auto _ : state) {
    e.ResetPyrvaneProgress();
    if (e.LaunchPyrvane(0) != engines::kEngineOk) state.SkipWithError("launch");
    benchmark::DoNotOptimize(e.GetOutputLayer(0));
  }
  state.counters["cells"] = static_cast<double>(side) * side;
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(side) * side);
}
BENCHMARK(BM_EngineSurfaceAndCrown)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: the numpy implementation over the same cells, timed inside python (start-up and
// landscape generation excluded).
void BM_NumpyBaselineSurfaceAndCrown(benchmark::State& state) {
  const int side = Side();
  auto table = std::filesystem::temp_directory_path() / "pv_bench_engine_models.txt";
  {
    std::ofstream f(table);
    f.precision(17);
    for (int n : kFuels) {
      const auto* m = engines::FindStandardFuelModel(n);
      f << n;
      for (double v : m->load) f << ' ' << v;
      f << ' ' << m->sav[0] << ' ' << m->sav[1] << ' ' << m->sav[2] << ' ' << m->depth << ' ' << m->extinction << ' '
        << m->heatDead << ' ' << m->heatLive << ' ' << m->dynamic << '\n';
    }
  }
  std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/tests/engines/fire_oracle.py bench " +
                    std::to_string(side) + " " + std::to_string(side) + " " + table.string();
  for (auto _ : state) {
    FILE* p = ::popen(cmd.c_str(), "r");
    double seconds = -1;
    if (!p || std::fscanf(p, "%lf", &seconds) != 1) seconds = -1;
    if (p) ::pclose(p);
    if (seconds < 0) {
      state.SkipWithError("numpy baseline failed");
      break;
    }
    state.SetIterationTime(seconds);
  }
  std::filesystem::remove(table);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(side) * side);
}
BENCHMARK(BM_NumpyBaselineSurfaceAndCrown)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// Fuel conditioning: 24 hours over a block of cells; the figure is the time per cell-hour.
void BM_ConditioningPerCellHour(benchmark::State& state) {
  const int n = 20000, hours = 24;
  std::vector<float> elev(n), slope(n), aspect(n), cover(n);
  for (int i = 0; i < n; ++i) {
    elev[i] = 500.0f + i % 1500;
    slope[i] = static_cast<float>(i % 40);
    aspect[i] = static_cast<float>((i * 37) % 360);
    cover[i] = static_cast<float>((i % 5) * 20);
  }
  std::vector<engines::HourlyWeather> weather;
  for (int h = 0; h < hours; ++h)
    weather.push_back({219, static_cast<double>(h), 15.0 + 10.0 * std::sin(h / 24.0 * 6.283), 60.0 - 30.0 * std::sin(h / 24.0 * 6.283), 0.0, 20.0});
  engines::ConditioningCells cells{n, elev.data(), slope.data(), aspect.data(), cover.data(), 45.0};
  const double initial[4] = {0.06, 0.07, 0.08, 0.09};
  std::atomic<bool> cancel{false};
  std::atomic<double> progress{0};
  engines::ConditioningResult out;
  for (auto _ : state) {
    engines::ConditionFuels(cells, weather, 1000.0, initial, static_cast<int>(state.range(0)), cancel, progress, out);
    benchmark::DoNotOptimize(out.m1.data());
  }
  // Seconds per cell-hour (printed with an SI prefix, e.g. 1.5u).
  state.counters["s_per_cell_hour"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * n * hours, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ConditioningPerCellHour)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

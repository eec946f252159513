// One minimum-travel-time fire on 1000 x 1000 cells at search depths 6/4, one thread: the
// engine's launch as a run makes it (fire behaviour, then the search) and the search alone,
// against scipy.sparse.csgraph.dijkstra on the same lattice rebuilt by numpy from the ellipse
// grids the engine exported, in the same benchmark run. The peak memory of the engine's launch
// is reported (the baseline runs in its own process).
// PYRVANE_BENCH_SIDE sets another side (e.g. 300 for a quick look).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine_fixture.h"
#include "engines/mtt_engine.h"
#include "engines/mtt_search.h"
#include "engines/pyrvane.h"

namespace {

namespace fs = std::filesystem;

int Side() {
  const char* side = std::getenv("PYRVANE_BENCH_SIDE");
  return side ? std::max(50, std::atoi(side)) : 1000;
}

fs::path Folder() {
  static const fs::path dir = fs::temp_directory_path() / ("pv_bench_mtt_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

// A launched engine, kept for the search-only and baseline benchmarks.
std::unique_ptr<CMinTravelTime>& Engine() {
  static std::unique_ptr<CMinTravelTime> engine;
  return engine;
}

std::unique_ptr<CMinTravelTime> Loaded(int side) {
  auto e = std::make_unique<CMinTravelTime>();
  e->GetPyrvane()->SetLandscape(benchfixture::MakeLandscape(side, side));
  const fs::path ign = Folder() / "ign.geojson";
  const double centre = side * 30.0 / 2 + 15;
  std::ofstream(ign) << "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"properties\":{},"
                        "\"geometry\":{\"type\":\"Point\",\"coordinates\":["
                     << centre << "," << centre << "]}}]}";
  const fs::path inputs = Folder() / "inputs.txt";
  std::ofstream(inputs) << "Pyrvane-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 6 7 8 60 90\n"
                           "WIND_SPEED: 15\nWIND_DIRECTION: 225\nWIND_SPEED_UNITS: 0 (mph @ 20')\n"
                           "FOLIAR_MOISTURE_CONTENT: 100.000000\nCROWN_FIRE_METHOD: MarlowBrenner\n"
                           "NUMBER_PROCESSORS: 1\n\nMTT_RESOLUTION: 30.000000\nMTT_SIM_TIME: 0.000000\n"
                           "MTT_TRAVEL_PATH_INTERVAL: 500.000000\nMTT_SPOT_PROBABILITY: 0.000000\n"
                           "MTT_SPOT_DELAY: 0\nMTT_IGNITION_FILE: "
                        << ign.string() << "\nPathweaverNumLat: 6\nPathweaverNumVert: 4\n";
  if (e->LoadMTTInputs(inputs.c_str()) != 1) return nullptr;
  return e;
}

void BM_MttLaunchOneThread(benchmark::State& state) {
  const int side = Side();
  auto e = Loaded(side);
  if (!e) {
    state.SkipWithError("inputs");
    return;
  }
  for (auto _ : state) {
    const int rc = e->LaunchMTT();
    if (rc != 1) state.SkipWithError(e->CommandFileError(rc));
    benchmark::DoNotOptimize(e->GetArrivalTimeGrid());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = usage.ru_maxrss / 1024.0;
  state.counters["nodes"] = static_cast<double>(side) * side;
  Engine() = std::move(e);
}
BENCHMARK(BM_MttLaunchOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The search alone, on the spread field of the launch above.
void BM_MttSearchOneThread(benchmark::State& state) {
  CMinTravelTime* e = Engine().get();
  if (!e) {
    state.SkipWithError("no launched engine");
    return;
  }
  const long n = e->GetNumRows() * e->GetNumCols();
  engines::mtt::SpreadField f;
  f.rows = static_cast<int>(e->GetNumRows());
  f.cols = static_cast<int>(e->GetNumCols());
  f.cell = e->GetResolution();
  f.b.assign(e->GetPyrvaneOutputLayer(12), e->GetPyrvaneOutputLayer(12) + n);
  f.c.assign(e->GetPyrvaneOutputLayer(13), e->GetPyrvaneOutputLayer(13) + n);
  f.dir.assign(e->GetPyrvaneOutputLayer(10), e->GetPyrvaneOutputLayer(10) + n);
  engines::mtt::SearchSettings s;
  for (long i = 0; i < n; ++i)
    if (e->GetIgnitionGrid()[i] == 1) s.ignitions.push_back(static_cast<int>(i));
  for (auto _ : state) benchmark::DoNotOptimize(engines::mtt::RunSearch(f, s).arrival.data());
}
BENCHMARK(BM_MttSearchOneThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Baseline: scipy's dijkstra on the lattice numpy builds from the exported grids, timed inside
// python; the graph's construction is reported beside it.
void BM_ScipyDijkstraBaseline(benchmark::State& state) {
  CMinTravelTime* e = Engine().get();
  if (!e) {
    state.SkipWithError("no launched engine");
    return;
  }
  const long n = e->GetNumRows() * e->GetNumCols();
  auto dump = [&](const char* name, const float* data) {
    std::ofstream((Folder() / name).string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n * sizeof(float)));
  };
  dump("b.f32", e->GetPyrvaneOutputLayer(12));
  dump("c.f32", e->GetPyrvaneOutputLayer(13));
  dump("dir.f32", e->GetPyrvaneOutputLayer(10));
  dump("ign.f32", e->GetIgnitionGrid());
  const std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR + "/tests/engines/mtt_oracle.py bench " +
                          Folder().string() + " " + std::to_string(e->GetNumRows()) + " " +
                          std::to_string(e->GetNumCols()) + " 30 6 4";
  double build = -1;
  for (auto _ : state) {
    FILE* p = ::popen(cmd.c_str(), "r");
    double solve = -1;
    if (!p || std::fscanf(p, "%lf %lf", &build, &solve) != 2) solve = -1;
    if (p) ::pclose(p);
    if (solve < 0) {
      state.SkipWithError("scipy baseline failed");
      break;
    }
    state.SetIterationTime(solve);
  }
  state.counters["graph_build_s"] = build;
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  state.counters["peak_MB"] = usage.ru_maxrss / 1024.0;
  fs::remove_all(Folder());
}
BENCHMARK(BM_ScipyDijkstraBaseline)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

// Fire growth over three days of 10:00-18:00 burn periods on 1000 x 1000 cells of 30 m, as a
// fire-growth run launches it, on 1 thread and on 8 in the same run: wall time, the vertices
// of the last perimeter and microseconds per vertex-step. The 1-thread launch is the baseline;
// the 8-thread launch must give the same perimeters, vertex for vertex.
// PYRVANE_BENCH_SIDE sets another side (e.g. 300 for a quick look). Every count of processors
// the machine has is run (1, 2, 4, ... and the machine's own). PYRVANE_BENCH_LOAD=N starts N
// CPU-bound processes of its own for the whole run, as a busy desktop would (a browser, a
// build), and stops them at the end; the load average is printed either way.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engines/embrith_engine.h"
#include "engines/landscape_source.h"
#include "platform/grid_memory.h"
#include "platform/numbers.h"

namespace {

namespace fs = std::filesystem;

int Side() {
  const char* side = std::getenv("PYRVANE_BENCH_SIDE");
  return side ? std::max(100, std::atoi(side)) : 1000;
}

fs::path Folder() {
  static const fs::path dir = fs::temp_directory_path() / ("pv_bench_growth_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

// Rolling hills under patches of grass, grass-shrub, shrub and timber a kilometre or two
// across, timber stands with a canopy, and a few lakes.
std::unique_ptr<engines::LandscapeSource> Landscape(int side) {
  CHeaderData h = engines::MakeStandardHeader(side, side, 0.0, 0.0, 30.0, true);
  const int fuels[] = {1, 2, 102, 104, 122, 142, 145, 121, 165, 10};
  std::vector<std::vector<std::int16_t>> layers(10);
  for (int k = 0; k < 8; ++k) layers[k].resize(static_cast<std::size_t>(side) * side);
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * side + c;
      const double u = c / 40.0, v = r / 55.0;
      layers[0][i] = static_cast<std::int16_t>(800 + 200 * std::sin(u) * std::cos(v));
      layers[1][i] = static_cast<std::int16_t>(std::fabs(25 * std::sin(u * 0.7 + v * 0.3)));
      layers[2][i] = static_cast<std::int16_t>(static_cast<int>(180 + 179 * std::sin(u * 0.5 - v * 0.4)) % 360);
      const int patch = ((r / 43) * 7 + (c / 61) * 3 + (r / 131) * (c / 97)) % 10;
      const bool lake = (r / 97 + c / 113) % 11 == 5 && (r % 97) < 30 && (c % 113) < 40;
      const int fuel = lake ? 98 : fuels[patch];
      layers[3][i] = static_cast<std::int16_t>(fuel);
      const bool timber = fuel == 8 || fuel == 10 || fuel == 165 || fuel == 183;
      layers[4][i] = static_cast<std::int16_t>(timber ? 50 : 0);
      layers[5][i] = static_cast<std::int16_t>(timber ? 180 : 0);
      layers[6][i] = static_cast<std::int16_t>(timber ? 30 : 0);
      layers[7][i] = static_cast<std::int16_t>(timber ? 12 : 0);
    }
  return std::make_unique<engines::MemoryLandscape>(std::move(h), std::move(layers));
}

// Hourly weather for the three days: a south-westerly backing to the west and north-west.
std::string Inputs(int side) {
  const fs::path ign = Folder() / "ign.geojson";
  const double x = side * 30.0 * 0.25, y = side * 30.0 * 0.25;
  std::ofstream(ign) << "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"properties\":{},"
                        "\"geometry\":{\"type\":\"Point\",\"coordinates\":["
                     << x << "," << y << "]}}]}";
  std::string t = "Embrith-Inputs-File-Version-1\nFUEL_MOISTURES_DATA: 1\n0 6 7 8 60 90\n\n"
                  "EMBRITH_TIMESTEP: 60\nEMBRITH_DISTANCE_RES: 30\nEMBRITH_PERIMETER_RES: 30\n"
                  "EMBRITH_SPOT_GRID_RESOLUTION: 15\nEMBRITH_SPOT_PROBABILITY: 0.000\nEMBRITH_SPOT_IGNITION_DELAY: 0\n"
                  "EMBRITH_MINIMUM_SPOT_DISTANCE: 30\nEMBRITH_ACCELERATION_ON: 1\nEMBRITH_FILL_BARRIERS: 1\n"
                  "EMBRITH_BURN_PERIODS: 3\n7 15 1000 1759\n7 16 1000 1759\n7 17 1000 1759\n"
                  "FOLIAR_MOISTURE_CONTENT: 100.000000\nCROWN_FIRE_METHOD: MarlowBrenner\n"
                  "EMBRITH_IGNITION_FILE: " + ign.string() + "\n"
                  "RAWS_ELEVATION: 800\nRAWS_UNITS: English\nRAWS: 72\n";
  for (int k = 0; k < 72; ++k) {
    const int day = 15 + k / 24, hour = k % 24;
    const int direction = 225 + 45 * (k / 24) + (hour - 12) * 2, speed = 6 + (hour >= 12 && hour <= 17 ? 6 : 0);
    t += platform::FormatC("2026 7 %d %d 80 25 0.00 %d %d 0 \n", day, hour * 100, speed, direction);
  }
  return t;
}

struct Result {
  std::vector<EmbrithPerimeter> perimeters;
  double seconds = 0;
};
Result& Reference() {
  static Result r;
  return r;
}

bool Same(const std::vector<EmbrithPerimeter>& a, const std::vector<EmbrithPerimeter>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k].elapsed != b[k].elapsed || a[k].ring.size() != b[k].ring.size()) return false;
    for (std::size_t i = 0; i < a[k].ring.size(); ++i)
      if (a[k].ring[i].x != b[k].ring[i].x || a[k].ring[i].y != b[k].ring[i].y) return false;
  }
  return true;
}

void BM_GrowthThreeDays(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const int side = Side();
  const fs::path inputs = Folder() / "inputs.txt";
  std::ofstream(inputs) << Inputs(side);
  double seconds = 0;
  std::uint64_t steps = 0;
  int vertices = 0;
  std::vector<EmbrithPerimeter> perimeters;
  for (auto _ : state) {
    CEmbrith e;
    e.SetLandscape(Landscape(side));
    e.SetNumProcessors(threads);
    int rc = e.LoadEmbrithInputs(inputs.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    if (rc == 1) rc = e.LaunchEmbrith();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (rc != 1) {
      state.SkipWithError(e.CommandFileError(rc));
      return;
    }
    state.SetIterationTime(seconds);
    steps = e.GetVertexSteps();
    vertices = e.GetTotalVertices();
    perimeters = e.Perimeters();
  }
  state.counters["vertices"] = vertices;
  state.counters["vertex_steps"] = static_cast<double>(steps);
  state.counters["us_per_vertex_step"] = steps ? seconds * 1e6 / static_cast<double>(steps) : 0;
  state.counters["perimeters"] = static_cast<double>(perimeters.size());
  if (threads == 1) {
    Reference() = {perimeters, seconds};
  } else if (!Reference().perimeters.empty()) {
    state.counters["speedup_vs_1_thread"] = Reference().seconds / seconds;
    state.counters["identical_perimeters"] = Same(Reference().perimeters, perimeters) ? 1 : 0;
    if (!Same(Reference().perimeters, perimeters)) state.SkipWithError("perimeters differ from the 1-thread run");
  }
}
void ProcessorCounts(benchmark::internal::Benchmark* b) {
  const int most = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int n = 1; n < most; n *= 2) b->Arg(n);
  b->Arg(most);
}
BENCHMARK(BM_GrowthThreeDays)->Apply(ProcessorCounts)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

double LoadAverage() {
  double one = 0;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &one) != 1) one = 0;
    std::fclose(f);
  }
  return one;
}

// CPU-bound processes standing for the other programs of a busy desktop.
std::vector<pid_t> StartLoad(int count) {
  std::vector<pid_t> pids;
  for (int i = 0; i < count; ++i) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      volatile unsigned long x = 0;
      for (;;) x = x + 1;
    }
    if (pid > 0) pids.push_back(pid);
  }
  return pids;
}

void StopLoad(const std::vector<pid_t>& pids) {
  for (pid_t pid : pids) ::kill(pid, SIGKILL);
  for (pid_t pid : pids) ::waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
  // As the program does at start-up.
  platform::KeepFreedMemory();
  benchmark::Initialize(&argc, argv);
  const char* load = std::getenv("PYRVANE_BENCH_LOAD");
  const int busy = load ? std::max(0, std::atoi(load)) : 0;
  const std::vector<pid_t> loadPids = StartLoad(busy);
  std::printf("load: %d busy processes of the benchmark's own; load average %.1f at the start\n", busy, LoadAverage());
  benchmark::RunSpecifiedBenchmarks();
  std::printf("load average %.1f at the end\n", LoadAverage());
  StopLoad(loadPids);
  benchmark::Shutdown();
  fs::remove_all(Folder());
  return 0;
}

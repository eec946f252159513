// Burn probability as the run makes it (one fire-behaviour computation, then quick fires of
// 60 minutes from random ignitions on worker threads, then the burn probabilities and the
// fire-size list), with the run's processor setting at 1, 2, 4 and 8; the baseline is the same
// run on one processor. Each run reports its speed-up over one processor, whether all its
// outputs are byte for byte those of one processor, the seconds of each stage, the CPU seconds
// of all threads, and the time per fire and per burned node (a fire costs what it burns, not
// the lattice: compare the run on a lattice four times larger). The same run with both
// flame-length tables (third argument 1) at 1 and 8 shows what writing their text adds.
// Each figure is the fastest of three rounds (one round when small).
// Default: 1000 x 1000 cells and 10,000 fires; PYRVANE_BENCH_SMALL=1: 300 x 300 and 1,000.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "platform/folders.h"
#include "runs/run.h"
#include "runs/run_burnprob.h"

namespace {

namespace fs = std::filesystem;

bool Small() { return std::getenv("PYRVANE_BENCH_SMALL") != nullptr; }
int Side() { return Small() ? 300 : 1000; }
int Fires() { return Small() ? 1000 : 10000; }
int Rounds() { return Small() ? 1 : 3; }

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

fs::path Folder() {
  static const fs::path dir = fs::temp_directory_path() / ("pv_bench_burnprob_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

// A landscape of GDAL's writing: grass, shrub, timber and slash with patches of water, on
// rolling terrain.
std::string Landscape(int side) {
  const fs::path lcp = Folder() / ("land" + std::to_string(side) + ".lcp");
  if (fs::exists(lcp)) return lcp.string();
  const fs::path py = Folder() / "make.py";
  std::ofstream(py) << "from osgeo import gdal\nimport numpy as np\nn = " << side
                    << "\nr, c = np.mgrid[0:n, 0:n]\n"
                       "m = gdal.GetDriverByName('MEM').Create('', n, n, 8, gdal.GDT_Int16)\n"
                       "m.SetGeoTransform([0.0, 30.0, 0, n * 30.0, 0, -30.0])\n"
                       "fuels = np.array([1, 2, 4, 8, 10, 102, 122, 145, 165, 183, 98, 204, 3, 124, 9, 2])\n"
                       "bands = [500 + 200 * np.sin(r / 40.0) * np.cos(c / 55.0), (r * 7 + c * 3) % 30,\n"
                       "         (r * 37 + c * 11) % 360, fuels[((r // 7) * 5 + c // 9) % 16],\n"
                       "         np.where(c % 3 == 0, 40, 0), np.where(c % 3 == 0, 150, 0),\n"
                       "         np.where(c % 3 == 0, 15, 0), np.where(c % 3 == 0, 10, 0)]\n"
                       "for b, a in enumerate(bands):\n"
                       "    m.GetRasterBand(b + 1).WriteArray(np.asarray(a, dtype=np.int16))\n"
                       "gdal.GetDriverByName('LCP').CreateCopy('"
                    << lcp.string() << "', m, options=['LATITUDE=45', 'LINEAR_UNIT=METER'])\n";
  if (std::system((std::string(PV_PYTHON) + " " + py.string()).c_str()) != 0) return {};
  return lcp.string();
}

class QuietProgress : public runs::RunProgress {
 public:
  bool IsWindow() const override { return false; }
  bool StopRequested() const override { return false; }
  void PostText(const std::string&) override {}
  void PostPosition(int) override {}
  void PostRange(int) override {}
  void PostCompletion(int success) override { completed = success; }
  void SetDone(bool) override {}
  int completed = -1;
};

struct Baseline {
  double seconds = 0, fireSeconds = 0;
  runs::BurnProbabilityResult outputs;
};

bool SameOutputs(const runs::BurnProbabilityResult& a, const runs::BurnProbabilityResult& b) {
  return a.burnProbability.size() == b.burnProbability.size() &&
         std::memcmp(a.burnProbability.data(), b.burnProbability.data(), a.burnProbability.size() * sizeof(float)) == 0 &&
         a.flpEnglish == b.flpEnglish && a.flpMetric == b.flpMetric && a.fireSizeList == b.fireSizeList &&
         a.completed == b.completed;
}
std::map<std::pair<int, int>, Baseline>& OneThread() {
  static std::map<std::pair<int, int>, Baseline> m;
  return m;
}

void BM_BurnProbability(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const int side = static_cast<int>(state.range(1));
  const bool tables = state.range(2) != 0;
  const std::string lcp = Landscape(side);
  if (lcp.empty()) {
    state.SkipWithError("the landscape could not be written");
    return;
  }
  platform::SetWorkingFolder((Folder() / "work").string());
  platform::MakeFolders((Folder() / "work").string());
  const std::string fms = (Folder() / "a.fms").string();
  std::ofstream(fms) << "0 6 7 8 60 90\n";
  double seconds = 0, cpu = 0;
  runs::BurnProbabilityResult result;
  for (auto _ : state) {
    // The fastest of a few rounds, on both sides of each ratio: one round on a shared machine
    // measures its neighbours as much as the run.
    double best = 0;
    for (int round = 0; round < Rounds(); ++round) {
      CRun run;
      run.inputs.fuelMoistureFile = fms;
      run.inputs.windSpeed = 15;
      run.inputs.windDirection = 225;
      run.outputs.crownFireMethod = 0;
      run.mtt.ignitionSource = 2;
      run.mtt.numberOfRandomFires = side == Side() ? Fires() : Fires() / 4;
      run.mtt.resolution = 30;
      run.mtt.simulationTime = 60;
      run.mtt.burnProbabilities = run.mtt.fireSizeList = 1;
      run.mtt.flpEnglish = run.mtt.flpMetric = tables;
      run.outputs.numberOfProcessors = threads;
      QuietProgress progress;
      runs::BurnProbabilityLaunch launch;
      launch.run = &run;
      launch.progress = &progress;
      launch.landscapeFile = lcp;
      launch.geometry = {side * 30.0, 0, side * 30.0, 0, 30, 30};
      launch.timing = {std::chrono::milliseconds(1), std::chrono::milliseconds(0)};
      launch.seed = 4242;
      const double cpuStart = CpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      runs::RunBurnProbability(launch);
      const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (progress.completed != 1) {
        state.SkipWithError("the run failed");
        break;
      }
      if (round == 0 || took < best) {
        best = took;
        cpu = CpuSeconds() - cpuStart;
        result = std::move(launch.result);
      }
    }
    seconds = best;
    state.SetIterationTime(std::max(seconds, 1e-9));
  }
  double burned = 0;
  for (const FireSizeRecord& r : result.records) burned += r.fireSize / (30.0 * 30.0 * 0.0002471053816137119);
  const double fires = std::max(1, result.fires);
  state.counters["threads_used"] = result.threads;
  state.counters["fires"] = result.fires;
  state.counters["cpu_s"] = cpu;
  state.counters["behavior_s"] = result.behaviorSeconds;
  state.counters["lattice_s"] = result.latticeSeconds;
  state.counters["fires_s"] = result.fireSeconds;
  state.counters["outputs_s"] = result.outputSeconds;
  state.counters["ms_per_fire"] = result.fireSeconds * 1000 / fires;
  state.counters["us_per_burned_node"] = burned > 0 ? result.fireSeconds * 1e6 / burned : 0;
  state.counters["nodes_per_fire"] = burned / fires;
  if (threads == 1) {
    OneThread()[{side, tables}] = {seconds, result.fireSeconds, std::move(result)};
  } else if (auto it = OneThread().find({side, tables}); it != OneThread().end()) {
    state.counters["speedup_vs_1_thread"] = it->second.seconds / seconds;
    state.counters["fires_speedup"] = it->second.fireSeconds / std::max(1e-9, result.fireSeconds);
    state.counters["same_as_1_thread"] = SameOutputs(it->second.outputs, result);
  }
}

}  // namespace

BENCHMARK(BM_BurnProbability)
    ->ArgsProduct({{1, 2, 4, 8}, {Side()}, {0}})
    ->Args({1, 2 * Side(), 0})
    ->Args({1, Side(), 1})
    ->Args({8, Side(), 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Opening a 10-band LCP into layer themes, beside `gdalinfo -stats` on the same file.
// Default: 600 x 600 cells. PYRVANE_BENCH_FULL=1: 4000 x 4000 cells (320 MB of bands).
// Counters: peak_rss_over_raw = growth of the peak resident size while opening / raw band bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "landscape/header.h"
#include "landscape/landscape.h"
#include "platform/atomic_file.h"
#include "themes/theme.h"

namespace {

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 600; }

const std::string& LandscapePath() {
  static const std::string path = [] {
    const int n = Side();
    const std::string p = "/tmp/pv_bench_landscape_" + std::to_string(n) + ".lcp";
    CHeaderData h;
    h.crownFlag = h.groundFlag = 21;
    h.latitude = 44;
    h.columns = h.rows = n;
    h.cellWidth = h.cellHeight = 30;
    h.west = h.westEdge = 500000;
    h.north = h.northEdge = 4900000;
    h.east = h.eastEdge = 500000 + 30.0 * n;
    h.south = h.southEdge = 4900000 - 30.0 * n;
    h.unitCodes = {0, 0, 2, 0, 1, 3, 3, 3, 1, 0};
    platform::AtomicFile f(p);
    bool ok = f.Open() && f.Write(h.SerializeHeader());
    std::vector<std::int16_t> row(static_cast<std::size_t>(n) * 10);
    for (int r = 0; r < n && ok; ++r) {
      for (int c = 0; c < n; ++c) {
        std::int16_t* v = &row[static_cast<std::size_t>(c) * 10];
        v[0] = static_cast<std::int16_t>(1000 + (r * 7 + c * 3) % 1500);
        v[1] = static_cast<std::int16_t>((r + c) % 60);
        v[2] = static_cast<std::int16_t>((r * 13 + c) % 360);
        v[3] = static_cast<std::int16_t>((c / 50) % 2 ? 165 : 102);
        v[4] = static_cast<std::int16_t>((r / 40) % 90);
        v[5] = static_cast<std::int16_t>(c % 300);
        v[6] = static_cast<std::int16_t>(r % 50);
        v[7] = static_cast<std::int16_t>((r + c) % 30);
        v[8] = static_cast<std::int16_t>(c % 200);
        v[9] = static_cast<std::int16_t>(r % 5);
      }
      ok = f.Write(row.data(), row.size() * 2);
    }
    if (!ok || !f.Commit()) std::fprintf(stderr, "cannot write %s\n", p.c_str());
    return p;
  }();
  return path;
}

double RawBandBytes() { return static_cast<double>(Side()) * Side() * 10 * 2; }

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  return 0;
}

// Resets the peak resident size to the current one.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void Open(benchmark::State& state, bool inMemory) {
  const std::string& path = LandscapePath();
  double peakGrowth = 0;
  for (auto _ : state) {
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    {
      landscape::LandscapeState ls;
      landscape::ThemeList themes;
      if (landscape::OpenLandscape(ls, path, themes, landscape::OpenOptions{inMemory}) != 1)
        state.SkipWithError("open failed");
      benchmark::DoNotOptimize(themes.data());
      peakGrowth = std::max(peakGrowth, (StatusKb("VmHWM:") - before) * 1024.0);
    }
  }
  state.counters["peak_rss_over_raw"] = peakGrowth / RawBandBytes();
}

void BM_OpenLcpIntoThemes_InPlace(benchmark::State& state) { Open(state, false); }
void BM_OpenLcpIntoThemes_InMemory(benchmark::State& state) { Open(state, true); }

// Baseline: GDAL's own tool computing the statistics of every band of the same file (its
// auxiliary file switched off, so each run reads the cells).
void BM_Baseline_GdalinfoStats(benchmark::State& state) {
  const std::string cmd = "GDAL_PAM_ENABLED=NO gdalinfo -stats " + LandscapePath() + " > /dev/null 2>&1";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("gdalinfo failed");
}

}  // namespace

BENCHMARK(BM_Baseline_GdalinfoStats)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenLcpIntoThemes_InPlace)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenLcpIntoThemes_InMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();

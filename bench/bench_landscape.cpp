// Opening a landscape as File > Open does it (layer themes, header statistics, the first
// area's legends and fuel-model scan), with the shipped preferences, beside `gdalinfo -stats`
// on the same GDAL-written 10-band LCP. Default: 600 x 600 cells; PYRVANE_BENCH_FULL=1:
// 4000 x 4000 cells (320 MB of bands).
// After the runs it prints the two figures the default configuration must meet:
//   time_over_gdalinfo  = mean time of the default open / mean time of the baseline
//   peak_rss_over_raw   = growth of the peak resident size while opening / raw band bytes
// and the same for the in-place store (the keep-cells-in-memory preference off), and how
// long refusing damaged files takes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/application.h"
#include "landscape/header.h"
#include "platform/messages.h"
#include "project/document.h"

namespace {

namespace fs = std::filesystem;

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 600; }

// A landscape written by GDAL's LCP driver, made once and kept in /tmp.
const std::string& LandscapePath() {
  static const std::string path = [] {
    const int n = Side();
    const std::string p = "/tmp/pv_bench_landscape_gdal_" + std::to_string(n) + ".lcp";
    if (fs::exists(p)) return p;
    const std::string script =
        "import sys, numpy as np\n"
        "from osgeo import gdal, osr\n"
        "n = int(sys.argv[2])\n"
        "r = np.arange(n, dtype=np.int32)[:, None]; c = np.arange(n, dtype=np.int32)[None, :]\n"
        "layers = [lambda: 1000 + (r * 7 + c * 3) % 1500, lambda: (r + c) % 60, lambda: (r * 13 + c) % 360,\n"
        "          lambda: np.where((c // 50) % 2 == 1, 165, 102) + 0 * r, lambda: (r // 40) % 90 + 0 * c,\n"
        "          lambda: c % 300 + 0 * r, lambda: r % 50 + 0 * c, lambda: (r + c) % 30, lambda: c % 200 + 0 * r,\n"
        "          lambda: r % 5 + 0 * c]\n"
        "ds = gdal.GetDriverByName('MEM').Create('', n, n, 10, gdal.GDT_Int16)\n"
        "ds.SetGeoTransform([500000, 30, 0, 4900000, 0, -30])\n"
        "s = osr.SpatialReference(); s.ImportFromEPSG(32611); ds.SetProjection(s.ExportToWkt())\n"
        "for i, make in enumerate(layers):\n"
        "    ds.GetRasterBand(i + 1).WriteArray(make().astype(np.int16))\n"
        "gdal.GetDriverByName('LCP').CreateCopy(sys.argv[1], ds, options=['LATITUDE=44'])\n";
    const std::string scriptPath = "/tmp/pv_bench_landscape_write.py";
    std::ofstream(scriptPath) << script;
    const std::string cmd = std::string(PV_PYTHON) + " " + scriptPath + " " + p + ".part.lcp " + std::to_string(n);
    if (std::system(cmd.c_str()) != 0 || std::rename((p + ".part.lcp").c_str(), p.c_str()) != 0)
      std::fprintf(stderr, "cannot write %s\n", p.c_str());
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

// The program's settings as shipped: the data folder's defaults, no user file.
void UseShippedPreferences() {
  static bool done = [] {
    const fs::path root = fs::temp_directory_path() / ("pv_bench_landscape_" + std::to_string(::getpid()));
    AppFolders f;
    f.programFolder = root.string();
    f.dataFolder = std::string(PV_SOURCE_DIR) + "/data";
    f.configFolder = (root / "config").string();
    f.workingFolder = (root / "work").string();
    f.lockPath = (root / "lock").string();
    fs::create_directories(f.configFolder);
    fs::create_directories(f.workingFolder);
    GetApp().Startup(f);
    return true;
  }();
  (void)done;
}

struct Figures {
  double seconds = 0;
  int runs = 0;
  double peakBytes = 0;
};
std::map<std::string, Figures> figures;

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void OpenAsTheWindowDoes(benchmark::State& state, const char* name, bool inPlace) {
  UseShippedPreferences();
  const std::string& path = LandscapePath();
  const int shipped = GetApp().keepGridCellsInMemory;
  if (inPlace) GetApp().keepGridCellsInMemory = 0;
  Figures& f = figures[name];
  for (auto _ : state) {
    ResetPeak();
    const long before = StatusKb("VmRSS:");
    const double start = Now();
    {
      CPVN4Doc doc;
      doc.OnNewDocument();
      if (doc.OpenLandscape(path) != 1) state.SkipWithError("open failed");
      f.seconds += Now() - start;
      ++f.runs;
      f.peakBytes = std::max(f.peakBytes, (StatusKb("VmHWM:") - before) * 1024.0);
    }
  }
  GetApp().keepGridCellsInMemory = shipped;
  state.counters["peak_rss_over_raw"] = f.peakBytes / RawBandBytes();
}

void BM_OpenLandscape_Default(benchmark::State& state) { OpenAsTheWindowDoes(state, "default", false); }
void BM_OpenLandscape_InPlace(benchmark::State& state) { OpenAsTheWindowDoes(state, "in place", true); }

// Baseline: GDAL's own tool computing the statistics of every band of the same file (its
// auxiliary file switched off, so each run reads the cells).
void BM_Baseline_GdalinfoStats(benchmark::State& state) {
  const std::string cmd = "GDAL_PAM_ENABLED=NO gdalinfo -stats " + LandscapePath() + " > /dev/null 2>&1";
  Figures& f = figures["gdalinfo"];
  for (auto _ : state) {
    const double start = Now();
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("gdalinfo failed");
    f.seconds += Now() - start;
    ++f.runs;
  }
}

// Damaged files claiming 30000 x 30000 cells: refused with a message, at once.
void BM_RefuseDamagedLandscapes(benchmark::State& state) {
  UseShippedPreferences();
  const std::string lcp = "/tmp/pv_bench_landscape_claims.lcp", tif = "/tmp/pv_bench_landscape_sparse.tif";
  {
    std::ifstream in(LandscapePath(), std::ios::binary);
    std::string head(39 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::int32_t huge = 30000;
    std::memcpy(head.data() + 4164, &huge, 4);
    std::memcpy(head.data() + 4168, &huge, 4);
    std::ofstream(lcp, std::ios::binary) << head;
    const std::string cmd = "gdal_create -q -of GTiff -outsize 30000 30000 -bands 8 -ot Int16 -co SPARSE_OK=TRUE "
                            "-co TILED=YES -a_srs EPSG:32611 -a_ullr 500000 4900000 1400000 4000000 " +
                            tif + " > /dev/null 2>&1";
    if (!fs::exists(tif) && std::system(cmd.c_str()) != 0) state.SkipWithError("gdal_create failed");
  }
  Figures& f = figures["refusal"];
  platform::ScopedRecordingMessages messages;
  for (auto _ : state) {
    for (const std::string& path : {lcp, tif}) {
      ResetPeak();
      const long before = StatusKb("VmRSS:");
      const double start = Now();
      CPVN4Doc doc;
      doc.OnNewDocument();
      if (doc.OpenLandscape(path) == 1 || messages.Texts().empty()) state.SkipWithError("not refused");
      f.seconds = std::max(f.seconds, Now() - start);
      f.peakBytes = std::max(f.peakBytes, (StatusKb("VmHWM:") - before) * 1024.0);
      messages.Clear();
    }
    ++f.runs;
  }
}

}  // namespace

BENCHMARK(BM_Baseline_GdalinfoStats)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenLandscape_Default)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OpenLandscape_InPlace)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RefuseDamagedLandscapes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto mean = [](const Figures& f) { return f.runs ? f.seconds / f.runs : 0.0; };
  const double baseline = mean(figures["gdalinfo"]);
  std::printf("\nLandscape %d x %d x 10 (%.0f MB of bands), GDAL-written LCP\n", Side(), Side(),
              RawBandBytes() / 1e6);
  for (const char* name : {"default", "in place"}) {
    const Figures& f = figures[name];
    if (!f.runs || baseline <= 0) continue;
    std::printf("%-9s time_over_gdalinfo = %.2f  peak_rss_over_raw = %.2f\n", name, mean(f) / baseline,
                f.peakBytes / RawBandBytes());
  }
  const Figures& r = figures["refusal"];
  if (r.runs)
    std::printf("damaged files claiming 30000 x 30000 cells: refused within %.3f s, peak growth %.0f MB\n", r.seconds,
                r.peakBytes / 1e6);
  return 0;
}

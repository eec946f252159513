// One run output as KMZ Output exports it (warped to WGS84, painted through its legend into
// a PNG, with its frequency legend), beside `gdalwarp -t_srs EPSG:4326` plus
// `gdal_translate -of PNG` of the same grid as a GeoTIFF, run back to back in each of three
// rounds; gdalwarp once as typed and once on every core. Default: 600 x 600 cells;
// PYRVANE_BENCH_FULL=1: 4000 x 4000 cells. Prints the best times and time_over_baseline.
#include <benchmark/benchmark.h>

#include <ogr_spatialref.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/kmz_export.h"

namespace {

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 600; }

struct Fixture {
  std::unique_ptr<CTheme> theme;
  CThemeLegendData legend;
  std::string projection, tif, dir;
};

Fixture& Data() {
  static Fixture f = [] {
    Fixture d;
    const int n = Side();
    std::vector<float> cells(static_cast<std::size_t>(n) * n);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c)
        cells[static_cast<std::size_t>(r) * n + c] = (r / 97 + c / 89) % 13 == 0 ? -9999.0f : static_cast<float>((r * 7 + c * 3) % 120);
    d.theme = std::make_unique<CTheme>();
    d.theme->CreateFromFloats("Rate of Spread", 4800000, 500000, 30, 30, n, n, -9999.0f, cells.data(), 0, 12);
    d.legend.SetTheme(d.theme.get());
    d.legend.AddEntry(CLegendEntry(-9999.0f, 0xFFFFFF));
    for (int k = 1; k <= 10; ++k) d.legend.AddEntry(CLegendEntry(12.0f * k, 0x0000FF + 0x001900 * k));
    d.legend.SetMaxValue(120);
    OGRSpatialReference s;
    s.importFromEPSG(32611);
    char* wkt = nullptr;
    s.exportToWkt(&wkt);
    d.projection = wkt;
    CPLFree(wkt);
    d.dir = "/tmp/pv_bench_kmz_" + std::to_string(n);
    std::filesystem::create_directories(d.dir);
    d.tif = d.dir + "/grid.tif";
    if (!std::filesystem::exists(d.tif)) d.theme->SaveGeoTiff(d.projection, d.tif, &d.legend);
    return d;
  }();
  return f;
}

// Each round runs ours, then the baselines, back to back; the best of the rounds counts.
constexpr int kRounds = 3;
std::map<std::string, std::vector<double>> seconds;

double Best(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); }

template <class F>
double Timed(F f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// KMZ Output's work for one output: the overlay warped and painted, its PNG, its legend.
bool ExportOne(Fixture& d, std::size_t& bytes, std::string& error) {
  views::KmzOverlay overlay;
  if (!views::MakeKmzOverlayImage(overlay, *d.theme, &d.legend, d.projection, views::TransparentValuesOf(12), error))
    return false;
  const platform::Image legend =
      views::MakeKmzLegendImage(*d.theme, d.legend, CellWindow{0, 0, d.theme->columns - 1, d.theme->rows - 1});
  std::string legendPng;
  if (!legend.EncodePng(legendPng)) return false;
  bytes = overlay.png.size();
  return true;
}

// The same grid through the command-line tools: warped, then written as a PNG at the PNG
// driver's default compression. "threaded" warps on every core, as ours does.
std::string BaselineCommand(const Fixture& d, bool threaded) {
  return std::string("gdalwarp -q -overwrite ") + (threaded ? "-multi -wo NUM_THREADS=ALL_CPUS " : "") +
         "-t_srs EPSG:4326 -r near '" + d.tif + "' '" + d.dir + "/warped.tif' && " +
         "gdal_translate -q -of PNG -ot Byte -scale '" + d.dir + "/warped.tif' '" + d.dir + "/warped.png'";
}

void BM_KmzOutputThenBaselines(benchmark::State& state) {
  Fixture& d = Data();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string error;
    bool ok = true;
    const double ours = Timed([&] { ok = ExportOne(d, bytes, error); });
    if (!ok) return state.SkipWithError(error.empty() ? "PNG encoding failed" : error.c_str());
    seconds["ours"].push_back(ours);
    for (bool threaded : {false, true}) {
      const std::string cmd = BaselineCommand(d, threaded);
      int status = 0;
      const double t = Timed([&] { status = std::system(cmd.c_str()); });
      if (status != 0) return state.SkipWithError("gdalwarp or gdal_translate failed");
      seconds[threaded ? "threaded" : "plain"].push_back(t);
    }
    state.SetIterationTime(ours);
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}

BENCHMARK(BM_KmzOutputThenBaselines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kRounds);

}  // namespace

int main(int argc, char** argv) {
  platform::ScopedRecordingMessages quiet;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  const double ours = Best(seconds["ours"]), plain = Best(seconds["plain"]), threaded = Best(seconds["threaded"]);
  if (ours > 0 && plain > 0 && threaded > 0) {
    std::printf("%d x %d cells, best of %d rounds: ours %.0f ms; gdalwarp + gdal_translate %.0f ms, "
                "with gdalwarp on every core %.0f ms\n",
                Side(), Side(), kRounds, ours * 1e3, plain * 1e3, threaded * 1e3);
    std::printf("time_over_baseline %.2f (threaded gdalwarp), %.2f (plain)\n", ours / threaded, ours / plain);
  }
  return 0;
}

// One run output as KMZ Output exports it (warped to WGS84, painted through its legend into
// an RGBA PNG, with its frequency legend), beside `gdalwarp -t_srs EPSG:4326` plus
// `gdal_translate -of PNG` of the same grid as a GeoTIFF. Default: 600 x 600 cells;
// PYRVANE_BENCH_FULL=1: 4000 x 4000 cells. Prints time_over_baseline after the runs.
#include <benchmark/benchmark.h>

#include <ogr_spatialref.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

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

std::map<std::string, double> seconds;

void BM_KmzOutput(benchmark::State& state) {
  Fixture& d = Data();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    views::KmzOverlay overlay;
    std::string error;
    if (!views::MakeKmzOverlayImage(overlay, *d.theme, &d.legend, d.projection, views::TransparentValuesOf(12), error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    std::string png;
    overlay.image.EncodePng(png);
    const platform::Image legend = views::MakeKmzLegendImage(*d.theme, d.legend, CellWindow{0, 0, d.theme->columns - 1, d.theme->rows - 1});
    std::string legendPng;
    legend.EncodePng(legendPng);
    bytes = png.size();
    seconds["kmz"] += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    seconds["kmz_n"] += 1;
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}

void BM_GdalwarpAndTranslate(benchmark::State& state) {
  Fixture& d = Data();
  const std::string cmd = "gdalwarp -q -overwrite -t_srs EPSG:4326 -r near '" + d.tif + "' '" + d.dir + "/warped.tif' && " +
                          "gdal_translate -q -of PNG -ot Byte -scale '" + d.dir + "/warped.tif' '" + d.dir + "/warped.png'";
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("gdalwarp failed");
      return;
    }
    seconds["base"] += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    seconds["base_n"] += 1;
  }
}

BENCHMARK(BM_KmzOutput)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_GdalwarpAndTranslate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  platform::ScopedRecordingMessages quiet;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  if (seconds["kmz_n"] > 0 && seconds["base_n"] > 0)
    std::printf("time_over_baseline %.2f (%d x %d cells)\n",
                (seconds["kmz"] / seconds["kmz_n"]) / (seconds["base"] / seconds["base_n"]), Side(), Side());
  return 0;
}

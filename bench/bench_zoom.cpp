// One zoom step of the map as the map view does it: the new geometry about the window
// centre, the visible map rectangle, the map image of that rectangle (fuel model through its
// legend, relief shading on) and its bytes for the window, in a 1600 x 1000 window. Baseline:
// GDAL cutting, resampling and colouring the same window of the same grid
// (`gdal_translate -srcwin -outsize`, then `gdaldem color-relief`).
// Default: 1000 x 1000 cells. PYRVANE_BENCH_FULL=1: 4000 x 4000 cells.
#include <benchmark/benchmark.h>
#include <gdal_priv.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "map_fixture.h"
#include "views/navigation.h"

namespace {

constexpr int kClientWidth = 1600, kClientHeight = 1000;
using bench_map::Fuel;
using bench_map::Grid;
using bench_map::kCell;
using bench_map::Side;

std::string Folder() { return "/tmp/pv_bench_zoom_" + std::to_string(Side()); }

CPVN4Doc& Document() {
  static std::unique_ptr<CPVN4Doc> doc = bench_map::MakeDocument(Folder());
  return *doc;
}

views::Extent AreaOf(const CPVN4Doc& doc) {
  const CPyrvane2WorkArea& a = *doc.currentArea;
  return {a.north, a.east, a.south, a.west};
}

// Zooms in from the full view twice, then alternately in and out: each step renders.
void BM_ZoomStepToImage(benchmark::State& state) {
  CPVN4Doc& doc = Document();
  const views::Extent area = AreaOf(doc);
  views::ViewGeometry start = views::FitFullExtent(area, kClientWidth, kClientHeight);
  for (int i = 0; i < 2; ++i)
    start = views::ZoomAbout(area, start, 1.1, true, kClientWidth / 2, kClientHeight / 2, kClientWidth, kClientHeight);
  views::ViewGeometry g = start;
  platform::Image image;
  bool in = true;
  for (auto _ : state) {
    g = views::ZoomAbout(area, g, 1.1, in, kClientWidth / 2, kClientHeight / 2, kClientWidth, kClientHeight);
    in = !in;
    const views::Extent v = views::VisibleExtent(area, g, kClientWidth, kClientHeight);
    doc.DrawMapImage(image, v.west, v.north, v.east, v.south, PixelRect{0, 0, kClientWidth, kClientHeight});
    std::vector<std::uint8_t> bytes = image.ToRgbaBytes();
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_ZoomStepToImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same window of the grid (the view after two zooms in) through GDAL's tools.
void BM_Baseline_GdalTranslateSrcwinColorRelief(benchmark::State& state) {
  CPVN4Doc& doc = Document();
  const std::string f = Folder();
  const int n = Side();
  {
    GDALAllRegister();
    GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    GDALDataset* ds = gtiff->Create((f + "/fuel.tif").c_str(), n, n, 1, GDT_Int16, nullptr);
    const CHeaderData& h = doc.landscape.header;
    double gt[6] = {h.west, kCell, 0, h.north, 0, -kCell};
    ds->SetGeoTransform(gt);
    std::vector<float> fuel = Grid(&Fuel);
    if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, fuel.data(), n, n, GDT_Float32, 0, 0) != CE_None)
      state.SkipWithError("cannot write the grid");
    GDALClose(ds);
    std::ofstream colours(f + "/colours.txt");
    for (int i = 0; i < 256; ++i) colours << i << " " << (i * 37) % 256 << " " << (i * 91) % 256 << " " << (i * 53) % 256 << "\n";
  }
  const views::Extent area = AreaOf(doc);
  views::ViewGeometry g = views::FitFullExtent(area, kClientWidth, kClientHeight);
  for (int i = 0; i < 2; ++i)
    g = views::ZoomAbout(area, g, 1.1, true, kClientWidth / 2, kClientHeight / 2, kClientWidth, kClientHeight);
  const views::Extent v = views::VisibleExtent(area, g, kClientWidth, kClientHeight);
  const int x0 = static_cast<int>((v.west - area.west) / kCell);
  const int y0 = static_cast<int>((area.north - v.north) / kCell);
  const int w = std::min(n - x0, static_cast<int>((v.east - v.west) / kCell));
  const int h = std::min(n - y0, static_cast<int>((v.north - v.south) / kCell));
  const std::string cmd = "gdal_translate -q -srcwin " + std::to_string(x0) + " " + std::to_string(y0) + " " +
                          std::to_string(w) + " " + std::to_string(h) + " -outsize " +
                          std::to_string(kClientWidth + 1) + " " + std::to_string(kClientHeight + 1) + " " + f +
                          "/fuel.tif " + f + "/window.tif && gdaldem color-relief -q " + f + "/window.tif " + f +
                          "/colours.txt " + f + "/relief.tif";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("GDAL tools failed");
}
BENCHMARK(BM_Baseline_GdalTranslateSrcwinColorRelief)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

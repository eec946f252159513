// Rendering the map image of a fuel-model theme with relief shading at full extent into a
// 1920 x 1080 image, beside GDAL doing the same picture from the same grids:
// `gdal_translate -outsize 1920 1080`, then `gdaldem color-relief` and `gdaldem hillshade`.
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

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
using bench_map::Elevation;
using bench_map::Fuel;
using bench_map::Grid;
using bench_map::Side;

std::string Folder() { return "/tmp/pv_bench_map_" + std::to_string(Side()); }

// The fuel layer is shown through a legend built from its cells.
CPVN4Doc& Document() {
  static std::unique_ptr<CPVN4Doc> doc = [] {
    auto d = bench_map::MakeDocument(Folder());
    auto& slot = d->currentArea->legends[1];
    slot = d->currentArea->CreateLegendData(d->visibleTheme, nullptr);
    return d;
  }();
  return *doc;
}

// Band 1 fuel model, band 2 elevation, for the GDAL tools; and the fuel colours.
void WriteGdalInputs() {
  static bool done = false;
  if (done) return;
  done = true;
  GDALAllRegister();
  const int n = Side();
  const CHeaderData& h = Document().landscape.header;
  GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
  GDALDataset* ds = gtiff->Create((Folder() + "/grids.tif").c_str(), n, n, 2, GDT_Int16, nullptr);
  double gt[6] = {h.west, 30, 0, h.north, 0, -30};
  ds->SetGeoTransform(gt);
  std::vector<float> fuel = Grid(&Fuel), elevation = Grid(&Elevation);
  CPLErr e1 = ds->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, n, n, fuel.data(), n, n, GDT_Float32, 0, 0);
  CPLErr e2 = ds->GetRasterBand(2)->RasterIO(GF_Write, 0, 0, n, n, elevation.data(), n, n, GDT_Float32, 0, 0);
  if (e1 != CE_None || e2 != CE_None) std::fprintf(stderr, "cannot write the GDAL inputs\n");
  GDALClose(ds);
  std::ofstream colours(Folder() + "/colours.txt");
  const CThemeLegendData& l = *Document().GetVisibleThemeLegend();
  for (int i = 1; i < l.GetCount(); ++i) {
    const COLORREF c = l.GetEntry(i).GetColor();
    colours << l.GetEntry(i).GetValue() << " " << RedOf(c) << " " << GreenOf(c) << " " << BlueOf(c) << "\n";
  }
}

void BM_DrawMapImage(benchmark::State& state) {
  CPVN4Doc& doc = Document();
  const CHeaderData& h = doc.landscape.header;
  platform::Image image;
  for (auto _ : state) {
    doc.DrawMapImage(image, h.west, h.north, h.east, h.south, PixelRect{0, 0, kWidth - 1, kHeight - 1});
    benchmark::DoNotOptimize(image.Surface());
  }
  state.counters["pixels"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight * state.iterations(),
                                                benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawMapImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GdalTranslateColorReliefHillshade(benchmark::State& state) {
  Document();
  WriteGdalInputs();
  const std::string f = Folder();
  const std::string cmd = "gdal_translate -q -outsize 1920 1080 " + f + "/grids.tif " + f + "/small.tif && " +
                          "gdaldem color-relief -q -b 1 " + f + "/small.tif " + f + "/colours.txt " + f +
                          "/relief.tif && gdaldem hillshade -q -b 2 " + f + "/small.tif " + f + "/shade.tif";
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("GDAL tools failed");
}
BENCHMARK(BM_GdalTranslateColorReliefHillshade)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

// Contouring as the Contour command does it (trace the theme's cells, thin the lines by one
// cell width, write a shapefile of the lines) beside `gdal_contour` on the same GeoTIFF with
// the same interval, writing its own shapefile. A float surface of hills with negative values;
// default 1000 x 1000 cells, PYRVANE_BENCH_FULL=1: 4000 x 4000. Intervals 100 and 10. Ours
// starts from the theme in memory, as the command does with the theme on the map; GDAL reads
// the file.
// Printed at the end, per interval:
//   time_over_gdal_contour = mean time of ours / mean time of gdal_contour
//   the number of lines per level in both shapefiles as OGR reads them, and every level where
//   they differ (a saddle cut by the mean of its four corners may join the other pair)
#include <benchmark/benchmark.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"

namespace {

namespace fs = std::filesystem;

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 1000; }

const std::string& Folder() {
  static const std::string dir = [] {
    const fs::path p = fs::temp_directory_path() / ("pv_bench_contour_" + std::to_string(Side()));
    fs::create_directories(p);
    return p.string();
  }();
  return dir;
}

// Hills and hollows a ninth of the grid across on a slope, from about -600 to 600: about 400
// lines at interval 100 and 4,000 at interval 10 whatever the size.
const std::string& SurfacePath() {
  static const std::string path = [] {
    const std::string p = Folder() + "/surface.tif";
    if (fs::exists(p)) return p;
    GDALAllRegister();
    const int n = Side();
    GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(p.c_str(), n, n, 1, GDT_Float32, nullptr);
    const double gt[6] = {500000, 30, 0, 4500000, 0, -30};
    ds->SetGeoTransform(const_cast<double*>(gt));
    std::vector<float> row(static_cast<std::size_t>(n));
    const double k = 2 * 3.14159265358979 / (n / 4.5);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c)
        row[static_cast<std::size_t>(c)] =
            static_cast<float>(500 * std::sin(c * k) * std::cos(r * k * 0.8) + 0.1 * (c + r) * 1000.0 / n - 100);
      if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, r, n, 1, row.data(), n, 1, GDT_Float32, 0, 0) != CE_None)
        std::abort();
    }
    GDALClose(ds);
    return p;
  }();
  return path;
}

std::map<std::string, std::vector<double>> figures;

void Record(benchmark::State& state, const std::string& key, double seconds) {
  figures[key].push_back(seconds);
  state.SetIterationTime(seconds);
}

void BM_Ours_ContourCommand(benchmark::State& state) {
  const int interval = static_cast<int>(state.range(0));
  platform::ScopedRecordingMessages quiet;
  CTheme theme;
  if (theme.LoadGdalRaster(10, SurfacePath()) != 1) return state.SkipWithError("cannot read the surface");
  std::size_t lines = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    CContourTheme contour;
    std::string error;
    if (!contour.Create(&theme, static_cast<float>(interval), nullptr, nullptr, &error) ||
        !contour.Simplify(theme.cellWidth, nullptr) ||
        !contour.SaveShapefile(Folder() + "/ours_" + std::to_string(interval) + ".shp", ""))
      return state.SkipWithError("contouring failed");
    lines = contour.lines.size();
    Record(state, "ours " + std::to_string(interval),
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_Baseline_GdalContour(benchmark::State& state) {
  const int interval = static_cast<int>(state.range(0));
  const std::string base = Folder() + "/gdal_" + std::to_string(interval);
  const std::string cmd = "gdal_contour -q -a elev -i " + std::to_string(interval) + " " + SurfacePath() + " " + base + ".shp";
  for (auto _ : state) {
    for (const char* ext : {".shp", ".shx", ".dbf", ".prj"}) fs::remove(base + ext);
    const auto start = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError("gdal_contour failed");
    Record(state, "gdal " + std::to_string(interval),
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

BENCHMARK(BM_Baseline_GdalContour)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_Ours_ContourCommand)->Arg(100)->Arg(10)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// Lines per level (keyed by level / interval, rounded) of a shapefile as OGR reads it.
std::map<long long, int> LinesPerLevel(const std::string& path, const char* field, int interval) {
  std::map<long long, int> count;
  GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
  if (!ds || ds->GetLayerCount() < 1) return count;
  OGRLayer* layer = ds->GetLayer(0);
  const int f = layer->GetLayerDefn()->GetFieldIndex(field);
  if (f < 0) return count;
  for (auto& feature : *layer) ++count[std::llround(feature->GetFieldAsDouble(f) / interval)];
  return count;
}

void CompareLineCounts(int interval) {
  const auto ours = LinesPerLevel(Folder() + "/ours_" + std::to_string(interval) + ".shp", "VALUE", interval);
  const auto gdal = LinesPerLevel(Folder() + "/gdal_" + std::to_string(interval) + ".shp", "elev", interval);
  if (ours.empty() || gdal.empty()) return;
  std::map<long long, std::pair<int, int>> both;
  int oursTotal = 0, gdalTotal = 0;
  for (const auto& [k, n] : ours) both[k].first = n, oursTotal += n;
  for (const auto& [k, n] : gdal) both[k].second = n, gdalTotal += n;
  int differing = 0;
  for (const auto& [k, n] : both)
    if (n.first != n.second) {
      if (differing++ == 0) std::printf("  level   ours  gdal_contour\n");
      std::printf("  %5lld  %5d  %5d\n", k * interval, n.first, n.second);
    }
  std::printf("interval %3d  lines: ours %d, gdal_contour %d; levels %zu, differing in %d\n", interval, oursTotal,
              gdalTotal, both.size(), differing);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  auto mean = [](const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return v.empty() ? 0.0 : s / static_cast<double>(v.size());
  };
  for (int interval : {100, 10}) {
    const double ours = mean(figures["ours " + std::to_string(interval)]);
    const double gdal = mean(figures["gdal " + std::to_string(interval)]);
    if (ours > 0 && gdal > 0)
      std::printf("interval %3d  time_over_gdal_contour = %.2f\n", interval, ours / gdal);
  }
  GDALAllRegister();
  for (int interval : {100, 10}) CompareLineCounts(interval);
  benchmark::Shutdown();
  return 0;
}

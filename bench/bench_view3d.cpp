// Opening the 3D view's scene as the window does it, beside `gdaldem hillshade` on the same
// grid: ours builds the strided mesh and its normals from an elevation theme in memory,
// uploads the mesh and a texture of the window's density (4 pixels per vertex), and draws one
// frame off screen with the GL software renderer (read back, so the draw has finished);
// gdaldem shades the grid of the mesh's cells, written as a GeoTIFF, into a GeoTIFF. The
// elevation is 1000 x 1000 cells, or 4000 x 4000 with PYRVANE_BENCH_FULL=1; both give the
// mesh the vertex limit allows (666 x 666 at full size). The GL context, made once, is not
// timed: the window keeps its own for its life. The map picture the window draws into the
// texture is not part of this figure.
// Printed at the end:  time_over_gdaldem = mean time of ours / mean time of gdaldem
#include <benchmark/benchmark.h>
#include <gdal_priv.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "themes/theme.h"
#include "views/terrain_mesh.h"
#include "views/trackball.h"
#include "views/ui/terrain_renderer.h"

namespace {

namespace fs = std::filesystem;

int Side() { return std::getenv("PYRVANE_BENCH_FULL") ? 4000 : 1000; }

const std::string& Folder() {
  static const std::string dir = [] {
    const fs::path p = fs::temp_directory_path() / ("pv_bench_view3d_" + std::to_string(Side()));
    fs::create_directories(p);
    return p.string();
  }();
  return dir;
}

// Hills on a slope, 30 m cells.
CTheme& Elevation() {
  static CTheme theme;
  static bool made = false;
  if (!made) {
    const int n = Side();
    std::vector<float> cells(static_cast<std::size_t>(n) * n);
    const double k = 2 * 3.14159265358979 / (n / 4.5);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c)
        cells[static_cast<std::size_t>(r) * n + c] =
            static_cast<float>(1500 + 400 * std::sin(c * k) * std::cos(r * k * 0.8) + 0.2 * (c + r));
    theme.CreateFromFloats("elevation", 4000000, 500000, 30, 30, n, n, -9999.0f, cells.data(), 0, 0);
    made = true;
  }
  return theme;
}

views::TerrainInput Input() {
  const CTheme& t = Elevation();
  views::TerrainInput in;
  in.elevation = &t;
  in.lastColumn = t.columns - 1;
  in.lastRow = t.rows - 1;
  in.west = t.west + 15;
  in.east = t.east - 15;
  in.south = t.south + 15;
  in.north = t.north - 15;
  in.legendMin = 1000;
  in.legendMax = 2000;
  return in;
}

// The mesh's cells as a GeoTIFF at the strided cell size, for gdaldem.
const std::string& SampledPath() {
  static const std::string path = [] {
    const std::string p = Folder() + "/sampled.tif";
    const views::TerrainInput in = Input();
    const views::MeshStrides s = views::ComputeStrides(static_cast<std::uint32_t>(in.lastRow + 1),
                                                       static_cast<std::uint32_t>(in.lastColumn + 1),
                                                       views::kVertexLimitCap);
    GDALAllRegister();
    const int w = static_cast<int>(s.columns), h = static_cast<int>(s.rows);
    GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(p.c_str(), w, h, 1, GDT_Float32, nullptr);
    const double gt[6] = {in.west, 30.0 * s.columnStride, 0, in.north, 0, -30.0 * s.rowStride};
    ds->SetGeoTransform(const_cast<double*>(gt));
    std::vector<float> row(static_cast<std::size_t>(w));
    for (int j = 0; j < h; ++j) {
      for (int i = 0; i < w; ++i)
        row[static_cast<std::size_t>(i)] = Elevation().GetCellValue(static_cast<int>(i * s.columnStride),
                                                                   static_cast<int>(j * s.rowStride));
      if (ds->GetRasterBand(1)->RasterIO(GF_Write, 0, j, w, 1, row.data(), w, 1, GDT_Float32, 0, 0) != CE_None)
        std::abort();
    }
    GDALClose(ds);
    return p;
  }();
  return path;
}

// A GL 3.3 core context without a window, on Mesa's surfaceless platform.
bool MakeContext() {
  auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (!getDisplay) return false;
  EGLDisplay dpy = getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API)) return false;
  const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                               EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(dpy, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
  return context != EGL_NO_CONTEXT && eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

std::map<std::string, std::vector<double>> figures;

void Record(benchmark::State& state, const std::string& key, double seconds) {
  figures[key].push_back(seconds);
  state.SetIterationTime(seconds);
}

void BM_Ours_MeshTextureAndDraw(benchmark::State& state) {
  static const bool context = MakeContext();
  if (!context) return state.SkipWithError("no GL 3.3 context");
  Elevation();
  views::ui::TerrainRenderer renderer;
  if (!renderer.Create()) return state.SkipWithError("the shaders were refused");
  std::size_t faces = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const views::TerrainMesh mesh = views::BuildTerrainMesh(Input());
    const views::TextureSize t =
        views::TextureRect(mesh.strides.rows, mesh.strides.columns, 4.0, views::ui::TerrainRenderer::MaxTextureSize());
    const int tw = t.width + 1, th = t.height + 1;
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(tw) * th * 4, 200);
    if (!renderer.UploadMesh(mesh) || !renderer.UploadTexture(tw, th, picture.data()))
      return state.SkipWithError("upload failed");
    views::CTrackball ball;
    ball.SetWindow(640, 480, 1.0f);
    ball.SetRotationX(5.497787f);
    views::ui::SceneState scene;
    const views::SceneTransforms x = views::ComputeTransforms(mesh, ball.RotationMatrix(), ball.TranslationMatrix(), 640, 480);
    scene.world = x.world;
    scene.view = x.view;
    scene.projection = x.projection;
    scene.light = views::LightDirection(mesh.centre, 315, 75);
    scene.ambient[0] = scene.ambient[1] = scene.ambient[2] = 0x44 / 255.0f;
    if (renderer.RenderOffscreen(640, 480, scene).empty()) return state.SkipWithError("draw failed");
    faces = mesh.indices.size() / 3;
    Record(state, "ours", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  renderer.Release();
  state.counters["faces"] = static_cast<double>(faces);
}

void BM_Baseline_GdaldemHillshade(benchmark::State& state) {
  const std::string out = Folder() + "/shade.tif";
  const std::string cmd = "gdaldem hillshade -q " + SampledPath() + " " + out;
  for (auto _ : state) {
    fs::remove(out);
    const auto start = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError("gdaldem failed");
    Record(state, "gdal", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}

BENCHMARK(BM_Baseline_GdaldemHillshade)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Ours_MeshTextureAndDraw)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  auto mean = [](const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x;
    return v.empty() ? 0.0 : s / static_cast<double>(v.size());
  };
  const double ours = mean(figures["ours"]), gdal = mean(figures["gdal"]);
  if (ours > 0 && gdal > 0) std::printf("%d x %d  time_over_gdaldem = %.2f\n", Side(), Side(), ours / gdal);
  benchmark::Shutdown();
  return 0;
}

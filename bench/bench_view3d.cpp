// Opening the 3D view's scene as the window does it, beside `gdaldem hillshade` on the same
// grid, back to back in each of ten rounds (the best of each counts: on a shared machine the
// fastest of many is what the work itself costs). Ours: the window's own
// step (the strided mesh and its normals from the project's current area, the elevation of a
// synthetic landscape with fuel and aspect layers, relief shading on; the map picture drawn
// at the texture's size, 4 pixels per vertex; mesh and texture uploaded; the first frame's
// faces drawn meanwhile, as the window does) and that frame finished off screen by the GL
// renderer and read back. gdaldem shades
// the grid of the mesh's cells, written as a GeoTIFF, into a GeoTIFF. The landscape is 1000 x
// 1000 cells, or 4000 x 4000 with PYRVANE_BENCH_FULL=1; both give the mesh the vertex limit
// allows (666 x 666 at full size). The GL context, made once, is not timed: the window keeps
// its own for its life.
// Printed at the end: the best times with the load, the page faults of each round, the parts
// (which the opening does side by side) timed one by one, and time_over_gdaldem.
#include <benchmark/benchmark.h>
#include <gdal_priv.h>

#include <sys/resource.h>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "map_fixture.h"
#include "platform/grid_memory.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/theme.h"
#include "views/terrain_mesh.h"
#include "views/trackball.h"
#include "views/ui/terrain_renderer.h"
#include "views/ui/terrain_scene.h"

namespace {

namespace fs = std::filesystem;

int Side() { return bench_map::Side(); }

const std::string& Folder() {
  static const std::string dir = [] {
    const fs::path p = fs::temp_directory_path() / ("pv_bench_view3d_" + std::to_string(Side()));
    fs::create_directories(p);
    return p.string();
  }();
  return dir;
}

// The landscape of the map benchmarks with an elevation layer of hills on a slope, the fuel
// layer shown: the project the window opens on.
CPVN4Doc& Project() {
  static std::unique_ptr<CPVN4Doc> doc = [] {
    auto d = bench_map::MakeDocument(Folder() + "/themes");
    const int n = Side();
    std::vector<float> cells(static_cast<std::size_t>(n) * n);
    const double k = 2 * 3.14159265358979 / (n / 4.5);
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c)
        cells[static_cast<std::size_t>(r) * n + c] =
            static_cast<float>(1500 + 400 * std::sin(c * k) * std::cos(r * k * 0.8) + 0.2 * (c + r));
    const CHeaderData& h = d->landscape.header;
    auto t = std::make_unique<CTheme>();
    t->CreateFromFloats("elevation", h.south, h.west, bench_map::kCell, bench_map::kCell, n, n, -9999.0f, cells.data(), 0, 0);
    d->landscape.layers[0] = t.get();
    d->gridThemes.push_back(std::move(t));
    // An area made now knows the elevation's cells.
    d->currentArea = d->CreateWorkArea(h.north, h.east, h.south, h.west, "Whole landscape");
    return d;
  }();
  return *doc;
}

views::TerrainInput Input() { return views::TerrainInputOf(Project(), 1.0f, 1.0f, views::kVertexLimitCap); }

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
        row[static_cast<std::size_t>(i)] = in.elevation->GetCellValue(static_cast<int>(i * s.columnStride),
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

constexpr int kRounds = 10;
std::map<std::string, std::vector<double>> figures;
std::map<std::string, std::vector<long>> faults;

// Page faults so far: fresh memory costs one every 4 KB, dearly on a virtual machine.
long Faults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_minflt;
}

double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : 0.0;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Times a part under `name`, with the page faults it took.
template <typename F>
auto Timed(const char* name, F&& f) {
  const auto start = std::chrono::steady_clock::now();
  const long before = Faults();
  struct Record {
    const char* name;
    std::chrono::steady_clock::time_point start;
    long before;
    ~Record() {
      figures[name].push_back(Seconds(start));
      faults[name].push_back(Faults() - before);
    }
  } record{name, start, before};
  return f();
}

views::ui::SceneState SceneOf(const views::TerrainMesh& mesh) {
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
  return scene;
}

constexpr const char* kOpening = "opening";
constexpr const char* kBuild = "mesh, picture, texture";
constexpr const char* kDraw = "draw and read-back";

// One opening of the scene as the window makes it; false when GL refuses something.
bool OpenScene(views::ui::TerrainRenderer& renderer, std::size_t& faces) {
  return Timed(kOpening, [&] {
    const views::ui::TerrainScene scene = Timed(kBuild, [&] {
      // As the window does, the first frame's faces are drawn while the picture is made.
      const views::ui::FirstFrame first{640, 480, [](const views::TerrainMesh& mesh) { return SceneOf(mesh); }};
      return views::ui::BuildTerrainScene(Project(), Input(), 4.0, views::ui::TerrainRenderer::MaxTextureSize(), renderer,
                                          first);
    });
    faces = scene.mesh.faces;
    if (!scene.meshUploaded || scene.textureFailed) return false;
    return Timed(kDraw, [&] { return !renderer.RenderOffscreen(640, 480, SceneOf(scene.mesh)).empty(); });
  });
}

void BM_OpenSceneThenGdaldem(benchmark::State& state) {
  static const bool context = MakeContext();
  if (!context) return state.SkipWithError("no GL 3.3 context");
  Project();
  const std::string out = Folder() + "/shade.tif";
  const std::string cmd = "gdaldem hillshade -q " + SampledPath() + " " + out;
  views::ui::TerrainRenderer renderer;
  if (!renderer.Create()) return state.SkipWithError("the shaders were refused");
  std::size_t faces = 0;
  for (auto _ : state) {
    // Each round opens afresh: no texture of the same size to keep.
    renderer.ClearTexture();
    if (!OpenScene(renderer, faces)) return state.SkipWithError("upload or draw failed");
    fs::remove(out);
    const auto start = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) return state.SkipWithError("gdaldem failed");
    figures["gdal"].push_back(Seconds(start));
    state.SetIterationTime(figures[kOpening].back());
  }
  renderer.Release();
  state.counters["faces"] = static_cast<double>(faces);
}

constexpr const char* kParts[] = {"mesh and normals", "map picture", "texture storage", "texture fill", "mesh upload"};

// The parts the opening does side by side, each on its own, to show where the time goes.
void BM_ScenePartsOneByOne(benchmark::State& state) {
  views::ui::TerrainRenderer renderer;
  if (!renderer.Create()) return state.SkipWithError("the shaders were refused");
  const CPyrvane2WorkArea& a = *Project().currentArea;
  for (auto _ : state) {
    renderer.ClearTexture();
    const views::TerrainMesh mesh = Timed(kParts[0], [] { return views::BuildTerrainMesh(Input()); });
    const views::TextureSize t =
        views::TextureRect(mesh.strides.rows, mesh.strides.columns, 4.0, views::ui::TerrainRenderer::MaxTextureSize());
    platform::Image picture;
    Timed(kParts[1], [&] {
      Project().DrawMapImage(picture, a.west, a.north, a.east, a.south, PixelRect{0, 0, t.width, t.height});
    });
    const bool ok = Timed(kParts[2], [&] { return renderer.ReserveTexture(picture.Width(), picture.Height()); }) &&
                    Timed(kParts[3], [&] { return renderer.FillTexture(picture); }) &&
                    Timed(kParts[4], [&] { return renderer.UploadMesh(mesh); });
    if (!ok) return state.SkipWithError("upload failed");
    state.SetIterationTime(figures[kParts[0]].back());
  }
  renderer.Release();
}

BENCHMARK(BM_OpenSceneThenGdaldem)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kRounds);
BENCHMARK(BM_ScenePartsOneByOne)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  // As the program does at start-up.
  platform::KeepFreedMemory();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  auto best = [](const std::vector<double>& v) { return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end()); };
  auto faultList = [](const char* name) {
    std::string text;
    for (long f : faults[name]) text += " " + std::to_string(f);
    return text;
  };
  const double ours = best(figures[kOpening]), gdal = best(figures["gdal"]);
  if (ours > 0 && gdal > 0) {
    std::printf("%d x %d, best of %d, load %.1f:\n", Side(), Side(), kRounds, LoadAverage());
    std::printf("  opening the scene %.0f ms (the first %.0f ms); gdaldem hillshade %.0f ms\n", ours * 1e3,
                figures[kOpening].front() * 1e3, gdal * 1e3);
    for (const char* name : {kBuild, kDraw})
      std::printf("    %-24s %6.1f ms, page faults%s\n", name, best(figures[name]) * 1e3, faultList(name).c_str());
    std::printf("  its parts one by one:\n");
    for (const char* name : kParts)
      std::printf("    %-24s %6.1f ms, page faults%s\n", name, best(figures[name]) * 1e3, faultList(name).c_str());
    std::printf("time_over_gdaldem = %.2f\n", ours / gdal);
  }
  benchmark::Shutdown();
  return 0;
}

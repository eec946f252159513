// Generates the sample landscape: fractal terrain with slope and aspect derived from it,
// fuels from the standard fuel models by elevation and aspect band (grass, shrub,
// timber-litter and non-burnable patches), canopy layers where the fuel is timber, and a UTM
// coordinate system. Writes <folder>/sample.lcp, sample.prj and sample.tif. Deterministic: the
// same size gives the same files.
//
//   make_sample_landscape <folder> [cells per side, default 160]
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "landscape/geo.h"
#include "landscape/geotiff.h"
#include "landscape/header.h"
#include "landscape/layer_stats.h"
#include "platform/atomic_file.h"
#include "platform/numbers.h"

namespace {

constexpr double kCell = 30.0;
constexpr double kWest = 612000.0, kNorth = 4512000.0;  // UTM zone 11N, central Idaho
constexpr int kEpsg = 32611;

// A small generator with a fixed sequence on every platform (SplitMix64).
class Random {
 public:
  explicit Random(std::uint64_t seed) : s_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Symmetric() { return Uniform() * 2.0 - 1.0; }

 private:
  std::uint64_t s_;
};

using Grid = std::vector<double>;

// Diamond-square on a (2^k + 1)-sided grid, roughness h in (0, 1].
Grid Fractal(int k, double h, Random& rng) {
  const int n = (1 << k) + 1;
  Grid g(static_cast<std::size_t>(n) * n, 0.0);
  auto at = [&](int x, int y) -> double& { return g[static_cast<std::size_t>(y) * n + x]; };
  for (int y : {0, n - 1})
    for (int x : {0, n - 1}) at(x, y) = rng.Symmetric();
  double amp = 1.0;
  for (int step = n - 1; step > 1; step /= 2) {
    const int half = step / 2;
    for (int y = half; y < n; y += step)
      for (int x = half; x < n; x += step)
        at(x, y) = (at(x - half, y - half) + at(x + half, y - half) + at(x - half, y + half) +
                    at(x + half, y + half)) / 4 + amp * rng.Symmetric();
    for (int y = 0; y < n; y += half)
      for (int x = (y / half) % 2 == 0 ? half : 0; x < n; x += step) {
        double sum = 0;
        int cnt = 0;
        const int dx[] = {-half, half, 0, 0}, dy[] = {0, 0, -half, half};
        for (int i = 0; i < 4; ++i) {
          const int xx = x + dx[i], yy = y + dy[i];
          if (xx >= 0 && xx < n && yy >= 0 && yy < n) sum += at(xx, yy), ++cnt;
        }
        at(x, y) = sum / cnt + amp * rng.Symmetric();
      }
    amp *= std::pow(2.0, -h);
  }
  return g;
}

// The top-left side x side part of a fractal, scaled to [0, 1].
Grid Field(int side, double h, std::uint64_t seed) {
  Random rng(seed);
  int k = 1;
  while ((1 << k) + 1 < side) ++k;
  const Grid f = Fractal(k, h, rng);
  const int n = (1 << k) + 1;
  Grid out(static_cast<std::size_t>(side) * side);
  double lo = 1e300, hi = -1e300;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double v = f[static_cast<std::size_t>(y) * n + x];
      out[static_cast<std::size_t>(y) * side + x] = v;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  for (double& v : out) v = (v - lo) / (hi - lo);
  return out;
}

bool IsTimber(int fuel) { return (fuel >= 8 && fuel <= 10) || (fuel >= 161 && fuel <= 189); }

// A fuel model from the elevation band (0 low .. 1 high), aspect, and a patch field.
int Fuel(double band, double aspect, double patch, double wet) {
  if (wet > 0.93 && band < 0.3) return 98;  // water in low hollows
  if (band > 0.96) return 99;               // bare rock on the peaks
  if (patch > 0.9 && band < 0.55) return 91;  // a settlement
  const bool south = aspect >= 112.5 && aspect < 247.5;
  if (band < 0.3) {  // grass
    if (patch < 0.3) return 1;
    if (patch < 0.55) return 102;
    return south ? 2 : 101;
  }
  if (band < 0.55) {  // shrub, timber in the north-facing draws
    if (!south && patch > 0.5) return patch > 0.75 ? 165 : 8;
    if (patch < 0.35) return 122;
    return patch < 0.7 ? 142 : 5;
  }
  if (band < 0.8) {  // timber litter and understory
    if (south && patch < 0.3) return 145;
    if (patch < 0.5) return 183;
    return patch < 0.75 ? 10 : 165;
  }
  return patch < 0.5 ? 186 : 188;  // high timber litter
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder> [cells per side]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const int side = argc > 2 ? static_cast<int>(platform::ParseInt(argv[2]).value_or(160)) : 160;
  if (side < 8 || side > 8000) {
    std::fprintf(stderr, "cells per side must be 8 to 8000\n");
    return 2;
  }
  landscape::EnsureGdal();
  const std::size_t cells = static_cast<std::size_t>(side) * side;
  const Grid terrain = Field(side, 0.85, 11), patches = Field(side, 0.6, 23), canopy = Field(side, 0.7, 37);

  // Layers 0-7 in stored units: metres, degrees, azimuth, model, percent, m x 10, m x 10,
  // kg/m^3 x 100.
  std::vector<std::vector<float>> layer(8, std::vector<float>(cells, 0.0f));
  for (std::size_t i = 0; i < cells; ++i) layer[0][i] = static_cast<float>(std::round(1150.0 + 1450.0 * terrain[i]));
  auto z = [&](int x, int y) {
    x = std::clamp(x, 0, side - 1);
    y = std::clamp(y, 0, side - 1);
    return static_cast<double>(layer[0][static_cast<std::size_t>(y) * side + x]);
  };
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * side + x;
      // Horn's gradient; y grows southwards.
      const double dzdx = ((z(x + 1, y - 1) + 2 * z(x + 1, y) + z(x + 1, y + 1)) -
                           (z(x - 1, y - 1) + 2 * z(x - 1, y) + z(x - 1, y + 1))) / (8 * kCell);
      const double dzdy = ((z(x - 1, y + 1) + 2 * z(x, y + 1) + z(x + 1, y + 1)) -
                           (z(x - 1, y - 1) + 2 * z(x, y - 1) + z(x + 1, y - 1))) / (8 * kCell);
      const double slope = std::atan(std::hypot(dzdx, dzdy)) * 180.0 / M_PI;
      // Downslope direction, clockwise from north.
      double aspect = std::atan2(-dzdx, dzdy) * 180.0 / M_PI;
      if (aspect < 0) aspect += 360.0;
      if (slope < 0.5) aspect = 0;
      layer[1][i] = static_cast<float>(std::round(slope));
      layer[2][i] = static_cast<float>(std::fmod(std::round(aspect), 360.0));
      const int fuel = Fuel(terrain[i], aspect, patches[i], 1.0 - terrain[i] + 0.1 * patches[i]);
      layer[3][i] = static_cast<float>(fuel);
      if (IsTimber(fuel)) {
        const double c = canopy[i];
        layer[4][i] = static_cast<float>(std::round(30 + 55 * c));
        layer[5][i] = static_cast<float>(std::round(120 + 230 * c));
        layer[6][i] = static_cast<float>(std::round(8 + 50 * (1 - c)));
        layer[7][i] = static_cast<float>(std::round(6 + 22 * c));
      }
    }

  OGRSpatialReference srs;
  srs.importFromEPSG(kEpsg);
  char* wktBuf = nullptr;
  srs.exportToWkt(&wktBuf);
  const std::string wkt = wktBuf ? wktBuf : "";
  CPLFree(wktBuf);

  CHeaderData h;
  h.crownFlag = 21;
  h.groundFlag = 20;
  h.columns = h.rows = side;
  h.cellWidth = h.cellHeight = kCell;
  h.west = h.westEdge = kWest;
  h.north = h.northEdge = kNorth;
  h.east = h.eastEdge = kWest + side * kCell;
  h.south = h.southEdge = kNorth - side * kCell;
  h.gridUnits = 0;
  h.latitude = 40;
  {
    OGRSpatialReference geo;
    geo.CopyGeogCSFrom(&srs);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    geo.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&srs, &geo));
    double x = (h.west + h.east) / 2, y = (h.north + h.south) / 2;
    if (ct && ct->Transform(1, &x, &y)) h.latitude = static_cast<std::int32_t>(std::lround(y));
  }
  h.unitCodes = {0, 0, 2, 0, 1, 3, 3, 3, 1, 0};
  h.description = "Pyrvane sample landscape";
  for (int k = 0; k < 8; ++k) {
    LcpLayerStats& s = h.layerStats[k];
    const std::vector<float>& v = layer[k];
    landscape::ComputeLayerHeaderStatsOf([&](int c, int r) { return v[static_cast<std::size_t>(r) * side + c]; },
                                         -9999.0f, side, side, &s.high, &s.low, &s.count, s.values.data(), 1.0f,
                                         nullptr);
  }

  const std::string lcp = folder + "/sample.lcp";
  platform::AtomicFile file(lcp);
  bool ok = file.Open() && file.Write(h.SerializeHeader());
  std::vector<unsigned char> row(static_cast<std::size_t>(side) * 8 * 2);
  for (int y = 0; y < side && ok; ++y) {
    std::size_t j = 0;
    for (int x = 0; x < side; ++x)
      for (int k = 0; k < 8; ++k) {
        const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(layer[k][static_cast<std::size_t>(y) * side + x]));
        row[j++] = static_cast<unsigned char>(v & 0xFF);
        row[j++] = static_cast<unsigned char>(v >> 8);
      }
    ok = file.Write(row.data(), row.size());
  }
  if (!ok || !file.Commit() || !landscape::WritePrjFile(lcp, wkt)) {
    std::fprintf(stderr, "cannot write %s\n", lcp.c_str());
    return 1;
  }

  const std::string tif = folder + "/sample.tif";
  landscape::LandscapeGeoTiffWriter writer;
  const double gt[6] = {kWest, kCell, 0, kNorth, 0, -kCell};
  if (!writer.Create(tif, side, side, wkt, gt)) {
    std::fprintf(stderr, "cannot create %s\n", tif.c_str());
    return 1;
  }
  const CellWindow whole{0, 0, side - 1, side - 1};
  for (int k = 0; k < 8; ++k) {
    const std::vector<float>& v = layer[k];
    landscape::CopyCellsToBandWindow([&](int c, int r) { return v[static_cast<std::size_t>(r) * side + c]; },
                                     writer.Band(k), whole, *landscape::RuleForLayer(k, h.unitCodes[k]));
  }
  if (!writer.Finish()) {
    std::fprintf(stderr, "cannot write %s: %s\n", tif.c_str(), writer.Error().c_str());
    return 1;
  }
  std::printf("%s, %s: %d x %d cells, latitude %d\n", lcp.c_str(), tif.c_str(), side, side, h.latitude);
  return 0;
}

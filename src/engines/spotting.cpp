#include "engines/spotting.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace engines {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerMile = 1609.344;
constexpr double kFtPerM = 1.0 / 0.3048;
constexpr double kKWmPerBtuFtS = 3.4613;

// Flame height z = a D^b N^0.4 and duration t = c D^d N^-0.2 (D in inches) by species.
struct SpeciesFlame {
  double a, b, c, d;
};
constexpr SpeciesFlame kSpecies[] = {
    {15.7, 0.451, 12.6, -0.256},  // Engelmann spruce
    {15.7, 0.451, 10.7, -0.278},  // Douglas-fir
    {15.7, 0.451, 6.30, -0.249},  // subalpine fir
    {15.7, 0.451, 12.6, -0.256},  // western hemlock
    {12.9, 0.453, 12.6, -0.256},  // ponderosa pine
    {12.9, 0.453, 12.6, -0.256},  // lodgepole pine
    {12.9, 0.453, 10.7, -0.278},  // western white pine
    {16.5, 0.515, 10.7, -0.278},  // grand fir
    {16.5, 0.515, 10.7, -0.278},  // balsam fir
    {2.71, 1.000, 11.9, -0.389},  // slash pine
    {2.71, 1.000, 11.9, -0.389},  // longleaf pine
    {2.71, 1.000, 7.91, -0.344},  // pond pine
    {2.71, 1.000, 7.91, -0.344},  // shortleaf pine
    {2.71, 1.000, 13.5, -0.544},  // loblolly pine
};

const SpeciesFlame& FlameOf(TreeSpecies s) {
  int i = std::clamp(static_cast<int>(s), 0, static_cast<int>(std::size(kSpecies)) - 1);
  return kSpecies[i];
}

// Wind (mph) at the top of cover of height H (ft) from the 20-ft wind, by the log profile above it.
double WindAtCoverTop(double wind20Mph, double coverFt) {
  return wind20Mph / std::log((20.0 + 0.36 * coverFt) / (0.1313 * coverFt));
}

// A cover lower than this (ft) does not shelter the firebrand's descent: the drift takes at least it.
double CriticalCoverFt(double firebrandFt) { return 2.2 * std::pow(firebrandFt, 0.337) - 4.0; }

}  // namespace

double TorchingFlameHeightFt(const TorchingTrees& t) {
  if (!(t.dbhIn > 0) || t.count <= 0) return 0;
  const SpeciesFlame& s = FlameOf(t.species);
  return s.a * std::pow(t.dbhIn, s.b) * std::pow(static_cast<double>(t.count), 0.4);
}

double TorchingFlameDuration(const TorchingTrees& t) {
  if (!(t.dbhIn > 0) || t.count <= 0) return 0;
  const SpeciesFlame& s = FlameOf(t.species);
  return s.c * std::pow(t.dbhIn, s.d) * std::pow(static_cast<double>(t.count), -0.2);
}

double TorchingFirebrandHeightFt(const TorchingTrees& t) {
  const double flame = TorchingFlameHeightFt(t);
  if (!(flame > 0)) return 0;
  // The lofting fit z = a t^b z_F, its constants by the ratio of tree height to flame height.
  const double ratio = std::max(t.heightFt, 0.0) / flame;
  double a, b;
  if (ratio >= 1.0) a = 4.24, b = 0.332;
  else if (ratio >= 0.5) a = 3.64, b = 0.391;
  else if (ratio >= 0.2) a = 2.78, b = 0.418;
  else a = 4.70, b = 0.0;
  return a * std::pow(TorchingFlameDuration(t), b) * flame;
}

double SurfaceFirebrandHeightFt(double intensity, double wind20Mph) {
  if (!(intensity > 0) || !(wind20Mph > 0)) return 0;
  // The plume of a line fire bends over in the wind: stronger winds loft lower.
  const double f = 322.0 * std::pow(0.474 * wind20Mph, -1.01);
  return 1.055 * std::sqrt(f * intensity);
}

double EmberDriftM(double z, double wind20Mph, double cover) {
  cover = std::max(cover, 1.0);
  if (!(z > cover) || !(wind20Mph > 0)) return 0;
  const double r = z / cover;
  const double miles =
      0.000718 * WindAtCoverTop(wind20Mph, cover) * std::sqrt(cover) * (0.362 + std::sqrt(r) / 2.0 * std::log(r));
  return std::max(miles, 0.0) * kMetresPerMile;
}

double TorchingSpotDistanceM(const TorchingTrees& trees, double wind20Mph) {
  const double z = TorchingFirebrandHeightFt(trees);
  return EmberDriftM(z, wind20Mph, std::max(trees.heightFt, CriticalCoverFt(z)));
}

double SurfaceSpotDistanceM(double intensityKWm, double coverFt, double wind20Mph) {
  const double z = SurfaceFirebrandHeightFt(intensityKWm / kKWmPerBtuFtS, wind20Mph);
  const double flat = EmberDriftM(z, wind20Mph, std::max(coverFt, CriticalCoverFt(z)));
  if (!(flat > 0)) return 0;
  // Firebrands already move downwind while the plume lifts them.
  return flat + 0.000278 * wind20Mph * std::pow(z, 0.643) * kMetresPerMile;
}

RidgeValley RidgeValleyDownwind(const SpotSite& site, double reachM) {
  RidgeValley rv;
  if (!site.elevationM || site.rows <= 0 || site.cols <= 0 || !(site.cellM > 0) || !(reachM > 0)) return rv;
  auto at = [&](int r, int c) { return site.elevationM[static_cast<size_t>(r) * site.cols + c]; };
  if (site.row < 0 || site.col < 0 || site.row >= site.rows || site.col >= site.cols) return rv;
  const float here = at(site.row, site.col);
  if (here == -9999.0f) return rv;
  // Samples one cell apart (at most 64) along the downwind line, to the grid's edge.
  const double step = std::max(site.cellM, reachM / 64.0);
  const double az = site.downwindDeg * kPi / 180.0;
  const double dc = std::sin(az) * step / site.cellM, dr = -std::cos(az) * step / site.cellM;
  double top = here, bottom = here, sTop = 0, sBottom = 0;
  for (int k = 1; k * step <= reachM + 1e-9; ++k) {
    const long c = std::lround(site.col + k * dc), r = std::lround(site.row + k * dr);
    if (r < 0 || c < 0 || r >= site.rows || c >= site.cols) break;
    const float e = at(static_cast<int>(r), static_cast<int>(c));
    if (e == -9999.0f) continue;
    if (e > top) top = e, sTop = k * step;
    if (e < bottom) bottom = e, sBottom = k * step;
  }
  if (!(top > bottom) || sTop == sBottom) return rv;
  rv.elevationDiffFt = (top - bottom) * kFtPerM;
  rv.distanceMi = std::fabs(sTop - sBottom) / kMetresPerMile;
  // The cell's place on the wave: its height between valley and ridge, on the side that rises
  // downwind (the ridge comes first) or falls (the valley comes first).
  const double c = std::clamp(2.0 * (here - bottom) / (top - bottom) - 1.0, -1.0, 1.0);
  rv.phase = sTop < sBottom ? -std::acos(c) : std::acos(c);
  return rv;
}

double TerrainSpotDistanceM(double flatM, const RidgeValley& rv) {
  if (!(flatM > 0) || !(rv.elevationDiffFt > 0) || !(rv.distanceMi > 0)) return flatM;
  // The ground as a cosine wave of half-length D and height dH about the ridge: the firebrand
  // lands where its descent meets the ground, found by a few fixed-point steps.
  const double a1 = flatM / kMetresPerMile / rv.distanceMi;
  const double b1 = rv.elevationDiffFt / (10.0 * kPi) / 1000.0;
  double x = a1;
  for (int k = 0; k < 6; ++k) x = a1 - b1 * (std::cos(kPi * x + rv.phase) - std::cos(rv.phase));
  return std::max(x, 0.0) * rv.distanceMi * kMetresPerMile;
}

double MaxSpotDistanceM(double surfaceFliKWm, bool crowning, double standHeightM, double fuelDepthFt,
                        double wind20Mph, const SpotSite* site) {
  const double coverFt = standHeightM > 0 ? standHeightM * kFtPerM : fuelDepthFt;
  const double surface = SurfaceSpotDistanceM(surfaceFliKWm, coverFt, wind20Mph);
  double torch = 0;
  if (crowning && standHeightM > 0) {
    TorchingTrees trees;
    trees.heightFt = standHeightM * kFtPerM;
    torch = TorchingSpotDistanceM(trees, wind20Mph);
  }
  const double flat = std::max(surface, torch);
  if (!site || !(flat > 0)) return flat;
  const RidgeValley rv = RidgeValleyDownwind(*site, 2.0 * flat);
  return std::max(TerrainSpotDistanceM(surface, rv), TerrainSpotDistanceM(torch, rv));
}

float PackMaxSpot(double distanceM, double azimuthDeg) {
  double a = std::fmod(azimuthDeg, 360.0);
  if (a < 0) a += 360.0;
  double d = std::floor(std::max(distanceM, 0.0));
  if (d <= 0) return 0.0f;
  return static_cast<float>(d + a * kPi / 180.0 / 10.0);
}

}  // namespace engines

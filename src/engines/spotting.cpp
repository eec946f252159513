#include "engines/spotting.h"

#include <algorithm>
#include <cmath>

namespace engines {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerMile = 1609.344;
constexpr double kFtPerM = 1.0 / 0.3048;
}  // namespace

double EmberLoftHeightFt(double flameHeightFt) { return flameHeightFt > 0 ? 12.2 * flameHeightFt : 0; }

double EmberDriftM(double z, double wind20Mph, double cover) {
  cover = std::max(cover, 1.0);
  if (z <= cover || wind20Mph <= 0) return 0;
  // Wind at the top of the cover from the logarithmic profile above it.
  double uH = wind20Mph / std::log((20.0 + 0.36 * cover) / (0.1313 * cover));
  double r = z / cover;
  double miles = 0.000718 * uH * std::sqrt(z) * (0.362 + std::sqrt(r) / 2.0 * std::log(r));
  return std::max(miles, 0.0) * kMetresPerMile;
}

double MaxSpotDistanceM(double surfaceFlameM, bool crowning, double crownFlameM, double standHeightM,
                        double fuelDepthFt, double wind20Mph) {
  double coverFt = standHeightM > 0 ? standHeightM * kFtPerM : fuelDepthFt;
  double surface = EmberDriftM(EmberLoftHeightFt(surfaceFlameM * kFtPerM), wind20Mph, coverFt);
  double torch = 0;
  if (crowning && standHeightM > 0) {
    // The torching flame stands on the tree tops: its lofting starts from the canopy height.
    double flameFt = std::max(crownFlameM * kFtPerM, standHeightM * kFtPerM);
    torch = EmberDriftM(standHeightM * kFtPerM + EmberLoftHeightFt(flameFt), wind20Mph, coverFt);
  }
  return std::max(surface, torch);
}

float PackMaxSpot(double distanceM, double azimuthDeg) {
  double a = std::fmod(azimuthDeg, 360.0);
  if (a < 0) a += 360.0;
  double d = std::floor(std::max(distanceM, 0.0));
  if (d <= 0) return 0.0f;
  return static_cast<float>(d + a * kPi / 180.0 / 10.0);
}

}  // namespace engines

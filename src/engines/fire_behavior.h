#pragma once
// Per-cell fire behaviour: the 1972 surface spread model with the 1976 reformulation
// (size-class weighting, dynamic herbaceous curing, live moisture of extinction, effective
// wind limit, wind and slope combined as vectors), the elliptical fire shape, intensity and
// flame length, and crown fire (1977 initiation, active spread from fuel model 10).
// Computations are in English units (lb, ft, min, BTU); the Metric* helpers convert.
#include <cmath>

#include "engines/standard_fuels.h"

namespace engines {

// An azimuth (degrees) with its sine and cosine, worked out once where many cells share it (the
// run's wind, the upslope of a stored aspect value).
struct Bearing {
  double deg = 0, sin = 0, cos = 1;
  Bearing() = default;
  explicit Bearing(double azimuth)
      : deg(azimuth),
        sin(std::sin(azimuth * (3.14159265358979323846 / 180.0))),
        cos(std::cos(azimuth * (3.14159265358979323846 / 180.0))) {}
};

// A fuel model as the engine uses it. Loads tons/acre, SAV 1/ft, depth ft, heat BTU/lb.
struct FuelModel {
  int number = -1;
  double load[5] = {0, 0, 0, 0, 0};  // 1-h, 10-h, 100-h, live herbaceous, live woody
  double sav1 = 0, savHerb = 0, savWoody = 0;
  double depth = 0;
  double extinction = 0;  // fraction
  double heatDead = 0, heatLive = 0;
  bool dynamic = false;
  bool Burnable() const;
  static FuelModel FromStandard(const StandardFuelModel& m);
};

// Fuel moistures as fractions (0.06 = 6 %).
struct Moistures {
  double m1 = 0.06, m10 = 0.07, m100 = 0.08, herb = 0.60, woody = 0.90;
};

// Everything about a fuel bed that does not depend on wind or slope.
struct FuelBedState {
  bool burnable = false;
  double sigma = 0;          // characteristic SAV, 1/ft
  double betaRatio = 0;      // packing ratio / optimum packing ratio
  double reactionIntensity = 0;  // BTU/ft2/min
  double ros0 = 0;           // no-wind no-slope spread rate, ft/min
  double heatPerArea = 0;    // BTU/ft2
  double windC = 0, windB = 0, windE = 0;
  double ratioPowE = 1;      // betaRatio^windE, used by every wind-factor evaluation
  double slopeK = 0;         // phi_s = slopeK * tan^2
  double depth = 0;          // ft
  double phiLimit = 0;       // the wind-and-slope factor at the effective-wind limit
  // The wind factor of the one midflame wind most cells of a run share (see CacheWindFactor).
  double cachedWind = -1, cachedWindFactor = 0;
};

// Remembers the wind factor of a midflame wind (ft/min) that many cells will ask for.
void CacheWindFactor(FuelBedState& s, double midflameFtMin);

FuelBedState ComputeFuelBed(const FuelModel& fuel, const Moistures& m);

// Wind factor for a midflame wind (ft/min) and the inverse.
double WindFactor(const FuelBedState& s, double midflameFtMin);
double WindForFactor(const FuelBedState& s, double phi);

struct SurfaceSpread {
  double ros = 0;          // head-fire spread rate, ft/min
  double direction = 0;    // azimuth of maximum spread, degrees clockwise from north
  double effectiveWind = 0;  // ft/min
  double lengthToBreadth = 1;
  double eccentricity = 0;
  double backRos = 0;      // ft/min
};

// windToAzimuth: the direction the wind blows towards (degrees); upslopeAzimuth: the
// direction of steepest ascent. adjust: the run's spread-rate adjustment factor.
SurfaceSpread ComputeSpread(const FuelBedState& s, double midflameFtMin, double windToAzimuth,
                            double slopeTan, double upslopeAzimuth, double adjust = 1.0);

// The midflame wind (ft/min) at which wind, blowing towards windTo, and slope together reach the
// spread factor phi: 0 when the slope alone does, -1 when the effective-wind limit never lets it.
double WindForTotalFactor(const FuelBedState& s, double phi, double slopeTan, double windTo, double upslope);

// Length-to-breadth of the fire ellipse from the effective midflame wind (ft/min), 1 to 8.
double LengthToBreadth(double effectiveWindFtMin);

// Spread rate along azimuth from the ellipse's polar form about its rear focus.
double SpreadAlong(const SurfaceSpread& sp, double azimuth);

// Wind adjustment factors (20-ft wind to midflame).
double UnshelteredWaf(double fuelDepthFt);
double ShelteredWaf(double canopyCoverPct, double standHeightFt);
double WindAdjustmentFactor(double fuelDepthFt, double canopyCoverPct, double standHeightFt);
// Whether the canopy shelters the surface wind (crown fill of at least 0.05 and a stand height).
bool ShelteredByCanopy(double canopyCoverPct, double standHeightFt);
// The sheltered factor's parts, for grids that keep them per stored cover and height value:
// the crown fill (cover / 100 x pi / 12) and ln((20 + 0.36 H) / (0.13 H)) of the stand height.
double CrownFill(double canopyCoverPct);
double WafLogTerm(double standHeightFt);
inline double ShelteredWafOf(double fill, double standHeightFt, double logTerm) {
  return 0.555 / (std::sqrt(fill * standHeightFt) * logTerm);
}

// Unit helpers.
constexpr double kFtPerM = 1.0 / 0.3048;
constexpr double kKJm2PerBtuFt2 = 1.055056 / 0.09290304;  // BTU/ft2 to kJ/m2
constexpr double kKWmPerBtuFtS = 1.055056 / 0.3048;     // BTU/ft/s to kW/m
double SurfaceFlameLength(double fliKWm);   // 0.0775 * I^0.46, metres
double CrownFlameLength(double fliKWm);     // 0.2 * (I / 3.4613)^(2/3) ft, as metres

// Crown fire.
enum CrownClass { kCrownNone = 0, kCrownSurface = 1, kCrownPassive = 2, kCrownActive = 3,
                  kCrownConditional = 4 };

struct CrownInput {
  double cbhM = 0;        // canopy base height, m
  double cbdKgM3 = 0;     // canopy bulk density, kg/m3
  double standHeightM = 0;
  double foliarMoisturePct = 100;
  int method = 1;         // 0 two-threshold, anything else crown-fraction-burned method
  bool torchingIndex = true;  // false: skip solving for the torching index (left -9999)
  bool crowningIndex = true;  // false: solve for it only where the crown fraction needs it
};

struct FireResult {
  double rosMMin = 0;      // final head-fire rate, m/min
  double hpaKJm2 = 0;      // heat per unit area including burned canopy
  double reactionKWm2 = 0;
  double fliKWm = 0;
  double flameM = 0;
  double cfb = 0;
  int crownClass = kCrownNone;
  double direction = 0;    // degrees
  double lengthToBreadth = 1;
  double ellA = 0, ellB = 0, ellC = 0;  // m/min
  double surfaceRosMMin = 0;
  double surfaceFliKWm = 0;  // the surface fire's own intensity at the head, without the canopy
  double effectiveWindFtMin = 0;
  double torchingIndexMph = -9999;  // 20-ft winds; -9999 without a canopy or out of reach
  double crowningIndexMph = -9999;
};

// The final (crown-adjusted) rate along an azimuth (degrees), m/min, from the fire's ellipse.
double RateAlong(const FireResult& f, double azimuthDeg);

double CrownInitiationIntensity(double cbhM, double fmcPct);  // kW/m
inline double CriticalActiveRate(double cbdKgM3) { return cbdKgM3 > 0 ? 3.0 / cbdKgM3 : 0.0; }

// The whole cell: surface spread, then crown fire when a canopy is present. wind20FtMin is the
// 20-ft wind in ft/min, waf the surface wind adjustment factor. shape false leaves out the
// fire's shape (length-to-breadth 1, ellipse a, b, c and the effective wind 0) for runs that
// do not ask for it.
FireResult ComputeFire(const FuelBedState& surface, const FuelBedState& model10, double wind20FtMin,
                       double waf, double windToAzimuth, double slopeTan, double upslopeAzimuth,
                       const CrownInput& crown, double adjust = 1.0, bool shape = true);
// The same with the directions' sines and cosines already worked out: what a grid run calls.
FireResult ComputeFire(const FuelBedState& surface, const FuelBedState& model10, double wind20FtMin,
                       double waf, const Bearing& windTo, double slopeTan, const Bearing& upslope,
                       const CrownInput& crown, double adjust = 1.0, bool shape = true);

}  // namespace engines

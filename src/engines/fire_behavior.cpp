#include "engines/fire_behavior.h"

#include <algorithm>
#include <cmath>

namespace engines {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kTonsAcreToLbFt2 = 2000.0 / 43560.0;
constexpr double kParticleDensity = 32.0;  // lb/ft3
constexpr double kTotalMineral = 0.0555;
constexpr double kEffectiveMineral = 0.010;
constexpr double kSav10h = 109.0, kSav100h = 30.0;
constexpr double kFtToM = 0.3048;

struct Particle {
  double load = 0, sav = 0, moisture = 0, heat = 0;
};

int SizeClass(double sav) {
  if (sav >= 1200) return 0;
  if (sav >= 192) return 1;
  if (sav >= 96) return 2;
  if (sav >= 48) return 3;
  if (sav >= 16) return 4;
  return 5;
}

double MoistureDamping(double m, double mx) {
  if (mx <= 0) return 0;
  double r = m / mx;
  if (r >= 1.0) return 0;
  return 1.0 - 2.59 * r + 5.11 * r * r - 3.52 * r * r * r;
}

// Weighted sums over one category (dead or live).
struct Category {
  double area = 0, netLoad = 0, moisture = 0, heat = 0, sav = 0, sink = 0, load = 0;
};

Category Summarise(const Particle* p, int n) {
  Category c;
  double area[4] = {0, 0, 0, 0};
  for (int i = 0; i < n; ++i) {
    area[i] = p[i].sav * p[i].load / kParticleDensity;
    c.area += area[i];
    c.load += p[i].load;
  }
  if (c.area <= 0) return c;
  double f[4] = {0, 0, 0, 0};
  for (int i = 0; i < n; ++i) f[i] = area[i] / c.area;
  for (int i = 0; i < n; ++i) {
    double g = 0;  // weight of the particle's size class
    for (int j = 0; j < n; ++j)
      if (SizeClass(p[j].sav) == SizeClass(p[i].sav)) g += f[j];
    c.netLoad += g * p[i].load * (1.0 - kTotalMineral);
    c.moisture += f[i] * p[i].moisture;
    c.heat += f[i] * p[i].heat;
    c.sav += f[i] * p[i].sav;
    if (p[i].sav > 0) c.sink += f[i] * std::exp(-138.0 / p[i].sav) * (250.0 + 1116.0 * p[i].moisture);
  }
  return c;
}

}  // namespace

bool FuelModel::Burnable() const {
  return number > 0 && !(number >= 90 && number <= 99) && depth > 0 &&
         (load[0] + load[1] + load[2] + load[3]) > 0;
}

FuelModel FuelModel::FromStandard(const StandardFuelModel& m) {
  FuelModel f;
  f.number = m.number;
  for (int i = 0; i < 5; ++i) f.load[i] = m.load[i];
  f.sav1 = m.sav[0];
  f.savHerb = m.sav[1];
  f.savWoody = m.sav[2];
  f.depth = m.depth;
  f.extinction = m.extinction;
  f.heatDead = m.heatDead;
  f.heatLive = m.heatLive;
  f.dynamic = m.dynamic != 0;
  return f;
}

FuelBedState ComputeFuelBed(const FuelModel& fuel, const Moistures& m) {
  FuelBedState s;
  if (!fuel.Burnable()) return s;
  double herb = fuel.load[3] * kTonsAcreToLbFt2;
  double cured = 0;
  if (fuel.dynamic && herb > 0) cured = std::clamp((1.20 - m.herb) / 0.90, 0.0, 1.0);
  Particle dead[4] = {
      {fuel.load[0] * kTonsAcreToLbFt2, fuel.sav1, m.m1, fuel.heatDead},
      {fuel.load[1] * kTonsAcreToLbFt2, kSav10h, m.m10, fuel.heatDead},
      {fuel.load[2] * kTonsAcreToLbFt2, kSav100h, m.m100, fuel.heatDead},
      {herb * cured, fuel.savHerb, m.m1, fuel.heatDead},
  };
  Particle live[2] = {
      {herb * (1.0 - cured), fuel.savHerb, m.herb, fuel.heatLive},
      {fuel.load[4] * kTonsAcreToLbFt2, fuel.savWoody, m.woody, fuel.heatLive},
  };
  Category d = Summarise(dead, 4), l = Summarise(live, 2);
  double totalArea = d.area + l.area;
  if (d.area <= 0 || totalArea <= 0) return s;
  double fd = d.area / totalArea, fl = l.area / totalArea;

  double sigma = fd * d.sav + fl * l.sav;
  double bulk = (d.load + l.load) / fuel.depth;
  double beta = bulk / kParticleDensity;
  double betaOpt = 3.348 * std::pow(sigma, -0.8189);
  double ratio = beta / betaOpt;
  double aExp = 133.0 * std::pow(sigma, -0.7913);
  double s15 = std::pow(sigma, 1.5);
  double gammaMax = s15 / (495.0 + 0.0594 * s15);
  double gamma = gammaMax * std::pow(ratio, aExp) * std::exp(aExp * (1.0 - ratio));

  // Live moisture of extinction from the fine dead and live loads.
  double liveMx = fuel.extinction;
  if (l.load > 0) {
    double wDead = 0, wDeadM = 0, wLive = 0;
    for (const auto& p : dead)
      if (p.sav > 0) {
        double w = p.load * std::exp(-138.0 / p.sav);
        wDead += w;
        wDeadM += w * p.moisture;
      }
    for (const auto& p : live)
      if (p.sav > 0) wLive += p.load * std::exp(-500.0 / p.sav);
    if (wLive > 0) {
      double fineDeadM = wDead > 0 ? wDeadM / wDead : 0;
      liveMx = 2.9 * (wDead / wLive) * (1.0 - fineDeadM / fuel.extinction) - 0.226;
      liveMx = std::max(liveMx, fuel.extinction);
    }
  }
  double etaS = std::min(0.174 * std::pow(kEffectiveMineral, -0.19), 1.0);
  double ir = gamma * (d.netLoad * d.heat * MoistureDamping(d.moisture, fuel.extinction) * etaS +
                       l.netLoad * l.heat * MoistureDamping(l.moisture, liveMx) * etaS);
  double xi = std::exp((0.792 + 0.681 * std::sqrt(sigma)) * (beta + 0.1)) / (192.0 + 0.2595 * sigma);
  double sink = bulk * (fd * d.sink + fl * l.sink);

  s.burnable = true;
  s.sigma = sigma;
  s.betaRatio = ratio;
  s.reactionIntensity = ir;
  s.ros0 = sink > 0 ? ir * xi / sink : 0;
  s.heatPerArea = ir * 384.0 / sigma;
  s.windC = 7.47 * std::exp(-0.133 * std::pow(sigma, 0.55));
  s.windB = 0.02526 * std::pow(sigma, 0.54);
  s.windE = 0.715 * std::exp(-3.59e-4 * sigma);
  s.ratioPowE = std::pow(ratio, s.windE);
  s.slopeK = 5.275 * std::pow(beta, -0.3);
  s.depth = fuel.depth;
  s.phiLimit = WindFactor(s, 0.9 * ir);
  return s;
}

double WindFactor(const FuelBedState& s, double u) {
  if (u <= 0) return 0;
  if (u == s.cachedWind) return s.cachedWindFactor;
  return s.windC * std::pow(u, s.windB) / s.ratioPowE;
}

void CacheWindFactor(FuelBedState& s, double u) {
  s.cachedWind = -1;
  s.cachedWindFactor = WindFactor(s, u);
  s.cachedWind = u;
}

double WindForFactor(const FuelBedState& s, double phi) {
  if (phi <= 0) return 0;
  return std::pow(phi * s.ratioPowE / s.windC, 1.0 / s.windB);
}

namespace {

// The wind and slope factors added as vectors, capped at the effective-wind limit.
struct Factors {
  double x = 0, y = 0, phiS = 0, phi = 0, unlimited = 0;
  bool limited = false;
};

// Bearings of the double-typed entry points, remembered: callers ask again and again for the
// same wind direction, and for the same upslope within a cell.
const Bearing& Remembered(Bearing& b, double azimuth) {
  if (azimuth != b.deg) b = Bearing(azimuth);
  return b;
}
thread_local Bearing tWind, tUp;

Factors Combine(const FuelBedState& s, double u, const Bearing& wind, double slopeTan, const Bearing& up) {
  Factors f;
  const double phiW = WindFactor(s, u);
  f.phiS = s.slopeK * slopeTan * slopeTan;
  f.x = phiW * wind.sin + f.phiS * up.sin;
  f.y = phiW * wind.cos + f.phiS * up.cos;
  f.phi = f.unlimited = std::sqrt(f.x * f.x + f.y * f.y);
  if (f.phi > s.phiLimit) {
    f.phi = s.phiLimit;
    f.limited = true;
  }
  return f;
}

// Azimuth (degrees) of the head: along the combined factor, or up the slope, or downwind.
double HeadDirection(const Factors& f, double windTo, double upslope) {
  const double dir = f.unlimited > 0 ? std::atan2(f.x, f.y) / kDeg : (f.phiS > 0 ? upslope : windTo);
  return dir < 0 ? dir + 360.0 : dir;
}

// Head-fire rate (ft/min) alone: what the crown thresholds need, without direction or shape.
double HeadRate(const FuelBedState& s, double u, const Bearing& windTo, double slopeTan, const Bearing& upslope,
                double adjust) {
  if (!s.burnable) return 0;
  return s.ros0 * (1.0 + Combine(s, u, windTo, slopeTan, upslope).phi) * adjust;
}

double WindForTotalFactor(const FuelBedState& s, double phi, double slopeTan, const Bearing& wind, const Bearing& up) {
  if (!s.burnable || !std::isfinite(phi)) return -1;
  const double phiS = s.slopeK * slopeTan * slopeTan;
  if (phiS >= phi) return 0;  // the slope alone is enough
  if (phi > s.phiLimit) return -1;  // beyond the effective-wind limit
  // |phiW w + phiS u| = phi for unit vectors w (wind) and u (upslope): the positive root.
  const double cosT = wind.cos * up.cos + wind.sin * up.sin;  // of the angle between them
  const double sinT = wind.sin * up.cos - wind.cos * up.sin;
  const double phiW = -phiS * cosT + std::sqrt(phi * phi - phiS * phiS * sinT * sinT);
  return WindForFactor(s, phiW);
}

}  // namespace

SurfaceSpread ComputeSpread(const FuelBedState& s, double u, double windTo, double slopeTan,
                            double upslope, double adjust) {
  SurfaceSpread r;
  if (!s.burnable) return r;
  const Factors f = Combine(s, u, Remembered(tWind, windTo), slopeTan, Remembered(tUp, upslope));
  double phi = f.phi;
  const double dir = HeadDirection(f, windTo, upslope);
  const double ue = f.limited ? 0.9 * s.reactionIntensity : WindForFactor(s, phi);
  r.ros = s.ros0 * (1.0 + phi) * adjust;
  r.direction = dir;
  r.effectiveWind = ue;
  const double lb = LengthToBreadth(ue);
  r.lengthToBreadth = lb;
  r.eccentricity = std::sqrt(lb * lb - 1.0) / lb;
  r.backRos = r.ros * (1.0 - r.eccentricity) / (1.0 + r.eccentricity);
  return r;
}

double LengthToBreadth(double effectiveWindFtMin) {
  // The fit's coefficients are for the wind in m/s (ft/min x 0.3048 / 60).
  const double u = std::max(effectiveWindFtMin, 0.0) * kFtToM / 60.0;
  const double lb = 0.936 * std::exp(0.2566 * u) + 0.461 * std::exp(-0.1548 * u) - 0.397;
  return std::clamp(lb, 1.0, 8.0);
}

double WindForTotalFactor(const FuelBedState& s, double phi, double slopeTan, double windTo, double upslope) {
  return WindForTotalFactor(s, phi, slopeTan, Remembered(tWind, windTo), Remembered(tUp, upslope));
}

double SpreadAlong(const SurfaceSpread& sp, double azimuth) {
  double theta = (azimuth - sp.direction) * kDeg;
  double e = sp.eccentricity;
  return sp.ros * (1.0 - e) / (1.0 - e * std::cos(theta));
}

double RateAlong(const FireResult& f, double azimuth) {
  const double lb = f.lengthToBreadth, e = std::sqrt(lb * lb - 1.0) / lb;
  return f.rosMMin * (1.0 - e) / (1.0 - e * std::cos((azimuth - f.direction) * kDeg));
}

double CrownFill(double cc) { return cc / 100.0 * kPi / 12.0; }

double WafLogTerm(double h) { return std::log((20.0 + 0.36 * h) / (0.13 * h)); }

double UnshelteredWaf(double h) {
  if (h <= 0) return 0;
  return 1.83 / WafLogTerm(h);
}

double ShelteredWaf(double cc, double h) {
  const double f = CrownFill(cc);
  if (f <= 0 || h <= 0) return 0;
  return ShelteredWafOf(f, h, WafLogTerm(h));
}

bool ShelteredByCanopy(double cc, double standHeightFt) { return CrownFill(cc) >= 0.05 && standHeightFt > 0; }

double WindAdjustmentFactor(double depth, double cc, double standHeightFt) {
  return ShelteredByCanopy(cc, standHeightFt) ? ShelteredWaf(cc, standHeightFt) : UnshelteredWaf(depth);
}

double SurfaceFlameLength(double fli) { return fli > 0 ? 0.0775 * std::pow(fli, 0.46) : 0; }

double CrownFlameLength(double fli) {
  const double x = fli / kKWmPerBtuFtS;
  return fli > 0 ? 0.2 * std::cbrt(x * x) * kFtToM : 0;
}

double CrownInitiationIntensity(double cbh, double fmc) {
  const double x = 0.010 * std::max(cbh, 0.0) * (460.0 + 25.9 * fmc);
  return x * std::sqrt(x);
}

FireResult ComputeFire(const FuelBedState& s, const FuelBedState& s10, double wind20,
                       double waf, double windTo, double slopeTan, double upslope,
                       const CrownInput& crown, double adjust, bool shape) {
  return ComputeFire(s, s10, wind20, waf, Remembered(tWind, windTo), slopeTan, Remembered(tUp, upslope), crown,
                     adjust, shape);
}

FireResult ComputeFire(const FuelBedState& s, const FuelBedState& s10, double wind20,
                       double waf, const Bearing& windTo, double slopeTan, const Bearing& upslope,
                       const CrownInput& crown, double adjust, bool shape) {
  FireResult r;
  if (!s.burnable) return r;
  SurfaceSpread sp;
  const Factors f = Combine(s, wind20 * waf, windTo, slopeTan, upslope);
  sp.ros = s.ros0 * (1.0 + f.phi) * adjust;
  sp.direction = HeadDirection(f, windTo.deg, upslope.deg);
  if (shape) {
    sp.effectiveWind = f.limited ? 0.9 * s.reactionIntensity : WindForFactor(s, f.phi);
    sp.lengthToBreadth = LengthToBreadth(sp.effectiveWind);
    sp.eccentricity = std::sqrt(sp.lengthToBreadth * sp.lengthToBreadth - 1.0) / sp.lengthToBreadth;
  }
  double rs = sp.ros * kFtToM;
  double hpa = s.heatPerArea * kKJm2PerBtuFt2;
  double fli = hpa * rs / 60.0;
  r.surfaceRosMMin = rs;
  r.surfaceFliKWm = fli;
  r.reactionKWm2 = s.reactionIntensity * kKJm2PerBtuFt2 / 60.0;
  r.direction = sp.direction;
  r.lengthToBreadth = sp.lengthToBreadth;
  r.effectiveWindFtMin = sp.effectiveWind;
  r.crownClass = kCrownSurface;
  double ros = rs;
  double hpaTotal = hpa;

  if (crown.cbdKgM3 > 0 && crown.standHeightM > 0 && s10.burnable) {
    double i0 = CrownInitiationIntensity(crown.cbhM, crown.foliarMoisturePct);
    double rInit = hpa > 0 ? 60.0 * i0 / hpa : 0;
    double rc = 3.34 * HeadRate(s10, 0.4 * wind20, windTo, slopeTan, upslope, 1.0) * kFtToM;
    double rac = CriticalActiveRate(crown.cbdKgM3);
    bool initiated = fli > 0 && fli >= i0;  // a fire that does not spread lights no crown
    // Torching index: the 20-ft wind at which the surface fire reaches the initiation rate;
    // crowning index: the one at which the active crown rate reaches the critical rate.
    const bool needW10 = crown.crowningIndex || (crown.method != 0 && initiated);
    const double w10 =
        needW10 ? WindForTotalFactor(s10, rac / (3.34 * s10.ros0 * kFtToM) - 1.0, slopeTan, windTo, upslope) : -1;
    if (w10 >= 0 && crown.crowningIndex) r.crowningIndexMph = w10 / 0.4 / 88.0;
    if (crown.torchingIndex && s.ros0 > 0 && waf > 0) {
      const double wS = WindForTotalFactor(s, rInit / (s.ros0 * adjust * kFtToM) - 1.0, slopeTan, windTo, upslope);
      if (wS >= 0) r.torchingIndexMph = wS / waf / 88.0;
    }
    bool active = rc >= rac;
    double cfb = 0;
    if (crown.method == 0) {
      if (initiated) {
        cfb = std::max(0.0, 1.0 - std::exp(-0.23 * (rs - rInit)));
        r.crownClass = active ? kCrownActive : kCrownPassive;
      }
    } else if (!initiated) {
      r.crownClass = active ? kCrownConditional : kCrownSurface;
    } else {
      r.crownClass = active ? kCrownActive : kCrownPassive;
      // Surface rate at which the active crown rate would reach the critical rate: the 20-ft
      // wind behind the fuel-model-10 factor that gives 3.34 * R10 = rac (the crowning index).
      double rSA = HUGE_VAL;
      if (w10 >= 0) rSA = HeadRate(s, w10 / 0.4 * waf, windTo, slopeTan, upslope, adjust) * kFtToM;
      if (!active && rSA <= rs) {
        // More wind lowers this fire (it runs against the wind, downslope wind): the crowning
        // index belongs to a fire running the other way, so the crown is full only at the
        // critical active rate. Linear from initiation up to it.
        cfb = rac > rInit ? std::clamp((rs - rInit) / (rac - rInit), 0.0, 1.0) : 1.0;
      } else if (rSA <= rInit) {
        cfb = 1.0;
      } else if (std::isfinite(rSA)) {
        // Linear between initiation and the rate at which the crown fire becomes fully active.
        cfb = std::clamp((rs - rInit) / (rSA - rInit), 0.0, 1.0);
      }
    }
    cfb = std::min(cfb, 1.0);
    if (initiated) {
      if (rc > rs) ros = rs + cfb * (rc - rs);
      double cfl = crown.cbdKgM3 * std::max(crown.standHeightM - crown.cbhM, 0.0);
      hpaTotal = hpa + cfb * cfl * 18000.0;
    }
    r.cfb = cfb;
  }
  r.rosMMin = ros;
  r.hpaKJm2 = hpaTotal;
  r.fliKWm = hpaTotal * ros / 60.0;
  r.flameM = (r.crownClass == kCrownPassive || r.crownClass == kCrownActive)
                 ? CrownFlameLength(r.fliKWm)
                 : SurfaceFlameLength(r.fliKWm);
  if (shape) {
    const double e = sp.eccentricity;
    const double back = ros * (1.0 - e) / (1.0 + e);
    r.ellB = (ros + back) / 2.0;
    r.ellC = r.ellB - back;
    r.ellA = r.ellB / sp.lengthToBreadth;
  }
  return r;
}

}  // namespace engines

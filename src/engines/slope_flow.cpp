#include "engines/slope_flow.h"

#include <algorithm>
#include <cmath>

namespace engines {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kSolarConstant = 1361.0;  // W/m2
constexpr double kStefan = 5.670374e-8;
constexpr double kGravity = 9.81;
constexpr double kCp = 1005.0;             // J/kg/K
constexpr double kAlbedo = 0.15;
constexpr double kDaySensible = 0.25;      // share of the absorbed sunlight that heats the air
constexpr double kNightSensible = 0.4;     // share of the long-wave loss drawn from the air
constexpr double kDrag = 0.05, kEntrainment = 0.15;

int DayOfYear(int month, int day) {
  static const int before[12] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};  // leap year
  month = std::clamp(month, 1, 12);
  return before[month - 1] + std::clamp(day, 1, 31);
}

}  // namespace

SunPosition SolarPosition(const DiurnalSettings& s) {
  // Declination and equation of time by the Fourier series of Spencer (1971).
  const double hours = s.hour + s.minute / 60.0 + s.second / 3600.0;
  const double g = 2.0 * kPi / 366.0 * (DayOfYear(s.month, s.day) - 1 + (hours - 12.0) / 24.0);
  const double eqTime = 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                                  0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
  const double decl = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
                      0.000907 * std::sin(2 * g) - 0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
  // True solar time in minutes, then the hour angle (0 at solar noon, positive afternoon).
  const double solarMinutes = hours * 60.0 + eqTime + 4.0 * s.longitude - 60.0 * s.timeZone;
  const double ha = (solarMinutes / 4.0 - 180.0) * kRad;
  const double lat = s.latitude * kRad;
  const double cosZen =
      std::clamp(std::sin(lat) * std::sin(decl) + std::cos(lat) * std::cos(decl) * std::cos(ha), -1.0, 1.0);
  SunPosition p;
  p.elevation = 90.0 - std::acos(cosZen) / kRad;
  double az = std::atan2(std::sin(ha), std::cos(ha) * std::sin(lat) - std::tan(decl) * std::cos(lat)) / kRad + 180.0;
  p.azimuth = std::fmod(az + 360.0, 360.0);
  return p;
}

double SurfaceHeatFlux(const DiurnalSettings& s, const SunPosition& sun, double slopeDeg, double aspectDeg) {
  const double c = std::clamp(s.cloudPercent / 100.0, 0.0, 1.0);
  const double tK = (s.airTempF - 32.0) / 1.8 + 273.15;
  if (sun.elevation > 0) {
    // Clear-sky beam through the air mass of the sun's height (Meinel), a tenth of it again as
    // diffuse light, both cut by cloud (Kasten and Czeplak).
    const double cosZen = std::sin(sun.elevation * kRad);
    const double beam = kSolarConstant * std::pow(0.7, std::pow(1.0 / std::max(cosZen, 0.01), 0.678));
    const double sl = slopeDeg * kRad, dAz = (sun.azimuth - aspectDeg) * kRad;
    const double cosInc = std::cos(sl) * cosZen + std::sin(sl) * std::sqrt(1.0 - cosZen * cosZen) * std::cos(dAz);
    const double shortwave = (beam * std::max(cosInc, 0.0) + 0.1 * beam * cosZen) * (1.0 - 0.75 * std::pow(c, 3.4));
    return kDaySensible * (1.0 - kAlbedo) * shortwave;
  }
  // Night: the ground radiates to a sky whose emissivity rises with humidity (Swinbank) and
  // cloud (Unsworth and Monteith); the air above it cools.
  const double clear = std::min(1.0, 9.2e-6 * tK * tK);
  const double sky = (1.0 - 0.84 * c) * clear + 0.84 * c;
  return -kNightSensible * kStefan * std::pow(tK, 4) * (1.0 - sky);
}

void SlopeFlows(const WindTerrain& t, const DiurnalSettings& s, std::vector<double>& east,
                std::vector<double>& north) {
  const std::size_t n = static_cast<std::size_t>(t.rows) * t.cols;
  east.assign(n, 0.0);
  north.assign(n, 0.0);
  if (n == 0 || t.elevation.size() != n) return;
  const SunPosition sun = SolarPosition(s);
  const double tK = (s.airTempF - 32.0) / 1.8 + 273.15;
  const double rho = 101325.0 / (287.05 * tK);
  const auto [lo, hi] = std::minmax_element(t.elevation.begin(), t.elevation.end());
  const double longest = std::hypot(t.rows, t.cols) * t.cell;
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * t.cols + c;
      auto z = [&](int rr, int cc) {
        return t.elevation[static_cast<std::size_t>(std::clamp(rr, 0, t.rows - 1)) * t.cols + std::clamp(cc, 0, t.cols - 1)];
      };
      const int cw = std::max(c - 1, 0), ce = std::min(c + 1, t.cols - 1);
      const int rn = std::max(r - 1, 0), rs = std::min(r + 1, t.rows - 1);
      const double gx = ce > cw ? (z(r, ce) - z(r, cw)) / ((ce - cw) * t.cell) : 0.0;
      const double gy = rs > rn ? (z(rn, c) - z(rs, c)) / ((rs - rn) * t.cell) : 0.0;
      const double grad = std::hypot(gx, gy);
      if (grad <= 0) continue;
      const double slope = std::atan(grad);
      // The slope faces down its gradient.
      const double aspect = std::fmod(std::atan2(-gx, -gy) / kRad + 360.0, 360.0);
      const double heat = SurfaceHeatFlux(s, sun, slope / kRad, aspect);
      const double q = std::fabs(heat) / (rho * kCp);  // kinematic heat flux, K m/s
      // Warm air runs up from the valley bottom by day, cold air down from the ridge by night:
      // x is the distance along the slope from where the flow starts.
      const double rise = heat > 0 ? t.elevation[i] - *lo : *hi - t.elevation[i];
      const double x = std::min(rise / std::sin(slope), longest);
      // Buoyancy of the layer balanced by surface drag and entrainment (Mahrt 1982), reached
      // over the distance the flow needs to build up.
      const double k = kDrag + kEntrainment;
      const double cube = kGravity * q * x * std::sin(slope) / (tK * k) * (1.0 - std::exp(-x * k / kSlopeFlowDepth));
      const double speed = std::cbrt(std::max(cube, 0.0));
      const double sign = heat > 0 ? 1.0 : -1.0;
      east[i] = sign * speed * gx / grad;
      north[i] = sign * speed * gy / grad;
    }
}

}  // namespace engines

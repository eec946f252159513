#include "engines/conditioning.h"

#include "engines/parallel_rows.h"

#include <omp.h>

#include <algorithm>
#include <array>
#include <map>
#include <cmath>
#include <stdexcept>

namespace engines {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLapseCPerM = -0.0065;
const int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// The sticks: radius (m) of the 1-, 10-, 100- and 1000-hour classes; the radii grow by sqrt(10)
// from class to class so that diffusion times grow tenfold. Sub-steps per hour keep the
// implicit steps short beside each class's fastest change.
constexpr double kRadiusM[4] = {0.0020, 0.0064, 0.0200, 0.0640};
constexpr int kStepsPerHour[4] = {6, 3, 2, 1};
constexpr int kRainStepsPerHour = 45;  // 80 s

constexpr double kWoodDensity = 400.0;      // kg/m3, oven dry
constexpr double kWaterDensity = 1000.0;    // kg/m3
constexpr double kGasConstant = 8.314;      // J/mol/K
constexpr double kLatentHeat = 2.45e6;      // J/kg
constexpr double kStefan = 5.67e-8;         // W/m2/K4
constexpr double kEmissivity = 0.9;         // of weathered wood
constexpr double kAbsorptivity = 0.6;       // of sunlight
constexpr double kFibreSaturation = 0.30;   // bound water ends here
constexpr double kMaxMoisture = 0.35;       // the most rain brings the surface to
constexpr double kVapourTransfer = 1.0e-6;  // m/s, surface towards the isotherm
constexpr double kLiquidTransfer = 1.0e-5;  // m/s, surface towards kMaxMoisture in rain
// Bound-water diffusion across the grain: the cell-wall activation energy (38500 - 29000 m)
// J/mol with a prefactor that makes the 0.64 cm stick's lag about ten hours at 25 C and 12 %.
constexpr double kDiffusionPrefactor = 2.8e-4;  // m2/s
constexpr double kNearFuelWind = 1.0;           // m/s, sheltered air among surface fuels
// The sunlit ground warms the air among the fuels lying on it: with the stick's own absorbed sun
// this puts a 1-h stick in full sun (1000 W/m2) about 14 K above the air, the 25 F that
// fire-danger practice adds to fine fuels under clear skies.
constexpr double kGroundWarming = 0.0115;       // K per W/m2 of sun on the ground

int DayOfYear(int month, int day) { return (month >= 1 && month <= 12) ? kDaysBefore[month] + day : day; }

double FtoC(double f) { return (f - 32.0) / 1.8; }

// Saturation vapour pressure (hPa).
double SatVapour(double tC) { return 6.1078 * std::exp(17.269 * tC / (tC + 237.3)); }

// Hours since the start of the year 1, wrapping at the year end so that a period over New Year
// keeps its order.
double HourStamp(int doy, double hour) { return (doy - 1) * 24.0 + hour; }

// Fitted to the fire-danger equilibrium relations over 0-40 C and 10-90 % (within half a point);
// temperature matters little beside humidity. Dew holds the surface at fibre saturation.
double Isotherm(double tC, double h) {
  h = std::clamp(h, 0.0, 0.995);
  const double c1 = 0.1253 - 0.000396 * tC, c2 = 0.657;
  return std::clamp(c1 * std::pow(-std::log1p(-h), c2), 0.0, kFibreSaturation);
}

double Diffusivity(double tC, double m) {
  double eb = 38500.0 - 29000.0 * std::clamp(m, 0.0, kFibreSaturation);
  return kDiffusionPrefactor * std::exp(-eb / (kGasConstant * (tC + 273.15)));
}

// Thermal conductivity (W/m/K) and volumetric heat capacity (J/m3/K) of moist wood.
double Conductivity(double m) { return 0.4 * (0.1941 + 0.4064 * std::min(m, kFibreSaturation)) + 0.01864; }
double HeatCapacity(double tC, double m) { return kWoodDensity * (103.1 + 3.867 * (tC + 273.15) + 4186.0 * m); }

// Convective transfer (W/m2/K) to a cylinder of the radius across a light wind.
double Convection(double radius) {
  double re = kNearFuelWind * 2.0 * radius / 1.6e-5, c, e;
  if (re < 40) c = 0.911, e = 0.385;
  else if (re < 4000) c = 0.683, e = 0.466;
  else c = 0.193, e = 0.618;
  return 0.026 * c * std::pow(re, e) / (2.0 * radius);
}

// Control areas of the radial nodes (per radian, so that they sum to a^2/2) for node spacing dr.
struct Geometry {
  double dr, area[FuelStick::kNodes], face[FuelStick::kNodes];  // face[j]: radius between j and j+1
  explicit Geometry(double radius) {
    const int n = FuelStick::kNodes;
    dr = radius / (n - 1);
    for (int j = 0; j < n; ++j) {
      area[j] = j == 0 ? dr * dr / 8 : (j == n - 1 ? radius * dr / 2 - dr * dr / 8 : j * dr * dr);
      face[j] = (j + 0.5) * dr;
    }
  }
};

const Geometry& GeometryOf(int size) {
  static const Geometry g[4] = {Geometry(kRadiusM[0]), Geometry(kRadiusM[1]), Geometry(kRadiusM[2]),
                                Geometry(kRadiusM[3])};
  return g[size];
}

double ConvectionOf(int size) {
  static const double h[4] = {Convection(kRadiusM[0]), Convection(kRadiusM[1]), Convection(kRadiusM[2]),
                              Convection(kRadiusM[3])};
  return h[size];
}

// Backward Euler on the radial nodes: cap_j (u'_j - u_j)/dt = sum of face fluxes + surface.
// cond[j] is the conductance between j and j+1; the surface adds sDiag u' and sRhs.
void ImplicitRadial(double* u, const double* cap, const double* cond, double sDiag, double sRhs, double dt) {
  constexpr int n = FuelStick::kNodes;
  double lo[n], di[n], up[n], rhs[n];
  for (int j = 0; j < n; ++j) {
    double left = j > 0 ? cond[j - 1] : 0.0, right = j < n - 1 ? cond[j] : 0.0;
    lo[j] = -left;
    up[j] = -right;
    di[j] = cap[j] / dt + left + right;
    rhs[j] = cap[j] / dt * u[j];
  }
  di[n - 1] += sDiag;
  rhs[n - 1] += sRhs;
  for (int j = 1; j < n; ++j) {
    double f = lo[j] / di[j - 1];
    di[j] -= f * up[j - 1];
    rhs[j] -= f * rhs[j - 1];
  }
  u[n - 1] = rhs[n - 1] / di[n - 1];
  for (int j = n - 2; j >= 0; --j) u[j] = (rhs[j] - up[j] * u[j + 1]) / di[j];
}

// One implicit water step. Wetter wood moves water much faster, so the diffusivities are taken
// at the moisture halfway through the step (found by re-solving), not at its start: otherwise a
// long step under rain sees the dry wood's slow diffusion throughout.
void SolveWater(double* m, const double* temp, const Geometry& g, double sDiag, double sRhs, double dt) {
  constexpr int n = FuelStick::kNodes;
  double start[n], cap[n], cond[n];
  std::copy(m, m + n, start);
  for (int j = 0; j < n; ++j) cap[j] = g.area[j];
  for (int pass = 0; pass < 3; ++pass) {
    for (int j = 0; j < n - 1; ++j) {
      const double mid = 0.25 * (start[j] + start[j + 1] + m[j] + m[j + 1]);
      cond[j] = g.face[j] * Diffusivity(0.5 * (temp[j] + temp[j + 1]), mid) / g.dr;
    }
    std::copy(start, start + n, m);
    ImplicitRadial(m, cap, cond, sDiag, sRhs, dt);
  }
}

// One hour of weather for the four sticks of a place; returns the sun on its ground (W/m2).
double StepHour(FuelStick sticks[4], double m[4], const HourlyWeather& w, double elevationM, double slopeDeg,
                double aspectDeg, double coverPct, double stationElevationM, double latitudeDeg) {
  // Lapse the air to the place with a constant dew point.
  const double t = w.temperatureC + kLapseCPerM * (elevationM - stationElevationM);
  const double rh = std::clamp(w.humidityPct * SatVapour(w.temperatureC) / SatVapour(t), 1.0, 100.0);
  const double solar = SolarRadiation(w.dayOfYear, w.hour, latitudeDeg, slopeDeg, aspectDeg, w.cloudPct, coverPct);
  StickAir air;
  // A stick on the ground sees half the sky, less what the canopy hides.
  air.skyView = 0.5 * (1.0 - std::clamp(coverPct, 0.0, 100.0) / 100.0);
  air.temperatureC = t;
  air.humidityPct = rh;
  air.solarWm2 = solar;
  air.rainMm = w.precipMm;
  air.cloudPct = w.cloudPct;
  for (int k = 0; k < 4; ++k) m[k] = sticks[k].Step(1.0, air);
  return solar;
}

}  // namespace

double EquilibriumMoisture(double tC, double rh) { return Isotherm(tC, std::clamp(rh, 0.0, 100.0) / 100.0); }

double SolarRadiation(int doy, double hour, double lat, double slopeDeg, double aspectDeg, double cloud,
                      double cover) {
  double decl = 23.45 * kPi / 180.0 * std::sin(2.0 * kPi * (284.0 + doy) / 365.0);
  double ha = (hour - 12.0) * 15.0 * kPi / 180.0;
  double phi = lat * kPi / 180.0;
  double cosZ = std::sin(phi) * std::sin(decl) + std::cos(phi) * std::cos(decl) * std::cos(ha);
  if (cosZ <= 0) return 0;
  double zen = std::acos(cosZ);
  // Sun azimuth, clockwise from north.
  double az = std::atan2(std::sin(ha), std::cos(ha) * std::sin(phi) - std::tan(decl) * std::cos(phi)) + kPi;
  double s = std::max(slopeDeg, 0.0) * kPi / 180.0, a = aspectDeg * kPi / 180.0;
  double cosI = std::cos(zen) * std::cos(s) + std::sin(zen) * std::sin(s) * std::cos(az - a);
  double airMass = 1.0 / std::max(cosZ, 0.05);
  double direct = 1367.0 * std::pow(0.75, airMass) * std::max(cosI, 0.0);
  double diffuse = 0.1 * 1367.0 * cosZ * 0.75;
  double clouds = 1.0 - 0.75 * std::pow(std::clamp(cloud, 0.0, 100.0) / 100.0, 3.4);
  double canopy = 1.0 - 0.9 * std::clamp(cover, 0.0, 100.0) / 100.0;
  return (direct + diffuse) * clouds * canopy;
}

FuelStick::FuelStick(int sizeClass, double initial) : size_(std::clamp(sizeClass, 0, 3)) {
  for (double& v : moist_) v = initial;
  for (double& v : temp_) v = 20.0;
}

double FuelStick::Moisture() const {
  const Geometry& g = GeometryOf(size_);
  double sum = 0;
  for (int j = 0; j < kNodes; ++j) sum += g.area[j] * moist_[j];
  return sum / (kRadiusM[size_] * kRadiusM[size_] / 2);
}

double FuelStick::Step(double hours, double tC, double rh, double solar, double rain) {
  StickAir air;
  air.temperatureC = tC;
  air.humidityPct = rh;
  air.solarWm2 = solar;
  air.rainMm = rain;
  return Step(hours, air);
}

double FuelStick::Step(double hours, const StickAir& air) {
  // A value that is not a number would spread through every node: refuse it.
  const struct { double v; const char* name; } fields[] = {
      {air.temperatureC, "air temperature"}, {air.humidityPct, "relative humidity"}, {air.solarWm2, "solar radiation"},
      {air.rainMm, "rain"}, {air.skyView, "sky view"}, {air.cloudPct, "cloud cover"}, {hours, "step length"}};
  for (const auto& f : fields)
    if (!std::isfinite(f.v)) throw std::invalid_argument(std::string(f.name) + " is not a number");
  if (!warmed_) {
    for (double& v : temp_) v = air.temperatureC;
    warmed_ = true;
  }
  if (!(hours > 0)) return Moisture();
  const double rainRate = std::max(air.rainMm, 0.0) / 1000.0 / (hours * 3600.0);  // m/s
  // Wetting from a soaked surface inwards is fastest at its start: rain takes shorter sub-steps.
  const double perHour = rainRate > 0 ? std::max<double>(kStepsPerHour[size_], kRainStepsPerHour) : kStepsPerHour[size_];
  const int steps = std::max(1, static_cast<int>(std::ceil(hours * perHour - 1e-9)));
  const double dt = hours * 3600.0 / steps;
  const double vapour = std::clamp(air.humidityPct, 0.0, 100.0) / 100.0 * SatVapour(air.temperatureC);
  for (int s = 0; s < steps; ++s) SubStep(dt, air, rainRate, vapour);
  return Moisture();
}

void FuelStick::SubStep(double dt, const StickAir& air, double rainRate, double vapourHpa) {
  const Geometry& g = GeometryOf(size_);
  const double a = kRadiusM[size_];
  const int n = kNodes;
  double cap[kNodes], cond[kNodes];

  // Heat: conduction along the radius; at the surface, absorbed sun, long-wave loss to the open
  // sky, convection and radiation exchange with the air (linearised about it), and the latent
  // heat of the water leaving.
  const double sun = std::max(air.solarWm2, 0.0);
  const double fuelAirC = air.temperatureC + kGroundWarming * sun;
  const double taK = air.temperatureC + 273.15;
  const double skyEmissivity = std::min(1.0, 9.2e-6 * taK * taK);
  const double cloud = std::clamp(air.cloudPct, 0.0, 100.0) / 100.0;
  const double sky = skyEmissivity + cloud * (1.0 - skyEmissivity);
  const double hr = 4.0 * kEmissivity * kStefan * taK * taK * taK;
  const double h = ConvectionOf(size_) + hr;
  const double q = kAbsorptivity * sun / kPi -
                   kEmissivity * kStefan * std::clamp(air.skyView, 0.0, 1.0) * (1.0 - sky) * taK * taK * taK * taK -
                   kLatentHeat * vapourOut_;
  for (int j = 0; j < n; ++j) {
    cap[j] = HeatCapacity(temp_[j], moist_[j]) * g.area[j];
    if (j < n - 1) cond[j] = g.face[j] * Conductivity(0.5 * (moist_[j] + moist_[j + 1])) / g.dr;
  }
  ImplicitRadial(temp_, cap, cond, a * h, a * (q + h * fuelAirC), dt);

  // Bound water: diffusion along the radius; the surface moves towards the isotherm of the air
  // at its own temperature (same vapour pressure), or takes up rain.
  const double ts = temp_[n - 1];
  const double hs = vapourHpa / SatVapour(ts);
  if (!(rainRate > 0)) {
    const double target = Isotherm(ts, hs);
    SolveWater(moist_, temp_, g, a * kVapourTransfer, a * kVapourTransfer * target, dt);
    vapourOut_ = std::max(0.0, -kVapourTransfer * (target - moist_[n - 1])) * kWoodDensity;
    return;
  }
  // Rain: the stick catches it across its width and its surface takes all of it while it can
  // (below wet), then only what the transfer towards kMaxMoisture lets in; the rest runs off.
  // Where the surface reaches wet within the sub-step, the sub-step is split there, so that
  // the uptake does not depend on the sub-step's length.
  const double caught = kWaterDensity / kWoodDensity * rainRate / kPi;
  const double wet = kMaxMoisture - caught / kLiquidTransfer;
  const double ms = moist_[n - 1];
  double soak = 0;  // seconds of the sub-step taking the whole catch
  if (ms < wet) {
    double trial[kNodes];
    std::copy(moist_, moist_ + n, trial);
    SolveWater(trial, temp_, g, 0.0, a * caught, dt);
    soak = trial[n - 1] <= wet ? dt : dt * (wet - ms) / (trial[n - 1] - ms);
    if (soak >= dt) {
      std::copy(trial, trial + n, moist_);
    } else if (soak > 0) {
      SolveWater(moist_, temp_, g, 0.0, a * caught, soak);
    }
  }
  if (soak < dt) SolveWater(moist_, temp_, g, a * kLiquidTransfer, a * kLiquidTransfer * kMaxMoisture, dt - soak);
  for (double& m : moist_) m = std::min(m, kMaxMoisture);
  vapourOut_ = 0;
}

double HourStampOf(int month, int day, int hhmm) { return HourStamp(DayOfYear(month, day), hhmm / 100); }

std::vector<StampedWeather> WeatherSamples(const PyrvaneInputs& in, double* stationElev) {
  using Sample = StampedWeather;
  std::vector<Sample> samples;
  if (in.hasRaws && !in.raws.empty()) {
    *stationElev = in.rawsMetric ? in.rawsElevation : in.rawsElevation * 0.3048;
    int baseYear = in.raws.front().year;
    for (const auto& r : in.raws) {
      HourlyWeather w;
      w.dayOfYear = DayOfYear(r.month, r.day);
      w.hour = r.hhmm / 100 + (r.hhmm % 100) / 60.0;
      w.temperatureC = in.rawsMetric ? r.temperature : FtoC(r.temperature);
      w.humidityPct = r.humidity;
      w.precipMm = in.rawsMetric ? r.precipitation : r.precipitation * 25.4;
      w.cloudPct = r.cloudCover;
      samples.push_back({HourStamp(w.dayOfYear, w.hour) + (r.year - baseYear) * 365 * 24.0, w});
    }
  } else if (!in.weather.empty()) {
    *stationElev = in.weather.front().elevation * (in.weatherMetric ? 1.0 : 0.3048);
    // Hourly values from each day's extremes: temperature rises from the minimum to the maximum
    // as a half cosine and falls back towards the next day's minimum; humidity mirrors it.
    double yearShift = 0;
    int prevMonth = 0;
    for (size_t d = 0; d < in.weather.size(); ++d) {
      const auto& w = in.weather[d];
      if (prevMonth == 12 && w.month == 1) yearShift += 365 * 24.0;
      prevMonth = w.month;
      const auto& next = d + 1 < in.weather.size() ? in.weather[d + 1] : w;
      double tMin = in.weatherMetric ? w.tMin : FtoC(w.tMin), tMax = in.weatherMetric ? w.tMax : FtoC(w.tMax);
      double tNext = in.weatherMetric ? next.tMin : FtoC(next.tMin);
      double hMin = w.tMinTime / 100.0, hMax = std::max(w.tMaxTime / 100.0, hMin + 1);
      double precip = w.precip / 100.0 * (in.weatherMetric ? 1.0 : 25.4);
      double pStart = w.precipStart / 100.0, pEnd = w.precipEnd / 100.0;
      if (!(pEnd > pStart)) pStart = 0, pEnd = 24;
      for (int hr = 0; hr < 24; ++hr) {
        // f: 0 at the day's minimum, 1 at its maximum; after the maximum the temperature falls
        // towards the next day's minimum.
        double f;
        double tLow = tMin;
        if (hr < hMin) {
          f = 0.5 - 0.5 * std::cos(kPi * (1.0 - (hr + 24 - hMax) / (24 + hMin - hMax)));
        } else if (hr <= hMax) {
          f = 0.5 - 0.5 * std::cos(kPi * (hr - hMin) / (hMax - hMin));
        } else {
          f = 0.5 + 0.5 * std::cos(kPi * (hr - hMax) / (24 + hMin - hMax));
          tLow = tNext;
        }
        HourlyWeather h;
        h.dayOfYear = DayOfYear(w.month, w.day);
        h.hour = hr;
        h.temperatureC = tLow + f * (tMax - tLow);
        h.humidityPct = w.rhMax + f * (w.rhMin - w.rhMax);
        h.precipMm = (hr >= pStart && hr < pEnd) ? precip / (pEnd - pStart) : 0.0;
        samples.push_back({HourStamp(h.dayOfYear, hr) + yearShift, h});
      }
    }
    // Cloud cover from the wind lines at or before each hour.
    std::vector<std::pair<double, int>> clouds;
    double ys = 0;
    int pm = 0;
    for (const auto& r : in.winds) {
      if (pm == 12 && r.month == 1) ys += 365 * 24.0;
      pm = r.month;
      clouds.push_back({HourStamp(DayOfYear(r.month, r.day), r.hhmm / 100 + (r.hhmm % 100) / 60.0) + ys, r.cloudCover});
    }
    for (auto& s : samples) {
      int cc = clouds.empty() ? 0 : clouds.front().second;
      for (const auto& c : clouds)
        if (c.first <= s.stamp) cc = c.second;
      s.w.cloudPct = cc;
    }
  }
  std::stable_sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.stamp < b.stamp; });
  return samples;
}

HourlyWeather WeatherOfHour(const std::vector<StampedWeather>& samples, double t) {
  auto after = std::upper_bound(samples.begin(), samples.end(), t + 1e-9,
                                [](double v, const StampedWeather& s) { return v < s.stamp; });
  HourlyWeather w = (after == samples.begin() ? after : after - 1)->w;
  w.hour = std::fmod(t, 24.0);
  w.dayOfYear = static_cast<int>(std::fmod(std::floor(t / 24.0), 365.0)) + 1;
  return w;
}

std::vector<HourlyWeather> ConditioningWeather(const PyrvaneInputs& in, double* stationElev) {
  std::vector<HourlyWeather> out;
  if (!in.conditioningStart.Valid() || !in.conditioningEnd.Valid()) return out;
  double t0 = HourStampOf(in.conditioningStart.month, in.conditioningStart.day, in.conditioningStart.hhmm);
  double t1 = HourStampOf(in.conditioningEnd.month, in.conditioningEnd.day, in.conditioningEnd.hhmm);
  if (t1 < t0) t1 += 365 * 24;  // over New Year
  if (t1 - t0 > 24.0 * 366) return out;
  const std::vector<StampedWeather> samples = WeatherSamples(in, stationElev);
  if (samples.empty()) return out;
  // Anchor the period at the first sample's year.
  if (samples.front().stamp > t0 + 24.0 * 180) t0 += 365 * 24.0, t1 += 365 * 24.0;
  if (samples.front().stamp > t0 + 1e-9 || samples.back().stamp + 24.0 < t1) return out;
  for (double t = t0; t <= t1 + 1e-9; t += 1.0) out.push_back(WeatherOfHour(samples, t));
  return out;
}

bool ConditionFuels(const ConditioningCells& cells, const std::vector<HourlyWeather>& weather, double stationElev,
                    const double initial[4], int threads, const std::atomic<bool>& cancel,
                    std::atomic<double>& progress, ConditioningResult& out) {
  const int n = cells.count;
  out.m1.assign(n, -9999.0f);
  out.m10.assign(n, -9999.0f);
  out.m100.assign(n, -9999.0f);
  out.m1000.assign(n, -9999.0f);
  out.solar.assign(n, -9999.0f);
  if (threads <= 0) threads = omp_get_num_procs();
  std::atomic<long> done{0};
  const int chunk = 256;
  const int chunks = (n + chunk - 1) / chunk;
#pragma omp parallel for schedule(dynamic, 1) num_threads(threads)
  for (int b = 0; b < chunks; ++b) {
    if (cancel.load(std::memory_order_relaxed)) continue;
    for (int i = b * chunk; i < std::min(n, (b + 1) * chunk); ++i) {
      if (cancel.load(std::memory_order_relaxed)) break;
      if (cells.elevationM[i] == -9999.0f || cells.slopeDeg[i] == -9999.0f || cells.aspectDeg[i] == -9999.0f) continue;
      FuelStick sticks[4] = {{0, initial[0]}, {1, initial[1]}, {2, initial[2]}, {3, initial[3]}};
      double solar = 0;
      double m[4] = {initial[0], initial[1], initial[2], initial[3]};
      for (const auto& w : weather)
        solar = StepHour(sticks, m, w, cells.elevationM[i], cells.slopeDeg[i], cells.aspectDeg[i], cells.coverPct[i],
                         stationElev, cells.latitudeDeg);
      out.m1[i] = static_cast<float>(m[0]);
      out.m10[i] = static_cast<float>(m[1]);
      out.m100[i] = static_cast<float>(m[2]);
      out.m1000[i] = static_cast<float>(m[3]);
      out.solar[i] = static_cast<float>(solar);
    }
    progress.store(static_cast<double>(++done) / chunks, std::memory_order_relaxed);
  }
  return !cancel.load();
}

HourlyConditioner::HourlyConditioner(const ConditioningCells& cells, double stationElevationM, const double initial[4],
                                     const Classes& classes)
    : stationElevationM_(stationElevationM), latitudeDeg_(cells.latitudeDeg) {
  // The class of each cell, as the index of its central values; flat ground has no aspect.
  auto index = [](double v, double width) { return static_cast<std::int64_t>(std::floor(v / width + 0.5)); };
  std::map<std::array<std::int64_t, 4>, std::int32_t> known;
  siteOf_.assign(static_cast<std::size_t>(std::max(cells.count, 0)), -1);
  for (int i = 0; i < cells.count; ++i) {
    if (cells.elevationM[i] == -9999.0f || cells.slopeDeg[i] == -9999.0f || cells.aspectDeg[i] == -9999.0f) continue;
    const std::int64_t slope = index(cells.slopeDeg[i], classes.slopeDeg);
    const std::array<std::int64_t, 4> key = {index(cells.elevationM[i], classes.elevationM), slope,
                                             slope == 0 ? 0 : index(cells.aspectDeg[i], classes.aspectDeg) %
                                                                  index(360.0, classes.aspectDeg),
                                             index(cells.coverPct[i], classes.coverPct)};
    auto [it, added] = known.emplace(key, static_cast<std::int32_t>(sites_.size()));
    if (added)
      sites_.push_back({static_cast<float>(key[0] * classes.elevationM), static_cast<float>(key[1] * classes.slopeDeg),
                        static_cast<float>(key[2] * classes.aspectDeg), static_cast<float>(key[3] * classes.coverPct)});
    siteOf_[static_cast<std::size_t>(i)] = it->second;
  }
  states_.reserve(sites_.size());
  for (std::size_t k = 0; k < sites_.size(); ++k)
    states_.push_back({{{0, initial[0]}, {1, initial[1]}, {2, initial[2]}, {3, initial[3]}},
                       {initial[0], initial[1], initial[2], initial[3]},
                       0.0});
}

bool HourlyConditioner::Step(const HourlyWeather& w, int threads, const std::atomic<bool>& cancel) {
  if (threads <= 0) threads = omp_get_num_procs();
  const long sites = static_cast<long>(sites_.size());
  // Each site steps on its own, so the moistures are the same at any thread count.
  // On the task pool: a run steps every clock hour, and short loops on busy processors
  // must not wait for helpers that get no turn.
  ForEachTask(static_cast<int>((sites + 15) / 16), threads, [&](int block) {
    for (long k = block * 16L; k < std::min(sites, block * 16L + 16); ++k) {
      if (cancel.load(std::memory_order_relaxed)) return;
      const Site& s = sites_[static_cast<std::size_t>(k)];
      State& st = states_[static_cast<std::size_t>(k)];
      st.solar = StepHour(st.sticks, st.m, w, s.elevationM, s.slopeDeg, s.aspectDeg, s.coverPct, stationElevationM_,
                          latitudeDeg_);
    }
  });
  return !cancel.load();
}

void HourlyConditioner::Fill(ConditioningResult& out, int threads) const {
  const std::size_t n = siteOf_.size();
  for (auto* g : {&out.m1, &out.m10, &out.m100, &out.m1000, &out.solar}) g->resize(n);
  if (out.site.size() != n) out.site = siteOf_;
  out.sites = sites_.size();
  if (threads <= 0) threads = omp_get_num_procs();
  ForEachRange(static_cast<long>(n), threads, [&](long from, long to, int) {
    for (std::size_t i = static_cast<std::size_t>(from); i < static_cast<std::size_t>(to); ++i) {
      const std::int32_t k = siteOf_[i];
      if (k < 0) {
        out.m1[i] = out.m10[i] = out.m100[i] = out.m1000[i] = out.solar[i] = -9999.0f;
        continue;
      }
      const State& st = states_[static_cast<std::size_t>(k)];
      out.m1[i] = static_cast<float>(st.m[0]);
      out.m10[i] = static_cast<float>(st.m[1]);
      out.m100[i] = static_cast<float>(st.m[2]);
      out.m1000[i] = static_cast<float>(st.m[3]);
      out.solar[i] = static_cast<float>(st.solar);
    }
  });
}

}  // namespace engines

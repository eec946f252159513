#include "engines/conditioning.h"

#include <omp.h>

#include <algorithm>
#include <cmath>

namespace engines {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxNodes = 24;
constexpr int kNodesOfClass[4] = {8, 12, 16, 24};
// Implicit steps per hour: fine sticks change within the hour, thick ones over days.
constexpr int kStepsOfClass[4] = {4, 2, 1, 1};
constexpr double kLapseCPerM = -0.0065;
const int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

int DayOfYear(int month, int day) { return (month >= 1 && month <= 12) ? kDaysBefore[month] + day : day; }

double FtoC(double f) { return (f - 32.0) / 1.8; }

// Saturation vapour pressure (hPa).
double SatVapour(double tC) { return 6.1078 * std::exp(17.269 * tC / (tC + 237.3)); }

// Hours since the start of the year 1, wrapping at the year end so that a period over New Year
// keeps its order.
double HourStamp(int doy, double hour) { return (doy - 1) * 24.0 + hour; }

}  // namespace

double EquilibriumMoisture(double tC, double rh) {
  double t = tC * 1.8 + 32.0, h = std::clamp(rh, 0.0, 100.0);
  double pct;
  if (h < 10)
    pct = 0.03229 + 0.281073 * h - 0.000578 * h * t;
  else if (h < 50)
    pct = 2.22749 + 0.160107 * h - 0.01478 * t;
  else
    pct = 21.0606 + 0.005565 * h * h - 0.00035 * h * t - 0.483199 * h;
  return std::max(pct, 0.5) / 100.0;
}

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

FuelStick::FuelStick(int sizeClass, double initial)
    : size_(std::clamp(sizeClass, 0, 3)), count_(kNodesOfClass[size_]) {
  static_assert(kMaxNodes <= static_cast<int>(sizeof(nodes_) / sizeof(nodes_[0])));
  for (double& v : nodes_) v = initial;
}

double FuelStick::Moisture() const {
  // Mean over the cross-section: node j stands for the ring around radius j/(n-1).
  double sum = 0, wsum = 0;
  const int nodes = count_;
  const double dr = 1.0 / (nodes - 1);
  for (int j = 0; j < nodes; ++j) {
    double r = j * dr;
    double w = j == 0 ? dr * dr / 8.0 : (j == nodes - 1 ? r * dr / 2.0 : r * dr);
    sum += w * nodes_[j];
    wsum += w;
  }
  return sum / wsum;
}

double FuelStick::Step(double hours, double tC, double rh, double solar, double rain) {
  static const double kTimeLag[4] = {1.0, 10.0, 100.0, 1000.0};
  // Radial diffusion in a unit cylinder whose slowest mode decays with the class's time lag.
  const double diff = 1.0 / (5.783 * kTimeLag[size_]);
  // The fuel surface runs warmer than the air in sunshine, with the same vapour pressure.
  double tf = tC + 0.017 * solar;
  double rhf = rh * SatVapour(tC) / SatVapour(tf);
  double boundary = EquilibriumMoisture(tf, rhf);
  if (rain > 0) boundary = std::max(boundary, size_ == 0 ? 0.60 : 0.35);
  const int nodes = count_;
  const double dr = 1.0 / (nodes - 1);
  const int steps = kStepsOfClass[size_];
  const double dt = hours / steps;
  for (int s = 0; s < steps; ++s) {
    // Backward Euler: a tridiagonal system for the inner nodes; the surface node is held.
    double lo[kMaxNodes], di[kMaxNodes], up[kMaxNodes], rhs[kMaxNodes];
    for (int j = 0; j < nodes - 1; ++j) {
      if (j == 0) {
        double k = 4.0 * diff * dt / (dr * dr);
        lo[j] = 0;
        di[j] = 1 + k;
        up[j] = -k;
      } else {
        double r = j * dr;
        double kp = diff * dt * (r + dr / 2) / (r * dr * dr), km = diff * dt * (r - dr / 2) / (r * dr * dr);
        lo[j] = -km;
        di[j] = 1 + kp + km;
        up[j] = -kp;
      }
      rhs[j] = nodes_[j];
    }
    rhs[nodes - 2] -= up[nodes - 2] * boundary;
    up[nodes - 2] = 0;
    for (int j = 1; j < nodes - 1; ++j) {
      double m = lo[j] / di[j - 1];
      di[j] -= m * up[j - 1];
      rhs[j] -= m * rhs[j - 1];
    }
    nodes_[nodes - 1] = boundary;
    for (int j = nodes - 2; j >= 0; --j) nodes_[j] = (rhs[j] - up[j] * (j < nodes - 2 ? nodes_[j + 1] : 0)) / di[j];
  }
  return Moisture();
}

std::vector<HourlyWeather> ConditioningWeather(const PyrvaneInputs& in, double* stationElev) {
  std::vector<HourlyWeather> out;
  if (!in.conditioningStart.Valid() || !in.conditioningEnd.Valid()) return out;
  double t0 = HourStamp(DayOfYear(in.conditioningStart.month, in.conditioningStart.day),
                        in.conditioningStart.hhmm / 100);
  double t1 = HourStamp(DayOfYear(in.conditioningEnd.month, in.conditioningEnd.day), in.conditioningEnd.hhmm / 100);
  if (t1 < t0) t1 += 365 * 24;  // over New Year
  if (t1 - t0 > 24.0 * 366) return out;
  struct Sample {
    double stamp;
    HourlyWeather w;
  };
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
  } else {
    return out;
  }
  std::stable_sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.stamp < b.stamp; });
  // Anchor the period at the first sample's year.
  if (samples.front().stamp > t0 + 24.0 * 180) t0 += 365 * 24.0, t1 += 365 * 24.0;
  if (samples.front().stamp > t0 + 1e-9 || samples.back().stamp + 24.0 < t1) return out;
  size_t k = 0;
  for (double t = t0; t <= t1 + 1e-9; t += 1.0) {
    while (k + 1 < samples.size() && samples[k + 1].stamp <= t + 1e-9) ++k;
    HourlyWeather w = samples[k].w;
    w.hour = std::fmod(t, 24.0);
    w.dayOfYear = static_cast<int>(std::fmod(std::floor(t / 24.0), 365.0)) + 1;
    out.push_back(w);
  }
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
      for (const auto& w : weather) {
        // Lapse the air to the cell with a constant dew point.
        double t = w.temperatureC + kLapseCPerM * (cells.elevationM[i] - stationElev);
        double rh = std::clamp(w.humidityPct * SatVapour(w.temperatureC) / SatVapour(t), 1.0, 100.0);
        solar = SolarRadiation(w.dayOfYear, w.hour, cells.latitudeDeg, cells.slopeDeg[i], cells.aspectDeg[i],
                               w.cloudPct, cells.coverPct[i]);
        for (int k = 0; k < 4; ++k) m[k] = sticks[k].Step(1.0, t, rh, solar, w.precipMm);
      }
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

}  // namespace engines

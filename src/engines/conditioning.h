#pragma once
// Dead fuel moisture conditioning: hourly weather lapsed to each cell, solar radiation on the
// cell's slope and aspect under cloud and canopy, and a cylindrical stick for each of the 1-,
// 10-, 100- and 1000-hour fuels that carries heat and bound water along its radius, with a
// sorption isotherm at its surface, exchange with the air, and rain.
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "engines/inputs_file.h"

namespace engines {

struct HourlyWeather {
  int dayOfYear = 1;       // 1-366 (no leap days: the inputs carry no year for daily files)
  double hour = 0;         // local hour 0-24
  double temperatureC = 20, humidityPct = 30, precipMm = 0, cloudPct = 0;
};

// The hourly weather of the conditioning period from the inputs file (weather stream, or daily
// weather and wind lines). Empty when the inputs do not cover the period.
std::vector<HourlyWeather> ConditioningWeather(const PyrvaneInputs& in, double* stationElevationM);

// Weather samples of the inputs in time order, each stamped in hours from the start of the first
// sample's year ((day of year - 1) x 24 + hour). Empty without a weather stream or daily weather.
struct StampedWeather {
  double stamp = 0;
  HourlyWeather w;
};
std::vector<StampedWeather> WeatherSamples(const PyrvaneInputs& in, double* stationElevationM);
// The stamp of a month, day and hhmm of a 365-day year.
double HourStampOf(int month, int day, int hhmm);
// The weather of the hour at stamp: the latest sample at or before it (the first before any),
// with the hour's own day and clock time.
HourlyWeather WeatherOfHour(const std::vector<StampedWeather>& samples, double stamp);

struct ConditioningCells {
  int count = 0;
  const float* elevationM = nullptr;
  const float* slopeDeg = nullptr;
  const float* aspectDeg = nullptr;
  const float* coverPct = nullptr;
  double latitudeDeg = 45;
};

struct ConditioningResult {
  std::vector<float> m1, m10, m100, m1000;  // fractions
  std::vector<float> solar;                // W/m2 at the last hour
  // When cells share their moistures by site: each cell's site (-1 none) and the number of sites.
  std::vector<std::int32_t> site;
  std::size_t sites = 0;
};

// Equilibrium moisture content (fraction) of the sticks' wood at temperature (C) and relative
// humidity (%): the isotherm m = c1 (-ln(1 - H))^c2, c1 = 0.1253 - 0.000396 T, c2 = 0.657, at most
// fibre saturation.
double EquilibriumMoisture(double temperatureC, double humidityPct);

// Solar radiation (W/m2) on a surface of given slope and aspect at the day and hour.
double SolarRadiation(int dayOfYear, double hour, double latitudeDeg, double slopeDeg, double aspectDeg,
                      double cloudPct, double coverPct);

// The air around a stick over one step.
struct StickAir {
  double temperatureC = 20, humidityPct = 30;
  double solarWm2 = 0;      // on the ground plane under the canopy
  double rainMm = 0;        // over the step
  double skyView = 0;       // share of the stick's view that is open sky (0: none, 0.5: bare ground)
  double cloudPct = 100;
};

// One stick of a size class (0: 1-h, 1: 10-h, 2: 100-h, 3: 1000-h), stepped hour by hour.
class FuelStick {
 public:
  static constexpr int kNodes = 11;
  FuelStick(int sizeClass, double initialMoisture);
  // Advances by hours under the given air; returns the mean moisture (fraction). Throws
  // std::invalid_argument when a value is not a number.
  double Step(double hours, const StickAir& air);
  // The same with no open sky (no long-wave loss): the surface sees air temperature all round.
  double Step(double hours, double temperatureC, double humidityPct, double solarWm2, double rainMm);
  double Moisture() const;
  double SurfaceTemperature() const { return temp_[kNodes - 1]; }

 private:
  void SubStep(double seconds, const StickAir& air, double rainRate, double vapourHpa);
  int size_;
  bool warmed_ = false;      // temperatures are set from the first air they see
  double moist_[kNodes];     // fraction, centre to surface
  double temp_[kNodes];      // C
  double vapourOut_ = 0;     // kg/m2/s leaving the surface in the last sub-step
};

// Dead fuel moistures carried hour by hour through a fire-growth run. Cells are grouped into
// sites of one elevation band, slope, aspect and cover class, whose sticks see the class's
// central values (flat sites face north), so the work grows with the sites, not the cells.
class HourlyConditioner {
 public:
  struct Classes {
    double elevationM = 20, slopeDeg = 5, aspectDeg = 15, coverPct = 10;
  };
  // Throws std::bad_alloc when memory runs out.
  HourlyConditioner(const ConditioningCells& cells, double stationElevationM, const double initial[4],
                    const Classes& classes);
  std::size_t Sites() const { return sites_.size(); }
  // Steps every site through one hour of weather; false when cancelled.
  bool Step(const HourlyWeather& w, int threads, const std::atomic<bool>& cancel);
  // Every cell's moistures (fractions) after the hours stepped so far, and the last hour's solar
  // radiation; cells without terrain are -9999.
  void Fill(ConditioningResult& out, int threads) const;

 private:
  struct Site {
    float elevationM, slopeDeg, aspectDeg, coverPct;
  };
  struct State {
    FuelStick sticks[4];
    double m[4];
    double solar = 0;
  };
  std::vector<std::int32_t> siteOf_;  // per cell, -1 without terrain
  std::vector<Site> sites_;
  std::vector<State> states_;
  double stationElevationM_, latitudeDeg_;
};

// Conditions every cell; initial moistures are fractions (the fuel-moisture file's default
// record). threads <= 0 uses all processors. Stops early (returning false) when cancel is set.
bool ConditionFuels(const ConditioningCells& cells, const std::vector<HourlyWeather>& weather,
                    double stationElevationM, const double initial[4], int threads,
                    const std::atomic<bool>& cancel, std::atomic<double>& progress, ConditioningResult& out);

}  // namespace engines

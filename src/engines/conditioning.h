#pragma once
// Dead fuel moisture conditioning: hourly weather lapsed to each cell, solar radiation on the
// cell's slope and aspect under cloud and canopy, and a stick model for 1-, 10-, 100- and
// 1000-hour fuels.
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
};

// Equilibrium moisture content (fraction) for temperature (C) and relative humidity (%).
double EquilibriumMoisture(double temperatureC, double humidityPct);

// Solar radiation (W/m2) on a surface of given slope and aspect at the day and hour.
double SolarRadiation(int dayOfYear, double hour, double latitudeDeg, double slopeDeg, double aspectDeg,
                      double cloudPct, double coverPct);

// One stick of a size class (0: 1-h, 1: 10-h, 2: 100-h, 3: 1000-h), stepped hour by hour.
class FuelStick {
 public:
  FuelStick(int sizeClass, double initialMoisture);
  // Advances by hours under the given surface conditions; returns the mean moisture (fraction).
  double Step(double hours, double temperatureC, double humidityPct, double solarWm2, double rainMm);
  double Moisture() const;

 private:
  int size_;
  int count_;        // radial nodes: more for thicker sticks, whose surface ring must stay thin
  double nodes_[24];
};

// Conditions every cell; initial moistures are fractions (the fuel-moisture file's default
// record). threads <= 0 uses all processors. Stops early (returning false) when cancel is set.
bool ConditionFuels(const ConditioningCells& cells, const std::vector<HourlyWeather>& weather,
                    double stationElevationM, const double initial[4], int threads,
                    const std::atomic<bool>& cancel, std::atomic<double>& progress, ConditioningResult& out);

}  // namespace engines

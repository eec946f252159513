#pragma once
// Diurnal slope flows for the terrain wind model: where the sun stands, how much the ground
// heats or cools the air, and the upslope (day) or downslope (night) wind that follows.
#include <vector>

#include "engines/wind_model.h"

namespace engines {

struct DiurnalSettings {
  int month = 1, day = 1, hour = 12, minute = 0, second = 0;
  int timeZone = 0;         // hours from UTC of the clock time
  double latitude = 0;      // degrees north
  double longitude = 0;     // degrees east (west negative)
  double airTempF = 75;
  double cloudPercent = 0;  // 0-100
};

struct SunPosition {
  double elevation = 0;  // degrees above the horizon
  double azimuth = 0;    // degrees clockwise from north
};

SunPosition SolarPosition(const DiurnalSettings& s);

// Sensible heat flux from the ground into the air, W/m2 (negative at night), on ground of the
// given slope (degrees) and aspect (azimuth the slope faces, degrees).
double SurfaceHeatFlux(const DiurnalSettings& s, const SunPosition& sun, double slopeDeg, double aspectDeg);

// Slope flow of every wind cell, m/s toward east and north.
void SlopeFlows(const WindTerrain& t, const DiurnalSettings& s, std::vector<double>& east, std::vector<double>& north);

}  // namespace engines

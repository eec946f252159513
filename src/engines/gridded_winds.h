#pragma once
// Generated gridded winds for a fire-behaviour run: the wind cells laid over the held grid,
// their terrain and vegetation from the landscape cells, the terrain wind model, and the wind
// of every landscape cell taken from the wind cell it lies in.
#include <atomic>
#include <string>
#include <vector>

#include "engines/inputs_file.h"

namespace engines {

// The held landscape grid and its cells in engine units.
struct HeldCells {
  int rows = 0, cols = 0;
  double west = 0, north = 0, cell = 0;
  const float* elevationM = nullptr;   // -9999 no data
  const float* vegetationM = nullptr;  // vegetation height
  double latitude = 0;
};

struct GeneratedWinds {
  int rows = 0, cols = 0, resolution = 0;
  double west = 0, south = 0;
  std::vector<float> speedMph, directionFrom;  // wind grid, row 0 north
  std::vector<float> cellSpeed, cellDirection; // per held cell
  int iterations = 0;
};

// kEngineOk, kErrCancelled, kErrMemory or kErrGenerateWinds with the reason in why.
int GenerateGriddedWinds(const HeldCells& held, const PyrvaneInputs& in, double speedMph, int threads,
                         const std::atomic<bool>& cancel, std::atomic<double>& progress, GeneratedWinds& out,
                         std::string& why);

}  // namespace engines

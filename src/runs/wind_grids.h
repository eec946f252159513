#pragma once
// A fire-growth run's gridded-wind layer set: one speed and one direction grid per wind step
// over a common raster, with each step's time and the wind that drove it. Saved as a
// multi-band GeoTIFF (speed and direction bands in turn) with an XML description.
#include <cstdint>
#include <string>
#include <vector>

class CEmbrith;

namespace runs {

struct WindGridSet {
  int count = 0;
  int columns = 0, rows = 0;
  double xll = 0, yll = 0, cellSize = 0;
  std::vector<std::vector<float>> speed;              // mph, row 0 northern
  std::vector<std::vector<std::int16_t>> direction;   // degrees
  std::vector<double> endTimes;
  std::vector<std::string> dateTimes;                 // at most 31 characters each
  std::vector<float> inputSpeeds;
  std::vector<std::int16_t> inputDirections;
  std::vector<std::string> inputSpeedUnits;

  void Free();
  // Allocates n steps of rows x columns cells.
  void Allocate(int n, int rows, int columns);
};

// Copies the engine's wind series; engine rows run from the south and are reversed.
// `streamUnits` is the weather stream's units (0 English, 1 Metric).
void StoreWindGrids(CEmbrith& engine, int streamUnits, WindGridSet& set);

// 1 on success; -1 when the set is empty or the landscape or its geotransform cannot be had, or
// a file cannot be written. Speeds are written in `windUnits` (0 mph, 1 km/h, 2 m/sec,
// 3 ft/min) with `decimals` for the input speeds.
int SaveWindGrids(const WindGridSet& set, const std::string& landscapePath, const std::string& tifPath,
                  const std::string& xmlPath, int windUnits, int decimals, std::string* why = nullptr);

// 1 on success; -1 the GeoTIFF cannot be opened or has no geotransform; -2 the description
// cannot be loaded or has no layers; -3 the layers read differ from the bands. Speeds come back
// in mph, converted from the unit each speed layer names. The set is empty on failure, and
// `why` names the file at fault and the reason.
int LoadWindGrids(const std::string& tifPath, const std::string& xmlPath, WindGridSet& set,
                  std::string* why = nullptr);

}  // namespace runs

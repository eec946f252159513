#pragma once
// Statistics of a raster theme's cells over a rectangular cell window.
#include <vector>

#include "themes/cell_window.h"

class CTheme;

class CThemeStats {
 public:
  CThemeStats() = default;
  virtual ~CThemeStats() = default;

  // Statistics of the theme's cells inside the window, in the theme's stored units.
  // Cells of -9999 (and NaN) count as no data; window cells outside the grid too.
  void Compute(const CTheme& theme, const CellWindow& window);
  // The same over the values of a grid of arrows (magnitudes or directions), read row-major
  // over the window, -9999 for no arrow. The arrow grid's cells are square with the side
  // (east - west) / window columns, which is the cell size for the whole grid.
  void ComputeArrowValues(const std::vector<float>& values, const CellWindow& window,
                          double east, double west, double north);

  // k < 1 gives percentile 1, k > 100 percentile 100.
  double GetPercentile(int k) const;

  int validCount = 0;
  int noDataCount = 0;
  int windowRows = 0, windowColumns = 0;
  double percentiles[100] = {};
  double maximum = 0, minimum = 0, median = 0, mode = 0, mean = 0, variance = 0, stdDev = 0;
  double windowEast = 0, windowWest = 0, windowNorth = 0, windowSouth = 0;

 private:
  void Summarise(std::vector<float>& valid, double sum);
};

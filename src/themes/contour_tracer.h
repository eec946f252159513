#pragma once
// Contour lines traced through a float grid, one level at a time.

#include <functional>
#include <string>
#include <vector>

struct fPoint {
  float x = 0, y = 0;
};

struct ContourLine {
  float maxX = 0, minY = 0, minX = 0, maxY = 0;
  float level = 0;
  std::vector<fPoint> points;
  void AddPoint(float x, float y);
};

// Row 0 is the northern row; a value equal to noData, NaN or -infinity has no data.
struct ContourGrid {
  const float* values = nullptr;
  int columns = 0, rows = 0;
  double west = 0, north = 0, cellWidth = 1, cellHeight = 1;
  float noData = -9999.0f;
};

// Levels k * interval for k from floor(min / interval) while not above max.
// An interval that is not above 0 (or would make an endless list) is refused
// with the reason in `error` and an empty result.
std::vector<double> ContourLevels(double minimum, double maximum, double interval, std::string* error);

// Traces every level, several levels at once on their own threads, the lines in level order.
// Only the calling thread asks `cancelled` (may be empty), between rows and levels, and tells
// `levelDone` (may be empty) how many levels are finished.
// Returns false when it answered true; the lines traced so far stay in `out`.
bool TraceContours(const ContourGrid& grid, const std::vector<double>& levels, std::vector<ContourLine>& out,
                   const std::function<bool()>& cancelled = {},
                   const std::function<void(std::size_t)>& levelDone = {});

// Keeps a line's first and last points and every point farther than minDistance
// (map units) from the last kept one.
void SimplifyContourLine(ContourLine& line, double minDistance);

#pragma once
// Lengths, perimeters and areas of the measure points in the units the user picks.
#include <string>
#include <vector>

struct dPoint;

namespace views {

// Unit lists of the measure window, in their order.
const std::vector<std::string>& LengthUnitNames();  // "meters", "feet", "kilometers", "miles"
const std::vector<std::string>& AreaUnitNames();    // "acres" ... "square kilometers"

// gridUnits: 0 metres, any other value feet. A unit index outside the list gives 0.
double LengthFactor(int gridUnits, int unitIndex);
double AreaFactor(int gridUnits, int unitIndex);

// Sum of the segments in map units; closed adds the segment back to the first point.
double PathLength(const std::vector<dPoint>& points, bool closed);
// Area of the ring in square map units (always positive); 0 under three points.
double RingArea(const std::vector<dPoint>& points);

struct MeasureTexts {
  std::string length;  // "%.2f"
  std::string area;    // "%.2f", or "0.0" for a line or under three points
};
MeasureTexts Measure(const std::vector<dPoint>& points, bool closedShape, int gridUnits,
                     int lengthUnit, int areaUnit);

}  // namespace views

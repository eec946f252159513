#pragma once
// What the point-attributes window lists at one map point of an analysis area: a
// "Landscape" table with every grid theme of the project, then one table per run of the
// area with its outputs, its ideal-landscape themes and, for a fire-growth run, its winds.
#include <string>
#include <vector>

class CPVN4Doc;
class CPyrvane2WorkArea;

namespace views {

struct PointRow {
  std::string name, value, units;  // value "N/A" where the theme has no data at the point
};
struct PointTable {
  std::string title;  // "Landscape", or the run's name
  std::vector<PointRow> rows;
};

// The tables at (x, y) in map units; none without an area.
std::vector<PointTable> PointAttributeTables(const CPVN4Doc& doc, const CPyrvane2WorkArea* area, double x, double y);

}  // namespace views

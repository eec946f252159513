#include "views/measure.h"

#include <cmath>

#include "platform/numbers.h"
#include "project/document.h"
#include "themes/polygon.h"

namespace views {

const std::vector<std::string>& LengthUnitNames() {
  static const std::vector<std::string> names{"meters", "feet", "kilometers", "miles"};
  return names;
}

const std::vector<std::string>& AreaUnitNames() {
  static const std::vector<std::string> names{"acres",    "square feet",   "square miles",
                                              "hectares", "square meters", "square kilometers"};
  return names;
}

double LengthFactor(int gridUnits, int unit) {
  // A foot is 0.3048000097536 m here, as the system has always converted it.
  static const double metres[] = {1, 3.28084, 0.001, 0.0006213712121212121};
  static const double feet[] = {0.3048000097536, 1, 0.0003048000097536,
                                0.00018939394545454546};
  if (unit < 0 || unit > 3) return 0;
  return gridUnits == 0 ? metres[unit] : feet[unit];
}

double AreaFactor(int gridUnits, int unit) {
  static const double metres[] = {0.000247105, 10.7639, 3.861e-07, 0.0001, 1, 1e-06};
  static const double feet[] = {2.29568312543618e-05, 1, 3.587e-08, 9.2903e-06, 0.092903,
                                9.2903e-08};
  if (unit < 0 || unit > 5) return 0;
  return gridUnits == 0 ? metres[unit] : feet[unit];
}

double PathLength(const std::vector<dPoint>& p, bool closed) {
  auto segment = [](const dPoint& a, const dPoint& b) {
    const double d2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    return d2 > 0 ? std::sqrt(d2) : 0.0;
  };
  double length = 0;
  for (std::size_t i = 1; i < p.size(); ++i) length += segment(p[i - 1], p[i]);
  if (closed && p.size() >= 2) length += segment(p.back(), p.front());
  return length;
}

double RingArea(const std::vector<dPoint>& p) {
  if (p.size() < 3) return 0;
  CPolygon ring;
  if (!ring.SetVertexCount(static_cast<int>(p.size()))) return 0;
  for (std::size_t i = 0; i < p.size(); ++i) ring.SetVertex(p[i].x, p[i].y, static_cast<int>(i));
  return std::fabs(ring.GetArea());
}

MeasureTexts Measure(const std::vector<dPoint>& points, bool closedShape, int gridUnits,
                     int lengthUnit, int areaUnit) {
  MeasureTexts t;
  const int units = gridUnits == 0 ? 0 : 1;
  t.length = platform::FormatC("%.2f", PathLength(points, closedShape) * LengthFactor(units, lengthUnit));
  if (closedShape && points.size() >= 3)
    t.area = platform::FormatC("%.2f", RingArea(points) * AreaFactor(units, areaUnit));
  else
    t.area = "0.0";
  return t;
}

}  // namespace views

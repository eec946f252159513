#pragma once
// Unit codes of landscape layers and the conversions into the fixed units of a landscape
// GeoTIFF (metres, whole degrees of slope, azimuth degrees, percent cover, tenths of metres,
// hundredths of kg/m^3).
//
// Unit codes, as GDAL's LCP driver names them:
//   elevation  0 metres, 1 feet
//   slope      0 degrees, 1 percent
//   aspect     0 GRASS categories (1-24 in 15-degree steps counter-clockwise from east,
//              category 1 = east, 25 flat), 1 GRASS degrees (counter-clockwise from east), 2 azimuth degrees
//   cover      0 classes 1-4, 1 percent
//   heights    1 metres, 2 feet, 3 metres x 10, 4 feet x 10
//   density    1 kg/m^3, 2 lb/ft^3, 3 kg/m^3 x 100, 4 lb/ft^3 x 1000
#include <cstdint>
#include <optional>

namespace landscape {

// 1 / 3.28: the factor the landscape tools have always used for feet to metres.
inline constexpr double kFeetToMetres = 0.3048780487804878;

struct CellRule {
  enum Kind {
    kCopy,              // negative -> nodata (elevation keeps negative heights)
    kScale,             // value x factor, truncated toward zero
    kPercentToDegrees,  // slope percent -> whole degrees, halves up
    kAzimuth,           // azimuth degrees; beyond 360 -> nodata
    kGrassDegrees,      // counter-clockwise from east -> azimuth
    kGrassCategories,   // categories -> azimuth
    kCoverClasses,      // 1-4 -> 25, 50, 75, 100
  } kind = kCopy;
  double factor = 1.0;
  bool keepNegative = false;  // elevation: below sea level is data
};

// The rule that turns values of a layer in the given unit code into the GeoTIFF's fixed
// units; nullopt for a code that has no meaning for the layer. Layers 8 and 9 never go into a
// landscape GeoTIFF and get nullopt.
std::optional<CellRule> RuleForLayer(int layerCode, int unitCode);

// Applies a rule to one value. Nodata (-9999) stays nodata, and so does a result outside
// 0..32767 (elevation: outside -32768..32767).
std::int16_t ApplyRule(const CellRule& rule, double value);

// Slope percent -> whole degrees, halves rounded up; a negative value gives nodata.
std::int16_t PercentToDegrees(double percent);
// An aspect in the given unit code as azimuth degrees 0-359; nodata when it has none.
double AspectToAzimuth(int unitCode, double value);
// Cover class 1-4 -> percent; other values unchanged.
double CoverClassToPercent(double value);

// What a stored cell of a layer stands for in its layer theme, whichever store holds it:
// -9999, and a negative value of any layer but elevation (below sea level is data), is
// nodata; aspect becomes azimuth degrees (nodata when out of range) and cover classes percent;
// every other layer keeps the value in its unit code.
float LayerCellValue(int layerCode, int unitCode, int stored);
// The unit code a layer theme holds after LayerCellValue: aspect 2, cover 1, else unitCode.
int LayerThemeUnits(int layerCode, int unitCode);

}  // namespace landscape

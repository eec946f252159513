#include "app/unit_tables.h"

const char* const UnitNames[kUnitNameCount] = {
    "Meters",    "Feet",         "Degrees",  "Percent",    "Radians",     "Class",
    "kg/m^3",    "10lb/ft^3",    "m/min",    "ft/min",     "kW/m",        "BTU/ft-s",
    "kJ/m^2",    "BTU/ft^2",     "W/m^2",    "mph",        "km/h",        "Mg/Ha",
    "Tons/Acre", "Chains/Hr",    "Fraction", "kg/m^3*100", "lb/ft^3",     "lb/ft^3*1000",
    "Frequency", "Minutes",      "kJ/min/m^2", "btu/min/ft^2", "m/sec",
};

#define LENGTH_UNITS {0, 1, -1}
#define SPEED_UNITS {8, 9, 19, -1}
#define WIND_UNITS {15, 16, 28, 9, -1}
#define CLASS_UNITS {5, -1}
#define FRACTION_UNITS {20, -1}
#define MOISTURE_UNITS {20, 3, -1}  // fraction as the engines give it, or percent
#define DEGREE_UNITS {2, -1}

const std::int16_t LayerTypeUnitCodes[44][kMaxUnitListLength] = {
    LENGTH_UNITS,        // 0 Elevation
    {2, 3, -1},          // 1 Slope
    DEGREE_UNITS,        // 2 Aspect
    CLASS_UNITS,         // 3 Fuel Model
    {3, -1},             // 4 Canopy Cover
    LENGTH_UNITS,        // 5 Stand Height
    LENGTH_UNITS,        // 6 Canopy Base Height
    {6, 21, 22, 23, -1}, // 7 Canopy Bulk Density
    {17, 18, -1},        // 8 Duff Loading
    CLASS_UNITS,         // 9 Coarse Woody Fuels
    CLASS_UNITS,         // 10 Generic Grid
    LENGTH_UNITS,        // 11 Flame Length
    SPEED_UNITS,         // 12 Rate of Spread
    {10, 11, -1},        // 13 Fireline Intensity
    {12, 13, -1},        // 14 Heat/Unit Area
    CLASS_UNITS,         // 15 Crown Fire Activity
    {14, -1},            // 16 Solar Radiation
    MOISTURE_UNITS,     // 17 1hr Fuel Moisture
    MOISTURE_UNITS,     // 18 10hr Fuel Moisture
    WIND_UNITS,          // 19 Midflame Windspeed
    SPEED_UNITS,         // 20 Horizontal Movement Rate
    {4, 2, -1},          // 21 Max Spread Direction
    SPEED_UNITS,         // 22 Elliptical Dimension a
    SPEED_UNITS,         // 23 Elliptical Dimension b
    SPEED_UNITS,         // 24 Elliptical Dimension c
    CLASS_UNITS,         // 25 MAXSPOT (Combined)
    MOISTURE_UNITS,     // 26 100hr Fuel Moisture
    MOISTURE_UNITS,     // 27 1000hr Fuel Moisture
    FRACTION_UNITS,      // 28 Crown Fraction Burned
    {15, 16, -1},        // 29 Torching Index
    {15, 16, -1},        // 30 Crowning Index
    DEGREE_UNITS,        // 31 MAXSPOT Direction
    LENGTH_UNITS,        // 32 MAXSPOT Distance
    DEGREE_UNITS,        // 33 Wind Direction
    WIND_UNITS,          // 34 Wind Speed
    SPEED_UNITS,         // 35 MTT ROS
    {24, -1},            // 36 MTT Node Influence
    {25, -1},            // 37 MTT Arrival Time
    {10, 11, -1},        // 38 MTT Fireline Intensity
    FRACTION_UNITS,      // 39 MTT Burn Probability
    CLASS_UNITS,         // 40 Treatment
    CLASS_UNITS,         // 41 Treat Opportunity
    CLASS_UNITS,         // 42 Ignition
    {26, 27, -1},        // 43 Embrith Reaction Intensity
};

const std::int16_t WindVectorUnitCodes[kWindVectorKindCount][kMaxUnitListLength] = {
    WIND_UNITS,   // wind
    SPEED_UNITS,  // spread
    LENGTH_UNITS, // spot
};

const char NumericEditPlaceholder[] = "1.1";
const int NumericEditPlaceholderLength = 3;

std::string BrowseInitialFolder;
std::string ArchiveBrowseInitialFolder;

namespace {

std::vector<int> ListOf(const std::int16_t* list) {
  std::vector<int> out;
  for (int i = 0; i < kMaxUnitListLength && list[i] >= 0; ++i) out.push_back(list[i]);
  return out;
}

const char* NameAt(const std::int16_t* list, int index) {
  if (index < 0) return "";
  for (int i = 0; i < kMaxUnitListLength && list[i] >= 0; ++i)
    if (i == index) return GetUnitName(list[i]);
  return "";
}

}  // namespace

const char* GetUnitName(int unitCode) {
  return unitCode >= 0 && unitCode < kUnitNameCount ? UnitNames[unitCode] : "";
}

std::vector<int> GetLayerTypeUnits(int layerType) {
  if (layerType < 0 || layerType >= 44) return {};
  return ListOf(LayerTypeUnitCodes[layerType]);
}

std::vector<int> GetWindVectorUnits(int kind) {
  if (kind < 0 || kind >= kWindVectorKindCount) return {};
  return ListOf(WindVectorUnitCodes[kind]);
}

const char* GetDisplayUnitsName(int layerType, int displayUnits) {
  if (layerType < 0 || layerType >= 44) return "";
  return NameAt(LayerTypeUnitCodes[layerType], displayUnits);
}

const char* GetWindVectorUnitsName(int kind, int unitsIndex) {
  if (kind < 0 || kind >= kWindVectorKindCount) return "";
  return NameAt(WindVectorUnitCodes[kind], unitsIndex);
}

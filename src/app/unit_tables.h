#pragma once
// Constant unit tables shared by legends, preferences and the rule dialog.
// A unit code is an index into UnitNames. A theme's "display units" is a position in the
// unit list of its layer type (or wind-vector kind), never the unit code itself.
#include <cstdint>
#include <string>
#include <vector>

constexpr int kUnitNameCount = 29;
constexpr int kWindVectorKindCount = 3;  // 0 wind, 1 spread, 2 spot
// Longest unit list plus its terminating -1.
constexpr int kMaxUnitListLength = 5;

extern const char* const UnitNames[kUnitNameCount];
// Per layer type 0-43: unit codes in display order, ended by -1.
extern const std::int16_t LayerTypeUnitCodes[44][kMaxUnitListLength];
// Per wind-vector kind 0-2: unit codes in display order, ended by -1.
extern const std::int16_t WindVectorUnitCodes[kWindVectorKindCount][kMaxUnitListLength];

// The number placeholder of numeric edit patterns ("1.1" and its length).
extern const char NumericEditPlaceholder[];
extern const int NumericEditPlaceholderLength;

// Program-wide folder presets of the two folder browsers (empty at load).
extern std::string BrowseInitialFolder;
extern std::string ArchiveBrowseInitialFolder;

// Name of a unit code, "" outside 0-28.
const char* GetUnitName(int unitCode);
// Unit codes offered for a layer type (empty outside 0-43).
std::vector<int> GetLayerTypeUnits(int layerType);
// Unit codes offered for a wind-vector kind (empty outside 0-2).
std::vector<int> GetWindVectorUnits(int kind);
// Name of a layer type's display-units index; "" when the index is outside its list.
const char* GetDisplayUnitsName(int layerType, int displayUnits);
const char* GetWindVectorUnitsName(int kind, int unitsIndex);

#pragma once
// What the statistics sheet shows of a raster theme over a cell window: the summary and
// percentiles as text, and the cells counted in each class of its legend with their areas.
#include <string>
#include <vector>

#include "themes/cell_window.h"

class CTheme;
class CThemeLegendData;
class CThemeStats;

// The General page's text, lines ended by CR LF; values in the legend's display units and
// the window's corner named as the projection names its coordinates.
std::string ThemeGeneralText(const CTheme& theme, const CThemeLegendData& legend, const CThemeStats& stats,
                             const std::string& projection);

// Cells of a window counted per class: class 0 is no data, class i the legend's entry i.
// A cell belongs to the first class whose value is not below it (the last class above all).
struct ThemeClassCounts {
  std::vector<float> values;  // display units; class 0 holds the theme's no-data value
  std::vector<long> counts;
  std::vector<long> exact;  // cells equal to the class value
};
ThemeClassCounts CountThemeClasses(const CTheme& theme, const CThemeLegendData& legend, const CellWindow& window);

// Area units of the Classes page.
enum AreaUnit { kHectares = 0, kAcres = 1 };
// Area of one square map unit in the area unit, for landscape grid units 0 (metres) or 1 (feet).
double AreaFactor(int gridUnits, int areaUnit);
const char* AreaUnitName(int areaUnit);

// One row of the Classes table as shown: value (or "No Data"), count, exact matches, area.
struct ThemeClassRow {
  std::string value, count, exact, area;
};
std::vector<ThemeClassRow> ThemeClassRows(const CTheme& theme, const CThemeLegendData& legend,
                                          const ThemeClassCounts& counts, int gridUnits, int areaUnit);
// The Classes file: a header naming theme, units and area unit, then one line per class.
std::string ThemeClassesCsv(const std::string& themeName, const std::string& unitsName, int areaUnit,
                            const std::vector<ThemeClassRow>& rows);

// Writes text atomically; false, with "Error opening <path> as output" (classes) or the
// system's reason (general text) shown, when it cannot be written.
bool SaveStatisticsText(const std::string& path, const std::string& text, bool classes);

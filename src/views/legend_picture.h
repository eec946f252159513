#pragma once
// What the legend window shows, as plain values taken from the project, and its two
// pictures drawn with cairo: the window's rows (labels and swatches, then a sample per
// visible vector theme) and the picture "Save as..." writes.
#include <string>
#include <vector>

#include "platform/image.h"
#include "themes/color_ramp.h"

class CPVN4Doc;
class CContourTheme;
class CThemeLegendData;
class CVectorTheme;
class CWindVectorTheme;

namespace views {

struct LegendVectorSample {
  CVectorTheme* theme = nullptr;
  std::string name;
  int shapeType = 0;
  COLORREF colour = 0;
  int style = 0;  // line style, or the point symbol for point types
  int width = 1;  // pen width, or the point size for point types
};

struct LegendClass {
  std::string label;
  COLORREF colour = 0;
};

struct LegendContourSample {
  CContourTheme* theme = nullptr;
  std::string name;
  std::string interval;  // the interval and its unit, "50 Meters"
  COLORREF colour = 0;
  int style = 0;
  int width = 1;
};

// A visible arrow theme's classes, drawn as arrows of the legend's line width.
struct LegendArrowColumn {
  CWindVectorTheme* theme = nullptr;
  std::string name;
  std::vector<LegendClass> classes;
  int lineWidth = 1;
};

struct LegendContent {
  bool empty = true;  // no visible raster theme, or no legend for it in the current area
  std::string themeName;
  std::string unitsName;
  std::string maxLabel;  // the legend's maximum in display units, as a label
  std::vector<LegendClass> classes;
  std::vector<LegendVectorSample> vectors;  // visible vector themes in draw order
  std::vector<LegendContourSample> contours;  // visible contour themes in draw order, after them
  std::vector<LegendArrowColumn> arrows;      // visible arrow themes, a column each (not saved)
};

// A contour interval with its unit: whole numbers without decimals, others without
// trailing zeros.
std::string ContourIntervalText(double interval, const std::string& unit);

// A value with the legend's decimal places and a trailing blank ("12.500 ").
std::string LegendValueLabel(double value, int decimals);
// "No Data" for class 0, else the class value as the legend stores it.
std::string LegendClassLabel(const CThemeLegendData& legend, int index);
// The visible theme's legend in the current area and the visible vector themes.
LegendContent CollectLegend(const CPVN4Doc& doc);
bool IsPointShape(int shapeType);

// Rows of the window: label, swatch; a second column of vector and contour samples beside
// them, then a column per arrow theme.
struct LegendBox {
  int x = 0, y = 0, width = 0, height = 0;
};
struct LegendRowsLayout {
  int rowHeight = 0;   // H
  int labelWidth = 0;  // W
  int swatchLeft = 0, swatchRight = 0;
  int firstRowTop = 0;
  int secondColumnLeft = 0;        // of the vector and contour samples
  std::vector<int> arrowColumnLefts;
  std::vector<LegendBox> titles;  // each vector theme's title, then each contour theme's
};
// `title` is the least room a vector or contour title needs (the window puts a button there);
// the column widens to its widest title, so no title reaches into the classes.
platform::Image DrawLegendRows(const LegendContent& content, LegendRowsLayout* layout = nullptr,
                               LegendBox title = {});
// The picture of "Save as...": the theme's name and units above the rows, the vector samples
// in a second column.
platform::Image DrawLegendPicture(const LegendContent& content, LegendRowsLayout* layout = nullptr);

}  // namespace views

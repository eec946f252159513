#pragma once
// Contour lines of a raster theme at one interval, drawn over the map like a vector theme:
// made by the Contour command (then thinned) and by travel-time runs from their arrival
// grid. Files: the own binary contour file and a shapefile of arcs with "ENTITY" and "VALUE".
#include <string>
#include <vector>

#include "themes/color_ramp.h"  // COLORREF
#include "themes/contour_tracer.h"

class CTheme;
class CThemeLegendData;
namespace platform {
class Canvas;
class ProgressSink;
}  // namespace platform

class CContourTheme {
 public:
  CContourTheme() = default;
  CContourTheme(const CContourTheme&) = delete;
  CContourTheme& operator=(const CContourTheme&) = delete;

  // Traces the source's cells (in the legend's display units when a legend is given) at
  // every multiple of the interval within their range; pen from the layer type's
  // preferences. False when the progress sink asked to cancel, or, with the reason in
  // error, when the interval cannot be traced.
  bool Create(CTheme* source, float interval, const CThemeLegendData* legend,
              platform::ProgressSink* progress, std::string* error = nullptr);
  // Keeps each line's ends and every point farther than minDistance (map units) from the
  // last kept one. False when the sink asked to cancel (lines not reached stay as they were).
  bool Simplify(double minDistance, platform::ProgressSink* progress);

  // Onto the map image whose origin is the rectangle's top-left corner.
  void Draw(platform::Canvas& canvas, double west, double north, double east, double south,
            int left, int top, int right, int bottom) const;

  // The own binary file; false, with "Error opening %s" shown, when it cannot be written.
  bool SaveThemeFile(const std::string& path) const;
  // 1 when read; 0 when the file cannot be opened (quietly) or is damaged (with a message
  // naming the file and what is wrong). A contour read from a file has no source theme.
  int LoadThemeFile(const std::string& path);
  int LoadThemeBytes(const std::string& bytes, const std::string& nameForMessages);
  std::string ThemeBytes() const;
  // Arcs with "ENTITY" (record number) and "VALUE" (level), and a ".prj" with a projection.
  // False, with the reason shown, when not everything could be written.
  bool SaveShapefile(const std::string& path, const std::string& projection) const;

  int units = 0;  // unit code of the levels
  float interval = 0;
  CTheme* sourceTheme = nullptr;  // not owned
  std::string name = "Contour";
  std::vector<ContourLine> lines;
  int lineWidth = 1;
  int lineStyle = 0;
  COLORREF color = 0x00C80000;  // dark blue
  bool visible = true;
  double north = 0, east = 0, south = 0, west = 0;
  float maxValue = -9999.0f, minValue = -9999.0f;
};

// The interval the Contouring dialog offers for a range of values: a power of ten near a
// tenth of the range, or a tenth of the range when that would leave fewer than two levels.
double DefaultContourInterval(double range);

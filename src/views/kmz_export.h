#pragma once
// KMZ files for a virtual globe: a run (its parameters, the landscape layers of its area, its
// ideal landscape, its overlays and output grids) or the landscape layers of one analysis
// area. The archive holds "doc.kml" and the PNG images it names under "Images/". Rasters are
// warped to WGS84 longitude and latitude (nearest neighbour) and painted through their legends.
// Everything is built in memory; the file appears only when the archive is complete.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/image.h"
#include "themes/cell_window.h"

class CPVN4Doc;
class CPyrvane2WorkArea;
class CRun;
class CTheme;
class CThemeLegendData;
class CWindVectorTheme;
class CWVLegendData;

namespace views {

// ---- the commands ----
// The file the commands write: asked for (with a question before overwriting one), ".kmz"
// added to a name without an extension. Without a projection the refusal is shown and
// nothing is asked. nullopt when refused or cancelled.
std::optional<std::string> ChooseKmzPath(const CPVN4Doc& doc);

// ---- the writers ----
// True when the file was written. Otherwise the reason is in error (naming the file or the
// theme) and any earlier file at the path is left as it was.
bool WriteRunKmz(CPVN4Doc& doc, CRun& run, const std::string& path, std::string& error);
bool WriteLandscapeKmz(CPVN4Doc& doc, CPyrvane2WorkArea& area, const std::string& path,
                       std::string& error);

// ---- pieces ----
// The text with & " > < replaced by entities; invalid UTF-8 bytes become '?' and control
// characters other than tab and line feed are dropped, so the result is always valid XML.
std::string XmlEscape(const std::string& text);
// A file name for a theme inside "Images/": blanks removed, anything but letters, digits,
// '-', '_', '.', '(' and ')' replaced by '_', never empty and never a path.
std::string SafeEntryStem(const std::string& name);

// A raster warped to WGS84 and painted: transparent where the value is -9999, not a number or
// one of the transparent values; bounds in degrees.
// A raster overlay as its PNG file's bytes: a palette of the legend's colours, the clear
// values transparent.
struct KmzOverlay {
  std::string png;
  int width = 0, height = 0;
  double west = 0, east = 0, south = 0, north = 0;
};
// False, with the reason in error, when the theme cannot be warped.
bool MakeKmzOverlayImage(KmzOverlay& out, const CTheme& theme, const CThemeLegendData* legend,
                         const std::string& projection, const std::vector<float>& transparent,
                         std::string& error);
// The legend with the number of cells of each class inside the window (display units).
platform::Image MakeKmzLegendImage(const CTheme& theme, const CThemeLegendData& legend,
                                   const CellWindow& window);
// The arrow legend with the number of arrows of each class (display units).
platform::Image MakeKmzArrowLegendImage(const CWindVectorTheme& theme, const CWVLegendData& legend);
// The values an output grid of this layer type leaves transparent besides -9999.
std::vector<float> TransparentValuesOf(int layerType);
// The spacing of KMZ arrows, in map units, from the side of a square holding one
// ten-thousandth of the theme's area.
double ArrowInterval(double side);

}  // namespace views

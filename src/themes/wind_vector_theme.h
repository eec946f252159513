#pragma once
// Arrows over the map: wind (kind 0), fire spread (kind 1) and the longest ember flight
// (kind 2). A theme is either a grid of arrows sampled from raster themes (the outputs of a
// run) or a list of points read from a shapefile with speed and direction attributes. Each
// theme's legend (themes/wv_legend.h) gives every arrow its colour and relative length.
#include <cstdint>
#include <string>
#include <vector>

#include "themes/color_ramp.h"
#include "themes/theme_stats.h"

class CTheme;
class CWVLegendData;
namespace platform {
class Canvas;
}

// One arrow. Wind and spread directions are the compass direction the arrow comes from,
// spot directions the one it points to; the magnitude is in the kind's base unit (mph,
// m/min, metres). -9999 in either means no arrow.
struct CWindVectorCell {
  float x = 0, y = 0;
  std::int32_t direction = -9999;
  float magnitude = -9999.0f;
  bool IsValid() const { return direction != -9999 && magnitude != -9999.0f; }
};
static_assert(sizeof(CWindVectorCell) == 16, "arrow records are 16 bytes");

// One arrow in image pixels, as it is stroked: the shaft from tail to tip, then the two
// barbs from the tip.
struct ArrowStroke {
  int tailX = 0, tailY = 0, tipX = 0, tipY = 0;
  int barb1X = 0, barb1Y = 0, barb2X = 0, barb2Y = 0;
  COLORREF colour = 0;
  int penWidth = 1;
  double tailSX = 0, tailSY = 0;  // the tail before truncation
  double magnitude = 0;           // base unit, for the label
};

class CWindVectorTheme {
 public:
  CWindVectorTheme();
  CWindVectorTheme(const CWindVectorTheme&) = delete;
  CWindVectorTheme& operator=(const CWindVectorTheme&) = delete;

  // ---- builders: the caller sets the kind, calls one builder on a new theme, then names it.
  // True when at least one valid arrow was made. A grid too large for memory gives false
  // with the reason in Error().
  // Directions in degrees from the direction grid, speeds sampled from the speed grid.
  bool CreateWindVectors(const CTheme* direction, const CTheme* speed);
  // Directions in radians (the way fire spreads), turned to where the fire comes from;
  // magnitudes the sum of the two ellipse-dimension grids.
  bool CreateSpreadVectors(const CTheme* direction, const CTheme* first, const CTheme* second);
  // Cells packing the ember distance (integer part) and direction in radians / 10 (fraction).
  bool CreateSpotVectors(const CTheme* spot);
  // Directions in degrees of where the fire goes, turned by 180.
  bool CreateWindVectorsReversed(const CTheme* direction, const CTheme* magnitude);
  // The frame the builders share: one arrow per cell of the iteration grid, at its centre,
  // every arrow starting as none; fill(arrow) sets direction and magnitude from arrow.x/y.
  // Counts, extremes and statistics follow. The gridded flag is set on success.
  template <class Fill>
  bool BuildOnGrid(const CTheme& grid, Fill&& fill) {
    if (!StartGrid(grid)) return false;
    for (CWindVectorCell& cell : cells) fill(cell);
    return FinishGrid();
  }

  // ---- values ----
  double ConvertUnits(double value, int from, int to) const;
  // Under a map point of a grid theme, -9999 outside it or for a point theme: the magnitude
  // in the legend's display units (base unit without a legend), the direction in degrees.
  double GetMagnitudeAt(double x, double y, const CWVLegendData* legend) const;
  double GetDirectionAt(double x, double y) const;
  // Row 0 is the southern row; null outside the grid.
  const CWindVectorCell* Cell(int row, int column) const;
  // An identity no later theme shares, even one made at the same address.
  std::uint64_t Serial() const { return serial_; }
  const std::string& Error() const { return error_; }

  // ---- shapefiles ----
  // A point theme from a point shapefile with a speed field ("Windspd", "mph", "m/min",
  // "ft/min", "ch/hr", "speed") and a direction field ("Winddir", "SOURCE_AZI", "dir"), keeping
  // the points inside the clip rectangle. False when it cannot be read: an unreadable
  // shapefile with the reason in Error() (the caller says it), the attribute problems with
  // their message.
  bool LoadShapefile(const std::string& path, double clipWest, double clipEast, double clipNorth,
                     double clipSouth);
  // The valid arrows of the grid as points with "ENTITY", "SOURCE_AZI", "AMAP_AZI" and the
  // magnitude in the legend's units, named after them; a ".prj" with a projection. Written
  // whole or not at all: false with the reason in error.
  bool SaveShapefile(const std::string& path, const std::string& projection,
                     const CWVLegendData* legend, std::string* error) const;
  // The name of the magnitude field for a display-units index.
  std::string UnitsFieldName(int units) const;

  // ---- drawing ----
  // The arrows to stroke on an image of width x height pixels showing the map rectangle,
  // in drawing order; exaggeration widens pens and lengthens heads.
  std::vector<ArrowStroke> ArrowsToDraw(const CWVLegendData& legend, double west, double north,
                                        double east, double south, int width, int height,
                                        double exaggeration) const;
  // The spacing of drawn grid arrows: every (skip + 1)-th row and column, and the unit
  // length in pixels of a relative length of 1.
  void GridThinning(const CWVLegendData& legend, double pixelsPerMapUnit, int& skip,
                    double& unitLength) const;
  void Draw(platform::Canvas& canvas, const CWVLegendData& legend, double west, double north,
            double east, double south, int width, int height, double exaggeration) const;

  // ---- fields ----
  std::string name;
  double north = 0, east = 0, south = 0, west = 0;
  int count = 0;  // valid arrows of a grid, points of a point theme
  std::vector<CWindVectorCell> points;  // point themes
  std::vector<CWindVectorCell> cells;   // grid themes: rows x columns, row 0 southern
  int rows = 0, columns = 0;
  std::string sourcePath;
  std::string directionGridFile, speedGridFile;
  bool visible = false;
  float minMagnitude = 0, maxMagnitude = 0;
  double cellSize = 0;
  bool gridded = false;
  bool spread = false;
  bool spot = false;
  double clipWest = 0, clipEast = 0, clipNorth = 0, clipSouth = 0;
  CThemeStats magnitudeStats, directionStats;
  int kind = 0;
  int exportUnits = 0;

 private:
  bool StartGrid(const CTheme& grid);
  bool FinishGrid();

  std::uint64_t serial_;
  std::string error_;
};

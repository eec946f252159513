#pragma once
// A layer of points, lines or polygons drawn over the map: shapes read from a shapefile, the
// perimeters, travel paths and spot fires of runs, and fire-growth perimeters with their
// times. The theme carries its own pens (line styles from themes/line_style.h) and a visible
// flag; the document draws visible themes over the raster image in draw-priority order.
//
// Files: the own binary theme file (the project keeps one per theme) and the shapefile export
// with an attribute table chosen by what the theme holds. Readers check every count against
// the file's size; writers go through a temporary file and a rename.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "themes/color_ramp.h"  // COLORREF

namespace platform {
class Canvas;
}
class CPerimeter;
class CMTTSpots;
class CEmbrithSpots;

// Shape types as shapefiles number them.
namespace shape_type {
constexpr int kNull = 0, kPoint = 1, kArc = 3, kPolygon = 5, kMultiPoint = 8;
}
bool IsPointType(int type);    // 1, 8, 11, 18, 21, 28
bool IsArcType(int type);      // 3, 13, 23
bool IsPolygonType(int type);  // 5, 15, 25

// One shape: parts of a run of vertices each (x, y, z, m), with its bounding box.
struct VectorShape {
  int type = 0;
  std::vector<int> partStart{0};  // first vertex of each part, ascending
  std::vector<double> x, y, z, m;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;

  // One part of n vertices; z may be null (all 0).
  static std::unique_ptr<VectorShape> Simple(int type, int n, const double* x, const double* y,
                                             const double* z);
  int VertexCount() const { return static_cast<int>(x.size()); }
  int PartCount() const { return x.empty() ? 0 : static_cast<int>(partStart.size()); }
  // Vertices [begin, end) of part p.
  void PartRange(int p, int& begin, int& end) const;
  void ComputeBounds();
};

// One fire of a random-ignition minimum-travel-time run.
struct FireSizeRecord {
  std::int32_t fireNumber = -1;
  double ignitionX = 0, ignitionY = 0;
  double fireSize = -1.0;  // acres
  bool operator==(const FireSizeRecord&) const = default;
};

// The month, day and end hour (hour + 1 of the last burning hour) of a fire-growth burn period.
struct PerimeterPeriod {
  int month = 0, day = 0, endHour = 0;
};

// Fire types of fire-growth perimeters.
constexpr int kExpandingFire = 1, kEnclaveFire = 2, kBarrierFire = 3;

class CVectorTheme {
 public:
  CVectorTheme();  // display properties from the application's vector preferences
  ~CVectorTheme();
  CVectorTheme(const CVectorTheme&) = delete;
  CVectorTheme& operator=(const CVectorTheme&) = delete;

  // ---- filling: each returns 1 on success, 0 on failure, once on a new theme ----
  // A shapefile, reprojected to the project's projection (WKT; "" for none) when its ".prj"
  // names another. Failures are shown, naming the file.
  int LoadShapefile(const std::string& path, const std::string& projection);
  // A fire-growth perimeter shapefile: as above without rewinding rings, then its "Month",
  // "Day", "Hour", "Elapsed_Mi" and "Fire_Type" fields. Without them the theme holds plain
  // polygons and says so.
  int LoadEmbrithPerimeters(const std::string& path, const std::string& projection);
  // Arcs from point lists (x, y pairs); shape k gets z = k + 1.
  int CreateFromLineList(const std::string& name, double east, double west, double south,
                         double north, const std::vector<std::vector<double>>& lists);
  // One polygon per perimeter line (null perimeters skipped), fire index per shape, the
  // records taken over; coincident vertices are pulled apart by resolution x 0.01.
  int CreateFromPerimeters(const std::string& name, CPerimeter* const* perimeters,
                           std::vector<FireSizeRecord> records, int count, double resolution);
  int CreateFromTravelTimeSpots(const std::string& name, const CMTTSpots* spots);
  int CreateFromEmbrithSpots(const std::string& name, const CEmbrithSpots* spots);

  // ---- perimeters ----
  // Rebuilds the display list from the display mode and interval, the run's time step in
  // minutes and its burn periods. No-op without perimeter attributes.
  void FilterPerimeters(double timeStepMinutes, const std::vector<PerimeterPeriod>& periods);
  void ComputePerimeterAreas();
  // Acres of all polygons (holes subtract); 0 for other shape types.
  double GetTotalArea() const;

  // ---- queries and conversion ----
  bool HasVertexInRect(double minX, double maxX, double minY, double maxY) const;
  // rows x columns cells (row 0 north) burning the field's value (or the shape index when the
  // table lacks the field) inside outer rings; holes clear to -9999. Reads the source table
  // read-only; without it every cell is -9999.
  std::vector<float> RasterizePolygons(const std::string& field, double cellSize, double south,
                                       double north, double west, double east, int& rows,
                                       int& columns) const;
  // The source table's fields that can be burnt into a grid (integer, double or logical), in
  // table order; empty when the table cannot be opened.
  std::vector<std::string> RasterFieldNames() const;

  // ---- drawing, on the map image whose origin is the rectangle's top-left corner ----
  void Draw(platform::Canvas& canvas, double west, double north, double east, double south,
            int left, int top, int right, int bottom) const;
  void DrawPerimeters(platform::Canvas& canvas, double west, double north, double east,
                      double south, int left, int top, int right, int bottom) const;

  // ---- files ----
  // The own binary file; false, with "Error opening %s" shown, when it cannot be written.
  bool SaveThemeFile(const std::string& path) const;
  // The kind flags must be set first. 1 when read, 0 when the file cannot be opened (quietly)
  // or is damaged (with a message naming the file and what is wrong).
  int LoadThemeFile(const std::string& path, bool readFireIndex);
  // The same from bytes already in memory (the project's embedded copy).
  int LoadThemeBytes(const std::string& bytes, const std::string& nameForMessages,
                     bool readFireIndex);
  std::string ThemeBytes() const;
  // ".shp", ".shx", ".dbf" and, with a projection, ".prj". False, with the reason shown, when
  // nothing or not everything could be written.
  bool SaveShapefile(const std::string& path, const std::string& projection) const;

  int ShapeCount() const { return static_cast<int>(shapes.size()); }

  // ---- fields ----
  std::string name;
  std::string sourcePath;
  double north = 0, east = 0, south = 0, west = 0;
  int shapeType = 0;
  std::vector<std::unique_ptr<VectorShape>> shapes;  // an entry may be null
  int lineWidth = 1, lineStyle = 0;
  COLORREF lineColor = 0;
  int pointSymbol = 0;  // 0 circle, 1 triangle, 2 square
  COLORREF pointColor = 0;
  int pointSize = 3;
  int polygonStyle = 0;
  COLORREF polygonColor = 0;
  int polygonWidth = 1;
  bool visible = true;
  std::vector<FireSizeRecord> fireSizeRecords;  // empty: none
  std::vector<std::int32_t> fireIndex;           // per shape; empty: none
  bool hasPerimeterAttributes = false;
  // Per shape, present with perimeter attributes.
  std::vector<double> elapsedMinutes;
  std::vector<std::int32_t> month, day, hour, fireType;
  std::vector<double> area;  // acres of expanding fires, else 0
  std::vector<int> displayList;
  int perimeterDisplayMode = 0;  // 0 all, 1 every Nth step, 2 burn-period ends, 3 final
  int perimeterInterval = 1;
  std::unique_ptr<CMTTSpots> travelTimeSpots;
  std::unique_ptr<CEmbrithSpots> embrithSpots;
  bool hasTravelTimeSpots = false;
  bool hasEmbrithSpots = false;

 private:
  int ReadShapefile(const std::string& path, const std::string& projection, bool rewind);
  bool ReadPerimeterAttributes(const std::string& path);
};

// Symbol names in index order and the line-style-free names of the point symbols.
std::string GetPointSymbolName(int symbol);

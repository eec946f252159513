#include "themes/vector_theme.h"

#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include <cpl_string.h>
#include <ogr_spatialref.h>

#include "app/application.h"
#include "engines/embrith_engine.h"
#include "engines/mtt_engine.h"
#include "platform/image.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "themes/line_style.h"
#include "themes/polygon.h"
#include "themes/shapefile_writer.h"
#include "themes/theme.h"

namespace {

constexpr double kAcresPerSquareMetre = 0.000247105;

std::unique_ptr<VectorShape> FromShpObject(const SHPObject& o) {
  auto s = std::make_unique<VectorShape>();
  s->type = o.nSHPType;
  const int n = std::max(o.nVertices, 0);
  s->x.assign(o.padfX, o.padfX + n);
  s->y.assign(o.padfY, o.padfY + n);
  if (o.padfZ) s->z.assign(o.padfZ, o.padfZ + n);
  else s->z.assign(static_cast<std::size_t>(n), 0.0);
  if (o.padfM) s->m.assign(o.padfM, o.padfM + n);
  else s->m.assign(static_cast<std::size_t>(n), 0.0);
  s->partStart.clear();
  for (int p = 0; p < o.nParts; ++p) s->partStart.push_back(std::clamp(o.panPartStart[p], 0, n));
  if (s->partStart.empty()) s->partStart.push_back(0);
  std::sort(s->partStart.begin(), s->partStart.end());
  s->minX = o.dfXMin;
  s->minY = o.dfYMin;
  s->maxX = o.dfXMax;
  s->maxY = o.dfYMax;
  return s;
}

// A ring of one part, for areas and inside tests.
CPolygon RingOf(const VectorShape& s, int part) {
  int b = 0, e = 0;
  s.PartRange(part, b, e);
  CPolygon ring;
  ring.SetVertexCount(e - b);
  for (int i = b; i < e; ++i) ring.SetVertex(s.x[static_cast<std::size_t>(i)], s.y[static_cast<std::size_t>(i)], i - b);
  return ring;
}

// The reprojection wanted for a shapefile, or null.
std::unique_ptr<OGRCoordinateTransformation> ShapefileTransform(const std::string& path,
                                                                const std::string& projection) {
  if (projection.empty() || projection == "[\"null\"]" || projection == "(null)") return nullptr;
  const std::string prj = platform::ReplaceExtension(path, ".prj");
  std::FILE* f = std::fopen(prj.c_str(), "r");
  if (!f) return nullptr;
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof line, f) != nullptr;
  std::fclose(f);
  if (!read || line[0] == '\0' || projection == line) return nullptr;
  OGRSpatialReference target, source;
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (target.SetFromUserInput(projection.c_str()) != OGRERR_NONE) return nullptr;
  char** lines = CSLLoad(prj.c_str());
  const OGRErr err = lines ? source.importFromESRI(lines) : OGRERR_FAILURE;
  CSLDestroy(lines);
  if (err != OGRERR_NONE) return nullptr;
  if (source.IsSame(&target)) return nullptr;
  return std::unique_ptr<OGRCoordinateTransformation>(OGRCreateCoordinateTransformation(&source, &target));
}

}  // namespace

bool IsPointType(int t) { return t == 1 || t == 8 || t == 11 || t == 18 || t == 21 || t == 28; }
bool IsArcType(int t) { return t == 3 || t == 13 || t == 23; }
bool IsPolygonType(int t) { return t == 5 || t == 15 || t == 25; }

std::string GetPointSymbolName(int symbol) {
  static const char* const names[] = {"Circle", "Triangle", "Square"};
  return symbol >= 0 && symbol < 3 ? names[symbol] : names[0];
}

// ---- VectorShape ----

std::unique_ptr<VectorShape> VectorShape::Simple(int type, int n, const double* px, const double* py,
                                                 const double* pz) {
  auto s = std::make_unique<VectorShape>();
  s->type = type;
  n = std::max(n, 0);
  s->x.assign(px, px + n);
  s->y.assign(py, py + n);
  if (pz) s->z.assign(pz, pz + n);
  else s->z.assign(static_cast<std::size_t>(n), 0.0);
  s->m.assign(static_cast<std::size_t>(n), 0.0);
  s->ComputeBounds();
  return s;
}

void VectorShape::PartRange(int p, int& begin, int& end) const {
  const int n = VertexCount();
  begin = p >= 0 && p < static_cast<int>(partStart.size()) ? partStart[static_cast<std::size_t>(p)] : n;
  end = p + 1 < static_cast<int>(partStart.size()) ? partStart[static_cast<std::size_t>(p) + 1] : n;
  begin = std::clamp(begin, 0, n);
  end = std::clamp(end, begin, n);
}

void VectorShape::ComputeBounds() {
  if (x.empty()) {
    minX = minY = maxX = maxY = 0;
    return;
  }
  minX = *std::min_element(x.begin(), x.end());
  maxX = *std::max_element(x.begin(), x.end());
  minY = *std::min_element(y.begin(), y.end());
  maxY = *std::max_element(y.begin(), y.end());
}

// ---- construction ----

CVectorTheme::CVectorTheme() {
  const CVectorPreferences& p = GetApp().vectorPrefs;
  lineWidth = p.lineWidth;
  lineStyle = p.lineStyle;
  lineColor = p.lineColor;
  pointSymbol = p.pointShape;
  pointColor = p.pointColor;
  pointSize = p.pointWidth;
  polygonStyle = p.polygonStyle;
  polygonColor = p.polygonColor;
  polygonWidth = p.polygonWidth;
}

CVectorTheme::~CVectorTheme() = default;

// ---- shapefiles ----

int CVectorTheme::ReadShapefile(const std::string& path, const std::string& projection, bool rewind) {
  sourcePath = path;
  name = GetFileTitleFromPath(path);
  SAHooks hooks;
  SASetupDefaultHooks(&hooks);
  hooks.Error = [](const char*) {};  // the failure is told below, naming the file
  std::unique_ptr<SHPInfo, ShpCloser> shp(SHPOpenLL(path.c_str(), "rb", &hooks));
  if (!shp) {
    platform::Tell(platform::FormatC("Unable to open shapefile %s", path.c_str()));
    return 0;
  }
  std::unique_ptr<OGRCoordinateTransformation> transform = ShapefileTransform(path, projection);
  int count = 0, type = 0;
  double lo[4] = {}, hi[4] = {};
  SHPGetInfo(shp.get(), &count, &type, lo, hi);
  std::vector<std::unique_ptr<VectorShape>> read;
  read.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<SHPObject, ShpObjectDestroyer> o(SHPReadObject(shp.get(), i));
    if (o && rewind) SHPRewindObject(shp.get(), o.get());
    read.push_back(o ? FromShpObject(*o) : nullptr);
  }
  shp.reset();

  if (transform) {
    // Every vertex goes through the transformation, and the extent follows the vertices:
    // two transformed corners do not bound a curved grid.
    bool first = true;
    double n = 0, e = 0, s = 0, w = 0;
    for (auto& shape : read) {
      if (!shape || shape->x.empty()) continue;
      const int k = shape->VertexCount();
      if (!transform->Transform(k, shape->x.data(), shape->y.data())) {
        platform::Tell(platform::FormatC("Unable to reproject %s to the project's projection",
                                         path.c_str()));
        return 0;
      }
      shape->ComputeBounds();
      if (first) {
        w = shape->minX, e = shape->maxX, s = shape->minY, n = shape->maxY;
        first = false;
      } else {
        w = std::min(w, shape->minX), e = std::max(e, shape->maxX);
        s = std::min(s, shape->minY), n = std::max(n, shape->maxY);
      }
    }
    north = n, east = e, south = s, west = w;
  } else {
    north = hi[1], east = hi[0], south = lo[1], west = lo[0];
  }
  shapeType = type;
  shapes = std::move(read);
  return 1;
}

int CVectorTheme::LoadShapefile(const std::string& path, const std::string& projection) {
  return ReadShapefile(path, projection, true);
}

bool CVectorTheme::ReadPerimeterAttributes(const std::string& path) {
  std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(path.c_str(), "rb"));
  if (!dbf) return false;
  static const char* const names[] = {"Month", "Day", "Hour", "Elapsed_Mi", "Fire_Type"};
  static const DBFFieldType types[] = {FTInteger, FTInteger, FTInteger, FTDouble, FTString};
  int field[5] = {-1, -1, -1, -1, -1};
  const int fields = DBFGetFieldCount(dbf.get());
  for (int f = 0; f < fields; ++f) {
    char fieldName[XBASE_FLDNAME_LEN_READ + 1] = {};
    const DBFFieldType t = DBFGetFieldInfo(dbf.get(), f, fieldName, nullptr, nullptr);
    for (int k = 0; k < 5; ++k)
      if (field[k] < 0 && t == types[k] && strcasecmp(fieldName, names[k]) == 0) field[k] = f;
  }
  if (std::any_of(std::begin(field), std::end(field), [](int f) { return f < 0; })) return false;
  const std::size_t n = shapes.size();
  elapsedMinutes.assign(n, 0.0);
  month.assign(n, 0);
  day.assign(n, 0);
  hour.assign(n, 0);
  fireType.assign(n, 0);
  area.assign(n, 0.0);
  const int records = DBFGetRecordCount(dbf.get());
  for (std::size_t i = 0; i < n && static_cast<int>(i) < records; ++i) {
    const int r = static_cast<int>(i);
    elapsedMinutes[i] = DBFReadDoubleAttribute(dbf.get(), r, field[3]);
    month[i] = DBFReadIntegerAttribute(dbf.get(), r, field[0]);
    day[i] = DBFReadIntegerAttribute(dbf.get(), r, field[1]);
    hour[i] = DBFReadIntegerAttribute(dbf.get(), r, field[2]);
    const char* text = DBFReadStringAttribute(dbf.get(), r, field[4]);
    fireType[i] = FireTypeFromName(text ? text : "");
  }
  return true;
}

int CVectorTheme::LoadEmbrithPerimeters(const std::string& path, const std::string& projection) {
  if (!ReadShapefile(path, projection, false)) return 0;
  hasPerimeterAttributes = ReadPerimeterAttributes(path);
  if (!hasPerimeterAttributes) {
    // A theme must not claim perimeter attributes without their arrays.
    platform::Tell(platform::FormatC(
        "%s lacks the perimeter fields Month, Day, Hour, Elapsed_Mi and Fire_Type; its shapes "
        "are shown as plain polygons.",
        platform::ReplaceExtension(path, ".dbf").c_str()));
    return 1;
  }
  ComputePerimeterAreas();
  return 1;
}

// ---- engine data ----

int CVectorTheme::CreateFromLineList(const std::string& themeName, double e, double w, double s,
                                     double n, const std::vector<std::vector<double>>& lists) {
  sourcePath.clear();
  name = themeName;
  shapeType = shape_type::kArc;
  east = e, west = w, south = s, north = n;
  shapes.clear();
  for (std::size_t k = 0; k < lists.size(); ++k) {
    const std::vector<double>& l = lists[k];
    const std::size_t count = l.size() / 2;
    std::vector<double> x(count), y(count), z(count, static_cast<double>(k + 1));
    for (std::size_t i = 0; i < count; ++i) x[i] = l[2 * i], y[i] = l[2 * i + 1];
    shapes.push_back(VectorShape::Simple(shapeType, static_cast<int>(count), x.data(), y.data(), z.data()));
  }
  return 1;
}

namespace {
// Moves vertex k of a ring away from a later vertex at the same place, towards a neighbour.
void SeparateCoincident(std::vector<double>& x, std::vector<double>& y, double d) {
  const std::size_t n = x.size();
  if (n < 3) return;
  for (std::size_t k = 1; k + 1 < n; ++k)
    for (std::size_t j = k + 1; j < n; ++j) {
      if (x[j] != x[k] || y[j] != y[k]) continue;
      if (x[k] == x[k - 1])
        y[k] = y[k] >= y[k - 1] ? y[k] - d : y[k] + d;
      else if (y[k] == y[k - 1])
        x[k] = x[k - 1] > x[k] ? x[k] + d : x[k] - d;
      else if (x[k + 1] != x[k])
        x[k] = x[k + 1] > x[k] ? x[k] + d : x[k] - d;
      else
        y[k] = y[k] >= y[k + 1] ? y[k] - d : y[k] + d;
    }
}
}  // namespace

int CVectorTheme::CreateFromPerimeters(const std::string& themeName, CPerimeter* const* perimeters,
                                       std::vector<FireSizeRecord> records, int count,
                                       double resolution) {
  sourcePath.clear();
  name = themeName;
  fireSizeRecords = std::move(records);
  shapeType = shape_type::kPolygon;
  east = west = north = south = -9999;
  shapes.clear();
  fireIndex.clear();
  const double d = resolution * 0.01;
  for (int i = 0; i < count; ++i) {
    CPerimeter* p = perimeters ? perimeters[i] : nullptr;
    if (!p) continue;
    for (int l = 0; l < p->GetNumLines(); ++l) {
      CPerimeterLine* line = p->GetLine(l);
      const int n = line ? std::max(line->GetNumPoints(), 0) : 0;
      std::vector<double> x(static_cast<std::size_t>(n)), y(static_cast<std::size_t>(n)),
          z(static_cast<std::size_t>(n), static_cast<double>(i + 1));
      for (int k = 0; k < n; ++k) {
        float fx = 0, fy = 0;
        line->GetPoint(k, &fx, &fy);
        const double px = fx, py = fy;
        x[static_cast<std::size_t>(k)] = px;
        y[static_cast<std::size_t>(k)] = py;
        if (east == -9999 || east < px) east = px;
        if (west == -9999 || west > px) west = px;
        if (north == -9999 || north < py) north = py;
        if (south == -9999 || south > py) south = py;
      }
      SeparateCoincident(x, y, d);
      shapes.push_back(VectorShape::Simple(shapeType, n, x.data(), y.data(), z.data()));
      fireIndex.push_back(i);
    }
  }
  return 1;
}

namespace {
template <class Spots>
void SpotShapes(const Spots& copy, std::vector<std::unique_ptr<VectorShape>>& shapes, double& north,
                double& east, double& south, double& west) {
  shapes.clear();
  north = east = south = west = 0;
  Spots& c = const_cast<Spots&>(copy);
  for (int j = 0; j < c.GetNumSpots(); ++j) {
    const auto* s = c.GetSpot(j);
    const double x = s->GetLandX(), y = s->GetLandY(), z = j + 1;
    shapes.push_back(VectorShape::Simple(shape_type::kPoint, 1, &x, &y, &z));
    if (j == 0) {
      east = west = x;
      north = south = y;
    } else {
      east = std::max(east, x), west = std::min(west, x);
      north = std::max(north, y), south = std::min(south, y);
    }
  }
}

template <class Spots>
std::unique_ptr<Spots> CopySpots(const Spots* source) {
  auto copy = std::make_unique<Spots>();
  if (!source) return copy;
  Spots& s = const_cast<Spots&>(*source);
  copy->SetNumSpots(s.GetNumSpots());
  for (int i = 0; i < s.GetNumSpots(); ++i)
    if (const auto* p = s.GetSpot(i))
      copy->SetSpot(i, p->GetLaunchX(), p->GetLaunchY(), p->GetLandX(), p->GetLandY(),
                    p->GetLaunchTime(), p->GetLandTime());
  return copy;
}
}  // namespace

int CVectorTheme::CreateFromTravelTimeSpots(const std::string& themeName, const CMTTSpots* spots) {
  name = themeName;
  hasTravelTimeSpots = true;
  travelTimeSpots = CopySpots(spots);
  shapeType = shape_type::kPoint;
  SpotShapes(*travelTimeSpots, shapes, north, east, south, west);
  return 1;
}

int CVectorTheme::CreateFromEmbrithSpots(const std::string& themeName, const CEmbrithSpots* spots) {
  name = themeName;
  hasEmbrithSpots = true;
  embrithSpots = CopySpots(spots);
  shapeType = shape_type::kPoint;
  SpotShapes(*embrithSpots, shapes, north, east, south, west);
  return 1;
}

// ---- perimeters ----

void CVectorTheme::FilterPerimeters(double timeStep, const std::vector<PerimeterPeriod>& periods) {
  if (!hasPerimeterAttributes) return;
  displayList.clear();
  const std::size_t n = std::min(shapes.size(), elapsedMinutes.size());
  double latest = 0;
  for (std::size_t i = 0; i < n; ++i) latest = std::max(latest, elapsedMinutes[i]);
  // A step under one minute would divide by zero: every perimeter then counts.
  const double product = std::trunc(perimeterInterval * timeStep);
  const long long step = product >= 1 && product < 9.2e18 ? static_cast<long long>(product) : 1;
  for (std::size_t b = n; b-- > 0;) {
    if (!shapes[b]) continue;
    const int index = static_cast<int>(b);
    switch (perimeterDisplayMode) {
      case 0: displayList.push_back(index); break;
      case 1: {
        const double t = std::trunc(elapsedMinutes[b]);
        const long long e = std::fabs(t) < 9.2e18 ? static_cast<long long>(t) : 0;
        if (e % step == 0 || elapsedMinutes[b] == latest) displayList.push_back(index);
        break;
      }
      case 2:
        for (const PerimeterPeriod& p : periods)
          if (month[b] == p.month && day[b] == p.day && hour[b] == p.endHour * 100)
            displayList.push_back(index);
        break;
      case 3:
        if (elapsedMinutes[b] == latest) displayList.push_back(index);
        break;
      default: break;
    }
  }
}

void CVectorTheme::ComputePerimeterAreas() {
  if (!hasPerimeterAttributes) return;
  area.assign(shapes.size(), 0.0);
  for (std::size_t i = 0; i < shapes.size() && i < fireType.size(); ++i) {
    if (fireType[i] != kExpandingFire || !shapes[i]) continue;
    double sum = 0;
    for (int p = 0; p < shapes[i]->PartCount(); ++p) sum += RingOf(*shapes[i], p).GetArea();
    area[i] = std::fabs(sum) * kAcresPerSquareMetre;
  }
}

double CVectorTheme::GetTotalArea() const {
  if (!IsPolygonType(shapeType)) return 0;
  double sum = 0;
  for (const auto& s : shapes)
    if (s)
      for (int p = 0; p < s->PartCount(); ++p) sum += RingOf(*s, p).GetArea() * kAcresPerSquareMetre;
  return std::fabs(sum);
}

// ---- queries ----

bool CVectorTheme::HasVertexInRect(double minX, double maxX, double minY, double maxY) const {
  for (const auto& s : shapes)
    if (s)
      for (std::size_t i = 0; i < s->x.size(); ++i)
        if (minX <= s->x[i] && s->x[i] <= maxX && minY <= s->y[i] && s->y[i] <= maxY) return true;
  return false;
}

std::vector<std::string> CVectorTheme::RasterFieldNames() const {
  std::vector<std::string> names;
  std::unique_ptr<DBFInfo, DbfCloser> dbf(
      sourcePath.empty() ? nullptr : DBFOpen(platform::ReplaceExtension(sourcePath, ".dbf").c_str(), "rb"));
  if (!dbf) return names;
  for (int f = 0; f < DBFGetFieldCount(dbf.get()); ++f) {
    char fieldName[XBASE_FLDNAME_LEN_READ + 1] = {};
    const DBFFieldType t = DBFGetFieldInfo(dbf.get(), f, fieldName, nullptr, nullptr);
    if (t == FTInteger || t == FTDouble || t == FTLogical) names.emplace_back(fieldName);
  }
  return names;
}

std::vector<float> CVectorTheme::RasterizePolygons(const std::string& field, double c, double s,
                                                   double n, double w, double e, int& rows,
                                                   int& columns) const {
  const double cols = std::trunc((e - w) * (1 / c)), rws = std::trunc((n - s) * (1 / c));
  columns = cols > 0 && cols < 1e6 ? static_cast<int>(cols) : 0;
  rows = rws > 0 && rws < 1e6 ? static_cast<int>(rws) : 0;
  std::vector<float> grid(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), -9999.0f);
  // Read-only: reading needs no write access, and read-only data must still rasterise.
  std::unique_ptr<DBFInfo, DbfCloser> dbf(
      sourcePath.empty() ? nullptr : DBFOpen(platform::ReplaceExtension(sourcePath, ".dbf").c_str(), "rb"));
  if (!dbf) return grid;
  int valueField = -1;
  DBFFieldType valueType = FTInvalid;
  for (int f = 0; f < DBFGetFieldCount(dbf.get()); ++f) {
    char fieldName[XBASE_FLDNAME_LEN_READ + 1] = {};
    const DBFFieldType t = DBFGetFieldInfo(dbf.get(), f, fieldName, nullptr, nullptr);
    if (field == fieldName) {
      valueField = f;
      valueType = t;
      break;
    }
  }
  // Cell centres by repeated addition, as the burn loop has always placed them.
  std::vector<double> cx(static_cast<std::size_t>(columns)), cy(static_cast<std::size_t>(rows));
  double v = w + c / 2;
  for (auto& x : cx) x = v, v += c;
  v = n - c / 2;
  for (auto& y : cy) y = v, v -= c;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const VectorShape* shape = shapes[i].get();
    if (!shape) continue;
    const int r = static_cast<int>(i);
    float value;
    if (valueField < 0) value = static_cast<float>(r);
    else if (valueType == FTInteger) value = static_cast<float>(DBFReadIntegerAttribute(dbf.get(), r, valueField));
    else if (valueType == FTDouble) value = static_cast<float>(DBFReadDoubleAttribute(dbf.get(), r, valueField));
    else value = 0;
    // Outer rings burn and holes take their cells back, within this shape only: a hole must
    // not erase what an earlier shape burnt there.
    int r0 = rows, r1 = -1, c0 = columns, c1 = -1;
    for (int row = 0; row < rows; ++row)
      if (cy[static_cast<std::size_t>(row)] >= shape->minY && cy[static_cast<std::size_t>(row)] <= shape->maxY)
        r0 = std::min(r0, row), r1 = row;
    for (int col = 0; col < columns; ++col)
      if (cx[static_cast<std::size_t>(col)] >= shape->minX && cx[static_cast<std::size_t>(col)] <= shape->maxX)
        c0 = std::min(c0, col), c1 = col;
    if (r1 < r0 || c1 < c0) continue;
    const int w = c1 - c0 + 1;
    std::vector<std::uint8_t> inside(static_cast<std::size_t>(r1 - r0 + 1) * static_cast<std::size_t>(w), 0);
    for (int p = 0; p < shape->PartCount(); ++p) {
      CPolygon ring = RingOf(*shape, p);
      const std::uint8_t mark = ring.GetArea() >= 0 ? 0 : 1;
      for (int row = r0; row <= r1; ++row)
        for (int col = c0; col <= c1; ++col)
          if (ring.IsPointInside(cx[static_cast<std::size_t>(col)], cy[static_cast<std::size_t>(row)]))
            inside[static_cast<std::size_t>(row - r0) * static_cast<std::size_t>(w) + static_cast<std::size_t>(col - c0)] = mark;
    }
    for (int row = r0; row <= r1; ++row)
      for (int col = c0; col <= c1; ++col)
        if (inside[static_cast<std::size_t>(row - r0) * static_cast<std::size_t>(w) + static_cast<std::size_t>(col - c0)])
          grid[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(col)] = value;
  }
  return grid;
}

// ---- drawing ----

namespace {

struct ScreenMap {
  double west, north, fx, fy;
  double X(double x) const { return (x - west) * fx; }
  double Y(double y) const { return (north - y) * fy; }
};

int Pixel(double v) { return static_cast<int>(std::clamp(v, -1e9, 1e9)); }

// Every part of a shape as one styled path; polygon parts are closed.
void StrokeShape(platform::Canvas& canvas, const VectorShape& s, const ScreenMap& m, int width,
                 int style, COLORREF colour, bool close) {
  std::uint32_t pattern[8];
  const unsigned count = MakeDashPattern(pattern, false, static_cast<unsigned>(std::max(width, 0)),
                                         static_cast<unsigned>(style));
  CDashedStroke stroke(canvas, pattern, count, width);
  for (int p = 0; p < s.PartCount(); ++p) {
    int b = 0, e = 0;
    s.PartRange(p, b, e);
    if (b >= e) continue;
    canvas.NewPath();
    for (int i = b; i < e; ++i) {
      const int x = Pixel(m.X(s.x[static_cast<std::size_t>(i)])), y = Pixel(m.Y(s.y[static_cast<std::size_t>(i)]));
      if (i == b) stroke.MoveTo(x, y);
      else stroke.LineTo(x, y);
    }
    const std::size_t first = static_cast<std::size_t>(b), last = static_cast<std::size_t>(e - 1);
    if (close && (s.x[last] != s.x[first] || s.y[last] != s.y[first]))
      stroke.LineTo(Pixel(m.X(s.x[first])), Pixel(m.Y(s.y[first])));
    StrokeStyledPath(colour, canvas, false, width);
  }
}

void DrawSymbol(platform::Canvas& canvas, int symbol, int size, double sx, double sy) {
  const int h = size / 2, u = size - size / 2;
  switch (symbol) {
    case 0: {
      const int l = Pixel(sx - size), t = Pixel(sy - size), r = Pixel(sx + size), b = Pixel(sy + size);
      canvas.FillCircle((l + r) / 2.0, (t + b) / 2.0, (r - l) / 2.0);
      break;
    }
    case 1:
      canvas.FillPolygon({Pixel(sx) + 0.5, Pixel(sy - h) + 0.5, Pixel(sx - h) + 0.5, Pixel(sy + u) + 0.5,
                          Pixel(sx + u) + 0.5, Pixel(sy + u) + 0.5});
      canvas.StrokePolygon({Pixel(sx) + 0.5, Pixel(sy - h) + 0.5, Pixel(sx - h) + 0.5, Pixel(sy + u) + 0.5,
                            Pixel(sx + u) + 0.5, Pixel(sy + u) + 0.5});
      break;
    case 2: {
      const int l = Pixel(sx - h), t = Pixel(sy - h), r = Pixel(sx + u), b = Pixel(sy + u);
      canvas.FillRect(l, t, r - l, b - t);
      break;
    }
    default: break;
  }
}

}  // namespace

void CVectorTheme::Draw(platform::Canvas& canvas, double w, double n, double e, double s, int left,
                        int top, int right, int bottom) const {
  if (!visible) return;
  if (hasPerimeterAttributes) {
    DrawPerimeters(canvas, w, n, e, s, left, top, right, bottom);
    return;
  }
  if (e == w || n == s) return;
  const ScreenMap m{w, n, (right - left + 1) / (e - w), (bottom - top + 1) / (n - s)};
  canvas.SetAntialias(false);
  canvas.SetLineWidth(1);
  for (const auto& shape : shapes) {
    if (!shape) continue;
    const VectorShape& sh = *shape;
    if (IsPointType(sh.type)) {
      canvas.SetColour(platform::RgbaFromColorRef(pointColor));
      const std::size_t count = (sh.type == 1 || sh.type == 11 || sh.type == 21) ? std::min<std::size_t>(1, sh.x.size())
                                                                                 : sh.x.size();
      for (std::size_t i = 0; i < count; ++i) DrawSymbol(canvas, pointSymbol, pointSize, m.X(sh.x[i]), m.Y(sh.y[i]));
    } else if (IsArcType(sh.type)) {
      StrokeShape(canvas, sh, m, lineWidth, lineStyle, lineColor, false);
    } else if (IsPolygonType(sh.type)) {
      StrokeShape(canvas, sh, m, polygonWidth, polygonStyle, polygonColor, true);
    }
  }
}

void CVectorTheme::DrawPerimeters(platform::Canvas& canvas, double w, double n, double e, double s,
                                  int left, int top, int right, int bottom) const {
  if (e == w || n == s) return;
  const ScreenMap m{w, n, (right - left + 1) / (e - w), (bottom - top + 1) / (n - s)};
  for (int index : displayList)
    if (index >= 0 && index < ShapeCount() && shapes[static_cast<std::size_t>(index)])
      StrokeShape(canvas, *shapes[static_cast<std::size_t>(index)], m, polygonWidth, polygonStyle,
                  polygonColor, true);
}

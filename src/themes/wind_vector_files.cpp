// Arrow themes as point shapefiles.
#include <shapefil.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "themes/shapefile_writer.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

namespace {

// The attribute table beside a shapefile: the path cut at its first ".shp", any case.
std::string AttributeFileOf(const std::string& path) {
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
  const std::size_t at = lower.find(".shp");
  return (at == std::string::npos ? path : path.substr(0, at)) + ".dbf";
}

bool IsOneOf(const char* name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [name](const char* n) { return strcasecmp(name, n) == 0; });
}

struct WindField {
  int index = -1;
  DBFFieldType type = FTInvalid;
};

// The speed and the direction field: numeric fields of the accepted names, a later match
// replacing an earlier one until both are known.
bool FindWindFields(DBFHandle dbf, WindField& speed, WindField& direction) {
  const int fields = DBFGetFieldCount(dbf);
  for (int i = 0; i < fields && (speed.index < 0 || direction.index < 0); ++i) {
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    const DBFFieldType type = DBFGetFieldInfo(dbf, i, name, nullptr, nullptr);
    if (type != FTInteger && type != FTDouble) continue;
    if (IsOneOf(name, {"Windspd", "mph", "m/min", "ft/min", "ch/hr", "speed"})) speed = {i, type};
    if (IsOneOf(name, {"Winddir", "SOURCE_AZI", "dir"})) direction = {i, type};
  }
  return speed.index >= 0 && direction.index >= 0;
}

}  // namespace

bool CWindVectorTheme::LoadShapefile(const std::string& path, double cw, double ce, double cn,
                                     double cs) {
  clipWest = cw, clipEast = ce, clipNorth = cn, clipSouth = cs;
  directionGridFile.clear();
  speedGridFile.clear();
  gridded = false;
  sourcePath = path;
  name = GetFileTitleFromPath(path);
  points.clear();
  count = 0;
  error_.clear();

  SAHooks hooks;
  SASetupDefaultHooks(&hooks);
  hooks.Error = [](const char*) {};  // the caller names the file that would not open
  std::unique_ptr<SHPInfo, ShpCloser> shp(SHPOpenLL(path.c_str(), "rb", &hooks));
  if (!shp) {
    error_ = "Error: Could not open shapefile:\n" + path;
    return false;
  }
  int n = 0, type = 0;
  double lo[4] = {}, hi[4] = {};
  SHPGetInfo(shp.get(), &n, &type, lo, hi);
  east = hi[0], west = lo[0], north = hi[1], south = lo[1];
  // The first vertex of each shape; a shape without one (a null shape) has none.
  std::vector<bool> hasVertex(static_cast<std::size_t>(std::max(n, 0)), false);
  std::vector<double> vx(hasVertex.size()), vy(hasVertex.size());
  for (int i = 0; i < n; ++i) {
    std::unique_ptr<SHPObject, ShpObjectDestroyer> o(SHPReadObject(shp.get(), i));
    if (!o || o->nVertices < 1 || !o->padfX || !o->padfY) continue;
    hasVertex[static_cast<std::size_t>(i)] = true;
    vx[static_cast<std::size_t>(i)] = o->padfX[0];
    vy[static_cast<std::size_t>(i)] = o->padfY[0];
  }
  shp.reset();

  const std::string table = AttributeFileOf(path);
  std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpenLL(table.c_str(), "rb", &hooks));
  WindField speedField, directionField;
  if (!dbf || !FindWindFields(dbf.get(), speedField, directionField)) {
    platform::Tell(platform::FormatC(
        "Error: Could not find attribute file or file does not contain Windspd and Winddir fields: \n%s\n",
        table.c_str()));
    return false;
  }
  if (DBFGetRecordCount(dbf.get()) != n) {
    platform::Tell("Error: Number of points does not match number of attribute entities.");
    return false;
  }
  auto inClip = [&](std::size_t i) {
    return hasVertex[i] && cw <= vx[i] && vx[i] <= ce && cs <= vy[i] && vy[i] <= cn;
  };
  std::size_t inside = 0;
  for (std::size_t i = 0; i < hasVertex.size(); ++i) inside += inClip(i);
  if (n <= 0 || inside == 0) {
    platform::Tell("Error: No points in shapefile contained in the landscape.");
    return false;
  }
  points.reserve(inside);
  for (std::size_t i = 0; i < hasVertex.size(); ++i) {
    if (!inClip(i)) continue;
    const int record = static_cast<int>(i);
    CWindVectorCell c;
    c.x = static_cast<float>(vx[i]);
    c.y = static_cast<float>(vy[i]);
    if (directionField.type == FTDouble) {
      const double d = DBFReadDoubleAttribute(dbf.get(), record, directionField.index);
      c.direction = std::fabs(d) < 2e9 ? static_cast<std::int32_t>(d) : -9999;
    } else {
      c.direction = DBFReadIntegerAttribute(dbf.get(), record, directionField.index);
    }
    c.magnitude = speedField.type == FTDouble
                      ? static_cast<float>(DBFReadDoubleAttribute(dbf.get(), record, speedField.index))
                      : static_cast<float>(DBFReadIntegerAttribute(dbf.get(), record, speedField.index));
    if (points.empty()) {
      minMagnitude = maxMagnitude = c.magnitude;
    } else {
      minMagnitude = std::min(minMagnitude, c.magnitude);
      maxMagnitude = std::max(maxMagnitude, c.magnitude);
    }
    points.push_back(c);
  }
  count = static_cast<int>(points.size());
  east = std::min(east, ce), west = std::max(west, cw);
  north = std::min(north, cn), south = std::max(south, cs);
  cellSize = std::sqrt(std::max(north - south, east - west));
  visible = true;
  return true;
}

std::string CWindVectorTheme::UnitsFieldName(int units) const {
  static const char* const spreadNames[] = {"m/min", "ft/min", "Chains/Hr"};
  static const char* const spotNames[] = {"Meters", "Feet"};
  static const char* const windNames[] = {"mph", "km/h", "m/sec", "ft/min"};
  if (spread) return units >= 0 && units < 3 ? spreadNames[units] : spreadNames[0];
  if (spot) return units >= 0 && units < 2 ? spotNames[units] : spotNames[0];
  return units >= 0 && units < 4 ? windNames[units] : windNames[0];
}

bool CWindVectorTheme::SaveShapefile(const std::string& path, const std::string& projection,
                                     const CWVLegendData* legend, std::string* error) const {
  const int units = legend ? legend->units : exportUnits;
  ShapefileWriter out(path, SHPT_POINT);
  auto fail = [&] {
    if (error) *error = out.Error();
    return false;
  };
  if (!out.Open()) return fail();
  if (!out.AddField("ENTITY", FTDouble, 20, 0) || !out.AddField("SOURCE_AZI", FTDouble, 20, 4) ||
      !out.AddField("AMAP_AZI", FTDouble, 20, 4) ||
      !out.AddField(UnitsFieldName(units).c_str(), FTDouble, 20, 4))
    return fail();
  const double z = 0;
  for (int i = 0; i < rows; ++i) {
    for (int j = 0; j < columns; ++j) {
      const CWindVectorCell& c = *Cell(i, j);
      if (!c.IsValid()) continue;
      const double x = c.x, y = c.y;
      const int k = out.WriteShape(SHPT_POINT, 1, &x, &y, &z);
      if (k < 0) return fail();
      // AMAP_AZI: the direction the arrow points to, less 90 degrees.
      const double d = c.direction > 180 ? c.direction - 180.0 : c.direction + 180.0;
      const double mapAzimuth = d >= 90 ? d - 90 : d + 270;
      if (!out.WriteDouble(k, 0, k) || !out.WriteDouble(k, 1, c.direction) ||
          !out.WriteDouble(k, 2, mapAzimuth) ||
          !out.WriteDouble(k, 3, ConvertUnits(c.magnitude, 0, units)))
        return fail();
    }
  }
  if (!out.Commit(projection)) return fail();
  return true;
}

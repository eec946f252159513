#include "runs/wind_grids.h"

#include <gdal_priv.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/xml_attributes.h"
#include "engines/embrith_engine.h"
#include "platform/atomic_file.h"
#include "platform/numbers.h"
#include "themes/band_statistics.h"

namespace runs {

namespace {

// Wind units 0-3 and their names; a speed in mph times the factor is in that unit.
constexpr const char* kUnitNames[4] = {"mph", "km/h", "m/sec", "ft/min"};
constexpr double kPerMph[4] = {1.0, 1.609344, 0.44704, 88.0};

int UnitOfName(const std::string& name) {
  for (int u = 0; u < 4; ++u)
    if (name == kUnitNames[u]) return u;
  return -1;
}

std::string Format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

// The most cells a loaded layer set holds over all its bands.
constexpr double kMaxWindGridValues = 1u << 30;

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

}  // namespace

void WindGridSet::Free() { *this = WindGridSet{}; }

void WindGridSet::Allocate(int n, int r, int c) {
  Free();
  count = n;
  rows = r;
  columns = c;
  speed.assign(n, std::vector<float>(static_cast<std::size_t>(r) * c, 0.0f));
  direction.assign(n, std::vector<std::int16_t>(static_cast<std::size_t>(r) * c, 0));
  endTimes.assign(n, 0.0);
  dateTimes.assign(n, {});
  inputSpeeds.assign(n, 0.0f);
  inputDirections.assign(n, 0);
  inputSpeedUnits.assign(n, {});
}

void StoreWindGrids(CEmbrith& engine, int streamUnits, WindGridSet& set) {
  set.Free();
  const int n = engine.GetNumGustforgeGrids(), rows = engine.GetNumGustforgeRows(), cols = engine.GetNumGustforgeCols();
  if (n <= 0 || rows <= 0 || cols <= 0) return;
  set.Allocate(n, rows, cols);
  set.cellSize = engine.GetGustforgeResolution();
  set.xll = engine.GetGustforgeXLLCorner();
  set.yll = engine.GetGustforgeYLLCorner();
  engine.GetGustforgeGridEndTimes(n, set.endTimes.data());
  std::vector<short> dirs(n);
  engine.GetGustforgeInput(n, set.inputSpeeds.data(), dirs.data());
  std::vector<std::vector<char>> texts(n, std::vector<char>(32, 0));
  std::vector<char*> ptrs(n);
  for (int i = 0; i < n; ++i) ptrs[i] = texts[i].data();
  engine.GetGustforgeGridDateTimes(n, ptrs.data());
  for (int i = 0; i < n; ++i) {
    set.inputDirections[i] = dirs[i];
    // A metric stream's winds are 10-m km/h: the 20-ft mph of the engine, converted and raised.
    if (streamUnits == 1) set.inputSpeeds[i] = static_cast<float>(set.inputSpeeds[i] * kPerMph[1] * 1.15);
    set.inputSpeedUnits[i] = kUnitNames[streamUnits == 1 ? 1 : 0];
    texts[i][31] = 0;
    set.dateTimes[i] = texts[i].data();
    float** sp = engine.GetGustforgeSpeedGrid(i);
    short** dr = engine.GetGustforgeDirGrid(i);
    for (int j = 0; j < rows && sp && dr; ++j) {
      std::copy(sp[j], sp[j] + cols, set.speed[i].begin() + static_cast<std::ptrdiff_t>(rows - 1 - j) * cols);
      std::copy(dr[j], dr[j] + cols, set.direction[i].begin() + static_cast<std::ptrdiff_t>(rows - 1 - j) * cols);
    }
  }
}

int SaveWindGrids(const WindGridSet& set, const std::string& landscapePath, const std::string& tifPath,
                  const std::string& xmlPath, int windUnits, int decimals, std::string* why) {
  auto fail = [&](const std::string& text) {
    if (why) *why = text;
    return -1;
  };
  if (set.count <= 0) return fail("The run has no gridded winds.");
  GDALAllRegister();
  Dataset land(GDALDataset::Open(landscapePath.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  double lgt[6];
  if (!land || land->GetGeoTransform(lgt) != CE_None) return fail("Cannot read the landscape " + landscapePath);
  const int u = std::clamp(windUnits, 0, 3);
  const std::string U = kUnitNames[u];
  const std::string speedFormat = "%." + std::to_string(std::clamp(decimals, 0, 9)) + "f ";

  GDALDriver* drv = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!drv) return fail("No GeoTIFF driver.");
  const char* options[] = {"COMPRESS=DEFLATE", "INTERLEAVE=BAND", "PROFILE=GDALGeoTiff", nullptr};
  // Written beside the target and renamed over it once whole.
  const std::string temp = tifPath + ".part";
  CPLErrorReset();
  {
    Dataset out(drv->Create(temp.c_str(), set.columns, set.rows, 2 * set.count, GDT_Float32,
                            const_cast<char**>(options)));
    if (!out) return fail("Cannot create " + tifPath);
    double gt[6] = {set.xll, set.cellSize, lgt[2], set.yll + set.rows * set.cellSize, lgt[4], -set.cellSize};
    out->SetGeoTransform(gt);
    out->SetProjection(land->GetProjectionRef());
    std::vector<float> row(set.columns);
    for (int i = 0; i < set.count; ++i)
      for (int b = 0; b < 2; ++b) {
        GDALRasterBand* band = out->GetRasterBand(2 * i + b + 1);
        const bool speed = b == 0;
        band->SetDescription(speed ? "Wind Speed" : "Wind Direction");
        band->SetUnitType(speed ? U.c_str() : "degrees");
        band->SetMetadataItem("RepresentationType", "THEMATIC");
        band->SetMetadataItem("UnitOfMeasure", speed ? U.c_str() : "degrees");
        band->SetMetadataItem("Time", set.dateTimes[i].c_str());
        band->SetMetadataItem("InputSpeed", Format(speedFormat.c_str(), set.inputSpeeds[i]).c_str());
        band->SetMetadataItem("InputSpeedUnits", set.inputSpeedUnits[i].c_str());
        band->SetMetadataItem("InputDirection", std::to_string(set.inputDirections[i]).c_str());
        band->SetNoDataValue(-9999);
        for (int r = 0; r < set.rows; ++r) {
          const std::size_t o = static_cast<std::size_t>(r) * set.columns;
          for (int c = 0; c < set.columns; ++c)
            row[c] = speed ? static_cast<float>(set.speed[i][o + c] * kPerMph[u]) : set.direction[i][o + c];
          if (band->RasterIO(GF_Write, 0, r, set.columns, 1, row.data(), set.columns, 1, GDT_Float32, 0, 0) !=
              CE_None)
            return fail("Cannot write " + tifPath);
        }
        ComputeBandStatistics(band);
      }
    out->FlushCache();
    if (CPLGetLastErrorType() == CE_Failure) return fail("Cannot write " + tifPath);
  }
  std::error_code ec;
  std::filesystem::rename(temp, tifPath, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return fail("Cannot write " + tifPath);
  }

  std::string xml =
      "<?xml version='1.0' encoding='utf-8' ?>\n\n<!--\nDescribes layers in GeoTiff containing Embrith Gustforge "
      "layers\n-->\n\n<embrithWindGrids>\n\t<layers>\n\n";
  char buf[1024];
  for (int i = 0; i < set.count; ++i) {
    const std::string in = Format(speedFormat.c_str(), set.inputSpeeds[i]);
    for (int b = 0; b < 2; ++b) {
      std::snprintf(buf, sizeof buf,
                    "\t\t<layer id=\"%d\" name=\"%s\" units=\"%s\" datetime=\"%s\" endtime=\"%.1f\" inputspeed=\"%s\" "
                    "inputdirection=\"%d\" inputspeedunits=\"%s\">\n\t\t</layer>\n\n",
                    2 * i + b + 1, b == 0 ? "Wind Speed" : "Wind Direction", b == 0 ? U.c_str() : "degrees",
                    set.dateTimes[i].c_str(), set.endTimes[i], in.c_str(), set.inputDirections[i],
                    set.inputSpeedUnits[i].c_str());
      xml += buf;
    }
  }
  xml += "\t</layers>\n\n</embrithWindGrids>\n\n";
  platform::AtomicFile f(xmlPath);
  if (!f.Open() || !f.Write(xml) || !f.Commit()) return fail("Cannot write " + xmlPath);
  return 1;
}

int LoadWindGrids(const std::string& tifPath, const std::string& xmlPath, WindGridSet& set, std::string* why) {
  set.Free();
  auto fail = [why](int code, const std::string& text) {
    if (why) *why = text;
    return code;
  };
  GDALAllRegister();
  Dataset ds(GDALDataset::Open(tifPath.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  double gt[6];
  if (!ds) return fail(-1, tifPath + " cannot be opened as a GeoTIFF");
  if (ds->GetGeoTransform(gt) != CE_None) return fail(-1, tifPath + " has no georeference");
  const int bands = ds->GetRasterCount(), cols = ds->GetRasterXSize(), rows = ds->GetRasterYSize();
  const int n = bands / 2;
  // The header's sizes are not trusted: a set larger than any landscape's winds is refused
  // before its memory is asked for.
  if (cols <= 0 || rows <= 0 || static_cast<double>(cols) * rows * bands > kMaxWindGridValues)
    return fail(-1, platform::FormatC("%s holds %d bands of %d by %d cells, more than a wind grid set can hold",
                                      tifPath.c_str(), bands, cols, rows));
  std::string xml;
  TiXmlDocument doc;
  if (!platform::ReadWholeFile(xmlPath, xml)) return fail(-2, xmlPath + " cannot be read");
  if (!ParseXmlText(doc, xml)) {
    // The parser knows the line only of errors before the end of the text.
    const std::string where = doc.ErrorRow() > 0 ? platform::FormatC("line %d: ", doc.ErrorRow()) : std::string();
    return fail(-2, xmlPath + " is not well-formed XML (" + where + doc.ErrorDesc() + ")");
  }
  const TiXmlElement* root = doc.RootElement();
  const TiXmlElement* layers = root ? root->FirstChildElement("layers") : nullptr;
  if (!layers || !layers->FirstChildElement("layer")) return fail(-2, xmlPath + " describes no layers");
  WindGridSet s;
  s.Allocate(n, rows, cols);
  s.cellSize = std::fabs(gt[1]);
  s.xll = gt[0];
  s.yll = gt[3] - rows * s.cellSize;
  std::vector<int> speedUnit(n, 0);
  int read = 0;
  for (const TiXmlElement* l = layers->FirstChildElement("layer"); l; l = l->NextSiblingElement("layer")) {
    int id = 0, dir = 0;
    double end = 0, speed = 0;
    const char* name = l->Attribute("name");
    const char* units = l->Attribute("units");
    const char* when = l->Attribute("datetime");
    if (l->QueryIntAttribute("id", &id) != TIXML_SUCCESS || !name || !units || !when ||
        l->QueryDoubleAttribute("endtime", &end) != TIXML_SUCCESS ||
        l->QueryDoubleAttribute("inputspeed", &speed) != TIXML_SUCCESS ||
        l->QueryIntAttribute("inputdirection", &dir) != TIXML_SUCCESS)
      continue;
    ++read;
    const int k = (id - 1) / 2;
    if (id < 1 || k >= n) continue;
    s.endTimes[k] = end;
    s.dateTimes[k] = std::string(when).substr(0, 31);
    s.inputSpeeds[k] = static_cast<float>(speed);
    s.inputDirections[k] = static_cast<std::int16_t>(dir);
    if (const char* su = l->Attribute("inputspeedunits")) s.inputSpeedUnits[k] = su;
    // Speeds are stored in the unit their layer names; the set holds mph.
    if (id % 2 == 1) speedUnit[k] = std::max(UnitOfName(units), 0);
  }
  if (read != bands)
    return fail(-3, platform::FormatC("%s describes %d layers for the %d bands of %s", xmlPath.c_str(), read, bands,
                                      tifPath.c_str()));
  std::vector<float> row(cols);
  for (int b = 1; b <= 2 * n; ++b) {
    const int k = (b - 1) / 2;
    GDALRasterBand* band = ds->GetRasterBand(b);
    for (int r = 0; r < rows; ++r) {
      if (band->RasterIO(GF_Read, 0, r, cols, 1, row.data(), cols, 1, GDT_Float32, 0, 0) != CE_None)
        return fail(-1, platform::FormatC("band %d of %s cannot be read", b, tifPath.c_str()));
      const std::size_t o = static_cast<std::size_t>(r) * cols;
      for (int c = 0; c < cols; ++c) {
        if (b % 2 == 1) s.speed[k][o + c] = static_cast<float>(row[c] / kPerMph[speedUnit[k]]);
        else s.direction[k][o + c] = static_cast<std::int16_t>(row[c]);
      }
    }
  }
  set = std::move(s);
  return 1;
}

}  // namespace runs

#include "landscape/generate.h"

#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/layer_types.h"
#include "landscape/geo.h"
#include "landscape/geotiff.h"
#include "landscape/landscape.h"
#include "landscape/layer_stats.h"
#include "landscape/units.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "themes/theme.h"

namespace landscape {

namespace {

constexpr double kConstantsAtStart[kGeneratedLayers] = {0, 0, 0, 1, 50, 15, 1.0, 0.2};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWithLcp(const std::string& path) {
  return path.size() >= 3 && Lower(path.substr(path.size() - 3)) == "lcp";
}

int WrittenLayers(const GenerationSettings& s) { return s.crownFuels ? 8 : 5; }

bool IsSourceLayer(const GenerationSettings& s, int k) {
  return !s.sourcePath.empty() && s.layers[k].useSource && (k < 5 || s.crownFuels);
}

}  // namespace

GenerationSettings::GenerationSettings() {
  for (int k = 0; k < kGeneratedLayers; ++k) layers[k].constantValue = kConstantsAtStart[k];
}

const std::vector<std::string>& UnitChoices(int layer) {
  static const std::vector<std::string> kLists[kGeneratedLayers] = {
      {"Meters", "Feet"},
      {"Degrees", "Percent"},
      {"Degrees"},
      {"Class"},
      {"Percent"},
      {"Meters", "Feet", "Meters*10", "Feet*10"},
      {"Meters", "Feet", "Meters*10", "Feet*10"},
      {"kg/m3", "lb/ft3", "kg/m3*100", "lb/ft3*1000"}};
  static const std::vector<std::string> kNone;
  return layer >= 0 && layer < kGeneratedLayers ? kLists[layer] : kNone;
}

const std::vector<std::string>& GridUnitChoices() {
  static const std::vector<std::string> kList = {"Meters", "Feet", "Kilometers"};
  return kList;
}

namespace {
std::string ChoiceText(const std::vector<std::string>& list, int i) {
  return i >= 0 && i < static_cast<int>(list.size()) ? list[static_cast<std::size_t>(i)] : "";
}
}  // namespace

double UnitFactor(int layer, int unit) {
  if (layer < kStandHeight || layer > kCanopyBulkDensity) return 1;
  if (unit == 0) return layer == kCanopyBulkDensity ? 100 : 10;
  if (unit == 1) return layer == kCanopyBulkDensity ? 1000 : 10;
  return 1;
}

int GeneratedUnitCode(int layer, int unit, bool crownFuels) {
  switch (layer) {
    case kElevation:
    case kSlope: return unit;
    case kAspect: return 2;
    case kFuelModel: return 0;
    case kCanopyCover: return 1;
    default:
      // The canopy values are stored scaled (tenths of metres or feet, hundredths of kg/m3,
      // thousandths of lb/ft3), so their code is the scaled one whatever unit was chosen.
      if (!crownFuels) return unit;
      return unit % 2 == 0 ? 3 : 4;
  }
}

std::int16_t GeneratedLcpCell(int layer, double v, double factor) {
  if (v == kNoData) return kNoData;
  if (layer < kStandHeight) {
    if (v < 0) return layer == kFuelModel ? 99 : 0;
    return static_cast<std::int16_t>(std::trunc(v));
  }
  if (v < 0) return 0;
  return static_cast<std::int16_t>(std::trunc(v * factor));
}

std::int16_t GeneratedGeoTiffCell(int layer, double v, double factor, int unitCode) {
  if (v == kNoData) return kNoData;
  double w;
  if (layer < kStandHeight) {
    w = std::trunc(v);
  } else {
    w = v < 0 ? 0 : std::trunc(v * factor);
  }
  if (unitCode == kGeoTiffUnitCodes[layer]) return static_cast<std::int16_t>(w);
  // A landscape GeoTIFF holds fixed units: feet, percent slope and pounds are converted.
  const auto rule = RuleForLayer(layer, unitCode);
  return rule ? ApplyRule(*rule, layer < kStandHeight ? v : w) : kNoData;
}

CHeaderData GeneratedHeader(const GenerationSettings& s) {
  CHeaderData h;
  h.crownFlag = s.crownFuels ? 21 : 20;
  h.groundFlag = 20;
  h.latitude = static_cast<std::int32_t>(std::trunc(s.latitude));
  for (int k = 0; k < kLayerCount; ++k) {
    h.unitCodes[k] = static_cast<std::int16_t>(k < kGeneratedLayers ? GeneratedUnitCode(k, s.layers[k].unit, s.crownFuels) : 0);
    h.layerStats[k] = LcpLayerStats{};
  }
  const double f = s.gridUnits == 2 ? 1000 : 1;
  const double c = s.cellSize * f, x = s.x * f, y = s.y * f;
  h.columns = s.columns;
  h.rows = s.rows;
  h.west = x;
  h.east = x + s.columns * c;
  h.south = y;
  h.north = y + s.rows * c;
  h.cellWidth = h.cellHeight = c;
  h.gridUnits = s.gridUnits;
  // The first edge group holds the corner less its whole thousands.
  auto reduced = [](double v) { return v - 1000.0 * static_cast<double>(static_cast<long long>(std::trunc(v)) / 1000); };
  h.westEdge = reduced(x);
  h.eastEdge = h.westEdge + s.columns * c;
  h.southEdge = reduced(y);
  h.northEdge = h.southEdge + s.rows * c;
  h.description = s.description;
  return h;
}

std::string GenerationSummary(const GenerationSettings& s, const CHeaderData& h, const std::string& dest) {
  std::string text = platform::FormatC(
      "%s will be created with the following attributes:\n\nLatitude: %ld  Grid Units: %s  Cell Size: %f Rows: "
      "%ld  Columns %ld\nLower Left X: %f  Lower Left Y: %f\nThemes:\n",
      dest.c_str(), static_cast<long>(h.latitude), ChoiceText(GridUnitChoices(), s.gridUnits).c_str(), h.cellWidth,
      static_cast<long>(h.rows), static_cast<long>(h.columns), h.west, h.south);
  static const char* const kLines[kGeneratedLayers] = {"Elevation", "Slope", "Aspect", "Fuels",
                                                       "Cover",     "Height", "Base", "Density"};
  for (int k = 0; k < WrittenLayers(s); ++k)
    text += platform::FormatC("\t%s\tRange: %ld - %ld\tUnits: %s\n", kLines[k], static_cast<long>(h.layerStats[k].low),
                              static_cast<long>(h.layerStats[k].high),
                              ChoiceText(UnitChoices(k), s.layers[k].unit).c_str());
  return text + "\nProceed with Landscape File creation?";
}

namespace {

// The layers' cells: a theme, or the constant.
struct LayerCells {
  std::array<const CTheme*, kGeneratedLayers> theme{};
  std::array<double, kGeneratedLayers> factor{};
  ThemeList owned;
  LandscapeState source;
  std::string sourceProjection;
  double Value(const GenerationSettings& s, int k, int column, int row) const {
    return theme[k] ? static_cast<double>(theme[k]->GetCellValue(column, row)) : s.layers[k].constantValue;
  }
};

bool FitsGeometry(const GenerationSettings& s, const CTheme& t, const std::string& what) {
  if (t.columns == s.columns && t.rows == s.rows) return true;
  platform::Tell(platform::FormatC(
      "Error, %s does not fit the landscape: it has %d columns and %d rows, the landscape %d columns and %d rows.\n"
      "Nothing was written.",
      what.c_str(), t.columns, t.rows, s.columns, s.rows));
  return false;
}

bool CollectLayers(const GenerationSettings& s, LayerCells& cells) {
  const int n = WrittenLayers(s);
  bool anySource = false;
  for (int k = 0; k < n; ++k) anySource = anySource || IsSourceLayer(s, k);
  if (anySource) {
    // Opening says why a source does not open.
    if (OpenLandscape(cells.source, s.sourcePath, cells.owned) != 1) return false;
    if (s.sourceKind == SourceKind::kGeoTiff && cells.source.HasProjection())
      cells.sourceProjection = cells.source.projection;
    for (int k = 0; k < n; ++k) {
      if (!IsSourceLayer(s, k)) continue;
      const CTheme* t = cells.source.layers[k];
      if (!t) {
        platform::Tell(platform::FormatC("Error, the source landscape %s has no %s layer.\nNothing was written.",
                                         s.sourcePath.c_str(), GetLandscapeLayerName(k)));
        return false;
      }
      if (!FitsGeometry(s, *t, "the source landscape " + s.sourcePath)) return false;
      cells.theme[k] = t;
    }
  }
  for (int k = 0; k < n; ++k) {
    const GenerationLayer& l = s.layers[k];
    cells.factor[k] = UnitFactor(k, l.unit);
    if (cells.theme[k] || l.constant || l.gridPath.empty()) continue;
    auto t = std::make_unique<CTheme>();
    if (t->LoadGridFile(kGenericGridLayerType, l.gridPath) != 1) {
      platform::Tell(platform::FormatC("Error reading the %s grid %s: it is not a readable ASCII grid or GeoTIFF.\n"
                                       "Nothing was written.",
                                       GetLandscapeLayerName(k), l.gridPath.c_str()));
      return false;
    }
    if (!FitsGeometry(s, *t, "the " + std::string(GetLandscapeLayerName(k)) + " grid " + l.gridPath)) return false;
    cells.theme[k] = t.get();
    cells.owned.push_back(std::move(t));
  }
  return true;
}

// Statistics of every written layer into the header; false (said) when a value does not fit
// a 16-bit cell.
bool FillStatistics(const GenerationSettings& s, const LayerCells& cells, CHeaderData& h) {
  for (int k = 0; k < WrittenLayers(s); ++k) {
    LcpLayerStats& b = h.layerStats[k];
    const double factor = cells.factor[k];
    if (const CTheme* t = cells.theme[k]) {
      // Scaled as the cells are, in double precision.
      auto scaled = [t, factor](int c, int r) {
        const float v = t->GetCellValue(c, r);
        return v == t->noData ? v : static_cast<float>(std::trunc(static_cast<double>(v) * factor));
      };
      ComputeLayerHeaderStatsOf(scaled, t->noData, t->rows, t->columns, &b.high, &b.low, &b.count, b.values.data(),
                                1.0f, nullptr);
    } else {
      const double v = std::trunc(s.layers[k].constantValue * factor);
      const std::int32_t whole = static_cast<std::int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
      b.low = b.high = whole;
      b.count = 1;
      b.values[0] = whole;
    }
    const std::int32_t bad = b.high > 32767 ? b.high : b.low < -32768 ? b.low : 0;
    if (bad != 0) {
      platform::Tell(platform::FormatC(
          "Error, the %s value %ld does not fit a landscape cell, which holds whole numbers from -32768 to 32767.\n"
          "Nothing was written.",
          GetLandscapeLayerName(k), static_cast<long>(bad)));
      return false;
    }
  }
  return true;
}

std::string OutputProjection(const GenerationSettings& s, const LayerCells& cells, bool& unreadable) {
  unreadable = false;
  if (!s.projectionFile.empty()) {
    std::string wkt = ReadPrjFile(s.projectionFile);
    unreadable = wkt.empty();
    return wkt;
  }
  if (!cells.sourceProjection.empty()) return cells.sourceProjection;
  return s.gridProjection;
}

void ReportRow(platform::ProgressSink* progress, long long done) {
  if (progress) progress->SetPosition(done);
}

bool WriteLcp(const GenerationSettings& s, const LayerCells& cells, const CHeaderData& h, const std::string& dest,
              platform::ProgressSink* progress) {
  platform::AtomicFile file(dest);
  if (!file.Open()) {
    platform::Tell(platform::FormatC("Error opening %s for writing: %s", dest.c_str(), std::strerror(file.Error())));
    return false;
  }
  bool ok = file.Write(h.SerializeHeader());
  const int n = WrittenLayers(s);
  std::vector<unsigned char> row(static_cast<std::size_t>(s.columns) * n * 2);
  if (progress) progress->SetRange(s.rows);
  for (int r = 0; r < s.rows && ok; ++r) {
    std::size_t i = 0;
    for (int c = 0; c < s.columns; ++c)
      for (int k = 0; k < n; ++k) {
        const auto v = static_cast<std::uint16_t>(GeneratedLcpCell(k, cells.Value(s, k, c, r), cells.factor[k]));
        row[i++] = static_cast<unsigned char>(v & 0xFF);
        row[i++] = static_cast<unsigned char>(v >> 8);
      }
    ok = file.Write(row.data(), row.size());
    ReportRow(progress, r + 1);
  }
  if (!ok || !file.Commit()) {
    platform::Tell(platform::FormatC("Error writing %s: %s", dest.c_str(), std::strerror(file.Error())));
    return false;
  }
  const std::string prj = PrjPathFor(dest);
  bool prjOk = true;
  if (!s.projectionFile.empty()) {
    std::string bytes;
    prjOk = platform::ReadWholeFile(s.projectionFile, bytes) && platform::WriteFileAtomically(prj, bytes);
  } else if (!cells.sourceProjection.empty()) {
    prjOk = WritePrjFile(dest, cells.sourceProjection);
  }
  if (!prjOk) platform::Tell("Error writing " + prj);
  SetLandscapeBandInfo(dest);
  return true;
}

bool WriteGeoTiff(const GenerationSettings& s, const LayerCells& cells, const CHeaderData& h,
                  const std::string& dest, const std::string& wkt, platform::ProgressSink* progress) {
  // The geotransform in the file's units: kilometres shown are metres stored.
  const double gt[6] = {h.west, h.cellWidth, 0, h.north, 0, -h.cellHeight};
  LandscapeGeoTiffWriter writer;
  if (!writer.Create(dest, s.columns, s.rows, wkt, gt)) {
    platform::Tell("Error opening " + dest + "\n" + writer.Error());
    return false;
  }
  const int n = WrittenLayers(s);
  std::vector<std::int16_t> row(static_cast<std::size_t>(s.columns));
  if (progress) progress->SetRange(8LL * s.rows);
  long long done = 0;
  for (int k = 0; k < 8; ++k) {
    GDALRasterBand* band = writer.Band(k);
    for (int r = 0; r < s.rows; ++r) {
      for (int c = 0; c < s.columns; ++c)
        row[static_cast<std::size_t>(c)] =
            k < n ? GeneratedGeoTiffCell(k, cells.Value(s, k, c, r), cells.factor[k], h.unitCodes[k]) : kNoData;
      if (band->RasterIO(GF_Write, 0, r, s.columns, 1, row.data(), s.columns, 1, GDT_Int16, 0, 0) != CE_None) {
        platform::Tell("Error writing " + dest + "\n" + CPLGetLastErrorMsg());
        return false;
      }
      ReportRow(progress, ++done);
    }
  }
  if (!writer.Finish()) {
    platform::Tell("Error writing " + dest + "\n" + writer.Error());
    return false;
  }
  return true;
}

}  // namespace

bool GenerateLandscape(const GenerationSettings& s, const std::string& dest, platform::ProgressSink* progress) {
  EnsureGdal();
  if (s.columns <= 0 || s.rows <= 0 || !(s.cellSize > 0)) {
    platform::Tell(platform::FormatC(
        "Error, the landscape needs at least one row and one column and a cell size above 0 (Rows %d, Columns %d, "
        "CellSize %f).\nNothing was written.",
        s.rows, s.columns, s.cellSize));
    return false;
  }
  LayerCells cells;
  if (!CollectLayers(s, cells)) return false;
  CHeaderData h = GeneratedHeader(s);
  for (int k = 0; k < WrittenLayers(s); ++k)
    if (cells.theme[k] && !IsSourceLayer(s, k)) h.layerFiles[k] = s.layers[k].gridPath;
  if (!FillStatistics(s, cells, h)) return false;

  const bool lcp = EndsWithLcp(dest);
  std::string wkt;
  if (!lcp) {
    // Everything is checked before the file is made.
    bool unreadable = false;
    wkt = OutputProjection(s, cells, unreadable);
    if (unreadable) {
      platform::Tell("Unrecognized projection.\n" + s.projectionFile);
      return false;
    }
    if (wkt.empty()) {
      platform::Tell("Error, no projection information.");
      return false;
    }
  }
  if (!platform::AskYesNo(GenerationSummary(s, h, dest))) return false;
  if (progress) progress->SetText("Writing " + dest);
  const bool written = lcp ? WriteLcp(s, cells, h, dest, progress) : WriteGeoTiff(s, cells, h, dest, wkt, progress);
  if (!written) return false;
  platform::Tell(dest + " was written to disk.");
  return true;
}

// ---- the form ----

namespace {

std::string Fmt(const char* f, double expected, double found) { return platform::FormatC(f, expected, found); }

// Reads "keyword number" pairs of an ASCII grid header; a keyword longer than 256 characters
// ends the reading.
class HeaderReader {
 public:
  explicit HeaderReader(std::FILE* f) : f_(f) {}
  bool Next(std::string& key, std::string& value) { return Token(key) && Token(value); }

 private:
  bool Token(std::string& out) {
    out.clear();
    int ch;
    while ((ch = std::fgetc(f_)) != EOF && std::isspace(ch)) {
    }
    while (ch != EOF && !std::isspace(ch)) {
      if (out.size() >= 256) return false;
      out.push_back(static_cast<char>(ch));
      ch = std::fgetc(f_);
    }
    return !out.empty();
  }
  std::FILE* f_;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

bool GeoTiffGeometry(const std::string& path, int& columns, int& rows, double& west, double& south, double& size,
                     std::string& projection) {
  Dataset ds = OpenReadOnly(path);
  double gt[6];
  if (!ds || ds->GetRasterCount() < 1 || ds->GetGeoTransform(gt) != CE_None) return false;
  columns = ds->GetRasterXSize();
  rows = ds->GetRasterYSize();
  size = gt[1];
  west = gt[0];
  south = gt[3] + rows * gt[5];
  const char* wkt = ds->GetProjectionRef();
  projection = wkt ? wkt : "";
  return true;
}

void ShowCorner(GenerationSettings& s, double x, double y) {
  s.x = s.referenceX = x;
  s.y = s.referenceY = y;
}

}  // namespace

bool CheckAsciiGridHeader(GenerationSettings& s, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    platform::Tell("Error opening " + path);
    return false;
  }
  HeaderReader reader(f.get());
  struct Line {
    const char* keyword;
    bool integer;
  };
  static const Line kLines[5] = {{"NCOLS", true}, {"NROWS", true}, {"XLLCORNER", false}, {"YLLCORNER", false},
                                 {"CELLSIZE", false}};
  for (int i = 0; i < 5; ++i) {
    std::string key, value;
    const bool read = reader.Next(key, value);
    std::optional<double> number;
    if (read && kLines[i].integer) {
      if (auto n = platform::ParseInt(value)) number = static_cast<double>(*n);
    } else if (read) {
      number = platform::ParseDouble(value);
    }
    if (!read || Upper(key) != kLines[i].keyword || !number || !std::isfinite(*number)) {
      platform::Tell(platform::FormatC("Error, %s field not found where it is supposed to be.", kLines[i].keyword));
      return false;
    }
    const double v = *number;
    if (i < 2) {
      if (v < 0 || v > 2147483647.0) {
        platform::Tell(platform::FormatC("Error, %s field not found where it is supposed to be.", kLines[i].keyword));
        return false;
      }
      int& field = i == 0 ? s.columns : s.rows;
      if (!s.geometryFixed) {
        field = static_cast<int>(v);
      } else if (field != static_cast<long long>(v)) {
        platform::Tell(platform::FormatC("Error, incorrect %s field.\nExpected %ld, found %ld", kLines[i].keyword,
                                         static_cast<long>(field), static_cast<long>(v)));
        return false;
      }
    } else if (i < 4) {
      double& shown = i == 2 ? s.x : s.y;
      double& reference = i == 2 ? s.referenceX : s.referenceY;
      if (!s.geometryFixed) {
        shown = reference = v;
      } else if (reference != v) {
        platform::Tell(Fmt(i == 2 ? "Error, incorrect XLLCORNER field.\nExpected %f, found %f"
                                  : "Error, incorrect YLLCORNER field.\nExpected %f, found %f",
                           reference, v));
        return false;
      }
    } else if (!s.geometryFixed) {
      s.cellSize = v;
    } else if (s.cellSize != v) {
      platform::Tell(Fmt("Error, incorrect cell size field.\nExpected %f, found %f", s.cellSize, v));
      return false;
    }
  }
  s.geometryFixed = true;
  return true;
}

bool CheckGeoTiffGrid(GenerationSettings& s, const std::string& path) {
  int columns = 0, rows = 0;
  double west = 0, south = 0, size = 0;
  std::string projection;
  if (!GeoTiffGeometry(path, columns, rows, west, south, size, projection)) {
    platform::Tell("Error opening " + path + " as GeoTIFF");
    return false;
  }
  if (s.geometryFixed) {
    std::string fault;
    if (columns != s.columns)
      fault = platform::FormatC("Error, incorrect number of columns.\nExpected %ld, found %ld", static_cast<long>(s.columns),
                                static_cast<long>(columns));
    else if (rows != s.rows)
      fault = platform::FormatC("Error, incorrect number of rows.\nExpected %ld, found %ld", static_cast<long>(s.rows),
                                static_cast<long>(rows));
    else if (west != s.referenceX)
      fault = Fmt("Error, incorrect West bounds value.\nExpected %f, found %f", s.referenceX, west);
    else if (south != s.referenceY)
      fault = Fmt("Error, incorrect South bounds value.\nExpected %f, found %f", s.referenceY, south);
    else if (size != s.cellSize)
      fault = Fmt("Error, incorrect cell size field.\nExpected %f, found %f", s.cellSize, size);
    if (!fault.empty()) {
      platform::Tell(fault);
      return false;
    }
  } else {
    s.columns = columns;
    s.rows = rows;
    ShowCorner(s, west, south);
    s.cellSize = size;
    s.gridProjection = projection;
    LatitudeFromProjection(s, projection);
  }
  s.geometryFixed = true;
  return true;
}

bool ChooseGrid(GenerationSettings& s, int layer, const std::string& path) {
  if (layer < 0 || layer >= kGeneratedLayers) return false;
  const bool fits = Lower(platform::Extension(path)) == ".asc" ? CheckAsciiGridHeader(s, path) : CheckGeoTiffGrid(s, path);
  if (!fits) return false;
  s.layers[layer].gridPath = path;
  s.layers[layer].useSource = false;
  return true;
}

void LatitudeFromProjection(GenerationSettings& s, const std::string& projection) {
  if (projection.empty()) return;
  EnsureGdal();
  OGRSpatialReference srs;
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  char** tokens = CSLTokenizeString2(projection.c_str(), " \t\r\n", 0);
  const bool imported = srs.importFromESRI(tokens) == OGRERR_NONE ||
                        srs.SetFromUserInput(projection.c_str()) == OGRERR_NONE;
  CSLDestroy(tokens);
  if (!imported) return;
  OGRSpatialReference wgs84;
  wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (wgs84.SetWellKnownGeogCS("WGS84") != OGRERR_NONE) return;
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&srs, &wgs84));
  if (!ct) return;
  double x = s.referenceX + s.columns * s.cellSize * 0.5;
  double y = s.referenceY + s.rows * s.cellSize * 0.5;
  if (!ct->Transform(1, &x, &y) || !std::isfinite(y)) return;
  s.latitude = std::round(y);
}

void ReadProjectionFile(GenerationSettings& s, const std::string& prjPath) {
  const std::string wkt = ReadPrjFile(prjPath);
  if (!wkt.empty()) LatitudeFromProjection(s, wkt);
}

bool ChooseProjectionFile(GenerationSettings& s, const std::string& prjPath) {
  EnsureGdal();
  char** lines = CSLLoad(prjPath.c_str());
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  bool ok = false;
  if (!srs)
    platform::Tell("Unable to create projection.");
  else if (!lines || OSRImportFromESRI(srs, lines) != OGRERR_NONE)
    platform::Tell("Unrecognized projection.");
  else
    ok = true;
  if (srs) OSRDestroySpatialReference(srs);
  CSLDestroy(lines);
  if (!ok) return false;
  s.projectionFile = prjPath;
  ReadProjectionFile(s, prjPath);
  return true;
}

void ReadGridGeometry(GenerationSettings& s, const std::string& path) {
  if (Lower(platform::Extension(path)) == ".asc") {
    std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
      platform::Tell("Error opening " + path);
      return;
    }
    HeaderReader reader(f.get());
    double v[5];
    for (double& value : v) {
      std::string key, text;
      if (!reader.Next(key, text)) return;
      auto n = platform::ParseDouble(text);
      if (!n || !std::isfinite(*n)) return;
      value = *n;
    }
    if (v[0] < 0 || v[1] < 0 || v[0] > 2147483647.0 || v[1] > 2147483647.0) return;
    s.columns = static_cast<int>(v[0]);
    s.rows = static_cast<int>(v[1]);
    ShowCorner(s, v[2], v[3]);
    s.cellSize = v[4];
    return;
  }
  int columns = 0, rows = 0;
  double west = 0, south = 0, size = 0;
  std::string projection;
  if (!GeoTiffGeometry(path, columns, rows, west, south, size, projection)) return;
  s.columns = columns;
  s.rows = rows;
  ShowCorner(s, west, south);
  s.cellSize = size;
}

bool AllLayersConstant(const GenerationSettings& s) {
  for (int k = 0; k < WrittenLayers(s); ++k)
    if (!s.layers[k].constant) return false;
  return true;
}

namespace {
void GeometryFromSourceHeader(GenerationSettings& s) {
  const CHeaderData& h = s.sourceHeader;
  const double d = h.gridUnits == 2 ? 1000 : 1;
  s.columns = h.columns;
  s.rows = h.rows;
  ShowCorner(s, h.west / d, h.south / d);
  s.cellSize = h.cellWidth / d;
  s.geometryFixed = true;
}
}  // namespace

bool UpdateGeneralFields(GenerationSettings& s) {
  if (AllLayersConstant(s)) return true;
  if (!s.sourcePath.empty()) {
    GeometryFromSourceHeader(s);
    return false;
  }
  for (const GenerationLayer& l : s.layers)
    if (!l.gridPath.empty()) {
      ReadGridGeometry(s, l.gridPath);
      break;
    }
  return false;
}

namespace {
void TakeSourceHeader(GenerationSettings& s, const std::string& path, SourceKind kind) {
  const CHeaderData& h = s.sourceHeader;
  s.crownFuels = h.HasCrownFuels();
  s.latitude = h.latitude;
  s.gridUnits = std::clamp<int>(h.gridUnits, 0, 2);
  s.layers[kFuelModel].unit = h.unitCodes[kFuelModel];
  s.layers[kElevation].unit = h.unitCodes[kElevation];
  s.layers[kSlope].unit = h.unitCodes[kSlope];
  s.layers[kCanopyCover].unit = h.unitCodes[kCanopyCover];
  s.layers[kAspect].unit = h.unitCodes[kAspect] > 0 ? 1 : 0;
  if (kind == SourceKind::kLcp || s.crownFuels)
    for (int k = kStandHeight; k <= kCanopyBulkDensity; ++k) s.layers[k].unit = std::clamp(h.unitCodes[k] - 1, 0, 3);
  s.description = h.description;
  s.sourcePath = path;
  s.sourceKind = kind;
  for (int k = 0; k < kGeneratedLayers; ++k) {
    GenerationLayer& l = s.layers[k];
    l.useSource = k < 5 || s.crownFuels;
    l.constant = false;
    l.gridPath.clear();
    // A landscape written by the generator brings back those of its grids that still exist.
    if (kind == SourceKind::kLcp && !h.layerFiles[k].empty()) {
      if (std::unique_ptr<std::FILE, FileCloser> f{std::fopen(h.layerFiles[k].c_str(), "rb")}) {
        l.gridPath = h.layerFiles[k];
        l.useSource = false;
      }
    }
  }
  GeometryFromSourceHeader(s);
}
}  // namespace

bool LoadSourceLcp(GenerationSettings& s, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    platform::Tell("Error opening file");
    return false;
  }
  CHeaderData h;
  if (h.ReadHeader(f.get()) != 0) {
    platform::Tell("Error reading the landscape header of " + path +
                   ": the file is too short, of the older format, or its rows and columns do not fit its size.");
    return false;
  }
  s.sourceHeader = h;
  TakeSourceHeader(s, path, SourceKind::kLcp);
  return true;
}

bool LoadSourceGeoTiff(GenerationSettings& s, const std::string& path) {
  EnsureGdal();
  CHeaderData h;
  if (h.ReadGeoTiffHeader(path) != 0) {
    platform::Tell(platform::FormatC("Error reading Landscape Header from GDAL Datasource for %s", path.c_str()));
    return false;
  }
  s.sourceHeader = h;
  TakeSourceHeader(s, path, SourceKind::kGeoTiff);
  return true;
}

bool ChooseSourceLandscape(GenerationSettings& s, const std::string& path) {
  if (Lower(platform::Extension(path)) != ".lcp") return LoadSourceGeoTiff(s, path);
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    platform::Tell("Failed to open landscape file!");
    return false;
  }
  unsigned char b[4] = {0, 0, 0, 0};
  const std::size_t got = std::fread(b, 1, 4, f.get());
  const std::int32_t first = static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                                       (static_cast<std::uint32_t>(b[2]) << 16) |
                                                       (static_cast<std::uint32_t>(b[3]) << 24));
  if (got == 4 && first < 10) {
    platform::Tell("Cannot Use Version 1.0 LCP File Format");
    return false;
  }
  f.reset();
  return LoadSourceLcp(s, path);
}

void ClearFields(GenerationSettings& s) {
  GenerationSettings fresh;
  fresh.cellSize = s.cellSize;
  fresh.projectionFile = s.projectionFile;
  fresh.gridProjection = s.gridProjection;
  fresh.sourceHeader = s.sourceHeader;
  s = fresh;
}

std::string LayerSourceText(const GenerationSettings& s, int k) {
  const GenerationLayer& l = s.layers[k];
  if (k >= kStandHeight && !s.crownFuels) return "NA";
  if (l.constant)
    return platform::FormatC(k >= kCanopyBaseHeight ? "Constant: %.2f" : "Constant: %.0f", l.constantValue);
  if (!s.sourcePath.empty() && l.useSource) return "From Source Landscape File";
  if (l.gridPath.empty() || l.useSource) return "Needs to be set";
  return l.gridPath;
}

LayerEnables LayerEnabled(const GenerationSettings& s, int k) {
  const GenerationLayer& l = s.layers[k];
  const bool hasSource = !s.sourcePath.empty();
  if (k < kStandHeight) return {hasSource, l.constant, !l.constant, true, true};
  const bool crown = s.crownFuels;
  return {crown && hasSource && s.sourceHeader.HasCrownFuels(), crown && l.constant, crown && !l.constant, crown,
          crown};
}

}  // namespace landscape

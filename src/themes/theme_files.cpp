// Filling themes from files, landscapes and arrays, and writing them out again.
#include "themes/band_statistics.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <functional>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include "app/layer_types.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/temp_files.h"
#include "landscape/units.h"
#include "themes/mapped_file.h"
#include "themes/theme.h"

namespace {

constexpr std::size_t kThemeHeaderSize = 64;
constexpr std::size_t kMaxNameLength = 255;

// Row r of rows is about to be done; false when the user asked to cancel.
bool NextRow(platform::ProgressSink* progress, int r, int rows) {
  if (!progress || r % 64 != 0) return true;
  if (r == 0) progress->SetRange(rows);
  progress->SetPosition(r);
  return !progress->CancelRequested();
}

void TellErrorOpening(const std::string& path) {
  platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
}

void EnsureGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (GDALGetDriverCount() == 0) GDALAllRegister();
  });
}

template <class T>
T Get(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n'; }

// Next token of [p, end), separators skipped; empty at the end.
std::string_view NextToken(const char*& p, const char* end) {
  while (p < end && IsSeparator(*p)) ++p;
  const char* start = p;
  while (p < end && !IsSeparator(*p)) ++p;
  return {start, static_cast<std::size_t>(p - start)};
}

bool ParseFloatToken(std::string_view t, float& out) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return false;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  if (ec == std::errc::result_out_of_range) {
    double d;
    auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    if (r.ptr != t.data() + t.size()) return false;
    out = static_cast<float>(d);
    return true;
  }
  return ec == std::errc() && ptr == t.data() + t.size();
}

bool KeywordIs(std::string_view token, const char* keyword, std::size_t letters) {
  if (token.size() < letters) return false;
  for (std::size_t i = 0; i < letters; ++i)
    if (std::tolower(static_cast<unsigned char>(token[i])) != keyword[i]) return false;
  return true;
}

}  // namespace

// ---- scratch store -------------------------------------------------------------------

template <class RowProducer>
bool CTheme::MakeScratch(RowProducer&& produce) {
  DropCells();
  const std::string path = platform::ReserveScratchFile(".pvb");
  if (path.empty()) {
    TellErrorOpening(platform::Join(platform::WorkingFolder(), "*.pvb"));
    return false;
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool written = f != nullptr, produced = true;
  // An empty grid (rows or columns 0) needs no row buffer, whatever the other count says.
  std::vector<float> row(rows > 0 && columns > 0 ? static_cast<std::size_t>(columns) : 0);
  for (int r = 0; written && !row.empty() && r < rows; ++r) {
    if (!produce(r, row.data())) {
      produced = false;
      break;
    }
    written = std::fwrite(row.data(), sizeof(float), row.size(), f) == row.size();
  }
  if (f && std::fclose(f) != 0) written = false;
  auto map = std::make_unique<MappedFile>();
  const bool whole = produced && written && map->Open(path) &&
                     map->Size() == CellCount() * sizeof(float);
  if (!whole) {
    map.reset();
    std::remove(path.c_str());
    if (produced) TellErrorOpening(path);
    return false;
  }
  scratch_ = std::move(map);
  scratchPath_ = path;
  scratchCells_ = reinterpret_cast<const float*>(scratch_->Data());
  return true;
}

namespace {

void SetArrayFields(CTheme& t, const std::string& themeName, double s, double w, double cw,
                    double ch, int nRows, int nColumns, float nd, int unitCode, int type) {
  t.name = themeName;
  t.south = s;
  t.west = w;
  t.cellWidth = cw;
  t.cellHeight = ch;
  t.rows = nRows;
  t.columns = nColumns;
  t.north = s + nRows * ch;
  t.east = w + nColumns * cw;
  t.noData = nd;
  t.units = static_cast<std::int16_t>(unitCode);
  t.layerType = type;
  t.sourcePath.clear();
  t.projection.clear();
}

}  // namespace

int CTheme::CreateFromFloats(const std::string& themeName, double s, double w, double cw,
                             double ch, int nRows, int nColumns, float nd, const float* cells,
                             int unitCode, int type) {
  if (nRows < 0 || nColumns < 0 || (!cells && nRows > 0 && nColumns > 0)) return 0;
  SetArrayFields(*this, themeName, s, w, cw, ch, nRows, nColumns, nd, unitCode, type);
  const auto width = static_cast<std::size_t>(columns);
  return MakeScratch([&](int r, float* out) {
           std::memcpy(out, cells + static_cast<std::size_t>(r) * width, width * sizeof(float));
           return true;
         })
             ? 1
             : 0;
}

int CTheme::CreateFromDoubles(const std::string& themeName, double s, double w, double cw,
                              double ch, int nRows, int nColumns, float nd, const double* cells,
                              int unitCode, int type) {
  if (nRows < 0 || nColumns < 0 || (!cells && nRows > 0 && nColumns > 0)) return 0;
  SetArrayFields(*this, themeName, s, w, cw, ch, nRows, nColumns, nd, unitCode, type);
  const auto width = static_cast<std::size_t>(columns);
  return MakeScratch([&](int r, float* out) {
           const double* in = cells + static_cast<std::size_t>(r) * width;
           for (std::size_t c = 0; c < width; ++c) out[c] = static_cast<float>(in[c]);
           return true;
         })
             ? 1
             : 0;
}

// ---- own binary raster file ----------------------------------------------------------

int CTheme::LoadThemeFile(const std::string& path) {
  MappedFile in;
  if (!in.Open(path)) return 0;
  return LoadThemeData(in.Data(), in.Size(), path);
}

int CTheme::LoadThemeBytes(const std::string& bytes, const std::string& nameForMessages) {
  return LoadThemeData(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                       nameForMessages);
}

int CTheme::LoadThemeData(const unsigned char* d, std::size_t size, const std::string& path) {
  if (size < kThemeHeaderSize + 1) {
    TellErrorOpening(path);
    return 0;
  }
  const int nRows = Get<std::int32_t>(d), nColumns = Get<std::int32_t>(d + 4);
  std::size_t nameLength = 0;
  while (nameLength <= kMaxNameLength && kThemeHeaderSize + nameLength < size &&
         d[kThemeHeaderSize + nameLength] != 0)
    ++nameLength;
  const std::size_t unitsAt = kThemeHeaderSize + nameLength + 1;
  const std::size_t cellsAt = unitsAt + 2;
  const bool nameEnds = nameLength <= kMaxNameLength && kThemeHeaderSize + nameLength < size;
  const bool countsFit = nRows >= 0 && nColumns >= 0 && nameEnds && cellsAt <= size &&
                         (nColumns == 0 || static_cast<std::size_t>(nRows) <=
                                               (size - cellsAt) / sizeof(float) /
                                                   static_cast<std::size_t>(nColumns));
  if (!countsFit) {
    TellErrorOpening(path);
    return 0;
  }
  rows = nRows;
  columns = nColumns;
  cellWidth = Get<double>(d + 8);
  cellHeight = Get<double>(d + 16);
  east = Get<double>(d + 24);
  west = Get<double>(d + 32);
  north = Get<double>(d + 40);
  south = Get<double>(d + 48);
  noData = Get<float>(d + 56);
  layerType = Get<std::int32_t>(d + 60);
  name.assign(reinterpret_cast<const char*>(d + kThemeHeaderSize), nameLength);
  units = Get<std::int16_t>(d + unitsAt);
  const unsigned char* cells = d + cellsAt;
  const std::size_t rowBytes = static_cast<std::size_t>(columns) * sizeof(float);
  return MakeScratch([&](int r, float* out) {
           std::memcpy(out, cells + static_cast<std::size_t>(r) * rowBytes, rowBytes);
           return true;
         })
             ? 1
             : 0;
}

std::string CTheme::ThemeHeader() const {
  std::string header;
  Put<std::int32_t>(header, rows);
  Put<std::int32_t>(header, columns);
  Put(header, cellWidth);
  Put(header, cellHeight);
  Put(header, east);
  Put(header, west);
  Put(header, north);
  Put(header, south);
  Put(header, noData);
  Put<std::int32_t>(header, layerType);
  std::string stored = name.substr(0, std::min(name.find('\0'), kMaxNameLength));
  header += stored;
  header += '\0';
  Put(header, units);
  return header;
}

bool CTheme::WriteThemeData(const std::function<bool(const void*, std::size_t)>& write) const {
  const std::string header = ThemeHeader();
  bool ok = write(header.data(), header.size());
  std::vector<float> row(rows > 0 ? static_cast<std::size_t>(std::max(columns, 0)) : 0);
  for (int r = 0; ok && r < rows; ++r) {
    ReadRow(r, row.data());
    ok = write(row.data(), row.size() * sizeof(float));
  }
  return ok;
}

std::string CTheme::ThemeBytes() const {
  std::string bytes;
  WriteThemeData([&](const void* data, std::size_t size) {
    bytes.append(static_cast<const char*>(data), size);
    return true;
  });
  return bytes;
}

bool CTheme::SaveThemeFile(const std::string& path) const {
  platform::AtomicFile out(path);
  bool ok = out.Open() &&
            WriteThemeData([&](const void* data, std::size_t size) { return out.Write(data, size); });
  if (ok) ok = out.Commit();
  if (!ok) TellErrorOpening(path);
  return ok;
}

// ---- ESRI ASCII grid -----------------------------------------------------------------

int CTheme::LoadGridFile(int type, const std::string& path, platform::ProgressSink* progress) {
  if (platform::HasExtension(path, ".tif") || platform::HasExtension(path, ".tiff"))
    return LoadGdalRaster(type, path, progress);
  layerType = type;
  sourcePath = path;
  name = GetFileTitleFromPath(path);
  units = 0;
  if (type != 10 && type != 33 && type != 34) return 1;

  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  if (gridText_) std::fclose(gridText_);
  gridText_ = f;  // held for the theme's life, as the grid's source
  auto refuse = [&] {
    platform::Tell(platform::FormatC("Error reading %s", path.c_str()));
    return 0;
  };
  MappedFile text;
  if (!text.Open(path)) return refuse();

  // Header: up to six "keyword value" lines; a line starting with a number is data, so an
  // absent optional line (NODATA_value) does not swallow the first row.
  const char* p = reinterpret_cast<const char*>(text.Data());
  const char* end = p + text.Size();
  long long nColumns = -1, nRows = -1;
  double x = 0, y = 0, size = 0;
  float fileNoData = kNoData;
  bool hasNoData = false;
  for (int line = 0; line < 6 && p < end; ++line) {
    const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    if (!lineEnd) lineEnd = end;
    const char* q = p;
    std::string_view key = NextToken(q, lineEnd);
    float probe;
    if (!key.empty() && ParseFloatToken(key, probe)) break;  // first data line
    std::string_view value = NextToken(q, lineEnd);
    auto number = platform::ParseDouble(value);
    auto integer = platform::ParseInt(value);
    if (KeywordIs(key, "ncols", 5)) {
      if (!integer) return refuse();
      nColumns = *integer;
    } else if (KeywordIs(key, "nrows", 5)) {
      if (!integer) return refuse();
      nRows = *integer;
    } else if (KeywordIs(key, "xllcorner", 9)) {
      if (!number) return refuse();
      x = *number;
    } else if (KeywordIs(key, "yllcorner", 9)) {
      if (!number) return refuse();
      y = *number;
    } else if (KeywordIs(key, "cellsize", 8)) {
      if (!number) return refuse();
      size = *number;
    } else if (KeywordIs(key, "nodata_val", 10)) {
      if (!ParseFloatToken(value, fileNoData)) return refuse();
      hasNoData = true;
    }
    p = lineEnd < end ? lineEnd + 1 : end;
  }
  if (nColumns < 0 || nRows < 0 || nColumns > INT32_MAX || nRows > INT32_MAX || !(size > 0) ||
      !std::isfinite(size) || !std::isfinite(x) || !std::isfinite(y))
    return refuse();
  // Every number takes at least one character and one separator.
  const auto remaining = static_cast<unsigned long long>(end - p);
  if (nColumns > 0 && static_cast<unsigned long long>(nRows) >
                          (remaining + 1) / 2 / static_cast<unsigned long long>(nColumns))
    return refuse();
  columns = static_cast<int>(nColumns);
  rows = static_cast<int>(nRows);
  west = x;
  south = y;
  cellWidth = cellHeight = size;
  east = columns * cellWidth + west;
  north = rows * cellHeight + south;
  noData = kNoData;
  bool bad = false;
  const bool made = MakeScratch([&](int r, float* out) {
    if (!NextRow(progress, r, rows)) return false;
    for (int c = 0; c < columns; ++c) {
      std::string_view t = NextToken(p, end);
      if (!ParseFloatToken(t, out[c])) return !(bad = true);
      if (hasNoData && out[c] == fileNoData) out[c] = kNoData;
    }
    return true;
  });
  if (!made) return bad ? refuse() : 0;

  projection.clear();
  std::string prj = platform::ReplaceExtension(path, ".prj");
  if (std::FILE* pf = std::fopen(prj.c_str(), "rb")) {
    char line[2048];
    if (std::fgets(line, sizeof line, pf)) {
      projection = line;
      while (!projection.empty() && (projection.back() == '\n' || projection.back() == '\r'))
        projection.pop_back();
    }
    std::fclose(pf);
  }
  return 1;
}

// ---- rasters through GDAL ------------------------------------------------------------

void CTheme::SetGridFrom(const LandscapeGrid& g) {
  rows = g.rows;
  columns = g.columns;
  north = g.north;
  east = g.east;
  south = g.south;
  west = g.west;
  cellWidth = g.cellWidth > 0 ? g.cellWidth : 1.0;
  cellHeight = g.cellHeight > 0 ? g.cellHeight : 1.0;
  const double tolerance = 1e-6;
  if (std::fabs((east - west) - columns * cellWidth) > tolerance * cellWidth)
    west = east - columns * cellWidth;
  if (std::fabs((north - south) - rows * cellHeight) > tolerance * cellHeight)
    south = north - rows * cellHeight;
}

int CTheme::LoadGdalRaster(int /*layerType*/, const std::string& path,
                           platform::ProgressSink* progress) {
  EnsureGdal();
  std::unique_ptr<GDALDataset> ds(
      GDALDataset::FromHandle(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                                         nullptr, nullptr, nullptr)));
  if (!ds || ds->GetRasterCount() < 1) return 0;
  units = 0;
  double g[6];
  if (ds->GetGeoTransform(g) != CE_None) return -1;
  LandscapeGrid grid;
  grid.rows = ds->GetRasterYSize();
  grid.columns = ds->GetRasterXSize();
  grid.cellWidth = std::fabs(g[1]);
  grid.cellHeight = std::fabs(g[5]);
  grid.north = g[3];
  grid.west = g[0];
  grid.east = grid.west + grid.columns * grid.cellWidth;
  grid.south = grid.north - grid.rows * grid.cellHeight;
  SetGridFrom(grid);
  name = GetFileTitleFromPath(path);
  if (name.empty()) name = path;
  sourcePath = path;

  GDALRasterBand* band = ds->GetRasterBand(1);
  if (!AllocateMemory()) return 0;
  const GDALDataType type = band->GetRasterDataType();
  if (!GDALDataTypeIsComplex(type)) {
    int hasNoData = 0;
    const double bandNoData = band->GetNoDataValue(&hasNoData);
    const float fileNoData = static_cast<float>(bandNoData);
    for (int r = 0; r < rows; ++r) {
      float* row = memory_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
      if (!NextRow(progress, r, rows) ||
          band->RasterIO(GF_Read, 0, r, columns, 1, row, columns, 1, GDT_Float32, 0, 0) != CE_None) {
        DropCells();
        return 0;
      }
      // The file's own nodata becomes the system's.
      if (hasNoData)
        for (int c = 0; c < columns; ++c)
          if (row[c] == fileNoData || (std::isnan(bandNoData) && std::isnan(row[c]))) row[c] = kNoData;
    }
  }
  projection = ds->GetProjectionRef() ? ds->GetProjectionRef() : "";
  return 1;
}

bool CTheme::SaveGeoTiff(const std::string& projectionText, const std::string& path,
                         const CThemeLegendData* legend, platform::ProgressSink* progress) const {
  EnsureGdal();
  bool cancelled = false;
  platform::TempFile temp;
  auto fail = [&]() {
    platform::DiscardTemp(temp);
    if (!cancelled) platform::Tell(platform::FormatC("Error writing %s", path.c_str()));
    return false;
  };
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!driver || rows <= 0 || columns <= 0) return fail();
  if (!platform::CreateTempBeside(path, ".tif", temp)) return fail();
  platform::CloseTempFd(temp);
  CPLErrorReset();
  const char* options[] = {"COMPRESS=DEFLATE", "PROFILE=GDALGeoTIFF", nullptr};
  GDALDataset* ds = driver->Create(temp.path.c_str(), columns, rows, 1, GDT_Float32,
                                   const_cast<char**>(options));
  if (!ds) return fail();
  ds->SetDescription(name.c_str());
  if (!projectionText.empty() && projectionText != "(null)" && projectionText != "null") {
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(projectionText.c_str()) == OGRERR_NONE) ds->SetSpatialRef(&srs);
  }
  double g[6] = {west, cellWidth, 0, south + rows * cellHeight, 0, -cellHeight};
  ds->SetGeoTransform(g);
  GDALRasterBand* band = ds->GetRasterBand(1);
  CPLErrorReset();  // a projection GDAL cannot read is left out; only writing can fail now
  const std::string unitsName = legend ? legend->GetUnitsName() : std::string();
  bool ok = band->SetNoDataValue(kNoData) == CE_None;
  band->SetDescription(name.c_str());
  band->SetUnitType(unitsName.c_str());
  band->SetMetadataItem("UnitOfMeasure", unitsName.c_str());
  band->SetMetadataItem("RepresentationType", "THEMATIC");
  std::vector<float> row(static_cast<std::size_t>(columns));
  for (int r = 0; ok && r < rows; ++r) {
    if (!NextRow(progress, r, rows)) {
      ok = false;
      cancelled = true;
      break;
    }
    ReadRow(r, row.data());
    if (legend)
      for (float& v : row)
        if (v != kNoData) v = ConvertToDisplayUnits(v, *legend);
    ok = band->RasterIO(GF_Write, 0, r, columns, 1, row.data(), columns, 1, GDT_Float32, 0, 0) ==
         CE_None;
  }
  GDALClose(ds);
  if (!ok || CPLGetLastErrorType() == CE_Failure || CPLGetLastErrorType() == CE_Fatal) return fail();
  if (!platform::CommitTemp(temp)) return fail();
  // Statistics and the default histogram are kept beside the file.
  std::remove((path + ".aux.xml").c_str());
  if (GDALDataset* check = GDALDataset::FromHandle(GDALOpen(path.c_str(), GA_ReadOnly))) {
    ComputeBandStatistics(check->GetRasterBand(1));
    GDALClose(check);
  }
  CPLErrorReset();
  return true;
}

// ---- landscape bands -----------------------------------------------------------------

void CTheme::SetLandscapeDecoding(int unitCode) {
  decode_.resize(65536);
  for (int bits = 0; bits < 65536; ++bits)
    decode_[static_cast<std::size_t>(bits)] =
        landscape::LayerCellValue(layerType, unitCode, static_cast<std::int16_t>(static_cast<std::uint16_t>(bits)));
  units = static_cast<std::int16_t>(landscape::LayerThemeUnits(layerType, unitCode));
}

int CTheme::ReadLandscapeBand(int type, const LandscapeGrid& grid, GDALRasterBand* band,
                              int unitCode, int* low, int* high) {
  layerType = type;
  SetGridFrom(grid);
  name = GetLandscapeLayerName(type);
  SetLandscapeDecoding(unitCode);
  if (!band || !AllocateLandscapeCells()) return 0;
  if (ReadShortBand(band) != 1) {
    DropCells();
    return 0;
  }
  bool any = false;
  std::int16_t lo = -9999, hi = -9999;
  std::vector<bool> seen(65536);
  for (std::size_t i = 0; i < CellCount(); ++i) seen[static_cast<std::uint16_t>(cells16_[i])] = true;
  for (int bits = 0; bits < 65536; ++bits) {
    const float v = decode_[static_cast<std::size_t>(bits)];
    if (!seen[static_cast<std::size_t>(bits)] || v == kNoData) continue;
    const auto whole = static_cast<std::int16_t>(static_cast<int>(v));
    lo = any ? std::min(lo, whole) : whole;
    hi = any ? std::max(hi, whole) : whole;
    any = true;
  }
  if (low) *low = any ? lo : -9999;
  if (high) *high = any ? hi : -9999;
  return 1;
}

int CTheme::ReadShortBand(GDALRasterBand* band) {
  if (!band) return 1;
  if (hasMemory_) {
    std::vector<std::int16_t> in(static_cast<std::size_t>(columns));
    for (int r = 0; r < rows; ++r) {
      if (band->RasterIO(GF_Read, 0, r, columns, 1, in.data(), columns, 1, GDT_Int16, 0, 0) != CE_None)
        return 0;
      float* row = memory_.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
      for (int c = 0; c < columns; ++c) row[c] = decode_[static_cast<std::uint16_t>(in[static_cast<std::size_t>(c)])];
    }
    return 1;
  }
  if (!cells16_) return 1;
  // Whole blocks of rows at a time; the band's block cache need not hold the band.
  const int chunk = std::max(1, static_cast<int>((4 << 20) / (2 * std::max<std::size_t>(1, columns))));
  for (int r = 0; r < rows; r += chunk) {
    const int n = std::min(chunk, rows - r);
    if (band->RasterIO(GF_Read, 0, r, columns, n, cells16_.get() + static_cast<std::size_t>(r) * columns, columns, n,
                       GDT_Int16, 0, 0) != CE_None)
      return 0;
  }
  return 1;
}

int CTheme::OpenLandscapeBand(int type, const LandscapeGrid& grid, const std::string& path,
                              int unitCode, std::uint64_t offset, int nBands, int index,
                              bool keepInMemory) {
  layerType = type;
  sourcePath = path;
  headerOffset_ = offset;
  bandCount_ = nBands;
  bandIndex_ = index;
  SetGridFrom(grid);
  name = GetLandscapeLayerName(type);
  SetLandscapeDecoding(unitCode);
  if (rows < 0 || columns < 0 || nBands <= 0 || index < 0 || index >= nBands) {
    TellErrorOpening(path);
    return 0;
  }
  if (keepInMemory) return AllocateLandscapeCells() ? 1 : 0;
  DropCells();
  auto map = std::make_unique<MappedFile>();
  const std::uint64_t needed =
      (offset + static_cast<std::uint64_t>(CellCount()) * static_cast<std::uint64_t>(nBands)) * 2;
  if (!map->Open(path) || map->Size() < needed) {
    TellErrorOpening(path);
    return 0;
  }
  lcp_ = std::move(map);
  lcpCells_ = reinterpret_cast<const std::int16_t*>(lcp_->Data());
  lcpCount_ = lcp_->Size() / 2;
  return 1;
}

void CTheme::SetLandscapeRow(int row, const std::int16_t* values, int nBands, int band) {
  if (!values || row < 0 || row >= rows || band < 0 || band >= nBands) return;
  const std::size_t first = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns);
  const auto stride = static_cast<std::size_t>(nBands);
  const std::int16_t* in = values + band;
  if (cells16_) {
    std::int16_t* out = cells16_.get() + first;
    for (int i = 0; i < columns; ++i) out[i] = in[static_cast<std::size_t>(i) * stride];
  } else if (hasMemory_) {
    float* out = memory_.data() + first;
    for (int i = 0; i < columns; ++i) out[i] = decode_[static_cast<std::uint16_t>(in[static_cast<std::size_t>(i) * stride])];
  }
}

int CTheme::SetRowFromLandscape(int row, const std::int16_t* values, int nBands) {
  const int band = (nBands == 7 && layerType > 4) ? layerType - 3 : layerType;
  SetLandscapeRow(row, values, nBands, band);
  return 1;
}

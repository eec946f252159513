#include <gdal_priv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>

#include "landscape/geo.h"
#include "landscape/convert.h"
#include "landscape/geotiff.h"
#include "landscape/landscape.h"
#include "landscape/reader.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "themes/theme.h"

namespace landscape {

namespace {

std::optional<std::uint64_t> budgetOverride;

std::string LastGdalError() {
  const char* m = CPLGetLastErrorMsg();
  return m && *m ? m : "The raster library could not read the file.";
}

std::string Refusal(const std::string& path, const std::string& reason) {
  return "Cannot open " + path + ": " + reason;
}

std::string Gigabytes(std::uint64_t bytes) {
  return platform::FormatC("%.1f GB", static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0));
}

LandscapeGrid GridOf(const CHeaderData& h) {
  LandscapeGrid g;
  g.rows = h.rows;
  g.columns = h.columns;
  g.east = h.east;
  g.west = h.west;
  g.north = h.north;
  g.south = h.south;
  g.cellWidth = h.cellWidth;
  g.cellHeight = h.cellHeight;
  return g;
}

// What is wrong with a path before any reader looks inside it; "" when it is a file with bytes.
std::string CheckFile(const std::string& path, std::uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return Refusal(path, errno == ENOENT ? "the file does not exist." : std::string(std::strerror(errno)) + ".");
  if (S_ISDIR(st.st_mode)) return Refusal(path, "it is a folder, not a landscape file.");
  if (!S_ISREG(st.st_mode)) return Refusal(path, "it is not a landscape file.");
  if (st.st_size == 0) return Refusal(path, "the file is empty.");
  *size = static_cast<std::uint64_t>(st.st_size);
  return "";
}

// The memory guard: every band of the grid, as the 16-bit memory store holds it.
std::string CheckMemory(const std::string& path, int columns, int rows, int bands) {
  const std::uint64_t need = static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rows) *
                             static_cast<std::uint64_t>(bands) * sizeof(std::int16_t);
  const std::uint64_t budget = LandscapeMemoryBudget();
  if (need <= budget) return "";
  return Refusal(path, platform::FormatC("too many cells for this machine: %d x %d cells of %d layers need ",
                                         columns, rows, bands) +
                           Gigabytes(need) + " of memory, and " + Gigabytes(budget) + " can be spared.");
}

// The header of an LCP file against the file's size, before GDAL or any allocation.
std::string CheckLcpHeader(const std::string& path, std::uint64_t size, const OpenOptions& options) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return Refusal(path, std::string(std::strerror(errno)) + ".");
  std::string bytes(static_cast<std::size_t>(kLcpHeaderSize), '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  auto flag = [&](int at) {
    std::int32_t v = 0;
    if (got >= static_cast<std::size_t>(at) + 4) std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  const bool flagsRight = got >= 8 && (flag(0) == 20 || flag(0) == 21) && (flag(4) == 20 || flag(4) == 21);
  if (!flagsRight) return Refusal(path, "it is not a landscape file.");
  if (got < bytes.size())
    return Refusal(path, platform::FormatC("the file is truncated: it ends inside the landscape header "
                                           "(%lld of %lld bytes).",
                                           static_cast<long long>(got), static_cast<long long>(kLcpHeaderSize)));
  CHeaderData h;
  if (!h.ParseHeader(bytes.data(), bytes.size())) return Refusal(path, "it is not a landscape file.");
  if (h.columns <= 0 || h.rows <= 0)
    return Refusal(path, platform::FormatC("it is not a landscape file: its header gives %d columns and %d rows.",
                                           h.columns, h.rows));
  const std::int64_t cells = h.CellBytes();
  const std::uint64_t held = size - static_cast<std::uint64_t>(kLcpHeaderSize);
  if (cells < 0 || static_cast<std::uint64_t>(cells) > held)
    return Refusal(path, platform::FormatC("the file is truncated: its header describes %d x %d cells of %d "
                                           "layers (%lld bytes), but only %llu bytes of cells follow it.",
                                           h.columns, h.rows, h.BandCount(), static_cast<long long>(cells),
                                           static_cast<unsigned long long>(held)));
  return options.keepCellsInMemory ? CheckMemory(path, h.columns, h.rows, h.BandCount()) : "";
}

// Interleaved rows of a landscape: bandCount values per cell.
using RowReader = std::function<bool(int firstRow, int rows, std::int16_t* out)>;

// One pass over the cells: each row goes to the layer themes that keep their cells in memory,
// and every value seen marks the layer's table of values, from which the header's low, high
// and the fuel models' value list come. layerOfBand: the layer code of each band.
bool ScatterAndScan(const RowReader& read, const std::vector<int>& layerOfBand, LandscapeState& state,
                    bool scatter) {
  CHeaderData& h = state.header;
  const int bands = static_cast<int>(layerOfBand.size());
  const std::size_t rowValues = static_cast<std::size_t>(h.columns) * static_cast<std::size_t>(bands);
  const int chunk = std::max(1, static_cast<int>((4u << 20) / (rowValues * 2)));
  std::vector<std::int16_t> buf(static_cast<std::size_t>(std::min(chunk, h.rows)) * rowValues);
  std::vector<std::uint8_t> seen(static_cast<std::size_t>(bands) * 65536);
  for (int r0 = 0; r0 < h.rows; r0 += chunk) {
    const int n = std::min(chunk, h.rows - r0);
    if (!read(r0, n, buf.data())) return false;
    for (int i = 0; i < n; ++i) {
      const std::int16_t* row = buf.data() + static_cast<std::size_t>(i) * rowValues;
      for (std::size_t v = 0; v < rowValues;)
        for (int b = 0; b < bands; ++b, ++v)
          seen[static_cast<std::size_t>(b) * 65536 + static_cast<std::uint16_t>(row[v])] = 1;
      if (scatter)
        for (int b = 0; b < bands; ++b)
          if (CTheme* t = state.layers[static_cast<std::size_t>(layerOfBand[static_cast<std::size_t>(b)])])
            t->SetLandscapeRow(r0 + i, row, bands, b);
    }
  }
  for (int b = 0; b < bands; ++b) {
    const int k = layerOfBand[static_cast<std::size_t>(b)];
    const CTheme* t = state.layers[static_cast<std::size_t>(k)];
    if (!t) continue;
    const std::uint8_t* mark = seen.data() + static_cast<std::size_t>(b) * 65536;
    std::vector<int> values;
    bool any = false;
    float lo = 0, hi = 0;
    for (int bits = 0; bits < 65536; ++bits) {
      if (!mark[bits]) continue;
      const float v = t->GetLandscapeValue(static_cast<std::int16_t>(static_cast<std::uint16_t>(bits)));
      if (v == kNoData || std::isnan(v)) continue;
      lo = any ? std::min(lo, v) : v;
      hi = any ? std::max(hi, v) : v;
      any = true;
      if (values.size() <= 99) values.push_back(static_cast<int>(v));
    }
    LcpLayerStats& s = h.layerStats[static_cast<std::size_t>(k)];
    // An all-nodata band has no range.
    s.low = any ? static_cast<std::int16_t>(static_cast<int>(lo)) : 0;
    s.high = any ? static_cast<std::int16_t>(static_cast<int>(hi)) : 0;
    // The fuel models present, so that their legend has one class each.
    if (k == kFuelModel && values.size() <= 99) {
      std::sort(values.begin(), values.end());
      values.erase(std::unique(values.begin(), values.end()), values.end());
      s.count = static_cast<std::int32_t>(values.size());
      s.values.fill(0);
      std::copy(values.begin(), values.end(), s.values.begin() + 1);
    }
  }
  return true;
}

void DropThemes(ThemeList& themes, std::size_t from, LandscapeState& state) {
  state.layers.fill(nullptr);
  themes.resize(from);
}

}  // namespace

std::uint64_t LandscapeMemoryBudget() {
  if (budgetOverride) return *budgetOverride;
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  std::uint64_t budget = pages > 0 && pageSize > 0
                             ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2
                             : std::uint64_t(1) << 31;
  // Memory the system can give now, when it says.
  if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) budget = std::min<std::uint64_t>(budget, kb * 1024);
    std::fclose(f);
  }
  return budget;
}

void SetLandscapeMemoryBudget(std::optional<std::uint64_t> bytes) { budgetOverride = bytes; }

int OpenLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes,
                  const OpenOptions& options) {
  state.path = path;
  const int rc = platform::HasExtension(path, ".lcp") ? LoadLcpLandscape(state, path, gridThemes, options)
                                                      : LoadGeoTiffLandscape(state, path, gridThemes);
  return rc == 1 ? 1 : -1;
}

int LoadLcpLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes,
                     const OpenOptions& options) {
  auto refuse = [](const std::string& message) {
    platform::Tell(message);
    return -1;
  };
  std::uint64_t size = 0;
  std::string problem = CheckFile(path, &size);
  if (problem.empty()) problem = CheckLcpHeader(path, size, options);
  if (!problem.empty()) return refuse(problem);
  CPLErrorReset();
  Dataset ds = OpenReadOnly(path);
  if (!ds) return refuse(Refusal(path, "it is not a landscape file.\n" + LastGdalError()));
  CHeaderData& h = state.header;
  const int bands = ds->GetRasterCount();
  const char* latItem = ds->GetMetadataItem("LATITUDE");
  const auto lat = latItem ? platform::ParseInt(latItem) : std::nullopt;
  h.latitude = lat && *lat >= -90 && *lat <= 90 ? static_cast<std::int32_t>(*lat) : 0;
  switch (bands) {
    case 5: h.crownFlag = 20, h.groundFlag = 20; break;
    case 7: h.crownFlag = 20, h.groundFlag = 21; break;
    case 8: h.crownFlag = 21, h.groundFlag = 20; break;
    case 10: h.crownFlag = 21, h.groundFlag = 21; break;
    default:
      return refuse(Refusal(path, platform::FormatC("a landscape file has 5, 7, 8 or 10 layers; this one has %d.",
                                                    bands)));
  }
  state.bandCount = bands;
  h.EmptyStatistics();
  h.columns = ds->GetRasterXSize();
  h.rows = ds->GetRasterYSize();
  double gt[6];
  if (ds->GetGeoTransform(gt) != CE_None) return refuse(Refusal(path, "it has no georeferencing."));
  h.cellWidth = std::fabs(gt[1]);
  h.cellHeight = std::fabs(gt[5]);
  // The origin keeps its fraction: cutting it to whole units would shift the grid.
  h.west = h.westEdge = gt[0];
  h.north = h.northEdge = gt[3];
  h.east = h.eastEdge = h.west + h.columns * h.cellWidth;
  h.south = h.southEdge = h.north - h.rows * h.cellHeight;
  const char* linear = ds->GetMetadataItem("LINEAR_UNIT");
  h.gridUnits = linear && EQUAL(linear, "Feet") ? 1 : 0;

  const std::size_t firstNew = gridThemes.size();
  std::vector<int> layerOfBand(static_cast<std::size_t>(bands));
  for (int k = 0; k < kLayerCount; ++k) {
    const int index = h.BandIndex(k);
    if (index < 0 || index >= bands) continue;
    layerOfBand[static_cast<std::size_t>(index)] = k;
    GDALRasterBand* b = ds->GetRasterBand(index + 1);
    const char* item = b->GetMetadataItem(UnitItemName(k));
    const auto code = item ? platform::ParseInt(item) : std::nullopt;
    const int fileCode = code && *code >= -32768 && *code <= 32767 ? static_cast<int>(*code) : 0;
    auto theme = std::make_unique<CTheme>();
    if (!theme->OpenLandscapeBand(k, GridOf(h), path, fileCode, kLcpHeaderSize / 2, bands, index,
                                  options.keepCellsInMemory)) {
      DropThemes(gridThemes, firstNew, state);
      // The in-place store has said why it cannot read the file.
      if (!options.keepCellsInMemory) return -1;
      return refuse(Refusal(path, "there is not enough memory for its cells."));
    }
    // The header's codes say what the themes hold (cover in percent and aspect in azimuth
    // degrees), so that writing them out labels them truly.
    h.unitCodes[k] = theme->units;
    theme->sourcePath = path;
    state.layers[k] = theme.get();
    gridThemes.push_back(std::move(theme));
  }
  // The cells are interleaved: one pass over the file fills every layer.
  auto reader = LcpFileReader::Open(path);
  const RowReader read = [&](int r0, int n, std::int16_t* out) { return reader && reader->ReadRows(r0, n, out); };
  if (!ScatterAndScan(read, layerOfBand, state, options.keepCellsInMemory)) {
    DropThemes(gridThemes, firstNew, state);
    return refuse(Refusal(path, "its cells cannot be read."));
  }

  const char* wkt = ds->GetProjectionRef();
  state.projection = wkt ? wkt : "";
  const std::string normal = NormalizeWkt(state.projection);
  if (!normal.empty()) {
    state.projection = normal;
    CPLErrorReset();
    const CenterLatitudeResult c = CenterLatitude(ds.get());
    if (c.status == CenterLatitudeResult::kOk)
      h.latitude = static_cast<std::int32_t>(std::round(c.latitude));
    else if (c.status == CenterLatitudeResult::kNoTransform)
      platform::Tell(LastGdalError());
  }
  state.loaded = true;
  return 1;
}

int ReadGeoTiffLandscapeHeader(LandscapeState& state, const std::string& path, CHeaderData& header,
                               bool update) {
  Dataset ds = OpenReadOnly(path);
  double gt[6];
  if (!ds || ds->GetGeoTransform(gt) != CE_None) return -1;
  CPLErrorReset();
  const int status = FillHeaderFromGeoTiff(ds.get(), gt, header);
  if (update) state.bandCount = header.HasCrownFuels() ? 8 : 5;
  if (status == CenterLatitudeResult::kNoTransform) platform::Tell(LastGdalError());
  if (update) {
    const std::string wkt = NormalizeWkt(ds->GetProjectionRef() ? ds->GetProjectionRef() : "");
    if (!wkt.empty()) state.projection = wkt;
  }
  return 1;
}

int LoadGeoTiffLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes) {
  auto refuse = [](const std::string& message) {
    platform::Tell(message);
    return -1;
  };
  std::uint64_t size = 0;
  if (std::string problem = CheckFile(path, &size); !problem.empty()) return refuse(problem);
  CPLErrorReset();
  Dataset ds = OpenReadOnly(path);
  if (!ds) return refuse(Refusal(path, "it is not a landscape file.\n" + LastGdalError()));
  double gt[6];
  if (ds->GetGeoTransform(gt) != CE_None)
    return refuse("Error reading Landscape Header from GDAL Datasource for " + path + "\nIt has no georeferencing.");
  if (ds->GetRasterCount() < 8)
    return refuse(platform::FormatC("Error! GeoTIFF landscapes must contain at least 8 bands.\n%s contains %d bands.\n",
                                    path.c_str(), ds->GetRasterCount()));
  // Before anything looks at the cells: a few bytes of a sparse file can claim any size.
  if (std::string problem = CheckMemory(path, ds->GetRasterXSize(), ds->GetRasterYSize(), 8); !problem.empty())
    return refuse(problem);
  if (ReadGeoTiffLandscapeHeader(state, path, state.header, true) != 1)
    return refuse("Error reading Landscape Header from GDAL Datasource for " + path);
  CHeaderData& h = state.header;
  // Unit items the file carries (a landscape converted by other tools) say what its bands
  // hold; without them the bands hold the fixed units.
  for (int k = 0; k < 8; ++k) {
    const int code = SourceUnitCode(ds.get(), k + 1, k);
    h.unitCodes[k] = static_cast<std::int16_t>(code >= 0 ? code : kGeoTiffUnitCodes[k]);
  }
  const std::size_t firstNew = gridThemes.size();
  const int count = state.bandCount;
  std::vector<int> layerOfBand(static_cast<std::size_t>(count));
  for (int n = 1; n <= count; ++n) {
    auto theme = std::make_unique<CTheme>();
    if (!theme->OpenLandscapeBand(n - 1, GridOf(h), path, h.unitCodes[n - 1], 0, count, n - 1, true)) {
      DropThemes(gridThemes, firstNew, state);
      return refuse(Refusal(path, "there is not enough memory for its cells."));
    }
    h.unitCodes[n - 1] = theme->units;
    layerOfBand[static_cast<std::size_t>(n - 1)] = n - 1;
    theme->sourcePath = path;
    state.layers[n - 1] = theme.get();
    gridThemes.push_back(std::move(theme));
  }
  // The bands of a row together, so each compressed block is read once.
  std::vector<int> bandMap(static_cast<std::size_t>(count));
  for (int n = 0; n < count; ++n) bandMap[static_cast<std::size_t>(n)] = n + 1;
  const RowReader read = [&](int r0, int rows, std::int16_t* out) {
    const GSpacing pixel = 2 * count;
    return ds->RasterIO(GF_Read, 0, r0, h.columns, rows, out, h.columns, rows, GDT_Int16, count, bandMap.data(),
                        pixel, pixel * h.columns, 2, nullptr) == CE_None;
  };
  if (!ScatterAndScan(read, layerOfBand, state, true)) {
    DropThemes(gridThemes, firstNew, state);
    return refuse(Refusal(path, "its cells cannot be read.\n" + LastGdalError()));
  }
  state.loaded = true;
  return 1;
}

void ReloadLandscape(LandscapeState& state) {
  const bool lcp = platform::HasExtension(state.path, ".lcp");
  Dataset ds = OpenReadOnly(state.path);
  if (!ds) {
    platform::Tell("Error creating GDAL Datasource for " + state.path);
    return;
  }
  auto read = [&](int layer, int band) {
    CTheme* t = state.layers[layer];
    if (!t || band > ds->GetRasterCount()) return;
    t->ReadShortBand(ds->GetRasterBand(band));
  };
  if (lcp) {
    read(kFuelModel, 4);
    read(kCanopyCover, 5);
    if (state.header.HasCrownFuels())
      for (int k = kStandHeight; k <= kCanopyBulkDensity; ++k) read(k, k + 1);
  } else {
    for (int n = 4; n <= state.bandCount; ++n) read(n - 1, n);
  }
}

int CompareInts(const void* a, const void* b) {
  const auto x = *static_cast<const std::int32_t*>(a), y = *static_cast<const std::int32_t*>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

int CompareShorts(const void* a, const void* b) {
  const auto x = *static_cast<const std::int16_t*>(a), y = *static_cast<const std::int16_t*>(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

}  // namespace landscape

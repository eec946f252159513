#include <gdal_priv.h>

#include <cmath>

#include "landscape/geo.h"
#include "landscape/geotiff.h"
#include "landscape/landscape.h"
#include "landscape/reader.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "themes/theme.h"

namespace landscape {

namespace {

std::string LastGdalError() {
  const char* m = CPLGetLastErrorMsg();
  return m && *m ? m : "The raster library could not read the file.";
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

// LCP band (from 1) of a layer: bands follow the cell order.
int LcpBand(const CHeaderData& h, int layer) {
  const int index = h.BandIndex(layer);
  return index < 0 ? -1 : index + 1;
}

// Low and high of every layer of an LCP, in one sequential pass over its cells.
bool ScanLowHigh(const std::string& path, CHeaderData& h) {
  auto reader = LcpFileReader::Open(path);
  if (!reader) return false;
  const int bands = h.BandCount();
  std::array<int, 10> lo, hi;
  lo.fill(32767);
  hi.fill(-32768);
  std::array<bool, 10> any{};
  const int chunk = std::max(1, static_cast<int>((8 << 20) / (std::int64_t(h.columns) * bands * 2)));
  std::vector<std::int16_t> buf(static_cast<std::size_t>(std::min(chunk, h.rows)) * h.columns * bands);
  std::array<int, 10> layerOfIndex{};
  for (int k = 0; k < kLayerCount; ++k)
    if (h.BandIndex(k) >= 0) layerOfIndex[h.BandIndex(k)] = k;
  for (int r0 = 0; r0 < h.rows; r0 += chunk) {
    const int n = std::min(chunk, h.rows - r0);
    if (!reader->ReadRows(r0, n, buf.data())) return false;
    const std::size_t values = static_cast<std::size_t>(n) * h.columns * bands;
    for (std::size_t i = 0; i < values; i += bands) {
      for (int b = 0; b < bands; ++b) {
        const int k = layerOfIndex[b];
        const int v = buf[i + b];
        if (v == kNoData || (k == kElevation ? v <= 0 : v < 0)) continue;
        lo[k] = std::min(lo[k], v);
        hi[k] = std::max(hi[k], v);
        any[k] = true;
      }
    }
  }
  for (int k = 0; k < kLayerCount; ++k) {
    if (h.BandIndex(k) < 0) continue;
    h.layerStats[k].low = any[k] ? lo[k] : 0;
    h.layerStats[k].high = any[k] ? hi[k] : 0;
  }
  return true;
}

void DropThemes(ThemeList& themes, std::size_t from, LandscapeState& state) {
  state.layers.fill(nullptr);
  themes.resize(from);
}

}  // namespace

int OpenLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes,
                  const OpenOptions& options) {
  state.path = path;
  const int rc = platform::HasExtension(path, ".lcp") ? LoadLcpLandscape(state, path, gridThemes, options)
                                                      : LoadGeoTiffLandscape(state, path, gridThemes);
  return rc == 1 ? 1 : -1;
}

int LoadLcpLandscape(LandscapeState& state, const std::string& path, ThemeList& gridThemes,
                     const OpenOptions& options) {
  CPLErrorReset();
  Dataset ds = OpenReadOnly(path);
  if (!ds) {
    platform::Tell(LastGdalError());
    return -1;
  }
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
    default: return -1;
  }
  state.bandCount = bands;
  h.EmptyStatistics();
  h.columns = ds->GetRasterXSize();
  h.rows = ds->GetRasterYSize();
  double gt[6];
  if (ds->GetGeoTransform(gt) != CE_None) return -1;
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
  if (!options.keepCellsInMemory && !ScanLowHigh(path, h)) {
    platform::Tell("Error opening " + path);
    return -1;
  }
  for (int k = 0; k < kLayerCount; ++k) {
    const int band = LcpBand(h, k);
    if (band < 0 || band > bands) continue;
    GDALRasterBand* b = ds->GetRasterBand(band);
    const char* item = b->GetMetadataItem(UnitItemName(k));
    const auto code = item ? platform::ParseInt(item) : std::nullopt;
    h.unitCodes[k] = static_cast<std::int16_t>(code && *code >= -32768 && *code <= 32767 ? *code : 0);
    auto theme = std::make_unique<CTheme>();
    int ok;
    if (options.keepCellsInMemory) {
      int low = 0, high = 0;
      ok = theme->ReadLandscapeBand(k, GridOf(h), b, h.unitCodes[k], &low, &high);
      // An all-nodata band has no range.
      h.layerStats[k].low = low == kNoData ? 0 : low;
      h.layerStats[k].high = high == kNoData ? 0 : high;
    } else {
      ok = theme->OpenLandscapeBand(k, GridOf(h), path, h.unitCodes[k], kLcpHeaderSize / 2, h.BandCount(),
                                    band - 1, false);
    }
    if (!ok) {
      DropThemes(gridThemes, firstNew, state);
      return -1;
    }
    // The header's codes say what the themes hold (cover in percent and aspect in azimuth
    // degrees once converted), so that writing them out labels them truly.
    h.unitCodes[k] = theme->units;
    theme->sourcePath = path;
    state.layers[k] = theme.get();
    gridThemes.push_back(std::move(theme));
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
  if (ReadGeoTiffLandscapeHeader(state, path, state.header, true) != 1) {
    platform::Tell("Error reading Landscape Header from GDAL Datasource for " + path);
    return -1;
  }
  Dataset ds = OpenReadOnly(path);
  if (!ds) {
    platform::Tell("Error creating GDAL Datasource for " + path);
    return -1;
  }
  double gt[6];
  if (ds->GetGeoTransform(gt) != CE_None) {
    platform::Tell("Error creating GeoTransform from " + path);
    return -1;
  }
  if (ds->GetRasterCount() < 8) {
    platform::Tell(platform::FormatC("Error! GeoTIFF landscapes must contain at least 8 bands.\n%s contains %d bands.\n",
                                     path.c_str(), ds->GetRasterCount()));
    return -1;
  }
  CHeaderData& h = state.header;
  const std::size_t firstNew = gridThemes.size();
  for (int n = 1; n <= state.bandCount; ++n) {
    auto theme = std::make_unique<CTheme>();
    int low = 0, high = 0;
    if (!theme->ReadLandscapeBand(n - 1, GridOf(h), ds->GetRasterBand(n), h.unitCodes[n - 1], &low, &high)) {
      DropThemes(gridThemes, firstNew, state);
      return -1;
    }
    h.layerStats[n - 1].low = low == kNoData ? 0 : low;
    h.layerStats[n - 1].high = high == kNoData ? 0 : high;
    theme->sourcePath = path;
    state.layers[n - 1] = theme.get();
    gridThemes.push_back(std::move(theme));
  }
  state.loaded = true;
  return 1;
}

void ReloadLandscape(LandscapeState& state) {
  const bool lcp = platform::HasExtension(state.path, ".lcp");
  Dataset ds = OpenReadOnly(state.path);
  if (!ds) {
    if (!lcp) platform::Tell("Error creating GDAL Datasource for " + state.path);
    return;
  }
  auto read = [&](int layer, int band) {
    CTheme* t = state.layers[layer];
    if (!t || band > ds->GetRasterCount()) return;
    GDALRasterBand* b = ds->GetRasterBand(band);
    t->ReadShortBand(b);
    // Cover classes become percent, as on opening; the theme already says percent.
    if (layer == kCanopyCover && lcp && t->HasMemoryGrid()) {
      const char* item = b->GetMetadataItem(UnitItemName(kCanopyCover));
      if (item && platform::ParseInt(item) == 0) {
        for (int r = 0; r < t->rows; ++r)
          for (int c = 0; c < t->columns; ++c) {
            const float v = t->GetCellValue(c, r);
            if (v != kNoData) t->SetCellValue(r, c, t->ConvertUnits(v, 0, 1));
          }
      }
    }
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

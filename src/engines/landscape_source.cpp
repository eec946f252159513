#include "engines/landscape_source.h"

#include <gdal_priv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/services.h"

namespace engines {

MemoryLandscape::MemoryLandscape(CHeaderData header, std::vector<std::vector<std::int16_t>> layers)
    : header_(std::move(header)), layers_(std::move(layers)) {
  layers_.resize(10);
  const size_t cells = static_cast<size_t>(std::max(header_.rows, 0)) * std::max(header_.columns, 0);
  for (int k = 0; k < 10; ++k)
    if (header_.BandIndex(k) >= 0 && layers_[k].size() != cells) layers_[k].assign(cells, 0);
}

bool MemoryLandscape::ReadWindow(int layer, int row0, int col0, int nrows, int ncols, std::int16_t* out) const {
  if (layer < 0 || layer > 9 || header_.BandIndex(layer) < 0 || layers_[layer].empty()) return false;
  if (row0 < 0 || col0 < 0 || nrows < 0 || ncols < 0 || row0 + nrows > header_.rows ||
      col0 + ncols > header_.columns)
    return false;
  for (int r = 0; r < nrows; ++r)
    std::memcpy(out + static_cast<size_t>(r) * ncols,
                layers_[layer].data() + static_cast<size_t>(row0 + r) * header_.columns + col0,
                sizeof(std::int16_t) * ncols);
  return true;
}

const std::int16_t* MemoryLandscape::Layer(int layer) const {
  if (layer < 0 || layer > 9 || header_.BandIndex(layer) < 0) return nullptr;
  const auto& v = layers_[layer];
  return v.size() == static_cast<size_t>(header_.rows) * header_.columns ? v.data() : nullptr;
}

namespace {

std::unique_ptr<LandscapeSource> OpenLcp(std::FILE* f, std::string* error) {
  CHeaderData h;
  if (h.ReadHeader(f) != 0) {
    *error = "not a landscape file, or its cells are cut short";
    return nullptr;
  }
  const int bands = h.BandCount();
  const size_t cells = static_cast<size_t>(h.rows) * h.columns;
  std::vector<std::vector<std::int16_t>> layers(10);
  std::vector<std::int16_t> row(static_cast<size_t>(h.columns) * bands);
  try {
    for (int k = 0; k < 10; ++k)
      if (h.BandIndex(k) >= 0) layers[k].resize(cells);
  } catch (const std::bad_alloc&) {
    *error = "not enough memory for the landscape";
    return nullptr;
  }
  if (std::fseek(f, static_cast<long>(landscape::kLcpHeaderSize), SEEK_SET) != 0) {
    *error = "cannot read the landscape cells";
    return nullptr;
  }
  // Row by row, so that the interleaved cells never sit in memory twice.
  for (int r = 0; r < h.rows; ++r) {
    if (std::fread(row.data(), sizeof(std::int16_t), row.size(), f) != row.size()) {
      *error = "cannot read the landscape cells";
      return nullptr;
    }
    for (int k = 0; k < 10; ++k) {
      int b = h.BandIndex(k);
      if (b < 0) continue;
      std::int16_t* dst = layers[k].data() + static_cast<size_t>(r) * h.columns;
      for (int c = 0; c < h.columns; ++c) dst[c] = row[static_cast<size_t>(c) * bands + b];  // little-endian host
    }
  }
  return std::make_unique<MemoryLandscape>(std::move(h), std::move(layers));
}

std::unique_ptr<LandscapeSource> OpenGeoTiff(const std::string& path, std::string* error) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  if (!ds) {
    *error = "cannot open the landscape";
    return nullptr;
  }
  // A compressed or sparse file can claim any number of cells: count them before anything
  // reads a band.
  const int bandCount = ds->GetRasterCount();
  const std::uint64_t cells =
      static_cast<std::uint64_t>(ds->GetRasterXSize()) * static_cast<std::uint64_t>(ds->GetRasterYSize());
  if (!platform::FitsInMemory(cells * sizeof(std::int16_t) * static_cast<std::uint64_t>(std::min(bandCount, 10)))) {
    *error = "the landscape has more cells than this machine's memory holds";
    return nullptr;
  }
  CHeaderData h;
  if (h.ReadGeoTiffHeader(path) != 0) {
    *error = "not a landscape GeoTIFF";
    return nullptr;
  }
  if (bandCount >= 10) h.groundFlag = 21;
  std::vector<std::vector<std::int16_t>> layers(10);
  for (int k = 0; k < 10; ++k) {
    if (h.BandIndex(k) < 0 || k + 1 > bandCount) continue;
    try {
      layers[k].resize(static_cast<size_t>(cells));
    } catch (const std::bad_alloc&) {
      *error = "not enough memory for the landscape";
      return nullptr;
    }
    if (ds->GetRasterBand(k + 1)->RasterIO(GF_Read, 0, 0, h.columns, h.rows, layers[k].data(), h.columns,
                                          h.rows, GDT_Int16, 0, 0) != CE_None) {
      *error = "cannot read the landscape cells";
      return nullptr;
    }
  }
  auto src = std::make_unique<MemoryLandscape>(std::move(h), std::move(layers));
  if (const char* wkt = ds->GetProjectionRef()) src->SetProjection(wkt);
  return src;
}

}  // namespace

std::unique_ptr<LandscapeSource> OpenLandscape(const std::string& path, std::string* error) {
  std::string dummy;
  if (!error) error = &dummy;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *error = "cannot open " + path;
    return nullptr;
  }
  unsigned char magic[4] = {0, 0, 0, 0};
  size_t got = std::fread(magic, 1, 4, f);
  bool tiff = got == 4 && ((magic[0] == 'I' && magic[1] == 'I') || (magic[0] == 'M' && magic[1] == 'M'));
  std::unique_ptr<LandscapeSource> src;
  if (tiff) {
    std::fclose(f);
    src = OpenGeoTiff(path, error);
  } else {
    src = OpenLcp(f, error);
    std::fclose(f);
    // The coordinate system of an LCP lives in a ".prj" file beside it.
    std::string prj, base = path.substr(0, path.rfind('.') == std::string::npos ? path.size() : path.rfind('.'));
    if (src && platform::ReadWholeFile(base + ".prj", prj)) src->SetProjection(prj);
  }
  // Every distance and area of a run is counted in cells of this size.
  if (src && !(src->Header().cellWidth > 0 && src->Header().cellHeight > 0)) {
    *error = "the landscape's cell size is not a positive number";
    return nullptr;
  }
  return src;
}

CHeaderData MakeStandardHeader(int rows, int cols, double west, double south, double cellSize, bool crown) {
  CHeaderData h;
  h.crownFlag = crown ? 21 : 20;
  h.groundFlag = 20;
  h.latitude = 45;
  h.rows = rows;
  h.columns = cols;
  h.cellWidth = h.cellHeight = cellSize;
  h.west = h.westEdge = west;
  h.south = h.southEdge = south;
  h.east = h.eastEdge = west + cols * cellSize;
  h.north = h.northEdge = south + rows * cellSize;
  h.unitCodes = {0, 0, 2, 0, 1, 3, 3, 3, 1, 0};
  for (auto& s : h.layerStats) s.count = -1;
  return h;
}

}  // namespace engines

#include "engines/landscape_source.h"

#include <gdal_priv.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "engines/parallel_rows.h"
#include "platform/atomic_file.h"
#include "platform/services.h"

namespace engines {

MemoryLandscape::MemoryLandscape(CHeaderData header, std::vector<std::vector<std::int16_t>> layers)
    : header_(std::move(header)), layers_(std::move(layers)) {
  layers_.resize(10);
  const size_t cells = static_cast<size_t>(std::max(header_.rows, 0)) * std::max(header_.columns, 0);
  for (int k = 0; k < 10; ++k) {
    if (header_.BandIndex(k) < 0) continue;
    if (layers_[k].size() != cells) layers_[k].assign(cells, 0);
    data_[k] = layers_[k].data();
  }
}

MemoryLandscape::MemoryLandscape(CHeaderData header, std::array<platform::LayerMemory, 10> blocks)
    : header_(std::move(header)), blocks_(std::move(blocks)) {
  for (int k = 0; k < 10; ++k)
    if (header_.BandIndex(k) >= 0) data_[k] = blocks_[k].get();
}

bool MemoryLandscape::ReadWindow(int layer, int row0, int col0, int nrows, int ncols, std::int16_t* out) const {
  const std::int16_t* cells = Layer(layer);
  if (!cells) return false;
  if (row0 < 0 || col0 < 0 || nrows < 0 || ncols < 0 || row0 + nrows > header_.rows ||
      col0 + ncols > header_.columns)
    return false;
  for (int r = 0; r < nrows; ++r)
    std::memcpy(out + static_cast<size_t>(r) * ncols, cells + static_cast<size_t>(row0 + r) * header_.columns + col0,
                sizeof(std::int16_t) * ncols);
  return true;
}

const std::int16_t* MemoryLandscape::Layer(int layer) const {
  if (layer < 0 || layer > 9 || header_.BandIndex(layer) < 0) return nullptr;
  return data_[layer];
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
  std::array<platform::LayerMemory, 10> layers;
  for (int k = 0; k < 10; ++k)
    if (h.BandIndex(k) >= 0 && !(layers[k] = platform::AllocateLayerMemory(cells))) {
      *error = "not enough memory for the landscape";
      return nullptr;
    }
  // Blocks of rows read side by side, each into a buffer of its thread's, so that the
  // interleaved cells never sit in memory twice.
  const size_t rowValues = static_cast<size_t>(h.columns) * bands;
  const int chunk = static_cast<int>(std::clamp<size_t>((1u << 20) / std::max<size_t>(rowValues, 1), 1, 64));
  const int chunks = (h.rows + chunk - 1) / chunk;
  const int fd = ::fileno(f);
  std::atomic<bool> failed{false};
  ForEachRow(chunks, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())), [&](int j) {
    thread_local std::vector<std::int16_t> buf;
    const int r0 = j * chunk, n = std::min(chunk, h.rows - r0);
    const size_t bytes = rowValues * n * sizeof(std::int16_t);
    buf.resize(rowValues * chunk);
    const off_t at = static_cast<off_t>(landscape::kLcpHeaderSize + static_cast<std::int64_t>(r0) * rowValues * 2);
    size_t got = 0;
    while (got < bytes) {
      const ssize_t k = ::pread(fd, reinterpret_cast<char*>(buf.data()) + got, bytes - got, at + static_cast<off_t>(got));
      if (k <= 0) {
        failed = true;
        return;
      }
      got += static_cast<size_t>(k);
    }
    const size_t first = static_cast<size_t>(r0) * h.columns, count = static_cast<size_t>(n) * h.columns;
    for (int k = 0; k < 10; ++k) {
      const int b = h.BandIndex(k);
      if (b < 0) continue;
      std::int16_t* dst = layers[k].get() + first;
      const std::int16_t* src = buf.data() + b;
      for (size_t i = 0; i < count; ++i) dst[i] = src[i * bands];  // little-endian host
    }
  });
  if (failed) {
    *error = "cannot read the landscape cells";
    return nullptr;
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
  std::array<platform::LayerMemory, 10> layers;
  for (int k = 0; k < 10; ++k) {
    if (h.BandIndex(k) < 0) continue;
    if (!(layers[k] = platform::AllocateLayerMemory(static_cast<size_t>(cells)))) {
      *error = "not enough memory for the landscape";
      return nullptr;
    }
    // A band the file lacks reads as zeros.
    if (k + 1 > bandCount) {
      std::fill_n(layers[k].get(), static_cast<size_t>(cells), std::int16_t{0});
      continue;
    }
    if (ds->GetRasterBand(k + 1)->RasterIO(GF_Read, 0, 0, h.columns, h.rows, layers[k].get(), h.columns,
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

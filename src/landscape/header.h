#pragma once
// The landscape header record and the exact 7316-byte header of an LCP file.
//
// An LCP file is the header followed by int16 cells, row by row from north to south, each row
// west to east, and inside a cell one value per present layer in layer order (5, 7, 8 or 10
// values: elevation, slope, aspect, fuel model, cover; [height, base height, bulk density];
// [duff, coarse woody]). Everything is little-endian.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace landscape {

inline constexpr int kLayerCount = 10;
inline constexpr std::int64_t kLcpHeaderSize = 7316;
inline constexpr int kNoData = -9999;

enum LayerCode {
  kElevation = 0,
  kSlope,
  kAspect,
  kFuelModel,
  kCanopyCover,
  kStandHeight,
  kCanopyBaseHeight,
  kCanopyBulkDensity,
  kDuffLoading,
  kCoarseWoody,
};

}  // namespace landscape

// Statistics block of one layer.
struct LcpLayerStats {
  std::int32_t low = 0;
  std::int32_t high = 0;
  std::int32_t count = 0;  // distinct values listed in values[1..count], or -1: no list
  std::array<std::int32_t, 100> values{};
};

class CHeaderData {
 public:
  CHeaderData() = default;
  virtual ~CHeaderData() = default;
  CHeaderData(const CHeaderData&) = default;
  CHeaderData& operator=(const CHeaderData&) = default;

  std::int32_t crownFlag = 20;   // 21: stand height, base height and bulk density present
  std::int32_t groundFlag = 20;  // 21: duff and coarse woody present
  std::int32_t latitude = 0;
  double westEdge = 0, eastEdge = 0, southEdge = 0, northEdge = 0;
  std::array<LcpLayerStats, 10> layerStats{};
  std::int32_t columns = 0;
  std::int32_t rows = 0;
  double east = 0, west = 0, north = 0, south = 0;
  std::int32_t gridUnits = 0;  // 0 metres, 1 feet, 2 kilometres
  double cellWidth = 0, cellHeight = 0;
  std::array<std::int16_t, 10> unitCodes{};
  std::array<std::string, 10> layerFiles;  // 256-byte fields in the file
  std::string description;                 // 512-byte field in the file

  bool HasCrownFuels() const { return crownFlag > 20; }
  bool HasGroundFuels() const { return groundFlag > 20; }
  // Values per cell: 5, 7, 8 or 10.
  int BandCount() const;
  // Position of a layer inside a cell, or -1 when the layer is absent.
  int BandIndex(int layerCode) const;
  // Bytes of cells that follow the header (-1 when rows or columns are not positive).
  std::int64_t CellBytes() const;

  // Writes the header at the start of the file. 0 on success, -1 when a write fails.
  int WriteHeader(std::FILE* file) const;
  // Reads the header from the start of the file. 0 on success; -1 (record unchanged) when the
  // file is shorter than the header, is of the older landscape format, or its rows and columns
  // do not fit the file's size.
  int ReadHeader(std::FILE* file);

  // The 7316 header bytes, and their parse. ParseHeader does not look at any cells; it
  // refuses (false, record unchanged) a buffer shorter than the header or an older-format file.
  std::string SerializeHeader() const;
  bool ParseHeader(const void* bytes, std::size_t size);

  // Fills the record from a landscape GeoTIFF: 0 on success, -1 (record unchanged) when the file
  // does not open, has no geotransform or has fewer than 8 bands.
  int ReadGeoTiffHeader(const std::string& path);

  // Every layer's count becomes -1 and the blocks of layers 5-9 are zeroed.
  void EmptyStatistics();
};

class GDALDataset;

namespace landscape {

// Fills a header from an open landscape GeoTIFF that has a geotransform: the canopy flag from
// the data of bands 6-8, no ground layers, edges, the GeoTIFF's unit codes, emptied
// statistics, and the centre latitude truncated (35 when it cannot be had). Returns the
// outcome of the latitude (a CenterLatitudeResult::Status).
int FillHeaderFromGeoTiff(GDALDataset* dataset, const double geoTransform[6], CHeaderData& header);

}  // namespace landscape

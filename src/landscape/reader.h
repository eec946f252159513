#pragma once
// Reading landscape cells without the document or themes: open an LCP file or a landscape
// GeoTIFF and read windows of cells of one layer. Used by the engines and by the loaders.
//
//   std::string error;
//   auto land = landscape::LandscapeReader::Open(path, &error);
//   if (!land) { ... error ... }
//   const CHeaderData& h = land->Header();        // grid, edges, unit codes
//   std::vector<std::int16_t> cells(cols * rows);
//   land->ReadWindow(landscape::kFuelModel, col0, row0, cols, rows, cells.data());
//
// Values are as stored in the file, in the units of Header().unitCodes; -9999 marks no data.
// Row 0 is the northern row. ReadWindow may be called from several threads at once.
#include <cstdint>
#include <memory>
#include <string>

#include "landscape/header.h"

namespace landscape {

class LandscapeReader {
 public:
  virtual ~LandscapeReader() = default;

  // An LCP file (extension ".lcp", any case) is read by its header; any other file through
  // GDAL as a landscape GeoTIFF. nullptr, with a reason in *error, when it cannot be read.
  static std::unique_ptr<LandscapeReader> Open(const std::string& path, std::string* error = nullptr);

  const CHeaderData& Header() const { return header_; }
  int Columns() const { return header_.columns; }
  int Rows() const { return header_.rows; }
  bool HasLayer(int layerCode) const { return header_.BandIndex(layerCode) >= 0; }

  // Reads columns x rows cells of the layer, from (firstColumn, firstRow), row-major into out.
  // False when the layer is absent, the window leaves the grid or the read fails.
  virtual bool ReadWindow(int layerCode, int firstColumn, int firstRow, int columns, int rows,
                          std::int16_t* out) const = 0;

 protected:
  CHeaderData header_;
};

// Direct access to the interleaved cells of an LCP file.
class LcpFileReader final : public LandscapeReader {
 public:
  ~LcpFileReader() override;
  static std::unique_ptr<LcpFileReader> Open(const std::string& path, std::string* error = nullptr);
  bool ReadWindow(int layerCode, int firstColumn, int firstRow, int columns, int rows,
                  std::int16_t* out) const override;
  // Reads whole rows of interleaved cells (columns x bands values per row).
  bool ReadRows(int firstRow, int rows, std::int16_t* out) const;

 private:
  LcpFileReader() = default;
  bool ReadAt(std::int64_t offset, void* out, std::size_t bytes) const;
  int fd_ = -1;
};

}  // namespace landscape

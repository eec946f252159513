#pragma once
// Where the engine takes its landscape from: the header fields and windows of one layer.
// Files (LCP or landscape GeoTIFF) are read whole into memory; tests build grids in memory.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "landscape/header.h"
#include "platform/grid_memory.h"

namespace engines {

class LandscapeSource {
 public:
  virtual ~LandscapeSource() = default;
  virtual const CHeaderData& Header() const = 0;
  bool HasLayer(int layer) const { return Header().BandIndex(layer) >= 0; }
  // Copies rows [row0, row0+nrows) x columns [col0, col0+ncols) of a layer (0-9), raw values in
  // the header's units, row 0 northernmost. False when the layer is absent or the window is not
  // inside the grid.
  virtual bool ReadWindow(int layer, int row0, int col0, int nrows, int ncols, std::int16_t* out) const = 0;
  // The whole layer (rows x columns) where it is held in memory as such, else nullptr.
  virtual const std::int16_t* Layer(int layer) const { return nullptr; }
  // The coordinate system as WKT (an LCP's ".prj" beside it, a GeoTIFF's own), or empty.
  const std::string& Projection() const { return projection_; }
  void SetProjection(std::string wkt) { projection_ = std::move(wkt); }

 private:
  std::string projection_;
};

// A landscape held as one int16 grid per present layer (rows x columns, north row first).
class MemoryLandscape final : public LandscapeSource {
 public:
  // layers[k] holds layer k or is empty for an absent layer.
  MemoryLandscape(CHeaderData header, std::vector<std::vector<std::int16_t>> layers);
  // The same from whole blocks of rows x columns values (null for an absent layer), as the file
  // readers fill them.
  MemoryLandscape(CHeaderData header, std::array<platform::LayerMemory, 10> blocks);
  const CHeaderData& Header() const override { return header_; }
  bool ReadWindow(int layer, int row0, int col0, int nrows, int ncols, std::int16_t* out) const override;
  const std::int16_t* Layer(int layer) const override;

 private:
  CHeaderData header_;
  std::vector<std::vector<std::int16_t>> layers_;
  std::array<platform::LayerMemory, 10> blocks_;
  std::array<const std::int16_t*, 10> data_{};  // each present layer's cells, from either
};

// Opens an LCP file or a landscape GeoTIFF; nullptr with a reason on failure.
std::unique_ptr<LandscapeSource> OpenLandscape(const std::string& path, std::string* error);

// A header for an in-memory grid in standard units (metres, degrees, azimuth, percent,
// metres x 10, kg/m3 x 100), extent from the lower-left corner.
CHeaderData MakeStandardHeader(int rows, int cols, double west, double south, double cellSize, bool crown);

}  // namespace engines

#pragma once
// The landscape GeoTIFF: 8 Int16 bands (elevation ... canopy bulk density) in fixed units,
// DEFLATE-compressed, nodata -9999, band descriptions and unit texts, statistics kept beside
// the file. Also the band routines that fill it row by row.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "landscape/layer_stats.h"
#include "landscape/units.h"
#include "platform/temp_files.h"

class GDALDataset;
class GDALRasterBand;

namespace platform {
class ProgressSink;
}

namespace landscape {

// Registers GDAL's drivers once.
void EnsureGdal();

// A GDAL dataset closed when dropped.
struct DatasetCloser {
  void operator()(GDALDataset* ds) const;
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;
// Opens a raster read-only (null when it does not open).
Dataset OpenReadOnly(const std::string& path);

// Unit text of a layer in a unit code ("Meters", "Degrees", "Meters * 10", ...).
std::string UnitText(int layerCode, int unitCode);
// The fixed unit codes of a landscape GeoTIFF, layers 0-9.
inline constexpr std::int16_t kGeoTiffUnitCodes[10] = {0, 0, 2, 0, 1, 3, 3, 3, 1, 0};
// The band metadata item of GDAL's LCP driver that holds a layer's unit code.
const char* UnitItemName(int layerCode);

// Labels a band: description, unit type, "RepresentationType" and "UnitOfMeasure", nodata.
void LabelBand(GDALRasterBand* band, int layerCode, int unitCode);

// Asks GDAL for exact statistics and the default histogram of every band, which it keeps in
// the ".aux.xml" beside the file. -1 when the file does not open, else 1.
int ComputeRasterStatistics(const std::string& path);
// Labels the bands of a landscape file written by us (LCP: by the header's unit codes; GeoTIFF:
// the fixed units) and computes their statistics. -1 when the file does not open, else 1.
int SetLandscapeBandInfo(const std::string& path);

// Band routines. Each writes the window's columns x rows into the target band, which must
// have exactly that size; 1 and nothing written when the window does not lie inside the source
// or the target's size differs, else 0. The optional callback sees each finished row.
using RowDone = std::function<void()>;
int CopyBandWindow(GDALRasterBand* source, GDALRasterBand* target, const CellWindow& window,
                   const CellRule& rule, const RowDone& rowDone = {});
int CopyBand(GDALRasterBand* source, GDALRasterBand* target, const CellRule& rule,
             const RowDone& rowDone = {});
int FillBandNoData(GDALRasterBand* target);
// From any cell source (a layer theme): cell(column, row) -> value, read at the window.
int CopyCellsToBandWindow(const std::function<float(int, int)>& cell, GDALRasterBand* target,
                          const CellWindow& window, const CellRule& rule, const RowDone& rowDone = {});

// A landscape GeoTIFF being written. It is built in a temporary file beside the target and
// takes the target's name only when Finish succeeds; a writer dropped before that leaves the
// previous file as it was.
class LandscapeGeoTiffWriter {
 public:
  LandscapeGeoTiffWriter();
  ~LandscapeGeoTiffWriter();
  LandscapeGeoTiffWriter(const LandscapeGeoTiffWriter&) = delete;
  LandscapeGeoTiffWriter& operator=(const LandscapeGeoTiffWriter&) = delete;

  bool Create(const std::string& path, int columns, int rows, const std::string& projection,
              const double geoTransform[6]);
  GDALRasterBand* Band(int layerCode);  // layers 0-7
  // Labels the bands, closes, moves the file into place and computes the statistics.
  bool Finish();
  std::string Error() const { return error_; }

 private:
  void Discard();
  Dataset ds_;
  std::string path_, error_;
  platform::TempFile temp_;
};

// Shown when a landscape with duff and coarse woody layers is written as a GeoTIFF.
void TellGroundLayersNotCarried();

}  // namespace landscape

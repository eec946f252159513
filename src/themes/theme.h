#pragma once
// The system's raster: a grid of 32-bit float cells over a map rectangle, with a layer type
// saying what the cells mean and a unit code saying how they are stored. Cells live in
// memory, in a scratch file of the working folder, or in place in one landscape band.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "themes/cell_window.h"
#include "themes/legend.h"
#include "themes/theme_stats.h"

class GDALRasterBand;
class MappedFile;
namespace platform {
class ProgressSink;
}

// The grid of a landscape, as its header gives it.
struct LandscapeGrid {
  int rows = 0, columns = 0;
  double east = 0, west = 0, north = 0, south = 0;
  double cellWidth = 0, cellHeight = 0;
};

// Frees the 16-bit cells of a landscape band, which are mapped memory of their own.
struct LandscapeCellsDeleter {
  std::size_t bytes = 0;
  void operator()(std::int16_t* cells) const;
};

class CTheme {
 public:
  CTheme();
  virtual ~CTheme();
  CTheme(const CTheme&) = delete;
  CTheme& operator=(const CTheme&) = delete;

  // ---- cells ----
  // Column first; -9999 outside the grid.
  float GetCellValue(int column, int row) const;
  // Row first. Only the memory store is writable; without it an error is shown.
  void SetCellValue(int row, int column, float value);
  void GetCellCenter(int row, int column, double& x, double& y) const;
  float GetValueAt(double x, double y) const;
  // (-9999, -9999) outside the grid.
  void GetCellAt(double x, double y, int& column, int& row) const;
  // Cells held in memory (as floats, or as a landscape band's 16-bit values).
  bool HasMemoryGrid() const { return hasMemory_ || cells16_ != nullptr; }
  // Copies the scratch store into memory (no-op without one or when already loaded).
  bool LoadMemoryGrid();
  // Drops the memory copy of a scratch-backed theme.
  void FreeMemoryGrid();
  // One row of cells, column 0 first, from whichever store holds them.
  void ReadRow(int row, float* out) const;

  // ---- values ----
  float ConvertUnits(float value, int from, int to) const;
  float ConvertToDisplayUnits(float value, const CThemeLegendData& legend) const;
  float ConvertFromDisplayUnits(float value, const CThemeLegendData& legend) const;
  // Over the valid cells (not -9999, not NaN). With none: minimum 1e9 and maximum 0.
  void GetMinMax(double& minimum, double& maximum) const;
  void GetMinMaxInWindow(const CellWindow& window, double& minimum, double& maximum) const;
  std::vector<float> GetUniqueValues() const;
  std::vector<float> GetUniqueValuesInWindow(const CellWindow& window) const;

  // ---- files and constructors ----
  // The program's own binary raster file. 1, or 0 when it cannot be opened or is damaged.
  int LoadThemeFile(const std::string& path);
  // False (and the previous file kept) when it cannot be written; the error is shown.
  bool SaveThemeFile(const std::string& path) const;
  // The same file's bytes, from and into memory (the project's companion archive).
  int LoadThemeBytes(const std::string& bytes, const std::string& nameForMessages);
  std::string ThemeBytes() const;
  // Hands the file's bytes to write piece by piece; false as soon as write does.
  bool WriteThemeData(const std::function<bool(const void*, std::size_t)>& write) const;
  // The readers and the GeoTIFF writer report rows done to the progress sink, when given,
  // and give up quietly (0 or false, nothing kept) when it asks to cancel.
  // ESRI ASCII grid, or GeoTIFF (".tif", ".tiff") through GDAL.
  int LoadGridFile(int layerType, const std::string& path,
                   platform::ProgressSink* progress = nullptr);
  // 1, -1 without a geotransform, 0 when it cannot be opened or memory runs out.
  int LoadGdalRaster(int layerType, const std::string& path,
                     platform::ProgressSink* progress = nullptr);
  // One-band Float32 GeoTIFF in the legend's display units; projection is the project's.
  // False, with a message, when it cannot be written.
  bool SaveGeoTiff(const std::string& projection, const std::string& path,
                   const CThemeLegendData* legend,
                   platform::ProgressSink* progress = nullptr) const;
  // Landscape bands keep their 16-bit values as the file holds them (in memory, or read in
  // place from the file) and turn them into theme values on access by the layer's one rule
  // (landscape::LayerCellValue); units is the file's unit code of the layer, and the theme's
  // units field becomes what the values are in.
  // One landscape band into memory; low and high receive the band's whole-number range
  // (-9999 both when it holds no data). 1, or 0 when memory runs out or the read fails.
  int ReadLandscapeBand(int layerType, const LandscapeGrid& grid, GDALRasterBand* band,
                        int units, int* low = nullptr, int* high = nullptr);
  // Reads the band's 16-bit values again into the memory store.
  int ReadShortBand(GDALRasterBand* band);
  // With keepInMemory, memory rows (not cleared) for SetRowFromLandscape; otherwise the band
  // is read in place from the file (header offset in 16-bit units). 0 when the file cannot be
  // opened or is too short for the grid, or memory runs out.
  int OpenLandscapeBand(int layerType, const LandscapeGrid& grid, const std::string& path,
                        int units, std::uint64_t headerOffset, int bandCount, int bandIndex,
                        bool keepInMemory);
  int SetRowFromLandscape(int row, const std::int16_t* values, int bandCount);
  // What a 16-bit value of this landscape band stands for.
  float GetLandscapeValue(std::int16_t stored) const {
    return decode_.empty() ? static_cast<float>(stored) : decode_[static_cast<std::uint16_t>(stored)];
  }
  // The same from an interleaved row whose values for this layer sit at bandIndex.
  void SetLandscapeRow(int row, const std::int16_t* values, int bandCount, int bandIndex);
  int CreateFromFloats(const std::string& name, double south, double west, double cellWidth,
                       double cellHeight, int rows, int columns, float noData,
                       const float* cells, int units, int layerType);
  int CreateFromDoubles(const std::string& name, double south, double west, double cellWidth,
                        double cellHeight, int rows, int columns, float noData,
                        const double* cells, int units, int layerType);

  const std::string& ScratchPath() const { return scratchPath_; }
  bool IsReadInPlace() const { return lcp_ != nullptr; }

  // ---- fields ----
  std::int16_t units = 0;
  std::string name;
  std::string sourcePath;
  int layerType = 10;
  double north = 0, east = 0, south = 0, west = 0;
  double cellWidth = 0, cellHeight = 0;
  int rows = 0, columns = 0;
  float noData = kNoData;
  CThemeStats stats;
  std::string projection;

 private:
  // Writes rows x columns cells (row by row from the producer) into a new scratch file and
  // maps it. False, with "Error opening %s" shown, when the file cannot be made whole.
  template <class RowProducer>
  bool MakeScratch(RowProducer&& produce);
  bool AllocateMemory();
  std::string ThemeHeader() const;
  int LoadThemeData(const unsigned char* data, std::size_t size, const std::string& path);
  void ReleaseStores();
  // Frees every cell store (a reader refills a theme from scratch).
  void DropCells();
  void SetGridFrom(const LandscapeGrid& grid);
  float LandscapeCell(std::size_t cellIndex) const;
  // The decoding table of a landscape band and the 16-bit memory rows (uncleared).
  void SetLandscapeDecoding(int unitCode);
  bool AllocateLandscapeCells();
  // Turns 16-bit memory rows into float ones, so that cells can be set to any value.
  bool WidenLandscapeCells();
  std::size_t CellCount() const {
    return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
  }

  bool hasMemory_ = false;
  std::vector<float> memory_;
  std::string scratchPath_;
  std::unique_ptr<MappedFile> scratch_;
  const float* scratchCells_ = nullptr;
  std::unique_ptr<std::int16_t[], LandscapeCellsDeleter> cells16_;
  std::vector<float> decode_;  // theme value of each 16-bit pattern
  std::unique_ptr<MappedFile> lcp_;
  const std::int16_t* lcpCells_ = nullptr;
  std::size_t lcpCount_ = 0;  // in 16-bit units
  std::uint64_t headerOffset_ = 0;
  int bandCount_ = 0, bandIndex_ = 0;
  std::FILE* gridText_ = nullptr;
};

// The part of a path after its last '\' or '/', cut at its last '.'.
std::string GetFileTitleFromPath(const std::string& path);

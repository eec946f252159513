#include "landscape/geotiff.h"

#include <gdal_priv.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <vector>

#include "app/layer_types.h"
#include "landscape/header.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "themes/band_statistics.h"

namespace landscape {

void EnsureGdal() {
  static std::once_flag once;
  std::call_once(once, [] {
    GDALAllRegister();
    // Landscapes are read in one pass of whole rows, so the block cache never needs to hold a
    // band; left to itself it grows to a part of the machine's memory. A user's own setting wins.
    constexpr GIntBig kCacheBytes = 64 << 20;
    if (!CPLGetConfigOption("GDAL_CACHEMAX", nullptr) && GDALGetCacheMax64() > kCacheBytes)
      GDALSetCacheMax64(kCacheBytes);
  });
}

std::string UnitText(int layer, int code) {
  switch (layer) {
    case kElevation: return code == 1 ? "Feet" : "Meters";
    case kSlope: return code == 1 ? "Percent" : "Degrees";
    case kAspect:
      return code == 0 ? "GRASS Categories" : code == 1 ? "GRASS Degrees" : "Degrees";
    case kFuelModel: return "Class";
    case kCanopyCover: return code == 0 ? "Class" : "Percent";
    case kStandHeight:
    case kCanopyBaseHeight:
      switch (code) {
        case 1: return "Meters";
        case 2: return "Feet";
        case 4: return "Feet * 10";
      }
      return "Meters * 10";
    case kCanopyBulkDensity:
      switch (code) {
        case 1: return "Kilograms per cubic meter";
        case 2: return "Pounds per cubic foot";
        case 4: return "Pounds per cubic foot * 1000";
      }
      return "Kilograms per cubic meter * 100";
    case kDuffLoading: return code == 2 ? "Tons per acre * 10" : "Megagrams per hectare * 10";
    case kCoarseWoody: return "Class";
  }
  return "";
}

const char* UnitItemName(int layer) {
  static const char* const kItems[kLayerCount] = {
      "ELEVATION_UNIT", "SLOPE_UNIT", "ASPECT_UNIT",    "FUEL_MODEL_OPTION", "CANOPY_COV_UNIT",
      "CANOPY_HT_UNIT", "CBH_UNIT",   "CBD_UNIT",       "DUFF_UNIT",         "CWD_OPTION"};
  return layer >= 0 && layer < kLayerCount ? kItems[layer] : "";
}

void LabelBand(GDALRasterBand* band, int layer, int code) {
  const std::string unit = UnitText(layer, code);
  band->SetDescription(GetLandscapeLayerName(layer));
  band->SetUnitType(unit.c_str());
  band->SetMetadataItem("RepresentationType", "THEMATIC");
  band->SetMetadataItem("UnitOfMeasure", unit.c_str());
  band->SetNoDataValue(kNoData);
}

void DatasetCloser::operator()(GDALDataset* ds) const {
  if (ds) GDALClose(ds);
}

Dataset OpenReadOnly(const std::string& path) {
  EnsureGdal();
  return Dataset(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
}

namespace {

bool WindowFits(GDALRasterBand* source, GDALRasterBand* target, const CellWindow& w) {
  if (!target || WindowColumns(w) <= 0 || WindowRows(w) <= 0) return false;
  if (target->GetXSize() != WindowColumns(w) || target->GetYSize() != WindowRows(w)) return false;
  if (!source) return true;
  return w.firstColumn >= 0 && w.firstRow >= 0 && w.lastColumn < source->GetXSize() &&
         w.lastRow < source->GetYSize();
}

}  // namespace

int ComputeRasterStatistics(const std::string& path) {
  Dataset ds = OpenReadOnly(path);
  if (!ds) return -1;
  for (int b = 1; b <= ds->GetRasterCount(); ++b) ComputeBandStatistics(ds->GetRasterBand(b));
  return 1;
}

int SetLandscapeBandInfo(const std::string& path) {
  CHeaderData header;
  const bool lcp = platform::HasExtension(path, ".lcp");
  if (lcp) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    const bool ok = f && header.ReadHeader(f) == 0;
    if (f) std::fclose(f);
    if (!ok) return -1;
  }
  Dataset ds = OpenReadOnly(path);
  if (!ds) return -1;
  for (int b = 1; b <= ds->GetRasterCount(); ++b) {
    // An LCP without canopy layers holds the ground layers in bands 6 and 7.
    int layer = b - 1;
    if (lcp && !header.HasCrownFuels() && layer >= 5) layer += 3;
    if (layer >= kLayerCount) break;
    GDALRasterBand* band = ds->GetRasterBand(b);
    LabelBand(band, layer, lcp ? header.unitCodes[layer] : kGeoTiffUnitCodes[layer]);
    ComputeBandStatistics(band);
  }
  return 1;
}

namespace {

int CopyRows(GDALRasterBand* source, GDALRasterBand* target, const CellWindow& w,
             const std::function<void(int row, std::vector<std::int16_t>&)>& fill,
             const RowDone& rowDone) {
  const int cols = WindowColumns(w);
  std::vector<std::int16_t> row(static_cast<std::size_t>(cols));
  for (int r = 0; r < WindowRows(w); ++r) {
    fill(r, row);
    if (target->RasterIO(GF_Write, 0, r, cols, 1, row.data(), cols, 1, GDT_Int16, 0, 0) != CE_None)
      return 1;
    if (rowDone) rowDone();
  }
  return 0;
}

}  // namespace

int CopyBandWindow(GDALRasterBand* source, GDALRasterBand* target, const CellWindow& w,
                   const CellRule& rule, const RowDone& rowDone) {
  if (!source || !WindowFits(source, target, w)) return 1;
  bool readFailed = false;
  const int rc = CopyRows(
      source, target, w,
      [&](int r, std::vector<std::int16_t>& row) {
        const int cols = static_cast<int>(row.size());
        if (source->RasterIO(GF_Read, w.firstColumn, w.firstRow + r, cols, 1, row.data(), cols, 1,
                             GDT_Int16, 0, 0) != CE_None)
          readFailed = true;
        for (std::int16_t& v : row) v = ApplyRule(rule, v);
      },
      rowDone);
  return rc || readFailed ? 1 : 0;
}

int CopyBand(GDALRasterBand* source, GDALRasterBand* target, const CellRule& rule,
             const RowDone& rowDone) {
  if (!source) return 1;
  return CopyBandWindow(source, target,
                        CellWindow{0, 0, source->GetXSize() - 1, source->GetYSize() - 1}, rule, rowDone);
}

int FillBandNoData(GDALRasterBand* target) {
  if (!target) return 1;
  const int cols = target->GetXSize();
  return CopyRows(nullptr, target, CellWindow{0, 0, cols - 1, target->GetYSize() - 1},
                  [](int, std::vector<std::int16_t>& row) { std::fill(row.begin(), row.end(), kNoData); },
                  {});
}

int CopyCellsToBandWindow(const std::function<float(int, int)>& cell, GDALRasterBand* target,
                          const CellWindow& w, const CellRule& rule, const RowDone& rowDone) {
  if (!cell || !WindowFits(nullptr, target, w)) return 1;
  return CopyRows(
      nullptr, target, w,
      [&](int r, std::vector<std::int16_t>& row) {
        for (std::size_t c = 0; c < row.size(); ++c)
          row[c] = ApplyRule(rule, cell(w.firstColumn + static_cast<int>(c), w.firstRow + r));
      },
      rowDone);
}

LandscapeGeoTiffWriter::LandscapeGeoTiffWriter() = default;

LandscapeGeoTiffWriter::~LandscapeGeoTiffWriter() { Discard(); }

void LandscapeGeoTiffWriter::Discard() {
  ds_.reset();
  platform::DiscardTemp(temp_);
}

bool LandscapeGeoTiffWriter::Create(const std::string& path, int columns, int rows,
                                    const std::string& projection, const double gt[6]) {
  EnsureGdal();
  Discard();
  path_ = path;
  GDALDriver* drv = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!drv || columns <= 0 || rows <= 0) {
    error_ = "Cannot create " + path;
    return false;
  }
  int err = 0;
  if (!platform::CreateTempBeside(path, ".tif", temp_, &err)) {
    error_ = "Cannot create " + path + ": " + std::strerror(err);
    return false;
  }
  platform::CloseTempFd(temp_);
  const char* options[] = {"COMPRESS=DEFLATE", "PROFILE=GDALGeoTiff", nullptr};
  ds_.reset(drv->Create(temp_.path.c_str(), columns, rows, 8, GDT_Int16, const_cast<char**>(options)));
  if (!ds_) {
    error_ = CPLGetLastErrorMsg();
    platform::DiscardTemp(temp_);
    return false;
  }
  if (!projection.empty()) ds_->SetProjection(projection.c_str());
  double g[6];
  std::copy(gt, gt + 6, g);
  ds_->SetGeoTransform(g);
  return true;
}

GDALRasterBand* LandscapeGeoTiffWriter::Band(int layer) {
  return ds_ && layer >= 0 && layer < 8 ? ds_->GetRasterBand(layer + 1) : nullptr;
}

bool LandscapeGeoTiffWriter::Finish() {
  if (!ds_) return false;
  for (int k = 0; k < 8; ++k) LabelBand(Band(k), k, kGeoTiffUnitCodes[k]);
  CPLErrorReset();
  GDALDataset* ds = ds_.release();
  GDALClose(ds);
  if (CPLGetLastErrorType() >= CE_Failure) {
    error_ = CPLGetLastErrorMsg();
    platform::DiscardTemp(temp_);
    return false;
  }
  if (int err = 0; !platform::CommitTemp(temp_, &err)) {
    error_ = "Cannot replace " + path_ + ": " + std::strerror(err);
    return false;
  }
  // Statistics of an earlier file of that name would describe other cells.
  std::remove((path_ + ".aux.xml").c_str());
  ComputeRasterStatistics(path_);
  return true;
}

void TellGroundLayersNotCarried() {
  platform::Tell(
      "The duff loading and coarse woody fuels layers are not carried into a landscape GeoTIFF;\n"
      "the GeoTIFF holds the first eight layers only.");
}

}  // namespace landscape

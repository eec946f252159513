#include "engines/output_writer.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdio>
#include <filesystem>

namespace engines {

bool WriteGridGeoTiff(const std::string& path, const float* cells, int rows, int cols, double west,
                      double north, double cellSize, const std::string& description, std::string* error,
                      const std::string& projection) {
  std::string dummy;
  if (!error) error = &dummy;
  GDALAllRegister();
  GDALDriver* drv = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (!drv || rows <= 0 || cols <= 0) {
    *error = "no GeoTIFF driver or an empty grid";
    return false;
  }
  std::string tmp = path + ".part";
  char** opts = nullptr;
  opts = CSLSetNameValue(opts, "COMPRESS", "DEFLATE");
  opts = CSLSetNameValue(opts, "PROFILE", "GDALGeoTiff");
  GDALDataset* ds = drv->Create(tmp.c_str(), cols, rows, 1, GDT_Float32, opts);
  CSLDestroy(opts);
  if (!ds) {
    *error = "cannot create " + tmp;
    return false;
  }
  double gt[6] = {west, cellSize, 0, north, 0, -cellSize};
  ds->SetGeoTransform(gt);
  if (!projection.empty()) {
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(projection.c_str()) == OGRERR_NONE) ds->SetSpatialRef(&srs);
  }
  GDALRasterBand* b = ds->GetRasterBand(1);
  b->SetNoDataValue(-9999.0);
  b->SetDescription(description.c_str());
  CPLErr err = b->RasterIO(GF_Write, 0, 0, cols, rows, const_cast<float*>(cells), cols, rows, GDT_Float32, 0, 0);
  GDALClose(ds);
  std::error_code ec;
  if (err != CE_None) {
    std::filesystem::remove(tmp, ec);
    *error = "cannot write " + tmp;
    return false;
  }
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::filesystem::remove(tmp, ec);
    *error = "cannot rename over " + path;
    return false;
  }
  return true;
}

}  // namespace engines

#include "engines/output_writer.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cstdio>
#include <cstring>

#include "platform/temp_files.h"

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
  platform::TempFile tmp;
  int err = 0;
  if (!platform::CreateTempBeside(path, ".tif", tmp, &err)) {
    *error = "cannot create a file beside " + path + ": " + std::strerror(err);
    return false;
  }
  platform::CloseTempFd(tmp);
  char** opts = nullptr;
  opts = CSLSetNameValue(opts, "COMPRESS", "DEFLATE");
  opts = CSLSetNameValue(opts, "PROFILE", "GDALGeoTiff");
  CPLErrorReset();
  GDALDataset* ds = drv->Create(tmp.path.c_str(), cols, rows, 1, GDT_Float32, opts);
  CSLDestroy(opts);
  if (!ds) {
    *error = "cannot create " + path + ": " + CPLGetLastErrorMsg();
    platform::DiscardTemp(tmp);
    return false;
  }
  double gt[6] = {west, cellSize, 0, north, 0, -cellSize};
  ds->SetGeoTransform(gt);
  if (!projection.empty()) {
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(projection.c_str()) == OGRERR_NONE) ds->SetSpatialRef(&srs);
  }
  CPLErrorReset();  // a projection GDAL cannot read is left out; only writing can fail now
  GDALRasterBand* b = ds->GetRasterBand(1);
  b->SetNoDataValue(-9999.0);
  b->SetDescription(description.c_str());
  CPLErr written = b->RasterIO(GF_Write, 0, 0, cols, rows, const_cast<float*>(cells), cols, rows, GDT_Float32, 0, 0);
  // The compressed data reach the disk when the dataset closes: a full disk shows only there.
  GDALClose(ds);
  if (written != CE_None || CPLGetLastErrorType() >= CE_Failure) {
    *error = "cannot write " + path + ": " + CPLGetLastErrorMsg();
    platform::DiscardTemp(tmp);
    return false;
  }
  if (!platform::CommitTemp(tmp, &err)) {
    *error = "cannot replace " + path + ": " + std::strerror(err);
    return false;
  }
  return true;
}

}  // namespace engines

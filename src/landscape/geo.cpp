#include "landscape/geo.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <memory>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace landscape {

CenterLatitudeResult CenterLatitude(GDALDataset* ds) {
  CenterLatitudeResult r;
  double gt[6];
  if (!ds || ds->GetGeoTransform(gt) != CE_None) return r;
  const char* wkt = ds->GetProjectionRef();
  if (!wkt || !*wkt) return r;
  OGRSpatialReference srs;
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (srs.SetFromUserInput(wkt) != OGRERR_NONE) return r;
  std::unique_ptr<OGRSpatialReference> geo(srs.CloneGeogCS());
  if (!geo) {
    r.status = CenterLatitudeResult::kNoGeographic;
    return r;
  }
  geo->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  const int cols = ds->GetRasterXSize(), rows = ds->GetRasterYSize();
  double x = gt[0] + cols * gt[1] * 0.5 + rows * gt[2] * 0.5;
  double y = gt[3] + cols * gt[4] * 0.5 + rows * gt[5] * 0.5;
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&srs, geo.get()));
  if (!ct || !ct->Transform(1, &x, &y)) {
    r.status = CenterLatitudeResult::kNoTransform;
    return r;
  }
  r.status = CenterLatitudeResult::kOk;
  r.latitude = y;
  return r;
}

bool BandHasData(GDALDataset* ds, int band) {
  if (!ds || band < 1 || band > ds->GetRasterCount()) return false;
  GDALRasterBand* b = ds->GetRasterBand(band);
  const int cols = ds->GetRasterXSize(), rows = ds->GetRasterYSize();
  std::vector<std::int16_t> row(static_cast<std::size_t>(cols));
  for (int r = 0; r < rows; ++r) {
    if (b->RasterIO(GF_Read, 0, r, cols, 1, row.data(), cols, 1, GDT_Int16, 0, 0) != CE_None)
      return false;
    for (std::int16_t v : row)
      if (v > 0) return true;
  }
  return false;
}

std::string NormalizeWkt(const std::string& projection) {
  if (projection.empty()) return {};
  OGRSpatialReference srs;
  if (srs.SetFromUserInput(projection.c_str()) != OGRERR_NONE) return {};
  char* out = nullptr;
  std::string wkt;
  if (srs.exportToWkt(&out) == OGRERR_NONE && out) wkt = out;
  CPLFree(out);
  return wkt;
}

AxisNames CoordinateAxisNames(const std::string& projection) {
  OGRSpatialReference srs;
  if (projection.empty() || srs.SetFromUserInput(projection.c_str()) != OGRERR_NONE) return {};
  if (srs.GetUTMZone() != 0) return {"UTM", "UTM"};
  if (srs.IsGeographic()) return {"Longitude", "Latitude"};
  return {};
}

std::string PrjPathFor(const std::string& path) { return platform::ReplaceExtension(path, ".prj"); }

bool WritePrjFile(const std::string& path, const std::string& projection) {
  std::string text = projection;
  OGRSpatialReference srs;
  if (srs.importFromWkt(projection.c_str()) == OGRERR_NONE && srs.morphToESRI() == OGRERR_NONE) {
    char* out = nullptr;
    if (srs.exportToWkt(&out) == OGRERR_NONE && out) text = out;
    CPLFree(out);
  }
  return platform::WriteFileAtomically(PrjPathFor(path), text);
}

std::string ReadPrjFile(const std::string& prjPath) {
  char** lines = CSLLoad(prjPath.c_str());
  if (!lines) return {};
  OGRSpatialReference srs;
  std::string wkt;
  if (srs.importFromESRI(lines) == OGRERR_NONE) {
    char* out = nullptr;
    if (srs.exportToWkt(&out) == OGRERR_NONE && out) wkt = out;
    CPLFree(out);
  }
  CSLDestroy(lines);
  return wkt;
}

}  // namespace landscape

#pragma once
// Writing an engine grid to a file. The one place that decides the writer, so that the
// raster-theme writer can replace GDAL here later.
#include <string>

namespace engines {

// One-band Float32 GeoTIFF (deflate, nodata -9999, row 0 north, the coordinate system given as
// WKT or ESRI text when not empty) written to a temporary name beside path and renamed over it.
// False with a reason when it cannot be written.
bool WriteGridGeoTiff(const std::string& path, const float* cells, int rows, int cols, double west,
                      double north, double cellSize, const std::string& description, std::string* error,
                      const std::string& projection = {});

}  // namespace engines

#pragma once
// Georeferencing helpers shared by the landscape readers and writers.
#include <string>

class GDALDataset;

namespace landscape {

struct CenterLatitudeResult {
  enum Status { kOk, kNoProjection, kNoGeographic, kNoTransform } status = kNoProjection;
  double latitude = 0;
};

// Latitude of the raster's centre, from its projection text and geotransform.
CenterLatitudeResult CenterLatitude(GDALDataset* dataset);

// True at the first cell of the band (counted from 1) whose int16 value is above 0.
bool BandHasData(GDALDataset* dataset, int band);

// The projection text as WKT ("" when the text is empty or cannot be read).
std::string NormalizeWkt(const std::string& projection);

// What the x and y of a projection are called: "UTM" for a UTM zone, "Longitude" and
// "Latitude" for geographic coordinates, nothing for any other or unreadable projection.
struct AxisNames {
  std::string x, y;
};
AxisNames CoordinateAxisNames(const std::string& projection);

// Path of the ".prj" partner of a file: the extension of the file name replaced, or ".prj"
// appended when the file name has none (a dot inside a folder name is not an extension).
std::string PrjPathFor(const std::string& path);

// Writes the projection in the ESRI dialect (the text as given when it cannot be converted)
// beside the file, atomically. False when it cannot be written.
bool WritePrjFile(const std::string& path, const std::string& projection);

// The projection text of a ".prj" file (ESRI or WKT) as WKT; "" when unreadable.
std::string ReadPrjFile(const std::string& prjPath);

}  // namespace landscape

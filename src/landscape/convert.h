#pragma once
// Writing a landscape GeoTIFF from a landscape file read through GDAL: the whole file (LCP to
// GeoTIFF conversion) or a window of it (an analysis area).
#include <string>

#include "landscape/layer_stats.h"

class GDALDataset;

namespace platform {
class ProgressSink;
}

namespace landscape {

class LandscapeGeoTiffWriter;

// The unit code of a layer in a source band's metadata ("ELEVATION_UNIT" ...); a missing item
// counts as the GeoTIFF's own unit, -1 when the item is not a number.
int SourceUnitCode(GDALDataset* source, int band, int layerCode);

// Fills bands 1-8 of the writer from the window of the source landscape, converting each band
// by its unit item. A band whose unit code has no meaning is left unwritten; without canopy
// layers (7 or fewer bands) bands 6-8 are filled with nodata. False when a write fails or the
// user cancels.
bool FillFromLandscapeDataset(GDALDataset* source, LandscapeGeoTiffWriter& writer, const CellWindow& window,
                              platform::ProgressSink* progress);

// Writes the whole source as a landscape GeoTIFF at dest, with the given projection text or,
// when it is empty, the source's own. 0 on success, 1 on failure (no geotransform, destination
// not created or not written). A source with duff and coarse woody layers says that they are
// not carried over.
int ConvertLcpToGeoTiff(GDALDataset* source, const std::string& dest, const std::string& projection,
                        platform::ProgressSink* progress = nullptr);

}  // namespace landscape

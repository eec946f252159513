#pragma once
class GDALRasterBand;

// Computes a band's exact statistics and its default histogram, which GDAL keeps beside the
// raster (.aux.xml). A band without any valid cell simply gets none.
void ComputeBandStatistics(GDALRasterBand* band);

#include "themes/band_statistics.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>

void ComputeBandStatistics(GDALRasterBand* band) {
  if (!band) return;
  CPLErrorHandlerPusher quiet(CPLQuietErrorHandler);
  double mn, mx, mean, sd;
  band->ComputeStatistics(FALSE, &mn, &mx, &mean, &sd, nullptr, nullptr);
  double lo, hi;
  int buckets = 0;
  GUIntBig* histogram = nullptr;
  if (band->GetDefaultHistogram(&lo, &hi, &buckets, &histogram, TRUE, nullptr, nullptr) == CE_None)
    VSIFree(histogram);
}

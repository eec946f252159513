#include "landscape/convert.h"

#include <gdal_priv.h>

#include "landscape/geotiff.h"
#include "landscape/header.h"
#include "platform/numbers.h"
#include "platform/progress.h"

namespace landscape {

int SourceUnitCode(GDALDataset* source, int band, int layer) {
  const char* item = source->GetRasterBand(band)->GetMetadataItem(UnitItemName(layer));
  if (!item) return kGeoTiffUnitCodes[layer];
  const auto v = platform::ParseInt(item);
  return v && *v >= -32768 && *v <= 32767 ? static_cast<int>(*v) : -1;
}

bool FillFromLandscapeDataset(GDALDataset* source, LandscapeGeoTiffWriter& writer, const CellWindow& window,
                              platform::ProgressSink* progress) {
  const bool canopy = source->GetRasterCount() > 7;
  const long long rows = WindowRows(window);
  long long done = 0;
  bool cancelled = false;
  if (progress) progress->SetRange(8 * rows);
  const RowDone rowDone = [&] {
    if (progress) {
      progress->SetPosition(++done);
      if (progress->CancelRequested()) cancelled = true;
    }
  };
  for (int k = 0; k < 8 && !cancelled; ++k) {
    GDALRasterBand* target = writer.Band(k);
    if (k >= 5 && !canopy) {
      if (FillBandNoData(target) != 0) return false;
      done += rows;
      continue;
    }
    if (k + 1 > source->GetRasterCount()) continue;
    const auto rule = RuleForLayer(k, SourceUnitCode(source, k + 1, k));
    if (!rule) {
      done += rows;
      continue;
    }
    // A source smaller than the window leaves the band as created.
    CopyBandWindow(source->GetRasterBand(k + 1), target, window, *rule, rowDone);
  }
  return !cancelled;
}

int ConvertLcpToGeoTiff(GDALDataset* source, const std::string& dest, const std::string& projection,
                        platform::ProgressSink* progress) {
  EnsureGdal();
  if (!source) return 1;
  double gt[6];
  if (source->GetGeoTransform(gt) != CE_None) return 1;
  const int cols = source->GetRasterXSize(), rows = source->GetRasterYSize();
  const std::string proj = projection.empty() ? std::string(source->GetProjectionRef()) : projection;
  LandscapeGeoTiffWriter writer;
  if (!writer.Create(dest, cols, rows, proj, gt)) return 1;
  if (progress) progress->SetText("Converting " + dest);
  if (!FillFromLandscapeDataset(source, writer, CellWindow{0, 0, cols - 1, rows - 1}, progress)) return 1;
  if (!writer.Finish()) return 1;
  if (source->GetRasterCount() == 7 || source->GetRasterCount() == 10) TellGroundLayersNotCarried();
  return 0;
}

}  // namespace landscape

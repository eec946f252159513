#include <gdal_priv.h>

#include <cmath>

#include "landscape/convert.h"
#include "landscape/geo.h"
#include "landscape/geotiff.h"
#include "landscape/landscape.h"
#include "landscape/layer_stats.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "themes/theme.h"

namespace landscape {

namespace {

std::int16_t Int16(double v) {
  return static_cast<std::int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

// One value of a layer as the LCP writer stores it.
std::int16_t LcpValue(int layer, const CTheme* theme, int column, int row) {
  if (!theme) return kNoData;
  const float v = theme->GetCellValue(column, row);
  if (layer <= kCanopyCover || v == kNoData) return Int16(v);
  // Canopy and ground layers hold no negative amounts.
  return v < 0 ? 0 : Int16(v);
}

CellWindow WrittenWindow(const AreaWindow& area) {
  const CellWindow& r = area.read;
  return CellWindow{r.firstColumn, r.firstRow, r.firstColumn + WindowColumns(area.size) - 1,
                    r.firstRow + WindowRows(area.size) - 1};
}

const char* kNoProjection =
    "Error. No projection information associated with the landscape.\nPyrvane looks for a projection file "
    "when it opens the landscape.\nThe projection file should have the same name as the lcp file,\nwith a "
    "file extension of \".prj\" and should reside in the same\ndirectory as the lcp file.";

// Opens the source landscape and starts a GeoTIFF of the area's cells whose origin is the
// area's north-west corner. Null (the reason shown) when it cannot.
Dataset StartGeoTiff(const LandscapeState& state, const AreaWindow& area,
                                                         const std::string& dest, LandscapeGeoTiffWriter& writer) {
  if (!state.HasProjection()) {
    platform::Tell(kNoProjection);
    return nullptr;
  }
  Dataset src = OpenReadOnly(state.path);
  if (!src) {
    platform::Tell("Failure opening source landscape file\n");
    return nullptr;
  }
  double gt[6];
  if (src->GetGeoTransform(gt) != CE_None) {
    platform::Tell("Failure retrieving GeoTransform from source landscape\n");
    return nullptr;
  }
  gt[0] = area.west;
  gt[3] = area.north;
  const char* wkt = src->GetProjectionRef();
  if (!writer.Create(dest, WindowColumns(area.size), WindowRows(area.size), wkt ? wkt : "", gt)) {
    platform::Tell("Error opening " + dest);
    return nullptr;
  }
  return src;
}

bool FinishGeoTiff(const LandscapeState& state, LandscapeGeoTiffWriter& writer, const std::string& dest) {
  if (!writer.Finish()) {
    platform::Tell("Error writing " + dest + "\n" + writer.Error());
    return false;
  }
  if (state.header.HasGroundFuels()) TellGroundLayersNotCarried();
  return true;
}

}  // namespace

bool WriteLandscapeLcp(const LandscapeState& state, const AreaWindow& area, const std::string& dest,
                       platform::ProgressSink* progress) {
  const CHeaderData& doc = state.header;
  CHeaderData h;
  const int columns = WindowColumns(area.size), rows = WindowRows(area.size);
  h.crownFlag = doc.crownFlag;
  h.groundFlag = doc.groundFlag;
  h.latitude = doc.latitude;
  h.gridUnits = doc.gridUnits;
  h.cellWidth = doc.cellWidth;
  h.cellHeight = doc.cellHeight;
  h.unitCodes = doc.unitCodes;
  h.layerFiles = doc.layerFiles;
  h.columns = columns;
  h.rows = rows;
  h.west = h.westEdge = area.west;
  h.south = h.southEdge = area.south;
  h.east = h.eastEdge = area.west + columns * h.cellWidth;
  h.north = h.northEdge = area.south + rows * h.cellHeight;
  for (int k = 0; k < kLayerCount; ++k) {
    LcpLayerStats s = doc.layerStats[k];
    s.values[0] = kNoData;
    s.values[1] = s.low;
    s.values[2] = s.high;
    if (k != kCanopyBulkDensity) s.count = 3;
    if (const CTheme* t = state.layers[k])
      ComputeLayerHeaderStats(t, &s.high, &s.low, &s.count, s.values.data(), 1.0f, &area.read);
    h.layerStats[k] = s;
  }

  platform::AtomicFile file(dest);
  if (!file.Open()) {
    platform::Tell("Error opening " + dest);
    return false;
  }
  bool ok = file.Write(h.SerializeHeader());
  const int bands = h.BandCount();
  if (progress) {
    progress->SetText("Writing " + dest);
    progress->SetRange(rows);
  }
  std::vector<unsigned char> row(static_cast<std::size_t>(columns) * bands * 2);
  for (int r = 0; r < rows && ok; ++r) {
    std::size_t i = 0;
    for (int c = 0; c < columns; ++c) {
      const int col = area.read.firstColumn + c, srcRow = area.read.firstRow + r;
      for (int k = 0; k < kLayerCount; ++k) {
        if (h.BandIndex(k) < 0) continue;
        const auto v = static_cast<std::uint16_t>(LcpValue(k, state.layers[k], col, srcRow));
        row[i++] = static_cast<unsigned char>(v & 0xFF);
        row[i++] = static_cast<unsigned char>(v >> 8);
      }
    }
    ok = file.Write(row.data(), row.size());
    if (progress) {
      progress->SetPosition(r + 1);
      if (progress->CancelRequested()) return false;
    }
  }
  if (!ok || !file.Commit()) {
    platform::Tell("Error writing " + dest);
    return false;
  }
  // The cells are saved; a missing coordinate system must still be said.
  if (state.HasProjection() && !WritePrjFile(dest, state.projection))
    platform::Tell("Error writing " + PrjPathFor(dest));
  SetLandscapeBandInfo(dest);
  return true;
}

bool WriteAreaLandscapeGeoTiff(const LandscapeState& state, const AreaWindow& area, const std::string& dest,
                               platform::ProgressSink* progress) {
  LandscapeGeoTiffWriter writer;
  auto src = StartGeoTiff(state, area, dest, writer);
  if (!src) return false;
  if (!FillFromLandscapeDataset(src.get(), writer, WrittenWindow(area), progress)) return false;
  return FinishGeoTiff(state, writer, dest);
}

bool WriteLandscapeGeoTiff(const LandscapeState& state, const AreaWindow& area, const std::string& dest,
                           platform::ProgressSink* progress) {
  LandscapeGeoTiffWriter writer;
  auto src = StartGeoTiff(state, area, dest, writer);
  if (!src) return false;
  const CellWindow window = WrittenWindow(area);
  long long done = 0;
  bool cancelled = false;
  if (progress) progress->SetRange(8LL * WindowRows(window));
  const RowDone rowDone = [&] {
    if (!progress) return;
    progress->SetPosition(++done);
    cancelled = cancelled || progress->CancelRequested();
  };
  const bool canopy = state.header.HasCrownFuels();
  for (int k = 0; k < 8; ++k) {
    const CTheme* theme = state.layers[k];
    GDALRasterBand* band = writer.Band(k);
    if (!theme || (k >= 5 && !canopy)) {
      FillBandNoData(band);
      continue;
    }
    // The themes hold the units their header codes say (cover and aspect converted on
    // opening), so each value is converted from those codes exactly once.
    const auto rule = RuleForLayer(k, state.header.unitCodes[k]);
    if (!rule) continue;
    CopyCellsToBandWindow([theme](int c, int r) { return theme->GetCellValue(c, r); }, band, window, *rule,
                          rowDone);
    if (cancelled) return false;
  }
  return FinishGeoTiff(state, writer, dest);
}

}  // namespace landscape

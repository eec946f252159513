// The images of a KMZ: raster overlays warped to WGS84 and painted through their legends,
// legend pictures with class frequencies, the placemark icon and the folder symbols.
#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_alg.h>
#include <gdal_priv.h>
#include <gdalwarper.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

#include "platform/value_text.h"
#include "platform/png_encode.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "views/kmz_export.h"
#include "views/kmz_internal.h"

namespace views {

namespace {

struct DatasetCloser {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// A one-band dataset in memory over cells the caller keeps (rows lineBytes apart): nothing
// is copied in or out.
Dataset MemDataset(int columns, int rows, GDALDataType type, void* cells, std::size_t lineBytes) {
  GDALAllRegister();
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  if (!mem) return nullptr;
  Dataset d(mem->Create("", columns, rows, 0, type, nullptr));
  if (!d) return nullptr;
  char pointer[64], line[64], pixel[64];
  std::snprintf(pointer, sizeof pointer, "DATAPOINTER=%p", cells);
  std::snprintf(line, sizeof line, "LINEOFFSET=%zu", lineBytes);
  std::snprintf(pixel, sizeof pixel, "PIXELOFFSET=%d", GDALGetDataTypeSizeBytes(type));
  char* options[] = {pointer, line, pixel, nullptr};
  if (d->AddBand(type, options) != CE_None) return nullptr;
  return d;
}

// Colour lookup of a legend by binary search over its ascending classes: the same answer
// as the legend's own GetColor, fast enough for millions of cells.
class ColourLookup {
 public:
  explicit ColourLookup(const CThemeLegendData* legend) : legend_(legend) {
    if (!legend_ || legend_->GetCount() < 2) return;
    for (int i = 1; i < legend_->GetCount(); ++i) {
      values_.push_back(static_cast<double>(legend_->GetEntry(i).GetValue()));
      colours_.push_back(legend_->GetEntry(i).GetColor());
    }
  }
  COLORREF operator()(double v) const {
    if (values_.empty()) return legend_ ? legend_->GetColor(v) : 0;
    auto it = std::lower_bound(values_.begin(), values_.end(), v);
    return it == values_.end() ? colours_.back() : colours_[static_cast<std::size_t>(it - values_.begin())];
  }

 private:
  const CThemeLegendData* legend_;
  std::vector<double> values_;
  std::vector<COLORREF> colours_;
};

}  // namespace

std::vector<float> TransparentValuesOf(int layerType) {
  if (layerType == 35 || (layerType >= 38 && layerType <= 42)) return {};
  if (layerType == 36 || layerType == 37) return {0.0f};
  return {0.0f, -1.0f};
}

namespace {

// The overlay's colours: index 0 clear, then the legend's distinct colours in ascending order.
struct OverlayColours {
  std::vector<COLORREF> shades;
  std::size_t IndexOf(COLORREF c) const {
    return 1 + static_cast<std::size_t>(std::lower_bound(shades.begin(), shades.end(), c) - shades.begin());
  }
};

// The cells of the theme as colour indices, row by row side by side: a value's index is worked
// out once per run of equal values and remembered in a small table, as a grid holds few.
void IndexCells(const CTheme& theme, std::uint8_t* out, const std::function<std::uint8_t(float)>& indexOf) {
#pragma omp parallel
  {
    std::vector<float> row(static_cast<std::size_t>(theme.columns));
    constexpr std::size_t kMemo = 4096;
    std::vector<std::uint32_t> keys(kMemo, 0xFFFFFFFFu);  // a NaN, clear like every NaN
    std::vector<std::uint8_t> memo(kMemo, 0);
#pragma omp for schedule(static)
    for (int r = 0; r < theme.rows; ++r) {
      theme.ReadRow(r, row.data());
      std::uint8_t* o = out + static_cast<std::size_t>(r) * static_cast<std::size_t>(theme.columns);
      for (int c = 0; c < theme.columns; ++c) {
        std::uint32_t bits;
        std::memcpy(&bits, &row[static_cast<std::size_t>(c)], 4);
        const std::size_t slot = (bits * 2654435761u) >> 20;
        if (keys[slot] != bits) {
          keys[slot] = bits;
          memo[slot] = indexOf(row[static_cast<std::size_t>(c)]);
        }
        o[c] = memo[slot];
      }
    }
  }
}

}  // namespace

bool MakeKmzOverlayImage(KmzOverlay& out, const CTheme& theme, const CThemeLegendData* legend,
                         const std::string& projection, const std::vector<float>& transparent,
                         std::string& error) {
  out = KmzOverlay{};
  const std::string failed = "Error, cannot warp \"" + theme.name + "\" to geographic coordinates, no kmz will be written.";
  const std::string noImage = "Unable to create image.";
  if (theme.rows <= 0 || theme.columns <= 0) {
    error = "The theme \"" + theme.name + "\" holds no cells, no kmz will be written.";
    return false;
  }
  OGRSpatialReference source, target;
  if (projection.empty() || source.SetFromUserInput(projection.c_str()) != OGRERR_NONE) {
    error = kNoProjectionMessage;
    return false;
  }
  target.SetWellKnownGeogCS("WGS84");
  char* srcWkt = nullptr;
  char* dstWkt = nullptr;
  source.exportToWkt(&srcWkt);
  target.exportToWkt(&dstWkt);
  const std::string sourceWkt = srcWkt ? srcWkt : "", targetWkt = dstWkt ? dstWkt : "";
  CPLFree(srcWkt);
  CPLFree(dstWkt);

  // Each cell becomes the index of its colour: the legend's colour of its value in display
  // units, or 0 (clear) for no data, not a number and the transparent values. Nearest-neighbour
  // warping only moves cells, so the indices are warped, one byte a cell with 0 as their
  // no-data value, straight into the rows of the PNG's palette image.
  static_assert(kMaxLegendEntries + 2 <= 256, "a legend's colours, black and clear fit a palette");
  OverlayColours colours;
  colours.shades.push_back(0);
  if (legend)
    for (int i = 0; i < legend->GetCount(); ++i) colours.shades.push_back(legend->GetEntry(i).GetColor());
  std::sort(colours.shades.begin(), colours.shades.end());
  colours.shades.erase(std::unique(colours.shades.begin(), colours.shades.end()), colours.shades.end());
  const ColourLookup colour(legend);
  auto indexOf = [&](float stored) -> std::size_t {
    const float value = legend && stored != kNoData ? theme.ConvertToDisplayUnits(stored, *legend) : stored;
    if (value == kNoData || std::isnan(value) || std::find(transparent.begin(), transparent.end(), value) != transparent.end())
      return 0;
    return colours.IndexOf(colour(value));
  };

  const std::size_t columns = static_cast<std::size_t>(theme.columns);
  std::unique_ptr<std::uint8_t[]> cells(new (std::nothrow) std::uint8_t[columns * static_cast<std::size_t>(theme.rows)]);
  if (!cells) {
    error = failed;
    return false;
  }
  IndexCells(theme, cells.get(), [&](float v) { return static_cast<std::uint8_t>(indexOf(v)); });
  Dataset src = MemDataset(theme.columns, theme.rows, GDT_Byte, cells.get(), columns);
  if (!src) {
    error = failed;
    return false;
  }
  double gt[6] = {theme.west, theme.cellWidth, 0, theme.north, 0, -theme.cellHeight};
  src->SetGeoTransform(gt);
  src->SetProjection(sourceWkt.c_str());
  src->GetRasterBand(1)->SetNoDataValue(0);

  // One transformer: first for the output's extent, then to it.
  void* transformer = GDALCreateGenImgProjTransformer(src.get(), sourceWkt.c_str(), nullptr, targetWkt.c_str(), FALSE, 0.0, 1);
  if (!transformer) {
    error = kNoTransformMessage;
    return false;
  }
  double dgt[6];
  int pixels = 0, lines = 0;
  if (GDALSuggestedWarpOutput(src.get(), GDALGenImgProjTransform, transformer, dgt, &pixels, &lines) != CE_None ||
      pixels <= 0 || lines <= 0) {
    GDALDestroyGenImgProjTransformer(transformer);
    error = failed;
    return false;
  }
  GDALSetGenImgProjTransformerDstGeoTransform(transformer, dgt);

  // The warped indices: the PNG's rows, each led by its filter byte.
  const std::size_t lineBytes = static_cast<std::size_t>(pixels) + 1;
  std::vector<std::uint8_t> warpedRows;
  Dataset dst;
  try {
    warpedRows.resize(lineBytes * static_cast<std::size_t>(lines));
    dst = MemDataset(pixels, lines, GDT_Byte, warpedRows.data() + 1, lineBytes);
  } catch (const std::bad_alloc&) {
  }
  if (!dst) {
    GDALDestroyGenImgProjTransformer(transformer);
    error = noImage;
    return false;
  }
  dst->SetGeoTransform(dgt);
  dst->SetProjection(targetWkt.c_str());
  dst->GetRasterBand(1)->SetNoDataValue(0);

  // An eighth of a pixel of error, as the warping tool allows by default.
  void* approx = GDALCreateApproxTransformer(GDALGenImgProjTransform, transformer, 0.125);
  GDALWarpOptions* o = GDALCreateWarpOptions();
  o->hSrcDS = src.get();
  o->hDstDS = dst.get();
  o->nBandCount = 1;
  o->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
  o->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
  o->panSrcBands[0] = o->panDstBands[0] = 1;
  o->eResampleAlg = GRA_NearestNeighbour;
  o->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
  o->padfDstNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
  o->padfSrcNoDataReal[0] = o->padfDstNoDataReal[0] = 0;
  o->papszWarpOptions = CSLSetNameValue(o->papszWarpOptions, "INIT_DEST", "NO_DATA");
  o->papszWarpOptions = CSLSetNameValue(o->papszWarpOptions, "NUM_THREADS", "ALL_CPUS");
  o->pfnTransformer = GDALApproxTransform;
  o->pTransformerArg = approx;
  bool warped = false;
  {
    GDALWarpOperation op;
    warped = op.Initialize(o) == CE_None && op.ChunkAndWarpImage(0, 0, pixels, lines) == CE_None;
  }
  GDALDestroyApproxTransformer(approx);
  GDALDestroyGenImgProjTransformer(transformer);
  GDALDestroyWarpOptions(o);
  dst.reset();
  src.reset();
  cells.reset();
  if (!warped) {
    error = failed;
    return false;
  }

  std::vector<platform::Rgba> palette{platform::Rgba{0, 0, 0, 0}};
  for (COLORREF c : colours.shades) palette.push_back(platform::RgbaFromColorRef(c));
  if (!platform::EncodeIndexedPng(warpedRows, pixels, lines, palette, out.png)) {
    error = noImage;
    return false;
  }
  out.width = pixels;
  out.height = lines;
  out.west = dgt[0];
  out.east = dgt[0] + pixels * dgt[1];
  out.north = dgt[3];
  out.south = dgt[3] + lines * dgt[5];
  return true;
}

namespace {

// The button face the legends are drawn on.
constexpr platform::Rgba kFace{240, 240, 240, 255};
constexpr double kFontPoints = 8.0;

struct LegendRow {
  std::string label;
  long count = 0;
  COLORREF colour = 0;
};

// The layout the two legend pictures share: title, units, then one row per class.
platform::Image DrawFrequencyLegend(const std::string& title, const std::string& units,
                                    const std::string& widestLabel, const std::vector<LegendRow>& rows) {
  platform::Image probe(200, 200);
  double labelW = 0, labelH = 0, noDataW = 0, noDataH = 0, nameW = 0, h = 0, unitsW = 0, freqW = 0;
  {
    platform::Canvas c(probe);
    c.MeasureText(widestLabel, kFontPoints, false, labelW, labelH);
    c.MeasureText("NO DATA 1", kFontPoints, false, noDataW, noDataH);
    c.MeasureText(title, kFontPoints, true, nameW, h);
    c.MeasureText(units, kFontPoints, false, unitsW, h);
    c.MeasureText("Frequency", kFontPoints, false, freqW, h);
  }
  const int m = static_cast<int>(std::ceil(noDataH)) + 2;
  const int a = static_cast<int>(std::ceil(std::max(noDataW, labelW)));
  const int W = std::max(static_cast<int>(std::ceil(freqW)) + a + 46,
                         static_cast<int>(std::ceil(std::max(unitsW, nameW))) + 4);
  platform::Image image(W + 2, (static_cast<int>(rows.size()) + 2) * m + 6);
  platform::Canvas c(image);
  c.Clear(kFace);
  c.SetColour(platform::Rgba{0, 0, 0, 255});
  // Text is placed by its baseline; the font's descent sits below it.
  const int descent = std::max(1, m / 5);
  c.DrawText(W / 2 - nameW / 2, m - descent, title, kFontPoints, true);
  c.DrawText(W / 2 - unitsW / 2, 2 * m - descent, units, kFontPoints, false);
  int y = 2 * m;
  const int swatchH = static_cast<int>(std::ceil(labelH));
  for (const LegendRow& r : rows) {
    c.SetColour(platform::Rgba{0, 0, 0, 255});
    c.DrawText(5, y + m - descent, r.label, kFontPoints, false);
    c.DrawText(a + 46, y + m - descent, std::to_string(r.count), kFontPoints, false);
    c.SetColour(platform::RgbaFromColorRef(r.colour));
    c.FillRect(a + 12, y, 32, swatchH);
    c.SetColour(platform::Rgba{0, 0, 0, 255});
    c.SetLineWidth(1);
    c.StrokeRect(a + 12.5, y + 0.5, 32, swatchH);
    y += m;
  }
  return image;
}

std::string FormatValue(double v, int decimals) { return platform::FormatStored(v, decimals) + " "; }

// Class j of a value: the first threshold at or above it, else the last class.
int ClassOfValue(const std::vector<double>& thresholds, double v) {
  auto it = std::lower_bound(thresholds.begin(), thresholds.end(), v);
  return it == thresholds.end() ? static_cast<int>(thresholds.size()) - 1 : static_cast<int>(it - thresholds.begin());
}

}  // namespace

platform::Image MakeKmzLegendImage(const CTheme& theme, const CThemeLegendData& legend, const CellWindow& window) {
  const int n = legend.GetCount();
  if (n <= 0) return {};
  // Threshold 0 is no data; the classes follow in ascending order.
  std::vector<double> thresholds(static_cast<std::size_t>(n));
  thresholds[0] = theme.noData;
  for (int j = 1; j < n; ++j) thresholds[static_cast<std::size_t>(j)] = legend.GetEntry(j).GetValue();
  std::vector<long> counts(static_cast<std::size_t>(n), 0);
  const int c0 = std::max(0, window.firstColumn), c1 = std::min(theme.columns - 1, window.lastColumn);
  const int r0 = std::max(0, window.firstRow), r1 = std::min(theme.rows - 1, window.lastRow);
  const std::vector<double> classes(thresholds.begin() + 1, thresholds.end());
  // Rows side by side, each thread counting on its own; a class is worked out once per run
  // of equal values.
#pragma omp parallel
  {
    std::vector<long> local(static_cast<std::size_t>(n), 0);
    std::vector<float> row(static_cast<std::size_t>(std::max(theme.columns, 1)));
#pragma omp for schedule(static)
    for (int r = r0; r <= r1; ++r) {
      theme.ReadRow(r, row.data());
      float last = std::nanf("");
      std::size_t lastClass = 0;
      for (int c = c0; c <= c1; ++c) {
        const float v = row[static_cast<std::size_t>(c)];
        if (!(v == last)) {
          last = v;
          if (std::isnan(v) || v == theme.noData) {
            lastClass = 0;
          } else {
            const double d = theme.ConvertToDisplayUnits(v, legend);
            // Classes only: a cell never falls into "No Data" by value.
            lastClass = n > 1 ? static_cast<std::size_t>(ClassOfValue(classes, d) + 1) : 0;
          }
        }
        ++local[lastClass];
      }
    }
#pragma omp critical
    for (std::size_t j = 0; j < local.size(); ++j) counts[j] += local[j];
  }
  std::vector<LegendRow> rows;
  rows.push_back({"No Data", counts[0], legend.GetEntry(0).GetColor()});
  for (int j = 1; j < n; ++j)
    if (counts[static_cast<std::size_t>(j)] > 0)
      rows.push_back({FormatValue(legend.GetEntry(j).GetValue(), legend.GetDecimals()),
                      counts[static_cast<std::size_t>(j)], legend.GetEntry(j).GetColor()});
  return DrawFrequencyLegend(theme.name, legend.GetUnitsName(), FormatValue(legend.GetMaxValue(), legend.GetDecimals()), rows);
}

std::string ArrowUnitsLabel(const CWindVectorTheme& theme) {
  if (theme.spot) return "meters";
  if (theme.spread) return "m/min";
  return "mph";
}

platform::Image MakeKmzArrowLegendImage(const CWindVectorTheme& theme, const CWVLegendData& legend) {
  const int n = legend.GetCount();
  if (n <= 0) return {};
  std::vector<double> thresholds(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) thresholds[static_cast<std::size_t>(j)] = legend.GetEntry(j).GetValue();
  std::vector<long> counts(static_cast<std::size_t>(n), 0);
  for (const CWindVectorCell& cell : theme.cells) {
    if (!cell.IsValid() || std::isnan(cell.magnitude)) continue;
    // Classes are in display units: the stored base-unit magnitude is converted first.
    const double d = ConvertArrowUnits(theme.kind, cell.magnitude, 0, legend.units);
    ++counts[static_cast<std::size_t>(ClassOfValue(thresholds, d))];
  }
  std::vector<LegendRow> rows;
  for (int j = 0; j < n; ++j)
    if (j == 0 || counts[static_cast<std::size_t>(j)] > 0)
      rows.push_back({FormatValue(legend.GetEntry(j).GetValue(), legend.decimals), counts[static_cast<std::size_t>(j)],
                      legend.GetEntry(j).GetColor()});
  return DrawFrequencyLegend(theme.name, ArrowUnitsLabel(theme), FormatValue(legend.GetMaxValue(), legend.decimals), rows);
}

platform::Image MakePlacemarkIcon() {
  // A small flame-coloured diamond with a dark outline.
  platform::Image image(16, 16);
  platform::Canvas c(image);
  const std::vector<double> diamond{8, 1, 15, 8, 8, 15, 1, 8};
  c.SetColour(platform::Rgba{255, 128, 0, 255});
  c.FillPolygon(diamond);
  c.SetColour(platform::Rgba{96, 0, 0, 255});
  c.SetLineWidth(1);
  c.StrokePolygon(diamond);
  return image;
}

platform::Image MakeArrowSymbol() {
  platform::Image image(16, 16);
  platform::Canvas c(image);
  c.Clear(platform::Rgba{255, 255, 255, 255});
  c.SetColour(platform::Rgba{0, 0, 0, 255});
  c.SetLineWidth(1.5);
  c.DrawPolyline({2, 14, 13, 3});
  c.DrawPolyline({7, 3, 13, 3, 13, 9});
  return image;
}

platform::Image MakeLineSymbol(COLORREF colour, int width, int style) {
  platform::Image image(16, 16);
  platform::Canvas c(image);
  c.Clear(platform::Rgba{255, 255, 255, 255});
  c.SetColour(platform::RgbaFromColorRef(colour));
  c.SetLineWidth(std::max(1, width));
  // Styles beyond solid draw as dashes of the pen's width.
  if (style != 0) c.SetDash({3.0 * std::max(1, width), 2.0 * std::max(1, width)});
  c.DrawLine(0, 8.5, 16, 8.5);
  return image;
}

platform::Image MakeDiamondSymbol(COLORREF colour) {
  platform::Image image(16, 16);
  platform::Canvas c(image);
  c.Clear(platform::Rgba{255, 255, 255, 255});
  c.SetColour(platform::RgbaFromColorRef(colour));
  c.SetLineWidth(1);
  c.StrokePolygon({8, 12, 4, 8, 8, 4, 12, 8});
  return image;
}

}  // namespace views

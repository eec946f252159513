// A raster theme's cells inside an analysis area, written as an ESRI ASCII grid through the
// raster library. The grid and its companions (".prj", statistics) are made in memory first
// and then each written atomically, so a failure leaves earlier files intact.
#include <cpl_vsi.h>
#include <gdal_priv.h>

#include <atomic>
#include <cmath>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "project/cell_math.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/band_statistics.h"
#include "themes/legend.h"
#include "themes/theme.h"

namespace {


struct DatasetCloser {
  void operator()(GDALDataset* ds) const { GDALClose(GDALDataset::ToHandle(ds)); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, DatasetCloser>;

// Copies every file of a memory folder beside the target, each atomically.
bool MoveOutOfMemory(const std::string& memFolder, const std::string& targetFolder) {
  char** names = VSIReadDir(memFolder.c_str());
  bool ok = true;
  for (char** n = names; n && *n; ++n) {
    const std::string from = memFolder + "/" + *n;
    vsi_l_offset size = 0;
    GByte* bytes = VSIGetMemFileBuffer(from.c_str(), &size, FALSE);
    if (!bytes) continue;
    const std::string to = platform::Join(targetFolder.empty() ? "." : targetFolder, *n);
    ok = platform::WriteFileAtomically(to, std::string(reinterpret_cast<const char*>(bytes), size)) && ok;
  }
  CSLDestroy(names);
  return ok;
}

void RemoveMemoryFolder(const std::string& memFolder) {
  char** names = VSIReadDir(memFolder.c_str());
  for (char** n = names; n && *n; ++n) VSIUnlink((memFolder + "/" + *n).c_str());
  CSLDestroy(names);
  VSIRmdir(memFolder.c_str());
}

}  // namespace

bool CPyrvane2WorkArea::ExportAsciiGrid(CTheme* theme, const std::string& path) {
  if (!theme || !document) return false;
  GDALAllRegister();
  const double w = theme->cellWidth, h = theme->cellHeight;
  int rows = theme->rows, columns = theme->columns, firstRow = 0, firstColumn = 0;
  double originX = theme->west;
  if (w > 0 && h > 0) {
    if (theme->south != south && south - theme->south > w * 0.5)
      rows -= TruncToInt((south - theme->south) / h);
    if (theme->north != north && theme->north - north > w * 0.5)
      firstRow = TruncToInt((theme->north - north) / h);
    if (theme->east != east && theme->east - east > w * 0.5)
      columns -= TruncToInt((theme->east - east) / w);
    if (theme->west != west && west - theme->west > w * 0.5) {
      firstColumn = TruncToInt((west - theme->west) / w);
      originX = theme->west + firstColumn * w;
    }
  }
  rows = std::min(rows, theme->rows);
  columns = std::min(columns, theme->columns);
  firstRow = std::max(firstRow, 0);
  firstColumn = std::max(firstColumn, 0);
  const int ncols = columns - firstColumn, nrows = rows - firstRow;
  if (!(w > 0) || !(h > 0) || ncols <= 0 || nrows <= 0) {
    platform::Tell("Error: The analysis area holds no cells of " + theme->name + ".");
    return false;
  }

  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  DatasetPtr dataset(mem ? mem->Create("dummy.asc", ncols, nrows, 1, GDT_Float32, nullptr) : nullptr);
  if (!dataset) {
    platform::Tell("Unable to create mem dataset.");
    return false;
  }
  // The origin is the theme's north less the rows left out, with the true pixel height.
  double transform[6] = {originX, w, 0, theme->north - firstRow * h, 0, -h};
  dataset->SetGeoTransform(transform);
  if (document->HasProjection()) dataset->SetProjection(document->landscape.projection.c_str());
  dataset->SetDescription(theme->name.c_str());

  const CThemeLegendData* legend = document->GetVisibleThemeLegend();
  GDALRasterBand* band = dataset->GetRasterBand(1);
  // In the grid's own header too, for readers that do not see the raster library's notes.
  band->SetNoDataValue(-9999);
  std::vector<float> line(static_cast<std::size_t>(theme->columns));
  for (int r = firstRow; r < rows; ++r) {
    theme->ReadRow(r, line.data());
    float* cells = line.data() + firstColumn;
    if (legend)
      for (int c = 0; c < ncols; ++c) cells[c] = theme->ConvertToDisplayUnits(cells[c], *legend);
    if (band->RasterIO(GF_Write, 0, r - firstRow, ncols, 1, cells, ncols, 1, GDT_Float32, 0, 0) != CE_None) {
      platform::Tell("Unable to create mem dataset.");
      return false;
    }
  }

  GDALDriver* aaigrid = GetGDALDriverManager()->GetDriverByName("AAIGrid");
  if (!aaigrid) {
    platform::Tell("Unable to create AAIGrid driver");
    return false;
  }
  static std::atomic<int> serial{0};
  const std::string memFolder = "/vsimem/pv_ascii_export_" + std::to_string(++serial);
  VSIMkdir(memFolder.c_str(), 0755);
  const std::string memPath = memFolder + "/" + platform::FileName(path);
  bool written = false;
  {
    DatasetPtr copy(aaigrid->CreateCopy(memPath.c_str(), dataset.get(), FALSE, nullptr, nullptr, nullptr));
    if (copy) {
      const std::string units = legend ? legend->GetUnitsName() : std::string();
      GDALRasterBand* out = copy->GetRasterBand(1);
      out->SetDescription(theme->name.c_str());
      out->SetUnitType(units.c_str());
      out->SetMetadataItem("RepresentationType", "THEMATIC");
      out->SetMetadataItem("UnitOfMeasure", units.c_str());
      out->SetNoDataValue(-9999);
      ComputeBandStatistics(out);
      written = true;
    }
  }
  if (written) written = MoveOutOfMemory(memFolder, platform::Directory(path));
  RemoveMemoryFolder(memFolder);
  if (!written) {
    platform::Tell("Unable to create ascii grid.");
    return false;
  }
  return true;
}

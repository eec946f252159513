#include "themes/theme.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include <unistd.h>

#include "platform/grid_memory.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "themes/mapped_file.h"

static_assert(std::endian::native == std::endian::little,
              "file stores are read in place as little-endian");

CTheme::CTheme() = default;

CTheme::~CTheme() { ReleaseStores(); }

void CTheme::ReleaseStores() {
  DropCells();
  if (gridText_) std::fclose(gridText_);
  gridText_ = nullptr;
}

void CTheme::DropCells() {
  memory_.clear();
  memory_.shrink_to_fit();
  hasMemory_ = false;
  cells16_.reset();
  scratch_.reset();
  scratchCells_ = nullptr;
  if (!scratchPath_.empty()) std::remove(scratchPath_.c_str());
  scratchPath_.clear();
  lcp_.reset();
  lcpCells_ = nullptr;
  lcpCount_ = 0;
}

float CTheme::LandscapeCell(std::size_t cellIndex) const {
  const std::uint64_t at = (static_cast<std::uint64_t>(cellIndex) * static_cast<std::uint64_t>(bandCount_) +
                            static_cast<std::uint64_t>(bandIndex_)) + headerOffset_;
  if (at >= lcpCount_) return kNoData;
  std::uint16_t v;
  std::memcpy(&v, lcpCells_ + at, sizeof v);
  return decode_[v];
}

float CTheme::GetCellValue(int column, int row) const {
  if (column < 0 || row < 0 || column >= columns || row >= rows) return kNoData;
  const std::size_t i = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                        static_cast<std::size_t>(column);
  if (hasMemory_) return memory_[i];
  if (cells16_) return decode_[static_cast<std::uint16_t>(cells16_[i])];
  if (scratchCells_) return scratchCells_[i];
  if (lcpCells_) return LandscapeCell(i);
  return kNoData;
}

void CTheme::ReadRow(int row, float* out) const {
  if (columns <= 0) return;
  if (row < 0 || row >= rows) {
    std::fill(out, out + columns, kNoData);
    return;
  }
  const std::size_t first = static_cast<std::size_t>(row) * static_cast<std::size_t>(columns);
  if (hasMemory_) {
    std::memcpy(out, memory_.data() + first, sizeof(float) * static_cast<std::size_t>(columns));
  } else if (cells16_) {
    const std::int16_t* in = cells16_.get() + first;
    for (int c = 0; c < columns; ++c) out[c] = decode_[static_cast<std::uint16_t>(in[c])];
  } else if (scratchCells_) {
    std::memcpy(out, scratchCells_ + first, sizeof(float) * static_cast<std::size_t>(columns));
  } else if (lcpCells_) {
    for (int c = 0; c < columns; ++c) out[c] = LandscapeCell(first + static_cast<std::size_t>(c));
  } else {
    std::fill(out, out + columns, kNoData);
  }
}

void CTheme::SetCellValue(int row, int column, float value) {
  if (cells16_ && !WidenLandscapeCells()) {
    platform::Tell("There is not enough memory to change the cells of " + name + ".");
    return;
  }
  if (!hasMemory_) {
    platform::Tell("The cells of " + name + " are not in memory and cannot be changed.");
    return;
  }
  if (column < 0 || row < 0 || column >= columns || row >= rows) return;
  memory_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
          static_cast<std::size_t>(column)] = value;
}

void CTheme::GetCellCenter(int row, int column, double& x, double& y) const {
  x = (column + 0.5) * cellWidth + west;
  y = (rows - row) * cellHeight + south - 0.5 * cellHeight;
}

void CTheme::GetCellAt(double x, double y, int& column, int& row) const {
  column = row = -9999;
  if (!(west <= x && x <= east && south <= y && y <= north)) return;
  if (!(cellWidth > 0) || !(cellHeight > 0)) return;
  const double fc = (x - west) / cellWidth;
  const double fr = rows - (y - south) / cellHeight;
  if (!(fc >= 0 && fc <= columns) || !(fr > -1 && fr <= rows)) return;
  int c = static_cast<int>(fc), r = static_cast<int>(fr);
  if (c == columns) c = columns - 1;
  if (r == rows) r = rows - 1;
  if (c < 0 || r < 0 || c >= columns || r >= rows) return;
  column = c;
  row = r;
}

float CTheme::GetValueAt(double x, double y) const {
  int c, r;
  GetCellAt(x, y, c, r);
  if (c == -9999) return kNoData;
  return GetCellValue(c, r);
}

namespace {

// A grid larger than the machine's memory is out of memory, not a long wait for the kernel
// to give up (a few header bytes of a raster can claim any size).
bool FitsInMemory(std::size_t cells, std::size_t bytesPerCell) {
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  return !(pages > 0 && pageSize > 0 &&
           cells / static_cast<std::size_t>(pageSize) * bytesPerCell > static_cast<std::size_t>(pages));
}

}  // namespace

void LandscapeCellsDeleter::operator()(std::int16_t* cells) const {
  platform::FreeClearedBlock(cells, bytes);
}

bool CTheme::AllocateLandscapeCells() {
  DropCells();
  if (!FitsInMemory(CellCount(), sizeof(std::int16_t))) return false;
  const std::size_t bytes = std::max<std::size_t>(CellCount(), 1) * sizeof(std::int16_t);
  // Not cleared by us (every cell is read from the file next), and in large pages where the
  // system has them: a band is written once from end to end, and small pages would cost a
  // fault every 4 KB.
  void* p = platform::AllocateClearedBlock(bytes);
  if (!p) return false;
  cells16_ = std::unique_ptr<std::int16_t[], LandscapeCellsDeleter>(static_cast<std::int16_t*>(p),
                                                                      LandscapeCellsDeleter{bytes});
  return true;
}

bool CTheme::WidenLandscapeCells() {
  if (!cells16_) return true;
  try {
    memory_.resize(CellCount());
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::size_t i = 0; i < CellCount(); ++i) memory_[i] = decode_[static_cast<std::uint16_t>(cells16_[i])];
  cells16_.reset();
  hasMemory_ = true;
  return true;
}

bool CTheme::AllocateMemory() {
  DropCells();
  if (!FitsInMemory(CellCount(), sizeof(float))) {
    hasMemory_ = false;
    return false;
  }
  try {
    memory_.assign(CellCount(), 0.0f);
  } catch (const std::bad_alloc&) {
    memory_.clear();
    memory_.shrink_to_fit();
    hasMemory_ = false;
    return false;
  }
  hasMemory_ = true;
  return true;
}

bool CTheme::LoadMemoryGrid() {
  if (hasMemory_ || !scratchCells_) return hasMemory_;
  try {
    memory_.assign(scratchCells_, scratchCells_ + CellCount());
  } catch (const std::bad_alloc&) {
    memory_.clear();
    return false;
  }
  hasMemory_ = true;
  return true;
}

void CTheme::FreeMemoryGrid() {
  if (!hasMemory_ || !scratchCells_) return;
  memory_.clear();
  memory_.shrink_to_fit();
  hasMemory_ = false;
}

namespace {

bool IsData(float v) { return v != kNoData && !std::isnan(v); }

// Visits the cells of a window row by row; cells outside the grid read -9999.
template <class F>
void ForEachWindowRow(const CTheme& t, const CellWindow& w, F&& f) {
  if (w.lastRow < w.firstRow || w.lastColumn < w.firstColumn) return;
  std::vector<float> row(t.rows > 0 ? static_cast<std::size_t>(std::max(t.columns, 0)) : 0);
  const int width = w.lastColumn - w.firstColumn + 1;
  std::vector<float> cells(static_cast<std::size_t>(width));
  for (int r = w.firstRow; r <= w.lastRow; ++r) {
    if (r < 0 || r >= t.rows) {
      std::fill(cells.begin(), cells.end(), kNoData);
    } else {
      t.ReadRow(r, row.data());
      for (int c = w.firstColumn, k = 0; c <= w.lastColumn; ++c, ++k)
        cells[static_cast<std::size_t>(k)] =
            (c < 0 || c >= t.columns) ? kNoData : row[static_cast<std::size_t>(c)];
    }
    f(cells.data(), width);
  }
}

}  // namespace

void CTheme::GetMinMaxInWindow(const CellWindow& window, double& minimum, double& maximum) const {
  bool any = false;
  float lo = 0, hi = 0;
  ForEachWindowRow(*this, window, [&](const float* cells, int n) {
    for (int i = 0; i < n; ++i) {
      const float v = cells[i];
      if (!IsData(v)) continue;
      if (!any) {
        lo = hi = v;
        any = true;
      } else {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
    }
  });
  // Callers test the "no data" pair 1e9 / 0.
  minimum = any ? lo : 1e9;
  maximum = any ? hi : 0.0;
}

void CTheme::GetMinMax(double& minimum, double& maximum) const {
  GetMinMaxInWindow(CellWindow{0, 0, columns - 1, rows - 1}, minimum, maximum);
}

std::vector<float> CTheme::GetUniqueValuesInWindow(const CellWindow& window) const {
  std::vector<float> values;
  std::size_t limit = 1u << 20;
  ForEachWindowRow(*this, window, [&](const float* cells, int n) {
    for (int i = 0; i < n; ++i)
      if (!std::isnan(cells[i])) values.push_back(cells[i] == 0.0f ? 0.0f : cells[i]);
    // Keep the working list small on class layers.
    if (values.size() > limit) {
      std::sort(values.begin(), values.end());
      values.erase(std::unique(values.begin(), values.end()), values.end());
      limit = std::max(limit, 2 * values.size());
    }
  });
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

std::vector<float> CTheme::GetUniqueValues() const {
  return GetUniqueValuesInWindow(CellWindow{0, 0, columns - 1, rows - 1});
}

std::string GetFileTitleFromPath(const std::string& path) {
  std::string name = platform::FileName(path);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

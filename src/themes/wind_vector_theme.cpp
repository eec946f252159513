#include "themes/wind_vector_theme.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "platform/numbers.h"
#include "themes/theme.h"
#include "themes/wv_legend.h"

namespace {

std::atomic<std::uint64_t> g_nextSerial{1};

// Whole degrees of a sampled value, -9999 kept.
std::int32_t Degrees(float v) {
  if (v == -9999.0f || !(std::fabs(v) < 2e9f)) return -9999;
  return static_cast<std::int32_t>(v);
}

// Turned by 180: a value above 180 loses 180, any other gains 180.
std::int32_t Reverse(float v) {
  if (v == -9999.0f || !(std::fabs(v) < 2e9f)) return -9999;
  return static_cast<std::int32_t>(v > 180.0f ? v - 180.0f : v + 180.0f);
}

}  // namespace

CWindVectorTheme::CWindVectorTheme() : serial_(g_nextSerial.fetch_add(1)) {}

double CWindVectorTheme::ConvertUnits(double value, int from, int to) const {
  return ConvertArrowUnits(kind, value, from, to);
}

bool CWindVectorTheme::StartGrid(const CTheme& grid) {
  sourcePath.clear();
  directionGridFile.clear();
  speedGridFile.clear();
  gridded = true;
  cells.clear();
  count = 0;
  north = grid.north, east = grid.east, south = grid.south, west = grid.west;
  rows = grid.rows, columns = grid.columns;
  cellSize = std::min(grid.cellWidth, grid.cellHeight);
  if (rows <= 0 || columns <= 0 || !(grid.cellWidth > 0) || !(grid.cellHeight > 0)) {
    rows = columns = 0;
    gridded = false;
    return false;
  }
  try {
    cells.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  } catch (const std::bad_alloc&) {
    error_ = platform::FormatC("Not enough memory for %d x %d arrows.", rows, columns);
    rows = columns = 0;
    gridded = false;
    return false;
  }
  for (int i = 0; i < rows; ++i) {
    const double y = (i + 0.5) * grid.cellHeight + south;
    CWindVectorCell* row = cells.data() + static_cast<std::size_t>(i) * static_cast<std::size_t>(columns);
    for (int j = 0; j < columns; ++j) {
      row[j].x = static_cast<float>((j + 0.5) * grid.cellWidth + west);
      row[j].y = static_cast<float>(y);
    }
  }
  return true;
}

bool CWindVectorTheme::FinishGrid() {
  count = 0;
  minMagnitude = maxMagnitude = 0;
  for (const CWindVectorCell& c : cells) {
    if (!c.IsValid()) continue;
    ++count;
    minMagnitude = std::min(minMagnitude, c.magnitude);
    maxMagnitude = std::max(maxMagnitude, c.magnitude);
  }
  if (count == 0) {
    gridded = false;
    cells.clear();
    cells.shrink_to_fit();
    return false;
  }
  std::vector<float> values(cells.size());
  const CellWindow window{0, 0, columns - 1, rows - 1};
  for (std::size_t k = 0; k < cells.size(); ++k) values[k] = cells[k].IsValid() ? cells[k].magnitude : -9999.0f;
  magnitudeStats.ComputeArrowValues(values, window, east, west, north);
  for (std::size_t k = 0; k < cells.size(); ++k)
    values[k] = cells[k].IsValid() ? static_cast<float>(cells[k].direction) : -9999.0f;
  directionStats.ComputeArrowValues(values, window, east, west, north);
  visible = true;
  return true;
}

bool CWindVectorTheme::CreateWindVectors(const CTheme* direction, const CTheme* speed) {
  if (!direction || !speed) return false;
  spread = false;
  clipWest = speed->west, clipEast = speed->east, clipNorth = speed->north, clipSouth = speed->south;
  return BuildOnGrid(*direction, [&](CWindVectorCell& c) {
    c.direction = Degrees(direction->GetValueAt(c.x, c.y));
    c.magnitude = speed->GetValueAt(c.x, c.y);
  });
}

bool CWindVectorTheme::CreateSpreadVectors(const CTheme* direction, const CTheme* first,
                                           const CTheme* second) {
  if (!direction || !first || !second) return false;
  spread = true;
  return BuildOnGrid(*direction, [&](CWindVectorCell& c) {
    const float radians = direction->GetValueAt(c.x, c.y);
    if (radians == -9999.0f) {
      c.direction = -9999;
    } else {
      // Where the fire goes, turned to where it comes from, in the engine's precision.
      float d = static_cast<float>(static_cast<float>(radians * 180.0f) * 0.3183098861837907);
      d = d > 180.0f ? d - 180.0f : d + 180.0f;
      c.direction = std::fabs(d) < 2e9f ? static_cast<std::int32_t>(d) : -9999;
    }
    const float a = first->GetValueAt(c.x, c.y), b = second->GetValueAt(c.x, c.y);
    c.magnitude = (a == -9999.0f || b == -9999.0f) ? -9999.0f : a + b;
  });
}

bool CWindVectorTheme::CreateSpotVectors(const CTheme* spotGrid) {
  if (!spotGrid) return false;
  spot = true;
  return BuildOnGrid(*spotGrid, [&](CWindVectorCell& c) {
    const float v = spotGrid->GetValueAt(c.x, c.y);
    if (v == -9999.0f || !(std::fabs(v) < 2e9f)) {
      c.direction = -9999;
      c.magnitude = -9999.0f;
      return;
    }
    float whole = 0;
    const float fraction = std::modf(v, &whole);
    c.direction = static_cast<std::int32_t>(static_cast<float>(fraction * 10.0f) * 57.29577951308232);
    c.magnitude = whole;
  });
}

bool CWindVectorTheme::CreateWindVectorsReversed(const CTheme* direction, const CTheme* magnitude) {
  if (!direction || !magnitude) return false;
  spread = true;
  return BuildOnGrid(*direction, [&](CWindVectorCell& c) {
    c.direction = Reverse(direction->GetValueAt(c.x, c.y));
    c.magnitude = magnitude->GetValueAt(c.x, c.y);
  });
}

const CWindVectorCell* CWindVectorTheme::Cell(int row, int column) const {
  if (row < 0 || column < 0 || row >= rows || column >= columns || cells.empty()) return nullptr;
  return &cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                static_cast<std::size_t>(column)];
}

namespace {

const CWindVectorCell* CellUnder(const CWindVectorTheme& t, double x, double y) {
  if (!(t.west <= x && x <= t.east && t.south <= y && y <= t.north) || !(t.cellSize > 0)) return nullptr;
  const double fr = (y - t.south) * (1.0 / t.cellSize), fc = (x - t.west) * (1.0 / t.cellSize);
  if (!(fr < t.rows) || !(fc < t.columns)) return nullptr;
  return t.Cell(static_cast<int>(fr), static_cast<int>(fc));
}

}  // namespace

double CWindVectorTheme::GetMagnitudeAt(double x, double y, const CWVLegendData* legend) const {
  const CWindVectorCell* c = CellUnder(*this, x, y);
  if (!c || !(c->magnitude >= 0)) return -9999;
  return ConvertUnits(c->magnitude, 0, legend ? legend->units : 0);
}

double CWindVectorTheme::GetDirectionAt(double x, double y) const {
  const CWindVectorCell* c = CellUnder(*this, x, y);
  if (!c || c->direction < 0) return -9999;
  return c->direction;
}

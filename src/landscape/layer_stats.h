#pragma once
// The statistics block of one landscape layer over a window of cells: lowest and highest
// value, and the distinct whole values when there are at most 99 of them.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "themes/cell_window.h"

class CTheme;

namespace landscape {

inline int WindowColumns(const CellWindow& w) { return w.lastColumn - w.firstColumn + 1; }
inline int WindowRows(const CellWindow& w) { return w.lastRow - w.firstRow + 1; }

// cell(column, row) -> float. Values equal to nodata are skipped; the others are multiplied by
// scale and truncated toward zero, and distinct whole values are listed (at most 99) in
// values[1..count], sorted; values[0] = 0. With more than 99, count = -1 and values is left as
// passed. A window without any value gives low = high = 0 and count 0.
template <class CellFn>
void ComputeLayerHeaderStatsOf(CellFn&& cell, float nodata, int rows, int columns, std::int32_t* high,
                               std::int32_t* low, std::int32_t* count, std::int32_t* values, float scale,
                               const CellWindow* window) {
  CellWindow w = window ? *window : CellWindow{0, 0, columns - 1, rows - 1};
  std::int32_t listed[99];
  int n = 0;
  bool overflow = false, any = false;
  double maxV = 0, minV = 0;
  int lastHit = -1;
  for (int r = w.firstRow; r <= w.lastRow; ++r) {
    for (int c = w.firstColumn; c <= w.lastColumn; ++c) {
      float v = cell(c, r);
      if (v == nodata || std::isnan(v)) continue;
      v *= scale;
      const double t = std::trunc(static_cast<double>(v));
      if (!any) {
        maxV = minV = t;
        any = true;
      } else {
        maxV = std::max(maxV, t);
        minV = std::min(minV, t);
      }
      if (overflow) continue;
      // Whole values fit int32 for every landscape layer; clamp the rest.
      const std::int32_t iv = static_cast<std::int32_t>(std::clamp(t, -2147483648.0, 2147483647.0));
      if (lastHit >= 0 && listed[lastHit] == iv) continue;
      int i = 0;
      while (i < n && listed[i] != iv) ++i;
      if (i < n) {
        lastHit = i;
        continue;
      }
      if (n < 99) {
        listed[n] = iv;
        lastHit = n++;
      } else {
        overflow = true;
      }
    }
  }
  *high = any ? static_cast<std::int32_t>(std::clamp(maxV, -2147483648.0, 2147483647.0)) : 0;
  *low = any ? static_cast<std::int32_t>(std::clamp(minV, -2147483648.0, 2147483647.0)) : 0;
  if (overflow) {
    *count = -1;
    return;
  }
  *count = n;
  values[0] = 0;
  std::sort(listed, listed + n);
  std::copy(listed, listed + n, values + 1);
}

}  // namespace landscape

// The statistics of a layer theme's cells (nodata from the theme); without a window, the
// whole theme.
void ComputeLayerHeaderStats(const CTheme* theme, std::int32_t* high, std::int32_t* low, std::int32_t* count,
                             std::int32_t* values, float scale, const CellWindow* window);

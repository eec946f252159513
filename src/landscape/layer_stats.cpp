#include "landscape/layer_stats.h"

#include "themes/theme.h"

void ComputeLayerHeaderStats(const CTheme* theme, std::int32_t* high, std::int32_t* low, std::int32_t* count,
                             std::int32_t* values, float scale, const CellWindow* window) {
  landscape::ComputeLayerHeaderStatsOf([theme](int c, int r) { return theme->GetCellValue(c, r); },
                                       theme->noData, theme->rows, theme->columns, high, low, count, values,
                                       scale, window);
}

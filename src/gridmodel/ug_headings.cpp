#include "gridmodel/ug_headings.h"

namespace gridmodel {

void FitColumnsToHeadings(CUGCtrl& grid) {
  CUGView* view = grid.GetView();
  if (!view) return;
  for (int c = 0; c < grid.GetColCount(); ++c) {
    CUGCell cell;
    grid.GetCell(c, -1, &cell);
    const char* text = cell.GetText();
    if (!text || !*text) continue;
    const int font = cell.GetFont() >= 0 ? cell.GetFont() : grid.GetDefaultFont();
    const int need = view->MeasureTextWidth(text, font) + 8;  // the heading's border and margins
    if (grid.GetColWidth(c) < need) grid.SetColWidth(c, need);
  }
}

}  // namespace gridmodel

#pragma once
// Column headings that are never cut by their column.
#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

// Widens each column whose heading is wider than the column (needs the grid's view to measure
// with; without one nothing changes). The widths set before are the least the columns keep.
void FitColumnsToHeadings(CUGCtrl& grid);

}  // namespace gridmodel

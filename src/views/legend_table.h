#pragma once
// What both legend creators do to their class tables: colour cells, value texts, sorting by
// value, the ascending check, ramps laid over the selected rows, and the name of a new
// predefined legend. Refusals are told with the system's messages.
#include <string>
#include <vector>

#include "gridmodel/table_grid.h"
#include "themes/color_ramp.h"

namespace views {

constexpr int kColourColumn = 1;

// "%.<decimals>f", with a trailing blank when asked (the texts the creators rewrite).
std::string FormatClassValue(double value, int decimals, bool blank = false);
COLORREF TableColour(const gridmodel::CGridCtrl& table, int row);
// Makes the cell a colour cell when it is not one yet.
void SetTableColour(gridmodel::CGridCtrl& table, int row, COLORREF colour);
double TableNumber(const gridmodel::CGridCtrl& table, int row, int col = 0);
// Rows below the headings sorted on their values; "No Data" before every number.
void SortTableRows(gridmodel::CGridCtrl& table);
// The values of rows first .. last never decrease, starting from -9999; says so otherwise.
bool TableValuesAscend(const gridmodel::CGridCtrl& table, int firstRow);
// An empty class row with a black colour cell, before `before` (at the end when it is not a
// class row), its value cell selected. Returns the row.
int InsertClassRow(gridmodel::CGridCtrl& table, int before);
// The rows of the selection go, the row above becomes the selection. Refused with "No rows
// selected." or, when the selection reaches above firstDeletable, with `refusal`.
bool DeleteSelectedClassRows(gridmodel::CGridCtrl& table, int firstDeletable, const std::string& refusal);
// Selected rows of a column at or below firstRow, top to bottom.
std::vector<int> SelectedRowsOf(const gridmodel::CGridCtrl& table, int col, int firstRow);
// The selected colour cells take a ramp from start to end, top to bottom. Needs two.
void RampSelectedColours(gridmodel::CGridCtrl& table, int firstRow, COLORREF start, COLORREF end);
// The first and last selected colour cells' colours; false when fewer than two are selected.
bool SelectedColourEnds(const gridmodel::CGridCtrl& table, int firstRow, COLORREF& start, COLORREF& end);

// The name typed for a new predefined legend, trimmed; refused (with the message) when blank
// or already the name of one of `existing`.
bool AcceptLegendName(std::string& name, const std::vector<std::string>& existing);

}  // namespace views

#include "views/legend_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/messages.h"
#include "platform/value_text.h"
#include "themes/legend.h"
#include "themes/wv_legend.h"

namespace views {

using gridmodel::CGridCellColor;
using gridmodel::Colour;

std::string FormatClassValue(double value, int decimals, bool blank) {
  return platform::FormatStored(value, decimals) + (blank ? " " : "");
}

COLORREF TableColour(const gridmodel::CGridCtrl& table, int row) {
  const auto* cell = dynamic_cast<const CGridCellColor*>(table.GetCell(row, kColourColumn));
  return cell ? cell->GetColor().Ref() : 0;
}

void SetTableColour(gridmodel::CGridCtrl& table, int row, COLORREF colour) {
  if (!dynamic_cast<CGridCellColor*>(table.GetCell(row, kColourColumn)))
    table.SetCellClass(row, kColourColumn, &gridmodel::MakeCell<CGridCellColor>);
  if (auto* cell = dynamic_cast<CGridCellColor*>(table.GetCell(row, kColourColumn)))
    cell->SetColor(Colour::FromRef(colour));
}

double TableNumber(const gridmodel::CGridCtrl& table, int row, int col) {
  return std::atof(table.GetItemText(row, col).c_str());
}

void SortTableRows(gridmodel::CGridCtrl& table) {
  table.SortItems(
      [](const gridmodel::CGridCellBase* a, const gridmodel::CGridCellBase* b, std::intptr_t) {
        const std::string& ta = a->GetText();
        const std::string& tb = b->GetText();
        if (ta == "No Data" || tb == "No Data") return ta == tb ? 0 : ta == "No Data" ? -1 : 1;
        const double x = std::atof(ta.c_str()), y = std::atof(tb.c_str());
        return x < y ? -1 : x > y ? 1 : 0;
      },
      0, true);
}

bool TableValuesAscend(const gridmodel::CGridCtrl& table, int firstRow) {
  float last = kNoData;
  for (int r = firstRow; r < table.GetRowCount(); ++r) {
    const float v = static_cast<float>(TableNumber(table, r));
    if (v < last) {
      platform::Tell("Error: Class values must be in ascending order.");
      return false;
    }
    last = v;
  }
  return true;
}

int InsertClassRow(gridmodel::CGridCtrl& table, int before) {
  const int row = before > 0 && before < table.GetRowCount() ? table.InsertRow("", before) : table.InsertRow("");
  SetTableColour(table, row, 0);
  table.SetFocusCell(row, 0);
  table.SetSelectedRange(row, 0, row, 0);
  return row;
}

bool DeleteSelectedClassRows(gridmodel::CGridCtrl& table, int firstDeletable, const std::string& refusal) {
  if (table.GetSelectedCount() == 0) {
    platform::Tell("No rows selected.");
    return false;
  }
  const gridmodel::CGridRange sel = table.GetSelectedCellRange();
  if (sel.minRow < firstDeletable) {
    platform::Tell(refusal);
    return false;
  }
  for (int r = sel.maxRow; r >= sel.minRow; --r) table.DeleteRow(r);
  const int above = std::max(table.GetFixedRowCount(), sel.minRow - 1);
  if (above < table.GetRowCount()) {
    table.SetFocusCell(above, 0);
    table.SetSelectedRange(above, 0, above, 0);
  } else {
    table.ResetSelectedRange();
  }
  return true;
}

std::vector<int> SelectedRowsOf(const gridmodel::CGridCtrl& table, int col, int firstRow) {
  std::vector<int> rows;
  for (int r = std::max(firstRow, 0); r < table.GetRowCount(); ++r)
    if (table.IsCellSelected(r, col)) rows.push_back(r);
  return rows;
}

bool SelectedColourEnds(const gridmodel::CGridCtrl& table, int firstRow, COLORREF& start, COLORREF& end) {
  const std::vector<int> rows = SelectedRowsOf(table, kColourColumn, firstRow);
  if (rows.size() < 2) return false;
  start = TableColour(table, rows.front());
  end = TableColour(table, rows.back());
  return true;
}

void RampSelectedColours(gridmodel::CGridCtrl& table, int firstRow, COLORREF start, COLORREF end) {
  const std::vector<int> rows = SelectedRowsOf(table, kColourColumn, firstRow);
  if (rows.size() < 2) return;
  // As many colours as colour cells, so the last selected row takes the end colour.
  std::vector<COLORREF> ramp(rows.size());
  MakeRgbRampPair(start, end, static_cast<int>(rows.size()), ramp.data());
  for (std::size_t i = 0; i < rows.size(); ++i) SetTableColour(table, rows[i], ramp[i]);
}

bool AcceptLegendName(std::string& name, const std::vector<std::string>& existing) {
  const std::size_t first = name.find_first_not_of(" \t");
  if (first == std::string::npos) {
    platform::Tell("Error: Legend name must not be blank!");
    return false;
  }
  name = name.substr(first, name.find_last_not_of(" \t") - first + 1);
  if (std::find(existing.begin(), existing.end(), name) != existing.end()) {
    platform::Tell("Error: A predefined legend with the name '" + name + "' already exists.");
    return false;
  }
  return true;
}

}  // namespace views

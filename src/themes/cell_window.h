#pragma once
// A rectangle of cells: first and last column and row, inclusive; row 0 is the northern row.
struct CellWindow {
  int firstColumn = 0, firstRow = 0, lastColumn = -1, lastRow = -1;
  bool operator==(const CellWindow&) const = default;
};

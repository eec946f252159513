#pragma once
// The legend creator's logic on its class table (a table grid without its window): one row
// per class with the value as shown, a colour cell and how many cells of the area fall in
// it. Continuous and unique-value classes, units and decimals, rows inserted, deleted, sorted
// and compacted, and the edited classes written back to the legend. Refusals are told with
// the system's messages and leave the table as it was.
#include <memory>
#include <string>
#include <vector>

#include "gridmodel/table_grid.h"
#include "themes/cell_window.h"
#include "themes/legend.h"

class CTheme;
class CPyrvane2WorkArea;
class CPredefinedThemeLegend;

namespace views {

class CLegendCreator {
 public:
  // The theme is required; without an area nothing is scanned and values are kept as typed.
  // The table is the dialog's (or a test's); the creator sets its columns and rows.
  CLegendCreator(CTheme& theme, CThemeLegendData& legend, const CPyrvane2WorkArea* area, gridmodel::CGridCtrl& table);

  gridmodel::CGridCtrl& Table() { return table_; }
  const gridmodel::CGridCtrl& Table() const { return table_; }
  // Fills the table from the legend and counts the cells (what opening the dialog does).
  void Init();

  int Decimals() const { return decimals_; }
  int Classes() const { return classes_; }
  bool UniqueValues() const { return unique_; }
  void SetUniqueValues(bool on) { unique_ = on; }
  // False when the area holds too many distinct values for one class each.
  bool CanUseUniqueValues() const { return !area_ || distinctCount_ >= 0; }
  const std::string& LowText() const { return lowText_; }
  const std::string& HighText() const { return highText_; }
  int Units() const { return legend_.GetUnits(); }
  int LayerType() const;

  // Equal classes from the legend's minimum to its maximum; n counts the "No Data" class.
  bool ApplyClasses(int n);
  // One class per distinct cell value of the area.
  bool ApplyUniqueValues();
  void CountFrequencies();
  void ChangeUnitsOrDecimals(int unitsIndex, int decimals);

  // Recolours the class rows from a ramp in ascending value order ("No Data" keeps its
  // colour); null: "Select a color ramp.".
  bool ApplyRamp(const CColorRamp* ramp);
  // The classes, colours and settings of a predefined legend (values as it stores them);
  // null: "Select a predefined legend.".
  bool ApplyPredefined(const CPredefinedThemeLegend* predefined);
  // A new predefined legend of the table, for the theme's layer type; null when the values
  // do not ascend.
  std::unique_ptr<CPredefinedThemeLegend> MakePredefined(const std::string& name) const;
  // The selected colour cells (the "No Data" row included) take a ramp; the ends are those
  // of the first and last selected.
  bool SelectedColourEnds(COLORREF& start, COLORREF& end) const;
  void RampColours(COLORREF start, COLORREF end);

  void AppendClass();
  void InsertClass();
  bool DeleteClass();
  void SortClasses();
  // Removes the classes no cell falls in, after asking.
  bool Compact();
  bool CheckAscending() const;
  // OK: the legend takes the table's classes; false (and nothing changed) when they do not
  // ascend.
  bool Commit();
  // Cancel: the legend's display units go back to those it had at opening.
  void Cancel();

  std::string ValueText(int row) const { return table_.GetItemText(row, 0); }
  COLORREF RowColour(int row) const;
  void SetRowColour(int row, COLORREF colour);

 private:
  std::string Format(double value) const;
  void SetRows(int rows);
  void SetValueRow(int row, const std::string& text, COLORREF colour);
  double ToDisplay(float stored) const;
  float ToStored(double shown) const;
  void UpdateRange();
  void FillEntries(CThemeLegendData& out) const;
  CellWindow Window() const;

  CTheme& theme_;
  CThemeLegendData& legend_;
  const CPyrvane2WorkArea* area_;
  gridmodel::CGridCtrl& table_;
  int decimals_ = 0, classes_ = 0;
  bool unique_ = false;
  int savedUnits_ = 0;
  int distinctCount_ = 0;
  float low_ = 10000000.0f, high_ = -9999.0f;
  std::string lowText_ = "low", highText_ = "high";
};

}  // namespace views

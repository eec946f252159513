#pragma once
// The wind-vector legend creator's logic on its class table (value, colour, relative
// length; row r is class r - 1) and its settings: classes built and edited, colour and
// length ramps, units and decimals, predefined legends, and the edited legend written back
// on OK. Refusals are told with the system's messages and leave the table as it was.
#include <memory>
#include <string>

#include "gridmodel/table_grid.h"
#include "themes/wv_legend.h"

class CWindVectorTheme;
class CPredefinedWVThemeLegend;

namespace views {

// The arrow kind a theme's legends belong to: its spot or spread flag, else its kind.
int ArrowKindOf(const CWindVectorTheme& theme);

class CWVLegendCreator {
 public:
  // The theme gives the units and the data range; a predefined legend is edited on a scratch
  // theme of its kind without a name.
  CWVLegendCreator(CWindVectorTheme& theme, CWVLegendData& legend, gridmodel::CGridCtrl& table);

  gridmodel::CGridCtrl& Table() { return table_; }
  const gridmodel::CGridCtrl& Table() const { return table_; }
  // Fills the table and the settings from the legend (what opening the dialog does).
  void Init();
  int Kind() const { return kind_; }
  // Grid themes other than spot arrows thin by rows/columns or target size; point and spot
  // themes draw every arrow.
  bool DensityEditable() const;
  const std::string& LowText() const { return lowText_; }
  const std::string& HighText() const { return highText_; }

  // Settings as the dialog shows them.
  int decimals = 0;
  int units = 0;
  int classes = 0;
  int showValues = 0;
  int fontSize = 8;
  int skip = 0;
  int lineWidth = 1;
  int autoDensity = 1;
  int targetSize = 35;

  // Equal classes over the legend's range; relative lengths 1 .. n.
  bool ApplyClasses(int n);
  void ChangeDecimals(int decimals);
  // Class values follow into the new units (a scratch theme's only change the index).
  void ChangeUnits(int units);
  // Recolours the rows in ascending value order; null: "Select a color ramp.".
  bool ApplyRamp(const CColorRamp* ramp);
  // The table and settings of a predefined legend; null: "Select a predefined legend.".
  bool ApplyPredefined(const CPredefinedWVThemeLegend* predefined);
  // A new predefined legend of the table and settings, null when the values do not ascend.
  std::unique_ptr<CPredefinedWVThemeLegend> MakePredefined(const std::string& name) const;

  void AppendClass();
  void InsertClass();
  bool DeleteClass();
  void SortClasses();
  bool CheckAscending() const;

  // Ramps over the selected rows; the ends are those of the first and last selected cells.
  bool SelectedColourEnds(COLORREF& start, COLORREF& end) const;
  void RampColours(COLORREF start, COLORREF end);
  // From and to the first and last selected lengths (1 and the count when none); false with
  // fewer than two selected.
  bool SelectedLengthEnds(int& from, int& to, int& count) const;
  void RampLengths(int from, int to, int count);

  // OK: the legend takes the table and the settings; false (nothing changed) when the values
  // do not ascend.
  bool Commit();

  std::string ValueText(int row) const { return table_.GetItemText(row, 0); }
  COLORREF RowColour(int row) const;
  int RowLength(int row) const;

 private:
  void SetRows(int rows);
  void SetRow(int row, const std::string& value, COLORREF colour, int length);
  void UpdateRange();
  void FillLegend(CWVLegendData& out) const;

  CWindVectorTheme& theme_;
  CWVLegendData& legend_;
  gridmodel::CGridCtrl& table_;
  int kind_ = 0;
  std::string lowText_ = "NA", highText_ = "NA";
};

}  // namespace views

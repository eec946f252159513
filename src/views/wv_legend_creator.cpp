#include "views/wv_legend_creator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/preference_records.h"
#include "platform/messages.h"
#include "themes/wind_vector_theme.h"
#include "views/legend_table.h"

namespace views {

namespace {
constexpr int kLengthColumn = 2;
}

int ArrowKindOf(const CWindVectorTheme& theme) {
  if (theme.spot || theme.kind == 2) return 2;
  if (theme.spread || theme.kind == 1) return 1;
  return 0;
}

CWVLegendCreator::CWVLegendCreator(CWindVectorTheme& theme, CWVLegendData& legend, gridmodel::CGridCtrl& table)
    : theme_(theme), legend_(legend), table_(table), kind_(ArrowKindOf(theme)) {
  table_.SetColumnCount(3);
  table_.SetRowCount(1);
  table_.SetFixedRowCount(1);
  table_.SetFixedColumnCount(0);
  table_.SetSortOnHeaderClick(false);
  table_.SetRowSelectMode(false);
}

bool CWVLegendCreator::DensityEditable() const { return theme_.gridded && kind_ != 2; }

COLORREF CWVLegendCreator::RowColour(int row) const { return TableColour(table_, row); }

int CWVLegendCreator::RowLength(int row) const { return std::atoi(table_.GetItemText(row, kLengthColumn).c_str()); }

void CWVLegendCreator::SetRows(int rows) {
  table_.SetRowCount(rows);
  table_.SetItemText(0, 0, "Value");
  table_.SetItemText(0, 1, "Color");
  table_.SetItemText(0, 2, "Relative Length");
}

void CWVLegendCreator::SetRow(int row, const std::string& value, COLORREF colour, int length) {
  table_.SetItemText(row, 0, value);
  SetTableColour(table_, row, colour);
  table_.SetItemText(row, kLengthColumn, std::to_string(length));
}

void CWVLegendCreator::Init() {
  decimals = legend_.decimals;
  units = legend_.units;
  classes = legend_.GetCount();
  showValues = legend_.showValues;
  fontSize = std::clamp(legend_.fontSize, 4, 12);
  lineWidth = legend_.lineWidth;
  autoDensity = legend_.autoDensity;
  targetSize = legend_.targetSize;
  // Point and spot arrows are all drawn: nothing is skipped.
  skip = DensityEditable() ? legend_.skip : 0;
  SetRows(classes + 1);
  for (int i = 0; i < classes; ++i) {
    const CWVLegendEntry& e = legend_.GetEntry(i);
    SetRow(i + 1, FormatClassValue(e.GetValue(), decimals), e.GetColor(), e.GetRelativeLength());
  }
  UpdateRange();
}

void CWVLegendCreator::UpdateRange() {
  lowText_ = FormatClassValue(theme_.ConvertUnits(theme_.minMagnitude, 0, units), decimals);
  highText_ = FormatClassValue(theme_.ConvertUnits(theme_.maxMagnitude, 0, units), decimals);
}

bool CWVLegendCreator::ApplyClasses(int n) {
  if (n < 2 || n > 100) {
    platform::Tell("Error: Need anywhere from 2 to 100 classes!");
    return false;
  }
  COLORREF start = 0, end = MakeColorRef(255, 0, 0), first = 0xFFFFFF;
  if (table_.GetRowCount() >= 3) {
    first = RowColour(1);
    start = RowColour(2);
    end = RowColour(table_.GetRowCount() - 1);
  }
  std::vector<COLORREF> ramp(static_cast<std::size_t>(std::max(n - 1, 2)));
  MakeRgbRampPair(start, end, n - 1, ramp.data());
  // The legend's range is kept in the base unit; the classes are in the shown units.
  const double lo = theme_.ConvertUnits(legend_.GetMinValue(), 0, units);
  const double hi = theme_.ConvertUnits(legend_.GetMaxValue(), 0, units);
  double d = (hi - lo) / (n - 1);
  if (!(d > 0)) d = 1;
  classes = n;
  SetRows(n + 1);
  for (int r = 1; r <= n; ++r)
    SetRow(r, FormatClassValue((r - 1) * d + lo, decimals, true),
           r == 1 ? first : ramp[static_cast<std::size_t>(r - 2)], r);
  return true;
}

void CWVLegendCreator::ChangeDecimals(int d) {
  decimals = d;
  for (int r = 1; r < table_.GetRowCount(); ++r)
    table_.SetItemText(r, 0, FormatClassValue(TableNumber(table_, r), decimals, true));
  UpdateRange();
}

void CWVLegendCreator::ChangeUnits(int u) {
  const int previous = units;
  units = u;
  if (theme_.name.empty()) return;
  for (int r = 1; r < table_.GetRowCount(); ++r)
    table_.SetItemText(r, 0, FormatClassValue(theme_.ConvertUnits(TableNumber(table_, r), previous, units),
                                              decimals, true));
  UpdateRange();
}

void CWVLegendCreator::FillLegend(CWVLegendData& out) const {
  for (int r = 1; r < table_.GetRowCount(); ++r)
    out.AddEntry(CWVLegendEntry(static_cast<float>(TableNumber(table_, r)), RowColour(r), RowLength(r)));
}

bool CWVLegendCreator::ApplyRamp(const CColorRamp* ramp) {
  if (!ramp) {
    platform::Tell("Select a color ramp.");
    return false;
  }
  CWVLegendData scratch;
  scratch.theme = &theme_;
  scratch.kind = kind_;
  scratch.SetMinValue(legend_.GetMinValue());
  scratch.SetMaxValue(legend_.GetMaxValue());
  FillLegend(scratch);
  scratch.ApplyColorRamp(*ramp);
  for (int r = 1; r < table_.GetRowCount() && r - 1 < scratch.GetCount(); ++r)
    SetTableColour(table_, r, scratch.GetEntry(r - 1).GetColor());
  return true;
}

bool CWVLegendCreator::ApplyPredefined(const CPredefinedWVThemeLegend* predefined) {
  if (!predefined) {
    platform::Tell("Select a predefined legend.");
    return false;
  }
  const CWVLegendData& p = predefined->legend;
  decimals = p.decimals;
  classes = p.GetCount();
  showValues = p.showValues;
  units = p.units;
  SetRows(classes + 1);
  for (int i = 0; i < classes; ++i) {
    const CWVLegendEntry& e = p.GetEntry(i);
    SetRow(i + 1, FormatClassValue(e.GetValue(), decimals, true), e.GetColor(), e.GetRelativeLength());
  }
  UpdateRange();
  return true;
}

std::unique_ptr<CPredefinedWVThemeLegend> CWVLegendCreator::MakePredefined(const std::string& name) const {
  if (!CheckAscending()) return nullptr;
  auto p = std::make_unique<CPredefinedWVThemeLegend>();
  p->name = name;
  p->kind = kind_;
  CWVLegendData& l = p->legend;
  l.RemoveAllEntries();
  l.kind = kind_;
  l.SetMinValue(legend_.GetMinValue());
  l.SetMaxValue(legend_.GetMaxValue());
  l.decimals = decimals;
  l.showValues = showValues;
  l.fontSize = fontSize;
  l.skip = skip;
  l.lineWidth = lineWidth;
  l.autoDensity = autoDensity;
  l.targetSize = targetSize;
  l.units = units;
  FillLegend(l);
  return p;
}

void CWVLegendCreator::AppendClass() { InsertClassRow(table_, -1); }

void CWVLegendCreator::InsertClass() {
  const int last = table_.GetSelectedCount() ? table_.GetSelectedCellRange().maxRow : -1;
  InsertClassRow(table_, last >= 2 ? last : -1);
}

bool CWVLegendCreator::DeleteClass() { return DeleteSelectedClassRows(table_, 1, "Can not delete header."); }

void CWVLegendCreator::SortClasses() {
  if (table_.GetRowCount() > 2) SortTableRows(table_);
}

bool CWVLegendCreator::CheckAscending() const { return TableValuesAscend(table_, 1); }

bool CWVLegendCreator::SelectedColourEnds(COLORREF& start, COLORREF& end) const {
  return views::SelectedColourEnds(table_, 1, start, end);
}

void CWVLegendCreator::RampColours(COLORREF start, COLORREF end) { RampSelectedColours(table_, 1, start, end); }

bool CWVLegendCreator::SelectedLengthEnds(int& from, int& to, int& count) const {
  const std::vector<int> rows = SelectedRowsOf(table_, kLengthColumn, 1);
  count = static_cast<int>(rows.size());
  if (count < 2) return false;
  from = RowLength(rows.front());
  to = RowLength(rows.back());
  return true;
}

void CWVLegendCreator::RampLengths(int from, int to, int count) {
  const std::vector<int> rows = SelectedRowsOf(table_, kLengthColumn, 1);
  if (count < 2) return;
  const float step = static_cast<float>(to - from) / static_cast<float>(count - 1);
  for (int i = 0; i < static_cast<int>(rows.size()) && i < count; ++i) {
    const int length = i == count - 1 ? to : static_cast<int>(step * static_cast<float>(i) + static_cast<float>(from));
    table_.SetItemText(rows[static_cast<std::size_t>(i)], kLengthColumn, std::to_string(length));
  }
}

bool CWVLegendCreator::Commit() {
  if (!CheckAscending()) return false;
  legend_.decimals = decimals;
  legend_.RemoveAllEntries();
  legend_.showValues = showValues;
  legend_.fontSize = fontSize;
  legend_.skip = skip;
  legend_.lineWidth = lineWidth;
  legend_.autoDensity = autoDensity;
  legend_.targetSize = targetSize;
  legend_.units = units;
  legend_.kind = kind_;
  FillLegend(legend_);
  return true;
}

}  // namespace views

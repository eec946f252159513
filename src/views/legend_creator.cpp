#include "views/legend_creator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/preference_records.h"
#include "platform/messages.h"
#include "project/work_area.h"
#include "themes/color_ramp.h"
#include "themes/theme.h"
#include "views/legend_table.h"

namespace views {

namespace {
constexpr int kMaxDistinct = 100;
}  // namespace

CLegendCreator::CLegendCreator(CTheme& theme, CThemeLegendData& legend, const CPyrvane2WorkArea* area,
                               gridmodel::CGridCtrl& table)
    : theme_(theme), legend_(legend), area_(area), table_(table) {
  table_.SetColumnCount(3);
  table_.SetRowCount(1);
  table_.SetFixedRowCount(1);
  table_.SetFixedColumnCount(0);
  table_.SetSortOnHeaderClick(false);
  table_.SetRowSelectMode(false);
  table_.SetTrackFocusCell(false);
}

CellWindow CLegendCreator::Window() const {
  if (area_) return area_->GetThemeRect(&theme_).Window();
  return CellWindow{0, 0, theme_.columns - 1, theme_.rows - 1};
}

std::string CLegendCreator::Format(double value) const { return FormatClassValue(value, decimals_); }

double CLegendCreator::ToDisplay(float stored) const {
  return area_ ? theme_.ConvertToDisplayUnits(stored, legend_) : stored;
}

float CLegendCreator::ToStored(double shown) const {
  return area_ ? theme_.ConvertFromDisplayUnits(static_cast<float>(shown), legend_) : static_cast<float>(shown);
}

COLORREF CLegendCreator::RowColour(int row) const { return TableColour(table_, row); }

void CLegendCreator::SetRowColour(int row, COLORREF colour) { SetTableColour(table_, row, colour); }

void CLegendCreator::SetRows(int rows) {
  table_.SetRowCount(rows);
  table_.SetItemText(0, 0, "Value");
  table_.SetItemText(0, 1, "Color");
  table_.SetItemText(0, 2, "Frequency (Exact Matches)");
}

void CLegendCreator::SetValueRow(int row, const std::string& text, COLORREF colour) {
  table_.SetItemText(row, 0, text);
  SetRowColour(row, colour);
}

void CLegendCreator::Init() {
  decimals_ = legend_.GetDecimals();
  distinctCount_ = 0;
  if (area_) {
    // Distinct values up to the limit; beyond it unique-value classes are not offered.
    std::vector<float> values{kNoData};
    const CellWindow w = Window();
    for (int r = w.firstRow; r <= w.lastRow && distinctCount_ >= 0; ++r)
      for (int c = w.firstColumn; c <= w.lastColumn; ++c) {
        const float v = theme_.GetCellValue(c, r);
        if (std::find(values.begin(), values.end(), v) != values.end()) continue;
        if (static_cast<int>(values.size()) >= kMaxDistinct) {
          distinctCount_ = -1;
          break;
        }
        values.push_back(v);
      }
    if (distinctCount_ == 0) distinctCount_ = static_cast<int>(values.size());
  }
  classes_ = legend_.GetCount();
  unique_ = legend_.IsUniqueValues();
  savedUnits_ = legend_.GetUnits();
  SetRows(legend_.GetCount() + 1);
  for (int k = 0; k < legend_.GetCount(); ++k)
    SetValueRow(k + 1, k == 0 ? "No Data" : Format(legend_.GetEntry(k).GetValue()), legend_.GetEntry(k).GetColor());
  CountFrequencies();
}

void CLegendCreator::UpdateRange() {
  if (!area_) return;
  lowText_ = Format(ToDisplay(low_));
  highText_ = Format(ToDisplay(high_));
}

void CLegendCreator::CountFrequencies() {
  const int rows = table_.GetRowCount();
  std::vector<double> classes;
  classes.push_back(theme_.noData);
  for (int r = 2; r < rows; ++r) classes.push_back(std::atof(ValueText(r).c_str()));
  std::vector<long> counts(classes.size(), 0), exact(classes.size(), 0);
  const CellWindow w = Window();
  for (int r = std::max(w.firstRow, 0); r <= std::min(w.lastRow, theme_.rows - 1); ++r)
    for (int c = std::max(w.firstColumn, 0); c <= std::min(w.lastColumn, theme_.columns - 1); ++c) {
      const float v = theme_.GetCellValue(c, r);
      if (v != theme_.noData) {
        low_ = std::min(low_, v);
        high_ = std::max(high_, v);
      }
      const double shown = v == theme_.noData ? v : ToDisplay(v);
      std::size_t k = 0;
      for (; k < classes.size(); ++k) {
        if (classes[k] == shown) ++exact[k];
        if (classes[k] >= shown) break;
      }
      if (k == classes.size()) k = classes.size() - 1;
      ++counts[k];
    }
  for (std::size_t k = 0; k < classes.size() && static_cast<int>(k) + 1 < rows; ++k)
    table_.SetItemText(static_cast<int>(k) + 1, 2, std::to_string(counts[k]) + " (" + std::to_string(exact[k]) + ")");
  UpdateRange();
}

bool CLegendCreator::ApplyClasses(int n) {
  if (n < 2 || n > 100) {
    platform::Tell("Error: Need anywhere from 2 to 100 classes!");
    return false;
  }
  COLORREF noData = 0xFFFFFF, start = 0, end = 255;
  if (table_.GetRowCount() > 2) {
    noData = RowColour(1);
    start = RowColour(2);
    end = RowColour(table_.GetRowCount() - 1);
  }
  std::vector<COLORREF> ramp(static_cast<std::size_t>(n - 1));
  MakeRgbRamp(start, end, n - 1, ramp.data());
  classes_ = n;
  SetRows(n + 1);
  SetValueRow(1, "No Data", noData);
  double step = (legend_.GetMaxValue() - legend_.GetMinValue()) / (n - 1);
  if (!(step > 0)) step = 1;
  for (int i = 2; i <= n; ++i) {
    const double stored = legend_.GetMinValue() + (i - 1) * step;
    SetValueRow(i, Format(area_ ? ToDisplay(static_cast<float>(stored)) : stored), ramp[static_cast<std::size_t>(i - 2)]);
  }
  unique_ = false;
  CountFrequencies();
  return true;
}

bool CLegendCreator::ApplyUniqueValues() {
  if (!area_) return false;
  std::vector<float> values{theme_.noData};
  const CellWindow w = Window();
  for (int r = w.firstRow; r <= w.lastRow; ++r)
    for (int c = w.firstColumn; c <= w.lastColumn; ++c) {
      const float v = theme_.GetCellValue(c, r);
      if (std::find(values.begin(), values.end(), v) != values.end()) continue;
      if (static_cast<int>(values.size()) >= kMaxDistinct) {
        platform::Tell("Error: Greater than 100 categiries,\n can not use discrete values!");
        return false;
      }
      values.push_back(v);
    }
  std::sort(values.begin() + 1, values.end());
  const int d = static_cast<int>(values.size()) - 1;
  // "No Data" takes the colour the preferences give the layer type.
  COLORREF noData = RowColour(1), start = 0, end = 255;
  if (theme_.layerType >= 0 && theme_.layerType < kLayerTypeCount)
    noData = GetApp().themePrefs[static_cast<std::size_t>(theme_.layerType)].noDataColor;
  if (table_.GetRowCount() > 2) {
    start = RowColour(2);
    end = RowColour(table_.GetRowCount() - 1);
  }
  std::vector<COLORREF> ramp(static_cast<std::size_t>(std::max(d, 1)));
  if (d > 0) MakeRgbRamp(start, end, d, ramp.data());
  classes_ = d;
  SetRows(d + 2);
  SetValueRow(1, "No Data", noData);
  for (int k = 0; k < d; ++k)
    SetValueRow(k + 2, Format(ToDisplay(values[static_cast<std::size_t>(k) + 1])), ramp[static_cast<std::size_t>(k)]);
  unique_ = true;
  CountFrequencies();
  return true;
}

void CLegendCreator::ChangeUnitsOrDecimals(int unitsIndex, int decimals) {
  std::vector<float> stored;
  for (int r = 2; r < table_.GetRowCount(); ++r) stored.push_back(ToStored(std::atof(ValueText(r).c_str())));
  decimals_ = decimals;
  legend_.SetUnits(unitsIndex);
  for (int r = 2; r < table_.GetRowCount(); ++r)
    table_.SetItemText(r, 0, Format(ToDisplay(stored[static_cast<std::size_t>(r - 2)])));
  UpdateRange();
}

int CLegendCreator::LayerType() const { return theme_.layerType; }

bool CLegendCreator::ApplyRamp(const CColorRamp* ramp) {
  if (!ramp) {
    platform::Tell("Select a color ramp.");
    return false;
  }
  CThemeLegendData scratch;
  scratch.SetTheme(&theme_);
  scratch.SetUnits(legend_.GetUnits());
  scratch.SetMinValue(legend_.GetMinValue());
  scratch.SetMaxValue(legend_.GetMaxValue());
  scratch.AddEntry(CLegendEntry(theme_.noData, RowColour(1)));
  for (int r = 2; r < table_.GetRowCount(); ++r)
    scratch.AddEntry(CLegendEntry(ToStored(std::atof(ValueText(r).c_str())), 0));
  scratch.ApplyColorRamp(*ramp);
  for (int r = 2; r < table_.GetRowCount() && r - 1 < scratch.GetCount(); ++r)
    SetRowColour(r, scratch.GetEntry(r - 1).GetColor());
  return true;
}

bool CLegendCreator::ApplyPredefined(const CPredefinedThemeLegend* predefined) {
  if (!predefined) {
    platform::Tell("Select a predefined legend.");
    return false;
  }
  const CPredefinedThemeLegend& p = *predefined;
  decimals_ = p.GetDecimals();
  classes_ = p.GetCount();
  unique_ = p.IsUniqueValues();
  legend_.SetUnits(p.GetUnits());
  SetRows(p.GetCount() + 1);
  for (int k = 0; k < p.GetCount(); ++k)
    SetValueRow(k + 1, k == 0 ? "No Data" : FormatClassValue(p.GetEntry(k).GetValue(), decimals_, true),
                p.GetEntry(k).GetColor());
  UpdateRange();
  return true;
}

std::unique_ptr<CPredefinedThemeLegend> CLegendCreator::MakePredefined(const std::string& name) const {
  if (!CheckAscending()) return nullptr;
  auto p = std::make_unique<CPredefinedThemeLegend>();
  p->name = name;
  p->layerType = theme_.layerType;
  p->RemoveAllEntries();
  p->SetUniqueValues(unique_);
  p->SetUnits(legend_.GetUnits());
  p->SetMinValue(legend_.GetMinValue());
  p->SetMaxValue(legend_.GetMaxValue());
  p->SetDecimals(decimals_);
  FillEntries(*p);
  return p;
}

bool CLegendCreator::SelectedColourEnds(COLORREF& start, COLORREF& end) const {
  return views::SelectedColourEnds(table_, 1, start, end);
}

void CLegendCreator::RampColours(COLORREF start, COLORREF end) { RampSelectedColours(table_, 1, start, end); }

void CLegendCreator::AppendClass() { InsertClassRow(table_, -1); }

void CLegendCreator::InsertClass() {
  const int last = table_.GetSelectedCount() ? table_.GetSelectedCellRange().maxRow : -1;
  InsertClassRow(table_, last > 1 ? last : -1);
}

bool CLegendCreator::DeleteClass() {
  if (!DeleteSelectedClassRows(table_, 2, "Can not delete \"No Data\" class.")) return false;
  CountFrequencies();
  return true;
}

void CLegendCreator::SortClasses() {
  if (table_.GetRowCount() <= 2) return;
  SortTableRows(table_);
  CountFrequencies();
}

bool CLegendCreator::Compact() {
  std::vector<int> empty;
  for (int r = 2; r < table_.GetRowCount(); ++r)
    if (std::atoi(table_.GetItemText(r, 2).c_str()) == 0) empty.push_back(r);
  if (empty.empty()) {
    platform::Tell("No Entries would be removed by compaction");
    return false;
  }
  if (!platform::AskYesNo(std::to_string(empty.size()) + " entries will be removed by compaction. Compact legend?"))
    return false;
  for (auto it = empty.rbegin(); it != empty.rend(); ++it) table_.DeleteRow(*it);
  return true;
}

bool CLegendCreator::CheckAscending() const { return TableValuesAscend(table_, 2); }

bool CLegendCreator::Commit() {
  if (!CheckAscending()) return false;
  legend_.SetDecimals(decimals_);
  legend_.RemoveAllEntries();
  FillEntries(legend_);
  legend_.SetUniqueValues(unique_);
  return true;
}

void CLegendCreator::FillEntries(CThemeLegendData& out) const {
  for (int r = 1; r < table_.GetRowCount(); ++r) {
    const float value = r == 1 ? kNoData : static_cast<float>(std::atof(ValueText(r).c_str()));
    out.AddEntry(CLegendEntry(value, RowColour(r)));
  }
}

void CLegendCreator::Cancel() { legend_.SetUnits(savedUnits_); }

}  // namespace views

#include "views/legend_creator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/messages.h"
#include "project/work_area.h"
#include "themes/color_ramp.h"
#include "themes/theme.h"

namespace views {

using gridmodel::CGridCellColor;
using gridmodel::Colour;

namespace {
constexpr int kMaxDistinct = 100;

Colour ToColour(COLORREF c) { return Colour::FromRef(c); }
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

std::string CLegendCreator::Format(double value) const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", std::clamp(decimals_, 0, 9), value);
  return buf;
}

double CLegendCreator::ToDisplay(float stored) const {
  return area_ ? theme_.ConvertToDisplayUnits(stored, legend_) : stored;
}

float CLegendCreator::ToStored(double shown) const {
  return area_ ? theme_.ConvertFromDisplayUnits(static_cast<float>(shown), legend_) : static_cast<float>(shown);
}

COLORREF CLegendCreator::RowColour(int row) const {
  const auto* cell = dynamic_cast<const CGridCellColor*>(table_.GetCell(row, 1));
  return cell ? cell->GetColor().Ref() : 0;
}

void CLegendCreator::SetRowColour(int row, COLORREF colour) {
  if (auto* cell = dynamic_cast<CGridCellColor*>(table_.GetCell(row, 1))) cell->SetColor(ToColour(colour));
}

void CLegendCreator::SetRows(int rows) {
  table_.SetRowCount(rows);
  table_.SetItemText(0, 0, "Value");
  table_.SetItemText(0, 1, "Color");
  table_.SetItemText(0, 2, "Frequency (Exact Matches)");
}

void CLegendCreator::SetValueRow(int row, const std::string& text, COLORREF colour) {
  table_.SetItemText(row, 0, text);
  if (!dynamic_cast<CGridCellColor*>(table_.GetCell(row, 1)))
    table_.SetCellClass(row, 1, &gridmodel::MakeCell<CGridCellColor>);
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
  COLORREF noData = RowColour(1), start = 0, end = 255;
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

void CLegendCreator::AppendClass() {
  const int row = table_.InsertRow("");
  SetValueRow(row, "", 0);
  table_.SetFocusCell(row, 0);
  table_.SetSelectedRange(row, 0, row, 0);
}

void CLegendCreator::InsertClass() {
  const gridmodel::CGridRange sel = table_.GetSelectedCellRange();
  const int before = sel.maxRow;
  if (table_.GetSelectedCount() == 0 || before <= 1) return AppendClass();
  const int row = table_.InsertRow("", before);
  SetValueRow(row, "", 0);
  table_.SetFocusCell(row, 0);
  table_.SetSelectedRange(row, 0, row, 0);
}

bool CLegendCreator::DeleteClass() {
  if (table_.GetSelectedCount() == 0) {
    platform::Tell("No rows selected.");
    return false;
  }
  const gridmodel::CGridRange sel = table_.GetSelectedCellRange();
  if (sel.minRow <= 1) {
    platform::Tell("Can not delete \"No Data\" class.");
    return false;
  }
  for (int r = sel.maxRow; r >= sel.minRow; --r) table_.DeleteRow(r);
  const int above = sel.minRow - 1;
  table_.SetFocusCell(above, 0);
  table_.SetSelectedRange(above, 0, above, 0);
  CountFrequencies();
  return true;
}

void CLegendCreator::SortClasses() {
  if (table_.GetRowCount() <= 2) return;
  table_.SortItems(
      [](const gridmodel::CGridCellBase* a, const gridmodel::CGridCellBase* b, std::intptr_t) {
        const std::string& ta = a->GetText();
        const std::string& tb = b->GetText();
        if (ta == "No Data" || tb == "No Data") return ta == tb ? 0 : ta == "No Data" ? -1 : 1;
        const double x = std::atof(ta.c_str()), y = std::atof(tb.c_str());
        return x < y ? -1 : x > y ? 1 : 0;
      },
      0, true);
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

bool CLegendCreator::CheckAscending() const {
  double last = kNoData;
  for (int r = 2; r < table_.GetRowCount(); ++r) {
    const double v = std::atof(ValueText(r).c_str());
    if (v < last) {
      platform::Tell("Error: Class values must be in ascending order.");
      return false;
    }
    last = v;
  }
  return true;
}

bool CLegendCreator::Commit() {
  if (!CheckAscending()) return false;
  legend_.SetDecimals(decimals_);
  legend_.RemoveAllEntries();
  for (int r = 1; r < table_.GetRowCount(); ++r) {
    const float value = r == 1 ? kNoData : static_cast<float>(std::atof(ValueText(r).c_str()));
    legend_.AddEntry(CLegendEntry(value, RowColour(r)));
  }
  legend_.SetUniqueValues(unique_);
  return true;
}

void CLegendCreator::Cancel() { legend_.SetUnits(savedUnits_); }

}  // namespace views

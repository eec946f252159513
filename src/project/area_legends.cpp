// The legends an analysis area first gives its themes: from the theme's cells inside the
// area, or from the landscape header; both follow the layer type's theme preference and the
// predefined legend it may name.
#include <algorithm>

#include "app/application.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/legend.h"
#include "themes/theme.h"

namespace {

const CThemePreference& PreferenceOf(int layerType) {
  static const CThemePreference fallback;
  if (layerType < 0 || layerType >= kLayerTypeCount) return fallback;
  return GetApp().themePrefs[static_cast<std::size_t>(layerType)];
}

// Classes a legend can hold beside its "No Data" entry; the preference may say anything.
int ClassCount(const CThemePreference& p) {
  return std::clamp(p.numClasses, 1, kMaxLegendEntries - 1);
}

// The predefined legend the preference names for this layer type, if it exists.
const CPredefinedThemeLegend* NamedPredefinedLegend(const CThemePreference& p, int layerType) {
  if (!p.usePredefinedLegend || p.predefinedLegendName.empty()) return nullptr;
  for (const auto& pre : GetApp().predefinedLegends)
    if (pre->layerType == layerType && pre->name == p.predefinedLegendName) return pre.get();
  return nullptr;
}

// N classes spaced evenly above low, converted into the legend's display units.
void AddEvenClasses(CThemeLegendData& legend, const CTheme& theme, double low, float step,
                    int n, COLORREF colour) {
  for (int k = 1; k <= n; ++k) {
    const float stored = static_cast<float>(static_cast<float>(k * step) + low);
    legend.AddEntry(CLegendEntry(theme.ConvertToDisplayUnits(stored, legend), colour));
  }
}

}  // namespace

std::unique_ptr<CThemeLegendData> CPyrvane2WorkArea::CreateLegendData(CTheme* theme,
                                                                      const float* cells) const {
  auto legend = std::make_unique<CThemeLegendData>();
  if (!theme) return legend;
  CellWindow window{0, 0, 0, 0};
  for (const CThemeRect& r : themeRects)
    if (r.theme == theme) window = r.Window();

  const CThemePreference& pref = PreferenceOf(theme->layerType);
  const int n = ClassCount(pref);
  std::vector<float> values{theme->noData};
  double minimum = 1e8, maximum = -9999;
  bool overflow = false;
  const int lastColumn = std::min(window.lastColumn, theme->columns - 1);
  const int lastRow = std::min(window.lastRow, theme->rows - 1);
  std::vector<float> row(static_cast<std::size_t>(std::max(theme->columns, 0)));
  for (int y = std::max(window.firstRow, 0); y <= lastRow; ++y) {
    const float* line = cells ? cells + static_cast<std::size_t>(y) * static_cast<std::size_t>(theme->columns)
                              : (theme->ReadRow(y, row.data()), row.data());
    for (int x = std::max(window.firstColumn, 0); x <= lastColumn; ++x) {
      const float v = line[x];
      if (v != v) continue;  // NaN is no value at all
      if (std::find(values.begin(), values.end(), v) != values.end()) continue;
      if (static_cast<int>(values.size()) - 1 < n)
        values.push_back(v);
      else
        overflow = true;
      minimum = std::min<double>(v, minimum);
      if (!(maximum > v)) maximum = v;
    }
  }
  legend->SetTheme(theme);
  legend->SetMinValue(minimum);
  legend->SetMaxValue(maximum);

  if (const CPredefinedThemeLegend* pre = NamedPredefinedLegend(pref, theme->layerType)) {
    legend->Copy(*pre);
    return legend;
  }
  legend->SetUnits(pref.units);
  legend->SetDecimals(pref.decimals);
  if (overflow) {
    legend->SetUniqueValues(false);
    legend->AddEntry(CLegendEntry(theme->noData, pref.noDataColor));
    const float step = static_cast<float>((maximum - minimum) / n);
    AddEvenClasses(*legend, *theme, minimum, step, n, pref.noDataColor);
  } else {
    std::sort(values.begin() + 1, values.end());
    legend->AddEntry(CLegendEntry(kNoData, pref.noDataColor));
    legend->SetUniqueValues(true);
    for (std::size_t i = 1; i < values.size(); ++i)
      legend->AddEntry(CLegendEntry(theme->ConvertToDisplayUnits(values[i], *legend), pref.noDataColor));
  }
  legend->ApplyColorRamp(pref.ramp);
  return legend;
}

void CPyrvane2WorkArea::CreateLandscapeLegends() {
  if (!document) return;
  const CHeaderData& header = document->landscape.header;
  for (const auto& owned : document->gridThemes) {
    CTheme* theme = owned.get();
    if (theme->layerType < 0 || theme->layerType >= kLandscapeLayerCount) {
      // The header does not describe other grids: their cells do.
      legends.push_back(CreateLegendData(theme));
      continue;
    }
    const LcpLayerStats& stats = header.layerStats[static_cast<std::size_t>(theme->layerType)];
    auto legend = std::make_unique<CThemeLegendData>();
    legend->SetTheme(theme);
    legend->SetMinValue(stats.low);
    legend->SetMaxValue(stats.high);
    const CThemePreference& pref = PreferenceOf(theme->layerType);
    if (const CPredefinedThemeLegend* pre = NamedPredefinedLegend(pref, theme->layerType)) {
      legend->Copy(*pre);
      legends.push_back(std::move(legend));
      continue;
    }
    legend->SetUnits(pref.units);
    legend->SetDecimals(pref.decimals);
    legend->AddEntry(CLegendEntry(kNoData, 0xFFFFFF));
    if (stats.count <= 0) {
      legend->SetUniqueValues(false);
      const int n = ClassCount(pref);
      const float step = static_cast<float>(stats.high - stats.low) / static_cast<float>(n);
      AddEvenClasses(*legend, *theme, stats.low, step, n, 0xFFFFFF);
    } else {
      legend->SetUniqueValues(true);
      const int c = std::min<int>(stats.count, kMaxLegendEntries - 1);
      for (int i = 1; i <= c; ++i)
        legend->AddEntry(CLegendEntry(
            theme->ConvertToDisplayUnits(static_cast<float>(stats.values[static_cast<std::size_t>(i)]), *legend),
            0xFFFFFF));
    }
    legend->ApplyColorRamp(pref.ramp);
    legends.push_back(std::move(legend));
  }
}

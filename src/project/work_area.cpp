#include "project/work_area.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "project/cell_math.h"
#include "project/document.h"
#include "runs/run.h"
#include "themes/legend.h"
#include "themes/theme.h"

namespace {


// trunc(v), plus one when v has a positive fractional part.
int CeilPositive(double v) {
  const int t = TruncToInt(v);
  return (v - std::trunc(v) > 0 && t < 2147483647) ? t + 1 : t;
}

}  // namespace

CPyrvane2WorkArea::CPyrvane2WorkArea(CPVN4Doc* doc) : document(doc) {
  fuelModels.fill(-1);
  groundFuels.fill(-1);
}

CPyrvane2WorkArea::~CPyrvane2WorkArea() {
  legends.clear();
  // One at a time from the head: a run's destructor still reaches this area's lists.
  while (!runs.empty()) {
    std::unique_ptr<CRun> run = std::move(runs.front());
    runs.erase(runs.begin());
    run.reset();
  }
  themeRects.clear();
}

void CPyrvane2WorkArea::ScanFuelModels() {
  fuelModelCount = 0;
  groundFuelCount = 0;
  fuelModels.fill(-1);
  groundFuels.fill(-1);
  surfaceFuelsValid = true;
  groundFuelsValid = true;
  CTheme* fuel = document ? document->GetThemeByLayerType(3) : nullptr;
  if (fuel) {
    const CThemeRect r = GetLandscapeRect();
    // Only 1..255 is kept, so a presence table over the 16-bit values replaces the sort.
    std::array<bool, 256> present{};
    std::vector<float> row(static_cast<std::size_t>(std::max(fuel->columns, 0)));
    const int firstColumn = std::max(r.firstColumn, 0), lastColumn = std::min(r.lastColumn, fuel->columns - 1);
    for (int y = std::max(r.firstRow, 0); y <= r.lastRow && y < fuel->rows; ++y) {
      fuel->ReadRow(y, row.data());
      for (int x = firstColumn; x <= lastColumn; ++x) {
        const float f = row[static_cast<std::size_t>(x)];
        const std::int16_t v = static_cast<std::int16_t>(TruncToInt(f));
        if (v >= 1 && v <= 255) present[static_cast<std::size_t>(v)] = true;
      }
    }
    for (int v = 1; v <= 255; ++v)
      if (present[static_cast<std::size_t>(v)]) fuelModels[static_cast<std::size_t>(fuelModelCount++)] = v;
  }
  customFuels = false;
  if (fuelModelCount > 0) {
    auto table = std::make_unique<CRun>();
    for (int i = 0; i < fuelModelCount; ++i) {
      const int f = fuelModels[static_cast<std::size_t>(i)];
      if (table->IsCustomFuelModel(f) && !(f >= 90 && f <= 99)) customFuels = true;
    }
  }
  // Ground fuel values come from the header's value list of coarse woody fuels, when the
  // landscape carries one.
  if (document) {
    const LcpLayerStats& s = document->landscape.header.layerStats[9];
    if (s.count > 0) {
      const int c = std::min<int>(s.count, static_cast<int>(s.values.size()) - 1);
      std::vector<int> v(s.values.begin(), s.values.begin() + c + 1);
      std::sort(v.begin(), v.end());
      for (int i = 0; i <= c; ++i) groundFuels[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i)];
      groundFuelCount = c + 1;
    }
  }
}

void CPyrvane2WorkArea::AddThemeRect(CTheme* theme) {
  if (!theme) return;
  const double invW = theme->cellWidth > 0 ? 1.0 / theme->cellWidth : 0.0;
  const double invH = theme->cellHeight > 0 ? 1.0 / theme->cellHeight : 0.0;
  const int ncol = theme->columns, nrow = theme->rows;
  CThemeRect r;
  r.theme = theme;
  r.firstColumn = std::max(std::min(TruncToInt((west - theme->west) * invW), ncol - 2), 0);
  r.lastColumn = std::max(std::min(CeilPositive((east - theme->west) * invW - 1), ncol - 1), 0);
  r.firstRow = std::max(std::min(TruncToInt((theme->north - north) * invH), nrow - 2), 0);
  r.lastRow = std::max(std::min(CeilPositive((theme->north - south) * invH - 1), nrow - 1), 0);
  themeRects.push_back(r);
}

CThemeRect CPyrvane2WorkArea::GetThemeRect(const CTheme* theme) const {
  for (const CThemeRect& r : themeRects)
    if (r.theme == theme) return r;
  return CThemeRect{};
}

void CPyrvane2WorkArea::RemoveThemeRect(CTheme* theme) {
  auto it = std::find_if(themeRects.begin(), themeRects.end(),
                         [&](const CThemeRect& r) { return r.theme == theme; });
  if (it != themeRects.end()) themeRects.erase(it);
}

CThemeRect CPyrvane2WorkArea::GetLandscapeRect() const {
  if (document && document->IsLandscapeLoaded())
    for (const CThemeRect& r : themeRects)
      if (r.theme && r.theme->layerType < 10) return r;
  return CThemeRect{};
}

CTheme* CPyrvane2WorkArea::GetThemeByLayerType(int layerType) const {
  return document ? document->GetThemeByLayerType(layerType) : nullptr;
}

CThemeLegendData* CPyrvane2WorkArea::GetLegendDataByLayerType(int layerType) const {
  if (!document) return nullptr;
  for (std::size_t i = 0; i < document->gridThemes.size(); ++i) {
    if (i >= legends.size()) return nullptr;
    if (document->gridThemes[i]->layerType == layerType) return legends[i].get();
  }
  return nullptr;
}

double CPyrvane2WorkArea::GetLegendMinByLayerType(int layerType) const {
  const CThemeLegendData* l = GetLegendDataByLayerType(layerType);
  return l ? l->GetMinValue() : 0.0;
}

double CPyrvane2WorkArea::GetLegendMaxByLayerType(int layerType) const {
  const CThemeLegendData* l = GetLegendDataByLayerType(layerType);
  return l ? l->GetMaxValue() : 0.0;
}

CRun* CPyrvane2WorkArea::AddRun(std::unique_ptr<CRun> run) {
  run->document = document;
  run->area = this;
  run->host = this;
  runs.push_back(std::move(run));
  return runs.back().get();
}

namespace {

bool RunOwnsTheme(const CRun& run, const CTheme* theme) {
  if (!theme) return false;
  for (const auto& t : run.outputThemes)
    if (t.get() == theme) return true;
  for (const CTheme* t : run.tomOutputThemes)
    if (t == theme) return true;
  for (const CTheme* t : run.idealLandscapeThemes)
    if (t == theme) return true;
  return false;
}

}  // namespace

void CPyrvane2WorkArea::DeleteRun(CRun* run) {
  auto it = std::find_if(runs.begin(), runs.end(), [&](const auto& r) { return r.get() == run; });
  if (it == runs.end()) return;
  // Also when this is not the current area: the visible theme must never outlive its run.
  if (document && RunOwnsTheme(*run, document->visibleTheme)) document->ShowFuelModelLayer();
  std::unique_ptr<CRun> owned = std::move(*it);
  runs.erase(it);
  owned.reset();
  if (document) document->NotifyChanged();
}

// ---- RunHost ----

std::vector<int> CPyrvane2WorkArea::AreaFuelModels() const {
  return std::vector<int>(fuelModels.begin(), fuelModels.begin() + fuelModelCount);
}

bool CPyrvane2WorkArea::AreaIsWholeLandscape() const {
  return document && document->DefaultArea() == this;
}

void CPyrvane2WorkArea::AreaExtent(double& e, double& w, double& n, double& s) const {
  e = east;
  w = west;
  n = north;
  s = south;
}

bool CPyrvane2WorkArea::IsVisibleTheme(const CTheme* theme) const {
  return document && theme && document->visibleTheme == theme;
}

void CPyrvane2WorkArea::ShowFuelModelTheme(bool refreshMap) {
  if (!document) return;
  document->ShowFuelModelLayer();
  if (refreshMap) document->RefreshMap();
}

void CPyrvane2WorkArea::DisposeWindVectorTheme(CWindVectorTheme* theme) {
  // A run's arrows are the run's own: the document lets go of them, and they are freed here.
  if (!document || !document->RemoveWindVectorTheme(theme)) delete theme;
}

void CPyrvane2WorkArea::AdoptWindVectorTheme(CWindVectorTheme* theme) {
  if (document && theme) document->AddWindVectorDrawItem(theme);
}

void CPyrvane2WorkArea::DisposeVectorTheme(CVectorTheme* theme) {
  if (document) document->DeleteVectorTheme(theme);
}

CVectorTheme* CPyrvane2WorkArea::AdoptVectorTheme(std::unique_ptr<CVectorTheme> theme) {
  CVectorTheme* t = theme.get();
  if (document) document->AddVectorTheme(std::move(theme));
  return t;
}

CContourTheme* CPyrvane2WorkArea::AdoptContourTheme(CContourTheme* theme) {
  if (document) document->AddContourTheme(MakeOwnedTheme(theme));
  else delete theme;
  return document ? theme : nullptr;
}

void CPyrvane2WorkArea::DisposeContourTheme(CContourTheme* theme) {
  if (document) document->DeleteContourTheme(theme);
}

void CPyrvane2WorkArea::DeleteThemeItems(CRun& run, const CTheme* a, const CTheme* b) {
  DeleteOutputItem(run, a);
  DeleteOutputItem(run, b);
}

void CPyrvane2WorkArea::DeleteRunOutputItems(CRun& run) {
  if (document && document->windows.deleteRunOutputItems) document->windows.deleteRunOutputItems(run);
}

void CPyrvane2WorkArea::DeleteOutputItem(CRun& run, const void* theme) {
  if (theme && document && document->windows.deleteOutputItem)
    document->windows.deleteOutputItem(run, theme);
}

void* CPyrvane2WorkArea::AddIdealLandscapeTreeItem(CRun& run) {
  if (document && document->windows.addIdealLandscapeTreeItem)
    return document->windows.addIdealLandscapeTreeItem(run);
  return nullptr;
}

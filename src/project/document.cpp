#include "project/document.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "app/application.h"
#include "project/cell_math.h"
#include "platform/messages.h"
#include "runs/run.h"
#include "themes/wind_vector_theme.h"
#include "themes/vector_theme.h"
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/theme.h"

namespace {

CPVN4Doc* g_activeDocument = nullptr;

constexpr const char* kDefaultAreaName = "Entire Landscape (Default)";
constexpr const char* kAreaTooSmall =
    "Error: Can not create Analysis Area:\nWidth and/or Height < 1 landscape pixel inside "
    "Default Landscape.";


// Moves an edge onto the cell grid starting at origin, then into lo..hi.
double AlignEdge(double value, double origin, double cell, bool upward, double lo, double hi) {
  const double cells = upward ? (value + cell - origin) / cell : (value - origin) / cell;
  double v = origin + static_cast<double>(TruncToInt(cells)) * cell;
  v = std::max(v, lo);
  return std::min(v, hi);
}

template <class List, class T>
bool EraseOwned(List& list, const T* theme) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == theme; });
  if (it == list.end()) return false;
  auto owned = std::move(*it);
  list.erase(it);
  owned.reset();
  return true;
}

}  // namespace

CPVN4Doc* GetActiveDocument() { return g_activeDocument; }
void SetActiveDocument(CPVN4Doc* doc) { g_activeDocument = doc; }

CPVN4Doc::CPVN4Doc() = default;

CPVN4Doc::~CPVN4Doc() {
  const auto observers = observers_;
  observers_.clear();
  for (DocumentObserver* o : observers) o->OnDocumentDestroyed(*this);
  if (windows.closeWindows) windows.closeWindows();
  windows = DocumentWindows{};
  FreeContents();
  viewHistory.clear();
  if (g_activeDocument == this) g_activeDocument = nullptr;
}

bool CPVN4Doc::OnNewDocument() {
  landscape.path = "No Landscape File";
  landscape.loaded = false;
  visibleTheme = nullptr;
  return true;
}

bool CPVN4Doc::OnOpenDocument(const std::string& path, const ProjectReader& read) {
  if (!read || !read(*this, path)) return false;
  pathName = path;
  SetModifiedFlag(weatherConverted);
  return true;
}

void CPVN4Doc::OnCloseDocument() {
  if (windows.closeWindows) windows.closeWindows();
  windows = DocumentWindows{};
  if (g_activeDocument == this) g_activeDocument = nullptr;
}

void CPVN4Doc::FreeContents() {
  // Areas first: their runs take their own themes out of the lists below.
  currentArea = nullptr;
  visibleTheme = nullptr;
  ClearLandscapeRules(landscapeRules);
  while (!areas.empty()) {
    std::unique_ptr<CPyrvane2WorkArea> area = std::move(areas.front());
    areas.erase(areas.begin());
    area.reset();
  }
  landscape.layers.fill(nullptr);
  gridThemes.clear();
  vectorThemes.clear();
  contourThemes.clear();
  windVectorThemes.clear();
  drawPriority.clear();
  windVectorLegends.clear();
  shapeInProgress.clear();
  measurePoints.clear();
  shapes.clear();
  landscape.loaded = false;
}

// ---- views and notification ----

void CPVN4Doc::AddObserver(DocumentObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void CPVN4Doc::RemoveObserver(DocumentObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void CPVN4Doc::UpdateAllViews(int hint) {
  // A copy: an observer may unregister itself while being told.
  const auto observers = observers_;
  for (DocumentObserver* o : observers) o->OnUpdate(*this, hint);
}

void CPVN4Doc::Removing(const void* object) {
  landscape::RemoveRuleClausesOf(landscapeRules, object);
  const auto observers = observers_;
  for (DocumentObserver* o : observers) o->OnRemoving(*this, object);
}

void CPVN4Doc::UpdateLegend() {
  if (windows.updateLegend) windows.updateLegend();
}

void CPVN4Doc::NotifyChanged() {
  UpdateAllViews(kHintRender);
  SetModifiedFlag(true);
  UpdateLegend();
}

void CPVN4Doc::ClearOtherRunsShownFlags(const CRun* keep) {
  for (const auto& area : areas)
    for (const auto& r : area->runs) {
      if (!r || r.get() == keep) continue;
      for (CWindVectorTheme* w : {r->windVectors, r->spreadVectors, r->maxSpotVectors})
        if (w) w->visible = false;
      for (CVectorTheme* v : {r->flowPaths, r->majorPaths, r->mttBarriers, r->mttIgnitions, r->tomIgnitions,
                              r->embrithBarriers, r->embrithIgnitions, r->embrithPerimeters, r->spotLocations})
        if (v) v->visible = false;
      if (r->arrivalContour) r->arrivalContour->visible = false;
    }
}

void CPVN4Doc::RefreshMap() {
  if (windows.redrawMap) windows.redrawMap();
  UpdateLegend();
}

void CPVN4Doc::RefreshLegendAndPointWindows() {
  UpdateLegend();
  if (windows.rebuildPointWindow) windows.rebuildPointWindow();
}

// ---- landscape ----

bool CPVN4Doc::LoadLandscapeLayers(const std::string& path) {
  landscape::OpenOptions options;
  options.keepCellsInMemory = GetApp().keepGridCellsInMemory != 0;
  return landscape::OpenLandscape(landscape, path, gridThemes, options) == 1 && landscape.loaded;
}

int CPVN4Doc::OpenLandscape(const std::string& path) {
  const std::size_t before = gridThemes.size();
  if (!LoadLandscapeLayers(path)) return -1;
  const CHeaderData& h = landscape.header;
  if (!CreateWorkArea(h.north, h.east, h.south, h.west, kDefaultAreaName)) {
    // A landscape without an area cannot be shown or run; take it out again.
    for (auto it = gridThemes.begin() + static_cast<std::ptrdiff_t>(before); it != gridThemes.end(); ++it)
      Removing(it->get());
    gridThemes.resize(before);
    landscape = landscape::LandscapeState{};
    return -1;
  }
  ShowFuelModelLayer();
  UpdateAllViews(kHintLandscapeOpened);
  SetModifiedFlag(true);
  UpdateLegend();
  return 1;
}

bool CPVN4Doc::OpenProjectLandscape(const std::string& path) {
  if (LoadLandscapeLayers(path)) return true;
  platform::Tell("Error: Unable to open the landscape file of this project:\n" + path +
                 "\nThe project cannot be opened.");
  return false;
}

void CPVN4Doc::GetCellSize(double* cellWidth, double* cellHeight) const {
  *cellWidth = *cellHeight = 1.0;
  if (!IsLandscapeLoaded()) return;
  for (const auto& t : gridThemes) {
    if (t->layerType == kGenericGridLayerType) continue;
    *cellWidth = t->cellWidth;
    *cellHeight = t->cellHeight;
    return;
  }
}

std::int16_t CPVN4Doc::GetLayerUnits(int layer) const {
  if (layer < 0 || layer >= kLandscapeLayerCount) return 0;
  return landscape.header.unitCodes[static_cast<std::size_t>(layer)];
}

// ---- landscape-edit rules ----

std::int64_t CPVN4Doc::EvaluateLandscapeRule(CLcpRule& rule, bool apply) {
  const landscape::RuleLayers layers =
      landscape::ResolveRuleLayers(rule, [this](int type) { return GetThemeByLayerType(type); });
  if (!layers.error.empty()) {
    platform::Tell(layers.error);
    return -1;
  }
  const std::int64_t count = landscape::EvaluateRule(rule, layers, apply);
  if (apply && count > 0) landscape.edited = true;
  return count;
}

std::int64_t CPVN4Doc::ApplyLandscapeRule(CLcpRule& rule) { return EvaluateLandscapeRule(rule, true); }

std::int64_t CPVN4Doc::CountLandscapeRuleCells(CLcpRule& rule) { return EvaluateLandscapeRule(rule, false); }

// ---- themes ----

CTheme* CPVN4Doc::SetVisibleTheme(CTheme* theme) {
  if (theme == visibleTheme) return theme;
  if (visibleTheme) visibleTheme->FreeMemoryGrid();
  if (theme) theme->LoadMemoryGrid();
  visibleTheme = theme;
  return theme;
}

void CPVN4Doc::ShowFuelModelLayer() {
  CTheme* fuel = GetThemeByLayerType(landscape::kFuelModel);
  if (fuel) {
    SetVisibleTheme(fuel);
  } else {
    visibleTheme = nullptr;
  }
}

CTheme* CPVN4Doc::GetThemeByLayerType(int layerType) const {
  for (const auto& t : gridThemes)
    if (t->layerType == layerType) return t.get();
  return nullptr;
}

CThemeLegendData* CPVN4Doc::GetVisibleThemeLegend() const {
  if (!currentArea || !visibleTheme) return nullptr;
  for (const auto& l : currentArea->legends)
    if (l->GetTheme() == visibleTheme) return l.get();
  for (const auto& run : currentArea->runs) {
    for (const auto& l : run->outputLegends)
      if (l->GetTheme() == visibleTheme) return l.get();
    for (const auto& l : run->idealLandscapeLegends)
      if (l->GetTheme() == visibleTheme) return l.get();
  }
  return nullptr;
}

CTheme* CPVN4Doc::AddGridTheme(std::unique_ptr<CTheme> theme) {
  CTheme* t = theme.get();
  gridThemes.push_back(std::move(theme));
  for (auto& area : areas) {
    area->AddThemeRect(t);
    area->legends.push_back(area->CreateLegendData(t));
  }
  NotifyChanged();
  return t;
}

void CPVN4Doc::DeleteGridTheme(CTheme* theme) {
  if (!theme) return;
  for (auto& area : areas) {
    area->RemoveThemeRect(theme);
    auto it = std::find_if(area->legends.begin(), area->legends.end(),
                           [&](const auto& l) { return l->GetTheme() == theme; });
    if (it != area->legends.end()) area->legends.erase(it);
  }
  Removing(theme);
  if (visibleTheme == theme) {
    // The fuel-model layer, unless the theme going is itself the first of that type.
    visibleTheme = nullptr;
    for (const auto& t : gridThemes)
      if (t.get() != theme && t->layerType == landscape::kFuelModel) {
        visibleTheme = t.get();
        break;
      }
  }
  for (CTheme*& layer : landscape.layers)
    if (layer == theme) layer = nullptr;
  EraseOwned(gridThemes, theme);
  NotifyChanged();
}

// ---- overlays ----

void CPVN4Doc::AddVectorTheme(std::unique_ptr<CVectorTheme> theme) {
  CVectorTheme* t = theme.get();
  vectorThemes.push_back(std::move(theme));
  AddVectorDrawItem(t);
}

void CPVN4Doc::AddContourTheme(OwnedTheme<CContourTheme> theme) {
  CContourTheme* t = theme.get();
  contourThemes.push_back(std::move(theme));
  AddContourDrawItem(t);
}

void CPVN4Doc::AddWindVectorTheme(OwnedTheme<CWindVectorTheme> theme) {
  windVectorThemes.push_back(std::move(theme));
}

void CPVN4Doc::AddVectorDrawItem(CVectorTheme* theme) {
  CVectorThemeItem item;
  item.vectorTheme = theme;
  drawPriority.push_back(item);
}

void CPVN4Doc::AddContourDrawItem(CContourTheme* theme) {
  CVectorThemeItem item;
  item.contourTheme = theme;
  drawPriority.push_back(item);
}

void CPVN4Doc::AddWindVectorDrawItem(CWindVectorTheme* theme) {
  CVectorThemeItem item;
  item.windVectorTheme = theme;
  drawPriority.push_back(item);
  AddWindVectorLegend(theme);
  SetModifiedFlag(true);
}

void CPVN4Doc::RemoveWindVectorDrawItem(CWindVectorTheme* theme) {
  auto item = std::find_if(drawPriority.begin(), drawPriority.end(),
                           [&](const CVectorThemeItem& i) { return i.windVectorTheme == theme; });
  if (item != drawPriority.end()) drawPriority.erase(item);
  auto legend = std::find_if(windVectorLegends.begin(), windVectorLegends.end(),
                             [&](const auto& l) { return theme && l->themeSerial == theme->Serial(); });
  if (legend != windVectorLegends.end()) windVectorLegends.erase(legend);
  SetModifiedFlag(true);
  UpdateLegend();
}

std::size_t CPVN4Doc::AddWindVectorLegend(CWindVectorTheme* theme) {
  auto legend = std::make_unique<CWVLegendData>();
  legend->theme = theme;
  legend->themeSerial = theme ? theme->Serial() : 0;
  const int kind = theme && (theme->kind == 1 || theme->kind == 2) ? theme->kind : 0;
  const float minMagnitude = theme ? theme->minMagnitude : 0.0f;
  const float maxMagnitude = theme ? theme->maxMagnitude : 0.0f;
  legend->kind = kind;
  legend->SetMinValue(minMagnitude);
  legend->SetMaxValue(maxMagnitude);
  const CPVN4App& app = GetApp();
  const CWindVectorPreferences& p = app.windVectorPrefs[static_cast<std::size_t>(kind)];
  const CPredefinedWVThemeLegend* predefined = nullptr;
  if (p.usePredefinedLegend && !p.predefinedLegendName.empty())
    for (const auto& pre : app.predefinedWVLegends)
      if (pre->kind == kind && pre->name == p.predefinedLegendName) {
        predefined = pre.get();
        break;
      }
  if (predefined) {
    legend->Copy(predefined->legend);
  } else {
    legend->units = p.units;
    legend->decimals = p.decimals;
    legend->autoDensity = p.autoDensity;
    legend->skip = p.skip;
    legend->targetSize = p.targetSize;
    legend->showValues = p.outputSpeed;
    legend->fontSize = p.fontSize;
    legend->lineWidth = p.lineWidth;
    const int n = p.numClasses;
    if (n > 0) {
      auto convert = [&](double v) { return ConvertArrowUnits(kind, v, 0, p.units); };
      const double lo = convert(minMagnitude), hi = convert(maxMagnitude);
      const float step = static_cast<float>((hi - lo) / n);
      // The classes take their colours the way raster legend classes do.
      CThemeLegendData colours;
      colours.AddEntry(CLegendEntry(kNoData, 0));
      for (int i = 1; i <= n; ++i) {
        const float v = static_cast<float>(lo + i * static_cast<double>(step));
        legend->AddEntry(CWVLegendEntry(v, 0, i));
        colours.AddEntry(CLegendEntry(static_cast<float>(i), 0));
      }
      colours.ApplyColorRamp(p.ramp);
      for (int i = 0; i < legend->GetCount() && i + 1 < colours.GetCount(); ++i)
        legend->GetEntry(i).SetColor(colours.GetEntry(i + 1).GetColor());
    }
  }
  windVectorLegends.push_back(std::move(legend));
  return windVectorLegends.size() - 1;
}

CWVLegendData* CPVN4Doc::FindWindVectorLegend(const CWindVectorTheme* theme) const {
  if (!theme) return nullptr;
  for (const auto& l : windVectorLegends)
    if (l->themeSerial == theme->Serial()) return l.get();
  return nullptr;
}

int CPVN4Doc::GetTopOfDrawOrderFlag(const void* theme) const {
  if (drawPriority.empty()) return -1;
  const void* head = drawPriority.front().Theme();
  if (!head) return -1;
  return head == theme ? 0 : 1;
}

template <class T>
void CPVN4Doc::EraseDrawItems(T* CVectorThemeItem::*slot, T* theme) {
  drawPriority.erase(std::remove_if(drawPriority.begin(), drawPriority.end(),
                                    [&](const CVectorThemeItem& i) { return i.*slot == theme; }),
                     drawPriority.end());
}

template <class T, class List>
void CPVN4Doc::DeleteOverlay(T* CVectorThemeItem::*slot, List& list, T* theme) {
  if (!theme) return;
  EraseDrawItems(slot, theme);
  Removing(theme);
  EraseOwned(list, theme);
  SetModifiedFlag(true);
  UpdateLegend();
}

void CPVN4Doc::DeleteVectorTheme(CVectorTheme* theme) {
  DeleteOverlay(&CVectorThemeItem::vectorTheme, vectorThemes, theme);
}

void CPVN4Doc::DeleteContourTheme(CContourTheme* theme) {
  DeleteOverlay(&CVectorThemeItem::contourTheme, contourThemes, theme);
}

bool CPVN4Doc::DropWindVectorTheme(CWindVectorTheme* theme, bool tellViews) {
  if (!theme) return false;
  EraseDrawItems(&CVectorThemeItem::windVectorTheme, theme);
  // Its legends go too: a legend left behind would point at a freed theme.
  const std::uint64_t serial = theme->Serial();
  windVectorLegends.erase(std::remove_if(windVectorLegends.begin(), windVectorLegends.end(),
                                         [&](const auto& l) { return l->themeSerial == serial; }),
                          windVectorLegends.end());
  if (tellViews) Removing(theme);
  const bool freed = EraseOwned(windVectorThemes, theme);
  SetModifiedFlag(true);
  return freed;
}

// The variant that reaches no view or window.
bool CPVN4Doc::RemoveWindVectorTheme(CWindVectorTheme* theme) { return DropWindVectorTheme(theme, false); }

void CPVN4Doc::DeleteWindVectorTheme(CWindVectorTheme* theme) {
  if (!theme) return;
  DropWindVectorTheme(theme, true);
  UpdateAllViews(kHintRender);
  UpdateLegend();
}

// ---- analysis areas ----

CPyrvane2WorkArea* CPVN4Doc::CreateWorkArea(double north, double east, double south, double west,
                                            const std::string& name) {
  const CHeaderData& h = landscape.header;
  if (!IsLandscapeLoaded()) {
    platform::Tell("Error: Can not create Analysis Area:\nNo landscape is loaded.");
    return nullptr;
  }
  // A degenerate grid has nothing to align to (and no cell size to divide by).
  if (!(h.cellWidth > 0) || !(h.cellHeight > 0) || h.rows <= 0 || h.columns <= 0) {
    platform::Tell(kAreaTooSmall);
    return nullptr;
  }
  auto area = std::make_unique<CPyrvane2WorkArea>(this);
  area->name = name;
  const double w = h.cellWidth, ch = h.cellHeight;
  area->north = AlignEdge(north, h.south, ch, true, h.south, h.north);
  area->east = AlignEdge(east, h.west, w, true, h.west, h.east);
  area->south = AlignEdge(south, h.south, ch, false, h.south, h.north);
  area->west = AlignEdge(west, h.west, w, false, h.west, h.east);
  if (!(area->north > area->south && area->east > area->west)) {
    platform::Tell(kAreaTooSmall);
    return nullptr;
  }
  for (const auto& t : gridThemes) area->AddThemeRect(t.get());
  if (!loading) {
    if (!areas.empty()) {
      for (const auto& l : areas.front()->legends)
        area->legends.push_back(std::make_unique<CThemeLegendData>(*l));
    } else {
      area->CreateLandscapeLegends();
    }
  }
  area->ScanFuelModels();
  CPyrvane2WorkArea* result = area.get();
  areas.push_back(std::move(area));
  currentArea = result;
  SetModifiedFlag(true);
  return result;
}

void CPVN4Doc::DropHistoryOf(const CPyrvane2WorkArea* area) {
  int index = 0;
  int newPosition = historyPosition;
  bool positionDropped = false;
  for (auto it = viewHistory.begin(); it != viewHistory.end(); ++index) {
    if (it->area != area) {
      ++it;
      continue;
    }
    if (index == historyPosition) positionDropped = true;
    else if (index < historyPosition) --newPosition;
    it = viewHistory.erase(it);
  }
  // The shown entry went with its area: the latest remaining one stands in for it.
  if (positionDropped) newPosition = static_cast<int>(viewHistory.size()) - 1;
  historyPosition = viewHistory.empty() ? -1 : newPosition;
}

void CPVN4Doc::DeleteWorkArea(CPyrvane2WorkArea* area) {
  if (!area || areas.empty() || area == areas.front().get()) return;
  auto it = std::find_if(areas.begin(), areas.end(), [&](const auto& a) { return a.get() == area; });
  if (it == areas.end()) return;
  bool showsRunOutput = false;
  for (const auto& run : area->runs)
    for (const auto& t : run->outputThemes)
      if (t.get() == visibleTheme) showsRunOutput = true;
  // Whichever path deletes the current area, the map falls back to the fuel-model layer.
  const bool wasCurrent = currentArea == area;
  if (wasCurrent) currentArea = areas.front().get();
  if (wasCurrent || showsRunOutput) ShowFuelModelLayer();
  DropHistoryOf(area);
  Removing(area);
  std::unique_ptr<CPyrvane2WorkArea> owned = std::move(*it);
  areas.erase(it);
  owned.reset();
  NotifyChanged();
}

bool CPVN4Doc::OnDeleteAnalysisArea(CPyrvane2WorkArea* area, const std::string& itemText) {
  if (!area) return false;
  if (!areas.empty() && area == areas.front().get()) {
    platform::Tell("Can not delete the default Analysis Area.");
    return false;
  }
  if (currentArea == area) {
    currentArea = DefaultArea();
    ShowFuelModelLayer();
  }
  if (!platform::AskYesNo("Delete Analysis Area '" + itemText + "'?")) return false;
  DeleteWorkArea(area);
  UpdateAllViews(kHintRender);
  RefreshLegendAndPointWindows();
  SetModifiedFlag(true);
  return true;
}

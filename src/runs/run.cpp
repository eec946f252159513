#include "runs/run.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "engines/embrith_engine.h"
#include "engines/mtt_engine.h"
#include "engines/pyrvane.h"
#include "engines/standard_fuels.h"
#include "platform/atomic_file.h"
#include "themes/wind_vector_theme.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "runs/run_host.h"
#include "themes/legend.h"
#include "themes/theme.h"

using platform::OleDateTime;

namespace {

constexpr int kLayerRateOfSpread = 12;
constexpr int kLayerFirelineIntensity = 13;
constexpr int kLastFireBehaviorLayer = 34;

}  // namespace

CRunInputs::CRunInputs()
    : diurnalDateTime(OleDateTime::Now()),
      conditioningStart(diurnalDateTime),
      conditioningEnd(diurnalDateTime) {}

CRunOutputs::CRunOutputs() : numberOfProcessors(std::max(platform::ProcessorCount(), 1)) {}

bool CRunOutputs::HasOutputs() const {
  return flameLength || rateOfSpread || firelineIntensity || heatPerUnitArea ||
         crownFireActivity || solarRadiation || fuelMoisture1 || fuelMoisture10 ||
         fuelMoisture100 || fuelMoisture1000 || midflameWindSpeed || horizontalMovementRate ||
         spreadVectors || crownFractionBurned || maxSpotting || maxSpottingDirection ||
         maxSpottingDistance || maxSpotVectors;
}

bool CRunMTTSettings::IsReady() const {
  const bool randomOutputs = burnProbabilities || perimeters || flpEnglish || flpMetric ||
                             fireSizeList;
  switch (ignitionSource) {
    case 0:
      return (rateOfSpread || nodeInfluence || arrivalTime || firelineIntensity || flowPaths ||
              majorPaths || arrivalContour || ignitionGrid || emberLocations || emberList) &&
             !ignitionFile.empty();
    case 2:
      return randomOutputs;
    case 3:
      return randomOutputs && !fireListFile.empty();
    default:
      return false;
  }
}

bool CRunTOMSettings::IsReady() const {
  if (idealLandscapeFile.empty()) return false;
  return treatments ? !ignitionFile.empty() : treatmentOpportunities != 0;
}

bool CRunEmbrithSettings::IsReady() const {
  const bool anyOutput = arrivalTime || rateOfSpread || flameLength || heatPerUnitArea ||
                         reactionIntensity || ignitionGrid || spreadDirection ||
                         crownFireActivity || perimeters || spotFireLocations || spotFireList ||
                         spreadVectors || windVectors;
  return !ignitionFile.empty() && !burnPeriods.empty() && anyOutput;
}

CRun::CRun() { InitStandardFuelModels(); }

CRun::~CRun() {
  embrithEngine.reset();
  mttEngine.reset();
  for (const std::string& path : inputsFiles) ::unlink(path.c_str());
  runLogs.clear();
  // Output themes and legends go together; the arrow, vector and contour outputs belong to the
  // document's draw list as well, so the host takes them out before deleting them.
  if (host) {
    for (auto& theme : outputThemes) host->RemoveThemeRect(theme.get());
  }
  outputThemes.clear();
  outputLegends.clear();
  idealLandscapeLegends.clear();
  CWindVectorTheme** arrows[] = {&windVectors, &spreadVectors, &maxSpotVectors,
                                 &embrithWindVectors, &embrithSpreadVectors};
  CVectorTheme** vectors[] = {&flowPaths,        &majorPaths,       &mttIgnitions,
                              &mttBarriers,      &tomIgnitions,     &randomPerimeters,
                              &embrithIgnitions, &embrithBarriers,  &spotLocations,
                              &embrithPerimeters};
  for (CWindVectorTheme** a : arrows) DropArrowTheme(*a);
  for (CVectorTheme** v : vectors) {
    if (*v && host) host->DisposeVectorTheme(*v);
    *v = nullptr;
  }
  if (arrivalContour && host) host->DisposeContourTheme(arrivalContour);
  arrivalContour = nullptr;
  RemoveIdealLandscapeThemes();
  RemoveTOMOutputThemes();
}

void CRun::InitStandardFuelModels() {
  for (int i = 0; i < kFuelModelTableSize; ++i) fuelModels[i] = FuelModelRecord{};
  for (const engines::StandardFuelModel& m : engines::StandardFuelModels()) {
    if (m.number < 0 || m.number >= kFuelModelTableSize) continue;
    FuelModelRecord& r = fuelModels[m.number];
    r.number = m.number;
    std::snprintf(r.code, sizeof r.code, "%s", m.code);
    std::copy(m.load, m.load + 5, r.load);
    r.dynamic = m.dynamic;
    std::copy(m.sav, m.sav + 3, r.sav);
    r.depth = m.depth;
    r.extinction = m.extinction;
    r.heatDead = m.heatDead;
    r.heatLive = m.heatLive;
    std::snprintf(r.name, sizeof r.name, "%s", m.name);
  }
}

bool CRun::IsCustomFuelModel(int number) const {
  // Numbers past the table cannot be standard models either.
  if (number < 0) return false;
  if (number >= kFuelModelTableSize) return true;
  return fuelModels[number].number == -1;
}

CTheme* CRun::FindOutputTheme(int layerType) const {
  for (const auto& t : outputThemes)
    if (t->layerType == layerType) return t.get();
  return nullptr;
}

CThemeLegendData* CRun::FindOutputLegend(int layerType) const {
  for (const auto* list : {&outputLegends, &idealLandscapeLegends})
    for (const auto& l : *list)
      if (l->GetTheme() && l->GetTheme()->layerType == layerType) return l.get();
  return nullptr;
}

void CRun::AddOutputTheme(std::unique_ptr<CTheme> theme, std::unique_ptr<CThemeLegendData> legend) {
  if (legend) {
    legend->SetTheme(theme.get());
    outputLegends.push_back(std::move(legend));
  }
  if (host) host->AddThemeRect(theme.get());
  outputThemes.push_back(std::move(theme));
}

void CRun::UpdateOutputState() {
  // Travel-time and treatment outputs built on fireline intensity need both grids of a current
  // fire-behaviour result.
  auto gridsCurrent = [this] {
    return fireBehaviorUpToDate && FindOutputTheme(kLayerFirelineIntensity) &&
           FindOutputTheme(kLayerRateOfSpread);
  };
  auto selectGrids = [this] {
    outputs.rateOfSpread = true;
    outputs.firelineIntensity = true;
  };
  if (tom.IsReady()) {
    if (fireBehaviorUpToDate &&
        std::all_of(tomOutputThemes, tomOutputThemes + 4, [](CTheme* t) { return t; }))
      tomUpToDate1 = true;
    if (tom.firelineIntensity && !gridsCurrent()) {
      tomUpToDate1 = false;
      fireBehaviorUpToDate = false;
      selectGrids();
    }
  } else if (mtt.IsReady() && mtt.firelineIntensity && !gridsCurrent()) {
    fireBehaviorUpToDate = false;
    mttUpToDate = false;
    selectGrids();
  }
  if (outputs.spreadVectors && (!maxSpreadDirectionTheme || !ellipticalBTheme))
    fireBehaviorUpToDate = false;
}

void CRun::DeleteLegendOf(std::vector<std::unique_ptr<CThemeLegendData>>& list,
                          const CTheme* theme) {
  list.erase(std::remove_if(list.begin(), list.end(),
                            [theme](const auto& l) { return l->GetTheme() == theme; }),
             list.end());
}

void CRun::RemoveOutputThemeAt(std::size_t index, bool refreshMap) {
  CTheme* theme = outputThemes[index].get();
  if (host) {
    if (host->IsVisibleTheme(theme)) host->ShowFuelModelTheme(refreshMap);
    host->RemoveThemeRect(theme);
  }
  DeleteLegendOf(outputLegends, theme);
  for (CTheme** ref : {&maxSpreadDirectionTheme, &ellipticalATheme, &ellipticalBTheme,
                       &ellipticalCTheme, &maxSpottingTheme, &windDirectionGridTheme,
                       &windSpeedGridTheme})
    if (*ref == theme) *ref = nullptr;
  outputThemes.erase(outputThemes.begin() + static_cast<std::ptrdiff_t>(index));
}

void CRun::DropArrowTheme(CWindVectorTheme*& theme) {
  if (!theme) return;
  if (host) host->DisposeWindVectorTheme(theme);
  else delete theme;
  theme = nullptr;
}

void CRun::RemoveWindGridThemes() {
  if (!windDirectionGridTheme && !windSpeedGridTheme) return;
  if (host) host->DeleteThemeItems(*this, windDirectionGridTheme, windSpeedGridTheme);
  const CTheme* direction = windDirectionGridTheme;
  const CTheme* speed = windSpeedGridTheme;
  for (std::size_t i = outputThemes.size(); i-- > 0;) {
    const CTheme* t = outputThemes[i].get();
    if (t == direction || t == speed) RemoveOutputThemeAt(i, true);
  }
  windDirectionGridTheme = nullptr;
  windSpeedGridTheme = nullptr;
}

void CRun::RemoveStaleOutputs() {
  RemoveWindGridThemes();
  if (host) host->DeleteRunOutputItems(*this);
  for (std::size_t i = 0; i < outputThemes.size();) {
    if (fireBehaviorUpToDate && outputThemes[i]->layerType <= kLastFireBehaviorLayer) {
      ++i;
      continue;
    }
    RemoveOutputThemeAt(i, true);
  }
  if (!fireBehaviorUpToDate) {
    maxSpreadDirectionTheme = ellipticalATheme = ellipticalBTheme = ellipticalCTheme = nullptr;
    maxSpottingTheme = nullptr;
    if (inputs.windType == 4) windDirectionGridTheme = windSpeedGridTheme = nullptr;
  }
  auto dropArrows = [this](CWindVectorTheme*& t) {
    if (t && host) host->DeleteOutputItem(*this, t);
    DropArrowTheme(t);
  };
  auto dropVectors = [this](CVectorTheme*& t) {
    if (!t) return;
    if (host) {
      host->DeleteOutputItem(*this, t);
      host->DisposeVectorTheme(t);
    }
    t = nullptr;
  };
  dropArrows(windVectors);
  dropVectors(randomPerimeters);
  dropVectors(flowPaths);
  dropVectors(majorPaths);
  if (arrivalContour) {
    if (host) {
      host->DeleteOutputItem(*this, arrivalContour);
      host->DisposeContourTheme(arrivalContour);
    }
    arrivalContour = nullptr;
  }
  dropVectors(spotLocations);
  dropVectors(embrithPerimeters);
  dropArrows(embrithWindVectors);
  dropArrows(embrithSpreadVectors);
  for (CWindVectorTheme** t : {&spreadVectors, &maxSpotVectors}) {
    if (!*t) continue;
    if (host) host->DeleteOutputItem(*this, *t);
    if (!fireBehaviorUpToDate) dropArrows(*t);
  }
  if (!tomUpToDate1) RemoveTOMOutputThemes();
  runLogs.clear();
}

void CRun::RemoveOwnedThemes(CTheme** themes, std::size_t count,
                             std::vector<std::unique_ptr<CThemeLegendData>>& legends) {
  for (std::size_t i = 0; i < count; ++i) {
    CTheme*& t = themes[i];
    if (!t) continue;
    if (host) {
      if (host->IsVisibleTheme(t)) host->ShowFuelModelTheme(false);
      host->RemoveThemeRect(t);
    }
    DeleteLegendOf(legends, t);
    delete t;
    t = nullptr;
  }
}

void CRun::RemoveTOMOutputThemes() { RemoveOwnedThemes(tomOutputThemes, 4, outputLegends); }

void CRun::RemoveIdealLandscapeThemes() {
  RemoveOwnedThemes(idealLandscapeThemes, 5, idealLandscapeLegends);
}

void CRun::CreateIdealLandscapeThemes() {
  static const char* const kNames[5] = {"Fuel Model", "Canopy Cover", "Stand Height",
                                        "Canopy Base Height", "Canopy Bulk Density"};
  RemoveIdealLandscapeThemes();  // a new ideal landscape replaces the old themes
  CPyrvane engine;
  engine.SetLandscapeFile(tom.idealLandscapeFile.c_str());
  const int rows = std::max(engine.GetNumRows(), 0), cols = std::max(engine.GetNumCols(), 0);
  const double cell = engine.GetCellSize();
  std::vector<float> cells(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
  for (int i = 0; i < 5; ++i) {
    const int layer = 3 + i;
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c)
        cells[static_cast<std::size_t>(r) * cols + c] = engine.GetLayerValueByCell(layer, c, r);
    auto* theme = new CTheme();
    theme->CreateFromFloats(kNames[i], engine.GetSouth(), engine.GetWest(), cell, cell, rows,
                            cols, -9999.0f, cells.data(), engine.GetUnits(layer), layer);
    idealLandscapeThemes[i] = theme;
    if (host) host->AddThemeRect(theme);
  }
  for (CTheme* theme : idealLandscapeThemes) {
    std::unique_ptr<CThemeLegendData> legend =
        host ? host->CreateLegendData(theme) : std::make_unique<CThemeLegendData>();
    if (!legend) legend = std::make_unique<CThemeLegendData>();
    legend->SetTheme(theme);
    idealLandscapeLegends.push_back(std::move(legend));
  }
}

void CRun::AddIdealLandscapeTreeItem() {
  if (host) idealLandscapeTreeItem = host->AddIdealLandscapeTreeItem(*this);
}

bool CRun::CheckStartBeforeEnd(const OleDateTime& start, const OleDateTime& end) {
  if (!start.IsValid() || !end.IsValid() || !(start > end)) return true;
  platform::Tell("Error: Start day/time later than end day/time.");
  return false;
}

bool CRun::CheckFileReadable(const std::string& path) {
  std::string text;
  if (platform::ReadWholeFile(path, text)) return true;
  platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
  return false;
}

std::string GetWindSpeedUnitsName(int units) {
  switch (units) {
    case 1:
      return "km/h @ 10m";
    case 2:
      return "m/sec @ 10m";
    case 3:
      return "ft/min @ 20'";
    default:
      return "mph @ 20'";
  }
}

int GetDaysBeforeMonth(int month) {
  static const int kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return month >= 1 && month <= 12 ? kBefore[month - 1] : 0;
}

void TrimString(std::string& s) {
  const char* blanks = " \t\n\v\f\r";
  const std::size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) {
    s.clear();
    return;
  }
  s.erase(s.find_last_not_of(blanks) + 1);
  s.erase(0, first);
}

void CRun::ForgetOverlay(const void* theme) {
  if (!theme) return;
  CVectorTheme** vectors[] = {&flowPaths,        &majorPaths,       &mttIgnitions,
                              &mttBarriers,      &tomIgnitions,     &randomPerimeters,
                              &embrithIgnitions, &embrithBarriers,  &spotLocations,
                              &embrithPerimeters};
  for (CVectorTheme** v : vectors)
    if (*v == theme) *v = nullptr;
  if (arrivalContour == theme) arrivalContour = nullptr;
}

#pragma once
// An analysis area: a rectangle of the landscape aligned to its cells, in which the map
// shows the visible theme and in which runs are computed. It owns its runs, one legend per
// grid theme of the document (same order) and one cell window per raster theme.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "runs/run.h"
#include "runs/run_host.h"
#include "themes/legend.h"
#include "themes/cell_window.h"

class CPVN4Doc;
class CRun;
class CTheme;
class CThemeLegendData;

// The cell window of an area inside one raster theme (row 0 is the northern row).
struct CThemeRect {
  int firstColumn = 0;
  int firstRow = 0;
  int lastColumn = 1;
  int lastRow = 1;
  CTheme* theme = nullptr;  // not owned

  CellWindow Window() const { return CellWindow{firstColumn, firstRow, lastColumn, lastRow}; }
};

class CPyrvane2WorkArea : public RunHost {
 public:
  explicit CPyrvane2WorkArea(CPVN4Doc* document);
  // Frees the legends, then the runs (whose destructors take their themes out of the
  // document and this area), then the remaining theme rectangles.
  ~CPyrvane2WorkArea() override;
  CPyrvane2WorkArea(const CPyrvane2WorkArea&) = delete;
  CPyrvane2WorkArea& operator=(const CPyrvane2WorkArea&) = delete;

  // ---- set-up ----
  // Distinct fuel models 1-255 of the area's landscape window, and the custom-fuel flag.
  void ScanFuelModels();

  // ---- theme rectangles ----
  // Appends the area's window in that theme's cells (at the end of the list).
  void AddThemeRect(CTheme* theme) override;
  // The first rectangle of that theme, else {0, 0, 1, 1}.
  CThemeRect GetThemeRect(const CTheme* theme) const;
  void RemoveThemeRect(CTheme* theme) override;
  // The first rectangle of a landscape layer, else {0, 0, 1, 1}.
  CThemeRect GetLandscapeRect() const;

  // ---- look-ups ----
  CTheme* GetThemeByLayerType(int layerType) const;
  CThemeLegendData* GetLegendDataByLayerType(int layerType) const;
  double GetLegendMinByLayerType(int layerType) const;
  double GetLegendMaxByLayerType(int layerType) const;

  // ---- legends ----
  // A legend for the theme over this area; cells, when given, is the theme's whole grid.
  std::unique_ptr<CThemeLegendData> CreateLegendData(CTheme* theme, const float* cells) const;
  std::unique_ptr<CThemeLegendData> CreateLegendData(CTheme* theme) override {
    return CreateLegendData(theme, nullptr);
  }
  // One legend per grid theme of the document, from the landscape header.
  void CreateLandscapeLegends();

  // ---- runs and export ----
  // Appends a run owned by this area (its back pointers and host are set).
  CRun* AddRun(std::unique_ptr<CRun> run);
  void DeleteRun(CRun* run);
  // The theme's cells inside the area as an ESRI ASCII grid. False, with the reason
  // shown, when nothing could be written.
  bool ExportAsciiGrid(CTheme* theme, const std::string& path);

  // ---- RunHost ----
  std::vector<int> AreaFuelModels() const override;
  bool AreaIsWholeLandscape() const override;
  void AreaExtent(double& e, double& w, double& n, double& s) const override;
  bool IsVisibleTheme(const CTheme* theme) const override;
  void ShowFuelModelTheme(bool refreshMap) override;
  void DisposeWindVectorTheme(CWindVectorTheme* theme) override;
  void AdoptWindVectorTheme(CWindVectorTheme* theme) override;
  void DisposeVectorTheme(CVectorTheme* theme) override;
  CVectorTheme* AdoptVectorTheme(std::unique_ptr<CVectorTheme> theme) override;
  void DisposeContourTheme(CContourTheme* theme) override;
  CContourTheme* AdoptContourTheme(CContourTheme* theme) override;
  void DeleteThemeItems(CRun& run, const CTheme* a, const CTheme* b) override;
  void DeleteRunOutputItems(CRun& run) override;
  void DeleteOutputItem(CRun& run, const void* theme) override;
  void* AddIdealLandscapeTreeItem(CRun& run) override;

  // ---- fields ----
  std::vector<std::unique_ptr<CRun>> runs;
  std::vector<std::unique_ptr<CThemeLegendData>> legends;
  CPVN4Doc* document = nullptr;
  double north = 0, east = 0, south = 0, west = 0;
  std::string name;
  std::vector<CThemeRect> themeRects;
  std::array<int, 256> fuelModels{};
  std::array<int, 256> groundFuels{};
  int fuelModelCount = 0;
  int groundFuelCount = 0;
  bool customFuels = false;
  bool surfaceFuelsValid = true;
  bool groundFuelsValid = true;
};

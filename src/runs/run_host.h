#pragma once
// What a run needs of its document, analysis area and project tree. The project document
// implements it; a run without a host (a temporary run, a test) skips these steps.
#include <memory>
#include <vector>

class CTheme;
class CThemeLegendData;
class CVectorTheme;
class CWindVectorTheme;
class CContourTheme;
class CRun;

class RunHost {
 public:
  virtual ~RunHost() = default;

  // ---- analysis area ----
  // Distinct fuel-model numbers found in the area's cells, ascending.
  virtual std::vector<int> AreaFuelModels() const = 0;
  // True for the document's first area, the whole landscape.
  virtual bool AreaIsWholeLandscape() const = 0;
  virtual void AreaExtent(double& east, double& west, double& north, double& south) const = 0;
  virtual void AddThemeRect(CTheme* theme) = 0;
  virtual void RemoveThemeRect(CTheme* theme) = 0;
  // The area's legend for a theme (classes over the area's cells), owned by the caller.
  virtual std::unique_ptr<CThemeLegendData> CreateLegendData(CTheme* theme) = 0;

  // ---- document ----
  virtual bool IsVisibleTheme(const CTheme* theme) const = 0;
  // Makes the fuel-model layer the visible theme, refreshing the map when asked.
  virtual void ShowFuelModelTheme(bool refreshMap) = 0;
  // Remove the theme from the document's lists and draw items, then delete it.
  virtual void DisposeWindVectorTheme(CWindVectorTheme* theme) = 0;
  virtual void DisposeVectorTheme(CVectorTheme* theme) = 0;
  virtual void DisposeContourTheme(CContourTheme* theme) = 0;
  // Draws a run's new arrow theme with a legend of its own; the run keeps owning it.
  virtual void AdoptWindVectorTheme(CWindVectorTheme* theme) = 0;
  // Takes a new vector theme into the document and its draw list; returns it.
  virtual CVectorTheme* AdoptVectorTheme(std::unique_ptr<CVectorTheme> theme) = 0;
  // Takes a new contour theme (owned from here on) into the document and its draw list.
  virtual CContourTheme* AdoptContourTheme(CContourTheme* theme) = 0;

  // ---- project tree ----
  virtual void DeleteThemeItems(CRun& run, const CTheme* a, const CTheme* b) = 0;
  virtual void DeleteRunOutputItems(CRun& run) = 0;
  // Deletes the run's tree item that shows this output (any theme kind).
  virtual void DeleteOutputItem(CRun& run, const void* theme) = 0;
  // Inserts the bold "Ideal Landscape Themes" item under the run's item, fills the run's
  // subtree and returns the new item.
  virtual void* AddIdealLandscapeTreeItem(CRun& run) = 0;
};

#pragma once
// "<theme> Statistics": the modal sheet of a raster theme's statistics over a cell window,
// with a General page (summary and percentiles as text) and a Classes page (cells and area
// per legend class); "Save As..." writes the page shown.
#include <wx/dialog.h>

#include "gridmodel/ug_ctrl.h"
#include "themes/cell_window.h"
#include "themes/stats_report.h"
#include "themes/theme_stats.h"

class wxChoice;
class wxNotebook;
class wxTextCtrl;
class CTheme;
class CThemeLegendData;

namespace widgets {
class CUGWindow;
}

namespace themes::ui {

// The class table: read-only cells, Tab and Shift+Tab wrapping through every cell.
class ThemeClassesCUG : public gridmodel::CUGCtrl {
 public:
  void OnInitGrid() override;
  void OnGridKeyDown(unsigned* vkey, bool processed) override;
  gridmodel::Colour OnGetSectionBackColor(int section) override;
  int clientWidth = 600;
};

class CpropSheetThemeStats : public wxDialog {
 public:
  static constexpr int kSaveAsId = 1066;
  // page 0 General, 1 Classes; projection names the window's coordinates.
  CpropSheetThemeStats(CTheme& theme, CThemeLegendData& legend, const CellWindow& window, int gridUnits,
                       const std::string& projection, const std::string& caption, wxWindow* parent, int page = 0);
  // The grid window goes before the grid model it paints.
  ~CpropSheetThemeStats() override { DestroyChildren(); }

  const CThemeStats& Stats() const { return stats_; }
  std::string GeneralText() const;
  wxNotebook* Pages() const { return pages_; }
  wxChoice* AreaUnits() const { return areaUnits_; }
  ThemeClassesCUG& ClassGrid() { return grid_; }
  wxWindow* ClassGridWindow() const;
  // The Classes file as it would be saved now.
  std::string ClassesCsv() const;
  // Save As of the page shown: asks for a file and writes it.
  void OnSaveAs();

 private:
  void FillClasses();
  void FillAreas();

  CTheme& theme_;
  CThemeLegendData& legend_;
  CellWindow window_;
  int gridUnits_;
  std::string projection_;
  CThemeStats stats_;
  ThemeClassCounts counts_;
  wxNotebook* pages_ = nullptr;
  wxTextCtrl* text_ = nullptr;
  wxChoice* areaUnits_ = nullptr;
  ThemeClassesCUG grid_;
  widgets::CUGWindow* gridWindow_ = nullptr;
};

}  // namespace themes::ui

#pragma once
// "Create/Modify Legend": the modal editor of a raster theme's legend over its class table.
#include <wx/dialog.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gridmodel/table_grid.h"
#include "platform/messages.h"
#include "views/legend_creator.h"

class wxChoice;
class wxRadioButton;
class wxSpinCtrl;
class wxStaticText;
class wxTextCtrl;
class CPVN4Doc;

class wxMenu;

namespace widgets {
class TableGridWindow;
class CColorRampCombo;
}

namespace views::ui {

class CLegendCreatorDialog : public wxDialog, public gridmodel::GridOwner {
 public:
  CLegendCreatorDialog(wxWindow* parent, CTheme& theme, CThemeLegendData& legend, const CPyrvane2WorkArea* area);
  ~CLegendCreatorDialog() override;

  CLegendCreator& Creator() { return *creator_; }
  widgets::TableGridWindow* Table() const { return table_; }
  wxSpinCtrl* ClassCount() const { return classes_; }
  // The buttons' actions, as the buttons run them.
  void OnApplyClasses();
  void OnApplyRamp();
  void OnApplyPredefined();
  void OnSaveAs();
  void OnOK();
  void OnCancel();
  // The right-click menu on two or more selected colour cells: Auto Ramp, Define Ramp. The
  // chooser shows it (tests answer).
  void OnTableRightClick(int row, int col);
  void OnMenuCommand(int command);
  std::function<int(wxMenu&, wxPoint)> menuChooser;

  long OnGridNotify(const gridmodel::GridNotify& n) override;

  widgets::CColorRampCombo* ramps = nullptr;
  wxChoice* predefined = nullptr;

 private:
  void Sync();
  void FillPredefined(int select);
  void ShowSettings();
  std::string Contents() const;
  std::string opened_;

  widgets::TableGridWindow* table_ = nullptr;
  std::unique_ptr<CLegendCreator> creator_;
  wxChoice* units_ = nullptr;
  wxChoice* decimals_ = nullptr;
  wxRadioButton* continuous_ = nullptr;
  wxRadioButton* unique_ = nullptr;
  wxSpinCtrl* classes_ = nullptr;
  wxStaticText* low_ = nullptr;
  wxStaticText* high_ = nullptr;
};

// "Enter Legend Name": the name of a new predefined legend, trimmed; a blank name or one of
// `existing` is refused and the dialog stays.
class CGetLegendNameDialog : public wxDialog {
 public:
  CGetLegendNameDialog(wxWindow* parent, std::vector<std::string> existing);
  void OnOK();
  std::string name;
  wxTextCtrl* edit = nullptr;

 private:
  std::vector<std::string> existing_;
};
std::optional<std::string> AskLegendName(wxWindow* parent, const std::vector<std::string>& existing);

// Save As... of a legend creator: the name asked, then make(name) appended to the list.
template <class Legend, class Make>
bool SavePredefinedLegend(wxWindow* parent, std::vector<std::unique_ptr<Legend>>& list, Make make) {
  std::vector<std::string> names;
  for (const auto& p : list) names.push_back(p->name);
  const std::optional<std::string> name = AskLegendName(parent, names);
  if (!name) return false;
  std::unique_ptr<Legend> legend = make(*name);
  if (!legend) return false;
  list.push_back(std::move(legend));
  return true;
}

// A class table's right-click menu at a cell's top-left corner; the command chosen, or 0.
int ChooseFromTableMenu(wxWindow* dialog, widgets::TableGridWindow* table, int row, int col, wxMenu& menu,
                        const std::function<int(wxMenu&, wxPoint)>& chooser);
// The class table as the user sees it (every cell's text and colour), to tell whether it was
// changed since the dialog opened.
std::string TableContents(const gridmodel::CGridCtrl& grid);
// Cancel, Escape or the close box of a legend creator whose table changed: "Yes" keeps the
// changes as OK does, "No" drops them, and "Cancel" keeps the dialog open.
platform::Answer AskBeforeDroppingLegend();
// Set Color Ramp from start to end; false when cancelled.
bool DefineColourRamp(wxWindow* parent, COLORREF& start, COLORREF& end);

// The legend creator over the visible theme's legend in the current area; on OK the map,
// the tree and the legend window follow and the project is marked modified. False when
// there is no visible theme or legend, or the user cancelled.
bool EditVisibleLegend(wxWindow* parent, CPVN4Doc& doc);

}  // namespace views::ui

#pragma once
// The legend of an arrow theme: its class table (value, colour, relative length), colour and
// length ramps, predefined legends, units, decimals, labels, line width and density.
#include <wx/dialog.h>

#include <functional>
#include <memory>

#include "gridmodel/table_grid.h"
#include "views/wv_legend_creator.h"

class wxCheckBox;
class wxChoice;
class wxMenu;
class wxRadioButton;
class wxSpinButton;
class wxStaticText;
class wxTextCtrl;
class CPVN4Doc;

namespace widgets {
class TableGridWindow;
class CColorRampCombo;
}  // namespace widgets

namespace views::ui {

// Menu commands of the table's right-click menus.
constexpr int kCmdColourAutoRamp = 32789, kCmdColourDefineRamp = 32791;
constexpr int kCmdLengthAutoRamp = 32923, kCmdLengthDefineRamp = 32924;

// A whole number typed in an edit with arrows beside it; the arrows stay in their range.
struct IntField {
  wxTextCtrl* edit = nullptr;
  wxSpinButton* arrows = nullptr;
  const char* label = "";
  int low = 0, high = 0;
  // False, with the field named in a message, when the text is not a number in range.
  bool Read(int& out) const;
  void Set(int value);
  void Enable(bool on);
};

class CWVLegendCreatorDialog : public wxDialog, public gridmodel::GridOwner {
 public:
  CWVLegendCreatorDialog(wxWindow* parent, CWindVectorTheme& theme, CWVLegendData& legend);
  ~CWVLegendCreatorDialog() override;

  CWVLegendCreator& Creator() { return *creator_; }
  widgets::TableGridWindow* Table() const { return table_; }

  // The buttons' and menus' actions, as they run them.
  void OnApplyClasses();
  void OnApplyRamp();
  void OnApplyPredefined();
  void OnSaveAs();
  void OnOK();
  void OnCancel();
  void OnMenuCommand(int command);
  // The right-click menu of a cell: colour ramps on two or more selected colour cells, length
  // ramps on two or more selected lengths. The chooser shows it (tests answer).
  void OnTableRightClick(int row, int col);
  std::function<int(wxMenu&, wxPoint)> menuChooser;

  long OnGridNotify(const gridmodel::GridNotify& n) override;

  IntField classes, lineWidth, skip, target;
  wxChoice* units = nullptr;
  wxChoice* decimals = nullptr;
  wxChoice* font = nullptr;
  wxChoice* predefined = nullptr;
  widgets::CColorRampCombo* ramps = nullptr;
  wxCheckBox* showValues = nullptr;
  wxRadioButton* manual = nullptr;
  wxRadioButton* automatic = nullptr;
  wxStaticText* low = nullptr;
  wxStaticText* high = nullptr;

 private:
  // Settings from the controls into the creator; false when a field is refused.
  bool ReadControls();
  void ShowSettings();
  void FillPredefined(int select);
  void Sync();
  std::string Contents() const;

  std::string opened_;
  widgets::TableGridWindow* table_ = nullptr;
  std::unique_ptr<CWVLegendCreator> creator_;
};

// Properties of an arrow theme: the creator on its legend; on OK the map, the legend window
// and the modified flag follow. False when cancelled or the theme has no legend.
bool EditWindVectorLegend(wxWindow* parent, CPVN4Doc& doc, CWindVectorTheme& theme);

}  // namespace views::ui

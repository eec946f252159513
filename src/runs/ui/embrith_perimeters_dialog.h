#pragma once
// "Embrith Perimeters": colour, line style, width and visibility of a fire-growth perimeter
// theme, and which of its perimeters are drawn (all, every Nth time step, the burn periods'
// ends, or the final one).
#include <wx/dialog.h>

class CVectorTheme;
class CPVN4Doc;
class wxCheckBox;
class wxChoice;
class wxRadioButton;
class wxSpinCtrl;

namespace widgets {
class CColorStatic;
}

namespace runs::ui {

class CEmbrithPerimetersPropertiesDlg : public wxDialog {
 public:
  CEmbrithPerimetersPropertiesDlg(wxWindow* parent, CVectorTheme* theme);
  // Writes the controls into the theme and ends with OK.
  void OnOK();
  // The interval box is live only for "By Embrith Timestep Multiple".
  void EnableInterval();

  CVectorTheme* theme;
  wxChoice* widthCombo = nullptr;
  wxChoice* styleCombo = nullptr;
  widgets::CColorStatic* swatch = nullptr;
  wxCheckBox* visibleCheck = nullptr;
  wxSpinCtrl* interval = nullptr;
  wxRadioButton* modes[4] = {};  // all, every Nth step, by burn period, final only
};

// The perimeters dialog on a fire-growth perimeter theme of the document; after OK the owning
// run refilters which perimeters show and the views follow. False when the theme is no
// fire-growth perimeter theme (the caller shows its own dialog).
bool EditPerimeterTheme(wxWindow* parent, CPVN4Doc& doc, CVectorTheme& theme);

}  // namespace runs::ui

#pragma once
// The colour-ramp dialogs: Manage Color Ramps edits the application's ramp list, Select Ramp
// Colors the colours of one ramp, Set Color Ramp the two end colours of a ramp laid over
// legend rows, Set Relative Length Ramp the two end lengths laid over wind-vector legend rows.
// None changes anything before OK.
#include <wx/dialog.h>

#include <vector>

#include "themes/color_ramp.h"

#include <memory>

class wxButton;
class wxSpinButton;
class wxTextCtrl;

namespace widgets {
class CNumSpinCtrl;
class CColorListBox;
class CColorRampListBox;
class CColorStatic;
}  // namespace widgets

namespace themes::ui {

class CColorRampsDialog : public wxDialog {
 public:
  enum { kList = 1104, kAddNew = 1106, kEdit = 1107, kDelete = 1105, kHelp = 1184 };
  // Lists copies of the application's ramps that have colours.
  explicit CColorRampsDialog(wxWindow* parent);

  void OnAddNew();
  void OnEdit();
  void OnDelete();
  // The application's list becomes the random ramp followed by the listed ramps.
  void OnOK();

  widgets::CColorRampListBox* list = nullptr;
};

class CRampColorsDialog : public wxDialog {
 public:
  enum { kList = 1110, kAdd = 1106, kEdit = 1107, kDelete = 1105, kUp = 1096, kDown = 1097, kTop = 1098,
         kBottom = 1099 };
  // The ramp is edited in place on OK; it is not owned.
  CRampColorsDialog(wxWindow* parent, CColorRamp* ramp);

  void OnAddColor();
  void OnEditColor();
  void OnDeleteColor();
  void OnMove(int button);
  void OnOK();
  std::vector<COLORREF> Colors() const;

  widgets::CColorListBox* list = nullptr;

 private:
  void ShowColors(const std::vector<COLORREF>& colors, int selected);
  CColorRamp* ramp_;
};

class CRampDialog : public wxDialog {
 public:
  enum { kBottomSwatch = 1020, kTopSwatch = 1021, kHelp = 1097 };
  CRampDialog(wxWindow* parent, COLORREF top, COLORREF bottom);

  // A double-click at a point of the dialog inside a swatch (edges included; the top one
  // first) opens the colour dialog for that swatch. False when the point is in neither.
  bool PickAt(const wxPoint& point);
  void OnOK();

  COLORREF topColor, bottomColor;
  widgets::CColorStatic* topSwatch = nullptr;
  widgets::CColorStatic* bottomSwatch = nullptr;
};

class CRampRelLengthDialog : public wxDialog {
 public:
  enum { kStartSpin = 1032, kEndSpin = 1033, kHelp = 1097 };
  // The start and end lengths (1 to 100) over `cells` rows.
  CRampRelLengthDialog(wxWindow* parent, int start, int end, int cells);
  ~CRampRelLengthDialog() override;
  // Closes when both lengths are whole numbers from 1 to 100 and the range gives every row
  // its own length; says why not otherwise.
  bool OnOK();

  int startValue, endValue, cellCount;
  wxTextCtrl* startEdit = nullptr;
  wxTextCtrl* endEdit = nullptr;

 private:
  std::unique_ptr<widgets::CNumSpinCtrl> startSpin_, endSpin_;
};

}  // namespace themes::ui

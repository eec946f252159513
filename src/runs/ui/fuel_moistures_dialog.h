#pragma once
// "Set Default Fuel Moistures": the five moistures with which a new FMS file is filled.
#include <wx/dialog.h>

class wxSpinCtrl;

namespace runs::ui {

class CFuelMoisturesDialog : public wxDialog {
 public:
  explicit CFuelMoisturesDialog(wxWindow* parent);
  // OK takes the typed values as they are (no range check), refusing a non-number.
  bool TransferDataFromWindow() override;

  int oneHour = 6, tenHour = 7, hundredHour = 8, herbaceous = 60, liveWoody = 90;
  wxSpinCtrl* spins[5] = {};
};

}  // namespace runs::ui

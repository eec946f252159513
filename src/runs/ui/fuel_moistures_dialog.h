#pragma once
// "Set Default Fuel Moistures": the five moistures with which a new FMS file is filled.
#include <wx/dialog.h>

#include <memory>

class wxTextCtrl;
namespace widgets {
class CNumSpinCtrl;
}

namespace runs::ui {

class CFuelMoisturesDialog : public wxDialog {
 public:
  explicit CFuelMoisturesDialog(wxWindow* parent);
  ~CFuelMoisturesDialog() override;
  // OK takes the typed values as they are (the arrows keep to their ranges, typing does
  // not), refusing a text that is not a whole number.
  bool TransferDataFromWindow() override;

  int oneHour = 6, tenHour = 7, hundredHour = 8, herbaceous = 60, liveWoody = 90;
  wxTextCtrl* edits[5] = {};
  std::unique_ptr<widgets::CNumSpinCtrl> spins[5];
};

}  // namespace runs::ui

#pragma once
// "Gustforge Options": the mesh resolution of generated gridded winds and the moment, air
// temperature, cloud cover, longitude and time zone of a diurnal simulation.
#include <memory>

#include "runs/ui/wind_grid_dialog.h"

class CRun;
class wxButton;
class wxCheckBox;
class wxComboBox;
class wxDatePickerCtrl;
class wxTextCtrl;
class wxTimePickerCtrl;
namespace widgets {
class CNumSpinCtrl;
}

namespace runs::ui {

class CGustforgeDialog : public CWindGridDialog {
 public:
  CGustforgeDialog(wxWindow* parent, CRun* run);
  ~CGustforgeDialog() override;

  // Rows, columns and cells of the resolution the box holds, over the run's area.
  void UpdateGridCounts();
  // OK: refuses a resolution outside 30-10000 or a value that is not a number; otherwise
  // writes the run and closes.
  void OnOK();
  void OnUseConditioningEnd();
  void EnableDiurnalControls();

  int resolution = 90, airTemperature = 75, cloudCover = 20;
  double longitude = -114.0;

  wxTextCtrl *airEdit = nullptr, *cloudEdit = nullptr, *longitudeEdit = nullptr, *note = nullptr;
  wxCheckBox* diurnalCheck = nullptr;
  wxButton* conditioningEndButton = nullptr;
  wxComboBox* timeZoneCombo = nullptr;
  wxDatePickerCtrl* datePicker = nullptr;
  wxTimePickerCtrl* timePicker = nullptr;
  std::unique_ptr<widgets::CNumSpinCtrl> resolutionSpin, airSpin, cloudSpin, longitudeSpin;

 private:
  void Recount() override { UpdateGridCounts(); }
  // Reads the typed values into the members; false (after saying why) when one is refused.
  bool ReadControls(bool checkResolution);
  void ShowValues();
};

}  // namespace runs::ui

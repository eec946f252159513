#pragma once
// "Embrith Gustforge Options": the resolution of a fire-growth run's generated wind grids with
// the rows, columns and cells it gives over the analysis area, and the speed and direction
// tolerances within which an earlier wind grid is used again.
#include <memory>

#include "runs/ui/wind_grid_dialog.h"

class CRun;
class wxChoice;
class wxTextCtrl;
namespace widgets {
class CNumSpinCtrl;
}

namespace runs::ui {

class CEmbrithGustforgeDialog : public CWindGridDialog {
 public:
  CEmbrithGustforgeDialog(wxWindow* parent, CRun* run);
  ~CEmbrithGustforgeDialog() override;

  // Rows, columns and cells of the typed resolution; empty counts for one that cannot be used.
  void ComputeGrid();
  // Refuses a resolution outside 30-10000 (the run unchanged); otherwise writes the run.
  bool OnOK();

  wxChoice* speedCombo = nullptr;
  wxChoice* directionCombo = nullptr;

 private:
  void Recount() override { ComputeGrid(); }
  std::unique_ptr<widgets::CNumSpinCtrl> spin_;
};

}  // namespace runs::ui

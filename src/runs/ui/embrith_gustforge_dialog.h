#pragma once
// "Embrith Gustforge Options": the resolution of a fire-growth run's generated wind grids with
// the rows, columns and cells it gives over the analysis area, and the speed and direction
// tolerances within which an earlier wind grid is used again.
#include <wx/dialog.h>

#include <cstdint>
#include <memory>

class CRun;
class wxChoice;
class wxTextCtrl;
namespace widgets {
class CNumSpinCtrl;
}

namespace runs::ui {

class CEmbrithGustforgeDialog : public wxDialog {
 public:
  CEmbrithGustforgeDialog(wxWindow* parent, CRun* run);
  ~CEmbrithGustforgeDialog() override;

  // Rows, columns and cells of the typed resolution; empty counts for one that cannot be used.
  void ComputeGrid();
  // Refuses a resolution outside 30-10000 (the run unchanged); otherwise writes the run.
  bool OnOK();

  CRun* run;
  int rows = 0, columns = 0;
  std::int64_t cells = 0;
  wxTextCtrl *resolutionEdit = nullptr, *rowsEdit = nullptr, *columnsEdit = nullptr, *cellsEdit = nullptr;
  wxChoice* speedCombo = nullptr;
  wxChoice* directionCombo = nullptr;

 private:
  std::unique_ptr<widgets::CNumSpinCtrl> spin_;
};

}  // namespace runs::ui

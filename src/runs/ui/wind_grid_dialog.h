#pragma once
// What the two gridded-wind option dialogs share: the resolution box with the rows, columns
// and cells it gives over the run's analysis area, counted again when the box loses the focus
// or its arrows move, the warning on long runs, and the OK, Cancel and Help buttons.
#include <wx/dialog.h>

#include <cstdint>
#include <memory>
#include <string>

class CRun;
class wxSizer;
class wxSpinButton;
class wxTextCtrl;

namespace widgets {
class CNumSpinCtrl;
}

namespace runs::ui {

// Arrows stepping the whole number in `buddy` by 1 within lo-hi.
std::unique_ptr<widgets::CNumSpinCtrl> WholeNumberSpin(wxWindow* parent, int id, wxTextCtrl* buddy, double lo,
                                                       double hi);

class CWindGridDialog : public wxDialog {
 public:
  CRun* run;
  int rows = 0, columns = 0;
  std::int64_t cells = 0;
  wxTextCtrl *resolutionEdit = nullptr, *rowsEdit = nullptr, *columnsEdit = nullptr, *cellsEdit = nullptr;

 protected:
  CWindGridDialog(wxWindow* parent, int id, const std::string& title, CRun* run);
  // The counts of the typed resolution; one outside lo-hi (or no area) counts 0 rather than
  // dividing by it.
  void CountCells(int lo, int hi);
  // Counts again when the resolution box loses the focus or `arrows` move it.
  void RecountOn(wxSpinButton* arrows);
  virtual void Recount() = 0;
  // A read-only count, right-aligned.
  wxTextCtrl* CountBox(int id, int width);
  // The read-only note that many cells take a long time.
  wxTextCtrl* LongRunNote(wxSize size);
  // OK, Cancel and Help (opening the help topic) centred under the rest.
  void AddButtons(wxSizer* top, int helpTopic);
};

}  // namespace runs::ui

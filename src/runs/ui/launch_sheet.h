#pragma once
// What both run sheets share: the pages' notebook over the Launch, OK, Cancel and Apply
// buttons, and a three-part status line saying what is missing (or which typed value is
// refused), how many outputs are selected and whether existing outputs are current.
#include <wx/dialog.h>

#include <optional>
#include <string>

#include "runs/run_exec.h"

class CRun;
class wxButton;
class wxNotebook;
class wxSizer;
class wxStatusBar;

namespace runs::ui {

// A typed number the page cannot take: the control, the field's name and the reason.
struct FieldProblem {
  wxWindow* control = nullptr;
  std::string field;
  std::string message;
};

// "<field>: <reason>", as the status line and the messages say it.
std::string ProblemText(const FieldProblem& problem);
// The problem said to the user; with `focus`, its control is given the focus.
void TellProblem(const FieldProblem& problem, bool focus = true);

class CLaunchSheet : public wxDialog {
 public:
  static constexpr int kLaunchId = 1066;
  static constexpr int kApplyId = 12321;
  static constexpr int kStatusId = 102;

  virtual void UpdateStatusBar() = 0;
  // Whether Launch can start while `page` is shown.
  virtual bool CanLaunchFrom(wxWindow* page) = 0;
  virtual void OnOK() = 0;
  virtual void OnApplyNow() = 0;
  virtual void OnLaunch() = 0;
  void OnCancel();

  void EnableLaunch(bool enable);
  std::string StatusText(int part) const;
  // An edit on a page: Apply is offered and the outputs on record are no longer current.
  void NoteChange();
  // As NoteChange, then Launch and the status line judge the pages again.
  void PageEdited(wxWindow* page);

  CRun* run;
  int outputsChanged = 0;
  wxNotebook* book = nullptr;
  wxStatusBar* statusBar = nullptr;
  wxButton* launchButton = nullptr;
  wxButton* applyButton = nullptr;
  // The timing of launches (tests poll faster).
  runs::RunTiming timing;

 protected:
  CLaunchSheet(wxWindow* parent, const std::string& title, CRun* run);
  // The notebook, then the button row (Launch on the left, OK, Cancel and a disabled Apply on
  // the right) and the status line; the buttons call the sheet's handlers. The sizer is the
  // sheet's once FitSheet has set it.
  wxSizer* AddButtonsAndStatus(const char* launchText);
  // Sizes the sheet to what it holds; the three status parts share the width.
  void FitSheet(wxSizer* top);
  // The status line: what stops a launch (a refused value before anything missing), the
  // outputs selected, and whether existing outputs are current.
  void ShowStatus(const std::string& first, int selectedOutputs);
};

}  // namespace runs::ui

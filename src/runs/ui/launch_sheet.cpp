#include "runs/ui/launch_sheet.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>

#include "platform/messages.h"
#include "runs/run_exec_status.h"

namespace runs::ui {

std::string ProblemText(const FieldProblem& problem) { return problem.field + ": " + problem.message; }

void TellProblem(const FieldProblem& problem, bool focus) {
  platform::Tell(ProblemText(problem));
  if (focus && problem.control) problem.control->SetFocus();
}

CLaunchSheet::CLaunchSheet(wxWindow* parent, const std::string& title, CRun* r)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(title), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      run(r) {
  book = new wxNotebook(this, wxID_ANY);
}

wxSizer* CLaunchSheet::AddButtonsAndStatus(const char* launchText) {
  launchButton = new wxButton(this, kLaunchId, launchText);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  auto* cancel = new wxButton(this, wxID_CANCEL, "Cancel");
  applyButton = new wxButton(this, kApplyId, "Apply");
  applyButton->Enable(false);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(launchButton, 0, wxRIGHT, 6);
  buttons->AddStretchSpacer();
  for (wxButton* b : {ok, cancel, applyButton}) buttons->Add(b, 0, wxLEFT, 6);
  statusBar = new wxStatusBar(this, kStatusId, 0);
  statusBar->SetFieldsCount(3);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(book, 1, wxEXPAND | wxALL, 4);
  top->Add(buttons, 0, wxEXPAND | wxALL, 6);
  top->Add(statusBar, 0, wxEXPAND);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyNow(); }, kApplyId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnLaunch(); }, kLaunchId);
  return top;
}

void CLaunchSheet::OnCancel() {
  // Cancel, Escape and the close box: edits not yet applied are asked about first.
  if (applyButton && applyButton->IsEnabled()) {
    const platform::Answer a = platform::AskYesNoCancel("Data has changed. Would you like to save your changes?");
    if (a == platform::Answer::Cancel) return;
    if (a == platform::Answer::Yes) return OnOK();
  }
  EndModal(0);
}

void CLaunchSheet::FitSheet(wxSizer* top) {
  SetSizerAndFit(top);
  const int a = GetSize().GetWidth() / 3;
  const int widths[3] = {a, a, -1};
  statusBar->SetStatusWidths(3, widths);
}

void CLaunchSheet::ShowStatus(const std::string& first, int selectedOutputs) {
  statusBar->SetStatusText(wxString::FromUTF8(first), 0);
  statusBar->SetStatusText(wxString::FromUTF8(runs::SelectedOutputsText(selectedOutputs)), 1);
  statusBar->SetStatusText(wxString::FromUTF8(runs::ExistingOutputsText(*run, outputsChanged != 0)), 2);
}

std::string CLaunchSheet::StatusText(int part) const { return statusBar->GetStatusText(part).utf8_string(); }

void CLaunchSheet::EnableLaunch(bool enable) {
  if (launchButton) launchButton->Enable(enable);
}

void CLaunchSheet::NoteChange() {
  if (applyButton) applyButton->Enable(true);
  outputsChanged = 1;
}

void CLaunchSheet::PageEdited(wxWindow* page) {
  NoteChange();
  EnableLaunch(CanLaunchFrom(page));
  UpdateStatusBar();
}

}  // namespace runs::ui

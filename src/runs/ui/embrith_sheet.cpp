#include "runs/ui/embrith_sheet.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include "engines/embrith_engine.h"
#include "platform/messages.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run_exec_status.h"
#include "runs/ui/run_launch.h"
#include "widgets/up_dialog.h"

namespace runs::ui {

CEmbrithRunSheet::CEmbrithRunSheet(wxWindow* parent, CRun* r)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(" Embrith Run : " + r->name), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      run(r) {
  book = new wxNotebook(this, wxID_ANY);
  inputsPage = new CEmbrithFbInputsPage(book, this, run);
  streamPage = new CEmbrithWxBpPage(book, this, run);
  modelPage = new CEmbrithPage(book, this, run);
  outputsPage = new CEmbrithOutputsPage(book, this, run);
  book->AddPage(inputsPage, "Weather Inputs", true);
  book->AddPage(streamPage, "Weather Stream and Burn Periods");
  book->AddPage(modelPage, "Model Settings");
  book->AddPage(outputsPage, "Outputs");

  launchButton = new wxButton(this, kLaunchId, "Launch Embrith");
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
  // Every page is built now, so the sheet is sized for the largest.
  streamPage->OnSetActive();
  modelPage->OnSetActive();
  outputsPage->OnSetActive();
  SetSizerAndFit(top);
  const int a = GetSize().GetWidth() / 3;
  const int widths[3] = {a, a, -1};
  statusBar->SetStatusWidths(3, widths);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(0); }, wxID_CANCEL);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyNow(); }, kApplyId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnLaunch(); }, kLaunchId);
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CEmbrithRunSheet::OnPageChanging, this);
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CEmbrithRunSheet::OnPageChanged, this);

  outputsChanged = 0;
  EnableLaunch(CanLaunch());
  UpdateStatusBar();
}

void CEmbrithRunSheet::SelectPage(int index) { book->SetSelection(static_cast<size_t>(index)); }

std::string CEmbrithRunSheet::StatusText(int part) const { return statusBar->GetStatusText(part).utf8_string(); }

void CEmbrithRunSheet::OnPageChanging(wxBookCtrlEvent& event) {
  // Leaving the Weather Inputs page copies it into the run, so the others judge what was chosen.
  if (book->GetPage(static_cast<size_t>(event.GetOldSelection())) == inputsPage) {
    inputsPage->Exchange();
    inputsPage->ApplyToRun();
  }
}

void CEmbrithRunSheet::OnPageChanged(wxBookCtrlEvent&) {
  ShowLaunch(true);
  EnableLaunch(CanLaunch());
  UpdateStatusBar();
}

std::optional<FieldProblem> CEmbrithRunSheet::FirstProblem() {
  if (auto p = modelPage->CheckFields()) return p;
  if (auto m = streamPage->BurnPeriodsProblem()) return FieldProblem{streamPage, "Burn Periods", *m};
  return std::nullopt;
}

void CEmbrithRunSheet::UpdateStatusBar() {
  if (!statusBar) return;
  wxBusyCursor wait;
  inputsPage->Exchange();
  runs::EmbrithInputsState state = inputsPage->State();
  state.wxsFile = streamPage->wxsFile;
  state.conditioningStart = streamPage->conditioningStart;
  // A value the pages cannot take comes first: nothing launches until it is put right.
  const std::optional<FieldProblem> problem = FirstProblem();
  statusBar->SetStatusText(
      wxString::FromUTF8(problem ? problem->field + ": " + problem->message : runs::MissingEmbrithInputText(*run, state)),
      0);
  const int n = runs::CountEmbrithOutputs(outputsPage->Selection());
  statusBar->SetStatusText(wxString::FromUTF8(runs::SelectedOutputsText(n)), 1);
  statusBar->SetStatusText(wxString::FromUTF8(runs::ExistingOutputsText(*run, outputsChanged != 0)), 2);
}

bool CEmbrithRunSheet::CanLaunch() {
  inputsPage->Exchange();
  if (!inputsPage->IsReady()) return false;
  if (FirstProblem()) return false;
  return streamPage->IsReady() && modelPage->IsReady() && outputsPage->IsReady();
}

void CEmbrithRunSheet::EnableLaunch(bool enable) {
  if (launchButton) launchButton->Enable(enable);
}

void CEmbrithRunSheet::ShowLaunch(bool show) {
  if (!launchButton) return;
  launchButton->Show(show);
  Layout();
}

void CEmbrithRunSheet::ApplyPages() {
  inputsPage->Exchange();
  inputsPage->ApplyToRun();
  streamPage->ApplyToRun();
  modelPage->ApplyToRun();
  outputsPage->ApplyToRun();
  // The project tree follows the run's name when the views are updated.
  if (run->document) {
    run->document->UpdateAllViews();
    run->document->SetModifiedFlag();
    run->document->RefreshLegendAndPointWindows();
  }
}

void CEmbrithRunSheet::OnOK() {
  // A value the pages cannot take keeps the sheet open with its reason shown.
  if (auto problem = FirstProblem()) {
    platform::Tell(problem->field + ": " + problem->message);
    if (problem->control) problem->control->SetFocus();
    return;
  }
  ApplyPages();
  EndModal(wxID_OK);
}

void CEmbrithRunSheet::OnApplyNow() {
  const std::optional<FieldProblem> problem = FirstProblem();
  if (problem) {
    platform::Tell(problem->field + ": " + problem->message);
  } else {
    ApplyPages();
    applyButton->Enable(false);
  }
  UpdateStatusBar();
  EnableLaunch(CanLaunch());
}

void CEmbrithRunSheet::OnLaunch() {
  OnApplyNow();
  if (!CanLaunch()) return;
  if (run->CheckFuelMoistures() == -1) return;
  if (!run->CheckLandscapeFuelMoistures() || !run->CheckCustomFuelModels()) return;
  wxBusyCursor wait;
  Enable(false);
  // Every output of a fire growth goes with a new launch.
  run->fireBehaviorUpToDate = false;
  run->RemoveStaleOutputs();
  if (run->document) run->document->ClearOtherRunsShownFlags(run);
  LaunchEmbrithRun(this, *run, timing);
  outputsChanged = 0;
  UpdateStatusBar();
  Enable(true);
  EnableLaunch(CanLaunch());
}

int EditEmbrithRunProperties(wxWindow* parent, CRun& run) {
  CEmbrithRunSheet sheet(parent, &run);
  return sheet.ShowModal();
}

bool LaunchEmbrithRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing) {
  runs::EmbrithLaunch launch;
  launch.run = &run;
  launch.timing = timing;
  runs::RunLogFacts facts;
  if (CPVN4Doc* doc = run.document) {
    launch.landscapeFile = doc->landscape.path;
    facts.landscapeFile = doc->landscape.path;
    facts.landscapeResolution = doc->landscape.header.cellWidth;
  }
  run.embrithEngine = std::make_unique<CEmbrith>();
  launch.engine = run.embrithEngine.get();
  auto work = [&launch](widgets::UPDialogWorkerBlock* block) {
    WorkerBlockProgress progress(*block);
    launch.progress = &progress;
    const bool ok = runs::LaunchEmbrithThreads(launch);
    launch.progress = nullptr;
    return ok;
  };
  {
    widgets::CUPDialog dialog(parent, work, &run, "Embrith Progress...", true);
    dialog.DoModal();
  }
  facts.completed = runs::RunLogTimestamp();
  const bool succeeded = launch.succeeded;
  if (succeeded) {
    wxBusyCursor wait;
    runs::CreateEmbrithOutputThemes(run, *run.embrithEngine, facts, launch.seconds, launch.stopped);
    run.fireBehaviorUpToDate = true;
  }
  run.embrithEngine.reset();
  if (CPVN4Doc* doc = run.document) {
    doc->UpdateAllViews();
    doc->RefreshLegendAndPointWindows();
    doc->SetModifiedFlag();
  }
  return succeeded;
}

}  // namespace runs::ui

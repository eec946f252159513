#include "runs/ui/embrith_sheet.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include "engines/embrith_engine.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run_exec_status.h"
#include "runs/ui/run_launch.h"
#include "widgets/up_dialog.h"

namespace runs::ui {

CEmbrithRunSheet::CEmbrithRunSheet(wxWindow* parent, CRun* r) : CLaunchSheet(parent, " Embrith Run : " + r->name, r) {
  inputsPage = new CEmbrithFbInputsPage(book, this, run);
  streamPage = new CEmbrithWxBpPage(book, this, run);
  modelPage = new CEmbrithPage(book, this, run);
  outputsPage = new CEmbrithOutputsPage(book, this, run);
  book->AddPage(inputsPage, "Weather Inputs", true);
  book->AddPage(streamPage, "Weather Stream and Burn Periods");
  book->AddPage(modelPage, "Model Settings");
  book->AddPage(outputsPage, "Outputs");

  wxSizer* top = AddButtonsAndStatus("Launch Embrith");
  // Every page is built now, so the sheet is sized for the largest.
  streamPage->OnSetActive();
  modelPage->OnSetActive();
  outputsPage->OnSetActive();
  FitSheet(top);

  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CEmbrithRunSheet::OnPageChanging, this);
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CEmbrithRunSheet::OnPageChanged, this);

  outputsChanged = 0;
  EnableLaunch(CanLaunch());
  UpdateStatusBar();
}

void CEmbrithRunSheet::SelectPage(int index) { book->SetSelection(static_cast<size_t>(index)); }

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
  state.crownFireMethod = modelPage->crownCombo->GetSelection();
  state.hasIgnitions = !modelPage->ignitionFile.empty() && run->embrithIgnitions;
  state.burnPeriods = static_cast<std::size_t>(streamPage->grid.GetRowCount());
  // A value the pages cannot take comes first: nothing launches until it is put right.
  const std::optional<FieldProblem> problem = FirstProblem();
  ShowStatus(problem ? ProblemText(*problem) : runs::MissingEmbrithInputText(*run, state),
             runs::CountEmbrithOutputs(outputsPage->Selection()));
}

bool CEmbrithRunSheet::CanLaunch() {
  inputsPage->Exchange();
  if (!inputsPage->IsReady()) return false;
  if (FirstProblem()) return false;
  return streamPage->IsReady() && modelPage->IsReady() && outputsPage->IsReady();
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
  // The caption and the project tree follow the run's name.
  SetTitle(wxString::FromUTF8(" Embrith Run : " + run->name));
  if (run->document) {
    run->document->UpdateAllViews();
    run->document->SetModifiedFlag();
    run->document->RefreshLegendAndPointWindows();
  }
}

void CEmbrithRunSheet::OnOK() {
  // A value the pages cannot take keeps the sheet open with its reason shown.
  if (auto problem = FirstProblem()) {
    TellProblem(*problem);
    return;
  }
  ApplyPages();
  EndModal(wxID_OK);
}

void CEmbrithRunSheet::OnApplyNow() {
  const std::optional<FieldProblem> problem = FirstProblem();
  if (problem) {
    TellProblem(*problem, false);
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

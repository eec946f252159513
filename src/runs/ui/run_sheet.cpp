#include "runs/ui/run_sheet.h"

#include <wx/button.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>

#include <algorithm>

#include "platform/messages.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run_exec_status.h"
#include "runs/ui/run_launch.h"

namespace runs::ui {

CRunSheet::CRunSheet(wxWindow* parent, CRun* r) : CLaunchSheet(parent, "Run : " + r->name, r) {
  inputsPage = new CRunInputsPage(book, this, run);
  outputsPage = new CRunOutputsPage(book, this, run);
  book->AddPage(inputsPage, "Inputs", true);
  book->AddPage(outputsPage, "Fire Behavior Options");
  mttPage = new CPathweaverPage(book, this, run);
  book->AddPage(mttPage, "Minimum Travel Time");
  treatPage = new CTreatPage(book, this, run);
  book->AddPage(treatPage, "Treatment Optimization Model");

  FitSheet(AddButtonsAndStatus("Launch"));
  EnableLaunch(false);
  ShowLaunch(false);

  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CRunSheet::OnPageChanging, this);
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CRunSheet::OnPageChanged, this);

  outputsChanged = 0;
  UpdateStatusBar();
}

wxWindow* CRunSheet::ActivePage() const { return book->GetCurrentPage(); }

void CRunSheet::SelectPage(int index) {
  // As a click on the tab: the page left is applied first, and a refusal keeps it.
  book->SetSelection(static_cast<size_t>(index));
  if (revertTo_ >= 0) {
    book->ChangeSelection(static_cast<size_t>(revertTo_));
    revertTo_ = -1;
  }
}

void CRunSheet::OnPageChanging(wxBookCtrlEvent& event) {
  revertTo_ = -1;
  // Leaving a page copies it into the run, so the other pages judge what was chosen.
  wxWindow* leaving = book->GetPage(static_cast<size_t>(event.GetOldSelection()));
  if (leaving == inputsPage) {
    if (!inputsPage->Exchange()) {
      event.Veto();
      revertTo_ = event.GetOldSelection();
      return;
    }
    inputsPage->ApplyToRun();
  } else if (leaving == outputsPage && outputsPage->IsCreated()) {
    if (!outputsPage->Exchange()) {
      event.Veto();
      revertTo_ = event.GetOldSelection();
      return;
    }
    outputsPage->ApplyToRun();
  } else if (leaving == mttPage) {
    if (!mttPage->Exchange()) {
      event.Veto();
      revertTo_ = event.GetOldSelection();
      return;
    }
    mttPage->ApplyToRun();
  } else if (leaving == treatPage) {
    if (!treatPage->Exchange()) {
      event.Veto();
      revertTo_ = event.GetOldSelection();
      return;
    }
    treatPage->ApplyToRun();
  }
}

void CRunSheet::OnPageChanged(wxBookCtrlEvent& event) {
  // The toolkit may switch a page programmatically even when the change was refused.
  if (revertTo_ >= 0) {
    const int back = revertTo_;
    revertTo_ = -1;
    book->ChangeSelection(static_cast<size_t>(back));
    return;
  }
  OnPageChangedTo(event.GetSelection());
}

void CRunSheet::OnPageChangedTo(int index) {
  wxWindow* page = book->GetPage(static_cast<size_t>(index));
  if (page == inputsPage) {
    SetLaunchText("Launch");
    EnableLaunch(false);
    ShowLaunch(false);
  } else if (page == outputsPage) {
    outputsPage->OnSetActive();
  } else if (page == mttPage) {
    mttPage->OnSetActive();
  } else if (page == treatPage) {
    treatPage->OnSetActive();
  }
  GrowToFit();
  UpdateStatusBar();
}

void CRunSheet::GrowToFit() {
  // Pages are built when first shown: the sheet grows to hold the largest one so far, so
  // no control is squeezed out of sight.
  for (size_t i = 0; i < book->GetPageCount(); ++i) book->GetPage(i)->InvalidateBestSize();
  book->InvalidateBestSize();
  const wxSize need = GetSizer()->ComputeFittingWindowSize(this);
  const wxSize now = GetSize();
  if (need.x > now.x || need.y > now.y) SetSize(wxSize(std::max(need.x, now.x), std::max(need.y, now.y)));
  Layout();
}

void CRunSheet::UpdateStatusBar() {
  if (!statusBar || !inputsPage) return;
  const runs::InputsState state = inputsPage->State();
  // A value the pages cannot take comes first: nothing launches until it is put right.
  std::optional<FieldProblem> problem = inputsPage->CheckFields();
  if (!problem && outputsPage && outputsPage->IsCreated()) problem = outputsPage->CheckFields();
  if (!problem && mttPage) problem = mttPage->CheckFields();
  if (!problem && treatPage) problem = treatPage->CheckFields();
  const bool fromPage = outputsPage && outputsPage->IsCreated();
  const CRunOutputs& selection = fromPage ? outputsPage->selection : run->outputs;
  ShowStatus(problem ? ProblemText(*problem) : runs::MissingInputText(*run, state),
             runs::CountSelectedOutputs(selection, fromPage, state.fixedFuelMoistures,
                                        mttPage ? mttPage->Selection() : run->mtt,
                                        treatPage ? treatPage->Selection() : run->tom));
}

bool CRunSheet::CanLaunch(wxWindow* page) {
  if (!inputsPage || !inputsPage->Exchange(false)) return false;
  if (outputsPage->IsCreated() && !outputsPage->Exchange(false)) return false;
  if (!inputsPage->IsReady()) return false;
  const bool outputsReady = outputsPage->IsCreated() ? outputsPage->IsReady() : run->outputs.HasOutputs();
  if (page && page == mttPage) return mttPage->Exchange(false) && mttPage->IsReady();
  if (page && page == treatPage) return treatPage->Exchange(false) && treatPage->IsReady();
  return page && page == outputsPage && outputsReady;
}

bool CRunSheet::CheckFuelModels() {
  if (run->CheckFuelMoistures() == -1) return false;
  return run->CheckLandscapeFuelMoistures() && run->CheckCustomFuelModels();
}

void CRunSheet::ShowLaunch(bool show) {
  if (!launchButton) return;
  launchButton->Show(show);
  FitLaunch();
}

void CRunSheet::SetLaunchText(const std::string& text) {
  if (!launchButton) return;
  launchButton->SetLabel(wxString::FromUTF8(text));
  FitLaunch();
}

void CRunSheet::FitLaunch() {
  // A longer caption widens the button rather than being cut; a hidden button's size is
  // stale, so it is measured again once shown.
  launchButton->InvalidateBestSize();
  launchButton->SetMinSize(wxDefaultSize);
  if (launchButton->IsShown()) launchButton->SetMinSize(launchButton->GetBestSize());
  Layout();
}

void CRunSheet::RenameTreeItem() {
  // The caption and the project tree follow the run's name.
  SetTitle(wxString::FromUTF8("Run : " + run->name));
  if (run->document) {
    run->document->UpdateAllViews();
    run->document->SetModifiedFlag();
  }
}

bool CRunSheet::ExchangePages() {
  return inputsPage->Exchange() && (!outputsPage->IsCreated() || outputsPage->Exchange()) && mttPage->Exchange() &&
         treatPage->Exchange();
}

void CRunSheet::OnOK() {
  // A value the pages cannot take keeps the sheet open with its reason shown.
  if (!ExchangePages()) return;
  inputsPage->ApplyToRun();
  if (outputsPage->IsCreated()) outputsPage->ApplyToRun();
  mttPage->ApplyToRun();
  treatPage->ApplyToRun();
  RenameTreeItem();
  if (run->document) run->document->RefreshLegendAndPointWindows();
  EndModal(wxID_OK);
}

void CRunSheet::OnApplyNow() {
  if (inputsPage->Exchange()) inputsPage->ApplyToRun();
  if (outputsPage->IsCreated() && outputsPage->Exchange()) outputsPage->ApplyToRun();
  if (mttPage->Exchange()) mttPage->ApplyToRun();
  if (treatPage->Exchange()) treatPage->ApplyToRun();
  RenameTreeItem();
  UpdateStatusBar();
  EnableLaunch(ActivePage() == inputsPage ? false : CanLaunch(ActivePage()));
  applyButton->Enable(false);
  if (run->document) run->document->RefreshLegendAndPointWindows();
}

void CRunSheet::OnLaunch() {
  const bool tom = ActivePage() == treatPage;
  const bool mtt = ActivePage() == mttPage;
  if (!ExchangePages()) return;
  if (mtt || tom) {
    OnApplyNow();
    if (!CanLaunch(ActivePage())) return;
  } else {
    if (!CanLaunch(ActivePage())) return;
    OnApplyNow();
  }
  if (!run->fireBehaviorUpToDate) {
    run->mttUpToDate = run->tomUpToDate1 = run->tomUpToDate2 = false;
  } else if (!(run->tom.IsReady() && (!run->tomUpToDate1 || !run->tomUpToDate2)) &&
             !(run->mtt.IsReady() && !run->mttUpToDate)) {
    platform::Tell("All outputs up to date.");
    return;
  }
  if (!CheckFuelModels()) return;
  run->UpdateOutputState();
  wxBusyCursor wait;
  Enable(false);
  // The gridded winds need be no finer than the travel-time grid.
  const double resolution = tom ? run->tom.resolution : mtt ? run->mtt.resolution : 0;
  if (run->inputs.griddedWindsResolution < resolution)
    run->inputs.griddedWindsResolution = static_cast<int>(resolution);
  if (mtt || tom) {
    // Travel-time and treatment runs compute the fire behaviour again at their own resolution
    // and replace those outputs.
    run->fireBehaviorUpToDate = false;
    run->RemoveStaleOutputs();
    if (run->document) run->document->ClearOtherRunsShownFlags(run);
    if (tom)
      LaunchTOMRun(this, *run, timing);
    else
      LaunchMTTRun(this, *run, timing);
  } else {
    run->RemoveStaleOutputs();
    if (run->document) run->document->ClearOtherRunsShownFlags(run);
    LaunchBasicRun(this, *run, timing);
  }
  if (run->document) run->document->RefreshLegendAndPointWindows();
  outputsChanged = 0;
  UpdateStatusBar();
  Enable(true);
  EnableLaunch(CanLaunch(ActivePage()));
}

int EditRunProperties(wxWindow* parent, CRun& run) {
  CRunSheet sheet(parent, &run);
  return sheet.ShowModal();
}

}  // namespace runs::ui

#include "runs/ui/run_launch.h"

#include <wx/utils.h>

#include "engines/mtt_engine.h"
#include "engines/pyrvane.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_burnprob.h"
#include "runs/run_mtt.h"
#include "runs/run_outputs.h"
#include "runs/run_tom.h"
#include "widgets/up_dialog.h"

namespace runs::ui {

bool WorkerBlockProgress::IsWindow() const { return block_.dialog.IsWindow(); }
bool WorkerBlockProgress::StopRequested() const { return block_.terminateRequested; }
void WorkerBlockProgress::PostText(const std::string& text) { block_.dialog.SetText(text); }
void WorkerBlockProgress::PostPosition(int percent) { block_.dialog.SetPos(percent); }
void WorkerBlockProgress::PostRange(int upper) { block_.dialog.SetRange(upper); }
void WorkerBlockProgress::PostCompletion(int success) { block_.dialog.Complete(success); }
void WorkerBlockProgress::SetDone(bool done) { block_.done = done; }

namespace {

// The landscape and area facts a launch and its run log need.
void TakeFacts(CRun& run, runs::RunLogFacts& facts, runs::RunGeometry& g) {
  if (CPVN4Doc* doc = run.document) {
    facts.landscapeFile = doc->landscape.path;
    facts.landscapeResolution = doc->landscape.header.cellWidth;
    doc->GetCellSize(&g.cellWidth, &g.cellHeight);
  }
  if (run.host) run.host->AreaExtent(g.east, g.west, g.north, g.south);
}

void RefreshDocument(CRun& run) {
  if (CPVN4Doc* doc = run.document) {
    doc->UpdateAllViews();
    doc->RefreshLegendAndPointWindows();
    doc->SetModifiedFlag();
  }
}

}  // namespace

bool LaunchBasicRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing) {
  CPVN4Doc* doc = run.document;
  runs::PyrvaneLaunch launch;
  launch.run = &run;
  launch.timing = timing;
  runs::RunLogFacts facts;
  TakeFacts(run, facts, launch.geometry);
  // The engine outlives the dialog's worker, which the dialog joins before it returns.
  CPyrvane engine;
  engine.SetUseDiskForLCP(0);
  if (doc) engine.SetLandscapeFile(doc->landscape.path.c_str());
  engine.ResetPyrvaneProgress();
  auto wrapped = runs::WrapPyrvane(engine);
  launch.engine = wrapped.get();
  run.pyrvane = &engine;

  auto work = [&launch](widgets::UPDialogWorkerBlock* block) {
    WorkerBlockProgress progress(*block);
    launch.progress = &progress;
    const bool ok = runs::LaunchPyrvaneThreads(launch);
    launch.progress = nullptr;
    return ok;
  };
  {
    widgets::CUPDialog dialog(parent, work, &run, "Pyrvane Progress...", true);
    dialog.DoModal();
  }
  run.pyrvane = nullptr;

  facts.completed = runs::RunLogTimestamp();
  const bool succeeded = launch.result.succeeded;
  if (succeeded) {
    wxBusyCursor wait;
    runs::CreatePyrvaneOutputThemes(run, launch.result, facts);
    run.fireBehaviorUpToDate = true;
  }
  RefreshDocument(run);
  return succeeded;
}

namespace {

// A travel-time launch of either kind under the progress dialog, its outputs made on this
// thread once the dialog has closed.
template <class Launch>
bool RunTravelTimeDialog(wxWindow* parent, CRun& run, const runs::RunTiming& timing, Launch& launch,
                         bool (*threads)(Launch&), int (*outputs)(CRun&, decltype(Launch::result)&, const runs::RunLogFacts&)) {
  launch.run = &run;
  launch.timing = timing;
  runs::RunLogFacts facts;
  TakeFacts(run, facts, launch.geometry);
  if (run.document) launch.landscapeFile = run.document->landscape.path;
  auto work = [&launch, threads](widgets::UPDialogWorkerBlock* block) {
    WorkerBlockProgress progress(*block);
    launch.progress = &progress;
    const bool ok = threads(launch);
    launch.progress = nullptr;
    return ok;
  };
  {
    widgets::CUPDialog dialog(parent, work, &run, "Pyrvane Progress...", true);
    dialog.DoModal();
  }
  facts.completed = runs::RunLogTimestamp();
  const bool succeeded = launch.result.succeeded;
  if (succeeded) {
    wxBusyCursor wait;
    outputs(run, launch.result, facts);
  }
  return succeeded;
}

}  // namespace

bool LaunchMTTRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing) {
  bool succeeded = false;
  if (run.mtt.ignitionSource != 0) {
    // Random ignitions and fire lists: quick fires over one fire-behaviour computation.
    runs::BurnProbabilityLaunch launch;
    succeeded = RunTravelTimeDialog(parent, run, timing, launch, &runs::LaunchBurnProbabilityThreads,
                                    &runs::CreateBurnProbabilityThemes);
  } else {
    runs::MttLaunch launch;
    run.mttEngine = std::make_unique<CMinTravelTime>();
    launch.engine = run.mttEngine.get();
    succeeded = RunTravelTimeDialog(parent, run, timing, launch, &runs::LaunchMTTThreads, &runs::CreateMTTOutputThemes);
  }
  run.mttEngine.reset();
  // The run's fire-behaviour outputs are now those of the travel-time grid; treatment outputs
  // went with the stale ones.
  if (succeeded) {
    run.fireBehaviorUpToDate = run.mttUpToDate = true;
    run.tomUpToDate1 = run.tomUpToDate2 = false;
  }
  RefreshDocument(run);
  return succeeded;
}

bool LaunchTOMRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing) {
  runs::TomLaunch launch;
  run.mttEngine = std::make_unique<CMinTravelTime>();
  launch.engine = run.mttEngine.get();
  const bool succeeded = RunTravelTimeDialog(parent, run, timing, launch, &runs::LaunchTOMThreads,
                                             &runs::CreateTOMOutputThemes);
  run.mttEngine.reset();
  if (succeeded) {
    run.fireBehaviorUpToDate = run.tomUpToDate1 = run.tomUpToDate2 = true;
    run.mttUpToDate = false;
  }
  RefreshDocument(run);
  return succeeded;
}

}  // namespace runs::ui

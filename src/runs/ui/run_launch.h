#pragma once
// A fire-behaviour launch behind the threaded progress dialog: the engine lives from just
// before the dialog to just after it; the outputs the run thread collected become themes,
// legends and the run log here, on the UI thread.
#include "runs/run_exec.h"

class wxWindow;
class CRun;

namespace widgets {
struct UPDialogWorkerBlock;
}

namespace runs::ui {

// The run threads' view of the dialog's worker block.
class WorkerBlockProgress : public runs::RunProgress {
 public:
  explicit WorkerBlockProgress(widgets::UPDialogWorkerBlock& block) : block_(block) {}
  bool IsWindow() const override;
  bool StopRequested() const override;
  void PostText(const std::string& text) override;
  void PostPosition(int percent) override;
  void PostRange(int upper) override;
  void PostCompletion(int success) override;
  void SetDone(bool done) override;

 private:
  widgets::UPDialogWorkerBlock& block_;
};

// Runs the dialog ("Pyrvane Progress...") over a basic launch and builds the outputs.
// Returns true when the run produced its outputs.
bool LaunchBasicRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing = {});

// The same for a minimum-travel-time run: from the run's ignition file (the engine exists from
// just before the dialog to just after it), or from random ignitions or a fire list (burn
// probability).
bool LaunchMTTRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing = {});

// The same for a treatment-optimisation run.
bool LaunchTOMRun(wxWindow* parent, CRun& run, const runs::RunTiming& timing = {});

}  // namespace runs::ui

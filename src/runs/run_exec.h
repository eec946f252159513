#pragma once
// A fire-behaviour launch: the work function starts a monitor thread that polls the
// engine's progress and a run thread that drives the engine; both report to the progress
// dialog only through RunProgress (posted texts and positions, atomic flags). The run
// thread touches neither the document nor a window: it collects the outputs, which the UI
// thread turns into themes once the launch is over.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "runs/run_outputs.h"

class CPyrvane;
class CRun;

namespace runs {

// The progress dialog as the run's threads see it. Every call is safe from any thread.
class RunProgress {
 public:
  virtual ~RunProgress() = default;
  virtual bool IsWindow() const = 0;
  virtual bool StopRequested() const = 0;
  virtual void PostText(const std::string& text) = 0;
  virtual void PostPosition(int percent) = 0;
  // The bar's upper bound; the positions that follow count up to it instead of to 100.
  virtual void PostRange(int upper) = 0;
  virtual void PostCompletion(int success) = 0;
  virtual void SetDone(bool done) = 0;
};

// A stopped run is no success: it says so ("Cancelled") and completes with 0.
bool CancelledRun(RunProgress& progress);

// Status text and position, sent only while the window exists and no stop is requested.
void SendRunStatus(RunProgress& progress, const std::string& text);
void SendRunPosition(RunProgress& progress, int percent);
void SendRunRange(RunProgress& progress, int upper);
// A count of rows on the progress bar, whose range holds at most 65535 steps: above that, a
// step stands for several rows, and the last row still fills the bar.
struct RowsOnBar {
  static constexpr int kMostSteps = 65535;
  explicit RowsOnBar(int rows) : per(std::max(1, (rows + kMostSteps - 1) / kMostSteps)), range((std::max(rows, 0) + per - 1) / per) {}
  int Position(int done) const { return (done + per - 1) / per; }
  int per, range;
};
// Waits up to the interval, in short slices, so that a stop or the end of the run (when
// runFinished is given) is seen at once rather than a second later.
void Pause(std::chrono::milliseconds interval, const RunProgress& progress,
           const std::atomic<bool>* runFinished);
// A failed run's ending: the message (unless the user stopped the run), the status text, done
// cleared and a completion of 0.
bool FailRun(RunProgress& progress, const std::string& message, const std::string& status);
// A fraction 0..1 as a percent, truncated towards zero (never negative).
int PercentOf(double fraction);

// The run thread's first step: the inputs file written by `write` and read back into `text`
// for the run log, then the settling pause. The path, or empty when either failed.
std::string WriteInputsAndSettle(const std::function<bool(std::string&)>& write, std::string& text,
                                 const RunProgress& progress, std::chrono::milliseconds settle);
// A launch's two threads: `monitor` (told when the run has ended) beside `body`, both waited
// for, with `block` as the run's thread block meanwhile. An exception from the body, or a run
// thread that cannot start, goes to `fail`.
bool RunLaunchThreads(CRun& run, void* block,
                      const std::function<void(const std::atomic<bool>& runFinished)>& monitor,
                      const std::function<void()>& body,
                      const std::function<bool(const std::string& message)>& fail);

// The fire-behaviour engine as the launch uses it (the real engine or a stand-in).
class FireBehaviorEngine {
 public:
  virtual ~FireBehaviorEngine() = default;
  virtual int GetRunState() const = 0;
  virtual double QueryProgress() const = 0;
  virtual double GustforgeProgress() const = 0;
  virtual double ConditioningProgress() const = 0;
  virtual double FireBehaviorProgress() const = 0;
  virtual void Cancel() = 0;
  virtual void SetAnalysisArea(double east, double west, double north, double south) = 0;
  virtual int CommandFileLoad(const std::string& path) = 0;
  virtual int Launch() = 0;
  virtual std::string CommandFileError(int code) = 0;
  // Null when the engine has no grid for that output.
  virtual const float* GetOutputLayer(int index) = 0;
  virtual int Rows() const = 0;
  virtual int Columns() const = 0;
  virtual double South() const = 0;
  virtual double West() const = 0;
  virtual int WindRows() const = 0;
  virtual int WindColumns() const = 0;
  virtual int WindResolution() const = 0;
  virtual void WindCorner(double& west, double& south) const = 0;
  // Run-log lines about cells the launch could not take as they stand (empty when none).
  virtual std::string CellNotes() const { return {}; }
};

// The real engine behind the interface (not owned).
std::unique_ptr<FireBehaviorEngine> WrapPyrvane(CPyrvane& engine);

struct RunTiming {
  std::chrono::milliseconds poll{1000};    // monitor polling interval
  std::chrono::milliseconds settle{1000};  // pause after the inputs file is written
};

// Where the run's outputs lie: the analysis area and the landscape's cell size.
struct RunGeometry {
  double east = 0, west = 0, north = 0, south = 0;
  double cellWidth = 0, cellHeight = 0;
};

// Shared by the two threads of one launch.
struct PyrvaneLaunch {
  CRun* run = nullptr;
  FireBehaviorEngine* engine = nullptr;
  RunProgress* progress = nullptr;
  RunGeometry geometry;
  RunTiming timing;
  PyrvaneRunResult result;
};

// The monitor: status on each phase change, positions, cancel of the engine on a stop.
int PyrvaneMonitorThread(PyrvaneLaunch& launch, const std::atomic<bool>& runFinished);
// The run: inputs file, engine load and launch, output collection. Every failure shows
// its message, posts "Unable to run Pyrvane" and a completion of 0.
bool RunPyrvane(PyrvaneLaunch& launch);
// The work function: starts monitor and run threads and waits for both.
bool LaunchPyrvaneThreads(PyrvaneLaunch& launch);

}  // namespace runs

#pragma once
// A minimum-travel-time launch from an ignition file: a monitor thread follows the inner
// fire-behaviour engine's phases and then the travel-time search; a run thread writes the
// inputs file, drives the engine and copies its outputs. As for fire-behaviour runs, the run
// thread touches neither the document nor a window: the UI thread turns the collected
// outputs into themes, tables and the run log once the launch is over.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "runs/run_exec.h"
#include "runs/run_outputs.h"

class CMinTravelTime;
class CPyrvane;
class CRun;
class CVectorTheme;

namespace runs {

// The dialog as both threads of one launch see it: once the completion is posted, a monitor's
// late text or position is dropped, so the dialog's last word is the run's.
class CompletionLast : public RunProgress {
 public:
  explicit CompletionLast(RunProgress& to) : to_(to) {}
  bool IsWindow() const override { return to_.IsWindow(); }
  bool StopRequested() const override { return to_.StopRequested(); }
  void PostText(const std::string& text) override {
    std::lock_guard hold(lock_);
    if (!completed_) to_.PostText(text);
  }
  void PostPosition(int percent) override {
    std::lock_guard hold(lock_);
    if (completed_) return;
    position_ = percent;
    to_.PostPosition(percent);
  }
  void PostRange(int upper) override {
    std::lock_guard hold(lock_);
    if (completed_) return;
    upper_ = upper;
    to_.PostRange(upper);
  }
  // A run that succeeds ends with its bar full beside "Execution complete", whatever the
  // monitor last saw.
  void PostCompletion(int success) override {
    std::lock_guard hold(lock_);
    if (!completed_ && success && position_ != upper_ && to_.IsWindow() && !to_.StopRequested())
      to_.PostPosition(upper_);
    completed_ = true;
    to_.PostCompletion(success);
  }
  void SetDone(bool done) override { to_.SetDone(done); }

 private:
  RunProgress& to_;
  std::mutex lock_;
  bool completed_ = false;
  int upper_ = 100;
  int position_ = -1;  // the last position posted
};

// The work function of a travel-time launch: "Initializing..", then the monitor beside the
// run, both seeing the dialog through CompletionLast; a run that cannot start fails with
// `failStatus`.
template <class Launch, class Monitor, class Body>
bool RunTravelTimeThreads(Launch& launch, Monitor monitor, Body body,
                          const char* failStatus = "Unable to run MTT") {
  RunProgress* dialog = launch.progress;
  CompletionLast ordered(*dialog);
  launch.progress = &ordered;
  SendRunStatus(ordered, "Initializing..");
  SendRunPosition(ordered, 0);
  const bool ran = RunLaunchThreads(
      *launch.run, &launch, [&](const std::atomic<bool>& runFinished) { monitor(launch, runFinished); },
      [&] { body(launch); },
      [&](const std::string& message) { return FailRun(ordered, message, failStatus); });
  launch.progress = dialog;
  return ran;
}

// A grid of the travel-time engine, with its name and layer type.
struct MttGrid {
  std::string name;
  int layerType = 0;
  double south = 0, west = 0, cell = 0;
  int rows = 0, columns = 0;
  std::vector<double> cells;
};

using TravelPath = std::vector<std::pair<double, double>>;

// The engine's major (or flow) paths in map units. Paths of fewer than minPoints points are
// left out; those of one point are counted in leftOut.
template <class Engine>
std::vector<TravelPath> CollectTravelPaths(const Engine& e, bool major, long minPoints, int& leftOut) {
  std::vector<TravelPath> out;
  const long count = major ? e.GetNumMajorVecs() : e.GetNumFlowVecs();
  for (long p = 0; p < count; ++p) {
    const long n = major ? e.GetNumMajorVecPoints(p) : e.GetNumFlowVecPoints(p);
    if (n < minPoints || n < 1) {
      leftOut += n == 1;
      continue;
    }
    TravelPath path;
    for (long i = 0; i < n; ++i)
      path.emplace_back(major ? e.GetMajorVecPointX(p, i) : e.GetFlowVecPointX(p, i),
                        major ? e.GetMajorVecPointY(p, i) : e.GetFlowVecPointY(p, i));
    out.push_back(std::move(path));
  }
  return out;
}

struct MttRunResult {
  bool succeeded = false;
  double seconds = 0;
  std::string inputsFileText;
  std::string cellNotes;                 // the fire-behaviour engine's lines about its cells
  std::vector<OutputGrid> fireBehavior;  // as a basic run's, on the travel-time grid
  std::vector<MttGrid> grids;            // in the order their themes are made
  MttGrid arrivalForContour;             // the arrival times, when their contour is wanted
  std::vector<TravelPath> majorPaths, flowPaths;  // paths of two points or more
  int majorPathsLeftOut = 0, flowPathsLeftOut = 0;  // paths of a single point
  struct Ember {
    double launchX, launchY, landX, landY, launchTime, landTime;
  };
  std::vector<Ember> embers;
  bool hasEmberList = false;
  std::string emberList;
  int seed = 0;
  bool stoppedWhileCollecting = false;
  double east = 0, west = 0, north = 0, south = 0;  // the analysis area, bounds of the paths
};

struct MttLaunch {
  CRun* run = nullptr;
  CMinTravelTime* engine = nullptr;  // created with the launch, so the monitor finds its inner engine
  RunProgress* progress = nullptr;
  std::string landscapeFile;
  RunGeometry geometry;  // the analysis area
  RunTiming timing;
  MttRunResult result;
};

// The fire-behaviour grids of the run's choices from a finished engine, on its own grid.
std::vector<OutputGrid> CollectFireBehaviorGrids(const CRun& run, CPyrvane& engine);

// The monitor of a travel-time engine: the inner engine's phases, then `running` with the
// search's progress; a stop cancels the engine.
int TravelTimeMonitor(RunProgress& progress, CMinTravelTime& engine, const RunTiming& timing,
                      const std::atomic<bool>& runFinished, const char* running);
// The MTT monitor: "Running MTT..." for the search.
int MTTMonitorThread(MttLaunch& launch, const std::atomic<bool>& runFinished);
// The run. Every ending posts a completion: 1 with the outputs collected, 0 after a failure
// (its message shown, "Unable to run MTT") or a cancel.
bool RunMTT(MttLaunch& launch);
// The work function: monitor and run threads, waited for.
bool LaunchMTTThreads(MttLaunch& launch);

// The engine's ember list, written to a scratch file of the working folder and read back; a
// failure is said (naming the folder) and gives false.
bool CopyEmberList(CMinTravelTime& engine, std::string& text);

// On the UI thread, for travel-time and treatment runs alike: raster themes with legends from
// the collected grids (one the theme cannot take is said); returns the themes made.
int AddTravelTimeGrids(CRun& run, std::vector<MttGrid>& grids);
// A vector theme of the paths in the run's slot (replacing the one there), drawn by the
// document and bounded by the analysis area; with no path, `whyNone` is said instead.
void AddTravelPaths(CRun& run, const std::vector<TravelPath>& paths, const RunGeometry& area, const char* name,
                    std::uint32_t color, int width, CVectorTheme*& slot, const std::string& whyNone);
// The arrival contour (named after the grid) at a tenth of the arrival times' range, in the
// run's contour slot; said when it cannot be made. The grid's cells are released.
void AddArrivalContour(CRun& run, MttGrid& arrival);

// On the UI thread: the fire-behaviour themes of the run's choices, the MTT rasters, travel
// paths, ember locations and the ember list of its MTT choices, and the run log with its tags and spotting seed (kept
// only when the run was not stopped while collecting). A selected theme that cannot be made
// (no path of two points, arrival times all equal) is said. Returns the themes made.
int CreateMTTOutputThemes(CRun& run, MttRunResult& result, const RunLogFacts& facts);

// The MTT run log: the basic log's head under the MTT title, the MTT inputs file, the tags of
// the selected outputs and the spotting seed.
std::string BuildMTTRunLog(const CRun& run, const RunLogFacts& facts, const MttRunResult& result);

}  // namespace runs

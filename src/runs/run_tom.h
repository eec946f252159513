#pragma once
// A treatment-optimisation launch: the travel-time engine's monitor ("Running TOM..." for the
// optimisation) beside a run thread that writes the inputs file with its treatment keys,
// drives the engine and copies its outputs. The UI thread turns them into themes and the run
// log once the launch is over; the run thread touches neither the document nor a window.
#include <atomic>
#include <string>
#include <vector>

#include "runs/run.h"
#include "runs/run_exec.h"
#include "runs/run_mtt.h"
#include "runs/run_outputs.h"

class CMinTravelTime;

namespace runs {

struct TomRunResult {
  bool succeeded = false;
  double seconds = 0;
  std::string inputsFileText;            // the fire-behaviour part of the inputs file, for the log
  std::string cellNotes;                 // the fire-behaviour engine's lines about its cells
  std::vector<OutputGrid> fireBehavior;  // anchored at the analysis area's south-west corner
  std::vector<MttGrid> grids;            // likewise, in the order their themes are made
  MttGrid arrivalForContour;
  std::vector<TravelPath> majorPaths, flowPaths;  // every path with a point
  bool stoppedWhileCollecting = false;
  RunGeometry area;  // bounds of the paths and corner of the grids
};

struct TomLaunch {
  CRun* run = nullptr;
  CMinTravelTime* engine = nullptr;
  RunProgress* progress = nullptr;
  std::string landscapeFile;
  RunGeometry geometry;  // the analysis area
  RunTiming timing;
  TomRunResult result;
};

// The treatment outputs the run's choices select, from a finished engine (or anything with its
// grid getters). Every grid is anchored at the analysis area's south-west corner, whatever
// corner the engine reports, so the treatments sit on the cells they were planned for.
template <class Engine>
void CollectTOMOutputs(const CRun& run, Engine& e, const RunGeometry& area, TomRunResult& r) {
  const int rows = static_cast<int>(e.GetNumRows()), cols = static_cast<int>(e.GetNumCols());
  const double cell = e.GetResolution();
  const std::size_t n = rows > 0 && cols > 0 ? static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols) : 0;
  const CRunTOMSettings& t = run.tom;
  auto grid = [&](bool wanted, const char* name, int type, const auto* cells) {
    if (!wanted || !cells || n == 0) return;
    r.grids.push_back({name, type, area.south, area.west, cell, rows, cols, std::vector<double>(cells, cells + n)});
  };
  grid(t.rateOfSpread, "TOM ROS", 35, e.GetROSGrid());
  grid(t.arrivalTime, "TOM Arrival Time", 37, e.GetArrivalTimeGrid());
  grid(t.nodeInfluence, "TOM Node Influence", 36, e.GetInfluenceGrid());
  grid(t.firelineIntensity, "TOM Fireline Intensity", 38, e.GetFliMapGrid());
  grid(t.treatmentOpportunities, "TOM Treat Opportunities", 41, e.GetTreatOpportunitiesGrid());
  grid(t.treatments, "TOM Treatments", 40, e.GetTreatmentGrid());
  if (t.arrivalContour && e.GetArrivalTimeGrid() && n)
    r.arrivalForContour = {"TOM Arrival Contour", 37, area.south, area.west, cell, rows, cols,
                           std::vector<double>(e.GetArrivalTimeGrid(), e.GetArrivalTimeGrid() + n)};
  int leftOut = 0;
  if (t.majorPaths) r.majorPaths = CollectTravelPaths(e, true, 1, leftOut);
  if (t.flowPaths) r.flowPaths = CollectTravelPaths(e, false, 1, leftOut);
  r.area = area;
}

// The TOM monitor: the inner engine's phases, then "Running TOM..." for the optimisation.
int TOMMonitorThread(TomLaunch& launch, const std::atomic<bool>& runFinished);
// The run. Every ending posts a completion: 1 with the outputs collected, 0 after a failure
// (its message shown, "Unable to run TOM") or a cancel.
bool RunTOM(TomLaunch& launch);
// The work function: monitor and run threads, waited for.
bool LaunchTOMThreads(TomLaunch& launch);

// On the UI thread: the fire-behaviour themes and arrows, the TOM rasters, arrival contour and
// travel paths of the run's choices, and the run log (kept only when the run was not stopped
// while collecting). Returns the themes made.
int CreateTOMOutputThemes(CRun& run, TomRunResult& result, const RunLogFacts& facts);

// The TOM run log: title, completion, run time and landscape, the fire-behaviour inputs (without
// the treatment keys) and the tags of the selected outputs.
std::string BuildTOMRunLog(const CRun& run, const RunLogFacts& facts, const TomRunResult& result);

}  // namespace runs

#include "runs/run_tom.h"

#include "engines/mtt_engine.h"
#include "engines/pyrvane.h"
#include "platform/messages.h"
#include "runs/run_host.h"
#include "themes/color_ramp.h"

namespace runs {

namespace {

bool Fail(RunProgress& progress, const std::string& message) {
  return FailRun(progress, message, "Unable to run TOM");
}

// The inputs file is the fire-behaviour file with the treatment keys appended; the log keeps
// only the first part.
std::string FireBehaviorPart(const std::string& tomInputs) {
  const std::size_t appendix = tomInputs.find("\nMTT_RESOLUTION: ");
  return appendix == std::string::npos ? tomInputs : tomInputs.substr(0, appendix);
}

}  // namespace

int TOMMonitorThread(TomLaunch& launch, const std::atomic<bool>& runFinished) {
  return TravelTimeMonitor(*launch.progress, *launch.engine, launch.timing, runFinished, "Running TOM...");
}

bool RunTOM(TomLaunch& launch) {
  CRun& run = *launch.run;
  RunProgress& p = *launch.progress;
  CMinTravelTime& e = *launch.engine;
  TomRunResult& result = launch.result;
  result = {};
  const auto start = std::chrono::steady_clock::now();

  std::string inputs;
  const std::string path = WriteInputsAndSettle([&run](std::string& out) { return run.WriteTOMInputsFile(out); },
                                                inputs, p, launch.timing.settle);
  // A failed inputs file still ends the dialog's wait with a completion.
  if (path.empty()) return Fail(p, "Error building TOM inputs file.");
  result.inputsFileText = FireBehaviorPart(inputs);
  if (p.StopRequested()) return CancelledRun(p);
  if (e.SetLandscapeFile(launch.landscapeFile.c_str()) == 0) return Fail(p, "Error loading landscape file for TOM.");
  // The optimisation works on the analysis area, so its grids start at the area's corner.
  const RunGeometry& g = launch.geometry;
  e.SetAnalysisArea(g.east, g.west, g.north, g.south);
  int rc = e.LoadTOMInputs(path.c_str());
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  rc = e.LaunchTOM();
  const auto end = std::chrono::steady_clock::now();
  // A cancelled optimisation is a failure for the dialog, not a success with no outputs.
  if (rc == kMttCancelled || p.StopRequested()) return CancelledRun(p);
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  result.seconds = std::chrono::duration<double>(end - start).count();
  CPyrvane& inner = *e.GetPyrvane();
  result.fireBehavior = CollectFireBehaviorGrids(run, inner);
  result.cellNotes = inner.GetCellNotes();
  for (OutputGrid& grid : result.fireBehavior) {
    grid.south = g.south;
    grid.west = g.west;
  }
  CollectTOMOutputs(run, e, g, result);
  result.stoppedWhileCollecting = p.StopRequested();
  result.succeeded = true;
  p.SetDone(true);
  p.PostCompletion(1);
  return true;
}

bool LaunchTOMThreads(TomLaunch& launch) {
  return RunTravelTimeThreads(launch, TOMMonitorThread, RunTOM, "Unable to run TOM");
}

std::string BuildTOMRunLog(const CRun& run, const RunLogFacts& facts, const TomRunResult& result) {
  std::string log = RunLogTitle("#Run Log for TOM run: %s\r\n", run, facts, result.seconds);
  log += result.cellNotes;
  log += result.inputsFileText;
  log += "#SELECTED TOM OUTPUTS\r\n";
  const CRunTOMSettings& t = run.tom;
  const int selected[] = {t.treatmentOpportunities, t.treatments,  t.rateOfSpread,
                          t.nodeInfluence,          t.arrivalTime, t.firelineIntensity,
                          t.flowPaths,              t.majorPaths,  t.arrivalContour};
  const auto& tags = RunOutputTags(RunKind::TOM);
  for (std::size_t i = 0; i < tags.size(); ++i)
    if (selected[i]) log += tags[i] + "\r\n";
  log += "#END SELECTED TOM OUTPUTS\r\n";
  return log;
}

int CreateTOMOutputThemes(CRun& run, TomRunResult& result, const RunLogFacts& facts) {
  if (!result.succeeded) return 0;
  int made = AddFireBehaviorThemes(run, result.fireBehavior) + AddArrowThemes(run);
  made += AddTravelTimeGrids(run, result.grids);
  AddArrivalContour(run, result.arrivalForContour);
  const CRunTOMSettings& t = run.tom;
  const std::string none = "the optimisation found no travel path";
  if (t.majorPaths)
    AddTravelPaths(run, result.majorPaths, result.area, "TOM Major Paths", MakeColorRef(240, 240, 90), 2,
                   run.majorPaths, none);
  if (t.flowPaths)
    AddTravelPaths(run, result.flowPaths, result.area, "TOM Flow Paths", MakeColorRef(0, 0, 0), 1, run.flowPaths,
                   none);
  if (!result.stoppedWhileCollecting) run.runLogs.push_back({"Run Log", BuildTOMRunLog(run, facts, result)});
  return made;
}

}  // namespace runs

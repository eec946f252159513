#include "runs/run_mtt.h"

#include <cmath>
#include <cstdio>

#include "engines/mtt_engine.h"
#include "engines/pyrvane.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "themes/color_ramp.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace runs {

namespace {

bool Fail(RunProgress& progress, const std::string& message) {
  return FailRun(progress, message, "Unable to run MTT");
}

void Collect(MttLaunch& launch) {
  CRun& run = *launch.run;
  CMinTravelTime& e = *launch.engine;
  MttRunResult& r = launch.result;
  const int rows = static_cast<int>(e.GetNumRows()), cols = static_cast<int>(e.GetNumCols());
  const double cell = e.GetResolution(), south = e.GetSouth(), west = e.GetWest();
  const std::size_t n = static_cast<std::size_t>(rows) * cols;

  r.fireBehavior = CollectFireBehaviorGrids(run, *e.GetPyrvane());
  r.cellNotes = e.GetPyrvane()->GetCellNotes();

  const CRunMTTSettings& m = run.mtt;
  auto grid = [&](bool wanted, const char* name, int type, auto* cells) {
    if (!wanted || !cells) return;
    r.grids.push_back({name, type, south, west, cell, rows, cols, std::vector<double>(cells, cells + n)});
  };
  grid(m.rateOfSpread, "MTT ROS", 35, e.GetROSGrid());
  grid(m.arrivalTime, "MTT Arrival Time", 37, e.GetArrivalTimeGrid());
  grid(m.nodeInfluence, "MTT Node Influence", 36, e.GetInfluenceGrid());
  grid(m.firelineIntensity, "MTT Fireline Intensity", 38, e.GetFliMapGrid());
  grid(m.ignitionGrid, "MTT Ignition Grid", 42, e.GetIgnitionGrid());
  if (m.arrivalContour && e.GetArrivalTimeGrid())
    r.arrivalForContour = {"MTT Arrival Contour", 37, south, west, cell, rows, cols,
                           std::vector<double>(e.GetArrivalTimeGrid(), e.GetArrivalTimeGrid() + n)};

  if (m.majorPaths) r.majorPaths = CollectTravelPaths(e, true, 2, r.majorPathsLeftOut);
  if (m.flowPaths) r.flowPaths = CollectTravelPaths(e, false, 2, r.flowPathsLeftOut);
  if (m.emberLocations) {
    CMTTSpots* spots = e.GetFireSpots();
    for (int i = 0; i < spots->GetNumSpots(); ++i) {
      const CMTTSpot* s = spots->GetSpot(i);
      r.embers.push_back({s->GetLaunchX(), s->GetLaunchY(), s->GetLandX(), s->GetLandY(),
                          s->GetLaunchTime(), s->GetLandTime()});
    }
  }
  if (m.emberList) r.hasEmberList = CopyEmberList(e, r.emberList);
  r.seed = e.GetSpottingSeed();
  const RunGeometry& g = launch.geometry;
  r.east = g.east;
  r.west = g.west;
  r.north = g.north;
  r.south = g.south;
}

}  // namespace

void AddTravelPaths(CRun& run, const std::vector<TravelPath>& paths, const RunGeometry& area, const char* name,
                    std::uint32_t color, int width, CVectorTheme*& slot, const std::string& whyNone) {
  if (!run.host) return;
  if (paths.empty()) {
    platform::Tell(std::string(name) + ": " + whyNone + ", so no theme was made.");
    return;
  }
  if (slot) {
    run.host->DisposeVectorTheme(slot);
    slot = nullptr;
  }
  std::vector<std::vector<double>> lists;
  for (const TravelPath& p : paths) {
    std::vector<double> xy;
    for (auto [x, y] : p) {
      xy.push_back(x);
      xy.push_back(y);
    }
    lists.push_back(std::move(xy));
  }
  auto theme = std::make_unique<CVectorTheme>();
  if (!theme->CreateFromLineList(name, area.east, area.west, area.south, area.north, lists)) {
    platform::Tell(std::string("Error creating the output theme ") + name + ".");
    return;
  }
  theme->lineColor = color;
  theme->lineWidth = width;
  slot = run.host->AdoptVectorTheme(std::move(theme));
}

int AddTravelTimeGrids(CRun& run, std::vector<MttGrid>& grids) {
  int made = 0;
  for (MttGrid& g : grids) {
    auto theme = std::make_unique<CTheme>();
    if (!theme->CreateFromDoubles(g.name, g.south, g.west, g.cell, g.cell, g.rows, g.columns, -9999.0f,
                                  g.cells.data(), 0, g.layerType)) {
      platform::Tell("Error creating the output theme " + g.name + ".");
      continue;
    }
    g.cells = {};
    AddThemeWithLegend(run, std::move(theme));
    ++made;
  }
  return made;
}

void AddArrivalContour(CRun& run, MttGrid& g) {
  if (g.cells.empty() || !run.host) return;
  // Contours about a tenth of the arrival times' range apart, at a figure of two significant
  // digits so that the legend reads "24 Minutes" rather than a tenth of 239.918; traced from
  // a theme of them.
  CTheme arrival;
  auto* contour = new CContourTheme;
  double lo = 0, hi = 0;
  std::string error = "the arrival times could not be held";
  bool made = arrival.CreateFromDoubles(g.name, g.south, g.west, g.cell, g.cell, g.rows, g.columns, -9999.0f,
                                        g.cells.data(), 0, g.layerType) != 0;
  if (made) {
    error.clear();
    arrival.GetMinMax(lo, hi);
    if (!(hi > lo)) error = "every burned cell has the same arrival time";
  }
  if (made && error.empty()) {
    const double tenth = (hi - lo) / 10, unit = std::pow(10.0, std::floor(std::log10(tenth)) - 1);
    made = contour->Create(&arrival, static_cast<float>(std::round(tenth / unit) * unit), nullptr, nullptr, &error);
    if (!made && error.empty()) error = "it was cancelled";
  }
  if (made && error.empty()) {
    contour->name = g.name;
    contour->sourceTheme = nullptr;  // the arrival theme above goes with this scope
    if (run.arrivalContour) run.host->DisposeContourTheme(run.arrivalContour);
    run.arrivalContour = run.host->AdoptContourTheme(contour);
  } else {
    delete contour;
    platform::Tell("Error creating the output theme " + g.name + ": " + error);
  }
  g.cells = {};
}

std::vector<OutputGrid> CollectFireBehaviorGrids(const CRun& run, CPyrvane& inner) {
  // The fire-behaviour outputs the run wants; a missing grid is dropped.
  std::vector<OutputGrid> out;
  const int rows = inner.GetNumRows(), cols = inner.GetNumCols();
  for (int i = 0; i < kBasicOutputCount; ++i) {
    if (!IsBasicOutputMade(i, run.outputs, run.inputs.windType)) continue;
    const float* cells = inner.GetOutputLayer(i);
    if (!cells) continue;
    OutputGrid g;
    g.index = i;
    g.south = inner.GetSouth();
    g.west = inner.GetWest();
    g.cellWidth = g.cellHeight = inner.GetCellSize();
    g.rows = rows;
    g.columns = cols;
    if (i == kOutputWindDirection || i == kOutputWindSpeed) {
      g.rows = inner.GetNumWindRows();
      g.columns = inner.GetNumWindCols();
      g.cellWidth = g.cellHeight = inner.GetWindsResolution();
    }
    g.cells.assign(cells, cells + static_cast<std::size_t>(g.rows) * g.columns);
    out.push_back(std::move(g));
  }
  return out;
}

int TravelTimeMonitor(RunProgress& p, CMinTravelTime& e, const RunTiming& timing,
                      const std::atomic<bool>& runFinished, const char* running) {
  CPyrvane& inner = *e.GetPyrvane();
  Pause(timing.poll, p, &runFinished);
  inner.GetRunState();
  int phase = 0;
  static const char* const kTexts[] = {nullptr, "Loading inputs...", "Running Gustforge...",
                                       "Fuel Conditioning...", "Fire Behavior..."};
  while (!p.StopRequested() && !runFinished) {
    if (inner.QueryPyrvaneProgress() >= 1.0) break;
    const int state = inner.GetRunState();
    if (state != phase && state >= 1 && state <= 4) {
      SendRunStatus(p, kTexts[state]);
      phase = state;
    }
    SendRunPosition(p, PercentOf(inner.QueryPyrvaneProgress()));
    Pause(timing.poll, p, &runFinished);
  }
  if (inner.QueryPyrvaneProgress() < 1.0 && p.StopRequested()) e.CancelMTT();
  // A run that has ended has posted its completion: nothing may follow it.
  if (runFinished) return 1;
  e.GetMTTProgress();
  SendRunStatus(p, running);
  while (!p.StopRequested() && !runFinished) {
    if (e.GetMTTProgress() >= 1.0) break;
    SendRunPosition(p, PercentOf(e.GetMTTProgress()));
    Pause(timing.poll, p, &runFinished);
  }
  if (p.StopRequested())
    e.CancelMTT();
  else if (!runFinished)
    SendRunPosition(p, 100);
  return 1;
}

int MTTMonitorThread(MttLaunch& launch, const std::atomic<bool>& runFinished) {
  return TravelTimeMonitor(*launch.progress, *launch.engine, launch.timing, runFinished, "Running MTT...");
}

bool RunMTT(MttLaunch& launch) {
  CRun& run = *launch.run;
  RunProgress& p = *launch.progress;
  CMinTravelTime& e = *launch.engine;
  MttRunResult& result = launch.result;
  result = {};
  const auto start = std::chrono::steady_clock::now();

  const std::string path = WriteInputsAndSettle([&run](std::string& out) { return run.WriteMTTInputsFile(out); },
                                                result.inputsFileText, p, launch.timing.settle);
  // A failed inputs file still ends the dialog's wait with a completion.
  if (path.empty()) return Fail(p, "Error building MTT inputs file.");
  if (p.StopRequested()) return CancelledRun(p);
  if (e.SetLandscapeFile(launch.landscapeFile.c_str()) == 0)
    return Fail(p, "Error loading landscape file for MTT.");
  const RunGeometry& g = launch.geometry;
  e.SetAnalysisArea(g.east, g.west, g.north, g.south);
  int rc = e.LoadMTTInputs(path.c_str());
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  rc = e.LaunchMTT();
  const auto end = std::chrono::steady_clock::now();
  // A cancelled search is a failure for the dialog, not a success with no outputs.
  if (rc == kMttCancelled || p.StopRequested()) return CancelledRun(p);
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  result.seconds = std::chrono::duration<double>(end - start).count();
  Collect(launch);
  result.stoppedWhileCollecting = p.StopRequested();
  result.succeeded = true;
  p.SetDone(true);
  p.PostCompletion(1);
  return true;
}

bool LaunchMTTThreads(MttLaunch& launch) { return RunTravelTimeThreads(launch, MTTMonitorThread, RunMTT); }

std::string BuildMTTRunLog(const CRun& run, const RunLogFacts& facts, const MttRunResult& result) {
  std::string log = RunLogHead("#Run Log for MTT run: %s\r\n", run, facts, result.seconds);
  log += result.cellNotes;
  log += result.inputsFileText;
  log += "#SELECTED MTT OUTPUTS\r\n";
  const CRunMTTSettings& m = run.mtt;
  const int selected[] = {m.rateOfSpread, m.nodeInfluence, m.arrivalTime,    m.firelineIntensity,
                          m.ignitionGrid, m.flowPaths,     m.majorPaths,     m.arrivalContour,
                          m.emberLocations, m.emberList};
  const auto& tags = RunOutputTags(RunKind::MTT);
  for (std::size_t i = 0; i < tags.size(); ++i)
    if (selected[i]) log += tags[i] + "\r\n";
  log += "#END SELECTED MTT OUTPUTS\r\n";
  log += platform::FormatC("#SPOTTING_SEED: %d\r\n", result.seed);
  return log;
}

bool CopyEmberList(CMinTravelTime& engine, std::string& text) {
  const std::string path = platform::ReserveScratchFile(".csv");
  const bool copied = !path.empty() && engine.WriteEmberCSV(path.c_str()) && platform::ReadWholeFile(path, text);
  if (!copied) platform::Tell("Error writing the ember list to the working folder " + platform::WorkingFolder() + ".");
  if (!path.empty()) std::remove(path.c_str());
  return copied;
}

int CreateMTTOutputThemes(CRun& run, MttRunResult& result, const RunLogFacts& facts) {
  if (!result.succeeded) return 0;
  int made = AddFireBehaviorThemes(run, result.fireBehavior) + AddArrowThemes(run);
  made += AddTravelTimeGrids(run, result.grids);
  const CRunMTTSettings& m = run.mtt;
  const RunGeometry area{result.east, result.west, result.north, result.south};
  auto whyNone = [](int leftOut) {
    return "no travel path has two points or more (" + std::to_string(leftOut) + " of one point left out)";
  };
  if (m.majorPaths)
    AddTravelPaths(run, result.majorPaths, area, "MTT Major Paths", MakeColorRef(240, 240, 90), 2, run.majorPaths,
                   whyNone(result.majorPathsLeftOut));
  if (m.flowPaths)
    AddTravelPaths(run, result.flowPaths, area, "MTT Flow Paths", MakeColorRef(0, 0, 0), 1, run.flowPaths,
                   whyNone(result.flowPathsLeftOut));
  AddArrivalContour(run, result.arrivalForContour);
  if (run.mtt.emberLocations && run.host) {
    CMTTSpots spots;
    spots.SetNumSpots(static_cast<int>(result.embers.size()));
    for (std::size_t i = 0; i < result.embers.size(); ++i) {
      const auto& m = result.embers[i];
      spots.SetSpot(static_cast<int>(i), m.launchX, m.launchY, m.landX, m.landY, m.launchTime, m.landTime);
    }
    auto theme = std::make_unique<CVectorTheme>();
    if (theme->CreateFromTravelTimeSpots("Ember Landing Locations", &spots)) {
      theme->pointColor = MakeColorRef(240, 240, 90);
      theme->pointSize = 3;
      theme->pointSymbol = 0;
      if (run.spotLocations) run.host->DisposeVectorTheme(run.spotLocations);
      run.spotLocations = run.host->AdoptVectorTheme(std::move(theme));
    } else {
      platform::Tell("Error creating the output theme Ember Landing Locations.");
    }
  }
  if (result.hasEmberList && !result.stoppedWhileCollecting)
    run.runLogs.push_back({"Ember List", std::move(result.emberList)});
  if (!result.stoppedWhileCollecting) run.runLogs.push_back({"Run Log", BuildMTTRunLog(run, facts, result)});
  return made;
}

}  // namespace runs

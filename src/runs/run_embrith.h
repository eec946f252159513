#pragma once
// A fire-growth launch and what it leaves: the sheet's status texts and readiness tests, the
// checks of burn periods, a monitor thread that follows the engine's simulated time and counts
// beside a run thread that writes the inputs file and drives the engine, and, on the UI thread
// once the engine has finished, the output themes, tables, run log and fire growth report.
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "runs/run.h"
#include "runs/run_exec.h"
#include "runs/run_outputs.h"

class CEmbrith;

namespace runs {

// The pages' values as the status line reads them.
struct EmbrithInputsState {
  std::string fmsFile, fmdFile, wxsFile, atmFile;
  bool areaNeedsCustomFuels = false;
  int windType = 0;
  platform::OleDateTime conditioningStart = platform::OleDateTime::Invalid();
  int crownFireMethod = -1;
  bool hasIgnitions = false;
  std::size_t burnPeriods = 0;
};

// The same values taken from a run as it was last applied.
EmbrithInputsState EmbrithInputsStateOf(const CRun& run, bool areaNeedsCustomFuels);

// Status part 0: the first missing input, or "Inputs OK".
std::string MissingEmbrithInputText(CRun& run, const EmbrithInputsState& in);

// The fourteen outputs of a fire-growth run, in the order of the run's flags: check box id,
// label, flag, and the log tag.
struct EmbrithOutput {
  int id;
  const char* label;
  int CRunEmbrithSettings::*flag;
};
extern const EmbrithOutput kEmbrithOutputs[14];
int CountEmbrithOutputs(const CRunEmbrithSettings& e);
// A grid or the spot locations is selected, or the perimeters with an ignitions theme.
bool EmbrithOutputsReady(const CRunEmbrithSettings& e, bool hasIgnitionsTheme);

// The first burn period that cannot be run ("Burn period 2: ..."), or nothing: a month and day
// that make no date, hours outside 0-23 and 1-24, a start not before its end, periods out of
// order or overlapping.
std::optional<std::string> BurnPeriodProblem(const std::vector<BurnPeriod>& periods);

// The monitor's status text.
std::string EmbrithMonitorText(int fires, int spots, int vertices, int month, int day, int hhmm, int minute);

struct EmbrithLaunch {
  CRun* run = nullptr;
  CEmbrith* engine = nullptr;  // the run's, created before the threads and deleted after them
  RunProgress* progress = nullptr;
  std::string landscapeFile;
  RunTiming timing;
  bool succeeded = false;
  bool stopped = false;  // a stop came as the engine finished: the tables and log are dropped
  double seconds = 0;
  std::atomic<int> cancels{0};  // times the monitor cancelled the engine
};

// The monitor: "Running Embrith..." then the simulated time, fires, spots and vertices and the
// position, polled until the engine ends; a stop cancels the engine once.
int EmbrithMonitorThread(EmbrithLaunch& launch, const std::atomic<bool>& runFinished);
// The run: inputs file, landscape, inputs, launch. Every ending posts a completion: 1 when the
// engine finished, 0 after a failure (its message shown, "Unable to run Embrith") or a cancel.
bool RunEmbrith(EmbrithLaunch& launch);
// The work function: monitor and run threads, waited for.
bool LaunchEmbrithThreads(EmbrithLaunch& launch);

// On the UI thread, from the finished engine: the selected rasters with legends, the spot
// locations, the perimeters (filtered by the run's display mode), the spot fire list, the
// stored gridded winds, the wind and spread arrows, the run log (both thrown away when the run
// was stopped) and the fire growth report. Returns the themes made.
int CreateEmbrithOutputThemes(CRun& run, CEmbrith& engine, const RunLogFacts& facts, double seconds, bool stopped);

// The fire growth report of the run's perimeter theme, step by step of its time step.
std::string FireGrowthReport(const CRun& run);
// Replaces the run's "Fire Growth Report" table with a fresh one.
void GetFireGrowthReport(CRun& run);

// Rebuilds the visible perimeters of a run's perimeter theme from its display mode.
void FilterRunPerimeters(CRun& run);

// "New Embrith Run"'s settings on a fresh run: the cell width x of the landscape (1 without one)
// sets the resolutions.
void InitEmbrithRun(CRun& run, double cellWidth, int defaultResolution);

}  // namespace runs

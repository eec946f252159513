#pragma once
// What a finished fire-behaviour run leaves behind: the output grids handed back by the
// engine (collected on the run thread), the output themes and legends made from them on
// the UI thread, and the run log.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "weather/atm_file.h"

class CRun;
class CTheme;
class CRunOutputs;
class CWindVectorTheme;

namespace runs {

constexpr int kOutputNameCount = 33;
constexpr int kBasicOutputCount = 24;
constexpr int kOutputLayerTypeBase = 11;
constexpr int kOutputWindDirection = 22;
constexpr int kOutputWindSpeed = 23;

// Display name of output i (layer type i + 11); "" outside the table.
const char* OutputLayerName(int index);

// Whether a basic run makes output i (0..23) from the run's choices and wind type.
bool IsBasicOutputMade(int index, const CRunOutputs& outputs, int windType);

// The optional-output tags of the non-basic run kinds, in their log order.
enum class RunKind { Basic, MTT, RandomIgnitions, TOM, Embrith };
const std::vector<std::string>& RunOutputTags(RunKind kind);

// One output grid copied out of the engine, with its georeference.
struct OutputGrid {
  int index = 0;
  double south = 0, west = 0, cellWidth = 0, cellHeight = 0;
  int rows = 0, columns = 0;
  std::vector<float> cells;
};

// Everything the run thread hands to the UI thread after a launch.
struct PyrvaneRunResult {
  bool succeeded = false;        // the engine finished and its grids were collected
  double seconds = 0;            // wall-clock run time
  std::string inputsFileText;    // the bytes the engine read, for the run log
  std::string cellNotes;         // the engine's lines about cells it could not take as they stand
  std::vector<OutputGrid> grids;
  std::vector<int> missing;      // outputs the engine did not hand back
  bool stoppedWhileCollecting = false;  // the log is thrown away, the grids are kept
};

// Facts of the project that a run log records.
struct RunLogFacts {
  std::string landscapeFile;
  double landscapeResolution = 0;
  std::string completed;  // "%Y-%m-%d %H:%M:%S", local time
};

// The current local time as the run log writes it.
std::string RunLogTimestamp();

// The basic run log: title, completion, run time, landscape, moisture and weather files,
// then the inputs file byte for byte. Every formatted line ends with CR LF.
std::string BuildPyrvaneRunLog(const CRun& run, const RunLogFacts& facts, double seconds,
                               const std::string& inputsFileText, const std::string& cellNotes = {});

// The lines every run log starts with: the title (formatted with the run's name), completion
// and run time, landscape file and resolution.
std::string RunLogTitle(const char* titleFormat, const CRun& run, const RunLogFacts& facts,
                        double seconds);
// The title lines, then the moisture and weather files.
std::string RunLogHead(const char* titleFormat, const CRun& run, const RunLogFacts& facts,
                       double seconds);

// Output themes with legends (and their slots in the run) from fire-behaviour grids; a grid
// the theme cannot take is reported. Returns the themes made.
int AddFireBehaviorThemes(CRun& run, std::vector<OutputGrid>& grids);
// The run's wind arrows (from its wind grids), and its spread and maximum-spot arrows when
// chosen and their grids exist, replacing earlier ones; each drawn with a legend of its own.
// Returns the themes made.
int AddArrowThemes(CRun& run);
// Replaces the arrow theme in one of the run's arrow slots by one that `create` fills: the old
// theme leaves the tree and the run, the new one is named and adopted. No arrow is nothing to
// show; a build that could not be held is said. True when a theme was made.
bool ReplaceArrowTheme(CRun& run, CWindVectorTheme*& slot, int kind, const char* name,
                       const std::function<bool(CWindVectorTheme&)>& create);
// The wind a fire-growth run's fire met at every burned cell of its arrival-time theme (else its
// first output theme): from its weather-stream winds (wind type 0), its gridded winds (4) or
// the grids of its atmosphere file in force at each arrival (5).
// False when there is no theme, no wind, or no burned cell with a wind.
bool CreateFromRunWinds(CWindVectorTheme& theme, CRun& run);
// What of the run an atmosphere file is timed and checked against: its first burn period, its
// analysis area and its fire-growth distance resolution.
weather::AtmRunContext AtmContextOf(const CRun& run);
// Appends an output theme to the run with its theme rectangle and the area's legend.
CTheme* AddThemeWithLegend(CRun& run, std::unique_ptr<CTheme> theme);

// On the UI thread: output themes with legends (and their slots in the run) from the
// collected grids, then the run log (not when the run was stopped while collecting). A
// result that did not succeed makes nothing, so a cancelled run leaves no half outputs.
// Missing grids are reported one by one. Returns the themes made.
int CreatePyrvaneOutputThemes(CRun& run, PyrvaneRunResult& result, const RunLogFacts& facts);

}  // namespace runs

#pragma once
// What the run sheet tells the user before a launch: the first missing input, the number
// of outputs selected, whether existing outputs are current; the readiness tests of its
// pages; and the default resolution of a new run.
#include <string>

#include "platform/date_time.h"

class CRun;
class CRunOutputs;
struct CRunMTTSettings;
struct CRunTOMSettings;

namespace runs {

// The Inputs page's values as the sheet reads them (the run's own when it was applied).
struct InputsState {
  std::string fmsFile, fmdFile, directionFile, speedFile, wxsFile;
  bool areaNeedsCustomFuels = false;
  bool useCustomFuels = false;
  int crownFireMethod = -1;
  int windType = 0;
  bool fixedFuelMoistures = true;
  bool useWeatherStream = false;
  platform::OleDateTime conditioningStart, conditioningEnd;
};

// The Inputs page's values taken from a run (and its area's custom-fuel flag).
InputsState InputsStateOf(const CRun& run, bool areaNeedsCustomFuels);

// Status part 0: the first missing input, or "Inputs OK".
std::string MissingInputText(CRun& run, const InputsState& in);

// The Inputs page's readiness: a good FMS file, custom fuels in order, both wind grids for
// gridded-wind files, a crown fire method, and for conditioning a valid stream with start not
// after end.
bool InputsReady(CRun& run, const InputsState& in);

// The Fire Behavior Options page's test: an output selected (the five moisture outputs
// count only when the run conditions fuels) and a crown fire method chosen.
bool AnyBasicOutputSelected(const CRunOutputs& selection, bool conditions);
bool OutputsReady(const CRunOutputs& selection, bool conditions, int crownFireMethod);

// Status part 1: the count of selected outputs: the fire-behaviour ones (with fromPage the
// moisture outputs count only when fixed fuel moistures are off; taken from the run they always
// count), then every ticked travel-time output of the ignition source chosen and every ticked
// treatment output, ready to run or not.
int CountSelectedOutputs(const CRunOutputs& selection, bool fromPage, bool fixedFuelMoistures,
                         const CRunMTTSettings& mtt, const CRunTOMSettings& tom);
std::string SelectedOutputsText(int count);
// Status part 2.
std::string ExistingOutputsText(const CRun& run, bool outputsChanged);

// The smallest multiple of the cell width (the width itself first) whose coarsened grid has
// at most 100000 cells.
int DefaultRunResolution(double cellWidth, long long rows, long long columns);

}  // namespace runs

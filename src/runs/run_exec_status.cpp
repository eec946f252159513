#include "runs/run_exec_status.h"

#include <cmath>

#include "platform/numbers.h"
#include "runs/run.h"
#include "weather/wx_stream.h"

namespace runs {

namespace {

enum class StreamCheck { Empty, Invalid, Valid };

StreamCheck CheckStream(const std::string& path, platform::OleDateTime& first,
                        platform::OleDateTime& last) {
  CWxStream stream;
  if (stream.Read(path) < 1) return StreamCheck::Empty;
  std::string message;
  return stream.Validate(first, last, message) ? StreamCheck::Valid : StreamCheck::Invalid;
}

int Count(std::initializer_list<bool> flags) {
  int n = 0;
  for (bool f : flags) n += f ? 1 : 0;
  return n;
}

int Count(std::initializer_list<int> flags) {
  int n = 0;
  for (int f : flags) n += f ? 1 : 0;
  return n;
}

bool AnyMoistureOutput(const CRunOutputs& o) {
  return o.solarRadiation || o.fuelMoisture1 || o.fuelMoisture10 || o.fuelMoisture100 ||
         o.fuelMoisture1000;
}

}  // namespace

InputsState InputsStateOf(const CRun& run, bool areaNeedsCustomFuels) {
  InputsState s;
  const CRunInputs& in = run.inputs;
  s.fmsFile = in.fuelMoistureFile;
  s.fmdFile = in.customFuelsFile;
  s.directionFile = in.griddedWindDirectionFile;
  s.speedFile = in.griddedWindSpeedFile;
  s.wxsFile = in.weatherStreamFile;
  s.areaNeedsCustomFuels = areaNeedsCustomFuels;
  s.useCustomFuels = in.useCustomFuelModels;
  s.crownFireMethod = run.outputs.crownFireMethod;
  s.windType = in.windType;
  s.fixedFuelMoistures = in.noConditioning;
  s.useWeatherStream = in.useWeatherStream;
  s.conditioningStart = in.conditioningStart;
  s.conditioningEnd = in.conditioningEnd;
  return s;
}

namespace {

// What the custom-fuel settings lack, or "". A file the run does not use counts as none, and
// a ticked box without a file would run without them.
std::string CustomFuelsProblem(const InputsState& in) {
  if ((in.areaNeedsCustomFuels || in.useCustomFuels) && in.fmdFile.empty()) return "Need FMD File";
  if (in.areaNeedsCustomFuels && !in.useCustomFuels) return "Tick Use Custom Fuels";
  return {};
}

}  // namespace

std::string MissingInputText(CRun& run, const InputsState& in) {
  if (!run.CheckFmsFile(in.fmsFile)) return "Need Fuel Moisture File";
  if (std::string problem = CustomFuelsProblem(in); !problem.empty()) return problem;
  if (in.crownFireMethod < 0) return "Set Crown Fire Method";
  if (in.windType == 2) {
    if (in.directionFile.empty()) return "Need Wind Direction file";
    if (in.speedFile.empty()) return "Need Wind Speed file";
  }
  if (in.fixedFuelMoistures) {
    const CRunTOMSettings& tom = run.tom;
    if (!tom.IsReady() && (tom.treatments || tom.treatmentOpportunities) &&
        tom.idealLandscapeFile.empty())
      return "Need Ideal Landscape";
  } else if (in.useWeatherStream) {
    if (in.wxsFile.empty()) return "Need a Weather Stream file";
    platform::OleDateTime first, last;
    switch (CheckStream(in.wxsFile, first, last)) {
      case StreamCheck::Empty: return "Weather Stream file invalid or empty";
      case StreamCheck::Invalid: return "Weather Stream file invalid";
      case StreamCheck::Valid: break;
    }
    if (in.conditioningStart.IsValid() && in.conditioningEnd.IsValid() &&
        in.conditioningStart > in.conditioningEnd)
      return "Set FM Conditioning Period";
  }
  return "Inputs OK";
}

bool InputsReady(CRun& run, const InputsState& in) {
  if (!run.CheckFmsFile(in.fmsFile)) return false;
  if (!CustomFuelsProblem(in).empty()) return false;
  // Gridded winds need both grids: the engine cannot run on a direction grid alone.
  if (in.windType == 2 && (in.directionFile.empty() || in.speedFile.empty())) return false;
  if (in.crownFireMethod < 0) return false;
  if (in.fixedFuelMoistures) return true;
  platform::OleDateTime first, last;
  if (in.wxsFile.empty() || CheckStream(in.wxsFile, first, last) != StreamCheck::Valid)
    return false;
  return CRun::CheckStartBeforeEnd(in.conditioningStart, in.conditioningEnd);
}

bool AnyBasicOutputSelected(const CRunOutputs& o, bool conditions) {
  if (o.crownFireActivity || o.firelineIntensity || o.flameLength || o.heatPerUnitArea ||
      o.midflameWindSpeed || o.crownFractionBurned || o.horizontalMovementRate ||
      o.rateOfSpread || o.spreadVectors || o.maxSpotting || o.maxSpottingDistance ||
      o.maxSpottingDirection || o.maxSpotVectors)
    return true;
  return conditions && AnyMoistureOutput(o);
}

bool OutputsReady(const CRunOutputs& selection, bool conditions, int crownFireMethod) {
  return AnyBasicOutputSelected(selection, conditions) && crownFireMethod >= 0;
}

int CountSelectedOutputs(const CRunOutputs& o, bool fromPage, bool fixedFuelMoistures,
                         const CRunMTTSettings& mtt, const CRunTOMSettings& tom) {
  int n = Count({o.crownFireActivity, o.crownFractionBurned, o.firelineIntensity, o.flameLength,
                 o.heatPerUnitArea, o.midflameWindSpeed, o.horizontalMovementRate,
                 o.rateOfSpread, o.spreadVectors, o.maxSpotVectors, o.maxSpotting,
                 o.maxSpottingDistance, o.maxSpottingDirection});
  if (!fromPage || !fixedFuelMoistures)
    n += Count({o.solarRadiation, o.fuelMoisture1, o.fuelMoisture10, o.fuelMoisture100,
                o.fuelMoisture1000});
  n += Count({tom.treatmentOpportunities, tom.treatments, tom.arrivalTime, tom.arrivalContour,
              tom.firelineIntensity, tom.flowPaths, tom.nodeInfluence, tom.majorPaths, tom.rateOfSpread});
  if (mtt.ignitionSource == 2)
    n += Count({mtt.burnProbabilities, mtt.perimeters, mtt.flpEnglish, mtt.flpMetric, mtt.fireSizeList});
  else
    n += Count({mtt.rateOfSpread, mtt.nodeInfluence, mtt.arrivalTime, mtt.firelineIntensity, mtt.flowPaths,
                mtt.majorPaths, mtt.arrivalContour, mtt.ignitionGrid, mtt.emberLocations, mtt.emberList});
  return n;
}

std::string SelectedOutputsText(int count) {
  return count == 0 ? "No outputs selected" : platform::FormatC("%d outputs selected", count);
}

std::string ExistingOutputsText(const CRun& run, bool outputsChanged) {
  if (run.outputThemes.empty()) return "No existing outputs";
  return outputsChanged ? "Existing outputs out of date" : "Existing outputs up to date";
}

int DefaultRunResolution(double c, long long rows, long long columns) {
  if (!(c > 0) || !std::isfinite(c) || rows <= 0 || columns <= 0 ||
      rows * columns <= 100000)
    return static_cast<int>(c > 0 && std::isfinite(c) ? c : 0);
  double s = c;
  for (;;) {
    s += c;
    const double f = c / s;
    const long long r = static_cast<long long>(f * static_cast<double>(rows));
    const long long k = static_cast<long long>(f * static_cast<double>(columns));
    if (r * k <= 100000) break;
  }
  return static_cast<int>(s);
}

}  // namespace runs

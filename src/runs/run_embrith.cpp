#include "runs/run_embrith.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "engines/embrith_engine.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "runs/run_host.h"
#include "runs/run_mtt.h"
#include "runs/wind_grids.h"
#include "themes/color_ramp.h"
#include "themes/polygon.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "weather/wx_stream.h"

namespace runs {

namespace {
const char kNoFireSurvived[] = "Embrith finished, but no fire survived to the end of the run.";
}  // namespace

using platform::FormatC;
using platform::OleDateTime;

const EmbrithOutput kEmbrithOutputs[14] = {
    {1366, "Arrival Time ", &CRunEmbrithSettings::arrivalTime},
    {1044, "Rate of Spread", &CRunEmbrithSettings::rateOfSpread},
    {1042, "Flame Length", &CRunEmbrithSettings::flameLength},
    {1045, "Fire Line Intensity", &CRunEmbrithSettings::firelineIntensity},
    {1049, "Heat Per Unit Area", &CRunEmbrithSettings::heatPerUnitArea},
    {1051, "Reaction Intensity", &CRunEmbrithSettings::reactionIntensity},
    {1050, "Ignition Grid", &CRunEmbrithSettings::ignitionGrid},
    {1053, "Spread Direction", &CRunEmbrithSettings::spreadDirection},
    {1046, "Crown Fire Activity", &CRunEmbrithSettings::crownFireActivity},
    {1047, "Perimeters", &CRunEmbrithSettings::perimeters},
    {1048, "Spot Fire Locations", &CRunEmbrithSettings::spotFireLocations},
    {1052, "Spot Fire List", &CRunEmbrithSettings::spotFireList},
    {1055, "Spread Vectors", &CRunEmbrithSettings::spreadVectors},
    {1054, "Wind Vectors", &CRunEmbrithSettings::windVectors},
};

EmbrithInputsState EmbrithInputsStateOf(const CRun& run, bool areaNeedsCustomFuels) {
  EmbrithInputsState s;
  s.fmsFile = run.inputs.fuelMoistureFile;
  s.fmdFile = run.inputs.customFuelsFile;
  s.wxsFile = run.inputs.weatherStreamFile;
  s.atmFile = run.embrith.atmFile;
  s.areaNeedsCustomFuels = areaNeedsCustomFuels;
  s.windType = run.inputs.windType;
  s.conditioningStart = run.inputs.conditioningStart;
  s.crownFireMethod = run.outputs.crownFireMethod;
  s.hasIgnitions = !run.embrith.ignitionFile.empty();
  s.burnPeriods = run.embrith.burnPeriods.size();
  return s;
}

std::string MissingEmbrithInputText(CRun& run, const EmbrithInputsState& in) {
  if (!run.CheckFmsFile(in.fmsFile)) return "Need Fuel Moisture File";
  if (in.areaNeedsCustomFuels && in.fmdFile.empty()) return "Need FMD File";
  if (in.wxsFile.empty()) return "Need a Weather Stream file";
  {
    CWxStream stream;
    if (stream.Read(in.wxsFile) <= 0 || stream.records.empty()) return "Weather Stream file invalid or empty";
    OleDateTime first, last;
    std::string message;
    if (!stream.Validate(first, last, message)) return "Weather Stream file invalid";
  }
  const OleDateTime& c = in.conditioningStart;
  if (!c.IsValid() ||
      !(OleDateTime(c.GetYear(), c.GetMonth(), c.GetDay(), c.GetHour(), c.GetMinute(), c.GetSecond()) == c))
    return "Set FM Conditioning Period";
  if (in.crownFireMethod < 0) return "Set Crown Fire Method";
  if (!in.hasIgnitions) return "Need Ignition File";
  if (in.burnPeriods == 0) return "Set Burn Periods";
  if (in.windType == 5 && in.atmFile.empty()) return "Need ATM File";
  return "Inputs OK";
}

int CountEmbrithOutputs(const CRunEmbrithSettings& e) {
  int n = 0;
  for (const EmbrithOutput& o : kEmbrithOutputs) n += e.*(o.flag) != 0;
  return n;
}

bool EmbrithOutputsReady(const CRunEmbrithSettings& e, bool hasIgnitionsTheme) {
  if (e.perimeters && hasIgnitionsTheme) return true;
  // The list and the two arrow kinds make nothing of their own to show.
  return e.arrivalTime || e.flameLength || e.rateOfSpread || e.firelineIntensity || e.heatPerUnitArea ||
         e.reactionIntensity || e.ignitionGrid || e.spreadDirection || e.crownFireActivity || e.spotFireLocations;
}

std::optional<std::string> BurnPeriodProblem(const std::vector<BurnPeriod>& periods) {
  // Periods are compared on the calendar of a leap year, as the engine places them.
  double previousEnd = -1;
  for (std::size_t i = 0; i < periods.size(); ++i) {
    const BurnPeriod& b = periods[i];
    const std::string row = FormatC("Burn period %d: ", static_cast<int>(i) + 1);
    OleDateTime day;
    if (!day.SetDateTime(2016, b.month, b.day, 0, 0, 0))
      return row + FormatC("month %d and day %d make no date.", b.month, b.day);
    if (b.startHour < 0 || b.startHour > 23) return row + "the start hour must be between 0 and 23.";
    if (b.endHour < 1 || b.endHour > 24) return row + "the end hour must be between 1 and 24.";
    if (b.startHour >= b.endHour) return row + "the start hour must be before the end hour.";
    const double start = day.GetDayOfYear() * 24.0 + b.startHour;
    if (start < previousEnd) return row + "burn periods must be in order and must not overlap.";
    previousEnd = day.GetDayOfYear() * 24.0 + b.endHour;
  }
  return std::nullopt;
}

std::string EmbrithMonitorText(int fires, int spots, int vertices, int month, int day, int hhmm, int minute) {
  return FormatC("Current Fires: %d | Cumulative Spot Fires: %d | Current Vertices: %d\nEmbrith Simulation Time: %d/%d %02d%02d\n",
                 fires, spots, vertices, month, day, hhmm / 100, minute);
}

namespace {

bool Fail(RunProgress& progress, const std::string& message) {
  return FailRun(progress, message, "Unable to run Embrith");
}

}  // namespace

int EmbrithMonitorThread(EmbrithLaunch& launch, const std::atomic<bool>& runFinished) {
  RunProgress& p = *launch.progress;
  CEmbrith& e = *launch.engine;
  Pause(launch.timing.poll, p, &runFinished);
  SendRunStatus(p, "Running Embrith...");
  while (!p.StopRequested() && !runFinished) {
    const double done = e.GetEmbrithProgress();
    if (done >= 1.0) break;
    int elapsed = 0, month = 0, day = 0, hhmm = 0, minute = 0;
    e.GetSimTimes(&elapsed, &month, &day, &hhmm, &minute);
    SendRunStatus(p, EmbrithMonitorText(e.GetNumCurrentFires(), e.GetNumSpotFiresCreated(), e.GetTotalVertices(),
                                        month, day, hhmm, minute));
    SendRunPosition(p, PercentOf(done));
    Pause(launch.timing.poll, p, &runFinished);
  }
  if (e.GetEmbrithProgress() >= 1.0) {
    if (!runFinished) SendRunPosition(p, 100);
  } else if (p.StopRequested()) {
    e.CancelEmbrith();
    ++launch.cancels;
  }
  return 1;
}

bool RunEmbrith(EmbrithLaunch& launch) {
  CRun& run = *launch.run;
  RunProgress& p = *launch.progress;
  CEmbrith& e = *launch.engine;
  launch.succeeded = launch.stopped = false;
  const auto start = std::chrono::steady_clock::now();
  std::string text;
  const std::string path = WriteInputsAndSettle([&run](std::string& out) { return run.WriteEmbrithInputsFile(out); },
                                                text, p, launch.timing.settle);
  // A failed inputs file ends the dialog's wait with a completion, like every other failure.
  if (path.empty()) return Fail(p, "Error building Embrith inputs file.");
  if (p.StopRequested()) return CancelledRun(p);
  if (e.SetLandscapeFile(launch.landscapeFile.c_str()) == 0) return Fail(p, "Error loading landscape file for Embrith.");
  int rc = e.LoadEmbrithInputs(path.c_str());
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  rc = e.LaunchEmbrith();
  const auto end = std::chrono::steady_clock::now();
  if (rc == kEmbrithCancelled || p.StopRequested()) return CancelledRun(p);
  if (rc != 1) return Fail(p, e.CommandFileError(rc));
  launch.seconds = std::chrono::duration<double>(end - start).count();
  launch.succeeded = true;
  launch.stopped = p.StopRequested();
  // Outputs up to the last fire are kept, but the run is not a plain success.
  if (e.GetNumCurrentFires() == 0 && !launch.stopped) {
    SendRunStatus(p, kNoFireSurvived);
    platform::Tell(kNoFireSurvived);
  }
  p.SetDone(true);
  p.PostCompletion(1);
  return true;
}

bool LaunchEmbrithThreads(EmbrithLaunch& launch) {
  RunProgress* dialog = launch.progress;
  CompletionLast ordered(*dialog);
  launch.progress = &ordered;
  RunProgress& p = ordered;
  SendRunStatus(p, "Initializing..");
  SendRunPosition(p, 0);
  const bool ran = RunLaunchThreads(
      *launch.run, &launch,
      [&](const std::atomic<bool>& runFinished) { EmbrithMonitorThread(launch, runFinished); },
      [&] { RunEmbrith(launch); }, [&](const std::string& message) { return Fail(p, message); });
  launch.progress = dialog;
  return ran;
}

// ---- outputs ------------------------------------------------------------------------------

namespace {

struct EmbrithRaster {
  const char* name;
  int layerType;
  int CRunEmbrithSettings::*flag;
  double* (CEmbrith::*grid)();
};

const EmbrithRaster kRasters[9] = {
    {"Embrith Arrival Time", 37, &CRunEmbrithSettings::arrivalTime, &CEmbrith::GetArrivalTimeGrid},
    {"Embrith Flame Length", 11, &CRunEmbrithSettings::flameLength, &CEmbrith::GetFlameLengthGrid},
    {"Embrith Rate Of Spread", 12, &CRunEmbrithSettings::rateOfSpread, &CEmbrith::GetRateOfSpreadGrid},
    {"Embrith Fireline Intensity", 13, &CRunEmbrithSettings::firelineIntensity, &CEmbrith::GetFireLineIntensityGrid},
    {"Embrith Heat per Unit Area", 14, &CRunEmbrithSettings::heatPerUnitArea, &CEmbrith::GetHeatPerUnitAreaGrid},
    {"Embrith Spread Direction", 21, &CRunEmbrithSettings::spreadDirection, &CEmbrith::GetSpreadDirectionGrid},
    {"Embrith Crown Fire Activity", 15, &CRunEmbrithSettings::crownFireActivity, &CEmbrith::GetCrownFireActivityGrid},
    {"Embrith Reaction Intensity", 43, &CRunEmbrithSettings::reactionIntensity, &CEmbrith::GetReactionIntensityGrid},
    {"Embrith Ignition Grid", 42, &CRunEmbrithSettings::ignitionGrid, &CEmbrith::GetIgnitionGrid},
};

// The first "<working folder>/<n>.shp" that does not exist.
std::string FreePerimeterPath() {
  const std::string folder = platform::WorkingFolder();
  for (int n = 0;; ++n) {
    const std::string path = FormatC("%s/%d.shp", folder.c_str(), n);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return path;
  }
}

void RemoveShapefile(const std::string& shp) {
  const std::string stem = shp.substr(0, shp.size() - 4);
  for (const char* ext : {".shx", ".dbf", ".prj", ".shp"}) std::remove((stem + ext).c_str());
}

std::string BuildEmbrithRunLog(const CRun& run, CEmbrith& e, const RunLogFacts& facts, double seconds,
                               const std::string& inputsText) {
  std::string log = RunLogHead("#Run Log for EMBRITH run: %s\r\n", run, facts, seconds);
  // The counts follow the run time.
  std::size_t at = 0;
  for (int line = 0; line < 3 && at != std::string::npos; ++line) {
    at = log.find("\r\n", at);
    if (at != std::string::npos) at += 2;
  }
  if (at == std::string::npos) at = log.size();
  log.insert(at, FormatC("#\tFinal Number Fires: %d\t\tNumber Spot Fires Created: %d\t\tFinal Number Vertices: %d\r\n",
                         e.GetNumCurrentFires(), e.GetNumSpotFiresCreated(), e.GetTotalVertices()) +
                     (e.GetNumCurrentFires() == 0 ? "#" + std::string(kNoFireSurvived) + "\r\n" : std::string()));
  // A fire-growth run always conditions from its stream.
  if (run.inputs.noConditioning) log += FormatC("#RAWS_FILE: %s\r\n", run.inputs.weatherStreamFile.c_str());
  if (!run.embrith.rosAdjustFile.empty())
    log += FormatC("#ROS_ADJUST_FILE: %s\r\n", run.embrith.rosAdjustFile.c_str());
  log += inputsText;
  if (run.inputs.windType == 5 && !run.embrith.atmFile.empty()) {
    const std::string& atm = run.embrith.atmFile;
    log += FormatC("#Contents of EMBRITH_ATM_FILE: %s\r\n", atm.c_str());
    std::ifstream in(atm, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (line.size() > 511) line.resize(511);
      log += "#" + line + "\n\r\n";
    }
    log += FormatC("#End Contents of EMBRITH_ATM_FILE: %s\r\n\r\n", atm.c_str());
  }
  log += "#SELECTED EMBRITH OUTPUTS\r\n";
  const CRunEmbrithSettings& s = run.embrith;
  const int selected[14] = {s.arrivalTime,     s.flameLength,       s.rateOfSpread,      s.firelineIntensity,
                            s.heatPerUnitArea, s.spreadDirection,   s.crownFireActivity, s.reactionIntensity,
                            s.ignitionGrid,    s.perimeters,        s.spotFireLocations, s.spotFireList,
                            s.windVectors,     s.spreadVectors};
  const auto& tags = RunOutputTags(RunKind::Embrith);
  for (std::size_t i = 0; i < tags.size() && i < 14; ++i)
    if (selected[i]) log += tags[i] + "\r\n";
  log += "#END SELECTED EMBRITH OUTPUTS\r\n";
  log += FormatC("#SPOTTING_SEED: %d\r\n", e.GetSpottingSeedUsed());
  return log;
}

}  // namespace

void FilterRunPerimeters(CRun& run) {
  if (!run.embrithPerimeters) return;
  std::vector<PerimeterPeriod> periods;
  for (const BurnPeriod& b : run.embrith.burnPeriods) periods.push_back({b.month, b.day, b.endHour});
  run.embrithPerimeters->FilterPerimeters(run.embrith.timeStep, periods);
}

int CreateEmbrithOutputThemes(CRun& run, CEmbrith& e, const RunLogFacts& facts, double seconds, bool stopped) {
  int made = 0;
  const CRunEmbrithSettings& s = run.embrith;
  const int rows = static_cast<int>(e.GetNumRows()), cols = static_cast<int>(e.GetNumCols());
  const double cell = e.GetResolution(), south = e.GetSouth(), west = e.GetWest();
  CTheme* direction = nullptr;
  CTheme* rate = nullptr;
  for (const EmbrithRaster& r : kRasters) {
    if (!(s.*(r.flag))) continue;
    const double* cells = (e.*(r.grid))();
    auto theme = std::make_unique<CTheme>();
    if (!cells || !theme->CreateFromDoubles(r.name, south, west, cell, cell, rows, cols, -9999.0f, cells,
                                            r.layerType == 21 ? 1 : 0, r.layerType)) {
      platform::Tell(FormatC("Error creating the output theme %s.", r.name));
      continue;
    }
    theme->name = r.name;
    CTheme* added = AddThemeWithLegend(run, std::move(theme));
    if (r.layerType == 21) direction = added;
    if (r.layerType == 12) rate = added;
    ++made;
  }
  const std::string projection = run.document ? run.document->landscape.projection : std::string();
  if (s.spotFireLocations && run.host) {
    auto theme = std::make_unique<CVectorTheme>();
    if (theme->CreateFromEmbrithSpots("Spot Fire Locations", e.GetFireSpots())) {
      theme->pointColor = MakeColorRef(240, 240, 90);
      theme->pointSize = 3;
      theme->pointSymbol = 0;
      if (run.spotLocations) run.host->DisposeVectorTheme(run.spotLocations);
      run.spotLocations = run.host->AdoptVectorTheme(std::move(theme));
      ++made;
    } else {
      platform::Tell("Error creating the output theme Spot Fire Locations.");
    }
  }
  if (s.perimeters && run.host) {
    const std::string shp = FreePerimeterPath();
    if (!e.WritePerimetersShapeFile(shp.c_str())) {
      platform::Tell(FormatC("Error writing the perimeters to %s: %s", shp.c_str(), e.CommandFileError(0)));
    } else {
      auto theme = std::make_unique<CVectorTheme>();
      if (theme->LoadEmbrithPerimeters(shp, projection)) {
        theme->name = "Embrith Perimeters";
        theme->lineColor = MakeColorRef(0, 0, 0);
        theme->lineWidth = 1;
        theme->lineStyle = 0;
        if (run.embrithPerimeters) run.host->DisposeVectorTheme(run.embrithPerimeters);
        run.embrithPerimeters = run.host->AdoptVectorTheme(std::move(theme));
        FilterRunPerimeters(run);
        ++made;
      }
    }
    RemoveShapefile(shp);
  }
  if (s.spotFireList) {
    const std::string path = platform::ReserveScratchFile(".txt");
    std::string table;
    if (path.empty() || !e.WriteSpotDataFile(path.c_str()) || !platform::ReadWholeFile(path, table))
      platform::Tell("Error writing the spot fire list to the working folder " + platform::WorkingFolder() + ".");
    else if (!stopped)
      run.runLogs.push_back({"Spot Fire List", std::move(table)});
    if (!path.empty()) std::remove(path.c_str());
  }
  if (run.inputs.windType == 4) {
    CWxStream stream;
    const int units = stream.Read(run.inputs.weatherStreamFile) > 0 ? stream.units : 0;
    StoreWindGrids(e, units, run.windGrids);
  }
  auto arrows = [&](CWindVectorTheme*& slot, int kind, const char* name, auto&& create) {
    if (ReplaceArrowTheme(run, slot, kind, name, create)) ++made;
  };
  if (s.arrivalTime && s.windVectors)
    arrows(run.embrithWindVectors, 0, "Embrith Wind Vectors",
           [&](CWindVectorTheme& t) { return CreateFromRunWinds(t, run); });
  if (s.spreadVectors && direction && rate)
    arrows(run.embrithSpreadVectors, 1, "Embrith Spread Vectors",
           [&](CWindVectorTheme& t) { return t.CreateWindVectorsReversed(direction, rate); });
  if (!stopped) {
    std::string inputsPath, inputsText;
    if (run.WriteEmbrithInputsFile(inputsPath)) {
      platform::ReadWholeFile(inputsPath, inputsText);
      std::remove(inputsPath.c_str());
    }
    run.runLogs.push_back({"Run Log", BuildEmbrithRunLog(run, e, facts, seconds, inputsText)});
  }
  GetFireGrowthReport(run);
  return made;
}

namespace {

// Acres an enclave takes back from its fire: the perimeter records give only expanding fires
// an area, and an enclave's rings would otherwise count as burned.
double EnclaveAcres(const VectorShape& s) {
  double sum = 0;
  for (int p = 0; p < s.PartCount(); ++p) {
    int b = 0, e = 0;
    s.PartRange(p, b, e);
    CPolygon ring;
    ring.SetVertexCount(e - b);
    for (int i = b; i < e; ++i) ring.SetVertex(s.x[static_cast<std::size_t>(i)], s.y[static_cast<std::size_t>(i)], i - b);
    sum += ring.GetArea();
  }
  return std::fabs(sum) * 0.000247105;
}

}  // namespace

std::string FireGrowthReport(const CRun& run) {
  constexpr double kHectares = 0.404686;
  const double a0 = run.embrithIgnitions ? run.embrithIgnitions->GetTotalArea() : 0.0;
  std::string out = FormatC("Run: %s\r\n", run.name.c_str());
  out += "Embrith Fire Growth\r\n\tNote: Ignition acreage included\r\n";
  out += FormatC("Ignition Acres (Ha): %.2f (%.2f)\r\n\r\n", a0, a0 * kHectares);
  out += "Elapsed (DD HH:mm) \tCurrent(MM/DD HH:mm) \tFires \tEnclaves \tTotal Acres (Ha)\tTimestep Acres (Ha)\r\n";
  const CVectorTheme* p = run.embrithPerimeters;
  const double step = run.embrith.timeStep;
  if (!p || !p->hasPerimeterAttributes || !(step > 0)) return out;
  const std::size_t n = std::min(p->elapsedMinutes.size(), p->shapes.size());
  double last = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (p->shapes[i]) last = std::max(last, p->elapsedMinutes[i]);
  double previous = a0;
  for (long k = 0;; ++k) {
    const double t = k * step;
    if (t > last + 1e-9) break;
    const long whole = static_cast<long>(t);
    const long days = whole / 1440, hours = (whole % 1440) / 60, minutes = whole % 60;
    int fires = 0, enclaves = 0, month = 0, day = 0, hour = 0;
    double total = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (!p->shapes[i] || std::fabs(p->elapsedMinutes[i] - t) > 1e-6) continue;
      ++fires;
      if (i < p->fireType.size() && p->fireType[i] == kEnclaveFire) {
        ++enclaves;
        total -= EnclaveAcres(*p->shapes[i]);
      } else if (i < p->area.size()) {
        total += p->area[i];
      }
      if (i < p->month.size()) month = p->month[i];
      if (i < p->day.size()) day = p->day[i];
      if (i < p->hour.size()) hour = p->hour[i];
    }
    if (fires > 0) {
      out += FormatC(" %02ld %02ld:%02ld \t\t%02d/%02d %02d:%02d \t%9d \t%9d \t%9.2f (%9.2f)\t%9.2f (%9.2f)\r\n", days,
                     hours, minutes, month, day, hour / 100, hour % 100, fires, enclaves, total, total * kHectares,
                     total - previous, (total - previous) * kHectares);
      previous = total;
    } else {
      out += FormatC(" %02ld %02ld:%02ld \t%s\r\n", days, hours, minutes, k == 0 ? "Ignition" : "No Growth");
    }
  }
  return out;
}

void GetFireGrowthReport(CRun& run) {
  std::string report = FireGrowthReport(run);
  for (RunLogFile& log : run.runLogs)
    if (log.name == "Fire Growth Report") {
      log.text = std::move(report);
      return;
    }
  run.runLogs.push_back({"Fire Growth Report", std::move(report)});
}

void InitEmbrithRun(CRun& run, double x, int defaultResolution) {
  run.isEmbrith = true;
  run.name = "New Embrith Run";
  run.inputs.useWeatherStream = true;
  run.inputs.griddedWindsResolution = defaultResolution;
  // The gridded-wind tolerances share these fields; a new run starts at 0 and 0.
  run.inputs.diurnalAirTemperature = 0.0;
  run.inputs.diurnalCloudCover = 0.0;
  CRunEmbrithSettings& e = run.embrith;
  e.timeStep = 60.0;
  e.distanceResolution = e.minimumSpotDistance = x;
  e.perimeterResolution = std::max(x, 60.0);
  e.spotGridResolution = x / 2;
}

}  // namespace runs

// The engines' inputs files: the basic fire-behaviour file with its travel-time and treatment
// appendices, and the fire-growth file. Each launch writes its own numbered file.
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "weather/scan.h"
#include "weather/wx_stream.h"

using platform::FormatC;
using platform::OleDateTime;

namespace {

constexpr std::size_t kDailyLine = 159;

// Reserves "Pyrvane6_inputs_<n>.txt" in the working folder: the first number free at the moment
// of the call, created empty with O_EXCL so that two launches never share a file.
std::string ReserveInputsFile() {
  const std::string folder = platform::WorkingFolder();
  platform::MakeFolders(folder);
  for (long n = 1; n < 100000000; ++n) {
    const std::string path = platform::Join(folder, FormatC("Pyrvane6_inputs_%ld.txt", n));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

// Writes the text into a freshly reserved inputs file; the path goes to pathOut.
bool Publish(const std::string& text, std::string& pathOut, CRun& run) {
  pathOut = ReserveInputsFile();
  if (pathOut.empty()) return false;
  if (!platform::WriteFileAtomically(pathOut, text)) {
    ::unlink(pathOut.c_str());
    return false;
  }
  run.lastInputsFile = pathOut;
  run.inputsFiles.push_back(pathOut);
  return true;
}

std::string FuelMoistureBlock(const std::string& fmsPath) {
  std::string text;
  if (!platform::ReadWholeFile(fmsPath, text)) return {};
  struct Record {
    int number;
    int values[5];
  };
  std::vector<Record> records;
  weather::TokenReader tokens(text);
  int number = 0, values[5] = {};  // a record cut short keeps the values read before it
  while (tokens.NextInt(number) == weather::TokenReader::Result::Ok) {
    for (int& v : values)
      if (tokens.NextInt(v) != weather::TokenReader::Result::Ok) break;
    records.push_back({number, {values[0], values[1], values[2], values[3], values[4]}});
  }
  int count = 1;
  int def[5] = {-1, -1, -1, -1, -1};
  for (const Record& r : records) {
    if (r.number >= 1 && r.number <= 256) ++count;
    if ((def[0] < 1 || r.number == 0) && r.number <= 256) std::copy(r.values, r.values + 5, def);
  }
  std::string out = FormatC("FUEL_MOISTURES_DATA: %d\n", count);
  out += FormatC("0 %d %d %d %d %d\n", def[0], def[1], def[2], def[3], def[4]);
  for (const Record& r : records) {
    if (r.number < 1 || r.number > 256) continue;
    out += FormatC("%d %d %d %d %d %d\n", r.number, r.values[0], r.values[1], r.values[2],
                   r.values[3], r.values[4]);
  }
  return out + "\n";
}

std::string WeatherStreamBlock(const CRunInputs& in) {
  CWxStream stream;
  if (stream.Read(in.weatherStreamFile) < 0) stream.records.clear();
  std::string out = FormatC("RAWS_ELEVATION: %d\n", stream.elevation);
  out += FormatC("RAWS_UNITS: %s\n", stream.units != 0 ? "Metric" : "English");
  const auto& recs = stream.records;
  long first = -1, last = static_cast<long>(recs.size()) - 1;
  const OleDateTime& start = in.conditioningStart;
  const OleDateTime& end = in.conditioningEnd;
  for (std::size_t i = 0; i < recs.size(); ++i) {
    const OleDateTime& d = recs[i].date;
    if (first < 0 && d.IsValid() && start.IsValid() && d > start)
      first = i == 0 ? 0 : static_cast<long>(i) - 1;
    if (d.IsValid() && end.IsValid() && (d > end || d == end)) {
      last = static_cast<long>(i);
      break;
    }
  }
  // No record later than the start before the walk ended: only the last copied record.
  if (first < 0) first = last;
  const long count = last >= 0 ? last - first + 1 : 0;
  out += FormatC("RAWS: %ld\n", count);
  for (long i = first; count > 0 && i <= last; ++i) {
    const WxRecord& r = recs[static_cast<std::size_t>(i)];
    out += FormatC("%d %d %d %02d%02d %d %d %.2lf %d %d %d \n", r.date.GetYear(),
                   r.date.GetMonth(), r.date.GetDay(), r.date.GetHour(), r.date.GetMinute(),
                   r.temperature, r.humidity, r.precipitation, r.windSpeed, r.windDirection,
                   r.cloudCover);
  }
  return out;
}

std::string UnitsWordOf(const std::string& text) {
  std::size_t after = 0;
  return weather::Lower(weather::FirstWord(text, after)) == "metric" ? "Metric" : "English";
}

// Lines of a daily file that scan as `accept` integers (of at most `scan` read), written again
// from the values read: the check reads "0051-12" as 51 and -12, the engine only spaced numbers.
std::vector<std::string> DataLines(const std::string& text, const char* scan, bool (*accept)(int)) {
  std::vector<std::string> lines;
  weather::LineReader reader(text, kDailyLine);
  std::string_view line;
  std::vector<weather::ScanValue> v;
  while (reader.Next(line)) {
    const int n = weather::ScanFields(line, scan, v);
    if (!accept(n)) continue;
    std::string out;
    for (int i = 0; i < n; ++i) out += (i ? " " : "") + std::to_string(weather::ScanInt(v[static_cast<std::size_t>(i)]));
    lines.push_back(std::move(out));
  }
  return lines;
}

bool SameDay(std::string_view line, const OleDateTime& d) {
  int month = 0, day = 0;
  std::size_t pos = 0;
  return weather::ReadIntAt(line, pos, month) && weather::ReadIntAt(line, pos, day) &&
         d.IsValid() && month == d.GetMonth() && day == d.GetDay();
}

// Copies lines [from, to] (clamped to the file) under "\n<key>: <count>".
std::string CopyBlock(const char* key, const std::vector<std::string>& lines, long from,
                      long to) {
  from = std::max(from, 0L);
  to = std::min(to, static_cast<long>(lines.size()) - 1);
  std::string body;
  long count = 0;
  for (long i = from; i <= to; ++i, ++count) {
    body.append(lines[static_cast<std::size_t>(i)]);
    body += '\n';
  }
  return FormatC("\n%s: %ld\n", key, count) + body;
}

// The daily weather and wind blocks; false when either file cannot be read.
bool DailyBlocks(const CRunInputs& in, std::string& out) {
  std::string wtr, wnd;
  if (!platform::ReadWholeFile(in.weatherFile, wtr)) return false;
  if (!platform::ReadWholeFile(in.windFile, wnd)) return false;

  const auto days = DataLines(wtr, "ddddddddddddd", [](int n) { return n == 10 || n == 12; });
  long s = -1, e = -1;
  for (std::size_t i = 0; i < days.size(); ++i) {
    if (SameDay(days[i], in.conditioningStart)) s = static_cast<long>(i);
    if (SameDay(days[i], in.conditioningEnd)) e = static_cast<long>(i);
  }
  // A start or end day missing from the file: copy from its beginning or to its end.
  if (s < 0) s = 0;
  if (e < 0) e = static_cast<long>(days.size()) - 1;
  out += CopyBlock("WEATHER_DATA", days, s - 1, e + 1);
  out += FormatC("\nWEATHER_DATA_UNITS: %s\n", UnitsWordOf(wtr).c_str());

  const auto winds = DataLines(wnd, "ddddddd", [](int n) { return n == 6; });
  const OleDateTime before = in.conditioningStart.IsValid() ? in.conditioningStart - 1.0
                                                            : OleDateTime::Invalid();
  const OleDateTime after = in.conditioningEnd.IsValid() ? in.conditioningEnd + 1.0
                                                         : OleDateTime::Invalid();
  long a = -1, b = -1, aStart = -1, bEnd = -1;
  for (std::size_t i = 0; i < winds.size(); ++i) {
    const long k = static_cast<long>(i);
    if (a < 0 && SameDay(winds[i], before)) a = k;
    if (aStart < 0 && SameDay(winds[i], in.conditioningStart)) aStart = k;
    if (SameDay(winds[i], after)) b = k;
    if (SameDay(winds[i], in.conditioningEnd)) bEnd = k;
  }
  // Without the day before the start (or after the end) fall back to the start (end) day,
  // then to the file's first (last) line.
  if (a < 0) a = aStart >= 0 ? aStart : 0;
  if (b < 0) b = bEnd >= 0 ? bEnd : static_cast<long>(winds.size()) - 1;
  out += CopyBlock("WIND_DATA", winds, a, b);
  out += FormatC("\nWIND_DATA_UNITS: %s\n", UnitsWordOf(wnd).c_str());
  return true;
}

std::string DateLine(const char* key, const OleDateTime& d) {
  return FormatC("%s: %02d %02d %02d%02d\n", key, d.GetMonth(), d.GetDay(), d.GetHour(),
                 d.GetMinute());
}

std::string CrownFireLine(int method) {
  return method == 0 ? "CROWN_FIRE_METHOD: Hallett\n" : "CROWN_FIRE_METHOD: MarlowBrenner\n";
}

std::string AnalysisAreaLines(const RunHost* host) {
  if (!host || host->AreaIsWholeLandscape()) return {};
  double east = 0, west = 0, north = 0, south = 0;
  host->AreaExtent(east, west, north, south);
  return FormatC("ANALYSIS_AREA_EAST: %lf\nANALYSIS_AREA_WEST: %lf\nANALYSIS_AREA_NORTH: %lf\n"
                 "ANALYSIS_AREA_SOUTH: %lf\n",
                 east, west, north, south);
}

std::string WindLines(const CRunInputs& in) {
  const std::string units = FormatC("WIND_SPEED_UNITS: %d (%s)\n", in.windSpeedUnits,
                                    GetWindSpeedUnitsName(in.windSpeedUnits).c_str());
  const std::string speed = FormatC("WIND_SPEED: %d\n", in.windSpeed);
  switch (in.windType) {
    case 0:
    case 4:
      return speed + FormatC("WIND_DIRECTION: %d\n", in.windDirection) + units;
    case 1:
    case 3:
      return speed + FormatC("WIND_DIRECTION: %d\n", in.windType == 1 ? -1 : -2) +
             FormatC("DEFAULT_UPHILL_DOWNHILL_DIRECTION: %d\n", in.windDirection) + units;
    case 2:
      return FormatC("GRIDDED_WIND_SPEED_FILE: %s\n", in.griddedWindSpeedFile.c_str()) +
             FormatC("GRIDDED_WINDS_DIRECTION_FILE: %s\n", in.griddedWindDirectionFile.c_str()) +
             speed + FormatC("WIND_DIRECTION: %d\n", in.windDirection) + units;
    default:
      return {};
  }
}

std::string OutputSelection(const CRunOutputs& o, int windType) {
  std::string out = "#SELECTED PYRVANE OUTPUTS\n";
  const std::pair<bool, const char*> lines[] = {
      {o.flameLength, "FLAMELENGTH:"},
      {o.firelineIntensity, "INTENSITY:"},
      {o.rateOfSpread, "SPREADRATE:"},
      {o.heatPerUnitArea, "HEATAREA:"},
      {o.crownFireActivity, "CROWNSTATE:"},
      {o.crownFractionBurned, "CROWNFRACTIONBURNED:"},
      {o.solarRadiation, "SOLARRADIATION:"},
      {o.fuelMoisture1, "FUELMOISTURE1:"},
      {o.fuelMoisture10, "FUELMOISTURE10:"},
      {o.fuelMoisture100, "FUELMOISTURE100:"},
      {o.fuelMoisture1000, "FUELMOISTURE1000:"},
      {o.midflameWindSpeed, "MIDFLAME:"},
      {o.horizontalMovementRate, "HORIZRATE:"},
      {o.maxSpreadDirection, "MAXSPREADDIR:"},
      {o.maxSpotting || o.maxSpotVectors, "MAXSPOT:"},
      {o.maxSpottingDirection, "MAXSPOT_DIR:"},
      {o.maxSpottingDistance, "MAXSPOT_DX:"},
      {windType == 4, "WINDDIRGRID:\nWINDSPEEDGRID:"},
      {o.ellipticalA, "ELLIPSEDIM_A:"},
      {o.ellipticalB, "ELLIPSEDIM_B:"},
      {o.ellipticalC, "ELLIPSEDIM_C:"},
      {o.spreadVectors, "#SPREAD_VECTORS"},
      {o.maxSpotVectors, "#MAX_SPOT_VECTORS"},
  };
  for (const auto& [on, line] : lines)
    if (on) out += std::string(line) + "\n";
  return out + "#END SELECTED PYRVANE OUTPUTS\n";
}

// Version line, fuel moistures and the custom-fuels file.
std::string CommonStart(const CRunInputs& in, const char* version) {
  std::string out = std::string(version) + "\n";
  out += FuelMoistureBlock(in.fuelMoistureFile);
  // The engine would load a stale custom-fuels file that the run no longer uses.
  if (in.useCustomFuelModels && !in.customFuelsFile.empty())
    out += FormatC("\nCUSTOM_FUELS_FILE: %s\n", in.customFuelsFile.c_str());
  return out;
}

bool WeatherBlocks(const CRunInputs& in, std::string& out) {
  if (in.useWeatherStream) {
    out += WeatherStreamBlock(in);
    return true;
  }
  return DailyBlocks(in, out);
}

}  // namespace

namespace {

bool BasicText(const CRun& run, std::string& out) {
  const CRunInputs& in = run.inputs;
  const CRunOutputs& o = run.outputs;
  out = CommonStart(in, "Pyrvane-Inputs-File-Version-1");
  if (!in.noConditioning) {
    out += DateLine("CONDITIONING_PERIOD_START", in.conditioningStart);
    out += DateLine("CONDITIONING_PERIOD_END", in.conditioningEnd);
    if (!WeatherBlocks(in, out)) return false;
  }
  out += WindLines(in);
  if (in.windType == 4) {
    out += "GRIDDED_WINDS_GENERATE: Yes\n";
    out += FormatC("GRIDDED_WINDS_RESOLUTION: %d\n", in.griddedWindsResolution);
    if (in.diurnalGriddedWinds) {
      const OleDateTime& d = in.diurnalDateTime;
      out += "GRIDDED_WINDS_DIURNAL: Yes\n";
      out += FormatC("GRIDDED_WINDS_DIURNAL_AIRTEMP: %f\n", in.diurnalAirTemperature);
      out += FormatC("GRIDDED_WINDS_DIURNAL_CLOUDCOVER: %f\n", in.diurnalCloudCover);
      out += FormatC("GRIDDED_WINDS_DIURNAL_LONGITUDE: %f\n", in.diurnalLongitude);
      out += FormatC("GRIDDED_WINDS_DIURNAL_DATE:  %02d %02d 2000\n", d.GetMonth(), d.GetDay());
      out += FormatC("GRIDDED_WINDS_DIURNAL_TIME:  %d %02d %02d %d\n", d.GetSecond(),
                     d.GetMinute(), d.GetHour(), in.diurnalTimeZone);
    }
  }
  out += FormatC("FOLIAR_MOISTURE_CONTENT: %f\n", in.foliarMoistureContent);
  out += CrownFireLine(o.crownFireMethod);
  if (o.spreadDirectionFixed)
    out += FormatC("SPREAD_DIRECTION_FROM_NORTH: %d\n", o.spreadDirectionFromNorth);
  out += FormatC("NUMBER_PROCESSORS: %d\n", o.numberOfProcessors);
  if (!o.useMemoryOutputs)
    out += "USE_MEMORY_OUTPUTS: 0\n" +
           FormatC("TEMP_STORAGE_PATH: %s\n", platform::WorkingFolder().c_str());
  out += AnalysisAreaLines(run.host);
  out += OutputSelection(o, in.windType);
  return true;
}

}  // namespace

bool CRun::WritePyrvaneInputsFile(std::string& pathOut) {
  std::string text;
  return BasicText(*this, text) && Publish(text, pathOut, *this);
}

bool CRun::WriteMTTInputsFile(std::string& pathOut) {
  std::string text;
  if (!BasicText(*this, text)) return false;
  text += FormatC("\nMTT_RESOLUTION: %f\n", mtt.resolution);
  text += FormatC("MTT_SIM_TIME: %f\n", mtt.simulationTime);
  text += FormatC("MTT_TRAVEL_PATH_INTERVAL: %f\n", mtt.travelPathInterval);
  text += FormatC("MTT_SPOT_PROBABILITY: %f\n", mtt.spotProbability);
  text += FormatC("MTT_SPOT_DELAY: %d\n", mtt.spotDelay);
  text += FormatC("MTT_IGNITION_FILE: %s\n", mtt.ignitionFile.c_str());
  if (!mtt.barrierFile.empty()) {
    text += FormatC("MTT_BARRIER_FILE: %s\n", mtt.barrierFile.c_str());
    text += FormatC("MTT_FILL_BARRIERS: %d\n", mtt.fillBarriers);
  }
  text += FormatC("PathweaverNumLat: %d\n", mtt.lateralSearchDepth);
  text += FormatC("PathweaverNumVert: %d\n", mtt.verticalSearchDepth);
  return Publish(text, pathOut, *this);
}

bool CRun::WriteTOMInputsFile(std::string& pathOut) {
  std::string text;
  if (!BasicText(*this, text)) return false;
  text += FormatC("\nMTT_RESOLUTION: %f\n", tom.resolution);
  text += "MTT_SIM_TIME: 0\n";
  text += FormatC("MTT_TRAVEL_PATH_INTERVAL: %f\n", mtt.travelPathInterval);
  text += FormatC("MTT_SPOT_PROBABILITY: %f\n", mtt.spotProbability);
  text += FormatC("MTT_SPOT_DELAY: %d\n", mtt.spotDelay);
  text += FormatC("TREAT_RESOLUTION: %f\n", tom.resolution);
  text += FormatC("TREAT_IDEAL_LANDSCAPE: %s\n", tom.idealLandscapeFile.c_str());
  text += FormatC("TREAT_IGNITION: %s\n", tom.ignitionFile.c_str());
  text += FormatC("TREAT_ITERATIONS: %d\n", tom.iterations);
  text += FormatC("TREAT_DIMENSION: %f\n", tom.maxTreatmentDimension);
  text += FormatC("TREAT_FRACTION: %f\n", tom.treatmentFraction);
  text += FormatC("TREAT_OPPORTUNITES_ONLY: %d\n",
                  tom.treatmentOpportunities && !tom.treatments ? 1 : 0);
  return Publish(text, pathOut, *this);
}

bool CRun::WriteEmbrithInputsFile(std::string& pathOut) {
  const CRunEmbrithSettings& e = embrith;
  std::string text = CommonStart(inputs, "Embrith-Inputs-File-Version-1");
  text += FormatC("EMBRITH_TIMESTEP: %.0f\n", e.timeStep);
  text += FormatC("EMBRITH_DISTANCE_RES: %.0f\n", e.distanceResolution);
  text += FormatC("EMBRITH_PERIMETER_RES: %.0f\n", e.perimeterResolution);
  text += FormatC("EMBRITH_SPOT_GRID_RESOLUTION: %.0f\n", e.spotGridResolution);
  text += FormatC("EMBRITH_SPOT_PROBABILITY: %.3f\n", e.spotProbability);
  text += FormatC("EMBRITH_SPOT_IGNITION_DELAY: %d\n", e.spotIgnitionDelay);
  text += FormatC("EMBRITH_MINIMUM_SPOT_DISTANCE: %.0f\n", e.minimumSpotDistance);
  text += FormatC("EMBRITH_ACCELERATION_ON: %d\n", e.accelerationOn);
  text += FormatC("EMBRITH_FILL_BARRIERS: %d\n", e.fillBarriers);
  text += FormatC("EMBRITH_BURN_PERIODS: %d\n", static_cast<int>(e.burnPeriods.size()));
  // The end hour is the last burning hour plus 1: 18 ends at 1759.
  for (const BurnPeriod& b : e.burnPeriods)
    text += FormatC("%d %d %d %d\n", b.month, b.day, b.startHour * 100, b.endHour * 100 - 41);
  if (!e.rosAdjustFile.empty()) text += FormatC("ROS_ADJUST_FILE: %s\n", e.rosAdjustFile.c_str());
  const BurnPeriod none{0, 0, 0, 0};
  const BurnPeriod& first = e.burnPeriods.empty() ? none : e.burnPeriods.front();
  const BurnPeriod& last = e.burnPeriods.empty() ? none : e.burnPeriods.back();
  text += FormatC("EMBRITH_START_TIME: %d %d %d\n", first.month, first.day, first.startHour * 100);
  text += FormatC("EMBRITH_END_TIME: %d %d %d\n", last.month, last.day,
                  e.burnPeriods.empty() ? 0 : last.endHour * 100 - 41);
  text += FormatC("FOLIAR_MOISTURE_CONTENT: %f\n", inputs.foliarMoistureContent);
  text += CrownFireLine(outputs.crownFireMethod);
  text += FormatC("EMBRITH_IGNITION_FILE: %s\n", e.ignitionFile.c_str());
  if (!e.barrierFile.empty()) text += FormatC("EMBRITH_BARRIER_FILE: %s\n", e.barrierFile.c_str());
  if (!WeatherBlocks(inputs, text)) return false;
  if (inputs.windType == 4) {
    text += "GRIDDED_WINDS_GENERATE: Yes\n";
    text += FormatC("GRIDDED_WINDS_RESOLUTION: %d\n", inputs.griddedWindsResolution);
    // The bins share the diurnal fields, whose defaults (75, 20) would make one grid serve the
    // whole run when the options were never set: keep them to the options' ranges.
    text += FormatC("GRIDDED_WINDS_DIRECTION_BIN: %d\n", std::clamp(static_cast<int>(inputs.diurnalCloudCover), 0, 10));
    text += FormatC("GRIDDED_WINDS_SPEED_BIN: %d\n", std::clamp(static_cast<int>(inputs.diurnalAirTemperature), 0, 5));
  }
  if (inputs.windType == 5 && !e.atmFile.empty())
    text += FormatC("EMBRITH_ATM_FILE: %s\n", e.atmFile.c_str());
  text += AnalysisAreaLines(host);
  return Publish(text, pathOut, *this);
}

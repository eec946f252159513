#include "runs/run_import.h"

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <memory>

#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "runs/run_outputs.h"
#include "themes/vector_theme.h"
#include "weather/daily_weather.h"
#include "weather/scan.h"

using platform::FormatC;
using platform::OleDateTime;

namespace runs {

const ImportHeader kImportHeaders[kImportKindCount] = {
    {"Pyrvane-Inputs-File-Version-1", ImportFamily::FireBehavior},
    {"ShortTerm-Inputs-File-Version-1", ImportFamily::FireBehavior},
    {"EMBRITH INPUTS FILE VERSION 1.0", ImportFamily::Embrith},
    {"Embrith-Inputs-File-Version-1", ImportFamily::Embrith},
    {"#Run Log for Pyrvane run:", ImportFamily::FireBehavior},
    {"#Run Log for MTT run:", ImportFamily::FireBehavior},
    {"#Run Log for MTT Random Ignitions run:", ImportFamily::FireBehavior},
    {"#Run Log for TOM run:", ImportFamily::FireBehavior},
    {"#Run Log for EMBRITH run:", ImportFamily::Embrith},
};

int ImportKindOf(std::string_view firstLine) {
  for (int kind = 0; kind < kImportKindCount; ++kind)
    if (firstLine.starts_with(kImportHeaders[kind].text)) return kind;
  return -1;
}

ImportFile::ImportFile(std::string text) : text_(std::move(text)) {
  std::size_t pos = 0;
  while (pos < text_.size()) {
    std::size_t end = text_.find('\n', pos);
    if (end == std::string::npos) end = text_.size();
    std::size_t length = end - pos;
    if (length > 0 && text_[pos + length - 1] == '\r') --length;
    lines_.emplace_back(pos, length);
    pos = end + 1;
  }
}

std::optional<std::size_t> FindImportKey(const ImportFile& file, std::string_view key) {
  for (std::size_t i = 0; i < file.LineCount(); ++i)
    if (file.Line(i).starts_with(key)) return i;
  return std::nullopt;
}

bool FindImportKeyLine(const ImportFile& file, std::string_view key, std::string& line) {
  const auto at = FindImportKey(file, key);
  line = at ? std::string(file.Line(*at)) : std::string();
  return at.has_value();
}

std::optional<std::string> GetImportKeyValue(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  std::string_view value = line.substr(colon + 1);
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!value.empty() && blank(value.front())) value.remove_prefix(1);
  while (!value.empty() && blank(value.back())) value.remove_suffix(1);
  return std::string(value);
}

namespace {

using weather::ScanFields;
using weather::ScanValue;

// ---- key values ----

// The numbers after the first word of the key's line ("%s %d %d ..."): how many were read.
int KeyInts(const ImportFile& f, std::string_view key, int* values, int count) {
  const auto at = FindImportKey(f, key);
  if (!at) return 0;
  std::vector<ScanValue> v;
  const int n = ScanFields(f.Line(*at), "s" + std::string(static_cast<std::size_t>(count), 'd'), v) - 1;
  for (int i = 0; i < n; ++i) values[i] = weather::ScanInt(v[static_cast<std::size_t>(i) + 1]);
  return std::max(n, 0);
}

bool KeyInt(const ImportFile& f, std::string_view key, int& value) { return KeyInts(f, key, &value, 1) == 1; }

// A real value, read in single precision as the files were always read; a value that is not a
// finite single-precision number is not taken.
bool KeyReal(const ImportFile& f, std::string_view key, double& value) {
  const auto at = FindImportKey(f, key);
  if (!at) return false;
  std::vector<ScanValue> v;
  if (ScanFields(f.Line(*at), "sf", v) != 2) return false;
  const double read = weather::ScanDouble(v[1]);
  if (!std::isfinite(read) || std::fabs(read) > FLT_MAX) return false;
  value = static_cast<float>(read);
  return true;
}

// The word after the key's first word.
bool KeyWord(const ImportFile& f, std::string_view key, std::string& word) {
  const auto at = FindImportKey(f, key);
  if (!at) return false;
  std::vector<ScanValue> v;
  if (ScanFields(f.Line(*at), "ss", v, 4096) != 2) return false;
  word = weather::ScanWord(v[1]);
  return true;
}

bool KeyWordIs(const ImportFile& f, std::string_view key, std::string_view expected) {
  std::string word;
  return KeyWord(f, key, word) && weather::Lower(word) == weather::Lower(expected);
}

// A file name: the whole value after the colon.
bool KeyFile(const ImportFile& f, std::string_view key, std::string& path) {
  const auto at = FindImportKey(f, key);
  if (!at) return false;
  auto value = GetImportKeyValue(f.Line(*at));
  if (!value) return false;
  path = std::move(*value);
  return true;
}

bool Has(const ImportFile& f, std::string_view key) { return FindImportKey(f, key).has_value(); }

// The count of a block's key line, and the index of that line.
std::optional<std::size_t> BlockKey(const ImportFile& f, std::string_view key, int& count) {
  const auto at = FindImportKey(f, key);
  count = 0;
  if (at) KeyInts(f, key, &count, 1);
  return at;
}

// Data line i (1-based) of a block, or nothing past the file's end.
std::optional<std::string_view> BlockLine(const ImportFile& f, std::size_t keyLine, long i) {
  const std::size_t at = keyLine + static_cast<std::size_t>(i);
  if (i < 1 || at >= f.LineCount()) return std::nullopt;
  return f.Line(at);
}

// ---- embedded blocks ----

// The n lines after the block's key that scan as `accept` fields of `fields`, each with a line
// end; counts them in `written`.
std::string CopyBlockLines(const ImportFile& f, std::string_view key, std::string_view fields,
                           bool (*accept)(int), int& written) {
  written = 0;
  int count = 0;
  const auto at = BlockKey(f, key, count);
  std::string out;
  if (!at) return out;
  std::vector<ScanValue> v;
  for (long i = 1; i <= count; ++i) {
    const auto line = BlockLine(f, *at, i);
    if (!line) break;
    if (!accept(ScanFields(*line, fields, v))) continue;
    out.append(*line);
    out += '\n';
    ++written;
  }
  return out;
}

int Publish(const std::string& path, const std::string& text, int written) {
  return platform::WriteFileAtomically(path, text) ? written : -1;
}

bool ContainsMetric(const ImportFile& f, std::string_view key) {
  const auto at = FindImportKey(f, key);
  return at && weather::Lower(f.Line(*at)).find("metric") != std::string::npos;
}

// A daily block ("METRIC" first when its units line says so).
int ExtractDaily(const ImportFile& f, const std::string& path, std::string_view unitsKey,
                 std::string_view dataKey, std::string_view fields, bool (*accept)(int)) {
  std::string text = ContainsMetric(f, unitsKey) ? "METRIC\n" : "";
  int written = 0;
  text += CopyBlockLines(f, dataKey, fields, accept, written);
  return Publish(path, text, written);
}

}  // namespace

int ExtractImportFmsFile(const ImportFile& f, const std::string& path) {
  int written = 0;
  const std::string text =
      CopyBlockLines(f, "FUEL_MOISTURES_DATA:", "dddddd", [](int n) { return n == 6; }, written);
  return Publish(path, text, written);
}

int ExtractImportRawsFile(const ImportFile& f, const std::string& path) {
  const auto elevation = FindImportKey(f, "RAWS_ELEVATION:");
  if (!elevation) return platform::WriteFileAtomically(path, "") ? -2 : -1;
  std::string text = std::string(f.Line(*elevation)) + "\n";
  const auto units = FindImportKey(f, "RAWS_UNITS:");
  text += units ? std::string(f.Line(*units)) + "\n" : "RAWS_UNITS: English\n";
  int written = 0;
  const std::string records =
      CopyBlockLines(f, "RAWS:", "ddddddfddd", [](int n) { return n == 10; }, written);
  // The count says what follows: a record that did not scan is not counted.
  if (Has(f, "RAWS:")) text += FormatC("RAWS: %d\n", written) + records;
  return Publish(path, text, written);
}

int ExtractImportWtrFile(const ImportFile& f, const std::string& path) {
  return ExtractDaily(f, path, "WEATHER_DATA_UNITS:", "WEATHER_DATA:", "dddddddddddd",
                      [](int n) { return n == 10 || n == 12; });
}

int ExtractImportWndFile(const ImportFile& f, const std::string& path) {
  return ExtractDaily(f, path, "WIND_DATA_UNITS:", "WIND_DATA:", "dddddd", [](int n) { return n == 6; });
}

namespace {

// ---- shared steps ----

constexpr int kDefaultYear = 1961, kDefaultMonth = 2, kDefaultDay = 11;
constexpr int kDailyYear = 2018;

OleDateTime MakeDate(int year, int month, int day, int hour, int minute, int second, const OleDateTime& fallback) {
  const OleDateTime d(year, month, day, hour, minute, second);
  return d.IsValid() ? d : fallback;
}

void ReadFoliarAndCrown(CRun& run, const ImportFile& f) {
  KeyReal(f, "FOLIAR_MOISTURE_CONTENT:", run.inputs.foliarMoistureContent);
  if (Has(f, "CROWN_FIRE_METHOD:"))
    run.outputs.crownFireMethod = KeyWordIs(f, "CROWN_FIRE_METHOD:", "Hallett") ? 0 : 1;
}

void ReadFuels(CRun& run, const ImportFile& f, const std::string& importPath) {
  const std::string fms = importPath + ".fms";
  ExtractImportFmsFile(f, fms);
  run.inputs.fuelMoistureFile = fms;
  // The inputs file names custom fuels only when the run used them.
  if (KeyFile(f, "CUSTOM_FUELS_FILE:", run.inputs.customFuelsFile))
    run.inputs.useCustomFuelModels = !run.inputs.customFuelsFile.empty();
}

// The weather file keys, else the embedded blocks written beside the import file.
void ReadWeatherFiles(CRun& run, const ImportFile& f, const std::string& importPath) {
  CRunInputs& in = run.inputs;
  bool named = false;
  if (KeyFile(f, "RAWS_FILE:", in.weatherStreamFile)) named = true, in.useWeatherStream = true;
  if (KeyFile(f, "WEATHER_FILE:", in.weatherFile)) named = true, in.useWeatherStream = false;
  if (KeyFile(f, "WIND_FILE:", in.windFile)) named = true, in.useWeatherStream = false;
  if (named) return;
  if (Has(f, "RAWS:")) {
    const std::string wxs = importPath + ".wxs";
    if (ExtractImportRawsFile(f, wxs) >= 1) {
      in.weatherStreamFile = wxs;
      in.useWeatherStream = true;
    }
    return;
  }
  if (Has(f, "WEATHER_DATA:")) {
    const std::string wtr = importPath + ".wtr";
    if (ExtractImportWtrFile(f, wtr) >= 1) {
      in.weatherFile = wtr;
      in.useWeatherStream = false;
    }
  }
  if (Has(f, "WIND_DATA:")) {
    const std::string wnd = importPath + ".wnd";
    if (ExtractImportWndFile(f, wnd) >= 1) {
      in.windFile = wnd;
      in.useWeatherStream = false;
    }
  }
}

// Start and end from the first and n-th record of the embedded stream; the year of the last
// record read (1961 without records).
int StreamPeriod(CRun& run, const ImportFile& f) {
  const OleDateTime fallback(kDefaultYear, kDefaultMonth, kDefaultDay, 22, 18, 0);
  run.inputs.conditioningStart = run.inputs.conditioningEnd = fallback;
  int count = 0;
  const auto at = BlockKey(f, "RAWS:", count);
  int year = kDefaultYear;
  if (!at || count < 1) return year;
  std::vector<ScanValue> v;
  auto record = [&](long i, OleDateTime& date) {
    const auto line = BlockLine(f, *at, i);
    if (!line || ScanFields(*line, "dddd", v) != 4) return;
    const int hhmm = weather::ScanInt(v[3]);
    date = MakeDate(weather::ScanInt(v[0]), weather::ScanInt(v[1]), weather::ScanInt(v[2]), hhmm / 100,
                    hhmm % 100, 0, date);
    year = weather::ScanInt(v[0]);
  };
  record(1, run.inputs.conditioningStart);
  record(count, run.inputs.conditioningEnd);
  return year;
}

// Month and day of data line i of the daily weather block.
bool DailyDay(const ImportFile& f, std::size_t keyLine, long i, int& month, int& day) {
  const auto line = BlockLine(f, keyLine, i);
  std::vector<ScanValue> v;
  if (!line || ScanFields(*line, "dd", v) != 2) return false;
  month = weather::ScanInt(v[0]);
  day = weather::ScanInt(v[1]);
  return true;
}

// Start at 13:00 of the second day line and end at the close of the next-to-last, in 2018.
void DailyPeriod(CRun& run, const ImportFile& f) {
  int count = 0;
  const auto at = BlockKey(f, "WEATHER_DATA:", count);
  if (!at) return;
  int month = kDefaultMonth, day = kDefaultDay;
  if (count > 1) DailyDay(f, *at, 2, month, day);
  OleDateTime& start = run.inputs.conditioningStart;
  start = MakeDate(kDailyYear, month, day, 13, 0, 0, OleDateTime(kDailyYear, kDefaultMonth, kDefaultDay, 13, 0, 0));
  if (count > 1) DailyDay(f, *at, count - 1, month, day);
  run.inputs.conditioningEnd = MakeDate(kDailyYear, month, day, 23, 59, 59, start);
}

// "<KEY>: month day hhmm" replacing a date, in the given year.
void PeriodKey(const ImportFile& f, std::string_view key, int year, OleDateTime& date) {
  int v[3] = {};
  if (KeyInts(f, key, v, 3) == 3) date = MakeDate(year, v[0], v[1], v[2] / 100, v[2] % 100, 0, date);
}

void ReadTags(const ImportFile& f, const std::vector<std::string>& tags, std::initializer_list<int*> flags) {
  std::size_t i = 0;
  for (int* flag : flags) {
    if (i < tags.size()) *flag = Has(f, tags[i]) ? 1 : 0;
    ++i;
  }
}

// ---- fire-behaviour family ----

void ReadFireBehaviorWeather(CRun& run, const ImportFile& f, const std::string& importPath) {
  ReadWeatherFiles(run, f, importPath);
  if (Has(f, "RAWS:")) {
    const int year = StreamPeriod(run, f);
    PeriodKey(f, "CONDITIONING_PERIOD_START:", year, run.inputs.conditioningStart);
    PeriodKey(f, "CONDITIONING_PERIOD_END:", year, run.inputs.conditioningEnd);
    return;
  }
  DailyPeriod(run, f);
  PeriodKey(f, "CONDITIONING_PERIOD_START:", kDailyYear, run.inputs.conditioningStart);
  PeriodKey(f, "CONDITIONING_PERIOD_END:", kDailyYear, run.inputs.conditioningEnd);
}

void ReadGriddedWinds(CRun& run, const ImportFile& f) {
  CRunInputs& in = run.inputs;
  if (!KeyWordIs(f, "GRIDDED_WINDS_GENERATE:", "Yes")) return;
  in.windType = 4;
  if (!KeyInt(f, "GRIDDED_WINDS_RESOLUTION:", in.griddedWindsResolution)) in.griddedWindsResolution = 90;
  if (!Has(f, "GRIDDED_WINDS_DIURNAL:")) {
    in.diurnalGriddedWinds = false;
    return;
  }
  in.diurnalGriddedWinds = KeyWordIs(f, "GRIDDED_WINDS_DIURNAL:", "Yes");
  KeyReal(f, "GRIDDED_WINDS_DIURNAL_AIRTEMP:", in.diurnalAirTemperature);
  KeyReal(f, "GRIDDED_WINDS_DIURNAL_CLOUDCOVER:", in.diurnalCloudCover);
  KeyReal(f, "GRIDDED_WINDS_DIURNAL_LONGITUDE:", in.diurnalLongitude);
  if (!Has(f, "GRIDDED_WINDS_DIURNAL_DATE:")) return;
  int date[3] = {1, 1, 2018};  // month, day, year
  int time[4] = {0, 0, 14, -7};  // seconds (not used), minute, hour, time zone
  KeyInts(f, "GRIDDED_WINDS_DIURNAL_DATE:", date, 3);
  KeyInts(f, "GRIDDED_WINDS_DIURNAL_TIME", time, 4);
  in.diurnalDateTime = MakeDate(date[2], date[0], date[1], time[2], time[1], 0, in.diurnalDateTime);
  in.diurnalTimeZone = time[3];
}

void ReadOutputFlags(CRun& run, const ImportFile& f) {
  CRunOutputs& o = run.outputs;
  const std::pair<const char*, bool*> keys[] = {
      {"FLAMELENGTH:", &o.flameLength},
      {"INTENSITY:", &o.firelineIntensity},
      {"SPREADRATE:", &o.rateOfSpread},
      {"HEATAREA:", &o.heatPerUnitArea},
      {"CROWNSTATE:", &o.crownFireActivity},
      {"CROWNFRACTIONBURNED:", &o.crownFractionBurned},
      {"SOLARRADIATION:", &o.solarRadiation},
      {"FUELMOISTURE1:", &o.fuelMoisture1},
      {"FUELMOISTURE10:", &o.fuelMoisture10},
      {"FUELMOISTURE100:", &o.fuelMoisture100},
      {"FUELMOISTURE1000:", &o.fuelMoisture1000},
      {"MIDFLAME:", &o.midflameWindSpeed},
      {"HORIZRATE:", &o.horizontalMovementRate},
      {"MAXSPREADDIR:", &o.maxSpreadDirection},
      {"MAXSPOT:", &o.maxSpotting},
      {"MAXSPOT_DIR:", &o.maxSpottingDirection},
      {"MAXSPOT_DX:", &o.maxSpottingDistance},
      {"ELLIPSEDIM_A:", &o.ellipticalA},
      {"ELLIPSEDIM_B:", &o.ellipticalB},
      {"ELLIPSEDIM_C:", &o.ellipticalC},
      {"#SPREAD_VECTORS", &o.spreadVectors},
      {"#MAX_SPOT_VECTORS", &o.maxSpotVectors},
  };
  for (const auto& [key, flag] : keys)
    if (Has(f, key)) *flag = true;
}

void ReadFireBehavior(CRun& run, const ImportFile& f, const std::string& importPath) {
  CRunInputs& in = run.inputs;
  run.isEmbrith = false;
  KeyInt(f, "WIND_DIRECTION:", in.windDirection);
  KeyInt(f, "WIND_SPEED:", in.windSpeed);
  KeyInt(f, "WIND_SPEED_UNITS", in.windSpeedUnits);
  ReadFoliarAndCrown(run, f);
  ReadFuels(run, f, importPath);
  in.noConditioning = !Has(f, "CONDITIONING_PERIOD_END:");
  if (!in.noConditioning) ReadFireBehaviorWeather(run, f, importPath);
  in.windType = in.windDirection == -1 ? 1 : in.windDirection == -2 ? 3 : 0;
  KeyInt(f, "DEFAULT_UPHILL_DOWNHILL_DIRECTION:", in.windDirection);
  if (KeyFile(f, "GRIDDED_WIND_SPEED_FILE:", in.griddedWindSpeedFile)) in.windType = 2;
  if (KeyFile(f, "GRIDDED_WINDS_DIRECTION_FILE:", in.griddedWindDirectionFile)) in.windType = 2;
  ReadGriddedWinds(run, f);
  // The file names a direction only when the run held it fixed.
  if (KeyInt(f, "SPREAD_DIRECTION_FROM_NORTH:", run.outputs.spreadDirectionFromNorth))
    run.outputs.spreadDirectionFixed = true;
  ReadOutputFlags(run, f);
  if (KeyInt(f, "NUMBER_PROCESSORS:", run.outputs.numberOfProcessors) && run.outputs.numberOfProcessors < 2)
    run.outputs.numberOfProcessors = 1;
}

void ReadMttKeys(CRun& run, const ImportFile& f) {
  CRunMTTSettings& m = run.mtt;
  KeyReal(f, "MTT_RESOLUTION:", m.resolution);
  KeyReal(f, "MTT_TRAVEL_PATH_INTERVAL:", m.travelPathInterval);
  KeyReal(f, "MTT_SPOT_PROBABILITY:", m.spotProbability);
  KeyInt(f, "MTT_SPOT_DELAY:", m.spotDelay);
  KeyInt(f, "PathweaverNumLat:", m.lateralSearchDepth);
  KeyInt(f, "PathweaverNumVert:", m.verticalSearchDepth);
}

void ReadMttBarriers(CRun& run, const ImportFile& f) {
  KeyReal(f, "MTT_SIM_TIME:", run.mtt.simulationTime);
  KeyFile(f, "MTT_BARRIER_FILE:", run.mtt.barrierFile);
  KeyInt(f, "MTT_FILL_BARRIERS:", run.mtt.fillBarriers);
}

void ReadMttSettings(CRun& run, const ImportFile& f) {
  CRunMTTSettings& m = run.mtt;
  if (KeyFile(f, "MTT_IGNITION_FILE:", m.ignitionFile)) m.ignitionSource = 0;
  ReadMttBarriers(run, f);
  ReadTags(f, RunOutputTags(RunKind::MTT),
           {&m.rateOfSpread, &m.nodeInfluence, &m.arrivalTime, &m.firelineIntensity, &m.ignitionGrid,
            &m.flowPaths, &m.majorPaths, &m.arrivalContour, &m.emberLocations, &m.emberList});
}

void ReadRandomIgnitions(CRun& run, const ImportFile& f) {
  CRunMTTSettings& m = run.mtt;
  m.ignitionSource = 2;
  if (KeyFile(f, "#FireListFile:", m.fireListFile)) m.ignitionSource = 3;
  KeyInt(f, "#NumFires:", m.numberOfRandomFires);
  KeyReal(f, "MTT_RESOLUTION:", m.resolution);
  ReadMttBarriers(run, f);
  ReadTags(f, RunOutputTags(RunKind::RandomIgnitions),
           {&m.burnProbabilities, &m.perimeters, &m.flpEnglish, &m.flpMetric, &m.fireSizeList});
}

void ReadTom(CRun& run, const ImportFile& f) {
  CRunTOMSettings& t = run.tom;
  run.mtt.simulationTime = 0;
  KeyReal(f, "MTT_RESOLUTION:", t.resolution);
  KeyReal(f, "TREAT_RESOLUTION:", t.resolution);
  KeyReal(f, "TREAT_FRACTION:", t.treatmentFraction);
  KeyReal(f, "TREAT_DIMENSION:", t.maxTreatmentDimension);
  KeyInt(f, "TREAT_ITERATIONS:", t.iterations);
  // The whole value: a path with blanks is not cut at its first blank.
  KeyFile(f, "TREAT_IGNITION:", t.ignitionFile);
  KeyFile(f, "TREAT_IDEAL_LANDSCAPE:", t.idealLandscapeFile);
  ReadTags(f, RunOutputTags(RunKind::TOM),
           {&t.treatmentOpportunities, &t.treatments, &t.rateOfSpread, &t.nodeInfluence, &t.arrivalTime,
            &t.firelineIntensity, &t.flowPaths, &t.majorPaths, &t.arrivalContour});
}

// ---- fire-growth family ----

void ReadBurnPeriods(CRun& run, const ImportFile& f) {
  int count = 0;
  const auto at = BlockKey(f, "EMBRITH_BURN_PERIODS:", count);
  if (!at) return;
  std::vector<BurnPeriod>& periods = run.embrith.burnPeriods;
  periods.clear();
  std::vector<ScanValue> v;
  for (long i = 1; i <= count; ++i) {
    const auto line = BlockLine(f, *at, i);
    if (!line) break;
    if (ScanFields(*line, "dddd", v) != 4) continue;  // a row that is not four numbers makes no period
    // The writer's end is the end hour x 100 - 41: 1759 is hour 18.
    const long long end = weather::ScanInt(v[3]);
    periods.push_back({weather::ScanInt(v[0]), weather::ScanInt(v[1]), weather::ScanInt(v[2]) / 100,
                       static_cast<int>((end + 41) / 100)});
  }
}

void ReadEmbrithPeriod(CRun& run, const ImportFile& f) {
  CRunInputs& in = run.inputs;
  if (Has(f, "RAWS:")) {
    StreamPeriod(run, f);
    return;
  }
  int count = 0;
  if (!BlockKey(f, "WEATHER_DATA:", count)) return;
  DailyPeriod(run, f);
  const auto& periods = run.embrith.burnPeriods;
  if (!periods.empty()) {
    // The last burning minute of the last period, as the inputs file writes it.
    const BurnPeriod& last = periods.back();
    const int hour = last.endHour > 0 ? last.endHour - 1 : 0;
    const int minute = last.endHour > 0 ? 59 : 0;
    in.conditioningEnd = MakeDate(kDailyYear, last.month, last.day, hour, minute, 0, in.conditioningEnd);
  }
  PeriodKey(f, "CONDITIONING_PERIOD_START:", kDailyYear, in.conditioningStart);
}

void ReadEmbrith(CRun& run, const ImportFile& f, const std::string& importPath) {
  CRunInputs& in = run.inputs;
  CRunEmbrithSettings& e = run.embrith;
  run.isEmbrith = true;
  in.windType = 0;
  ReadFuels(run, f, importPath);
  KeyReal(f, "EMBRITH_TIMESTEP:", e.timeStep);
  KeyReal(f, "EMBRITH_DISTANCE_RES:", e.distanceResolution);
  KeyReal(f, "EMBRITH_PERIMETER_RES:", e.perimeterResolution);
  KeyReal(f, "EMBRITH_SPOT_GRID_RESOLUTION:", e.spotGridResolution);
  KeyReal(f, "EMBRITH_SPOT_PROBABILITY:", e.spotProbability);
  KeyInt(f, "EMBRITH_SPOT_IGNITION_DELAY:", e.spotIgnitionDelay);
  KeyReal(f, "EMBRITH_MINIMUM_SPOT_DISTANCE:", e.minimumSpotDistance);
  KeyInt(f, "EMBRITH_ACCELERATION_ON:", e.accelerationOn);
  KeyInt(f, "EMBRITH_FILL_BARRIERS:", e.fillBarriers);
  ReadBurnPeriods(run, f);
  KeyFile(f, "ROS_ADJUST_FILE:", e.rosAdjustFile);
  ReadFoliarAndCrown(run, f);
  KeyFile(f, "EMBRITH_IGNITION_FILE:", e.ignitionFile);
  KeyFile(f, "EMBRITH_BARRIER_FILE:", e.barrierFile);
  in.noConditioning = false;
  ReadWeatherFiles(run, f, importPath);
  if (KeyWordIs(f, "GRIDDED_WINDS_GENERATE:", "Yes")) in.windType = 4;
  KeyInt(f, "GRIDDED_WINDS_RESOLUTION:", in.griddedWindsResolution);
  // The bins live in the diurnal fields.
  KeyReal(f, "GRIDDED_WINDS_DIRECTION_BIN:", in.diurnalCloudCover);
  KeyReal(f, "GRIDDED_WINDS_SPEED_BIN:", in.diurnalAirTemperature);
  if (KeyFile(f, "EMBRITH_ATM_FILE:", e.atmFile)) in.windType = 5;
  ReadEmbrithPeriod(run, f);
  ReadTags(f, RunOutputTags(RunKind::Embrith),
           {&e.arrivalTime, &e.flameLength, &e.rateOfSpread, &e.firelineIntensity, &e.heatPerUnitArea,
            &e.spreadDirection, &e.crownFireActivity, &e.reactionIntensity, &e.ignitionGrid, &e.perimeters,
            &e.spotFireLocations, &e.spotFireList, &e.windVectors, &e.spreadVectors});
}

// ---- themes ----

void LoadTheme(CRun& run, std::string& file, const char* title, const char* failure, CVectorTheme*& slot) {
  if (file.empty()) return;
  auto theme = std::make_unique<CVectorTheme>();
  const std::string projection = run.document ? run.document->landscape.projection : std::string();
  if (!theme->LoadShapefile(file, projection)) {
    platform::Tell(FormatC(failure, file.c_str()));
    file.clear();
    return;
  }
  theme->name = title;
  if (!run.host) return;
  double east = 0, west = 0, north = 0, south = 0;
  run.host->AreaExtent(east, west, north, south);
  // A file wholly outside the area keeps its name but gives no theme.
  if (!theme->HasVertexInRect(west, east, south, north)) return;
  slot = run.host->AdoptVectorTheme(std::move(theme));
}

}  // namespace

void ReadImportKeys(CRun& run, const ImportFile& file, int kind, const std::string& importPath) {
  if (kind < 0 || kind >= kImportKindCount) return;
  if (kImportHeaders[kind].family == ImportFamily::Embrith) {
    ReadEmbrith(run, file, importPath);
    return;
  }
  ReadFireBehavior(run, file, importPath);
  if (kind == kImportShortTermInputs || kind == kImportMttRunLog || kind == kImportRandomIgnitionsRunLog ||
      kind == kImportTomRunLog)
    ReadMttKeys(run, file);
  if (kind == kImportShortTermInputs || kind == kImportMttRunLog) ReadMttSettings(run, file);
  if (kind == kImportRandomIgnitionsRunLog) ReadRandomIgnitions(run, file);
  if (kind == kImportTomRunLog) ReadTom(run, file);
}

void MakeImportThemes(CRun& run, int kind) {
  if (kind < 0 || kind >= kImportKindCount) return;
  if (kImportHeaders[kind].family == ImportFamily::Embrith) {
    LoadTheme(run, run.embrith.ignitionFile, "Embrith Ignitions", "Error creating Embrith ignition from %s\n",
              run.embrithIgnitions);
    LoadTheme(run, run.embrith.barrierFile, "Embrith Barriers", "Error creating Embrith barriers from %s\n",
              run.embrithBarriers);
    return;
  }
  if (kind == kImportTomRunLog && !run.tom.idealLandscapeFile.empty()) run.CreateIdealLandscapeThemes();
  LoadTheme(run, run.mtt.ignitionFile, "Minimum Travel Time Ignitions",
            "Error creating Minimum Travel Time ignition from %s\n", run.mttIgnitions);
  LoadTheme(run, run.mtt.barrierFile, "Minimum Travel Time Barriers",
            "Error creating Minimum Travel Time barriers from %s\n", run.mttBarriers);
  if (kind == kImportTomRunLog)
    LoadTheme(run, run.tom.ignitionFile, "TOM Ignitions", "Error creating TOM Ignitions from %s\n",
              run.tomIgnitions);
}

bool ConvertImportWeather(CRun& run) {
  CRunInputs& in = run.inputs;
  const std::string& wtr = in.weatherFile;
  const std::size_t slash = wtr.find_last_of("/\\");
  const std::size_t dot = wtr.rfind('.');
  // A point in a folder name is not an extension.
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string wxs = (hasExtension ? wtr.substr(0, dot) : wtr) + ".wxs";
  const bool made = ConvertWtrWndToWxs(wtr, in.windFile, wxs, {&in.conditioningStart, &in.conditioningEnd}) > 0;
  if (made)
    in.weatherStreamFile = wxs;
  else
    platform::Tell(
        "Error creating WXS file from WTR and WND files or embedded data. Run weather data needs to be set.");
  in.useWeatherStream = true;
  in.weatherFile.clear();
  in.windFile.clear();
  return made;
}

bool CanImportRun(const CPVN4Doc& doc) { return doc.IsLandscapeLoaded() && doc.currentArea; }

CRun* ImportRun(CPVN4Doc& doc, const std::string& path) {
  if (!doc.currentArea) return nullptr;
  std::string text;
  if (!platform::ReadWholeFile(path, text)) {
    platform::Tell(FormatC("Error opening %s as input", path.c_str()));
    return nullptr;
  }
  const ImportFile file(std::move(text));
  const int kind = file.LineCount() > 0 ? ImportKindOf(file.Line(0)) : -1;
  if (kind < 0) {
    platform::Tell(FormatC("Error: Unrecognized header line in import file:\n%s", path.c_str()));
    return nullptr;
  }
  auto owned = std::make_unique<CRun>();
  CRun& run = *owned;
  run.document = &doc;
  run.area = doc.currentArea;
  run.host = doc.currentArea;
  ReadImportKeys(run, file, kind, path);
  MakeImportThemes(run, kind);
  if (!run.inputs.weatherFile.empty() && !run.inputs.windFile.empty()) ConvertImportWeather(run);
  CRun* added = doc.currentArea->AddRun(std::move(owned));
  doc.UpdateAllViews();
  doc.SetModifiedFlag();
  return added;
}

}  // namespace runs

// Checks of the user's input files (FMS, FMD, ADJ, WTR, WND), the launch checks of fuel
// moistures and custom fuels, and the wind reader of a run's weather source.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "engines/custom_fuels.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run.h"
#include "runs/run_host.h"
#include "weather/scan.h"

using platform::FormatC;
using platform::OleDateTime;
using weather::ScanDouble;
using weather::ScanInt;
using weather::ScanValue;
using weather::TokenReader;

namespace {

constexpr std::size_t kCheckLine = 254;
constexpr std::size_t kRawsLine = 159;
constexpr std::size_t kMessageMax = 1023;

std::string& Message() {
  static std::string message;
  return message;
}

void SetMessage(std::string text) {
  if (text.size() > kMessageMax) text.resize(kMessageMax);
  Message() = std::move(text);
}

// The engine reads custom fuels and spread adjustments with its own parser: a file the check
// accepts must read there too, or the run would stop after launching.
bool ReadsAsTheEngineDoes(const std::string& text, bool customFuels) {
  std::string why;
  bool ok;
  if (customFuels) {
    std::map<int, engines::FuelModel> fuels;
    ok = engines::ParseCustomFuels(text, fuels, why);
  } else {
    std::map<int, double> factors;
    ok = engines::ParseSpreadAdjustments(text, factors, why);
  }
  if (!ok) SetMessage(customFuels ? "\nError: " + why : why);
  return ok;
}

// The common start of the file checks: false (message untouched) for an empty path, false with
// "Can't open" when the file does not open, else the "Checking" line and the file's text.
bool StartCheck(const std::string& path, const char* checkingFormat, std::string& text) {
  if (path.empty()) return false;
  Message().clear();
  if (!platform::ReadWholeFile(path, text)) {
    SetMessage(FormatC("Can't open %s\n", path.c_str()));
    return false;
  }
  SetMessage(FormatC(checkingFormat, path.c_str()));
  return true;
}

// Consumes a leading "metric" or "english" word of a text; returns where data starts.
std::size_t SkipUnitsWord(const std::string& text, bool& metric, bool& hadWord) {
  std::size_t after = 0;
  const std::string word = weather::Lower(weather::FirstWord(text, after));
  metric = word == "metric";
  hadWord = metric || word == "english";
  return hadWord ? after : 0;
}

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t\r\v\f") == std::string_view::npos;
}

// Daily files carry no year. Years are counted from the first line; the first year is a leap
// year when it holds 29 February (2012), else 2011, and a 29 February in a later year makes
// that year 2012. So that day always exists and nothing depends on today's date.
int BaseYear(int feb29Offset) { return feb29Offset >= 0 ? 2012 - feb29Offset : 2011; }

// A day that exists in some year (29 February included).
bool DayExists(int month, int day) {
  static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month >= 1 && month <= 12 && day >= 1 && day <= kDays[month - 1];
}

// An hhmm time of day; 2400 stands for the end of the day.
bool TimeExists(int hhmm) { return hhmm == 2400 || (hhmm >= 0 && hhmm < 2400 && hhmm % 100 < 60); }

// Fuel-model numbers of the area that a landscape check looks at: 1 to 256 without 90 to 99.
std::vector<int> CheckedAreaModels(const RunHost* host) {
  std::vector<int> models;
  if (!host) return models;
  for (int m : host->AreaFuelModels())
    if (m >= 1 && m <= 256 && !(m >= 90 && m <= 99)) models.push_back(m);
  return models;
}

std::string Join(const std::vector<int>& numbers, const char* separator) {
  std::string s;
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (i) s += separator;
    s += FormatC("%d", numbers[i]);
  }
  return s;
}

constexpr double kLoadToEnglish = 0.446090020966231;   // t/ha -> tons/acre
constexpr double kSavToEnglish = 30.48;               // 1/cm -> 1/ft
constexpr double kDepthToEnglish = 0.03280839895013123;  // cm -> ft
constexpr double kHeatToEnglish = 0.4302231782737295;  // kJ/kg -> BTU/lb

}  // namespace

const std::string& ValidationMessage() { return Message(); }

bool CRun::CheckFmsFile(std::string path) {
  std::string text;
  if (!StartCheck(path, "Checking FMS file: %s", text)) return false;
  TokenReader tokens(text);
  bool result = false;
  for (int n = 1;; ++n) {
    int model = 0;
    TokenReader::Result r = tokens.NextInt(model);
    if (r == TokenReader::Result::End) break;
    int moisture[5] = {};
    for (int i = 0; r == TokenReader::Result::Ok && i < 5; ++i) r = tokens.NextInt(moisture[i]);
    if (r == TokenReader::Result::NotNumber) {
      SetMessage(FormatC("\nInvalid value \"%s\", Line -> %d", tokens.BadToken().c_str(), n));
      return false;
    }
    if (r == TokenReader::Result::End) {
      SetMessage(FormatC("\nIncomplete record, Line -> %d", n));
      return false;
    }
    if (model > 256) {
      SetMessage(FormatC("\nModel Number greater than 256, Line -> %d", n));
      return false;
    }
    if (std::any_of(moisture, moisture + 5, [](int m) { return m <= 0; })) {
      SetMessage(FormatC("\nFuel moisture must be greater than zero, Line -> %d", n));
      return false;
    }
    result = true;
  }
  return result;
}

bool CRun::CheckFmdFile(std::string path) {
  std::string text;
  if (!StartCheck(path, "Checking FMD file: %s", text)) return false;
  weather::LineReader lines(text, kCheckLine);
  std::string_view line;
  int lineNumber = 0;
  bool metric = false;
  if (lines.Next(line)) {
    std::size_t after = 0;
    const std::string word = weather::Lower(weather::FirstWord(line, after, 63));
    metric = word == "metric";
    if (metric || word == "english") {
      lineNumber = 1;
    } else {
      lines.Rewind();
    }
  }
  // Find the first model line without consuming it.
  weather::LineReader probe = lines;
  std::string_view first;
  std::vector<ScanValue> v;
  if (!probe.Next(first) || weather::ScanFields(first, "dsfffffs", v, 31) < 8) {
    SetMessage("\nError in first line, less than 8 fields!\n");
    return false;
  }
  const std::string marker = weather::Lower(weather::ScanWord(v[7]));
  const bool named = marker.find_first_of("ds") != std::string::npos;

  if (!named) {
    bool result = false;
    while (lines.Next(line)) {
      ++lineNumber;
      if (IsBlankLine(line)) continue;
      bool badToken = false;
      const int n = weather::ScanFields(line, "dffffffffffff", v, 31, &badToken);
      if (badToken) {
        SetMessage(FormatC("\nError: Invalid value, Line -> %d", lineNumber));
        return false;
      }
      // Values missing from a short line read as 0, which the tests below then reject.
      double f[13] = {};
      for (int i = 0; i < n; ++i) f[i] = ScanDouble(v[i]);
      const int model = n > 0 ? ScanInt(v[0]) : 0;
      if (metric) {
        for (int i = 1; i <= 5; ++i) f[i] *= kLoadToEnglish;
        for (int i = 6; i <= 8; ++i) f[i] *= kSavToEnglish;
        f[9] *= kDepthToEnglish;
        f[11] *= kHeatToEnglish;
        f[12] *= kHeatToEnglish;
      }
      const char* error = nullptr;
      if (model < 14 || model > 256) error = "\nError: Fuel Model Number >256 or <14";
      else if (f[10] <= 0) error = "\nError: Extinction Moisture = 0";
      else if (f[1] + f[2] + f[3] <= 0) error = "\nError: A Fuel Model Has No Dead Fuel";
      else if (f[9] <= 0) error = "\nError: Depth = 0.0";
      else if (f[12] < 6000) error = "\nError: Live Heat Content Too Low";
      else if (f[11] < 4000) error = "\nError: Dead Heat Content Too Low";
      else if (f[6] > 4000 || f[8] > 4000) error = "\nError: SAV Ratios Out of Range";
      if (error) {
        SetMessage(error);
        return false;
      }
      result = true;
    }
    return result && ReadsAsTheEngineDoes(text, true);
  }

  long L = 1;
  while (lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    ++L;
    bool badToken = false;
    const int n = weather::ScanFields(line, "dsfffffsfffffffs", v, 255, &badToken);
    if (n < 15) {
      SetMessage(FormatC(badToken ? "\nModel Data Error Line => %ld Invalid Value"
                                  : "\nModel Data Error Line => %ld Too Few Fields",
                         L));
      return false;
    }
    const int model = ScanInt(v[0]);
    double load[5], sav[3];
    for (int i = 0; i < 5; ++i) load[i] = ScanDouble(v[2 + i]);
    for (int i = 0; i < 3; ++i) sav[i] = ScanDouble(v[8 + i]);
    double depth = ScanDouble(v[11]);
    const double extinction = ScanDouble(v[12]);
    double heatDead = ScanDouble(v[13]), heatLive = ScanDouble(v[14]);
    if (metric) {
      for (double& x : load) x *= kLoadToEnglish;
      for (double& x : sav) x *= kSavToEnglish;
      depth *= 0.03280833333346457;
      heatDead *= kHeatToEnglish;
      heatLive *= kHeatToEnglish;
    }
    if (model >= 90 && model <= 99) continue;
    const char* error = nullptr;
    if (model < 14 || model > 256) error = "Fuel Model Number >256 or <14";
    else if (extinction <= 0) error = "Extinction Moisture = 0";
    else if (load[0] + load[1] + load[2] <= 0) error = "Fuel Model Has No Dead Fuel";
    else if (depth <= 0) error = "Depth = 0.0";
    else if (heatLive < 6000) error = "Live Heat Content Too Low";
    else if (heatDead < 4000) error = "Dead Heat Content Too Low";
    else if (std::any_of(sav, sav + 3, [](double s) { return std::trunc(s) > 4000; }))
      error = "SAV Ratios Out of Range";
    if (error) {
      SetMessage(FormatC("\nModel Data Error Line => %ld %s", L, error));
      return false;
    }
  }
  return ReadsAsTheEngineDoes(text, true);
}

bool CRun::CheckAdjFile(std::string path) {
  std::string text;
  if (!StartCheck(path, "Checking ADJ file: %s", text)) return false;
  weather::LineReader lines(text, kCheckLine);
  std::string_view line;
  std::vector<ScanValue> v;
  std::set<int> seen;
  bool result = false;
  for (int n = 1; lines.Next(line); ++n) {
    if (IsBlankLine(line)) continue;
    if (weather::ScanFields(line, "dff", v) != 2) {
      SetMessage(FormatC("Line %d: Wrong number of entries, must be 2 per line", n));
      return false;
    }
    const int model = ScanInt(v[0]);
    const double factor = ScanDouble(v[1]);
    if (model > 256) {
      SetMessage(FormatC("Line %d: Invalid fuel model number: %d", n, model));
      return false;
    }
    if (!seen.insert(model).second) {
      SetMessage(FormatC("Line %d: Duplicate fuel model number: %d", n, model));
      return false;
    }
    if (!(factor >= 0)) {
      SetMessage(FormatC("Line %d: Negative ROS_ADJUST value: %lf", n, factor));
      return false;
    }
    result = true;
  }
  return result && ReadsAsTheEngineDoes(text, false);
}

bool CRun::CheckWtrFile(std::string path, OleDateTime& first, OleDateTime& last) {
  std::string text;
  if (!StartCheck(path, "Checking WTR file: %s", text)) return false;
  bool metric = false, hadWord = false;
  const std::size_t start = SkipUnitsWord(text, metric, hadWord);
  weather::LineReader lines(std::string_view(text).substr(start), kCheckLine);
  std::string_view line;
  std::vector<ScanValue> v;
  int yearOffset = 0, previousMonth = 1, feb29Offset = -1;
  int firstMonth = 0, firstDay = 0, lastMonth = 0, lastDay = 0;
  bool result = false;
  for (long n = 1; lines.Next(line); ++n) {
    const int count = weather::ScanFields(line, "ddddddddddddd", v);
    if (count < 0) continue;
    if (count == 0) {
      SetMessage(FormatC("\n%s %ld", "Non-numeric Data, Line -> ", n));
      result = false;
      break;
    }
    if (count != 10 && count != 12) {
      SetMessage(FormatC("Line %ld: Invalid number of fields, must be 10 or 12.", n));
      result = false;
      break;
    }
    int f[13] = {};
    for (int i = 0; i < count; ++i) f[i] = ScanInt(v[i]);
    const char* error = nullptr;
    if (f[0] < 1 || f[0] > 12) error = "Month Data Out of Range, Line -> ";
    else if (!DayExists(f[0], f[1])) error = "Day Data Out of Range, Line -> ";
    else if (!TimeExists(f[3]) || !TimeExists(f[4])) error = "Hour Data Out of Range, Line -> ";
    else if (f[7] > 100 || f[8] < 2 || f[7] < 0 || f[8] > 100) error = "Humid Data Out of Range, Line -> ";
    else if (f[9] < 0) error = "Elevation Too Low, Line -> ";
    // What no station records, which the engine refuses: the same limits here.
    else if (f[5] < (metric ? -60 : -76) || f[5] > (metric ? 60 : 140) || f[6] < (metric ? -60 : -76) ||
             f[6] > (metric ? 60 : 140))
      error = "Temperature Data Out of Range, Line -> ";
    else if (f[2] < 0 || f[2] > (metric ? 200000 : 8000)) error = "Precipitation Data Out of Range, Line -> ";
    if (error) {
      SetMessage(FormatC("\n%s %ld", error, n));
      result = false;
      break;
    }
    if (!result) {
      firstMonth = f[0];
      firstDay = f[1];
    } else if (previousMonth == 12 && f[0] == 1) {
      ++yearOffset;
    }
    if (f[0] == 2 && f[1] == 29 && feb29Offset < 0) feb29Offset = yearOffset;
    lastMonth = f[0];
    lastDay = f[1];
    previousMonth = f[0];
    result = true;
  }
  const int base = BaseYear(feb29Offset);
  first = OleDateTime(base, firstMonth, firstDay, 13, 0, 0);
  last = OleDateTime(base + yearOffset, lastMonth, lastDay, 13, 0, 0);
  return result;
}

bool CRun::CheckWndFile(std::string path, OleDateTime& first, OleDateTime& last) {
  std::string text;
  if (!StartCheck(path, "Checking WND file: %s", text)) return false;
  bool metric = false, hadWord = false;
  const std::size_t start = SkipUnitsWord(text, metric, hadWord);
  TokenReader tokens(std::string_view(text).substr(start));
  long n = hadWord ? 1 : 0;
  int yearOffset = 0, previousMonth = 1, feb29Offset = -1;
  int firstParts[4] = {}, lastParts[4] = {}, firstOffset = 0;
  bool result = false;
  for (;;) {
    double f[6] = {};
    TokenReader::Result r = tokens.NextDouble(f[0]);
    if (r == TokenReader::Result::End) break;
    for (int i = 1; r == TokenReader::Result::Ok && i < 6; ++i) r = tokens.NextDouble(f[i]);
    ++n;
    const char* error = nullptr;
    const bool finite = std::all_of(f, f + 6, [](double x) { return std::isfinite(x); });
    if (r == TokenReader::Result::NotNumber || (r == TokenReader::Result::Ok && !finite))
      error = "Non-numeric Data, Line ->";
    else if (r == TokenReader::Result::End) error = "Incomplete Record, Line ->";
    else if (f[0] < 1 || f[0] > 12) error = "Month Out of Range, Line ->";
    else if (f[1] > 31 || f[1] < 1 || !DayExists(static_cast<int>(f[0]), static_cast<int>(f[1])))
      error = "Day Out of Range, Line ->";
    else if (f[2] < 0 || f[2] > 2359 || !TimeExists(static_cast<int>(f[2])))
      error = "Hour Out of Range, Line ->";
    else if (!metric && f[3] > 100) error = "Wind Speed greater than 100 MPH, Line ->";
    else if (metric && f[3] > 300) error = "Wind Speed greater than 300 km/h, Line ->";
    else if (f[3] < 0) error = "Wind Speed less than 0, Line ->";
    else if (f[4] < 0 || f[4] > 360) error = "Wind Direction Out of Range, Line ->";
    else if (f[5] > 100 || f[5] < 0) error = "Cloud Cover Out of Range, Line ->";
    if (error) {
      SetMessage(FormatC("\n%s %ld", error, n));
      result = false;
      break;
    }
    const int month = static_cast<int>(f[0]), day = static_cast<int>(f[1]);
    const int parts[4] = {month, day, static_cast<int>(f[2] * 0.01),
                          static_cast<int>(std::fmod(f[2], 100.0))};
    if (!result) {
      std::copy(parts, parts + 4, firstParts);
      firstOffset = yearOffset;
    } else if (previousMonth == 12 && month == 1) {
      ++yearOffset;
    }
    if (month == 2 && day == 29 && feb29Offset < 0) feb29Offset = yearOffset;
    std::copy(parts, parts + 4, lastParts);
    previousMonth = month;
    result = true;
  }
  if (result) {
    const int base = BaseYear(feb29Offset);
    first = OleDateTime(base + firstOffset, firstParts[0], firstParts[1], firstParts[2],
                        firstParts[3], 0);
    last = OleDateTime(base + yearOffset, lastParts[0], lastParts[1], lastParts[2], lastParts[3],
                       0);
  }
  return result;
}

int CRun::CheckFuelMoistures() {
  std::string text;
  if (inputs.fuelMoistureFile.empty() || !platform::ReadWholeFile(inputs.fuelMoistureFile, text))
    return -1;
  TokenReader tokens(text);
  for (;;) {
    int model = 0, moisture[5] = {};
    TokenReader::Result r = tokens.NextInt(model);
    if (r == TokenReader::Result::End) break;
    for (int i = 0; r == TokenReader::Result::Ok && i < 5; ++i) r = tokens.NextInt(moisture[i]);
    if (r == TokenReader::Result::NotNumber) {
      platform::Tell(FormatC("Correct Fuel Moisture File Before Proceeding\nError: Invalid value \"%s\"",
                             tokens.BadToken().c_str()));
      return -1;
    }
    if (model > 256) {
      platform::Tell("Correct Fuel Moisture File Before Proceeding\nError: Model Number>256");
      return -1;
    }
    // A record cut short by the end of the file keeps the zeros it was not given.
    if (std::any_of(moisture, moisture + 5, [](int m) { return m <= 0; })) {
      platform::Tell("Correct Before Proceeding\nError: Fuel Moisture <=0");
      return -1;
    }
    if (r == TokenReader::Result::End) break;
  }
  return 0;
}

bool CRun::CheckLandscapeFuelMoistures() {
  std::string text;
  if (inputs.fuelMoistureFile.empty() || !platform::ReadWholeFile(inputs.fuelMoistureFile, text))
    return false;
  std::set<int> values;
  weather::LineReader lines(text, kCheckLine);
  std::string_view line;
  while (lines.Next(line)) {
    std::size_t pos = 0;
    int value = 0;
    if (weather::ReadIntAt(line, pos, value)) values.insert(value);
  }
  if (values.count(0)) return true;
  std::vector<int> missing;
  for (int m : CheckedAreaModels(host))
    if (!values.count(m)) missing.push_back(m);
  if (missing.empty()) return true;
  platform::Tell(
      "Error! The following fuel models from the landscape do not have \nfuel moistures defined "
      "in the selected Fuel Moisture file.\nPlease edit this file or select an appropriate "
      "file.\nFuel Models lacking moistures: " +
      Join(missing, ","));
  return false;
}

bool CRun::CheckCustomFuelModels() {
  std::vector<int> custom;
  for (int m : CheckedAreaModels(host))
    if (IsCustomFuelModel(m)) custom.push_back(m);
  if (custom.empty()) return true;
  if (inputs.customFuelsFile.empty()) {
    platform::Tell(
        "Error! Custom fuels found in landscape, need custom fuels definition file.\nCustom "
        "fuels found: " +
        Join(custom, ", "));
    return false;
  }
  std::string text;
  if (!platform::ReadWholeFile(inputs.customFuelsFile, text)) {
    platform::Tell(FormatC("Error opening %s", inputs.customFuelsFile.c_str()));
    return false;
  }
  bool metric = false, hadWord = false;
  const std::size_t start = SkipUnitsWord(text, metric, hadWord);
  std::set<int> defined;
  weather::LineReader lines(std::string_view(text).substr(start), kCheckLine);
  std::string_view line;
  while (lines.Next(line)) {
    std::size_t pos = 0;
    int value = 0;
    if (weather::ReadIntAt(line, pos, value)) defined.insert(value);
  }
  std::vector<int> missing;
  for (int m : custom)
    if (!defined.count(m)) missing.push_back(m);
  if (missing.empty()) return true;
  platform::Tell(
      "Error, custom fuels found in landscape missing from custom fuels file.\nMissing fuels: " +
      Join(missing, ", "));
  return false;
}

double CRun::MinutesFromSimulationStart(int month, int day, int hour, int minute) const {
  int m0 = 1;
  double s = 0;
  if (!embrith.burnPeriods.empty()) {
    const BurnPeriod& b = embrith.burnPeriods.front();
    m0 = b.month;
    s = (GetDaysBeforeMonth(b.month) + b.day) * 1440.0 + b.startHour * 60.0;
  }
  double t = (GetDaysBeforeMonth(month) + day) * 1440.0;
  if (month < m0) t += 525600.0;
  return t + hour * 60.0 + minute - s;
}

std::vector<WindSample>& CRun::ReadRawsFile(std::vector<WindSample>& samples, int& units) {
  units = 0;
  samples.clear();
  const bool stream = inputs.useWeatherStream;
  std::string text;
  if (!platform::ReadWholeFile(stream ? inputs.weatherStreamFile : inputs.windFile, text))
    return samples;
  weather::LineReader lines(text, kRawsLine);
  std::string_view line;
  const char* english = stream ? "RAWS_UNITS: ENGLISH" : "ENGLISH";
  const char* metric = stream ? "RAWS_UNITS: METRIC" : "METRIC";
  while (lines.Next(line)) {
    if (weather::StartsWithNoCase(line, english)) break;
    if (weather::StartsWithNoCase(line, metric)) {
      units = 1;
      break;
    }
  }
  lines.Rewind();
  std::vector<ScanValue> v;
  int baseYear = 0, wraps = 0, lowestMonth = 0;
  bool haveBase = false;
  while (lines.Next(line)) {
    if (stream) {
      if (weather::ScanFields(line, "ddddddfdd", v) != 9) continue;
      const int year = ScanInt(v[0]), time = ScanInt(v[3]);
      if (!haveBase) {
        baseYear = year;
        haveBase = true;
      }
      WindSample w;
      w.time = MinutesFromSimulationStart(ScanInt(v[1]), ScanInt(v[2]), time / 100, time % 100);
      if (year > baseYear) w.time += 525600.0;
      w.speed = ScanInt(v[7]);
      w.direction = ScanInt(v[8]);
      samples.push_back(w);
    } else {
      if (weather::ScanFields(line, "ddddd", v) != 5) continue;
      const int month = ScanInt(v[0]), time = ScanInt(v[2]);
      if (lowestMonth == 0) {
        lowestMonth = month;
      } else if (month < lowestMonth) {
        ++wraps;
        lowestMonth = month;
      }
      WindSample w;
      w.time = MinutesFromSimulationStart(month, ScanInt(v[1]), time / 100, time % 100);
      if (wraps > 0 && w.time < 0) w.time += 525600.0;
      w.speed = ScanInt(v[3]);
      w.direction = ScanInt(v[4]);
      samples.push_back(w);
    }
  }
  std::stable_sort(samples.begin(), samples.end(),
                   [](const WindSample& a, const WindSample& b) { return a.time < b.time; });
  return samples;
}

#include "engines/inputs_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <unordered_map>

#include "platform/numbers.h"

namespace engines {

const char* EngineCodeText(int code) {
  switch (code) {
    case kEngineOk: return "Success.";
    case kErrOpenInputs: return "Cannot open the Pyrvane inputs file.";
    case kErrNotInputsFile: return "The file is not a Pyrvane inputs file.";
    case kErrBadInputs: return "The Pyrvane inputs file holds an invalid line.";
    case kErrNoLandscape: return "No landscape is loaded, or the landscape file cannot be read.";
    case kErrNoMoistures: return "The inputs file holds no fuel moistures (FUEL_MOISTURES_DATA).";
    case kErrModelMoisture: return "A fuel model of the landscape has no fuel moistures and there is no default.";
    case kErrCustomFuels: return "The custom fuels file cannot be read.";
    case kErrUnknownFuel: return "A fuel model of the landscape is neither standard nor in the custom fuels file.";
    case kErrGenerateWinds: return "The gridded winds cannot be generated.";
    case kErrGriddedWindFile: return "The gridded wind files cannot be read.";
    case kErrWeather: return "Fuel conditioning needs weather covering the conditioning period.";
    case kErrCancelled: return "The run was cancelled.";
    case kErrArea: return "The analysis area does not overlap the landscape.";
    case kErrNoInputsLoaded: return "No inputs file has been loaded.";
    case kErrMemory: return "Not enough memory for the run.";
    case kErrAdjustFile: return "The spread-rate adjustment file cannot be read.";
    case kErrOutputWrite: return "An output grid cannot be written to the temporary storage folder.";
    default: return "Unknown Pyrvane error.";
  }
}

namespace {

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> w;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
    size_t j = i;
    while (j < s.size() && !(s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n')) ++j;
    if (j > i) w.push_back(s.substr(i, j - i));
    i = j;
  }
  return w;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool IsMetricWord(std::string_view w) {
  std::string l;
  for (char c : w) l += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l == "metric";
}

// Reads n numbers of a data line into doubles; false when the line is too short or not numeric.
bool Numbers(std::string_view line, size_t minCount, std::vector<double>& out) {
  out.clear();
  for (auto w : Words(line)) {
    auto v = platform::ParseDouble(w);
    if (!v || !std::isfinite(*v)) return false;
    out.push_back(*v);
  }
  return out.size() >= minCount;
}

int ToInt(double v) {
  if (v > 2e9) return 2000000000;
  if (v < -2e9) return -2000000000;
  return static_cast<int>(v);
}

const std::unordered_map<std::string_view, int>& OutputKeys() {
  static const std::unordered_map<std::string_view, int> keys = {
      {"FLAMELENGTH", kOutFlameLength}, {"SPREADRATE", kOutSpreadRate}, {"INTENSITY", kOutIntensity},
      {"HEATAREA", kOutHeatArea}, {"CROWNSTATE", kOutCrownState}, {"SOLARRADIATION", kOutSolar},
      {"FUELMOISTURE1", kOutMoisture1}, {"FUELMOISTURE10", kOutMoisture10}, {"MIDFLAME", kOutMidflame},
      {"HORIZRATE", kOutHorizRate}, {"MAXSPREADDIR", kOutMaxSpreadDir}, {"ELLIPSEDIM_A", kOutEllipseA},
      {"ELLIPSEDIM_B", kOutEllipseB}, {"ELLIPSEDIM_C", kOutEllipseC}, {"MAXSPOT", kOutMaxSpot},
      {"FUELMOISTURE100", kOutMoisture100}, {"FUELMOISTURE1000", kOutMoisture1000},
      {"CROWNFRACTIONBURNED", kOutCrownFraction}, {"MAXSPOT_DIR", kOutMaxSpotDir},
      {"MAXSPOT_DX", kOutMaxSpotDx}, {"WINDDIRGRID", kOutWindDir}, {"WINDSPEEDGRID", kOutWindSpeed}};
  return keys;
}

// Weather that no station records: refused rather than conditioned into nonsense. Empty when sound;
// otherwise the reason, with line the offending line.
std::string CheckWeather(const PyrvaneInputs& in, const std::vector<size_t>& rawsLines,
                         const std::vector<size_t>& weatherLines, const std::vector<size_t>& windLines, size_t& line) {
  auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
  const double rawsTLo = in.rawsMetric ? -60 : -76, rawsTHi = in.rawsMetric ? 60 : 140;
  for (size_t k = 0; k < in.raws.size(); ++k) {
    const RawsRecord& r = in.raws[k];
    line = rawsLines[k];
    if (!within(r.temperature, rawsTLo, rawsTHi)) return "temperature out of range";
    if (!within(r.humidity, 0, 100)) return "relative humidity must be 0 to 100 %";
    if (!within(r.precipitation, 0, in.rawsMetric ? 250 : 10)) return "hourly precipitation out of range";
    if (!within(r.cloudCover, 0, 100)) return "cloud cover must be 0 to 100 %";
  }
  const double dayTLo = in.weatherMetric ? -60 : -76, dayTHi = in.weatherMetric ? 60 : 140;
  for (size_t k = 0; k < in.weather.size(); ++k) {
    const WeatherDay& d = in.weather[k];
    line = weatherLines[k];
    if (!within(d.tMin, dayTLo, dayTHi) || !within(d.tMax, dayTLo, dayTHi)) return "temperature out of range";
    if (!within(d.rhMin, 0, 100) || !within(d.rhMax, 0, 100)) return "relative humidity must be 0 to 100 %";
    if (!within(d.precip, 0, in.weatherMetric ? 200000 : 8000)) return "daily precipitation out of range";
  }
  for (size_t k = 0; k < in.winds.size(); ++k) {
    line = windLines[k];
    if (!within(in.winds[k].cloudCover, 0, 100)) return "cloud cover must be 0 to 100 %";
  }
  return {};
}

}  // namespace

int ParsePyrvaneInputs(std::string_view text, PyrvaneInputs& out, std::string& detail) {
  std::vector<std::string_view> lines;
  for (size_t i = 0; i <= text.size();) {
    size_t j = text.find('\n', i);
    if (j == std::string_view::npos) j = text.size();
    std::string_view l = text.substr(i, j - i);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    lines.push_back(l);
    i = j + 1;
  }
  size_t first = 0;
  while (first < lines.size() && Trim(lines[first]).empty()) ++first;
  if (first == lines.size() || Trim(lines[first]) != "Pyrvane-Inputs-File-Version-1") {
    detail = "The first line must be \"Pyrvane-Inputs-File-Version-1\".";
    return kErrNotInputsFile;
  }
  PyrvaneInputs in;
  std::set<std::string, std::less<>> seen;
  std::vector<double> nums;
  auto fail = [&](size_t line, const std::string& why) {
    detail = "Line " + std::to_string(line + 1) + ": " + why;
    return kErrBadInputs;
  };
  // Lines of the weather records, checked once their units are known.
  std::vector<size_t> rawsLines, weatherLines, windLines;
  size_t badLine = 0;

  for (size_t li = first + 1; li < lines.size(); ++li) {
    std::string_view line = Trim(lines[li]);
    if (line.empty()) continue;
    if (line == "#SPREAD_VECTORS") {
      in.spreadVectors = true;
      continue;
    }
    if (line == "#MAX_SPOT_VECTORS") {
      in.maxSpotVectors = true;
      continue;
    }
    if (line[0] == '#') continue;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;  // stray line: not a key
    std::string_view key = line.substr(0, colon);
    std::string_view value = Trim(line.substr(colon + 1));
    if (key.find(' ') != std::string_view::npos) continue;
    if (seen.count(key)) {
      // Only the first occurrence counts, but a repeated block's data lines must still be skipped.
      if (key == "FUEL_MOISTURES_DATA" || key == "RAWS" || key == "WEATHER_DATA" || key == "WIND_DATA") {
        auto n = platform::ParseInt(value);
        if (n && *n > 0) li += static_cast<size_t>(std::min<long long>(*n, lines.size()));
      }
      continue;
    }
    seen.emplace(key);

    auto number = [&](double& dst) -> bool {
      auto w = Words(value);
      if (w.empty()) return false;
      auto v = platform::ParseDouble(w[0]);
      if (!v || !std::isfinite(*v)) return false;
      dst = *v;
      return true;
    };
    auto block = [&](size_t minFields, auto&& onLine) -> int {
      auto n = platform::ParseInt(value);
      if (!n || *n < 0 || static_cast<unsigned long long>(*n) > lines.size() - li - 1)
        return fail(li, std::string(key) + " count is missing or larger than the lines that follow");
      for (long long k = 0; k < *n; ++k) {
        ++li;
        if (!Numbers(lines[li], minFields, nums)) return fail(li, "invalid " + std::string(key) + " line");
        onLine(nums);
      }
      return kEngineOk;
    };
    auto integer = [&](int& dst) {
      double v;
      if (!number(v)) return false;
      dst = ToInt(v);
      return true;
    };
    const std::string invalid = "invalid " + std::string(key);
    auto mdt = [&](MonthDayTime& d) {
      if (!Numbers(value, 3, nums)) return false;
      d = {ToInt(nums[0]), ToInt(nums[1]), ToInt(nums[2])};
      return true;
    };

    if (key == "FUEL_MOISTURES_DATA") {
      size_t badLine = 0;
      int rc = block(6, [&](const std::vector<double>& v) {
        FuelMoistureRecord r;
        r.model = ToInt(v[0]);
        bool positive = true;
        for (int k = 0; k < 5; ++k) {
          r.percent[k] = ToInt(v[k + 1]);
          positive = positive && r.percent[k] > 0;
        }
        // A default line of -1s means the moisture file had no default: there is none.
        if (positive) in.moistures.push_back(r);
        else if (r.model != 0 && !badLine) badLine = li;
      });
      if (rc != kEngineOk) return rc;
      if (badLine) return fail(badLine, "fuel moistures must be above 0");
      in.hasMoistures = true;
    } else if (key == "CUSTOM_FUELS_FILE") {
      in.customFuelsFile = std::string(value);
    } else if (key == "ROS_ADJUST_FILE") {
      in.rosAdjustFile = std::string(value);
    } else if (key == "CONDITIONING_PERIOD_START") {
      if (!mdt(in.conditioningStart)) return fail(li, "invalid conditioning start");
      in.conditioning = true;
    } else if (key == "CONDITIONING_PERIOD_END") {
      if (!mdt(in.conditioningEnd)) return fail(li, "invalid conditioning end");
    } else if (key == "RAWS_ELEVATION") {
      if (!integer(in.rawsElevation)) return fail(li, invalid);
    } else if (key == "RAWS_UNITS") {
      in.rawsMetric = IsMetricWord(value);
    } else if (key == "RAWS") {
      int rc = block(10, [&](const std::vector<double>& v) {
        RawsRecord r{ToInt(v[0]), ToInt(v[1]), ToInt(v[2]), ToInt(v[3]), v[4], v[5], v[6], v[7],
                     ToInt(v[8]), ToInt(v[9])};
        in.raws.push_back(r);
        rawsLines.push_back(li);
      });
      if (rc != kEngineOk) return rc;
      in.hasRaws = true;
    } else if (key == "WEATHER_DATA") {
      int rc = block(10, [&](const std::vector<double>& v) {
        WeatherDay d{ToInt(v[0]), ToInt(v[1]), ToInt(v[2]), ToInt(v[3]), ToInt(v[4]), ToInt(v[5]),
                     ToInt(v[6]), ToInt(v[7]), ToInt(v[8]), ToInt(v[9]), 0, 0};
        if (v.size() >= 12) {
          d.precipStart = ToInt(v[10]);
          d.precipEnd = ToInt(v[11]);
        }
        in.weather.push_back(d);
        weatherLines.push_back(li);
      });
      if (rc != kEngineOk) return rc;
    } else if (key == "WEATHER_DATA_UNITS") {
      in.weatherMetric = IsMetricWord(value);
    } else if (key == "WIND_DATA") {
      int rc = block(6, [&](const std::vector<double>& v) {
        in.winds.push_back({ToInt(v[0]), ToInt(v[1]), ToInt(v[2]), v[3], ToInt(v[4]), ToInt(v[5])});
        windLines.push_back(li);
      });
      if (rc != kEngineOk) return rc;
    } else if (key == "WIND_DATA_UNITS") {
      in.windsMetric = IsMetricWord(value);
    } else if (key == "WIND_SPEED") {
      if (!number(in.windSpeed) || in.windSpeed < 0) return fail(li, "invalid WIND_SPEED");
    } else if (key == "WIND_DIRECTION") {
      if (!number(in.windDirection)) return fail(li, "invalid WIND_DIRECTION");
    } else if (key == "DEFAULT_UPHILL_DOWNHILL_DIRECTION") {
      if (!number(in.defaultUpDownDirection)) return fail(li, "invalid DEFAULT_UPHILL_DOWNHILL_DIRECTION");
    } else if (key == "WIND_SPEED_UNITS") {
      if (!integer(in.windSpeedUnits)) return fail(li, invalid);
    } else if (key == "GRIDDED_WIND_SPEED_FILE") {
      in.griddedSpeedFile = std::string(value);
    } else if (key == "GRIDDED_WINDS_DIRECTION_FILE") {
      in.griddedDirectionFile = std::string(value);
    } else if (key == "GRIDDED_WINDS_GENERATE") {
      in.generateWinds = !value.empty() && (value[0] == 'Y' || value[0] == 'y');
    } else if (key == "GRIDDED_WINDS_RESOLUTION") {
      if (!integer(in.griddedResolution)) return fail(li, invalid);
    } else if (key == "GRIDDED_WINDS_DIURNAL") {
      in.diurnal = !value.empty() && (value[0] == 'Y' || value[0] == 'y');
    } else if (key == "GRIDDED_WINDS_DIURNAL_AIRTEMP") {
      if (!number(in.diurnalAirTemp)) return fail(li, invalid);
    } else if (key == "GRIDDED_WINDS_DIURNAL_CLOUDCOVER") {
      if (!number(in.diurnalCloudCover)) return fail(li, invalid);
    } else if (key == "GRIDDED_WINDS_DIURNAL_LONGITUDE") {
      if (!number(in.diurnalLongitude)) return fail(li, invalid);
    } else if (key == "GRIDDED_WINDS_DIURNAL_DATE") {
      if (!Numbers(value, 2, nums)) return fail(li, invalid);
      in.diurnalMonth = ToInt(nums[0]);
      in.diurnalDay = ToInt(nums[1]);
    } else if (key == "GRIDDED_WINDS_DIURNAL_TIME") {
      if (!Numbers(value, 4, nums)) return fail(li, invalid);  // seconds, minutes, hours, time zone
      in.diurnalSecond = ToInt(nums[0]);
      in.diurnalMinute = ToInt(nums[1]);
      in.diurnalHour = ToInt(nums[2]);
      in.diurnalTimeZone = ToInt(nums[3]);
    } else if (key == "FOLIAR_MOISTURE_CONTENT") {
      if (!number(in.foliarMoisture) || in.foliarMoisture <= 0) return fail(li, "invalid FOLIAR_MOISTURE_CONTENT");
    } else if (key == "CROWN_FIRE_METHOD") {
      in.crownMethod = value == "Hallett" ? 0 : 1;
    } else if (key == "SPREAD_DIRECTION_FROM_NORTH") {
      if (!number(in.spreadDirection)) return fail(li, "invalid SPREAD_DIRECTION_FROM_NORTH");
      in.fixedSpreadDirection = true;
    } else if (key == "NUMBER_PROCESSORS") {
      if (!integer(in.processors)) return fail(li, invalid);
      in.processors = std::clamp(in.processors, 0, 1024);
    } else if (key == "USE_MEMORY_OUTPUTS") {
      double v;
      if (!number(v)) return fail(li, "invalid USE_MEMORY_OUTPUTS");
      in.memoryOutputs = v != 0;
    } else if (key == "TEMP_STORAGE_PATH") {
      in.tempStoragePath = std::string(value);
    } else if (key == "ANALYSIS_AREA_EAST" || key == "ANALYSIS_AREA_WEST" || key == "ANALYSIS_AREA_NORTH" ||
               key == "ANALYSIS_AREA_SOUTH") {
      double v;
      if (!number(v)) return fail(li, "invalid " + std::string(key));
      (key == "ANALYSIS_AREA_EAST"    ? in.areaEast
       : key == "ANALYSIS_AREA_WEST"  ? in.areaWest
       : key == "ANALYSIS_AREA_NORTH" ? in.areaNorth
                                      : in.areaSouth) = v;
      in.hasArea = true;
    } else if (auto it = OutputKeys().find(key); it != OutputKeys().end()) {
      in.outputs[it->second] = true;
    }
    // The travel-time appendix keys belong to the travel-time engine.
  }
  if (in.spreadVectors)
    for (int k : {kOutMaxSpreadDir, kOutEllipseA, kOutEllipseB, kOutEllipseC}) in.outputs[k] = true;
  if (in.maxSpotVectors) in.outputs[kOutMaxSpot] = true;
  if (std::string why = CheckWeather(in, rawsLines, weatherLines, windLines, badLine); !why.empty())
    return fail(badLine, why);
  if (in.hasArea && !(in.areaEast > in.areaWest && in.areaNorth > in.areaSouth)) {
    detail = "The analysis area has no extent.";
    return kErrBadInputs;
  }
  out = std::move(in);
  return kEngineOk;
}

}  // namespace engines

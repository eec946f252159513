#include "runs/gustforge_options.h"

#include <ogr_spatialref.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>

#include "runs/run.h"
#include "weather/wx_stream.h"

namespace runs {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Integers of a line read as "%ld" fields; how many were read.
int ScanLongs(const std::string& line, long* v, int most) {
  int n = 0;
  const char* p = line.c_str();
  while (n < most) {
    char* end = nullptr;
    long x = std::strtol(p, &end, 10);
    if (end == p) break;
    v[n++] = x;
    p = end;
  }
  return n;
}

bool FirstWordIsMetric(const std::string& path) {
  std::ifstream f(path);
  std::string word;
  f >> word;
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word == "metric";
}

// hhmm as hundredths of an hour: 1530 is 1550.
double Hundredths(long hhmm) { return (hhmm / 100) * 100 + (hhmm % 100) * 1.6666666666666665; }

}  // namespace

WindGridCounts GustforgeGridCounts(double north, double east, double south, double west, int resolution) {
  WindGridCounts g;
  if (resolution <= 0) return g;
  g.rows = static_cast<int>(std::ceil((north - south) / resolution));
  g.columns = static_cast<int>(std::ceil((east - west) / resolution));
  g.cells = static_cast<std::int64_t>(g.rows) * g.columns;
  return g;
}

int WtrAirTemperatureAt(const std::string& wtrPath, const platform::OleDateTime& when) {
  std::ifstream f(wtrPath);
  if (!f) return 0;
  const bool metric = FirstWordIsMetric(wtrPath);
  struct Day {
    bool known = false;
    long tMin = 0, tMax = 0, minTime = 0, maxTime = 0;
  } yesterday, today, tomorrow;
  const int year = when.GetYear(), doy = when.GetDayOfYear();
  platform::OleDateTime dec31;
  dec31.SetDateTime(year, 12, 31, 0, 0, 0);
  const int last = dec31.GetDayOfYear();
  std::string line;
  while (std::getline(f, line)) {
    long v[12];
    const int n = ScanLongs(line, v, 12);
    if (n != 10 && n != 12) continue;
    platform::OleDateTime d;
    if (!d.SetDateTime(year, static_cast<int>(v[0]), static_cast<int>(v[1]), 0, 0, 0)) continue;
    const int k = d.GetDayOfYear();
    Day* slot = nullptr;
    if (k == doy) slot = &today;
    else if (k == (doy == 1 ? last : doy - 1)) slot = &yesterday;
    else if (k == (doy == last ? 1 : doy + 1)) slot = &tomorrow;
    if (!slot) continue;
    *slot = {true, v[5], v[6], v[3], v[4]};
    if (metric) {
      slot->tMin = static_cast<long>(slot->tMin * 1.8 + 32);
      slot->tMax = static_cast<long>(slot->tMax * 1.8 + 32);
    }
  }
  const int hour = when.GetHour();
  if (yesterday.known && today.known && tomorrow.known) {
    const double H = hour * 100.0;
    double tLow, tHigh, m, M, t, P, sign;
    if (H > Hundredths(today.maxTime)) {  // falling to tomorrow's minimum
      tHigh = today.tMax, M = Hundredths(today.maxTime), tLow = tomorrow.tMin, m = Hundredths(tomorrow.minTime);
      sign = -0.5;
    } else if (H >= Hundredths(today.minTime)) {  // rising to today's maximum
      tLow = today.tMin, m = Hundredths(today.minTime), tHigh = today.tMax, M = Hundredths(today.maxTime);
      sign = 0.5;
    } else {  // falling from yesterday's maximum
      tHigh = yesterday.tMax, M = Hundredths(yesterday.maxTime), tLow = today.tMin, m = Hundredths(today.minTime);
      sign = -0.5;
    }
    if (sign > 0) {
      t = H - m;
      P = M - m;
    } else {
      P = 2400 - M + m;
      t = H > M ? H - M : H + 2400 - M;
    }
    if (P == 0) return static_cast<int>(tHigh);
    return static_cast<int>(std::sin(kPi * (t / P - 0.5)) * (tHigh - tLow) * sign + (tLow + tHigh) / 2.0);
  }
  if (today.known) {
    if (hour == today.minTime / 100) return static_cast<int>(today.tMin);
    if (hour == today.maxTime / 100) return static_cast<int>(today.tMax);
    return static_cast<int>((today.tMin + today.tMax) / 2);
  }
  return 60;
}

int WndCloudCoverAt(const std::string& wndPath, const platform::OleDateTime& when) {
  std::ifstream f(wndPath);
  if (!f) return 1;
  int result = 0;
  std::string line;
  while (std::getline(f, line)) {
    long v[7];
    if (ScanLongs(line, v, 7) != 6) continue;
    platform::OleDateTime d;
    if (!d.SetDateTime(when.GetYear(), static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2] / 100),
                       static_cast<int>(v[2] % 100), 0))
      break;
    if (!(d <= when)) break;
    result = static_cast<int>(v[5]);
  }
  return result;
}

bool GustforgeConditioningEnd(const CRunInputs& in, platform::OleDateTime& when, int& airTempF, int& cloudPercent) {
  const bool daily = !in.weatherFile.empty() && !in.windFile.empty();
  if (!in.conditioningEnd.IsValid() || !(daily || !in.weatherStreamFile.empty())) return false;
  when = in.conditioningEnd;
  if (in.useWeatherStream && !in.weatherStreamFile.empty()) {
    CWxStream s;
    s.Read(in.weatherStreamFile);
    const WxRecord* lastAtOrBefore = nullptr;
    for (const WxRecord& r : s.records) {
      if (!(r.date <= in.conditioningEnd)) break;
      lastAtOrBefore = &r;
    }
    if (lastAtOrBefore) {
      airTempF = s.units != 0 ? static_cast<int>(1.8 * lastAtOrBefore->temperature + 32) : lastAtOrBefore->temperature;
      cloudPercent = lastAtOrBefore->cloudCover;
    }
  } else if (!in.noConditioning && !in.useWeatherStream && daily) {
    airTempF = WtrAirTemperatureAt(in.weatherFile, in.conditioningEnd);
    cloudPercent = WndCloudCoverAt(in.windFile, in.conditioningEnd);
  }
  return true;
}

bool LongitudeOf(const std::string& projection, double x, double y, double& longitude) {
  if (projection.empty()) return false;
  OGRSpatialReference src, wgs;
  src.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (src.SetFromUserInput(projection.c_str()) != OGRERR_NONE) {
    char** lines = CSLTokenizeString2(projection.c_str(), "\r\n", 0);
    const OGRErr e = src.importFromESRI(lines);
    CSLDestroy(lines);
    if (e != OGRERR_NONE) return false;
  }
  if (wgs.SetWellKnownGeogCS("WGS84") != OGRERR_NONE) return false;
  std::unique_ptr<OGRCoordinateTransformation> t(OGRCreateCoordinateTransformation(&src, &wgs));
  if (!t || !t->Transform(1, &x, &y)) return false;
  longitude = x;
  return true;
}

const char* const kTimeZoneNames[25] = {
    "-12 IDL West", "-11 Midway Island, Samoa", "-10 Hawaii", "-9 Alaska", "-8 Pacific", "-7 Mountain",
    "-6 Central", "-5 Eastern", "-4 Atlantic", "-3 Greenland", "-2 Mid-Atlantic", "-1 Azores", "0 GMT",
    "1 Amsterdam", "2 Cairo", "3 Baghdad", "4 Abu Dhabi", "5 Islamabad", "6 Almaty", "7 Bangkok", "8 Beijing",
    "9 Tokyo", "10 Sydney", "11 New Caledonia", "12 Auckland"};

int TimeZoneOfText(const std::string& text) {
  long v[1];
  return ScanLongs(text, v, 1) == 1 ? static_cast<int>(v[0]) : 0;
}

}  // namespace runs

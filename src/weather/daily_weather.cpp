#include "weather/daily_weather.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "platform/atomic_file.h"
#include "weather/scan.h"
#include "weather/wx_stream.h"

using platform::OleDateTime;

namespace {

constexpr std::size_t kWtrLine = 254;

// Whole minutes of a span in days, nudged by half a second toward its sign.
long SpanMinutes(double days) {
  const double halfSecond = 1.0 / 120.0;
  const double minutes = days * 1440.0;
  return static_cast<long>(std::trunc(minutes + (minutes < 0 ? -halfSecond : halfSecond)));
}

// Earlier, or equal within half a second.
bool AtOrBefore(const OleDateTime& a, const OleDateTime& b) { return a < b || a == b; }

int MinutesOfDay(int hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

// A date at an hhmm time; times past 23:59 (2400 ends the day) run on into the next day.
OleDateTime AtTime(int year, int month, int day, int hhmm) {
  OleDateTime midnight(year, month, day, 0, 0, 0);
  if (!midnight.IsValid()) return midnight;
  return midnight.AddHours(hhmm / 100 + (hhmm % 100) / 60.0);
}

// Consumes a leading "metric" or "english" word; returns the offset where data starts.
std::size_t UnitsWord(const std::string& text, int& units) {
  std::size_t after = 0;
  const std::string word = weather::Lower(weather::FirstWord(text, after));
  if (word == "metric") {
    units = 1;
    return after;
  }
  if (word == "english") {
    units = 0;
    return after;
  }
  units = -1;
  return 0;
}

// Year stepping shared by both files: the next line's year.
int StepYear(int previousYear, int previousMonth, int month) {
  return previousMonth == 12 && month == 1 ? previousYear + 1 : previousYear;
}

const WtrDay* FindDay(const std::vector<WtrDay>& days, const OleDateTime& hour, std::size_t* at) {
  const int y = hour.GetYear(), m = hour.GetMonth(), d = hour.GetDay();
  for (std::size_t i = 0; i < days.size(); ++i) {
    if (days[i].year == y && days[i].month == m && days[i].day == d) {
      if (at) *at = i;
      return &days[i];
    }
  }
  return nullptr;
}

struct Extreme {
  OleDateTime when;
  int temperature, humidity;
};

void Extremes(const WtrDay& r, Extreme& early, Extreme& late) {
  const OleDateTime& t1 = r.timeOfMin;
  const OleDateTime& t2 = r.timeOfMax;
  // (minimum temperature, maximum humidity) belong to t1, the other pair to t2; with equal
  // times both ends carry the second pair.
  const Extreme atMin{t1, r.minTemperature, r.maxHumidity};
  const Extreme atMax{t2, r.maxTemperature, r.minHumidity};
  early = t2 > t1 ? atMin : atMax;
  early.when = t1 > t2 ? t2 : t1;
  late = t1 > t2 ? atMin : atMax;
  late.when = t2 > t1 ? t2 : t1;
}

// The precipitation period of a day; one without length covers the whole day.
void PrecipPeriod(const WtrDay& d, int& startMin, int& endMin) {
  startMin = MinutesOfDay(d.precipStart);
  endMin = MinutesOfDay(d.precipEnd);
  if (startMin == endMin) {
    startMin = 0;
    endMin = 1440;
  }
}

// The rules once the hour's day (at) is known.
bool TempRHOfDay(const std::vector<WtrDay>& days, std::size_t at, const OleDateTime& hour,
                 int* temperature, int* humidity) {
  const WtrDay* d = &days[at];
  Extreme e, l;
  Extremes(*d, e, l);
  Extreme from, to;
  if (hour < e.when) {
    if (at == 0) return false;
    Extreme pe, pl;
    Extremes(days[at - 1], pe, pl);
    from = pl;
    to = e;
  } else if (hour > l.when) {
    if (at + 1 >= days.size()) return false;
    Extreme ne, nl;
    Extremes(days[at + 1], ne, nl);
    from = l;
    to = ne;
  } else {
    from = e;
    to = l;
  }
  if (!from.when.IsValid() || !to.when.IsValid()) return false;
  const long total = std::labs(SpanMinutes(to.when - from.when));
  const long t = SpanMinutes(hour - from.when);
  if (total == 0) {
    *temperature = from.temperature;
    *humidity = from.humidity;
    return true;
  }
  const double s = std::sin(M_PI * (static_cast<double>(t) / total - 0.5));
  auto curve = [s](int a, int b) {
    return static_cast<int>(std::round((a + b + (b - a) * s) / 2.0));
  };
  *temperature = curve(from.temperature, to.temperature);
  *humidity = curve(from.humidity, to.humidity);
  return true;
}

bool PrecipOfDay(const std::vector<WtrDay>& days, std::size_t at, const OleDateTime& hour,
                 double* amount) {
  const WtrDay* d = &days[at];
  const int hourEnd = hour.GetHour() * 60 + hour.GetMinute();
  int start = 0, end = 0;
  if (hourEnd == 0) {
    // The hour from 23:00 to midnight belongs to the day before, whatever this day holds.
    if (at == 0) return true;
    const WtrDay& p = days[at - 1];
    if (!(p.precipitation > 0)) return true;
    PrecipPeriod(p, start, end);
    if (end <= 23 * 60) return true;
    const int length = std::abs(end - start);
    const int m = std::max(0, end - std::max(start, 23 * 60));
    *amount = p.precipitation * m / length;
    return true;
  }
  if (!(d->precipitation > 0)) return true;
  PrecipPeriod(*d, start, end);
  const int length = std::abs(end - start);
  const int m = std::max(0, std::min(end, hourEnd) - std::max(start, hourEnd - 60));
  if (length > 0) *amount = d->precipitation * m / length;
  return true;
}

// Latest wind observation at or before each hour, for hours visited in ascending order: the
// record of highest file position among those at or before the hour, as HourlyWindCloud gives.
class WindCursor {
 public:
  explicit WindCursor(const std::vector<WndEntry>& winds) : winds_(winds) {
    for (std::size_t i = 0; i < winds.size(); ++i)
      if (winds[i].when.IsValid()) order_.push_back(i);
    std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
      return winds[a].when.Linear() < winds[b].when.Linear();
    });
  }
  const WndEntry* At(const OleDateTime& hour) {
    while (next_ < order_.size() && AtOrBefore(winds_[order_[next_]].when, hour)) {
      best_ = std::max(best_, static_cast<long>(order_[next_]));
      ++next_;
    }
    return best_ < 0 ? nullptr : &winds_[static_cast<std::size_t>(best_)];
  }

 private:
  const std::vector<WndEntry>& winds_;
  std::vector<std::size_t> order_;
  std::size_t next_ = 0;
  long best_ = -1;
};

}  // namespace

bool HourlyTempRH(const std::vector<WtrDay>& days, const OleDateTime& hour, int* temperature,
                  int* humidity) {
  *temperature = 1;
  *humidity = 1;
  std::size_t at = 0;
  return FindDay(days, hour, &at) && TempRHOfDay(days, at, hour, temperature, humidity);
}

bool HourlyPrecip(const std::vector<WtrDay>& days, const OleDateTime& hour, double* amount) {
  *amount = 0.0;
  std::size_t at = 0;
  return FindDay(days, hour, &at) && PrecipOfDay(days, at, hour, amount);
}

bool HourlyWindCloud(const std::vector<WndEntry>& winds, const OleDateTime& hour, int* speed,
                     int* direction, int* cloud) {
  bool found = false;
  for (const WndEntry& w : winds) {
    if (!w.when.IsValid() || !AtOrBefore(w.when, hour)) continue;
    *speed = w.windSpeed;
    *direction = w.windDirection;
    *cloud = w.cloudCover;
    found = true;
  }
  return found;
}

bool ReadWtrDays(const std::string& text, int baseYear, std::vector<WtrDay>& days,
                 bool& metric) {
  days.clear();
  int units = 0;
  const std::size_t start = UnitsWord(text, units);
  metric = units == 1;
  weather::LineReader lines(std::string_view(text).substr(start), kWtrLine);
  std::string_view line;
  std::vector<weather::ScanValue> v;
  int year = baseYear, previousMonth = 0;
  while (lines.Next(line)) {
    const int n = weather::ScanFields(line, "ddddddddddddd", v);
    if (n < 0) continue;  // blank
    if (n != 10 && n != 12) return false;  // a word, or the wrong number of fields
    int f[13] = {};
    for (int i = 0; i < n; ++i) f[i] = weather::ScanInt(v[i]);
    if (f[0] < 1 || f[0] > 12 || f[1] < 1 || f[1] > 31 || f[3] < 0 || f[4] > 2400 ||
        f[7] > 100 || f[8] < 2 || f[9] < 0)
      return false;
    if (!days.empty()) year = StepYear(year, previousMonth, f[0]);
    previousMonth = f[0];
    WtrDay d;
    d.year = year;
    d.month = f[0];
    d.day = f[1];
    d.precipitation = f[2] * 0.01;
    d.timeOfMinHhmm = f[3];
    d.timeOfMaxHhmm = f[4];
    d.minTemperature = f[5];
    d.maxTemperature = f[6];
    d.maxHumidity = f[7];
    d.minHumidity = f[8];
    d.elevation = f[9];
    d.precipStart = n == 12 ? f[10] : 0;
    d.precipEnd = n == 12 ? f[11] : 0;
    d.timeOfMin = AtTime(year, d.month, d.day, d.timeOfMinHhmm);
    d.timeOfMax = AtTime(year, d.month, d.day, d.timeOfMaxHhmm);
    days.push_back(d);
  }
  return true;
}

bool ReadWndEntries(const std::string& text, int baseYear, bool defaultMetric,
                    std::vector<WndEntry>& winds, bool& metric) {
  winds.clear();
  int units = 0;
  const std::size_t start = UnitsWord(text, units);
  metric = units < 0 ? defaultMetric : units == 1;
  weather::TokenReader tokens(std::string_view(text).substr(start));
  int year = baseYear, previousMonth = 0;
  for (;;) {
    int f[6] = {};
    const auto r = tokens.NextInt(f[0]);
    if (r == weather::TokenReader::Result::End) break;
    if (r != weather::TokenReader::Result::Ok) return false;
    for (int i = 1; i < 6; ++i)
      if (tokens.NextInt(f[i]) != weather::TokenReader::Result::Ok) return false;
    WndEntry w;
    w.month = f[0];
    w.day = f[1];
    w.time = f[2];
    w.windSpeed = f[3];
    w.windDirection = f[4];
    w.cloudCover = f[5];
    if (w.month < 1 || w.month > 12 || w.day < 1 || w.day > 31 || w.time < 0 || w.time > 2359 ||
        w.windSpeed > (metric ? 300 : 100) || w.cloudCover < 0 || w.cloudCover > 100)
      return false;
    if (!winds.empty()) year = StepYear(year, previousMonth, w.month);
    previousMonth = w.month;
    w.year = year;
    w.when = OleDateTime(year, w.month, w.day, w.time / 100, w.time % 100, 0);
    winds.push_back(w);
  }
  return true;
}

int DailyBaseYear(const std::string& wtrText, const std::string& wndText) {
  constexpr int kProbe = 2011;
  std::vector<WtrDay> days;
  bool metric = false;
  ReadWtrDays(wtrText, kProbe, days, metric);
  for (const WtrDay& d : days)
    if (d.month == 2 && d.day == 29) return 2012 - (d.year - kProbe);
  std::vector<WndEntry> winds;
  ReadWndEntries(wndText, kProbe, metric, winds, metric);
  for (const WndEntry& w : winds)
    if (w.month == 2 && w.day == 29) return 2012 - (w.year - kProbe);
  return kProbe;
}

int ConvertWtrWndToWxs(std::string wtrPath, std::string wndPath, std::string wxsPath,
                       ConditioningDates conditioning) {
  std::string wtrText, wndText;
  if (!platform::ReadWholeFile(wtrPath, wtrText) || !platform::ReadWholeFile(wndPath, wndText))
    return 0;
  const int baseYear = DailyBaseYear(wtrText, wndText);
  std::vector<WtrDay> days;
  std::vector<WndEntry> winds;
  bool wtrMetric = false, wndMetric = false;
  if (!ReadWtrDays(wtrText, baseYear, days, wtrMetric)) return 0;
  if (!ReadWndEntries(wndText, baseYear, wtrMetric, winds, wndMetric)) return 0;
  if (days.empty()) return 0;

  CWxStream stream;
  stream.units = wndMetric ? 1 : 0;
  stream.elevation = days.front().elevation;
  OleDateTime hour(days.front().year, days.front().month, days.front().day, 13, 0, 0);
  const WtrDay& lastDay = days.back();
  const OleDateTime last(lastDay.year, lastDay.month, lastDay.day, 13, 0, 0);
  // Counted hours rather than repeated additions, so that no rounding drift builds up.
  const OleDateTime first = hour;
  std::map<std::tuple<int, int, int>, std::size_t> dayIndex;  // first line of each date
  for (std::size_t i = 0; i < days.size(); ++i)
    dayIndex.emplace(std::make_tuple(days[i].year, days[i].month, days[i].day), i);
  WindCursor wind(winds);
  for (long step = 1; hour.IsValid() && last.IsValid() && hour < last; ++step) {
    const auto found =
        dayIndex.find(std::make_tuple(hour.GetYear(), hour.GetMonth(), hour.GetDay()));
    WxRecord r;
    int t = 1, rh = 1;
    double rain = 0;
    const WndEntry* w = nullptr;
    if (found != dayIndex.end() && TempRHOfDay(days, found->second, hour, &t, &rh) &&
        PrecipOfDay(days, found->second, hour, &rain) && (w = wind.At(hour)) != nullptr) {
      r.date = hour;
      r.temperature = t;
      r.humidity = rh;
      r.precipitation = rain;
      r.windSpeed = w->windSpeed;
      r.windDirection = w->windDirection;
      r.cloudCover = w->cloudCover;
      stream.records.push_back(r);
    }
    hour = first.AddHours(static_cast<double>(step));
  }
  if (stream.records.empty()) return 0;
  if (!platform::WriteFileAtomically(wxsPath, WxsConversionText(stream))) return 0;

  for (OleDateTime* date : {conditioning.start, conditioning.end}) {
    if (!date || !date->IsValid()) continue;
    for (const WxRecord& r : stream.records) {
      if (r.date.GetMonth() == date->GetMonth() && r.date.GetDay() == date->GetDay()) {
        const OleDateTime moved(r.date.GetYear(), date->GetMonth(), date->GetDay(),
                                date->GetHour(), date->GetMinute(), date->GetSecond());
        if (moved.IsValid()) *date = moved;
        break;
      }
    }
  }
  return static_cast<int>(stream.records.size());
}

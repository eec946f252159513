#include "engines/embrith_inputs.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "platform/numbers.h"

namespace engines {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t j = text.find('\n', i);
    if (j == std::string_view::npos) j = text.size();
    std::string_view l = text.substr(i, j - i);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    lines.push_back(l);
    i = j + 1;
  }
  return lines;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> w;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t') ++j;
    if (j > i) w.push_back(s.substr(i, j - i));
    i = j;
  }
  return w;
}

// The line index of the first line that begins with "KEY:", or -1.
long Find(const std::vector<std::string_view>& lines, std::string_view key) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view l = lines[i];
    if (l.size() > key.size() && l.substr(0, key.size()) == key && l[key.size()] == ':') return static_cast<long>(i);
  }
  return -1;
}

std::string_view ValueOf(std::string_view line) { return Trim(line.substr(line.find(':') + 1)); }

bool ValidTime(int hhmm, int latest) { return hhmm >= 0 && hhmm <= latest && hhmm % 100 < 60; }

constexpr int kDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool ValidDate(int month, int day) { return month >= 1 && month <= 12 && day >= 1 && day <= kDaysInMonth[month - 1]; }

int MinutesOfDay(int hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

}  // namespace

int DaysBeforeMonth(int month) {
  static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return month >= 1 && month <= 12 ? before[month - 1] : 0;
}

double CalendarMinutes(int month, int day, int hhmm, int refMonth, double refMinutes) {
  double m = (DaysBeforeMonth(month) + day) * 1440.0 + MinutesOfDay(hhmm);
  if (month < refMonth) m += 525600.0;
  return m - refMinutes;
}

int ParseEmbrithInputs(std::string_view text, EmbrithInputs& out, std::string& detail) {
  const std::vector<std::string_view> lines = Lines(text);
  std::size_t first = 0;
  while (first < lines.size() && Trim(lines[first]).empty()) ++first;
  if (first == lines.size() || Trim(lines[first]) != "Embrith-Inputs-File-Version-1") {
    detail = "The first line must be \"Embrith-Inputs-File-Version-1\".";
    return 0;
  }
  EmbrithInputs in;
  auto refuse = [&](std::string_view key, const std::string& why) {
    detail = std::string(key) + " " + why;
    return 0;
  };
  // A number that must be present and within [lo, hi]; positive keys refuse 0.
  auto number = [&](std::string_view key, double& dst, double lo, double hi, bool positive) -> bool {
    const long at = Find(lines, key);
    if (at < 0) return refuse(key, "is missing."), false;
    const auto v = platform::ParseDouble(ValueOf(lines[at]));
    if (!v || !std::isfinite(*v)) return refuse(key, "is not a number."), false;
    if (positive && !(*v > 0)) return refuse(key, "must be above 0."), false;
    if (*v < lo || *v > hi) return refuse(key, "is out of range."), false;
    dst = *v;
    return true;
  };
  auto optional = [&](std::string_view key, double& dst, double lo, double hi) -> bool {
    return Find(lines, key) < 0 || number(key, dst, lo, hi, false);
  };
  double accel = 0, fill = 0, delay = 0, bins[2] = {0, 0}, res = 0;
  if (!number("EMBRITH_TIMESTEP", in.timeStep, 0, 1e6, true) ||
      !number("EMBRITH_DISTANCE_RES", in.distanceRes, 0, 1e6, true) ||
      !number("EMBRITH_PERIMETER_RES", in.perimeterRes, 0, 1e6, true) ||
      !optional("EMBRITH_SPOT_GRID_RESOLUTION", in.spotGridRes, 0, 1e6) ||
      !optional("EMBRITH_SPOT_PROBABILITY", in.spotProbability, 0, 1) ||
      !optional("EMBRITH_SPOT_IGNITION_DELAY", delay, 0, 1e6) ||
      !optional("EMBRITH_MINIMUM_SPOT_DISTANCE", in.minSpotDistance, 0, 1e7) ||
      !optional("EMBRITH_ACCELERATION_ON", accel, 0, 1) || !optional("EMBRITH_FILL_BARRIERS", fill, 0, 1))
    return 0;
  in.spotDelay = static_cast<int>(delay);
  in.acceleration = accel != 0;
  in.fillBarriers = fill != 0;

  const long bp = Find(lines, "EMBRITH_BURN_PERIODS");
  if (bp < 0) return refuse("EMBRITH_BURN_PERIODS", "is missing.");
  const auto count = platform::ParseInt(ValueOf(lines[bp]));
  if (!count || *count < 1) return refuse("EMBRITH_BURN_PERIODS", "must list at least one burn period.");
  if (static_cast<unsigned long long>(*count) > lines.size() - bp - 1)
    return refuse("EMBRITH_BURN_PERIODS", "lists more periods than the lines that follow.");
  for (long k = 1; k <= *count; ++k) {
    const auto w = Words(lines[bp + k]);
    std::optional<long long> v[4];
    for (int i = 0; i < 4 && i < static_cast<int>(w.size()); ++i) v[i] = platform::ParseInt(w[i]);
    const std::string where = "row " + std::to_string(k) + " ";
    if (w.size() != 4 || !v[0] || !v[1] || !v[2] || !v[3])
      return refuse("EMBRITH_BURN_PERIODS", where + "must hold month, day, start and end.");
    EmbrithBurnPeriod p{static_cast<int>(*v[0]), static_cast<int>(*v[1]), static_cast<int>(*v[2]),
                        static_cast<int>(*v[3])};
    if (!ValidDate(p.month, p.day)) return refuse("EMBRITH_BURN_PERIODS", where + "has no valid month and day.");
    if (!ValidTime(p.start, 2359) || !ValidTime(p.end, 2359))
      return refuse("EMBRITH_BURN_PERIODS", where + "has a time that is not hhmm.");
    if (MinutesOfDay(p.end) + 1 <= MinutesOfDay(p.start))
      return refuse("EMBRITH_BURN_PERIODS", where + "ends before it starts.");
    in.periods.push_back(p);
  }
  std::stable_sort(in.periods.begin(), in.periods.end(), [](const EmbrithBurnPeriod& a, const EmbrithBurnPeriod& b) {
    return std::tie(a.month, a.day, a.start) < std::tie(b.month, b.day, b.start);
  });
  // A run across the new year: the periods after the largest gap come first.
  if (in.periods.size() > 1) {
    std::size_t startAt = 0;
    double gap = 0;
    for (std::size_t i = 0; i < in.periods.size(); ++i) {
      const auto& a = in.periods[(i + in.periods.size() - 1) % in.periods.size()];
      const auto& b = in.periods[i];
      double d = CalendarMinutes(b.month, b.day, b.start, 1, 0) - CalendarMinutes(a.month, a.day, a.start, 1, 0);
      if (d <= 0) d += 525600.0;
      if (d > gap) gap = d, startAt = i;
    }
    std::rotate(in.periods.begin(), in.periods.begin() + static_cast<long>(startAt), in.periods.end());
  }
  in.refMonth = in.periods.front().month;
  in.refMinutes = CalendarMinutes(in.periods.front().month, in.periods.front().day, in.periods.front().start, 1, 0);
  for (EmbrithBurnPeriod& p : in.periods) {
    p.from = CalendarMinutes(p.month, p.day, p.start, in.refMonth, in.refMinutes);
    // The end is the last burning minute: 1759 burns until 18:00.
    p.to = CalendarMinutes(p.month, p.day, p.end, in.refMonth, in.refMinutes) + 1;
    in.endMinutes = std::max(in.endMinutes, p.to);
  }

  auto text_of = [&](std::string_view key) -> std::string {
    const long at = Find(lines, key);
    return at < 0 ? std::string() : std::string(ValueOf(lines[at]));
  };
  in.ignitionFile = text_of("EMBRITH_IGNITION_FILE");
  if (in.ignitionFile.empty()) return refuse("EMBRITH_IGNITION_FILE", "is missing.");
  in.barrierFile = text_of("EMBRITH_BARRIER_FILE");
  in.atmFile = text_of("EMBRITH_ATM_FILE");
  const std::string gen = text_of("GRIDDED_WINDS_GENERATE");
  in.generateWinds = !gen.empty() && (gen[0] == 'Y' || gen[0] == 'y');
  if (in.generateWinds) {
    if (!number("GRIDDED_WINDS_RESOLUTION", res, 0, 1e6, true) ||
        !optional("GRIDDED_WINDS_DIRECTION_BIN", bins[0], 0, 360) || !optional("GRIDDED_WINDS_SPEED_BIN", bins[1], 0, 1000))
      return 0;
    in.windResolution = static_cast<int>(res);
    in.directionBin = static_cast<int>(bins[0]);
    in.speedBin = static_cast<int>(bins[1]);
  }
  out = std::move(in);
  return 1;
}

const AtmEntryFiles* AtmWinds::At(double minutes) const {
  if (entries.empty()) return nullptr;
  const AtmEntryFiles* found = &entries.front();
  for (const AtmEntryFiles& e : entries)
    if (e.minutes <= minutes) found = &e;
  return found;
}

int AtmParseGridNames(std::string_view line, std::string& speed, std::string& direction) {
  std::size_t at = 0;
  int blanks = 0;
  while (at < line.size() && blanks < 3)
    if (line[at++] == ' ') ++blanks;
  std::string_view rest = blanks == 3 ? Trim(line.substr(at)) : std::string_view();
  const auto quotes = std::count(rest.begin(), rest.end(), '"');
  if (quotes % 2) {
    speed.clear();
    direction.clear();
    return 0;
  }
  const char delim = quotes ? '"' : ' ';
  std::vector<std::string_view> pieces;
  for (std::size_t i = 0; i < rest.size();) {
    std::size_t j = rest.find(delim, i);
    if (j == std::string_view::npos) j = rest.size();
    const std::string_view p = Trim(rest.substr(i, j - i));
    if (!p.empty()) pieces.push_back(p);
    i = j + 1;
  }
  if (quotes) {
    if (!pieces.empty()) speed = std::string(pieces[0]);
    if (pieces.size() > 1) direction = std::string(pieces[1]);
  } else if (pieces.size() >= 2) {
    speed = std::string(pieces[0]);
    direction = std::string(pieces[1]);
  }
  return 2;
}

int ParseAtmText(std::string_view text, const std::string& folder, int refMonth, double refMinutes, AtmWinds& out,
                 std::string& detail) {
  AtmWinds atm;
  bool unitsSeen = false;
  const auto lines = Lines(text);
  for (std::size_t li = 0; li < lines.size(); ++li) {
    const auto w = Words(lines[li]);
    if (w.empty()) continue;
    if (!unitsSeen && (w[0] == "METRIC" || w[0] == "ENGLISH")) {
      atm.metric = w[0] == "METRIC";
      unitsSeen = true;
      continue;
    }
    if (w.size() < 5) continue;
    const auto m = platform::ParseInt(w[0]), d = platform::ParseInt(w[1]), t = platform::ParseInt(w[2]);
    if (!m || !d || !t) continue;
    const std::string where = "Line " + std::to_string(li + 1) + ": ";
    if (!ValidDate(static_cast<int>(*m), static_cast<int>(*d)) || !ValidTime(static_cast<int>(*t), 2400)) {
      detail = where + "the month, day or time (hhmm) is not valid.";
      return 0;
    }
    AtmEntryFiles e;
    e.month = static_cast<int>(*m);
    e.day = static_cast<int>(*d);
    e.hhmm = static_cast<int>(*t);
    if (AtmParseGridNames(lines[li], e.speedFile, e.directionFile) != 2 || e.speedFile.empty() ||
        e.directionFile.empty()) {
      detail = where + "the wind speed and direction grid names do not pair.";
      return 0;
    }
    for (std::string* f : {&e.speedFile, &e.directionFile}) {
      std::replace(f->begin(), f->end(), '\\', '/');
      if (!f->empty() && (*f)[0] != '/' && !folder.empty()) *f = folder + "/" + *f;
    }
    e.minutes = CalendarMinutes(e.month, e.day, e.hhmm, refMonth, refMinutes);
    atm.entries.push_back(std::move(e));
  }
  if (atm.entries.empty()) {
    detail = "The ATM file lists no wind grids.";
    return 0;
  }
  std::stable_sort(atm.entries.begin(), atm.entries.end(),
                   [](const AtmEntryFiles& a, const AtmEntryFiles& b) { return a.minutes < b.minutes; });
  out = std::move(atm);
  return 1;
}

}  // namespace engines

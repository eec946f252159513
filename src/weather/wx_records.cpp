#include "weather/wx_records.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "platform/numbers.h"

namespace weather {

using platform::OleDateTime;

namespace {

std::string RecordHasNoDate(int index) {
  return platform::FormatC("Record %d has no valid date and time", index + 1);
}

WxRecord Blank(const OleDateTime& t) {
  WxRecord r;
  r.date = t;
  return r;
}

}  // namespace

int32_t WxIntPart(double v) {
  // Out-of-range results are kept at the type's ends for the stream's checks to report.
  if (!(v == v)) return 0;
  v = std::trunc(v);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

std::string WxTrim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool AppendBlankRecords(CWxStream& s, const OleDateTime& start, int count, std::string& message) {
  message.clear();
  if (!start.IsValid()) {
    message = "The start date and time is not a valid date.";
    return false;
  }
  OleDateTime t = start;
  for (int i = 0; i < count; ++i, t = t + kHour) s.records.push_back(Blank(t));
  return count > 0;
}

bool AppendBlankAfterLast(CWxStream& s, bool day, std::string& message) {
  message.clear();
  if (s.records.empty()) return false;
  const int last = static_cast<int>(s.records.size()) - 1;
  if (!s.records.back().date.IsValid()) {
    message = RecordHasNoDate(last);
    return false;
  }
  OleDateTime t = s.records.back().date;
  for (int i = 0; i < (day ? 24 : 1); ++i) {
    t = t + kHour;
    s.records.push_back(Blank(t));
  }
  return true;
}

bool AppendCopyLast(CWxStream& s, std::string& message) {
  message.clear();
  if (s.records.empty()) return false;
  if (!s.records.back().date.IsValid()) {
    message = RecordHasNoDate(static_cast<int>(s.records.size()) - 1);
    return false;
  }
  WxRecord r = s.records.back();
  r.date = r.date + kHour;
  s.records.push_back(r);
  return true;
}

bool AppendCopyLastDay(CWxStream& s, std::string& message) {
  message.clear();
  if (s.records.empty()) return false;
  const OleDateTime last = s.records.back().date;
  if (!last.IsValid()) {
    message = RecordHasNoDate(static_cast<int>(s.records.size()) - 1);
    return false;
  }
  const OleDateTime from = last - 1.0;
  std::size_t first = s.records.size() - 1;
  while (first > 0 && s.records[first - 1].date.IsValid() && s.records[first - 1].date > from &&
         s.records[first - 1].date != from)
    --first;
  const std::size_t end = s.records.size();
  for (std::size_t i = first; i < end; ++i) {
    WxRecord r = s.records[i];
    r.date = r.date + 1.0;
    s.records.push_back(r);
  }
  return true;
}

bool InsertRecordBefore(CWxStream& s, int row, std::string& message) {
  message.clear();
  if (row < 0 || row >= static_cast<int>(s.records.size())) return false;
  const OleDateTime t = s.records[static_cast<std::size_t>(row)].date;
  if (!t.IsValid()) {
    message = RecordHasNoDate(row);
    return false;
  }
  if (row > 0) {
    const OleDateTime before = s.records[static_cast<std::size_t>(row) - 1].date;
    if (before.IsValid() && (t - before) < kHour + OleDateTime::kHalfSecond) {
      message = platform::FormatC("Record %d is already within an hour of %s", row, t.Format("%m/%d/%y %H:%M").c_str());
      return false;
    }
  }
  auto at = std::find_if(s.records.begin(), s.records.end(),
                         [&](const WxRecord& r) { return r.date.IsValid() && r.date >= t; });
  s.records.insert(at, Blank(t - kHour));
  return true;
}

void DeleteRecords(CWxStream& s, const std::vector<int>& rows, OleDateTime& condStart, OleDateTime& condEnd) {
  const std::set<int> gone(rows.begin(), rows.end());
  std::vector<WxRecord> kept;
  kept.reserve(s.records.size());
  for (std::size_t i = 0; i < s.records.size(); ++i)
    if (!gone.count(static_cast<int>(i))) kept.push_back(s.records[i]);
  s.records = std::move(kept);
  if (s.records.empty()) {
    condStart = OleDateTime::Invalid();
    condEnd = OleDateTime::Invalid();
    return;
  }
  const OleDateTime first = s.records.front().date, last = s.records.back().date;
  if (condStart.IsValid() && first.IsValid() && condStart < first) condStart = first;
  if (condEnd.IsValid() && last.IsValid() && condEnd > last) condEnd = last;
}

std::vector<WxBurnPeriod> MergeBurnHours(const std::vector<OleDateTime>& ticked) {
  std::vector<WxBurnPeriod> out;
  bool open = false;
  WxBurnPeriod cur;
  for (const OleDateTime& t : ticked) {
    WxBurnPeriod p;
    if (t.IsValid()) p = {t.GetMonth(), t.GetDay(), t.GetHour(), t.GetHour() + 1};
    else p = {-1, -1, -1, 0};
    if (open && p.month == cur.month && p.day == cur.day && p.startHour == cur.endHour) {
      cur.endHour = p.endHour;
      continue;
    }
    if (open) out.push_back(cur);
    cur = p;
    open = true;
  }
  if (open) out.push_back(cur);
  return out;
}

// ---- bulk edit ----------------------------------------------------------------------------

const char* const kWxsVariableNames[6] = {"Temperature", "RH", "Precipitation", "Wind Speed", "Wind Direction",
                                          "Cloud Cover"};
const char* const kWxsComparisonOperators[5] = {"<", "<=", "=", ">=", ">"};
const char* const kWxsArithmeticOperators[4] = {"+", "-", "/", "*"};

double WxsFieldValue(const WxRecord& r, int variable) {
  switch (variable) {
    case 0: return r.temperature;
    case 1: return r.humidity;
    case 2: return r.precipitation;
    case 3: return r.windSpeed;
    case 4: return r.windDirection;
    case 5: return r.cloudCover;
    default: return 0;
  }
}

std::string WxsCondition::GetText() const {
  std::string t = std::string(kWxsVariableNames[std::clamp(variable, 0, 5)]) + " " +
                  kWxsComparisonOperators[std::clamp(comparison, 0, 4)];
  if (!value.empty()) t += " " + value + "\r\n";
  return t;
}

bool WxsCondition::Test(const WxRecord& r) const {
  const double v = WxsFieldValue(r, variable);
  const double c = platform::ParseDouble(value).value_or(0.0);
  switch (comparison) {
    case 0: return v < c;
    case 1: return v <= c;
    case 2: return v == c;
    case 3: return v >= c;
    case 4: return v > c;
    default: return false;
  }
}

bool ReadBulkValue(const std::string& text, const char* field, double& value, std::string& message) {
  const std::string t = WxTrim(text);
  const auto v = platform::ParseDouble(t);
  if (!v || !std::isfinite(*v)) {
    message = platform::FormatC("The %s \"%s\" is not a number", field, t.c_str());
    return false;
  }
  value = *v;
  return true;
}

std::string BuildBulkStatement(const WxsAssignment& a, const std::vector<WxsCondition>& conditions) {
  std::string t;
  if (a.target < 0 || a.target > 5) return t;
  const std::string n = kWxsVariableNames[a.target];
  t = "Set " + n + " ";
  if (!a.expression) {
    t += "= " + a.constantText;
  } else if (a.op >= 0 && a.op <= 3) {
    t += "= " + n + " " + kWxsArithmeticOperators[a.op] + " " + a.expressionText + "\r\n";
  }
  if (!conditions.empty()) {
    t += " IF ";
    for (std::size_t i = 0; i < conditions.size(); ++i) {
      if (i) t += "\tAND ";
      t += conditions[i].GetText();
    }
  }
  return t;
}

bool CheckBulkInputs(const WxsAssignment& a, std::string& message) {
  double x = 0;
  if (a.target < 0) {
    message = "A Target Variable must be selected";
    return false;
  }
  if (a.expression) {
    if (WxTrim(a.expressionText).empty()) {
      message = "An Expression Value must be entered";
      return false;
    }
    if (a.op < 0) {
      message = "An Expression Operator must be selected";
      return false;
    }
    return ReadBulkValue(a.expressionText, "Expression Value", x, message);
  }
  if (WxTrim(a.constantText).empty()) {
    message = "A Constant Value must be entered";
    return false;
  }
  return ReadBulkValue(a.constantText, "Constant Value", x, message);
}

bool PassesAll(const WxRecord& r, const std::vector<WxsCondition>& conditions) {
  for (const WxsCondition& c : conditions)
    if (!c.Test(r)) return false;
  return true;
}

void ApplyAssignment(WxRecord& r, int target, bool expression, double x, int op) {
  const double v = WxsFieldValue(r, target);
  double n = x;
  if (expression) {
    switch (op) {
      case 0: n = v + x; break;
      case 1: n = v - x; break;
      case 2: n = x == 0 ? v : v / x; break;
      case 3: n = v * x; break;
      default: return;
    }
  }
  switch (target) {
    case 0: r.temperature = WxIntPart(n); break;
    case 1: r.humidity = WxIntPart(n); break;
    case 2: r.precipitation = n; break;
    case 3: r.windSpeed = WxIntPart(n); break;
    case 4: r.windDirection = WxIntPart(n); break;
    case 5: r.cloudCover = WxIntPart(n); break;
    default: break;
  }
}

std::vector<int> BulkMatches(const CWxStream& s, const std::vector<int>* rows,
                             const std::vector<WxsCondition>& conditions) {
  std::vector<int> out;
  auto take = [&](int i) {
    if (i >= 0 && i < static_cast<int>(s.records.size()) && PassesAll(s.records[static_cast<std::size_t>(i)], conditions))
      out.push_back(i);
  };
  if (rows) {
    for (int i : *rows) take(i);
  } else {
    for (int i = 0; i < static_cast<int>(s.records.size()); ++i) take(i);
  }
  return out;
}

// ---- graph days and colours ---------------------------------------------------------------

std::vector<WxsGraphDay> GraphDays(const CWxStream& s) {
  std::vector<WxsGraphDay> days;
  for (std::size_t i = 0; i < s.records.size(); ++i) {
    const OleDateTime& t = s.records[i].date;
    if (!days.empty() && t.GetDayOfYear() == days.back().firstTime.GetDayOfYear()) {
      days.back().lastTime = t;
      days.back().lastIndex = static_cast<int>(i);
      continue;
    }
    WxsGraphDay d;
    d.firstTime = d.lastTime = t;
    d.firstIndex = d.lastIndex = static_cast<int>(i);
    days.push_back(d);
  }
  return days;
}

std::vector<uint32_t> RecordColors(const CWxStream& s, const std::vector<WxBurnPeriod>& burns,
                                   const OleDateTime& start, const OleDateTime& end, uint32_t notUsed,
                                   uint32_t conditioning, uint32_t burning) {
  std::vector<uint32_t> out;
  out.reserve(s.records.size());
  for (const WxRecord& r : s.records) {
    const OleDateTime& t = r.date;
    if (t.IsValid() && start.IsValid() && t < start) {
      out.push_back(notUsed);
    } else if (t.IsValid() && end.IsValid() && (t > end || t == end)) {
      out.push_back(notUsed);
    } else {
      uint32_t c = conditioning;
      for (const WxBurnPeriod& b : burns)
        if (t.IsValid() && b.month == t.GetMonth() && b.day == t.GetDay() && b.startHour <= t.GetHour() &&
            b.endHour >= t.GetHour() + 1) {
          c = burning;
          break;
        }
      out.push_back(c);
    }
  }
  return out;
}

void GraphPaging::Start(int days) {
  dayCount = days;
  visibleDays = 2;
  firstDay = 0;
  lastDay = visibleDays - 1 < dayCount ? visibleDays - 1 : dayCount - 1;
}

void GraphPaging::Clamp() {
  if (firstDay < 0) firstDay = 0;
  if (firstDay >= dayCount) firstDay = dayCount - 1;
  if (lastDay < 0) lastDay = firstDay + visibleDays;
  if (lastDay >= dayCount) lastDay = dayCount - 1;
}

void GraphPaging::Back() {
  firstDay = std::max(firstDay - visibleDays, 0);
  lastDay = firstDay + visibleDays - 1;
  Clamp();
}

void GraphPaging::Forward() {
  firstDay += visibleDays;
  if (firstDay >= dayCount - 1) firstDay = dayCount - visibleDays;
  lastDay = firstDay + visibleDays - 1;
  Clamp();
}

bool GraphPaging::SetVisible(int value) {
  if (value < 1 || value > dayCount) return false;
  visibleDays = value;
  lastDay = firstDay + value - 1;
  if (lastDay > dayCount - 1) {
    lastDay = dayCount - 1;
    firstDay = std::max(dayCount - value, 0);
  }
  Clamp();
  return true;
}

}  // namespace weather

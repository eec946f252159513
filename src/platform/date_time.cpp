#include "platform/date_time.h"

#include <cctype>
#include <cmath>
#include <ctime>
#include <vector>

#include "platform/numbers.h"

namespace platform {
namespace {

// 1 January 100 and 31 December 9999 23:59:59, the range of the value.
constexpr double kMinDays = -657434.0;
constexpr double kMaxDays = 2958465.99999;

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool IsLeap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(long y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(long y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, long& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = yoe + era * 400;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y += m <= 2;
}

// 30 December 1899 in days since 1970-01-01.
const long kEpochShift = DaysFromCivil(1899, 12, 30);

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Month 1-12 from an English name or its first three letters; 0 when none.
int MonthFromName(const std::string& word) {
  if (word.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    std::string full = Lower(kMonthNames[i]);
    if (full.compare(0, word.size(), word) == 0) return i + 1;
  }
  if (word == "sept") return 9;
  return 0;
}

bool IsDayName(const std::string& word) {
  if (word.size() < 3) return false;
  for (const char* n : kDayNames)
    if (Lower(n).compare(0, word.size(), word) == 0) return true;
  return false;
}

struct Token {
  enum Kind { Num, Word, Sep };
  explicit Token(Kind k) : kind(k) {}
  Kind kind;
  long value = 0;
  int digits = 0;
  std::string word;
  char sep = 0;
};

bool Tokenize(std::string_view text, std::vector<Token>& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (std::isspace(c)) {
      ++i;
    } else if (std::isdigit(c)) {
      Token t(Token::Num);
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        if (++t.digits > 9) return false;
        t.value = t.value * 10 + (text[i] - '0');
        ++i;
      }
      out.push_back(t);
    } else if (std::isalpha(c)) {
      Token t(Token::Word);
      while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) t.word += text[i++];
      t.word = Lower(t.word);
      out.push_back(t);
    } else if (c == ':' || c == '/' || c == '-' || c == ',' || c == '.') {
      Token t(Token::Sep);
      t.sep = static_cast<char>(c);
      out.push_back(t);
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

long ExpandYear(const Token& t) {
  if (t.digits <= 2) return t.value < 30 ? 2000 + t.value : 1900 + t.value;
  return t.value;
}

}  // namespace

OleDateTime::OleDateTime(int year, int month, int day, int hour, int minute, int second) {
  SetDateTime(year, month, day, hour, minute, second);
}

OleDateTime OleDateTime::Null() {
  OleDateTime t;
  t.status_ = Status::Null;
  return t;
}

OleDateTime OleDateTime::Invalid() {
  OleDateTime t;
  t.status_ = Status::Invalid;
  return t;
}

void OleDateTime::CheckRange() {
  status_ = (std::isfinite(days_) && days_ >= kMinDays && days_ <= kMaxDays) ? Status::Valid : Status::Invalid;
}

bool OleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
    days_ = 0;
    status_ = Status::Invalid;
    return false;
  }
  double date = static_cast<double>(DaysFromCivil(year, month, day) - kEpochShift);
  double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  days_ = date >= 0 ? date + time : date - time;
  status_ = Status::Valid;
  return true;
}

double OleDateTime::Linear() const {
  if (days_ >= 0) return days_;
  double whole = std::ceil(days_);
  return whole - (days_ - whole);
}

double OleDateTime::FromLinear(double linear) {
  if (linear >= 0) return linear;
  double whole = std::floor(linear);
  return whole + (whole - linear);
}

bool OleDateTime::Parts(int& y, int& mo, int& d, int& h, int& mi, int& s, int& dow, int& doy) const {
  if (status_ != Status::Valid || !(days_ >= kMinDays && days_ <= kMaxDays)) return false;
  // Round to the nearest second, away from day 0 on the negative side.
  double v = days_ + (days_ > 0 ? kHalfSecond : -kHalfSecond);
  long whole = static_cast<long>(v);
  double frac = std::fabs(v - static_cast<double>(whole));
  long secs = static_cast<long>(frac * 86400.0);
  if (secs >= 86400) secs = 86399;
  long yy;
  CivilFromDays(whole + kEpochShift, yy, mo, d);
  y = static_cast<int>(yy);
  h = static_cast<int>(secs / 3600);
  mi = static_cast<int>(secs / 60 % 60);
  s = static_cast<int>(secs % 60);
  long z = whole + kEpochShift;  // 1970-01-01 was a Thursday
  dow = static_cast<int>(((z % 7) + 7 + 4) % 7) + 1;
  doy = static_cast<int>(DaysFromCivil(yy, mo, d) - DaysFromCivil(yy, 1, 1)) + 1;
  return true;
}

#define PV_PART(name, var)                              \
  int OleDateTime::name() const {                       \
    int y, mo, d, h, mi, s, dow, doy;                   \
    return Parts(y, mo, d, h, mi, s, dow, doy) ? var : -1; \
  }
PV_PART(GetYear, y)
PV_PART(GetMonth, mo)
PV_PART(GetDay, d)
PV_PART(GetHour, h)
PV_PART(GetMinute, mi)
PV_PART(GetSecond, s)
PV_PART(GetDayOfWeek, dow)
PV_PART(GetDayOfYear, doy)
#undef PV_PART

OleDateTime OleDateTime::operator+(double days) const {
  if (status_ != Status::Valid) return *this;
  return OleDateTime(FromLinear(Linear() + days));
}

double OleDateTime::operator-(const OleDateTime& other) const {
  if (status_ != Status::Valid || other.status_ != Status::Valid) return 0.0;
  return Linear() - other.Linear();
}

bool OleDateTime::operator==(const OleDateTime& other) const {
  if (status_ != other.status_) return false;
  if (status_ != Status::Valid) return true;
  return std::fabs(Linear() - other.Linear()) < kHalfSecond;
}

bool OleDateTime::operator<(const OleDateTime& other) const { return Linear() < other.Linear(); }

std::string OleDateTime::Format(const char* fmt) const {
  if (status_ == Status::Null) return "";
  int y, mo, d, h, mi, s, dow, doy;
  if (!Parts(y, mo, d, h, mi, s, dow, doy)) return "Invalid DateTime";
  std::string out;
  for (const char* p = fmt; *p; ++p) {
    if (*p != '%' || !p[1]) {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'Y': out += FormatC("%04d", y); break;
      case 'y': out += FormatC("%02d", y % 100); break;
      case 'm': out += FormatC("%02d", mo); break;
      case 'd': out += FormatC("%02d", d); break;
      case 'H': out += FormatC("%02d", h); break;
      case 'M': out += FormatC("%02d", mi); break;
      case 'S': out += FormatC("%02d", s); break;
      case 'I': out += FormatC("%02d", h % 12 == 0 ? 12 : h % 12); break;
      case 'p': out += h < 12 ? "AM" : "PM"; break;
      case 'j': out += FormatC("%03d", doy); break;
      case 'b': out += std::string(kMonthNames[mo - 1], 3); break;
      case 'B': out += kMonthNames[mo - 1]; break;
      case 'a': out += std::string(kDayNames[dow - 1], 3); break;
      case 'A': out += kDayNames[dow - 1]; break;
      case '%': out += '%'; break;
      default: out += '%'; out += *p; break;
    }
  }
  return out;
}

std::string OleDateTime::Format() const {
  if (status_ == Status::Null) return "";
  int y, mo, d, h, mi, s, dow, doy;
  if (!Parts(y, mo, d, h, mi, s, dow, doy)) return "Invalid DateTime";
  bool hasDate = std::fabs(days_) >= 1.0 - kHalfSecond;
  bool hasTime = h != 0 || mi != 0 || s != 0;
  std::string out;
  if (hasDate || !hasTime) out = FormatC("%d/%d/%d", mo, d, y);
  if (hasTime) {
    if (!out.empty()) out += ' ';
    out += FormatC("%d:%02d:%02d %s", h % 12 == 0 ? 12 : h % 12, mi, s, h < 12 ? "AM" : "PM");
  }
  return out;
}

bool OleDateTime::ParseDateTime(std::string_view text) {
  days_ = 0;
  status_ = Status::Invalid;
  std::vector<Token> toks;
  if (!Tokenize(text, toks) || toks.empty()) return false;

  // The time: h:mm[:ss] with an optional AM/PM word after it.
  bool hasTime = false;
  int hour = 0, minute = 0, second = 0;
  for (std::size_t i = 0; i + 2 < toks.size(); ++i) {
    if (toks[i].kind != Token::Num || toks[i + 1].kind != Token::Sep || toks[i + 1].sep != ':' ||
        toks[i + 2].kind != Token::Num)
      continue;
    std::size_t end = i + 3;
    long hh = toks[i].value, mm = toks[i + 2].value, ss = 0;
    if (end + 1 < toks.size() && toks[end].kind == Token::Sep && toks[end].sep == ':' &&
        toks[end + 1].kind == Token::Num) {
      ss = toks[end + 1].value;
      end += 2;
    }
    if (end < toks.size() && toks[end].kind == Token::Word && (toks[end].word == "am" || toks[end].word == "pm")) {
      if (hh < 1 || hh > 12) return false;
      hh = toks[end].word == "am" ? hh % 12 : hh % 12 + 12;
      ++end;
    }
    if (hh > 23 || mm > 59 || ss > 59) return false;
    hour = static_cast<int>(hh);
    minute = static_cast<int>(mm);
    second = static_cast<int>(ss);
    hasTime = true;
    toks.erase(toks.begin() + static_cast<long>(i), toks.begin() + static_cast<long>(end));
    break;
  }

  // The date from what is left; commas and a leading day name carry nothing.
  std::vector<Token> date;
  for (const auto& t : toks) {
    if (t.kind == Token::Sep && t.sep == ',') continue;
    if (t.kind == Token::Word && date.empty() && IsDayName(t.word) && !MonthFromName(t.word)) continue;
    date.push_back(t);
  }
  if (date.empty()) {
    if (!hasTime) return false;
    days_ = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    status_ = Status::Valid;
    return true;
  }
  long y = 0, m = 0, d = 0;
  auto num = [&](std::size_t i) { return i < date.size() && date[i].kind == Token::Num; };
  auto sep = [&](std::size_t i) {
    return i < date.size() && date[i].kind == Token::Sep && (date[i].sep == '/' || date[i].sep == '-');
  };
  if (date.size() == 5 && num(0) && sep(1) && num(2) && sep(3) && num(4) && date[1].sep == date[3].sep) {
    if (date[0].digits >= 3) {
      y = date[0].value, m = date[2].value, d = date[4].value;
    } else {
      m = date[0].value, d = date[2].value, y = ExpandYear(date[4]);
    }
  } else if (date.size() == 3 && date[0].kind == Token::Word && num(1) && num(2)) {
    m = MonthFromName(date[0].word), d = date[1].value, y = ExpandYear(date[2]);
  } else if (date.size() == 3 && num(0) && date[1].kind == Token::Word && num(2)) {
    d = date[0].value, m = MonthFromName(date[1].word), y = ExpandYear(date[2]);
  } else {
    return false;
  }
  if (y > 9999 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  return SetDateTime(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d), hour, minute, second);
}

OleDateTime OleDateTime::Now() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return OleDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

}  // namespace platform

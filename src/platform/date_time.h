#pragma once
// A date-time value as days since 30 December 1899 00:00 (a double) plus a status.
// Negative values count whole days backwards while the fraction still moves forward
// within the day (-1.25 is 29 December 1899 06:00), as files written elsewhere expect.
// Parsing and formatting are English and never depend on the process locale.
#include <string>
#include <string_view>

namespace platform {

class OleDateTime {
 public:
  enum class Status { Valid, Invalid, Null };

  // Half a second in days: the tolerance of equality.
  static constexpr double kHalfSecond = 1.0 / (2.0 * 24 * 60 * 60);

  OleDateTime() = default;  // 0.0, valid
  explicit OleDateTime(double days) : days_(days) { CheckRange(); }
  // Valid only when the parts round-trip (31 April, hour 24 or minute 60 are invalid).
  OleDateTime(int year, int month, int day, int hour, int minute, int second);

  static OleDateTime Null();
  static OleDateTime Invalid();

  bool SetDateTime(int year, int month, int day, int hour, int minute, int second);
  void SetStatus(Status s) { status_ = s; }
  Status GetStatus() const { return status_; }
  bool IsValid() const { return status_ == Status::Valid; }
  double Days() const { return days_; }

  // Calendar parts of a valid value (rounded to the nearest second); -1 when not valid.
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday .. 7 = Saturday
  int GetDayOfYear() const;  // 1 = 1 January

  // Arithmetic along the time line (the odd negative encoding is handled).
  OleDateTime operator+(double days) const;
  OleDateTime operator-(double days) const { return *this + (-days); }
  OleDateTime& operator+=(double days) { return *this = *this + days; }
  OleDateTime& operator-=(double days) { return *this = *this - days; }
  OleDateTime AddHours(double hours) const { return *this + hours / 24.0; }
  OleDateTime AddDays(double days) const { return *this + days; }
  // Span in days (this - other); 0 when either is not valid.
  double operator-(const OleDateTime& other) const;

  // Equal statuses and, for valid values, less than half a second apart.
  bool operator==(const OleDateTime& other) const;
  bool operator!=(const OleDateTime& other) const { return !(*this == other); }
  // Strict comparisons of the values on the time line.
  bool operator<(const OleDateTime& other) const;
  bool operator>(const OleDateTime& other) const { return other < *this; }
  bool operator<=(const OleDateTime& other) const { return !(other < *this); }
  bool operator>=(const OleDateTime& other) const { return !(*this < other); }

  // strftime-like: %Y %y %m %d %H %M %S %I %p %j %b %B %a %A %%, always English.
  // A null value gives "", an invalid one "Invalid DateTime".
  std::string Format(const char* fmt) const;
  // The default text: "M/D/YYYY h:mm:ss AM"; the date is left out for day 0 and the
  // time at midnight, like the English text the project files hold.
  std::string Format() const;

  // English parse: "M/D/Y" or "Y-M-D" (year of 2 or 4 digits, or a month name such as
  // "Mar 15 2010"), optionally followed by "h:mm[:ss]" and AM/PM; or a time alone.
  // False (and the value invalid) when the text is not a date-time.
  bool ParseDateTime(std::string_view text);

  static OleDateTime Now();

  // Linear day count: negative values made monotonic, for arithmetic and comparison.
  double Linear() const;
  static double FromLinear(double linear);

 private:
  void CheckRange();
  bool Parts(int& y, int& mo, int& d, int& h, int& mi, int& s, int& dow, int& doy) const;

  double days_ = 0.0;
  Status status_ = Status::Valid;
};

}  // namespace platform

#pragma once
// What the weather stream editor does to records: appending, copying, inserting and deleting
// hourly records, burn periods from ticked hours, and the bulk edit of values under
// conditions. Plain operations on a stream, so the editor's windows only ask and show.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/date_time.h"
#include "weather/wx_stream.h"

namespace weather {

constexpr double kHour = 1.0 / 24.0;

// The integer part of a value for an int32 field (kept within the type's range).
int32_t WxIntPart(double v);
// Text without blanks, tabs and line ends at either end.
std::string WxTrim(const std::string& s);

// ---- record operations ------------------------------------------------------------------
// Each returns false, with the message the user sees, when it refuses; an empty message with
// false means there was nothing to do.

// `count` blank records, the first at `start`, hourly. Refused when the start is no date.
bool AppendBlankRecords(CWxStream& s, const platform::OleDateTime& start, int count, std::string& message);
// One (or 24 with `day`) blank records hourly after the last. The stream must hold records.
bool AppendBlankAfterLast(CWxStream& s, bool day, std::string& message);
// A copy of the last record one hour later.
bool AppendCopyLast(CWxStream& s, std::string& message);
// The last day's records (those later than the last record's time minus one day) copied one
// day later.
bool AppendCopyLastDay(CWxStream& s, std::string& message);
// A blank record one hour before record `row`, unless the record before it is within an hour
// and half a second ("Record %d is already within an hour of %s").
bool InsertRecordBefore(CWxStream& s, int row, std::string& message);
// Removes the records of `rows` (any order, duplicates allowed); the conditioning period is
// then kept within the remaining records, or made invalid when none remain.
void DeleteRecords(CWxStream& s, const std::vector<int>& rows, platform::OleDateTime& condStart,
                   platform::OleDateTime& condEnd);

// ---- burn periods -----------------------------------------------------------------------

struct WxBurnPeriod {
  int32_t month = 0, day = 0, startHour = 0, endHour = 0;  // end: last burning hour + 1
  bool operator==(const WxBurnPeriod&) const = default;
};
// The periods of ticked hours, given in row order: consecutive hours of one day merge.
// An unreadable date gives month, day and hour -1.
std::vector<WxBurnPeriod> MergeBurnHours(const std::vector<platform::OleDateTime>& tickedHours);

// ---- bulk edit --------------------------------------------------------------------------

extern const char* const kWxsVariableNames[6];        // Temperature, RH, Precipitation, ...
extern const char* const kWxsComparisonOperators[5];  // <, <=, =, >=, >
extern const char* const kWxsArithmeticOperators[4];  // +, -, /, *

double WxsFieldValue(const WxRecord& r, int variable);

struct WxsCondition {
  int variable = 0;
  int comparison = 0;
  std::string value;  // trimmed, a number
  std::string GetText() const;  // "RH < 20\r\n"
  bool Test(const WxRecord& r) const;
};

// A typed value of the bulk edit read as a number; refused (false, message naming the field)
// when the text is not one.
bool ReadBulkValue(const std::string& text, const char* field, double& value, std::string& message);

struct WxsAssignment {
  int target = -1;        // variable index, -1 none chosen
  bool expression = false;
  std::string constantText;
  int op = -1;            // arithmetic operator, -1 none chosen
  std::string expressionText;
};

std::string BuildBulkStatement(const WxsAssignment& a, const std::vector<WxsCondition>& conditions);
// The checks before an apply, in order; false with the message.
bool CheckBulkInputs(const WxsAssignment& a, std::string& message);
bool PassesAll(const WxRecord& r, const std::vector<WxsCondition>& conditions);
// The new value of the target field from the old; integer fields keep the integer part.
void ApplyAssignment(WxRecord& r, int target, bool expression, double x, int op);
// Records (of `rows`, or all when `rows` is null) that pass every condition.
std::vector<int> BulkMatches(const CWxStream& s, const std::vector<int>* rows,
                             const std::vector<WxsCondition>& conditions);

// ---- the graph's days and colours -------------------------------------------------------

struct WxsGraphDay {
  platform::OleDateTime firstTime, lastTime;
  int firstIndex = 0, lastIndex = 0;
};
std::vector<WxsGraphDay> GraphDays(const CWxStream& s);

// The record colours (0x00BBGGRR): not used before the start or at/after the end, burning in a
// burn period's hours, conditioning otherwise.
std::vector<uint32_t> RecordColors(const CWxStream& s, const std::vector<WxBurnPeriod>& burns,
                                   const platform::OleDateTime& start, const platform::OleDateTime& end,
                                   uint32_t notUsed, uint32_t conditioning, uint32_t burning);

// Paging over the days of the graph window.
struct GraphPaging {
  int visibleDays = 2, firstDay = 0, lastDay = 0, dayCount = 0;
  void Start(int days);
  void Clamp();
  void Back();
  void Forward();
  // A typed or spun number of visible days; false (nothing changed) outside 1..dayCount.
  bool SetVisible(int value);
};

}  // namespace weather

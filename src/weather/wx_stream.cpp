#include "weather/wx_stream.h"

#include <cmath>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/numbers.h"
#include "weather/scan.h"

using platform::FormatC;
using platform::OleDateTime;

const char* const kWxsColumnHeader =
    "Year  Mth  Day   Time    Temp     RH  HrlyPcp  WindSpd WindDir CloudCov\n";

namespace {

constexpr std::size_t kWxsPiece = 159;

std::string DatePair(const WxRecord& a, const WxRecord& b) {
  const OleDateTime& p = a.date;
  const OleDateTime& q = b.date;
  return FormatC(" %d %d %d : %02d%02d - %d %d %d : %02d%02d", p.GetYear(), p.GetMonth(),
                 p.GetDay(), p.GetHour(), p.GetMinute(), q.GetYear(), q.GetMonth(), q.GetDay(),
                 q.GetHour(), q.GetMinute());
}

}  // namespace

int WxRecord::Parse(const char* line) {
  std::vector<weather::ScanValue> v;
  const int n = weather::ScanFields(line ? line : "", "ddddddfddd", v);
  if (n < 10) return n;
  const int year = weather::ScanInt(v[0]), month = weather::ScanInt(v[1]);
  const int day = weather::ScanInt(v[2]), hhmm = weather::ScanInt(v[3]);
  temperature = weather::ScanInt(v[4]);
  humidity = weather::ScanInt(v[5]);
  precipitation = weather::ScanDouble(v[6]);
  windSpeed = weather::ScanInt(v[7]);
  windDirection = weather::ScanInt(v[8]);
  cloudCover = weather::ScanInt(v[9]);
  // A negative time gives a negative hour or minute, which FromParts refuses.
  date = OleDateTime(year, month, day, hhmm / 100, hhmm % 100, 0);
  return 10;
}

int CWxStream::Read(std::string path) {
  elevationRead = false;
  std::string text;
  if (!platform::ReadWholeFile(path, text)) return -1;
  return ReadText(text);
}

int CWxStream::ReadText(const std::string& text) {
  elevationRead = false;
  weather::LineReader lines(text, kWxsPiece);
  std::string_view line;
  std::vector<weather::ScanValue> v;
  while (lines.Next(line)) {
    if (!weather::StartsWithNoCase(line, "RAWS_ELEVATION")) continue;
    if (weather::ScanFields(line, "sd", v) == 2) {
      elevation = weather::ScanInt(v[1]);
      elevationRead = true;
      break;
    }
  }
  lines.Rewind();
  while (lines.Next(line)) {
    if (!weather::StartsWithNoCase(line, "RAWS_UNITS")) continue;
    if (weather::ScanFields(line, "ss", v) == 2) {
      if (weather::StartsWithNoCase(weather::ScanWord(v[1]), "metric")) units = 1;
      break;
    }
  }
  lines.Rewind();
  while (lines.Next(line)) {
    WxRecord r;
    if (r.Parse(std::string(line).c_str()) == 10) records.push_back(r);
  }
  return static_cast<int>(records.size());
}

bool CWxStream::Validate(OleDateTime& first, OleDateTime& last, std::string& message) const {
  first = OleDateTime::Invalid();
  last = OleDateTime::Invalid();
  if (CheckRecords(message) >= 0) return false;
  message.clear();
  first = records.front().date;
  last = records.back().date;
  return true;
}

int CWxStream::CheckDates(std::string& message) const {
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (!records[i].date.IsValid()) {
      message = FormatC("Error, record %d, date or time is invalid", static_cast<int>(i + 1));
      return static_cast<int>(i);
    }
  }
  return -1;
}

int CWxStream::CheckOrder(std::string& message) const {
  for (std::size_t i = 1; i < records.size(); ++i) {
    const OleDateTime& a = records[i - 1].date;
    const OleDateTime& b = records[i].date;
    if (!a.IsValid() || !b.IsValid()) continue;
    if (b < a || b == a) {
      message = FormatC("Error, records %d and %d are non-sequential\n", static_cast<int>(i),
                        static_cast<int>(i + 1)) +
                DatePair(records[i - 1], records[i]);
      return static_cast<int>(i);
    }
  }
  return -1;
}

int CWxStream::CheckGaps(std::string& message) const {
  for (std::size_t i = 1; i < records.size(); ++i) {
    const double span = records[i].date.Days() - records[i - 1].date.Days();
    const double halfSecond = 1.0 / 7200.0;
    const double hours = span * 24.0 + (span < 0 ? -halfSecond : halfSecond);
    if (std::trunc(hours) > 3.0) {
      message = FormatC("Error, records %d and %d exceed 3 hours span\n", static_cast<int>(i),
                        static_cast<int>(i + 1)) +
                DatePair(records[i - 1], records[i]) + " ";
      return static_cast<int>(i);
    }
  }
  return -1;
}

int CWxStream::CheckRecords(std::string& message) const {
  if (records.empty()) {
    message = "No Records in WXS";
    return 0;
  }
  // Impossible dates first: the order check passes over them and nothing downstream can use them.
  int bad = CheckDates(message);
  if (bad >= 0) return bad;
  if ((bad = CheckOrder(message)) >= 0) return bad;
  if ((bad = CheckGaps(message)) >= 0) return bad;

  auto check = [&](auto value, auto ok, const char* fmt) -> int {
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (!ok(value(records[i]))) {
        message = FormatC(fmt, static_cast<int>(i + 1), value(records[i]));
        return static_cast<int>(i);
      }
    }
    return -1;
  };
  auto upTo = [](unsigned limit) { return [limit](int v) { return static_cast<unsigned>(v) <= limit; }; };
  // Within -100..150 in either unit, and within what a station records in the stream's own
  // unit: 88 in a metric stream is 88 degrees Celsius, which the engines refuse.
  const int lowest = units == 0 ? -76 : -60, highest = units == 0 ? 140 : 60;
  if ((bad = check([](const WxRecord& r) { return r.temperature; },
                   [lowest, highest](int v) { return static_cast<unsigned>(v + 100) <= 250u && v >= lowest && v <= highest; },
                   "Error, record %d, temperature %d is invalid")) >= 0)
    return bad;
  if ((bad = check([](const WxRecord& r) { return r.humidity; }, upTo(100),
                   "Error, record %d, RH %d is invalid")) >= 0)
    return bad;
  const double maxPrecip = units == 0 ? 6.0 : 152.4;
  if ((bad = check([](const WxRecord& r) { return r.precipitation; },
                   [maxPrecip](double v) { return v >= 0.0 && v <= maxPrecip; },
                   "Error, record %d, Precipiation %.3f is invalid")) >= 0)
    return bad;
  if ((bad = check([](const WxRecord& r) { return r.windSpeed; }, upTo(99),
                   "Error, record %d, Wind Speed %d is invalid")) >= 0)
    return bad;
  if ((bad = check([](const WxRecord& r) { return r.windDirection; }, upTo(360),
                   "Error, record %d, Wind Direction %d is invalid")) >= 0)
    return bad;
  if ((bad = check([](const WxRecord& r) { return r.cloudCover; }, upTo(100),
                   "Error, record %d, Cloud Cover %d is invalid")) >= 0)
    return bad;
  return -1;
}

std::string WxsEditorText(const CWxStream& stream) {
  std::string out = FormatC("RAWS_UNITS: %s\n", stream.units == 1 ? "Metric" : "English");
  out += FormatC("RAWS_ELEVATION: %d\n", stream.elevation);
  out += FormatC("RAWS: %d\n", static_cast<int>(stream.records.size()));
  out += kWxsColumnHeader;
  for (const WxRecord& r : stream.records) {
    const OleDateTime& d = r.date;
    out += FormatC("%d \t%d \t%d \t%02d%02d \t%4d \t%4d %6.2lf \t%4d \t%4d \t%4d\n",
                   d.GetYear(), d.GetMonth(), d.GetDay(), d.GetHour(), d.GetMinute(), r.temperature, r.humidity, r.precipitation,
                   r.windSpeed, r.windDirection, r.cloudCover);
  }
  return out;
}

bool WriteWxsEditorLayout(const CWxStream& stream, const std::string& path) {
  return platform::WriteFileAtomically(path, WxsEditorText(stream));
}

std::string WxsConversionText(const CWxStream& stream) {
  std::string out = FormatC("RAWS_ELEVATION: %d\n", stream.elevation);
  out += FormatC("RAWS_UNITS: %s\n", stream.units == 1 ? "metric" : "english");
  out += FormatC("RAWS: %d\n", static_cast<int>(stream.records.size()));
  for (const WxRecord& r : stream.records) {
    const OleDateTime& d = r.date;
    out += FormatC("%d %d %d %d %d %d %.3f %d %d %d\n", d.GetYear(), d.GetMonth(), d.GetDay(),
                   d.GetHour() * 100 + d.GetMinute(), r.temperature, r.humidity, r.precipitation,
                   r.windSpeed, r.windDirection, r.cloudCover);
  }
  return out;
}

std::string WxsImportText(const std::string& sourceText) {
  std::string elevationLine, unitsLine, body;
  int count = 0;
  weather::LineReader lines(sourceText, kWxsPiece);
  std::string_view line;
  while (lines.Next(line)) {
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // copied without CRs
    if (elevationLine.empty() && weather::StartsWithNoCase(line, "RAWS_ELEVATION:")) {
      elevationLine.assign(line);
      continue;
    }
    if (unitsLine.empty() && weather::StartsWithNoCase(line, "RAWS_UNITS:")) {
      unitsLine.assign(line);
      continue;
    }
    WxRecord r;
    if (r.Parse(std::string(line).c_str()) == 10) {
      body.append(line);
      body += '\n';
      ++count;
    }
  }
  std::string out;
  if (!elevationLine.empty()) out += elevationLine + "\n";
  out += unitsLine.empty() ? std::string("RAWS_UNITS: English\n") : unitsLine + "\n";
  out += FormatC("RAWS: %d\n", count);
  return out + body;
}

bool WriteWxsImportLayout(const std::string& sourceText, const std::string& path) {
  return platform::WriteFileAtomically(path, WxsImportText(sourceText));
}

#pragma once
// Hourly weather streams and their WXS files.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/date_time.h"

// One hourly record. Values are in the units of the stream that holds it.
struct WxRecord {
  platform::OleDateTime date;  // value 0, valid
  int32_t temperature = 0;
  int32_t humidity = 0;
  double precipitation = 0.0;
  int32_t windSpeed = 0;
  int32_t windDirection = 0;
  int32_t cloudCover = 0;

  // Reads one record line; returns the number of fields read, 10 for a record. An impossible
  // date or time (hhmm 2400, 31 April) still makes a record, whose date is invalid.
  int Parse(const char* line);
};

class CWxStream {
 public:
  int32_t units = 0;      // 0 English, 1 Metric
  int32_t elevation = 0;  // feet or metres
  std::vector<WxRecord> records;
  bool elevationRead = false;

  void Clear() { records.clear(); records.shrink_to_fit(); }

  // Appends the records of a WXS file; the record count afterwards, or -1 when it cannot be
  // opened (then only the elevation-read flag changes).
  int Read(std::string path);
  // Appends the records of WXS text (what Read does with the file's bytes).
  int ReadText(const std::string& text);

  // True with an empty message and the first and last dates when every check passes.
  bool Validate(platform::OleDateTime& first, platform::OleDateTime& last, std::string& message) const;
  // Index of the first record found bad with its message, or -1 (message untouched).
  int CheckRecords(std::string& message) const;
  int CheckDates(std::string& message) const;
  int CheckOrder(std::string& message) const;
  int CheckGaps(std::string& message) const;
};

// The three WXS writer layouts. Each writes atomically and returns false (the previous file
// intact) when the file cannot be written.
//
// The stream editor's layout: units word, elevation, count, column header, padded records.
bool WriteWxsEditorLayout(const CWxStream& stream, const std::string& path);
std::string WxsEditorText(const CWxStream& stream);
// The daily-weather conversion's layout: elevation first, lower-case units word, no column
// header, times without leading zeros and precipitation with three decimals.
std::string WxsConversionText(const CWxStream& stream);
// The run import's layout: the source's elevation and units lines unchanged (English when it
// has none), a count, and its record lines unchanged.
std::string WxsImportText(const std::string& sourceText);
bool WriteWxsImportLayout(const std::string& sourceText, const std::string& path);

// Column header line of the editor's layout (with its line feed).
extern const char* const kWxsColumnHeader;

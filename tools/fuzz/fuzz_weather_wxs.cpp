// The WXS reader, the stream checks and writers, and the daily WTR/WND readers with their
// hourly rules, on hostile text. fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <string>

#include "weather/daily_weather.h"
#include "weather/wx_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CWxStream stream;
  const int n = stream.ReadText(text);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  // A record needs at least one line piece of its own.
  if (n < 0 || static_cast<std::size_t>(n) > lines + size / 159) std::abort();
  std::string message;
  const int bad = stream.CheckRecords(message);
  if (bad >= n && n > 0) std::abort();
  if (bad >= 0 && message.empty()) std::abort();
  const std::string converted = WxsConversionText(stream);
  const std::string imported = WxsImportText(text);
  if (WxsImportText(imported) != imported) std::abort();

  std::vector<WtrDay> days;
  std::vector<WndEntry> winds;
  bool metric = false;
  const int base = DailyBaseYear(text, text);
  if (ReadWtrDays(text, base, days, metric) && !days.empty()) {
    platform::OleDateTime hour(days.front().year, days.front().month, days.front().day, 0, 0, 0);
    int t = 0, rh = 0;
    double rain = 0;
    for (int h = 0; h < 48 && hour.IsValid(); ++h, hour = hour.AddHours(1)) {
      HourlyTempRH(days, hour, &t, &rh);
      HourlyPrecip(days, hour, &rain);
      if (rain < 0) std::abort();
    }
  }
  ReadWndEntries(text, base, false, winds, metric);
  return 0;
}

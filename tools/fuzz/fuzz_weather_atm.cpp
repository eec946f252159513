// The atmosphere file reader on hostile text: units, entry lines, quoted and unquoted grid
// names, over-long lines. Grid names resolve into an empty folder, so every entry that scans
// is refused at its grid; the reader must say so without crashing. fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <string>

#include "weather/atm_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  weather::AtmRunContext run;
  run.hasBurnPeriod = size > 0 && (data[0] & 1);
  run.firstMonth = size > 1 ? data[1] % 14 : 1;
  run.firstDay = size > 2 ? data[2] % 40 : 1;
  weather::CAtmFile atm;
  const int code = atm.ReadText(run, text, "/nonexistent-pyrvane-fuzz");
  if (code < 0 || code > weather::kAtmLineTooLong) std::abort();
  if (atm.GetErrorText(code).empty()) std::abort();
  // Nothing loads from an empty folder, and absolute names are refused unless readable grids.
  double s = 1, d = 1;
  atm.GetWindAt(0, 0, 0, &s, &d);
  if (atm.GetEntries().empty() && (s != 0 || d != 0)) std::abort();
  std::string speed, direction;
  weather::AtmRow row{text.substr(0, 4), "1", "0000", speed, direction};
  weather::AtmRow out;
  weather::AtmRowAfter(row, out);
  weather::AtmRowBefore(row, out);
  return 0;
}

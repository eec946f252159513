// The table grid's delimited-text parser on hostile text: whatever it accepts, writing the
// rows back and parsing again gives the same rows. fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gridmodel/table_grid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const char separator = static_cast<char>(data[0]) == '\t' ? '\t' : ',';
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::vector<std::string>> rows;
  std::string error;
  if (!gridmodel::CGridCtrl::ParseDelimited(text, separator, rows, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  std::string written;
  for (const auto& row : rows) written += gridmodel::CGridCtrl::FormatDelimited(row, separator) + "\n";
  std::vector<std::vector<std::string>> again;
  if (!gridmodel::CGridCtrl::ParseDelimited(written, separator, again, error)) std::abort();
  // A row of one empty field writes an empty line, which reads back as that same row.
  if (again != rows) std::abort();
  return 0;
}

// The program's own binary raster file: any bytes must load or be refused without crashing,
// hanging or allocating beyond the file's size. fuzz-seconds: 30
#include "fuzz_themes_input.h"
#include "platform/messages.h"
#include "themes/theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzInput(data, size, "input.pvt");
  platform::ScopedRecordingMessages quiet;
  CTheme theme;
  if (theme.LoadThemeFile(path) == 1) {
    double lo, hi;
    theme.GetMinMax(lo, hi);
    theme.GetValueAt(theme.west, theme.south);
  }
  return 0;
}

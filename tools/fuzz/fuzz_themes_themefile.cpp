// The program's own binary raster file: any bytes must load or be refused without crashing,
// hanging or allocating beyond the file's size. fuzz-seconds: 30
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/folders.h"
#include "platform/messages.h"
#include "themes/theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = [] {
    char pattern[] = "/tmp/fuzz_themes_XXXXXX";
    std::string dir = ::mkdtemp(pattern);
    platform::SetWorkingFolder(dir);
    return dir;
  }();
  const std::string path = folder + "/input.pvt";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  platform::ScopedRecordingMessages quiet;
  CTheme theme;
  if (theme.LoadThemeFile(path) == 1) {
    double lo, hi;
    theme.GetMinMax(lo, hi);
    theme.GetValueAt(theme.west, theme.south);
  }
  return 0;
}

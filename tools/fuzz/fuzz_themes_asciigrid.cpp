// ESRI ASCII grids: any text must load or be refused without crashing, hanging or
// allocating beyond the file's size. fuzz-seconds: 30
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
  const std::string path = folder + "/input.asc";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  platform::ScopedRecordingMessages quiet;
  CTheme theme;
  if (theme.LoadGridFile(10, path) == 1) {
    CThemeStats stats;
    stats.Compute(theme, CellWindow{0, 0, theme.columns - 1, theme.rows - 1});
  }
  return 0;
}

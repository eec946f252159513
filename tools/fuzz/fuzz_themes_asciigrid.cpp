// ESRI ASCII grids: any text must load or be refused without crashing, hanging or
// allocating beyond the file's size. fuzz-seconds: 30
#include "fuzz_themes_input.h"
#include "platform/messages.h"
#include "themes/theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzInput(data, size, "input.asc");
  platform::ScopedRecordingMessages quiet;
  CTheme theme;
  if (theme.LoadGridFile(10, path) == 1) {
    CThemeStats stats;
    stats.Compute(theme, CellWindow{0, 0, theme.columns - 1, theme.rows - 1});
  }
  return 0;
}

// The program's own binary vector file, with each combination of the kind flags the project
// sets before reading: any bytes must load or be refused without crashing, hanging or
// allocating beyond the file's size. fuzz-seconds: 30
#include "fuzz_themes_input.h"
#include "platform/messages.h"
#include "themes/vector_theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t flags = data[0];
  const std::string path = WriteFuzzInput(data + 1, size - 1, "input.pvv");
  platform::ScopedRecordingMessages quiet;
  CVectorTheme theme;
  theme.hasPerimeterAttributes = flags & 1;
  theme.hasEmbrithSpots = flags & 2;
  theme.hasTravelTimeSpots = flags & 4;
  if (theme.LoadThemeFile(path, flags & 8) == 1) {
    theme.FilterPerimeters(flags & 16 ? 0.25 : 30, {{7, 1, 20}});
    theme.GetTotalArea();
    theme.HasVertexInRect(0, 1, 0, 1);
    const std::string again = theme.ThemeBytes();
    (void)again;
  }
  return 0;
}

// The program's own binary contour file: any bytes must load or be refused without crashing,
// hanging or allocating beyond the file's size; what loads writes bytes that load back to the
// same bytes.
// fuzz-seconds: 30
#include <cstdlib>

#include "fuzz_themes_input.h"
#include "platform/messages.h"
#include "themes/contour_theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::ScopedRecordingMessages quiet;
  CContourTheme theme;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (theme.LoadThemeBytes(bytes, "input.pvc") == 1) {
    const std::string once = theme.ThemeBytes();
    CContourTheme again;
    if (again.LoadThemeBytes(once, "again.pvc") != 1 || again.ThemeBytes() != once) std::abort();
    theme.Simplify(1.0, nullptr);
  }
  return 0;
}

// The generator's checks of a chosen ASCII grid header: any text must be taken or refused
// without crashing or reading beyond a 256-character keyword. fuzz-seconds: 20
#include "fuzz_themes_input.h"
#include "landscape/generate.h"
#include "platform/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = WriteFuzzInput(data, size, "grid.asc");
  platform::ScopedRecordingMessages quiet;
  landscape::GenerationSettings free;
  landscape::CheckAsciiGridHeader(free, path);
  landscape::ReadGridGeometry(free, path);
  landscape::GenerationSettings fixed;
  fixed.columns = 7;
  fixed.rows = 6;
  fixed.cellSize = 30;
  fixed.geometryFixed = true;
  landscape::CheckAsciiGridHeader(fixed, path);
  return 0;
}

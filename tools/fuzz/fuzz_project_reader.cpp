// The project file reader: any text must open or be refused with a message, without crashing,
// hanging or allocating beyond what the text announces and holds. Files the text names are
// treated as missing, so that the input cannot reach other files.
// fuzz-seconds: 30
#include <cstdint>
#include <string>

#include "platform/messages.h"
#include "project/document.h"
#include "project/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::ScopedRecordingMessages quiet;
  projectfile::SetExternalFilesForTests(false);
  CPVN4Doc doc;
  const std::string text(reinterpret_cast<const char*>(data), size);
  projectfile::ReadProjectText(doc, text, "/nonexistent/input.pvn", "/nonexistent/input.pzp");
  return 0;
}

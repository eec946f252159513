// Extract and Open of a project archive: any bytes must unpack or be refused with a message,
// without crashing, hanging or writing anywhere but the folder chosen.
// fuzz-seconds: 30
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/messages.h"
#include "project/project_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string root = [] {
    char pattern[] = "/tmp/pv_fuzz_archive_XXXXXX";
    return std::string(::mkdtemp(pattern) ? pattern : "/tmp");
  }();
  platform::ScopedRecordingMessages quiet;
  quiet.Script({platform::Answer::Yes});
  const std::string archive = root + "/input.pza", folder = root + "/out";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  projectarchive::ExtractArchive(archive, folder);
  // Nothing may land beside the folder.
  for (const auto& e : std::filesystem::directory_iterator(root))
    if (e.path() != archive && e.path() != folder) std::abort();
  return 0;
}

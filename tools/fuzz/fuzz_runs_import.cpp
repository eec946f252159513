// Run import on hostile text: header kinds, every family's keys, the embedded blocks written
// out beside the file. fuzz-seconds: 30
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/atomic_file.h"
#include "runs/run.h"
#include "runs/run_import.h"

namespace {

long Lines(const std::string& path) {
  std::string text;
  if (!platform::ReadWholeFile(path, text)) return -1;
  return std::count(text.begin(), text.end(), '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The extracted files are written and synced for every input: memory-backed when possible.
  static const std::string base = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                  "/fuzz_runs_import_" + std::to_string(::getpid()) + ".txt";
  const runs::ImportFile file(std::string(reinterpret_cast<const char*>(data), size));
  const int kind = file.LineCount() > 0 ? runs::ImportKindOf(file.Line(0)) : -1;
  if (kind < -1 || kind >= runs::kImportKindCount) std::abort();
  // Every family and extra-key set, whatever the header says.
  for (int k : {0, 2, runs::kImportMttRunLog, runs::kImportRandomIgnitionsRunLog, runs::kImportTomRunLog}) {
    CRun run;
    runs::ReadImportKeys(run, file, k, base);
  }
  // The counts returned are the data lines written.
  const int fms = runs::ExtractImportFmsFile(file, base + ".fms");
  if (fms >= 0 && fms != Lines(base + ".fms")) std::abort();
  const int wnd = runs::ExtractImportWndFile(file, base + ".wnd");
  if (wnd > Lines(base + ".wnd")) std::abort();
  const int raws = runs::ExtractImportRawsFile(file, base + ".wxs");
  if (raws > 0 && raws + 3 != Lines(base + ".wxs")) std::abort();
  for (const char* ext : {".fms", ".wxs", ".wtr", ".wnd"}) ::unlink((base + ext).c_str());
  return 0;
}

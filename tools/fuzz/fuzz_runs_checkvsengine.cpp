// A custom-fuel or spread-adjustment file that the run's check accepts must read in the engine:
// otherwise a run passes its checks and then stops after launching. fuzz-seconds: 30
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "engines/custom_fuels.h"
#include "runs/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz_runs_checkvsengine_" + std::to_string(::getpid()) + ".txt";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static CRun run;
  std::string why;
  if (run.CheckAdjFile(path)) {
    std::map<int, double> factors;
    if (!engines::ReadSpreadAdjustments(path, factors, why)) std::abort();
  }
  if (run.CheckFmdFile(path)) {
    std::map<int, engines::FuelModel> fuels;
    if (!engines::ReadCustomFuels(path, fuels, why)) std::abort();
  }
  return 0;
}

// The run's input-file checks (FMS, FMD, ADJ, WTR, WND) and the wind reader on hostile
// text. fuzz-seconds: 30
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "runs/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz_runs_checks_" + std::to_string(::getpid()) + ".txt";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static CRun run;
  platform::OleDateTime first, last;
  run.CheckFmsFile(path);
  run.CheckFmdFile(path);
  run.CheckAdjFile(path);
  run.CheckWtrFile(path, first, last);
  if (run.CheckWndFile(path, first, last) && !first.IsValid()) std::abort();
  if (ValidationMessage().size() > 1023) std::abort();
  std::vector<WindSample> samples;
  int units = 0;
  run.inputs.windFile = path;
  run.inputs.useWeatherStream = false;
  run.ReadRawsFile(samples, units);
  run.inputs.weatherStreamFile = path;
  run.inputs.useWeatherStream = true;
  run.ReadRawsFile(samples, units);
  for (std::size_t i = 1; i < samples.size(); ++i)
    if (samples[i].time < samples[i - 1].time) std::abort();
  return 0;
}

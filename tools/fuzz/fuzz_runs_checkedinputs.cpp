// A fuel-moisture, weather-stream or daily weather and wind file that the run's checks accept
// must come out of the inputs-file writer as text the engine reads: otherwise the run passes its
// checks and then stops after launching. The first byte picks the file; for daily files a zero
// byte splits the weather from the winds. fuzz-seconds: 30
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "engines/pyrvane.h"
#include "runs/run.h"
#include "weather/wx_stream.h"

namespace {

std::string Put(const char* what, std::string_view text) {
  const std::string path = "/tmp/fuzz_runs_checkedinputs_" + std::to_string(::getpid()) + what;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int mode = data[0] % 3;
  const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  CRun run;
  run.outputs.flameLength = true;
  run.outputs.crownFireMethod = 1;
  run.outputs.useMemoryOutputs = true;
  run.inputs.noConditioning = mode == 0;
  run.inputs.fuelMoistureFile = Put(".fms", mode == 0 ? body : std::string_view("0 6 7 8 60 90\n"));
  if (mode == 0 && !run.CheckFmsFile(run.inputs.fuelMoistureFile)) return 0;
  platform::OleDateTime first, last;
  if (mode == 1) {
    run.inputs.useWeatherStream = true;
    run.inputs.weatherStreamFile = Put(".wxs", body);
    CWxStream stream;
    std::string why;
    if (stream.Read(run.inputs.weatherStreamFile) < 1 || !stream.Validate(first, last, why)) return 0;
  } else if (mode == 2) {
    const std::size_t cut = body.find('\0');
    run.inputs.weatherFile = Put(".wtr", body.substr(0, cut));
    run.inputs.windFile = Put(".wnd", cut == std::string_view::npos ? std::string_view() : body.substr(cut + 1));
    platform::OleDateTime windFirst, windLast;
    if (!run.CheckWtrFile(run.inputs.weatherFile, first, last) ||
        !run.CheckWndFile(run.inputs.windFile, windFirst, windLast))
      return 0;
  }
  if (mode != 0) {
    if (!CRun::CheckStartBeforeEnd(first, last)) return 0;
    run.inputs.conditioningStart = first;
    run.inputs.conditioningEnd = last;
  }
  std::string inputs;
  if (!run.WritePyrvaneInputsFile(inputs)) {
    std::fprintf(stderr, "checked files could not be written into an inputs file\n");
    std::abort();
  }
  CPyrvane engine;
  const int rc = engine.CommandFileLoad(inputs.c_str());
  if (rc != engines::kEngineOk) {
    std::ifstream written(inputs);
    std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "engine refused checked inputs: %s\n--- inputs file ---\n%s\n", engine.CommandFileError(rc),
                 text.c_str());
    std::abort();
  }
  ::unlink(inputs.c_str());
  return 0;
}

// The fire-growth engine's readers on hostile text: its inputs-file keys and burn periods, and
// atmosphere (ATM) files with their grid names. fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engines/embrith_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  engines::EmbrithInputs in;
  std::string detail;
  if (engines::ParseEmbrithInputs(text, in, detail) == 1) {
    // A run that is accepted can step and end.
    if (!(in.timeStep > 0) || !(in.distanceRes > 0) || !(in.perimeterRes > 0) || in.periods.empty()) std::abort();
    for (const auto& p : in.periods)
      if (!(p.to > p.from) || p.from < 0 || p.to > in.endMinutes) std::abort();
  } else if (detail.empty()) {
    std::abort();
  }
  engines::AtmWinds atm;
  if (engines::ParseAtmText(text, "grids", in.refMonth, in.refMinutes, atm, detail) == 1) {
    if (atm.entries.empty()) std::abort();
    for (std::size_t i = 1; i < atm.entries.size(); ++i)
      if (atm.entries[i].minutes < atm.entries[i - 1].minutes) std::abort();
  } else if (detail.empty()) {
    std::abort();
  }
  std::string speed, direction;
  engines::AtmParseGridNames(text, speed, direction);
  return 0;
}

// The engines' inputs-file readers (fire behaviour, travel-time and treatment keys) and the custom-fuel
// reader on hostile text. fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "engines/custom_fuels.h"
#include "engines/inputs_file.h"
#include "engines/mtt_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  engines::PyrvaneInputs in;
  std::string detail;
  int rc = engines::ParsePyrvaneInputs(text, in, detail);
  if (rc == engines::kEngineOk) {
    // Blocks never hold more records than the text has lines.
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (in.moistures.size() + in.raws.size() + in.weather.size() + in.winds.size() > lines) std::abort();
  } else if (detail.empty()) {
    std::abort();
  }
  engines::mtt::MttInputs mtt;
  if (engines::mtt::ParseMttInputs(text, mtt, detail) == 1) {
    if (!(mtt.resolution > 0) || mtt.spotProbability < 0 || mtt.spotProbability > 1 ||
        mtt.ignitionFile.empty())
      std::abort();
  } else if (detail.empty()) {
    std::abort();
  }
  engines::mtt::TomInputs tom;
  if (engines::mtt::ParseTomInputs(text, tom, detail) == 1) {
    if (!(tom.mtt.resolution > 0) || !(tom.fraction > 0) || tom.fraction > 1 || !(tom.dimension > 0) ||
        tom.iterations < 1 || tom.iterations > 5 || tom.idealLandscape.empty() ||
        (tom.ignitionFile.empty() && tom.opportunitiesOnly != 1))
      std::abort();
  } else if (detail.empty()) {
    std::abort();
  }
  std::map<int, engines::FuelModel> fuels;
  if (engines::ParseCustomFuels(text, fuels, detail))
    for (const auto& [k, f] : fuels)
      if (k < 1 || k > 256 || f.depth <= 0) std::abort();
  return 0;
}

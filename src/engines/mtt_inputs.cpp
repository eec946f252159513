#include "engines/mtt_inputs.h"

#include <cmath>
#include <optional>

#include "platform/numbers.h"

namespace engines::mtt {

namespace {

// The value after "KEY:" on the first line that begins with the key.
std::optional<std::string_view> Value(std::string_view text, std::string_view key) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (line.substr(0, key.size()) == key && line.size() > key.size() && line[key.size()] == ':') {
      std::string_view v = line.substr(key.size() + 1);
      while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
      while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) v.remove_suffix(1);
      return v;
    }
    at = end + 1;
  }
  return std::nullopt;
}

struct Reader {
  std::string_view text;
  std::string& detail;
  bool ok = true;

  // A number within [lo, hi]; absent keys keep the default unless required.
  void Number(std::string_view key, double& out, double lo, double hi, bool required) {
    if (!ok) return;
    auto v = Value(text, key);
    if (!v) {
      if (required) Refuse(key, "is missing");
      return;
    }
    auto d = platform::ParseDouble(*v);
    if (!d || !std::isfinite(*d)) return Refuse(key, "is not a number");
    if (*d < lo || *d > hi) return Refuse(key, "is out of range");
    out = *d;
  }
  void Integer(std::string_view key, int& out, int lo, int hi, bool required = false) {
    double d = out;
    Number(key, d, lo, hi, required);
    if (ok && d != std::floor(d)) Refuse(key, "is not a whole number");
    if (ok) out = static_cast<int>(d);
  }
  void Refuse(std::string_view key, const char* why) {
    ok = false;
    detail = std::string(key) + " " + why + ".";
  }
};

// The keys both kinds of run share.
void ReadTravelKeys(Reader& r, MttInputs& in) {
  r.Number("MTT_RESOLUTION", in.resolution, 1e-6, 1e9, true);
  r.Number("MTT_SIM_TIME", in.simTime, 0, 1e12, false);
  r.Number("MTT_TRAVEL_PATH_INTERVAL", in.pathInterval, 0, 1e12, false);
  r.Number("MTT_SPOT_PROBABILITY", in.spotProbability, 0, 1, false);
  r.Integer("MTT_SPOT_DELAY", in.spotDelay, 0, 1000000);
  r.Integer("PathweaverNumLat", in.lateral, 0, 100);
  r.Integer("PathweaverNumVert", in.vertical, 0, 100);
}

}  // namespace

int ParseMttInputs(std::string_view text, MttInputs& out, std::string& detail) {
  MttInputs in;
  Reader r{text, detail};
  ReadTravelKeys(r, in);
  r.Integer("MTT_FILL_BARRIERS", in.fillBarriers, 0, 1);
  if (!r.ok) return 0;
  if (auto v = Value(text, "MTT_IGNITION_FILE")) in.ignitionFile = std::string(*v);
  if (auto v = Value(text, "MTT_BARRIER_FILE")) in.barrierFile = std::string(*v);
  if (in.ignitionFile.empty()) {
    detail = "MTT_IGNITION_FILE is missing.";
    return 0;
  }
  out = std::move(in);
  return 1;
}

int ParseTomInputs(std::string_view text, TomInputs& out, std::string& detail) {
  TomInputs in;
  Reader r{text, detail};
  ReadTravelKeys(r, in.mtt);
  // The treatment resolution governs when both are given.
  r.Number("TREAT_RESOLUTION", in.mtt.resolution, 1e-6, 1e9, false);
  r.Integer("TREAT_ITERATIONS", in.iterations, 1, 5, true);
  r.Number("TREAT_DIMENSION", in.dimension, 1e-6, 1e9, true);
  r.Number("TREAT_FRACTION", in.fraction, 0, 1, true);
  if (r.ok && !(in.fraction > 0)) r.Refuse("TREAT_FRACTION", "is out of range");
  r.Integer("TREAT_OPPORTUNITES_ONLY", in.opportunitiesOnly, 0, 1);
  if (!r.ok) return 0;
  if (auto v = Value(text, "TREAT_IDEAL_LANDSCAPE")) in.idealLandscape = std::string(*v);
  if (auto v = Value(text, "TREAT_IGNITION")) in.ignitionFile = std::string(*v);
  if (in.idealLandscape.empty()) {
    detail = "TREAT_IDEAL_LANDSCAPE is missing.";
    return 0;
  }
  if (in.ignitionFile.empty() && in.opportunitiesOnly != 1) {
    detail = "TREAT_IGNITION is missing.";
    return 0;
  }
  out = std::move(in);
  return 1;
}

}  // namespace engines::mtt

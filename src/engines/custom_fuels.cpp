#include "engines/custom_fuels.h"

#include <cctype>
#include <cmath>
#include <sstream>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/numbers.h"

namespace engines {

namespace {

constexpr double kTHaToTonsAcre = 0.446090020966231;
constexpr double kPerCmToPerFt = 30.48;
constexpr double kCmToFt = 1.0 / 30.48;
constexpr double kKJkgToBtuLb = 1.0 / 2.326;

std::string Lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::istringstream is(line);
  std::vector<std::string> w;
  std::string t;
  while (is >> t) w.push_back(t);
  return w;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(cur);
      cur.clear();
    } else if (c != '\r') {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

bool Num(const std::string& w, double& v) {
  auto p = platform::ParseDouble(w);
  if (!p || !std::isfinite(*p)) return false;
  v = *p;
  return true;
}

}  // namespace

bool ParseCustomFuels(const std::string& text, std::map<int, FuelModel>& out, std::string& error) {
  auto lines = SplitLines(text);
  size_t i = 0;
  bool metric = false;
  if (!lines.empty()) {
    auto w = SplitWords(lines[0]);
    if (!w.empty() && (Lower(w[0]) == "metric" || Lower(w[0]) == "english")) {
      metric = Lower(w[0]) == "metric";
      i = 1;
    }
  }
  int layout = 0;  // 1 numeric, 2 named
  for (; i < lines.size(); ++i) {
    auto w = SplitWords(lines[i]);
    if (w.empty()) continue;
    auto bad = [&](const char* why) {
      error = "Line " + std::to_string(i + 1) + ": " + why;
      return false;
    };
    if (!layout) layout = (w.size() >= 8 && Lower(w[7]).find_first_of("ds") != std::string::npos) ? 2 : 1;
    double v[13];
    FuelModel f;
    bool dynamic = false;
    if (layout == 1) {
      if (w.size() < 13) return bad("a fuel model line needs 13 numbers");
      for (int k = 0; k < 13; ++k)
        if (!Num(w[k], v[k])) return bad("not a number");
    } else {
      if (w.size() < 15) return bad("a named fuel model line needs at least 15 fields");
      if (!Num(w[0], v[0])) return bad("not a number");
      for (int k = 0; k < 5; ++k)
        if (!Num(w[2 + k], v[1 + k])) return bad("not a number");
      dynamic = Lower(w[7]).rfind("d", 0) == 0;
      for (int k = 0; k < 7; ++k)
        if (!Num(w[8 + k], v[6 + k])) return bad("not a number");
    }
    if (v[0] != std::floor(v[0]) || v[0] < 1 || v[0] > 256) return bad("fuel model number outside 1-256");
    // Named files may describe the non-burnable codes; they never burn, whatever the line says.
    if (layout == 2 && v[0] >= 90 && v[0] <= 99) continue;
    f.number = static_cast<int>(v[0]);
    for (int k = 0; k < 5; ++k) f.load[k] = v[1 + k] * (metric ? kTHaToTonsAcre : 1.0);
    double sav[3] = {v[6], v[7], v[8]};
    for (double& s : sav) s *= metric ? kPerCmToPerFt : 1.0;
    f.sav1 = sav[0];
    f.savHerb = sav[1];
    f.savWoody = sav[2];
    f.depth = v[9] * (metric ? kCmToFt : 1.0);
    f.extinction = v[10] > 1.0 ? v[10] / 100.0 : v[10];
    f.heatDead = v[11] * (metric ? kKJkgToBtuLb : 1.0);
    f.heatLive = v[12] * (metric ? kKJkgToBtuLb : 1.0);
    f.dynamic = dynamic;
    for (double x : f.load)
      if (x < 0) return bad("negative fuel load");
    if (f.depth <= 0 || f.extinction <= 0 || f.sav1 <= 0 || f.heatDead <= 0)
      return bad("depth, extinction moisture, 1-h SAV and heat content must be above 0");
    if ((f.load[3] > 0 && f.savHerb <= 0) || (f.load[4] > 0 && f.savWoody <= 0))
      return bad("a live fuel load needs its SAV");
    out[f.number] = f;
  }
  return true;
}

bool ReadCustomFuels(const std::string& path, std::map<int, FuelModel>& out, std::string& error) {
  std::string text;
  if (!platform::ReadWholeFile(path, text)) {
    error = "Cannot open " + path;
    return false;
  }
  return ParseCustomFuels(text, out, error);
}

bool ReadSpreadAdjustments(const std::string& path, std::map<int, double>& out, std::string& error) {
  std::string text;
  if (!platform::ReadWholeFile(path, text)) {
    error = "Cannot open " + path;
    return false;
  }
  return ParseSpreadAdjustments(text, out, error);
}

bool ParseSpreadAdjustments(const std::string& text, std::map<int, double>& out, std::string& error) {
  auto lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    auto w = SplitWords(lines[i]);
    if (w.empty()) continue;
    double m, f;
    if (w.size() < 2 || !Num(w[0], m) || !Num(w[1], f) || m < 0 || m > 256 || f < 0) {
      error = "Line " + std::to_string(i + 1) + ": expected a fuel model number and a factor";
      return false;
    }
    out[static_cast<int>(m)] = f;
  }
  return true;
}

}  // namespace engines

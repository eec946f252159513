#include "runs/run_exec_editor_checks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <vector>

#include "platform/numbers.h"

namespace runs {

namespace {

using platform::FormatC;

// The control's lines: split at line feeds, each cut at its first CR or LF and at 508
// characters.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    line = line.substr(0, std::min(line.find('\r'), std::size_t{508}));
    lines.push_back(line);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A line without a single value passes only as the last line of a text of several lines.
bool EndsAsLastLine(int scanned, std::size_t i, std::size_t count) {
  return scanned <= 0 && i + 1 == count && count > 1;
}

EditorVerdict Fail(std::string message) { return {false, std::move(message)}; }

}  // namespace

EditorVerdict ValidateFmsText(const std::string& text) {
  const auto lines = Lines(text);
  std::set<long> seen;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const int n = static_cast<int>(i + 1);
    long v[7] = {};
    int got = std::sscanf(lines[i].c_str(), "%ld %ld %ld %ld %ld %ld %ld", &v[0], &v[1], &v[2],
                          &v[3], &v[4], &v[5], &v[6]);
    if (EndsAsLastLine(got, i, lines.size())) break;
    if (got != 6) return Fail(FormatC("Line %d: Wrong number of entries, must be six per line", n));
    if (v[0] > 256) return Fail(FormatC("Line %d: Invalid fuel model number: %ld", n, v[0]));
    if (!seen.insert(v[0]).second)
      return Fail(FormatC("Line %d: Duplicate fuel model number: %ld", n, v[0]));
    static const char* const kNames[5] = {"1 Hour", "10 Hour", "100 Hour", "Live Herbaceous",
                                          "Live Woody"};
    for (int k = 0; k < 5; ++k)
      if (v[k + 1] <= 0)
        return Fail(FormatC("Line %d: Invalid %s Fuel Moisture: %ld", n, kNames[k], v[k + 1]));
  }
  return {true, "File appears to be a valid FMS file."};
}

EditorVerdict ValidateAdjText(const std::string& text) {
  const auto lines = Lines(text);
  std::set<long> seen;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const int n = static_cast<int>(i + 1);
    long model = 0;
    double factor = 0, extra = 0;
    int got = std::sscanf(lines[i].c_str(), "%ld %lf %lf", &model, &factor, &extra);
    if (EndsAsLastLine(got, i, lines.size())) break;
    if (got != 2) return Fail(FormatC("Line %d: Wrong number of entries, must be 2 per line", n));
    if (model > 256) return Fail(FormatC("Line %d: Invalid fuel model number: %ld", n, model));
    if (seen.count(model)) return Fail(FormatC("Line %d: Duplicate fuel model number: %ld", n, model));
    if (factor < 0) return Fail(FormatC("Line %d: Negative ROS_ADJUST value: %lf", n, factor));
    seen.insert(model);
  }
  return {true, "File appears to be a valid ROS_ADJUST file."};
}

EditorVerdict ValidateFmdText(const std::string& text) {
  const auto lines = Lines(text);
  std::size_t first = 0;
  bool metric = false;
  if (!lines.empty()) {
    const std::string word = Lower(lines[0]);
    if (word == "metric" || word == "english") {
      metric = word == "metric";
      first = 1;
    }
  }
  // The first model line decides the layout.
  {
    const std::string line = first < lines.size() ? lines[first] : std::string();
    long model = 0;
    char code[256] = {}, marker[256] = {};
    double d[5] = {};
    int got = std::sscanf(line.c_str(), "%ld %255s %lf %lf %lf %lf %lf %255s", &model, code, &d[0],
                          &d[1], &d[2], &d[3], &d[4], marker);
    if (got < 8) return Fail(FormatC("Line %d: Invalid number of fields.", static_cast<int>(first + 1)));
    const std::string mark = Lower(marker);
    if (mark.find('d') != std::string::npos || mark.find('s') != std::string::npos) {
      // Named layout.
      for (std::size_t i = first; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        const long n = static_cast<long>(i + 1);
        long number = 0;
        char c1[256] = {}, c2[256] = {}, desc[256] = {};
        double load[5] = {}, sav[3] = {}, depth = 0, ext = 0, deadHeat = 0, liveHeat = 0;
        int k = std::sscanf(lines[i].c_str(),
                            "%ld %255s %lf %lf %lf %lf %lf %255s %lf %lf %lf %lf %lf %lf %lf %255s",
                            &number, c1, &load[0], &load[1], &load[2], &load[3], &load[4], c2,
                            &sav[0], &sav[1], &sav[2], &depth, &ext, &deadHeat, &liveHeat, desc);
        auto error = [n](const char* why) {
          return Fail(FormatC("\nModel Data Error Line => %ld\n%s", n, why));
        };
        if (k < 15) return error("Too few fields.");
        if (metric) {
          for (double& l : load) l *= 0.446090020966231;
          for (double& s : sav) s *= 0.03280833333346457;
          depth *= 0.03280833333346457;
          deadHeat *= 0.4302231782737295;
          liveHeat *= 0.4302231782737295;
        }
        for (double& s : sav) s = static_cast<double>(static_cast<long>(s));
        if (number < 14 || number > 256) return error("Fuel Model Number >256 or <14");
        if (ext <= 0) return error("Extinction Moisture = 0");
        if (load[0] + load[1] + load[2] <= 0) return error("Fuel Model Has No Dead Fuel");
        if (depth <= 0) return error("Depth = 0.0");
        if (liveHeat < 6000) return error("Live Heat Content Too Low");
        if (deadHeat < 4000) return error("Dead Heat Content Too Low");
        if (sav[0] > 4000 || sav[1] > 4000 || sav[2] > 4000) return error("SAV Ratios Out of Range");
      }
      return {true, "File appears to be a valid Custom Fuel Model File."};
    }
  }
  // Numeric layout: every line from the first model line, empty ones included.
  std::set<long> seen;
  for (std::size_t i = first; i < lines.size(); ++i) {
    const int n = static_cast<int>(i + 1);
    long number = 0;
    double f[14] = {};  // fields 2..14 (a 14th value makes the line wrong)
    int got = std::sscanf(lines[i].c_str(),
                          "%ld %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf", &number,
                          &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9],
                          &f[10], &f[11], &f[12]);
    if (EndsAsLastLine(got, i, lines.size())) break;
    if (got != 13) return Fail(FormatC("Line %d: Invalid number of fields, must be 13.", n));
    // f[k] is field k + 2.
    if (metric) {
      for (int k = 0; k < 5; ++k) f[k] *= 0.446090020966231;
      for (int k = 5; k < 9; ++k) f[k] *= 0.03280839895013123;
      f[10] *= 0.4302231782737295;
      f[11] *= 0.4302231782737295;
    }
    if (number < 14 || number > 50)
      return Fail(FormatC("Line %d: Invalid fuel model number \"%ld\", must be from 14 to 50.", n, number));
    if (!seen.insert(number).second)
      return Fail(FormatC("Line %d: Duplicate fuel model number: %ld", n, number));
    static const char* const kDead[3] = {"1 Hour", "10 Hour", "100 Hour"};
    for (int k = 0; k < 3; ++k)
      if (f[k] < 0)
        return Fail(FormatC("Line %d: %s Fuel Moisture (Field %d) can not be less than zero.", n,
                            kDead[k], k + 2));
    if (f[0] + f[1] + f[2] <= 0)
      return Fail(FormatC("Line %d: 1 Hour, 10 Hour, and 100 Hour Fuel Moistures must sum to "
                          "greater than zero.", n));
    if (f[3] < 0)
      return Fail(FormatC("Line %d: Live Herbaceous Fuel Moisture (Field 5) can not be less than zero.", n));
    if (f[4] < 0)
      return Fail(FormatC("Line %d: Live Woody Fuel Moisture (Field 6) can not be less than zero.", n));
    static const char* const kSav[3] = {"1 Hour", "Live Herbaceous", "Live Woody"};
    for (int k = 0; k < 3; ++k)
      if (!(f[5 + k] > 0) || f[5 + k] > 4000)
        return Fail(FormatC("Line %d: %s Surface to Volume Ratio (Field %d) must be greater than "
                            "zero and less than or equal to 4000.", n, kSav[k], k + 7));
    if (!(f[8] > 0)) return Fail(FormatC("Line %d: Fuel Depth (Field 10) must be greater than zero.", n));
    if (!(f[9] > 0))
      return Fail(FormatC("Line %d: Moisture of Extinction (Field 11) must be greater than zero.", n));
    if (f[10] < 4000)
      return Fail(FormatC("Line %d: Dead fuel heat content (Field 12) must be greater than or equal to 4000.", n));
    if (f[11] < 6000)
      return Fail(FormatC("Line %d: Live fuel heat content (Field 13) must be greater than or equal to 6000.", n));
  }
  return {true, "File appears to be a valid Custom Fuel Model File."};
}

EditorVerdict ValidateEditorText(int kind, const std::string& text) {
  switch (kind) {
    case kEditFms: return ValidateFmsText(text);
    case kEditFmd: return ValidateFmdText(text);
    case kEditAdj: return ValidateAdjText(text);
    default: return {true, ""};
  }
}

std::string EditorExtension(int kind) {
  switch (kind) {
    case kEditFms: return "fms";
    case kEditFmd: return "fmd";
    case kEditAdj: return "adj";
    default: return "txt";
  }
}

}  // namespace runs

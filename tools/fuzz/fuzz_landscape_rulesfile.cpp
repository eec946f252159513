// Rules-file reader on hostile text: no crash, no hang; what it loads writes a file that reads
// back to the same rules and writes the same bytes again.
// fuzz-seconds: 20
#include <cstdint>
#include <string>

#include "landscape/rules_file.h"
#include "platform/messages.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static platform::ScopedRecordingMessages messages;
  messages.Clear();
  static std::vector<std::unique_ptr<CTheme>> grids = [] {
    std::vector<std::unique_ptr<CTheme>> g;
    for (int type : {3, 4, 5, 6, 7, 10}) {
      g.push_back(std::make_unique<CTheme>());
      g.back()->layerType = type;
      g.back()->sourcePath = type == 10 ? "zones.tif" : "";
    }
    return g;
  }();
  static std::vector<std::unique_ptr<CVectorTheme>> vectors;
  const landscape::RuleThemes themes{&grids, &vectors};

  const std::string text(reinterpret_cast<const char*>(data), size);
  LcpRuleList rules;
  landscape::ReadRulesText(text, "fuzz.xml", themes, rules);
  std::string written, error;
  if (!landscape::RulesFileText(rules, written, error)) return 0;
  LcpRuleList again;
  messages.Clear();
  if (landscape::ReadRulesText(written, "again.xml", themes, again) != static_cast<int>(rules.size())) __builtin_trap();
  std::string rewritten;
  if (!landscape::RulesFileText(again, rewritten, error) || rewritten != written) __builtin_trap();
  return 0;
}

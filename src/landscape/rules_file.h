#pragma once
// The rules file: a list of landscape-edit rules as UTF-8 XML. Clauses name their themes by
// layer type and source path only, so reading binds each clause to a theme of the project
// again; a rule whose clause finds no theme, or whose layer is not a landscape layer, is
// refused with a message rather than loaded wider than it was saved.
#include <memory>
#include <string>
#include <vector>

#include "landscape/rules.h"

namespace landscape {

// The themes clauses may be bound to.
struct RuleThemes {
  const std::vector<std::unique_ptr<CTheme>>* grids = nullptr;
  const std::vector<std::unique_ptr<CVectorTheme>>* vectors = nullptr;
};

// The file's bytes (CR LF line ends). False, with error set naming the rule, when a text holds
// a control character that XML cannot carry.
bool RulesFileText(const LcpRuleList& rules, std::string& text, std::string& error);
// Writes the file atomically. False, with the reason shown naming the file; the previous file
// is then kept.
bool WriteRulesFile(const LcpRuleList& rules, const std::string& path);

// Reads the rules of a file and appends them to out. Problems (a file that cannot be read or
// is not well-formed, no rules, attribute errors, refused rules) are shown naming the file.
// The number of rules appended.
int ReadRulesFile(const std::string& path, const RuleThemes& themes, LcpRuleList& out);
// The same from text already read; fileName names it in messages.
int ReadRulesText(const std::string& text, const std::string& fileName, const RuleThemes& themes,
                  LcpRuleList& out);

}  // namespace landscape

#pragma once
// The input-file editor's own content checks of FMS, FMD and ADJ text: line by line, with
// messages that name the 1-based line. They are stricter in places than the launch checks.
#include <string>

namespace runs {

// Kinds of text the editor knows; any other value is plain text, always valid.
constexpr int kEditFms = 1;
constexpr int kEditFmd = 2;
constexpr int kEditAdj = 5;

struct EditorVerdict {
  bool valid = false;
  std::string message;  // the first error, or the success text
};

EditorVerdict ValidateFmsText(const std::string& text);
EditorVerdict ValidateFmdText(const std::string& text);
EditorVerdict ValidateAdjText(const std::string& text);
EditorVerdict ValidateEditorText(int kind, const std::string& text);

// "fms", "fmd", "adj", else "txt".
std::string EditorExtension(int kind);

}  // namespace runs

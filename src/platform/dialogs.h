#pragma once
// File, folder and colour choices as an interface: the GUI answers with wx dialogs, tests
// with scripted answers. Filters use the "desc|*.x;*.y|desc|*.z||" form of the system.
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FileDialogOptions {
  std::string title;
  std::string filter;        // "desc|*.x|...||"
  std::string defaultExt;    // without the dot, e.g. "cfg"; added to a typed name without one
  std::string initialPath;   // folder or file to start from
  bool overwritePrompt = false;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // nullopt when the user cancels.
  virtual std::optional<std::string> ChooseOpenFile(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialFolder) = 0;
  // Colours are 0x00BBGGRR.
  virtual std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) = 0;
};

// The process-wide dialogs (scripted answers that cancel until the GUI installs its own).
Dialogs& CurrentDialogs();
void InstallDialogs(Dialogs* dialogs);  // not owned; nullptr restores the default
// A file chosen through the current dialogs with a title, filter and default extension; a
// save asks before overwriting. nullopt when the user cancels.
std::optional<std::string> ChooseFile(bool save, const std::string& title, const std::string& filter,
                                      const std::string& defaultExt);

// Answers from a script, one queue per kind; an empty queue answers "cancel".
// Every request is recorded. Thread-safe.
class ScriptedDialogs : public Dialogs {
 public:
  struct Request {
    enum Kind { OpenFile, SaveFile, Folder, Colour } kind;
    FileDialogOptions options;  // for folders: title and initialPath
  };
  void AnswerOpenFile(std::optional<std::string> path);
  void AnswerSaveFile(std::optional<std::string> path);
  void AnswerFolder(std::optional<std::string> path);
  void AnswerColour(std::optional<std::uint32_t> colour);
  std::vector<Request> Requests() const;

  std::optional<std::string> ChooseOpenFile(const FileDialogOptions& options) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogOptions& options) override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialFolder) override;
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override;

 private:
  mutable std::mutex mutex_;
  std::deque<std::optional<std::string>> open_, save_, folder_;
  std::deque<std::optional<std::uint32_t>> colour_;
  std::vector<Request> requests_;
};

// Installs scripted dialogs for the lifetime of a scope (tests).
class ScopedScriptedDialogs : public ScriptedDialogs {
 public:
  ScopedScriptedDialogs() { InstallDialogs(this); }
  ~ScopedScriptedDialogs() override { InstallDialogs(nullptr); }
};

// One entry of a filter: its description and its patterns ("*.x").
struct FilterEntry {
  std::string description;
  std::vector<std::string> patterns;
};
// Splits "desc|*.x;*.y|desc|*.z||"; a trailing description without patterns is dropped.
std::vector<FilterEntry> ParseFilter(const std::string& filter);
// The toolkit's wildcard text, each pattern offered in lower and upper case as well so
// that extension matching does not depend on case.
std::string FilterToWildcard(const std::string& filter);
// Whether the file name matches one of the patterns ("*.x", "*.*", "*"), ignoring case.
bool MatchesPatterns(const std::string& path, const std::vector<std::string>& patterns);
// A save-dialog result: appends "." + defaultExt when the file name has no extension, and
// drops it when the name ends with it twice.
std::string WithDefaultExtension(const std::string& path, const std::string& defaultExt);

}  // namespace platform

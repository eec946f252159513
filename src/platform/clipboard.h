#pragma once
// The desktop clipboard's text, as an interface: the GUI answers with the toolkit's
// clipboard, tests with a recorder. Text is UTF-8.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // False when the clipboard could not be opened.
  virtual bool SetText(const std::string& text) = 0;
  // Nothing when the clipboard holds no text.
  virtual std::optional<std::string> GetText() = 0;
};

// The process-wide clipboard (a recorder until the GUI installs its own).
Clipboard& CurrentClipboard();
void InstallClipboard(Clipboard* clipboard);  // not owned; nullptr restores the default

// Keeps what was put on it and gives it back. Thread-safe.
class RecordingClipboard : public Clipboard {
 public:
  bool SetText(const std::string& text) override;
  std::optional<std::string> GetText() override;
  void Clear();
  std::vector<std::string> History() const;  // every text set, oldest first

 private:
  mutable std::mutex mutex_;
  std::optional<std::string> text_;
  std::vector<std::string> history_;
};

class ScopedRecordingClipboard : public RecordingClipboard {
 public:
  ScopedRecordingClipboard() { InstallClipboard(this); }
  ~ScopedRecordingClipboard() override { InstallClipboard(nullptr); }
};

}  // namespace platform

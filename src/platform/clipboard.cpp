#include "platform/clipboard.h"

#include <atomic>

namespace platform {
namespace {

std::atomic<Clipboard*> g_clipboard{nullptr};

RecordingClipboard& DefaultClipboard() {
  static RecordingClipboard c;
  return c;
}

}  // namespace

Clipboard& CurrentClipboard() {
  Clipboard* c = g_clipboard.load();
  return c ? *c : DefaultClipboard();
}

void InstallClipboard(Clipboard* clipboard) { g_clipboard.store(clipboard); }

bool RecordingClipboard::SetText(const std::string& text) {
  std::lock_guard lock(mutex_);
  text_ = text;
  history_.push_back(text);
  return true;
}

std::optional<std::string> RecordingClipboard::GetText() {
  std::lock_guard lock(mutex_);
  return text_;
}

void RecordingClipboard::Clear() {
  std::lock_guard lock(mutex_);
  text_.reset();
}

std::vector<std::string> RecordingClipboard::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

}  // namespace platform

#include "platform/messages.h"

#include <atomic>

namespace platform {
namespace {

RecordingMessages& DefaultRecorder() {
  static RecordingMessages recorder;
  return recorder;
}

std::atomic<Messages*> g_sink{nullptr};

}  // namespace

Messages& CurrentMessages() {
  Messages* s = g_sink.load();
  return s ? *s : DefaultRecorder();
}

void InstallMessages(Messages* sink) { g_sink.store(sink); }

void Tell(const std::string& text, const std::string& caption) {
  CurrentMessages().Show(MessageKind::Tell, text, caption);
}

bool AskYesNo(const std::string& text, const std::string& caption) {
  return CurrentMessages().Show(MessageKind::AskYesNo, text, caption) == Answer::Yes;
}

Answer AskYesNoCancel(const std::string& text, const std::string& caption) {
  return CurrentMessages().Show(MessageKind::AskYesNoCancel, text, caption);
}

Answer RecordingMessages::Show(MessageKind kind, const std::string& text, const std::string& caption) {
  std::lock_guard lock(mutex_);
  entries_.push_back({kind, text, caption});
  if (kind == MessageKind::Tell) return Answer::Ok;
  if (!script_.empty()) {
    Answer a = script_.front();
    script_.erase(script_.begin());
    return a;
  }
  if (kind == MessageKind::AskYesNo && default_ == Answer::Cancel) return Answer::No;
  return default_;
}

void RecordingMessages::Script(std::vector<Answer> answers) {
  std::lock_guard lock(mutex_);
  script_ = std::move(answers);
}

void RecordingMessages::SetDefaultAnswer(Answer a) {
  std::lock_guard lock(mutex_);
  default_ = a;
}

std::vector<RecordingMessages::Entry> RecordingMessages::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::vector<std::string> RecordingMessages::Texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& e : entries_) out.push_back(e.text);
  return out;
}

void RecordingMessages::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

}  // namespace platform

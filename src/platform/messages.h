#pragma once
// Message boxes of the system, as an interface: the GUI answers with wx dialogs (marshalled to
// the UI thread when called from a worker), tests with a recorder. Texts are the system's own.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

enum class Answer { Ok, Yes, No, Cancel };
enum class MessageKind { Tell, AskYesNo, AskYesNoCancel };

class Messages {
 public:
  virtual ~Messages() = default;
  // kind Tell: an OK box; returns Answer::Ok.
  virtual Answer Show(MessageKind kind, const std::string& text, const std::string& caption) = 0;
};

// The process-wide message sink (a recorder answering Yes/Ok until the GUI installs its own).
Messages& CurrentMessages();
// Installs a sink (not owned); nullptr restores the default recorder.
void InstallMessages(Messages* sink);

// Short forms used throughout the model.
void Tell(const std::string& text, const std::string& caption = "Pyrvane 6");
bool AskYesNo(const std::string& text, const std::string& caption = "Pyrvane 6");
Answer AskYesNoCancel(const std::string& text, const std::string& caption = "Pyrvane 6");

// Records every message and answers from a script (then with a default). Thread-safe.
class RecordingMessages : public Messages {
 public:
  struct Entry {
    MessageKind kind;
    std::string text;
    std::string caption;
  };
  Answer Show(MessageKind kind, const std::string& text, const std::string& caption) override;
  void Script(std::vector<Answer> answers);  // answers given in order to Ask calls
  void SetDefaultAnswer(Answer a);
  std::vector<Entry> Entries() const;
  std::vector<std::string> Texts() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  std::vector<Answer> script_;
  Answer default_ = Answer::Yes;
};

// Installs a recorder for the lifetime of a scope (tests).
class ScopedRecordingMessages : public RecordingMessages {
 public:
  ScopedRecordingMessages() { InstallMessages(this); }
  ~ScopedRecordingMessages() override { InstallMessages(nullptr); }
};

}  // namespace platform

#pragma once
// The windowed answers to the platform interfaces: message boxes, file, folder and colour
// dialogs and the desktop's default programs. Calls from worker threads are marshalled to
// the UI thread, which shows the window while the worker waits for the answer.
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/services.h"

namespace platform::ui {

class WxMessages : public Messages {
 public:
  Answer Show(MessageKind kind, const std::string& text, const std::string& caption) override;
};

class WxDialogs : public Dialogs {
 public:
  std::optional<std::string> ChooseOpenFile(const FileDialogOptions& options) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogOptions& options) override;
  std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialFolder) override;
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override;
};

class WxShell : public Shell {
 public:
  bool OpenUrl(const std::string& url) override;
  bool OpenFile(const std::string& path) override;
};

// Installs the three for the rest of the process (call once the wx application exists).
void InstallWxPlatform();

}  // namespace platform::ui

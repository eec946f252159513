#pragma once
// Start-up and shutdown of the windowed program: splash, 3D probe, document template, main
// window and command line.
#include <wx/weakref.h>

#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/ui/main_frame.h"
#include "app/ui/splash_screen.h"

namespace app::ui {

struct StartupOptions {
  int splashTimeoutMs = 4000;
  // The pause after showing the splash; events are pumped meanwhile so it paints.
  int pauseMs = 2000;
  std::string splashPath;       // "" = images/splash61.jpg of the data folder
  std::string recentFilesPath;  // "" = "Pyrvane6.recent" in the config folder
  std::optional<AppFolders> folders;  // none = the platform's folders
  bool probeOpenGl = true;
};

// Called from a catch block when a command or dialog let an exception out: its message is
// shown, the innermost modal dialog (where it happened) is closed, and the program goes on.
// Always true ("continue").
bool RecoverFromCommandException();

// What the program installs before start-up: the toolkit's dialogs, messages and shell, and
// its image codecs for background pictures.
void InstallProgramServices();

class ApplicationShell {
 public:
  // The whole start-up; false ends the program (the command line could not be processed).
  bool Start(const StartupOptions& options, const std::vector<std::string>& args);
  // The two halves of Start, separately for tests.
  void ShowSplash(const StartupOptions& options);
  bool FinishStart(const StartupOptions& options, const std::vector<std::string>& args);

  // Writes the preferences back and releases what start-up took.
  void Shutdown(bool shutDownRasterLibrary = true);

  MainFrame* Frame() const { return frame_.get(); }
  // Null once the splash has gone, whether by its time-out or by the end of start-up.
  CSplashScreenEx* Splash() const { return splash_.get(); }

 private:
  void HideSplash();

  wxWeakRef<CSplashScreenEx> splash_;
  wxWeakRef<MainFrame> frame_;
};

}  // namespace app::ui

#pragma once
// Start-up and shutdown of the windowed program: splash, 3D probe, document template, main
// window and command line.
#include <wx/weakref.h>

#include <string>
#include <vector>

#include "app/ui/main_frame.h"
#include "app/ui/splash_screen.h"

namespace app::ui {

struct StartupOptions {
  int splashTimeoutMs = 4000;
  // The pause after showing the splash; events are pumped meanwhile so it paints.
  int pauseMs = 2000;
  std::string splashPath;       // "" = images/splash61.jpg of the data folder
  std::string recentFilesPath;  // "" = the default file in the config folder
  bool probeOpenGl = true;
};

class ApplicationShell {
 public:
  // The whole start-up; false ends the program (the command line could not be processed).
  bool Start(const StartupOptions& options, const std::vector<std::string>& args);
  // The two halves of Start, separately for tests.
  void ShowSplash(const StartupOptions& options);
  bool FinishStart(const StartupOptions& options, const std::vector<std::string>& args);

  MainFrame* Frame() const { return frame_.get(); }
  // Null once the splash has gone, whether by its time-out or by the end of start-up.
  CSplashScreenEx* Splash() const { return splash_.get(); }

  // What the OpenGL probe found; the 3D window needs 3.3.
  unsigned glMajor = 0;
  unsigned glMinor = 0;
  char glLetter = ' ';
  bool threeDAvailable = false;

 private:
  void HideSplash();

  wxWeakRef<CSplashScreenEx> splash_;
  wxWeakRef<MainFrame> frame_;
};

}  // namespace app::ui

#include "app/ui/startup.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include "app/help.h"
#include "app/ui/gl_probe.h"
#include "app/ui/project_template.h"
#include "platform/folders.h"
#include "platform/paths.h"

namespace app::ui {

void ApplicationShell::ShowSplash(const StartupOptions& options) {
  auto* splash = new CSplashScreenEx;
  if (!splash->Create(nullptr, nullptr, static_cast<unsigned>(options.splashTimeoutMs), 15)) {
    splash->Destroy();
    return;
  }
  std::string path = options.splashPath.empty()
                         ? platform::Join(platform::DataFolder(), "images/splash61.jpg")
                         : options.splashPath;
  splash->SetBitmapFromFile(path, 255, 0, 255);
  splash->ShowSplash();
  // The splash deletes itself when its time-out ends it; the weak reference notices.
  splash_ = splash;
}

void ApplicationShell::HideSplash() {
  if (CSplashScreenEx* splash = splash_.get(); splash && !splash->IsBeingDeleted())
    splash->HideSplash();
}

bool ApplicationShell::Start(const StartupOptions& options, const std::vector<std::string>& args) {
  ShowSplash(options);
  if (options.pauseMs > 0) {
    wxStopWatch watch;
    while (watch.Time() < options.pauseMs) {
      if (wxTheApp) wxTheApp->Yield(true);
      wxMilliSleep(10);
    }
  }
  return FinishStart(options, args);
}

bool ApplicationShell::FinishStart(const StartupOptions& options,
                                   const std::vector<std::string>& args) {
  if (options.probeOpenGl) {
    ProbeOpenGlVersion(&glMajor, &glMinor, &glLetter);
    threeDAvailable = ThreeDAvailable({glMajor, glMinor, glLetter});
  }

  auto* frame = new MainFrame(options.recentFilesPath);
  frame_ = frame;
  AddProjectTemplate(frame->DocManager(), CLASSINFO(EmptyProjectDocument),
                     CLASSINFO(ProjectWindowView));
  if (auto base = ReadHelpBaseFile(platform::Join(platform::DataFolder(), "OnlineHelpURL.txt")))
    frame->SetHelpBase(*base);
  wxTheApp->SetTopWindow(frame);

  // No argument: a new project; a file: that project.
  wxDocument* doc = args.empty()
                        ? frame->DocManager()->CreateDocument(wxEmptyString, wxDOC_NEW)
                        : frame->DocManager()->CreateDocument(wxString::FromUTF8(args.front()),
                                                              wxDOC_SILENT);
  if (!doc) {
    HideSplash();
    frame->Destroy();
    return false;
  }
  HideSplash();
  frame->Show();
  return true;
}

}  // namespace app::ui

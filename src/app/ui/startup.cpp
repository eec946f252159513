#include "app/ui/startup.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include "app/ui/gl_probe.h"
#include "app/ui/project_window.h"
#include "gridmodel/ug_ctrl.h"
#include "gridmodel/ug_parts.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/ui/wx_image.h"
#include "platform/ui/wx_platform.h"

namespace app::ui {

bool RecoverFromCommandException() {
  std::string text = "An unexpected error ended the last command.";
  try {
    throw;
  } catch (const std::exception& e) {
    if (*e.what()) text = e.what();
  } catch (...) {
  }
  for (auto it = wxTopLevelWindows.rbegin(); it != wxTopLevelWindows.rend(); ++it) {
    auto* dialog = wxDynamicCast(*it, wxDialog);
    if (dialog && dialog->IsModal()) {
      dialog->EndModal(wxID_CANCEL);
      break;
    }
  }
  platform::Tell(text);
  return true;
}

void InstallProgramServices() {
  platform::ui::InstallWxPlatform();
  GetApp().imageLoader = platform::ui::LoadImageFile;
  gridmodel::SetDefaultBitmapLoader(platform::ui::LoadImageFile);
  // A grid that names a help context for a cell opens that help topic.
  gridmodel::SetGridHelpHandler([](int contextId) { GetApp().ShowHelpTopic(contextId); });
}

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
  CPVN4App& app = GetApp();
  app.Startup(options.folders ? *options.folders : AppFolders::Defaults());

  app.threeDAvailable = 0;
  app.directXMajor = app.directXMinor = 0;
  app.directXLetter = ' ';
  if (options.probeOpenGl) {
    unsigned major = 0, minor = 0;
    char letter = ' ';
    ProbeOpenGlVersion(&major, &minor, &letter);
    app.directXMajor = static_cast<int>(major);
    app.directXMinor = static_cast<int>(minor);
    app.directXLetter = letter;
    app.threeDAvailable = ThreeDAvailable({major, minor, letter}) ? 1 : 0;
  }

  std::string recent = options.recentFilesPath.empty()
                           ? platform::Join(app.configFolder, "Pyrvane6.recent")
                           : options.recentFilesPath;
  auto* frame = new MainFrame(recent);
  frame_ = frame;
  InstallProjectWindows(*frame);
  frame->SetHelpBase(app.helpBase);
  frame->ApplyAppBackground();
  frame->RestorePlacement(FromStoredPlacement(app.placement));
  frame->SetPlacementRecorder(
      [](const FramePlacement& p) { GetApp().placement = ToStoredPlacement(p); });
  wxTheApp->SetTopWindow(frame);

  // No argument: a new project; a file: that project.
  // A relative path is taken from where the program was started, and kept whole in the
  // recent files so that it still opens from anywhere. A file that does not open says why.
  wxDocument* doc = nullptr;
  if (args.empty()) {
    doc = frame->DocManager()->CreateDocument(wxEmptyString, wxDOC_NEW);
  } else {
    wxFileName given(wxString::FromUTF8(args.front()));
    given.MakeAbsolute();
    doc = frame->OpenFile(given.GetFullPath());
  }
  if (!doc) {
    HideSplash();
    frame->Destroy();
    return false;
  }
  HideSplash();
  frame->Show();
  return true;
}

void ApplicationShell::Shutdown(bool shutDownRasterLibrary) {
  GetApp().Shutdown(shutDownRasterLibrary);
}

}  // namespace app::ui

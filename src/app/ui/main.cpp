#include <wx/app.h>
#include <wx/image.h>

#include <string>
#include <vector>

#include "app/application.h"
#include "app/ui/startup.h"
#include "platform/grid_memory.h"

namespace {

class PyrvaneApp : public wxApp {
 public:
  bool OnInit() override {
    platform::KeepFreedMemory();
    SetAppName("Pyrvane");
    wxInitAllImageHandlers();
    app::ui::InstallProgramServices();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i].utf8_string());
    started_ = true;
    return shell_.Start(app::ui::StartupOptions{}, args);
  }

  // A failing command or dialog ends that command, never the program.
  bool OnExceptionInMainLoop() override { return app::ui::RecoverFromCommandException(); }

  int OnExit() override {
    // Also after a failed start: the preferences read so far are written back.
    if (started_) shell_.Shutdown();
    return wxApp::OnExit();
  }

 private:
  app::ui::ApplicationShell shell_;
  bool started_ = false;
};

}  // namespace

wxIMPLEMENT_APP(PyrvaneApp);

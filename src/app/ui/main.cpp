#include <wx/app.h>
#include <wx/image.h>

#include <clocale>

#include "app/ui/startup.h"
#include "platform/ui/wx_platform.h"

namespace {

class PyrvaneApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("Pyrvane");
    std::setlocale(LC_NUMERIC, "C");
    wxInitAllImageHandlers();
    platform::ui::InstallWxPlatform();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(argv[i].utf8_string());
    return shell_.Start(app::ui::StartupOptions{}, args);
  }

 private:
  app::ui::ApplicationShell shell_;
};

}  // namespace

wxIMPLEMENT_APP(PyrvaneApp);

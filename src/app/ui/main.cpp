#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

#include "app/application.h"
#include "app/ui/startup.h"
#include "platform/ui/wx_platform.h"

namespace {

// Background pictures may be JPEG or BMP as well as PNG.
bool LoadImageWithWx(const std::string& path, platform::Image& image) {
  wxLogNull quiet;
  wxImage picture;
  if (!picture.LoadFile(wxString::FromUTF8(path)) || !picture.IsOk()) return false;
  const int w = picture.GetWidth(), h = picture.GetHeight();
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  const unsigned char* rgb = picture.GetData();
  const unsigned char* alpha = picture.HasAlpha() ? picture.GetAlpha() : nullptr;
  for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i) {
    rgba[i * 4 + 0] = rgb[i * 3 + 0];
    rgba[i * 4 + 1] = rgb[i * 3 + 1];
    rgba[i * 4 + 2] = rgb[i * 3 + 2];
    rgba[i * 4 + 3] = alpha ? alpha[i] : 255;
  }
  image.FromRgbaBytes(w, h, rgba.data());
  return true;
}

class PyrvaneApp : public wxApp {
 public:
  bool OnInit() override {
    SetAppName("Pyrvane");
    wxInitAllImageHandlers();
    platform::ui::InstallWxPlatform();
    GetApp().imageLoader = LoadImageWithWx;
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

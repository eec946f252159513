#include "app/ui/gl_probe.h"

#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/log.h>

#include <GL/gl.h>

#include <cctype>
#include <cstdlib>
#include <exception>

#include "widgets/screenshot.h"

namespace app::ui {

GlVersion ParseGlVersion(const char* text) {
  GlVersion v;
  if (!text) return v;
  const char* p = text;
  while (*p && !std::isdigit(static_cast<unsigned char>(*p))) ++p;
  if (!*p) return v;
  char* end = nullptr;
  unsigned long major = std::strtoul(p, &end, 10);
  if (!end || *end != '.' || !std::isdigit(static_cast<unsigned char>(end[1]))) return v;
  unsigned long minor = std::strtoul(end + 1, nullptr, 10);
  if (major > 1000 || minor > 1000) return v;
  v.major = static_cast<unsigned>(major);
  v.minor = static_cast<unsigned>(minor);
  return v;
}

bool ThreeDAvailable(const GlVersion& v) { return v.major > 3 || (v.major == 3 && v.minor >= 3); }

namespace {

GlVersion ReadVersion() {
  GlVersion v;
  wxLogNull quiet;
  wxGLAttributes display;
  display.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
  if (!wxGLCanvas::IsDisplaySupported(display)) return v;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "GL probe", wxPoint(-2000, -2000), wxSize(32, 32),
                            wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR | wxBORDER_NONE);
  auto* canvas = new wxGLCanvas(frame, display);
  frame->Show();
  for (int i = 0; i < 50 && !canvas->IsShownOnScreen(); ++i) widgets::FlushEvents(1);
  widgets::FlushEvents(2);

  wxGLContextAttrs core;
  core.PlatformDefaults().CoreProfile().OGLVersion(3, 3).EndList();
  auto* context = new wxGLContext(canvas, nullptr, &core);
  if (!context->IsOK()) {
    delete context;
    context = new wxGLContext(canvas);
  }
  if (context->IsOK() && canvas->SetCurrent(*context))
    v = ParseGlVersion(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  delete context;
  frame->Destroy();
  widgets::FlushEvents(1);
  return v;
}

}  // namespace

bool ProbeOpenGlVersion(unsigned* major, unsigned* minor, char* letter) {
  GlVersion v;
  try {
    v = ReadVersion();
  } catch (const std::exception&) {
    v = GlVersion{};  // a broken driver only leaves 3D disabled
  }
  if (major) *major = v.major;
  if (minor) *minor = v.minor;
  if (letter) *letter = static_cast<char>(std::tolower(static_cast<unsigned char>(v.letter)));
  return true;
}

}  // namespace app::ui

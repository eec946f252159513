#include "views/ui/terrain_view.h"

#include <wx/display.h>
#include <wx/glcanvas.h>
#include <wx/log.h>
#include <wx/menu.h>

#include <GL/glx.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <vector>

#include "app/application.h"
#include "app/command_rules.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/ui/wx_image.h"
#include "project/work_area.h"
#include "themes/theme.h"
#include "views/ui/terrain_options.h"
#include "views/ui/terrain_renderer.h"
#include "views/ui/terrain_scene.h"

namespace views::ui {

namespace {

std::map<const CPVN4Doc*, C3DDialog*>& Registry() {
  static std::map<const CPVN4Doc*, C3DDialog*> views;
  return views;
}

const char* const kNoDevicesText = "Could not find any compatible Direct3D\ndevices.";
const char* const kNoInitText =
    "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is correctly "
    "installed on your\nsystem.  Also make sure that this program\nwas compiled with header files that match\nthe "
    "installed DirectX DLLs.";
const char* const kGenericText = "Generic application error. Enable\ndebug output for detailed information.";
const char* const kVideoMemoryText = "Not enough video memory.";
// The device belongs to this window only: it closes, the program and its projects stay.
const char* const kClosingText = "\n\nThe 3D window will now close.";

int gRequiredMajor = 3, gRequiredMinor = 3;
std::function<void(PlatformReport&)> gReportFilter;
FrameTimer::Clock gFrameClock;
std::int64_t gTicksPerSecond = 1000000000;

// Frame-buffer configurations, swap control and the screen, as GLX and X report them.
PlatformReport ReportPlatform() {
  PlatformReport r;
  if (Display* dpy = XOpenDisplay(nullptr)) {
    const int screen = DefaultScreen(dpy);
    r.adapter = std::string(DisplayString(dpy)) + " screen " + std::to_string(screen);
    r.screenWidth = DisplayWidth(dpy, screen);
    r.screenHeight = DisplayHeight(dpy, screen);
    r.screenDepth = DefaultDepth(dpy, screen);
    int count = 0;
    if (GLXFBConfig* configs = glXGetFBConfigs(dpy, screen, &count)) {
      for (int i = 0; i < count; ++i) {
        auto get = [&](int attribute) {
          int v = 0;
          glXGetFBConfigAttrib(dpy, configs[i], attribute, &v);
          return v;
        };
        if (!(get(GLX_RENDER_TYPE) & GLX_RGBA_BIT)) continue;
        FrameBufferConfig f;
        f.red = get(GLX_RED_SIZE);
        f.green = get(GLX_GREEN_SIZE);
        f.blue = get(GLX_BLUE_SIZE);
        f.alpha = get(GLX_ALPHA_SIZE);
        f.depth = get(GLX_DEPTH_SIZE);
        f.stencil = get(GLX_STENCIL_SIZE);
        f.samples = get(GLX_SAMPLE_BUFFERS) ? get(GLX_SAMPLES) : 0;
        f.window = (get(GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) != 0;
        f.doubleBuffer = get(GLX_DOUBLEBUFFER) != 0;
        r.configs.push_back(f);
      }
      XFree(configs);
    }
    const char* extensions = glXQueryExtensionsString(dpy, screen);
    const std::string ext = extensions ? extensions : "";
    r.swapControl = ext.find("GLX_EXT_swap_control") != std::string::npos ||
                    ext.find("GLX_MESA_swap_control") != std::string::npos ||
                    ext.find("GLX_SGI_swap_control") != std::string::npos;
    XCloseDisplay(dpy);
  }
  wxDisplay display;
  const wxVideoMode current = display.GetCurrentMode();
  r.current = {current.GetWidth(), current.GetHeight(), current.GetRefresh(), current.GetDepth()};
  const wxArrayVideoModes modes = display.GetModes();
  for (std::size_t i = 0; i < modes.GetCount(); ++i) {
    const wxVideoMode& m = modes[i];
    r.modes.push_back({m.GetWidth(), m.GetHeight(), m.GetRefresh(), m.GetDepth() > 0 ? m.GetDepth() : r.screenDepth});
  }
  return r;
}

void Channels(std::uint32_t rgb, float out[3]) {
  out[0] = static_cast<float>((rgb >> 16) & 0xFF) / 255.0f;
  out[1] = static_cast<float>((rgb >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>(rgb & 0xFF) / 255.0f;
}

MouseButtons ButtonsOf(const wxMouseEvent& e) {
  unsigned b = 0;
  if (e.LeftIsDown()) b |= kLeftButton;
  if (e.RightIsDown()) b |= kRightButton;
  if (e.MiddleIsDown()) b |= kMiddleButton;
  return static_cast<MouseButtons>(b);
}

}  // namespace

void SetRequiredGlVersion(int major, int minor) {
  gRequiredMajor = major;
  gRequiredMinor = minor;
}

void SetPlatformReportFilter(std::function<void(PlatformReport&)> filter) { gReportFilter = std::move(filter); }

void SetFrameClock(FrameTimer::Clock clock, std::int64_t ticksPerSecond) {
  gFrameClock = std::move(clock);
  gTicksPerSecond = gFrameClock ? ticksPerSecond : 1000000000;
}

C3DDialog::C3DDialog(wxWindow* parent, CPVN4Doc& doc)
    : wxFrame(parent, wxID_ANY, "3D Window", wxDefaultPosition, wxSize(640, 480),
              wxDEFAULT_FRAME_STYLE | wxFRAME_FLOAT_ON_PARENT),
      doc_(doc),
      pacer_(FrameTimer(gFrameClock, gTicksPerSecond)),
      retry_(this) {
  Registry()[&doc_] = this;
  doc_.AddObserver(this);

  auto* bar = new wxMenuBar;
  auto* file = new wxMenu;
  file->Append(app::MenuIdFor(kSaveAs), "&Save As...");
  file->Append(app::MenuIdFor(kClose), "&Close");
  bar->Append(file, "&File");
  auto* options = new wxMenu;
  options->Append(app::MenuIdFor(kOptions), "&Options");
  options->Append(app::MenuIdFor(kHelp), "&Help");
  bar->Append(options, "&Options");
  SetMenuBar(bar);
  Bind(wxEVT_MENU, [this](wxCommandEvent& e) {
    switch (app::CommandForMenuId(e.GetId())) {
      case kSaveAs: OnFileSaveAs(); break;
      case kClose: Close(true); break;
      case kOptions: OnOptions(); break;
      case kHelp: GetApp().ShowHelpTopic(2); break;
      default: e.Skip();
    }
  });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
  // Over the whole screen there is no menu: Escape closes the window.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
    if (fullscreen_ && e.GetKeyCode() == WXK_ESCAPE) Close(true);
    else e.Skip();
  });
  // An iconised window stops its time; shown again, time carries on from where it stood.
  Bind(wxEVT_ICONIZE, [this](wxIconizeEvent& e) {
    if (e.IsIconized() != iconized_) {
      iconized_ = e.IsIconized();
      pacer_.SetPaused(iconized_);
    }
    e.Skip();
  });
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
    if (canvas_) canvas_->Refresh(false);
  }, retry_.GetId());

  PlatformReport report = ReportPlatform();
  if (gReportFilter) gReportFilter(report);
  catalog_ = BuildCatalog(report, CatalogRequirements{.depthBuffer = true});
  vertexLimit_ = views::VertexLimit(kLargestVertexIndex);
  use32_ = views::Uses32BitIndices(kLargestVertexIndex);
  CreateDevice();
}

C3DDialog::~C3DDialog() {
  retry_.Stop();
  if (context_ && canvas_) ReleaseDeviceResources();
  // The desktop gets its own display mode back.
  if (modeChanged_) wxDisplay().ChangeMode();
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  if (!docGone_) doc_.RemoveObserver(this);
}

void C3DDialog::OnUpdate(CPVN4Doc&, int) {
  if (doc_.GetVisibleTheme() == builtTheme_ && doc_.currentArea == builtArea_) return;
  Rebuild();
}

void C3DDialog::Rebuild() {
  if (!ready_ || failed_) return;
  BuildTerrain(1.0f);
  canvas_->Refresh(false);
}

void C3DDialog::OnDocumentDestroyed(CPVN4Doc&) {
  docGone_ = true;
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  Destroy();
}

C3DDialog* C3DDialog::Of(const CPVN4Doc& doc) {
  auto it = Registry().find(&doc);
  return it == Registry().end() ? nullptr : it->second;
}

bool C3DDialog::Is3DWindowEnabled(const CPVN4Doc& doc) {
  return GetApp().threeDAvailable && doc.IsLandscapeLoaded();
}

void C3DDialog::On3DWindow(wxWindow* parent, CPVN4Doc& doc) {
  if (!doc.IsLandscapeLoaded()) return;
  if (C3DDialog* w = Of(doc)) {
    w->Iconize(false);
    w->Show();
    w->Raise();
    return;
  }
  auto* w = new C3DDialog(parent, doc);
  if (w->failed_) return;
  w->Show();
  w->ApplyWindowMode();
}

void C3DDialog::ApplyWindowMode() {
  if (!fullscreen_ || IsFullScreen()) return;
  // The screen is switched to the chosen mode only where its size differs from the desktop's.
  wxDisplay display(this);
  const wxVideoMode current = display.GetCurrentMode();
  if (fullscreenMode_.width != current.GetWidth() || fullscreenMode_.height != current.GetHeight())
    modeChanged_ = display.ChangeMode(wxVideoMode(fullscreenMode_.width, fullscreenMode_.height,
                                                  fullscreenMode_.bitsPerPixel, fullscreenMode_.refresh));
  ShowFullScreen(true, wxFULLSCREEN_ALL);
}

void C3DDialog::DeviceFailed(const std::string& text) {
  if (failed_) return;
  failed_ = true;
  platform::Tell(text + kClosingText);
  CallAfter([this] { Destroy(); });
}

bool C3DDialog::CreateDevice() {
  const std::optional<DeviceChoice> choice = ChooseDevice(catalog_, CatalogRequirements{.depthBuffer = true});
  if (!choice) {
    DeviceFailed(kNoDevicesText);
    return false;
  }
  fullscreen_ = !choice->windowed;
  const DeviceCombination& combination = fullscreen_ ? choice->fullscreen->combination : choice->window->combination;
  const DepthStencil depthStencil = fullscreen_ ? choice->fullscreen->depthStencil : choice->window->depthStencil;
  const int samples = fullscreen_ ? choice->fullscreen->samples : choice->window->samples;
  if (fullscreen_) fullscreenMode_ = choice->fullscreen->mode;
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(depthStencil.depth);
  if (depthStencil.stencil > 0) attributes.Stencil(depthStencil.stencil);
  attributes.MinRGBA(combination.colourBits, combination.colourBits, combination.colourBits, combination.alphaBits);
  if (samples > 0) attributes.SampleBuffers(1).Samplers(samples);
  attributes.EndList();
  if (!wxGLCanvas::IsDisplaySupported(attributes)) {
    attributes.Reset();
    attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(depthStencil.depth).EndList();
  }
  canvas_ = new wxGLCanvas(this, attributes, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE);
  canvas_->SetBackgroundStyle(wxBG_STYLE_PAINT);
  wxGLContextAttrs core;
  core.PlatformDefaults().CoreProfile().OGLVersion(gRequiredMajor, gRequiredMinor).EndList();
  {
    wxLogNull quiet;
    context_ = std::make_unique<wxGLContext>(canvas_, nullptr, &core);
  }
  if (!context_->IsOK()) {
    context_.reset();
    DeviceFailed(kNoInitText);
    return false;
  }

  canvas_->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaint(); });
  canvas_->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    OnSize();
    e.Skip();
  });
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP, wxEVT_MIDDLE_DOWN,
                    wxEVT_MIDDLE_UP, wxEVT_MOTION})
    canvas_->Bind(type, [this](wxMouseEvent& e) {
      const wxEventType t = e.GetEventType();
      MouseMessage m = MouseMessage::Other;
      if (t == wxEVT_LEFT_DOWN) m = MouseMessage::LeftDown;
      else if (t == wxEVT_LEFT_UP) m = MouseMessage::LeftUp;
      else if (t == wxEVT_RIGHT_DOWN) m = MouseMessage::RightDown;
      else if (t == wxEVT_MIDDLE_DOWN) m = MouseMessage::MiddleDown;
      else if (t == wxEVT_MOTION) m = MouseMessage::Move;
      // A drag keeps the pointer until its button comes up.
      if ((t == wxEVT_LEFT_DOWN || t == wxEVT_RIGHT_DOWN || t == wxEVT_MIDDLE_DOWN) && !canvas_->HasCapture())
        canvas_->CaptureMouse();
      if ((t == wxEVT_LEFT_UP || t == wxEVT_RIGHT_UP || t == wxEVT_MIDDLE_UP) && canvas_->HasCapture() &&
          !e.ButtonIsDown(wxMOUSE_BTN_ANY))
        canvas_->ReleaseMouse();
      Mouse(m, e.GetX(), e.GetY(), ButtonsOf(e));
    });
  canvas_->Bind(wxEVT_MOUSE_CAPTURE_LOST, [](wxMouseCaptureLostEvent&) {});

  return true;
}

// GL needs the drawing area on screen: the device's resources are made on the first paint
// (or the first snapshot) after it shows.
bool C3DDialog::EnsureDevice() {
  if (ready_) return true;
  if (failed_ || !context_ || !canvas_ || !canvas_->IsShownOnScreen()) return false;
  if (!canvas_->SetCurrent(*context_)) {
    DeviceFailed(kNoInitText);
    return false;
  }
  if (const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER)))
    catalog_.hardware = !IsSoftwareRenderer(renderer);
  maxTextureSize_ = TerrainRenderer::MaxTextureSize();
  if (!renderer_.Create()) {
    DeviceFailed(kGenericText);
    return false;
  }
  ready_ = true;
  RestoreDeviceResources();
  // The device is ready: time starts.
  pacer_.SetPaused(false);
  return true;
}

bool C3DDialog::MakeCurrent() {
  if (!EnsureDevice()) return false;
  return canvas_->SetCurrent(*context_);
}

void C3DDialog::ReleaseDeviceResources() {
  if (!ready_ || !canvas_->SetCurrent(*context_)) return;
  renderer_.Release();
}

void C3DDialog::BuildTerrain(float scale, bool resetView) {
  ++builds_;
  builtTheme_ = doc_.GetVisibleTheme();
  builtArea_ = doc_.currentArea;
  const TerrainInput in = TerrainInputOf(doc_, exaggeration, scale, vertexLimit_);
  if (!MakeCurrent()) {
    mesh_ = in.elevation ? BuildTerrainMesh(in) : TerrainMesh{};
    return;
  }
  wxBusyCursor wait;
  // The first frame's faces are drawn while the map picture is made; the paint that follows
  // only looks the map up.
  const wxSize size = canvas_ ? canvas_->GetClientSize() : wxSize(0, 0);
  FirstFrame first{size.x, size.y, [&](const TerrainMesh& mesh) {
                     if (resetView) ResetView(mesh.radius);
                     return SceneOf(mesh, size.x, size.y);
                   }};
  TerrainScene scene = BuildTerrainScene(doc_, in, textureDensity, maxTextureSize_, renderer_, first);
  mesh_ = std::move(scene.mesh);
  if (!scene.meshUploaded) DeviceFailed(kVideoMemoryText);
  else if (scene.textureFailed) platform::Tell("Unable to load texture.");
}

void C3DDialog::RestoreDeviceResources() {
  if (failed_) return;
  BuildTerrain(1.0f, true);
  ResetView(mesh_.radius);
}

void C3DDialog::ResetView(float radius) {
  const wxSize size = canvas_ ? canvas_->GetClientSize() : wxSize(0, 0);
  const int w = std::max(size.x, 1), h = std::max(size.y, 1);
  trackball_.Reset();
  trackball_.SetWindow(w, h, 1.0f);
  trackball_.SetTranslationRadius(radius);
  trackball_.SetRotationX(5.497787f);  // tilted 45 degrees towards the viewer
}

SceneState C3DDialog::Scene(int width, int height) const { return SceneOf(mesh_, width, height); }

SceneState C3DDialog::SceneOf(const TerrainMesh& mesh, int width, int height) const {
  SceneState scene;
  const SceneTransforms t =
      ComputeTransforms(mesh, trackball_.RotationMatrix(), trackball_.TranslationMatrix(), width, height);
  scene.world = t.world;
  scene.view = t.view;
  scene.projection = t.projection;
  scene.light = LightDirection(mesh.centre, azimuth, inclination);
  Channels(ambient, scene.ambient);
  Channels(background, scene.background);
  return scene;
}

void C3DDialog::OnPaint() {
  wxPaintDC dc(canvas_);
  if (!MakeCurrent()) return;
  // Paused, the scene is shown as it stands and time does not move.
  if (pacer_.Active()) RenderFrame();
  else DrawScene();
}

bool C3DDialog::RenderFrame() {
  if (!MakeCurrent()) return false;
  if (!pacer_.BeginFrame()) {
    if (!retry_.IsRunning()) retry_.StartOnce(1);
    return false;
  }
  DrawScene();
  ++framesDrawn_;
  return true;
}

void C3DDialog::DrawScene() {
  const wxSize s = canvas_->GetClientSize();
  if (s.x <= 0 || s.y <= 0) return;
  renderer_.Render(s.x, s.y, Scene(s.x, s.y));
  canvas_->SwapBuffers();
  if (TerrainRenderer::OutOfMemory()) DeviceFailed(kVideoMemoryText);
}

void C3DDialog::OnSize() {
  const wxSize s = canvas_->GetClientSize();
  trackball_.SetWindow(std::max(s.x, 1), std::max(s.y, 1), 1.0f);
  trackball_.SetTranslationRadius(mesh_.radius);
  canvas_->Refresh(false);
}

void C3DDialog::Mouse(MouseMessage message, int x, int y, unsigned buttons) {
  const bool taken = trackball_.HandleMouse(message, x, y, buttons);
  // A move with no button held changes nothing: no frame is drawn for it.
  if (taken && canvas_ && (message != MouseMessage::Move || buttons != 0)) canvas_->Refresh(false);
}

platform::Image C3DDialog::Snapshot() {
  platform::Image out;
  if (!MakeCurrent()) return out;
  const wxSize s = canvas_->GetClientSize();
  const int w = s.x, h = s.y;
  if (w <= 0 || h <= 0) return out;
  const std::vector<std::uint8_t> rgba = renderer_.RenderOffscreen(w, h, Scene(w, h));
  if (!rgba.empty()) out.FromRgbaBytes(w, h, rgba.data());
  return out;
}

bool C3DDialog::SaveSnapshot(const std::string& path) {
  std::string last = path.size() >= 3 ? path.substr(path.size() - 3) : path;
  std::transform(last.begin(), last.end(), last.begin(), [](unsigned char c) { return std::tolower(c); });
  if (last != "bmp" && last != "jpg" && last != "png" && last != "dib") {
    platform::Tell("Unrecognized image file format specified.\nPlease specify on of the available formats (bmp, jgp, png, dib)");
    return false;
  }
  const platform::Image picture = Snapshot();
  if (picture.IsEmpty()) {
    platform::Tell("The 3D view could not be drawn for \"" + path + "\".");
    return false;
  }
  // A device-independent bitmap is a bitmap file.
  if (platform::ui::SaveImageFile(picture, path, last == "dib" ? "bmp" : last)) return true;
  platform::Tell("The picture could not be saved as \"" + path + "\": the file could not be written.");
  return false;
}

void C3DDialog::OnFileSaveAs() {
  platform::FileDialogOptions options;
  options.filter = "Bitmap File (*.bmp)|*.bmp|JPEG File (*.jpg)|*.jpg|PNG File (*.png)|*.png|DIB File (*.dib)|*.dib||";
  options.defaultExt = "bmp";
  options.overwritePrompt = true;
  const std::optional<std::string> path = platform::CurrentDialogs().ChooseSaveFile(options);
  if (path) SaveSnapshot(*path);
}

void C3DDialog::OnOptions() {
  C3DPropertySheet sheet(this, *this);
  sheet.ShowModal();
}

}  // namespace views::ui

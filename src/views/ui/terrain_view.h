#pragma once
// The 3D window: the current analysis area's elevation as a lit surface textured with the map
// picture, turned, panned and dollied with the mouse, drawn through OpenGL 3.3 on demand.
// One per project. A failing GL device closes this window with a message, nothing else.
#include <wx/frame.h>
#include <wx/timer.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/image.h"
#include "project/document.h"
#include "views/device_catalog.h"
#include "views/terrain_mesh.h"
#include "views/trackball.h"
#include "views/ui/terrain_renderer.h"
#include "views/view_commands.h"

class wxGLCanvas;
class wxGLContext;

namespace views::ui {

// The OpenGL version the window asks for (3.3 core); tests ask for one no driver has.
void SetRequiredGlVersion(int major, int minor);
// Tests change what the display reports (a desktop no window can be drawn on) and give the
// frame timer a clock of their own; empty restores the platform's.
void SetPlatformReportFilter(std::function<void(PlatformReport&)> filter);
void SetFrameClock(FrameTimer::Clock clock, std::int64_t ticksPerSecond);

class C3DDialog : public wxFrame, public DocumentObserver {
 public:
  static constexpr int kCommand = cmd::k3DWindow;
  static constexpr int kSaveAs = 32935;
  static constexpr int kClose = 32910;
  static constexpr int kOptions = 32900;
  static constexpr int kHelp = 32909;
  static constexpr std::uint32_t kDefaultBackground = 0x00B5B5FF;  // 0x00RRGGBB
  static constexpr std::uint32_t kDefaultAmbient = 0x00444444;

  C3DDialog(wxWindow* parent, CPVN4Doc& doc);
  ~C3DDialog() override;

  // The command: shows the project's window, or makes one. Nothing without a landscape.
  // Where no window can be drawn on the desktop, the window covers the whole screen
  // (without its menu; Escape closes it).
  static void On3DWindow(wxWindow* parent, CPVN4Doc& doc);
  static bool Is3DWindowEnabled(const CPVN4Doc& doc);
  static C3DDialog* Of(const CPVN4Doc& doc);

  // Terrain, texture, light, trackball and projection from the project and the settings.
  void RestoreDeviceResources();
  // Mesh and texture from the project's current state; the camera is left alone.
  // resetView: the trackball starts afresh for the new mesh (the window's first build).
  void BuildTerrain(float scale, bool resetView = false);
  void ResetView(float radius);
  // Mesh and texture built again and shown, once the device is ready.
  void Rebuild();
  // One frame drawn off screen at the drawing area's size and read back; empty on failure.
  platform::Image Snapshot();
  // Saves a snapshot; the format follows the last three letters of the path. False when
  // nothing was written (the reason told).
  bool SaveSnapshot(const std::string& path);
  void OnFileSaveAs();
  void OnOptions();

  // A newly visible theme or another current area rebuilds the surface and its picture.
  void OnUpdate(CPVN4Doc& doc, int hint) override;
  void OnDocumentDestroyed(CPVN4Doc& doc) override;

  // Settings the options page edits.
  float exaggeration = 1.0f;
  float azimuth = 315.0f;
  float inclination = 75.0f;
  std::uint32_t background = kDefaultBackground;
  std::uint32_t ambient = kDefaultAmbient;
  double textureDensity = 4.0;

  std::uint32_t VertexLimit() const { return vertexLimit_; }
  bool Uses32BitIndices() const { return use32_; }
  std::uint32_t Rows() const { return mesh_.strides.rows; }
  std::uint32_t Columns() const { return mesh_.strides.columns; }
  const TerrainMesh& Mesh() const { return mesh_; }
  const DeviceCatalog& Catalog() const { return catalog_; }
  const CTrackball& Trackball() const { return trackball_; }
  wxGLCanvas* Canvas() const { return canvas_; }
  bool HasTexture() const { return renderer_.HasTexture(); }
  // The device's resources are made (the drawing area has been on screen).
  bool Ready() const { return ready_; }
  // Tests drive the mouse through this, as the drawing area's events do.
  void Mouse(MouseMessage message, int x, int y, unsigned buttons);
  // The device was made for the whole screen rather than a window.
  bool FullScreenDevice() const { return fullscreen_; }
  // One frame drawn and shown when time has moved on since the last; false when not drawn.
  bool RenderFrame();
  // Frames drawn so far (a paint while paused draws the scene as it stands, without a frame).
  long FramesDrawn() const { return framesDrawn_; }
  bool Active() const { return pacer_.Active(); }
  // Surfaces built so far (each with its texture).
  long Builds() const { return builds_; }

 private:
  bool CreateDevice();
  bool EnsureDevice();
  bool MakeCurrent();
  void ReleaseDeviceResources();
  SceneState Scene(int width, int height) const;
  SceneState SceneOf(const TerrainMesh& mesh, int width, int height) const;
  void DeviceFailed(const std::string& text);
  void OnPaint();
  void OnSize();
  void ApplyWindowMode();
  void DrawScene();

  CPVN4Doc& doc_;
  bool docGone_ = false;
  bool failed_ = false;
  bool ready_ = false;
  wxGLCanvas* canvas_ = nullptr;
  std::unique_ptr<wxGLContext> context_;
  DeviceCatalog catalog_;
  CTrackball trackball_;
  TerrainMesh mesh_;
  std::uint32_t vertexLimit_ = kVertexLimitCap;
  bool use32_ = false;
  int maxTextureSize_ = 0;
  TerrainRenderer renderer_;
  FramePacer pacer_;
  long framesDrawn_ = 0;
  long builds_ = 0;
  // A frame not drawn for want of time is drawn once time has moved on.
  wxTimer retry_;
  bool fullscreen_ = false;
  DisplayMode fullscreenMode_;
  bool modeChanged_ = false;
  bool iconized_ = false;
  // What the surface was last built from, compared only, never followed.
  const void* builtTheme_ = nullptr;
  const void* builtArea_ = nullptr;
};

}  // namespace views::ui

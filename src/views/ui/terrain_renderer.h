#pragma once
// Draws the terrain mesh with OpenGL 3.3 core in the context current on the calling thread:
// the lighting (ambient x material + max(0, N . -L) x white, clamped) modulates the map
// texture in a shader. No window of its own: the 3D window and the benchmark give it one.
// A frame is drawn in two passes: the faces into a surface frame that keeps each pixel's
// lighting and map coordinates, then the map looked up through them. The faces, which are
// most of the work on a software device, can so be drawn while the map picture is made.
#include <cstdint>
#include <vector>

#include "platform/image.h"
#include "views/scene_math.h"

namespace views {
struct TerrainMesh;
}

namespace views::ui {

struct SceneState {
  math::Mat4 world, view, projection;
  math::Vec3 light;                 // the light's travel direction
  float ambient[3] = {0, 0, 0};     // 0..1
  float background[3] = {0, 0, 0};  // 0..1
};

class TerrainRenderer {
 public:
  TerrainRenderer() = default;
  TerrainRenderer(const TerrainRenderer&) = delete;
  TerrainRenderer& operator=(const TerrainRenderer&) = delete;

  // Compiles the shaders and makes the buffers; false when the context refuses them.
  bool Create();
  void Release();
  bool Ready() const { return program_ != 0; }
  // False when the device has no memory for them.
  bool UploadMesh(const TerrainMesh& mesh);
  // Storage for a texture of this size, made before its picture is ready (the present one is
  // kept when its size is the same); false when the device refuses it.
  bool ReserveTexture(int width, int height);
  // The map picture into the reserved texture of its size, straight from cairo's pixels. The
  // picture is opaque (the map is painted over a filled background), so its premultiplied
  // words are its colours.
  bool FillTexture(const platform::Image& picture);
  void ClearTexture();
  bool HasTexture() const { return texture_ != 0; }
  // Clears to the background and draws the faces into the bound frame buffer; the faces' pass
  // is skipped when DrawSurface already drew it for this size and scene.
  void Render(int width, int height, const SceneState& scene);
  // The faces' pass of a frame alone, kept for the Render of the same size and scene; it needs
  // no texture. False when the device refuses its frame buffer.
  bool DrawSurface(int width, int height, const SceneState& scene);
  // One frame drawn into an off-screen frame buffer and read back: RGBA rows from the top,
  // empty on failure.
  std::vector<std::uint8_t> RenderOffscreen(int width, int height, const SceneState& scene);
  static int MaxTextureSize();
  // GL_OUT_OF_MEMORY since the last call.
  static bool OutOfMemory();

 private:
  bool BindOffscreen(int width, int height);
  void ReleaseOffscreen();
  bool BindSurfaceFrame(int width, int height);
  void ReleaseSurfaceFrame();
  bool SurfaceDrawnFor(int width, int height, const SceneState& scene) const;

  std::uint32_t program_ = 0, greyProgram_ = 0, compose_ = 0, vao_ = 0, emptyVao_ = 0, vbo_ = 0, ebo_ = 0, texture_ = 0;
  std::uint32_t fbo_ = 0, colour_ = 0;
  // The faces' pass: lighting and map coordinates, with its depth.
  std::uint32_t surfaceFbo_ = 0, surfaceTargets_[2] = {0, 0}, surfaceDepth_ = 0;
  int surfaceWidth_ = 0, surfaceHeight_ = 0;
  bool surfaceDrawn_ = false;
  SceneState surfaceScene_;
  int offscreenWidth_ = 0, offscreenHeight_ = 0;
  std::size_t indexCount_ = 0;
  int textureWidth_ = 0, textureHeight_ = 0;
};

}  // namespace views::ui

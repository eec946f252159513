#pragma once
// Draws the terrain mesh with OpenGL 3.3 core in the context current on the calling thread:
// the lighting (ambient x material + max(0, N . -L) x white, clamped) modulates the map
// texture in a shader. No window of its own: the 3D window and the benchmark give it one.
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
  // Clears to the background and draws the faces into the bound frame buffer.
  void Render(int width, int height, const SceneState& scene);
  // One frame drawn into an off-screen frame buffer and read back: RGBA rows from the top,
  // empty on failure.
  std::vector<std::uint8_t> RenderOffscreen(int width, int height, const SceneState& scene);
  static int MaxTextureSize();
  // GL_OUT_OF_MEMORY since the last call.
  static bool OutOfMemory();

 private:
  bool BindOffscreen(int width, int height);
  void ReleaseOffscreen();

  std::uint32_t program_ = 0, vao_ = 0, vbo_ = 0, ebo_ = 0, texture_ = 0;
  std::uint32_t fbo_ = 0, colour_ = 0, depth_ = 0;
  int offscreenWidth_ = 0, offscreenHeight_ = 0;
  std::size_t indexCount_ = 0;
  int textureWidth_ = 0, textureHeight_ = 0;
};

}  // namespace views::ui

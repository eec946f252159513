#pragma once
// The 3D view's surface and its map picture made together: the picture is drawn on a helper
// thread while this thread, which owns the GL context, builds and uploads the mesh, draws the
// first frame's faces and has the texture's storage made; then the picture goes to the texture. The calling thread waits for the helper, so
// nothing changes the project while it reads it.
#include <functional>

#include "views/terrain_mesh.h"
#include "views/ui/terrain_renderer.h"

class CPVN4Doc;

namespace views::ui {

struct TerrainScene {
  TerrainMesh mesh;
  // False when the device has no memory for the mesh.
  bool meshUploaded = false;
  // A picture was asked for (a mesh and a current area) but no texture came of it.
  bool textureFailed = false;
};

// The first frame the window will show of the new mesh: its faces are drawn while the map
// picture is still being made, and the window's next Render of that size and scene only looks
// the map up.
struct FirstFrame {
  int width = 0, height = 0;
  std::function<SceneState(const TerrainMesh&)> scene;
};

// The renderer's context must be current on the calling thread. Without a current area or a
// mesh, no texture.
TerrainScene BuildTerrainScene(CPVN4Doc& doc, const TerrainInput& in, double textureDensity, int maxTextureSize,
                               TerrainRenderer& renderer, const FirstFrame& first = {});

}  // namespace views::ui

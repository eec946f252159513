#pragma once
// The 3D view's surface and its map picture made together: the picture is drawn on a helper
// thread while this thread, which owns the GL context, has the texture's storage made and
// builds the mesh; then both go to the renderer. The calling thread waits for the helper, so
// nothing changes the project while it reads it.
#include "views/terrain_mesh.h"

class CPVN4Doc;

namespace views::ui {

class TerrainRenderer;

struct TerrainScene {
  TerrainMesh mesh;
  // False when the device has no memory for the mesh.
  bool meshUploaded = false;
  // A picture was asked for (a mesh and a current area) but no texture came of it.
  bool textureFailed = false;
};

// The renderer's context must be current on the calling thread. Without a current area or a
// mesh, no texture.
TerrainScene BuildTerrainScene(CPVN4Doc& doc, const TerrainInput& in, double textureDensity, int maxTextureSize,
                               TerrainRenderer& renderer);

}  // namespace views::ui

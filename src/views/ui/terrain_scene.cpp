#include "views/ui/terrain_scene.h"

#include <future>

#include "platform/image.h"
#include "project/document.h"
#include "project/work_area.h"
#include "views/ui/terrain_renderer.h"

namespace views::ui {

TerrainScene BuildTerrainScene(CPVN4Doc& doc, const TerrainInput& in, double textureDensity, int maxTextureSize,
                               TerrainRenderer& renderer) {
  TerrainScene scene;
  const MeshStrides strides = StridesOf(in);
  const CPyrvane2WorkArea* area = doc.currentArea;
  const bool textured = strides.rows > 0 && strides.columns > 0 && area;
  platform::Image picture;
  TextureSize size;
  if (textured) {
    size = TextureRect(strides.rows, strides.columns, textureDensity, maxTextureSize);
    // The picture is one pixel larger than its rectangle. Made here, so that a refusal is
    // told from this thread; one without a visible theme stays unpainted and so is dropped.
    picture = platform::Image(size.width + 1, size.height + 1);
  }
  const bool drawOnHelper = !picture.IsEmpty() && doc.GetVisibleTheme();
  if (!drawOnHelper) renderer.ClearTexture();

  // The helper owns nothing; a failure in it comes back through get().
  std::future<void> drawing;
  if (drawOnHelper)
    drawing = std::async(std::launch::async, [&] {
      doc.DrawMapImage(picture, area->west, area->north, area->east, area->south,
                       PixelRect{0, 0, size.width, size.height});
    });
  // The texture's storage is the slowest part of a software device's upload (fresh memory on
  // every page); it is made while the picture is drawn, and so is the mesh (here, where the
  // memory of the last one is at hand).
  const bool reserved = drawOnHelper && renderer.ReserveTexture(picture.Width(), picture.Height());
  scene.mesh = BuildTerrainMesh(in);
  if (drawing.valid()) drawing.get();

  scene.meshUploaded = renderer.UploadMesh(scene.mesh);
  if (textured) {
    // Without an image (the document says why) or a visible theme there is nothing to show.
    if (picture.IsEmpty()) doc.DrawMapImage(picture, area->west, area->north, area->east, area->south,
                                            PixelRect{0, 0, size.width, size.height});
    scene.textureFailed = !(reserved && renderer.FillTexture(picture));
  }
  return scene;
}

}  // namespace views::ui

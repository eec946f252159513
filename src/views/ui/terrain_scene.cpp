#include "views/ui/terrain_scene.h"

#include <future>

#include "platform/image.h"
#include "project/document.h"
#include "project/work_area.h"
#include "views/ui/terrain_renderer.h"

namespace views::ui {

TerrainScene BuildTerrainScene(CPVN4Doc& doc, const TerrainInput& in, double textureDensity, int maxTextureSize,
                               TerrainRenderer& renderer, const FirstFrame& first) {
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
  // While the picture is drawn, this thread builds and uploads the mesh (here, where the memory
  // of the last one is at hand), draws the first frame's faces, which need no texture, and has
  // the texture's storage made: after that draw, which lets the device drop the last frame's
  // texture, so that its memory serves again.
  scene.mesh = BuildTerrainMesh(in);
  scene.meshUploaded = renderer.UploadMesh(scene.mesh);
  if (scene.meshUploaded && first.scene && first.width > 0 && first.height > 0)
    renderer.DrawSurface(first.width, first.height, first.scene(scene.mesh));
  const bool reserved = drawOnHelper && renderer.ReserveTexture(picture.Width(), picture.Height());
  if (drawing.valid()) drawing.get();

  if (textured) {
    // Without an image (the document says why) or a visible theme there is nothing to show.
    if (picture.IsEmpty()) doc.DrawMapImage(picture, area->west, area->north, area->east, area->south,
                                            PixelRect{0, 0, size.width, size.height});
    scene.textureFailed = !(reserved && renderer.FillTexture(picture));
  }
  return scene;
}

}  // namespace views::ui

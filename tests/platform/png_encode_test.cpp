// The PNG encoder, judged by libpng (through cairo's reader) and by GDAL's PNG driver: the
// pixels come back exactly, in one piece or in many deflated side by side, with a palette
// where the image allows one and RGBA otherwise.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/atomic_file.h"
#include "platform/image.h"
#include "test_folder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Colour type byte of the IHDR chunk.
int ColourType(const std::string& png) { return png.size() > 25 ? static_cast<unsigned char>(png[25]) : -1; }

Image Pattern(int width, int height, int colours) {
  Image img(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      // Runs of one colour, or every pixel its own beyond what a palette holds.
      const int k = colours > 256 ? (y * width + x) % colours : (x / 7 + y / 5 * 3) % colours;
      // A few transparent and half-transparent classes among opaque ones.
      const std::uint8_t a = k == 0 ? 0 : k == 1 ? 128 : 255;
      img.SetPixel(x, y, Rgba{static_cast<std::uint8_t>(k * 37), static_cast<std::uint8_t>(k * 11), static_cast<std::uint8_t>(255 - k), a});
    }
  return img;
}

TEST(PngEncode, PixelsComeBackExactlyWithAPaletteWhereAllowedAndPossible) {
  TestFolder folder;
  struct Case {
    int width, height, colours;
    Image::PngColours asked;
    int colourType;  // 3 palette, 6 RGBA
  } cases[] = {
      {20, 10, 12, Image::PngColours::PaletteWherePossible, 3},
      {20, 10, 12, Image::PngColours::Rgba, 6},
      {1, 1, 1, Image::PngColours::PaletteWherePossible, 3},
      {40, 30, 600, Image::PngColours::PaletteWherePossible, 6},    // too many colours
      {1500, 700, 256, Image::PngColours::PaletteWherePossible, 3}, // many deflated pieces
      {700, 500, 300, Image::PngColours::PaletteWherePossible, 6},  // many pieces, RGBA
  };
  for (const Case& c : cases) {
    const Image img = Pattern(c.width, c.height, c.colours);
    std::string png;
    ASSERT_TRUE(img.EncodePng(png, c.asked));
    EXPECT_EQ(ColourType(png), c.colourType) << c.width << "x" << c.height;
    const std::string path = (folder.Path() / "p.png").string();
    ASSERT_TRUE(WriteFileAtomically(path, png));
    Image back;
    ASSERT_TRUE(back.LoadPng(path)) << c.width << "x" << c.height;
    ASSERT_EQ(back.Width(), c.width);
    EXPECT_TRUE(back.ToRgbaBytes() == img.ToRgbaBytes()) << c.width << "x" << c.height;
  }
  std::string out = "x";
  EXPECT_FALSE(Image().EncodePng(out));
  EXPECT_TRUE(out.empty());
}

// GDAL reads a palette image as one band with the palette's colours and transparency.
TEST(PngEncode, GdalReadsThePaletteAndItsTransparency) {
  TestFolder folder;
  const Image img = Pattern(30, 20, 5);
  const std::string path = (folder.Path() / "pal.png").string();
  std::string png;
  ASSERT_TRUE(img.EncodePng(png, Image::PngColours::PaletteWherePossible));
  ASSERT_TRUE(WriteFileAtomically(path, png));
  const std::string cmd = std::string(PV_PYTHON) + " -c \"from osgeo import gdal; d=gdal.Open('" + path +
                          "'); b=d.GetRasterBand(1); t=b.GetColorTable(); v=b.ReadAsArray();"
                          " print(d.RasterCount, [t.GetColorEntry(int(v[y,x])) for (x,y) in ((0,0),(7,0),(14,0))])\"";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[256] = {};
  std::fgets(buf, sizeof buf, p);
  pclose(p);
  // Class 0 transparent, class 1 half transparent (colour rounded through premultiplying).
  const Rgba half = img.GetPixel(7, 0);
  const std::string expected = "1 [(0, 0, 0, 0), (" + std::to_string(half.r) + ", " + std::to_string(half.g) + ", " +
                               std::to_string(half.b) + ", 128), (74, 22, 253, 255)]\n";
  EXPECT_EQ(buf, expected);
}

}  // namespace
}  // namespace platform

// Bitmap files of the cell grid read through the toolkit's codecs; the files are written by
// GDAL's BMP driver, an independent writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "gridmodel/ug_ctrl.h"
#include "platform/ui/wx_image.h"

namespace fs = std::filesystem;

TEST(UGBitmapFiles, PalettedAndTrueColourBmpLoadWithTheirColours) {
  const fs::path dir = fs::temp_directory_path() / "ug-bitmaps";
  fs::create_directories(dir);
  const std::string paletted = (dir / "pal.bmp").string(), rgb = (dir / "rgb.bmp").string();
  // 8 bits with a 256-entry colour table (index 3 = orange), and 24-bit true colour.
  const std::string script = std::string(PV_PYTHON) + " - " + paletted + " " + rgb + " <<'EOF'\n" +
                             "import sys, numpy\n"
                             "from osgeo import gdal\n"
                             "drv = gdal.GetDriverByName('BMP')\n"
                             "ds = drv.Create(sys.argv[1], 6, 4, 1, gdal.GDT_Byte)\n"
                             "ct = gdal.ColorTable()\n"
                             "for i in range(256): ct.SetColorEntry(i, (i, i, i, 255))\n"
                             "ct.SetColorEntry(3, (255, 128, 0, 255))\n"
                             "b = ds.GetRasterBand(1); b.SetRasterColorTable(ct)\n"
                             "a = numpy.zeros((4, 6), numpy.uint8); a[1, 2] = 3; b.WriteArray(a)\n"
                             "ds = None\n"
                             "ds = drv.Create(sys.argv[2], 5, 3, 3, gdal.GDT_Byte)\n"
                             "for i, v in enumerate((10, 200, 30)):\n"
                             "    a = numpy.zeros((3, 5), numpy.uint8); a[2, 4] = v; ds.GetRasterBand(i + 1).WriteArray(a)\n"
                             "ds = None\n"
                             "EOF";
  ASSERT_EQ(std::system(script.c_str()), 0);

  gridmodel::CUGCtrl grid;
  grid.SetBitmapLoader(platform::ui::LoadImageFile);
  const int p = grid.AddBitmapFile(paletted), t = grid.AddBitmapFile(rgb);
  ASSERT_EQ(p, 0);
  ASSERT_EQ(t, 1);
  const platform::Image* pi = grid.GetBitmap(p);
  EXPECT_EQ(pi->Width(), 6);
  EXPECT_EQ(pi->Height(), 4);
  EXPECT_EQ(pi->GetPixel(2, 1), (platform::Rgba{255, 128, 0, 255}));
  EXPECT_EQ(pi->GetPixel(0, 0), (platform::Rgba{0, 0, 0, 255}));
  const platform::Image* ti = grid.GetBitmap(t);
  EXPECT_EQ(ti->Width(), 5);
  EXPECT_EQ(ti->GetPixel(4, 2), (platform::Rgba{10, 200, 30, 255}));

  // A file that is not an image is refused with its name, and nothing is added.
  const std::string text = (dir / "notes.bmp").string();
  if (std::FILE* f = std::fopen(text.c_str(), "w")) {
    std::fputs("BM but not a bitmap", f);
    std::fclose(f);
  }
  std::string error;
  EXPECT_EQ(grid.AddBitmapFile(text, &error), -1);
  EXPECT_NE(error.find("notes.bmp"), std::string::npos);
  EXPECT_EQ(grid.AddBitmapFile((dir / "absent.bmp").string()), -1);
  EXPECT_EQ(grid.GetBitmapCount(), 2);
  fs::remove_all(dir);
}

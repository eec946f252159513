// The engines' landscape reader: every cell as written, and files it refuses.
#include "engines/landscape_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>
#include <unistd.h>

TEST(EngineLandscape, CellSizeThatIsNotPositiveIsRefused) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("pv_engine_cellsize_" + std::to_string(::getpid()) + ".lcp"))
                               .string();
  for (double size : {30.0, 0.0, -30.0, std::numeric_limits<double>::quiet_NaN()}) {
    SCOPED_TRACE(size);
    CHeaderData h = engines::MakeStandardHeader(2, 3, 1000, 2000, 30, false);
    h.cellWidth = size;
    {
      std::ofstream out(path, std::ios::binary);
      out << h.SerializeHeader() << std::string(2 * 3 * 5 * 2, '\1');
    }
    std::string error;
    auto land = engines::OpenLandscape(path, &error);
    EXPECT_EQ(land != nullptr, size > 0) << error;
    if (!land) EXPECT_NE(error.find("cell size"), std::string::npos) << error;
  }
  std::remove(path.c_str());
}

// A landscape file of many blocks of rows (read side by side) and one cut short: every cell of
// every band as GDAL's own landscape driver wrote it, and a refusal for the short file.
TEST(EngineLandscape, LargeFileReadsEveryCellAsWrittenAndShortFileIsRefused) {
  const auto dir = std::filesystem::temp_directory_path() / ("pv_engine_lcpblocks_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string lcp = (dir / "land.lcp").string(), raw = (dir / "cells.bin").string();
  const int rows = 301, cols = 517;  // several blocks, the last one partial
  const std::string py = std::string(PV_PYTHON) + " - <<'EOF'\n"
      "from osgeo import gdal\nimport numpy as np\n"
      "rng = np.random.default_rng(7)\n"
      // At most 90 values a band (the driver lists each band's values), a different range each.
      "a = (rng.integers(0, 90, size=(8, " + std::to_string(rows) + ", " + std::to_string(cols) +
      ")) + 100 * np.arange(8)[:, None, None]).astype(np.int16)\n"
      "src = gdal.GetDriverByName('MEM').Create('', a.shape[2], a.shape[1], 8, gdal.GDT_Int16)\n"
      "src.SetGeoTransform([500000.0, 30.0, 0, 4000000.0, 0, -30.0])\n"
      "for k in range(8):\n"
      "    src.GetRasterBand(k + 1).WriteArray(a[k])\n"
      "gdal.GetDriverByName('LCP').CreateCopy('" + lcp + "', src, options=['LATITUDE=45', 'LINEAR_UNIT=METER'])\n"
      "a.tofile('" + raw + "')\n"
      "EOF\n";
  ASSERT_EQ(std::system(py.c_str()), 0);
  std::string error;
  auto land = engines::OpenLandscape(lcp, &error);
  ASSERT_TRUE(land) << error;
  ASSERT_EQ(land->Header().rows, rows);
  ASSERT_EQ(land->Header().columns, cols);
  std::vector<std::int16_t> expect(static_cast<size_t>(8) * rows * cols);
  std::ifstream(raw, std::ios::binary).read(reinterpret_cast<char*>(expect.data()), expect.size() * 2);
  for (int k = 0; k < 8; ++k) {
    const std::int16_t* cells = land->Layer(k);
    ASSERT_TRUE(cells) << k;
    EXPECT_TRUE(std::equal(cells, cells + rows * cols, expect.begin() + static_cast<long>(k) * rows * cols)) << "band " << k;
  }
  std::filesystem::resize_file(lcp, std::filesystem::file_size(lcp) - 2);
  EXPECT_EQ(engines::OpenLandscape(lcp, &error), nullptr);
  EXPECT_NE(error.find("cut short"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

// The engines' landscape reader refuses grids whose cells have no size.
#include "engines/landscape_source.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
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

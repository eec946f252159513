#pragma once
// Shared fixture of the project tests: a private working folder, a small synthetic
// landscape built straight into a document, and a runner for shell oracles.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/theme.h"

namespace project_test {

// A theme over (west, south) with the cells given row by row from the north.
inline std::unique_ptr<CTheme> MakeTheme(int layerType, int rows, int columns, double cellWidth,
                                         double cellHeight, const std::vector<float>& cells,
                                         double west = 0, double south = 0) {
  auto t = std::make_unique<CTheme>();
  EXPECT_EQ(t->CreateFromFloats("layer " + std::to_string(layerType), south, west, cellWidth,
                                cellHeight, rows, columns, -9999.0f, cells.data(), 0, layerType),
            1);
  return t;
}

using CellFn = std::function<float(int layer, int row, int column)>;

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pv_project_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    previous_ = platform::WorkingFolder();
    platform::SetWorkingFolder(dir_);
    savedPrefs_ = static_cast<StoredPreferences&>(GetApp());
  }
  void TearDown() override {
    doc_.reset();
    static_cast<StoredPreferences&>(GetApp()) = savedPrefs_;
    GetApp().predefinedLegends.clear();
    GetApp().predefinedWVLegends.clear();
    platform::SetWorkingFolder(previous_);
    std::filesystem::remove_all(dir_);
  }

  // A five-layer landscape of rows x columns cells with its origin at (0, 0), loaded into a
  // new document that gets its default area and shows the fuel-model layer.
  CPVN4Doc& MakeLandscape(int rows, int columns, double cellWidth, double cellHeight,
                          const CellFn& cell) {
    doc_ = std::make_unique<CPVN4Doc>();
    CPVN4Doc& doc = *doc_;
    CHeaderData& h = doc.landscape.header;
    h.rows = rows;
    h.columns = columns;
    h.cellWidth = cellWidth;
    h.cellHeight = cellHeight;
    h.west = h.westEdge = 0;
    h.south = h.southEdge = 0;
    h.east = h.eastEdge = columns * cellWidth;
    h.north = h.northEdge = rows * cellHeight;
    for (int layer = 0; layer < 5; ++layer) {
      std::vector<float> cells(static_cast<std::size_t>(rows) * columns);
      float lo = 1e9f, hi = -1e9f;
      for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
          const float v = cell(layer, r, c);
          cells[static_cast<std::size_t>(r) * columns + c] = v;
          if (v != -9999.0f) lo = std::min(lo, v), hi = std::max(hi, v);
        }
      h.layerStats[layer].low = static_cast<int>(lo);
      h.layerStats[layer].high = static_cast<int>(hi);
      h.layerStats[layer].count = -1;
      auto theme = MakeTheme(layer, rows, columns, cellWidth, cellHeight, cells);
      doc.landscape.layers[layer] = theme.get();
      doc.gridThemes.push_back(std::move(theme));
    }
    doc.landscape.bandCount = 5;
    doc.landscape.loaded = true;
    doc.landscape.path = dir_ + "/synthetic.lcp";
    EXPECT_NE(doc.CreateWorkArea(h.north, h.east, h.south, h.west, "Entire Landscape (Default)"), nullptr);
    doc.ShowFuelModelLayer();
    doc.SetModifiedFlag(false);
    return doc;
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::unique_ptr<CPVN4Doc> doc_;
  std::string dir_, previous_;
  StoredPreferences savedPrefs_;
};

// Output of a shell command; the test fails when it does not succeed.
inline std::string RunCommand(const std::string& command) {
  std::string out;
  std::FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0) << command << "\n" << out;
  return out;
}

inline std::string SamplePath(const std::string& name) {
  return std::string(PV_SOURCE_DIR) + "/data/sample/" + name;
}

}  // namespace project_test

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/layer_types.h"
#include "platform/messages.h"
#include "themes_test_support.h"

using themes_test::MakeTheme;
using themes_test::TempFolderTest;

namespace {

class ThemeCells : public TempFolderTest {};

// 3 rows x 4 columns, cell 30, west 1000, south 2000: north 2090, east 1120.
std::vector<float> Cells12() {
  std::vector<float> v(12);
  for (int i = 0; i < 12; ++i) v[static_cast<std::size_t>(i)] = static_cast<float>(i + 1);
  return v;
}

TEST_F(ThemeCells, GetValueAtPutsEdgesInsideAndOutsideIsNoData) {
  auto t = MakeTheme(3, 4, Cells12());
  struct Case {
    double x, y;
    float value;
  } cases[] = {
      {1000, 2090, 1},      // north-west corner: row 0, column 0
      {1120, 2090, 4},      // east edge: last column
      {1000, 2000, 9},      // south edge: last row
      {1120, 2000, 12},     // south-east corner
      {1045, 2045, 6},      // interior: row 1, column 1
      {999.999, 2045, kNoData},
      {1120.001, 2045, kNoData},
      {1045, 2090.001, kNoData},
      {1045, 1999.999, kNoData},
  };
  for (const auto& c : cases) EXPECT_EQ(t->GetValueAt(c.x, c.y), c.value) << c.x << "," << c.y;
  int col, row;
  t->GetCellAt(1120, 2000, col, row);
  EXPECT_EQ(col, 3);
  EXPECT_EQ(row, 2);
  t->GetCellAt(0, 0, col, row);
  EXPECT_EQ(col, -9999);
  EXPECT_EQ(row, -9999);
  double x, y;
  t->GetCellCenter(2, 3, x, y);
  EXPECT_DOUBLE_EQ(x, 1105);
  EXPECT_DOUBLE_EQ(y, 2015);
  EXPECT_EQ(t->GetValueAt(x, y), 12);
}

TEST_F(ThemeCells, SetTakesRowFirstGetTakesColumnFirstAndOnlyMemoryIsWritable) {
  auto t = MakeTheme(3, 4, Cells12());
  platform::ScopedRecordingMessages messages;
  t->SetCellValue(2, 1, 99);
  EXPECT_EQ(t->GetCellValue(1, 2), 10) << "a scratch-backed theme is read-only";
  EXPECT_EQ(messages.Texts().size(), 1u);

  ASSERT_TRUE(t->LoadMemoryGrid());
  t->SetCellValue(2, 1, 99);
  t->SetCellValue(5, 1, 77);  // outside: ignored
  EXPECT_EQ(t->GetCellValue(1, 2), 99);
  EXPECT_EQ(t->GetCellValue(2, 1), 7);
  EXPECT_EQ(t->GetCellValue(4, 0), kNoData);
  EXPECT_EQ(t->GetCellValue(-1, 0), kNoData);
  t->FreeMemoryGrid();
  EXPECT_FALSE(t->HasMemoryGrid());
  EXPECT_EQ(t->GetCellValue(1, 2), 10) << "memory edits are not written back to the scratch file";
}

TEST_F(ThemeCells, ScratchFileIsRemovedWithTheThemeOrWhenTheThemeIsRefilled) {
  {
    auto a = MakeTheme(3, 4, Cells12());
    auto b = MakeTheme(3, 4, Cells12());
    EXPECT_NE(a->ScratchPath(), b->ScratchPath());
    EXPECT_EQ(CountFiles(".pvb"), 2);
    ASSERT_TRUE(a->LoadMemoryGrid());
    const float one = 42;
    ASSERT_EQ(a->CreateFromFloats("again", 0, 0, 1, 1, 1, 1, kNoData, &one, 0, 10), 1);
    EXPECT_EQ(CountFiles(".pvb"), 2);
    EXPECT_FALSE(a->HasMemoryGrid());
    EXPECT_EQ(a->GetCellValue(0, 0), 42);
  }
  EXPECT_EQ(CountFiles(".pvb"), 0);
}

TEST_F(ThemeCells, ScratchThatCannotBeMadeIsReportedAndLeavesNoCells) {
  const std::string blocker = Path("not_a_folder");
  themes_test::WriteBytes(blocker, "x");
  platform::SetWorkingFolder(blocker);
  platform::ScopedRecordingMessages messages;
  CTheme t;
  const float cells[] = {1, 2};
  EXPECT_EQ(t.CreateFromFloats("g", 0, 0, 1, 1, 1, 2, kNoData, cells, 0, 10), 0);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error opening " + blocker + "/*.pvb"});
  EXPECT_EQ(t.GetCellValue(0, 0), kNoData);
}

TEST_F(ThemeCells, MinMaxStartFromTheFirstValidValue) {
  struct Case {
    const char* what;
    std::vector<float> cells;
    double min, max;
  } cases[] = {
      {"all negative", {-5, -3, kNoData, -8}, -8, -3},
      {"mixed", {kNoData, 4, -2, 7}, -2, 7},
      {"all no data keeps the sentinel pair", {kNoData, kNoData, kNoData, kNoData}, 1e9, 0},
      {"NaN is no data", {std::nanf(""), 2, 2, 3}, 2, 3},
  };
  for (const auto& c : cases) {
    auto t = MakeTheme(2, 2, c.cells);
    double mn, mx;
    t->GetMinMax(mn, mx);
    EXPECT_EQ(mn, c.min) << c.what;
    EXPECT_EQ(mx, c.max) << c.what;
  }
  auto t = MakeTheme(3, 4, Cells12());
  double mn, mx;
  t->GetMinMaxInWindow(CellWindow{1, 1, 2, 2}, mn, mx);
  EXPECT_EQ(mn, 6);
  EXPECT_EQ(mx, 11);
  t->GetMinMaxInWindow(CellWindow{0, 2, 3, 1}, mn, mx);
  EXPECT_EQ(mn, 1e9);
  EXPECT_EQ(mx, 0);
}

TEST_F(ThemeCells, UniqueValuesAreAscendingAndKeepNoData) {
  auto t = MakeTheme(2, 2, {3, kNoData, 1, 3});
  EXPECT_EQ(t->GetUniqueValues(), (std::vector<float>{kNoData, 1, 3}));
  EXPECT_EQ(t->GetUniqueValuesInWindow(CellWindow{0, 1, 1, 1}), (std::vector<float>{1, 3}));
}

// A landscape file: 7316-byte header, then cells of `bands` interleaved 16-bit values.
std::string LandscapeBytes(int rows, int columns, int bands, std::int16_t (*cell)(int, int, int)) {
  std::string bytes(7316, '\0');
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c)
      for (int b = 0; b < bands; ++b) {
        std::int16_t v = cell(r, c, b);
        bytes.append(reinterpret_cast<const char*>(&v), 2);
      }
  return bytes;
}

std::int16_t LcpCell(int r, int c, int b) {
  if (r == 0 && c == 0) return 0;  // elevation 0, aspect class 0
  if (r == 0 && c == 1) return -1;
  if (r == 0 && c == 2) return -9999;
  if (b == 0 && r == 1 && c == 0) return -5;  // below sea level
  if (b == 2) return static_cast<std::int16_t>(1 + 12 * r + c);  // aspect classes, some out of range
  if (b == 4) return static_cast<std::int16_t>(c);  // cover classes
  return static_cast<std::int16_t>(100 * b + 10 * r + c);
}

TEST_F(ThemeCells, LandscapeBandInPlaceAndInMemoryAgreeOnEveryCell) {
  const std::string lcp = Path("land.lcp");
  themes_test::WriteBytes(lcp, LandscapeBytes(3, 4, 8, LcpCell));
  LandscapeGrid g{3, 4, 1120, 1000, 2090, 2000, 30, 30};
  // Elevation keeps 0 and heights below sea level; the other layers lose -1; aspect classes
  // out of range are no data; cover classes become percent.
  const float nd = kNoData;
  const std::vector<float> expected[] = {
      {0, -1, nd, 3, -5, 11, 12, 13, 20, 21, 22, 23},
      {0, nd, nd, 103, 110, 111, 112, 113, 120, 121, 122, 123},
      {nd, nd, nd, 45, 270, 255, 240, 225, 25, nd, nd, nd},
      {0, nd, nd, 75, 0, 25, 50, 75, 0, 25, 50, 75},
  };
  const int layers[] = {0, 1, 2, 4};
  for (int i = 0; i < 4; ++i) {
    const int band = layers[i];
    SCOPED_TRACE(band);
    CTheme inPlace, inMemory;
    ASSERT_EQ(inPlace.OpenLandscapeBand(band, g, lcp, 0, 7316 / 2, 8, band, false), 1);
    ASSERT_EQ(inMemory.OpenLandscapeBand(band, g, lcp, 0, 7316 / 2, 8, band, true), 1);
    EXPECT_TRUE(inPlace.IsReadInPlace());
    EXPECT_FALSE(inMemory.IsReadInPlace());
    EXPECT_EQ(inPlace.name, std::string(GetLandscapeLayerName(band)));
    for (int r = 0; r < 3; ++r) {
      std::vector<std::int16_t> row;
      for (int c = 0; c < 4; ++c)
        for (int b = 0; b < 8; ++b) row.push_back(LcpCell(r, c, b));
      inMemory.SetRowFromLandscape(r, row.data(), 8);
    }
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(inPlace.GetCellValue(c, r), expected[i][static_cast<std::size_t>(r * 4 + c)]) << r << " " << c;
        EXPECT_EQ(inMemory.GetCellValue(c, r), inPlace.GetCellValue(c, r)) << r << " " << c;
      }
    EXPECT_EQ(inMemory.units, inPlace.units);
  }
}

TEST_F(ThemeCells, SevenBandLandscapeRowsGiveDuffAndWoodyFromBandsFiveAndSix) {
  LandscapeGrid g{1, 2, 60, 0, 30, 0, 30, 30};
  const std::int16_t row[] = {0, 1, 2, 3, 4, 5, 6, 10, 11, 12, 13, 14, 15, 16};
  for (auto [type, expected] : {std::pair{8, 5}, {9, 6}, {3, 3}}) {
    CTheme t;
    ASSERT_EQ(t.OpenLandscapeBand(type, g, Path("unused.lcp"), 0, 0, 7, 0, true), 1);
    t.SetRowFromLandscape(0, row, 7);
    EXPECT_EQ(t.GetCellValue(0, 0), expected);
    EXPECT_EQ(t.GetCellValue(1, 0), expected + 10);
  }
}

TEST_F(ThemeCells, ShortLandscapeFileIsRefusedNotReadAsZero) {
  const std::string lcp = Path("short.lcp");
  std::string bytes = LandscapeBytes(3, 4, 8, LcpCell);
  bytes.resize(bytes.size() - 2);
  themes_test::WriteBytes(lcp, bytes);
  platform::ScopedRecordingMessages messages;
  CTheme t;
  EXPECT_EQ(t.OpenLandscapeBand(0, LandscapeGrid{3, 4, 1120, 1000, 2090, 2000, 30, 30}, lcp, 0,
                                7316 / 2, 8, 0, false),
            0);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error opening " + lcp});
  EXPECT_EQ(t.GetCellValue(3, 2), kNoData);
}

}  // namespace

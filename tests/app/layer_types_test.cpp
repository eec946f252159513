#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <thread>
#include <vector>

#include "app/layer_types.h"
#include "app/unit_tables.h"
#include "platform/folders.h"
#include "platform/test_folder.h"

namespace fs = std::filesystem;

namespace {

// A private working folder for each test, restored afterwards.
class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = platform::WorkingFolder();
    dir_ = folder_.Path();
    platform::SetWorkingFolder(dir_.string());
  }
  void TearDown() override { platform::SetWorkingFolder(old_); }
  void Touch(const std::string& name) { std::ofstream(dir_ / name).put('x'); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  TestFolder folder_;
  std::string old_;
  fs::path dir_;
};

}  // namespace

TEST(LayerTypes, NamesAtTableBoundaries) {
  EXPECT_STREQ(GetLayerTypeName(0), "Elevation");
  EXPECT_STREQ(GetLayerTypeName(9), "Coarse Woody Fuels");
  EXPECT_STREQ(GetLayerTypeName(10), "Generic Grid");
  EXPECT_STREQ(GetLayerTypeName(11), "Flame Length");
  EXPECT_STREQ(GetLayerTypeName(28), "Crown Fraction Burned");
  EXPECT_STREQ(GetLayerTypeName(43), "Embrith Reaction Intensity");
  EXPECT_STREQ(GetOutputLayerName(0), "Flame Length");
  EXPECT_STREQ(GetOutputLayerName(32), "Embrith Reaction Intensity");
  EXPECT_STREQ(GetLandscapeLayerName(9), "Coarse Woody Fuels");
  EXPECT_STREQ(GetLayerTypeName(-1), "");
  EXPECT_STREQ(GetLayerTypeName(44), "");
  std::set<std::string> distinct;
  for (int t = 0; t < kLayerTypeCount; ++t) distinct.insert(GetLayerTypeName(t));
  EXPECT_EQ(distinct.size(), 44u);
}

TEST_F(ScratchFolder, PvbTakesSmallestFreeNumberAndReservesIt) {
  Touch("2.pvb");
  std::string first = GetTempPvbFileName();
  EXPECT_EQ(first, Path("1.pvb"));
  EXPECT_TRUE(fs::exists(first));  // reserved, so the next call moves on
  EXPECT_EQ(GetTempPvbFileName(), Path("3.pvb"));
  // A folder of that name blocks the number as well.
  fs::create_directory(dir_ / "1.png");
  EXPECT_EQ(GetTempPngFileName(), Path("2.png"));
  EXPECT_EQ(GetTempTifFileName(), Path("1.tif"));
  EXPECT_EQ(GetTempJpgFileName(), Path("1.jpg"));
}

TEST_F(ScratchFolder, ShpSkipsNumbersWhoseDbfExists) {
  Touch("1.dbf");
  Touch("2.shp");
  std::string shp = GetTempShpFileName();
  EXPECT_EQ(shp, Path("3.shp"));
  EXPECT_TRUE(fs::exists(Path("3.dbf")));
}

TEST_F(ScratchFolder, ConcurrentCallersNeverShareAName) {
  constexpr int kThreads = 8, kEach = 25;
  std::vector<std::vector<std::string>> got(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) got[t].push_back(GetTempPvbFileName());
    });
  for (auto& th : threads) th.join();
  std::set<std::string> all;
  for (auto& v : got) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), size_t(kThreads * kEach));
  EXPECT_EQ(all.count(""), 0u);
}

TEST(StripLineEnd, CutsAtFirstLineEnd) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {{"abc\r\n", "abc"}, {"abc\n", "abc"}, {"a\rb\n", "a"}, {"abc", "abc"}, {"", ""}};
  for (const auto& c : cases) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s", c.in);
    EXPECT_STREQ(StripLineEnd(buf), c.out);
    std::string s = c.in;
    StripLineEnd(s);
    EXPECT_EQ(s, c.out);
  }
}

TEST(CompareDoubles, StrictWeakOrderingWithNanLast) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> v = {3, nan, -9999, 0.5, nan, 0.5, -INFINITY};
  std::sort(v.begin(), v.end(), DoubleLess);
  EXPECT_EQ(v[0], -INFINITY);
  EXPECT_EQ(v[1], -9999);
  EXPECT_EQ(v[2], 0.5);
  EXPECT_EQ(v[3], 0.5);
  EXPECT_EQ(v[4], 3);
  EXPECT_TRUE(std::isnan(v[5]) && std::isnan(v[6]));
  // Antisymmetry, including the NaN cases the old comparison broke.
  const double vals[] = {nan, -1, 0, 2};
  for (double a : vals)
    for (double b : vals) EXPECT_EQ(CompareDoubles(&a, &b), -CompareDoubles(&b, &a)) << a << " " << b;
  EXPECT_EQ(CompareDoubles(&vals[1], &vals[1]), 0);
}

TEST(UnitTables, DisplayUnitsIndexIntoTheTypesList) {
  struct Case { int type; int index; const char* name; };
  const Case cases[] = {
      {0, 1, "Feet"},    {19, 2, "m/sec"}, {19, 3, "ft/min"}, {21, 0, "Radians"},
      {29, 1, "km/h"},   {7, 3, "lb/ft^3*1000"}, {43, 1, "btu/min/ft^2"}, {10, 0, "Class"},
      {10, 1, ""},       {0, -1, ""},      {44, 0, ""},
  };
  for (const auto& c : cases) EXPECT_STREQ(GetDisplayUnitsName(c.type, c.index), c.name) << c.type;
  for (int t : {3, 9, 10, 15, 25, 40, 41, 42}) EXPECT_EQ(GetLayerTypeUnits(t), std::vector<int>{5}) << t;
  EXPECT_STREQ(GetWindVectorUnitsName(2, 1), "Feet");
  EXPECT_STREQ(GetWindVectorUnitsName(0, 2), "m/sec");
  EXPECT_EQ(GetWindVectorUnits(1), (std::vector<int>{8, 9, 19}));
  // "10lb/ft^3" is named but offered nowhere.
  EXPECT_STREQ(UnitNames[7], "10lb/ft^3");
  for (int t = 0; t < 44; ++t)
    for (int c : GetLayerTypeUnits(t)) EXPECT_NE(c, 7);
  EXPECT_STREQ(UnitNames[11], "BTU/ft-s");
  EXPECT_STREQ(UnitNames[27], "btu/min/ft^2");
  EXPECT_STREQ(UnitNames[28], "m/sec");
}

#include <gtest/gtest.h>

#include "platform/numbers.h"
#include "platform/paths.h"

TEST(Paths, AcceptBothSeparators) {
  struct Case { const char* path; const char* name; const char* title; const char* dir; const char* ext; };
  const Case cases[] = {
      {"C:\\data\\land.lcp", "land.lcp", "land", "C:\\data", ".lcp"},
      {"/home/u/land.tif", "land.tif", "land", "/home/u", ".tif"},
      {"a.b/c", "c", "c", "a.b", ""},
      {"mixed\\dir/file.tar.gz", "file.tar.gz", "file.tar", "mixed\\dir", ".gz"},
      {"plain", "plain", "plain", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::FileName(c.path), c.name) << c.path;
    EXPECT_EQ(platform::FileTitle(c.path), c.title) << c.path;
    EXPECT_EQ(platform::Directory(c.path), c.dir) << c.path;
    EXPECT_EQ(platform::Extension(c.path), c.ext) << c.path;
  }
  EXPECT_EQ(platform::ReplaceExtension("a.b/c", ".prj"), "a.b/c.prj");
  EXPECT_EQ(platform::ReplaceExtension("x/land.lcp", ".prj"), "x/land.prj");
  EXPECT_TRUE(platform::HasExtension("X/LAND.LCP", ".lcp"));
}

TEST(Numbers, ParseWholeTokensOnly) {
  EXPECT_EQ(platform::ParseDouble(" 1.5 "), 1.5);
  EXPECT_EQ(platform::ParseDouble("-2e3"), -2000.0);
  EXPECT_FALSE(platform::ParseDouble("1,5"));
  EXPECT_FALSE(platform::ParseDouble("abc"));
  EXPECT_FALSE(platform::ParseDouble(""));
  EXPECT_EQ(platform::ParseInt("+42"), 42);
  EXPECT_FALSE(platform::ParseInt("4.2"));
  EXPECT_EQ(platform::FormatC("%.2f", 3.14159), "3.14");
}

#include "themes/contour_theme.h"

#include <gtest/gtest.h>

#include <map>

#include "app/application.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "themes/themes_test_support.h"

namespace {

class ContourThemeTest : public themes_test::TempFolderTest {};

// A 9 x 9 cone of 0..80 around its centre cell with one hole without data.
std::unique_ptr<CTheme> Cone(int layerType = 10) {
  std::vector<float> v(81);
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 9; ++c) v[r * 9 + c] = float(80 - 20 * std::max(std::abs(r - 4), std::abs(c - 4)));
  v[0] = kNoData;
  return themes_test::MakeTheme(9, 9, v, layerType, 0, 30, 1000, 2000);
}

TEST_F(ContourThemeTest, CreateTracesEveryLevelOfTheRangeWithThePreferencePen) {
  auto cone = Cone(0);
  GetApp().themePrefs[0].contourColor = 0x123456;
  GetApp().themePrefs[0].contourWidth = 3;
  GetApp().themePrefs[0].contourStyle = 2;
  CContourTheme t;
  platform::RecordingProgress progress;
  ASSERT_TRUE(t.Create(cone.get(), 20, nullptr, &progress));
  EXPECT_EQ(t.name, "grid");
  EXPECT_EQ(t.sourceTheme, cone.get());
  EXPECT_FLOAT_EQ(t.minValue, 0);
  EXPECT_FLOAT_EQ(t.maxValue, 80);
  EXPECT_EQ(t.color, 0x123456u);
  EXPECT_EQ(t.lineWidth, 3);
  EXPECT_EQ(t.lineStyle, 2);
  EXPECT_DOUBLE_EQ(t.west, 1000);
  EXPECT_DOUBLE_EQ(t.north, 2270);
  // Level 0 has every data cell on its high side; 20 .. 80 are rings, the outermost broken in
  // two where it passes the hole.
  std::map<float, int> perLevel;
  for (const auto& l : t.lines) ++perLevel[l.level];
  EXPECT_EQ(perLevel, (std::map<float, int>{{20.f, 2}, {40.f, 1}, {60.f, 1}, {80.f, 1}}));
  EXPECT_EQ(progress.texts.front(), "Contouring...");
  EXPECT_EQ(progress.positions.back(), 100);
}

TEST_F(ContourThemeTest, RefusedIntervalsAndCancelsLeaveNoLines) {
  auto cone = Cone();
  for (float bad : {0.0f, -5.0f}) {
    CContourTheme t;
    std::string error;
    EXPECT_FALSE(t.Create(cone.get(), bad, nullptr, nullptr, &error));
    EXPECT_NE(error.find("interval"), std::string::npos);
    EXPECT_TRUE(t.lines.empty());
  }
  CContourTheme t;
  platform::RecordingProgress cancel;
  cancel.cancelAtCheck = 1;
  std::string error;
  EXPECT_FALSE(t.Create(cone.get(), 10, nullptr, &cancel, &error));
  EXPECT_TRUE(error.empty());
  CContourTheme s;
  ASSERT_TRUE(s.Create(cone.get(), 10, nullptr, nullptr));
  cancel.checks = 0;
  EXPECT_FALSE(s.Simplify(1, &cancel));

  // A grid of no data has nothing to trace and no range.
  auto empty = themes_test::MakeTheme(2, 2, std::vector<float>(4, kNoData));
  CContourTheme e;
  EXPECT_TRUE(e.Create(empty.get(), 10, nullptr, nullptr));
  EXPECT_TRUE(e.lines.empty());
  EXPECT_FLOAT_EQ(e.minValue, kNoData);
}

TEST_F(ContourThemeTest, FileSavesLoadsAndSavesByteIdenticalAndDamageIsRefused) {
  auto cone = Cone();
  CContourTheme t;
  ASSERT_TRUE(t.Create(cone.get(), 20, nullptr, nullptr));
  t.name = std::string(300, 'n');  // the format keeps 255 bytes of it
  ASSERT_TRUE(t.SaveThemeFile(Path("a.pvc")));
  CContourTheme back;
  ASSERT_EQ(back.LoadThemeFile(Path("a.pvc")), 1);
  EXPECT_EQ(back.sourceTheme, nullptr);
  EXPECT_EQ(back.name, std::string(255, 'n'));
  ASSERT_EQ(back.lines.size(), t.lines.size());
  EXPECT_EQ(back.lines[1].points.size(), t.lines[1].points.size());
  EXPECT_FLOAT_EQ(back.lines[1].level, t.lines[1].level);
  ASSERT_TRUE(back.SaveThemeFile(Path("b.pvc")));
  EXPECT_EQ(themes_test::ReadBytes(Path("a.pvc")), themes_test::ReadBytes(Path("b.pvc")));

  EXPECT_EQ(CContourTheme().LoadThemeFile(Path("missing.pvc")), 0);
  const std::string good = themes_test::ReadBytes(Path("a.pvc"));
  const std::size_t countAt = 32 + 256 + 4 * 4 + 1 + 4 * 3;
  std::string hugeCount = good, hugePoints = good;
  hugeCount[countAt + 3] = 0x7f;
  hugePoints[countAt + 4 + 20 + 3] = 0x7f;
  const struct {
    std::string bytes;
    const char* why;
  } damaged[] = {
      {good.substr(0, 20), "extent"},
      {good.substr(0, 100), "name"},
      {good.substr(0, countAt), "display properties"},
      {hugeCount, "lines do not fit"},
      {hugePoints, "points the file does not hold"},
      {good.substr(0, good.size() - 3), "points the file does not hold"},
  };
  for (const auto& d : damaged) {
    themes_test::WriteBytes(Path("bad.pvc"), d.bytes);
    platform::ScopedRecordingMessages messages;
    CContourTheme r;
    r.name = "kept";
    EXPECT_EQ(r.LoadThemeFile(Path("bad.pvc")), 0) << d.why;
    EXPECT_EQ(r.name, "kept");
    ASSERT_EQ(messages.Texts().size(), 1u) << d.why;
    EXPECT_NE(messages.Texts()[0].find("bad.pvc"), std::string::npos);
    EXPECT_NE(messages.Texts()[0].find(d.why), std::string::npos) << messages.Texts()[0];
  }
}

// ogrinfo reads the export: arcs with ENTITY and VALUE, one feature per line at its level.
TEST_F(ContourThemeTest, ShapefileCarriesEntityAndValueAsOgrReadsThem) {
  auto cone = Cone();
  CContourTheme t;
  ASSERT_TRUE(t.Create(cone.get(), 20, nullptr, nullptr));
  ASSERT_TRUE(t.SaveShapefile(Path("c.shp"), ""));
  const std::string info = themes_test::RunCommand("ogrinfo -al -q " + Path("c.shp"));
  EXPECT_NE(info.find("ENTITY (Real) = 0"), std::string::npos) << info;
  for (const char* level : {"VALUE (Real) = 20", "VALUE (Real) = 40", "VALUE (Real) = 60", "VALUE (Real) = 80"})
    EXPECT_NE(info.find(level), std::string::npos) << info;
  const std::string summary = themes_test::RunCommand("ogrinfo -so -al " + Path("c.shp"));
  EXPECT_NE(summary.find("Geometry: Line String"), std::string::npos) << summary;
  EXPECT_NE(summary.find("Feature Count: " + std::to_string(t.lines.size())), std::string::npos) << summary;
  EXPECT_NE(summary.find("ENTITY: Real (20.0)"), std::string::npos) << summary;
  EXPECT_NE(summary.find("VALUE: Real (20.4)"), std::string::npos) << summary;

  // A folder that cannot be written says so and leaves nothing.
  platform::ScopedRecordingMessages messages;
  EXPECT_FALSE(t.SaveShapefile(Path("no/such/c.shp"), ""));
  EXPECT_EQ(messages.Texts().size(), 1u);
}

}  // namespace

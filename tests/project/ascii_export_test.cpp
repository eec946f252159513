#include <filesystem>

#include "platform/atomic_file.h"
#include "project_test_support.h"

namespace project_test {
namespace {

// 20 rows x 30 columns of 30 x 20 map units; elevation cell = 100 x row + column + 1000.
class AsciiExportTest : public ProjectTest {
 protected:
  CPVN4Doc& Doc() {
    CPVN4Doc& doc = MakeLandscape(20, 30, 30, 20, [](int layer, int r, int c) {
      return layer == 0 ? static_cast<float>(1000 + 100 * r + c) : 1.0f;
    });
    doc.SetVisibleTheme(doc.GetThemeByLayerType(0));
    return doc;
  }
  static std::string Info(const std::string& path) { return RunCommand("gdalinfo -stats " + path + " 2>&1"); }
};

TEST_F(AsciiExportTest, AreaExportHasTheAreaOriginCellsAndStatistics) {
  CPVN4Doc& doc = Doc();
  // Columns 3-9 and rows 2-7.
  CPyrvane2WorkArea* area = doc.CreateWorkArea(359, 299, 240, 90, "part");
  ASSERT_NE(area, nullptr);
  ASSERT_TRUE(area->ExportAsciiGrid(doc.visibleTheme, Path("part.asc")));
  const std::string info = Info(Path("part.asc"));
  EXPECT_NE(info.find("Size is 7, 6"), std::string::npos) << info;
  EXPECT_NE(info.find("Origin = (90.000000000000000,360.000000000000000)"), std::string::npos) << info;
  EXPECT_NE(info.find("Pixel Size = (30.000000000000000,-20.000000000000000)"), std::string::npos) << info;
  EXPECT_NE(info.find("Minimum=1203.000"), std::string::npos) << info;
  EXPECT_NE(info.find("Maximum=1709.000"), std::string::npos) << info;
  EXPECT_NE(info.find("NoData Value=-9999"), std::string::npos) << info;
  // The cell under a point of the area holds the theme's value there.
  const std::string at = RunCommand("gdallocationinfo -valonly -geoloc " + Path("part.asc") + " 200 300 2>&1");
  EXPECT_EQ(std::stod(at), doc.visibleTheme->GetValueAt(200, 300));
  // The statistics are recorded beside the grid.
  EXPECT_TRUE(std::filesystem::exists(Path("part.asc.aux.xml")));
}

TEST_F(AsciiExportTest, WholeThemeExportStartsAtItsWestAndNorthEdges) {
  CPVN4Doc& doc = Doc();
  ASSERT_TRUE(doc.currentArea->ExportAsciiGrid(doc.visibleTheme, Path("all.asc")));
  const std::string info = Info(Path("all.asc"));
  EXPECT_NE(info.find("Size is 30, 20"), std::string::npos) << info;
  EXPECT_NE(info.find("Origin = (0.000000000000000,400.000000000000000)"), std::string::npos) << info;
  EXPECT_NE(info.find("Minimum=1000.000"), std::string::npos) << info;
  EXPECT_NE(info.find("Maximum=2929.000"), std::string::npos) << info;
}

TEST_F(AsciiExportTest, FailedExportSaysSoAndKeepsTheEarlierFile) {
  CPVN4Doc& doc = Doc();
  platform::ScopedRecordingMessages messages;
  EXPECT_FALSE(doc.currentArea->ExportAsciiGrid(doc.visibleTheme, Path("no/such/folder/x.asc")));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Unable to create ascii grid."});

  // An earlier grid at the target stays whole when the new one cannot be made.
  ASSERT_TRUE(platform::WriteFileAtomically(Path("keep.asc"), "earlier"));
  CTheme empty;
  messages.Clear();
  EXPECT_FALSE(doc.currentArea->ExportAsciiGrid(&empty, Path("keep.asc")));
  EXPECT_EQ(messages.Texts().size(), 1u);
  std::string kept;
  ASSERT_TRUE(platform::ReadWholeFile(Path("keep.asc"), kept));
  EXPECT_EQ(kept, "earlier");
}

}  // namespace
}  // namespace project_test

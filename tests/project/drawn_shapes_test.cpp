// Shapes drawn on the map: the choice of kind, finishing, editing and the shapefile, which
// OGR judges.
#include <filesystem>
#include <fstream>

#include "platform/dialogs.h"
#include "project_test_support.h"

namespace project_test {
namespace {

class DrawnShapes : public ProjectTest {
 protected:
  CPVN4Doc& Doc() {
    doc_ = std::make_unique<CPVN4Doc>();
    return *doc_;
  }
  // What OGR reads: geometry type, fields (name type width precision), each feature.
  std::string Ogr(const std::string& shp) {
    const std::string py = dir_ + "/ogr.py";
    std::ofstream(py) << "from osgeo import ogr\nogr.UseExceptions()\n"
                         "ds = ogr.Open('" << shp << "')\nl = ds.GetLayer(0)\n"
                         "d = l.GetLayerDefn()\n"
                         "print(ogr.GeometryTypeToName(d.GetGeomType()))\n"
                         "for i in range(d.GetFieldCount()):\n"
                         "    f = d.GetFieldDefn(i); print(f.GetName(), f.GetTypeName(), f.GetWidth(), f.GetPrecision())\n"
                         "for f in l: print(f.GetField(0), f.GetField(1), f.GetGeometryRef().ExportToWkt())\n";
    return RunCommand("/usr/bin/python3 " + py);
  }
};

TEST_F(DrawnShapes, KindsAreRefusedWhileShapesOfAnotherKindExist) {
  CPVN4Doc& doc = Doc();
  platform::ScopedRecordingMessages messages;
  struct Case {
    int existing, requested;
    const char* text;
  };
  const Case cases[] = {
      {5, 4, "You must clear the current lines  before creating points"},
      {6, 4, "You must clear the current polygons  before creating points"},
      {4, 5, "You must clear the current points  before creating lines"},
      {6, 5, "You must clear the current polygons  before creating lines"},
      {5, 6, "You must clear the current lines  before creating polygons"},
      {4, 6, "You must clear the current points  before creating polygons"},
  };
  for (const Case& c : cases) {
    messages.Clear();
    doc.currentShapeKind = c.existing;
    doc.shapeInProgress = {{1, 1}};
    doc.measurePoints = {{2, 2}};
    EXPECT_FALSE(doc.ChooseShapeKind(c.requested));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.text});
    EXPECT_EQ(doc.currentShapeKind, c.existing);
    EXPECT_EQ(doc.measurePoints.size(), 1u);
    // The same kind, or any kind once the shapes are cleared, is taken.
    EXPECT_TRUE(doc.ChooseShapeKind(c.existing));
    doc.OnShapeClear();
    EXPECT_TRUE(doc.ChooseShapeKind(c.requested));
    EXPECT_EQ(doc.currentShapeKind, c.requested);
    EXPECT_TRUE(doc.measurePoints.empty());
  }
}

TEST_F(DrawnShapes, PolygonsAreClosedRingsOfThreeDistinctPoints) {
  CPVN4Doc& doc = Doc();
  doc.ChooseShapeKind(6);
  struct Case {
    const char* what;
    std::vector<dPoint> drawn;
    std::size_t finishedPoints;  // 0: refused, still being drawn
  };
  const std::vector<Case> cases = {
      {"three clicks get the first point again", {{0, 0}, {10, 0}, {10, 10}}, 4},
      {"a ring closed by the user gets no extra point", {{0, 0}, {10, 0}, {10, 10}, {0, 0}}, 4},
      {"two points are no ring", {{0, 0}, {10, 0}}, 0},
      {"nor three with a repeat", {{0, 0}, {10, 0}, {10, 0}, {0, 0}}, 0},
  };
  for (const Case& c : cases) {
    doc.shapes.clear();
    doc.shapeInProgress = c.drawn;
    doc.shapesSaved = true;
    EXPECT_EQ(doc.FinishShape(), 1);
    if (c.finishedPoints == 0) {
      EXPECT_TRUE(doc.shapes.empty()) << c.what;
      EXPECT_EQ(doc.shapeInProgress.size(), c.drawn.size()) << c.what;
      continue;
    }
    ASSERT_EQ(doc.shapes.size(), 1u) << c.what;
    EXPECT_EQ(doc.shapes[0].size(), c.finishedPoints) << c.what;
    EXPECT_EQ(doc.shapes[0].back().x, doc.shapes[0].front().x);
    EXPECT_EQ(doc.shapes[0].back().y, doc.shapes[0].front().y);
    EXPECT_FALSE(doc.shapesSaved);
  }
  // Lines are left as drawn.
  doc.OnShapeClear();
  doc.ChooseShapeKind(5);
  doc.shapeInProgress = {{0, 0}, {5, 5}};
  doc.FinishShape();
  EXPECT_EQ(doc.shapes[0].size(), 2u);
}

TEST_F(DrawnShapes, ShapefilesHoldEntityAndValueAsOgrReadsThem) {
  CPVN4Doc& doc = MakeLandscape(2, 2, 30, 30, [](int, int, int) { return 1.0f; });
  doc.landscape.projection = "PROJCS[\"WGS 84 / UTM zone 11N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"central_meridian\",-117],PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"false_easting\",500000],PARAMETER[\"false_northing\",0],UNIT[\"metre\",1]]";
  platform::ScopedRecordingMessages messages;
  struct Case {
    int kind;
    std::vector<std::vector<dPoint>> finished;
    std::vector<dPoint> drawing;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {4, {{{1, 2}}, {{3, 4}}}, {}, "Point\n0.0 0.0 POINT (1 2)\n1.0 1.0 POINT (3 4)\n"},
      // A single click followed by a save writes a one-point arc.
      {5, {{{0, 0}, {10, 5}}}, {{7, 7}}, "Line String\n0.0 0.0 LINESTRING (0 0,10 5)\n1.0 1.0 LINESTRING (7 7)\n"},
      // Drawn counter-clockwise, the ring is written the way shapefiles wind outer rings.
      {6, {{{0, 0}, {10, 0}, {10, 10}, {0, 0}}}, {{20, 20}, {30, 20}, {30, 30}},
       "Polygon\n0.0 0.0 POLYGON ((0 0,10 10,10 0,0 0))\n1.0 1.0 POLYGON ((20 20,30 30,30 20,20 20))\n"},
  };
  for (const Case& c : cases) {
    doc.OnShapeClear();
    ASSERT_TRUE(doc.ChooseShapeKind(c.kind));
    doc.shapes = c.finished;
    doc.shapeInProgress = c.drawing;
    const std::string path = dir_ + "/shapes" + std::to_string(c.kind) + ".shp";
    ASSERT_EQ(doc.WriteShapeFile(path), 1);
    EXPECT_TRUE(doc.shapesSaved);
    EXPECT_EQ(doc.shapesFile, path);
    EXPECT_TRUE(doc.shapeInProgress.empty());
    const std::string ogr = Ogr(path);
    EXPECT_EQ(ogr.substr(0, ogr.find('\n') + 1) + ogr.substr(ogr.find("0.0 0.0")),
              c.expected);
    EXPECT_NE(ogr.find("ENTITY Real 20 0\nVALUE Real 20 4\n"), std::string::npos) << ogr;
    EXPECT_TRUE(std::filesystem::exists(dir_ + "/shapes" + std::to_string(c.kind) + ".prj"));
  }
  EXPECT_TRUE(messages.Texts().empty());

  // Failures leave the flag, the last file and any older file as they were.
  doc.shapeInProgress = {{1, 1}, {1, 1}, {2, 2}};
  doc.shapesSaved = false;
  std::string why;
  EXPECT_EQ(doc.WriteShapeFile(dir_ + "/degenerate.shp", &why), 0);
  EXPECT_NE(why.find("three distinct points"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/degenerate.shp"));
  doc.shapeInProgress.clear();
  EXPECT_EQ(doc.WriteShapeFile(dir_ + "/ignitions.txt", &why), 0);
  EXPECT_NE(why.find("ignitions.txt"), std::string::npos);
  EXPECT_FALSE(doc.shapesSaved);
  EXPECT_EQ(doc.shapesFile, dir_ + "/shapes6.shp");

  // Save to File reports a failure with the reason; without a projection no ".prj" is written.
  platform::ScopedScriptedDialogs dialogs;
  dialogs.AnswerSaveFile(dir_ + "/missing/x.shp");
  doc.OnShapeSaveToFile();
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0].rfind("Error: Unable to create ignition shape file.\n", 0), 0u);
  EXPECT_EQ(dialogs.Requests()[0].options.filter, "Shape Files (*.shp)|*.shp||");
  doc.landscape.projection = "[\"null\"]";
  dialogs.AnswerSaveFile(dir_ + "/plain.shp");
  doc.OnShapeSaveToFile();
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/plain.shp"));
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/plain.prj"));
  EXPECT_TRUE(doc.shapesSaved);
  doc.OnShapeDeleteLast();
  EXPECT_FALSE(doc.shapesSaved);
}

}  // namespace
}  // namespace project_test

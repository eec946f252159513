// The vector theme's own binary file and its shapefiles, judged by an independent parser of
// the byte layout and by OGR.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "engines/embrith_engine.h"
#include "engines/mtt_engine.h"
#include "platform/messages.h"
#include "themes/vector_theme.h"
#include "themes_test_support.h"

namespace themes_test {
namespace {

constexpr const char* kUtm11 =
    "PROJCS[\"WGS 84 / UTM zone 11N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\","
    "6378137,298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],"
    "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],PARAMETER["
    "\"central_meridian\",-117],PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"false_easting\","
    "500000],PARAMETER[\"false_northing\",0],UNIT[\"metre\",1],AUTHORITY[\"EPSG\",\"32611\"]]";

void AddShape(CVectorTheme& t, int type, std::vector<double> xy, std::vector<int> parts = {0}) {
  auto s = std::make_unique<VectorShape>();
  s->type = type;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
    s->x.push_back(xy[i]);
    s->y.push_back(xy[i + 1]);
    s->z.push_back(static_cast<double>(i));
    s->m.push_back(0);
  }
  s->partStart = parts;
  s->ComputeBounds();
  t.shapes.push_back(std::move(s));
}

// A fire-growth perimeter theme: three rings, the middle one null.
void FillPerimeters(CVectorTheme& t) {
  t.name = "perims";
  t.shapeType = 5;
  t.hasPerimeterAttributes = true;
  AddShape(t, 5, {0, 0, 0, 100, 100, 100, 100, 0, 0, 0});
  t.shapes.push_back(nullptr);
  AddShape(t, 5, {0, 0, 0, 50, 50, 50, 50, 0, 0, 0, 10, 10, 20, 10, 20, 20, 10, 10}, {0, 5});
  t.month = {7, 7, 7};
  t.day = {1, 1, 2};
  t.hour = {1300, 1400, 2000};
  t.elapsedMinutes = {60, 120, 180};
  t.fireType = {1, 2, 1};
  t.ComputePerimeterAreas();
  t.displayList = {2, 1, 0};
}

// Parses the file by its documented layout and prints what it holds.
const char* kLayoutParser = R"(
import struct, sys
b = open(sys.argv[1], 'rb').read(); p = 0
def get(f):
    global p
    v = struct.unpack_from('<' + f, b, p); p += struct.calcsize('<' + f); return v
e, w, n, s = get('dddd')
end = b.index(b'\0', p); name = b[p:end].decode(); p = end + 1
vis, = get('B'); lc, ls, lw, pc, psym, psz, gc, gs, gw, typ, N = get('IiiIiiIiiii')
print('extent', e, w, n, s, 'name', name, 'visible', vis)
print('props', hex(lc), ls, lw, hex(pc), psym, psz, hex(gc), gs, gw, 'type', typ, 'N', N)
for i in range(N):
    k, = get('i'); v = [get('ddd') for _ in range(k)]
    print('shape', i, k, ' '.join('%g,%g,%g' % t for t in v))
R, = get('i'); print('R', R)
for i in range(R): print('record', *get('didd'))
if FIRE_INDEX: print('fireindex', *get('%di' % N))
if PERIMETERS:
    print('month', *get('%di' % N)); print('day', *get('%di' % N)); print('hour', *get('%di' % N))
    print('elapsed', *get('%dd' % N)); print('firetype', *get('%di' % N))
for k in range(SPOT_BLOCKS):
    for i in range(N): print('spot', *get('6d'))
print('left', len(b) - p)
)";

std::string ParseLayout(const std::string& file, const std::string& folder, bool fireIndex,
                        bool perimeters, int spotBlocks) {
  std::string script = kLayoutParser;
  script = "FIRE_INDEX = " + std::string(fireIndex ? "True" : "False") +
           "\nPERIMETERS = " + (perimeters ? "True" : "False") +
           "\nSPOT_BLOCKS = " + std::to_string(spotBlocks) + "\n" + script;
  const std::string py = folder + "/layout.py";
  std::ofstream(py) << script;
  return RunCommand(std::string(PV_PYTHON) + " " + py + " " + file);
}

class VectorFiles : public TempFolderTest {};

TEST_F(VectorFiles, ThemeFileKeepsTheByteLayoutAndSavesLoadsAndSavesIdentically) {
  CVectorTheme t;
  FillPerimeters(t);
  t.east = 100, t.west = 0, t.north = 100, t.south = 0;
  t.lineColor = 0x00332211;
  t.polygonStyle = 8;
  t.polygonWidth = 3;
  t.pointSize = 5;
  t.visible = false;
  t.fireSizeRecords = {{4, 10.5, 20.25, 3.5}};
  t.fireIndex = {0, 0, 1};
  t.hasEmbrithSpots = true;
  t.embrithSpots = std::make_unique<CEmbrithSpots>();
  t.embrithSpots->SetNumSpots(3);
  t.embrithSpots->SetSpot(1, 1, 2, 3, 4, 5, 6);
  ASSERT_TRUE(t.SaveThemeFile(Path("a.pvv")));
  const std::string layout = ParseLayout(Path("a.pvv"), dir_, true, true, 1);
  EXPECT_EQ(layout,
            "extent 100.0 0.0 100.0 0.0 name perims visible 0\n"
            "props 0x332211 0 1 0x0 0 5 0x0 8 3 type 5 N 3\n"
            "shape 0 5 0,0,0 0,100,2 100,100,4 100,0,6 0,0,8\n"
            "shape 1 0 \n"
            "shape 2 9 0,0,0 0,50,2 50,50,4 50,0,6 0,0,8 10,10,10 20,10,12 20,20,14 10,10,16\n"
            "R 1\nrecord 3.5 4 10.5 20.25\nfireindex 0 0 1\n"
            "month 7 7 7\nday 1 1 2\nhour 1300 1400 2000\nelapsed 60.0 120.0 180.0\nfiretype 1 2 1\n"
            "spot 0.0 0.0 0.0 0.0 0.0 0.0\nspot 1.0 2.0 3.0 4.0 5.0 6.0\nspot 0.0 0.0 0.0 0.0 0.0 0.0\n"
            "left 0\n");

  CVectorTheme back;
  back.hasPerimeterAttributes = true;
  back.hasEmbrithSpots = true;
  ASSERT_EQ(back.LoadThemeFile(Path("a.pvv"), true), 1);
  EXPECT_EQ(back.ThemeBytes(), ReadBytes(Path("a.pvv")));
  // Two rings come back as one run of vertices; areas are recomputed, the display list is not kept.
  EXPECT_EQ(back.shapes[2]->PartCount(), 1);
  EXPECT_NEAR(back.area[0], 10000 * 0.000247105, 1e-9);
  EXPECT_TRUE(back.displayList.empty());
  EXPECT_EQ(back.fireSizeRecords, t.fireSizeRecords);

  // Without the fire index the next block's bytes are taken for the perimeter arrays.
  CVectorTheme skipped;
  skipped.hasPerimeterAttributes = true;
  skipped.hasEmbrithSpots = true;
  platform::ScopedRecordingMessages messages;
  skipped.LoadThemeFile(Path("a.pvv"), false);
  EXPECT_TRUE(skipped.fireIndex.empty());
  EXPECT_EQ(skipped.month[0], 0);  // the first fire index
}

TEST_F(VectorFiles, EmptyThemeAndOldFilesWithoutRecords) {
  CVectorTheme t;
  t.name = "e";
  ASSERT_TRUE(t.SaveThemeFile(Path("e.pvv")));
  EXPECT_EQ(ReadBytes(Path("e.pvv")).size(), 32u + 2 + 1 + 4 * 11 + 4);
  // An old file ends after the shapes.
  std::string bytes = ReadBytes(Path("e.pvv"));
  WriteBytes(Path("old.pvv"), bytes.substr(0, bytes.size() - 4));
  CVectorTheme old;
  EXPECT_EQ(old.LoadThemeFile(Path("old.pvv"), true), 1);
  EXPECT_EQ(old.name, "e");
  // A missing file is a quiet 0.
  platform::ScopedRecordingMessages messages;
  EXPECT_EQ(old.LoadThemeFile(Path("none.pvv"), true), 0);
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(VectorFiles, DamagedFilesAreRefusedWithTheirReasonAndChangeNothing) {
  CVectorTheme t;
  t.name = "n";
  t.shapeType = 3;
  AddShape(t, 3, {1, 2, 3, 4});
  t.fireSizeRecords = {{1, 2, 3, 4}};
  t.fireIndex = {0};
  const std::string good = t.ThemeBytes();
  const std::size_t countAt = 32 + 2 + 1 + 4 * 10;  // N
  auto with = [&](std::size_t at, std::int32_t v) {
    std::string b = good;
    std::memcpy(&b[at], &v, 4);
    return b;
  };
  struct Case {
    const char* what;
    std::string bytes;
    bool perimeters;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"cut in the extent", good.substr(0, 20), false, "extent"},
      {"a name without end", std::string(32, '\0') + std::string(300, 'x'), false, "255"},
      {"too many shapes", with(countAt, 1 << 30), false, "shapes do not fit"},
      {"negative shapes", with(countAt, -1), false, "shapes do not fit"},
      {"too many vertices", with(countAt + 4, 1 << 29), false, "vertices"},
      {"too many records", with(countAt + 8 + 48, 1 << 28), false, "fire size records"},
      {"fire index cut off", good.substr(0, good.size() - 2), false, "fire index"},
      {"perimeter flag without arrays", good, true, "perimeter"},
  };
  for (const Case& c : cases) {
    WriteBytes(Path("bad.pvv"), c.bytes);
    CVectorTheme back;
    back.hasPerimeterAttributes = c.perimeters;
    platform::ScopedRecordingMessages messages;
    EXPECT_EQ(back.LoadThemeFile(Path("bad.pvv"), true), 0) << c.what;
    ASSERT_EQ(messages.Texts().size(), 1u) << c.what;
    EXPECT_NE(messages.Texts()[0].find(Path("bad.pvv")), std::string::npos) << c.what;
    EXPECT_NE(messages.Texts()[0].find(c.reason), std::string::npos) << c.what << ": " << messages.Texts()[0];
    EXPECT_TRUE(back.shapes.empty() && back.name.empty()) << c.what;
  }
}

// What OGR reads of a shapefile: geometry type, fields (name type width precision) and
// every feature's values and vertices.
std::string OgrDump(const std::string& shp, const std::string& folder) {
  return Python(R"(
from osgeo import ogr
ogr.UseExceptions()
ds = ogr.Open(')" + shp + R"(')
l = ds.GetLayer(0)
d = l.GetLayerDefn()
print(ogr.GeometryTypeToName(d.GetGeomType()))
for i in range(d.GetFieldCount()):
    f = d.GetFieldDefn(i)
    print(f.GetName(), f.GetTypeName(), f.GetWidth(), f.GetPrecision())
for f in l:
    g = f.GetGeometryRef()
    print([f.GetField(i) for i in range(d.GetFieldCount())], g.ExportToWkt() if g else None)
)", folder);
}

TEST_F(VectorFiles, ShapefileLayoutsReadInOgrWithTheirTypesWidthsAndValues) {
  platform::ScopedRecordingMessages messages;
  // Perimeters: only the displayed ones, in display-list order.
  CVectorTheme perims;
  FillPerimeters(perims);
  ASSERT_TRUE(perims.SaveShapefile(Path("p.shp"), kUtm11));
  EXPECT_EQ(OgrDump(Path("p.shp"), dir_),
            "Polygon\n"
            // A 20-digit integer field is more than OGR's integers hold: it reads it as a real.
            "ENTITY Real 20 0\nFire_Type String 64 0\nMonth Integer 2 0\nDay Integer 2 0\n"
            "Hour Integer 4 0\nSimTime Real 20 4\nAcres Real 20 4\nHectares Real 20 4\n"
            "[0.0, 'Expanding Fire', 7, 2, 2000, 180.0, 0.6054, 0.245] "
            "POLYGON ((0 0,0 50,50 50,50 0,0 0),(10 10,20 10,20 20,10 10))\n"
            "[1.0, 'Expanding Fire', 7, 1, 1300, 60.0, 2.471, 1.0] POLYGON ((0 0,0 100,100 100,100 0,0 0))\n");
  EXPECT_TRUE(std::filesystem::exists(Path("p.prj")));

  // Spots: one point per spot at the landing point, with the launch-to-landing distance.
  CMTTSpots spots;
  spots.SetNumSpots(2);
  spots.SetSpot(0, 0, 0, 30, 40, 1.5, 2.5);
  spots.SetSpot(1, 7, 7, 7, 7, 3, 3);
  CVectorTheme spotTheme;
  spotTheme.CreateFromTravelTimeSpots("spots", &spots);
  ASSERT_TRUE(spotTheme.SaveShapefile(Path("s.shp"), "(null)"));
  EXPECT_EQ(OgrDump(Path("s.shp"), dir_),
            "Point\nENTITY Real 20 0\nLaunchX Real 20 4\nLaunchY Real 20 4\nLandX Real 20 4\n"
            "LandY Real 20 4\nLaunchTime Real 20 4\nLandTime Real 20 4\nMeters Real 20 4\nFeet Real 20 4\n"
            "[0.0, 0.0, 0.0, 30.0, 40.0, 1.5, 2.5, 50.0, 164.042] POINT (30 40)\n"
            "[1.0, 7.0, 7.0, 7.0, 7.0, 3.0, 3.0, 0.0, 0.0] POINT (7 7)\n");
  EXPECT_FALSE(std::filesystem::exists(Path("s.prj")));

  // Random-ignition perimeters: each ring's fire index in FIRE_NUM; plain themes number records.
  CPerimeter a, b;
  a.SetNumLines(1);
  a.GetLine(0)->SetNumPoints(5);
  for (int i = 0; i < 5; ++i) a.GetLine(0)->SetPoint(i, i == 1 || i == 2 ? 10.f : 0.f, i == 2 || i == 3 ? 10.f : 0.f);
  b.SetNumLines(2);
  for (int l = 0; l < 2; ++l) {
    b.GetLine(l)->SetNumPoints(4);
    for (int i = 0; i < 4; ++i) b.GetLine(l)->SetPoint(i, i == 3 ? 20.f + l : 20.f + i + l, 20.f + (i == 1));
  }
  CPerimeter* fires[] = {&a, nullptr, &b};
  CVectorTheme mtt;
  mtt.CreateFromPerimeters("fires", fires, {{1, 0, 0, 2}, {2, 0, 0, -1}, {3, 5, 5, 4}}, 3, 30);
  ASSERT_TRUE(mtt.SaveShapefile(Path("m.shp"), ""));
  const std::string m = OgrDump(Path("m.shp"), dir_);
  EXPECT_EQ(m.substr(0, m.find('[')), "Polygon\nFIRE_NUM Real 20 0\nVALUE Real 20 4\n");
  EXPECT_NE(m.find("[0.0, 1.0]"), std::string::npos);
  EXPECT_NE(m.find("[2.0, 1.0] POLYGON ((21 20,22 21,23 20,21 20))"), std::string::npos) << m;

  CVectorTheme paths;
  paths.CreateFromLineList("paths", 10, 0, 0, 10, {{0, 0, 5, 5}, {1, 1, 2, 2, 3, 1}});
  // A dot inside a folder name is no extension: the table lands beside the ".shp".
  std::filesystem::create_directory(Path("a.shp.x"));
  ASSERT_TRUE(paths.SaveShapefile(Path("a.shp.x/out.shp"), ""));
  ASSERT_TRUE(paths.SaveShapefile(Path("caps.SHP"), ""));
  EXPECT_TRUE(std::filesystem::exists(Path("caps.dbf")));
  EXPECT_TRUE(std::filesystem::exists(Path("a.shp.x/out.dbf")));
  EXPECT_FALSE(std::filesystem::exists(Path("a.dbf")));
  EXPECT_EQ(OgrDump(Path("a.shp.x/out.shp"), dir_),
            "Line String\nENTITY Real 20 0\nVALUE Real 20 4\n"
            "[0.0, 1.0] LINESTRING (0 0,5 5)\n[1.0, 1.0] LINESTRING (1 1,2 2,3 1)\n");
  EXPECT_TRUE(messages.Texts().empty());

  // Failures are told and leave no files.
  CVectorTheme none;
  EXPECT_FALSE(none.SaveShapefile(Path("none.shp"), ""));
  EXPECT_FALSE(paths.SaveShapefile(Path("missing/x.shp"), ""));
  EXPECT_FALSE(paths.SaveShapefile(Path("x.txt"), ""));
  const std::vector<std::string> told = messages.Texts();
  ASSERT_EQ(told.size(), 3u);
  EXPECT_EQ(told[0], "Unable to save, no shapes present");
  EXPECT_NE(told[1].find("missing/x.shp"), std::string::npos);
  EXPECT_NE(told[2].find("x.txt"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Path("none.shp")));
}

// Vertices of every feature of a layer as OGR reads them, flat: x y x y ...
std::vector<double> OgrVertices(const std::string& shp, const std::string& folder) {
  return ParseNumbers(Python(R"(
from osgeo import ogr
ds = ogr.Open(')" + shp + R"(')
for f in ds.GetLayer(0):
    g = f.GetGeometryRef()
    def walk(g):
        if g.GetGeometryCount():
            for i in range(g.GetGeometryCount()): walk(g.GetGeometryRef(i))
        else:
            for i in range(g.GetPointCount()): print('%.10f %.10f' % (g.GetX(i), g.GetY(i)))
    walk(g)
)", folder));
}

std::vector<double> OurVertices(const CVectorTheme& t) {
  std::vector<double> v;
  for (const auto& s : t.shapes)
    for (int i = 0; s && i < s->VertexCount(); ++i) {
      v.push_back(s->x[static_cast<std::size_t>(i)]);
      v.push_back(s->y[static_cast<std::size_t>(i)]);
    }
  return v;
}

void ExpectNear(const std::vector<double>& ours, const std::vector<double>& ogr) {
  ASSERT_EQ(ours.size(), ogr.size());
  for (std::size_t i = 0; i < ours.size(); ++i) EXPECT_NEAR(ours[i], ogr[i], 1e-6) << i;
}

TEST_F(VectorFiles, ShapefilesOfOtherWritersOpenWithOgrsVertices) {
  platform::ScopedRecordingMessages messages;
  // shapelib's own tools: a line file without a ".prj".
  RunCommand("cd " + dir_ + " && shpcreate lines arc && shpadd lines 1 2 3 4.5 6 7 + 10 10 11 12 && "
             "shpadd lines 100 200 300 400 && dbfcreate lines -n ID 5 0 && dbfadd lines 1 && dbfadd lines 2");
  CVectorTheme lines;
  ASSERT_EQ(lines.LoadShapefile(Path("lines.shp"), kUtm11), 1);
  EXPECT_EQ(lines.name, "lines");
  EXPECT_EQ(lines.shapeType, 3);
  EXPECT_EQ(lines.shapes[0]->PartCount(), 2);
  ExpectNear(OurVertices(lines), OgrVertices(Path("lines.shp"), dir_));

  // ogr2ogr: polygons in geographic degrees, reprojected to the landscape's UTM on opening.
  std::ofstream(Path("geo.csv")) << "WKT,VAL\n"
                                    "\"POLYGON ((-117.5 34.1,-117.4 34.1,-117.4 34.3,-117.5 34.3,-117.5 34.1))\",3\n"
                                    "\"POLYGON ((-117.2 34.0,-117.0 34.05,-117.1 34.2,-117.2 34.0))\",5\n";
  RunCommand("cd " + dir_ + " && ogr2ogr -q -a_srs EPSG:4326 -nlt POLYGON geo.shp geo.csv && "
             "ogr2ogr -q -t_srs '" + std::string(kUtm11) + "' utm.shp geo.shp");
  CVectorTheme geo;
  ASSERT_EQ(geo.LoadShapefile(Path("geo.shp"), kUtm11), 1);
  const std::vector<double> ogr = OgrVertices(Path("utm.shp"), dir_);
  ExpectNear(OurVertices(geo), ogr);
  // The extent bounds the reprojected vertices, and so does each shape's box.
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (std::size_t i = 0; i < ogr.size(); i += 2) {
    minX = std::min(minX, ogr[i]), maxX = std::max(maxX, ogr[i]);
    minY = std::min(minY, ogr[i + 1]), maxY = std::max(maxY, ogr[i + 1]);
  }
  EXPECT_NEAR(geo.west, minX, 1e-6);
  EXPECT_NEAR(geo.east, maxX, 1e-6);
  EXPECT_NEAR(geo.south, minY, 1e-6);
  EXPECT_NEAR(geo.north, maxY, 1e-6);
  EXPECT_NEAR(geo.shapes[1]->minY, 3763600, 5000);  // UTM northings, not degrees

  // A ".prj" of the landscape's own system needs no reprojection.
  CVectorTheme same;
  ASSERT_EQ(same.LoadShapefile(Path("utm.shp"), kUtm11), 1);
  ExpectNear(OurVertices(same), ogr);
  EXPECT_TRUE(messages.Texts().empty());

  CVectorTheme missing;
  EXPECT_EQ(missing.LoadShapefile(Path("nothing.shp"), ""), 0);
  EXPECT_EQ(missing.name, "nothing");
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("nothing.shp"), std::string::npos);
}

TEST_F(VectorFiles, FireGrowthPerimetersNeedTheirFiveFields) {
  platform::ScopedRecordingMessages messages;
  CVectorTheme written;
  FillPerimeters(written);
  written.displayList = {0, 2};
  ASSERT_TRUE(written.SaveShapefile(Path("out.shp"), ""));
  // The engine's layout: the five fields the loader looks for.
  RunCommand("cd " + dir_ + " && ogr2ogr -q -sql \"SELECT Month, Day, Hour, SimTime AS Elapsed_Mi, "
             "Fire_Type FROM out\" eng.shp out.shp");
  CVectorTheme eng;
  ASSERT_EQ(eng.LoadEmbrithPerimeters(Path("eng.shp"), ""), 1);
  EXPECT_TRUE(eng.hasPerimeterAttributes);
  EXPECT_EQ(eng.hour, (std::vector<std::int32_t>{1300, 2000}));
  EXPECT_EQ(eng.elapsedMinutes, (std::vector<double>{60, 180}));
  EXPECT_EQ(eng.fireType, (std::vector<std::int32_t>{1, 1}));
  EXPECT_NEAR(eng.area[0], 2.47105, 1e-9);
  EXPECT_TRUE(messages.Texts().empty());

  // An exported file holds SimTime, not Elapsed_Mi: plain polygons, said so.
  CVectorTheme plain;
  ASSERT_EQ(plain.LoadEmbrithPerimeters(Path("out.shp"), ""), 1);
  EXPECT_FALSE(plain.hasPerimeterAttributes);
  EXPECT_TRUE(plain.month.empty());
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("out.dbf"), std::string::npos);
}

TEST_F(VectorFiles, PolygonsRasteriseAsGdalRasterizeBurnsThem) {
  // Two polygons, the later one overlapping the first with a hole over it.
  std::ofstream(Path("p.csv")) << "WKT,VAL\n"
                                  "\"POLYGON ((1003 2007,1203 2011,1150 2190,1010 2170,1003 2007))\",7\n"
                                  "\"POLYGON ((1101 2101,1287 2103,1283 2283,1099 2281,1101 2101),"
                                  "(1151 2151,1221 2153,1219 2227,1151 2151))\",9\n";
  RunCommand("cd " + dir_ + " && ogr2ogr -q -nlt POLYGON poly.shp p.csv -sql \"SELECT CAST(VAL AS integer) AS VAL FROM p\" && "
             "gdal_rasterize -q -a VAL -te 1000 2000 1300 2300 -tr 10 10 -init -9999 -a_nodata -9999 "
             "-ot Float32 poly.shp ref.tif");
  // Data the user may only read rasterises all the same.
  ::chmod(Path("poly.dbf").c_str(), 0444);
  CVectorTheme t;
  ASSERT_EQ(t.LoadShapefile(Path("poly.shp"), ""), 1);
  int rows = 0, columns = 0;
  const std::vector<float> grid = t.RasterizePolygons("VAL", 10, 2000, 2300, 1000, 1300, rows, columns);
  ASSERT_EQ(rows, 30);
  ASSERT_EQ(columns, 30);
  const std::vector<double> ref = ParseNumbers(Python(R"(
from osgeo import gdal
a = gdal.Open(')" + Path("ref.tif") + R"(').ReadAsArray()
print(' '.join('%g' % v for v in a.flatten()))
)", dir_));
  ASSERT_EQ(ref.size(), grid.size());
  int differ = 0;
  for (std::size_t i = 0; i < grid.size(); ++i)
    if (grid[i] != ref[i] && ++differ <= 5) ADD_FAILURE() << "cell " << i << " ours " << grid[i] << " gdal " << ref[i];
  int burnt = 0;
  for (float v : grid) burnt += v == 9;
  EXPECT_GT(burnt, 100);

  // Without the field each shape burns its index; without a table nothing burns.
  const std::vector<float> byIndex = t.RasterizePolygons("NONE", 10, 2000, 2300, 1000, 1300, rows, columns);
  EXPECT_EQ(byIndex[static_cast<std::size_t>(25 * 30 + 5)], 0.0f);  // inside the first polygon
  t.sourcePath = Path("gone.shp");
  const std::vector<float> none = t.RasterizePolygons("VAL", 10, 2000, 2300, 1000, 1300, rows, columns);
  EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](float v) { return v == -9999.0f; }));
}

}  // namespace
}  // namespace themes_test

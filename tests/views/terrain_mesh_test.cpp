#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "themes/theme.h"
#include "views/terrain_mesh.h"

namespace views {
namespace {

TEST(TerrainMesh, StridesKeepVerticesAndFacesWithinTheLimit) {
  struct Case {
    std::uint32_t rows, columns, limit, sr, sc, meshRows, meshColumns;
  } cases[] = {
      {100, 100, 1000000, 1, 1, 100, 100},   {708, 708, 1000000, 1, 1, 708, 708},
      {709, 709, 1000000, 2, 1, 354, 709},   {1000, 1000, 1000000, 2, 1, 500, 1000},
      {2000, 2000, 1000000, 3, 3, 666, 666}, {3000, 1500, 1000000, 3, 3, 1000, 500},
      {1000, 1000, 65535, 6, 6, 166, 166},   {1, 1, 1000000, 1, 1, 1, 1},
      {4000, 4000, 1000000, 6, 6, 666, 666},
  };
  for (const Case& c : cases) {
    const MeshStrides s = ComputeStrides(c.rows, c.columns, c.limit);
    EXPECT_EQ(s.rowStride, c.sr) << c.rows << "x" << c.columns;
    EXPECT_EQ(s.columnStride, c.sc) << c.rows << "x" << c.columns;
    EXPECT_EQ(s.rows, c.meshRows) << c.rows << "x" << c.columns;
    EXPECT_EQ(s.columns, c.meshColumns) << c.rows << "x" << c.columns;
    EXPECT_LE(std::uint64_t{s.rows} * s.columns, c.limit);
    EXPECT_LE((2ull * s.columns - 2) * (s.rows - 1), c.limit);
  }
  EXPECT_EQ(VertexLimit(kLargestVertexIndex), 1000000u);
  EXPECT_EQ(VertexLimit(65535), 65535u);
  EXPECT_TRUE(Uses32BitIndices(kLargestVertexIndex));
  EXPECT_FALSE(Uses32BitIndices(65535));
}

// A theme of rows x columns cells of 30 m from value(column, row).
template <class F>
std::unique_ptr<CTheme> Grid(int rows, int columns, F value) {
  std::vector<float> cells(static_cast<std::size_t>(rows) * columns);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) cells[static_cast<std::size_t>(r) * columns + c] = value(c, r);
  auto t = std::make_unique<CTheme>();
  t->CreateFromFloats("elevation", 0, 0, 30, 30, rows, columns, -9999.0f, cells.data(), 0, 0);
  return t;
}

// The faces of the strips, each as its set of vertices, in drawing order.
std::vector<std::set<std::uint32_t>> Faces(const TerrainMesh& m) {
  std::vector<std::set<std::uint32_t>> faces;
  std::size_t start = 0;
  for (std::size_t k = 0; k < m.strips.size(); ++k) {
    if (m.strips[k] != kStripRestart) continue;
    for (std::size_t t = start; t + 2 < k; ++t) faces.push_back({m.strips[t], m.strips[t + 1], m.strips[t + 2]});
    start = k + 1;
  }
  return faces;
}

TerrainInput Whole(const CTheme& t) {
  TerrainInput in;
  in.elevation = &t;
  in.lastColumn = t.columns - 1;
  in.lastRow = t.rows - 1;
  in.west = 15;
  in.east = 15 + 30.0 * (t.columns - 1);
  in.south = 15;
  in.north = 15 + 30.0 * (t.rows - 1);
  return in;
}

TEST(TerrainMesh, VerticesRunColumnByColumnFromTheNorthWestWithTextureAcross) {
  auto t = Grid(3, 4, [](int c, int r) { return 100.0f + 10 * c + r; });
  TerrainInput in = Whole(*t);
  in.legendMin = 100;
  in.legendMax = 132;
  in.exaggeration = 2;
  const TerrainMesh m = BuildTerrainMesh(in);
  ASSERT_EQ(m.strides.rows, 3u);
  ASSERT_EQ(m.strides.columns, 4u);
  ASSERT_EQ(m.vertices.size(), 12u);
  const float zMid = (264.0f - 200.0f) / 2 + 200.0f;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) {
      const TerrainVertex& v = m.vertices[static_cast<std::size_t>(i * 3 + j)];
      EXPECT_FLOAT_EQ(v.x, -45.0f + 30.0f * i);
      EXPECT_FLOAT_EQ(v.z, -30.0f - 30.0f * j);  // rows go south from z0
      EXPECT_FLOAT_EQ(v.y, (100.0f + 10 * i + j) * 2 - zMid);
      EXPECT_FLOAT_EQ(v.u, i / 3.0f);
      EXPECT_FLOAT_EQ(v.v, j / 2.0f);
    }
  // Two faces per cell step, A then B, one strip per column of cells.
  EXPECT_EQ(m.faces, 2u * 2 * 3);
  constexpr std::uint32_t end = kStripRestart;
  EXPECT_EQ(m.strips,
            (std::vector<std::uint32_t>{0, 3, 1, 4, 2, 5, end, 3, 6, 4, 7, 5, 8, end, 6, 9, 7, 10, 8, 11, end}));
  EXPECT_EQ(Faces(m).front(), (std::set<std::uint32_t>{0, 1, 3}));  // A of the first cell
  EXPECT_EQ(Faces(m)[1], (std::set<std::uint32_t>{1, 4, 3}));       // its B
  EXPECT_EQ(m.holeFaces, 0u);
}

TEST(TerrainMesh, NormalsPointDownOnLevelGroundAndAcrossASlope) {
  // Level ground: the face order gives -y.
  auto level = Grid(4, 4, [](int, int) { return 500.0f; });
  for (const TerrainVertex& v : BuildTerrainMesh(Whole(*level)).vertices) {
    EXPECT_NEAR(v.nx, 0, 1e-6);
    EXPECT_NEAR(v.ny, -1, 1e-6);
    EXPECT_NEAR(v.nz, 0, 1e-6);
  }
  // Rising 15 m per 30 m to the east: the plane's normal (0.5, -1, 0) normalised.
  auto slope = Grid(4, 5, [](int c, int) { return 100.0f + 15 * c; });
  const float n = 1 / std::sqrt(1.25f);
  for (const TerrainVertex& v : BuildTerrainMesh(Whole(*slope)).vertices) {
    EXPECT_NEAR(v.nx, 0.5f * n, 1e-5);
    EXPECT_NEAR(v.ny, -n, 1e-5);
    EXPECT_NEAR(v.nz, 0, 1e-5);
  }
}

TEST(TerrainMesh, CellsWithoutDataLeaveHolesOutOfFacesNormalsAndBounds) {
  auto plain = Grid(5, 5, [](int c, int) { return 100.0f + 15 * c; });
  auto holed = Grid(5, 5, [](int c, int r) { return c == 4 && r == 4 ? -9999.0f : 100.0f + 15 * c; });
  auto nan = Grid(5, 5, [](int c, int r) { return c == 4 && r == 4 ? NAN : 100.0f + 15 * c; });
  const TerrainMesh full = BuildTerrainMesh(Whole(*plain));
  for (const CTheme* t : {holed.get(), nan.get()}) {
    TerrainInput in = Whole(*t);
    in.exaggeration = 3;
    const TerrainMesh m = BuildTerrainMesh(in);
    // The corner cell is in one face (A of the last step has it as its B corner only).
    EXPECT_EQ(m.holeFaces, 1u);
    EXPECT_EQ(m.faces, full.faces - 1);
    // The strip of the last column of cells stops before that face; the others are whole.
    std::vector<std::set<std::uint32_t>> faces = Faces(full);
    faces.erase(std::find(faces.begin(), faces.end(), std::set<std::uint32_t>{19, 24, 23}));
    EXPECT_EQ(Faces(m), faces);
    // Neighbours keep the slope's normal (three times as steep): the hole's height has no say.
    const float n = 1 / std::sqrt(3.25f);
    for (std::size_t k = 0; k < m.vertices.size(); ++k) {
      if (k == 4 * 5 + 4) continue;
      EXPECT_NEAR(m.vertices[k].nx, 1.5f * n, 1e-5) << k;
      EXPECT_NEAR(m.vertices[k].ny, -n, 1e-5) << k;
    }
    // The bounds come from the cells with data: no -9999 x 3 metres down.
    EXPECT_LT(m.radius, full.radius * 3);
    EXPECT_LT(m.radius, 200.0f);
    EXPECT_EQ(m.centre.y, 0.0f);
  }
}

// A mesh large enough to be built in bands by several threads, with holes scattered over
// it (band edges included), against the faces, normals and bounds worked out one by one.
TEST(TerrainMesh, LargeMeshWithHolesEqualsTheFacesWorkedOutOneByOne) {
  const int n = 301;
  auto gap = [](int c, int r) { return (c * 7 + r * 13) % 29 == 0 || c == 75 || c == 150 || r == 200; };
  auto t = Grid(n, n, [&](int c, int r) { return gap(c, r) ? -9999.0f : 500 + 40 * std::sin(c * 0.1f) + r * 0.5f; });
  const TerrainMesh m = BuildTerrainMesh(Whole(*t));
  ASSERT_EQ(m.strides.rows, static_cast<std::uint32_t>(n));
  const auto rows = static_cast<std::uint32_t>(n);
  auto hole = [&](std::uint32_t k) { return gap(static_cast<int>(k / rows), static_cast<int>(k % rows)); };
  // Faces A and B of every cell, column by column, those without holes in that order.
  std::vector<std::set<std::uint32_t>> expected;
  std::vector<views::math::Vec3> sums(m.vertices.size());
  auto face = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    if (hole(a) || hole(b) || hole(c)) return;
    expected.push_back({a, b, c});
    const TerrainVertex &p0 = m.vertices[a], &p1 = m.vertices[b], &p2 = m.vertices[c];
    const views::math::Vec3 f = views::math::Cross({p1.x - p0.x, p1.y - p0.y, p1.z - p0.z},
                                                   {p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
    for (std::uint32_t k : {a, b, c}) sums[k] = sums[k] + f;
  };
  for (std::uint32_t i = 0; i + 1 < rows; ++i)
    for (std::uint32_t j = 0; j + 1 < rows; ++j) {
      const std::uint32_t k = i * rows + j, k2 = (i + 1) * rows + j;
      face(k, k + 1, k2);
      face(k + 1, k2 + 1, k2);
    }
  EXPECT_EQ(Faces(m), expected);
  EXPECT_EQ(m.faces, expected.size());
  EXPECT_EQ(m.holeFaces, 2u * (rows - 1) * (rows - 1) - expected.size());
  double sx = 0, sy = 0, sz = 0;
  int valid = 0;
  for (std::uint32_t k = 0; k < m.vertices.size(); ++k) {
    const views::math::Vec3 e = views::math::Normalize(sums[k]);
    ASSERT_NEAR(m.vertices[k].nx, e.x, 1e-5) << k;
    ASSERT_NEAR(m.vertices[k].ny, e.y, 1e-5) << k;
    ASSERT_NEAR(m.vertices[k].nz, e.z, 1e-5) << k;
    if (hole(k)) continue;
    sx += m.vertices[k].x;
    sy += m.vertices[k].y;
    sz += m.vertices[k].z;
    ++valid;
  }
  EXPECT_NEAR(m.centre.x, sx / valid, 1e-2);
  EXPECT_NEAR(m.centre.z, sz / valid, 1e-2);
  float r2 = 0;
  for (std::uint32_t k = 0; k < m.vertices.size(); ++k) {
    if (hole(k)) continue;
    const TerrainVertex& v = m.vertices[k];
    const double dx = v.x - m.centre.x, dy = v.y - sy / valid, dz = v.z - m.centre.z;
    r2 = std::max(r2, static_cast<float>(dx * dx + dy * dy + dz * dz));
  }
  EXPECT_NEAR(m.radius, std::sqrt(r2), 1e-2);
}

TEST(TerrainMesh, OneCellWideOrHighAreasGiveVerticesWithoutFaces) {
  auto t = Grid(6, 6, [](int c, int r) { return 100.0f + c + r; });
  for (auto [c1, r1] : {std::pair{2, 5}, std::pair{5, 2}, std::pair{2, 2}}) {
    TerrainInput in = Whole(*t);
    in.firstColumn = 2;
    in.firstRow = 2;
    in.lastColumn = c1;
    in.lastRow = r1;
    const TerrainMesh m = BuildTerrainMesh(in);
    EXPECT_TRUE(m.strips.empty());
    EXPECT_EQ(m.faces, 0u);
    for (const TerrainVertex& v : m.vertices) {
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.z) && std::isfinite(v.u) && std::isfinite(v.v));
    }
    EXPECT_TRUE(std::isfinite(m.radius) && m.radius > 0);
  }
}

TEST(TerrainMesh, StridedWindowLeavesTheRemainderOut) {
  // 709 x 709 takes every other row: 354 rows reach row 706, row 708 is not in the mesh.
  auto t = Grid(709, 709, [](int, int r) { return 100.0f + r; });
  const TerrainMesh m = BuildTerrainMesh(Whole(*t));
  ASSERT_EQ(m.strides.rowStride, 2u);
  ASSERT_EQ(m.strides.rows, 354u);
  EXPECT_FLOAT_EQ(m.vertices[353].y - m.vertices[0].y, 706.0f);
  EXPECT_FLOAT_EQ(m.vertices[353].v, 1.0f);
}

TEST(TerrainMesh, LightDirectionFollowsAzimuthAndInclination) {
  struct Case {
    math::Vec3 centre;
    float azimuth, inclination;
    math::Vec3 expected;
  } cases[] = {
      {{0, 0, -1000}, 315, 75, {0.1830f, 0.6830f, -0.7071f}},
      {{0, 0, -1000}, 0, 90, {0, 0, -1}},
      {{0, 0, -5}, 315, 75, {0.1830f, 0.6830f, -0.7071f}},  // only the direction counts
      {{0, 0, -1000}, 90, 90, {0, -1, 0}},
  };
  for (const Case& c : cases) {
    const math::Vec3 d = LightDirection(c.centre, c.azimuth, c.inclination);
    EXPECT_NEAR(d.x, c.expected.x, 1e-4) << c.azimuth << " " << c.inclination;
    EXPECT_NEAR(d.y, c.expected.y, 1e-4) << c.azimuth << " " << c.inclination;
    EXPECT_NEAR(d.z, c.expected.z, 1e-4) << c.azimuth << " " << c.inclination;
  }
}

TEST(TerrainMesh, TextureRectangleFollowsTheMeshAndTheLargestTexture) {
  struct Case {
    std::uint32_t rows, columns;
    double density;
    int maxTexture, width, height;
  } cases[] = {
      {100, 100, 0.1, 16384, 10, 10},
      {100, 200, 4.0, 16384, 800, 400},
      {1000, 500, 4.0, 2048, 2000, 2047},
      {666, 666, 10.0, 16384, 6660, 6660},
      {1000, 1000, 10.0, 16384, 10000, 10000},
      {1000, 1000, 20.0, 16384, 16383, 16383},
  };
  for (const Case& c : cases) {
    const TextureSize t = TextureRect(c.rows, c.columns, c.density, c.maxTexture);
    EXPECT_EQ(t.width, c.width) << c.rows << " " << c.density;
    EXPECT_EQ(t.height, c.height) << c.rows << " " << c.density;
  }
}

}  // namespace
}  // namespace views

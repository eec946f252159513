#include "views/terrain_mesh.h"

#include <algorithm>
#include <cmath>

#include "project/document.h"
#include "project/work_area.h"
#include "themes/theme.h"

namespace views {

using namespace math;

std::uint32_t VertexLimit(std::uint64_t largestVertexIndex) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(largestVertexIndex, kVertexLimitCap));
}

MeshStrides ComputeStrides(std::uint32_t nR, std::uint32_t nC, std::uint32_t limit) {
  MeshStrides s;
  // 64-bit counts: a huge window must not wrap into a small one.
  auto tooMany = [&] {
    const std::uint64_t rows = nR / s.rowStride, cols = nC / s.columnStride;
    const std::uint64_t vertices = static_cast<std::uint64_t>(nC) * rows / s.columnStride;
    const std::uint64_t faces = (cols > 0 && rows > 0) ? (2 * cols - 2) * (rows - 1) : 0;
    return vertices > limit || faces > limit;
  };
  while (tooMany() && s.rowStride < std::max(nR, 1u)) {
    ++s.rowStride;
    if (tooMany()) ++s.columnStride;
  }
  s.rows = nR / s.rowStride;
  s.columns = nC / s.columnStride;
  return s;
}

namespace {

bool IsHole(float h, float noData) { return h == noData || h != h; }

}  // namespace

TerrainMesh BuildTerrainMesh(const TerrainInput& in) {
  TerrainMesh mesh;
  if (!in.elevation) return mesh;
  const CTheme& e = *in.elevation;
  const int c0 = in.firstColumn, r0 = in.firstRow, c1 = in.lastColumn, r1 = in.lastRow;
  if (c1 < c0 || r1 < r0) return mesh;
  mesh.strides = ComputeStrides(static_cast<std::uint32_t>(r1 - r0 + 1),
                                static_cast<std::uint32_t>(c1 - c0 + 1), in.vertexLimit);
  const MeshStrides& st = mesh.strides;
  const std::uint32_t rows = st.rows, cols = st.columns, sr = st.rowStride, sc = st.columnStride;
  if (rows == 0 || cols == 0) return mesh;

  const float ex = in.exaggeration, s = in.scale;
  const float zLow = in.legendMin * ex, zHigh = in.legendMax * ex;
  const float zMid = (zHigh - zLow) * 0.5f + zLow;
  // A window one cell wide or high has no steps: its one column or row sits at 0.
  const float dx = c1 > c0 ? static_cast<float>((in.east - in.west) / (c1 - c0)) : 0.0f;
  const float dy = r1 > r0 ? static_cast<float>((in.north - in.south) / (r1 - r0)) : 0.0f;
  const float x0 = -static_cast<float>(cols - 1) * dx / 2;
  const float z0 = -static_cast<float>(rows - 1) * dy / 2;

  // The sampled cells, row by row.
  std::vector<float> h(static_cast<std::size_t>(rows) * cols);
  {
    std::vector<float> line(static_cast<std::size_t>(std::max(e.columns, 0)));
    for (std::int64_t jj = 0; jj < static_cast<std::int64_t>(rows); ++jj) {
      const auto j = static_cast<std::uint32_t>(jj);
      const int row = r0 + static_cast<int>(j * sr);
      float* out = &h[static_cast<std::size_t>(j) * cols];
      if (row >= 0 && row < e.rows && !line.empty()) {
        e.ReadRow(row, line.data());
        for (std::uint32_t i = 0; i < cols; ++i) {
          const int c = c0 + static_cast<int>(i * sc);
          out[i] = c >= 0 && c < e.columns ? line[static_cast<std::size_t>(c)] : e.noData;
        }
      } else {
        std::fill(out, out + cols, e.noData);
      }
    }
  }
  const float nd = e.noData;
  auto hole = [&](std::uint32_t i, std::uint32_t j) { return IsHole(h[static_cast<std::size_t>(j) * cols + i], nd); };

  mesh.vertices.resize(static_cast<std::size_t>(rows) * cols);
  const float uStep = cols > 1 ? 1.0f / static_cast<float>(cols - 1) : 0.0f;
  const float vStep = rows > 1 ? 1.0f / static_cast<float>(rows - 1) : 0.0f;
  double sx = 0, sz = 0;
  std::int64_t valid = 0;
  for (std::int64_t ii = 0; ii < static_cast<std::int64_t>(cols); ++ii) {
    const auto i = static_cast<std::uint32_t>(ii);
    const float x = (static_cast<float>(i * sc) * dx + x0) * s;
    for (std::uint32_t j = 0; j < rows; ++j) {
      TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(i) * rows + j];
      const float c = h[static_cast<std::size_t>(j) * cols + i];
      const bool gap = IsHole(c, nd);
      v.x = x;
      v.y = gap ? 0.0f : (c * ex - zMid) * s;
      v.z = (z0 - static_cast<float>(j * sr) * dy) * s;
      v.nx = v.ny = v.nz = 0;
      v.u = static_cast<float>(i) * uStep;
      v.v = static_cast<float>(j) * vStep;
      if (!gap) {
        sx += v.x;
        sz += v.z;
        ++valid;
      }
    }
  }

  // Faces: A = (k, k + 1, k') and B = (k + 1, k' + 1, k') of each cell of the grid, with
  // k = (i, j) and k' = (i + 1, j); a face touching a hole is not drawn. Their normals are
  // kept for the vertices (length: twice the face's area).
  const std::uint32_t fr = rows > 1 ? rows - 1 : 0, fc = cols > 1 ? cols - 1 : 0;
  const std::size_t cells = static_cast<std::size_t>(fr) * fc;
  std::vector<Vec3> faceA(cells), faceB(cells);
  std::vector<std::uint8_t> drawnA(cells), drawnB(cells);
  std::vector<std::size_t> perColumn(static_cast<std::size_t>(fc) + 1, 0);
  auto at = [&](std::uint32_t i, std::uint32_t j) -> const TerrainVertex& {
    return mesh.vertices[static_cast<std::size_t>(i) * rows + j];
  };
  auto normal = [](const TerrainVertex& p0, const TerrainVertex& p1, const TerrainVertex& p2) {
    return Cross(Vec3{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z}, Vec3{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
  };
  for (std::int64_t ii = 0; ii < static_cast<std::int64_t>(fc); ++ii) {
    const auto i = static_cast<std::uint32_t>(ii);
    std::size_t n = 0;
    for (std::uint32_t j = 0; j < fr; ++j) {
      const std::size_t f = static_cast<std::size_t>(i) * fr + j;
      drawnA[f] = !(hole(i, j) || hole(i, j + 1) || hole(i + 1, j));
      drawnB[f] = !(hole(i, j + 1) || hole(i + 1, j + 1) || hole(i + 1, j));
      if (drawnA[f]) faceA[f] = normal(at(i, j), at(i, j + 1), at(i + 1, j));
      if (drawnB[f]) faceB[f] = normal(at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
      n += drawnA[f] + drawnB[f];
    }
    perColumn[i + 1] = n;
  }
  for (std::size_t i = 1; i < perColumn.size(); ++i) perColumn[i] += perColumn[i - 1];
  const std::size_t drawn = perColumn.back();
  mesh.holeFaces = static_cast<std::uint32_t>(2 * cells - drawn);
  mesh.indices.resize(drawn * 3);
  for (std::int64_t ii = 0; ii < static_cast<std::int64_t>(fc); ++ii) {
    const auto i = static_cast<std::uint32_t>(ii);
    std::uint32_t* out = mesh.indices.data() + perColumn[i] * 3;
    for (std::uint32_t j = 0; j < fr; ++j) {
      const std::size_t f = static_cast<std::size_t>(i) * fr + j;
      const std::uint32_t k = i * rows + j, k2 = (i + 1) * rows + j;
      if (drawnA[f]) {
        out[0] = k;
        out[1] = k + 1;
        out[2] = k2;
        out += 3;
      }
      if (drawnB[f]) {
        out[0] = k + 1;
        out[1] = k2 + 1;
        out[2] = k2;
        out += 3;
      }
    }
  }
  // Each vertex sums the faces drawn around it, in the order the faces are listed.
  for (std::int64_t ii = 0; ii < static_cast<std::int64_t>(cols); ++ii) {
    const auto i = static_cast<std::uint32_t>(ii);
    for (std::uint32_t j = 0; j < rows; ++j) {
      Vec3 sum{0, 0, 0};
      auto add = [&](const std::vector<Vec3>& normals, const std::vector<std::uint8_t>& drawn, std::int64_t fi,
                     std::int64_t fj) {
        if (fi < 0 || fj < 0 || fi >= fc || fj >= fr) return;
        const std::size_t f = static_cast<std::size_t>(fi) * fr + static_cast<std::size_t>(fj);
        if (!drawn[f]) return;
        sum.x += normals[f].x;
        sum.y += normals[f].y;
        sum.z += normals[f].z;
      };
      const std::int64_t si = i, sj = j;
      add(faceB, drawnB, si - 1, sj - 1);
      add(faceA, drawnA, si - 1, sj);
      add(faceB, drawnB, si - 1, sj);
      add(faceA, drawnA, si, sj - 1);
      add(faceB, drawnB, si, sj - 1);
      add(faceA, drawnA, si, sj);
      const Vec3 n = Normalize(sum);
      TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(i) * rows + j];
      v.nx = n.x;
      v.ny = n.y;
      v.nz = n.z;
    }
  }

  // Bounds of the cells with data; the centre sits at height 0.
  if (valid > 0) {
    mesh.centre = {static_cast<float>(sx / static_cast<double>(valid)), 0.0f,
                   static_cast<float>(sz / static_cast<double>(valid))};
    double cy = 0;
    for (std::int64_t ii = 0; ii < static_cast<std::int64_t>(cols); ++ii)
      for (std::uint32_t j = 0; j < rows; ++j)
        if (!hole(static_cast<std::uint32_t>(ii), j)) cy += mesh.vertices[static_cast<std::size_t>(ii) * rows + j].y;
    cy /= static_cast<double>(valid);
    const Vec3 c{mesh.centre.x, static_cast<float>(cy), mesh.centre.z};
    float r2 = 0;
    for (std::int64_t ii = 0; ii < static_cast<std::int64_t>(cols); ++ii)
      for (std::uint32_t j = 0; j < rows; ++j) {
        if (hole(static_cast<std::uint32_t>(ii), j)) continue;
        const TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(ii) * rows + j];
        const float ddx = v.x - c.x, ddy = v.y - c.y, ddz = v.z - c.z;
        r2 = std::max(r2, ddx * ddx + ddy * ddy + ddz * ddz);
      }
    mesh.radius = std::sqrt(r2);
  }
  // A single point still needs a camera distance and clip planes.
  if (!(mesh.radius > 0)) mesh.radius = 1.0f;
  return mesh;
}

TerrainInput TerrainInputOf(const CPVN4Doc& doc, float exaggeration, float scale, std::uint32_t vertexLimit) {
  constexpr int kElevationLayer = 0;
  TerrainInput in;
  in.scale = scale;
  in.exaggeration = exaggeration;
  in.vertexLimit = vertexLimit;
  const CPyrvane2WorkArea* area = doc.currentArea;
  CTheme* elevation = doc.GetThemeByLayerType(kElevationLayer);
  if (!area || !elevation) return in;
  const CThemeRect r = area->GetThemeRect(elevation);
  in.elevation = elevation;
  in.firstColumn = r.firstColumn;
  in.firstRow = r.firstRow;
  in.lastColumn = r.lastColumn;
  in.lastRow = r.lastRow;
  in.west = area->west;
  in.north = area->north;
  in.east = area->east;
  in.south = area->south;
  in.legendMin = static_cast<float>(area->GetLegendMinByLayerType(kElevationLayer));
  in.legendMax = static_cast<float>(area->GetLegendMaxByLayerType(kElevationLayer));
  return in;
}

Vec3 LightDirection(Vec3 centre, float azimuth, float inclination) {
  Vec4 v{centre.x, 0.0f, centre.z, 1.0f};
  v = Transform(v, RotationY(azimuth * kDegreesToRadians));
  v = Transform(v, RotationZ((360.0f - inclination) * kDegreesToRadians));
  return Normalize({v.x, -v.y, v.z});
}

SceneTransforms ComputeTransforms(const TerrainMesh& mesh, const Mat4& rotation, const Mat4& translation, int width,
                                  int height) {
  const Vec3 c = mesh.centre;
  const float r = mesh.radius;
  SceneTransforms t;
  t.world = Multiply(Multiply(Translation(-c.x, -c.y, -c.z), rotation), translation);
  t.view = LookAtLH({0, 0, -3 * r}, c, {0, 1, 0});
  t.projection = PerspectiveFovLH(0.7853982f, static_cast<float>(std::max(width, 1)) / static_cast<float>(std::max(height, 1)),
                                  r * 0.015625f, r * 200.0f);
  return t;
}

TextureSize TextureRect(std::uint32_t rows, std::uint32_t columns, double density, int maxTextureSize) {
  TextureSize t;
  const double limit = std::max(maxTextureSize - 1, 0);
  t.width = static_cast<int>(std::min(std::trunc(columns * density), limit));
  t.height = static_cast<int>(std::min(std::trunc(rows * density), limit));
  return t;
}

}  // namespace views

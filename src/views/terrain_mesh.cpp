#include "views/terrain_mesh.h"

#include <algorithm>
#include <cmath>

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
  std::vector<float> line(static_cast<std::size_t>(std::max(e.columns, 0)));
  for (std::uint32_t j = 0; j < rows; ++j) {
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
  auto cell = [&](std::uint32_t i, std::uint32_t j) { return h[static_cast<std::size_t>(j) * cols + i]; };

  mesh.vertices.resize(static_cast<std::size_t>(rows) * cols);
  const float uStep = cols > 1 ? 1.0f / static_cast<float>(cols - 1) : 0.0f;
  const float vStep = rows > 1 ? 1.0f / static_cast<float>(rows - 1) : 0.0f;
  double sx = 0, sz = 0;
  std::size_t valid = 0;
  for (std::uint32_t i = 0; i < cols; ++i) {
    const float x = (static_cast<float>(i * sc) * dx + x0) * s;
    for (std::uint32_t j = 0; j < rows; ++j) {
      TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(i) * rows + j];
      const float c = cell(i, j);
      const bool hole = IsHole(c, e.noData);
      v.x = x;
      v.y = hole ? 0.0f : (c * ex - zMid) * s;
      v.z = (z0 - static_cast<float>(j * sr) * dy) * s;
      v.nx = v.ny = v.nz = 0;
      v.u = static_cast<float>(i) * uStep;
      v.v = static_cast<float>(j) * vStep;
      if (!hole) {
        sx += v.x;
        sz += v.z;
        ++valid;
      }
    }
  }

  // Faces and area-weighted normals of the faces that are drawn.
  if (rows > 1 && cols > 1) mesh.indices.reserve(static_cast<std::size_t>(rows - 1) * (cols - 1) * 6);
  auto addFace = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    mesh.indices.insert(mesh.indices.end(), {a, b, c});
    TerrainVertex &p0 = mesh.vertices[a], &p1 = mesh.vertices[b], &p2 = mesh.vertices[c];
    const Vec3 n = Cross(Vec3{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z}, Vec3{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
    for (TerrainVertex* p : {&p0, &p1, &p2}) {
      p->nx += n.x;
      p->ny += n.y;
      p->nz += n.z;
    }
  };
  for (std::uint32_t i = 0; i + 1 < cols; ++i)
    for (std::uint32_t j = 0; j + 1 < rows; ++j) {
      const std::uint32_t k = i * rows + j, k2 = (i + 1) * rows + j;
      const float nd = e.noData;
      if (IsHole(cell(i, j), nd) || IsHole(cell(i, j + 1), nd) || IsHole(cell(i + 1, j), nd))
        ++mesh.holeFaces;
      else
        addFace(k, k + 1, k2);
      if (IsHole(cell(i, j + 1), nd) || IsHole(cell(i + 1, j + 1), nd) || IsHole(cell(i + 1, j), nd))
        ++mesh.holeFaces;
      else
        addFace(k + 1, k2 + 1, k2);
    }
  for (TerrainVertex& v : mesh.vertices) {
    const Vec3 n = Normalize({v.nx, v.ny, v.nz});
    v.nx = n.x;
    v.ny = n.y;
    v.nz = n.z;
  }

  // Bounds of the cells with data; the centre sits at height 0.
  if (valid > 0) {
    mesh.centre = {static_cast<float>(sx / valid), 0.0f, static_cast<float>(sz / valid)};
    double cy = 0;
    for (std::uint32_t i = 0; i < cols; ++i)
      for (std::uint32_t j = 0; j < rows; ++j)
        if (!IsHole(cell(i, j), e.noData)) cy += mesh.vertices[static_cast<std::size_t>(i) * rows + j].y;
    cy /= static_cast<double>(valid);
    float r2 = 0;
    for (std::uint32_t i = 0; i < cols; ++i)
      for (std::uint32_t j = 0; j < rows; ++j) {
        if (IsHole(cell(i, j), e.noData)) continue;
        const TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(i) * rows + j];
        const float ddx = v.x - mesh.centre.x, ddy = v.y - static_cast<float>(cy), ddz = v.z - mesh.centre.z;
        r2 = std::max(r2, ddx * ddx + ddy * ddy + ddz * ddz);
      }
    mesh.radius = std::sqrt(r2);
  }
  // A single point still needs a camera distance and clip planes.
  if (!(mesh.radius > 0)) mesh.radius = 1.0f;
  return mesh;
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

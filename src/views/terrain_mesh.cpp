#include "views/terrain_mesh.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engines/parallel_rows.h"
#include "platform/services.h"

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

MeshStrides StridesOf(const TerrainInput& in) {
  if (!in.elevation || in.lastColumn < in.firstColumn || in.lastRow < in.firstRow) return MeshStrides{};
  return ComputeStrides(static_cast<std::uint32_t>(in.lastRow - in.firstRow + 1),
                        static_cast<std::uint32_t>(in.lastColumn - in.firstColumn + 1), in.vertexLimit);
}

TerrainMesh BuildTerrainMesh(const TerrainInput& in) {
  TerrainMesh mesh;
  if (!in.elevation) return mesh;
  const CTheme& e = *in.elevation;
  const int c0 = in.firstColumn, r0 = in.firstRow, c1 = in.lastColumn, r1 = in.lastRow;
  if (c1 < c0 || r1 < r0) return mesh;
  mesh.strides = StridesOf(in);
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

  // Large meshes are built by a few threads, in bands of rows or columns; the results do not
  // depend on the bands (strips are joined in column order, normals sum the same faces).
  const int threads =
      static_cast<std::uint64_t>(rows) * cols < (1u << 16) ? 1 : std::clamp(platform::ProcessorCount(), 1, 4);
  auto bands = [&](std::uint32_t n, const std::function<void(int, std::uint32_t, std::uint32_t)>& body) {
    const int k = static_cast<int>(std::min<std::uint32_t>(static_cast<std::uint32_t>(threads), n));
    engines::ForEachRow(k, k, [&](int b) {
      body(b, static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) * b / k),
           static_cast<std::uint32_t>(static_cast<std::uint64_t>(n) * (b + 1) / k));
    });
  };

  // The sampled cells, row by row.
  std::vector<float> h(static_cast<std::size_t>(rows) * cols);
  bands(rows, [&](int, std::uint32_t j0, std::uint32_t j1) {
    std::vector<float> line(static_cast<std::size_t>(std::max(e.columns, 0)));
    for (std::uint32_t j = j0; j < j1; ++j) {
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
  });
  const float nd = e.noData;
  auto hole = [&](std::uint32_t i, std::uint32_t j) { return IsHole(h[static_cast<std::size_t>(j) * cols + i], nd); };

  mesh.vertices.resize(static_cast<std::size_t>(rows) * cols);
  const float uStep = cols > 1 ? 1.0f / static_cast<float>(cols - 1) : 0.0f;
  const float vStep = rows > 1 ? 1.0f / static_cast<float>(rows - 1) : 0.0f;
  // Sums of each column's cells with data, added in column order below.
  std::vector<double> columnX(cols), columnZ(cols);
  std::vector<std::int64_t> columnValid(cols);
  bands(cols, [&](int, std::uint32_t i0, std::uint32_t i1) {
    for (std::uint32_t i = i0; i < i1; ++i) {
      const float x = (static_cast<float>(i * sc) * dx + x0) * s;
      double sx = 0, sz = 0;
      std::int64_t valid = 0;
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
      columnX[i] = sx;
      columnZ[i] = sz;
      columnValid[i] = valid;
    }
  });
  double sx = 0, sz = 0;
  std::int64_t valid = 0;
  for (std::uint32_t i = 0; i < cols; ++i) {
    sx += columnX[i];
    sz += columnZ[i];
    valid += columnValid[i];
  }

  // Faces: A = (k, k + 1, k') and B = (k + 1, k' + 1, k') of each cell of the grid, with
  // k = (i, j) and k' = (i + 1, j); a face touching a hole is not drawn. Along a column of
  // cells the faces A, B, A, B ... are the triangles of the strip k, k', k + 1, k' + 1, ...,
  // so each run of drawn faces is one strip: a third of the indices of a face list, and
  // less work for a software renderer. Face normals (length: twice the face's area) are
  // kept for two columns of cells at a time, which is all a column of vertices needs.
  const std::uint32_t fr = rows > 1 ? rows - 1 : 0, fc = cols > 1 ? cols - 1 : 0;
  auto at = [&](std::uint32_t i, std::uint32_t j) -> const TerrainVertex& {
    return mesh.vertices[static_cast<std::size_t>(i) * rows + j];
  };
  auto normal = [](const TerrainVertex& p0, const TerrainVertex& p1, const TerrainVertex& p2) {
    return Cross(Vec3{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z}, Vec3{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
  };
  // Each band of vertex columns [i0, i1) makes the strips of its cell columns and the normals
  // of its vertices; the cell column left of it is worked out again for its normals only.
  struct Band {
    std::vector<std::uint32_t> strips;
    std::size_t drawn = 0;
  };
  std::vector<Band> bandOut(static_cast<std::size_t>(threads));
  // Reserved here, from memory this thread has had before: fresh pages cost dearly.
  for (std::size_t b = 0; b < bandOut.size(); ++b)
    bandOut[b].strips.reserve((static_cast<std::size_t>(fc) / bandOut.size() + 1) * (2 * static_cast<std::size_t>(rows) + 1));
  bands(cols, [&](int b, std::uint32_t i0, std::uint32_t i1) {
    Band& out = bandOut[static_cast<std::size_t>(b)];
    std::vector<Vec3> faceA[2] = {std::vector<Vec3>(fr), std::vector<Vec3>(fr)};
    std::vector<Vec3> faceB[2] = {std::vector<Vec3>(fr), std::vector<Vec3>(fr)};
    std::vector<std::uint8_t> drawnA[2] = {std::vector<std::uint8_t>(fr), std::vector<std::uint8_t>(fr)};
    std::vector<std::uint8_t> drawnB[2] = {std::vector<std::uint8_t>(fr), std::vector<std::uint8_t>(fr)};
    // Column i of cells: its faces, drawn flags and (when emit) strips.
    auto cellColumn = [&](std::uint32_t i, int slot, bool emit) {
      Vec3* na = faceA[slot].data();
      Vec3* nb = faceB[slot].data();
      std::uint8_t* da = drawnA[slot].data();
      std::uint8_t* db = drawnB[slot].data();
      const std::uint32_t k0 = i * rows, k20 = (i + 1) * rows;
      // Strip position t runs over the faces A0, B0, A1, B1 ...; face t is strip vertices t to t + 2.
      auto stripVertex = [&](std::uint32_t t) { return t % 2 == 0 ? k0 + t / 2 : k20 + t / 2; };
      std::int64_t runStart = -1;
      auto endRun = [&](std::uint32_t end) {  // faces runStart .. end - 1
        if (runStart < 0) return;
        for (std::uint32_t t = static_cast<std::uint32_t>(runStart); t < end + 2; ++t) out.strips.push_back(stripVertex(t));
        out.strips.push_back(kStripRestart);
        runStart = -1;
      };
      for (std::uint32_t j = 0; j < fr; ++j) {
        da[j] = !(hole(i, j) || hole(i, j + 1) || hole(i + 1, j));
        db[j] = !(hole(i, j + 1) || hole(i + 1, j + 1) || hole(i + 1, j));
        if (da[j]) na[j] = normal(at(i, j), at(i, j + 1), at(i + 1, j));
        if (db[j]) nb[j] = normal(at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
        if (!emit) continue;
        out.drawn += da[j] + db[j];
        for (std::uint32_t t = 2 * j; t < 2 * j + 2; ++t) {
          const bool on = t % 2 == 0 ? da[j] : db[j];
          if (on && runStart < 0) runStart = t;
          if (!on) endRun(t);
        }
      }
      if (emit) endRun(2 * fr);
    };
    // Each vertex sums the faces drawn around it, in the order the faces are listed.
    auto vertexColumn = [&](std::uint32_t i, int left, int right) {
      for (std::uint32_t j = 0; j < rows; ++j) {
        Vec3 sum{0, 0, 0};
        auto add = [&](int slot, bool a, std::uint32_t fi, std::int64_t fj) {
          if (fi >= fc || fj < 0 || fj >= fr) return;
          const auto f = static_cast<std::size_t>(fj);
          if (!(a ? drawnA : drawnB)[slot][f]) return;
          const Vec3& n = (a ? faceA : faceB)[slot][f];
          sum.x += n.x;
          sum.y += n.y;
          sum.z += n.z;
        };
        const std::int64_t sj = j;
        if (i > 0) {
          add(left, false, i - 1, sj - 1);
          add(left, true, i - 1, sj);
          add(left, false, i - 1, sj);
        }
        add(right, true, i, sj - 1);
        add(right, false, i, sj - 1);
        add(right, true, i, sj);
        const Vec3 n = Normalize(sum);
        TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(i) * rows + j];
        v.nx = n.x;
        v.ny = n.y;
        v.nz = n.z;
      }
    };
    if (i0 > 0 && i0 - 1 < fc) cellColumn(i0 - 1, static_cast<int>((i0 - 1) % 2), false);
    for (std::uint32_t i = i0; i < i1; ++i) {
      const int right = static_cast<int>(i % 2), left = 1 - right;
      if (i < fc) cellColumn(i, right, true);
      vertexColumn(i, left, right);
    }
  });
  std::size_t drawn = 0, stripCount = 0;
  for (const Band& b : bandOut) {
    drawn += b.drawn;
    stripCount += b.strips.size();
  }
  mesh.strips.reserve(stripCount);
  for (const Band& b : bandOut) mesh.strips.insert(mesh.strips.end(), b.strips.begin(), b.strips.end());
  mesh.faces = static_cast<std::uint32_t>(drawn);
  mesh.holeFaces = static_cast<std::uint32_t>(2 * static_cast<std::size_t>(fr) * fc - drawn);

  // Bounds of the cells with data; the centre sits at height 0.
  if (valid > 0) {
    mesh.centre = {static_cast<float>(sx / static_cast<double>(valid)), 0.0f,
                   static_cast<float>(sz / static_cast<double>(valid))};
    std::vector<double> columnY(cols);
    bands(cols, [&](int, std::uint32_t i0, std::uint32_t i1) {
      for (std::uint32_t i = i0; i < i1; ++i) {
        double y = 0;
        for (std::uint32_t j = 0; j < rows; ++j)
          if (!hole(i, j)) y += mesh.vertices[static_cast<std::size_t>(i) * rows + j].y;
        columnY[i] = y;
      }
    });
    double cy = 0;
    for (double y : columnY) cy += y;
    cy /= static_cast<double>(valid);
    const Vec3 c{mesh.centre.x, static_cast<float>(cy), mesh.centre.z};
    std::vector<float> bandR2(static_cast<std::size_t>(threads), 0.0f);
    bands(cols, [&](int b, std::uint32_t i0, std::uint32_t i1) {
      float r2 = 0;
      for (std::uint32_t i = i0; i < i1; ++i)
        for (std::uint32_t j = 0; j < rows; ++j) {
          if (hole(i, j)) continue;
          const TerrainVertex& v = mesh.vertices[static_cast<std::size_t>(i) * rows + j];
          const float ddx = v.x - c.x, ddy = v.y - c.y, ddz = v.z - c.z;
          r2 = std::max(r2, ddx * ddx + ddy * ddy + ddz * ddz);
        }
      bandR2[static_cast<std::size_t>(b)] = r2;
    });
    mesh.radius = std::sqrt(*std::max_element(bandR2.begin(), bandR2.end()));
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

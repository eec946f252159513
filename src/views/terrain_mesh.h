#pragma once
// The terrain surface of the 3D view: the analysis area's elevation cells, thinned by row
// and column strides so that vertices and faces stay within the vertex limit, as a grid of
// vertices stored column by column (vertex (i, j) of column i and row j at i x rows + j)
// with normals and texture coordinates, and the faces that are drawn. Faces that touch a
// cell without data are left out, and so are their cells from the bounds and the normals.
#include <cstdint>
#include <vector>

#include "views/scene_math.h"

class CTheme;
class CPVN4Doc;

namespace views {

// Vertex and face limit: the largest vertex index of 32-bit indices, at most this.
constexpr std::uint32_t kVertexLimitCap = 1000000;
constexpr std::uint64_t kLargestVertexIndex = 0xFFFFFFFFull;
std::uint32_t VertexLimit(std::uint64_t largestVertexIndex);
inline bool Uses32BitIndices(std::uint64_t largestVertexIndex) { return largestVertexIndex > 0xFFFF; }

struct MeshStrides {
  std::uint32_t rowStride = 1, columnStride = 1;
  std::uint32_t rows = 0, columns = 0;
};
// The row stride grows first, then both in step, until vertices and faces fit the limit.
MeshStrides ComputeStrides(std::uint32_t windowRows, std::uint32_t windowColumns, std::uint32_t limit);

struct TerrainVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

struct TerrainInput {
  const CTheme* elevation = nullptr;
  // The area's cell window in the elevation theme, and its map extent.
  int firstColumn = 0, firstRow = 0, lastColumn = 1, lastRow = 1;
  double west = 0, north = 0, east = 0, south = 0;
  // The area's legend range of the elevation layer (0 without a legend).
  float legendMin = 0, legendMax = 0;
  float exaggeration = 1.0f;
  float scale = 1.0f;
  std::uint32_t vertexLimit = kVertexLimitCap;
};

constexpr std::uint32_t kStripRestart = 0xFFFFFFFFu;

struct TerrainMesh {
  MeshStrides strides;
  std::vector<TerrainVertex> vertices;
  // The drawn faces as triangle strips, each ended by kStripRestart: one or more per column of
  // cells, face t of a strip being its vertices t, t + 1 and t + 2. Down a column the faces run
  // A, B, A, B ..., A = (k, k + 1, k') and B = (k + 1, k' + 1, k') of each cell, with k
  // = (i, j) and k' = (i + 1, j) (a strip turns every other face, which no one sees: both
  // sides are drawn and the normals come from these orders).
  std::vector<std::uint32_t> strips;
  std::uint32_t faces = 0, holeFaces = 0;
  math::Vec3 centre;  // y is 0
  float radius = 1.0f;
};

TerrainMesh BuildTerrainMesh(const TerrainInput& in);
// The strides and mesh size BuildTerrainMesh will use (no rows or columns without an elevation
// theme or with an empty window), so that the texture's size is known before the mesh is built.
MeshStrides StridesOf(const TerrainInput& in);
// The input of the project's current area: its window of the elevation layer, its extent and
// its elevation legend's range; no elevation theme without a current area or an elevation layer.
TerrainInput TerrainInputOf(const CPVN4Doc& doc, float exaggeration, float scale, std::uint32_t vertexLimit);

// The light's travel direction for a bounding-sphere centre and the options' angles (degrees).
math::Vec3 LightDirection(math::Vec3 centre, float azimuth, float inclination);

// World (centred, turned, moved), view (from -3 radii looking at the centre) and projection
// (45 degrees, clip planes at a 64th and 200 radii) of the mesh for a drawing area.
struct SceneTransforms {
  math::Mat4 world, view, projection;
};
SceneTransforms ComputeTransforms(const TerrainMesh& mesh, const math::Mat4& rotation, const math::Mat4& translation,
                                  int width, int height);

// Size of the map picture for the texture: density pixels per mesh vertex, each side held to
// the largest texture (the picture is one pixel larger than the rectangle).
struct TextureSize {
  int width = 0, height = 0;  // the rectangle's right and bottom
};
TextureSize TextureRect(std::uint32_t rows, std::uint32_t columns, double density, int maxTextureSize);

}  // namespace views

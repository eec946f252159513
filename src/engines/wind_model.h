#pragma once
// Mass-consistent winds over terrain: an initial field from the domain wind (and, when asked,
// slope flows) on a terrain-following mesh, adjusted as little as possible until it conserves
// mass. The formulation, units and grid conventions are in README.md ("Gridded winds").
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace engines {

// Terrain and vegetation of the wind cells: rows x cols cells of `cell` metres, row 0 the
// northern row, each row west to east.
struct WindTerrain {
  int rows = 0, cols = 0;
  double cell = 0;
  std::vector<double> elevation;   // m above sea level
  std::vector<double> vegetation;  // vegetation height, m
};

struct WindSettings {
  double speedMph = 0;       // 20 ft above the vegetation
  double directionFrom = 0;  // azimuth the wind comes from, degrees
  int layers = 20;
  int threads = 1;
  // Solved when the divergence left is this fraction of the initial field's (2-norm over cells).
  double tolerance = 1e-7;
  int maxIterations = 20000;
  // Slope flow of each wind cell, m/s toward east and north 20 ft above the vegetation; empty
  // for none.
  std::vector<double> slopeEast, slopeNorth;
};

// Depth of the layer that slope flows fill, m.
constexpr double kSlopeFlowDepth = 50.0;

enum WindStatus { kWindOk = 0, kWindCancelled, kWindNoMemory, kWindBadTerrain, kWindNotConverged };

// The mesh: layers between the ground and a flat top, their levels a fixed stretch of eta in
// [0, 1], z = ground + eta (top - ground).
struct WindMesh {
  int rows = 0, cols = 0, layers = 0;
  double dx = 0, top = 0;
  std::vector<double> eta;     // layers + 1 face levels, eta[0] = 0, eta[layers] = 1
  std::vector<double> etaMid;  // layers centre levels
  std::vector<double> depth;   // top - ground, per column

  std::size_t Columns() const { return static_cast<std::size_t>(rows) * cols; }
  std::size_t Unknowns() const { return Columns() * layers; }
};

// Rough bytes a solve of this size needs, to refuse grids that cannot fit.
std::uint64_t WindSolveBytes(int rows, int cols, int layers);

class TerrainWindModel {
 public:
  // progress (0..1) may be null; cancel is polled every iteration.
  WindStatus Solve(const WindTerrain& terrain, const WindSettings& settings, const std::atomic<bool>& cancel,
                   std::atomic<double>* progress);

  // Wind 20 ft above the vegetation at each cell centre (rows x cols, row 0 north).
  const std::vector<float>& SpeedMph() const { return speed_; }
  const std::vector<float>& DirectionFrom() const { return direction_; }
  int Iterations() const { return iterations_; }
  // Divergence left over the initial field's, after the solve.
  double RelativeResidual() const { return residual_; }
  const WindMesh& Mesh() const { return mesh_; }

  // For checks: the face velocities of the initial and adjusted fields and the mesh, as raw
  // little-endian files in a folder (names in README.md).
  bool ExportField(const std::string& folder, std::string* why) const;
  // The assembled matrix (CSR) and right-hand side of the last solve.
  bool ExportSystem(const std::string& folder, std::string* why) const;

 private:
  void BuildMesh(const WindTerrain& t, int layers);
  // Initial horizontal velocity of column i at height z above ground, m/s.
  void Initial(std::size_t col, double z, double& u, double& v) const;
  void InitialFaces(std::vector<double>& ux, std::vector<double>& vy, std::vector<double>& w,
                    const std::atomic<bool>* cancel = nullptr) const;
  void Divergence(const std::vector<double>& ux, const std::vector<double>& vy, const std::vector<double>& w,
                  std::vector<double>& div) const;
  void AdjustedFaces(std::vector<double>& ux, std::vector<double>& vy, std::vector<double>& w) const;
  void Sample();

  WindMesh mesh_;
  WindSettings set_;
  std::vector<double> vegetation_, slopeX_, slopeY_;  // per column
  std::vector<double> gradX_, gradY_;                 // ground slope per column
  double ux_ = 0, vy_ = 0;                            // domain wind, m/s toward
  std::vector<double> lambda_, rhs_;
  std::vector<float> speed_, direction_;
  int iterations_ = 0;
  double residual_ = 0;
};

// Wind relative to its value 20 ft above the vegetation, at height z (m above ground) over
// vegetation of height h (m): the logarithmic profile above the displacement height.
double WindProfileFactor(double z, double h);

}  // namespace engines

#pragma once
// Fire growth by elliptical wave propagation: the perimeter is a set of closed rings whose
// vertices move as the envelope of elliptical wavelets (the 1990 differential equations), with
// loops clipped, fires merged and unburned islands kept as enclaves by one rule: the burned
// region is where the rings' winding number is positive.
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace engines::growth {

struct Vertex {
  double x = 0, y = 0;
  double tau = 0;  // minutes the vertex's fire has burned (for acceleration)
};
// A closed ring, the last vertex joined to the first. Fires run counter-clockwise (burned on
// the left), enclaves clockwise.
using Ring = std::vector<Vertex>;

double SignedArea(const Ring& r);  // positive counter-clockwise

// The wavelet of a place: ellipse half-width a, half-length b and centre offset c (m/min, on
// the slope plane), head azimuth (radians clockwise from north), slope as its tangent and the
// upslope azimuth (radians).
struct Wavelet {
  double a = 0, b = 0, c = 0, head = 0, slopeTan = 0, upslope = 0;
};

// Horizontal velocity (m/min) of a vertex whose tangent is (tx, ty) with the burned side on
// the left: the point of its wavelet whose normal is the perimeter's outward normal.
void VertexVelocity(const Wavelet& w, double tx, double ty, double& vx, double& vy);

// The boundary of the region where the rings' winding number is positive: loops clipped,
// overlapping fires merged, unburned islands as clockwise enclaves. Rings that cross nothing
// are kept or dropped whole; vertex attributes are interpolated at crossings. The result does
// not depend on the number of threads.
std::vector<Ring> CleanRings(const std::vector<Ring>& rings, int threads = 1);

// Inserts vertices so that no edge is longer than maxEdge and drops a vertex closer than
// minEdge to the one before it. A ring shorter than kMinVertices x maxEdge has both lengths
// scaled down by its length over that, so it keeps about kMinVertices vertices.
constexpr int kMinVertices = 12;
void Resample(Ring& ring, double maxEdge, double minEdge);

// The cell grid the growth runs on: row 0 north, cell centres at west + (c + 0.5) cell,
// north - (r + 0.5) cell.
struct Grid {
  int rows = 0, cols = 0;
  double west = 0, north = 0, cell = 0;
  bool Cell(double x, double y, int& row, int& col) const;
};

// Calls span(row, firstCol, lastCol) for every run of cell centres inside the region (winding
// number above 0). Rows are visited in parallel with the given threads.
void FillRegion(const std::vector<Ring>& rings, const Grid& grid, int threads,
                const std::function<void(int, int, int)>& span);

// A circle of the given radius as a counter-clockwise ring of n vertices.
Ring Circle(double x, double y, double radius, int n);

// One fire growing over a field of wavelets.
struct GrowthSettings {
  double distanceRes = 30;   // the largest move of a vertex in one sub-step, m
  double perimeterRes = 30;  // the longest edge of a perimeter, m
  bool acceleration = false;
  double accelerationRate = 0.115;  // per minute: R = Req (1 - exp(-k t))
  int threads = 1;
};

class Growth {
 public:
  // wavelet(x, y, w): the wavelet at a place; false where nothing burns (the vertex stays).
  // blocked(row, col): a barrier or non-burnable cell a vertex may not enter.
  using WaveletAt = std::function<bool(double, double, Wavelet&)>;
  using Blocked = std::function<bool(int, int)>;

  Growth(const Grid& grid, const GrowthSettings& s) : grid_(grid), s_(s) {}
  void AddRing(Ring ring);  // made counter-clockwise; merged at the next step
  const std::vector<Ring>& Rings() const { return rings_; }
  std::size_t VertexCount() const;
  std::uint64_t VertexSteps() const { return vertexSteps_; }

  // Grows for the given minutes in sub-steps whose largest move is the distance resolution;
  // after each sub-step calls after(minutesDone). Returns false when cancelled.
  bool Advance(double minutes, const WaveletAt& wavelet, const Blocked& blocked, const std::atomic<bool>& cancel,
               const std::function<void(double)>& after);
  // Clips loops and merges rings now (also done after every sub-step).
  void Clean();

 private:
  Grid grid_;
  GrowthSettings s_;
  std::vector<Ring> rings_;
  bool added_ = false;
  std::uint64_t vertexSteps_ = 0;
};

}  // namespace engines::growth

#pragma once
// The minimum-travel-time search: nodes at cell centres, edges to every offset of the stencil,
// edge times from the spread ellipses of the cells an edge crosses, and a shortest-path search
// from the ignition nodes, with embers that may start new fires ahead of the front.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/grid_memory.h"

namespace engines::mtt {

// One cell crossed by an edge: its offset from the edge's start cell and the share of the
// edge's length that lies in it.
struct Piece {
  int dr = 0, dc = 0;
  double share = 0;
};

// One edge of the stencil: to the node dr rows south and dc columns east.
struct Offset {
  int dr = 0, dc = 0;
  double length = 0;          // in cells
  double sinAz = 0, cosAz = 0;  // azimuth of travel, clockwise from north
  std::vector<Piece> pieces;
};

// Every offset with |dc| <= lateral and |dr| <= vertical whose two parts have no common
// divisor (a depth of 0 or less counts as 1).
std::vector<Offset> BuildStencil(int lateral, int vertical);

// The spread ellipse of every cell (row 0 north, m/min): b and c as the fire-behaviour engine
// gives them on the slope plane (head rate b + c, backing rate b - c), dir the azimuth of the
// head in radians. A cell whose b is not above 0 (or not a number) does not burn. slopeTan and
// upslope (radians) give the terrain (empty: flat): the lattice spreads at the ellipse's
// horizontal image, as a map measures it.
struct SpreadField {
  int rows = 0, cols = 0;
  double cell = 0;  // metres (map units) per cell
  std::vector<double> b, c, dir;
  std::vector<double> slopeTan, upslope;
};

// Spread rate (m/min) of an ellipse along an azimuth: the polar form about the rear focus,
// (b^2 - c^2) / (b - c cos(theta)), theta measured from the head.
double RateAlong(double b, double c, double dir, double azimuth);

// The slowness terms of a cell on ground of slope tangent t rising towards azimuth up (radians):
// the horizontal slowness along azimuth phi is P sqrt(1 + (Tn cos phi + Te sin phi)^2)
// - Q cos phi - S sin phi (min/m), with Tn = t cos(up), Te = t sin(up). A horizontal step of
// direction d is the slope-plane step (d stretched by sqrt(1 + t^2) up the slope), crossed at
// the slope-plane ellipse's rate; on flat ground it is the ellipse's own polar form.
struct Slowness {
  double P, Q, S;
  float Tn, Te;
  double Along(double cosAz, double sinAz) const {
    const double g = Tn * cosAz + Te * sinAz;
    return P * std::sqrt(1.0 + g * g) - Q * cosAz - S * sinAz;
  }
  // The stretch of a horizontal step along the azimuth onto the slope plane.
  double Stretch(double cosAz, double sinAz) const {
    const double g = Tn * cosAz + Te * sinAz;
    return std::sqrt(1.0 + g * g);
  }
};
Slowness SlownessOf(double b, double c, double dir, double slopeTan, double upslope);

struct SpotSettings {
  double probability = 0;  // of an ember igniting where it lands
  double delay = 0;        // minutes from landing to ignition
  std::uint64_t seed = 0;
  // Per cell: the longest spotting distance (m, 0 = the cell launches no ember), its azimuth
  // (radians, downwind) and the speed (m/min) the ember drifts at.
  std::vector<float> distance, azimuth, speed;
};

struct SearchSettings {
  double maxTime = 0;  // minutes; 0 or less: unlimited
  int lateral = 6, vertical = 4;
  std::vector<int> ignitions;  // node indices
  std::vector<char> removed;   // barrier nodes (empty: none)
  SpotSettings spots;
  const std::atomic<bool>* cancel = nullptr;
  std::atomic<double>* progress = nullptr;
};

struct SpotEvent {
  int from = -1, to = -1;  // launching and igniting nodes
  double launch = 0, land = 0;
};

struct SearchResult {
  std::vector<double> arrival;  // minutes; -1 for a node never reached within the time
  std::vector<int> parent;      // the node the fire came from; -1 for ignitions
  std::vector<int> order;       // nodes in the order they burned
  std::vector<double> rate;     // m/min along the arriving edge on the slope plane (head rate for ignitions and spots)
  std::vector<SpotEvent> spots;  // embers that started a fire, in the order those fires started
  bool cancelled = false;
};

SearchResult RunSearch(const SpreadField& field, const SearchSettings& settings);

// What every fire on one lattice shares, built once and only read afterwards: the slowness
// terms of each cell, the stencil as linear offsets and the ember reach of each cell.
struct SearchModel {
  int rows = 0, cols = 0;
  double cell = 0;
  // Horizontal slowness along an azimuth (see Slowness); P is infinite where the cell cannot
  // burn (or is a barrier). The terms lie together: an edge reads them all for each cell it
  // crosses. head is the head-fire rate b + c.
  using Slowness = mtt::Slowness;
  std::vector<Slowness, platform::GridAllocator<Slowness>> slowness;
  std::vector<double, platform::GridAllocator<double>> head;
  bool Burnable(std::size_t i) const { return std::isfinite(slowness[i].P); }
  // An edge through a cell corner (both parts odd: through its middle) passes between the two
  // side cells there, by their steps from the edge's start; none when corner is false.
  struct Edge {
    int dr, dc;
    long long step;
    double scale, sinAz, cosAz;
    std::size_t first, count;
    bool corner;
    long long side1, side2;
  };
  struct LinearPiece {
    long long step;
    double share;
  };
  std::vector<Edge> edges;
  std::vector<LinearPiece> pieces;
  std::size_t burnable = 0;
  SpotSettings spots;  // its seed is not used: each fire brings its own
  bool spotting = false;
  std::size_t Nodes() const { return static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols); }
};

// The model of a field with the stencil of the given depths; removed nodes (empty: none) and
// the ember reach of spots (may be empty) go into it. Its rows are shared out to `threads`.
SearchModel BuildModel(const SpreadField& field, int lateral, int vertical, const std::vector<char>& removed,
                       SpotSettings spots = {}, int threads = 1);
// The same, read in place from the fire-behaviour engine's single-precision grids (row 0
// north, rows x cols each): the model of the same values held as doubles.
struct SpreadGrids {
  int rows = 0, cols = 0;
  double cell = 0;
  const float *b = nullptr, *c = nullptr, *dir = nullptr;
  const float *slopeTan = nullptr, *upslope = nullptr;  // null: flat
};
SearchModel BuildModel(const SpreadGrids& grids, int lateral, int vertical, const std::vector<char>& removed,
                       SpotSettings spots = {}, int threads = 1);

// The per-thread state of a search: node arrays sized once, and before each fire only the
// nodes the previous fire touched are reset, so a fire costs what it burns, not the lattice.
class SearchWorkspace {
 public:
  // Grows fire from the ignitions (nodes that cannot burn are left out) until maxTime
  // (minutes; 0 or less: unlimited). Returns false when cancelled.
  bool Run(const SearchModel& model, const std::vector<int>& ignitions, double maxTime, std::uint64_t seed,
           const std::atomic<bool>* cancel = nullptr, std::atomic<double>* progress = nullptr);
  // Nodes in the order they burned, with their arrival (minutes) and rate (m/min).
  const std::vector<int>& Order() const { return order_; }
  // Unburned nodes answer -1.
  double Arrival(int v) const { return Burned(v) ? node_[static_cast<std::size_t>(v)].tent : -1.0; }
  double Rate(int v) const {
    return Burned(v) ? rate_[static_cast<std::size_t>(kSettled - node_[static_cast<std::size_t>(v)].pos)] : -1.0;
  }
  int Parent(int v) const { return Burned(v) ? node_[static_cast<std::size_t>(v)].parent : -1; }
  const std::vector<SpotEvent>& Spots() const { return spots_; }

 private:
  // What the search reads and writes of a node as the front passes, in one place. A settled
  // node's tentative time is its arrival, and pos tells where it stands in the burning order.
  struct Node {
    double tent;
    int pos;  // -1 never queued, >= 0 the heap slot, <= kSettled settled: kSettled - its place in order_
    int parent : 31;
    unsigned viaEmber : 1;
  };
  static constexpr int kSettled = -2;
  bool Burned(int v) const { return node_[static_cast<std::size_t>(v)].pos <= kSettled; }

 public:
  // Bytes a workspace takes per lattice node: its node array alone (the rest grows with what
  // a fire burns).
  static constexpr std::size_t kBytesPerNode = sizeof(Node);

 private:
  void Reset(std::size_t n);
  void Push(int v);
  int Pop();
  bool Less(int a, int b) const { return node_[a].tent < node_[b].tent || (node_[a].tent == node_[b].tent && a < b); }

  std::vector<Node, platform::GridAllocator<Node>> node_;
  std::vector<double> rate_;  // in burning order
  std::vector<int> heap_, touched_, order_;
  std::vector<SpotEvent> spots_;
};

// Nodes in each burned node's subtree (itself included); 0 for unburned nodes.
std::vector<double> Influence(const SearchResult& result);

}  // namespace engines::mtt

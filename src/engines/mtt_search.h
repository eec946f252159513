#pragma once
// The minimum-travel-time search: nodes at cell centres, edges to every offset of the stencil,
// edge times from the spread ellipses of the cells an edge crosses, and a shortest-path search
// from the ignition nodes, with embers that may start new fires ahead of the front.
#include <atomic>
#include <cstdint>
#include <vector>

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
// gives them (head rate b + c, backing rate b - c), dir the azimuth of the head in radians.
// A cell whose b is not above 0 (or not a number) does not burn.
struct SpreadField {
  int rows = 0, cols = 0;
  double cell = 0;  // metres (map units) per cell
  std::vector<double> b, c, dir;
};

// Spread rate (m/min) of an ellipse along an azimuth: the polar form about the rear focus,
// (b^2 - c^2) / (b - c cos(theta)), theta measured from the head.
double RateAlong(double b, double c, double dir, double azimuth);

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
  std::vector<double> rate;     // m/min along the arriving edge (head rate for ignitions and spots)
  std::vector<SpotEvent> spots;  // embers that started a fire, in the order those fires started
  bool cancelled = false;
};

SearchResult RunSearch(const SpreadField& field, const SearchSettings& settings);

// Nodes in each burned node's subtree (itself included); 0 for unburned nodes.
std::vector<double> Influence(const SearchResult& result);

}  // namespace engines::mtt

#pragma once
// Treatment optimisation: where fuels treated to the ideal landscape's state would slow the
// fire most. The fire's travel paths on the current landscape are found by the
// minimum-travel-time search; square treatment units are laid across the paths where they
// delay the most downstream travel, until the share of the area allowed for this round is
// used, and the fire is searched again on the treated landscape for the next round.
#include <atomic>
#include <cstddef>
#include <vector>

#include "engines/mtt_search.h"

namespace engines::tom {

// 1 where the cell burns now and its ideal fuels are nowhere faster and somewhere slower
// (or do not burn at all); 0 elsewhere, and where the ideal landscape has no data (known 0).
std::vector<char> Opportunities(const mtt::SpreadField& current, const mtt::SpreadField& ideal,
                                const std::vector<char>& known);

struct Settings {
  int iterations = 1;
  int unitCells = 1;            // side of a treatment unit, in cells
  std::size_t budgetCells = 0;  // cells that may be treated over all iterations
  // The search: ignitions, depths, time limit, embers and cancel (its progress is not used).
  mtt::SearchSettings search;
  std::atomic<double>* progress = nullptr;  // share of the iterations done
};

// One treatment unit: the cells it treated lie within rows [row0, row1) and columns
// [col0, col1).
struct Unit {
  int row0 = 0, col0 = 0, row1 = 0, col1 = 0;
  int iteration = 0;
  std::size_t cells = 0;
};

struct Result {
  std::vector<char> opportunity;
  std::vector<int> treatment;  // the iteration (1, 2, ...) that treated a cell; 0 untreated
  std::vector<Unit> units;
  mtt::SpreadField treated;    // the current field with the treated cells' ideal ellipses
  mtt::SearchResult fire;      // the fire on the treated landscape
  bool cancelled = false;
};

Result Optimise(const mtt::SpreadField& current, const mtt::SpreadField& ideal, const std::vector<char>& known,
                const Settings& settings);

}  // namespace engines::tom

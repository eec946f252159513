#include "engines/tom.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace engines::tom {

namespace {

// A cell the ideal fuels leave unburnable scores as this many times its current slowness:
// the fire has to go round it, at a cost the edge alone cannot tell.
constexpr double kBlockedSlowdown = 9.0;

double SlownessAlong(const mtt::SearchModel::Slowness& s, double sinAz, double cosAz) {
  return s.Along(cosAz, sinAz);
}

class Placer {
 public:
  Placer(const mtt::SpreadField& current, const mtt::SpreadField& ideal, const Settings& s, Result& out)
      : cur_(current), ideal_(ideal), s_(s), out_(out), rows_(current.rows), cols_(current.cols),
        n_(static_cast<std::size_t>(std::max(rows_, 0)) * static_cast<std::size_t>(std::max(cols_, 0))),
        stencil_(mtt::BuildStencil(s.search.lateral, s.search.vertical)),
        curModel_(mtt::BuildModel(current, s.search.lateral, s.search.vertical, {})),
        idealModel_(mtt::BuildModel(ideal, s.search.lateral, s.search.vertical, {})) {
    lat_ = std::max(s.search.lateral, 1);
    vert_ = std::max(s.search.vertical, 1);
    offsetIndex_.assign(static_cast<std::size_t>((2 * lat_ + 1) * (2 * vert_ + 1)), -1);
    for (std::size_t k = 0; k < stencil_.size(); ++k)
      offsetIndex_[static_cast<std::size_t>((stencil_[k].dr + vert_) * (2 * lat_ + 1) + stencil_[k].dc + lat_)] =
          static_cast<int>(k);
  }

  const mtt::SearchModel& CurrentModel() const { return curModel_; }
  // Cells a unit may treat.
  void SetEligible(std::vector<char> cells) { eligible_ = std::move(cells); }
  const mtt::SearchModel& IdealModel() const { return idealModel_; }

  // Lays units on the fire until `target` cells are treated or no unit would delay it.
  // False when cancelled.
  bool Place(const mtt::SearchResult& fire, int iteration, std::size_t target, std::size_t& used) {
    Edges(fire);
    covered_.assign(n_, 0);
    Remaining(fire);
    const std::size_t start = used;
    while (used < target) {
      if (s_.search.cancel && s_.search.cancel->load()) return false;
      Weights(fire);
      int r0 = 0, c0 = 0;
      if (!Best(r0, c0)) {
        // Every path that crosses treatable cells already meets a unit: start another layer.
        if (std::find(covered_.begin(), covered_.end(), 1) == covered_.end()) break;
        covered_.assign(n_, 0);
        Remaining(fire);
        Weights(fire);
        if (!Best(r0, c0)) break;
      }
      used += Treat(r0, c0, iteration);
      Cover(fire);
      if (s_.progress && target > start)
        s_.progress->store((iteration - 1 + static_cast<double>(used - start) / (target - start)) /
                           std::max(s_.iterations, 1));
    }
    return true;
  }

 private:
  int OffsetOf(int dr, int dc) const {
    if (std::abs(dr) > vert_ || std::abs(dc) > lat_) return -1;
    return offsetIndex_[static_cast<std::size_t>((dr + vert_) * (2 * lat_ + 1) + dc + lat_)];
  }

  void Edges(const mtt::SearchResult& fire) {
    offset_.assign(n_, -1);
    std::vector<char> ember(n_, 0);
    for (const mtt::SpotEvent& e : fire.spots) ember[static_cast<std::size_t>(e.to)] = 1;
    for (int v : fire.order) {
      const int u = fire.parent[static_cast<std::size_t>(v)];
      if (u < 0 || ember[static_cast<std::size_t>(v)]) continue;
      offset_[static_cast<std::size_t>(v)] = OffsetOf(v / cols_ - u / cols_, v % cols_ - u % cols_);
    }
  }

  // Calls f(cell, share of the edge) for every cell the arriving edge of v crosses.
  template <class F>
  void ForPieces(const mtt::SearchResult& fire, int v, F&& f) const {
    const int k = offset_[static_cast<std::size_t>(v)];
    if (k < 0) return;
    const int u = fire.parent[static_cast<std::size_t>(v)];
    const int ur = u / cols_, uc = u % cols_;
    for (const mtt::Piece& p : stencil_[static_cast<std::size_t>(k)].pieces)
      f(static_cast<std::size_t>(ur + p.dr) * static_cast<std::size_t>(cols_) + static_cast<std::size_t>(uc + p.dc),
        p.share);
  }

  // The nodes of each node's subtree that no unit delays yet.
  void Remaining(const mtt::SearchResult& fire) {
    remaining_.assign(n_, 0.0);
    for (int v : fire.order) remaining_[static_cast<std::size_t>(v)] = covered_[static_cast<std::size_t>(v)] ? 0 : 1;
    for (auto it = fire.order.rbegin(); it != fire.order.rend(); ++it) {
      const int p = fire.parent[static_cast<std::size_t>(*it)];
      if (p >= 0) remaining_[static_cast<std::size_t>(p)] += remaining_[static_cast<std::size_t>(*it)];
    }
  }

  // Per cell: the minutes treating it adds to the travel of the not yet delayed nodes whose
  // paths cross it, summed over those nodes (the paths held as they are).
  void Weights(const mtt::SearchResult& fire) {
    weight_.assign(n_, 0.0);
    for (int v : fire.order) {
      const double downstream = remaining_[static_cast<std::size_t>(v)];
      const int k = offset_[static_cast<std::size_t>(v)];
      if (downstream <= 0 || k < 0) continue;
      const mtt::Offset& o = stencil_[static_cast<std::size_t>(k)];
      const double metres = o.length * cur_.cell;
      ForPieces(fire, v, [&](std::size_t x, double share) {
        if (!eligible_[x]) return;
        const double now = SlownessAlong(curModel_.slowness[x], o.sinAz, o.cosAz);
        const double after = idealModel_.Burnable(x) ? SlownessAlong(idealModel_.slowness[x], o.sinAz, o.cosAz)
                                                     : now * (1 + kBlockedSlowdown);
        if (after > now) weight_[x] += share * metres * (after - now) * downstream;
      });
    }
  }

  // The unit position (top-left cell) whose cells carry the largest weight; false when none
  // carries any.
  bool Best(int& bestRow, int& bestCol) {
    const int m = s_.unitCells;
    const std::size_t W = static_cast<std::size_t>(cols_) + 1;
    sums_.assign((static_cast<std::size_t>(rows_) + 1) * W, 0.0);
    for (int r = 0; r < rows_; ++r)
      for (int c = 0; c < cols_; ++c)
        sums_[(r + 1) * W + c + 1] = weight_[static_cast<std::size_t>(r) * cols_ + c] + sums_[r * W + c + 1] +
                                     sums_[(r + 1) * W + c] - sums_[r * W + c];
    double best = 0;
    bool found = false;
    for (int r0 = 0; r0 <= std::max(0, rows_ - m); ++r0)
      for (int c0 = 0; c0 <= std::max(0, cols_ - m); ++c0) {
        const std::size_t r1 = static_cast<std::size_t>(std::min(rows_, r0 + m)),
                          c1 = static_cast<std::size_t>(std::min(cols_, c0 + m));
        const double v = sums_[r1 * W + c1] - sums_[r0 * W + c1] - sums_[r1 * W + c0] + sums_[r0 * W + c0];
        if (v > best * (1 + 1e-12) && v > 0) {
          best = v;
          bestRow = r0;
          bestCol = c0;
          found = true;
        }
      }
    return found;
  }

  std::size_t Treat(int r0, int c0, int iteration) {
    Unit unit{rows_, cols_, 0, 0, iteration, 0};
    fresh_.assign(n_, 0);
    for (int r = r0; r < std::min(rows_, r0 + s_.unitCells); ++r)
      for (int c = c0; c < std::min(cols_, c0 + s_.unitCells); ++c) {
        const std::size_t x = static_cast<std::size_t>(r) * cols_ + c;
        if (!eligible_[x]) continue;
        eligible_[x] = 0;
        fresh_[x] = 1;
        out_.treatment[x] = iteration;
        out_.treated.b[x] = ideal_.b[x];
        out_.treated.c[x] = ideal_.c[x];
        out_.treated.dir[x] = ideal_.dir[x];
        unit.row0 = std::min(unit.row0, r);
        unit.col0 = std::min(unit.col0, c);
        unit.row1 = std::max(unit.row1, r + 1);
        unit.col1 = std::max(unit.col1, c + 1);
        ++unit.cells;
      }
    out_.units.push_back(unit);
    return unit.cells;
  }

  // Nodes whose path now crosses a unit, and everything downstream of them, count as delayed.
  void Cover(const mtt::SearchResult& fire) {
    for (int v : fire.order) {
      const std::size_t i = static_cast<std::size_t>(v);
      if (covered_[i]) continue;
      const int p = fire.parent[i];
      bool hit = p >= 0 && covered_[static_cast<std::size_t>(p)];
      if (!hit) ForPieces(fire, v, [&](std::size_t x, double) { hit = hit || fresh_[x]; });
      covered_[i] = hit ? 1 : 0;
    }
    Remaining(fire);
  }

  const mtt::SpreadField& cur_;
  const mtt::SpreadField& ideal_;
  const Settings& s_;
  Result& out_;
  int rows_, cols_;
  std::size_t n_;
  int lat_ = 1, vert_ = 1;
  std::vector<mtt::Offset> stencil_;
  std::vector<int> offsetIndex_;
  mtt::SearchModel curModel_, idealModel_;
  std::vector<int> offset_;  // stencil index of each node's arriving edge; -1 for ignitions and embers
  std::vector<char> eligible_, covered_, fresh_;
  std::vector<double> remaining_, weight_, sums_;
};

std::vector<char> OpportunitiesOf(const mtt::SearchModel& now, const mtt::SearchModel& ideal,
                                  const std::vector<char>& known) {
  std::vector<char> out(now.Nodes(), 0);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (i >= known.size() || !known[i] || !now.Burnable(i)) continue;
    if (!ideal.Burnable(i)) {
      out[i] = 1;
      continue;
    }
    // Slowness along phi is P L(phi) - Q cos(phi) - S sin(phi) with L >= 1 the same terrain
    // stretch for both: the ideal one is nowhere smaller when its P exceeds the current one by
    // at least the length of the (Q, S) difference.
    const auto& a = now.slowness[i];
    const auto& b = ideal.slowness[i];
    const double dP = b.P - a.P, spread = std::hypot(b.Q - a.Q, b.S - a.S);
    out[i] = dP >= spread && dP > 1e-9 * a.P ? 1 : 0;
  }
  return out;
}

}  // namespace

std::vector<char> Opportunities(const mtt::SpreadField& current, const mtt::SpreadField& ideal,
                                const std::vector<char>& known) {
  return OpportunitiesOf(mtt::BuildModel(current, 1, 1, {}), mtt::BuildModel(ideal, 1, 1, {}), known);
}

Result Optimise(const mtt::SpreadField& current, const mtt::SpreadField& ideal, const std::vector<char>& known,
                const Settings& settings) {
  Result out;
  Placer placer(current, ideal, settings, out);
  out.opportunity = OpportunitiesOf(placer.CurrentModel(), placer.IdealModel(), known);
  out.treatment.assign(out.opportunity.size(), 0);
  out.treated = current;
  placer.SetEligible(out.opportunity);
  const bool any = std::find(out.opportunity.begin(), out.opportunity.end(), 1) != out.opportunity.end();

  mtt::SearchSettings search = settings.search;
  search.progress = nullptr;
  out.fire = mtt::RunSearch(out.treated, search);
  std::size_t used = 0;
  const int iterations = std::max(settings.iterations, 1);
  for (int it = 1; it <= iterations && any && !out.fire.cancelled; ++it) {
    const std::size_t target = settings.budgetCells * static_cast<std::size_t>(it) / iterations;
    const std::size_t before = used;
    if (!placer.Place(out.fire, it, target, used)) {
      out.cancelled = true;
      return out;
    }
    // The next round, and the outputs, see the fire on the treated landscape.
    if (used > before) out.fire = mtt::RunSearch(out.treated, search);
    if (settings.progress) settings.progress->store(static_cast<double>(it) / iterations);
  }
  out.cancelled = out.fire.cancelled;
  return out;
}

}  // namespace engines::tom

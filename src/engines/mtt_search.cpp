#include "engines/mtt_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <random>

#include "engines/parallel_rows.h"

namespace engines::mtt {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The cells a segment from the centre of cell (0, 0) to the centre of cell (dr, dc) passes
// through, with the share of its length in each. Crossings of the cell borders split the
// segment; the midpoint of each piece names its cell, so a border touched only at a corner
// gives no piece.
std::vector<Piece> Pieces(int dr, int dc) {
  std::vector<double> t = {0.0, 1.0};
  const int ar = std::abs(dr), ac = std::abs(dc);
  for (int j = 1; j <= ac; ++j) t.push_back((j - 0.5) / ac);
  for (int k = 1; k <= ar; ++k) t.push_back((k - 0.5) / ar);
  std::sort(t.begin(), t.end());
  t.erase(std::unique(t.begin(), t.end()), t.end());
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i + 1 < t.size(); ++i) {
    const double mid = 0.5 * (t[i] + t[i + 1]);
    Piece p;
    p.dr = static_cast<int>(std::floor(mid * dr + 0.5));
    p.dc = static_cast<int>(std::floor(mid * dc + 0.5));
    p.share = t[i + 1] - t[i];
    pieces.push_back(p);
  }
  return pieces;
}

// Uniform value in [0, 1) from 53 bits of the generator.
double Uniform(std::mt19937_64& g) { return static_cast<double>(g() >> 11) * 0x1.0p-53; }

}  // namespace

std::vector<Offset> BuildStencil(int lateral, int vertical) {
  lateral = std::max(lateral, 1);
  vertical = std::max(vertical, 1);
  std::vector<Offset> out;
  for (int dr = -vertical; dr <= vertical; ++dr)
    for (int dc = -lateral; dc <= lateral; ++dc) {
      if ((dr == 0 && dc == 0) || std::gcd(std::abs(dr), std::abs(dc)) != 1) continue;
      Offset o;
      o.dr = dr;
      o.dc = dc;
      o.length = std::hypot(static_cast<double>(dr), static_cast<double>(dc));
      // Rows run south, so travel north is -dr.
      o.sinAz = dc / o.length;
      o.cosAz = -dr / o.length;
      o.pieces = Pieces(dr, dc);
      out.push_back(std::move(o));
    }
  return out;
}

double RateAlong(double b, double c, double dir, double azimuth) {
  return (b * b - c * c) / (b - c * std::cos(azimuth - dir));
}

// A horizontal unit step d = (along the upslope u, across it w) is the slope-plane step
// v = (k d_u, d_w), k = sqrt(1 + t^2), of length L = sqrt(1 + t^2 d_u^2); the head H is the
// engine's horizontal head direction stretched the same way and made a unit vector (divided by
// M = sqrt(1 + t^2 cos^2 delta), delta = dir - up). Its time is L (b - c e.H) / (b^2 - c^2)
// with e = v / L, i.e. (b L - c v.H) / (b^2 - c^2), and
// v.H = (cos(phi - dir) + t^2 cos(delta) cos(phi - up)) / M: linear in (cos phi, sin phi).
Slowness SlownessOf(double b, double c, double dir, double slopeTan, double upslope) {
  const double k = 1.0 / (b * b - c * c);
  const double t2 = slopeTan * slopeTan, cosDelta = std::cos(dir - upslope);
  const double kappa = c * k / std::sqrt(1.0 + t2 * cosDelta * cosDelta);
  return {b * k, kappa * (std::cos(dir) + t2 * cosDelta * std::cos(upslope)),
          kappa * (std::sin(dir) + t2 * cosDelta * std::sin(upslope)),
          static_cast<float>(slopeTan * std::cos(upslope)), static_cast<float>(slopeTan * std::sin(upslope))};
}


namespace {

// The cells' slowness terms, row by row on up to `threads` threads; the grids are read as
// doubles whatever they are held in.
template <class T>
SearchModel Model(int rows, int cols, double cell, const T* fb, const T* fc, const T* fdir, const T* ftan,
                  const T* fup, int lateral, int vertical, const std::vector<char>& removed, SpotSettings spots,
                  int threads) {
  SearchModel m;
  m.rows = std::max(rows, 0);
  m.cols = std::max(cols, 0);
  m.cell = cell;
  const std::size_t n = m.Nodes();
  m.slowness.resize(n);
  m.head.resize(n);
  std::vector<std::size_t> burnable(static_cast<std::size_t>(m.rows), 0);
  ForEachRow(m.rows, std::max(threads, 1), [&](int row) {
    const std::size_t from = static_cast<std::size_t>(row) * static_cast<std::size_t>(m.cols);
    std::size_t count = 0;
    for (std::size_t i = from; i < from + static_cast<std::size_t>(m.cols); ++i) {
      const double b = fb[i], fcv = fc[i], fd = fdir[i];
      m.head[i] = b + fcv;
      m.slowness[i] = {kInf, 0.0, 0.0, 0.0f, 0.0f};
      if (!(b > 0) || !std::isfinite(b) || (!removed.empty() && removed[i])) continue;
      double c = std::isfinite(fcv) ? std::clamp(fcv, 0.0, b * (1 - 1e-9)) : 0.0;
      const double d = std::isfinite(fd) ? fd : 0.0;
      double t = ftan ? static_cast<double>(ftan[i]) : 0.0, up = fup ? static_cast<double>(fup[i]) : 0.0;
      if (!(t > 0 && std::isfinite(t) && std::isfinite(up))) t = up = 0.0;
      m.slowness[i] = SlownessOf(b, c, d, t, up);
      ++count;
    }
    burnable[static_cast<std::size_t>(row)] = count;
  });
  for (std::size_t count : burnable) m.burnable += count;
  for (const Offset& o : BuildStencil(lateral, vertical)) {
    // With both parts odd the segment crosses the corner at its middle, between the cells
    // (dr - 1)/2 or (dr + 1)/2 rows and (dc + 1)/2 or (dc - 1)/2 columns on.
    const bool corner = o.dr % 2 != 0 && o.dc % 2 != 0;
    const int hr = (o.dr - (o.dr > 0 ? 1 : -1)) / 2, hc = (o.dc - (o.dc > 0 ? 1 : -1)) / 2;
    const int sr = o.dr > 0 ? 1 : -1, sc = o.dc > 0 ? 1 : -1;
    SearchModel::Edge e{o.dr, o.dc, static_cast<long long>(o.dr) * m.cols + o.dc, o.length * cell, o.sinAz,
                        o.cosAz, m.pieces.size(), o.pieces.size(), corner,
                        static_cast<long long>(hr + sr) * m.cols + hc, static_cast<long long>(hr) * m.cols + hc + sc};
    for (const Piece& p : o.pieces)
      m.pieces.push_back({static_cast<long long>(p.dr) * m.cols + p.dc, p.share});
    m.edges.push_back(e);
  }
  m.spotting = spots.probability > 0 && spots.distance.size() == n && spots.azimuth.size() == n &&
               spots.speed.size() == n;
  m.spots = std::move(spots);
  return m;
}

}  // namespace

SearchModel BuildModel(const SpreadField& f, int lateral, int vertical, const std::vector<char>& removed,
                       SpotSettings spots, int threads) {
  const std::size_t n = static_cast<std::size_t>(std::max(f.rows, 0)) * static_cast<std::size_t>(std::max(f.cols, 0));
  const bool terrain = f.slopeTan.size() == n && f.upslope.size() == n;
  return Model(f.rows, f.cols, f.cell, f.b.data(), f.c.data(), f.dir.data(), terrain ? f.slopeTan.data() : nullptr,
               terrain ? f.upslope.data() : nullptr, lateral, vertical, removed, std::move(spots), threads);
}

SearchModel BuildModel(const SpreadGrids& g, int lateral, int vertical, const std::vector<char>& removed,
                       SpotSettings spots, int threads) {
  const bool terrain = g.slopeTan && g.upslope;
  return Model(g.rows, g.cols, g.cell, g.b, g.c, g.dir, terrain ? g.slopeTan : nullptr, terrain ? g.upslope : nullptr,
               lateral, vertical, removed, std::move(spots), threads);
}

void SearchWorkspace::Reset(std::size_t n) {
  const Node fresh{kInf, -1, -1, 0};
  if (node_.size() != n) {
    node_.assign(n, fresh);
  } else {
    for (int v : touched_) node_[v] = fresh;
  }
  touched_.clear();
  rate_.clear();
  heap_.clear();
  order_.clear();
  spots_.clear();
}

// A 4-ary min-heap of node indices keyed by their tentative times, with decrease-key: Push
// inserts a node or moves it up after its key dropped.
void SearchWorkspace::Push(int v) {
  if (node_[v].pos == -1) {
    touched_.push_back(v);
    node_[v].pos = static_cast<int>(heap_.size());
    heap_.push_back(v);
  }
  int i = node_[v].pos;
  while (i > 0) {
    const int p = (i - 1) / 4;
    if (!Less(v, heap_[p])) break;
    heap_[i] = heap_[p];
    node_[heap_[i]].pos = i;
    i = p;
  }
  heap_[i] = v;
  node_[v].pos = i;
}

int SearchWorkspace::Pop() {
  const int top = heap_.front();
  node_[top].pos = kSettled - static_cast<int>(order_.size());
  order_.push_back(top);
  const int last = heap_.back();
  heap_.pop_back();
  const int n = static_cast<int>(heap_.size());
  if (n == 0) return top;
  int i = 0;
  for (;;) {
    const int first = 4 * i + 1;
    if (first >= n) break;
    int best = first;
    for (int k = first + 1; k < std::min(first + 4, n); ++k)
      if (Less(heap_[k], heap_[best])) best = k;
    if (!Less(heap_[best], last)) break;
    heap_[i] = heap_[best];
    node_[heap_[i]].pos = i;
    i = best;
  }
  heap_[i] = last;
  node_[last].pos = i;
  return top;
}

bool SearchWorkspace::Run(const SearchModel& m, const std::vector<int>& ignitions, double maxTime,
                          std::uint64_t seed, const std::atomic<bool>* cancel, std::atomic<double>* progress) {
  const std::size_t n = m.Nodes();
  Reset(n);
  if (n == 0) return true;
  const int rows = m.rows, cols = m.cols;
  for (int v : ignitions) {
    if (v < 0 || static_cast<std::size_t>(v) >= n || !m.Burnable(static_cast<std::size_t>(v))) continue;
    node_[v].tent = 0.0;
    Push(v);
  }
  const SpotSettings& sp = m.spots;
  std::mt19937_64 gen(seed);
  const double limit = maxTime > 0 ? maxTime : kInf;
  const SearchModel::Slowness* slow = m.slowness.data();

  std::size_t settled = 0;
  while (!heap_.empty()) {
    const int u = heap_.front();
    const double t = node_[u].tent;
    if (t > limit) break;
    Pop();
    if ((++settled & 4095) == 0) {
      if (cancel && cancel->load(std::memory_order_relaxed)) return false;
      if (progress) {
        double p = static_cast<double>(settled) / static_cast<double>(m.burnable);
        if (maxTime > 0) p = std::max(p, t / maxTime);
        progress->store(std::min(p, 0.999));
      }
    }
    const int parent = node_[u].parent;
    if (node_[u].viaEmber) {
      spots_.push_back({parent, u, node_[parent].tent, t - sp.delay});
      rate_.push_back(m.head[u]);
    } else if (parent < 0) {
      rate_.push_back(m.head[u]);
    } else {
      const double dr = u / cols - parent / cols, dc = u % cols - parent % cols;
      const double len = std::sqrt(dr * dr + dc * dc);
      // The fire's own rate along the edge: the slope-plane length over the time.
      rate_.push_back(slow[u].Stretch(-dr / len, dc / len) / slow[u].Along(-dr / len, dc / len));
    }

    const int r = u / cols, c = u % cols;
    for (const SearchModel::Edge& e : m.edges) {
      const int r2 = r + e.dr, c2 = c + e.dc;
      if (r2 < 0 || r2 >= rows || c2 < 0 || c2 >= cols) continue;
      const long long v = u + e.step;
      Node& to = node_[v];
      if (to.pos <= kSettled) continue;
      // Two cells that cannot burn, touching at the corner the edge passes, close it.
      if (e.corner && !m.Burnable(static_cast<std::size_t>(u + e.side1)) &&
          !m.Burnable(static_cast<std::size_t>(u + e.side2)))
        continue;
      double sum = 0;
      const SearchModel::LinearPiece* pc = &m.pieces[e.first];
      for (std::size_t k = 0; k < e.count; ++k) {
        sum += pc[k].share * slow[u + pc[k].step].Along(e.cosAz, e.sinAz);
      }
      const double arrive = t + e.scale * sum;
      if (arrive < to.tent) {
        to.tent = arrive;
        to.parent = u;
        to.viaEmber = 0;
        Push(static_cast<int>(v));
      }
    }

    // Embers from this node: whether one catches, then how far it flies (both drawn for
    // every launching node, so the draws follow the order in which nodes burn).
    if (m.spotting && sp.distance[u] > 0) {
      const double catches = Uniform(gen), reach = Uniform(gen);
      if (catches >= sp.probability || !(sp.speed[u] > 0)) continue;
      const double d = reach * sp.distance[u];
      const double x = c + 0.5 + d / m.cell * std::sin(sp.azimuth[u]);
      const double y = r + 0.5 - d / m.cell * std::cos(sp.azimuth[u]);
      if (!(x >= 0 && x < cols && y >= 0 && y < rows)) continue;
      const int v = static_cast<int>(std::floor(y)) * cols + static_cast<int>(std::floor(x));
      if (node_[v].pos <= kSettled || !m.Burnable(static_cast<std::size_t>(v))) continue;
      const double ignite = t + d / sp.speed[u] + sp.delay;
      if (ignite < node_[v].tent) {
        node_[v].tent = ignite;
        node_[v].parent = u;
        node_[v].viaEmber = 1;
        Push(v);
      }
    }
  }
  if (progress) progress->store(1.0);
  return true;
}

SearchResult RunSearch(const SpreadField& f, const SearchSettings& s) {
  SearchResult out;
  SearchModel m = BuildModel(f, s.lateral, s.vertical, s.removed, s.spots);
  const std::size_t n = m.Nodes();
  SearchWorkspace w;
  out.cancelled = !w.Run(m, s.ignitions, s.maxTime, s.spots.seed, s.cancel, s.progress);
  out.arrival.assign(n, -1.0);
  out.parent.assign(n, -1);
  out.rate.assign(n, -1.0);
  if (out.cancelled) return out;
  out.order = w.Order();
  for (int v : out.order) {
    out.arrival[v] = w.Arrival(v);
    out.parent[v] = w.Parent(v);
    out.rate[v] = w.Rate(v);
  }
  out.spots = w.Spots();
  return out;
}

std::vector<double> Influence(const SearchResult& result) {
  std::vector<double> inf(result.arrival.size(), 0.0);
  for (int v : result.order) inf[v] = 1.0;
  for (auto it = result.order.rbegin(); it != result.order.rend(); ++it)
    if (result.parent[*it] >= 0) inf[result.parent[*it]] += inf[*it];
  return inf;
}

}  // namespace engines::mtt

#include "engines/mtt_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <random>

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

// A 4-ary min-heap of node indices keyed by their tentative times, with decrease-key.
class NodeHeap {
 public:
  NodeHeap(std::size_t n, const std::vector<double>& key) : pos_(n, -1), key_(key) {}
  bool empty() const { return heap_.empty(); }
  // Inserts the node or moves it up after its key dropped.
  void Push(int v) {
    if (pos_[v] < 0) {
      pos_[v] = static_cast<int>(heap_.size());
      heap_.push_back(v);
    }
    Up(pos_[v]);
  }
  int Pop() {
    const int top = heap_.front();
    pos_[top] = -2;
    const int last = heap_.back();
    heap_.pop_back();
    if (!heap_.empty()) {
      heap_[0] = last;
      pos_[last] = 0;
      Down(0);
    }
    return top;
  }
  bool Done(int v) const { return pos_[v] == -2; }

 private:
  bool Less(int a, int b) const {
    return key_[a] < key_[b] || (key_[a] == key_[b] && a < b);
  }
  void Up(int i) {
    const int v = heap_[i];
    while (i > 0) {
      const int p = (i - 1) / 4;
      if (!Less(v, heap_[p])) break;
      heap_[i] = heap_[p];
      pos_[heap_[i]] = i;
      i = p;
    }
    heap_[i] = v;
    pos_[v] = i;
  }
  void Down(int i) {
    const int n = static_cast<int>(heap_.size());
    const int v = heap_[i];
    for (;;) {
      const int first = 4 * i + 1;
      if (first >= n) break;
      int best = first;
      for (int k = first + 1; k < std::min(first + 4, n); ++k)
        if (Less(heap_[k], heap_[best])) best = k;
      if (!Less(heap_[best], v)) break;
      heap_[i] = heap_[best];
      pos_[heap_[i]] = i;
      i = best;
    }
    heap_[i] = v;
    pos_[v] = i;
  }

  std::vector<int> heap_;
  std::vector<int> pos_;  // -1 never queued, -2 settled
  const std::vector<double>& key_;
};

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

SearchResult RunSearch(const SpreadField& f, const SearchSettings& s) {
  SearchResult out;
  const int rows = f.rows, cols = f.cols;
  const std::size_t n = static_cast<std::size_t>(std::max(rows, 0)) * std::max(cols, 0);
  out.arrival.assign(n, -1.0);
  out.parent.assign(n, -1);
  out.rate.assign(n, -1.0);
  if (n == 0) return out;

  // Slowness along azimuth phi is P - Q cos(phi) - S sin(phi) (min/m), the reciprocal of the
  // ellipse's polar form; a cell that cannot burn has P infinite.
  std::vector<double> P(n, kInf), Q(n, 0.0), S(n, 0.0);
  std::size_t burnable = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double b = f.b[i];
    if (!(b > 0) || !std::isfinite(b) || (!s.removed.empty() && s.removed[i])) continue;
    double c = std::isfinite(f.c[i]) ? std::clamp(f.c[i], 0.0, b * (1 - 1e-9)) : 0.0;
    const double d = std::isfinite(f.dir[i]) ? f.dir[i] : 0.0;
    const double k = 1.0 / (b * b - c * c);
    P[i] = b * k;
    Q[i] = c * std::cos(d) * k;
    S[i] = c * std::sin(d) * k;
    ++burnable;
  }

  // The stencil with each piece as a linear offset in this grid.
  struct Edge {
    int dr, dc;
    long long step;
    double scale, sinAz, cosAz;
    std::size_t first, count;
  };
  struct LinearPiece {
    long long step;
    double share;
  };
  std::vector<Edge> edges;
  std::vector<LinearPiece> pieces;
  for (const Offset& o : BuildStencil(s.lateral, s.vertical)) {
    Edge e{o.dr, o.dc, static_cast<long long>(o.dr) * cols + o.dc, o.length * f.cell, o.sinAz,
           o.cosAz, pieces.size(), o.pieces.size()};
    for (const Piece& p : o.pieces)
      pieces.push_back({static_cast<long long>(p.dr) * cols + p.dc, p.share});
    edges.push_back(e);
  }

  std::vector<double> tent(n, kInf);
  std::vector<char> viaEmber(n, 0);
  NodeHeap heap(n, tent);
  for (int v : s.ignitions) {
    if (v < 0 || static_cast<std::size_t>(v) >= n || !std::isfinite(P[v])) continue;
    tent[v] = 0.0;
    heap.Push(v);
  }

  const SpotSettings& sp = s.spots;
  const bool spotting = sp.probability > 0 && sp.distance.size() == n && sp.azimuth.size() == n &&
                        sp.speed.size() == n;
  std::mt19937_64 gen(sp.seed);
  const double limit = s.maxTime > 0 ? s.maxTime : kInf;
  out.order.reserve(burnable);

  std::size_t settled = 0;
  while (!heap.empty()) {
    const int u = heap.Pop();
    const double t = tent[u];
    if (t > limit) break;
    if ((++settled & 4095) == 0) {
      if (s.cancel && s.cancel->load(std::memory_order_relaxed)) {
        out.cancelled = true;
        break;
      }
      if (s.progress) {
        double p = static_cast<double>(settled) / static_cast<double>(burnable);
        if (s.maxTime > 0) p = std::max(p, t / s.maxTime);
        s.progress->store(std::min(p, 0.999));
      }
    }
    out.arrival[u] = t;
    out.order.push_back(u);
    const int parent = out.parent[u];
    if (viaEmber[u]) {
      out.spots.push_back({parent, u, out.arrival[parent], t - sp.delay});
      out.rate[u] = f.b[u] + f.c[u];
    } else if (parent < 0) {
      out.rate[u] = f.b[u] + f.c[u];
    } else {
      const double dr = u / cols - parent / cols, dc = u % cols - parent % cols;
      const double len = std::hypot(dr, dc);
      out.rate[u] = 1.0 / (P[u] - Q[u] * (-dr / len) - S[u] * (dc / len));
    }

    const int r = u / cols, c = u % cols;
    for (const Edge& e : edges) {
      const int r2 = r + e.dr, c2 = c + e.dc;
      if (r2 < 0 || r2 >= rows || c2 < 0 || c2 >= cols) continue;
      const long long v = u + e.step;
      if (heap.Done(static_cast<int>(v))) continue;
      double sum = 0;
      const LinearPiece* pc = &pieces[e.first];
      for (std::size_t k = 0; k < e.count; ++k) {
        const long long i = u + pc[k].step;
        sum += pc[k].share * (P[i] - Q[i] * e.cosAz - S[i] * e.sinAz);
      }
      const double arrive = t + e.scale * sum;
      if (arrive < tent[v]) {
        tent[v] = arrive;
        out.parent[v] = u;
        viaEmber[v] = 0;
        heap.Push(static_cast<int>(v));
      }
    }

    // Embers from this node: whether one catches, then how far it flies (both drawn for
    // every launching node, so the draws follow the order in which nodes burn).
    if (spotting && sp.distance[u] > 0) {
      const double catches = Uniform(gen), reach = Uniform(gen);
      if (catches >= sp.probability || !(sp.speed[u] > 0)) continue;
      const double d = reach * sp.distance[u];
      const double x = c + 0.5 + d / f.cell * std::sin(sp.azimuth[u]);
      const double y = r + 0.5 - d / f.cell * std::cos(sp.azimuth[u]);
      if (!(x >= 0 && x < cols && y >= 0 && y < rows)) continue;
      const int v = static_cast<int>(std::floor(y)) * cols + static_cast<int>(std::floor(x));
      if (heap.Done(v) || !std::isfinite(P[v])) continue;
      const double ignite = t + d / sp.speed[u] + sp.delay;
      if (ignite < tent[v]) {
        tent[v] = ignite;
        out.parent[v] = u;
        viaEmber[v] = 1;
        heap.Push(v);
      }
    }
  }
  // Parents of nodes that never burned mean nothing.
  for (std::size_t i = 0; i < n; ++i)
    if (out.arrival[i] < 0) out.parent[i] = -1;
  if (s.progress && !out.cancelled) s.progress->store(1.0);
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

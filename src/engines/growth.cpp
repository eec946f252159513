#include "engines/growth.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engines/parallel_rows.h"

namespace engines::growth {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Sorts v (whose elements are all distinct, so the result is the same whatever the threads):
// pieces sorted side by side, then merged pairwise, each round's merges side by side.
template <class T>
void SortOnPool(std::vector<T>& v, int threads) {
  const std::size_t n = v.size();
  const int pieces = threads > 1 && n > 4096 ? std::min(threads, static_cast<int>(n / 2048)) : 1;
  auto bound = [&](std::size_t k) { return v.begin() + static_cast<long>(n * k / static_cast<std::size_t>(pieces)); };
  ForEachTask(pieces, threads, [&](int k) { std::sort(bound(k), bound(k + 1)); });
  for (int width = 1; width < pieces; width *= 2) {
    const int merges = (pieces + 2 * width - 1) / (2 * width);
    ForEachTask(merges, threads, [&](int m) {
      const int a = m * 2 * width, b = std::min(pieces, a + width), c = std::min(pieces, a + 2 * width);
      if (b < c) std::inplace_merge(bound(a), bound(b), bound(c));
    });
  }
}


struct Seg {
  int ring, index;
};

// Segments bucketed by horizontal strips for winding-number queries.
class StripIndex {
 public:
  StripIndex(const std::vector<Ring>& rings, double height) : rings_(rings) {
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    for (const Ring& r : rings)
      for (const Vertex& v : r) lo = std::min(lo, v.y), hi = std::max(hi, v.y);
    if (lo > hi) return;
    y0_ = lo;
    h_ = std::max(height, (hi - lo) / 4096.0);
    if (!(h_ > 0)) h_ = 1;
    const std::size_t strips = static_cast<std::size_t>((hi - lo) / h_) + 1;
    start_.assign(strips + 1, 0);
    auto range = [&](const Vertex& a, const Vertex& b, std::size_t& s0, std::size_t& s1) {
      s0 = static_cast<std::size_t>((std::min(a.y, b.y) - y0_) / h_);
      s1 = std::min(strips - 1, static_cast<std::size_t>((std::max(a.y, b.y) - y0_) / h_));
    };
    for (int k = 0; k < static_cast<int>(rings.size()); ++k) {
      const Ring& r = rings[k];
      for (std::size_t i = 0; i < r.size(); ++i) {
        std::size_t s0, s1;
        range(r[i], r[(i + 1) % r.size()], s0, s1);
        for (std::size_t s = s0; s <= s1; ++s) ++start_[s + 1];
      }
    }
    for (std::size_t s = 0; s < strips; ++s) start_[s + 1] += start_[s];
    segs_.resize(start_.back());
    std::vector<std::size_t> fill(start_.begin(), start_.end() - 1);
    for (int k = 0; k < static_cast<int>(rings.size()); ++k) {
      const Ring& r = rings[k];
      for (std::size_t i = 0; i < r.size(); ++i) {
        std::size_t s0, s1;
        range(r[i], r[(i + 1) % r.size()], s0, s1);
        for (std::size_t s = s0; s <= s1; ++s) segs_[fill[s]++] = {k, static_cast<int>(i)};
      }
    }
  }

  // Winding number of the rings about (x, y): signed crossings of the ray towards +x.
  int Winding(double x, double y) const {
    if (start_.empty() || y < y0_) return 0;
    const std::size_t s = static_cast<std::size_t>((y - y0_) / h_);
    if (s + 1 >= start_.size()) return 0;
    int w = 0;
    for (std::size_t k = start_[s]; k < start_[s + 1]; ++k) {
      const Ring& r = rings_[segs_[k].ring];
      const Vertex& a = r[segs_[k].index];
      const Vertex& b = r[(segs_[k].index + 1) % r.size()];
      const double side = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
      if (a.y <= y) {
        if (b.y > y && side > 0) ++w;
      } else if (b.y <= y && side < 0) {
        --w;
      }
    }
    return w;
  }

 private:
  const std::vector<Ring>& rings_;
  double y0_ = 0, h_ = 1;
  std::vector<std::size_t> start_;
  std::vector<Seg> segs_;
};

struct Crossing {
  int segA, segB;  // global segment numbers
  double tA, tB;
  double x, y;
};

struct Event {
  int index;  // segment index within the ring
  double t;
  int node;
};

Vertex Lerp(const Vertex& a, const Vertex& b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.tau + (b.tau - a.tau) * t};
}

// A point just to the right of the longest edge of a vertex run, for the winding test.
bool RightOf(const std::vector<Vertex>& pts, bool closed, double& px, double& py) {
  double best = -1;
  px = py = 0;
  const std::size_t n = pts.size();
  const std::size_t edges = closed ? n : n - 1;
  for (std::size_t i = 0; i < edges; ++i) {
    const Vertex& a = pts[i];
    const Vertex& b = pts[(i + 1) % n];
    const double len2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
    if (len2 > best) {
      best = len2;
      const double len = std::sqrt(len2);
      const double eps = std::min(1e-4, len * 1e-3);
      px = (a.x + b.x) / 2 + (b.y - a.y) / len * eps;
      py = (a.y + b.y) / 2 - (b.x - a.x) / len * eps;
    }
  }
  return best > 0;
}

}  // namespace

double SignedArea(const Ring& r) {
  double s = 0;
  const std::size_t n = r.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Vertex& a = r[i];
    const Vertex& b = r[(i + 1) % n];
    s += (a.x - r[0].x) * (b.y - r[0].y) - (b.x - r[0].x) * (a.y - r[0].y);
  }
  return s / 2;
}

void VertexVelocity(const Wavelet& w, double tx, double ty, double& vx, double& vy) {
  vx = vy = 0;
  if (!(w.b > 0) || !(w.a > 0)) return;
  // The slope plane seen from above is the horizontal stretched along the upslope direction.
  const double sx = std::sin(w.upslope), sy = std::cos(w.upslope);
  const double k = std::sqrt(1 + w.slopeTan * w.slopeTan);
  auto stretch = [&](double x, double y, double f, double& ox, double& oy) {
    const double along = (x * sx + y * sy) * f, across = x * sy - y * sx;
    ox = across * sy + along * sx;
    oy = -across * sx + along * sy;
  };
  double t1x, t1y, ux, uy;
  stretch(tx, ty, k, t1x, t1y);
  stretch(std::sin(w.head), std::cos(w.head), k, ux, uy);
  const double ul = std::sqrt(ux * ux + uy * uy);
  ux /= ul, uy /= ul;
  const double wx = uy, wy = -ux;
  const double nx = t1y, ny = -t1x;  // outward: the burned side is on the left
  const double nu = nx * ux + ny * uy, nv = nx * wx + ny * wy;
  const double den = std::sqrt(w.b * w.b * nu * nu + w.a * w.a * nv * nv);
  if (!(den > 0)) return;
  const double dx = w.c * ux + (w.b * w.b * nu * ux + w.a * w.a * nv * wx) / den;
  const double dy = w.c * uy + (w.b * w.b * nu * uy + w.a * w.a * nv * wy) / den;
  stretch(dx, dy, 1 / k, vx, vy);
  if (!std::isfinite(vx) || !std::isfinite(vy)) vx = vy = 0;
}

std::vector<Ring> CleanRings(const std::vector<Ring>& input, int threads) {
  std::vector<Ring> rings;
  for (const Ring& r : input)
    if (r.size() >= 3) rings.push_back(r);
  // Segments numbered globally.
  std::vector<int> first(rings.size() + 1, 0);
  double longest = 0;
  for (std::size_t k = 0; k < rings.size(); ++k) {
    first[k + 1] = first[k] + static_cast<int>(rings[k].size());
    const Ring& r = rings[k];
    for (std::size_t i = 0; i < r.size(); ++i) {
      const Vertex& a = r[i];
      const Vertex& b = r[(i + 1) % r.size()];
      longest = std::max({longest, std::fabs(b.x - a.x), std::fabs(b.y - a.y)});
    }
  }
  const int total = first.back();
  if (total == 0) return {};
  std::vector<Seg> segs(total);
  for (std::size_t k = 0; k < rings.size(); ++k)
    for (int i = 0; i < static_cast<int>(rings[k].size()); ++i) segs[first[k] + i] = {static_cast<int>(k), i};
  auto end = [&](int s, int which) -> const Vertex& {
    const Ring& r = rings[segs[s].ring];
    return r[(segs[s].index + which) % r.size()];
  };

  // Crossings, found in buckets of the longest edge's extent; each reported by the bucket that
  // holds its point, so once.
  const double h = longest > 0 ? longest : 1;
  double ox = std::numeric_limits<double>::max(), oy = ox;
  for (const Ring& r : rings)
    for (const Vertex& v : r) ox = std::min(ox, v.x), oy = std::min(oy, v.y);
  auto bucket = [&](double x, double y) {
    const std::uint64_t bx = static_cast<std::uint64_t>((x - ox) / h), by = static_cast<std::uint64_t>((y - oy) / h);
    return (by << 32) | (bx & 0xffffffffu);
  };
  // Each segment's buckets, gathered in parallel and put in order; the order is total (a
  // segment appears once per bucket), so the result does not depend on the threads.
  const int nt = std::max(1, threads);
  std::vector<std::size_t> keyStart(static_cast<std::size_t>(total) + 1, 0);
  ForEachRange(total, nt, [&](long from, long to, int) {
    for (long s = from; s < to; ++s) {
      const Vertex &a = end(static_cast<int>(s), 0), &b = end(static_cast<int>(s), 1);
      const std::uint64_t b0 = bucket(std::min(a.x, b.x), std::min(a.y, b.y));
      const std::uint64_t b1 = bucket(std::max(a.x, b.x), std::max(a.y, b.y));
      keyStart[s + 1] = ((b1 >> 32) - (b0 >> 32) + 1) * ((b1 & 0xffffffffu) - (b0 & 0xffffffffu) + 1);
    }
  });
  for (int s = 0; s < total; ++s) keyStart[s + 1] += keyStart[s];
  std::vector<std::pair<std::uint64_t, int>> keyed(keyStart.back());
  ForEachRange(total, nt, [&](long from, long to, int) {
    for (int s = static_cast<int>(from); s < to; ++s) {
      const Vertex &a = end(s, 0), &b = end(s, 1);
      const std::uint64_t b0 = bucket(std::min(a.x, b.x), std::min(a.y, b.y));
      const std::uint64_t b1 = bucket(std::max(a.x, b.x), std::max(a.y, b.y));
      std::size_t k = keyStart[s];
      for (std::uint64_t by = b0 >> 32; by <= b1 >> 32; ++by)
        for (std::uint64_t bx = b0 & 0xffffffffu; bx <= (b1 & 0xffffffffu); ++bx) keyed[k++] = {(by << 32) | bx, s};
    }
  });
  SortOnPool(keyed, nt);
  std::vector<std::size_t> groups;
  for (std::size_t g = 0; g < keyed.size(); ++g)
    if (g == 0 || keyed[g].first != keyed[g - 1].first) groups.push_back(g);
  groups.push_back(keyed.size());
  // Crossings by fixed chunks of buckets, joined in bucket order.
  const int chunks = static_cast<int>(std::min<std::size_t>(256, groups.size() - 1));
  std::vector<std::vector<Crossing>> found(static_cast<std::size_t>(std::max(chunks, 0)));
  ForEachTask(chunks, nt, [&](int ch) {
    const std::size_t g0 = (groups.size() - 1) * ch / chunks, g1 = (groups.size() - 1) * (ch + 1) / chunks;
    for (std::size_t gi = g0; gi < g1; ++gi) {
      const std::size_t g = groups[gi], e = groups[gi + 1];
      for (std::size_t i = g; i < e; ++i)
        for (std::size_t j = i + 1; j < e; ++j) {
          const int s1 = keyed[i].second, s2 = keyed[j].second;
          if (segs[s1].ring == segs[s2].ring) {
            const int n = static_cast<int>(rings[segs[s1].ring].size());
            const int d = std::abs(segs[s1].index - segs[s2].index);
            if (d == 1 || d == n - 1) continue;
          }
          const Vertex &p = end(s1, 0), &p2 = end(s1, 1), &q = end(s2, 0), &q2 = end(s2, 1);
          const double rx = p2.x - p.x, ry = p2.y - p.y, sx = q2.x - q.x, sy = q2.y - q.y;
          const double den = rx * sy - ry * sx;
          if (std::fabs(den) <= 1e-12 * (rx * rx + ry * ry + sx * sx + sy * sy)) continue;
          const double qx = q.x - p.x, qy = q.y - p.y;
          const double t = (qx * sy - qy * sx) / den, u = (qx * ry - qy * rx) / den;
          if (t < 0 || t >= 1 || u < 0 || u >= 1) continue;
          const double x = p.x + rx * t, y = p.y + ry * t;
          if (bucket(x, y) != keyed[g].first) continue;
          found[static_cast<std::size_t>(ch)].push_back({s1, s2, t, u, x, y});
        }
    }
  });
  std::vector<Crossing> crossings;
  for (auto& f : found) crossings.insert(crossings.end(), f.begin(), f.end());

  const StripIndex index(rings, h);
  std::vector<Ring> out;
  auto keep = [&](const std::vector<Vertex>& pts, bool closed) {
    double px, py;
    return RightOf(pts, closed, px, py) && index.Winding(px, py) == 0;
  };

  // Events along each ring.
  std::vector<std::vector<Event>> events(rings.size());
  for (int c = 0; c < static_cast<int>(crossings.size()); ++c) {
    const Crossing& x = crossings[c];
    events[segs[x.segA].ring].push_back({segs[x.segA].index, x.tA, c});
    events[segs[x.segB].ring].push_back({segs[x.segB].index, x.tB, c});
  }
  struct Chain {
    std::vector<Vertex> pts;  // from its start node to its end node, both included
    int from, to;
  };
  std::vector<Chain> chains;
  for (std::size_t k = 0; k < rings.size(); ++k) {
    const Ring& r = rings[k];
    std::vector<Event>& ev = events[k];
    if (ev.empty()) {
      if (keep(r, true)) out.push_back(r);
      continue;
    }
    std::sort(ev.begin(), ev.end(), [](const Event& a, const Event& b) {
      return a.index != b.index ? a.index < b.index : (a.t != b.t ? a.t < b.t : a.node < b.node);
    });
    const int n = static_cast<int>(r.size());
    const std::size_t m = ev.size();
    for (std::size_t e = 0; e < m; ++e) {
      const Event& a = ev[e];
      const Event& b = ev[(e + 1) % m];
      Chain ch;
      ch.from = a.node;
      ch.to = b.node;
      const Vertex va = Lerp(r[a.index], r[(a.index + 1) % n], a.t);
      ch.pts.push_back({crossings[a.node].x, crossings[a.node].y, va.tau});
      int count = (b.index - a.index + n) % n;
      if (count == 0 && (m == 1 || !(b.t > a.t) || e + 1 == m)) count = n;
      for (int s = 1; s <= count; ++s) ch.pts.push_back(r[(a.index + s) % n]);
      const Vertex vb = Lerp(r[b.index], r[(b.index + 1) % n], b.t);
      ch.pts.push_back({crossings[b.node].x, crossings[b.node].y, vb.tau});
      chains.push_back(std::move(ch));
    }
  }
  std::vector<char> kept(chains.size(), 0);
  for (std::size_t c = 0; c < chains.size(); ++c) kept[c] = keep(chains[c].pts, false);
  std::vector<std::vector<int>> outgoing(crossings.size());
  for (std::size_t c = 0; c < chains.size(); ++c)
    if (kept[c]) outgoing[chains[c].from].push_back(static_cast<int>(c));
  std::vector<char> used(chains.size(), 0);
  for (std::size_t c0 = 0; c0 < chains.size(); ++c0) {
    if (!kept[c0] || used[c0]) continue;
    Ring ring;
    int c = static_cast<int>(c0);
    while (true) {
      used[c] = 1;
      const Chain& ch = chains[c];
      ring.insert(ring.end(), ch.pts.begin(), ch.pts.end() - 1);
      if (ch.to == chains[c0].from) break;
      // The next chain from this node: the one turning furthest to the left.
      const Vertex& p = ch.pts[ch.pts.size() - 2];
      const Vertex& q = ch.pts.back();
      const double inA = std::atan2(q.y - p.y, q.x - p.x);
      int next = -1;
      double bestTurn = -10;
      for (int cand : outgoing[ch.to]) {
        if (used[cand]) continue;
        const Vertex& r1 = chains[cand].pts[1];
        double turn = std::atan2(r1.y - q.y, r1.x - q.x) - inA;
        while (turn > kPi) turn -= 2 * kPi;
        while (turn <= -kPi) turn += 2 * kPi;
        if (turn > bestTurn) bestTurn = turn, next = cand;
      }
      if (next < 0) break;
      c = next;
    }
    if (ring.size() >= 3) out.push_back(std::move(ring));
  }
  std::vector<Ring> result;
  for (Ring& r : out) {
    // Collapse repeated points left where a crossing fell on a vertex.
    Ring clean;
    for (const Vertex& v : r)
      if (clean.empty() || v.x != clean.back().x || v.y != clean.back().y) clean.push_back(v);
    while (clean.size() > 1 && clean.back().x == clean.front().x && clean.back().y == clean.front().y) clean.pop_back();
    if (clean.size() >= 3 && std::fabs(SignedArea(clean)) > 1e-6) result.push_back(std::move(clean));
  }
  return result;
}

void Resample(Ring& ring, double maxEdge, double minEdge) {
  const std::size_t n = ring.size();
  if (n < 3) return;
  auto dist2 = [](const Vertex& a, const Vertex& b) { return (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y); };
  // A ring shorter than kMinVertices edges of maxEdge keeps kMinVertices edges: both lengths
  // shrink with it, so a small fire under a coarse resolution stays a fire (dropping vertices
  // closer than minEdge would leave it none). The walk stops as soon as the ring is long enough.
  double length = 0;
  for (std::size_t i = 0; i < n && length < kMinVertices * maxEdge; ++i)
    length += std::sqrt(dist2(ring[i], ring[(i + 1) % n]));
  if (length < kMinVertices * maxEdge && length > 0) {
    const double shrink = length / (kMinVertices * maxEdge);
    maxEdge *= shrink;
    minEdge *= shrink;
  }
  const double min2 = minEdge * minEdge, max2 = maxEdge * maxEdge;
  Ring out;
  out.reserve(n + n / 4);
  for (std::size_t i = 0; i < n; ++i) {
    const Vertex& a = ring[i];
    if (!out.empty() && dist2(out.back(), a) < min2) continue;
    out.push_back(a);
    const Vertex& b = ring[(i + 1) % n];
    const double len2 = dist2(a, b);
    if (len2 > max2) {
      const int pieces = static_cast<int>(std::ceil(std::sqrt(len2) / maxEdge));
      for (int k = 1; k < pieces; ++k) out.push_back(Lerp(a, b, static_cast<double>(k) / pieces));
    }
  }
  while (out.size() > 3 && dist2(out.back(), out.front()) < min2) out.pop_back();
  ring.swap(out);
}

bool Grid::Cell(double x, double y, int& row, int& col) const {
  const double c = (x - west) / cell, r = (north - y) / cell;
  if (!(c >= 0 && r >= 0 && c < cols && r < rows)) return false;
  row = static_cast<int>(r);
  col = static_cast<int>(c);
  return true;
}

void FillRegion(const std::vector<Ring>& rings, const Grid& grid, int threads,
                const std::function<void(int, int, int)>& span) {
  if (grid.rows <= 0 || grid.cols <= 0) return;
  // Segments by the rows whose centre line they cross (half-open in y).
  std::vector<std::size_t> start(static_cast<std::size_t>(grid.rows) + 1, 0);
  auto rowsOf = [&](const Vertex& a, const Vertex& b, int& r0, int& r1) {
    const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
    r0 = static_cast<int>(std::max(-1.0, std::floor((grid.north - hi) / grid.cell - 0.5))) + 1;
    r1 = static_cast<int>(std::min(static_cast<double>(grid.rows - 1), std::floor((grid.north - lo) / grid.cell - 0.5)));
  };
  for (const Ring& r : rings)
    for (std::size_t i = 0; i < r.size(); ++i) {
      int r0, r1;
      rowsOf(r[i], r[(i + 1) % r.size()], r0, r1);
      for (int row = r0; row <= r1; ++row) ++start[row + 1];
    }
  for (int row = 0; row < grid.rows; ++row) start[row + 1] += start[row];
  std::vector<const Vertex*> seg(start.back() * 2);
  std::vector<std::size_t> fill(start.begin(), start.end() - 1);
  for (const Ring& r : rings)
    for (std::size_t i = 0; i < r.size(); ++i) {
      int r0, r1;
      const Vertex *a = &r[i], *b = &r[(i + 1) % r.size()];
      rowsOf(*a, *b, r0, r1);
      for (int row = r0; row <= r1; ++row) {
        seg[2 * fill[row]] = a;
        seg[2 * fill[row] + 1] = b;
        ++fill[row];
      }
    }
  ForEachTask((grid.rows + 15) / 16, std::max(1, threads), [&](int block) {
    for (int row = block * 16; row < std::min(grid.rows, block * 16 + 16); ++row) {
      if (start[row] == start[row + 1]) continue;
      const double y = grid.north - (row + 0.5) * grid.cell;
      std::vector<std::pair<double, int>> xs;
      for (std::size_t k = start[row]; k < start[row + 1]; ++k) {
        const Vertex &a = *seg[2 * k], &b = *seg[2 * k + 1];
        if (a.y == b.y) continue;
        const bool up = b.y > a.y;
        const double lo = up ? a.y : b.y, hi = up ? b.y : a.y;
        if (!(y >= lo && y < hi)) continue;
        xs.push_back({a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), up ? 1 : -1});
      }
      std::sort(xs.begin(), xs.end());
      // The winding number counts crossings to the right; the rings are closed, so it is also
      // minus the crossings to the left.
      int w = 0;
      for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
        w -= xs[k].second;
        if (w <= 0) continue;
        const int c0 = std::max(0, static_cast<int>(std::ceil((xs[k].first - grid.west) / grid.cell - 0.5)));
        const int c1 = std::min(grid.cols - 1,
                                static_cast<int>(std::ceil((xs[k + 1].first - grid.west) / grid.cell - 0.5)) - 1);
        if (c0 <= c1) span(row, c0, c1);
      }
    }
  });
}

Ring Circle(double x, double y, double radius, int n) {
  Ring r;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * kPi * i / n;
    r.push_back({x + radius * std::cos(a), y + radius * std::sin(a), 0});
  }
  return r;
}

void Growth::AddRing(Ring ring) {
  if (ring.size() < 3) return;
  if (SignedArea(ring) < 0) std::reverse(ring.begin(), ring.end());
  Resample(ring, s_.perimeterRes, 0);
  rings_.push_back(std::move(ring));
  added_ = true;
}

std::size_t Growth::VertexCount() const {
  std::size_t n = 0;
  for (const Ring& r : rings_) n += r.size();
  return n;
}

void Growth::Clean() {
  rings_ = CleanRings(rings_, s_.threads);
  for (Ring& r : rings_) Resample(r, s_.perimeterRes, s_.perimeterRes * 0.02);
  added_ = false;
}

namespace {

// The share (0 to 1) of the move (dx, dy) from (x, y), in cell (row, col), that stays out of
// blocked cells and on the grid: the cells the segment passes through are visited in order, and
// the move ends just short of the first blocked one. Passing through a corner enters neither
// side cell, so it ends there when either side is blocked: a line of cells touching only at
// corners is closed.
double OpenShareOfMove(const Grid& g, double x, double y, double dx, double dy, int row, int col,
                       const Growth::Blocked& blocked) {
  const double u = (x - g.west) / g.cell, v = (g.north - y) / g.cell;  // columns east, rows south
  const double du = dx / g.cell, dv = -dy / g.cell;
  const int su = du > 0 ? 1 : -1, sv = dv > 0 ? 1 : -1;
  // Parameter of the next column and row border, and the step between borders.
  const double stepU = du != 0 ? 1.0 / std::fabs(du) : HUGE_VAL, stepV = dv != 0 ? 1.0 / std::fabs(dv) : HUGE_VAL;
  double nextU = du != 0 ? ((su > 0 ? col + 1 : col) - u) / du : HUGE_VAL;
  double nextV = dv != 0 ? ((sv > 0 ? row + 1 : row) - v) / dv : HUGE_VAL;
  const double len = std::sqrt(du * du + dv * dv);
  const double margin = 1e-6 / len;  // a millionth of a cell short of the blocked border
  auto open = [&](int r, int c) { return r >= 0 && c >= 0 && r < g.rows && c < g.cols && !blocked(r, c); };
  for (;;) {
    const double t = std::min(nextU, nextV);
    if (t >= 1.0) return 1.0;
    if (std::fabs(nextU - nextV) <= 1e-12 * std::max(1.0, t)) {
      if (!open(row, col + su) || !open(row + sv, col)) return std::max(0.0, t - margin);
      col += su, row += sv;
      nextU += stepU, nextV += stepV;
    } else if (nextU < nextV) {
      col += su;
      nextU += stepU;
    } else {
      row += sv;
      nextV += stepV;
    }
    if (!open(row, col)) return std::max(0.0, t - margin);
  }
}

}  // namespace

bool Growth::Advance(double minutes, const WaveletAt& wavelet, const Blocked& blocked, const std::atomic<bool>& cancel,
                     const std::function<void(double)>& after) {
  if (added_) Clean();
  double done = 0;
  const int nt = std::max(1, s_.threads);
  // Every vertex of every ring moves independently within a sub-step, so the moves run as one
  // parallel loop over all vertices; each writes only its own vertex, whatever the threads.
  std::vector<std::size_t> offset;
  std::vector<double> vel;
  auto ringOf = [&](std::size_t g) {
    return static_cast<std::size_t>(std::upper_bound(offset.begin(), offset.end(), g) - offset.begin()) - 1;
  };
  while (done < minutes - 1e-9) {
    if (cancel.load()) return false;
    offset.assign(1, 0);
    for (const Ring& r : rings_) offset.push_back(offset.back() + r.size());
    const long total = static_cast<long>(offset.back());
    vel.assign(2 * static_cast<std::size_t>(total), 0.0);
    const double k = s_.accelerationRate;
    std::vector<double> pieceMax(static_cast<std::size_t>(RangePieces(total, nt)), 0.0);
    ForEachRange(total, nt, [&](long from, long to, int piece) {
      double vmax = 0;
      for (long g = from; g < to; ++g) {
        const std::size_t ri = ringOf(static_cast<std::size_t>(g));
        const Ring& r = rings_[ri];
        const int n = static_cast<int>(r.size());
        const int i = static_cast<int>(static_cast<std::size_t>(g) - offset[ri]);
        Wavelet w;
        if (!wavelet(r[i].x, r[i].y, w)) continue;
        const Vertex& prev = r[(i + n - 1) % n];
        const Vertex& next = r[(i + 1) % n];
        double vx, vy;
        VertexVelocity(w, next.x - prev.x, next.y - prev.y, vx, vy);
        const double speed = std::sqrt(vx * vx + vy * vy);
        // With acceleration the sub-step is sized by the rate the vertex reaches within a minute.
        vmax = std::max(vmax, s_.acceleration ? speed * (1 - std::exp(-k * (r[i].tau + 1))) : speed);
        vel[2 * g] = vx;
        vel[2 * g + 1] = vy;
      }
      pieceMax[static_cast<std::size_t>(piece)] = vmax;
    });
    const double vmax = *std::max_element(pieceMax.begin(), pieceMax.end());
    double dt = minutes - done;
    if (vmax > 0) dt = std::min(dt, s_.distanceRes / vmax);
    ForEachRange(total, nt, [&](long from, long to, int) {
      for (long g = from; g < to; ++g) {
        const std::size_t ri = ringOf(static_cast<std::size_t>(g));
        Vertex& p = rings_[ri][static_cast<std::size_t>(g) - offset[ri]];
        double f = 1;
        // The mean of 1 - exp(-k tau) over the sub-step: the integrated acceleration.
        if (s_.acceleration) f = 1 - (std::exp(-k * p.tau) - std::exp(-k * (p.tau + dt))) / (k * dt);
        const double dx = vel[2 * g] * dt * f, dy = vel[2 * g + 1] * dt * f;
        p.tau += dt;
        if (dx == 0 && dy == 0) continue;
        int r0, c0, r1, c1;
        const bool inside0 = grid_.Cell(p.x, p.y, r0, c0);
        const bool inside1 = grid_.Cell(p.x + dx, p.y + dy, r1, c1);
        if (!inside1) continue;  // the grid's edge holds the fire
        if (inside0 && r0 == r1 && c0 == c1) {
          p.x += dx, p.y += dy;
          continue;
        }
        // Stop before the first blocked cell on the way.
        const double t = inside0 ? OpenShareOfMove(grid_, p.x, p.y, dx, dy, r0, c0, blocked) : blocked(r1, c1) ? 0.0 : 1.0;
        p.x += dx * t, p.y += dy * t;
      }
    });
    vertexSteps_ += static_cast<std::uint64_t>(total);
    Clean();
    done += dt;
    if (after) after(done);
    if (vmax <= 0) break;
  }
  return true;
}

}  // namespace engines::growth

#include "themes/contour_tracer.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <new>

#include "platform/grid_memory.h"

void ContourLine::AddPoint(float x, float y) {
  if (points.empty()) {
    minX = maxX = x;
    minY = maxY = y;
  } else {
    if (x < minX) minX = x;
    if (x > maxX) maxX = x;
    if (y < minY) minY = y;
    if (y > maxY) maxY = y;
  }
  points.push_back({x, y});
}

std::vector<double> ContourLevels(double minimum, double maximum, double interval, std::string* error) {
  std::vector<double> levels;
  auto refuse = [&](const char* why) {
    if (error) *error = why;
    return std::vector<double>{};
  };
  if (!(interval > 0) || !std::isfinite(interval)) return refuse("The contour interval must be above 0.");
  if (!std::isfinite(minimum) || !std::isfinite(maximum) || maximum < minimum) return levels;
  const double first = std::floor(minimum / interval);
  const double count = std::floor(maximum / interval) - first + 1;
  // A million levels over one grid is far past anything drawable; refuse rather than run for hours.
  if (count > 1e6) return refuse("The contour interval is too small for the range of values: more than 1,000,000 levels.");
  for (double k = first; k * interval <= maximum; k += 1) levels.push_back(k * interval);
  return levels;
}

namespace {

// Neighbour steps indexed by where the high cell lies relative to the low one.
constexpr int kDx[9] = {0, 1, 1, 0, 9, 0, -1, -1, 0};
constexpr int kDy[9] = {-1, 0, 0, -1, 9, 1, 0, 0, 1};
constexpr bool kEdge[9] = {false, true, false, true, false, true, false, true, false};

constexpr float kNone = -std::numeric_limits<float>::infinity();

// Interior starts are looked for in runs of this many column pairs; a run whose cells all lie
// on one side of the level is skipped whole.
constexpr int kChunk = 16;

// The cells and, per interior row and run of column pairs (i - 1, i), the least and greatest
// value; shared read-only by the tracers of every level.
struct Surface {
  const float* z;  // no data held as -infinity: below every level, never a line end
  int nx, ny;
  const ContourGrid& g;
  std::vector<float> chunkMin, chunkMax;
  int chunks = 0;

  Surface(const float* cells, const ContourGrid& grid) : z(cells), nx(grid.columns), ny(grid.rows), g(grid) {
    chunks = (nx + kChunk - 1) / kChunk;
    chunkMin.assign(static_cast<std::size_t>(ny) * chunks, 0);
    chunkMax.assign(chunkMin.size(), 0);
#pragma omp parallel for schedule(static)
    for (int j = 0; j < ny; ++j)
      for (int k = 0; k < chunks; ++k) {
        const int end = std::min(nx, (k + 1) * kChunk);
        float mn = std::numeric_limits<float>::infinity(), mx = -mn;
        for (int i = std::max(0, k * kChunk - 1); i < end; ++i) {
          mn = std::min(mn, Z(i, j));
          mx = std::max(mx, Z(i, j));
        }
        chunkMin[static_cast<std::size_t>(j) * chunks + k] = mn;
        chunkMax[static_cast<std::size_t>(j) * chunks + k] = mx;
      }
  }
  float Z(int c, int r) const { return z[static_cast<std::size_t>(r) * nx + c]; }

  // For each level, the interior runs (row * chunks + run) whose least value is below it and
  // greatest at or above it, in row order: a level then visits only the runs it can cross.
  std::vector<std::vector<std::uint32_t>> RunsPerLevel(const std::vector<float>& levels) const {
    std::vector<std::size_t> order(levels.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return levels[a] < levels[b]; });
    std::vector<float> sorted(levels.size());
    for (std::size_t k = 0; k < order.size(); ++k) sorted[k] = levels[order[k]];
    std::vector<std::vector<std::uint32_t>> runs(levels.size());
    for (int j = 1; j < ny - 1; ++j)
      for (int k = 0; k < chunks; ++k) {
        const std::size_t at = static_cast<std::size_t>(j) * chunks + k;
        // Levels lv with chunkMin < lv <= chunkMax.
        const auto from = std::upper_bound(sorted.begin(), sorted.end(), chunkMin[at]);
        const auto to = std::upper_bound(from, sorted.end(), chunkMax[at]);
        for (auto it = from; it != to; ++it)
          runs[order[static_cast<std::size_t>(it - sorted.begin())]].push_back(static_cast<std::uint32_t>(at));
      }
    return runs;
  }
};

// Traces one level at a time into `out`; each thread has its own, visited bits included.
struct Tracer {
  const Surface& s;
  const float* z;
  int nx, ny;
  std::vector<std::uint8_t> visited;
  std::vector<ContourLine>* out = nullptr;
  float level = 0;
  bool open = false;
  // The line being traced, its points kept in one reused buffer and copied out at its exact size
  // when it ends: growing every line's own vector would fault in fresh pages again and again.
  ContourLine current;
  int hc = 0, hr = 0, lc = 0, lr = 0;

  explicit Tracer(const Surface& surface)
      : s(surface), z(surface.z), nx(surface.nx), ny(surface.ny),
        visited(static_cast<std::size_t>(surface.nx) * surface.ny / 8 + 1) {}

  float Z(int c, int r) const { return z[static_cast<std::size_t>(r) * nx + c]; }
  // A cell at the level counts as above it, so a plateau at a level lies inside its line.
  bool High(float v) const { return v >= level; }

  bool TestAndSet(int c, int r) {
    const std::size_t i = static_cast<std::size_t>(r) * nx + c;
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << (i & 7));
    const bool was = visited[i >> 3] & bit;
    visited[i >> 3] |= bit;
    return was;
  }
  bool Test(int c, int r) const {
    const std::size_t i = static_cast<std::size_t>(r) * nx + c;
    return visited[i >> 3] & (1u << (i & 7));
  }

  void Add(float xh, float yh, float zh, float xl, float yl, float zl) {
    if (!std::isfinite(zl) || !std::isfinite(zh)) {  // an end without data breaks the line
      Close();
      return;
    }
    float f = zh - zl > 0 ? (zh - level) / (zh - zl) : 0.0f;
    if (f > 1) f = 1;
    const float x = xh - (xh - xl) * f, y = yh - (yh - yl) * f;
    if (!open) {
      current.points.clear();
      current.level = level;
      open = true;
    }
    const double X = (x + 0.5) * s.g.cellWidth + s.g.west;
    const double Y = s.g.north - y * s.g.cellHeight - s.g.cellHeight * 0.5;
    current.AddPoint(static_cast<float>(X), static_cast<float>(Y));
  }

  void Close() {
    if (!open) return;
    open = false;
    ContourLine& l = out->emplace_back();
    l.maxX = current.maxX, l.minY = current.minY, l.minX = current.minX, l.maxY = current.maxY;
    l.level = current.level;
    l.points.assign(current.points.begin(), current.points.end());
  }

  void AddCells(int ac, int ar, int bc, int br) {
    Add(float(ac), float(ar), Z(ac, ar), float(bc), float(br), Z(bc, br));
  }

  void TraceLine() {
    open = false;
    Walk();
    Close();
  }

  void Walk() {
    for (;;) {
      AddCells(hc, hr, lc, lr);
      const int t = 3 * (hr - lr) + (hc - lc) + 4;
      const int nc = lc + kDx[t], nr = lr + kDy[t];
      if (nc < 0 || nc >= nx || nr < 0 || nr >= ny) return;
      if (t == 5 && TestAndSet(hc, hr)) return;
      if (!kEdge[t]) {
        if (!High(Z(nc, nr))) lc = nc, lr = nr;
        else hc = nc, hr = nr;
        continue;
      }
      const int u = 3 * (hr - nr) + (hc - nc) + 4;
      const int mc = nc + kDx[u], mr = nr + kDy[u];
      const float qx = (hc + nc) / 2.0f, qy = (hr + nr) / 2.0f;
      const float zh = Z(hc, hr), zl = Z(lc, lr), zn = Z(nc, nr), zm = Z(mc, mr);
      const float zc = (zh + zl + zn + zm) / 4;
      if (High(zc)) {
        Add(qx, qy, zc, float(lc), float(lr), zl);
        if (High(zn)) {
          hc = nc, hr = nr;
        } else {
          Add(qx, qy, zc, float(nc), float(nr), zn);
          if (High(zm)) lc = nc, lr = nr, hc = mc, hr = mr;
          else Add(qx, qy, zc, float(mc), float(mr), zm), lc = mc, lr = mr;
        }
      } else {
        Add(float(hc), float(hr), zh, qx, qy, zc);
        if (!High(zm)) {
          lc = mc, lr = mr;
        } else {
          Add(float(mc), float(mr), zm, qx, qy, zc);
          if (!High(zn)) lc = nc, lr = nr, hc = mc, hr = mr;
          else Add(float(nc), float(nr), zn, qx, qy, zc), hc = nc, hr = nr;
        }
      }
    }
  }

  bool Start(int c1, int r1, int c0, int r0) {
    if (!(High(Z(c1, r1)) && !High(Z(c0, r0)))) return false;
    hc = c1, hr = r1, lc = c0, lr = r0;
    TraceLine();
    return true;
  }

  bool Level(float lv, const std::vector<std::uint32_t>& crossed, const std::function<bool()>& cancelled) {
    level = lv;
    std::fill(visited.begin(), visited.end(), 0);
    for (int i = 1; i < nx; ++i) Start(i, 0, i - 1, 0);
    for (int j = 1; j < ny; ++j) Start(nx - 1, j, nx - 1, j - 1);
    for (int i = nx - 2; i >= 0; --i) Start(i, ny - 1, i + 1, ny - 1);
    for (int j = ny - 2; j >= 0; --j) Start(0, j, 0, j + 1);
    // Only the runs the level crosses, in row order; a start needs a cell below the level beside
    // one at or above it.
    int lastRow = 0;
    for (const std::uint32_t run : crossed) {
      const int j = static_cast<int>(run / static_cast<std::uint32_t>(s.chunks));
      const int k = static_cast<int>(run % static_cast<std::uint32_t>(s.chunks));
      if (j != lastRow) {
        if (cancelled && cancelled()) return false;
        lastRow = j;
      }
      const int end = std::min(nx, (k + 1) * kChunk);
      for (int i = std::max(1, k * kChunk); i < end; ++i)
        if (High(Z(i, j)) && !High(Z(i - 1, j)) && !Test(i, j)) Start(i, j, i - 1, j);
    }
    return true;
  }
};

}  // namespace

bool TraceContours(const ContourGrid& grid, const std::vector<double>& levels, std::vector<ContourLine>& out,
                   const std::function<bool()>& cancelled, const std::function<void(std::size_t)>& levelDone) {
  if (grid.columns <= 0 || grid.rows <= 0 || !grid.values) return true;
  if (cancelled && cancelled()) return false;
  const std::size_t n = static_cast<std::size_t>(grid.columns) * grid.rows;
  // The cells are traced in place when they hold no data only as -infinity already.
  const bool clean = std::none_of(grid.values, grid.values + n, [&](float v) {
    return std::isnan(v) || (v == grid.noData && v != kNone);
  });
  platform::GridMemory copy;
  if (!clean) {
    copy.reset(platform::AllocateGridMemory(n));
    if (!copy) throw std::bad_alloc();
    std::transform(grid.values, grid.values + n, copy.get(),
                   [&](float v) { return std::isnan(v) || v == grid.noData ? kNone : v; });
  }
  const Surface surface(clean ? grid.values : copy.get(), grid);
  // Levels are independent: each thread traces whole levels into that level's own list, and the
  // lists are joined in level order, so the lines come out as a single thread would give them.
  // Only the calling thread asks `cancelled` and tells `levelDone`; the others follow its answer.
  std::vector<float> asFloat(levels.size());
  std::transform(levels.begin(), levels.end(), asFloat.begin(), [](double v) { return static_cast<float>(v); });
  std::vector<std::vector<std::uint32_t>> runs = surface.RunsPerLevel(asFloat);
  std::vector<std::vector<ContourLine>> perLevel(levels.size());
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> done{0};
  const long count = static_cast<long>(levels.size());
#pragma omp parallel if (count > 1)
  {
    Tracer tr(surface);
    const bool caller = omp_get_thread_num() == 0;
    const std::function<bool()> stopping = [&] {
      if (caller && cancelled && cancelled()) stop.store(true, std::memory_order_relaxed);
      return stop.load(std::memory_order_relaxed);
    };
#pragma omp for schedule(dynamic, 1)
    for (long k = 0; k < count; ++k) {
      if (stopping()) continue;
      tr.out = &perLevel[static_cast<std::size_t>(k)];
      if (!tr.Level(asFloat[static_cast<std::size_t>(k)], runs[static_cast<std::size_t>(k)], stopping)) continue;
      std::vector<std::uint32_t>().swap(runs[static_cast<std::size_t>(k)]);
      const std::size_t finished = done.fetch_add(1) + 1;
      if (caller && levelDone) levelDone(finished);
    }
  }
  std::size_t total = out.size();
  for (const auto& l : perLevel) total += l.size();
  out.reserve(total);
  for (auto& l : perLevel) std::move(l.begin(), l.end(), std::back_inserter(out));
  if (stop.load()) return false;
  if (levelDone && count > 0) levelDone(levels.size());
  return true;
}

void SimplifyContourLine(ContourLine& line, double minDistance) {
  std::vector<fPoint>& p = line.points;
  if (p.size() < 3) return;
  // Thinned in place: a kept point is never written past the one being read.
  const std::size_t last = p.size() - 1;
  fPoint prev = p[0];
  line.minX = line.maxX = prev.x;
  line.minY = line.maxY = prev.y;
  std::size_t kept = 1;
  for (std::size_t i = 1; i <= last; ++i) {
    const fPoint q = p[i];
    const double dx = double(q.x) - prev.x, dy = double(q.y) - prev.y;
    if (i == last || std::sqrt(dx * dx + dy * dy) > minDistance) {
      p[kept++] = q;
      line.minX = std::min(line.minX, q.x), line.maxX = std::max(line.maxX, q.x);
      line.minY = std::min(line.minY, q.y), line.maxY = std::max(line.maxY, q.y);
      prev = q;
    }
  }
  p.resize(kept);
}

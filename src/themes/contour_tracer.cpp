#include "themes/contour_tracer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

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

struct Tracer {
  const float* z;  // no data held as -infinity: below every level, never a line end
  int nx, ny;
  // Per interior row and run of column pairs (i - 1, i), the least and greatest value.
  std::vector<float> chunkMin, chunkMax;
  int chunks = 0;
  const ContourGrid& g;
  std::vector<std::uint8_t> visited;
  std::vector<ContourLine>& out;
  float level = 0;
  bool open = false;
  int hc = 0, hr = 0, lc = 0, lr = 0;

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
      open = false;
      return;
    }
    float f = zh - zl > 0 ? (zh - level) / (zh - zl) : 0.0f;
    if (f > 1) f = 1;
    const float x = xh - (xh - xl) * f, y = yh - (yh - yl) * f;
    if (!open) {
      out.emplace_back();
      out.back().level = level;
      open = true;
    }
    const double X = (x + 0.5) * g.cellWidth + g.west;
    const double Y = g.north - y * g.cellHeight - g.cellHeight * 0.5;
    out.back().AddPoint(static_cast<float>(X), static_cast<float>(Y));
  }

  void AddCells(int ac, int ar, int bc, int br) {
    Add(float(ac), float(ar), Z(ac, ar), float(bc), float(br), Z(bc, br));
  }

  void TraceLine() {
    open = false;
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

  bool Level(float lv, const std::function<bool()>& cancelled) {
    level = lv;
    std::fill(visited.begin(), visited.end(), 0);
    for (int i = 1; i < nx; ++i) Start(i, 0, i - 1, 0);
    for (int j = 1; j < ny; ++j) Start(nx - 1, j, nx - 1, j - 1);
    for (int i = nx - 2; i >= 0; --i) Start(i, ny - 1, i + 1, ny - 1);
    for (int j = ny - 2; j >= 0; --j) Start(0, j, 0, j + 1);
    for (int j = 1; j < ny - 1; ++j) {
      if (cancelled && cancelled()) return false;
      const std::size_t row = static_cast<std::size_t>(j) * chunks;
      for (int k = 0; k < chunks; ++k) {
        // A start needs a cell below the level beside one at or above it.
        if (!(chunkMin[row + k] < lv && lv <= chunkMax[row + k])) continue;
        const int end = std::min(nx, (k + 1) * kChunk);
        for (int i = std::max(1, k * kChunk); i < end; ++i)
          if (High(Z(i, j)) && !High(Z(i - 1, j)) && !Test(i, j)) Start(i, j, i - 1, j);
      }
    }
    return true;
  }

  void MakeChunks() {
    chunks = (nx + kChunk - 1) / kChunk;
    chunkMin.assign(static_cast<std::size_t>(ny) * chunks, 0);
    chunkMax.assign(chunkMin.size(), 0);
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
};

}  // namespace

bool TraceContours(const ContourGrid& grid, const std::vector<double>& levels, std::vector<ContourLine>& out,
                   const std::function<bool()>& cancelled, const std::function<void(std::size_t)>& levelDone) {
  if (grid.columns <= 0 || grid.rows <= 0 || !grid.values) return true;
  const std::size_t n = static_cast<std::size_t>(grid.columns) * grid.rows;
  // The cells are traced in place when they hold no data only as -infinity already.
  const bool clean = std::none_of(grid.values, grid.values + n, [&](float v) {
    return std::isnan(v) || (v == grid.noData && v != kNone);
  });
  std::vector<float> copy;
  if (!clean) {
    copy.assign(grid.values, grid.values + n);
    for (float& v : copy)
      if (std::isnan(v) || v == grid.noData) v = kNone;
  }
  Tracer tr{clean ? grid.values : copy.data(), grid.columns, grid.rows, {}, {}, 0, grid,
            std::vector<std::uint8_t>(n / 8 + 1), out};
  tr.MakeChunks();
  for (std::size_t k = 0; k < levels.size(); ++k) {
    if (cancelled && cancelled()) return false;
    if (!tr.Level(static_cast<float>(levels[k]), cancelled)) return false;
    if (levelDone) levelDone(k + 1);
  }
  return true;
}

void SimplifyContourLine(ContourLine& line, double minDistance) {
  if (line.points.size() < 3) return;
  ContourLine kept;
  kept.level = line.level;
  const std::size_t last = line.points.size() - 1;
  fPoint prev = line.points[0];
  kept.AddPoint(prev.x, prev.y);
  for (std::size_t i = 1; i <= last; ++i) {
    const fPoint p = line.points[i];
    const double dx = double(p.x) - prev.x, dy = double(p.y) - prev.y;
    if (i == last || std::sqrt(dx * dx + dy * dy) > minDistance) {
      kept.AddPoint(p.x, p.y);
      prev = p;
    }
  }
  line = std::move(kept);
}

#include "engines/wind_model.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>

namespace engines {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerSecondPerMph = 0.44704;
constexpr double kTwentyFeet = 6.096;
constexpr double kMinVegetation = 0.077;  // roughness length 1 cm
constexpr double kStretch = 4.0;          // eta_k = (e^(s k/n) - 1) / (e^s - 1)
// (alpha1 / alpha2)^2: equal weights on horizontal and vertical adjustments (neutral air).
constexpr double kVerticalWeight = 1.0;

// Deterministic sum of per-row partials, whatever the thread count.
double SumRows(const std::vector<double>& partial) {
  double s = 0;
  for (double p : partial) s += p;
  return s;
}

bool WriteRaw(const std::filesystem::path& p, const void* data, std::size_t bytes, std::string* why) {
  std::ofstream f(p, std::ios::binary);
  if (f) f.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
  if (!f) {
    if (why) *why = "Cannot write " + p.string();
    return false;
  }
  return true;
}
template <typename T>
bool WriteVec(const std::filesystem::path& p, const std::vector<T>& v, std::string* why) {
  return WriteRaw(p, v.data(), v.size() * sizeof(T), why);
}

// The matrix of the Lagrange multiplier, never stored: per column the horizontal
// transmissibility factors of its four sides and its vertical factor, per layer the thickness
// and the inverse centre spacing above it.
struct Stencil {
  int rows, cols, nz;
  std::vector<double> sE, sW, sN, sS, vert;  // per column
  std::vector<double> dEta, invGap;          // per layer

  explicit Stencil(const WindMesh& m) : rows(m.rows), cols(m.cols), nz(m.layers) {
    const std::size_t n = m.Columns();
    sE.resize(n);
    sW.resize(n);
    sN.resize(n);
    sS.resize(n);
    vert.resize(n);
    dEta.resize(nz);
    invGap.resize(nz);
    for (int k = 0; k < nz; ++k) {
      dEta[k] = m.eta[k + 1] - m.eta[k];
      // Above the top layer the multiplier is 0 on the top surface itself.
      invGap[k] = 1.0 / ((k + 1 < nz ? m.etaMid[k + 1] : 1.0) - m.etaMid[k]);
    }
    // Horizontal: T = area / distance = dy * dEta * mean depth / dx (dx = dy); a side on the
    // domain's edge reaches the multiplier's zero at half the distance.
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        const std::size_t i = static_cast<std::size_t>(r) * cols + c;
        const double J = m.depth[i];
        sE[i] = c + 1 < cols ? 0.5 * (J + m.depth[i + 1]) : 2.0 * J;
        sW[i] = c > 0 ? 0.5 * (J + m.depth[i - 1]) : 2.0 * J;
        sN[i] = r > 0 ? 0.5 * (J + m.depth[i - cols]) : 2.0 * J;
        sS[i] = r + 1 < rows ? 0.5 * (J + m.depth[i + cols]) : 2.0 * J;
        vert[i] = kVerticalWeight * m.dx * m.dx / J;
      }
  }

  // y = A x over the columns of row r.
  void ApplyRow(int r, const double* x, double* y) const {
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * cols + c;
      const double* xc = x + i * nz;
      const double* xe = c + 1 < cols ? xc + nz : nullptr;
      const double* xw = c > 0 ? xc - nz : nullptr;
      const double* xn = r > 0 ? xc - static_cast<std::size_t>(cols) * nz : nullptr;
      const double* xs = r + 1 < rows ? xc + static_cast<std::size_t>(cols) * nz : nullptr;
      const double S = sE[i] + sW[i] + sN[i] + sS[i], v = vert[i];
      double* yc = y + i * nz;
      for (int k = 0; k < nz; ++k) {
        double nb = 0;
        if (xe) nb += sE[i] * xe[k];
        if (xw) nb += sW[i] * xw[k];
        if (xn) nb += sN[i] * xn[k];
        if (xs) nb += sS[i] * xs[k];
        double a = dEta[k] * (S * xc[k] - nb);
        a += v * invGap[k] * (xc[k] - (k + 1 < nz ? xc[k + 1] : 0.0));
        if (k > 0) a += v * invGap[k - 1] * (xc[k] - xc[k - 1]);
        yc[k] = a;
      }
    }
  }

  // z = M^-1 r with M the column blocks of A (each a tridiagonal solved exactly), over row r.
  void PreconditionRow(int r, const double* res, double* z, double* scratch) const {
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * cols + c;
      const double S = sE[i] + sW[i] + sN[i] + sS[i], v = vert[i];
      const double* rc = res + i * nz;
      double* zc = z + i * nz;
      // Forward sweep: scratch holds the modified upper diagonal.
      double prevUpper = 0, prevZ = 0;
      for (int k = 0; k < nz; ++k) {
        const double lower = k > 0 ? -v * invGap[k - 1] : 0.0;
        const double diag = dEta[k] * S + v * invGap[k] + (k > 0 ? v * invGap[k - 1] : 0.0);
        const double upper = k + 1 < nz ? -v * invGap[k] : 0.0;
        const double denom = 1.0 / (diag - lower * prevUpper);
        prevUpper = upper * denom;
        prevZ = (rc[k] - lower * prevZ) * denom;
        scratch[k] = prevUpper;
        zc[k] = prevZ;
      }
      for (int k = nz - 2; k >= 0; --k) zc[k] -= scratch[k] * zc[k + 1];
    }
  }
};

}  // namespace

double WindProfileFactor(double z, double h) {
  h = std::max(h, kMinVegetation);
  const double d = 0.65 * h, z0 = 0.13 * h, zr = h + kTwentyFeet;
  if (z <= d + z0) return 0.0;
  return std::log((z - d) / z0) / std::log((zr - d) / z0);
}

std::uint64_t WindSolveBytes(int rows, int cols, int layers) {
  // Multiplier, right-hand side and four solver vectors of doubles; per-column coefficients.
  const std::uint64_t n = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(cols);
  return n * static_cast<std::uint64_t>(layers) * 6u * sizeof(double) + n * 12u * sizeof(double);
}

void TerrainWindModel::BuildMesh(const WindTerrain& t, int layers) {
  WindMesh& m = mesh_;
  m.rows = t.rows;
  m.cols = t.cols;
  m.layers = layers;
  m.dx = t.cell;
  const auto [lo, hi] = std::minmax_element(t.elevation.begin(), t.elevation.end());
  // The top sits well above the relief, so that the adjustment near the ground is not
  // squeezed by it.
  m.top = *hi + std::max(1000.0, 2.0 * (*hi - *lo));
  m.eta.resize(layers + 1);
  m.etaMid.resize(layers);
  for (int k = 0; k <= layers; ++k)
    m.eta[k] = (std::exp(kStretch * k / layers) - 1.0) / (std::exp(kStretch) - 1.0);
  m.eta[layers] = 1.0;
  for (int k = 0; k < layers; ++k) m.etaMid[k] = 0.5 * (m.eta[k] + m.eta[k + 1]);
  m.depth.resize(m.Columns());
  for (std::size_t i = 0; i < m.Columns(); ++i) m.depth[i] = m.top - t.elevation[i];
  // Ground slope by central differences (one-sided on the edges); y points north, rows south.
  gradX_.assign(m.Columns(), 0.0);
  gradY_.assign(m.Columns(), 0.0);
  for (int r = 0; r < m.rows; ++r)
    for (int c = 0; c < m.cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * m.cols + c;
      const int c0 = std::max(c - 1, 0), c1 = std::min(c + 1, m.cols - 1);
      const int r0 = std::max(r - 1, 0), r1 = std::min(r + 1, m.rows - 1);
      if (c1 > c0)
        gradX_[i] = (t.elevation[static_cast<std::size_t>(r) * m.cols + c1] -
                     t.elevation[static_cast<std::size_t>(r) * m.cols + c0]) /
                    ((c1 - c0) * m.dx);
      if (r1 > r0)
        gradY_[i] = (t.elevation[static_cast<std::size_t>(r0) * m.cols + c] -
                     t.elevation[static_cast<std::size_t>(r1) * m.cols + c]) /
                    ((r1 - r0) * m.dx);
    }
}

void TerrainWindModel::Initial(std::size_t col, double z, double& u, double& v) const {
  const double h = vegetation_[col];
  const double p = WindProfileFactor(z, h);
  u = ux_ * p;
  v = vy_ * p;
  if (!slopeX_.empty()) {
    // The slope flow keeps the profile's shape through its layer and fades above it.
    double q = WindProfileFactor(std::min(z, kSlopeFlowDepth), h);
    if (z > kSlopeFlowDepth) q *= std::max(0.0, (2.0 * kSlopeFlowDepth - z) / kSlopeFlowDepth);
    u += slopeX_[col] * q;
    v += slopeY_[col] * q;
  }
}

void TerrainWindModel::InitialFaces(std::vector<double>& ux, std::vector<double>& vy, std::vector<double>& w,
                                    const std::atomic<bool>* cancel) const {
  const WindMesh& m = mesh_;
  const int R = m.rows, C = m.cols, nz = m.layers;
  ux.assign(static_cast<std::size_t>(R) * (C + 1) * nz, 0.0);
  vy.assign(static_cast<std::size_t>(R + 1) * C * nz, 0.0);
  w.assign(m.Columns() * (nz + 1), 0.0);
  const int threads = std::max(1, set_.threads);
#pragma omp parallel for schedule(static) num_threads(threads)
  for (int r = 0; r <= R; ++r) {
    if (cancel && cancel->load(std::memory_order_relaxed)) continue;
    double ua, va, ub, vb;
    // x faces of row r: between columns fc - 1 and fc, the mean of both columns' profiles at
    // the face's height.
    if (r < R)
      for (int fc = 0; fc <= C; ++fc) {
        const std::size_t a = static_cast<std::size_t>(r) * C + std::max(fc - 1, 0);
        const std::size_t b = static_cast<std::size_t>(r) * C + std::min(fc, C - 1);
        const double J = 0.5 * (m.depth[a] + m.depth[b]);
        for (int k = 0; k < nz; ++k) {
          Initial(a, m.etaMid[k] * J, ua, va);
          Initial(b, m.etaMid[k] * J, ub, vb);
          ux[(static_cast<std::size_t>(r) * (C + 1) + fc) * nz + k] = 0.5 * (ua + ub);
        }
      }
    // y face fr = r: the north side of row r, between rows r - 1 (north) and r.
    for (int c = 0; c < C; ++c) {
      const std::size_t a = static_cast<std::size_t>(std::min(r, R - 1)) * C + c;
      const std::size_t b = static_cast<std::size_t>(std::max(r - 1, 0)) * C + c;
      const double J = 0.5 * (m.depth[a] + m.depth[b]);
      for (int k = 0; k < nz; ++k) {
        Initial(a, m.etaMid[k] * J, ua, va);
        Initial(b, m.etaMid[k] * J, ub, vb);
        vy[(static_cast<std::size_t>(r) * C + c) * nz + k] = 0.5 * (va + vb);
      }
    }
    // Level faces: the initial field is horizontal (w = 0), so its velocity across the
    // terrain-following level eta is -(u dz/dx + v dz/dy) with dz/dx = (1 - eta) dground/dx.
    // None crosses the ground.
    if (r < R)
      for (int c = 0; c < C; ++c) {
        const std::size_t i = static_cast<std::size_t>(r) * C + c;
        for (int k = 1; k < nz; ++k) {
          Initial(i, m.eta[k] * m.depth[i], ua, va);
          w[i * (nz + 1) + k] = -(1.0 - m.eta[k]) * (ua * gradX_[i] + va * gradY_[i]);
        }
      }
  }
}

void TerrainWindModel::Divergence(const std::vector<double>& ux, const std::vector<double>& vy,
                                  const std::vector<double>& w, std::vector<double>& div) const {
  const WindMesh& m = mesh_;
  const int R = m.rows, C = m.cols, nz = m.layers;
  div.assign(m.Unknowns(), 0.0);
  const double dx = m.dx;
  const int threads = std::max(1, set_.threads);
#pragma omp parallel for schedule(static) num_threads(threads)
  for (int r = 0; r < R; ++r)
    for (int c = 0; c < C; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * C + c;
      const double J = m.depth[i];
      const double Jw = c > 0 ? 0.5 * (J + m.depth[i - 1]) : J, Je = c + 1 < C ? 0.5 * (J + m.depth[i + 1]) : J;
      const double Jn = r > 0 ? 0.5 * (J + m.depth[i - C]) : J, Js = r + 1 < R ? 0.5 * (J + m.depth[i + C]) : J;
      for (int k = 0; k < nz; ++k) {
        const double de = m.eta[k + 1] - m.eta[k];
        const double fe = ux[(static_cast<std::size_t>(r) * (C + 1) + c + 1) * nz + k] * dx * de * Je;
        const double fw = ux[(static_cast<std::size_t>(r) * (C + 1) + c) * nz + k] * dx * de * Jw;
        const double fn = vy[(static_cast<std::size_t>(r) * C + c) * nz + k] * dx * de * Jn;
        const double fs = vy[(static_cast<std::size_t>(r + 1) * C + c) * nz + k] * dx * de * Js;
        const double ft = w[i * (nz + 1) + k + 1] * dx * dx, fb = w[i * (nz + 1) + k] * dx * dx;
        div[i * nz + k] = (fe - fw) + (fn - fs) + (ft - fb);
      }
    }
}

void TerrainWindModel::AdjustedFaces(std::vector<double>& ux, std::vector<double>& vy, std::vector<double>& w) const {
  InitialFaces(ux, vy, w);
  const WindMesh& m = mesh_;
  const int R = m.rows, C = m.cols, nz = m.layers;
  const double dx = m.dx;
  auto lam = [&](int r, int c, int k) {
    if (r < 0 || r >= R || c < 0 || c >= C || k >= nz) return 0.0;
    return lambda_[(static_cast<std::size_t>(r) * C + c) * nz + k];
  };
  // The change of each face's velocity is the multiplier's drop across it over the distance;
  // on the open sides and the top the multiplier is 0 on the face itself.
  for (int r = 0; r < R; ++r)
    for (int fc = 0; fc <= C; ++fc) {
      const double dist = (fc == 0 || fc == C) ? 0.5 * dx : dx;
      for (int k = 0; k < nz; ++k)
        ux[(static_cast<std::size_t>(r) * (C + 1) + fc) * nz + k] += (lam(r, fc - 1, k) - lam(r, fc, k)) / dist;
    }
  for (int fr = 0; fr <= R; ++fr)
    for (int c = 0; c < C; ++c) {
      const double dist = (fr == 0 || fr == R) ? 0.5 * dx : dx;
      for (int k = 0; k < nz; ++k)
        vy[(static_cast<std::size_t>(fr) * C + c) * nz + k] += (lam(fr, c, k) - lam(fr - 1, c, k)) / dist;
    }
  for (int r = 0; r < R; ++r)
    for (int c = 0; c < C; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * C + c;
      for (int k = 1; k <= nz; ++k) {
        const double gap = ((k < nz ? m.etaMid[k] : 1.0) - m.etaMid[k - 1]) * m.depth[i];
        w[i * (nz + 1) + k] += kVerticalWeight * (lam(r, c, k - 1) - lam(r, c, k)) / gap;
      }
    }
}

WindStatus TerrainWindModel::Solve(const WindTerrain& t, const WindSettings& s, const std::atomic<bool>& cancel,
                                   std::atomic<double>* progress) {
  speed_.clear();
  direction_.clear();
  iterations_ = 0;
  residual_ = 0;
  const std::size_t cells = static_cast<std::size_t>(std::max(t.rows, 0)) * std::max(t.cols, 0);
  if (t.rows <= 0 || t.cols <= 0 || !(t.cell > 0) || s.layers < 2 || t.elevation.size() != cells ||
      t.vegetation.size() != cells)
    return kWindBadTerrain;
  if ((!s.slopeEast.empty() && s.slopeEast.size() != cells) || s.slopeEast.size() != s.slopeNorth.size())
    return kWindBadTerrain;
  set_ = s;
  const int threads = std::max(1, s.threads);
  try {
    BuildMesh(t, s.layers);
    vegetation_ = t.vegetation;
    slopeX_ = s.slopeEast;
    slopeY_ = s.slopeNorth;
    const double U = s.speedMph * kMetresPerSecondPerMph, th = s.directionFrom * kPi / 180.0;
    ux_ = -U * std::sin(th);
    vy_ = -U * std::cos(th);

    const WindMesh& m = mesh_;
    const int R = m.rows, nz = m.layers;
    const std::size_t n = m.Unknowns(), rowLen = static_cast<std::size_t>(m.cols) * nz;
    {
      std::vector<double> fx, fy, fw;
      InitialFaces(fx, fy, fw, &cancel);
      if (cancel.load()) return kWindCancelled;
      Divergence(fx, fy, fw, rhs_);
    }
    for (double& b : rhs_) b = -b;
    Stencil A(m);
    lambda_.assign(n, 0.0);
    std::vector<double> res(rhs_), z(n), p(n), q(n), partial(R), partial2(R);

    auto dotRows = [&](const std::vector<double>& a, const std::vector<double>& b) {
#pragma omp parallel for schedule(static) num_threads(threads)
      for (int r = 0; r < R; ++r) {
        double acc = 0;
        const std::size_t o = r * rowLen;
        for (std::size_t j = 0; j < rowLen; ++j) acc += a[o + j] * b[o + j];
        partial[r] = acc;
      }
      return SumRows(partial);
    };
    const double bb = dotRows(rhs_, rhs_);
    if (!(bb > 0)) {
      residual_ = 0;
      if (progress) *progress = 1.0;
      Sample();
      return kWindOk;
    }
    const double target = s.tolerance * s.tolerance * bb;
#pragma omp parallel num_threads(threads)
    {
      std::vector<double> scratch(nz);
#pragma omp for schedule(static)
      for (int r = 0; r < R; ++r) A.PreconditionRow(r, res.data(), z.data(), scratch.data());
    }
    p = z;
    double rz = dotRows(res, z), rr = bb;
    const double logSpan = std::log(1.0 / s.tolerance);
    int it = 0;
    for (; it < s.maxIterations && rr > target; ++it) {
      if (cancel.load(std::memory_order_relaxed)) return kWindCancelled;
#pragma omp parallel for schedule(static) num_threads(threads)
      for (int r = 0; r < R; ++r) {
        A.ApplyRow(r, p.data(), q.data());
        double acc = 0;
        const std::size_t o = r * rowLen;
        for (std::size_t j = 0; j < rowLen; ++j) acc += p[o + j] * q[o + j];
        partial[r] = acc;
      }
      const double alpha = rz / SumRows(partial);
#pragma omp parallel num_threads(threads)
      {
        std::vector<double> scratch(nz);
#pragma omp for schedule(static)
        for (int r = 0; r < R; ++r) {
          const std::size_t o = r * rowLen;
          double acc = 0;
          for (std::size_t j = o; j < o + rowLen; ++j) {
            lambda_[j] += alpha * p[j];
            res[j] -= alpha * q[j];
            acc += res[j] * res[j];
          }
          partial2[r] = acc;
          A.PreconditionRow(r, res.data(), z.data(), scratch.data());
          acc = 0;
          for (std::size_t j = o; j < o + rowLen; ++j) acc += res[j] * z[j];
          partial[r] = acc;
        }
      }
      rr = SumRows(partial2);
      const double rzNew = SumRows(partial), beta = rzNew / rz;
      rz = rzNew;
#pragma omp parallel for schedule(static) num_threads(threads)
      for (int r = 0; r < R; ++r) {
        const std::size_t o = r * rowLen;
        for (std::size_t j = o; j < o + rowLen; ++j) p[j] = z[j] + beta * p[j];
      }
      if (progress) {
        const double f = std::log(std::sqrt(bb / std::max(rr, 1e-300))) / logSpan;
        const double now = std::clamp(f, 0.0, 0.99);
        if (now > progress->load()) progress->store(now);
      }
    }
    iterations_ = it;
    // The recurrence drifts a little from the true residual; judge by the true one.
    res.assign(n, 0.0);
#pragma omp parallel for schedule(static) num_threads(threads)
    for (int r = 0; r < R; ++r) A.ApplyRow(r, lambda_.data(), res.data());
    for (std::size_t j = 0; j < n; ++j) res[j] = rhs_[j] - res[j];
    residual_ = std::sqrt(dotRows(res, res) / bb);
    if (residual_ > std::max(1e3 * s.tolerance, 1e-4)) return kWindNotConverged;
    Sample();
  } catch (const std::bad_alloc&) {
    lambda_.clear();
    rhs_.clear();
    return kWindNoMemory;
  }
  if (progress) *progress = 1.0;
  return kWindOk;
}

void TerrainWindModel::Sample() {
  const WindMesh& m = mesh_;
  const int R = m.rows, C = m.cols, nz = m.layers;
  const double dx = m.dx;
  speed_.assign(m.Columns(), 0.0f);
  direction_.assign(m.Columns(), 0.0f);
  auto lam = [&](int r, int c, int k) {
    if (r < 0 || r >= R || c < 0 || c >= C) return 0.0;
    return lambda_[(static_cast<std::size_t>(r) * C + c) * nz + k];
  };
  const int threads = std::max(1, set_.threads);
#pragma omp parallel for schedule(static) num_threads(threads)
  for (int r = 0; r < R; ++r)
    for (int c = 0; c < C; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * C + c;
      // The adjustment at a layer's centre: the mean of its two opposite faces' changes.
      auto change = [&](int k, double& du, double& dv) {
        const double l = lam(r, c, k);
        const double west = (lam(r, c - 1, k) - l) / (c > 0 ? dx : 0.5 * dx);
        const double east = (l - lam(r, c + 1, k)) / (c + 1 < C ? dx : 0.5 * dx);
        const double north = (l - lam(r - 1, c, k)) / (r > 0 ? dx : 0.5 * dx);
        const double south = (lam(r + 1, c, k) - l) / (r + 1 < R ? dx : 0.5 * dx);
        du = 0.5 * (west + east);
        dv = 0.5 * (north + south);
      };
      // 20 ft above the vegetation; the change is interpolated between layer centres (held
      // below the first and above the last), the initial field taken there exactly.
      const double zOut = std::max(vegetation_[i], kMinVegetation) + kTwentyFeet;
      const double J = m.depth[i];
      int k0 = 0;
      while (k0 + 1 < nz && m.etaMid[k0 + 1] * J <= zOut) ++k0;
      double du, dv;
      change(k0, du, dv);
      const double h0 = m.etaMid[k0] * J;
      if (zOut > h0 && k0 + 1 < nz) {
        double du1, dv1;
        change(k0 + 1, du1, dv1);
        const double f = (zOut - h0) / (m.etaMid[k0 + 1] * J - h0);
        du += f * (du1 - du);
        dv += f * (dv1 - dv);
      }
      double u, v;
      Initial(i, zOut, u, v);
      u += du;
      v += dv;
      speed_[i] = static_cast<float>(std::hypot(u, v) / kMetresPerSecondPerMph);
      double from = std::atan2(-u, -v) * 180.0 / kPi;
      if (from < 0) from += 360.0;
      if (from >= 360.0) from -= 360.0;
      direction_[i] = static_cast<float>(from);
    }
}

bool TerrainWindModel::ExportField(const std::string& folder, std::string* why) const {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path d(folder);
  const WindMesh& m = mesh_;
  {
    std::ofstream meta(d / "meta.txt");
    meta << "rows " << m.rows << "\ncols " << m.cols << "\nlayers " << m.layers << "\n";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", m.dx);
    meta << "cell " << buf << "\n";
    std::snprintf(buf, sizeof buf, "%.17g", m.top);
    meta << "top " << buf << "\n";
    if (!meta) {
      if (why) *why = "Cannot write " + (d / "meta.txt").string();
      return false;
    }
  }
  std::vector<double> ux, vy, w;
  InitialFaces(ux, vy, w);
  if (!WriteVec(d / "u0.f64", ux, why) || !WriteVec(d / "v0.f64", vy, why) || !WriteVec(d / "w0.f64", w, why))
    return false;
  AdjustedFaces(ux, vy, w);
  return WriteVec(d / "u.f64", ux, why) && WriteVec(d / "v.f64", vy, why) && WriteVec(d / "w.f64", w, why) &&
         WriteVec(d / "depth.f64", m.depth, why) && WriteVec(d / "eta.f64", m.eta, why);
}

bool TerrainWindModel::ExportSystem(const std::string& folder, std::string* why) const {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path d(folder);
  const WindMesh& m = mesh_;
  if (rhs_.size() != m.Unknowns()) {
    if (why) *why = "No system has been solved.";
    return false;
  }
  // Columns of A from its action on unit vectors would be slow; build rows from the stencil.
  Stencil A(m);
  const int R = m.rows, C = m.cols, nz = m.layers;
  std::vector<std::int64_t> indptr;
  std::vector<std::int32_t> indices;
  std::vector<double> data;
  indptr.reserve(m.Unknowns() + 1);
  indices.reserve(m.Unknowns() * 7);
  data.reserve(m.Unknowns() * 7);
  indptr.push_back(0);
  for (int r = 0; r < R; ++r)
    for (int c = 0; c < C; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * C + c;
      const double S = A.sE[i] + A.sW[i] + A.sN[i] + A.sS[i], v = A.vert[i];
      for (int k = 0; k < nz; ++k) {
        const auto at = [&](std::size_t col, int kk) { return static_cast<std::int32_t>(col * nz + kk); };
        std::vector<std::pair<std::int32_t, double>> row;
        if (r > 0) row.push_back({at(i - C, k), -A.sN[i] * A.dEta[k]});
        if (c > 0) row.push_back({at(i - 1, k), -A.sW[i] * A.dEta[k]});
        if (k > 0) row.push_back({at(i, k - 1), -v * A.invGap[k - 1]});
        row.push_back({at(i, k), A.dEta[k] * S + v * A.invGap[k] + (k > 0 ? v * A.invGap[k - 1] : 0.0)});
        if (k + 1 < nz) row.push_back({at(i, k + 1), -v * A.invGap[k]});
        if (c + 1 < C) row.push_back({at(i + 1, k), -A.sE[i] * A.dEta[k]});
        if (r + 1 < R) row.push_back({at(i + C, k), -A.sS[i] * A.dEta[k]});
        for (auto& [col, val] : row) {
          indices.push_back(col);
          data.push_back(val);
        }
        indptr.push_back(static_cast<std::int64_t>(indices.size()));
      }
    }
  return WriteVec(d / "indptr.i64", indptr, why) && WriteVec(d / "indices.i32", indices, why) &&
         WriteVec(d / "data.f64", data, why) && WriteVec(d / "rhs.f64", rhs_, why) &&
         WriteVec(d / "lambda.f64", lambda_, why);
}

}  // namespace engines

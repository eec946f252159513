// Elliptical wave propagation against the analytic fire of uniform conditions: a disc of radius
// r0 grows into the disc swept by the wavelet ellipse, so its head, back and flank lie at
// (b+c)t + r0, (b-c)t + r0 and a t + r0, and its area is pi r0^2 + r0 t P + pi a b t^2 with P
// the perimeter of the unit-time ellipse (the mixed area of a disc and an ellipse).
#include "engines/growth.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace g = engines::growth;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Ramanujan's second approximation of an ellipse's perimeter (semi-axes a, b).
double EllipsePerimeter(double a, double b) {
  const double h = (a - b) * (a - b) / ((a + b) * (a + b));
  return kPi * (a + b) * (1 + 3 * h / (10 + std::sqrt(4 - 3 * h)));
}

double Area(const std::vector<g::Ring>& rings) {
  double s = 0;
  for (const auto& r : rings) s += g::SignedArea(r);
  return s;
}

struct Case {
  double a, b, c, headDeg, r0, minutes;
};

// Grows a disc in uniform conditions on an open grid.
std::vector<g::Ring> Grow(const Case& k, double res, double stepMinutes = 0) {
  g::Grid grid{400, 400, -6000, 6000, 30};
  g::GrowthSettings s;
  s.distanceRes = res;
  s.perimeterRes = res;
  g::Growth fire(grid, s);
  fire.AddRing(g::Circle(0, 0, k.r0, 64));
  const g::Wavelet w{k.a, k.b, k.c, k.headDeg * kPi / 180, 0, 0};
  std::atomic<bool> cancel{false};
  auto at = [&](double, double, g::Wavelet& out) {
    out = w;
    return true;
  };
  auto open = [](int, int) { return false; };
  const double step = stepMinutes > 0 ? stepMinutes : k.minutes;
  for (double t = 0; t < k.minutes - 1e-9; t += step) fire.Advance(std::min(step, k.minutes - t), at, open, cancel, {});
  return fire.Rings();
}

}  // namespace

TEST(Growth, UniformDiscReachesTheAnalyticHeadBackFlankAndArea) {
  const double res = 10;
  const Case cases[] = {
      {2, 5, 3, 30, 50, 240},    // elongated, heading north-north-east
      {4, 4, 0, 0, 30, 150},     // no wind: a circle
      {1.5, 6, 5.5, 250, 20, 300},  // long and narrow, heading west-south-west
  };
  for (const Case& k : cases) {
    const auto rings = Grow(k, res);
    ASSERT_EQ(rings.size(), 1u);
    const double hx = std::sin(k.headDeg * kPi / 180), hy = std::cos(k.headDeg * kPi / 180);
    double head = -1e30, back = 1e30, flank = -1e30;
    for (const auto& v : rings[0]) {
      head = std::max(head, v.x * hx + v.y * hy);
      back = std::min(back, v.x * hx + v.y * hy);
      flank = std::max(flank, v.x * hy - v.y * hx);
    }
    const double t = k.minutes;
    auto near = [&](double got, double want, const char* what) {
      EXPECT_NEAR(got, want, res / 2 + 0.005 * want) << what << " a=" << k.a << " b=" << k.b << " c=" << k.c;
    };
    near(head, (k.b + k.c) * t + k.r0, "head");
    near(-back, (k.b - k.c) * t + k.r0, "back");
    near(flank, k.a * t + k.r0, "flank");
    ASSERT_GT(k.a * t, 20 * res);
    const double want = kPi * k.r0 * k.r0 + k.r0 * t * EllipsePerimeter(k.a, k.b) + kPi * k.a * k.b * t * t;
    EXPECT_NEAR(Area(rings), want, 0.01 * want) << "area a=" << k.a;
  }
}

TEST(Growth, AreaIgnoresTheWindsHeadingAndTheStepLength) {
  const Case base{2, 5, 3, 0, 40, 240};
  const double area = Area(Grow(base, 10));
  Case turned = base;
  turned.headDeg = 45;
  EXPECT_NEAR(Area(Grow(turned, 10)), area, 0.005 * area);
  EXPECT_NEAR(Area(Grow(base, 10, 15)), area, 0.01 * area);
}

TEST(Growth, CrossingRingsMergeLoopsClipAndIslandsStayAsEnclaves) {
  // Two overlapping squares merge into one outline of their union.
  g::Ring a{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
  g::Ring b{{5, 5, 0}, {15, 5, 0}, {15, 15, 0}, {5, 15, 0}};
  auto merged = g::CleanRings({a, b});
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_NEAR(g::SignedArea(merged[0]), 175, 1e-9);

  // A slot swept right through the ring: the two burned halves stay, the inverted loop that
  // crossed the far side is clipped.
  g::Ring slot{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {6, 10, 0}, {6, -2, 0}, {4, -2, 0}, {4, 10, 0}, {0, 10, 0}};
  auto clipped = g::CleanRings({slot});
  ASSERT_EQ(clipped.size(), 2u);
  EXPECT_NEAR(g::SignedArea(clipped[0]), 40, 1e-9);
  EXPECT_NEAR(g::SignedArea(clipped[1]), 40, 1e-9);

  // A C-shape whose arms closed round an unburned pocket: the pocket becomes a clockwise enclave.
  g::Ring c{{0, 0, 0}, {10, 0, 0}, {10, 3, 0}, {3, 3, 0}, {3, 7, 0}, {11, 7, 0}, {11, 10, 0}, {0, 10, 0}};
  g::Ring lid{{8, 2, 0}, {12, 2, 0}, {12, 8, 0}, {8, 8, 0}};
  auto closed = g::CleanRings({c, lid});
  ASSERT_EQ(closed.size(), 2u);
  double fire = 0, enclave = 0;
  for (const auto& r : closed) (g::SignedArea(r) > 0 ? fire : enclave) += g::SignedArea(r);
  // The C covers 75, the lid 24, they share 5; the pocket x 3..8, y 3..7 is unburned.
  EXPECT_NEAR(enclave, -20, 1e-9);
  EXPECT_NEAR(fire + enclave, 75 + 24 - 5, 1e-9);

  // Many crossing fires give the same outlines, vertex for vertex, on any number of threads.
  std::vector<g::Ring> many;
  for (int k = 0; k < 40; ++k) many.push_back(g::Circle(70.0 * (k % 8), 70.0 * (k / 8) + 3.0 * (k % 3), 40, 256));
  const auto serial = g::CleanRings(many, 1), parallel = g::CleanRings(many, 8);
  ASSERT_EQ(serial.size(), parallel.size());
  for (std::size_t k = 0; k < serial.size(); ++k) {
    ASSERT_EQ(serial[k].size(), parallel[k].size());
    for (std::size_t i = 0; i < serial[k].size(); ++i)
      ASSERT_TRUE(serial[k][i].x == parallel[k][i].x && serial[k][i].y == parallel[k][i].y) << k << " " << i;
  }
  EXPECT_GT(serial.size(), 1u);  // the union has holes

  // A ring lying inside another fire is dropped.
  auto inside = g::CleanRings({g::Circle(0, 0, 100, 32), g::Circle(10, 0, 5, 12)});
  ASSERT_EQ(inside.size(), 1u);
}

TEST(Growth, FillRegionCoversCellCentresInsideButNotInEnclaves) {
  g::Grid grid{10, 10, 0, 10, 1};
  g::Ring outer{{0.2, 0.2, 0}, {9.8, 0.2, 0}, {9.8, 9.8, 0}, {0.2, 9.8, 0}};
  g::Ring hole{{3, 3, 0}, {3, 7, 0}, {7, 7, 0}, {7, 3, 0}};  // clockwise
  int cells = 0;
  std::atomic<int> inHole{0};
  g::FillRegion({outer, hole}, grid, 2, [&](int row, int c0, int c1) {
    for (int c = c0; c <= c1; ++c) {
      const double x = c + 0.5, y = 10 - (row + 0.5);
      if (x > 3 && x < 7 && y > 3 && y < 7) ++inHole;
#pragma omp atomic
      ++cells;
    }
  });
  EXPECT_EQ(cells, 100 - 16);
  EXPECT_EQ(inHole.load(), 0);
}

#include "themes/polygon.h"

#include <cmath>
#include <new>
#include <strings.h>

namespace {
constexpr double kPi = 3.141592653589793;
const char* const kFireTypes[] = {"Expanding Fire", "Enclave Fire", "Barrier"};
}  // namespace

bool CPolygon::SetVertexCount(int n) {
  if (n < 0) return false;
  if (n > count_) {
    try {
      std::vector<double>(static_cast<std::size_t>(n) * 2).swap(xy_);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  count_ = n;
  area_ = 0;
  return true;
}

bool CPolygon::SetVertex(double x, double y, int index) {
  if (index < 0 || index >= count_) return false;
  xy_[static_cast<std::size_t>(index) * 2] = x;
  xy_[static_cast<std::size_t>(index) * 2 + 1] = y;
  if (index == 0) {
    minX_ = maxX_ = x;
    minY_ = maxY_ = y;
  } else {
    minX_ = std::fmin(minX_, x);
    maxX_ = std::fmax(maxX_, x);
    minY_ = std::fmin(minY_, y);
    maxY_ = std::fmax(maxY_, y);
  }
  return true;
}

double CPolygon::GetArea() {
  if (area_ != 0 || count_ == 0) return area_;
  double a = 0;
  for (int i = 0; i < count_; ++i) {
    const int j = (i + 1) % count_;
    a += xy_[2 * i] * xy_[2 * j + 1] - xy_[2 * j] * xy_[2 * i + 1];
  }
  area_ = a / 2;
  return area_;
}

double CPolygon::GetVertexAngle(double vx, double vy) const {
  double dx = vx - testX_, dy = vy - testY_;
  if (dx > -1e-9 && dx < 1e-9) dx = 0;
  if (dy > -1e-9 && dy < 1e-9) dy = 0;
  if (dx == 0) return dy >= 0 ? 0 : kPi;
  if (dx > 0) return kPi / 2 - std::atan(dy / dx);
  return 3 * kPi / 2 - std::atan(dy / dx);
}

bool CPolygon::IsPointInside(double x, double y) {
  testX_ = x;
  testY_ = y;
  if (count_ == 0) return false;
  double c = GetVertexAngle(xy_[0], xy_[1]), s = 0;
  for (int i = 1; i <= count_; ++i) {
    const int k = i % count_;
    const double e = GetVertexAngle(xy_[2 * k], xy_[2 * k + 1]);
    double f = e - c;
    if (f > kPi)
      f -= 2 * kPi;
    else if (f < -kPi)
      f += 2 * kPi;
    s -= f;
    c = e;
  }
  return std::fabs(s) > kPi;
}

std::string FireTypeToName(int code) {
  return code >= 1 && code <= 3 ? kFireTypes[code - 1] : "";
}

int FireTypeFromName(const std::string& name) {
  for (int i = 0; i < 3; ++i)
    if (strcasecmp(name.c_str(), kFireTypes[i]) == 0) return i + 1;
  return 0;
}

#pragma once
// Vector, matrix and quaternion maths of the 3D view, in one place. Matrices are left-handed
// and multiply row vectors from the right (v' = v M, translation in the fourth row), so a
// chain reads in the order it is applied: world = centre x rotation x translation. The GL
// window uploads them as they are stored; GLSL's column-major reading then transposes them,
// which turns v M into M^T v.
#include <cmath>

namespace views::math {

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
struct Vec4 {
  float x = 0, y = 0, z = 0, w = 0;
};
struct Quat {
  float x = 0, y = 0, z = 0, w = 1;
};
struct Mat4 {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
// A zero vector stays zero.
inline Vec3 Normalize(Vec3 a) {
  const float l = Length(a);
  return l > 0 ? Vec3{a.x / l, a.y / l, a.z / l} : Vec3{};
}

inline Mat4 Identity() { return {}; }

inline Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  return r;
}

inline Vec4 Transform(Vec4 v, const Mat4& a) {
  const float in[4] = {v.x, v.y, v.z, v.w};
  float out[4] = {0, 0, 0, 0};
  for (int j = 0; j < 4; ++j)
    for (int k = 0; k < 4; ++k) out[j] += in[k] * a.m[k][j];
  return {out[0], out[1], out[2], out[3]};
}

inline Mat4 Translation(float x, float y, float z) {
  Mat4 r;
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

inline Mat4 RotationX(float a) {
  Mat4 r;
  const float c = std::cos(a), s = std::sin(a);
  r.m[1][1] = c;
  r.m[1][2] = s;
  r.m[2][1] = -s;
  r.m[2][2] = c;
  return r;
}

// x' = x cos a + z sin a, z' = -x sin a + z cos a.
inline Mat4 RotationY(float a) {
  Mat4 r;
  const float c = std::cos(a), s = std::sin(a);
  r.m[0][0] = c;
  r.m[0][2] = -s;
  r.m[2][0] = s;
  r.m[2][2] = c;
  return r;
}

// x' = x cos a - y sin a, y' = x sin a + y cos a.
inline Mat4 RotationZ(float a) {
  Mat4 r;
  const float c = std::cos(a), s = std::sin(a);
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

inline Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
  const Vec3 z = Normalize(at - eye);
  const Vec3 x = Normalize(Cross(up, z));
  const Vec3 y = Cross(z, x);
  Mat4 r;
  r.m[0][0] = x.x; r.m[0][1] = y.x; r.m[0][2] = z.x; r.m[0][3] = 0;
  r.m[1][0] = x.y; r.m[1][1] = y.y; r.m[1][2] = z.y; r.m[1][3] = 0;
  r.m[2][0] = x.z; r.m[2][1] = y.z; r.m[2][2] = z.z; r.m[2][3] = 0;
  r.m[3][0] = -Dot(x, eye); r.m[3][1] = -Dot(y, eye); r.m[3][2] = -Dot(z, eye); r.m[3][3] = 1;
  return r;
}

// Depth from 0 at the near plane to 1 at the far plane.
inline Mat4 PerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
  const float ys = 1.0f / std::tan(fovY / 2), xs = ys / aspect;
  Mat4 r;
  r.m[0][0] = xs;
  r.m[1][1] = ys;
  r.m[2][2] = zf / (zf - zn);
  r.m[2][3] = 1;
  r.m[3][2] = -zn * zf / (zf - zn);
  r.m[3][3] = 0;
  return r;
}

// q1 followed by q2.
inline Quat Multiply(Quat q1, Quat q2) {
  return {q2.w * q1.x + q2.x * q1.w + q2.y * q1.z - q2.z * q1.y,
          q2.w * q1.y - q2.x * q1.z + q2.y * q1.w + q2.z * q1.x,
          q2.w * q1.z + q2.x * q1.y - q2.y * q1.x + q2.z * q1.w,
          q2.w * q1.w - q2.x * q1.x - q2.y * q1.y - q2.z * q1.z};
}

inline Mat4 RotationQuaternion(Quat q) {
  Mat4 r;
  r.m[0][0] = 1 - 2 * (q.y * q.y + q.z * q.z);
  r.m[0][1] = 2 * (q.x * q.y + q.z * q.w);
  r.m[0][2] = 2 * (q.x * q.z - q.y * q.w);
  r.m[1][0] = 2 * (q.x * q.y - q.z * q.w);
  r.m[1][1] = 1 - 2 * (q.x * q.x + q.z * q.z);
  r.m[1][2] = 2 * (q.y * q.z + q.x * q.w);
  r.m[2][0] = 2 * (q.x * q.z + q.y * q.w);
  r.m[2][1] = 2 * (q.y * q.z - q.x * q.w);
  r.m[2][2] = 1 - 2 * (q.x * q.x + q.y * q.y);
  return r;
}

// The rotation part of a matrix as a unit quaternion.
inline Quat QuaternionFromMatrix(const Mat4& a) {
  const float t = a.m[0][0] + a.m[1][1] + a.m[2][2];
  Quat q;
  if (t > 0) {
    const float s = std::sqrt(t + 1) * 2;
    q = {(a.m[1][2] - a.m[2][1]) / s, (a.m[2][0] - a.m[0][2]) / s, (a.m[0][1] - a.m[1][0]) / s, s / 4};
  } else if (a.m[0][0] > a.m[1][1] && a.m[0][0] > a.m[2][2]) {
    const float s = std::sqrt(1 + a.m[0][0] - a.m[1][1] - a.m[2][2]) * 2;
    q = {s / 4, (a.m[0][1] + a.m[1][0]) / s, (a.m[2][0] + a.m[0][2]) / s, (a.m[1][2] - a.m[2][1]) / s};
  } else if (a.m[1][1] > a.m[2][2]) {
    const float s = std::sqrt(1 + a.m[1][1] - a.m[0][0] - a.m[2][2]) * 2;
    q = {(a.m[0][1] + a.m[1][0]) / s, s / 4, (a.m[1][2] + a.m[2][1]) / s, (a.m[2][0] - a.m[0][2]) / s};
  } else {
    const float s = std::sqrt(1 + a.m[2][2] - a.m[0][0] - a.m[1][1]) * 2;
    q = {(a.m[2][0] + a.m[0][2]) / s, (a.m[1][2] + a.m[2][1]) / s, s / 4, (a.m[0][1] - a.m[1][0]) / s};
  }
  return q;
}

constexpr float kDegreesToRadians = 0.017453292f;

}  // namespace views::math

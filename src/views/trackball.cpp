#include "views/trackball.h"

#include <cmath>
#include <utility>

namespace views {

using namespace math;

void CTrackball::Reset() {
  down_ = now_ = Quat{};
  rotation_ = rotationDelta_ = translation_ = translationDelta_ = Identity();
  translationRadius_ = 1.0f;
  dragging_ = false;
}

void CTrackball::SetWindow(int width, int height, float radius) {
  width_ = width;
  height_ = height;
  radius_ = radius;
}

void CTrackball::SetRotationX(float angle) {
  rotation_ = RotationX(angle);
  now_ = QuaternionFromMatrix(rotation_);
}

Vec3 CTrackball::ScreenToSphere(int x, int y) const {
  // A window not yet sized has no sphere: the centre.
  if (width_ <= 0 || height_ <= 0 || !(radius_ > 0)) return {0, 0, 1};
  const int hw = width_ / 2, hh = height_ / 2;
  const float px = 2.0f * static_cast<float>(hw - x) / (static_cast<float>(width_) * radius_);
  const float py = 2.0f * static_cast<float>(y - hh) / (static_cast<float>(height_) * radius_);
  const float m = px * px + py * py;
  if (m > 1.0f) {
    const float s = std::sqrt(m);
    return {px / s, py / s, 0.0f};
  }
  return {px, py, std::sqrt(1.0f - m)};
}

bool CTrackball::HandleMouse(MouseMessage message, int x, int y, unsigned buttons) {
  switch (message) {
    case MouseMessage::RightDown:
    case MouseMessage::MiddleDown:
      lastX_ = x;
      lastY_ = y;
      return true;
    case MouseMessage::LeftDown:
      dragging_ = true;
      downPoint_ = ScreenToSphere(x, y);
      down_ = now_;
      return true;
    case MouseMessage::LeftUp:
      dragging_ = false;
      return true;
    case MouseMessage::Move:
      if (buttons & kLeftButton) {
        if (dragging_) {
          const Vec3 a = Normalize(downPoint_);
          const Vec3 b = Normalize(ScreenToSphere(x, y));
          const Vec3 h = Normalize(a + b);
          const Vec3 axis = Cross(a, h);
          const Quat q{axis.x, axis.y, axis.z, Dot(a, h)};
          now_ = Multiply(down_, q);
          rotationDelta_ = RotationQuaternion(q);
        } else {
          rotationDelta_ = Identity();
        }
        rotation_ = RotationQuaternion(now_);
        dragging_ = true;
        return true;
      }
      if (buttons & (kRightButton | kMiddleButton)) {
        // A window without height or width moves nothing.
        const float h = height_ > 0 ? static_cast<float>(height_) : 0.0f;
        const float w = width_ > 0 ? static_cast<float>(width_) : 0.0f;
        const float dy = h > 0 ? static_cast<float>(lastY_ - y) * translationRadius_ / h : 0.0f;
        if (buttons & kMiddleButton) {
          const float dx = w > 0 ? static_cast<float>(lastX_ - x) * translationRadius_ / w : 0.0f;
          translationDelta_ = Translation(-2 * dx, 2 * dy, 0);
        } else {
          translationDelta_ = Translation(0, 0, 5 * dy);
        }
        translation_ = Multiply(translation_, translationDelta_);
        lastX_ = x;
        lastY_ = y;
      }
      return true;
    case MouseMessage::Other: break;
  }
  return false;
}

FrameTimer::FrameTimer(Clock clock, std::int64_t ticksPerSecond)
    : clock_(std::move(clock)), frequency_(ticksPerSecond > 0 ? ticksPerSecond : 1) {
  if (!clock_)
    clock_ = [] {
      return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::steady_clock::now().time_since_epoch())
                                           .count());
    };
}

float FrameTimer::operator()(int command) {
  if (command < Reset || command > ElapsedTime) return -1.0f;
  const bool frozen = stopTime_ != 0 && command != Start && command != AbsoluteTime;
  const std::int64_t now = frozen ? stopTime_ : clock_();
  const double f = static_cast<double>(frequency_);
  switch (command) {
    case Reset:
      base_ = last_ = now;
      stopTime_ = 0;
      stopped_ = false;
      return 0.0f;
    case Start:
      if (stopped_) base_ += now - stopTime_;
      stopTime_ = 0;
      last_ = now;
      stopped_ = false;
      return 0.0f;
    case Stop:
      if (!stopped_) {
        stopTime_ = now;
        last_ = now;
        stopped_ = true;
      }
      return 0.0f;
    case Advance:
      stopTime_ += frequency_ / 10;
      return 0.0f;
    case AbsoluteTime: return static_cast<float>(static_cast<double>(now) / f);
    case AppTime: return static_cast<float>(static_cast<double>(now - base_) / f);
    case ElapsedTime: {
      const double e = static_cast<double>(now - last_) / f;
      last_ = now;
      return static_cast<float>(e);
    }
    default: return -1.0f;
  }
}

FramePacer::FramePacer(FrameTimer timer) : timer_(std::move(timer)) {
  timer_(FrameTimer::Reset);
  SetPaused(true);
}

void FramePacer::SetPaused(bool pause) {
  if (!pause && pauses_ == 0) return;  // a resume without its pause changes nothing
  pauses_ += pause ? 1 : -1;
  if (!moving_) return;
  if (pause && pauses_ == 1) timer_(FrameTimer::Stop);
  if (!pause && pauses_ == 0) timer_(FrameTimer::Start);
}

bool FramePacer::BeginFrame() {
  const float now = timer_(FrameTimer::AppTime);
  const float elapsed = timer_(FrameTimer::ElapsedTime);
  if (elapsed == 0.0f && moving_) return false;
  time_ = now;
  elapsed_ = elapsed;
  return true;
}

Material SetupMaterial(float r, float g, float b, float a) {
  Material m;
  const float c[4] = {r, g, b, a};
  for (int i = 0; i < 4; ++i) m.diffuse[i] = m.ambient[i] = c[i];
  return m;
}

Light SetupLight(Light::Type type, float x, float y, float z) {
  Light l;
  l.type = type;
  l.diffuse[0] = l.diffuse[1] = l.diffuse[2] = 1.0f;
  l.position = {x, y, z};
  l.direction = Normalize({x, y, z});
  l.range = 1000.0f;
  return l;
}

}  // namespace views

#pragma once
// The mouse trackball of the 3D view (a left drag turns, a middle drag pans, a right drag
// dollies), the frame timer, and the material and light records of the scene. Each view
// owns its trackball, pointer memory included.
#include <chrono>
#include <cstdint>
#include <functional>

#include "views/scene_math.h"

namespace views {

enum class MouseMessage { LeftDown, LeftUp, RightDown, MiddleDown, Move, Other };
// Buttons held during a move.
enum MouseButtons : unsigned { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

class CTrackball {
 public:
  CTrackball() { Reset(); }
  // Identity orientation and position, translation radius 1; the window is kept.
  void Reset();
  void SetWindow(int width, int height, float radius);
  void SetTranslationRadius(float radius) { translationRadius_ = radius; }
  void SetRotationX(float angle);
  math::Vec3 ScreenToSphere(int x, int y) const;
  // True when the message was taken.
  bool HandleMouse(MouseMessage message, int x, int y, unsigned buttons);

  const math::Mat4& RotationMatrix() const { return rotation_; }
  const math::Mat4& TranslationMatrix() const { return translation_; }
  const math::Quat& CurrentQuaternion() const { return now_; }
  float TranslationRadius() const { return translationRadius_; }
  bool Dragging() const { return dragging_; }

 private:
  int width_ = 0, height_ = 0;
  float radius_ = 1.0f;
  float translationRadius_ = 1.0f;
  math::Quat down_, now_;
  math::Mat4 rotation_, rotationDelta_, translation_, translationDelta_;
  bool dragging_ = false;
  int lastX_ = 0, lastY_ = 0;
  math::Vec3 downPoint_;
};

// Seconds of a steady clock, stoppable. Results are seconds for AbsoluteTime, AppTime and
// ElapsedTime, 0 for the others.
class FrameTimer {
 public:
  enum Command { Reset = 0, Start, Stop, Advance, AbsoluteTime, AppTime, ElapsedTime };
  using Clock = std::function<std::int64_t()>;  // ticks
  // Without a clock, nanoseconds of std::chrono::steady_clock.
  explicit FrameTimer(Clock clock = {}, std::int64_t ticksPerSecond = 1000000000);
  float operator()(int command);
  bool Stopped() const { return stopped_; }

 private:
  Clock clock_;
  std::int64_t frequency_;
  std::int64_t base_ = 0, stopTime_ = 0, last_ = 0;
  bool stopped_ = false;
};

// The frames of one 3D view, drawn on demand. Time moves on by the view's frame timer, which
// stands still while the view is paused (pauses nest); a frame asked for while time moves but
// none has passed since the last one is not drawn. Made paused, as a view is until its
// device is ready.
class FramePacer {
 public:
  explicit FramePacer(FrameTimer timer = FrameTimer{});
  void SetPaused(bool pause);
  bool Active() const { return pauses_ == 0; }
  // True when the frame is to be drawn; its application and elapsed times are then kept.
  bool BeginFrame();
  float Time() const { return time_; }
  float Elapsed() const { return elapsed_; }

 private:
  FrameTimer timer_;
  int pauses_ = 0;
  bool moving_ = true;  // frames move with time; nothing stops them in this program
  float time_ = 0, elapsed_ = 0;
};

struct Material {
  float diffuse[4] = {0, 0, 0, 0};
  float ambient[4] = {0, 0, 0, 0};
};
struct Light {
  enum Type { Point = 1, Spot = 2, Directional = 3 } type = Directional;
  float diffuse[4] = {0, 0, 0, 0};
  math::Vec3 position, direction;
  float range = 0;
  float attenuation0 = 0;
};
Material SetupMaterial(float r, float g, float b, float a);
Light SetupLight(Light::Type type, float x, float y, float z);

}  // namespace views

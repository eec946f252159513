#include <gtest/gtest.h>

#include <cmath>

#include "views/trackball.h"

namespace views {
namespace {

TEST(Trackball, ScreenPointsMapOntoTheSphere) {
  CTrackball t;
  t.SetWindow(400, 300, 1.0f);
  struct Case {
    int x, y;
    float px, py, pz;
  } cases[] = {
      {200, 150, 0, 0, 1},        // centre
      {0, 150, 1, 0, 0},          // middle of the left edge
      {400, 150, -1, 0, 0},       // right edge
      {200, 0, 0, -1, 0},         // top
      {300, 150, -0.5f, 0, std::sqrt(0.75f)},
  };
  for (const Case& c : cases) {
    const math::Vec3 p = t.ScreenToSphere(c.x, c.y);
    EXPECT_NEAR(p.x, c.px, 1e-6) << c.x << "," << c.y;
    EXPECT_NEAR(p.y, c.py, 1e-6) << c.x << "," << c.y;
    EXPECT_NEAR(p.z, c.pz, 1e-6) << c.x << "," << c.y;
  }
  // A corner lies beyond the sphere: a rim point.
  const math::Vec3 corner = t.ScreenToSphere(0, 0);
  EXPECT_EQ(corner.z, 0.0f);
  EXPECT_NEAR(math::Length(corner), 1.0f, 1e-6);
  // A window not yet sized answers the centre instead of dividing by zero.
  CTrackball unsized;
  unsized.SetWindow(0, 0, 1.0f);
  EXPECT_EQ(unsized.ScreenToSphere(5, 5).z, 1.0f);
}

TEST(Trackball, LeftDragFromCentreToRightEdgeTurnsQuarterAboutTheVertical) {
  CTrackball t;
  t.SetWindow(400, 300, 1.0f);
  EXPECT_TRUE(t.HandleMouse(MouseMessage::LeftDown, 200, 150, kLeftButton));
  EXPECT_TRUE(t.HandleMouse(MouseMessage::Move, 400, 150, kLeftButton));
  const math::Quat q = t.CurrentQuaternion();
  // A quarter turn: w = cos 45 degrees, the axis vertical.
  EXPECT_NEAR(std::abs(q.w), std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(std::abs(q.y), std::sqrt(0.5f), 1e-6);
  EXPECT_NEAR(q.x, 0, 1e-6);
  EXPECT_NEAR(q.z, 0, 1e-6);
  // The rotation matrix carries the down point (0, 0, 1) onto the pointer's (-1, 0, 0).
  const math::Vec4 v = math::Transform({0, 0, 1, 0}, t.RotationMatrix());
  EXPECT_NEAR(v.x, -1, 1e-6);
  EXPECT_NEAR(v.z, 0, 1e-6);
  EXPECT_TRUE(t.HandleMouse(MouseMessage::LeftUp, 400, 150, 0));
  EXPECT_FALSE(t.Dragging());
}

TEST(Trackball, MiddleDragPansAndRightDragDollies) {
  struct Case {
    MouseMessage down;
    unsigned buttons;
    int x1, y1;
    float tx, ty, tz;
  } cases[] = {
      // The whole width moves the object 2 r sideways, following the pointer.
      {MouseMessage::MiddleDown, kMiddleButton, 400, 150, 2 * 50.0f, 0, 0},
      {MouseMessage::MiddleDown, kMiddleButton, 0, 0, 0, 2 * 25.0f, 0},
      // The whole height upwards moves it 5 r away.
      {MouseMessage::RightDown, kRightButton, 0, 0, 0, 0, 5 * 50.0f},
      {MouseMessage::RightDown, kRightButton, 400, 300, 0, 0, 0},
  };
  for (const Case& c : cases) {
    CTrackball t;
    t.SetWindow(400, 300, 1.0f);
    t.SetTranslationRadius(50.0f);
    const int x0 = c.down == MouseMessage::MiddleDown && c.x1 == 400 ? 0 : c.x1;
    const int y0 = c.y1 == 0 ? (c.down == MouseMessage::MiddleDown ? 150 : 300) : c.y1;
    EXPECT_TRUE(t.HandleMouse(c.down, x0, y0, c.buttons));
    EXPECT_TRUE(t.HandleMouse(MouseMessage::Move, c.x1, c.y1, c.buttons));
    const math::Mat4& m = t.TranslationMatrix();
    EXPECT_NEAR(m.m[3][0], c.tx, 1e-4) << c.x1 << "," << c.y1;
    EXPECT_NEAR(m.m[3][1], c.ty, 1e-4) << c.x1 << "," << c.y1;
    EXPECT_NEAR(m.m[3][2], c.tz, 1e-4) << c.x1 << "," << c.y1;
  }
}

TEST(Trackball, MovesWithoutButtonsAreTakenAndChangeNothingResetKeepsTheWindow) {
  CTrackball t;
  t.SetWindow(400, 300, 1.0f);
  t.SetRotationX(5.497787f);
  const math::Quat before = t.CurrentQuaternion();
  EXPECT_NEAR(before.x, -std::sin(0.3926991f), 1e-5);  // 315 degrees about x
  EXPECT_TRUE(t.HandleMouse(MouseMessage::Move, 10, 10, 0));
  EXPECT_FALSE(t.HandleMouse(MouseMessage::Other, 10, 10, 0));
  EXPECT_EQ(t.CurrentQuaternion().x, before.x);
  EXPECT_EQ(t.RotationMatrix().m[1][2], math::RotationX(5.497787f).m[1][2]);
  t.Reset();
  EXPECT_EQ(t.RotationMatrix().m[1][2], 0.0f);
  EXPECT_EQ(t.TranslationRadius(), 1.0f);
  EXPECT_EQ(t.ScreenToSphere(0, 150).x, 1.0f);
}

TEST(FrameTimer, StoppedTimerHoldsItsTimesAndStartCarriesOn) {
  std::int64_t now = 1000;
  FrameTimer timer([&] { return now; }, 100);
  struct Step {
    int command;
    std::int64_t at;
    float result;
  } steps[] = {
      {FrameTimer::Reset, 1000, 0},     {FrameTimer::AppTime, 1250, 2.5f},
      {FrameTimer::ElapsedTime, 1300, 3.0f}, {FrameTimer::ElapsedTime, 1300, 0},
      {FrameTimer::Stop, 1400, 0},      {FrameTimer::AppTime, 1900, 4.0f},
      {FrameTimer::AppTime, 2500, 4.0f}, {FrameTimer::ElapsedTime, 2600, 0},
      {FrameTimer::AbsoluteTime, 2600, 26.0f}, {FrameTimer::Advance, 2600, 0},
      {FrameTimer::AppTime, 2700, 4.1f}, {FrameTimer::Start, 3000, 0},
      {FrameTimer::AppTime, 3000, 4.1f}, {FrameTimer::AppTime, 3100, 5.1f},
      {99, 3100, -1.0f},                {-1, 3100, -1.0f},
  };
  for (const Step& s : steps) {
    now = s.at;
    EXPECT_NEAR(timer(s.command), s.result, 1e-5) << s.command << " at " << s.at;
  }
}

// A frame asked for within the tick of the last one is not drawn; pauses nest and hold time.
TEST(FramePacer, DrawsOnlyWhenTimeHasMovedOnAndHoldsTimeWhilePaused) {
  std::int64_t now = 1000;
  FramePacer pacer(FrameTimer([&] { return now; }, 100));
  EXPECT_FALSE(pacer.Active());  // made paused, as a view is until its device is ready
  enum Op { Frame, Pause, Resume };
  struct Step {
    Op op;
    std::int64_t at;
    bool drawn;  // for Frame: drawn; otherwise: active afterwards
    float time, elapsed;
  } steps[] = {
      {Frame, 1200, false, 0, 0},     // paused: the timer stands still
      {Resume, 1300, true, 0, 0},     {Frame, 1300, false, 0, 0},  // no time has passed
      {Frame, 1350, true, 0.5f, 0.5f}, {Frame, 1350, false, 0.5f, 0.5f},
      {Pause, 1400, false, 0, 0},     {Pause, 1450, false, 0, 0},  {Resume, 1500, false, 0, 0},
      {Frame, 1600, false, 0.5f, 0.5f},  // still paused once
      {Resume, 1700, true, 0, 0},     {Resume, 1750, true, 0, 0},  // one resume too many: nothing
      {Frame, 1800, true, 2.0f, 1.0f},   // 1 s before the pause and 1 s since the resume
  };
  for (const Step& s : steps) {
    now = s.at;
    switch (s.op) {
      case Frame:
        EXPECT_EQ(pacer.BeginFrame(), s.drawn) << "frame at " << s.at;
        EXPECT_NEAR(pacer.Time(), s.time, 1e-5) << s.at;
        EXPECT_NEAR(pacer.Elapsed(), s.elapsed, 1e-5) << s.at;
        break;
      case Pause: pacer.SetPaused(true); EXPECT_EQ(pacer.Active(), s.drawn) << s.at; break;
      case Resume: pacer.SetPaused(false); EXPECT_EQ(pacer.Active(), s.drawn) << s.at; break;
    }
  }
}

TEST(SceneSetup, MaterialAndLightRecords) {
  const Material m = SetupMaterial(1, 0.5f, 0.25f, 1);
  EXPECT_EQ(m.ambient[1], 0.5f);
  EXPECT_EQ(m.diffuse[2], 0.25f);
  const Light l = SetupLight(Light::Directional, 0, 3, -4);
  EXPECT_FLOAT_EQ(l.direction.y, 0.6f);
  EXPECT_FLOAT_EQ(l.direction.z, -0.8f);
  EXPECT_EQ(l.range, 1000.0f);
  EXPECT_EQ(l.diffuse[0], 1.0f);
  EXPECT_EQ(l.diffuse[3], 0.0f);
}

}  // namespace
}  // namespace views

#include "themes/line_style.h"

#include <cstdlib>

#include "platform/image.h"

namespace {
const char* const kNames[kLineStyleCount] = {
    "Solid",         "Dash",         "Dot",        "DashDot",       "DashDotDot", "DashDotDotDot",
    "DashGap",       "DotGap",       "DashDotGap", "DashDotDotGap", "DashDotDotDotGap"};
}  // namespace

int GetLineStyleIndex(const std::string& name) {
  for (int i = 1; i < kLineStyleCount; ++i)
    if (name == kNames[i]) return i;
  return 0;
}

std::string GetLineStyleName(int index) {
  return index >= 1 && index < kLineStyleCount ? kNames[index] : kNames[0];
}

unsigned MakeDashPattern(std::uint32_t pattern[8], bool roundEnds, unsigned width, unsigned style) {
  const std::uint32_t dash = roundEnds ? 2 * width : 3 * width;
  const std::uint32_t dot = roundEnds ? 1 : width;
  const std::uint32_t baseGap = roundEnds ? 2 * width : width;
  const std::uint32_t gap = style < 6 ? baseGap : 2 * baseGap;
  if (style == 0) return 0;
  pattern[0] = (style == 2 || style == 7) ? dot : dash;
  pattern[1] = gap;
  unsigned count;
  switch (style) {
    case 1: case 2: case 6: case 7: count = 2; break;
    case 3: case 8: count = 4; break;
    case 4: case 9: count = 6; break;
    default: count = 8; break;
  }
  for (unsigned i = 2; i < count; i += 2) {
    pattern[i] = dot;
    pattern[i + 1] = gap;
  }
  return count;
}

CDashedStroke::CDashedStroke(platform::Canvas& canvas, const std::uint32_t* pattern, unsigned count,
                             int penWidth)
    : canvas_(canvas), count_(count > 8 ? 8 : count) {
  for (unsigned i = 0; i < count_; ++i) pattern_[i] = pattern[i];
  if (count_) stepsLeft_ = static_cast<std::int32_t>(pattern_[0]);
  // An odd pen centred on a pixel's middle covers whole pixels across the line.
  offset_ = (penWidth % 2) ? 0.5 : 0.0;
}

void CDashedStroke::PathMoveTo(int x, int y) { canvas_.MoveTo(x + offset_, y + offset_); }
void CDashedStroke::PathLineTo(int x, int y) { canvas_.LineTo(x + offset_, y + offset_); }

void CDashedStroke::MoveTo(int x, int y) {
  index_ = 0;
  if (count_) stepsLeft_ = static_cast<std::int32_t>(pattern_[0]);
  x_ = x;
  y_ = y;
  PathMoveTo(x, y);
}

void CDashedStroke::LineTo(int x, int y) {
  if (!count_) {
    PathLineTo(x, y);
    x_ = x;
    y_ = y;
    return;
  }
  const long long dx = static_cast<long long>(x) - x_, dy = static_cast<long long>(y) - y_;
  const bool majorY = std::llabs(dy) > std::llabs(dx);
  const long long n = majorY ? std::llabs(dy) : std::llabs(dx);
  const long long minor = majorY ? std::llabs(dx) : std::llabs(dy);
  const int majorStep = (majorY ? dy : dx) < 0 ? -1 : 1;
  const int minorStep = (majorY ? dx : dy) < 0 ? -1 : 1;
  int& major = majorY ? y_ : x_;
  int& other = majorY ? x_ : y_;
  long long e = n;
  for (long long i = 0; i < n; ++i) {
    e -= minor;
    if (e <= 0) {
      other += minorStep;
      e += n;
    }
    major += majorStep;
    if (--stepsLeft_ == 0) {
      index_ = (index_ + 1) % count_;
      stepsLeft_ = static_cast<std::int32_t>(pattern_[index_]);
      if (index_ % 2)
        PathLineTo(x_, y_);  // a dash has ended
      else
        PathMoveTo(x_, y_);  // a gap has ended
      if (i == n - 1) return;
    }
  }
  x_ = x;
  y_ = y;
  if (index_ % 2 == 0) PathLineTo(x, y);
}

void StrokeStyledPath(const COLORREF& colour, platform::Canvas& canvas, bool roundEnds, int width) {
  using C = platform::Canvas;
  canvas.SetColour(platform::RgbaFromColorRef(colour));
  canvas.SetLineWidth(width);
  canvas.SetLineCap(roundEnds ? C::LineCap::Round : C::LineCap::Butt);
  canvas.SetLineJoin(roundEnds ? C::LineJoin::Round : C::LineJoin::Miter);
  canvas.SetDash({});
  canvas.SetAntialias(false);  // pixel-exact dashes, as the lengths promise
  canvas.StrokePath();
}

#pragma once
// The eleven line styles of vector and contour themes, legends and legend images, and the
// drawer that turns a polyline into one sub-path per dash. Dash lengths are counted in steps
// along the major axis with the phase carried across vertices, so every dash, dot and gap
// keeps its length in pixels at every width; the whole path is then stroked solid with butt
// caps and mitre joins.
#include <cstdint>
#include <string>

#include "themes/color_ramp.h"  // COLORREF

namespace platform {
class Canvas;
}

constexpr int kLineStyleCount = 11;

// "Solid" and every unknown name give 0; the comparison is exact and case-sensitive.
int GetLineStyleIndex(const std::string& name);
// "Solid" for 0 and every index outside 1..10.
std::string GetLineStyleName(int index);

// Fills up to eight lengths in pixels (dash, gap, dash, ...) for a pen width and style and
// returns their count (0 = solid). Unknown styles give the pattern of style 10.
unsigned MakeDashPattern(std::uint32_t pattern[8], bool roundEnds, unsigned width, unsigned style);

// Builds the dashes of a polyline on the canvas's current path. Coordinates are whole device
// pixels; the path is placed so that a pen of the given width covers whole pixels.
class CDashedStroke {
 public:
  CDashedStroke(platform::Canvas& canvas, const std::uint32_t* pattern, unsigned count,
                int penWidth = 1);
  // Starts a new line: the pattern restarts with a full dash.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);

 private:
  void PathMoveTo(int x, int y);
  void PathLineTo(int x, int y);

  platform::Canvas& canvas_;
  unsigned index_ = 0;
  unsigned count_ = 0;
  std::int32_t stepsLeft_ = 0;
  std::uint32_t pattern_[8] = {};
  int x_ = 0, y_ = 0;
  double offset_ = 0;
};

// Strokes and empties the canvas's path with a solid pen of the colour and width: butt caps
// and mitre joins, or round caps and joins when roundEnds is set.
void StrokeStyledPath(const COLORREF& colour, platform::Canvas& canvas, bool roundEnds, int width);

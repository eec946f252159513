#pragma once
// The drawing surface of the grids, without any window: rectangles, lines, text with
// alignment and clipping, fonts as values. The screen draws through a wx device context,
// images, PDF pages and tests through cairo.
#include <cstdint>
#include <string>
#include <vector>

#include "gridmodel/grid_types.h"

namespace platform {
class Image;
}

namespace gridmodel {

// A colour that is not set: the cell takes its default cell's.
constexpr Colour kDefaultColour{};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};
struct Size {
  int cx = 0, cy = 0;
  bool operator==(const Size&) const = default;
};
// Left and top inclusive, right and bottom exclusive when filled.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const Rect&) const = default;
};
Rect Intersect(const Rect& a, const Rect& b);

// Text format flags of the grids' cells.
enum TextFormat : unsigned {
  kAlignLeft = 0x0, kAlignCenter = 0x1, kAlignRight = 0x2,
  kAlignTop = 0x0, kAlignVCenter = 0x4, kAlignBottom = 0x8,
  kWordBreak = 0x10, kSingleLine = 0x20, kNoPrefix = 0x800, kEndEllipsis = 0x8000,
};

class Painter {
 public:
  virtual ~Painter() = default;

  virtual void SetFont(const FontDesc& font) = 0;
  virtual FontDesc Font() const = 0;
  // Width and height of one line of text in the current font.
  virtual Size TextExtent(const std::string& text) = 0;

  virtual void FillRect(const Rect& r, Colour c) = 0;
  // A one-unit line from (x0, y0) up to, not including, (x1, y1).
  virtual void Line(int x0, int y0, int x1, int y1, Colour c) = 0;
  // Text with its top-left corner at (x, y); a font with an escapement turns it about that
  // corner.
  virtual void TextAt(int x, int y, const std::string& text, Colour c) = 0;
  // An image stretched to a rectangle; surfaces that cannot show images leave it out.
  virtual void DrawImage(const platform::Image& image, const Rect& dest) {}
  // Clipping nests; Pop restores the previous clip.
  virtual void PushClip(const Rect& r) = 0;
  virtual void PopClip() = 0;
  // The clip box in logical units; the whole surface when nothing clips.
  virtual Rect ClipBox() const = 0;
  // Logical to device: device = logical x scale + offset (printing scales the page).
  virtual void SetTransform(double sx, double sy, double ox, double oy) = 0;
  virtual bool IsPrinting() const { return false; }
  // Colours the device shows; a printer may have 2.
  virtual int DeviceColours() const { return 1 << 24; }
  // A plain RGB colour for a system colour (the desktop's in the window, fixed values
  // elsewhere); RGB colours pass through, an unset colour is black.
  virtual Colour Resolve(Colour c) const;

  // Shared helpers over the primitives.
  void FrameRect(const Rect& r, Colour c);
  // Text laid out in the rectangle by the format flags and clipped to it. With a vertical
  // font (escapement 900 or -900) the text is one line whose box the flags place.
  void DrawText(const std::string& text, const Rect& r, unsigned format, Colour c);
  // Extent of a text as DrawText lays it out (lines split at line feeds unless single-line).
  Size MeasureText(const std::string& text, unsigned format);
};

// Lines of a text, split at line feeds (a trailing CR dropped).
std::vector<std::string> SplitLines(const std::string& text);
// A font turned a quarter either way.
inline bool IsVerticalFont(const FontDesc& f) { return f.escapement == 900 || f.escapement == -900; }

}  // namespace gridmodel

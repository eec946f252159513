#pragma once
// An RGBA raster image drawn with cairo, saved and loaded as PNG. The map image, legends,
// charts and KMZ overlays are drawn here without any window.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  bool operator==(const Rgba&) const = default;
};
// From the system's 0x00BBGGRR colours.
constexpr Rgba RgbaFromColorRef(std::uint32_t c, std::uint8_t alpha = 255) {
  return Rgba{static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
              static_cast<std::uint8_t>((c >> 16) & 0xFF), alpha};
}

// cairo's pixels: colour premultiplied by alpha in a native-endian 0xAARRGGBB word.
Rgba StraightFromPremultiplied(std::uint32_t pixel);
std::uint32_t PremultipliedFromStraight(Rgba colour);

class Image {
 public:
  Image() = default;
  // A transparent image; an image of zero or negative size is empty.
  Image(int width, int height);
  ~Image();
  Image(const Image& other);
  Image& operator=(const Image& other);
  Image(Image&& other) noexcept;
  Image& operator=(Image&& other) noexcept;

  bool IsEmpty() const { return surface_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  void Fill(Rgba colour);
  // Straight (not premultiplied) colour of a pixel; transparent black outside the image.
  Rgba GetPixel(int x, int y) const;
  void SetPixel(int x, int y, Rgba colour);

  // Written through a temporary file, so a failure leaves an older file intact. RGBA.
  bool SavePng(const std::string& path) const;
  bool LoadPng(const std::string& path);
  // The PNG file's bytes, for writers that keep them in memory (archives). An image of at
  // most 256 colours may be given a palette (smaller and quicker; the same pixels).
  enum class PngColours { Rgba, PaletteWherePossible };
  bool EncodePng(std::string& out, PngColours colours = PngColours::Rgba) const;
  // Straight RGBA bytes, row by row from the top (for toolkits and encoders).
  std::vector<std::uint8_t> ToRgbaBytes() const;
  void FromRgbaBytes(int width, int height, const std::uint8_t* rgba);

  cairo_surface_t* Surface() const { return surface_; }

 private:
  void Flush() const;
  cairo_surface_t* surface_ = nullptr;
  int width_ = 0, height_ = 0;
};

// Drawing onto an image. Coordinates are pixels from the top-left corner.
class Canvas {
 public:
  explicit Canvas(Image& image);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  void SetColour(Rgba colour);
  void SetLineWidth(double width);
  // Dash lengths in pixels; empty for a solid line.
  void SetDash(const std::vector<double>& dashes);
  void SetAntialias(bool on);
  enum class LineCap { Butt, Round, Square };
  enum class LineJoin { Miter, Round, Bevel };
  void SetLineCap(LineCap cap);
  void SetLineJoin(LineJoin join);

  // A path built point by point, then stroked with the current pen and emptied.
  void MoveTo(double x, double y) { cairo_move_to(cr_, x, y); }
  void LineTo(double x, double y) { cairo_line_to(cr_, x, y); }
  void StrokePath() { cairo_stroke(cr_); }
  void NewPath() { cairo_new_path(cr_); }

  void Clear(Rgba colour);
  void FillRect(double x, double y, double w, double h);
  void StrokeRect(double x, double y, double w, double h);
  void DrawLine(double x0, double y0, double x1, double y1);
  void DrawPolyline(const std::vector<double>& xy);  // x0, y0, x1, y1, ...
  void FillPolygon(const std::vector<double>& xy);
  void StrokePolygon(const std::vector<double>& xy);
  void FillCircle(double cx, double cy, double r);
  void StrokeCircle(double cx, double cy, double r);
  // Text with its baseline's left end at (x, y); font in points of a sans face.
  void DrawText(double x, double y, const std::string& text, double size, bool bold = false);
  // Width and height of a text in pixels.
  void MeasureText(const std::string& text, double size, bool bold, double& width, double& height);
  // Draws an image scaled into the rectangle.
  void DrawImage(const Image& image, double x, double y, double w, double h);

  cairo_t* Context() { return cr_; }

 private:
  void Path(const std::vector<double>& xy, bool close);
  Image& image_;
  cairo_t* cr_ = nullptr;
};

}  // namespace platform

#pragma once
// The painter on a cairo context: PNG images, PDF pages and the headless measurements of
// the grids. Font sizes are taken as the character height in logical units.
#include <cairo.h>

#include <string>
#include <vector>

#include "gridmodel/painter.h"

namespace gridmodel {

class CairoPainter : public Painter {
 public:
  // Draws on a context the caller owns (its surface's size bounds the clip box).
  explicit CairoPainter(cairo_t* cr, bool printing = false);
  // A painter only for measuring text (a small image surface of its own).
  CairoPainter();
  ~CairoPainter() override;
  CairoPainter(const CairoPainter&) = delete;
  CairoPainter& operator=(const CairoPainter&) = delete;

  void SetFont(const FontDesc& font) override;
  FontDesc Font() const override { return font_; }
  Size TextExtent(const std::string& text) override;
  void FillRect(const Rect& r, Colour c) override;
  void Line(int x0, int y0, int x1, int y1, Colour c) override;
  void TextAt(int x, int y, const std::string& text, Colour c) override;
  void DrawImage(const platform::Image& image, const Rect& dest) override;
  void PushClip(const Rect& r) override;
  void PopClip() override;
  Rect ClipBox() const override;
  void SetTransform(double sx, double sy, double ox, double oy) override;
  bool IsPrinting() const override { return printing_; }

 private:
  void ApplyFont();
  void SetSource(Colour c);
  cairo_t* cr_ = nullptr;
  cairo_surface_t* own_ = nullptr;
  bool printing_ = false;
  FontDesc font_;
  std::vector<Rect> clips_;
};

// The painter used when a grid has no window to measure with.
Painter& HeadlessMeasurer();

}  // namespace gridmodel

#include "gridmodel/painter_cairo.h"

#include <cmath>
#include <numbers>

#include "platform/image.h"

namespace gridmodel {

CairoPainter::CairoPainter(cairo_t* cr, bool printing) : cr_(cairo_reference(cr)), printing_(printing) {
  ApplyFont();
}

CairoPainter::CairoPainter() {
  own_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cr_ = cairo_create(own_);
  ApplyFont();
}

CairoPainter::~CairoPainter() {
  while (!clips_.empty()) PopClip();
  cairo_destroy(cr_);
  if (own_) cairo_surface_destroy(own_);
}

void CairoPainter::ApplyFont() {
  cairo_select_font_face(cr_, font_.face.c_str(),
                         font_.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font_.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, font_.size > 0 ? font_.size * 96.0 / 72.0 : 1.0);
}

void CairoPainter::SetFont(const FontDesc& font) {
  font_ = font;
  ApplyFont();
}

Size CairoPainter::TextExtent(const std::string& text) {
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  cairo_text_extents_t te;
  cairo_text_extents(cr_, text.c_str(), &te);
  return Size{static_cast<int>(std::ceil(te.x_advance)), static_cast<int>(std::ceil(fe.ascent + fe.descent))};
}

void CairoPainter::SetSource(Colour c) {
  Colour rgb = Resolve(c);
  cairo_set_source_rgb(cr_, rgb.r() / 255.0, rgb.g() / 255.0, rgb.b() / 255.0);
}

void CairoPainter::DrawImage(const platform::Image& image, const Rect& dest) {
  if (image.IsEmpty() || dest.IsEmpty()) return;
  cairo_save(cr_);
  cairo_rectangle(cr_, dest.left, dest.top, dest.Width(), dest.Height());
  cairo_clip(cr_);
  cairo_translate(cr_, dest.left, dest.top);
  cairo_scale(cr_, static_cast<double>(dest.Width()) / image.Width(), static_cast<double>(dest.Height()) / image.Height());
  cairo_set_source_surface(cr_, image.Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void CairoPainter::FillRect(const Rect& r, Colour c) {
  if (r.IsEmpty()) return;
  SetSource(c);
  cairo_rectangle(cr_, r.left, r.top, r.Width(), r.Height());
  cairo_fill(cr_);
}

void CairoPainter::Line(int x0, int y0, int x1, int y1, Colour c) {
  // One-unit lines cover the pixels they name, the end point excluded.
  if (x0 == x1) {
    if (y1 > y0) FillRect(Rect{x0, y0, x0 + 1, y1}, c);
    else FillRect(Rect{x0, y1 + 1, x0 + 1, y0 + 1}, c);
    return;
  }
  if (y0 == y1) {
    if (x1 > x0) FillRect(Rect{x0, y0, x1, y0 + 1}, c);
    else FillRect(Rect{x1 + 1, y0, x0 + 1, y0 + 1}, c);
    return;
  }
  SetSource(c);
  cairo_set_line_width(cr_, 1);
  cairo_move_to(cr_, x0 + 0.5, y0 + 0.5);
  cairo_line_to(cr_, x1 + 0.5, y1 + 0.5);
  cairo_stroke(cr_);
}

void CairoPainter::TextAt(int x, int y, const std::string& text, Colour c) {
  if (text.empty()) return;
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  SetSource(c);
  cairo_save(cr_);
  cairo_translate(cr_, x, y);
  if (font_.escapement != 0) cairo_rotate(cr_, -font_.escapement / 10.0 * std::numbers::pi / 180.0);
  cairo_move_to(cr_, 0, fe.ascent);
  cairo_show_text(cr_, text.c_str());
  if (font_.underline) {
    cairo_text_extents_t te;
    cairo_text_extents(cr_, text.c_str(), &te);
    cairo_rel_move_to(cr_, -te.x_advance, 1);
    cairo_rel_line_to(cr_, te.x_advance, 0);
    cairo_set_line_width(cr_, 1);
    cairo_stroke(cr_);
  }
  cairo_restore(cr_);
}

void CairoPainter::PushClip(const Rect& r) {
  clips_.push_back(r);
  cairo_save(cr_);
  cairo_rectangle(cr_, r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
  cairo_clip(cr_);
}

void CairoPainter::PopClip() {
  if (clips_.empty()) return;
  clips_.pop_back();
  cairo_restore(cr_);
}

Rect CairoPainter::ClipBox() const {
  double x0, y0, x1, y1;
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  return Rect{static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)),
              static_cast<int>(std::ceil(x1)), static_cast<int>(std::ceil(y1))};
}

void CairoPainter::SetTransform(double sx, double sy, double ox, double oy) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, sx, 0, 0, sy, ox, oy);
  cairo_set_matrix(cr_, &m);
}

Painter& HeadlessMeasurer() {
  thread_local CairoPainter measurer;
  return measurer;
}

}  // namespace gridmodel

#include "platform/image.h"

#include <cstring>

#include "platform/atomic_file.h"
#include "platform/grid_memory.h"
#include "platform/png_encode.h"

namespace platform {

Rgba StraightFromPremultiplied(std::uint32_t p) {
  const unsigned a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (a == 0) return Rgba{0, 0, 0, 0};
  if (a == 255) return Rgba{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), 255};
  auto un = [a](unsigned v) { return static_cast<std::uint8_t>((v * 255 + a / 2) / a); };
  return Rgba{un(r), un(g), un(b), static_cast<std::uint8_t>(a)};
}

std::uint32_t PremultipliedFromStraight(Rgba c) {
  auto pre = [&c](unsigned v) { return (v * c.a + 127) / 255; };
  return (std::uint32_t(c.a) << 24) | (pre(c.r) << 16) | (pre(c.g) << 8) | pre(c.b);
}

namespace {

const cairo_user_data_key_t kLargeBlockKey{};

struct LargeBlock {
  void* data;
  std::size_t bytes;
};

void FreeLargeImageBlock(void* p) {
  auto* block = static_cast<LargeBlock*>(p);
  FreeClearedBlock(block->data, block->bytes);
  delete block;
}

// A large picture (the 3D view's texture, a full-screen map) lives on huge pages where the
// system grants them: cairo's own buffer would take a page fault every 4 KB on first touch,
// which costs dearly on a virtual machine. Fresh pages are clear, as cairo clears its own.
cairo_surface_t* CreateLargeSurface(int width, int height) {
  constexpr std::size_t kLarge = 4u << 20;
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  if (stride <= 0) return nullptr;
  const std::size_t bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  if (bytes < kLarge) return nullptr;
  void* data = AllocateClearedBlock(bytes);
  if (!data) return nullptr;
  auto* block = new LargeBlock{data, bytes};
  cairo_surface_t* s =
      cairo_image_surface_create_for_data(static_cast<unsigned char*>(data), CAIRO_FORMAT_ARGB32, width, height, stride);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(s, &kLargeBlockKey, block, FreeLargeImageBlock) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    FreeLargeImageBlock(block);
    return nullptr;
  }
  return s;
}

}  // namespace

Image::Image(int width, int height) {
  if (width <= 0 || height <= 0) return;
  cairo_surface_t* s = CreateLargeSurface(width, height);
  if (!s) s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  surface_ = s;
  width_ = width;
  height_ = height;
}

Image::~Image() {
  if (surface_) cairo_surface_destroy(surface_);
}

Image::Image(const Image& other) : Image(other.width_, other.height_) {
  if (!surface_) return;
  other.Flush();
  cairo_surface_flush(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  std::memcpy(cairo_image_surface_get_data(surface_), cairo_image_surface_get_data(other.surface_),
              static_cast<std::size_t>(stride) * height_);
  cairo_surface_mark_dirty(surface_);
}

Image& Image::operator=(const Image& other) {
  if (this != &other) *this = Image(other);
  return *this;
}

Image::Image(Image&& other) noexcept : surface_(other.surface_), width_(other.width_), height_(other.height_) {
  other.surface_ = nullptr;
  other.width_ = other.height_ = 0;
}

Image& Image::operator=(Image&& other) noexcept {
  if (this != &other) {
    if (surface_) cairo_surface_destroy(surface_);
    surface_ = other.surface_;
    width_ = other.width_;
    height_ = other.height_;
    other.surface_ = nullptr;
    other.width_ = other.height_ = 0;
  }
  return *this;
}

void Image::Flush() const {
  if (surface_) cairo_surface_flush(surface_);
}

void Image::Fill(Rgba colour) {
  if (!surface_) return;
  Canvas c(*this);
  c.Clear(colour);
}

Rgba Image::GetPixel(int x, int y) const {
  if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return Rgba{0, 0, 0, 0};
  Flush();
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  std::uint32_t p;
  std::memcpy(&p, data + static_cast<std::size_t>(y) * stride + 4 * x, 4);
  return StraightFromPremultiplied(p);
}

void Image::SetPixel(int x, int y, Rgba c) {
  if (!surface_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Flush();
  unsigned char* data = cairo_image_surface_get_data(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  const std::uint32_t p = PremultipliedFromStraight(c);
  std::memcpy(data + static_cast<std::size_t>(y) * stride + 4 * x, &p, 4);
  cairo_surface_mark_dirty(surface_);
}

std::vector<std::uint8_t> Image::ToRgbaBytes() const {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 4);
  if (!surface_) return out;
  Flush();
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface_));
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      std::uint32_t p;
      std::memcpy(&p, data + static_cast<std::size_t>(y) * stride + 4 * static_cast<std::size_t>(x), 4);
      const Rgba c = StraightFromPremultiplied(p);
      std::uint8_t* o = &out[(static_cast<std::size_t>(y) * width_ + x) * 4];
      o[0] = c.r;
      o[1] = c.g;
      o[2] = c.b;
      o[3] = c.a;
    }
  return out;
}

void Image::FromRgbaBytes(int width, int height, const std::uint8_t* rgba) {
  *this = Image(width, height);
  if (!surface_) return;
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface_));
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const std::uint8_t* p = rgba + (static_cast<std::size_t>(y) * width_ + x) * 4;
      const std::uint32_t v = PremultipliedFromStraight(Rgba{p[0], p[1], p[2], p[3]});
      std::memcpy(data + static_cast<std::size_t>(y) * stride + 4 * static_cast<std::size_t>(x), &v, 4);
    }
  cairo_surface_mark_dirty(surface_);
}

bool Image::SavePng(const std::string& path) const {
  if (!surface_) return false;
  std::string bytes;
  return EncodePng(bytes) && WriteFileAtomically(path, bytes);
}

bool Image::EncodePng(std::string& out, PngColours colours) const {
  out.clear();
  if (!surface_) return false;
  Flush();
  return EncodeArgb32Png(cairo_image_surface_get_data(surface_), width_, height_,
                         cairo_image_surface_get_stride(surface_), colours == PngColours::PaletteWherePossible, out);
}

bool Image::LoadPng(const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return false;
  }
  Image loaded(cairo_image_surface_get_width(s), cairo_image_surface_get_height(s));
  if (loaded.IsEmpty()) {
    cairo_surface_destroy(s);
    return false;
  }
  {
    Canvas c(loaded);
    cairo_set_operator(c.Context(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(c.Context(), s, 0, 0);
    cairo_paint(c.Context());
  }
  cairo_surface_destroy(s);
  *this = std::move(loaded);
  return true;
}

Canvas::Canvas(Image& image) : image_(image) {
  cairo_surface_t* s = image.Surface();
  if (!s) s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);  // draws into nothing
  cr_ = cairo_create(s);
  if (!image.Surface()) cairo_surface_destroy(s);
  cairo_set_line_width(cr_, 1.0);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  if (image_.Surface()) cairo_surface_flush(image_.Surface());
}

void Canvas::SetColour(Rgba c) { cairo_set_source_rgba(cr_, c.r / 255.0, c.g / 255.0, c.b / 255.0, c.a / 255.0); }
void Canvas::SetLineWidth(double width) { cairo_set_line_width(cr_, width); }
void Canvas::SetDash(const std::vector<double>& dashes) {
  cairo_set_dash(cr_, dashes.empty() ? nullptr : dashes.data(), static_cast<int>(dashes.size()), 0);
}
void Canvas::SetAntialias(bool on) { cairo_set_antialias(cr_, on ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE); }

void Canvas::SetLineCap(LineCap cap) {
  cairo_set_line_cap(cr_, cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                          : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                   : CAIRO_LINE_CAP_BUTT);
}
void Canvas::SetLineJoin(LineJoin join) {
  cairo_set_line_join(cr_, join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                           : join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                     : CAIRO_LINE_JOIN_MITER);
}

void Canvas::Clear(Rgba colour) {
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  SetColour(colour);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void Canvas::FillRect(double x, double y, double w, double h) {
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
}

void Canvas::StrokeRect(double x, double y, double w, double h) {
  cairo_rectangle(cr_, x, y, w, h);
  cairo_stroke(cr_);
}

void Canvas::DrawLine(double x0, double y0, double x1, double y1) {
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  cairo_stroke(cr_);
}

void Canvas::Path(const std::vector<double>& xy, bool close) {
  cairo_new_path(cr_);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) cairo_line_to(cr_, xy[i], xy[i + 1]);
  if (close) cairo_close_path(cr_);
}

void Canvas::DrawPolyline(const std::vector<double>& xy) {
  Path(xy, false);
  cairo_stroke(cr_);
}

void Canvas::FillPolygon(const std::vector<double>& xy) {
  Path(xy, true);
  cairo_fill(cr_);
}

void Canvas::StrokePolygon(const std::vector<double>& xy) {
  Path(xy, true);
  cairo_stroke(cr_);
}

void Canvas::FillCircle(double cx, double cy, double r) {
  cairo_new_path(cr_);
  cairo_arc(cr_, cx, cy, r, 0, 2 * 3.14159265358979323846);
  cairo_fill(cr_);
}

void Canvas::StrokeCircle(double cx, double cy, double r) {
  cairo_new_path(cr_);
  cairo_arc(cr_, cx, cy, r, 0, 2 * 3.14159265358979323846);
  cairo_stroke(cr_);
}

void Canvas::DrawText(double x, double y, const std::string& text, double size, bool bold) {
  cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, size * 96.0 / 72.0);
  cairo_move_to(cr_, x, y);
  cairo_show_text(cr_, text.c_str());
  cairo_new_path(cr_);
}

void Canvas::MeasureText(const std::string& text, double size, bool bold, double& width, double& height) {
  cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, size * 96.0 / 72.0);
  cairo_text_extents_t ext;
  cairo_text_extents(cr_, text.c_str(), &ext);
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  width = ext.x_advance;
  height = fe.height;
}

void Canvas::DrawImage(const Image& image, double x, double y, double w, double h) {
  if (image.IsEmpty() || w <= 0 || h <= 0) return;
  cairo_save(cr_);
  cairo_translate(cr_, x, y);
  cairo_scale(cr_, w / image.Width(), h / image.Height());
  cairo_set_source_surface(cr_, image.Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

}  // namespace platform

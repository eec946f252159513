#include "widgets/painter_wx.h"

#include <wx/image.h>

#include "platform/image.h"

#include <wx/settings.h>

#include <algorithm>

namespace widgets {

void WxPainter::DrawImage(const platform::Image& image, const gridmodel::Rect& dest) {
  if (image.IsEmpty() || dest.IsEmpty()) return;
  const std::vector<std::uint8_t> rgba = image.ToRgbaBytes();
  wxImage img(image.Width(), image.Height());
  img.InitAlpha();
  unsigned char* rgb = img.GetData();
  unsigned char* alpha = img.GetAlpha();
  for (std::size_t i = 0, n = static_cast<std::size_t>(image.Width()) * image.Height(); i < n; ++i) {
    rgb[3 * i] = rgba[4 * i];
    rgb[3 * i + 1] = rgba[4 * i + 1];
    rgb[3 * i + 2] = rgba[4 * i + 2];
    alpha[i] = rgba[4 * i + 3];
  }
  if (dest.Width() != image.Width() || dest.Height() != image.Height())
    img.Rescale(dest.Width(), dest.Height(), wxIMAGE_QUALITY_HIGH);
  dc_.DrawBitmap(wxBitmap(img), dest.left, dest.top, true);
}

using gridmodel::Colour;
using gridmodel::SysColour;

WxPainter::WxPainter(wxDC& dc, bool printing) : dc_(dc), printing_(printing) {
  font_ = FontFromWx(dc.GetFont().IsOk() ? dc.GetFont() : *wxNORMAL_FONT);
  dc_.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
}

WxPainter::~WxPainter() {
  if (!clips_.empty()) dc_.DestroyClippingRegion();
}

wxFont FontToWx(const gridmodel::FontDesc& f) {
  wxFontInfo info(f.size > 0 ? f.size : 9);
  if (!f.face.empty()) info.FaceName(f.face);
  info.Bold(f.weight >= 600).Italic(f.italic).Underlined(f.underline);
  return wxFont(info);
}

gridmodel::FontDesc FontFromWx(const wxFont& font) {
  gridmodel::FontDesc f;
  f.face = font.GetFaceName().ToStdString();
  f.size = font.GetPointSize();
  f.weight = font.GetWeight() == wxFONTWEIGHT_BOLD ? 700 : 400;
  f.italic = font.GetStyle() == wxFONTSTYLE_ITALIC;
  f.underline = font.GetUnderlined();
  return f;
}

Colour WxPainter::Resolve(Colour c) const {
  if (!c.IsSystem()) return Painter::Resolve(c);
  wxSystemColour which = wxSYS_COLOUR_WINDOW;
  switch (c.system()) {
    case SysColour::Window: which = wxSYS_COLOUR_WINDOW; break;
    case SysColour::WindowText: which = wxSYS_COLOUR_WINDOWTEXT; break;
    case SysColour::Highlight: which = wxSYS_COLOUR_HIGHLIGHT; break;
    case SysColour::HighlightText: which = wxSYS_COLOUR_HIGHLIGHTTEXT; break;
    case SysColour::ButtonFace: which = wxSYS_COLOUR_BTNFACE; break;
    case SysColour::ButtonHighlight: which = wxSYS_COLOUR_BTNHIGHLIGHT; break;
    case SysColour::ButtonShadow: which = wxSYS_COLOUR_BTNSHADOW; break;
    case SysColour::ButtonText: which = wxSYS_COLOUR_BTNTEXT; break;
    case SysColour::GrayText: which = wxSYS_COLOUR_GRAYTEXT; break;
    case SysColour::InfoBackground: which = wxSYS_COLOUR_INFOBK; break;
    case SysColour::InfoText: which = wxSYS_COLOUR_INFOTEXT; break;
    case SysColour::Count: return Painter::Resolve(c);
  }
  wxColour w = wxSystemSettings::GetColour(which);
  return Colour::Rgb(w.Red(), w.Green(), w.Blue());
}

wxColour ToWx(const gridmodel::Painter& p, Colour c) {
  Colour rgb = p.Resolve(c);
  return wxColour(rgb.r(), rgb.g(), rgb.b());
}

void WxPainter::SetFont(const gridmodel::FontDesc& font) {
  if (font == font_ && dc_.GetFont().IsOk()) return;
  font_ = font;
  dc_.SetFont(FontToWx(font));
}

gridmodel::Size WxPainter::TextExtent(const std::string& text) {
  wxCoord w = 0, h = 0;
  dc_.GetTextExtent(wxString::FromUTF8(text.empty() ? " " : text), &w, &h);
  if (text.empty()) w = 0;
  return gridmodel::Size{w, h};
}

void WxPainter::FillRect(const gridmodel::Rect& r, Colour c) {
  if (r.IsEmpty()) return;
  dc_.SetPen(*wxTRANSPARENT_PEN);
  dc_.SetBrush(wxBrush(ToWx(*this, c)));
  dc_.DrawRectangle(r.left, r.top, r.Width(), r.Height());
}

void WxPainter::Line(int x0, int y0, int x1, int y1, Colour c) {
  // Axis lines as one-unit fills, so they cover the same pixels on every device.
  if (x0 == x1) {
    FillRect(y1 > y0 ? gridmodel::Rect{x0, y0, x0 + 1, y1} : gridmodel::Rect{x0, y1 + 1, x0 + 1, y0 + 1}, c);
  } else if (y0 == y1) {
    FillRect(x1 > x0 ? gridmodel::Rect{x0, y0, x1, y0 + 1} : gridmodel::Rect{x1 + 1, y0, x0 + 1, y0 + 1}, c);
  } else {
    dc_.SetPen(wxPen(ToWx(*this, c)));
    dc_.DrawLine(x0, y0, x1, y1);
  }
}

void WxPainter::TextAt(int x, int y, const std::string& text, Colour c) {
  dc_.SetTextForeground(ToWx(*this, c));
  if (font_.escapement != 0) dc_.DrawRotatedText(wxString::FromUTF8(text), x, y, font_.escapement / 10.0);
  else dc_.DrawText(wxString::FromUTF8(text), x, y);
}

void WxPainter::ApplyClip() {
  dc_.DestroyClippingRegion();
  if (clips_.empty()) return;
  gridmodel::Rect r = clips_.back();
  dc_.SetClippingRegion(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
}

void WxPainter::PushClip(const gridmodel::Rect& r) {
  gridmodel::Rect c = clips_.empty() ? r : gridmodel::Intersect(clips_.back(), r);
  if (clips_.empty()) {
    wxRect box;
    dc_.GetClippingBox(box);
    if (!box.IsEmpty()) c = gridmodel::Intersect(c, gridmodel::Rect{box.x, box.y, box.GetRight() + 1, box.GetBottom() + 1});
  }
  clips_.push_back(c);
  ApplyClip();
}

void WxPainter::PopClip() {
  if (clips_.empty()) return;
  clips_.pop_back();
  ApplyClip();
}

gridmodel::Rect WxPainter::ClipBox() const {
  wxRect box;
  dc_.GetClippingBox(box);
  if (box.IsEmpty()) {
    wxSize s = dc_.GetSize();
    double sx = 1, sy = 1;
    dc_.GetUserScale(&sx, &sy);
    return gridmodel::Rect{0, 0, static_cast<int>(s.x / sx), static_cast<int>(s.y / sy)};
  }
  return gridmodel::Rect{box.x, box.y, box.GetRight() + 1, box.GetBottom() + 1};
}

void WxPainter::SetTransform(double sx, double sy, double ox, double oy) {
  dc_.SetUserScale(sx, sy);
  dc_.SetDeviceOrigin(static_cast<wxCoord>(ox), static_cast<wxCoord>(oy));
}

}  // namespace widgets

#include "gridmodel/painter.h"

#include <algorithm>

namespace gridmodel {

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.IsEmpty()) return Rect{};
  return r;
}

Colour Painter::Resolve(Colour c) const {
  if (!c.IsSystem()) return c.IsDefault() ? Colour::Rgb(0, 0, 0) : c;
  switch (c.system()) {
    case SysColour::Window: return Colour::Rgb(255, 255, 255);
    case SysColour::WindowText: return Colour::Rgb(0, 0, 0);
    case SysColour::Highlight: return Colour::Rgb(51, 153, 255);
    case SysColour::HighlightText: return Colour::Rgb(255, 255, 255);
    case SysColour::ButtonFace: return Colour::Rgb(240, 240, 240);
    case SysColour::ButtonHighlight: return Colour::Rgb(255, 255, 255);
    case SysColour::ButtonShadow: return Colour::Rgb(160, 160, 160);
    case SysColour::ButtonText: return Colour::Rgb(0, 0, 0);
    case SysColour::GrayText: return Colour::Rgb(109, 109, 109);
    case SysColour::InfoBackground: return Colour::Rgb(255, 255, 225);
    case SysColour::InfoText: return Colour::Rgb(0, 0, 0);
    case SysColour::Count: break;
  }
  return Colour::Rgb(0, 0, 0);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    std::size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return lines;
}

void Painter::FrameRect(const Rect& r, Colour c) {
  if (r.IsEmpty()) return;
  FillRect(Rect{r.left, r.top, r.right, r.top + 1}, c);
  FillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, c);
  FillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, c);
  FillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, c);
}

namespace {
std::vector<std::string> LinesOf(const std::string& text, unsigned format) {
  if (format & kSingleLine) {
    std::string one = text;
    std::replace(one.begin(), one.end(), '\n', ' ');
    std::replace(one.begin(), one.end(), '\r', ' ');
    return {one};
  }
  return SplitLines(text);
}
}  // namespace

Size Painter::MeasureText(const std::string& text, unsigned format) {
  Size total;
  for (const std::string& line : LinesOf(text, format)) {
    Size s = TextExtent(line.empty() ? std::string(" ") : line);
    if (line.empty()) s.cx = 0;
    total.cx = std::max(total.cx, s.cx);
    total.cy += s.cy;
  }
  return total;
}

namespace {
// Cuts whole characters (UTF-8 sequences kept together) until the text and an ellipsis fit.
std::string Ellipsized(Painter& p, std::string line, int room) {
  const std::string dots = "...";
  while (!line.empty()) {
    do line.pop_back();
    while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80);
    if (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0xC0) line.pop_back();
    if (p.TextExtent(line + dots).cx <= room) break;
  }
  return line + dots;
}
}  // namespace

void Painter::DrawText(const std::string& text, const Rect& r, unsigned format, Colour c) {
  if (r.IsEmpty() || text.empty()) return;
  const FontDesc font = Font();
  if (IsVerticalFont(font)) {
    std::string line = LinesOf(text, format | kSingleLine).front();
    Size s = TextExtent(line);
    if ((format & kEndEllipsis) && s.cx > r.Height()) {
      line = Ellipsized(*this, line, r.Height());
      s = TextExtent(line);
    }
    // The turned text's box is s.cy wide and s.cx high.
    int x = r.left, y = r.top;
    if (format & kAlignRight) x = r.right - s.cy;
    else if (format & kAlignCenter) x = r.left + (r.Width() - s.cy) / 2;
    if (format & kAlignBottom) y = r.bottom - s.cx;
    else if (format & kAlignVCenter) y = r.top + (r.Height() - s.cx) / 2;
    PushClip(r);
    if (font.escapement == 900) TextAt(x, y + s.cx, line, c);
    else TextAt(x + s.cy, y, line, c);
    PopClip();
    return;
  }
  std::vector<std::string> lines = LinesOf(text, format);
  int lineHeight = TextExtent("Xg").cy;
  int blockHeight = lineHeight * static_cast<int>(lines.size());
  int y = r.top;
  if ((format & kSingleLine) && (format & kAlignVCenter)) y = r.top + (r.Height() - blockHeight) / 2;
  else if ((format & kSingleLine) && (format & kAlignBottom)) y = r.bottom - blockHeight;
  PushClip(r);
  for (std::string& line : lines) {
    int w = TextExtent(line).cx;
    if ((format & kEndEllipsis) && w > r.Width()) {
      line = Ellipsized(*this, line, r.Width());
      w = TextExtent(line).cx;
    }
    int x = r.left;
    if (format & kAlignRight) x = r.right - w;
    else if (format & kAlignCenter) x = r.left + (r.Width() - w) / 2;
    TextAt(x, y, line, c);
    y += lineHeight;
  }
  PopClip();
}

}  // namespace gridmodel

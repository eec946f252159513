#pragma once
// The grids' painter on a wx device context: the screen, and the printer.
#include <wx/dc.h>

#include <vector>

#include "gridmodel/painter.h"

namespace widgets {

class WxPainter : public gridmodel::Painter {
 public:
  explicit WxPainter(wxDC& dc, bool printing = false);
  ~WxPainter() override;

  void SetFont(const gridmodel::FontDesc& font) override;
  gridmodel::FontDesc Font() const override { return font_; }
  gridmodel::Size TextExtent(const std::string& text) override;
  void FillRect(const gridmodel::Rect& r, gridmodel::Colour c) override;
  void Line(int x0, int y0, int x1, int y1, gridmodel::Colour c) override;
  void TextAt(int x, int y, const std::string& text, gridmodel::Colour c) override;
  void DrawImage(const platform::Image& image, const gridmodel::Rect& dest) override;
  void PushClip(const gridmodel::Rect& r) override;
  void PopClip() override;
  gridmodel::Rect ClipBox() const override;
  void SetTransform(double sx, double sy, double ox, double oy) override;
  bool IsPrinting() const override { return printing_; }
  gridmodel::Colour Resolve(gridmodel::Colour c) const override;

 private:
  void ApplyClip();
  wxDC& dc_;
  bool printing_;
  gridmodel::FontDesc font_;
  std::vector<gridmodel::Rect> clips_;
};

wxColour ToWx(const gridmodel::Painter& p, gridmodel::Colour c);
gridmodel::FontDesc FontFromWx(const wxFont& font);
wxFont FontToWx(const gridmodel::FontDesc& font);

}  // namespace widgets

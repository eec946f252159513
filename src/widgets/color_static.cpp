#include "widgets/color_static.h"

#include <wx/dcclient.h>

#include "platform/dialogs.h"
#include "widgets/color_lists.h"

namespace widgets {

CColorStatic::CColorStatic(wxWindow* parent, wxWindowID id, COLORREF color, const wxPoint& pos,
                           const wxSize& size, long style)
    : wxControl(parent, id, pos, size, style), color_(color) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CColorStatic::OnPaint, this);
}

void CColorStatic::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const wxColour colour = ToWxColour(color_);
  dc.SetPen(wxPen(colour));
  dc.SetBrush(wxBrush(colour));
  dc.DrawRectangle(wxPoint(0, 0), GetClientSize());
}

bool CColorStatic::ChooseColor() {
  std::optional<std::uint32_t> chosen = platform::CurrentDialogs().ChooseColour(color_);
  if (!chosen) return false;
  SetColor(*chosen);
  Refresh();
  if (onChanged_) onChanged_();
  return true;
}

void CColorStatic::EnableChooser(std::function<void()> onChanged) {
  onChanged_ = std::move(onChanged);
  Unbind(wxEVT_LEFT_DCLICK, &CColorStatic::OnDoubleClick, this);
  Bind(wxEVT_LEFT_DCLICK, &CColorStatic::OnDoubleClick, this);
}

void CColorStatic::OnDoubleClick(wxMouseEvent&) { ChooseColor(); }

}  // namespace widgets

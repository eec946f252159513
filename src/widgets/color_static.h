#pragma once
// The colour swatch beside every colour choice: a small window painted in one colour.
#include <wx/control.h>

#include <functional>

#include "themes/color_ramp.h"

namespace widgets {

class CColorStatic : public wxControl {
 public:
  CColorStatic(wxWindow* parent, wxWindowID id, COLORREF color, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxSize(24, 16), long style = wxBORDER_SIMPLE);

  COLORREF GetColor() const { return color_; }
  // Stores the colour; the caller refreshes the swatch when it wants it shown.
  void SetColor(COLORREF color) { color_ = color; }

  // Opens the colour dialog on the swatch's colour (hosts call it from their button); a
  // chosen colour is set and shown and the change callback runs. True when one was chosen.
  bool ChooseColor();
  // A double-click on the swatch opens the colour dialog too; onChanged runs after every
  // chosen colour (hosts mark their page modified there).
  void EnableChooser(std::function<void()> onChanged);

 private:
  void OnPaint(wxPaintEvent& event);
  void OnDoubleClick(wxMouseEvent& event);

  COLORREF color_;
  std::function<void()> onChanged_;
};

}  // namespace widgets

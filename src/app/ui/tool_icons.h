#pragma once
// The 20 x 20 toolbar pictures, drawn by the program so they look the same on every desktop.
#include <wx/bitmap.h>

#include <functional>

class wxGraphicsContext;

namespace app::ui {

wxBitmap ToolIcon(int command);
// A transparent 20 x 20 picture drawn by `draw`.
wxBitmap DrawIcon(const std::function<void(wxGraphicsContext&)>& draw);

}  // namespace app::ui

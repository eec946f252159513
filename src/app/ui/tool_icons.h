#pragma once
// The 20 x 20 toolbar pictures, drawn by the program so they look the same on every desktop.
#include <wx/bitmap.h>

namespace app::ui {

wxBitmap ToolIcon(int command);

}  // namespace app::ui

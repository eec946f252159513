#include "runs/ui/page_menus.h"

#include <wx/button.h>
#include <wx/menu.h>

namespace runs::ui {

wxString Shortened(const std::string& path, wxWindow* box) {
  wxString full = wxString::FromUTF8(path);
  int width = box->GetClientSize().GetWidth() - 8;
  if (width <= 0 || box->GetTextExtent(full).GetWidth() <= width) return full;
  wxString tail = full;
  while (tail.length() > 4 && box->GetTextExtent("..." + tail).GetWidth() > width) tail = tail.Mid(1);
  return "..." + tail;
}

int ChooseMenuCommand(wxButton* button, wxMenu& menu, const std::function<int(int)>& chooser) {
  int id = 0;
  if (chooser) {
    id = chooser(button->GetId());
    if (id && (!menu.FindItem(MenuId(id)) || !menu.IsEnabled(MenuId(id)))) id = 0;
  } else {
    id = button->GetPopupMenuSelectionFromUser(menu, wxPoint(0, button->GetSize().GetHeight()));
    id = id == wxID_NONE ? 0 : id + kMenuIdShift;
  }
  return id;
}

}  // namespace runs::ui

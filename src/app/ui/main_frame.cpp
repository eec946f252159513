#include "app/ui/main_frame.h"

#include <wx/menu.h>
#include <wx/statusbr.h>

namespace app::ui {

MainFrame::MainFrame() : wxFrame(nullptr, wxID_ANY, "Pyrvane 6", wxDefaultPosition, wxSize(1024, 720)) {
  auto* file = new wxMenu;
  file->Append(wxID_EXIT, "E&xit");
  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  SetMenuBar(bar);
  CreateStatusBar(3);
  SetStatusText("Ready");
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
}

}  // namespace app::ui

#pragma once
#include <wx/frame.h>

namespace app::ui {

// The program's main window.
class MainFrame : public wxFrame {
 public:
  MainFrame();
};

}  // namespace app::ui

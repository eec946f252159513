#include <wx/app.h>

#include "app/ui/main_frame.h"

namespace {

class PyrvaneApp : public wxApp {
 public:
  bool OnInit() override {
    auto* frame = new app::ui::MainFrame;
    frame->Show();
    return true;
  }
};

}  // namespace

wxIMPLEMENT_APP(PyrvaneApp);

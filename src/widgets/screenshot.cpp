#include "widgets/screenshot.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/utils.h>

namespace widgets {

void FlushEvents(int rounds) {
  for (int i = 0; i < rounds; ++i) {
    if (wxTheApp) {
      while (wxTheApp->Pending()) wxTheApp->Dispatch();
      wxTheApp->ProcessIdle();
    }
    wxYield();
    wxMilliSleep(5);
  }
}

wxImage CaptureWindow(wxWindow* window) {
  window->Raise();
  window->Refresh();
  window->Update();
  FlushEvents();
  wxRect r = window->GetScreenRect();
  wxScreenDC screen;
  wxBitmap bmp(r.width, r.height, 24);
  wxMemoryDC mem(bmp);
  mem.Blit(0, 0, r.width, r.height, &screen, r.x, r.y);
  mem.SelectObject(wxNullBitmap);
  return bmp.ConvertToImage();
}

}  // namespace widgets

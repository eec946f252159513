#include "widgets/screenshot.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/utils.h>

#include <algorithm>

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

namespace {

wxImage Grab(wxWindow* window) {
  wxRect r = window->GetScreenRect();
  wxScreenDC screen;
  wxBitmap bmp(r.width, r.height, 24);
  wxMemoryDC mem(bmp);
  mem.Blit(0, 0, r.width, r.height, &screen, r.x, r.y);
  mem.SelectObject(wxNullBitmap);
  return bmp.ConvertToImage();
}

bool SameImage(const wxImage& a, const wxImage& b) {
  if (!a.IsOk() || !b.IsOk() || a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight())
    return false;
  const size_t n = static_cast<size_t>(a.GetWidth()) * a.GetHeight() * 3;
  return std::equal(a.GetData(), a.GetData() + n, b.GetData());
}

}  // namespace

wxImage CaptureWindow(wxWindow* window) {
  window->Raise();
  window->Refresh();
  window->Update();
  FlushEvents();
  // The X server may still show what stood there before until the window's expose events
  // have been handled: grab until two successive grabs agree (bounded).
  wxImage last = Grab(window);
  for (int i = 0; i < 40; ++i) {
    FlushEvents(3);
    wxImage next = Grab(window);
    if (SameImage(last, next)) return next;
    last = next;
  }
  return last;
}

}  // namespace widgets

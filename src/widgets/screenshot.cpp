#include "widgets/screenshot.h"

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/utils.h>

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

// Reads the screen straight from the X server: a wx screen DC can hand back pixels of a
// window that stood at the same place before.
wxImage Grab(wxWindow* window) {
  wxRect r = window->GetScreenRect();
  Display* dpy = wxGetX11Display();
  if (!dpy || r.width <= 0 || r.height <= 0) return wxImage();
  XSync(dpy, False);
  XWindowAttributes root_attr;
  Window root = DefaultRootWindow(dpy);
  XGetWindowAttributes(dpy, root, &root_attr);
  wxRect screen(0, 0, root_attr.width, root_attr.height);
  r.Intersect(screen);
  if (r.IsEmpty()) return wxImage();
  XImage* xi = XGetImage(dpy, root, r.x, r.y, r.width, r.height, AllPlanes, ZPixmap);
  if (!xi) return wxImage();
  wxImage img(r.width, r.height, false);
  unsigned char* out = img.GetData();
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) {
      unsigned long p = XGetPixel(xi, x, y);
      *out++ = static_cast<unsigned char>((p & xi->red_mask) >> __builtin_ctzl(xi->red_mask));
      *out++ = static_cast<unsigned char>((p & xi->green_mask) >> __builtin_ctzl(xi->green_mask));
      *out++ = static_cast<unsigned char>((p & xi->blue_mask) >> __builtin_ctzl(xi->blue_mask));
    }
  XDestroyImage(xi);
  return img;
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

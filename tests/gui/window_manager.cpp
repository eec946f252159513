// The window manager's side of the desktop, as the tests reach it through the X server.
#include "window_manager.h"

#include <wx/toplevel.h>
#include <wx/utils.h>

#include <string>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace window_manager {

bool Close(wxTopLevelWindow& window) {
  Display* dpy = wxGetX11Display();
  if (!dpy) return false;
  const Window root = DefaultRootWindow(dpy);
  const Atom clients = XInternAtom(dpy, "_NET_CLIENT_LIST", False);
  const Atom wmName = XInternAtom(dpy, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy, root, clients, 0, 4096, False, XA_WINDOW, &type, &format, &count, &after, &data) !=
          Success || !data)
    return false;
  const std::string title = window.GetTitle().utf8_string();
  Window found = 0;
  for (unsigned long i = 0; i < count && !found; ++i) {
    const Window w = reinterpret_cast<Window*>(data)[i];
    unsigned char* name = nullptr;
    unsigned long n = 0;
    if (XGetWindowProperty(dpy, w, wmName, 0, 1024, False, utf8, &type, &format, &n, &after, &name) == Success &&
        name) {
      if (std::string(reinterpret_cast<char*>(name), n) == title) found = w;
      XFree(name);
    }
  }
  XFree(data);
  if (!found) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = found;
  e.xclient.message_type = XInternAtom(dpy, "_NET_CLOSE_WINDOW", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = CurrentTime;
  e.xclient.data.l[1] = 2;
  XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XFlush(dpy);
  return true;
}

}  // namespace window_manager

#pragma once
// The window manager's side of the desktop, as the tests reach it through the X server.
class wxTopLevelWindow;

namespace window_manager {

// Asks the window manager to close the window, as its close box does; false when no window
// manager lists it.
bool Close(wxTopLevelWindow& window);

}  // namespace window_manager

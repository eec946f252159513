#pragma once
// Grabs what a shown window looks like on screen, for tests and the README screenshot.
#include <wx/image.h>
#include <wx/window.h>

namespace widgets {

// Pumps pending events until the window has painted, then copies its on-screen pixels.
wxImage CaptureWindow(wxWindow* window);
// Lets queued paint and size events run (a bounded number of rounds).
void FlushEvents(int rounds = 20);

}  // namespace widgets

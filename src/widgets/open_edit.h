#pragma once
// The in-place cell editors of both grids register here while they are open, so that a button
// of their window, or a request to close it, runs only after the text being typed has been
// handed to its grid. The focus change that would hand it over comes too late for a quick
// click, and not at all for the close box.
class wxWindow;

namespace widgets {

class OpenCellEdit {
 public:
  OpenCellEdit() = default;
  OpenCellEdit(const OpenCellEdit&) = delete;
  OpenCellEdit& operator=(const OpenCellEdit&) = delete;
  virtual ~OpenCellEdit();

  // Hands the typed text to the grid; false when the grid refused it (it has said why and the
  // edit stays open).
  virtual bool CommitOpenEdit() = 0;
  virtual wxWindow* EditWindow() = 0;

 protected:
  void EditOpened();
  void EditClosed();
  // Called as the editor loses the focus. True when the focus went to a button of the same
  // window that the left mouse button still holds: the click ends the edit first, or, when the
  // button is released elsewhere, CommitOpenEdit runs then. False: the editor ends the edit now.
  bool LeaveToButtonClick(wxWindow* newFocus);
};

// Ends every open cell edit in the top-level window of `w`; false when one was refused.
bool CommitOpenEdits(wxWindow* w);

}  // namespace widgets

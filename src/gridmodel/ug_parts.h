#pragma once
// What the cell grid's part windows do, without the windows: painting the cell area, the
// headings and the corner through the shared painter, and turning mouse, wheel and keys on
// them into the grid's moves and notifications. The wx windows only forward events here.
#include <functional>

#include "gridmodel/painter.h"
#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

enum class UGCursor { Arrow, SizeWE, SizeNS };

// The services of the part windows.
class UGPartHost {
 public:
  virtual ~UGPartHost() = default;
  virtual void Capture(int section, bool on) {}
  virtual void FocusCellArea() {}
  virtual bool CellAreaHasFocus() const { return true; }
  virtual void SetCursor(int section, UGCursor cursor) {}
  // A tracking line in the cell area (empty: none).
  virtual void ShowTracker(const UGRect& rect) {}
  virtual UGPoint ToScreen(int section, UGPoint p) { return p; }
  // Repeats the last mouse move of a section while a drag holds the pointer outside.
  virtual void StartAutoScroll(int section, int ms) {}
  virtual void StopAutoScroll() {}
  virtual void RefreshPart(int section) {}
  // Opens the help page of an id: what the program installed (SetGridHelpHandler) does.
  virtual void ShowHelp(int contextId);
};

// What the program's help does with a grid's help context id; none installed: nothing.
using UGHelpHandler = std::function<void(int contextId)>;
void SetGridHelpHandler(UGHelpHandler handler);
// A help request on a part: the grid names the id for the cell and section; an id of 0 is
// no help page and opens nothing. True when help was opened.
bool RequestGridHelp(CUGCtrl& g, UGPartHost& host, int col, long row, int section);

// Painting; each clears the part's hints. The cell area paints what its hints name.
void PaintCellArea(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight, bool drawFocus);
void PaintTopHeading(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight, int dragCol, int dropCol);
void PaintSideHeading(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight);
void PaintCorner(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight);
// Adds the cells under a cell-area rectangle (and the current cell) to the hints.
void HintCellsIn(CUGCtrl& g, const UGRect& area);

class UGCellAreaInput {
 public:
  UGCellAreaInput(CUGCtrl& g, UGPartHost& host) : g_(g), host_(host) {}
  void KeyDown(unsigned key);
  void KeyUp(unsigned key);
  void Char(unsigned ch);
  void LButtonDown(int x, int y, unsigned flags);
  void LButtonUp(int x, int y, unsigned flags);
  void LButtonDblClk(int x, int y, unsigned flags);
  void RButtonDown(int x, int y, unsigned flags);
  void RButtonUp(int x, int y, unsigned flags);
  void MouseMove(int x, int y, unsigned flags);
  void Wheel(int delta);
  void FocusGained();
  void FocusLost();
  // The auto-scroll timer: the last drag move again.
  void AutoScrollTick() { MouseMove(lastX_, lastY_, lastFlags_); }
  void Help(bool fromF1, int x, int y);
  bool ButtonDown() const { return buttonDown_; }

 private:
  CUGCtrl& g_;
  UGPartHost& host_;
  bool buttonDown_ = false;
  bool typeTracking_ = false;
  int keyRepeat_ = 0;
  int lastX_ = 0, lastY_ = 0;
  unsigned lastFlags_ = 0;
};

class UGTopHeadingInput {
 public:
  UGTopHeadingInput(CUGCtrl& g, UGPartHost& host) : g_(g), host_(host) {}
  void MouseMove(int x, int y, unsigned flags);
  void LButtonDown(int x, int y, unsigned flags);
  void LButtonUp(int x, int y, unsigned flags);
  void LButtonDblClk(int x, int y, unsigned flags);
  void RButtonDown(int x, int y, unsigned flags);
  void RButtonUp(int x, int y, unsigned flags);
  void AutoScrollTick() { MouseMove(lastX_, lastY_, lastFlags_); }
  // The heading cell under a point; false when none.
  bool HitTest(int x, int y, int* col, int* row, UGRect* rect) const;
  int DragCol() const { return dragCol_; }
  int DropCol() const { return dropCol_; }
  bool OverBorder() const { return overBorder_; }

 private:
  void DetectBorder(int x, int y);
  void EndColumnResize();
  CUGCtrl& g_;
  UGPartHost& host_;
  bool resizing_ = false, overBorder_ = false;
  int kind_ = 0, index_ = 0, startSize_ = 0, startPos_ = 0, startTotal_ = 0;
  int dragCol_ = -1, dropCol_ = -1;
  int lastX_ = 0, lastY_ = 0;
  unsigned lastFlags_ = 0;
};

class UGSideHeadingInput {
 public:
  UGSideHeadingInput(CUGCtrl& g, UGPartHost& host) : g_(g), host_(host) {}
  void MouseMove(int x, int y, unsigned flags);
  void LButtonDown(int x, int y, unsigned flags);
  void LButtonUp(int x, int y, unsigned flags);
  void LButtonDblClk(int x, int y, unsigned flags);
  void RButtonDown(int x, int y, unsigned flags);
  void RButtonUp(int x, int y, unsigned flags);
  bool HitTest(int x, int y, int* col, long* row, UGRect* rect) const;
  bool OverBorder() const { return overBorder_; }

 private:
  void DetectBorder(int x, int y);
  CUGCtrl& g_;
  UGPartHost& host_;
  bool resizing_ = false, overBorder_ = false;
  int kind_ = 0, startSize_ = 0, startPos_ = 0, startTotal_ = 0, rowsAbove_ = 0;
  long index_ = 0;
};

class UGCornerInput {
 public:
  UGCornerInput(CUGCtrl& g, UGPartHost& host) : g_(g), host_(host) {}
  void MouseMove(int x, int y, unsigned flags, int clientWidth, int clientHeight);
  void LButtonDown(int x, int y, unsigned flags);
  void LButtonUp(int x, int y, unsigned flags);
  void LButtonDblClk(int x, int y, unsigned flags);
  void RButtonDown(int x, int y, unsigned flags);
  void RButtonUp(int x, int y, unsigned flags);

 private:
  CUGCtrl& g_;
  UGPartHost& host_;
  bool resizing_ = false, overEdge_ = false, heightEdge_ = false, widthEdge_ = false;
};

}  // namespace gridmodel

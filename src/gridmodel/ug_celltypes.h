#pragma once
// The cell grid's built-in cell types: check box, side arrows, push button, text with a
// small button, and the drop list. They draw through the shared painter and tell the grid
// what happened through OnCellTypeEvent.
#include <string>
#include <vector>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

// Virtual key codes the grid's windows report and the notifications carry.
enum : unsigned {
  UG_VK_BACK = 8, UG_VK_TAB = 9, UG_VK_RETURN = 13, UG_VK_ESCAPE = 27, UG_VK_SPACE = 32,
  UG_VK_PRIOR = 33, UG_VK_NEXT = 34, UG_VK_END = 35, UG_VK_HOME = 36,
  UG_VK_LEFT = 37, UG_VK_UP = 38, UG_VK_RIGHT = 39, UG_VK_DOWN = 40, UG_VK_DELETE = 46, UG_VK_F2 = 113
};
// Mouse key flags.
enum : unsigned { UG_MK_LBUTTON = 1, UG_MK_RBUTTON = 2 };  // Shift and Ctrl: ug_multiselect.h

// Notification codes of the built-in types.
enum : int {
  UGCT_BUTTONCLICK = 1, UGCT_BUTTONDOWN = 2, UGCT_BUTTONUP = 3,
  UGCT_CHECKBOXSET = 53,
  UGCT_ELLIPSISBUTTONCLICK = 100,
  UGCT_DROPLISTSTART = 100, UGCT_DROPLISTSELECT = 101, UGCT_DROPLISTSELCHANGE = 102, UGCT_DROPLISTPOSTSELECT = 103
};

// Check-box parameter bits.
enum : long {
  UGCT_CHECKBOX3DRECESS = 0x100, UGCT_CHECKBOX3DRAISED = 0x200, UGCT_CHECKBOXROUND = 0x400,
  UGCT_CHECKBOXUSEALIGN = 0x800, UGCT_CHECKBOXCHECKMARK = 0x1000, UGCT_CHECKBOX3STATE = 0x2000,
  UGCT_CHECKBOXDISABLED = 0x4000
};
// Drop-list, ellipsis and button parameter bits.
enum : long { UGCT_SHOWBUTTONONFOCUS = 0x200, UGCT_BUTTONNOFOCUS = 0x10 };

class CUGCheckBoxType : public CUGCellType {
 public:
  CUGCheckBoxType();
  std::string GetName() const override { return "CheckBox"; }
  int OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) override;
  int OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) override;
  int OnChar(int col, long row, unsigned* ch) override;
  void OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) override;
  void GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) override;
  // The box inside a cell rectangle at a scale.
  static UGRect BoxRect(const UGRect& cell, long param, short align, double scale);

 private:
  bool Toggle(int col, long row, bool notifyFirst);
};

class CUGArrowType : public CUGCellType {
 public:
  CUGArrowType() { SetTextEditable(false); }
  std::string GetName() const override { return "Side Arrows"; }
  void OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) override;
  void GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) override;
};

class CUGButtonType : public CUGCellType {
 public:
  CUGButtonType() { SetCanOverflow(false); }
  int OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) override;
  int OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) override;
  int OnKeyDown(int col, long row, unsigned* key) override;
  int OnMouseMove(int col, long row, UGPoint* point, unsigned flags) override;
  void OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) override;
  void OnCellFocusLost(int col, long row, CUGCell* cell) override { pressed_ = false; }

 private:
  bool pressed_ = false;
  int pressedCol_ = -1;
  long pressedRow_ = -1;
  UGRect pressedRect_;
};

class CUGEllipsisType : public CUGCellType {
 public:
  CUGEllipsisType() { SetCanOverflow(false); }
  std::string GetName() const override { return "Ellipsis Text"; }
  int AdjustEditRect(UGRect* rect) override;
  int OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) override;
  int OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) override { return 1; }
  int OnMouseMove(int col, long row, UGPoint* point, unsigned flags) override;
  void OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) override;
  void GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) override;
  int ButtonWidth() const { return buttonWidth_; }

 private:
  int buttonWidth_ = 16;
  bool pressed_ = false;
  int pressedCol_ = -1;
  long pressedRow_ = -1;
  UGRect buttonRect_;
};

class CUGDropListType : public CUGCellType {
 public:
  CUGDropListType() { SetCanOverflow(false); }
  std::string GetName() const override { return "DropList"; }
  int AdjustEditRect(UGRect* rect) override;
  int OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) override;
  int OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) override;
  int OnKeyDown(int col, long row, unsigned* key) override;
  int OnChar(int col, long row, unsigned* ch) override;
  int OnMouseMove(int col, long row, UGPoint* point, unsigned flags) override;
  void OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) override;
  void OnCellFocusLost(int col, long row, CUGCell* cell) override;
  void GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) override;

  // Opens the list of the list cell; false when nothing opened.
  bool ShowList();
  // What the open list reports: an entry chosen, or closed without a choice.
  void Choose(int index, const std::string& text);
  void ListClosed();
  bool IsListShowing() const { return showing_; }
  int ListCol() const { return listCol_; }
  long ListRow() const { return listRow_; }
  int ButtonWidth() const { return buttonWidth_; }

  // The choices of a label: one per line; a last line without a line break counts too.
  static std::vector<std::string> SplitChoices(const std::string& label);

 private:
  int buttonWidth_ = 16;
  bool pressed_ = false;
  UGRect buttonRect_;
  int listCol_ = -1;
  long listRow_ = -1;
  bool showing_ = false;
};

// Shared drawing helpers of the built-in types.
void DrawFrame3D(Painter* dc, const UGRect& r, bool raised, int depth);

}  // namespace gridmodel

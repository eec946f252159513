#pragma once
// Value types shared by the table grid's model, cells, window and printing.
#include <cstdint>
#include <string>

#include "gridmodel/painter.h"

namespace gridmodel {

struct CCellID {
  int row = -1, col = -1;
  CCellID() = default;
  CCellID(int r, int c) : row(r), col(c) {}
  bool IsSet() const { return row >= 0 && col >= 0; }
  bool operator==(const CCellID&) const = default;
};

// Inclusive block; all -1 is the empty range.
struct CGridRange {
  int minRow = -1, minCol = -1, maxRow = -1, maxCol = -1;
  CGridRange() = default;
  CGridRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
  bool operator==(const CGridRange&) const = default;
};

// Cell state bits.
enum CellState : unsigned {
  kStateFocused = 0x01, kStateSelected = 0x02, kStateHighlighted = 0x04, kStateReadOnly = 0x08,
  kStateFixed = 0x10, kStateFixedRow = 0x20, kStateFixedCol = 0x40, kStateModified = 0x80,
};

// Mask bits of GridItem.
enum ItemMask : unsigned {
  kMaskText = 0x01, kMaskImage = 0x02, kMaskData = 0x04, kMaskState = 0x08, kMaskBackColour = 0x10,
  kMaskTextColour = 0x20, kMaskFormat = 0x40, kMaskFont = 0x80, kMaskMargin = 0x100, kMaskAll = 0xFFFFFFFFu,
};

struct GridItem {
  int row = 0, col = 0;
  unsigned mask = 0;
  unsigned state = 0;
  unsigned format = 0;
  int image = -1;
  Colour backColour = kDefaultColour;
  Colour textColour = kDefaultColour;
  std::intptr_t data = 0;
  FontDesc font;
  unsigned margin = 0;
  std::string text;
};

// Notification codes sent to the owner.
enum GridNotifyCode : int {
  kNotifyClick = -2, kNotifyDblClick = -3, kNotifyRClick = -5,
  kNotifyItemChanging = -100, kNotifyItemChanged = -101,
  kNotifyBeginEdit = -105, kNotifyEndEdit = -106,
  kNotifyCacheHint = -113, kNotifyDisplayInfo = -150,
};

struct GridNotify {
  int code = 0;
  int row = -1, col = -1;
};

// Virtual-key codes the grid and its editors use.
enum GridKey : unsigned {
  kKeyLButton = 1, kKeyBack = 8, kKeyTab = 9, kKeyReturn = 13, kKeyEscape = 27, kKeySpace = 32,
  kKeyPrior = 0x21, kKeyNext = 0x22, kKeyEnd = 0x23, kKeyHome = 0x24,
  kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28, kKeyDelete = 0x2E, kKeyF2 = 0x71,
};
enum KeyModifier : unsigned { kModShift = 1, kModCtrl = 2 };

// System colours the cells draw with.
// Held as system colours, so what follows the desktop is resolved when drawn.
struct SystemColours {
  Colour windowText = Colour::System(SysColour::WindowText);
  Colour window = Colour::System(SysColour::Window);
  Colour face = Colour::System(SysColour::ButtonFace);
  Colour shadow = Colour::System(SysColour::ButtonShadow);
  Colour highlight = Colour::System(SysColour::Highlight);
  Colour highlightText = Colour::System(SysColour::HighlightText);
  Colour buttonHighlight = Colour::System(SysColour::ButtonHighlight);
  Colour darkShadow = Colour::System(SysColour::ButtonText);
};

}  // namespace gridmodel

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_parts.h"
#include "widgets/cellgrid/ug_window.h"
#include "widgets/screenshot.h"

using namespace gridmodel;
using widgets::CUGWindow;
using widgets::FlushEvents;

namespace {

constexpr int kPlaceholderId = 500;
// The middle of a 75-pixel cell, where side arrows draw.
constexpr int kArrowsX = 37;

// A record grid as the editors build one: it starts editing on Enter, F2 and typed
// characters, and logs what the model tells it.
class LogGrid : public CUGCtrl {
 public:
  std::vector<std::string> log;
  bool allowDrop = true;
  CUGButtonType button;
  CUGEllipsisType ellipsis;
  int buttonId = -1, ellipsisId = -1;

  void OnInitGrid() override {
    buttonId = AddCellType(&button);
    ellipsisId = AddCellType(&ellipsis);
    SetColCount(6);
    SetRowCount(200);
    for (long r = 0; r < 200; ++r)
      for (int c = 0; c < 6; ++c) SetCellText(c, r, std::to_string(c) + ":" + std::to_string(r));
    for (int c = 0; c < 6; ++c) SetCellText(c, -1, "Col " + std::to_string(c));
  }
  void Add(const std::string& s) { log.push_back(s); }
  static std::string At(int c, long r) { return std::to_string(c) + "," + std::to_string(r); }
  int OnAllowCellMove(int oc, long orow, int nc, long nr) override {
    Add("AllowCellMove " + At(nc, nr));
    return 1;
  }
  void OnCurrentColChanged(int o, int n) override { Add("ColChanged " + std::to_string(n)); }
  void OnCurrentRowChanged(long o, long n) override { Add("RowChanged " + std::to_string(n)); }
  void OnCurrentCellChanged(int, int, long, long) override { Add("CellChanged"); }
  void OnTopRowChanged(long o, long n) override { Add("TopRowChanged " + std::to_string(n)); }
  void OnCellLeftClick(int c, long r, bool down, UGRect*, UGPoint*, bool processed) override {
    Add(std::string("LeftClick ") + At(c, r) + (down ? " down" : " up") + (processed ? " processed" : ""));
  }
  void OnCellRightClick(int c, long r, bool down, UGRect*, UGPoint*, bool) override {
    Add(std::string("RightClick ") + At(c, r) + (down ? " down" : " up"));
  }
  void OnTopHeadingLeftClick(int c, long r, bool down, UGRect*, UGPoint*, bool) override {
    Add(std::string("TopHeadingClick ") + At(c, r) + (down ? " down" : " up"));
  }
  int OnPopupMenuStart(int c, long r, int section) override {
    Add("PopupMenuStart " + At(c, r) + " " + std::to_string(section));
    return 0;  // no menu: a test cannot answer one
  }
  void OnColumnResized(int c, int* w) override { Add("ColumnResized " + std::to_string(c) + " " + std::to_string(*w)); }
  int OnAllowColumnDrop(int from, int to) override {
    Add("AllowColumnDrop " + std::to_string(from) + "->" + std::to_string(to));
    return allowDrop;
  }
  void OnColumnMoved(int from, int to) override { Add("ColumnMoved " + std::to_string(from) + "->" + std::to_string(to)); }
  void OnGridKeyDown(unsigned* key, bool processed) override {
    if (processed) return;
    if (*key == UG_VK_RETURN || *key == UG_VK_F2) BeginEdit();
  }
  void OnGridChar(unsigned* ch, bool processed) override {
    if (!processed && *ch >= 32 && *ch != 127) BeginEditWithKey(static_cast<int>(*ch));
  }
  widgets::CUTNumericEditWnd* numeric = nullptr;
  int OnBeginCellEdit(int c, long r, CUGEditor** editor) override {
    Add("BeginCellEdit " + At(c, r));
    if (c == 5 && numeric) *editor = numeric;
    return 1;
  }
  int OnEndCellEdit(int c, long r, CUGEditor*, const std::string& text, bool cancelled) override {
    Add("EndCellEdit " + At(c, r) + " " + text + (cancelled ? " cancelled" : ""));
    return 1;
  }
  int OnContinueCellEdit(int, long, int* nc, long* nr) override {
    Add("ContinueCellEdit " + At(*nc, *nr));
    return 0;  // edits end after one cell here
  }
  void OnSheetTabClicked(int id) override {
    Add("SheetTab " + std::to_string(id));
    SetSheetNumber(id);
  }
  int OnGetVScrollHintText(long row, std::string* text) override {
    *text = "Row " + std::to_string(row);
    return 1;
  }
  // Help pages for the columns right of the first; none for the first.
  int OnGetHelpContextId(int c, long r, int section) override {
    Add("HelpId " + At(c, r) + " " + std::to_string(section));
    return c <= 0 ? 0 : 40 + c;
  }
  int OnCellTypeEvent(int id, int c, long r, int msg, long param) override {
    Add("CellType " + std::to_string(id) + " " + At(c, r) + " " + std::to_string(msg));
    return 1;
  }
  std::vector<std::string> Take() {
    std::vector<std::string> out;
    out.swap(log);
    return out;
  }
};

struct CellGridWindowTest : ::testing::Test {
  void SetUp() override {
    dialog = new wxDialog(nullptr, wxID_ANY, "Records", wxPoint(30, 30), wxSize(640, 420));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxPanel(dialog, kPlaceholderId, wxDefaultPosition, wxSize(560, 300)), 1, wxEXPAND | wxALL, 8);
    dialog->SetSizer(sizer);
    dialog->Layout();
    placeholderRect = dialog->FindWindow(kPlaceholderId)->GetRect();
    window = CUGWindow::AttachToDialogItem(dialog, kPlaceholderId, &grid);
    ASSERT_NE(window, nullptr);
    // Taken before showing: a window manager then fits the dialog to its frame, and the
    // grid follows the sizer like any other item.
    attachedRect = window->GetRect();
    dialog->Show();
    dialog->Raise();
    FlushEvents();
    window->FocusCellArea();
    FlushEvents(5);
    grid.GotoCell(0, 0);
    FlushEvents(3);
    grid.log.clear();
  }
  void TearDown() override {
    dialog->Destroy();
    FlushEvents(3);
  }
  // Screen point inside a cell (in the cell area's coordinates) or a heading point.
  wxPoint CellPoint(int col, long row, int dx = 8, int dy = -1) {
    UGRect r;
    grid.GetCellRect(col, row, &r);
    return window->CellArea()->ClientToScreen(wxPoint(r.left + dx, r.top + (dy < 0 ? r.Height() / 2 : dy)));
  }
  wxPoint TopPoint(int x, int y) { return window->Part(UG_TOPHEADING)->ClientToScreen(wxPoint(x, y)); }
  void Click(const wxPoint& p, int button = wxMOUSE_BTN_LEFT) {
    sim.MouseMove(p);
    FlushEvents(2);
    sim.MouseClick(button);
    FlushEvents(4);
  }
  void Key(int code, int modifiers = 0) {
    sim.Char(code, modifiers);
    FlushEvents(4);
  }
  int ColumnRight(int col) {
    UGRect r;
    grid.GetCellRect(col, 0, &r);
    return r.right;
  }

  wxRect placeholderRect, attachedRect;
  wxDialog* dialog = nullptr;
  CUGWindow* window = nullptr;
  LogGrid grid;
  wxUIActionSimulator sim;
};

}  // namespace

TEST_F(CellGridWindowTest, AttachTakesThePlaceholdersPlaceAndTheDialogsFont) {
  EXPECT_EQ(dialog->FindWindow(kPlaceholderId), window);
  EXPECT_EQ(attachedRect, placeholderRect);
  EXPECT_EQ(window->GetContainingSizer(), dialog->GetSizer());
  const FontDesc* normal = grid.GetFont(grid.GetDefaultFont());
  ASSERT_NE(normal, nullptr);
  CUGCell heading;
  grid.GetHeadingDefault(&heading);
  ASSERT_NE(grid.GetFont(heading.GetFont()), nullptr);
  EXPECT_EQ(grid.GetFont(heading.GetFont())->weight, normal->weight + 200);
  EXPECT_EQ(CUGWindow::AttachToDialogItem(dialog, 9999, &grid), nullptr);
  // Rows overflow the view: the vertical bar shows, the columns fit: no horizontal bar.
  EXPECT_TRUE(window->VScroll()->IsShown());
  EXPECT_FALSE(window->HScroll()->IsShown());
}

TEST_F(CellGridWindowTest, KeysMoveTheCurrentCellWithNotificationsInOrder) {
  Key(WXK_RIGHT);
  EXPECT_EQ(grid.Take(), (std::vector<std::string>{"AllowCellMove 1,0", "ColChanged 1", "CellChanged"}));
  Key(WXK_DOWN);
  EXPECT_EQ(grid.GetCurrentRow(), 1);
  Key(WXK_PAGEDOWN);
  EXPECT_GT(grid.GetCurrentRow(), 5);
  EXPECT_GT(grid.GetTopRow(), 0);
  Key(WXK_END);
  EXPECT_EQ(grid.GetCurrentCol(), 5);
  Key(WXK_HOME);
  EXPECT_EQ(grid.GetCurrentCol(), 0);
  Key(WXK_END, wxMOD_CONTROL);
  EXPECT_EQ(grid.GetCurrentRow(), 199);
  Key(WXK_HOME, wxMOD_CONTROL);
  EXPECT_EQ(grid.GetCurrentRow(), 0);
  EXPECT_EQ(grid.GetTopRow(), 0);
  // Across a join: right from the join's first cell lands past its end.
  grid.JoinCells(1, 0, 2, 1);
  Key(WXK_RIGHT);
  EXPECT_EQ(grid.GetCurrentCol(), 1);
  Key(WXK_RIGHT);
  EXPECT_EQ(grid.GetCurrentCol(), 3);
  Key(WXK_LEFT);
  EXPECT_EQ(grid.GetCurrentCol(), 1);
}

TEST_F(CellGridWindowTest, ClicksWheelAndDragSelectionWithEdgeAutoScroll) {
  Click(CellPoint(2, 3));
  EXPECT_EQ(grid.Take(), (std::vector<std::string>{"AllowCellMove 2,3", "ColChanged 2", "RowChanged 3", "CellChanged",
                                                   "LeftClick 2,3 down", "LeftClick 2,3 up"}));
  // Right click moves and reports; with the menu on, the menu is asked for.
  grid.EnablePopupMenu(true);
  Click(CellPoint(1, 2), wxMOUSE_BTN_RIGHT);
  std::vector<std::string> log = grid.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "RightClick 1,2 down"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "PopupMenuStart 1,2 1"), log.end());
  EXPECT_EQ(grid.GetCurrentCol(), 1);

  // Wheel: three rows a notch, nothing for half a notch.
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_wheelRotation = -120;
  wheel.m_wheelDelta = 120;
  wheel.SetEventObject(window->CellArea());
  window->CellArea()->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_EQ(grid.GetTopRow(), 3);
  wheel.m_wheelRotation = -60;
  window->CellArea()->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_EQ(grid.GetTopRow(), 3);
  grid.SetTopRow(0);
  FlushEvents(3);

  // Drag from (1,1) down past the bottom edge: the view scrolls and the block grows.
  grid.SetMultiSelectMode(1);
  grid.SetDragScrollPower(2);
  sim.MouseMove(CellPoint(1, 1));
  FlushEvents(2);
  sim.MouseDown();
  FlushEvents(3);
  sim.MouseMove(CellPoint(3, 4));
  FlushEvents(3);
  const wxRect area = window->CellArea()->GetScreenRect();
  sim.MouseMove(wxPoint(CellPoint(3, 4).x, area.GetBottom() + 100));
  FlushEvents(4);
  sim.MouseMove(wxPoint(CellPoint(3, 4).x + 1, area.GetBottom() + 101));
  FlushEvents(4);
  sim.MouseUp();
  FlushEvents(3);
  EXPECT_GT(grid.GetTopRow(), 0);
  int sc, ec;
  long sr, er;
  ASSERT_EQ(grid.EnumFirstBlock(&sc, &sr, &ec, &er), 0);
  EXPECT_EQ(sc, 1);
  EXPECT_EQ(sr, 1);
  EXPECT_EQ(ec, 3);
  EXPECT_GT(er, 4);
}

TEST_F(CellGridWindowTest, HeadingResizeFitAndColumnDragWithVeto) {
  // A drag of column 1's right border by 30 pixels widens it.
  const int border = ColumnRight(1);
  sim.MouseMove(TopPoint(border, 10));
  FlushEvents(3);
  sim.MouseMove(TopPoint(border + 1, 10));
  FlushEvents(3);
  sim.MouseDown();
  FlushEvents(2);
  sim.MouseMove(TopPoint(border + 31, 10));
  FlushEvents(3);
  sim.MouseUp();
  FlushEvents(3);
  EXPECT_EQ(grid.GetColWidth(1), 75 + 30);
  std::vector<std::string> log = grid.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "ColumnResized 1 105"), log.end());

  // A double click on the border fits the column to its contents (heading and 20 rows).
  sim.MouseMove(TopPoint(ColumnRight(1), 10));
  FlushEvents(3);
  sim.MouseDblClick();
  FlushEvents(4);
  EXPECT_LT(grid.GetColWidth(1), 105);
  EXPECT_GT(grid.GetColWidth(1), 20);

  // Column drag: a plain click moves nothing; a refused drop neither; an allowed one does.
  grid.Sheet().enableColSwapping = true;
  UGRect c1, c3;
  grid.GetCellRect(1, -1, &c1);
  grid.GetCellRect(3, -1, &c3);
  grid.Take();
  Click(TopPoint(c1.left + 5, 10));
  log = grid.Take();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](auto& s) { return s.rfind("ColumnMoved", 0) == 0 || s.rfind("AllowColumnDrop", 0) == 0; }), 0);
  // Each press starts elsewhere, so that no two make a double click.
  auto drag = [&](int fromX, int toX) {
    sim.MouseMove(TopPoint(fromX, 10));
    FlushEvents(2);
    sim.MouseDown();
    FlushEvents(2);
    sim.MouseMove(TopPoint(toX - 5, 10));
    FlushEvents(2);
    sim.MouseMove(TopPoint(toX, 10));
    FlushEvents(2);
    sim.MouseUp();
    FlushEvents(3);
  };
  grid.allowDrop = false;
  drag(c1.left + c1.Width() / 2, c3.left + 5);
  EXPECT_EQ(grid.GetCellText(1, 0), "1:0");
  log = grid.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "AllowColumnDrop 1->2"), log.end());
  grid.allowDrop = true;
  drag(c1.right - 8, c3.left + 5);
  log = grid.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "ColumnMoved 1->2"), log.end());
  EXPECT_EQ(grid.GetCellText(2, 0), "1:0");
}

TEST_F(CellGridWindowTest, DefaultEditorEnterTabEscapeAndMoveOn) {
  Click(CellPoint(1, 1));
  grid.Take();
  Key(WXK_RETURN);
  ASSERT_TRUE(grid.IsEditing());
  EXPECT_TRUE(window->DefaultEditor()->IsShown());
  sim.Text("abc");
  FlushEvents(3);
  Key(WXK_TAB);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.GetCellText(1, 1), "abc");
  EXPECT_EQ(grid.Take(), (std::vector<std::string>{"BeginCellEdit 1,1", "EndCellEdit 1,1 abc", "ContinueCellEdit 2,1"}));

  // A typed character starts the edit with it; Escape keeps the old text.
  Click(CellPoint(2, 2));
  Key('q');
  ASSERT_TRUE(grid.IsEditing());
  EXPECT_EQ(window->DefaultEditor()->GetValue(), "q");
  Key(WXK_ESCAPE);
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_EQ(grid.GetCellText(2, 2), "2:2");

  // Down ends the edit and moves on to the next row.
  Key('z');
  Key(WXK_DOWN);
  EXPECT_EQ(grid.GetCellText(2, 2), "z");
  std::vector<std::string> log = grid.Take();
  EXPECT_EQ(log.back(), "ContinueCellEdit 2,3");
}

TEST_F(CellGridWindowTest, BuiltInCellTypesReportTheirEvents) {
  grid.SetCellTypeAt(0, 1, 2);
  grid.SetCellTypeAt(1, 1, grid.buttonId);
  grid.SetCellTypeAt(2, 1, grid.ellipsisId);
  grid.SetCellNumber(0, 1, 0);
  grid.RedrawAll();
  FlushEvents(3);
  grid.Take();
  // The box sits 3 pixels in from the left, centred.
  Click(CellPoint(0, 1, 6));
  EXPECT_EQ(grid.GetCellText(0, 1), "1");
  std::vector<std::string> log = grid.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "CellType 2 0,1 53"), log.end());
  Click(CellPoint(0, 1, 60));  // beside the box
  EXPECT_EQ(grid.GetCellText(0, 1), "1");

  Click(CellPoint(1, 1));
  log = grid.Take();
  const std::string b = "CellType " + std::to_string(grid.buttonId) + " 1,1 ";
  std::vector<std::string> types;
  for (auto& s : log)
    if (s.rfind("CellType", 0) == 0) types.push_back(s);
  EXPECT_EQ(types, (std::vector<std::string>{b + "2", b + "3", b + "1"}));

  UGRect r;
  grid.GetCellRect(2, 1, &r);
  Click(CellPoint(2, 1, r.Width() - 4));
  log = grid.Take();
  EXPECT_NE(std::find(log.begin(), log.end(), "CellType " + std::to_string(grid.ellipsisId) + " 2,1 100"), log.end());

  // Side arrows only draw: a click on them is the grid's plain click on that cell.
  grid.SetCellTypeAt(3, 1, 3);
  grid.SetCellTypeParamAt(3, 1, 0x40);
  grid.RedrawAll();
  FlushEvents(3);
  Click(CellPoint(3, 1, kArrowsX));
  log = grid.Take();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](auto& s) { return s.rfind("CellType", 0) == 0; }), 0);
  EXPECT_NE(std::find(log.begin(), log.end(), "LeftClick 3,1 down"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "LeftClick 3,1 up"), log.end());
}

TEST_F(CellGridWindowTest, DropListOpensChoosesAndStores) {
  grid.SetCellTypeAt(3, 2, 1);
  grid.SetCellLabelText(3, 2, "Alpha\nBeta\n(Gamma)");
  grid.RedrawAll();
  FlushEvents(3);
  Click(CellPoint(3, 2));
  grid.Take();
  Key(WXK_RETURN);
  ASSERT_NE(window->DropListBox(), nullptr);
  // A last choice without a trailing line break is offered too.
  EXPECT_EQ(window->DropListBox()->GetCount(), 3u);
  window->DropListBox()->SetSelection(2);
  Key(WXK_RETURN);
  FlushEvents(4);
  EXPECT_EQ(grid.GetCellText(3, 2), "(Gamma)");
  std::vector<std::string> types;
  for (auto& s : grid.Take())
    if (s.rfind("CellType", 0) == 0) types.push_back(s);
  EXPECT_EQ(types, (std::vector<std::string>{"CellType 1 3,2 100", "CellType 1 3,2 102", "CellType 1 3,2 101",
                                              "CellType 1 3,2 103"}));
  // Escape closes without a choice; '(' typed on the cell is not swallowed.
  Key(WXK_RETURN);
  ASSERT_NE(window->DropListBox(), nullptr);
  Key(WXK_ESCAPE);
  FlushEvents(3);
  EXPECT_EQ(window->DropListBox(), nullptr);
  EXPECT_EQ(grid.GetCellText(3, 2), "(Gamma)");
  Key('(');
  EXPECT_TRUE(grid.IsEditing());
  Key(WXK_ESCAPE);
}

TEST_F(CellGridWindowTest, HintsShowTheGridsTextForTheCellUnderThePointer) {
  sim.MouseMove(CellPoint(2, 3));
  FlushEvents(3);
  EXPECT_TRUE(window->CellArea()->GetToolTipText().empty());  // hints are off by default
  grid.Sheet().enableHints = true;
  sim.MouseMove(CellPoint(2, 3, 12));
  FlushEvents(3);
  EXPECT_EQ(window->CellArea()->GetToolTipText(), "Col:2 Row:3");
  sim.MouseMove(TopPoint(ColumnRight(0) + 10, 8));
  FlushEvents(3);
  EXPECT_EQ(window->Part(UG_TOPHEADING)->GetToolTipText(), "Col:1 Row:-1");
}

TEST_F(CellGridWindowTest, MaskedAndNumericEditorsCheckWhatIsTyped) {
  grid.SetCellMask(4, 5, "90");
  Click(CellPoint(4, 5));
  Key('1');
  ASSERT_TRUE(grid.IsEditing());
  EXPECT_EQ(grid.GetCurrentEditor(), static_cast<CUGEditor*>(window->MaskedEditor()));
  sim.Text("2x3");
  FlushEvents(4);
  EXPECT_EQ(window->MaskedEditor()->GetValue(), "12");
  Key(WXK_RETURN);
  EXPECT_EQ(grid.GetCellText(4, 5), "12");

  grid.numeric = new widgets::CUTNumericEditWnd(window, wxID_ANY);
  grid.numeric->State().SetGroupSize(3);
  Click(CellPoint(5, 7));
  Key('1');
  ASSERT_TRUE(grid.IsEditing());
  sim.Text("2345");
  FlushEvents(4);
  Key('-');
  EXPECT_EQ(grid.numeric->GetValue(), "-12,345.00");
  Key(WXK_RETURN);
  // The cell gets the number, not the text the control shows.
  EXPECT_EQ(grid.GetCellText(5, 7), "-12345.00");
}

TEST_F(CellGridWindowTest, SheetTabsSwitchSheetsWhenClicked) {
  // Two more sheets of their own size; the tabs name the three.
  grid.SetSheetCount(3);
  for (int sheet = 1; sheet < 3; ++sheet) {
    grid.SetSheetNumber(sheet);
    grid.SetColCount(2);
    grid.SetRowCount(5);
    grid.SetCellText(0, 0, "sheet " + std::to_string(sheet));
  }
  grid.SetSheetNumber(0);
  grid.SetTabWidth(220);
  for (int sheet = 0; sheet < 3; ++sheet) grid.AddTab("Sheet " + std::to_string(sheet + 1), sheet);
  grid.ArrangeParts();
  FlushEvents(3);
  const CUGGridInfo& s = grid.Sheet();
  ASSERT_TRUE(window->TabStrip()->IsShown());
  // Columns fit: the tabs take the whole bottom row, under the cells.
  EXPECT_EQ(window->TabStrip()->GetPosition().y, s.rects[0].bottom);
  EXPECT_GE(window->TabStrip()->GetSize().x, window->GetClientSize().x);
  grid.Take();

  const CUGTab& tabs = grid.Tabs();
  const int x = tabs.ButtonWidth() + tabs.TabWidth(0) + tabs.TabWidth(1) / 2;
  Click(window->TabStrip()->ClientToScreen(wxPoint(x, window->TabStrip()->GetSize().y / 2)));
  EXPECT_EQ(grid.Take(), std::vector<std::string>{"SheetTab 1"});
  EXPECT_EQ(grid.GetSheetNumber(), 1);
  EXPECT_EQ(grid.GetCurrentTab(), 1);
  EXPECT_EQ(grid.GetColCount(), 2);
  EXPECT_EQ(grid.GetCellText(0, 0), "sheet 1");
  // The new sheet keeps the strip.
  EXPECT_TRUE(window->TabStrip()->IsShown());

  // Selecting a tab from code tells the grid too.
  ASSERT_EQ(grid.SetCurrentTab(2), 0);
  EXPECT_EQ(grid.Take(), std::vector<std::string>{"SheetTab 2"});
  EXPECT_EQ(grid.GetCellText(0, 0), "sheet 2");
}

TEST_F(CellGridWindowTest, ThumbHintShowsWhileTheThumbIsDraggedAndGoesAfter) {
  grid.EnableVScrollHints(true);
  wxScrollBar* bar = window->VScroll();
  ASSERT_TRUE(bar->IsShown());
  const wxRect r = bar->GetScreenRect();
  // The thumb sits at the top of the bar while the first row is at the top.
  const wxPoint start(r.x + r.width / 2, r.y + 6);
  sim.MouseMove(start);
  FlushEvents(2);
  sim.MouseDown();
  FlushEvents(3);
  for (int dy = 10; dy <= 60; dy += 10) {
    sim.MouseMove(wxPoint(start.x, start.y + dy));
    FlushEvents(3);
  }
  widgets::UGHintWnd* hint = window->HintWindow();
  ASSERT_TRUE(hint->IsShown());
  EXPECT_EQ(grid.GetTopRow(), 0);  // scroll mode 0: the view waits for the release
  const std::string text = hint->HintText();
  ASSERT_EQ(text.rfind("Row ", 0), 0u) << text;
  const long shown = std::stol(text.substr(4));
  EXPECT_GT(shown, 0);
  // Beside the bar, on its left, at the pointer's height.
  const wxRect h = hint->GetScreenRect();
  EXPECT_LE(h.GetRight(), r.x);
  EXPECT_LE(std::abs(h.y + h.height / 2 - (start.y + 60)), h.height);
  sim.MouseUp();
  FlushEvents(4);
  EXPECT_FALSE(hint->IsShown());
  EXPECT_EQ(grid.GetTopRow(), shown);  // the release shows the row the hint named
}

TEST_F(CellGridWindowTest, HelpOpensTheGridsPageAndNothingForIdZero) {
  std::vector<int> opened;
  SetGridHelpHandler([&](int id) { opened.push_back(id); });
  Key(WXK_F1);  // on (0,0): no page
  EXPECT_TRUE(opened.empty());
  Click(CellPoint(2, 4));
  grid.Take();
  Key(WXK_F1);
  EXPECT_EQ(opened, std::vector<int>{42});
  EXPECT_EQ(grid.Take(), std::vector<std::string>{"HelpId 2,4 1"});
  // Help asked over a heading: the heading's cell and section; again nothing for id 0.
  auto helpAt = [&](wxWindow* part, const wxPoint& client) {
    wxHelpEvent e(wxEVT_HELP, part->GetId(), part->ClientToScreen(client), wxHelpEvent::Origin_HelpButton);
    e.SetEventObject(part);
    part->GetEventHandler()->ProcessEvent(e);
  };
  helpAt(window->Part(UG_TOPHEADING), wxPoint(ColumnRight(0) + 10, 8));
  helpAt(window->Part(UG_TOPHEADING), wxPoint(10, 8));
  helpAt(window->Part(UG_CORNERBUTTON), wxPoint(5, 5));
  EXPECT_EQ(opened, (std::vector<int>{42, 41}));
  EXPECT_EQ(grid.Take(), (std::vector<std::string>{"HelpId 1,-1 2", "HelpId 0,-1 2", "HelpId -1,-1 4"}));
  SetGridHelpHandler(nullptr);
}

// Every command a user can reach in the window, walked on the sample landscape: each enabled
// menu item, tool and context-menu entry must open a window, change the project or the view,
// or say something. What is not built yet is disabled, and listed here.
#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_rules.h"
#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_template.h"
#include "app/ui/project_window.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/run_outputs.h"
#include "themes/contour_theme.h"
#include "themes/ui/theme_commands.h"
#include "themes/vector_theme.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/view_commands.h"

namespace {

namespace c = app::cmd;
namespace v = views::cmd;
using app::ui::MainFrame;

struct DisabledItem {
  int command;
  const char* reason;
};

// Items that stay disabled on the sample landscape, one per line with the reason. The issue
// that builds an item's window or engine removes its line here.
const DisabledItem kDisabled[] = {
    {c::kPrint, "Print: nothing prints"},
    {v::kOpenLandscape, "Open Landscape: the project already has its landscape"},
    {v::kReloadLandscape, "Reload Landscape: no edit rule has changed the landscape"},
    // The map's identify menu.
    // The tree's menus.
    {32934, "Save As (arrow theme): the walked arrows were read from points; only a run's are saved"},
    {32966, "Save Source Grids As: only fire-growth runs have source grids"},
};

bool ListedDisabled(int command) {
  for (const DisabledItem& d : kDisabled)
    if (d.command == command) return true;
  return false;
}

// A modal dialog shown while armed is noted and cancelled from its own event loop.
class ModalCloser {
 public:
  ModalCloser() {
    timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
      for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal() && d->IsShown()) {
          titles.push_back(d->GetTitle().utf8_string());
          d->EndModal(wxID_CANCEL);
          return;
        }
    });
  }
  void Arm() { timer_.Start(10); }
  void Disarm() { timer_.Stop(); }
  std::vector<std::string> titles;

 private:
  wxTimer timer_;
};

class WindowWalk : public program_test::ProgramTest {
 protected:
  WindowWalk() : ProgramTest("test-window-walk") {}

  void SetUp() override {
    ProgramTest::SetUp();
    platform::InstallShell(&browser_);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    platform::InstallShell(nullptr);
  }

  MainFrame* StartOnSample() {
    frame_ = Start({program_test::SampleLcp()});
    if (!frame_) return nullptr;
    GetApp().threeDAvailable = 1;  // as the start-up probe finds it on this display (3D Window)
    doc_ = app::ui::ActiveProject(*frame_);
    child_ = frame_->GetActiveChild();
    return doc_ ? frame_ : nullptr;
  }
  views::ui::CMapView* Map() const { return views::ui::FindMapView(doc_); }
  views::ui::CPVN4View* Tree() const { return views::ui::FindTreeView(doc_); }

  // Everything a user could see change, as text.
  std::string Seen() const {
    std::ostringstream s;
    s << "messages " << messages_->Texts().size() << " file dialogs " << dialogs_->Requests().size()
      << " opened " << browser_.Opened().size() << " modal " << closer_.titles.size();
    int shown = 0;
    for (wxWindow* w : wxTopLevelWindows)
      if (w->IsShown()) ++shown;
    s << " windows " << shown;
    if (!frame_) return s.str();
    s << " projects " << frame_->DocManager()->GetDocumentsVector().size() << " bars "
      << frame_->Toolbar()->IsShown() << frame_->GetStatusBar()->IsShown()
      << (frame_->ShaderBar() && frame_->ShaderBar()->IsShown()) << " status '"
      << frame_->GetStatusBar()->GetStatusText(0).utf8_string() << "'";
    if (CPVN4Doc* doc = app::ui::ActiveProject(*frame_)) {
      std::size_t runs = 0;
      for (const auto& a : doc->areas) runs += a->runs.size();
      s << " modified " << doc->IsModified() << " areas " << doc->areas.size() << " runs " << runs
        << " current " << doc->currentArea << " theme " << doc->GetVisibleTheme() << " factor "
        << doc->zoomFactor << " history " << doc->viewHistory.size() << "@" << doc->historyPosition
        << " shapes " << doc->shapes.size() << "+" << doc->shapeInProgress.size();
      if (const views::ui::CMapView* map = views::ui::FindMapView(doc))
        s << " map " << map->Geometry().scale << " " << map->Geometry().scrollX << " "
          << map->Geometry().scrollY << " mode " << map->PointerMode() << " tracker "
          << map->TrackerActive();
    }
    return s.str();
  }

  // Two finished lines and one being drawn, for the shape commands.
  void DrawLines() {
    Map()->SetPointerMode(app::kModeCreateLines);
    doc_->currentShapeKind = app::kModeCreateLines;
    doc_->shapes = {{{1, 1}, {2, 2}}, {{3, 3}, {4, 4}}};
    doc_->shapeInProgress = {{5, 5}};
  }

  // Puts the window where the command has something to change.
  void Prepare(int command) {
    views::ui::CMapView* map = Map();
    if (!map || frame_->GetActiveChild() != child_) return;
    if (command >= v::kShapeSaveToFile && command <= v::kShapeDeleteLast) DrawLines();
    if (views::ZoomFactorOf(command) > 0) doc_->zoomFactor = 1.0;
    if (const int mode = views::PointerModeOf(command); mode >= 0)
      map->SetPointerMode(mode == app::kModeIdentify ? app::kModePan : app::kModeIdentify);
    if (command == v::kFullView || command == c::kStepBack || command == c::kStepForward) map->ZoomIn();
    if (command == c::kStepForward) map->DoCommand(c::kStepBack);
    if (command == themes::ui::kCmdArrangeVectorThemes && doc_->drawPriority.empty()) AddOverlays();
  }

  // A line theme and a contour of the elevation, so the overlay commands have something to act on.
  void AddOverlays() {
    const CPyrvane2WorkArea& a = *doc_->DefaultArea();
    auto lines = std::make_unique<CVectorTheme>();
    lines->CreateFromLineList("walk lines", a.east, a.west, a.south, a.north, {{a.west, a.south, a.east, a.north}});
    doc_->AddVectorTheme(std::move(lines));
    auto contour = MakeOwnedTheme(new CContourTheme);
    ASSERT_TRUE(contour->Create(doc_->GetThemeByLayerType(0), 200, nullptr, nullptr));
    doc_->AddContourTheme(std::move(contour));
    doc_->UpdateAllViews();
    widgets::FlushEvents(3);
  }

  // Undoes what would stand in the way of the next command.
  void Restore(const std::set<wxWindow*>& windowsBefore, int command) {
    if (command == c::kViewToolbar || command == c::kViewStatusBar || command == c::kViewShaderBar)
      program_test::Command(frame_, command);
    for (wxWindow* w : std::vector<wxWindow*>(wxTopLevelWindows.begin(), wxTopLevelWindows.end()))
      if (w->IsShown() && !windowsBefore.count(w)) w->Destroy();
    for (wxDocument* d : frame_->DocManager()->GetDocumentsVector())
      if (app::ui::ModelOf(d) != doc_) frame_->DocManager()->CloseDocument(d, true);
    widgets::FlushEvents(3);
    if (auto* child = dynamic_cast<wxMDIChildFrame*>(child_); child && frame_->GetActiveChild() != child_) {
      child->Activate();
      widgets::FlushEvents(3);
    }
    if (views::ui::CMapView* map = Map(); map && map->TrackerActive()) map->DoCommand(v::kCancelAnalysisArea);
    if (doc_) {
      doc_->shapes.clear();
      doc_->shapeInProgress.clear();
    }
    map_pointer_reset();
  }
  void map_pointer_reset() {
    if (views::ui::CMapView* map = Map()) map->SetPointerMode(app::kModeIdentify);
  }

  std::set<wxWindow*> ShownWindows() const {
    std::set<wxWindow*> out;
    for (wxWindow* w : wxTopLevelWindows)
      if (w->IsShown()) out.insert(w);
    return out;
  }

  // Runs `act` with modal dialogs cancelled as they appear; fails when nothing visible changed.
  void ExpectVisible(const std::string& what, const std::function<void()>& act,
                     const std::string* seenBefore = nullptr) {
    const std::string before = seenBefore ? *seenBefore : Seen();
    closer_.Arm();
    act();
    widgets::FlushEvents(3);
    closer_.Disarm();
    EXPECT_NE(Seen(), before) << what << " is enabled but nothing happened";
  }

  // Walks the items of a menu bar in order: disabled ones must be listed, enabled ones must do
  // something. Items for which `skip` is true are left for the caller.
  void WalkMenuBar(wxMenuBar* bar, const std::function<bool(int)>& skip, size_t firstMenu = 0,
                   size_t endMenu = 99) {
    std::vector<std::pair<int, std::string>> items;
    std::function<void(wxMenu*, const std::string&)> collect = [&](wxMenu* menu, const std::string& path) {
      for (wxMenuItem* i : menu->GetMenuItems()) {
        if (i->IsSeparator()) continue;
        const std::string label = path + " > " + i->GetItemLabelText().utf8_string();
        if (i->IsSubMenu())
          collect(i->GetSubMenu(), label);
        else
          items.emplace_back(MainFrame::CommandFor(i->GetId()), label);
      }
    };
    for (size_t m = firstMenu; m < std::min(endMenu, bar->GetMenuCount()); ++m)
      collect(bar->GetMenu(m), bar->GetMenuLabelText(m).utf8_string());
    ASSERT_GT(items.size(), 5u);
    for (const auto& [command, label] : items) {
      if (skip(command)) continue;
      WalkCommand(command, label);
    }
  }

  void WalkCommand(int command, const std::string& label) {
    Prepare(command);
    widgets::FlushEvents(1);
    const bool enabled = program_test::StateOf(frame_, command).enabled;
    if (ListedDisabled(command)) {
      EXPECT_FALSE(enabled) << label << " is enabled: take it off the disabled list";
      return;
    }
    ASSERT_TRUE(enabled) << label << " (" << command << ") is disabled but not listed";
    ++walked_;
    const std::set<wxWindow*> windows = ShownWindows();
    ExpectVisible(label, [&] { program_test::Command(frame_, command); });
    Restore(windows, command);
  }

  platform::RecordingShell browser_;
  ModalCloser closer_;
  int walked_ = 0;  // enabled commands walked
  MainFrame* frame_ = nullptr;
  CPVN4Doc* doc_ = nullptr;
  wxWindow* child_ = nullptr;
};

// Close and Exit end the project or the program: a test of their own walks them.
bool EndsTheProject(int command) { return command == c::kExit || command == wxID_CLOSE; }

TEST_F(WindowWalk, ProjectFileAndViewMenusDoSomethingOrAreListedDisabled) {
  ASSERT_TRUE(StartOnSample());
  ASSERT_EQ(frame_->GetMenuBar(), frame_->ProjectMenuBar());
  WalkMenuBar(frame_->GetMenuBar(), EndsTheProject, 0, 2);
}

TEST_F(WindowWalk, ProjectMenusFromLandscapeToHelpDoSomethingOrAreListedDisabled) {
  ASSERT_TRUE(StartOnSample());
  ASSERT_EQ(frame_->GetMenuBar(), frame_->ProjectMenuBar());
  WalkMenuBar(frame_->GetMenuBar(), EndsTheProject, 2);
}

TEST_F(WindowWalk, EveryOptionsItemIsCountedAndTheWindowsOpen) {
  ASSERT_TRUE(StartOnSample());
  wxMenuBar* bar = frame_->GetMenuBar();
  const int options = bar->FindMenu("Options");
  ASSERT_NE(options, wxNOT_FOUND);
  WalkMenuBar(bar, EndsTheProject, static_cast<size_t>(options), static_cast<size_t>(options) + 1);
  // Pointer modes 8, shape 4, Color Ramps, Predefined Legends, Edit Preferences, Save As and
  // the two loads.
  EXPECT_EQ(walked_, 18);
  for (const char* title : {"Manage Color Ramps", "Predefined Legends", "Preferences"})
    EXPECT_NE(std::find(closer_.titles.begin(), closer_.titles.end(), title), closer_.titles.end()) << title;
}

TEST_F(WindowWalk, EveryToolDoesSomethingOrIsDisabledAndSaysWhy) {
  ASSERT_TRUE(StartOnSample());
  wxToolBar* tools = frame_->Toolbar();
  int walked = 0;
  for (size_t i = 0; i < tools->GetToolsCount(); ++i) {
    const wxToolBarToolBase* t = tools->GetToolByPos(static_cast<int>(i));
    if (t->IsSeparator() || t->IsControl()) continue;
    const int command = MainFrame::CommandFor(t->GetId());
    const std::string tip = t->GetShortHelp().utf8_string();
    if (ListedDisabled(command) && command != c::kPrint)
      EXPECT_NE(tip.find("not available yet"), std::string::npos) << tip;
    WalkCommand(command, "tool " + tip);
    ++walked;
  }
  EXPECT_EQ(walked, 19);

  // The identify double-click answers for the window it would open.
  views::ui::CMapView* map = Map();
  ASSERT_TRUE(map);
  map->SetPointerMode(app::kModeIdentify);
  ExpectVisible("the identify double-click", [&] { map->LeftDoubleClick({60, 60}); });
}

TEST_F(WindowWalk, ClosingTheProjectLeavesTheFramesMenusEachDoingSomething) {
  ASSERT_TRUE(StartOnSample());
  ExpectVisible("File > Close", [&] { program_test::Command(frame_, wxID_CLOSE); });
  for (int i = 0; i < 50 && frame_->GetMenuBar() == frame_->ProjectMenuBar(); ++i) widgets::FlushEvents(1);
  child_ = nullptr;
  doc_ = nullptr;
  ASSERT_NE(frame_->GetMenuBar(), frame_->ProjectMenuBar());
  WalkMenuBar(frame_->GetMenuBar(), [](int command) { return command == c::kExit; });
  program_test::Command(frame_, c::kExit);
  widgets::FlushEvents(3);
  EXPECT_FALSE(shell_.Frame());
}

TEST_F(WindowWalk, EveryEntryOfTheTreesContextMenusDoesSomethingOrIsDisabled) {
  ASSERT_TRUE(StartOnSample());
  // A run with a log and arrows, so the run, log and arrow items are there too.
  CRun* run = runs::NewRun(*doc_);
  ASSERT_TRUE(run);
  run->runLogs.push_back({"walk_log", "Run log text\n"});
  AddOverlays();
  const CTheme* aspect = doc_->GetThemeByLayerType(2);
  ASSERT_TRUE(aspect);
  run->windVectors = new CWindVectorTheme();
  ASSERT_TRUE(run->windVectors->CreateWindVectors(aspect, aspect));
  run->windVectors->name = "Wind Vectors";
  run->host->AdoptWindVectorTheme(run->windVectors);
  // Arrows read from points, so the Wind Vectors folder has something to delete.
  auto points = MakeOwnedTheme(new CWindVectorTheme);
  points->name = "walk points";
  for (const CWindVectorCell& c : run->windVectors->cells)
    if (c.IsValid() && points->points.empty()) points->points.push_back(c);
  points->count = 1;
  points->visible = true;
  CWindVectorTheme* pointTheme = points.get();
  doc_->AddWindVectorTheme(std::move(points));
  doc_->AddWindVectorDrawItem(pointTheme);
  // An auxiliary grid and a run output, so the grid folder, grid theme and run output menus
  // have something to act on.
  const float cells[4] = {1, 2, 3, -9999};
  const CPyrvane2WorkArea& a = *doc_->DefaultArea();
  auto grid = std::make_unique<CTheme>();
  ASSERT_EQ(grid->CreateFromFloats("walk grid", a.south, a.west, (a.east - a.west) / 2, (a.north - a.south) / 2, 2, 2,
                                   -9999, cells, 0, 10), 1);
  doc_->AddGridTheme(std::move(grid));
  auto output = std::make_unique<CTheme>();
  ASSERT_EQ(output->CreateFromFloats("walk output", a.south, a.west, (a.east - a.west) / 2, (a.north - a.south) / 2, 2,
                                     2, -9999, cells, 0, 20), 1);
  runs::AddThemeWithLegend(*run, std::move(output));
  doc_->UpdateAllViews();
  widgets::FlushEvents(3);
  views::ui::CPVN4View* tree = Tree();
  ASSERT_TRUE(tree);
  tree->ExpandEverything();

  // The first item of each type, in tree order.
  std::map<int, wxTreeItemId> byType;
  std::function<void(wxTreeItemId)> visit = [&](wxTreeItemId item) {
    if (const views::ui::CTreeItem* d = tree->Data(item)) byType.emplace(d->type, item);
    wxTreeItemIdValue cookie;
    for (wxTreeItemId ch = tree->GetFirstChild(item, cookie); ch.IsOk(); ch = tree->GetNextChild(item, cookie))
      visit(ch);
  };
  visit(tree->GetRootItem());
  for (int type : {views::ui::kTreeRoot, views::ui::kTreeArea, views::ui::kTreeRunsFolder,
                   views::ui::kTreeRun, views::ui::kTreeRunLog, views::ui::kTreeAreaTheme,
                   views::ui::kTreeVectorFolder, views::ui::kTreeVectorTheme, views::ui::kTreeContourFolder,
                   views::ui::kTreeContour, views::ui::kTreeGridFolder, views::ui::kTreeGridTheme,
                   views::ui::kTreeRunTheme})
    ASSERT_TRUE(byType.count(type)) << "no item of type " << type;

  // Opens the item's menu; `choose` sees its entries and answers.
  auto openMenu = [&](int type, const std::function<int(wxMenu&)>& choose) {
    visit(tree->GetRootItem());
    tree->ExpandEverything();
    const wxTreeItemId item = byType.at(type);
    tree->EnsureVisible(item);
    wxRect r;
    ASSERT_TRUE(tree->GetBoundingRect(item, r, true));
    tree->SetMenuChooser([&](wxMenu& menu, wxPoint) { return choose(menu); });
    tree->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
  };
  int walked = 0;
  for (const auto& [type, first] : std::map<int, wxTreeItemId>(byType)) {
    std::vector<std::pair<int, std::string>> entries;
    openMenu(type, [&](wxMenu& menu) {
      for (const wxMenuItem* i : menu.GetMenuItems()) {
        if (i->IsSeparator()) continue;
        const int command = app::CommandForMenuId(i->GetId());
        const std::string label = "tree item " + std::to_string(type) + " > " + i->GetItemLabelText().utf8_string();
        EXPECT_EQ(i->IsEnabled(), !ListedDisabled(command)) << label;
        if (i->IsEnabled()) entries.emplace_back(command, label);
      }
      return 0;
    });
    for (const auto& [command, label] : entries) {
      const std::set<wxWindow*> windows = ShownWindows();
      std::string before;
      ExpectVisible(label, [&] {
        openMenu(type, [&](wxMenu&) {
          before = Seen();  // after the click chose the item for the map
          closer_.Arm();
          return command;
        });
      }, &before);
      Restore(windows, 0);
      ++walked;
    }
  }
  EXPECT_GT(walked, 8);
}

TEST_F(WindowWalk, EveryEntryOfTheMapsContextMenusDoesSomethingOrIsDisabled) {
  ASSERT_TRUE(StartOnSample());
  views::ui::CMapView* map = Map();
  ASSERT_TRUE(map);
  // Each gesture opens one of the map's menus.
  const std::vector<std::pair<int, std::function<void()>>> gestures = {
      {144, [&] { map->RightDown({60, 60}); }},
      {132, [&] {
         map->LeftDown({40, 40});
         map->MouseMove({120, 110}, true);
         map->LeftUp({120, 110});
       }},
      {133, [&] {
         map->BeginAreaTracker();
         map->LeftDoubleClick({10, 10});
       }},
      {247, [&] {
         DrawLines();
         map->RightDoubleClick({60, 60});
       }},
  };
  int walked = 0;
  for (const auto& [menuId, gesture] : gestures) {
    std::vector<std::pair<int, std::string>> entries;
    map->SetPointerMode(app::kModeIdentify);
    map->SetMenuChooser([&](int id, wxMenu& menu, wxPoint) {
      EXPECT_EQ(id, menuId);
      for (const wxMenuItem* i : menu.GetMenuItems()) {
        if (i->IsSeparator()) continue;
        const int command = i->GetId() + 30000;
        const std::string label = "map menu " + std::to_string(menuId) + " > " + i->GetItemLabelText().utf8_string();
        EXPECT_EQ(i->IsEnabled(), !ListedDisabled(command)) << label;
        if (i->IsEnabled()) entries.emplace_back(command, label);
      }
      return 0;
    });
    gesture();
    Restore(ShownWindows(), 0);
    ASSERT_FALSE(entries.empty()) << menuId;
    for (const auto& [command, label] : entries) {
      map->SetPointerMode(app::kModeIdentify);
      map->ZoomIn();  // so that Full View has something to undo
      const std::set<wxWindow*> windows = ShownWindows();
      std::string before;
      map->SetMenuChooser([&](int, wxMenu&, wxPoint) {
        before = Seen();
        closer_.Arm();
        return command;
      });
      ExpectVisible(label, gesture, &before);
      Restore(windows, 0);
      ++walked;
    }
    // An entry chosen while disabled (as a stale menu could deliver it), and a command the
    // menu never offered, are not carried out: Save As would ask for a file, New Grid Theme
    // would ask for a grid.
    if (menuId == 144)
      for (const bool offered : {true, false}) {
        map->SetPointerMode(app::kModeIdentify);
        map->SetMenuChooser([&](int, wxMenu& menu, wxPoint) {
          if (!offered) return 32818;
          menu.Enable(32835 - 30000, false);
          return 32835;
        });
        const std::string before = Seen();
        closer_.Arm();  // a dialog carried out by mistake must not hang the walk
        gesture();
        widgets::FlushEvents(2);
        closer_.Disarm();
        EXPECT_EQ(Seen(), before) << (offered ? "disabled Save As" : "New Grid Theme not on the menu");
      }
  }
  // Point Attributes, View Legend, Save As, Contour, Full View, 3D Window and Statistics on 144.
  EXPECT_EQ(walked, 15);
}

}  // namespace

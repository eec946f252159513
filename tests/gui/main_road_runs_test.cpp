// A fire-behaviour run as a user makes one in the program: start-up as main() runs it, the
// sample landscape, New Run from the Analysis Area menu, the run sheet, the launch, and then
// the outputs in the tree and on the map; the tree's run menus serve the run items.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "app/application.h"
#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "app/ui/startup.h"
#include "platform/dialogs.h"
#include "platform/image.h"
#include "platform/messages.h"
#include "platform/services.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/ui/run_commands_ui.h"
#include "runs/ui/run_sheet.h"
#include "program_fixture.h"
#include "runs_gui_support.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "views/ui/legend_window.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/view_commands.h"
#include "widgets/screenshot.h"
#include "widgets/up_dialog.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;
using runs::ui::CRunInputsPage;
using runs::ui::CRunSheet;
using program_test::Rgb;
using program_test::SampleLcp;
using runs_gui::PumpUntil;

namespace {

using runs_gui::Choose;
using runs_gui::Use;
using runs_gui::WhenShown;

std::vector<wxTreeItemId> Children(const wxTreeCtrl& tree, wxTreeItemId item) {
  std::vector<wxTreeItemId> out;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree.GetFirstChild(item, cookie); c.IsOk(); c = tree.GetNextChild(item, cookie))
    out.push_back(c);
  return out;
}

std::set<std::string> ChildTexts(const wxTreeCtrl& tree, wxTreeItemId item) {
  std::set<std::string> out;
  for (wxTreeItemId c : Children(tree, item)) out.insert(tree.GetItemText(c).utf8_string());
  return out;
}

class MainRoadRuns : public program_test::ProgramTest {
 protected:
  MainRoadRuns() : ProgramTest("test-main-road-runs") {}
  static void Command(MainFrame* frame, int command) { program_test::Command(frame, command); }
  static bool Enabled(MainFrame* frame, int command) { return program_test::StateOf(frame, command).enabled; }
  // The tree's context menu on an item, answered with the command.
  static void TreeMenu(views::ui::CPVN4View* tree, wxTreeItemId item, int command,
                       std::vector<std::string>* offered = nullptr) {
    tree->SetMenuChooser([&](wxMenu& menu, wxPoint) {
      if (offered)
        for (const wxMenuItem* i : menu.GetMenuItems())
          if (!i->IsSeparator()) offered->push_back(i->GetItemLabel().utf8_string());
      return command;
    });
    wxRect r;
    ASSERT_TRUE(tree->GetBoundingRect(item, r, true));
    tree->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
  }
  // The inputs page of a new run: the FMS file picked from its menu, a south-west wind at the
  // speed, the first crown fire method.
  void FillInputs(CRunSheet* sheet, const std::string& fms, const char* speed) {
    CRunInputsPage* page = sheet->inputsPage;
    dialogs_->AnswerOpenFile(fms);
    WhenShown(fms, [](wxDialog* editor) { editor->Close(); });
    page->menuChooser = [](int) { return static_cast<int>(CRunInputsPage::kOpenFms); };
    Use(page->fmsButton);
    page->menuChooser = nullptr;
    page->speedEdit->SetValue(speed);
    page->azimuthEdit->SetValue("225");
    Choose(page->crownCombo, 0);
  }
};

TEST_F(MainRoadRuns, NewRunFromTheMenuLaunchesAndItsFlameLengthShowsOnTheMap) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc);
  // A run needs an analysis area, so a landscape.
  const int newRunId = frame->GetMenuBar()->FindMenuItem("&Analysis Area", "New Pyrvane/MTT/TOM &Run");
  ASSERT_EQ(newRunId, MainFrame::WxIdFor(cmd::kNewRun));
  EXPECT_EQ(frame->GetMenuBar()->GetHelpString(newRunId), "Create a new Pyrvane/MTT/TOM run in active work area");
  EXPECT_FALSE(Enabled(frame, cmd::kNewRun));
  dialogs_->AnswerOpenFile(SampleLcp());
  Command(frame, views::cmd::kOpenLandscape);
  widgets::FlushEvents();
  ASSERT_TRUE(doc->IsLandscapeLoaded());
  EXPECT_TRUE(Enabled(frame, cmd::kNewRun));

  const std::string fms = (fs::path(PV_BINARY_DIR) / "test-main-road-runs" / "dry.fms").string();
  std::ofstream(fms, std::ios::binary) << "0 3 4 5 40 60\n";
  std::vector<std::string> statuses;
  std::string finalText;
  WhenShown("Run : New Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CRunSheet*>(d);
    ASSERT_TRUE(sheet);
    CRunInputsPage* page = sheet->inputsPage;
    statuses.push_back(sheet->StatusText(0));
    // The FMS file opens in the editor as it is chosen; closing the editor keeps it.
    dialogs_->AnswerOpenFile(fms);
    WhenShown(fms, [](wxDialog* editor) { editor->Close(); });
    page->menuChooser = [](int) { return static_cast<int>(CRunInputsPage::kOpenFms); };
    Use(page->fmsButton);
    page->menuChooser = nullptr;
    statuses.push_back(sheet->StatusText(0));
    page->speedEdit->SetValue("15");  // typed, as a user does
    page->azimuthEdit->SetValue("225");
    Choose(page->crownCombo, 0);
    statuses.push_back(sheet->StatusText(0));
    sheet->SelectPage(1);
    Use(sheet->outputsPage->FindWindow(1042));  // Flame Length
    Use(sheet->outputsPage->FindWindow(1065));  // Rate of Spread
    statuses.push_back(sheet->StatusText(1));
    ASSERT_TRUE(sheet->launchButton->IsEnabled());
    const std::vector<std::string> seen = runs_gui::LaunchAndWatch(sheet);
    if (!seen.empty()) finalText = seen.back();
    statuses.push_back(sheet->StatusText(2));
    Use(sheet->FindWindow(wxID_OK));
  });
  Command(frame, cmd::kNewRun);
  EXPECT_EQ(statuses, (std::vector<std::string>{"Need Fuel Moisture File", "Set Crown Fire Method", "Inputs OK",
                                                "2 outputs selected", "Existing outputs up to date"}));
  EXPECT_EQ(finalText.rfind("Execution complete. Run time: ", 0), 0u) << finalText;
  EXPECT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();

  ASSERT_TRUE(doc->currentArea);
  ASSERT_EQ(doc->currentArea->runs.size(), 1u);
  CRun& run = *doc->currentArea->runs[0];
  EXPECT_EQ(run.inputs.fuelMoistureFile, fms);
  EXPECT_EQ(run.inputs.windSpeed, 15);
  EXPECT_EQ(run.inputs.windDirection, 225);
  ASSERT_EQ(run.outputThemes.size(), 2u);
  ASSERT_EQ(run.outputLegends.size(), 2u);
  ASSERT_EQ(run.runLogs.size(), 1u);

  // The tree lists the outputs and the log under the run.
  auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
  ASSERT_TRUE(child);
  auto* tree = dynamic_cast<views::ui::CPVN4View*>(child->TreePane());
  ASSERT_TRUE(tree);
  ASSERT_TRUE(run.treeItem);
  const wxTreeItemId runItem(run.treeItem);
  EXPECT_EQ(tree->GetItemText(runItem), "New Run");
  const std::set<std::string> under = ChildTexts(*tree, runItem);
  for (const auto& t : run.outputThemes) EXPECT_TRUE(under.count(t->name)) << t->name;
  EXPECT_TRUE(under.count(run.runLogs[0].name)) << run.runLogs[0].name;

  // Flame length on the map: not blank, and its cells in their legend's colours.
  CTheme* flame = run.outputThemes[0].get();
  ASSERT_EQ(flame->name, "Flame Length");
  // A click on its label in the tree shows it (the button press as the control receives it:
  // pointer input on this display does not reach the tree).
  tree->Expand(runItem);
  widgets::FlushEvents();
  wxTreeItemId flameItem;
  for (wxTreeItemId c : Children(*tree, runItem))
    if (tree->GetItemText(c) == "Flame Length") flameItem = c;
  ASSERT_TRUE(flameItem.IsOk());
  wxRect label;
  ASSERT_TRUE(tree->GetBoundingRect(flameItem, label, true));
  wxMouseEvent press(wxEVT_LEFT_DOWN);
  press.SetPosition(label.GetPosition() + wxPoint(label.width / 2, label.height / 2));
  press.SetEventObject(tree);
  tree->GetEventHandler()->ProcessEvent(press);
  widgets::FlushEvents();
  EXPECT_EQ(doc->GetVisibleTheme(), flame);
  int marked = 0;
  for (wxTreeItemId c : Children(*tree, runItem))
    marked += tree->GetItemState(c) == views::ui::kStateOnMap && tree->GetItemText(c) == "Flame Length";
  EXPECT_EQ(marked, 1);
  const CThemeLegendData* legend = doc->GetVisibleThemeLegend();
  ASSERT_TRUE(legend);
  EXPECT_GT(legend->GetCount(), 3);
  auto* map = dynamic_cast<views::ui::CMapView*>(child->MapPane());
  ASSERT_TRUE(map);
  const wxImage shot = widgets::CaptureWindow(frame);
  ASSERT_TRUE(shot.IsOk());
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  EXPECT_TRUE(shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/flame_length.png", wxBITMAP_TYPE_PNG));
  // The map's own pixels: where the window manager put the frame's decorations is no matter.
  const wxImage mapShot = widgets::CaptureWindow(map);
  ASSERT_TRUE(mapShot.IsOk());
  const double s = map->Geometry().scale;
  std::set<unsigned> seen;
  int checked = 0, wrong = 0;
  const int limitX = std::min(map->Geometry().totalWidth, mapShot.GetWidth()) - 2;
  const int limitY = std::min(map->Geometry().totalHeight, mapShot.GetHeight()) - 2;
  for (int y = 5; y < limitY; y += 43)
    for (int x = 5; x < limitX; x += 47) {
      const views::MapPoint m = map->ClientToMap(x, y);  // the image samples pixel centres
      const platform::Rgba c = platform::RgbaFromColorRef(legend->GetColor(
          flame->ConvertToDisplayUnits(flame->GetValueAt(m.x + 0.5 / s, m.y - 0.5 / s), *legend)));
      const unsigned got = Rgb(mapShot, x, y);
      seen.insert(got);
      ++checked;
      if (got != ((unsigned(c.r) << 16) | (unsigned(c.g) << 8) | c.b)) ++wrong;
    }
  EXPECT_GT(checked, 40);
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(seen.size(), 2u);

  // Reopened from the run's context menu, nothing is stale: the launch starts nothing.
  std::vector<std::string> answered;
  WhenShown("Run : New Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CRunSheet*>(d);
    ASSERT_TRUE(sheet);
    sheet->SelectPage(1);
    messages_->Clear();
    Use(sheet->launchButton);
    answered = messages_->Texts();
    Use(sheet->FindWindow(wxID_OK));
  });
  TreeMenu(tree, runItem, runs::ui::kCmdRunProperties);
  EXPECT_EQ(answered, std::vector<std::string>{"All outputs up to date."});
  EXPECT_EQ(run.runLogs.size(), 1u);
}

// With the shipped preferences a run's legends read as an analyst writes them; the legend
// window's pictures are the README's (copied from the build's screenshots folder to docs/).
TEST_F(MainRoadRuns, ShippedPreferencesGiveReadableFlameLengthAndCrownFireLegends) {
  app::ui::StartupOptions options = program_test::QuickStart(folderRoot_, "ShippedPreferences");
  fs::copy_file(fs::path(PV_SOURCE_DIR) / "data" / "defaults.cfg", fs::path(options.folders->dataFolder) / "defaults.cfg");
  ASSERT_TRUE(shell_.Start(options, {SampleLcp()}));
  MainFrame* frame = shell_.Frame();
  ASSERT_TRUE(frame);
  frame->SetSize(0, 0, 1500, 900);
  widgets::FlushEvents();
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc && doc->IsLandscapeLoaded());
  const std::string fms = (fs::path(PV_BINARY_DIR) / "test-main-road-runs" / "dry.fms").string();
  std::ofstream(fms, std::ios::binary) << "0 3 4 5 40 60\n";
  WhenShown("Run : New Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CRunSheet*>(d);
    ASSERT_TRUE(sheet);
    FillInputs(sheet, fms, "20");
    sheet->SelectPage(1);
    Use(sheet->outputsPage->FindWindow(1042));  // Flame Length
    Use(sheet->outputsPage->FindWindow(1044));  // Crown Fire Activity
    runs_gui::LaunchAndWatch(sheet);
    Use(sheet->FindWindow(wxID_OK));
  });
  Command(frame, cmd::kNewRun);
  ASSERT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();
  ASSERT_EQ(doc->currentArea->runs.size(), 1u);
  CRun& run = *doc->currentArea->runs[0];
  CTheme* flame = run.FindOutputTheme(11);
  CTheme* crown = run.FindOutputTheme(15);
  ASSERT_TRUE(flame && crown);

  program_test::Command(frame, views::cmd::kViewLegend);
  views::ui::CLegendDialog* window = views::ui::CLegendDialog::Of(*doc);
  ASSERT_TRUE(window);
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  struct Shown {
    CTheme* theme;
    const char* units;
    const char* file;
  } shown[] = {{flame, "Meters", "flame-length-legend.png"}, {crown, "Class", "crown-fire-activity.png"}};
  for (const Shown& s : shown) {
    doc->SetVisibleTheme(s.theme);
    doc->RefreshMap();
    widgets::FlushEvents(3);
    const views::LegendContent& content = window->Content();
    EXPECT_EQ(content.themeName, s.theme->name);
    EXPECT_EQ(content.unitsName, s.units);
    ASSERT_GT(content.classes.size(), 2u);
    for (std::size_t i = 1; i < content.classes.size(); ++i) {
      const std::string& label = content.classes[i].label;
      const std::size_t point = label.find('.');
      // Flame length in tenths of a metre; crown fire activity in its whole classes.
      if (s.theme == flame)
        EXPECT_TRUE(point != std::string::npos ? label.size() - point <= 3 : label.size() <= 5) << label;
      else
        EXPECT_TRUE(label == "0 " || label == "1 " || label == "2 " || label == "3 ") << label;
    }
    if (s.theme == crown) EXPECT_TRUE(doc->GetVisibleThemeLegend()->IsUniqueValues());
    const wxImage shot = widgets::CaptureWindow(window);
    ASSERT_TRUE(shot.IsOk());
    EXPECT_TRUE(shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/" + s.file, wxBITMAP_TYPE_PNG));
  }
}

TEST_F(MainRoadRuns, TreeMenusOfRunItemsCopyAndDeleteRuns) {
  MainFrame* frame = Start({SampleLcp()});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc && doc->currentArea);
  auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
  auto* tree = dynamic_cast<views::ui::CPVN4View*>(child->TreePane());
  ASSERT_TRUE(tree);
  CPyrvane2WorkArea* area = doc->currentArea;
  const wxTreeItemId areaItem = tree->FindAreaItem(area);
  wxTreeItemId runsItem;
  for (wxTreeItemId c : Children(*tree, areaItem))
    if (tree->Data(c) && tree->Data(c)->type == views::ui::kTreeRunsFolder) runsItem = c;
  ASSERT_TRUE(runsItem.IsOk());

  // The Runs folder's menu opens once for its item; its New makes a run of the folder's
  // area and opens the run's sheet.
  auto closeSheet = [](wxDialog* d) { d->EndModal(wxID_CANCEL); };
  std::vector<std::string> offered;
  int menus = 0;
  tree->SetMenuChooser([&](wxMenu& menu, wxPoint) {
    ++menus;
    for (const wxMenuItem* i : menu.GetMenuItems())
      if (!i->IsSeparator()) offered.push_back(i->GetItemLabel().utf8_string());
    return runs::ui::kCmdNewRun;
  });
  WhenShown("Run : New Run", closeSheet);
  wxRect r;
  ASSERT_TRUE(tree->GetBoundingRect(runsItem, r, true));
  const wxPoint at = r.GetPosition() + wxPoint(r.width / 2, r.height / 2);
  // The event the control sends on a right click (input on this display is not reliable).
  wxTreeEvent click(wxEVT_TREE_ITEM_MENU, tree, runsItem);
  click.SetPoint(at);
  tree->GetEventHandler()->ProcessEvent(click);
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(offered, (std::vector<std::string>{"&New Pyrvane/MTT/TOM Run", "New &Embrith Run", "&Import",
                                               "&Delete All", "&Help"}));
  ASSERT_EQ(area->runs.size(), 1u);
  const wxTreeItemId first(area->runs[0]->treeItem);
  ASSERT_TRUE(first.IsOk());

  // Copy from the run's menu: the copy and its item follow, its sheet opens.
  offered.clear();
  WhenShown("Run : Copy of New Run", closeSheet);
  TreeMenu(tree, first, runs::ui::kCmdCopyRun, &offered);
  EXPECT_EQ(offered, (std::vector<std::string>{"&Delete", "&Properties", "&Help", "&Copy...", "&KMZ Output"}));
  ASSERT_EQ(area->runs.size(), 2u);
  EXPECT_EQ(ChildTexts(*tree, runsItem), (std::set<std::string>{"New Run", "Copy of New Run"}));

  // Delete asks about the item; No keeps it, Yes removes run and item together.
  TreeMenu(tree, first, runs::ui::kCmdDeleteRun);
  EXPECT_EQ(area->runs.size(), 2u);
  messages_->SetDefaultAnswer(platform::Answer::Yes);
  TreeMenu(tree, first, runs::ui::kCmdDeleteRun);
  EXPECT_EQ(area->runs.size(), 1u);
  EXPECT_EQ(ChildTexts(*tree, runsItem), std::set<std::string>{"Copy of New Run"});

  // Delete All empties the folder; a menu without a run item beneath does nothing.
  TreeMenu(tree, runsItem, runs::ui::kCmdDeleteAllRuns);
  EXPECT_TRUE(area->runs.empty());
  EXPECT_TRUE(Children(*tree, runsItem).empty());
  EXPECT_EQ(messages_->Texts(), (std::vector<std::string>{"Delete Run 'New Run'?", "Delete Run 'New Run'?",
                                                          "Delete all Runs for Analysis Area: '" + area->name + "'?"}));
  // An area item offers its own commands, no run command: one chosen there does nothing,
  // and Properties shows the area's dialog.
  offered.clear();
  TreeMenu(tree, areaItem, runs::ui::kCmdNewRun, &offered);
  EXPECT_EQ(offered, (std::vector<std::string>{"&Properties", "&Critique PDF", "Critique &HTML", "&Delete", "&Help",
                                               "Create &Landscape", "Create Landscape &KMZ"}));
  EXPECT_TRUE(area->runs.empty());
  bool shown = false;
  WhenShown(area->name, [&](wxDialog* d) {
    shown = true;
    d->EndModal(wxID_OK);
  });
  TreeMenu(tree, areaItem, 32803);
  EXPECT_TRUE(shown);
}

}  // namespace

// The arrows a run makes: ticked on the sheet, listed under the run, pointing along the
// engine's own spread and spotting directions, drawn over the map and hidden by a double-click.
TEST_F(MainRoadRuns, SpreadAndSpotArrowsListUnderTheRunAndDrawOverTheMap) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc);
  dialogs_->AnswerOpenFile(SampleLcp());
  Command(frame, views::cmd::kOpenLandscape);
  widgets::FlushEvents();
  ASSERT_TRUE(doc->IsLandscapeLoaded());
  const std::string fms = (fs::path(PV_BINARY_DIR) / "test-main-road-runs" / "arrows.fms").string();
  std::ofstream(fms, std::ios::binary) << "0 3 4 5 40 60\n";
  WhenShown("Run : New Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CRunSheet*>(d);
    ASSERT_TRUE(sheet);
    FillInputs(sheet, fms, "25");
    sheet->SelectPage(1);
    for (int id : {1260, 1055, 1053, 1054})  // spread and spot arrows, spotting direction and distance
      Use(sheet->outputsPage->FindWindow(id));
    ASSERT_TRUE(sheet->launchButton->IsEnabled());
    runs_gui::LaunchAndWatch(sheet);
    Use(sheet->FindWindow(wxID_OK));
  });
  Command(frame, cmd::kNewRun);
  EXPECT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();
  ASSERT_EQ(doc->currentArea->runs.size(), 1u);
  CRun& run = *doc->currentArea->runs[0];
  ASSERT_TRUE(run.spreadVectors);
  ASSERT_TRUE(run.maxSpotVectors);

  // Each arrow points along its cell's engine direction: spread arrows come from the opposite
  // of the maximum spread direction, spot arrows go where the embers fly.
  auto angleGap = [](double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 360.0);
    return std::min(d, 360.0 - d);
  };
  const CTheme* spotDirection = run.FindOutputTheme(31);
  const CTheme* spotDistance = run.FindOutputTheme(32);
  ASSERT_TRUE(spotDirection && spotDistance);
  int spreadChecked = 0, spotChecked = 0;
  for (int i = 0; i < run.spreadVectors->rows; ++i)
    for (int j = 0; j < run.spreadVectors->columns; ++j) {
      const CWindVectorCell& c = *run.spreadVectors->Cell(i, j);
      if (!c.IsValid()) continue;
      const double to = run.maxSpreadDirectionTheme->GetValueAt(c.x, c.y) * 180.0 / 3.141592653589793;
      EXPECT_LE(angleGap(c.direction, to + 180.0), 1.0) << i << "," << j;
      ++spreadChecked;
      const CWindVectorCell& s = *run.maxSpotVectors->Cell(i, j);
      if (!s.IsValid() || s.magnitude <= 0) continue;
      EXPECT_LE(angleGap(s.direction, spotDirection->GetValueAt(s.x, s.y)), 1.0) << i << "," << j;
      EXPECT_NEAR(s.magnitude, std::floor(spotDistance->GetValueAt(s.x, s.y)), 1.0) << i << "," << j;
      ++spotChecked;
    }
  EXPECT_GT(spreadChecked, 100);
  EXPECT_GT(spotChecked, 10);

  // Both are listed under the run, by name.
  auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
  ASSERT_TRUE(child);
  auto* tree = dynamic_cast<views::ui::CPVN4View*>(child->TreePane());
  ASSERT_TRUE(tree);
  const wxTreeItemId runItem(run.treeItem);
  const std::set<std::string> under = ChildTexts(*tree, runItem);
  EXPECT_TRUE(under.count("Spread Vectors") && under.count("Max Spot Vectors"));
  wxTreeItemId spreadItem, spotItem;
  for (wxTreeItemId c : Children(*tree, runItem)) {
    if (tree->GetItemText(c) == "Spread Vectors") spreadItem = c;
    if (tree->GetItemText(c) == "Max Spot Vectors") spotItem = c;
  }
  ASSERT_TRUE(spreadItem.IsOk() && spotItem.IsOk());
  EXPECT_EQ(tree->GetItemState(spreadItem), views::ui::kStateShown);

  // On the map: hiding both by a double-click takes the arrows away; showing the spread arrows
  // again draws them in their legend's colours over the fuel models.
  auto* map = dynamic_cast<views::ui::CMapView*>(child->MapPane());
  ASSERT_TRUE(map);
  auto activate = [&](wxTreeItemId item) {
    wxTreeEvent e(wxEVT_TREE_ITEM_ACTIVATED, tree, item);
    tree->GetEventHandler()->ProcessEvent(e);
    widgets::FlushEvents();
  };
  auto capture = [&] {
    widgets::FlushEvents();
    return widgets::CaptureWindow(map);
  };
  activate(spreadItem);
  activate(spotItem);
  EXPECT_FALSE(run.spreadVectors->visible);
  EXPECT_EQ(tree->GetItemState(spotItem), views::ui::kStateHidden);
  const wxImage bare = capture();
  activate(spreadItem);
  EXPECT_TRUE(run.spreadVectors->visible);
  const wxImage arrows = capture();
  ASSERT_TRUE(bare.IsOk() && arrows.IsOk());
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  arrows.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/spread_vectors.png", wxBITMAP_TYPE_PNG);
  const CWVLegendData* legend = doc->FindWindVectorLegend(run.spreadVectors);
  ASSERT_TRUE(legend);
  std::set<unsigned> classColours;
  for (int k = 0; k < legend->GetCount(); ++k) {
    const platform::Rgba c = platform::RgbaFromColorRef(legend->GetEntry(k).GetColor());
    classColours.insert((unsigned(c.r) << 16) | (unsigned(c.g) << 8) | c.b);
  }
  int changed = 0, inClassColours = 0;
  for (int y = 0; y < arrows.GetHeight(); ++y)
    for (int x = 0; x < arrows.GetWidth(); ++x) {
      const unsigned now = Rgb(arrows, x, y);
      if (now == Rgb(bare, x, y)) continue;
      ++changed;
      inClassColours += classColours.count(now) > 0;
    }
  EXPECT_GT(changed, 200);
  EXPECT_EQ(inClassColours, changed);
}

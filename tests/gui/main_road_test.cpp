// The program as a user first meets it: start-up as main() runs it, the sample landscape opened
// through its menu command, then the map, the tree and the status bar checked on screen.
#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "app/application.h"
#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_template.h"
#include "app/ui/project_window.h"
#include "app/ui/startup.h"
#include "platform/dialogs.h"
#include "platform/image.h"
#include "platform/messages.h"
#include "platform/services.h"
#include "platform/ui/wx_image.h"
#include "project/document.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/ui/shader_bar.h"
#include "views/view_commands.h"
#include "program_fixture.h"
#include "widgets/screenshot.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;
using program_test::Command;
using program_test::Rgb;
using program_test::SampleLcp;
using program_test::StateOf;

namespace {

std::set<std::string> TreeTexts(const wxTreeCtrl& tree, wxTreeItemId item) {
  std::set<std::string> out{tree.GetItemText(item).utf8_string()};
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree.GetFirstChild(item, cookie); c.IsOk(); c = tree.GetNextChild(item, cookie))
    out.merge(TreeTexts(tree, c));
  return out;
}

class MainRoad : public program_test::ProgramTest {
 protected:
  MainRoad() : ProgramTest("test-main-road") {}
};

TEST_F(MainRoad, SampleLandscapeOpensThroughItsCommandIntoMapTreeAndStatusBar) {
  // Background pictures load in the toolkit's formats, not only PNG.
  ASSERT_TRUE(loaderInstalled_);
  const std::string bmp = (fs::path(PV_BINARY_DIR) / "test-main-road" / "picture.bmp").string();
  fs::create_directories(fs::path(bmp).parent_path());
  wxImage picture(3, 2);
  picture.SetRGB(2, 1, 10, 200, 30);
  ASSERT_TRUE(picture.SaveFile(bmp, wxBITMAP_TYPE_BMP));
  platform::Image loaded;
  ASSERT_TRUE(GetApp().imageLoader(bmp, loaded));
  EXPECT_EQ(loaded.Width(), 3);
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  // A new, empty project window with the project's menus.
  auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
  ASSERT_TRUE(child);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc);
  ASSERT_EQ(frame->GetMenuBar(), frame->ProjectMenuBar());
  for (const char* menu : {"&File", "&View", "&Landscape", "&Analysis Area", "&Options", "&Help"})
    EXPECT_NE(frame->GetMenuBar()->FindMenu(menu), wxNOT_FOUND) << menu;
  const struct {
    int command;
    bool before, after;
  } rules[] = {
      {views::cmd::kOpenLandscape, true, false},
      {views::cmd::kSaveLandscape, false, true},
      {views::cmd::kBeginNewAnalysisArea, false, true},
      {views::cmd::kFullView, false, true},
      {views::cmd::kZoomIn, false, true},
      {views::cmd::kViewBack, false, false},
      {views::cmd::kLandscapeProperties, false, true},
      {views::cmd::kEditLandscape, false, true},
      {cmd::kPrint, false, false},
  };
  for (const auto& r : rules) EXPECT_EQ(StateOf(frame, r.command).enabled, r.before) << r.command;

  // Landscape > Open Landscape, choosing the sample.
  dialogs_->AnswerOpenFile(SampleLcp());
  Command(frame, views::cmd::kOpenLandscape);
  widgets::FlushEvents();
  EXPECT_TRUE(messages_->Texts().empty());
  ASSERT_TRUE(doc->IsLandscapeLoaded());
  ASSERT_NE(doc->GetVisibleTheme(), nullptr);
  EXPECT_EQ(doc->GetVisibleTheme()->layerType, 3);  // the fuel model
  EXPECT_EQ(child->GetTitle(), "Pyrvane1 - sample.lcp");
  for (const auto& r : rules) EXPECT_EQ(StateOf(frame, r.command).enabled, r.after) << r.command;
  EXPECT_TRUE(StateOf(frame, views::cmd::kZoomFactor10).checked);
  EXPECT_FALSE(StateOf(frame, views::cmd::kZoomFactor50).checked);
  // The shader bar follows the active project, which has an aspect layer.
  auto* bar = dynamic_cast<views::ui::CShaderBar*>(frame->ShaderBar());
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->Document(), doc);
  EXPECT_TRUE(bar->ShadingAvailable());

  // The tree lists the landscape's layers under its default area.
  auto* tree = dynamic_cast<views::ui::CPVN4View*>(child->TreePane());
  ASSERT_TRUE(tree);
  const std::set<std::string> texts = TreeTexts(*tree, tree->GetRootItem());
  for (const char* layer : {"Entire Landscape (Default)", "Elevation", "Slope", "Aspect", "Fuel Model",
                            "Canopy Cover", "Stand Height", "Canopy Base Height", "Canopy Bulk Density"})
    EXPECT_TRUE(texts.count(layer)) << layer;

  // The pointer over the map: the status bar shows where it is and the cell under it.
  auto* map = dynamic_cast<views::ui::CMapView*>(child->MapPane());
  ASSERT_TRUE(map);
  const wxPoint p(137, 151);
  wxUIActionSimulator pointer;
  pointer.MouseMove(map->ClientToScreen(p));
  for (int i = 0; i < 50 && map->LastMousePoint() != p; ++i) widgets::FlushEvents(1);
  RecordProperty("pointer", map->LastMousePoint() == p ? "moved on the display" : "sent to the map");
  if (map->LastMousePoint() != p) map->MouseMove(p, false);  // no input extension on this display
  frame->UpdateStatusPanes();
  const views::MapPoint at = map->ClientToMap(p.x, p.y);
  const float cell = doc->GetVisibleTheme()->GetValueAt(at.x, at.y);
  wxStatusBar* status = frame->GetStatusBar();
  EXPECT_EQ(status->GetStatusText(1), "Map Mode: Identify");
  EXPECT_EQ(status->GetStatusText(3), "Fuel Model");
  const wxString value = status->GetStatusText(4);
  EXPECT_EQ(value.BeforeFirst(' '), wxString::Format("%.0f", cell));
  EXPECT_EQ(status->GetStatusText(5), wxString::Format("%.0f, %.0f", at.x, at.y));
  EXPECT_TRUE(status->GetStatusText(6).StartsWith("Scale: 1 : "));

  // The window on screen: the map not blank, and cells in their legend's colours.
  const wxImage shot = widgets::CaptureWindow(frame);
  ASSERT_TRUE(shot.IsOk());
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  EXPECT_TRUE(shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/main_window.png", wxBITMAP_TYPE_PNG));
  const wxPoint origin = map->GetScreenPosition() - frame->GetScreenPosition();
  const CTheme& theme = *doc->GetVisibleTheme();
  const CThemeLegendData& legend = *doc->GetVisibleThemeLegend();
  const double s = map->Geometry().scale;
  auto legendColour = [&](wxPoint q) {
    // The image samples pixel centres.
    const views::MapPoint m = map->ClientToMap(q.x, q.y);
    const platform::Rgba c = platform::RgbaFromColorRef(
        legend.GetColor(theme.ConvertToDisplayUnits(theme.GetValueAt(m.x + 0.5 / s, m.y - 0.5 / s), legend)));
    return (unsigned(c.r) << 16) | (unsigned(c.g) << 8) | c.b;
  };
  std::set<unsigned> seen;
  int checked = 0, wrong = 0;
  const int limit = std::min(map->Geometry().totalWidth, map->Geometry().totalHeight) - 2;
  for (int y = 5; y < limit; y += 43)
    for (int x = 5; x < limit; x += 47) {
      const unsigned got = Rgb(shot, origin.x + x, origin.y + y);
      seen.insert(got);
      ++checked;
      if (got != legendColour({x, y})) ++wrong;
    }
  EXPECT_GT(checked, 40);
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(seen.size(), 3u);
  // The pixel under the pointer has the colour of the cell the status bar reports.
  const unsigned underPointer = Rgb(shot, origin.x + p.x, origin.y + p.y);
  const platform::Rgba c = platform::RgbaFromColorRef(legend.GetColor(cell));
  EXPECT_EQ(underPointer, (unsigned(c.r) << 16) | (unsigned(c.g) << 8) | c.b);
}

TEST_F(MainRoad, LandscapePathsOpenNewProjectWindowsAndProjectFilesSaySo) {
  // From the command line, by a path relative to where the program starts.
  MainFrame* frame = Start({fs::relative(SampleLcp()).string()});
  ASSERT_TRUE(frame);
  CPVN4Doc* first = ActiveProject(*frame);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->IsLandscapeLoaded());
  EXPECT_EQ(frame->GetActiveChild()->GetTitle(), "Pyrvane1 - sample.lcp");
  // The project is not the landscape file: it has no file of its own to save over.
  wxDocument* firstDoc = frame->DocManager()->GetCurrentDocument();
  ASSERT_TRUE(firstDoc);
  EXPECT_EQ(firstDoc->GetFilename(), "Pyrvane1");
  EXPECT_EQ(fs::path(frame->DocManager()->GetHistoryFile(0).utf8_string()), fs::path(SampleLcp()));

  // File > Open on the same landscape, its extension in capitals: a second project window.
  const fs::path upper = fs::path(PV_BINARY_DIR) / "test-main-road" / "SAMPLE.LCP";
  fs::copy_file(SampleLcp(), upper, fs::copy_options::overwrite_existing);
  dialogs_->AnswerOpenFile(upper.string());
  Command(frame, cmd::kOpen);
  widgets::FlushEvents();
  EXPECT_EQ(frame->DocManager()->GetDocumentsVector().size(), 2u);
  CPVN4Doc* second = ActiveProject(*frame);
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  EXPECT_TRUE(second->IsLandscapeLoaded());
  EXPECT_EQ(frame->DocManager()->GetHistoryFile(0), wxString(upper.string()));
  // The open dialog starts with projects and landscapes together, then each alone and all files.
  const auto requests = dialogs_->Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().options.filter,
            "Projects and Landscapes (*.pvn;*.lcp;*.tif)|*.pvn;*.lcp;*.tif|"
            "LCP and GeoTIFF Files (*.lcp;*.tif)|*.lcp;*.tif|Pyrvane Project Files (*.pvn)|*.pvn|"
            "All Files (*.*)|*.*||");

  // A damaged project file and a file of no known kind are refused with their reasons.
  messages_->Clear();
  const std::string project = (fs::path(PV_BINARY_DIR) / "test-main-road" / "fire.pvn").string();
  std::ofstream(project) << "project\n";
  dialogs_->AnswerOpenFile(project);
  Command(frame, cmd::kOpen);
  dialogs_->AnswerOpenFile(std::string("/tmp/notes.txt"));
  Command(frame, cmd::kOpen);
  widgets::FlushEvents();
  EXPECT_EQ(messages_->Texts(),
            (std::vector<std::string>{
                "Error: Unrecognized file format\nMissing Pyrvane6 header line.",
                "Cannot open /tmp/notes.txt: it is neither a project nor a landscape file."}));
  EXPECT_EQ(frame->DocManager()->GetDocumentsVector().size(), 2u);

  // Saving a project without a file asks for one; cancelling writes nothing.
  messages_->Clear();
  const size_t asked = dialogs_->Requests().size();
  Command(frame, cmd::kSave);
  EXPECT_TRUE(messages_->Texts().empty());
  ASSERT_EQ(dialogs_->Requests().size(), asked + 1);
  EXPECT_EQ(dialogs_->Requests().back().options.filter, "Pyrvane Project Files (*.pvn)|*.pvn||");

  // Closing a project asks about its changes through the program's messages; its panes go
  // with its window and the shader bar lets go of it.
  messages_->Clear();
  auto* bar = dynamic_cast<views::ui::CShaderBar*>(frame->ShaderBar());
  ASSERT_TRUE(bar);
  wxDocument* secondDoc = frame->DocManager()->GetCurrentDocument();
  EXPECT_TRUE(frame->DocManager()->CloseDocument(secondDoc));
  for (int i = 0; i < 50 && bar->Document() == second; ++i) widgets::FlushEvents(1);
  EXPECT_NE(bar->Document(), second);
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Save changes to Pyrvane2?"});
  EXPECT_EQ(frame->DocManager()->GetDocumentsVector().size(), 1u);

  // With no project left the frame's own menus return.
  EXPECT_TRUE(frame->DocManager()->CloseDocument(firstDoc));
  for (int i = 0; i < 50 && frame->GetMenuBar() == frame->ProjectMenuBar(); ++i) widgets::FlushEvents(1);
  EXPECT_EQ(frame->GetMenuBar()->FindMenu("&Landscape"), wxNOT_FOUND);
}

TEST_F(MainRoad, MapMenuCommandsReachTheMainWindow) {
  MainFrame* frame = Start({SampleLcp()});
  ASSERT_TRUE(frame);
  auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
  ASSERT_TRUE(child);
  auto* map = dynamic_cast<views::ui::CMapView*>(child->MapPane());
  ASSERT_TRUE(map);
  int reached = 0;
  frame->BindCommand(views::cmd::kPointAttributes, [&] { ++reached; });
  map->SetMenuChooser([](int, wxMenu&, wxPoint) { return views::cmd::kPointAttributes; });
  map->RightDown({40, 40});  // the identify mode's menu
  EXPECT_EQ(reached, 1);
  // The menu's Full View is the map's own.
  const double full = map->Geometry().scale;
  Command(frame, views::cmd::kZoomIn);
  map->SetMenuChooser([](int, wxMenu&, wxPoint) { return views::cmd::kFullView; });
  ASSERT_GT(map->Geometry().scale, full * 1.05);
  map->RightDown({40, 40});
  // Back to the whole area (the scroll bars of the zoomed map may have taken some room).
  EXPECT_NEAR(map->Geometry().scale, full, full * 0.02);
}

}  // namespace

// A project window's two panes over the sample landscape, driven through the main window's
// map tools, with its status panes and a screenshot of the whole window.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/splitter.h>

#include <filesystem>

#include "app/ui/main_frame.h"
#include "project/document.h"
#include "themes/theme.h"
#include "views/ui/map_view.h"
#include "views/ui/project_panes.h"
#include "views/ui/project_tree.h"
#include "widgets/screenshot.h"

namespace views::ui {
namespace {

namespace fs = std::filesystem;

void Command(app::ui::MainFrame* frame, int command) {
  wxCommandEvent e(wxEVT_MENU, app::ui::MainFrame::WxIdFor(command));
  frame->ProcessWindowEvent(e);
}

TEST(ProjectWindow, MainWindowToolsDriveTheActiveMapAndStatusShowsItsCell) {
  const fs::path folder = fs::path(PV_BINARY_DIR) / "views_window_test";
  fs::create_directories(folder);
  auto* main = new app::ui::MainFrame((folder / "recent").string());
  main->Show();
  CPVN4Doc doc;
  doc.title = "Pyrvane1";
  auto* window = new wxFrame(nullptr, wxID_ANY, "Pyrvane1", wxPoint(0, 0), wxSize(900, 560));
  auto* split = new wxSplitterWindow(window, wxID_ANY);
  CPVN4View* tree = CreateTreePane(split, doc);
  CMapView* map = CreateMapPane(split, doc);
  split->SplitVertically(tree, map, 260);
  window->Show();
  window->Raise();
  widgets::FlushEvents();
  CPVN4Doc* active = &doc;
  BindMapTools(*main, [&] { return active; });
  main->SetStatusProvider([&] { return MapStatus(active); });

  ASSERT_EQ(doc.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"), 1);
  widgets::FlushEvents();
  app::CommandState state;
  FillCommandState(state, &doc);
  EXPECT_TRUE(state.hasLandscape);
  EXPECT_TRUE(state.hasAspectLayer);
  EXPECT_FALSE(state.canStepBack);

  // Status panes: mode, area, theme, the value under the pointer (the theme's own cell).
  map->MouseMove({150, 140}, false);
  const MapPoint m = map->ClientToMap(150, 140);
  const float cell = doc.GetVisibleTheme()->GetValueAt(m.x, m.y);
  const app::StatusTexts t = main->UpdateStatusPanes();
  EXPECT_EQ(t.mode, "Map Mode: Identify");
  EXPECT_EQ(t.area, "Entire Landscape (Default)");
  EXPECT_EQ(t.theme, doc.GetVisibleTheme()->name);
  EXPECT_EQ(t.value.substr(0, t.value.find(' ')), wxString::Format("%.0f", cell).utf8_string());
  EXPECT_EQ(t.scale.rfind("Scale: 1 : ", 0), 0u);

  // Tools: zoom step, Back, pan mode.
  const double full = map->Geometry().scale;
  Command(main, app::cmd::kZoomInStep);
  EXPECT_NEAR(map->Geometry().scale, full * 1.1, 1e-12);
  FillCommandState(state, &doc);
  EXPECT_TRUE(state.canStepBack);
  Command(main, app::cmd::kStepBack);
  EXPECT_DOUBLE_EQ(map->Geometry().scale, full);
  Command(main, app::cmd::kPanMode);
  EXPECT_EQ(map->PointerMode(), app::kModePan);
  EXPECT_EQ(main->UpdateStatusPanes().mode, "Map Mode: Pan");
  Command(main, app::cmd::kIdentifyMode);
  // Without an active project the tools do nothing.
  active = nullptr;
  Command(main, app::cmd::kZoomInStep);
  EXPECT_DOUBLE_EQ(map->Geometry().scale, full);
  active = &doc;

  // The tree lists the layers beside the map; the picture goes with the screenshots.
  EXPECT_TRUE(tree->FindAreaItem(doc.currentArea).IsOk());
  const wxImage shot = widgets::CaptureWindow(window);
  ASSERT_TRUE(shot.IsOk());
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  shot.SaveFile((fs::path(PV_BINARY_DIR) / "screenshots" / "views_project_window.png").string(),
                wxBITMAP_TYPE_PNG);

  window->Destroy();
  main->Destroy();
  widgets::FlushEvents();
}

}  // namespace
}  // namespace views::ui

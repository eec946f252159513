// The map view on the sample landscape, driven as a user would: zooms, Back/Forward, pan,
// rubber bands, the new-area tracker, measuring and the status values.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <memory>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "views/ui/map_view.h"
#include "views/ui/measure_dialog.h"
#include "views/view_commands.h"
#include "widgets/screenshot.h"

namespace views::ui {
namespace {

std::string SampleLcp() { return std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"; }

class MapViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "map", wxPoint(20, 20), wxSize(640, 480));
    view_ = new CMapView(frame_, doc_);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(view_, 1, wxEXPAND);
    frame_->SetSizer(sizer);
    // The view's size the tests count on, whatever the window manager's decorations take.
    frame_->SetClientSize(640, 480);
    frame_->Show();
    frame_->Raise();  // above windows other tests may have left open
    frame_->Layout();
    widgets::FlushEvents();
    view_->SetMenuChooser([this](int menu, wxMenu&, wxPoint at) {
      menus_.push_back(menu);
      menuPoints_.push_back(at);
      return menuAnswer_;
    });
  }
  void TearDown() override {
    frame_->Destroy();
    widgets::FlushEvents();
  }
  void Open() {
    ASSERT_EQ(doc_.OpenLandscape(SampleLcp()), 1);
    widgets::FlushEvents();
  }
  // The legend's colour of the visible theme at a client pixel.
  platform::Rgba LegendColourAt(int x, int y) {
    const MapPoint m = view_->ClientToMap(x, y);
    // The image samples pixel centres.
    const double s = view_->Geometry().scale;
    const CTheme& t = *doc_.GetVisibleTheme();
    const CThemeLegendData& l = *doc_.GetVisibleThemeLegend();
    return platform::RgbaFromColorRef(
        l.GetColor(t.ConvertToDisplayUnits(t.GetValueAt(m.x + 0.5 / s, m.y - 0.5 / s), l)));
  }

  CPVN4Doc doc_;
  wxFrame* frame_ = nullptr;
  CMapView* view_ = nullptr;
  std::vector<int> menus_;
  std::vector<wxPoint> menuPoints_;
  int menuAnswer_ = 0;
};

TEST_F(MapViewTest, OpenedLandscapeShowsFuelModelWithLegendColours) {
  EXPECT_TRUE(view_->MapImage().IsEmpty());  // nothing to draw before a landscape
  Open();
  ASSERT_NE(doc_.GetVisibleTheme(), nullptr);
  EXPECT_EQ(doc_.GetVisibleTheme()->layerType, 3);
  // The whole area fits: the map's top-left corner is the area's.
  const MapPoint nw = view_->ClientToMap(0, 0);
  EXPECT_DOUBLE_EQ(nw.x, doc_.currentArea->west);
  EXPECT_DOUBLE_EQ(nw.y, doc_.currentArea->north);
  ASSERT_FALSE(view_->MapImage().IsEmpty());
  EXPECT_EQ(view_->MapImage().Width(), view_->GetClientSize().x + 1);

  const wxImage shot = widgets::CaptureWindow(view_);
  ASSERT_TRUE(shot.IsOk());
  std::filesystem::create_directories(std::string(PV_BINARY_DIR) + "/screenshots");
  shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/views_map_fuel_model.png", wxBITMAP_TYPE_PNG);
  // Not blank, and sampled cells carry their legend colours on screen.
  std::set<unsigned> colours;
  int checked = 0, wrong = 0;
  const int limit = std::min(view_->Geometry().totalWidth, view_->Geometry().totalHeight) - 2;
  for (int y = 3; y < limit; y += 37)
    for (int x = 3; x < limit; x += 41) {
      const platform::Rgba want = LegendColourAt(x, y);
      const unsigned got = (shot.GetRed(x, y) << 16) | (shot.GetGreen(x, y) << 8) | shot.GetBlue(x, y);
      colours.insert(got);
      ++checked;
      if (got != ((want.r << 16u) | (want.g << 8u) | want.b)) ++wrong;
    }
  EXPECT_GT(checked, 20);
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(colours.size(), 2u);

  // The status bar's value is the theme's cell under the pointer.
  view_->MouseMove({100, 120}, false);
  const app::StatusInfo s = view_->Status();
  const MapPoint m = view_->ClientToMap(100, 120);
  EXPECT_TRUE(s.hasVisibleTheme);
  EXPECT_DOUBLE_EQ(s.easting, m.x);
  EXPECT_FLOAT_EQ(static_cast<float>(s.value), doc_.GetVisibleTheme()->GetValueAt(m.x, m.y));
  EXPECT_GT(s.scaleDenominator, 0);
  // Outside the area: the no-data value.
  view_->MouseMove({view_->GetClientSize().x - 1, view_->GetClientSize().y - 1}, false);
  if (view_->Geometry().totalWidth < view_->GetClientSize().x - 2 ||
      view_->Geometry().totalHeight < view_->GetClientSize().y - 2)
    EXPECT_EQ(view_->GetValueAtCursor(), doc_.GetVisibleTheme()->noData);
}

TEST_F(MapViewTest, MenuZoomsBackForwardAndClickZooms) {
  Open();
  ASSERT_EQ(doc_.viewHistory.size(), 1u);  // the full view of the opened landscape
  const double start = view_->Geometry().scale;
  for (int i = 0; i < 3; ++i) view_->DoCommand(cmd::kZoomIn);
  EXPECT_NEAR(view_->Geometry().scale, start * 1.1 * 1.1 * 1.1, 1e-12);
  view_->DoCommand(cmd::kViewBack);
  view_->DoCommand(cmd::kViewBack);
  EXPECT_NEAR(view_->Geometry().scale, start * 1.1, 1e-12);
  view_->DoCommand(cmd::kZoomOut);
  EXPECT_EQ(doc_.viewHistory.size(), 3u);
  EXPECT_FALSE(view_->IsCommandEnabled(cmd::kViewForward));
  EXPECT_TRUE(view_->IsCommandEnabled(cmd::kViewBack));

  // A click zoom adds no record: Back returns to the previous menu view.
  view_->DoCommand(cmd::kZoomFactor50);
  for (int i = 0; i < 3; ++i) view_->DoCommand(cmd::kZoomIn);
  const double menuScale = view_->Geometry().scale;
  view_->DoCommand(cmd::kZoomOutMode);
  view_->MouseMove({200, 150}, false);
  const MapPoint before = view_->ClientToMap(200, 150);
  view_->LeftDown({200, 150});
  view_->LeftUp({200, 150});
  EXPECT_NEAR(view_->Geometry().scale, menuScale / 1.5, 1e-12);
  const MapPoint after = view_->ClientToMap(200, 150);
  EXPECT_NEAR(after.x, before.x, 1.0 / view_->Geometry().scale);
  EXPECT_NEAR(after.y, before.y, 1.0 / view_->Geometry().scale);
  view_->DoCommand(cmd::kZoomIn);
  view_->DoCommand(cmd::kZoomIn);
  view_->DoCommand(cmd::kViewBack);
  EXPECT_NEAR(view_->Geometry().scale, menuScale / 1.5 * 1.5, 1e-12);
  view_->DoCommand(cmd::kViewBack);
  EXPECT_NEAR(view_->Geometry().scale, menuScale, 1e-12);

  // Full view restores the fit and the scroll origin.
  view_->DoCommand(cmd::kFullView);
  const wxSize client = view_->GetClientSize();
  const Extent area{doc_.currentArea->north, doc_.currentArea->east, doc_.currentArea->south,
                    doc_.currentArea->west};
  EXPECT_DOUBLE_EQ(view_->Geometry().scale, FitFullExtent(area, client.x, client.y).scale);
  EXPECT_EQ(view_->Geometry().scrollX, 0);
}

TEST_F(MapViewTest, ZoomInModeBandAndClickKeepThePointUnderTheMouse) {
  Open();
  view_->DoCommand(cmd::kZoomInMode);
  for (int i = 0; i < 3; ++i) view_->DoCommand(cmd::kZoomIn);
  const std::size_t records = doc_.viewHistory.size();
  // A band of exactly 20 pixels is a click: zoom about the mouse, no record.
  const MapPoint under = view_->ClientToMap(120, 90);
  view_->LeftDown({100, 70});
  view_->MouseMove({120, 90}, true);
  view_->LeftUp({120, 90});
  const MapPoint still = view_->ClientToMap(120, 90);
  EXPECT_NEAR(still.x, under.x, 1.0 / view_->Geometry().scale);
  EXPECT_NEAR(still.y, under.y, 1.0 / view_->Geometry().scale);
  EXPECT_EQ(doc_.viewHistory.size(), records);
  // 21 pixels both ways zooms to the band, whose corner becomes the window's.
  const MapPoint corner = view_->ClientToMap(50, 40);
  view_->LeftDown({50, 40});
  view_->MouseMove({71, 61}, true);
  view_->LeftUp({71, 61});
  const MapPoint origin = view_->ClientToMap(0, 0);
  EXPECT_NEAR(origin.x, corner.x, 1.0 / view_->Geometry().scale);
  EXPECT_NEAR(origin.y, corner.y, 1.0 / view_->Geometry().scale);
  EXPECT_EQ(doc_.viewHistory.size(), records + 1);
}

TEST_F(MapViewTest, PanMovesTheMapAndRecordsOnRelease) {
  Open();
  for (int i = 0; i < 5; ++i) view_->DoCommand(cmd::kZoomIn);
  view_->DoCommand(cmd::kPanMode);
  const std::size_t records = doc_.viewHistory.size();
  const ViewGeometry g = view_->Geometry();
  view_->MouseMove({300, 200}, false);
  view_->LeftDown({300, 200});
  view_->MouseMove({280, 190}, true);
  view_->MouseMove({250, 170}, true);
  EXPECT_EQ(doc_.viewHistory.size(), records);  // nothing recorded during the drag
  view_->LeftUp({250, 170});
  EXPECT_EQ(view_->Geometry().scrollX, g.scrollX + 50);
  EXPECT_EQ(view_->Geometry().scrollY, g.scrollY + 30);
  EXPECT_EQ(doc_.viewHistory.size(), records + 1);
  // Leaving the view ends a pan; a later release does nothing more.
  view_->LeftDown({250, 170});
  view_->MouseMove({260, 175}, true);
  view_->MouseLeave();
  view_->LeftUp({260, 175});
  EXPECT_EQ(doc_.viewHistory.size(), records + 2);
}

TEST_F(MapViewTest, ScrollWheelAccumulatesSmallDeltas) {
  Open();
  for (int i = 0; i < 8; ++i) view_->DoCommand(cmd::kZoomIn);
  view_->ScrollTo(0, 0);
  const int y = view_->Geometry().scrollY;
  // Towards the user scrolls down; 4 touchpad deltas of 30 are one notch.
  for (int i = 0; i < 3; ++i) view_->Wheel(-30, 120);
  EXPECT_EQ(view_->Geometry().scrollY, y);
  view_->Wheel(-30, 120);
  EXPECT_GT(view_->Geometry().scrollY, y);
}

TEST_F(MapViewTest, ScrollBarsMoveTheMapOnReleaseOnly) {
  Open();
  for (int i = 0; i < 8; ++i) view_->DoCommand(cmd::kZoomIn);
  view_->ScrollTo(0, 0);
  const std::size_t records = doc_.viewHistory.size();
  auto send = [this](wxEventType type, int pos, int orientation) {
    wxScrollWinEvent e(type, pos, orientation);
    e.SetEventObject(view_);
    view_->ProcessWindowEvent(e);
  };
  // Dragging the thumb moves nothing; releasing it scrolls there and records one view.
  send(wxEVT_SCROLLWIN_THUMBTRACK, 120, wxHORIZONTAL);
  EXPECT_EQ(view_->Geometry().scrollX, 0);
  send(wxEVT_SCROLLWIN_THUMBRELEASE, 120, wxHORIZONTAL);
  EXPECT_EQ(view_->Geometry().scrollX, 120);
  EXPECT_EQ(doc_.viewHistory.size(), records + 1);
  // A page down moves a client height; the top and bottom stay inside the extent.
  send(wxEVT_SCROLLWIN_PAGEDOWN, 0, wxVERTICAL);
  EXPECT_EQ(view_->Geometry().scrollY, view_->GetClientSize().y);
  send(wxEVT_SCROLLWIN_BOTTOM, 0, wxVERTICAL);
  EXPECT_EQ(view_->Geometry().scrollY, view_->Geometry().totalHeight - view_->GetClientSize().y);
  send(wxEVT_SCROLLWIN_LINEUP, 0, wxHORIZONTAL);
  send(wxEVT_SCROLLWIN_TOP, 0, wxHORIZONTAL);
  EXPECT_EQ(view_->Geometry().scrollX, 0);
  EXPECT_EQ(doc_.viewHistory.size(), records + 5);
  // The image follows the scrolled position.
  const MapPoint p = view_->ClientToMap(0, 0);
  EXPECT_DOUBLE_EQ(p.x, doc_.currentArea->west);
}

TEST_F(MapViewTest, IdentifyBandMakesANewAnalysisArea) {
  Open();
  platform::ScopedRecordingMessages messages;
  doc_.SetVisibleTheme(doc_.GetThemeByLayerType(0));
  // A small band opens nothing.
  view_->LeftDown({40, 40});
  view_->LeftUp({60, 60});
  EXPECT_TRUE(menus_.empty());
  // While the menu is open the band stays drawn: its dotted top edge is on the screen.
  auto bandDots = [&] {
    const wxImage shot = widgets::CaptureWindow(view_);
    int dots = 0;
    for (int y = 39; y <= 41; ++y)
      for (int x = 40; x <= 140; ++x) dots += shot.GetRed(x, y) + shot.GetGreen(x, y) + shot.GetBlue(x, y) < 150;
    return dots;
  };
  const int dotsBefore = bandDots();
  int dotsWhileOpen = 0;
  view_->SetMenuChooser([&](int menu, wxMenu&, wxPoint at) {
    menus_.push_back(menu);
    menuPoints_.push_back(at);
    widgets::FlushEvents(3);  // the open menu's own loop paints the window meanwhile
    dotsWhileOpen = bandDots();
    return static_cast<int>(cmd::kNewAnalysisArea);
  });
  view_->LeftDown({40, 40});
  view_->MouseMove({140, 120}, true);
  view_->LeftUp({140, 120});
  ASSERT_EQ(menus_, std::vector<int>{132});
  EXPECT_GE(dotsWhileOpen, dotsBefore + 30);
  EXPECT_EQ(menuPoints_[0], wxPoint(140, 120));
  ASSERT_EQ(doc_.areas.size(), 2u);
  CPyrvane2WorkArea* area = doc_.areas.back().get();
  EXPECT_EQ(doc_.currentArea, area);
  EXPECT_EQ(area->name, "New Analysis Area");
  EXPECT_EQ(area->legends.size(), doc_.gridThemes.size());
  EXPECT_EQ(doc_.GetVisibleTheme()->layerType, 3);  // back to the fuel model
  // The new area fills the window.
  const MapPoint nw = view_->ClientToMap(0, 0);
  EXPECT_DOUBLE_EQ(nw.x, area->west);
  EXPECT_DOUBLE_EQ(nw.y, area->north);
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(MapViewTest, RightPressAndShapeModes) {
  Open();
  // Identify: the press point is kept and menu 144 opens there; its Full View is the map's.
  view_->DoCommand(cmd::kZoomIn);
  menuAnswer_ = cmd::kFullView;
  view_->RightDown({77, 66});
  EXPECT_EQ(menus_, std::vector<int>{144});
  EXPECT_EQ(view_->IdentifyPoint(), wxPoint(77, 66));
  EXPECT_EQ(view_->Geometry().scrollX, 0);
  EXPECT_EQ(doc_.viewHistory.size(), 3u);

  // Polygons: a right press closes the ring only from three points on.
  view_->DoCommand(app::cmd::kCreatePolygonsMode);
  EXPECT_EQ(view_->PointerMode(), 6);
  for (wxPoint p : {wxPoint(10, 10), wxPoint(60, 10)}) view_->LeftDown(p);
  view_->RightDown({60, 60});
  EXPECT_EQ(doc_.shapeInProgress.size(), 2u);
  view_->LeftDown({60, 60});
  view_->RightDown({60, 60});
  ASSERT_EQ(doc_.shapes.size(), 1u);
  ASSERT_EQ(doc_.shapes[0].size(), 4u);
  EXPECT_DOUBLE_EQ(doc_.shapes[0].back().x, doc_.shapes[0].front().x);
  EXPECT_DOUBLE_EQ(doc_.shapes[0].back().y, doc_.shapes[0].front().y);
  EXPECT_FALSE(doc_.shapesSaved);
  // Another kind waits until the shapes are cleared.
  platform::ScopedRecordingMessages messages;
  view_->DoCommand(app::cmd::kCreatePointsMode);
  EXPECT_EQ(view_->PointerMode(), 6);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"You must clear the current polygons  before creating points"});
  view_->DoCommand(32929);  // Shape > Clear
  EXPECT_TRUE(doc_.shapes.empty());
  // Points finish at once; lines on a double-click from two points.
  view_->DoCommand(app::cmd::kCreatePointsMode);
  view_->LeftDown({30, 30});
  EXPECT_EQ(doc_.shapes.size(), 1u);
  view_->DoCommand(32929);
  view_->DoCommand(app::cmd::kCreateLinesMode);
  view_->LeftDown({30, 30});
  view_->LeftDoubleClick({30, 30});
  EXPECT_EQ(doc_.shapes.size(), 0u);
  view_->LeftDown({90, 30});
  view_->LeftDoubleClick({90, 30});
  EXPECT_EQ(doc_.shapes.size(), 1u);
  EXPECT_TRUE(doc_.shapeInProgress.empty());
  EXPECT_EQ(menus_.size(), 1u);  // no menu in the shape modes
}

TEST_F(MapViewTest, DrawnShapesAreSavedAndReopenEqualAndDrawnAsATheme) {
  Open();
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  wxUIActionSimulator pointer;
  // A click on the display; sent to the map when the display takes no simulated input.
  auto click = [&](wxPoint p, bool right = false) {
    const std::size_t before = doc_.shapes.size() + doc_.shapeInProgress.size();
    pointer.MouseMove(view_->ClientToScreen(p));
    pointer.MouseClick(right ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_LEFT);
    for (int i = 0; i < 20 && doc_.shapes.size() + doc_.shapeInProgress.size() == before; ++i)
      widgets::FlushEvents(1);
    if (doc_.shapes.size() + doc_.shapeInProgress.size() != before) return;
    if (right) view_->RightDown(p);
    else view_->LeftDown(p);
  };
  struct Kind {
    int command;
    std::vector<wxPoint> clicks;
    bool finishWithRight;
  };
  // Clockwise on the map, as shapefiles wind outer rings.
  const Kind kinds[] = {
      {app::cmd::kCreatePointsMode, {{40, 40}, {90, 70}}, false},
      {app::cmd::kCreateLinesMode, {{30, 100}, {120, 110}, {160, 60}}, true},
      {app::cmd::kCreatePolygonsMode, {{50, 50}, {150, 50}, {150, 150}}, true},
  };
  for (const Kind& k : kinds) {
    view_->DoCommand(cmd::kShapeClear);
    view_->DoCommand(k.command);
    for (wxPoint p : k.clicks) click(p);
    if (k.finishWithRight) view_->RightDown(k.clicks.back());
    widgets::FlushEvents(2);
    ASSERT_TRUE(doc_.shapeInProgress.empty()) << k.command;
    const std::string path = std::string(PV_BINARY_DIR) + "/drawn_" + std::to_string(k.command) + ".shp";
    dialogs.AnswerSaveFile(path);
    view_->DoCommand(cmd::kShapeSaveToFile);
    ASSERT_TRUE(doc_.shapesSaved) << k.command;

    CVectorTheme reopened;
    ASSERT_EQ(reopened.LoadShapefile(path, doc_.landscape.projection), 1);
    ASSERT_EQ(reopened.ShapeCount(), static_cast<int>(doc_.shapes.size()));
    for (std::size_t i = 0; i < doc_.shapes.size(); ++i) {
      const VectorShape& s = *reopened.shapes[i];
      ASSERT_EQ(s.x.size(), doc_.shapes[i].size());
      for (std::size_t j = 0; j < s.x.size(); ++j) {
        EXPECT_EQ(s.x[j], doc_.shapes[i][j].x);
        EXPECT_EQ(s.y[j], doc_.shapes[i][j].y);
      }
    }
    if (k.command == app::cmd::kCreatePolygonsMode) {
      // The polygon as a theme of the map, drawn over the raster in its own colour.
      auto theme = std::make_unique<CVectorTheme>();
      ASSERT_EQ(theme->LoadShapefile(path, doc_.landscape.projection), 1);
      theme->polygonColor = 0xFF00FF;
      theme->polygonWidth = 3;
      doc_.AddVectorTheme(std::move(theme));
      view_->DoCommand(cmd::kShapeClear);
      view_->RedrawMap();
      int magenta = 0;
      for (int x = 60; x < 140; ++x)
        for (int y = 46; y <= 54; ++y) magenta += view_->MapImage().GetPixel(x, y) == platform::Rgba{255, 0, 255, 255};
      EXPECT_EQ(magenta, 80 * 3);  // a 3-pixel pen along the top edge
    }
  }
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(MapViewTest, AreaTrackerMovesAndCreatesOrCancels) {
  Open();
  platform::ScopedRecordingMessages messages;
  view_->BeginAreaTracker();
  ASSERT_TRUE(view_->TrackerActive());
  // Drag the corner handle out, then move the whole box; other modes do not matter.
  view_->DoCommand(cmd::kPanMode);
  view_->LeftDown({30, 30});
  view_->MouseMove({130, 100}, true);
  view_->LeftUp({130, 100});
  view_->LeftDown({50, 50});
  view_->MouseMove({60, 70}, true);
  view_->LeftUp({60, 70});
  EXPECT_EQ(view_->TrackerBox().left, 13);
  EXPECT_EQ(view_->TrackerBox().bottom, 120);
  EXPECT_EQ(doc_.viewHistory.size(), 1u);  // no pan happened
  // Right press = double-click: in pan mode it does nothing; in identify it opens menu 133.
  view_->DoCommand(cmd::kIdentifyMode);
  menuAnswer_ = cmd::kCancelAnalysisArea;
  view_->RightDown({70, 70});
  EXPECT_EQ(menus_, std::vector<int>{133});
  EXPECT_FALSE(view_->TrackerActive());
  EXPECT_EQ(doc_.areas.size(), 1u);

  view_->BeginAreaTracker();
  menuAnswer_ = cmd::kCreateNewAnalysisArea;
  view_->LeftDoubleClick({10, 10});
  EXPECT_EQ(doc_.areas.size(), 2u);
  EXPECT_FALSE(view_->TrackerActive());
}

TEST_F(MapViewTest, MeasureWindowFollowsClicksModesAndClose) {
  Open();
  view_->DoCommand(cmd::kMeasure);
  CMeasureDialog* m = view_->MeasureWindow();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->IsShown());
  EXPECT_EQ(view_->PointerMode(), 7);
  EXPECT_FALSE(m->AreaShown());
  // Clicks append map points.
  view_->LeftDown({10, 10});
  view_->LeftDown({110, 10});
  ASSERT_EQ(doc_.measurePoints.size(), 2u);
  const MapPoint a = view_->ClientToMap(10, 10), b = view_->ClientToMap(110, 10);
  EXPECT_EQ(m->LengthText(), wxString::Format("%.2f", b.x - a.x));

  // The 3-4-5 triangle on this metre landscape.
  doc_.measurePoints = {{0, 0}, {3000, 0}, {3000, 4000}};
  m->LengthUnits()->SetSelection(2);
  m->Recalculate();
  EXPECT_EQ(m->LengthText(), "7.00");
  m->ChooseMode(CMeasureDialog::kPolygon);
  EXPECT_TRUE(doc_.measurePoints.empty());  // switching mode drops the points
  EXPECT_EQ(view_->PointerMode(), 8);
  EXPECT_EQ(m->LengthLabel(), "Perimeter:");
  EXPECT_TRUE(m->AreaShown());
  doc_.measurePoints = {{0, 0}, {3000, 0}, {3000, 4000}};
  m->AreaUnits()->SetSelection(3);
  m->Recalculate();
  EXPECT_EQ(m->LengthText(), "12.00");
  EXPECT_EQ(m->AreaText(), "600.00");
  // On a landscape in feet, metres selected.
  doc_.landscape.header.gridUnits = 1;
  m->ChooseMode(CMeasureDialog::kLine);
  doc_.measurePoints = {{0, 0}, {3000, 0}, {3000, 4000}};
  m->LengthUnits()->SetSelection(0);
  m->Recalculate();
  EXPECT_EQ(m->LengthText(), "2133.60");
  doc_.landscape.header.gridUnits = 0;

  // Another mode command drops the measure line; closing returns to Identify and keeps the
  // window, which comes back with its mode and units and an empty list.
  m->ChooseMode(CMeasureDialog::kPolygon);
  doc_.measurePoints = {{0, 0}, {1, 1}};
  m->CloseMeasure();
  EXPECT_FALSE(m->IsShown());
  EXPECT_EQ(view_->PointerMode(), 3);
  EXPECT_TRUE(doc_.measurePoints.empty());
  view_->DoCommand(cmd::kMeasure);
  EXPECT_EQ(view_->MeasureWindow(), m);
  EXPECT_EQ(view_->PointerMode(), 8);
  EXPECT_EQ(m->LengthText(), "0.00");
  EXPECT_EQ(m->AreaText(), "0.0");
  EXPECT_EQ(m->LengthUnits()->GetSelection(), 0);
  view_->DoCommand(cmd::kPanMode);
  EXPECT_EQ(view_->PointerMode(), 2);
}

}  // namespace
}  // namespace views::ui

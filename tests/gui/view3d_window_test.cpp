// The 3D window on the sample landscape, drawn by the GL software renderer: opened from the
// map's identify menu, a textured and lit surface in its snapshot, turned with the mouse,
// the options applied, saved, and closed; a device that cannot be had closes only it; clicks
// in the project tree rebuild it; frames follow the frame timer; a desktop no window can be
// drawn on gets the whole screen.
#include <gtest/gtest.h>
#include <wx/glcanvas.h>
#include <wx/spinctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

#include "app/ui/project_window.h"
#include "platform/ui/wx_image.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/ui/terrain_options.h"
#include "views/ui/terrain_view.h"

namespace {

namespace fs = std::filesystem;
using views::ui::C3DDialog;

class View3D : public program_test::ProgramTest {
 protected:
  View3D() : ProgramTest("test-view3d") {}

  void TearDown() override {
    views::ui::SetRequiredGlVersion(3, 3);
    views::ui::SetPlatformReportFilter({});
    views::ui::SetFrameClock({}, 0);
    ProgramTest::TearDown();
  }

  // Started on the sample with the map's identify menu choosing 3D Window.
  C3DDialog* OpenFromIdentifyMenu() {
    frame_ = Start({program_test::SampleLcp()});
    if (!frame_) return nullptr;
    doc_ = app::ui::ActiveProject(*frame_);
    views::ui::CMapView* map = doc_ ? views::ui::FindMapView(doc_) : nullptr;
    if (!map) return nullptr;
    GetApp().threeDAvailable = 1;  // what the start-up probe finds on this display
    map->SetPointerMode(app::kModeIdentify);
    map->SetMenuChooser([&](int, wxMenu& menu, wxPoint) {
      const wxMenuItem* item = menu.FindItem(C3DDialog::kCommand - 30000);
      offered_ = item && item->IsEnabled();
      return C3DDialog::kCommand;
    });
    map->RightDown({60, 60});
    C3DDialog* view = C3DDialog::Of(*doc_);
    for (int i = 0; view && i < 100 && !view->Ready(); ++i) widgets::FlushEvents(1);
    return view;
  }

  // The centre block of a snapshot.
  static std::vector<platform::Rgba> Centre(const platform::Image& image, int half) {
    std::vector<platform::Rgba> out;
    for (int y = image.Height() / 2 - half; y <= image.Height() / 2 + half; ++y)
      for (int x = image.Width() / 2 - half; x <= image.Width() / 2 + half; ++x) out.push_back(image.GetPixel(x, y));
    return out;
  }

  app::ui::MainFrame* frame_ = nullptr;
  CPVN4Doc* doc_ = nullptr;
  bool offered_ = false;
};

int Distance(platform::Rgba a, platform::Rgba b) {
  return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

// Pixels of a sample grid that differ clearly between two pictures of one size.
int Changed(const platform::Image& a, const platform::Image& b) {
  int n = 0;
  for (int y = 0; y < a.Height(); y += 4)
    for (int x = 0; x < a.Width(); x += 4) n += Distance(a.GetPixel(x, y), b.GetPixel(x, y)) > 20;
  return n;
}

TEST_F(View3D, OpensFromTheIdentifyMenuAndDrawsTheTexturedLitSurface) {
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(offered_);
  ASSERT_TRUE(view->Ready());
  EXPECT_TRUE(view->IsShown());
  EXPECT_TRUE(messages_->Texts().empty());
  // What GL and the X server offer: at least one combination and one mode.
  EXPECT_FALSE(view->Catalog().combinations.empty());
  EXPECT_FALSE(view->Catalog().modes.empty());
  EXPECT_GT(view->Rows(), 1u);
  EXPECT_GT(view->Columns(), 1u);
  EXPECT_GT(view->Mesh().faces, 0u);
  EXPECT_TRUE(view->HasTexture());
  EXPECT_EQ(view->VertexLimit(), 1000000u);
  EXPECT_TRUE(view->Uses32BitIndices());

  const platform::Image lit = view->Snapshot();
  ASSERT_FALSE(lit.IsEmpty());
  // Not blank: the surface covers the centre, and the picture holds more than one colour.
  const platform::Rgba sky{0xB5, 0xB5, 0xFF, 255};
  std::set<std::uint32_t> colours;
  for (int y = 0; y < lit.Height(); y += 7)
    for (int x = 0; x < lit.Width(); x += 7) {
      const platform::Rgba p = lit.GetPixel(x, y);
      colours.insert((p.r << 16) | (p.g << 8) | p.b);
    }
  EXPECT_GT(colours.size(), 5u);
  for (const platform::Rgba& p : Centre(lit, 4)) EXPECT_GT(Distance(p, sky), 10);

  // With white ambient light nothing is darkened: the centre shows the map picture's own
  // colours. The map picture at the texture's size holds them.
  {
    views::ui::C3DPropertySheet sheet(view, *view);
    sheet.Page()->Ambient()->SetColor(0x00FFFFFF);
    ASSERT_TRUE(sheet.Page()->OnApply());
  }
  EXPECT_EQ(view->ambient, 0x00FFFFFFu);
  const platform::Image bright = view->Snapshot();
  ASSERT_FALSE(bright.IsEmpty());
  platform::Image map;
  const CPyrvane2WorkArea& a = *doc_->currentArea;
  const views::TextureSize t = views::TextureRect(view->Rows(), view->Columns(), view->textureDensity, 16384);
  doc_->DrawMapImage(map, a.west, a.north, a.east, a.south, PixelRect{0, 0, t.width, t.height});
  ASSERT_FALSE(map.IsEmpty());
  std::set<std::uint32_t> palette;
  std::vector<platform::Rgba> paletteColours;
  for (int y = 0; y < map.Height(); ++y)
    for (int x = 0; x < map.Width(); ++x) {
      const platform::Rgba p = map.GetPixel(x, y);
      if (palette.insert((p.r << 16) | (p.g << 8) | p.b).second) paletteColours.push_back(p);
    }
  int matching = 0;
  const std::vector<platform::Rgba> centre = Centre(bright, 4);
  for (const platform::Rgba& p : centre) {
    int best = 255;
    for (const platform::Rgba& c : paletteColours) best = std::min(best, Distance(p, c));
    if (best <= 6) ++matching;
  }
  // Texels between two classes blend; most of the centre is one class or another.
  EXPECT_GE(matching * 10, static_cast<int>(centre.size()) * 7);
  // The directional light and grey ambient only ever darken those colours, and somewhere do.
  ASSERT_EQ(lit.Width(), bright.Width());
  int darker = 0, lighter = 0;
  for (int y = 0; y < lit.Height(); y += 3)
    for (int x = 0; x < lit.Width(); x += 3) {
      const platform::Rgba d = lit.GetPixel(x, y), b = bright.GetPixel(x, y);
      if (Distance(b, sky) == 0) continue;
      darker += d.r + d.g + d.b + 24 < b.r + b.g + b.b;
      lighter += d.r > b.r + 2 || d.g > b.g + 2 || d.b > b.b + 2;
    }
  EXPECT_EQ(lighter, 0);
  EXPECT_GT(darker, 0);
}

TEST_F(View3D, AGreyAmbientLightLightsAsTheSameColouredOne) {
  // A grey ambient light takes a leaner way through the device than a coloured one; the
  // channels the two lights share must come out byte for byte the same.
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  auto shotUnder = [&](std::uint32_t ambient) {
    views::ui::C3DPropertySheet sheet(view, *view);
    sheet.Page()->Ambient()->SetColor(ambient);
    EXPECT_TRUE(sheet.Page()->OnApply());
    return view->Snapshot();
  };
  // The second light is one step brighter in a single channel.
  const platform::Image grey = shotUnder(0x00444444), coloured = shotUnder(0x00454444);
  ASSERT_FALSE(grey.IsEmpty());
  ASSERT_EQ(grey.Width(), coloured.Width());
  ASSERT_EQ(grey.Height(), coloured.Height());
  int changed[3] = {0, 0, 0}, darker = 0;
  for (int y = 0; y < grey.Height(); ++y)
    for (int x = 0; x < grey.Width(); ++x) {
      const platform::Rgba g = grey.GetPixel(x, y), c = coloured.GetPixel(x, y);
      changed[0] += g.r != c.r;
      changed[1] += g.g != c.g;
      changed[2] += g.b != c.b;
      darker += c.r < g.r || c.g < g.g || c.b < g.b;
    }
  EXPECT_EQ(darker, 0);
  std::sort(std::begin(changed), std::end(changed));
  EXPECT_EQ(changed[0], 0);
  EXPECT_EQ(changed[1], 0);
  EXPECT_GT(changed[2], 0);
}

TEST_F(View3D, TheMouseTurnsPansAndDolliesTheSurface) {
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  wxGLCanvas* canvas = view->Canvas();
  const wxSize size = canvas->GetClientSize();
  const platform::Image before = view->Snapshot();
  const views::math::Quat q0 = view->Trackball().CurrentQuaternion();

  auto send = [&](wxEventType type, int x, int y, bool left, bool right = false) {
    wxMouseEvent e(type);
    e.SetPosition({x, y});
    e.m_leftDown = left;
    e.m_rightDown = right;
    e.SetEventObject(canvas);
    canvas->GetEventHandler()->ProcessEvent(e);
  };
  send(wxEVT_LEFT_DOWN, size.x / 2, size.y / 2, true);
  send(wxEVT_MOTION, size.x / 2 + size.x / 4, size.y / 2, true);
  send(wxEVT_LEFT_UP, size.x / 2 + size.x / 4, size.y / 2, false);
  widgets::FlushEvents(2);
  const views::math::Quat q1 = view->Trackball().CurrentQuaternion();
  EXPECT_GT(std::abs(q1.y - q0.y) + std::abs(q1.w - q0.w), 0.05f);
  const platform::Image turned = view->Snapshot();
  int changed = 0;
  for (int y = 0; y < before.Height(); y += 5)
    for (int x = 0; x < before.Width(); x += 5) changed += Distance(before.GetPixel(x, y), turned.GetPixel(x, y)) > 20;
  EXPECT_GT(changed, 50);

  // A right drag upwards takes the surface away.
  send(wxEVT_RIGHT_DOWN, 10, size.y - 10, false, true);
  send(wxEVT_MOTION, 10, 10, false, true);
  send(wxEVT_RIGHT_UP, 10, 10, false, false);
  EXPECT_GT(view->Trackball().TranslationMatrix().m[3][2], 0.0f);
  EXPECT_TRUE(messages_->Texts().empty());
}

TEST_F(View3D, OptionsRefuseWhatIsNotANumberAndApplyTheRest) {
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  auto heightRange = [&] {
    float lo = 1e30f, hi = -1e30f;
    for (const views::TerrainVertex& v : view->Mesh().vertices) {
      lo = std::min(lo, v.y);
      hi = std::max(hi, v.y);
    }
    return hi - lo;
  };
  const float range = heightRange();
  ASSERT_GT(range, 0);

  views::ui::C3DPropertySheet sheet(view, *view);
  views::ui::C3DPropertyPage* page = sheet.Page();
  // The defaults, as the page shows them.
  EXPECT_EQ(page->Exaggeration()->GetValue(), "1");
  EXPECT_EQ(page->Azimuth()->GetValue(), "315");
  EXPECT_EQ(page->Inclination()->GetValue(), "75");
  EXPECT_EQ(page->Density()->GetValue(), 400);
  EXPECT_EQ(page->VectorExaggeration()->GetValue(), 100);
  EXPECT_EQ(page->Background()->GetColor(), 0x00FFB5B5u);  // RGB 181, 181, 255 as 0x00BBGGRR
  EXPECT_EQ(page->Ambient()->GetColor(), 0x00444444u);
  EXPECT_EQ(page->Info(0)->GetValue(), "1000000");
  EXPECT_EQ(page->Info(1)->GetValue(), std::to_string(view->Rows()));
  EXPECT_EQ(page->Info(3)->GetValue(), "true");
  EXPECT_FALSE(page->Modified());

  page->Exaggeration()->SetValue("tall");
  EXPECT_TRUE(page->Modified());
  EXPECT_FALSE(page->OnApply());
  ASSERT_EQ(messages_->Texts().size(), 1u);
  EXPECT_NE(messages_->Texts()[0].find("Vertical Exaggeration"), std::string::npos);
  EXPECT_EQ(view->exaggeration, 1.0f);

  page->Exaggeration()->SetValue("2");
  page->Azimuth()->SetValue("720");  // taken as typed
  page->Background()->SetColor(0x00000000);
  page->Density()->SetValue(10);
  ASSERT_TRUE(page->OnApply());
  EXPECT_EQ(view->exaggeration, 2.0f);
  EXPECT_EQ(view->azimuth, 720.0f);
  EXPECT_EQ(view->background, 0u);
  EXPECT_DOUBLE_EQ(view->textureDensity, 0.1);
  EXPECT_NEAR(heightRange(), 2 * range, range * 1e-4);
  EXPECT_TRUE(view->HasTexture());
  // The new background shows in the corner.
  const platform::Image shot = view->Snapshot();
  const platform::Rgba corner = shot.GetPixel(1, 1);
  EXPECT_EQ(corner.r + corner.g + corner.b, 0);
}

TEST_F(View3D, SaveAsWritesTheKnownFormatsAndRefusesOthers) {
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  const fs::path folder = fs::path(PV_BINARY_DIR) / "test-view3d" / "saved";
  fs::create_directories(folder);
  for (const char* name : {"view.PNG", "view.bmp", "view.dib", "view.jpg"}) {
    const fs::path path = folder / name;
    fs::remove(path);
    dialogs_->AnswerSaveFile(path.string());
    view->OnFileSaveAs();
    ASSERT_TRUE(fs::exists(path)) << name;
  }
  // A device-independent bitmap is a bitmap file.
  fs::copy_file(folder / "view.dib", folder / "copy.bmp", fs::copy_options::overwrite_existing);
  platform::Image png;
  ASSERT_TRUE(platform::ui::LoadImageFile((folder / "view.PNG").string(), png));
  EXPECT_EQ(png.Width(), view->Canvas()->GetClientSize().x);
  platform::Image dib;
  ASSERT_TRUE(platform::ui::LoadImageFile((folder / "copy.bmp").string(), dib));
  EXPECT_TRUE(messages_->Texts().empty());

  const fs::path jpeg = folder / "view.jpeg";
  dialogs_->AnswerSaveFile(jpeg.string());
  view->OnFileSaveAs();
  EXPECT_FALSE(fs::exists(jpeg));
  ASSERT_EQ(messages_->Texts().size(), 1u);
  EXPECT_EQ(messages_->Texts()[0],
            "Unrecognized image file format specified.\nPlease specify on of the available formats (bmp, jgp, png, dib)");
}

TEST_F(View3D, CloseAndDeviceFailuresEndOnlyTheWindow) {
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  // A second 3D Window shows the same window.
  C3DDialog::On3DWindow(frame_, *doc_);
  EXPECT_EQ(C3DDialog::Of(*doc_), view);
  wxCommandEvent close(wxEVT_MENU, app::MenuIdFor(C3DDialog::kClose));
  view->ProcessWindowEvent(close);
  widgets::FlushEvents(3);
  EXPECT_EQ(C3DDialog::Of(*doc_), nullptr);
  EXPECT_TRUE(messages_->Texts().empty());

  // No GL of the version asked for: a message, no 3D window, the project open.
  views::ui::SetRequiredGlVersion(9, 9);
  C3DDialog::On3DWindow(frame_, *doc_);
  widgets::FlushEvents(3);
  EXPECT_EQ(C3DDialog::Of(*doc_), nullptr);
  ASSERT_EQ(messages_->Texts().size(), 1u);
  EXPECT_EQ(messages_->Texts()[0].rfind("Could not initialize", 0), 0u);
  EXPECT_NE(messages_->Texts()[0].find("The 3D window will now close."), std::string::npos);
  EXPECT_EQ(app::ui::ActiveProject(*frame_), doc_);
  EXPECT_TRUE(frame_->IsShown());

  // Closing the project closes its 3D window.
  views::ui::SetRequiredGlVersion(3, 3);
  C3DDialog::On3DWindow(frame_, *doc_);
  ASSERT_NE(C3DDialog::Of(*doc_), nullptr);
  frame_->GetActiveChild()->Close(true);
  widgets::FlushEvents(3);
  std::size_t left = 0;
  for (wxWindow* w : wxTopLevelWindows) left += dynamic_cast<C3DDialog*>(w) != nullptr;
  EXPECT_EQ(left, 0u);
}

// What the tree's clicks choose for the map, the 3D window shows: another theme of the area,
// a theme of another area (its cells), and an overlay shown or hidden by a double-click.
TEST_F(View3D, TreeClicksAndOverlayDoubleClicksRebuildTheSurface) {
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  views::ui::CPVN4View* tree = views::ui::FindTreeView(doc_);
  ASSERT_NE(tree, nullptr);
  std::function<wxTreeItemId(wxTreeItemId, const std::function<bool(const views::ui::CTreeItem&)>&)> find =
      [&](wxTreeItemId parent, const std::function<bool(const views::ui::CTreeItem&)>& match) -> wxTreeItemId {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk(); c = tree->GetNextChild(parent, cookie)) {
      if (const views::ui::CTreeItem* d = tree->Data(c); d && match(*d)) return c;
      if (const wxTreeItemId inner = find(c, match); inner.IsOk()) return inner;
    }
    return {};
  };
  auto themeItem = [&](const CTheme* theme, const CPyrvane2WorkArea* area) {
    return find(tree->RootItem(), [&](const views::ui::CTreeItem& d) {
      return d.type == views::ui::kTreeAreaTheme && d.theme == theme && d.area == area;
    });
  };
  // A left click on the item's label, as the mouse gives it.
  auto click = [&](wxTreeItemId item) {
    tree->EnsureVisible(item);
    widgets::FlushEvents(2);
    wxRect r;
    ASSERT_TRUE(tree->GetBoundingRect(item, r, true));
    for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
      wxMouseEvent e(type);
      e.SetPosition(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
      e.m_leftDown = type == wxEVT_LEFT_DOWN;
      e.SetEventObject(tree);
      tree->GetEventHandler()->ProcessEvent(e);
    }
    widgets::FlushEvents(3);
  };

  CPyrvane2WorkArea* first = doc_->currentArea;
  const std::uint32_t firstRows = view->Rows();
  const platform::Image fuel = view->Snapshot();
  CTheme* slope = doc_->GetThemeByLayerType(1);
  ASSERT_NE(slope, doc_->GetVisibleTheme());
  const wxTreeItemId slopeItem = themeItem(slope, first);
  ASSERT_TRUE(slopeItem.IsOk());
  click(slopeItem);
  EXPECT_EQ(doc_->GetVisibleTheme(), slope);
  const platform::Image sloped = view->Snapshot();
  ASSERT_EQ(sloped.Width(), fuel.Width());
  EXPECT_GT(Changed(fuel, sloped), 100);

  // A smaller area made current elsewhere; a click on a theme of the first area brings its
  // cells back.
  const CHeaderData& h = doc_->landscape.header;
  CPyrvane2WorkArea* second = doc_->CreateWorkArea(h.north - 300, h.west + 900, h.north - 900, h.west + 300, "Ridge");
  ASSERT_NE(second, nullptr);
  doc_->UpdateAllViews();
  ASSERT_EQ(doc_->currentArea, second);
  EXPECT_LT(view->Rows(), firstRows);
  click(themeItem(doc_->GetThemeByLayerType(0), first));
  EXPECT_EQ(doc_->currentArea, first);
  EXPECT_EQ(view->Rows(), firstRows);
  EXPECT_EQ(doc_->GetVisibleTheme(), doc_->GetThemeByLayerType(0));

  // A contour overlay: its double-click shows or hides it on the map, and on the surface.
  auto contour = MakeOwnedTheme(new CContourTheme);
  ASSERT_TRUE(contour->Create(doc_->GetThemeByLayerType(0), 20, nullptr, nullptr));
  contour->color = 0x000000FF;
  contour->lineWidth = 3;
  CContourTheme* lines = contour.get();
  doc_->AddContourTheme(std::move(contour));
  doc_->UpdateAllViews();
  const wxTreeItemId contourItem = find(tree->RootItem(), [&](const views::ui::CTreeItem& d) { return d.contour == lines; });
  ASSERT_TRUE(contourItem.IsOk());
  const bool shown = lines->visible;
  const long builds = view->Builds();
  EXPECT_TRUE(tree->ActivateItem(contourItem));
  widgets::FlushEvents(2);
  EXPECT_NE(lines->visible, shown);
  EXPECT_EQ(view->Builds(), builds + 1);
  EXPECT_TRUE(messages_->Texts().empty());
}

// Frames follow the frame timer: one asked for within the tick of the last draws nothing, and
// is drawn once the clock has moved on; paused (iconised), paints show the scene without a frame.
TEST_F(View3D, AFrameAskedForWithinOneTickDrawsNothing) {
  std::int64_t now = 1000000;
  views::ui::SetFrameClock([&now] { return now; }, 1000);
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  ASSERT_TRUE(view->Active());
  now += 1;
  const long drawn = view->FramesDrawn();
  EXPECT_TRUE(view->RenderFrame());
  EXPECT_FALSE(view->RenderFrame());
  EXPECT_EQ(view->FramesDrawn(), drawn + 1);
  // A paint in the same tick draws nothing until the clock moves; then the frame follows.
  view->Canvas()->Refresh(false);
  widgets::FlushEvents(3);
  EXPECT_EQ(view->FramesDrawn(), drawn + 1);
  now += 1;
  for (int i = 0; i < 100 && view->FramesDrawn() == drawn + 1; ++i) widgets::FlushEvents(1);
  EXPECT_EQ(view->FramesDrawn(), drawn + 2);

  wxIconizeEvent iconised(view->GetId(), true);
  view->ProcessWindowEvent(iconised);
  EXPECT_FALSE(view->Active());
  now += 5;
  EXPECT_FALSE(view->RenderFrame());  // time stands still while paused
  wxIconizeEvent restored(view->GetId(), false);
  view->ProcessWindowEvent(restored);
  EXPECT_TRUE(view->Active());
  now += 1;
  EXPECT_TRUE(view->RenderFrame());
}

// A desktop of 8 bits a pixel, on which no configuration draws in a window, with a display
// mode of 24 bits: the 3D window takes the whole screen in that mode, without its menu, draws
// the surface there, and Escape closes it.
TEST_F(View3D, WithoutAWindowOnTheDesktopTheWindowTakesTheWholeScreen) {
  views::ui::SetPlatformReportFilter([](views::PlatformReport& r) {
    r.modes.push_back({r.screenWidth, r.screenHeight, 0, 24});
    r.current.bitsPerPixel = 8;
    r.screenDepth = 8;
  });
  C3DDialog* view = OpenFromIdentifyMenu();
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->Ready());
  EXPECT_TRUE(view->FullScreenDevice());
  EXPECT_TRUE(view->IsFullScreen());
  EXPECT_FALSE(view->GetMenuBar() && view->GetMenuBar()->IsShown());
  const wxSize screen = wxGetDisplaySize();
  auto covers = [&] {
    const wxSize s = view->Canvas()->GetClientSize();
    return s.x >= screen.x && s.y >= screen.y;
  };
  for (int i = 0; i < 100 && !covers(); ++i) widgets::FlushEvents(1);
  EXPECT_TRUE(covers()) << view->Canvas()->GetClientSize().x << "x" << view->Canvas()->GetClientSize().y;
  const platform::Image shot = view->Snapshot();
  ASSERT_GE(shot.Width(), screen.x);
  for (const platform::Rgba& p : Centre(shot, 4)) EXPECT_GT(Distance(p, platform::Rgba{0xB5, 0xB5, 0xFF, 255}), 10);

  wxKeyEvent escape(wxEVT_CHAR_HOOK);
  escape.m_keyCode = WXK_ESCAPE;
  escape.SetEventObject(view);
  view->ProcessWindowEvent(escape);
  widgets::FlushEvents(3);
  EXPECT_EQ(C3DDialog::Of(*doc_), nullptr);
  EXPECT_TRUE(messages_->Texts().empty());
}

}  // namespace

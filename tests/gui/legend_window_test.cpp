// The legend window on the sample landscape: View Legend from the map's identify menu and
// the View menu, its classes and units, following the visible theme, and Save as...
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>

#include <filesystem>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "dialog_helpers.h"
#include "program_fixture.h"
#include "project/document.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/ui/overlay_dialogs.h"
#include "themes/vector_theme.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/legend_window.h"
#include "widgets/table_grid_window.h"
#include "views/ui/map_view.h"
#include "views/view_commands.h"

namespace {

namespace fs = std::filesystem;
using views::ui::CLegendDialog;

class LegendWindow : public program_test::ProgramTest {
 protected:
  LegendWindow() : ProgramTest("test-legend-window") {}
};

TEST_F(LegendWindow, ViewLegendShowsTheVisibleThemeAndFollowsIt) {
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_NE(frame, nullptr);
  CPVN4Doc* doc = app::ui::ActiveProject(*frame);
  ASSERT_NE(doc, nullptr);
  views::ui::CMapView* map = views::ui::FindMapView(doc);
  ASSERT_NE(map, nullptr);
  EXPECT_TRUE(program_test::StateOf(frame, views::cmd::kViewLegend).enabled);
  EXPECT_FALSE(program_test::StateOf(frame, views::cmd::kViewLegend).checked);

  // The map's identify menu opens it.
  map->SetPointerMode(app::kModeIdentify);
  bool offered = false;
  map->SetMenuChooser([&](int, wxMenu& menu, wxPoint) {
    const wxMenuItem* item = menu.FindItem(views::cmd::kViewLegend - 30000);
    offered = item && item->IsEnabled();
    return views::cmd::kViewLegend;
  });
  map->RightDown({40, 40});
  widgets::FlushEvents(3);
  EXPECT_TRUE(offered);
  CLegendDialog* legend = CLegendDialog::Of(*doc);
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->IsShown());
  EXPECT_TRUE(program_test::StateOf(frame, views::cmd::kViewLegend).checked);
  const CThemeLegendData* fuel = doc->GetVisibleThemeLegend();
  ASSERT_NE(fuel, nullptr);
  ASSERT_EQ(static_cast<int>(legend->Content().classes.size()), fuel->GetCount());
  EXPECT_EQ(legend->Content().classes[0].label, "No Data");
  EXPECT_EQ(legend->ThemeButton()->GetLabel().utf8_string(), doc->GetVisibleTheme()->name);
  EXPECT_TRUE(legend->ThemeButton()->IsEnabled());
  EXPECT_EQ(legend->GetTitle().utf8_string(), doc->title + " Legend");

  // Another visible theme: the window follows it, with that layer's units.
  CTheme* elevation = doc->GetThemeByLayerType(0);
  ASSERT_NE(elevation, nullptr);
  doc->SetVisibleTheme(elevation);
  doc->RefreshMap();
  widgets::FlushEvents(2);
  EXPECT_EQ(legend->Content().themeName, elevation->name);
  ASSERT_GT(legend->Units()->GetCount(), 1u);
  const std::string before = legend->Content().classes.back().label;
  const bool wasModified = doc->IsModified();
  const int other = legend->Units()->GetSelection() == 0 ? 1 : 0;
  legend->Units()->SetSelection(other);
  wxCommandEvent choice(wxEVT_CHOICE, legend->Units()->GetId());
  choice.SetInt(other);
  choice.SetEventObject(legend->Units());
  legend->Units()->ProcessWindowEvent(choice);
  EXPECT_EQ(doc->GetVisibleThemeLegend()->GetUnits(), other);
  EXPECT_NE(legend->Content().classes.back().label, before);
  EXPECT_EQ(doc->IsModified(), wasModified);

  // Save as...: the picture as PNG; a folder that does not exist is said.
  const fs::path dir = fs::temp_directory_path() / "legend-window";
  fs::create_directories(dir);
  const std::string png = (dir / "legend.png").string();
  dialogs_->AnswerSaveFile(png);
  legend->OnSaveAs();
  platform::Image read;
  ASSERT_TRUE(read.LoadPng(png));
  EXPECT_GT(read.Height(), 3 * 10);
  messages_->Clear();
  EXPECT_FALSE(legend->SaveAs((dir / "missing" / "legend.png").string()));
  ASSERT_EQ(messages_->Texts().size(), 1u);
  EXPECT_NE(messages_->Texts()[0].find("missing/legend.png"), std::string::npos);

  // View > Legend hides and shows the same window.
  program_test::Command(frame, views::cmd::kViewLegend);
  widgets::FlushEvents(2);
  EXPECT_FALSE(legend->IsShown());
  program_test::Command(frame, views::cmd::kViewLegend);
  widgets::FlushEvents(2);
  EXPECT_EQ(CLegendDialog::Of(*doc), legend);
  EXPECT_TRUE(legend->IsShown());
  fs::remove_all(dir);
}

// The dialog shown modally next, found and driven from within its own loop.
void WhenCreatorShows(std::function<void(views::ui::CLegendCreatorDialog&)> drive) {
  wxTheApp->CallAfter([drive] {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<views::ui::CLegendCreatorDialog*>(w); d && d->IsModal()) {
        drive(*d);
        if (d->IsModal()) d->OnCancel();
        return;
      }
    ADD_FAILURE() << "no legend creator shown";
  });
}

TEST_F(LegendWindow, CreatorFromTheThemeButtonRecoloursAClassAndTheMapFollows) {
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_NE(frame, nullptr);
  CPVN4Doc* doc = app::ui::ActiveProject(*frame);
  ASSERT_NE(doc, nullptr);
  program_test::Command(frame, views::cmd::kViewLegend);
  widgets::FlushEvents(2);
  CLegendDialog* legend = CLegendDialog::Of(*doc);
  ASSERT_NE(legend, nullptr);
  views::ui::CMapView* map = views::ui::FindMapView(doc);
  ASSERT_NE(map, nullptr);
  CThemeLegendData* fuel = doc->GetVisibleThemeLegend();
  ASSERT_GT(fuel->GetCount(), 2);
  const COLORREF chosen = 0x00A0B0C0;  // not a colour of the sample's legend
  const float value = fuel->GetEntry(1).GetValue();

  // Cancel leaves the legend alone.
  WhenCreatorShows([&](views::ui::CLegendCreatorDialog& d) {
    EXPECT_EQ(d.Table()->Grid().GetRowCount(), fuel->GetCount() + 1);
  });
  legend->ThemeButton()->ProcessWindowEvent(*std::make_unique<wxCommandEvent>(wxEVT_BUTTON, legend->ThemeButton()->GetId()));
  widgets::FlushEvents(2);
  EXPECT_NE(fuel->GetEntry(1).GetColor(), chosen);

  // The first class's colour cell, edited through the colour dialog, then OK.
  dialogs_->AnswerColour(chosen);
  WhenCreatorShows([&](views::ui::CLegendCreatorDialog& d) {
    d.Table()->Grid().OnEditCell(2, 1, gridmodel::Point{-1, -1}, gridmodel::kKeyLButton);
    EXPECT_EQ(d.Creator().RowColour(2), chosen);
    d.OnOK();
  });
  legend->ThemeButton()->ProcessWindowEvent(*std::make_unique<wxCommandEvent>(wxEVT_BUTTON, legend->ThemeButton()->GetId()));
  widgets::FlushEvents(3);
  fuel = doc->GetVisibleThemeLegend();
  EXPECT_EQ(fuel->GetEntry(1).GetColor(), chosen);
  EXPECT_FLOAT_EQ(fuel->GetEntry(1).GetValue(), value);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(legend->Content().classes[1].colour, chosen);
  // The map is drawn again in the new colour.
  const platform::Image& image = map->MapImage();
  const platform::Rgba want = platform::RgbaFromColorRef(chosen);
  int found = 0;
  for (int y = 0; y < image.Height(); y += 2)
    for (int x = 0; x < image.Width(); x += 2) found += image.GetPixel(x, y) == want;
  EXPECT_GT(found, 0);
}

// Two projects open: each legend window has a place of its own and describes its own
// project's map, after a new analysis area, after Save As, and with vector themes whose
// buttons open their properties.
TEST_F(LegendWindow, EachOfTwoProjectsLegendFollowsItsOwnMap) {
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_NE(frame, nullptr);
  CPVN4Doc* a = app::ui::ActiveProject(*frame);
  ASSERT_NE(a, nullptr);
  program_test::Command(frame, views::cmd::kViewLegend);
  ASSERT_TRUE(frame->OpenFile(wxString::FromUTF8(program_test::SampleLcp())));
  widgets::FlushEvents();
  CPVN4Doc* b = app::ui::ActiveProject(*frame);
  ASSERT_TRUE(b && b != a);
  program_test::Command(frame, views::cmd::kViewLegend);
  widgets::FlushEvents();
  CLegendDialog* legendA = CLegendDialog::Of(*a);
  CLegendDialog* legendB = CLegendDialog::Of(*b);
  ASSERT_TRUE(legendA && legendB && legendA != legendB);
  EXPECT_NE(legendA->GetScreenPosition(), legendB->GetScreenPosition());
  // The first window shows every class: its rows fit without scrolling.
  for (CLegendDialog* legend : {legendA, legendB})
    EXPECT_GE(legend->Rows()->GetClientSize().y, legend->Rows()->GetVirtualSize().y);

  // B shows elevation; A keeps its fuel model.
  CTheme* elevationB = b->GetThemeByLayerType(0);
  b->SetVisibleTheme(elevationB);
  b->RefreshMap();
  widgets::FlushEvents(3);
  EXPECT_EQ(legendB->Content().themeName, elevationB->name);
  EXPECT_EQ(legendA->Content().themeName, a->GetVisibleTheme()->name);
  EXPECT_NE(legendA->Content().themeName, elevationB->name);

  // A new analysis area drawn on A's map shows the fuel model: so does A's legend.
  views::ui::CMapView* mapA = views::ui::FindMapView(a);
  ASSERT_TRUE(mapA);
  a->SetVisibleTheme(a->GetThemeByLayerType(0));
  a->RefreshMap();
  widgets::FlushEvents(2);
  mapA->SetPointerMode(app::kModeIdentify);
  mapA->SetMenuChooser([](int, wxMenu&, wxPoint) { return static_cast<int>(views::cmd::kNewAnalysisArea); });
  mapA->LeftDown({30, 30});
  mapA->MouseMove({160, 140}, true);
  mapA->LeftUp({160, 140});
  widgets::FlushEvents(3);
  ASSERT_EQ(a->areas.size(), 2u);
  EXPECT_EQ(a->GetVisibleTheme()->layerType, 3);
  EXPECT_EQ(legendA->Content().themeName, a->GetVisibleTheme()->name);
  EXPECT_EQ(legendA->Content().classes.size(), static_cast<std::size_t>(a->GetVisibleThemeLegend()->GetCount()));
  EXPECT_EQ(legendB->Content().themeName, elevationB->name);

  // Save As renames A: its legend's caption follows.
  const fs::path dir = fs::path(PV_BINARY_DIR) / "test-legend-window" / "two";
  fs::create_directories(dir);
  frame->ActivateNext();  // A's window is the active one again
  widgets::FlushEvents(2);
  if (app::ui::ActiveProject(*frame) != a) frame->ActivatePrevious();
  widgets::FlushEvents(2);
  ASSERT_EQ(app::ui::ActiveProject(*frame), a);
  dialogs_->AnswerSaveFile((dir / "north.pvn").string());
  program_test::Command(frame, app::cmd::kSaveAs);
  widgets::FlushEvents(3);
  EXPECT_EQ(legendA->GetTitle().utf8_string(), "north Legend");
  EXPECT_NE(legendB->GetTitle().utf8_string(), "north Legend");

  // A vector theme gets a button beside the classes; it opens the theme's properties, and
  // OK there redraws the legend.
  auto roads = std::make_unique<CVectorTheme>();
  roads->name = "Roads and Trails of the North Ridge Treatment Units";
  roads->shapeType = 3;
  a->AddVectorTheme(std::move(roads));
  a->NotifyChanged();
  widgets::FlushEvents(3);
  ASSERT_EQ(legendA->OverlayButtons().size(), 1u);
  EXPECT_TRUE(legendB->OverlayButtons().empty());
  wxButton* button = legendA->OverlayButtons()[0];
  EXPECT_GE(button->GetPosition().x, legendA->Layout().swatchRight);
  EXPECT_GE(button->GetSize().x, button->GetBestSize().x);
  bool seen = false;
  dialog_test::WhenModal<themes::ui::VectorPropertiesDialog>([&](themes::ui::VectorPropertiesDialog& d) {
    EXPECT_EQ(&d.theme, a->vectorThemes.back().get());
    d.titleEdit->SetValue("Roads");
    d.OnOK();
  }, &seen);
  wxCommandEvent click(wxEVT_BUTTON, button->GetId());
  click.SetEventObject(button);
  button->ProcessWindowEvent(click);
  widgets::FlushEvents(4);
  EXPECT_TRUE(seen);
  EXPECT_EQ(a->vectorThemes.back()->name, "Roads");
  ASSERT_EQ(legendA->OverlayButtons().size(), 1u);
  EXPECT_EQ(legendA->OverlayButtons()[0]->GetLabel(), "Roads");
  fs::remove_all(dir);
}

}  // namespace

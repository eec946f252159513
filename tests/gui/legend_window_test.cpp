// The legend window on the sample landscape: View Legend from the map's identify menu and
// the View menu, its classes and units, following the visible theme, and Save as...
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>

#include <filesystem>

#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "program_fixture.h"
#include "project/document.h"
#include "themes/legend.h"
#include "themes/theme.h"
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

}  // namespace

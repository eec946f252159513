// Every label, button, choice and grid heading of the dialogs and pages is as large as its
// text needs: nothing the user must read is clipped at the sizes they open with.
#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/notebook.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "app/ui/preferences_sheet.h"
#include "app/ui/project_window.h"
#include "gridmodel/ug_cell.h"
#include "gridmodel/ug_ctrl.h"
#include "landscape/ui/landscape_editor.h"
#include "program_fixture.h"
#include "project/work_area.h"
#include "runs/ui/embrith_gustforge_dialog.h"
#include "runs/ui/embrith_sheet.h"
#include "runs/ui/gustforge_dialog.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/ui/theme_stats_sheet.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/legend_window.h"
#include "views/ui/terrain_options.h"
#include "views/ui/terrain_view.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "widgets/cellgrid/ug_window.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "views/ui/map_view.h"
#include "views/ui/measure_dialog.h"
#include "views/view_commands.h"
#include "widgets/screenshot.h"

namespace {

void Shot(wxWindow* w, const std::string& name) {
  const wxImage shot = widgets::CaptureWindow(w);
  std::filesystem::create_directories(std::filesystem::path(PV_BINARY_DIR) / "screenshots");
  if (shot.IsOk()) shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/" + name + ".png", wxBITMAP_TYPE_PNG);
}

// The shown controls of a window whose text could be cut, each narrower or lower than it needs.
std::vector<std::string> Clipped(wxWindow* top) {
  std::vector<std::string> out;
  std::function<void(wxWindow*)> visit = [&](wxWindow* w) {
    for (wxWindow* c : w->GetChildren()) {
      if (!c->IsShown()) continue;
      const bool worded = dynamic_cast<wxButton*>(c) || dynamic_cast<wxStaticText*>(c) ||
                          dynamic_cast<wxCheckBox*>(c) || dynamic_cast<wxRadioButton*>(c) ||
                          dynamic_cast<wxChoice*>(c) || dynamic_cast<wxSpinCtrl*>(c);
      if (worded) {
        const wxSize best = c->GetBestSize(), size = c->GetSize();
        if (size.x < best.x || size.y < best.y)
          out.push_back(wxString(c->GetClassInfo()->GetClassName()).utf8_string() + " '" + c->GetLabel().utf8_string() +
                        "' " + std::to_string(size.x) + "x" + std::to_string(size.y) + " < " +
                        std::to_string(best.x) + "x" + std::to_string(best.y));
      }
      // A grid's headings fit their columns.
      if (auto* grid = dynamic_cast<widgets::CUGWindow*>(c)) {
        gridmodel::CUGCtrl& g = grid->Grid();
        for (int col = 0; col < g.GetColCount(); ++col) {
          gridmodel::CUGCell cell;
          g.GetCell(col, -1, &cell);
          const std::string heading = cell.GetText() ? cell.GetText() : "";
          const int need = grid->MeasureTextWidth(heading, cell.GetFont() >= 0 ? cell.GetFont() : g.GetDefaultFont());
          if (!heading.empty() && g.GetColWidth(col) < need)
            out.push_back("heading '" + heading + "' " + std::to_string(g.GetColWidth(col)) + " < " +
                          std::to_string(need));
        }
      }
      visit(c);
    }
  };
  visit(top);
  return out;
}

// Each page of a notebook dialog, shown in turn, has nothing clipped.
void ExpectEveryPageFits(wxWindow* dialog, wxBookCtrlBase* book, const std::string& name) {
  dialog->Show();
  widgets::FlushEvents(3);
  const size_t pages = book ? book->GetPageCount() : 1;
  for (size_t i = 0; i < pages; ++i) {
    if (book) book->SetSelection(i);
    widgets::FlushEvents(3);
    SCOPED_TRACE(name + (book ? " / " + book->GetPageText(i).utf8_string() : std::string()));
    EXPECT_EQ(Clipped(dialog), std::vector<std::string>{});
    Shot(dialog, name + "_" + std::to_string(i));
  }
}

TEST(LabelsFit, EveryPageOfTheRunSheet) {
  runs_gui::Project p;
  auto* sheet = new runs::ui::CRunSheet(nullptr, p.run);
  sheet->Show();
  widgets::FlushEvents(3);
  for (size_t i = 0; i < sheet->book->GetPageCount(); ++i) {
    sheet->SelectPage(static_cast<int>(i));
    widgets::FlushEvents(3);
    SCOPED_TRACE(sheet->book->GetPageText(i).utf8_string());
    EXPECT_EQ(Clipped(sheet), std::vector<std::string>{});
    Shot(sheet, "run_sheet_" + std::to_string(i));
  }
  sheet->Destroy();
  widgets::FlushEvents(2);
}

// One page of each kind: Application, a layer type, vector themes, wind vectors. Every
// control also lies inside its page.
TEST(LabelsFit, ThePreferencesSheetsPages) {
  auto* sheet = new app::ui::CPreferencesSheet(nullptr, "Preferences", 0);
  sheet->Show();
  widgets::FlushEvents(3);
  for (int i : {0, 1, 2, 3}) {
    ASSERT_TRUE(sheet->SelectPage(i));
    widgets::FlushEvents(3);
    SCOPED_TRACE(sheet->PageTitle(i));
    EXPECT_EQ(Clipped(sheet), std::vector<std::string>{});
    wxWindow* page = sheet->Page(i);
    const wxRect inside(wxPoint(0, 0), page->GetClientSize());
    for (wxWindow* c : page->GetChildren())
      EXPECT_TRUE(inside.Contains(c->GetRect())) << wxString(c->GetClassInfo()->GetClassName()).utf8_string()
                                                 << " '" << c->GetLabel().utf8_string() << "'";
    Shot(sheet, "preferences_" + std::to_string(i));
  }
  sheet->Destroy();
  widgets::FlushEvents(2);
}

class MeasureLabels : public program_test::ProgramTest {
 protected:
  MeasureLabels() : ProgramTest("test-labels-fit") {}
};

TEST_F(MeasureLabels, TheMeasureWindowInBothModes) {
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_TRUE(frame);
  views::ui::CMapView* map = views::ui::FindMapView(app::ui::ActiveProject(*frame));
  ASSERT_TRUE(map);
  map->DoCommand(views::cmd::kMeasure);
  widgets::FlushEvents(3);
  views::ui::CMeasureDialog* measure = map->MeasureWindow();
  ASSERT_TRUE(measure);
  for (int mode : {views::ui::CMeasureDialog::kLine, views::ui::CMeasureDialog::kPolygon}) {
    measure->ChooseMode(mode);
    widgets::FlushEvents(3);
    SCOPED_TRACE(mode);
    EXPECT_EQ(Clipped(measure), std::vector<std::string>{});
    Shot(measure, "measure_" + std::to_string(mode));
  }
}

// The dialogs a run opens, each at the size it opens with.
TEST(LabelsFit, TheRunDialogsAndTheFireGrowthSheet) {
  runs_gui::Project p;
  {
    auto* sheet = new runs::ui::CEmbrithRunSheet(nullptr, p.run);
    ExpectEveryPageFits(sheet, sheet->book, "embrith_sheet");
    sheet->Destroy();
  }
  {
    auto* d = new runs::ui::CEmbrithGustforgeDialog(nullptr, p.run);
    ExpectEveryPageFits(d, nullptr, "embrith_gustforge");
    d->Destroy();
  }
  {
    auto* d = new runs::ui::CGustforgeDialog(nullptr, p.run);
    ExpectEveryPageFits(d, nullptr, "gustforge");
    d->Destroy();
  }
  {
    auto* d = new weather::ui::CWXSEditDialog(nullptr);
    ExpectEveryPageFits(d, nullptr, "wxs_editor");
    d->Destroy();
  }
  widgets::FlushEvents(2);
}

class ProjectLabels : public program_test::SampleProgramTest {
 protected:
  ProjectLabels() : SampleProgramTest("test-labels-fit") {}
};

// The windows of a project: legend window and legend creator, statistics, landscape editor
// and the 3D window's options.
TEST_F(ProjectLabels, TheLegendStatisticsEditorAnd3DWindows) {
  program_test::Command(frame_, views::cmd::kViewLegend);
  widgets::FlushEvents(3);
  views::ui::CLegendDialog* legend = views::ui::CLegendDialog::Of(*doc_);
  ASSERT_TRUE(legend);
  ExpectEveryPageFits(legend, nullptr, "legend_window");
  {
    auto* d = new views::ui::CLegendCreatorDialog(frame_, *doc_->GetVisibleTheme(), *doc_->GetVisibleThemeLegend(),
                                                  doc_->currentArea);
    ExpectEveryPageFits(d, nullptr, "legend_creator");
    d->Destroy();
  }
  {
    auto* d = new views::ui::CGetLegendNameDialog(frame_, {});
    ExpectEveryPageFits(d, nullptr, "legend_name");
    d->Destroy();
  }
  {
    CTheme& theme = *doc_->GetVisibleTheme();
    auto* d = new themes::ui::CpropSheetThemeStats(theme, *doc_->GetVisibleThemeLegend(),
                                                   doc_->currentArea->GetThemeRect(&theme).Window(), 0, doc_->landscape.projection,
                                                   theme.name + " Statistics", frame_);
    ExpectEveryPageFits(d, d->Pages(), "statistics");
    d->Destroy();
  }
  {
    auto* d = new landscape::ui::CLandscapeEditDialog(frame_, *doc_);
    ExpectEveryPageFits(d, nullptr, "landscape_editor");
    d->Destroy();
  }
  GetApp().threeDAvailable = 1;  // what the start-up probe finds on this display
  views::ui::C3DDialog::On3DWindow(frame_, *doc_);
  views::ui::C3DDialog* view = views::ui::C3DDialog::Of(*doc_);
  ASSERT_TRUE(view);
  for (int i = 0; i < 100 && !view->Ready(); ++i) widgets::FlushEvents(1);
  {
    auto* sheet = new views::ui::C3DPropertySheet(view, *view);
    ExpectEveryPageFits(sheet, nullptr, "3d_options");
    sheet->Destroy();
  }
  widgets::FlushEvents(2);
}

}  // namespace

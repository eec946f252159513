// Every label, button and choice of the run sheet's pages and of the measure window is as
// large as its text needs: nothing the user must read is clipped at the sizes they open with.
#include <gtest/gtest.h>
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
#include "program_fixture.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "views/ui/map_view.h"
#include "views/ui/measure_dialog.h"
#include "views/view_commands.h"
#include "widgets/screenshot.h"

namespace {

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
      visit(c);
    }
  };
  visit(top);
  return out;
}

void Shot(wxWindow* w, const std::string& name) {
  const wxImage shot = widgets::CaptureWindow(w);
  std::filesystem::create_directories(std::filesystem::path(PV_BINARY_DIR) / "screenshots");
  if (shot.IsOk()) shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/" + name + ".png", wxBITMAP_TYPE_PNG);
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

}  // namespace

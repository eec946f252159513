// The weather stream editor reached from the run sheet's Inputs page: Create WXS makes a stream
// that is edited, graphed, saved and checked, and then conditions the run's fuel moistures;
// Edit WXS reopens it.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/datectrl.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/timectrl.h>
#include <wx/uiaction.h>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "themes/theme.h"
#include "weather/ui/wxs_bulk_edit_dialog.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "weather/ui/wxs_graph_dialog.h"
#include "widgets/screenshot.h"

using runs::ui::CRunInputsPage;
using runs::ui::CRunSheet;
using runs_gui::Use;
using weather::ui::CWXSEditDialog;

namespace {

void UseMenu(CRunInputsPage* page, int buttonId, int item) {
  page->menuChooser = [item](int) { return item; };
  Use(page->FindWindow(buttonId));
  page->menuChooser = nullptr;
}

void SelectByName(wxChoice* c, const char* name) {
  c->SetSelection(c->FindString(name));
  wxCommandEvent e(wxEVT_CHOICE, c->GetId());
  e.SetEventObject(c);
  c->GetEventHandler()->ProcessEvent(e);
}

}  // namespace

TEST(WxsEditorWindow, CreateWxsMakesAStreamThatConditionsTheRun) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  p.run->inputs.fuelMoistureFile = p.Write("a.fms", "0 6 7 8 60 90\n");
  auto* sheet = new CRunSheet(nullptr, p.run);
  CRunInputsPage* page = sheet->inputsPage;
  Use(page->streamRadio);
  const std::string wxs = (p.dir / "made.wxs").string();
  int rows = 0, graphDays = 0;
  std::string title, statement;

  runs_gui::WhenShown("Select Start Date and Number of Records", [&](wxDialog* d) {
    auto* ask = static_cast<weather::ui::CRecordDateDlg*>(d);
    ask->datePicker->SetValue(wxDateTime(5, wxDateTime::Jun, 2011));
    ask->timePicker->SetTime(6, 0, 0);
    ask->countEdit->SetValue("24");
    runs_gui::WhenShown("Create New WXS File", [&](wxDialog* e) {
      auto* editor = static_cast<CWXSEditDialog*>(e);
      weather::WxCUG& grid = editor->model.grid;
      // A second day copied from the first through the Records menu.
      grid.GotoCell(1, 0);
      editor->recordsChooser = [] { return static_cast<int>(CWXSEditDialog::kAppendDayCopyLast); };
      Use(editor->FindWindow(CWXSEditDialog::kRecords));
      rows = grid.GetRowCount();
      // Values typed into cells, then the temperature of every record set by the bulk edit.
      for (long r = 0; r < grid.GetRowCount(); ++r) {
        grid.SetCellText(grid.colRH, r, "30");
        grid.SetCellText(grid.colSpeed, r, "5");
      }
      runs_gui::WhenShown("Edit Wxs Values", [&](wxDialog* b) {
        auto* bulk = static_cast<weather::ui::CWxsBulkEditDlg*>(b);
        SelectByName(bulk->target, "Temperature");
        bulk->constant->SetValue("70");
        statement = bulk->statement->GetValue().utf8_string();
        Use(bulk->FindWindow(weather::ui::CWxsBulkEditDlg::kApplyAll));
        bulk->EndModal(wxID_CANCEL);
      });
      Use(editor->FindWindow(CWXSEditDialog::kBulkEdit));
      runs_gui::WhenShown("Weather Stream Graph", [&](wxDialog* g) {
        auto* graph = static_cast<weather::ui::CWxsGraphDlg*>(g);
        graphDays = graph->Paging().dayCount;
        Use(graph->FindWindow(weather::ui::CWxsGraphDlg::kForward));
        graph->EndModal(wxID_OK);
      });
      Use(editor->FindWindow(CWXSEditDialog::kGraph));
      title = editor->GetTitle().utf8_string();
      dialogs.AnswerSaveFile(wxs);
      Use(editor->FindWindow(wxID_OK));
    });
    Use(d->FindWindow(wxID_OK));
  });
  UseMenu(page, 1476, CRunInputsPage::kCreateWxs);
  EXPECT_EQ(title, "Create New WXS File");
  EXPECT_EQ(rows, 48);
  EXPECT_EQ(graphDays, 3);  // 06:00 on 5 June to 05:00 on 7 June
  EXPECT_EQ(statement, "Set Temperature = 70");
  EXPECT_EQ(page->wxsFile, wxs);

  CWxStream s;
  ASSERT_EQ(s.Read(wxs), 48);
  platform::OleDateTime first, last;
  std::string message;
  EXPECT_TRUE(s.Validate(first, last, message)) << message;
  EXPECT_EQ(s.records[47].temperature, 70);
  EXPECT_EQ(s.records[47].humidity, 30);
  EXPECT_EQ(page->conditioningStart, platform::OleDateTime(2011, 6, 5, 6, 0, 0));
  // The period was taken at the editor's first fill, before the second day was appended.
  EXPECT_EQ(page->conditioningEnd, platform::OleDateTime(2011, 6, 6, 5, 0, 0));
  const std::vector<std::string> told = messages.Texts();
  EXPECT_NE(std::find(told.begin(), told.end(), "48 records were updated"), told.end());

  // The stream conditions the run: its moisture outputs come out of the launch.
  runs_gui::Choose(page->crownCombo, 0);
  sheet->SelectPage(1);
  Use(sheet->outputsPage->FindWindow(1048));  // 1hr Fuel Moisture
  Use(sheet->outputsPage->FindWindow(1042));  // Flame Length
  ASSERT_TRUE(sheet->launchButton->IsEnabled()) << sheet->StatusText(0) << " / " << sheet->StatusText(1);
  // The monitor samples the engine's phase once a poll, so a short conditioning may never be
  // shown; the moisture grid below is what proves it ran.
  const std::vector<std::string> seen = runs_gui::LaunchAndWatch(sheet);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().rfind("Execution complete. Run time: ", 0), 0u) << seen.back();
  EXPECT_TRUE(p.run->inputs.useWeatherStream);
  EXPECT_EQ(p.run->inputs.weatherStreamFile, wxs);
  EXPECT_NE(p.run->FindOutputTheme(17), nullptr);  // the 1hr fuel moisture grid

  // Edit WXS reopens the saved stream.
  sheet->SelectPage(0);
  int reopened = 0;
  runs_gui::WhenShown("Edit WXS File: " + wxs, [&](wxDialog* e) {
    reopened = static_cast<CWXSEditDialog*>(e)->model.grid.GetRowCount();
    Use(e->FindWindow(wxID_CANCEL));
  });
  UseMenu(page, 1476, CRunInputsPage::kEditWxs);
  EXPECT_EQ(reopened, 48);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

// Panes the user has sized keep their shares when the graph window is resized.
TEST(WxsGraph, ASashMovedByTheUserSurvivesAResize) {
  wxFrame frame(nullptr, wxID_ANY, "graph", wxPoint(50, 50), wxSize(800, 520));
  auto* graph = new weather::ui::CWxsGraphCtrl(&frame, wxID_ANY);
  frame.Show();
  widgets::FlushEvents(5);
  auto share = [&] {
    const double total = graph->Pane(0)->GetSize().y + graph->Pane(1)->GetSize().y + graph->Pane(2)->GetSize().y;
    return graph->Pane(2)->GetSize().y / total;
  };
  EXPECT_NEAR(share(), 0.2, 0.02);
  // Drag the sash above the precipitation pane up by a fifth of the height.
  const int lift = graph->GetClientSize().y / 5;
  const wxPoint sash = graph->Pane(2)->GetScreenPosition() + wxPoint(200, -2);
  wxUIActionSimulator sim;
  sim.MouseMove(sash);
  widgets::FlushEvents(2);
  sim.MouseDown();
  widgets::FlushEvents(2);
  sim.MouseMove(sash - wxPoint(0, lift));
  widgets::FlushEvents(2);
  sim.MouseUp();
  widgets::FlushEvents(3);
  const double dragged = share();
  EXPECT_NEAR(dragged, 0.4, 0.05);
  frame.SetSize(900, 700);
  widgets::FlushEvents(5);
  EXPECT_NEAR(share(), dragged, 0.02);
}

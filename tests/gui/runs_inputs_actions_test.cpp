#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/textctrl.h>

#include <cmath>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include <wx/datectrl.h>

#include "runs/ui/editor_dialog.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "widgets/screenshot.h"

using platform::Answer;
using runs::ui::CRunInputsPage;
using runs::ui::CRunSheet;

namespace {

// An ASCII grid of 30 m cells with its north-west corner at (west, north).
std::string Grid(int cols, int rows, double west, double north) {
  std::string s = "ncols " + std::to_string(cols) + "\nnrows " + std::to_string(rows) +
                  "\nxllcorner " + std::to_string(west) + "\nyllcorner " +
                  std::to_string(north - rows * 30.0) + "\ncellsize 30\n";
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) s += "5 ";
    s += "\n";
  }
  return s;
}

}  // namespace

TEST(InputsPageActions, WindGridMustCoverTheAnalysisArea) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  CPyrvane2WorkArea& area = *p.doc.currentArea;
  const int cols = static_cast<int>(std::lround((area.east - area.west) / 30.0));
  const int rows = static_cast<int>(std::lround((area.north - area.south) / 30.0));
  auto* sheet = new CRunSheet(nullptr, p.run);
  CRunInputsPage* page = sheet->inputsPage;
  EXPECT_TRUE(page->CheckGridExtent(p.Write("exact.asc", Grid(cols, rows, area.west, area.north))));
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_FALSE(page->CheckGridExtent(p.Write("short.asc", Grid(cols - 1, rows, area.west, area.north))));
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0].rfind("Error: Grid extent less than analysis area extent\nAnalysis North: ", 0), 0u);
  EXPECT_FALSE(page->CheckGridExtent(p.Write("none.asc", "not a grid")));
  EXPECT_EQ(messages.Texts().back().rfind("Error opening ", 0), 0u);

  // A refused grid is not taken; a covering one is, through the page's menu.
  page->windType = 2;
  page->SetWindControls();
  dialogs.AnswerOpenFile(p.Write("short2.asc", Grid(cols, rows - 1, area.west, area.north)));
  page->RunMenuCommand(CRunInputsPage::kOpenSpeed);
  EXPECT_TRUE(page->speedFile.empty());
  dialogs.AnswerOpenFile((p.dir / "exact.asc").string());
  page->RunMenuCommand(CRunInputsPage::kOpenDirection);
  EXPECT_EQ(page->directionFile, (p.dir / "exact.asc").string());
  EXPECT_EQ(sheet->StatusText(0), "Need Fuel Moisture File");
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(InputsPageActions, CreateFmsFillsEveryLandscapeModelWithTheDefaults) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  auto* sheet = new CRunSheet(nullptr, p.run);
  std::string shownText;
  bool saveEnabled = true;
  runs_gui::WhenShown("Set Default Fuel Moistures", [&](wxDialog* moistures) {
    runs_gui::WhenShown("New FMS file", [&](wxDialog* editor) {
      shownText = static_cast<wxTextCtrl*>(editor->FindWindow(1143))->GetValue().utf8_string();
      saveEnabled = editor->FindWindow(1141)->IsEnabled();
      dialogs.AnswerSaveFile((p.dir / "made.fms").string());
      messages.Script({Answer::Yes});  // save it on closing
      editor->Close();
    });
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    ok.SetEventObject(moistures->FindWindow(wxID_OK));
    moistures->FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
  });
  sheet->inputsPage->RunMenuCommand(CRunInputsPage::kCreateFms);
  EXPECT_EQ(shownText.rfind("0 6 7 8 60 90\n", 0), 0u) << shownText;
  EXPECT_FALSE(saveEnabled);
  // One line per burnable landscape model; non-burnable 90-99 get none.
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = shownText.find('\n', at)) != std::string::npos; ++at) ++lines;
  EXPECT_GT(lines, 1u);
  for (int nb = 90; nb <= 99; ++nb)
    EXPECT_EQ(shownText.find("\n" + std::to_string(nb) + " "), std::string::npos) << nb;
  EXPECT_EQ(sheet->inputsPage->fmsFile, (p.dir / "made.fms").string());
  EXPECT_EQ(runs_gui::Project::Read(sheet->inputsPage->fmsFile), shownText);
  EXPECT_EQ(sheet->StatusText(0), "Set Crown Fire Method");
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(OptionsPage, DegreesAndProcessorsOutsideTheirRangesAreRefused) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  p.run->outputs.numberOfProcessors = 1000;
  auto* sheet = new CRunSheet(nullptr, p.run);
  sheet->Show();
  sheet->SelectPage(1);
  auto* page = sheet->outputsPage;
  const int machine = page->machineProcessors;
  EXPECT_EQ(page->processorsEdit->GetValue(), wxString::Format("%d", machine));  // held to the machine
  struct Case {
    wxTextCtrl* edit;
    bool (runs::ui::CRunOutputsPage::*check)();
    std::string typed;
    bool ok;
  } cases[] = {
      {page->degreesEdit, &runs::ui::CRunOutputsPage::OnDegreesKillFocus, "360", false},
      {page->degreesEdit, &runs::ui::CRunOutputsPage::OnDegreesKillFocus, "-1", false},
      {page->degreesEdit, &runs::ui::CRunOutputsPage::OnDegreesKillFocus, "359", true},
      {page->processorsEdit, &runs::ui::CRunOutputsPage::OnProcessorsKillFocus, "0", false},
      {page->processorsEdit, &runs::ui::CRunOutputsPage::OnProcessorsKillFocus, std::to_string(machine + 1), false},
      {page->processorsEdit, &runs::ui::CRunOutputsPage::OnProcessorsKillFocus, "1", true},
  };
  for (const Case& c : cases) {
    messages.Clear();
    const wxString before = c.edit->GetValue();
    c.edit->ChangeValue(c.typed);
    EXPECT_EQ((page->*c.check)(), c.ok) << c.typed;
    if (c.ok) {
      EXPECT_TRUE(messages.Texts().empty());
    } else {
      ASSERT_EQ(messages.Texts().size(), 1u);
      EXPECT_EQ(c.edit->GetValue(), before) << c.typed;  // the last value comes back
      const std::string expected =
          c.edit == page->degreesEdit ? "Error: Valid degree range is from 0 through 359."
                                      : "Error: Number of processors must be from 1 through " + std::to_string(machine);
      EXPECT_EQ(messages.Texts()[0], expected);
    }
  }
  // The processor count alone never makes outputs stale.
  EXPECT_EQ(sheet->outputsChanged, 0);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(InputsPageActions, ConditioningPeriodKeepsWithinTheStream) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  std::string wxs = "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 12\n";
  for (int h = 6; h < 18; ++h) wxs += "2011 6 5 " + std::to_string(h * 100) + " 70 30 0.00 5 90 0\n";
  p.run->area->surfaceFuelsValid = p.run->area->groundFuelsValid = true;
  p.run->inputs.noConditioning = false;
  p.run->inputs.useWeatherStream = true;
  p.run->inputs.weatherStreamFile = p.Write("s.wxs", wxs);
  struct Case {
    platform::OleDateTime start, expected;
  } cases[] = {
      {platform::OleDateTime(2011, 6, 5, 2, 30, 0), platform::OleDateTime(2011, 6, 5, 6, 0, 0)},
      {platform::OleDateTime(2011, 6, 4, 2, 30, 0), platform::OleDateTime(2011, 6, 4, 2, 30, 0)},
  };
  for (const Case& c : cases) {
    p.run->inputs.conditioningStart = c.start;
    p.run->inputs.conditioningEnd = platform::OleDateTime(2011, 6, 5, 20, 15, 0);
    auto* sheet = new CRunSheet(nullptr, p.run);
    CRunInputsPage* page = sheet->inputsPage;
    EXPECT_EQ(page->conditioningStart, c.expected) << c.start.Format();
    // The end on the last record's day comes back to its hour.
    EXPECT_EQ(page->conditioningEnd, platform::OleDateTime(2011, 6, 5, 17, 0, 0));
    EXPECT_TRUE(page->startDay->IsEnabled());
    sheet->Destroy();
  }
  // Without a valid stream the period falls back to day 0 and the pickers are off.
  p.run->inputs.weatherStreamFile = p.Write("bad.wxs", "nothing");
  p.run->inputs.fuelMoistureFile = p.Write("a.fms", "0 6 7 8 60 90\n");
  p.run->outputs.crownFireMethod = 1;
  auto* sheet = new CRunSheet(nullptr, p.run);
  EXPECT_EQ(sheet->inputsPage->conditioningStart.GetYear(), 1899);
  EXPECT_FALSE(sheet->inputsPage->startDay->IsEnabled());
  EXPECT_EQ(sheet->StatusText(0), "Weather Stream file invalid or empty");
  sheet->Destroy();
  widgets::FlushEvents(2);
}

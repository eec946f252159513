#include <gtest/gtest.h>
#include <wx/spinbutt.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <functional>

#include "platform/dialogs.h"
#include "platform/image.h"
#include "platform/messages.h"
#include "project/work_area.h"
#include "runs/gustforge_options.h"
#include "runs/ui/gustforge_dialog.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "views/ui/project_tree.h"
#include "widgets/screenshot.h"
#include "widgets/up_dialog.h"

using runs::ui::CRunInputsPage;
using runs::ui::CRunSheet;
using platform::OleDateTime;
using runs_gui::FindDialog;
using runs_gui::PumpUntil;

namespace {

constexpr const char* kFms = "0 6 7 8 60 90\n";

using runs_gui::Use;

using runs_gui::Choose;

// Chooses a menu item of one of the page's file buttons.
void UseMenu(CRunInputsPage* page, int buttonId, int item) {
  page->menuChooser = [item](int) { return item; };
  Use(page->FindWindow(buttonId));
  page->menuChooser = nullptr;
}

// Closes the editor the next modal loop shows, as the close box does.
void CloseEditorWhenShown() {
  wxTheApp->CallAfter([] {
    wxDialog* editor = nullptr;
    PumpUntil([&] {
      for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal() && d->FindWindow(1143)) editor = d;
      return editor != nullptr;
    });
    if (editor) editor->Close();
  });
}

std::string Status(const CRunSheet& sheet, int part) { return sheet.StatusText(part); }

}  // namespace

TEST(RunSheetWindow, StatusLineFollowsTheInputsAndLaunchBecomesReady) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  auto* sheet = new CRunSheet(nullptr, p.run);
  sheet->Show();
  CRunInputsPage* page = sheet->inputsPage;
  EXPECT_EQ(sheet->GetTitle(), "Run : New Run");
  EXPECT_EQ(Status(*sheet, 0), "Need Fuel Moisture File");
  EXPECT_EQ(Status(*sheet, 1), "No outputs selected");
  EXPECT_EQ(Status(*sheet, 2), "No existing outputs");
  EXPECT_FALSE(sheet->launchButton->IsShown());

  // A cancelled file dialog takes nothing and leaves the outputs current.
  UseMenu(page, 1477, CRunInputsPage::kOpenFms);
  EXPECT_EQ(sheet->outputsChanged, 0);

  // Opening a good FMS file opens it in the editor at once; closing keeps it.
  const std::string fms = p.Write("a.fms", kFms);
  dialogs.AnswerOpenFile(fms);
  CloseEditorWhenShown();
  UseMenu(page, 1477, CRunInputsPage::kOpenFms);
  EXPECT_EQ(page->fmsFile, fms);
  EXPECT_EQ(sheet->outputsChanged, 1);
  EXPECT_EQ(Status(*sheet, 0), "Set Crown Fire Method");
  Choose(page->crownCombo, 0);
  EXPECT_EQ(Status(*sheet, 0), "Inputs OK");

  // Gridded wind files need both grids.
  Use(page->FindWindow(1029));
  EXPECT_EQ(Status(*sheet, 0), "Need Wind Direction file");
  EXPECT_FALSE(page->FindWindow(1031)->IsEnabled());
  EXPECT_TRUE(page->FindWindow(1483)->IsEnabled());
  Use(page->FindWindow(1057));  // uphill: azimuth stays, relabelled
  EXPECT_TRUE(page->FindWindow(1033)->IsEnabled());
  EXPECT_EQ(page->azimuthLabel->GetLabel(), "Default Wind Azimuth (Degrees):");
  EXPECT_FALSE(page->FindWindow(1483)->IsEnabled());
  EXPECT_EQ(Status(*sheet, 0), "Inputs OK");

  // Leaving the page applies it; the options page shows Launch once an output is chosen.
  sheet->SelectPage(1);
  EXPECT_EQ(p.run->inputs.fuelMoistureFile, fms);
  EXPECT_EQ(p.run->inputs.windType, 1);
  EXPECT_EQ(p.run->outputs.crownFireMethod, 0);
  EXPECT_TRUE(sheet->launchButton->IsShown());
  EXPECT_EQ(sheet->launchButton->GetLabel(), "Launch Basic FB");
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  Use(sheet->outputsPage->FindWindow(1042));  // Flame Length
  Use(sheet->outputsPage->FindWindow(1065));  // Rate of Spread
  EXPECT_EQ(Status(*sheet, 1), "2 outputs selected");
  EXPECT_TRUE(sheet->launchButton->IsEnabled());
  // Fixed moistures: the conditioning outputs are off and cannot be chosen.
  EXPECT_FALSE(sheet->outputsPage->FindWindow(1047)->IsEnabled());
  Use(sheet->outputsPage->FindWindow(1060));  // Select All
  EXPECT_EQ(Status(*sheet, 1), "13 outputs selected");
  // The processors and degrees boxes have arrows beside them; those of degrees step it.
  for (wxTextCtrl* box : {sheet->outputsPage->degreesEdit, sheet->outputsPage->processorsEdit}) {
    wxSpinButton* arrows = nullptr;
    for (wxWindow* w : box->GetParent()->GetChildren())
      if (auto* a = dynamic_cast<wxSpinButton*>(w)) arrows = a;
    ASSERT_TRUE(arrows);
    EXPECT_TRUE(arrows->IsShown());
    if (box != sheet->outputsPage->degreesEdit) continue;
    for (wxEventType step : {wxEVT_SPIN_UP, wxEVT_SPIN_DOWN}) {
      wxSpinEvent e(step, arrows->GetId());
      e.SetEventObject(arrows);
      arrows->ProcessWindowEvent(e);
      EXPECT_EQ(box->GetValue(), step == wxEVT_SPIN_UP ? "1" : "0");
    }
  }

  // The options page also applies its choices when the user leaves it.
  sheet->SelectPage(0);
  EXPECT_TRUE(p.run->outputs.flameLength);
  EXPECT_TRUE(p.run->outputs.maxSpotVectors);
  EXPECT_FALSE(p.run->outputs.solarRadiation);
  // Spread vectors bring the grids they are drawn from.
  EXPECT_TRUE(p.run->outputs.maxSpreadDirection && p.run->outputs.ellipticalB && p.run->outputs.ellipticalC);
  // Launch is never usable from the Inputs page, Apply included; the caption takes the
  // name applied.
  page->nameEdit->SetValue("Ridge");
  sheet->OnApplyNow();
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  EXPECT_EQ(sheet->GetTitle(), "Run : Ridge");
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(RunSheetWindow, UnitsComboListsAllUnitsAndTakesOnlyAChoice) {
  runs_gui::Project p;
  p.run->inputs.windSpeedUnits = 3;
  auto* sheet = new CRunSheet(nullptr, p.run);
  CRunInputsPage* page = sheet->inputsPage;
  ASSERT_EQ(page->unitsCombo->GetCount(), 4u);
  EXPECT_EQ(page->unitsCombo->GetString(2), "m/sec @ 10m");
  EXPECT_EQ(page->unitsCombo->GetSelection(), 3);
  page->unitsCombo->SetSelection(1);
  page->ApplyToRun();
  EXPECT_EQ(p.run->inputs.windSpeedUnits, 1);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

namespace {

// Runs the sheet's launch; the script runs inside the progress dialog's modal loop.
void LaunchWith(CRunSheet* sheet, std::function<void(wxDialog*)> script) {
  wxTheApp->CallAfter([script] {
    wxDialog* progress = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (progress = FindDialog("Pyrvane Progress...")) != nullptr; }));
    script(progress);
  });
  sheet->OnLaunch();
}


// Every status text that reaches the progress dialog, however fast they follow each other.
class StatusRecorder : public wxEventFilter {
 public:
  StatusRecorder() { wxEvtHandler::AddFilter(this); }
  ~StatusRecorder() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    auto* e = dynamic_cast<wxThreadEvent*>(&event);
    if (e && e->GetId() == widgets::UPDM_SETTEXT) texts.push_back(e->GetString().utf8_string());
    return Event_Skip;
  }
  std::vector<std::string> texts;
};

wxButton* CancelOf(wxDialog* d) { return static_cast<wxButton*>(d->FindWindow(wxID_CANCEL)); }

void Press(wxButton* b) {
  wxCommandEvent click(wxEVT_BUTTON, b->GetId());
  click.SetEventObject(b);
  b->GetEventHandler()->ProcessEvent(click);
}

// A sheet on the Fire Behavior Options page of a run ready to launch flame length.
CRunSheet* ReadySheet(runs_gui::Project& p) {
  p.run->inputs.fuelMoistureFile = p.Write("a.fms", kFms);
  p.run->outputs.crownFireMethod = 0;
  p.run->outputs.flameLength = true;
  p.run->outputs.rateOfSpread = true;
  auto* sheet = new CRunSheet(nullptr, p.run);
  sheet->Show();
  sheet->SelectPage(1);
  sheet->timing.poll = std::chrono::milliseconds(10);
  return sheet;
}

}  // namespace

TEST(RunSheetWindow, LaunchMakesThemesWithLegendsLogAndASecondLaunchIsUpToDate) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  runs_gui::TreeWindow window(p.doc);
  CRunSheet* sheet = ReadySheet(p);
  ASSERT_TRUE(sheet->launchButton->IsEnabled());
  std::string finalText;
  StatusRecorder statuses;
  LaunchWith(sheet, [&](wxDialog* progress) {
    ASSERT_TRUE(PumpUntil([&] { return CancelOf(progress)->GetLabel() == "Ok"; }));
    finalText = runs_gui::ProgressStatus(progress);
    Press(CancelOf(progress));
  });
  EXPECT_EQ(finalText.rfind("Execution complete. Run time: ", 0), 0u) << finalText;
  ASSERT_FALSE(statuses.texts.empty());
  EXPECT_EQ(statuses.texts.front(), "Initializing..");
  for (const std::string& t : statuses.texts)  // only the run's own texts, no failure
    EXPECT_TRUE(t == "Initializing.." || t == "Loading inputs..." || t == "Fire Behavior..." ||
                t == "Fuel Conditioning..." || t == "Running Gustforge...") << t;
  ASSERT_EQ(p.run->outputThemes.size(), 2u) << ::testing::PrintToString(messages.Texts());
  EXPECT_EQ(p.run->outputThemes[0]->name, "Flame Length");
  EXPECT_EQ(p.run->outputThemes[1]->name, "Rate of Spread");
  EXPECT_EQ(p.run->outputLegends.size(), 2u);
  ASSERT_EQ(p.run->runLogs.size(), 1u);
  EXPECT_EQ(p.run->runLogs[0].text.rfind("#Run Log for Pyrvane run: New Run\r\n", 0), 0u);
  EXPECT_TRUE(p.run->fireBehaviorUpToDate);
  EXPECT_EQ(sheet->StatusText(2), "Existing outputs up to date");
  EXPECT_TRUE(sheet->IsEnabled());

  // The legend classes the whole area, not a single cell.
  EXPECT_GT(p.run->outputLegends[0]->GetCount(), 3);
  // The map drawn with flame length visible.
  p.doc.SetVisibleTheme(p.run->outputThemes[0].get());
  CPyrvane2WorkArea* area = p.doc.currentArea;
  platform::Image image(400, 400);
  p.doc.DrawMapImage(image, area->west, area->north, area->east, area->south, PixelRect{0, 0, 399, 399});
  const std::string shot = std::string(PV_BINARY_DIR) + "/runs_flame_length_map.png";
  EXPECT_TRUE(image.SavePng(shot));

  // Nothing is stale: the second launch says so and starts nothing.
  messages.Clear();
  sheet->OnLaunch();
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"All outputs up to date."});
  EXPECT_EQ(p.run->runLogs.size(), 1u);

  // A new choice makes the outputs stale: the next launch replaces them, no duplicates.
  Use(sheet->outputsPage->FindWindow(1043));  // Heat / Unit Area
  EXPECT_EQ(sheet->StatusText(2), "Existing outputs out of date");
  LaunchWith(sheet, [&](wxDialog* progress) {
    ASSERT_TRUE(PumpUntil([&] { return CancelOf(progress)->GetLabel() == "Ok"; }));
    Press(CancelOf(progress));
  });
  std::vector<std::string> names;
  for (const auto& t : p.run->outputThemes) names.push_back(t->name);
  EXPECT_EQ(names, (std::vector<std::string>{"Flame Length", "Rate of Spread", "Heat/Unit Area"}));
  EXPECT_EQ(p.run->outputLegends.size(), 3u);
  EXPECT_EQ(sheet->StatusText(2), "Existing outputs up to date");
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(RunSheetWindow, CancelMidRunLeavesNoOutputsAndTheSheetUsable) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  CRunSheet* sheet = ReadySheet(p);
  // The run waits after writing its inputs file until it is stopped.
  sheet->timing.settle = std::chrono::minutes(10);
  std::string afterCancel;
  LaunchWith(sheet, [&](wxDialog* progress) {
    ASSERT_TRUE(PumpUntil([&] { return runs_gui::ProgressStatus(progress) == "Initializing.."; }));
    Press(CancelOf(progress));
    afterCancel = runs_gui::ProgressStatus(progress);
    EXPECT_FALSE(CancelOf(progress)->IsEnabled());
  });
  EXPECT_EQ(afterCancel, "Termination Initiated... Please wait");
  EXPECT_TRUE(p.run->outputThemes.empty());
  EXPECT_TRUE(p.run->runLogs.empty());
  EXPECT_FALSE(p.run->fireBehaviorUpToDate);
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_TRUE(sheet->IsEnabled());
  EXPECT_TRUE(sheet->launchButton->IsEnabled());
  sheet->Destroy();
  widgets::FlushEvents(2);
}

// Each value the sheet cannot take is refused with its reason, shown on the status line, and
// Launch stays off until it is put right; nothing is replaced behind the user's back.
TEST(RunSheetWindow, BadTypedValuesAreRefusedAndLaunchStaysOff) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  p.run->inputs.fuelMoistureFile = p.Write("a.fms", kFms);
  p.run->inputs.windSpeedUnits = 0;
  p.run->outputs.crownFireMethod = 0;
  p.run->outputs.flameLength = true;
  p.run->outputs.numberOfProcessors = 1;
  struct Case {
    int page;  // 0 Inputs, 1 Fire Behavior Options
    std::function<void(CRunSheet&)> type;
    std::string reason;
  };
  auto inputs = [](wxTextCtrl* CRunInputsPage::*edit, const char* value) {
    return [edit, value](CRunSheet& s) { (s.inputsPage->*edit)->SetValue(value); };
  };
  auto options = [](wxTextCtrl* runs::ui::CRunOutputsPage::*edit, const char* value) {
    return [edit, value](CRunSheet& s) { (s.outputsPage->*edit)->SetValue(value); };
  };
  const Case cases[] = {
      {0, inputs(&CRunInputsPage::speedEdit, "abc"), "Wind Speed: Please enter an integer."},
      {0, inputs(&CRunInputsPage::speedEdit, "12.5"), "Wind Speed: Please enter an integer."},
      {0, inputs(&CRunInputsPage::speedEdit, "181"), "Wind Speed: Please enter an integer between 0 and 180."},
      {0, inputs(&CRunInputsPage::azimuthEdit, "-999"), "Azimuth: Please enter an integer between 0 and 359."},
      {0, inputs(&CRunInputsPage::azimuthEdit, ""), "Azimuth: Please enter an integer."},
      {0, inputs(&CRunInputsPage::foliarEdit, "abc"), "Foliar Moisture Content: Please enter a number."},
      {0, inputs(&CRunInputsPage::foliarEdit, "5"), "Foliar Moisture Content: Please enter a number between 20 and 200."},
      {0, [](CRunSheet& s) { s.inputsPage->unitsCombo->SetSelection(wxNOT_FOUND); },
       "Wind Speed Units: Please choose the wind speed units."},
      {1, options(&runs::ui::CRunOutputsPage::degreesEdit, "abc"), "Degrees: Please enter an integer."},
      {1, options(&runs::ui::CRunOutputsPage::degreesEdit, "360"),
       "Degrees: Error: Valid degree range is from 0 through 359."},
      {1, options(&runs::ui::CRunOutputsPage::processorsEdit, "two"), "Processors: Please enter an integer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    messages.Clear();
    auto* sheet = new CRunSheet(nullptr, p.run);
    sheet->Show();
    sheet->SelectPage(1);
    ASSERT_TRUE(sheet->launchButton->IsEnabled()) << Status(*sheet, 0);
    if (c.page == 0) sheet->SelectPage(0);
    c.type(*sheet);
    sheet->UpdateStatusBar();
    EXPECT_EQ(Status(*sheet, 0), c.reason);
    if (c.page == 0) {
      // The page cannot be left, so Launch (on the other page) is out of reach.
      sheet->SelectPage(1);
      EXPECT_EQ(sheet->ActivePage(), sheet->inputsPage) << sheet->book->GetSelection();
    } else {
      EXPECT_FALSE(sheet->launchButton->IsEnabled());
      sheet->OnLaunch();
    }
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.reason});
    EXPECT_TRUE(p.run->outputThemes.empty());
    // OK keeps the sheet open and the run as it was.
    messages.Clear();
    sheet->OnOK();
    EXPECT_TRUE(sheet->IsShown());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.reason});
    EXPECT_EQ(p.run->inputs.windSpeed, 0);
    EXPECT_EQ(p.run->inputs.windDirection, 0);
    EXPECT_EQ(p.run->outputs.spreadDirectionFromNorth, 0);
    sheet->Destroy();
    widgets::FlushEvents(2);
  }
}

// Use Custom Fuels must come with a file, and a file is used only with the box ticked.
TEST(RunSheetWindow, CustomFuelsNeedTheBoxAndTheFileTogether) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  p.run->inputs.fuelMoistureFile = p.Write("a.fms", kFms);
  p.run->inputs.windSpeedUnits = 0;
  p.run->outputs.crownFireMethod = 0;
  p.run->outputs.flameLength = true;
  auto* sheet = new CRunSheet(nullptr, p.run);
  sheet->Show();
  CRunInputsPage* page = sheet->inputsPage;
  EXPECT_EQ(Status(*sheet, 0), "Inputs OK");
  Use(page->customFuels);
  EXPECT_EQ(Status(*sheet, 0), "Need FMD File");
  sheet->SelectPage(1);
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  sheet->SelectPage(0);
  Use(page->customFuels);
  EXPECT_EQ(Status(*sheet, 0), "Inputs OK");
  sheet->Destroy();
  widgets::FlushEvents(2);

  // An area with custom fuel models: a file with the box clear is not enough.
  p.run->area->customFuels = true;
  p.run->inputs.customFuelsFile = p.Write("c.fmd", "");
  p.run->inputs.useCustomFuelModels = false;
  sheet = new CRunSheet(nullptr, p.run);
  sheet->Show();
  EXPECT_EQ(Status(*sheet, 0), "Tick Use Custom Fuels");
  sheet->SelectPage(1);
  EXPECT_FALSE(sheet->launchButton->IsEnabled());
  sheet->SelectPage(0);
  Use(sheet->inputsPage->customFuels);
  EXPECT_EQ(Status(*sheet, 0), "Inputs OK");
  EXPECT_TRUE(messages.Texts().empty());
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(RunSheetWindow, GenerateGriddedWindWithItsOptionsLaunchesAndListsTheWindGrids) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  runs_gui::TreeWindow window(p.doc);
  CRunSheet* sheet = ReadySheet(p);
  sheet->SelectPage(0);
  CRunInputsPage* page = sheet->inputsPage;
  wxWindow* options = page->FindWindow(1341);
  EXPECT_FALSE(options->IsEnabled());
  Use(page->FindWindow(1334));  // Generate Gridded Wind
  EXPECT_EQ(page->windType, 4);
  EXPECT_TRUE(page->speedEdit->IsEnabled());
  ASSERT_TRUE(options->IsEnabled());
  const CPyrvane2WorkArea* area = p.run->area;
  ASSERT_NE(area, nullptr);
  const runs::WindGridCounts expected = runs::GustforgeGridCounts(area->north, area->east, area->south, area->west, 120);
  runs_gui::WhenShown("Gustforge Options", [&](wxDialog* d) {
    auto* g = static_cast<runs::ui::CGustforgeDialog*>(d);
    // The warning stands whatever the count; diurnal controls follow the check box.
    EXPECT_NE(g->note->GetValue().find("Warning! Running Gustforge"), wxString::npos);
    EXPECT_FALSE(g->airEdit->IsEnabled());
    EXPECT_FALSE(g->conditioningEndButton->IsEnabled());
    g->resolutionEdit->SetValue("0");
    g->UpdateGridCounts();  // never divides by 0
    EXPECT_EQ(g->rowsEdit->GetValue(), "0");
    g->resolutionEdit->SetValue("20");
    Press(static_cast<wxButton*>(g->FindWindow(wxID_OK)));
    EXPECT_EQ(messages.Texts().back(), "Please enter an integer between 30 and 10000.");
    EXPECT_TRUE(g->IsModal());
    g->resolutionEdit->SetValue("120");
    g->UpdateGridCounts();
    EXPECT_EQ(g->rowsEdit->GetValue(), std::to_string(expected.rows));
    EXPECT_EQ(g->columnsEdit->GetValue(), std::to_string(expected.columns));
    EXPECT_EQ(g->cellsEdit->GetValue(), std::to_string(expected.cells));
    Use(g->diurnalCheck);
    EXPECT_TRUE(g->airEdit->IsEnabled());
    g->timeZoneCombo->SetValue("-1 Azores");
    Press(static_cast<wxButton*>(g->FindWindow(wxID_OK)));
  });
  Use(options);
  EXPECT_EQ(p.run->inputs.griddedWindsResolution, 120);
  EXPECT_TRUE(p.run->inputs.diurnalGriddedWinds);
  EXPECT_EQ(p.run->inputs.diurnalTimeZone, -1);
  EXPECT_TRUE(page->changed);

  sheet->SelectPage(1);
  std::string finalText;
  LaunchWith(sheet, [&](wxDialog* progress) {
    ASSERT_TRUE(PumpUntil([&] { return CancelOf(progress)->GetLabel() == "Ok"; }));
    finalText = runs_gui::ProgressStatus(progress);
    Press(CancelOf(progress));
  });
  EXPECT_EQ(finalText.rfind("Execution complete. Run time: ", 0), 0u)
      << finalText << ::testing::PrintToString(messages.Texts());
  std::vector<std::string> names;
  for (const auto& t : p.run->outputThemes) names.push_back(t->name);
  EXPECT_NE(std::find(names.begin(), names.end(), "Wind Direction"), names.end()) << ::testing::PrintToString(names);
  EXPECT_NE(std::find(names.begin(), names.end(), "Wind Speed"), names.end());
  ASSERT_NE(p.run->windSpeedGridTheme, nullptr);
  EXPECT_EQ(p.run->windSpeedGridTheme->rows, expected.rows);
  // The generated winds become the run's arrows, each the wind of the cell under it.
  ASSERT_NE(p.run->windVectors, nullptr);
  EXPECT_EQ(p.run->windVectors->name, "Wind Vectors");
  int checked = 0;
  for (const CWindVectorCell& a : p.run->windVectors->cells) {
    if (!a.IsValid()) continue;
    EXPECT_NEAR(a.magnitude, p.run->windSpeedGridTheme->GetValueAt(a.x, a.y), 1e-3);
    EXPECT_NEAR(a.direction, p.run->windDirectionGridTheme->GetValueAt(a.x, a.y), 1.0);
    ++checked;
  }
  EXPECT_GT(checked, 10);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

// Open WXS File takes a valid stream and its record range as the conditioning period; an
// invalid one only when the user says so.
TEST(RunSheetWindow, OpenWxsTakesAStreamForConditioning) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  std::string records;
  for (int h = 0; h < 5; ++h) records += "2011 8 7 " + std::to_string(h * 100) + " 70 30 0.00 5 90 0\n";
  const std::string good = p.Write("good.wxs", "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 5\n" + records);
  const std::string bad = p.Write("bad.wxs", "RAWS_UNITS: English\nRAWS: 1\n2011 13 7 0 70 30 0.00 5 90 0\n");
  auto* sheet = new CRunSheet(nullptr, p.run);
  CRunInputsPage* page = sheet->inputsPage;
  Use(page->streamRadio);
  ASSERT_TRUE(page->wxsButton->IsEnabled());

  messages.SetDefaultAnswer(platform::Answer::No);
  dialogs.AnswerOpenFile(bad);
  UseMenu(page, 1476, CRunInputsPage::kOpenWxs);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("Load WXS file anyway?"), std::string::npos);
  EXPECT_TRUE(page->wxsFile.empty());

  messages.Clear();
  dialogs.AnswerOpenFile(good);
  // The stream opens in the editor at once; closing it unchanged keeps the file.
  bool edited = false;
  runs_gui::WhenShown("Edit WXS File: " + good, [&](wxDialog* editor) {
    edited = true;
    Use(editor->FindWindow(wxID_CANCEL));
  });
  UseMenu(page, 1476, CRunInputsPage::kOpenWxs);
  EXPECT_TRUE(edited);
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(page->wxsFile, good);
  const runs::InputsState state = page->State();
  EXPECT_EQ(state.conditioningStart.GetHour(), 0);
  EXPECT_EQ(state.conditioningEnd.GetHour(), 4);
  EXPECT_EQ(state.conditioningEnd.GetDay(), 7);
  EXPECT_NE(Status(*sheet, 0), "Need a Weather Stream file");
  sheet->Destroy();
  widgets::FlushEvents(2);
}

// A stream over two days, opened and closed with the editor's OK: the period the pickers show
// is the one the sheet holds, from the first record to the last, and Launch takes it at once.
TEST(RunSheetWindow, AnOpenedStreamsPeriodIsWhatTheSheetHoldsAndLaunchTakesIt) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  std::string records;
  for (int i = 0; i < 24; ++i)
    records += "2011 8 " + std::to_string(i < 12 ? 7 : 8) + " " + std::to_string((12 + i) % 24 * 100) +
               " 70 30 0.00 5 90 0\n";
  const std::string stream = p.Write("two.wxs", "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 24\n" + records);
  CRunSheet* sheet = ReadySheet(p);
  sheet->SelectPage(0);
  CRunInputsPage* page = sheet->inputsPage;
  Use(page->streamRadio);
  dialogs.AnswerOpenFile(stream);
  runs_gui::WhenShown("Edit WXS File: " + stream, [&](wxDialog* editor) { Use(editor->FindWindow(wxID_OK)); });
  UseMenu(page, 1476, CRunInputsPage::kOpenWxs);
  ASSERT_EQ(page->wxsFile, stream);
  const runs::InputsState state = page->State();
  EXPECT_EQ(state.conditioningStart, OleDateTime(2011, 8, 7, 12, 0, 0));
  EXPECT_EQ(state.conditioningEnd, OleDateTime(2011, 8, 8, 11, 0, 0));
  EXPECT_EQ(Status(*sheet, 0), "Inputs OK");
  sheet->SelectPage(1);
  EXPECT_EQ(p.run->inputs.conditioningEnd, OleDateTime(2011, 8, 8, 11, 0, 0));
  EXPECT_TRUE(sheet->launchButton->IsEnabled());
  EXPECT_TRUE(sheet->CanLaunch(sheet->outputsPage));
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();
  sheet->Destroy();
  widgets::FlushEvents(2);
}

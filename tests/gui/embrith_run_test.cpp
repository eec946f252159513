// A fire-growth run as a user makes one on the sample landscape: New Embrith Run, the four
// pages with a drawn ignition, the status line following what is missing, values the pages
// refuse, the wind sources, the progress dialog with the monitor's counts (cancelled once,
// then run to its end), and the perimeters, spots, grids and fire growth report under the run.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/ui/embrith_perimeters_dialog.h"
#include "runs/ui/embrith_sheet.h"
#include "run_window_fixture.h"
#include "runs_gui_support.h"
#include "themes/theme.h"
#include "themes/ui/theme_commands.h"
#include "themes/vector_theme.h"
#include "views/view_commands.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;
using runs::ui::CEmbrithPage;
using runs::ui::CEmbrithRunSheet;
using runs::ui::CEmbrithWxBpPage;
using runs_gui::LaunchAndWatch;
using runs_gui::Use;
using runs_gui::WhenShown;

namespace {

class EmbrithRunWindow : public program_test::RunWindowTest {
 protected:
  EmbrithRunWindow() : RunWindowTest("test-embrith-run") {}
};

// Two days of hourly weather, a steady south-west wind.
std::string TwoDayStream() {
  std::string s = "RAWS_ELEVATION: 2100\nRAWS_UNITS: English\nRAWS: 48\n";
  for (int d = 7; d <= 8; ++d)
    for (int h = 0; h < 24; ++h)
      s += "2011 8 " + std::to_string(d) + " " + std::to_string(h * 100) + " 85 15 0.00 12 225 0\n";
  return s;
}

}  // namespace

TEST_F(EmbrithRunWindow, GrowsAFireFromTheSheetAndShowsItsOutputs) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = OpenSample(frame);
  ASSERT_TRUE(doc->IsLandscapeLoaded());

  const std::string wxs = (folder / "two.wxs").string();
  std::ofstream(wxs, std::ios::binary) << TwoDayStream();
  const std::string drawn = (folder / "drawn.shp").string();
  // The ignition: a small square drawn on the map in the sample's middle.
  ASSERT_TRUE(doc->ChooseShapeKind(6));
  doc->shapeInProgress = {{614340, 4509540}, {614460, 4509540}, {614460, 4509660}, {614340, 4509660}};
  doc->FinishShape();

  std::vector<std::string> statuses, refusals, finished;
  std::vector<bool> launchable;
  std::size_t themesAfterCancel = 99;
  WhenShown(" Embrith Run : New Embrith Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CEmbrithRunSheet*>(d);
    ASSERT_TRUE(sheet);
    sheet->timing = {std::chrono::milliseconds(1), std::chrono::milliseconds(300)};
    auto note = [&] {
      sheet->UpdateStatusBar();
      sheet->EnableLaunch(sheet->CanLaunch());
      statuses.push_back(sheet->StatusText(0));
      launchable.push_back(sheet->launchButton->IsEnabled());
    };
    note();  // nothing chosen yet
    auto* inputs = sheet->inputsPage;
    OpenFms(inputs, runs::ui::CEmbrithFbInputsPage::kOpenFms);
    note();  // a stream is wanted next

    sheet->SelectPage(1);
    CEmbrithWxBpPage* stream = sheet->streamPage;
    dialogs_->AnswerOpenFile(wxs);
    WhenShown("Edit WXS File: " + wxs, [](wxDialog* editor) { editor->EndModal(wxID_CANCEL); });
    stream->menuChooser = [](int) { return static_cast<int>(CEmbrithWxBpPage::kOpenWxs); };
    Use(stream->wxsButton);
    ASSERT_EQ(stream->wxsFile, wxs);
    Use(stream->addButton);
    ASSERT_EQ(stream->grid.GetRowCount(), 1);
    stream->grid.SetCellText(2, 0, "10");
    stream->grid.SetCellText(3, 0, "18");
    // Burn periods the engine cannot run are refused on the page.
    for (auto [col, text] : {std::pair{0, "-1"}, {2, "18"}}) {
      const std::string keep = stream->grid.GetCellText(col, 0);
      stream->grid.SetCellText(col, 0, text);
      note();
      refusals.push_back(sheet->StatusText(0));
      stream->grid.SetCellText(col, 0, keep);
    }

    sheet->SelectPage(2);
    CEmbrithPage* model = sheet->modelPage;
    // A new run's probability shows its three decimals.
    EXPECT_EQ(model->edits[CEmbrithPage::kSpotProbability]->GetValue(), "0.000");
    dialogs_->AnswerSaveFile(drawn);
    model->menuChooser = [](int) { return static_cast<int>(CEmbrithPage::kLoadCurrentShape); };
    Use(model->ignitionButton);
    runs_gui::Choose(model->crownCombo, 0);
    // Values the model page refuses, each keeping Launch off.
    struct Bad {
      int field;
      const char* text;
    };
    for (Bad b : {Bad{CEmbrithPage::kPerimeterRes, "0"}, Bad{CEmbrithPage::kDistanceRes, "-5"},
                  Bad{CEmbrithPage::kTimeStep, "2"}, Bad{CEmbrithPage::kSpotProbability, "1.5"},
                  Bad{CEmbrithPage::kFoliarMoisture, "abc"}}) {
      const wxString keep = model->edits[b.field]->GetValue();
      model->edits[b.field]->SetValue(b.text);
      note();
      refusals.push_back(sheet->StatusText(0));
      model->edits[b.field]->SetValue(keep);
    }

    sheet->SelectPage(3);
    for (int id : {1366, 1042, 1051, 1047, 1048, 1052}) Use(sheet->outputsPage->FindWindow(id));
    Use(sheet->applyButton);
    note();  // everything set
    // Winds from an atmosphere file need the file; generated winds need nothing more.
    sheet->SelectPage(0);
    Use(inputs->windRadios[2]);
    note();
    Use(inputs->windRadios[1]);
    note();
    Use(inputs->windRadios[0]);
    sheet->SelectPage(3);
    note();

    LaunchAndWatch(sheet, true, "Embrith Progress...");
    themesAfterCancel = sheet->run->outputThemes.size();
    finished = LaunchAndWatch(sheet, false, "Embrith Progress...");
    Use(sheet->FindWindow(wxID_OK));
  });
  program_test::Command(frame, cmd::kNewEmbrithRun);

  const std::vector<std::string> wantStatuses = {
      "Need Fuel Moisture File", "Need a Weather Stream file",
      "Burn Periods: Burn period 1: month -1 and day 7 make no date.",
      "Burn Periods: Burn period 1: the start hour must be before the end hour.",
      "Perimeter Resolution: Please enter an integer between 3 and 10000.",
      "Distance Resolution: Please enter an integer between 3 and 10000.",
      "Time Step: Please enter an integer between 5 and 120.",
      "Ember Spot Probability: Please enter a number between 0 and 1.",
      "Foliar Moisture Content: Please enter a number.",
      "Inputs OK", "Need ATM File", "Inputs OK", "Inputs OK"};
  EXPECT_EQ(statuses, wantStatuses);
  EXPECT_EQ(launchable, (std::vector<bool>{false, false, false, false, false, false, false, false, false, true, false,
                                           true, true}));
  EXPECT_EQ(themesAfterCancel, 0u);  // a cancelled run is no success
  ASSERT_FALSE(finished.empty());
  EXPECT_EQ(finished.back().rfind("Execution complete. Run time: ", 0), 0u) << finished.back();
  bool monitored = false;
  for (const std::string& s : finished) monitored |= s.rfind("Current Fires: ", 0) == 0 && s.find("Embrith Simulation Time: ") != std::string::npos;
  EXPECT_TRUE(monitored) << "statuses seen: " << finished.size();
  EXPECT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();

  CRun& run = *doc->currentArea->runs.at(0);
  EXPECT_TRUE(run.isEmbrith);
  EXPECT_EQ(run.embrith.ignitionFile, drawn);
  ASSERT_EQ(run.embrith.burnPeriods.size(), 1u);
  EXPECT_EQ(run.embrith.burnPeriods[0].startHour, 10);
  std::set<std::string> names;
  for (const auto& t : run.outputThemes) names.insert(t->name);
  EXPECT_EQ(names, (std::set<std::string>{"Embrith Arrival Time", "Embrith Flame Length", "Embrith Reaction Intensity"}));
  for (const auto& t : run.outputThemes) {
    if (t->name == "Embrith Reaction Intensity") {
      EXPECT_EQ(t->layerType, 43);
    }
  }
  ASSERT_NE(run.embrithPerimeters, nullptr);
  EXPECT_EQ(run.embrithPerimeters->name, "Embrith Perimeters");
  EXPECT_GT(run.embrithPerimeters->ShapeCount(), 1);
  EXPECT_TRUE(run.embrithPerimeters->hasPerimeterAttributes);
  ASSERT_NE(run.embrithIgnitions, nullptr);
  std::set<std::string> logs;
  for (const RunLogFile& log : run.runLogs) logs.insert(log.name);
  EXPECT_EQ(logs, (std::set<std::string>{"Run Log", "Fire Growth Report", "Spot Fire List"}));
  for (const RunLogFile& log : run.runLogs)
    if (log.name == "Fire Growth Report") {
      EXPECT_NE(log.text.find(" 00 00:00 \t"), std::string::npos) << log.text;
      EXPECT_NE(log.text.find(" 00 01:00 \t\t08/07 "), std::string::npos) << log.text;
    }
  bool drawnPerimeters = false;
  for (const auto& item : doc->drawPriority) drawnPerimeters |= item.vectorTheme == run.embrithPerimeters;
  EXPECT_TRUE(drawnPerimeters);
  // The perimeters dialog chooses which perimeters show, and the map's draw list follows.
  CVectorTheme& perimeters = *run.embrithPerimeters;
  const std::size_t all = perimeters.displayList.size();
  EXPECT_EQ(all, static_cast<std::size_t>(perimeters.ShapeCount()));
  bool intervalFollows = false;
  WhenShown("Embrith Perimeters", [&](wxDialog* d) {
    auto* dialog = dynamic_cast<runs::ui::CEmbrithPerimetersPropertiesDlg*>(d);
    ASSERT_TRUE(dialog);
    Use(dialog->modes[1]);
    intervalFollows = dialog->interval->IsEnabled();
    dialog->interval->SetValue(4);
    Use(dialog->modes[3]);
    intervalFollows = intervalFollows && !dialog->interval->IsEnabled();
    Use(dialog->FindWindow(wxID_OK));
  });
  themes::ui::OverlaySelection selected;
  selected.type = 12;
  selected.text = perimeters.name;
  selected.vector = &perimeters;
  themes::ui::ThemeTreeCommand(frame, themes::ui::kCmdVectorProperties, *doc, selected);
  EXPECT_TRUE(intervalFollows);
  EXPECT_EQ(perimeters.perimeterDisplayMode, 3);
  EXPECT_EQ(perimeters.perimeterInterval, 4);
  ASSERT_FALSE(perimeters.displayList.empty());
  EXPECT_LT(perimeters.displayList.size(), all);
  double latest = 0;
  for (double e : perimeters.elapsedMinutes) latest = std::max(latest, e);
  for (int i : perimeters.displayList) EXPECT_EQ(perimeters.elapsedMinutes[static_cast<std::size_t>(i)], latest);

  // No perimeter file is left in the working folder.
  for (const auto& e : fs::directory_iterator(platform::WorkingFolder()))
    EXPECT_NE(e.path().extension(), ".shp") << e.path();
}

// A minimum-travel-time run as a user makes one: the sample landscape, a new run, the Minimum
// Travel Time page with an ignition drawn on the map, typed numbers refused, "Launch MTT", the
// progress dialog (cancelled once, then run to its end) and the MTT themes under the run.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/ui/main_frame.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "project/document.h"
#include "project/work_area.h"
#include "program_fixture.h"
#include "runs/run.h"
#include "app/command_rules.h"
#include "app/ui/project_window.h"
#include "runs/ui/page_menus.h"
#include "runs/ui/run_sheet.h"
#include "run_window_fixture.h"
#include "runs_gui_support.h"
#include "support/shape_files.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "views/view_commands.h"
#include "widgets/up_dialog.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;
using runs::ui::CPathweaverPage;
using runs::ui::CRunInputsPage;
using runs::ui::CRunSheet;
using runs_gui::LaunchAndWatch;
using runs_gui::PumpUntil;
using runs_gui::Use;
using runs_gui::WhenShown;

namespace {

class MttRunWindow : public program_test::RunWindowTest {
 protected:
  MttRunWindow() : RunWindowTest("test-mtt-run") {}

  // The run sheet's inputs: the moisture file, a 15 mph wind and the first crown method.
  void FillInputs(CRunSheet* sheet) {
    CRunInputsPage* inputs = sheet->inputsPage;
    OpenFms(inputs, CRunInputsPage::kOpenFms);
    inputs->speedSpin->SetValue(15);
    runs_gui::Choose(inputs->crownCombo, 0);
  }
};

}  // namespace

TEST_F(MttRunWindow, LaunchesFromTheMinimumTravelTimePageCancelsAndMakesItsThemes) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = OpenSample(frame);
  ASSERT_TRUE(doc->IsLandscapeLoaded());
  const std::string outside = testsupport::WriteShapes(folder.string(), "far", {"POINT (100 100)"});
  const std::string drawnFile = (folder / "drawn.shp").string();
  fs::remove(drawnFile);

  std::vector<std::string> finished;
  std::size_t themesAfterCancel = 99;
  bool upToDateAfterCancel = true;
  std::vector<std::string> refusals, writeRefusals, typedRefusals;
  std::string ignitionAfterFailedWrite = "?", keptTyped, statusWithTyped;
  bool readyWithoutFile = true, loadShapeWithoutShapes = true, launchWithTyped = true, askedAgain = true;
  WhenShown("Run : New Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CRunSheet*>(d);
    ASSERT_TRUE(sheet);
    sheet->timing = {std::chrono::milliseconds(1), std::chrono::milliseconds(300)};
    FillInputs(sheet);

    sheet->SelectPage(2);
    CPathweaverPage* page = sheet->mttPage;
    ASSERT_TRUE(page->IsCreated());
    EXPECT_EQ(sheet->launchButton->GetLabel(), "Launch MTT");
    Use(page->FindWindow(1044));  // Arrival Time Grid
    readyWithoutFile = sheet->launchButton->IsEnabled();
    // A file away from the analysis area is refused; the sample point is taken.
    page->menuChooser = [](int) { return static_cast<int>(CPathweaverPage::kOpenIgnitions); };
    dialogs_->AnswerOpenFile(outside);
    Use(page->ignitionButton);
    refusals = messages_->Texts();
    messages_->Clear();
    page->menuChooser = nullptr;

    // Load Current Shape: only while the map holds drawn shapes; they are written where the user
    // says (a failed write is said and changes nothing), then taken from that file while they
    // stay as they were.
    auto loadShapeEnabled = [page] {
      std::unique_ptr<wxMenu> menu(page->BuildMenu(1480));
      return menu->IsEnabled(runs::ui::MenuId(CPathweaverPage::kLoadCurrentShape));
    };
    loadShapeWithoutShapes = loadShapeEnabled();
    ASSERT_TRUE(doc->ChooseShapeKind(4));
    doc->shapes.push_back({dPoint{614400, 4509600}});
    doc->shapesSaved = false;
    ASSERT_TRUE(loadShapeEnabled());
    page->menuChooser = [](int) { return static_cast<int>(CPathweaverPage::kLoadCurrentShape); };
    dialogs_->AnswerSaveFile((folder / "no-such-folder" / "drawn.shp").string());
    Use(page->ignitionButton);
    writeRefusals = messages_->Texts();
    messages_->Clear();
    ignitionAfterFailedWrite = page->ignitionFile;
    dialogs_->AnswerSaveFile(drawnFile);
    Use(page->ignitionButton);
    const std::size_t asked = dialogs_->Requests().size();
    Use(page->ignitionButton);
    askedAgain = dialogs_->Requests().size() != asked;
    page->menuChooser = nullptr;
    // Rate, influence, intensity, flow and major paths, arrival contour.
    for (int id : {1042, 1043, 1047, 1048, 1049, 1046}) Use(page->FindWindow(id));

    // Typed numbers out of range or not numbers are refused by name and kept as typed.
    page->lateralDepth->SetValue("11");
    launchWithTyped = sheet->launchButton->IsEnabled();
    statusWithTyped = sheet->StatusText(0);
    Use(sheet->FindWindow(CRunSheet::kApplyId));
    keptTyped = page->lateralDepth->GetValue().utf8_string();
    page->lateralDepth->SetValue("10");
    page->spotProbability->SetValue("often");
    Use(sheet->FindWindow(CRunSheet::kApplyId));
    page->spotProbability->SetValue("0.010");
    page->verticalDepth->SetValue("10");
    typedRefusals = messages_->Texts();
    messages_->Clear();
    ASSERT_TRUE(sheet->launchButton->IsEnabled());

    LaunchAndWatch(sheet, true);
    themesAfterCancel = sheet->run->outputThemes.size();
    upToDateAfterCancel = sheet->run->mttUpToDate;
    finished = LaunchAndWatch(sheet, false);
    Use(sheet->FindWindow(wxID_OK));
  });
  program_test::Command(frame, cmd::kNewRun);

  EXPECT_FALSE(readyWithoutFile);
  EXPECT_EQ(refusals, std::vector<std::string>{"Error: Ignition file does not overlap Analysis Area"});
  EXPECT_FALSE(loadShapeWithoutShapes);
  ASSERT_EQ(writeRefusals.size(), 1u);
  EXPECT_EQ(writeRefusals[0].rfind("Error: Unable to create ignition shape file.", 0), 0u) << writeRefusals[0];
  EXPECT_EQ(ignitionAfterFailedWrite, "");
  EXPECT_FALSE(askedAgain);
  EXPECT_FALSE(launchWithTyped);
  EXPECT_EQ(statusWithTyped, "Lateral Search Depth: Please enter an integer between 0 and 10.");
  EXPECT_EQ(keptTyped, "11");
  EXPECT_EQ(typedRefusals, (std::vector<std::string>{"Lateral Search Depth: Please enter an integer between 0 and 10.",
                                                     "Spot Probability: Please enter a number."}));
  EXPECT_EQ(themesAfterCancel, 0u);  // a cancelled run is no success
  EXPECT_FALSE(upToDateAfterCancel);
  ASSERT_FALSE(finished.empty());
  EXPECT_EQ(finished.back().rfind("Execution complete. Run time: ", 0), 0u) << finished.back();
  EXPECT_NE(std::find(finished.begin(), finished.end(), "Running MTT..."), finished.end())
      << "statuses seen: " << finished.size();
  EXPECT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();

  CRun& run = *doc->currentArea->runs.at(0);
  EXPECT_EQ(run.mtt.ignitionFile, drawnFile);
  EXPECT_EQ(run.mtt.lateralSearchDepth, 10);
  EXPECT_DOUBLE_EQ(run.mtt.spotProbability, 0.01);
  std::set<std::string> names;
  for (const auto& t : run.outputThemes) names.insert(t->name);
  for (const char* want : {"MTT ROS", "MTT Arrival Time", "MTT Node Influence", "MTT Fireline Intensity"})
    EXPECT_TRUE(names.count(want)) << want;
  EXPECT_TRUE(run.mttUpToDate);
  ASSERT_NE(run.mttIgnitions, nullptr);
  EXPECT_EQ(run.mttIgnitions->name, "Minimum Travel Time Ignitions");
  ASSERT_NE(run.flowPaths, nullptr);
  ASSERT_NE(run.majorPaths, nullptr);
  EXPECT_GT(run.flowPaths->ShapeCount(), 0);
  ASSERT_NE(run.arrivalContour, nullptr);
  EXPECT_EQ(run.arrivalContour->name, "MTT Arrival Contour");
  EXPECT_FALSE(run.arrivalContour->lines.empty());
  bool drawn = false;
  for (const auto& item : doc->drawPriority) drawn |= item.vectorTheme == run.flowPaths;
  EXPECT_TRUE(drawn);
  ASSERT_FALSE(run.runLogs.empty());
  EXPECT_EQ(run.runLogs.back().text.rfind("#Run Log for MTT run: New Run\r\n", 0), 0u);
}

TEST_F(MttRunWindow, BurnProbabilityRunsFromRandomIgnitionsAndAFireList) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = OpenSample(frame);
  ASSERT_TRUE(doc->IsLandscapeLoaded());
  const std::string list = (folder / "fires.txt").string();
  std::ofstream(list, std::ios::binary) << "FIRE_NUM, X, Y\n1, 614400, 4509600\n2 613000 4508000\n3, 1, 1,\n";

  bool readyWithoutOutputs = true, readyWithoutList = true, randomReady = false;
  std::string simulationTime;
  std::vector<std::string> asked;
  std::vector<std::string> finished;
  WhenShown("Run : New Run", [&](wxDialog* d) {
    auto* sheet = dynamic_cast<CRunSheet*>(d);
    ASSERT_TRUE(sheet);
    sheet->timing = {std::chrono::milliseconds(1), std::chrono::milliseconds(10)};
    FillInputs(sheet);

    sheet->SelectPage(2);
    CPathweaverPage* page = sheet->mttPage;
    Use(page->sourceRadios[1]);  // Random
    simulationTime = page->simulationTime->GetValue().utf8_string();
    readyWithoutOutputs = sheet->launchButton->IsEnabled();
    Use(page->FindWindow(1051));  // Burn Probabilities
    randomReady = sheet->launchButton->IsEnabled();
    Use(page->sourceRadios[2]);  // From Fire List File
    readyWithoutList = sheet->launchButton->IsEnabled();
    page->menuChooser = [](int) { return static_cast<int>(CPathweaverPage::kOpenFireList); };
    dialogs_->AnswerOpenFile(list);
    messages_->Script({platform::Answer::Yes});
    Use(page->fireListButton);
    asked = messages_->Texts();
    messages_->Clear();
    page->menuChooser = nullptr;
    for (int id : {1356, 1041, 1050}) Use(page->FindWindow(id));  // perimeters, FLP English, sizes
    ASSERT_TRUE(sheet->launchButton->IsEnabled());
    finished = LaunchAndWatch(sheet, false);
    Use(sheet->FindWindow(wxID_OK));
  });
  program_test::Command(frame, cmd::kNewRun);

  EXPECT_EQ(simulationTime, "60");
  EXPECT_FALSE(readyWithoutOutputs);
  EXPECT_TRUE(randomReady);
  EXPECT_FALSE(readyWithoutList);
  EXPECT_EQ(asked, std::vector<std::string>{"Found 2 fires in " + list + "\n\nUse this fire list file?"});
  ASSERT_FALSE(finished.empty());
  EXPECT_EQ(finished.back().rfind("Execution complete. Run time: ", 0), 0u) << finished.back();
  EXPECT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();

  CRun& run = *doc->currentArea->runs.at(0);
  EXPECT_EQ(run.mtt.ignitionSource, 3);
  EXPECT_EQ(run.mtt.fireListFile, list);
  const CTheme* bp = run.FindOutputTheme(39);
  ASSERT_NE(bp, nullptr);
  EXPECT_EQ(bp->name, "Burn Probability");
  ASSERT_NE(run.randomPerimeters, nullptr);
  bool drawn = false;
  for (const auto& item : doc->drawPriority) drawn |= item.vectorTheme == run.randomPerimeters;
  EXPECT_TRUE(drawn);
  std::vector<std::string> tables;
  for (const auto& l : run.runLogs) tables.push_back(l.name);
  EXPECT_EQ(tables, (std::vector<std::string>{"FLP English", "FireSizeList", "Run Log"}));
  EXPECT_EQ(run.runLogs.back().text.rfind("#Run Log for MTT Random Ignitions run: New Run\r\n", 0), 0u);
}

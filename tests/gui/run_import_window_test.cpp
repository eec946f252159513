// Import Run from the Analysis Area menu: the run log of a launched fire-behaviour run on the
// sample landscape becomes a new run whose sheet opens, and launching it there gives the same
// output grids, cell for cell.
#include <gtest/gtest.h>
#include <wx/button.h>

#include <filesystem>
#include <fstream>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/ui/run_commands_ui.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "themes/theme.h"

namespace fs = std::filesystem;
using app::ui::MainFrame;
using runs::ui::CRunSheet;

namespace {

class RunImportWindow : public program_test::ProgramTest {
 protected:
  RunImportWindow() : ProgramTest("test-run-import") {}
  std::string Folder() const { return (fs::path(PV_BINARY_DIR) / "test-run-import").string(); }

  // Launches the run from its sheet; returns the sheet's last status part.
  static void LaunchFromSheet(const std::string& title, const std::function<void(CRunSheet*)>& check) {
    runs_gui::WhenShown(title, [check](wxDialog* d) {
      auto* sheet = dynamic_cast<CRunSheet*>(d);
      ASSERT_TRUE(sheet);
      if (check) check(sheet);
      sheet->SelectPage(1);
      ASSERT_TRUE(sheet->launchButton->IsEnabled()) << sheet->StatusText(0) << " / " << sheet->StatusText(1);
      const auto seen = runs_gui::LaunchAndWatch(sheet);
      ASSERT_FALSE(seen.empty());
      EXPECT_EQ(seen.back().rfind("Execution complete.", 0), 0u) << seen.back();
      runs_gui::Use(sheet->FindWindow(wxID_OK));
    });
  }
};

std::vector<float> Cells(const CTheme& theme) {
  std::vector<float> cells(static_cast<std::size_t>(theme.rows) * theme.columns);
  for (int r = 0; r < theme.rows; ++r) theme.ReadRow(r, cells.data() + static_cast<std::size_t>(r) * theme.columns);
  return cells;
}

}  // namespace

TEST_F(RunImportWindow, ARunLogImportedFromTheMenuRelaunchesToTheSameGrids) {
  MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = app::ui::ActiveProject(*frame);
  ASSERT_TRUE(doc && doc->currentArea);
  const int item = frame->GetMenuBar()->FindMenuItem("&Analysis Area", "&Import Run");
  ASSERT_EQ(item, MainFrame::WxIdFor(app::cmd::kImportRun));
  EXPECT_EQ(frame->GetMenuBar()->GetHelpString(item), "Import from Run Log or TRIAX Inputs file");
  EXPECT_TRUE(program_test::StateOf(frame, app::cmd::kImportRun).enabled);

  // The original: fixed moistures, an uphill wind, four grids.
  const std::string fms = Folder() + "/dry.fms";
  std::ofstream(fms, std::ios::binary) << "0 3 4 5 40 60\n";
  CRun* original = runs::NewRun(*doc);
  ASSERT_TRUE(original);
  original->inputs.fuelMoistureFile = fms;
  original->inputs.windType = 1;
  original->inputs.windSpeed = 18;
  original->inputs.windDirection = 200;
  original->outputs.crownFireMethod = 0;
  original->outputs.flameLength = original->outputs.rateOfSpread = original->outputs.firelineIntensity =
      original->outputs.maxSpreadDirection = true;
  LaunchFromSheet("Run : New Run", nullptr);
  runs::ui::EditRunSheet(frame, *original);
  ASSERT_EQ(original->outputThemes.size(), 4u);
  ASSERT_FALSE(original->runLogs.empty());

  // Its log, saved as a user saves it, imported through the menu; the new run's sheet opens.
  const std::string log = Folder() + "/original log.txt";
  std::ofstream(log, std::ios::binary) << original->runLogs.back().text;
  dialogs_->AnswerOpenFile(log);
  bool sheetOpened = false;
  LaunchFromSheet("Run : New Run", [&](CRunSheet* sheet) {
    sheetOpened = true;
    EXPECT_EQ(sheet->StatusText(0), "Inputs OK");
  });
  program_test::Command(frame, app::cmd::kImportRun);
  EXPECT_TRUE(sheetOpened);
  EXPECT_TRUE(messages_->Texts().empty()) << messages_->Texts().front();
  const auto requests = dialogs_->Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().options.filter,
            "Pyrvane Run Logs (*.txt)|*.txt|TRIAX input files (*.input)|*.input|All Files (*.*)|*.*||");

  ASSERT_EQ(doc->currentArea->runs.size(), 2u);
  CRun& imported = *doc->currentArea->runs[1];
  EXPECT_EQ(imported.inputs.fuelMoistureFile, log + ".fms");
  EXPECT_TRUE(imported.treeItem);
  EXPECT_TRUE(doc->IsModified());
  ASSERT_EQ(imported.outputThemes.size(), original->outputThemes.size());
  for (std::size_t i = 0; i < imported.outputThemes.size(); ++i) {
    const CTheme& a = *original->outputThemes[i];
    const CTheme& b = *imported.outputThemes[i];
    SCOPED_TRACE(a.name);
    EXPECT_EQ(b.name, a.name);
    ASSERT_EQ(b.rows, a.rows);
    ASSERT_EQ(b.columns, a.columns);
    const std::vector<float> x = Cells(a), y = Cells(b);
    std::size_t differing = 0;
    for (std::size_t c = 0; c < x.size(); ++c) differing += x[c] != y[c];
    EXPECT_EQ(differing, 0u);
  }
}

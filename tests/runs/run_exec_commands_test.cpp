#include <gtest/gtest.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/services.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/run_exec_status.h"
#include "themes/theme.h"
#include "weather/temp_dir.h"

namespace {

struct DocFixture {
  TempDir dir;
  CPVN4Doc doc;
  platform::ScopedRecordingMessages messages;
  DocFixture() {
    platform::SetWorkingFolder(dir.File("work"));
    EXPECT_EQ(doc.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"), 1);
  }
  CPyrvane2WorkArea& Area() { return *doc.currentArea; }
};

}  // namespace

TEST(RunCommands, NewRunTakesTheDefaultResolutionAndCopyTakesSettingsOnly) {
  DocFixture f;
  ASSERT_TRUE(runs::CanCreateRun(f.doc));
  const CTheme* elevation = f.doc.GetThemeByLayerType(0);
  ASSERT_NE(elevation, nullptr);
  CRun* run = runs::NewRun(f.doc);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(run->area, f.doc.currentArea);
  EXPECT_EQ(run->inputs.griddedWindsResolution,
            runs::DefaultRunResolution(elevation->cellWidth, elevation->rows, elevation->columns));
  EXPECT_TRUE(f.doc.IsModified());

  run->inputs.fuelMoistureFile = "/x/a.fms";
  run->inputs.windType = 4;
  run->outputs.flameLength = true;
  run->mtt.windAzimuthCopy = 45;
  run->embrith.burnPeriods = {{7, 1, 10, 18}};
  run->fireBehaviorUpToDate = true;
  run->runLogs.push_back({"Run Log", "text"});
  CRun* copy = runs::CopyRun(f.doc, *run);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name, "Copy of New Run");
  EXPECT_EQ(copy->inputs.fuelMoistureFile, "/x/a.fms");
  EXPECT_EQ(copy->inputs.windType, 4);
  EXPECT_TRUE(copy->outputs.flameLength);
  EXPECT_EQ(copy->mtt.windAzimuthCopy, 45);
  EXPECT_EQ(copy->embrith.burnPeriods.size(), 1u);
  EXPECT_FALSE(copy->fireBehaviorUpToDate);
  EXPECT_TRUE(copy->runLogs.empty());
  EXPECT_EQ(f.Area().runs.size(), 2u);
}

TEST(RunCommands, DeleteAsksFirstAndDeleteAllOnlyWhenThereAreRuns) {
  DocFixture f;
  EXPECT_FALSE(runs::DeleteAllRuns(f.doc, &f.Area()));  // no runs: no question
  EXPECT_TRUE(f.messages.Texts().empty());
  CRun* a = runs::NewRun(f.doc);
  runs::NewRun(f.doc);
  runs::NewRun(f.doc);
  f.messages.Script({platform::Answer::No});
  EXPECT_FALSE(runs::DeleteRun(f.doc, a, "New Run"));
  EXPECT_EQ(f.Area().runs.size(), 3u);
  EXPECT_TRUE(runs::DeleteRun(f.doc, a, "New Run"));
  EXPECT_EQ(f.Area().runs.size(), 2u);
  EXPECT_TRUE(runs::DeleteAllRuns(f.doc, &f.Area()));
  EXPECT_TRUE(f.Area().runs.empty());
  EXPECT_EQ(f.messages.Texts(),
            (std::vector<std::string>{"Delete Run 'New Run'?", "Delete Run 'New Run'?",
                                      "Delete all Runs for Analysis Area: '" + f.Area().name + "'?"}));
}

TEST(RunCommands, RunLogsAreSavedAndOpenedFilesRemovedAtTheEnd) {
  DocFixture f;
  platform::ScopedScriptedDialogs dialogs;
  platform::ScopedRecordingShell shell;
  RunLogFile log{"Run Log", "#Run Log\r\nA\r\n"};
  RunLogFile table{"FLP English", "a,b\r\n"};

  dialogs.AnswerSaveFile(std::nullopt);
  EXPECT_FALSE(runs::SaveRunLogAs(log));
  dialogs.AnswerSaveFile(f.dir.File("saved"));
  EXPECT_TRUE(runs::SaveRunLogAs(log));
  EXPECT_EQ(TempDir::Read(f.dir.File("saved.txt")), log.text);
  dialogs.AnswerSaveFile(f.dir.File("t"));
  EXPECT_TRUE(runs::SaveRunLogAs(table));
  EXPECT_EQ(TempDir::Read(f.dir.File("t.csv")), table.text);
  const auto requests = dialogs.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].options.filter.rfind("Text Files (*.txt)|*.txt|CSV", 0), 0u);
  EXPECT_EQ(requests[2].options.filter.rfind("CSV Files (*.csv)", 0), 0u);

  const std::string opened = runs::OpenRunLog(table);
  EXPECT_EQ(std::filesystem::path(opened).parent_path(), std::filesystem::path(platform::WorkingFolder()));
  EXPECT_NE(opened.find("FLP English"), std::string::npos) << opened;
  EXPECT_EQ(shell.Opened(), std::vector<std::string>{"file:" + opened});
  // The viewer may read it at any time until the program ends.
  EXPECT_EQ(TempDir::Read(opened), table.text);
  // Opened again it gets a name of its own; a title from a project file reaches no other folder
  // and replaces no file.
  const std::string again = runs::OpenRunLog(table);
  EXPECT_NE(again, opened);
  EXPECT_EQ(TempDir::Read(opened), table.text);
  const std::string outside = platform::WorkingFolder() + "/../escape.txt";
  ASSERT_TRUE(platform::WriteFileAtomically(outside, "keep"));
  RunLogFile hostile{"../escape", "hostile\n"};
  const std::string contained = runs::OpenRunLog(hostile);
  EXPECT_EQ(std::filesystem::path(contained).parent_path(), std::filesystem::path(platform::WorkingFolder()));
  EXPECT_EQ(TempDir::Read(outside), "keep");
  runs::RemoveOpenedRunLogs();
  for (const std::string& p : {opened, again, contained}) EXPECT_FALSE(std::filesystem::exists(p)) << p;
  std::filesystem::remove(outside);
}

#include <gtest/gtest.h>
#include <wx/app.h>

#include "platform/messages.h"
#include "platform/services.h"
#include "runs/ui/run_commands_ui.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "widgets/screenshot.h"

using namespace runs::ui;

TEST(RunTreeCommands, ApplyOnlyToTheirItemKind) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  platform::ScopedRecordingShell shell;
  RunLogFile log{"Run Log", "#Run Log for Pyrvane run: New Run\r\n"};
  const RunTreeSelection runItem{7, "New Run", p.run, p.run->area, nullptr};
  const RunTreeSelection folder{6, "Runs", nullptr, p.doc.currentArea, nullptr};
  const RunTreeSelection logItem{19, "Run Log", p.run, nullptr, &log};
  struct Case {
    int command;
    const RunTreeSelection* wrong;
  } cases[] = {{kCmdRunProperties, &folder}, {kCmdDeleteRun, &logItem}, {kCmdCopyRun, &folder},
               {kCmdDeleteAllRuns, &runItem}, {kCmdSaveRunLogAs, &runItem}, {kCmdOpenRunLog, &folder}};
  for (const Case& c : cases) EXPECT_FALSE(RunTreeCommand(nullptr, c.command, p.doc, *c.wrong)) << c.command;
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(p.doc.currentArea->runs.size(), 1u);

  EXPECT_TRUE(RunTreeCommand(nullptr, kCmdOpenRunLog, p.doc, logItem));
  ASSERT_EQ(shell.Opened().size(), 1u);
  EXPECT_NE(shell.Opened()[0].find("/Run Log.txt"), std::string::npos);

  // Copy opens the copy's sheet; OK keeps it.
  runs_gui::WhenShown("Run : Copy of New Run", [](wxDialog* sheet) {
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    sheet->GetEventHandler()->ProcessEvent(ok);
  });
  EXPECT_TRUE(RunTreeCommand(nullptr, kCmdCopyRun, p.doc, runItem));
  ASSERT_EQ(p.doc.currentArea->runs.size(), 2u);
  EXPECT_EQ(p.doc.currentArea->runs[1]->name, "Copy of New Run");

  messages.Script({platform::Answer::Yes});
  EXPECT_TRUE(RunTreeCommand(nullptr, kCmdDeleteAllRuns, p.doc, folder));
  EXPECT_TRUE(p.doc.currentArea->runs.empty());
  widgets::FlushEvents(2);
}

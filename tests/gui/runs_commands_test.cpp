#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include "platform/messages.h"
#include "platform/services.h"
#include "runs/ui/run_commands_ui.h"
#include "views/ui/project_tree.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "widgets/screenshot.h"

using namespace runs::ui;
using namespace views::ui;

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
  EXPECT_NE(shell.Opened()[0].find("-Run Log.txt"), std::string::npos);

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

namespace {

// The labels of the run items under the area's Runs folder of the tree.
std::vector<std::string> RunLabels(CPVN4View& tree, CPyrvane2WorkArea* area) {
  std::vector<std::string> labels;
  std::function<void(wxTreeItemId)> walk = [&](wxTreeItemId parent) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree.GetFirstChild(parent, cookie); c.IsOk(); c = tree.GetNextChild(parent, cookie)) {
      CTreeItem* data = tree.Data(c);
      if (data && data->type == kTreeRun) labels.push_back(tree.GetItemText(c).utf8_string());
      else walk(c);
    }
  };
  walk(tree.FindAreaItem(area));
  return labels;
}

}  // namespace

TEST(RunTreeCommands, TheTreeFollowsNewCopiedAndDeletedRuns) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  runs_gui::TreeWindow window(p.doc);
  CPVN4View* tree = window.tree;
  CPyrvane2WorkArea* area = p.doc.currentArea;
  EXPECT_EQ(RunLabels(*tree, area), std::vector<std::string>{"New Run"});

  p.run->name = "Ridge";
  runs_gui::WhenShown("Run : Copy of Ridge", [](wxDialog* sheet) {
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    sheet->GetEventHandler()->ProcessEvent(ok);
  });
  const RunTreeSelection ridge{kTreeRun, "Ridge", p.run, area, nullptr, tree};
  ASSERT_TRUE(RunTreeCommand(nullptr, kCmdCopyRun, p.doc, ridge));
  EXPECT_EQ(RunLabels(*tree, area), (std::vector<std::string>{"Ridge", "Copy of Ridge"}));
  // A second copy gets a name of its own.
  runs_gui::WhenShown("Run : Copy (2) of Ridge", [](wxDialog* sheet) {
    wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
    sheet->GetEventHandler()->ProcessEvent(ok);
  });
  ASSERT_TRUE(RunTreeCommand(nullptr, kCmdCopyRun, p.doc, ridge));
  EXPECT_EQ(RunLabels(*tree, area), (std::vector<std::string>{"Ridge", "Copy of Ridge", "Copy (2) of Ridge"}));

  messages.Script({platform::Answer::Yes});
  ASSERT_TRUE(RunTreeCommand(nullptr, kCmdDeleteRun, p.doc, ridge));
  EXPECT_EQ(RunLabels(*tree, area), (std::vector<std::string>{"Copy of Ridge", "Copy (2) of Ridge"}));

  messages.Script({platform::Answer::Yes});
  ASSERT_TRUE(RunTreeCommand(nullptr, kCmdDeleteAllRuns, p.doc, {kTreeRunsFolder, "Runs", nullptr, area, nullptr, tree}));
  EXPECT_TRUE(RunLabels(*tree, area).empty());
  widgets::FlushEvents(2);
}

// The KMZ commands of the project tree on the sample landscape: Create Landscape KMZ on the
// area and KMZ Output on a run write their files; without a projection the refusal is said.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <filesystem>
#include <fstream>

#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/ui/run_commands_ui.h"
#include "runs_gui_support.h"
#include "views/ui/kmz_commands.h"
#include "views/ui/project_tree.h"

namespace {

namespace fs = std::filesystem;

class KmzCommands : public program_test::ProgramTest {
 protected:
  KmzCommands() : ProgramTest("test-kmz-commands") {}

  // The tree's context menu on an item, answered with the command; the menu's labels.
  std::vector<std::string> TreeMenu(wxTreeItemId item, int command) {
    std::vector<std::string> offered;
    tree_->SetMenuChooser([&](wxMenu& menu, wxPoint) {
      for (const wxMenuItem* i : menu.GetMenuItems())
        if (!i->IsSeparator() && i->IsEnabled()) offered.push_back(i->GetItemLabel().utf8_string());
      return command;
    });
    wxRect r;
    EXPECT_TRUE(tree_->GetBoundingRect(item, r, true));
    tree_->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    return offered;
  }
  std::string Out(const std::string& name) const {
    return (fs::path(PV_BINARY_DIR) / "test-kmz-commands" / name).string();
  }
  // The entries of a zip archive, judged by python's zipfile.
  static std::string Entries(const std::string& kmz) {
    const std::string cmd = std::string(PV_PYTHON) + " -c \"import zipfile,sys; print(' '.join(zipfile.ZipFile(sys.argv[1]).namelist()))\" '" + kmz + "'";
    std::string out;
    if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      ::pclose(p);
    }
    return out;
  }

  views::ui::CPVN4View* tree_ = nullptr;
};

TEST_F(KmzCommands, AreaAndRunWriteTheirFilesAndNoProjectionIsRefused) {
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = app::ui::ActiveProject(*frame);
  ASSERT_TRUE(doc && doc->currentArea);
  auto* child = dynamic_cast<app::ui::CChildFrame*>(frame->GetActiveChild());
  tree_ = dynamic_cast<views::ui::CPVN4View*>(child->TreePane());
  ASSERT_TRUE(tree_);
  CPyrvane2WorkArea* area = doc->currentArea;
  const wxTreeItemId areaItem = tree_->FindAreaItem(area);
  ASSERT_TRUE(areaItem.IsOk());

  // Create Landscape KMZ on the area: a name without extension gets ".kmz".
  fs::create_directories(Out(""));
  fs::remove(Out("area.kmz"));
  dialogs_->AnswerSaveFile(Out("area"));
  const auto offered = TreeMenu(areaItem, views::ui::kCmdLandscapeKmz);
  EXPECT_NE(std::find(offered.begin(), offered.end(), "Create Landscape &KMZ"), offered.end());
  ASSERT_TRUE(fs::exists(Out("area.kmz")));
  EXPECT_NE(Entries(Out("area.kmz")).find("Images/ Images/pvn.png Images/Elevation.png Images/ElevationLegend.png"), std::string::npos)
      << Entries(Out("area.kmz"));
  EXPECT_TRUE(dialogs_->Requests().back().options.overwritePrompt);

  // KMZ Output on a run made by the Runs folder's New (its sheet cancelled).
  wxTreeItemId runsItem;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree_->GetFirstChild(areaItem, cookie); c.IsOk(); c = tree_->GetNextChild(areaItem, cookie))
    if (tree_->Data(c) && tree_->Data(c)->type == views::ui::kTreeRunsFolder) runsItem = c;
  ASSERT_TRUE(runsItem.IsOk());
  runs_gui::WhenShown("Run : New Run", [](wxDialog* d) { d->EndModal(wxID_CANCEL); });
  TreeMenu(runsItem, runs::ui::kCmdNewRun);
  ASSERT_EQ(area->runs.size(), 1u);
  const wxTreeItemId runItem(area->runs[0]->treeItem);
  ASSERT_TRUE(runItem.IsOk());
  dialogs_->AnswerSaveFile(Out("run.kmz"));
  const auto runMenu = TreeMenu(runItem, views::ui::kCmdKmzOutput);
  EXPECT_NE(std::find(runMenu.begin(), runMenu.end(), "&KMZ Output"), runMenu.end());
  ASSERT_TRUE(fs::exists(Out("run.kmz")));
  EXPECT_NE(Entries(Out("run.kmz")).find("doc.kml"), std::string::npos);
  EXPECT_TRUE(messages_->Texts().empty());

  // Without a projection: the refusal, and no file asked for.
  doc->landscape.projection.clear();
  const std::size_t asked = dialogs_->Requests().size();
  TreeMenu(areaItem, views::ui::kCmdLandscapeKmz);
  EXPECT_EQ(dialogs_->Requests().size(), asked);
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Error, cannot resolve projection, no kmz will be written."});
}

}  // namespace

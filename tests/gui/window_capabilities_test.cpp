// Capabilities built elsewhere and reached from the window: deleting and renaming analysis
// areas, the WTR and WND conversion under Utilities, the F6 pane switch and the tree's help.
#include <gtest/gtest.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/help.h"
#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "program_fixture.h"
#include "project/document.h"
#include "platform/services.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs_gui_support.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/view_commands.h"
#include "weather/ui/wtr_wnd_dialog.h"

namespace {

namespace fs = std::filesystem;
using app::ui::MainFrame;
using views::ui::CPVN4View;

class Capabilities : public program_test::ProgramTest {
 protected:
  Capabilities() : ProgramTest("test-capabilities") {}
  MainFrame* StartOnSample() {
    MainFrame* frame = Start({program_test::SampleLcp()});
    doc_ = frame ? app::ui::ActiveProject(*frame) : nullptr;
    return doc_ ? frame : nullptr;
  }
  // A second area over the landscape's south-west quarter, made current.
  CPyrvane2WorkArea* AddArea() {
    const CPyrvane2WorkArea& all = *doc_->DefaultArea();
    CPyrvane2WorkArea* area = doc_->CreateWorkArea((all.north + all.south) / 2, (all.east + all.west) / 2,
                                                   all.south, all.west, "New Analysis Area");
    doc_->UpdateAllViews();
    widgets::FlushEvents(2);
    return area;
  }
  static void TreeMenu(CPVN4View* tree, wxTreeItemId item, int command) {
    tree->SetMenuChooser([command](wxMenu&, wxPoint) { return command; });
    tree->EnsureVisible(item);
    wxRect r;
    ASSERT_TRUE(tree->GetBoundingRect(item, r, true));
    tree->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
  }
  CPVN4Doc* doc_ = nullptr;
};

TEST_F(Capabilities, AnalysisAreasAreDeletedFromTheMenuOrTheTreeButNeverTheDefaultOne) {
  MainFrame* frame = StartOnSample();
  ASSERT_TRUE(frame);
  CPVN4View* tree = views::ui::FindTreeView(doc_);
  ASSERT_TRUE(tree);
  // The default area is refused.
  program_test::Command(frame, views::cmd::kDeleteAnalysisArea);
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Can not delete the default Analysis Area."});
  ASSERT_EQ(doc_->areas.size(), 1u);

  // The current area, answered No: it stays, but the default area is current from then on.
  CPyrvane2WorkArea* area = AddArea();
  ASSERT_TRUE(area);
  ASSERT_EQ(doc_->currentArea, area);
  messages_->Clear();
  program_test::Command(frame, views::cmd::kDeleteAnalysisArea);
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Delete Analysis Area 'New Analysis Area'?"});
  EXPECT_EQ(doc_->areas.size(), 2u);
  EXPECT_EQ(doc_->currentArea, doc_->DefaultArea());

  // From its tree item, answered Yes: the area, its item and its runs go.
  doc_->SetModifiedFlag(false);
  messages_->Script({platform::Answer::Yes});
  TreeMenu(tree, tree->FindAreaItem(area), views::cmd::kDeleteAnalysisArea);
  widgets::FlushEvents(2);
  ASSERT_EQ(doc_->areas.size(), 1u);
  EXPECT_FALSE(tree->FindAreaItem(area).IsOk());
  EXPECT_EQ(doc_->currentArea, doc_->DefaultArea());
  EXPECT_TRUE(doc_->IsModified());
}

TEST_F(Capabilities, OnlyAreasOtherThanTheDefaultAreRenamedAndTheNameReachesModelAndStatusBar) {
  MainFrame* frame = StartOnSample();
  ASSERT_TRUE(frame);
  CPVN4View* tree = views::ui::FindTreeView(doc_);
  CPyrvane2WorkArea* area = AddArea();
  ASSERT_TRUE(area && tree);
  const wxTreeItemId defaultItem = tree->FindAreaItem(doc_->DefaultArea());
  const wxTreeItemId item = tree->FindAreaItem(area);
  // The project itself takes a new title in place (see the raster theme tests); a layer does not.
  EXPECT_TRUE(tree->CanRename(tree->RootItem()));
  EXPECT_FALSE(tree->CanRename(tree->LandscapeItem()));
  EXPECT_FALSE(tree->CanRename(defaultItem));
  EXPECT_TRUE(tree->CanRename(item));

  doc_->SetModifiedFlag(false);
  EXPECT_FALSE(tree->RenameArea(item, "   "));  // an empty name is refused
  EXPECT_EQ(area->name, "New Analysis Area");
  EXPECT_TRUE(tree->RenameArea(item, "  North Ridge \t"));
  widgets::FlushEvents(2);
  EXPECT_EQ(area->name, "North Ridge");
  EXPECT_EQ(tree->GetItemText(item), "North Ridge");
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_EQ(frame->UpdateStatusPanes().area, "North Ridge");

  EXPECT_FALSE(tree->RenameArea(defaultItem, "Elsewhere"));
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Can not rename the default Analysis Area."});
  EXPECT_EQ(doc_->DefaultArea()->name, "Entire Landscape (Default)");
}

TEST_F(Capabilities, F6MovesTheFocusBetweenTheTreeAndTheMap) {
  MainFrame* frame = StartOnSample();
  ASSERT_TRUE(frame);
  auto* child = dynamic_cast<app::ui::CChildFrame*>(frame->GetActiveChild());
  ASSERT_TRUE(child);
  child->MapPane()->SetFocus();
  widgets::FlushEvents(2);
  if (!child->MapPane()->HasFocus()) GTEST_SKIP() << "the display gives no keyboard focus";
  program_test::Command(frame, app::cmd::kNextPane);
  widgets::FlushEvents(2);
  EXPECT_TRUE(child->TreePane()->HasFocus());
  program_test::Command(frame, app::cmd::kPreviousPane);
  widgets::FlushEvents(2);
  EXPECT_TRUE(child->MapPane()->HasFocus());
}

// The conversion dialog as the user drives it: each missing file is named, a pair that
// cannot be converted leaves it open, a good pair writes the stream and closes it.
TEST_F(Capabilities, WtrAndWndToWxsFromTheUtilitiesMenu) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  const fs::path dir = fs::path(PV_BINARY_DIR) / "test-capabilities" / "wtr";
  fs::create_directories(dir);
  const std::string wtr = (dir / "days.wtr").string(), wnd = (dir / "winds.wnd").string(),
                    bad = (dir / "bad.wtr").string(), wxs = (dir / "out.wxs").string();
  std::ofstream(wtr) << "ENGLISH\n8 1 0 600 1500 40 80 90 30 5000\n8 2 0 600 1500 42 82 88 28 5000\n"
                        "8 3 0 600 1500 41 81 89 29 5000\n";
  std::ofstream(wnd) << "ENGLISH\n8 1 0 5 180 10\n";
  std::ofstream(bad) << "ENGLISH\n8 1 0 600\n";  // a line of four numbers rejects the file
  fs::remove(wxs);

  using Dlg = weather::ui::CDialogWtrWndToWxs;
  runs_gui::WhenShown("Convert Wtr and Wnd files to Wxs File", [&](wxDialog* d) {
    auto* dialog = dynamic_cast<Dlg*>(d);
    ASSERT_TRUE(dialog);
    dialog->OnOK();
    dialogs_->AnswerOpenFile(bad);
    dialog->OnBrowseWtr();
    dialog->OnOK();
    dialogs_->AnswerOpenFile(wnd);
    dialog->OnBrowseWnd();
    dialog->OnOK();
    dialogs_->AnswerSaveFile(wxs);
    dialog->OnBrowseWxs();
    EXPECT_EQ(static_cast<wxTextCtrl*>(dialog->FindWindow(Dlg::kWxsEdit))->GetValue(), wxs);
    dialog->OnOK();  // the bad daily file: the dialog stays for another choice
    EXPECT_TRUE(dialog->IsModal());
    dialogs_->AnswerOpenFile(wtr);
    dialog->OnBrowseWtr();
    dialog->OnOK();
    if (dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
  });
  program_test::Command(frame, app::cmd::kWtrWndToWxs);
  EXPECT_EQ(messages_->Texts(),
            (std::vector<std::string>{"A WTR file must be selected", "A WND file must be selected",
                                      "A destination WXS file must be selected", "Failed to generate " + wxs,
                                      "Successfully generated " + wxs}));
  std::ifstream in(wxs);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "RAWS_ELEVATION: 5000");
}

}  // namespace

// At the size the window first opens with, the relief-shading bar is whole and in sight: the
// README's picture is this screenshot.
TEST_F(Capabilities, TheReliefBarIsInSightAtTheDefaultSize) {
  MainFrame* frame = StartOnSample();
  ASSERT_TRUE(frame);
  frame->SetSize(MainFrame::DefaultSize());
  widgets::FlushEvents();
  wxWindow* bar = frame->ShaderBar();
  ASSERT_TRUE(bar && bar->IsShown());
  const wxRect client(frame->GetClientAreaOrigin() + frame->GetScreenPosition(), frame->GetClientSize());
  wxWindowList children = bar->GetChildren();
  ASSERT_FALSE(children.empty());
  for (wxWindow* control : children)
    EXPECT_TRUE(client.Contains(control->GetScreenRect())) << control->GetLabel();
  // The project window sits under the bar, not behind it.
  EXPECT_GE(frame->GetActiveChild()->GetScreenPosition().y, bar->GetScreenRect().GetBottom());
  const wxImage shot = widgets::CaptureWindow(frame);
  ASSERT_TRUE(shot.IsOk());
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  EXPECT_TRUE(shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/default_window.png", wxBITMAP_TYPE_PNG));
}

TEST_F(Capabilities, EachTreeItemsHelpOpensItsOwnPage) {
  platform::ScopedRecordingShell browser;
  MainFrame* frame = StartOnSample();
  ASSERT_TRUE(frame);
  CRun* run = runs::NewRun(*doc_);
  ASSERT_TRUE(run);
  run->runLogs.push_back({"help_log", "text\n"});
  CPyrvane2WorkArea* second = AddArea();
  CPVN4View* tree = views::ui::FindTreeView(doc_);
  ASSERT_TRUE(tree && second);
  tree->ExpandEverything();
  // The first item of each type, in tree order, and the second area.
  std::map<int, wxTreeItemId> byType;
  std::function<void(wxTreeItemId)> visit = [&](wxTreeItemId item) {
    if (const views::ui::CTreeItem* d = tree->Data(item)) byType.emplace(d->type, item);
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(item, cookie); c.IsOk(); c = tree->GetNextChild(item, cookie)) visit(c);
  };
  visit(tree->RootItem());
  const struct {
    int type;
    int command;
    int topic;
  } cases[] = {
      {views::ui::kTreeRoot, 32866, 23},         {views::ui::kTreeLandscape, 32886, 32},
      {views::ui::kTreeAreasFolder, 32868, 31},  {views::ui::kTreeArea, 32869, 29},
      {views::ui::kTreeRunsFolder, 32870, 25},   {views::ui::kTreeRun, 32871, 24},
      {views::ui::kTreeAreaTheme, 32867, 26},    {views::ui::kTreeGridFolder, 32887, 34},
      {views::ui::kTreeVectorFolder, 32888, 35}, {views::ui::kTreeContourFolder, 32889, 36},
      {views::ui::kTreeWindVectorFolder, 32917, 37}, {views::ui::kTreeRunLog, 32957, 21},
  };
  std::vector<std::string> expected;
  for (const auto& c : cases) {
    ASSERT_TRUE(byType.count(c.type)) << c.type;
    TreeMenu(tree, byType.at(c.type), c.command);
    expected.push_back("url:" + ComposeHelpAddress(GetApp().helpBase, c.topic));
    visit(tree->RootItem());  // a click may have re-synced the items
  }
  // The second area's page is not the default area's.
  TreeMenu(tree, tree->FindAreaItem(second), 32869);
  expected.push_back("url:" + ComposeHelpAddress(GetApp().helpBase, 30));
  EXPECT_EQ(browser.Opened(), expected);
  EXPECT_TRUE(messages_->Texts().empty());
}

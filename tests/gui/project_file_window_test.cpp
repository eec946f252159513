// Projects saved and reopened through the window: File > Save As, close, the recent files,
// and the question on closing a changed project.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/treectrl.h>

#include <filesystem>
#include <functional>
#include <set>

#include "app/command_rules.h"
#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/theme.h"
#include "views/ui/legend_window.h"
#include "views/ui/map_view.h"
#include "views/ui/shader_bar.h"
#include "views/view_commands.h"
#include "program_fixture.h"
#include "widgets/screenshot.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;
using program_test::Command;
using program_test::SampleLcp;

namespace {

std::multiset<std::string> TreeTexts(const wxTreeCtrl& tree, wxTreeItemId item) {
  std::multiset<std::string> out{tree.GetItemText(item).utf8_string()};
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree.GetFirstChild(item, cookie); c.IsOk(); c = tree.GetNextChild(item, cookie))
    out.merge(TreeTexts(tree, c));
  return out;
}

class ProjectFileWindow : public program_test::ProgramTest {
 protected:
  ProjectFileWindow() : ProgramTest("test-project-file") {}
  std::string Folder() const {
    const fs::path f = fs::path(PV_BINARY_DIR) / "test-project-file" / "projects";
    fs::create_directories(f);
    return f.string();
  }
  wxTreeCtrl* Tree(MainFrame* frame) {
    auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
    return child ? dynamic_cast<wxTreeCtrl*>(child->TreePane()) : nullptr;
  }
};

TEST_F(ProjectFileWindow, SaveAsCloseAndReopenFromTheRecentFilesShowsTheSameProject) {
  MainFrame* frame = Start({SampleLcp()});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc);
  const CHeaderData& h = doc->landscape.header;
  ASSERT_TRUE(doc->CreateWorkArea(h.north - 600, h.east - 600, h.south + 600, h.west + 600, "Ridge"));
  doc->reliefShading = 1;
  doc->shadingAzimuth = 200;
  doc->UpdateAllViews();
  Command(frame, views::cmd::kZoomIn);
  widgets::FlushEvents();
  auto* map = views::ui::FindMapView(doc);
  ASSERT_TRUE(map);
  const views::ViewGeometry before = map->Geometry();

  const std::string path = (fs::path(Folder()) / "ridge.pvn").string();
  fs::remove(path);
  dialogs_->AnswerSaveFile(path);
  Command(frame, cmd::kSaveAs);
  widgets::FlushEvents();
  ASSERT_TRUE(fs::exists(path)) << ::testing::PrintToString(messages_->Texts());
  EXPECT_TRUE(fs::exists((fs::path(Folder()) / "ridge.pzp")));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(frame->DocManager()->GetHistoryFile(0), wxString::FromUTF8(path));
  wxTreeCtrl* tree = Tree(frame);
  ASSERT_TRUE(tree);
  const auto texts = TreeTexts(*tree, tree->GetRootItem());
  EXPECT_EQ(texts.count("ridge"), 1u);

  // A saved, unchanged project closes without a question.
  messages_->Clear();
  ASSERT_TRUE(frame->DocManager()->CloseDocument(frame->DocManager()->GetCurrentDocument()));
  widgets::FlushEvents();
  EXPECT_TRUE(messages_->Texts().empty()) << ::testing::PrintToString(messages_->Texts());
  EXPECT_TRUE(frame->DocManager()->GetDocumentsVector().empty());

  wxCommandEvent recent(wxEVT_MENU, MainFrame::WxIdFor(cmd::kRecentFile));
  frame->ProcessWindowEvent(recent);
  widgets::FlushEvents();
  ASSERT_EQ(frame->DocManager()->GetDocumentsVector().size(), 1u) << ::testing::PrintToString(messages_->Texts());
  CPVN4Doc* reopened = ActiveProject(*frame);
  ASSERT_TRUE(reopened);
  EXPECT_TRUE(messages_->Texts().empty()) << ::testing::PrintToString(messages_->Texts());
  EXPECT_FALSE(reopened->IsModified());
  ASSERT_EQ(reopened->areas.size(), 2u);
  EXPECT_EQ(reopened->areas[1]->name, "Ridge");
  EXPECT_EQ(reopened->reliefShading, 1);
  EXPECT_EQ(reopened->shadingAzimuth, 200);
  tree = Tree(frame);
  ASSERT_TRUE(tree);
  EXPECT_EQ(TreeTexts(*tree, tree->GetRootItem()), texts);
  auto* reopenedMap = views::ui::FindMapView(reopened);
  ASSERT_TRUE(reopenedMap);
  EXPECT_NEAR(reopenedMap->Geometry().scale, before.scale, 1e-6);  // kept with six decimals
  EXPECT_EQ(reopenedMap->Geometry().scrollX, before.scrollX);
  EXPECT_EQ(reopenedMap->Geometry().scrollY, before.scrollY);
  EXPECT_FALSE(reopenedMap->MapImage().IsEmpty());
}

// Whichever way a saved project comes back, its window shows what was saved: the tree as
// wide, relief shading ticked (and kept by Apply), the theme, and a legend window of it.
TEST_F(ProjectFileWindow, AReopenedProjectLooksAsItWasSaved) {
  const std::string path = (fs::path(Folder()) / "looks.pvn").string();
  constexpr int kTreeWidth = 310;
  {
    MainFrame* frame = Start({SampleLcp()});
    ASSERT_TRUE(frame);
    CPVN4Doc* doc = ActiveProject(*frame);
    ASSERT_TRUE(doc);
    auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
    ASSERT_TRUE(child);
    child->SetTreeWidth(kTreeWidth);
    doc->reliefShading = 1;
    CTheme* elevation = doc->GetThemeByLayerType(0);
    ASSERT_TRUE(elevation);
    doc->SetVisibleTheme(elevation);
    doc->RefreshMap();
    Command(frame, views::cmd::kViewLegend);
    widgets::FlushEvents();
    ASSERT_EQ(child->TreeWidth(), kTreeWidth);
    fs::remove(path);
    dialogs_->AnswerSaveFile(path);
    Command(frame, cmd::kSaveAs);
    widgets::FlushEvents();
    ASSERT_TRUE(fs::exists(path)) << ::testing::PrintToString(messages_->Texts());
    ASSERT_TRUE(frame->DocManager()->CloseDocument(frame->DocManager()->GetCurrentDocument()));
    widgets::FlushEvents();
  }
  const std::vector<std::pair<std::string, std::function<void(MainFrame*)>>> ways = {
      {"File > Open", [&](MainFrame* frame) {
         dialogs_->AnswerOpenFile(path);
         Command(frame, cmd::kOpen);
       }},
      {"recent files", [&](MainFrame* frame) {
         wxCommandEvent recent(wxEVT_MENU, MainFrame::WxIdFor(cmd::kRecentFile));
         frame->ProcessWindowEvent(recent);
       }},
      {"command line", nullptr},
  };
  for (const auto& [way, open] : ways) {
    SCOPED_TRACE(way);
    MainFrame* frame = shell_.Frame();
    if (!open) {
      TearDown();
      SetUp();
      frame = Start({path});
    } else {
      open(frame);
    }
    ASSERT_TRUE(frame);
    widgets::FlushEvents(5);
    CPVN4Doc* doc = ActiveProject(*frame);
    ASSERT_TRUE(doc) << ::testing::PrintToString(messages_->Texts());
    auto* child = dynamic_cast<CChildFrame*>(frame->GetActiveChild());
    ASSERT_TRUE(child);
    EXPECT_NEAR(child->TreeWidth(), kTreeWidth, 5);
    EXPECT_NEAR(child->TreePane()->GetSize().GetWidth(), kTreeWidth, 5);
    auto* bar = dynamic_cast<views::ui::CShaderBar*>(frame->ShaderBar());
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->Document(), doc);
    EXPECT_TRUE(bar->ShadingBox()->GetValue());
    bar->Apply();
    EXPECT_EQ(doc->reliefShading, 1);
    ASSERT_TRUE(doc->GetVisibleTheme());
    EXPECT_EQ(doc->GetVisibleTheme()->layerType, 0);
    views::ui::CLegendDialog* legend = views::ui::CLegendDialog::Of(*doc);
    ASSERT_TRUE(legend);
    EXPECT_TRUE(legend->IsShown());
    EXPECT_EQ(legend->GetTitle().utf8_string(), "looks Legend");
    EXPECT_EQ(legend->Content().themeName, doc->GetVisibleTheme()->name);
    EXPECT_FALSE(doc->IsModified());
    if (open) {
      ASSERT_TRUE(frame->DocManager()->CloseDocument(frame->DocManager()->GetCurrentDocument()));
      widgets::FlushEvents();
    }
  }
}

TEST_F(ProjectFileWindow, ANewProjectsTreeShowsItsName) {
  MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc);
  wxTreeCtrl* tree = Tree(frame);
  ASSERT_TRUE(tree);
  EXPECT_FALSE(doc->title.empty());
  EXPECT_EQ(tree->GetItemText(tree->GetRootItem()).utf8_string(), doc->title);
}

TEST_F(ProjectFileWindow, ClosingAChangedProjectOffersToSaveAndYesSavesAndCloses) {
  MainFrame* frame = Start({SampleLcp()});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc && doc->IsModified());
  const std::string path = (fs::path(Folder()) / "closing.pvn").string();
  fs::remove(path);
  messages_->Script({platform::Answer::Yes});
  dialogs_->AnswerSaveFile(path);
  ASSERT_TRUE(frame->DocManager()->CloseDocument(frame->DocManager()->GetCurrentDocument()));
  widgets::FlushEvents();
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Save changes to Pyrvane1?"});
  EXPECT_TRUE(fs::exists(path));
  EXPECT_TRUE(frame->DocManager()->GetDocumentsVector().empty());

  // The command line opens a project file.
  const std::string reopened = frame->OpenFile(wxString::FromUTF8(path)) ? "opened" : "refused";
  EXPECT_EQ(reopened, "opened") << ::testing::PrintToString(messages_->Texts());
  CPVN4Doc* again = ActiveProject(*frame);
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->IsLandscapeLoaded());
}

TEST_F(ProjectFileWindow, SaveAndArchiveThenExtractAndOpenElsewhere) {
  MainFrame* frame = Start({SampleLcp()});
  ASSERT_TRUE(frame);
  CPVN4Doc* doc = ActiveProject(*frame);
  ASSERT_TRUE(doc);
  const CHeaderData& h = doc->landscape.header;
  ASSERT_TRUE(doc->CreateWorkArea(h.north - 600, h.east - 600, h.south + 600, h.west + 600, "Packed"));
  const fs::path folder = Folder();
  const std::string project = (folder / "packed.pvn").string(), archive = (folder / "packed.pza").string();
  const fs::path elsewhere = folder / "unpacked";
  for (const fs::path& p : {fs::path(project), fs::path(archive), elsewhere}) fs::remove_all(p);
  fs::create_directories(elsewhere);

  EXPECT_TRUE(program_test::StateOf(frame, cmd::kSaveAndArchive).enabled);
  // A project without a file is saved first, then packed.
  dialogs_->AnswerSaveFile(project);
  dialogs_->AnswerSaveFile(archive);
  Command(frame, cmd::kSaveAndArchive);
  widgets::FlushEvents();
  const auto requests = dialogs_->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].options.title, "Save Pyrvane2 Project First");
  EXPECT_EQ(requests[1].options.title, "Archive Pyrvane2 Project");
  EXPECT_EQ(requests[1].options.initialPath, (folder / "packed").string());
  ASSERT_TRUE(fs::exists(archive)) << ::testing::PrintToString(messages_->Texts());
  EXPECT_TRUE(messages_->Texts().empty()) << ::testing::PrintToString(messages_->Texts());
  EXPECT_FALSE(doc->IsModified());
  ASSERT_TRUE(frame->DocManager()->CloseDocument(frame->DocManager()->GetCurrentDocument()));
  widgets::FlushEvents();

  // Extract and Open works without a project window.
  ASSERT_TRUE(frame->DocManager()->GetDocumentsVector().empty());
  EXPECT_TRUE(program_test::StateOf(frame, cmd::kExtractAndOpenArchive).enabled);
  dialogs_->AnswerOpenFile(archive);
  dialogs_->AnswerFolder(elsewhere.string());
  Command(frame, cmd::kExtractAndOpenArchive);
  widgets::FlushEvents();
  EXPECT_EQ(dialogs_->Requests().back().options.initialPath, folder.string());
  ASSERT_EQ(frame->DocManager()->GetDocumentsVector().size(), 1u) << ::testing::PrintToString(messages_->Texts());
  CPVN4Doc* opened = ActiveProject(*frame);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(messages_->Texts().empty()) << ::testing::PrintToString(messages_->Texts());
  EXPECT_EQ(opened->landscape.path, (elsewhere / "sample.lcp").string());
  EXPECT_TRUE(opened->IsLandscapeLoaded());
  ASSERT_EQ(opened->areas.size(), 2u);
  EXPECT_EQ(opened->areas[1]->name, "Packed");
  for (const char* f : {"packed.pvn", "packed.pzp", "sample.lcp", "sample.prj"})
    EXPECT_TRUE(fs::exists(elsewhere / f)) << f;
}

}  // namespace

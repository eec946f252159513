// The project tree over a real document: first fill, re-sync after changes, and deleters.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include "project/document.h"
#include "runs/run.h"
#include "themes/theme.h"
#include "views/ui/project_tree.h"
#include "widgets/screenshot.h"

namespace views::ui {
namespace {

std::vector<std::string> Labels(const CPVN4View& tree, wxTreeItemId parent) {
  std::vector<std::string> out;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree.GetFirstChild(parent, cookie); c.IsOk(); c = tree.GetNextChild(parent, cookie))
    out.push_back(tree.GetItemText(c).utf8_string());
  return out;
}

wxTreeItemId Child(const CPVN4View& tree, wxTreeItemId parent, const std::string& label) {
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree.GetFirstChild(parent, cookie); c.IsOk(); c = tree.GetNextChild(parent, cookie))
    if (tree.GetItemText(c).utf8_string() == label) return c;
  return {};
}

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_.title = "Fires";
    frame_ = new wxFrame(nullptr, wxID_ANY, "tree", wxPoint(30, 30), wxSize(400, 600));
    tree_ = new CPVN4View(frame_, doc_);
    frame_->Show();
    tree_->OnInitialUpdate();
  }
  void TearDown() override {
    frame_->Destroy();
    widgets::FlushEvents();
  }
  void Open() {
    ASSERT_EQ(doc_.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"), 1);
  }
  wxTreeItemId AreaThemes(const CPyrvane2WorkArea* area) {
    return Child(*tree_, tree_->FindAreaItem(area), "Themes");
  }

  CPVN4Doc doc_;
  wxFrame* frame_ = nullptr;
  CPVN4View* tree_ = nullptr;
};

TEST_F(TreeTest, NoLandscapeThenOpenedLandscapeListsItsLayers) {
  EXPECT_EQ(tree_->GetItemText(tree_->RootItem()), "Fires");
  EXPECT_EQ(Labels(*tree_, tree_->RootItem()), std::vector<std::string>{"No Landscape File"});
  EXPECT_EQ(tree_->GetItemImage(tree_->LandscapeItem()), 1);
  EXPECT_FALSE(tree_->AreasFolder().IsOk());

  Open();  // the document updates its views
  EXPECT_EQ(tree_->GetItemImage(tree_->LandscapeItem()), 0);
  EXPECT_EQ(Labels(*tree_, tree_->RootItem()),
            (std::vector<std::string>{doc_.landscape.path, "Auxiliary Themes", "Analysis Areas"}));
  EXPECT_EQ(Labels(*tree_, tree_->AuxiliaryFolder()),
            (std::vector<std::string>{"Grid Themes", "Vector Themes", "Contours", "Wind Vectors"}));
  CPyrvane2WorkArea* area = doc_.currentArea;
  const wxTreeItemId areaItem = tree_->FindAreaItem(area);
  ASSERT_TRUE(areaItem.IsOk());
  EXPECT_EQ(tree_->GetItemState(areaItem), kStateCurrentArea);
  EXPECT_EQ(Labels(*tree_, areaItem), (std::vector<std::string>{"Themes", "Runs"}));
  // One item per landscape layer; only the fuel model is on the map.
  const wxTreeItemId themes = AreaThemes(area);
  std::vector<std::string> names;
  for (const auto& t : doc_.gridThemes) names.push_back(t->name);
  EXPECT_EQ(Labels(*tree_, themes), names);
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = tree_->GetFirstChild(themes, cookie); c.IsOk(); c = tree_->GetNextChild(themes, cookie)) {
    const CTreeItem* d = tree_->Data(c);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->type, kTreeAreaTheme);
    EXPECT_EQ(d->area, area);
    EXPECT_EQ(tree_->GetItemState(c), d->theme->layerType == 3 ? kStateOnMap : kStateNotOnMap);
  }
  // Re-syncs never duplicate.
  const size_t count = tree_->GetCount();
  doc_.UpdateAllViews();
  doc_.UpdateAllViews();
  EXPECT_EQ(tree_->GetCount(), count);

  // A first fill of a project that already holds the landscape gives the same tree.
  tree_->OnInitialUpdate();
  EXPECT_EQ(tree_->GetCount(), count);
}

TEST_F(TreeTest, NewAreaGridThemeAndCurrentAreaFollowTheDocument) {
  Open();
  CPyrvane2WorkArea* first = doc_.currentArea;
  const CHeaderData& h = doc_.landscape.header;
  CPyrvane2WorkArea* second = doc_.CreateWorkArea(h.north - 300, h.west + 900, h.north - 900, h.west + 300, "Ridge");
  ASSERT_NE(second, nullptr);
  auto grid = std::make_unique<CTheme>();
  const std::vector<float> cells(4, 1.0f);
  grid->CreateFromFloats("Slope copy", h.south, h.west, 30, 30, 2, 2, -9999, cells.data(), 0, 10);
  CTheme* added = doc_.AddGridTheme(std::move(grid));
  doc_.SetVisibleTheme(doc_.GetThemeByLayerType(0));
  doc_.UpdateAllViews();

  EXPECT_EQ(Labels(*tree_, tree_->AreasFolder()),
            (std::vector<std::string>{first->name, "Ridge"}));
  EXPECT_EQ(tree_->GetItemState(tree_->FindAreaItem(second)), kStateCurrentArea);
  EXPECT_NE(tree_->GetItemState(tree_->FindAreaItem(first)), kStateCurrentArea);
  ASSERT_EQ(Labels(*tree_, tree_->GridFolder()), std::vector<std::string>{"Slope copy"});
  // Generic grids are auxiliary, not area themes.
  EXPECT_FALSE(Child(*tree_, AreaThemes(second), "Slope copy").IsOk());
  // The elevation layer is on the map only in the current area.
  const std::string elevation = doc_.GetThemeByLayerType(0)->name;
  EXPECT_EQ(tree_->GetItemState(Child(*tree_, AreaThemes(second), elevation)), kStateOnMap);
  EXPECT_EQ(tree_->GetItemState(Child(*tree_, AreaThemes(first), elevation)), kStateNotOnMap);

  // An area theme's deleter takes it out of every area; a re-sync does not prune others.
  CTheme* slope = doc_.GetThemeByLayerType(1);
  tree_->DeleteAreaThemeItem(slope);
  EXPECT_FALSE(Child(*tree_, AreaThemes(first), slope->name).IsOk());
  EXPECT_FALSE(Child(*tree_, AreaThemes(second), slope->name).IsOk());
  (void)added;
}

TEST_F(TreeTest, RunOutputsAndLogsAreListedOnceAndDeleted) {
  Open();
  CPyrvane2WorkArea* area = doc_.currentArea;
  CRun* run = area->AddRun(std::make_unique<CRun>());
  run->name = "Dry day";
  auto out = std::make_unique<CTheme>();
  const std::vector<float> cells(4, 2.0f);
  const CHeaderData& h = doc_.landscape.header;
  out->CreateFromFloats("Flame Length", h.south, h.west, 30, 30, 2, 2, -9999, cells.data(), 0, 11);
  CTheme* theme = out.get();
  run->AddOutputTheme(std::move(out), area->CreateLegendData(theme));
  run->runLogs.push_back({"C:\\runs\\Dry day.log", "text"});
  doc_.UpdateAllViews();

  const wxTreeItemId runs = Child(*tree_, tree_->FindAreaItem(area), "Runs");
  const wxTreeItemId runItem = Child(*tree_, runs, "Dry day");
  ASSERT_TRUE(runItem.IsOk());
  EXPECT_EQ(run->treeItem, runItem.GetID());
  EXPECT_EQ(Labels(*tree_, runItem), (std::vector<std::string>{"Flame Length", "Dry day.log"}));
  const wxTreeItemId log = Child(*tree_, runItem, "Dry day.log");
  EXPECT_EQ(tree_->Data(log)->type, kTreeRunLog);
  EXPECT_EQ(tree_->Data(log)->log, &run->runLogs[0]);

  // A renamed run and a second log; nothing listed twice, and the log item follows the log
  // when the list grows.
  run->name = "Dry day 2";
  run->runLogs.push_back({"/tmp/second.log", ""});
  doc_.UpdateAllViews();
  EXPECT_EQ(tree_->GetItemText(runItem), "Dry day 2");
  EXPECT_EQ(Labels(*tree_, runItem),
            (std::vector<std::string>{"Flame Length", "Dry day.log", "second.log"}));
  EXPECT_EQ(tree_->Data(Child(*tree_, runItem, "Dry day.log"))->log, &run->runLogs[0]);

  // The run-output deleter keeps folders and arrows and removes the rest.
  tree_->SetContextItem(tree_->Data(runItem));
  tree_->DeleteRunOutputItems(runItem);
  EXPECT_TRUE(Labels(*tree_, runItem).empty());
  EXPECT_EQ(tree_->ContextItem(), nullptr);
}

}  // namespace
}  // namespace views::ui

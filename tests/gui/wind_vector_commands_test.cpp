// Arrow themes from the project tree: a run's arrows saved as points, loaded back as a theme
// of their own, their legend edited in the wind-vector legend creator (ramps included) with
// the map following, brought to the top, and deleted, one by one and all at once.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <functional>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "dialog_helpers.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "themes/theme.h"
#include "themes/ui/color_ramp_dialogs.h"
#include "themes/ui/theme_commands.h"
#include "themes/wind_vector_theme.h"
#include "views/legend_table.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "views/ui/wv_legend_creator_dialog.h"
#include "widgets/color_static.h"
#include "widgets/table_grid_window.h"

namespace {

using dialog_test::Click;
using dialog_test::CountColour;
using dialog_test::WhenModal;
using dialog_test::WithModal;

namespace t = themes::ui;
using views::ui::CWVLegendCreatorDialog;

class WindVectorCommands : public program_test::SampleProgramTest {
 protected:
  WindVectorCommands() : SampleProgramTest("test-wind-vectors") {}
  void SetUp() override {
    SampleProgramTest::SetUp();
    folder_ = std::filesystem::path(PV_BINARY_DIR) / "test-wind-vectors" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name() / "work";
  }
  // A run's wind arrows over the sample, aspect as direction and as speed.
  CWindVectorTheme* RunArrows() {
    CRun* run = runs::NewRun(*doc_);
    const CTheme* aspect = doc_->GetThemeByLayerType(2);
    if (!run || !aspect) return nullptr;
    run->windVectors = new CWindVectorTheme();
    if (!run->windVectors->CreateWindVectors(aspect, aspect)) return nullptr;
    run->windVectors->name = "Wind Vectors";
    run->host->AdoptWindVectorTheme(run->windVectors);
    doc_->UpdateAllViews();
    return run->windVectors;
  }
  wxTreeItemId ItemOf(const void* theme) {
    wxTreeItemId found;
    std::function<void(wxTreeItemId)> visit = [&](wxTreeItemId item) {
      if (const views::ui::CTreeItem* d = tree_->Data(item); !found.IsOk() && d && d->windVector == theme) found = item;
      wxTreeItemIdValue cookie;
      for (wxTreeItemId c = tree_->GetFirstChild(item, cookie); c.IsOk(); c = tree_->GetNextChild(item, cookie)) visit(c);
    };
    visit(tree_->GetRootItem());
    return found;
  }
  // Chooses a command from an item's context menu; false when the menu offers it disabled.
  bool TreeCommand(wxTreeItemId item, int command) {
    tree_->EnsureVisible(item);
    wxRect r;
    if (!tree_->GetBoundingRect(item, r, true)) return false;
    bool enabled = false;
    tree_->SetMenuChooser([&](wxMenu& menu, wxPoint) {
      const wxMenuItem* i = menu.FindItem(app::MenuIdFor(command));
      enabled = i && i->IsEnabled();
      return command;
    });
    tree_->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    return enabled;
  }
  std::string Path(const char* name) const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
};

TEST_F(WindVectorCommands, ArrowsAreSavedLoadedEditedBroughtToTopAndDeleted) {
  CWindVectorTheme* runArrows = RunArrows();
  ASSERT_TRUE(runArrows);
  // The run's arrows: saved as points; Delete is offered disabled and refuses anyway.
  dialogs_->AnswerSaveFile(Path("winds.shp"));
  ASSERT_TRUE(TreeCommand(ItemOf(runArrows), t::kCmdWindVectorSaveAs));
  ASSERT_TRUE(std::filesystem::exists(Path("winds.dbf")));
  EXPECT_FALSE(TreeCommand(ItemOf(runArrows), t::kCmdDeleteWindVectorTheme));
  t::OverlaySelection sel;
  sel.windVector = runArrows;
  sel.text = "Wind Vectors";
  ASSERT_TRUE(t::ThemeTreeCommand(frame_, t::kCmdDeleteWindVectorTheme, *doc_, sel));
  EXPECT_EQ(messages_->Texts().back(), "Theme 'Wind Vectors' belongs to a Run and must be deleted via Run properties.");
  runArrows->visible = false;

  // New Wind Vector Theme: a text file is refused, the saved points load (any case of .shp).
  const wxTreeItemId folder = tree_->WindVectorFolder();
  EXPECT_FALSE(TreeCommand(folder, t::kCmdDeleteAllWindVectorThemes));  // nothing to delete
  dialogs_->AnswerOpenFile(Path("winds.txt"));
  ASSERT_TRUE(TreeCommand(folder, t::kCmdNewWindVectorTheme));
  EXPECT_EQ(messages_->Texts().back(), "Unrecognized file type");
  dialogs_->AnswerOpenFile(Path("missing.SHP"));
  TreeCommand(folder, t::kCmdNewWindVectorTheme);
  EXPECT_NE(messages_->Texts().back().find("missing.SHP"), std::string::npos);
  ASSERT_TRUE(doc_->windVectorThemes.empty());
  std::filesystem::rename(Path("winds.shp"), Path("winds.SHP"));
  dialogs_->AnswerOpenFile(Path("winds.SHP"));
  ASSERT_TRUE(TreeCommand(folder, t::kCmdNewWindVectorTheme));
  ASSERT_EQ(doc_->windVectorThemes.size(), 1u);
  CWindVectorTheme* points = doc_->windVectorThemes[0].get();
  EXPECT_EQ(points->count, runArrows->count);
  EXPECT_EQ(tree_->GetChildrenCount(folder), 1u);
  EXPECT_FALSE(TreeCommand(ItemOf(points), t::kCmdWindVectorSaveAs));  // only grids are saved
  CWVLegendData* legend = doc_->FindWindVectorLegend(points);
  ASSERT_TRUE(legend);

  // Properties: the legend creator on the theme's legend; a colour ramp from magenta to
  // magenta over every row, lengths spread from 1 to 3, then OK; the map draws magenta.
  const platform::Rgba magenta{255, 0, 255, 255};
  EXPECT_EQ(CountColour(Map(), magenta), 0);
  WithModal<CWVLegendCreatorDialog>([&] { TreeCommand(ItemOf(points), t::kCmdWindVectorProperties); },
                                    [&](CWVLegendCreatorDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Wind Vector Legend");
    EXPECT_FALSE(d.skip.edit->IsEnabled());  // point arrows are all drawn
    d.classes.edit->SetValue("3");
    Click(&d, 1023);
    gridmodel::CGridCtrl& g = d.Table()->Grid();
    ASSERT_EQ(g.GetRowCount(), 4);
    g.SetSelectedRange(1, 1, 3, 2);
    d.menuChooser = [](wxMenu& menu, wxPoint) {
      EXPECT_TRUE(menu.FindItem(app::MenuIdFor(views::ui::kCmdColourDefineRamp)));
      return views::ui::kCmdColourDefineRamp;
    };
    WithModal<t::CRampDialog>([&] { d.OnTableRightClick(2, 1); }, [&](t::CRampDialog& r) {
      r.topSwatch->SetColor(MakeColorRef(255, 0, 255));
      r.bottomSwatch->SetColor(MakeColorRef(255, 0, 255));
      Click(&r, wxID_OK);
    });
    d.menuChooser = [](wxMenu&, wxPoint) { return views::ui::kCmdLengthDefineRamp; };
    WithModal<t::CRampRelLengthDialog>([&] { d.OnTableRightClick(2, 2); }, [&](t::CRampRelLengthDialog& r) {
      r.startEdit->SetValue("1");
      r.endEdit->SetValue("2");
      Click(&r, wxID_OK);  // two lengths for three rows: refused, stays open
      EXPECT_TRUE(r.IsModal());
      r.endEdit->SetValue("3");
      Click(&r, wxID_OK);
    });
    for (int row = 1; row <= 3; ++row) {
      EXPECT_EQ(views::TableColour(g, row), MakeColorRef(255, 0, 255));
      EXPECT_EQ(g.GetItemText(row, 2), std::to_string(row));
    }
    d.lineWidth.edit->SetValue("wide");  // refused with the field's name
    Click(&d, wxID_OK);
    ASSERT_TRUE(d.IsModal());
    EXPECT_EQ(messages_->Texts().back().rfind("Line Width: ", 0), 0u);
    d.lineWidth.edit->SetValue("2");
    Click(&d, wxID_OK);
  });
  ASSERT_EQ(legend->GetCount(), 3);
  EXPECT_EQ(legend->GetEntry(2).GetRelativeLength(), 3);
  EXPECT_EQ(legend->lineWidth, 2);
  EXPECT_GT(CountColour(Map(), magenta), 0);
  EXPECT_TRUE(doc_->IsModified());

  // Bring to Top: the loaded arrows go over the run's.
  ASSERT_NE(doc_->drawPriority.front().windVectorTheme, points);
  ASSERT_TRUE(TreeCommand(ItemOf(points), t::kCmdWindVectorBringToTop));
  EXPECT_EQ(doc_->drawPriority.front().windVectorTheme, points);

  // Delete asks first; No keeps the theme, Yes takes it, its item, its legend and its drawing.
  ASSERT_TRUE(TreeCommand(ItemOf(points), t::kCmdDeleteWindVectorTheme));
  EXPECT_EQ(messages_->Texts().back(), "Delete Theme 'winds'?");
  ASSERT_EQ(doc_->windVectorThemes.size(), 1u);
  messages_->SetDefaultAnswer(platform::Answer::Yes);
  ASSERT_TRUE(TreeCommand(ItemOf(points), t::kCmdDeleteWindVectorTheme));
  widgets::FlushEvents(2);
  EXPECT_TRUE(doc_->windVectorThemes.empty());
  EXPECT_EQ(tree_->GetChildrenCount(folder), 0u);
  EXPECT_EQ(doc_->windVectorLegends.size(), 1u);  // the run's
  EXPECT_EQ(CountColour(Map(), magenta), 0);

  // Delete All takes every loaded theme and leaves the run's arrows.
  for (int i = 0; i < 2; ++i) {
    dialogs_->AnswerOpenFile(Path("winds.SHP"));
    ASSERT_TRUE(TreeCommand(folder, t::kCmdNewWindVectorTheme));
  }
  ASSERT_EQ(doc_->windVectorThemes.size(), 2u);
  ASSERT_TRUE(TreeCommand(folder, t::kCmdDeleteAllWindVectorThemes));
  EXPECT_EQ(messages_->Texts().back(), "Delete all wind vector themes?");
  EXPECT_TRUE(doc_->windVectorThemes.empty());
  EXPECT_EQ(tree_->GetChildrenCount(folder), 0u);
  EXPECT_TRUE(ItemOf(runArrows).IsOk());
}

}  // namespace

// Predefined legends from Options > Predefined Legends and from the legend creators' Save
// As..., the raster creator's ramp rows, and the legend window's arrow columns.
#include <gtest/gtest.h>
#include <wx/uiaction.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <functional>

#include "app/command_rules.h"
#include "app/preference_records.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "dialog_helpers.h"
#include "program_fixture.h"
#include "project/document.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "views/legend_table.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/legend_window.h"
#include "views/ui/predefined_legends_dialog.h"
#include "views/ui/wv_legend_creator_dialog.h"
#include "widgets/color_lists.h"
#include "widgets/table_grid_window.h"

namespace {

using dialog_test::Click;
using dialog_test::CountColour;
using dialog_test::WhenModal;
using dialog_test::WithModal;

using namespace views::ui;

class PredefinedLegends : public program_test::ProgramTest {
 protected:
  PredefinedLegends() : ProgramTest("test-predefined") {}
  void SetUp() override {
    ProgramTest::SetUp();
    GetApp().predefinedLegends.clear();
    GetApp().predefinedWVLegends.clear();
    frame_ = Start({program_test::SampleLcp()});
    ASSERT_TRUE(frame_);
    doc_ = app::ui::ActiveProject(*frame_);
    ASSERT_TRUE(doc_);
  }
  void TearDown() override {
    GetApp().predefinedLegends.clear();
    GetApp().predefinedWVLegends.clear();
    ProgramTest::TearDown();
  }
  app::ui::MainFrame* frame_ = nullptr;
  CPVN4Doc* doc_ = nullptr;
};

TEST_F(PredefinedLegends, OptionsDialogAddsEditsAndDeletesAtOnce) {
  CPVN4App& app = GetApp();
  bool seen = false, creator = false, named = false;
  WhenModal<CPredefinedLegendsDialog>([&](CPredefinedLegendsDialog& d) {
    EXPECT_FALSE(d.addNew->IsEnabled());
    EXPECT_FALSE(d.edit->IsEnabled());
    d.OnAddNew();
    EXPECT_EQ(messages_->Texts().back(), "Select a theme type.");
    ASSERT_TRUE(d.types->SetStringSelection("Wind Vectors"));
    d.FillList();
    EXPECT_TRUE(d.addNew->IsEnabled());
    EXPECT_EQ(d.list->GetCount(), 0u);
    // The arrow creator on a scratch theme, then the name: blank is refused, then "Gentle".
    WhenModal<CWVLegendCreatorDialog>([&](CWVLegendCreatorDialog& c) {
      EXPECT_EQ(c.GetTitle(), "Wind Vector Legend");
      c.classes.edit->SetValue("2");
      Click(&c, 1023);
      Click(&c, wxID_OK);
    }, &creator);
    WhenModal<CGetLegendNameDialog>([&](CGetLegendNameDialog& n) {
      n.edit->SetValue("   ");
      Click(&n, wxID_OK);
      EXPECT_TRUE(n.IsModal());
      EXPECT_EQ(messages_->Texts().back(), "Error: Legend name must not be blank!");
      n.edit->SetValue(" Gentle ");
      Click(&n, wxID_OK);
    }, &named);
    d.OnAddNew();
    ASSERT_EQ(d.list->GetCount(), 1u);
    EXPECT_EQ(d.list->GetString(0), "Gentle");
    // Delete asks with the name in quotes; No keeps it, Yes takes it at once.
    d.list->SetSelection(0);
    d.UpdateButtons();
    EXPECT_TRUE(d.remove->IsEnabled());
    d.OnDelete();
    EXPECT_EQ(messages_->Texts().back(), "Delete legend \"Gentle\"?");
    EXPECT_EQ(d.list->GetCount(), 1u);
    // Another type lists nothing.
    ASSERT_TRUE(d.types->SetStringSelection("Spot Vectors"));
    d.FillList();
    EXPECT_EQ(d.list->GetCount(), 0u);
    EXPECT_FALSE(d.remove->IsEnabled());
  }, &seen);
  program_test::Command(frame_, app::cmd::kPredefinedLegends);
  EXPECT_TRUE(seen && creator && named);
  // Cancel undid nothing.
  ASSERT_EQ(app.predefinedWVLegends.size(), 1u);
  EXPECT_EQ(app.predefinedWVLegends[0]->name, "Gentle");
  EXPECT_EQ(app.predefinedWVLegends[0]->kind, 0);
  EXPECT_EQ(app.predefinedWVLegends[0]->legend.GetCount(), 2);
}

TEST_F(PredefinedLegends, TheRasterCreatorRampsAndSavesItsTableAsAPredefinedLegend) {
  CTheme* theme = doc_->GetVisibleTheme();
  ASSERT_TRUE(theme);
  bool seen = false, named = false;
  WhenModal<CLegendCreatorDialog>([&](CLegendCreatorDialog& d) {
    views::CLegendCreator& c = d.Creator();
    gridmodel::CGridCtrl& g = d.Table()->Grid();
    ASSERT_GT(g.GetRowCount(), 4);
    d.OnApplyRamp();
    EXPECT_EQ(messages_->Texts().back(), "Select a color ramp.");
    d.OnApplyPredefined();
    EXPECT_EQ(messages_->Texts().back(), "Select a predefined legend.");
    // Auto Ramp over rows 2 to 4 from the right-click menu.
    c.SetRowColour(2, 0x0000FF);
    c.SetRowColour(4, 0xFF0000);
    g.SetSelectedRange(2, 1, 4, 1);
    d.menuChooser = [](wxMenu& menu, wxPoint) {
      EXPECT_TRUE(menu.FindItem(app::MenuIdFor(kCmdColourDefineRamp)));
      return kCmdColourAutoRamp;
    };
    d.OnTableRightClick(3, 1);
    EXPECT_EQ(c.RowColour(3), 0x7F007Fu);
    // The name typed and confirmed with Enter.
    WhenModal<CGetLegendNameDialog>([&](CGetLegendNameDialog& n) {
      wxUIActionSimulator sim;
      sim.MouseMove(n.edit->GetScreenRect().GetPosition() + wxPoint(10, 5));
      n.edit->SetFocus();
      widgets::FlushEvents(3);
      sim.Text("Fuel look");
      sim.Char(WXK_RETURN);
      widgets::FlushEvents(6);
      EXPECT_FALSE(n.IsModal());
    }, &named);
    d.OnSaveAs();
    ASSERT_EQ(d.predefined->GetCount(), 1u);
    EXPECT_EQ(d.predefined->GetSelection(), 0);
    // A second legend of the same name is refused by the name dialog.
    bool again = false;
    WhenModal<CGetLegendNameDialog>([&](CGetLegendNameDialog& n) {
      n.edit->SetValue("Fuel look");
      Click(&n, wxID_OK);
      EXPECT_TRUE(n.IsModal());
    }, &again);
    d.OnSaveAs();
    EXPECT_EQ(messages_->Texts().back(), "Error: A predefined legend with the name 'Fuel look' already exists.");
    d.OnApplyPredefined();
    EXPECT_EQ(c.RowColour(3), 0x7F007Fu);
  }, &seen);
  EditVisibleLegend(frame_, *doc_);
  EXPECT_TRUE(seen && named);
  // Saved although the creator was cancelled.
  ASSERT_EQ(GetApp().predefinedLegends.size(), 1u);
  EXPECT_EQ(GetApp().predefinedLegends[0]->layerType, theme->layerType);
  EXPECT_EQ(GetApp().predefinedLegends[0]->GetEntry(2).GetColor(), 0x7F007Fu);
}

TEST_F(PredefinedLegends, TheLegendWindowShowsArrowColumnsThatOpenTheirCreator) {
  CRun* run = runs::NewRun(*doc_);
  const CTheme* aspect = doc_->GetThemeByLayerType(2);
  ASSERT_TRUE(run && aspect);
  run->windVectors = new CWindVectorTheme();
  ASSERT_TRUE(run->windVectors->CreateWindVectors(aspect, aspect));
  run->windVectors->name = "Wind Vectors";
  run->host->AdoptWindVectorTheme(run->windVectors);
  CLegendDialog::OnViewLegend(frame_, *doc_);
  CLegendDialog* w = CLegendDialog::Of(*doc_);
  ASSERT_TRUE(w);
  doc_->UpdateLegend();
  ASSERT_EQ(w->Content().arrows.size(), 1u);
  ASSERT_EQ(w->Layout().arrowColumnLefts.size(), 1u);
  CWVLegendData* legend = doc_->FindWindVectorLegend(run->windVectors);
  ASSERT_TRUE(legend && legend->GetCount() > 0);
  bool seen = false;
  WhenModal<CWVLegendCreatorDialog>([&](CWVLegendCreatorDialog& d) {
    views::SetTableColour(d.Table()->Grid(), 1, 0x00FF00);
    Click(&d, wxID_OK);
  }, &seen);
  w->OnDoubleClick(wxPoint(w->Layout().arrowColumnLefts[0] + 20, 30));
  EXPECT_TRUE(seen);
  EXPECT_EQ(legend->GetEntry(0).GetColor(), 0x00FF00u);
  EXPECT_EQ(w->Content().arrows[0].classes[0].colour, 0x00FF00u);
  EXPECT_TRUE(doc_->IsModified());
}

}  // namespace

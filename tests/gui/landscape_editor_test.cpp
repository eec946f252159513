// Landscape > Edit Landscape on the sample: a rule made in the rule dialog is listed, tested,
// applied to the map, saved and loaded; Cancel keeps the project's rules; Reload Landscape
// brings the file's cells back.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "landscape/ui/landscape_editor.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/theme.h"
#include "views/ui/map_view.h"
#include "views/view_commands.h"
#include "widgets/cellgrid/ug_window.h"

namespace {

using landscape::ui::CLandscapeEditDialog;
using landscape::ui::CLcpRuleDialog;
using platform::Answer;

std::vector<float> Cells(const CTheme& t) {
  std::vector<float> v;
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.columns; ++c) v.push_back(t.GetCellValue(c, r));
  return v;
}

int EntryOf(wxListBox* list, int number) {
  for (unsigned i = 0; i < list->GetCount(); ++i)
    if (reinterpret_cast<std::intptr_t>(list->GetClientData(i)) == number) return static_cast<int>(i);
  return -1;
}

class LandscapeEditor : public program_test::ProgramTest {
 protected:
  LandscapeEditor() : ProgramTest("test-landscape-editor") {}
  void TearDown() override {
    CLandscapeEditDialog::RuleDialogRunner() = nullptr;
    landscape::ui::EditorRunner() = nullptr;
    ProgramTest::TearDown();
  }
};

TEST_F(LandscapeEditor, RuleIsMadeTestedAppliedSavedLoadedAndReloadRestoresTheFile) {
  namespace fs = std::filesystem;
  app::ui::MainFrame* frame = Start({program_test::SampleLcp()});
  ASSERT_NE(frame, nullptr);
  CPVN4Doc* doc = app::ui::ActiveProject(*frame);
  ASSERT_NE(doc, nullptr);
  CTheme* fuel = doc->GetThemeByLayerType(3);
  ASSERT_NE(fuel, nullptr);
  const std::vector<float> original = Cells(*fuel);
  const std::vector<float> models = fuel->GetUniqueValues();
  ASSERT_GE(models.size(), 3u);
  const int from = static_cast<int>(models[1]), to = static_cast<int>(models[2]);
  const auto selected = std::count(original.begin(), original.end(), static_cast<float>(from));
  const std::string total = std::to_string(fuel->rows * fuel->columns);
  views::ui::CMapView* map = views::ui::FindMapView(doc);
  ASSERT_NE(map, nullptr);
  widgets::FlushEvents();
  const platform::Image before = map->MapImage();
  EXPECT_TRUE(program_test::StateOf(frame, views::cmd::kEditLandscape).enabled);
  EXPECT_FALSE(program_test::StateOf(frame, views::cmd::kReloadLandscape).enabled);

  const std::string rulesFile = (fs::path(PV_BINARY_DIR) / "test-landscape-editor" / "rules.xml").string();
  fs::remove(rulesFile);
  std::string description;

  CLandscapeEditDialog::RuleDialogRunner() = [&](CLcpRuleDialog& d) {
    // A new rule: constant Fuel Model, in "Class", with the default description.
    EXPECT_TRUE(d.ConstantButton()->GetValue());
    EXPECT_EQ(d.Target()->GetStringSelection(), "Fuel Model");
    EXPECT_EQ(d.TargetUnits()->GetLabel(), "Class");
    EXPECT_EQ(d.RuleText()->GetValue(), "Set Fuel Model =  ");
    EXPECT_FALSE(d.ExpressionEdit()->IsEnabled());
    d.ConstantEdit()->SetValue(std::to_string(to));  // each keystroke updates the rule text
    EXPECT_EQ(d.RuleText()->GetValue(), "Set Fuel Model = " + std::to_string(to) + " ");
    d.FuelsNotChosen()->SetSelection(EntryOf(d.FuelsNotChosen(), from));
    d.MoveFuel(true);
    EXPECT_EQ(d.FuelsChosen()->GetCount(), 1u);
    // A raster clause needs a theme and a bound; the maximum may not be below the minimum.
    messages_->Clear();
    d.OnAddRasterClause();
    d.RasterTheme()->SetSelection(0);
    d.OnRasterThemeChanged();
    d.OnAddRasterClause();
    d.MinimumEdit()->SetValue("10");
    d.MaximumEdit()->SetValue("5");
    d.OnAddRasterClause();
    EXPECT_EQ(messages_->Texts(), (std::vector<std::string>{"Error. An existing raster theme must be selected.",
                                                            "Error. A minimum and/or maximum value must be entered.",
                                                            "Error. Maximum value can not be less than the minimum value."}));
    EXPECT_EQ(d.ClauseGrid().GetRowCount(), 0);
    description = d.RuleText()->GetValue().utf8_string();
    return wxID_OK;
  };

  landscape::ui::EditorRunner() = [&](CLandscapeEditDialog& e) {
    e.OnCreateRule();
    EXPECT_EQ(description, "Set Fuel Model = " + std::to_string(to) + " IF Fuel Model = (" + std::to_string(from) + ")");
    EXPECT_EQ(e.Grid().GetRowCount(), 1);
    EXPECT_EQ(e.Grid().GetCellText(0, 0), "Fuel Model");
    EXPECT_EQ(e.Grid().GetCellText(1, 0), description);
    EXPECT_EQ(e.Grid().GetCellText(-1, 0), "1");

    // Test, through the row's button on the shown editor.
    e.Show();
    e.Raise();
    widgets::FlushEvents();
    messages_->Clear();
    messages_->Script({Answer::Yes});
    gridmodel::UGRect r;
    e.Grid().GetCellRect(2, 0, &r);
    auto* window = dynamic_cast<widgets::CUGWindow*>(e.FindWindow(1387));
    EXPECT_NE(window, nullptr);
    if (window) {
      wxUIActionSimulator sim;
      sim.MouseMove(window->CellArea()->ClientToScreen(wxPoint(r.left + r.Width() / 2, r.top + r.Height() / 2)));
      widgets::FlushEvents(2);
      sim.MouseClick();
      widgets::FlushEvents(6);
    }
    const std::string counts = std::to_string(selected) + " cells of " + total;
    EXPECT_EQ(messages_->Texts(), (std::vector<std::string>{"Test rule:\"" + description + "\"?",
                                                            counts + " would be modified by rule:\n" + description}));
    EXPECT_EQ(Cells(*fuel), original);

    // Apply, declining to save the landscape now.
    messages_->Clear();
    messages_->Script({Answer::Yes, Answer::No});
    e.OnRuleButton(3, 0);
    EXPECT_EQ(messages_->Texts().back(),
              counts + " modified by rule:\n" + description + "\nWould you like to save the new landscape now?");
    const std::vector<float> applied = Cells(*fuel);
    EXPECT_EQ(std::count(applied.begin(), applied.end(), static_cast<float>(from)), 0);

    // With a smaller analysis area current, saving says which extent is written and Yes
    // writes the whole landscape.
    const CHeaderData& h = doc->landscape.header;
    CPyrvane2WorkArea* area = doc->CreateWorkArea(h.north - 300, h.east - 300, h.south + 300, h.west + 300, "Inner");
    EXPECT_TRUE(area);
    const std::string saved = (fs::path(PV_BINARY_DIR) / "test-landscape-editor" / "whole.lcp").string();
    fs::remove(saved);
    messages_->Clear();
    messages_->Script({Answer::Yes, Answer::Yes, Answer::Yes});
    dialogs_->AnswerSaveFile(saved);
    e.OnRuleButton(3, 0);
    const CellWindow w = area ? area->GetLandscapeRect().Window() : CellWindow{};
    const std::string inner = std::to_string(w.lastColumn - w.firstColumn + 1) + " x " +
                              std::to_string(w.lastRow - w.firstRow + 1) + " cells";
    EXPECT_LT(w.lastColumn - w.firstColumn + 1, fuel->columns);
    EXPECT_EQ(messages_->Texts().back(), "Save the whole landscape (" + std::to_string(fuel->columns) + " x " +
                                             std::to_string(fuel->rows) +
                                             " cells)?\nNo saves only the analysis area \"Inner\" (" + inner + ").");
    if (GDALDataset* lcp = static_cast<GDALDataset*>(GDALOpen(saved.c_str(), GA_ReadOnly))) {
      EXPECT_EQ(lcp->GetRasterXSize(), fuel->columns);
      EXPECT_EQ(lcp->GetRasterYSize(), fuel->rows);
      GDALClose(lcp);
    } else {
      ADD_FAILURE() << "no landscape written at " << saved;
    }
    doc->DeleteWorkArea(area);

    // Save, then load: the loaded rule follows the first.
    dialogs_->AnswerSaveFile(rulesFile);
    e.OnSaveRules();
    EXPECT_TRUE(fs::exists(rulesFile));
    dialogs_->AnswerOpenFile(rulesFile);
    e.OnLoadRules();
    EXPECT_EQ(e.Grid().GetRowCount(), 2);
    EXPECT_EQ(e.Grid().GetCellText(1, 1), description);
    EXPECT_EQ(e.Grid().GetCellText(-1, 1), "2");
    e.Hide();
    return wxID_OK;
  };
  program_test::Command(frame, views::cmd::kEditLandscape);
  widgets::FlushEvents();
  ASSERT_EQ(doc->landscapeRules.size(), 2u);
  EXPECT_EQ(doc->landscapeRules[1]->description, description);
  // The map shows the changed cells.
  const platform::Image after = map->MapImage();
  ASSERT_EQ(after.Width(), before.Width());
  EXPECT_NE(after.ToRgbaBytes(), before.ToRgbaBytes());

  // Cancel: clearing the list and changing a rule in the rule dialog leave the project's rules.
  CLandscapeEditDialog::RuleDialogRunner() = [&](CLcpRuleDialog& d) {
    d.ConstantEdit()->SetValue("1");
    return wxID_CANCEL;
  };
  landscape::ui::EditorRunner() = [&](CLandscapeEditDialog& e) {
    e.EditRule(0);
    EXPECT_EQ(e.Rules()[0]->description, description);
    messages_->Script({Answer::Yes});
    e.OnClearRules();
    EXPECT_EQ(e.Grid().GetRowCount(), 0);
    return wxID_CANCEL;
  };
  program_test::Command(frame, views::cmd::kEditLandscape);
  EXPECT_EQ(doc->landscapeRules.size(), 2u);

  // Reload Landscape reads the file's cells again.
  EXPECT_TRUE(program_test::StateOf(frame, views::cmd::kReloadLandscape).enabled);
  program_test::Command(frame, views::cmd::kReloadLandscape);
  EXPECT_EQ(Cells(*doc->GetThemeByLayerType(3)), original);
}

}  // namespace

// Contour and vector themes from the window: Contour from the map's identify menu and the
// Theme menu, the property dialogs, and the draw order of overlays, each seen on the map.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <functional>

#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "dialog_helpers.h"
#include "program_fixture.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/contour_theme.h"
#include "themes/ui/overlay_dialogs.h"
#include "themes/ui/theme_commands.h"
#include "themes/vector_theme.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "widgets/color_static.h"

namespace {

using dialog_test::Click;
using dialog_test::CountColour;
using dialog_test::WhenModal;
using dialog_test::WithModal;

namespace t = themes::ui;

class OverlayCommands : public program_test::SampleProgramTest {
 protected:
  OverlayCommands() : SampleProgramTest("test-overlays") {}
  // Chooses a command from the context menu of the first tree item holding the overlay.
  void TreeCommand(const void* overlay, int command) {
    wxTreeItemId found;
    std::function<void(wxTreeItemId)> visit = [&](wxTreeItemId item) {
      if (const views::ui::CTreeItem* d = tree_->Data(item);
          !found.IsOk() && d && (d->vector == overlay || d->contour == overlay))
        found = item;
      wxTreeItemIdValue cookie;
      for (wxTreeItemId c = tree_->GetFirstChild(item, cookie); c.IsOk(); c = tree_->GetNextChild(item, cookie)) visit(c);
    };
    visit(tree_->GetRootItem());
    ASSERT_TRUE(found.IsOk());
    tree_->EnsureVisible(found);
    wxRect r;
    ASSERT_TRUE(tree_->GetBoundingRect(found, r, true));
    tree_->SetMenuChooser([command](wxMenu&, wxPoint) { return command; });
    tree_->ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
  }
  CVectorTheme* AddLine(const char* name, COLORREF colour) {
    const CPyrvane2WorkArea& a = *doc_->DefaultArea();
    auto line = std::make_unique<CVectorTheme>();
    line->CreateFromLineList(name, a.east, a.west, a.south, a.north, {{a.west, a.south, a.east, a.north}});
    line->lineColor = colour;
    line->lineWidth = 5;
    CVectorTheme* p = line.get();
    doc_->AddVectorTheme(std::move(line));
    doc_->UpdateAllViews();
    return p;
  }

};

TEST_F(OverlayCommands, ContourFromTheIdentifyMenuAndTheThemeMenuRefusesBadFieldsAndDrawsTheLines) {
  const platform::Rgba blue = platform::RgbaFromColorRef(GetApp().themePrefs[3].contourColor);
  const int before = CountColour(Map(), blue);
  // The map's identify menu: the elevation is not on the map, the fuel model is.
  map_->SetPointerMode(app::kModeIdentify);
  map_->SetMenuChooser([](int, wxMenu&, wxPoint) { return t::kCmdMapContour; });
  WithModal<t::CContourDialog>([&] { map_->RightDown({60, 60}); }, [&](t::CContourDialog& d) {
    EXPECT_EQ(d.minimumText->GetValue(), "1.00");
    EXPECT_EQ(d.distanceEdit->GetValue(), "30");
    d.intervalEdit->SetValue("1");
    Click(&d, wxID_OK);
  });
  ASSERT_EQ(doc_->contourThemes.size(), 1u);
  const CContourTheme& fuel = *doc_->contourThemes[0];
  EXPECT_FALSE(fuel.lines.empty());
  EXPECT_EQ(doc_->drawPriority.back().contourTheme, &fuel);
  EXPECT_GT(CountColour(Map(), blue), before);

  // The Theme menu on the elevation, with refusals first; the dialog stays open after each.
  doc_->SetVisibleTheme(doc_->GetThemeByLayerType(0));
  doc_->UpdateAllViews();
  messages_->Clear();
  WithModal<t::CContourDialog>([&] { program_test::Command(frame_, t::kCmdContour); }, [&](t::CContourDialog& d) {
    const struct {
      const char* interval;
      const char* distance;
      const char* message;
    } refused[] = {{"abc", "30", "Contour Interval: please enter a number."},
                   {"5000", "30", "Invalid contour interval!"},
                   {"0", "30", "Invalid contour interval!"},
                   {"100", "0", "Invalid minimum point distance!"}};
    for (const auto& r : refused) {
      messages_->Clear();
      d.intervalEdit->SetValue(r.interval);
      d.distanceEdit->SetValue(r.distance);
      Click(&d, wxID_OK);
      ASSERT_TRUE(d.IsModal()) << r.interval;
      ASSERT_EQ(messages_->Texts().size(), 1u);
      EXPECT_EQ(messages_->Texts()[0], r.message);
    }
    d.intervalEdit->SetValue("100");
    d.distanceEdit->SetValue("30");
    Click(&d, wxID_OK);
  });
  ASSERT_EQ(doc_->contourThemes.size(), 2u);
  EXPECT_FLOAT_EQ(doc_->contourThemes[1]->interval, 100);
  EXPECT_EQ(tree_->GetChildrenCount(tree_->ContourFolder()), 2u);
  EXPECT_TRUE(doc_->IsModified());
}

TEST_F(OverlayCommands, ContourPropertiesChangeColourStyleAndWidthAndTheMapRedraws) {
  auto contour = MakeOwnedTheme(new CContourTheme);
  ASSERT_TRUE(contour->Create(doc_->GetThemeByLayerType(0), 100, nullptr, nullptr));
  CContourTheme* c = contour.get();
  doc_->AddContourTheme(std::move(contour));
  doc_->UpdateAllViews();
  const platform::Rgba red{255, 0, 0, 255};
  EXPECT_EQ(CountColour(Map(), red), 0);
  dialogs_->AnswerColour(0x0000FF);
  WithModal<t::CContourPropertiesDialog>([&] { TreeCommand(c, t::kCmdContourProperties); },
                                         [&](t::CContourPropertiesDialog& d) {
                                           EXPECT_EQ(d.intervalEdit->GetValue(), "100");
                                           d.swatch->ChooseColor();
                                           d.styleList->SetStringSelection("Dash");
                                           d.widthList->SetStringSelection("3");
                                           d.titleEdit->SetValue("Elevation 100");
                                           Click(&d, wxID_OK);
                                         });
  EXPECT_EQ(c->color, 0x0000FFu);
  EXPECT_EQ(c->lineStyle, 1);
  EXPECT_EQ(c->lineWidth, 3);
  EXPECT_EQ(c->name, "Elevation 100");
  EXPECT_GT(CountColour(Map(), red), 0);

  // A blank title is refused and nothing changes.
  messages_->Clear();
  WithModal<t::CContourPropertiesDialog>([&] { TreeCommand(c, t::kCmdContourProperties); },
                                         [&](t::CContourPropertiesDialog& d) {
                                           d.titleEdit->SetValue("");
                                           d.widthList->SetStringSelection("7");
                                           Click(&d, wxID_OK);
                                           EXPECT_TRUE(d.IsModal());
                                         });
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Title can not be blank."});
  EXPECT_EQ(c->lineWidth, 3);
}

TEST_F(OverlayCommands, DrawPriorityDialogReordersOverlaysAndTheMapDrawsTheTopOneLast) {
  CVectorTheme* first = AddLine("green line", 0x00FF00);
  CVectorTheme* second = AddLine("magenta line", 0xFF00FF);
  const platform::Rgba green{0, 255, 0, 255}, magenta{255, 0, 255, 255};
  // Added last, the magenta line lies under the green one.
  EXPECT_GT(CountColour(Map(), green), 0);
  EXPECT_EQ(CountColour(Map(), magenta), 0);
  WithModal<t::CDrawPriorityDialog>([&] { program_test::Command(frame_, t::kCmdArrangeVectorThemes); },
                                    [&](t::CDrawPriorityDialog& d) {
                                      ASSERT_EQ(d.listBox->GetCount(), 2u);
                                      EXPECT_EQ(d.listBox->GetString(0), "green line");
                                      d.listBox->SetSelection(1);
                                      Click(&d, 1096);  // UP
                                      EXPECT_EQ(d.listBox->GetSelection(), 0);
                                      Click(&d, 1096);  // already at the top: nothing moves
                                      EXPECT_EQ(d.listBox->GetString(0), "magenta line");
                                      Click(&d, wxID_OK);
                                    });
  ASSERT_EQ(doc_->drawPriority.size(), 2u);
  EXPECT_EQ(doc_->drawPriority.front().vectorTheme, second);
  EXPECT_GT(CountColour(Map(), magenta), 0);
  EXPECT_EQ(CountColour(Map(), green), 0);

  // Bring to Top from the tree puts the green line back on top.
  TreeCommand(first, t::kCmdVectorBringToTop);
  EXPECT_EQ(doc_->drawPriority.front().vectorTheme, first);
  EXPECT_GT(CountColour(Map(), green), 0);

  // Its Properties: a line theme gets the line dialog.
  WithModal<t::CVectorThemePropertiesDialog>([&] { TreeCommand(first, t::kCmdVectorProperties); },
                                             [&](t::CVectorThemePropertiesDialog& d) {
                                               d.visibleCheck->SetValue(false);
                                               Click(&d, wxID_OK);
                                             });
  EXPECT_FALSE(first->visible);
  EXPECT_EQ(CountColour(Map(), green), 0);
}

}  // namespace

// Options > Edit Preferences and Options > Color Ramps in the running program: every page of
// the sheet shows, a refused value keeps its page, a ramp made in the ramp dialogs is offered
// by the pages, and a Theme-page change reaches the map of the next landscape opened.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <functional>
#include <string>

#include "app/layer_types.h"
#include "app/ui/preferences_sheet.h"
#include "app/ui/project_window.h"
#include "platform/atomic_file.h"
#include "program_fixture.h"
#include "project/document.h"
#include "themes/ramp_editing.h"
#include "themes/ui/color_ramp_dialogs.h"
#include "views/ui/map_view.h"
#include "widgets/color_lists.h"
#include "widgets/color_static.h"

namespace {

using app::ui::CPreferencesSheet;
using app::ui::CThemePreferencesPage;
using themes::ui::CColorRampsDialog;
using themes::ui::CRampColorsDialog;

// Runs `act` on the modal dialog of type D once it shows; a dialog still open afterwards is
// cancelled, so a failing test never hangs.
template <class D>
void OnModal(std::function<void(D&)> act) {
  wxTheApp->CallAfter([act] {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<D*>(w); d && d->IsModal()) {
        act(*d);
        if (d->IsModal()) d->EndModal(wxID_CANCEL);
        return;
      }
    ADD_FAILURE() << "the expected dialog is not open";
  });
}

int PageIndex(const CPreferencesSheet& sheet, const std::string& title) {
  for (int i = 0; i < sheet.PageCount(); ++i)
    if (sheet.PageTitle(i) == title) return i;
  return -1;
}

class PreferencesSheetTest : public program_test::ProgramTest {
 protected:
  PreferencesSheetTest() : ProgramTest("test-preferences") {}
  // The program started with the random ramp and these ramps.
  app::ui::MainFrame* StartWithRamps(const std::vector<std::vector<COLORREF>>& ramps) {
    app::ui::MainFrame* frame = Start({});
    themes::StoreListedRamps({ramps.begin(), ramps.end()}, GetApp().colorRamps);
    return frame;
  }
};

TEST_F(PreferencesSheetTest, RampDialogsAddEditAndDeleteAndThePagesOfferTheRamp) {
  app::ui::MainFrame* frame = StartWithRamps({{1, 2, 3}, {4}});
  ASSERT_TRUE(frame);
  CPVN4App& app = GetApp();

  // Add a ramp, give it two colours, delete the first listed ramp.
  dialogs_->AnswerColour(0x0000FF);
  dialogs_->AnswerColour(0x00FF00);
  messages_->Script({platform::Answer::Yes});
  OnModal<CColorRampsDialog>([&](CColorRampsDialog& d) {
    EXPECT_EQ(d.GetTitle(), "Manage Color Ramps");
    ASSERT_EQ(d.list->GetCount(), 2);  // the random ramp is not listed
    d.OnAddNew();
    ASSERT_EQ(d.list->GetCount(), 3);
    EXPECT_EQ(d.list->GetRamp(2)->Colors(), std::vector<COLORREF>{0x646464});
    d.list->SetSelection(2);
    OnModal<CRampColorsDialog>([](CRampColorsDialog& colors) {
      EXPECT_EQ(colors.Colors(), std::vector<COLORREF>{0x646464});
      colors.list->SetSelection(0);
      colors.OnEditColor();  // first scripted colour
      colors.OnAddColor();   // grey, then edited at once with the second
      colors.OnMove(CRampColorsDialog::kTop);
      EXPECT_EQ(colors.Colors(), (std::vector<COLORREF>{0x00FF00, 0x0000FF}));
      colors.list->SetSelection(1);
      colors.OnDeleteColor();
      colors.OnDeleteColor();  // nothing selected now: nothing happens
      EXPECT_EQ(colors.Colors(), std::vector<COLORREF>{0x00FF00});
      colors.OnAddColor();  // cancelled colour dialog keeps the grey
      colors.OnOK();
    });
    d.OnEdit();
    EXPECT_EQ(d.list->GetRamp(2)->Colors(), (std::vector<COLORREF>{0x00FF00, 0x808080}));
    EXPECT_EQ(app.colorRamps.size(), 3u);  // nothing reaches the program before OK
    d.list->SetSelection(0);
    d.OnDelete();
    d.OnOK();
  });
  program_test::Command(frame, app::cmd::kColorRamps);
  EXPECT_EQ(messages_->Texts(), std::vector<std::string>{"Delete the selected color ramp?"});
  ASSERT_EQ(app.colorRamps.size(), 3u);
  EXPECT_TRUE(app.colorRamps[0]->IsRandom());
  EXPECT_EQ(app.colorRamps[1]->Colors(), std::vector<COLORREF>{4});
  EXPECT_EQ(app.colorRamps[2]->Colors(), (std::vector<COLORREF>{0x00FF00, 0x808080}));

  // Cancel leaves the list as it was.
  OnModal<CColorRampsDialog>([](CColorRampsDialog& d) { d.OnAddNew(); });
  program_test::Command(frame, app::cmd::kColorRamps);
  EXPECT_EQ(app.colorRamps.size(), 3u);

  // The new ramp is in the ramp lists of the theme and wind-vector pages.
  CPreferencesSheet sheet(frame, "Preferences", 0);
  for (const char* title : {"Fuel Model", "Wind Vectors"}) {
    ASSERT_TRUE(sheet.SelectPage(PageIndex(sheet, title))) << title;
    auto* page = sheet.Page(sheet.ActivePage());
    const app::ui::LegendControls& legend = title[0] == 'F' ? static_cast<CThemePreferencesPage*>(page)->legend
                                                        : static_cast<app::ui::CWindVectorThemePreferencesPage*>(page)->legend;
    bool offered = false;
    for (unsigned i = 0; i < legend.rampList->GetCount(); ++i)
      offered |= legend.rampList->GetRamp(static_cast<int>(i)) == app.colorRamps[2].get();
    EXPECT_TRUE(offered) << title;
  }
}

TEST_F(PreferencesSheetTest, EveryPageShowsAndAThemeChangeReachesTheMapOfANewLandscape) {
  app::ui::MainFrame* frame = StartWithRamps({{0x0000FF, 0x0000FF}});
  ASSERT_TRUE(frame);
  CPVN4App& app = GetApp();
  const CWindVectorPreferences windBefore = app.windVectorPrefs[0];

  OnModal<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
    EXPECT_EQ(sheet.GetTitle(), "Preferences");
    ASSERT_EQ(sheet.PageCount(), 47);
    EXPECT_EQ(sheet.PageTitle(0), "Application");
    EXPECT_EQ(sheet.PageTitle(1), "Generic Grid");
    EXPECT_EQ(sheet.PageTitle(2), "Vector Themes");
    EXPECT_EQ(sheet.PageTitle(5), "Max Spot Vectors");
    EXPECT_EQ(sheet.PageTitle(6), GetLayerTypeName(0));
    EXPECT_EQ(sheet.PageTitle(46), GetLayerTypeName(43));
    EXPECT_EQ(PageIndex(sheet, GetLayerTypeName(29)), -1);
    for (int i = 0; i < sheet.PageCount(); ++i) {
      ASSERT_TRUE(sheet.SelectPage(i)) << sheet.PageTitle(i);
      EXPECT_TRUE(sheet.Page(i)->IsBuilt());
      EXPECT_TRUE(sheet.Page(i)->IsShownOnScreen()) << sheet.PageTitle(i);
    }

    // A target size out of range keeps the page, says which field, and stores nothing.
    const int wind = PageIndex(sheet, "Wind Vectors");
    ASSERT_TRUE(sheet.SelectPage(wind));
    auto* windPage = static_cast<app::ui::CWindVectorThemePreferencesPage*>(sheet.Page(wind));
    windPage->targetSize->SetValue("5000");
    windPage->outputSpeed->SetValue(!windBefore.outputSpeed);
    EXPECT_FALSE(sheet.SelectPage(0));
    EXPECT_EQ(sheet.ActivePage(), wind);
    ASSERT_EQ(messages_->Texts().size(), 1u);
    EXPECT_EQ(messages_->Texts()[0],
              "Target Size (Pixels): 5000 is out of range; enter a whole number from 10 to 200.");
    EXPECT_EQ(app.windVectorPrefs[0].targetSize, windBefore.targetSize);
    EXPECT_EQ(app.windVectorPrefs[0].outputSpeed, windBefore.outputSpeed);
    windPage->targetSize->SetValue("64");

    // The fuel-model page takes the red ramp; leaving the page applies it.
    const int fuel = PageIndex(sheet, "Fuel Model");
    ASSERT_TRUE(sheet.SelectPage(fuel));
    EXPECT_EQ(app.windVectorPrefs[0].targetSize, 64);
    auto* fuelPage = static_cast<CThemePreferencesPage*>(sheet.Page(fuel));
    EXPECT_FALSE(fuelPage->legend.legendRadio->IsEnabled());  // no predefined legends
    fuelPage->legend.rampList->SetSelection(1);
    ASSERT_TRUE(sheet.SelectPage(0));
    EXPECT_EQ(app.themePrefs[3].ramp.Colors(), (std::vector<COLORREF>{0x0000FF, 0x0000FF}));
    sheet.OnOK();
  });
  program_test::Command(frame, app::cmd::kEditPreferences);
  EXPECT_EQ(messages_->Texts().size(), 1u);

  // File > Open of the sample: a new project whose map draws the fuel models in red.
  dialogs_->AnswerOpenFile(program_test::SampleLcp());
  program_test::Command(frame, app::cmd::kOpen);
  widgets::FlushEvents();
  CPVN4Doc* doc = app::ui::ActiveProject(*frame);
  ASSERT_TRUE(doc);
  ASSERT_TRUE(doc->landscape.loaded);
  views::ui::CMapView* map = views::ui::FindMapView(doc);
  ASSERT_TRUE(map);
  for (int i = 0; i < 20 && map->MapImage().IsEmpty(); ++i) widgets::FlushEvents(2);
  const platform::Image& image = map->MapImage();
  ASSERT_FALSE(image.IsEmpty());
  int red = 0, total = 0;
  for (int y = 0; y < image.Height(); y += 4)
    for (int x = 0; x < image.Width(); x += 4, ++total) red += image.GetPixel(x, y) == platform::Rgba{255, 0, 0, 255};
  EXPECT_GT(red, total / 2);
}

TEST_F(PreferencesSheetTest, SavedPreferencesLoadBackAndSaveToTheSameBytes) {
  app::ui::MainFrame* frame = StartWithRamps({{0x112233, 0x445566}});
  ASSERT_TRUE(frame);
  CPVN4App& app = GetApp();
  OnModal<CPreferencesSheet>([](CPreferencesSheet& sheet) {
    ASSERT_TRUE(sheet.SelectPage(1));
    static_cast<CThemePreferencesPage*>(sheet.Page(1))->legend.classes->SetValue("37");
    sheet.OnOK();
  });
  program_test::Command(frame, app::cmd::kEditPreferences);
  ASSERT_EQ(app.themePrefs[kGenericGridLayerType].numClasses, 37);

  const std::string first = app.configFolder + "/first.cfg", second = app.configFolder + "/second.cfg";
  dialogs_->AnswerSaveFile(first);
  program_test::Command(frame, app::cmd::kSavePreferencesAs);
  app.themePrefs[kGenericGridLayerType].numClasses = 5;

  // Loading shows the sheet with what the file holds.
  dialogs_->AnswerOpenFile(first);
  std::string shownClasses;
  OnModal<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
    ASSERT_TRUE(sheet.SelectPage(1));
    shownClasses = static_cast<CThemePreferencesPage*>(sheet.Page(1))->legend.classes->GetValue().utf8_string();
  });
  program_test::Command(frame, app::cmd::kLoadSavedPreferences);
  EXPECT_EQ(shownClasses, "37");

  dialogs_->AnswerSaveFile(second);
  program_test::Command(frame, app::cmd::kSavePreferencesAs);
  EXPECT_EQ(messages_->Texts(), (std::vector<std::string>{"Config file successfully saved to disk",
                                                          "Config file successfully saved to disk"}));
  std::string a, b;
  ASSERT_TRUE(platform::ReadWholeFile(first, a));
  ASSERT_TRUE(platform::ReadWholeFile(second, b));
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("\n2 1122867 4478310\n"), std::string::npos);  // the ramp is in the file
}

TEST_F(PreferencesSheetTest, LoadedDefaultPreferencesAreShownInTheSheet) {
  app::ui::MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  messages_->Script({platform::Answer::Yes});
  bool shown = false;
  OnModal<CPreferencesSheet>([&](CPreferencesSheet& sheet) { shown = sheet.GetTitle() == "Preferences"; });
  program_test::Command(frame, app::cmd::kLoadDefaultPreferences);
  EXPECT_TRUE(shown);
}

TEST_F(PreferencesSheetTest, ApplicationPageSetsTheBackgroundAndStorageFolder) {
  app::ui::MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  const std::string folder = GetApp().workingFolder + "/chosen";
  std::filesystem::create_directories(folder);
  dialogs_->AnswerColour(0x00FF00);
  dialogs_->AnswerFolder(folder);
  messages_->Script({platform::Answer::Yes});
  OnModal<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
    auto* page = static_cast<app::ui::CApplicationPreferencesPage*>(sheet.Page(0));
    ASSERT_TRUE(page->IsBuilt());
    EXPECT_EQ(page->version->GetLabel(), "OpenGL not installed");  // the test starts without the probe
    EXPECT_FALSE(sheet.applyButton->IsEnabled());
    wxMouseEvent click(wxEVT_LEFT_UP);
    click.SetEventObject(page->background);
    page->background->GetEventHandler()->ProcessEvent(click);
    EXPECT_TRUE(sheet.applyButton->IsEnabled());
    page->OnBrowseFolder();
    EXPECT_EQ(page->folderEdit->GetValue().utf8_string(), folder);
    page->OnBrowseImage();  // cancelled: offers the formats the program reads
    const platform::FileDialogOptions image = dialogs_->Requests().back().options;
    EXPECT_EQ(image.filter.rfind("All Image Files|", 0), 0u);
    EXPECT_NE(image.filter.find("*.png"), std::string::npos);
    EXPECT_EQ(image.defaultExt, "bmp");
    EXPECT_TRUE(sheet.applyButton->IsEnabled());
    sheet.OnOK();
  });
  program_test::Command(frame, app::cmd::kEditPreferences);
  EXPECT_EQ(GetApp().backgroundColor, 0x00FF00u);
  EXPECT_EQ(GetApp().workingFolder, folder);
  // The backdrop behind the project windows takes the colour.
  frame->DocManager()->CloseDocuments(true);
  widgets::FlushEvents();
  ASSERT_TRUE(frame->Backdrop()->IsShown());
  const wxImage shot = widgets::CaptureWindow(frame->Backdrop());
  EXPECT_EQ(program_test::Rgb(shot, shot.GetWidth() / 2, shot.GetHeight() / 2), 0x00FF00u);
}

// A page applies its values when it is left; Cancel (here Escape) takes back every change
// made since the sheet opened, the background's as well as the theme page's.
TEST_F(PreferencesSheetTest, CancelTakesBackWhatTheLeftPagesApplied) {
  app::ui::MainFrame* frame = Start({});
  ASSERT_TRUE(frame);
  CPVN4App& app = GetApp();
  const int classes = app.themePrefs[kGenericGridLayerType].numClasses;
  const COLORREF background = app.backgroundColor;
  dialogs_->AnswerColour(background ^ 0x00FF00);
  int appliedClasses = 0;
  COLORREF appliedBackground = 0;
  OnModal<CPreferencesSheet>([&](CPreferencesSheet& sheet) {
    auto* application = static_cast<app::ui::CApplicationPreferencesPage*>(sheet.Page(0));
    wxMouseEvent click(wxEVT_LEFT_UP);
    click.SetEventObject(application->background);
    application->background->GetEventHandler()->ProcessEvent(click);
    ASSERT_TRUE(sheet.SelectPage(1));
    wxTextCtrl* field = static_cast<CThemePreferencesPage*>(sheet.Page(1))->legend.classes;
    wxUIActionSimulator sim;
    const wxRect r = field->GetScreenRect();
    sim.MouseMove(r.GetPosition() + r.GetSize() / 2);
    widgets::FlushEvents(2);
    sim.MouseDblClick();
    widgets::FlushEvents(3);
    field->SelectAll();
    sim.Text(std::to_string(classes + 7).c_str());
    widgets::FlushEvents(3);
    ASSERT_TRUE(sheet.SelectPage(2));
    appliedClasses = app.themePrefs[kGenericGridLayerType].numClasses;
    appliedBackground = app.backgroundColor;
    sim.Char(WXK_ESCAPE);
    widgets::FlushEvents(6);
    EXPECT_FALSE(sheet.IsModal());
  });
  program_test::Command(frame, app::cmd::kEditPreferences);
  EXPECT_EQ(appliedClasses, classes + 7);
  EXPECT_EQ(appliedBackground, background ^ 0x00FF00);
  EXPECT_EQ(app.themePrefs[kGenericGridLayerType].numClasses, classes);
  EXPECT_EQ(app.backgroundColor, background);
}

}  // namespace

namespace {

// The two dialogs the legend editors open over selected rows.
TEST(LegendRampDialogs, EndColoursAndRelativeLengths) {
  platform::ScopedRecordingMessages messages;
  platform::ScopedScriptedDialogs dialogs;
  dialogs.AnswerColour(0x00FF00);

  themes::ui::CRampDialog ramp(nullptr, 0x000000, 0xFFFFFF);
  OnModal<themes::ui::CRampDialog>([](themes::ui::CRampDialog& d) {
    EXPECT_FALSE(d.PickAt(wxPoint(-5, -5)));
    const wxRect top = d.topSwatch->GetRect();
    EXPECT_TRUE(d.PickAt(wxPoint(top.GetRight() + 1, top.GetBottom() + 1)));  // the edge counts
    d.OnOK();
  });
  EXPECT_EQ(ramp.ShowModal(), wxID_OK);
  EXPECT_EQ(ramp.topColor, 0x00FF00u);
  EXPECT_EQ(ramp.bottomColor, 0xFFFFFFu);

  themes::ui::CRampRelLengthDialog lengths(nullptr, 1, 4, 5);
  OnModal<themes::ui::CRampRelLengthDialog>([](themes::ui::CRampRelLengthDialog& d) {
    EXPECT_FALSE(d.OnOK());  // 1 to 4 gives four lengths for five rows
    d.startEdit->SetValue("0");
    EXPECT_FALSE(d.OnOK());
    d.startEdit->SetValue("10");
    d.endEdit->SetValue("6");
    EXPECT_TRUE(d.OnOK());
  });
  EXPECT_EQ(lengths.ShowModal(), wxID_OK);
  EXPECT_EQ(lengths.startValue, 10);
  EXPECT_EQ(lengths.endValue, 6);
  EXPECT_EQ(messages.Texts(),
            (std::vector<std::string>{"Error: Selected range yields fewer values than number of cells. Increase range.",
                                      "Start Value: 0 is out of range; enter a whole number from 1 to 100."}));
}

}  // namespace

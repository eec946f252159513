#include <gtest/gtest.h>
#include <wx/filehistory.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <filesystem>
#include <fstream>

#include "app/command_rules.h"
#include "app/ui/about_dialog.h"
#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_template.h"
#include "app/ui/startup.h"
#include "platform/messages.h"
#include "platform/services.h"
#include "widgets/screenshot.h"

namespace fs = std::filesystem;
using namespace app;
using namespace app::ui;

namespace {

// A fresh folder under the build tree for one test's files.
std::string TempFolder(const std::string& name) {
  fs::path p = fs::path(PV_BINARY_DIR) / "test-window" / name;
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

bool Enabled(MainFrame* frame, int command) {
  wxUpdateUIEvent e(MainFrame::WxIdFor(command));
  e.SetEventObject(frame);
  frame->ProcessWindowEvent(e);
  return e.GetSetEnabled() ? e.GetEnabled() : true;
}

void Command(MainFrame* frame, int command) {
  wxCommandEvent e(wxEVT_MENU, MainFrame::WxIdFor(command));
  e.SetEventObject(frame);
  frame->ProcessWindowEvent(e);
}

void CloseFrame(wxWindow* frame) {
  frame->Destroy();
  widgets::FlushEvents(3);
}

// Start-up options that keep every file of the application object under one test folder.
StartupOptions QuickStart(const std::string& name) {
  std::string folder = TempFolder(name);
  StartupOptions options;
  options.splashTimeoutMs = 0;  // only the end of start-up closes it
  options.pauseMs = 0;
  options.probeOpenGl = false;
  AppFolders f;
  f.programFolder = folder;
  f.dataFolder = folder + "/data";
  f.configFolder = folder + "/config";
  f.workingFolder = folder + "/work";
  f.lockPath = folder + "/lock";
  for (const std::string& d : {f.dataFolder, f.configFolder, f.workingFolder}) fs::create_directories(d);
  options.folders = f;
  return options;
}

// A main frame with the project template, as the program builds it.
MainFrame* NewFrameWithTemplate(const std::string& recent) {
  auto* frame = new MainFrame(recent);
  AddProjectTemplates(frame->DocManager());
  frame->Show();
  return frame;
}

}  // namespace

TEST(MainWindow, MenusToolbarAndStatusBarCarryTheProgramsCommands) {
  auto* frame = new MainFrame(TempFolder("menus") + "/recent");
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_TRUE(bar);
  const char* titles[] = {"File", "View", "Options", "Utilities", "Help"};
  ASSERT_EQ(bar->GetMenuCount(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(bar->GetMenuLabelText(i), titles[i]);
  struct Item {
    int command;
    const char* label;
  };
  const Item items[] = {
      {cmd::kNew, "New"},
      {cmd::kOpen, "Open..."},
      {cmd::kExtractAndOpenArchive, "Extract and Open Archive..."},
      {cmd::kCreateLandscapeFile, "Create Landscape File..."},
      {cmd::kConvertLcpToGeoTiff, "Convert LCP to GeoTIFF"},
      {cmd::kExit, "Exit"},
      {cmd::kViewToolbar, "Toolbar"},
      {cmd::kViewStatusBar, "Status Bar"},
      {cmd::kColorRamps, "Color Ramps"},
      {cmd::kPredefinedLegends, "Predefined Legends"},
      {cmd::kEditPreferences, "Edit Preferences"},
      {cmd::kSavePreferencesAs, "Save As..."},
      {cmd::kLoadSavedPreferences, "Saved Preferences"},
      {cmd::kLoadDefaultPreferences, "Default Preferences"},
      {cmd::kWtrWndToWxs, "WTR and WND to WXS"},
      {cmd::kAbout, "About Pyrvane..."},
      {cmd::kHelp, "Help"},
  };
  for (const Item& item : items) {
    wxMenuItem* mi = bar->FindItem(MainFrame::WxIdFor(item.command));
    ASSERT_TRUE(mi) << item.label;
    EXPECT_EQ(mi->GetItemLabelText(), item.label);
    EXPECT_EQ(MainFrame::CommandFor(MainFrame::WxIdFor(item.command)), item.command);
  }

  wxToolBar* tools = frame->Toolbar();
  const int order[] = {cmd::kNew,          cmd::kOpen,         cmd::kSave,
                       cmd::kPrint,        cmd::kZoomInStep,   cmd::kZoomOutStep,
                       cmd::kZoomInMode,   cmd::kZoomOutMode,  cmd::kPanMode,
                       cmd::kStepBack,     cmd::kStepForward,  cmd::kIdentifyMode,
                       cmd::kCreatePointsMode, cmd::kCreateLinesMode, cmd::kCreatePolygonsMode,
                       cmd::kMeasureMode,  cmd::kCritiqueHtml, cmd::kCritiquePdf,
                       cmd::kAbout};
  std::vector<int> found;
  for (size_t i = 0; i < tools->GetToolsCount(); ++i) {
    const wxToolBarToolBase* t = tools->GetToolByPos(static_cast<int>(i));
    if (!t->IsSeparator()) found.push_back(MainFrame::CommandFor(t->GetId()));
  }
  EXPECT_EQ(found, std::vector<int>(std::begin(order), std::end(order)));
  EXPECT_EQ(tools->GetToolShortHelp(MainFrame::WxIdFor(cmd::kMeasureMode)), "Measure ");

  wxStatusBar* status = frame->GetStatusBar();
  ASSERT_EQ(status->GetFieldsCount(), 7);
  EXPECT_EQ(status->GetStatusText(0), "Ready");
  CloseFrame(frame);
}

TEST(MainWindow, EnableRulesWithoutAProject) {
  platform::ScopedRecordingShell shell;
  auto* frame = new MainFrame(TempFolder("enable") + "/recent");
  frame->Show();
  for (int id : {cmd::kExit, cmd::kAbout, cmd::kHelp, cmd::kViewToolbar, cmd::kViewStatusBar,
                 cmd::kConvertLcpToGeoTiff})
    EXPECT_TRUE(Enabled(frame, id)) << id;
  // Nothing prints, nothing needs a map without a project, and dialogs of other subsystems
  // stay off until they register.
  for (int id : {cmd::kPrint, cmd::kZoomInMode, cmd::kMeasureMode, cmd::kStepBack,
                 cmd::kCritiquePdf, cmd::kExtractAndOpenArchive, cmd::kViewShaderBar})
    EXPECT_FALSE(Enabled(frame, id)) << id;
  EXPECT_TRUE(Enabled(frame, cmd::kPredefinedLegends));
  bool ran = false;
  frame->BindCommand(cmd::kExtractAndOpenArchive, [&] { ran = true; });
  EXPECT_TRUE(Enabled(frame, cmd::kExtractAndOpenArchive));
  Command(frame, cmd::kExtractAndOpenArchive);
  EXPECT_TRUE(ran);

  // All six information panes are empty without a project.
  EXPECT_EQ(frame->UpdateStatusPanes(), StatusTexts{});
  for (int i = 1; i < 7; ++i) EXPECT_EQ(frame->GetStatusBar()->GetStatusText(i), "");

  // The toolbar command hides and shows the toolbar and its check follows.
  Command(frame, cmd::kViewToolbar);
  EXPECT_FALSE(frame->Toolbar()->IsShown());
  EXPECT_FALSE(frame->CurrentCommandState().toolbarShown);
  Command(frame, cmd::kViewToolbar);
  EXPECT_TRUE(frame->Toolbar()->IsShown());
  CloseFrame(frame);
}

TEST(MainWindow, StatusPanesShowTheActiveProjectsState) {
  auto* frame = new MainFrame(TempFolder("status") + "/recent");
  StatusInfo info;
  info.hasProject = info.hasMapView = info.hasVisibleTheme = info.hasLegend = true;
  info.pointerMode = kModeZoomOut;
  info.areaName = "Entire Landscape (Default)";
  info.themeName = "Fuel Model";
  info.value = 7;
  info.unitsName = "Fuel Model";
  info.easting = 500123.4;
  info.northing = 4100456.6;
  info.scaleDenominator = 24000;
  frame->SetStatusProvider([&] { return info; });
  frame->UpdateStatusPanes();
  const char* expected[] = {"Map Mode: Zoom Out", "Entire Landscape (Default)", "Fuel Model",
                            "7 (Fuel Model)", "500123, 4100457", "Scale: 1 : 24000"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(frame->GetStatusBar()->GetStatusText(i + 1), expected[i]);
  info.value = info.noData;
  frame->UpdateStatusPanes();
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText(4), "NA");
  CloseFrame(frame);
}

TEST(MainWindow, HelpAndAboutOpenTheHelpBase) {
  platform::ScopedRecordingShell shell;
  auto* frame = new MainFrame(TempFolder("help") + "/recent");
  frame->SetHelpBase("https://help.example.org/pyrvane/");
  Command(frame, cmd::kHelp);
  ASSERT_EQ(shell.Opened().size(), 1u);
  EXPECT_EQ(shell.Opened()[0], "url:https://help.example.org/pyrvane/");

  {
    CAboutDlg about(frame, frame->HelpBase());
    about.Show();
    about.TransferDataToWindow();
    EXPECT_EQ(about.GetTitle(), "About Pyrvane");
    auto* version = wxDynamicCast(about.FindWindow(CAboutDlg::kVersionEdit), wxTextCtrl);
    auto* date = wxDynamicCast(about.FindWindow(CAboutDlg::kBuildDateEdit), wxTextCtrl);
    ASSERT_TRUE(version && date);
    EXPECT_EQ(version->GetValue(), "Pyrvane 6 Version 6.1");
    // The day the program was built, as the compiler writes it ("Dec 10 2026").
    wxDateTime built;
    wxString::const_iterator end;
    EXPECT_TRUE(built.ParseFormat(date->GetValue(), "%b %d %Y", &end)) << date->GetValue();
    EXPECT_GE(built.GetYear(), 2024);
    EXPECT_FALSE(version->IsEditable());
    wxCommandEvent click(wxEVT_BUTTON, CAboutDlg::kOnlineHelpButton);
    about.ProcessWindowEvent(click);
    ASSERT_EQ(shell.Opened().size(), 2u);
    EXPECT_EQ(shell.Opened()[1], "url:https://help.example.org/pyrvane/");
    about.Hide();
  }
  CloseFrame(frame);
}

TEST(MainWindow, RecentFilesKeepTenAndSurviveARestart) {
  std::string folder = TempFolder("recent");
  std::string store = folder + "/Pyrvane6.recent";
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) {
    files.push_back(folder + "/p" + std::to_string(i) + ".pvn");
    std::ofstream(files.back()) << "x";
  }
  auto* frame = new MainFrame(store);
  for (const std::string& f : files) frame->DocManager()->AddFileToHistory(f);
  EXPECT_EQ(frame->DocManager()->GetHistoryFilesCount(), 10u);
  EXPECT_EQ(frame->DocManager()->GetHistoryFile(0), files[11]);
  EXPECT_TRUE(frame->Close());  // closing writes the list
  widgets::FlushEvents(3);

  fs::remove(files[11]);  // the newest entry is gone by the next start
  platform::ScopedRecordingMessages messages;
  frame = NewFrameWithTemplate(store);
  ASSERT_EQ(frame->DocManager()->GetHistoryFilesCount(), 10u);
  EXPECT_EQ(frame->DocManager()->GetHistoryFile(9), files[2]);
  Command(frame, cmd::kRecentFile);  // a missing file leaves the list
  EXPECT_EQ(frame->DocManager()->GetHistoryFilesCount(), 9u);
  EXPECT_EQ(frame->DocManager()->GetHistoryFile(0), files[10]);
  CloseFrame(frame);
}

TEST(ProjectWindows, NewProjectWindowSplitsTreeAndMapAndNamesItself) {
  auto* frame = NewFrameWithTemplate(TempFolder("child") + "/recent");
  wxDocManager* manager = frame->DocManager();
  wxDocument* doc = manager->CreateDocument(wxEmptyString, wxDOC_NEW);
  ASSERT_TRUE(doc);
  widgets::FlushEvents(3);
  auto* child = dynamic_cast<CChildFrame*>(doc->GetFirstView()->GetFrame());
  ASSERT_TRUE(child);
  EXPECT_EQ(child->GetTitle(), "Pyrvane1");
  EXPECT_EQ(frame->ActiveDocument(), doc);
  EXPECT_TRUE(frame->CurrentCommandState().hasProject);

  child->SetTreeWidth(300);
  EXPECT_EQ(child->TreeWidth(), 300);
  child->SetTreeWidth(2);  // held at the minimum the splitter allows
  EXPECT_GE(child->TreeWidth(), 10);

  child->UpdateCaption(true, "C:\\Data\\Tract.lcp");
  EXPECT_EQ(child->GetTitle(), "Pyrvane1 - Tract.lcp");
  // A second window on the same project is numbered.
  wxView* second = manager->CreateView(doc);
  ASSERT_TRUE(second);
  auto* child2 = dynamic_cast<CChildFrame*>(second->GetFrame());
  ASSERT_TRUE(child2);
  child2->UpdateCaption(true, "C:\\Data\\Tract.lcp");
  EXPECT_EQ(child2->GetTitle(), "Pyrvane1 - Tract.lcp:2");

  // Closing the project leaves no stale active document behind.
  EXPECT_TRUE(manager->CloseDocument(doc, true));
  widgets::FlushEvents(3);
  EXPECT_EQ(frame->ActiveDocument(), nullptr);
  CloseFrame(frame);
}

TEST(ProjectWindows, PlacementOffTheScreenIsIgnored) {
  auto* frame = new MainFrame(TempFolder("placement") + "/recent");
  frame->SetSize(50, 60, 700, 500);
  FramePlacement off{ShowState::Normal, {-5000, -5000, -4000, -4000}};
  frame->RestorePlacement(off);
  EXPECT_EQ(frame->GetSize(), wxSize(700, 500));
  FramePlacement recorded;
  frame->SetPlacementRecorder([&](const FramePlacement& p) { recorded = p; });
  frame->RestorePlacement({ShowState::Normal, {400, 300, 100, 100}});  // edges swapped
  EXPECT_EQ(frame->GetSize(), wxSize(300, 200));
  EXPECT_TRUE(frame->Close());
  EXPECT_EQ(recorded.normal.right - recorded.normal.left, 300);
  widgets::FlushEvents(3);
}

TEST(Startup, NoArgumentOpensANewProjectAndTheSplashHasGone) {
  ApplicationShell shell;
  StartupOptions options = QuickStart("startup");
  std::ofstream(options.folders->dataFolder + "/OnlineHelpURL.txt") << "https://help.example.net/\r\n";
  ASSERT_TRUE(shell.Start(options, {}));
  MainFrame* frame = shell.Frame();
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame->IsShown());
  EXPECT_EQ(frame->GetTitle().BeforeFirst(' '), "Pyrvane");
  EXPECT_EQ(frame->DocManager()->GetDocumentsVector().size(), 1u);
  EXPECT_EQ(frame->HelpBase(), "https://help.example.net/");
  // The window as a user first sees it, for the documentation.
  wxImage shot = widgets::CaptureWindow(frame);
  ASSERT_TRUE(shot.IsOk());
  fs::create_directories(fs::path(PV_BINARY_DIR) / "screenshots");
  EXPECT_TRUE(shot.SaveFile(std::string(PV_BINARY_DIR) + "/screenshots/startup_window.png",
                            wxBITMAP_TYPE_PNG));
  for (int i = 0; i < 200 && shell.Splash(); ++i) widgets::FlushEvents(1);
  EXPECT_FALSE(shell.Splash());

  // Closing records the placement; shutdown writes it with the preferences.
  frame->SetSize(40, 50, 640, 480);
  EXPECT_TRUE(frame->Close());
  widgets::FlushEvents(3);
  EXPECT_EQ(GetApp().placement.right - GetApp().placement.left, 640);
  shell.Shutdown(false);
  EXPECT_TRUE(fs::exists(options.folders->configFolder + "/Pyrvane6.cfg"));
  EXPECT_TRUE(fs::exists(options.folders->configFolder + "/Pyrvane6.recent"));
}

TEST(Startup, SplashEndedByItsTimeOutBeforeStartUpFinishesIsLeftAlone) {
  ApplicationShell shell;
  StartupOptions options = QuickStart("startup-timeout");
  options.splashTimeoutMs = 1;
  shell.ShowSplash(options);
  for (int i = 0; i < 200 && shell.Splash(); ++i) widgets::FlushEvents(1);
  ASSERT_FALSE(shell.Splash());  // gone and deleted by its own timer
  ASSERT_TRUE(shell.FinishStart(options, {}));
  CloseFrame(shell.Frame());
}

TEST(Startup, UnreadableProjectOnTheCommandLineEndsStartUp) {
  platform::ScopedRecordingMessages messages;
  ApplicationShell shell;
  StartupOptions options = QuickStart("startup-bad");
  std::string project = options.folders->programFolder + "/broken.pvn";
  std::ofstream(project) << "not a project\n";
  EXPECT_FALSE(shell.Start(options, {project}));
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Error: Unrecognized file format\nMissing Pyrvane6 header line."});
  for (int i = 0; i < 200 && (shell.Frame() || shell.Splash()); ++i) widgets::FlushEvents(1);
  EXPECT_FALSE(shell.Frame());
  EXPECT_FALSE(shell.Splash());
}

TEST(Startup, ExceptionInADialogClosesOnlyThatDialog) {
  platform::ScopedRecordingMessages messages;
  auto* frame = new MainFrame(TempFolder("exception") + "/recent");
  frame->Show();
  bool recovered = false;
  {
    wxDialog dialog(frame, wxID_ANY, "Failing dialog");
    dialog.CallAfter([&] {
      try {
        throw std::runtime_error("Error opening /data/missing.lcp");
      } catch (...) {
        recovered = RecoverFromCommandException();
      }
    });
    EXPECT_EQ(dialog.ShowModal(), wxID_CANCEL);
  }
  EXPECT_TRUE(recovered);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error opening /data/missing.lcp"});
  EXPECT_TRUE(frame->IsShown());
  CloseFrame(frame);
}

TEST(ProjectWindows, ActivationSwitchesTheShaderBarAndContextMenusGoToTheTree) {
  auto* frame = NewFrameWithTemplate(TempFolder("activation") + "/recent");
  std::vector<wxDocument*> reloads;
  frame->SetShaderReload([&](wxDocument* d) { reloads.push_back(d); });
  wxDocument* first = frame->DocManager()->CreateDocument(wxEmptyString, wxDOC_NEW);
  wxDocument* second = frame->DocManager()->CreateDocument(wxEmptyString, wxDOC_NEW);
  ASSERT_TRUE(first && second);
  widgets::FlushEvents(3);
  ASSERT_FALSE(reloads.empty());
  EXPECT_EQ(reloads.back(), second);
  auto* child1 = dynamic_cast<CChildFrame*>(first->GetFirstView()->GetFrame());
  child1->Activate();
  for (int i = 0; i < 50 && reloads.back() != first; ++i) widgets::FlushEvents(1);
  EXPECT_EQ(reloads.back(), first);
  EXPECT_EQ(frame->ActiveDocument(), first);

  // A tree pane that counts the context-menu requests it receives.
  int treeMenus = 0;
  auto* frameWithTree = new CChildFrame(
      nullptr, nullptr, frame,
      [&](wxWindow* parent) {
        auto* tree = new wxPanel(parent);
        tree->Bind(wxEVT_CONTEXT_MENU, [&](wxContextMenuEvent&) { ++treeMenus; });
        return tree;
      });
  wxContextMenuEvent onMap(wxEVT_CONTEXT_MENU, frameWithTree->MapPane()->GetId(), wxPoint(5, 5));
  onMap.SetEventObject(frameWithTree->MapPane());
  frameWithTree->MapPane()->GetEventHandler()->ProcessEvent(onMap);
  EXPECT_EQ(treeMenus, 1);
  frameWithTree->Destroy();
  CloseFrame(frame);
}

TEST(MainWindow, ConvertCommandRunsItsDialogModally) {
  auto* frame = new MainFrame(TempFolder("convert") + "/recent");
  frame->Show();
  wxString shown;
  frame->CallAfter([&] {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = wxDynamicCast(w, wxDialog); d && d->IsModal()) {
        shown = d->GetTitle();
        EXPECT_EQ(d->GetParent(), frame);
        d->EndModal(wxID_CANCEL);
      }
  });
  Command(frame, cmd::kConvertLcpToGeoTiff);
  EXPECT_EQ(shown, "Convert LCP to GeoTIFF");
  CloseFrame(frame);
}

TEST(ProjectWindows, BackdropShowsColourOrPictureWhileNoProjectIsOpen) {
  // Its picture: the colour, or the picture stretched over the whole area.
  wxImage fill = BackdropBitmap(wxColour(10, 20, 30), wxImage(), wxSize(40, 30)).ConvertToImage();
  EXPECT_EQ(fill.GetSize(), wxSize(40, 30));
  EXPECT_EQ(wxColour(fill.GetRed(39, 29), fill.GetGreen(39, 29), fill.GetBlue(39, 29)),
            wxColour(10, 20, 30));
  wxImage picture(2, 1);
  picture.SetRGB(0, 0, 255, 0, 0);
  picture.SetRGB(1, 0, 0, 0, 255);
  wxImage stretched = BackdropBitmap(*wxWHITE, picture, wxSize(100, 50)).ConvertToImage();
  EXPECT_GT(stretched.GetRed(2, 48), 200);
  EXPECT_GT(stretched.GetBlue(97, 2), 200);

  auto* frame = NewFrameWithTemplate(TempFolder("backdrop") + "/recent");
  frame->SetClientBackground(wxColour(10, 20, 30), picture);
  widgets::FlushEvents(3);
  wxWindow* backdrop = frame->Backdrop();
  EXPECT_TRUE(backdrop->IsShown());
  EXPECT_EQ(backdrop->GetRect(), frame->GetClientWindow()->GetRect());
  // It follows the client area when the frame is resized.
  frame->SetSize(900, 600);
  widgets::FlushEvents(3);
  EXPECT_EQ(backdrop->GetRect(), frame->GetClientWindow()->GetRect());

  wxDocument* doc = frame->DocManager()->CreateDocument(wxEmptyString, wxDOC_NEW);
  ASSERT_TRUE(doc);
  for (int i = 0; i < 50 && backdrop->IsShown(); ++i) widgets::FlushEvents(1);
  EXPECT_FALSE(backdrop->IsShown());
  frame->DocManager()->CloseDocument(doc, true);
  for (int i = 0; i < 50 && !backdrop->IsShown(); ++i) widgets::FlushEvents(1);
  EXPECT_TRUE(backdrop->IsShown());
  CloseFrame(frame);
}

TEST(Startup, AFileOfNoKnownKindOnTheCommandLineIsNamedAndEndsStartUp) {
  platform::ScopedRecordingMessages messages;
  ApplicationShell shell;
  StartupOptions options = QuickStart("startup-unknown");
  const std::string notes = options.folders->programFolder + "/notes.txt";
  std::ofstream(notes) << "not a landscape\n";
  EXPECT_FALSE(shell.Start(options, {notes}));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{UnknownFileText(notes)});
  EXPECT_NE(UnknownFileText(notes).find(notes), std::string::npos);
  for (int i = 0; i < 200 && (shell.Frame() || shell.Splash()); ++i) widgets::FlushEvents(1);
  EXPECT_FALSE(shell.Frame());
}

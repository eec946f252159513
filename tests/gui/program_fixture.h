// The program started as main() starts it (its own services installed, no splash waits,
// its folders under one test folder), with the tests answering messages and file dialogs.
#pragma once
#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/image.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/ui/main_frame.h"
#include "app/ui/project_window.h"
#include "app/ui/startup.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/services.h"
#include "views/ui/map_view.h"
#include "views/ui/project_tree.h"
#include "widgets/screenshot.h"

namespace program_test {

inline std::string SampleLcp() { return std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"; }

// Start-up options with every folder under <build>/<root>/<name>, emptied first.
inline app::ui::StartupOptions QuickStart(const std::string& root, const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(PV_BINARY_DIR) / root / name;
  fs::remove_all(folder);
  app::ui::StartupOptions options;
  options.splashTimeoutMs = 0;
  options.pauseMs = 0;
  options.probeOpenGl = false;
  AppFolders f;
  f.programFolder = folder.string();
  f.dataFolder = (folder / "data").string();
  f.configFolder = (folder / "config").string();
  f.workingFolder = (folder / "work").string();
  f.lockPath = (folder / "lock").string();
  for (const std::string& d : {f.dataFolder, f.configFolder, f.workingFolder}) fs::create_directories(d);
  options.folders = f;
  return options;
}

// A pixel as 0xRRGGBB.
inline unsigned Rgb(const wxImage& image, int x, int y) {
  return (image.GetRed(x, y) << 16) | (image.GetGreen(x, y) << 8) | image.GetBlue(x, y);
}

// The window a menu command goes to: the active project window, else the frame.
inline wxWindow* CommandTarget(app::ui::MainFrame* frame) {
  return frame->GetActiveChild() ? static_cast<wxWindow*>(frame->GetActiveChild()) : frame;
}

// A menu command as the menu sends it: to the active project window, then up to the frame.
inline void Command(app::ui::MainFrame* frame, int command) {
  wxCommandEvent e(wxEVT_MENU, app::ui::MainFrame::WxIdFor(command));
  wxWindow* target = CommandTarget(frame);
  e.SetEventObject(target);
  target->ProcessWindowEvent(e);
}

struct ItemState {
  bool enabled, checked;
};
// The state the update handlers give a menu item of the active project window.
inline ItemState StateOf(app::ui::MainFrame* frame, int command) {
  wxUpdateUIEvent e(app::ui::MainFrame::WxIdFor(command));
  wxWindow* target = CommandTarget(frame);
  e.SetEventObject(target);
  target->ProcessWindowEvent(e);
  return {e.GetSetEnabled() ? e.GetEnabled() : true, e.GetSetChecked() && e.GetChecked()};
}

class ProgramTest : public ::testing::Test {
 protected:
  explicit ProgramTest(std::string folderRoot) : folderRoot_(std::move(folderRoot)) {}
  void SetUp() override {
    GetApp().imageLoader = nullptr;
    app::ui::InstallProgramServices();
    loaderInstalled_ = static_cast<bool>(GetApp().imageLoader);
    platform::InstallMessages(nullptr);
    platform::InstallDialogs(nullptr);
    platform::InstallShell(nullptr);
    messages_.emplace();
    dialogs_.emplace();
    messages_->SetDefaultAnswer(platform::Answer::No);
  }
  void TearDown() override {
    if (app::ui::MainFrame* frame = shell_.Frame()) {
      frame->Close(true);
      widgets::FlushEvents(3);
    }
    shell_.Shutdown(false);
    dialogs_.reset();
    messages_.reset();
  }
  app::ui::MainFrame* Start(const std::vector<std::string>& args) {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    if (!shell_.Start(QuickStart(folderRoot_, name), args)) return nullptr;
    app::ui::MainFrame* frame = shell_.Frame();
    frame->SetSize(0, 0, 1500, 900);
    // The window manager's decorations come on top: the windows inside keep their sizes.
    frame->SetClientSize(1500, 900);
    frame->Raise();
    widgets::FlushEvents();
    return frame;
  }

  std::string folderRoot_;
  bool loaderInstalled_ = false;
  app::ui::ApplicationShell shell_;
  std::optional<platform::ScopedRecordingMessages> messages_;
  std::optional<platform::ScopedScriptedDialogs> dialogs_;
};

// The program started on the sample landscape, with its project, map and tree at hand.
class SampleProgramTest : public ProgramTest {
 protected:
  using ProgramTest::ProgramTest;
  void SetUp() override {
    ProgramTest::SetUp();
    frame_ = Start({SampleLcp()});
    ASSERT_TRUE(frame_);
    doc_ = app::ui::ActiveProject(*frame_);
    ASSERT_TRUE(doc_);
    map_ = views::ui::FindMapView(doc_);
    tree_ = views::ui::FindTreeView(doc_);
    ASSERT_TRUE(map_ && tree_);
  }
  // The map as it is drawn now.
  const platform::Image& Map() {
    map_->RedrawMap();
    widgets::FlushEvents(2);
    return map_->MapImage();
  }

  app::ui::MainFrame* frame_ = nullptr;
  CPVN4Doc* doc_ = nullptr;
  views::ui::CMapView* map_ = nullptr;
  views::ui::CPVN4View* tree_ = nullptr;
};

}  // namespace program_test

#pragma once
// Helpers of the run windows' tests: a project on the sample landscape with one run, event
// pumping that waits for events instead of sleeping, and finding shown dialogs.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/ui/run_sheet.h"
#include "views/ui/project_tree.h"
#include "widgets/up_dialog.h"

#include <wx/frame.h>

namespace runs_gui {

// Dispatches events (waiting up to 50 ms for each) until the condition holds.
inline bool PumpUntil(const std::function<bool()>& condition, int rounds = 1200) {
  for (int i = 0; i < rounds; ++i) {
    if (condition()) return true;
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
      loop->DispatchTimeout(50);
      while (loop->Pending()) loop->Dispatch();
    }
    if (wxTheApp) {
      wxTheApp->ProcessPendingEvents();
      wxTheApp->ProcessIdle();
    }
  }
  return condition();
}

// The shown top-level dialog with this title, or null.
inline wxDialog* FindDialog(const std::string& title) {
  for (wxWindow* w : wxTopLevelWindows) {
    auto* d = dynamic_cast<wxDialog*>(w);
    if (d && d->IsShown() && d->GetTitle().utf8_string() == title) return d;
  }
  return nullptr;
}

// Picks a choice item as the user does: the selection, then its event.
inline void Choose(wxChoice* choice, int index) {
  choice->SetSelection(index);
  wxCommandEvent e(wxEVT_CHOICE, choice->GetId());
  e.SetEventObject(choice);
  e.SetInt(index);
  choice->ProcessWindowEvent(e);
}

// The event a control sends when the user works it: a button pressed, a check box ticked or
// cleared, a radio button chosen.
inline void Use(wxWindow* w) {
  wxEventType type = wxEVT_BUTTON;
  if (auto* box = dynamic_cast<wxCheckBox*>(w)) {
    box->SetValue(!box->GetValue());
    type = wxEVT_CHECKBOX;
  } else if (auto* radio = dynamic_cast<wxRadioButton*>(w)) {
    radio->SetValue(true);
    type = wxEVT_RADIOBUTTON;
  }
  wxCommandEvent e(type, w->GetId());
  e.SetEventObject(w);
  if (auto* box = dynamic_cast<wxCheckBox*>(w)) e.SetInt(box->GetValue());
  w->GetEventHandler()->ProcessEvent(e);
}

// The status line of a run's progress dialog.
inline std::string ProgressStatus(wxDialog* progress) {
  return static_cast<wxStaticText*>(progress->FindWindow(widgets::kUPDialogStatusId))->GetLabel().utf8_string();
}

// What is on screen, for failure messages.
inline std::string ShownTitles() {
  std::string s;
  for (wxWindow* w : wxTopLevelWindows)
    if (w->IsShown()) s += " [" + w->GetLabel().utf8_string() + (dynamic_cast<wxDialog*>(w) && static_cast<wxDialog*>(w)->IsModal() ? " modal]" : "]");
  return s;
}

// Runs the script once a dialog with this title is shown modally, from that dialog's own
// event loop: a timer looks for it, so no loop is nested under another (bounded: 30 s).
inline void WhenShown(const std::string& title, std::function<void(wxDialog*)> script) {
  auto* timer = new wxTimer;
  auto ticks = std::make_shared<int>(0);
  timer->Bind(wxEVT_TIMER, [timer, ticks, title, script](wxTimerEvent&) {
    wxDialog* d = FindDialog(title);
    const bool found = d && d->IsModal();
    if (!found && ++*ticks < 3000) return;
    timer->Stop();
    // The script may run dialogs of its own, whose loops would run a deletion queued now
    // while this handler (and the script it holds) is still executing.
    if (found)
      script(d);
    else
      ADD_FAILURE() << "never shown: " << title << ShownTitles();
    wxTheApp->CallAfter([timer] { delete timer; });
  });
  timer->Start(10);
}

struct Project {
  std::filesystem::path dir;
  CPVN4Doc doc;
  CRun* run = nullptr;
  Project() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() / (std::string("pv_gui_runs_") + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "work");
    platform::SetWorkingFolder((dir / "work").string());
    EXPECT_EQ(doc.OpenLandscape(std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp"), 1);
    run = runs::NewRun(doc);
  }
  ~Project() { std::filesystem::remove_all(dir); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  }
};

// The project tree of a document in a frame of its own, as the project window shows it.
struct TreeWindow {
  wxFrame* frame;
  views::ui::CPVN4View* tree;
  explicit TreeWindow(CPVN4Doc& doc)
      : frame(new wxFrame(nullptr, wxID_ANY, "tree")), tree(new views::ui::CPVN4View(frame, doc)) {
    tree->OnInitialUpdate();
  }
  ~TreeWindow() { frame->Destroy(); }
};

// Presses the sheet's Launch and follows the progress dialog: each status text it shows in
// turn, the last once the run has ended and its Ok closes it. With cancel, Cancel is pressed
// as soon as the dialog is up and the dialog closes itself after the run.
template <class Sheet = runs::ui::CRunSheet>
std::vector<std::string> LaunchAndWatch(Sheet* sheet, bool cancel = false,
                                        const std::string& title = "Pyrvane Progress...") {
  std::vector<std::string> seen;
  wxTheApp->CallAfter([&] {
    wxDialog* progress = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (progress = FindDialog(title)) != nullptr; }));
    auto* button = static_cast<wxButton*>(progress->FindWindow(wxID_CANCEL));
    if (cancel) {
      Use(button);
      ASSERT_TRUE(PumpUntil([&] { return FindDialog(title) == nullptr; }, 20000));
      return;
    }
    ASSERT_TRUE(PumpUntil([&] {
      const std::string s = ProgressStatus(progress);
      if (seen.empty() || seen.back() != s) seen.push_back(s);
      return button->GetLabel() == "Ok";
    }, 20000));
    seen.push_back(ProgressStatus(progress));
    Use(button);
  });
  Use(sheet->launchButton);
  return seen;
}

}  // namespace runs_gui

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>

#include "widgets/screenshot.h"
#include "widgets/up_dialog.h"

using namespace widgets;

namespace {

// A one-shot latch the worker waits on; the bound only keeps a broken test from hanging.
class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    cv_.notify_all();
  }
  bool Wait() {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(20), [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

bool PumpUntil(const std::function<bool()>& condition, int rounds = 400) {
  for (int i = 0; i < rounds; ++i) {
    if (condition()) return true;
    FlushEvents(1);
  }
  return condition();
}

// What the user sees in the shown dialog.
struct Shown {
  wxDialog* window;
  wxStaticText* Status() const { return static_cast<wxStaticText*>(window->FindWindow(kUPDialogStatusId)); }
  wxGauge* Gauge() const { return static_cast<wxGauge*>(window->FindWindow(kUPDialogProgressId)); }
  wxButton* Cancel() const { return static_cast<wxButton*>(window->FindWindow(wxID_CANCEL)); }
  std::string StatusText() const { return Status()->GetLabelText().utf8_string(); }
  void ClickCancel() const {
    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
    click.SetEventObject(Cancel());
    Cancel()->GetEventHandler()->ProcessEvent(click);
  }
};

// Runs the dialog; the script runs on the UI thread inside its modal loop.
long RunDialog(CUPDialog& dialog, std::function<void(const Shown&)> script = {}) {
  if (script) wxTheApp->CallAfter([&dialog, script] { script(Shown{dialog.GetWindow()}); });
  return dialog.DoModal();
}

}  // namespace

TEST(UPDialog, ShowsProgressThenRunTimeAndOkEndsWithOne) {
  Gate finish;
  auto work = [&finish](UPDialogWorkerBlock* block) {
    block->dialog.SetRange(0x12345);  // only the low 16 bits count
    block->dialog.SetText("Loading inputs & landscape");
    block->dialog.SetPos(40);
    if (!finish.Wait()) return false;
    block->done = true;
    block->dialog.Complete(1);
    return true;
  };
  CUPDialog dialog(nullptr, work, nullptr, "Pyrvane Progress...");
  bool scripted = false;
  long code = RunDialog(dialog, [&](const Shown& shown) {
    ASSERT_TRUE(PumpUntil([&] { return shown.Gauge()->GetValue() == 40; }));
    EXPECT_EQ(shown.StatusText(), "Loading inputs & landscape");
    EXPECT_EQ(shown.Gauge()->GetRange(), 0x2345);
    EXPECT_EQ(shown.window->GetTitle(), "Pyrvane Progress...");
    EXPECT_TRUE(shown.Cancel()->IsEnabled());
    EXPECT_EQ(shown.Cancel()->GetLabel(), "Cancel");
    EXPECT_FALSE(shown.window->FindWindow(kUPDialogBenchmarkId)->IsShown());

    finish.Open();
    ASSERT_TRUE(PumpUntil([&] { return shown.Cancel()->GetLabel() == "Ok"; }));
    std::string status = shown.StatusText();
    EXPECT_EQ(status.rfind("Execution complete. Run time: ", 0), 0u) << status;
    EXPECT_NE(status.find(" seconds"), std::string::npos) << status;
    EXPECT_TRUE(dialog.Block().success);

    // "Ok" dismisses without the termination text.
    shown.ClickCancel();
    EXPECT_EQ(shown.StatusText(), status);
    scripted = true;
  });
  EXPECT_TRUE(scripted);
  EXPECT_EQ(code, 1);
}

TEST(UPDialog, CancelKeepsAnsweringUntilTheWorkReturnsThenEndsStopped) {
  Gate cancelled, release;
  std::atomic<bool> sawTerminate{false}, returned{false};
  auto work = [&](UPDialogWorkerBlock* block) {
    block->dialog.SetText("Running");
    if (!cancelled.Wait()) return false;
    sawTerminate = block->terminateRequested.load();
    // A message that races the cancel must still be handled while the dialog waits.
    block->dialog.SetPos(70);
    release.Wait();
    returned = true;
    return false;
  };
  CUPDialog dialog(nullptr, work, nullptr, "Pyrvane Progress...");
  long code = RunDialog(dialog, [&](const Shown& shown) {
    ASSERT_TRUE(PumpUntil([&] { return shown.StatusText() == "Running"; }));
    shown.ClickCancel();
    EXPECT_EQ(shown.StatusText(), "Termination Initiated... Please wait");
    EXPECT_FALSE(shown.Cancel()->IsEnabled());
    cancelled.Open();
    ASSERT_TRUE(PumpUntil([&] { return shown.Gauge()->GetValue() == 70; }));
    EXPECT_TRUE(shown.window->IsModal());
    release.Open();
  });
  EXPECT_TRUE(sawTerminate);
  EXPECT_TRUE(returned);
  EXPECT_EQ(code, kUPDialogStopped);
}

TEST(UPDialog, EndCodeDependsOnCompletionAndWaitsForTheWork) {
  struct Case {
    bool completeFirst;
    long expected;
  };
  for (Case c : {Case{false, 7}, Case{true, kUPDialogEndedAfterCompletion}}) {
    SCOPED_TRACE(c.completeFirst);
    Gate release;
    std::atomic<bool> returned{false};
    auto work = [&](UPDialogWorkerBlock* block) {
      if (c.completeFirst) block->dialog.Complete(1);
      block->dialog.End(7);
      release.Wait();
      returned = true;
      return true;
    };
    CUPDialog dialog(nullptr, work, nullptr, "Pyrvane Progress...");
    long code = RunDialog(dialog, [&](const Shown& shown) {
      FlushEvents(5);
      EXPECT_TRUE(shown.window->IsModal());  // still up while the work runs
      release.Open();
    });
    EXPECT_TRUE(returned);
    EXPECT_EQ(code, c.expected);
  }
}

TEST(UPDialog, WithoutCancelNeitherButtonNorCloseBoxEndsIt) {
  Gate release;
  auto work = [&](UPDialogWorkerBlock* block) {
    block->done = true;
    block->dialog.Complete(1);
    release.Wait();
    block->dialog.End(0);
    return true;
  };
  CUPDialog dialog(nullptr, work, nullptr, "Embrith Progress...", /*allowCancel=*/false);
  long code = RunDialog(dialog, [&](const Shown& shown) {
    EXPECT_FALSE(shown.Cancel()->IsEnabled());
    ASSERT_TRUE(PumpUntil([&] { return shown.Cancel()->GetLabel() == "Ok"; }));
    EXPECT_FALSE(shown.Cancel()->IsEnabled());
    shown.window->Close();
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(shown.window);
    shown.window->GetEventHandler()->ProcessEvent(escape);
    FlushEvents(3);
    EXPECT_FALSE(dialog.Block().terminateRequested);
    EXPECT_TRUE(shown.window->IsModal());
    release.Open();
  });
  EXPECT_EQ(code, kUPDialogEndedAfterCompletion);
}

TEST(UPDialog, FailedWorkKeepsItsTextAndShowsOk) {
  struct Case {
    const char* name;
    UPDialogWorkFunction work;
  };
  const Case cases[] = {
      {"reported",
       [](UPDialogWorkerBlock* block) {
         block->done = false;
         block->dialog.SetText("Error loading inputs file");
         block->dialog.Complete(0x10000);  // low word 0: no run time
         return false;
       }},
      {"thrown", [](UPDialogWorkerBlock*) -> bool { throw std::runtime_error("Error loading inputs file"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CUPDialog dialog(nullptr, c.work, nullptr, "Pyrvane Progress...");
    long code = RunDialog(dialog, [&](const Shown& shown) {
      ASSERT_TRUE(PumpUntil([&] { return shown.Cancel()->GetLabel() == "Ok"; }));
      FlushEvents(3);
      EXPECT_EQ(shown.StatusText(), "Error loading inputs file");
      shown.window->Close();  // the close box dismisses like "Ok"
    });
    EXPECT_EQ(code, 1);
  }
}

TEST(UPDialog, WorkerSkipsTheWorkWhenTerminationCameFirst) {
  bool called = false;
  UPDialogWorkerBlock block;
  block.workFunction = [&](UPDialogWorkerBlock*) { return called = true; };
  block.terminateRequested = true;
  EXPECT_EQ(CUPDialog::WorkerThreadProc(&block), 0);
  EXPECT_FALSE(called);
  EXPECT_TRUE(block.done);
  EXPECT_FALSE(block.running);
  // With no window attached every post is refused.
  EXPECT_FALSE(block.dialog.SetText("lost"));
}

TEST(UPDialog, CaptionIsCutTo255Characters) {
  CUPDialog dialog(nullptr, {}, nullptr, std::string(300, 'c'));
  EXPECT_EQ(dialog.GetCaption(), std::string(255, 'c'));
}

TEST(UPDialog, RunTimeTextPicksSecondsMinutesOrHours) {
  struct Case {
    double seconds;
    const char* text;
  };
  const Case cases[] = {
      {59.9, "Execution complete. Run time: 59.900 seconds"},
      {60.0, "Execution complete. Run time: 60.000 seconds"},
      {125.5, "Execution complete. Run time: 2 mins, 5.500 seconds"},
      {3600.0, "Execution complete. Run time: 60 mins, 0.000 seconds"},
      {3661.0, "Execution complete. Run time: 1 hours, 1 mins, 1.000 seconds"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatRunTime(c.seconds), c.text) << c.seconds;
}

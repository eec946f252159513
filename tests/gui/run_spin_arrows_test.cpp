// The arrows beside every number box of the run pages and the gridded-wind dialogs, clicked as
// a user clicks them: each click steps its own box once, the page takes the step as an edit,
// and nothing fires again afterwards.
#include <gtest/gtest.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/timectrl.h>
#include <wx/uiaction.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run_commands.h"
#include "runs/ui/embrith_gustforge_dialog.h"
#include "runs/ui/embrith_sheet.h"
#include "runs/ui/gustforge_dialog.h"
#include "runs/ui/run_sheet.h"
#include "runs_gui_support.h"
#include "widgets/screenshot.h"

using runs::ui::CLaunchSheet;
using runs_gui::PumpUntil;
using runs_gui::Use;

namespace {

// Ends the program with a message when a click does not come back: a hang is a failure, not
// a stuck test.
class Watchdog {
 public:
  explicit Watchdog(std::string what) : what_(std::move(what)), thread_([this] {
    std::unique_lock lock(mutex_);
    if (!done_.wait_for(lock, std::chrono::seconds(20), [this] { return finished_; })) {
      std::fprintf(stderr, "hung after a click on %s\n", what_.c_str());
      std::_Exit(3);
    }
  }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

void Collect(wxWindow* w, std::vector<wxSpinButton*>& arrows, std::vector<wxTextCtrl*>& boxes) {
  for (wxWindow* c : w->GetChildren()) {
    // A time picker's own arrows step its time, not a number box.
    if (dynamic_cast<wxTimePickerCtrl*>(c)) continue;
    if (auto* a = dynamic_cast<wxSpinButton*>(c)) arrows.push_back(a);
    if (auto* t = dynamic_cast<wxTextCtrl*>(c); t && t->IsEditable()) boxes.push_back(t);
    Collect(c, arrows, boxes);
  }
}

// Every editable box's text.
std::map<wxTextCtrl*, std::string> Texts(const std::vector<wxTextCtrl*>& boxes) {
  std::map<wxTextCtrl*, std::string> m;
  for (wxTextCtrl* t : boxes) m[t] = t->GetValue().utf8_string();
  return m;
}

// The boxes whose text differs from `before`.
std::vector<wxTextCtrl*> Changed(const std::map<wxTextCtrl*, std::string>& before) {
  std::vector<wxTextCtrl*> v;
  for (const auto& [t, text] : before)
    if (t->GetValue().utf8_string() != text) v.push_back(t);
  return v;
}

double Number(wxTextCtrl* t) { return platform::ParseDouble(t->GetValue().utf8_string()).value_or(-1e300); }

// One click on an arrow, as the mouse gives it. On this toolkit the arrows lie side by side:
// down on the left, up on the right.
void Click(wxSpinButton* arrows, bool up, const std::string& what) {
  Watchdog dog(what);
  const wxRect r = arrows->GetScreenRect();
  wxUIActionSimulator sim;
  sim.MouseMove(r.x + (up ? 3 : 1) * r.width / 4, r.y + r.height / 2);
  widgets::FlushEvents(2);
  sim.MouseClick();
  widgets::FlushEvents(5);
}

// Clicks both arrows of every spin of `window` (all of them must be usable): each click steps
// its own box alone, up then back down (down then up at the top of the range); a sheet counts
// it as an edit; and once clicking stops, no arrow fires again for a second.
void ExpectEveryArrowSteps(wxWindow* window, const std::string& name, CLaunchSheet* sheet = nullptr,
                           std::size_t expected = 0) {
  std::vector<wxSpinButton*> arrows;
  std::vector<wxTextCtrl*> boxes;
  Collect(window, arrows, boxes);
  ASSERT_EQ(arrows.size(), expected) << name;
  std::map<wxSpinButton*, int> fired;
  for (wxSpinButton* a : arrows)
    for (auto type : {wxEVT_SPIN_UP, wxEVT_SPIN_DOWN})
      a->Bind(type, [&fired, a](wxSpinEvent& e) {
        ++fired[a];
        e.Skip();
      });
  int clicks = 0;
  for (std::size_t i = 0; i < arrows.size(); ++i) {
    wxSpinButton* a = arrows[i];
    const std::string what = name + " arrows " + std::to_string(i) + " (id " + std::to_string(a->GetId()) + ")";
    SCOPED_TRACE(what);
    ASSERT_TRUE(a->IsShownOnScreen() && a->IsEnabled());
    auto before = Texts(boxes);
    if (sheet) sheet->outputsChanged = 0;
    bool up = true;
    Click(a, up, what);
    ++clicks;
    std::vector<wxTextCtrl*> changed = Changed(before);
    if (changed.empty()) {  // at the top: the value stays, so step down instead
      up = false;
      Click(a, up, what);
      ++clicks;
      changed = Changed(before);
    }
    ASSERT_EQ(changed.size(), 1u);
    wxTextCtrl* box = changed[0];
    const double from = platform::ParseDouble(before.at(box)).value_or(-1e300);
    EXPECT_EQ(Number(box) > from, up) << before.at(box) << " -> " << box->GetValue();
    if (sheet) EXPECT_EQ(sheet->outputsChanged, 1);
    Click(a, !up, what);
    ++clicks;
    // Back to the value it had, written without trailing zeros.
    EXPECT_EQ(Number(box), from) << before.at(box) << " -> " << box->GetValue();
    before.erase(box);
    EXPECT_TRUE(Changed(before).empty());
  }
  // Anything still firing shows within a second of the last click.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  PumpUntil([&] { return std::chrono::steady_clock::now() > until; });
  int total = 0;
  for (const auto& [a, n] : fired) total += n;
  EXPECT_EQ(total, clicks);
}

template <class Dialog>
void Place(Dialog* d) {
  d->Move(20, 20);
  d->Show();
  d->Raise();
  widgets::FlushEvents(5);
}

}  // namespace

TEST(RunSpinArrows, EveryArrowOfTheRunSheetPagesStepsItsBoxOnce) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  p.run->mtt.ignitionSource = 2;  // random ignitions: the count box is usable
  auto* sheet = new runs::ui::CRunSheet(nullptr, p.run);
  Place(sheet);
  const int pages[] = {0, 2, 3};
  const std::size_t spins[] = {3, 8, 4};
  for (int i = 0; i < 3; ++i) {
    sheet->SelectPage(pages[i]);
    widgets::FlushEvents(5);
    ExpectEveryArrowSteps(sheet->ActivePage(), "page " + std::to_string(pages[i]), sheet, spins[i]);
  }
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(RunSpinArrows, EveryArrowOfTheFireGrowthModelSettingsStepsItsBoxOnce) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  CRun* run = runs::NewEmbrithRun(p.doc);
  ASSERT_NE(run, nullptr);
  auto* sheet = new runs::ui::CEmbrithRunSheet(nullptr, run);
  Place(sheet);
  sheet->SelectPage(2);
  widgets::FlushEvents(5);
  ExpectEveryArrowSteps(sheet->modelPage, "model settings", sheet, runs::ui::CEmbrithPage::kFieldCount);
  sheet->Destroy();
  widgets::FlushEvents(2);
}

TEST(RunSpinArrows, EveryArrowOfTheGriddedWindDialogsStepsItsBoxOnce) {
  runs_gui::Project p;
  platform::ScopedRecordingMessages messages;
  p.run->inputs.diurnalGriddedWinds = true;  // the diurnal boxes are usable
  auto* basic = new runs::ui::CGustforgeDialog(nullptr, p.run);
  Place(basic);
  ExpectEveryArrowSteps(basic, "Gustforge Options", nullptr, 4);
  basic->Destroy();
  widgets::FlushEvents(2);

  CRun* run = runs::NewEmbrithRun(p.doc);
  ASSERT_NE(run, nullptr);
  auto* growth = new runs::ui::CEmbrithGustforgeDialog(nullptr, run);
  Place(growth);
  ExpectEveryArrowSteps(growth, "fire-growth gridded winds", nullptr, 1);
  growth->Destroy();
  widgets::FlushEvents(2);
}

// Driving modal dialogs from a test: a button clicked as the user would, and a dialog acted
// on while it is open.
#pragma once
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/timer.h>

#include <functional>
#include <memory>

#include "platform/image.h"

namespace dialog_test {

inline void Click(wxWindow* dialog, int id) {
  wxWindow* button = dialog->FindWindow(id);
  ASSERT_TRUE(button) << id;
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(click);
}

// Acts on the next modal dialog of class D once it is shown, looking every 10 ms for up to
// `tries` looks (a dialog that opens after another closes is found too), then cancels it if
// act left it open.
template <class D>
void WhenModal(std::function<void(D&)> act, bool* seen, int tries = 500) {
  auto* timer = new wxTimer();
  auto left = std::make_shared<int>(tries);
  timer->Bind(wxEVT_TIMER, [timer, act, seen, left](wxTimerEvent&) {
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<D*>(w); d && d->IsModal()) {
        timer->Stop();
        *seen = true;
        act(*d);
        if (d->IsModal()) d->EndModal(wxID_CANCEL);
        wxTheApp->CallAfter([timer] { delete timer; });
        return;
      }
    if (--*left <= 0) {
      timer->Stop();
      wxTheApp->CallAfter([timer] { delete timer; });
    }
  });
  timer->Start(10);
}

// Runs show(), which opens a dialog of class D modally; act works on it while it is open.
template <class D>
void WithModal(const std::function<void()>& show, const std::function<void(D&)>& act) {
  bool seen = false;
  WhenModal<D>(act, &seen);
  show();
  EXPECT_TRUE(seen);
}

inline int CountColour(const platform::Image& image, platform::Rgba c) {
  int n = 0;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) n += image.GetPixel(x, y) == c;
  return n;
}

}  // namespace dialog_test

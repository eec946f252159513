#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/weakref.h>

#include "app/ui/progress_dialog.h"
#include "widgets/screenshot.h"

using app::ui::CProgressDialog;
using app::ui::ProgressWindowSink;

namespace {

// Destroys the window and lets wx delete it.
void Close(wxWindow* w) {
  w->Destroy();
  widgets::FlushEvents(2);
}

}  // namespace

TEST(ProgressWindow, BarOnlyMovesForwardUntilReset) {
  auto* dlg = new CProgressDialog(nullptr);
  EXPECT_TRUE(dlg->IsShown());
  EXPECT_EQ(dlg->GetTitle(), "Pyrvane Progress");
  EXPECT_EQ(dlg->GetPos(), 0);
  dlg->SetPos(50);
  dlg->SetPos(30);
  EXPECT_EQ(dlg->GetPos(), 50);
  dlg->SetPos(250);  // out of range: held at the end
  EXPECT_EQ(dlg->GetPos(), 100);
  dlg->SetPath("/data/a.lcp");
  dlg->Reset();
  EXPECT_EQ(dlg->GetPos(), 0);
  EXPECT_EQ(dlg->GetShownText(), "");
  dlg->SetPos(30);
  EXPECT_EQ(dlg->GetPos(), 30);
  Close(dlg);
}

TEST(ProgressWindow, CancelRaisesTheFlagThroughThePumpAndKeepsTheWindow) {
  auto* dlg = new CProgressDialog(nullptr, "Contouring...");
  EXPECT_EQ(dlg->GetTitle(), "Contouring...");
  EXPECT_EQ(dlg->CheckCancel(), 0);
  // The click waits in the queue; only the pump inside CheckCancel delivers it.
  wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
  click.SetEventObject(dlg);
  dlg->GetEventHandler()->AddPendingEvent(click);
  int flag = 0;
  for (int i = 0; i < 50 && !flag; ++i) flag = dlg->CheckCancel();
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(dlg->IsShown());
  // Closing the window by the window manager counts as Cancel, not as closing.
  EXPECT_FALSE(dlg->Close());
  EXPECT_TRUE(dlg->IsShown());
  dlg->Reset();
  EXPECT_EQ(dlg->CheckCancel(), 1);
  Close(dlg);

  // Escape is Cancel too.
  dlg = new CProgressDialog(nullptr);
  wxKeyEvent escape(wxEVT_CHAR_HOOK);
  escape.m_keyCode = WXK_ESCAPE;
  escape.SetEventObject(dlg);
  dlg->ProcessWindowEvent(escape);
  flag = 0;
  for (int i = 0; i < 50 && !flag; ++i) flag = dlg->CheckCancel();
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(dlg->IsShown());
  Close(dlg);
}

TEST(ProgressWindow, EveryOtherWindowIsDisabledWhileItIsUp) {
  auto* main = new wxFrame(nullptr, wxID_ANY, "main");
  auto* legend = new wxFrame(nullptr, wxID_ANY, "legend");
  auto* already = new wxFrame(nullptr, wxID_ANY, "disabled before");
  main->Show();
  legend->Show();
  already->Show();
  already->Disable();
  auto* dlg = new CProgressDialog(main);
  EXPECT_FALSE(main->IsEnabled());
  EXPECT_FALSE(legend->IsEnabled());
  EXPECT_TRUE(dlg->IsEnabled());
  dlg->CheckCancel();
  EXPECT_FALSE(legend->IsEnabled());
  dlg->Destroy();
  // Given back at once, before wx deletes the object.
  EXPECT_TRUE(main->IsEnabled());
  EXPECT_TRUE(legend->IsEnabled());
  EXPECT_FALSE(already->IsEnabled());
  widgets::FlushEvents(2);
  for (wxFrame* f : {main, legend, already}) f->Destroy();
  widgets::FlushEvents(2);
}

TEST(ProgressWindow, LongPathIsShortenedOnOneLine) {
  auto* dlg = new CProgressDialog(nullptr);
  dlg->SetPath("/short.pza");
  EXPECT_EQ(dlg->GetShownText(), "/short.pza");
  std::string longPath = "/home/user/projects/" + std::string(300, 'x') + "/landscape.lcp";
  dlg->SetPath(longPath);
  wxString shown = dlg->GetShownText();
  EXPECT_LT(shown.length(), longPath.size());
  EXPECT_TRUE(shown.Contains("...") || shown.Contains(wxString::FromUTF8("\xE2\x80\xA6")));
  EXPECT_TRUE(shown.EndsWith("landscape.lcp"));
  EXPECT_FALSE(shown.Contains("\n"));
  Close(dlg);
}

TEST(ProgressWindow, SinkScalesRangeAndOwnsTheWindow) {
  wxWeakRef<CProgressDialog> window;
  {
    ProgressWindowSink sink(nullptr, "Adding Files");
    window = sink.Window();
    ASSERT_TRUE(window);
    sink.SetText("/data/Tract.lcp");
    sink.SetRange(5'000'000'000'000'000LL);  // bigger than a 64-bit product with 100
    sink.SetPosition(2'500'000'000'000'000LL);
    EXPECT_EQ(window->GetPos(), 50);
    // A new range starts the bar again but keeps the text.
    sink.SetRange(10);
    EXPECT_EQ(window->GetPos(), 0);
    EXPECT_EQ(window->GetShownText(), "/data/Tract.lcp");
    sink.SetPosition(3);
    EXPECT_EQ(window->GetPos(), 30);
    EXPECT_FALSE(sink.CancelRequested());
    wxCommandEvent click(wxEVT_BUTTON, wxID_CANCEL);
    window->GetEventHandler()->AddPendingEvent(click);
    bool cancelled = false;
    for (int i = 0; i < 50 && !cancelled; ++i) cancelled = sink.CancelRequested();
    EXPECT_TRUE(cancelled);
  }
  widgets::FlushEvents(3);
  EXPECT_FALSE(window);
}

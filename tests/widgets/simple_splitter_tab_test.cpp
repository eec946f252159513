#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "widgets/screenshot.h"
#include "widgets/simple_splitter.h"
#include "widgets/tab_ctrl_ssl.h"

using widgets::CSimpleSplitter;
using widgets::CTabCtrlSSL;
using widgets::CTabPageSSL;
using widgets::FlushEvents;

TEST(SimpleSplitter, ThreeStackedPanesResizeWithTheirMinimumAndBars) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "graphs", wxPoint(60, 60), wxSize(300, 300));
  frame->Show();
  FlushEvents();
  auto* splitter = new CSimpleSplitter(frame, wxID_ANY, 3, 0, 30, 3);
  wxWindow* panes[3];
  for (int i = 0; i < 3; ++i) {
    panes[i] = new wxWindow(splitter, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_STATIC);
    splitter->SetPane(i, panes[i]);
  }
  splitter->SetSize(frame->GetClientSize());
  splitter->SetPaneSizes({1, 1, 2});
  FlushEvents();
  const int h = splitter->GetClientSize().y;
  const int available = h - 6;
  EXPECT_EQ(panes[0]->GetRect().y, 0);
  EXPECT_NEAR(panes[0]->GetSize().y, available / 4, 1);
  EXPECT_EQ(panes[1]->GetRect().y, panes[0]->GetRect().GetBottom() + 1 + 3);  // a 3-pixel bar between
  EXPECT_EQ(panes[2]->GetRect().GetBottom(), h - 1);
  EXPECT_EQ(panes[0]->GetSize().x, splitter->GetClientSize().x);

  // Dragging the first bar far up stops at the minimum size.
  wxUIActionSimulator sim;
  wxPoint bar = splitter->ClientToScreen(wxPoint(50, panes[1]->GetRect().y - 2));
  sim.MouseMove(bar);
  FlushEvents(2);
  sim.MouseDown();
  FlushEvents(2);
  sim.MouseMove(bar - wxPoint(0, 200));
  FlushEvents(2);
  sim.MouseUp();
  FlushEvents(3);
  EXPECT_EQ(panes[0]->GetSize().y, 30);

  // A smaller window keeps the small panes at the minimum.
  splitter->SetSize(wxSize(300, 120));
  FlushEvents();
  EXPECT_EQ(panes[0]->GetSize().y, 30);
  EXPECT_EQ(panes[0]->GetSize().y + panes[1]->GetSize().y + panes[2]->GetSize().y + 6, 120);
  frame->Destroy();
  FlushEvents(2);
}

TEST(TabCtrlSSL, PagesComeAndGoAndKeepTheirFocus) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "tabs", wxPoint(60, 60), wxSize(400, 300));
  auto* tabs = new CTabCtrlSSL(frame, wxID_ANY);
  wxTextCtrl* second = nullptr;
  auto* mine = new CTabPageSSL(tabs->Notebook());
  new wxButton(mine, wxID_ANY, "first", wxPoint(5, 5));
  EXPECT_EQ(tabs->AddPage("One", 10, mine), 0);
  EXPECT_EQ(tabs->AddPage("Two", 20, [&](wxWindow* parent) {
    auto* page = new CTabPageSSL(parent);
    new wxTextCtrl(page, wxID_ANY, "a", wxPoint(5, 5));
    second = new wxTextCtrl(page, wxID_ANY, "b", wxPoint(5, 40));
    return page;
  }), 1);
  EXPECT_EQ(tabs->AddPage("Three", 20, [](wxWindow* parent) { return new CTabPageSSL(parent); }), 2);
  EXPECT_EQ(tabs->AddPage("Bad", 30, [](wxWindow*) { return static_cast<CTabPageSSL*>(nullptr); }), -1);
  frame->Show();
  FlushEvents();
  EXPECT_EQ(tabs->GetActivePage(), 0);
  EXPECT_EQ(tabs->GetPageIndex(20), 1);  // the first of two
  EXPECT_EQ(tabs->SetPageId(2, 30), 20);
  std::string title;
  ASSERT_TRUE(tabs->GetPageTitle(1, title));
  EXPECT_EQ(title, "Two");
  EXPECT_FALSE(tabs->GetPageTitle(3, title));

  // The second page gets back the field that had the focus when it was left.
  ASSERT_TRUE(tabs->ActivatePage(1));
  second->SetFocus();
  FlushEvents(3);
  tabs->Notebook()->SetSelection(0);
  FlushEvents(3);
  tabs->Notebook()->SetSelection(1);
  FlushEvents(3);
  EXPECT_EQ(wxWindow::FindFocus(), second);
  // The same through ActivatePage, and when the control itself is given the focus.
  ASSERT_TRUE(tabs->ActivatePage(0));
  FlushEvents(3);
  ASSERT_TRUE(tabs->ActivatePage(1));
  FlushEvents(3);
  EXPECT_EQ(wxWindow::FindFocus(), second);
  auto* outside = new wxTextCtrl(frame, wxID_ANY, "outside", wxPoint(5, 250));
  outside->SetFocus();
  FlushEvents(3);
  tabs->Notebook()->SetFocus();
  FlushEvents(3);
  EXPECT_EQ(wxWindow::FindFocus(), second);

  // A page's commands reach the frame only when the page forwards them.
  int heard = 0;
  frame->Bind(wxEVT_BUTTON, [&](wxCommandEvent&) { ++heard; });
  auto* button = new wxButton(mine, wxID_ANY, "press", wxPoint(5, 60));
  auto press = [&] {
    wxCommandEvent e(wxEVT_BUTTON, button->GetId());
    e.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(e);
  };
  press();
  EXPECT_EQ(heard, 0);
  mine->forwardCommands = true;
  press();
  EXPECT_EQ(heard, 1);

  // Removing the selected last tab selects the one before; removing the first selects the next.
  ASSERT_TRUE(tabs->ActivatePage(2));
  ASSERT_TRUE(tabs->RemovePage(2));
  EXPECT_EQ(tabs->GetActivePage(), 1);
  ASSERT_TRUE(tabs->ActivatePage(0));
  ASSERT_TRUE(tabs->RemovePage(0));
  EXPECT_EQ(tabs->GetPageCount(), 1);
  EXPECT_EQ(tabs->GetPageId(0), 20);
  EXPECT_FALSE(mine->IsShown());  // the caller's page stays the caller's
  EXPECT_FALSE(tabs->RemovePage(5));
  mine->Destroy();
  frame->Destroy();
  FlushEvents(2);
}

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <functional>
#include <string>

#include "widgets/num_spin_ctrl.h"
#include "widgets/screenshot.h"

using widgets::CNumSpinCtrl;

namespace {

// A frame holding a buddy text and spin arrows driven by a CNumSpinCtrl.
struct SpinFixture {
  explicit SpinFixture(long style = wxSP_VERTICAL) {
    frame = new wxFrame(nullptr, wxID_ANY, "spin", wxPoint(40, 40), wxSize(300, 120));
    panel = new wxPanel(frame);
    buddy = new wxTextCtrl(panel, wxID_ANY, "", wxPoint(10, 10), wxSize(120, -1));
    arrows = new wxSpinButton(panel, wxID_ANY, wxPoint(140, 10), wxDefaultSize, style);
    spin.SetBuddy(buddy);
    spin.Attach(arrows);
  }
  ~SpinFixture() { frame->Destroy(); widgets::FlushEvents(2); }
  std::string Text() const { return buddy->GetValue().utf8_string(); }

  wxFrame* frame;
  wxPanel* panel;
  wxTextCtrl* buddy;
  wxSpinButton* arrows;
  CNumSpinCtrl spin;  // declared last: released before the windows go
};

}  // namespace

TEST(NumSpinCtrl, FormatsWithDecimalPlacesTrimmedOrAFormatString) {
  struct Case {
    int places;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {2, 1.5, "1.5"},     {2, 2.0, "2"},      {2, 20.0, "20"},          {0, 20.0, "20"},
      {0, 100.0, "100"},   {3, 0.00001, "1e-05"}, {-1, 2.5, "2.5"},
      {-1, 1e6, "1e+06"},  {-1, 0.0001, "0.0001"}, {1, -0.25, "-0.2"},
      // Every digit of a large value is kept: coordinates run to millions.
      {2, 1234567.0, "1234567"}, {6, 4507215.5, "4507215.5"}, {-1, 4507215.5, "4507215.5"},
      {-1, -1234567.0, "-1234567"},
  };
  CNumSpinCtrl spin;
  for (const Case& c : cases) {
    spin.SetDecimalPlaces(c.places);
    EXPECT_EQ(spin.FormatValue(c.value), c.text) << c.places << " " << c.value;
  }

  SpinFixture f;
  f.spin.SetDecimalPlaces(2);
  f.spin.SetValue(2.0);
  EXPECT_EQ(f.Text(), "2");
  f.spin.SetFormatString("%.1f");  // a format string is used as it is, untrimmed
  f.spin.SetValue(2.0);
  EXPECT_EQ(f.Text(), "2.0");
  f.spin.SetFormatString(nullptr);
  f.spin.SetValue(2.0);
  EXPECT_EQ(f.Text(), "2");
}

TEST(NumSpinCtrl, ReadsTheLeadingNumberOfTheBuddyText) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"12.5", 12.5}, {"  +2.5 ft", 2.5}, {"-3e2", -300.0}, {"abc", 0.0}, {"", 0.0}};
  SpinFixture f;
  for (const Case& c : cases) {
    f.buddy->ChangeValue(c.text);
    EXPECT_DOUBLE_EQ(f.spin.GetValue(), c.value) << c.text;
  }
}

TEST(NumSpinCtrl, StepsAndClampsOrWrapsAtTheEnds) {
  struct Case {
    bool wrap;
    double start;
    int delta;
    const char* text;
  };
  const Case cases[] = {
      {false, 50, 1, "51"},  {false, 100, 1, "100"}, {true, 100, 1, "0"},  {false, 0, -1, "0"},
      {true, 0, -1, "100"},  {false, 99.5, 1, "100"}, {false, 3, -2, "1"},
      // Within the tolerance above the maximum the value is kept as it is.
      {false, 99.0000000001, 1, "100.0000000001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SpinFixture f(wxSP_VERTICAL | (c.wrap ? wxSP_WRAP : 0));
    f.spin.SetRangeAndStep(0, 100, 1);
    f.spin.SetDecimalPlaces(10);
    f.spin.SetValue(c.start);
    f.spin.OnDeltaPos(c.delta);
    EXPECT_EQ(f.Text(), c.text);
  }
}

TEST(NumSpinCtrl, ArrowPositionMirrorsTheValueInTheRange) {
  SpinFixture f;
  f.spin.SetRangeAndStep(0, 1000000, 1);  // more than 32767 steps
  f.spin.SetValue(1000000);
  EXPECT_EQ(f.arrows->GetValue(), 32767);
  f.spin.SetValue(500000);
  EXPECT_EQ(f.arrows->GetValue(), 16384);
  f.spin.SetValue(-5);
  EXPECT_EQ(f.arrows->GetValue(), 0);

  // A step of 0 only stores the range: the 32767 positions now span 0..10.
  f.spin.SetRangeAndStep(0, 10, 0);
  f.spin.SetValue(10);
  EXPECT_EQ(f.arrows->GetValue(), 32767);

  f.spin.SetRangeAndStep(0, 10, 2);
  f.spin.SetValue(4);
  EXPECT_EQ(f.arrows->GetValue(), 2);
}

TEST(NumSpinCtrl, WithoutBuddyReadsZeroAndWritesNothing) {
  CNumSpinCtrl spin;
  EXPECT_EQ(spin.GetValue(), 0.0);
  spin.SetValue(5);
  spin.OnDeltaPos(1);
  EXPECT_EQ(spin.GetValue(), 0.0);
}

TEST(NumSpinCtrl, ClickingTheArrowsStepsUpToTheBoundsAndTellsTheHost) {
  SpinFixture f;
  int hostSaw = 0;
  f.panel->Bind(wxEVT_SPIN_UP, [&](wxSpinEvent&) { ++hostSaw; });
  f.spin.SetRangeAndStep(0, 1, 0.3);
  f.spin.SetValue(0.9);  // rounds onto the last arrow position
  f.frame->Show();
  widgets::FlushEvents();

  // On this toolkit the arrows lie side by side: down on the left, up on the right.
  wxRect r = f.arrows->GetScreenRect();
  auto click = [&](bool up) {
    wxUIActionSimulator sim;
    sim.MouseMove(r.x + (up ? 3 : 1) * r.width / 4, r.y + r.height / 2);
    widgets::FlushEvents(2);
    sim.MouseClick();
    widgets::FlushEvents(5);
  };
  click(true);
  EXPECT_EQ(f.Text(), "1");
  EXPECT_EQ(hostSaw, 1);
  click(true);
  EXPECT_EQ(f.Text(), "1");
  click(false);
  EXPECT_EQ(f.Text(), "0.7");
}

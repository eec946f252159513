#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/image.h>

#include <wx/frame.h>
#include <wx/panel.h>

#include "app/ui/main_frame.h"
#include "widgets/screenshot.h"

TEST(GuiSmoke, MainFrameShowsAndScreenshotIsSaved) {
  wxInitAllImageHandlers();
  auto* frame = new app::ui::MainFrame;
  frame->Show();
  wxImage shot = widgets::CaptureWindow(frame);
  ASSERT_TRUE(shot.IsOk());
  EXPECT_GT(shot.GetWidth(), 100);
  EXPECT_GT(shot.GetHeight(), 100);
  // A shown frame is not one flat colour: the menu bar and status bar draw text.
  unsigned char r0 = shot.GetRed(0, 0), g0 = shot.GetGreen(0, 0), b0 = shot.GetBlue(0, 0);
  bool varied = false;
  for (int y = 0; y < shot.GetHeight() && !varied; y += 3)
    for (int x = 0; x < shot.GetWidth() && !varied; x += 3)
      varied = shot.GetRed(x, y) != r0 || shot.GetGreen(x, y) != g0 || shot.GetBlue(x, y) != b0;
  EXPECT_TRUE(varied);
  std::string out = std::string(PV_BINARY_DIR) + "/screenshots";
  if (!wxDirExists(out)) wxMkdir(out);
  EXPECT_TRUE(shot.SaveFile(out + "/smoke.png", wxBITMAP_TYPE_PNG));
  frame->Destroy();
  widgets::FlushEvents(2);
}

// A window shown where another one stood must be captured with its own pixels.
TEST(GuiSmoke, CaptureShowsTheCurrentWindowNotAnEarlierOne) {
  for (const wxColour& colour : {*wxRED, *wxGREEN}) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "capture", wxPoint(50, 50), wxSize(200, 150));
    auto* panel = new wxPanel(frame);
    panel->SetBackgroundColour(colour);
    frame->Show();
    wxImage shot = widgets::CaptureWindow(panel);
    ASSERT_TRUE(shot.IsOk());
    const int x = shot.GetWidth() / 2, y = shot.GetHeight() / 2;
    EXPECT_EQ(shot.GetRed(x, y), colour.Red());
    EXPECT_EQ(shot.GetGreen(x, y), colour.Green());
    EXPECT_EQ(shot.GetBlue(x, y), colour.Blue());
    frame->Destroy();
    widgets::FlushEvents(2);
  }
}

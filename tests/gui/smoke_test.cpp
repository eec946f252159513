#include <gtest/gtest.h>
#include <wx/image.h>

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
  wxMkdir(out);
  EXPECT_TRUE(shot.SaveFile(out + "/smoke.png", wxBITMAP_TYPE_PNG));
  frame->Destroy();
  widgets::FlushEvents(2);
}

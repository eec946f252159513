#include <gtest/gtest.h>
#include <wx/app.h>

#include "app/ui/gl_probe.h"

using app::ui::GlVersion;
using app::ui::ParseGlVersion;
using app::ui::ThreeDAvailable;

TEST(GlProbe, VersionStrings) {
  struct Case {
    const char* text;
    unsigned major, minor;
    bool threeD;
  };
  const Case cases[] = {
      {"4.5 (Core Profile) Mesa 22.3.6", 4, 5, true},
      {"3.3.0 NVIDIA 535.104", 3, 3, true},
      {"3.2.0", 3, 2, false},
      {"2.1 Mesa 10.0", 2, 1, false},
      {"OpenGL ES 3.2 Mesa 23.0", 3, 2, false},
      {"", 0, 0, false},
      {"garbage", 0, 0, false},
      {"4.", 0, 0, false},
      {"99999999999999999999.1", 0, 0, false},
      {nullptr, 0, 0, false},
  };
  for (const Case& c : cases) {
    GlVersion v = ParseGlVersion(c.text);
    EXPECT_EQ(v.major, c.major) << (c.text ? c.text : "null");
    EXPECT_EQ(v.minor, c.minor) << (c.text ? c.text : "null");
    EXPECT_EQ(v.letter, ' ');
    EXPECT_EQ(ThreeDAvailable(v), c.threeD) << (c.text ? c.text : "null");
  }
}

TEST(GlProbe, ProbeOnThisDisplayAnswersAndLeavesNoWindow) {
  size_t before = wxTopLevelWindows.size();
  unsigned major = 77, minor = 77;
  char letter = 'x';
  EXPECT_TRUE(app::ui::ProbeOpenGlVersion(&major, &minor, &letter));
  EXPECT_NE(major, 77u);
  EXPECT_LT(minor, 100u);
  EXPECT_EQ(letter, ' ');
  EXPECT_EQ(wxTopLevelWindows.size(), before);
  // Null outputs are skipped.
  EXPECT_TRUE(app::ui::ProbeOpenGlVersion(nullptr, nullptr, nullptr));
}

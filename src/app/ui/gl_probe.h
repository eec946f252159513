#pragma once
// Which OpenGL the display offers, as the major version, minor version and a release letter
// that the start-up and the Application page read. The 3D window needs OpenGL 3.3.
#include <string>

class wxWindow;

namespace app::ui {

struct GlVersion {
  unsigned major = 0;
  unsigned minor = 0;
  char letter = ' ';
};

// Reads a GL_VERSION string ("4.5 (Core Profile) Mesa 22.3.6", "OpenGL ES 3.2 ...",
// "3.3.0 NVIDIA 535"): 0.0 ' ' when it holds no version. The letter stays ' '.
GlVersion ParseGlVersion(const char* text);
bool ThreeDAvailable(const GlVersion& v);

// Creates a hidden GL window, asks for a 3.3 core context (falling back to any context),
// reads the version and closes the window. Any failure gives 0.0 ' ' and touches nothing else.
// Sets the three outputs that are not null; always returns true.
bool ProbeOpenGlVersion(unsigned* major, unsigned* minor, char* letter);

}  // namespace app::ui

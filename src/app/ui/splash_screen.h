#pragma once
// The start-up picture: a borderless, topmost window cut to the picture's shape by a
// transparent colour, optionally fading in and out, closing itself after a time-out.
#include <wx/colour.h>
#include <wx/font.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/timer.h>

#include <string>
#include <vector>

namespace app::ui {

// One run of consecutive pixels of a scan line that are not the transparent colour:
// columns [x0, x1) of row y.
struct PixelRun {
  int y, x0, x1;
  bool operator==(const PixelRun&) const = default;
};
// The runs of an RGB buffer (3 bytes a pixel, rows packed). A pixel is transparent when each
// channel is within `tolerance` of the key: pictures come as JPEG, which never keeps a colour
// exactly.
std::vector<PixelRun> OpaqueRuns(const unsigned char* rgb, int width, int height, int red,
                                 int green, int blue, int tolerance);

class CSplashScreenEx : public wxFrame {
 public:
  enum StyleBits : unsigned {
    kFadeIn = 1,
    kFadeOut = 2,
    kDropShadow = 4,  // left to the window manager's compositor on this platform
    kCenterScreen = 8,
    kCenterParent = 16,
    kHideOnInput = 32,
  };
  static constexpr int kFadeInMs = 500;
  static constexpr int kFadeOutMs = 200;
  static constexpr int kJpegTolerance = 32;

  CSplashScreenEx();
  // Creates the hidden window; timeout 0 means it never closes by itself.
  bool Create(wxWindow* parent, const char* text, unsigned timeoutMs, unsigned style);
  // Loads the picture; a component of -1 keeps the window rectangular. A file that cannot be
  // read leaves no picture (and a window of no size). Always true.
  bool SetBitmapFromFile(const std::string& path, short red, short green, short blue);
  void SetBitmapFromImage(const wxImage& image, short red, short green, short blue);
  // Shows it without taking the focus and starts the time-out.
  void ShowSplash();
  // Hides it (fading with kFadeOut) and destroys the window; wx deletes the object.
  void HideSplash();

  void SetText(const wxString& text);
  void SetTextFont(const wxString& face, int tenthsOfPoint, unsigned style);
  void SetDefaultTextFont();
  void SetTextColor(const wxColour& colour);
  void SetTextRect(const wxRect& rect);
  void SetTextFormat(int alignment);  // wxALIGN_* flags

  const std::vector<PixelRun>& ShapeRuns() const { return runs_; }
  bool HasPicture() const { return bitmap_.IsOk(); }
  wxPoint SplashPosition() const { return {x_, y_}; }

 private:
  void OnPaint(wxPaintEvent&);
  void OnTimeout(wxTimerEvent&);
  void OnFade(wxTimerEvent&);
  void Redraw();

  wxWindow* parent_ = nullptr;
  wxBitmap bitmap_;
  wxFont font_;
  std::vector<PixelRun> runs_;
  unsigned style_ = 0;
  unsigned timeout_ = 2000;
  wxString text_;
  wxRect textRect_;
  int textFormat_ = wxALIGN_CENTER;
  wxColour textColour_ = *wxBLACK;
  int width_ = 0, height_ = 0;
  int x_ = 0, y_ = 0;
  wxTimer timeoutTimer_;
  wxTimer fadeTimer_;
  wxLongLong fadeStart_ = 0;
  bool fadingOut_ = false;
  bool hiding_ = false;
};

}  // namespace app::ui

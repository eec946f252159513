#include "app/ui/splash_screen.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/gdicmn.h>
#include <wx/region.h>
#include <wx/settings.h>
#include <wx/time.h>

#include <algorithm>
#include <cstdlib>

namespace app::ui {

std::vector<PixelRun> OpaqueRuns(const unsigned char* rgb, int width, int height, int red,
                                 int green, int blue, int tolerance) {
  std::vector<PixelRun> runs;
  if (!rgb || width <= 0 || height <= 0) return runs;
  auto transparent = [&](const unsigned char* p) {
    return std::abs(p[0] - red) <= tolerance && std::abs(p[1] - green) <= tolerance &&
           std::abs(p[2] - blue) <= tolerance;
  };
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = rgb + static_cast<std::size_t>(y) * width * 3;
    int start = -1;
    for (int x = 0; x < width; ++x) {
      bool opaque = !transparent(row + x * 3);
      if (opaque && start < 0) start = x;
      if (!opaque && start >= 0) {
        runs.push_back({y, start, x});
        start = -1;
      }
    }
    // A run reaching the end of a line ends there; the next line starts afresh.
    if (start >= 0) runs.push_back({y, start, width});
  }
  return runs;
}

enum { kTimeoutTimerId = 1, kFadeTimerId = 2 };

CSplashScreenEx::CSplashScreenEx()
    : font_(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT)),
      timeoutTimer_(this, kTimeoutTimerId),
      fadeTimer_(this, kFadeTimerId) {}

bool CSplashScreenEx::Create(wxWindow* parent, const char* text, unsigned timeoutMs,
                             unsigned style) {
  parent_ = parent;
  text_ = text ? wxString::FromUTF8(text) : wxString();
  timeout_ = timeoutMs;
  style_ = style;
  if (!wxFrame::Create(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(0, 0),
                       wxFRAME_SHAPED | wxBORDER_NONE | wxSTAY_ON_TOP | wxFRAME_TOOL_WINDOW |
                           wxFRAME_NO_TASKBAR))
    return false;
  SetBackgroundStyle(wxBG_STYLE_PAINT);  // the picture covers everything
  Bind(wxEVT_PAINT, &CSplashScreenEx::OnPaint, this);
  Bind(wxEVT_TIMER, &CSplashScreenEx::OnTimeout, this, kTimeoutTimerId);
  Bind(wxEVT_TIMER, &CSplashScreenEx::OnFade, this, kFadeTimerId);
  if (style_ & kHideOnInput) {
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent&) { HideSplash(); });
    auto hide = [this](wxMouseEvent&) { HideSplash(); };
    for (auto type : {wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN}) Bind(type, hide);
  }
  return true;
}

bool CSplashScreenEx::SetBitmapFromFile(const std::string& path, short red, short green,
                                        short blue) {
  wxImage image;
  {
    wxLogNull quiet;  // a missing picture is not worth a message
    if (!wxFileExists(wxString::FromUTF8(path)) || !image.LoadFile(wxString::FromUTF8(path)))
      image = wxImage();
  }
  SetBitmapFromImage(image, red, green, blue);
  return true;
}

void CSplashScreenEx::SetBitmapFromImage(const wxImage& image, short red, short green,
                                         short blue) {
  bitmap_ = image.IsOk() ? wxBitmap(image) : wxBitmap();
  runs_.clear();
  width_ = image.IsOk() ? image.GetWidth() : 0;
  height_ = image.IsOk() ? image.GetHeight() : 0;
  textRect_ = wxRect(0, 0, width_, height_);

  if (style_ & kCenterScreen) {
    wxRect area = wxGetClientDisplayRect();
    x_ = area.x + (area.width - width_) / 2;
    y_ = area.y + (area.height - height_) / 2;
  } else if ((style_ & kCenterParent) && parent_) {
    wxRect r = parent_->GetScreenRect();
    x_ = r.x + (r.width - width_) / 2;
    y_ = r.y + (r.height - height_) / 2;
  }

  if (image.IsOk() && red != -1 && green != -1 && blue != -1) {
    runs_ = OpaqueRuns(image.GetData(), width_, height_, red, green, blue, kJpegTolerance);
    if (runs_.empty()) {
      // Nothing but the transparent colour: nothing to show.
      width_ = height_ = 0;
    } else {
      wxRegion region;
      for (const PixelRun& r : runs_) region.Union(r.x0, r.y, r.x1 - r.x0, 1);
      SetSize(x_, y_, width_, height_);
      SetShape(region);
    }
  }
}

void CSplashScreenEx::ShowSplash() {
  SetSize(x_, y_, width_, height_);
  bool fade = (style_ & kFadeIn) && CanSetTransparent();
  if (fade) SetTransparent(0);
  ShowWithoutActivating();
  if (fade) {
    fadingOut_ = false;
    fadeStart_ = wxGetLocalTimeMillis();
    fadeTimer_.Start(20);
  }
  if (timeout_ != 0) timeoutTimer_.StartOnce(static_cast<int>(timeout_));
}

void CSplashScreenEx::HideSplash() {
  if (hiding_ || IsBeingDeleted()) return;
  hiding_ = true;
  timeoutTimer_.Stop();
  if ((style_ & kFadeOut) && CanSetTransparent() && IsShown()) {
    fadingOut_ = true;
    fadeStart_ = wxGetLocalTimeMillis();
    fadeTimer_.Start(20);
    return;
  }
  fadeTimer_.Stop();
  Hide();
  Destroy();
}

void CSplashScreenEx::OnTimeout(wxTimerEvent&) { HideSplash(); }

void CSplashScreenEx::OnFade(wxTimerEvent&) {
  long elapsed = (wxGetLocalTimeMillis() - fadeStart_).ToLong();
  int span = fadingOut_ ? kFadeOutMs : kFadeInMs;
  double t = std::clamp(static_cast<double>(elapsed) / span, 0.0, 1.0);
  SetTransparent(static_cast<wxByte>(255 * (fadingOut_ ? 1.0 - t : t)));
  if (t < 1.0) return;
  fadeTimer_.Stop();
  if (fadingOut_) {
    Hide();
    Destroy();
  }
}

void CSplashScreenEx::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  if (bitmap_.IsOk()) dc.DrawBitmap(bitmap_, 0, 0);
  if (!text_.empty()) {
    dc.SetFont(font_);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    dc.SetTextForeground(textColour_);
    dc.DrawLabel(text_, textRect_, textFormat_);
  }
}

void CSplashScreenEx::Redraw() {
  Refresh();
  Update();
}

void CSplashScreenEx::SetText(const wxString& text) {
  text_ = text;
  Redraw();
}

void CSplashScreenEx::SetTextFont(const wxString& face, int tenthsOfPoint, unsigned style) {
  font_ = wxFont(wxFontInfo(tenthsOfPoint / 10.0)
                     .FaceName(face)
                     .Bold(style & 1)
                     .Italic(style & 2)
                     .Underlined(style & 4));
}

void CSplashScreenEx::SetDefaultTextFont() {
  font_ = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

void CSplashScreenEx::SetTextColor(const wxColour& colour) {
  textColour_ = colour;
  Redraw();
}

void CSplashScreenEx::SetTextRect(const wxRect& rect) {
  textRect_ = rect;
  Redraw();
}

void CSplashScreenEx::SetTextFormat(int alignment) { textFormat_ = alignment; }

}  // namespace app::ui

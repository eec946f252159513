#include "weather/wx_graph.h"

#include <algorithm>
#include <cmath>

#include "app/application.h"
#include "platform/numbers.h"

namespace weather {

using platform::Canvas;
using platform::Image;
using platform::OleDateTime;
using platform::Rgba;
using platform::RgbaFromColorRef;

namespace {

constexpr double kPi = 3.14159265358979323846;
const char* const kDegree = "\xC2\xB0";
// The window's default font, in which the left margin is measured.
constexpr double kDefaultFontPoints = 9.0;

double Points(double pixels) { return pixels * 72.0 / 96.0; }

void Measure(const std::string& text, double points, double& w, double& h) {
  Image scratch(1, 1);
  Canvas c(scratch);
  c.MeasureText(text, points, false, w, h);
}

void SetPen(Canvas& c, uint32_t colour, double width, int style) {
  c.SetColour(RgbaFromColorRef(colour));
  c.SetLineWidth(width);
  const double u = std::max(1.0, width);
  switch (style) {
    case 1: c.SetDash({6 * u, 3 * u}); break;
    case 2: c.SetDash({1 * u, 2 * u}); break;
    case 3: c.SetDash({6 * u, 3 * u, 1 * u, 3 * u}); break;
    case 4: c.SetDash({6 * u, 3 * u, 1 * u, 3 * u, 1 * u, 3 * u}); break;
    default: c.SetDash({}); break;
  }
}

double StepOf(double r) {
  if (r <= 0.01) return 0.005;
  if (r < 0.05) return 0.01;
  if (r < 0.1) return 0.02;
  if (r < 1) return 0.1;
  if (r < 2.5) return 0.25;
  if (r < 5) return 0.5;
  if (r < 10) return 1;
  if (r < 25) return 3;
  if (r < 50) return 5;
  return 10;
}

// Text with its baseline at y: aligned left at x, right (align 1) or centred (align 2).
void Text(Canvas& c, double x, double y, const std::string& text, double px, int align = 0) {
  double w = 0, h = 0;
  c.MeasureText(text, Points(px), false, w, h);
  if (align == 1) x -= w;
  else if (align == 2) x -= w / 2;
  c.DrawText(x, y, text, Points(px));
}

void Caption(Canvas& c, double x, double y, const std::string& text, double px, uint32_t colour) {
  double w = 0, h = 0;
  c.MeasureText(text, Points(px), false, w, h);
  cairo_t* cr = c.Context();
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_rotate(cr, -kPi / 2);
  c.SetColour(RgbaFromColorRef(colour));
  c.DrawText(-w / 2, 0, text, Points(px));
  cairo_restore(cr);
}

class PanePainter {
 public:
  PanePainter(Image& img, const CWxStream& s, int first, int last, const std::vector<uint32_t>& colours,
              const WxGraphSettings& g)
      : c_(img), s_(s), first_(first), last_(last), colours_(colours), g_(g),
        l_(LayoutPane(img.Width(), img.Height(), first, last)) {
    c_.SetAntialias(false);
  }

  void Frame() {
    c_.SetColour({255, 255, 255, 255});
    c_.FillRect(0, 0, l_.width, l_.height);
    c_.SetColour({0, 0, 0, 255});
    c_.SetLineWidth(3);
    c_.StrokeRect(0.5, 0.5, l_.width - 1, l_.height - 1);
  }

  void GreyLines() {
    SetPen(c_, WxGraphSettings::Rgb(220, 220, 220), 1, 0);
    for (int i = first_; i <= last_; ++i) c_.DrawLine(l_.X(i) + 0.5, l_.plotTop, l_.X(i) + 0.5, l_.plotBottom);
  }

  void Background() {
    if (colours_.empty()) return;
    for (int i = first_; i < last_; ++i) {
      if (static_cast<std::size_t>(i) >= colours_.size()) break;
      c_.SetColour(RgbaFromColorRef(colours_[static_cast<std::size_t>(i)]));
      c_.FillRect(l_.X(i), l_.plotTop, l_.column, l_.PlotHeight());
    }
  }

  void TimeAxis() {
    SetPen(c_, g_.verticalColor, g_.verticalWidth, 0);
    int prevDay = -2;
    for (int i = first_; i <= last_; ++i) {
      const int doy = Date(i).IsValid() ? Date(i).GetDayOfYear() : -1;
      const bool draw = g_.verticalLines == 1 || (g_.verticalLines == 2 && (i == first_ || doy != prevDay));
      if (draw) c_.DrawLine(l_.X(i) + 0.5, l_.plotBottom, l_.X(i) + 0.5, 0);
      prevDay = doy;
    }
    c_.SetColour({0, 0, 0, 255});
    double fiveW = 0, fiveH = 0;
    c_.MeasureText("00000", Points(l_.labelSize), false, fiveW, fiveH);
    int lastHour = 0;
    double lastX = 0;
    prevDay = -2;
    for (int i = first_; i <= last_; ++i) {
      const OleDateTime& t = Date(i);
      const int doy = t.IsValid() ? t.GetDayOfYear() : -1;
      const int h = t.IsValid() ? t.GetHour() : 0;
      const bool newDay = i == first_ || doy != prevDay;
      prevDay = doy;
      const bool due = newDay || h > lastHour + 2 || (lastHour >= 22 && h > lastHour - 22);
      if (due && lastX + fiveW < l_.X(i)) {
        const int h12 = h % 12 == 0 ? 12 : h % 12;
        Text(c_, l_.X(i), l_.plotBottom + l_.labelSize * 0.8, platform::FormatC("%d%s", h12, h < 12 ? "am" : "pm"),
             l_.labelSize, 2);
        lastHour = h;
        lastX = l_.X(i);
      }
      if (newDay && t.GetStatus() != OleDateTime::Status::Null)
        Text(c_, l_.X(i), l_.labelSize * 0.8, t.Format("%m/%d"), l_.labelSize);
    }
  }

  void ValueAxis(double a, double b, bool left, uint32_t lineColour, int lineStyle, const std::string& unit,
                 const std::string& caption, uint32_t colour) {
    const double axisX = left ? l_.X(first_) : l_.X(last_);
    const double other = left ? l_.X(last_) : l_.X(first_);
    auto tick = [&](double y, const std::string& label) {
      SetPen(c_, lineColour, 1, lineStyle);
      c_.DrawLine(axisX, y + 0.5, other, y + 0.5);
      c_.SetColour(RgbaFromColorRef(colour));
      Text(c_, axisX, y, label, l_.labelSize, left ? 1 : 0);
    };
    const std::vector<std::string> labels = AxisLabels(a, b, l_.PlotHeight(), unit);
    if (!(a < b)) {
      tick(l_.plotBottom, labels.front());
    } else {
      const double r = b - a, u = StepOf(r);
      for (std::size_t k = 0; k < labels.size(); ++k)
        tick(l_.plotBottom - static_cast<int>(k * u / r * l_.PlotHeight()), labels[k]);
    }
    Caption(c_, left ? l_.margin / 2.0 : l_.X(last_) + l_.margin / 2.0, l_.PlotHeight() / 2.0, caption,
            l_.captionSize, colour);
  }

  // The curve of one field with markers; wind arrows when `arrows`.
  void Curve(int field, double lo, double hi, uint32_t colour, int width, int style, Rgba fill, bool arrows) {
    std::vector<double> xy;
    for (int i = first_; i <= last_; ++i) {
      xy.push_back(l_.X(i));
      xy.push_back(l_.Y(Value(i, field), lo, hi));
    }
    SetPen(c_, colour, width, style);
    c_.DrawPolyline(xy);
    for (std::size_t k = 0; k + 1 < xy.size(); k += 2) {
      const double x = xy[k], y = xy[k + 1];
      c_.SetColour(fill);
      c_.FillCircle(x, y, 3);
      SetPen(c_, colour, width, style);
      c_.StrokeCircle(x, y, 3);
      const WxRecord& r = s_.records[static_cast<std::size_t>(first_) + k / 2];
      if (arrows && r.windSpeed > 0) {
        const double d = r.windDirection, t = (d > 90 ? d - 90 : d + 270) * kPi / 180.0, dr = d * kPi / 180.0;
        const double F = l_.column, ex = x + F * std::cos(t), ey = y + F * std::sin(t);
        SetPen(c_, colour, 2.0 * width, 0);
        c_.DrawLine(x, y, ex, ey);
        const int third = l_.column / 3;
        c_.DrawLine(ex, ey, ex + third * std::cos(dr), ey + third * std::sin(dr));
      }
    }
  }

  void Bars(double top) {
    const int h = std::max(l_.column / 2, 1);
    for (int i = first_; i <= last_; ++i) {
      const double p = Value(i, 2);
      if (!(p > 0)) continue;
      const double x0 = l_.X(i) - h, x1 = l_.X(i) + h;
      const double y1 = l_.plotBottom, y0 = l_.plotBottom - p / std::fabs(top) * l_.PlotHeight();
      c_.SetColour(RgbaFromColorRef(g_.curveColor[4]));
      if (g_.precipHatch < 0) {
        c_.FillRect(x0, y0, x1 - x0, y1 - y0);
      } else {
        cairo_t* cr = c_.Context();
        cairo_save(cr);
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        cairo_clip(cr);
        c_.SetLineWidth(1);
        c_.SetDash({});
        const int code = g_.precipHatch;
        for (double k = -(y1 - y0) - 8; k < (x1 - x0) + (y1 - y0) + 8; k += 8) {
          if (code == 0 || code == 4) c_.DrawLine(x0, y0 + k + 0.5, x1, y0 + k + 0.5);
          if (code == 1 || code == 4) c_.DrawLine(x0 + k + 0.5, y0, x0 + k + 0.5, y1);
          if (code == 2 || code == 5) c_.DrawLine(x0 + k, y1, x0 + k + (y1 - y0), y0);
          if (code == 3 || code == 5) c_.DrawLine(x0 + k, y0, x0 + k + (y1 - y0), y1);
        }
        cairo_restore(cr);
      }
      SetPen(c_, g_.curveColor[4], 3, 0);
      c_.StrokeRect(x0, y0, x1 - x0, y1 - y0);
    }
  }

  const WxPaneLayout& Layout() const { return l_; }

 private:
  const OleDateTime& Date(int i) const { return s_.records[static_cast<std::size_t>(i)].date; }
  double Value(int i, int field) const { return WxsFieldValueOf(s_.records[static_cast<std::size_t>(i)], field); }
  static double WxsFieldValueOf(const WxRecord& r, int f) {
    switch (f) {
      case 0: return r.temperature;
      case 1: return r.humidity;
      case 2: return r.precipitation;
      case 3: return r.windSpeed;
      case 4: return r.windDirection;
      default: return r.cloudCover;
    }
  }

  Canvas c_;
  const CWxStream& s_;
  int first_, last_;
  const std::vector<uint32_t>& colours_;
  const WxGraphSettings& g_;
  WxPaneLayout l_;
};

}  // namespace

WxGraphSettings AppGraphSettings() {
  const StoredPreferences& p = GetApp();
  const WxGraphSettings& d = DefaultGraphSettings();
  auto named = [](const std::vector<std::pair<int, std::string>>& table, int v, int fallback) {
    for (const auto& entry : table)
      if (entry.first == v) return v;
    return fallback;
  };
  auto width = [](int v, int fallback) { return v >= 1 && v <= 20 ? v : fallback; };
  WxGraphSettings g;
  for (int i = 0; i < 5; ++i) {
    const auto k = static_cast<std::size_t>(i);
    g.curveColor[i] = p.wxSeriesColors[k] & 0xFFFFFF;
    g.lineColor[i] = p.wxHLineColors[k] & 0xFFFFFF;
    g.lineStyle[i] = named(GraphPenStyleNames(), p.wxHLineStyles[k], d.lineStyle[i]);
  }
  for (int i = 0; i < 4; ++i) {
    const auto k = static_cast<std::size_t>(i);
    g.curveWidth[i] = width(p.wxSeriesWidths[k], d.curveWidth[i]);
    g.curveStyle[i] = named(GraphPenStyleNames(), p.wxSeriesStyles[k], d.curveStyle[i]);
  }
  g.precipHatch = named(GraphHatchNames(), p.wxPrecipHatch, d.precipHatch);
  g.verticalLines = named(GraphVerticalLineNames(), p.wxVLineFrequency, d.verticalLines);
  g.verticalColor = p.wxVLineColor & 0xFFFFFF;
  g.verticalWidth = width(p.wxVLineWidth, d.verticalWidth);
  return g;
}

void SetAppGraphSettings(const WxGraphSettings& g) {
  StoredPreferences& p = GetApp();
  for (int i = 0; i < 5; ++i) {
    const auto k = static_cast<std::size_t>(i);
    p.wxSeriesColors[k] = g.curveColor[i];
    p.wxHLineColors[k] = g.lineColor[i];
    p.wxHLineStyles[k] = g.lineStyle[i];
  }
  for (int i = 0; i < 4; ++i) {
    const auto k = static_cast<std::size_t>(i);
    p.wxSeriesWidths[k] = g.curveWidth[i];
    p.wxSeriesStyles[k] = g.curveStyle[i];
  }
  p.wxPrecipHatch = g.precipHatch;
  p.wxVLineFrequency = g.verticalLines;
  p.wxVLineColor = g.verticalColor;
  p.wxVLineWidth = g.verticalWidth;
}

const WxGraphSettings& DefaultGraphSettings() {
  static const WxGraphSettings settings;
  return settings;
}

const std::vector<std::pair<int, std::string>>& GraphPenStyleNames() {
  static const std::vector<std::pair<int, std::string>> t = {
      {0, "Solid"}, {1, "Dash"}, {2, "Dot"}, {3, "DashDot"}, {4, "DashDotDot"}};
  return t;
}

const std::vector<std::pair<int, std::string>>& GraphHatchNames() {
  static const std::vector<std::pair<int, std::string>> t = {
      {-1, "Solid"},         {0, "Horizontal Hatch"},     {1, "Vertical Hatch"}, {2, "Upward Hatch"},
      {3, "Downward Hatch"}, {5, "Diagonal Cross Hatch"}, {4, "Cross Hatch"}};
  return t;
}

const std::vector<std::pair<int, std::string>>& GraphVerticalLineNames() {
  static const std::vector<std::pair<int, std::string>> t = {{0, "None"}, {1, "Each Record"}, {2, "Daily"}};
  return t;
}

int GraphValueOfName(const std::vector<std::pair<int, std::string>>& table, const std::string& name, int fallback) {
  for (const auto& [v, n] : table)
    if (n == name) return v;
  return fallback;
}

int WxPaneLayout::Y(double value, double lo, double hi) const {
  if (hi == lo) return plotBottom;
  return plotBottom - static_cast<int>((value - lo) / std::fabs(hi - lo) * PlotHeight());
}

WxPaneLayout LayoutPane(int width, int height, int first, int last) {
  WxPaneLayout l;
  l.width = width;
  l.height = height;
  l.first = first;
  double w = 0, h = 0;
  Measure("0000pm", kDefaultFontPoints, w, h);
  l.margin = 3 * static_cast<int>(w);
  // A short pane (the precipitation one) still gets labels that can be read.
  l.labelSize = std::max(height / 20, 10);
  l.captionSize = height / 10;
  Measure("0000pm", Points(l.labelSize), w, h);
  l.plotTop = 0;
  l.plotBottom = height - static_cast<int>(std::ceil(h));
  const int n = std::max(last - first + 1, 1);
  l.column = (width - l.margin / 2 - l.margin) / n;
  return l;
}

WxPaneAxes PaneAxes(WxPane pane, const CWxStream& s, int first, int last) {
  WxPaneAxes a;
  if (s.records.empty()) return a;
  auto range = [&](auto field, double& lo, double& hi) {
    lo = hi = field(s.records[static_cast<std::size_t>(first)]);
    for (int i = first; i <= last; ++i) {
      const double v = field(s.records[static_cast<std::size_t>(i)]);
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  };
  double lo = 0, hi = 0;
  switch (pane) {
    case WxPane::TempRH: {
      range([](const WxRecord& r) { return double(r.temperature); }, lo, hi);
      const int pad = static_cast<int>(std::fabs(hi - lo) * 0.1);
      a.leftLo = lo - pad, a.leftHi = hi + pad;
      range([](const WxRecord& r) { return double(r.humidity); }, lo, hi);
      const int rpad = (static_cast<int>(hi) - static_cast<int>(lo)) / 10;
      a.rightLo = lo - rpad > 0 ? lo - rpad : 0;
      a.rightHi = hi + rpad;
      break;
    }
    case WxPane::WindCloud: {
      range([](const WxRecord& r) { return double(r.windSpeed); }, lo, hi);
      const int max = static_cast<int>(hi);
      a.leftHi = max + std::max(max / 10, 1);
      range([](const WxRecord& r) { return double(r.cloudCover); }, lo, hi);
      a.rightHi = hi + static_cast<int>(hi * 0.1);
      break;
    }
    case WxPane::Precip:
      range([](const WxRecord& r) { return r.precipitation; }, lo, hi);
      a.leftHi = hi + static_cast<int>(hi * 0.1);
      break;
  }
  return a;
}

std::vector<std::string> AxisLabels(double a, double b, int plotHeight, const std::string& unit) {
  if (!(a < b)) return {platform::FormatC("%.2f", a) + unit};
  std::vector<std::string> out;
  const double r = b - a, u = StepOf(r);
  for (int k = 0; static_cast<int>(k * u / r * plotHeight) <= plotHeight && k < 10000; ++k)
    out.push_back(platform::FormatC(u >= 1 ? "%.0f" : "%.3f", a + k * u) + unit);
  return out;
}

void DrawWxsPane(Image& image, WxPane pane, const CWxStream& s, int first, int last,
                 const std::vector<uint32_t>& recordColors, const WxGraphSettings& g) {
  if (image.IsEmpty()) return;
  const int n = static_cast<int>(s.records.size());
  first = std::clamp(first, 0, std::max(n - 1, 0));
  last = std::clamp(last, first, std::max(n - 1, 0));
  PanePainter p(image, s, first, last, recordColors, g);
  p.Frame();
  if (n == 0) return;
  const WxPaneAxes a = PaneAxes(pane, s, first, last);
  const bool english = s.units == 0;
  switch (pane) {
    case WxPane::TempRH:
      p.Background();
      p.TimeAxis();
      p.ValueAxis(a.leftLo, a.leftHi, true, g.lineColor[0], g.lineStyle[0], kDegree,
                  english ? "Temperature (F)" : "Temperature (C)", g.curveColor[0]);
      p.ValueAxis(a.rightLo, a.rightHi, false, g.lineColor[1], g.lineStyle[1], "%", "RH", g.curveColor[1]);
      p.Curve(0, a.leftLo, a.leftHi, g.curveColor[0], g.curveWidth[0], g.curveStyle[0], {0, 0, 0, 255}, false);
      p.Curve(1, a.rightLo, a.rightHi, g.curveColor[1], g.curveWidth[1], g.curveStyle[1], {0, 0, 0, 255}, false);
      break;
    case WxPane::WindCloud:
      p.GreyLines();
      p.Background();
      p.TimeAxis();
      p.ValueAxis(a.leftLo, a.leftHi, true, g.lineColor[2], g.lineStyle[2], "",
                  english ? "Wind Speed (mph)" : "Wind Speed (km/h)", g.curveColor[2]);
      p.ValueAxis(a.rightLo, a.rightHi, false, g.lineColor[3], g.lineStyle[3], "%", "Cloud Cover", g.curveColor[3]);
      p.Curve(3, a.leftLo, a.leftHi, g.curveColor[2], g.curveWidth[2], 0, {255, 255, 255, 255}, true);
      p.Curve(5, a.rightLo, a.rightHi, g.curveColor[3], g.curveWidth[3], 0, {255, 255, 255, 255}, false);
      break;
    case WxPane::Precip:
      p.GreyLines();
      p.Background();
      p.TimeAxis();
      p.ValueAxis(a.leftLo, a.leftHi, true, g.lineColor[4], g.lineStyle[4], "",
                  english ? "Precipitation (in)" : "Precipitation (mm)", g.curveColor[4]);
      p.Bars(a.leftHi);
      break;
  }
}

}  // namespace weather

#pragma once
// The weather stream graph's settings and its three panes (temperature and humidity, wind and
// cloud cover, precipitation), drawn onto an image so that the window only shows it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/image.h"
#include "weather/wx_stream.h"

namespace weather {

// Program-wide graph settings; colours are 0x00BBGGRR.
struct WxGraphSettings {
  static constexpr uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
  }
  // Curves: temperature, humidity, wind, cloud, precipitation.
  uint32_t curveColor[5] = {Rgb(255, 10, 10), Rgb(10, 220, 10), Rgb(220, 10, 220), Rgb(10, 10, 220), Rgb(10, 10, 120)};
  int curveWidth[4] = {2, 2, 2, 2};
  int curveStyle[4] = {0, 0, 0, 0};
  int precipHatch = -1;  // -1 solid, else a hatch code
  uint32_t lineColor[5] = {Rgb(150, 150, 150), Rgb(150, 150, 150), Rgb(150, 150, 150), Rgb(150, 150, 150),
                           Rgb(150, 150, 150)};
  int lineStyle[5] = {0, 0, 0, 0, 0};
  int verticalLines = 1;  // 0 none, 1 each record, 2 daily
  uint32_t verticalColor = Rgb(225, 225, 225);
  int verticalWidth = 1;
};
// The program's settings live in the preferences (so the preferences file keeps them); these
// read and store them there. Stored values outside what the graph can draw read as defaults.
WxGraphSettings AppGraphSettings();
void SetAppGraphSettings(const WxGraphSettings& settings);
const WxGraphSettings& DefaultGraphSettings();

// The name tables the properties dialog shows: (value, name) in order.
const std::vector<std::pair<int, std::string>>& GraphPenStyleNames();
const std::vector<std::pair<int, std::string>>& GraphHatchNames();
const std::vector<std::pair<int, std::string>>& GraphVerticalLineNames();
// The value of an exactly matching name, else `fallback`.
int GraphValueOfName(const std::vector<std::pair<int, std::string>>& table, const std::string& name, int fallback);

enum class WxPane { TempRH = 0, WindCloud = 1, Precip = 2 };

// Where records and values go in a pane of the given size.
struct WxPaneLayout {
  int width = 0, height = 0;
  int margin = 0;  // m: the left margin
  int plotTop = 0, plotBottom = 0;
  int column = 0;  // F: pixels per record
  int first = 0;
  double labelSize = 0, captionSize = 0;  // font heights in pixels
  int X(int record) const { return margin + column * (record - first); }
  int PlotHeight() const { return plotBottom - plotTop; }
  // The row of a value on an axis from lo to hi (the bottom when the range is 0).
  int Y(double value, double lo, double hi) const;
};
WxPaneLayout LayoutPane(int width, int height, int first, int last);

// The axis ranges a pane shows for the records first..last: {lo, hi} of the left axis and of
// the right axis (the precipitation pane has none).
struct WxPaneAxes {
  double leftLo = 0, leftHi = 0, rightLo = 0, rightHi = 0;
};
WxPaneAxes PaneAxes(WxPane pane, const CWxStream& s, int first, int last);

// Tick labels of a value axis from a to b (a single label at the bottom when a >= b).
std::vector<std::string> AxisLabels(double a, double b, int plotHeight, const std::string& unit);

// Draws one pane of records first..last (clamped to the stream) over the whole image, with the
// record colours behind the columns.
void DrawWxsPane(platform::Image& image, WxPane pane, const CWxStream& s, int first, int last,
                 const std::vector<uint32_t>& recordColors, const WxGraphSettings& settings);

}  // namespace weather

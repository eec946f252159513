#pragma once
// The landscape critique: metadata, the value range of each layer, and the share of cells in
// each legend class of each layer over the current analysis area, overall and per fuel model;
// written as an HTML page or a PDF document with bar charts, and opened with the desktop's
// viewer once written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/image.h"

class CPVN4Doc;
class CTheme;
class CThemeLegendData;

// Cells per class: class 0 holds the no-data cells, classes 1..n-1 the values from their class
// value up to the next one's (the first class also below, the last also above).
class ClassHistogram {
 public:
  ClassHistogram() = default;
  ClassHistogram(int classCount, std::vector<double> classValues);
  void Add(double x);
  int ClassCount() const { return static_cast<int>(counts.size()); }
  double Percent(int j) const;         // of the cells with data
  double OverallPercent(int j) const;  // of every cell

  std::vector<double> values;  // entry 0 unused
  std::vector<long long> counts;
  long long total = 0;
  long long data = 0;
};

namespace critique {

struct LayerReport {
  int layer = 0;
  std::string name, units, range;
  int decimals = 0;
  std::vector<std::string> labels;  // per class: "ND", then the class values
  ClassHistogram overall;
  std::vector<ClassHistogram> byFuel;  // one per fuel section, in section order
};

struct Report {
  std::string path;
  int latitude = 0;
  double cellWidth = 0, cellHeight = 0;
  int columns = 0, rows = 0;
  double north = 0, south = 0, east = 0, west = 0;
  std::string projection;  // empty without one
  std::vector<LayerReport> layers;
  // The fuel distribution; order lists its classes (1..n-1) by count, largest first.
  ClassHistogram fuels;
  std::vector<int> order;
  int fuelDecimals = 0;
  std::string fuelUnits;
};

// Gathers the report of the document's current area; false when it has none.
bool Gather(const CPVN4Doc& doc, Report& report);

// The HTML page, with every text of the project escaped.
std::string HtmlText(const Report& report);

// Where a bar chart's parts go, in pixels from the image's top-left corner. Texts are
// placed so that no two of them meet: class labels turn to read upwards, or every k-th is
// kept, whichever leaves more of them; the vertical title stays left of its tick labels.
struct ChartText {
  double x = 0, y = 0;  // baseline start
  std::string text;
  double size = 0;
  bool bold = false;
  bool upward = false;  // turned a quarter to the left
};
struct ChartLayout {
  int width = 0, height = 0;
  int left = 0, right = 0, top = 0, bottom = 0, barWidth = 0;
  double scale = 0, tickLength = 0;
  std::vector<double> ticks;  // heights of the vertical-axis ticks
  std::vector<ChartText> texts;
};
// Width of a text at a size, in pixels.
using TextWidth = std::function<double(const std::string& text, double size, bool bold)>;
ChartLayout LayoutHistogram(const std::vector<double>& values, const std::string& title,
                            const std::string& verticalTitle, const std::string& horizontalTitle,
                            const std::vector<std::string>& labels, int width, int height, const TextWidth& measure);
// The chart's axes and bars, and its texts when asked.
platform::Image PaintHistogram(const ChartLayout& layout, const std::vector<double>& values, bool withTexts);

// A bar chart of the values (one bar per class) as the report shows it.
platform::Image DrawHistogramImage(const std::vector<double>& values, const std::string& title,
                                   const std::string& verticalTitle, const std::string& horizontalTitle,
                                   const std::vector<std::string>& labels, int width, int height);
// Axis maximum and tick step for the largest bar value.
void AxisScale(double largest, double& axisMaximum, double& step);

// Writers. Both write atomically; false with the reason in error.
bool WriteCritiqueHtml(const CPVN4Doc& doc, const std::string& path, std::string& error);
bool WriteCritiquePdf(const CPVN4Doc& doc, const std::string& path, std::string& error);

// The two commands: ask for the file, write it, say what failed, open it on success.
void OnCritiquePdf(CPVN4Doc& doc);
void OnCritiqueHtml(CPVN4Doc& doc);

}  // namespace critique

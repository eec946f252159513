#include "views/legend_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/unit_tables.h"
#include "platform/value_text.h"
#include "project/document.h"
#include "themes/contour_theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "themes/legend.h"
#include "themes/line_style.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace views {

namespace {

constexpr double kFontSize = 8.0;
constexpr platform::Rgba kFace{240, 240, 240, 255};
constexpr platform::Rgba kWhite{255, 255, 255, 255};
constexpr platform::Rgba kBlack{0, 0, 0, 255};

struct Measure {
  double width = 0, height = 0;
};

Measure TextSize(platform::Canvas& canvas, const std::string& text, bool bold) {
  Measure m;
  canvas.MeasureText(text.empty() ? std::string(" ") : text, kFontSize, bold, m.width, m.height);
  if (text.empty()) m.width = 0;
  return m;
}

// Text centred in [left, right) on a row of height h, black on an opaque white box.
void CentredText(platform::Canvas& canvas, const std::string& text, double left, double right, double top,
                 double h, bool bold, bool box) {
  Measure m = TextSize(canvas, text, bold);
  const double x = std::floor((left + right - m.width) / 2), y = std::floor(top + (h - m.height) / 2);
  if (box) {
    canvas.SetColour(kWhite);
    canvas.FillRect(x, y, m.width, m.height);
  }
  canvas.SetColour(kBlack);
  canvas.DrawText(x, y + m.height * 0.8, text, kFontSize, bold);
}

void Swatch(platform::Canvas& canvas, double left, double top, double w, double h, COLORREF colour) {
  canvas.SetColour(platform::RgbaFromColorRef(colour));
  canvas.FillRect(left, top, w, h);
  canvas.SetColour(kBlack);
  canvas.SetLineWidth(1);
  canvas.StrokeRect(left + 0.5, top + 0.5, w - 1, h - 1);
}

void StyledLine(platform::Canvas& canvas, COLORREF colour, int style, int width, int cx, int y, int k);

// A vector theme's sample in the row from top to top + h, centred on cx, half as wide as k.
void Sample(platform::Canvas& canvas, const LegendVectorSample& v, int cx, int top, int h, int k) {
  if (IsPointShape(v.shapeType)) {
    const int s = std::max(2, h - 2);
    canvas.SetColour(platform::RgbaFromColorRef(v.colour));
    if (v.style == 1) canvas.FillPolygon({double(cx), top + 1.0, cx - s / 2.0, double(top + h - 1), cx + s / 2.0,
                                          double(top + h - 1)});
    else if (v.style == 2) canvas.FillRect(cx - s / 2, top + 1, s, s);
    else canvas.FillCircle(cx, top + 1 + s / 2.0, s / 2.0);
    return;
  }
  StyledLine(canvas, v.colour, v.style, v.width, cx, top + h / 2, k);
}

// A styled line across [cx - k/3, cx + k/3] at height y.
void StyledLine(platform::Canvas& canvas, COLORREF colour, int style, int width, int cx, int y, int k) {
  std::uint32_t pattern[8];
  const unsigned count = MakeDashPattern(pattern, false, static_cast<unsigned>(std::max(1, width)),
                                         static_cast<unsigned>(style));
  canvas.NewPath();
  CDashedStroke stroke(canvas, pattern, count, std::max(1, width));
  stroke.MoveTo(cx - k / 3, y);
  stroke.LineTo(cx + k / 3, y);
  StrokeStyledPath(colour, canvas, false, std::max(1, width));
}

// An arrow pointing right across [left, right] at height cy, heads a quarter of its length.
void Arrow(platform::Canvas& canvas, COLORREF colour, int width, double left, double right, double cy) {
  const double l = std::max(width + 3.0, (right - left) / 4);
  canvas.SetColour(platform::RgbaFromColorRef(colour));
  canvas.SetLineWidth(std::max(1, width));
  canvas.NewPath();
  canvas.MoveTo(left, cy);
  canvas.LineTo(right, cy);
  canvas.MoveTo(right - l, cy + l / 2);
  canvas.LineTo(right, cy);
  canvas.LineTo(right - l, cy - l / 2);
  canvas.StrokePath();
}

struct Metrics {
  int h = 0, w = 0;
};

Metrics RowMetrics(platform::Canvas& canvas, const LegendContent& c) {
  Measure max = TextSize(canvas, c.maxLabel, false), nodata = TextSize(canvas, "NO DATA 1", false);
  Metrics m;
  m.h = static_cast<int>(std::ceil(max.height)) + 2;
  m.w = static_cast<int>(std::ceil(std::max(max.width, nodata.width)));
  return m;
}

}  // namespace

bool IsPointShape(int t) { return t == 1 || t == 8 || t == 11 || t == 18 || t == 21 || t == 28; }

std::string ContourIntervalText(double interval, const std::string& unit) {
  return platform::FormatStored(interval, 9) + " " + unit;
}

std::string LegendValueLabel(double value, int decimals) { return platform::FormatStored(value, decimals) + " "; }

std::string LegendClassLabel(const CThemeLegendData& legend, int index) {
  if (index == 0) return "No Data";
  return LegendValueLabel(legend.GetEntry(index).GetValue(), legend.GetDecimals());
}

LegendContent CollectLegend(const CPVN4Doc& doc) {
  LegendContent c;
  const CTheme* theme = doc.GetVisibleTheme();
  const CThemeLegendData* legend = doc.GetVisibleThemeLegend();
  if (theme && legend) {
    c.empty = false;
    c.themeName = theme->name;
    c.unitsName = legend->GetUnitsName();
    c.maxLabel = LegendValueLabel(theme->ConvertToDisplayUnits(static_cast<float>(legend->GetMaxValue()), *legend),
                                  legend->GetDecimals());
    for (int i = 0; i < legend->GetCount(); ++i) c.classes.push_back({LegendClassLabel(*legend, i), legend->GetEntry(i).GetColor()});
  }
  for (const CVectorThemeItem& item : doc.drawPriority) {
    const CVectorTheme* v = item.vectorTheme;
    if (!v || !v->visible) continue;
    LegendVectorSample s;
    s.theme = item.vectorTheme;
    s.name = v->name;
    s.shapeType = v->shapeType;
    if (IsPointShape(v->shapeType)) {
      s.colour = v->pointColor;
      s.style = v->pointSymbol;
      s.width = v->pointSize;
    } else if (v->shapeType == 5 || v->shapeType == 15 || v->shapeType == 25) {
      s.colour = v->polygonColor;
      s.style = v->polygonStyle;
      s.width = v->polygonWidth;
    } else {
      s.colour = v->lineColor;
      s.style = v->lineStyle;
      s.width = v->lineWidth;
    }
    c.vectors.push_back(std::move(s));
  }
  for (const CVectorThemeItem& item : doc.drawPriority) {
    CContourTheme* t = item.contourTheme;
    if (!t || !t->visible) continue;
    c.contours.push_back({t, t->name, ContourIntervalText(t->interval, GetUnitName(t->units)), t->color, t->lineStyle,
                          t->lineWidth});
  }
  for (const CVectorThemeItem& item : doc.drawPriority) {
    CWindVectorTheme* t = item.windVectorTheme;
    const CWVLegendData* legend = t && t->visible ? doc.FindWindVectorLegend(t) : nullptr;
    if (!legend) continue;
    LegendArrowColumn a;
    a.theme = t;
    a.name = t->name;
    a.lineWidth = legend->lineWidth;
    for (int i = 0; i < legend->GetCount(); ++i)
      a.classes.push_back({LegendValueLabel(legend->GetEntry(i).GetValue(), legend->decimals), legend->GetEntry(i).GetColor()});
    c.arrows.push_back(std::move(a));
  }
  return c;
}

platform::Image DrawLegendRows(const LegendContent& c, LegendRowsLayout* layout, LegendBox title) {
  platform::Image scratch(1, 1);
  Metrics m;
  int columnWidth = std::max(150, title.width);
  {
    platform::Canvas measure(scratch);
    m = RowMetrics(measure, c);
    for (const LegendVectorSample& v : c.vectors)
      columnWidth = std::max(columnWidth, static_cast<int>(std::ceil(TextSize(measure, v.name, true).width)) + 8);
    for (const LegendContourSample& t : c.contours)
      for (const std::string& text : {t.name, t.interval})
        columnWidth = std::max(columnWidth, static_cast<int>(std::ceil(TextSize(measure, text, true).width)) + 8);
  }
  const int titleHeight = std::max(m.h, title.height);
  const int rows = static_cast<int>(c.classes.size());
  int width = m.w + 46, height = std::max(1, 2 + rows * (m.h + 1));
  const int x0 = m.w + 49;
  if (!c.vectors.empty() || !c.contours.empty()) {
    width = std::max(width, x0 + columnWidth + 15);
    height = std::max(height, 2 + static_cast<int>(c.vectors.size()) * (titleHeight + m.h + 7) +
                                  static_cast<int>(c.contours.size()) * (titleHeight + 2 * m.h + 9));
  }
  // A column per arrow theme: its name, then a label and an arrow per class.
  std::vector<int> arrowLefts;
  for (const LegendArrowColumn& a : c.arrows) {
    arrowLefts.push_back(arrowLefts.empty() ? width + 2 : arrowLefts.back() + 165);
    width = arrowLefts.back() + 165;
    height = std::max(height, 2 + (m.h + 3) + static_cast<int>(a.classes.size()) * (m.h + 1));
  }
  platform::Image image(width, height);
  image.Fill(kFace);
  platform::Canvas canvas(image);
  int y = 2;
  for (const LegendClass& k : c.classes) {
    CentredText(canvas, k.label, 5, m.w + 7, y, m.h, false, false);
    Swatch(canvas, m.w + 12, y, 32, m.h, k.colour);
    y += m.h + 1;
  }
  std::vector<LegendBox> titles;
  const int cx = x0 + columnWidth / 2;
  y = 2;
  for (const LegendVectorSample& v : c.vectors) {
    titles.push_back({x0, y, columnWidth, titleHeight});
    CentredText(canvas, v.name, x0, x0 + columnWidth, y, titleHeight, true, false);
    Sample(canvas, v, cx, y + titleHeight + 2, m.h, 150);
    y += titleHeight + m.h + 7;
  }
  for (const LegendContourSample& t : c.contours) {
    titles.push_back({x0, y, columnWidth, titleHeight});
    CentredText(canvas, t.name, x0, x0 + columnWidth, y, titleHeight, true, false);
    CentredText(canvas, t.interval, x0, x0 + columnWidth, y + titleHeight + 2, m.h, false, false);
    StyledLine(canvas, t.colour, t.style, t.width, cx, y + titleHeight + m.h + 4 + m.h / 2, 150);
    y += titleHeight + 2 * m.h + 9;
  }
  for (std::size_t i = 0; i < c.arrows.size(); ++i) {
    const LegendArrowColumn& a = c.arrows[i];
    const int x1 = arrowLefts[i];
    CentredText(canvas, a.name, x1, x1 + 150, 2, m.h, false, false);
    int ay = 2 + m.h + 3;
    for (const LegendClass& k : a.classes) {
      CentredText(canvas, k.label, x1, x1 + 70, ay, m.h, false, false);
      Arrow(canvas, k.colour, a.lineWidth, x1 + 90, x1 + 120, ay + m.h / 2.0);
      ay += m.h + 1;
    }
  }
  if (layout) *layout = LegendRowsLayout{m.h, m.w, m.w + 12, m.w + 44, 2, x0, arrowLefts, titles};
  return image;
}

platform::Image DrawLegendPicture(const LegendContent& c, LegendRowsLayout* layout) {
  platform::Image scratch(200, 200);
  Metrics m;
  int k = 0;
  {
    platform::Canvas measure(scratch);
    m = RowMetrics(measure, c);
    const double names = std::max(TextSize(measure, c.themeName, true).width, TextSize(measure, c.unitsName, false).width);
    k = std::max(m.w + 46, static_cast<int>(std::ceil(names)) + 4);
  }
  const int v = 2 * static_cast<int>(c.vectors.size()) + 3 * static_cast<int>(c.contours.size());
  const int rows = static_cast<int>(c.classes.size());
  const int width = v > 0 ? 2 * k + 4 : k + 2;
  // Room for the name, the units and every class below them.
  const int height = std::max((rows + 3) * m.h + 2, (v + 1) * m.h);
  platform::Image image(width, height);
  image.Fill(kFace);
  platform::Canvas canvas(image);
  CentredText(canvas, c.themeName, 0, k, 0, m.h, true, true);
  CentredText(canvas, c.unitsName, 0, k, m.h, m.h, false, true);
  for (int i = 0; i < rows; ++i) {
    const int y = 3 * m.h + i * m.h;
    Measure t = TextSize(canvas, c.classes[i].label, false);
    canvas.SetColour(kWhite);
    canvas.FillRect(5, y, t.width, t.height);
    canvas.SetColour(kBlack);
    canvas.DrawText(5, y + t.height * 0.8, c.classes[i].label, kFontSize, false);
    Swatch(canvas, m.w + 12, y, 32, m.h - 2, c.classes[i].colour);
  }
  const int cx = k + k / 2;
  int y = m.h;
  for (const LegendVectorSample& s : c.vectors) {
    CentredText(canvas, s.name, k, 2 * k, y - m.h, m.h, true, true);
    Sample(canvas, s, cx, y, m.h, k);
    y += 2 * m.h;
  }
  for (const LegendContourSample& t : c.contours) {
    CentredText(canvas, t.name, k, 2 * k, y - m.h, m.h, true, true);
    CentredText(canvas, t.interval, k, 2 * k, y, m.h, false, true);
    StyledLine(canvas, t.colour, t.style, t.width, cx, (2 * y + 3 * m.h) / 2, k);
    y += 3 * m.h;
  }
  if (layout) *layout = LegendRowsLayout{m.h, m.w, m.w + 12, m.w + 44, 3 * m.h, k, {}};
  return image;
}

}  // namespace views

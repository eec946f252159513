// The KML folders of a run's overlays: travel paths, ignitions, barriers and perimeters as
// line strings, arrival contours, arrows of wind, spread and spot vectors, and spot landings.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "project/document.h"
#include "runs/run.h"
#include "themes/contour_theme.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "views/kmz_export.h"
#include "views/kmz_internal.h"

namespace views {

double ArrowInterval(double u) {
  if (u < 30) return 60;
  const double e = std::min(u, 3000.0);
  if (e <= 300) return std::floor(e / 30 + 1) * 30;
  if (e <= 600) return std::floor(e * 0.02 + 0.5) * 50;
  if (e <= 1500) return std::floor(e * 0.01 + 0.25) * 100;
  return std::floor(e * 0.002 + 0.1) * 500;
}

namespace {

// A polygon theme draws with its outline pen, any other with its line pen.
void PenOf(const CVectorTheme& t, int& width, COLORREF& colour, int& style) {
  if (t.shapeType == shape_type::kPolygon) {
    width = t.polygonWidth;
    colour = t.polygonColor;
    style = t.polygonStyle;
  } else {
    width = t.lineWidth;
    colour = t.lineColor;
    style = t.lineStyle;
  }
}

void Style(KmzBuilder& b, const std::string& id, int width, COLORREF c) {
  const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, bl = (c >> 16) & 0xFF;
  b.Print("\t\t<Style id=\"%s\">\n\t\t\t<IconStyle>\n\t\t\t\t<scale>1.0</scale>\n\t\t\t\t<heading>0.0</heading>\n\t\t\t\t<Icon>\n"
          "\t\t\t\t\t<href></href>\n\t\t\t\t\t<refreshInterval>0.0</refreshInterval>\n\t\t\t\t\t<viewRefreshTime>0.0</viewRefreshTime>\n"
          "\t\t\t\t\t<viewBoundScale>0.0</viewBoundScale>\n\t\t\t\t</Icon>\n\t\t\t</IconStyle>\n\t\t\t<LabelStyle>\n",
          id.c_str());
  b.Print("\t\t\t\t<color>ff%02x%02x%02x</color>\n\t\t\t\t<scale>1.0</scale>\n\t\t\t</LabelStyle>\n\t\t\t<LineStyle>\n", bl, g, r);
  b.Print("\t\t\t\t<color>ff%02x%02x%02x</color>\n\t\t\t\t<width>%d</width>\n\t\t\t</LineStyle>\n", bl, g, r, width);
  b.Print("\t\t\t<PolyStyle>\n\t\t\t\t<color>000000ff</color>\n\t\t\t\t<fill>1</fill>\n\t\t\t\t<outline>1</outline>\n"
          "\t\t\t</PolyStyle>\n\t\t</Style>\n");
}

// The vector themes of a run in the document's order, with their folder names and styles.
struct VectorFolder {
  CVectorTheme* CRun::*theme;
  const char* name;
  const char* style;
  bool perimeters;
};
constexpr VectorFolder kVectorFolders[] = {
    {&CRun::majorPaths, "Major Paths", "MajorPathStyle", false},
    {&CRun::flowPaths, "Flow Paths", "FlowPathStyle", false},
    {&CRun::mttIgnitions, "MTT Ignitions", "MTTIgnitionsStyle", false},
    {&CRun::mttBarriers, "MTT Barriers", "MTTBarriersStyle", false},
    {&CRun::tomIgnitions, "TOM Ignitions", "TreatIgnitionsStyle", false},
    {&CRun::embrithIgnitions, "Embrith Ignitions", "EmbrithIgnitionsStyle", false},
    {&CRun::embrithPerimeters, "Embrith Perimeters", "EmbrithPerimsStyle", true},
    {&CRun::embrithBarriers, "Embrith Barriers", "EmbrithBarriersStyle", false},
};

bool Shown(const CVectorTheme* t) { return t && t->visible; }

class LineWriter {
 public:
  LineWriter(KmzBuilder& b) : b_(b) {}
  void Begin() {
    b_.Print("\t\t\t\t\t<LineString>\n\t\t\t\t\t\t<extrude>1</extrude>\n\t\t\t\t\t\t<altitudeMode>clampToGround</altitudeMode>\n"
             "\t\t\t\t\t\t<coordinates>");
    first_ = true;
  }
  void Point(double x, double y) {
    b_.Transform(x, y);
    b_.Print(first_ ? "%f,%f" : " %f,%f", x, y);
    first_ = false;
  }
  void End() { b_.Print("</coordinates>\n\t\t\t\t\t</LineString>\n"); }

 private:
  KmzBuilder& b_;
  bool first_ = true;
};

void FolderHead(KmzBuilder& b, const std::string& name, const std::string& style) {
  const std::string id = b.UniqueId(name);
  b.Print("\t\t<Folder targetId=\"%s\" id=\"%s\">\n\t\t\t<name>%s</name>\n", id.c_str(), id.c_str(), XmlEscape(name).c_str());
  b.Print("\t\t\t<visibility>1</visibility>\n\t\t\t<description></description>\n\t\t\t<styleUrl>#CHECK_HIDE_CHILDREN</styleUrl>\n");
  b.Print("\t\t\t<Placemark id=\"%s\">\n\t\t\t\t<name>%s</name>\n", b.UniqueId(name).c_str(), XmlEscape(name).c_str());
  b.Print("\t\t\t\t<visibility>1</visibility>\n\t\t\t\t<snippet></snippet>\n\t\t\t\t<description></description>\n");
  b.Print("\t\t\t\t<styleUrl>#%s</styleUrl>\n\t\t\t\t<MultiGeometry>\n", style.c_str());
}

void FolderTail(KmzBuilder& b, const std::string& symbol) {
  b.Print("\t\t\t\t</MultiGeometry>\n\t\t\t</Placemark>\n\t\t\t<Icon>\n\t\t\t\t<href>%s</href>\n", XmlEscape(symbol).c_str());
  b.Print("\t\t\t\t<refreshInterval>0.0</refreshInterval>\n\t\t\t\t<viewRefreshTime>0.0</viewRefreshTime>\n"
          "\t\t\t\t<viewBoundScale>0.0</viewBoundScale>\n\t\t\t</Icon>\n\t\t</Folder>\n");
}

// Points every `step` map units along each edge of the shapes' parts, so long edges follow
// the curvature of the projection.
void ShapeLines(KmzBuilder& b, const VectorShape& s, double step) {
  // Points have no parts to draw.
  if (IsPointType(s.type)) return;
  LineWriter w(b);
  for (int p = 0; p < s.PartCount(); ++p) {
    int begin = 0, end = 0;
    s.PartRange(p, begin, end);
    if (end - begin < 2) continue;
    w.Begin();
    for (int i = begin; i < end; ++i) {
      const double x = s.x[static_cast<std::size_t>(i)], y = s.y[static_cast<std::size_t>(i)];
      if (i > begin && step > 0) {
        const double px = s.x[static_cast<std::size_t>(i - 1)], py = s.y[static_cast<std::size_t>(i - 1)];
        const double dx = x - px, dy = y - py, d = std::sqrt(dx * dx + dy * dy);
        if (d > step) {
          const int n = static_cast<int>(d / step + 1);
          for (int k = 1; k < n; ++k) w.Point(px + k * dx / n, py + k * dy / n);
        }
      }
      w.Point(x, y);
    }
    w.End();
  }
}

void VectorThemeFolder(KmzBuilder& b, const CVectorTheme& t, const std::string& style, const std::string& name,
                       double step, bool perimeters) {
  int width = 1, penStyle = 0;
  COLORREF colour = 0;
  PenOf(t, width, colour, penStyle);
  const std::string symbol = b.AddImage(style, "Symbol", MakeLineSymbol(colour, width, penStyle));
  FolderHead(b, name, style);
  if (perimeters) {
    for (int index : t.displayList)
      if (index >= 0 && index < t.ShapeCount() && t.shapes[static_cast<std::size_t>(index)])
        ShapeLines(b, *t.shapes[static_cast<std::size_t>(index)], step);
  } else {
    for (const auto& s : t.shapes)
      if (s) ShapeLines(b, *s, step);
  }
  FolderTail(b, symbol);
}

void ContourFolder(KmzBuilder& b, const CContourTheme& t, const std::string& style) {
  const std::string symbol = b.AddImage(style, "Symbol", MakeLineSymbol(t.color, t.lineWidth, t.lineStyle));
  FolderHead(b, "Arrival Contours", style);
  LineWriter w(b);
  for (const ContourLine& line : t.lines) {
    if (line.points.empty()) continue;
    w.Begin();
    for (const auto& p : line.points) w.Point(p.x, p.y);
    w.End();
  }
  FolderTail(b, symbol);
}

void SpotFolder(KmzBuilder& b, const CVectorTheme& t, const std::string& style, const std::string& name) {
  const std::string symbol = b.AddImage(style, "Symbol", MakeDiamondSymbol(t.pointColor));
  FolderHead(b, name, style);
  LineWriter w(b);
  const double r = t.pointSize;
  for (const auto& s : t.shapes) {
    if (!s || s->x.empty()) continue;
    const double x = s->x[0], y = s->y[0];
    w.Begin();
    w.Point(x, y + r);
    w.Point(x - r, y);
    w.Point(x, y - r);
    w.Point(x + r, y);
    w.Point(x, y + r);
    w.End();
  }
  FolderTail(b, symbol);
}

// ---- arrows --------------------------------------------------------------------------------

void ArrowFolder(KmzBuilder& b, const CWindVectorTheme& t, const CWVLegendData* legend, const std::string& wantedStyle,
                 const std::string& name) {
  // Two folders of one kind get two sets of class styles and images.
  const std::string style = b.UniqueId(wantedStyle);
  for (int j = 0; legend && j < legend->GetCount(); ++j) b.UniqueId(style + std::to_string(j));
  const platform::Image legendImage = legend ? MakeKmzArrowLegendImage(t, *legend) : platform::Image();
  const std::string legendEntry = b.AddImage(style, "Legend", legendImage);
  b.AddImage(style, "Symbol", MakeArrowSymbol());
  const std::string id = b.UniqueId(name);
  b.Print("\t\t<Folder targetId=\"%s\" id=\"%s\">\n\t\t\t<name>%s</name>\n\t\t\t<visibility>0</visibility>\n", id.c_str(),
          id.c_str(), XmlEscape(name).c_str());
  b.Print("\t\t\t\t<ScreenOverlay>\n\t\t\t\t\t<name>%s Legend</name>\n\t\t\t\t\t<visibility>0</visibility>\n"
          "\t\t\t\t\t<drawOrder>0</drawOrder>\n\t\t\t\t\t<Icon>\n\t\t\t\t\t\t<href>%s</href>\n",
          XmlEscape(name).c_str(), XmlEscape(legendEntry).c_str());
  b.Print("\t\t\t\t\t\t<refreshInterval>0.0</refreshInterval>\n\t\t\t\t\t\t<viewRefreshTime>0.0</viewRefreshTime>\n"
          "\t\t\t\t\t\t<viewBoundScale>0.0</viewBoundScale>\n\t\t\t\t\t</Icon>\n"
          "\t\t\t\t\t<overlayXY yunits=\"fraction\" xunits=\"fraction\" y=\"1.0\" x=\"0.0\"/>\n"
          "\t\t\t\t\t<screenXY yunits=\"fraction\" xunits=\"fraction\" y=\"1.0\" x=\"0.0\"/>\n");
  b.Print("\t\t\t\t\t<size yunits=\"pixels\" xunits=\"pixels\" y=\"%f\" x=\"%f\"/>\n\t\t\t\t\t<rotation>0.0</rotation>\n"
          "\t\t\t\t</ScreenOverlay>\n", static_cast<double>(legendImage.Height()), static_cast<double>(legendImage.Width()));
  double wx = t.west, ny = t.north, ex = t.east, sy = t.south;
  b.Transform(wx, ny);
  b.Transform(ex, sy);
  b.Print("\t\t\t<Region>\n\t\t\t\t<LatLonAltBox>\n\t\t\t\t\t<north>%f</north>\n\t\t\t\t\t<south>%f</south>\n"
          "\t\t\t\t\t<east>%f</east>\n\t\t\t\t\t<west>%f</west>\n\t\t\t\t</LatLonAltBox>\n\t\t\t</Region>\n", ny, sy, ex, wx);
  const int classes = legend ? legend->GetCount() : 0;
  for (int j = 0; j < classes; ++j) {
    const COLORREF c = legend->GetEntry(j).GetColor();
    const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, bl = (c >> 16) & 0xFF;
    b.Print("\t\t\t<Style id=\"%s%d\">\n\t\t\t\t<LineStyle>\n\t\t\t\t\t<color>ff%02x%02x%02x</color>\n\t\t\t\t\t<width>2</width>\n"
            "\t\t\t\t</LineStyle>\n\t\t\t\t<PolyStyle>\n\t\t\t\t\t<color>ff%02x%02x%02x</color>\n\t\t\t\t</PolyStyle>\n\t\t\t</Style>\n",
            style.c_str(), j, bl, g, r, bl, g, r);
  }
  b.Print("\t\t\t<Folder>\n\t\t\t\t<name>Data Points</name>\n\t\t\t\t<visibility>0</visibility>\n\t\t\t\t<Style>\n"
          "\t\t\t\t\t<ListStyle>\n\t\t\t\t\t\t<listItemType>checkHideChildren</listItemType>\n\t\t\t\t\t</ListStyle>\n\t\t\t\t</Style>\n");
  if (!t.cells.empty() && t.rows > 0 && t.columns > 0) {
    const int cols = t.columns, rows = t.rows;
    const double o = (t.east - t.west) / cols;
    const double u = std::sqrt(rows * o * cols * o * 0.0001);
    const double G = std::max(ArrowInterval(u), o);
    const double D = G / o;
    const int nc = static_cast<int>((1 / D) * cols), nr = static_cast<int>((1 / D) * rows);
    const int altitude = static_cast<int>(G * 0.25);
    auto unit = [](double bearing, double& ux, double& uy) {
      const double a = bearing * std::numbers::pi / 180;
      ux = std::sin(a);
      uy = std::cos(a);
    };
    for (int K = 0; K < nr; ++K)
      for (int i = 0; i < nc; ++i) {
        const int row = std::clamp(static_cast<int>(std::floor(K * D) + D / 2 - 1), 0, rows - 1);
        const int col = std::clamp(static_cast<int>(std::floor(i * D) + D / 2 - 1), 0, cols - 1);
        const CWindVectorCell& cell = t.cells[static_cast<std::size_t>(row) * cols + col];
        const double m = cell.magnitude;
        const int d = cell.direction;
        if (!cell.IsValid() || std::isnan(m) || m < 0 || (t.spot && m == 0)) continue;
        int j = 0;
        double f = 0.5;
        if (classes > 0) {
          // Classes hold display units: the base-unit magnitude is converted to find its class.
          const double shown = ConvertArrowUnits(t.kind, m, 0, legend->units);
          j = classes - 1;
          for (int k = 0; k < classes; ++k)
            if (legend->GetEntry(k).GetValue() >= shown) {
              j = k;
              break;
            }
          f = classes > 1 ? 0.165 + 0.335 * j / (classes - 1) : 0.5;
        }
        const double cx = t.west + i * G + G / 2 - o / 2, cy = t.south + (K + 0.5) * G - o / 2;
        double px[5], py[5];
        bool square = false;
        if (!t.spot && m != 0) {
          const double bearing = d > 180 ? d - 180 : d + 180;
          double ux, uy, wx2, wy2;
          unit(bearing, ux, uy);
          unit(bearing + 90, wx2, wy2);
          const double V = G * f, X = 0.4 * f * G;
          const double tx = cx + V * ux, ty = cy + V * uy;
          px[0] = cx + (V - X) * ux + X * wx2, py[0] = cy + (V - X) * uy + X * wy2;
          px[1] = tx, py[1] = ty;
          px[2] = cx + (V - X) * ux - X * wx2, py[2] = cy + (V - X) * uy - X * wy2;
          px[3] = tx, py[3] = ty;
          px[4] = cx - V * ux, py[4] = cy - V * uy;
        } else if (!t.spot) {
          square = true;
          const double h = G * 0.0625;
          const double sx[5] = {cx - h, cx + h, cx + h, cx - h, cx - h}, syy[5] = {cy + h, cy + h, cy - h, cy - h, cy + h};
          std::copy(sx, sx + 5, px);
          std::copy(syy, syy + 5, py);
        } else {
          double ux, uy, wx2, wy2;
          unit(d, ux, uy);
          unit(d + 90.0, wx2, wy2);
          const double sx = cell.x, sy2 = cell.y;
          const double tx = sx + m * ux, ty = sy2 + m * uy;
          const double L = G * f, X = 0.4 * L;
          px[0] = tx - (L - X) * ux - X * wx2, py[0] = ty - (L - X) * uy - X * wy2;
          px[1] = tx, py[1] = ty;
          px[2] = tx - (L - X) * ux + X * wx2, py[2] = ty - (L - X) * uy + X * wy2;
          px[3] = tx, py[3] = ty;
          px[4] = sx, py[4] = sy2;
        }
        b.Print("\t\t\t<Placemark>");
        const char* what = t.spot ? "Distance" : "Speed";
        if (m > 0 && m < 1)
          b.Print("\n\t\t\t\t<description>%s: %3.1f, Direction: %d</description>", what, m, d);
        else
          b.Print("\n\t\t\t\t<description>%s: %d, Direction: %d</description>", what, static_cast<int>(m), d);
        b.Print("\n\t\t\t\t<styleUrl>#%s%d</styleUrl>\n\t\t\t\t<LineString>\n\t\t\t\t<extrude>0</extrude>"
                "\n\t\t\t\t<altitudeMode>relativeToGround</altitudeMode>\n\t\t\t\t<coordinates>\n", style.c_str(), j);
        for (int k = 0; k < 5; ++k) {
          b.Transform(px[k], py[k]);
          b.Print("\t\t\t\t\t%.6lf,%.6lf,%d\n", px[k], py[k], altitude);
        }
        b.Print("\t\t\t\t</coordinates>\n\t\t\t\t</LineString>\n%s", square ? "</Placemark>\n" : "\t\t\t</Placemark>\n");
      }
  }
  b.Print("\t\t\t</Folder>\n\t\t</Folder>\n");
}

}  // namespace

void WriteRunVectorStyles(KmzBuilder& b, CRun& run) {
  auto& ids = b.styleIds;
  // In the order the folders' styles are listed: paths, ignitions and barriers, contours,
  // fire-growth ignitions, barriers and perimeters, spots.
  const int order[] = {0, 1, 2, 3, 4};
  for (int k : order) {
    const CVectorTheme* t = run.*kVectorFolders[k].theme;
    if (!Shown(t)) continue;
    int width = 1, style = 0;
    COLORREF colour = 0;
    if (k <= 1) {
      width = t->lineWidth;
      colour = t->lineColor;
    } else {
      PenOf(*t, width, colour, style);
    }
    const std::string& id = ids[kVectorFolders[k].style] = b.UniqueId(kVectorFolders[k].style);
    Style(b, id, width, colour);
  }
  if (run.arrivalContour && run.arrivalContour->visible) {
    const std::string& id = ids["ArrivalContoursStyle"] = b.UniqueId("ArrivalContoursStyle");
    Style(b, id, run.arrivalContour->lineWidth, run.arrivalContour->color);
  }
  for (int k : {5, 7, 6}) {
    const CVectorTheme* t = run.*kVectorFolders[k].theme;
    if (!Shown(t)) continue;
    int width = 1, style = 0;
    COLORREF colour = 0;
    if (k == 6) {
      width = t->lineWidth;
      colour = t->lineColor;
    } else {
      PenOf(*t, width, colour, style);
    }
    const std::string& id = ids[kVectorFolders[k].style] = b.UniqueId(kVectorFolders[k].style);
    Style(b, id, width, colour);
  }
  if (Shown(run.spotLocations)) {
    const std::string& id = ids["EmbrithSpotsStyle"] = b.UniqueId("EmbrithSpotsStyle");
    Style(b, id, run.spotLocations->pointSize, run.spotLocations->pointColor);
  }
}

void WriteRunOverlayFolders(KmzBuilder& b, CRun& run, double densifyStep) {
  auto& ids = b.styleIds;
  for (const VectorFolder& f : kVectorFolders) {
    const CVectorTheme* t = run.*f.theme;
    if (Shown(t) && ids.count(f.style)) VectorThemeFolder(b, *t, ids[f.style], f.name, densifyStep, f.perimeters);
  }
  if (run.arrivalContour && run.arrivalContour->visible && ids.count("ArrivalContoursStyle"))
    ContourFolder(b, *run.arrivalContour, ids["ArrivalContoursStyle"]);
  struct Arrow {
    CWindVectorTheme* theme;
    const char* name;
    const char* style;
  };
  const Arrow arrows[] = {
      {run.windVectors, "Wind Vectors", "WindVectorStyle"},
      {run.maxSpotVectors, "Max Spot Vectors", "SpotVectorStyle"},
      {run.spreadVectors, "Spread Vectors", "SpreadVectorStyle"},
      {run.isEmbrith ? run.embrithWindVectors : nullptr, "Embrith Wind Vectors", "WindVectorStyle"},
      {run.isEmbrith ? run.embrithSpreadVectors : nullptr, "Embrith Spread Vectors", "SpreadVectorStyle"},
  };
  for (const Arrow& a : arrows)
    if (a.theme && a.theme->visible) ArrowFolder(b, *a.theme, b.doc.FindWindVectorLegend(a.theme), a.style, a.name);
  if (Shown(run.spotLocations) && ids.count("EmbrithSpotsStyle"))
    SpotFolder(b, *run.spotLocations, ids["EmbrithSpotsStyle"], run.isEmbrith ? "Embrith Spot Locations" : "Ember Landing Locations");
}

}  // namespace views

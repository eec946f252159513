#include "project/property_texts.h"

#include <cmath>

#include "platform/numbers.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/theme.h"

namespace project {

namespace {

std::string Edge(double value) { return platform::FormatC("%.6f", value); }
std::string Count(long value) { return platform::FormatC("%ld", value); }

// The area's cell window in the fuel-model layer. An area always gets one per landscape
// layer, but should that one be missing another landscape layer's window (which is the
// same) is used, and failing that the window is worked out from the aligned extent, so
// that the counts are never those of a placeholder window.
void AreaCellCounts(const CPVN4Doc& doc, const CPyrvane2WorkArea& area, long& east, long& north) {
  const CTheme* fuel = area.GetThemeByLayerType(landscape::kFuelModel);
  for (const CThemeRect& r : area.themeRects)
    if (fuel && r.theme == fuel) {
      east = r.lastColumn - r.firstColumn + 1;
      north = r.lastRow - r.firstRow + 1;
      return;
    }
  for (const CThemeRect& r : area.themeRects)
    if (r.theme && r.theme->layerType < 10) {
      east = r.lastColumn - r.firstColumn + 1;
      north = r.lastRow - r.firstRow + 1;
      return;
    }
  const CHeaderData& h = doc.landscape.header;
  east = h.cellWidth > 0 ? std::lround((area.east - area.west) / h.cellWidth) : 0;
  north = h.cellHeight > 0 ? std::lround((area.north - area.south) / h.cellHeight) : 0;
}

}  // namespace

PropertyTexts MakePropertyTexts(const CPVN4Doc& doc, const CPyrvane2WorkArea* area) {
  PropertyTexts t;
  if (!doc.IsLandscapeLoaded()) {
    t.path = "No Landscape File";
    return t;
  }
  const CHeaderData& h = doc.landscape.header;
  t.path = doc.landscape.path;
  t.cellSizeX = platform::FormatC("%.0f", h.cellWidth);
  t.cellSizeY = platform::FormatC("%.0f", h.cellHeight);
  t.latitude = Count(h.latitude);
  if (!area) {
    t.east = Edge(h.east);
    t.north = Edge(h.north);
    t.south = Edge(h.south);
    t.west = Edge(h.west);
    t.cellsEast = Count(h.columns);
    t.cellsNorth = Count(h.rows);
    t.caption = doc.title;
    return t;
  }
  t.east = Edge(area->east);
  t.north = Edge(area->north);
  t.south = Edge(area->south);
  t.west = Edge(area->west);
  long east = 0, north = 0;
  AreaCellCounts(doc, *area, east, north);
  t.cellsEast = Count(east);
  t.cellsNorth = Count(north);
  t.caption = area->name;
  return t;
}

namespace {

// Largest prefix length <= n that does not split a UTF-8 sequence.
std::size_t CharBoundary(const std::string& s, std::size_t n) {
  while (n > 0 && n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return n;
}

// The longest prefix of text followed by suffix that fits; false when not even the suffix
// alone fits.
bool LongestFit(const std::string& text, const std::string& suffix, double maxWidth,
                const std::function<double(const std::string&)>& width, std::string& out) {
  if (width(suffix) > maxWidth) return false;
  // Widths grow with the prefix, so the longest fitting prefix is found by halving.
  std::size_t lo = 0, hi = text.size();
  while (lo < hi) {
    const std::size_t mid = (lo + hi + 1) / 2;
    if (width(text.substr(0, CharBoundary(text, mid)) + suffix) <= maxWidth)
      lo = mid;
    else
      hi = mid - 1;
  }
  out = text.substr(0, CharBoundary(text, lo)) + suffix;
  return true;
}

}  // namespace

std::string CompactPath(const std::string& path, double maxWidth,
                        const std::function<double(const std::string&)>& width) {
  if (width(path) <= maxWidth) return path;
  const std::size_t sep = path.find_last_of("/\\");
  const std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep);
  const std::string name = sep == std::string::npos ? path : path.substr(sep + 1);
  std::string out;
  if (sep != std::string::npos && LongestFit(folder, "..." + path.substr(sep), maxWidth, width, out))
    return out;
  if (LongestFit(name, "...", maxWidth, width, out)) return out;
  return "...";
}

}  // namespace project

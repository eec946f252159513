// The KMZ of a run or of an analysis area's landscape: doc.kml, written in a fixed order
// while the images it names are made, and the archive written whole at the end.
#include "views/kmz_export.h"

#include <ogr_spatialref.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

#include "landscape/geo.h"
#include "platform/date_time.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "views/kmz_internal.h"
#include "zip/zip_archive.h"

namespace views {

// ---- text -------------------------------------------------------------------------------

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '>': out += "&gt;"; break;
        case '<': out += "&lt;"; break;
        default:
          if (c >= 0x20 || c == '\t' || c == '\n') out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    // A whole UTF-8 sequence is kept; a broken one becomes '?'.
    int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    bool ok = len > 0 && i + len <= n;
    for (int k = 1; ok && k < len; ++k) ok = (s[i + k] & 0xC0) == 0x80;
    if (ok && len == 3 && c == 0xE0) ok = s[i + 1] >= 0xA0;
    if (ok && len == 3 && c == 0xED) ok = s[i + 1] < 0xA0;
    if (ok && len == 4 && c == 0xF0) ok = s[i + 1] >= 0x90;
    if (ok && len == 4 && c == 0xF4) ok = s[i + 1] < 0x90;
    if (ok) {
      out.append(text, i, static_cast<std::size_t>(len));
      i += static_cast<std::size_t>(len);
    } else {
      out += '?';
      ++i;
    }
  }
  return out;
}

std::string SafeEntryStem(const std::string& name) {
  std::string out;
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == ' ') continue;
    out += std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '(' || c == ')' ? static_cast<char>(c) : '_';
  }
  // No name of dots alone, and nothing hidden.
  if (out.empty() || out.find_first_not_of('.') == std::string::npos) out = "_" + out;
  if (out.front() == '.') out.front() = '_';
  if (out.size() > 100) out.resize(100);
  return out;
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string VFormat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  return out;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = VFormat(format, args);
  va_end(args);
  return out;
}

}  // namespace

// ---- the builder ------------------------------------------------------------------------

KmzBuilder::KmzBuilder(CPVN4Doc& d) : doc(d) {
  produced = platform::OleDateTime::Now().Format();
  projection = d.HasProjection() ? landscape::NormalizeWkt(d.landscape.projection) : std::string();
  OGRSpatialReference source, target;
  if (projection.empty() || source.importFromWkt(projection.c_str()) != OGRERR_NONE)
    throw KmzFailure(kNoProjectionMessage);
  target.SetWellKnownGeogCS("WGS84");
  source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  transform_.reset(OGRCreateCoordinateTransformation(&source, &target));
  if (!transform_) throw KmzFailure(kNoTransformMessage);
}

KmzBuilder::~KmzBuilder() = default;

void KmzBuilder::Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  kml_ += VFormat(format, args);
  va_end(args);
}

void KmzBuilder::Transform(double& x, double& y) const {
  if (!transform_->Transform(1, &x, &y) || !std::isfinite(x) || !std::isfinite(y))
    throw KmzFailure(kNoTransformMessage);
}

std::string KmzBuilder::UniqueStem(const std::string& name, const std::vector<std::string>& suffixes) {
  const std::string base = SafeEntryStem(name);
  for (int k = 1;; ++k) {
    const std::string stem = k == 1 ? base : base + "_" + std::to_string(k);
    bool free = true;
    for (const std::string& s : suffixes) free = free && !names_.count(Lower("Images/" + stem + s + ".png"));
    if (free) return stem;
  }
}

std::string KmzBuilder::AddImage(const std::string& stem, const std::string& suffix, const platform::Image& image) {
  std::string bytes;
  // An empty legend still gets a picture, so that the document names no missing entry.
  const platform::Image blank(1, 1);
  if (!(image.IsEmpty() ? blank : image).EncodePng(bytes)) throw KmzFailure("Unable to create image.");
  return AddPng(stem, suffix, std::move(bytes));
}

std::string KmzBuilder::AddPng(const std::string& stem, const std::string& suffix, std::string png) {
  const std::string unique = UniqueStem(stem, {suffix});
  const std::string name = "Images/" + unique + suffix + ".png";
  names_.insert(Lower(name));
  entries_.push_back(Entry{name, std::move(png)});
  return name;
}

std::string KmzBuilder::UniqueId(const std::string& wanted) {
  const std::string base = XmlEscape(wanted);
  for (int k = 1;; ++k) {
    std::string id = k == 1 ? base : base + "_" + std::to_string(k);
    if (ids_.insert(id).second) return id;
  }
}

void KmzBuilder::WriteArchive(const std::string& path) {
  CZipArchive zip;
  try {
    zip.Open(path, CZipArchive::zipCreate);
    CZipMemFile folder;
    if (!zip.AddNewFileFromMemory(&folder, "Images/", 0)) throw KmzFailure("Error writing " + path);
    for (const Entry& e : entries_) {
      CZipMemFile data(e.bytes.data(), static_cast<std::uint32_t>(e.bytes.size()));
      // PNG data is deflated already: stored, it costs nothing to read and no time to write.
      if (!zip.AddNewFileFromMemory(&data, e.name, 0)) throw KmzFailure("Error writing " + path);
    }
    CZipMemFile doc(kml_.data(), static_cast<std::uint32_t>(kml_.size()));
    if (!zip.AddNewFileFromMemory(&doc, "doc.kml", -1)) throw KmzFailure("Error writing " + path);
    zip.Close();
  } catch (const CZipException& e) {
    zip.Close(CZipArchive::closeAfterException);
    throw KmzFailure("Error writing " + path + ": " + e.GetDescription());
  } catch (...) {
    zip.Close(CZipArchive::closeAfterException);
    throw;
  }
}

namespace {

// ---- shared pieces of both documents -----------------------------------------------------

void Head(KmzBuilder& b, const std::string& name) {
  b.Print("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
  b.Print("<kml  xmlns:gx=\"http://www.google.com/kml/ext/2.2\" xmlns:atom=\"http://www.w3.org/2005/Atom\" "
          "xmlns=\"http://www.opengis.net/kml/2.2\">\n");
  b.Print("\t<Document>\n\t\t<name>%s</name>\n", XmlEscape(name).c_str());
}

void IconStyle(KmzBuilder& b, const std::string& icon) {
  b.Print("\t\t<Style id=\"%s\">\n", b.UniqueId("PvnIconStyle").c_str());
  b.Print("\t\t\t<IconStyle>\n\t\t\t\t<scale>1.0</scale>\n\t\t\t\t<heading>0.0</heading>\n\t\t\t\t<Icon>\n");
  b.Print("\t\t\t\t\t<href>%s</href>\n", XmlEscape(icon).c_str());
  b.Print("\t\t\t\t\t<refreshInterval>0.0</refreshInterval>\n\t\t\t\t\t<viewRefreshTime>0.0</viewRefreshTime>\n"
          "\t\t\t\t\t<viewBoundScale>0.0</viewBoundScale>\n\t\t\t\t</Icon>\n\t\t\t</IconStyle>\n");
  b.Print("\t\t\t<LabelStyle>\n\t\t\t\t<color>7fffaaff</color>\n\t\t\t\t<scale>1.0</scale>\n\t\t\t</LabelStyle>\n\t\t</Style>\n");
}

void ListStyle(KmzBuilder& b, const char* type) {
  b.Print("\t\t\t<Style>\n\t\t\t\t<ListStyle>\n\t\t\t\t\t<listItemType>%s</listItemType>\n\t\t\t\t</ListStyle>\n\t\t\t</Style>\n", type);
}

void Placemark(KmzBuilder& b, const std::string& name, const std::string& rows, double lon, double lat) {
  b.Print("\t\t\t<Placemark id=\"%s\">\n", b.UniqueId(name).c_str());
  b.Print("\t\t\t\t<name>%s</name>\n\t\t\t\t<visibility>1</visibility>\n\t\t\t\t<snippet></snippet>\n", XmlEscape(name).c_str());
  b.Print("\t\t\t\t<description><![CDATA[<table cellpadding=\"1\" cellspacing=\"1\">\n%s</table>]]>\n", rows.c_str());
  b.Print("\t\t\t\t</description>\n\t\t\t\t<styleUrl>#PvnIconStyle</styleUrl>\n\t\t\t\t<Point>\n");
  b.Print("\t\t\t\t\t<coordinates>%.5f,%.5f</coordinates>\n\t\t\t\t</Point>\n\t\t\t</Placemark>\n", lon, lat);
}

CellWindow WindowOf(const CPyrvane2WorkArea& area, const CTheme* theme) { return area.GetThemeRect(theme).Window(); }

std::string Fixed(double v, int decimals) { return Format("%.*f", std::clamp(decimals, 0, 20), v); }

// Themes listed in a landscape description, with their legends.
struct ListedTheme {
  CTheme* theme;
  const CThemeLegendData* legend;
};

std::string LandscapeRows(KmzBuilder& b, const CPyrvane2WorkArea& area, const std::vector<ListedTheme>& themes,
                          bool produced, double lon, double lat) {
  const CPVN4Doc& doc = b.doc;
  std::string rows;
  if (produced)
    rows += Format("<tr><td><B>Produced:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n", XmlEscape(b.produced).c_str());
  rows += Format("<tr><td><B>Latitude:</B></td><td nowrap=\"nowrap\">%.4f</td><td><B>Longitude:</B></td>"
                 "<td nowrap=\"nowrap\">%.4f</td></tr>", lat, lon);
  rows += Format("<tr><td nowrap=\"nowrap\"><B>Cell Size:</B></td><td nowrap=\"nowrap\">%.1f %s</td></tr>",
                 doc.landscape.header.cellWidth, doc.landscape.header.gridUnits == 0 ? "meters" : "feet");
  CellWindow w{0, 0, 1, 1};
  if (doc.IsLandscapeLoaded()) w = area.GetLandscapeRect().Window();
  rows += Format("<tr><td nowrap=\"nowrap\"><B>Cells East:</B></td><td>%d</td><td nowrap=\"nowrap\"><B>Cells North:</B>"
                 "</td><td>%d</td></tr>\n", w.lastColumn - w.firstColumn + 1, w.lastRow - w.firstRow + 1);
  rows += "<tr><td nowrap=\"nowrap\"><B>Themes Present</B></td></tr>";
  rows += "<tr><td nowrap=\"nowrap\"><B>Theme</B></td><td nowrap=\"nowrap\"><B>Units</B></td><td nowrap=\"nowrap\"><B>Range</B></td></tr>";
  for (const ListedTheme& t : themes) {
    double lo = 0, hi = 0;
    t.theme->GetMinMaxInWindow(WindowOf(area, t.theme), lo, hi);
    const int d = t.legend->GetDecimals();
    rows += Format("<tr><td nowrap=\"nowrap\">%s</td><td nowrap=\"nowrap\">%s</td><td>%s-%s</td></tr>",
                   XmlEscape(t.theme->name).c_str(), XmlEscape(t.legend->GetUnitsName()).c_str(),
                   Fixed(t.theme->ConvertToDisplayUnits(static_cast<float>(lo), *t.legend), d).c_str(),
                   Fixed(t.theme->ConvertToDisplayUnits(static_cast<float>(hi), *t.legend), d).c_str());
  }
  return rows;
}

// The landscape layers 0 to 8 of the area that have a legend there.
std::vector<ListedTheme> LandscapeThemes(const CPVN4Doc& doc, const CPyrvane2WorkArea& area) {
  std::vector<ListedTheme> out;
  for (int type = 0; type <= 8; ++type) {
    CTheme* theme = doc.GetThemeByLayerType(type);
    if (!theme) continue;
    const CThemeLegendData* legend = nullptr;
    for (std::size_t i = 0; i < doc.gridThemes.size() && i < area.legends.size(); ++i)
      if (doc.gridThemes[i].get() == theme) legend = area.legends[i].get();
    if (legend) out.push_back({theme, legend});
  }
  return out;
}

// One raster overlay with its legend in a folder of its own.
void RasterFolder(KmzBuilder& b, const CPyrvane2WorkArea& area, const CTheme& theme, const CThemeLegendData& legend,
                  const std::string& prefix, int folderVisible, int overlayVisible, int legendVisible,
                  const std::vector<float>& transparent) {
  KmzOverlay overlay;
  std::string error;
  if (!MakeKmzOverlayImage(overlay, theme, &legend, b.projection, transparent, error)) throw KmzFailure(error);
  const std::string stem = b.UniqueStem(prefix + theme.name, {"", "Legend"});
  const std::string overlayEntry = b.AddPng(stem, "", std::move(overlay.png));
  const platform::Image legendImage = MakeKmzLegendImage(theme, legend, WindowOf(area, &theme));
  const std::string legendEntry = b.AddImage(stem, "Legend", legendImage);
  const std::string name = XmlEscape(theme.name);
  const std::string id = b.UniqueId(theme.name);
  b.Print("\t\t\t<Folder targetId=\"%s\" id=\"%s\">\n\t\t\t\t<name>%s</name>\n", id.c_str(), id.c_str(), name.c_str());
  b.Print("\t\t\t\t<visibility>%d</visibility>\n", folderVisible);
  b.Print("\t\t\t\t<GroundOverlay>\n\t\t\t\t\t<name>%s</name>\n\t\t\t\t\t<visibility>%d</visibility>\n", name.c_str(), overlayVisible);
  b.Print("\t\t\t\t\t<color>afffffff</color>\n\t\t\t\t\t<drawOrder>-1</drawOrder>\n\t\t\t\t\t<Icon>\n");
  b.Print("\t\t\t\t\t\t<href>%s</href>\n", XmlEscape(overlayEntry).c_str());
  b.Print("\t\t\t\t\t\t<refreshInterval>0.0</refreshInterval>\n\t\t\t\t\t\t<viewRefreshTime>0.0</viewRefreshTime>\n"
          "\t\t\t\t\t\t<viewBoundScale>1.0</viewBoundScale>\n\t\t\t\t\t</Icon>\n\t\t\t\t\t<altitude>0.0</altitude>\n");
  b.Print("\t\t\t\t\t<LatLonBox>\n\t\t\t\t\t\t<north>%.4f</north>\n\t\t\t\t\t\t<south>%.4f</south>\n"
          "\t\t\t\t\t\t<east>%.4f</east>\n\t\t\t\t\t\t<west>%.4f</west>\n\t\t\t\t\t</LatLonBox>\n\t\t\t\t</GroundOverlay>\n",
          overlay.north, overlay.south, overlay.east, overlay.west);
  b.Print("\t\t\t\t<ScreenOverlay>\n\t\t\t\t\t<name>%s Legend</name>\n\t\t\t\t\t<visibility>%d</visibility>\n", name.c_str(), legendVisible);
  b.Print("\t\t\t\t\t<drawOrder>0</drawOrder>\n\t\t\t\t\t<Icon>\n\t\t\t\t\t\t<href>%s</href>\n", XmlEscape(legendEntry).c_str());
  b.Print("\t\t\t\t\t\t<refreshInterval>0.0</refreshInterval>\n\t\t\t\t\t\t<viewRefreshTime>0.0</viewRefreshTime>\n"
          "\t\t\t\t\t\t<viewBoundScale>0.0</viewBoundScale>\n\t\t\t\t\t</Icon>\n");
  b.Print("\t\t\t\t\t<overlayXY yunits=\"fraction\" xunits=\"fraction\" y=\"1.0\" x=\"0.0\"/>\n"
          "\t\t\t\t\t<screenXY yunits=\"fraction\" xunits=\"fraction\" y=\"1.0\" x=\"0.0\"/>\n");
  b.Print("\t\t\t\t\t<size yunits=\"pixels\" xunits=\"pixels\" y=\"%f\" x=\"%f\"/>\n", static_cast<double>(legendImage.Height()),
          static_cast<double>(legendImage.Width()));
  b.Print("\t\t\t\t\t<rotation>0.0</rotation>\n\t\t\t\t</ScreenOverlay>\n\t\t\t</Folder>\n");
}

void LayerFolders(KmzBuilder& b, const CPyrvane2WorkArea& area, bool fuelVisible) {
  for (const ListedTheme& t : LandscapeThemes(b.doc, area)) {
    const int v = fuelVisible && t.theme->layerType == 3 ? 1 : 0;
    RasterFolder(b, area, *t.theme, *t.legend, "", v, v, v, {});
  }
}

void OpenFolder(KmzBuilder& b, const std::string& id, const std::string& name) {
  const std::string unique = b.UniqueId(id);
  b.Print("\t\t<Folder targetId=\"%s\" id=\"%s\">\n\t\t\t<name>%s</name>\n", unique.c_str(), unique.c_str(), XmlEscape(name).c_str());
}

// The area's centre in longitude and latitude.
void Centre(KmzBuilder& b, const CPyrvane2WorkArea& area, double& lon, double& lat) {
  lon = (area.west + area.east) / 2;
  lat = (area.south + area.north) / 2;
  b.Transform(lon, lat);
}

std::string FileTitle(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// ---- the run document -----------------------------------------------------------------------

bool HasOutput(const CRun& run, int type) { return run.FindOutputTheme(type) != nullptr; }

bool IsTreatmentRun(const CRun& run) { return HasOutput(run, 40) || HasOutput(run, 41); }

bool IsTravelTimeRun(const CRun& run) {
  for (const auto& t : run.outputThemes)
    if ((t->layerType == 37 && t->name == "MTT Arrival Time") || t->layerType == 39 || t->layerType == 36 ||
        t->layerType == 35 || t->layerType == 38)
      return true;
  return false;
}

const CTheme* SelectedOutput(const CRun& run) {
  if (IsTreatmentRun(run)) return run.FindOutputTheme(40) ? run.FindOutputTheme(40) : run.FindOutputTheme(41);
  if (IsTravelTimeRun(run)) {
    for (int type : {37, 39, 36, 35, 38})
      if (const CTheme* t = run.FindOutputTheme(type)) return t;
  }
  if (run.isEmbrith && HasOutput(run, 37)) return run.FindOutputTheme(37);
  return run.outputThemes.empty() ? nullptr : run.outputThemes.front().get();
}

const CThemeLegendData* LegendOf(const std::vector<std::unique_ptr<CThemeLegendData>>& legends, const CTheme* theme) {
  for (const auto& l : legends)
    if (l && l->GetTheme() == theme) return l.get();
  return nullptr;
}

// The percentiles of the fire sizes of a "FireSizeList" log; "" without one.
std::string FireSizeText(const CRun& run) {
  const RunLogFile* log = nullptr;
  for (const RunLogFile& l : run.runLogs)
    if (l.name == "FireSizeList") {
      log = &l;
      break;
    }
  if (!log) return {};
  std::vector<double> acres;
  double sum = 0;
  std::size_t start = 0;
  while (start < log->text.size()) {
    std::size_t end = log->text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = log->text.size();
    const std::string line = log->text.substr(start, end - start);
    start = end + 1;
    int fire = -1;
    double x = 0, y = 0, a = 0;
    if (std::sscanf(line.c_str(), "%d, %lf, %lf, %lf", &fire, &x, &y, &a) == 4 && fire >= 0) {
      acres.push_back(a);
      sum += a;
    }
  }
  if (acres.empty()) return {};
  std::sort(acres.begin(), acres.end());
  const std::size_t n = acres.size();
  auto at = [&](double f) { return acres[std::min(n - 1, static_cast<std::size_t>(static_cast<double>(n) * f))]; };
  return Format("<tr><td nowrap=\"nowrap\"><B>90th Percentile</B></td><td>%.0lf</td></tr><tr><td nowrap=\"nowrap\"><B>70th "
                "Percentile</B></td><td>%.0lf</td></tr><tr><td nowrap=\"nowrap\"><B>50th Percentile</B></td><td>%.0lf</td></tr>"
                "<tr><td nowrap=\"nowrap\"><B>30th Percentile</B></td><td>%.0lf</td></tr><tr><td nowrap=\"nowrap\"><B>10th "
                "Percentile</B></td><td>%.0lf</td></tr><tr><td nowrap=\"nowrap\"><B>Largest Fire</B></td><td>%.0lf</td></tr>"
                "<tr><td nowrap=\"nowrap\"><B>Average Size</B></td><td>%.0lf</td></tr>",
                at(0.9), at(0.7), at(0.5), at(0.3), at(0.1), acres[n - 1], sum / static_cast<double>(n));
}

std::string Row1(const char* label, const std::string& value) {
  return Format("<tr><td nowrap=\"nowrap\"><B>%s</B></td><td nowrap=\"nowrap\">%s</td></tr>\n", label, XmlEscape(value).c_str());
}

std::string IgnitionRow(const std::string& file) { return Row1("Ignition File:", file); }

std::string BarrierRows(const std::string& file, int fill) {
  if (file.empty()) return {};
  return Row1("Barriers File:", file) + Row1("Fill Barriers:", fill ? "Yes" : "No");
}

std::string SpotRow(double probability, int delay) {
  return Format("<tr><td nowrap=\"nowrap\"><B>Spot Probability:</B></td><td nowrap=\"nowrap\">%.3f</td><td nowrap=\"nowrap\">"
                "<B>Spot Delay:</B></td><td nowrap=\"nowrap\">%d</td></tr>\n", probability, delay);
}

std::string MethodRows(const CRun& run) {
  if (IsTreatmentRun(run)) {
    std::string r = Format("<tr><td nowrap=\"nowrap\"><B>Resolution:</B></td><td nowrap=\"nowrap\">%.1f</td></tr>\n", run.tom.resolution);
    r += SpotRow(run.mtt.spotProbability, run.mtt.spotDelay);
    r += Format("<tr><td nowrap=\"nowrap\"><B>Treat Fraction:</B></td><td nowrap=\"nowrap\">%.2f</td><td nowrap=\"nowrap\"><B>Treat "
                "Iterations:</B></td><td nowrap=\"nowrap\">%d</td></tr>\n", run.tom.treatmentFraction, run.tom.iterations);
    r += Format("<tr><td nowrap=\"nowrap\"><B>Treat Dimension:</B></td><td nowrap=\"nowrap\">%.1f</td></tr>\n", run.tom.maxTreatmentDimension);
    r += Row1("Ideal Landscape:", run.tom.idealLandscapeFile);
    return r + IgnitionRow(run.tom.ignitionFile);
  }
  if (IsTravelTimeRun(run)) {
    std::string r = Format("<tr><td nowrap=\"nowrap\"><B>Resolution:</B></td><td nowrap=\"nowrap\">%.1f</td><td nowrap=\"nowrap\"><B>Sim "
                           "Time:</B></td><td nowrap=\"nowrap\">%.2f</td></tr>\n", run.mtt.resolution, run.mtt.simulationTime);
    r += SpotRow(run.mtt.spotProbability, run.mtt.spotDelay);
    if (run.mtt.ignitionSource == 2)
      r += Format("<tr><td nowrap=\"nowrap\"><B>Ignitions:</B></td><td nowrap=\"nowrap\">Random Ignitions</td><td nowrap=\"nowrap\">"
                  "<B>Number Ignitions:</B></td><td nowrap=\"nowrap\">%d</td></tr>\n", run.mtt.numberOfRandomFires);
    else
      r += IgnitionRow(run.mtt.ignitionSource == 3 ? run.mtt.fireListFile : run.mtt.ignitionFile);
    return r + BarrierRows(run.mtt.barrierFile, run.mtt.fillBarriers);
  }
  if (run.isEmbrith) {
    const CRunEmbrithSettings& e = run.embrith;
    std::string r = Format("<tr><td nowrap=\"nowrap\"><B>Time Step:</B></td><td nowrap=\"nowrap\">%.0f</td><td nowrap=\"nowrap\"><B>"
                           "Acceleration On:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n", e.timeStep, e.accelerationOn ? "Yes" : "No");
    r += Format("<tr><td nowrap=\"nowrap\"><B>Perimeter Resolution:</B></td><td nowrap=\"nowrap\">%.1f</td><td nowrap=\"nowrap\"><B>"
                "Distance Resolution:</B></td><td nowrap=\"nowrap\">%.2f</td></tr>\n", e.perimeterResolution, e.distanceResolution);
    r += SpotRow(e.spotProbability, e.spotIgnitionDelay);
    r += Format("<tr><td nowrap=\"nowrap\"><B>Spot Grid Resolution:</B></td><td nowrap=\"nowrap\">%.0f</td><td nowrap=\"nowrap\"><B>Min "
                "Spot Distance</B></td><td nowrap=\"nowrap\">%.0f</td></tr>\n", e.spotGridResolution, e.minimumSpotDistance);
    r += Format("<tr><td nowrap=\"nowrap\"><B>Burn Periods:</B></td><td nowrap=\"nowrap\">%d</td></tr>\n", static_cast<int>(e.burnPeriods.size()));
    for (const BurnPeriod& p : e.burnPeriods)
      r += Format("<tr><td nowrap=\"nowrap\"><B>Start:</B></td><td nowrap=\"nowrap\">%d/%d %d</td><td nowrap=\"nowrap\"><B>End:</B></td>"
                  "<td nowrap=\"nowrap\">%d/%d %d</td></tr>\n", p.month, p.day, p.startHour * 100, p.month, p.day, p.endHour * 100 - 41);
    r += IgnitionRow(e.ignitionFile);
    r += BarrierRows(e.barrierFile, e.fillBarriers);
    if (!e.rosAdjustFile.empty()) r += Row1("ROS Adjust File:", e.rosAdjustFile);
    return r;
  }
  return {};
}

std::string RunRows(KmzBuilder& b, const CRun& run, const std::string& landscapeName, double lon, double lat) {
  const CRunInputs& in = run.inputs;
  std::string r = Format("<tr><td><B>Produced:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n", XmlEscape(b.produced).c_str());
  r += Format("<tr><td><B>Latitude:</B></td><td nowrap=\"nowrap\">%.4f</td><td><B>Longitude:</B></td><td nowrap=\"nowrap\">%.4f</td></tr>\n", lat, lon);
  r += Format("<tr><td><B>Landscape:</B></td><td nowrap=\"nowrap\">%s</td><td nowrap=\"nowrap\"><B>Run Name:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n",
              XmlEscape(landscapeName).c_str(), XmlEscape(run.name).c_str());
  const CTheme* fuel = b.doc.GetThemeByLayerType(3);
  r += Format("<tr><td><B>Landscape Resolution:</B></td><td nowrap=\"nowrap\">%.1f</td></tr>\n", fuel ? fuel->cellWidth : 0.0);
  std::string winds = "Static";
  switch (in.windType) {
    case 1: winds = "Uphill"; break;
    case 2: winds = "From Files"; break;
    case 3: winds = "Downhill"; break;
    case 4: winds = "Gustforge"; break;
    default: break;
  }
  if (run.isEmbrith) winds = in.windType == 4 ? "Internal Gustforge" : in.windType == 0 ? "By Burn Period" : "Via ATM File: " + run.embrith.atmFile;
  r += Format("<tr><td><B>Winds:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n", XmlEscape(winds).c_str());
  if (!run.isEmbrith) {
    if (in.windType == 2)
      r += Row1("Wind Speed:", in.griddedWindSpeedFile) + Row1("Wind Direction:", in.griddedWindDirectionFile);
    else
      r += Format("<tr><td nowrap=\"nowrap\"><B>Wind Speed:</B></td><td nowrap=\"nowrap\">%d</td><td nowrap=\"nowrap\"><B>Wind Direction:"
                  "</B></td><td nowrap=\"nowrap\">%d</td></tr>\n", in.windSpeed, in.windDirection);
    r += Format("<tr><td><B>Wind Speed Units:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n",
                XmlEscape(GetWindSpeedUnitsName(in.windSpeedUnits)).c_str());
  }
  if (in.windType == 4)
    r += Format("<tr><td nowrap=\"nowrap\"><B>Winds Resolution:</B></td><td nowrap=\"nowrap\">%d</td></tr>\n", in.griddedWindsResolution);
  r += Format("<tr><td nowrap=\"nowrap\"><B>Crown Fire Method:</B></td><td nowrap=\"nowrap\">%s</td><td nowrap=\"nowrap\"><B>Foliar "
              "Moisture:</B></td><td nowrap=\"nowrap\">%.2f</td></tr>\n", run.outputs.crownFireMethod == 0 ? "Hallett" : "Marlow/Brenner",
              in.foliarMoistureContent);
  r += Row1("Fuel Moisture File:", in.fuelMoistureFile);
  if (!run.isEmbrith) r += Row1("Fuel Moisture Settings:", in.noConditioning ? "Fixed" : "Conditioned");
  if (!in.noConditioning || run.isEmbrith) {
    if (in.useWeatherStream)
      r += Row1("Weather Stream File:", in.weatherStreamFile);
    else
      r += Row1("Weather File:", in.weatherFile) + Row1("Wind File:", in.windFile);
    r += Format("<tr><td><B>Conditioning Start:</B></td><td nowrap=\"nowrap\">%s</td><td><B>End:</B></td><td nowrap=\"nowrap\">%s</td></tr>\n",
                XmlEscape(in.conditioningStart.Format("%m/%d:%H%M")).c_str(), XmlEscape(in.conditioningEnd.Format("%m/%d:%H%M")).c_str());
  }
  if (in.useCustomFuelModels) r += Row1("Custom Fuels File:", in.customFuelsFile);
  r += MethodRows(run);
  const std::string sizes = FireSizeText(run);
  if (!sizes.empty())
    r += "<tr><td>----------</td><td>----------</td></tr><tr><td nowrap=\"nowrap\"><B>Fire Sizes</B></td><td nowrap=\"nowrap\"><B>Acres"
         "</B></td></tr>\n<tr><td nowrap=\"nowrap\">" + sizes + "</td></tr>\n";
  return r;
}

void WriteRunDocument(KmzBuilder& b, CRun& run) {
  CPyrvane2WorkArea& area = *run.area;
  const std::string icon = b.AddImage("pvn", "", MakePlacemarkIcon());
  const std::string landscapeName = FileTitle(b.doc.landscape.path);
  double lon = 0, lat = 0;
  Centre(b, area, lon, lat);
  Head(b, run.name);
  IconStyle(b, icon);
  b.Print("\t\t<Style id=\"%s\">\n\t\t\t<ListStyle>\n\t\t\t\t<listItemType>checkHideChildren</listItemType>\n"
          "\t\t\t\t<bgColor>ffffffff</bgColor>\n\t\t\t\t<maxSnippetLines>0</maxSnippetLines>\n\t\t\t</ListStyle>\n\t\t</Style>\n",
          b.UniqueId("CHECK_HIDE_CHILDREN").c_str());
  WriteRunVectorStyles(b, run);
  Placemark(b, run.name, RunRows(b, run, landscapeName, lon, lat), lon, lat);

  OpenFolder(b, "Landscape", "Landscape");
  ListStyle(b, "check");
  Placemark(b, landscapeName, LandscapeRows(b, area, LandscapeThemes(b.doc, area), true, lon, lat), lon, lat);
  OpenFolder(b, "LCPLayers", "LCP Layers");
  ListStyle(b, "radioFolder");
  LayerFolders(b, area, false);
  b.Print("\t\t</Folder>\n\t</Folder>\n");

  if (run.idealLandscapeThemes[3]) {
    std::vector<ListedTheme> ideal;
    for (CTheme* t : run.idealLandscapeThemes)
      if (t)
        if (const CThemeLegendData* l = LegendOf(run.idealLandscapeLegends, t)) ideal.push_back({t, l});
    OpenFolder(b, "IdealLCP", "Ideal Landscape");
    ListStyle(b, "check");
    Placemark(b, "Ideal LCP", LandscapeRows(b, area, ideal, false, lon, lat), lon, lat);
    OpenFolder(b, "IdealLCPLayers", "Ideal LCP Layers");
    ListStyle(b, "radioFolder");
    for (const ListedTheme& t : ideal) RasterFolder(b, area, *t.theme, *t.legend, "Ideal", 0, 0, 0, {});
    b.Print("\t\t</Folder>\n\t</Folder>\n");
  }

  WriteRunOverlayFolders(b, run, b.doc.landscape.header.cellWidth);

  OpenFolder(b, "Output Grids", "Output Grids");
  ListStyle(b, "radioFolder");
  const CTheme* selected = SelectedOutput(run);
  for (const auto& t : run.outputThemes) {
    if (t->layerType >= 22 && t->layerType <= 24) continue;
    const CThemeLegendData* legend = LegendOf(run.outputLegends, t.get());
    if (!legend) continue;
    const int v = t.get() == selected ? 1 : 0;
    RasterFolder(b, area, *t, *legend, "", v, v, v, TransparentValuesOf(t->layerType));
  }
  b.Print("\t\t</Folder>\n");
  b.Print("\t</Document>\n</kml>\n");
}

void WriteLandscapeDocument(KmzBuilder& b, CPyrvane2WorkArea& area) {
  const std::string icon = b.AddImage("pvn", "", MakePlacemarkIcon());
  const std::string name = FileTitle(b.doc.landscape.path) + " - " + area.name;
  double lon = 0, lat = 0;
  Centre(b, area, lon, lat);
  Head(b, name);
  IconStyle(b, icon);
  b.Print("\t\t\n\t\t\n\t\t\n");
  Placemark(b, name, LandscapeRows(b, area, LandscapeThemes(b.doc, area), true, lon, lat), lon, lat);
  OpenFolder(b, "LCPLayers", "LCP Layers");
  ListStyle(b, "radioFolder");
  LayerFolders(b, area, true);
  b.Print("\t\t</Folder>\n");
  b.Print("\t</Document>\n</kml>\n");
}

template <class Write>
bool Export(CPVN4Doc& doc, const std::string& path, std::string& error, Write&& write) {
  try {
    KmzBuilder b(doc);
    write(b);
    b.WriteArchive(path);
    return true;
  } catch (const KmzFailure& e) {
    error = e.what();
  } catch (const std::bad_alloc&) {
    error = "Not enough memory to write " + path + ", no kmz was written.";
  }
  return false;
}

const char* const kKmzFilter = "Google Earth KMZ Files (*.kmz)|*.kmz||";

std::optional<std::string> ChooseKmz() {
  platform::FileDialogOptions o;
  o.filter = kKmzFilter;
  o.defaultExt = "kmz";
  o.overwritePrompt = true;
  auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (chosen) *chosen = platform::WithDefaultExtension(*chosen, "kmz");
  return chosen;
}

}  // namespace

bool WriteRunKmz(CPVN4Doc& doc, CRun& run, const std::string& path, std::string& error) {
  if (!run.area) {
    error = "The run \"" + run.name + "\" has no analysis area, no kmz will be written.";
    return false;
  }
  return Export(doc, path, error, [&](KmzBuilder& b) { WriteRunDocument(b, run); });
}

bool WriteLandscapeKmz(CPVN4Doc& doc, CPyrvane2WorkArea& area, const std::string& path, std::string& error) {
  return Export(doc, path, error, [&](KmzBuilder& b) { WriteLandscapeDocument(b, area); });
}

std::optional<std::string> ChooseKmzPath(const CPVN4Doc& doc) {
  // Refused before asking for a file that could not be written.
  if (!doc.HasProjection() || landscape::NormalizeWkt(doc.landscape.projection).empty()) {
    platform::Tell(kNoProjectionMessage);
    return std::nullopt;
  }
  return ChooseKmz();
}

}  // namespace views

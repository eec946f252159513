#include "project/critique.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>

#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/value_text.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "project/document.h"
#include "project/work_area.h"
#include "themes/legend.h"
#include "themes/theme.h"

ClassHistogram::ClassHistogram(int classCount, std::vector<double> classValues)
    : values(std::move(classValues)), counts(static_cast<std::size_t>(std::max(1, classCount)), 0) {
  values.resize(counts.size(), 0.0);
}

void ClassHistogram::Add(double x) {
  ++total;
  if (x == kNoData || std::isnan(x)) {
    ++counts[0];
    return;
  }
  ++data;
  const int n = ClassCount();
  // A legend of "No Data" alone has no class for values.
  if (n < 2) return;
  // The last class whose value is at or below x; the first class takes what lies below.
  const auto it = std::upper_bound(values.begin() + 1, values.end(), x);
  const long j = std::max<long>(1, static_cast<long>(it - values.begin()) - 1);
  ++counts[static_cast<std::size_t>(j)];
}

double ClassHistogram::Percent(int j) const {
  return data > 0 ? static_cast<double>(counts[static_cast<std::size_t>(j)]) / static_cast<double>(data) * 100.0 : 0.0;
}

double ClassHistogram::OverallPercent(int j) const {
  return total > 0 ? static_cast<double>(counts[static_cast<std::size_t>(j)]) / static_cast<double>(total) * 100.0
                   : 0.0;
}

namespace critique {

namespace {

constexpr int kReportedLayers = 8;

int Decimals(const CThemeLegendData& legend) { return std::clamp(legend.GetDecimals(), 0, 15); }

// The window's cells of a theme, row by row.
template <class Fn>
void ForWindowCells(const CTheme& theme, const CellWindow& w, Fn&& fn) {
  std::vector<float> row(static_cast<std::size_t>(std::max(0, theme.columns)));
  for (int r = w.firstRow; r <= w.lastRow; ++r) {
    const bool inside = r >= 0 && r < theme.rows;
    if (inside) theme.ReadRow(r, row.data());
    for (int c = w.firstColumn; c <= w.lastColumn; ++c)
      fn(inside && c >= 0 && c < theme.columns ? row[static_cast<std::size_t>(c)] : static_cast<float>(kNoData));
  }
}

std::string Range(const CTheme& theme, const CThemeLegendData& legend, const CellWindow& w) {
  double lo = 0, hi = 0;
  theme.GetMinMaxInWindow(w, lo, hi);
  if (lo > hi) return "No Data - No Data";
  const int d = Decimals(legend);
  return platform::FormatStored(theme.ConvertToDisplayUnits(static_cast<float>(lo), legend), d) + " - " +
         platform::FormatStored(theme.ConvertToDisplayUnits(static_cast<float>(hi), legend), d);
}

}  // namespace

bool Gather(const CPVN4Doc& doc, Report& r) {
  const CPyrvane2WorkArea* area = doc.currentArea;
  if (!area) return false;
  const CellWindow w = area->GetLandscapeRect().Window();
  const CHeaderData& h = doc.landscape.header;
  r = Report{};
  r.path = doc.landscape.path;
  r.latitude = h.latitude;
  r.cellWidth = h.cellWidth;
  r.cellHeight = h.cellHeight;
  r.columns = w.lastColumn - w.firstColumn + 1;
  r.rows = w.lastRow - w.firstRow + 1;
  r.north = area->north;
  r.south = area->south;
  r.east = area->east;
  r.west = area->west;
  if (doc.HasProjection()) r.projection = doc.landscape.projection;

  // The fuel distribution over the distinct fuel values of the window.
  const CTheme* fuel = doc.GetThemeByLayerType(3);
  const CThemeLegendData* fuelLegend = area->GetLegendDataByLayerType(3);
  std::vector<double> classes{0.0};
  std::vector<float> fuelCells;
  if (fuel) {
    for (float v : fuel->GetUniqueValuesInWindow(w))
      if (v != kNoData) classes.push_back(v);
    fuelCells.reserve(static_cast<std::size_t>(r.columns) * static_cast<std::size_t>(std::max(0, r.rows)));
    ForWindowCells(*fuel, w, [&](float v) { fuelCells.push_back(v); });
  }
  r.fuels = ClassHistogram(static_cast<int>(classes.size()), classes);
  for (float v : fuelCells) r.fuels.Add(v);
  for (int j = 1; j < r.fuels.ClassCount(); ++j) r.order.push_back(j);
  std::stable_sort(r.order.begin(), r.order.end(), [&](int a, int b) {
    return r.fuels.counts[static_cast<std::size_t>(a)] > r.fuels.counts[static_cast<std::size_t>(b)];
  });
  if (fuelLegend) {
    r.fuelDecimals = Decimals(*fuelLegend);
    r.fuelUnits = fuelLegend->GetUnitsName();
  }
  // The sections of each whole fuel number.
  std::map<long long, std::vector<std::size_t>> sectionsOf;
  for (std::size_t s = 0; s < r.order.size(); ++s)
    sectionsOf[static_cast<long long>(std::trunc(r.fuels.values[static_cast<std::size_t>(r.order[s])]))].push_back(s);

  for (int k = 0; k < kReportedLayers; ++k) {
    const CTheme* theme = doc.GetThemeByLayerType(k);
    const CThemeLegendData* legend = area->GetLegendDataByLayerType(k);
    if (!theme || !legend) continue;
    LayerReport l;
    l.layer = k;
    l.name = theme->name;
    l.units = legend->GetUnitsName();
    l.decimals = Decimals(*legend);
    l.range = Range(*theme, *legend, w);
    const int n = std::max(1, legend->GetCount());
    std::vector<double> values(static_cast<std::size_t>(n), 0.0);
    l.labels.assign(1, "ND");
    for (int j = 1; j < n; ++j) {
      values[static_cast<std::size_t>(j)] = legend->GetEntry(j).GetValue();
      l.labels.push_back(platform::FormatStored(values[static_cast<std::size_t>(j)], std::min(l.decimals, 3)));
    }
    l.overall = ClassHistogram(n, values);
    l.byFuel.assign(r.order.size(), l.overall);
    std::size_t i = 0;
    ForWindowCells(*theme, w, [&](float v) {
      const double x = v == kNoData || std::isnan(v) ? kNoData : theme->ConvertToDisplayUnits(v, *legend);
      l.overall.Add(x);
      if (i < fuelCells.size()) {
        const float f = fuelCells[i];
        if (f != kNoData && !std::isnan(f))
          if (auto it = sectionsOf.find(static_cast<long long>(std::trunc(f))); it != sectionsOf.end())
            for (std::size_t s : it->second) l.byFuel[s].Add(x);
      }
      ++i;
    });
    r.layers.push_back(std::move(l));
  }
  return true;
}

namespace {

std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

const LayerReport* Find(const Report& r, int layer) {
  for (const LayerReport& l : r.layers)
    if (l.layer == layer) return &l;
  return nullptr;
}

void DistributionTable(std::string& out, const LayerReport& l, const ClassHistogram& h) {
  out += "<table style=\"display: inline-block;vertical-align: top;\"><caption><b>" + Escape(l.name) +
         " Distribution</b></caption>\r\n";
  out += "<tr><th>Min</th><th>Max</th><th>Frequency</th><th>Percent</th><th>Overall Percent</th></tr>\r\n";
  const int n = h.ClassCount();
  for (int j = 0; j < n; ++j) {
    const std::string lo = j == 0 ? "ND" : l.labels[static_cast<std::size_t>(j)];
    const std::string hi = j == 0 ? "ND" : j + 1 < n ? l.labels[static_cast<std::size_t>(j + 1)] : "";
    out += platform::FormatC(
        "<tr><td><b>%s</b></td><td><b>%s</b></td><td align=\"right\">%lld</td><td align=\"right\">%.2f</td><td "
        "align=\"right\">%.2f</td></tr>\r\n",
        Escape(lo).c_str(), Escape(hi).c_str(), h.counts[static_cast<std::size_t>(j)], h.Percent(j), h.OverallPercent(j));
  }
  out += "</table>\r\n";
}

// The tables of some layers, overall or for one fuel section (-1: overall).
void Tables(std::string& out, const Report& r, std::initializer_list<int> layers, int section) {
  for (int k : layers)
    if (const LayerReport* l = Find(r, k))
      DistributionTable(out, *l, section < 0 ? l->overall : l->byFuel[static_cast<std::size_t>(section)]);
}

}  // namespace

std::string HtmlText(const Report& r) {
  const std::string path = Escape(r.path);
  std::string out =
      "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<style>\r\ntable, th, td {\r\nborder: 1px solid black;\r\nborder-collapse: "
      "collapse;\r\n}th, td {\r\npadding: 5px;\r\n}th {\r\ntext-align: left;\r\n}\r\n</style><title>Pyrvane Landscape "
      "File Critique: " +
      path + "</title>\r\n</head>\r\n<body>\r\n";
  out += "<h1>Landscape File: " + path + "</h1>\r\n<h2>Metadata</h2>\r\n<table>\r\n";
  out += platform::FormatC("<tr><td><b>Latitude:</b></td> <td>%d</td></tr>\r\n", r.latitude);
  out += platform::FormatC(
      "<tr><td><b>Cell Resolution X</b></td><td>%.2f</td><td><b>Cell Resolution Y</b></td><td>%.2f</td></tr>\r\n",
      r.cellWidth, r.cellHeight);
  out += platform::FormatC(
      "<tr><td><b>Num Cells East</b></td><td>%d</td><td><b>Num Cells North</b></td><td>%d</td></tr>\r\n", r.columns,
      r.rows);
  out += platform::FormatC(
      "<tr><td><b>UTM North</b></td><td>%f</td><td><b>UTM South</b></td><td>%f</td></tr><tr><td><b>UTM "
      "East</b></td><td>%f</td><td><b>UTM West</b></td><td>%f</td></tr>\r\n",
      r.north, r.south, r.east, r.west);
  out += "</table><p></p>\r\n";
  out += "<br><b>Projection:</b><p>" + (r.projection.empty() ? std::string("No Projection Information") : Escape(r.projection)) +
         "</p><br>";
  out += "<h2>Data Themes present</h2>\r\n";
  out += "<table style=\"display: inline-block;vertical-align: top;\"><caption><b>Themes Present</b></caption>\r\n";
  out += "<tr><th>Theme</th><th>Units</th><th>Range</th></tr>\r\n";
  for (const LayerReport& l : r.layers)
    out += platform::FormatC("<tr><td><b>%s</b></td><td>%12s</td><td>%s</td></tr>\r\n", Escape(l.name).c_str(),
                             Escape(l.units).c_str(), Escape(l.range).c_str());
  out += "</table><p></p>\r\n";
  out += "<h2>Data Theme Value Distributions</h2>\r\n";
  out += "<p></p><p>All Data Theme Value Distributions are based on individual Data Theme Properties set in the "
         "Pyrvane 6 Project</p><p></p>";
  Tables(out, r, {0, 1, 2}, -1);
  out += "<p></p>\r\n";
  out += "<table style=\"display: inline-block;vertical-align: top;\"><caption><b>Fuels Distribution</b></caption>\r\n";
  out += "<tr><th>Fuel Model</th><th>Frequency</th><th>Percent</th><th>Overall Percent</th></tr>\r\n";
  out += platform::FormatC("<tr><td><b>%s</b></td><td>%lld</td><td>%.2f</td><td>%.2f</td></tr>\r\n", "ND",
                           r.fuels.counts[0], r.fuels.Percent(0), r.fuels.OverallPercent(0));
  for (int j : r.order)
    out += platform::FormatC("<tr><td><b>%.0f</b></td><td>%lld</td><td>%.2f</td><td>%.2f</td></tr>\r\n",
                             r.fuels.values[static_cast<std::size_t>(j)], r.fuels.counts[static_cast<std::size_t>(j)],
                             r.fuels.Percent(j), r.fuels.OverallPercent(j));
  out += "</table><p></p>\r\n";
  out += "<p></p>\r\n";
  Tables(out, r, {4, 5}, -1);
  out += "<p></p>\r\n";
  Tables(out, r, {6, 7}, -1);
  out += "<p></p>\r\n";
  out += "<hr><h2>Fuel Model Specific Distributions</h2>\r\n";
  for (std::size_t s = 0; s < r.order.size(); ++s) {
    out += platform::FormatC("<p></p><hr><h3>Fuel Model %d Distributions</h3><hr>\r\n",
                             static_cast<int>(r.fuels.values[static_cast<std::size_t>(r.order[s])]));
    Tables(out, r, {0, 1, 2}, static_cast<int>(s));
    out += "<p></p>\r\n";
    Tables(out, r, {4, 5}, static_cast<int>(s));
    out += "<p></p>\r\n";
    Tables(out, r, {6, 7}, static_cast<int>(s));
  }
  out += "<p></p>\r\n</body></html>\r\n";
  return out;
}

bool WriteCritiqueHtml(const CPVN4Doc& doc, const std::string& path, std::string& error) {
  Report r;
  if (!Gather(doc, r)) {
    error = "The project has no analysis area.";
    return false;
  }
  platform::AtomicFile file(path);
  if (!file.Open() || !file.Write(HtmlText(r)) || !file.Commit()) {
    error = std::strerror(file.Error() ? file.Error() : EIO);
    return false;
  }
  return true;
}

namespace {

std::optional<std::string> AskReportPath(const char* ext, const char* filter) {
  const auto chosen = platform::ChooseFile(true, "", filter, ext);
  if (!chosen) return std::nullopt;
  return platform::WithDefaultExtension(*chosen, ext);
}

void Finish(bool written, const std::string& path, const std::string& error) {
  if (!written) {
    platform::Tell(platform::FormatC("Error creating %s as LCP Critique", path.c_str()) +
                   (error.empty() ? "" : "\n" + error));
    return;
  }
  if (!platform::ShellOpenFile(path))
    platform::Tell(path + " was written, but no program could be started to show it.");
}

}  // namespace

void OnCritiquePdf(CPVN4Doc& doc) {
  if (!doc.currentArea) return;
  const auto path = AskReportPath("pdf", "PDF Files (*.pdf)|*.pdf||");
  if (!path) return;
  // A file of that name must be writable; it is tested without being truncated.
  if (platform::FileExists(*path)) {
    std::FILE* f = std::fopen(path->c_str(), "r+b");
    if (!f) {
      platform::Tell(platform::FormatC(
          "Error creatiing %s for write access.\nIs the file in use by another application?", path->c_str()));
      return;
    }
    std::fclose(f);
  }
  std::string error;
  const bool ok = WriteCritiquePdf(doc, *path, error);
  Finish(ok, *path, error);
}

void OnCritiqueHtml(CPVN4Doc& doc) {
  if (!doc.currentArea) return;
  const auto path = AskReportPath("html", "HTML Files (*.html)|*.html|All Files (*.*)|*.*||");
  if (!path) return;
  std::string error;
  const bool ok = WriteCritiqueHtml(doc, *path, error);
  Finish(ok, *path, error);
}

}  // namespace critique

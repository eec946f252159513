#include "themes/stats_report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "landscape/geo.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/value_text.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/theme_stats.h"

namespace {

std::string Shown(const CTheme& theme, const CThemeLegendData& legend, double value) {
  const float v = theme.ConvertToDisplayUnits(static_cast<float>(value), legend);
  return platform::FormatStored(v, legend.GetDecimals());
}

// A field holding a separator or a quote is quoted, so that any theme name reads back as one.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string ThemeGeneralText(const CTheme& theme, const CThemeLegendData& legend, const CThemeStats& s,
                             const std::string& projection) {
  using platform::FormatC;
  const landscape::AxisNames axes = landscape::CoordinateAxisNames(projection);
  auto label = [](const char* side, const std::string& axis) { return axis.empty() ? side : side + (" " + axis); };
  std::string t = FormatC("Theme: %s\r\nUnits: %s\r\n", theme.name.c_str(), legend.GetUnitsName().c_str());
  t += FormatC("%s: %f\r\n", label("West", axes.x).c_str(), s.windowWest);
  t += FormatC("%s: %f\r\n", label("North", axes.y).c_str(), s.windowNorth);
  t += FormatC("Number of cells N-S: %ld\r\n", static_cast<long>(s.windowRows));
  t += FormatC("Number of cells E-W: %ld\r\n", static_cast<long>(s.windowColumns));
  t += FormatC("Cell Resolution: %f\r\n", theme.cellWidth);
  t += FormatC("Number of valid cells: %ld\r\n", static_cast<long>(s.validCount));
  t += "Mean:  \t\t" + Shown(theme, legend, s.mean) + "\r\n";
  t += "StdDev:\t\t" + Shown(theme, legend, s.stdDev) + "\r\n";
  t += "Min:   \t\t" + Shown(theme, legend, s.minimum) + "\r\n";
  t += "Max:   \t\t" + Shown(theme, legend, s.maximum) + "\r\n";
  t += "Median:\t\t" + Shown(theme, legend, s.median) + "\r\n";
  t += "Mode:   \t\t" + Shown(theme, legend, s.mode) + "\r\n";
  t += FormatC("No Data Count:\t%ld\r\n", static_cast<long>(s.noDataCount));
  t += "\r\nPercentiles:\r\n";
  for (int k = 1; k <= 100; ++k) t += FormatC("%3d%%\t\t", k) + Shown(theme, legend, s.GetPercentile(k)) + "\r\n";
  return t;
}

ThemeClassCounts CountThemeClasses(const CTheme& theme, const CThemeLegendData& legend, const CellWindow& w) {
  ThemeClassCounts c;
  const int n = legend.GetCount();
  if (n <= 0) return c;
  c.values.resize(static_cast<std::size_t>(n));
  c.counts.assign(static_cast<std::size_t>(n), 0);
  c.exact.assign(static_cast<std::size_t>(n), 0);
  c.values[0] = theme.noData;
  for (int i = 1; i < n; ++i) c.values[static_cast<std::size_t>(i)] = legend.GetEntry(i).GetValue();
  for (int r = w.firstRow; r <= w.lastRow; ++r)
    for (int col = w.firstColumn; col <= w.lastColumn; ++col) {
      const float v = theme.ConvertToDisplayUnits(theme.GetCellValue(col, r), legend);
      std::size_t k = 0;
      for (; k < c.values.size(); ++k) {
        if (c.values[k] == v) ++c.exact[k];
        if (!(c.values[k] < v)) break;
      }
      ++c.counts[std::min(k, c.values.size() - 1)];
    }
  return c;
}

double AreaFactor(int gridUnits, int areaUnit) {
  if (gridUnits == 0 && areaUnit == kHectares) return 0.0001;
  if (gridUnits == 0 && areaUnit == kAcres) return 0.0002471053814671653;
  if (gridUnits == 1 && areaUnit == kAcres) return 2.295684113865932e-05;
  return 9.290312990644655e-06;
}

const char* AreaUnitName(int areaUnit) { return areaUnit == kAcres ? "Acres" : "Hectares"; }

std::vector<ThemeClassRow> ThemeClassRows(const CTheme& theme, const CThemeLegendData& legend,
                                          const ThemeClassCounts& counts, int gridUnits, int areaUnit) {
  std::vector<ThemeClassRow> rows;
  const double factor = AreaFactor(gridUnits, areaUnit);
  for (std::size_t i = 0; i < counts.values.size(); ++i) {
    ThemeClassRow row;
    row.value = i == 0 ? "No Data"
                       : platform::FormatStored(counts.values[i], legend.GetDecimals());
    row.count = platform::FormatC("%ld", counts.counts[i]);
    row.exact = platform::FormatC("%ld", counts.exact[i]);
    row.area = platform::FormatC("%.2f", static_cast<double>(counts.counts[i]) * theme.cellWidth *
                                             theme.cellHeight * factor);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string ThemeClassesCsv(const std::string& themeName, const std::string& unitsName, int areaUnit,
                            const std::vector<ThemeClassRow>& rows) {
  std::string out = CsvField(themeName + "-" + unitsName) + ", Frequency, Exact Matches, " + AreaUnitName(areaUnit) + "\n";
  for (const ThemeClassRow& r : rows)
    out += CsvField(r.value) + ", " + r.count + ", " + r.exact + ", " + r.area + "\n";
  return out;
}

bool SaveStatisticsText(const std::string& path, const std::string& text, bool classes) {
  platform::AtomicFile file(path);
  if (file.Open() && file.Write(text) && file.Commit()) return true;
  if (classes)
    platform::Tell(platform::FormatC("Error opening %s as output", path.c_str()));
  else
    platform::Tell(platform::FormatC("Error writing %s: %s", path.c_str(),
                                     std::strerror(file.Error() ? file.Error() : EIO)));
  return false;
}

#include "views/point_values.h"

#include "app/unit_tables.h"
#include "platform/numbers.h"
#include "platform/value_text.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"

namespace views {

namespace {

constexpr float kMissing = -9999.0f;

// A theme's row: its value at the point in the legend's display units (as stored when
// convert is false), with the legend's decimals and units name.
PointRow ThemeRow(const std::string& name, const CTheme& theme, const CThemeLegendData* legend, double x, double y,
                  bool convert = true) {
  PointRow row;
  row.name = name;
  float v = theme.GetValueAt(x, y);
  if (legend && convert) v = theme.ConvertToDisplayUnits(v, *legend);
  row.value = v == kMissing ? std::string("N/A")
                            : platform::FormatStored(v, legend ? legend->GetDecimals() : 0);
  row.units = legend ? legend->GetUnitsName() : std::string();
  return row;
}

}  // namespace

std::vector<PointTable> PointAttributeTables(const CPVN4Doc& doc, const CPyrvane2WorkArea* area, double x, double y) {
  std::vector<PointTable> tables;
  if (!area) return tables;
  PointTable landscape{"Landscape", {}};
  for (const auto& t : doc.gridThemes)
    landscape.rows.push_back(ThemeRow(t->name, *t, area->GetLegendDataByLayerType(t->layerType), x, y));
  tables.push_back(std::move(landscape));
  for (const auto& r : area->runs) {
    const CRun& run = *r;
    PointTable table{run.name, {}};
    for (const auto& t : run.outputThemes)
      table.rows.push_back(ThemeRow(t->name, *t, run.FindOutputLegend(t->layerType), x, y));
    for (const CTheme* t : run.idealLandscapeThemes)
      if (t) table.rows.push_back(ThemeRow("Ideal " + t->name, *t, run.FindOutputLegend(t->layerType), x, y));
    for (const CTheme* t : run.tomOutputThemes)
      if (t) table.rows.push_back(ThemeRow("Ideal " + t->name, *t, run.FindOutputLegend(t->layerType), x, y, false));
    const CWindVectorTheme* wind = run.embrithWindVectors;
    if (run.isEmbrith && wind) {
      const CWVLegendData* legend = doc.FindWindVectorLegend(wind);
      const double speed = wind->GetMagnitudeAt(x, y, legend);
      const int decimals = legend ? legend->decimals : 0;
      table.rows.push_back({"Wind Speed", speed >= 0 ? platform::FormatC("%.*f", decimals, speed) : "N/A",
                            GetWindVectorUnitsName(wind->kind, legend ? legend->units : 0)});
      const double direction = wind->GetDirectionAt(x, y);
      table.rows.push_back(
          {"Wind Direction", direction >= 0 ? platform::FormatC("%.0f", direction) : "N/A", "degrees"});
    }
    tables.push_back(std::move(table));
  }
  return tables;
}

}  // namespace views

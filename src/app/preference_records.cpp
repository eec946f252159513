#include "app/preference_records.h"

#include "themes/theme.h"

CPredefinedThemeLegend::CPredefinedThemeLegend() {
  SetDecimals(0);
  AddEntry(CLegendEntry(kNoData, 0xFFFFFF));
  AddEntry(CLegendEntry(1.0f, 0x000000));
}

CPredefinedThemeLegend::CPredefinedThemeLegend(const CThemeLegendData& legend) {
  Copy(legend);
  SetMinValue(legend.GetMinValue());
  SetMaxValue(legend.GetMaxValue());
  SetTheme(nullptr);
  if (legend.GetTheme()) layerType = legend.GetTheme()->layerType;
}

CPredefinedWVThemeLegend::CPredefinedWVThemeLegend() {
  legend.fontSize = 8;
  legend.showValues = 0;
  legend.decimals = 0;
  legend.skip = 0;
  legend.lineWidth = 1;
  legend.autoDensity = 0;
  legend.targetSize = 32;
  legend.units = 0;
  legend.AddEntry(CWVLegendEntry(1.0f, 0x000000, 1));
}

void CThemePreference::SetStandardDefaults(int type, int classes, int decimalPlaces) {
  layerType = type;
  contourColor = 0x960000;
  contourStyle = 0;
  contourWidth = 1;
  usePredefinedLegend = 0;
  noDataColor = 0xFFFFFF;
  units = 0;
  numClasses = classes;
  decimals = decimalPlaces;
}

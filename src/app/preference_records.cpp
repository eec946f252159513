#include "app/preference_records.h"

CPredefinedThemeLegend::CPredefinedThemeLegend() {
  SetDecimals(0);
  AddEntry(CLegendEntry(kNoData, 0xFFFFFF));
  AddEntry(CLegendEntry(1.0f, 0x000000));
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

#pragma once
// Program-wide display defaults of new themes and the named legends kept for reuse.
// Plain records with public fields: the preferences file stores them and the preference
// pages edit them; new themes copy from them and never point back.
#include <string>

#include "themes/color_ramp.h"
#include "themes/legend.h"
#include "themes/wv_legend.h"

// Defaults of new vector themes.
class CVectorPreferences {
 public:
  virtual ~CVectorPreferences() = default;
  int pointShape = 0;  // 0 circle, 1 triangle, 2 square
  COLORREF pointColor = 0;
  int pointWidth = 3;
  int lineStyle = 0;  // line-style code 0-10
  COLORREF lineColor = 0;
  int lineWidth = 1;
  int polygonStyle = 0;
  COLORREF polygonColor = 0;
  int polygonWidth = 1;
};

// Defaults of new wind (kind 0), spread (1) and maximum-spot (2) vector themes.
class CWindVectorPreferences {
 public:
  virtual ~CWindVectorPreferences() = default;
  CColorRamp ramp;  // no colours: random class colours
  int kind = 0;
  int lineWidth = 1;
  std::string predefinedLegendName;
  int usePredefinedLegend = 0;
  int decimals = 0;
  int numClasses = 5;
  int outputSpeed = 0;
  int fontSize = 8;
  int skip = 1;  // rows/columns skipped between arrows
  int autoDensity = 0;
  int targetSize = 32;  // pixels
  int units = 0;        // position in the kind's unit list
};

// Defaults of new raster themes of one layer type.
class CThemePreference {
 public:
  virtual ~CThemePreference() = default;
  CColorRamp ramp;
  int layerType = 10;
  COLORREF noDataColor = 0xFFFFFF;
  int units = 0;  // position in the layer type's unit list
  int decimals = 0;
  int numClasses = 10;
  COLORREF contourColor = 0;
  int contourStyle = 0;
  int contourWidth = 1;
  int usePredefinedLegend = 0;
  std::string predefinedLegendName;

  // The program's standard look for a layer type: dark blue contours of width 1, white
  // "No Data", the first display unit, no predefined legend. Name and ramp are kept.
  void SetStandardDefaults(int type, int classes, int decimalPlaces);
};

// A named raster legend kept for reuse by themes of one layer type.
class CPredefinedThemeLegend : public CThemeLegendData {
 public:
  // Decimals 0 and two entries: "No Data" (-9999, white) and 1 (black).
  CPredefinedThemeLegend();
  // A copy of a theme's legend (flag, decimals, units, range, entries), unnamed, for the
  // layer type of the legend's theme (10 without a theme).
  explicit CPredefinedThemeLegend(const CThemeLegendData& legend);
  std::string name;
  int layerType = 10;
};

// A named wind-vector legend kept for reuse by themes of one kind.
class CPredefinedWVThemeLegend {
 public:
  // Manual density, target size 32 and one class of value 1, black, relative length 1.
  CPredefinedWVThemeLegend();
  CWVLegendData legend;
  std::string name;
  int kind = 0;
};

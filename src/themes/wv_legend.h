#pragma once
// Legend of a wind-vector (arrow) theme: classes of colour and relative arrow length by
// magnitude, and the arrows' display settings.
#include <cstdint>
#include <vector>

#include "themes/color_ramp.h"

class CWindVectorTheme;

// Arrow kinds: 0 wind (mph base), 1 spread (m/min base), 2 spot distance (metres base).
// A pair not in the kind's table (same index, index out of range) returns the value.
double ConvertArrowUnits(int kind, double value, int from, int to);

class CWVLegendEntry {
 public:
  CWVLegendEntry() = default;
  CWVLegendEntry(float value, COLORREF color, int relativeLength)
      : color_(color), value_(value), relativeLength_(relativeLength < 0 ? 0 : relativeLength) {}
  COLORREF GetColor() const { return color_; }
  void SetColor(COLORREF c) { color_ = c; }
  float GetValue() const { return value_; }
  void SetValue(float v) { value_ = v; }
  int GetRelativeLength() const { return relativeLength_; }
  void SetRelativeLength(int len) { relativeLength_ = len < 0 ? 0 : len; }
  bool operator==(const CWVLegendEntry&) const = default;

 private:
  COLORREF color_ = 0;
  float value_ = 0.0f;
  int relativeLength_ = 0;
};

class CWVLegendData {
 public:
  // Display settings, read and written directly by their users.
  CWindVectorTheme* theme = nullptr;
  std::uint64_t themeSerial = 0;  // the theme's serial: addresses are reused, serials never
  int showValues = 0;
  int fontSize = 8;
  int decimals = 0;
  int skip = 0;          // rows/columns skipped between arrows (manual density)
  int lineWidth = 1;
  int autoDensity = 1;   // 1: spacing from targetSize, 0: from skip
  int targetSize = 35;   // pixels
  int units = 0;         // position in the kind's unit list
  int kind = 0;          // the theme's arrow kind, which selects the unit table

  // Magnitudes in the kind's base unit. Colour and length are looked up in the display
  // units alike, so one arrow takes both from the same class.
  COLORREF GetColor(double magnitude) const;
  int GetRelativeLength(double magnitude) const;
  // Over the classes; 1 when there is none.
  int GetMaxRelativeLength() const;
  int GetMinRelativeLength() const;
  // Any class count: a ramp longer than the classes, or classes past one segment, fit.
  void ApplyColorRamp(const CColorRamp& ramp);

  int GetCount() const { return static_cast<int>(entries_.size()); }
  const CWVLegendEntry& GetEntry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
  CWVLegendEntry& GetEntry(int i) { return entries_[static_cast<std::size_t>(i)]; }
  // Inserts a copy: -9999 classes first, then ascending; equal values keep insertion order.
  void AddEntry(const CWVLegendEntry& entry);
  void RemoveAllEntries() { entries_.clear(); }
  // Takes the other's settings and classes; keeps this legend's theme, minimum and maximum.
  void Copy(const CWVLegendData& other);

  double GetMinValue() const { return min_; }
  void SetMinValue(double v) { min_ = v; }
  double GetMaxValue() const { return max_; }
  void SetMaxValue(double v) { max_ = v; }

 private:
  // Class of a magnitude in display units, or -1 for none.
  int ClassOf(double displayValue) const;

  std::vector<CWVLegendEntry> entries_;
  double min_ = 0.0, max_ = 0.0;
};

// count colours from start to end; count <= 1 gives start and end, so out holds two.
void MakeRgbRampPair(COLORREF start, COLORREF end, int count, COLORREF* out);

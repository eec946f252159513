#pragma once
// Legends of raster themes: a "No Data" class and ascending classes, each a value and a colour.
#include <cstdint>
#include <string>
#include <vector>

#include "themes/color_ramp.h"

class CTheme;

constexpr float kNoData = -9999.0f;
// The "No Data" entry and at most 99 classes.
constexpr int kMaxLegendEntries = 100;

class CLegendEntry {
 public:
  CLegendEntry() = default;
  CLegendEntry(float value, COLORREF color) : color_(color), value_(value) {}
  COLORREF GetColor() const { return color_; }
  void SetColor(COLORREF color) { color_ = color; }
  float GetValue() const { return value_; }
  void SetValue(float value) { value_ = value; }
  bool operator==(const CLegendEntry&) const = default;

 private:
  COLORREF color_ = 0;
  float value_ = 0.0f;
};

class CThemeLegendData {
 public:
  CThemeLegendData() = default;
  CThemeLegendData(const CThemeLegendData&) = default;
  CThemeLegendData& operator=(const CThemeLegendData&) = default;
  virtual ~CThemeLegendData() = default;

  void RemoveAllEntries() { entries_.clear(); }
  // Inserts a copy in order: "No Data" entries first, then classes ascending, ties in
  // order of insertion. False (and nothing added) once the legend holds 100 entries.
  bool AddEntry(const CLegendEntry& entry);
  // Takes the other's classes, unique-values flag, decimals and display units; keeps this
  // legend's theme, minimum and maximum.
  void Copy(const CThemeLegendData& other);

  int GetCount() const { return static_cast<int>(entries_.size()); }
  CLegendEntry& GetEntry(int i) { return entries_[static_cast<std::size_t>(i)]; }
  const CLegendEntry& GetEntry(int i) const { return entries_[static_cast<std::size_t>(i)]; }
  int GetDecimals() const { return decimals_; }
  void SetDecimals(int decimals) { decimals_ = decimals; }

  bool IsUniqueValues() const { return uniqueValues_ != 0; }
  // Returns the previous flag.
  bool SetUniqueValues(bool unique);

  double GetMinValue() const { return min_; }
  void SetMinValue(double v) { min_ = v; }
  double GetMaxValue() const { return max_; }
  void SetMaxValue(double v) { max_ = v; }

  // Display-units index: a position in the unit list of the theme's layer type.
  int GetUnits() const { return units_; }
  void SetUnits(int index) { units_ = static_cast<std::int16_t>(index); }
  // Sets the display units and converts the class values into them ("No Data" untouched).
  // False, and nothing changed, for an index outside the theme's unit list.
  bool ChangeUnits(int index);

  CTheme* GetTheme() const { return theme_; }
  void SetTheme(CTheme* theme) { theme_ = theme; }
  // Name of the display unit ("" without a theme or for an index outside its list).
  std::string GetUnitsName() const;

  // Colour of a value in display units: the first class at or above it, else the last;
  // -9999 takes the "No Data" colour; black for an empty legend.
  COLORREF GetColor(double value) const;
  // Recolours classes 1 .. count-1 from the ramp; the "No Data" entry keeps its colour.
  void ApplyColorRamp(const CColorRamp& ramp);

 private:
  std::vector<CLegendEntry> entries_;
  int decimals_ = 0;
  int uniqueValues_ = 0;
  CTheme* theme_ = nullptr;
  std::int16_t units_ = 0;
  double min_ = 0.0, max_ = 0.0;
};

#pragma once
// The preferences file: single-byte text, versions 0-7 read, version 7 written.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/layer_types.h"
#include "app/preference_records.h"

// The main window's show state and normal position.
struct WindowPlacement {
  int showCmd = 0;
  long left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const WindowPlacement&) const = default;
};

// Every setting the preferences file stores besides the three lists.
struct StoredPreferences {
  WindowPlacement placement;
  CVectorPreferences vectorPrefs;
  std::array<CThemePreference, kLayerTypeCount> themePrefs;
  std::array<CWindVectorPreferences, 3> windVectorPrefs;
  std::string workingFolder;
  int keepGridCellsInMemory = 1;
  COLORREF backgroundColor = 0;
  int useBackgroundImage = 0;
  std::string backgroundImagePath;
  // Weather editor and graphs.
  std::array<COLORREF, 3> wxRecordColors = {0xA4A0A0, 0xA0FFD2, 0x5780FF};  // unused, conditioning, burning
  std::array<COLORREF, 5> wxSeriesColors = {0x0A0AFF, 0x0ADC0A, 0xDC0ADC, 0xDC0A0A, 0x780A0A};
  std::array<int, 4> wxSeriesWidths = {2, 2, 2, 2};
  std::array<int, 4> wxSeriesStyles = {0, 0, 0, 0};
  int wxPrecipHatch = -1;  // -1 solid
  std::array<COLORREF, 5> wxHLineColors = {0x969696, 0x969696, 0x969696, 0x969696, 0x969696};
  std::array<int, 5> wxHLineStyles = {0, 0, 0, 0, 0};
  int wxVLineFrequency = 1;
  COLORREF wxVLineColor = 0xE1E1E1;
  int wxVLineWidth = 1;
};

// The three owned lists of the preferences.
struct PreferenceLists {
  std::vector<std::unique_ptr<CColorRamp>> colorRamps;
  std::vector<std::unique_ptr<CPredefinedThemeLegend>> predefinedLegends;
  std::vector<std::unique_ptr<CPredefinedWVThemeLegend>> predefinedWVLegends;
};

constexpr int kPreferencesVersion = 7;
// Limits beyond which a count in the file is taken as damage rather than data.
constexpr int kMaxRampColors = 4096;

// The version-7 text of the settings ("\n" line ends).
std::string FormatPreferences(const StoredPreferences& prefs, const PreferenceLists& lists);

// Reads a file of any version. prefs holds the current records on entry (an older version
// keeps what it lacks) and receives what the file holds; the file's lists are appended to
// lists. Nothing is changed when the text is damaged (a count or layer type outside what
// the program can hold): false with the reason in error.
bool ParsePreferences(const std::string& text, StoredPreferences& prefs, PreferenceLists& lists, std::string& error);

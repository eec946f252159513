#pragma once
// What the preference pages show of the program-wide records and how their fields go back,
// without windows: each page only mirrors these fields in its controls. A page applies all
// of its fields or none: a value outside its range is refused with the field's name.
#include <optional>
#include <string>
#include <vector>

#include "app/preferences_file.h"

class CPVN4App;

namespace app {

// A refused field: its label on the page and the reason.
struct PageProblem {
  std::string field;
  std::string message;
  std::string Text() const { return field + ": " + message; }
};

// The items of a drop-down list and the selected one (-1: none, as when a damaged file gave a
// value the list does not hold).
struct ListChoice {
  std::vector<std::string> items;
  int selected = -1;
};

// The ramp list of a page: the application's ramps in order, then the record's own ramp
// when it equals none of them.
struct RampChoice {
  std::vector<const CColorRamp*> ramps;
  bool ownListed = false;  // the last entry is the record's own ramp
  int selected = -1;
};

// The first application ramp equal to `own` (count and colours), else `own` added last.
RampChoice MakeRampChoice(const PreferenceLists& lists, const CColorRamp& own);
// "1" .. "n" with the item of value `value` selected.
ListChoice NumberChoice(int first, int last, int value);
// Parses a whole number typed into a field and checks it against its range.
std::optional<PageProblem> ParseRangedInt(const std::string& field, const std::string& text, int low,
                                          int high, int& out);

constexpr int kMinClasses = 2, kMaxClasses = 100;
constexpr int kMinSkip = 0, kMaxSkip = 200;
constexpr int kMinTargetSize = 10, kMaxTargetSize = 200;

// ---- Theme preferences page of one layer type ----
struct ThemePageFields {
  int usePredefinedLegend = 0;
  bool legendRadioEnabled = true;
  ListChoice legends;  // names of this layer type's predefined legends, sorted
  RampChoice ramps;
  COLORREF noDataColor = 0;
  ListChoice units;
  ListChoice decimals;  // "0" .. "9"
  std::string classes;  // typed number of classes
  COLORREF contourColor = 0;
  ListChoice contourStyle;  // the eleven line styles
  ListChoice contourWidth;  // "1" .. "10"
};
ThemePageFields LoadThemePage(const CThemePreference& pref, const PreferenceLists& lists);
// Nothing is written when a field is refused.
std::optional<PageProblem> ApplyThemePage(const ThemePageFields& f, CThemePreference& pref);

// ---- Vector themes page ----
struct VectorPageFields {
  ListChoice pointShape;  // "Circle", "Triangle", "Square"
  COLORREF pointColor = 0;
  ListChoice pointWidth;
  ListChoice lineStyle;
  COLORREF lineColor = 0;
  ListChoice lineWidth;
  ListChoice polygonStyle;
  COLORREF polygonColor = 0;
  ListChoice polygonWidth;
};
VectorPageFields LoadVectorPage(const CVectorPreferences& pref);
std::optional<PageProblem> ApplyVectorPage(const VectorPageFields& f, CVectorPreferences& pref);

// ---- Wind, spread and maximum-spot vector pages ----
struct WindVectorPageFields {
  int usePredefinedLegend = 0;
  bool legendRadioEnabled = true;
  ListChoice legends;
  RampChoice ramps;
  ListChoice units;
  std::string classes;
  ListChoice lineWidth;
  bool autoDensity = true;
  std::string skip;
  std::string targetSize;
  bool outputSpeed = false;
  ListChoice fontSize;  // "4" .. "12"
  ListChoice decimals;
};
WindVectorPageFields LoadWindVectorPage(const CWindVectorPreferences& pref, const PreferenceLists& lists);
std::optional<PageProblem> ApplyWindVectorPage(const WindVectorPageFields& f, CWindVectorPreferences& pref);

// ---- Application page ----
struct ApplicationPageFields {
  std::string storageFolder;
  int keepCellsInMemory = 1;
  COLORREF backgroundColor = 0;
  bool useBackgroundImage = false;
  std::string backgroundImagePath;
  std::string versionText;  // what the 3D probe found
};
ApplicationPageFields LoadApplicationPage(const CPVN4App& app);
// "OpenGL 4.5 installed", or "OpenGL not installed" for major version 0.
std::string GlVersionText(int major, int minor);
// The storage folder's browser: the folder chooser, the free-space question, then a write
// test by a file made and removed there. True when the folder changed.
bool BrowseStorageFolder(ApplicationPageFields& f);
// Whether a new file can be made in the folder; the reason when not. An existing file is
// never opened, let alone truncated.
bool CanWriteInFolder(const std::string& folder, std::string* reason = nullptr);
// A background image picked in the browser: the same file again (in any letter case) changes
// nothing; a file that does not load is named in a message and the page keeps its image.
// True when the page's image changed.
bool ChooseBackgroundImage(ApplicationPageFields& f, const std::string& path, const CPVN4App& app);
// The page's fields into the application (the working folder of scratch files included).
// The background image is loaded when it is asked for and not loaded yet, and released when
// it is not asked for; a file that does not load is named in a message.
void ApplyApplicationPage(const ApplicationPageFields& f, CPVN4App& app);

}  // namespace app

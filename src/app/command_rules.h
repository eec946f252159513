#pragma once
// Command ids of the main window's menus and toolbar, the rules that enable and check them,
// and the texts of the status-bar panes and window captions. Plain functions of the model so
// the windows stay thin and the rules are tested without a display.
#include <set>
#include <string>

#include "app/preferences_file.h"

namespace app {

namespace cmd {
// File
constexpr int kNew = 57600;
constexpr int kOpen = 57601;
constexpr int kSave = 57603;
constexpr int kSaveAs = 57604;
constexpr int kPrint = 57607;
constexpr int kRecentFile = 57616;  // first of the ten recent-file entries
constexpr int kExit = 57665;
constexpr int kSaveAndArchive = 32882;
constexpr int kExtractAndOpenArchive = 32883;
constexpr int kCreateLandscapeFile = 32895;
constexpr int kConvertLcpToGeoTiff = 32952;
// View
constexpr int kViewToolbar = 59392;
constexpr int kViewStatusBar = 59393;
constexpr int kViewShaderBar = 32891;
// Analysis Area
constexpr int kNewRun = 32779;
constexpr int kNewEmbrithRun = 32964;
constexpr int kImportRun = 32973;
// Options and Utilities
constexpr int kColorRamps = 32884;
constexpr int kPredefinedLegends = 32892;
constexpr int kEditPreferences = 32885;
constexpr int kSavePreferencesAs = 32904;
constexpr int kLoadSavedPreferences = 32906;
constexpr int kLoadDefaultPreferences = 32897;
constexpr int kWtrWndToWxs = 32995;
// Window: next and previous pane (F6, Shift+F6)
constexpr int kNextPane = 57680;
constexpr int kPreviousPane = 57681;
// Help
constexpr int kAbout = 57664;
constexpr int kHelp = 32971;
constexpr int kHelpContents = 57670;
constexpr int kHelpSearch = 57667;
constexpr int kHelpIndex = 57666;
// Map tools on the toolbar (handled by the project and its map)
constexpr int kZoomInStep = 32771;
constexpr int kZoomOutStep = 32772;
constexpr int kZoomInMode = 32858;
constexpr int kZoomOutMode = 32859;
constexpr int kPanMode = 32860;
constexpr int kStepBack = 32980;
constexpr int kStepForward = 32981;
constexpr int kIdentifyMode = 32861;
constexpr int kCreatePointsMode = 32975;
constexpr int kCreateLinesMode = 32976;
constexpr int kCreatePolygonsMode = 32974;
constexpr int kMeasureMode = 33036;
constexpr int kCritiqueHtml = 32947;
constexpr int kCritiquePdf = 32946;
// Shader-bar controls
constexpr int kShaderReliefShading = 1040;
constexpr int kShaderApply = 1122;
}  // namespace cmd

// Menu and window ids of the toolkit must stay below 0x7fff; the program's larger command
// numbers (32771 and up) are moved down by a fixed offset into a range it leaves free
// (below its own ids 4999-5999, or between them and 0x7fff). Smaller numbers are unchanged.
int MenuIdFor(int command);
int CommandForMenuId(int menuId);

// Map pointer modes.
enum PointerMode {
  kModeZoomIn = 0,
  kModeZoomOut = 1,
  kModePan = 2,
  kModeIdentify = 3,
  kModeCreatePoints = 4,
  kModeCreateLines = 5,
  kModeCreatePolygons = 6,
  kModeMeasureLines = 7,
  kModeMeasurePolygons = 8,
};

// What the enable and check rules look at. The windows fill it from the active project.
struct CommandState {
  bool hasProject = false;      // a project window is active
  bool hasLandscape = false;    // the active project has a landscape loaded
  bool hasAspectLayer = false;  // the active project has a raster theme of layer type 2
  bool canStepBack = false;
  bool canStepForward = false;
  int pointerMode = kModeIdentify;
  bool toolbarShown = true;
  bool statusBarShown = true;
  bool shaderBarShown = true;
  // Commands that have a handler in this build; any other stays disabled.
  std::set<int> handled;
};

bool IsCommandEnabled(int id, const CommandState& state);
bool IsCommandChecked(int id, const CommandState& state);

// What the status bar shows of the active project and its map.
struct StatusInfo {
  bool hasProject = false;
  bool hasMapView = false;
  int pointerMode = kModeIdentify;
  std::string areaName;  // current analysis area; "" without one
  bool hasVisibleTheme = false;
  std::string themeName;
  double value = 0;  // visible theme's value under the pointer
  double noData = -9999;
  bool hasLegend = false;  // the visible theme has a legend in the current area
  int decimalPlaces = 0;
  std::string unitsName;
  double easting = 0, northing = 0;  // pointer position on the map
  double scaleDenominator = 0;
};
// Texts of the six information panes in bar order: mode, area, theme, value, coordinates,
// scale. Without a project all are empty; without a visible theme the last four are.
struct StatusTexts {
  std::string mode, area, theme, value, coordinates, scale;
  bool operator==(const StatusTexts&) const = default;
};
StatusTexts StatusPaneTexts(const StatusInfo& info);

// Status-bar pane texts.
std::string MapModePaneText(int pointerMode);
// "NA" for the no-data value, a non-number, or a theme without a legend in the current area.
std::string ValuePaneText(double value, double noData, bool hasLegend, int decimalPlaces,
                          const std::string& unitsName);
std::string CoordinatesPaneText(double easting, double northing);
std::string ScalePaneText(double scaleDenominator);

// The part of a path after its last separator ('\' or '/'), or the whole path.
std::string GetFileNameFromPath(const std::string& path);

// Caption of a project window: the project title, cut at its last '.' and followed by
// " - <landscape file>" when a landscape is loaded, then ":<n>" for the n-th window.
std::string ChildFrameCaption(const std::string& projectTitle, bool landscapeLoaded,
                              const std::string& landscapePath, int windowNumber);

// Main-window placement kept between sessions.
enum class ShowState { Normal, Minimized, Maximized };
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Intersects(const Rect& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};
struct FramePlacement {
  ShowState show = ShowState::Normal;
  Rect normal;
};
// The preferences file keeps the show state as the other platform's show command
// (1 normal, 2 minimized, 3 maximized).
FramePlacement FromStoredPlacement(const WindowPlacement& stored);
WindowPlacement ToStoredPlacement(const FramePlacement& placement);

// The placement to apply at start-up: the stored one put in order, or the frame's current
// one when the stored rectangle lies off the work area; the show state adjusted to the frame's.
FramePlacement RestoredPlacement(FramePlacement stored, const FramePlacement& current,
                                  const Rect& workArea, bool frameMaximized, bool frameMinimized);

}  // namespace app

#pragma once
// The commands that make, show, export, arrange and delete vector and contour themes: the
// Theme menu, the map's Contour and the project tree's overlay menus.
#include <functional>
#include <string>

class wxWindow;
class CPVN4Doc;
class CContourTheme;
class CVectorTheme;
class CWindVectorTheme;

namespace app::ui {
class MainFrame;
}

namespace themes::ui {

constexpr int kCmdNewVectorTheme = 32820;
constexpr int kCmdContour = 32816;
constexpr int kCmdMapContour = 32850;
constexpr int kCmdLayerContour = 32830;
constexpr int kCmdArrangeVectorThemes = 32865;
constexpr int kCmdVectorSaveAs = 32932;
constexpr int kCmdVectorBringToTop = 32862;
constexpr int kCmdVectorProperties = 32827;
constexpr int kCmdDeleteVectorTheme = 32826;
constexpr int kCmdDeleteAllVectorThemes = 32821;
constexpr int kCmdCreateRasterTheme = 32951;
constexpr int kCmdContourSaveAs = 32849;
constexpr int kCmdContourBringToTop = 32864;
constexpr int kCmdContourProperties = 32846;
constexpr int kCmdDeleteContour = 32844;
constexpr int kCmdDeleteAllContours = 32840;
constexpr int kCmdNewWindVectorTheme = 32913;
constexpr int kCmdDeleteAllWindVectorThemes = 32916;
constexpr int kCmdDeleteWindVectorTheme = 32918;
constexpr int kCmdWindVectorSaveAs = 32934;
constexpr int kCmdWindVectorBringToTop = 32919;
constexpr int kCmdWindVectorProperties = 32920;

// The project-tree item an overlay command acts on.
struct OverlaySelection {
  int type = 0;  // 10 Vector Themes folder, 12 vector theme, 14 Contours folder, 15 contour
  std::string text;
  CVectorTheme* vector = nullptr;
  CContourTheme* contour = nullptr;
  CWindVectorTheme* windVector = nullptr;
};

// Contours the visible theme: the Contouring dialog, then tracing and thinning under a
// progress window; the new theme joins the project at the bottom of the draw order.
void OnContour(wxWindow* parent, CPVN4Doc& doc);
void OnNewVectorTheme(wxWindow* parent, CPVN4Doc& doc);
void OnArrangeVectorThemes(wxWindow* parent, CPVN4Doc& doc);
// An arrow theme from a point shapefile with speed and direction fields, clipped to the
// landscape, listed under Wind Vectors and drawn on the map.
void OnNewWindVectorTheme(wxWindow* parent, CPVN4Doc& doc);
// Burns a polygon theme's attribute into a grid over the landscape, saves it as an ASCII grid
// and adds that file as a grid theme. Point, line and perimeter themes are refused.
void CreateRasterTheme(wxWindow* parent, CPVN4Doc& doc, const CVectorTheme& theme);
// A context command on the selected tree item; false when it does not apply to the item.
bool ThemeTreeCommand(wxWindow* parent, int command, CPVN4Doc& doc, const OverlaySelection& item);

// Enable rule of the Theme menu's commands; false for a command it does not rule.
bool RulesThemeCommand(int command);
bool IsThemeCommandEnabled(int command, const CPVN4Doc* doc);
void BindThemeCommands(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> activeDocument);

}  // namespace themes::ui

#pragma once
// The commands on raster themes: add a grid as a theme, save the visible theme as an ASCII
// grid, a GeoTIFF or a picture of the map, delete one or all auxiliary grid themes, and the
// statistics sheet of the visible theme.
#include <functional>
#include <string>
#include <vector>

class wxWindow;
class CPVN4Doc;
class CTheme;

namespace app::ui {
class MainFrame;
}

namespace themes::ui {

constexpr int kCmdNewGridTheme = 32818;
constexpr int kCmdGridThemeSaveAs = 32835;
constexpr int kCmdLayerSaveAs = 32833;
constexpr int kCmdDeleteAllGridThemes = 32819;
constexpr int kCmdDeleteGridTheme = 32823;
constexpr int kCmdThemeStatistics = 32938;

void OnNewGridTheme(wxWindow* parent, CPVN4Doc& doc);
// Reads a grid file into a new theme and adds it to the project: "asc" (any case) through
// the ASCII grid reader, anything else through GDAL. False, with the reason shown, when the
// file cannot be read; nothing is added then.
bool AddGridThemeFromFile(CPVN4Doc& doc, const std::string& path);
// Save As of the visible theme (needs a current analysis area).
void OnGridThemeSaveAs(wxWindow* parent, CPVN4Doc& doc);
// Writes the visible theme by the path's extension: "asc" the area's cells, "tif" the whole
// grid as GeoTIFF, any other the map's picture. False (with the reason shown) on failure.
bool SaveVisibleThemeAs(CPVN4Doc& doc, const std::string& path);
// The save filter: the two grid formats, then every picture format the toolkit writes.
std::string GridThemeSaveFilter();
// Asks "Delete Theme '<label>'?" and deletes the grid theme on Yes; true when deleted.
bool DeleteGridThemeAsked(CPVN4Doc& doc, CTheme* theme, const std::string& label);
// Asks "Delete all grid themes?" when there is any; true when they were deleted.
bool DeleteAllGridThemesAsked(CPVN4Doc& doc);
// The auxiliary grid themes (those listed under Grid Themes), in the document's order.
std::vector<CTheme*> AuxiliaryGridThemes(const CPVN4Doc& doc);
void OnThemeStatistics(wxWindow* parent, CPVN4Doc& doc);

// Enable rules of the commands above on the active project; false for a command they do not rule.
bool RulesRasterThemeCommand(int command);
bool IsRasterThemeCommandEnabled(int command, const CPVN4Doc* doc);
void BindRasterThemeCommands(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> activeDocument);

}  // namespace themes::ui

#pragma once
// What a project window and the main window take from the map and tree: the two panes over
// a document, the main window's map tools bound to the active project's map, and the map's
// part of the command state and status bar.
#include <functional>

#include "app/command_rules.h"

class CPVN4Doc;
class wxWindow;
namespace app::ui {
class MainFrame;
}

namespace views::ui {

class CMapView;
class CPVN4View;

// The tree pane, filled at once, and the map pane of a project window.
CPVN4View* CreateTreePane(wxWindow* parent, CPVN4Doc& doc);
CMapView* CreateMapPane(wxWindow* parent, CPVN4Doc& doc);

// Zoom steps, pointer modes, Back/Forward and Measure of the main window act on the map of
// the project `active` answers (null: nothing happens); Convert LCP to GeoTIFF opens its
// dialog.
void BindMapTools(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> active);

// The map's facts in the main window's command state, for a project or none.
void FillCommandState(app::CommandState& state, const CPVN4Doc* doc);
// The status bar's information from the project's map.
app::StatusInfo MapStatus(const CPVN4Doc* doc);

}  // namespace views::ui

#pragma once
// The project's Landscape commands: open a landscape, save it or the current analysis area
// as a new landscape, and read the rule-edited layers again.
#include <string>

class CPVN4Doc;
namespace platform {
class ProgressSink;
}

namespace landscape::ui {

// Asks for a landscape file and opens it into the project (which makes the default area,
// shows the fuel model and zooms the map to it). 0 when one was opened, -1 when the user
// cancelled or it could not be opened.
int BrowseAndOpenLandscape(CPVN4Doc& doc);
// Does nothing while a landscape is loaded.
void OnOpenLandscape(CPVN4Doc& doc);
// Save Landscape (".lcp" or ".tif" by the chosen name) and the analysis area's Create
// Landscape (whose ".tif" is copied from the landscape file on disk). The landscape's own
// file is refused.
void OnSaveLandscape(CPVN4Doc& doc, platform::ProgressSink* progress = nullptr);
// After a rule changed cells: the analysis area shown need not be the whole landscape, so the
// user chooses which of the two is written (Yes the whole landscape, No the area). False when
// cancelled.
bool SaveLandscapeAfterRule(CPVN4Doc& doc, platform::ProgressSink* progress = nullptr);
void OnCreateLandscape(CPVN4Doc& doc, platform::ProgressSink* progress = nullptr);
void OnReloadLandscape(CPVN4Doc& doc);

// The dialogs' filters.
extern const char* const kOpenLandscapeFilter;
extern const char* const kDestinationFilter;

}  // namespace landscape::ui

#pragma once
// The project's run commands: new, copy and delete runs, save and open their logs, and the
// default resolution of a new run. They work on the document's public state; the window
// layer asks for the run's properties and keeps the project tree in step through the
// document's views.
#include <functional>
#include <string>

class CPVN4Doc;
class CPyrvane2WorkArea;
class CRun;
struct RunLogFile;

namespace runs {

// From the elevation layer's cell width and size; 0 without a landscape.
int GetDefaultRunResolution(const CPVN4Doc& doc);

// Whether the new-run commands apply: the document has a current analysis area.
bool CanCreateRun(const CPVN4Doc& doc);

// A new run of the current area, appended and shown in the views. Null without an area.
CRun* NewRun(CPVN4Doc& doc);

// "New Embrith Run": a new fire-growth run of the current area with its resolutions taken from
// the landscape's cells, appended and shown. Null without an area.
CRun* NewEmbrithRun(CPVN4Doc& doc);

// A copy of the source's settings (not its outputs, logs or up-to-date flags) named
// "Copy of <name>", appended to the current area. Null without an area.
CRun* CopyRun(CPVN4Doc& doc, const CRun& source);

// Called for each run about to be deleted (the window layer drops its tree item).
using BeforeRunDeleted = std::function<void(CRun&)>;

// Asks "Delete Run '<item text>'?" and on Yes deletes the run from its area.
bool DeleteRun(CPVN4Doc& doc, CRun* run, const std::string& itemText,
               const BeforeRunDeleted& before = {});

// Asks once and deletes every run of the area; false (no question) when it has none.
bool DeleteAllRuns(CPVN4Doc& doc, CPyrvane2WorkArea* area, const BeforeRunDeleted& before = {});

// Saves a log or table through the save-file dialog; false when cancelled or not written.
bool SaveRunLogAs(const RunLogFile& log);

// Writes the log into "<working folder>/<name>.txt" and opens it with the desktop's default
// program. The file stays while the viewer may still read it and is removed at exit.
// Returns the path written, "" on failure.
std::string OpenRunLog(const RunLogFile& log);
// Removes the files written by OpenRunLog so far (also done at exit).
void RemoveOpenedRunLogs();

}  // namespace runs

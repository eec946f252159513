#pragma once
// What the run pages share: file boxes that show a path shortened to fit, buttons that drop a
// menu of file commands (command numbers shifted into the toolkit's id range), and number boxes
// whose typed text is checked rather than clamped.
#include <wx/string.h>

#include <functional>
#include <optional>
#include <string>

class wxButton;
class wxMenu;
class wxSpinButton;
class wxTextCtrl;
class wxWindow;
class CPVN4Doc;
class CRun;
class CVectorTheme;

namespace runs::ui {

// The toolkit's menu ids stop at 32767; the commands' own numbers lie above.
constexpr int kMenuIdShift = 13000;
inline int MenuId(int command) { return command - kMenuIdShift; }

// The path shortened to fit its box: the leading folders give way to "...".
wxString Shortened(const std::string& path, wxWindow* box);

// Drops the menu under the button and returns the command chosen, 0 for none. A chooser
// (tests) answers in place of the user; a command it names that the menu lacks or has
// disabled counts as none.
int ChooseMenuCommand(wxButton* button, wxMenu& menu, const std::function<int(int buttonId)>& chooser);

// Up and down arrows beside a number box: they step the typed number by `step`, clamped to the
// range and written with at most `digits` decimals; the box then sends its text event.
wxSpinButton* NumberSpin(wxWindow* parent, int id, wxTextCtrl* edit, double lo, double hi, double step = 1,
                         int digits = 0);

// A typed whole number within its range, or why it is not one.
std::optional<std::string> IntegerProblem(const wxTextCtrl* edit, int lo, int hi);
// A typed number within its range, or why it is not one.
std::optional<std::string> NumberProblem(const wxTextCtrl* edit, double lo, double hi);

// The ignition and barrier buttons' commands, alike on every page that takes those files.
enum ShapefileCommand {
  kOpenIgnitionsCommand = 33018, kLoadCurrentShapeCommand = 33019, kClearIgnitionsCommand = 33020,
  kOpenBarriersCommand = 33021, kClearBarriersCommand = 33022
};
// The ignition button's menu: Open always, Load Current Shape while the map holds drawn
// shapes, Clear while there is a file.
void AppendIgnitionItems(wxMenu& menu, const CRun& run, bool hasFile);
// The barrier button's menu: Open always, Clear while there is a file.
void AppendBarrierItems(wxMenu& menu, bool hasFile);
// What is said of an ignition or barrier file with no vertex in the analysis area.
const char* NoOverlapText(bool barriers);

// The file-open dialog for an ignition or barrier shapefile.
std::optional<std::string> ChooseShapefile();
// The file of the shapes drawn on the map, written first where the user says when they have
// none or changed since; empty when there is nothing to take.
std::string DrawnShapesFile(CPVN4Doc* doc);
// Takes the run's vector theme in `slot` out of the project tree and the document.
void DropRunVectorTheme(CRun& run, CVectorTheme*& slot);
// Clear Ignitions and Clear Barriers: the page's file name and the run's theme in `slot` go and
// `showFiles` puts the page's boxes right; then the map is redrawn and `markChanged` called,
// for barriers without a theme only when a file was named (nothing to redraw then).
void ClearRunShapefile(CRun& run, CVectorTheme*& slot, std::string& file, bool barriers,
                       const std::function<void()>& showFiles, const std::function<void()>& markChanged);
// The shapefile at `path` becomes the run's theme in `slot` (named `name`), replacing the one
// there. False when it cannot be read (the reader says why) or, when `mustOverlap`, no vertex
// lies in the analysis area (`noOverlap` is said); the slot is empty then.
bool TakeRunShapefile(CRun& run, CVectorTheme*& slot, const std::string& path, bool mustOverlap, const char* name,
                      const char* noOverlap);

}  // namespace runs::ui

#pragma once
// What the run pages share: file boxes that show a path shortened to fit, and buttons that drop
// a menu of file commands (command numbers shifted into the toolkit's id range).
#include <wx/string.h>

#include <functional>
#include <string>

class wxButton;
class wxMenu;
class wxWindow;

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

}  // namespace runs::ui

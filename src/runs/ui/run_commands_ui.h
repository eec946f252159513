#pragma once
// The run commands of the main menu and of the project tree's context menus.
#include <functional>
#include <string>

class wxTreeCtrl;
class wxWindow;
class CPVN4Doc;
class CPyrvane2WorkArea;
class CRun;
struct RunLogFile;

namespace app::ui {
class MainFrame;
}

namespace runs::ui {

constexpr int kCmdNewRun = 32779;
constexpr int kCmdNewEmbrithRun = 32964;
constexpr int kCmdImportRun = 32973;
constexpr int kCmdRunProperties = 32808;
constexpr int kCmdDeleteRun = 32807;
constexpr int kCmdCopyRun = 32956;
constexpr int kCmdDeleteAllRuns = 32805;
constexpr int kCmdSaveRunLogAs = 104;
constexpr int kCmdOpenRunLog = 105;

// The project-tree item a context command acts on.
struct RunTreeSelection {
  int type = 0;  // 6 Runs folder, 7 run, 19 run log
  std::string text;
  CRun* run = nullptr;
  CPyrvane2WorkArea* area = nullptr;
  const RunLogFile* log = nullptr;
  wxTreeCtrl* tree = nullptr;  // its run items go with their runs
};

// "New Pyrvane/MTT/TOM Run": a new run of the current area, then its sheet.
CRun* NewRunCommand(wxWindow* parent, CPVN4Doc& doc);
// "New Embrith Run": a new fire-growth run of the current area, then its sheet.
CRun* NewEmbrithRunCommand(wxWindow* parent, CPVN4Doc& doc);
// "Import Run": a run recreated from a chosen run log or inputs file, then its sheet. Null when
// cancelled or refused (the reason shown).
CRun* ImportRunCommand(wxWindow* parent, CPVN4Doc& doc);
// The sheet of the run's kind.
int EditRunSheet(wxWindow* parent, CRun& run);
// A context command on the selected tree item; false when it does not apply to the item.
bool RunTreeCommand(wxWindow* parent, int command, CPVN4Doc& doc, const RunTreeSelection& item);
// Registers the main menu's new-run command on the active project.
void BindRunCommands(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> activeDocument);

}  // namespace runs::ui

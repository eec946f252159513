#include "runs/ui/run_commands_ui.h"

#include <wx/treectrl.h>
#include <wx/utils.h>

#include "app/ui/main_frame.h"
#include "project/document.h"
#include "runs/run.h"
#include "runs/run_commands.h"
#include "runs/ui/run_sheet.h"

namespace runs::ui {

CRun* NewRunCommand(wxWindow* parent, CPVN4Doc& doc) {
  CRun* run = runs::NewRun(doc);
  if (run) EditRunProperties(parent, *run);
  return run;
}

bool RunTreeCommand(wxWindow* parent, int command, CPVN4Doc& doc, const RunTreeSelection& item) {
  // The run's tree item goes before the run, so no item outlives the run it stands for.
  auto dropItem = [tree = item.tree](CRun& run) {
    if (tree && run.treeItem) tree->Delete(wxTreeItemId(run.treeItem));
    run.treeItem = nullptr;
  };
  switch (command) {
    case kCmdRunProperties:
      if (item.type != 7 || !item.run) return false;
      EditRunProperties(parent, *item.run);
      return true;
    case kCmdDeleteRun: {
      if (item.type != 7 || !item.run) return false;
      wxBusyCursor wait;
      return runs::DeleteRun(doc, item.run, item.text, dropItem);
    }
    case kCmdCopyRun: {
      if (item.type != 7 || !item.run) return false;
      CRun* copy = runs::CopyRun(doc, *item.run);
      if (copy) EditRunProperties(parent, *copy);
      return copy != nullptr;
    }
    case kCmdDeleteAllRuns: {
      if (item.type != 6 || !item.area) return false;
      wxBusyCursor wait;
      return runs::DeleteAllRuns(doc, item.area, dropItem);
    }
    case kCmdSaveRunLogAs:
      if (item.type != 19 || !item.log) return false;
      return runs::SaveRunLogAs(*item.log);
    case kCmdOpenRunLog: {
      if (item.type != 19 || !item.log) return false;
      wxBusyCursor wait;
      return !runs::OpenRunLog(*item.log).empty();
    }
    default: return false;
  }
}

void BindRunCommands(app::ui::MainFrame& frame, std::function<CPVN4Doc*()> activeDocument) {
  frame.BindCommand(kCmdNewRun, [&frame, activeDocument] {
    CPVN4Doc* doc = activeDocument ? activeDocument() : nullptr;
    if (doc && runs::CanCreateRun(*doc)) NewRunCommand(&frame, *doc);
  });
}

}  // namespace runs::ui

#include "runs/ui/run_commands_ui.h"

#include <wx/treectrl.h>
#include <wx/utils.h>

#include "app/ui/main_frame.h"
#include "project/document.h"
#include "runs/run.h"
#include "platform/dialogs.h"
#include "runs/run_commands.h"
#include "runs/run_import.h"
#include "runs/ui/embrith_sheet.h"
#include "runs/ui/run_sheet.h"
#include "views/ui/project_tree.h"

namespace runs::ui {

namespace {

// A new or copied run: its tree item scrolled into sight, then its sheet.
CRun* ShowAndEdit(wxWindow* parent, CPVN4Doc& doc, CRun* run) {
  if (!run) return nullptr;
  if (views::ui::CPVN4View* tree = views::ui::FindTreeView(&doc); tree && run->treeItem)
    tree->EnsureVisible(wxTreeItemId(run->treeItem));
  EditRunSheet(parent, *run);
  return run;
}

}  // namespace

int EditRunSheet(wxWindow* parent, CRun& run) {
  return run.isEmbrith ? EditEmbrithRunProperties(parent, run) : EditRunProperties(parent, run);
}

CRun* NewEmbrithRunCommand(wxWindow* parent, CPVN4Doc& doc) {
  return ShowAndEdit(parent, doc, runs::NewEmbrithRun(doc));
}

CRun* ImportRunCommand(wxWindow* parent, CPVN4Doc& doc) {
  platform::FileDialogOptions options;
  options.filter = "Pyrvane Run Logs (*.txt)|*.txt|TRIAX input files (*.input)|*.input|All Files (*.*)|*.*||";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return nullptr;
  CRun* run = nullptr;
  {
    wxBusyCursor wait;
    run = runs::ImportRun(doc, *chosen);
  }
  return ShowAndEdit(parent, doc, run);
}

CRun* NewRunCommand(wxWindow* parent, CPVN4Doc& doc) {
  return ShowAndEdit(parent, doc, runs::NewRun(doc));
}

bool RunTreeCommand(wxWindow* parent, int command, CPVN4Doc& doc, const RunTreeSelection& item) {
  // The run's tree item goes before the run, so no item outlives the run it stands for.
  auto dropItem = [tree = item.tree](CRun& run) {
    if (tree && run.treeItem) tree->Delete(wxTreeItemId(run.treeItem));
    run.treeItem = nullptr;
  };
  switch (command) {
    case kCmdNewRun:
      if (item.type != 6) return false;
      return NewRunCommand(parent, doc) != nullptr;
    case kCmdRunProperties:
      if (item.type != 7 || !item.run) return false;
      EditRunSheet(parent, *item.run);
      return true;
    case kCmdDeleteRun: {
      if (item.type != 7 || !item.run) return false;
      wxBusyCursor wait;
      return runs::DeleteRun(doc, item.run, item.text, dropItem);
    }
    case kCmdCopyRun: {
      if (item.type != 7 || !item.run) return false;
      return ShowAndEdit(parent, doc, runs::CopyRun(doc, *item.run)) != nullptr;
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
  frame.BindCommand(kCmdImportRun, [&frame, activeDocument] {
    CPVN4Doc* doc = activeDocument ? activeDocument() : nullptr;
    if (doc && runs::CanImportRun(*doc)) ImportRunCommand(&frame, *doc);
  });
  frame.BindCommand(kCmdNewEmbrithRun, [&frame, activeDocument] {
    CPVN4Doc* doc = activeDocument ? activeDocument() : nullptr;
    if (doc && runs::CanCreateRun(*doc)) NewEmbrithRunCommand(&frame, *doc);
  });
}

}  // namespace runs::ui

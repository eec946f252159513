#include "runs/run_commands.h"

#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/services.h"
#include "project/document.h"
#include "project/work_area.h"
#include "runs/run.h"
#include "runs/run_embrith.h"
#include "runs/run_exec_status.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

namespace runs {

namespace {

// Files handed to a viewer: the viewer may open them long after we return, so they are
// removed when the program ends rather than on a timer.
class OpenedLogs {
 public:
  ~OpenedLogs() { RemoveAll(); }
  void Add(const std::string& path) {
    std::lock_guard lock(mutex_);
    for (const auto& p : paths_)
      if (p == path) return;
    paths_.push_back(path);
  }
  void RemoveAll() {
    std::lock_guard lock(mutex_);
    for (const auto& p : paths_) std::remove(p.c_str());
    paths_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

OpenedLogs& Opened() {
  static OpenedLogs logs;
  return logs;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

int GetDefaultRunResolution(const CPVN4Doc& doc) {
  const CTheme* elevation = doc.GetThemeByLayerType(0);
  if (!elevation) return 0;
  return DefaultRunResolution(elevation->cellWidth, elevation->rows, elevation->columns);
}

bool CanCreateRun(const CPVN4Doc& doc) { return doc.currentArea != nullptr; }

CRun* NewRun(CPVN4Doc& doc) {
  if (!doc.currentArea) return nullptr;
  auto run = std::make_unique<CRun>();
  run->inputs.griddedWindsResolution = GetDefaultRunResolution(doc);
  CRun* added = doc.currentArea->AddRun(std::move(run));
  doc.UpdateAllViews();
  doc.SetModifiedFlag();
  return added;
}

CRun* NewEmbrithRun(CPVN4Doc& doc) {
  if (!doc.currentArea) return nullptr;
  auto run = std::make_unique<CRun>();
  double x = 1.0, height = 0.0;
  if (doc.IsLandscapeLoaded()) doc.GetCellSize(&x, &height);
  InitEmbrithRun(*run, x > 0 ? x : 1.0, GetDefaultRunResolution(doc));
  CRun* added = doc.currentArea->AddRun(std::move(run));
  doc.UpdateAllViews();
  doc.SetModifiedFlag();
  return added;
}

CRun* CopyRun(CPVN4Doc& doc, const CRun& source) {
  if (!doc.currentArea) return nullptr;
  auto run = std::make_unique<CRun>();
  run->isEmbrith = source.isEmbrith;
  // Copies of one run are told apart: "Copy of X", then "Copy (2) of X", ...
  run->name = "Copy of " + source.name;
  auto taken = [&](const std::string& name) {
    for (const auto& r : doc.currentArea->runs)
      if (r && r->name == name) return true;
    return false;
  };
  for (int n = 2; taken(run->name); ++n) run->name = "Copy (" + std::to_string(n) + ") of " + source.name;
  run->inputs = source.inputs;
  run->outputs = source.outputs;
  run->mtt = source.mtt;
  run->tom = source.tom;
  run->embrith = source.embrith;
  CRun* added = doc.currentArea->AddRun(std::move(run));
  if (!added->tom.idealLandscapeFile.empty()) added->CreateIdealLandscapeThemes();
  // The ignitions and barriers the source holds as themes are the copy's too, read again from
  // their files: the pages judge a run ready by its themes.
  const std::pair<CVectorTheme* CRun::*, const std::string*> inputs[] = {
      {&CRun::mttIgnitions, &added->mtt.ignitionFile},         {&CRun::mttBarriers, &added->mtt.barrierFile},
      {&CRun::tomIgnitions, &added->tom.ignitionFile},         {&CRun::embrithIgnitions, &added->embrith.ignitionFile},
      {&CRun::embrithBarriers, &added->embrith.barrierFile}};
  for (const auto& [slot, file] : inputs) {
    const CVectorTheme* from = source.*slot;
    if (!from || file->empty() || !added->host) continue;
    auto theme = std::make_unique<CVectorTheme>();
    if (!theme->LoadShapefile(*file, doc.landscape.projection)) continue;
    theme->name = from->name;
    theme->sourcePath = from->sourcePath;
    added->*slot = added->host->AdoptVectorTheme(std::move(theme));
  }
  doc.UpdateAllViews();
  doc.SetModifiedFlag();
  return added;
}

bool DeleteRun(CPVN4Doc& doc, CRun* run, const std::string& itemText,
               const BeforeRunDeleted& before) {
  if (!run || !run->area) return false;
  if (!platform::AskYesNo(platform::FormatC("Delete Run '%s'?", itemText.c_str()))) return false;
  if (before) before(*run);
  run->area->DeleteRun(run);
  doc.UpdateAllViews();
  doc.RefreshLegendAndPointWindows();
  doc.SetModifiedFlag();
  return true;
}

bool DeleteAllRuns(CPVN4Doc& doc, CPyrvane2WorkArea* area, const BeforeRunDeleted& before) {
  if (!area || area->runs.empty()) return false;
  if (!platform::AskYesNo(
          platform::FormatC("Delete all Runs for Analysis Area: '%s'?", area->name.c_str())))
    return false;
  while (!area->runs.empty()) {
    CRun* run = area->runs.front().get();
    if (before) before(*run);
    area->DeleteRun(run);
  }
  doc.UpdateAllViews();
  doc.RefreshLegendAndPointWindows();
  doc.SetModifiedFlag();
  return true;
}

bool SaveRunLogAs(const RunLogFile& log) {
  platform::FileDialogOptions options;
  if (EqualNoCase(log.name, "Run Log")) {
    options.defaultExt = "txt";
    options.filter =
        "Text Files (*.txt)|*.txt|CSV Files (*.csv)|*.csv|CSV and Text Files "
        "(*.csv;*.txt)|*.csv;*.txt|All Files (*.*)|*.*||";
  } else {
    options.defaultExt = "csv";
    options.filter =
        "CSV Files (*.csv)|*.csv|Text Files (*.txt)|*.txt|CSV and Text Files "
        "(*.csv;*.txt)|*.csv;*.txt|All Files (*.*)|*.*||";
  }
  options.overwritePrompt = true;
  auto chosen = platform::CurrentDialogs().ChooseSaveFile(options);
  if (!chosen) return false;
  const std::string path = platform::WithDefaultExtension(*chosen, options.defaultExt);
  if (!platform::WriteFileAtomically(path, log.text)) {
    platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
    return false;
  }
  return true;
}

std::string OpenRunLog(const RunLogFile& log) {
  const std::string folder = platform::WorkingFolder();
  platform::MakeFolders(folder);
  // The title comes from the project file: only its plain characters go into the name, and
  // the name is a fresh one, so no other file is reached or replaced.
  std::string title;
  for (char c : log.name)
    title += std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '_' || c == '-' ? c : '_';
  const std::string path = platform::ReserveScratchFile("-" + title.substr(0, 64) + ".txt");
  if (path.empty()) {
    platform::Tell(platform::FormatC("Error opening a file for %s in %s", log.name.c_str(), folder.c_str()));
    return {};
  }
  Opened().Add(path);
  if (!platform::WriteFileAtomically(path, log.text)) {
    platform::Tell(platform::FormatC("Error opening %s", path.c_str()));
    return {};
  }
  if (!platform::ShellOpenFile(path)) {
    platform::Tell(platform::FormatC("Cannot show %s: no program to view it could be started.", path.c_str()));
    return {};
  }
  return path;
}

void RemoveOpenedRunLogs() { Opened().RemoveAll(); }

}  // namespace runs

#include "runs/ui/input_file_actions.h"

#include <wx/menu.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>

#include "engines/pyrvane.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "runs/run.h"
#include "runs/run_exec_editor_checks.h"
#include "runs/ui/editor_dialog.h"
#include "runs/ui/fuel_moistures_dialog.h"
#include "runs/ui/page_menus.h"
#include "weather/ui/wxs_edit_dialog.h"
#include "weather/wx_stream.h"

namespace runs::ui {

using platform::OleDateTime;

namespace {

std::optional<std::string> OpenChecked(CRun& run, const char* filter, const char* kind, bool (CRun::*check)(std::string)) {
  platform::FileDialogOptions options;
  options.filter = filter;
  auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return std::nullopt;
  if ((run.*check)(*chosen)) return chosen;
  platform::Tell(platform::FormatC("The file:\n%s is not a valid %s file.\nFirst Error:\n%s", chosen->c_str(), kind,
                                   ValidationMessage().c_str()));
  return std::nullopt;
}

}  // namespace

std::optional<std::string> OpenFmsFile(CRun& run) {
  return OpenChecked(run, "Fuel Moisture Files (*.fms)|*.fms|All Files (*.*)|*.*||", "FMS", &CRun::CheckFmsFile);
}

std::optional<std::string> OpenFmdFile(CRun& run) {
  auto chosen = OpenChecked(run, "Custom Fuel Files (*.fmd)|*.fmd|All Files (*.*)|*.*||", "FMD", &CRun::CheckFmdFile);
  if (chosen) CRun::CheckFileReadable(*chosen);
  return chosen;
}

std::optional<std::string> EditFmsFile(wxWindow* parent, const std::string& path, const std::string& generated) {
  CEditorDialog editor(parent);
  editor.kind = runs::kEditFms;
  editor.path = path;
  if (path.empty()) {
    editor.text = generated;
    editor.modified = true;  // closing without saving asks first
  }
  editor.ShowModal();
  // Only a checked, valid file on disk is taken.
  if (!editor.path.empty() && editor.verdict) return editor.path;
  return std::nullopt;
}

std::optional<std::string> EditFmdFile(wxWindow* parent, const std::string& path) {
  CEditorDialog editor(parent);
  editor.kind = runs::kEditFmd;
  editor.path = path;
  editor.ShowModal();
  if (!editor.path.empty()) return editor.path;
  return std::nullopt;
}

std::optional<std::string> LandscapeFmsText(wxWindow* parent, CRun& run, bool (*keep)(int model)) {
  CFuelMoisturesDialog moistures(parent);
  if (moistures.ShowModal() != wxID_OK) return std::nullopt;
  const int m[5] = {moistures.oneHour, moistures.tenHour, moistures.hundredHour, moistures.herbaceous,
                    moistures.liveWoody};
  std::string text = platform::FormatC("0 %d %d %d %d %d\n", m[0], m[1], m[2], m[3], m[4]);
  CPyrvane engine;
  if (run.document) engine.SetLandscapeFile(run.document->landscape.path.c_str());
  const int count = engine.GetLayerHeaderValCount(3);
  for (int i = 1; i <= count; ++i) {
    const int model = engine.GetLayerHeaderVal(3, i);
    if (keep(model)) text += platform::FormatC("%d %d %d %d %d %d\n", model, m[0], m[1], m[2], m[3], m[4]);
  }
  return text;
}

bool CFuelFileCommands::AppendFuelFileItems(wxMenu& menu, int buttonId) const {
  switch (buttonId) {
    case 1477:
      menu.Append(MenuId(kOpenFms), "&Open FMS File");
      menu.Append(MenuId(kCreateFms), "&Create FMS File");
      menu.Append(MenuId(kEditFms), "&Edit FMS File")->Enable(!fmsFile.empty());
      return true;
    case 1478:
      menu.Append(MenuId(kOpenFmd), "&Open FMD File...");
      menu.Append(MenuId(kEditFmd), "&Edit FMD File")->Enable(!fmdFile.empty());
      return true;
    default: return false;
  }
}

void CFuelFileCommands::OnOpenFms() {
  PullControls();
  // A cancelled choice leaves the run's outputs as they are.
  if (auto chosen = OpenFmsFile(*run_)) {
    fmsFile = *chosen;
    FuelFileTaken();
    OnEditFms();
  }
  FuelFileChoiceEnded();
}

void CFuelFileCommands::OnEditFms() { EditFms(fmsFile, {}); }

void CFuelFileCommands::EditFms(const std::string& path, const std::string& generated) {
  if (auto taken = EditFmsFile(page_, path, generated)) {
    fmsFile = *taken;
    FuelFileTaken();
  }
}

void CFuelFileCommands::CreateFms(bool (*keep)(int model)) {
  if (const auto text = LandscapeFmsText(page_, *run_, keep)) EditFms({}, *text);
}

void CFuelFileCommands::OnOpenFmd() {
  PullControls();
  if (auto chosen = OpenFmdFile(*run_)) {
    fmdFile = *chosen;
    FuelFileTaken();
    OnEditFmd();
  }
  FuelFileChoiceEnded();
}

void CFuelFileCommands::OnEditFmd() {
  if (auto taken = EditFmdFile(page_, fmdFile)) {
    fmdFile = *taken;
    FuelFileTaken();
  }
}

std::optional<ChosenStream> OpenWxsFile() {
  platform::FileDialogOptions options;
  options.filter = "Weather Stream Files (*.wxs)|*.wxs|All Files (*.*)|*.*||";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return std::nullopt;
  CWxStream stream;
  ChosenStream out;
  std::string message;
  const int count = stream.Read(*chosen);
  if (count < 0) {
    platform::Tell(platform::FormatC("Error opening %s", chosen->c_str()));
    return std::nullopt;
  }
  out.valid = stream.Validate(out.first, out.last, message);
  if (!out.valid) {
    if (message.empty()) message = "The file " + *chosen + " holds no weather records.";
    if (!platform::AskYesNo(message + "\nThis needs to be fixed before the file can be used in a run.\n\n"
                            "Load WXS file anyway?"))
      return std::nullopt;
  }
  if (!stream.elevationRead) platform::Tell("Warning!: No elevation field in WXS file.");
  out.path = *chosen;
  return out;
}

bool ReadEditedStream(const weather::ui::CWXSEditDialog& editor, OleDateTime& first, OleDateTime& last,
                      std::string& message) {
  if (editor.model.path.empty() || !editor.model.streamValid) return false;
  CWxStream stream;
  if (stream.Read(editor.model.path) < 0) {
    message = platform::FormatC("Error opening %s", editor.model.path.c_str());
    return false;
  }
  return stream.Validate(first, last, message);
}

}  // namespace runs::ui

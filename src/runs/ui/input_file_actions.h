#pragma once
// What the run pages do with their input files alike: FMS and FMD files chosen, checked and
// edited; an FMS text made from the landscape's fuel models; weather streams chosen or taken
// from the stream editor.
#include <optional>
#include <string>

#include "platform/date_time.h"

class CRun;
class wxMenu;
class wxTextCtrl;
class wxWindow;

namespace weather::ui {
class CWXSEditDialog;
}

namespace runs::ui {

// The file-open dialog for an FMS (FMD) file; a file that fails the check is refused with
// "The file:\n%s is not a valid FMS file.\nFirst Error:\n%s". The chosen valid path, if any.
std::optional<std::string> OpenFmsFile(CRun& run);
std::optional<std::string> OpenFmdFile(CRun& run);
// The input-file editor on an FMS file (or on generated text when the path is empty): the file
// it closed on when that was saved and found valid.
std::optional<std::string> EditFmsFile(wxWindow* parent, const std::string& path, const std::string& generated);
// The editor on an FMD file: the file it closed on, valid or not.
std::optional<std::string> EditFmdFile(wxWindow* parent, const std::string& path);
// The default moistures asked for, then a line for them and one per fuel model of the
// landscape that `keep` accepts. Nothing when the dialog was cancelled.
std::optional<std::string> LandscapeFmsText(wxWindow* parent, CRun& run, bool (*keep)(int model));

// The Fuel Moisture File and Fuel Model File commands of a page that names both files.
class CFuelFileCommands {
 public:
  enum { kOpenFms = 33010, kEditFms = 33011, kCreateFms = 33012, kOpenFmd = 33013, kEditFmd = 33014 };

  // A valid FMS file chosen becomes the page's, then opens in the editor.
  void OnOpenFms();
  void OnEditFms();
  void OnOpenFmd();
  void OnEditFmd();

  std::string fmdFile, fmsFile;

 protected:
  CFuelFileCommands(wxWindow* page, CRun* run) : page_(page), run_(run) {}
  virtual ~CFuelFileCommands() = default;
  // The items of the Fuel Moisture File (1477) or Fuel Model File (1478) button's menu;
  // false for another button.
  bool AppendFuelFileItems(wxMenu& menu, int buttonId) const;
  // The editor on an FMS file, or on generated text when the path is empty.
  void EditFms(const std::string& path, const std::string& generated);
  // The editor on an FMS text made from the landscape's fuel models that `keep` accepts.
  void CreateFms(bool (*keep)(int model));
  // The page's typed values, taken before a file is chosen (refusals are not said).
  virtual void PullControls() = 0;
  // A file was taken: the page shows it and is marked changed.
  virtual void FuelFileTaken() = 0;
  // A choice of file ended, taken or not.
  virtual void FuelFileChoiceEnded() {}

 private:
  wxWindow* page_;
  CRun* run_;
};

// A weather stream chosen with the file-open dialog: read and checked; an invalid one is taken
// only when the user says so (its times then invalid); "Warning!: No elevation field in WXS
// file." for a stream without elevation.
struct ChosenStream {
  std::string path;
  platform::OleDateTime first = platform::OleDateTime::Invalid(), last = platform::OleDateTime::Invalid();
  bool valid = false;
};
std::optional<ChosenStream> OpenWxsFile();
// A stream the editor saved and judged valid, read again and checked; false (nothing taken)
// otherwise, with the check's message.
bool ReadEditedStream(const weather::ui::CWXSEditDialog& editor, platform::OleDateTime& first,
                      platform::OleDateTime& last, std::string& message);

}  // namespace runs::ui

#pragma once
// "Edit Atmosphere Grid File": the rows of an atmosphere file (month, day, time and the wind
// speed and direction grids), edited in a cell grid, checked against the run's burn periods
// and saved. The file's reading, writing and checks are the model's (weather/atm_file.h).
#include <wx/dialog.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gridmodel/ug_celltypes.h"
#include "weather/atm_file.h"

class wxChoice;
class wxTextCtrl;

namespace widgets {
class CUGWindow;
}

namespace weather::ui {

class CAtmDialog;

class AtmCUG : public gridmodel::CUGCtrl {
 public:
  explicit AtmCUG(CAtmDialog* dialog) : dialog_(dialog) {}
  std::string folder;
  void OnInitGrid() override;
  void OnCellDoubleClick(int col, long row, gridmodel::UGRect*, gridmodel::UGPoint*, bool) override { BeginEdit(); }
  void OnGridChar(unsigned* ch, bool) override {
    if (*ch >= 32) BeginEditWithKey(static_cast<int>(*ch));
  }
  void OnGridKeyDown(unsigned* vkey, bool processed) override;
  int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) override;
  int OnPopupMenuStart(int col, long row, int section) override;
  void OnPopupMenuCommand(int col, long row, int section, unsigned itemId) override;
  int OnEndCellEdit(int col, long row, gridmodel::CUGEditor* editor, const std::string& text, bool cancelled) override;
  gridmodel::Colour OnGetSectionBackColor(int) override {
    return gridmodel::Colour::System(gridmodel::SysColour::ButtonFace);
  }
  std::vector<AtmRow> Rows();
  void SetRow(long row, const AtmRow& r);

 private:
  CAtmDialog* dialog_;
  gridmodel::CUGEllipsisType ellipsis_;
  int ellipsisId_ = -1;
};

// "Select an Ascii Grid File": the .asc and .tif files of a folder.
class CFileSelectDialog : public wxDialog {
 public:
  CFileSelectDialog(wxWindow* parent, const std::string& folder, const std::string& selected,
                    const std::string& title);
  std::string selected;
  std::vector<std::string> names;
};

class CAtmDialog : public wxDialog {
 public:
  enum { kOpen = 1146, kSaveAs = 1142, kCheck = 1144, kHelp = 1147, kFolder = 1415, kPeriod = 1025,
         kUnits = 1360, kGrid = 1015, kAppend = 1411, kInsert = 1414, kCopy = 1412, kDelete = 1374 };
  explicit CAtmDialog(wxWindow* parent);
  ~CAtmDialog() override;
  int ShowModal() override;
  void Prepare();

  // ---- set by the caller ----
  std::string path;                    // read back afterwards
  const AtmRunContext* run = nullptr;  // the run's burn periods and area; null without a run
  int condMonth = -1, condDay = 0, condHour = 0, condMinute = 0;  // the run's conditioning start

  bool changed = false;
  std::string folder;
  AtmCUG grid{this};
  wxChoice* units = nullptr;
  wxTextCtrl* folderBox = nullptr;
  wxTextCtrl* periodBox = nullptr;

  void OnOpen();
  bool OnSaveAs();
  // The verdict of the check, also shown.
  std::string OnCheck();
  void OnAppend();
  void OnInsert();
  void OnCopy();
  void OnDelete();
  void OnOK();
  void OnCancel();
  // Reads a file into the rows; false (rows kept) with "Error: %s" shown.
  bool LoadFile(const std::string& file);
  // The grid-file dialog for a row's speed (3) or direction (4) column.
  void PickFile(long row, int col, const std::string& from);
  // Answers the grid-file dialog in place of the user (tests): the chosen name or nothing.
  std::function<std::optional<std::string>(const std::vector<std::string>& names)> fileChooser;
  void MarkChanged() { changed = true; }

 private:
  static constexpr const char* kSaveQuestion = "Changes have not been saved. Save before closing?";
  void NumberRows();
  bool Write(const std::string& target);
  // Writes the rows to the current path (Save As without one); false when not written.
  bool SaveChanges();
  widgets::CUGWindow* gridWindow_ = nullptr;
};

}  // namespace weather::ui

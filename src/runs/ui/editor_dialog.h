#pragma once
// "Edit File": a text editor for FMS, FMD and ADJ files with its own content checks. The
// caller sets the kind and the path (or a preset text marked modified), runs it modally, and
// then reads the path of the file on disk and the verdict of the last check.
#include <wx/dialog.h>

#include <string>

class wxButton;
class wxTextCtrl;

namespace runs::ui {

class CEditorDialog : public wxDialog {
 public:
  enum {
    kPrintId = 1140, kSaveId = 1141, kSaveAsId = 1142, kTextId = 1143, kValidateId = 1144,
    kNewId = 1145, kOpenId = 1146, kHelpId = 1147
  };
  explicit CEditorDialog(wxWindow* parent);

  // Loads the file (or shows the preset text) and runs the dialog.
  int ShowModal() override;
  // The same preparation without the modal loop (for a modeless look in tests).
  void Prepare();

  // Runs the check of the kind; with showResult its text is shown in a message box.
  bool ValidateContents(bool showResult);
  // The closing sequence of the close box and Esc: true when the dialog may close.
  bool QueryClose();

  bool Save();
  bool SaveAs();
  void NewFile();
  void OpenFile();

  std::string GetText() const;
  void SetControlText(const std::string& text);

  // ---- set by the caller, read back after the dialog ----
  bool verdict = false;  // false until a check has run: an unchecked file is never taken
  int kind = 0;          // 1 FMS, 2 FMD, 5 ADJ, else plain text
  std::string text;
  bool modified = false;
  std::string path;
  std::string extension;

 private:
  void SetTitleForPath();
  bool WriteTo(const std::string& target);
  void OnClose(wxCloseEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnTextChanged(wxCommandEvent& event);
  void Print();

  wxTextCtrl* edit_ = nullptr;
  wxButton* save_ = nullptr;
  bool loading_ = false;
};

}  // namespace runs::ui

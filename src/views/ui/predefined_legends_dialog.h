#pragma once
// "Predefined Legends": the named legends the application keeps, by theme type; each one is
// added, edited and deleted at once in the application's lists (OK and Cancel undo nothing).
#include <wx/dialog.h>

class wxButton;
class wxChoice;
class wxListBox;

namespace views::ui {

class CPredefinedLegendsDialog : public wxDialog {
 public:
  enum { kEdit = 1107, kDelete = 1105, kAddNew = 1106, kTypes = 1125, kList = 1124, kHelp = 1184 };
  explicit CPredefinedLegendsDialog(wxWindow* parent);

  // The selected theme type, -1 for none.
  int SelectedType() const;
  void FillList();
  void OnAddNew();
  void OnEdit();
  void OnDelete();
  void UpdateButtons();

  wxChoice* types = nullptr;
  wxListBox* list = nullptr;
  wxButton* addNew = nullptr;
  wxButton* edit = nullptr;
  wxButton* remove = nullptr;
};

}  // namespace views::ui

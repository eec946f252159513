#pragma once
// The read-only properties of a project (its landscape) or of the current analysis area
// inside that landscape.
#include <wx/dialog.h>

#include <utility>
#include <vector>

#include "project/property_texts.h"

class CPVN4Doc;
class CPyrvane2WorkArea;
class wxTextCtrl;

namespace project::ui {

class CProjectPropertyDialog : public wxDialog {
 public:
  // Control ids of the fields.
  static constexpr int kPathEdit = 1025;
  static constexpr int kLatitudeEdit = 1081;
  static constexpr int kNorthEdit = 1082;
  static constexpr int kSouthEdit = 1083;
  static constexpr int kEastEdit = 1084;
  static constexpr int kWestEdit = 1085;
  static constexpr int kCellSizeXEdit = 1086;
  static constexpr int kCellSizeYEdit = 1087;
  static constexpr int kCellsEastEdit = 1088;
  static constexpr int kCellsNorthEdit = 1089;

  // area: null for the project's properties.
  CProjectPropertyDialog(wxWindow* parent, CPVN4Doc& doc, CPyrvane2WorkArea* area);

  const PropertyTexts& Texts() const { return texts_; }

 private:
  void AddField(wxSizer* sizer, const char* label, int id, int widthDialogUnits,
                const std::string& text);
  void FitFields();
  void ShowPath();

  PropertyTexts texts_;
  wxTextCtrl* path_ = nullptr;
  std::vector<std::pair<wxTextCtrl*, int>> fields_;  // with their classic widths
  bool refitted_ = false;
};

// The project item's and the analysis-area item's "Properties" commands: the dialog over
// parent for the project, or for the document's current area.
void ShowProjectProperties(wxWindow* parent, CPVN4Doc& doc);
void ShowAreaProperties(wxWindow* parent, CPVN4Doc& doc);

}  // namespace project::ui

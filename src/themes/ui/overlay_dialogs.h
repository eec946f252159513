#pragma once
// Dialogs of the overlays drawn over the map: "Contouring" (interval and thinning of a new
// contour), the property dialogs of contour and vector themes, and the draw order of overlays.
// Each changes what it edits only on OK.
#include <wx/dialog.h>

#include <memory>
#include <string>
#include <vector>

#include "project/document.h"

class CContourTheme;
class CTheme;
class CThemeLegendData;
class CVectorTheme;
class wxCheckBox;
class wxComboBox;
class wxChoice;
class wxListBox;
class wxStaticText;
class wxTextCtrl;
namespace widgets {
class CColorStatic;
class CNumSpinCtrl;
}  // namespace widgets

namespace themes::ui {

class CContourDialog : public wxDialog {
 public:
  // Range in the legend's display units; the distance starts at the theme's cell width.
  CContourDialog(wxWindow* parent, CTheme* theme, const CThemeLegendData* legend, double minimum,
                 double maximum);
  ~CContourDialog() override;
  // Refuses a text that is not a number (naming the field), an interval not above 0 or above
  // half the range, and a distance not above 0; otherwise closes with OK.
  void OnOK();

  CTheme* theme;
  const CThemeLegendData* legend;
  double minimum, maximum;
  float interval = 0;
  float minPointDistance = 0;
  wxTextCtrl *intervalEdit = nullptr, *distanceEdit = nullptr, *minimumText = nullptr, *maximumText = nullptr;
  wxStaticText* unitsText = nullptr;

 private:
  std::unique_ptr<widgets::CNumSpinCtrl> intervalSpin_, distanceSpin_;
};

// Title, visibility, colour, a style list and a width list: the look every overlay dialog
// shares. The swatch's colour changes on a double-click in the dialog over it.
class OverlayPropertiesDialog : public wxDialog {
 public:
  wxTextCtrl* titleEdit = nullptr;
  wxCheckBox* visibleCheck = nullptr;
  widgets::CColorStatic* swatch = nullptr;
  wxChoice* styleList = nullptr;  // line styles, or point symbols
  wxChoice* widthList = nullptr;  // "1" .. "10"

 protected:
  OverlayPropertiesDialog(wxWindow* parent, const wxString& caption);
  // Lays out the title, an optional read-only row, and the display group.
  void Build(const std::string& title, const wxString& infoLabel, const std::string& info,
             const wxString& infoUnits, bool visible, COLORREF colour, const wxArrayString& styles,
             int styleIndex, const wxString& styleLabel, const wxString& widthLabel, int width);
  // The title, or "" after telling the user it cannot be blank.
  std::string CheckedTitle() const;
  // The width list's number; 0 when nothing is chosen.
  int ChosenWidth() const;
};

class CContourPropertiesDialog : public OverlayPropertiesDialog {
 public:
  CContourPropertiesDialog(wxWindow* parent, CContourTheme& contour);
  void OnOK();
  CContourTheme& contour;
  wxTextCtrl* intervalEdit = nullptr;
};

// Points, lines or polygons: the family of the theme's shape type decides which pen is edited.
class VectorPropertiesDialog : public OverlayPropertiesDialog {
 public:
  void OnOK();
  CVectorTheme& theme;

 protected:
  enum class Family { Points, Lines, Polygons };
  VectorPropertiesDialog(wxWindow* parent, CVectorTheme& theme, Family family);
  Family family_;
};

class CPointVectorPropertiesDialog : public VectorPropertiesDialog {
 public:
  CPointVectorPropertiesDialog(wxWindow* parent, CVectorTheme& theme)
      : VectorPropertiesDialog(parent, theme, Family::Points) {}
};
class CVectorThemePropertiesDialog : public VectorPropertiesDialog {
 public:
  CVectorThemePropertiesDialog(wxWindow* parent, CVectorTheme& theme)
      : VectorPropertiesDialog(parent, theme, Family::Lines) {}
};
class CPolyThemePropertiesDialog : public VectorPropertiesDialog {
 public:
  CPolyThemePropertiesDialog(wxWindow* parent, CVectorTheme& theme)
      : VectorPropertiesDialog(parent, theme, Family::Polygons) {}
};

// The dialog for a vector theme's shape type, or null for a type without one.
std::unique_ptr<VectorPropertiesDialog> MakeVectorPropertiesDialog(wxWindow* parent, CVectorTheme& theme);

class CDrawPriorityDialog : public wxDialog {
 public:
  CDrawPriorityDialog(wxWindow* parent, std::vector<CVectorThemeItem>& list);
  // "UP", "DOWN", "TOP", "BOTTOM" on the selected entry.
  void Move(int button);
  void OnOK();
  wxListBox* listBox = nullptr;
  std::vector<CVectorThemeItem> order;  // as the list shows it, top first

 private:
  void Fill();
  std::vector<CVectorThemeItem>& list_;
};

// "Create Raster Theme": the attribute field of a polygon theme to burn into a grid and the
// new theme's name. Choosing a field proposes "<theme>_<field>"; OK refuses a blank name.
class CCreateRasterThemeDlg : public wxDialog {
 public:
  CCreateRasterThemeDlg(wxWindow* parent, const CVectorTheme& theme);
  void OnFieldChosen();
  void OnOK();
  std::string fieldName, themeName;
  wxComboBox* fieldCombo = nullptr;  // 1349
  wxTextCtrl* nameEdit = nullptr;    // 1350

 private:
  const CVectorTheme& theme_;
};

// What the dialog lists for an entry of the draw order.
std::string OverlayItemName(const CVectorThemeItem& item);

}  // namespace themes::ui

#pragma once
// The modeless "Measure" window: the length of the line through the measure points, or the
// perimeter and area of the closed shape, in units the user picks.
#include <wx/dialog.h>

class wxTextCtrl;
class wxStaticText;
class wxChoice;
class wxRadioButton;

namespace views::ui {

class CMapView;

class CMeasureDialog : public wxDialog {
 public:
  static constexpr int kLine = 0;
  static constexpr int kPolygon = 1;

  CMeasureDialog(wxWindow* parent, CMapView& view);

  int Mode() const { return mode_; }
  void Recalculate();
  // The Line and Polygon choices, as their radio buttons do.
  void ChooseMode(int mode);
  void Clear();
  // Close and the close box: back to Identify, the points go, the window hides.
  void CloseMeasure();

  wxString LengthText() const;
  wxString AreaText() const;
  wxString LengthLabel() const;
  bool AreaShown() const;
  wxChoice* LengthUnits() const { return lengthUnits_; }
  wxChoice* AreaUnits() const { return areaUnits_; }

 private:
  void ShowAreaControls(bool show);

  CMapView& view_;
  int mode_ = kLine;
  wxTextCtrl* lengthValue_ = nullptr;
  wxTextCtrl* areaValue_ = nullptr;
  wxStaticText* lengthLabel_ = nullptr;
  wxStaticText* areaLabel_ = nullptr;
  wxChoice* lengthUnits_ = nullptr;
  wxChoice* areaUnits_ = nullptr;
  wxRadioButton* line_ = nullptr;
  wxRadioButton* polygon_ = nullptr;
};

}  // namespace views::ui

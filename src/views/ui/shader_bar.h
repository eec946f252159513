#pragma once
// The relief-shading bar of the main window: shading on or off, the light's azimuth and
// intensity, for the active project; every change re-renders that project's map.
#include <wx/control.h>

#include "widgets/num_spin_ctrl.h"

class CPVN4Doc;
class wxCheckBox;
class wxTextCtrl;
class wxButton;

namespace views::ui {

class CShaderBar : public wxControl {
 public:
  explicit CShaderBar(wxWindow* parent);

  // The project whose settings the bar shows and edits (null for none).
  void SetDocument(CPVN4Doc* doc) { doc_ = doc; }
  CPVN4Doc* Document() const { return doc_; }
  // Loading (save false) shows the document's settings; saving stores the controls into the
  // fields and the document. False when a typed value is not a number (nothing stored).
  bool UpdateData(bool save);
  // The check box and Apply: save, then re-render the document's map.
  void Apply();

  wxCheckBox* ShadingBox() const { return shading_; }
  wxTextCtrl* AzimuthEdit() const { return azimuthEdit_; }
  wxTextCtrl* IntensityEdit() const { return intensityEdit_; }
  wxButton* ApplyButton() const { return apply_; }
  widgets::CNumSpinCtrl& AzimuthSpin() { return azimuthSpin_; }
  widgets::CNumSpinCtrl& IntensitySpin() { return intensitySpin_; }
  // Whether the shading controls apply: the project has an aspect layer.
  bool ShadingAvailable() const;

 private:
  CPVN4Doc* doc_ = nullptr;
  float azimuth_ = 316.0f;
  float intensity_ = 0.5f;
  bool shadingOn_ = false;
  wxCheckBox* shading_ = nullptr;
  wxTextCtrl* azimuthEdit_ = nullptr;
  wxTextCtrl* intensityEdit_ = nullptr;
  wxButton* apply_ = nullptr;
  widgets::CNumSpinCtrl azimuthSpin_;
  widgets::CNumSpinCtrl intensitySpin_;
};

}  // namespace views::ui

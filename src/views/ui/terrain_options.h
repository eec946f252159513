#pragma once
// The 3D window's options: vertical exaggeration, light direction, background and ambient
// colours, texture density and the arrows' exaggeration, and how the mesh was built. OK and
// Apply write them into the window, which rebuilds and repaints its scene.
#include <wx/panel.h>
#include <wx/propdlg.h>

#include <optional>
#include <string>

#include "widgets/color_static.h"
#include "widgets/num_spin_ctrl.h"

class wxSpinCtrl;
class wxTextCtrl;

namespace views::ui {

class C3DDialog;

class C3DPropertyPage : public wxPanel {
 public:
  C3DPropertyPage(wxWindow* parent, C3DDialog& view);

  // Writes the values into the view and rebuilds it. False, with the field named, when a
  // typed value is not a number; nothing is written then.
  bool OnApply();
  bool Modified() const { return modified_; }

  wxTextCtrl* Exaggeration() const { return exaggeration_; }
  wxTextCtrl* Azimuth() const { return azimuth_; }
  wxTextCtrl* Inclination() const { return inclination_; }
  wxSpinCtrl* Density() const { return density_; }
  wxSpinCtrl* VectorExaggeration() const { return vectorExaggeration_; }
  widgets::CColorStatic* Background() const { return background_; }
  widgets::CColorStatic* Ambient() const { return ambient_; }
  wxTextCtrl* Info(int i) const { return info_[i]; }

 private:
  wxTextCtrl* NumberEdit(wxWindow* parent, widgets::CNumSpinCtrl& spin, double min, double max, double step,
                         int places, double value, wxSizer* row);
  void SetModified();

  C3DDialog& view_;
  bool modified_ = false;
  widgets::CNumSpinCtrl exaggerationSpin_, azimuthSpin_, inclinationSpin_;
  wxTextCtrl* exaggeration_ = nullptr;
  wxTextCtrl* azimuth_ = nullptr;
  wxTextCtrl* inclination_ = nullptr;
  widgets::CColorStatic* background_ = nullptr;
  widgets::CColorStatic* ambient_ = nullptr;
  wxSpinCtrl* density_ = nullptr;
  wxSpinCtrl* vectorExaggeration_ = nullptr;
  wxTextCtrl* info_[4] = {};
};

// The sheet without a caption of its own that holds the page, with OK, Cancel, Apply and Help.
class C3DPropertySheet : public wxPropertySheetDialog {
 public:
  C3DPropertySheet(wxWindow* parent, C3DDialog& view);
  C3DPropertyPage* Page() const { return page_; }

 private:
  C3DPropertyPage* page_ = nullptr;
};

// Direct3D keeps 0x00RRGGBB, the swatches 0x00BBGGRR: the first and third bytes swap.
std::uint32_t SwapRedBlue(std::uint32_t colour);

}  // namespace views::ui

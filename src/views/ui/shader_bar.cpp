#include "views/ui/shader_bar.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <algorithm>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"

namespace views::ui {

namespace {
constexpr int kAspectLayer = 2;

// The framework's float text: shortest form, at most 6 significant digits.
wxString FloatText(float value) { return wxString::FromUTF8(platform::FormatC("%g", value)); }
}  // namespace

CShaderBar::CShaderBar(wxWindow* parent)
    : wxControl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE) {
  shading_ = new wxCheckBox(this, wxID_ANY, "Relief Shading");
  azimuthEdit_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(55, -1), 0,
                                wxTextValidator(wxFILTER_DIGITS));
  auto* azimuthArrows = new wxSpinButton(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
  intensityEdit_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(60, -1));
  auto* intensityArrows = new wxSpinButton(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
  apply_ = new wxButton(this, wxID_ANY, "Apply", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);

  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(shading_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 4);
  row->Add(new wxStaticText(this, wxID_ANY, "Azimuth: "), 0, wxALIGN_CENTER_VERTICAL);
  row->Add(azimuthEdit_, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(azimuthArrows, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(new wxStaticText(this, wxID_ANY, "Intensity:"), 0, wxALIGN_CENTER_VERTICAL);
  row->Add(intensityEdit_, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(intensityArrows, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(apply_, 0, wxALIGN_CENTER_VERTICAL);
  SetSizerAndFit(row);

  // Controls loaded from the fields first, then the spins take over their edits.
  UpdateData(false);
  azimuthSpin_.Attach(azimuthArrows);
  azimuthSpin_.SetBuddy(azimuthEdit_);
  azimuthSpin_.SetFormatString("%.0f");
  azimuthSpin_.SetRangeAndStep(0, 359, 1);
  azimuthSpin_.SetValue(316);
  intensitySpin_.Attach(intensityArrows);
  intensitySpin_.SetBuddy(intensityEdit_);
  intensitySpin_.SetFormatString("%.2f");
  intensitySpin_.SetRangeAndStep(0, 1, 0.01);
  intensitySpin_.SetValue(0.5);

  shading_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { Apply(); });
  apply_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Apply(); });
  auto enable = [this](wxUpdateUIEvent& e) { e.Enable(ShadingAvailable()); };
  shading_->Bind(wxEVT_UPDATE_UI, enable);
  apply_->Bind(wxEVT_UPDATE_UI, enable);
}

bool CShaderBar::ShadingAvailable() const {
  return doc_ && doc_->GetThemeByLayerType(kAspectLayer) != nullptr;
}

bool CShaderBar::UpdateData(bool save) {
  if (!save) {
    if (doc_) {
      shadingOn_ = doc_->reliefShading != 0;
      azimuth_ = static_cast<float>(doc_->shadingAzimuth);
      intensity_ = doc_->shadingStrength;
    }
    shading_->SetValue(shadingOn_);
    azimuthEdit_->ChangeValue(FloatText(azimuth_));
    intensityEdit_->ChangeValue(FloatText(intensity_));
    return true;
  }
  const auto azimuth = platform::ParseDouble(azimuthEdit_->GetValue().utf8_string());
  const auto intensity = platform::ParseDouble(intensityEdit_->GetValue().utf8_string());
  for (auto [value, edit] : {std::pair{azimuth, azimuthEdit_}, std::pair{intensity, intensityEdit_}}) {
    if (!value) {
      platform::Tell("Please enter a number.");
      edit->SetFocus();
      return false;
    }
  }
  shadingOn_ = shading_->GetValue();
  azimuth_ = static_cast<float>(*azimuth);
  intensity_ = static_cast<float>(*intensity);
  if (doc_) {
    doc_->reliefShading = shadingOn_ ? 1 : 0;
    // Truncated, and kept within what an int holds.
    doc_->shadingAzimuth = static_cast<int>(std::clamp(static_cast<double>(azimuth_), -2e9, 2e9));
    doc_->shadingStrength = intensity_;
  }
  return true;
}

void CShaderBar::Apply() {
  if (!UpdateData(true)) return;
  if (doc_) doc_->RefreshMap();
}

}  // namespace views::ui

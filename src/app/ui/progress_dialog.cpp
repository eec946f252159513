#include "app/ui/progress_dialog.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

namespace app::ui {

CProgressDialog::CProgressDialog(wxWindow* parent, const wxString& caption)
    : wxDialog(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, wxCAPTION) {
  text_ = new wxTextCtrl(this, 1025, wxEmptyString, wxDefaultPosition,
                         ConvertDialogToPixels(wxSize(171, 14)), wxTE_READONLY);
  bar_ = new wxGauge(this, 1068, 100, wxDefaultPosition, ConvertDialogToPixels(wxSize(172, 14)));
  cancelButton_ = new wxButton(this, wxID_CANCEL, "Cancel");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(text_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);
  sizer->Add(bar_, 0, wxEXPAND | wxALL, 8);
  sizer->Add(cancelButton_, 0, wxALIGN_CENTER_HORIZONTAL | wxBOTTOM, 8);
  SetSizerAndFit(sizer);

  // Cancel and Escape only raise the flag; the owner closes the window.
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
    if (e.CanVeto()) {
      e.Veto();
      OnCancel();
    } else {
      Destroy();
    }
  });
  SetEscapeId(wxID_CANCEL);

  CentreOnParent();
  Show();
  Raise();
  disabler_ = std::make_unique<wxWindowDisabler>(this);
  Update();
}

CProgressDialog::~CProgressDialog() = default;

bool CProgressDialog::Destroy() {
  // Give the other windows back as soon as the work ends, not when the object goes.
  disabler_.reset();
  return wxDialog::Destroy();
}

void CProgressDialog::OnCancel() { cancel_ = 1; }

int CProgressDialog::CheckCancel() {
  // Yield refuses to nest, so a command reached from inside the pump cannot recurse here.
  if (wxTheApp) wxTheApp->Yield(true);
  return cancel_;
}

void CProgressDialog::SetPath(const std::string& text) {
  wxString full = wxString::FromUTF8(text);
  int width = text_->GetClientSize().GetWidth() - 8;
  wxClientDC dc(text_);
  dc.SetFont(text_->GetFont());
  wxString shown =
      width > 0 ? wxControl::Ellipsize(full, dc, wxELLIPSIZE_MIDDLE, width) : full;
  text_->ChangeValue(shown);
  text_->Refresh();
  text_->Update();
}

void CProgressDialog::SetPos(int position) {
  position = std::clamp(position, 0, 100);
  if (bar_->GetValue() >= position) return;
  bar_->SetValue(position);
  bar_->Refresh();
  Update();
}

void CProgressDialog::Reset() {
  bar_->SetValue(0);
  text_->ChangeValue(wxEmptyString);
  bar_->Refresh();
  text_->Refresh();
  Update();
}

int CProgressDialog::GetPos() const { return bar_->GetValue(); }

wxString CProgressDialog::GetShownText() const { return text_->GetValue(); }

ProgressWindowSink::ProgressWindowSink(wxWindow* parent, const wxString& caption)
    : window_(new CProgressDialog(parent, caption)) {}

ProgressWindowSink::~ProgressWindowSink() {
  if (window_ && !window_->IsBeingDeleted()) window_->Destroy();
}

void ProgressWindowSink::SetText(const std::string& text) {
  text_ = text;
  if (window_) window_->SetPath(text);
}

void ProgressWindowSink::SetRange(long long range) {
  // A new range starts a new item: the bar, which only moves forward, starts again.
  range_ = range;
  if (!window_) return;
  window_->Reset();
  if (!text_.empty()) window_->SetPath(text_);
}

void ProgressWindowSink::SetPosition(long long pos) {
  if (!window_ || range_ <= 0) return;
  long long clamped = std::clamp(pos, 0LL, range_);
  // Scaled in floating point: archive sizes times 100 may not fit in 64 bits.
  window_->SetPos(static_cast<int>(static_cast<double>(clamped) * 100.0 / static_cast<double>(range_)));
}

bool ProgressWindowSink::CancelRequested() {
  // A window that has gone counts as cancelled: the work has nowhere left to report.
  return !window_ || window_->CheckCancel() != 0;
}

}  // namespace app::ui

#include "widgets/num_spin_ctrl.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/numbers.h"

namespace widgets {

CNumSpinCtrl::~CNumSpinCtrl() { Attach(nullptr); }

void CNumSpinCtrl::Attach(wxSpinButton* arrows) {
  if (arrows_) {
    arrows_->Unbind(wxEVT_SPIN_UP, &CNumSpinCtrl::OnSpin, this);
    arrows_->Unbind(wxEVT_SPIN_DOWN, &CNumSpinCtrl::OnSpin, this);
  }
  arrows_ = arrows;
  if (!arrows) return;
  arrows->Bind(wxEVT_SPIN_UP, &CNumSpinCtrl::OnSpin, this);
  arrows->Bind(wxEVT_SPIN_DOWN, &CNumSpinCtrl::OnSpin, this);
  SyncRange();
}

void CNumSpinCtrl::SetBuddy(wxTextCtrl* buddy) { buddy_ = buddy; }

void CNumSpinCtrl::SetRangeAndStep(double min, double max, double step) {
  min_ = min;
  max_ = max;
  step_ = step;
  SyncRange();
}

void CNumSpinCtrl::GetRangeAndStep(double& min, double& max, double& step) const {
  min = min_;
  max = max_;
  step = step_;
}

double CNumSpinCtrl::GetValue() const {
  if (!buddy_) return 0.0;
  // Reads the leading number the way the C runtime's atof does, but locale-free.
  const std::string text = buddy_->GetValue().utf8_string();
  const char* p = text.c_str();
  const char* end = p + text.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  double value = 0.0;
  if (std::from_chars(p, end, value).ec != std::errc()) return 0.0;
  return value;
}

void CNumSpinCtrl::SetValue(double value) {
  SetBuddyValue(value);
  SetPosFromValue(value);
}

void CNumSpinCtrl::SyncRange() {
  if (step_ == 0.0) return;
  const double quotient = std::fabs((max_ - min_) / step_);
  positions_ = quotient > 32767.0 ? 32767 : static_cast<int>(quotient);
  // One spare position at each end: the native arrows stay silent at their limits, and a
  // value that rounds onto an end position must still step towards the nearer bound.
  if (arrows_) arrows_->SetRange(-1, positions_ + 1);
  SetPosFromValue(GetValue());
}

void CNumSpinCtrl::SetPosFromValue(double value) {
  if (max_ == min_ || !arrows_) return;
  int position;
  if (value < min_)
    position = 0;
  else if (value > max_)
    position = positions_;
  else
    position = static_cast<int>((value - min_) / (max_ - min_) * positions_ + 0.5);
  arrows_->SetValue(position);
}

void CNumSpinCtrl::SetBuddyValue(double value, bool step) {
  if (!buddy_) return;
  const std::string text = format_.empty() ? FormatValue(value) : platform::FormatC(format_.c_str(), value);
  if (step && stepNotifies_)
    buddy_->SetValue(wxString::FromUTF8(text));
  else
    buddy_->ChangeValue(wxString::FromUTF8(text));
}

std::string CNumSpinCtrl::FormatValue(double value) const {
  const std::string shortest = platform::FormatC("%g", value);
  if (decimalPlaces_ < 0) {
    // "%g" keeps six digits; a value with more (a coordinate) is written with all it has.
    const std::string full = platform::FormatC("%.15g", value);
    return platform::ParseDouble(shortest) == platform::ParseDouble(full) ? shortest : full;
  }
  // Large values stay in the fixed form, which keeps every digit; the exponent form is for
  // values the decimal places would round away.
  const bool exponent = shortest.find('e') != std::string::npos && std::fabs(value) < 1.0;
  std::string text = platform::FormatC(exponent ? "%.*e" : "%.*f", decimalPlaces_, value);
  if (!trim_ || text.find(decimalPoint_) == std::string::npos) return text;
  std::string tail;
  if (exponent) {
    const std::size_t e = text.find('e');
    tail = text.substr(e);
    text.erase(e);
  }
  while (!text.empty() && text.back() == '0') text.pop_back();
  while (!text.empty() && text.back() == decimalPoint_) text.pop_back();
  return text + tail;
}

void CNumSpinCtrl::OnDeltaPos(int delta) {
  double value = GetValue() + delta * step_;
  const bool wrap = arrows_ && arrows_->HasFlag(wxSP_WRAP);
  if (delta < 0) {
    const double tolerance = std::max(1e-9, std::fabs(std::max(min_, value) * 1e-9));
    if (min_ - value > tolerance) value = wrap ? max_ : min_;
  } else {
    const double tolerance = std::max(1e-9, std::fabs(std::max(max_, value) * 1e-9));
    if (value - max_ > tolerance) value = wrap ? min_ : max_;
  }
  SetBuddyValue(value, true);
}

void CNumSpinCtrl::OnSpin(wxSpinEvent& event) {
  OnDeltaPos(event.GetEventType() == wxEVT_SPIN_UP ? 1 : -1);
  // Placed once the native control has finished its own move; placing it from inside the
  // notification would raise a second, opposite one.
  CallAfter([this] { SetPosFromValue(GetValue()); });
  event.Skip();  // the host sees the step too
}

}  // namespace widgets

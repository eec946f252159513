#pragma once
// Spin arrows that step a decimal value shown as text in a buddy edit control. The value
// lives in the buddy's text; the arrows' position only mirrors where it lies in the range.
#include <wx/event.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <string>

namespace widgets {

class CNumSpinCtrl : public wxEvtHandler {
 public:
  CNumSpinCtrl() = default;
  ~CNumSpinCtrl() override;
  CNumSpinCtrl(const CNumSpinCtrl&) = delete;
  CNumSpinCtrl& operator=(const CNumSpinCtrl&) = delete;

  // Takes over arrows created by the host (wxSP_WRAP in their style wraps the value);
  // null lets them go.
  void Attach(wxSpinButton* arrows);
  void SetBuddy(wxTextCtrl* buddy);
  wxSpinButton* GetArrows() const { return arrows_.get(); }

  void SetRangeAndStep(double min, double max, double step);
  void GetRangeAndStep(double& min, double& max, double& step) const;
  // The buddy's text as a number (0.0 when it is not one or there is no buddy).
  double GetValue() const;
  void SetValue(double value);
  void SetDecimalPlaces(int places) { decimalPlaces_ = places; }
  int GetDecimalPlaces() const { return decimalPlaces_; }
  // A printf format for one double; null or "" returns to the decimal-places rule.
  void SetFormatString(const char* format) { format_ = format ? format : ""; }
  // When set, an arrow step writes the buddy as typing does, so it sends its text event.
  void SetStepNotifiesBuddy(bool notify) { stepNotifies_ = notify; }

  // The text the buddy shows for a value: every digit of it that a double keeps, in the
  // exponent form only for values too small for the decimal places.
  std::string FormatValue(double value) const;
  // One arrow step of delta steps (negative down), as a click does.
  void OnDeltaPos(int delta);

 private:
  void SyncRange();
  void SetPosFromValue(double value);
  void SetBuddyValue(double value, bool step = false);
  void OnSpin(wxSpinEvent& event);

  double min_ = 0.0;
  double max_ = 100.0;
  double step_ = 1.0;
  int positions_ = 100;
  int decimalPlaces_ = -1;
  std::string format_;
  bool trim_ = true;
  bool stepNotifies_ = false;
  char decimalPoint_ = '.';  // numbers are printed in the C locale
  wxWeakRef<wxSpinButton> arrows_;
  wxWeakRef<wxTextCtrl> buddy_;
};

}  // namespace widgets

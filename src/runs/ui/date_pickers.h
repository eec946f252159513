#pragma once
// Date-time values to and from a pair of day and time pickers.
#include <wx/datectrl.h>
#include <wx/timectrl.h>

#include "platform/date_time.h"

namespace runs::ui {

inline void ToPickers(const platform::OleDateTime& t, wxDatePickerCtrl* day, wxTimePickerCtrl* time) {
  if (!t.IsValid()) return;
  const int y = t.GetYear(), mo = t.GetMonth(), d = t.GetDay(), h = t.GetHour(), mi = t.GetMinute();
  wxDateTime w(static_cast<wxDateTime::wxDateTime_t>(d), static_cast<wxDateTime::Month>(mo - 1), y,
               static_cast<wxDateTime::wxDateTime_t>(h), static_cast<wxDateTime::wxDateTime_t>(mi),
               static_cast<wxDateTime::wxDateTime_t>(t.GetSecond()));
  if (!w.IsValid()) return;
  // The day picker holds a day: its range runs from midnight to midnight, and a value with a
  // time of day past the last midnight would be refused and the old day kept.
  day->SetValue(w.GetDateOnly());
  time->SetValue(w);
  day->Refresh();
  time->Refresh();
}

// Invalid when the pickers' parts make no date; seconds are kept only when asked.
inline platform::OleDateTime FromPickers(wxDatePickerCtrl* day, wxTimePickerCtrl* time, bool seconds = false) {
  const wxDateTime d = day->GetValue();
  int h = 0, m = 0, s = 0;
  time->GetTime(&h, &m, &s);
  if (!d.IsValid()) return platform::OleDateTime::Invalid();
  platform::OleDateTime t;
  if (!t.SetDateTime(d.GetYear(), d.GetMonth() + 1, d.GetDay(), h, m, seconds ? s : 0))
    return platform::OleDateTime::Invalid();
  return t;
}

}  // namespace runs::ui

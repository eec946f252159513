#include "widgets/open_edit.h"

#include <wx/anybutton.h>
#include <wx/app.h>
#include <wx/event.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>
#include <vector>

namespace widgets {

namespace {

std::vector<OpenCellEdit*>& OpenEdits() {
  static std::vector<OpenCellEdit*> edits;
  return edits;
}

bool IsOpen(OpenCellEdit* e) {
  const auto& v = OpenEdits();
  return std::find(v.begin(), v.end(), e) != v.end();
}

// Sees every button event and close request before their handlers do.
class CommitFilter : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type != wxEVT_BUTTON && type != wxEVT_CLOSE_WINDOW) return Event_Skip;
    auto* w = wxDynamicCast(event.GetEventObject(), wxWindow);
    if (!w || CommitOpenEdits(w)) return Event_Skip;
    // Refused: the grid has said why; the window stays as it is.
    if (type == wxEVT_CLOSE_WINDOW) {
      auto& close = static_cast<wxCloseEvent&>(event);
      if (close.CanVeto()) close.Veto();
    }
    return Event_Processed;
  }
};

CommitFilter& Filter() {
  static CommitFilter filter;
  return filter;
}

}  // namespace

OpenCellEdit::~OpenCellEdit() { EditClosed(); }

void OpenCellEdit::EditOpened() {
  if (IsOpen(this)) return;
  if (OpenEdits().empty()) wxEvtHandler::AddFilter(&Filter());
  OpenEdits().push_back(this);
}

void OpenCellEdit::EditClosed() {
  auto& v = OpenEdits();
  const auto it = std::find(v.begin(), v.end(), this);
  if (it == v.end()) return;
  v.erase(it);
  if (v.empty()) wxEvtHandler::RemoveFilter(&Filter());
}

bool OpenCellEdit::LeaveToButtonClick(wxWindow* newFocus) {
  wxWindow* self = EditWindow();
  if (!newFocus || !self || !wxDynamicCast(newFocus, wxAnyButton)) return false;
  if (wxGetTopLevelParent(newFocus) != wxGetTopLevelParent(self)) return false;
  if (!wxGetMouseState().LeftIsDown()) return false;
  // Until the release: a click commits through the filter; a release elsewhere commits here.
  wxWeakRef<wxWindow> editor(self);
  auto* timer = new wxTimer;
  timer->Bind(wxEVT_TIMER, [this, editor, timer](wxTimerEvent&) {
    if (editor && IsOpen(this) && wxGetMouseState().LeftIsDown()) return;
    timer->Stop();
    wxTheApp->CallAfter([timer] { delete timer; });
    // A refused commit gave the editor the focus back: the user goes on typing there.
    if (editor && IsOpen(this) && wxWindow::FindFocus() != editor) CommitOpenEdit();
  });
  timer->Start(20);
  return true;
}

bool CommitOpenEdits(wxWindow* w) {
  wxWindow* top = wxGetTopLevelParent(w);
  const std::vector<OpenCellEdit*> edits = OpenEdits();
  for (OpenCellEdit* e : edits) {
    if (!IsOpen(e)) continue;
    wxWindow* editor = e->EditWindow();
    if (!editor || editor == w || wxGetTopLevelParent(editor) != top) continue;
    if (!e->CommitOpenEdit()) return false;
  }
  return true;
}

}  // namespace widgets

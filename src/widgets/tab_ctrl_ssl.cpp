#include "widgets/tab_ctrl_ssl.h"

namespace widgets {

CTabCtrlSSL::CTabCtrlSSL(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size), notebook_(new wxNotebook(this, wxID_ANY)) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(notebook_, 1, wxEXPAND);
  SetSizer(sizer);
  notebook_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, &CTabCtrlSSL::OnChanging, this);
  notebook_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, &CTabCtrlSSL::OnChanged, this);
  Bind(wxEVT_SET_FOCUS, &CTabCtrlSSL::OnFocusIn, this);
  Bind(wxEVT_KILL_FOCUS, &CTabCtrlSSL::OnFocusOut, this);
  notebook_->Bind(wxEVT_SET_FOCUS, &CTabCtrlSSL::OnFocusIn, this);
  notebook_->Bind(wxEVT_KILL_FOCUS, &CTabCtrlSSL::OnFocusOut, this);
}

bool CTabPageSSL::TryAfter(wxEvent& event) {
  // Commands, control events and notifications stop at the page unless it forwards them.
  if (event.IsCommandEvent() && event.GetEventType() != wxEVT_CHILD_FOCUS && event.GetEventObject() != this) {
    const bool notify = dynamic_cast<wxNotifyEvent*>(&event) != nullptr;
    const wxEventType t = event.GetEventType();
    const bool command = t == wxEVT_BUTTON || t == wxEVT_MENU || t == wxEVT_TOOL;
    if (!(notify ? forwardNotifications : command ? forwardCommands : forwardControlEvents)) return false;
  }
  return wxPanel::TryAfter(event);
}

void CTabCtrlSSL::RememberFocus(wxWindow* focus) {
  const int selected = notebook_->GetSelection();
  if (selected < 0 || selected >= static_cast<int>(tabs_.size())) return;
  Tab& tab = tabs_[static_cast<std::size_t>(selected)];
  if (InPage(focus, tab.page)) tab.focus = focus;
}

void CTabCtrlSSL::OnFocusIn(wxFocusEvent& event) {
  event.Skip();
  const int selected = notebook_->GetSelection();
  if (removing_ || selected < 0 || selected >= static_cast<int>(tabs_.size())) return;
  if (wxWindow* focus = tabs_[static_cast<std::size_t>(selected)].focus) focus->SetFocus();
}

void CTabCtrlSSL::OnFocusOut(wxFocusEvent& event) {
  event.Skip();
  if (!removing_) RememberFocus(event.GetWindow());
}

CTabCtrlSSL::~CTabCtrlSSL() {
  removing_ = true;
  for (int i = static_cast<int>(tabs_.size()) - 1; i >= 0; --i) {
    Tab tab = tabs_[static_cast<std::size_t>(i)];
    OnDestroyPage(i, tab.id);
    notebook_->RemovePage(static_cast<size_t>(i));
    // A caller's page is the caller's child to keep; only pages made here go with the control.
    if (tab.owned) tab.page->Destroy();
    else tab.page->Hide();
  }
  tabs_.clear();
}

bool CTabCtrlSSL::InPage(wxWindow* w, const CTabPageSSL* page) const {
  for (; w; w = w->GetParent())
    if (w == page) return true;
  return false;
}

int CTabCtrlSSL::Add(const std::string& title, int pageId, CTabPageSSL* page, bool owned) {
  if (!page) return -1;
  if (page->GetParent() != notebook_) page->Reparent(notebook_);
  tabs_.push_back(Tab{page, owned, nullptr, pageId});
  const int index = static_cast<int>(tabs_.size()) - 1;
  if (!notebook_->AddPage(page, wxString::FromUTF8(title), tabs_.size() == 1)) {
    tabs_.pop_back();
    return -1;
  }
  wxWindowList& children = page->GetChildren();
  tabs_.back().focus = OnInitPage(index, pageId) ? (children.empty() ? nullptr : children.GetFirst()->GetData())
                                                 : wxWindow::FindFocus();
  return index;
}

int CTabCtrlSSL::AddPage(const std::string& title, int pageId, CTabPageSSL* page) {
  return Add(title, pageId, page, false);
}

int CTabCtrlSSL::AddPage(const std::string& title, int pageId, const std::function<CTabPageSSL*(wxWindow*)>& build) {
  CTabPageSSL* page = build ? build(notebook_) : nullptr;
  if (!page) return -1;
  int index = Add(title, pageId, page, true);
  if (index < 0) page->Destroy();
  return index;
}

bool CTabCtrlSSL::RemovePage(int index) {
  if (index < 0 || index >= GetPageCount()) return false;
  Tab tab = tabs_[static_cast<std::size_t>(index)];
  OnDestroyPage(index, tab.id);
  if (GetPageCount() > 1 && notebook_->GetSelection() == index) ActivatePage(index == GetPageCount() - 1 ? index - 1 : index + 1);
  removing_ = true;
  notebook_->RemovePage(static_cast<size_t>(index));
  removing_ = false;
  tabs_.erase(tabs_.begin() + index);
  // A window is its object here: a caller's page is only hidden and left to the caller.
  tab.page->Hide();
  if (tab.owned) tab.page->Destroy();
  Refresh();
  return true;
}

bool CTabCtrlSSL::GetPageTitle(int index, std::string& title) const {
  if (index < 0 || index >= GetPageCount()) return false;
  title = notebook_->GetPageText(static_cast<size_t>(index)).ToStdString(wxConvUTF8);
  return true;
}

bool CTabCtrlSSL::SetPageTitle(int index, const std::string& title) {
  if (index < 0 || index >= GetPageCount()) return false;
  return notebook_->SetPageText(static_cast<size_t>(index), wxString::FromUTF8(title));
}

int CTabCtrlSSL::GetPageId(int index) const {
  return index >= 0 && index < GetPageCount() ? tabs_[static_cast<std::size_t>(index)].id : -1;
}

int CTabCtrlSSL::SetPageId(int index, int pageId) {
  if (index < 0 || index >= GetPageCount()) return -1;
  int old = tabs_[static_cast<std::size_t>(index)].id;
  tabs_[static_cast<std::size_t>(index)].id = pageId;
  return old;
}

bool CTabCtrlSSL::ActivatePage(int index) {
  if (index < 0 || index >= GetPageCount()) return false;
  if (notebook_->GetSelection() == index) return true;
  RememberFocus(wxWindow::FindFocus());
  notebook_->ChangeSelection(static_cast<size_t>(index));  // no change events: the steps are here
  Tab& tab = tabs_[static_cast<std::size_t>(index)];
  if (tab.focus) tab.focus->SetFocus();
  return true;
}

CTabPageSSL* CTabCtrlSSL::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? tabs_[static_cast<std::size_t>(index)].page : nullptr;
}

int CTabCtrlSSL::GetPageIndex(int pageId) const {
  for (std::size_t i = 0; i < tabs_.size(); ++i)
    if (tabs_[i].id == pageId) return static_cast<int>(i);
  return -1;
}

void CTabCtrlSSL::OnChanging(wxBookCtrlEvent& event) {
  event.Skip();
  int old = event.GetOldSelection();
  if (removing_ || old < 0 || old >= GetPageCount()) return;
  Tab& tab = tabs_[static_cast<std::size_t>(old)];
  OnDeactivatePage(old, tab.id);
  RememberFocus(wxWindow::FindFocus());
}

void CTabCtrlSSL::OnChanged(wxBookCtrlEvent& event) {
  event.Skip();
  int now = event.GetSelection();
  if (removing_ || now < 0 || now >= GetPageCount()) return;
  Tab& tab = tabs_[static_cast<std::size_t>(now)];
  if (tab.focus) tab.focus->SetFocus();
  OnActivatePage(now, tab.id);
}

}  // namespace widgets

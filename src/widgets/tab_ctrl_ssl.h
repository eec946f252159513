#pragma once
// A notebook whose tabs each carry a dialog page; each page gets back the control that had
// the keyboard focus when it was left.
#include <wx/notebook.h>
#include <wx/panel.h>

#include <functional>
#include <string>
#include <vector>

namespace widgets {

// A page that Return and Escape do not close.
class CTabPageSSL : public wxPanel {
 public:
  // parent: the tab control's notebook (CTabCtrlSSL::Notebook), or any window until added.
  explicit CTabPageSSL(wxWindow* parent) : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL) {}
  // Whether the page's commands, its controls' other events and its notifications go on to
  // the page's parent after the page has handled them; none does until set.
  bool forwardCommands = false, forwardControlEvents = false, forwardNotifications = false;

 protected:
  bool TryAfter(wxEvent& event) override;
};

class CTabCtrlSSL : public wxPanel {
 public:
  CTabCtrlSSL(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize);
  ~CTabCtrlSSL() override;

  // A page the caller made and keeps: removing its tab only hides it.
  int AddPage(const std::string& title, int pageId, CTabPageSSL* page);
  // A page this control makes with build() and deletes; -1 when it cannot be made.
  int AddPage(const std::string& title, int pageId, const std::function<CTabPageSSL*(wxWindow*)>& build);
  bool RemovePage(int index);
  int GetPageCount() const { return static_cast<int>(notebook_->GetPageCount()); }
  bool GetPageTitle(int index, std::string& title) const;
  bool SetPageTitle(int index, const std::string& title);
  int GetPageId(int index) const;
  int SetPageId(int index, int pageId);
  bool ActivatePage(int index);
  int GetActivePage() const { return notebook_->GetSelection(); }
  wxNotebook* Notebook() const { return notebook_; }
  CTabPageSSL* GetPage(int index) const;
  int GetPageIndex(int pageId) const;

 protected:
  virtual bool OnInitPage(int index, int pageId) { return true; }
  virtual void OnActivatePage(int index, int pageId) {}
  virtual void OnDeactivatePage(int index, int pageId) {}
  virtual void OnDestroyPage(int index, int pageId) {}

 private:
  struct Tab {
    CTabPageSSL* page;
    bool owned;
    wxWindow* focus;
    int id;
  };
  int Add(const std::string& title, int pageId, CTabPageSSL* page, bool owned);
  void OnChanging(wxBookCtrlEvent& event);
  void OnChanged(wxBookCtrlEvent& event);
  bool InPage(wxWindow* w, const CTabPageSSL* page) const;
  // The selected page's focus: remembered when leaving it, given back when the control gets it.
  void RememberFocus(wxWindow* focus);
  void OnFocusIn(wxFocusEvent& event);
  void OnFocusOut(wxFocusEvent& event);
  wxNotebook* notebook_;
  std::vector<Tab> tabs_;
  bool removing_ = false;
};

}  // namespace widgets

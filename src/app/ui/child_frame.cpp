#include "app/ui/child_frame.h"

#include <wx/panel.h>
#include <wx/splitter.h>

#include <algorithm>

#include "app/command_rules.h"
#include "app/ui/main_frame.h"

namespace app::ui {

CChildFrame::CChildFrame(wxDocument* doc, wxView* view, MainFrame* parent,
                         const PaneFactory& tree, const PaneFactory& map)
    : wxDocMDIChildFrame(doc, view, parent, wxID_ANY, doc ? doc->GetUserReadableName() : ""),
      main_(parent) {
  splitter_ = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                   wxSP_3D | wxSP_LIVE_UPDATE);
  tree_ = tree ? tree(splitter_) : new wxPanel(splitter_, wxID_ANY, wxDefaultPosition, wxSize(200, 100));
  map_ = map ? map(splitter_) : new wxPanel(splitter_);
  splitter_->SetMinimumPaneSize(kMinimumTreeWidth);
  splitter_->SplitVertically(tree_, map_, kIdealTreeWidth);

  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& e) {
    if (e.GetActive() && main_) main_->ProjectActivated(GetDocument());
    e.Skip();
  });
  // A context menu asked for anywhere in the window is the tree's to show.
  Bind(wxEVT_CONTEXT_MENU, [this](wxContextMenuEvent& e) {
    if (forwardingContextMenu_ || !tree_ || e.GetEventObject() == tree_) {
      e.Skip();
      return;
    }
    forwardingContextMenu_ = true;
    wxContextMenuEvent copy(e);
    copy.SetEventObject(tree_);
    copy.SetId(tree_->GetId());
    tree_->GetEventHandler()->ProcessEvent(copy);
    forwardingContextMenu_ = false;
  });
  UpdateCaption(false, "");
}

CChildFrame::~CChildFrame() {
  // The panes go while what they show is still alive.
  delete splitter_;
  splitter_ = nullptr;
}

void CChildFrame::SetTreeWidth(int width) {
  width = std::max(width, 10);
  int total = GetClientSize().GetWidth();
  if (total - width < 10) width = std::max(10, total - 10);
  splitter_->SetSashPosition(width);
}

int CChildFrame::TreeWidth() const { return splitter_->GetSashPosition(); }

void CChildFrame::UpdateCaption(bool landscapeLoaded, const std::string& landscapePath) {
  wxDocument* doc = GetDocument();
  std::string title = doc ? doc->GetUserReadableName().utf8_string() : GetTitle().utf8_string();
  int number = 0;
  if (doc && doc->GetViews().size() > 1) {
    int i = 1;
    for (wxObject* v : doc->GetViews()) {
      if (v == GetView()) number = i;
      ++i;
    }
  }
  wxString caption = wxString::FromUTF8(ChildFrameCaption(title, landscapeLoaded && doc,
                                                          landscapePath, number));
  if (caption != GetTitle()) SetTitle(caption);
}

}  // namespace app::ui

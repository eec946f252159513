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
  splitter_->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    if (pendingTreeWidth_ > 0) CallAfter([this] { ApplyTreeWidth(); });
  });
  splitter_->Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, [this](wxSplitterEvent& e) {
    pendingTreeWidth_ = 0;
    e.Skip();
  });

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
  pendingTreeWidth_ = std::max(width, 10);
  ApplyTreeWidth();
}

void CChildFrame::ApplyTreeWidth() {
  if (pendingTreeWidth_ <= 0 || !splitter_) return;
  const int total = splitter_->GetClientSize().GetWidth();
  const int width = std::max(10, std::min(pendingTreeWidth_, total - 10 - splitter_->GetSashSize()));
  splitter_->SetSashPosition(width);
  // A window not laid out yet is far narrower than it will be: the width waits for the size
  // that holds it, unless the user moves the sash first.
  if (width == pendingTreeWidth_) pendingTreeWidth_ = 0;
}

int CChildFrame::TreeWidth() const {
  return pendingTreeWidth_ > 0 ? pendingTreeWidth_ : splitter_->GetSashPosition();
}

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

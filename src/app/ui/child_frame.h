#pragma once
// The window of one open project: the project tree on the left and the map on the right.
#include <wx/docmdi.h>

#include <functional>
#include <memory>
#include <string>

class wxSplitterWindow;

namespace app::ui {

class MainFrame;

class CChildFrame : public wxDocMDIChildFrame {
 public:
  static constexpr int kIdealTreeWidth = 400;
  static constexpr int kMinimumTreeWidth = 50;

  // Makes one pane of the split; an empty factory gives a blank pane.
  using PaneFactory = std::function<wxWindow*(wxWindow* parent)>;

  CChildFrame(wxDocument* doc, wxView* view, MainFrame* parent, const PaneFactory& tree = {},
              const PaneFactory& map = {});
  ~CChildFrame() override;

  // What the panes work on, kept until they have gone (the frame is destroyed after its
  // project).
  void KeepAlive(std::shared_ptr<void> data) { keepAlive_ = std::move(data); }

  wxWindow* TreePane() const { return tree_; }
  wxWindow* MapPane() const { return map_; }
  // The tree gets `width` pixels (at least 10) and the map the rest (at least 10), once the
  // window is wide enough to hold them.
  void SetTreeWidth(int width);
  int TreeWidth() const;
  // Caption from the project's title and the landscape it shows; ":<n>" when the project
  // has several windows.
  void UpdateCaption(bool landscapeLoaded, const std::string& landscapePath);

 private:
  MainFrame* main_;
  wxSplitterWindow* splitter_ = nullptr;
  wxWindow* tree_ = nullptr;
  wxWindow* map_ = nullptr;
  void ApplyTreeWidth();

  bool forwardingContextMenu_ = false;
  int pendingTreeWidth_ = 0;  // a width asked for before the window could hold it
  std::shared_ptr<void> keepAlive_;
};

}  // namespace app::ui

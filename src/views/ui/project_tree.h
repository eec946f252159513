#pragma once
// The project tree: the left pane of a project window, listing the project, its landscape,
// the auxiliary themes, and the analysis areas with their themes, runs, run outputs and run
// logs. It reads the document and never owns what it shows.
#include <wx/treectrl.h>

#include <functional>
#include <string>

#include "project/document.h"

class CRun;
struct RunLogFile;

namespace views::ui {

// Item types; each is also the index of the item's context menu.
enum TreeItemType {
  kTreeFolder = 0,  // "Auxiliary Themes", a run's "Ideal Landscape Themes"
  kTreeRoot = 1,
  kTreeLandscape = 3,
  kTreeAreasFolder = 4,
  kTreeArea = 5,
  kTreeRunsFolder = 6,
  kTreeRun = 7,
  kTreeAreaTheme = 8,
  kTreeGridFolder = 9,
  kTreeVectorFolder = 10,
  kTreeGridTheme = 11,
  kTreeVectorTheme = 12,
  kTreeRunTheme = 13,
  kTreeContourFolder = 14,
  kTreeContour = 15,
  kTreeAreaThemesFolder = 16,
  kTreeWindVectorFolder = 17,
  kTreeWindVector = 18,
  kTreeRunLog = 19,
};

// State images.
enum TreeState {
  kStateShown = 1,       // overlay visible
  kStateHidden = 2,      // overlay hidden
  kStateOnMap = 3,       // raster theme the map shows
  kStateNotOnMap = 4,    // raster theme not shown
  kStateCurrentArea = 5,
};

// The data of one tree item: what it stands for. Deleted with its item.
class CTreeItem : public wxTreeItemData {
 public:
  explicit CTreeItem(int type, CPyrvane2WorkArea* area = nullptr, CRun* run = nullptr,
                     CTheme* theme = nullptr, CVectorTheme* vector = nullptr,
                     CContourTheme* contour = nullptr, CWindVectorTheme* windVector = nullptr,
                     const RunLogFile* log = nullptr)
      : type(type), theme(theme), windVector(windVector), vector(vector), contour(contour),
        run(run), log(log), area(area) {}
  int type;
  CTheme* theme;
  CWindVectorTheme* windVector;
  CVectorTheme* vector;
  CContourTheme* contour;
  CRun* run;
  const RunLogFile* log;
  CPyrvane2WorkArea* area;
};

// What the tree needs of an overlay theme, whose classes it does not see: its name and
// whether it is shown. Installed by the code that owns overlays; without it overlays show
// an empty label and the hidden state.
struct OverlayFacts {
  std::function<std::string(const void* theme)> name;
  std::function<bool(const void* theme)> visible;
};
void SetOverlayFacts(OverlayFacts facts);

class CPVN4View : public wxTreeCtrl, public DocumentObserver {
 public:
  CPVN4View(wxWindow* parent, CPVN4Doc& doc);
  ~CPVN4View() override;

  CPVN4Doc& Document() const { return doc_; }

  // First fill and re-sync.
  void OnInitialUpdate();
  void OnUpdate(CPVN4Doc& doc, int hint) override;
  void OnDocumentDestroyed(CPVN4Doc&) override { docGone_ = true; }
  // An area or overlay being deleted takes its items (and the items of an area's runs) with it.
  void OnRemoving(CPVN4Doc& doc, const void* object) override;

  // ---- label editing ----
  // The project's root and the analysis areas other than the default one can be renamed.
  bool CanRename(wxTreeItemId item);
  // The typed name without its surrounding blanks becomes the area's (a non-empty text the
  // project's title); false (the edit is refused) for an empty name or the default area,
  // which is said. A rename marks the project modified.
  bool RenameArea(wxTreeItemId item, const std::string& typed);

  // ---- insertion ----
  void AddFixedFolders();
  wxTreeItemId AddGridThemeItem(CTheme* theme);
  wxTreeItemId AddVectorThemeItem(CVectorTheme* theme);
  wxTreeItemId AddContourItem(CContourTheme* theme);
  wxTreeItemId AddWindVectorItem(CWindVectorTheme* theme);
  // A double-click on an overlay (vector, contour or arrow theme) with a landscape loaded:
  // shows or hides it on the map. False for other items.
  bool ToggleOverlay(wxTreeItemId item);
  // A double-click on the item; true when the control's own expanding is left out.
  bool ActivateItem(wxTreeItemId item);
  // The Delete key on the item: asks, deletes, says why not. True when something was deleted.
  bool DeleteKey(wxTreeItemId item);
  // A command of the item's menu, carried out on the item.
  void DoItemCommand(wxTreeItemId item, int command);
  wxTreeItemId AddAreaItems(CPyrvane2WorkArea* area);
  void SyncAreaItems(CPyrvane2WorkArea* area, wxTreeItemId areaItem);
  void UpdateRunItems(wxTreeItemId runItem, CRun* run);
  // The run's "Ideal Landscape Themes" folder, first child of its item (made when missing).
  wxTreeItemId AddIdealLandscapeFolder(CRun& run);

  // ---- deletion ----
  void DeleteChildItems(wxTreeItemId parent);
  void DeleteWindVectorItem(wxTreeItemId parent, CWindVectorTheme* theme);
  void DeleteSpreadVectorItem(wxTreeItemId parent, CWindVectorTheme* theme) {
    DeleteWindVectorItem(parent, theme);
  }
  void DeleteVectorThemeItem(wxTreeItemId parent, CVectorTheme* theme);
  void DeleteContourItem(wxTreeItemId parent, CContourTheme* theme);
  void DeleteThemeItems(wxTreeItemId parent, const CTheme* a, const CTheme* b);
  void DeleteRunOutputItems(wxTreeItemId runItem);
  void DeleteAreaThemeItem(const CTheme* theme);

  void RenameItem(wxTreeItemId item, const std::string& text);
  void ExpandEverything();

  CTreeItem* Data(wxTreeItemId item) const;
  CTreeItem* ContextItem() const { return context_; }

  // The context menu of the item under a client point; its commands act on the item, whose
  // area becomes the current one first.
  void ShowContextMenu(wxPoint clientPoint);
  // An entry of an item's menu is enabled when the tree carries it out (its Help among them),
  // or when the main window has it and its rules allow it now.
  bool IsEntryEnabled(int command, const CTreeItem& item) const;
  // What a click on an item chooses for the map: its area becomes current, its raster theme
  // visible.
  void ChooseItem(wxTreeItemId item);
  // Answers the menu in place of the user (tests): the chosen command, 0 for none.
  using MenuChooser = std::function<int(wxMenu& menu, wxPoint clientPoint)>;
  void SetMenuChooser(MenuChooser chooser) { chooser_ = std::move(chooser); }
  void SetContextItem(CTreeItem* item) { context_ = item; }

  wxTreeItemId RootItem() const { return root_; }
  wxTreeItemId LandscapeItem() const { return landscape_; }
  wxTreeItemId AuxiliaryFolder() const { return auxiliary_; }
  wxTreeItemId GridFolder() const { return grids_; }
  wxTreeItemId VectorFolder() const { return vectors_; }
  wxTreeItemId ContourFolder() const { return contours_; }
  wxTreeItemId WindVectorFolder() const { return windVectors_; }
  wxTreeItemId AreasFolder() const { return areas_; }
  // The item of an area under Analysis Areas, or an invalid id.
  wxTreeItemId FindAreaItem(const CPyrvane2WorkArea* area) const;

 private:
  wxTreeItemId Append(wxTreeItemId parent, const std::string& label, int image, CTreeItem* data,
                      bool bold = false);
  wxTreeItemId InsertAfter(wxTreeItemId parent, wxTreeItemId previous, const std::string& label,
                           int image, CTreeItem* data);
  wxTreeItemId FindChild(wxTreeItemId parent, const std::function<bool(const CTreeItem&)>& match) const;
  wxTreeItemId FindChildByLabel(wxTreeItemId parent, const std::string& label) const;
  wxTreeItemId AddOverlay(wxTreeItemId folder, const std::string& name, bool visible, CTreeItem* data);
  int RasterState(const CTheme* theme, const CPyrvane2WorkArea* area) const;
  void PlaceInIdealFolder(wxTreeItemId runItem, CRun& run, CTheme* theme);
  void DeleteFirstChild(wxTreeItemId parent, const std::function<bool(const CTreeItem&)>& match);
  wxTreeItemId ItemOfRun(const CRun& run) const;
  void SendToMainWindow(int command);

  CPVN4Doc& doc_;
  bool docGone_ = false;  // the window can outlive its document while it waits to be deleted
  wxTreeItemId root_, landscape_, auxiliary_, grids_, vectors_, contours_, windVectors_, areas_;
  CTreeItem* context_ = nullptr;
  MenuChooser chooser_;
};

// The tree of a document, or null (one per document).
CPVN4View* FindTreeView(const CPVN4Doc* doc);

}  // namespace views::ui

#include "views/ui/project_tree.h"

#include <algorithm>

#include <wx/dcmemory.h>
#include <wx/imaglist.h>
#include <wx/menu.h>

#include <map>

#include "app/application.h"
#include "app/command_rules.h"
#include "app/ui/main_frame.h"
#include "app/layer_types.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run.h"
#include "runs/ui/run_commands_ui.h"
#include "themes/contour_theme.h"
#include "themes/theme.h"
#include "themes/ui/raster_theme_commands.h"
#include "themes/ui/theme_commands.h"
#include "themes/vector_theme.h"
#include "themes/wind_vector_theme.h"
#include "views/ui/kmz_commands.h"
#include "views/ui/legend_creator_dialog.h"
#include "views/ui/legend_window.h"
#include "views/ui/map_view.h"
#include "views/ui/terrain_view.h"
#include "views/view_commands.h"
#include "project/ui/property_dialog.h"

namespace views::ui {

namespace {

constexpr int kImageDiamond = 0;
constexpr int kImageQuestion = 1;
constexpr int kImagePage = 2;
constexpr int kImageTheme = 5;
constexpr int kImageSize = 13;

std::map<const CPVN4Doc*, CPVN4View*>& Registry() {
  static std::map<const CPVN4Doc*, CPVN4View*> trees;
  return trees;
}

OverlayFacts& Facts() {
  static OverlayFacts facts;
  return facts;
}

std::string OverlayName(const CVectorTheme* theme) { return theme ? theme->name : std::string(); }
std::string OverlayName(const CContourTheme* theme) { return theme ? theme->name : std::string(); }
std::string OverlayName(const void* theme) {
  return Facts().name && theme ? Facts().name(theme) : std::string();
}

bool OverlayVisible(const CVectorTheme* theme) { return theme && theme->visible; }
bool OverlayVisible(const CContourTheme* theme) { return theme && theme->visible; }
bool OverlayVisible(const void* theme) { return Facts().visible && theme && Facts().visible(theme); }

// The label and shown state of an overlay item; arrow themes answer for themselves.
std::string OverlayName(const CWindVectorTheme* theme) { return theme ? theme->name : std::string(); }
bool OverlayVisible(const CWindVectorTheme* theme) { return theme && theme->visible; }
std::string OverlayName(const CTreeItem& d) {
  return d.windVector ? OverlayName(d.windVector) : d.vector ? OverlayName(d.vector) : OverlayName(d.contour);
}
bool OverlayVisible(const CTreeItem& d) {
  return d.windVector ? OverlayVisible(d.windVector) : d.vector ? OverlayVisible(d.vector) : OverlayVisible(d.contour);
}

// A 13-pixel picture drawn by `paint` on white, white made transparent.
wxBitmap Picture(const std::function<void(wxDC&)>& paint) {
  wxBitmap bitmap(kImageSize, kImageSize, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    paint(dc);
  }
  wxImage image = bitmap.ConvertToImage();
  image.SetMaskColour(255, 255, 255);
  return wxBitmap(image);
}

void Diamond(wxDC& dc, int r, const wxColour& c) {
  const wxPoint pts[] = {{6, 6 - r}, {6 + r, 6}, {6, 6 + r}, {6 - r, 6}};
  dc.SetPen(wxPen(c));
  dc.SetBrush(wxBrush(c));
  dc.DrawPolygon(4, pts);
}

wxImageList* NormalImages() {
  auto* list = new wxImageList(kImageSize, kImageSize, true, 8);
  const wxBitmap blank = Picture([](wxDC&) {});
  list->Add(Picture([](wxDC& dc) { Diamond(dc, 5, *wxBLACK); }));
  list->Add(Picture([](wxDC& dc) {
    dc.SetTextForeground(*wxRED);
    dc.SetFont(wxFont(9, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD));
    dc.DrawText("?", 3, -1);
  }));
  list->Add(Picture([](wxDC& dc) {
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(2, 0, 9, 13);
    for (int y = 3; y < 11; y += 2) dc.DrawLine(4, y, 9, y);
  }));
  list->Add(blank);
  list->Add(blank);
  list->Add(Picture([](wxDC& dc) { Diamond(dc, 3, *wxBLACK); }));
  list->Add(blank);
  list->Add(blank);
  return list;
}

wxImageList* StateImages() {
  auto* list = new wxImageList(kImageSize, kImageSize, true, 6);
  list->Add(Picture([](wxDC&) {}));
  list->Add(Picture([](wxDC& dc) {  // check mark
    dc.SetPen(wxPen(*wxBLUE, 2));
    dc.DrawLine(2, 7, 5, 10);
    dc.DrawLine(5, 10, 11, 2);
  }));
  list->Add(Picture([](wxDC& dc) {  // cross
    dc.SetPen(wxPen(*wxRED, 2));
    dc.DrawLine(2, 2, 11, 11);
    dc.DrawLine(11, 2, 2, 11);
  }));
  list->Add(Picture([](wxDC& dc) {  // framed landscape
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(wxBrush(wxColour(120, 180, 255)));
    dc.DrawRectangle(0, 1, 13, 11);
    dc.SetBrush(wxBrush(wxColour(40, 140, 40)));
    const wxPoint hill[] = {{1, 11}, {5, 5}, {8, 8}, {12, 11}};
    dc.DrawPolygon(4, hill);
  }));
  list->Add(Picture([](wxDC& dc) {  // magnifying glass
    dc.SetPen(wxPen(*wxBLACK, 2));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawCircle(5, 5, 4);
    dc.DrawLine(8, 8, 12, 12);
  }));
  list->Add(Picture([](wxDC& dc) {  // flames
    dc.SetPen(wxPen(wxColour(230, 60, 0)));
    dc.SetBrush(wxBrush(wxColour(255, 140, 0)));
    const wxPoint flame[] = {{2, 12}, {1, 6}, {4, 8}, {6, 0}, {8, 7}, {11, 4}, {11, 12}};
    dc.DrawPolygon(7, flame);
  }));
  return list;
}

struct MenuEntry {
  int command;  // 0 = separator
  const char* label;
  const char* prompt = nullptr;  // shown in the status bar while the item is highlighted
};

constexpr int kCmdProjectProperties = 32798;
constexpr int kCmdAreaProperties = 32803;
constexpr int kCmdAreaThemeProperties = 32810;
constexpr int kCmdLayerProperties = 32832;
constexpr int kCmdGridThemeProperties = 32824;

// Each item type's context menu. What is not built yet is there too, disabled.
std::vector<MenuEntry> ItemMenu(int type) {
  using namespace runs::ui;
  constexpr MenuEntry kSeparator{0, nullptr};
  switch (type) {
    case kTreeRoot:
      return {{app::cmd::kSave, "&Save"},
              {kCmdProjectProperties, "&Properties", "Display Project Properties"},
              {32866, "&Help"}};
    case kTreeLandscape:
      return {{cmd::kLandscapeProperties, "&Properties"},
              {cmd::kOpenLandscape, "&Open"},
              {cmd::kEditLandscape, "&Edit Landscape"},
              {cmd::kReloadLandscape, "&Reload Landscape"},
              {32886, "&Help"}};
    case kTreeAreasFolder: return {{cmd::kBeginNewAnalysisArea, "&New"}, {32868, "&Help"}};
    case kTreeArea:
      return {{kCmdAreaProperties, "&Properties", "Display Analysis Area Properties"},
              {app::cmd::kCritiquePdf, "&Critique PDF"},
              {app::cmd::kCritiqueHtml, "Critique &HTML"},
              kSeparator,
              {cmd::kDeleteAnalysisArea, "&Delete", "Delete the selected analysis area"},
              {32869, "&Help"},
              {cmd::kCreateLandscape, "Create &Landscape", "Create a new landscape"},
              {32961, "Create Landscape &KMZ"}};
    case kTreeRunsFolder:
      return {{kCmdNewRun, "&New Pyrvane/MTT/TOM Run", "Create a new Pyrvane/MTT/TOM run in active work area"},
              {32964, "New &Embrith Run"},
              kSeparator,
              {32973, "&Import", "Import from Run Log or TRIAX Inputs file"},
              kSeparator,
              {kCmdDeleteAllRuns, "&Delete All", "Delete All Runs"},
              {32870, "&Help"}};
    case kTreeRun:
      return {{kCmdDeleteRun, "&Delete", "Delete the selected run"},
              kSeparator,
              {kCmdRunProperties, "&Properties", "Display Run Properties"},
              {32871, "&Help"},
              {kCmdCopyRun, "&Copy...", "Copy selected run"},
              {32959, "&KMZ Output"}};
    case kTreeAreaTheme:
      return {{32835, "Save As"}, kSeparator, {32816, "&Contour"}, kSeparator,
              {32810, "&Properties"}, {32938, "S&tatistics"}, {32867, "&Help"}};
    case kTreeGridFolder: return {{32818, "&New Grid Theme"}, kSeparator, {32819, "&DeleteAll"}, {32887, "&Help"}};
    case kTreeVectorFolder:
      return {{32820, "&New Vector Theme"}, kSeparator, {32821, "&DeleteAll"}, {32888, "&Help"}};
    case kTreeGridTheme:
      return {{32835, "Save As"}, {32823, "&Delete"}, kSeparator, {32816, "&Contour"}, kSeparator,
              {32824, "&Properties"}, {32938, "S&tatistics"}, {32873, "&Help"}};
    case kTreeVectorTheme:
      return {{32826, "&Delete"}, {32932, "&Save As..."}, kSeparator, {32862, "Bring to &Top"},
              {32865, "&Arrange Vector Themes"}, kSeparator, {32951, "Create &Raster Theme"},
              {32827, "&Properties"}, {32922, "&Help"}};
    case kTreeRunTheme:
      return {{32833, "Save As..."}, kSeparator, {32830, "Contour"}, kSeparator,
              {32832, "Properties"}, {32938, "S&tatistics"}, {32877, "&Help"}};
    case kTreeContourFolder: return {{32840, "&Delete All"}, {32889, "&Help"}};
    case kTreeContour:
      return {{32844, "&Delete"}, {32849, "&Save As..."}, kSeparator, {32864, "Bring to &Top"},
              {32865, "&Arrange Vector Themes"}, kSeparator, {32846, "&Properties"}, {32878, "&Help"}};
    case kTreeWindVectorFolder:
      return {{32913, "&New Wind Vector Theme"}, kSeparator, {32916, "&Delete All"}, {32917, "&Help"}};
    case kTreeWindVector:
      return {{32918, "&Delete"}, {32934, "&Save As..."}, {32966, "Save Source Grids As"}, kSeparator,
              {32919, "Bring to &Top"}, {32865, "&Arrange Vector Themes"}, kSeparator,
              {32920, "&Properties"}, {32921, "&Help"}};
    case kTreeRunLog:
      return {{kCmdSaveRunLogAs, "&Save As...", "Save Text As..."},
              {kCmdOpenRunLog, "&Open", "Open/View the text file"},
              {32957, "&Help"}};
    default: return {};
  }
}

// The help page of a Help entry of the tree's menus; 0 for another command.
int HelpTopicOf(int command, const CTreeItem& item, const CPVN4Doc& doc) {
  switch (command) {
    case 32866: return 23;
    case 32886: return doc.IsLandscapeLoaded() ? 32 : 33;
    case 32868: return 31;
    case 32869: return doc.currentArea == doc.DefaultArea() ? 29 : 30;
    case 32870: return 25;
    case 32871: return 24;
    case 32867: return 26;
    case 32887: return 34;
    case 32888: return 35;
    case 32873: return 20;
    case 32922: return item.run ? 27 : 28;
    case 32877: return 22;
    case 32889: return 36;
    case 32878: return 28;
    case 32917: return 37;
    case 32921: return item.run ? 39 : 38;
    case 32957: return 21;
    default: return 0;
  }
}

// Commands the tree carries out itself; the main window serves the others.
bool IsTreeCommand(int command) {
  using namespace runs::ui;
  switch (command) {
    case kCmdProjectProperties:
    case kCmdAreaProperties:
    case kCmdAreaThemeProperties:
    case kCmdLayerProperties:
    case kCmdGridThemeProperties:
    case cmd::kDeleteAnalysisArea:
    case themes::ui::kCmdDeleteGridTheme:
    case themes::ui::kCmdDeleteAllGridThemes:
    case kCmdNewRun:
    case kCmdDeleteAllRuns:
    case kCmdDeleteRun:
    case kCmdRunProperties:
    case kCmdCopyRun:
    case kCmdKmzOutput:
    case kCmdLandscapeKmz:
    case kCmdSaveRunLogAs:
    case kCmdOpenRunLog:
    case themes::ui::kCmdVectorSaveAs:
    case themes::ui::kCmdVectorBringToTop:
    case themes::ui::kCmdVectorProperties:
    case themes::ui::kCmdCreateRasterTheme:
    case themes::ui::kCmdDeleteVectorTheme:
    case themes::ui::kCmdDeleteAllVectorThemes:
    case themes::ui::kCmdContourSaveAs:
    case themes::ui::kCmdContourBringToTop:
    case themes::ui::kCmdContourProperties:
    case themes::ui::kCmdDeleteContour:
    case themes::ui::kCmdDeleteAllContours:
    case themes::ui::kCmdNewWindVectorTheme:
    case themes::ui::kCmdDeleteAllWindVectorThemes:
    case themes::ui::kCmdDeleteWindVectorTheme:
    case themes::ui::kCmdWindVectorSaveAs:
    case themes::ui::kCmdWindVectorBringToTop:
    case themes::ui::kCmdWindVectorProperties: return true;
    default: return false;
  }
}

}  // namespace

void SetOverlayFacts(OverlayFacts facts) { Facts() = std::move(facts); }

CPVN4View* FindTreeView(const CPVN4Doc* doc) {
  auto it = Registry().find(doc);
  return it == Registry().end() ? nullptr : it->second;
}

CPVN4View::CPVN4View(wxWindow* parent, CPVN4Doc& doc)
    : wxTreeCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_EDIT_LABELS | wxBORDER_SUNKEN),
      doc_(doc) {
  Registry()[&doc_] = this;
  doc_.AddObserver(this);
  doc_.windows.deleteOutputItem = [this](CRun& run, const void* theme) {
    const wxTreeItemId item = ItemOfRun(run);
    if (!item.IsOk() || !theme) return;
    DeleteFirstChild(item, [theme](const CTreeItem& d) {
      return d.theme == theme || d.vector == theme || d.contour == theme || d.windVector == theme;
    });
    // Ideal-landscape and treatment themes sit in the run's folder.
    if (run.idealLandscapeTreeItem)
      DeleteFirstChild(wxTreeItemId(run.idealLandscapeTreeItem),
                       [theme](const CTreeItem& d) { return d.theme == theme; });
  };
  doc_.windows.deleteRunOutputItems = [this](CRun& run) { DeleteRunOutputItems(ItemOfRun(run)); };
  doc_.windows.addIdealLandscapeTreeItem = [this](CRun& run) -> void* {
    return AddIdealLandscapeFolder(run).GetID();
  };
  chooser_ = [this](wxMenu& menu, wxPoint at) {
    const int chosen = GetPopupMenuSelectionFromUser(menu, at);
    return chosen == wxID_NONE ? 0 : app::CommandForMenuId(chosen);
  };
  Bind(wxEVT_TREE_ITEM_MENU, [this](wxTreeEvent& e) { ShowContextMenu(e.GetPoint()); });
  Bind(wxEVT_TREE_BEGIN_LABEL_EDIT, [this](wxTreeEvent& e) {
    if (!CanRename(e.GetItem())) e.Veto();
  });
  Bind(wxEVT_TREE_END_LABEL_EDIT, [this](wxTreeEvent& e) {
    if (e.IsEditCancelled() || !RenameArea(e.GetItem(), e.GetLabel().utf8_string())) e.Veto();
  });
  // A double-click acts on its item; where it does nothing of its own the control expands
  // and collapses as usual.
  Bind(wxEVT_TREE_ITEM_ACTIVATED, [this](wxTreeEvent& e) {
    if (!ActivateItem(e.GetItem())) e.Skip();
  });
  Bind(wxEVT_TREE_KEY_DOWN, [this](wxTreeEvent& e) {
    if (e.GetKeyCode() == WXK_DELETE) {
      DeleteKey(GetSelection());
      return;
    }
    e.Skip();
  });
  // The control selects and expands first; the choice for the map follows.
  Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) {
    e.Skip();
    int flags = 0;
    const wxTreeItemId item = HitTest(e.GetPosition(), flags);
    if (!item.IsOk() || !(flags & (wxTREE_HITTEST_ONITEMICON | wxTREE_HITTEST_ONITEMLABEL |
                                   wxTREE_HITTEST_ONITEMSTATEICON))) {
      context_ = nullptr;
      return;
    }
    CallAfter([this, item] { ChooseItem(item); });
  });
}

void CPVN4View::ShowContextMenu(wxPoint clientPoint) {
  int flags = 0;
  const wxTreeItemId item = HitTest(clientPoint, flags);
  CTreeItem* data = Data(item);
  context_ = data;
  if (!data) return;
  // A right click chooses for the map as a left click does; the run commands then act on
  // the item's area, now current (the re-sync keeps the items).
  SelectItem(item);
  ChooseItem(item);
  const std::vector<MenuEntry> entries = ItemMenu(data->type);
  if (entries.empty()) return;
  wxMenu menu;
  for (const MenuEntry& e : entries) {
    if (!e.command) {
      menu.AppendSeparator();
      continue;
    }
    menu.Append(app::MenuIdFor(e.command), e.label, e.prompt ? e.prompt : "")->Enable(IsEntryEnabled(e.command, *data));
  }
  const int command = chooser_ ? chooser_(menu, clientPoint) : 0;
  // Only what the menu offered enabled is carried out.
  const wxMenuItem* chosen = command ? menu.FindItem(app::MenuIdFor(command)) : nullptr;
  if (!chosen || !chosen->IsEnabled()) return;
  DoItemCommand(item, command);
}

void CPVN4View::DoItemCommand(wxTreeItemId item, int command) {
  CTreeItem* data = Data(item);
  if (!data) return;
  if (const int topic = HelpTopicOf(command, *data, doc_)) {
    GetApp().ShowHelpTopic(topic);
    return;
  }
  if (command == kCmdAreaThemeProperties || command == kCmdGridThemeProperties || command == kCmdLayerProperties) {
    // The item is the visible theme now; its legend opens in the creator.
    EditVisibleLegend(wxGetTopLevelParent(this), doc_);
    return;
  }
  if (command == kCmdProjectProperties) return project::ui::ShowProjectProperties(wxGetTopLevelParent(this), doc_);
  if (command == kCmdAreaProperties) return project::ui::ShowAreaProperties(wxGetTopLevelParent(this), doc_);
  if (command == cmd::kDeleteAnalysisArea) {
    doc_.OnDeleteAnalysisArea(data->area, GetItemText(item).utf8_string());
    return;
  }
  if (command == kCmdKmzOutput || command == kCmdLandscapeKmz) return KmzCommand(command, doc_, data->run, data->area);
  if (command == themes::ui::kCmdDeleteGridTheme) {
    if (data->type == kTreeGridTheme) themes::ui::DeleteGridThemeAsked(doc_, data->theme, GetItemText(item).utf8_string());
    return;
  }
  if (command == themes::ui::kCmdDeleteAllGridThemes) {
    if (data->type == kTreeGridFolder) themes::ui::DeleteAllGridThemesAsked(doc_);
    return;
  }
  if (!IsTreeCommand(command)) {
    // The main window's command, on the item's area, now current.
    wxCommandEvent e(wxEVT_MENU, app::ui::MainFrame::WxIdFor(command));
    e.SetEventObject(this);
    if (wxWindow* top = wxGetTopLevelParent(this)) top->GetEventHandler()->ProcessEvent(e);
    return;
  }
  themes::ui::OverlaySelection overlay;
  overlay.type = data->type;
  overlay.text = GetItemText(item).utf8_string();
  overlay.vector = data->vector;
  overlay.contour = data->contour;
  overlay.windVector = data->windVector;
  if (themes::ui::ThemeTreeCommand(wxGetTopLevelParent(this), command, doc_, overlay)) return;
  runs::ui::RunTreeSelection selection;
  selection.type = data->type;
  selection.text = GetItemText(item).utf8_string();
  selection.run = data->run;
  selection.area = data->area;
  selection.log = data->log;
  selection.tree = this;
  runs::ui::RunTreeCommand(wxGetTopLevelParent(this), command, doc_, selection);
}

void CPVN4View::SendToMainWindow(int command) {
  wxCommandEvent e(wxEVT_MENU, app::ui::MainFrame::WxIdFor(command));
  e.SetEventObject(this);
  if (wxWindow* top = wxGetTopLevelParent(this)) top->GetEventHandler()->ProcessEvent(e);
}

bool CPVN4View::ActivateItem(wxTreeItemId item) {
  CTreeItem* data = Data(item);
  context_ = data;
  if (!data) return false;
  const bool loaded = doc_.IsLandscapeLoaded();
  switch (data->type) {
    case kTreeRoot: doc_.UpdateAllViews(); return true;
    case kTreeLandscape:
      SendToMainWindow(loaded ? cmd::kLandscapeProperties : cmd::kOpenLandscape);
      return loaded;
    case kTreeRunsFolder: {
      wxRect r;
      if (GetBoundingRect(item, r, true)) ShowContextMenu(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
      return true;
    }
    case kTreeRun: DoItemCommand(item, runs::ui::kCmdRunProperties); return true;
    case kTreeAreaTheme:
    case kTreeGridTheme:
    case kTreeRunTheme:
      if (!CLegendDialog::IsViewLegendChecked(doc_)) SendToMainWindow(cmd::kViewLegend);
      return false;
    case kTreeGridFolder:
    case kTreeVectorFolder:
      if (!loaded) return false;
      SendToMainWindow(data->type == kTreeGridFolder ? themes::ui::kCmdNewGridTheme
                                                     : themes::ui::kCmdNewVectorTheme);
      return true;
    case kTreeWindVectorFolder:
      if (!loaded) return false;
      themes::ui::OnNewWindVectorTheme(wxGetTopLevelParent(this), doc_);
      return true;
    case kTreeVectorTheme:
    case kTreeContour:
    case kTreeWindVector: return ToggleOverlay(item);
    case kTreeRunLog: DoItemCommand(item, runs::ui::kCmdOpenRunLog); return false;
    default: return false;
  }
}

bool CPVN4View::DeleteKey(wxTreeItemId item) {
  CTreeItem* data = Data(item);
  context_ = data;
  if (!data) return false;
  const std::string label = GetItemText(item).utf8_string();
  bool deleted = false;
  switch (data->type) {
    case kTreeArea: return doc_.OnDeleteAnalysisArea(data->area, label);
    case kTreeRun: {
      runs::ui::RunTreeSelection selection;
      selection.type = data->type;
      selection.text = label;
      selection.run = data->run;
      selection.area = data->area;
      selection.tree = this;
      return runs::ui::RunTreeCommand(wxGetTopLevelParent(this), runs::ui::kCmdDeleteRun, doc_, selection);
    }
    case kTreeGridTheme: return themes::ui::DeleteGridThemeAsked(doc_, data->theme, label);
    case kTreeVectorTheme:
    case kTreeContour: {
      const bool vector = data->type == kTreeVectorTheme;
      void* theme = vector ? static_cast<void*>(data->vector) : static_cast<void*>(data->contour);
      if (!theme || !platform::AskYesNo(platform::FormatC(vector ? "Delete Theme '%s'?" : "Delete Contour: '%s'?",
                                                            label.c_str())))
        return false;
      // No run keeps an overlay the document frees.
      for (const auto& area : doc_.areas)
        for (const auto& run : area->runs)
          if (run) run->ForgetOverlay(theme);
      if (vector)
        doc_.DeleteVectorTheme(static_cast<CVectorTheme*>(theme));
      else
        doc_.DeleteContourTheme(static_cast<CContourTheme*>(theme));
      deleted = true;
      break;
    }
    case kTreeWindVector: {
      CWindVectorTheme* theme = data->windVector;
      if (!theme) return false;
      if (theme->gridded) {
        platform::Tell(platform::FormatC("Theme '%s' belongs to a Run and must be deleted via Run properties.",
                                         label.c_str()));
        return false;
      }
      if (!platform::AskYesNo(platform::FormatC("Delete Theme '%s'?", label.c_str()))) return false;
      for (const auto& area : doc_.areas)
        for (const auto& run : area->runs)
          if (run) run->ForgetOverlay(theme);
      doc_.DeleteWindVectorTheme(theme);
      deleted = true;
      break;
    }
    default: return false;
  }
  if (deleted) {
    doc_.UpdateAllViews();
    doc_.RefreshLegendAndPointWindows();
    doc_.SetModifiedFlag(true);
  }
  return deleted;
}

bool CPVN4View::IsEntryEnabled(int command, const CTreeItem& item) const {
  // Delete All has nothing to do in an empty folder.
  if (command == themes::ui::kCmdDeleteAllVectorThemes) return !doc_.vectorThemes.empty();
  if (command == themes::ui::kCmdDeleteAllContours) return !doc_.contourThemes.empty();
  if (command == themes::ui::kCmdNewWindVectorTheme) return doc_.IsLandscapeLoaded();
  if (command == themes::ui::kCmdDeleteAllWindVectorThemes) return !doc_.windVectorThemes.empty();
  // A run's arrows go with the run; arrows read from points are saved only from grids.
  if (command == themes::ui::kCmdDeleteWindVectorTheme) return item.windVector && !item.windVector->gridded;
  if (command == themes::ui::kCmdWindVectorSaveAs) return item.windVector && item.windVector->gridded;
  if (command == themes::ui::kCmdDeleteAllGridThemes) return grids_.IsOk() && ItemHasChildren(grids_);
  if (HelpTopicOf(command, item, doc_) || IsTreeCommand(command)) return true;
  // The rest are the main window's, enabled as its menus are: not without a handler.
  auto* frame = dynamic_cast<app::ui::MainFrame*>(wxGetTopLevelParent(const_cast<CPVN4View*>(this)));
  if (!frame || !frame->HasHandler(command)) return false;
  wxUpdateUIEvent e(app::ui::MainFrame::WxIdFor(command));
  e.SetEventObject(frame);
  frame->ProcessWindowEvent(e);
  return !e.GetSetEnabled() || e.GetEnabled();
}

bool CPVN4View::CanRename(wxTreeItemId item) {
  // Only areas have a name of their own to change; the default one keeps its name.
  CTreeItem* data = Data(item);
  context_ = data;
  if (data && data->type == kTreeRoot) return true;
  return data && data->type == kTreeArea && data->area && data->area != doc_.DefaultArea();
}

bool CPVN4View::RenameArea(wxTreeItemId item, const std::string& typed) {
  const CTreeItem* data = Data(item);
  if (data && data->type == kTreeRoot) {
    if (typed.empty()) return false;
    doc_.title = typed;
    doc_.SetModifiedFlag(true);
    return true;
  }
  if (!data || data->type != kTreeArea || !data->area) return false;
  if (data->area == doc_.DefaultArea()) {
    platform::Tell("Can not rename the default Analysis Area.");
    return false;
  }
  const std::size_t first = typed.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return false;
  const std::size_t last = typed.find_last_not_of(" \t\r\n");
  data->area->name = typed.substr(first, last - first + 1);
  // The name shows in the status bar and is kept with the project.
  doc_.SetModifiedFlag(true);
  // After the control has put the typed text in.
  CallAfter([this, item, name = data->area->name] {
    if (item.IsOk()) SetItemText(item, wxString::FromUTF8(name));
  });
  return true;
}

void CPVN4View::OnRemoving(CPVN4Doc&, const void* object) {
  const wxTreeItemId item = FindChild(areas_, [object](const CTreeItem& d) { return d.type == kTreeArea && d.area == object; });
  if (item.IsOk()) Delete(item);
  context_ = nullptr;
  if (!object || !root_.IsOk()) return;
  // Overlays have items in the auxiliary folders and under the runs they came from.
  std::vector<wxTreeItemId> doomed;
  std::function<void(wxTreeItemId)> visit = [&](wxTreeItemId parent) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = GetFirstChild(parent, cookie); c.IsOk(); c = GetNextChild(parent, cookie)) {
      const CTreeItem* d = Data(c);
      if (d && (d->vector == object || d->contour == object || d->windVector == object || d->theme == object))
        doomed.push_back(c);
      else visit(c);
    }
  };
  visit(root_);
  for (wxTreeItemId c : doomed) Delete(c);
}

bool CPVN4View::ToggleOverlay(wxTreeItemId item) {
  CTreeItem* data = Data(item);
  if (!data || !doc_.IsLandscapeLoaded()) return false;
  bool* visible = nullptr;
  if (data->type == kTreeWindVector && data->windVector) visible = &data->windVector->visible;
  if (data->type == kTreeVectorTheme && data->vector) visible = &data->vector->visible;
  if (data->type == kTreeContour && data->contour) visible = &data->contour->visible;
  if (!visible) return false;
  *visible = !*visible;
  SetItemState(item, *visible ? kStateShown : kStateHidden);
  doc_.RefreshMap();
  // The 3D window wears the map picture, overlays included.
  if (C3DDialog* view = C3DDialog::Of(doc_)) view->Rebuild();
  return true;
}

void CPVN4View::ChooseItem(wxTreeItemId item) {
  CTreeItem* data = Data(item);
  context_ = data;
  if (!data) return;
  CMapView* map = FindMapView(&doc_);
  switch (data->type) {
    case kTreeArea:
    case kTreeRunsFolder:
    case kTreeRun:
    case kTreeAreaThemesFolder:
      if (data->area && data->area != doc_.currentArea) {
        doc_.currentArea = data->area;
        if (const CTheme* shown = doc_.GetVisibleTheme(); shown && shown->layerType > 9)
          doc_.SetVisibleTheme(doc_.GetThemeByLayerType(3));
        doc_.UpdateAllViews();
        if (map) map->ZoomToFullExtent();
        doc_.UpdateLegend();
      }
      break;
    case kTreeAreaTheme:
    case kTreeRunTheme: {
      if (!data->theme || !data->area) break;
      if (data->theme == doc_.GetVisibleTheme() && data->area == doc_.currentArea) break;
      const bool areaChanged = data->area != doc_.currentArea;
      doc_.SetVisibleTheme(data->theme);
      doc_.currentArea = data->area;
      doc_.UpdateAllViews();
      if (!areaChanged) {
        doc_.RefreshMap();
      } else {
        if (map) map->ZoomToFullExtent();
        doc_.UpdateLegend();
      }
      break;
    }
    case kTreeGridTheme:
      if (data->theme && data->theme != doc_.GetVisibleTheme() && doc_.currentArea) {
        doc_.SetVisibleTheme(data->theme);
        doc_.UpdateAllViews();
        doc_.RefreshMap();
      }
      break;
    default: break;
  }
}

CPVN4View::~CPVN4View() {
  if (FindTreeView(&doc_) == this) Registry().erase(&doc_);
  if (docGone_) return;
  doc_.RemoveObserver(this);
  doc_.windows.deleteOutputItem = nullptr;
  doc_.windows.deleteRunOutputItems = nullptr;
  doc_.windows.addIdealLandscapeTreeItem = nullptr;
}

CTreeItem* CPVN4View::Data(wxTreeItemId item) const {
  return item.IsOk() ? static_cast<CTreeItem*>(GetItemData(item)) : nullptr;
}

wxTreeItemId CPVN4View::Append(wxTreeItemId parent, const std::string& label, int image,
                               CTreeItem* data, bool bold) {
  const wxTreeItemId item = AppendItem(parent, wxString::FromUTF8(label), image, image, data);
  if (bold) SetItemBold(item);
  return item;
}

wxTreeItemId CPVN4View::InsertAfter(wxTreeItemId parent, wxTreeItemId previous,
                                    const std::string& label, int image, CTreeItem* data) {
  if (!previous.IsOk()) return PrependItem(parent, wxString::FromUTF8(label), image, image, data);
  return InsertItem(parent, previous, wxString::FromUTF8(label), image, image, data);
}

wxTreeItemId CPVN4View::FindChild(wxTreeItemId parent,
                                  const std::function<bool(const CTreeItem&)>& match) const {
  if (!parent.IsOk()) return {};
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = GetFirstChild(parent, cookie); c.IsOk(); c = GetNextChild(parent, cookie))
    if (const CTreeItem* d = Data(c); d && match(*d)) return c;
  return {};
}

wxTreeItemId CPVN4View::FindChildByLabel(wxTreeItemId parent, const std::string& label) const {
  if (!parent.IsOk()) return {};
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = GetFirstChild(parent, cookie); c.IsOk(); c = GetNextChild(parent, cookie))
    if (GetItemText(c).utf8_string() == label) return c;
  return {};
}

int CPVN4View::RasterState(const CTheme* theme, const CPyrvane2WorkArea* area) const {
  const bool shown = theme == doc_.GetVisibleTheme() && (!area || area == doc_.currentArea);
  return shown ? kStateOnMap : kStateNotOnMap;
}

wxTreeItemId CPVN4View::FindAreaItem(const CPyrvane2WorkArea* area) const {
  return FindChild(areas_, [area](const CTreeItem& d) { return d.type == kTreeArea && d.area == area; });
}

wxTreeItemId CPVN4View::ItemOfRun(const CRun& run) const {
  return run.treeItem ? wxTreeItemId(run.treeItem) : wxTreeItemId();
}

// ---- first fill and re-sync ----

void CPVN4View::OnInitialUpdate() {
  AssignImageList(NormalImages());
  AssignStateImageList(StateImages());
  DeleteAllItems();
  root_ = AddRoot(wxString::FromUTF8(doc_.title), kImageDiamond, kImageDiamond,
                  new CTreeItem(kTreeRoot));
  SetItemBold(root_);
  const bool loaded = doc_.IsLandscapeLoaded();
  landscape_ = Append(root_, doc_.landscape.path, loaded ? kImageDiamond : kImageQuestion,
                      new CTreeItem(kTreeLandscape));
  auxiliary_ = grids_ = vectors_ = contours_ = windVectors_ = areas_ = wxTreeItemId();
  if (!loaded) {
    Expand(root_);
    return;
  }
  AddFixedFolders();
  for (const auto& t : doc_.gridThemes)
    if (t->layerType == kGenericGridLayerType) AddGridThemeItem(t.get());
  for (const auto& t : doc_.vectorThemes) AddVectorThemeItem(t.get());
  for (const auto& t : doc_.contourThemes) AddContourItem(t.get());
  const bool wasLoading = doc_.loading;
  doc_.loading = true;
  for (const auto& t : doc_.windVectorThemes) AddWindVectorItem(t.get());
  doc_.loading = wasLoading;
  for (const auto& a : doc_.areas) AddAreaItems(a.get());
  for (wxTreeItemId item : {root_, grids_, vectors_, auxiliary_, contours_, windVectors_, areas_})
    if (item.IsOk()) Expand(item);
}

void CPVN4View::OnUpdate(CPVN4Doc&, int) {
  if (!root_.IsOk()) return;
  const bool loaded = doc_.IsLandscapeLoaded();
  if (loaded && !auxiliary_.IsOk()) AddFixedFolders();
  SetItemText(root_, wxString::FromUTF8(doc_.title));
  SetItemText(landscape_, wxString::FromUTF8(doc_.landscape.path));
  SetItemImage(landscape_, loaded ? kImageDiamond : kImageQuestion);
  for (const auto& t : doc_.gridThemes) {
    if (t->layerType != kGenericGridLayerType) continue;
    CTheme* theme = t.get();
    const wxTreeItemId item = FindChild(grids_, [theme](const CTreeItem& d) { return d.theme == theme; });
    if (!item.IsOk()) {
      AddGridThemeItem(theme);
      continue;
    }
    SetItemText(item, wxString::FromUTF8(theme->name));
    SetItemState(item, RasterState(theme, nullptr));
  }
  auto syncOverlays = [&](const auto& list, wxTreeItemId folder, auto add) {
    for (const auto& t : list) {
      const auto* theme = t.get();
      const void* p = theme;
      const wxTreeItemId item = FindChild(folder, [p](const CTreeItem& d) {
        return d.vector == p || d.contour == p || d.windVector == p;
      });
      if (!item.IsOk()) {
        (this->*add)(t.get());
        continue;
      }
      SetItemText(item, wxString::FromUTF8(OverlayName(*Data(item))));
      SetItemState(item, OverlayVisible(*Data(item)) ? kStateShown : kStateHidden);
    }
  };
  syncOverlays(doc_.vectorThemes, vectors_, &CPVN4View::AddVectorThemeItem);
  syncOverlays(doc_.contourThemes, contours_, &CPVN4View::AddContourItem);
  syncOverlays(doc_.windVectorThemes, windVectors_, &CPVN4View::AddWindVectorItem);
  for (const auto& a : doc_.areas) {
    const wxTreeItemId item = FindAreaItem(a.get());
    if (item.IsOk())
      SyncAreaItems(a.get(), item);
    else
      AddAreaItems(a.get());
  }
  context_ = nullptr;
  Refresh();
  Update();
}

// ---- fixed folders and auxiliary themes ----

void CPVN4View::AddFixedFolders() {
  if (!root_.IsOk()) return;
  auxiliary_ = Append(root_, "Auxiliary Themes", kImageDiamond, new CTreeItem(kTreeFolder), true);
  grids_ = Append(auxiliary_, "Grid Themes", kImageDiamond, new CTreeItem(kTreeGridFolder), true);
  vectors_ = Append(auxiliary_, "Vector Themes", kImageDiamond, new CTreeItem(kTreeVectorFolder), true);
  contours_ = Append(auxiliary_, "Contours", kImageDiamond, new CTreeItem(kTreeContourFolder), true);
  windVectors_ = Append(auxiliary_, "Wind Vectors", kImageDiamond, new CTreeItem(kTreeWindVectorFolder), true);
  areas_ = Append(root_, "Analysis Areas", kImageDiamond, new CTreeItem(kTreeAreasFolder), true);
}

wxTreeItemId CPVN4View::AddGridThemeItem(CTheme* theme) {
  if (!theme || !grids_.IsOk()) return {};
  auto* data = new CTreeItem(kTreeGridTheme, nullptr, nullptr, theme);
  const wxTreeItemId item = Append(grids_, theme->name, kImageTheme, data);
  SetItemState(item, RasterState(theme, nullptr));
  return item;
}

wxTreeItemId CPVN4View::AddOverlay(wxTreeItemId folder, const std::string& name, bool visible, CTreeItem* data) {
  if (!folder.IsOk()) {
    delete data;
    return {};
  }
  const wxTreeItemId item = Append(folder, name, kImageTheme, data);
  SetItemState(item, visible ? kStateShown : kStateHidden);
  return item;
}

wxTreeItemId CPVN4View::AddVectorThemeItem(CVectorTheme* theme) {
  if (!theme) return {};
  return AddOverlay(vectors_, OverlayName(theme), OverlayVisible(theme),
                    new CTreeItem(kTreeVectorTheme, nullptr, nullptr, nullptr, theme));
}

wxTreeItemId CPVN4View::AddContourItem(CContourTheme* theme) {
  if (!theme) return {};
  return AddOverlay(contours_, OverlayName(theme), OverlayVisible(theme),
                    new CTreeItem(kTreeContour, nullptr, nullptr, nullptr, nullptr, theme));
}

wxTreeItemId CPVN4View::AddWindVectorItem(CWindVectorTheme* theme) {
  if (!theme) return {};
  const wxTreeItemId item =
      AddOverlay(windVectors_, OverlayName(theme), OverlayVisible(theme), new CTreeItem(kTreeWindVector, nullptr, nullptr, nullptr, nullptr, nullptr, theme));
  if (item.IsOk() && !doc_.loading) {
    Expand(root_);
    Expand(auxiliary_);
    Expand(windVectors_);
    EnsureVisible(item);
  }
  return item;
}

// ---- analysis areas ----

wxTreeItemId CPVN4View::AddAreaItems(CPyrvane2WorkArea* area) {
  if (!area || !areas_.IsOk()) return {};
  const wxTreeItemId item = Append(areas_, area->name, kImageDiamond, new CTreeItem(kTreeArea, area), true);
  SetItemState(item, area == doc_.currentArea ? kStateCurrentArea : wxTREE_ITEMSTATE_NONE);
  const wxTreeItemId themes =
      Append(item, "Themes", kImageDiamond, new CTreeItem(kTreeAreaThemesFolder, area), true);
  for (const auto& t : doc_.gridThemes) {
    if (t->layerType == kGenericGridLayerType) continue;
    const wxTreeItemId ti =
        Append(themes, t->name, kImageTheme, new CTreeItem(kTreeAreaTheme, area, nullptr, t.get()));
    SetItemState(ti, RasterState(t.get(), area));
  }
  const wxTreeItemId runs = Append(item, "Runs", kImageDiamond, new CTreeItem(kTreeRunsFolder, area), true);
  for (const auto& r : area->runs) {
    const wxTreeItemId ri = Append(runs, r->name, kImagePage, new CTreeItem(kTreeRun, area, r.get()));
    r->treeItem = ri.GetID();
    UpdateRunItems(ri, r.get());
  }
  Expand(runs);
  Expand(themes);
  Expand(item);
  Expand(areas_);
  return item;
}

void CPVN4View::SyncAreaItems(CPyrvane2WorkArea* area, wxTreeItemId item) {
  if (!area || !item.IsOk()) return;
  SetItemState(item, area == doc_.currentArea ? kStateCurrentArea : wxTREE_ITEMSTATE_NONE);
  wxTreeItemId themes = FindChild(item, [](const CTreeItem& d) { return d.type == kTreeAreaThemesFolder; });
  if (!themes.IsOk())
    themes = Append(item, "Themes", kImageDiamond, new CTreeItem(kTreeAreaThemesFolder, area), true);
  for (const auto& t : doc_.gridThemes) {
    if (t->layerType == kGenericGridLayerType) continue;
    CTheme* theme = t.get();
    wxTreeItemId ti = FindChild(themes, [theme](const CTreeItem& d) { return d.theme == theme; });
    if (!ti.IsOk())
      ti = Append(themes, theme->name, kImageTheme, new CTreeItem(kTreeAreaTheme, area, nullptr, theme));
    SetItemState(ti, RasterState(theme, area));
  }
  wxTreeItemId runs = FindChild(item, [](const CTreeItem& d) { return d.type == kTreeRunsFolder; });
  if (!runs.IsOk())
    runs = Append(item, "Runs", kImageDiamond, new CTreeItem(kTreeRunsFolder, area), true);
  for (const auto& r : area->runs) {
    CRun* run = r.get();
    wxTreeItemId ri = FindChild(runs, [run](const CTreeItem& d) { return d.type == kTreeRun && d.run == run; });
    if (!ri.IsOk()) {
      ri = Append(runs, run->name, kImagePage, new CTreeItem(kTreeRun, area, run));
      run->treeItem = ri.GetID();
    }
    UpdateRunItems(ri, run);
  }
}

// ---- runs ----

wxTreeItemId CPVN4View::AddIdealLandscapeFolder(CRun& run) {
  const wxTreeItemId runItem = ItemOfRun(run);
  if (!runItem.IsOk()) return {};
  if (run.idealLandscapeTreeItem) return wxTreeItemId(run.idealLandscapeTreeItem);
  const wxTreeItemId folder = PrependItem(runItem, "Ideal Landscape Themes", kImageDiamond,
                                          kImageDiamond, new CTreeItem(kTreeFolder, run.area, &run));
  SetItemBold(folder);
  run.idealLandscapeTreeItem = folder.GetID();
  return folder;
}

void CPVN4View::PlaceInIdealFolder(wxTreeItemId runItem, CRun& run, CTheme* theme) {
  if (!theme) return;
  if (!run.idealLandscapeTreeItem) {
    run.treeItem = runItem.GetID();
    AddIdealLandscapeFolder(run);
  }
  const wxTreeItemId folder(run.idealLandscapeTreeItem);
  // Matched by label: these themes are made again whenever the run reads its files.
  const wxTreeItemId found = FindChildByLabel(folder, theme->name);
  if (found.IsOk()) {
    if (CTreeItem* d = Data(found)) d->theme = theme;
    return;
  }
  const wxTreeItemId item =
      Append(folder, theme->name, kImageTheme, new CTreeItem(kTreeRunTheme, run.area, &run, theme));
  SetItemState(item, RasterState(theme, run.area));
}

void CPVN4View::UpdateRunItems(wxTreeItemId runItem, CRun* run) {
  if (!runItem.IsOk() || !run) return;
  run->treeItem = runItem.GetID();
  if (!run->tom.idealLandscapeFile.empty())
    for (CTheme* t : run->idealLandscapeThemes) PlaceInIdealFolder(runItem, *run, t);
  for (CTheme* t : run->tomOutputThemes) PlaceInIdealFolder(runItem, *run, t);
  // A cleared ideal landscape leaves its folder empty: it goes too.
  if (run->idealLandscapeTreeItem && run->tom.idealLandscapeFile.empty() &&
      !ItemHasChildren(wxTreeItemId(run->idealLandscapeTreeItem))) {
    Delete(wxTreeItemId(run->idealLandscapeTreeItem));
    run->idealLandscapeTreeItem = nullptr;
  }

  // Overlay outputs go right after the folder (or first when there is none).
  const wxTreeItemId after = run->idealLandscapeTreeItem ? wxTreeItemId(run->idealLandscapeTreeItem)
                                                         : wxTreeItemId();
  auto overlay = [&](const void* theme, CTreeItem* data, bool expand) {
    if (!theme) {
      delete data;
      return;
    }
    wxTreeItemId item = FindChild(runItem, [theme](const CTreeItem& d) {
      return d.vector == theme || d.contour == theme || d.windVector == theme;
    });
    if (!item.IsOk()) {
      item = InsertAfter(runItem, after, OverlayName(*data), kImageTheme, data);
      if (expand && !doc_.loading) {
        Expand(runItem);
        EnsureVisible(item);
      }
    } else {
      delete data;
      SetItemText(item, wxString::FromUTF8(OverlayName(*Data(item))));
    }
    SetItemState(item, OverlayVisible(*Data(item)) ? kStateShown : kStateHidden);
  };
  CPyrvane2WorkArea* area = run->area;
  auto wind = [&](CWindVectorTheme* t) {
    overlay(t, new CTreeItem(kTreeWindVector, nullptr, run, nullptr, nullptr, nullptr, t), true);
  };
  auto vector = [&](CVectorTheme* t, bool withRun) {
    overlay(t, new CTreeItem(kTreeVectorTheme, nullptr, withRun ? run : nullptr, nullptr, t), false);
  };
  wind(run->windVectors);
  wind(run->spreadVectors);
  wind(run->maxSpotVectors);
  wind(run->embrithWindVectors);
  wind(run->embrithSpreadVectors);
  vector(run->randomPerimeters, true);
  vector(run->flowPaths, false);
  vector(run->majorPaths, false);
  overlay(run->arrivalContour,
          new CTreeItem(kTreeContour, nullptr, nullptr, nullptr, nullptr, run->arrivalContour), false);
  vector(run->mttIgnitions, false);
  vector(run->mttBarriers, false);
  vector(run->tomIgnitions, false);
  vector(run->embrithPerimeters, true);
  vector(run->spotLocations, false);
  vector(run->embrithIgnitions, false);
  vector(run->embrithBarriers, false);

  SetItemText(runItem, wxString::FromUTF8(run->name));

  for (const auto& t : run->outputThemes) {
    CTheme* theme = t.get();
    wxTreeItemId item = FindChild(runItem, [theme](const CTreeItem& d) { return d.theme == theme; });
    if (!item.IsOk())
      item = Append(runItem, theme->name, kImageTheme, new CTreeItem(kTreeRunTheme, area, run, theme));
    SetItemState(item, RasterState(theme, area));
  }
  // Logs are held by value in a growing list, so their addresses move: the k-th log item
  // stands for the k-th log.
  std::size_t k = 0;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId c = GetFirstChild(runItem, cookie); c.IsOk(); c = GetNextChild(runItem, cookie)) {
    CTreeItem* d = Data(c);
    if (!d || d->type != kTreeRunLog) continue;
    if (k < run->runLogs.size()) d->log = &run->runLogs[k];
    ++k;
  }
  for (; k < run->runLogs.size(); ++k)
    Append(runItem, app::GetFileNameFromPath(run->runLogs[k].name), kImagePage,
           new CTreeItem(kTreeRunLog, area, run, nullptr, nullptr, nullptr, nullptr, &run->runLogs[k]));
  context_ = nullptr;
}

// ---- deletion ----

void CPVN4View::DeleteFirstChild(wxTreeItemId parent,
                                 const std::function<bool(const CTreeItem&)>& match) {
  const wxTreeItemId item = FindChild(parent, match);
  if (item.IsOk()) Delete(item);
  context_ = nullptr;
}

void CPVN4View::DeleteChildItems(wxTreeItemId parent) {
  if (parent.IsOk()) {
    // A run's folder goes with its children.
    if (const CTreeItem* d = Data(parent); d && d->type == kTreeRun && d->run)
      d->run->idealLandscapeTreeItem = nullptr;
    DeleteChildren(parent);
  }
  context_ = nullptr;
}

void CPVN4View::DeleteWindVectorItem(wxTreeItemId parent, CWindVectorTheme* theme) {
  if (!theme) return;
  DeleteFirstChild(parent, [theme](const CTreeItem& d) { return d.windVector == theme; });
}

void CPVN4View::DeleteVectorThemeItem(wxTreeItemId parent, CVectorTheme* theme) {
  if (!theme) return;
  DeleteFirstChild(parent, [theme](const CTreeItem& d) { return d.vector == theme; });
}

void CPVN4View::DeleteContourItem(wxTreeItemId parent, CContourTheme* theme) {
  if (!theme) return;
  DeleteFirstChild(parent, [theme](const CTreeItem& d) { return d.contour == theme; });
}

void CPVN4View::DeleteThemeItems(wxTreeItemId parent, const CTheme* a, const CTheme* b) {
  if (parent.IsOk()) {
    std::vector<wxTreeItemId> doomed;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = GetFirstChild(parent, cookie); c.IsOk(); c = GetNextChild(parent, cookie))
      if (const CTreeItem* d = Data(c); d && d->theme && (d->theme == a || d->theme == b)) doomed.push_back(c);
    for (const wxTreeItemId& c : doomed) Delete(c);
  }
  context_ = nullptr;
}

void CPVN4View::DeleteRunOutputItems(wxTreeItemId runItem) {
  if (runItem.IsOk()) {
    std::vector<wxTreeItemId> doomed;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = GetFirstChild(runItem, cookie); c.IsOk(); c = GetNextChild(runItem, cookie)) {
      const CTreeItem* d = Data(c);
      if (!d || d->type == kTreeFolder || d->windVector) continue;
      // Gridded wind files stay listed: they are inputs of the run.
      if (d->run && d->run->inputs.windType == 2 && d->theme &&
          (d->theme == d->run->windSpeedGridTheme || d->theme == d->run->windDirectionGridTheme))
        continue;
      doomed.push_back(c);
    }
    for (const wxTreeItemId& c : doomed) Delete(c);
  }
  context_ = nullptr;
}

void CPVN4View::DeleteAreaThemeItem(const CTheme* theme) {
  wxTreeItemIdValue cookie;
  for (wxTreeItemId a = GetFirstChild(areas_, cookie); areas_.IsOk() && a.IsOk();
       a = GetNextChild(areas_, cookie)) {
    const wxTreeItemId themes = FindChild(a, [](const CTreeItem& d) { return d.type == kTreeAreaThemesFolder; });
    const wxTreeItemId item = FindChild(themes, [theme](const CTreeItem& d) { return d.theme == theme; });
    if (item.IsOk()) Delete(item);
  }
}

void CPVN4View::RenameItem(wxTreeItemId item, const std::string& text) {
  if (item.IsOk()) SetItemText(item, wxString::FromUTF8(text));
}

void CPVN4View::ExpandEverything() {
  for (wxTreeItemId item : {root_, auxiliary_, grids_, vectors_, contours_, windVectors_, areas_})
    if (item.IsOk()) Expand(item);
  if (areas_.IsOk()) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId a = GetFirstChild(areas_, cookie); a.IsOk(); a = GetNextChild(areas_, cookie))
      ExpandAllChildren(a);
  }
}

}  // namespace views::ui

#include "app/ui/main_frame.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/config.h>
#include <wx/filehistory.h>
#include <wx/fileconf.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "app/application.h"
#include "app/help.h"
#include "app/ui/about_dialog.h"
#include "app/ui/child_frame.h"
#include "app/ui/preferences_sheet.h"
#include "app/ui/tool_icons.h"
#include "landscape/ui/convert_dialog.h"
#include "landscape/ui/generate_dialog.h"
#include "platform/dialogs.h"
#include "platform/folders.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "themes/ui/color_ramp_dialogs.h"
#include "themes/ui/raster_theme_commands.h"
#include "themes/ui/theme_commands.h"
#include "views/ui/predefined_legends_dialog.h"
#include "views/view_commands.h"
#include "weather/ui/wtr_wnd_dialog.h"

namespace app::ui {

namespace {

struct MenuItem {
  int command;
  const char* label;
  bool check = false;
  const char* prompt = "";  // shown in the status bar while the item is highlighted
};

// Framework ids for the commands the framework itself handles.
const std::pair<int, int> kStockIds[] = {
    {cmd::kNew, wxID_NEW},   {cmd::kOpen, wxID_OPEN},   {cmd::kSave, wxID_SAVE},
    {cmd::kSaveAs, wxID_SAVEAS},
    {cmd::kExit, wxID_EXIT}, {cmd::kAbout, wxID_ABOUT},
};

struct Tool {
  int command;  // 0 = separator
  const char* tip;
  bool check = false;
};

const Tool kTools[] = {
    {cmd::kNew, "New"},
    {cmd::kOpen, "Open"},
    {cmd::kSave, "Save"},
    {0, nullptr},
    {cmd::kPrint, "Print"},
    {0, nullptr},
    {cmd::kZoomInStep, "Zoom in"},
    {cmd::kZoomOutStep, "Zoom out"},
    {0, nullptr},
    {cmd::kZoomInMode, "Zoom In", true},
    {cmd::kZoomOutMode, "Zoom Out", true},
    {cmd::kPanMode, "Pan", true},
    {cmd::kStepBack, "Step Back"},
    {cmd::kStepForward, "Step Forward"},
    {0, nullptr},
    {cmd::kIdentifyMode, "Identify", true},
    {cmd::kCreatePointsMode, "Create Points", true},
    {cmd::kCreateLinesMode, "Create Lines", true},
    {cmd::kCreatePolygonsMode, "Create Polygons", true},
    {cmd::kMeasureMode, "Measure ", true},
    {0, nullptr},
    {cmd::kCritiqueHtml, "Critique HTML"},
    {cmd::kCritiquePdf, "Critique PDF"},
    {0, nullptr},
    {cmd::kAbout, "About"},
};

// Status panes after the message pane: their width texts, in bar order.
const char* const kPaneWidthTexts[] = {
    "Map Mode For Map View Tool Mode", "New Analysis Area (No Name)", "Visible Theme (None)",
    "Theme Point Value", "Coordinates   (x, y)", "Scale: 1 : XXXXXXX",
};

wxMenu* MakeMenu(std::initializer_list<MenuItem> items) {
  auto* menu = new wxMenu;
  for (const MenuItem& item : items) {
    if (item.command == 0) {
      menu->AppendSeparator();
      continue;
    }
    int id = MainFrame::WxIdFor(item.command);
    if (item.check) menu->AppendCheckItem(id, item.label, item.prompt);
    else menu->Append(id, item.label, item.prompt);
  }
  return menu;
}

bool IsProjectFilter(const std::string& patterns) { return patterns.find("*.pvn") != std::string::npos; }

}  // namespace

PyrvaneDocManager::PyrvaneDocManager() : wxDocManager(0, false) { Initialize(); }

wxFileHistory* PyrvaneDocManager::OnCreateFileHistory() {
  return new wxFileHistory(MainFrame::kRecentFileCount, MainFrame::WxIdFor(cmd::kRecentFile));
}

wxString PyrvaneDocManager::MakeNewDocumentName() {
  return wxString::Format("Pyrvane%d", ++newCount_);
}

wxDocTemplate* PyrvaneDocManager::SelectDocumentPath(wxDocTemplate** templates, int count,
                                                     wxString& path, long, bool) {
  platform::FileDialogOptions o;
  // The dialog starts with everything it opens, projects and landscapes together; then each
  // kind alone, landscapes first, and all files.
  std::string each, kinds[2];  // landscapes' patterns, projects'
  for (bool projects : {false, true})
    for (int i = 0; i < count; ++i) {
      if (!templates[i]->IsVisible()) continue;
      const std::string patterns = templates[i]->GetFileFilter().utf8_string();
      if (IsProjectFilter(patterns) != projects) continue;
      each += templates[i]->GetDescription().utf8_string() + " (" + patterns + ")|" + patterns + "|";
      kinds[projects] += (kinds[projects].empty() ? "" : ";") + patterns;
    }
  const std::string every = kinds[1] + (kinds[0].empty() || kinds[1].empty() ? "" : ";") + kinds[0];
  o.filter = "Projects and Landscapes (" + every + ")|" + every + "|" + each + "All Files (*.*)|*.*||";
  o.initialPath = GetLastDirectory().utf8_string();
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!chosen) return nullptr;
  const wxString chosenPath = wxString::FromUTF8(*chosen);
  wxDocTemplate* found = FindTemplateForPath(chosenPath);
  if (!found) {
    platform::Tell(UnknownFileText(*chosen));
    return nullptr;
  }
  SetLastDirectory(wxPathOnly(chosenPath));
  path = chosenPath;
  return found;
}

std::string UnknownFileText(const std::string& path) {
  return "Cannot open " + path + ": it is neither a project nor a landscape file.";
}

std::string DefaultRecentFilesPath() {
  return platform::Join(platform::ConfigFolder(), "Pyrvane6.recent");
}

int MainFrame::WxIdFor(int command) {
  for (auto [c, wx] : kStockIds)
    if (c == command) return wx;
  return MenuIdFor(command);
}

int MainFrame::CommandFor(int wxId) {
  for (auto [c, wx] : kStockIds)
    if (wx == wxId) return c;
  return CommandForMenuId(wxId);
}

MainFrame::MainFrame() : MainFrame(std::string()) {}

MainFrame::MainFrame(const std::string& recentFilesPath)
    : manager_(new PyrvaneDocManager),
      recentFilesPath_(recentFilesPath.empty() ? DefaultRecentFilesPath() : recentFilesPath),
      helpBase_(kBuiltInHelpBase) {
  manager_->SetFrame(this);
  Create(manager_, nullptr, wxID_ANY, "Pyrvane 6", wxDefaultPosition, DefaultSize());
  BuildMenus();
  BuildToolbar();
  BuildStatusBar();
  LoadRecentFiles();

  BindCommand(cmd::kExit, [this] { Close(); });
  BindCommand(cmd::kAbout, [this] { ShowAbout(); });
  BindCommand(cmd::kHelp, [this] { OpenHelpAddress(ComposeHelpAddress(helpBase_, 0)); });
  BindCommand(cmd::kConvertLcpToGeoTiff, [this] {
    landscape::ui::CConvertLCPtoGeoTiffDlg dialog(this);
    dialog.ShowModal();
  });
  BindCommand(cmd::kWtrWndToWxs, [this] {
    weather::ui::CDialogWtrWndToWxs dialog(this);
    dialog.ShowModal();
  });
  BindCommand(cmd::kSavePreferencesAs, [] { GetApp().OnSavePreferencesAs(); });
  // A loaded set of preferences is shown in the sheet at once.
  BindCommand(cmd::kLoadSavedPreferences, [this] {
    if (!GetApp().OnLoadSavedPreferences()) return;
    ApplyAppBackground();
    EditPreferences(this, [this] { ApplyAppBackground(); });
  });
  BindCommand(cmd::kLoadDefaultPreferences, [this] {
    if (!GetApp().OnLoadDefaultPreferences()) return;
    ApplyAppBackground();
    EditPreferences(this, [this] { ApplyAppBackground(); });
  });
  // A project window has two panes, so next and previous both reach the other one.
  BindCommand(cmd::kNextPane, [this] { FocusOtherPane(); });
  BindCommand(cmd::kPreviousPane, [this] { FocusOtherPane(); });
  // The edit keys act on the text box that has the focus.
  for (int id : {wxID_UNDO, wxID_CUT, wxID_COPY, wxID_PASTE})
    Bind(wxEVT_MENU, [id](wxCommandEvent&) {
      auto* entry = dynamic_cast<wxTextEntry*>(wxWindow::FindFocus());
      if (!entry) return;
      if (id == wxID_UNDO) entry->Undo();
      else if (id == wxID_CUT) entry->Cut();
      else if (id == wxID_COPY) entry->Copy();
      else entry->Paste();
    }, id);
  BindCommand(cmd::kEditPreferences, [this] { EditPreferences(this, [this] { ApplyAppBackground(); }); });
  BindCommand(cmd::kColorRamps, [this] {
    themes::ui::CColorRampsDialog dialog(this);
    dialog.ShowModal();
  });
  BindCommand(cmd::kPredefinedLegends, [this] {
    views::ui::CPredefinedLegendsDialog dialog(this);
    dialog.ShowModal();
  });
  BindCommand(cmd::kCreateLandscapeFile, [this] {
    landscape::ui::CGenerateLCPDialog dialog(this);
    dialog.ShowModal();
  });
  BindCommand(cmd::kViewToolbar, [this] {
    toolbar_->Show(!toolbar_->IsShown());
    SendSizeEvent();
  });
  BindCommand(cmd::kViewStatusBar, [this] {
    GetStatusBar()->Show(!GetStatusBar()->IsShown());
    SendSizeEvent();
  });
  // The framework's document manager answers these.
  for (int c : {cmd::kNew, cmd::kOpen, cmd::kSave, cmd::kSaveAs}) handlers_[c] = nullptr;
  for (int i = 0; i < kRecentFileCount; ++i) handlers_[cmd::kRecentFile + i] = nullptr;
  Bind(wxEVT_MENU, &MainFrame::OnRecentFile, this, WxIdFor(cmd::kRecentFile),
       WxIdFor(cmd::kRecentFile) + kRecentFileCount - 1);
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
  backdrop_ = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
  backdrop_->SetBackgroundStyle(wxBG_STYLE_PAINT);
  backdropColour_ = GetClientWindow() ? GetClientWindow()->GetBackgroundColour() : *wxLIGHT_GREY;
  backdrop_->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
    wxPaintDC dc(backdrop_);
    wxSize size = backdrop_->GetClientSize();
    if (!backdropCache_.IsOk() || backdropCache_.GetSize() != size)
      backdropCache_ = BackdropBitmap(backdropColour_, backdropPicture_, size);
    dc.DrawBitmap(backdropCache_, 0, 0);
  });
  // With the backdrop the frame has two children, so it no longer sizes its client area
  // by itself.
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    LayoutClient();
    e.Skip();
  });
  Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
    SwitchMenus();
    PlaceBackdrop();
    UpdateStatusPanes();
    e.Skip();
  });
}

MainFrame::~MainFrame() {
  // The manager's documents and views go before the frame they live in.
  manager_->Clear(true);
  delete manager_;
  // The frame deletes the bar it shows; the other one is ours.
  delete (GetMenuBar() == frameMenus_ ? projectMenus_ : frameMenus_);
}

namespace {

wxMenu* FrameViewMenu() {
  return MakeMenu({{cmd::kViewToolbar, "&Toolbar", true},
                   {cmd::kViewStatusBar, "&Status Bar", true},
                   {cmd::kViewShaderBar, "Shader &Bar", true}});
}

wxMenu* OptionsMenu(wxMenu* first = nullptr, wxMenu* shape = nullptr) {
  auto* load = MakeMenu({{cmd::kLoadSavedPreferences, "&Saved Preferences"},
                         {cmd::kLoadDefaultPreferences, "&Default Preferences"}});
  auto* prefs = MakeMenu({{cmd::kEditPreferences, "Edit &Preferences"},
                          {0, nullptr},
                          {cmd::kSavePreferencesAs, "&Save As..."}});
  prefs->AppendSubMenu(load, "&Load");
  auto* options = new wxMenu;
  if (first) options->AppendSubMenu(first, "Pointer &Mode");
  if (shape) options->AppendSubMenu(shape, "S&hape");
  options->Append(MainFrame::WxIdFor(cmd::kColorRamps), "&Color Ramps");
  options->Append(MainFrame::WxIdFor(cmd::kPredefinedLegends), "Predefined &Legends");
  options->AppendSubMenu(prefs, "&Preferences");
  return options;
}

// File menu, with the recent files between two separators.
wxMenu* FileMenu(PyrvaneDocManager* manager, bool project) {
  wxMenu* file = MakeMenu({{cmd::kNew, "&New\tCtrl+N"}, {cmd::kOpen, "&Open...\tCtrl+O"}});
  if (project) {
    file->Append(wxID_CLOSE, "&Close");
    file->Append(MainFrame::WxIdFor(cmd::kSave), "&Save\tCtrl+S");
    file->Append(MainFrame::WxIdFor(cmd::kSaveAs), "Save &As...");
    file->Append(MainFrame::WxIdFor(cmd::kSaveAndArchive), "Save and Archi&ve...",
                 "Package all data and inputs for distribution to other machines");
  }
  file->AppendSeparator();
  file->Append(MainFrame::WxIdFor(cmd::kExtractAndOpenArchive), "&Extract and Open Archive...",
               "Extract and Open a previously saved Pyrvane2 Archive");
  file->AppendSeparator();
  file->Append(MainFrame::WxIdFor(cmd::kCreateLandscapeFile), "Create Landscape File...");
  file->Append(MainFrame::WxIdFor(cmd::kConvertLcpToGeoTiff), "Convert LCP to &GeoTIFF");
  file->AppendSeparator();
  auto* recent = new wxMenu;
  file->AppendSubMenu(recent, "Recent File");
  manager->FileHistoryUseMenu(recent);
  file->AppendSeparator();
  file->Append(wxID_EXIT, "E&xit");
  return file;
}

void AppendTail(wxMenuBar* bar, wxMenu* options) {
  bar->Append(options, "&Options");
  bar->Append(MakeMenu({{cmd::kWtrWndToWxs, "WTR and WND to WXS"}}), "&Utilities");
  bar->Append(MakeMenu({{cmd::kAbout, "&About Pyrvane..."}, {0, nullptr}, {cmd::kHelp, "&Help"}}),
              "&Help");
}

// Every command of a menu (and its submenus), for the enable rules.
void CollectCommands(wxMenu* menu, std::vector<int>& out) {
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSubMenu()) CollectCommands(item->GetSubMenu(), out);
    else if (!item->IsSeparator()) out.push_back(MainFrame::CommandFor(item->GetId()));
  }
}

}  // namespace

void MainFrame::BuildMenus() {
  frameMenus_ = new wxMenuBar;
  frameMenus_->Append(FileMenu(manager_, false), "&File");
  frameMenus_->Append(FrameViewMenu(), "&View");
  AppendTail(frameMenus_, OptionsMenu());
  SetMenuBar(frameMenus_);
  projectMenus_ = MakeProjectMenuBar();

  wxAcceleratorEntry keys[] = {
      {wxACCEL_CTRL, 'N', wxID_NEW},
      {wxACCEL_CTRL, 'O', wxID_OPEN},
      {wxACCEL_CTRL, 'S', wxID_SAVE},
      {wxACCEL_CTRL, 'Z', wxID_UNDO},
      {wxACCEL_ALT, WXK_BACK, wxID_UNDO},
      {wxACCEL_CTRL, 'X', wxID_CUT},
      {wxACCEL_SHIFT, WXK_DELETE, wxID_CUT},
      {wxACCEL_CTRL, 'C', wxID_COPY},
      {wxACCEL_CTRL, WXK_INSERT, wxID_COPY},
      {wxACCEL_CTRL, 'V', wxID_PASTE},
      {wxACCEL_SHIFT, WXK_INSERT, wxID_PASTE},
      {wxACCEL_NORMAL, WXK_F6, WxIdFor(cmd::kNextPane)},
      {wxACCEL_SHIFT, WXK_F6, WxIdFor(cmd::kPreviousPane)},
  };
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(keys)), keys));
}

wxMenuBar* MainFrame::MakeProjectMenuBar() {
  namespace v = views::cmd;
  auto* bar = new wxMenuBar;
  bar->Append(FileMenu(manager_, true), "&File");

  wxMenu* view = FrameViewMenu();
  view->AppendCheckItem(WxIdFor(v::kViewLegend), "&Legend");
  view->Append(WxIdFor(v::k3DWindow), "3&D Window");
  view->AppendSeparator();
  view->Append(WxIdFor(v::kFullView), "&Full View");
  view->Append(WxIdFor(v::kZoomIn), "Zoom &In");
  view->Append(WxIdFor(v::kZoomOut), "Zoom &Out");
  const char* const factors[] = {"&10%", "&20 %", "&30%", "&40%", "&50%"};
  auto* factor = new wxMenu;
  for (int i = 0; i < 5; ++i) factor->AppendCheckItem(WxIdFor(v::kZoomFactor10 + i), factors[i]);
  view->AppendSubMenu(factor, "Zoom &Factor");
  view->AppendSeparator();
  view->Append(WxIdFor(v::kViewBack), "Bac&k");
  view->Append(WxIdFor(v::kViewForward), "For&ward");
  bar->Append(view, "&View");

  bar->Append(MakeMenu({{v::kOpenLandscape, "&Open Landscape"},
                        {v::kEditLandscape, "&Edit Landscape"},
                        {v::kReloadLandscape, "&Reload Landscape"},
                        {v::kSaveLandscape, "&Save Landscape"},
                        {v::kLandscapeProperties, "&Properties"},
                        {0, nullptr},
                        {cmd::kCreateLandscapeFile, "Create Landscape File..."},
                        {cmd::kConvertLcpToGeoTiff, "Convert LCP to &GeoTIFF"}}),
              "&Landscape");
  bar->Append(MakeMenu({{themes::ui::kCmdNewGridTheme, "New &Grid Theme"},
                        {themes::ui::kCmdNewVectorTheme, "New &Vector Theme"},
                        {themes::ui::kCmdContour, "&Contour"},
                        {themes::ui::kCmdArrangeVectorThemes, "&Arrange Vector Themes"}}),
              "&Theme");
  bar->Append(MakeMenu({{v::kBeginNewAnalysisArea, "&New Analysis Area"},
                        {v::kDeleteAnalysisArea, "&Delete Analysis Area", false,
                         "Delete the current analysis area"},
                        {0, nullptr},
                        {cmd::kNewRun, "New Pyrvane/MTT/TOM &Run", false,
                         "Create a new Pyrvane/MTT/TOM run in active work area"},
                        {cmd::kNewEmbrithRun, "New &Embrith Run", false,
                         "Create a new Embrith run for the active avalysis area"},
                        {cmd::kImportRun, "&Import Run", false, "Import from Run Log or TRIAX Inputs file"},
                        {0, nullptr},
                        {cmd::kCritiquePdf, "&Critique PDF"},
                        {cmd::kCritiqueHtml, "Critique &HTML"}}),
              "&Analysis Area");
  wxMenu* pointer = MakeMenu({{v::kZoomInMode, "Zoom &In", true},
                              {v::kZoomOutMode, "Zoom &Out", true},
                              {v::kPanMode, "&Pan", true},
                              {v::kIdentifyMode, "I&dentify", true},
                              {v::kCreatePoints, "&Create Points", true, "Create Points"},
                              {v::kCreateLines, "Create &Lines", true, "Create Lines"},
                              {v::kCreatePolygons, "Create P&olygons", true, "Create Polygons"},
                              {v::kMeasure, "&Measure", true}});
  wxMenu* shape = MakeMenu({{v::kShapeSaveToFile, "&Save to File", false, "Save Current Shapes to File"},
                            {v::kShapeClear, "&Clear", false, "Clear Shapes"},
                            {v::kShapeDeleteCurrent, "&Delete Current", false, "Delete Current Shape Being Drawn"},
                            {v::kShapeDeleteLast, "Delete &Last", false, "Delete Last Completed Shape"}});
  AppendTail(bar, OptionsMenu(pointer, shape));

  std::vector<int> commands;
  for (size_t i = 0; i < bar->GetMenuCount(); ++i) CollectCommands(bar->GetMenu(i), commands);
  for (int c : commands) WatchCommand(c);
  return bar;
}

void MainFrame::SwitchMenus() {
  // One menu bar per kind of window, as the project's commands need a project.
  wxMenuBar* wanted = GetActiveChild() ? projectMenus_ : frameMenus_;
  if (GetMenuBar() != wanted) SetMenuBar(wanted);
}

void MainFrame::WatchCommand(int command) {
  // The framework answers for its own items (close, exit, the recent files).
  int id = WxIdFor(command);
  if (id == wxID_CLOSE || id == wxID_EXIT || id == wxID_NEW || id == wxID_OPEN) return;
  if (command >= cmd::kRecentFile && command < cmd::kRecentFile + kRecentFileCount) return;
  if (watched_.insert(id).second) Bind(wxEVT_UPDATE_UI, &MainFrame::OnUpdateCommand, this, id);
}

void MainFrame::BuildToolbar() {
  toolbar_ = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT, WxIdFor(cmd::kViewToolbar));
  toolbar_->SetToolBitmapSize(wxSize(20, 20));
  for (const Tool& t : kTools) {
    if (t.command == 0) {
      toolbar_->AddSeparator();
      continue;
    }
    toolbar_->AddTool(WxIdFor(t.command), t.tip, ToolIcon(t.command), t.tip,
                      t.check ? wxITEM_CHECK : wxITEM_NORMAL);
  }
  toolbar_->Realize();

  // Every menu and tool id answers to the enable rules.
  std::vector<int> ids;
  for (const Tool& t : kTools)
    if (t.command) ids.push_back(t.command);
  for (int c : {cmd::kExtractAndOpenArchive, cmd::kCreateLandscapeFile, cmd::kConvertLcpToGeoTiff,
                cmd::kExit, cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kViewShaderBar,
                cmd::kColorRamps, cmd::kPredefinedLegends, cmd::kEditPreferences,
                cmd::kSavePreferencesAs, cmd::kLoadSavedPreferences, cmd::kLoadDefaultPreferences,
                cmd::kWtrWndToWxs, cmd::kHelp, cmd::kShaderReliefShading, cmd::kShaderApply})
    ids.push_back(c);
  for (int c : ids) WatchCommand(c);
}

void MainFrame::BuildStatusBar() {
  wxStatusBar* bar = CreateStatusBar(7, wxSTB_DEFAULT_STYLE, WxIdFor(cmd::kViewStatusBar));
  int widths[7] = {-1};
  for (int i = 0; i < 6; ++i) widths[i + 1] = bar->GetTextExtent(kPaneWidthTexts[i]).GetWidth() + 12;
  bar->SetStatusWidths(7, widths);
  SetStatusText("Ready", 0);
}

void MainFrame::BindCommand(int command, std::function<void()> handler) {
  handlers_[command] = std::move(handler);
  // Windows that send the command by its own number (the map's menus) reach it as well.
  for (int id : {WxIdFor(command), command}) {
    if (!menuBound_.insert(id).second) continue;
    Bind(wxEVT_MENU, [this, command](wxCommandEvent&) {
      auto it = handlers_.find(command);
      if (it != handlers_.end() && it->second) it->second();
    }, id);
  }
}

bool MainFrame::HasHandler(int command) const { return handlers_.count(command) != 0; }

void MainFrame::SetCommandStateProvider(std::function<CommandState()> provider) {
  stateProvider_ = std::move(provider);
}

void MainFrame::SetStatusProvider(std::function<StatusInfo()> provider) {
  statusProvider_ = std::move(provider);
}

CommandState MainFrame::CurrentCommandState() const {
  CommandState s;
  if (stateProvider_) s = stateProvider_();
  else s.hasProject = GetActiveChild() != nullptr;
  for (const auto& [c, h] : handlers_) s.handled.insert(c);
  if (shaderBar_) s.handled.insert({cmd::kShaderReliefShading, cmd::kShaderApply});
  s.toolbarShown = toolbar_ && toolbar_->IsShown();
  s.statusBarShown = GetStatusBar() && GetStatusBar()->IsShown();
  s.shaderBarShown = shaderBar_ && shaderBar_->IsShown();
  return s;
}

void MainFrame::OnUpdateCommand(wxUpdateUIEvent& e) {
  CommandState s = CurrentCommandState();
  int command = CommandFor(e.GetId());
  if (command == cmd::kShaderReliefShading || command == cmd::kShaderApply) {
    // The shader bar works on the project of the active window; with none it keeps the last.
    if (wxDocument* doc = GetActiveChild() ? GetDocumentManager()->GetCurrentDocument() : nullptr)
      activeDocument_ = doc;
  }
  bool enabled = IsCommandEnabled(command, s);
  bool checked = IsCommandChecked(command, s);
  if (projectRules_) projectRules_(command, enabled, checked);
  e.Enable(enabled);
  if (e.IsCheckable()) e.Check(checked);
}

StatusTexts MainFrame::UpdateStatusPanes() {
  StatusInfo info;
  if (statusProvider_) info = statusProvider_();
  else info.hasProject = GetActiveChild() != nullptr;
  StatusTexts t = StatusPaneTexts(info);
  wxStatusBar* bar = GetStatusBar();
  if (bar && !(t == shown_)) {
    const std::string* texts[] = {&t.mode, &t.area, &t.theme, &t.value, &t.coordinates, &t.scale};
    // A pane is at least as wide as its width text, and wider when what it shows needs it.
    int widths[7] = {-1};
    for (int i = 0; i < 6; ++i) {
      const wxString text = wxString::FromUTF8(*texts[i]);
      widths[i + 1] = std::max(bar->GetTextExtent(kPaneWidthTexts[i]).GetWidth(), bar->GetTextExtent(text).GetWidth()) + 12;
      bar->SetStatusText(text, i + 1);
    }
    bar->SetStatusWidths(7, widths);
    shown_ = t;
  }
  return t;
}

void MainFrame::AttachShaderBar(wxControl* bar) {
  // Right of the toolbar the bar would fall off a window of the usual size, so it has a row
  // of its own under the toolbar, in reach however narrow the window is.
  shaderBar_ = bar;
  LayoutClient();
  BindCommand(cmd::kViewShaderBar, [this] {
    shaderBar_->Show(!shaderBar_->IsShown());
    LayoutClient();
  });
}

void MainFrame::LayoutClient() {
  const wxSize size = GetClientSize();
  int top = 0;
  if (shaderBar_ && shaderBar_->IsShown()) {
    top = shaderBar_->GetBestSize().GetHeight() + 4;
    shaderBar_->SetSize(0, 2, std::max(size.x, 1), top - 4);
  }
  if (wxWindow* client = GetClientWindow()) client->SetSize(0, top, size.x, std::max(size.y - top, 1));
  PlaceBackdrop();
}

void MainFrame::RestorePlacement(const FramePlacement& stored) {
  wxRect work = wxGetClientDisplayRect();
  FramePlacement placement =
      RestoredPlacement(stored, CurrentPlacement(), {work.GetLeft(), work.GetTop(),
                                                     work.GetRight() + 1, work.GetBottom() + 1},
                        IsMaximized(), IsIconized());
  const Rect& r = placement.normal;
  SetSize(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (placement.show == ShowState::Maximized) Maximize();
}

FramePlacement MainFrame::CurrentPlacement() const {
  FramePlacement p;
  p.show = IsMaximized() ? ShowState::Maximized : IsIconized() ? ShowState::Minimized
                                                               : ShowState::Normal;
  wxRect r = GetRect();
  p.normal = {r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1};
  return p;
}

wxBitmap BackdropBitmap(const wxColour& colour, const wxImage& picture, const wxSize& size) {
  int w = std::max(size.GetWidth(), 1), h = std::max(size.GetHeight(), 1);
  if (picture.IsOk()) return wxBitmap(picture.Scale(w, h, wxIMAGE_QUALITY_HIGH));
  wxImage fill(w, h);
  fill.SetRGB(wxRect(0, 0, w, h), colour.Red(), colour.Green(), colour.Blue());
  return wxBitmap(fill);
}

void MainFrame::SetClientBackground(const wxColour& colour, const wxImage& picture) {
  backdropColour_ = colour;
  backdropPicture_ = picture;
  backdropCache_ = wxBitmap();
  if (wxWindow* client = GetClientWindow()) client->SetBackgroundColour(colour);
  backdrop_->Refresh();
}

void MainFrame::PlaceBackdrop() {
  // The tabbed client area of this toolkit cannot paint a picture of its own, so a window
  // of the same size stands over it while no project window is open.
  wxWindow* client = GetClientWindow();
  if (!client) return;
  bool show = GetActiveChild() == nullptr;
  if (backdrop_->GetRect() != client->GetRect()) {
    backdrop_->SetSize(client->GetRect());
    backdropCache_ = wxBitmap();
    backdrop_->Refresh();
  }
  if (show != backdrop_->IsShown()) {
    backdrop_->Show(show);
    if (show) backdrop_->Raise();
  }
}

void MainFrame::LoadRecentFiles() {
  if (!platform::FileExists(recentFilesPath_)) return;
  wxFileConfig config("Pyrvane6", wxEmptyString, wxString::FromUTF8(recentFilesPath_),
                      wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
  config.SetPath("/Recent File List");
  manager_->FileHistoryLoad(config);
}

bool MainFrame::SaveRecentFiles() const {
  platform::MakeFolders(platform::Directory(recentFilesPath_));
  wxFileConfig config("Pyrvane6", wxEmptyString, wxString::FromUTF8(recentFilesPath_),
                      wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
  config.DeleteGroup("/Recent File List");
  config.SetPath("/Recent File List");
  manager_->FileHistorySave(config);
  // Written through a temporary file and renamed, so a failed write keeps the old list.
  return config.Flush();
}

void MainFrame::OnRecentFile(wxCommandEvent& e) {
  size_t n = static_cast<size_t>(e.GetId() - WxIdFor(cmd::kRecentFile));
  if (n >= manager_->GetHistoryFilesCount()) return;
  // A file that has gone, or that cannot be opened, says why and leaves the list.
  if (!OpenFile(manager_->GetHistoryFile(n))) manager_->RemoveFileFromHistory(n);
}

wxDocument* MainFrame::OpenFile(const wxString& path) {
  if (!manager_->FindTemplateForPath(path)) {
    platform::Tell(UnknownFileText(path.utf8_string()));
    return nullptr;
  }
  return manager_->CreateDocument(path, wxDOC_SILENT);
}

void MainFrame::OnClose(wxCloseEvent& e) {
  if (placementRecorder_) placementRecorder_(CurrentPlacement());
  SaveRecentFiles();
  e.Skip();  // the framework asks each project to close, and may still be cancelled
}

void MainFrame::ProjectActivated(wxDocument* doc) {
  activeDocument_ = doc;
  if (shaderReload_) shaderReload_(doc);
}

void MainFrame::FocusOtherPane() {
  auto* child = dynamic_cast<CChildFrame*>(GetActiveChild());
  if (!child || !child->TreePane() || !child->MapPane()) return;
  const bool inTree = child->TreePane()->HasFocus();
  (inTree ? child->MapPane() : child->TreePane())->SetFocus();
}

void MainFrame::ApplyAppBackground() {
  const CPVN4App& app = GetApp();
  const COLORREF c = app.backgroundColor;
  wxImage picture;
  if (app.useBackgroundImage && !app.backgroundImage.IsEmpty()) {
    const platform::Image& source = app.backgroundImage;
    const std::vector<std::uint8_t> rgba = source.ToRgbaBytes();
    picture.Create(source.Width(), source.Height());
    for (std::size_t i = 0; i < static_cast<std::size_t>(source.Width()) * source.Height(); ++i)
      std::copy_n(&rgba[i * 4], 3, picture.GetData() + i * 3);
  }
  SetClientBackground(wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF), picture);
}

void MainFrame::ShowAbout() {
  CAboutDlg about(this, helpBase_);
  about.ShowModal();
}

}  // namespace app::ui

#pragma once
// The program's main window: menus, toolbar, status bar and the tabbed area holding one
// window per open project. It owns the commands that make sense without a project.
#include <wx/docmdi.h>
#include <wx/docview.h>
#include <wx/image.h>
#include <wx/weakref.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "app/command_rules.h"

class wxControl;
class wxMenu;
class wxMenuBar;
class wxToolBar;

namespace app::ui {

// The framework's document manager with the program's ten recent files and its names for
// new projects ("Pyrvane1", "Pyrvane2", ...).
class MainFrame;
class PyrvaneDocManager : public wxDocManager {
 public:
  PyrvaneDocManager();
  wxFileHistory* OnCreateFileHistory() override;
  wxString MakeNewDocumentName() override;
  // File > Open asks through the program's file dialogs; a file no template takes is named
  // in a message.
  wxDocTemplate* SelectDocumentPath(wxDocTemplate** templates, int count, wxString& path,
                                    long flags, bool save = false) override;
  MainFrame* Frame() const { return frame_; }
  void SetFrame(MainFrame* frame) { frame_ = frame; }

 private:
  int newCount_ = 0;
  MainFrame* frame_ = nullptr;
};

// The backdrop's picture at a size: the picture stretched over it, or the colour.
wxBitmap BackdropBitmap(const wxColour& colour, const wxImage& picture, const wxSize& size);

// What is said of a file that is neither a project nor a landscape.
std::string UnknownFileText(const std::string& path);

// Where the recent-file list is kept between sessions.
std::string DefaultRecentFilesPath();

class MainFrame : public wxDocMDIParentFrame {
 public:
  static constexpr int kRecentFileCount = 10;

  // Owns its document manager. The recent-file list is read from (and written back to)
  // recentFilesPath ("" = the default file in the config folder).
  MainFrame();
  explicit MainFrame(const std::string& recentFilesPath);
  ~MainFrame() override;

  PyrvaneDocManager* DocManager() const { return manager_; }
  // The size the window opens with when no placement was kept.
  static wxSize DefaultSize() { return wxSize(1024, 720); }

  // Command ids of the menus and toolbar map to the framework's own ids where it handles them.
  static int WxIdFor(int command);
  static int CommandFor(int wxId);

  // Later subsystems register their handlers; a command without one stays disabled.
  void BindCommand(int command, std::function<void()> handler);
  bool HasHandler(int command) const;

  // The active project window reports its state through these.
  void SetCommandStateProvider(std::function<CommandState()> provider);
  void SetStatusProvider(std::function<StatusInfo()> provider);
  CommandState CurrentCommandState() const;
  // The active project's rules refine the frame's for its own commands.
  using ProjectRules = std::function<void(int command, bool& enabled, bool& checked)>;
  void SetProjectRules(ProjectRules rules) { projectRules_ = std::move(rules); }
  // A command's menu item or tool answers to the enable rules.
  void WatchCommand(int command);
  // The menu bar shown while a project window is active (the frame's own otherwise).
  wxMenuBar* ProjectMenuBar() const { return projectMenus_; }
  // Refreshes the six information panes (also done when idle); returns what they show.
  StatusTexts UpdateStatusPanes();

  // The relief-shading bar: a row of its own under the toolbar.
  void AttachShaderBar(wxControl* bar);  // a child of the frame holding the bar's controls
  wxWindow* ShaderBar() const { return shaderBar_; }

  void SetHelpBase(std::string base) { helpBase_ = std::move(base); }
  const std::string& HelpBase() const { return helpBase_; }

  // The project whose window last took the focus; becomes null when that project closes.
  wxDocument* ActiveDocument() const { return activeDocument_.get(); }
  void SetActiveDocument(wxDocument* doc) { activeDocument_ = doc; }
  // A project window took the focus: it becomes the active document and the shader bar
  // reloads its controls from it.
  void ProjectActivated(wxDocument* doc);
  void SetShaderReload(std::function<void(wxDocument*)> reload) { shaderReload_ = std::move(reload); }

  // Placement kept between sessions: applied at start-up, recorded when the frame closes.
  void RestorePlacement(const FramePlacement& stored);
  FramePlacement CurrentPlacement() const;
  void SetPlacementRecorder(std::function<void(const FramePlacement&)> recorder) {
    placementRecorder_ = std::move(recorder);
  }

  // What shows behind the project windows while none is open: the picture stretched over
  // the whole area when there is one, else the colour.
  void SetClientBackground(const wxColour& colour, const wxImage& picture = wxImage());
  // The background colour and picture of the program's preferences.
  void ApplyAppBackground();
  wxWindow* Backdrop() const { return backdrop_; }

  bool SaveRecentFiles() const;
  wxToolBar* Toolbar() const { return toolbar_; }

  // Opens a project or landscape by its path (the command line, the recent files) into a new
  // project window. Null when it did not open; the reason has been shown.
  wxDocument* OpenFile(const wxString& path);

 private:
  void BuildMenus();
  wxMenuBar* MakeProjectMenuBar();
  void SwitchMenus();
  void BuildToolbar();
  void BuildStatusBar();
  void LoadRecentFiles();
  void OnUpdateCommand(wxUpdateUIEvent& e);
  void OnRecentFile(wxCommandEvent& e);
  void OnClose(wxCloseEvent& e);
  void ShowAbout();
  // F6 and Shift+F6: the focus goes to the other pane of the active project window.
  void FocusOtherPane();
  void PlaceBackdrop();
  // The shader bar's row under the toolbar, then the project windows' area.
  void LayoutClient();

  PyrvaneDocManager* manager_ = nullptr;
  std::string recentFilesPath_;
  std::map<int, std::function<void()>> handlers_;
  std::set<int> menuBound_;
  std::set<int> watched_;
  ProjectRules projectRules_;
  wxMenuBar* frameMenus_ = nullptr;
  wxMenuBar* projectMenus_ = nullptr;
  std::function<CommandState()> stateProvider_;
  std::function<StatusInfo()> statusProvider_;
  std::function<void(const FramePlacement&)> placementRecorder_;
  std::function<void(wxDocument*)> shaderReload_;
  wxToolBar* toolbar_ = nullptr;
  wxWindow* shaderBar_ = nullptr;
  wxWindow* backdrop_ = nullptr;
  wxColour backdropColour_;
  wxImage backdropPicture_;
  wxBitmap backdropCache_;
  wxWeakRef<wxDocument> activeDocument_;
  std::string helpBase_;
  StatusTexts shown_;
};

}  // namespace app::ui

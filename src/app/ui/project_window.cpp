#include "app/ui/project_window.h"

#include <wx/docmdi.h>
#include <wx/utils.h>

#include <memory>

#include "app/ui/main_frame.h"
#include "app/ui/progress_dialog.h"
#include "app/ui/project_template.h"
#include "landscape/ui/generate_dialog.h"
#include "landscape/ui/landscape_commands.h"
#include "landscape/ui/landscape_editor.h"
#include "project/critique.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "project/document.h"
#include "project/project_archive.h"
#include "zip/zip_callback.h"
#include "runs/run_commands.h"
#include "runs/run_import.h"
#include "runs/ui/run_commands_ui.h"
#include "themes/ui/raster_theme_commands.h"
#include "themes/ui/theme_commands.h"
#include "views/ui/legend_window.h"
#include "views/ui/map_view.h"
#include "views/ui/point_dialog.h"
#include "views/ui/project_panes.h"
#include "views/ui/shader_bar.h"
#include "views/ui/terrain_view.h"
#include "views/view_commands.h"

namespace app::ui {

namespace {

namespace v = views::cmd;
static_assert(cmd::kNewRun == runs::ui::kCmdNewRun);

// The project-menu commands whose state the view rules decide.
bool IsViewRuled(int command) {
  switch (command) {
    case v::kFullView:
    case v::kZoomIn:
    case v::kZoomOut:
    case v::kViewBack:
    case v::kViewForward:
    case v::kMeasure:
    case v::kOpenLandscape:
    case v::kEditLandscape:
    case v::kReloadLandscape:
    case v::kSaveLandscape:
    case v::kLandscapeProperties:
    case v::kBeginNewAnalysisArea:
    case v::kShapeSaveToFile:
    case v::kShapeClear:
    case v::kShapeDeleteCurrent:
    case v::kShapeDeleteLast: return true;
    default: return views::ZoomFactorOf(command) > 0;
  }
}


}  // namespace

void ExtractAndOpenArchive(MainFrame& frame) {
  // The folder of the archive last chosen, where the folder choice starts next time.
  static std::string archiveFolder;
  platform::FileDialogOptions o;
  o.title = "Open Pyrvane2 Archive";
  o.filter = "Pyrvane2 Archives (*.pza)|*.pza||";
  o.defaultExt = "pza";
  const auto archive = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!archive) return;
  archiveFolder = platform::Directory(*archive);
  const auto folder =
      platform::CurrentDialogs().ChooseFolder("Select a Directory to Extract the Pyrvane6 Project", archiveFolder);
  if (!folder) return;
  std::string project;
  {
    wxBusyCursor wait;
    LateProgressWindow progress(&frame, "Extracting Files");
    CZipProgressData callback(progress);
    project = projectarchive::ExtractArchive(*archive, *folder, &callback);
  }
  if (!project.empty()) frame.OpenFile(wxString::FromUTF8(project));
}

CPVN4Doc* ActiveProject(const MainFrame& frame) {
  auto* child = dynamic_cast<wxDocMDIChildFrame*>(frame.GetActiveChild());
  return child ? ModelOf(child->GetDocument()) : nullptr;
}

void InstallProjectWindows(MainFrame& frame) {
  AddProjectTemplates(frame.DocManager());
  MainFrame* f = &frame;
  auto active = [f] { return ActiveProject(*f); };

  auto* bar = new views::ui::CShaderBar(&frame);
  frame.AttachShaderBar(bar);
  frame.SetShaderReload([bar](wxDocument* doc) {
    CPVN4Doc* model = ModelOf(doc);
    SetActiveDocument(model);
    bar->SetDocument(model);
    bar->UpdateData(false);
  });
  // A closing project leaves the bar (the model lives on only until its window has gone).
  frame.Bind(wxEVT_IDLE, [f, bar](wxIdleEvent& e) {
    if (bar->Document() && ModelOf(f->ActiveDocument()) != bar->Document()) {
      bar->SetDocument(ModelOf(f->ActiveDocument()));
      bar->UpdateData(false);
    }
    e.Skip();
  });

  views::ui::BindMapTools(frame, active);
  frame.SetCommandStateProvider([active] {
    CommandState s;
    views::ui::FillCommandState(s, active());
    return s;
  });
  frame.SetStatusProvider([active] { return views::ui::MapStatus(active()); });
  frame.SetProjectRules([active](int command, bool& enabled, bool& checked) {
    if (themes::ui::RulesThemeCommand(command)) {
      enabled = enabled && themes::ui::IsThemeCommandEnabled(command, active());
      return;
    }
    if (themes::ui::RulesRasterThemeCommand(command)) {
      enabled = enabled && themes::ui::IsRasterThemeCommandEnabled(command, active());
      return;
    }
    if (command == cmd::kNewRun || command == cmd::kNewEmbrithRun) {
      const CPVN4Doc* doc = active();
      enabled = enabled && doc && runs::CanCreateRun(*doc);
      return;
    }
    if (command == cmd::kImportRun) {
      const CPVN4Doc* doc = active();
      enabled = enabled && doc && runs::CanImportRun(*doc);
      return;
    }
    if (command == v::kDeleteAnalysisArea) {
      const CPVN4Doc* doc = active();
      enabled = enabled && doc && doc->currentArea;
      return;
    }
    if (command == v::kViewLegend) {
      const CPVN4Doc* doc = active();
      enabled = enabled && doc && views::ui::CLegendDialog::IsViewLegendEnabled(*doc);
      checked = doc && views::ui::CLegendDialog::IsViewLegendChecked(*doc);
      return;
    }
    if (command == views::ui::C3DDialog::kCommand) {
      const CPVN4Doc* doc = active();
      enabled = enabled && doc && views::ui::C3DDialog::Is3DWindowEnabled(*doc);
      return;
    }
    if (!IsViewRuled(command)) return;
    const CPVN4Doc* doc = active();
    enabled = enabled && doc && views::IsViewCommandEnabled(command, *doc);
    if (views::ZoomFactorOf(command) > 0) checked = doc && views::IsViewCommandChecked(command, *doc, 0);
  });

  // View menu: the map's own commands.
  auto onMap = [active](int command) {
    return [active, command] {
      if (views::ui::CMapView* map = views::ui::FindMapView(active())) map->DoCommand(command);
    };
  };
  frame.BindCommand(v::kFullView, onMap(v::kFullView));
  frame.BindCommand(v::kViewLegend, [f, active] {
    if (CPVN4Doc* doc = active()) views::ui::CLegendDialog::OnViewLegend(f, *doc);
  });
  for (int c = v::kZoomFactor10; c <= v::kZoomFactor50; ++c) frame.BindCommand(c, onMap(c));
  frame.BindCommand(views::ui::C3DDialog::kCommand, [f, active] {
    if (CPVN4Doc* doc = active(); doc && views::ui::C3DDialog::Is3DWindowEnabled(*doc))
      views::ui::C3DDialog::On3DWindow(f, *doc);
  });
  frame.BindCommand(v::kBeginNewAnalysisArea, [active] {
    if (views::ui::CMapView* map = views::ui::FindMapView(active())) map->BeginAreaTracker();
  });

  frame.BindCommand(v::kPointAttributes, [f, active] {
    CPVN4Doc* doc = active();
    const views::ui::CMapView* map = views::ui::FindMapView(doc);
    if (!doc || !map) return;
    const wxPoint at = map->IdentifyPoint();
    const views::MapPoint p = map->ClientToMap(at.x, at.y);
    views::ui::CPointDialog::OnPointAttributes(f, *doc, p.x, p.y);
  });

  // Theme menu and the map's Contour.
  themes::ui::BindThemeCommands(frame, active);
  themes::ui::BindRasterThemeCommands(frame, active);

  // Analysis Area menu: the runs of the current area.
  runs::ui::BindRunCommands(frame, active);

  // File menu: project archives.
  frame.BindCommand(cmd::kSaveAndArchive, [f] {
    auto* child = dynamic_cast<wxDocMDIChildFrame*>(f->GetActiveChild());
    if (auto* project = child ? dynamic_cast<ProjectDocument*>(child->GetDocument()) : nullptr)
      project->SaveAndArchive(f);
  });
  frame.BindCommand(cmd::kExtractAndOpenArchive, [f] { ExtractAndOpenArchive(*f); });

  // Landscape menu.
  frame.BindCommand(v::kOpenLandscape, [active] {
    if (CPVN4Doc* doc = active()) landscape::ui::OnOpenLandscape(*doc);
  });
  frame.BindCommand(v::kEditLandscape, [f, active] {
    if (CPVN4Doc* doc = active()) landscape::ui::OnEditLandscape(f, *doc);
  });
  frame.BindCommand(v::kReloadLandscape, [active] {
    if (CPVN4Doc* doc = active()) landscape::ui::OnReloadLandscape(*doc);
  });
  // The critique of the current analysis area.
  frame.BindCommand(cmd::kCritiquePdf, [active] {
    CPVN4Doc* doc = active();
    if (!doc) return;
    wxBusyCursor wait;
    critique::OnCritiquePdf(*doc);
  });
  frame.BindCommand(cmd::kCritiqueHtml, [active] {
    CPVN4Doc* doc = active();
    if (!doc) return;
    wxBusyCursor wait;
    critique::OnCritiqueHtml(*doc);
  });
  frame.BindCommand(v::kLandscapeProperties, [f, active] {
    CPVN4Doc* doc = active();
    if (!doc || !doc->IsLandscapeLoaded()) return;
    landscape::ui::CGenerateLCPDialog dialog(f, doc->landscape.path);
    dialog.ShowModal();
  });
  frame.BindCommand(v::kSaveLandscape, [f, active] {
    CPVN4Doc* doc = active();
    if (!doc) return;
    LateProgressWindow progress(f, "Saving Landscape");
    landscape::ui::OnSaveLandscape(*doc, &progress);
  });
  // From an area's tree menu, which makes that area current first.
  frame.BindCommand(v::kCreateLandscape, [f, active] {
    CPVN4Doc* doc = active();
    if (!doc || !doc->currentArea) return;
    LateProgressWindow progress(f, "Saving Landscape");
    landscape::ui::OnCreateLandscape(*doc, &progress);
  });
  // The current area; the default one is refused with its message.
  frame.BindCommand(v::kDeleteAnalysisArea, [active] {
    CPVN4Doc* doc = active();
    if (!doc || !doc->currentArea) return;
    doc->OnDeleteAnalysisArea(doc->currentArea, doc->currentArea->name);
  });
}

}  // namespace app::ui

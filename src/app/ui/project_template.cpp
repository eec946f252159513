#include "app/ui/project_template.h"

#include <algorithm>
#include <cctype>

#include <wx/filename.h>
#include <wx/utils.h>

#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "app/ui/progress_dialog.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "project/document.h"
#include "project/project_archive.h"
#include "project/project_file.h"
#include "zip/zip_callback.h"
#include "views/ui/legend_window.h"
#include "views/ui/map_view.h"
#include "views/ui/project_panes.h"
#include "views/ui/project_tree.h"

namespace app::ui {

namespace {

// Matches extensions whatever their case: files written elsewhere often say ".LCP".
class ProjectTemplate : public wxDocTemplate {
 public:
  using wxDocTemplate::wxDocTemplate;
  bool FileMatchesTemplate(const wxString& path) override {
    std::vector<std::string> patterns;
    wxString filter = GetFileFilter();
    for (const wxString& p : wxSplit(filter, ';')) patterns.push_back(p.utf8_string());
    return platform::MatchesPatterns(path.utf8_string(), patterns);
  }
};

}  // namespace

void AddProjectTemplates(wxDocManager* manager) {
  // Same document and view names, so File > New never asks which kind to make.
  new ProjectTemplate(manager, "Pyrvane Project Files", "*.pvn", wxEmptyString, "pvn",
                      "Pyrvane.Document", "Pyrvane Project", CLASSINFO(ProjectDocument),
                      CLASSINFO(ProjectWindowView));
  new ProjectTemplate(manager, "LCP and GeoTIFF Files", "*.lcp;*.tif", wxEmptyString, "lcp",
                      "Pyrvane.Document", "Pyrvane Project", CLASSINFO(ProjectDocument),
                      CLASSINFO(ProjectWindowView));
}

bool IsProjectFilePath(const std::string& path) {
  return platform::MatchesPatterns(path, {"*.pvn"});
}

wxIMPLEMENT_DYNAMIC_CLASS(ProjectDocument, wxDocument);
wxIMPLEMENT_DYNAMIC_CLASS(ProjectWindowView, wxView);

ProjectDocument::ProjectDocument() : model_(std::make_shared<CPVN4Doc>()) {}

ProjectDocument::~ProjectDocument() {
  if (GetActiveDocument() == model_.get()) SetActiveDocument(nullptr);
}

CPVN4Doc* ModelOf(wxDocument* doc) {
  auto* project = dynamic_cast<ProjectDocument*>(doc);
  return project ? &project->Model() : nullptr;
}

bool ProjectDocument::OnNewDocument() {
  model_->OnNewDocument();
  if (!wxDocument::OnNewDocument()) return false;
  model_->title = GetTitle().utf8_string();
  model_->UpdateAllViews();  // the tree was filled before the project had its name
  return true;
}

bool ProjectDocument::OnOpenDocument(const wxString& wxPath) {
  const std::string path = wxPath.utf8_string();
  if (IsProjectFilePath(path)) {
    model_->OnNewDocument();
    if (!model_->OnOpenDocument(path, [](CPVN4Doc& doc, const std::string& p) {
          return projectfile::ReadProject(doc, p);
        })) {
      Modify(false);  // nothing to ask about when the failed window closes
      return false;
    }
    SetTitle(wxFileName(wxPath).GetName());
    SetFilename(wxPath, true);
    SetDocumentSaved(true);
    model_->title = GetUserReadableName().utf8_string();
    const bool modified = model_->IsModified();
    RestoreWindows();
    Modify(modified);
    return true;
  }
  // The landscape goes into a new, unnamed project: the project is not the landscape's file,
  // so Save never writes over it.
  if (!OnNewDocument()) return false;
  if (model_->OpenLandscape(path) != 1) {
    Modify(false);  // nothing to ask about when the failed window closes
    return false;
  }
  return true;
}

CChildFrame* ProjectDocument::Frame() const {
  for (wxObject* object : GetViews())
    if (auto* view = dynamic_cast<wxView*>(object))
      if (auto* frame = dynamic_cast<CChildFrame*>(view->GetFrame())) return frame;
  return nullptr;
}

void ProjectDocument::StoreWindows() {
  CPVN4Doc& m = *model_;
  if (CChildFrame* frame = Frame()) {
    const wxRect r = frame->GetRect();
    m.framePlacement.showCmd = frame->IsMaximized() ? 3 : frame->IsIconized() ? 2 : 1;
    m.framePlacement.left = r.GetLeft(), m.framePlacement.top = r.GetTop();
    m.framePlacement.right = r.GetRight() + 1, m.framePlacement.bottom = r.GetBottom() + 1;
    m.treePlacement.left = 0, m.treePlacement.right = frame->TreeWidth();
  }
  views::ui::CLegendDialog* legend = views::ui::CLegendDialog::Of(m);
  m.legendWindowVisible = legend && legend->IsShown();
  if (legend) {
    const wxRect r = legend->GetRect();
    m.legendPlacement.left = r.GetLeft(), m.legendPlacement.top = r.GetTop();
    m.legendPlacement.right = r.GetRight() + 1, m.legendPlacement.bottom = r.GetBottom() + 1;
  }
  if (views::ui::CMapView* map = views::ui::FindMapView(&m)) {
    const auto& g = map->Geometry();
    m.mapView = MapViewState{g.scrollX, g.scrollY, g.totalWidth, g.totalHeight, g.scale};
  }
}

void ProjectDocument::RestoreWindows() {
  CPVN4Doc& m = *model_;
  m.UpdateAllViews(kHintLandscapeOpened);
  if (CChildFrame* frame = Frame()) {
    const PanePlacement& p = m.framePlacement;
    if (p.right > p.left && p.bottom > p.top && p.showCmd != 3)
      frame->SetSize(static_cast<int>(p.left), static_cast<int>(p.top), static_cast<int>(p.right - p.left),
                     static_cast<int>(p.bottom - p.top));
    if (p.showCmd == 3) frame->Maximize();
    if (m.treePlacement.right > 0) frame->SetTreeWidth(static_cast<int>(m.treePlacement.right));
  }
  views::ui::CMapView* map = views::ui::FindMapView(&m);
  if (map && m.currentArea && m.mapView.scrollWidth > 0 && m.mapView.scale > 0) {
    CViewHistoryItem view;
    view.x = m.mapView.scrollX, view.y = m.mapView.scrollY, view.scale = m.mapView.scale;
    view.area = m.currentArea;
    map->SetViewState(view);
  }
  if (m.legendWindowVisible && Frame() && views::ui::CLegendDialog::IsViewLegendEnabled(m))
    views::ui::CLegendDialog::OnViewLegend(Frame(), m);
  // The window was activated before the file was read: the shader bar shows the settings read.
  auto* manager = dynamic_cast<PyrvaneDocManager*>(GetDocumentManager());
  if (MainFrame* main = manager ? manager->Frame() : nullptr;
      main && (main->ActiveDocument() == this || (Frame() && main->GetActiveChild() == Frame())))
    main->ProjectActivated(this);
}
bool ProjectDocument::OnCloseDocument() {
  model_->OnCloseDocument();
  return wxDocument::OnCloseDocument();
}

bool ProjectDocument::IsModified() const { return model_->IsModified(); }

void ProjectDocument::Modify(bool modified) {
  model_->SetModifiedFlag(modified);
  wxDocument::Modify(modified);
}

bool ProjectDocument::OnSaveModified() {
  if (!IsModified()) return true;
  switch (platform::AskYesNoCancel("Save changes to " + GetUserReadableName().utf8_string() + "?")) {
    case platform::Answer::Yes: return Save();
    case platform::Answer::No: Modify(false); return true;
    default: return false;
  }
}

bool ProjectDocument::Save() {
  if (!GetFilename().empty() && GetDocumentSaved()) return OnSaveDocument(GetFilename());
  return SaveAs();
}

bool ProjectDocument::SaveAs() {
  platform::FileDialogOptions o;
  o.title = "Save Pyrvane Project";
  o.filter = "Pyrvane Project Files (*.pvn)|*.pvn||";
  o.defaultExt = "pvn";
  o.overwritePrompt = true;
  if (!GetFilename().empty()) o.initialPath = GetFilename().utf8_string();
  const auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  return chosen && SaveAsPath(wxString::FromUTF8(*chosen));
}

bool ProjectDocument::SaveAsPath(const wxString& path) {
  if (!OnSaveDocument(path)) return false;
  SetTitle(wxFileName(path).GetName());
  SetFilename(path, true);
  model_->title = GetUserReadableName().utf8_string();
  if (wxDocManager* manager = GetDocumentManager()) manager->AddFileToHistory(path);
  model_->UpdateAllViews();
  return true;
}

void ProjectDocument::SaveAndArchive(wxWindow* owner) {
  if (!model_->IsLandscapeLoaded()) return;
  // The archive holds the project as saved; a save that fails ends the command.
  if (GetFilename().empty() || !GetDocumentSaved() || !IsProjectFilePath(GetFilename().utf8_string())) {
    platform::FileDialogOptions o;
    o.title = "Save Pyrvane2 Project First";
    o.filter = "Pyrvane Project Files (*.pvn)|*.pvn||";
    o.defaultExt = "pvn";
    o.overwritePrompt = true;
    const auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
    if (!chosen || !SaveAsPath(wxString::FromUTF8(*chosen))) return;
  } else if (IsModified() && !OnSaveDocument(GetFilename())) {
    return;
  }
  const std::string project = GetFilename().utf8_string();
  platform::FileDialogOptions o;
  o.title = "Archive Pyrvane2 Project";
  o.filter = "Pyrvane Archives (*.pza)|*.pza||";
  o.defaultExt = "pza";
  o.overwritePrompt = true;
  o.initialPath = platform::Join(platform::Directory(project), platform::FileTitle(project));
  const auto archive = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!archive) return;
  wxBusyCursor wait;
  LateProgressWindow progress(owner, "Adding Files");
  CZipProgressData callback(progress);
  projectarchive::WriteArchive(*model_, project, *archive, &callback);
}

bool ProjectDocument::DoOpenDocument(const wxString& path) { return OnOpenDocument(path); }

bool ProjectDocument::DoSaveDocument(const wxString& path) {
  model_->windows.storeWindowState = [this] { StoreWindows(); };
  const bool saved = projectfile::SaveProject(*model_, path.utf8_string());
  model_->windows.storeWindowState = nullptr;
  if (saved) {
    model_->pathName = path.utf8_string();
    Modify(false);
  }
  return saved;
}

// Keeps the window's caption in step with the landscape the project shows.
struct ProjectWindowView::CaptionWatch : DocumentObserver {
  CaptionWatch(ProjectWindowView& view, std::shared_ptr<CPVN4Doc> model)
      : view(view), model(std::move(model)) {
    this->model->AddObserver(this);
  }
  ~CaptionWatch() override { model->RemoveObserver(this); }
  void OnUpdate(CPVN4Doc&, int) override { view.UpdateCaption(); }
  ProjectWindowView& view;
  std::shared_ptr<CPVN4Doc> model;
};

ProjectWindowView::ProjectWindowView() = default;
ProjectWindowView::~ProjectWindowView() = default;

bool ProjectWindowView::OnCreate(wxDocument* doc, long flags) {
  if (!wxView::OnCreate(doc, flags)) return false;
  auto* manager = dynamic_cast<PyrvaneDocManager*>(doc->GetDocumentManager());
  auto* project = dynamic_cast<ProjectDocument*>(doc);
  if (!manager || !manager->Frame() || !project) return false;
  std::shared_ptr<CPVN4Doc> model = project->SharedModel();
  auto* frame = new CChildFrame(
      doc, this, manager->Frame(),
      [model](wxWindow* parent) -> wxWindow* { return views::ui::CreateTreePane(parent, *model); },
      [model](wxWindow* parent) -> wxWindow* { return views::ui::CreateMapPane(parent, *model); });
  frame->KeepAlive(model);
  SetFrame(frame);
  watch_ = std::make_unique<CaptionWatch>(*this, model);
  frame->Show();
  return true;
}

bool ProjectWindowView::OnClose(bool deleteWindow) {
  if (!wxView::OnClose(deleteWindow)) return false;
  Activate(false);
  watch_.reset();
  if (deleteWindow && GetFrame()) {
    GetFrame()->Destroy();
    SetFrame(nullptr);
  }
  return true;
}

void ProjectWindowView::OnChangeFilename() { UpdateCaption(); }

void ProjectWindowView::UpdateCaption() {
  auto* frame = dynamic_cast<CChildFrame*>(GetFrame());
  CPVN4Doc* model = ModelOf(GetDocument());
  if (!frame || !model) return;
  frame->UpdateCaption(model->IsLandscapeLoaded(), model->landscape.path);
}

}  // namespace app::ui

#pragma once
// The framework's side of a project: the document that wraps the model's project, the
// templates that let File > Open, the recent files and the command line reach it, and the
// view that opens the project's window.
#include <wx/docview.h>

#include <memory>
#include <string>

class CPVN4Doc;

namespace app::ui {
class CChildFrame;
}

namespace app::ui {

// "Pyrvane Project Files (*.pvn)", then "LCP and GeoTIFF Files (*.lcp;*.tif)": a landscape
// path opens a new project around that landscape. Both make a ProjectDocument shown by a
// ProjectWindowView; extensions match whatever their case.
void AddProjectTemplates(wxDocManager* manager);

// Whether a path names a project file (".pvn", any case).
bool IsProjectFilePath(const std::string& path);

class ProjectDocument : public wxDocument {
 public:
  ProjectDocument();
  ~ProjectDocument() override;

  CPVN4Doc& Model() { return *model_; }
  // Shared with the project's window, whose panes may outlive the document by a moment.
  std::shared_ptr<CPVN4Doc> SharedModel() const { return model_; }

  bool OnNewDocument() override;
  // A project file: the project it describes, its windows placed as they were saved. A
  // landscape path: a new, unnamed project with that landscape open in it.
  bool OnOpenDocument(const wxString& path) override;
  bool OnCloseDocument() override;
  bool IsModified() const override;
  void Modify(bool modified) override;
  // Asks through the program's messages, so tests can answer.
  bool OnSaveModified() override;
  // A project that has no file yet asks for one first. A failed save says why and keeps
  // the previous files.
  bool Save() override;
  bool SaveAs() override;
  // Saves under path, which the project then takes with its title and a recent-file entry.
  bool SaveAsPath(const wxString& path);
  // Save and Archive: makes sure the project is saved, then packs it with every file it
  // names into an archive the user chooses.
  void SaveAndArchive(wxWindow* owner);

 protected:
  bool DoOpenDocument(const wxString& path) override;
  bool DoSaveDocument(const wxString& path) override;

 private:
  CChildFrame* Frame() const;
  // The window placements and the map view's state into the model, and back after reading.
  void StoreWindows();
  void RestoreWindows();

  std::shared_ptr<CPVN4Doc> model_;
  wxDECLARE_DYNAMIC_CLASS(ProjectDocument);
};

// The model project of a framework document; null for none or another kind.
CPVN4Doc* ModelOf(wxDocument* doc);

// Opens the project's window (tree and map panes, the project's menus) and closes it with
// the project; the caption follows the landscape the project shows.
class ProjectWindowView : public wxView {
 public:
  ProjectWindowView();
  ~ProjectWindowView() override;
  bool OnCreate(wxDocument* doc, long flags) override;
  void OnDraw(wxDC*) override {}
  bool OnClose(bool deleteWindow) override;
  void OnChangeFilename() override;
  void UpdateCaption();

 private:
  struct CaptionWatch;
  std::unique_ptr<CaptionWatch> watch_;
  wxDECLARE_DYNAMIC_CLASS(ProjectWindowView);
};

}  // namespace app::ui

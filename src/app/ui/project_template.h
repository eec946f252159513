#pragma once
// The document template of projects and the window that shows one. The project document
// registers its own classes here; until then an empty project stands in for it.
#include <wx/docview.h>

namespace app::ui {

// "Pyrvane Project Files (*.pvn)" with the extension "pvn", document name "Pyrvane".
wxDocTemplate* AddProjectTemplate(wxDocManager* manager, wxClassInfo* documentClass,
                                  wxClassInfo* viewClass);

// A project with nothing in it: File > New gives one; reading project files is not here.
class EmptyProjectDocument : public wxDocument {
 public:
  EmptyProjectDocument() = default;

 protected:
  bool DoOpenDocument(const wxString& path) override;
  bool DoSaveDocument(const wxString& path) override;

 private:
  wxDECLARE_DYNAMIC_CLASS(EmptyProjectDocument);
};

// Opens the project's window (tree and map panes) and closes it with the project.
class ProjectWindowView : public wxView {
 public:
  bool OnCreate(wxDocument* doc, long flags) override;
  void OnDraw(wxDC*) override {}
  bool OnClose(bool deleteWindow) override;
  void OnChangeFilename() override;

 private:
  wxDECLARE_DYNAMIC_CLASS(ProjectWindowView);
};

}  // namespace app::ui

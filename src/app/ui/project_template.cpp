#include "app/ui/project_template.h"

#include "app/ui/child_frame.h"
#include "app/ui/main_frame.h"
#include "platform/messages.h"

namespace app::ui {

wxDocTemplate* AddProjectTemplate(wxDocManager* manager, wxClassInfo* documentClass,
                                  wxClassInfo* viewClass) {
  return new wxDocTemplate(manager, "Pyrvane Project Files", "*.pvn", wxEmptyString, "pvn",
                           "Pyrvane.Document", "Pyrvane Project", documentClass, viewClass);
}

wxIMPLEMENT_DYNAMIC_CLASS(EmptyProjectDocument, wxDocument);
wxIMPLEMENT_DYNAMIC_CLASS(ProjectWindowView, wxView);

bool EmptyProjectDocument::DoOpenDocument(const wxString& path) {
  platform::Tell("Error opening " + path.utf8_string());
  return false;
}

bool EmptyProjectDocument::DoSaveDocument(const wxString& path) {
  platform::Tell("Error saving " + path.utf8_string());
  return false;
}

bool ProjectWindowView::OnCreate(wxDocument* doc, long flags) {
  if (!wxView::OnCreate(doc, flags)) return false;
  auto* manager = dynamic_cast<PyrvaneDocManager*>(doc->GetDocumentManager());
  if (!manager || !manager->Frame()) return false;
  auto* frame = new CChildFrame(doc, this, manager->Frame());
  SetFrame(frame);
  frame->Show();
  return true;
}

bool ProjectWindowView::OnClose(bool deleteWindow) {
  if (!wxView::OnClose(deleteWindow)) return false;
  Activate(false);
  if (deleteWindow && GetFrame()) {
    GetFrame()->Destroy();
    SetFrame(nullptr);
  }
  return true;
}

void ProjectWindowView::OnChangeFilename() {
  if (auto* frame = dynamic_cast<CChildFrame*>(GetFrame())) frame->UpdateCaption(false, "");
}

}  // namespace app::ui

#include "runs/ui/editor_dialog.h"

#include <wx/button.h>
#include <wx/printdlg.h>
#include <wx/prntbase.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "app/application.h"
#include "platform/atomic_file.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "runs/run_exec_editor_checks.h"

namespace runs::ui {

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Files written on Windows end their lines with CR LF; the editor works in LF lines.
std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

int HelpTopicOf(int kind) {
  switch (kind) {
    case kEditFms: return 10;
    case kEditFmd: return 11;
    case kEditAdj: return 14;
    default: return 0;
  }
}

// Prints the text in the dialog's font, page after page.
class TextPrintout : public wxPrintout {
 public:
  TextPrintout(const std::string& title, const std::string& text) : wxPrintout(title) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines_.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  void OnPreparePrinting() override {
    wxDC* dc = GetDC();
    int w = 0, h = 0;
    dc->GetSize(&w, &h);
    lineHeight_ = std::max(1, dc->GetCharHeight());
    perPage_ = std::max(1, h / lineHeight_ - 4);
  }
  bool HasPage(int page) override { return page >= 1 && page <= Pages(); }
  void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override {
    *minPage = *from = 1;
    *maxPage = *to = Pages();
  }
  bool OnPrintPage(int page) override {
    wxDC* dc = GetDC();
    const int first = (page - 1) * perPage_;
    for (int i = 0; i < perPage_ && first + i < static_cast<int>(lines_.size()); ++i)
      dc->DrawText(wxString::FromUTF8(lines_[first + i]), lineHeight_ * 2, lineHeight_ * (i + 2));
    return true;
  }

 private:
  int Pages() const { return (static_cast<int>(lines_.size()) + perPage_ - 1) / perPage_; }
  std::vector<std::string> lines_;
  int lineHeight_ = 12, perPage_ = 60;
};

}  // namespace

CEditorDialog::CEditorDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Edit File", wxDefaultPosition, wxSize(760, 520),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMAXIMIZE_BOX) {
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  struct B {
    int id;
    const char* label;
    const char* tip;
  } const defs[] = {{kNewId, "New", "New File"},
                    {kOpenId, "Open", "Open File..."},
                    {kSaveId, "Save", "Save File"},
                    {kSaveAsId, "Save As", "Save File As..."},
                    {kPrintId, "Print", "Print File..."},
                    {kValidateId, "Validate", "Validate Contents..."},
                    {kHelpId, "Help", "Help"}};
  for (const B& b : defs) {
    auto* button = new wxButton(this, b.id, b.label, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    button->SetToolTip(b.tip);
    buttons->Add(button, 0, wxRIGHT, 2);
    if (b.id == kSaveId) save_ = button;
  }
  edit_ = new wxTextCtrl(this, kTextId, "", wxDefaultPosition, wxDefaultSize,
                         wxTE_MULTILINE | wxTE_DONTWRAP | wxHSCROLL | wxTE_RICH2);
  edit_->SetFont(wxFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE)));
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(buttons, 0, wxALL, 1);
  top->Add(edit_, 1, wxEXPAND | wxALL, 1);
  SetSizer(top);
  // Esc goes through the same closing questions as the close box.
  SetEscapeId(wxID_NONE);

  Bind(wxEVT_CLOSE_WINDOW, &CEditorDialog::OnClose, this);
  Bind(wxEVT_CHAR_HOOK, &CEditorDialog::OnCharHook, this);
  edit_->Bind(wxEVT_TEXT, &CEditorDialog::OnTextChanged, this);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { NewFile(); }, kNewId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OpenFile(); }, kOpenId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Save(); }, kSaveId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SaveAs(); }, kSaveAsId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Print(); }, kPrintId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ValidateContents(true); }, kValidateId);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { GetApp().ShowHelpTopic(HelpTopicOf(kind)); }, kHelpId);
}

int CEditorDialog::ShowModal() {
  Prepare();
  return wxDialog::ShowModal();
}

void CEditorDialog::Prepare() {
  extension = EditorExtension(kind);
  save_->Enable(false);
  if (path.empty()) {
    SetControlText(text);
  } else {
    std::string loaded;
    if (!platform::ReadWholeFile(path, loaded)) {
      platform::Tell(platform::FormatC("Unable to open file %s", path.c_str()));
      loaded.clear();
    }
    text = WithoutCarriageReturns(loaded);
    SetControlText(text);
  }
  SetTitleForPath();
  edit_->SetFocus();
}

void CEditorDialog::SetTitleForPath() {
  SetTitle(wxString::FromUTF8(path.empty() ? platform::FormatC("New %s file", Upper(extension).c_str())
                                           : path));
}

std::string CEditorDialog::GetText() const { return edit_->GetValue().utf8_string(); }

void CEditorDialog::SetControlText(const std::string& t) {
  loading_ = true;
  edit_->ChangeValue(wxString::FromUTF8(t));
  loading_ = false;
}

void CEditorDialog::OnTextChanged(wxCommandEvent&) {
  if (loading_) return;
  modified = true;
  save_->Enable(true);
}

bool CEditorDialog::ValidateContents(bool showResult) {
  EditorVerdict v = ValidateEditorText(kind, GetText());
  verdict = v.valid;
  if (showResult && !v.message.empty()) platform::Tell(v.message);
  return verdict;
}

bool CEditorDialog::WriteTo(const std::string& target) {
  const std::string content = GetText();
  platform::AtomicFile file(target);
  if (!file.Open()) {
    platform::Tell(platform::FormatC("Error opening %s", target.c_str()));
    return false;
  }
  if (!file.Write(content) || !file.Commit()) {
    // Nothing reached the target: the previous file is intact.
    platform::Tell(platform::FormatC("Error writing to %s\n %ld characters written.", target.c_str(), 0L));
    return false;
  }
  return true;
}

bool CEditorDialog::Save() {
  text = GetText();
  if (path.empty()) return SaveAs();
  wxBusyCursor wait;
  if (!WriteTo(path)) return false;
  modified = false;
  save_->Enable(false);
  return true;
}

bool CEditorDialog::SaveAs() {
  const std::string ext = extension.empty() ? EditorExtension(kind) : extension;
  platform::FileDialogOptions options;
  options.filter = platform::FormatC("%s files (*.%s)|*.%s|All Files (*.*)|*.*||",
                                     Upper(ext).c_str(), ext.c_str(), ext.c_str());
  options.defaultExt = ext;
  options.overwritePrompt = true;
  options.initialPath = path;
  auto chosen = platform::CurrentDialogs().ChooseSaveFile(options);
  if (!chosen) return false;
  const std::string target = platform::WithDefaultExtension(*chosen, ext);
  text = GetText();
  wxBusyCursor wait;
  if (!WriteTo(target)) return false;
  path = target;
  SetTitleForPath();
  modified = false;
  save_->Enable(false);
  return true;
}

void CEditorDialog::NewFile() {
  if (modified && platform::AskYesNo("Content has been changed. Save file first?")) Save();
  path.clear();
  text.clear();
  SetControlText("");
  SetTitleForPath();
  modified = false;
  save_->Enable(false);
}

void CEditorDialog::OpenFile() {
  if (modified && platform::AskYesNo("Content has been changed. Save file first?")) Save();
  platform::FileDialogOptions options;
  options.filter = platform::FormatC("%s files (*.%s)|*.%s|All Files (*.*)|*.*||",
                                     Upper(extension).c_str(), extension.c_str(), extension.c_str());
  options.defaultExt = extension;
  auto chosen = platform::CurrentDialogs().ChooseOpenFile(options);
  if (!chosen) return;
  std::string loaded;
  if (!platform::ReadWholeFile(*chosen, loaded)) {
    platform::Tell(platform::FormatC("Unable to open file %s", chosen->c_str()));
    return;
  }
  path = *chosen;
  text = WithoutCarriageReturns(loaded);
  SetControlText(text);
  SetTitleForPath();
  modified = false;
  save_->Enable(false);
}

void CEditorDialog::Print() {
  wxPrinter printer;
  TextPrintout printout(GetTitle().utf8_string(), GetText());
  printer.Print(this, &printout, true);
}

bool CEditorDialog::QueryClose() {
  if (!ValidateContents(false) &&
      !platform::AskYesNo(platform::FormatC("Not a valid %s format. Close anyway?",
                                            Upper(extension).c_str())))
    return false;
  if (modified) {
    switch (platform::AskYesNoCancel("File has been changed. Would you like to save it?")) {
      case platform::Answer::Yes:
        Save();
        return !modified;
      case platform::Answer::No: return true;
      default: return false;
    }
  }
  return true;
}

void CEditorDialog::OnClose(wxCloseEvent& event) {
  if (!QueryClose()) {
    if (event.CanVeto()) event.Veto();
    return;
  }
  if (IsModal())
    EndModal(wxID_CANCEL);
  else
    Hide();
}

void CEditorDialog::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_ESCAPE) {
    Close();
    return;
  }
  event.Skip();
}

}  // namespace runs::ui

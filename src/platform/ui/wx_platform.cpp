#include "platform/ui/wx_platform.h"

#include <wx/app.h>
#include <wx/colordlg.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/thread.h>
#include <wx/utils.h>

#include <future>

#include "platform/paths.h"

namespace platform::ui {
namespace {

// Runs fn on the UI thread and returns its result; directly when already there.
template <class Fn>
auto OnUiThread(Fn fn) -> decltype(fn()) {
  if (wxIsMainThread() || !wxTheApp) return fn();
  std::promise<decltype(fn())> done;
  auto result = done.get_future();
  wxTheApp->CallAfter([&] { done.set_value(fn()); });
  return result.get();
}

wxWindow* Parent() { return wxTheApp ? wxTheApp->GetTopWindow() : nullptr; }

void SplitInitial(const std::string& initial, wxString& dir, wxString& file) {
  if (initial.empty()) return;
  if (IsDirectory(initial)) {
    dir = wxString::FromUTF8(initial);
  } else {
    dir = wxString::FromUTF8(Directory(ToNative(initial)));
    file = wxString::FromUTF8(FileName(initial));
  }
}

std::optional<std::string> RunFileDialog(const FileDialogOptions& o, bool save) {
  wxString dir, file;
  SplitInitial(o.initialPath, dir, file);
  long style = save ? wxFD_SAVE | (o.overwritePrompt ? wxFD_OVERWRITE_PROMPT : 0) : wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  std::string wildcard = FilterToWildcard(o.filter);
  wxFileDialog dlg(Parent(), wxString::FromUTF8(o.title), dir, file,
                   wildcard.empty() ? wxString(wxFileSelectorDefaultWildcardStr) : wxString::FromUTF8(wildcard), style);
  if (dlg.ShowModal() != wxID_OK) return std::nullopt;
  std::string path = dlg.GetPath().utf8_string();
  return save ? WithDefaultExtension(path, o.defaultExt) : path;
}

}  // namespace

Answer WxMessages::Show(MessageKind kind, const std::string& text, const std::string& caption) {
  return OnUiThread([&] {
    long style = kind == MessageKind::Tell ? wxOK | wxICON_EXCLAMATION
                 : kind == MessageKind::AskYesNo ? wxYES_NO | wxICON_QUESTION
                                                 : wxYES_NO | wxCANCEL | wxICON_QUESTION;
    // The caption heads the box as well as naming the window: desktops that draw no title bar
    // on dialogs (or no window manager at all) would otherwise lose it, and a short message
    // would leave the box too narrow for it.
    wxMessageDialog box(Parent(), wxString::FromUTF8(caption), wxString::FromUTF8(caption), style);
    box.SetExtendedMessage(wxString::FromUTF8(text));
    const int r = box.ShowModal();
    if (kind == MessageKind::Tell) return Answer::Ok;
    if (r == wxID_YES) return Answer::Yes;
    if (r == wxID_NO) return Answer::No;
    return kind == MessageKind::AskYesNo ? Answer::No : Answer::Cancel;
  });
}

std::optional<std::string> WxDialogs::ChooseOpenFile(const FileDialogOptions& options) {
  return OnUiThread([&] { return RunFileDialog(options, false); });
}

std::optional<std::string> WxDialogs::ChooseSaveFile(const FileDialogOptions& options) {
  return OnUiThread([&] { return RunFileDialog(options, true); });
}

std::optional<std::string> WxDialogs::ChooseFolder(const std::string& title, const std::string& initialFolder) {
  return OnUiThread([&]() -> std::optional<std::string> {
    wxDirDialog dlg(Parent(), wxString::FromUTF8(title), wxString::FromUTF8(initialFolder));
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    return dlg.GetPath().utf8_string();
  });
}

std::optional<std::uint32_t> WxDialogs::ChooseColour(std::uint32_t initial) {
  return OnUiThread([&]() -> std::optional<std::uint32_t> {
    wxColourData data;
    data.SetChooseFull(true);
    data.SetColour(wxColour(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF));
    wxColourDialog dlg(Parent(), &data);
    if (dlg.ShowModal() != wxID_OK) return std::nullopt;
    wxColour c = dlg.GetColourData().GetColour();
    return std::uint32_t(c.Red()) | (std::uint32_t(c.Green()) << 8) | (std::uint32_t(c.Blue()) << 16);
  });
}

bool WxShell::OpenUrl(const std::string& url) {
  return OnUiThread([&] { return wxLaunchDefaultBrowser(wxString::FromUTF8(url)); });
}

bool WxShell::OpenFile(const std::string& path) {
  return OnUiThread([&] { return wxLaunchDefaultApplication(wxString::FromUTF8(ToNative(path))); });
}

void InstallWxPlatform() {
  static WxMessages messages;
  static WxDialogs dialogs;
  static WxShell shell;
  InstallMessages(&messages);
  InstallDialogs(&dialogs);
  InstallShell(&shell);
}

}  // namespace platform::ui

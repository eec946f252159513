#include "weather/ui/wtr_wnd_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <optional>

#include "platform/dialogs.h"
#include "platform/messages.h"
#include "weather/daily_weather.h"

namespace weather::ui {

using platform::ChooseFile;

CDialogWtrWndToWxs::CDialogWtrWndToWxs(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Convert Wtr and Wnd files to Wxs File") {
  auto* grid = new wxFlexGridSizer(3, 6, 6);
  grid->AddGrowableCol(1);
  auto row = [&](const char* label, int editId, int buttonId, wxTextCtrl*& box) {
    grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    box = new wxTextCtrl(this, editId, "", wxDefaultPosition, wxSize(500, -1), wxTE_READONLY);
    grid->Add(box, 1, wxEXPAND);
    grid->Add(new wxButton(this, buttonId, "...", wxDefaultPosition, wxSize(40, -1)));
  };
  row("WTR File:", kWtrEdit, kWtrButton, wtrBox_);
  row("WND File:", kWndEdit, kWndButton, wndBox_);
  row("WXS File:", kWxsEdit, kWxsButton, wxsBox_);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 1, wxEXPAND | wxALL, 10);
  top->Add(CreateButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowseWtr(); }, kWtrButton);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowseWnd(); }, kWndButton);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowseWxs(); }, kWxsButton);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

void CDialogWtrWndToWxs::Show(wxTextCtrl* box, const std::string& path) {
  box->ChangeValue(wxString::FromUTF8(path));
  box->SetInsertionPointEnd();
}

void CDialogWtrWndToWxs::OnBrowseWtr() {
  if (auto p = ChooseFile(false, "Select WTR File", "Weather Files (*.wtr)|*.wtr||", "wtr")) Show(wtrBox_, wtrPath = *p);
}

void CDialogWtrWndToWxs::OnBrowseWnd() {
  if (auto p = ChooseFile(false, "Select WND File", "Wind Files (*.wnd)|*.wnd||", "wnd")) Show(wndBox_, wndPath = *p);
}

void CDialogWtrWndToWxs::OnBrowseWxs() {
  if (auto p = ChooseFile(true, "Select WXS File", "Weather Stream Files (*.wxs)|*.wxs||", "wxs")) Show(wxsBox_, wxsPath = *p);
}

void CDialogWtrWndToWxs::OnOK() {
  if (wtrPath.empty()) return platform::Tell("A WTR file must be selected");
  if (wndPath.empty()) return platform::Tell("A WND file must be selected");
  if (wxsPath.empty()) return platform::Tell("A destination WXS file must be selected");
  if (::ConvertWtrWndToWxs(wtrPath, wndPath, wxsPath) == 0) {
    // Other files can be chosen and tried again.
    platform::Tell("Failed to generate " + wxsPath);
    return;
  }
  platform::Tell("Successfully generated " + wxsPath);
  EndModal(wxID_OK);
}

}  // namespace weather::ui

#include "app/ui/about_dialog.h"

#include <wx/button.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/help.h"
#include "platform/folders.h"
#include "platform/paths.h"

namespace app::ui {

namespace {

wxBitmap AboutPicture() {
  wxImage image;
  {
    wxLogNull quiet;
    std::string path = platform::Join(platform::DataFolder(), "images/splash61.jpg");
    if (!platform::FileExists(path) || !image.LoadFile(wxString::FromUTF8(path))) return {};
  }
  return wxBitmap(image.Scale(image.GetWidth() / 4, image.GetHeight() / 4, wxIMAGE_QUALITY_HIGH));
}

}  // namespace

namespace {

// The compiler's date of this build, "Dec 1 2026" rather than its padded "Dec  1 2026".
std::string BuildDay() {
  std::string day = __DATE__;
  if (const auto at = day.find("  "); at != std::string::npos) day.erase(at, 1);
  return day;
}

}  // namespace

CAboutDlg::CAboutDlg(wxWindow* parent, std::string helpBase)
    : wxDialog(parent, wxID_ANY, "About Pyrvane"), buildDate(BuildDay()), helpBase_(std::move(helpBase)) {
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  if (wxBitmap picture = AboutPicture(); picture.IsOk())
    top->Add(new wxStaticBitmap(this, wxID_ANY, picture), 0, wxALL, 10);

  auto* text = new wxBoxSizer(wxVERTICAL);
  text->Add(new wxStaticText(this, wxID_ANY,
                             "Wildland-fire behaviour mapping and analysis.\n"
                             "Developed by the Pyrvane team."),
            0, wxBOTTOM, 8);
  version_ = new wxTextCtrl(this, kVersionEdit, "", wxDefaultPosition, wxSize(240, -1),
                            wxTE_READONLY);
  text->Add(version_, 0, wxEXPAND | wxBOTTOM, 6);
  auto* dateRow = new wxBoxSizer(wxHORIZONTAL);
  dateRow->Add(new wxStaticText(this, wxID_ANY, "Build Date:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  date_ = new wxTextCtrl(this, kBuildDateEdit, "", wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
  dateRow->Add(date_, 1);
  text->Add(dateRow, 0, wxEXPAND | wxBOTTOM, 6);
  text->Add(new wxStaticText(this, wxID_ANY, "This program is provided as is, without warranty."),
            0, wxBOTTOM, 8);
  top->Add(text, 1, wxALL, 10);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, kOnlineHelpButton, "Online Help"), 0, wxRIGHT, 8);
  buttons->Add(new wxButton(this, wxID_OK, "OK"));
  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(top, 1, wxEXPAND);
  all->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
  SetSizerAndFit(all);
  CentreOnParent();

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OpenHelpAddress(helpBase_); }, kOnlineHelpButton);
}

bool CAboutDlg::TransferDataToWindow() {
  version_->ChangeValue(wxString::FromUTF8(versionText));
  date_->ChangeValue(wxString::FromUTF8(buildDate));
  return wxDialog::TransferDataToWindow();
}

}  // namespace app::ui

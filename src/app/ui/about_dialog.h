#pragma once
// The About box: version, build date and a way to the online help.
#include <wx/dialog.h>

#include <functional>
#include <string>

class wxTextCtrl;

namespace app::ui {

class CAboutDlg : public wxDialog {
 public:
  static constexpr int kVersionEdit = 1357;
  static constexpr int kBuildDateEdit = 1358;
  static constexpr int kOnlineHelpButton = 1408;

  // helpBase: the address the Online Help button opens.
  CAboutDlg(wxWindow* parent, std::string helpBase);

  std::string versionText = "Pyrvane 6 Version 6.1";
  std::string buildDate;  // the day the program was built

  bool TransferDataToWindow() override;

 private:
  std::string helpBase_;
  wxTextCtrl* version_ = nullptr;
  wxTextCtrl* date_ = nullptr;
};

}  // namespace app::ui

#pragma once
// Utilities > WTR and WND to WXS: a daily weather file and a wind file converted into an
// hourly weather stream.
#include <wx/dialog.h>

#include <string>

class wxTextCtrl;

namespace weather::ui {

class CDialogWtrWndToWxs : public wxDialog {
 public:
  // Path boxes and their "..." buttons.
  static constexpr int kWtrEdit = 1432, kWndEdit = 1433, kWxsEdit = 1434;
  static constexpr int kWtrButton = 1042, kWndButton = 1044, kWxsButton = 1050;

  explicit CDialogWtrWndToWxs(wxWindow* parent);

  void OnBrowseWtr();
  void OnBrowseWnd();
  void OnBrowseWxs();
  // Converts when all three files are chosen; closes only on success.
  void OnOK();

  std::string wtrPath, wndPath, wxsPath;

 private:
  void Show(wxTextCtrl* box, const std::string& path);
  wxTextCtrl* wtrBox_ = nullptr;
  wxTextCtrl* wndBox_ = nullptr;
  wxTextCtrl* wxsBox_ = nullptr;
};

}  // namespace weather::ui

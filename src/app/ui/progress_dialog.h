#pragma once
// The small modeless progress window of long work done on the UI thread (contouring,
// archives): one line of text, a bar from 0 to 100 that only moves forward, and Cancel.
#include <wx/dialog.h>
#include <wx/weakref.h>

#include <memory>
#include <string>

#include "platform/progress.h"

class wxButton;
class wxGauge;
class wxTextCtrl;
class wxWindowDisabler;

namespace app::ui {

class CProgressDialog : public wxDialog {
 public:
  // Created and shown at once over the parent. Every other top-level window is disabled
  // until the window is destroyed, so nothing else can be used while CheckCancel pumps.
  explicit CProgressDialog(wxWindow* parent, const wxString& caption = "Pyrvane Progress");
  ~CProgressDialog() override;

  // Dispatches the events waiting for the UI thread, then returns 1 once Cancel was pressed.
  int CheckCancel();
  // Shows the text shortened with an ellipsis to the control's width, repainted at once.
  void SetPath(const std::string& text);
  // Moves the bar only forward.
  void SetPos(int position);
  // Bar to 0 and text cleared; the cancel flag stays.
  void Reset();

  int GetPos() const;
  wxString GetShownText() const;
  bool Destroy() override;

 private:
  void OnCancel();

  int cancel_ = 0;
  wxTextCtrl* text_ = nullptr;
  wxGauge* bar_ = nullptr;
  wxButton* cancelButton_ = nullptr;
  std::unique_ptr<wxWindowDisabler> disabler_;
};

// Lets model code (archives, contouring) report into a progress window. The window is created
// with the sink and destroyed with it.
class ProgressWindowSink final : public platform::ProgressSink {
 public:
  explicit ProgressWindowSink(wxWindow* parent, const wxString& caption = "Pyrvane Progress");
  ~ProgressWindowSink() override;

  void SetText(const std::string& text) override;
  void SetRange(long long range) override;
  void SetPosition(long long pos) override;
  bool CancelRequested() override;

  CProgressDialog* Window() const { return window_.get(); }

 private:
  wxWeakRef<CProgressDialog> window_;
  long long range_ = 100;
  std::string text_;
};

// The progress window appears with the first report, so not before the file has been chosen.
class LateProgressWindow final : public platform::ProgressSink {
 public:
  LateProgressWindow(wxWindow* parent, wxString caption) : parent_(parent), caption_(std::move(caption)) {}
  void SetText(const std::string& text) override { Window().SetText(text); }
  void SetRange(long long range) override { Window().SetRange(range); }
  void SetPosition(long long pos) override { Window().SetPosition(pos); }
  bool CancelRequested() override { return Window().CancelRequested(); }

 private:
  ProgressWindowSink& Window() {
    if (!window_) window_ = std::make_unique<ProgressWindowSink>(parent_, caption_);
    return *window_;
  }
  wxWindow* parent_;
  wxString caption_;
  std::unique_ptr<ProgressWindowSink> window_;
};

}  // namespace app::ui

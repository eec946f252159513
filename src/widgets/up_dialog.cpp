#include "widgets/up_dialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <system_error>

#include "platform/numbers.h"

namespace widgets {
namespace {

wxDEFINE_EVENT(EVT_UPDIALOG, wxThreadEvent);

// Event id of the worker's own "work has returned" notice; not one of the UPDM_ numbers.
constexpr int kWorkerDoneId = 1;

class UPDialogWindow : public wxDialog {
 public:
  UPDialogWindow(wxWindow* parent, UPDialogWorkerBlock& block)
      : wxDialog(parent, wxID_ANY, "Pyrvane Progress", wxDefaultPosition, wxDefaultSize,
                 wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
        block_(block) {
    // Laid out in dialog units so that the proportions follow the font.
    auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto size = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
    SetClientSize(size(244, 110));
    status_ = new wxStaticText(this, kUPDialogStatusId, "", at(7, 14), size(230, 40),
                               wxST_NO_AUTORESIZE | wxALIGN_LEFT);
    gauge_ = new wxGauge(this, kUPDialogProgressId, 100, at(24, 59), size(196, 14),
                         long(wxGA_HORIZONTAL) | wxBORDER_SIMPLE);
    cancel_ = new wxButton(this, wxID_CANCEL, "Cancel", at(97, 89), size(50, 14));
    auto* bench = new wxButton(this, kUPDialogBenchmarkId, "Benchmark Info", at(154, 89),
                               size(83, 14));
    bench->Disable();
    bench->Hide();
    CentreOnParent();

    Bind(EVT_UPDIALOG, &UPDialogWindow::OnMessage, this);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CancelRequest(); }, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &UPDialogWindow::OnClose, this);
  }

  void DisableCancel() {
    cancel_->Disable();
    EnableCloseButton(false);
  }
  void SetStatus(const std::string& text) {
    status_->SetLabelText(wxString::FromUTF8(text));
    status_->Wrap(status_->GetClientSize().GetWidth());
  }
  void SetPos(long position) {
    position_ = position;
    gauge_->SetValue(static_cast<int>(std::clamp<long>(position_, 0, gauge_->GetRange())));
  }
  void SetRange(long range) {
    // A zero range would divide by zero inside the bar; it shows empty instead.
    gauge_->SetRange(range > 0 ? static_cast<int>(range) : 1);
    if (range <= 0) position_ = 0;
    SetPos(position_);
  }

 private:
  void OnMessage(wxThreadEvent& event) {
    const long wParam = event.GetExtraLong();
    switch (event.GetId()) {
      case UPDM_DISABLECANCEL: DisableCancel(); break;
      case UPDM_END: RequestEnd(block_.success ? kUPDialogEndedAfterCompletion : wParam); break;
      case UPDM_SETPOS: SetPos(wParam); break;
      case UPDM_SETTEXT: SetStatus(event.GetString().utf8_string()); break;
      case UPDM_CANCEL: CancelRequest(); break;
      case UPDM_COMPLETE: Complete(wParam); break;
      case UPDM_SETRANGE: SetRange(wParam & 0xFFFF); break;
      case kWorkerDoneId:
        workerFinished_ = true;
        if (pendingEnd_) EndModal(static_cast<int>(*pendingEnd_));
        break;
      default: break;
    }
  }

  void OnClose(wxCloseEvent& event) {
    // The close box acts as Cancel, and like Cancel it does nothing while disabled.
    if (event.CanVeto()) event.Veto();
    if (cancel_->IsEnabled()) CancelRequest();
  }

  void CancelRequest() {
    block_.terminateRequested = true;
    if (!block_.done) SetStatus("Termination Initiated... Please wait");
    DisableCancel();
    RequestEnd(block_.success ? 1 : kUPDialogStopped);
  }

  void Complete(long wParam) {
    cancel_->SetLabel("Ok");
    if (block_.done && (wParam & 0xFFFF) != 0) {
      std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - block_.startClock;
      SetStatus(FormatRunTime(elapsed.count()));
    }
    block_.done = true;
    block_.success = true;
    wxBell();
  }

  // The dialog never closes under a running work function: its block and user data must
  // stay valid, so the end waits (without blocking this thread) for the worker's notice.
  void RequestEnd(long code) {
    if (pendingEnd_) return;
    pendingEnd_ = code;
    if (workerFinished_) EndModal(static_cast<int>(code));
  }

  UPDialogWorkerBlock& block_;
  wxStaticText* status_ = nullptr;
  wxGauge* gauge_ = nullptr;
  wxButton* cancel_ = nullptr;
  long position_ = 0;
  bool workerFinished_ = false;
  std::optional<long> pendingEnd_;
};

}  // namespace

bool UPDialogLink::IsWindow() const {
  std::lock_guard lock(mutex_);
  return target_ != nullptr;
}

bool UPDialogLink::Post(int message, long wParam, const std::string& text) const {
  std::lock_guard lock(mutex_);
  if (!target_) return false;
  auto* event = new wxThreadEvent(EVT_UPDIALOG, message);
  event->SetExtraLong(wParam);
  if (!text.empty()) event->SetString(wxString::FromUTF8(text));  // deep copy for the UI thread
  wxQueueEvent(target_, event);
  return true;
}

bool UPDialogLink::PostWorkerDone() const { return Post(kWorkerDoneId); }

void UPDialogLink::Attach(wxEvtHandler* target) {
  std::lock_guard lock(mutex_);
  target_ = target;
}

void UPDialogLink::Detach() { Attach(nullptr); }

CUPDialog::CUPDialog(wxWindow* parent, UPDialogWorkFunction work, void* userData,
                     const std::string& caption, bool allowCancel)
    : parent_(parent), allowCancel_(allowCancel), caption_(caption.substr(0, 255)) {
  block_.userData = userData;
  block_.workFunction = std::move(work);
}

CUPDialog::~CUPDialog() { StopWorker(); }

void CUPDialog::StopWorker() {
  block_.terminateRequested = true;
  if (workerThread_.joinable()) workerThread_.join();
  block_.running = false;
  block_.terminateRequested = false;
  block_.done = false;
  block_.success = false;
  block_.dialog.Detach();
  block_.startClock = std::chrono::steady_clock::now();
}

long CUPDialog::DoModal() {
  StopWorker();
  UPDialogWindow window(parent_, block_);
  window.SetTitle(wxString::FromUTF8(caption_));
  if (!allowCancel_) window.DisableCancel();
  window.SetStatus("");
  window.SetPos(0);
  block_.dialog.Attach(&window);
  try {
    workerThread_ = std::thread(&CUPDialog::WorkerThreadProc, &block_);
  } catch (const std::system_error&) {
    block_.dialog.Detach();
    return kUPDialogNoWorker;
  }
  window_ = &window;
  const long code = window.ShowModal();
  window_ = nullptr;
  block_.dialog.Detach();
  // The worker has posted its last notice; this join only reaps the thread.
  if (workerThread_.joinable()) workerThread_.join();
  return code;
}

int CUPDialog::WorkerThreadProc(UPDialogWorkerBlock* block) {
  const bool skip = block->terminateRequested;
  block->running = true;
  if (!skip && block->workFunction) {
    // An escaping exception would end the program; it becomes a failed completion instead.
    std::string failure;
    try {
      block->workFunction(block);
    } catch (const std::exception& e) {
      failure = e.what();
      if (failure.empty()) failure = "Unexpected error";
    } catch (...) {
      failure = "Unexpected error";
    }
    if (!failure.empty()) {
      block->done = false;
      block->dialog.SetText(failure);
      block->dialog.Complete(0);
    }
  }
  block->running = false;
  block->done = true;
  block->dialog.PostWorkerDone();
  return 0;
}

std::string FormatRunTime(double seconds) {
  if (seconds > 3600.0) {
    double hours = 0.0;
    double minutes = 0.0;
    const double minuteFraction = std::modf(seconds / 3600.0, &hours) * 60.0;
    const double secondFraction = std::modf(minuteFraction, &minutes) * 60.0;
    return platform::FormatC("Execution complete. Run time: %.0lf hours, %.0lf mins, %.3lf seconds",
                             hours, minutes, secondFraction);
  } else if (seconds > 60.0) {
    double minutes = 0.0;
    const double secondFraction = std::modf(seconds / 60.0, &minutes) * 60.0;
    return platform::FormatC("Execution complete. Run time: %.0lf mins, %.3lf seconds", minutes,
                             secondFraction);
  }
  return platform::FormatC("Execution complete. Run time: %.3lf seconds", seconds);
}

}  // namespace widgets

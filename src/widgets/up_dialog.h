#pragma once
// Modal progress dialog that runs a work function on a worker thread while it shows a
// status text, a progress bar and Cancel. The work and the threads it starts reach the
// dialog only through the worker block: its flags and the posted UPDM_ messages.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class wxDialog;
class wxEvtHandler;
class wxWindow;

namespace widgets {

// Message numbers of the dialog (they keep the values the run code has always used).
constexpr int kUserMessageBase = 0x400;
constexpr int UPDM_DISABLECANCEL = kUserMessageBase + 1234;
constexpr int UPDM_END = kUserMessageBase + 1235;
constexpr int UPDM_SETPOS = kUserMessageBase + 1236;
constexpr int UPDM_SETTEXT = kUserMessageBase + 1237;
constexpr int UPDM_CANCEL = kUserMessageBase + 1238;
constexpr int UPDM_COMPLETE = kUserMessageBase + 1239;
constexpr int UPDM_SETRANGE = kUserMessageBase + 1240;

// End codes of CUPDialog::DoModal besides 1 and the code given to UPDM_END.
constexpr long kUPDialogEndedAfterCompletion = 0x10001;
constexpr long kUPDialogStopped = 0x10002;
constexpr long kUPDialogNoWorker = 2;

// Control ids of the dialog.
constexpr int kUPDialogStatusId = 1263;
constexpr int kUPDialogProgressId = 1264;
constexpr int kUPDialogBenchmarkId = 1331;

// The dialog window as other threads see it. Every call is safe from any thread; texts are
// copied into the posted event. Once the window is gone, posts do nothing and return false.
class UPDialogLink {
 public:
  bool IsWindow() const;
  bool Post(int message, long wParam = 0, const std::string& text = {}) const;

  bool DisableCancel() const { return Post(UPDM_DISABLECANCEL); }
  bool End(long code) const { return Post(UPDM_END, code); }
  bool SetPos(int position) const { return Post(UPDM_SETPOS, position); }
  bool SetText(const std::string& text) const { return Post(UPDM_SETTEXT, 0, text); }
  bool Cancel() const { return Post(UPDM_CANCEL); }
  bool Complete(long wParam) const { return Post(UPDM_COMPLETE, wParam); }
  bool SetRange(long wParam) const { return Post(UPDM_SETRANGE, wParam); }

 private:
  friend class CUPDialog;
  void Attach(wxEvtHandler* target);
  void Detach();
  bool PostWorkerDone() const;

  mutable std::mutex mutex_;
  wxEvtHandler* target_ = nullptr;
};

struct UPDialogWorkerBlock;
using UPDialogWorkFunction = std::function<bool(UPDialogWorkerBlock*)>;

// Shared between the dialog, its worker thread and the threads the work starts.
struct UPDialogWorkerBlock {
  UPDialogLink dialog;
  void* userData = nullptr;
  std::atomic<bool> running{false};
  std::atomic<bool> terminateRequested{false};
  // Set by the worker after the work returns; the work may first store its result (true
  // success, false failure) here before it posts UPDM_COMPLETE.
  std::atomic<bool> done{false};
  std::atomic<bool> success{false};
  std::chrono::steady_clock::time_point startClock{};
  UPDialogWorkFunction workFunction;
};

class CUPDialog {
 public:
  CUPDialog(wxWindow* parent, UPDialogWorkFunction work, void* userData, const std::string& caption,
            bool allowCancel = true);
  virtual ~CUPDialog();
  CUPDialog(const CUPDialog&) = delete;
  CUPDialog& operator=(const CUPDialog&) = delete;

  // Starts the worker, shows the dialog and returns its end code once both have finished.
  long DoModal();
  // Asks a worker to stop and waits for its work to return, so the block outlives the work.
  void StopWorker();

  static int WorkerThreadProc(UPDialogWorkerBlock* block);

  const std::string& GetCaption() const { return caption_; }
  UPDialogWorkerBlock& Block() { return block_; }
  // The window while DoModal runs, else null.
  wxDialog* GetWindow() const { return window_; }

 private:
  wxWindow* parent_;
  bool allowCancel_;
  std::thread workerThread_;
  std::string caption_;
  UPDialogWorkerBlock block_;
  wxDialog* window_ = nullptr;
};

// The completion text for a run of the given length.
std::string FormatRunTime(double seconds);

}  // namespace widgets

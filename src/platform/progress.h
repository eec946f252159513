#pragma once
// Where long work reports its progress: a text, a position in a range, and whether the user
// asked to cancel. The GUI implements it with the progress window; tests record it.
#include <string>
#include <vector>

namespace platform {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetText(const std::string& text) = 0;
  virtual void SetRange(long long range) = 0;  // default range is 100
  virtual void SetPosition(long long pos) = 0;
  // Also the point where a window may pump its pending events.
  virtual bool CancelRequested() = 0;
};

// A sink that discards everything and never cancels.
class NullProgress final : public ProgressSink {
 public:
  void SetText(const std::string&) override {}
  void SetRange(long long) override {}
  void SetPosition(long long) override {}
  bool CancelRequested() override { return false; }
};

}  // namespace platform

namespace platform {

// Keeps what long work reported, for tests; asks to cancel from the n-th check on when told.
class RecordingProgress final : public ProgressSink {
 public:
  void SetText(const std::string& text) override { texts.push_back(text); }
  void SetRange(long long r) override { range = r; }
  void SetPosition(long long pos) override { positions.push_back(pos); }
  bool CancelRequested() override { return cancelAtCheck > 0 && ++checks >= cancelAtCheck; }

  std::vector<std::string> texts;
  std::vector<long long> positions;
  long long range = 100;
  int checks = 0;
  int cancelAtCheck = 0;  // 0: never cancel
};

}  // namespace platform

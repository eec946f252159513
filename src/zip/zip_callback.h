#pragma once
// Progress of long archive operations: callbacks registered per kind of operation, and the
// system's implementation that reports to a progress sink and stops on its Cancel.
#include <cstdint>
#include <string>

namespace platform {
class ProgressSink;
}

class CZipCallback {
 public:
  virtual ~CZipCallback() = default;
  // False stops the operation.
  virtual bool Callback(std::uint64_t progress) = 0;
  std::string m_szExternalFile;
};

class CZipActionCallback : public CZipCallback {
 public:
  enum Kind {
    cbNothing = 0,
    cbAdd = 1,
    cbAddTmp = 2,
    cbAddStore = 4,
    cbExtract = 8,
    cbDeleteCnt = 16,
    cbDelete = 32,
    cbTest = 64,
    cbSave = 128,
    cbGetFromArchive = 256,
    cbRename = 512,
    cbReplace = 1024,
    cbAll = 2047,
  };
  virtual void Init(const std::string& fileInZip, const std::string& externalFile) {
    m_szFileInZip = fileInZip;
    m_szExternalFile = externalFile;
    m_uTotalToDo = m_uTotalSoFar = 0;
  }
  virtual void SetTotal(std::uint64_t total) { m_uTotalToDo = total; }
  virtual void CallbackEnd() {}
  virtual bool RequestCallback(std::uint64_t step = 1) {
    m_uTotalSoFar += step;
    return Callback(step);
  }

  int m_iType = cbNothing;
  std::uint64_t m_uTotalToDo = 0;
  std::uint64_t m_uTotalSoFar = 0;
  std::string m_szFileInZip;
};

// Shows the work on a progress sink: the path of each file as its text and the bytes of the
// current file as the position; the sink's cancel stops the archive operation.
class CZipProgressData : public CZipActionCallback {
 public:
  explicit CZipProgressData(platform::ProgressSink& sink) : sink_(&sink) {}
  ~CZipProgressData() override = default;

  void Init(const std::string& fileInZip, const std::string& externalFile) override;
  bool Callback(std::uint64_t step) override;
  void CallbackEnd() override {}
  // "Adding Files", "Extracting Files" or empty, after the last Init.
  const std::string& Caption() const { return caption_; }
  bool Started() const { return started_; }

 private:
  platform::ProgressSink* sink_;
  std::string caption_;
  bool started_ = false;    // Init was called once: the window exists
  bool firstStep_ = false;
  bool cancelled_ = false;  // Cancel stays pressed for the rest of the operation
  std::uint64_t position_ = 0;
};

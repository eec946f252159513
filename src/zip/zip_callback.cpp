#include "zip/zip_callback.h"

#include "platform/progress.h"

void CZipProgressData::Init(const std::string& fileInZip, const std::string& externalFile) {
  CZipActionCallback::Init(fileInZip, externalFile);
  position_ = 0;
  if (started_) sink_->SetPosition(0);
  started_ = true;
  sink_->SetText(externalFile);
  caption_ = m_iType == cbAdd ? "Adding Files" : m_iType == cbExtract ? "Extracting Files" : "";
  firstStep_ = true;
}

bool CZipProgressData::Callback(std::uint64_t step) {
  if (!started_) return true;
  if (firstStep_) {
    sink_->SetRange(static_cast<long long>(m_uTotalToDo));
    sink_->SetPosition(0);
    position_ = 0;
    firstStep_ = false;
  }
  position_ += step;
  sink_->SetPosition(static_cast<long long>(position_));
  if (!cancelled_ && sink_->CancelRequested()) cancelled_ = true;
  return !cancelled_;
}

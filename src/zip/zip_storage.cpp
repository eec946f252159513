#include "zip/zip_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "zip/zip_exception.h"

CZipStorage::~CZipStorage() {
  internalFile_.Close();
  DiscardTemp();
}

void CZipStorage::DiscardTemp() { platform::DiscardTemp(temp_); }

void CZipStorage::CopyToTemp(const std::string& path) {
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) ZipThrowErrno(path);
  int err = 0;
  if (!platform::CreateTempBeside(path, "", temp_, &err)) {
    ::close(in);
    ZipThrowErrno(path, err);
  }
  // In the kernel where it can (a clone on file systems that share blocks), else by reading.
  for (;;) {
    const ssize_t n = ::copy_file_range(in, nullptr, temp_.fd, nullptr, 1 << 30, 0);
    if (n > 0) continue;
    if (n == 0) break;
    if (errno == EINTR) continue;
    if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
      err = errno;
      break;
    }
    char buf[1 << 16];
    for (;;) {
      const ssize_t r = ::read(in, buf, sizeof buf);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        if (r < 0) err = errno;
        break;
      }
      for (ssize_t done = 0; done < r;) {
        const ssize_t w = ::write(temp_.fd, buf + done, static_cast<std::size_t>(r - done));
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) {
          err = errno;
          break;
        }
        done += w;
      }
      if (err) break;
    }
    break;
  }
  ::close(in);
  if (!err && !platform::CloseTempFd(temp_, &err) && !err) err = EIO;
  if (err) {
    DiscardTemp();
    ZipThrowErrno(path, err);
  }
}

std::string CZipStorage::VolumeName(int volume) const {
  CZipPathComponent pc(archivePath_);
  std::string base = archivePath_.substr(0, archivePath_.size() - (pc.m_szFileExt.empty() ? 0 : pc.m_szFileExt.size() + 1));
  if (volume == lastVolume_ && !newMultiVolume_)
    return volumeExtension_.empty() ? base : base + "." + volumeExtension_;
  char ext[16];
  std::snprintf(ext, sizeof ext, ".%.3d", volume);
  return base + ext;
}

void CZipStorage::Open(const std::string& path, int mode, int volumeSize) {
  archivePath_ = path;
  copyOfExisting_ = written_ = false;
  inMemory_ = false;
  readOnly_ = mode == zipOpenReadOnly;
  newMultiVolume_ = false;
  fill_ = 0;
  writtenOnVolume_ = 0;
  volumeSize_ = 0;
  lastVolume_ = 0;
  volumeExtension_.clear();
  if (mode == zipCreate) {
    if (ZipFileExists(path) == -1) ZipThrowErrno(path, EISDIR);
    // Written beside the target and renamed over it at close.
    int err = 0;
    if (!platform::CreateTempBeside(path, "", temp_, &err)) ZipThrowErrno(path, err);
    platform::CloseTempFd(temp_);
    internalFile_.Open(temp_.path, CZipFile::modeCreate, true);
    buffer_.Allocate(static_cast<std::uint32_t>(writeBufferSize_));
    file_ = &internalFile_;
    currentVolume_ = 0;
    volumeMode_ = noVolumes;
    return;
  }
  if (mode == zipCreateSpan) {
    if (volumeSize <= 0) {
      // Spanning over removable disks needs disk prompts and volume labels, which this
      // platform does not have.
      if (!ZipIsDriveRemovable(path)) ZipThrow(CZipException::nonRemovable, path);
      ZipThrow(CZipException::noCallback, path);
    }
    volumeMode_ = numberedVolumes;
    volumeSize_ = std::max(volumeSize, 1024);
    newMultiVolume_ = true;
    currentVolume_ = 0;
    internalFile_.Open(VolumeName(0), CZipFile::modeCreate, true);
    buffer_.Allocate(static_cast<std::uint32_t>(writeBufferSize_));
    file_ = &internalFile_;
    static const unsigned char sig[4] = {0x50, 0x4B, 0x07, 0x08};
    Write(sig, 4, true);
    return;
  }
  if (mode == zipOpen && ZipFileExists(path) == 1) {
    // Changes are made to a copy beside the archive that replaces it when closed: an
    // interrupted change (a crash, a full disk) leaves the archive as it was.
    CopyToTemp(path);
    internalFile_.Open(temp_.path, CZipFile::modeReadWrite, true);
    copyOfExisting_ = true;
  } else {
    internalFile_.Open(path, mode == zipOpen ? CZipFile::modeReadWrite : CZipFile::modeRead, true);
  }
  buffer_.Allocate(static_cast<std::uint32_t>(writeBufferSize_));
  file_ = &internalFile_;
  volumeMode_ = volumeSize > 0 ? decideLaterSized : decideLater;
  volumeSize_ = volumeSize;
  currentVolume_ = 0;
}

void CZipStorage::OpenMemory(CZipMemFile& file, int mode) {
  archivePath_.clear();
  buffer_.Allocate(static_cast<std::uint32_t>(writeBufferSize_));
  file_ = &file;
  inMemory_ = true;
  readOnly_ = mode == zipOpenReadOnly;
  newMultiVolume_ = false;
  fill_ = 0;
  if (mode == zipCreate) {
    currentVolume_ = 0;
    volumeMode_ = noVolumes;
    file.SetLength(0);
  } else {
    file.SeekToBegin();
    currentVolume_ = 0;
    volumeMode_ = decideLater;
  }
}

void CZipStorage::SetVolumeMode(int thisVolume) {
  currentVolume_ = thisVolume;
  if (thisVolume == 0) {
    volumeMode_ = noVolumes;
    return;
  }
  if (inMemory_) ZipThrow(CZipException::badZipFile, archivePath_);
  // Drives are never removable here, so a spanned archive is read as numbered files.
  volumeMode_ = numberedVolumes;
  lastVolume_ = thisVolume;
  volumeExtension_ = CZipPathComponent(archivePath_).m_szFileExt;
}

void CZipStorage::WriteInternal(const char* data, std::uint32_t count) {
  const std::uint32_t size = buffer_.GetSize();
  if (fill_ == 0 && count >= size) {
    file_->Write(data, count);
    return;
  }
  while (count) {
    std::uint32_t n = std::min(size - fill_, count);
    std::memcpy(buffer_.data() + fill_, data, n);
    fill_ += n;
    data += n;
    count -= n;
    if (fill_ == size) Flush();
  }
}

void CZipStorage::Write(const void* data, std::uint32_t count, bool atOnce) {
  written_ = true;
  const char* p = static_cast<const char*>(data);
  if (!IsMultiVolume()) {
    WriteInternal(p, count);
    return;
  }
  if (atOnce && count > static_cast<std::uint32_t>(volumeSize_)) ZipThrow(EINVAL, archivePath_);
  while (count) {
    std::uint64_t room = volumeSize_ - writtenOnVolume_;
    if (room == 0 || (atOnce && room < count)) {
      NextVolume(count);
      continue;
    }
    std::uint32_t n = static_cast<std::uint32_t>(std::min<std::uint64_t>(room, count));
    WriteInternal(p, n);
    writtenOnVolume_ += n;
    p += n;
    count -= n;
  }
}

void CZipStorage::NextVolume(std::uint32_t) {
  Flush();
  if (writtenOnVolume_ == 0) return;
  if (currentVolume_ >= 998) ZipThrow(CZipException::tooManyVolumes, archivePath_);
  internalFile_.Close();
  ++currentVolume_;
  internalFile_.Open(VolumeName(currentVolume_), CZipFile::modeCreate, true);
  writtenOnVolume_ = 0;
}

std::uint32_t CZipStorage::Read(void* buffer, std::uint32_t count, bool atOnce) {
  char* p = static_cast<char*>(buffer);
  std::uint32_t got = file_->Read(p, count);
  if (got == count) return got;
  if (!IsMultiVolume()) ZipThrow(CZipException::badZipFile, archivePath_);
  if (atOnce && got > 0) ZipThrow(CZipException::badZipFile, archivePath_);
  while (got < count) {
    if (currentVolume_ >= lastVolume_) ZipThrow(CZipException::badZipFile, archivePath_);
    ChangeVolume(currentVolume_ + 1);
    std::uint32_t n = file_->Read(p + got, count - got);
    if (n == 0 || (atOnce && n != count)) ZipThrow(CZipException::badZipFile, archivePath_);
    got += n;
  }
  return got;
}

void CZipStorage::ChangeVolume(int volume) {
  if (volume == currentVolume_ || !IsMultiVolume()) return;
  if (volume < 0 || volume > lastVolume_) ZipThrow(CZipException::badZipFile, archivePath_);
  internalFile_.Close();
  internalFile_.Open(VolumeName(volume), readOnly_ ? CZipFile::modeRead : CZipFile::modeRead, true);
  currentVolume_ = volume;
}

void CZipStorage::Flush() {
  if (fill_ && file_) file_->Write(buffer_.data(), fill_);
  fill_ = 0;
}

long long CZipStorage::GetPosition() const { return file_->GetPosition() + fill_; }

void CZipStorage::FinishVolumes() {
  Flush();
  internalFile_.Close();
  std::string last = VolumeName(currentVolume_);
  ZipRenameFile(last, archivePath_, true);
  lastVolume_ = currentVolume_;
  volumeExtension_ = CZipPathComponent(archivePath_).m_szFileExt;
  newMultiVolume_ = false;
}

std::string CZipStorage::Close(bool afterException) {
  std::string path = archivePath_;
  if (!afterException) {
    if (newMultiVolume_) {
      FinishVolumes();
    } else {
      Flush();
    }
  }
  fill_ = 0;
  if (!inMemory_) {
    if (!afterException && !readOnly_ && !(copyOfExisting_ && !written_) && !internalFile_.IsClosed() && ::fsync(internalFile_.Handle()) != 0 &&
        errno != EINVAL)
      ZipThrowErrno(path);
    internalFile_.Close();
    if (!temp_.path.empty()) {
      // Every change ends with a new directory written through Write: an archive opened for
      // changes and only read is left as it was.
      if (afterException || (copyOfExisting_ && !written_)) {
        DiscardTemp();
      } else if (int err = 0; !platform::CommitTemp(temp_, &err)) {
        ZipThrowErrno(path, err);
      }
    }
  }
  buffer_.Release();
  file_ = nullptr;
  currentVolume_ = -1;
  volumeMode_ = noVolumes;
  newMultiVolume_ = false;
  return path;
}

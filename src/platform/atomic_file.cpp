#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace platform {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open() {
  if (!CreateTempBeside(target_, "", temp_, &error_)) return false;
  file_ = ::fdopen(temp_.fd, "wb");
  if (!file_) {
    error_ = errno;
    DiscardTemp(temp_);
    return false;
  }
  temp_.fd = -1;  // the stream owns it now
  return true;
}

bool AtomicFile::Write(const void* data, std::size_t size) {
  if (!file_ || failed_) return false;
  if (size && std::fwrite(data, 1, size, file_) != size) {
    failed_ = true;
    if (!error_) error_ = errno ? errno : EIO;
    return false;
  }
  return true;
}

bool AtomicFile::Commit() {
  if (!file_) return false;
  bool ok = !failed_ && !std::ferror(file_);
  if (ok && std::fflush(file_) != 0) ok = false;
  if (ok && ::fsync(fileno(file_)) != 0) ok = false;
  if (!ok && !error_) error_ = errno ? errno : EIO;
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    error_ = errno;
  }
  file_ = nullptr;
  if (!ok) {
    DiscardTemp(temp_);
    return false;
  }
  return CommitTemp(temp_, &error_);
}

void AtomicFile::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  DiscardTemp(temp_);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes) {
  AtomicFile f(path);
  return f.Open() && f.Write(bytes) && f.Commit();
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace platform

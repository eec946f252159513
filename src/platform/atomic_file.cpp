#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace platform {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%08x", static_cast<unsigned>(rd()));
    std::string candidate = target_ + suffix;
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error_ = errno;
      return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
      error_ = errno;
      ::close(fd);
      ::unlink(candidate.c_str());
      return false;
    }
    temp_ = candidate;
    return true;
  }
  error_ = EEXIST;
  return false;
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
  if (ok) {
    // Keep the permissions of the file being replaced.
    struct stat st;
    if (::stat(target_.c_str(), &st) == 0) ::chmod(temp_.c_str(), st.st_mode & 07777);
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
      ok = false;
      error_ = errno;
    }
  }
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void AtomicFile::Discard() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
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

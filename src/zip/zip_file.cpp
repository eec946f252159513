#include "zip/zip_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>

#include "zip/zip_exception.h"

// ---- CZipAutoBuffer ---------------------------------------------------------------

CZipAutoBuffer::CZipAutoBuffer(const CZipAutoBuffer& o) {
  if (o.size_) std::memcpy(Allocate(o.size_), o.data_, o.size_);
}

CZipAutoBuffer& CZipAutoBuffer::operator=(const CZipAutoBuffer& o) {
  if (this == &o) return *this;
  Release();
  if (o.size_) std::memcpy(Allocate(o.size_), o.data_, o.size_);
  return *this;
}

char* CZipAutoBuffer::Allocate(std::uint32_t size, bool zero) {
  if (size == size_ && data_) {
    if (zero) std::memset(data_, 0, size_);
    return data_;
  }
  Release();
  if (size == 0) return nullptr;
  data_ = static_cast<char*>(zero ? std::calloc(size, 1) : std::malloc(size));
  if (!data_) ZipThrow(CZipException::memError);
  size_ = size;
  return data_;
}

void CZipAutoBuffer::Release() {
  std::free(data_);
  data_ = nullptr;
  size_ = 0;
}

void CZipAutoBuffer::FromString(const std::string& s) {
  Release();
  if (!s.empty()) std::memcpy(Allocate(static_cast<std::uint32_t>(s.size())), s.data(), s.size());
}

// ---- CZipFile -----------------------------------------------------------------------

bool CZipFile::Open(const std::string& path, int flags, bool throwOnError) {
  Close();
  int oflags = O_CLOEXEC;
  if (flags & modeCreate)
    oflags |= O_RDWR | O_CREAT | ((flags & modeNoTruncate) ? 0 : O_TRUNC);
  else
    oflags |= (flags & modeReadWrite) ? O_RDWR : O_RDONLY;
  int fd = ::open(path.c_str(), oflags, 0666);
  if (fd < 0) {
    if (throwOnError) ZipThrowErrno(path);
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    if (throwOnError) ZipThrowErrno(path, EISDIR);
    return false;
  }
  fd_ = fd;
  path_ = path;
  pos_ = 0;
  windowLength_ = 0;
  return true;
}

void CZipFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = 0;
  windowLength_ = 0;
}

void CZipFile::Flush() {
  // Data goes straight to the kernel; nothing is held here.
}

long long CZipFile::GetPosition() const { return pos_; }

long long CZipFile::Seek(long long offset, int origin) {
  const long long base = origin == begin ? 0 : origin == current ? pos_ : GetLength();
  if ((offset > 0 && base > LLONG_MAX - offset) || base + offset < 0) ZipThrowErrno(path_, EINVAL);
  pos_ = base + offset;
  return pos_;
}

long long CZipFile::GetLength() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) ZipThrowErrno(path_);
  return st.st_size;
}

void CZipFile::SetLength(long long length) {
  if (::ftruncate(fd_, length) != 0) ZipThrowErrno(path_);
  windowLength_ = 0;
}

namespace {

// Reads up to count bytes at offset; fewer only at the end of the file.
std::uint32_t ReadAt(int fd, char* p, std::uint32_t count, long long offset, const std::string& path) {
  std::uint32_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, p + done, count - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ZipThrowErrno(path);
    }
    if (n == 0) break;
    done += static_cast<std::uint32_t>(n);
  }
  return done;
}

constexpr std::uint32_t kWindow = 64 * 1024;

}  // namespace

std::uint32_t CZipFile::Read(void* buffer, std::uint32_t count) {
  char* p = static_cast<char*>(buffer);
  std::uint32_t done = 0;
  while (done < count) {
    const long long at = pos_;
    if (windowLength_ > 0 && at >= windowStart_ && at < windowStart_ + windowLength_) {
      const std::uint32_t n = std::min<std::uint32_t>(count - done, static_cast<std::uint32_t>(windowStart_ + windowLength_ - at));
      std::memcpy(p + done, window_.data() + (at - windowStart_), n);
      done += n;
      pos_ += n;
      continue;
    }
    if (count - done >= kWindow) {  // large reads go straight to the caller's buffer
      const std::uint32_t n = ReadAt(fd_, p + done, count - done, at, path_);
      done += n;
      pos_ += n;
      break;
    }
    window_.resize(kWindow);
    windowStart_ = at;
    windowLength_ = ReadAt(fd_, window_.data(), kWindow, at, path_);
    if (windowLength_ == 0) break;
  }
  return done;
}

void CZipFile::Write(const void* buffer, std::uint32_t count) {
  const char* p = static_cast<const char*>(buffer);
  windowLength_ = 0;
  while (count) {
    ssize_t n = ::pwrite(fd_, p, count, pos_);
    if (n < 0) {
      if (errno == EINTR) continue;
      ZipThrowErrno(path_);
    }
    if (n == 0) ZipThrowErrno(path_, ENOSPC);
    p += n;
    pos_ += n;
    count -= static_cast<std::uint32_t>(n);
  }
}

// ---- CZipMemFile --------------------------------------------------------------------

CZipMemFile::CZipMemFile(const void* data, std::uint32_t size) : grow_(1024) {
  // Kept simple: the block is copied so that the file always owns its buffer.
  if (size) {
    Grow(size);
    std::memcpy(buf_, data, size);
    dataSize_ = size;
  }
}

void CZipMemFile::Close() {
  if (owns_) std::free(buf_);
  buf_ = nullptr;
  pos_ = 0;
  bufSize_ = dataSize_ = 0;
}

void CZipMemFile::Grow(std::uint64_t needed) {
  if (needed <= bufSize_) return;
  if (grow_ == 0 || needed > 0xFFFFFFFFull) ZipThrow(CZipException::memError);
  std::uint64_t size = bufSize_;
  // Grow geometrically in whole steps, so that appending stays linear.
  std::uint64_t target = std::max<std::uint64_t>(needed, size + size / 2);
  size = (target + grow_ - 1) / grow_ * grow_;
  if (size > 0xFFFFFFFFull) size = needed;
  char* p = static_cast<char*>(std::realloc(buf_, size));
  if (!p) ZipThrow(CZipException::memError);
  buf_ = p;
  bufSize_ = static_cast<std::uint32_t>(size);
}

long long CZipMemFile::Seek(long long offset, int origin) {
  long long base = origin == begin ? 0 : origin == current ? static_cast<long long>(pos_) : dataSize_;
  long long p = base + offset;
  if (p < 0) ZipThrow(EINVAL);
  pos_ = static_cast<std::uint64_t>(p);
  return p;
}

void CZipMemFile::SetLength(long long length) {
  if (length < 0) ZipThrow(EINVAL);
  std::uint64_t len = static_cast<std::uint64_t>(length);
  if (len > bufSize_) Grow(len);
  if (len > dataSize_) std::memset(buf_ + dataSize_, 0, len - dataSize_);
  if (pos_ > len) pos_ = len;
  dataSize_ = static_cast<std::uint32_t>(len);
}

std::uint32_t CZipMemFile::Read(void* buffer, std::uint32_t count) {
  if (pos_ >= dataSize_) return 0;
  std::uint32_t n = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, dataSize_ - pos_));
  std::memcpy(buffer, buf_ + pos_, n);
  pos_ += n;
  return n;
}

void CZipMemFile::Write(const void* buffer, std::uint32_t count) {
  if (count == 0) return;
  std::uint64_t end = pos_ + count;
  Grow(end);
  if (pos_ > dataSize_) std::memset(buf_ + dataSize_, 0, pos_ - dataSize_);
  std::memcpy(buf_ + pos_, buffer, count);
  pos_ = end;
  if (end > dataSize_) dataSize_ = static_cast<std::uint32_t>(end);
}

// ---- CZipPathComponent --------------------------------------------------------------

bool ZipIsSeparator(char c) { return c == '/' || c == '\\'; }

std::string ZipRemoveTrailingSeparators(std::string s) {
  while (!s.empty() && ZipIsSeparator(s.back())) s.pop_back();
  return s;
}

void CZipPathComponent::SetFullPath(const std::string& path) {
  m_szPrefix.clear();
  m_szDrive.clear();
  std::string p = path;
  static const char kUnc[] = "\\\\?\\unc\\";
  std::size_t match = 0;
  while (match < 8 && match < p.size() && std::tolower(static_cast<unsigned char>(p[match])) == kUnc[match])
    ++match;
  if (match == 2 || match == 4 || match == 8) {
    m_szPrefix = p.substr(0, match);
    p.erase(0, match);
  }
  if (p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]))) {
    m_szDrive = p.substr(0, 2);
    p.erase(0, 2);
  }
  std::size_t sep = std::string::npos;
  for (std::size_t i = p.size(); i-- > 0;)
    if (ZipIsSeparator(p[i])) { sep = i; break; }
  std::string name = sep == std::string::npos ? p : p.substr(sep + 1);
  std::string dir = sep == std::string::npos ? std::string() : p.substr(0, sep);
  while (!dir.empty() && ZipIsSeparator(dir.front())) dir.erase(0, 1);
  m_szDirectory = ZipRemoveTrailingSeparators(dir);
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) {
    m_szFileTitle = name;
    m_szFileExt.clear();
  } else {
    m_szFileTitle = name.substr(0, dot);
    m_szFileExt = name.substr(dot + 1);
  }
}

std::string CZipPathComponent::GetFileName() const {
  return m_szFileExt.empty() ? m_szFileTitle : m_szFileTitle + "." + m_szFileExt;
}

std::string CZipPathComponent::GetFilePath() const {
  std::string s = m_szPrefix + m_szDrive;
  if (!m_szDrive.empty() && !m_szDirectory.empty()) s += '\\';
  return s + m_szDirectory;
}

std::string CZipPathComponent::GetFullPath() const {
  std::string s = GetFilePath();
  std::string n = GetFileName();
  if (!n.empty()) s += "\\" + n;
  return s;
}

std::string CZipPathComponent::GetNoDrive() const {
  std::string n = GetFileName();
  std::string s = m_szDirectory;
  if (!s.empty() && !n.empty()) s += '\\';
  return s + n;
}

// ---- file-system helpers ------------------------------------------------------------

bool ZipGetFileAttr(const std::string& path, std::uint32_t& attr) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  std::uint32_t dos = S_ISDIR(st.st_mode) ? 0x10 : 0x20;
  if (!(st.st_mode & S_IWUSR)) dos |= 0x01;
  attr = (static_cast<std::uint32_t>(st.st_mode & 0xFFFF) << 16) | dos;
  return true;
}

bool ZipSetFileAttr(const std::string& path, std::uint32_t attr) {
  mode_t mode = (attr >> 16) & 07777;
  if (mode == 0) mode = (attr & 0x01) ? 0444 : 0666;
  return ::chmod(path.c_str(), mode) == 0;
}

bool ZipGetFileModTime(const std::string& path, std::time_t& t) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || st.st_mtime == -1) return false;
  t = st.st_mtime;
  return true;
}

bool ZipSetFileModTime(const std::string& path, std::time_t t) {
  struct timespec ts[2];
  ts[0].tv_sec = 0;
  ts[0].tv_nsec = UTIME_NOW;
  if (t == -1) {
    ts[1] = ts[0];
  } else {
    ts[1].tv_sec = t;
    ts[1].tv_nsec = 0;
  }
  return ::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
}

bool ZipGetFileSize(const std::string& path, std::uint64_t& size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool ZipCreateDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool ZipForceDirectory(const std::string& path) {
  std::string p = ZipRemoveTrailingSeparators(path);
  if (p.empty() || ZipIsFolder(p)) return true;
  std::size_t sep = p.find_last_of("/\\");
  if (sep != std::string::npos && sep > 0 && !ZipForceDirectory(p.substr(0, sep))) return false;
  return ZipCreateDirectory(p) || ZipIsFolder(p);
}

int ZipFileExists(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return 0;
  return S_ISDIR(st.st_mode) ? -1 : 1;
}

bool ZipIsFolder(const std::string& path) { return ZipFileExists(path) == -1; }

bool ZipRemoveFile(const std::string& path, bool throwOnError) {
  if (::unlink(path.c_str()) == 0) return true;
  if (throwOnError) ZipThrow(CZipException::notRemoved, path);
  return false;
}

bool ZipRenameFile(const std::string& from, const std::string& to, bool throwOnError) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (throwOnError) ZipThrow(CZipException::notRenamed, from);
  return false;
}

std::uint64_t ZipGetFreeSpace(const std::string& path) {
  struct statvfs vfs;
  if (::statvfs(path.c_str(), &vfs) != 0) return 0;
  return static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
}

std::string ZipGetTempFileName(const char* folder, std::uint64_t bytesNeeded) {
  std::string candidates[3];
  if (folder && *folder) candidates[0] = folder;
  const char* tmp = std::getenv("TMPDIR");
  candidates[1] = tmp && *tmp ? tmp : "/tmp";
  candidates[2] = ".";
  for (const std::string& dir : candidates) {
    if (dir.empty() || ZipGetFreeSpace(dir) < bytesNeeded) continue;
    std::string pattern = ZipRemoveTrailingSeparators(dir) + "/ZARXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) continue;
    ::close(fd);
    return pattern;
  }
  return {};
}

bool ZipIsDriveRemovable(const std::string&) { return false; }

namespace {

unsigned ReadUmask() {
  // Read without changing it: setting it, even for a moment, would race with other threads
  // creating files.
  if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) {
        found = true;
        break;
      }
    std::fclose(f);
    if (found) return mask;
  }
  mode_t m = ::umask(022);
  ::umask(m);
  return m;
}

}  // namespace

unsigned ZipGetUmask() { return ReadUmask(); }


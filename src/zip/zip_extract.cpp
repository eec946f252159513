// Extracting entries to disk and memory, and finding entries by name or pattern.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/paths.h"
#include "platform/temp_files.h"
#include "zip/zip_archive.h"

namespace {

// Splits on both separators, dropping empty parts.
std::vector<std::string> SplitComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (ZipIsSeparator(c)) {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

// Opens (creating when asked) one folder below parent without following a symlink.
int OpenChildFolder(int parent, const std::string& name, bool create, const std::string& shownPath) {
  if (create && ::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) ZipThrowErrno(shownPath);
  int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) ZipThrowErrno(shownPath);
  return fd;
}

struct FdCloser {
  int fd = -1;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens the folder that receives parts[0..count) below the destination, creating what is
// missing. The destination itself is the user's choice and may be reached through a link.
int OpenTargetFolder(const std::string& folder, const std::vector<std::string>& parts, std::size_t count,
                     const std::string& shownPath) {
  std::string base = folder.empty() ? std::string(".") : folder;
  // The folder is made only when it is not there yet: most entries land in one that is.
  int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    if (!ZipForceDirectory(base)) ZipThrowErrno(base);
    fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) ZipThrowErrno(base);
  for (std::size_t i = 0; i < count; ++i) {
    int child;
    try {
      child = OpenChildFolder(fd, parts[i], true, shownPath);
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
    fd = child;
  }
  return fd;
}

void WriteAll(int fd, const char* p, std::size_t n, const std::string& shownPath) {
  while (n) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      ZipThrowErrno(shownPath);
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
}

// Writes the extracted pieces. For large entries a second thread writes while the next pieces
// are inflated, so that the copy into the file system costs no time on the inflating thread;
// pieces are gathered into blocks of about 1 MB so the two threads rarely meet.
class PieceWriter {
 public:
  // A small entry is written through syncBuffer, which the archive keeps between entries.
  PieceWriter(int fd, std::uint32_t pieceSize, bool async, std::string shownPath, CZipAutoBuffer& syncBuffer)
      : fd_(fd), shown_(std::move(shownPath)), async_(async), piece_(pieceSize) {
    if (async_) {
      const std::uint32_t block = std::max<std::uint32_t>(pieceSize, (1u << 20) / pieceSize * pieceSize);
      own_.resize(3);
      for (auto& b : own_) {
        b.Allocate(block);
        buffers_.push_back(&b);
      }
      thread_ = std::thread([this] { Run(); });
    } else {
      syncBuffer.Allocate(pieceSize);
      buffers_.push_back(&syncBuffer);
    }
  }
  ~PieceWriter() {
    if (async_) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
      }
      wake_.notify_all();
      thread_.join();
    }
  }
  // Room for the next piece.
  char* Buffer() { return buffers_[current_]->data() + fill_; }
  // Takes the piece just filled; raises the first write error met so far.
  void Commit(std::uint32_t n) {
    fill_ += n;
    if (!async_) {
      WriteAll(fd_, buffers_[0]->data(), fill_, shown_);
      fill_ = 0;
      return;
    }
    if (buffers_[current_]->GetSize() - fill_ < piece_) HandOver();
  }
  // CRC-32 of everything written, when the second thread computes it.
  std::uint32_t Crc() const { return crc_; }
  // Waits until everything taken is written.
  void Finish() {
    if (!async_) return;
    if (fill_) HandOver();
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return queue_.empty() && !busy_; });
    if (error_) ZipThrow(error_, shown_);
  }

 private:
  struct Item {
    std::size_t buffer;
    std::uint32_t size;
  };
  void HandOver() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (error_) ZipThrow(error_, shown_);
    queue_.push_back({current_, fill_});
    wake_.notify_all();
    current_ = (current_ + 1) % buffers_.size();
    fill_ = 0;
    // The next block must not be one still waiting to be written.
    done_.wait(lock, [&] { return queue_.size() + (busy_ ? 1 : 0) < buffers_.size(); });
    if (error_) ZipThrow(error_, shown_);
  }
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
      if (queue_.empty()) return;
      Item item = queue_.front();
      queue_.pop_front();
      busy_ = true;
      bool failed = error_ != 0;
      lock.unlock();
      int err = 0;
      if (!failed) {
        try {
          const char* block = buffers_[item.buffer]->data();
          crc_ = static_cast<std::uint32_t>(crc32(crc_, reinterpret_cast<const Bytef*>(block), item.size));
          WriteAll(fd_, block, item.size, shown_);
        } catch (const CZipException& e) {
          err = e.m_iCause;
        }
      }
      lock.lock();
      busy_ = false;
      if (err && !error_) error_ = err;
      done_.notify_all();
    }
  }
  int fd_;
  std::string shown_;
  bool async_;
  std::uint32_t piece_;
  std::vector<CZipAutoBuffer> own_;
  std::vector<CZipAutoBuffer*> buffers_;
  std::size_t current_ = 0;
  std::uint32_t fill_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::deque<Item> queue_;
  bool busy_ = false, stop_ = false;
  int error_ = 0;
  std::uint32_t crc_ = 0;
};

mode_t ExtractedMode(std::uint32_t attr, bool folder, unsigned umask) {
  mode_t mode = (attr >> 16) & 0777;
  if ((attr >> 16) == 0) mode = (attr & 0x01) ? 0444 : 0666;
  mode &= ~static_cast<mode_t>(umask);
  return mode | (folder ? 0700 : 0600);
}

// Unnamed files are given their names through /proc; without it they cannot be used.
bool UnnamedFilesLinkable() {
  static const bool linkable = ::access("/proc/self/fd", X_OK) == 0;
  return linkable;
}

}  // namespace

bool CZipArchive::IsSafeRelativeName(const std::string& name, bool fullPath) const {
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  if (fullPath) {
    if (ZipIsSeparator(name[0])) return false;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) return false;
  }
  std::vector<std::string> parts = SplitComponents(name);
  if (parts.empty()) return false;
  for (const std::string& p : parts)
    if (p == "." || p == "..") return false;
  return true;
}

std::string CZipArchive::GetExtractPath(const std::string& nameInZip, const std::string& folder, bool fullPath,
                                        const char* newName) const {
  std::string dir = ZipRemoveTrailingSeparators(folder);
  if (!folder.empty()) dir += '/';
  std::string name = ZipRemoveTrailingSeparators(newName ? std::string(newName) : nameInZip);
  if (name.empty()) return dir;
  std::string rel;
  if (fullPath) {
    CZipPathComponent pc(name);
    rel = pc.GetNoDrive();
  } else {
    rel = StripRootPath(name);
  }
  for (char& c : rel)
    if (c == '\\') c = '/';
  return dir + rel;
}

int CZipArchive::ExtractFolderFd(const std::string& folder, const std::vector<std::string>& parts, std::size_t count,
                                 const std::string& shownPath) {
  std::string key = folder;
  for (std::size_t i = 0; i < count; ++i) (key += '/') += parts[i];
  if (m_extractFolder.fd >= 0 && key == m_extractFolder.key) {
    // A folder removed since (the user emptied the destination) is made again.
    struct stat st;
    if (::fstat(m_extractFolder.fd, &st) == 0 && st.st_nlink > 0) return m_extractFolder.fd;
  }
  ForgetExtractFolder();
  m_extractFolder.fd = OpenTargetFolder(folder, parts, count, shownPath);
  m_extractFolder.key = std::move(key);
  return m_extractFolder.fd;
}

void CZipArchive::ForgetExtractFolder() {
  if (m_extractFolder.fd >= 0) ::close(m_extractFolder.fd);
  m_extractFolder.fd = -1;
  m_extractFolder.key.clear();
}

bool CZipArchive::ExtractFile(std::uint16_t index, const std::string& folder, bool fullPath, const char* newName,
                              std::uint32_t bufferSize) {
  if (IsClosed() || !m_centralDir.IsValidIndex(index) || m_iFileOpened || bufferSize == 0) return false;
  CZipFileHeader header;
  GetFileInfo(header, index);
  const std::string dest = GetExtractPath(header.GetFileName(), folder, fullPath, newName);

  // What lands on disk is checked first: no name may leave the destination folder.
  std::string name = ZipRemoveTrailingSeparators(newName ? std::string(newName) : header.GetFileName());
  std::string rel = fullPath ? name : StripRootPath(name);
  if (name.find('\0') != std::string::npos || !IsSafeRelativeName(rel, fullPath))
    ZipThrow(CZipException::unsafeName, name);
  std::vector<std::string> parts = SplitComponents(rel);

  CZipActionCallback* cb = GetCallback(CZipActionCallback::cbExtract);
  if (cb) cb->Init(header.GetFileName(), dest);

  if (header.IsDirectory()) {
    if (cb) cb->SetTotal(0);
    FdCloser parent{OpenTargetFolder(folder, parts, parts.size() - 1, dest)};
    FdCloser self{OpenChildFolder(parent.fd, parts.back(), true, dest)};
    ::fchmod(self.fd, ExtractedMode(header.GetSystemAttr(), true, Umask()));  // a failure is not fatal
    if (cb) cb->CallbackEnd();
    return true;
  }

  if (cb) cb->SetTotal(header.m_uUncomprSize);
  if (!StartReadingEntry(index)) return false;

  int dirFd = -1;
  int out = -1;
  std::string temp;
  auto discard = [&] {
    if (out >= 0) ::close(out);
    out = -1;
    if (!temp.empty() && dirFd >= 0) ::unlinkat(dirFd, temp.c_str(), 0);
    temp.clear();
  };
  int abortCode = 0;
  int result = 0;
  try {
    dirFd = ExtractFolderFd(folder, parts, parts.size() - 1, dest);
    // The entry is written into a file with no name (or, where the file system has none of
    // those or a file is replaced, under a temporary name) and takes its own only when
    // complete, so a failed or interrupted extraction leaves neither a partial file nor a
    // damaged previous one. A name that did not exist is taken without replacing anything
    // that appeared since.
    const std::string& leaf = parts.back();
    struct stat st;
    const bool existed = ::fstatat(dirFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!existed && errno != ENOENT) ZipThrowErrno(dest);
    // Created with its final permissions when the umask lets them through, saving a call.
    const mode_t mode = ExtractedMode(header.GetSystemAttr(), false, Umask());
    const bool modeAtCreation = (mode & Umask()) == 0;
    const mode_t createMode = modeAtCreation ? mode : 0600;
    if (!existed && UnnamedFilesLinkable()) {
      out = ::openat(dirFd, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, createMode);
      if (out < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) ZipThrowErrno(dest);
    }
    for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
      temp = platform::NewTemporaryLeaf(platform::Directory(dest), "." + leaf, ".part");
      out = ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode);
      if (out < 0 && errno != EEXIST) {
        temp.clear();
        ZipThrowErrno(dest);
      }
    }
    if (out < 0) {
      temp.clear();
      ZipThrowErrno(dest, EEXIST);
    }
    {
      const bool large = header.m_uUncomprSize >= (8u << 20);
      PieceWriter writer(out, bufferSize, large, dest, m_extractBuffer);
      // For a large entry the checksum is taken on the writing thread, beside the write.
      m_info.crcOnWriter = large;
      abortCode = ReadPieces(bufferSize, cb, [&] { return writer.Buffer(); }, [&](std::uint32_t n) { writer.Commit(n); });
      writer.Finish();
      if (large) m_info.crc = writer.Crc();
      m_info.crcOnWriter = false;
    }
    result = FinishReadingEntry(nullptr, false);
    if (abortCode == CZipException::abortedSafely && result != 1) abortCode = CZipException::abortedAction;
    if (result == 1 && abortCode != CZipException::abortedAction) {
      std::time_t t = header.GetTime();
      struct timespec ts[2];
      ts[0].tv_sec = 0;
      ts[0].tv_nsec = UTIME_NOW;
      ts[1].tv_sec = t;
      ts[1].tv_nsec = 0;
      if ((!modeAtCreation && ::fchmod(out, mode) != 0) || ::futimens(out, ts) != 0) result = -2;
      if (temp.empty()) {
        // The unnamed file is linked under its name; an existing name is refused by the link.
        const std::string self = "/proc/self/fd/" + std::to_string(out);
        if (::linkat(AT_FDCWD, self.c_str(), dirFd, leaf.c_str(), AT_SYMLINK_FOLLOW) != 0) ZipThrowErrno(dest);
        const int closed = ::close(out);
        out = -1;
        if (closed != 0) {
          ::unlinkat(dirFd, leaf.c_str(), 0);
          ZipThrowErrno(dest);
        }
        if (cb) cb->CallbackEnd();
        if (abortCode) ZipThrow(abortCode, dest);
        return true;
      }
      if (::close(out) != 0) {
        out = -1;
        ZipThrowErrno(dest);
      }
      out = -1;
      int moved = existed ? -1 : ::renameat2(dirFd, temp.c_str(), dirFd, leaf.c_str(), RENAME_NOREPLACE);
      if (moved != 0 && (existed || errno == EINVAL))  // EINVAL: the file system cannot refuse
        moved = ::renameat(dirFd, temp.c_str(), dirFd, leaf.c_str());
      if (moved != 0) ZipThrowErrno(dest);
      temp.clear();
    } else {
      discard();
    }
  } catch (...) {
    discard();
    if (m_iFileOpened == -1) FinishReadingEntry(nullptr, true);
    throw;
  }
  if (cb) cb->CallbackEnd();
  if (abortCode) ZipThrow(abortCode, dest);
  return result == 1;
}

bool CZipArchive::ExtractToMemory(std::uint16_t index, CZipMemFile& out, std::uint32_t bufferSize) {
  if (IsClosed() || !m_centralDir.IsValidIndex(index) || m_iFileOpened || bufferSize == 0) return false;
  CZipFileHeader* h = m_centralDir[index];
  CZipActionCallback* cb = GetCallback(CZipActionCallback::cbExtract);
  if (cb) {
    cb->Init(h->GetFileName(), "");
    cb->SetTotal(h->IsDirectory() ? 0 : h->m_uUncomprSize);
  }
  if (h->IsDirectory()) {
    if (cb) cb->CallbackEnd();
    return true;
  }
  if (!StartReadingEntry(index)) return false;
  int abortCode = 0;
  int result;
  try {
    CZipAutoBuffer buf(bufferSize);
    out.SeekToEnd();
    abortCode = ReadPieces(bufferSize, cb, [&] { return buf.data(); }, [&](std::uint32_t n) { out.Write(buf.data(), n); });
    result = FinishReadingEntry(nullptr, false);
  } catch (...) {
    if (m_iFileOpened == -1) FinishReadingEntry(nullptr, true);
    throw;
  }
  if (abortCode == CZipException::abortedSafely && result != 1) abortCode = CZipException::abortedAction;
  if (cb) cb->CallbackEnd();
  if (abortCode) ZipThrow(abortCode);
  return result == 1;
}

int CZipArchive::ReadPieces(std::uint32_t pieceSize, CZipActionCallback* cb, const std::function<char*()>& buffer,
                            const std::function<void(std::uint32_t)>& take) {
  for (;;) {
    std::uint32_t n = ReadEntryData(buffer(), pieceSize);
    if (n) {
      take(n);
      // Stopped with data left the work is incomplete; stopped on the last piece it is whole.
      if (cb && !cb->RequestCallback(n))
        return (n == pieceSize && m_info.uncomprLeft > 0) ? CZipException::abortedAction : CZipException::abortedSafely;
    }
    if (n < pieceSize) return 0;
  }
}

// ---- finding --------------------------------------------------------------------------

int CZipArchive::FindFile(const std::string& name, int caseMode, bool nameOnly) {
  if (IsClosed()) return -1;
  bool cs, sporadic = true;
  if (caseMode == ffCaseSens)
    cs = true;
  else if (caseMode == ffNoCaseSens)
    cs = false;
  else {
    cs = m_bCaseSensitive;
    sporadic = false;
  }
  return m_centralDir.FindFile(nameOnly ? name : NormalizeEntryName(name), cs, sporadic, nameOnly);
}

bool CZipArchive::GetFileInfo(CZipFileHeader& out, std::uint16_t index) const {
  if (IsClosed() || !m_centralDir.IsValidIndex(index)) return false;
  out = *m_centralDir[index];
  return true;
}

void CZipArchive::FindMatches(const std::string& pattern, CZipWordArray& indexes, bool fullPath) {
  if (IsClosed()) return;
  CWildcard wc(pattern, m_bCaseSensitive);
  for (std::size_t i = 0; i < m_centralDir.GetCount(); ++i) {
    std::string name = m_centralDir[i]->GetFileName();
    if (!fullPath) name = CZipPathComponent(ZipRemoveTrailingSeparators(name)).GetFileName();
    if (wc.IsMatch(name)) indexes.push_back(static_cast<std::uint16_t>(i));
  }
}

void CZipArchive::EnableFindFast(bool enable) {
  if (IsClosed()) return;
  m_centralDir.EnableFindFast(enable, m_bCaseSensitive);
}

void CZipArchive::GetIndexes(const std::vector<std::string>& names, CZipWordArray& indexes) {
  if (IsClosed()) return;
  for (const std::string& n : names) {
    int i = FindFile(n, ffDefault, false);
    if (i >= 0) indexes.push_back(static_cast<std::uint16_t>(i));
  }
}

// ---- wildcards ------------------------------------------------------------------------

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

void CZipArchive::CWildcard::SetPattern(const std::string& pattern, bool caseSensitive) {
  m_bCaseSensitive = caseSensitive;
  m_szPattern = caseSensitive ? pattern : Lower(pattern);
}

bool CZipArchive::CWildcard::IsMatch(const std::string& text, int* result) const {
  std::string t = m_bCaseSensitive ? text : Lower(text);
  int r = Match(m_szPattern.c_str(), t.c_str());
  if (result) *result = r;
  return r == matchValid;
}

bool CZipArchive::CWildcard::IsPattern(const std::string& text) {
  return text.find_first_of("*?[\\") != std::string::npos;
}

bool CZipArchive::CWildcard::IsPatternValid(const std::string& text, int* result) {
  auto set = [&](int r) {
    if (result) *result = r;
    return r == patternValid;
  };
  const char* p = text.c_str();
  while (*p) {
    if (*p == '\\') {
      if (!p[1]) return set(patternEsc);
      p += 2;
      continue;
    }
    if (*p == '[') {
      ++p;
      if (*p == ']') return set(patternEmpty);
      if (!*p) return set(patternClose);
      while (*p != ']') {
        if (*p == '\\') {
          ++p;
          if (!*p) return set(patternEsc);
        }
        ++p;
        if (!*p) return set(patternClose);
        if (*p == '-') {
          ++p;
          if (*p == '\\') {
            ++p;
            if (!*p) return set(patternEsc);
          } else if (!*p || *p == ']') {
            return set(patternRange);
          }
          ++p;
          if (!*p) return set(patternClose);
        }
      }
    }
    ++p;
  }
  return set(patternValid);
}

int CZipArchive::CWildcard::MatchAfterStar(const char* p, const char* t) {
  while (*p == '*' || *p == '?') {
    if (*p == '?') {
      if (!*t) return matchAbort;
      ++t;
    }
    ++p;
  }
  if (!*p) return matchValid;
  bool escaped = *p == '\\';
  char c = escaped ? p[1] : *p;
  if (!c) return matchPattern;
  for (;;) {
    if (*t == c || (c == '[' && !escaped)) {
      int r = Match(p, t);
      // A mismatch here only means this position does not fit: the next one may.
      if (r == matchValid || r == matchAbort || r == matchPattern) return r;
    }
    if (!*t) return matchAbort;
    ++t;
  }
}

int CZipArchive::CWildcard::Match(const char* p, const char* t) {
  for (; *p; ++p, ++t) {
    if (!*t) return (p[0] == '*' && p[1] == '\0') ? matchValid : matchAbort;
    switch (*p) {
      case '?':
        break;
      case '*':
        return MatchAfterStar(p, t);
      case '[': {
        ++p;
        bool invert = *p == '!' || *p == '^';
        if (invert) ++p;
        if (*p == ']') return matchPattern;
        bool member = false;
        while (*p != ']') {
          if (*p == '\\') ++p;
          if (!*p) return matchPattern;
          signed char lo = static_cast<signed char>(*p), hi = lo;
          ++p;
          if (*p == '-') {
            ++p;
            if (*p == '\\') {
              ++p;
              if (!*p) return matchPattern;
            } else if (!*p || *p == ']') {
              return matchPattern;
            }
            hi = static_cast<signed char>(*p);
            ++p;
          }
          if (lo > hi) std::swap(lo, hi);
          signed char ch = static_cast<signed char>(*t);
          if (ch >= lo && ch <= hi) member = true;
          if (!*p) return matchPattern;
        }
        if (member == invert) return matchRange;
        break;
      }
      case '\\':
        ++p;
        if (!*p) return matchPattern;
        if (*p != *t) return matchLiteral;
        break;
      default:
        if (*p != *t) return matchLiteral;
        break;
    }
  }
  return *t ? matchEnd : matchValid;
}

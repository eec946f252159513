#include "platform/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <atomic>
#include <mutex>
#include <random>
#include <vector>

#include "platform/folders.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::atomic<pid_t> gPid{0};

// This process's id without a system call each time: saving or extracting many files asks for
// it twice a file. A forked child starts over with its own.
pid_t ThisProcess() {
  static const bool watched = [] {
    ::pthread_atfork(nullptr, nullptr, [] { gPid.store(0, std::memory_order_relaxed); });
    return true;
  }();
  (void)watched;
  pid_t pid = gPid.load(std::memory_order_relaxed);
  if (pid == 0) {
    pid = ::getpid();
    gPid.store(pid, std::memory_order_relaxed);
  }
  return pid;
}

constexpr const char* kMarker = ".pv6tmp-";

// This process's journal: one line per temporary file it ever created, under a flock that
// tells other copies it is still running.
struct Journal {
  std::mutex mutex;
  int fd = -1;
  pid_t owner = 0;
  std::string path;
};

Journal& TheJournal() {
  static Journal* journal = new Journal;  // outlives every static destructor that may save
  return *journal;
}

std::vector<std::string> ReadLines(int fd) {
  std::string text;
  char buf[8192];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(text.substr(start, nl - start));
  return lines;
}

bool RemoveIfTemporary(const std::string& path) {
  struct stat st;
  if (!IsTemporaryName(path) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ::unlink(path.c_str()) == 0;
}

// At a normal exit nothing of ours may stay: a save still under way is abandoned.
void CloseJournalAtExit() {
  Journal& j = TheJournal();
  std::lock_guard lock(j.mutex);
  if (j.fd < 0 || j.owner != ThisProcess()) return;
  for (const std::string& p : ReadLines(j.fd)) RemoveIfTemporary(p);
  ::unlink(j.path.c_str());
  ::close(j.fd);
  j.fd = -1;
}

// Appends a name before the file exists, so that no crash can leave an unrecorded file.
void Record(const std::string& temp) {
  Journal& j = TheJournal();
  std::lock_guard lock(j.mutex);
  if (j.fd < 0 || j.owner != ThisProcess()) {
    const std::string folder = TemporariesJournalFolder();
    MakeFolders(folder);
    const std::string base = Join(folder, std::to_string(ThisProcess()));
    // Locked under a name the cleaner ignores, then renamed, so that no other copy can take a
    // fresh journal for a dead one.
    const std::string fresh = base + ".new";
    int fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(fresh.c_str(), (base + ".lst").c_str()) != 0) {
      ::close(fd);
      return;
    }
    const bool first = j.owner == 0;
    j.fd = fd;
    j.owner = ThisProcess();
    j.path = base + ".lst";
    if (first) std::atexit(CloseJournalAtExit);
  }
  const std::string line = temp + "\n";
  [[maybe_unused]] ssize_t n = ::write(j.fd, line.data(), line.size());
}

}  // namespace

std::string TemporariesJournalFolder() { return Join(CacheFolder(), "temporaries"); }

bool IsTemporaryName(const std::string& path) { return FileName(path).find(kMarker) != std::string::npos; }

std::string ResolveSaveTarget(const std::string& target) {
  std::string current = target;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buf(4096);
    ssize_t n = ::readlink(current.c_str(), buf.data(), buf.size() - 1);
    if (n <= 0) return current;
    std::string next(buf.data(), static_cast<size_t>(n));
    current = next.front() == '/' ? next : Join(Directory(current), next);
  }
  return current;
}

std::string NewTemporaryLeaf(const std::string& folder, const std::string& leaf, const std::string& ext) {
  thread_local std::mt19937 names{std::random_device{}()};
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, "%s%ld-%08x", kMarker, static_cast<long>(ThisProcess()),
                static_cast<unsigned>(names()));
  // Room for the suffix within a file name's 255 bytes.
  std::string name = leaf.substr(0, 200) + suffix + ext;
  // Recorded with an absolute path: the copy that cleans up may run from another folder.
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(folder.empty() ? "." : folder, ec).string();
  Record(Join(ec ? folder : absolute, name));
  return name;
}

bool CreateTempBeside(const std::string& target, const std::string& ext, TempFile& out, int* error) {
  int dummy;
  if (!error) error = &dummy;
  *error = 0;
  out = TempFile{};
  const std::string final = ResolveSaveTarget(target);
  // A private file stays private: the temporary file never has wider permissions than the
  // file it replaces.
  mode_t mode = 0666;
  struct stat st;
  if (::stat(final.c_str(), &st) == 0) mode = st.st_mode & 0777;
  const std::string folder = Directory(final);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = Join(folder, NewTemporaryLeaf(folder, FileName(final), ext));
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      *error = errno;
      return false;
    }
    out.path = candidate;
    out.final = final;
    out.fd = fd;
    return true;
  }
  *error = EEXIST;
  return false;
}

bool CloseTempFd(TempFile& t, int* error) {
  if (t.fd < 0) return true;
  const int fd = t.fd;
  t.fd = -1;
  if (::close(fd) != 0) {
    if (error) *error = errno;
    return false;
  }
  return true;
}

bool CommitTemp(TempFile& t, int* error) {
  int dummy;
  if (!error) error = &dummy;
  *error = 0;
  if (t.path.empty()) {
    *error = EINVAL;
    return false;
  }
  bool ok = CloseTempFd(t, error);
  struct stat st;
  if (ok && ::stat(t.final.c_str(), &st) == 0) ::chmod(t.path.c_str(), st.st_mode & 07777);
  if (ok && std::rename(t.path.c_str(), t.final.c_str()) != 0) {
    *error = errno;
    ok = false;
  }
  if (!ok) ::unlink(t.path.c_str());
  t.path.clear();
  return ok;
}

void DiscardTemp(TempFile& t) {
  CloseTempFd(t);
  if (!t.path.empty()) ::unlink(t.path.c_str());
  t.path.clear();
}

int RemoveStaleTemporaries() {
  const std::string folder = TemporariesJournalFolder();
  const std::string own = Join(folder, std::to_string(::getpid()) + ".lst");
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  std::vector<std::string> journals;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".lst") == 0) journals.push_back(Join(folder, name));
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string& path : journals) {
    if (path == own) continue;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) continue;
    // A running copy holds its journal's lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;
    }
    for (const std::string& p : ReadLines(fd)) removed += RemoveIfTemporary(p) ? 1 : 0;
    ::unlink(path.c_str());
    ::close(fd);
  }
  return removed;
}

}  // namespace platform

#include "platform/services.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/folders.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::atomic<Shell*> g_shell{nullptr};

RecordingShell& DefaultShell() {
  static RecordingShell s;
  return s;
}

}  // namespace

Shell& CurrentShell() {
  Shell* s = g_shell.load();
  return s ? *s : DefaultShell();
}

void InstallShell(Shell* shell) { g_shell.store(shell); }

bool RecordingShell::OpenUrl(const std::string& url) {
  std::lock_guard lock(mutex_);
  opened_.push_back("url:" + url);
  return result_;
}

bool RecordingShell::OpenFile(const std::string& path) {
  std::lock_guard lock(mutex_);
  opened_.push_back("file:" + path);
  return result_;
}

std::vector<std::string> RecordingShell::Opened() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

void RecordingShell::SetResult(bool ok) {
  std::lock_guard lock(mutex_);
  result_ = ok;
}

std::string SingleInstanceLock::DefaultPath() {
  if (const char* rt = std::getenv("XDG_RUNTIME_DIR"); rt && *rt && IsDirectory(rt))
    return Join(rt, "pyrvane6.lock");
  const char* cache = std::getenv("XDG_CACHE_HOME");
  std::string base = (cache && *cache) ? cache : Join(std::getenv("HOME") ? std::getenv("HOME") : "/tmp", ".cache");
  return Join(Join(base, "pyrvane6"), "pyrvane6.lock");
}

SingleInstanceLock::SingleInstanceLock(const std::string& path) {
  MakeFolders(Directory(path));
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() { Release(); }

void SingleInstanceLock::Release() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

int ProcessorCount() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n > 0) return n;
  }
  unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? static_cast<int>(n) : 1;
}

}  // namespace platform

namespace platform {

std::uint64_t AvailableMemoryBytes() {
  if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kb = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f)) found = std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1;
    std::fclose(f);
    if (found) return static_cast<std::uint64_t>(kb) * 1024u;
  }
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
                                   : UINT64_MAX;
}

bool FitsInMemory(std::uint64_t bytes) { return bytes <= AvailableMemoryBytes() / 2; }

}  // namespace platform

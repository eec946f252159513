#pragma once
// Small operating-system services: opening documents and addresses with the desktop's
// default program, the single-instance lock and the processor count.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Opens help pages and finished reports with the desktop's default program.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual bool OpenUrl(const std::string& url) = 0;
  virtual bool OpenFile(const std::string& path) = 0;
};

// The process-wide shell (a recorder until the GUI installs its own).
Shell& CurrentShell();
void InstallShell(Shell* shell);  // not owned; nullptr restores the default
inline bool ShellOpenUrl(const std::string& url) { return CurrentShell().OpenUrl(url); }
inline bool ShellOpenFile(const std::string& path) { return CurrentShell().OpenFile(path); }

// Records what would have been opened; answers with a fixed result. Thread-safe.
class RecordingShell : public Shell {
 public:
  bool OpenUrl(const std::string& url) override;
  bool OpenFile(const std::string& path) override;
  std::vector<std::string> Opened() const;  // "url:<address>" or "file:<path>"
  void SetResult(bool ok);

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> opened_;
  bool result_ = true;
};

class ScopedRecordingShell : public RecordingShell {
 public:
  ScopedRecordingShell() { InstallShell(this); }
  ~ScopedRecordingShell() override { InstallShell(nullptr); }
};

// Marks the first running copy of the program: an exclusive lock on a file in the user's
// runtime folder (or the cache folder). The lock goes with the process, so a copy that
// crashed leaves no stale marker behind.
class SingleInstanceLock {
 public:
  // Default lock file: $XDG_RUNTIME_DIR/pyrvane6.lock, else $XDG_CACHE_HOME/pyrvane6/pyrvane6.lock.
  static std::string DefaultPath();

  explicit SingleInstanceLock(const std::string& path = DefaultPath());
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // True when this object took the lock (no other copy holds it).
  bool IsFirst() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

// Processors this process may run on (at least 1).
int ProcessorCount();

// Memory the system can give now without swapping (MemAvailable), or all of it when unknown.
std::uint64_t AvailableMemoryBytes();
// True when a block of this size leaves at least as much again for everything else: a few
// header bytes of a raster can claim any size, and a grid that will not fit must be refused
// before it is allocated, not after the kernel has given up.
bool FitsInMemory(std::uint64_t bytes);

}  // namespace platform

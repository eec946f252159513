#include "platform/folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/paths.h"

namespace platform {
namespace {

std::mutex g_mutex;
std::string g_working;

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return (v && *v) ? std::string(v) : fallback;
}

std::string Home() { return EnvOr("HOME", "/tmp"); }

}  // namespace

std::string ProgramFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  buf[n] = 0;
  return Directory(buf);
}

std::string DataFolder() {
  if (const char* v = std::getenv("PYRVANE_DATA_DIR"); v && *v) return v;
  std::string prog = ProgramFolder();
  std::string installed = Join(Directory(prog), "share/pyrvane6");
  if (IsDirectory(installed)) return installed;
  std::string build = Join(prog, "data");
  if (IsDirectory(build)) return build;
  return Join(Directory(prog), "data");
}

std::string ConfigFolder() {
  std::string base = EnvOr("XDG_CONFIG_HOME", Join(Home(), ".config"));
  return Join(base, "pyrvane6");
}

std::string CacheFolder() { return Join(EnvOr("XDG_CACHE_HOME", Join(Home(), ".cache")), "pyrvane6"); }

std::string WorkingFolder() {
  std::lock_guard lock(g_mutex);
  if (g_working.empty()) g_working = CacheFolder();
  return g_working;
}

void SetWorkingFolder(const std::string& folder) {
  std::lock_guard lock(g_mutex);
  g_working = folder;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty() || IsDirectory(folder)) return true;
  std::string parent = Directory(folder);
  if (!parent.empty() && parent != folder && !MakeFolders(parent)) return false;
  return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string ReserveScratchFile(const std::string& ext) {
  std::string folder = WorkingFolder();
  MakeFolders(folder);
  for (long n = 1; n < 100000000; ++n) {
    std::string name = Join(folder, std::to_string(n) + ext);
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

std::string FirstFreeNumberedName(const std::string& folder, const std::string& ext) {
  for (long n = 1;; ++n) {
    std::string name = Join(folder, std::to_string(n) + ext);
    if (!FileExists(name)) return name;
  }
}

}  // namespace platform

// Every test process gets folders of its own for scratch files, preferences, temporary files and
// the first-copy lock, so tests running side by side never see each other's files and never
// touch the user's own settings.
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

struct IsolatedFolders {
  std::string root;
  IsolatedFolders() {
    char tmpl[] = "/tmp/pyrvane-test-XXXXXX";
    if (!mkdtemp(tmpl)) return;
    root = tmpl;
    for (const char* sub : {"cache", "config", "run", "tmp"}) std::filesystem::create_directory(root + "/" + sub);
    setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    // Test folders under the temporary folder get fixed names: runs of the suite side by side
    // must not share them.
    setenv("TMPDIR", (root + "/tmp").c_str(), 1);
  }
  ~IsolatedFolders() {
    std::error_code ec;
    if (!root.empty()) std::filesystem::remove_all(root, ec);
  }
};

IsolatedFolders g_folders;

}  // namespace

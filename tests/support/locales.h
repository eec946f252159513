// A comma-decimal locale for tests that check text does not follow the process locale.
// Debian images often ship no locales, so one is built with localedef in the process's own
// cache folder (private to each test process) and found through LOCPATH.
#pragma once
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace test_support {

// Sets `category` to a German UTF-8 locale; false when none can be had here.
inline bool UseGermanLocale(int category) {
  if (std::setlocale(category, "de_DE.UTF-8")) return true;
  const char* cache = std::getenv("XDG_CACHE_HOME");
  std::filesystem::path dir = std::filesystem::path(cache ? cache : "/tmp") / "test_locales";
  std::filesystem::create_directories(dir);
  const std::filesystem::path locale = dir / "de_DE.UTF-8";
  if (!std::filesystem::exists(locale)) {
    std::string cmd = "localedef -i de_DE -f UTF-8 '" + locale.string() + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(locale)) return false;
  }
  setenv("LOCPATH", dir.c_str(), 1);
  return std::setlocale(category, "de_DE.UTF-8") != nullptr;
}

}  // namespace test_support

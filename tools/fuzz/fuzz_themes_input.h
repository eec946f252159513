#pragma once
// The fuzz input as a file of a private working folder, which also receives the scratch files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/folders.h"

inline std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const char* name) {
  static const std::string folder = [] {
    char pattern[] = "/tmp/fuzz_themes_XXXXXX";
    std::string dir = ::mkdtemp(pattern);
    platform::SetWorkingFolder(dir);
    return dir;
  }();
  const std::string path = folder + "/" + name;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

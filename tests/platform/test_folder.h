#pragma once
// A fresh, private folder for one test, removed with everything in it at the end.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

class TestFolder {
 public:
  TestFolder() {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "pv_XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TestFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

#pragma once
// Test helpers: scratch folders and GDAL (python3-gdal) as the independent judge.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace landscape_test {

// A fresh folder per test, removed afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("pv_landscape_" + std::to_string(::getpid()) + "_" + std::string(info->test_suite_name()) + "_" +
             info->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

using KeyValues = std::map<std::string, std::string>;

// Runs an oracle script of this folder with the arguments; its key=value lines.
inline KeyValues Oracle(const std::string& args, const std::string& script = "gdal_oracle.py") {
  const std::string cmd = std::string(PV_PYTHON) + " " + PV_SOURCE_DIR "/tests/landscape/" + script + " " + args;
  KeyValues kv;
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return kv;
  char line[8192];
  while (std::fgets(line, sizeof line, p)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    const auto eq = s.find('=');
    if (eq != std::string::npos) kv[s.substr(0, eq)] = s.substr(eq + 1);
  }
  EXPECT_EQ(::pclose(p), 0) << cmd;
  return kv;
}

// The cells the oracle saved beside a file: bands x rows x columns.
inline std::vector<std::int16_t> OracleCells(const std::string& path) {
  std::ifstream in(path + ".cells", std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::int16_t> cells(bytes.size() / 2);
  for (std::size_t i = 0; i < cells.size(); ++i)
    cells[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return cells;
}

inline std::vector<double> Numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<double> v;
  double d;
  while (in >> d) v.push_back(d);
  return v;
}

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace landscape_test

#pragma once
// Shared fixture of the theme tests: a private working folder for scratch files and a
// runner for the GDAL and numpy oracles.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "themes/theme.h"

namespace themes_test {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pv_themes_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    previous_ = platform::WorkingFolder();
    platform::SetWorkingFolder(dir_);
  }
  void TearDown() override {
    platform::SetWorkingFolder(previous_);
    std::filesystem::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // Files of the working folder with the extension, e.g. ".pvb".
  int CountFiles(const std::string& ext) const {
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(dir_))
      if (e.path().extension() == ext) ++n;
    return n;
  }
  std::string dir_, previous_;
};

// Runs a shell command and returns its standard output; fails the test on a non-zero exit.
inline std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int rc = ::pclose(p);
  EXPECT_EQ(rc, 0) << command << "\n" << out;
  return out;
}

// Runs a Python script (numpy and GDAL available) and returns what it prints.
inline std::string Python(const std::string& script, const std::string& folder) {
  const std::string file = folder + "/oracle.py";
  std::ofstream(file) << script;
  return RunCommand(std::string(PV_PYTHON) + " " + file + " 2>&1");
}

inline std::vector<double> ParseNumbers(const std::string& text) {
  std::vector<double> v;
  const char* p = text.c_str();
  char* end;
  for (;;) {
    double d = std::strtod(p, &end);
    if (end == p) {
      if (!*p) break;
      ++p;
      continue;
    }
    v.push_back(d);
    p = end;
  }
  return v;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A scratch-backed theme of the given cells, row-major, north row first.
inline std::unique_ptr<CTheme> MakeTheme(int rows, int columns, const std::vector<float>& cells,
                                         int layerType = 10, int units = 0, double cell = 30,
                                         double west = 1000, double south = 2000) {
  auto t = std::make_unique<CTheme>();
  EXPECT_EQ(t->CreateFromFloats("grid", south, west, cell, cell, rows, columns, kNoData,
                                cells.data(), units, layerType),
            1);
  return t;
}

}  // namespace themes_test

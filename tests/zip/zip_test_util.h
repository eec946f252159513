#pragma once
// Shared helpers of the archive tests: a scratch folder, file helpers and the independent
// zip tools used as judges.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "zip/zip_archive.h"

namespace ziptest {

namespace fs = std::filesystem;

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RandomBytes(std::size_t n, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

// Compressible text-like data.
inline std::string TextBytes(std::size_t n, unsigned seed = 2) {
  static const char* words[] = {"fuel ", "slope ", "aspect ", "canopy ", "ember ", "1234 ", "\n"};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) s += words[rng() % 7];
  s.resize(n);
  return s;
}

struct ShellResult {
  int status = -1;
  std::string out;
};

// Runs a shell command, capturing stdout and stderr.
inline ShellResult Shell(const std::string& cmd) {
  ShellResult r;
  FILE* p = ::popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = ::pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

inline bool HaveTool(const std::string& tool) { return Shell("command -v " + tool).status == 0; }

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

#define ZIPTEST_NEED(tool) \
  if (!::ziptest::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed"

// A fresh scratch folder per test.
class ZipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = (fs::temp_directory_path() / ("pvzip_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                                         std::to_string(::getpid())))
               .string();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }
  std::string P(const std::string& rel) const { return dir_ + "/" + rel; }
  std::string Src(const std::string& rel, const std::string& bytes) {
    WriteFile(P(rel), bytes);
    return P(rel);
  }
  // Extracts every entry into a folder and returns the entry names in order.
  std::vector<std::string> ExtractAll(const std::string& archive, const std::string& to) {
    CZipArchive zip;
    zip.Open(archive, CZipArchive::zipOpenReadOnly);
    std::vector<std::string> names;
    for (int i = 0; i < zip.GetCount(); ++i) {
      CZipFileHeader h;
      zip.GetFileInfo(h, static_cast<std::uint16_t>(i));
      names.push_back(h.GetFileName());
      EXPECT_TRUE(zip.ExtractFile(static_cast<std::uint16_t>(i), to, true)) << h.GetFileName();
    }
    zip.Close();
    return names;
  }
  std::string dir_;
};

// Expects the archive to pass the tools that are installed.
inline void ExpectToolsAccept(const std::string& archive, bool all = true) {
  if (HaveTool("unzip")) {
    ShellResult r = Shell("unzip -t " + Quote(archive));
    EXPECT_EQ(r.status, 0) << r.out;
  }
  if (!all) return;
  ShellResult py = Shell(std::string(PV_PYTHON) + " -m zipfile -t " + Quote(archive));
  EXPECT_EQ(py.status, 0) << py.out;
  EXPECT_EQ(py.out.find("Traceback"), std::string::npos) << py.out;
  if (HaveTool("7z")) {
    ShellResult r = Shell("7z t " + Quote(archive));
    EXPECT_EQ(r.status, 0) << r.out;
  }
}

template <class F>
int CodeOf(F&& f) {
  try {
    f();
  } catch (const CZipException& e) {
    return e.m_iCause;
  }
  return 0;
}

}  // namespace ziptest

// Every writer, killed at any moment or stopped by a full disk, leaves the old file or the new
// complete one, says when it failed, and a later start removes what a crash left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/folders.h"
#include "platform/temp_files.h"
#include "zip/zip_archive.h"


namespace fs = std::filesystem;

namespace {

const std::string kProbe = std::string(PV_BINARY_DIR) + "/tests/write_probe";

struct Folder {
  fs::path path;
  Folder() {
    path = fs::path(platform::CacheFolder()) / ("writes-" + std::to_string(::getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

// The probe, started once per writer: each request forks a writer it reports on.
class Probe {
 public:
  explicit Probe(const std::string& kind) {
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::close(in[1]);
      ::close(out[0]);
      ::execl(kProbe.c_str(), kProbe.c_str(), kind.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    requests_ = ::fdopen(in[1], "w");
    answers_ = ::fdopen(out[0], "r");
  }
  ~Probe() {
    if (requests_) std::fclose(requests_);
    if (answers_) std::fclose(answers_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  // Starts a write; returns the writer's process id.
  pid_t Start(const std::string& target, int generation, long sizeLimit = 0) {
    std::fprintf(requests_, "%s %d %ld\n", target.c_str(), generation, sizeLimit);
    std::fflush(requests_);
    long pid = -1;
    return std::fscanf(answers_, " pid %ld", &pid) == 1 ? static_cast<pid_t>(pid) : -1;
  }
  // The writer's exit code, or minus the signal that ended it.
  int Finish() {
    int code = -1000;
    return std::fscanf(answers_, " exit %d", &code) == 1 ? code : -1000;
  }
  int Run(const std::string& target, int generation, long sizeLimit = 0) {
    return Start(target, generation, sizeLimit) > 0 ? Finish() : -1000;
  }

 private:
  pid_t pid_ = -1;
  std::FILE* requests_ = nullptr;
  std::FILE* answers_ = nullptr;
};

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

std::string Bytes(const fs::path& p) {
  std::string s;
  platform::ReadWholeFile(p.string(), s);
  return s;
}

std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(folder))
    if (platform::IsTemporaryName(e.path().string())) out.push_back(e.path().string());
  return out;
}

void MakeArchive(const fs::path& target, int generation, const std::string& ext = ".zip") {
  const fs::path source = target.parent_path() / "source" / target.filename();
  fs::create_directories(source.parent_path());
  platform::WriteFileAtomically(source.string(), std::string(3 << 20, static_cast<char>('0' + generation)));
  CZipArchive zip;
  zip.Open(target.string() + ext, CZipArchive::zipCreate);
  zip.AddNewFile(source.string(), target.filename().string(), 0);
  zip.Close();
}

struct Writer {
  const char* kind;
  const char* file;
};

const Writer kWriters[] = {
    {"atomic", "plain.bin"}, {"preferences", "Pyrvane6.cfg"}, {"engine", "output.tif"},
    {"theme", "theme.tif"},  {"themefile", "theme.pvt"},      {"lcp", "land.lcp"},
    {"landscape", "land.tif"}, {"extract", "entry.bin"}, {"append", "archive.zip"},
};

std::vector<std::string> Entries(const fs::path& archive) {
  std::vector<std::string> names;
  try {
    CZipArchive zip;
    zip.Open(archive.string(), CZipArchive::zipOpenReadOnly);
    for (int i = 0; i < zip.GetCount(); ++i) {
      CZipFileHeader h;
      if (zip.GetFileInfo(h, static_cast<std::uint16_t>(i))) names.push_back(h.GetFileName());
    }
    zip.Close();
  } catch (...) {
  }
  return names;
}

// What the standard tool says of an archive: true when every entry tests good.
bool ToolAccepts(const fs::path& archive) {
  const std::string command = "unzip -tqq '" + archive.string() + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

class WriteSafety : public ::testing::TestWithParam<Writer> {};

TEST_P(WriteSafety, KilledOrFullDiskLeavesOldOrNewAndNoTemporaries) {
  const Writer& w = GetParam();
  Folder folder;
  const fs::path target = folder.path / w.file;
  const fs::path reference = folder.path / "reference" / w.file;
  fs::create_directories(reference.parent_path());
  const bool append = std::string(w.kind) == "append";
  if (std::string(w.kind) == "extract") {
    MakeArchive(reference, 2);
    MakeArchive(target, 2);
  }
  if (append) MakeArchive(reference, 1, "");
  Probe probe(w.kind);
  // The complete new file, written undisturbed elsewhere, and the old one in place.
  ASSERT_EQ(probe.Run(reference.string(), 2), 0);
  const std::string fresh = Bytes(reference);
  ASSERT_FALSE(fresh.empty());
  // An append's old file is the archive it adds to.
  if (append) MakeArchive(target, 1, "");
  else platform::WriteFileAtomically(target.string(), "old contents");
  const std::string old = Bytes(target);
  if (append) ASSERT_TRUE(ToolAccepts(reference));

  // A full disk, half-way through the file: the writer says it failed and the old file stays.
  EXPECT_EQ(probe.Run(target.string(), 2, static_cast<long>(fresh.size() / 2)), 1) << w.kind;
  EXPECT_EQ(Bytes(target), old) << w.kind;

  // Killed at random moments of the write.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(probe.Run(reference.string(), 2), 0);
  const auto span = std::chrono::steady_clock::now() - start;
  std::mt19937 random(12345);
  int killedMidway = 0;
  for (int i = 0, kills = append ? 20 : 12; i < kills; ++i) {
    fs::remove(target);
    platform::WriteFileAtomically(target.string(), old);
    const pid_t pid = probe.Start(target.string(), 2);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(span * std::uniform_real_distribution<double>(0.0, 1.0)(random));
    ::kill(pid, SIGKILL);
    killedMidway += probe.Finish() == -SIGKILL;
    const std::string now = Bytes(target);
    if (append) {
      // The old archive, or the old one with the new entry: the standard tool accepts either.
      const std::vector<std::string> both{"archive.zip", "added.bin"};
      EXPECT_TRUE(now == old || Entries(target) == both) << "after kill " << i;
      EXPECT_TRUE(ToolAccepts(target)) << "after kill " << i;
    } else {
      EXPECT_TRUE(now == old || now == fresh) << w.kind << " after kill " << i << ": " << now.size() << " bytes";
    }
    // What the killed copy left is gone at the next start.
    platform::RemoveStaleTemporaries();
    EXPECT_TRUE(Temporaries(folder.path).empty()) << w.kind;
  }
  EXPECT_GT(killedMidway, 0) << w.kind;
}

INSTANTIATE_TEST_SUITE_P(Writers, WriteSafety, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.kind); });

mode_t Mode(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

TEST(TemporaryFiles, PrivateFileNeverWidensAndLinksUpdateTheirTarget) {
  Folder folder;
  const std::string secret = (folder.path / "secret.cfg").string();
  platform::WriteFileAtomically(secret, "a");
  ::chmod(secret.c_str(), 0600);
  platform::AtomicFile f(secret);
  ASSERT_TRUE(f.Open());
  EXPECT_EQ(Mode(f.TempPath()), 0600u);
  ASSERT_TRUE(f.Write(std::string("b")) && f.Commit());
  EXPECT_EQ(Mode(secret), 0600u);

  // Saving through a link (a relative one, in another folder) replaces the file behind it.
  fs::create_directories(folder.path / "links");
  const fs::path link = folder.path / "links" / "link.cfg";
  fs::create_symlink("../secret.cfg", link);
  ASSERT_TRUE(platform::WriteFileAtomically(link.string(), "through the link"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Bytes(secret), "through the link");
  EXPECT_EQ(Mode(secret), 0600u);
}

TEST(TemporaryFiles, OnlyTheTemporariesOfStoppedCopiesAreRemoved) {
  Folder folder;
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  // A copy still running keeps its temporary file; one that died loses it.
  auto child = [&](const std::string& name, bool wait) {
    pid_t pid = ::fork();
    if (pid == 0) {
      platform::TempFile t;
      platform::CreateTempBeside((folder.path / name).string(), "", t);
      char c = 1;
      [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
      if (wait) n = ::read(release[0], &c, 1);
      ::_exit(0);  // no clean-up at exit: as if killed
    }
    char c;
    [[maybe_unused]] ssize_t n = ::read(ready[0], &c, 1);
    return pid;
  };
  const pid_t dead = child("dead.txt", false);
  Wait(dead);
  const pid_t alive = child("alive.txt", true);
  ASSERT_EQ(Temporaries(folder.path).size(), 2u);
  EXPECT_EQ(platform::RemoveStaleTemporaries(), 1);
  auto left = Temporaries(folder.path);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(left[0].find("alive.txt"), std::string::npos);
  char c = 1;
  [[maybe_unused]] ssize_t n = ::write(release[1], &c, 1);
  Wait(alive);
  EXPECT_EQ(platform::RemoveStaleTemporaries(), 1);
  EXPECT_TRUE(Temporaries(folder.path).empty());
}

}  // namespace

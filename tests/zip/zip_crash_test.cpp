// An append killed at any point (SIGKILL, nothing flushed or cleaned up) leaves an archive the
// standard tools accept with every entry it had before.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "zip_test_util.h"

namespace ziptest {
namespace {

// Kills its own process at the n-th progress report of the append.
class KillAt : public CZipActionCallback {
 public:
  explicit KillAt(long long n) : n_(n) {}
  bool Callback(std::uint64_t) override {
    if (++calls == n_) ::kill(::getpid(), SIGKILL);
    return true;
  }
  long long calls = 0;

 private:
  long long n_;
};

class ZipCrash : public ZipTest {
 protected:
  // Appends three files with a callback that kills at report n; returns the reports made.
  long long Append(long long n) {
    CZipArchive zip;
    zip.Open(P("a.zip"), CZipArchive::zipOpen);
    KillAt cb(n);
    zip.SetCallback(&cb);
    for (int i = 0; i < 3; ++i) zip.AddNewFile(P("new" + std::to_string(i)), "new" + std::to_string(i), -1, 7, 16384);
    zip.Close();
    if (cb.calls + 1 == n) ::kill(::getpid(), SIGKILL);  // after the archive has been closed
    return cb.calls;
  }
};

TEST_F(ZipCrash, KilledAppendsLeaveEveryEarlierEntry) {
  ZIPTEST_NEED("unzip");
  {
    CZipArchive zip;
    zip.Open(P("a.zip"), CZipArchive::zipCreate);
    for (int i = 0; i < 4; ++i)
      ASSERT_TRUE(zip.AddNewFile(Src("old" + std::to_string(i), TextBytes(40000, i)), "old" + std::to_string(i)));
    zip.Close();
  }
  for (int i = 0; i < 3; ++i) Src("new" + std::to_string(i), i == 1 ? RandomBytes(300000, 7) : TextBytes(200000, 9 + i));
  const std::string before = ReadFile(P("a.zip"));

  // A dry run on a copy counts the reports; then twenty kills at points spread over them,
  // the last one after Close.
  const long long total = Append(0);
  ASSERT_GT(total, 20);
  std::mt19937 random(26);
  std::vector<long long> points;
  for (int i = 0; i < 19; ++i) points.push_back(1 + static_cast<long long>(random() % static_cast<unsigned>(total)));
  points.push_back(total + 1);
  for (long long point : points) {
    SCOPED_TRACE(point);
    WriteFile(P("a.zip"), before);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(60);
      Append(point);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    const ShellResult test = Shell("unzip -t " + Quote(P("a.zip")));
    EXPECT_EQ(test.status, 0) << test.out;
    const ShellResult list = Shell("zipinfo -1 " + Quote(P("a.zip")));
    const bool complete = point > total;
    EXPECT_EQ(list.out, complete ? "old0\nold1\nold2\nold3\nnew0\nnew1\nnew2\n" : "old0\nold1\nold2\nold3\n");
    if (!complete) EXPECT_EQ(ReadFile(P("a.zip")), before);
  }
}

}  // namespace
}  // namespace ziptest

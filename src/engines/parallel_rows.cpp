#include "engines/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <unistd.h>

namespace engines {

namespace {
int FreeProcessorsNow();
}

void ForEachRow(int count, int threads, const std::function<void(int)>& body) {
  if (count <= 0) return;
  threads = std::clamp(threads, 1, count);
  if (threads > 1) threads = std::min(threads, FreeProcessorsNow());
  std::atomic<int> next{0};
  auto work = [&] {
    for (int r = next.fetch_add(1, std::memory_order_relaxed); r < count;
         r = next.fetch_add(1, std::memory_order_relaxed))
      body(r);
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(threads - 1));
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

namespace {

// One loop. Helpers hold it by shared pointer: one that wakes after the loop ended finds no
// task left and lets go, without the caller having waited for it.
struct Loop {
  int count = 0;
  int helpers = 0;  // helpers asked to join
  const std::function<void(int)>* body = nullptr;
  std::atomic<int> next{0};
  std::atomic<int> done{0};
  std::atomic<int> joined{0};
};

// How many processors the rest of the machine leaves free, from the time all processors spent
// busy less the time this process spent, over the last tenth of a second or more. A helper
// started on a processor that another program holds gets its turn only after that program's
// time slice, and a loop waits for its slowest task: on a busy machine fewer helpers finish
// sooner.
class FreeProcessors {
 public:
  int Now() {
    const auto now = std::chrono::steady_clock::now();
    if (known_ && now - last_ < std::chrono::milliseconds(100)) return free_;
    long long busy = 0, all = 0, self = 0;
    if (!ReadMachine(busy, all) || !ReadSelf(self)) return free_;
    if (known_ && all > all_) {
      // /proc/stat counts ticks summed over processors.
      const double processors = static_cast<double>(processors_);
      const double otherShare = static_cast<double>((busy - busy_) - (self - self_)) / static_cast<double>(all - all_);
      free_ = static_cast<int>(std::lround(processors * (1.0 - std::clamp(otherShare, 0.0, 1.0))));
      free_ = std::max(1, free_);
    }
    known_ = true;
    last_ = now;
    busy_ = busy, all_ = all, self_ = self;
    return free_;
  }

 private:
  static bool ReadMachine(long long& busy, long long& all) {
    FILE* f = std::fopen("/proc/stat", "r");
    if (!f) return false;
    long long v[8] = {};
    const int got = std::fscanf(f, "cpu %lld %lld %lld %lld %lld %lld %lld %lld", &v[0], &v[1], &v[2], &v[3], &v[4],
                                &v[5], &v[6], &v[7]);
    std::fclose(f);
    if (got < 4) return false;
    all = 0;
    for (long long x : v) all += x;
    busy = all - v[3] - v[4];  // less idle and waiting for the disk
    return true;
  }
  static bool ReadSelf(long long& ticks) {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return false;
    char buf[1024];
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    // The command name may hold spaces; the fields after it are fixed.
    const char* p = std::strrchr(buf, ')');
    unsigned long long utime = 0, stime = 0;
    if (!p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
      return false;
    ticks = static_cast<long long>(utime + stime);
    return true;
  }
  int processors_ = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  int free_ = processors_;
  bool known_ = false;
  std::chrono::steady_clock::time_point last_;
  long long busy_ = 0, all_ = 0, self_ = 0;
};

int FreeProcessorsNow() {
  static std::mutex mutex;
  static FreeProcessors free;
  std::lock_guard lock(mutex);
  return free.Now();
}

class TaskPool {
 public:
  static TaskPool& Get() {
    // Never destroyed: helpers may still be asleep in it when the program ends.
    static TaskPool* pool = new TaskPool;
    return *pool;
  }

  void Run(int count, int threads, const std::function<void(int)>& body) {
    std::unique_lock busy(busy_, std::try_to_lock);
    if (!busy.owns_lock() || threads <= 1 || count <= 1) {
      for (int i = 0; i < count; ++i) body(i);
      return;
    }
    auto loop = std::make_shared<Loop>();
    loop->count = count;
    loop->body = &body;
    loop->helpers = std::min({threads, count, FreeProcessorsNow()}) - 1;
    if (loop->helpers <= 0) {
      for (int i = 0; i < count; ++i) body(i);
      return;
    }
    {
      std::lock_guard lock(mutex_);
      while (static_cast<int>(helpers_.size()) < loop->helpers) helpers_.emplace_back([this] { Serve(); });
      current_ = loop;
      ++generation_;
    }
    wake_.notify_all();
    Work(*loop);
    // Only tasks already taken are waited for.
    for (int spins = 0; loop->done.load(std::memory_order_acquire) < count; ++spins) {
      if (spins < 64)
        CpuRelax();
      else
        std::this_thread::yield();
    }
    std::lock_guard lock(mutex_);
    if (current_ == loop) current_.reset();
  }

 private:
  static void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
  }

  static void Work(Loop& loop) {
    for (int i = loop.next.fetch_add(1, std::memory_order_relaxed); i < loop.count;
         i = loop.next.fetch_add(1, std::memory_order_relaxed)) {
      (*loop.body)(i);
      loop.done.fetch_add(1, std::memory_order_release);
    }
  }

  void Serve() {
    std::uint64_t seen = 0;
    for (;;) {
      std::shared_ptr<Loop> loop;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return generation_ != seen; });
        seen = generation_;
        loop = current_;
      }
      // Only as many helpers as the loop asked for take part.
      if (loop && loop->joined.fetch_add(1, std::memory_order_relaxed) < loop->helpers) Work(*loop);
    }
  }

  std::mutex busy_;  // one loop at a time; another caller runs its loop itself
  std::mutex mutex_;
  std::condition_variable wake_;
  std::uint64_t generation_ = 0;
  std::shared_ptr<Loop> current_;
  std::vector<std::thread> helpers_;
};

}  // namespace

long RangePieces(long n, int threads) {
  return threads <= 1 || n <= 0 ? 1 : std::clamp<long>(n / 256, 1, 8L * threads);
}

void ForEachTask(int count, int threads, const std::function<void(int)>& body) {
  if (count <= 0) return;
  TaskPool::Get().Run(count, threads, body);
}

}  // namespace engines

// Rows shared out to worker threads that sleep when they have nothing to do. The engine runs
// beside the rest of the desktop: threads spinning at a barrier while the machine is busy cost
// more than the work they wait for.
#pragma once

#include <functional>

namespace engines {

// Calls body(r) once for every r in [0, count), on up to `threads` threads (the caller's
// included), each taking the next row as it finishes one. Returns when every row is done.
void ForEachRow(int count, int threads, const std::function<void(int)>& body);

// The same for many short loops in a row (a fire's time steps): the helpers are kept between
// calls, and the caller waits only for tasks taken, never for a helper that has not started.
// On a busy machine a helper that gets no processor in time simply takes no task, so the
// loop is never slower than the caller doing it alone. Nested or concurrent calls run on the
// calling thread.
void ForEachTask(int count, int threads, const std::function<void(int)>& body);

// Pieces of [0, n) for ForEachRange: few enough that taking one costs nothing beside its work,
// enough that a helper held up by another program leaves little for the others to wait on.
long RangePieces(long n, int threads);

// Runs f(begin, end, piece) over the RangePieces(n, threads) pieces of [0, n) on the task pool.
template <class F>
void ForEachRange(long n, int threads, F&& f) {
  if (n <= 0) return;
  const long pieces = RangePieces(n, threads);
  ForEachTask(static_cast<int>(pieces), threads, [&](int k) { f(n * k / pieces, n * (k + 1) / pieces, k); });
}

}  // namespace engines

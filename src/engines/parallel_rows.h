// Rows shared out to worker threads that sleep when they have nothing to do. The engine runs
// beside the rest of the desktop: threads spinning at a barrier while the machine is busy cost
// more than the work they wait for.
#pragma once

#include <functional>

namespace engines {

// Calls body(r) once for every r in [0, count), on up to `threads` threads (the caller's
// included), each taking the next row as it finishes one. Returns when every row is done.
void ForEachRow(int count, int threads, const std::function<void(int)>& body);

}  // namespace engines

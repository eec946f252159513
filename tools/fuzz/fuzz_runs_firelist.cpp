// Fire lists on hostile text: every point taken lies in the area and there are no more
// points than lines. fuzz-seconds: 30
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runs/run_burnprob.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto points = runs::ParseFireList(text, 100.0, -50.0, 80.0, -20.0);
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  if (points.size() > lines + size / 1022) std::abort();
  for (const runs::FirePoint& p : points)
    if (!(p.x >= -50 && p.x <= 100 && p.y >= -20 && p.y <= 80)) std::abort();
  return 0;
}

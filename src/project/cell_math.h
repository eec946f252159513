#pragma once
// Truncation of cell counts and offsets computed in doubles.

// Toward zero into a 32-bit integer; values out of range saturate and NaN gives 0, so a
// hostile extent cannot make the conversion undefined.
inline int TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

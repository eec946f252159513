#pragma once
// How the values of themes and legends, held in 32 bits, are printed for people.
#include <string>

namespace platform {

// With the decimals asked for but never past the value's 7 significant digits: digits beyond
// them are storage noise and are dropped with their trailing zeros (0.17f with 9 decimals is
// "0.17", 1.0f is "1"). Zero keeps the decimals a value of one would; a negative zero prints
// without its sign.
std::string FormatStored(double value, int decimals);

}  // namespace platform

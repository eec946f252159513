#pragma once
// Locale-independent number parsing and printing for file formats.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Parses the whole token (leading/trailing blanks allowed); nullopt on anything else.
std::optional<double> ParseDouble(std::string_view text);
std::optional<long long> ParseInt(std::string_view text);
// printf-style formatting in the "C" locale, e.g. FormatC("%.2f", x).
std::string FormatC(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform

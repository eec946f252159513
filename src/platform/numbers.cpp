#include "platform/numbers.h"
#include "platform/value_text.h"

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

std::string_view Trim(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t' || t.front() == '\r' || t.front() == '\n'))
    t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r' || t.back() == '\n'))
    t.remove_suffix(1);
  return t;
}

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
  return loc;
}

}  // namespace

std::optional<double> ParseDouble(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  if (text.front() == '+') text.remove_prefix(1);
  double v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

std::optional<long long> ParseInt(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return v;
}

std::string FormatC(const char* fmt, ...) {
  locale_t old = uselocale(CLocale());
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<std::size_t>(n));
    std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
  }
  va_end(ap2);
  uselocale(old);
  return out;
}

std::string FormatStored(double value, int decimals) {
  constexpr int kSignificant = 7;
  decimals = std::clamp(decimals, 0, 9);
  int own = kSignificant - 1;  // zero reads as a value of one
  if (!std::isfinite(value)) own = decimals;
  else if (value != 0) {
    const int whole = static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    own = std::max(0, kSignificant - whole);
  }
  std::string text = FormatC("%.*f", std::min(decimals, own), value);
  if (decimals > own && text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

}  // namespace platform

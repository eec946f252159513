#include "weather/scan.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace weather {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipBlanks(std::string_view s, std::size_t pos) {
  while (pos < s.size() && IsBlank(s[pos])) ++pos;
  return pos;
}

// Longest prefix of s[pos..] that reads as an integer: optional sign, then digits.
bool ParseIntToken(std::string_view s, std::size_t& pos, int& value) {
  std::size_t p = pos;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
    negative = s[p] == '-';
    ++p;
  }
  std::size_t digits = p;
  while (digits < s.size() && std::isdigit(static_cast<unsigned char>(s[digits]))) ++digits;
  if (digits == p) return false;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(s.data() + p, s.data() + digits, v);
  (void)ptr;
  if (ec != std::errc()) return false;  // far out of range: not a usable value
  if (negative) v = -v;
  if (v < -2147483648LL || v > 2147483647LL) return false;
  value = static_cast<int>(v);
  pos = digits;
  return true;
}

// Longest prefix of s[pos..] that reads as a decimal number, as the C scanners accept it.
bool ParseDoubleToken(std::string_view s, std::size_t& pos, double& value) {
  std::size_t p = pos;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
    negative = s[p] == '-';
    ++p;
  }
  // Leading '+' is not accepted by from_chars; a second sign is not a number.
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) return false;
  double v = 0;
  auto [ptr, ec] = std::from_chars(s.data() + p, s.data() + s.size(), v);
  if (ptr == s.data() + p) return false;
  if (ec == std::errc::result_out_of_range) {
    // Overflow reads as infinity, underflow as zero, as the C scanners give them.
    v = std::isinf(v) || std::fabs(v) > 1 ? HUGE_VAL : 0.0;
  } else if (ec != std::errc()) {
    return false;
  }
  value = negative ? -v : v;
  pos = static_cast<std::size_t>(ptr - s.data());
  return true;
}

}  // namespace

int ScanFields(std::string_view line, std::string_view fields, std::vector<ScanValue>& out,
               std::size_t wordMax, bool* stoppedOnText) {
  out.clear();
  if (stoppedOnText) *stoppedOnText = false;
  std::size_t pos = 0;
  for (char kind : fields) {
    pos = SkipBlanks(line, pos);
    if (pos >= line.size()) return out.empty() ? -1 : static_cast<int>(out.size());
    if (kind == 'd') {
      int v = 0;
      if (!ParseIntToken(line, pos, v)) {
        if (stoppedOnText) *stoppedOnText = true;
        break;
      }
      out.emplace_back(v);
    } else if (kind == 'f') {
      double v = 0;
      if (!ParseDoubleToken(line, pos, v)) {
        if (stoppedOnText) *stoppedOnText = true;
        break;
      }
      out.emplace_back(v);
    } else {
      std::size_t end = pos;
      while (end < line.size() && !IsBlank(line[end])) ++end;
      std::string word(line.substr(pos, std::min(end - pos, wordMax)));
      out.emplace_back(std::move(word));
      pos = end;
    }
  }
  return static_cast<int>(out.size());
}

int ScanInt(const ScanValue& v) {
  if (auto p = std::get_if<int>(&v)) return *p;
  if (auto d = std::get_if<double>(&v)) return static_cast<int>(*d);
  return 0;
}

double ScanDouble(const ScanValue& v) {
  if (auto p = std::get_if<double>(&v)) return *p;
  if (auto i = std::get_if<int>(&v)) return *i;
  return 0.0;
}

const std::string& ScanWord(const ScanValue& v) {
  static const std::string empty;
  if (auto p = std::get_if<std::string>(&v)) return *p;
  return empty;
}

bool ReadIntAt(std::string_view text, std::size_t& pos, int& value) {
  pos = SkipBlanks(text, pos);
  return ParseIntToken(text, pos, value);
}

bool ReadDoubleAt(std::string_view text, std::size_t& pos, double& value) {
  pos = SkipBlanks(text, pos);
  return ParseDoubleToken(text, pos, value);
}

bool LineReader::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', pos_);
  std::size_t lineEnd = end == std::string_view::npos ? text_.size() : end;
  if (lineEnd - pos_ > max_) {
    line = text_.substr(pos_, max_);
    pos_ += max_;
    return true;
  }
  line = text_.substr(pos_, lineEnd - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = end == std::string_view::npos ? text_.size() : end + 1;
  return true;
}

void TokenReader::SkipBlanks() { pos_ = weather::SkipBlanks(text_, pos_); }

TokenReader::Result TokenReader::NextInt(int& value) {
  SkipBlanks();
  if (pos_ >= text_.size()) return Result::End;
  std::size_t p = pos_;
  if (!ParseIntToken(text_, p, value)) return Result::NotNumber;
  pos_ = p;
  return Result::Ok;
}

TokenReader::Result TokenReader::NextDouble(double& value) {
  SkipBlanks();
  if (pos_ >= text_.size()) return Result::End;
  std::size_t p = pos_;
  if (!ParseDoubleToken(text_, p, value)) return Result::NotNumber;
  pos_ = p;
  return Result::Ok;
}

bool TokenReader::NextWord(std::string& word) {
  SkipBlanks();
  if (pos_ >= text_.size()) return false;
  std::size_t end = pos_;
  while (end < text_.size() && !IsBlank(text_[end])) ++end;
  word.assign(text_.substr(pos_, end - pos_));
  pos_ = end;
  return true;
}

std::string TokenReader::BadToken() const {
  std::size_t p = weather::SkipBlanks(text_, pos_);
  std::size_t end = p;
  while (end < text_.size() && !IsBlank(text_[end]) && end - p < 63) ++end;
  return std::string(text_.substr(p, end - p));
}

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

std::string FirstWord(std::string_view text, std::size_t& after, std::size_t wordMax) {
  std::size_t p = weather::SkipBlanks(text, 0);
  std::size_t end = p;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  after = end;
  return std::string(text.substr(p, std::min(end - p, wordMax)));
}

}  // namespace weather

#pragma once
// Locale-independent scanning of the weather and fuel text formats. These mirror the
// whitespace-separated numeric fields of the formats without the pitfalls of the C scanners:
// a token that is not a number ends a scan instead of being read again forever.
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace weather {

// One scanned field: an int ('d'), a double ('f') or a word ('s').
using ScanValue = std::variant<int, double, std::string>;

// Scans `line` against `fields`, one letter per field: 'd' int32, 'f' double, 's' word
// (a word longer than wordMax characters keeps its first wordMax). Leading blanks are skipped
// before each field; a field stops at the first character that cannot belong to it.
// Returns the number of fields converted, or -1 when the line holds only blanks. `stoppedOnText`
// tells whether a short scan stopped at a token of the wrong kind rather than at the line end.
int ScanFields(std::string_view line, std::string_view fields, std::vector<ScanValue>& out,
               std::size_t wordMax = 255, bool* stoppedOnText = nullptr);

int ScanInt(const ScanValue& v);
double ScanDouble(const ScanValue& v);  // a 'd' field also reads as a double
const std::string& ScanWord(const ScanValue& v);

// Reads single fields from the start of `text`; each advances `pos` past what it took.
// False (pos unchanged past the blanks) when the next token is not of that kind.
bool ReadIntAt(std::string_view text, std::size_t& pos, int& value);
bool ReadDoubleAt(std::string_view text, std::size_t& pos, double& value);

// Line access to a whole text, with the formats' limit on line length: a line longer than
// `pieceMax` characters is handed out in pieces, each treated as a line of its own. The line
// end and a carriage return before it are not part of the line.
class LineReader {
 public:
  LineReader(std::string_view text, std::size_t pieceMax) : text_(text), max_(pieceMax) {}
  bool Next(std::string_view& line);
  void Rewind() { pos_ = 0; }

 private:
  std::string_view text_;
  std::size_t max_;
  std::size_t pos_ = 0;
};

// A stream of blank-separated tokens over a whole text, for the formats whose records may be
// split over lines in any way.
class TokenReader {
 public:
  explicit TokenReader(std::string_view text) : text_(text) {}
  enum class Result { Ok, End, NotNumber };
  Result NextInt(int& value);
  Result NextDouble(double& value);
  // The next word (up to blanks), or false at the end of the text.
  bool NextWord(std::string& word);
  // The offending token after a NotNumber result.
  std::string BadToken() const;
  void Rewind() { pos_ = 0; }
  void Seek(std::size_t pos) { pos_ = pos; }
  std::size_t Position() const { return pos_; }

 private:
  void SkipBlanks();
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Lower-cased copy (ASCII).
std::string Lower(std::string_view s);
// True when `s` begins with `prefix`, ignoring ASCII letter case.
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// The first blank-separated word of a text ("" when none) and the offset just after it.
std::string FirstWord(std::string_view text, std::size_t& after, std::size_t wordMax = 255);

}  // namespace weather

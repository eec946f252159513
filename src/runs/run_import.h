#pragma once
// Importing a run from a text file that describes an earlier one: an engine inputs file, a run
// log of this program or an inputs file of the outside decision-support system. Its keys
// become the settings of a new run of the current analysis area; weather, wind, moisture and
// stream data embedded in it are written out beside it as files of their own.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CPVN4Doc;
class CRun;

namespace runs {

enum class ImportFamily { FireBehavior, Embrith };

struct ImportHeader {
  const char* text;  // compared over its own length with the start of the first line
  ImportFamily family;
};

// The nine kinds in the order they are tried; the index is the kind.
constexpr int kImportKindCount = 9;
extern const ImportHeader kImportHeaders[kImportKindCount];
// Kinds that read more than their family's keys.
constexpr int kImportShortTermInputs = 1;
constexpr int kImportMttRunLog = 5;
constexpr int kImportRandomIgnitionsRunLog = 6;
constexpr int kImportTomRunLog = 7;

// The kind of a file from its first line, or -1 when no header matches.
int ImportKindOf(std::string_view firstLine);

// An import file's text split into whole lines (no length limit: a long path is never cut);
// the line end and a carriage return before it are not part of a line.
class ImportFile {
 public:
  explicit ImportFile(std::string text);
  std::size_t LineCount() const { return lines_.size(); }
  std::string_view Line(std::size_t i) const {
    return std::string_view(text_).substr(lines_[i].first, lines_[i].second);
  }

 private:
  std::string text_;
  std::vector<std::pair<std::size_t, std::size_t>> lines_;  // offset and length
};

// The index of the first line that begins with the key (case-sensitive), wherever it stands.
std::optional<std::size_t> FindImportKey(const ImportFile& file, std::string_view key);
// The first line that begins with the key, copied into `line`; false (and `line` emptied)
// when no line does.
bool FindImportKeyLine(const ImportFile& file, std::string_view key, std::string& line);
// The text after the first colon without leading and trailing white space; nothing when the
// line has no colon. File names are read this way, so they may contain blanks.
std::optional<std::string> GetImportKeyValue(std::string_view line);

// Each writes one embedded block of the file atomically to `path` and returns the number of
// data lines written, -1 when the file cannot be written. The stream writer returns -2 (and
// writes an empty file) when the block has no "RAWS_ELEVATION:" line.
int ExtractImportFmsFile(const ImportFile& file, const std::string& path);
int ExtractImportRawsFile(const ImportFile& file, const std::string& path);
int ExtractImportWtrFile(const ImportFile& file, const std::string& path);
int ExtractImportWndFile(const ImportFile& file, const std::string& path);

// Reads the keys of the kind's family and its extra keys into a fresh run. Embedded data goes
// to "<importPath>.fms", ".wxs", ".wtr" and ".wnd". Themes and the weather conversion are not
// made here.
void ReadImportKeys(CRun& run, const ImportFile& file, int kind, const std::string& importPath);

// The ignition and barrier themes the run's files name, kept when a vertex lies in the run's
// area; a shapefile that cannot be read is said and its file name emptied.
void MakeImportThemes(CRun& run, int kind);

// Daily weather and wind file names turned into a weather stream beside the weather file
// (the conditioning dates follow the stream's years); the daily names are emptied. False,
// with the message shown, when no stream could be made.
bool ConvertImportWeather(CRun& run);

// The whole import of a chosen file into the document's current area: the new run,
// appended and shown in the views, or null (the reason shown) when the file cannot be read or
// is not an import file.
CRun* ImportRun(CPVN4Doc& doc, const std::string& path);

// Whether the command applies: a landscape is loaded (so there is a current area).
bool CanImportRun(const CPVN4Doc& doc);

}  // namespace runs

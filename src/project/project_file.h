#pragma once
// The project file (".pvn"): text lines describing the whole project, with a companion zip
// archive (".pzp") beside it holding the binary payloads the lines name (raster, vector and
// contour themes, run logs, gridded-wind layer sets). Versions 1 to 16 are read; 16 is
// written. Saving writes both files under temporary names and renames them only when both
// are complete, so a failed save leaves the previous pair as it was.
#include <string>

class CPVN4Doc;

namespace projectfile {

constexpr int kCurrentVersion = 16;

// "Pyrvane6 Project File Version 16" and its fifteen predecessors; version 0 for none.
const char* HeaderLine(int version);
int VersionOfHeader(const std::string& line);

// The project path cut at its last '.' with ".pzp" appended.
std::string CompanionPath(const std::string& projectPath);

// Writes the document to path and its companion archive. False, with the reason shown and
// the previous pair left unchanged, when anything fails.
bool SaveProject(CPVN4Doc& doc, const std::string& path);

// Reads a project into a new, empty document. False, with the reason shown (a damaged file
// names its line), when the project cannot be opened; the document is then emptied again.
// Themes whose files or entries are missing are left out and named in one message.
bool ReadProject(CPVN4Doc& doc, const std::string& path);

// The same from text already in memory, with the companion archive at archivePath (it may
// be missing). For the fuzz target and tests.
bool ReadProjectText(CPVN4Doc& doc, const std::string& text, const std::string& projectPath,
                     const std::string& archivePath);

// With false, the reader treats every file a project names (landscape, grids, shapefiles,
// weather) as missing: for the fuzz target, whose input may name any path.
void SetExternalFilesForTests(bool open);

// Where a save may be made to fail, for tests: the first payload, the archive's closing,
// the renames.
enum class SaveFault { None, Payload, Archive, Rename };
void SetSaveFaultForTests(SaveFault fault);
// Where a save kills its own process (SIGKILL), for tests of interrupted saves: 1 with the
// archive half written, 2 when it is complete, 3 when the project file is too, 4 between the
// two renames, 5 after both; 0 never.
void SetSaveKillStepForTests(int step);

// The companion archive's comment names the project text it was written with, so that a
// reader can tell a pair that belongs together. "" for a text.
std::string PairMark(const std::string& projectText);
// Where a save keeps the previous companion archive until the new project file is in place.
std::string PreviousCompanionPath(const std::string& companion);
// The archive to read with a project text: the companion, or the previous companion kept
// beside it while a save was replacing the pair, when only that one matches the text.
std::string MatchingCompanion(const std::string& projectPath, const std::string& projectText);

}  // namespace projectfile

#pragma once
// The program's folders and its numbered scratch files.
#include <string>

namespace platform {

// Folder of the running executable.
std::string ProgramFolder();
// Read-only data: share/pyrvane6 beside the program, or data/ in a build tree
// (overridable with PYRVANE_DATA_DIR).
std::string DataFolder();
// $XDG_CONFIG_HOME/pyrvane6 (or ~/.config/pyrvane6); created on demand.
std::string ConfigFolder();
// $XDG_CACHE_HOME/pyrvane6 (or ~/.cache/pyrvane6), whatever the working folder is set to.
std::string CacheFolder();
// The working folder for scratch files: $XDG_CACHE_HOME/pyrvane6 unless set.
std::string WorkingFolder();
void SetWorkingFolder(const std::string& folder);
// Creates the folder and its parents; false when it cannot.
bool MakeFolders(const std::string& folder);

// Reserves the first free "<working folder>/<n><ext>" (n = 1, 2, ...) by creating it
// empty with O_EXCL, so two callers never get the same name. ext includes the dot.
// Returns "" when no file can be created. The caller owns and removes the file.
std::string ReserveScratchFile(const std::string& ext);
// The first "<folder>/<n><ext>" that does not exist, without creating anything.
std::string FirstFreeNumberedName(const std::string& folder, const std::string& ext);

}  // namespace platform

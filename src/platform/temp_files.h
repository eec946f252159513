#pragma once
// Temporary files of saves. Each one sits beside the file it will replace (beside the real file
// when the target is a symbolic link), is created exclusively with the target's permissions
// from its first byte, and carries a name that says whose it is. Every one is recorded in this
// process's journal, so that a copy of the program started after a crash removes what the
// crash left behind.
#include <string>

namespace platform {

// The file a save to `target` replaces: the target, or the file its symbolic links lead to.
std::string ResolveSaveTarget(const std::string& target);

struct TempFile {
  std::string path;   // the temporary file
  std::string final;  // the file Commit renames it over
  int fd = -1;        // open for writing until CloseTempFd
};

// Creates "<final>.pv6tmp-<pid>-<hex><ext>" beside the resolved target. On failure returns false
// with an errno value in *error.
bool CreateTempBeside(const std::string& target, const std::string& ext, TempFile& out,
                      int* error = nullptr);
// A fresh name in `folder` for a temporary file that will become `leaf`, recorded in the journal
// before it exists; for writers that create the file themselves (exclusively).
std::string NewTemporaryLeaf(const std::string& folder, const std::string& leaf, const std::string& ext);
// Closes the descriptor (when still open); false when the close reports an error.
bool CloseTempFd(TempFile& t, int* error = nullptr);
// Gives the temporary file the target's permissions and renames it over the target. The
// temporary file is removed when the rename fails.
bool CommitTemp(TempFile& t, int* error = nullptr);
// Closes and removes the temporary file.
void DiscardTemp(TempFile& t);

// True for names made by CreateTempBeside.
bool IsTemporaryName(const std::string& path);
// Removes the temporary files recorded by copies of the program that are no longer running
// (their journals are no longer locked), then their journals. Returns how many were removed.
int RemoveStaleTemporaries();
// Folder of the journals: <cache folder>/temporaries.
std::string TemporariesJournalFolder();

}  // namespace platform

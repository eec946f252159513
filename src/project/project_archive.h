#pragma once
// Project archives (".pza"): a project with every file it names, packed to be carried to
// another machine, and unpacked into one folder with the project's paths pointing there.
#include <string>
#include <vector>

class CPVN4Doc;
class CZipActionCallback;

namespace projectarchive {

struct ArchiveItem {
  std::string path;   // the file on disk
  std::string entry;  // its name in the archive
};

// What Save and Archive packs, in order: the project file and its companion archive under
// their bare names, then the landscape (with its ".prj"), the generic grids, the shapefiles of
// vector and arrow themes with their companions and every run's input files (with the grids
// an atmosphere file names), each under its path as the project holds it. A name already
// listed (ignoring case) is not listed again.
std::vector<ArchiveItem> ArchiveItems(const CPVN4Doc& doc, const std::string& projectPath);

// Writes the archive of the project saved at projectPath; a previous archive is replaced only
// when the new one is complete. False, with the reason shown, when it cannot be written.
// Files that cannot be read are left out and named in one message.
bool WriteArchive(const CPVN4Doc& doc, const std::string& projectPath, const std::string& archivePath,
                  CZipActionCallback* progress = nullptr);

// Unpacks the archive's project into folder: every file it names lands directly in the
// folder under its own file name, and the project file written there names them. Returns
// that project file's path, or "" when nothing was written: with the reason shown, or when
// the user chose not to replace files already in the folder.
std::string ExtractArchive(const std::string& archivePath, const std::string& folder,
                           CZipActionCallback* progress = nullptr);

}  // namespace projectarchive

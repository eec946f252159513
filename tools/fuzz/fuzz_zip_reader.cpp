// Reads an archive held in memory the way the program reads archives: the directory, the
// lookups, and every entry's data (stored, deflated, encrypted). Only archive errors may come
// out. fuzz-seconds: 60
#include <cstddef>
#include <cstdint>
#include <string>

#include "zip/zip_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  CZipMemFile mem(data, static_cast<std::uint32_t>(size));
  CZipArchive zip;
  try {
    zip.OpenInMemory(mem, CZipArchive::zipOpenReadOnly);
  } catch (const CZipException&) {
    return 0;
  }
  const int count = zip.GetCount();
  CZipWordArray found;
  zip.FindMatches("*.pvn", found, false);
  zip.FindMatches("[a-c]*\\*?", found, true);
  static char buffer[4096];
  for (int i = 0; i < count && i < 256; ++i) {
    CZipFileHeader h;
    if (!zip.GetFileInfo(h, static_cast<std::uint16_t>(i))) continue;
    zip.FindFile(h.GetFileName());
    zip.FindFile(h.GetFileName(), CZipArchive::ffNoCaseSens, true);
    (void)h.IsDirectory();
    (void)h.GetTime();
    zip.SetPassword(h.IsEncrypted() ? "pw" : nullptr);
    try {
      if (!zip.StartReadingEntry(static_cast<std::uint16_t>(i))) continue;
      // Declared sizes may be huge: a bounded amount of output is enough to reach every path.
      std::size_t total = 0;
      while (total < (1u << 20)) {
        std::uint32_t n = zip.ReadEntryData(buffer, sizeof buffer);
        if (n == 0) break;
        total += n;
      }
      zip.FinishReadingEntry(nullptr, total >= (1u << 20));
    } catch (const CZipException&) {
      zip.FinishReadingEntry(nullptr, true);
    }
  }
  zip.Close();

  // Changing it in place must fail just as cleanly.
  CZipMemFile copy(data, static_cast<std::uint32_t>(size));
  CZipArchive edit;
  try {
    edit.OpenInMemory(copy, CZipArchive::zipOpen);
    if (edit.GetCount() > 0) {
      edit.RenameFile(0, "renamed/entry-with-a-longer-name.txt");
      edit.DeleteFile(static_cast<std::uint16_t>(edit.GetCount() - 1));
    }
    edit.Close();
  } catch (const CZipException&) {
    edit.Close(CZipArchive::closeAfterException);
  }
  return 0;
}

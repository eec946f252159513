#pragma once
// The in-memory central directory with the end-of-central-directory record.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/zip_header.h"

class CZipStorage;
class CZipActionCallback;

// Where the directory is and what its end record says.
struct CZipDirectoryInfo {
  long long m_uEndOffset = 0;       // file offset of the end record found on reading
  long long m_uBytesBeforeZip = 0;  // data in front of the archive proper
  std::uint16_t m_uThisDisk = 0;
  std::uint16_t m_uDiskWithCD = 0;
  std::uint16_t m_uDiskEntriesNo = 0;
  std::uint16_t m_uEntriesNumber = 0;
  std::uint32_t m_uSize = 0;
  std::uint32_t m_uOffset = 0;  // relative to the archive proper
  bool m_bOnDisk = false;       // the file ends with a valid directory
};

class CZipCentralDir : public CZipDirectoryInfo {
 public:
  static constexpr std::uint32_t kEndSignature = 0x06054B50;
  struct CZipFindFast {
    CZipFileHeader* m_pHeader;
    std::uint16_t m_uIndex;
  };

  CZipCentralDir() = default;
  virtual ~CZipCentralDir() = default;

  void Init(CZipStorage* storage) { m_pStorage = storage; }
  void Reset();
  void Clear(bool all = true);
  void ReadDirectory();
  long long LocateEndRecord();
  void ReadHeaders();
  void WriteDirectory(CZipActionCallback* callback);
  // Cuts a directory on disk off the file, else flushes the write buffer.
  void RemoveFromDisk();
  // 22 + comment, plus with the flag the central records of every finished entry (the one
  // being written is not counted).
  std::uint64_t GetDirectorySize(bool withHeaders) const;
  void InvalidateSize() { m_sizeValid = false; }
  // The entry being written is complete: it counts in the directory from now on.
  void FinishOpenHeader();
  void SortHeaders();

  // Adds a copy of the header (appended, or at replaceIndex replacing that entry) as the open
  // header and positions the file where its local header goes.
  CZipFileHeader* InsertHeader(const CZipFileHeader& header, int replaceIndex);
  // Finishes the open entry being written: CRC and sizes into its local header or a data
  // descriptor after its data.
  void CloseNewFile();
  // Opens the entry for reading: checks its local header and reads its local extra field.
  void OpenFile(std::uint16_t index);
  void CloseFile(bool afterException);
  // Removes the header (and its find-fast element) without touching the file.
  void RemoveHeader(std::uint16_t index, bool shiftIndexes = true);
  void RemoveAll();

  int FindFile(const std::string& name, bool caseSensitive, bool sporadic, bool nameOnly);
  void BuildFindFast(bool caseSensitive);
  void InsertFindFast(CZipFileHeader* header, std::uint16_t index);
  int FindFastIndex(const std::string& name) const;
  void EnableFindFast(bool enable, bool caseSensitive);
  bool IsFindFastEnabled() const { return m_bFindFastEnabled; }

  std::size_t GetCount() const { return m_headers.size(); }
  bool IsValidIndex(int index) const { return index >= 0 && index < static_cast<int>(m_headers.size()); }
  CZipFileHeader* operator[](std::size_t i) const { return m_headers[i].get(); }
  // Absolute file position of the archive proper's offset.
  long long AbsolutePos(std::uint32_t offset) const { return static_cast<long long>(m_uBytesBeforeZip) + offset; }

  std::uint32_t m_uEndSignature = 0;
  std::string m_pszComment;
  std::string m_pLocalExtraField;
  CZipFileHeader* m_pOpenedFile = nullptr;
  CZipStorage* m_pStorage = nullptr;
  int m_iBufferSize = 32768;
  std::vector<std::unique_ptr<CZipFileHeader>> m_headers;
  std::vector<CZipFindFast> m_findarray;
  bool m_bFindFastEnabled = false;
  ZIPSTRINGCOMPARE m_pCompare = GetZipStringCompareFunction(false, true);
  bool m_bCaseSensitive = false;

 private:
  // Sum of the central records, kept up to date so that size checks stay O(1) per entry.
  mutable std::uint64_t m_headersSize = 0;
  mutable bool m_sizeValid = false;
  [[noreturn]] void ThrowError(int code) const;
  std::string ArchivePath() const;
};

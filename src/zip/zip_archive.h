#pragma once
// Zip archives: the project's companion archive, project archives and KMZ files.
// Refused requests answer false, -1 or an empty result; every other failure throws
// CZipException. Stored and deflated entries only, at most 65535 entries and 4 GiB.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <zlib.h>

#include "zip/zip_callback.h"
#include "zip/zip_central_dir.h"
#include "zip/zip_exception.h"
#include "zip/zip_file.h"
#include "zip/zip_header.h"
#include "zip/zip_storage.h"

using CZipWordArray = std::vector<std::uint16_t>;

// The request of one add.
struct CZipNewEntryRequest {
  std::string m_szFilePath;
  std::string m_szFileNameInZip;  // empty: derived from the path
  bool m_bFullPath = true;
  int m_iComprLevel = -1;
  int m_iSmartLevel = 7;
  int m_iReplaceIndex = -1;  // -1 append, -2 replace the entry of the same name
  std::uint32_t m_nBufSize = 65536;
  CZipAbstractFile* m_pFile = nullptr;
};

class CZipArchive {
 public:
  enum OpenMode { zipOpen = 0, zipOpenReadOnly = 1, zipCreate = 2, zipCreateSpan = 3 };
  enum CloseMode { closeNormal = 0, closeAfterException = 1, closeAfterExceptionWrite = 2 };
  enum Smartness {
    zipsmLazy = 0,
    zipsmCPassDir = 1,
    zipsmCPFile0 = 2,
    zipsmNotCompSmall = 4,
    zipsmCheckForEff = 8,
    zipsmMemoryFlag = 16,
    zipsmSafeSmart = 7,
    zipsmInternal01 = 0xF000,
  };
  enum FindCase { ffDefault = 0, ffCaseSens = 1, ffNoCaseSens = 2 };
  enum Predict { prDir = 0, prFile = 1, prAuto = 2 };

  CZipArchive();
  virtual ~CZipArchive();
  CZipArchive(const CZipArchive&) = delete;
  CZipArchive& operator=(const CZipArchive&) = delete;

  // ---- opening and closing ----
  // zipCreate writes into a temporary file beside the target that replaces it at Close (mode
  // 0 or 2); Close(1) or destruction without Close leaves any previous file as it was.
  // zipCreateSpan with a volume size writes numbered volumes (name.000, name.001, ... and the
  // last one under the name itself); spanning over removable disks is not available (107).
  // Files that cannot be opened raise their system error number as the code.
  void Open(const std::string& path, int mode = zipOpen, int volumeSize = 0);
  void OpenInMemory(CZipMemFile& file, int mode = zipOpen);
  void Close(int afterException = closeNormal, bool updateTime = false);
  void Flush();
  void SetAutoFlush(bool autoFlush = true);
  bool GetAutoFlush() const { return m_bAutoFlush; }
  bool IsClosed(bool archive = true) const;
  void SetBufferSizes(int writeBuffer = 65536, int generalBuffer = 65536, int searchBuffer = 32768);
  void SetCaseSensitivity(bool caseSensitive);
  bool GetCaseSensitivity() const { return m_bCaseSensitive; }
  bool SetSystemCompatibility(int system);
  int GetSystemCompatibility() const { return m_iArchiveSystCompatib; }
  void SetRootPath(const char* path);
  std::string GetRootPath() const { return m_szRootPath; }
  std::string GetGlobalComment() const;
  bool SetGlobalComment(const std::string& comment);
  std::string GetArchivePath() const;
  int GetCurrentVolume() const;
  void GetCentralDirectoryInfo(CZipDirectoryInfo& info) const;
  int GetCount() const { return IsClosed() ? 0 : static_cast<int>(m_centralDir.GetCount()); }

  // ---- progress ----
  void SetCallback(CZipActionCallback* callback = nullptr, int kindMask = CZipActionCallback::cbAll);
  CZipActionCallback* GetCallback(int kind);

  // ---- adding ----
  bool AddNewFile(const std::string& filePath, const std::string& nameInZip, int level = -1,
                  int smartLevel = zipsmSafeSmart, std::uint32_t bufferSize = 65536);
  bool AddNewFileFromPath(const std::string& filePath, int level = -1, bool fullPath = true,
                          int smartLevel = zipsmSafeSmart, std::uint32_t bufferSize = 65536);
  bool AddNewFileFromMemory(CZipAbstractFile* source, const std::string& nameInZip, int level = -1,
                            int smartLevel = zipsmSafeSmart, std::uint32_t bufferSize = 65536);
  bool AddNewFileEx(CZipNewEntryRequest& info);
  bool StartNewEntry(CZipFileHeader& templ, int level = -1, const char* sourcePath = nullptr,
                     std::uint32_t internalSize = 0);
  bool WriteEntryData(const void* data, std::uint32_t count);
  bool FinishNewEntry(bool afterException = false);

  // ---- extracting ----
  // Names that would leave the destination (absolute, drive, "..", "." or empty) raise 119;
  // links are never followed; a file is written under a temporary name and appears only when
  // complete and checked. Modes are those of the entry within 0777, less the umask, and
  // always readable and writable by the owner.
  bool ExtractFile(std::uint16_t index, const std::string& folder, bool fullPath = true,
                   const char* newName = nullptr, std::uint32_t bufferSize = 65536);
  bool ExtractToMemory(std::uint16_t index, CZipMemFile& out, std::uint32_t bufferSize = 65536);
  std::string GetExtractPath(const std::string& nameInZip, const std::string& folder, bool fullPath,
                             const char* newName = nullptr) const;
  bool StartReadingEntry(std::uint16_t index);
  std::uint32_t ReadEntryData(void* buffer, std::uint32_t size);
  int FinishReadingEntry(const char* path = nullptr, bool afterException = false);
  int FinishReadingFile(CZipFile& file);
  int CopyLocalExtraField(char* buffer, std::uint16_t size) const;

  // ---- finding ----
  int FindFile(const std::string& name, int caseMode = ffDefault, bool nameOnly = false);
  bool GetFileInfo(CZipFileHeader& out, std::uint16_t index) const;
  void FindMatches(const std::string& pattern, CZipWordArray& indexes, bool fullPath = true);
  void EnableFindFast(bool enable = true);
  void GetIndexes(const std::vector<std::string>& names, CZipWordArray& indexes);

  // ---- changing contents ----
  void DeleteFile(std::uint16_t index);
  void DeleteFiles(CZipWordArray& indexes);
  void DeleteFilesByName(const std::vector<std::string>& names);
  bool RenameFile(std::uint16_t index, const std::string& newName);
  bool GetFromArchive(CZipArchive& source, std::uint16_t index, int replaceIndex = -1, bool keepSystem = false,
                      int callbackKind = CZipActionCallback::cbGetFromArchive);
  bool GetFromArchiveMany(CZipArchive& source, CZipWordArray& indexes, bool keepSystem = false);
  bool TestFile(std::uint16_t index, std::uint32_t bufferSize = 65536);
  bool SetFileComment(std::uint16_t index, const std::string& comment);
  void SetTempPath(const char* path, bool create = true);
  std::string PredictNameInArchive(const std::string& filePath, bool fullPath, int what = prAuto,
                                   bool exact = false) const;
  int WillBeDuplicated(const std::string& filePath, bool fullPath, bool fileNameOnly = false, int what = prAuto);
  static bool RemovePathStart(const std::string& beginning, std::string& path, ZIPSTRINGCOMPARE compare);
  void SetEntryAttributes(CZipFileHeader& header, std::uint32_t attr) const;
  void SetNewEntryExtraField(const char* data, std::uint32_t count);
  void WriteDirectoryNow(bool flush = true);
  CZipFileHeader* GetOpenHeader() const { return m_centralDir.m_pOpenedFile; }

  // ---- encryption ----
  bool SetPassword(const char* password);
  std::string GetPassword() const { return m_pszPassword.ToString(); }
  bool CheckPassword();

  // Matching of names against patterns with *, ?, [set] and \ escapes.
  class CWildcard {
   public:
    enum { matchNone = 0, matchValid = 1, matchEnd = 2, matchAbort = 3, matchRange = 4, matchLiteral = 5,
           matchPattern = 6 };
    enum { patternEmpty = -4, patternClose = -3, patternRange = -2, patternEsc = -1, patternValid = 0 };
    CWildcard() = default;
    CWildcard(const std::string& pattern, bool caseSensitive) { SetPattern(pattern, caseSensitive); }
    virtual ~CWildcard() = default;
    void SetPattern(const std::string& pattern, bool caseSensitive);
    bool IsMatch(const std::string& text, int* result = nullptr) const;
    static bool IsPattern(const std::string& text);
    static bool IsPatternValid(const std::string& text, int* result = nullptr);
    static int Match(const char* pattern, const char* text);

   private:
    static int MatchAfterStar(const char* pattern, const char* text);
    bool m_bCaseSensitive = false;
    std::string m_szPattern;
  };

  // Kept public for the project's own use: names are compared with this.
  ZIPSTRINGCOMPARE m_pZipCompare;
  bool m_bRemoveDriveLetter = true;

 private:
  // The process's umask, read once per opening: extracting many files would read it for each.
  unsigned Umask() {
    if (m_iUmask < 0) m_iUmask = static_cast<int>(ZipGetUmask());
    return static_cast<unsigned>(m_iUmask);
  }
  int m_iUmask = -1;
  // The folder the last entry was extracted into, kept open: entries of an archive mostly
  // share their folders, and opening a folder path costs a call per component.
  struct ExtractFolder {
    std::string key;
    int fd = -1;
  } m_extractFolder;
  CZipAutoBuffer m_extractBuffer;  // the piece buffer of small entries, kept between entries
  int ExtractFolderFd(const std::string& folder, const std::vector<std::string>& parts, std::size_t count,
                      const std::string& shownPath);
  void ForgetExtractFolder();
  struct Internal {
    z_stream stream{};
    bool streamActive = false;
    // The stream holds an inflater kept from the last entry read: the next entry resets it
    // instead of allocating its window again (many small entries cost mostly that).
    bool inflaterKept = false;
    bool streamEnded = false;
    bool crcOnWriter = false;  // extraction checksums the data where it writes it
    std::uint64_t uncomprLeft = 0;
    std::uint64_t comprLeft = 0;
    std::uint32_t crc = 0;
    std::uint64_t written = 0;        // compressed bytes written for the open entry
    long long dataStart = 0;          // file position of the entry's data being read
    std::uint32_t generalBufferSize = 65536;
    CZipAutoBuffer buffer;
    std::vector<void*> allocations;
  };

  static void* ZAlloc(void* opaque, unsigned items, unsigned size);
  static void ZFree(void* opaque, void* address);
  void FreeAllocations();
  void DropKeptInflater();
  void EndActiveInflater();
  [[noreturn]] void ThrowError(int code, bool zlib = false) const;
  void CheckZlib(int result) const;
  void CommonOpen(int mode);
  void StartReadingInternal(std::uint16_t index);
  // Reads the open entry piece by piece into buffer(), handing each piece to take; returns
  // the cancel code (105 or 106) when the callback stops the work, else 0.
  int ReadPieces(std::uint32_t pieceSize, CZipActionCallback* cb, const std::function<char*()>& buffer,
                 const std::function<void(std::uint32_t)>& take);
  void OpenInternal();
  std::string StripRootPath(const std::string& path) const;
  std::string NormalizeEntryName(const std::string& name) const;
  bool IsSafeRelativeName(const std::string& name, bool fullPath) const;
  void WriteOutBuffer(std::uint32_t count);
  void FlushOutputIfFull();
  void CutOpenNewEntry();
  void CheckRoom(std::uint64_t dataBound, std::uint32_t headerSizes) const;
  void FinishEntryInternal();
  bool AddViaTemporaryArchive(CZipNewEntryRequest& info, CZipFileHeader& header, std::uint64_t size, bool efficiency);
  // Moves [start, end) of the archive proper by diff bytes, growing or cutting the file.
  void ShiftTail(long long start, long long end, long long diff, CZipActionCallback* cb);
  void MovePackedData(long long start, long long end, long long distance, CZipActionCallback* cb, bool forward);
  void MakeSpaceForReplace(int replaceIndex, std::uint64_t newTotal, const std::string& name);
  int ResolveReplaceIndex(int replaceIndex, const std::string& name);
  void RemoveLastEntry();
  void AutoFlush() { if (m_bAutoFlush) Flush(); }
  bool IsMultiVolume() const { return m_storage.IsMultiVolume(); }
  void CryptInitKeys();
  void CryptUpdateKeys(char c);
  char CryptDecode(char c);
  char CryptEncode(char c);
  void CryptEncodeBuffer(char* data, std::uint32_t count);
  void CryptDecodeBuffer(char* data, std::uint32_t count);
  void CryptWriteHeader(const CZipFileHeader& header);
  bool CryptCheckHeader(const CZipFileHeader& header);

  std::map<int, CZipActionCallback*> m_callbacks;
  bool m_bCaseSensitive = false;
  Internal m_info;
  CZipStorage m_storage;
  CZipCentralDir m_centralDir;
  signed char m_iFileOpened = 0;  // 0 none, 1 writing, -1 reading
  bool m_bAutoFlush = false;
  std::string m_szRootPath;
  std::string m_szTempPath;
  int m_iArchiveSystCompatib = zipsys::kPlatform;
  bool m_bDetectZlibMemoryLeaks = true;
  CZipAutoBuffer m_pszPassword;
  std::uint32_t m_keys[3] = {0, 0, 0};
  // A replacing add tells StartNewEntry which entry it replaces and how many data bytes it
  // brings, so that the room can be made before the local header is written.
  int m_iPendingReplace = -1;
  std::uint32_t m_uReplaceSize = 0;
};

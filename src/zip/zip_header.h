#pragma once
// One archive entry: the fields of its central record and local header, its name, extra field
// and comment, and the conversions between their stored and in-memory forms.
#include <cstdint>
#include <ctime>
#include <string>

class CZipStorage;

namespace zipsys {
enum : int { dos = 0, amiga = 1, vms = 2, unix_ = 3, vmcms = 4, atari = 5, os2 = 6, mac = 7,
             cpm = 9, ntfs = 10 };
// This platform: Unix, case-sensitive file names on disk.
constexpr int kPlatform = unix_;
constexpr std::uint32_t kDefaultFileAttr = 0x81A40020;    // 0100644 and the archive bit
constexpr std::uint32_t kDefaultFolderAttr = 0x41FF0010;  // 040777 and the folder bit
}  // namespace zipsys

bool ZipIsSystemSupported(int code);
// Converts attributes between host systems through the DOS form; raises 115 for a system
// without a converter.
std::uint32_t ZipConvertAttributes(std::uint32_t value, int fromSystem, int toSystem);

// Name comparison: the in-memory name against a searched text; negative, 0 or positive.
using ZIPSTRINGCOMPARE = int (*)(const std::string&, const char*);
ZIPSTRINGCOMPARE GetZipStringCompareFunction(bool caseSensitive, bool collate = true);

// Names in archives written without the language-encoding flag are in code page 437.
std::string ZipCp437ToUtf8(const std::string& bytes);
// DOS date and time of a local time, the year clamped to 1980..2107.
void ZipTimeToDos(std::time_t t, std::uint16_t& date, std::uint16_t& time);
std::time_t ZipDosToTime(std::uint16_t date, std::uint16_t time);

class CZipFileHeader {
 public:
  static constexpr std::uint32_t kCentralSignature = 0x02014B50;
  static constexpr std::uint32_t kLocalSignature = 0x04034B50;
  static constexpr std::uint32_t kDescriptorSignature = 0x08074B50;
  static constexpr std::uint16_t kUtf8Flag = 0x800;

  CZipFileHeader() = default;
  virtual ~CZipFileHeader() = default;
  CZipFileHeader(const CZipFileHeader&) = default;
  CZipFileHeader& operator=(const CZipFileHeader&) = default;

  std::uint32_t m_uSignature = kCentralSignature;
  std::uint16_t m_uVersionMadeBy = 0;
  std::uint16_t m_uVersionNeeded = 0;
  std::uint16_t m_uFlag = 0;
  std::uint16_t m_uMethod = 8;
  std::uint16_t m_uModTime = 0;
  std::uint16_t m_uModDate = 0;
  std::uint32_t m_uCrc32 = 0;
  std::uint32_t m_uComprSize = 0;
  std::uint32_t m_uUncomprSize = 0;
  std::uint16_t m_uVolumeStart = 0;
  std::uint16_t m_uInternalAttr = 0;
  std::uint32_t m_uExternalAttr = 0;
  std::uint32_t m_uOffset = 0;
  std::string m_pExtraField;  // central; the local one while an entry is added

  // The name in memory: UTF-8 with '/' separators.
  const std::string& GetFileName() const { return name_; }
  // Sets the name; the stored form is UTF-8, flagged when it is not ASCII.
  bool SetFileName(const std::string& name);
  std::string GetComment() const { return comment_; }
  bool SetComment(const std::string& comment);
  // The name's bytes as the archive holds them.
  const std::string& StoredName() const { return stored_; }

  std::time_t GetTime() const { return ZipDosToTime(m_uModDate, m_uModTime); }
  void SetTime(std::time_t t) { ZipTimeToDos(t, m_uModDate, m_uModTime); }
  int GetSystemCompatibility() const { return m_uVersionMadeBy >> 8; }
  // Attributes in this platform's form.
  std::uint32_t GetSystemAttr() const;
  void SetSystemAttr(std::uint32_t attr);
  bool IsDirectory() const;
  bool IsEncrypted() const { return m_uFlag & 1; }
  bool IsDataDescriptor() const { return m_uFlag & 8; }
  bool NameEndsWithSeparator() const;
  std::uint32_t GetSize(bool local) const;
  // Refreshes the in-memory name from the stored bytes (fromArchive) or the reverse.
  void ConvertFileName(bool fromArchive);

  bool Prepare(int level, bool multiVolume, bool encrypted);
  void WriteLocal(CZipStorage& storage);
  bool ReadCentral(CZipStorage& storage);
  std::uint32_t WriteCentral(CZipStorage& storage);
  bool CheckLocal(CZipStorage& storage, std::uint16_t& localExtraLength);
  void WriteDescriptor(char* buffer) const;
  bool MatchesDescriptor(const char* buffer) const;

 private:
  void PutSharedFields(char* p) const;
  std::string name_, stored_, comment_;
};

// Little-endian helpers.
inline void ZipPut16(char* p, std::uint16_t v) { p[0] = static_cast<char>(v); p[1] = static_cast<char>(v >> 8); }
inline void ZipPut32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}
inline std::uint16_t ZipGet16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}
inline std::uint32_t ZipGet32(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}

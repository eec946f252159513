#include "zip/zip_header.h"

#include <strings.h>

#include <cstring>

#include <zlib.h>

#include "zip/zip_exception.h"
#include "zip/zip_storage.h"

namespace {

const std::uint16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates.
bool IsUtf8(const std::string& s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned c = p[i];
    const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > n) return false;
    std::uint32_t cp = len == 1 ? c : c & (0x7Fu >> len);
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    static const std::uint32_t lowest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < lowest[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

// The name in a Unicode path extra field (0x7075), when it is there and still belongs to the
// stored name (its CRC matches): archivers that store legacy names put the real one there.
bool UnicodePathOf(const std::string& extra, const std::string& stored, std::string& out) {
  for (std::size_t i = 0; i + 4 <= extra.size();) {
    const std::uint16_t id = ZipGet16(extra.data() + i), len = ZipGet16(extra.data() + i + 2);
    if (i + 4 + len > extra.size()) return false;
    if (id == 0x7075 && len >= 5 && extra[i + 4] == 1) {
      const std::uint32_t crc = ZipGet32(extra.data() + i + 5);
      const auto* bytes = reinterpret_cast<const Bytef*>(stored.data());
      if (crc != static_cast<std::uint32_t>(::crc32(0, bytes, static_cast<uInt>(stored.size())))) return false;
      std::string name = extra.substr(i + 9, len - 5u);
      if (!IsUtf8(name)) return false;
      out = std::move(name);
      return true;
    }
    i += 4u + len;
  }
  return false;
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

std::uint32_t ToDos(std::uint32_t v, int sys) {
  switch (sys) {
    case zipsys::dos: case zipsys::os2: case zipsys::ntfs: return v;
    case zipsys::mac: return v & 0x11;
    case zipsys::unix_: {
      std::uint32_t d = 0;
      if (v & 0x40000000u) d |= 0x10;
      if (!(v & 0x00400000u)) d |= 0x20;
      if (!(v & 0x00800000u)) d |= 0x01;
      if (!(v & 0x01000000u)) d |= 0x02;
      return d;
    }
    default: ZipThrow(CZipException::platfNotSupp);
  }
}

std::uint32_t FromDos(std::uint32_t v, int sys) {
  switch (sys) {
    case zipsys::dos: case zipsys::os2: case zipsys::ntfs: return v;
    case zipsys::mac: return v & 0x11;
    case zipsys::unix_: {
      std::uint32_t u = 0;
      if (!(v & 0x02)) {
        u = 0x01240000u;
        if (!(v & 0x01)) u |= 0x00900000u;
      }
      u |= (v & 0x10) ? 0x40000010u : 0x80000000u;
      return u;
    }
    default: ZipThrow(CZipException::platfNotSupp);
  }
}

int CompareCase(const std::string& a, const char* b) { return std::strcmp(a.c_str(), b); }
int CompareNoCase(const std::string& a, const char* b) { return ::strcasecmp(a.c_str(), b); }

}  // namespace

bool ZipIsSystemSupported(int code) {
  return code == zipsys::dos || code == zipsys::unix_ || code == zipsys::os2 || code == zipsys::mac ||
         code == zipsys::ntfs;
}

std::uint32_t ZipConvertAttributes(std::uint32_t value, int from, int to) {
  if (from == to || from > 10 || to > 10) return value;
  return FromDos(ToDos(value, from), to);
}

ZIPSTRINGCOMPARE GetZipStringCompareFunction(bool caseSensitive, bool) {
  // Collation and plain comparison agree for the byte order names are kept in.
  return caseSensitive ? &CompareCase : &CompareNoCase;
}

std::string ZipCp437ToUtf8(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    std::uint16_t u = kCp437High[c - 0x80];
    if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

void ZipTimeToDos(std::time_t t, std::uint16_t& date, std::uint16_t& time) {
  struct tm tm {};
  if (!localtime_r(&t, &tm)) {
    date = (0 << 9) | (1 << 5) | 1;
    time = 0;
    return;
  }
  int year = tm.tm_year + 1900;
  if (year > 2107) {
    // The last moment a DOS date can hold.
    date = static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31);
    time = static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29);
    return;
  }
  int y = year > 1980 ? year - 1980 : 0;
  date = static_cast<std::uint16_t>(y * 512 + (tm.tm_mon + 1) * 32 + tm.tm_mday);
  time = static_cast<std::uint16_t>(tm.tm_hour * 2048 + tm.tm_min * 32 + tm.tm_sec / 2);
}

std::time_t ZipDosToTime(std::uint16_t date, std::uint16_t time) {
  struct tm tm {};
  tm.tm_sec = 2 * (time & 31);
  tm.tm_min = (time >> 5) & 63;
  tm.tm_hour = time >> 11;
  tm.tm_mday = date & 31;
  tm.tm_mon = ((date >> 5) & 15) - 1;
  tm.tm_year = (date >> 9) + 80;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

// ---- CZipFileHeader -------------------------------------------------------------------

bool CZipFileHeader::SetFileName(const std::string& name) {
  // Kept whatever its length: the preparation refuses names the format cannot hold.
  name_ = name;
  ConvertFileName(false);
  return name.size() <= 0xFFFF;
}

bool CZipFileHeader::SetComment(const std::string& comment) {
  comment_ = comment;
  return comment.size() <= 0xFFFF;
}

void CZipFileHeader::ConvertFileName(bool fromArchive) {
  if (fromArchive) {
    int sys = GetSystemCompatibility();
    // Flagged names are UTF-8; unflagged ones from Unix archivers are the host's bytes, which
    // are UTF-8 when they read as such; the rest are code page 437.
    if (m_uFlag & kUtf8Flag) name_ = stored_;
    else if (UnicodePathOf(m_pExtraField, stored_, name_)) {}
    else if (sys == zipsys::unix_ && IsUtf8(stored_)) name_ = stored_;
    else name_ = ZipCp437ToUtf8(stored_);
    // Some Windows tools store '\' as the separator; there it can only be one.
    if (sys == zipsys::dos || sys == zipsys::os2 || sys == zipsys::ntfs)
      for (char& c : name_)
        if (c == '\\') c = '/';
  } else {
    stored_ = name_;
    for (char& c : stored_)
      if (c == '\\') c = '/';
    if (IsAscii(stored_))
      m_uFlag &= ~kUtf8Flag;
    else
      m_uFlag |= kUtf8Flag;
  }
}

bool CZipFileHeader::NameEndsWithSeparator() const {
  return !name_.empty() && (name_.back() == '/' || name_.back() == '\\');
}

std::uint32_t CZipFileHeader::GetSystemAttr() const {
  int sys = GetSystemCompatibility();
  if (ZipIsSystemSupported(sys)) {
    if (m_uExternalAttr == 0 && NameEndsWithSeparator()) return zipsys::kDefaultFolderAttr;
    return ZipConvertAttributes(m_uExternalAttr, sys, zipsys::kPlatform);
  }
  return NameEndsWithSeparator() ? zipsys::kDefaultFolderAttr : zipsys::kDefaultFileAttr;
}

void CZipFileHeader::SetSystemAttr(std::uint32_t attr) {
  m_uExternalAttr = ZipConvertAttributes(attr, zipsys::kPlatform, GetSystemCompatibility());
}

bool CZipFileHeader::IsDirectory() const {
  if (NameEndsWithSeparator()) return true;
  std::uint32_t a = GetSystemAttr();
  // Unix writers may set only the mode's folder type, without the DOS bit.
  return (a & 0x10) || ((a >> 16) & 0170000) == 0040000;
}

std::uint32_t CZipFileHeader::GetSize(bool local) const {
  if (local) return 30 + static_cast<std::uint32_t>(stored_.size() + m_pExtraField.size());
  return 46 + static_cast<std::uint32_t>(stored_.size() + m_pExtraField.size() + comment_.size());
}

bool CZipFileHeader::Prepare(int level, bool multiVolume, bool encrypted) {
  if (stored_.size() > 0xFFFF || m_pExtraField.size() > 0xFFFF || comment_.size() > 0xFFFF) return false;
  m_uSignature = kCentralSignature;
  m_uInternalAttr = 0;
  m_uCrc32 = m_uComprSize = m_uUncomprSize = 0;
  m_uVersionMadeBy = static_cast<std::uint16_t>((m_uVersionMadeBy & 0xFF00) | 20);
  bool folder = IsDirectory();
  m_uVersionNeeded = folder ? 10 : 20;
  m_uMethod = (level == 0 || folder) ? 0 : 8;
  m_uFlag &= kUtf8Flag;
  if (m_uMethod == 8) {
    if (level == 1) m_uFlag |= 6;
    else if (level == 2) m_uFlag |= 4;
    else if (level == 8 || level == 9) m_uFlag |= 2;
  }
  if (encrypted || multiVolume) m_uFlag |= 8;
  if (encrypted) {
    m_uFlag |= 1;
    m_uComprSize = 12;
  }
  return true;
}

// The fields both headers share, in the same order: version needed to the name and extra
// field lengths (26 bytes).
void CZipFileHeader::PutSharedFields(char* p) const {
  ZipPut16(p, m_uVersionNeeded);
  ZipPut16(p + 2, m_uFlag);
  ZipPut16(p + 4, m_uMethod);
  ZipPut16(p + 6, m_uModTime);
  ZipPut16(p + 8, m_uModDate);
  ZipPut32(p + 10, m_uCrc32);
  ZipPut32(p + 14, m_uComprSize);
  ZipPut32(p + 18, m_uUncomprSize);
  ZipPut16(p + 22, static_cast<std::uint16_t>(stored_.size()));
  ZipPut16(p + 24, static_cast<std::uint16_t>(m_pExtraField.size()));
}

void CZipFileHeader::WriteLocal(CZipStorage& storage) {
  std::string buf(30, '\0');
  char* p = buf.data();
  ZipPut32(p, kLocalSignature);
  PutSharedFields(p + 4);
  buf += stored_;
  buf += m_pExtraField;
  storage.Write(buf.data(), static_cast<std::uint32_t>(buf.size()), true);
  m_uVolumeStart = static_cast<std::uint16_t>(storage.GetCurrentVolume());
  m_uOffset = static_cast<std::uint32_t>(storage.GetPosition() - static_cast<long long>(buf.size()));
  m_pExtraField.clear();
}

bool CZipFileHeader::ReadCentral(CZipStorage& storage) {
  char p[46];
  int volume = storage.GetCurrentVolume();
  storage.Read(p, 46, true);
  if (ZipGet32(p) != kCentralSignature) return false;
  m_uSignature = kCentralSignature;
  m_uVersionMadeBy = ZipGet16(p + 4);
  m_uVersionNeeded = ZipGet16(p + 6);
  m_uFlag = ZipGet16(p + 8);
  m_uMethod = ZipGet16(p + 10);
  m_uModTime = ZipGet16(p + 12);
  m_uModDate = ZipGet16(p + 14);
  m_uCrc32 = ZipGet32(p + 16);
  m_uComprSize = ZipGet32(p + 20);
  m_uUncomprSize = ZipGet32(p + 24);
  std::uint16_t nameLen = ZipGet16(p + 28), extraLen = ZipGet16(p + 30), commentLen = ZipGet16(p + 32);
  m_uVolumeStart = ZipGet16(p + 34);
  m_uInternalAttr = ZipGet16(p + 36);
  m_uExternalAttr = ZipGet32(p + 38);
  m_uOffset = ZipGet32(p + 42);
  stored_.assign(nameLen, '\0');
  if (nameLen) storage.Read(stored_.data(), nameLen, true);
  m_pExtraField.assign(extraLen, '\0');
  if (extraLen) storage.Read(m_pExtraField.data(), extraLen, true);
  comment_.assign(commentLen, '\0');
  if (commentLen) storage.Read(comment_.data(), commentLen, true);
  name_.clear();
  return storage.GetCurrentVolume() == volume;
}

std::uint32_t CZipFileHeader::WriteCentral(CZipStorage& storage) {
  std::string buf(46, '\0');
  char* p = buf.data();
  ZipPut32(p, m_uSignature);
  ZipPut16(p + 4, m_uVersionMadeBy);
  PutSharedFields(p + 6);
  ZipPut16(p + 32, static_cast<std::uint16_t>(comment_.size()));
  ZipPut16(p + 34, m_uVolumeStart);
  ZipPut16(p + 36, m_uInternalAttr);
  ZipPut32(p + 38, m_uExternalAttr);
  ZipPut32(p + 42, m_uOffset);
  buf += stored_;
  buf += m_pExtraField;
  buf += comment_;
  storage.Write(buf.data(), static_cast<std::uint32_t>(buf.size()), true);
  return static_cast<std::uint32_t>(buf.size());
}

bool CZipFileHeader::CheckLocal(CZipStorage& storage, std::uint16_t& localExtraLength) {
  char p[30];
  storage.Read(p, 30, true);
  if (ZipGet32(p) != kLocalSignature) return false;
  std::uint16_t flag = ZipGet16(p + 6);
  std::uint16_t method = ZipGet16(p + 8);
  if ((flag & 0xF) != (m_uFlag & 0xF)) return false;
  if (method != m_uMethod || (method != 0 && method != 8)) return false;
  if (ZipGet16(p + 26) != stored_.size()) return false;
  if (!(flag & 8)) {
    if (ZipGet32(p + 14) != m_uCrc32 || ZipGet32(p + 18) != m_uComprSize || ZipGet32(p + 22) != m_uUncomprSize)
      return false;
  }
  localExtraLength = ZipGet16(p + 28);
  storage.File()->Seek(stored_.size(), CZipAbstractFile::current);
  return true;
}

void CZipFileHeader::WriteDescriptor(char* b) const {
  ZipPut32(b, m_uCrc32);
  ZipPut32(b + 4, m_uComprSize);
  ZipPut32(b + 8, m_uUncomprSize);
}

bool CZipFileHeader::MatchesDescriptor(const char* b) const {
  return ZipGet32(b) == m_uCrc32 && ZipGet32(b + 4) == m_uComprSize && ZipGet32(b + 8) == m_uUncomprSize;
}

// Traditional zip encryption of entries.
#include <random>

#include "zip/zip_archive.h"

namespace {
inline std::uint32_t CrcStep(std::uint32_t crc, unsigned char c) {
  static const z_crc_t* table = get_crc_table();
  return table[(crc ^ c) & 0xFF] ^ (crc >> 8);
}
}  // namespace

bool CZipArchive::SetPassword(const char* password) {
  if (m_iFileOpened) return false;
  m_pszPassword.Release();
  if (!password) return true;
  std::string p(password);
  for (unsigned char c : p)
    if (c < 1 || c > 127) return false;
  m_pszPassword.FromString(p);
  return true;
}

void CZipArchive::CryptInitKeys() {
  m_keys[0] = 0x12345678;
  m_keys[1] = 0x23456789;
  m_keys[2] = 0x34567890;
  for (std::uint32_t i = 0; i < m_pszPassword.GetSize(); ++i) CryptUpdateKeys(m_pszPassword.data()[i]);
}

void CZipArchive::CryptUpdateKeys(char c) {
  m_keys[0] = CrcStep(m_keys[0], static_cast<unsigned char>(c));
  m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
  m_keys[2] = CrcStep(m_keys[2], static_cast<unsigned char>(m_keys[1] >> 24));
}

char CZipArchive::CryptDecode(char c) {
  std::uint32_t t = (m_keys[2] & 0xFFFF) | 2;
  char plain = static_cast<char>(c ^ static_cast<char>(((t * (t ^ 1)) >> 8) & 0xFF));
  CryptUpdateKeys(plain);
  return plain;
}

char CZipArchive::CryptEncode(char c) {
  std::uint32_t t = (m_keys[2] & 0xFFFF) | 2;
  char coded = static_cast<char>(c ^ static_cast<char>(((t * (t ^ 1)) >> 8) & 0xFF));
  CryptUpdateKeys(c);
  return coded;
}

void CZipArchive::CryptEncodeBuffer(char* data, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) data[i] = CryptEncode(data[i]);
}

void CZipArchive::CryptDecodeBuffer(char* data, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) data[i] = CryptDecode(data[i]);
}

void CZipArchive::CryptWriteHeader(const CZipFileHeader& header) {
  CryptInitKeys();
  char buf[12];
  // The header's random bytes come from the system's random source.
  std::random_device rd;
  for (int i = 0; i < 10; i += 2) {
    unsigned v = rd();
    buf[i] = static_cast<char>(v);
    buf[i + 1] = static_cast<char>(v >> 8);
  }
  buf[10] = static_cast<char>(header.m_uModTime & 0xFF);
  buf[11] = static_cast<char>(header.m_uModTime >> 8);
  CryptEncodeBuffer(buf, 12);
  m_storage.Write(buf, 12, false);
}

bool CZipArchive::CryptCheckHeader(const CZipFileHeader& header) {
  CryptInitKeys();
  char buf[12];
  m_storage.Read(buf, 12, false);
  CryptDecodeBuffer(buf, 12);
  unsigned char check = static_cast<unsigned char>(buf[11]);
  unsigned char expect = header.IsDataDescriptor() ? static_cast<unsigned char>(header.m_uModTime >> 8)
                                                   : static_cast<unsigned char>(header.m_uCrc32 >> 24);
  return check == expect;
}

bool CZipArchive::CheckPassword() {
  if (m_iFileOpened != -1 || !m_centralDir.m_pOpenedFile) return false;
  // Checked again from the entry's first data byte, leaving the reading state as it was.
  long long pos = m_storage.File()->GetPosition();
  std::uint32_t keys[3] = {m_keys[0], m_keys[1], m_keys[2]};
  m_storage.File()->Seek(m_info.dataStart, CZipAbstractFile::begin);
  bool ok = CryptCheckHeader(*m_centralDir.m_pOpenedFile);
  m_storage.File()->Seek(pos, CZipAbstractFile::begin);
  for (int i = 0; i < 3; ++i) m_keys[i] = keys[i];
  return ok;
}

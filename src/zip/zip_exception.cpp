#include "zip/zip_exception.h"

#include <cerrno>
#include <cstring>
#include <zlib.h>

namespace {

const char* TableText(int code) {
  switch (code) {
    case 1: return "Not super-user";
    case 2: return "No such file or directory";
    case 4: return "Interrupted system call";
    case 5: return "I/O error";
    case 6: return "No such device or address";
    case 9: return "Bad file number";
    case 12: return "Not enough space";
    case 13: return "Permission denied";
    case 14: return "Bad address";
    case 17: return "File exists";
    case 18: return "Cross-device link";
    case 19: return "No such device";
    case 20: return "Not a directory";
    case 21: return "Is a directory";
    case 22: return "Invalid argument";
    case 23: return "File table overflow";
    case 24: return "Too many open files";
    case 27: return "File too large";
    case 28: return "No space left on device";
    case 29: return "Illegal seek";
    case 30: return "Read-only file system";
    case 101: return "Damaged or not a zip file";
    case 102: return "Crc mismatched";
    case 103: return "No disk-spanning callback functor set";
    case 104: return "Disk change aborted";
    case 105: return "Action aborted";
    case 106: return "Action aborted safely";
    case 107: return "The device selected for the disk spanning archive is non removable";
    case 108: return "Limit of the maximum volumes reached (999)";
    case 109: return "The filename of the file being added to the archive is too long";
    case 110: return "Incorrect password set for the file being decrypted";
    case 111: return "During testing found the directory with the size greater than 0";
    case 112: return "Internal error";
    case 113: return "Error while removing a file";
    case 114: return "Error while renaming a file";
    case 115: return "Cannot create the file for the specified platform";
    case 116:
      return "The central directory was not found in the archive (or you were trying to open "
             "not the last disk of a multi-disk archive)";
    case 117: return "The archive cannot hold more than 65535 entries";
    case 118: return "A zip file or an entry of it cannot reach 4 GiB";
    case 119: return "The entry's name is not a safe file name inside the destination folder";
    case 500: return "Zlib Library error (end of stream)";
    case 503: return "Zlib library error (stream error)";
    case 504: return "Zlib library error (data error)";
    case 505: return "Not enough memory";
    case 506: return "Zlib library error (buffer error)";
    case 507: return "Zlib library error (version error)";
    default: return nullptr;
  }
}

std::string ErrnoText(int err) {
  char buf[256];
  const char* s = strerror_r(err, buf, sizeof buf);  // GNU variant
  return s ? s : "Unknown error";
}

}  // namespace

CZipException::CZipException(int code, std::string fileName, std::string detail, bool unsupported)
    : m_iCause(code), m_szFileName(std::move(fileName)), m_szDetail(std::move(detail)), m_bUnsupported(unsupported) {
  what_ = GetDescription();
  if (!m_szFileName.empty()) what_ += " (" + m_szFileName + ")";
}

std::string CZipException::Describe(int code, bool useDefault) {
  if (const char* t = TableText(code)) {
    if (code == notRemoved || code == notRenamed) {
      int err = errno;
      return std::string(t) + " (" + (err ? ErrnoText(err) : std::string("Unknown error")) + ")";
    }
    return t;
  }
  if (code == errNo) {
    int err = errno;
    if (err == errNo || err == 0) return Describe(generic, true);
    return ErrnoText(err);
  }
  // System error numbers beyond the table are described by the system.
  if (code > 0 && code < 100) return ErrnoText(code);
  if (code > errnoBase && code < errnoBase + 4096) return ErrnoText(code - errnoBase);
  if (useDefault) return "Unknown error";
  int err = errno;
  return err ? ErrnoText(err) : Describe(generic, true);
}

std::string CZipException::GetDescription() const {
  if (m_bUnsupported) return m_szDetail;
  const std::string text = Describe(m_iCause, false);
  return m_szDetail.empty() ? text : text + ": " + m_szDetail;
}

bool CZipException::GetErrorMessage(char* buffer, unsigned size, unsigned*) const {
  if (!buffer || size == 0) return false;
  std::string d = GetDescription();
  if (d.empty()) return false;
  std::size_t n = std::min<std::size_t>(size - 1, d.size());
  std::memcpy(buffer, d.data(), n);
  buffer[n] = '\0';
  return true;
}

int CZipException::ZlibErrToZip(int r) {
  switch (r) {
    case Z_STREAM_END: return streamEnd;
    case Z_NEED_DICT: return needDict;
    case Z_ERRNO: return errNo;
    case Z_STREAM_ERROR: return streamError;
    case Z_DATA_ERROR: return dataError;
    case Z_MEM_ERROR: return memError;
    case Z_BUF_ERROR: return bufError;
    case Z_VERSION_ERROR: return versionError;
    default: return generic;
  }
}

void ZipThrow(int code, const std::string& fileName, const std::string& detail) {
  throw CZipException(code, fileName, detail);
}

void ZipThrowUnsupported(const std::string& fileName, const std::string& what) {
  throw CZipException(CZipException::badZipFile, fileName, what, true);
}

void ZipThrowErrno(const std::string& fileName, int err) {
  if (err == 0) err = errno;
  if (err == 0) err = EIO;
  // Small error numbers are archive codes themselves; larger ones would collide with the
  // archive's own codes and are carried above errnoBase.
  throw CZipException(err < 100 ? err : CZipException::errnoBase + err, fileName);
}

#pragma once
// The archive's single failure channel: every failure that is not a plain false result is
// thrown as a CZipException carrying a code and the file concerned.
#include <exception>
#include <string>

class CZipException : public std::exception {
 public:
  enum : int {
    generic = 100,
    badZipFile = 101,
    badCrc = 102,
    noCallback = 103,
    aborted = 104,
    abortedAction = 105,
    abortedSafely = 106,
    nonRemovable = 107,
    tooManyVolumes = 108,
    tooLongFileName = 109,
    badPassword = 110,
    dirWithSize = 111,
    internal = 112,
    notRemoved = 113,
    notRenamed = 114,
    platfNotSupp = 115,
    cdirNotFound = 116,
    tooManyEntries = 117,  // the format kept here holds at most 65535 entries
    tooLarge = 118,        // an entry or the archive would reach 4 GiB
    unsafeName = 119,      // an entry name that would leave the destination folder
    streamEnd = 500,
    needDict = 501,
    errNo = 502,
    streamError = 503,
    dataError = 504,
    memError = 505,
    bufError = 506,
    versionError = 507,
    errnoBase = 1000,  // errnoBase + n: system error number n (n >= 100)
  };

  CZipException(int code, std::string fileName = {}, std::string detail = {}, bool unsupported = false);

  int m_iCause;
  std::string m_szFileName;
  std::string m_szDetail;  // what exactly is wrong or not supported, when known
  bool m_bUnsupported = false;  // a sound archive using what this reader lacks: the detail says it

  // The text of the code, with the detail when there is one.
  std::string GetDescription() const;
  // Copies at most size-1 characters of the description and a terminator.
  bool GetErrorMessage(char* buffer, unsigned size, unsigned* helpContext = nullptr) const;
  const char* what() const noexcept override { return what_.c_str(); }

  // Text of a code; codes without their own text give "Unknown error" with the default flag,
  // else the text of the current errno.
  static std::string Describe(int code, bool useDefault);
  // Maps a zlib result to the archive's code.
  static int ZlibErrToZip(int zlibResult);

 private:
  std::string what_;
};

[[noreturn]] void ZipThrow(int code, const std::string& fileName = {}, const std::string& detail = {});
// Refuses (code 101) an archive or entry that uses what this reader does not support; the
// description is the text alone, not "damaged".
[[noreturn]] void ZipThrowUnsupported(const std::string& fileName, const std::string& what);
// Raises the code of the system error number (errno when 0): the number itself below 100,
// else errnoBase + number.
[[noreturn]] void ZipThrowErrno(const std::string& fileName, int err = 0);

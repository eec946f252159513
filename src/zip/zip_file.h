#pragma once
// Files under the archive: the abstract file, the disk file, the growable memory file, the
// owned byte buffer, the path splitter and the file-system helpers.
#include <cstdint>
#include <ctime>
#include <string>

// An owned block of bytes.
class CZipAutoBuffer {
 public:
  CZipAutoBuffer() = default;
  explicit CZipAutoBuffer(std::uint32_t size, bool zero = false) { Allocate(size, zero); }
  CZipAutoBuffer(const CZipAutoBuffer& o);
  CZipAutoBuffer& operator=(const CZipAutoBuffer& o);
  virtual ~CZipAutoBuffer() { Release(); }

  // An equal size keeps the block; size 0 leaves the buffer empty.
  char* Allocate(std::uint32_t size, bool zero = false);
  void Release();
  char* data() { return data_; }
  const char* data() const { return data_; }
  std::uint32_t GetSize() const { return size_; }
  bool IsAllocated() const { return data_ != nullptr; }
  std::string ToString() const { return std::string(data_ ? data_ : "", size_); }
  void FromString(const std::string& s);

 private:
  char* data_ = nullptr;
  std::uint32_t size_ = 0;
};

class CZipAbstractFile {
 public:
  enum { begin = 0, current = 1, end = 2 };
  virtual ~CZipAbstractFile() = default;
  virtual bool Open(const std::string& path, int openFlags, bool throwOnError) { return true; }
  virtual void Close() = 0;
  virtual void Flush() = 0;
  virtual long long GetPosition() const = 0;
  virtual long long Seek(long long offset, int origin) = 0;
  virtual long long GetLength() const = 0;
  virtual void SetLength(long long length) = 0;
  long long SeekToBegin() { return Seek(0, begin); }
  long long SeekToEnd() { return Seek(0, end); }
  virtual std::string GetFilePath() const = 0;
  virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
  virtual void Write(const void* buffer, std::uint32_t count) = 0;
  virtual bool IsClosed() const = 0;
};

// A file on disk. Every failure raises the archive exception with the system error number.
class CZipFile : public CZipAbstractFile {
 public:
  enum OpenFlags {
    modeRead = 0x0,
    modeReadWrite = 0x2,
    modeCreate = 0x1000,   // create or truncate, read-write
    modeNoTruncate = 0x2000,
  };
  CZipFile() = default;
  CZipFile(const std::string& path, int openFlags) { Open(path, openFlags, true); }
  ~CZipFile() override { Close(); }
  CZipFile(const CZipFile&) = delete;
  CZipFile& operator=(const CZipFile&) = delete;

  bool Open(const std::string& path, int openFlags, bool throwOnError) override;
  void Close() override;
  void Flush() override;
  long long GetPosition() const override;
  long long Seek(long long offset, int origin) override;
  long long GetLength() const override;
  void SetLength(long long length) override;
  std::string GetFilePath() const override { return path_; }
  std::uint32_t Read(void* buffer, std::uint32_t count) override;
  void Write(const void* buffer, std::uint32_t count) override;
  bool IsClosed() const override { return fd_ < 0; }
  int Handle() const { return fd_; }

 private:
  int fd_ = -1;
  // The position is kept here and the file read through a small window: reading an archive
  // means many short reads (headers, names, small entries), each a system call otherwise.
  long long pos_ = 0;
  std::string window_;
  long long windowStart_ = 0;
  std::uint32_t windowLength_ = 0;
  std::string path_;
};

// A growable block of memory used as a file.
class CZipMemFile : public CZipAbstractFile {
 public:
  explicit CZipMemFile(std::uint32_t growStep = 1024) : grow_(growStep) {}
  // Wraps a caller's block; it is copied only when written past its size.
  CZipMemFile(const void* data, std::uint32_t size);
  ~CZipMemFile() override { Close(); }
  CZipMemFile(const CZipMemFile&) = delete;
  CZipMemFile& operator=(const CZipMemFile&) = delete;

  void Close() override;
  void Flush() override {}
  long long GetPosition() const override { return pos_; }
  // A position before the start raises code 22 (invalid argument).
  long long Seek(long long offset, int origin) override;
  long long GetLength() const override { return dataSize_; }
  void SetLength(long long length) override;
  std::string GetFilePath() const override { return {}; }
  std::uint32_t Read(void* buffer, std::uint32_t count) override;
  void Write(const void* buffer, std::uint32_t count) override;
  bool IsClosed() const override { return buf_ == nullptr; }
  const char* Data() const { return buf_; }
  std::uint32_t BufferSize() const { return bufSize_; }

 private:
  void Grow(std::uint64_t needed);
  std::uint32_t grow_;
  std::uint64_t pos_ = 0;
  std::uint32_t bufSize_ = 0, dataSize_ = 0;
  char* buf_ = nullptr;
  bool owns_ = true;
};

// A path split into prefix ("\\\\", "\\\\?\\" or "\\\\?\\unc\\"), drive ("C:"), folder,
// title and extension. Both separators are accepted.
class CZipPathComponent {
 public:
  CZipPathComponent() = default;
  explicit CZipPathComponent(const std::string& path) { SetFullPath(path); }
  virtual ~CZipPathComponent() = default;
  void SetFullPath(const std::string& path);
  std::string GetFileName() const;          // title.ext
  std::string GetFilePath() const;          // prefix + drive + sep + folder
  std::string GetFullPath() const;          // file path + sep + file name
  std::string GetNoDrive() const;           // folder + sep + file name
  std::string m_szPrefix, m_szDrive, m_szDirectory, m_szFileTitle, m_szFileExt;
};

// Removes trailing '/' and '\'.
std::string ZipRemoveTrailingSeparators(std::string s);
bool ZipIsSeparator(char c);

// File-system helpers. Attributes are in this platform's form: the Unix mode in the high
// 16 bits and the DOS bits (0x10 folder, 0x20 archive, 0x01 read-only) in the low byte.
bool ZipGetFileAttr(const std::string& path, std::uint32_t& attr);
bool ZipSetFileAttr(const std::string& path, std::uint32_t attr);
bool ZipGetFileModTime(const std::string& path, std::time_t& t);
bool ZipSetFileModTime(const std::string& path, std::time_t t);
bool ZipGetFileSize(const std::string& path, std::uint64_t& size);
bool ZipCreateDirectory(const std::string& path);
bool ZipForceDirectory(const std::string& path);
int ZipFileExists(const std::string& path);  // 0 absent, -1 folder, 1 file
bool ZipIsFolder(const std::string& path);
bool ZipRemoveFile(const std::string& path, bool throwOnError = true);
bool ZipRenameFile(const std::string& from, const std::string& to, bool throwOnError = true);
// A new empty file "ZAR*" in the folder, the temporary folder or the current folder, the
// first with the room needed; "" when none.
std::string ZipGetTempFileName(const char* folder, std::uint64_t bytesNeeded);
std::uint64_t ZipGetFreeSpace(const std::string& path);
// Removable drives cannot be told apart here: spanning over disks is not available.
bool ZipIsDriveRemovable(const std::string& path);
// The process umask, read without changing it for long.
unsigned ZipGetUmask();

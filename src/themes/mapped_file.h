#pragma once
// A whole file mapped read-only, so that cell stores on disk cost a memory read per cell.
#include <cstddef>
#include <string>

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False when the file cannot be opened or mapped. An empty file maps to no bytes.
  bool Open(const std::string& path);
  void Close();
  const unsigned char* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  int fd_ = -1;
  unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};

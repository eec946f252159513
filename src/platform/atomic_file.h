#pragma once
// Atomic save: write into a temporary file beside the target, flush, then rename over it.
// A failed or abandoned save leaves the previous file untouched. Saving through a symbolic link
// replaces the file it leads to, and the temporary file has the target's permissions throughout.
#include <cstdio>
#include <string>

#include "platform/temp_files.h"

namespace platform {

class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();  // discards the temporary file unless Commit succeeded
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file (binary mode). False when it cannot be created.
  bool Open();
  std::FILE* File() { return file_; }
  bool Write(const void* data, std::size_t size);
  bool Write(const std::string& text) { return Write(text.data(), text.size()); }
  // Flushes, syncs and renames over the target. False (and the target unchanged) on failure.
  bool Commit();
  void Discard();
  const std::string& TempPath() const { return temp_.path; }
  const std::string& Target() const { return target_; }
  // Errno of the first failure, 0 when none.
  int Error() const { return error_; }

 private:
  std::string target_;
  TempFile temp_;
  std::FILE* file_ = nullptr;
  int error_ = 0;
  bool failed_ = false;
};

// Writes the whole buffer atomically; false on any failure.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace platform

#pragma once
// The archive file with its write buffer and its volume bookkeeping.
#include <cstdint>
#include <memory>
#include <string>

#include "zip/zip_file.h"
#include "platform/temp_files.h"

class CZipStorage {
 public:
  enum VolumeMode { noVolumes = 0, removableVolumes = 1, numberedVolumes = 2, decideLater = 3,
                    decideLaterSized = 4 };
  enum OpenMode { zipOpen = 0, zipOpenReadOnly = 1, zipCreate = 2, zipCreateSpan = 3 };

  CZipStorage() = default;
  virtual ~CZipStorage();
  CZipStorage(const CZipStorage&) = delete;
  CZipStorage& operator=(const CZipStorage&) = delete;

  // A new single-file archive, and an archive opened for changes, is written to a temporary
  // file beside the target and renamed over it when closed, so a failed or interrupted save
  // leaves the previous file untouched.
  void Open(const std::string& path, int mode, int volumeSize);
  void OpenMemory(CZipMemFile& file, int mode);
  // Called with the end record's number of this disk.
  void SetVolumeMode(int thisVolume);
  void Write(const void* data, std::uint32_t count, bool atOnce);
  // Reads exactly count bytes or raises 101.
  std::uint32_t Read(void* buffer, std::uint32_t count, bool atOnce);
  void Flush();
  // Without the flag writes the waiting bytes and keeps the file; with it drops them (and a
  // new archive's temporary file). Returns the archive's path.
  std::string Close(bool afterException);
  void ChangeVolume(int volume);
  void NextVolume(std::uint32_t bytesNeeded);
  // Finishes a new numbered-volume archive: the last volume takes the archive's name.
  void FinishVolumes();

  // Position on the current volume, counting the bytes waiting in the buffer.
  long long GetPosition() const;
  std::uint32_t BufferedBytes() const { return fill_; }
  void DropBuffer() { fill_ = 0; }
  bool IsMultiVolume() const { return volumeMode_ == removableVolumes || volumeMode_ == numberedVolumes; }
  bool IsNewMultiVolume() const { return newMultiVolume_; }
  bool IsReadingMultiVolume() const { return IsMultiVolume() && !newMultiVolume_; }
  bool IsReadOnly() const { return readOnly_; }
  bool IsInMemory() const { return inMemory_; }
  bool IsOpen() const { return file_ != nullptr && !file_->IsClosed(); }
  int GetCurrentVolume() const { return currentVolume_; }
  int GetLastVolume() const { return lastVolume_; }
  std::string GetArchivePath() const { return archivePath_; }
  void SetWriteBufferSize(int size) { writeBufferSize_ = size; }
  CZipAbstractFile* File() { return file_; }
  std::string VolumeName(int volume) const;

 private:
  void WriteInternal(const char* data, std::uint32_t count);
  void DiscardTemp();
  // Copies an existing archive into temp_, which then replaces it when closed.
  void CopyToTemp(const std::string& path);

  int writeBufferSize_ = 65536;
  CZipFile internalFile_;
  CZipAbstractFile* file_ = nullptr;
  int volumeMode_ = noVolumes;
  int volumeSize_ = 0;
  int lastVolume_ = 0;
  std::string volumeExtension_;
  std::uint32_t fill_ = 0;
  std::uint64_t writtenOnVolume_ = 0;
  CZipAutoBuffer buffer_;
  bool newMultiVolume_ = false;
  int currentVolume_ = -1;
  bool inMemory_ = false;
  bool readOnly_ = false;
  std::string archivePath_;
  bool copyOfExisting_ = false;  // temp_ is a copy of the archive opened for changes
  bool written_ = false;
  platform::TempFile temp_;  // a new or changed archive's file until it is closed
};

#include "zip/zip_central_dir.h"

#include <algorithm>
#include <cstring>

#include "zip/zip_callback.h"
#include "zip/zip_exception.h"
#include "zip/zip_storage.h"

namespace {
constexpr long long kEndRecordSize = 22;
constexpr long long kMaxComment = 0xFFFF;
}  // namespace

std::string CZipCentralDir::ArchivePath() const { return m_pStorage ? m_pStorage->GetArchivePath() : std::string(); }

void CZipCentralDir::ThrowError(int code) const { ZipThrow(code, ArchivePath()); }

void CZipCentralDir::Reset() {
  m_pOpenedFile = nullptr;
  m_uEndOffset = 0;
  m_uBytesBeforeZip = 0;
  m_bOnDisk = false;
  m_sizeValid = false;
  m_pLocalExtraField.clear();
}

void CZipCentralDir::Clear(bool all) {
  m_pOpenedFile = nullptr;
  m_pLocalExtraField.clear();
  m_sizeValid = false;
  if (all) {
    m_headers.clear();
    m_findarray.clear();
    m_pszComment.clear();
  }
}

long long CZipCentralDir::LocateEndRecord() {
  CZipAbstractFile* f = m_pStorage->File();
  const long long length = f->GetLength();
  const long long window = std::min(length, kMaxComment + kEndRecordSize);
  if (window < 4) ThrowError(CZipException::cdirNotFound);
  std::string buf(static_cast<std::size_t>(window), '\0');
  f->Seek(length - window, CZipAbstractFile::begin);
  if (f->Read(buf.data(), static_cast<std::uint32_t>(window)) != window) ThrowError(CZipException::badZipFile);
  // The signature nearest to the end wins, even one too close to the end for a whole record: a
  // cut archive must be reported as damaged, not passed over for an earlier signature (such as
  // that of a zip stored as the last entry).
  for (long long i = window - 4; i >= 0; --i) {
    if (ZipGet32(buf.data() + i) == kEndSignature) return length - window + i;
  }
  ThrowError(CZipException::cdirNotFound);
}

void CZipCentralDir::ReadDirectory() {
  CZipAbstractFile* f = m_pStorage->File();
  const long long pos = LocateEndRecord();
  m_uEndOffset = pos;
  // A zip64 end-record locator right before the end record: the real counts and offsets are
  // in a record this reader does not have.
  if (pos >= 20) {
    char locator[4];
    f->Seek(pos - 20, CZipAbstractFile::begin);
    if (f->Read(locator, 4) == 4 && ZipGet32(locator) == 0x07064B50)
      ZipThrowUnsupported(ArchivePath(), "Zip64 archives (over 4 GiB or 65535 entries) are not supported");
  }
  f->Seek(pos, CZipAbstractFile::begin);
  char rec[22];
  m_pStorage->Read(rec, 22, true);
  m_uEndSignature = ZipGet32(rec);
  m_uThisDisk = ZipGet16(rec + 4);
  m_uDiskWithCD = ZipGet16(rec + 6);
  m_uDiskEntriesNo = ZipGet16(rec + 8);
  m_uEntriesNumber = ZipGet16(rec + 10);
  m_uSize = ZipGet32(rec + 12);
  m_uOffset = ZipGet32(rec + 16);
  const std::uint16_t commentLen = ZipGet16(rec + 20);

  m_pStorage->SetVolumeMode(m_uThisDisk);
  const bool multi = m_pStorage->IsMultiVolume();
  // Bounds in 64 bits: a hostile offset plus size must not wrap.
  if (!multi && pos < static_cast<long long>(m_uOffset) + static_cast<long long>(m_uSize))
    ThrowError(CZipException::badZipFile);
  m_pszComment.assign(commentLen, '\0');
  if (commentLen) m_pStorage->Read(m_pszComment.data(), commentLen, true);
  // The record and its comment close the file; bytes after them mean this is not the last
  // record (a stored inner archive's, with the real one cut off).
  if (pos + kEndRecordSize + commentLen != m_pStorage->File()->GetLength()) ThrowError(CZipException::badZipFile);
  m_uBytesBeforeZip = multi ? 0 : pos - m_uOffset - m_uSize;
  if ((m_uSize == 0) != (m_uEntriesNumber == 0)) ThrowError(CZipException::badZipFile);
  if (static_cast<std::uint64_t>(m_uEntriesNumber) * 46 > m_uSize) ThrowError(CZipException::badZipFile);
  if (multi && (m_uDiskWithCD > m_uThisDisk)) ThrowError(CZipException::badZipFile);
  m_bOnDisk = true;
  m_pStorage->ChangeVolume(m_uDiskWithCD);
  if (m_uSize) ReadHeaders();
  if (m_bFindFastEnabled) BuildFindFast(m_bCaseSensitive);
}

void CZipCentralDir::ReadHeaders() {
  m_pStorage->File()->Seek(m_uBytesBeforeZip + m_uOffset, CZipAbstractFile::begin);
  m_headers.clear();
  m_findarray.clear();
  m_sizeValid = false;
  m_headers.reserve(m_uEntriesNumber);
  for (int i = 0; i < m_uEntriesNumber; ++i) {
    auto h = std::make_unique<CZipFileHeader>();
    if (!h->ReadCentral(*m_pStorage)) ThrowError(CZipException::badZipFile);
    h->ConvertFileName(true);
    // In a single file every entry lies before the directory.
    if (!m_pStorage->IsMultiVolume() && static_cast<std::uint64_t>(h->m_uOffset) + 30 > m_uOffset) {
      if (h->m_uOffset == 0xFFFFFFFF)
        ZipThrowUnsupported(ArchivePath(), "\"" + h->GetFileName() + "\" has zip64 offsets, which are not supported");
      ThrowError(CZipException::badZipFile);
    }
    m_headers.push_back(std::move(h));
  }
  SortHeaders();
}

void CZipCentralDir::SortHeaders() {
  std::stable_sort(m_headers.begin(), m_headers.end(), [](const auto& a, const auto& b) {
    if (a->m_uVolumeStart != b->m_uVolumeStart) return a->m_uVolumeStart < b->m_uVolumeStart;
    return a->m_uOffset < b->m_uOffset;
  });
  for (std::size_t i = 1; i < m_headers.size(); ++i) {
    if (m_headers[i]->m_uVolumeStart == m_headers[i - 1]->m_uVolumeStart &&
        m_headers[i]->m_uOffset == m_headers[i - 1]->m_uOffset)
      ZipThrow(CZipException::badZipFile, ArchivePath(),
               "entries \"" + m_headers[i - 1]->GetFileName() + "\" and \"" + m_headers[i]->GetFileName() +
                   "\" share their data");
  }
}

std::uint64_t CZipCentralDir::GetDirectorySize(bool withHeaders) const {
  std::uint64_t size = kEndRecordSize + m_pszComment.size();
  if (!withHeaders) return size;
  if (!m_sizeValid) {
    m_headersSize = 0;
    for (const auto& h : m_headers)
      if (h.get() != m_pOpenedFile) m_headersSize += h->GetSize(false);
    m_sizeValid = true;
  }
  return size + m_headersSize;
}

void CZipCentralDir::FinishOpenHeader() {
  if (m_pOpenedFile && m_sizeValid) m_headersSize += m_pOpenedFile->GetSize(false);
  m_pOpenedFile = nullptr;
}

void CZipCentralDir::WriteDirectory(CZipActionCallback* cb) {
  if (m_bOnDisk) return;
  CZipAbstractFile* f = m_pStorage->File();
  const bool multi = m_pStorage->IsMultiVolume();
  if (!multi) {
    m_pStorage->Flush();
    f->SeekToEnd();
  }
  m_uEntriesNumber = static_cast<std::uint16_t>(m_headers.size());
  m_uSize = 0;
  m_uDiskEntriesNo = 0;
  m_uDiskWithCD = static_cast<std::uint16_t>(m_pStorage->GetCurrentVolume());
  m_uOffset = static_cast<std::uint32_t>(m_pStorage->GetPosition() - m_uBytesBeforeZip);
  if (cb) {
    cb->Init("", "");
    cb->SetTotal(m_headers.size());
  }
  bool cancelled = false;
  for (std::size_t i = 0; i < m_headers.size(); ++i) {
    int volume = m_pStorage->GetCurrentVolume();
    std::uint32_t size = m_headers[i]->WriteCentral(*m_pStorage);
    m_uSize += size;
    if (m_pStorage->GetCurrentVolume() != volume) {
      m_uDiskEntriesNo = 1;
      if (i == 0) {
        m_uDiskWithCD = static_cast<std::uint16_t>(m_pStorage->GetCurrentVolume());
        m_uOffset = static_cast<std::uint32_t>(m_pStorage->GetPosition() - size);
      }
    } else {
      ++m_uDiskEntriesNo;
    }
    if (cb && !cancelled && i % 256 == 0 && !cb->Callback(256)) cancelled = true;
  }
  if (cb) cb->CallbackEnd();
  m_uThisDisk = static_cast<std::uint16_t>(m_pStorage->GetCurrentVolume());
  char rec[22];
  ZipPut32(rec, kEndSignature);
  ZipPut16(rec + 4, m_uThisDisk);
  ZipPut16(rec + 6, m_uDiskWithCD);
  ZipPut16(rec + 8, multi ? m_uDiskEntriesNo : m_uEntriesNumber);
  ZipPut16(rec + 10, m_uEntriesNumber);
  ZipPut32(rec + 12, m_uSize);
  ZipPut32(rec + 16, m_uOffset);
  ZipPut16(rec + 20, static_cast<std::uint16_t>(m_pszComment.size()));
  std::string all(rec, 22);
  all += m_pszComment;
  m_pStorage->Write(all.data(), static_cast<std::uint32_t>(all.size()), true);
  m_bOnDisk = true;
  // A cancel while the directory is written still completes it: a valid archive is safer
  // than an archive cut back to no directory at all.
  if (cancelled) {
    if (!multi) m_pStorage->Flush();  // on disk before the caller closes without writing
    ThrowError(multi ? CZipException::abortedAction : CZipException::abortedSafely);
  }
}

void CZipCentralDir::RemoveFromDisk() {
  if (m_bOnDisk && !m_pStorage->IsMultiVolume()) {
    // The write buffer can only hold directory bytes here: they go with the directory.
    m_pStorage->DropBuffer();
    m_pStorage->File()->SetLength(m_uBytesBeforeZip + m_uOffset);
    m_bOnDisk = false;
  } else {
    m_pStorage->Flush();
  }
}

CZipFileHeader* CZipCentralDir::InsertHeader(const CZipFileHeader& header, int replaceIndex) {
  auto copy = std::make_unique<CZipFileHeader>(header);
  CZipFileHeader* h = copy.get();
  std::uint32_t oldOffset = 0;
  std::uint16_t index;
  if (replaceIndex >= 0) {
    CZipFileHeader* old = m_headers[replaceIndex].get();
    oldOffset = old->m_uOffset;
    if (m_sizeValid) m_headersSize -= old->GetSize(false);
    if (m_bFindFastEnabled) {
      auto it = std::find_if(m_findarray.begin(), m_findarray.end(), [&](const CZipFindFast& e) { return e.m_pHeader == old; });
      if (it != m_findarray.end()) m_findarray.erase(it);
    }
    m_headers[replaceIndex] = std::move(copy);
    index = static_cast<std::uint16_t>(replaceIndex);
  } else {
    m_headers.push_back(std::move(copy));
    index = static_cast<std::uint16_t>(m_headers.size() - 1);
  }
  m_pOpenedFile = h;
  if (m_bFindFastEnabled) InsertFindFast(h, index);
  RemoveFromDisk();
  if (replaceIndex >= 0)
    m_pStorage->File()->Seek(AbsolutePos(oldOffset), CZipAbstractFile::begin);
  else
    m_pStorage->File()->SeekToEnd();
  return h;
}

void CZipCentralDir::CloseNewFile() {
  CZipFileHeader* h = m_pOpenedFile;
  CZipAbstractFile* f = m_pStorage->File();
  const bool multi = m_pStorage->IsMultiVolume();
  char d[16];
  auto patchLocal = [&] {
    m_pStorage->Flush();
    h->WriteDescriptor(d);
    f->Seek(AbsolutePos(h->m_uOffset) + 14, CZipAbstractFile::begin);
    f->Write(d, 12);
  };
  if (!h->IsDataDescriptor()) {
    patchLocal();
  } else {
    bool sig = multi || h->IsEncrypted();
    ZipPut32(d, CZipFileHeader::kDescriptorSignature);
    h->WriteDescriptor(sig ? d + 4 : d);
    m_pStorage->Write(d, sig ? 16 : 12, true);
    if (h->IsEncrypted() && !multi) {
      long long end = m_pStorage->GetPosition();
      patchLocal();
      f->Seek(end, CZipAbstractFile::begin);
    }
  }
  m_pStorage->Flush();
  FinishOpenHeader();
}

void CZipCentralDir::OpenFile(std::uint16_t index) {
  CZipFileHeader* h = m_headers[index].get();
  // What this reader cannot unpack is said as such, before any of it is read.
  const std::string quoted = "\"" + h->GetFileName() + "\"";
  if (h->m_uMethod == 99)
    ZipThrowUnsupported(ArchivePath(), quoted + " is AES-encrypted, which is not supported");
  if (h->m_uMethod != 0 && h->m_uMethod != 8)
    ZipThrowUnsupported(ArchivePath(), quoted + " is compressed with method " + std::to_string(h->m_uMethod) +
                                           ", which is not supported (only stored and deflated entries are)");
  if (h->m_uComprSize == 0xFFFFFFFF || h->m_uUncomprSize == 0xFFFFFFFF)
    ZipThrowUnsupported(ArchivePath(), quoted + " has zip64 sizes, which are not supported");
  m_pOpenedFile = h;
  m_pStorage->ChangeVolume(h->m_uVolumeStart);
  m_pStorage->File()->Seek(AbsolutePos(h->m_uOffset), CZipAbstractFile::begin);
  std::uint16_t extraLen = 0;
  if (!h->CheckLocal(*m_pStorage, extraLen)) ThrowError(CZipException::badZipFile);
  m_pLocalExtraField.assign(extraLen, '\0');
  if (extraLen) {
    int volume = m_pStorage->GetCurrentVolume();
    m_pStorage->Read(m_pLocalExtraField.data(), extraLen, true);
    if (volume != m_pStorage->GetCurrentVolume()) ThrowError(CZipException::badZipFile);
  }
  // Its data must end before the next entry and the directory: a few kilobytes of entries
  // sharing one stretch of compressed data can unpack to gigabytes.
  if (m_bOnDisk && !m_pStorage->IsMultiVolume()) {
    const std::uint64_t dataEnd = static_cast<std::uint64_t>(h->m_uOffset) + 30 + h->StoredName().size() + extraLen + h->m_uComprSize;
    const std::uint64_t next = static_cast<std::size_t>(index) + 1 < m_headers.size() ? m_headers[index + 1]->m_uOffset : m_uOffset;
    if (dataEnd > next)
      ZipThrow(CZipException::badZipFile, ArchivePath(), "entry " + quoted + " overlaps the next entry or the directory");
  }
}

void CZipCentralDir::CloseFile(bool checkDescriptor) {
  CZipFileHeader* h = m_pOpenedFile;
  if (checkDescriptor && h && h->IsDataDescriptor()) {
    char d[12];
    m_pStorage->Read(d, 4, true);
    if (ZipGet32(d) != CZipFileHeader::kDescriptorSignature)
      m_pStorage->File()->Seek(-4, CZipAbstractFile::current);
    m_pStorage->Read(d, 12, true);
    if (!h->MatchesDescriptor(d)) ThrowError(CZipException::badZipFile);
  }
  m_pOpenedFile = nullptr;
  m_pLocalExtraField.clear();
}

void CZipCentralDir::RemoveHeader(std::uint16_t index, bool shiftIndexes) {
  CZipFileHeader* h = m_headers[index].get();
  if (m_bFindFastEnabled) {
    auto it = std::find_if(m_findarray.begin(), m_findarray.end(), [&](const CZipFindFast& e) { return e.m_pHeader == h; });
    if (it != m_findarray.end()) m_findarray.erase(it);
    if (shiftIndexes)
      for (auto& e : m_findarray)
        if (e.m_uIndex > index) --e.m_uIndex;
  }
  if (m_pOpenedFile == h)
    m_pOpenedFile = nullptr;
  else if (m_sizeValid)
    m_headersSize -= h->GetSize(false);
  m_headers.erase(m_headers.begin() + index);
}

void CZipCentralDir::RemoveAll() {
  m_sizeValid = false;
  m_headers.clear();
  m_findarray.clear();
  m_pOpenedFile = nullptr;
}

// ---- finding ------------------------------------------------------------------------

void CZipCentralDir::EnableFindFast(bool enable, bool caseSensitive) {
  if (enable) {
    BuildFindFast(caseSensitive);
  } else {
    m_bFindFastEnabled = false;
    m_findarray.clear();
  }
}

void CZipCentralDir::BuildFindFast(bool caseSensitive) {
  m_bFindFastEnabled = true;
  m_bCaseSensitive = caseSensitive;
  m_pCompare = GetZipStringCompareFunction(caseSensitive, true);
  m_findarray.clear();
  m_findarray.reserve(m_headers.size());
  for (std::size_t i = 0; i < m_headers.size(); ++i)
    m_findarray.push_back({m_headers[i].get(), static_cast<std::uint16_t>(i)});
  // One sort instead of n ordered insertions; equal names keep the later entry first, as
  // inserting one by one would.
  auto cmp = m_pCompare;
  std::sort(m_findarray.begin(), m_findarray.end(), [cmp](const CZipFindFast& a, const CZipFindFast& b) {
    int c = cmp(a.m_pHeader->GetFileName(), b.m_pHeader->GetFileName().c_str());
    return c != 0 ? c < 0 : a.m_uIndex > b.m_uIndex;
  });
}

void CZipCentralDir::InsertFindFast(CZipFileHeader* header, std::uint16_t index) {
  const std::string name = header->GetFileName();
  std::size_t lo = 0, hi = m_findarray.size();
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    int c = m_pCompare(m_findarray[mid].m_pHeader->GetFileName(), name.c_str());
    if (c > 0) hi = mid;
    else if (c < 0) lo = mid + 1;
    else { lo = mid; break; }
  }
  m_findarray.insert(m_findarray.begin() + lo, {header, index});
}

int CZipCentralDir::FindFastIndex(const std::string& name) const {
  long long lo = 0, hi = static_cast<long long>(m_findarray.size()) - 1;
  while (hi >= lo) {
    long long mid = (lo + hi) / 2;
    int c = m_pCompare(m_findarray[mid].m_pHeader->GetFileName(), name.c_str());
    if (c > 0) hi = mid - 1;
    else if (c < 0) lo = mid + 1;
    else return static_cast<int>(mid);
  }
  return -1;
}

int CZipCentralDir::FindFile(const std::string& name, bool cs, bool sporadic, bool nameOnly) {
  if (!m_bFindFastEnabled) BuildFindFast(cs);
  ZIPSTRINGCOMPARE cmp = GetZipStringCompareFunction(cs, true);
  if (nameOnly) {
    for (const auto& e : m_findarray) {
      CZipPathComponent pc(ZipRemoveTrailingSeparators(e.m_pHeader->GetFileName()));
      if (cmp(pc.GetFileName(), name.c_str()) == 0) return e.m_uIndex;
    }
    return -1;
  }
  if (cs != m_bCaseSensitive) {
    if (sporadic) {
      for (const auto& e : m_findarray)
        if (cmp(e.m_pHeader->GetFileName(), name.c_str()) == 0) return e.m_uIndex;
      return -1;
    }
    BuildFindFast(cs);
  }
  int i = FindFastIndex(name);
  return i < 0 ? -1 : m_findarray[i].m_uIndex;
}

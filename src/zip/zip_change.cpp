// Changing an archive's contents: deleting, renaming, replacing and copying entries,
// testing them, and the small accessors that go with it.
#include <algorithm>
#include <cstring>

#include "zip/zip_archive.h"

namespace {
std::uint64_t Pos64(long long v) { return static_cast<std::uint64_t>(v); }
}  // namespace

void CZipArchive::MovePackedData(long long start, long long end, long long distance, CZipActionCallback* cb,
                                 bool forward) {
  if (distance == 0 || start >= end) return;
  CZipAbstractFile* f = m_storage.File();
  const long long base = m_centralDir.m_uBytesBeforeZip;
  if (!m_info.buffer.IsAllocated()) m_info.buffer.Allocate(m_info.generalBufferSize);
  char* buf = m_info.buffer.data();
  const long long chunk = m_info.buffer.GetSize();
  while (start < end) {
    long long n = std::min(chunk, end - start);
    long long readPos = forward ? end - n : start;
    f->Seek(base + readPos, CZipAbstractFile::begin);
    std::uint32_t got = f->Read(buf, static_cast<std::uint32_t>(n));
    if (got == 0) break;
    f->Seek(base + (forward ? readPos + distance : readPos - distance), CZipAbstractFile::begin);
    f->Write(buf, got);
    if (forward)
      end -= got;
    else
      start += got;
    if (cb && !cb->RequestCallback(got)) ThrowError(CZipException::abortedAction);
  }
  if (start != end) ThrowError(CZipException::internal);
}

void CZipArchive::ShiftTail(long long start, long long end, long long diff, CZipActionCallback* cb) {
  CZipAbstractFile* f = m_storage.File();
  const long long base = m_centralDir.m_uBytesBeforeZip;
  if (diff > 0) {
    f->SetLength(base + end + diff);
    MovePackedData(start, end, diff, cb, true);
  } else if (diff < 0) {
    MovePackedData(start, end, -diff, cb, false);
    f->SetLength(base + end + diff);
  }
}

void CZipArchive::DeleteFile(std::uint16_t index) {
  CZipWordArray a{index};
  DeleteFiles(a);
}

void CZipArchive::DeleteFilesByName(const std::vector<std::string>& names) {
  if (IsClosed()) return;
  CZipWordArray indexes;
  for (const std::string& n : names) {
    int i = m_centralDir.FindFile(NormalizeEntryName(n), m_bCaseSensitive, false, false);
    if (i >= 0) indexes.push_back(static_cast<std::uint16_t>(i));
  }
  DeleteFiles(indexes);
}

void CZipArchive::DeleteFiles(CZipWordArray& indexes) {
  if (IsClosed() || m_storage.IsReadOnly() || IsMultiVolume() || m_iFileOpened || indexes.empty()) return;
  const std::size_t count = m_centralDir.GetCount();
  std::sort(indexes.begin(), indexes.end());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  while (!indexes.empty() && indexes.back() >= count) indexes.pop_back();
  if (indexes.empty()) return;
  CZipActionCallback* cbCount = GetCallback(CZipActionCallback::cbDeleteCnt);
  if (cbCount) cbCount->Init("", "");
  CZipAbstractFile* f = m_storage.File();
  const long long base = m_centralDir.m_uBytesBeforeZip;

  if (indexes.size() == count) {
    if (cbCount) cbCount->CallbackEnd();
    CZipActionCallback* cb = GetCallback(CZipActionCallback::cbDelete);
    if (cb) {
      cb->Init("", GetArchivePath());
      cb->SetTotal(count);
    }
    m_centralDir.RemoveFromDisk();
    f->SetLength(base);
    m_centralDir.RemoveAll();
    if (cb) cb->CallbackEnd();
    AutoFlush();
    return;
  }

  std::vector<bool> del(count, false);
  for (std::uint16_t i : indexes) del[i] = true;
  for (std::size_t i = indexes.front(); i < count; ++i) {
    if (cbCount && (i % 256) == 0 && !cbCount->RequestCallback(256)) ThrowError(CZipException::abortedSafely);
  }
  if (cbCount) cbCount->CallbackEnd();

  CZipActionCallback* cb = GetCallback(CZipActionCallback::cbDelete);
  if (cb) cb->Init("", GetArchivePath());
  m_centralDir.RemoveFromDisk();
  m_storage.Flush();
  const long long archiveEnd = f->GetLength() - base;
  std::vector<long long> offsets(count + 1);
  for (std::size_t i = 0; i < count; ++i) offsets[i] = m_centralDir[i]->m_uOffset;
  offsets[count] = archiveEnd;
  if (offsets[count - 1] > archiveEnd) ThrowError(CZipException::badZipFile);
  std::uint64_t total = 0;
  for (std::size_t i = indexes.front(); i < count; ++i)
    if (!del[i]) total += Pos64(offsets[i + 1] - offsets[i]);
  if (cb) cb->SetTotal(total);
  m_info.buffer.Allocate(m_info.generalBufferSize);

  long long distance = 0, runStart = -1;
  for (std::size_t i = indexes.front(); i < count; ++i) {
    if (del[i]) {
      if (runStart >= 0) MovePackedData(runStart, offsets[i], distance, cb, false);
      runStart = -1;
      distance += offsets[i + 1] - offsets[i];
    } else {
      if (runStart < 0) runStart = offsets[i];
      m_centralDir[i]->m_uOffset = static_cast<std::uint32_t>(offsets[i] - distance);
    }
  }
  if (runStart >= 0) MovePackedData(runStart, archiveEnd, distance, cb, false);
  m_info.buffer.Release();
  for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) m_centralDir.RemoveHeader(*it);
  if (distance) f->SetLength(base + archiveEnd - distance);
  if (cb) cb->CallbackEnd();
  AutoFlush();
}

bool CZipArchive::RenameFile(std::uint16_t index, const std::string& newName) {
  if (IsClosed() || m_storage.IsReadOnly() || IsMultiVolume() || m_iFileOpened || !m_centralDir.IsValidIndex(index)) return false;
  CZipFileHeader* h = m_centralDir[index];
  std::string name = NormalizeEntryName(ZipRemoveTrailingSeparators(newName));
  if (name.empty()) return false;
  if (h->IsDirectory()) name += '/';
  if (name.size() > 0xFFFF) ThrowError(CZipException::tooLongFileName);
  if (h->GetFileName() == name) return true;
  CZipFileHeader renamed;
  renamed.SetFileName(name);
  const std::string newStored = renamed.StoredName();
  const std::size_t oldLen = h->StoredName().size();
  const long long diff = static_cast<long long>(newStored.size()) - static_cast<long long>(oldLen);
  if (diff > 0) CheckRoom(static_cast<std::uint64_t>(2 * diff), 0);

  m_centralDir.RemoveFromDisk();
  m_storage.Flush();
  CZipAbstractFile* f = m_storage.File();
  const long long base = m_centralDir.m_uBytesBeforeZip;
  const long long local = base + h->m_uOffset;
  char fixed[30];
  f->Seek(local, CZipAbstractFile::begin);
  if (f->Read(fixed, 30) != 30 || ZipGet32(fixed) != CZipFileHeader::kLocalSignature)
    ThrowError(CZipException::badZipFile);
  std::uint16_t localFlag = ZipGet16(fixed + 6);
  const std::uint16_t localExtra = ZipGet16(fixed + 28);
  // The local header must agree with the directory and end before the next entry, or moving
  // the data would scramble the archive.
  const long long next = index + 1u < m_centralDir.GetCount() ? m_centralDir[index + 1]->m_uOffset : f->GetLength() - base;
  if (ZipGet16(fixed + 26) != oldLen || static_cast<long long>(h->m_uOffset) + 30 + static_cast<long long>(oldLen) + localExtra > next)
    ThrowError(CZipException::badZipFile);
  if (diff != 0) {
    m_info.buffer.Allocate(m_info.generalBufferSize);
    const long long archiveEnd = f->GetLength() - base;
    const long long start = h->m_uOffset + 30 + static_cast<long long>(oldLen);
    CZipActionCallback* cb = GetCallback(CZipActionCallback::cbRename);
    if (cb) {
      cb->Init(h->GetFileName(), GetArchivePath());
      cb->SetTotal(Pos64(archiveEnd - start));
    }
    ShiftTail(start, archiveEnd, diff, cb);
    if (cb) cb->CallbackEnd();
    m_info.buffer.Release();
    for (std::size_t i = index + 1; i < m_centralDir.GetCount(); ++i)
      m_centralDir[i]->m_uOffset = static_cast<std::uint32_t>(m_centralDir[i]->m_uOffset + diff);
    // The local header keeps its own extra field's length.
    char lens[4];
    ZipPut16(lens, static_cast<std::uint16_t>(newStored.size()));
    ZipPut16(lens + 2, localExtra);
    f->Seek(local + 26, CZipAbstractFile::begin);
    f->Write(lens, 4);
  } else {
    f->Seek(local + 30, CZipAbstractFile::begin);
  }
  f->Write(newStored.data(), static_cast<std::uint32_t>(newStored.size()));
  // The name's encoding flag follows the new name in both headers.
  localFlag = static_cast<std::uint16_t>((localFlag & ~CZipFileHeader::kUtf8Flag) | (renamed.m_uFlag & CZipFileHeader::kUtf8Flag));
  char flagBytes[2];
  ZipPut16(flagBytes, localFlag);
  f->Seek(local + 6, CZipAbstractFile::begin);
  f->Write(flagBytes, 2);
  h->SetFileName(name);
  m_centralDir.InvalidateSize();
  if (m_centralDir.IsFindFastEnabled()) m_centralDir.BuildFindFast(m_centralDir.m_bCaseSensitive);
  AutoFlush();
  return true;
}

void CZipArchive::MakeSpaceForReplace(int replaceIndex, std::uint64_t newTotal, const std::string& name) {
  CZipAbstractFile* f = m_storage.File();
  const long long base = m_centralDir.m_uBytesBeforeZip;
  const long long oldOffset = f->GetPosition() - base;
  const long long next = m_centralDir[replaceIndex + 1]->m_uOffset;
  const long long diff = static_cast<long long>(newTotal) - (next - oldOffset);
  if (diff != 0) {
    const long long archiveEnd = f->GetLength() - base;
    CZipActionCallback* cb = GetCallback(CZipActionCallback::cbReplace);
    if (cb) {
      cb->Init(name, GetArchivePath());
      cb->SetTotal(Pos64(archiveEnd - next));
    }
    ShiftTail(next, archiveEnd, diff, cb);
    if (cb) cb->CallbackEnd();
    for (std::size_t i = replaceIndex + 1; i < m_centralDir.GetCount(); ++i)
      m_centralDir[i]->m_uOffset = static_cast<std::uint32_t>(m_centralDir[i]->m_uOffset + diff);
  }
  f->Seek(base + oldOffset, CZipAbstractFile::begin);
}

bool CZipArchive::GetFromArchive(CZipArchive& src, std::uint16_t index, int replaceIndex, bool keepSystem,
                                 int callbackKind) {
  if (IsClosed() || m_storage.IsReadOnly() || src.IsClosed() || m_iFileOpened || src.m_iFileOpened || src.IsMultiVolume() ||
      (IsMultiVolume() && !m_storage.IsNewMultiVolume()) || !src.m_centralDir.IsValidIndex(index))
    return false;
  const CZipFileHeader* sh = src.m_centralDir[index];
  CZipFileHeader h = *sh;
  CZipAbstractFile* sf = src.m_storage.File();
  src.m_storage.Flush();
  const long long sbase = src.m_centralDir.m_uBytesBeforeZip;
  long long next;
  if (index + 1 < static_cast<int>(src.m_centralDir.GetCount()))
    next = src.m_centralDir[index + 1]->m_uOffset;
  else if (src.m_centralDir.m_bOnDisk)
    next = src.m_centralDir.m_uOffset;
  else
    next = sf->GetLength() - sbase;
  char fixed[30];
  sf->Seek(sbase + sh->m_uOffset, CZipAbstractFile::begin);
  if (sf->Read(fixed, 30) != 30 || ZipGet32(fixed) != CZipFileHeader::kLocalSignature)
    src.ThrowError(CZipException::badZipFile);
  const long long localSize = 30 + ZipGet16(fixed + 26) + ZipGet16(fixed + 28);
  const long long dataStart = sh->m_uOffset + localSize;
  const long long available = next - dataStart;
  long long toCopy = static_cast<long long>(sh->m_uComprSize) + (sh->IsDataDescriptor() ? 12 : 0);
  if (available < toCopy) src.ThrowError(CZipException::badZipFile);
  if (sh->IsDataDescriptor() && available >= toCopy + 4) {
    char sig[4];
    sf->Seek(sbase + dataStart + sh->m_uComprSize, CZipAbstractFile::begin);
    if (sf->Read(sig, 4) == 4 && ZipGet32(sig) == CZipFileHeader::kDescriptorSignature) toCopy += 4;
  }
  if (!keepSystem && sh->GetSystemCompatibility() != m_iArchiveSystCompatib) {
    std::uint32_t attr = h.GetSystemAttr();
    SetEntryAttributes(h, attr);
  }
  const std::string name = h.GetFileName();
  int replace = ResolveReplaceIndex(replaceIndex, name);
  if (replace == -3) return false;
  if (replace < 0 && m_centralDir.GetCount() >= 0xFFFF) ThrowError(CZipException::tooManyEntries);
  const std::string centralExtra = h.m_pExtraField;
  h.m_pExtraField.clear();  // the local header goes without the central extra field
  CheckRoom(static_cast<std::uint64_t>(toCopy), h.GetSize(true) + h.GetSize(false) + static_cast<std::uint32_t>(centralExtra.size()));
  m_info.buffer.Allocate(m_info.generalBufferSize);
  CZipFileHeader* nh = m_centralDir.InsertHeader(h, replace);
  if (replace >= 0) MakeSpaceForReplace(replace, static_cast<std::uint64_t>(h.GetSize(true) + toCopy), name);
  CZipActionCallback* cb = GetCallback(callbackKind);
  if (cb) {
    cb->Init(name, src.GetArchivePath());
    cb->SetTotal(sh->m_uComprSize);
  }
  nh->WriteLocal(m_storage);
  nh->m_pExtraField = centralExtra;
  if (!IsMultiVolume()) nh->m_uOffset = static_cast<std::uint32_t>(nh->m_uOffset - m_centralDir.m_uBytesBeforeZip);
  sf->Seek(sbase + dataStart, CZipAbstractFile::begin);
  long long left = toCopy;
  int abortCode = 0;
  try {
    while (left > 0) {
      std::uint32_t n = static_cast<std::uint32_t>(std::min<long long>(left, m_info.buffer.GetSize()));
      if (sf->Read(m_info.buffer.data(), n) != n) src.ThrowError(CZipException::badZipFile);
      m_storage.Write(m_info.buffer.data(), n, false);
      left -= n;
      if (cb && !cb->RequestCallback(n)) {
        if (left == 0) {
          abortCode = CZipException::abortedSafely;
        } else {
          abortCode = CZipException::abortedAction;
          if (!IsMultiVolume() && replace < 0) {
            m_iFileOpened = 1;
            CutOpenNewEntry();
            abortCode = CZipException::abortedSafely;
          }
        }
        break;
      }
    }
    m_storage.Flush();
  } catch (...) {
    m_centralDir.InvalidateSize();
    m_centralDir.m_pOpenedFile = nullptr;
    m_info.buffer.Release();
    throw;
  }
  m_centralDir.FinishOpenHeader();
  m_info.buffer.Release();
  if (cb) cb->CallbackEnd();
  if (abortCode) ZipThrow(abortCode, GetArchivePath());
  AutoFlush();
  return true;
}

bool CZipArchive::GetFromArchiveMany(CZipArchive& src, CZipWordArray& indexes, bool keepSystem) {
  std::sort(indexes.begin(), indexes.end());
  for (std::uint16_t i : indexes)
    if (!GetFromArchive(src, i, -1, keepSystem, CZipActionCallback::cbGetFromArchive)) return false;
  return true;
}

bool CZipArchive::AddViaTemporaryArchive(CZipNewEntryRequest& info, CZipFileHeader& header, std::uint64_t size,
                                         bool efficiency) {
  const int replace = info.m_iReplaceIndex;
  const bool inMemory = (info.m_iSmartLevel & zipsmMemoryFlag) != 0;
  std::string tempPath;
  if (!inMemory) {
    tempPath = ZipGetTempFileName(m_szTempPath.empty() ? nullptr : m_szTempPath.c_str(), size + 65536);
    if (tempPath.empty()) {
      // Without room for a temporary archive the data is stored directly.
      CZipNewEntryRequest direct = info;
      direct.m_iComprLevel = 0;
      direct.m_szFileNameInZip = header.GetFileName();
      return AddNewFileEx(direct);
    }
  }
  CZipMemFile mem;
  CZipArchive tmp;
  auto cleanup = [&] {
    if (!tempPath.empty()) ZipRemoveFile(tempPath, false);
  };
  try {
    if (inMemory)
      tmp.OpenInMemory(mem, zipCreate);
    else
      tmp.Open(tempPath, zipCreate);
    tmp.SetSystemCompatibility(m_iArchiveSystCompatib);
    tmp.m_pszPassword = m_pszPassword;
    CZipNewEntryRequest r = info;
    r.m_iSmartLevel = 0;
    r.m_iReplaceIndex = -1;
    r.m_szFileNameInZip = header.GetFileName();
    if (!tmp.AddNewFileEx(r)) {
      tmp.Close(closeAfterException);
      cleanup();
      return false;
    }
    const CZipFileHeader* th = tmp.m_centralDir[0];
    bool result;
    if (efficiency && th->m_uComprSize - (th->IsEncrypted() ? 12 : 0) > th->m_uUncomprSize) {
      tmp.Close(closeAfterException);
      CZipNewEntryRequest stored = info;
      stored.m_iComprLevel = 0;
      stored.m_iSmartLevel = info.m_iSmartLevel | zipsmInternal01;
      stored.m_szFileNameInZip = header.GetFileName();
      if (info.m_pFile) info.m_pFile->SeekToBegin();
      result = AddNewFileEx(stored);
    } else {
      result = GetFromArchive(tmp, 0, replace, true, CZipActionCallback::cbAddTmp);
      tmp.Close(result ? closeNormal : closeAfterException);
    }
    cleanup();
    m_info.buffer.Release();
    return result;
  } catch (...) {
    try {
      tmp.Close(closeAfterException);
    } catch (...) {
    }
    cleanup();
    FreeAllocations();
    throw;
  }
}

bool CZipArchive::TestFile(std::uint16_t index, std::uint32_t bufferSize) {
  if (IsClosed() || m_storage.IsNewMultiVolume() || bufferSize == 0 || !m_centralDir.IsValidIndex(index) ||
      m_iFileOpened)
    return false;
  const CZipFileHeader* h = m_centralDir[index];
  CZipActionCallback* cb = GetCallback(CZipActionCallback::cbTest);
  if (cb) cb->Init(h->GetFileName(), "");
  if (h->IsDirectory()) {
    if (cb) cb->SetTotal(0);
    bool empty = (h->m_uComprSize == 0 && h->m_uUncomprSize == 0) ||
                 (h->IsEncrypted() && h->m_uComprSize == 12 && h->m_uUncomprSize == 0);
    if (!empty) ThrowError(CZipException::dirWithSize);
    if (cb) cb->CallbackEnd();
    return true;
  }
  if (cb) cb->SetTotal(h->m_uUncomprSize);
  if (!StartReadingEntry(index)) return false;
  int abortCode = 0, result;
  try {
    CZipAutoBuffer buf(bufferSize);
    abortCode = ReadPieces(bufferSize, cb, [&] { return buf.data(); }, [](std::uint32_t) {});
    result = FinishReadingEntry(nullptr, false);
  } catch (...) {
    if (m_iFileOpened == -1) FinishReadingEntry(nullptr, true);
    throw;
  }
  if (result == -1 && abortCode == CZipException::abortedSafely) abortCode = CZipException::abortedAction;
  if (cb) cb->CallbackEnd();
  if (abortCode) ThrowError(abortCode);
  return result != -1;
}

bool CZipArchive::SetFileComment(std::uint16_t index, const std::string& comment) {
  if (IsClosed() || m_storage.IsReadOnly() || IsMultiVolume() || m_iFileOpened || !m_centralDir.IsValidIndex(index) || comment.size() > 0xFFFF)
    return false;
  m_centralDir[index]->SetComment(comment);
  m_centralDir.InvalidateSize();
  m_centralDir.RemoveFromDisk();
  AutoFlush();
  return true;
}

void CZipArchive::SetTempPath(const char* path, bool create) {
  m_szTempPath = path ? ZipRemoveTrailingSeparators(path) : std::string();
  if (create && !m_szTempPath.empty()) ZipForceDirectory(m_szTempPath);
}

std::string CZipArchive::PredictNameInArchive(const std::string& filePath, bool fullPath, int what, bool) const {
  if (filePath.empty()) return {};
  bool folder = what == prDir || (what == prAuto && ZipIsSeparator(filePath.back()));
  std::string p = ZipRemoveTrailingSeparators(filePath);
  std::string name;
  if (fullPath) {
    CZipPathComponent pc(p);
    name = m_bRemoveDriveLetter ? pc.GetNoDrive() : pc.GetFullPath();
  } else {
    name = StripRootPath(p);
  }
  name = NormalizeEntryName(name);
  if (folder && !name.empty()) name += '/';
  return name;
}

int CZipArchive::WillBeDuplicated(const std::string& filePath, bool fullPath, bool fileNameOnly, int what) {
  std::string name = PredictNameInArchive(filePath, fullPath, what);
  if (name.empty()) return -1;
  if (fileNameOnly) return FindFile(CZipPathComponent(ZipRemoveTrailingSeparators(name)).GetFileName(), ffDefault, true);
  return FindFile(name, ffDefault, false);
}

void CZipArchive::SetNewEntryExtraField(const char* data, std::uint32_t count) {
  if (m_iFileOpened != 1 || !m_centralDir.m_pOpenedFile) return;
  m_centralDir.m_pOpenedFile->m_pExtraField.assign(data, std::min<std::uint32_t>(count, 0xFFFF));
}

void CZipArchive::WriteDirectoryNow(bool flush) {
  if (IsClosed() || m_iFileOpened) return;
  m_centralDir.WriteDirectory(GetCallback(CZipActionCallback::cbSave));
  if (flush) m_storage.Flush();
}

#include "zip/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>

namespace {

constexpr std::uint64_t kMaxZipSize = 0xFFFFFFFFull;

// Worst-case size of raw deflate output (zlib's bound plus a margin for the block headers).
std::uint64_t DeflateBound(std::uint64_t n) { return n + (n >> 12) + (n >> 14) + (n >> 25) + 64; }

}  // namespace

CZipArchive::CZipArchive() : m_pZipCompare(GetZipStringCompareFunction(false, true)) {
  m_centralDir.Init(&m_storage);
}

CZipArchive::~CZipArchive() {
  ForgetExtractFolder();
  DropKeptInflater();
  if (m_info.streamActive) {
    // zlib's blocks go with the allocation list below.
    m_info.streamActive = false;
  }
  FreeAllocations();
}

// ---- zlib allocation hooks ------------------------------------------------------------

void* CZipArchive::ZAlloc(void* opaque, unsigned items, unsigned size) {
  // zlib initialises what it reads; zeroing its large windows for every entry would cost more
  // than compressing a small file.
  if (size && items > SIZE_MAX / size) return nullptr;
  void* p = std::malloc(static_cast<std::size_t>(items) * size);
  if (p && opaque) {
    auto* self = static_cast<CZipArchive*>(opaque);
    self->m_info.allocations.push_back(p);
  }
  return p;
}

void CZipArchive::ZFree(void* opaque, void* address) {
  if (opaque) {
    auto& list = static_cast<CZipArchive*>(opaque)->m_info.allocations;
    auto it = std::find(list.begin(), list.end(), address);
    if (it != list.end()) list.erase(it);
  }
  std::free(address);
}

void CZipArchive::DropKeptInflater() {
  if (!m_info.inflaterKept) return;
  inflateEnd(&m_info.stream);
  m_info.inflaterKept = false;
}

// A failed read leaves no inflater to keep.
void CZipArchive::EndActiveInflater() {
  if (!m_info.streamActive) return;
  inflateEnd(&m_info.stream);
  m_info.streamActive = false;
}

void CZipArchive::FreeAllocations() {
  for (void* p : m_info.allocations) std::free(p);
  m_info.allocations.clear();
  m_info.streamActive = false;
}

void CZipArchive::ThrowError(int code, bool zlib) const {
  if (zlib) code = CZipException::ZlibErrToZip(code);
  ZipThrow(code, GetArchivePath());
}

void CZipArchive::CheckZlib(int result) const {
  if (result != Z_OK && result != Z_NEED_DICT) ThrowError(result, true);
}

// ---- opening and closing --------------------------------------------------------------

void CZipArchive::Open(const std::string& path, int mode, int volumeSize) {
  if (!IsClosed()) return;
  m_storage.Open(path, mode, volumeSize);
  CommonOpen(mode);
}

void CZipArchive::OpenInMemory(CZipMemFile& file, int mode) {
  if (!IsClosed() || mode > zipCreate) return;
  m_storage.OpenMemory(file, mode);
  CommonOpen(mode);
}

void CZipArchive::CommonOpen(int mode) {
  m_iUmask = -1;
  m_pszPassword.Release();
  m_iFileOpened = 0;
  m_centralDir.Reset();
  m_centralDir.Clear(true);
  m_iArchiveSystCompatib = zipsys::kPlatform;
  m_szRootPath.clear();
  if (mode == zipCreate || mode == zipCreateSpan) return;
  try {
    m_centralDir.ReadDirectory();
  } catch (...) {
    // A file that is not a readable archive is let go at once: the object stays closed.
    m_centralDir.Clear(true);
    m_centralDir.Reset();
    m_storage.Close(true);
    throw;
  }
  if (m_centralDir.GetCount() > 0) {
    int sys = m_centralDir[0]->GetSystemCompatibility();
    if (ZipIsSystemSupported(sys)) m_iArchiveSystCompatib = sys;
  }
}

bool CZipArchive::IsClosed(bool archive) const {
  if (archive) return m_storage.GetCurrentVolume() == -1;
  return !const_cast<CZipStorage&>(m_storage).IsOpen();
}

void CZipArchive::Close(int afterException, bool updateTime) {
  if (IsClosed()) {
    if (afterException == closeNormal || IsClosed(false)) return;
  }
  // An entry still being read was given up: nothing is checked.
  if (m_iFileOpened == -1) FinishReadingEntry(nullptr, true);
  if (m_iFileOpened == 1) FinishNewEntry(afterException != closeNormal);
  bool savedThenCancelled = false;
  if (afterException != closeAfterException && !IsClosed(false)) {
    try {
      m_centralDir.WriteDirectory(GetCallback(CZipActionCallback::cbSave));
    } catch (const CZipException& e) {
      // A cancel that came while the directory was written still left it whole: the archive
      // is kept as written, then the cancel is reported.
      if (e.m_iCause != CZipException::abortedSafely) throw;
      savedThenCancelled = true;
    }
  }
  std::time_t newest = 0;
  if (updateTime)
    for (std::size_t i = 0; i < m_centralDir.GetCount(); ++i) newest = std::max(newest, m_centralDir[i]->GetTime());
  m_centralDir.Clear(true);
  m_centralDir.Reset();
  ForgetExtractFolder();
  m_extractBuffer.Release();
  DropKeptInflater();
  FreeAllocations();
  m_info.buffer.Release();
  m_iFileOpened = 0;
  std::string path = m_storage.Close(afterException == closeAfterException);
  if (updateTime && !path.empty()) ZipSetFileModTime(path, newest);
  if (savedThenCancelled) ZipThrow(CZipException::abortedSafely, path);
}

void CZipArchive::Flush() {
  // A directory written in the middle of an entry would describe half of it.
  if (IsClosed() || m_iFileOpened || m_storage.IsReadingMultiVolume()) return;
  if (m_storage.IsNewMultiVolume()) {
    // A finished set of volumes can only be read: close it and open it again.
    std::string path = GetArchivePath();
    Close();
    Open(path, zipOpenReadOnly);
    return;
  }
  m_centralDir.WriteDirectory(GetCallback(CZipActionCallback::cbSave));
  m_storage.Flush();
  if (!m_storage.IsInMemory() && !m_storage.IsReadOnly()) m_storage.File()->Flush();
}

void CZipArchive::SetAutoFlush(bool autoFlush) {
  if (IsClosed() || IsMultiVolume()) return;
  m_bAutoFlush = autoFlush;
}

void CZipArchive::SetBufferSizes(int writeBuffer, int generalBuffer, int searchBuffer) {
  if (!IsClosed()) return;
  m_storage.SetWriteBufferSize(std::max(writeBuffer, 1024));
  m_info.generalBufferSize = static_cast<std::uint32_t>(std::max(generalBuffer, 1024));
  m_centralDir.m_iBufferSize = std::max(searchBuffer, 1024);
}

void CZipArchive::SetCaseSensitivity(bool caseSensitive) {
  m_bCaseSensitive = caseSensitive;
  m_pZipCompare = GetZipStringCompareFunction(caseSensitive, true);
}

bool CZipArchive::SetSystemCompatibility(int system) {
  if (IsClosed() || m_iFileOpened == 1 || !ZipIsSystemSupported(system)) return false;
  m_iArchiveSystCompatib = system;
  return true;
}

void CZipArchive::SetRootPath(const char* path) {
  if (IsClosed() || m_iFileOpened) return;
  m_szRootPath = path ? ZipRemoveTrailingSeparators(path) : std::string();
}

std::string CZipArchive::GetGlobalComment() const { return IsClosed() ? std::string() : m_centralDir.m_pszComment; }

bool CZipArchive::SetGlobalComment(const std::string& comment) {
  if (IsClosed() || m_storage.IsReadOnly() || m_storage.IsReadingMultiVolume() || comment.size() > 0xFFFF ||
      m_iFileOpened)
    return false;
  m_centralDir.m_pszComment = comment;
  m_centralDir.RemoveFromDisk();
  AutoFlush();
  return true;
}

std::string CZipArchive::GetArchivePath() const { return IsClosed(false) ? std::string() : m_storage.GetArchivePath(); }

int CZipArchive::GetCurrentVolume() const { return m_storage.GetCurrentVolume() + 1; }

void CZipArchive::GetCentralDirectoryInfo(CZipDirectoryInfo& info) const {
  if (IsClosed()) return;
  info = m_centralDir;
  // While volumes are being written this field tells the current one.
  if (m_storage.IsNewMultiVolume()) info.m_uDiskEntriesNo = static_cast<std::uint16_t>(m_storage.GetCurrentVolume());
}

// ---- callbacks ------------------------------------------------------------------------

void CZipArchive::SetCallback(CZipActionCallback* callback, int kindMask) {
  for (int kind = 1; kind <= 1024; kind <<= 1) {
    if (!(kindMask & kind)) continue;
    if (callback)
      m_callbacks[kind] = callback;
    else
      m_callbacks.erase(kind);
  }
}

CZipActionCallback* CZipArchive::GetCallback(int kind) {
  auto it = m_callbacks.find(kind);
  if (it == m_callbacks.end()) return nullptr;
  it->second->m_iType = kind;
  return it->second;
}

// ---- names ----------------------------------------------------------------------------

std::string CZipArchive::NormalizeEntryName(const std::string& name) const {
  std::string n = name;
  for (char& c : n)
    if (c == '\\') c = '/';
  // An absolute path given as a name is stored relative.
  std::size_t i = 0;
  while (i < n.size() && n[i] == '/') ++i;
  return n.substr(i);
}

std::string CZipArchive::StripRootPath(const std::string& path) const {
  CZipPathComponent pc(path);
  if (m_szRootPath.empty()) return pc.GetFileName();
  std::string root = ZipRemoveTrailingSeparators(m_szRootPath);
  std::string p = path;
  if (p.size() >= root.size() && m_pZipCompare(p.substr(0, root.size()), root.c_str()) == 0) {
    if (p.size() == root.size()) return {};
    if (ZipIsSeparator(p[root.size()])) {
      std::size_t i = root.size();
      while (i < p.size() && ZipIsSeparator(p[i])) ++i;
      return p.substr(i);
    }
  }
  return pc.GetFileName();
}

bool CZipArchive::RemovePathStart(const std::string& beginning, std::string& path, ZIPSTRINGCOMPARE compare) {
  std::string b = ZipRemoveTrailingSeparators(beginning);
  if (path.size() < b.size() || compare(path.substr(0, b.size()), b.c_str()) != 0) return false;
  if (path.size() > b.size() && !ZipIsSeparator(path[b.size()])) return false;
  std::size_t i = b.size();
  while (i < path.size() && ZipIsSeparator(path[i])) ++i;
  path.erase(0, i);
  return true;
}

void CZipArchive::SetEntryAttributes(CZipFileHeader& header, std::uint32_t attr) const {
  header.m_uVersionMadeBy = static_cast<std::uint16_t>((m_iArchiveSystCompatib << 8) | (header.m_uVersionMadeBy & 0xFF));
  header.SetSystemAttr(attr);
}

// ---- adding ---------------------------------------------------------------------------

// The three short forms always add with the default smartness, whatever they are given.
bool CZipArchive::AddNewFile(const std::string& filePath, const std::string& nameInZip, int level, int,
                             std::uint32_t bufferSize) {
  if (nameInZip.empty()) return false;
  CZipNewEntryRequest r{filePath, nameInZip, false, level, zipsmSafeSmart, -1, bufferSize, nullptr};
  return AddNewFileEx(r);
}

bool CZipArchive::AddNewFileFromPath(const std::string& filePath, int level, bool fullPath, int,
                                     std::uint32_t bufferSize) {
  CZipNewEntryRequest r{filePath, {}, fullPath, level, zipsmSafeSmart, -1, bufferSize, nullptr};
  return AddNewFileEx(r);
}

bool CZipArchive::AddNewFileFromMemory(CZipAbstractFile* source, const std::string& nameInZip, int level, int,
                                       std::uint32_t bufferSize) {
  if (!source) return false;
  CZipNewEntryRequest r{{}, nameInZip, true, level, zipsmSafeSmart, -1, bufferSize, source};
  return AddNewFileEx(r);
}

int CZipArchive::ResolveReplaceIndex(int replaceIndex, const std::string& name) {
  if (replaceIndex == -1) return -1;
  if (IsMultiVolume()) return -3;
  if (replaceIndex == -2) {
    replaceIndex = m_centralDir.FindFile(NormalizeEntryName(name), m_bCaseSensitive, false, false);
    if (replaceIndex < 0) return -1;
  }
  if (!m_centralDir.IsValidIndex(replaceIndex)) return -3;
  if (replaceIndex == static_cast<int>(m_centralDir.GetCount()) - 1) {
    RemoveLastEntry();
    return -1;
  }
  return replaceIndex;
}

void CZipArchive::RemoveLastEntry() {
  std::size_t n = m_centralDir.GetCount();
  if (n == 0) return;
  CZipFileHeader* h = m_centralDir[n - 1];
  m_centralDir.RemoveFromDisk();
  m_storage.File()->SetLength(m_centralDir.AbsolutePos(h->m_uOffset));
  m_centralDir.RemoveHeader(static_cast<std::uint16_t>(n - 1));
}

void CZipArchive::CheckRoom(std::uint64_t dataBound, std::uint32_t headerSizes) const {
  if (dataBound > kMaxZipSize) ThrowError(CZipException::tooLarge);
  if (IsMultiVolume()) return;
  std::uint64_t end;
  if (m_centralDir.m_bOnDisk)
    end = m_centralDir.m_uOffset;
  else
    end = static_cast<std::uint64_t>(const_cast<CZipStorage&>(m_storage).File()->GetLength() +
                                     m_storage.BufferedBytes() - m_centralDir.m_uBytesBeforeZip);
  std::uint64_t total = end + headerSizes + dataBound + 16 + m_centralDir.GetDirectorySize(true);
  if (total > kMaxZipSize) ThrowError(CZipException::tooLarge);
}

bool CZipArchive::AddNewFileEx(CZipNewEntryRequest& info) {
  if (IsClosed() || m_storage.IsReadOnly() || m_iFileOpened || m_info.generalBufferSize == 0 || info.m_nBufSize == 0)
    return false;
  const std::string path = ZipRemoveTrailingSeparators(info.m_szFilePath);
  if (path.empty() && !info.m_pFile) return false;
  std::string name = info.m_szFileNameInZip;
  if (!path.empty() && name.empty()) {
    if (!info.m_bFullPath) {
      name = StripRootPath(path);
    } else {
      CZipPathComponent pc(path);
      name = m_bRemoveDriveLetter ? pc.GetNoDrive() : pc.GetFullPath();
    }
  }
  const int smart = info.m_iSmartLevel;
  const bool secondPass = (smart & zipsmInternal01) != 0;
  int replace = ResolveReplaceIndex(info.m_iReplaceIndex, name);
  if (replace == -3) return false;

  std::uint32_t attr = zipsys::kDefaultFileAttr;
  std::time_t mtime = std::time(nullptr);
  if (!info.m_pFile) {
    if (!ZipGetFileAttr(path, attr)) return false;
    // Only files and folders: reading a pipe or a device could block or never end.
    const std::uint32_t type = (attr >> 16) & 0170000;
    if (type != 0100000 && type != 0040000) return false;
    if (!ZipGetFileModTime(path, mtime)) mtime = std::time(nullptr);
  }
  CZipFileHeader header;
  header.SetFileName(name);
  SetEntryAttributes(header, attr);
  header.SetTime(mtime);

  CZipActionCallback* cb = secondPass ? nullptr : GetCallback(CZipActionCallback::cbAdd);
  if (cb) cb->Init(name, path);

  // Folders and empty files may go without the password; it comes back however the add ends.
  struct PasswordGuard {
    CZipAutoBuffer& password;
    CZipAutoBuffer saved;
    void Drop() {
      saved = password;
      password.Release();
    }
    ~PasswordGuard() {
      if (saved.GetSize()) password = saved;
    }
  } passwordGuard{m_pszPassword, {}};

  if (header.IsDirectory()) {
    if (cb) cb->SetTotal(0);
    if (smart & zipsmCPassDir) passwordGuard.Drop();
    m_iPendingReplace = replace;
    m_uReplaceSize = 0;
    bool ok = StartNewEntry(header, 0);
    if (ok) FinishNewEntry(false);
    if (cb) cb->CallbackEnd();
    return ok;
  }

  int level = info.m_iComprLevel;
  if (level < -1 || level > 9) level = -1;
  const bool efficiency = (smart & zipsmCheckForEff) && level != 0;
  CZipFile ownFile;
  CZipAbstractFile* src = info.m_pFile;
  if (!src) {
    if (!ownFile.Open(path, CZipFile::modeRead, false)) {
      if (cb) cb->CallbackEnd();
      return false;
    }
    src = &ownFile;
  }
  const std::uint64_t size = static_cast<std::uint64_t>(src->GetLength() - (info.m_pFile ? src->GetPosition() : 0));
  if (size >= kMaxZipSize) {
    if (cb) cb->CallbackEnd();
    ThrowError(CZipException::tooLarge);
  }
  if ((smart & zipsmCPFile0) && m_pszPassword.GetSize() && size == 0) passwordGuard.Drop();
  if ((smart & zipsmNotCompSmall) && level != 0 && size < 5) level = 0;

  const bool replacing = replace >= 0;
  if ((efficiency && IsMultiVolume()) || (replacing && level != 0)) {
    ownFile.Close();
    CZipNewEntryRequest resolved = info;
    resolved.m_iReplaceIndex = replace;
    resolved.m_iComprLevel = level;
    bool r = AddViaTemporaryArchive(resolved, header, size, efficiency);
    if (cb) cb->CallbackEnd();
    return r;
  }

  const bool encrypted = m_pszPassword.GetSize() > 0;
  const std::uint64_t bound = (level == 0 ? size : DeflateBound(size)) + (encrypted ? 28 : 0);
  int abortCode = 0;
  CheckRoom(bound, 2 * static_cast<std::uint32_t>(46 + header.StoredName().size()));
  m_iPendingReplace = replace;
  m_uReplaceSize = static_cast<std::uint32_t>(size);
  if (!StartNewEntry(header, level)) {
    if (cb) cb->CallbackEnd();
    return false;
  }
  if (secondPass) {
    cb = GetCallback(CZipActionCallback::cbAddStore);
    if (cb) cb->Init(name, path);
  }
  if (cb) cb->SetTotal(size);
  CZipAutoBuffer buf(info.m_nBufSize);
  // A replaced entry fills exactly the room made for it, even if the file grows meanwhile.
  std::uint64_t limit = replacing ? size : ~0ull;
  for (;;) {
    std::uint32_t want = static_cast<std::uint32_t>(std::min<std::uint64_t>(info.m_nBufSize, limit));
    std::uint32_t n = want ? src->Read(buf.data(), want) : 0;
    limit -= n;
    if (n) {
      WriteEntryData(buf.data(), n);
      if (cb && !cb->RequestCallback(n)) {
        if (n == info.m_nBufSize && src->GetPosition() < src->GetLength()) {
          if (!IsMultiVolume() && !replacing) {
            CutOpenNewEntry();
            abortCode = CZipException::abortedSafely;
          } else {
            abortCode = CZipException::abortedAction;
          }
        } else {
          FinishNewEntry(false);
          abortCode = CZipException::abortedSafely;
        }
        break;
      }
    }
    if (n < info.m_nBufSize) {
      FinishNewEntry(false);
      break;
    }
  }
  if (cb) cb->CallbackEnd();
  if (abortCode) ZipThrow(abortCode);

  if (efficiency) {
    ownFile.Close();
    CZipFileHeader* last = m_centralDir[m_centralDir.GetCount() - 1];
    std::uint32_t comp = last->m_uComprSize - (last->IsEncrypted() ? 12 : 0);
    if (comp > last->m_uUncomprSize) {
      RemoveLastEntry();
      CZipNewEntryRequest again = info;
      again.m_iComprLevel = 0;
      again.m_iSmartLevel = smart | zipsmInternal01;
      again.m_iReplaceIndex = -1;
      again.m_szFileNameInZip = name;
      if (info.m_pFile) info.m_pFile->SeekToBegin();
      return AddNewFileEx(again);
    }
  }
  return true;
}

bool CZipArchive::StartNewEntry(CZipFileHeader& templ, int level, const char* sourcePath, std::uint32_t) {
  const int replace = m_iPendingReplace;
  const std::uint32_t replaceSize = m_uReplaceSize;
  m_iPendingReplace = -1;
  m_uReplaceSize = 0;
  if (IsClosed() || m_storage.IsReadOnly() || m_iFileOpened) return false;
  if (IsMultiVolume() && !m_storage.IsNewMultiVolume()) return false;
  if (replace < 0 && m_centralDir.GetCount() >= 0xFFFF) ThrowError(CZipException::tooManyEntries);
  if (sourcePath) {
    std::uint32_t attr;
    std::time_t t;
    if (!ZipGetFileAttr(sourcePath, attr)) return false;
    if (!ZipGetFileModTime(sourcePath, t)) t = std::time(nullptr);
    templ.SetTime(t);
    SetEntryAttributes(templ, attr);
  }
  templ.m_uVersionMadeBy = static_cast<std::uint16_t>((m_iArchiveSystCompatib << 8) | (templ.m_uVersionMadeBy & 0xFF));
  std::string name = NormalizeEntryName(templ.GetFileName());
  if (templ.IsDirectory() && (name.empty() || name.back() != '/')) name += '/';
  if (name.empty() || name == "/") name = "file" + std::to_string(m_centralDir.GetCount());
  templ.SetFileName(name);
  if (level < -1 || level > 9) level = -1;
  const bool encrypted = m_pszPassword.GetSize() > 0;
  if (!templ.Prepare(level, m_storage.IsNewMultiVolume(), encrypted)) ThrowError(CZipException::tooLongFileName);
  if (!m_storage.IsMultiVolume()) CheckRoom(0, templ.GetSize(true) + templ.GetSize(false));
  m_info.buffer.Allocate(m_info.generalBufferSize);
  CZipFileHeader* h = m_centralDir.InsertHeader(templ, replace);
  if (replace >= 0)
    MakeSpaceForReplace(replace, templ.GetSize(true) + static_cast<std::uint64_t>(replaceSize) + (encrypted ? 28 : 0), name);
  h->WriteLocal(m_storage);
  if (!m_storage.IsMultiVolume()) h->m_uOffset = static_cast<std::uint32_t>(h->m_uOffset - m_centralDir.m_uBytesBeforeZip);
  m_iFileOpened = 1;
  if (h->IsEncrypted()) CryptWriteHeader(*h);
  DropKeptInflater();
  z_stream& s = m_info.stream;
  s = z_stream{};
  s.next_out = reinterpret_cast<Bytef*>(m_info.buffer.data());
  s.avail_out = m_info.generalBufferSize;
  m_info.crc = 0;
  m_info.written = 0;
  m_info.uncomprLeft = 0;
  m_info.streamEnded = false;
  if (h->m_uMethod == 8) {
    s.zalloc = &ZAlloc;
    s.zfree = &ZFree;
    s.opaque = m_bDetectZlibMemoryLeaks ? this : nullptr;
    int r = deflateInit2(&s, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (r != Z_OK) {
      m_iFileOpened = 0;
      CheckZlib(r);
    }
    m_info.streamActive = true;
  }
  return true;
}

void CZipArchive::FlushOutputIfFull() {
  z_stream& s = m_info.stream;
  if (s.avail_out != 0) return;
  WriteOutBuffer(m_info.generalBufferSize);
  s.next_out = reinterpret_cast<Bytef*>(m_info.buffer.data());
  s.avail_out = m_info.generalBufferSize;
}

void CZipArchive::WriteOutBuffer(std::uint32_t count) {
  if (count == 0) return;
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  m_info.written += count;
  // No entry or archive may reach 4 GiB: give the entry up while the archive is still whole.
  std::uint64_t total = m_info.written + (h->IsEncrypted() ? 12 : 0);
  bool tooLarge = total >= kMaxZipSize;
  if (!tooLarge && !m_storage.IsMultiVolume())
    tooLarge = h->m_uOffset + static_cast<std::uint64_t>(h->GetSize(true)) + total + 16 + h->GetSize(false) +
                   m_centralDir.GetDirectorySize(true) > kMaxZipSize;
  if (tooLarge) {
    if (!m_storage.IsMultiVolume() && m_centralDir[m_centralDir.GetCount() - 1] == h) CutOpenNewEntry();
    ThrowError(CZipException::tooLarge);
  }
  if (h->IsEncrypted()) CryptEncodeBuffer(m_info.buffer.data(), count);
  m_storage.Write(m_info.buffer.data(), count, false);
}

bool CZipArchive::WriteEntryData(const void* data, std::uint32_t count) {
  if (m_iFileOpened != 1) return false;
  if (count == 0) return true;
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  m_info.crc = static_cast<std::uint32_t>(crc32(m_info.crc, static_cast<const Bytef*>(data), count));
  m_info.uncomprLeft += count;  // counts the input while writing
  if (m_info.uncomprLeft >= kMaxZipSize) {
    if (!m_storage.IsMultiVolume() && m_centralDir[m_centralDir.GetCount() - 1] == h) CutOpenNewEntry();
    ThrowError(CZipException::tooLarge);
  }
  z_stream& s = m_info.stream;
  if (h->m_uMethod == 8) {
    s.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(data));
    s.avail_in = count;
    while (s.avail_in > 0) {
      FlushOutputIfFull();
      CheckZlib(deflate(&s, Z_NO_FLUSH));
    }
    return true;
  }
  const char* p = static_cast<const char*>(data);
  while (count) {
    FlushOutputIfFull();
    std::uint32_t n = std::min(count, static_cast<std::uint32_t>(s.avail_out));
    std::memcpy(s.next_out, p, n);
    s.next_out += n;
    s.avail_out -= n;
    p += n;
    count -= n;
  }
  return true;
}

void CZipArchive::CutOpenNewEntry() {
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  if (h) {
    m_storage.DropBuffer();
    m_storage.File()->SetLength(m_centralDir.AbsolutePos(h->m_uOffset));
    m_centralDir.RemoveHeader(static_cast<std::uint16_t>(m_centralDir.GetCount() - 1));
  }
  if (m_info.streamActive) deflateEnd(&m_info.stream);
  FinishEntryInternal();
  // The archive stays complete on disk.
  m_centralDir.WriteDirectory(nullptr);
  m_storage.Flush();
}

void CZipArchive::FinishEntryInternal() {
  m_info.crcOnWriter = false;
  if (m_iFileOpened == 1 && m_centralDir.m_pOpenedFile) m_centralDir.InvalidateSize();
  m_centralDir.m_pOpenedFile = nullptr;
  // The read buffer stays for the next entry; writing releases it (entries may be large).
  if (m_iFileOpened != -1) m_info.buffer.Release();
  m_iFileOpened = 0;
  FreeAllocations();
}

bool CZipArchive::FinishNewEntry(bool afterException) {
  if (m_iFileOpened != 1) return false;
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  if (!afterException) {
    z_stream& s = m_info.stream;
    const std::uint32_t size = m_info.generalBufferSize;
    if (h->m_uMethod == 8) {
      for (;;) {
        FlushOutputIfFull();
        int r = deflate(&s, Z_FINISH);
        if (r == Z_STREAM_END) break;
        if (r != Z_OK && r != Z_BUF_ERROR) ThrowError(r, true);
      }
    }
    WriteOutBuffer(size - s.avail_out);
    if (h->m_uMethod == 8) {
      int r = deflateEnd(&s);
      m_info.streamActive = false;
      CheckZlib(r);
    }
    h->m_uComprSize = static_cast<std::uint32_t>(m_info.written + (h->IsEncrypted() ? 12 : 0));
    h->m_uUncomprSize = static_cast<std::uint32_t>(m_info.uncomprLeft);
    h->m_uCrc32 = m_info.crc;
    m_centralDir.CloseNewFile();
  } else if (h && !m_storage.IsMultiVolume() && m_centralDir.GetCount() && m_centralDir[m_centralDir.GetCount() - 1] == h) {
    // Half an entry is not kept: it goes, and the archive stays readable.
    try {
      CutOpenNewEntry();
    } catch (...) {
      FinishEntryInternal();
    }
    return true;
  }
  FinishEntryInternal();
  if (!afterException) AutoFlush();
  return true;
}

// ---- reading --------------------------------------------------------------------------

bool CZipArchive::StartReadingEntry(std::uint16_t index) {
  if (IsClosed() || !m_centralDir.IsValidIndex(index) || m_storage.IsNewMultiVolume() || m_iFileOpened) return false;
  m_info.buffer.Allocate(m_info.generalBufferSize);
  m_iFileOpened = -1;
  try {
    StartReadingInternal(index);
  } catch (...) {
    FinishReadingEntry(nullptr, true);
    throw;
  }
  return true;
}

void CZipArchive::StartReadingInternal(std::uint16_t index) {
  m_centralDir.OpenFile(index);
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  m_info.dataStart = m_storage.File()->GetPosition();
  if (h->IsEncrypted()) {
    if (m_pszPassword.GetSize() == 0 || !CryptCheckHeader(*h)) ThrowError(CZipException::badPassword);
  }
  const std::uint32_t encLen = h->IsEncrypted() ? 12 : 0;
  if (h->m_uComprSize < encLen) ThrowError(CZipException::badZipFile);
  m_info.comprLeft = h->m_uComprSize - encLen;
  m_info.uncomprLeft = h->m_uUncomprSize;
  // A stored entry whose sizes disagree cannot be read to its end.
  if (h->m_uMethod == 0 && m_info.comprLeft != m_info.uncomprLeft) ThrowError(CZipException::badZipFile);
  m_info.crc = 0;
  m_info.streamEnded = false;
  z_stream& s = m_info.stream;
  if (h->m_uMethod == 8 && m_info.inflaterKept) {
    s.next_in = nullptr;
    s.avail_in = 0;
    m_info.inflaterKept = false;
    CheckZlib(inflateReset(&s));
    m_info.streamActive = true;
  } else if (h->m_uMethod == 8) {
    s = z_stream{};
    s.zalloc = &ZAlloc;
    s.zfree = &ZFree;
    s.opaque = m_bDetectZlibMemoryLeaks ? this : nullptr;
    int r = inflateInit2(&s, -MAX_WBITS);
    CheckZlib(r);
    m_info.streamActive = true;
  } else if (h->m_uMethod == 0) {
    // A stored entry reads through next_in/avail_in only; a kept inflater stays as it is.
    if (!m_info.inflaterKept) s = z_stream{};
    s.next_in = nullptr;
    s.avail_in = 0;
  } else {
    ThrowError(CZipException::badZipFile);
  }
}

std::uint32_t CZipArchive::ReadEntryData(void* buffer, std::uint32_t size) {
  if (m_iFileOpened != -1 || !buffer || size == 0) return 0;
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  z_stream& s = m_info.stream;
  Bytef* out = static_cast<Bytef*>(buffer);
  std::uint32_t room = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, m_info.uncomprLeft));
  std::uint32_t produced = 0;
  while (room > 0) {
    if (s.avail_in == 0 && m_info.comprLeft > 0) {
      std::uint32_t n = static_cast<std::uint32_t>(std::min<std::uint64_t>(m_info.comprLeft, m_info.generalBufferSize));
      m_storage.Read(m_info.buffer.data(), n, false);
      if (h->IsEncrypted()) CryptDecodeBuffer(m_info.buffer.data(), n);
      m_info.comprLeft -= n;
      s.next_in = reinterpret_cast<Bytef*>(m_info.buffer.data());
      s.avail_in = n;
    }
    std::uint32_t got;
    if (h->m_uMethod == 8) {
      if (m_info.streamEnded) break;
      s.next_out = out + produced;
      s.avail_out = room;
      int r = inflate(&s, Z_SYNC_FLUSH);
      got = room - s.avail_out;
      if (r == Z_STREAM_END) {
        m_info.streamEnded = true;
      } else if (r == Z_BUF_ERROR) {
        // No progress was possible: the compressed data ran out before its end.
        if (got == 0 && s.avail_in == 0 && m_info.comprLeft == 0) ThrowError(CZipException::badZipFile);
      } else if (r != Z_OK && r != Z_NEED_DICT) {
        ThrowError(r, true);
      } else if (got == 0 && s.avail_in == 0 && m_info.comprLeft == 0) {
        ThrowError(CZipException::badZipFile);
      }
    } else {
      if (s.avail_in == 0) ThrowError(CZipException::badZipFile);
      got = std::min(room, static_cast<std::uint32_t>(s.avail_in));
      std::memcpy(out + produced, s.next_in, got);
      s.next_in += got;
      s.avail_in -= got;
    }
    if (!m_info.crcOnWriter) m_info.crc = static_cast<std::uint32_t>(crc32(m_info.crc, out + produced, got));
    produced += got;
    room -= got;
    m_info.uncomprLeft -= got;
    if (m_info.streamEnded) break;
  }
  return produced;
}

int CZipArchive::FinishReadingEntry(const char* path, bool afterException) {
  if (m_iFileOpened != -1) return 0;
  CZipFileHeader* h = m_centralDir.m_pOpenedFile;
  int result = 1;
  try {
    if (!afterException) {
      if (m_info.uncomprLeft > 0) {
        result = -1;
      } else if (m_info.crc != h->m_uCrc32) {
        ThrowError(CZipException::badCrc);
      }
      if (m_info.streamActive) {
        // Blocks tracked for leak detection are freed per entry, so only an untracked
        // inflater is kept for the next entry.
        if (m_bDetectZlibMemoryLeaks)
          inflateEnd(&m_info.stream);
        else
          m_info.inflaterKept = true;
        m_info.streamActive = false;
      }
      if (path) {
        if (!ZipSetFileModTime(path, h->GetTime()) || !ZipSetFileAttr(path, h->GetSystemAttr())) result = -2;
      }
      bool atDataEnd = m_info.comprLeft == 0 && m_info.stream.avail_in == 0;
      if (!atDataEnd && !m_storage.IsMultiVolume()) {
        // Data left unread (a stream that ended early): its descriptor follows the data.
        m_storage.File()->Seek(m_info.dataStart + h->m_uComprSize, CZipAbstractFile::begin);
        atDataEnd = true;
      }
      m_centralDir.CloseFile(atDataEnd && result != -1);
    } else {
      EndActiveInflater();
      m_centralDir.CloseFile(false);
    }
  } catch (...) {
    EndActiveInflater();
    m_centralDir.CloseFile(false);
    FinishEntryInternal();
    throw;
  }
  FinishEntryInternal();
  return result;
}

int CZipArchive::FinishReadingFile(CZipFile& file) {
  std::string path = file.GetFilePath();
  file.Close();
  return FinishReadingEntry(path.c_str(), false);
}

int CZipArchive::CopyLocalExtraField(char* buffer, std::uint16_t size) const {
  if (m_iFileOpened != -1) return -1;
  const std::string& e = m_centralDir.m_pLocalExtraField;
  std::size_t n = std::min<std::size_t>(size, e.size());
  if (buffer && n) std::memcpy(buffer, e.data(), n);
  return static_cast<int>(e.size());
}

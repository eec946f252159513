#include "themes/shapefile_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "landscape/geo.h"
#include "platform/numbers.h"
#include "platform/paths.h"

namespace {

// shapelib reports short writes only through its hooks; they carry no context, so the
// writer of the current thread collects them here.
thread_local bool tWriteFailed = false;
thread_local std::string tHookMessage;

SAOffset HookWrite(void* p, SAOffset size, SAOffset count, SAFile file) {
  const SAOffset done = std::fwrite(p, size, count, reinterpret_cast<std::FILE*>(file));
  if (done != count) tWriteFailed = true;
  return done;
}
int HookFlush(SAFile file) {
  const int r = std::fflush(reinterpret_cast<std::FILE*>(file));
  if (r != 0) tWriteFailed = true;
  return r;
}
int HookClose(SAFile file) {
  std::FILE* f = reinterpret_cast<std::FILE*>(file);
  bool ok = std::fflush(f) == 0 && !std::ferror(f);
  ok = ::fsync(fileno(f)) == 0 && ok;
  if (std::fclose(f) != 0) ok = false;
  if (!ok) tWriteFailed = true;
  return ok ? 0 : -1;
}
void HookError(const char* message) { tHookMessage = message ? message : ""; }

SAHooks WritingHooks() {
  SAHooks h;
  SASetupDefaultHooks(&h);
  h.FWrite = HookWrite;
  h.FFlush = HookFlush;
  h.FClose = HookClose;
  h.Error = HookError;
  return h;
}

const char* const kParts[] = {".shp", ".shx", ".dbf"};

}  // namespace

bool IsNullProjection(const std::string& p) { return p.empty() || p == "(null)" || p == "[\"null\"]"; }

ShapefileWriter::ShapefileWriter(std::string path, int shapeType) : path_(std::move(path)), type_(shapeType) {}

ShapefileWriter::~ShapefileWriter() { Discard(); }

bool ShapefileWriter::Fail(const std::string& why) {
  if (!failed_) error_ = why;
  failed_ = true;
  return false;
}

bool ShapefileWriter::Open() {
  if (!platform::HasExtension(path_, ".shp"))
    return Fail(platform::FormatC("%s: a shapefile's name must end in .shp", path_.c_str()));
  base_ = path_.substr(0, path_.size() - 4);
  // A free temporary base beside the target: its reserved ".shp" is taken over by shapelib.
  std::random_device rd;
  for (int attempt = 0; attempt < 100 && tempBase_.empty(); ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp%08x", static_cast<unsigned>(rd()));
    const std::string candidate = base_ + suffix;
    const int fd = ::open((candidate + ".shp").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return Fail(platform::FormatC("Unable to create %s: %s", path_.c_str(), std::strerror(errno)));
    }
    ::close(fd);
    tempBase_ = candidate;
  }
  if (tempBase_.empty()) return Fail(platform::FormatC("Unable to create %s", path_.c_str()));
  tWriteFailed = false;
  SAHooks hooks = WritingHooks();
  shp_ = SHPCreateLL((tempBase_ + ".shp").c_str(), type_, &hooks);
  if (!shp_) return Fail(platform::FormatC("Unable to create %s", path_.c_str()));
  dbf_ = DBFCreateLL((tempBase_ + ".dbf").c_str(), nullptr, &hooks);
  if (!dbf_) return Fail(platform::FormatC("Unable to create %s", (base_ + ".dbf").c_str()));
  return true;
}

bool ShapefileWriter::AddField(const char* name, DBFFieldType type, int width, int decimals) {
  if (failed_ || !dbf_) return false;
  if (DBFAddField(dbf_, name, type, width, decimals) < 0)
    return Fail(platform::FormatC("Unable to add the field %s to %s", name, (base_ + ".dbf").c_str()));
  return true;
}

int ShapefileWriter::WriteShape(int type, int n, const double* x, const double* y, const double* z,
                                const int* partStart, int partCount, bool rewind) {
  if (failed_ || !shp_) return -1;
  SHPObject* o = partStart ? SHPCreateObject(type, -1, partCount, partStart, nullptr, n, x, y, z, nullptr)
                           : SHPCreateSimpleObject(type, n, x, y, z);
  if (!o) {
    Fail(platform::FormatC("Unable to write a shape to %s", path_.c_str()));
    return -1;
  }
  if (rewind && n > 1) SHPRewindObject(shp_, o);
  const int record = SHPWriteObject(shp_, -1, o);
  SHPDestroyObject(o);
  if (record < 0 || tWriteFailed) {
    Fail(platform::FormatC("Unable to write a shape to %s", path_.c_str()));
    return -1;
  }
  return record;
}

bool ShapefileWriter::WriteInteger(int record, int field, int value) {
  if (failed_ || !dbf_) return false;
  if (!DBFWriteIntegerAttribute(dbf_, record, field, value) || tWriteFailed)
    return Fail(platform::FormatC("Unable to write record %d of %s", record, (base_ + ".dbf").c_str()));
  return true;
}

bool ShapefileWriter::WriteDouble(int record, int field, double value) {
  if (failed_ || !dbf_) return false;
  if (!DBFWriteDoubleAttribute(dbf_, record, field, value) || tWriteFailed)
    return Fail(platform::FormatC("Unable to write record %d of %s", record, (base_ + ".dbf").c_str()));
  return true;
}

bool ShapefileWriter::WriteString(int record, int field, const std::string& value) {
  if (failed_ || !dbf_) return false;
  // An empty text is written as blanks (shapelib would otherwise mark the value null).
  if (!DBFWriteStringAttribute(dbf_, record, field, value.c_str()) || tWriteFailed)
    return Fail(platform::FormatC("Unable to write record %d of %s", record, (base_ + ".dbf").c_str()));
  return true;
}

bool ShapefileWriter::Commit(const std::string& projection) {
  if (shp_) SHPClose(shp_);
  if (dbf_) DBFClose(dbf_);
  shp_ = nullptr;
  dbf_ = nullptr;
  if (tWriteFailed) Fail(platform::FormatC("Unable to write %s", path_.c_str()));
  if (failed_) return false;
  for (const char* ext : kParts) {
    // The ".shp" keeps the name as typed, capitals included.
    const std::string target = std::strcmp(ext, ".shp") == 0 ? path_ : base_ + ext;
    if (std::rename((tempBase_ + ext).c_str(), target.c_str()) != 0)
      return Fail(platform::FormatC("Unable to write %s: %s", target.c_str(), std::strerror(errno)));
  }
  tempBase_.clear();
  // An older ".prj" of that name would misdescribe the new shapes.
  if (IsNullProjection(projection)) std::remove((base_ + ".prj").c_str());
  else if (!landscape::WritePrjFile(path_, projection))
    return Fail(platform::FormatC("Unable to write %s", (base_ + ".prj").c_str()));
  return true;
}

void ShapefileWriter::Discard() {
  if (shp_) SHPClose(shp_);
  if (dbf_) DBFClose(dbf_);
  shp_ = nullptr;
  dbf_ = nullptr;
  if (tempBase_.empty()) return;
  for (const char* ext : kParts) std::remove((tempBase_ + ext).c_str());
  tempBase_.clear();
}

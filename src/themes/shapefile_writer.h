#pragma once
// Writes a shapefile (".shp", ".shx", ".dbf" and, with a projection, ".prj") through
// temporary files beside the target that are renamed over it only when every write has
// succeeded, so a failed export leaves any older files of that name intact.
#include <shapefil.h>

#include <string>

class ShapefileWriter {
 public:
  // The target must end in ".shp" (any case); the other files replace that extension only.
  ShapefileWriter(std::string path, int shapeType);
  ~ShapefileWriter();  // removes the temporary files unless committed
  ShapefileWriter(const ShapefileWriter&) = delete;
  ShapefileWriter& operator=(const ShapefileWriter&) = delete;

  bool Open();
  // Fields in table order, before the first record. False when shapelib refuses it.
  bool AddField(const char* name, DBFFieldType type, int width, int decimals);
  // Appends one shape (one part unless part starts are given); with rewind, polygon rings
  // get the file's orientation. The record number, or -1 on failure.
  int WriteShape(int type, int n, const double* x, const double* y, const double* z,
                 const int* partStart = nullptr, int partCount = 1, bool rewind = false);
  bool WriteInteger(int record, int field, int value);
  bool WriteDouble(int record, int field, double value);
  bool WriteString(int record, int field, const std::string& value);
  // Closes the files, renames them into place and writes the ".prj" (when the projection is
  // neither empty nor a null marker). False when anything failed.
  bool Commit(const std::string& projection);

  // Why the last step failed, naming the file.
  const std::string& Error() const { return error_; }
  const std::string& Path() const { return path_; }

 private:
  bool Fail(const std::string& why);
  void Discard();
  std::string path_, base_, tempBase_, error_;
  int type_;
  SHPHandle shp_ = nullptr;
  DBFHandle dbf_ = nullptr;
  bool failed_ = false;
};

// Owners of shapelib's open files and read shapes.
struct ShpCloser {
  void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct DbfCloser {
  void operator()(DBFInfo* h) const { DBFClose(h); }
};
struct ShpObjectDestroyer {
  void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};

// True for a projection text that says there is none: "", "(null)" or ["null"].
bool IsNullProjection(const std::string& projection);

#pragma once
// A window stand-in for the table grid's model, and an owner that records notifications.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/table_grid.h"

namespace tabletest {

struct FakeHost : gridmodel::GridHost {
  gridmodel::Size view{400, 300};
  int invalidations = 0;
  std::vector<std::string> editors;  // "row,col,text,firstChar" per opened editor
  int closed = 0;
  gridmodel::Size ViewSize() override { return view; }
  void Invalidate(const gridmodel::Rect*) override { ++invalidations; }
  gridmodel::Painter& Measurer() override { return gridmodel::HeadlessMeasurer(); }
  bool OpenEditor(int row, int col, gridmodel::Rect, unsigned, const std::string& text, unsigned ch) override {
    editors.push_back(std::to_string(row) + "," + std::to_string(col) + "," + text + "," + std::to_string(ch));
    return true;
  }
  bool OpenListEditor(int row, int col, gridmodel::Rect, unsigned style, const std::vector<std::string>& options,
                      const std::string& text, unsigned ch) override {
    std::string list;
    for (const auto& o : options) list += o + "|";
    editors.push_back(std::to_string(row) + "," + std::to_string(col) + "," + text + "," + std::to_string(ch) +
                      ",list " + std::to_string(style) + " " + list);
    return true;
  }
  void CloseEditor() override { ++closed; }
};

struct RecordingOwner : gridmodel::GridOwner {
  std::vector<gridmodel::GridNotify> seen;
  int commands = 0;
  long beginAnswer = 0, endAnswer = 0;
  long OnGridNotify(const gridmodel::GridNotify& n) override {
    seen.push_back(n);
    if (n.code == gridmodel::kNotifyBeginEdit) return beginAnswer;
    if (n.code == gridmodel::kNotifyEndEdit) return endAnswer;
    return 0;
  }
  void OnGridCommand() override { ++commands; }
  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& n : seen) codes.push_back(n.code);
    return codes;
  }
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "pvgrid_XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Output of a shell command.
inline std::string Run(const std::string& command) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

// Fills cell (r, c) with "r.c" for every cell.
inline void FillCoordinates(gridmodel::CGridCtrl& g) {
  for (int r = 0; r < g.GetRowCount(); ++r)
    for (int c = 0; c < g.GetColumnCount(); ++c) g.SetItemText(r, c, std::to_string(r) + "." + std::to_string(c));
}

}  // namespace tabletest

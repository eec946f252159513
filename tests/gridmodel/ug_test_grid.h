#pragma once
// A cell grid that records its notifications and can veto moves, for the model tests.
#include <string>
#include <vector>

#include "gridmodel/ug_ctrl.h"

namespace ugtest {

using namespace gridmodel;

class RecordingGrid : public CUGCtrl {
 public:
  std::vector<std::string> log;
  bool allowCellMove = true;
  bool allowViewMove = true;
  bool allowEndEdit = true;
  bool allowContinue = true;

  // A grid of cols x rows with a 400 x 200 cell area (40 + 400 wide, 20 + 200 high).
  void Build(int cols, long rows) {
    SetColCount(cols);
    SetRowCount(rows);
    SetClientSize(440, 220);
    log.clear();
  }

  int OnAllowCellMove(int oc, long orow, int nc, long nr) override {
    log.push_back("AllowCellMove " + std::to_string(oc) + "," + std::to_string(orow) + "->" + std::to_string(nc) +
                  "," + std::to_string(nr));
    return allowCellMove;
  }
  int OnAllowViewMove(int lc, long tr, int nc, long nr) override {
    log.push_back("AllowViewMove");
    return allowViewMove;
  }
  void OnPastLastRow(long count, long past, long added) override {
    log.push_back("PastLastRow " + std::to_string(count) + "," + std::to_string(past) + "," + std::to_string(added));
  }
  void OnCurrentColChanged(int o, int n) override {
    log.push_back("ColChanged " + std::to_string(o) + "->" + std::to_string(n));
  }
  void OnCurrentRowChanged(long o, long n) override {
    log.push_back("RowChanged " + std::to_string(o) + "->" + std::to_string(n));
  }
  void OnCurrentCellChanged(int, int, long, long) override { log.push_back("CellChanged"); }
  void OnLeftColChanged(int o, int n) override {
    log.push_back("LeftColChanged " + std::to_string(o) + "->" + std::to_string(n));
  }
  void OnTopRowChanged(long o, long n) override {
    log.push_back("TopRowChanged " + std::to_string(o) + "->" + std::to_string(n));
  }
  void OnSelectionChanged(int rc, long tr, int lc, long br, int n) override {
    log.push_back("SelectionChanged " + std::to_string(n));
  }
  void OnWriteCell(int c, long r, CUGCell*) override {
    log.push_back("WriteCell " + std::to_string(c) + "," + std::to_string(r));
  }
  int OnBeginCellEdit(int c, long r, CUGEditor**) override {
    log.push_back("BeginCellEdit " + std::to_string(c) + "," + std::to_string(r));
    return 1;
  }
  int OnEndCellEdit(int c, long r, CUGEditor*, const std::string& text, bool cancelled) override {
    log.push_back("EndCellEdit " + std::to_string(c) + "," + std::to_string(r) + " " + text +
                  (cancelled ? " cancelled" : ""));
    return allowEndEdit;
  }
  int OnContinueCellEdit(int, long, int* nc, long* nr) override {
    log.push_back("ContinueCellEdit " + std::to_string(*nc) + "," + std::to_string(*nr));
    return allowContinue;
  }

  // Entries of the log that start with a prefix.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& e : log)
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
  }
};

// An editor that remembers what the grid did with it.
class FakeEditor : public CUGEditor {
 public:
  std::string text;
  bool shown = false;
  int section = 0;
  UGRect rect;
  std::vector<int> chars;
  int font = -2;

  void SetText(const std::string& t) override { text = t; }
  std::string GetText() const override { return text; }
  void SetFont(int f) override { font = f; }
  void Show(int s, const UGRect& r) override {
    shown = true;
    section = s;
    rect = r;
  }
  void Hide() override { shown = false; }
  void SendChar(int key) override { chars.push_back(key); }
};

}  // namespace ugtest

#pragma once
// "Weather Stream Graph": a few whole days of a stream at a time in three stacked panes
// (temperature and humidity, wind and cloud cover, precipitation), paged by day, with the
// record colours behind the columns; and "WXS Graph Properties", the graph's settings.
#include <wx/dialog.h>
#include <wx/window.h>

#include <array>
#include <vector>

#include "weather/wx_graph.h"
#include "weather/wx_records.h"

class wxButton;
class wxChoice;
class wxComboBox;
class wxSpinButton;
class wxTextCtrl;

namespace widgets {
class CSimpleSplitter;
class CColorStatic;
}  // namespace widgets

namespace weather::ui {

// One pane: draws its records with the model's painter at every paint.
class CWxsPaneWnd : public wxWindow {
 public:
  CWxsPaneWnd(wxWindow* parent, WxPane pane);
  WxPane pane;
  const CWxStream* stream = nullptr;
  int first = 0, last = 0;
  std::vector<uint32_t> colors;

 private:
  void OnPaint(wxPaintEvent&);
};

class CWxsGraphCtrl : public wxWindow {
 public:
  CWxsGraphCtrl(wxWindow* parent, wxWindowID id);
  void SetRange(const CWxStream* stream, int first, int last);
  void SetRecordColors(const std::vector<uint32_t>& colors);
  void RedrawPanes();
  CWxsPaneWnd* Pane(int i) const { return panes_[static_cast<std::size_t>(i)]; }

 private:
  widgets::CSimpleSplitter* splitter_ = nullptr;
  std::array<CWxsPaneWnd*, 3> panes_{};
  bool panesShared_ = false;  // the first shares have been given
};

class CWxsGraphDlg : public wxDialog {
 public:
  enum { kBack = 1433, kForward = 1374, kVisible = 1434, kSpin = 1435, kGraph = 1438, kOptions = 1469 };
  CWxsGraphDlg(wxWindow* parent, const CWxStream* stream, std::vector<WxBurnPeriod> burns,
               platform::OleDateTime start, platform::OleDateTime end);

  void OnBack();
  void OnForward();
  void OnVisibleText();
  void OnOptions();
  const GraphPaging& Paging() const { return paging_; }
  CWxsGraphCtrl* graph = nullptr;
  wxTextCtrl* visibleEdit = nullptr;

 private:
  void ShowRange();
  void UpdateButtons();
  const CWxStream* stream_;
  std::vector<WxsGraphDay> days_;
  GraphPaging paging_;
  wxSpinButton* spin_ = nullptr;
};

class CWxsGraphPropertiesDlg : public wxDialog {
 public:
  explicit CWxsGraphPropertiesDlg(wxWindow* graphWindow);
  // Takes the controls into the program's settings and redraws the graph.
  // False, with the field named, when a width is refused (nothing applied).
  bool OnApply();

  std::array<widgets::CColorStatic*, 5> curve{}, line{};
  std::array<wxComboBox*, 4> width{};
  std::array<wxComboBox*, 5> style{};  // horizontal-line styles
  wxComboBox* hatch = nullptr;
  wxComboBox* frequency = nullptr;
  widgets::CColorStatic* verticalColor = nullptr;
  wxComboBox* verticalWidth = nullptr;

 private:
  wxWindow* graphWindow_;
};

}  // namespace weather::ui

#include "weather/ui/wxs_graph_dialog.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/dcbuffer.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "weather/wx_editor.h"
#include "widgets/color_static.h"
#include "widgets/painter_wx.h"
#include "widgets/simple_splitter.h"

namespace weather::ui {

using platform::OleDateTime;

// ---- panes and the control ----------------------------------------------------------------

CWxsPaneWnd::CWxsPaneWnd(wxWindow* parent, WxPane p)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_STATIC | wxFULL_REPAINT_ON_RESIZE),
      pane(p) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CWxsPaneWnd::OnPaint, this);
}

void CWxsPaneWnd::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  platform::Image image(size.x, size.y);
  if (image.IsEmpty()) return;
  if (stream) DrawWxsPane(image, pane, *stream, first, last, colors, AppGraphSettings());
  else image.Fill({255, 255, 255, 255});
  widgets::WxPainter painter(dc);
  painter.DrawImage(image, gridmodel::Rect{0, 0, size.x, size.y});
}

CWxsGraphCtrl::CWxsGraphCtrl(wxWindow* parent, wxWindowID id) : wxWindow(parent, id) {
  splitter_ = new widgets::CSimpleSplitter(this, wxID_ANY, 3, 0, 30, 3);
  for (int i = 0; i < 3; ++i) {
    panes_[static_cast<std::size_t>(i)] = new CWxsPaneWnd(splitter_, static_cast<WxPane>(i));
    splitter_->SetPane(i, panes_[static_cast<std::size_t>(i)]);
  }
  splitter_->SetPaneSizes({2, 2, 1});
  // The shares are set once the window has a height; from then on the panes keep them (the
  // user's, once a sash has been moved) at every size.
  Bind(wxEVT_SIZE, [this](wxSizeEvent&) {
    splitter_->SetSize(GetClientSize());
    const int c = GetClientSize().y / 5;
    if (!panesShared_ && c > 0) {
      splitter_->SetPaneSizes({2 * c, 2 * c, c});
      panesShared_ = true;
    }
  });
}

void CWxsGraphCtrl::SetRange(const CWxStream* stream, int first, int last) {
  const int n = stream ? static_cast<int>(stream->records.size()) : 0;
  first = std::clamp(first, 0, std::max(n - 1, 0));
  last = std::clamp(last, 0, std::max(n - 1, 0));
  for (CWxsPaneWnd* p : panes_) {
    p->stream = stream;
    p->first = first;
    p->last = last;
  }
}

void CWxsGraphCtrl::SetRecordColors(const std::vector<uint32_t>& colors) {
  for (CWxsPaneWnd* p : panes_) p->colors = colors;
}

void CWxsGraphCtrl::RedrawPanes() {
  for (CWxsPaneWnd* p : panes_) p->Refresh();
}

// ---- the graph window ---------------------------------------------------------------------

CWxsGraphDlg::CWxsGraphDlg(wxWindow* parent, const CWxStream* stream, std::vector<WxBurnPeriod> burns,
                           OleDateTime start, OleDateTime end)
    : wxDialog(parent, wxID_ANY, "Weather Stream Graph", wxDefaultPosition, wxSize(1100, 760),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      stream_(stream) {
  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* bar = new wxBoxSizer(wxHORIZONTAL);
  bar->Add(new wxButton(this, kBack, "<<< Back"), 0, wxRIGHT, 6);
  bar->Add(new wxButton(this, kForward, "Forward >>>"), 0, wxRIGHT, 12);
  bar->Add(new wxStaticText(this, wxID_ANY, "Visible Days:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  visibleEdit = new wxTextCtrl(this, kVisible, "2", wxDefaultPosition, wxSize(60, -1));
  spin_ = new wxSpinButton(this, kSpin);
  bar->Add(visibleEdit);
  bar->Add(spin_, 0, wxRIGHT, 12);
  bar->AddStretchSpacer();
  bar->Add(new wxButton(this, kOptions, "Graph Options"));
  top->Add(bar, 0, wxEXPAND | wxALL, 6);
  graph = new CWxsGraphCtrl(this, kGraph);
  top->Add(graph, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
  SetSizer(top);
  Layout();
  CentreOnParent();

  if (!stream_ || stream_->records.empty()) {
    for (int id : {kBack, kForward, kVisible, kSpin}) FindWindow(id)->Enable(false);
  } else {
    days_ = GraphDays(*stream_);
    paging_.Start(static_cast<int>(days_.size()));
    spin_->SetRange(1, std::min(paging_.dayCount, 31));
    spin_->SetValue(paging_.visibleDays);
    const WxRecordColors c = AppRecordColors();
    graph->SetRecordColors(RecordColors(*stream_, burns, start, end, c.notUsed, c.conditioning, c.burning));
    ShowRange();
  }
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBack(); }, kBack);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnForward(); }, kForward);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOptions(); }, kOptions);
  visibleEdit->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { OnVisibleText(); });
  spin_->Bind(wxEVT_SPIN, [this](wxSpinEvent& e) {
    visibleEdit->SetValue(wxString::Format("%d", std::clamp(e.GetPosition(), 1, std::max(paging_.dayCount, 1))));
  });
}

void CWxsGraphDlg::ShowRange() {
  const int first = paging_.firstDay, last = paging_.lastDay;
  if (stream_ && first >= 0 && last >= 0 && last < static_cast<int>(days_.size()))
    graph->SetRange(stream_, days_[static_cast<std::size_t>(first)].firstIndex,
                    days_[static_cast<std::size_t>(last)].lastIndex);
  else
    graph->SetRange(stream_, 0, 0);
  graph->RedrawPanes();
  UpdateButtons();
}

void CWxsGraphDlg::UpdateButtons() {
  if (days_.empty()) return;
  const int n = static_cast<int>(stream_->records.size());
  FindWindow(kBack)->Enable(days_[static_cast<std::size_t>(paging_.firstDay)].firstIndex > 0);
  FindWindow(kForward)->Enable(days_[static_cast<std::size_t>(paging_.lastDay)].lastIndex < n - 1);
}

void CWxsGraphDlg::OnBack() {
  paging_.Back();
  ShowRange();
}

void CWxsGraphDlg::OnForward() {
  paging_.Forward();
  ShowRange();
}

void CWxsGraphDlg::OnVisibleText() {
  const auto v = platform::ParseInt(visibleEdit->GetValue().utf8_string());
  if (v && paging_.SetVisible(static_cast<int>(*v))) ShowRange();
  else UpdateButtons();
}

void CWxsGraphDlg::OnOptions() {
  CWxsGraphPropertiesDlg properties(this);
  properties.ShowModal();
  graph->RedrawPanes();
}

// ---- graph properties ---------------------------------------------------------------------

namespace {

wxComboBox* NameBox(wxWindow* parent, int id, const std::vector<std::pair<int, std::string>>& table, int value,
                    const std::string& fallback) {
  auto* box = new wxComboBox(parent, id, "", wxDefaultPosition, wxSize(150, -1));
  std::string shown = fallback;
  for (const auto& [v, n] : table) {
    box->Append(n);
    if (v == value) shown = n;
  }
  box->SetValue(shown);
  return box;
}

wxComboBox* WidthBox(wxWindow* parent, int id, int value) {
  auto* box = new wxComboBox(parent, id, "", wxDefaultPosition, wxSize(60, -1));
  for (int i = 1; i <= 5; ++i) box->Append(wxString::Format("%d", i));
  box->SetValue(wxString::Format("%d", value));
  return box;
}

widgets::CColorStatic* Swatch(wxWindow* parent, int id, uint32_t colour, uint32_t automatic, const char* autoLabel) {
  auto* s = new widgets::CColorStatic(parent, id, colour, wxDefaultPosition, wxSize(40, 20));
  s->SetToolTip(wxString("Click to choose; right-click for the ") + autoLabel);
  s->Bind(wxEVT_LEFT_UP, [s](wxMouseEvent&) { s->ChooseColor(); });
  s->Bind(wxEVT_RIGHT_UP, [s, automatic](wxMouseEvent&) {
    s->SetColor(automatic);
    s->Refresh();
  });
  return s;
}

}  // namespace

CWxsGraphPropertiesDlg::CWxsGraphPropertiesDlg(wxWindow* graphWindow)
    : wxDialog(graphWindow, wxID_ANY, "WXS Graph Properties"), graphWindow_(graphWindow) {
  const WxGraphSettings g = AppGraphSettings();
  const WxGraphSettings& d = DefaultGraphSettings();
  auto* grid = new wxFlexGridSizer(5, 6, 10);
  for (const char* h : {"Variable", "Color", "Width", "Horizontal Line Color", "Style"})
    grid->Add(new wxStaticText(this, wxID_ANY, h));
  const char* rows[5] = {"Temperature:", "Relative Humidity:", "Winds:", "Cloud Cover:", "Precipitation:"};
  const char* names[5] = {"Temperature", "RH", "Wind", "Cloud Cover", "Precipitation"};
  const int curveIds[5] = {1440, 1441, 1442, 1443, 1444}, lineIds[5] = {1445, 1446, 1447, 1448, 1449};
  const int widthIds[4] = {1452, 1455, 1458, 1461}, styleIds[5] = {1454, 1457, 1460, 1463, 1464};
  for (int i = 0; i < 5; ++i) {
    grid->Add(new wxStaticText(this, wxID_ANY, rows[i]), 0, wxALIGN_CENTER_VERTICAL);
    const std::string autoCurve = std::string("Default ") + names[i] + " Color";
    const std::string autoLine = std::string("Default ") + names[i] + " Horizontal Line Color";
    curve[static_cast<std::size_t>(i)] = Swatch(this, curveIds[i], g.curveColor[i], d.curveColor[i], autoCurve.c_str());
    grid->Add(curve[static_cast<std::size_t>(i)], 0, wxALIGN_CENTER_VERTICAL);
    if (i < 4) {
      width[static_cast<std::size_t>(i)] = WidthBox(this, widthIds[i], g.curveWidth[i]);
      grid->Add(width[static_cast<std::size_t>(i)]);
    } else {
      hatch = NameBox(this, 1465, GraphHatchNames(), g.precipHatch, "Solid");
      grid->Add(hatch);
    }
    line[static_cast<std::size_t>(i)] = Swatch(this, lineIds[i], g.lineColor[i], d.lineColor[i], autoLine.c_str());
    grid->Add(line[static_cast<std::size_t>(i)], 0, wxALIGN_CENTER_VERTICAL);
    style[static_cast<std::size_t>(i)] = NameBox(this, styleIds[i], GraphPenStyleNames(), g.lineStyle[i], "Solid");
    grid->Add(style[static_cast<std::size_t>(i)]);
  }
  auto* vertical = new wxBoxSizer(wxHORIZONTAL);
  vertical->Add(new wxStaticText(this, wxID_ANY, "Vertical Lines:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  frequency = NameBox(this, 1468, GraphVerticalLineNames(), g.verticalLines, "Each Record");
  vertical->Add(frequency, 0, wxRIGHT, 10);
  vertical->Add(new wxStaticText(this, wxID_ANY, "Color:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  verticalColor = Swatch(this, 1450, g.verticalColor, d.verticalColor, "Default Vertical Line Color");
  vertical->Add(verticalColor, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
  vertical->Add(new wxStaticText(this, wxID_ANY, "Width:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  verticalWidth = WidthBox(this, 1467, g.verticalWidth);
  vertical->Add(verticalWidth);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(grid, 0, wxALL, 10);
  top->Add(vertical, 0, wxLEFT | wxRIGHT, 10);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, 1023, "Apply"), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"));
  top->Add(buttons, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(top);
  CentreOnParent();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApply(); }, 1023);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    if (OnApply()) EndModal(wxID_OK);
  }, wxID_OK);
}

bool CWxsGraphPropertiesDlg::OnApply() {
  // Widths are checked first: a refused one leaves every setting as it was.
  int widths[5] = {};
  wxComboBox* boxes[5] = {width[0], width[1], width[2], width[3], verticalWidth};
  const char* labels[5] = {"Temperature width", "Relative Humidity width", "Winds width", "Cloud Cover width",
                           "Vertical Lines width"};
  for (int i = 0; i < 5; ++i) {
    const std::string text = boxes[i]->GetValue().utf8_string();
    const auto v = text.empty() ? std::optional<long long>(1) : platform::ParseInt(text);
    if (!v || *v < 1 || *v > 20) {
      platform::Tell(std::string(labels[i]) + ": \"" + text + "\" is not a width from 1 to 20 pixels");
      boxes[i]->SetFocus();
      return false;
    }
    widths[i] = static_cast<int>(*v);
  }
  WxGraphSettings g = AppGraphSettings();
  for (int i = 0; i < 5; ++i) {
    g.curveColor[i] = curve[static_cast<std::size_t>(i)]->GetColor();
    g.lineColor[i] = line[static_cast<std::size_t>(i)]->GetColor();
    g.lineStyle[i] = GraphValueOfName(GraphPenStyleNames(), style[static_cast<std::size_t>(i)]->GetValue().utf8_string(), 0);
  }
  for (int i = 0; i < 4; ++i) g.curveWidth[i] = widths[i];
  g.verticalWidth = widths[4];
  g.verticalColor = verticalColor->GetColor();
  g.precipHatch = GraphValueOfName(GraphHatchNames(), hatch->GetValue().utf8_string(), -1);
  g.verticalLines = GraphValueOfName(GraphVerticalLineNames(), frequency->GetValue().utf8_string(), 1);
  SetAppGraphSettings(g);
  if (auto* dlg = dynamic_cast<CWxsGraphDlg*>(graphWindow_)) dlg->graph->RedrawPanes();
  graphWindow_->Refresh();
  graphWindow_->Update();
  return true;
}

}  // namespace weather::ui

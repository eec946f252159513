#include "views/ui/point_dialog.h"

#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>
#include <map>

#include "platform/numbers.h"
#include "project/work_area.h"
#include "views/point_values.h"
#include "widgets/table_grid_window.h"

namespace views::ui {

namespace {

constexpr int kTableId = 101;

std::map<const CPVN4Doc*, CPointDialog*>& Registry() {
  static std::map<const CPVN4Doc*, CPointDialog*> windows;
  return windows;
}

}  // namespace

CPointDialog::CPointDialog(wxWindow* parent, CPVN4Doc& doc, CPyrvane2WorkArea* area, double x, double y)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(doc.title + " Point Attributes"), wxDefaultPosition,
               wxSize(340, 330), wxCAPTION | wxSYSTEM_MENU | wxRESIZE_BORDER | wxCLOSE_BOX | wxFRAME_TOOL_WINDOW),
      doc_(doc),
      area_(area),
      x_(x),
      y_(y) {
  Registry()[&doc_] = this;
  auto* coords = new wxBoxSizer(wxHORIZONTAL);
  coords->Add(new wxStaticText(this, wxID_ANY, "X:"), 0, wxRIGHT, 4);
  xText_ = new wxStaticText(this, 1079, "", wxDefaultPosition, wxSize(90, -1));
  coords->Add(xText_, 0, wxRIGHT, 8);
  coords->Add(new wxStaticText(this, wxID_ANY, "Y:"), 0, wxRIGHT, 4);
  yText_ = new wxStaticText(this, 1080, "", wxDefaultPosition, wxSize(90, -1));
  coords->Add(yText_, 0);
  tabs_ = new wxNotebook(this, 1077);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(coords, 0, wxALL, 2);
  top->Add(tabs_, 1, wxEXPAND | wxTOP, 2);
  SetSizer(top);
  tabs_->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this](wxBookCtrlEvent& e) {
    if (e.GetSelection() >= 0 && e.GetSelection() < TableCount()) selectedTab_ = e.GetSelection();
    e.Skip();
  });
  // Closing hides the window; the next Point Attributes shows it again.
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
    if (e.CanVeto()) {
      Hide();
      e.Veto();
      return;
    }
    e.Skip();
  });
  doc_.windows.rebuildPointWindow = [this] { Rebuild(); };
  doc_.AddObserver(this);
  Layout();
  Rebuild();
}

CPointDialog::~CPointDialog() {
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  if (docGone_) return;
  doc_.RemoveObserver(this);
  doc_.windows.rebuildPointWindow = nullptr;
}

CPointDialog* CPointDialog::Of(const CPVN4Doc& doc) {
  auto it = Registry().find(&doc);
  return it == Registry().end() ? nullptr : it->second;
}

void CPointDialog::OnPointAttributes(wxWindow* parent, CPVN4Doc& doc, double x, double y) {
  if (!doc.currentArea) return;
  if (CPointDialog* w = Of(doc)) {
    w->x_ = x;
    w->y_ = y;
    if (w->area_ == doc.currentArea) {
      w->FillValues();
    } else {
      w->area_ = doc.currentArea;
      w->Rebuild();
    }
    w->Show();
    w->Raise();
    w->UpdateCoordinates();
    return;
  }
  auto* w = new CPointDialog(parent, doc, doc.currentArea, x, y);
  w->Show();
}

void CPointDialog::OnRemoving(CPVN4Doc& doc, const void* object) {
  if (object != area_) return;
  // Called before the area goes: the window lets go of it at once and turns to another area.
  area_ = nullptr;
  for (const auto& a : doc.areas)
    if (a.get() != object && (a.get() == doc.currentArea || !area_)) area_ = a.get();
  CallAfter([this] { Rebuild(); });
}

void CPointDialog::OnDocumentDestroyed(CPVN4Doc&) {
  docGone_ = true;
  area_ = nullptr;
  auto it = Registry().find(&doc_);
  if (it != Registry().end() && it->second == this) Registry().erase(it);
  Destroy();
}

std::string CPointDialog::XText() const { return xText_->GetLabel().utf8_string(); }
std::string CPointDialog::YText() const { return yText_->GetLabel().utf8_string(); }

void CPointDialog::UpdateCoordinates() {
  xText_->SetLabel(wxString::FromUTF8(platform::FormatC("%.0f", x_)));
  yText_->SetLabel(wxString::FromUTF8(platform::FormatC("%.0f", y_)));
  if (selectedTab_ >= 0 && selectedTab_ < TableCount()) Table(selectedTab_)->Refresh();
}

void CPointDialog::SetUpTable(widgets::TableGridWindow& table, std::size_t rows, bool landscape) {
  gridmodel::CGridCtrl& g = table.Grid();
  const int width = std::max(table.GetClientSize().GetWidth(), tabs_->GetClientSize().GetWidth()) / 3;
  for (bool fixedRow : {false, true})
    for (bool fixedCol : {false, true}) {
      gridmodel::CGridDefaultCell* cell = g.GetDefaultCell(fixedRow, fixedCol);
      cell->SetWidth(width);
      cell->SetHeight(landscape ? 14 : 15);
    }
  g.SetOwnerDataMode(false);
  g.SetSortOnHeaderClick(false);
  g.SetRowSelectMode(false);
  g.SetEditable(false);
  g.SetColumnCount(3);
  g.SetRowCount(static_cast<int>(rows) + 1);
  g.SetFixedRowCount(1);
  g.SetFixedColumnCount(1);
  const char* const headings[] = {"Theme", "Value", "Units"};
  for (int c = 0; c < 3; ++c) g.SetItemText(0, c, headings[c]);
  for (int r = landscape ? 1 : 0; r <= static_cast<int>(rows); ++r) g.SetItemFormat(r, 1, gridmodel::kAlignRight);
}

void CPointDialog::Rebuild() {
  tables_.clear();
  tabs_->DeleteAllPages();
  UpdateCoordinates();
  const std::vector<PointTable> tables = PointAttributeTables(doc_, area_, x_, y_);
  for (const PointTable& t : tables) {
    auto* table = new widgets::TableGridWindow(tabs_, kTableId, wxDefaultPosition, tabs_->GetClientSize());
    tables_.push_back(table);
    tabs_->AddPage(table, wxString::FromUTF8(t.title));
    SetUpTable(*table, t.rows.size(), tables_.size() == 1);
  }
  FillValues();
  for (widgets::TableGridWindow* t : tables_) {
    t->Grid().AutoSizeColumns();
    t->Grid().AutoSizeRows();
  }
  if (selectedTab_ >= TableCount()) selectedTab_ = 0;
  if (selectedTab_ < TableCount()) tabs_->ChangeSelection(static_cast<std::size_t>(selectedTab_));
}

void CPointDialog::FillValues() {
  const std::vector<PointTable> tables = PointAttributeTables(doc_, area_, x_, y_);
  for (std::size_t i = 0; i < tables.size() && i < tables_.size(); ++i) {
    gridmodel::CGridCtrl& g = tables_[i]->Grid();
    const std::vector<PointRow>& rows = tables[i].rows;
    for (std::size_t r = 0; r < rows.size() && static_cast<int>(r) + 1 < g.GetRowCount(); ++r) {
      const int row = static_cast<int>(r) + 1;
      g.SetItemText(row, 0, rows[r].name);
      g.SetItemText(row, 1, rows[r].value);
      g.SetItemText(row, 2, rows[r].units);
    }
    g.Refresh();
  }
}

}  // namespace views::ui

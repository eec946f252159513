#include "themes/ui/theme_stats_sheet.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "app/application.h"
#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_headings.h"
#include "platform/dialogs.h"
#include "themes/legend.h"
#include "themes/theme.h"
#include "widgets/cellgrid/ug_window.h"

namespace themes::ui {

namespace {

constexpr int kTextId = 1328;
constexpr int kClassGridId = 1326;
constexpr int kAreaUnitsId = 1329;
constexpr int kColumns = 5;

}  // namespace

// ---- the class table ----

void ThemeClassesCUG::OnInitGrid() {
  SetCurrentCellStyle(1);
  SetDefaultColWidth(clientWidth / 6);
  SetColCount(kColumns);
  const char* const headings[kColumns] = {"Value", "Color", "Frequency", "Exact Matches", "Area"};
  for (int c = 0; c < kColumns; ++c) SetCellText(c, -1, headings[c]);
  SetSideHeadingWidth(0);
  for (int c = 0; c < kColumns; ++c) {
    gridmodel::CUGCell cell;
    GetColDefault(c, &cell);
    cell.SetReadOnly(true);
    SetColDefault(c, &cell);
  }
  gridmodel::FitColumnsToHeadings(*this);
}

void ThemeClassesCUG::OnGridKeyDown(unsigned* vkey, bool) {
  if (!vkey || *vkey != gridmodel::UG_VK_TAB) return;
  const int cols = GetColCount();
  const long rows = GetRowCount();
  if (cols <= 0 || rows <= 0) return;
  int col = GetCurrentCol();
  long row = GetCurrentRow();
  if (wxGetKeyState(WXK_SHIFT)) {
    if (--col < 0) {
      col = cols - 1;
      row = row > 0 ? row - 1 : rows - 1;
    }
  } else if (++col >= cols) {
    col = 0;
    row = row + 1 < rows ? row + 1 : 0;
  }
  GotoCell(col, row);
}

gridmodel::Colour ThemeClassesCUG::OnGetSectionBackColor(int) {
  return gridmodel::Colour::System(gridmodel::SysColour::ButtonFace);
}

// ---- the sheet ----

CpropSheetThemeStats::CpropSheetThemeStats(CTheme& theme, CThemeLegendData& legend, const CellWindow& window,
                                           int gridUnits, const std::string& projection, const std::string& caption,
                                           wxWindow* parent, int page)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(caption), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      theme_(theme),
      legend_(legend),
      window_(window),
      gridUnits_(gridUnits),
      projection_(projection) {
  stats_.Compute(theme_, window_);
  pages_ = new wxNotebook(this, wxID_ANY);

  auto* general = new wxPanel(pages_, 261);
  // The control shows lines, not their CR LF ends; the file gets the text with its ends.
  wxString shown = wxString::FromUTF8(GeneralText());
  shown.Replace("\r\n", "\n");
  text_ = new wxTextCtrl(general, kTextId, shown, wxDefaultPosition, wxSize(520, 380),
                         wxTE_MULTILINE | wxTE_READONLY | wxTE_DONTWRAP | wxTE_NOHIDESEL);
  text_->SetFont(wxFont(8, wxFONTFAMILY_TELETYPE, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL));
  auto* gs = new wxBoxSizer(wxVERTICAL);
  gs->Add(text_, 1, wxEXPAND | wxALL, 6);
  general->SetSizer(gs);
  pages_->AddPage(general, "General Statistics");

  auto* classes = new wxPanel(pages_, 105);
  auto* cs = new wxBoxSizer(wxVERTICAL);
  auto* placeholder = new wxStaticText(classes, kClassGridId, "Class Grid", wxDefaultPosition, wxSize(520, 340));
  cs->Add(placeholder, 1, wxEXPAND | wxALL, 6);
  auto* units = new wxBoxSizer(wxHORIZONTAL);
  units->Add(new wxStaticText(classes, wxID_ANY, "Area Units:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  areaUnits_ = new wxChoice(classes, kAreaUnitsId);
  areaUnits_->Append("Hectares");
  areaUnits_->Append("Acres");
  units->Add(areaUnits_, 0);
  cs->Add(units, 0, wxALL, 6);
  classes->SetSizer(cs);
  classes->Layout();
  pages_->AddPage(classes, "Classes");

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* saveAs = new wxButton(this, kSaveAsId, "Save As...");
  buttons->Add(saveAs, 0, wxRIGHT, 6);
  buttons->AddStretchSpacer();
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(this, wxID_HELP, "Help"), 0);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(pages_, 1, wxEXPAND | wxALL, 6);
  top->Add(buttons, 0, wxEXPAND | wxALL, 6);
  SetSizerAndFit(top);
  SetEscapeId(wxID_OK);

  // The page is laid out hidden, at no size: the table takes the width it is made for.
  grid_.clientWidth = std::max(placeholder->GetSize().GetWidth(), placeholder->GetMinSize().GetWidth());
  gridWindow_ = widgets::CUGWindow::AttachToDialogItem(classes, kClassGridId, &grid_);
  areaUnits_->SetSelection(gridUnits_ == 1 ? kAcres : kHectares);
  FillClasses();

  saveAs->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveAs(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
    GetApp().ShowHelpTopic(pages_->GetSelection() == 1 ? 48 : 49);
  }, wxID_HELP);
  areaUnits_->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { FillAreas(); });
  pages_->SetSelection(page == 1 ? 1 : 0);
  CentreOnScreen();
}

wxWindow* CpropSheetThemeStats::ClassGridWindow() const { return gridWindow_; }

std::string CpropSheetThemeStats::GeneralText() const { return ThemeGeneralText(theme_, legend_, stats_, projection_); }

void CpropSheetThemeStats::FillClasses() {
  wxBusyCursor wait;
  counts_ = CountThemeClasses(theme_, legend_, window_);
  const long n = static_cast<long>(counts_.values.size());
  grid_.SetRowCount(n);
  const std::vector<ThemeClassRow> rows =
      ThemeClassRows(theme_, legend_, counts_, gridUnits_, areaUnits_->GetSelection());
  for (long r = 0; r < n; ++r) {
    const ThemeClassRow& row = rows[static_cast<std::size_t>(r)];
    grid_.SetCellText(0, r, row.value);
    const COLORREF colour = r == 0 ? legend_.GetEntry(0).GetColor() : legend_.GetEntry(static_cast<int>(r)).GetColor();
    grid_.SetCellBackColor(1, r, gridmodel::Colour::FromRef(colour));
    grid_.SetCellText(2, r, row.count);
    grid_.SetCellText(3, r, row.exact);
    grid_.SetCellText(4, r, row.area);
  }
  grid_.RedrawAll();
}

void CpropSheetThemeStats::FillAreas() {
  const std::vector<ThemeClassRow> rows =
      ThemeClassRows(theme_, legend_, counts_, gridUnits_, areaUnits_->GetSelection());
  for (std::size_t r = 0; r < rows.size(); ++r) grid_.SetCellText(4, static_cast<long>(r), rows[r].area);
  grid_.RedrawCol(4);
}

std::string CpropSheetThemeStats::ClassesCsv() const {
  std::vector<ThemeClassRow> rows;
  auto& grid = const_cast<ThemeClassesCUG&>(grid_);
  for (long r = 0; r < grid.GetRowCount(); ++r)
    rows.push_back({grid.GetCellText(0, r), grid.GetCellText(2, r), grid.GetCellText(3, r), grid.GetCellText(4, r)});
  return ThemeClassesCsv(theme_.name, legend_.GetUnitsName(), areaUnits_->GetSelection(), rows);
}

void CpropSheetThemeStats::OnSaveAs() {
  const bool classes = pages_->GetSelection() == 1;
  platform::FileDialogOptions o;
  if (classes) {
    o.defaultExt = "csv";
    o.filter = "CSV Files (*.csv)|*.csv|Text Files (*.txt)|*.txt|CSV and Text Files (*.csv;*.txt)|*.csv;*.txt|All "
               "Files (*.*)|*.*||";
  } else {
    o.defaultExt = "txt";
    o.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
  }
  const std::optional<std::string> chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return;
  const std::string path = platform::WithDefaultExtension(*chosen, o.defaultExt);
  SaveStatisticsText(path, classes ? ClassesCsv() : GeneralText(), classes);
}

}  // namespace themes::ui

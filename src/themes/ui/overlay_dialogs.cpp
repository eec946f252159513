#include "themes/ui/overlay_dialogs.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <cmath>

#include "app/application.h"
#include "app/unit_tables.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/value_text.h"
#include "themes/contour_theme.h"
#include "themes/legend.h"
#include "themes/line_style.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "widgets/color_static.h"
#include "widgets/num_spin_ctrl.h"

namespace themes::ui {

namespace {

constexpr int kHelpButton = 1097;

wxTextCtrl* Edit(wxWindow* parent, int id, const std::string& text, bool readOnly, int width = 90) {
  return new wxTextCtrl(parent, id, wxString::FromUTF8(text), wxDefaultPosition, wxSize(width, -1),
                        readOnly ? wxTE_READONLY : 0);
}

std::unique_ptr<widgets::CNumSpinCtrl> Spin(wxWindow* parent, int id, wxTextCtrl* buddy, wxSizer* row) {
  auto* arrows = new wxSpinButton(parent, id, wxDefaultPosition, wxSize(-1, buddy->GetBestSize().y), wxSP_VERTICAL);
  row->Add(arrows, 0, wxALIGN_CENTER_VERTICAL);
  auto spin = std::make_unique<widgets::CNumSpinCtrl>();
  spin->Attach(arrows);
  spin->SetBuddy(buddy);
  return spin;
}

wxSizer* Buttons(wxDialog* dialog, int helpTopic) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(dialog, wxID_OK, "OK");
  ok->SetDefault();
  row->Add(ok, 0, wxALL, 4);
  row->Add(new wxButton(dialog, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  auto* help = new wxButton(dialog, kHelpButton, "Help");
  row->Add(help, 0, wxALL, 4);
  help->Bind(wxEVT_BUTTON, [helpTopic](wxCommandEvent&) { GetApp().ShowHelpTopic(helpTopic); });
  return row;
}

// A typed number, or nullopt after saying which field holds something else.
std::optional<double> ReadNumber(const wxTextCtrl* edit, const char* field) {
  const auto v = platform::ParseDouble(edit->GetValue().utf8_string());
  if (!v || !std::isfinite(*v))
    platform::Tell(platform::FormatC("%s: please enter a number.", field));
  return v && std::isfinite(*v) ? v : std::nullopt;
}

wxArrayString LineStyleNames() {
  wxArrayString names;
  for (int i = 0; i < kLineStyleCount; ++i) names.Add(GetLineStyleName(i));
  return names;
}

}  // namespace

// ---- Contouring ----

CContourDialog::CContourDialog(wxWindow* parent, CTheme* t, const CThemeLegendData* l, double lo, double hi)
    : wxDialog(parent, wxID_ANY, "Contouring"), theme(t), legend(l), minimum(lo), maximum(hi) {
  const double range = maximum - minimum;
  double step = DefaultContourInterval(range);
  const bool whole = step > 10;
  if (whole) step = std::floor(step);
  const char* rangeFormat = whole ? "%.0f" : "%.2f";

  auto* all = new wxBoxSizer(wxVERTICAL);
  auto* rangeRow = new wxBoxSizer(wxHORIZONTAL);
  rangeRow->Add(new wxStaticText(this, wxID_ANY, "Theme Value Range: "), 0, wxALIGN_CENTER_VERTICAL);
  minimumText = Edit(this, 1088, platform::FormatC(rangeFormat, minimum), true);
  maximumText = Edit(this, 1089, platform::FormatC(rangeFormat, maximum), true);
  rangeRow->Add(minimumText, 0, wxALIGN_CENTER_VERTICAL);
  rangeRow->Add(new wxStaticText(this, wxID_ANY, " - "), 0, wxALIGN_CENTER_VERTICAL);
  rangeRow->Add(maximumText, 0, wxALIGN_CENTER_VERTICAL);
  all->Add(rangeRow, 0, wxALL, 8);

  auto* intervalRow = new wxBoxSizer(wxHORIZONTAL);
  intervalRow->Add(new wxStaticText(this, wxID_ANY, "Contour Interval:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  intervalEdit = Edit(this, 1025, "", false);
  intervalRow->Add(intervalEdit, 0, wxALIGN_CENTER_VERTICAL);
  intervalSpin_ = Spin(this, 1032, intervalEdit, intervalRow);
  intervalRow->Add(new wxStaticText(this, wxID_ANY, "Units:"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 12);
  unitsText = new wxStaticText(this, 1133, wxString::FromUTF8(legend ? legend->GetUnitsName() : std::string()));
  intervalRow->Add(unitsText, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
  all->Add(intervalRow, 0, wxLEFT | wxRIGHT, 8);

  all->Add(new wxStaticText(this, wxID_ANY, "Minimum Distance between points on a contour line:"), 0,
           wxLEFT | wxRIGHT | wxTOP, 8);
  auto* distanceRow = new wxBoxSizer(wxHORIZONTAL);
  distanceEdit = Edit(this, 1090, "", false);
  distanceRow->Add(distanceEdit, 0, wxALIGN_CENTER_VERTICAL);
  distanceSpin_ = Spin(this, 1072, distanceEdit, distanceRow);
  all->Add(distanceRow, 0, wxLEFT | wxRIGHT | wxTOP, 8);
  all->Add(Buttons(this, 7), 0, wxALIGN_RIGHT | wxALL, 6);
  SetSizerAndFit(all);

  intervalSpin_->SetDecimalPlaces(whole ? 0 : 2);
  intervalSpin_->SetRangeAndStep(std::max(range * 0.01, 0.01), std::max(range * 0.5, 0.1), std::max(step * 0.1, 0.01));
  intervalSpin_->SetValue(step);
  distanceSpin_->SetDecimalPlaces(2);
  distanceSpin_->SetRangeAndStep(0.01, 100000, 1);
  distanceSpin_->SetValue(theme ? theme->cellWidth : 1);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  CentreOnParent();
}

CContourDialog::~CContourDialog() = default;

void CContourDialog::OnOK() {
  const auto step = ReadNumber(intervalEdit, "Contour Interval");
  if (!step) return;
  const auto distance = ReadNumber(distanceEdit, "Minimum Distance");
  if (!distance) return;
  if (!(*step > 0) || *step > (maximum - minimum) * 0.5) {
    platform::Tell("Invalid contour interval!");
    return;
  }
  if (!(*distance > 0)) {
    platform::Tell("Invalid minimum point distance!");
    return;
  }
  interval = static_cast<float>(*step);
  minPointDistance = static_cast<float>(*distance);
  EndModal(wxID_OK);
}

// ---- the shared look of the property dialogs ----

OverlayPropertiesDialog::OverlayPropertiesDialog(wxWindow* parent, const wxString& caption)
    : wxDialog(parent, wxID_ANY, caption) {}

void OverlayPropertiesDialog::Build(const std::string& title, const wxString& infoLabel, const std::string& info,
                                    const wxString& infoUnits, bool visible, COLORREF colour,
                                    const wxArrayString& styles, int styleIndex, const wxString& styleLabel,
                                    const wxString& widthLabel, int width) {
  auto* all = new wxBoxSizer(wxVERTICAL);
  auto* fields = new wxFlexGridSizer(3, 4, 6);
  fields->Add(new wxStaticText(this, wxID_ANY, "Title:"), 0, wxALIGN_CENTER_VERTICAL);
  titleEdit = Edit(this, 1001, title, false, 240);
  fields->Add(titleEdit, 0, wxEXPAND);
  fields->AddSpacer(0);
  fields->Add(new wxStaticText(this, wxID_ANY, infoLabel), 0, wxALIGN_CENTER_VERTICAL);
  fields->Add(Edit(this, 1103, info, true, 240), 0, wxEXPAND);
  fields->Add(new wxStaticText(this, 1133, infoUnits), 0, wxALIGN_CENTER_VERTICAL);
  all->Add(fields, 0, wxALL, 8);

  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, "Display Properties");
  wxWindow* box = group->GetStaticBox();
  visibleCheck = new wxCheckBox(box, 1040, "Visible");
  visibleCheck->SetValue(visible);
  group->Add(visibleCheck, 0, wxALL, 4);
  auto* grid = new wxFlexGridSizer(2, 4, 6);
  grid->Add(new wxStaticText(box, wxID_ANY, "Color:"), 0, wxALIGN_CENTER_VERTICAL);
  swatch = new widgets::CColorStatic(box, 1086, colour, wxDefaultPosition, wxSize(40, 18));
  swatch->EnableChooser([] {});
  grid->Add(swatch);
  grid->Add(new wxStaticText(box, wxID_ANY, styleLabel), 0, wxALIGN_CENTER_VERTICAL);
  styleList = new wxChoice(box, 1084, wxDefaultPosition, wxDefaultSize, styles);
  styleList->SetSelection(styleIndex >= 0 && styleIndex < static_cast<int>(styles.size()) ? styleIndex : 0);
  grid->Add(styleList);
  grid->Add(new wxStaticText(box, wxID_ANY, widthLabel), 0, wxALIGN_CENTER_VERTICAL);
  wxArrayString widths;
  for (int i = 1; i <= 10; ++i) widths.Add(wxString::Format("%d", i));
  widthList = new wxChoice(box, 1085, wxDefaultPosition, wxDefaultSize, widths);
  // A width outside the list shows none.
  widthList->SetSelection(width >= 1 && width <= 10 ? width - 1 : wxNOT_FOUND);
  grid->Add(widthList);
  group->Add(grid, 0, wxALL, 4);
  all->Add(group, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  SetSizer(all);
}

std::string OverlayPropertiesDialog::CheckedTitle() const {
  const std::string title = titleEdit->GetValue().utf8_string();
  if (title.empty()) platform::Tell("Title can not be blank.");
  return title;
}

int OverlayPropertiesDialog::ChosenWidth() const {
  const int i = widthList->GetSelection();
  return i == wxNOT_FOUND ? 0 : i + 1;
}

// ---- Contour Properties ----

CContourPropertiesDialog::CContourPropertiesDialog(wxWindow* parent, CContourTheme& c)
    : OverlayPropertiesDialog(parent, "Contour Properties"), contour(c) {
  Build(contour.name, "Contour Interval:", platform::FormatStored(contour.interval, 9), wxString::FromUTF8(GetUnitName(contour.units)), contour.visible,
        contour.color, LineStyleNames(), contour.lineStyle, "Line Style:", "Line Width:", contour.lineWidth);
  intervalEdit = wxStaticCast(FindWindow(1103), wxTextCtrl);
  GetSizer()->Add(Buttons(this, 8), 0, wxALIGN_RIGHT | wxALL, 6);
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  CentreOnParent();
}

void CContourPropertiesDialog::OnOK() {
  const std::string title = CheckedTitle();
  if (title.empty()) return;
  contour.name = title;
  contour.visible = visibleCheck->GetValue();
  contour.lineWidth = ChosenWidth();
  contour.lineStyle = GetLineStyleIndex(styleList->GetStringSelection().utf8_string());
  contour.color = swatch->GetColor();
  EndModal(wxID_OK);
}

// ---- vector theme Properties ----

VectorPropertiesDialog::VectorPropertiesDialog(wxWindow* parent, CVectorTheme& t, Family family)
    : OverlayPropertiesDialog(parent, "Properties"), theme(t), family_(family) {
  int helpTopic = 46;
  if (family == Family::Points) {
    wxArrayString symbols;
    for (int i = 0; i < 3; ++i) symbols.Add(GetPointSymbolName(i));
    Build(theme.name, "Source File Name:", theme.sourcePath, "", theme.visible, theme.pointColor, symbols,
          theme.pointSymbol, "Point Shape:", "Point Width:", theme.pointSize);
    helpTopic = 45;
  } else if (family == Family::Lines) {
    Build(theme.name, "Source File Name:", theme.sourcePath, "", theme.visible, theme.lineColor, LineStyleNames(),
          theme.lineStyle, "Line Style:", "Line Width:", theme.lineWidth);
    helpTopic = (theme.shapeType == 1 || theme.shapeType == 11 || theme.shapeType == 21) ? 53 : 46;
  } else {
    Build(theme.name, "Source File Name:", theme.sourcePath, "", theme.visible, theme.polygonColor,
          LineStyleNames(), theme.polygonStyle, "Line Style:", "Line Width:", theme.polygonWidth);
  }
  GetSizer()->Add(Buttons(this, helpTopic), 0, wxALIGN_RIGHT | wxALL, 6);
  GetSizer()->SetSizeHints(this);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  CentreOnParent();
}

void VectorPropertiesDialog::OnOK() {
  const std::string title = CheckedTitle();
  if (title.empty()) return;
  theme.name = title;
  theme.visible = visibleCheck->GetValue();
  const int width = ChosenWidth();
  const int style = GetLineStyleIndex(styleList->GetStringSelection().utf8_string());
  switch (family_) {
    case Family::Points:
      theme.pointSize = width;
      theme.pointSymbol = std::max(styleList->GetSelection(), 0);
      theme.pointColor = swatch->GetColor();
      break;
    case Family::Lines:
      theme.lineWidth = width;
      theme.lineStyle = style;
      theme.lineColor = swatch->GetColor();
      break;
    case Family::Polygons:
      theme.polygonWidth = width;
      theme.polygonStyle = style;
      theme.polygonColor = swatch->GetColor();
      break;
  }
  EndModal(wxID_OK);
}

std::unique_ptr<VectorPropertiesDialog> MakeVectorPropertiesDialog(wxWindow* parent, CVectorTheme& theme) {
  if (IsPointType(theme.shapeType)) return std::make_unique<CPointVectorPropertiesDialog>(parent, theme);
  if (IsArcType(theme.shapeType)) return std::make_unique<CVectorThemePropertiesDialog>(parent, theme);
  if (IsPolygonType(theme.shapeType)) return std::make_unique<CPolyThemePropertiesDialog>(parent, theme);
  return nullptr;
}

// ---- draw priority ----

std::string OverlayItemName(const CVectorThemeItem& item) {
  if (item.contourTheme) return item.contourTheme->name;
  if (item.vectorTheme) return item.vectorTheme->name;
  return std::string();  // arrows are not listed by name yet
}

CDrawPriorityDialog::CDrawPriorityDialog(wxWindow* parent, std::vector<CVectorThemeItem>& list)
    : wxDialog(parent, wxID_ANY, "Set Overlay Theme Draw Priority"), order(list), list_(list) {
  auto* all = new wxBoxSizer(wxVERTICAL);
  auto* note = new wxStaticText(this, wxID_ANY,
                                "Configure overlay draw order. Themes at the top of the list will be drawn "
                                "last and on top of themes lower on the list.");
  note->Wrap(320);
  all->Add(note, 0, wxALL, 8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  listBox = new wxListBox(this, 1095, wxDefaultPosition, wxSize(280, 160));
  row->Add(listBox, 1, wxEXPAND);
  auto* moves = new wxBoxSizer(wxVERTICAL);
  const char* const labels[] = {"UP", "DOWN", "TOP", "BOTTOM"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new wxButton(this, 1096 + i, labels[i]);
    b->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) { Move(i); });
    moves->Add(b, 0, wxBOTTOM, 4);
  }
  row->Add(moves, 0, wxLEFT, 8);
  all->Add(row, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  buttons->Add(ok, 0, wxALL, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  auto* help = new wxButton(this, 1100, "Help");
  help->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(9); });
  buttons->Add(help, 0, wxALL, 4);
  all->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 6);
  SetSizerAndFit(all);
  Fill();
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  CentreOnParent();
}

void CDrawPriorityDialog::Fill() {
  const int selected = listBox->GetSelection();
  listBox->Clear();
  wxClientDC dc(listBox);
  dc.SetFont(listBox->GetFont());
  const int width = std::max(listBox->GetClientSize().x - 8, 40);
  // Names wider than the list are shortened in the middle, as paths are.
  for (const CVectorThemeItem& item : order)
    listBox->Append(wxControl::Ellipsize(wxString::FromUTF8(OverlayItemName(item)), dc, wxELLIPSIZE_MIDDLE, width));
  if (selected != wxNOT_FOUND && selected < static_cast<int>(order.size())) listBox->SetSelection(selected);
}

void CDrawPriorityDialog::Move(int button) {
  const int i = listBox->GetSelection();
  const int n = static_cast<int>(order.size());
  if (i == wxNOT_FOUND || i >= n) return;
  const bool up = button == 0 || button == 2;
  if ((up && i == 0) || (!up && i == n - 1)) return;
  const int to = button == 0 ? i - 1 : button == 1 ? i + 1 : button == 2 ? 0 : n - 1;
  const CVectorThemeItem moved = order[static_cast<std::size_t>(i)];
  order.erase(order.begin() + i);
  order.insert(order.begin() + to, moved);
  Fill();
  listBox->SetSelection(to);
}

void CDrawPriorityDialog::OnOK() {
  list_ = order;
  EndModal(wxID_OK);
}

CCreateRasterThemeDlg::CCreateRasterThemeDlg(wxWindow* parent, const CVectorTheme& theme)
    : wxDialog(parent, wxID_ANY, "Create Raster Theme"), theme_(theme) {
  auto* grid = new wxFlexGridSizer(2, 6, 6);
  grid->Add(new wxStaticText(this, wxID_ANY, "Field:"), 0, wxALIGN_CENTER_VERTICAL);
  fieldCombo = new wxComboBox(this, 1349, "", wxDefaultPosition, wxSize(200, -1), 0, nullptr, wxCB_READONLY);
  for (const std::string& f : theme.RasterFieldNames()) fieldCombo->Append(wxString::FromUTF8(f));
  grid->Add(fieldCombo, 1, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, "Name:"), 0, wxALIGN_CENTER_VERTICAL);
  nameEdit = Edit(this, 1350, "", false, 200);
  grid->Add(nameEdit, 1, wxEXPAND);
  auto* all = new wxBoxSizer(wxVERTICAL);
  all->Add(grid, 0, wxALL, 10);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(this, wxID_OK, "OK");
  ok->SetDefault();
  row->Add(ok, 0, wxALL, 4);
  row->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  all->Add(row, 0, wxALIGN_RIGHT | wxALL, 6);
  SetSizerAndFit(all);
  fieldCombo->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnFieldChosen(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  CentreOnParent();
}

void CCreateRasterThemeDlg::OnFieldChosen() {
  nameEdit->ChangeValue(wxString::FromUTF8(theme_.name) + "_" + fieldCombo->GetValue());
}

void CCreateRasterThemeDlg::OnOK() {
  const std::string typed = nameEdit->GetValue().utf8_string();
  const std::size_t first = typed.find_first_not_of(" \t");
  if (first == std::string::npos) {
    platform::Tell("Name: enter a name for the new theme.");
    nameEdit->SetFocus();
    return;
  }
  themeName = typed.substr(first, typed.find_last_not_of(" \t") - first + 1);
  fieldName = fieldCombo->GetValue().utf8_string();
  EndModal(wxID_OK);
}

}  // namespace themes::ui

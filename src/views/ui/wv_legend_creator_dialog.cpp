#include "views/ui/wv_legend_creator_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/application.h"
#include "app/command_rules.h"
#include "app/preference_pages.h"
#include "platform/messages.h"
#include "project/document.h"
#include "themes/ui/color_ramp_dialogs.h"
#include "themes/wind_vector_theme.h"
#include "views/ui/legend_creator_dialog.h"
#include "widgets/color_lists.h"
#include "widgets/table_grid_window.h"

namespace views::ui {

namespace {

const std::vector<const char*>& UnitNamesOf(int kind) {
  static const std::vector<const char*> wind{"mph", "km/h", "m/sec", "ft/min"};
  static const std::vector<const char*> spread{"m/min", "ft/min", "Chains/Hr"};
  static const std::vector<const char*> spot{"Meters", "Feet"};
  return kind == 1 ? spread : kind == 2 ? spot : wind;
}

IntField MakeField(wxWindow* parent, wxSizer* row, int editId, int spinId, const char* label, int low, int high) {
  IntField f;
  f.label = label;
  f.low = low;
  f.high = high;
  f.edit = new wxTextCtrl(parent, editId, "", wxDefaultPosition, wxSize(56, -1));
  f.arrows = new wxSpinButton(parent, spinId, wxDefaultPosition, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
  f.arrows->SetRange(low, high);
  row->Add(f.edit, 0, wxALIGN_CENTER_VERTICAL);
  row->Add(f.arrows, 0, wxALIGN_CENTER_VERTICAL);
  wxTextCtrl* edit = f.edit;
  f.arrows->Bind(wxEVT_SPIN, [edit](wxSpinEvent& e) { edit->ChangeValue(std::to_string(e.GetPosition())); });
  return f;
}

wxSizer* Labelled(wxWindow* parent, const char* label, wxSizer* inner) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  row->Add(inner, 0, wxALIGN_CENTER_VERTICAL);
  return row;
}

}  // namespace

bool IntField::Read(int& out) const {
  if (!edit->IsEnabled()) return true;
  if (auto problem = app::ParseRangedInt(label, edit->GetValue().utf8_string(), low, high, out)) {
    platform::Tell(problem->Text());
    edit->SetFocus();
    return false;
  }
  return true;
}

void IntField::Set(int value) {
  edit->ChangeValue(std::to_string(value));
  arrows->SetValue(std::clamp(value, low, high));
}

void IntField::Enable(bool on) {
  edit->Enable(on);
  arrows->Enable(on);
}

CWVLegendCreatorDialog::CWVLegendCreatorDialog(wxWindow* parent, CWindVectorTheme& theme, CWVLegendData& legend)
    : wxDialog(parent, wxID_ANY, "Wind Vector Legend", wxDefaultPosition, wxSize(660, 720),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  table_ = new widgets::TableGridWindow(this, 1015, wxDefaultPosition, wxSize(420, 280));
  creator_ = std::make_unique<CWVLegendCreator>(theme, legend, table_->Grid());
  const int kind = creator_->Kind();
  SetTitle(kind == 1 ? "Spread Vector Legend" : kind == 2 ? "Spot Vector Legend" : "Wind Vector Legend");

  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(Labelled(this, "Theme:", [&] {
             auto* s = new wxBoxSizer(wxHORIZONTAL);
             s->Add(new wxStaticText(this, 1018, wxString::FromUTF8(theme.name.empty() ? "New Theme" : theme.name)));
             return s;
           }()),
           0, wxALL, 6);

  auto* settings = new wxBoxSizer(wxHORIZONTAL);
  auto* output = new wxStaticBoxSizer(wxVERTICAL, this, "Vector Output");
  wxWindow* ob = output->GetStaticBox();
  auto* widthRow = new wxBoxSizer(wxHORIZONTAL);
  lineWidth = MakeField(ob, widthRow, 1223, 1224, "Line Width", 1, 10);
  output->Add(Labelled(ob, "Line Width:", widthRow), 0, wxALL, 3);
  auto* density = new wxStaticBoxSizer(wxVERTICAL, ob, "Display Density");
  wxWindow* db = density->GetStaticBox();
  manual = new wxRadioButton(db, 1029, "Manual", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  automatic = new wxRadioButton(db, 1227, "Auto");
  auto* skipRow = new wxBoxSizer(wxHORIZONTAL);
  skip = MakeField(db, skipRow, 1221, 1222, "Rows/Cols to Skip", 0, 200);
  auto* targetRow = new wxBoxSizer(wxHORIZONTAL);
  target = MakeField(db, targetRow, 1225, 1226, "Target Size (Pixels)", 10, 200);
  density->Add(manual, 0, wxALL, 2);
  density->Add(Labelled(db, "Rows/Cols to Skip:", skipRow), 0, wxALL, 2);
  density->Add(automatic, 0, wxALL, 2);
  density->Add(Labelled(db, "Target Size (Pixels):", targetRow), 0, wxALL, 2);
  output->Add(density, 0, wxALL, 3);
  settings->Add(output, 0, wxALL, 4);

  auto* text = new wxStaticBoxSizer(wxVERTICAL, this, "Text Output");
  wxWindow* tb = text->GetStaticBox();
  showValues = new wxCheckBox(tb, 1040, kind == 2 ? "Output Distance" : "Output Speed");
  text->Add(showValues, 0, wxALL, 3);
  font = new wxChoice(tb, 1218);
  for (int s = 4; s <= 12; ++s) font->Append(std::to_string(s));
  text->Add(Labelled(tb, "Font Point Size:", [&] {
              auto* s = new wxBoxSizer(wxHORIZONTAL);
              s->Add(font);
              return s;
            }()),
            0, wxALL, 3);
  decimals = new wxChoice(tb, 1101);
  for (int d = 0; d <= 9; ++d) decimals->Append(std::to_string(d));
  text->Add(Labelled(tb, "Decimal Places:", [&] {
              auto* s = new wxBoxSizer(wxHORIZONTAL);
              s->Add(decimals);
              return s;
            }()),
            0, wxALL, 3);
  units = new wxChoice(tb, 1265);
  for (const char* u : UnitNamesOf(kind)) units->Append(u);
  text->Add(Labelled(tb, kind == 2 ? "Distance Units" : "Velocity Units:", [&] {
              auto* s = new wxBoxSizer(wxHORIZONTAL);
              s->Add(units);
              return s;
            }()),
            0, wxALL, 3);
  auto* range = new wxBoxSizer(wxHORIZONTAL);
  low = new wxStaticText(tb, 1131, "low");
  high = new wxStaticText(tb, 1132, "high");
  range->Add(low);
  range->Add(new wxStaticText(tb, wxID_ANY, " - "));
  range->Add(high);
  text->Add(Labelled(tb, "Data Range:", range), 0, wxALL, 3);
  settings->Add(text, 0, wxALL, 4);
  top->Add(settings, 0);

  auto* classRow = new wxBoxSizer(wxHORIZONTAL);
  classes = MakeField(this, classRow, 1016, 1017, "Number of Classes", -1000000, 1000000);
  classes.arrows->SetRange(2, 100);
  classRow->Add(new wxButton(this, 1023, "Apply"), 0, wxLEFT, 4);
  top->Add(Labelled(this, "Number of Classes:", classRow), 0, wxALL, 4);
  ramps = new widgets::CColorRampCombo(this, 1111, wxDefaultPosition, wxSize(240, -1));
  for (const auto& r : GetApp().colorRamps) ramps->AddRamp(r.get());
  auto* rampRow = new wxBoxSizer(wxHORIZONTAL);
  rampRow->Add(ramps);
  rampRow->Add(new wxButton(this, 1024, "Apply"), 0, wxLEFT, 4);
  top->Add(Labelled(this, "Color Ramp:", rampRow), 0, wxALL, 4);
  predefined = new wxChoice(this, 1123, wxDefaultPosition, wxSize(240, -1));
  auto* preRow = new wxBoxSizer(wxHORIZONTAL);
  preRow->Add(predefined);
  preRow->Add(new wxButton(this, 1025, "Apply"), 0, wxLEFT, 4);
  top->Add(Labelled(this, "Predefined Legend:", preRow), 0, wxALL, 4);

  auto* middle = new wxBoxSizer(wxHORIZONTAL);
  middle->Add(table_, 1, wxEXPAND | wxALL, 6);
  auto* rowButtons = new wxBoxSizer(wxVERTICAL);
  for (const auto& [id, label] : {std::pair{1129, "Insert Class"}, std::pair{1126, "Append Class"},
                                  std::pair{1127, "Delete Class"}, std::pair{1128, "Sort Classes"}})
    rowButtons->Add(new wxButton(this, id, label), 0, wxEXPAND | wxBOTTOM, 4);
  middle->Add(rowButtons, 0, wxTOP | wxRIGHT, 6);
  top->Add(middle, 1, wxEXPAND);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALL, 4);
  buttons->Add(new wxButton(this, wxID_CANCEL, "Cancel"), 0, wxALL, 4);
  buttons->Add(new wxButton(this, 1097, "Help"), 0, wxALL, 4);
  buttons->Add(new wxButton(this, 1098, "Save As..."), 0, wxALL, 4);
  top->Add(buttons, 0, wxALIGN_CENTER);
  SetSizer(top);
  Layout();

  creator_->Init();
  const int cellWidth = std::max(40, table_->GetClientSize().x / 3 - 4);
  for (int c = 0; c < 3; ++c) table_->Grid().SetColumnWidth(c, cellWidth);
  table_->SetOwner(this);
  FillPredefined(-1);
  ShowSettings();
  const bool thinned = creator_->DensityEditable();
  for (IntField* f : {&skip, &target}) f->Enable(thinned);
  manual->Enable(thinned);
  automatic->Enable(thinned);
  Sync();

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyClasses(); }, 1023);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyRamp(); }, 1024);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnApplyPredefined(); }, 1025);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { GetApp().ShowHelpTopic(48); }, 1097);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveAs(); }, 1098);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->InsertClass(); Sync(); }, 1129);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->AppendClass(); Sync(); }, 1126);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->DeleteClass(); Sync(); }, 1127);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { creator_->SortClasses(); Sync(); }, 1128);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
  decimals->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    creator_->ChangeDecimals(decimals->GetSelection());
    Sync();
  });
  units->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
    creator_->ChangeUnits(units->GetSelection());
    Sync();
  });
  manual->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { creator_->autoDensity = 0; });
  automatic->Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { creator_->autoDensity = 1; });
  menuChooser = [this](wxMenu& menu, wxPoint at) {
    const int chosen = GetPopupMenuSelectionFromUser(menu, at);
    return chosen == wxID_NONE ? 0 : app::CommandForMenuId(chosen);
  };
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCancel(); }, wxID_CANCEL);
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
  opened_ = Contents();
}

std::string CWVLegendCreatorDialog::Contents() const {
  std::string s = TableContents(table_->Grid());
  for (const IntField* f : {&classes, &lineWidth, &skip, &target}) s += f->edit->GetValue().utf8_string() + "/";
  for (const wxChoice* c : {units, decimals, font}) s += std::to_string(c->GetSelection()) + "/";
  return s + std::to_string(showValues->GetValue()) + std::to_string(manual->GetValue());
}

void CWVLegendCreatorDialog::OnCancel() {
  table_->Grid().EndEditing();
  if (Contents() != opened_) {
    const platform::Answer a = AskBeforeDroppingLegend();
    if (a == platform::Answer::Cancel) return;
    if (a == platform::Answer::Yes) return OnOK();
  }
  if (IsModal()) EndModal(wxID_CANCEL);
}

CWVLegendCreatorDialog::~CWVLegendCreatorDialog() {
  if (table_) table_->SetOwner(nullptr);
}

void CWVLegendCreatorDialog::FillPredefined(int select) {
  predefined->Clear();
  for (const auto& p : GetApp().predefinedWVLegends)
    if (p->kind == creator_->Kind()) predefined->Append(wxString::FromUTF8(p->name), p.get());
  if (select >= 0) predefined->SetSelection(select);
}

void CWVLegendCreatorDialog::ShowSettings() {
  const CWVLegendCreator& c = *creator_;
  classes.Set(c.classes);
  lineWidth.Set(c.lineWidth);
  skip.Set(c.skip);
  target.Set(c.targetSize);
  units->SetSelection(c.units);
  decimals->SetSelection(std::clamp(c.decimals, 0, 9));
  font->SetSelection(std::clamp(c.fontSize - 4, 0, 8));
  showValues->SetValue(c.showValues != 0);
  (c.autoDensity ? automatic : manual)->SetValue(true);
}

bool CWVLegendCreatorDialog::ReadControls() {
  CWVLegendCreator& c = *creator_;
  int n = c.classes, width = c.lineWidth, skipped = c.skip, size = c.targetSize;
  if (!classes.Read(n) || !lineWidth.Read(width) || !skip.Read(skipped) || !target.Read(size)) return false;
  c.classes = n;
  c.lineWidth = width;
  c.skip = skipped;
  c.targetSize = size;
  c.showValues = showValues->GetValue() ? 1 : 0;
  c.fontSize = font->GetSelection() + 4;
  return true;
}

void CWVLegendCreatorDialog::Sync() {
  low->SetLabel(wxString::FromUTF8(creator_->LowText()));
  high->SetLabel(wxString::FromUTF8(creator_->HighText()));
  table_->Grid().Refresh();
  table_->Refresh();
}

void CWVLegendCreatorDialog::OnApplyClasses() {
  if (!ReadControls()) return;
  creator_->ApplyClasses(creator_->classes);
  Sync();
}

void CWVLegendCreatorDialog::OnApplyRamp() {
  creator_->ApplyRamp(ramps->GetRamp(ramps->GetSelection()));
  Sync();
}

void CWVLegendCreatorDialog::OnApplyPredefined() {
  const int n = predefined->GetSelection();
  const auto* p = n < 0 ? nullptr : static_cast<const CPredefinedWVThemeLegend*>(predefined->GetClientData(n));
  if (!creator_->ApplyPredefined(p)) return;
  ShowSettings();
  Sync();
}

void CWVLegendCreatorDialog::OnSaveAs() {
  table_->Grid().EndEditing();
  if (!ReadControls() || !creator_->CheckAscending()) return;
  if (SavePredefinedLegend(this, GetApp().predefinedWVLegends,
                           [this](const std::string& name) { return creator_->MakePredefined(name); }))
    FillPredefined(static_cast<int>(predefined->GetCount()));
}

void CWVLegendCreatorDialog::OnOK() {
  table_->Grid().EndEditing();
  if (!ReadControls() || !creator_->Commit()) return;
  if (IsModal()) EndModal(wxID_OK);
}

void CWVLegendCreatorDialog::OnTableRightClick(int row, int col) {
  COLORREF start = 0, end = 0;
  int from = 0, to = 0, count = 0;
  wxMenu menu;
  if (col == 1 && row >= 1 && creator_->SelectedColourEnds(start, end)) {
    menu.Append(app::MenuIdFor(kCmdColourAutoRamp), "&Auto Ramp");
    menu.Append(app::MenuIdFor(kCmdColourDefineRamp), "&Define Ramp");
  } else if (col == 2 && row >= 1 && creator_->SelectedLengthEnds(from, to, count)) {
    menu.Append(app::MenuIdFor(kCmdLengthAutoRamp), "&Auto Ramp");
    menu.Append(app::MenuIdFor(kCmdLengthDefineRamp), "&Define Ramp");
  } else {
    return;
  }
  if (const int command = ChooseFromTableMenu(this, table_, row, col, menu, menuChooser)) OnMenuCommand(command);
}

void CWVLegendCreatorDialog::OnMenuCommand(int command) {
  COLORREF start = 0, end = 0;
  int from = 0, to = 0, count = 0;
  switch (command) {
    case kCmdColourAutoRamp:
    case kCmdColourDefineRamp:
      if (!creator_->SelectedColourEnds(start, end)) return;
      if (command == kCmdColourDefineRamp && !DefineColourRamp(this, start, end)) return;
      creator_->RampColours(start, end);
      break;
    case kCmdLengthAutoRamp:
    case kCmdLengthDefineRamp:
      if (!creator_->SelectedLengthEnds(from, to, count)) return;
      if (command == kCmdLengthDefineRamp) {
        themes::ui::CRampRelLengthDialog dialog(this, from, to, count);
        if (dialog.ShowModal() != wxID_OK) return;
        from = dialog.startValue;
        to = dialog.endValue;
      }
      creator_->RampLengths(from, to, count);
      break;
    default: return;
  }
  Sync();
}

long CWVLegendCreatorDialog::OnGridNotify(const gridmodel::GridNotify& n) {
  if (n.code == gridmodel::kNotifyRClick) CallAfter([this, row = n.row, col = n.col] { OnTableRightClick(row, col); });
  return 0;
}

bool EditWindVectorLegend(wxWindow* parent, CPVN4Doc& doc, CWindVectorTheme& theme) {
  CWVLegendData* legend = doc.FindWindVectorLegend(&theme);
  if (!legend) return false;
  CWVLegendCreatorDialog dialog(parent, theme, *legend);
  if (dialog.ShowModal() != wxID_OK) return false;
  doc.NotifyChanged();
  return true;
}

}  // namespace views::ui

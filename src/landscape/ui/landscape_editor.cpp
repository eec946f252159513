#include "landscape/ui/landscape_editor.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <cinttypes>

#include "app/application.h"
#include "engines/standard_fuels.h"
#include "gridmodel/ug_headings.h"
#include "landscape/rules_file.h"
#include "landscape/ui/landscape_commands.h"
#include "platform/dialogs.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "project/document.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"
#include "widgets/cellgrid/ug_window.h"

namespace landscape::ui {

namespace {

using gridmodel::CUGCell;

constexpr int kEditorHelpTopic = 41;
constexpr int kRuleHelpTopic = 42;
constexpr long kButtonParam = 16;
const char* const kRulesFilter = "XML Files (*.xml)|*.xml|All Files (*.*)|*.*||";

// Control ids of the two dialogs.
enum : int {
  kIdSaveRules = 1374,
  kIdLoadRules = 1385,
  kIdCreateRule = 1386,
  kIdRuleGrid = 1387,
  kIdEditRule = 1388,
  kIdClearRules = 1417,
  kIdHelp = 1405,
  kIdConstant = 1030,
  kIdExpression = 1394,
  kIdTarget = 1388,
  kIdConstantEdit = 1395,
  kIdExpressionTheme = 1396,
  kIdOperator = 1397,
  kIdExpressionEdit = 1398,
  kIdFuelsOut = 1399,
  kIdFuelsIn = 1400,
  kIdAddFuel = 1401,
  kIdRemoveFuel = 1402,
  kIdRasterTheme = 1389,
  kIdMinimum = 1390,
  kIdMaximum = 1391,
  kIdAddRaster = 1374,
  kIdVectorTheme = 1392,
  kIdAddVector = 1403,
  kIdClauseGrid = 1404,
  kIdRuleText = 1393,
};

wxString W(const std::string& s) { return wxString::FromUTF8(s); }
std::string S(const wxString& s) { return s.utf8_string(); }

std::string TrimText(const wxString& s) {
  wxString t = s;
  t.Trim(true).Trim(false);
  return S(t);
}

// "13 - Heavy logging slash"; numbers without a standard model are custom fuels.
std::string FuelEntryText(int number) {
  const engines::StandardFuelModel* m = engines::FindStandardFuelModel(number);
  std::string name = m && m->name ? m->name : "";
  name.erase(0, name.find_first_not_of(" \t"));
  name.erase(name.find_last_not_of(" \t") + 1);
  if (name.empty()) name = "Custom Fuel";
  return std::to_string(number) + " - " + name;
}

void SetReadOnlyColumn(gridmodel::CUGCtrl& grid, int col) {
  CUGCell cell;
  grid.GetColDefault(col, &cell);
  cell.SetReadOnly(true);
  grid.SetColDefault(col, &cell);
}

void SetButtonColumn(gridmodel::CUGCtrl& grid, int col, int type) {
  CUGCell cell;
  grid.GetColDefault(col, &cell);
  cell.SetCellType(type);
  cell.SetCellTypeParam(kButtonParam);
  cell.SetReadOnly(true);
  grid.SetColDefault(col, &cell);
}

// The OK, Cancel and Help row under a dialog's controls; then the sizer is set.
void FinishWithButtons(wxDialog* dialog, wxSizer* all) {
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->AddStretchSpacer();
  auto* ok = new wxButton(dialog, wxID_OK, "OK");
  ok->SetDefault();
  buttons->Add(ok, 0, wxRIGHT, 6);
  buttons->Add(new wxButton(dialog, wxID_CANCEL, "Cancel"), 0, wxRIGHT, 6);
  buttons->Add(new wxButton(dialog, kIdHelp, "Help"));
  all->Add(buttons, 0, wxEXPAND | wxALL, 8);
  dialog->SetSizerAndFit(all);
}

// The cell grid in the placeholder's place, its columns sized to it.
template <class Grid>
widgets::CUGWindow* AttachGrid(wxDialog* dialog, int id, Grid& grid) {
  widgets::CUGWindow* window = widgets::CUGWindow::AttachToDialogItem(dialog, id, &grid);
  dialog->Layout();
  if (window) grid.SetWidths(window->GetClientSize().GetWidth());
  return window;
}

}  // namespace

// ---- grids ----

void LcpRuleCUG::OnInitGrid() {
  const int type = AddCellType(&button_);
  Sheet().currentCellMode = 2;
  SetColCount(5);
  SetCellText(-1, -1, "Rule");
  const char* headings[] = {"Target Theme", "Rule Description", "Test Rule", "Apply Rule", "Delete Rule"};
  for (int c = 0; c < 5; ++c) SetCellText(c, -1, headings[c]);
  SetReadOnlyColumn(*this, 0);
  SetReadOnlyColumn(*this, 1);
  for (int c = 2; c < 5; ++c) SetButtonColumn(*this, c, type);
}

void LcpRuleCUG::SetWidths(int clientWidth) {
  const int a = clientWidth / 6 - 5, b = a / 2;
  SetSideHeadingWidth(b);
  SetColWidth(0, a);
  SetColWidth(1, 3 * a);
  for (int c = 2; c < 5; ++c) SetColWidth(c, b);
  gridmodel::FitColumnsToHeadings(*this);
}

gridmodel::Colour LcpRuleCUG::OnGetSectionBackColor(int) {
  return gridmodel::Colour::System(gridmodel::SysColour::ButtonFace);
}

int LcpRuleCUG::OnCellTypeEvent(int, int col, long row, int msg, long) {
  // After the button's own handling: the answer may delete the row it was pressed in.
  if (msg == gridmodel::UGCT_BUTTONCLICK) editor_->CallAfter([e = editor_, col, row] { e->OnRuleButton(col, row); });
  return 1;
}

void ClauseCUG::OnInitGrid() {
  const int type = AddCellType(&button_);
  Sheet().currentCellMode = 2;
  SetColCount(2);
  SetCellText(0, -1, " AND Clause");
  SetCellText(1, -1, "Delete Clause");
  SetReadOnlyColumn(*this, 0);
  SetButtonColumn(*this, 1, type);
}

void ClauseCUG::SetWidths(int clientWidth) {
  const int w = clientWidth / 5;
  SetSideHeadingWidth(0);
  SetColWidth(0, 4 * w - 20);
  SetColWidth(1, w - 5);
}

int ClauseCUG::OnCellTypeEvent(int, int col, long row, int msg, long) {
  if (msg == gridmodel::UGCT_BUTTONCLICK) dialog_->CallAfter([d = dialog_, row] { d->DeleteClause(row); });
  return 1;
}

// ---- rule dialog ----

CLcpRuleDialog::CLcpRuleDialog(wxWindow* parent, CPVN4Doc& doc, CLcpRule& rule)
    : wxDialog(parent, wxID_ANY, "Create/Edit Landscape Rule", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      doc_(doc),
      rule_(rule),
      clauses_(this) {
  BuildControls();
  FillFromRule();
}

// The grid windows go before their models, which are members.
CLcpRuleDialog::~CLcpRuleDialog() {
  if (clauseWindow_) clauseWindow_->Destroy();
}

void CLcpRuleDialog::BuildControls() {
  auto* all = new wxBoxSizer(wxVERTICAL);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(new wxStaticText(this, wxID_ANY, "Target Theme to Modify: "), 0, wxALIGN_CENTER_VERTICAL);
  target_ = new wxChoice(this, kIdTarget);
  top->Add(target_, 0, wxRIGHT, 8);
  all->Add(top, 0, wxALL, 8);

  auto* value = new wxStaticBoxSizer(wxVERTICAL, this, "Value Assignment");
  auto* constantRow = new wxBoxSizer(wxHORIZONTAL);
  constantButton_ = new wxRadioButton(value->GetStaticBox(), kIdConstant, "Constant", wxDefaultPosition,
                                      wxDefaultSize, wxRB_GROUP);
  constantEdit_ = new wxTextCtrl(value->GetStaticBox(), kIdConstantEdit, "", wxDefaultPosition, wxSize(90, -1));
  targetUnits_ = new wxStaticText(value->GetStaticBox(), 1406, "", wxDefaultPosition, wxSize(70, -1));
  constantRow->Add(constantButton_, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  constantRow->Add(constantEdit_, 0, wxRIGHT, 6);
  constantRow->Add(targetUnits_, 0, wxALIGN_CENTER_VERTICAL);
  value->Add(constantRow, 0, wxALL, 4);
  auto* expression = new wxFlexGridSizer(5, 4, 8);
  expressionButton_ = new wxRadioButton(value->GetStaticBox(), kIdExpression, "Expression");
  expression->AddSpacer(0);
  for (const char* label : {"Theme", "", "Operator", "Value"})
    expression->Add(new wxStaticText(value->GetStaticBox(), wxID_ANY, label));
  expressionTheme_ = new wxChoice(value->GetStaticBox(), kIdExpressionTheme);
  expressionUnits_ = new wxStaticText(value->GetStaticBox(), 1407, "", wxDefaultPosition, wxSize(70, -1));
  operator_ = new wxChoice(value->GetStaticBox(), kIdOperator);
  for (const char* op : {"+", "-", "*", "/"}) operator_->Append(op);
  expressionEdit_ = new wxTextCtrl(value->GetStaticBox(), kIdExpressionEdit, "", wxDefaultPosition, wxSize(90, -1));
  expression->Add(expressionButton_, 0, wxALIGN_CENTER_VERTICAL);
  expression->Add(expressionTheme_);
  expression->Add(expressionUnits_, 0, wxALIGN_CENTER_VERTICAL);
  expression->Add(operator_);
  expression->Add(expressionEdit_);
  value->Add(expression, 0, wxALL, 4);

  auto* fuels = new wxStaticBoxSizer(wxHORIZONTAL, this, "Fuel Models Filter");
  fuelsOut_ = new wxListBox(fuels->GetStaticBox(), kIdFuelsOut, wxDefaultPosition, wxSize(220, 110));
  fuelsIn_ = new wxListBox(fuels->GetStaticBox(), kIdFuelsIn, wxDefaultPosition, wxSize(220, 110));
  auto* moves = new wxBoxSizer(wxVERTICAL);
  auto* add = new wxButton(fuels->GetStaticBox(), kIdAddFuel, ">>>");
  auto* remove = new wxButton(fuels->GetStaticBox(), kIdRemoveFuel, "<<<");
  moves->Add(add, 0, wxBOTTOM, 6);
  moves->Add(remove);
  fuels->Add(fuelsOut_, 1, wxEXPAND | wxALL, 4);
  fuels->Add(moves, 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
  fuels->Add(fuelsIn_, 1, wxEXPAND | wxALL, 4);

  auto* upper = new wxBoxSizer(wxHORIZONTAL);
  upper->Add(value, 0, wxEXPAND | wxRIGHT, 8);
  upper->Add(fuels, 1, wxEXPAND);
  all->Add(upper, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

  auto* clausesBox = new wxStaticBoxSizer(wxHORIZONTAL, this, "Additional AND Clauses");
  wxWindow* cb = clausesBox->GetStaticBox();
  auto* raster = new wxStaticBoxSizer(wxVERTICAL, cb, "Raster Mask Filter");
  wxWindow* rb = raster->GetStaticBox();
  auto* rasterRow = new wxBoxSizer(wxHORIZONTAL);
  rasterRow->Add(new wxStaticText(rb, wxID_ANY, "Existing Theme:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  rasterTheme_ = new wxChoice(rb, kIdRasterTheme, wxDefaultPosition, wxSize(180, -1));
  rasterUnits_ = new wxStaticText(rb, 1408, "", wxDefaultPosition, wxSize(70, -1));
  rasterRow->Add(rasterTheme_, 0, wxRIGHT, 4);
  rasterRow->Add(rasterUnits_, 0, wxALIGN_CENTER_VERTICAL);
  raster->Add(rasterRow, 0, wxALL, 4);
  auto* bounds = new wxBoxSizer(wxHORIZONTAL);
  minimumEdit_ = new wxTextCtrl(rb, kIdMinimum, "", wxDefaultPosition, wxSize(70, -1));
  maximumEdit_ = new wxTextCtrl(rb, kIdMaximum, "", wxDefaultPosition, wxSize(70, -1));
  bounds->Add(new wxStaticText(rb, wxID_ANY, "Minimum:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  bounds->Add(minimumEdit_, 0, wxRIGHT, 8);
  bounds->Add(new wxStaticText(rb, wxID_ANY, "Maximum:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  bounds->Add(maximumEdit_, 0, wxRIGHT, 8);
  bounds->Add(new wxButton(rb, kIdAddRaster, "Add Clause"));
  raster->Add(bounds, 0, wxALL, 4);
  auto* vector = new wxStaticBoxSizer(wxVERTICAL, cb, "Vector Intersection Filter");
  wxWindow* vb = vector->GetStaticBox();
  auto* vectorRow = new wxBoxSizer(wxHORIZONTAL);
  vectorRow->Add(new wxStaticText(vb, wxID_ANY, "Vector Theme:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  vectorTheme_ = new wxChoice(vb, kIdVectorTheme, wxDefaultPosition, wxSize(180, -1));
  vectorRow->Add(vectorTheme_, 0, wxRIGHT, 8);
  vectorRow->Add(new wxButton(vb, kIdAddVector, "Add Clause"));
  vector->Add(vectorRow, 0, wxALL, 4);
  clausesBox->Add(raster, 1, wxEXPAND | wxALL, 4);
  clausesBox->Add(vector, 1, wxEXPAND | wxALL, 4);
  all->Add(clausesBox, 0, wxEXPAND | wxALL, 8);

  all->Add(new wxStaticText(this, wxID_ANY, "AND Clauses"), 0, wxLEFT, 8);
  all->Add(new wxPanel(this, kIdClauseGrid, wxDefaultPosition, wxSize(-1, 110)), 1, wxEXPAND | wxALL, 8);
  all->Add(new wxStaticText(this, wxID_ANY, "Rule Text"), 0, wxLEFT, 8);
  ruleText_ = new wxTextCtrl(this, kIdRuleText, "", wxDefaultPosition, wxSize(-1, 50),
                             wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL);
  all->Add(ruleText_, 0, wxEXPAND | wxALL, 8);
  FinishWithButtons(this, all);
  clauseWindow_ = AttachGrid(this, kIdClauseGrid, clauses_);

  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnConstant(); }, kIdConstant);
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { OnExpression(); }, kIdExpression);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveFuel(true); }, kIdAddFuel);
  Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { MoveFuel(true); }, kIdFuelsOut);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { MoveFuel(false); }, kIdRemoveFuel);
  Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { MoveFuel(false); }, kIdFuelsIn);
  Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnTargetChanged(); }, kIdTarget);
  Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnExpressionThemeChanged(); }, kIdExpressionTheme);
  Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { OnRasterThemeChanged(); }, kIdRasterTheme);
  Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { UpdateRuleFromControls(); }, kIdOperator);
  Bind(wxEVT_TEXT, [this](wxCommandEvent&) { UpdateRuleFromControls(); }, kIdConstantEdit);
  Bind(wxEVT_TEXT, [this](wxCommandEvent&) { UpdateRuleFromControls(); }, kIdExpressionEdit);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddRasterClause(); }, kIdAddRaster);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddVectorClause(); }, kIdAddVector);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(kRuleHelpTopic); }, kIdHelp);
}

std::string CLcpRuleDialog::UnitsText(int layerType) const {
  return RuleLayerUnitsText(layerType, doc_.GetLayerUnits(layerType));
}

void CLcpRuleDialog::ShowUnits() {
  targetUnits_->SetLabel(W(targetUnitsText_));
  expressionUnits_->SetLabel(W(expressionUnitsText_));
  rasterUnits_->SetLabel(W(rasterUnitsText_));
}

void CLcpRuleDialog::FillFromRule() {
  constant_ = rule_.constant;
  constantButton_->SetValue(constant_);
  expressionButton_->SetValue(!constant_);

  // Fuel Model and Canopy Cover always; the crown layers when the landscape has them.
  for (int type = 3; type <= 7; ++type) {
    CTheme* theme = doc_.landscape.layers[static_cast<std::size_t>(type)];
    if (type > 4 && !theme) continue;
    target_->Append(W(RuleLayerName(type)));
    expressionTheme_->Append(W(RuleLayerName(type)));
    targetTypes_.push_back(type);
  }
  const int targetIndex = target_->FindString(W(RuleLayerName(rule_.targetLayer)), true);
  target_->SetSelection(targetIndex);
  targetUnitsText_ = UnitsText(rule_.targetLayer);

  // The landscape's fuel models, then those the rule names that the landscape lacks.
  if (const CTheme* fuel = doc_.GetThemeByLayerType(3)) {
    std::vector<int> numbers;
    for (float v : fuel->GetUniqueValues()) {
      if (!(v >= 1 && v < 257)) continue;
      const int n = static_cast<int>(v);
      if (numbers.empty() || numbers.back() != n) numbers.push_back(n);
    }
    for (int n : numbers) fuelsOut_->Append(W(FuelEntryText(n)), reinterpret_cast<void*>(static_cast<std::intptr_t>(n)));
  }
  for (const auto& t : doc_.gridThemes) {
    rasterTheme_->Append(W(t->name));
    rasterThemes_.push_back(t.get());
  }
  for (const auto& t : doc_.vectorThemes) {
    vectorTheme_->Append(W(t->name));
    vectorThemes_.push_back(t.get());
  }
  EnableValueControls();

  if (constant_) {
    constantEdit_->ChangeValue(W(rule_.constantValue));
  } else {
    expressionTheme_->SetSelection(expressionTheme_->FindString(W(RuleLayerName(rule_.expressionLayer)), true));
    if (rule_.expressionLayer >= 0) expressionUnitsText_ = UnitsText(rule_.expressionLayer);
    int op = 0;
    for (unsigned i = 0; i < operator_->GetCount(); ++i)
      if (S(operator_->GetString(i)).rfind(rule_.expressionOperator, 0) == 0) {
        op = static_cast<int>(i);
        break;
      }
    operator_->SetSelection(op);
    expressionEdit_->ChangeValue(W(rule_.expressionValue));
  }
  for (std::int32_t id : rule_.fuelModels) {
    int found = -1;
    for (unsigned i = 0; i < fuelsOut_->GetCount(); ++i)
      if (reinterpret_cast<std::intptr_t>(fuelsOut_->GetClientData(i)) == id) found = static_cast<int>(i);
    const wxString text = found >= 0 ? fuelsOut_->GetString(static_cast<unsigned>(found)) : W(FuelEntryText(id));
    if (found >= 0) fuelsOut_->Delete(static_cast<unsigned>(found));
    fuelsIn_->Append(text, reinterpret_cast<void*>(static_cast<std::intptr_t>(id)));
  }
  for (const auto& c : rule_.clauses) AddClauseRow(*c);
  clauses_.RedrawAll();
  UpdateRuleFromControls();
  ShowUnits();
}

void CLcpRuleDialog::EnableValueControls() {
  constantEdit_->Enable(constant_);
  expressionTheme_->Enable(!constant_);
  operator_->Enable(!constant_);
  expressionEdit_->Enable(!constant_);
}

void CLcpRuleDialog::UpdateRuleFromControls() {
  targetName_ = S(target_->GetStringSelection());
  const int t = target_->GetSelection();
  // A rule from a file may name a layer the list does not offer: it keeps its own.
  if (t != wxNOT_FOUND) rule_.targetLayer = targetTypes_[static_cast<std::size_t>(t)];
  rule_.constant = constant_;
  rule_.constantValue = S(constantEdit_->GetValue());
  const int e = expressionTheme_->GetSelection();
  if (e != wxNOT_FOUND) rule_.expressionLayer = targetTypes_[static_cast<std::size_t>(e)];
  if (operator_->GetSelection() != wxNOT_FOUND) rule_.expressionOperator = S(operator_->GetStringSelection());
  rule_.expressionValue = S(expressionEdit_->GetValue());
  ruleText_->ChangeValue(W(rule_.GetDescription()));
}

void CLcpRuleDialog::OnConstant() {
  constant_ = true;
  EnableValueControls();
  UpdateRuleFromControls();
}

void CLcpRuleDialog::OnExpression() {
  constant_ = false;
  EnableValueControls();
  UpdateRuleFromControls();
}

namespace {

// Moves the selected entry to the end of the other list; false with nothing selected.
bool MoveSelected(wxListBox* from, wxListBox* to) {
  const int i = from->GetSelection();
  if (i == wxNOT_FOUND) return false;
  to->Append(from->GetString(static_cast<unsigned>(i)), from->GetClientData(static_cast<unsigned>(i)));
  from->Delete(static_cast<unsigned>(i));
  return true;
}

}  // namespace

void CLcpRuleDialog::MoveFuel(bool add) {
  if (add ? MoveSelected(fuelsOut_, fuelsIn_) : MoveSelected(fuelsIn_, fuelsOut_)) {
    rule_.fuelModels.clear();
    for (unsigned i = 0; i < fuelsIn_->GetCount(); ++i)
      rule_.fuelModels.push_back(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(fuelsIn_->GetClientData(i))));
  }
  UpdateRuleFromControls();
}

void CLcpRuleDialog::OnTargetChanged() {
  const int t = target_->GetSelection();
  if (t != wxNOT_FOUND) {
    targetUnitsText_ = UnitsText(targetTypes_[static_cast<std::size_t>(t)]);
    ShowUnits();
  }
  UpdateRuleFromControls();
}

void CLcpRuleDialog::OnExpressionThemeChanged() {
  const int e = expressionTheme_->GetSelection();
  if (e != wxNOT_FOUND) {
    expressionUnitsText_ = UnitsText(targetTypes_[static_cast<std::size_t>(e)]);
    ShowUnits();
  }
  UpdateRuleFromControls();
}

void CLcpRuleDialog::OnRasterThemeChanged() {
  const int r = rasterTheme_->GetSelection();
  if (r == wxNOT_FOUND) return;
  rasterUnitsText_ = UnitsText(rasterThemes_[static_cast<std::size_t>(r)]->layerType);
  ShowUnits();
}

void CLcpRuleDialog::AddClauseRow(const CLcpRuleClause& clause) {
  const long row = clauses_.GetRowCount();
  clauses_.SetRowCount(row + 1);
  clauses_.SetCellText(0, row, clause.GetDescription());
  clauses_.SetCellText(1, row, "Delete");
}

void CLcpRuleDialog::OnAddRasterClause() {
  const std::string theme = TrimText(rasterTheme_->GetStringSelection());
  const std::string lo = TrimText(minimumEdit_->GetValue()), hi = TrimText(maximumEdit_->GetValue());
  if (theme.empty() || rasterTheme_->GetSelection() == wxNOT_FOUND) {
    platform::Tell("Error. An existing raster theme must be selected.");
    return;
  }
  if (lo.empty() && hi.empty()) {
    platform::Tell("Error. A minimum and/or maximum value must be entered.");
    return;
  }
  // Bounds are numbers: a text that is not one is refused, not read as 0.
  for (const auto& [text, field] : {std::pair{lo, "Minimum"}, std::pair{hi, "Maximum"}})
    if (!text.empty() && !ParseRuleNumber(text)) {
      platform::Tell(std::string("Error. ") + field + ": \"" + text + "\" is not a number.");
      return;
    }
  if (!lo.empty() && !hi.empty() && *ParseRuleNumber(hi) < *ParseRuleNumber(lo)) {
    platform::Tell("Error. Maximum value can not be less than the minimum value.");
    return;
  }
  CTheme* t = rasterThemes_[static_cast<std::size_t>(rasterTheme_->GetSelection())];
  auto clause = std::make_unique<CLcpRuleClause>();
  clause->rasterTheme = t;
  clause->rasterLayerType = t->layerType;
  clause->rasterTitle = t->name;
  clause->rasterFilePath = t->layerType == 10 ? t->sourcePath : "";
  clause->minimum = lo;
  clause->maximum = hi;
  AddClauseRow(*clause);
  rule_.clauses.push_back(std::move(clause));
  clauses_.RedrawAll();
  UpdateRuleFromControls();
}

void CLcpRuleDialog::OnAddVectorClause() {
  const int v = vectorTheme_->GetSelection();
  if (v == wxNOT_FOUND || TrimText(vectorTheme_->GetStringSelection()).empty()) {
    platform::Tell("Error. An existing vector theme must be selected.");
    return;
  }
  CVectorTheme* t = vectorThemes_[static_cast<std::size_t>(v)];
  auto clause = std::make_unique<CLcpRuleClause>();
  clause->isRaster = false;
  clause->vectorTheme = t;
  clause->vectorTitle = t->name;
  clause->vectorFilePath = t->sourcePath;
  AddClauseRow(*clause);
  rule_.clauses.push_back(std::move(clause));
  clauses_.RedrawAll();
  UpdateRuleFromControls();
}

void CLcpRuleDialog::DeleteClause(long row) {
  if (row < 0 || row >= static_cast<long>(rule_.clauses.size())) return;
  clauses_.DeleteRow(row);
  rule_.clauses.erase(rule_.clauses.begin() + row);
  UpdateRuleFromControls();
  clauses_.RedrawAll();
}

// ---- editor ----

std::function<int(CLcpRuleDialog&)>& CLandscapeEditDialog::RuleDialogRunner() {
  static std::function<int(CLcpRuleDialog&)> runner;
  return runner;
}

std::function<int(CLandscapeEditDialog&)>& EditorRunner() {
  static std::function<int(CLandscapeEditDialog&)> runner;
  return runner;
}

CLandscapeEditDialog::CLandscapeEditDialog(wxWindow* parent, CPVN4Doc& doc)
    : wxDialog(parent, wxID_ANY, "Landscape Editor", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      doc_(doc),
      grid_(this) {
  auto* all = new wxBoxSizer(wxVERTICAL);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(new wxButton(this, kIdCreateRule, "Create Rule"), 0, wxRIGHT, 6);
  top->Add(new wxButton(this, kIdEditRule, "Edit Rule"), 0, wxRIGHT, 6);
  top->AddStretchSpacer();
  top->Add(new wxButton(this, kIdClearRules, "Clear Rules"), 0, wxRIGHT, 6);
  top->Add(new wxButton(this, kIdLoadRules, "Load Rules"), 0, wxRIGHT, 6);
  top->Add(new wxButton(this, kIdSaveRules, "Save Rules"));
  all->Add(top, 0, wxEXPAND | wxALL, 8);
  all->Add(new wxStaticText(this, wxID_ANY, "Rules:"), 0, wxLEFT, 8);
  all->Add(new wxPanel(this, kIdRuleGrid, wxDefaultPosition, wxSize(860, 330)), 1, wxEXPAND | wxALL, 8);
  FinishWithButtons(this, all);
  gridWindow_ = AttachGrid(this, kIdRuleGrid, grid_);

  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnCreateRule(); }, kIdCreateRule);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnEditRule(); }, kIdEditRule);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnClearRules(); }, kIdClearRules);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnLoadRules(); }, kIdLoadRules);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveRules(); }, kIdSaveRules);
  Bind(wxEVT_BUTTON, [](wxCommandEvent&) { GetApp().ShowHelpTopic(kEditorHelpTopic); }, kIdHelp);

  rules_ = CPVN4Doc::CopyLandscapeRules(doc_.landscapeRules);
  grid_.SetRowCount(static_cast<long>(rules_.size()));
  for (long r = 0; r < static_cast<long>(rules_.size()); ++r) WriteRow(r);
  NumberRows();
  grid_.RedrawAll();
}

CLandscapeEditDialog::~CLandscapeEditDialog() {
  if (gridWindow_) gridWindow_->Destroy();
}

void CLandscapeEditDialog::WriteRow(long row) {
  CLcpRule& rule = *rules_[static_cast<std::size_t>(row)];
  grid_.SetCellText(0, row, RuleLayerName(rule.targetLayer));
  grid_.SetCellText(1, row, rule.GetDescription());
  grid_.SetCellText(2, row, "Test");
  grid_.SetCellText(3, row, "Apply");
  grid_.SetCellText(4, row, "Delete");
}

void CLandscapeEditDialog::NumberRows() {
  for (long r = 0; r < grid_.GetRowCount(); ++r) grid_.SetCellNumber(-1, r, static_cast<double>(r + 1));
}

int CLandscapeEditDialog::RunRuleDialog(CLcpRule& rule, std::string& targetName) {
  CLcpRuleDialog dialog(this, doc_, rule);
  const auto& runner = RuleDialogRunner();
  const int result = runner ? runner(dialog) : dialog.ShowModal();
  targetName = dialog.GetTargetName();
  return result;
}

void CLandscapeEditDialog::OnCreateRule() {
  auto rule = std::make_unique<CLcpRule>();
  std::string name;
  if (RunRuleDialog(*rule, name) != wxID_OK || name.empty() || rule->description.empty()) return;
  rules_.push_back(std::move(rule));
  grid_.SetRowCount(static_cast<long>(rules_.size()));
  WriteRow(static_cast<long>(rules_.size()) - 1);
  NumberRows();
  grid_.RedrawAll();
}

void CLandscapeEditDialog::OnEditRule() {
  const long row = grid_.GetCurrentRow();
  if (row >= 0 && row < grid_.GetRowCount()) EditRule(row);
}

void CLandscapeEditDialog::EditRule(long row) {
  if (row < 0 || row >= static_cast<long>(rules_.size())) return;
  // The dialog changes a copy: Cancel leaves the rule as it was.
  auto copy = std::make_unique<CLcpRule>(*rules_[static_cast<std::size_t>(row)]);
  std::string name;
  if (RunRuleDialog(*copy, name) != wxID_OK || name.empty() || copy->description.empty()) return;
  rules_[static_cast<std::size_t>(row)] = std::move(copy);
  WriteRow(row);
  NumberRows();
  grid_.RedrawAll();
}

void CLandscapeEditDialog::OnClearRules() {
  if (!platform::AskYesNo("Delete all landscape edit rules?")) return;
  rules_.clear();
  grid_.SetRowCount(0);
  grid_.RedrawAll();
}

void CLandscapeEditDialog::OnSaveRules() {
  if (rules_.empty()) return;
  platform::FileDialogOptions o;
  o.filter = kRulesFilter;
  o.defaultExt = "xml";
  o.overwritePrompt = true;
  const auto chosen = platform::CurrentDialogs().ChooseSaveFile(o);
  if (!chosen) return;
  WriteRulesFile(rules_, platform::WithDefaultExtension(*chosen, "xml"));
}

void CLandscapeEditDialog::OnLoadRules() {
  platform::FileDialogOptions o;
  o.filter = kRulesFilter;
  o.defaultExt = "xml";
  const auto chosen = platform::CurrentDialogs().ChooseOpenFile(o);
  if (!chosen) return;
  const std::size_t before = rules_.size();
  ReadRulesFile(*chosen, RuleThemes{&doc_.gridThemes, &doc_.vectorThemes}, rules_);
  grid_.SetRowCount(static_cast<long>(rules_.size()));
  for (std::size_t r = before; r < rules_.size(); ++r) WriteRow(static_cast<long>(r));
  NumberRows();
  grid_.RedrawAll();
}

void CLandscapeEditDialog::OnRuleButton(int col, long row) {
  if (row < 0 || row >= static_cast<long>(rules_.size()) || col < 2 || col > 4) return;
  CLcpRule& rule = *rules_[static_cast<std::size_t>(row)];
  const std::string text = rule.GetDescription();
  if (col == 4) {
    if (!platform::AskYesNo("Delete rule:\"" + text + "\"?")) return;
    grid_.DeleteRow(row);
    rules_.erase(rules_.begin() + row);
    NumberRows();
    grid_.RedrawAll();
    return;
  }
  const bool apply = col == 3;
  if (!platform::AskYesNo((apply ? "Apply rule:\"" : "Test rule:\"") + text + "\"?")) return;
  std::int64_t count = 0;
  {
    wxBusyCursor wait;
    count = apply ? doc_.ApplyLandscapeRule(rule) : doc_.CountLandscapeRuleCells(rule);
  }
  if (count >= 0) {
    const CTheme* target = doc_.GetThemeByLayerType(rule.targetLayer);
    const std::int64_t cells = static_cast<std::int64_t>(target->rows) * target->columns;
    const std::string counts = platform::FormatC("%" PRId64 " cells of %" PRId64, count, cells);
    if (!apply) {
      platform::Tell(counts + " would be modified by rule:\n" + text);
    } else if (platform::AskYesNo(counts + " modified by rule:\n" + text +
                                  "\nWould you like to save the new landscape now?")) {
      SaveLandscapeAfterRule(doc_);
    }
  }
  if (apply) doc_.UpdateAllViews();
}

void OnEditLandscape(wxWindow* parent, CPVN4Doc& doc) {
  if (!doc.IsLandscapeLoaded()) return;
  CLandscapeEditDialog editor(parent, doc);
  const auto& runner = EditorRunner();
  const int result = runner ? runner(editor) : editor.ShowModal();
  if (result != wxID_OK) return;
  CPVN4Doc::ClearLandscapeRules(doc.landscapeRules);
  doc.landscapeRules = CPVN4Doc::CopyLandscapeRules(editor.Rules());
}

}  // namespace landscape::ui

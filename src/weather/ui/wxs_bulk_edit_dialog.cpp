#include "weather/ui/wxs_bulk_edit_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdint>

#include "gridmodel/ug_cell.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "widgets/cellgrid/ug_window.h"

namespace weather::ui {

// ---- the condition grid -------------------------------------------------------------------

void ConditionCUG::OnInitGrid() {
  buttonId_ = AddCellType(&button_);
  SetCurrentCellStyle(2);
  SetColCount(3);
  SetCellText(0, -1, "Condition");
  SetCellText(1, -1, "Test");
  SetCellText(2, -1, "Delete");
  SetSideHeadingWidth(0);
  const int a = std::max(GetClientWidth(), 300) / 5 - 5;
  SetColWidth(0, 3 * a);
  SetColWidth(1, a);
  SetColWidth(2, a);
  gridmodel::CUGCell c;
  GetColDefault(0, &c);
  c.SetReadOnly(true);
  SetColDefault(0, &c);
  for (int col : {1, 2}) {
    GetColDefault(col, &c);
    c.SetCellType(buttonId_);
    c.SetCellTypeParam(16);
    c.SetText(col == 1 ? "Test" : "Delete");
    SetColDefault(col, &c);
  }
}

void ConditionCUG::Refill() {
  SetRowCount(static_cast<long>(conditions.size()));
  for (std::size_t i = 0; i < conditions.size(); ++i) SetCellText(0, static_cast<long>(i), conditions[i].GetText());
  RedrawAll();
}

int ConditionCUG::OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long) {
  if (msg != gridmodel::UGCT_BUTTONCLICK || row < 0 || row >= static_cast<long>(conditions.size())) return 1;
  if (col == 2) {
    conditions.erase(conditions.begin() + row);
    DeleteRow(row);
    RedrawAll();
  } else if (col == 1 && stream) {
    const std::vector<WxsCondition> one{conditions[static_cast<std::size_t>(row)]};
    const std::size_t n = BulkMatches(*stream, nullptr, one).size();
    platform::Tell(platform::FormatC("%d records pass condition clause %s", static_cast<int>(n),
                                     one[0].GetText().c_str()));
  }
  return 1;
}

// ---- the dialog ---------------------------------------------------------------------------

CWxsBulkEditDlg::CWxsBulkEditDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Edit Wxs Values") {
  auto choice = [&](int id, std::initializer_list<const char*> names, bool sorted) {
    auto* c = new wxChoice(this, id, wxDefaultPosition, wxDefaultSize, 0, nullptr, sorted ? wxCB_SORT : 0);
    std::intptr_t i = 0;
    for (const char* n : names) c->Append(n, reinterpret_cast<void*>(i++));
    return c;
  };
  const auto& v = kWxsVariableNames;
  target = choice(kTarget, {v[0], v[1], v[2], v[3], v[4], v[5]}, true);
  condVariable = choice(kCondVariable, {v[0], v[1], v[2], v[3], v[4], v[5]}, true);
  const auto& c = kWxsComparisonOperators;
  condOperator = choice(kCondOperator, {c[0], c[1], c[2], c[3], c[4]}, true);
  const auto& a = kWxsArithmeticOperators;
  op = choice(kOperator, {a[0], a[1], a[2], a[3]}, false);

  auto* top = new wxBoxSizer(wxVERTICAL);
  auto* head = new wxBoxSizer(wxHORIZONTAL);
  auto* left = new wxBoxSizer(wxVERTICAL);
  auto* t = new wxBoxSizer(wxHORIZONTAL);
  t->Add(new wxStaticText(this, wxID_ANY, "Target Variable:"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  t->Add(target);
  left->Add(t, 0, wxBOTTOM, 6);
  auto* applies = new wxBoxSizer(wxHORIZONTAL);
  applies->Add(new wxButton(this, kApplySelection, "Apply To Selection"), 0, wxRIGHT, 6);
  applies->Add(new wxButton(this, kApplyAll, "Apply To All"));
  left->Add(applies, 0, wxBOTTOM, 6);

  auto* assign = new wxStaticBoxSizer(wxVERTICAL, this, "Value Assignment");
  auto* constRow = new wxBoxSizer(wxHORIZONTAL);
  auto* constRadio = new wxRadioButton(assign->GetStaticBox(), kConstantRadio, "Constant", wxDefaultPosition,
                                       wxDefaultSize, wxRB_GROUP);
  constant = new wxTextCtrl(assign->GetStaticBox(), kConstant, "");
  constRow->Add(constRadio, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
  constRow->Add(constant);
  assign->Add(constRow, 0, wxALL, 4);
  auto* exprRadio = new wxRadioButton(assign->GetStaticBox(), kExpressionRadio, "Expression");
  assign->Add(exprRadio, 0, wxALL, 4);
  auto* exprRow = new wxBoxSizer(wxHORIZONTAL);
  op->Reparent(assign->GetStaticBox());
  value = new wxTextCtrl(assign->GetStaticBox(), kValue, "");
  exprRow->Add(new wxStaticText(assign->GetStaticBox(), wxID_ANY, "Operator"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  exprRow->Add(op, 0, wxRIGHT, 8);
  exprRow->Add(new wxStaticText(assign->GetStaticBox(), wxID_ANY, "Value"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  exprRow->Add(value);
  assign->Add(exprRow, 0, wxALL, 4);
  left->Add(assign, 0, wxEXPAND);
  head->Add(left, 0, wxRIGHT, 10);
  auto* right = new wxBoxSizer(wxVERTICAL);
  right->Add(new wxStaticText(this, wxID_ANY, "Bulk Edit Statement:"));
  statement = new wxTextCtrl(this, kStatement, "", wxDefaultPosition, wxSize(300, 120), wxTE_MULTILINE | wxTE_READONLY);
  right->Add(statement, 1, wxEXPAND);
  head->Add(right, 1, wxEXPAND);
  top->Add(head, 0, wxEXPAND | wxALL, 8);

  auto* conds = new wxStaticBoxSizer(wxVERTICAL, this, "Conditions");
  auto* condRow = new wxBoxSizer(wxHORIZONTAL);
  condVariable->Reparent(conds->GetStaticBox());
  condOperator->Reparent(conds->GetStaticBox());
  condValue = new wxTextCtrl(conds->GetStaticBox(), kCondValue, "");
  auto label = [&](const char* text) {
    condRow->Add(new wxStaticText(conds->GetStaticBox(), wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  };
  label("Variable:");
  condRow->Add(condVariable, 0, wxRIGHT, 8);
  label("Condition:");
  condRow->Add(condOperator, 0, wxRIGHT, 8);
  label("Value:");
  condRow->Add(condValue, 0, wxRIGHT, 8);
  condRow->Add(new wxButton(conds->GetStaticBox(), kAddCondition, "Add Condition"));
  conds->Add(condRow, 0, wxALL, 4);
  auto* placeholder = new wxPanel(conds->GetStaticBox(), kGrid, wxDefaultPosition, wxSize(560, 150));
  conds->Add(placeholder, 1, wxEXPAND | wxALL, 4);
  top->Add(conds, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
  auto* bottom = new wxBoxSizer(wxHORIZONTAL);
  bottom->AddStretchSpacer();
  bottom->Add(new wxButton(this, wxID_CANCEL, "Close"));
  top->Add(bottom, 0, wxEXPAND | wxALL, 8);
  SetSizerAndFit(top);
  gridWindow_ = widgets::CUGWindow::AttachToDialogItem(this, kGrid, &grid);
  Layout();
  CentreOnParent();

  constRadio->SetValue(true);
  SetExpressionMode(false);
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetExpressionMode(false); }, kConstantRadio);
  Bind(wxEVT_RADIOBUTTON, [this](wxCommandEvent&) { SetExpressionMode(true); }, kExpressionRadio);
  for (wxTextCtrl* box : {constant, value}) box->Bind(wxEVT_TEXT, [this](wxCommandEvent&) { Rebuild(); });
  for (wxChoice* box : {target, op}) box->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { Rebuild(); });
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAddCondition(); }, kAddCondition);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Apply(false); }, kApplySelection);
  Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Apply(true); }, kApplyAll);
}

// The grid window goes before the grid it shows, which is a member of this dialog.
CWxsBulkEditDlg::~CWxsBulkEditDlg() { delete gridWindow_; }

void CWxsBulkEditDlg::SetInput(std::vector<int> rows, CWxStream* stream, std::function<void()> refill) {
  rows_ = std::move(rows);
  stream_ = stream;
  grid.stream = stream;
  refill_ = std::move(refill);
}

int CWxsBulkEditDlg::ItemData(wxChoice* c) {
  const int sel = c->GetSelection();
  if (sel == wxNOT_FOUND) return -1;
  return static_cast<int>(reinterpret_cast<std::intptr_t>(c->GetClientData(static_cast<unsigned>(sel))));
}

void CWxsBulkEditDlg::SetExpressionMode(bool expression) {
  expression_ = expression;
  constant->Enable(!expression);
  op->Enable(expression);
  value->Enable(expression);
  Rebuild();
}

WxsAssignment CWxsBulkEditDlg::Assignment() const {
  WxsAssignment a;
  a.target = ItemData(target);
  a.expression = expression_;
  a.constantText = constant->GetValue().utf8_string();
  a.op = ItemData(op);
  a.expressionText = value->GetValue().utf8_string();
  return a;
}

std::string CWxsBulkEditDlg::Statement() const { return BuildBulkStatement(Assignment(), grid.conditions); }

void CWxsBulkEditDlg::Rebuild() { statement->ChangeValue(wxString::FromUTF8(Statement())); }

void CWxsBulkEditDlg::OnAddCondition() {
  const std::string text = WxTrim(condValue->GetValue().utf8_string());
  const int variable = ItemData(condVariable), comparison = ItemData(condOperator);
  if (variable >= 0 && comparison >= 0 && !text.empty()) {
    double x = 0;
    std::string message;
    if (!ReadBulkValue(text, "condition value", x, message)) {
      platform::Tell(message);
      return;
    }
    grid.conditions.push_back(WxsCondition{variable, comparison, text});
    grid.Refill();
  }
  Rebuild();
}

void CWxsBulkEditDlg::Apply(bool all) {
  std::string message;
  const WxsAssignment a = Assignment();
  if (!CheckBulkInputs(a, message)) return platform::Tell(message);
  if (!stream_) return;
  if (!all && rows_.empty()) return;
  const std::vector<int> hits = BulkMatches(*stream_, all ? nullptr : &rows_, grid.conditions);
  if (hits.empty()) return platform::Tell("No records satisfy the conditions.");
  if (!platform::AskYesNo(platform::FormatC("%d records will be modified. Apply changes?", static_cast<int>(hits.size()))))
    return;
  double x = 0;
  ReadBulkValue(a.expression ? a.expressionText : a.constantText, "value", x, message);
  for (int i : hits) ApplyAssignment(stream_->records[static_cast<std::size_t>(i)], a.target, a.expression, x, a.op);
  if (refill_) refill_();
  platform::Tell(platform::FormatC("%d records were updated", static_cast<int>(hits.size())));
}

}  // namespace weather::ui

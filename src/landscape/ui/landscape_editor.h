#pragma once
// The landscape editor: the project's landscape-edit rules in a cell grid with Test, Apply and
// Delete buttons per rule, rules files, and the rule dialog that makes and changes one rule.
// The editor works on a copy of the project's rules and the rule dialog on a copy of its rule,
// so Cancel leaves them as they were; Test and Apply act on the landscape at once.
#include <wx/dialog.h>

#include <functional>
#include <string>

#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_ctrl.h"
#include "landscape/rules.h"

class CPVN4Doc;
class wxButton;
class wxChoice;
class wxListBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace widgets {
class CUGWindow;
}

namespace landscape::ui {

class CLandscapeEditDialog;
class CLcpRuleDialog;

// The editor's rule grid: a read-only row per rule with its three buttons.
class LcpRuleCUG : public gridmodel::CUGCtrl {
 public:
  explicit LcpRuleCUG(CLandscapeEditDialog* editor) : editor_(editor) {}
  void OnInitGrid() override;
  // Column widths from the grid's client width.
  void SetWidths(int clientWidth);
  int OnBeginCellEdit(int, long, gridmodel::CUGEditor**) override { return 1; }
  int OnEndCellEdit(int, long, gridmodel::CUGEditor*, const std::string&, bool) override { return 1; }
  void OnCellDoubleClick(int, long, gridmodel::UGRect*, gridmodel::UGPoint*, bool) override {}
  void OnGridKeyDown(unsigned*, bool) override {}
  void OnGridChar(unsigned*, bool) override {}
  gridmodel::Colour OnGetSectionBackColor(int section) override;
  int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) override;

 private:
  CLandscapeEditDialog* editor_;
  gridmodel::CUGButtonType button_;
};

// The rule dialog's clause grid: a row per clause with its Delete button.
class ClauseCUG : public gridmodel::CUGCtrl {
 public:
  explicit ClauseCUG(CLcpRuleDialog* dialog) : dialog_(dialog) {}
  void OnInitGrid() override;
  void SetWidths(int clientWidth);
  int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) override;

 private:
  CLcpRuleDialog* dialog_;
  gridmodel::CUGButtonType button_;
};

class CLcpRuleDialog : public wxDialog {
 public:
  // Edits the rule in place; the editor hands it a copy.
  CLcpRuleDialog(wxWindow* parent, CPVN4Doc& doc, CLcpRule& rule);
  ~CLcpRuleDialog() override;
  const std::string& GetTargetName() const { return targetName_; }

  // Handlers, public for tests.
  void UpdateRuleFromControls();
  void EnableValueControls();
  void OnConstant();
  void OnExpression();
  // >>> (add) and <<<: the selected fuel model moves to the other list.
  void MoveFuel(bool add);
  void OnTargetChanged();
  void OnExpressionThemeChanged();
  void OnRasterThemeChanged();
  void OnAddRasterClause();
  void OnAddVectorClause();
  void DeleteClause(long row);

  wxChoice* Target() const { return target_; }
  wxRadioButton* ConstantButton() const { return constantButton_; }
  wxRadioButton* ExpressionButton() const { return expressionButton_; }
  wxTextCtrl* ConstantEdit() const { return constantEdit_; }
  wxChoice* ExpressionTheme() const { return expressionTheme_; }
  wxChoice* Operator() const { return operator_; }
  wxTextCtrl* ExpressionEdit() const { return expressionEdit_; }
  wxListBox* FuelsNotChosen() const { return fuelsOut_; }
  wxListBox* FuelsChosen() const { return fuelsIn_; }
  wxChoice* RasterTheme() const { return rasterTheme_; }
  wxTextCtrl* MinimumEdit() const { return minimumEdit_; }
  wxTextCtrl* MaximumEdit() const { return maximumEdit_; }
  wxChoice* VectorTheme() const { return vectorTheme_; }
  wxTextCtrl* RuleText() const { return ruleText_; }
  wxStaticText* TargetUnits() const { return targetUnits_; }
  wxStaticText* ExpressionUnits() const { return expressionUnits_; }
  wxStaticText* RasterUnits() const { return rasterUnits_; }
  ClauseCUG& ClauseGrid() { return clauses_; }

 private:
  void BuildControls();
  void FillFromRule();
  void AddClauseRow(const CLcpRuleClause& clause);
  std::string UnitsText(int layerType) const;
  void ShowUnits();

  CPVN4Doc& doc_;
  CLcpRule& rule_;
  bool constant_ = true;
  std::string targetName_;
  ClauseCUG clauses_;
  widgets::CUGWindow* clauseWindow_ = nullptr;
  wxChoice* target_ = nullptr;
  wxRadioButton* constantButton_ = nullptr;
  wxRadioButton* expressionButton_ = nullptr;
  wxTextCtrl* constantEdit_ = nullptr;
  wxChoice* expressionTheme_ = nullptr;
  wxChoice* operator_ = nullptr;
  wxTextCtrl* expressionEdit_ = nullptr;
  wxListBox* fuelsOut_ = nullptr;
  wxListBox* fuelsIn_ = nullptr;
  wxChoice* rasterTheme_ = nullptr;
  wxTextCtrl* minimumEdit_ = nullptr;
  wxTextCtrl* maximumEdit_ = nullptr;
  wxChoice* vectorTheme_ = nullptr;
  wxTextCtrl* ruleText_ = nullptr;
  wxStaticText* targetUnits_ = nullptr;
  wxStaticText* expressionUnits_ = nullptr;
  wxStaticText* rasterUnits_ = nullptr;
  std::string targetUnitsText_, expressionUnitsText_, rasterUnitsText_;
  std::vector<int> targetTypes_;  // the layer of each target and expression entry
  std::vector<CTheme*> rasterThemes_;
  std::vector<CVectorTheme*> vectorThemes_;
};

class CLandscapeEditDialog : public wxDialog {
 public:
  // Works on a copy of the document's rules.
  CLandscapeEditDialog(wxWindow* parent, CPVN4Doc& doc);
  ~CLandscapeEditDialog() override;

  LcpRuleList& Rules() { return rules_; }
  LcpRuleCUG& Grid() { return grid_; }
  // How the rule dialog runs (tests answer it); ShowModal by default.
  static std::function<int(CLcpRuleDialog&)>& RuleDialogRunner();

  // Handlers, public for tests.
  void OnCreateRule();
  void OnEditRule();
  void EditRule(long row);
  void OnClearRules();
  void OnLoadRules();
  void OnSaveRules();
  void OnRuleButton(int col, long row);
  void NumberRows();

 private:
  void WriteRow(long row);
  int RunRuleDialog(CLcpRule& rule, std::string& targetName);

  CPVN4Doc& doc_;
  LcpRuleList rules_;
  LcpRuleCUG grid_;
  widgets::CUGWindow* gridWindow_ = nullptr;
};

// Landscape > Edit Landscape: runs the editor; on OK the document takes the editor's rules.
void OnEditLandscape(wxWindow* parent, CPVN4Doc& doc);
// How the editor runs (tests answer it); ShowModal by default.
std::function<int(CLandscapeEditDialog&)>& EditorRunner();

}  // namespace landscape::ui

#pragma once
// The numeric edit showing money: its formats carry a '$' that the shown literals replace
// by the currency symbol.
#include <string>

#include "gridmodel/ug_textedit.h"

namespace gridmodel {

class CUTCurrencyEdit : public CUTNumericEdit {
 public:
  CUTCurrencyEdit();
  // False for an empty symbol.
  bool SetCurrencySymbol(const std::string& symbol);
  const std::string& GetCurrencySymbol() const { return symbol_; }
  // Patterns must hold both "1.1" and "$".
  bool SetPositiveFormat(const std::string& f);
  bool SetNegativeFormat(const std::string& f);

 protected:
  void OnLiteralsBuilt() override;

 private:
  std::string symbol_ = "$";
  std::string pos_ = "$1.1", neg_ = "($1.1)";
};

}  // namespace gridmodel

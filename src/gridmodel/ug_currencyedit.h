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
  bool ReadLocaleSettings() override;

 protected:
  void OnLiteralsBuilt() override;

 private:
  std::string symbol_ = "$";
  std::string pos_ = "$1.1", neg_ = "($1.1)";
  std::string locSymbol_ = "$", locPos_ = "$1.1", locNeg_ = "($1.1)";
};

void ExchangeCurrencyDouble(bool saving, CUTCurrencyEdit& edit, double& value);
void ExchangeCurrencyFloat(bool saving, CUTCurrencyEdit& edit, float& value);
void ExchangeCurrencyInt(bool saving, CUTCurrencyEdit& edit, int& value);
void ExchangeCurrencyLong(bool saving, CUTCurrencyEdit& edit, long& value);

}  // namespace gridmodel

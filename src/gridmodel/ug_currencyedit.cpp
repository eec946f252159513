#include "gridmodel/ug_currencyedit.h"

namespace gridmodel {

CUTCurrencyEdit::CUTCurrencyEdit() {
  CUTNumericEdit::SetPositiveFormat(pos_);
  CUTNumericEdit::SetNegativeFormat(neg_);
}

bool CUTCurrencyEdit::SetCurrencySymbol(const std::string& symbol) {
  if (symbol.empty()) return false;
  symbol_ = symbol;
  SetNegative(IsNegative());
  return true;
}

bool CUTCurrencyEdit::SetPositiveFormat(const std::string& f) {
  if (f.find("1.1") == std::string::npos || f.find('$') == std::string::npos) return false;
  pos_ = f;
  return CUTNumericEdit::SetPositiveFormat(f);
}

bool CUTCurrencyEdit::SetNegativeFormat(const std::string& f) {
  if (f.find("1.1") == std::string::npos || f.find('$') == std::string::npos) return false;
  neg_ = f;
  return CUTNumericEdit::SetNegativeFormat(f);
}

void CUTCurrencyEdit::OnLiteralsBuilt() {
  const std::string& f = IsNegative() ? neg_ : pos_;
  const std::size_t n = f.find("1.1"), d = f.find('$');
  if (n == std::string::npos || d == std::string::npos) return;
  if (d < n) {
    const std::size_t k = mask_.find('#');
    const std::size_t at = (k == std::string::npos ? 0 : k) + d;
    if (at < prefix_.size() && prefix_[at] == '$') prefix_.replace(at, 1, symbol_);
  } else {
    const std::size_t at = d - (n + 3);
    if (at < suffix_.size() && suffix_[at] == '$') suffix_.replace(at, 1, symbol_);
  }
}

}  // namespace gridmodel

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <mutex>
#include <strings.h>

#include "gridmodel/ug_currencyedit.h"
#include "gridmodel/ug_textedit.h"

namespace gridmodel {
namespace {

std::mutex& SourceMutex() {
  static std::mutex m;
  return m;
}
std::function<UTLocale()>& Source() {
  static std::function<UTLocale()> source;
  return source;
}

// "3;0" from a C grouping string; empty when the locale does not group.
std::string Grouping(const char* g) {
  if (!g || *g <= 0 || *g == CHAR_MAX) return std::string();
  return std::to_string(static_cast<int>(*g)) + ";0";
}

// The currency position codes from the C description of where the symbol and sign stand.
int PositiveCurrency(int precedes, int space) { return (precedes ? 0 : 1) + (space ? 2 : 0); }
int NegativeCurrency(int precedes, int space, int sign) {
  static const int before[5][2] = {{0, 14}, {1, 9}, {2, 12}, {3, 11}, {2, 12}};
  static const int after[5][2] = {{4, 15}, {5, 8}, {7, 10}, {6, 13}, {6, 13}};
  if (sign < 0 || sign > 4) return -1;
  return precedes ? before[sign][space ? 1 : 0] : after[sign][space ? 1 : 0];
}

UTLocale EnvironmentLocale() {
  UTLocale l;
  locale_t loc = newlocale(LC_NUMERIC_MASK | LC_MONETARY_MASK, "", static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return l;
  locale_t old = uselocale(loc);
  const lconv* c = localeconv();
  if (c) {
    l.decimal = c->decimal_point ? c->decimal_point : "";
    l.thousand = c->thousands_sep ? c->thousands_sep : "";
    l.grouping = Grouping(c->grouping);
    l.monDecimal = c->mon_decimal_point ? c->mon_decimal_point : "";
    l.monThousand = c->mon_thousands_sep ? c->mon_thousands_sep : "";
    l.monGrouping = Grouping(c->mon_grouping);
    l.currency = c->currency_symbol ? c->currency_symbol : "";
    if (c->frac_digits != CHAR_MAX) l.currDigits = c->frac_digits;
    if (c->p_cs_precedes != CHAR_MAX) l.posCurrency = PositiveCurrency(c->p_cs_precedes, c->p_sep_by_space == 1);
    if (c->n_cs_precedes != CHAR_MAX && c->n_sign_posn != CHAR_MAX)
      l.negCurrency = NegativeCurrency(c->n_cs_precedes, c->n_sep_by_space == 1, c->n_sign_posn);
  }
  uselocale(old);
  freelocale(loc);
  return l;
}

// Texts and patterns compare without regard to case.
bool Same(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// The group size "before the first ;0"; -1 when the text has none.
int GroupSize(const std::string& grouping) {
  const std::size_t k = grouping.find(";0");
  if (k == std::string::npos) return -1;
  return std::atoi(grouping.substr(0, k).c_str());
}

const char* const kNegNumber[] = {"(1.1)", "-1.1", "- 1.1", "1.1-", "1.1 -"};
const char* const kPosCurrency[] = {"$1.1", "1.1$", "$ 1.1", "1.1 $"};
const char* const kNegCurrency[] = {"($1.1)", "-$1.1", "$-1.1", "$1.1-", "(1.1$)", "-1.1$", "1.1-$", "1.1$-",
                                    "-1.1 $", "-$ 1.1", "1.1 $-", "$ 1.1-", "$ -1.1", "1.1- $", "($ 1.1)", "(1.1 $)"};

}  // namespace

UTLocale UserLocale() {
  std::lock_guard<std::mutex> lock(SourceMutex());
  return Source() ? Source()() : EnvironmentLocale();
}

void SetUserLocaleSource(std::function<UTLocale()> source) {
  std::lock_guard<std::mutex> lock(SourceMutex());
  Source() = std::move(source);
}

bool CUTEdit::InitControl(const std::string& windowText) {
  ReadLocaleSettings();
  EmptyData(false);
  SetInputText(windowText, 0);
  initialised_ = true;
  return true;
}

void CUTNumericEdit::FollowNumbers(const std::string& decimal, const std::string& thousand, int leadingZero,
                                   const std::string& grouping, int digits) {
  // Taken as they come (a locale may swap the two separators), then formatted once.
  if (!decimal.empty()) {
    if (decSep_ == locDecSep_) decSep_ = decimal[0];
    locDecSep_ = decimal[0];
  }
  if (!thousand.empty()) {
    if (groupSep_ == locGroupSep_) groupSep_ = thousand[0];
    locGroupSep_ = thousand[0];
  }
  if (leadingZero >= 0) {
    if (leadingZero_ == locLeadingZero_) leadingZero_ = leadingZero != 0;
    locLeadingZero_ = leadingZero != 0;
  }
  if (const int size = GroupSize(grouping); size >= 0) {
    if (groupSize_ == locGroupSize_) groupSize_ = size;
    locGroupSize_ = size;
  }
  if (digits >= 0) {
    if (decimals_ == locDecimals_) decimals_ = digits;
    locDecimals_ = digits;
  }
  Reformat();
}

bool CUTNumericEdit::ReadLocaleSettings() {
  const UTLocale l = UserLocale();
  FollowNumbers(l.decimal, l.thousand, l.leadingZero, l.grouping, l.digits);
  if (l.negNumber >= 0 && l.negNumber <= 4) {
    const bool matched = Same(negFormat_, locNegFormat_);
    locNegFormat_ = kNegNumber[l.negNumber];
    if (matched) SetNegativeFormat(locNegFormat_);
  }
  return true;
}

bool CUTCurrencyEdit::ReadLocaleSettings() {
  const UTLocale l = UserLocale();
  FollowNumbers(l.monDecimal, l.monThousand, l.leadingZero, l.monGrouping, l.currDigits);
  if (!l.currency.empty()) {
    const bool matched = Same(symbol_, locSymbol_);
    locSymbol_ = l.currency;
    if (matched) SetCurrencySymbol(l.currency);
  }
  if (l.posCurrency >= 0 && l.posCurrency <= 3) {
    const bool matched = Same(pos_, locPos_);
    locPos_ = kPosCurrency[l.posCurrency];
    if (matched) SetPositiveFormat(locPos_);
  }
  if (l.negCurrency >= 0 && l.negCurrency <= 15) {
    const bool matched = Same(neg_, locNeg_);
    locNeg_ = kNegCurrency[l.negCurrency];
    if (matched) SetNegativeFormat(locNeg_);
  }
  return true;
}

void ExchangeNumericDouble(bool saving, CUTNumericEdit& edit, double& value) {
  if (saving) value = edit.GetValue();
  else edit.SetValue(value);
}

void ExchangeNumericFloat(bool saving, CUTNumericEdit& edit, float& value) {
  if (saving) value = static_cast<float>(edit.GetValue());
  else edit.SetValue(value);
}

void ExchangeNumericInt(bool saving, CUTNumericEdit& edit, int& value) {
  if (saving) value = static_cast<int>(edit.GetValue());  // cut toward zero
  else edit.SetValue(value);
}

void ExchangeCurrencyDouble(bool saving, CUTCurrencyEdit& edit, double& value) { ExchangeNumericDouble(saving, edit, value); }
void ExchangeCurrencyFloat(bool saving, CUTCurrencyEdit& edit, float& value) { ExchangeNumericFloat(saving, edit, value); }
void ExchangeCurrencyInt(bool saving, CUTCurrencyEdit& edit, int& value) { ExchangeNumericInt(saving, edit, value); }
void ExchangeCurrencyLong(bool saving, CUTCurrencyEdit& edit, long& value) {
  if (saving) value = static_cast<long>(edit.GetValue());
  else edit.SetValue(static_cast<double>(value));
}

}  // namespace gridmodel

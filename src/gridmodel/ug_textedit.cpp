#include "ug_textedit.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gridmodel {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

CUTEdit::CUTEdit() { SetMask("#"); }

void CUTEdit::ClearAll() {
  prefix_.clear();
  suffix_.clear();
  input_.clear();
}

void CUTEdit::ApplyMask(const std::string& mask, bool* found) {
  ClearAll();
  *found = false;
  for (size_t i = 0; i < mask.size(); ++i) {
    std::string& part = *found ? suffix_ : prefix_;
    if (mask[i] == '#') {
      if (i + 1 < mask.size() && mask[i + 1] == '#') {
        part += '#';
        ++i;
      } else if (!*found) {
        *found = true;
      }  // a later single '#' has no meaning and is dropped
    } else {
      part += mask[i];
    }
  }
}

bool CUTEdit::SetMask(const std::string& mask) {
  if (mask.find('#') == std::string::npos) return false;
  bool found = false;
  ApplyMask(mask, &found);
  if (!found) {
    bool again = false;
    ApplyMask(mask_, &again);
    Validate();
    Refresh(int(prefix_.size()));
    return false;
  }
  mask_ = mask;
  Validate();
  Refresh(int(prefix_.size()));
  return true;
}

void CUTEdit::SetSel(int start, int end) {
  int len = int(GetFullText().size());
  selStart_ = std::clamp(start, 0, len);
  selEnd_ = std::clamp(end, selStart_, len);
}

bool CUTEdit::IsInputPosition(int pos) const {
  return pos >= int(prefix_.size()) && pos < InputEnd();
}

bool CUTEdit::IsInputPositionOrEnd(int pos) const {
  return pos == InputEnd() || IsInputPosition(pos);
}

int CUTEdit::NextInputPosition(int pos) const {
  if (IsInputPositionOrEnd(pos)) return pos;
  for (int p = std::max(pos + 1, 0); p < InputEnd(); ++p)
    if (IsInputPositionOrEnd(p)) return p;
  return InputEnd();
}

int CUTEdit::PrevInputPosition(int pos) const {
  if (IsInputPositionOrEnd(pos)) return pos;
  for (int p = std::min(pos - 1, InputEnd()); p >= 0; --p)
    if (IsInputPositionOrEnd(p)) return p;
  return int(prefix_.size());
}

int CUTEdit::WindowToInputIndex(int pos) const {
  int i = pos - int(prefix_.size());
  return (i < 0 || i > int(input_.size())) ? -1 : i;
}

int CUTEdit::InputIndexToWindow(int index) const {
  return (index < 0 || index > int(input_.size())) ? -1 : index + int(prefix_.size());
}

int CUTEdit::Validate() {
  refused_ = false;
  int d = FormatInput();
  if (limit_ > 0 && int(GetInputText().size()) > limit_) {
    input_ = lastAccepted_;
    refused_ = true;
  }
  lastAccepted_ = input_;
  return d;
}

void CUTEdit::Refresh(int caret) {
  if (caret >= 0) {
    // The caret may stand in front of a separator: typing goes there.
    int p = InInputRange(caret) ? caret : NextInputPosition(caret);
    SetSel(p, p);
  } else {
    SetSel(selStart_, selEnd_);
  }
}

bool CUTEdit::SetInputText(const std::string& text, int index) {
  if (index < 0 || index > int(input_.size())) return false;
  if (insert_)
    input_.insert(size_t(index), text);
  else
    input_.replace(size_t(index), std::min(text.size(), input_.size() - index), text);
  Validate();
  Refresh(-1);
  if (refused_) {
    OnInvalidInput();
    return false;
  }
  return true;
}

void CUTEdit::EmptyData(bool inputOnly) {
  if (inputOnly)
    input_.clear();
  else
    ClearAll();
  Refresh(int(prefix_.size()));
}

void CUTEdit::SetWindowText(const std::string& text) {
  input_.clear();
  bool ins = insert_;
  insert_ = true;  // taking in a whole text never overwrites
  SetInputText(text, 0);
  insert_ = ins;
  Refresh(InputEnd());
}

int CUTEdit::BaseInsert(int pos, char ch) {
  if (!InInputRange(pos)) pos = NextInputPosition(pos + 1);
  input_.insert(input_.begin() + (pos - int(prefix_.size())), ch);
  int d = Validate();
  Refresh(-1);
  return refused_ ? -1 : pos + d;
}

int CUTEdit::BaseReplace(int pos, char ch) {
  if (!IsInputPosition(pos)) {
    int p = NextInputPosition(pos + 1);
    if (!IsInputPosition(p)) return -1;  // overwrite never lengthens the input
    pos = p;
  }
  input_[size_t(pos - int(prefix_.size()))] = ch;
  int d = Validate();
  Refresh(-1);
  return refused_ ? -1 : pos + d;
}

int CUTEdit::InsertChar(int pos, char ch) { return BaseInsert(pos, ch); }
int CUTEdit::ReplaceChar(int pos, char ch) { return BaseReplace(pos, ch); }

int CUTEdit::BaseDeleteRange(int* start, int* end) {
  if (*start >= *end) return 0;
  int n = 0;
  for (int p = *end - 1; p >= *start; --p) {
    if (IsInputPosition(p)) {
      input_.erase(size_t(p - int(prefix_.size())), 1);
      ++n;
    }
  }
  if (n) Refresh(-1);
  return n;
}

int CUTEdit::DeleteRange(int* start, int* end, bool) {
  return BaseDeleteRange(start, end);
}

void CUTEdit::Char(char ch) {
  if (ch == 8) {
    Backspace();
    return;
  }
  if (static_cast<unsigned char>(ch) < 32) return;
  int start = selStart_, end = selEnd_;
  if (start != end) {
    if (DeleteRange(&start, &end, true) == 0) {
      OnInvalidInput();
      Refresh(start);
      return;
    }
    Refresh(start);
    Char(ch);  // typed into the now empty selection
    return;
  }
  if (!InInputRange(start)) {
    OnInvalidInput();
    Refresh(start);
    return;
  }
  int r = insert_ ? InsertChar(start, ch) : ReplaceChar(start, ch);
  if (r < 0) {
    OnInvalidInput();
    SetSel(start, start);
  } else {
    Refresh(r + 1);
  }
}

void CUTEdit::Backspace() {
  if (selStart_ == selEnd_) {
    for (int p = selStart_ - 1; p >= 0; --p) {
      int s = p, e = p + 1;
      if (DeleteRange(&s, &e, false)) {
        SetSel(s, s);
        return;
      }
    }
    return;
  }
  int s = selStart_, e = selEnd_;
  for (;;) {
    int a = s, b = e;
    if (DeleteRange(&a, &b, false)) {
      SetSel(a, a);
      return;
    }
    if (s == 0) return;
    --s;
    --e;
  }
}

void CUTEdit::Key(UTEditKey key, bool shift) {
  int len = int(GetFullText().size());
  switch (key) {
    case UTEditKey::Delete: {
      if (shift) return;  // the adapter cuts
      int s = selStart_, e = selStart_ == selEnd_ ? selStart_ + 1 : selEnd_;
      while (e <= InputEnd()) {
        int a = s, b = e;
        if (DeleteRange(&a, &b, false)) {
          SetSel(a, a);
          return;
        }
        ++s;
        ++e;
      }
      return;
    }
    case UTEditKey::Home:
      if (shift) SetSel(0, selEnd_); else Refresh(0);
      return;
    case UTEditKey::End:
      if (shift) {
        SetSel(selStart_, len);
      } else {
        int p = PrevInputPosition(len);
        SetSel(p, p);
      }
      return;
    case UTEditKey::Left: {
      if (shift) {
        SetSel(std::max(selStart_ - 1, 0), selEnd_);
        return;
      }
      int q = std::max(selStart_ == selEnd_ ? selStart_ - 1 : selStart_, 0);
      int p = InInputRange(q) ? q : PrevInputPosition(q);
      SetSel(p, p);
      return;
    }
    case UTEditKey::Right: {
      if (shift) {
        SetSel(selStart_, selEnd_ + 1);
        return;
      }
      Refresh(std::min(selStart_ == selEnd_ ? selEnd_ + 1 : selEnd_, len));
      return;
    }
    case UTEditKey::Insert:
      if (!shift) insert_ = !insert_;
      return;
  }
}

void CUTEdit::Paste(const std::string& clip) {
  int start = selStart_;
  std::string full = GetFullText();
  full.replace(size_t(selStart_), size_t(selEnd_ - selStart_), clip);
  // The pasted text may carry the literals again; they are not input.
  if (!prefix_.empty() && full.compare(0, prefix_.size(), prefix_) == 0) full.erase(0, prefix_.size());
  if (!suffix_.empty() && full.size() >= suffix_.size() &&
      full.compare(full.size() - suffix_.size(), suffix_.size(), suffix_) == 0)
    full.erase(full.size() - suffix_.size());
  std::string before = input_;
  EmptyData(true);
  bool ins = insert_;
  insert_ = true;
  if (!SetInputText(full, 0) && input_.empty()) input_ = before;
  insert_ = ins;
  Refresh(start + int(clip.size()));
}

void CUTEdit::Cut() {
  int s = selStart_, e = selEnd_;
  DeleteRange(&s, &e, false);
  Refresh(selStart_);
}

// ---------------------------------------------------------------------------

CUTNumericEdit::CUTNumericEdit() = default;

int CUTNumericEdit::SeparatorPos() const {
  size_t k = input_.find(decSep_);
  return k == std::string::npos ? -1 : int(prefix_.size() + k);
}

bool CUTNumericEdit::IsInputPosition(int pos) const {
  if (!CUTEdit::IsInputPosition(pos)) return false;
  char c = input_[size_t(pos - int(prefix_.size()))];
  return c != decSep_ && !(groupSize_ > 0 && c == groupSep_);
}

std::string CUTNumericEdit::GetInputText() const {
  if (groupSize_ <= 0) return input_;
  std::string s;
  for (char c : input_)
    if (c != groupSep_) s += c;
  return s;
}

void CUTNumericEdit::ClearAll() {
  CUTEdit::ClearAll();
  value_ = 0;
}

void CUTNumericEdit::SetWindowText(const std::string& text) {
  // The editor is reused from cell to cell: a sign left from the last cell
  // must not stick to a positive text.
  negative_ = false;
  CUTEdit::SetWindowText(text);
  SetNegative(negative_);
}

int CUTNumericEdit::FormatInput() {
  int oldLen = int(input_.size());
  std::string out;
  bool minus = false, sepKept = false;
  for (int i = oldLen - 1; i >= 0; --i) {
    char c = input_[size_t(i)];
    if (IsDigit(c)) {
      out.insert(out.begin(), c);
    } else if (c == decSep_ && !sepKept) {
      out.insert(out.begin(), c);
      sepKept = true;
    } else if (c == '-' && i == 0) {
      minus = true;
    }
  }
  size_t sp = out.find(decSep_);
  int intDigits = int(sp == std::string::npos ? out.size() : sp);
  while (!out.empty() && out[0] == '0' && intDigits >= 2) {
    out.erase(0, 1);
    --intDigits;
  }
  sp = out.find(decSep_);
  int frac = sp == std::string::npos ? 0 : int(out.size() - sp - 1);
  if (frac > decimals_) {
    // Extra decimals are rounded half up, carrying into the integer part.
    bool up = out[sp + 1 + size_t(decimals_)] >= '5';
    out.erase(sp + 1 + size_t(decimals_));
    for (int i = int(out.size()) - 1; up && i >= 0; --i) {
      if (out[size_t(i)] == decSep_) continue;
      if (out[size_t(i)] == '9') {
        out[size_t(i)] = '0';
      } else {
        ++out[size_t(i)];
        up = false;
      }
    }
    if (up) {
      out.insert(out.begin(), '1');
      ++intDigits;
    }
  }
  if (maxInt_ != -1 && intDigits > maxInt_ && !(out.size() && out[0] == '0')) {
    // Too many integer digits: refuse the change, never cut digits off.
    input_ = lastAccepted_;
    refused_ = true;
    return 0;
  }
  sp = out.find(decSep_);
  if (decimals_ > 0) {
    if (sp == std::string::npos) {
      out += decSep_;
      sp = out.size() - 1;
    }
    while (int(out.size() - sp - 1) < decimals_) out += '0';
    if (intDigits == 0 && leadingZero_) out.insert(out.begin(), '0');
    if (intDigits == 1 && out[0] == '0' && !leadingZero_) out.erase(0, 1);
  } else {
    if (sp != std::string::npos) out.erase(sp, 1);
    if (intDigits == 0 && leadingZero_) out.insert(out.begin(), '0');
  }
  if (groupSize_ >= 1) {
    sp = out.find(decSep_);
    int end = int(sp == std::string::npos ? out.size() : sp);
    for (int p = end - groupSize_; p > 0; p -= groupSize_) out.insert(size_t(p), 1, groupSep_);
  }
  input_ = out;
  int d = int(input_.size()) - oldLen;
  d += SetNegative(minus ? true : negative_);
  std::string canon = GetCanonicalText();
  value_ = canon.empty() ? 0 : std::strtod(canon.c_str(), nullptr);
  return d;
}

int CUTNumericEdit::SetNegative(bool negative) {
  negative_ = negative;
  size_t k = mask_.find('#');
  std::string mp = k == std::string::npos ? "" : mask_.substr(0, k);
  std::string ms = k == std::string::npos ? "" : mask_.substr(k + 1);
  int oldLen = int(prefix_.size());
  const std::string& f = negative ? negFormat_ : posFormat_;
  size_t n = f.find("1.1");
  prefix_ = mp + (n == std::string::npos ? "" : f.substr(0, n));
  suffix_ = (n == std::string::npos ? "" : f.substr(n + 3)) + ms;
  OnLiteralsBuilt();
  Refresh(-1);
  if ((negative && value_ > 0) || (!negative && value_ < 0)) value_ = -value_;
  return int(prefix_.size()) - oldLen;
}

std::string CUTNumericEdit::GetCanonicalText() const {
  std::string s;
  bool any = false;
  for (char c : GetInputText()) {
    if (c == decSep_) {
      s += '.';
    } else if (IsDigit(c)) {
      s += c;
      any = true;
    }
  }
  if (!any) return s.empty() ? s : "0";
  if (s[0] == '.') s.insert(s.begin(), '0');
  if (s.back() == '.') s.pop_back();
  if (negative_) s.insert(s.begin(), '-');
  return s;
}

int CUTNumericEdit::DeleteRange(int* start, int* end, bool noFormat) {
  int sp = SeparatorPos();
  int n = 0;
  if (sp >= 0 && *start <= sp && sp <= *end) {
    int a = sp + 1, b = *end;
    n += BaseDeleteRange(&a, &b);
    int c = *start, e = sp;
    n += BaseDeleteRange(&c, &e);
    if (n) Validate();
  } else {
    n = BaseDeleteRange(start, end);
    if (n && !noFormat) Validate();
  }
  Refresh(-1);
  return n;
}

int CUTNumericEdit::ProcessChar(int pos, char ch, bool overwrite) {
  bool sepChar = ch == decSep_ || ch == '.';
  if (!IsDigit(ch) && !sepChar && ch != '-') return -1;
  if (ch == '-') return pos - 1 + SetNegative(!negative_);
  if (sepChar) {
    if (decimals_ == 0) return -1;
    if (SeparatorPos() < 0) {
      input_ += decSep_;
      Validate();
      Refresh(-1);
    }
    return SeparatorPos();
  }
  int first = int(prefix_.size());
  if (pos == first && !input_.empty()) {
    if (ch == '0' && input_[0] != decSep_) {
      if (!overwrite) return -1;
      input_.erase(0, 1);
      Validate();
      Refresh(-1);
      return (!input_.empty() && (input_[0] == '0' || input_[0] == decSep_)) ? pos : -1;
    }
    if (ch != '0') {
      if (overwrite) return input_[0] == decSep_ ? BaseInsert(pos, ch) : BaseReplace(pos, ch);
      if (input_[0] == '0') return BaseReplace(pos, ch);
    }
  }
  if (overwrite) return BaseReplace(pos, ch);
  int sp = SeparatorPos();
  int intDigits = 0, fracDigits = 0;
  for (size_t i = 0; i < input_.size(); ++i) {
    if (!IsDigit(input_[i])) continue;
    if (sp >= 0 && int(i + prefix_.size()) > sp)
      ++fracDigits;
    else
      ++intDigits;
  }
  if (sp < 0 && intDigits == 1 && input_ == "0") return BaseReplace(pos - 1, ch);
  if (sp >= 0 && pos > sp) return fracDigits < decimals_ ? BaseInsert(pos, ch) : BaseReplace(pos, ch);
  return (maxInt_ == -1 || intDigits < maxInt_) ? BaseInsert(pos, ch) : BaseReplace(pos, ch);
}

void CUTNumericEdit::Reformat() {
  std::string t = GetInputText();
  EmptyData(true);
  bool ins = insert_;
  insert_ = true;
  SetInputText(t, 0);
  insert_ = ins;
}

bool CUTNumericEdit::SetGroupSize(int n) {
  if (n < 0) return false;
  if (n == groupSize_) return true;
  std::string t = GetInputText();
  groupSize_ = n;
  input_ = t;
  Reformat();
  return true;
}

bool CUTNumericEdit::SetDecimalSeparator(char c) {
  if (IsDigit(c) || c == '-' || c == groupSep_ || c == 0) return false;
  size_t k = input_.find(decSep_);
  if (k != std::string::npos) input_[k] = c;
  decSep_ = c;
  lastAccepted_ = input_;
  return true;
}

bool CUTNumericEdit::SetGroupSeparator(char c) {
  if (IsDigit(c) || c == '-' || c == decSep_ || c == 0) return false;
  if (c == groupSep_) return true;
  std::string t = GetInputText();
  groupSep_ = c;
  input_ = t;
  Reformat();
  return true;
}

void CUTNumericEdit::SetLeadingZero(bool on) {
  if (on == leadingZero_) return;
  leadingZero_ = on;
  Reformat();
}

bool CUTNumericEdit::SetDecimalPlaces(int n) {
  if (n < 0) return false;
  if (n == decimals_) return true;
  decimals_ = n;
  Reformat();
  return true;
}

bool CUTNumericEdit::SetMaxIntegerDigits(int n) {
  if (n < -1) return false;
  if (n == maxInt_) return true;
  maxInt_ = n;
  Reformat();
  return true;
}

bool CUTNumericEdit::SetPositiveFormat(const std::string& f) {
  if (f.find("1.1") == std::string::npos) return false;
  posFormat_ = f;
  SetNegative(negative_);
  return true;
}

bool CUTNumericEdit::SetNegativeFormat(const std::string& f) {
  if (f.find("1.1") == std::string::npos) return false;
  negFormat_ = f;
  SetNegative(negative_);
  return true;
}

bool CUTNumericEdit::SetValue(double v) {
  if (!std::isfinite(v)) return false;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals_, std::fabs(v));
  std::string t = buf;
  size_t k = t.find('.');
  if (k != std::string::npos) t[k] = decSep_;
  bool negative = !(v >= 0);
  EmptyData(true);
  bool ins = insert_;
  insert_ = true;
  SetInputText(t, 0);
  insert_ = ins;
  SetNegative(negative);
  value_ = v;
  return true;
}

}  // namespace gridmodel

#include "gridmodel/ug_maskedit.h"

#include <algorithm>
#include <cctype>

namespace gridmodel {

namespace {
bool IsMaskChar(char c) { return std::string_view("09#L?Aa&C").find(c) != std::string_view::npos; }
}  // namespace

bool CUGMaskEdit::Fits(char m, char ch) {
  const unsigned char u = static_cast<unsigned char>(ch);
  const bool digit = std::isdigit(u), alpha = std::isalpha(u), space = ch == ' ';
  switch (m) {
    case '0': return digit;
    case '9': return digit || space;
    case '#': return digit || space || ch == '+' || ch == '-';
    case 'L': return alpha;
    case '?': return alpha || space;
    case 'A': return alpha || digit;
    case 'a': return alpha || digit || space;
    case '&':
    case 'C': return std::isprint(u) != 0;
    default: return true;
  }
}

void CUGMaskEdit::SetMask(const std::string& mask) {
  mask_ = mask;
  pattern_.clear();
  literals_.clear();
  active_ = !mask.empty();
  for (std::size_t i = 0; i < mask.size(); ++i) {
    char c = mask[i];
    if (c == '\\' && i + 1 < mask.size()) {
      pattern_ += kLiteral;
      literals_ += mask[++i];
    } else if (IsMaskChar(c)) {
      pattern_ += c;
      literals_ += kLiteral;
    } else {
      pattern_ += kLiteral;
      literals_ += c;
    }
  }
  if (active_ && !text_.empty()) SetText(ApplyMask(text_));
}

std::string CUGMaskEdit::ApplyMask(const std::string& text) const {
  if (!active_) return text;
  std::string out;
  std::size_t t = 0;
  for (std::size_t p = 0; p < pattern_.size() && t < text.size(); ++p) {
    if (pattern_[p] == kLiteral) {
      out += literals_[p];
      // A typed literal that matches the template's stands for it.
      if (text[t] == literals_[p]) ++t;
      continue;
    }
    while (t < text.size() && !Fits(pattern_[p], text[t])) ++t;
    if (t >= text.size()) break;
    out += text[t++];
  }
  return out;
}

void CUGMaskEdit::SetText(const std::string& text) {
  text_ = text;
  selStart_ = selEnd_ = static_cast<int>(text_.size());
}

void CUGMaskEdit::SetSel(int start, int end) {
  const int n = static_cast<int>(text_.size());
  selStart_ = std::clamp(std::min(start, end), 0, n);
  selEnd_ = std::clamp(std::max(start, end), 0, n);
}

void CUGMaskEdit::DeleteSelection() {
  text_.erase(selStart_, selEnd_ - selStart_);
  selEnd_ = selStart_;
}

bool CUGMaskEdit::Char(char ch) {
  DeleteSelection();
  if (!active_ || !std::isprint(static_cast<unsigned char>(ch))) {
    text_.insert(text_.begin() + selStart_, ch);
    selEnd_ = ++selStart_;
    return true;
  }
  int p = selStart_;
  if (p >= static_cast<int>(pattern_.size())) return false;
  if (pattern_[p] == kLiteral && literals_[p] != ch) {
    // The literal at the caret is typed first; only one.
    text_.insert(text_.begin() + p, literals_[p]);
    ++p;
    selStart_ = selEnd_ = p;
  }
  if (p < static_cast<int>(pattern_.size()) && pattern_[p] != kLiteral && !Fits(pattern_[p], ch)) return false;
  if (Limit() > 0 && static_cast<int>(text_.size()) >= Limit()) return false;
  text_.insert(text_.begin() + p, ch);
  selStart_ = selEnd_ = p + 1;
  return true;
}

void CUGMaskEdit::Backspace() {
  if (selStart_ == selEnd_ && selStart_ > 0) --selStart_;
  DeleteSelection();
}

void CUGMaskEdit::Delete() {
  if (selStart_ == selEnd_ && selEnd_ < static_cast<int>(text_.size())) ++selEnd_;
  DeleteSelection();
}

void CUGMaskEdit::Paste(const std::string& clip) {
  DeleteSelection();
  std::string merged = text_.substr(0, selStart_) + clip;
  const std::string tail = text_.substr(selStart_);
  const std::string head = ApplyMask(merged);
  text_ = ApplyMask(merged + tail);
  selStart_ = selEnd_ = static_cast<int>(std::min(head.size(), text_.size()));
}

}  // namespace gridmodel

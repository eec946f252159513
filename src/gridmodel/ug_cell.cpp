#include "gridmodel/ug_cell.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/date_time.h"
#include "platform/numbers.h"

namespace gridmodel {

struct CUGCell::Extra {
  std::string label;
  std::string mask;
  UGPen pen;
  std::vector<unsigned char> block;
  std::unique_ptr<CUGCell> initial;

  Extra() = default;
  Extra(const Extra& o) : label(o.label), mask(o.mask), pen(o.pen), block(o.block) {
    if (o.initial) initial = std::make_unique<CUGCell>(*o.initial);
  }
};

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool IsValueType(short t) { return t == UGCELLDATA_NUMBER || t == UGCELLDATA_TIME || t == UGCELLDATA_CURRENCY; }

// Reads a number from the start of the text as strtod would (leading blanks and '+' allowed).
bool ReadPrefix(std::string_view s, double* out) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (i < s.size() && s[i] == '+') ++i;
  double v = 0.0;
  auto r = std::from_chars(s.data() + i, s.data() + s.size(), v);
  if (r.ec != std::errc()) return false;
  *out = v;
  return true;
}

std::string StripSeparators(const std::string& text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (c != ',' && c != '$') s += c;
  return s;
}

// Leading zero, thousands grouped by ',' and exactly fracDigits digits after the '.'.
std::string Localize(const std::string& text, int fracDigits) {
  std::size_t i = 0;
  std::string sign;
  if (i < text.size() && text[i] == '-') {
    sign = "-";
    ++i;
  }
  std::size_t dot = text.find('.', i);
  std::string intPart = text.substr(i, dot == std::string::npos ? std::string::npos : dot - i);
  std::string frac = dot == std::string::npos ? std::string() : text.substr(dot + 1);
  if (intPart.empty()) intPart = "0";
  std::string grouped;
  const std::size_t n = intPart.size();
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0 && (n - k) % 3 == 0) grouped += ',';
    grouped += intPart[k];
  }
  if (fracDigits > 0) {
    frac.resize(static_cast<std::size_t>(fracDigits), '0');
    return sign + grouped + "." + frac;
  }
  return sign + grouped;
}
}  // namespace

CUGCell::CUGCell() { ClearProperties(); }
CUGCell::CUGCell(const CUGCell& o)
    : flags_(o.flags_), dataType_(o.dataType_), useThemes_(o.useThemes_), readOnly_(o.readOnly_),
      number_(o.number_), text_(o.text_), joinOrigin_(o.joinOrigin_), borderStyle_(o.borderStyle_),
      alignment_(o.alignment_), decimals_(o.decimals_), cellType_(o.cellType_), font_(o.font_), bitmap_(o.bitmap_),
      xpStyle_(o.xpStyle_), joinCol_(o.joinCol_), joinRow_(o.joinRow_), param_(o.param_),
      cellTypeParam_(o.cellTypeParam_), textColor_(o.textColor_), backColor_(o.backColor_),
      hTextColor_(o.hTextColor_), hBackColor_(o.hBackColor_), formatter_(o.formatter_), styleCell_(o.styleCell_),
      extra_(o.extra_ ? std::make_unique<Extra>(*o.extra_) : nullptr) {}
CUGCell& CUGCell::operator=(const CUGCell& o) {
  if (this != &o) {
    CUGCell tmp(o);
    *this = std::move(tmp);
  }
  return *this;
}
CUGCell::~CUGCell() = default;
CUGCell::CUGCell(CUGCell&&) noexcept = default;
CUGCell& CUGCell::operator=(CUGCell&&) noexcept = default;

CUGCell::Extra& CUGCell::Ext() {
  if (!extra_) extra_ = std::make_unique<Extra>();
  return *extra_;
}

void CUGCell::ResetToDefaults() {
  flags_ = UGCELL_CLEARED_FLAGS;
  text_.clear();
  if (extra_) {
    extra_->label.clear();
    extra_->mask.clear();
    extra_->initial.reset();
  }
  param_ = -1;
  formatter_ = nullptr;
  styleCell_ = nullptr;
  number_ = 0.0;
  decimals_ = 0;
  dataType_ = UGCELLDATA_STRING;
  readOnly_ = false;
  textColor_ = Colour::System(SysColour::WindowText);
  backColor_ = Colour::System(SysColour::Window);
  hTextColor_ = Colour::System(SysColour::HighlightText);
  hBackColor_ = Colour::System(SysColour::Highlight);
  alignment_ = 1;
  xpStyle_ = UGXP_CELL;
}

void CUGCell::ClearProperties() {
  ResetToDefaults();
  if (extra_) extra_->pen = UGPen();
  cellType_ = -1;
  cellTypeParam_ = -1;
  borderStyle_ = 0;
  font_ = -1;
  bitmap_ = -1;
  joinOrigin_ = false;
  joinCol_ = -1;
  joinRow_ = -1;
}

void CUGCell::ReleaseOwned() {
  if (!extra_) return;
  extra_->initial.reset();
  extra_->block.clear();
  extra_->block.shrink_to_fit();
  flags_ &= ~UGCELL_EXTRAMEMORY_SET;
}

void CUGCell::Copy(const CUGCell& s, CUGCell& d) {
  d.useThemes_ = s.useThemes_;
  d.flags_ |= s.flags_;
  const std::uint32_t f = s.flags_;
  if (f & UGCELL_TEXT_SET) {
    d.text_ = s.text_;
    d.number_ = s.number_;
  }
  if (f & UGCELL_FORMAT_SET) d.formatter_ = s.formatter_;
  if (f & UGCELL_STYLE_SET) d.styleCell_ = s.styleCell_;
  if (f & UGCELL_DATATYPE_SET) d.dataType_ = s.dataType_;
  if (f & UGCELL_PARAM_SET) d.param_ = s.param_;
  if (f & UGCELL_CELLTYPE_SET) d.cellType_ = s.cellType_;
  if (f & UGCELL_CELLTYPEEX_SET) d.cellTypeParam_ = s.cellTypeParam_;
  if (f & UGCELL_TEXTCOLOR_SET) d.textColor_ = s.textColor_;
  if (f & UGCELL_BACKCOLOR_SET) d.backColor_ = s.backColor_;
  if (f & UGCELL_HTEXTCOLOR_SET) d.hTextColor_ = s.hTextColor_;
  if (f & UGCELL_HBACKCOLOR_SET) d.hBackColor_ = s.hBackColor_;
  if (f & UGCELL_BORDERSTYLE_SET) d.borderStyle_ = s.borderStyle_;
  if (f & UGCELL_FONT_SET) d.font_ = s.font_;
  if (f & UGCELL_BITMAP_SET) d.bitmap_ = s.bitmap_;
  if (f & UGCELL_ALIGNMENT_SET) d.alignment_ = s.alignment_;
  if (f & UGCELL_XPSTYLE_SET) d.xpStyle_ = s.xpStyle_;
  if (f & UGCELL_JOIN_SET) {
    d.joinOrigin_ = s.joinOrigin_;
    d.joinCol_ = s.joinCol_;
    d.joinRow_ = s.joinRow_;
  }
  if (f & UGCELL_NUMBERDEC_SET) d.decimals_ = s.decimals_;
  if (f & UGCELL_READONLY_SET) d.readOnly_ = s.readOnly_;
  const Extra* se = s.ExtOrNull();
  if (!se && !d.extra_) return;  // the common case: plain values only
  if (f & (UGCELL_MASK_SET | UGCELL_LABEL_SET | UGCELL_BORDER_SET)) {
    static const Extra kEmpty;
    const Extra& from = se ? *se : kEmpty;
    Extra& de = d.Ext();
    if (f & UGCELL_MASK_SET) de.mask = from.mask;
    if (f & UGCELL_LABEL_SET) de.label = from.label;
    if (f & UGCELL_BORDER_SET) de.pen = from.pen;
  }
  // Owned blocks are copied, never shared, so each cell frees only its own.
  if ((f & UGCELL_EXTRAMEMORY_SET) && se)
    d.Ext().block = se->block;
  else if (d.extra_)
    d.extra_->block.clear();
  if (se && se->initial)
    d.Ext().initial = std::make_unique<CUGCell>(*se->initial);
  else if (d.extra_)
    d.extra_->initial.reset();
}

void CUGCell::CopyInfoTo(CUGCell* dst) const {
  if (!dst || dst == this) return;
  dst->flags_ = flags_;
  Copy(*this, *dst);
}
void CUGCell::CopyInfoFrom(const CUGCell* src) {
  if (src) src->CopyInfoTo(this);
}
void CUGCell::MergeInto(CUGCell* dst) const {
  if (dst && dst != this) Copy(*this, *dst);
}
void CUGCell::MergeFrom(const CUGCell* src) {
  if (src) src->MergeInto(this);
}
void CUGCell::CopyProperties(const CUGCell* src, CUGCell* dst) {
  if (src) src->CopyInfoTo(dst);
}

void CUGCell::StoreInitialState() {
  auto copy = std::make_unique<CUGCell>();
  CopyInfoTo(copy.get());
  if (copy->extra_) copy->extra_->initial.reset();
  Ext().initial = std::move(copy);
}

void CUGCell::RestoreInitialState() {
  if (!extra_ || !extra_->initial) return;
  std::unique_ptr<CUGCell> keep = std::move(extra_->initial);
  keep->CopyInfoTo(this);
  Ext().initial = std::move(keep);
}

bool CUGCell::HasInitialState() const { return extra_ && extra_->initial; }

void CUGCell::ClearPropertyFlag(std::uint32_t flag) { flags_ &= ~flag; }

int CUGCell::SetText(std::string_view text) {
  text_.assign(text);
  dataType_ = UGCELLDATA_STRING;
  if (text.empty())
    flags_ &= ~UGCELL_TEXT_SET;
  else
    flags_ |= UGCELL_TEXT_SET | UGCELL_DATATYPE_SET;
  return 0;
}

const char* CUGCell::GetText() {
  if (!(flags_ & UGCELL_TEXT_SET)) return nullptr;
  if (dataType_ == UGCELLDATA_NUMBER)
    text_ = FormatNumber(number_, (flags_ & UGCELL_NUMBERDEC_SET) ? decimals_ : -1,
                         !(flags_ & UGCELL_DONOT_LOCALIZE));
  return text_.c_str();
}

int CUGCell::GetText(std::string* out) {
  const char* t = GetText();
  if (!t) return 1;
  if (out) *out = t;
  return 0;
}

int CUGCell::AppendText(std::string_view text) {
  if (!(flags_ & UGCELL_TEXT_SET)) return 1;
  text_.append(text);
  flags_ |= UGCELL_TEXT_SET | UGCELL_DATATYPE_SET;
  dataType_ = UGCELLDATA_STRING;
  return 0;
}

int CUGCell::GetTextLength() const { return (flags_ & UGCELL_TEXT_SET) ? static_cast<int>(text_.size()) : 0; }

int CUGCell::SetNumber(double number) {
  number_ = number;
  text_.clear();
  dataType_ = UGCELLDATA_NUMBER;
  flags_ |= UGCELL_TEXT_SET | UGCELL_DATATYPE_SET;
  return 0;
}

double CUGCell::TextNumber() const {
  double v = 0.0;
  TextToNumber(text_, &v);
  return v;
}
int CUGCell::GetNumber(int* out) const {
  if (!(flags_ & UGCELL_TEXT_SET)) return 1;
  double v = GetNumber();
  *out = std::isfinite(v) ? static_cast<int>(std::clamp(v, -2147483648.0, 2147483647.0)) : 0;
  return 0;
}
int CUGCell::GetNumber(long* out) const {
  if (!(flags_ & UGCELL_TEXT_SET)) return 1;
  double v = GetNumber();
  *out = std::isfinite(v) ? static_cast<long>(std::clamp(v, -9.2e18, 9.2e18)) : 0;
  return 0;
}
int CUGCell::GetNumber(float* out) const {
  if (!(flags_ & UGCELL_TEXT_SET)) return 1;
  *out = static_cast<float>(GetNumber());
  return 0;
}
int CUGCell::GetNumber(double* out) const {
  if (!(flags_ & UGCELL_TEXT_SET)) return 1;
  *out = GetNumber();
  return 0;
}

int CUGCell::SetBool(bool value) {
  text_ = value ? "1" : "0";
  dataType_ = UGCELLDATA_BOOL;
  flags_ |= UGCELL_TEXT_SET | UGCELL_DATATYPE_SET;
  return 0;
}

bool CUGCell::GetBool() const {
  if (!(flags_ & UGCELL_TEXT_SET)) return false;
  if (GetNumber() > 0) return true;
  return !text_.empty() && (text_[0] == 'T' || text_[0] == 't');
}

int CUGCell::SetDecimals(int n) {
  decimals_ = n;
  flags_ |= UGCELL_NUMBERDEC_SET;
  return 0;
}
int CUGCell::GetDecimals() const { return (flags_ & UGCELL_NUMBERDEC_SET) ? decimals_ : 0; }

int CUGCell::SetDataType(short type) {
  if (type == dataType_ && (flags_ & UGCELL_DATATYPE_SET)) return 0;
  const bool hasValue = flags_ & UGCELL_TEXT_SET;
  if (hasValue && type == UGCELLDATA_NUMBER) {
    std::string shown = GetText() ? GetText() : "";
    double v = 0.0;
    TextToNumber(shown, &v);
    number_ = v;
    text_.clear();
  } else if (hasValue && type == UGCELLDATA_TIME) {
    platform::OleDateTime dt;
    std::string shown = GetText() ? GetText() : "";
    // A text that is no date leaves the cell without a date value rather than a wrong one.
    number_ = dt.ParseDateTime(shown) ? dt.Days() : kNaN;
  } else if (hasValue && type == UGCELLDATA_CURRENCY) {
    if (dataType_ == UGCELLDATA_NUMBER) {
      text_ = platform::FormatC("%.2f", number_);
    } else {
      std::string shown = GetText() ? GetText() : "";
      auto v = platform::ParseDouble(StripSeparators(shown));
      // Currency keeps four decimal places of the unit.
      number_ = v ? std::round(*v * 10000.0) / 10000.0 : kNaN;
    }
  }
  dataType_ = type;
  flags_ |= UGCELL_DATATYPE_SET;
  return 0;
}


bool CUGCell::IsValueValid() const { return !(IsValueType(dataType_) && std::isnan(number_)); }

int CUGCell::SetDateTime(int second, int minute, int hour, int day, int month, int year) {
  platform::OleDateTime dt(year, month, day, hour, minute, second);
  if (dt.IsValid()) {
    SetText(dt.Format());
    number_ = dt.Days();
  } else {
    SetText("Invalid DateTime");
    number_ = kNaN;
  }
  dataType_ = UGCELLDATA_TIME;
  flags_ |= UGCELL_TEXT_SET | UGCELL_DATATYPE_SET;
  return 0;
}

int CUGCell::GetDateTime(int* second, int* minute, int* hour, int* day, int* month, int* year) const {
  platform::OleDateTime dt = platform::OleDateTime::Invalid();
  if (flags_ & UGCELL_TEXT_SET) {
    if (dataType_ == UGCELLDATA_TIME) {
      if (!std::isnan(number_)) dt = platform::OleDateTime(number_);
    } else {
      dt.ParseDateTime(text_);
    }
  }
  *second = dt.GetSecond();
  *minute = dt.GetMinute();
  *hour = dt.GetHour();
  *day = dt.GetDay();
  *month = dt.GetMonth();
  *year = dt.GetYear();
  return 0;
}

int CUGCell::SetMask(std::string_view mask) {
  Ext().mask.assign(mask);
  flags_ |= UGCELL_MASK_SET;
  return 0;
}
const char* CUGCell::GetMask() const { return (flags_ & UGCELL_MASK_SET) && extra_ ? extra_->mask.c_str() : nullptr; }
int CUGCell::GetMask(std::string* out) const {
  const char* m = GetMask();
  if (!m) return 1;
  *out = m;
  return 0;
}
int CUGCell::SetLabelText(std::string_view text) {
  Ext().label.assign(text);
  flags_ |= UGCELL_LABEL_SET;
  return 0;
}
const char* CUGCell::GetLabelText() const {
  return (flags_ & UGCELL_LABEL_SET) && extra_ ? extra_->label.c_str() : nullptr;
}
int CUGCell::GetLabelText(std::string* out) const {
  const char* l = GetLabelText();
  if (!l) return 1;
  *out = l;
  return 0;
}

#define UG_COLOUR_PROPERTY(Name, member, flag, sys) \
  int CUGCell::Set##Name(Colour c) {                \
    member = c;                                     \
    flags_ |= flag;                                 \
    return 0;                                       \
  }                                                 \
  Colour CUGCell::Get##Name() const { return (flags_ & flag) ? member : Colour::System(SysColour::sys); }
UG_COLOUR_PROPERTY(TextColor, textColor_, UGCELL_TEXTCOLOR_SET, WindowText)
UG_COLOUR_PROPERTY(BackColor, backColor_, UGCELL_BACKCOLOR_SET, Window)
UG_COLOUR_PROPERTY(HighlightTextColor, hTextColor_, UGCELL_HTEXTCOLOR_SET, HighlightText)
UG_COLOUR_PROPERTY(HighlightBackColor, hBackColor_, UGCELL_HBACKCOLOR_SET, Highlight)
#undef UG_COLOUR_PROPERTY

int CUGCell::SetAlignment(short a) {
  alignment_ = a;
  flags_ |= UGCELL_ALIGNMENT_SET;
  return 0;
}
short CUGCell::GetAlignment() const { return (flags_ & UGCELL_ALIGNMENT_SET) ? alignment_ : 0; }
int CUGCell::SetBorderStyle(short s) {
  borderStyle_ = s;
  flags_ |= UGCELL_BORDERSTYLE_SET;
  return 0;
}
short CUGCell::GetBorderStyle() const { return (flags_ & UGCELL_BORDERSTYLE_SET) ? borderStyle_ : 0; }
int CUGCell::SetBorderPen(const UGPen& pen) {
  Ext().pen = pen;
  flags_ |= UGCELL_BORDER_SET;
  return 0;
}
const UGPen* CUGCell::GetBorderPen() const { return (flags_ & UGCELL_BORDER_SET) && extra_ ? &extra_->pen : nullptr; }
int CUGCell::SetFont(int fontIndex) {
  font_ = fontIndex;
  flags_ |= UGCELL_FONT_SET;
  return 0;
}
int CUGCell::GetFont() const { return (flags_ & UGCELL_FONT_SET) ? font_ : -1; }
int CUGCell::SetBitmap(int bitmapIndex) {
  bitmap_ = bitmapIndex < 0 ? -1 : bitmapIndex;
  if (bitmapIndex < 0)
    flags_ &= ~UGCELL_BITMAP_SET;
  else
    flags_ |= UGCELL_BITMAP_SET;
  return 0;
}
int CUGCell::GetBitmap() const { return (flags_ & UGCELL_BITMAP_SET) ? bitmap_ : -1; }
int CUGCell::SetReadOnly(bool ro) {
  readOnly_ = ro;
  flags_ |= UGCELL_READONLY_SET;
  return 0;
}
bool CUGCell::IsReadOnly() const { return (flags_ & UGCELL_READONLY_SET) && readOnly_; }
int CUGCell::SetCellType(int id) {
  cellType_ = id;
  flags_ |= UGCELL_CELLTYPE_SET;
  return 0;
}
int CUGCell::GetCellType() const { return (flags_ & UGCELL_CELLTYPE_SET) ? cellType_ : 0; }
int CUGCell::SetCellTypeParam(long param) {
  cellTypeParam_ = param;
  flags_ |= UGCELL_CELLTYPEEX_SET;
  return 0;
}
long CUGCell::GetCellTypeParam() const { return (flags_ & UGCELL_CELLTYPEEX_SET) ? cellTypeParam_ : 0; }
int CUGCell::SetParam(long param) {
  param_ = param;
  flags_ |= UGCELL_PARAM_SET;
  return 0;
}
long CUGCell::GetParam() const { return (flags_ & UGCELL_PARAM_SET) ? param_ : 0; }
int CUGCell::SetJoinSpan(bool origin, int col, long row) {
  joinOrigin_ = origin;
  joinCol_ = col;
  joinRow_ = row;
  flags_ |= UGCELL_JOIN_SET;
  return 0;
}
int CUGCell::GetJoinSpan(bool* origin, int* col, long* row) const {
  if (!(flags_ & UGCELL_JOIN_SET)) return 1;
  *origin = joinOrigin_;
  *col = joinCol_;
  *row = joinRow_;
  return 0;
}
int CUGCell::SetFormatter(CUGCellFormat* f) {
  formatter_ = f;
  if (f)
    flags_ |= UGCELL_FORMAT_SET;
  else
    flags_ &= ~UGCELL_FORMAT_SET;
  return 0;
}
CUGCellFormat* CUGCell::GetFormatter() const { return (flags_ & UGCELL_FORMAT_SET) ? formatter_ : nullptr; }
int CUGCell::SetStyleCell(const CUGCell* style) {
  styleCell_ = style;
  flags_ |= UGCELL_STYLE_SET;
  return 0;
}
const CUGCell* CUGCell::GetStyleCell() const { return (flags_ & UGCELL_STYLE_SET) ? styleCell_ : nullptr; }
int CUGCell::SetXPStyle(int element) {
  xpStyle_ = element;
  flags_ |= UGCELL_XPSTYLE_SET;
  return 0;
}
int CUGCell::GetXPStyle() const { return (flags_ & UGCELL_XPSTYLE_SET) ? xpStyle_ : UGXP_CELL; }

unsigned char* CUGCell::AllocateExtraBlock(int size) {
  if (size <= 0) {
    FreeExtraBlock();
    return nullptr;
  }
  Extra& e = Ext();
  e.block.assign(static_cast<std::size_t>(size), 0);
  flags_ |= UGCELL_EXTRAMEMORY_SET;
  return e.block.data();
}
unsigned char* CUGCell::GetExtraBlock() {
  return (flags_ & UGCELL_EXTRAMEMORY_SET) && extra_ && !extra_->block.empty() ? extra_->block.data() : nullptr;
}
int CUGCell::GetExtraBlockSize() const {
  return (flags_ & UGCELL_EXTRAMEMORY_SET) && extra_ ? static_cast<int>(extra_->block.size()) : 0;
}
int CUGCell::FreeExtraBlock() {
  if (extra_) extra_->block.clear();
  flags_ &= ~UGCELL_EXTRAMEMORY_SET;
  return 0;
}

int CUGCell::TextToNumber(const std::string& text, double* out) {
  double v = 0.0;
  if (!ReadPrefix(StripSeparators(text), &v)) v = 0.0;
  *out = v;
  return 0;
}

int CUGCell::TextToBool(const std::string& text, int* out) {
  *out = !(!text.empty() && (text[0] == '0' || text[0] == 'F' || text[0] == 'f'));
  return 0;
}

int CUGCell::TextToDateTime(const std::string& text, int* second, int* minute, int* hour, int* day, int* month,
                            int* year) {
  platform::OleDateTime dt;
  if (!dt.ParseDateTime(text)) return 1;
  *second = dt.GetSecond();
  *minute = dt.GetMinute();
  *hour = dt.GetHour();
  *day = dt.GetDay();
  *month = dt.GetMonth();
  *year = dt.GetYear();
  return 0;
}

std::string CUGCell::FormatNumber(double number, int decimals, bool localize) {
  std::string s;
  if (!std::isfinite(number)) return std::isnan(number) ? "" : (number > 0 ? "inf" : "-inf");
  if (number == 0.0) number = 0.0;  // no "-0"
  if (decimals >= 0) {
    s = platform::FormatC("%1.*f", std::min(decimals, 40), number);
  } else {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, number, std::chars_format::fixed);
    s.assign(buf, r.ptr);
    if (s.find('.') != std::string::npos)
      while (!s.empty() && s.back() == '0') s.pop_back();
    std::size_t lead = 0;
    while (lead < s.size() && s[lead] == '0') ++lead;
    s.erase(0, lead);
  }
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s.empty() || s == "-") s = "0";
  if (!localize) return s;
  int frac = 0;
  if (decimals >= 0) {
    frac = decimals;
  } else if (std::size_t dot = s.rfind('.'); dot != std::string::npos) {
    frac = static_cast<int>(s.size() - dot - 1);
  }
  return Localize(s, frac);
}

}  // namespace gridmodel

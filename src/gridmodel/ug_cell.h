#pragma once
// The property record of one cell of the cell grid. Each property has a set-flag; a property
// that is not set is absent, so defaults merge under stored cells by copying set properties
// only. Cells are plain values: copies never share anything they own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gridmodel/grid_types.h"

namespace gridmodel {

class CUGCellFormat;

// Property flags.
enum : std::uint32_t {
  UGCELL_TEXT_SET = 0x1,
  UGCELL_MASK_SET = 0x2,
  UGCELL_LABEL_SET = 0x4,
  UGCELL_DATATYPE_SET = 0x8,
  UGCELL_PARAM_SET = 0x10,
  UGCELL_CELLTYPE_SET = 0x20,
  UGCELL_CELLTYPEEX_SET = 0x40,
  UGCELL_TEXTCOLOR_SET = 0x80,
  UGCELL_BACKCOLOR_SET = 0x100,
  UGCELL_HTEXTCOLOR_SET = 0x200,
  UGCELL_HBACKCOLOR_SET = 0x400,
  UGCELL_BORDERSTYLE_SET = 0x800,
  UGCELL_BORDER_SET = 0x1000,
  UGCELL_FONT_SET = 0x2000,
  UGCELL_BITMAP_SET = 0x4000,
  UGCELL_ALIGNMENT_SET = 0x8000,
  UGCELL_EXTRAMEMORY_SET = 0x10000,
  UGCELL_JOIN_SET = 0x20000,
  UGCELL_FORMAT_SET = 0x200000,
  UGCELL_STYLE_SET = 0x800000,
  UGCELL_READONLY_SET = 0x1000000,
  UGCELL_NUMBERDEC_SET = 0x2000000,
  UGCELL_DONOT_LOCALIZE = 0x4000000,
  UGCELL_XPSTYLE_SET = 0x8000000,
  UGCELL_CLEARED_FLAGS = 0x8008788,
};

// Data types.
enum : short { UGCELLDATA_STRING = 1, UGCELLDATA_NUMBER = 2, UGCELLDATA_BOOL = 3, UGCELLDATA_TIME = 4, UGCELLDATA_CURRENCY = 5 };

// Visual-style element codes.
enum : int { UGXP_CELL = 16, UGXP_TOP_HEADING = 32, UGXP_SIDE_HEADING = 64, UGXP_HEADING_DEFAULT = 128 };

// A border pen as a value.
struct UGPen {
  Colour colour;
  int width = 1;
  bool operator==(const UGPen&) const = default;
};

class CUGCell {
 public:
  CUGCell();
  CUGCell(const CUGCell& o);
  CUGCell& operator=(const CUGCell& o);
  CUGCell(CUGCell&&) noexcept;
  CUGCell& operator=(CUGCell&&) noexcept;
  ~CUGCell();

  // Whole-record operations.
  void ClearProperties();
  void ResetToDefaults();
  void ReleaseOwned();
  void CopyInfoTo(CUGCell* dst) const;
  void CopyInfoFrom(const CUGCell* src);
  void MergeInto(CUGCell* dst) const;
  void MergeFrom(const CUGCell* src);
  static void CopyProperties(const CUGCell* src, CUGCell* dst);
  void StoreInitialState();
  void RestoreInitialState();
  bool HasInitialState() const;

  bool HasProperty(std::uint32_t mask) const { return (flags_ & mask) != 0; }
  void ClearPropertyFlag(std::uint32_t flag);
  std::uint32_t GetPropertyFlags() const { return flags_; }
  void SetPropertyFlags(std::uint32_t flags) { flags_ = flags; }

  // Value.
  int SetText(std::string_view text);
  // The shown text, or null without a value; a number cell is formatted first.
  const char* GetText();
  int GetText(std::string* out);
  int AppendText(std::string_view text);
  int GetTextLength() const;
  bool HasValue() const { return flags_ & UGCELL_TEXT_SET; }
  // The text member as stored (a number cell keeps it empty until it is shown).
  const std::string& StoredText() const { return text_; }
  int SetNumber(double number);
  double GetNumber() const {
    if (!(flags_ & UGCELL_TEXT_SET)) return 0.0;
    if (dataType_ == UGCELLDATA_NUMBER || dataType_ == UGCELLDATA_TIME || dataType_ == UGCELLDATA_CURRENCY)
      return number_;
    return TextNumber();
  }
  int GetNumber(int* out) const;
  int GetNumber(long* out) const;
  int GetNumber(float* out) const;
  int GetNumber(double* out) const;
  int SetBool(bool value);
  bool GetBool() const;
  int SetDecimals(int n);
  int GetDecimals() const;
  int SetDataType(short type);
  short GetDataType() const {
    return (flags_ & UGCELL_DATATYPE_SET) ? dataType_ : static_cast<short>(UGCELLDATA_STRING);
  }
  int SetDateTime(int second, int minute, int hour, int day, int month, int year);
  // Parts of the stored date, each -1 when the cell holds no valid date.
  int GetDateTime(int* second, int* minute, int* hour, int* day, int* month, int* year) const;
  // False when a date or currency conversion failed: the cell keeps its text but no value.
  bool IsValueValid() const;

  // Look and behaviour.
  int SetMask(std::string_view mask);
  const char* GetMask() const;
  int GetMask(std::string* out) const;
  int SetLabelText(std::string_view text);
  const char* GetLabelText() const;
  int GetLabelText(std::string* out) const;
  int SetTextColor(Colour c);
  Colour GetTextColor() const;
  int SetBackColor(Colour c);
  Colour GetBackColor() const;
  int SetHighlightTextColor(Colour c);
  Colour GetHighlightTextColor() const;
  int SetHighlightBackColor(Colour c);
  Colour GetHighlightBackColor() const;
  int SetAlignment(short a);
  short GetAlignment() const;
  int SetBorderStyle(short s);
  short GetBorderStyle() const;
  int SetBorderPen(const UGPen& pen);
  const UGPen* GetBorderPen() const;
  // Fonts and bitmaps are named by their index in the grid's lists; -1 is none.
  int SetFont(int fontIndex);
  int GetFont() const;
  int SetBitmap(int bitmapIndex);  // -1 clears it
  int GetBitmap() const;
  int SetReadOnly(bool ro);
  bool IsReadOnly() const;
  int SetCellType(int id);
  int GetCellType() const;
  int SetCellTypeParam(long param);
  long GetCellTypeParam() const;
  int SetParam(long param);
  long GetParam() const;
  int SetJoinSpan(bool origin, int col, long row);
  int GetJoinSpan(bool* origin, int* col, long* row) const;
  int SetFormatter(CUGCellFormat* f);
  CUGCellFormat* GetFormatter() const;
  int SetStyleCell(const CUGCell* style);
  const CUGCell* GetStyleCell() const;
  int SetXPStyle(int element);
  int GetXPStyle() const;
  void UseThemes(bool on) { useThemes_ = on; }
  bool UseThemes() const { return useThemes_; }

  unsigned char* AllocateExtraBlock(int size);
  unsigned char* GetExtraBlock();
  int GetExtraBlockSize() const;
  int FreeExtraBlock();

  // Conversions (locale-free: ',' groups thousands, '.' is the decimal point, '$' the currency).
  static int TextToNumber(const std::string& text, double* out);
  static int TextToBool(const std::string& text, int* out);
  static int TextToDateTime(const std::string& text, int* second, int* minute, int* hour, int* day, int* month,
                            int* year);
  // The shown form of a number (without the cell): decimals < 0 means shortest round-trip.
  static std::string FormatNumber(double number, int decimals, bool localize);

 private:
  struct Extra;
  double TextNumber() const;
  Extra& Ext();
  const Extra* ExtOrNull() const { return extra_.get(); }
  static void Copy(const CUGCell& s, CUGCell& d);

  // What sorting and reading look at first shares one cache line.
  std::uint32_t flags_ = UGCELL_CLEARED_FLAGS;
  short dataType_ = UGCELLDATA_STRING;
  bool useThemes_ = true;
  bool readOnly_ = false;
  double number_ = 0.0;
  std::string text_;
  bool joinOrigin_ = false;
  short borderStyle_ = 0;
  short alignment_ = 1;
  int decimals_ = 0;
  int cellType_ = -1;
  int font_ = -1;
  int bitmap_ = -1;
  int xpStyle_ = UGXP_CELL;
  int joinCol_ = -1;
  long joinRow_ = -1;
  long param_ = -1;
  long cellTypeParam_ = -1;
  Colour textColor_, backColor_, hTextColor_, hBackColor_;
  CUGCellFormat* formatter_ = nullptr;
  const CUGCell* styleCell_ = nullptr;
  std::unique_ptr<Extra> extra_;  // rarely used members, deep-copied
};

}  // namespace gridmodel

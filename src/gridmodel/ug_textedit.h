#pragma once
// Text state of the formatted edit controls: literal prefix and suffix
// around an input the user edits. The window layer only mirrors GetFullText()
// and the selection; every keystroke goes through here.
#include <algorithm>
#include <functional>
#include <string>

namespace gridmodel {

// The user's number and currency settings as the edit controls read them. Texts left empty
// and numbers left -1 are items the locale does not give (they are skipped).
struct UTLocale {
  std::string decimal, thousand, grouping;           // grouping as "3;0"
  std::string monDecimal, monThousand, monGrouping;  // the currency forms
  std::string currency;
  int leadingZero = -1, digits = -1, negNumber = -1;
  int currDigits = -1, posCurrency = -1, negCurrency = -1;
};
// The environment's locale (LC_ALL, LC_NUMERIC, LC_MONETARY, LANG), unless a source was set.
UTLocale UserLocale();
void SetUserLocaleSource(std::function<UTLocale()> source);  // empty: the environment again

enum class UTEditKey { Delete, Home, End, Left, Right, Insert };

class CUTEdit {
 public:
  CUTEdit();
  virtual ~CUTEdit() = default;

  bool SetMask(const std::string& mask);
  const std::string& GetMask() const { return mask_; }
  std::string GetFullText() const { return prefix_ + input_ + suffix_; }
  int SelStart() const { return selStart_; }
  int SelEnd() const { return selEnd_; }
  void SetSel(int start, int end);
  void SetInsertMode(bool on) { insert_ = on; }
  bool GetInsertMode() const { return insert_; }
  int Beeps() const { return beeps_; }
  // 0 = no limit
  void SetLimitText(int n) { limit_ = n; }

  virtual std::string GetInputText() const { return input_; }
  virtual bool SetInputText(const std::string& text, int index);
  virtual void EmptyData(bool inputOnly);

  // Reads the user's settings; a setting follows the locale only while the owner has not
  // changed it from what the locale gave last.
  virtual bool ReadLocaleSettings() { return true; }
  // The window's set-up once it exists: the locale, then its current text taken as the input.
  bool InitControl(const std::string& windowText);
  bool IsInitialised() const { return initialised_; }
  // Colours (unset: the desktop's); the window shows them.
  void SetTextColor(unsigned rgb) { textColour_ = rgb; }
  void SetBackColor(unsigned rgb) { backColour_ = rgb; }
  unsigned TextColor() const { return textColour_; }
  unsigned BackColor() const { return backColour_; }
  static constexpr unsigned kUnsetColour = 0xFF000000;

  // A text set from outside (the cell's value, or a changed window text
  // an input method wrote without key events) becomes the input.
  virtual void SetWindowText(const std::string& text);
  void Char(char ch);
  void Backspace();
  void Key(UTEditKey key, bool shift = false);
  void Paste(const std::string& clip);
  void Cut();

  int WindowToInputIndex(int pos) const;
  int InputIndexToWindow(int index) const;

 protected:
  virtual void OnInvalidInput() { ++beeps_; }
  virtual int FormatInput() { return 0; }
  virtual void ClearAll();
  virtual bool IsInputPosition(int pos) const;
  bool IsInputPositionOrEnd(int pos) const;
  // Anywhere a character may go in front of: separators included.
  bool InInputRange(int pos) const { return pos >= int(prefix_.size()) && pos <= InputEnd(); }
  virtual int DeleteRange(int* start, int* end, bool noFormat);
  virtual int InsertChar(int pos, char ch);
  virtual int ReplaceChar(int pos, char ch);
  virtual void OnLiteralsBuilt() {}
  int NextInputPosition(int pos) const;
  int PrevInputPosition(int pos) const;
  int Validate();
  void Refresh(int caret);
  int InputEnd() const { return int(prefix_.size() + input_.size()); }
  void ApplyMask(const std::string& mask, bool* found);
  int BaseInsert(int pos, char ch);
  int BaseReplace(int pos, char ch);
  int BaseDeleteRange(int* start, int* end);

  std::string mask_ = "#";
  std::string prefix_, suffix_, input_;
  std::string lastAccepted_;
  bool insert_ = true;
  int selStart_ = 0, selEnd_ = 0;
  int beeps_ = 0;
  int limit_ = 0;
  bool refused_ = false;  // the last formatting refused the change
  bool initialised_ = false;
  unsigned textColour_ = kUnsetColour, backColour_ = kUnsetColour;
};

// Decimal numbers: the sign lives in the literals, the input holds digits and
// one decimal separator; every change is re-formatted.
class CUTNumericEdit : public CUTEdit {
 public:
  CUTNumericEdit();

  bool SetGroupSize(int n);
  bool SetDecimalSeparator(char c);
  bool SetGroupSeparator(char c);
  void SetLeadingZero(bool on);
  bool SetDecimalPlaces(int n);
  bool SetMaxIntegerDigits(int n);
  bool SetPositiveFormat(const std::string& f);
  bool SetNegativeFormat(const std::string& f);
  bool SetValue(double v);
  int SetNegative(bool negative);

  double GetValue() const { return value_; }
  bool IsNegative() const { return negative_; }
  // The text colour while negative (unset: the ordinary text colour).
  void SetNegativeColor(unsigned rgb) { negColour_ = rgb; }
  unsigned NegativeColor() const { return negColour_; }
  // The colour the text shows in now.
  unsigned ShownTextColor() const { return negative_ && negColour_ != kUnsetColour ? negColour_ : TextColor(); }
  bool ReadLocaleSettings() override;
  // What the grid stores: "-1234.50", '.' as separator, no grouping, no
  // sign pattern, so the text parses back to the value shown.
  std::string GetCanonicalText() const;

  std::string GetInputText() const override;
  void SetWindowText(const std::string& text) override;

 protected:
  int FormatInput() override;
  void ClearAll() override;
  bool IsInputPosition(int pos) const override;
  int DeleteRange(int* start, int* end, bool noFormat) override;
  int InsertChar(int pos, char ch) override { return ProcessChar(pos, ch, false); }
  int ReplaceChar(int pos, char ch) override { return ProcessChar(pos, ch, true); }
  int ProcessChar(int pos, char ch, bool overwrite);

 private:
  void Reformat();
  int SeparatorPos() const;  // window position, or -1

  char groupSep_ = ',';
  int groupSize_ = 3;
  char decSep_ = '.';
  bool leadingZero_ = true;
  int decimals_ = 2;
  int maxInt_ = -1;
  std::string negFormat_ = "-1.1", posFormat_ = "1.1";
  double value_ = 0;
  bool negative_ = false;
  unsigned negColour_ = kUnsetColour;

 protected:
  // The last values taken from the locale.
  char locGroupSep_ = ',', locDecSep_ = '.';
  int locGroupSize_ = 3, locDecimals_ = 2;
  bool locLeadingZero_ = true;
  std::string locNegFormat_ = "-1.1";
  // For the currency control: the same rule over the currency items.
  void FollowNumbers(const std::string& decimal, const std::string& thousand, int leadingZero,
                     const std::string& grouping, int digits);
};

// Dialog data exchange for a numeric edit: loading shows the value, saving reads it back
// (whole numbers cut toward zero).
void ExchangeNumericDouble(bool saving, CUTNumericEdit& edit, double& value);
void ExchangeNumericFloat(bool saving, CUTNumericEdit& edit, float& value);
void ExchangeNumericInt(bool saving, CUTNumericEdit& edit, int& value);

}  // namespace gridmodel

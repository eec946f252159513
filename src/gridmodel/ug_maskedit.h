#pragma once
// Text state of the cell grid's masked editor: each position of a mask takes one typed
// character of a class or is a literal the editor types itself.
#include <string>

namespace gridmodel {

class CUGMaskEdit {
 public:
  // No mask or an empty one switches masking off.
  void SetMask(const std::string& mask);
  bool Active() const { return active_; }
  // Characters a text may hold (the mask's length, escapes included; 0 = no limit).
  int Limit() const { return active_ ? static_cast<int>(mask_.size()) : 0; }
  // A text reshaped to the mask: literals put in, characters that fit no position dropped.
  std::string ApplyMask(const std::string& text) const;
  // Whether a character fits a typed position's mask character.
  static bool Fits(char maskChar, char ch);

  void SetText(const std::string& text);
  const std::string& Text() const { return text_; }
  void SetSel(int start, int end);
  int SelStart() const { return selStart_; }
  int SelEnd() const { return selEnd_; }
  // A typed character; false when it was refused (the selection is deleted either way).
  bool Char(char ch);
  void Backspace();
  void Delete();
  // Pasted text goes through the mask like typed text.
  void Paste(const std::string& clip);

 private:
  void DeleteSelection();
  static constexpr char kLiteral = 8;
  bool active_ = false;
  std::string mask_, pattern_, literals_;
  std::string text_;
  int selStart_ = 0, selEnd_ = 0;
};

}  // namespace gridmodel

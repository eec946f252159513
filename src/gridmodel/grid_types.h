#pragma once
// Values both grids share: font descriptions and colours (resolved to the toolkit only by
// the window layer) and a stable multi-key sort of row indices.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gridmodel {

// A font as a value; the window layer turns it into a toolkit font. Size is in points,
// weight on the 100..900 scale (400 normal, 700 bold).
struct FontDesc {
  std::string face;
  int size = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  // Angle of the text's baseline in tenths of a degree, counter-clockwise: 900 reads upwards.
  int escapement = 0;

  bool operator==(const FontDesc&) const = default;
};

// System colours the window layer looks up in the desktop theme.
enum class SysColour : std::uint8_t {
  Window,
  WindowText,
  Highlight,
  HighlightText,
  ButtonFace,
  ButtonHighlight,
  ButtonShadow,
  ButtonText,
  GrayText,
  InfoBackground,
  InfoText,
  Count
};

// A colour: plain RGB, a system colour resolved when drawn, or "not set" (the drawer takes
// its default). Equality compares the kind and what the kind uses.
class Colour {
 public:
  enum class Kind : std::uint8_t { Default, Rgb, System };

  constexpr Colour() = default;
  static constexpr Colour Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Colour c;
    c.kind_ = Kind::Rgb;
    c.r_ = r;
    c.g_ = g;
    c.b_ = b;
    return c;
  }
  static constexpr Colour System(SysColour s) {
    Colour c;
    c.kind_ = Kind::System;
    c.sys_ = s;
    return c;
  }
  // 0x00BBGGRR as colour references store it.
  static constexpr Colour FromRef(std::uint32_t ref) {
    return Rgb(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
  }

  constexpr Kind kind() const { return kind_; }
  constexpr bool IsDefault() const { return kind_ == Kind::Default; }
  constexpr bool IsSystem() const { return kind_ == Kind::System; }
  constexpr SysColour system() const { return sys_; }
  constexpr std::uint8_t r() const { return r_; }
  constexpr std::uint8_t g() const { return g_; }
  constexpr std::uint8_t b() const { return b_; }
  constexpr std::uint32_t Ref() const { return r_ | (g_ << 8) | (std::uint32_t(b_) << 16); }

  constexpr bool operator==(const Colour& o) const {
    if (kind_ != o.kind_) return false;
    if (kind_ == Kind::System) return sys_ == o.sys_;
    if (kind_ == Kind::Rgb) return r_ == o.r_ && g_ == o.g_ && b_ == o.b_;
    return true;
  }

 private:
  Kind kind_ = Kind::Default;
  SysColour sys_ = SysColour::Window;
  std::uint8_t r_ = 0, g_ = 0, b_ = 0;
};

// Three-way comparison of two rows by one key: negative, 0 or positive.
using KeyCompare = std::function<int(std::size_t a, std::size_t b)>;

// The rows 0..count-1 ordered by the keys in turn (the first key that differs decides);
// rows equal in every key keep their order. Returns the permutation: result[i] is the row
// that goes to place i.
std::vector<std::size_t> StableSortPermutation(std::size_t count, const std::vector<KeyCompare>& keys);

// The same with one comparator that already looks at every key (faster: no per-key call).
std::vector<std::size_t> StableSortPermutation(std::size_t count, const KeyCompare& compare);

// The same with a plain "less" predicate, for callers on a hot path.
template <class Less>
std::vector<std::size_t> StableSortPermutationBy(std::size_t count, Less less) {
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), less);
  return order;
}

// Reorders values by a permutation from StableSortPermutation.
template <class T>
void ApplyPermutation(std::vector<T>& values, const std::vector<std::size_t>& order) {
  std::vector<T> out;
  out.reserve(order.size());
  for (std::size_t i : order) out.push_back(std::move(values[i]));
  values = std::move(out);
}

}  // namespace gridmodel

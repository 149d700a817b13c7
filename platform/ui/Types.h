// The small vocabulary the forms and the system code share: window handles
// and messages, colours, fonts, alignment, cursors and the exception class
// the message loop shows.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ui {

// Window messages, shaped as Win32's so that the system code posts them by
// number. A handle names a form; it stays unique for the whole run, so a
// message to a form destroyed meanwhile is dropped, never misdelivered.
using HWND = std::uintptr_t;
using UINT = unsigned;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
inline constexpr UINT WM_USER = 1024;

struct Message {
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
};

enum class Alignment { Left, Center, Right };
enum class Cursor { Default, HandPoint };

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  friend constexpr bool operator==(Color, Color) = default;
};
inline constexpr Color clWindowText{0, 0, 0};
inline constexpr Color clWindow{255, 255, 255};
inline constexpr Color clBtnFace{240, 240, 240};
inline constexpr Color clBlue{0, 0, 255};

enum class FontStyle : std::uint8_t { Bold = 1, Italic = 2, Underline = 4 };

// A set of font styles; {} is plain.
class FontStyles {
 public:
  constexpr FontStyles() = default;
  constexpr FontStyles(FontStyle s) : bits_(static_cast<std::uint8_t>(s)) {}  // NOLINT: a style is a set of one
  constexpr bool Has(FontStyle s) const { return (bits_ & static_cast<std::uint8_t>(s)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr FontStyles operator|(FontStyles o) const { return FromBits(bits_ | o.bits_); }
  friend constexpr bool operator==(FontStyles, FontStyles) = default;

 private:
  static constexpr FontStyles FromBits(unsigned bits) {
    FontStyles s;
    s.bits_ = static_cast<std::uint8_t>(bits);
    return s;
  }
  std::uint8_t bits_ = 0;
};
constexpr FontStyles operator|(FontStyle a, FontStyle b) { return FontStyles(a) | FontStyles(b); }

// A font as the forms were designed: a face name, a size in points and its
// height in pixels at 96 dpi. The pixel height is what is kept, as the
// designer's resources do; the size in points is derived from it with the
// same rounding both ways (8 pt = 11 px, 10 pt = 13 px, 12 pt = 16 px).
struct Font {
  std::string name = "MS Sans Serif";
  int height = 11;
  FontStyles style{};
  ui::Color color = clWindowText;

  static constexpr int PointsToPixels(int points) { return (points * 96 + 36) / 72; }
  static constexpr int PixelsToPoints(int pixels) { return (pixels * 72 + 48) / 96; }
  int Size() const { return PixelsToPoints(height); }
  void SetSize(int points) { height = PointsToPixels(points); }
  friend bool operator==(const Font&, const Font&) = default;
};

// The exception the message loop and the start-up guard show: any other
// exception that escapes a handler is turned into one of these first.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A back end that cannot go on: the headless one raises it when a modal loop
// waits for an answer that no test has scripted and nothing else can happen.
// The exception display lets it through, so a test fails where it stalled
// instead of hanging or showing a box nobody reads.
class BackendFailure : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

}  // namespace ui

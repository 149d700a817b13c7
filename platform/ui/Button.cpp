#include "platform/ui/Button.h"

namespace ui {

Button::Button(Container& parent, const ControlDesc& desc)
    : Control(parent, desc), default_(desc.isDefault) {}

void Button::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  Notify(Property::State);
}

namespace {

// One code point of UTF-8 at `i`, advancing `i`.
char32_t DecodeAt(const std::string& s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
  for (; extra > 0 && i < s.size(); --extra) cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  return cp;
}

}  // namespace

char32_t Mnemonic(const std::string& caption) {
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&' || i + 1 >= caption.size()) continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    std::size_t at = i + 1;
    return DecodeAt(caption, at);
  }
  return 0;
}

}  // namespace ui

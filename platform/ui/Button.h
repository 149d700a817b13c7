// A push button. An & in the caption marks its mnemonic; the default button
// is the one Enter presses.
#pragma once

#include "platform/ui/Control.h"

namespace ui {

class Button : public Control {
 public:
  Button(Container& parent, const ControlDesc& desc);

  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Focusable() const override { return TabStop(); }

 private:
  bool default_;
};

// The letter an & marks in a caption ("&Oui" gives 'O'; "&&" is a plain &),
// or 0. Back ends use it for the Alt shortcut.
char32_t Mnemonic(const std::string& caption);

}  // namespace ui

// A radio button. Its group is its parent: checking one unchecks the others
// there. Checking it, from code or by a user's click, raises OnClick; a
// click on the button already checked changes nothing and raises nothing.
#pragma once

#include "platform/ui/Control.h"

namespace ui {

class RadioButton : public Control {
 public:
  RadioButton(Container& parent, const ControlDesc& desc);

  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Focusable() const override { return TabStop(); }

 private:
  void DoClick() override { SetChecked(true); }

  bool checked_;
};

}  // namespace ui

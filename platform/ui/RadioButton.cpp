#include "platform/ui/RadioButton.h"

#include "platform/ui/Container.h"

namespace ui {

RadioButton::RadioButton(Container& parent, const ControlDesc& desc)
    : Control(parent, desc), checked_(desc.checked) {}

void RadioButton::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v) {
    for (Control* c : Parent()->Children()) {
      auto* other = dynamic_cast<RadioButton*>(c);
      if (other && other != this && other->checked_) {
        other->checked_ = false;
        other->Notify(Property::State);
      }
    }
  }
  Notify(Property::State);
  if (v && OnClick) OnClick();
}

}  // namespace ui

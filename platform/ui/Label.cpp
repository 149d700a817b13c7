#include "platform/ui/Label.h"

#include "platform/ui/Application.h"

namespace ui {

Label::Label(Container& parent, const ControlDesc& desc)
    : Control(parent, desc), autoSize_(desc.autoSize), transparent_(desc.transparent) {
  AfterTextChange();
}

void Label::SetAutoSize(bool v) {
  autoSize_ = v;
  AfterTextChange();
}

void Label::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  Notify(Property::Color);
}

void Label::AfterTextChange() {
  if (!autoSize_) return;
  const TextSize size = App().GetBackend().MeasureText(Font(), Caption());
  SetBounds(Left(), Top(), size.width, size.height);
}

}  // namespace ui

#include "platform/ui/Edit.h"

namespace ui {

Edit::Edit(Container& parent, const ControlDesc& desc) : Control(parent, desc), readOnly_(desc.readOnly) {}

void Edit::SetReadOnly(bool v) {
  if (v == readOnly_) return;
  readOnly_ = v;
  Notify(Property::State);
}

}  // namespace ui

// A framed group with a caption; its radio buttons form one group.
#pragma once

#include "platform/ui/Container.h"

namespace ui {

class GroupBox : public Container {
 public:
  GroupBox(Container& parent, const ControlDesc& desc) : Container(parent, desc) {}
  bool Focusable() const override { return true; }
};

}  // namespace ui

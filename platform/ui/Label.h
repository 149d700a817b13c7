// A line of text. With AutoSize the label takes the size of its text in its
// font, as measured by the back end, whenever the caption or font changes.
#pragma once

#include "platform/ui/Control.h"

namespace ui {

class Label : public Control {
 public:
  Label(Container& parent, const ControlDesc& desc);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);

 private:
  void AfterTextChange() override;

  bool autoSize_;
  bool transparent_;
};

}  // namespace ui

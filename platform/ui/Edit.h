// A single-line edit box; here always read-only, showing a text.
#pragma once

#include <string>

#include "platform/ui/Control.h"

namespace ui {

class Edit : public Control {
 public:
  Edit(Container& parent, const ControlDesc& desc);

  // An edit's text is its caption, as in the designer's model.
  const std::string& Text() const { return Caption(); }
  void SetText(std::string text) { SetCaption(std::move(text)); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool Focusable() const override { return TabStop(); }

 private:
  bool readOnly_;
};

}  // namespace ui

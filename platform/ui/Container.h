// A control that holds others: a form or a group box. Children keep their
// creation order; the tab order is a separate sort of the same list.
#pragma once

#include <vector>

#include "platform/ui/Control.h"

namespace ui {

class Container : public Control {
 public:
  using Control::Control;

  const std::vector<Control*>& Children() const { return children_; }
  // Children that can take the keyboard focus, in tab order (ties keep
  // creation order; a child without a tab order comes after the others).
  std::vector<Control*> TabOrdered() const;
  void Realize() override;

 private:
  friend class Control;
  void Add(Control& child) { children_.push_back(&child); }
  void Remove(Control& child);

  std::vector<Control*> children_;
};

}  // namespace ui

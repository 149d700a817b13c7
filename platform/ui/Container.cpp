#include "platform/ui/Container.h"

#include <algorithm>
#include <limits>

namespace ui {

std::vector<Control*> Container::TabOrdered() const {
  std::vector<Control*> stops;
  for (Control* c : children_) {
    if (c->Focusable()) stops.push_back(c);
  }
  auto key = [](const Control* c) {
    return c->TabOrder() < 0 ? std::numeric_limits<int>::max() : c->TabOrder();
  };
  std::stable_sort(stops.begin(), stops.end(),
                   [&](const Control* a, const Control* b) { return key(a) < key(b); });
  return stops;
}

void Container::Realize() {
  Control::Realize();
  for (Control* c : children_) c->Realize();
}

void Container::Remove(Control& child) {
  children_.erase(std::remove(children_.begin(), children_.end(), &child), children_.end());
}

}  // namespace ui

#include "platform/ui/ProgressBar.h"

#include <algorithm>

namespace ui {

ProgressBar::ProgressBar(Container& parent, const ControlDesc& desc)
    : Control(parent, desc), min_(desc.min), max_(desc.max), position_(desc.position), step_(desc.step),
      smooth_(desc.smooth) {
  position_ = Clamped(position_);
}

int ProgressBar::Clamped(int v) const {
  // An empty or inverted range holds only its minimum.
  return std::clamp(v, min_, std::max(min_, max_));
}

void ProgressBar::Reclamp() {
  position_ = Clamped(position_);
  Notify(Property::State);
}

void ProgressBar::SetMin(int v) {
  min_ = v;
  Reclamp();
}

void ProgressBar::SetMax(int v) {
  max_ = v;
  Reclamp();
}

void ProgressBar::SetPosition(int v) {
  const int clamped = Clamped(v);
  if (clamped == position_) return;
  position_ = clamped;
  Notify(Property::State);
}

void ProgressBar::SetSmooth(bool v) {
  if (v == smooth_) return;
  smooth_ = v;
  Notify(Property::State);
}

}  // namespace ui

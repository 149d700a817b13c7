// A progress bar. Its position always lies in [Min, Max]: setting it outside,
// or narrowing the range around it, clamps it, and StepIt stops at Max
// rather than wrapping back to Min, so a full bar stays full. It never takes
// the keyboard focus.
#pragma once

#include "platform/ui/Control.h"

namespace ui {

class ProgressBar : public Control {
 public:
  ProgressBar(Container& parent, const ControlDesc& desc);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int Step() const { return step_; }
  bool Smooth() const { return smooth_; }
  void SetMin(int v);
  void SetMax(int v);
  void SetPosition(int v);
  void SetStep(int v) { step_ = v; }
  void SetSmooth(bool v);
  void StepIt() { SetPosition(position_ + step_); }

 private:
  int Clamped(int v) const;
  void Reclamp();

  int min_, max_, position_, step_;
  bool smooth_;
};

}  // namespace ui

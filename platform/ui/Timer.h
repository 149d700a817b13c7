// A periodic timer dispatched by the application's loop. It keeps its own
// schedule on the grid of its period: due times fall at start + k * period.
// A late timer fires once, at once, and its next due time is the next grid
// point after that moment, so a handler slightly longer than the period gets
// ticks at the handler's own pace instead of every other grid point. Setting
// Interval or Enabled to a new value restarts the period from now.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/ui/ControlDesc.h"

namespace ui {

class Application;
class Form;

class Timer {
 public:
  Timer(Form& owner, const TimerDesc& desc);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& Name() const { return name_; }
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  std::function<void()> OnTimer;

  // The loop's side: when the next tick is due (none while stopped, or while
  // its own handler runs, so a nested loop never re-enters it), and the tick.
  std::optional<std::uint64_t> DueUs() const;
  void Fire(std::uint64_t nowUs);

 private:
  bool Running() const { return enabled_ && interval_ > 0; }
  void Restart();

  Application& app_;
  std::string name_;
  unsigned interval_;
  bool enabled_;
  bool inHandler_ = false;
  std::uint64_t startUs_ = 0;
  std::uint64_t dueUs_ = 0;
};

}  // namespace ui

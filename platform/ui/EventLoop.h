// The one-thread message loop. Each turn dispatches one thing, in this order
// of priority: queued input, then posted messages (first in, first out),
// then the timer due earliest. So a message posted by a tick is delivered
// before the next tick, however late that tick is. When nothing is ready the
// loop asks the back end to sleep until the earliest due time, and no longer:
// the toolkit never keeps a timer schedule of its own.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/ui/Types.h"

namespace ui {

class Application;
class Timer;

class EventLoop {
 public:
  explicit EventLoop(Application& app) : app_(app) {}

  void AddTimer(Timer& t) { timers_.push_back(&t); }
  void RemoveTimer(Timer& t);
  void Post(HWND target, const Message& message) { posted_.push_back({target, message}); }

  // Runs until `done` holds (true), the clock passes `deadlineUs` or nothing
  // can happen any more (false). Nested calls are the modal loops.
  bool RunUntil(const std::function<bool()>& done, std::optional<std::uint64_t> deadlineUs);
  int Depth() const { return depth_; }

 private:
  struct Posted {
    HWND target;
    Message message;
  };

  bool DispatchOne();
  Timer* DueTimer(std::uint64_t nowUs) const;
  std::optional<std::uint64_t> NextDueUs() const;

  Application& app_;
  std::vector<Timer*> timers_;
  std::deque<Posted> posted_;
  int depth_ = 0;
};

}  // namespace ui

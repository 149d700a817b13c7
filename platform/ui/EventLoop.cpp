#include "platform/ui/EventLoop.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/Timer.h"

namespace ui {

void EventLoop::RemoveTimer(Timer& t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), &t), timers_.end());
}

bool EventLoop::DispatchOne() {
  Backend& backend = app_.GetBackend();
  if (std::function<void()> input = backend.TakeInput()) {
    app_.Guard(input);
    return true;
  }
  if (!posted_.empty()) {
    Posted p = posted_.front();
    posted_.pop_front();
    if (Form* form = app_.FindForm(p.target)) app_.Guard([&] { form->Dispatch(p.message); });
    return true;
  }
  const std::uint64_t now = backend.NowUs();
  if (Timer* t = DueTimer(now)) {
    app_.Guard([&] { t->Fire(now); });
    return true;
  }
  return false;
}

Timer* EventLoop::DueTimer(std::uint64_t nowUs) const {
  Timer* best = nullptr;
  for (Timer* t : timers_) {
    auto due = t->DueUs();
    if (due && *due <= nowUs && (!best || *due < *best->DueUs())) best = t;
  }
  return best;
}

std::optional<std::uint64_t> EventLoop::NextDueUs() const {
  std::optional<std::uint64_t> next;
  for (const Timer* t : timers_) {
    auto due = t->DueUs();
    if (due && (!next || *due < *next)) next = due;
  }
  return next;
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::optional<std::uint64_t> deadlineUs) {
  struct Nesting {
    int& depth;
    explicit Nesting(int& d) : depth(d) { ++depth; }
    ~Nesting() { --depth; }
  } nesting(depth_);
  Backend& backend = app_.GetBackend();
  auto past = [&](bool orAt) {
    if (!deadlineUs) return false;
    const std::uint64_t now = backend.NowUs();
    return orAt ? now >= *deadlineUs : now > *deadlineUs;
  };
  while (!done()) {
    // A handler may move the clock past the deadline; then stop even though
    // late ticks are still due.
    if (past(false)) return false;
    if (DispatchOne()) continue;
    if (past(true)) return false;
    std::optional<std::uint64_t> wake = NextDueUs();
    if (deadlineUs && (!wake || *deadlineUs < *wake)) wake = deadlineUs;
    if (!backend.Wait(wake)) return false;
  }
  return true;
}

}  // namespace ui

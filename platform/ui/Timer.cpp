#include "platform/ui/Timer.h"

#include "platform/ui/Application.h"
#include "platform/ui/Form.h"

namespace ui {

Timer::Timer(Form& owner, const TimerDesc& desc)
    : app_(owner.App()), name_(desc.name), interval_(desc.interval), enabled_(desc.enabled) {
  Restart();
  app_.AddTimer(*this);
}

Timer::~Timer() { app_.RemoveTimer(*this); }

void Timer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  Restart();
}

void Timer::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Restart();
}

void Timer::Restart() {
  startUs_ = app_.GetBackend().NowUs();
  dueUs_ = startUs_ + std::uint64_t{interval_} * 1000;
}

std::optional<std::uint64_t> Timer::DueUs() const {
  if (!Running() || inHandler_) return std::nullopt;
  return dueUs_;
}

void Timer::Fire(std::uint64_t nowUs) {
  // The next grid point after now: however late this tick is, it fires once.
  const std::uint64_t period = std::uint64_t{interval_} * 1000;
  dueUs_ = startUs_ + ((nowUs - startUs_) / period + 1) * period;
  if (!OnTimer) return;
  inHandler_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inHandler_};
  OnTimer();
}

}  // namespace ui

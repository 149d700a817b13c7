// The Linux desktop back end: real windows with FLTK 1.3. FLTK dispatches
// the X events; our widgets' callbacks only queue the user's action, which
// the shared loop then runs in its order of priority and under its exception
// guard, so no handler ever runs inside FLTK's own dispatch. FLTK keeps no
// timer of ours: the loop asks it to wait until the earliest due time.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/ui/Backend.h"

namespace ui::fltk {

class FltkBackend final : public Backend {
 public:
  FltkBackend();
  ~FltkBackend() override;

  // Queued input, keyed by whoever queued it, so that a control or dialog
  // taken down drops the actions that still refer to it.
  void Queue(const void* owner, std::function<void()> input);
  void Forget(const void* owner);

  void Initialize() override;
  std::uint64_t NowUs() const override;
  std::function<void()> TakeInput() override;
  bool Wait(std::optional<std::uint64_t> untilUs) override;
  std::unique_ptr<Peer> CreatePeer(Control& control) override;
  std::unique_ptr<DialogPeer> OpenDialog(const DialogRequest& request,
                                         std::function<void(ModalResult)> answer) override;
  void ShellOpen(const std::string& url) override;
  TextSize MeasureText(const Font& font, std::string_view text) override;
  std::string ProgramName() const override;

 private:
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
  std::deque<std::pair<const void*, std::function<void()>>> inputs_;
  bool initialized_ = false;
};

}  // namespace ui::fltk

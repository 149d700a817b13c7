// The back end of the tests: the control model alone, on a virtual clock
// (the fake system's, so serial time-outs and the timers share one time).
// A test scripts input at virtual times, answers dialogs and runs the loop
// until a condition or for a while; when nothing is ready, time jumps to the
// next timer or the next scripted input, so minutes pass in no time.
//
//   ui::headless::Headless ui(fake.Clock());
//   MyForm form;                                   // the first form is the main form
//   ui.At(2s, [&] { form.Button.Click(); });        // a user's click at t = 2 s
//   ui.QueueAnswer(ui::mrYes);                      // the next dialog gets Yes
//   ui.RunUntil([&] { return form.Done(); }, 60s);
//   EXPECT_EQ(ui.Dialogs().at(0).caption, "Erreur");
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/fake/VirtualClock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Backend.h"

namespace ui::headless {

using Us = std::chrono::microseconds;

struct DialogRecord {
  DialogRequest request;
  Us shownAt{0};
  std::optional<Us> closedAt{};
  ModalResult answer = mrNone;
};

// How a dialog is answered: which button, after how long open.
struct DialogAnswer {
  ModalResult button = mrNone;
  Us after{0};
};

class Headless final : public Backend {
 public:
  Headless();
  explicit Headless(os::VirtualClock& clock);
  ~Headless() override;

  Application& App() { return app_; }
  Us Now() const { return Us(clock_.NowUs()); }

  // Scripted input, run by the loop as a user's action at that virtual time
  // (inputs at one time keep the order they were given in).
  void At(Us when, std::function<void()> input);
  void After(Us delay, std::function<void()> input) { At(Now() + delay, std::move(input)); }

  // Run the loop; the main form is shown first, as Application::Run does.
  // RunUntil returns whether `done` came to hold within `limit`.
  bool RunUntil(const std::function<bool()>& done, Us limit = std::chrono::minutes(10));
  void RunFor(Us duration);

  // Dialogs: the next one gets the first queued answer, or the callback's if
  // one is set (mrNone from it leaves the dialog open). A dialog left without an answer stays open, its nested loop
  // running, until a scripted Press answers it; if nothing else can happen
  // the loop raises BackendFailure. The exception display answers itself.
  void QueueAnswer(ModalResult button, Us after = Us{0}) { answers_.push_back({button, after}); }
  void OnDialog(std::function<DialogAnswer(const DialogRecord&)> decide) { decide_ = std::move(decide); }
  // A user's press on a button of the dialog on top; false if there is no
  // such dialog or button.
  bool Press(ModalResult button);
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  const DialogRecord* TopDialog() const;

  const std::vector<std::string>& OpenedUrls() const { return urls_; }

  // Backend
  std::uint64_t NowUs() const override { return clock_.NowUs(); }
  std::function<void()> TakeInput() override;
  bool Wait(std::optional<std::uint64_t> untilUs) override;
  std::unique_ptr<Peer> CreatePeer(Control&) override { return nullptr; }
  std::unique_ptr<DialogPeer> OpenDialog(const DialogRequest& request,
                                         std::function<void(ModalResult)> answer) override;
  void ShellOpen(const std::string& url) override { urls_.push_back(url); }
  TextSize MeasureText(const Font& font, std::string_view text) override;
  std::string ProgramName() const override { return {}; }

 private:
  class OpenBox;
  struct Open {
    std::size_t record;
    std::function<void(ModalResult)> answer;
    std::optional<ModalResult> pending{};  // came while another dialog was on top
  };

  std::optional<DialogAnswer> Decide(const DialogRecord& record);
  bool PressOn(std::size_t record, ModalResult button);
  void ShowMainFormOnce();

  os::VirtualClock ownClock_;
  os::VirtualClock& clock_;
  std::multimap<std::uint64_t, std::function<void()>> script_;
  std::deque<DialogAnswer> answers_;
  std::function<DialogAnswer(const DialogRecord&)> decide_;
  std::vector<DialogRecord> dialogs_;
  std::vector<Open> open_;  // the open dialogs, the top one last
  std::vector<std::string> urls_;
  bool mainShown_ = false;
  Application app_{*this};  // last: it refers to this back end
};

}  // namespace ui::headless

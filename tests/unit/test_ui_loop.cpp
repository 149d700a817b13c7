// The message loop on the headless back end: order of dispatch, the timer's
// grid, nested modal loops, the exception display and the start-up guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <ostream>
#include <string>
#include <vector>

#include "platform/os/fake/VirtualClock.h"
#include "platform/ui/Ui.h"
#include "platform/ui/headless/Headless.h"

using namespace std::chrono_literals;

namespace {

// Names the cases of a table after their `name` field.
struct ByName {
  template <class T>
  std::string operator()(const ::testing::TestParamInfo<T>& i) const {
    return i.param.name;
  }
};

constexpr ui::UINT kPing = ui::WM_USER + 1;

struct TestForm : ui::Form {
  explicit TestForm(std::string_view name = "Main")
      : ui::Form({.name = name, .clientWidth = 200, .clientHeight = 100}) {}
  ui::Button button{*this, {.name = "Button", .left = 10, .top = 10, .width = 75, .height = 25}};
  ui::Button ok{*this, {.name = "Ok", .left = 100, .top = 10, .width = 75, .height = 25}};
  ui::Timer timer{*this, {.name = "Timer", .interval = 100, .enabled = false}};
};

class LoopTest : public ::testing::Test {
 protected:
  void Log(const std::string& what) {
    log.push_back(what + "@" + std::to_string(clock.NowUs() / 1000));
  }
  void Busy(std::chrono::milliseconds d) { clock.Advance(static_cast<std::uint64_t>(d.count()) * 1000); }
  std::vector<std::string> FireTimesMs(const std::vector<std::string>& entries) {
    std::vector<std::string> times;
    for (const auto& e : entries) times.push_back(e.substr(e.find('@') + 1));
    return times;
  }

  os::VirtualClock clock;
  ui::headless::Headless ui{clock};
  TestForm form;
  std::vector<std::string> log;
};

TEST_F(LoopTest, InputThenPostedThenTimerAndPostsBeforeTheNextTick) {
  form.timer.SetEnabled(true);  // due at 100, 200, ...
  form.OnMessage(kPing, [&](ui::Message& m) { Log("post" + std::to_string(m.wParam)); });
  // A click that blocks until 150 ms: by then another click, its post and
  // the 100 ms tick are all ready at once.
  ui.At(50ms, [&] {
    Log("in50");
    Busy(100ms);
    ui::PostMessageA(form.Handle(), kPing, 1, 0);
  });
  ui.At(120ms, [&] { Log("in120"); });
  // A tick that overruns its period still lets its post through first.
  form.timer.OnTimer = [&] {
    Log("tick");
    if (log.size() < 5) {
      Busy(150ms);
      ui::PostMessageA(form.Handle(), kPing, 2, 0);
    }
  };
  ui.RunUntil([&] { return log.size() >= 6; }, 1s);
  EXPECT_EQ(log, (std::vector<std::string>{"in50@50", "in120@150", "post1@150", "tick@150", "post2@300",
                                            "tick@300"}));
}

TEST_F(LoopTest, PostedMessagesKeepTheirOrderAndUnknownTargetsAreRefused) {
  form.OnMessage(kPing, [&](ui::Message& m) { Log("ping" + std::to_string(m.wParam)); });
  ui::HWND gone = 0;
  {
    TestForm other("Other");
    gone = other.Handle();
    other.OnMessage(kPing, [&](ui::Message&) { Log("other"); });
    EXPECT_EQ(ui::PostMessageA(gone, kPing, 0, 0), 1);
  }  // destroyed with its message still queued: dropped, not misdelivered
  for (ui::WPARAM i = 1; i <= 3; ++i) ui::PostMessageA(form.Handle(), kPing, i, 0);
  ui::PostMessageA(form.Handle(), kPing + 1, 9, 0);  // no handler: ignored
  EXPECT_EQ(ui::PostMessageA(gone, kPing, 0, 0), 0);
  ui.RunFor(10ms);
  EXPECT_EQ(log, (std::vector<std::string>{"ping1@0", "ping2@0", "ping3@0"}));
}

struct GridCase {
  const char* name;
  std::vector<int> handlerMs;  // per tick; the last one repeats
  std::vector<std::string> fireMs;
};

void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

class TimerGridTest : public LoopTest, public ::testing::WithParamInterface<GridCase> {};

TEST_P(TimerGridTest, LateTicksFireOnceAndKeepTheGrid) {
  const GridCase& c = GetParam();
  form.timer.OnTimer = [&] {
    Log("t");
    Busy(std::chrono::milliseconds(c.handlerMs[std::min(log.size(), c.handlerMs.size()) - 1]));
  };
  form.timer.SetEnabled(true);
  ui.RunUntil([&] { return log.size() >= c.fireMs.size(); }, 10s);
  EXPECT_EQ(FireTimesMs(log), c.fireMs);
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, TimerGridTest,
    ::testing::Values(GridCase{"quick", {0}, {"100", "200", "300", "400"}},
                      // 104 ms of work on a 100 ms period: one tick every 104 ms
                      GridCase{"slightlyLate", {104}, {"100", "204", "308", "412", "516"}},
                      // three periods missed once: one tick at once, then the grid, no burst
                      GridCase{"lateOnce", {350, 0}, {"100", "450", "500", "600"}},
                      GridCase{"alwaysVeryLate", {350}, {"100", "450", "800", "1150"}}),
    ByName());

struct RestartCase {
  const char* name;
  std::function<void(ui::Timer&, ui::headless::Headless&)> script;
  std::vector<std::string> fireMs;
};

void PrintTo(const RestartCase& c, std::ostream* os) { *os << c.name; }

class TimerRestartTest : public LoopTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(TimerRestartTest, ChangesRestartThePeriodFromNow) {
  form.timer.SetInterval(1000);
  form.timer.SetEnabled(true);
  form.timer.OnTimer = [&] { Log("t"); };
  GetParam().script(form.timer, ui);
  ui.RunFor(3100ms);
  EXPECT_EQ(FireTimesMs(log), GetParam().fireMs);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, TimerRestartTest,
    ::testing::Values(
        RestartCase{"newInterval", [](ui::Timer& timer, auto& h) { h.At(300ms, [&timer] { timer.SetInterval(1250); }); },
                    {"1550", "2800"}},
        RestartCase{"sameInterval", [](ui::Timer& timer, auto& h) { h.At(300ms, [&timer] { timer.SetInterval(1000); }); },
                    {"1000", "2000", "3000"}},
        RestartCase{"reEnabled",
                    [](ui::Timer& timer, auto& h) {
                      h.At(1500ms, [&timer] { timer.SetEnabled(false); });
                      h.At(1700ms, [&timer] { timer.SetEnabled(true); });
                    },
                    {"1000", "2700"}}),
    ByName());

struct ModalCase {
  const char* name;
  // Opens a modal window from a click at 1 s that closes 1 s later.
  std::function<void(ui::headless::Headless&, TestForm& dialogForm)> open;
};

void PrintTo(const ModalCase& c, std::ostream* os) { *os << c.name; }

class ModalTest : public LoopTest, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(ModalTest, NestedLoopKeepsTicksAndPostsGoingAndBlocksOtherForms) {
  TestForm box("Box");
  box.ok.OnClick = [&] { box.Close(); };
  form.OnMessage(kPing, [&](ui::Message&) { Log("post"); });
  form.timer.OnTimer = [&] {
    Log("tick");
    ui::PostMessageA(form.Handle(), kPing, 0, 0);
  };
  form.button.OnClick = [&] {
    Log("open");
    GetParam().open(ui, box);
    Log("closed");
  };
  ui.At(1000ms, [&] {
    form.timer.SetEnabled(true);
    form.button.Click();
  });
  ui.At(1500ms, [&] { form.button.Click(); });  // under the modal window: ignored
  ui.RunFor(2050ms);
  std::vector<std::string> expected{"open@1000"};
  for (int t = 1100; t <= 2000; t += 100) {
    expected.push_back("tick@" + std::to_string(t));
    expected.push_back("post@" + std::to_string(t));
  }
  expected.insert(expected.end() - 2, "closed@2000");  // the close was scripted before the 2 s tick
  EXPECT_EQ(log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ModalTest,
    ::testing::Values(ModalCase{"messageDialog",
                                [](auto& h, TestForm&) {
                                  h.QueueAnswer(ui::mrOk, 1s);
                                  EXPECT_EQ(ui::MessageDlg("x", ui::mtInformation, {ui::mbOK}, 0), ui::mrOk);
                                }},
                      ModalCase{"modalForm",
                                [](auto& h, TestForm& box) {
                                  h.After(1s, [&box] { box.ok.Click(); });
                                  box.ShowModal();
                                }}),
    ByName());

TEST_F(LoopTest, ModalLoopThatNothingCanEndFailsInsteadOfHanging) {
  ui.At(0ms, [&] { ui::MessageDlg("sans réponse", ui::mtError, {ui::mbYes, ui::mbNo}, 0); });
  EXPECT_THROW(ui.RunFor(1s), ui::BackendFailure);
}

struct ThrowCase {
  const char* name;
  const char* source;  // where it is raised: "timer", "click" or "post"
  std::function<void()> raise;
  std::string shown;
};

void PrintTo(const ThrowCase& c, std::ostream* os) { *os << c.name; }

class ExceptionTest : public LoopTest, public ::testing::WithParamInterface<ThrowCase> {};

TEST_P(ExceptionTest, ShownOnceAndTheLoopGoesOn) {
  const ThrowCase& c = GetParam();
  ui.App().SetTitle("Mise à jour");
  int runs = 0;
  auto handler = [&] {
    if (++runs == 1) c.raise();
  };
  const std::string source = c.source;
  form.timer.OnTimer = handler;
  form.button.OnClick = handler;
  form.OnMessage(kPing, [&](ui::Message&) { handler(); });
  for (auto t : {100ms, 200ms, 300ms}) {
    if (source == "click") ui.At(t, [&] { form.button.Click(); });
    if (source == "post") ui.At(t, [&] { ui::PostMessageA(form.Handle(), kPing, 0, 0); });
  }
  form.timer.SetEnabled(source == "timer");
  ui.RunFor(350ms);
  EXPECT_EQ(runs, 3);
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  const ui::DialogRequest& box = ui.Dialogs()[0].request;
  EXPECT_EQ(box.caption, "Mise à jour");
  EXPECT_EQ(box.text, c.shown);
  EXPECT_EQ(box.type, ui::mtError);
  EXPECT_EQ(box.buttons, ui::MsgDlgButtons({ui::mbOK}));
}

INSTANTIATE_TEST_SUITE_P(
    Raised, ExceptionTest,
    ::testing::Values(ThrowCase{"platformFromTimer", "timer", [] { throw ui::Exception("Port absent"); }, "Port absent"},
                      ThrowCase{"standardFromClick", "click", [] { throw std::runtime_error("boom"); }, "boom"},
                      ThrowCase{"anythingFromPost", "post", [] { throw 42; }, ""}),
    ByName());

TEST(StartUp, ExceptionIsShownAndTheProgramEndsWithZero) {
  ui::headless::Headless ui;
  ui.App().SetTitle("ZT");
  bool ran = false;
  const int code = ui::RunProgram([&] {
    ui.App().Initialize();
    TestForm form;
    form.timer.SetEnabled(true);
    form.timer.OnTimer = [&] { ran = true; };
    throw ui::Exception("init");
  });
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(ran);
  ASSERT_EQ(ui.Dialogs().size(), 1u);
  EXPECT_EQ(ui.Dialogs()[0].request.caption, "ZT");
  EXPECT_EQ(ui.Dialogs()[0].request.text, "init");
}

TEST(StartUp, RunEndsWhenTheFirstFormCloses) {
  ui::headless::Headless ui;
  const int code = ui::RunProgram([&] {
    TestForm main;
    TestForm second("Second");
    main.button.OnClick = [&] { main.Close(); };
    second.button.OnClick = [&] { second.Close(); };
    second.Show();
    ui.At(1s, [&] { second.button.Click(); });  // not the main form: the loop goes on
    ui.At(2s, [&] { main.button.Click(); });
    ui.App().Run();
    EXPECT_EQ(ui.Now(), 2s);
    EXPECT_FALSE(second.Visible());
    EXPECT_TRUE(ui.App().Terminated());
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(ui.Dialogs().empty());
}

}  // namespace

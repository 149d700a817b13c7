#include "platform/ui/headless/Headless.h"

#include <algorithm>

#include "platform/ui/Form.h"

namespace ui {

// A test program has no screen of its own: it constructs a Headless, whose
// application is then the current one, and App() never gets here.
Backend& SystemBackend() {
  throw BackendFailure("no back end: construct a ui::headless::Headless before any form");
}

}  // namespace ui

namespace ui::headless {

namespace {

std::optional<MsgDlgBtn> ButtonFor(ModalResult r) {
  switch (r) {
    case mrYes:
      return mbYes;
    case mrNo:
      return mbNo;
    case mrOk:
      return mbOK;
    default:
      return std::nullopt;
  }
}

std::size_t CodePoints(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(s.begin(), s.end(),
                                                [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

// The open dialog's on-screen stand-in: taking it down marks it closed.
class Headless::OpenBox final : public DialogPeer {
 public:
  OpenBox(Headless& owner, std::size_t record) : owner_(owner), record_(record) {}
  ~OpenBox() override {
    owner_.dialogs_[record_].closedAt = owner_.Now();
    auto& open = owner_.open_;
    open.erase(std::remove_if(open.begin(), open.end(), [&](const Open& o) { return o.record == record_; }),
               open.end());
    // An answer that came while this one was on top goes to its dialog now.
    if (!open.empty() && open.back().pending) {
      const std::size_t below = open.back().record;
      const ModalResult button = *open.back().pending;
      owner_.At(owner_.Now(), [&owner = owner_, below, button] { owner.PressOn(below, button); });
    }
  }

 private:
  Headless& owner_;
  std::size_t record_;
};

Headless::Headless() : clock_(ownClock_) {}

Headless::Headless(os::VirtualClock& clock) : clock_(clock) {}

Headless::~Headless() = default;

void Headless::At(Us when, std::function<void()> input) {
  script_.emplace(static_cast<std::uint64_t>(when.count()), std::move(input));
}

void Headless::ShowMainFormOnce() {
  if (mainShown_) return;
  mainShown_ = true;
  if (Form* main = app_.MainForm()) main->Show();
}

bool Headless::RunUntil(const std::function<bool()>& done, Us limit) {
  ShowMainFormOnce();
  app_.Loop().RunUntil(done, clock_.NowUs() + static_cast<std::uint64_t>(limit.count()));
  return done();
}

void Headless::RunFor(Us duration) {
  ShowMainFormOnce();
  const std::uint64_t end = clock_.NowUs() + static_cast<std::uint64_t>(duration.count());
  app_.Loop().RunUntil([] { return false; }, end);
  clock_.AdvanceTo(end);  // time passes even when nothing happens
}

std::function<void()> Headless::TakeInput() {
  auto first = script_.begin();
  if (first == script_.end() || first->first > clock_.NowUs()) return {};
  std::function<void()> input = std::move(first->second);
  script_.erase(first);
  return input;
}

bool Headless::Wait(std::optional<std::uint64_t> untilUs) {
  std::optional<std::uint64_t> wake = untilUs;
  if (!script_.empty() && (!wake || script_.begin()->first < *wake)) wake = script_.begin()->first;
  if (!wake) return false;
  clock_.AdvanceTo(*wake);
  return true;
}

std::optional<DialogAnswer> Headless::Decide(const DialogRecord& record) {
  if (record.request.exceptionBox) return DialogAnswer{mrOk};
  if (decide_) {
    DialogAnswer a = decide_(record);
    if (a.button == mrNone) return std::nullopt;  // left open for a scripted Press
    return a;
  }
  if (answers_.empty()) return std::nullopt;
  DialogAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

std::unique_ptr<DialogPeer> Headless::OpenDialog(const DialogRequest& request,
                                                 std::function<void(ModalResult)> answer) {
  const std::size_t record = dialogs_.size();
  dialogs_.push_back(DialogRecord{.request = request, .shownAt = Now()});
  open_.push_back(Open{record, std::move(answer)});
  if (auto a = Decide(dialogs_[record])) {
    auto button = ButtonFor(a->button);
    if (!button || !request.buttons.Has(*button)) {
      throw BackendFailure("the scripted answer is not a button of the dialog \"" + request.text + "\"");
    }
    At(Now() + a->after, [this, record, b = a->button] { PressOn(record, b); });
  }
  return std::make_unique<OpenBox>(*this, record);
}

bool Headless::PressOn(std::size_t record, ModalResult button) {
  auto it = std::find_if(open_.begin(), open_.end(), [&](const Open& o) { return o.record == record; });
  if (it == open_.end()) return false;
  auto b = ButtonFor(button);
  if (!b || !dialogs_[record].request.buttons.Has(*b)) return false;
  if (std::next(it) != open_.end()) {  // a dialog above it takes the input
    it->pending = button;
    return false;
  }
  dialogs_[record].answer = button;
  it->answer(button);
  return true;
}

bool Headless::Press(ModalResult button) {
  return !open_.empty() && PressOn(open_.back().record, button);
}

const DialogRecord* Headless::TopDialog() const {
  return open_.empty() ? nullptr : &dialogs_[open_.back().record];
}

TextSize Headless::MeasureText(const Font& font, std::string_view text) {
  // A stand-in for the real metrics: about the average advance of the
  // designer's sans-serif face, and its line height (13 px at 8 points).
  const int advance = (font.height * 5 + 5) / 11;
  return TextSize{static_cast<int>(CodePoints(text)) * advance, (font.height * 6 + 2) / 5};
}

}  // namespace ui::headless

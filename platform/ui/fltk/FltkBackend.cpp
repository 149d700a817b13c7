#include "platform/ui/fltk/FltkBackend.h"

#include <unistd.h>

#include <algorithm>
#include <climits>

#include <FL/Fl.H>
#include <FL/Fl_Tooltip.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include "platform/ui/Form.h"
#include "platform/ui/fltk/FltkDialog.h"
#include "platform/ui/fltk/FltkFonts.h"
#include "platform/ui/fltk/FltkPeers.h"
#include "platform/ui/fltk/FltkText.h"
#include "platform/ui/fltk/SpawnDetached.h"

namespace ui {

Backend& SystemBackend() {
  static fltk::FltkBackend backend;
  return backend;
}

}  // namespace ui

namespace ui::fltk {

FltkBackend::FltkBackend() = default;
FltkBackend::~FltkBackend() = default;

void FltkBackend::Queue(const void* owner, std::function<void()> input) {
  inputs_.emplace_back(owner, std::move(input));
}

void FltkBackend::Forget(const void* owner) {
  std::erase_if(inputs_, [owner](const auto& entry) { return entry.first == owner; });
}

void FltkBackend::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  fl_open_display();
  UseSansFamily(ChooseSansFamily());
  Fl::visual(FL_DOUBLE | FL_INDEX);
  Fl::scheme("gtk+");
  Fl::background(clBtnFace.r, clBtnFace.g, clBtnFace.b);
  Fl::visible_focus(1);
  Fl_Tooltip::font(FL_HELVETICA);
  Fl_Tooltip::size(Font{}.height);
}

std::uint64_t FltkBackend::NowUs() const {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - origin_).count());
}

std::function<void()> FltkBackend::TakeInput() {
  // Lets FLTK read what the X server sent and repaint what changed, without
  // waiting; the callbacks it runs only queue.
  Fl::wait(0);
  if (inputs_.empty()) return {};
  std::function<void()> input = std::move(inputs_.front().second);
  inputs_.pop_front();
  return input;
}

bool FltkBackend::Wait(std::optional<std::uint64_t> untilUs) {
  if (!inputs_.empty()) return true;
  if (!untilUs) {
    Fl::wait(1e20);  // FLTK's "forever": until an event
    return true;
  }
  const std::uint64_t now = NowUs();
  Fl::wait(*untilUs > now ? static_cast<double>(*untilUs - now) / 1e6 : 0.0);
  return true;
}

std::unique_ptr<Peer> FltkBackend::CreatePeer(Control& control) {
  Initialize();
  if (dynamic_cast<Form*>(&control)) return MakeFormPeer(*this, control);
  return MakeControlPeer(*this, control);
}

std::unique_ptr<DialogPeer> FltkBackend::OpenDialog(const DialogRequest& request,
                                                    std::function<void(ModalResult)> answer) {
  Initialize();
  return MakeDialog(*this, request, std::move(answer));
}

void FltkBackend::ShellOpen(const std::string& url) { SpawnDetached({"xdg-open", url}); }

TextSize FltkBackend::MeasureText(const Font& font, std::string_view text) {
  Initialize();  // the face must be chosen before anything is measured
  const int lineHeight = UseFont(font);
  int w = 0, h = 0;
  const std::string s(text);
  fl_measure(s.c_str(), w, h, 0);
  return TextSize{w, std::max(h, lineHeight)};
}

std::string FltkBackend::ProgramName() const {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string name(path, static_cast<std::size_t>(n));
  name = name.substr(name.find_last_of('/') + 1);
  return name.substr(0, name.find('.'));
}

}  // namespace ui::fltk

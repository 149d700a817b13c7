// The form's peer: a double-buffered window of the form's client size, fixed,
// centred on the screen at its first showing. Enter, Escape and the window
// manager's close become the form's own actions, queued for the loop.
#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_PNG_Image.H>

#include "platform/ui/Button.h"
#include "platform/ui/Form.h"
#include "platform/ui/fltk/FltkPeers.h"
#include "platform/ui/fltk/FltkText.h"

namespace ui::fltk {

namespace {

class FormPeer;

class FormWindow final : public Fl_Double_Window {
 public:
  explicit FormWindow(FormPeer& peer) : Fl_Double_Window(0, 0, 1, 1), peer_(peer) { end(); }
  int handle(int event) override;

 private:
  FormPeer& peer_;
};

class FormPeer final : public ContainerPeer {
 public:
  FormPeer(FltkBackend& b, Control& c) : ContainerPeer(b, c), window_(*this) {
    if (!Form().Icon().empty()) {
      const auto icon = Form().Icon();
      icon_ = std::make_unique<Fl_PNG_Image>(nullptr, icon.data(), static_cast<int>(icon.size()));
      if (icon_->d() > 0) window_.icon(icon_.get());
    }
    Attach();
  }
  Fl_Group& Group() override { return window_; }
  ui::Form& Form() const { return static_cast<ui::Form&>(control_); }

  // Enter presses the focused button, as on the designer's platform, or
  // else the form's default button.
  void QueueEnter() {
    for (Control* c : Form().Controls()) {
      auto* peer = dynamic_cast<FltkPeer*>(c->GetPeer());
      if (peer && dynamic_cast<Button*>(c) && Fl::focus() == &peer->Widget()) return peer->QueueClick();
    }
    backend_.Queue(this, [&f = Form()] { f.PressEnter(); });
  }

 private:
  void Sync(Property what) override {
    switch (what) {
      case Property::Bounds:
        window_.size(control_.Width(), control_.Height());
        window_.size_range(control_.Width(), control_.Height(), control_.Width(), control_.Height());
        break;
      case Property::Visible:
        control_.Visible() ? ShowWindow() : window_.hide();
        break;
      case Property::Caption:
        window_.copy_label(control_.Caption().c_str());  // a title is not a label: no symbols
        break;
      case Property::Color:
        window_.color(ColorOf(control_.Color()));
        break;
      default:
        break;
    }
  }
  void ShowWindow() {
    if (Form().Modal()) window_.set_modal();
    else window_.clear_modal_states();
    if (!placed_) {
      int x, y, w, h;
      Fl::screen_work_area(x, y, w, h);
      window_.position(x + (w - window_.w()) / 2, y + (h - window_.h()) / 2);
      placed_ = true;
    }
    window_.show();
  }
  // Escape and the window manager's close reach the window's callback.
  void Activated() override {
    backend_.Queue(this, [&f = Form()] { f.CloseRequest(); });
  }

  FormWindow window_;
  std::unique_ptr<Fl_PNG_Image> icon_;
  bool placed_ = false;
};

int FormWindow::handle(int event) {
  if (Fl_Double_Window::handle(event)) return 1;  // mnemonics first
  if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
    peer_.QueueEnter();
    return 1;
  }
  return 0;
}

}  // namespace

std::unique_ptr<Peer> MakeFormPeer(FltkBackend& backend, Control& form) {
  return std::make_unique<FormPeer>(backend, form);
}

}  // namespace ui::fltk

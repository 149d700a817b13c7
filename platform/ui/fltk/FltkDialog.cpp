#include "platform/ui/fltk/FltkDialog.h"

#include <algorithm>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/fl_draw.H>

#include "platform/ui/fltk/FltkText.h"

namespace ui::fltk {

namespace {

constexpr int kMargin = 12;
constexpr int kIcon = 32;
constexpr int kButtonW = 75, kButtonH = 23, kButtonGap = 6;

const Font& DialogFont() {
  static const Font font{};  // the form's sans-serif face, 11 px
  return font;
}

class IconWidget final : public Fl_Widget {
 public:
  IconWidget(int x, int y, MsgDlgType type) : Fl_Widget(x, y, kIcon, kIcon), type_(type) {}
  void draw() override {
    fl_color(type_ == mtError ? fl_rgb_color(200, 30, 30) : fl_rgb_color(30, 90, 200));
    fl_pie(x(), y(), w(), h(), 0, 360);
    fl_color(FL_WHITE);
    if (type_ == mtError) {
      fl_line_style(FL_SOLID, 4);
      fl_line(x() + 10, y() + 10, x() + 21, y() + 21);
      fl_line(x() + 21, y() + 10, x() + 10, y() + 21);
      fl_line_style(0);
      return;
    }
    fl_font(FL_HELVETICA_BOLD, 22);
    fl_draw(type_ == mtInformation ? "i" : "?", x(), y(), w(), h(), FL_ALIGN_CENTER, nullptr, 0);
  }

 private:
  MsgDlgType type_;
};

class TextWidget final : public Fl_Widget {
 public:
  TextWidget(int x, int y, int w, int h, std::string text) : Fl_Widget(x, y, w, h), text_(std::move(text)) {}
  void draw() override { DrawText(text_, DialogFont(), FL_BLACK, x(), y(), w(), h(), FL_ALIGN_LEFT | FL_ALIGN_TOP); }

 private:
  std::string text_;
};

class DialogBox;

class AnswerButton final : public Fl_Button {
 public:
  AnswerButton(int x, int y, MsgDlgBtn button, DialogBox& box);
  ModalResult Result() const { return result_; }

 private:
  std::string caption_;
  ModalResult result_;
};

class DialogWindow final : public Fl_Double_Window {
 public:
  DialogWindow(int w, int h, DialogBox& box) : Fl_Double_Window(w, h), box_(box) { end(); }
  int handle(int event) override;

 private:
  DialogBox& box_;
};

class DialogBox final : public DialogPeer {
 public:
  DialogBox(FltkBackend& backend, const DialogRequest& request, std::function<void(ModalResult)> answer);
  ~DialogBox() override { backend_.Forget(this); }

  void Answer(ModalResult r) {
    backend_.Queue(this, [a = answer_, r] { a(r); });
  }
  void PressFocusedOrFirst() {
    for (auto& b : buttons_) {
      if (Fl::focus() == b.get()) return Answer(b->Result());
    }
    Answer(buttons_.front()->Result());
  }
  // Escape and the window's close: only a dialog with OK alone has an answer
  // for them; Yes or No is never given by a stray key.
  void Dismiss() {
    if (buttons_.size() == 1 && buttons_.front()->Result() == mrOk) Answer(mrOk);
  }

 private:
  void Layout(const DialogRequest& request);

  FltkBackend& backend_;
  std::function<void(ModalResult)> answer_;
  std::string caption_;
  // The window first, so its widgets, declared after, leave it before it goes.
  std::unique_ptr<DialogWindow> window_;
  std::unique_ptr<IconWidget> icon_;
  std::unique_ptr<TextWidget> text_;
  std::vector<std::unique_ptr<AnswerButton>> buttons_;
};

AnswerButton::AnswerButton(int x, int y, MsgDlgBtn button, DialogBox& box)
    : Fl_Button(x, y, kButtonW, kButtonH), caption_(ButtonCaption(button)), result_(ButtonResult(button)) {
  label(caption_.c_str());
  labelfont(FL_HELVETICA);
  labelsize(DialogFont().height);
  callback([](Fl_Widget* w, void* b) {
    static_cast<DialogBox*>(b)->Answer(static_cast<AnswerButton*>(w)->Result());
  }, &box);
}

int DialogWindow::handle(int event) {
  if (Fl_Double_Window::handle(event)) return 1;
  if (event == FL_SHORTCUT && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
    box_.PressFocusedOrFirst();
    return 1;
  }
  return 0;
}

DialogBox::DialogBox(FltkBackend& backend, const DialogRequest& request, std::function<void(ModalResult)> answer)
    : backend_(backend), answer_(std::move(answer)), caption_(request.caption) {
  Layout(request);
  window_->label(caption_.c_str());
  window_->set_modal();
  window_->callback([](Fl_Widget*, void* b) { static_cast<DialogBox*>(b)->Dismiss(); }, this);
  int x, y, w, h;
  Fl::screen_work_area(x, y, w, h);
  window_->position(x + (w - window_->w()) / 2, y + (h - window_->h()) / 2);
  window_->show();
  buttons_.front()->take_focus();
}

void DialogBox::Layout(const DialogRequest& request) {
  UseFont(DialogFont());
  int textW = 0, textH = 0;
  fl_measure(request.text.c_str(), textW, textH, 0);
  std::vector<MsgDlgBtn> kinds;
  for (MsgDlgBtn b : {mbYes, mbNo, mbOK}) {
    if (request.buttons.Has(b)) kinds.push_back(b);
  }
  if (kinds.empty()) kinds.push_back(mbOK);
  const int textLeft = kMargin + kIcon + kMargin;
  const int rowW = static_cast<int>(kinds.size()) * (kButtonW + kButtonGap) - kButtonGap;
  const int width = std::max({textLeft + textW + kMargin, rowW + 2 * kMargin, 220});
  const int buttonTop = kMargin + std::max(kIcon, textH) + 2 * kMargin;
  window_ = std::make_unique<DialogWindow>(width, buttonTop + kButtonH + kMargin, *this);
  window_->color(ColorOf(clBtnFace));
  icon_ = std::make_unique<IconWidget>(kMargin, kMargin, request.type);
  text_ = std::make_unique<TextWidget>(textLeft, kMargin + std::max(0, (kIcon - textH) / 2), textW + 1, textH,
                                       request.text);
  window_->add(icon_.get());
  window_->add(text_.get());
  int left = (width - rowW) / 2;
  for (MsgDlgBtn b : kinds) {
    buttons_.push_back(std::make_unique<AnswerButton>(left, buttonTop, b, *this));
    window_->add(buttons_.back().get());
    left += kButtonW + kButtonGap;
  }
}

}  // namespace

std::unique_ptr<DialogPeer> MakeDialog(FltkBackend& backend, const DialogRequest& request,
                                       std::function<void(ModalResult)> answer) {
  return std::make_unique<DialogBox>(backend, request, std::move(answer));
}

}  // namespace ui::fltk

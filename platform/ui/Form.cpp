#include "platform/ui/Form.h"

#include <algorithm>

#include "platform/ui/Application.h"
#include "platform/ui/Button.h"

namespace ui {

namespace {

ControlDesc BaseDesc(const FormDesc& d) {
  return ControlDesc{.name = d.name,
                     .width = d.clientWidth,
                     .height = d.clientHeight,
                     .caption = d.caption,
                     .visible = false};
}

}  // namespace

Form::Form(const FormDesc& desc)
    : Container(*this, BaseDesc(desc), FontFrom(desc.font, ui::Font{}), desc.color),
      app_(&ui::App()),
      border_(desc.border),
      minimizeOnly_(desc.minimizeOnly),
      icon_(desc.icon.Bytes()) {
  handle_ = app_->Register(*this);
}

Form::~Form() { app_->Unregister(*this); }

Control* Form::FindControl(std::string_view name) const {
  for (Control* c : controls_) {
    if (c->Name() == name) return c;
  }
  return nullptr;
}

void Form::Disown(Control& c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), &c), controls_.end());
  if (cancel_ == &c) cancel_ = nullptr;
}

void Form::Close() {
  Hide();
  if (app_->MainForm() == this) app_->Terminate();
}

ModalResult Form::ShowModal() {
  modal_ = true;
  Show();
  app_->RunModal(*this);
  Hide();
  modal_ = false;
  return mrCancel;
}

void Form::OnMessage(UINT msg, std::function<void(Message&)> handler) {
  handlers_[msg] = std::move(handler);
}

void Form::Dispatch(Message& message) {
  auto it = handlers_.find(message.msg);
  if (it != handlers_.end() && it->second) it->second(message);
}

Button* Form::DefaultButton() const {
  for (Control* c : controls_) {
    auto* b = dynamic_cast<Button*>(c);
    if (b && b->Default()) return b;
  }
  return nullptr;
}

void Form::PressEnter() {
  if (Button* b = DefaultButton()) b->Click();
}

void Form::PressEscape() {
  if (cancel_) cancel_->Click();
}

}  // namespace ui

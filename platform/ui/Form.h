// A top-level window: its caption, client size, border, colour, font and
// icon; the controls it owns, in creation order; its message map for posted
// messages; Show, Close and ShowModal with its nested loop.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string_view>
#include <vector>

#include "platform/ui/Container.h"
#include "platform/ui/ControlDesc.h"
#include "platform/ui/Dialogs.h"

namespace ui {

class Application;
class Button;

class Form : public Container {
 public:
  explicit Form(const FormDesc& desc);
  ~Form() override;

  Application& App() const { return *app_; }
  HWND Handle() const { return handle_; }

  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientWidth(int w) { SetWidth(w); }
  void SetClientHeight(int h) { SetHeight(h); }
  ui::BorderStyle BorderStyle() const { return border_; }
  bool MinimizeOnly() const { return minimizeOnly_; }
  std::span<const unsigned char> Icon() const { return icon_; }

  // Every control of the form, in creation order (the resource's order).
  const std::vector<Control*>& Controls() const { return controls_; }
  Control* FindControl(std::string_view name) const;

  // Close hides the form; closing the main form ends the application's loop,
  // closing a modal form ends its ShowModal.
  void Close();
  ModalResult ShowModal();
  bool Modal() const { return modal_; }

  // The message map: posted messages with a handler go to it, others are
  // dropped (the default handling of a private message is to do nothing).
  void OnMessage(UINT msg, std::function<void(Message&)> handler);
  void Dispatch(Message& message);

  // Keyboard and window-manager actions, which back ends turn into these.
  // Enter presses the default button; Escape and the window's close press the
  // cancel button while it can take input, and do nothing otherwise, so that
  // no keystroke can cut short what that button's state forbids.
  Button* DefaultButton() const;
  void SetCancelButton(Button* button) { cancel_ = button; }
  Button* CancelButton() const { return cancel_; }
  void PressEnter();
  void PressEscape();
  void CloseRequest() { PressEscape(); }

 private:
  friend class Control;
  void Own(Control& c) { controls_.push_back(&c); }
  void Disown(Control& c);

  Application* app_;
  HWND handle_ = 0;
  ui::BorderStyle border_;
  bool minimizeOnly_;
  std::span<const unsigned char> icon_;
  std::vector<Control*> controls_;
  std::map<UINT, std::function<void(Message&)>> handlers_;
  Button* cancel_ = nullptr;
  bool modal_ = false;
};

}  // namespace ui

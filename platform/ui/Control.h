// The base of every visual control: geometry, visibility, enabled state,
// caption, font, alignment, hint, tab order, cursor and the click event.
// A control registers with its parent and its form when it is constructed,
// in creation order, which is the order of the form's resource. Setters tell
// the control's peer, so a real window follows the model; getters are the
// model itself, which is what tests read.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/Backend.h"
#include "platform/ui/ControlDesc.h"
#include "platform/ui/Types.h"

namespace ui {

class Application;
class Container;
class Form;

class Control {
 public:
  Control(Container& parent, const ControlDesc& desc);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  Container* Parent() const { return parent_; }
  Form& OwnerForm() const { return *form_; }
  Application& App() const;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  void SetBounds(int left, int top, int width, int height);
  // Position in the form's client area, whatever the nesting.
  int FormLeft() const;
  int FormTop() const;

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

  const ui::Font& Font() const { return font_; }
  void SetFont(const ui::Font& font);
  void SetFontStyle(FontStyles style);
  void SetFontSize(int points);
  void SetFontColor(ui::Color color);

  ui::Alignment Alignment() const { return alignment_; }
  void SetAlignment(ui::Alignment a);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  ui::Cursor Cursor() const { return cursor_; }
  void SetCursor(ui::Cursor c);
  ui::Color Color() const { return color_; }
  void SetColor(ui::Color c);

  // A user's click, from a test or from the back end. Ignored unless the
  // control can take input: it and every parent up to its form are visible
  // and enabled, and no modal window of another form is open.
  void Click();
  bool CanTakeInput() const;
  std::function<void()> OnClick;
  // Whether the control can hold the keyboard focus (and so has a tab order).
  virtual bool Focusable() const { return false; }

  // Peers are made when the form is first shown; the back end attaches them.
  Peer* GetPeer() const { return peer_.get(); }
  virtual void Realize();

 protected:
  // The form's own base: a form is its own owner and has no parent.
  Control(Form& self, const ControlDesc& desc, const ui::Font& font, ui::Color color);
  virtual void DoClick();
  void Notify(Property what);
  // Hooks for controls whose model depends on caption or font (auto-size).
  virtual void AfterTextChange() {}

 private:
  void InitFrom(const ControlDesc& desc);

  std::string name_;
  Container* parent_ = nullptr;
  Form* form_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  ui::Font font_;
  ui::Alignment alignment_ = ui::Alignment::Left;
  std::string hint_;
  bool showHint_ = false;
  int tabOrder_ = -1;
  bool tabStop_ = true;
  ui::Cursor cursor_ = ui::Cursor::Default;
  ui::Color color_ = clBtnFace;
  std::unique_ptr<Peer> peer_;
};

// The font a control gets from its description and its parent's font.
ui::Font FontFrom(const FontDesc& desc, const ui::Font& parent);

}  // namespace ui

#include "platform/ui/Control.h"

#include <utility>

#include "platform/ui/Application.h"
#include "platform/ui/Container.h"
#include "platform/ui/Form.h"

namespace ui {

ui::Font FontFrom(const FontDesc& desc, const ui::Font& parent) {
  ui::Font font = parent;
  if (!desc.name.empty()) font.name = std::string(desc.name);
  if (desc.size != 0) font.SetSize(desc.size);
  font.style = desc.style;
  font.color = desc.color;
  return font;
}

Control::Control(Container& parent, const ControlDesc& desc)
    : parent_(&parent), form_(&parent.OwnerForm()), font_(FontFrom(desc.font, parent.Font())),
      color_(desc.color.value_or(parent.Color())) {
  InitFrom(desc);
  parent_->Add(*this);
  form_->Own(*this);
}

Control::Control(Form& self, const ControlDesc& desc, const ui::Font& font, ui::Color color)
    : form_(&self), font_(font), color_(color) {
  InitFrom(desc);
}

void Control::InitFrom(const ControlDesc& desc) {
  name_ = std::string(desc.name);
  left_ = desc.left;
  top_ = desc.top;
  width_ = desc.width;
  height_ = desc.height;
  caption_ = std::string(desc.caption);
  visible_ = desc.visible;
  enabled_ = desc.enabled;
  tabOrder_ = desc.tabOrder;
  tabStop_ = desc.tabStop;
  alignment_ = desc.alignment;
  hint_ = std::string(desc.hint);
  showHint_ = desc.showHint;
  cursor_ = desc.cursor;
}

Control::~Control() {
  // The peer goes first: it may still refer to its parent's on-screen group.
  peer_.reset();
  if (parent_) {
    parent_->Remove(*this);
    form_->Disown(*this);
  }
}

Application& Control::App() const { return form_->App(); }

void Control::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Notify(Property::Bounds);
}

int Control::FormLeft() const {
  return parent_ ? parent_->FormLeft() + left_ : 0;
}

int Control::FormTop() const {
  return parent_ ? parent_->FormTop() + top_ : 0;
}

void Control::SetVisible(bool v) {
  if (v && !parent_) Realize();  // a form gets its window when first shown
  if (v == visible_) return;
  visible_ = v;
  Notify(Property::Visible);
}

void Control::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Notify(Property::Enabled);
}

void Control::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  AfterTextChange();
  Notify(Property::Caption);
}

void Control::SetFont(const ui::Font& font) {
  if (font == font_) return;
  font_ = font;
  AfterTextChange();
  Notify(Property::Font);
}

void Control::SetFontStyle(FontStyles style) {
  ui::Font f = font_;
  f.style = style;
  SetFont(f);
}

void Control::SetFontSize(int points) {
  ui::Font f = font_;
  f.SetSize(points);
  SetFont(f);
}

void Control::SetFontColor(ui::Color color) {
  ui::Font f = font_;
  f.color = color;
  SetFont(f);
}

void Control::SetAlignment(ui::Alignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  Notify(Property::Alignment);
}

void Control::SetHint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  Notify(Property::Hint);
}

void Control::SetShowHint(bool v) {
  if (v == showHint_) return;
  showHint_ = v;
  Notify(Property::Hint);
}

void Control::SetTabOrder(int order) {
  if (order == tabOrder_) return;
  tabOrder_ = order;
  Notify(Property::State);
}

void Control::SetTabStop(bool v) {
  if (v == tabStop_) return;
  tabStop_ = v;
  Notify(Property::State);
}

void Control::SetCursor(ui::Cursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  Notify(Property::Cursor);
}

void Control::SetColor(ui::Color c) {
  if (c == color_) return;
  color_ = c;
  Notify(Property::Color);
}

bool Control::CanTakeInput() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_ || !c->enabled_) return false;
  }
  return App().InputAllowed(*form_);
}

void Control::Click() {
  if (CanTakeInput()) DoClick();
}

void Control::DoClick() {
  if (OnClick) OnClick();
}

void Control::Notify(Property what) {
  if (peer_) peer_->Changed(what);
}

void Control::Realize() {
  if (!peer_) peer_ = App().GetBackend().CreatePeer(*this);
}

}  // namespace ui

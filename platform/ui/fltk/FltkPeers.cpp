#include "platform/ui/fltk/FltkPeers.h"

#include <algorithm>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_JPEG_Image.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include "platform/ui/Button.h"
#include "platform/ui/Container.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/GroupBox.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressBar.h"
#include "platform/ui/RadioButton.h"
#include "platform/ui/fltk/FltkText.h"

namespace ui::fltk {

// ---- the common part -------------------------------------------------------

FltkPeer::~FltkPeer() { backend_.Forget(this); }

void FltkPeer::QueueClick() {
  backend_.Queue(this, [&c = control_] { c.Click(); });
}

void FltkPeer::OnWidget(Fl_Widget*, void* peer) { static_cast<FltkPeer*>(peer)->Activated(); }

ContainerPeer* ContainerPeerOf(const Control& control) {
  return dynamic_cast<ContainerPeer*>(control.GetPeer());
}

void FltkPeer::Attach() {
  Fl_Widget& w = Widget();
  w.callback(&FltkPeer::OnWidget, this);
  if (Container* parent = control_.Parent()) {
    ContainerPeer* group = ContainerPeerOf(*parent);
    group->Group().add(w);
    group->Reorder();
  }
  for (Property p : {Property::Bounds, Property::Visible, Property::Enabled, Property::Caption, Property::Font,
                     Property::Alignment, Property::Hint, Property::Color, Property::State}) {
    Sync(p);
  }
}

void FltkPeer::Changed(Property what) {
  Sync(what);
  if (what == Property::State && control_.Parent()) ContainerPeerOf(*control_.Parent())->Reorder();
  Fl_Widget& w = Widget();
  // Geometry and visibility change what lies around the widget too.
  if ((what == Property::Bounds || what == Property::Visible) && w.window()) w.window()->redraw();
  else if (SeeThrough() && w.window()) w.window()->damage(FL_DAMAGE_ALL, w.x(), w.y(), w.w(), w.h());
  else w.redraw();
}

void FltkPeer::Sync(Property what) {
  Fl_Widget& w = Widget();
  switch (what) {
    case Property::Bounds:
      w.resize(control_.FormLeft(), control_.FormTop(), control_.Width(), control_.Height());
      break;
    case Property::Visible:
      control_.Visible() ? w.show() : w.hide();
      break;
    case Property::Enabled:
      control_.Enabled() ? w.activate() : w.deactivate();
      break;
    case Property::Caption:
      w.copy_label(EscapeSymbols(control_.Caption()).c_str());
      break;
    case Property::Font:
      w.labelfont(FaceOf(control_.Font()));
      w.labelsize(control_.Font().height);
      w.labelcolor(ColorOf(control_.Font().color));
      break;
    case Property::Hint:
      w.copy_tooltip(control_.ShowHint() && !control_.Hint().empty() ? control_.Hint().c_str() : nullptr);
      break;
    case Property::Color:
      w.color(ColorOf(control_.Color()));
      break;
    case Property::State:
      w.visible_focus(control_.Focusable() ? 1 : 0);
      break;
    case Property::Alignment:
    case Property::Cursor:
      break;
  }
}

void ContainerPeer::Reorder() {
  auto& container = static_cast<Container&>(control_);
  std::vector<Control*> order;
  for (Control* c : container.Children()) {
    if (!c->Focusable()) order.push_back(c);
  }
  for (Control* c : container.TabOrdered()) order.push_back(c);
  int index = 0;
  for (Control* c : order) {
    if (auto* peer = dynamic_cast<FltkPeer*>(c->GetPeer())) Group().insert(peer->Widget(), index++);
  }
}

// ---- widgets ----------------------------------------------------------------

namespace {

// Sets the window's cursor while the mouse is over a control that asks for one.
int TrackCursor(Fl_Widget& w, const Control& c, int event) {
  if (c.Cursor() != Cursor::HandPoint || !w.window()) return 0;
  if (event == FL_ENTER) w.window()->cursor(FL_CURSOR_HAND);
  if (event == FL_LEAVE) w.window()->cursor(FL_CURSOR_DEFAULT);
  return event == FL_ENTER || event == FL_LEAVE ? 1 : 0;
}

// A click: pressed and released inside, by a control that has a handler.
int TrackClick(Fl_Widget& w, const Control& c, int event, FltkPeer& peer) {
  if (!c.OnClick) return 0;
  if (event == FL_PUSH) return 1;
  if (event == FL_RELEASE) {
    if (Fl::event_inside(&w)) peer.QueueClick();
    return 1;
  }
  return 0;
}

class LabelWidget final : public Fl_Widget {
 public:
  explicit LabelWidget(FltkPeer& peer) : Fl_Widget(0, 0, 0, 0), peer_(peer) {}
  void draw() override {
    const auto& c = static_cast<const Label&>(peer_.Model());
    if (!c.Transparent()) {
      fl_color(color());
      fl_rectf(x(), y(), w(), h());
    }
    const Fl_Color ink = active_r() ? ColorOf(c.Font().color) : fl_inactive(ColorOf(c.Font().color));
    DrawText(text_, c.Font(), ink, x(), y(), w(), h(), AlignOf(c.Alignment()) | FL_ALIGN_TOP);
  }
  int handle(int event) override {
    const Control& c = peer_.Model();
    return TrackCursor(*this, c, event) | TrackClick(*this, c, event, peer_);
  }
  void SetText(std::string text) { text_ = std::move(text); }

 private:
  FltkPeer& peer_;
  std::string text_;  // the widget's own copy: drawing never reads a dying model
};

class LabelPeer final : public FltkPeer {
 public:
  LabelPeer(FltkBackend& b, Control& c) : FltkPeer(b, c), widget_(*this) { Attach(); }
  Fl_Widget& Widget() override { return widget_; }

 private:
  void Sync(Property what) override {
    if (what == Property::Caption) return widget_.SetText(control_.Caption());
    FltkPeer::Sync(what);
    if (what == Property::State) widget_.clear_visible_focus();
  }
  bool SeeThrough() const override { return static_cast<const Label&>(control_).Transparent(); }
  LabelWidget widget_;
};

class ButtonPeer final : public FltkPeer {
 public:
  ButtonPeer(FltkBackend& b, Control& c) : FltkPeer(b, c), widget_(0, 0, 0, 0) { Attach(); }
  Fl_Widget& Widget() override { return widget_; }

 private:
  Fl_Button widget_;  // its & marks the mnemonic, drawn underlined and pressed with Alt
};

class EditPeer final : public FltkPeer {
 public:
  EditPeer(FltkBackend& b, Control& c) : FltkPeer(b, c), widget_(0, 0, 0, 0) { Attach(); }
  Fl_Widget& Widget() override { return widget_; }

 private:
  void Sync(Property what) override {
    const auto& edit = static_cast<const Edit&>(control_);
    switch (what) {
      case Property::Caption:
        widget_.value(edit.Text().c_str());
        return;
      case Property::Font:
        widget_.textfont(FaceOf(edit.Font()));
        widget_.textsize(edit.Font().height);
        widget_.textcolor(ColorOf(edit.Font().color));
        return;
      case Property::State:
        widget_.readonly(edit.ReadOnly() ? 1 : 0);
        break;
      default:
        break;
    }
    FltkPeer::Sync(what);
  }
  void Activated() override {}
  Fl_Input widget_;
};

class RadioPeer final : public FltkPeer {
 public:
  RadioPeer(FltkBackend& b, Control& c) : FltkPeer(b, c), widget_(0, 0, 0, 0) {
    widget_.type(FL_TOGGLE_BUTTON);
    Attach();
  }
  Fl_Widget& Widget() override { return widget_; }

 private:
  void Sync(Property what) override {
    FltkPeer::Sync(what);
    if (what == Property::State) widget_.value(static_cast<const RadioButton&>(control_).Checked() ? 1 : 0);
  }
  void Activated() override {
    // FLTK has toggled it already; the model decides, when the click runs.
    Sync(Property::State);
    QueueClick();
  }
  Fl_Round_Button widget_;
};

class ImageWidget final : public Fl_Widget {
 public:
  explicit ImageWidget(const Image& model) : Fl_Widget(0, 0, 0, 0), model_(model) {}
  void draw() override {
    if (!model_.Transparent()) {
      fl_color(color());
      fl_rectf(x(), y(), w(), h());
    }
    if (!shown_) return;
    // Unscaled pictures are drawn from the control's corner and clipped.
    fl_push_clip(x(), y(), w(), h());
    shown_->draw(x() + place_.left, y() + place_.top);
    fl_pop_clip();
  }
  void Update() {
    const auto bytes = model_.Picture();
    if (bytes.data() != decodedFrom_) {
      decodedFrom_ = bytes.data();
      decoded_ = bytes.empty() ? nullptr : std::make_unique<Fl_JPEG_Image>(nullptr, bytes.data());
      if (decoded_ && decoded_->d() == 0) decoded_.reset();  // not decodable: draw nothing
      scaled_.reset();
    }
    place_ = model_.PictureRect();
    shown_ = decoded_.get();
    if (decoded_ && (place_.width != decoded_->w() || place_.height != decoded_->h())) {
      if (!scaled_ || scaled_->w() != place_.width || scaled_->h() != place_.height) {
        scaled_.reset(decoded_->copy(place_.width, place_.height));
      }
      shown_ = scaled_.get();
    }
  }

 private:
  const Image& model_;
  const unsigned char* decodedFrom_ = nullptr;
  std::unique_ptr<Fl_JPEG_Image> decoded_;
  std::unique_ptr<Fl_Image> scaled_;
  Fl_Image* shown_ = nullptr;
  Rect place_;
};

class ImagePeer final : public FltkPeer {
 public:
  ImagePeer(FltkBackend& b, Control& c) : FltkPeer(b, c), widget_(static_cast<const Image&>(c)) { Attach(); }
  Fl_Widget& Widget() override { return widget_; }

 private:
  void Sync(Property what) override {
    if (what == Property::Caption) return;
    FltkPeer::Sync(what);
    if (what == Property::State || what == Property::Bounds) widget_.Update();
  }
  bool SeeThrough() const override { return static_cast<const Image&>(control_).Transparent(); }
  ImageWidget widget_;
};

class ProgressWidget final : public Fl_Widget {
 public:
  explicit ProgressWidget(const ProgressBar& model) : Fl_Widget(0, 0, 0, 0), model_(model) {}
  void draw() override {
    draw_box(FL_THIN_DOWN_BOX, x(), y(), w(), h(), FL_WHITE);
    const int span = model_.Max() - model_.Min();
    if (span <= 0) return;
    const int inner = w() - 4;
    const int filled = static_cast<int>(static_cast<long long>(inner) * (model_.Position() - model_.Min()) / span);
    fl_color(fl_rgb_color(0, 120, 215));
    if (model_.Smooth()) {
      fl_rectf(x() + 2, y() + 2, filled, h() - 4);
      return;
    }
    // Segmented, as the classic bar: blocks two thirds as wide as high.
    const int block = std::max(4, (h() - 4) * 2 / 3);
    for (int left = 0; left < filled; left += block + 2) {
      fl_rectf(x() + 2 + left, y() + 2, std::min(block, inner - left), h() - 4);
    }
  }

 private:
  const ProgressBar& model_;
};

class ProgressPeer final : public FltkPeer {
 public:
  ProgressPeer(FltkBackend& b, Control& c) : FltkPeer(b, c), widget_(static_cast<const ProgressBar&>(c)) {
    Attach();
  }
  Fl_Widget& Widget() override { return widget_; }

 private:
  void Sync(Property what) override {
    if (what != Property::Caption) FltkPeer::Sync(what);
  }
  void Activated() override {}
  ProgressWidget widget_;
};

// A group box: an etched frame with its caption set into the top edge.
class GroupWidget final : public Fl_Group {
 public:
  explicit GroupWidget(const Control& model) : Fl_Group(0, 0, 0, 0), model_(model) { end(); }
  void draw() override {
    if (damage() & ~FL_DAMAGE_CHILD) {
      fl_color(color());
      fl_rectf(x(), y(), w(), h());
      const int lineHeight = UseFont(model_.Font());
      const int top = y() + lineHeight / 2;
      draw_box(FL_ENGRAVED_FRAME, x(), top, w(), h() - (top - y()), color());
      if (!caption_.empty()) {
        const int textWidth = static_cast<int>(fl_width(caption_.c_str()));
        fl_color(color());
        fl_rectf(x() + 6, y(), textWidth + 4, lineHeight);
        const Fl_Color ink = active_r() ? ColorOf(model_.Font().color) : fl_inactive(ColorOf(model_.Font().color));
        DrawText(caption_, model_.Font(), ink, x() + 8, y(), textWidth + 1, lineHeight, FL_ALIGN_LEFT | FL_ALIGN_TOP);
      }
    }
    draw_children();
  }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }

 private:
  const Control& model_;
  std::string caption_;
};

class GroupBoxPeer final : public ContainerPeer {
 public:
  GroupBoxPeer(FltkBackend& b, Control& c) : ContainerPeer(b, c), widget_(c) { Attach(); }
  Fl_Group& Group() override { return widget_; }

 private:
  void Sync(Property what) override {
    if (what == Property::Caption) return widget_.SetCaption(control_.Caption());
    FltkPeer::Sync(what);
    if (what == Property::Bounds) {  // children sit in window coordinates
      for (Control* child : static_cast<Container&>(control_).Children()) {
        if (Peer* p = child->GetPeer()) p->Changed(Property::Bounds);
      }
    }
  }
  void Activated() override {}
  GroupWidget widget_;
};

}  // namespace

std::unique_ptr<Peer> MakeControlPeer(FltkBackend& backend, Control& control) {
  if (dynamic_cast<Label*>(&control)) return std::make_unique<LabelPeer>(backend, control);
  if (dynamic_cast<Button*>(&control)) return std::make_unique<ButtonPeer>(backend, control);
  if (dynamic_cast<Edit*>(&control)) return std::make_unique<EditPeer>(backend, control);
  if (dynamic_cast<RadioButton*>(&control)) return std::make_unique<RadioPeer>(backend, control);
  if (dynamic_cast<Image*>(&control)) return std::make_unique<ImagePeer>(backend, control);
  if (dynamic_cast<ProgressBar*>(&control)) return std::make_unique<ProgressPeer>(backend, control);
  if (dynamic_cast<GroupBox*>(&control)) return std::make_unique<GroupBoxPeer>(backend, control);
  return nullptr;  // a kind this back end does not draw
}

}  // namespace ui::fltk

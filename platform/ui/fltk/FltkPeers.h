// The FLTK mirror of each control. A peer owns its widget; the widget sits
// in its parent's group at the control's position in the form (FLTK places
// every widget in window coordinates, group boxes included). Taking a peer
// down removes the widget from its group, and the controls of a form go
// before the form, so no group ever deletes a widget that a peer owns.
#pragma once

#include <memory>

#include <FL/Fl_Group.H>
#include <FL/Fl_Widget.H>

#include "platform/ui/Control.h"
#include "platform/ui/fltk/FltkBackend.h"

namespace ui::fltk {

class FltkPeer : public Peer {
 public:
  FltkPeer(FltkBackend& backend, Control& control) : backend_(backend), control_(control) {}
  ~FltkPeer() override;

  virtual Fl_Widget& Widget() = 0;
  Control& Model() const { return control_; }
  void Changed(Property what) override;
  // A user's click on the widget, run later by the loop.
  void QueueClick();

 protected:
  // Puts the widget in its parent's group and brings it up to the model.
  void Attach();
  virtual void Sync(Property what);
  // A widget that draws no background of its own: what lies under it must be
  // repainted when it changes, or its old text would show through.
  virtual bool SeeThrough() const { return false; }
  FltkBackend& backend_;
  Control& control_;

 private:
  static void OnWidget(Fl_Widget* widget, void* peer);
  virtual void Activated() { QueueClick(); }
};

// A peer whose widget is a group: the form's window or a group box.
class ContainerPeer : public FltkPeer {
 public:
  using FltkPeer::FltkPeer;
  virtual Fl_Group& Group() = 0;
  Fl_Widget& Widget() override { return Group(); }
  // Orders the group's widgets as the form expects: pictures and labels
  // first, under the rest, in creation order; then the focusable controls in
  // tab order, which is FLTK's keyboard navigation order.
  void Reorder();
};

ContainerPeer* ContainerPeerOf(const Control& control);
std::unique_ptr<Peer> MakeControlPeer(FltkBackend& backend, Control& control);
std::unique_ptr<Peer> MakeFormPeer(FltkBackend& backend, Control& form);

}  // namespace ui::fltk

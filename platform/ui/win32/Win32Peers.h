// The native mirror of each control: a child window of the form's window at
// the control's position in the form. Radio buttons are children of the
// form too, not of their group box: a group box's window procedure is the
// system's and would swallow their notifications, so the group box only
// draws its frame, and its children follow its visibility, enabled state
// and position through their peers.
#pragma once

#include <memory>

#include "platform/ui/win32/Win32Backend.h"
#include "platform/ui/win32/Win32Handles.h"

namespace ui::win32 {

class Win32Peer : public Peer {
 public:
  Win32Peer(Win32Backend& backend, Control& control) : backend_(backend), control_(control) {}
  ~Win32Peer() override;
  Win32Peer(const Win32Peer&) = delete;
  Win32Peer& operator=(const Win32Peer&) = delete;

  HWND Window() const { return window_.get(); }
  Control& Model() const { return control_; }
  int Id() const { return id_; }
  void Changed(Property what) override;
  // A user's click on the window, run later by the loop.
  void QueueClick();

  // Asked by the form's window procedure on behalf of this control.
  virtual void Command(WORD /*notification*/) {}
  virtual HBRUSH Colors(HDC dc);
  // WM_DRAWITEM, for the windows we draw ourselves.
  virtual void Draw(const DRAWITEMSTRUCT& /*item*/) {}
  bool HandCursor() const { return control_.Cursor() == Cursor::HandPoint; }

 protected:
  // Makes the child window, then brings it up to the model.
  void Create(const wchar_t* windowClass, DWORD style, DWORD exStyle = 0);
  virtual void Sync(Property what);
  void SetStyleBit(DWORD bit, bool on);
  Win32Backend& backend_;
  Control& control_;
  UniqueWindow window_;

 private:
  int id_ = 0;
  bool tooltip_ = false;
};

// The peer of a window of ours, from the window.
Win32Peer* PeerOf(HWND window);

// The form's side that the controls need.
class FormSide {
 public:
  virtual ~FormSide() = default;
  virtual HWND FormWindow() const = 0;
  // Z-order, and so tab order: windowed controls first, in the form's tab
  // order (a group box followed by its radio buttons), then pictures and
  // labels, which the designer's platform draws under every windowed control.
  virtual void Reorder() = 0;
  virtual void Tooltip(HWND tool, const std::wstring* text) = 0;
};
FormSide& FormSideOf(const Control& control);
// None once the form's own peer has gone.
FormSide* FindFormSide(const Control& control);

void RegisterWindowClasses(HINSTANCE instance);
void RegisterPictureClass(HINSTANCE instance);
std::unique_ptr<Peer> MakePeer(Win32Backend& backend, Control& control);
std::unique_ptr<Peer> MakeFormPeer(Win32Backend& backend, Control& form);

}  // namespace ui::win32

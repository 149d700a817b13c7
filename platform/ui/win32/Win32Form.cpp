// The form's peer: a top-level window whose client area is the form's size,
// fixed, centred on the screen's work area at its first showing. A main
// window "minimise only, without the system menu" has WS_MINIMIZEBOX but no
// WS_SYSMENU, so Windows draws no button at all in its title bar. Enter,
// Escape and the window's close become the form's own actions, queued for
// the loop; keyboard navigation is the dialog manager's (IsDialogMessage,
// called by the back end's pump).
#include <vector>

#include "platform/ui/win32/Win32Peers.h"
#include "platform/ui/win32/Win32Text.h"

namespace ui::win32 {

namespace {

class FormPeer final : public Win32Peer, public FormSide {
 public:
  FormPeer(Win32Backend& b, Control& c);
  ~FormPeer() override;

  HWND FormWindow() const override { return Window(); }
  void Reorder() override;
  void Tooltip(HWND tool, const std::wstring* text) override;
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  ui::Form& Model() const { return static_cast<ui::Form&>(control_); }
  DWORD Style() const;
  DWORD ExStyle() const;
  void Sync(Property what) override;
  void Resize();
  void ShowOrHide();
  void Center();
  void Command(WPARAM wParam, LPARAM lParam);
  LRESULT DefaultId() const;
  bool SetCursorFor(HWND child) const;
  std::vector<Control*> ZOrder() const;

  UniqueIcon icon_;
  UniqueWindow tooltips_;
  HWND focus_ = nullptr;
  bool placed_ = false;
  bool modalPushed_ = false;
};

LRESULT CALLBACK FormProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (auto* peer = dynamic_cast<FormPeer*>(PeerOf(window))) return peer->Handle(msg, wParam, lParam);
  return DefWindowProcW(window, msg, wParam, lParam);
}

FormPeer::FormPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) {
  HWND owner = nullptr;
  if (ui::Form* main = Model().App().MainForm(); main && main != &Model()) {
    if (auto* peer = dynamic_cast<FormPeer*>(main->GetPeer())) owner = peer->Window();
  }
  // An owned form stays above its owner and has no taskbar button of its own.
  window_.reset(CreateWindowExW(ExStyle(), kFormClass, L"", Style(), CW_USEDEFAULT, CW_USEDEFAULT, 1, 1, owner,
                                nullptr, backend_.Instance(), nullptr));
  SetWindowLongPtrW(Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<Win32Peer*>(this)));
  tooltips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr,
                                  backend_.Instance(), nullptr));
  if (!Model().Icon().empty()) icon_ = DecodeIcon(Model().Icon());
  if (icon_) {
    SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  }
  for (Property p : {Property::Caption, Property::Bounds, Property::Visible}) Sync(p);
}

FormPeer::~FormPeer() {
  if (modalPushed_) backend_.PopModal(Window());
  // The window goes before the icon it shows.
  tooltips_.reset();
  window_.reset();
}

DWORD FormPeer::Style() const {
  if (Model().BorderStyle() == BorderStyle::Dialog) return WS_POPUP | WS_CAPTION | WS_SYSMENU;
  if (Model().MinimizeOnly()) return WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX;
  return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}

DWORD FormPeer::ExStyle() const {
  return Model().BorderStyle() == BorderStyle::Dialog ? WS_EX_DLGMODALFRAME : 0;
}

void FormPeer::Sync(Property what) {
  switch (what) {
    case Property::Bounds:
      Resize();
      break;
    case Property::Visible:
      ShowOrHide();
      break;
    case Property::Caption:
      SetWindowTextW(Window(), Widen(control_.Caption()).c_str());
      break;
    case Property::Color:
      InvalidateRect(Window(), nullptr, TRUE);
      break;
    default:
      break;
  }
}

void FormPeer::Resize() {
  RECT r{0, 0, control_.Width(), control_.Height()};
  AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
  SetWindowPos(Window(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPeer::Center() {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r;
  GetWindowRect(Window(), &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(Window(), nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormPeer::ShowOrHide() {
  if (!control_.Visible()) {
    // The others are enabled again before this one goes, so that Windows
    // hands the activation back to them rather than to another program.
    if (modalPushed_) backend_.PopModal(Window());
    modalPushed_ = false;
    ShowWindow(Window(), SW_HIDE);
    return;
  }
  if (!placed_) Center();
  placed_ = true;
  ShowWindow(Window(), SW_SHOW);
  if (Model().Modal() && !modalPushed_) {
    backend_.PushModal(Window());
    modalPushed_ = true;
  }
  SetForegroundWindow(Window());
  if (HWND first = GetNextDlgTabItem(Window(), nullptr, FALSE)) SetFocus(first);
  UpdateWindow(Window());
}

std::vector<Control*> FormPeer::ZOrder() const {
  std::vector<Control*> windowed, drawn;
  auto visit = [&](auto& self, const Container& container) -> void {
    for (Control* c : container.TabOrdered()) {
      windowed.push_back(c);
      if (auto* group = dynamic_cast<Container*>(c)) self(self, *group);
    }
    for (Control* c : container.Children()) {
      if (c->Focusable()) continue;
      if (dynamic_cast<Label*>(c) || dynamic_cast<Image*>(c)) drawn.insert(drawn.begin(), c);
      else windowed.push_back(c);
    }
  };
  visit(visit, Model());
  windowed.insert(windowed.end(), drawn.begin(), drawn.end());
  return windowed;
}

void FormPeer::Reorder() {
  HWND after = HWND_TOP;
  Container* lastParent = nullptr;
  bool lastWasRadio = false;
  for (Control* c : ZOrder()) {
    auto* peer = dynamic_cast<Win32Peer*>(c->GetPeer());
    if (!peer || !peer->Window()) continue;
    SetWindowPos(peer->Window(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    after = peer->Window();
    // Radio buttons of one parent make one group for the arrow keys; every
    // other window starts a group of its own.
    const bool radio = dynamic_cast<RadioButton*>(c) != nullptr;
    const bool continues = radio && lastWasRadio && c->Parent() == lastParent;
    LONG_PTR style = GetWindowLongPtrW(peer->Window(), GWL_STYLE);
    style = continues ? (style & ~static_cast<LONG_PTR>(WS_GROUP)) : (style | static_cast<LONG_PTR>(WS_GROUP));
    SetWindowLongPtrW(peer->Window(), GWL_STYLE, style);
    lastParent = c->Parent();
    lastWasRadio = radio;
  }
}

void FormPeer::Tooltip(HWND tool, const std::wstring* text) {
  if (!tooltips_ || !tool) return;
  TOOLINFOW info{};
  // The size comctl32 5 accepts as well as 6: no manifest picks either.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = Window();
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  SendMessageW(tooltips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  if (!text) return;
  std::wstring copy = *text;  // the tooltip copies it during the call
  info.lpszText = copy.data();
  SendMessageW(tooltips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void FormPeer::Command(WPARAM wParam, LPARAM lParam) {
  if (lParam) {
    if (Win32Peer* child = PeerOf(reinterpret_cast<HWND>(lParam)); child && child != this) {
      child->Command(HIWORD(wParam));
    }
    return;
  }
  // From the dialog keys: Enter with no button focused, and Escape.
  if (LOWORD(wParam) == IDOK) backend_.Queue(this, [&f = Model()] { f.PressEnter(); });
  if (LOWORD(wParam) == IDCANCEL) backend_.Queue(this, [&f = Model()] { f.PressEscape(); });
}

LRESULT FormPeer::DefaultId() const {
  if (Button* b = Model().DefaultButton()) {
    if (auto* peer = dynamic_cast<Win32Peer*>(b->GetPeer())) return MAKELRESULT(peer->Id(), DC_HASDEFID);
  }
  return 0;
}

bool FormPeer::SetCursorFor(HWND child) const {
  Win32Peer* peer = PeerOf(child);
  if (!peer || peer == this || !peer->HandCursor()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

LRESULT FormPeer::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      Command(wParam, lParam);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (Win32Peer* child = PeerOf(reinterpret_cast<HWND>(lParam)); child && child != this) {
        return reinterpret_cast<LRESULT>(child->Colors(reinterpret_cast<HDC>(wParam)));
      }
      break;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (Win32Peer* child = PeerOf(item.hwndItem); child && child != this) child->Draw(item);
      return TRUE;
    }
    case DM_GETDEFID:
      return DefaultId();
    case WM_CLOSE:  // Alt+F4, or the close box of a form that has one
      backend_.Queue(this, [&f = Model()] { f.CloseRequest(); });
      return 0;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(Window(), &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, backend_.Gdi().BrushOf(ColorRefOf(control_.Color())));
      return 1;
    }
    case WM_SETCURSOR:
      if (SetCursorFor(reinterpret_cast<HWND>(wParam))) return TRUE;
      break;
    case WM_ACTIVATE:
      // The focus comes back to the control that had it, as in a dialog.
      if (LOWORD(wParam) == WA_INACTIVE) focus_ = GetFocus();
      else if (focus_ && IsChild(Window(), focus_)) SetFocus(focus_);
      else if (HWND first = GetNextDlgTabItem(Window(), nullptr, FALSE)) SetFocus(first);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(Window(), msg, wParam, lParam);
}

}  // namespace

FormSide* FindFormSide(const Control& control) { return dynamic_cast<FormPeer*>(control.OwnerForm().GetPeer()); }

FormSide& FormSideOf(const Control& control) { return *FindFormSide(control); }

std::unique_ptr<Peer> MakeFormPeer(Win32Backend& backend, Control& form) {
  return std::make_unique<FormPeer>(backend, form);
}

void RegisterWindowClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
  RegisterPictureClass(instance);
}

}  // namespace ui::win32

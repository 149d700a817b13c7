#include "platform/ui/win32/Win32Peers.h"

#include <string>

#include "platform/ui/win32/Win32Text.h"

namespace ui::win32 {

namespace {

// Control IDs start above IDOK and IDCANCEL, which the dialog keys send.
int nextId = 100;

// A control is on screen when it and every container up to its form are
// visible; it takes input when they are all enabled.
bool Shown(const Control& c) {
  for (const Control* p = &c; p->Parent(); p = p->Parent()) {
    if (!p->Visible()) return false;
  }
  return true;
}

bool Active(const Control& c) {
  for (const Control* p = &c; p->Parent(); p = p->Parent()) {
    if (!p->Enabled()) return false;
  }
  return true;
}

}  // namespace

Win32Peer* PeerOf(HWND window) {
  return window ? reinterpret_cast<Win32Peer*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
}

Win32Peer::~Win32Peer() {
  backend_.Forget(this);
  if (!tooltip_) return;
  if (FormSide* form = FindFormSide(control_)) form->Tooltip(Window(), nullptr);
}

void Win32Peer::QueueClick() {
  backend_.Queue(this, [&c = control_] { c.Click(); });
}

void Win32Peer::Create(const wchar_t* windowClass, DWORD style, DWORD exStyle) {
  FormSide& form = FormSideOf(control_);
  id_ = nextId++;
  window_.reset(CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | style, control_.FormLeft(),
                                control_.FormTop(), control_.Width(), control_.Height(), form.FormWindow(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), backend_.Instance(), nullptr));
  SetWindowLongPtrW(Window(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  for (Property p : {Property::Font, Property::Caption, Property::Bounds, Property::Enabled, Property::Alignment,
                     Property::Hint, Property::Color, Property::State, Property::Visible}) {
    Sync(p);
  }
  form.Reorder();
}

void Win32Peer::Changed(Property what) {
  Sync(what);
  if (what == Property::State) FormSideOf(control_).Reorder();
}

void Win32Peer::SetStyleBit(DWORD bit, bool on) {
  const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
  const LONG_PTR wanted = on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit));
  if (wanted != style) SetWindowLongPtrW(Window(), GWL_STYLE, wanted);
}

void Win32Peer::Sync(Property what) {
  HWND w = Window();
  switch (what) {
    case Property::Bounds:
      MoveWindow(w, control_.FormLeft(), control_.FormTop(), control_.Width(), control_.Height(), TRUE);
      break;
    case Property::Visible:
      ShowWindow(w, Shown(control_) ? SW_SHOWNA : SW_HIDE);
      break;
    case Property::Enabled:
      EnableWindow(w, Active(control_) ? TRUE : FALSE);
      break;
    case Property::Caption:
      SetWindowTextW(w, Widen(control_.Caption()).c_str());
      break;
    case Property::Font:
      SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.Gdi().FontOf(control_.Font())), TRUE);
      break;
    case Property::Hint: {
      const std::wstring text = Widen(control_.Hint());
      tooltip_ = control_.ShowHint() && !text.empty();
      FormSideOf(control_).Tooltip(w, tooltip_ ? &text : nullptr);
      break;
    }
    case Property::Color:
      InvalidateRect(w, nullptr, TRUE);
      break;
    case Property::State:
      SetStyleBit(WS_TABSTOP, control_.Focusable());
      break;
    case Property::Alignment:
    case Property::Cursor:
      break;
  }
}

HBRUSH Win32Peer::Colors(HDC dc) {
  const COLORREF back = ColorRefOf(control_.Color());
  SetTextColor(dc, ColorRefOf(control_.Font().color));
  SetBkColor(dc, back);
  return backend_.Gdi().BrushOf(back);
}

namespace {

// ---- labels -----------------------------------------------------------------

class LabelPeer final : public Win32Peer {
 public:
  // Drawn by us (SS_OWNERDRAW), as the designer's platform draws a label:
  // its text on one line per \n, never wrapped, clipped to the label, the &
  // marking a mnemonic; a static control's SS_CENTER would wrap instead.
  LabelPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) { Create(L"STATIC", SS_NOTIFY | SS_OWNERDRAW); }

  void Draw(const DRAWITEMSTRUCT& item) override {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (!Model().Transparent()) FillRect(dc, &r, backend_.Gdi().BrushOf(ColorRefOf(control_.Color())));
    Selected font(dc, backend_.Gdi().FontOf(control_.Font()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(Window()) ? ColorRefOf(control_.Font().color) : GetSysColor(COLOR_GRAYTEXT));
    UINT format = DT_EXPANDTABS | DT_TOP;
    if (control_.Alignment() == Alignment::Center) format |= DT_CENTER;
    if (control_.Alignment() == Alignment::Right) format |= DT_RIGHT;
    const std::wstring text = Widen(control_.Caption());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  }

 private:
  const Label& Model() const { return static_cast<const Label&>(control_); }
  void Sync(Property what) override {
    if (what == Property::State) return SetStyleBit(WS_TABSTOP, false);
    Win32Peer::Sync(what);
    // A transparent label draws no background: what lies under its old text
    // is repainted by the form first.
    if (Model().Transparent()) ExposeUnder();
    InvalidateRect(Window(), nullptr, TRUE);
  }
  void ExposeUnder() {
    RECT r{control_.FormLeft(), control_.FormTop(), control_.FormLeft() + control_.Width(),
           control_.FormTop() + control_.Height()};
    InvalidateRect(GetParent(Window()), &r, TRUE);
  }
  void Command(WORD notification) override {
    if (notification == STN_CLICKED && control_.OnClick) QueueClick();
  }
};

// ---- buttons ----------------------------------------------------------------

class ButtonPeer final : public Win32Peer {
 public:
  // The caption's & marks the mnemonic, underlined by the system and
  // pressed with Alt and the letter (IsDialogMessage).
  ButtonPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) { Create(L"BUTTON", BS_PUSHBUTTON); }

 private:
  void Sync(Property what) override {
    Win32Peer::Sync(what);
    if (what == Property::State) {
      const bool isDefault = static_cast<const Button&>(control_).Default();
      SendMessageW(Window(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
  }
  void Command(WORD notification) override {
    if (notification == BN_CLICKED) QueueClick();
  }
};

class RadioPeer final : public Win32Peer {
 public:
  // Not an automatic radio button: the model decides what is checked, when
  // the click runs, and the window only shows it.
  RadioPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) { Create(L"BUTTON", BS_RADIOBUTTON); }

 private:
  const RadioButton& Model() const { return static_cast<const RadioButton&>(control_); }
  void Sync(Property what) override {
    Win32Peer::Sync(what);
    if (what != Property::State) return;
    SendMessageW(Window(), BM_SETCHECK, Model().Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    // Tab enters a group of radio buttons at the checked one, or at every
    // one while none is: a change of any of them moves the stops of all.
    const bool anyChecked = GroupHasChecked();
    for (Control* sibling : control_.Parent()->Children()) {
      auto* radio = dynamic_cast<RadioButton*>(sibling);
      auto* peer = radio ? dynamic_cast<RadioPeer*>(radio->GetPeer()) : nullptr;
      if (radio == &control_) peer = this;  // its own peer is not attached yet while it is made
      if (peer) peer->SetStyleBit(WS_TABSTOP, radio->Focusable() && (radio->Checked() || !anyChecked));
    }
  }
  bool GroupHasChecked() const {
    for (Control* sibling : control_.Parent()->Children()) {
      auto* radio = dynamic_cast<RadioButton*>(sibling);
      if (radio && radio->Checked()) return true;
    }
    return false;
  }
  void Command(WORD notification) override {
    if (notification == BN_CLICKED) QueueClick();
  }
};

// ---- edit, progress bar, group box --------------------------------------------

class EditPeer final : public Win32Peer {
 public:
  EditPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) {
    Create(L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  }

 private:
  void Sync(Property what) override {
    Win32Peer::Sync(what);
    if (what == Property::State) {
      SendMessageW(Window(), EM_SETREADONLY, static_cast<const Edit&>(control_).ReadOnly() ? TRUE : FALSE, 0);
    }
  }
};

class ProgressPeer final : public Win32Peer {
 public:
  ProgressPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) { Create(PROGRESS_CLASSW, 0); }

 private:
  void Sync(Property what) override {
    if (what == Property::Caption) return;
    Win32Peer::Sync(what);
    if (what != Property::State) return;
    const auto& bar = static_cast<const ProgressBar&>(control_);
    SetStyleBit(PBS_SMOOTH, bar.Smooth());
    SendMessageW(Window(), PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), static_cast<LPARAM>(bar.Max()));
    SendMessageW(Window(), PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
    InvalidateRect(Window(), nullptr, TRUE);
  }
};

class GroupBoxPeer final : public Win32Peer {
 public:
  GroupBoxPeer(Win32Backend& b, Control& c) : Win32Peer(b, c) { Create(L"BUTTON", BS_GROUPBOX); }

 private:
  void Sync(Property what) override {
    Win32Peer::Sync(what);
    if (what == Property::State) SetStyleBit(WS_TABSTOP, false);
    if (what == Property::Bounds || what == Property::Visible || what == Property::Enabled) {
      for (Control* child : static_cast<Container&>(control_).Children()) {
        if (Peer* p = child->GetPeer()) p->Changed(what);
      }
    }
  }
};

// ---- pictures -----------------------------------------------------------------

class ImagePeer final : public Win32Peer {
 public:
  ImagePeer(Win32Backend& b, Control& c) : Win32Peer(b, c) { Create(kPictureClass, 0); }

  void Paint(HDC dc) const {
    RECT all;
    GetClientRect(Window(), &all);
    FillRect(dc, &all, backend_.Gdi().BrushOf(ColorRefOf(control_.Color())));
    if (!bitmap_) return;
    const Rect place = Model().PictureRect();
    const PictureSize size = Model().PictureSize();
    HDC memory = CreateCompatibleDC(dc);
    {
      Selected selected(memory, bitmap_.get());
      SetStretchBltMode(dc, HALFTONE);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      StretchBlt(dc, place.left, place.top, place.width, place.height, memory, 0, 0, size.width, size.height,
                 SRCCOPY);
    }
    DeleteDC(memory);
  }
  bool TakesClicks() const { return control_.OnClick != nullptr; }

 private:
  const Image& Model() const { return static_cast<const Image&>(control_); }
  void Sync(Property what) override {
    if (what == Property::Caption) return;
    if (what == Property::State) {
      SetStyleBit(WS_TABSTOP, false);
      Decode();
    }
    Win32Peer::Sync(what);
    if (what == Property::State || what == Property::Bounds) InvalidateRect(Window(), nullptr, TRUE);
  }
  void Decode() {
    const auto bytes = Model().Picture();
    if (bytes.data() == decodedFrom_) return;
    decodedFrom_ = bytes.data();
    bitmap_ = bytes.empty() ? nullptr : DecodeBitmap(bytes, ColorRefOf(control_.Color()));
  }
  const unsigned char* decodedFrom_ = nullptr;
  GdiObject<HBITMAP> bitmap_;
};

LRESULT CALLBACK PictureProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* peer = dynamic_cast<ImagePeer*>(PeerOf(window));
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (peer) peer->Paint(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_NCHITTEST:
      // A picture without a click handler takes no mouse input: clicks go
      // to whatever lies under it.
      if (!peer || !peer->TakesClicks()) return HTTRANSPARENT;
      break;
    case WM_LBUTTONUP:
      if (peer) peer->QueueClick();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

void RegisterPictureClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PictureProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kPictureClass;
  RegisterClassExW(&wc);
}

std::unique_ptr<Peer> MakePeer(Win32Backend& backend, Control& control) {
  if (dynamic_cast<Form*>(&control)) return MakeFormPeer(backend, control);
  if (dynamic_cast<Label*>(&control)) return std::make_unique<LabelPeer>(backend, control);
  if (dynamic_cast<Button*>(&control)) return std::make_unique<ButtonPeer>(backend, control);
  if (dynamic_cast<Edit*>(&control)) return std::make_unique<EditPeer>(backend, control);
  if (dynamic_cast<RadioButton*>(&control)) return std::make_unique<RadioPeer>(backend, control);
  if (dynamic_cast<Image*>(&control)) return std::make_unique<ImagePeer>(backend, control);
  if (dynamic_cast<ProgressBar*>(&control)) return std::make_unique<ProgressPeer>(backend, control);
  if (dynamic_cast<GroupBox*>(&control)) return std::make_unique<GroupBoxPeer>(backend, control);
  return nullptr;  // a kind this back end does not draw
}

}  // namespace ui::win32

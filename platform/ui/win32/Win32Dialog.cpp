#include "platform/ui/win32/Win32Dialog.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/win32/Win32Handles.h"
#include "platform/ui/win32/Win32Text.h"

namespace ui::win32 {

namespace {

constexpr int kMargin = 12;
constexpr int kIcon = 32;
constexpr int kButtonW = 75, kButtonH = 25, kButtonGap = 6;
constexpr int kFirstButtonId = 1000;

const Font& DialogFont() {
  static const Font font{};  // the forms' face, 8 points
  return font;
}

class MessageWindow final : public DialogPeer {
 public:
  MessageWindow(Win32Backend& backend, const DialogRequest& request, std::function<void(ModalResult)> answer);
  ~MessageWindow() override;
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  LRESULT Handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void Layout(const DialogRequest& request);
  HWND Child(const wchar_t* windowClass, const std::wstring& text, DWORD style, RECT r, int id);
  void Answer(ModalResult r) {
    backend_.Queue(this, [a = answer_, r] { a(r); });
  }
  // Escape and the window's close: only a dialog with OK alone has an answer
  // for them; Yes or No is never given by a stray key.
  void Dismiss() {
    if (results_.size() == 1 && results_.front() == mrOk) Answer(mrOk);
  }
  void Show();

  Win32Backend& backend_;
  std::function<void(ModalResult)> answer_;
  std::vector<ModalResult> results_;
  UniqueWindow window_;
};

LRESULT CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  if (auto* box = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
    return box->Handle(window, msg, wParam, lParam);
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

const wchar_t* IconOf(MsgDlgType type) {
  switch (type) {
    case mtError:
      return IDI_HAND;
    case mtInformation:
      return IDI_ASTERISK;
    case mtConfirmation:
      return IDI_QUESTION;
  }
  return IDI_ASTERISK;
}

MessageWindow::MessageWindow(Win32Backend& backend, const DialogRequest& request, std::function<void(ModalResult)> answer)
    : backend_(backend), answer_(std::move(answer)) {
  constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  window_.reset(CreateWindowExW(WS_EX_DLGMODALFRAME, kDialogClass, Widen(request.caption).c_str(), style,
                                CW_USEDEFAULT, CW_USEDEFAULT, 1, 1, backend_.DialogOwner(), nullptr,
                                backend_.Instance(), this));
  Layout(request);
  Show();
}

MessageWindow::~MessageWindow() {
  backend_.Forget(this);
  backend_.PopModal(window_.get());
  // Hidden before it goes, once its owner is enabled again: Windows then
  // gives the activation back to the owner.
  ShowWindow(window_.get(), SW_HIDE);
}

HWND MessageWindow::Child(const wchar_t* windowClass, const std::wstring& text, DWORD style, RECT r, int id) {
  HWND child = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, window_.get(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), backend_.Instance(), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(backend_.Gdi().FontOf(DialogFont())), FALSE);
  return child;
}

void MessageWindow::Layout(const DialogRequest& request) {
  const TextSize text = backend_.MeasureText(DialogFont(), request.text);
  std::vector<MsgDlgBtn> kinds;
  for (MsgDlgBtn b : {mbYes, mbNo, mbOK}) {
    if (request.buttons.Has(b)) kinds.push_back(b);
  }
  if (kinds.empty()) kinds.push_back(mbOK);
  const int textLeft = kMargin + kIcon + kMargin;
  const int rowW = static_cast<int>(kinds.size()) * (kButtonW + kButtonGap) - kButtonGap;
  const int width = std::max({textLeft + text.width + kMargin, rowW + 2 * kMargin, 220});
  const int buttonTop = kMargin + std::max(kIcon, text.height) + 2 * kMargin;
  const int height = buttonTop + kButtonH + kMargin;

  HWND icon = Child(L"STATIC", L"", SS_ICON, RECT{kMargin, kMargin, kMargin + kIcon, kMargin + kIcon}, -1);
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IconOf(request.type))), 0);
  const int textTop = kMargin + std::max(0, (kIcon - text.height) / 2);
  // SS_NOPREFIX: the text is shown as it stands, an & included.
  Child(L"STATIC", Widen(request.text), SS_LEFT | SS_NOPREFIX,
        RECT{textLeft, textTop, textLeft + text.width + 1, textTop + text.height}, -1);
  int left = (width - rowW) / 2;
  for (MsgDlgBtn b : kinds) {
    const int id = kFirstButtonId + static_cast<int>(results_.size());
    const DWORD kind = results_.empty() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    Child(L"BUTTON", Widen(ButtonCaption(b)), kind | WS_TABSTOP | (results_.empty() ? WS_GROUP : 0),
          RECT{left, buttonTop, left + kButtonW, buttonTop + kButtonH}, id);
    results_.push_back(ButtonResult(b));
    left += kButtonW + kButtonGap;
  }
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_.get(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_.get(), GWL_EXSTYLE)));
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  SetWindowPos(window_.get(), nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MessageWindow::Show() {
  ShowWindow(window_.get(), SW_SHOW);
  backend_.PushModal(window_.get());
  SetForegroundWindow(window_.get());
  SetFocus(GetDlgItem(window_.get(), kFirstButtonId));
  UpdateWindow(window_.get());
}

LRESULT MessageWindow::Handle(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= kFirstButtonId && id < kFirstButtonId + static_cast<int>(results_.size())) {
        Answer(results_[static_cast<std::size_t>(id - kFirstButtonId)]);
      } else if (id == IDCANCEL) {
        Dismiss();
      }
      return 0;
    }
    case DM_GETDEFID:
      return MAKELRESULT(kFirstButtonId, DC_HASDEFID);
    case WM_CLOSE:
      Dismiss();
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

void RegisterDialogClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DialogProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kDialogClass;
  RegisterClassExW(&wc);
}

std::unique_ptr<DialogPeer> MakeDialog(Win32Backend& backend, const DialogRequest& request,
                                       std::function<void(ModalResult)> answer) {
  return std::make_unique<MessageWindow>(backend, request, std::move(answer));
}

}  // namespace ui::win32
